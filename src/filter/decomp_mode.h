// Feature decomposition mode: the PPD feature settings that the PostScript carries become PJL
// commands that precede it.
//
// The PostScript is first copied, with the modules' insertions, into a temporary file (the spool,
// print_data_spool.h); the feature lines ("%%BeginFeature: *Keyword Choice") and the screen and
// rendering parameter lines met on the way are turned into PJL at once, which lands after the job
// header.  Then the switch into PostScript is written and the spool is replayed to the printer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
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

// The feature lines that become PJL: rows written out, then the colour-density rows, which are
// made by their rule when the program is built.
extern const std::span<const FeaturePJLCommandEntry> FeaturePPDKeyNameandMarkedValuetoPJLCommand;

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
