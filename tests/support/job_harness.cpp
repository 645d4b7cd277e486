// In-process jobs for unit tests.
#include "support/job_harness.h"

#include <sys/mman.h>
#include <unistd.h>

#include "filter/module_steps.h"
#include "filter/filter_job.h"
#include "ticketfilter-basic/program.h"
#include "ticketfilter/program.h"

namespace tf::test {

std::string DataPath(const std::string& name) { return std::string(TF_TEST_DATA_DIR) + "/" + name; }

const Program& FullProgram() { return TicketfilterProgram(); }
const Program& BasicProgram() { return TicketfilterBasicProgram(); }

void CapturingLogger::Log(LogLevel level, std::string_view message) {
  const char* prefix = "";
  switch (level) {
    case LogLevel::Error:
      prefix = "ERROR: ";
      break;
    case LogLevel::Warning:
      prefix = "WARNING: ";
      break;
    case LogLevel::Info:
      prefix = "INFO: ";
      break;
    case LogLevel::Debug:
      prefix = "DEBUG: ";
      break;
    case LogLevel::Plain:
      break;
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  text_ += prefix;
  text_ += message;
  text_ += '\n';
}

void CapturingLogger::Page(int page, int copies) {
  const std::lock_guard<std::mutex> lock(mutex_);
  text_ += "PAGE:" + std::to_string(page) + " " + std::to_string(copies) + "\n";
}

std::string CapturingLogger::Text() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return text_;
}

JobHarness::JobHarness(const Program& program, const Args& args, const std::string& ppdName) {
  if (!ppdName.empty()) ppd_.Open(DataPath(ppdName).c_str());
  job_ = std::make_unique<Job>(
      program, JobArguments{args.jobId, args.user, args.title, args.copies, args.options}, ppd_,
      log_);
  outputFd_ = memfd_create("job-output", MFD_CLOEXEC);
  job_->stdoutFile.Attach(dup(outputFd_));
}

JobHarness::~JobHarness() {
  job_.reset();
  if (outputFd_ >= 0) close(outputFd_);
}

std::string JobHarness::Output() {
  job_->stdoutFile.Flush();
  return ReadWholeFile(outputFd_);
}

std::string ReadWholeFile(int fd) {
  std::string result;
  char buffer[65536];
  off_t offset = 0;
  for (;;) {
    ssize_t n = pread(fd, buffer, sizeof(buffer), offset);
    if (n <= 0) break;
    result.append(buffer, static_cast<std::size_t>(n));
    offset += n;
  }
  return result;
}

InProcessRun RunInProcess(FilterContext context) {
  CapturingLogger log;
  const int out = memfd_create("job-output", MFD_CLOEXEC);
  context.outputFd = out;
  context.log = &log;
  InProcessRun run;
  run.status = RunFilterJob(context);
  run.out = ReadWholeFile(out);
  run.log = log.Text();
  close(out);
  return run;
}

void JobHarness::ReadTickets() {
  PrepareJob(*job_);
  GetTicketFromPDE(*job_);
}

}  // namespace tf::test
