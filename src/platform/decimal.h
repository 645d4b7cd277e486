// Decimal numbers in text: the one reader of the filter.
//
// Option values, layout counts, trim amounts, kernel releases and copies are read here: as atoi
// reads them (ReadDecimal, DecimalValue), or as a count written in digits alone (ReadDigits).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tf {

// A number read at the start of a text: its value and the length of its text.
struct DecimalRead {
  std::int32_t value;
  std::size_t end;  // the position after its last digit
};

// The decimal number at the start of `text` as atoi reads it: leading white space, an optional
// sign, then digits up to the first other byte; the value held to the int32 range.  std::nullopt
// when no digit follows the white space and the sign.
std::optional<DecimalRead> ReadDecimal(std::string_view text);

// The value of ReadDecimal, 0 when `text` holds no number at its start.
std::int32_t DecimalValue(std::string_view text);

// The value of `text` when it is 1 to `maxDigits` decimal digits and nothing else (no sign, no
// blank); std::nullopt otherwise, and when the value does not fit an int32.
std::optional<std::int32_t> ReadDigits(std::string_view text, std::size_t maxDigits);

}  // namespace tf
