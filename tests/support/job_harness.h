// In-process jobs for unit tests: a Job with its arguments, a PPD from tests/data, a logger that
// keeps its lines and an output captured in memory.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/job.h"

namespace tf {
struct FilterContext;
}  // namespace tf

namespace tf::test {

// Path of a file in tests/data.
std::string DataPath(const std::string& name);

// The two programs.
const Program& FullProgram();
const Program& BasicProgram();

// A logger that keeps every line as CUPS would read it ("DEBUG: ...", "PAGE:1 1").  Jobs on
// several threads may share one.
class CapturingLogger : public Logger {
 public:
  void Log(LogLevel level, std::string_view message) override;
  void Page(int page, int copies) override;
  // Every line so far, each ended by a line feed.
  std::string Text() const;

 private:
  mutable std::mutex mutex_;
  std::string text_;
};

// One job in this process.  Output written to job().out is captured; Output() returns what was
// written so far.
class JobHarness {
 public:
  struct Args {
    std::string jobId = "1";
    std::string user = "tux";
    std::string title = "Test Job";
    std::string copies = "1";
    std::string options;
  };

  // `ppdName`: a file of tests/data; empty: no PPD.
  JobHarness(const Program& program, const Args& args, const std::string& ppdName = "");
  ~JobHarness();
  JobHarness(const JobHarness&) = delete;
  JobHarness& operator=(const JobHarness&) = delete;

  Job& job() { return *job_; }
  JobCoreState& state() { return job_->state; }
  // The record of `module` in this job (the module is one of the program's).
  template <class R>
  R& Record(const ModuleDescriptor& module) {
    return job_->Record<R>(module);
  }
  void* RecordOf(const ModuleDescriptor& module) { return job_->RecordOf(module); }
  // The job's messages so far.
  std::string Log() const { return log_.Text(); }

  // Everything written to the job's standard output so far.
  std::string Output();

  // Runs the job-start steps of the filter and reads every module's tickets (the client host is
  // left empty and no job copy is made).
  void ReadTickets();

 private:
  PpdFile ppd_;
  CapturingLogger log_;
  std::unique_ptr<Job> job_;
  int outputFd_ = -1;
};

// Runs one job in this process through RunFilterJob, with its output in memory and a logger of
// its own (the context's output descriptor and logger are replaced).
struct InProcessRun {
  int status = -1;
  std::string out;
  std::string log;
};
InProcessRun RunInProcess(FilterContext context);

// Everything a descriptor's file holds, read from its start.
std::string ReadWholeFile(int fd);

}  // namespace tf::test
