// PostScript pass-through with its insertion points.
#pragma once

#include <cstddef>
#include <string_view>

#include "filter/ps_scanner.h"

namespace tf {

class Job;
class PrinterStream;

// The lines of the stream that carry insertion points, and what happens at each.  Shared by the
// pass-through and by the first pass of the decomposition mode.
class PsInsertionMatcher {
 public:
  // Longest line that carries an insertion point: "userdict/setpagedevice{pop}bind put".
  static constexpr std::size_t kMaxLine = 35;

  explicit PsInsertionMatcher(Job& job) : job_(job) {}

  // True when `piece` is one of the lines below.
  static bool IsInsertionLine(const char* piece, std::size_t length);

  // Writes the line and its terminator to `out` with its insertions.  Returns false when the job
  // was cancelled at a page end (the line is then not written).
  bool Handle(const PsLine& line, PrinterStream& out);

  int pageCount() const { return page_; }

 private:
  Job& job_;
  int page_ = 0;
  bool prologEndSeen_ = false;
};

enum class StreamStatus {
  Completed,   // the whole PostScript went out, ended by control-D
  Cancelled,   // the job was cancelled at a page end
  InputError,  // the input could not be opened or read ("ERROR:" already written)
};

// Opens the job's PostScript: argv[6] when the filter has seven arguments, else standard input.
// Returns the descriptor, or -1 with an "ERROR:" line on stderr.  `owned` tells whether the caller
// must close it.
int OpenPostScriptInput(Job& job, bool* owned);

// Copies the job's PostScript to standard output with the modules' insertions, ends it with
// control-D, and writes a page line after every "ep".
StreamStatus OutputPSStream(Job& job);

// Writes the page accounting line "PAGE:<page> <copies>" on stderr.
void OutputPageLogCommand(Job& job, int page);

}  // namespace tf
