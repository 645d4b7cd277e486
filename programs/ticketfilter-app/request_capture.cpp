// What a job's request says that the framework does not keep.
#include "request_capture.h"

#include <cups/cups.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "job_options.h"

namespace tf::app {
namespace {

constexpr char kPassword[] = "job-password";
constexpr char kEncryption[] = "job-password-encryption";
constexpr char kHost[] = "job-originating-host-name";

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool IsLoopbackAddress(std::string_view address) {
  return address.empty() || address.starts_with("127.") || address == "[v1.::1]" ||
         address == "::1" || address == "localhost";
}

CapturedRequestStore::CapturedRequestStore(std::string directory)
    : directory_(std::move(directory)) {
  ::mkdir(directory_.c_str(), 0700);
}

std::string CapturedRequestStore::PathOf(int printerId, int jobId) const {
  return directory_ + "/p" + std::to_string(printerId) + "j" + std::to_string(jobId) + ".request";
}

std::string CapturedRequestStore::Encode(const CapturedRequest& request) {
  std::string text;
  auto add = [&text](const char* name, const std::string& value) {
    if (!text.empty()) text += ' ';
    text += std::string(name) + "=" + EscapeOptionValue(value);
  };
  if (request.password) add(kPassword, *request.password);
  if (request.passwordEncryption) add(kEncryption, *request.passwordEncryption);
  if (!request.originatingHost.empty()) add(kHost, request.originatingHost);
  return text;
}

CapturedRequest CapturedRequestStore::Decode(const std::string& text) {
  cups_option_t* options = nullptr;
  const int count = cupsParseOptions(text.c_str(), 0, &options);
  CapturedRequest request;
  if (const char* value = cupsGetOption(kPassword, count, options)) request.password = value;
  if (const char* value = cupsGetOption(kEncryption, count, options)) {
    request.passwordEncryption = value;
  }
  if (const char* value = cupsGetOption(kHost, count, options)) request.originatingHost = value;
  cupsFreeOptions(count, options);
  return request;
}

bool CapturedRequestStore::Save(int printerId, int jobId, const CapturedRequest& request,
                                std::string* error) {
  const std::string path = PathOf(printerId, jobId);
  const std::string temporary = path + ".new";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const std::string text = Encode(request) + "\n";
  bool saved = fd >= 0 && WriteAll(fd, text) && ::fsync(fd) == 0;
  const int writeError = errno;
  if (fd >= 0) ::close(fd);
  if (saved) saved = ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!saved) {
    *error = "Unable to keep the job's request in " + directory_ + ": " +
             std::strerror(writeError != 0 ? writeError : errno) + ".";
    ::unlink(temporary.c_str());
  }
  std::lock_guard<std::mutex> lock(mutex_);
  requests_[{printerId, jobId}] = request;
  return saved;
}

std::optional<CapturedRequest> CapturedRequestStore::Find(int printerId, int jobId) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = requests_.find({printerId, jobId});
  if (found == requests_.end()) return std::nullopt;
  return found->second;
}

void CapturedRequestStore::Remove(int printerId, int jobId) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.erase({printerId, jobId});
  }
  ::unlink(PathOf(printerId, jobId).c_str());
}

void CapturedRequestStore::Reload(const std::set<std::pair<int, int>>& keep) {
  DIR* dir = ::opendir(directory_.c_str());
  if (dir == nullptr) return;
  std::lock_guard<std::mutex> lock(mutex_);
  while (const dirent* entry = ::readdir(dir)) {
    int printerId = 0;
    int jobId = 0;
    char tail[16] = {};
    if (std::sscanf(entry->d_name, "p%dj%d.%15s", &printerId, &jobId, tail) != 3) continue;
    const std::string path = directory_ + "/" + entry->d_name;
    if (std::strcmp(tail, "request") != 0 || !keep.contains({printerId, jobId})) {
      ::unlink(path.c_str());
      continue;
    }
    FILE* file = std::fopen(path.c_str(), "re");
    if (file == nullptr) continue;
    std::string text;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    std::fclose(file);
    if (!text.empty() && text.back() == '\n') text.pop_back();  // the one Save wrote
    requests_[{printerId, jobId}] = Decode(text);
  }
  ::closedir(dir);
}

}  // namespace tf::app
