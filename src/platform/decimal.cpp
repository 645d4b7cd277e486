// Decimal numbers in text.
#include "platform/decimal.h"

#include <limits>

namespace tf {
namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<DecimalRead> ReadDecimal(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && IsWhiteSpace(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  if (at == text.size() || !IsDigit(text[at])) return std::nullopt;
  // Past the int32 range the value stays held at its bound, whatever digits follow.
  std::int64_t magnitude = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at) {
    if (magnitude <= kInt32Max + 1) magnitude = magnitude * 10 + (text[at] - '0');
  }
  std::int64_t value = negative ? -magnitude : magnitude;
  if (value > kInt32Max) value = kInt32Max;
  if (value < kInt32Min) value = kInt32Min;
  return DecimalRead{static_cast<std::int32_t>(value), at};
}

std::int32_t DecimalValue(std::string_view text) {
  const std::optional<DecimalRead> number = ReadDecimal(text);
  return number ? number->value : 0;
}

std::optional<std::int32_t> ReadDigits(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > kInt32Max) return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace tf
