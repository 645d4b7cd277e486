// The filter as a function: the lifecycle of one job.
#include "filter/filter_job.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <utility>

#include "engine/job.h"
#include "engine/ppd_keys.h"
#include "filter/decomp_mode.h"
#include "filter/envelope.h"
#include "filter/module_steps.h"
#include "filter/ps_stream.h"
#include "platform/decimal.h"
#include "platform/files.h"

namespace tf {
namespace {

// argv[4] when it is a positive number: the page lines never carry the raw argument text.
int CopiesForPageLog(const std::string& copies) {
  const std::optional<std::int32_t> count = ReadDigits(copies, 9);
  return count && *count > 0 ? *count : 1;
}

// Opens the job copy when the flag file exists; returns its path ("" when there is none).
std::string OpenJobCopy(Job& job, const JobCopySettings& settings) {
  if (settings.flagPath.empty() || !FileExists(settings.flagPath.c_str())) return "";
  const std::string stamp = LocalTimeStamp(std::time(nullptr));
  std::string path;
  const int fd = CreateJobCopyFile(settings.directory, stamp, &path);
  if (fd < 0) {
    job.log.Debug("No job copy: cannot create it in %s: %s", settings.directory.c_str(),
                  SystemErrorText(errno).c_str());
    return "";
  }
  job.jobCopyFile.Attach(fd);
  return path;
}

void CloseJobCopy(Job& job, const std::string& path) {
  if (!job.jobCopyFile.IsOpen()) return;
  const int error = job.jobCopyFile.error();
  if (!job.jobCopyFile.Close()) {
    job.log.Debug("Job copy %s is incomplete: %s", path.c_str(),
                  SystemErrorText(error != 0 ? error : job.jobCopyFile.error()).c_str());
  }
  // Readable and writable for the spooler's group and for others, as the copy tools expect.
  chmod(path.c_str(), 0676);
}

// The PostScript of the job: the print file, opened now, or the context's descriptor.  -1, after
// an ERROR line, when the print file cannot be opened; `owned` tells whether to close it.
int OpenPostScriptInput(const FilterContext& context, Logger& log, bool* owned) {
  *owned = false;
  if (!context.printFile) return context.inputFd;
  const int fd = ::open(context.printFile->c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    log.Error("Unable to open print file: %s", SystemErrorText(errno).c_str());
    return -1;
  }
  *owned = true;
  return fd;
}

int RunJob(Job& job, const FilterContext& context) {
  PrepareJob(job);
  // A job that asked for what the printer cannot do (a password it cannot take) stops here,
  // before anything reaches the printer.
  if (!job.refusal().empty()) {
    job.log.Error("%s", job.refusal().c_str());
    return 1;
  }
  const std::string jobCopyPath = OpenJobCopy(job, context.jobCopy);
  QuerySystemFromFilter(job);

  if (GetTicketFromPDE(job) == 1) OutputKPJLCommand(job);

  StreamStatus status = StreamStatus::InputError;
  bool ownedInput = false;
  const int input = OpenPostScriptInput(context, job.log, &ownedInput);
  if (input >= 0) {
    if (!context.printFile) EnlargePipeBuffer(input);
    const std::string& temporaryDirectory = context.temporaryDirectory.empty()
                                                ? context.jobCopy.directory
                                                : context.temporaryDirectory;
    status = IsDecompositionMode(job)
                 ? OutputPSStreamtoFileandInsertPJLforFeaturePDE(job, input, temporaryDirectory)
                 : OutputPSStream(job, input);
    if (ownedInput) ::close(input);
  }

  OutputKPJLCommandFromArray(job, nullptr, prtFmtTableKPJLTrailer);
  job.stdoutFile.Flush();
  CloseJobCopy(job, jobCopyPath);

  int exitStatus = 0;
  if (status == StreamStatus::InputError) exitStatus = 1;
  const int outputError = job.stdoutFile.error();
  if (job.OutputGone() || outputError == EPIPE) {
    job.log.Debug("The printer connection was closed before the job ended.");
    exitStatus = 1;
  } else if (outputError != 0) {
    job.log.Error("Unable to write print data: %s", SystemErrorText(outputError).c_str());
    exitStatus = 1;
  }
  return exitStatus;
}

// Set by the signal handlers of a CUPS filter process.
std::atomic<bool> gCancelSignal{false};
std::atomic<bool> gOutputGoneSignal{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handlers store into them");

extern "C" void CancelSignalHandler(int) { gCancelSignal.store(true, std::memory_order_relaxed); }
extern "C" void OutputGoneSignalHandler(int) {
  gOutputGoneSignal.store(true, std::memory_order_relaxed);
}

}  // namespace

void PrepareJob(Job& job) {
  if (job.traits.hasUtf8Mode) {
    job.utf8Mode = PpdSaysUtf8(job.ppd());
  }
  job.pageLogCopies = CopiesForPageLog(job.args.copies);
  InitializeDescriptionTable(job);
}

int RunFilterJob(const FilterContext& context) {
  FilterLogger standardError;
  Logger& log = context.log != nullptr ? *context.log : standardError;
  if (context.program == nullptr) {
    log.Error("No program to run the job with.");
    return 1;
  }
  // The PPD: the caller's, or this job's own.
  std::unique_ptr<PpdFile> ownPpd;
  const PpdFile* ppd = context.ppd;
  if (ppd == nullptr) {
    ownPpd = std::make_unique<PpdFile>();
    // A PPD that is named but cannot be read (missing, empty, not a PPD, a directory) answers
    // "absent" to every question, as no PPD does: byte mode, pass-through, no comment block.
    if (!ownPpd->Open(context.ppdPath.c_str()) && !context.ppdPath.empty()) {
      log.Debug("Unable to open the PPD file %s; the job goes on without its attributes.",
                context.ppdPath.c_str());
    }
    ppd = ownPpd.get();
  }
  auto job = std::make_unique<Job>(
      *context.program,
      JobArguments{context.jobId, context.user, context.title, context.copies, context.options},
      *ppd, log);
  job->cancel = context.cancel;
  job->outputGone = context.outputGone;
  job->stdoutFile.Borrow(context.outputFd);
  EnlargePipeBuffer(context.outputFd);
  return RunJob(*job, context);
}

bool ReadCupsArguments(int argc, char** argv, FilterContext& context) {
  if (argc < 6) {
    context.log->Logf(LogLevel::Plain, "Usage: %s job-id user title copies options [file]",
                      context.program->traits.programName);
    return false;
  }
  context.jobId = argv[1];
  context.user = argv[2];
  context.title = argv[3];
  context.copies = argv[4];
  context.options = argv[5];
  if (argc > 6) {
    context.printFile = argv[6];
  } else {
    context.inputFd = STDIN_FILENO;
  }
  context.outputFd = STDOUT_FILENO;
  if (const char* ppd = std::getenv("PPD")) context.ppdPath = ppd;
  if (const char* tmpdir = std::getenv("TMPDIR")) context.temporaryDirectory = tmpdir;
  return true;
}

void InstallCupsSignalHandlers(FilterContext& context) {
  struct sigaction action;
  std::memset(&action, 0, sizeof(action));
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  action.sa_handler = CancelSignalHandler;
  sigaction(SIGTERM, &action, nullptr);
  action.sa_handler = OutputGoneSignalHandler;
  sigaction(SIGPIPE, &action, nullptr);
  context.cancel = &gCancelSignal;
  context.outputGone = &gOutputGoneSignal;
}

}  // namespace tf
