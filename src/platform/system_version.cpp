// The operating-system version (uname / sysctl).
#include "platform/system_version.h"

#include <sys/utsname.h>
#if defined(__APPLE__)
#include <sys/sysctl.h>
#endif

#include <cstring>
#include <string_view>

#include "platform/decimal.h"

namespace tf {

std::int32_t SystemVersionFromKernelRelease(const char* release) {
  std::int32_t version = 0x1000;
  if (release == nullptr) return version;
  const std::string_view text(release);
  const std::optional<DecimalRead> major = ReadDecimal(text);
  if (!major) return version;
  const std::int64_t r = major->value;
  if (r > 0) version += static_cast<std::int32_t>(((r * 16) - 64) % 256 + 256) % 256;
  if (major->end < text.size()) {
    // The kernel minor release follows the separator after the major one.
    const std::optional<DecimalRead> minor = ReadDecimal(text.substr(major->end + 1));
    if (minor && minor->value > 0) version += minor->value % 16;
  }
  return version;
}

std::optional<std::string> DarwinKernelRelease() {
#if defined(__APPLE__)
  char release[16] = {};
  std::size_t size = sizeof(release) - 1;
  int mib[2] = {CTL_KERN, KERN_OSRELEASE};
  if (sysctl(mib, 2, release, &size, nullptr, 0) != 0) return std::nullopt;
  return std::string(release);
#else
  struct utsname name;
  if (uname(&name) != 0 || std::strcmp(name.sysname, "Darwin") != 0) return std::nullopt;
  return std::string(name.release);
#endif
}

namespace {
std::int32_t CachedSystemVersion() {
  static const std::int32_t version = [] {
    std::optional<std::string> release = DarwinKernelRelease();
    return release ? SystemVersionFromKernelRelease(release->c_str()) : kCurrentSystemVersion;
  }();
  return version;
}
}  // namespace

int QuerySystemVersion(std::uint32_t selector, std::int32_t* out, Logger& log) {
  const std::int32_t version = CachedSystemVersion();
  if (selector == FourCharCode("sys1")) {
    *out = 10 * ((version >> 12) & 0xF) + ((version >> 8) & 0xF);
  } else if (selector == FourCharCode("sys2")) {
    *out = (version >> 4) & 0xF;
  } else if (selector == FourCharCode("sys3")) {
    *out = version & 0xF;
  } else if (selector == FourCharCode("sysv")) {
    *out = version;
  } else {
    log.Debug("System version: selector '%x' not supported.", selector);
    return -1;
  }
  return 0;
}

bool SystemTakesPageLog() {
  static const bool takes = [] {
    std::optional<std::string> release = DarwinKernelRelease();
    if (!release) return true;
    return DecimalValue(*release) >= 11;
  }();
  return takes;
}

}  // namespace tf
