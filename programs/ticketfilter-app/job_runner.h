// One job of the printer application, from its PostScript to the printer's device.
//
// Every document reaches the printer the way CUPS sends it through the filter: CUPS's pstops
// (a bounded child process) puts the PPD's option code, copies, number-up and page ranges into
// the PostScript, exactly as for a CUPS queue; the job core reads pstops's output in this process
// (RunFilterJob, with the driver's parsed PPD) and writes the printer stream, which goes to the
// printer's device.  The job's options text (job_options.h) is the same for both.
//
//   document -> pstops (child) -pipe-> job core (this process) -pipe-> device writer (thread)
//
// Cancelling the job stops all three; a pstops or job core that fails aborts the job with the
// reason as its job-state-message (the core's "ERROR:" line, without option text).
#pragma once

#include <pappl/pappl.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "app.h"
#include "job_options.h"

namespace tf::app {

// The driver of the job's printer.
const PrinterDriver* DriverOfJob(pappl_job_t* job);

class JobPipeline {
 public:
  // `copies` is what pstops and the job core are told (1 when the framework printed the copies).
  JobPipeline(App& app, pappl_job_t* job, const pappl_pr_options_t* options,
              pappl_device_t* device, const DriverProfile& profile, int copies);
  ~JobPipeline();
  JobPipeline(const JobPipeline&) = delete;
  JobPipeline& operator=(const JobPipeline&) = delete;

  // Runs the job from the PostScript on `input` (read to its end, not closed) and returns when
  // it has ended: true when it printed or was cancelled.  On failure the job's state message says
  // why.
  bool Run(int input);

  // The same on a thread of its own, reading what the caller writes to WriteEnd() (raster pages).
  // Finish closes the write end, waits and returns as Run does.
  bool Start();
  int WriteEnd() const { return feed_[1]; }
  bool Finish();

  // True once the job was cancelled, or its pipeline cannot go on (the caller stops writing).
  bool Stopped() const;
  // Stops the pipeline with `message` as the job's failure (the caller's own error).
  void Fail(const std::string& message);

 private:
  bool Cancelled() const;

  App& app_;
  pappl_job_t* job_;
  pappl_device_t* device_;
  const DriverProfile& profile_;
  std::string jobId_, user_, title_, copies_;
  JobOptionsResult options_;

  int feed_[2] = {-1, -1};  // Start: the caller's PostScript
  std::thread runner_;
  bool runnerResult_ = false;

  std::atomic<bool> cancel_{false};      // pstops and the job core stop
  std::atomic<bool> outputGone_{false};  // the device takes no more
  std::atomic<bool> stopped_{false};
  std::string failure_;
};

}  // namespace tf::app
