// PJL lines with one value.
#include "engine/pjl_line.h"

#include <cstdio>
#include <cstring>
#include <limits>

#include "engine/format.h"
#include "engine/output_channel.h"

namespace tf {
namespace {

constexpr std::size_t kValueSize = 256;  // the value of a text field: 255 bytes and more

std::int32_t HeldToInt32(std::int64_t value) {
  if (value > std::numeric_limits<std::int32_t>::max()) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (value < std::numeric_limits<std::int32_t>::min()) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(value);
}

// "@PJL SET JOBATTR="@<attribute>=", as the head of an attribute line.
std::string_view AttributeHead(std::string_view attribute, char (&head)[kPjlLineSize]) {
  const int n = std::snprintf(head, sizeof(head), "@PJL SET JOBATTR=\"@%.*s=",
                              static_cast<int>(attribute.size()), attribute.data());
  return std::string_view(head, static_cast<std::size_t>(n) < sizeof(head) ? n : sizeof(head) - 1);
}

constexpr std::string_view kAttributeTail = "\"\n";

}  // namespace

void WritePjlLine(PrinterStream& out, std::string_view head, std::string_view value,
                  TextEncoding encoding, std::string_view tail) {
  char cleaned[kValueSize] = {};
  const std::size_t copied = value.size() < kValueSize - 1 ? value.size() : kValueSize - 1;
  std::memcpy(cleaned, value.data(), copied);
  const std::size_t length = StripPjlUnsafe(cleaned, strnlen(cleaned, copied));
  const std::size_t fixed = head.size() + tail.size();
  const std::size_t room = fixed < kPjlLineSize - 1 ? kPjlLineSize - 1 - fixed : 0;
  const std::size_t keep = CutToWholeChars(std::string_view(cleaned, length), room, encoding);
  out.Write(head);
  out.Write(cleaned, keep);
  out.Write(tail);
}

void WritePjlLine(PrinterStream& out, std::string_view head, std::int64_t value,
                  std::string_view tail) {
  char number[16];
  const int n = std::snprintf(number, sizeof(number), "%d", HeldToInt32(value));
  out.Write(head);
  out.Write(number, static_cast<std::size_t>(n));
  out.Write(tail);
}

void WriteJobAttribute(PrinterStream& out, std::string_view attribute, std::string_view value,
                       TextEncoding encoding) {
  char head[kPjlLineSize];
  WritePjlLine(out, AttributeHead(attribute, head), value, encoding, kAttributeTail);
}

void WriteJobAttribute(PrinterStream& out, std::string_view attribute, std::int64_t value) {
  char head[kPjlLineSize];
  WritePjlLine(out, AttributeHead(attribute, head), value, kAttributeTail);
}

}  // namespace tf
