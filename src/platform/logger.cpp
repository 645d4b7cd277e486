// The job's messages, and their CUPS filter form.
#include "platform/logger.h"

#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace tf {
namespace {

constexpr std::size_t kShortMessage = 512;  // most messages fit; longer ones take the heap

std::string_view PrefixOf(LogLevel level) {
  switch (level) {
    case LogLevel::Error:
      return "ERROR: ";
    case LogLevel::Warning:
      return "WARNING: ";
    case LogLevel::Info:
      return "INFO: ";
    case LogLevel::Debug:
      return "DEBUG: ";
    case LogLevel::Plain:
      break;
  }
  return "";
}

}  // namespace

void Logger::LogV(LogLevel level, const char* format, va_list arguments) {
  char text[kShortMessage];
  va_list copy;
  va_copy(copy, arguments);
  const int length = std::vsnprintf(text, sizeof(text), format, arguments);
  if (length < 0) {
    va_end(copy);
    return;
  }
  if (static_cast<std::size_t>(length) < sizeof(text)) {
    Log(level, std::string_view(text, static_cast<std::size_t>(length)));
  } else {
    std::string longer(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(longer.data(), longer.size(), format, copy);
    longer.pop_back();
    Log(level, longer);
  }
  va_end(copy);
}

void Logger::Logf(LogLevel level, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  LogV(level, format, arguments);
  va_end(arguments);
}

void Logger::Error(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  LogV(LogLevel::Error, format, arguments);
  va_end(arguments);
}

void Logger::Debug(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  LogV(LogLevel::Debug, format, arguments);
  va_end(arguments);
}

void FilterLogger::Log(LogLevel level, std::string_view message) {
  WriteLine(PrefixOf(level), message);
}

void FilterLogger::Page(int page, int copies) {
  // One line a page, so one plain write: the line is short and comes for every page.
  char line[40];
  const int length = std::snprintf(line, sizeof(line), "PAGE:%d %d\n", page, copies);
  const char* left = line;
  std::size_t size = static_cast<std::size_t>(length);
  while (size > 0) {
    const ssize_t n = ::write(fd_, left, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // nowhere to report it
    left += n;
    size -= static_cast<std::size_t>(n);
  }
}

void FilterLogger::WriteLine(std::string_view prefix, std::string_view message) {
  iovec parts[3] = {{const_cast<char*>(prefix.data()), prefix.size()},
                    {const_cast<char*>(message.data()), message.size()},
                    {const_cast<char*>("\n"), 1}};
  iovec* part = parts;
  int left = 3;
  while (left > 0) {
    const ssize_t n = ::writev(fd_, part, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // nowhere to report it
    std::size_t written = static_cast<std::size_t>(n);
    while (left > 0 && written >= part->iov_len) {
      written -= part->iov_len;
      ++part;
      --left;
    }
    if (left > 0) {
      part->iov_base = static_cast<char*>(part->iov_base) + written;
      part->iov_len -= written;
    }
  }
}

std::string SystemErrorText(int error) {
  char buffer[256] = {};
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
  return strerror_r(error, buffer, sizeof(buffer));  // the GNU form returns the text
#else
  if (strerror_r(error, buffer, sizeof(buffer)) != 0) {
    std::snprintf(buffer, sizeof(buffer), "Unknown error %d", error);
  }
  return buffer;
#endif
}

}  // namespace tf
