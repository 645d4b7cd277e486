// The job envelope: what belongs to no module.  The universal exit language sequence, the job-mode
// line, the string code set, line weight and render mode, the choice of the job-information
// comment block, the switch into PostScript and the trailer, and the row loop through which every
// command table is written.
#pragma once

#include <cstdint>
#include <iterator>

#include "engine/format.h"

namespace tf {

class Job;
class PrinterStream;

extern const FmtTableEntry prtFmtTableKPJLHead[1];
extern const FmtTableEntry prtFmtTableKPJLJobMode[1];
extern const FmtTableEntry prtFmtTableKPJLTrailer[1];
extern const FmtTableEntry prtFmtTableEnterPS[1];
inline constexpr std::int32_t numFmtTableKPJLHead = 1;
inline constexpr std::int32_t numFmtTableKPJLJobMode = 1;
inline constexpr std::int32_t numFmtTableKPJLTrailer = 1;
inline constexpr std::int32_t numFmtTableEnterPS = 1;

// Product codes whose printers take the version 1.3.0 comment block (matched in "PCFileName").
extern const char* const modelsWithComment[65];

// The row loop: writes every row whose conditions hold, expanded, to standard output.
void OutputKPJLCommandFromArray(Job& job, const FmtTableEntry* table, std::int32_t rows);
template <std::size_t N>
void OutputKPJLCommandFromArray(Job& job, const FmtTableEntry (&table)[N]) {
  OutputKPJLCommandFromArray(job, table, static_cast<std::int32_t>(N));
}

// The whole job header, from the special-pages ticket to the switch into PostScript.
void OutputKPJLCommand(Job& job);
// "@PJL SET STRINGCODESET=UTF8" for UTF-8 printers.
void OutputKPJLCommandLanguageEncodingForMDL7K2A(Job& job);
// The line-weight and render-mode lines.
void OutputKPJLCommandOthers(Job& job);

enum class CommentBlock { None, Version130, Version150 };
// Which job-information comment block the printer takes, by its PPD.
CommentBlock ChooseCommentBlock(Job& job);
void OutputCommentBlock(Job& job, CommentBlock block);

// True when the PPD asks for feature decomposition ("QMPSDecompMode" is "1").
bool IsDecompositionMode(Job& job);

}  // namespace tf
