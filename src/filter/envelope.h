// The job envelope: what belongs to no module, and the order of the header.  The universal exit
// language sequence, the string code set, the job-mode line, the modules' header lines, the choice
// of the job-information comment block, the switch into PostScript and the trailer.
#pragma once

#include <span>

#include "engine/format.h"

namespace tf {

class Job;

inline constexpr FmtTableEntry prtFmtTableKPJLHead[] = {
    {"KPJLHead", "%c%c-12345X", {kESC, kPercentSign}, {}}};
inline constexpr FmtTableEntry prtFmtTableKPJLJobMode[] = {
    {"KPJLJobMode", "@PJL JOB MODE=PRINTER%c%c", {kCR, kLF}, {}}};
// The trailer's list has four entries; its format uses the first two and ends with its own "\n".
inline constexpr FmtTableEntry prtFmtTableKPJLTrailer[] = {
    {"KPJLTrailer", "%c%c-12345X@PJL EOJ\n", {kESC, kPercentSign, kCR, kLF}, {}}};
inline constexpr FmtTableEntry prtFmtTableEnterPS[] = {
    {"KPJLEnterPS", "@PJL ENTER LANGUAGE=POSTSCRIPT\n", {}, {}}};

// Product codes whose printers take the version 1.3.0 comment block (matched in "PCFileName").
extern const std::span<const char* const> modelsWithComment;

// The whole job header, from the special-pages ticket to the switch into PostScript.
void OutputKPJLCommand(Job& job);
// "@PJL SET STRINGCODESET=UTF8" for UTF-8 printers.
void OutputKPJLCommandLanguageEncodingForMDL7K2A(Job& job);

enum class CommentBlock { None, Version130, Version150 };
// Which job-information comment block the printer takes, by its PPD.
CommentBlock ChooseCommentBlock(Job& job);
void OutputCommentBlock(Job& job, CommentBlock block);

// True when the PPD asks for feature decomposition ("QMPSDecompMode" is "1").
bool IsDecompositionMode(Job& job);

}  // namespace tf
