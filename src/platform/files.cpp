// Files the filter creates: the job copy and the temporary file.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace tf {

bool FileExists(const char* path) { return path != nullptr && access(path, F_OK) == 0; }

std::string LocalTimeStamp(std::time_t when) {
  struct tm local;
  char stamp[64] = {};
  if (localtime_r(&when, &local) == nullptr) return "00000000000000";
  std::strftime(stamp, sizeof(stamp), "%Y%m%d%H%M%S", &local);
  return stamp;
}

int CreateJobCopyFile(const std::string& dir, const std::string& stamp, std::string* path) {
  constexpr int kMaxVariants = 10000;
  const std::string base = dir + (dir.empty() || dir.back() != '/' ? "/" : "") + "qm" + stamp;
  for (int variant = 0; variant < kMaxVariants; ++variant) {
    std::string candidate = base;
    if (variant != 0) {
      candidate += '-';
      candidate += std::to_string(variant);
    }
    candidate += ".job";
    int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      *path = std::move(candidate);
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

int CreateTemporaryFile(const char* prefix, const std::string& dir, std::string* path) {
  std::string pattern = dir.empty() ? "/tmp" : dir;
  if (pattern.back() != '/') pattern += '/';
  pattern += prefix;
  pattern += "XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return -1;
  *path = name.data();
  return fd;
}

}  // namespace tf
