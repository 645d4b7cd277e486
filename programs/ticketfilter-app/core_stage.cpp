// The job core as one stage of a job of the printer application.
#include "core_stage.h"

#include "filter/filter_job.h"
#include "platform/logger.h"

namespace tf::app {
namespace {

// The job core's messages in the job's log.
class JobLogger final : public Logger {
 public:
  explicit JobLogger(pappl_job_t* job) : job_(job) {}

  void Log(LogLevel level, std::string_view message) override {
    const int length = static_cast<int>(message.size());
    switch (level) {
      case LogLevel::Error:
        if (firstError_.empty()) firstError_ = message;
        papplLogJob(job_, PAPPL_LOGLEVEL_ERROR, "%.*s", length, message.data());
        break;
      case LogLevel::Warning:
        papplLogJob(job_, PAPPL_LOGLEVEL_WARN, "%.*s", length, message.data());
        break;
      case LogLevel::Info:
      case LogLevel::Plain:
        papplLogJob(job_, PAPPL_LOGLEVEL_INFO, "%.*s", length, message.data());
        break;
      case LogLevel::Debug:
        papplLogJob(job_, PAPPL_LOGLEVEL_DEBUG, "%.*s", length, message.data());
        break;
    }
  }

  void Page(int, int copies) override { papplJobSetImpressionsCompleted(job_, copies); }

  const std::string& firstError() const { return firstError_; }

 private:
  pappl_job_t* job_;
  std::string firstError_;
};

}  // namespace

CoreResult RunJobCore(const CoreCall& call) {
  JobLogger logger(call.job);
  FilterContext context;
  context.program = call.program;
  context.jobId = call.jobId;
  context.user = call.user;
  context.title = call.title;
  context.copies = call.copies;
  context.options = call.options;
  context.inputFd = call.inputFd;
  context.outputFd = call.outputFd;
  context.ppd = call.ppd;
  context.temporaryDirectory = call.temporaryDirectory;
  context.log = &logger;
  context.cancel = call.cancel;
  context.outputGone = call.outputGone;
  CoreResult result;
  result.status = RunFilterJob(context);
  result.error = logger.firstError();
  return result;
}

}  // namespace tf::app
