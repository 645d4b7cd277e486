// Command format expansion.
#include "engine/format.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "engine/job.h"

namespace tf {
namespace {

constexpr int kLineLimit = kCommandBufferSize - 1;  // bytes of text in one command line

// One control symbol of a format, with the text before it.
struct Segment {
  std::string_view literal;  // text between the previous symbol and this one
  std::int32_t kind;         // -1 for the text after the last symbol
  std::string_view value;    // the value's text (for kind 2, before any shortening)
  TextEncoding encoding;     // kind 2: the encoding of the value's text
};

// Decimal and byte values are short; they are formatted into the segment's own storage.
struct SegmentStorage {
  char text[16];
};

}  // namespace

bool IsPjlUnsafe(unsigned char c) { return c < 0x20 || c == 0x22 || c == 0x7F; }

std::size_t StripPjlUnsafe(char* text, std::size_t length) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (!IsPjlUnsafe(static_cast<unsigned char>(text[i]))) text[kept++] = text[i];
  }
  if (kept < length) std::memset(text + kept, 0, length - kept);
  return kept;
}

int IsCtrlSym(const char* symbol) {
  for (const CtrlSymEntry& entry : ctrlSymTable) {
    if (std::strcmp(entry.symbol, symbol) == 0) return 1;
  }
  return 0;
}

const char* GetNextCtrlSym(const char* text) {
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p != '%') continue;
    const char symbol[3] = {p[0], p[1], '\0'};
    if (IsCtrlSym(symbol) == 1) return p;
  }
  return nullptr;
}

int GetCtrlSym(const char* symbol, const void* parameter, char* value, int valueSize) {
  if (valueSize <= 0) return 0;
  std::memset(value, 0, static_cast<std::size_t>(valueSize));
  for (const CtrlSymEntry& entry : ctrlSymTable) {
    if (std::strcmp(entry.symbol, symbol) != 0) continue;
    switch (entry.kind) {
      case 0:
        std::snprintf(value, static_cast<std::size_t>(valueSize), "%d",
                      *static_cast<const std::int32_t*>(parameter));
        break;
      case 1:
        if (valueSize > 1) value[0] = *static_cast<const char*>(parameter);
        break;
      case 2:
        std::snprintf(value, static_cast<std::size_t>(valueSize), "%s",
                      static_cast<const char*>(parameter));
        break;
      default:
        return 0;
    }
    return static_cast<int>(std::strlen(value));
  }
  return 0;
}

int BuildPrintCommand(const char* format, std::span<const Operand> params,
                      const OperandScope& scope, char* out, int outSize) {
  if (out == nullptr || outSize <= 0) return 0;
  std::memset(out, 0, static_cast<std::size_t>(outSize));
  if (format == nullptr) return 0;

  // The format's first 229 bytes, split into its control symbols.
  char work[kCommandBufferSize] = {};
  std::strncpy(work, format, kLineLimit);
  constexpr int kMaxSegments = kCommandBufferSize / 2 + 1;
  Segment segments[kMaxSegments];
  SegmentStorage storage[kMaxSegments];
  int segmentCount = 0;
  std::size_t index = 0;
  const char* position = work;
  std::size_t fixedLength = 0;   // literal text, bytes and numbers
  while (*position != '\0') {
    const char* symbol = GetNextCtrlSym(position);
    if (symbol == nullptr) {
      segments[segmentCount++] = {std::string_view(position), -1, {}, TextEncoding::ShiftJIS};
      fixedLength += std::strlen(position);
      break;
    }
    if (index >= params.size()) return 0;  // a symbol without its value
    Segment& segment = segments[segmentCount];
    segment.literal = std::string_view(position, static_cast<std::size_t>(symbol - position));
    const Operand& operand = params[index];
    const void* parameter = operand.Resolve(scope.core, scope.record);
    const char text[3] = {symbol[0], symbol[1], '\0'};
    if (symbol[1] == 's') {
      segment.kind = 2;
      segment.value = std::string_view(static_cast<const char*>(parameter));
      // A job field holds text in the encoding its filler recorded; a constant is the
      // program's own ASCII text.
      segment.encoding = operand.base() != Operand::Base::Constant
                             ? scope.encodings.Of(parameter)
                             : TextEncoding::ShiftJIS;
    } else {
      // A decimal or a byte: a zero byte stops the row.
      segment.kind = symbol[1] == 'd' ? 0 : 1;
      char* value = storage[segmentCount].text;
      const int n = GetCtrlSym(text, parameter, value, sizeof(storage[segmentCount].text));
      if (n <= 0) return 0;
      segment.value = std::string_view(value, static_cast<std::size_t>(n));
    }
    if (segment.kind == 2) {
      // Count what reaches the printer: the value without the bytes that are dropped.
      std::size_t safe = 0;  // string values only count for the shortening below
      for (unsigned char c : segment.value) safe += IsPjlUnsafe(c) ? 0 : 1;
      if (safe == 0) return 0;  // an empty value stops the row
    } else {
      fixedLength += segment.value.size();
    }
    fixedLength += segment.literal.size();
    ++segmentCount;
    ++index;
    position = symbol + 2;
  }

  // Strings share what the fixed text leaves of the line, in order of appearance.
  std::size_t budget = fixedLength < static_cast<std::size_t>(kLineLimit)
                           ? static_cast<std::size_t>(kLineLimit) - fixedLength
                           : 0;
  const std::size_t limit =
      static_cast<std::size_t>(outSize - 1 < kLineLimit ? outSize - 1 : kLineLimit);
  std::size_t length = 0;
  auto append = [&](const char* data, std::size_t n) {
    if (length + n > limit) n = limit - length;
    std::memcpy(out + length, data, n);
    length += n;
  };
  char cleaned[kCommandBufferSize];
  for (int i = 0; i < segmentCount; ++i) {
    const Segment& segment = segments[i];
    append(segment.literal.data(), segment.literal.size());
    if (segment.kind < 0) continue;
    if (segment.kind != 2) {
      append(segment.value.data(), segment.value.size());
      continue;
    }
    std::size_t n = 0;
    for (unsigned char c : segment.value) {
      if (n == sizeof(cleaned) - 1) break;
      if (!IsPjlUnsafe(c)) cleaned[n++] = static_cast<char>(c);
    }
    std::size_t take = CutToWholeChars(std::string_view(cleaned, n), budget, segment.encoding);
    append(cleaned, take);
    budget -= take;
  }
  return static_cast<int>(length);
}

void OutputKPJLCommandFromArray(Job& job, const void* record,
                                std::span<const FmtTableEntry> table) {
  const OperandScope scope = job.Scope(record);
  char command[kCommandBufferSize];
  for (const FmtTableEntry& row : table) {
    if (ConditionCompare(row.conditions.span(), scope) != 1) continue;
    const int length = BuildPrintCommand(row.format, row.params.span(), scope, command,
                                         kCommandBufferSize);
    if (length > 0) job.out.Write(command, static_cast<std::size_t>(length));
  }
}

}  // namespace tf
