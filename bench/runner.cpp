// Runs the benchmark's programs in one fixed shape, in rounds, and reports their medians.
//
//   bench_runner PLAN ROUNDS
//
// PLAN holds one program a line, fields separated by tabs:
//   LABEL  INPUT  CLEANUP  ENV  PROGRAM  ARGS...
// INPUT is the file given as standard input; CLEANUP a folder emptied after every run (the job
// copies) or "-"; ENV "NAME=VALUE" settings separated by ";" or "-".  Lines starting with "#"
// are skipped.
//
// Each round runs every program once, in order, so that a change of the machine's load during
// the benchmark touches every program alike.  Every run: standard output is a pipe of the
// default size that this process drains with 1 MiB reads (the same reader for every program),
// standard error /dev/null.  The wall time runs from just before the fork to the end of the
// drain and the child's exit; peak resident memory and CPU time are the child's own (wait4).
// Prints one line a program:
//   LABEL runs=N wall_s=MEDIAN wall_min_s=MIN cpu_s=MEDIAN maxrss_kib=MAX in_bytes=N out_bytes=N
// and exits 1 when a run fails (a non-zero exit status, or an output size that changes).
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

double Now() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double Seconds(const timeval& tv) {
  return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void EmptyDirectory(const std::string& dir) {
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return;
  while (dirent* entry = readdir(d)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    unlink((dir + "/" + entry->d_name).c_str());
  }
  closedir(d);
}

struct RunResult {
  double wall = 0;
  double cpu = 0;
  long maxrssKib = 0;
  unsigned long long outBytes = 0;
  int status = 0;
};

struct Program {
  std::string label;
  std::string input;
  std::string cleanup;
  std::vector<std::string> env;
  std::vector<std::string> args;
  std::vector<double> walls, cpus;
  long maxrssKib = 0;
  unsigned long long outBytes = 0;
  bool failed = false;
};

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

RunResult RunOnce(const Program& program) {
  static std::vector<char> buffer(1 << 20);
  RunResult result;
  int fds[2];
  if (pipe(fds) != 0) {
    std::perror("pipe");
    std::exit(2);
  }
  const double start = Now();
  const pid_t pid = fork();
  if (pid < 0) {
    std::perror("fork");
    std::exit(2);
  }
  if (pid == 0) {
    for (const std::string& setting : program.env) putenv(const_cast<char*>(setting.c_str()));
    std::vector<char*> argv;
    for (const std::string& arg : program.args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const int in = open(program.input.c_str(), O_RDONLY);
    const int null = open("/dev/null", O_WRONLY);
    if (in < 0 || null < 0) _exit(126);
    dup2(in, 0);
    dup2(fds[1], 1);
    dup2(null, 2);
    close(in);
    close(null);
    close(fds[0]);
    close(fds[1]);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(fds[1]);
  for (;;) {
    const ssize_t n = read(fds[0], buffer.data(), buffer.size());
    if (n > 0) {
      result.outBytes += static_cast<unsigned long long>(n);
    } else if (n == 0 || errno != EINTR) {
      break;
    }
  }
  close(fds[0]);
  int status = 0;
  rusage usage;
  while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  result.wall = Now() - start;
  result.cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  result.maxrssKib = usage.ru_maxrss;
  result.status = status;
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::atoi(argv[2]) < 1) {
    std::fprintf(stderr, "usage: bench_runner PLAN ROUNDS\n");
    return 2;
  }
  const int rounds = std::atoi(argv[2]);
  std::vector<Program> programs;
  {
    std::FILE* plan = std::fopen(argv[1], "r");
    if (plan == nullptr) {
      std::perror(argv[1]);
      return 2;
    }
    char line[4096];
    while (std::fgets(line, sizeof(line), plan) != nullptr) {
      std::string text(line);
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
      if (text.empty() || text[0] == '#') continue;
      const std::vector<std::string> fields = Split(text, '\t');
      if (fields.size() < 5) {
        std::fprintf(stderr, "bench_runner: bad plan line: %s\n", text.c_str());
        return 2;
      }
      Program program;
      program.label = fields[0];
      program.input = fields[1];
      if (fields[2] != "-") program.cleanup = fields[2];
      if (fields[3] != "-") program.env = Split(fields[3], ';');
      program.args.assign(fields.begin() + 4, fields.end());
      programs.push_back(std::move(program));
    }
    std::fclose(plan);
  }

  for (int round = 0; round < rounds; ++round) {
    for (Program& program : programs) {
      const RunResult r = RunOnce(program);
      if (!program.cleanup.empty()) EmptyDirectory(program.cleanup);
      if (!WIFEXITED(r.status) || WEXITSTATUS(r.status) != 0) {
        std::fprintf(stderr, "bench_runner: %s: run %d ended with status 0x%x\n",
                     program.label.c_str(), round + 1, r.status);
        program.failed = true;
      }
      if (round > 0 && r.outBytes != program.outBytes) {
        std::fprintf(stderr, "bench_runner: %s: run %d wrote %llu bytes, run 1 %llu\n",
                     program.label.c_str(), round + 1, r.outBytes, program.outBytes);
        program.failed = true;
      }
      program.outBytes = r.outBytes;
      program.walls.push_back(r.wall);
      program.cpus.push_back(r.cpu);
      program.maxrssKib = std::max(program.maxrssKib, r.maxrssKib);
    }
  }

  bool failed = false;
  for (const Program& program : programs) {
    struct stat st;
    const long long inBytes = stat(program.input.c_str(), &st) == 0 ? st.st_size : -1;
    std::printf("%s runs=%d wall_s=%.6f wall_min_s=%.6f cpu_s=%.6f maxrss_kib=%ld in_bytes=%lld "
                "out_bytes=%llu\n",
                program.label.c_str(), rounds, Median(program.walls),
                *std::min_element(program.walls.begin(), program.walls.end()),
                Median(program.cpus), program.maxrssKib, inBytes, program.outBytes);
    failed = failed || program.failed;
  }
  return failed ? 1 : 0;
}
