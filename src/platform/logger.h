// The job's messages for whoever runs it: CUPS reads them from standard error ("ERROR: ...",
// "DEBUG: ...", "PAGE: ..."), a front end that runs jobs in its own process hands in a logger of
// its own (its job log).
//
// Every message of the filter goes through a Logger; nothing else writes to standard error.  A
// message is one line of text without prefix and line end; its level says what the spooler makes
// of it.  Loggers are called from the job's thread only, but several jobs may log at once, each to
// its own logger or to a shared one (FilterLogger writes each line whole, with one write).
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

namespace tf {

enum class LogLevel {
  Error,    // the job failed or lost something the user asked for ("ERROR:")
  Warning,  // "WARNING:"
  Info,     // "INFO:"
  Debug,    // detail for the administrator ("DEBUG:")
  Plain,    // a line without prefix: the usage message of a program started by hand
};

class Logger {
 public:
  virtual ~Logger() = default;

  // One message: its text without prefix and without line end.
  virtual void Log(LogLevel level, std::string_view message) = 0;
  // Page accounting: page `page` (from 1) went out, `copies` times.
  virtual void Page(int page, int copies) = 0;

  // The message formatted as printf formats it.
  void Error(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Debug(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Logf(LogLevel level, const char* format, ...) __attribute__((format(printf, 3, 4)));
  void LogV(LogLevel level, const char* format, va_list arguments);
};

// The CUPS filter form on a file descriptor (standard error by default): "ERROR: <message>",
// "DEBUG: <message>", ..., "PAGE:<page> <copies>", each line written with one write.
class FilterLogger final : public Logger {
 public:
  explicit FilterLogger(int fd = 2) : fd_(fd) {}
  void Log(LogLevel level, std::string_view message) override;
  void Page(int page, int copies) override;

 private:
  void WriteLine(std::string_view prefix, std::string_view message);
  int fd_;
};

// The text of the system error `error` (an errno value), safe to call from several threads at once.
std::string SystemErrorText(int error);

}  // namespace tf
