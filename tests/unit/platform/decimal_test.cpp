// Decimal numbers in text: atoi's reading held to the int32 range, and counts in digits alone.
#include "platform/decimal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>

namespace tf {
namespace {

TEST(DecimalTest, ReadsAsAtoiHeldToTheInt32Range) {
  // What the filter's option values may hold, with what strtoll makes of them.
  const char* const texts[] = {
      "0",     "42",     "-7",          " \t\n+13x", "007",         "2147483647", "2147483648",
      "-2147483648", "-2147483649", "99999999999999999999", "-99999999999999999999", "1.5", "",
      "abc",   "-",      "+",           " ",         "0x10",        "12 34",      "\v\f\r9",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(std::string("\"") + text + "\"");
    const long long expected =
        std::clamp<long long>(std::strtoll(text, nullptr, 10), INT32_MIN, INT32_MAX);
    EXPECT_EQ(DecimalValue(text), expected);
    char* end = nullptr;
    std::strtoll(text, &end, 10);
    const auto read = ReadDecimal(text);
    EXPECT_EQ(read.has_value(), end != text);
    if (read) {
      EXPECT_EQ(read->end, static_cast<std::size_t>(end - text));
    }
  }
}

TEST(DecimalTest, DigitsAloneUpToTheirCount) {
  EXPECT_EQ(ReadDigits("3", 9), 3);
  EXPECT_EQ(ReadDigits("007", 9), 7);
  EXPECT_EQ(ReadDigits("123456789", 9), 123456789);
  EXPECT_EQ(ReadDigits("1234567890", 9), std::nullopt);  // one digit too many
  EXPECT_EQ(ReadDigits("2147483647", 10), INT32_MAX);
  EXPECT_EQ(ReadDigits("2147483648", 10), std::nullopt);  // past the int32 range
  for (const char* text : {"", "+3", "-3", " 3", "3 ", "3x", "0x1"}) {
    EXPECT_EQ(ReadDigits(text, 9), std::nullopt) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace tf
