// Command formats and control symbols.
//
// A printer command is written from a format string in which "%d", "%c" and "%s" stand for
// values, and a list of operands for those values, taken by position.  Format strings never hold
// the escape byte, line ends or double quotes: they take those as "%c" of the constant bytes below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "engine/condition.h"
#include "engine/operand.h"
#include "platform/text_conversion.h"

namespace tf {

struct JobState;

// Every command line the engine produces fits this many bytes, terminating NUL included.
constexpr int kCommandBufferSize = 230;

// One row of ctrlSymTalbe.
struct CtrlSymEntry {
  const char* symbol;
  std::int32_t kind;  // 0 decimal of an int32, 1 one byte, 2 a string
};

inline constexpr char CtrlSym_Dec[] = "%d";
inline constexpr char CtrlSym_Char[] = "%c";
inline constexpr char CtrlSym_String[] = "%s";

inline constexpr CtrlSymEntry ctrlSymTalbe[] = {
    {CtrlSym_Dec, 0},
    {CtrlSym_Char, 1},
    {CtrlSym_String, 2},
};
inline constexpr std::int32_t CtrlSymNum = static_cast<std::int32_t>(std::size(ctrlSymTalbe));
static_assert(CtrlSymNum == 3);

// Constant bytes taken by "%c".
inline constexpr char CTRLSym_ESC = 0x1B;
inline constexpr char CTRLSym_PERCENTAGE = 0x25;
inline constexpr char CTRLSym_CR = 0x0D;
inline constexpr char CTRLSym_LF = 0x0A;
inline constexpr char CTRLSym_DOUBLE = 0x22;

// One row of a command format table.
struct FmtTableEntry {
  const char* format;
  const ParaTable<Operand>* params;               // nullptr: the format has no control symbol
  const ParaTable<ComparationItem>* conditions;  // nullptr: the row is always written
};

// Points at the first "%" of `text` that begins a control symbol; nullptr when there is none.
const char* GetNextCtrlSym(const char* text);
// 1 when `symbol` is one of the control symbols, else 0.
int IsCtrlSym(const char* symbol);
// Formats the value `parameter` points to by the kind of `symbol` into `value` (bounded by
// `valueSize`); returns the length produced, 0 for an unknown symbol or an empty result.
int getCtrlSym(const char* symbol, const void* parameter, char* value, int valueSize);

// Expands `format` with `params` (resolved against `state`) into `out` (outSize bytes, at least
// kCommandBufferSize).  Returns the length of the command, or 0 when nothing must be written: a
// value that is empty (an empty "%s", a zero "%c") stops the row whole, so that no command ever
// reaches the printer without its line end.  A line that would exceed kCommandBufferSize - 1 bytes
// keeps its literal text and constant bytes and shortens its string values, each by whole
// characters of its own encoding (state.textEncodings: a UTF-8 printer's job holds Shift-JIS
// values too).  String values from the job lose the bytes that could end a quoted PJL value or a
// line (double quote, control bytes, DEL).
int BuildPrintComand(const char* format, const ParaTable<Operand>* params, const JobState& state,
                     char* out, int outSize);

// Decimal digits of a non-negative `value`, right-aligned so that the terminator is at position
// n - 1 of `buffer`; returns a pointer to the first digit (to the terminator for 0, which has no
// digit).
char* itoa(int value, char* buffer, int n);

// Removes from `text` (in place) the bytes that must never reach a quoted PJL value: the double
// quote, control bytes 0x00-0x1F and DEL.  Returns the new length.
std::size_t StripPjlUnsafe(char* text, std::size_t length);
bool IsPjlUnsafe(unsigned char c);

}  // namespace tf
