// The filter's entry and the lifecycle of one job.
#include "filter/filter_main.h"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

#include "engine/dispatch.h"
#include "engine/envelope.h"
#include "engine/ppd_keys.h"
#include "filter/decomp_mode.h"
#include "filter/job.h"
#include "filter/ps_stream.h"
#include "modules/jba/client_host.h"
#include "modules/names/names.h"
#include "platform/files.h"

namespace tf {
namespace {

// Set by the signal handlers; the job reads them.
volatile std::sig_atomic_t CancelJob = 0;
volatile std::sig_atomic_t CancelJobForPipe = 0;

extern "C" void SignalHandler(int) { CancelJob = 1; }
extern "C" void SignalPipeHandler(int) { CancelJobForPipe = 1; }

void InstallSignalHandlers() {
  struct sigaction action;
  std::memset(&action, 0, sizeof(action));
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  action.sa_handler = SignalHandler;
  sigaction(SIGTERM, &action, nullptr);
  action.sa_handler = SignalPipeHandler;
  sigaction(SIGPIPE, &action, nullptr);
}

// argv[4] when it is a positive number: the page lines never carry the raw argument text.
std::string CopiesForPageLog(const char* copies) {
  if (copies == nullptr || *copies == '\0' || std::strlen(copies) > 9) return "1";
  for (const char* p = copies; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return "1";
  }
  return std::atoi(copies) > 0 ? std::to_string(std::atoi(copies)) : "1";
}

// User name from argv[2]: 765 bytes in UTF-8 mode, 254 in byte mode; the account user copy is
// its start (96 or 32 bytes, whole characters).  The names are text of the job's mode.
void PrepareUserName(Job& job) {
  JobState& s = job.state;
  const char* user = job.argv[2];
  if (job.utf8Mode) {
    ConvertUTF8ToEncodingForUTF8(user, s.StdUserName, sizeof(s.StdUserName));
  } else {
    ConvertUTF8ToEncoding(user, s.StdUserName, 255);
  }
  s.SetEncoding(s.StdUserName, job.encoding());
  s.SetEncoding(s.StdJBAUserName, job.encoding());
  const std::size_t limit = job.utf8Mode ? 96 : 32;
  const std::size_t n = CutToWholeChars(s.StdUserName, limit, s.EncodingOf(s.StdUserName));
  std::memset(s.StdJBAUserName, 0, sizeof(s.StdJBAUserName));
  std::memcpy(s.StdJBAUserName, s.StdUserName, n);
}

// Document names from argv[3]; a title with a line break leaves both empty.
void PrepareDocumentNames(Job& job) {
  JobState& s = job.state;
  const char* title = job.argv[3];
  std::memset(s.StdDocumentName, 0, sizeof(s.StdDocumentName));
  std::memset(s.PTStdDocumentName, 0, sizeof(s.PTStdDocumentName));
  s.SetEncoding(s.StdDocumentName, job.encoding());
  s.SetEncoding(s.PTStdDocumentName, job.encoding());
  if (std::strchr(title, '\r') != nullptr || std::strchr(title, '\n') != nullptr) return;
  if (job.utf8Mode) {
    ConvertUTF8ToEncodingForUTF8(title, s.StdDocumentName, 255);
    ConvertUTF8ToEncodingForUTF8(title, s.PTStdDocumentName, 255);
    InvalidateStdDocumentNameForProductType(job);
    InvalidatePrintTypeDocumentNameForProductType(job);
  } else {
    ConvertUTF8ToEncoding(title, s.StdDocumentName, 255);
    InvalidateStdDocumentNameForProductType(job);
  }
}

// Opens the job copy when the flag file exists.
void OpenJobCopy(Job& job) {
  if (!FileExists(job.config.flagPath.c_str())) return;
  const std::string stamp = LocalTimeStamp(std::time(nullptr));
  const int fd = CreateJobCopyFile(job.config.jobCopyDir, stamp, &job.jobCopyPath);
  if (fd < 0) {
    std::fprintf(stderr, "DEBUG: No job copy: cannot create it in %s: %s\n",
                 job.config.jobCopyDir.c_str(), std::strerror(errno));
    return;
  }
  job.jobCopyFile.Attach(fd);
}

void CloseJobCopy(Job& job) {
  if (!job.jobCopyFile.IsOpen()) return;
  const int error = job.jobCopyFile.error();
  if (!job.jobCopyFile.Close()) {
    std::fprintf(stderr, "DEBUG: Job copy %s is incomplete: %s\n", job.jobCopyPath.c_str(),
                 std::strerror(error != 0 ? error : job.jobCopyFile.error()));
  }
  // Readable and writable for the spooler's group and for others, as the copy tools expect.
  chmod(job.jobCopyPath.c_str(), 0676);
}

}  // namespace

void PrepareJob(Job& job) {
  if (job.traits.hasUtf8Mode) {
    job.utf8Mode = PpdSaysUtf8(job.ppd());
  }
  job.pageLogCopies = CopiesForPageLog(job.argv[4]);
  PrepareUserName(job);
  InvalidateStdUserName(job);
  PrepareDocumentNames(job);
  InializeDescriptionTable(job);
}

int RunJob(Job& job) {
  PrepareJob(job);
  // A job that asked for what the printer cannot do (a password it cannot take) stops here,
  // before anything reaches the printer.
  if (!job.refusal().empty()) {
    std::fprintf(stderr, "ERROR: %s\n", job.refusal().c_str());
    return 1;
  }
  OpenJobCopy(job);
  GetClientIPAddress(job);
  std::setvbuf(stderr, nullptr, _IONBF, 0);

  if (GetTicketFromPDE(job) == 1) OutputKPJLCommand(job);

  const StreamStatus status = IsDecompositionMode(job)
                                  ? OutputPSStreamtoFileandInsertPJLforFeaturePDE(job)
                                  : OutputPSStream(job);

  OutputKPJLCommandFromArray(job, prtFmtTableKPJLTrailer, numFmtTableKPJLTrailer);
  job.stdoutFile.Flush();
  CloseJobCopy(job);

  int exitStatus = 0;
  if (status == StreamStatus::InputError) exitStatus = 1;
  const int outputError = job.stdoutFile.error();
  if (*job.cancelJobForPipe != 0 || outputError == EPIPE) {
    std::fprintf(stderr, "DEBUG: The printer connection was closed before the job ended.\n");
    exitStatus = 1;
  } else if (outputError != 0) {
    std::fprintf(stderr, "ERROR: Unable to write print data: %s\n", std::strerror(outputError));
    exitStatus = 1;
  }
  return exitStatus;
}

int RunFilter(int argc, char** argv, const ProgramTraits& traits, const FilterConfig& config) {
  if (argc < 6) {
    std::fprintf(stderr, "Usage: %s job-id user title copies options [file]\n",
                 traits.programName);
    return 1;
  }
  InstallSignalHandlers();
  auto job = std::make_unique<Job>(traits, config, argc, argv);
  job->cancelJob = &CancelJob;
  job->cancelJobForPipe = &CancelJobForPipe;
  job->stdoutFile.Attach(STDOUT_FILENO);
  EnlargePipeBuffer(STDOUT_FILENO);
  if (argc == 6) EnlargePipeBuffer(STDIN_FILENO);
  return RunJob(*job);
}

}  // namespace tf
