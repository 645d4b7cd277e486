// The filter as a function: one job, from one context that carries everything the job takes from
// the world around it.
//
// A CUPS filter process builds the context from its arguments, its environment and its signals
// (programs/<name>/main.cpp, through ReadCupsArguments and InstallCupsSignalHandlers) and runs one
// job.  A front end that runs jobs in its own process (a printer application: one job per thread,
// many at once) builds a context per job: its own input and output descriptors, its logger, its
// cancel flag, and the printer's PPD parsed once and shared read-only by all its jobs.  The library
// keeps no state of its own between jobs or across threads.
#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "engine/program.h"
#include "platform/logger.h"
#include "platform/ppd.h"

namespace tf {

// The job copy: while the file `flagPath` exists, a copy of the whole printer stream is kept in
// "<directory>/qm<YYYYmmddHHMMSS>.job".  An empty flag path turns it off.
struct JobCopySettings {
  std::string flagPath;
  std::string directory;
};

struct FilterContext {
  // The program: ticketfilter or ticketfilter-basic (programs/<name>/program.h).  Required.
  const Program* program = nullptr;

  // The job, as the CUPS filter arguments 1 to 5 give it.
  std::string jobId = "1";
  std::string user;        // UTF-8; the login user name
  std::string title;       // UTF-8; the document name
  std::string copies = "1";
  std::string options;     // the job options (name=value ...), cupsParseOptions syntax

  // The PostScript: the file `printFile` when it is set (opened when the PostScript begins; one
  // that cannot be opened fails the job with an ERROR line), else the descriptor `inputFd`, read
  // to its end and not closed.  A regular file is read twice in the decomposition mode.
  std::optional<std::string> printFile;
  int inputFd = 0;
  // The printer stream, written to the descriptor `outputFd` (not closed).
  int outputFd = 1;

  // The printer's PPD: `ppd` when the caller has parsed it (it is only read, and may be shared by
  // jobs that run at once), else the file `ppdPath`, parsed for this job; neither: no PPD.
  const PpdFile* ppd = nullptr;
  std::string ppdPath;

  // Where the temporary file of the decomposition mode goes; empty: the job-copy directory.
  std::string temporaryDirectory;
  JobCopySettings jobCopy;

  // The job's messages and page lines; nullptr: standard error, in the CUPS filter form.
  Logger* log = nullptr;
  // Set from outside while the job runs: `cancel` stops it at its next page end (the trailer is
  // still written); `outputGone` says that the reader of the output went away (exit status 1).
  // nullptr: never.
  const std::atomic<bool>* cancel = nullptr;
  const std::atomic<bool>* outputGone = nullptr;
};

// Runs one job and returns its exit status: 0 when it was printed, 1 when it failed (an
// unreadable input, a printer stream that could not be written, a job the printer must not take),
// with an ERROR line for the reason.
int RunFilterJob(const FilterContext& context);

// For a CUPS filter process (main).  Fills `context` from the filter arguments "job-id user title
// copies options [file]" and the environment (PPD, TMPDIR).  Returns false, after the usage line,
// when there are fewer than five arguments.  `context.program` and `context.log` must be set.
bool ReadCupsArguments(int argc, char** argv, FilterContext& context);
// For a CUPS filter process (main): SIGTERM cancels the job, SIGPIPE marks the output as gone;
// points `context.cancel` and `context.outputGone` at the flags the handlers set.
void InstallCupsSignalHandlers(FilterContext& context);

class Job;
// The start of a job, before its output: the printer-language mode, the copies of the page lines,
// the user and document names and the module tables.  For tests that run the steps one by one.
void PrepareJob(Job& job);

}  // namespace tf
