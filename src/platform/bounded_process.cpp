// A child process bounded in time and memory.
#include "platform/bounded_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tf {
namespace {

using Clock = std::chrono::steady_clock;

// The path of `name` as execve takes it: itself when it holds a '/', else the first executable
// file of that name in PATH.  Empty when there is none.
std::string ResolveProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  std::string directories = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= directories.size()) {
    const std::size_t end = std::min(directories.find(':', start), directories.size());
    std::string candidate = directories.substr(start, end - start);
    candidate = (candidate.empty() ? std::string(".") : candidate) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

// Closes every descriptor from `first` on, in the child (async-signal-safe).
void CloseDescriptorsFrom(int first, int limit) {
#ifdef SYS_close_range
  if (::syscall(SYS_close_range, static_cast<unsigned>(first), ~0u, 0u) == 0) return;
#endif
  for (int fd = first; fd < limit; ++fd) ::close(fd);
}

// The child's side of the fork: only async-signal-safe calls, then exec.  Never returns.
[[noreturn]] void RunChild(const char* program, char* const* argv, char* const* envp,
                           int inputFd, int outputFd, int errorFd, int descriptorLimit,
                           const ProcessLimits& limits, int reportFd, pid_t parent) {
  ::setpgid(0, 0);
  // A service that is killed cannot stop its child: the child goes with the thread that started
  // it, and at once when that happened before this line.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != parent) ::_exit(127);
  // The service may block signals in its threads or ignore SIGPIPE; the program starts clean.
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  struct sigaction defaults {};
  defaults.sa_handler = SIG_DFL;
  for (int sig : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGXCPU, SIGXFSZ}) {
    ::sigaction(sig, &defaults, nullptr);
  }

  // Raise the descriptors above 2 first, so that the dup2 calls below cannot clobber one another.
  const int in = ::fcntl(inputFd, F_DUPFD, 3);
  const int out = ::fcntl(outputFd, F_DUPFD, 3);
  const int err = ::fcntl(errorFd, F_DUPFD, 3);
  const int report = ::fcntl(reportFd, F_DUPFD, 3);
  int failure = 0;
  bool closed = false;  // the descriptors above 3 are closed: the report pipe is descriptor 3
  if (in < 0 || out < 0 || err < 0 || report < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
      ::dup2(err, 2) < 0 || ::dup2(report, 3) < 0) {
    failure = errno;
  }
  if (failure == 0) {
    CloseDescriptorsFrom(4, descriptorLimit);
    closed = true;
    ::fcntl(3, F_SETFD, FD_CLOEXEC);
    if (limits.memoryBytes > 0) {
      const rlimit memory{limits.memoryBytes, limits.memoryBytes};
      if (::setrlimit(RLIMIT_AS, &memory) != 0) failure = errno;
    }
    if (failure == 0 && limits.cpuSeconds > 0) {
      // SIGXCPU at the soft limit, SIGKILL one second later.
      const rlimit cpu{limits.cpuSeconds, limits.cpuSeconds + 1};
      if (::setrlimit(RLIMIT_CPU, &cpu) != 0) failure = errno;
    }
    if (failure == 0 && limits.fileBytes > 0) {
      const rlimit file{limits.fileBytes, limits.fileBytes};
      if (::setrlimit(RLIMIT_FSIZE, &file) != 0) failure = errno;
    }
    if (failure == 0) {
      ::execve(program, argv, envp);
      failure = errno;
    }
  }
  // Tell the parent why the program never ran: the errno on the report pipe.
  const int reportTo = closed ? 3 : reportFd;
  [[maybe_unused]] const ssize_t ignored = ::write(reportTo, &failure, sizeof failure);
  ::_exit(127);
}

// The caller's environment with `extra` ("NAME=value") added, each replacing the variable of its
// name.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> environment;
  auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = nameOf(text);
    const bool replaced = std::any_of(extra.begin(), extra.end(), [&](const std::string& e) {
      return nameOf(e) == name;
    });
    if (!replaced) environment.push_back(text);
  }
  environment.insert(environment.end(), extra.begin(), extra.end());
  return environment;
}

}  // namespace

