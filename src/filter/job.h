// One print job: its state (records, identity buffers, once-flags), its arguments, its PPD, its
// options and its output streams.  Everything a job touches lives here, so that many jobs can run
// one after another in one process without anything leaking from one into the next.
#pragma once

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

#include "engine/job_options.h"
#include "engine/text_fields.h"
#include "filter/output_channel.h"
#include "filter/program_traits.h"
#include "modules/comment/comment.h"
#include "modules/features/features.h"
#include "modules/jba/jba.h"
#include "modules/pbind/pbind.h"
#include "modules/printtype/printtype.h"
#include "modules/specialpage/specialpage.h"
#include "modules/watermark/watermark.h"
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

class Job {
 public:
  Job(const ProgramTraits& traits, const FilterConfig& config, int argc, char** argv);
  Job(const Job&) = delete;
  Job& operator=(const Job&) = delete;

  const ProgramTraits& traits;
  const FilterConfig& config;
  const int argc;
  char** const argv;

  JobState state{};

  // Printer-language mode: UTF-8 mode when the PPD says "UTF-8" and the program has it.
  bool utf8Mode = false;
  TextEncoding encoding() const { return utf8Mode ? TextEncoding::UTF8 : TextEncoding::ShiftJIS; }

  // The PPD named by the environment variable PPD, parsed on first use.
  const PpdFile& ppd();
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

  // Cancellation flags, set by the signal handlers (or by a test).
  const volatile std::sig_atomic_t* cancelJob = &localCancel_;
  const volatile std::sig_atomic_t* cancelJobForPipe = &localCancel_;
  bool CancelJob() const { return *cancelJob != 0; }

  // Copies value of the page lines (argv[4] when it is a positive number, else "1").
  std::string pageLogCopies = "1";
  // Set once the stream has seen a page-end line ("ep" or "endp").
  bool sawPageEnd = false;

 private:
  bool ppdLoaded_ = false;
  PpdFile ppd_;
  bool optionsLoaded_ = false;
  JobOptions options_;
  std::string refusal_;
  volatile std::sig_atomic_t localCancel_ = 0;
};

}  // namespace tf
