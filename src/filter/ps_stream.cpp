// PostScript pass-through with its insertion points.
#include "filter/ps_stream.h"

#include <string>

#include "engine/job.h"
#include "filter/module_steps.h"
#include "platform/decimal.h"
#include "platform/system_version.h"

namespace tf {
namespace {

constexpr std::string_view kLineEp = "ep";
constexpr std::string_view kLineEndp = "endp";
constexpr std::string_view kLineShowpage = "showpage";
constexpr std::string_view kLineBp = "bp";
constexpr std::string_view kLineEndSetup = "%%EndSetup";
constexpr std::string_view kLineSetPageDevice = "userdict/setpagedevice{pop}bind put";
constexpr std::string_view kLineEndPageSetup = "%%EndPageSetup";
constexpr std::string_view kLineBeginProlog = "%%BeginProlog";
constexpr std::string_view kLineEndProlog = "%%EndProlog";
static_assert(kLineSetPageDevice.size() == PsInsertionMatcher::kMaxLine);

// The comments of page accounting.
constexpr std::string_view kCommentPage = "%%Page:";
constexpr std::string_view kCommentCopies = "%RBINumCopies:";
constexpr std::string_view kCommentBeginDocument = "%%BeginDocument";
constexpr std::string_view kCommentEndDocument = "%%EndDocument";
static_assert(kCommentPage.size() == 7);
// A copies number has at most this many digits (it then fits an int).
constexpr std::size_t kMaxCopiesDigits = 9;

// The number of a copies comment's rest (" 3"): blanks, 1 to 9 digits, blanks.  0 when the text
// is anything else or the number is 0.
int ParseCopiesNumber(std::string_view rest) {
  const std::size_t first = rest.find_first_not_of(" \t");
  if (first == std::string_view::npos) return 0;
  const std::size_t last = rest.find_last_not_of(" \t");
  return ReadDigits(rest.substr(first, last + 1 - first), kMaxCopiesDigits).value_or(0);
}

// The pass-through: every insertion line is handed to the matcher.
class PassThroughHandler {
 public:
  static constexpr std::size_t kMaxPiece = PsInsertionMatcher::kMaxAccountingLine;
  static constexpr bool kLastLineUnmatched = false;

  explicit PassThroughHandler(Job& job) : matcher_(job) {}
  // The first bytes of the insertion lines and of the accounting comments.
  static constexpr bool MayStartWith(char first) {
    return first == '%' || first == 'b' || first == 'e' || first == 's' || first == 'u';
  }
  bool Wants(const char* piece, std::size_t length) {
    return (length <= PsInsertionMatcher::kMaxLine &&
            PsInsertionMatcher::IsInsertionLine(piece, length)) ||
           PsInsertionMatcher::IsAccountingLine(piece, length);
  }
  bool Handle(const PsLine& line, PrinterStream& out) { return matcher_.Handle(line, out); }
  PsInsertionMatcher& matcher() { return matcher_; }

