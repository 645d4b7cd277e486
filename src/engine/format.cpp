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
  for (const CtrlSymEntry& entry : ctrlSymTalbe) {
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

int getCtrlSym(const char* symbol, const void* parameter, char* value, int valueSize) {
  if (valueSize <= 0) return 0;
  std::memset(value, 0, static_cast<std::size_t>(valueSize));
  for (const CtrlSymEntry& entry : ctrlSymTalbe) {
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

int BuildPrintComand(const char* format, const ParaTable<Operand>* params, const JobState& state,
                     char* out, int outSize) {
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
  int index = 0;
  const char* position = work;
  std::size_t fixedLength = 0;   // literal text, bytes and numbers
  while (*position != '\0') {
    const char* symbol = GetNextCtrlSym(position);
    if (symbol == nullptr) {
      segments[segmentCount++] = {std::string_view(position), -1, {}, TextEncoding::ShiftJIS};
      fixedLength += std::strlen(position);
      break;
    }
    if (params == nullptr || index >= params->count) return 0;  // a symbol without its value
    Segment& segment = segments[segmentCount];
    segment.literal = std::string_view(position, static_cast<std::size_t>(symbol - position));
    const Operand& operand = params->list[index];
    const void* parameter = operand.Resolve(state);
    switch (symbol[1]) {
      case 'd': {
        segment.kind = 0;
        int n = std::snprintf(storage[segmentCount].text, sizeof(storage[segmentCount].text), "%d",
                              *static_cast<const std::int32_t*>(parameter));
        segment.value = std::string_view(storage[segmentCount].text, static_cast<std::size_t>(n));
        break;
      }
      case 'c': {
        segment.kind = 1;
        storage[segmentCount].text[0] = *static_cast<const char*>(parameter);
        segment.value = std::string_view(storage[segmentCount].text, 1);
        if (segment.value[0] == '\0') return 0;  // a zero byte stops the row
        break;
      }
      default: {
        segment.kind = 2;
        segment.value = std::string_view(static_cast<const char*>(parameter));
        // A job field holds text in the encoding its filler recorded; a constant is the
        // program's own ASCII text.
        segment.encoding = operand.IsJobField() ? state.textEncodings.Of(operand.FieldOffset())
                                                : TextEncoding::ShiftJIS;
        break;
      }
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

char* itoa(int value, char* buffer, int n) {
  char* p = buffer + n - 1;
  *p = '\0';
  while (value > 0 && p > buffer) {
    *--p = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return p;
}

}  // namespace tf