ProcessOutcome RunBoundedProcess(const std::vector<std::string>& argv, int outputFd,
                                 const ProcessLimits& limits, const CancelCheck& cancelled,
                                 const ProcessIo& io) {
  ProcessOutcome outcome;
  const Clock::time_point start = Clock::now();
  if (argv.empty()) {
    outcome.startError = EINVAL;
    return outcome;
  }
  const std::string program = ResolveProgram(argv[0]);
  if (program.empty()) {
    outcome.startError = ENOENT;
    return outcome;
  }
  std::vector<char*> childArgv;
  childArgv.reserve(argv.size() + 1);
  for (const std::string& arg : argv) childArgv.push_back(const_cast<char*>(arg.c_str()));
  childArgv.push_back(nullptr);
  const std::vector<std::string> environment = ChildEnvironment(io.environment);
  std::vector<char*> childEnvironment;
  childEnvironment.reserve(environment.size() + 1);
  for (const std::string& entry : environment) {
    childEnvironment.push_back(const_cast<char*>(entry.c_str()));
  }
  childEnvironment.push_back(nullptr);

  const int nullFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  int errorPipe[2] = {-1, -1};
  int reportPipe[2] = {-1, -1};
  if (nullFd < 0 || ::pipe2(errorPipe, O_CLOEXEC) != 0 || ::pipe2(reportPipe, O_CLOEXEC) != 0) {
    outcome.startError = errno;
    for (int fd : {nullFd, errorPipe[0], errorPipe[1], reportPipe[0], reportPipe[1]}) {
      if (fd >= 0) ::close(fd);
    }
    return outcome;
  }
  rlimit files{};
  const int descriptorLimit =
      ::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY
          ? static_cast<int>(std::min<rlim_t>(files.rlim_cur, 65536))
          : 65536;

  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    RunChild(program.c_str(), childArgv.data(), childEnvironment.data(),
             io.inputFd >= 0 ? io.inputFd : nullFd, outputFd, errorPipe[1], descriptorLimit,
             limits, reportPipe[1], parent);
  }
  const int forkError = errno;
  ::close(nullFd);
  ::close(errorPipe[1]);
  ::close(reportPipe[1]);
  if (pid < 0) {
    ::close(errorPipe[0]);
    ::close(reportPipe[0]);
    outcome.startError = forkError;
    return outcome;
  }
  // Both sides set the group, so that a signal to it cannot come before the child's own call.
  ::setpgid(pid, pid);

  // The report pipe closes at exec (nothing to read) or carries the errno of a failed start.
  int startError = 0;
  ssize_t reported;
  do {
    reported = ::read(reportPipe[0], &startError, sizeof startError);
  } while (reported < 0 && errno == EINTR);
  ::close(reportPipe[0]);

  std::string tail;
  bool errorOpen = true;
  bool reaped = false;
  int status = 0;
  rusage usage{};
  ProcessEnd stoppedAs = ProcessEnd::Exited;  // Exited: we did not stop it
  Clock::time_point killAt{};
  const Clock::time_point deadline =
      limits.time.count() > 0 ? start + limits.time : Clock::time_point::max();

  while (!reaped) {
    const pid_t waited = ::wait4(pid, &status, WNOHANG, &usage);
    if (waited == pid || (waited < 0 && errno == ECHILD)) {
      reaped = true;
      break;
    }
    const Clock::time_point now = Clock::now();
    if (stoppedAs == ProcessEnd::Exited) {
      const bool timeUp = now >= deadline;
      if (timeUp || (cancelled && cancelled())) {
        stoppedAs = timeUp ? ProcessEnd::TimedOut : ProcessEnd::Cancelled;
        ::kill(-pid, SIGTERM);
        killAt = now + limits.grace;
      }
    } else if (killAt != Clock::time_point{} && now >= killAt) {
      ::kill(-pid, SIGKILL);
      killAt = {};
    }
    // Wait for standard error, the next check, the deadline or the kill, whichever is first.
    Clock::time_point wake = now + kCancelPollInterval;
    if (stoppedAs == ProcessEnd::Exited) wake = std::min(wake, deadline);
    if (killAt != Clock::time_point{}) wake = std::min(wake, killAt);
    // Once standard error is closed, only the child's end is awaited: check it often.
    if (!errorOpen) wake = std::min(wake, now + std::chrono::milliseconds(10));
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(wake - now).count();
    pollfd errorPoll{errorPipe[0], POLLIN, 0};
    const int ready = ::poll(&errorPoll, errorOpen ? 1 : 0, static_cast<int>(std::max<long>(wait, 0)) + 1);
    if (ready > 0 && errorOpen) {
      char buffer[4096];
      const ssize_t got = ::read(errorPipe[0], buffer, sizeof buffer);
      if (got > 0) {
        tail.append(buffer, static_cast<std::size_t>(got));
        if (tail.size() > 2 * kStderrTail) tail.erase(0, tail.size() - kStderrTail);
      } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
        errorOpen = false;
      }
    }
  }
  // What the child wrote just before it ended.  Bounded: a helper it left behind may still hold
  // the pipe open.
  const Clock::time_point drainEnd = Clock::now() + std::chrono::milliseconds(200);
  while (errorOpen && Clock::now() < drainEnd) {
    pollfd errorPoll{errorPipe[0], POLLIN, 0};
    if (::poll(&errorPoll, 1, 50) <= 0) continue;
    char buffer[4096];
    const ssize_t got = ::read(errorPipe[0], buffer, sizeof buffer);
    if (got > 0) {
      tail.append(buffer, static_cast<std::size_t>(got));
      if (tail.size() > 2 * kStderrTail) tail.erase(0, tail.size() - kStderrTail);
    } else if (got == 0 || errno != EINTR) {
      errorOpen = false;
    }
  }
  ::close(errorPipe[0]);
  if (tail.size() > kStderrTail) tail.erase(0, tail.size() - kStderrTail);

  outcome.stderrTail = std::move(tail);
  outcome.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  outcome.maxResidentKiB = usage.ru_maxrss;
  if (reported == static_cast<ssize_t>(sizeof startError) && startError != 0) {
    outcome.end = ProcessEnd::StartFailed;
    outcome.startError = startError;
  } else if (stoppedAs != ProcessEnd::Exited) {
    outcome.end = stoppedAs;
    if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
    if (WIFEXITED(status)) outcome.exitStatus = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    outcome.end = ProcessEnd::Signaled;
    outcome.signal = WTERMSIG(status);
  } else {
    outcome.end = ProcessEnd::Exited;
    outcome.exitStatus = WEXITSTATUS(status);
  }
  return outcome;
}

std::string LastStderrLine(const std::string& stderrTail, std::size_t maxLength) {
  std::size_t end = stderrTail.size();
  while (end > 0 && (stderrTail[end - 1] == '\n' || stderrTail[end - 1] == '\r')) --end;
  std::size_t begin = end;
  while (begin > 0 && stderrTail[begin - 1] != '\n' && stderrTail[begin - 1] != '\r') --begin;
  std::string line = stderrTail.substr(begin, std::min(end - begin, maxLength));
  for (char& c : line) {
    if (c < ' ' || c > '~') c = '?';
  }
  return line;
}

}  // namespace tf
