// One print job: its state (records, identity buffers, once-flags), its arguments, its PPD, its
// options, its output streams and its logger.  Everything a job touches lives here, so that many
// jobs can run in one process, one after another or at once, without anything leaking from one
// into another.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

#include "engine/job_options.h"
#include "engine/text_fields.h"
#include "engine/program.h"
#include "engine/output_channel.h"
#include "modules/comment/comment.h"
#include "modules/features/features.h"
#include "modules/jba/jba.h"
#include "modules/pbind/pbind.h"
#include "modules/printtype/printtype.h"
#include "modules/specialpage/specialpage.h"
#include "modules/watermark/watermark.h"
#include "platform/logger.h"
#include "platform/ppd.h"
#include "platform/text_conversion.h"

namespace tf {

// The job's records and buffers, which the command tables address by offset.  Zero at job start.
struct JobState {
  // User and document names, prepared from argv[2] and argv[3].
  char StdUserName[766];
  char StdJBAUserName[97];
  char StdDocumentName[256];
  char PTStdDocumentName[256];

  // Layout buffers; StdNUpInfo, StdLayoutRowInfo and StdLayoutColumnInfo are filled by the
  // account tickets, the others are only cleared.
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

  // The client host.
  char HostNameStr[97];
  char IPAddressStr[46];

  // Module records.
  PrintTypeOptions kpjlOptionPrintType;
  JBAOptions kpjlOptionJBA;
  FeaturesOptions kpjlOptionFeatures;
  WatermarkOptions psOptionWatermark;
  WatermarkOnceFlags watermarkOnce;
  WatermarkPageFlow watermarkFlow;
  PBindOptions psoptionpbind;
  CommentOptions psoptioncomment;
  SpecialPageOptions psOptionSpecialPage;

  // The fields above that hold UTF-8 text; every other text field is Shift-JIS.  Set by whatever
  // fills a field, read by whatever shortens its value.
  TextFieldEncodings textEncodings;

  // The encoding of the text in `field`, one of the string fields of this state.
  TextEncoding EncodingOf(const char* field) const { return textEncodings.Of(OffsetOf(field)); }
  void SetEncoding(const char* field, TextEncoding encoding) {
    textEncodings.Set(OffsetOf(field), encoding);
  }

 private:
  std::size_t OffsetOf(const char* field) const {
    return static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(field) -
                                    reinterpret_cast<std::uintptr_t>(this));
  }
};
static_assert(std::is_standard_layout_v<JobState> && std::is_trivially_copyable_v<JobState>,
              "the command tables address JobState fields by offset");

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

  JobState state{};

  // Printer-language mode: UTF-8 mode when the PPD says "UTF-8" and the program has it.
  bool utf8Mode = false;
  TextEncoding encoding() const { return utf8Mode ? TextEncoding::UTF8 : TextEncoding::ShiftJIS; }

  // The printer's PPD.
  const PpdFile& ppd() const { return ppd_; }
  // The job options (argv[5]), parsed on first use, with the tickets that the job's standard
  // attributes give.
  const JobOptions& options();
  // Why the job must not print (its standard attributes ask for what the printer cannot do, such
  // as a password it cannot take); empty when it may.
  const std::string& refusal();

  // The ticket key of `name`: the program's prefix followed by the name.
  std::string TicketKey(const char* name) const;

  // Output: standard output, the job copy, and the stream that writes to both.
  OutFile stdoutFile;
  OutFile jobCopyFile;
  std::string jobCopyPath;
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
  // Set once the stream has seen a page-end line ("ep" or "endp").
  bool sawPageEnd = false;

 private:
  const PpdFile& ppd_;
  bool optionsLoaded_ = false;
  JobOptions options_;
  std::string refusal_;
};

}  // namespace tf