 private:
  PsInsertionMatcher matcher_;
};

static_assert(PassThroughHandler::MayStartWith(kLineEp[0]) &&
              PassThroughHandler::MayStartWith(kLineEndp[0]) &&
              PassThroughHandler::MayStartWith(kLineShowpage[0]) &&
              PassThroughHandler::MayStartWith(kLineBp[0]) &&
              PassThroughHandler::MayStartWith(kLineEndSetup[0]) &&
              PassThroughHandler::MayStartWith(kLineSetPageDevice[0]) &&
              PassThroughHandler::MayStartWith(kLineEndPageSetup[0]) &&
              PassThroughHandler::MayStartWith(kLineBeginProlog[0]) &&
              PassThroughHandler::MayStartWith(kLineEndProlog[0]) &&
              PassThroughHandler::MayStartWith(kCommentPage[0]) &&
              PassThroughHandler::MayStartWith(kCommentCopies[0]) &&
              PassThroughHandler::MayStartWith(kCommentBeginDocument[0]) &&
              PassThroughHandler::MayStartWith(kCommentEndDocument[0]),
              "every wanted line begins with one of the bytes MayStartWith takes");

}  // namespace

bool PsInsertionMatcher::IsInsertionLine(const char* piece, std::size_t length) {
  const std::string_view line(piece, length);
  switch (length) {
    case 2:
      return line == kLineEp || line == kLineBp;
    case 4:
      return line == kLineEndp;
    case 8:
      return line == kLineShowpage;
    case 10:
      return line == kLineEndSetup;
    case 11:
      return line == kLineEndProlog;
    case 13:
      return line == kLineBeginProlog;
    case 14:
      return line == kLineEndPageSetup;
    case 35:
      return line == kLineSetPageDevice;
    default:
      return false;
  }
}

bool PsInsertionMatcher::IsAccountingComment(const char* piece, std::size_t length) {
  const std::string_view line(piece, length);
  if (piece[1] == '%') {
    switch (piece[2]) {
      case 'P':
        return line.starts_with(kCommentPage);
      case 'B':
        return line.starts_with(kCommentBeginDocument);
      case 'E':
        return line.starts_with(kCommentEndDocument);
      default:
        return false;
    }
  }
  return piece[1] == 'R' && line.starts_with(kCommentCopies);
}

void PsInsertionMatcher::CountComment(std::string_view line, PrinterStream& out) {
  if (line.starts_with(kCommentBeginDocument)) {
    ++documentDepth_;
  } else if (line.starts_with(kCommentEndDocument)) {
    if (documentDepth_ > 0) --documentDepth_;
  } else if (documentDepth_ > 0) {
    // The pages and copies of an embedded document are not the job's.
  } else if (line.starts_with(kCommentPage)) {
    ++dscPages_;
    pageSetupEnded_ = false;
    OutputPSCommandFromFilter(job_, kPointPageBegin, page_, out);
  } else if (const int copies = ParseCopiesNumber(line.substr(kCommentCopies.size()));
             copies > 0) {
    job_.pageLogCopies = copies;
  } else if (!reportedBadCopies_) {
    job_.log.Debug("Ignored a copies comment without a positive number.");
    reportedBadCopies_ = true;
  }
}

void PsInsertionMatcher::OutputCountedPages() {
  if (page_ > 0) return;  // the job has "ep" or "endp" lines: their rule counted the pages
  for (int page = 1; page <= dscPages_; ++page) OutputPageLogCommand(job_, page);
}

bool PsInsertionMatcher::Handle(const PsLine& line, PrinterStream& out) {
  const std::string_view text(line.piece, line.length);
  if (text == kLineEp) {
    ++page_;
    OutputPSCommandFromFilter(job_, kPointEndPage, page_, out);
    if (job_.CancelJob()) return false;
    WritePsLine(line, out);
    OutputPageLogCommand(job_, page_);
    sawPageEnd_ = true;
    pageSetupEnded_ = false;
  } else if (text == kLineEndp) {
    ++page_;
    OutputPSCommandFromFilter(job_, kPointEndPageP, page_, out);
    if (job_.CancelJob()) return false;
    WritePsLine(line, out);
    sawPageEnd_ = true;
    pageSetupEnded_ = false;
  } else if (text == kLineShowpage) {
    // PostScript without page-end procedures (what pstops passes on) ends its pages with
    // "showpage": there the page end is point 29, which closes the page-start save of point 24.
    if (pageSetupEnded_ && !sawPageEnd_ && documentDepth_ == 0) {
      pageSetupEnded_ = false;
      OutputPSCommandFromFilter(job_, kPointPageSave, page_, out);
    }
    if (job_.CancelJob()) return false;
    WritePsLine(line, out);
  } else if (text == kLineBp) {
    WritePsLine(line, out);
    OutputPSCommandFromFilter(job_, kPointBeginPage, page_, out);
  } else if (text == kLineEndSetup) {
    OutputPSCommandFromFilter(job_, kPointEndSetup, page_, out);
    WritePsLine(line, out);
  } else if (text == kLineSetPageDevice) {
    OutputPSCommandFromFilter(job_, kPointSetPageDevice, page_, out);
    WritePsLine(line, out);
  } else if (text == kLineEndPageSetup) {
    WritePsLine(line, out);
    if (documentDepth_ == 0 && !pageSetupEnded_) {
      pageSetupEnded_ = true;
      OutputPSCommandFromFilter(job_, kPointEndPageSetup, page_, out);
    }
  } else if (text == kLineBeginProlog) {
    WritePsLine(line, out);
    OutputPSCommandFromFilter(job_, kPointBeginProlog, page_, out);
  } else if (text == kLineEndProlog) {
    if (!prologEndSeen_) OutputPSCommandFromFilter(job_, kPointEndProlog, page_, out);
    WritePsLine(line, out);
    prologEndSeen_ = true;
  } else {
    if (IsAccountingLine(line.piece, line.length)) CountComment(text, out);
    WritePsLine(line, out);
  }
  return true;
}

StreamStatus OutputPSStream(Job& job, int inputFd) {
  PassThroughHandler handler(job);
  const ScanOutcome outcome = ScanPostScript(inputFd, job.out, handler);
  switch (outcome.result) {
    case ScanResult::Stopped:
      return StreamStatus::Cancelled;
    case ScanResult::ReadError:
      job.log.Error("Unable to read print data: %s", SystemErrorText(outcome.error).c_str());
      return StreamStatus::InputError;
    case ScanResult::Completed:
      break;
  }
  job.out.Write("\x04");
  handler.matcher().OutputCountedPages();
  return StreamStatus::Completed;
}

void OutputPageLogCommand(Job& job, int page) {
  if (!SystemTakesPageLog()) return;
  job.log.Page(page, job.pageLogCopies);
}

}  // namespace tf
