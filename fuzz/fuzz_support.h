// Support for the fuzz harnesses: jobs run in this process with their output captured, PPD files
// held in memory, and the checks the harnesses share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/job.h"

namespace tf::fuzz {

// A file held in memory for the life of the process (memfd); `path()` names it for open().
class MemoryFile {
 public:
  explicit MemoryFile(std::string_view content);
  ~MemoryFile();
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  int fd_ = -1;
  std::string path_;
};

// The two programs.
const Program& FullProgram();
const Program& BasicProgram();

// The harnesses look at the printer stream only.
class DiscardingLogger : public Logger {
 public:
  void Log(LogLevel level, std::string_view message) override;
  void Page(int page, int copies) override;
};

// One job in this process: its arguments, the PPD at `ppdPath` (empty: no PPD), no job copy, and
// its standard output captured in memory.
class InProcessJob {
 public:
  struct Args {
    std::string user = "tux";
    std::string title = "Fuzz job";
    std::string copies = "1";
    std::string options;
  };

  InProcessJob(const Program& program, const Args& args, const std::string& ppdPath);
  ~InProcessJob();
  InProcessJob(const InProcessJob&) = delete;
  InProcessJob& operator=(const InProcessJob&) = delete;

  Job& job() { return *job_; }

  // Everything written to the job's standard output so far.
  std::string Output();
  // Starts a fresh capture of standard output.
  void ResetOutput();

  // The job-start steps and every module's tickets (no client host, no job copy).
  void ReadTickets();

 private:
  PpdFile ppd_;
  DiscardingLogger log_;
  std::unique_ptr<Job> job_;
  int outputFd_ = -1;
};

// A minimal PPD that libcups accepts, with `attributes` (whole lines) added after its header
// attributes and `tail` (any text) at its end.
std::string MakePpd(std::string_view attributes, std::string_view tail = {});

// Aborts with `what` on stderr (a finding: libFuzzer records the input).
[[noreturn]] void Fail(const char* what, std::string_view detail = {});

// True when `text` is whole, valid UTF-8.
bool IsValidUtf8(std::string_view text);
// True when `text` is whole Shift-JIS of JIS X 0213 (as iconv reads it).
bool IsWholeShiftJis(std::string_view text);

}  // namespace tf::fuzz
