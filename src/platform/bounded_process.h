// A child process bounded in time and memory.
//
// The printer application converts documents with external programs (Ghostscript for PDF), which
// a document can keep busy forever or make allocate without end.  A service cannot wait for them:
// RunBoundedProcess starts the program in a process group of its own, with its address space and
// CPU time limited (setrlimit), and stops the whole group when the time runs out or the caller
// cancels: SIGTERM first, SIGKILL after a grace period.  It always reaps the child before it
// returns, so that no process outlives the call; and the child gets SIGKILL when the thread that
// started it ends, so that a service killed in the middle of a job leaves no child behind.
//
// Safe to call from a thread of a multi-threaded process: everything the child needs is prepared
// before fork, and the child only calls async-signal-safe functions before exec.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tf {

struct ProcessLimits {
  // Wall-clock time from the start to the first signal; 0 for none.
  std::chrono::milliseconds time{0};
  // RLIMIT_AS of the child in bytes; 0 for none.
  std::uint64_t memoryBytes = 0;
  // RLIMIT_CPU of the child in seconds (SIGXCPU, then SIGKILL); 0 for none.
  unsigned cpuSeconds = 0;
  // RLIMIT_FSIZE of the child in bytes: the largest file it may write (SIGXFSZ); 0 for none.
  std::uint64_t fileBytes = 0;
  // How long a child may take to end after SIGTERM before it gets SIGKILL.
  std::chrono::milliseconds grace{1000};
};

enum class ProcessEnd {
  Exited,       // the program ended by itself; see exitStatus
  Signaled,     // a signal it did not get from us ended it (a crash, SIGXCPU); see signal
  TimedOut,     // we stopped it: the time limit ran out
  Cancelled,    // we stopped it: the caller cancelled
  StartFailed,  // it never ran; see startError
};

struct ProcessOutcome {
  ProcessEnd end = ProcessEnd::StartFailed;
  int exitStatus = -1;  // Exited: the exit status
  int signal = 0;       // Signaled, TimedOut, Cancelled: the signal that ended it, if any
  int startError = 0;   // StartFailed: errno
  // The end of what the program wrote to its standard error (at most kStderrTail bytes), raw.
  std::string stderrTail;
  std::chrono::milliseconds elapsed{0};
  long maxResidentKiB = 0;  // the child's peak resident memory

  bool Succeeded() const { return end == ProcessEnd::Exited && exitStatus == 0; }
};

inline constexpr std::size_t kStderrTail = 4096;

// What the child reads and the environment it runs in, besides the caller's.
struct ProcessIo {
  // The child's standard input; -1 for /dev/null.  The caller keeps its descriptor.
  int inputFd = -1;
  // "NAME=value" entries that the child's environment gets in addition to the caller's, each
  // replacing a variable of the same name.
  std::vector<std::string> environment;
};

// Polled while the child runs (at least every kCancelPollInterval); true stops the child.
using CancelCheck = std::function<bool()>;
inline constexpr std::chrono::milliseconds kCancelPollInterval{100};

// Runs `argv` (argv[0] a path, or a name searched in PATH) with standard input from `io.inputFd`
// (/dev/null without one), standard output to `outputFd` and standard error captured, within
// `limits`.  The child inherits no other descriptor.  Returns when the child has been reaped.
ProcessOutcome RunBoundedProcess(const std::vector<std::string>& argv, int outputFd,
                                 const ProcessLimits& limits, const CancelCheck& cancelled = {},
                                 const ProcessIo& io = {});

// The last line of a program's standard error as printable ASCII (every other byte becomes '?'),
// at most `maxLength` bytes: for a DEBUG line, never for the job's state message.
std::string LastStderrLine(const std::string& stderrTail, std::size_t maxLength = 200);

}  // namespace tf
