// In-process jobs for unit tests: a Job with its arguments, a PPD from tests/data and an output
// captured in memory.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "filter/job.h"

namespace tf::test {

// Path of a file in tests/data.
std::string DataPath(const std::string& name);

// The two programs' traits and a configuration whose job copy is off.
const ProgramTraits& FullTraits();
const ProgramTraits& BasicTraits();
const FilterConfig& NoJobCopyConfig();

// One job in this process.  Output written to job().out is captured; Output() returns what was
// written so far.  The PPD is set through the environment variable PPD for the job's lifetime.
class JobHarness {
 public:
  struct Args {
    std::string jobId = "1";
    std::string user = "tux";
    std::string title = "Test Job";
    std::string copies = "1";
    std::string options;
    std::string file;  // empty: six arguments, input from standard input
  };

  JobHarness(const ProgramTraits& traits, const Args& args, const std::string& ppdName = "");
  ~JobHarness();
  JobHarness(const JobHarness&) = delete;
  JobHarness& operator=(const JobHarness&) = delete;

  Job& job() { return *job_; }
  JobState& state() { return job_->state; }

  // Everything written to the job's standard output so far.
  std::string Output();

  // Runs the job-start steps of the filter and reads every module's tickets (the client host is
  // left empty and no job copy is made).
  void ReadTickets();

 private:
  std::vector<std::string> strings_;
  std::vector<char*> argv_;
  std::unique_ptr<Job> job_;
  int outputFd_ = -1;
  std::string savedPpd_;
  bool hadPpd_ = false;
};

}  // namespace tf::test
