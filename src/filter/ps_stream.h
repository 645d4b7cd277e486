// PostScript pass-through with its insertion points.
#pragma once

#include <cstddef>
#include <string_view>

#include "filter/ps_scanner.h"

namespace tf {

class Job;
class PrinterStream;

// The lines of the stream that carry insertion points, and what happens at each, with the page
// accounting.  Shared by the pass-through and by the first pass of the decomposition mode.
//
// Page accounting: a page line follows every "ep".  Most PostScript that CUPS's pstops prepares
// has neither "ep" nor "endp" lines; for a job without a single one the DSC "%%Page:" comments
// outside embedded documents are counted instead, and their page lines written once the whole
// stream went out (OutputCountedPages), so that no page is ever counted twice.  A copies comment
// "%RBINumCopies: N" (pstops) says that the document itself already asks the printer for N
// copies: the page lines then carry N instead of argv[4].
class PsInsertionMatcher {
 public:
  // Longest line that carries an insertion point: "userdict/setpagedevice{pop}bind put".
  static constexpr std::size_t kMaxLine = 35;
  // Longest page-accounting comment looked at: the longest line a DSC comment may have.
  static constexpr std::size_t kMaxAccountingLine = 255;

  explicit PsInsertionMatcher(Job& job) : job_(job) {}

  // True when `piece` is one of the lines below.
  static bool IsInsertionLine(const char* piece, std::size_t length);
  // True when `piece` is a comment that page accounting looks at ("%%Page:", "%RBINumCopies:",
  // "%%BeginDocument", "%%EndDocument").  Costs one byte compare for every line that is not a
  // comment.
  static bool IsAccountingLine(const char* piece, std::size_t length) {
    return length >= kShortestAccountingLine && length <= kMaxAccountingLine &&
           piece[0] == '%' && IsAccountingComment(piece, length);
  }

  // Writes the line and its terminator to `out` with its insertions.  Returns false when the job
  // was cancelled at a page end (the line is then not written).
  bool Handle(const PsLine& line, PrinterStream& out);

  // At the end of a stream that went out whole: when the job had no "ep" or "endp" line, one page
  // line for every "%%Page:" comment counted.
  void OutputCountedPages();

  int pageCount() const { return page_; }

 private:
  static constexpr std::size_t kShortestAccountingLine = 7;  // "%%Page:"
  static bool IsAccountingComment(const char* piece, std::size_t length);
  void CountComment(std::string_view line, PrinterStream& out);

  Job& job_;
  int page_ = 0;
  bool prologEndSeen_ = false;
  int dscPages_ = 0;      // "%%Page:" comments outside embedded documents
  int documentDepth_ = 0;  // nesting of "%%BeginDocument" ... "%%EndDocument"
  bool reportedBadCopies_ = false;
  // The current page's setup ended (point 24 was raised) and its end has not been marked yet.
  // A page has one page setup: a producer may end it twice (pstops adds its own page setup in
  // front of the document's), and an embedded document may carry its own; only the first
  // "%%EndPageSetup" of a page outside embedded documents raises point 24.
  bool pageSetupEnded_ = false;
  // A page-end line ("ep" or "endp") was seen: the job draws its pages with page procedures.
  bool sawPageEnd_ = false;
};

enum class StreamStatus {
  Completed,   // the whole PostScript went out, ended by control-D
  Cancelled,   // the job was cancelled at a page end
  InputError,  // the input could not be opened or read ("ERROR:" already written)
};

// Copies the job's PostScript, read from `inputFd` to its end, to the printer with the modules'
// insertions, ends it with control-D, and writes a page line after every "ep" (or, without any
// "ep" or "endp", one per "%%Page:" comment at the end).
StreamStatus OutputPSStream(Job& job, int inputFd);

// The page accounting line of `page` ("PAGE:<page> <copies>" for CUPS); the copies are argv[4] or
// the number of a "%RBINumCopies:" comment, always a positive number.
void OutputPageLogCommand(Job& job, int page);

}  // namespace tf
