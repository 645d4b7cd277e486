// The job core as one stage of a job of the printer application: the filter as a function
// (RunFilterJob), run in this process on the driver's parsed PPD.
//
// Its messages go to the job's log at their level, and the first "ERROR:" message becomes the
// job's failure; its page lines count the job's impressions.
#pragma once

#include <pappl/pappl.h>

#include <atomic>
#include <string>

namespace tf {
class PpdFile;
struct Program;
}  // namespace tf

namespace tf::app {

struct CoreCall {
  const Program* program = nullptr;
  const PpdFile* ppd = nullptr;  // parsed once for the driver, shared by its jobs
  std::string jobId, user, title, copies, options;
  int inputFd = -1;   // PostScript from pstops, read to its end
  int outputFd = -1;  // the printer stream
  std::string temporaryDirectory;  // for the decomposition mode's spool file
  const std::atomic<bool>* cancel = nullptr;
  const std::atomic<bool>* outputGone = nullptr;
  pappl_job_t* job = nullptr;  // for its log and impressions
};

struct CoreResult {
  int status = 1;     // the filter's exit status: 0 printed
  std::string error;  // the first "ERROR:" message, for the job-state-message
};

CoreResult RunJobCore(const CoreCall& call);

}  // namespace tf::app
