// Command formats and control symbols.
//
// A printer command is written from a format string in which "%d", "%c" and "%s" stand for
// values, and a list of operands for those values, taken by position.  Format strings never hold
// the escape byte, line ends or double quotes: they take those as "%c" of the constant bytes below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>

#include "engine/condition.h"
#include "engine/operand.h"
#include "platform/text_conversion.h"

namespace tf {

class Job;

// Every command line the engine produces fits this many bytes, terminating NUL included.
constexpr int kCommandBufferSize = 230;

// One row of ctrlSymTable.
struct CtrlSymEntry {
  const char* symbol;
  std::int32_t kind;  // 0 decimal of an int32, 1 one byte, 2 a string
};

inline constexpr char CtrlSym_Dec[] = "%d";
inline constexpr char CtrlSym_Char[] = "%c";
inline constexpr char CtrlSym_String[] = "%s";

inline constexpr CtrlSymEntry ctrlSymTable[] = {
    {CtrlSym_Dec, 0},
    {CtrlSym_Char, 1},
    {CtrlSym_String, 2},
};
static_assert(std::size(ctrlSymTable) == 3);

// Constant bytes taken by "%c".
inline constexpr char CTRLSym_ESC = 0x1B;
inline constexpr char CTRLSym_PERCENTAGE = 0x25;
inline constexpr char CTRLSym_CR = 0x0D;
inline constexpr char CTRLSym_LF = 0x0A;
inline constexpr char CTRLSym_DOUBLE = 0x22;

// The constant bytes as operands of a row's format.
inline constexpr Operand kESC = TF_CONST(CTRLSym_ESC);
inline constexpr Operand kPercentSign = TF_CONST(CTRLSym_PERCENTAGE);
inline constexpr Operand kCR = TF_CONST(CTRLSym_CR);
inline constexpr Operand kLF = TF_CONST(CTRLSym_LF);
inline constexpr Operand kDQ = TF_CONST(CTRLSym_DOUBLE);

// The operands of one row, one per control symbol of its format, in order, written inline.
inline constexpr std::size_t kMaxParameters = 6;
using ParameterList = FixedList<Operand, kMaxParameters>;

// One row of a command format table: its name (what it writes, for readers and tests), its
// format, the operands of the format's control symbols and the conditions under which it is
// written (none: always).
struct FmtTableEntry {
  const char* name;
  const char* format;
  ParameterList params;
  ConditionList conditions;
};

// Points at the first "%" of `text` that begins a control symbol; nullptr when there is none.
const char* GetNextCtrlSym(const char* text);
// 1 when `symbol` is one of the control symbols, else 0.
int IsCtrlSym(const char* symbol);
// Formats the value `parameter` points to by the kind of `symbol` into `value` (bounded by
// `valueSize`); returns the length produced, 0 for an unknown symbol or an empty result.
int GetCtrlSym(const char* symbol, const void* parameter, char* value, int valueSize);

// Expands `format` with `params` (resolved in `scope`) into `out` (outSize bytes, at least
// kCommandBufferSize).  Returns the length of the command, or 0 when nothing must be written: a
// value that is empty (an empty "%s", a zero "%c") stops the row whole, so that no command ever
// reaches the printer without its line end.  A line that would exceed kCommandBufferSize - 1 bytes
// keeps its literal text and constant bytes and shortens its string values, each by whole
// characters of its own encoding (scope.encodings: a UTF-8 printer's job holds Shift-JIS values
// too).  String values from the job lose the bytes that could end a quoted PJL value or a line
// (double quote, control bytes, DEL).
int BuildPrintCommand(const char* format, std::span<const Operand> params,
                      const OperandScope& scope, char* out, int outSize);

// The row loop: writes every row of `table` whose conditions hold, expanded, to the job's printer
// stream.  The rows' record operands are fields of `record`, the record of the module whose table
// it is (nullptr for a table without them).
void OutputKPJLCommandFromArray(Job& job, const void* record, std::span<const FmtTableEntry> table);

// Removes from `text` (in place) the bytes that must never reach a quoted PJL value: the double
// quote, control bytes 0x00-0x1F and DEL.  Returns the new length.
std::size_t StripPjlUnsafe(char* text, std::size_t length);
bool IsPjlUnsafe(unsigned char c);

}  // namespace tf
