// The bounded child process: what it reports of a program that ends by itself, how it stops one
// that does not (time limit, cancel, a program that ignores SIGTERM, helpers it started), and that
// the child gets no descriptor of ours.  The programs are /bin/sh scripts that sleep, so the tests
// cost no CPU.
#include "platform/bounded_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "support/filter_runner.h"

namespace tf {
namespace {

using namespace std::chrono_literals;

struct Captured {
  ProcessOutcome outcome;
  std::string output;
};

Captured RunShell(const std::string& script, const ProcessLimits& limits = {},
                  const CancelCheck& cancelled = {}) {
  test::TempDir dir;
  const std::string path = dir.File("out");
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  EXPECT_GE(fd, 0);
  Captured captured;
  captured.outcome = RunBoundedProcess({"sh", "-c", script}, fd, limits, cancelled);
  ::close(fd);
  captured.output = test::ReadFile(path).value_or("");
  return captured;
}

// True when no running process has this id (a zombie left to init counts as gone).
bool ProcessGone(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  if (!stat) return true;
  std::string line;
  std::getline(stat, line);
  const std::size_t paren = line.rfind(')');
  return paren != std::string::npos && paren + 2 < line.size() && line[paren + 2] == 'Z';
}

TEST(BoundedProcessTest, ProgramThatEndsByItselfReportsStatusOutputAndStandardError) {
  const Captured run = RunShell("echo printed; echo complaint >&2; exit 3");
  EXPECT_EQ(run.outcome.end, ProcessEnd::Exited);
  EXPECT_EQ(run.outcome.exitStatus, 3);
  EXPECT_FALSE(run.outcome.Succeeded());
  EXPECT_EQ(run.output, "printed\n");
  EXPECT_EQ(run.outcome.stderrTail, "complaint\n");
  EXPECT_GT(run.outcome.maxResidentKiB, 0);

  EXPECT_TRUE(RunShell("exit 0").outcome.Succeeded());
}

TEST(BoundedProcessTest, StandardErrorKeepsOnlyItsEnd) {
  const Captured run = RunShell(
      "i=0; while [ $i -lt 2000 ]; do echo \"line $i of the complaint\" >&2; i=$((i+1)); done");
  EXPECT_EQ(run.outcome.end, ProcessEnd::Exited);
  EXPECT_LE(run.outcome.stderrTail.size(), kStderrTail);
  EXPECT_TRUE(run.outcome.stderrTail.ends_with("line 1999 of the complaint\n"));
  EXPECT_EQ(LastStderrLine(run.outcome.stderrTail), "line 1999 of the complaint");
}

TEST(BoundedProcessTest, TimeLimitStopsTheProgramAndWhatItStarted) {
  ProcessLimits limits;
  limits.time = 300ms;
  const auto start = std::chrono::steady_clock::now();
  // The helper's id goes to the output before the script waits on it.
  const Captured run = RunShell("sleep 30 & echo $!; wait", limits);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(run.outcome.end, ProcessEnd::TimedOut);
  EXPECT_EQ(run.outcome.signal, SIGTERM);
  EXPECT_GE(elapsed, 300ms);
  EXPECT_LT(elapsed, 2s);
  const pid_t helper = static_cast<pid_t>(std::stol(run.output));
  // The helper got the group's SIGTERM too; give the system a moment to take it down.
  for (int i = 0; i < 50 && !ProcessGone(helper); ++i) std::this_thread::sleep_for(20ms);
  EXPECT_TRUE(ProcessGone(helper));
}

TEST(BoundedProcessTest, ProgramIgnoringTerminationIsKilledAfterTheGracePeriod) {
  ProcessLimits limits;
  limits.time = 200ms;
  limits.grace = 300ms;
  const auto start = std::chrono::steady_clock::now();
  const Captured run = RunShell("trap '' TERM; sleep 30; sleep 30", limits);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(run.outcome.end, ProcessEnd::TimedOut);
  EXPECT_EQ(run.outcome.signal, SIGKILL);
  EXPECT_GE(elapsed, 500ms);
  EXPECT_LT(elapsed, 2500ms);
}

TEST(BoundedProcessTest, CancelStopsTheProgramSoon) {
  std::atomic<bool> cancel = false;
  std::thread canceller([&] {
    std::this_thread::sleep_for(200ms);
    cancel = true;
  });
  const auto start = std::chrono::steady_clock::now();
  const Captured run = RunShell("sleep 30", {}, [&] { return cancel.load(); });
  const auto elapsed = std::chrono::steady_clock::now() - start;
  canceller.join();
  EXPECT_EQ(run.outcome.end, ProcessEnd::Cancelled);
  EXPECT_LT(elapsed, 200ms + 2 * kCancelPollInterval + 500ms);
}

TEST(BoundedProcessTest, ChildDoesNotOutliveAServiceThatIsKilled) {
  // A stand-in for the service: a forked copy of this test that runs a long child and is then
  // killed outright, as a service can be.
  test::TempDir dir;
  const std::string pidFile = dir.File("pid");
  const pid_t service = ::fork();
  ASSERT_GE(service, 0);
  if (service == 0) {
    const int out = ::open(pidFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    RunBoundedProcess({"sh", "-c", "echo $$; exec sleep 30"}, out, {});
    ::_exit(0);
  }
  std::string pidText;
  for (int i = 0; i < 250 && pidText.find('\n') == std::string::npos; ++i) {
    std::this_thread::sleep_for(20ms);
    pidText = test::ReadFile(pidFile).value_or("");
  }
  ASSERT_NE(pidText.find('\n'), std::string::npos) << "the child never started";
  const pid_t child = static_cast<pid_t>(std::stol(pidText));
  ::kill(service, SIGKILL);
  ::waitpid(service, nullptr, 0);
  for (int i = 0; i < 50 && !ProcessGone(child); ++i) std::this_thread::sleep_for(20ms);
  EXPECT_TRUE(ProcessGone(child));
}

TEST(BoundedProcessTest, ProgramThatCannotStartSaysWhy) {
  test::TempDir dir;
  const ProcessOutcome missing = RunBoundedProcess({dir.File("no-such-program")}, 1, {});
  EXPECT_EQ(missing.end, ProcessEnd::StartFailed);
  EXPECT_EQ(missing.startError, ENOENT);

  const std::string notExecutable = dir.File("plain-file");
  test::WriteFile(notExecutable, "#!/bin/sh\n");
  const ProcessOutcome denied = RunBoundedProcess({notExecutable}, 1, {});
  EXPECT_EQ(denied.end, ProcessEnd::StartFailed);
  EXPECT_EQ(denied.startError, EACCES);

  EXPECT_EQ(RunBoundedProcess({}, 1, {}).end, ProcessEnd::StartFailed);
}

TEST(BoundedProcessTest, ChildInheritsNoOtherDescriptorAndClearsIgnoredSignals) {
  // A descriptor without close-on-exec, as a library of the service may leave one.
  const int stray = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(stray, 0);
  const int high = ::dup2(stray, 100);
  ASSERT_EQ(high, 100);
  struct sigaction ignore {};
  struct sigaction previous {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGTERM, &ignore, &previous);

  const Captured run = RunShell(
      "if [ -e /proc/$$/fd/100 ]; then echo leaked; else echo clean; fi;"
      "grep '^SigIgn' /proc/$$/status");
  ::sigaction(SIGTERM, &previous, nullptr);
  ::close(high);
  ::close(stray);
  ASSERT_TRUE(run.outcome.Succeeded());
  EXPECT_TRUE(run.output.starts_with("clean\n")) << run.output;
  // SIGTERM is bit 15 of the mask: not ignored in the child.
  const std::string mask = run.output.substr(run.output.find(':') + 1);
  const unsigned long long ignored = std::stoull(mask, nullptr, 16);
  EXPECT_EQ(ignored & (1ull << (SIGTERM - 1)), 0u) << run.output;
}

TEST(BoundedProcessTest, ChildReadsTheGivenInputInTheGivenEnvironment) {
  test::TempDir dir;
  const std::string input = dir.File("in");
  test::WriteFile(input, "from the caller\n");
  const int inputFd = ::open(input.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(inputFd, 0);
  const std::string path = dir.File("out");
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  ::setenv("TF_BOUNDED_KEPT", "kept", 1);
  ::setenv("TF_BOUNDED_REPLACED", "old", 1);
  ProcessIo io;
  io.inputFd = inputFd;
  io.environment = {"TF_BOUNDED_REPLACED=new", "TF_BOUNDED_ADDED=added"};
  const ProcessOutcome outcome = RunBoundedProcess(
      {"sh", "-c", "cat; echo $TF_BOUNDED_KEPT $TF_BOUNDED_REPLACED $TF_BOUNDED_ADDED"}, fd, {},
      {}, io);
  ::unsetenv("TF_BOUNDED_KEPT");
  ::unsetenv("TF_BOUNDED_REPLACED");
  ::close(fd);
  ::close(inputFd);
  EXPECT_TRUE(outcome.Succeeded());
  EXPECT_EQ(test::ReadFile(path).value_or(""), "from the caller\nkept new added\n");
}

TEST(BoundedProcessTest, FileSizeLimitStopsAProgramThatWritesTooMuch) {
  ProcessLimits limits;
  limits.fileBytes = 4096;
  const Captured run = RunShell("exec head -c 100000 /dev/zero", limits);
  EXPECT_EQ(run.outcome.end, ProcessEnd::Signaled);
  EXPECT_EQ(run.outcome.signal, SIGXFSZ);
  EXPECT_EQ(run.output.size(), 4096u);
}

TEST(BoundedProcessTest, LastStderrLineIsPrintableAndBounded) {
  EXPECT_EQ(LastStderrLine("first\nsecond\n\n"), "second");
  EXPECT_EQ(LastStderrLine("bad \x1b[31m\xff bytes"), "bad ?[31m? bytes");
  EXPECT_EQ(LastStderrLine(std::string(500, 'x'), 10), std::string(10, 'x'));
  EXPECT_EQ(LastStderrLine(""), "");
}

}  // namespace
}  // namespace tf
