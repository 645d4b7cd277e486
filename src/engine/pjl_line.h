// PJL lines with one value: the lines that modules write by hand rather than from a table row
// (the comment lines, the perfect-binding and line-weight attributes, the decomposition's screen
// parameters).  Each line has a fixed head, one value and a fixed tail, and fits a line of
// kPjlLineSize - 1 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/text_conversion.h"

namespace tf {

class PrinterStream;

inline constexpr std::size_t kPjlLineSize = 100;

// Writes `head`, `value` and `tail` as one line: the value (at most its first 255 bytes) loses the
// bytes that could end a quoted PJL value or the line, and is shortened by whole characters of
// `encoding` so that the line, tail and line end included, fits kPjlLineSize - 1 bytes.
void WritePjlLine(PrinterStream& out, std::string_view head, std::string_view value,
                  TextEncoding encoding, std::string_view tail);
// The same with the decimal text of `value`, held to the int32 range.
void WritePjlLine(PrinterStream& out, std::string_view head, std::int64_t value,
                  std::string_view tail);

// "@PJL SET JOBATTR="@<attribute>=<value>"" and a line feed.
void WriteJobAttribute(PrinterStream& out, std::string_view attribute, std::string_view value,
                       TextEncoding encoding = TextEncoding::ShiftJIS);
void WriteJobAttribute(PrinterStream& out, std::string_view attribute, std::int64_t value);

}  // namespace tf
