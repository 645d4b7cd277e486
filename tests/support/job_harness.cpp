// In-process jobs for unit tests.
#include "support/job_harness.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>

#include "engine/dispatch.h"
#include "filter/filter_main.h"
#include "ticketfilter-basic/program_traits.h"
#include "ticketfilter/program_traits.h"

namespace tf::test {

std::string DataPath(const std::string& name) { return std::string(TF_TEST_DATA_DIR) + "/" + name; }

const ProgramTraits& FullTraits() { return TicketfilterTraits(); }
const ProgramTraits& BasicTraits() { return TicketfilterBasicTraits(); }
const FilterConfig& NoJobCopyConfig() {
  static const FilterConfig config{std::string(TF_TEST_ROOT) + "/no-such-flag", TF_TEST_ROOT};
  return config;
}

JobHarness::JobHarness(const ProgramTraits& traits, const Args& args, const std::string& ppdName) {
  strings_ = {traits.programName, args.jobId, args.user, args.title, args.copies, args.options};
  if (!args.file.empty()) strings_.push_back(args.file);
  for (std::string& s : strings_) argv_.push_back(s.data());
  argv_.push_back(nullptr);

  if (const char* old = std::getenv("PPD")) {
    hadPpd_ = true;
    savedPpd_ = old;
  }
  if (ppdName.empty()) {
    unsetenv("PPD");
  } else {
    setenv("PPD", DataPath(ppdName).c_str(), 1);
  }
  job_ = std::make_unique<Job>(traits, NoJobCopyConfig(), static_cast<int>(argv_.size() - 1),
                               argv_.data());
  outputFd_ = memfd_create("job-output", MFD_CLOEXEC);
  job_->stdoutFile.Attach(dup(outputFd_));
}

JobHarness::~JobHarness() {
  job_.reset();
  if (outputFd_ >= 0) close(outputFd_);
  if (hadPpd_) {
    setenv("PPD", savedPpd_.c_str(), 1);
  } else {
    unsetenv("PPD");
  }
}

std::string JobHarness::Output() {
  job_->stdoutFile.Flush();
  std::string result;
  char buffer[65536];
  off_t offset = 0;
  for (;;) {
    ssize_t n = pread(outputFd_, buffer, sizeof(buffer), offset);
    if (n <= 0) break;
    result.append(buffer, static_cast<std::size_t>(n));
    offset += n;
  }
  return result;
}

void JobHarness::ReadTickets() {
  PrepareJob(*job_);
  GetTicketFromPDE(*job_);
}

}  // namespace tf::test
