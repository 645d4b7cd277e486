// Feature decomposition mode: the PPD feature settings that the PostScript carries become PJL
// commands that precede it.
//
// The PostScript is first copied, with the modules' insertions, into a temporary file; the feature
// lines ("%%BeginFeature: *Keyword Choice") and the screen and rendering parameter lines met on
// the way are turned into PJL at once, which lands after the job header.  Then the switch into
// PostScript is written and the temporary file is replayed to the printer.  When the input is a
// regular file (the spooler's print file), the temporary file keeps references to its bytes
// instead of a copy, and the replay reads them from the input again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "filter/ps_stream.h"

namespace tf {

class Job;

// One row of FeaturePPDKeyNameandMarkedValuetoPJLCommand: a PPD main keyword (without its
// asterisk), one of its choices, and the PJL line (with its line feed) that sets it.
struct FeaturePJLCommandEntry {
  const char* keyword;
  const char* choice;
  const char* pjl;
};

inline constexpr std::size_t kFeaturePJLCommandRows = 123;
extern const FeaturePJLCommandEntry
    FeaturePPDKeyNameandMarkedValuetoPJLCommand[kFeaturePJLCommandRows];

// PPD keywords with a meaning of their own in the feature lines.
inline constexpr char KPPDOutputModeKey[] = "QMOutputMode";
inline constexpr char KPPDHalfToneKey[] = "QMHalftone";

// The PJL line of the first row whose keyword, with an asterisk in front, equals `keyword` (as
// written in the PostScript, "*QMTonerSaver") and whose choice equals `choice`, both exactly;
// nullptr when no row matches.
const char* GetThePJLCommandfromKeywordsandMarkedValue(std::string_view keyword,
                                                       std::string_view choice);

// The characters of `text` from position `first` to position `last`, both included: one character
// when first equals last, empty when first is greater than last.  Positions past the end of the
// text are cut to it.
std::string_view GetSubString(std::string_view text, std::size_t first, std::size_t last);

// Copies the PostScript kept in the file `fd` (from its current offset, a line start) to standard
// output, without the job copy.  Once the job is cancelled the copy stops after the next "ep",
// "endp" or "showpage" line and Cancelled is returned.  Where the system can, the data moves from
// the file to the output without passing through the process until the job is cancelled; the
// copy then goes on line by line.
StreamStatus ReplayPrintData(Job& job, int fd);
// The line-by-line copy of ReplayPrintData, from the file's offset; `midLine` says that the offset
// is inside a line, whose rest is then copied without being looked at.
StreamStatus ReplayPrintDataByLine(Job& job, int fd, bool midLine);

// ReplayPrintData for a temporary file of source pieces (OutFile::ReferToSource) whose references
// point into the input file `inputFd`.  InputError, after an "ERROR:" line, when a file cannot be
// read or the input has become shorter.
StreamStatus ReplayPrintDataFromPieces(Job& job, int piecesFd, int inputFd);

// The decomposition mode for the whole PostScript of the job, read from `inputFd`, with its
// temporary file in `temporaryDirectory` ("/tmp" when empty).  Writes the PJL of the feature and
// parameter lines to the printer at once, then the switch into PostScript and the PostScript with
// its insertions, ended by control-D.  A job cancelled at a page end during the first pass
// gets neither the switch nor any PostScript; during the replay the PostScript stops after the
// page-end line.  Returns InputError, after an "ERROR:" line, when the input cannot be opened or
// read, or the temporary file cannot be created, written or read back.
StreamStatus OutputPSStreamtoFileandInsertPJLforFeaturePDE(Job& job, int inputFd,
                                                           const std::string& temporaryDirectory);

}  // namespace tf
