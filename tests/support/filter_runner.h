// Runs the built filter programs as CUPS would: arguments, environment, standard input; collects
// standard output, standard error and the exit status.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tf::test {

struct FilterRun {
  std::string out;
  std::string err;
  int exitStatus = -1;  // -1 when the program did not exit normally
  int signal = 0;       // the signal that ended it, if any
};

struct FilterInvocation {
  std::string program = "ticketfilter";  // ticketfilter, ticketfilter-basic, or a -testpaths one
  std::string jobId = "1";
  std::string user = "tux";
  std::string title = "Test Job";
  std::string copies = "1";
  std::string options;
  std::optional<std::string> file;     // argv[6]; none: the input comes on standard input
  std::string input;                   // standard input
  std::optional<std::string> ppd;      // PPD path; none: PPD unset
  std::map<std::string, std::string> env;  // further environment
  std::optional<std::vector<std::string>> rawArgs;  // replaces argv[1..] when set
  bool closeStdoutAtStart = false;     // the reader of standard output is gone from the start
  std::optional<std::size_t> closeStdoutAfter;  // read exactly this many bytes, then close
  bool holdOutputUntilSignal = false;  // standard output is not read before the signal is sent
  std::optional<double> sigtermAfterSeconds;     // send SIGTERM after this delay
  bool stdinStaysOpen = false;         // keep standard input open until the signal is sent
  std::string inputAfterSignal;        // written to standard input once the signal was sent
  double timeoutSeconds = 30;
};

// Path of a built program (bin/ for the programs, tests/bin/ for the -testpaths variants).
std::string ProgramPath(const std::string& program);

// Runs the program; never hangs longer than the timeout (the program is killed then).
FilterRun RunFilterProgram(const FilterInvocation& invocation);

// Reads a whole file; std::nullopt when it cannot be read.
std::optional<std::string> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);

// A fresh, empty temporary directory, removed with its content at the end of its scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace tf::test
