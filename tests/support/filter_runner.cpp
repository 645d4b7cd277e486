// Runs the built filter programs.
#include "support/filter_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace tf::test {

std::string ProgramPath(const std::string& program) {
  if (program.find("-testpaths") != std::string::npos) {
    return std::string(TF_TEST_BIN_DIR) + "/" + program;
  }
  return std::string(TF_BIN_DIR) + "/" + program;
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
}

TempDir::TempDir() {
  std::string pattern = std::filesystem::temp_directory_path().string() + "/tftest.XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

namespace {

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

FilterRun RunFilterProgram(const FilterInvocation& inv) {
  const std::string path = ProgramPath(inv.program);
  std::vector<std::string> args = {inv.program};
  if (inv.rawArgs) {
    args.insert(args.end(), inv.rawArgs->begin(), inv.rawArgs->end());
  } else {
    args.insert(args.end(), {inv.jobId, inv.user, inv.title, inv.copies, inv.options});
    if (inv.file) args.push_back(*inv.file);
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  std::vector<std::string> envStrings;
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::strncmp(*e, "PPD=", 4) == 0) continue;
    const char* eq = std::strchr(*e, '=');
    if (eq != nullptr && inv.env.count(std::string(static_cast<const char*>(*e), eq)) != 0) continue;
    envStrings.emplace_back(*e);
  }
  if (inv.ppd) envStrings.push_back("PPD=" + *inv.ppd);
  for (const auto& [name, value] : inv.env) envStrings.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);

  int inPipe[2], outPipe[2], errPipe[2];
  if (pipe2(inPipe, O_CLOEXEC) != 0 || pipe2(outPipe, O_CLOEXEC) != 0 ||
      pipe2(errPipe, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  // The child starts with SIGPIPE at its default, as under CUPS.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGTERM);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);

  // The test process must survive writing to a program that stopped reading.
  signal(SIGPIPE, SIG_IGN);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, path.c_str(), &actions, &attr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  if (rc != 0) throw std::runtime_error("cannot start " + path + ": " + std::strerror(rc));

  FilterRun run;
  int inFd = inPipe[1], outFd = outPipe[0], errFd = errPipe[0];
  if (inv.closeStdoutAtStart) {
    close(outFd);
    outFd = -1;
  }
  SetNonBlocking(inFd);
  std::string input = inv.input;
  std::size_t inputOffset = 0;
  if (input.empty() && !inv.stdinStaysOpen) {
    close(inFd);
    inFd = -1;
  }
  const auto start = std::chrono::steady_clock::now();
  bool signalled = false;
  bool killed = false;
  while (outFd >= 0 || errFd >= 0) {
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (inv.sigtermAfterSeconds && !signalled && elapsed >= *inv.sigtermAfterSeconds) {
      kill(pid, SIGTERM);
      signalled = true;
      input += inv.inputAfterSignal;
      if (inFd >= 0 && inv.stdinStaysOpen && inputOffset >= input.size()) {
        close(inFd);
        inFd = -1;
      }
    }
    if (elapsed > inv.timeoutSeconds && !killed) {
      kill(pid, SIGKILL);
      killed = true;
    }
    struct pollfd fds[3];
    int count = 0;
    if (inFd >= 0 && inputOffset < input.size()) fds[count++] = {inFd, POLLOUT, 0};
    if (outFd >= 0 && (!inv.holdOutputUntilSignal || signalled)) {
      fds[count++] = {outFd, POLLIN, 0};
    }
    if (errFd >= 0) fds[count++] = {errFd, POLLIN, 0};
    if (count == 0 && !(inv.holdOutputUntilSignal && !signalled && outFd >= 0)) break;
    poll(fds, static_cast<nfds_t>(count), 50);
    for (int i = 0; i < count; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == inFd) {
        ssize_t n = write(inFd, input.data() + inputOffset, input.size() - inputOffset);
        if (n > 0) inputOffset += static_cast<std::size_t>(n);
        if (n < 0 && errno != EAGAIN) inputOffset = input.size();
        if (inputOffset >= input.size() && (!inv.stdinStaysOpen || signalled)) {
          close(inFd);
          inFd = -1;
        }
      } else {
        char buffer[65536];
        std::size_t want = sizeof(buffer);
        if (fds[i].fd == outFd && inv.closeStdoutAfter) {
          want = std::min(want, *inv.closeStdoutAfter - run.out.size());
        }
        ssize_t n = read(fds[i].fd, buffer, want);
        std::string& sink = (fds[i].fd == outFd) ? run.out : run.err;
        if (n > 0) {
          sink.append(buffer, static_cast<std::size_t>(n));
          if (fds[i].fd == outFd && inv.closeStdoutAfter &&
              run.out.size() >= *inv.closeStdoutAfter) {
            close(outFd);
            outFd = -1;
          }
        } else {
          close(fds[i].fd);
          if (fds[i].fd == outFd) outFd = -1;
          else errFd = -1;
        }
      }
    }
  }
  if (inFd >= 0) close(inFd);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  return run;
}

}  // namespace tf::test
