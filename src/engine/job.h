// One print job: its arguments, its PPD, its options, the printer-language mode, the identity
// buffers of the job core, the records of the program's modules, its output streams, its flags and
// its logger.  Everything a job touches lives here, so that many jobs can run in one process, one
// after another or at once, without anything leaking from one into another.  The job core knows
// no module: it holds their records as the program's module list describes them.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "engine/job_options.h"
#include "engine/module.h"
#include "engine/operand.h"
#include "engine/output_channel.h"
#include "engine/program.h"
#include "engine/text_fields.h"
#include "platform/logger.h"
#include "platform/ppd.h"
#include "platform/text_conversion.h"

namespace tf {

// The buffers of the job core, which the command tables address by offset (TF_CORE).  Zero at
// job start.
struct JobCoreState {
  // User and document names, prepared from the job's user and title (the names module).
  char StdUserName[766];
  char StdJBAUserName[97];
  char StdDocumentName[256];
  char PTStdDocumentName[256];

  // Layout buffers; StdNUpInfo, StdLayoutRowInfo and StdLayoutColumnInfo are filled by the
  // account tickets and read by the finishing module, the others are only cleared.
  char StdNUpInfo[256];
  char StdLayoutInfo[256];
  char StdLayoutDirectionInfo[256];
  char StdLayoutRowInfo[256];
  char StdLayoutColumnInfo[256];
  char StdPaperInfoRectOriginXKey[256];
  char StdPaperInfoRectOriginYKey[256];
  char StdPaperInfoRectHeightKey[256];
  char StdPaperInfoRectWidthKey[256];
  char StdAdobePaperInfoRectOriginXKey[256];
  char StdAdobePaperInfoRectOriginYKey[256];
  char StdAdobePaperInfoRectHeightKey[256];
  char StdAdobePaperInfoRectWidthKey[256];

  // The client host (the account module).
  char HostNameStr[97];
  char IPAddressStr[46];
};
static_assert(std::is_standard_layout_v<JobCoreState> &&
                  std::is_trivially_copyable_v<JobCoreState>,
              "the command tables address JobCoreState fields by offset");

// The arguments of a CUPS filter that describe the job (argv[1] to argv[5]).
struct JobArguments {
  std::string jobId;    // not used
  std::string user;     // UTF-8; the login user name
  std::string title;    // UTF-8; the document name
  std::string copies;   // the copies as the spooler gives them (the page lines and the comment)
  std::string options;  // the job options, parsed with cupsParseOptions
};

class Job {
 public:
  // `ppd` (an unparsed PpdFile when the printer has none) and `log` outlive the job.
  Job(const Program& program, JobArguments arguments, const PpdFile& ppd, Logger& log);
  Job(const Job&) = delete;
  Job& operator=(const Job&) = delete;

  const Program& program;
  const ProgramTraits& traits;
  const JobArguments args;
  Logger& log;

  JobCoreState state{};
  // Which text fields (of the state and of the records) hold UTF-8.
  TextFieldEncodings textEncodings;
  TextEncoding EncodingOf(const void* field) const { return textEncodings.Of(field); }
  void SetEncoding(const void* field, TextEncoding encoding) { textEncodings.Set(field, encoding); }

  // The record of the program's `index`-th module (nullptr for a module without one).
  void* RecordAt(std::size_t index) const { return records_[index]; }
  // The record of `module` in this job; nullptr when the program has no such module (or it has
  // no record).
  void* RecordOf(const ModuleDescriptor& module) const;
  template <class R>
  R& Record(const ModuleDescriptor& module) const {
    return *static_cast<R*>(RecordOf(module));
  }
  // The modules that insert PostScript, each with its record, in the order of the program's list:
  // the stream asks them at every insertion line, so the others are left out once per job.
  struct PsInserter {
    decltype(ModuleDescriptor::insertPostScript) insert;
    void* record;
  };
  std::span<const PsInserter> psInserters() const { return psInserters_; }
  // What the operands of a table of the module whose record is `record` are resolved against.
  OperandScope Scope(const void* record) const { return {state, record, textEncodings}; }

  // Printer-language mode: UTF-8 mode when the PPD says "UTF-8" and the program has it.
  bool utf8Mode = false;
  TextEncoding encoding() const { return utf8Mode ? TextEncoding::UTF8 : TextEncoding::ShiftJIS; }

  // The printer's PPD.
  const PpdFile& ppd() const { return ppd_; }
  // The job options, parsed on first use, with the tickets that the job's standard attributes
  // give.
  const JobOptions& options();
  // Why the job must not print (its standard attributes ask for what the printer cannot do, such
  // as a password it cannot take); empty when it may.
  const std::string& refusal();

  // The ticket key of `name`: the program's prefix followed by the name.
  std::string TicketKey(const char* name) const;

  // Output: the printer stream's file, the job copy, and the stream that writes to both.
  OutFile stdoutFile;
  OutFile jobCopyFile;
  PrinterStream out{&stdoutFile, &jobCopyFile};

  // Set from outside the job (a signal handler, another thread): `cancel` stops the job at its
  // next page end; `outputGone` says that the reader of the printer stream went away.  nullptr:
  // never.
  const std::atomic<bool>* cancel = nullptr;
  const std::atomic<bool>* outputGone = nullptr;
  bool CancelJob() const { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }
  bool OutputGone() const {
    return outputGone != nullptr && outputGone->load(std::memory_order_relaxed);
  }

  // Copies of the page lines: argv[4] when it is a positive number, else 1; a copies comment of
  // the PostScript replaces it.
  int pageLogCopies = 1;

 private:
  const PpdFile& ppd_;
  bool optionsLoaded_ = false;
  JobOptions options_;
  std::string refusal_;
  std::unique_ptr<std::max_align_t[]> recordStorage_;
  std::vector<void*> records_;  // one per module of the program, in its order
  std::vector<PsInserter> psInserters_;
};

}  // namespace tf
