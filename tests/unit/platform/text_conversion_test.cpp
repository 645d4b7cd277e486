// Text conversion: Shift-JIS X 0213 and UTF-8 mode, whole characters only.  Shift-JIS byte values
// below were checked with iconv on the command line (iconv -f UTF-8 -t SHIFT_JISX0213).
#include "platform/text_conversion.h"

#include <gtest/gtest.h>

#include <string>

namespace tf {
namespace {

std::string ToShiftJis(const std::string& text, int size = 256) {
  char out[1024] = {};
  int n = ConvertUTF8ToEncoding(text.c_str(), out, size);
  return std::string(out, static_cast<std::size_t>(n));
}

std::string ToUtf8Mode(const std::string& text, int size = 256) {
  char out[1024] = {};
  int n = ConvertUTF8ToEncodingForUTF8(text.c_str(), out, size);
  return std::string(out, static_cast<std::size_t>(n));
}

TEST(TextConversionTest, AsciiPassesAndBackslashTildeStaySingleBytes) {
  EXPECT_EQ(ToShiftJis("abc XYZ 123"), "abc XYZ 123");
  EXPECT_EQ(ToShiftJis("a\\b~c"), "a\\b~c");
}

TEST(TextConversionTest, JapaneseToShiftJisX0213) {
  // "あ" U+3042 is 0x82 0xA0; "日本" is 0x93 0xFA 0x96 0x7B; half-width katakana "ｱ" is 0xB1.
  EXPECT_EQ(ToShiftJis("\xe3\x81\x82"), "\x82\xa0");
  EXPECT_EQ(ToShiftJis("\xe6\x97\xa5\xe6\x9c\xac"), "\x93\xfa\x96\x7b");
  EXPECT_EQ(ToShiftJis("\xef\xbd\xb1"), "\xb1");
}

TEST(TextConversionTest, CharactersOutsideTheEncodingDropOut) {
  // Thai U+0E01 has no Shift-JIS X 0213 form; an emoji is a surrogate pair, whose halves fail
  // alone.
  EXPECT_EQ(ToShiftJis("a\xe0\xb8\x81" "b"), "ab");
  EXPECT_EQ(ToShiftJis("a\xf0\x9f\x98\x80" "b"), "ab");
  EXPECT_EQ(ToUtf8Mode("a\xf0\x9f\x98\x80" "b"), "ab");
}

TEST(TextConversionTest, InvalidUtf8GivesEmpty) {
  EXPECT_EQ(ToShiftJis("ab\xff"), "");
  EXPECT_EQ(ToUtf8Mode("\xc3"), "");
  EXPECT_EQ(ToUtf8Mode("\xed\xa0\x80"), "");  // an encoded surrogate
}

TEST(TextConversionTest, BoundNeverSplitsACharacter) {
  // Three two-byte characters into 6 bytes (5 of text): two characters, not two and a half.
  EXPECT_EQ(ToShiftJis("\xe3\x81\x82\xe3\x81\x82\xe3\x81\x82", 6), "\x82\xa0\x82\xa0");
  EXPECT_EQ(ToUtf8Mode("\xc3\xa0\xc3\xa0\xc3\xa0", 6), "\xc3\xa0\xc3\xa0");
  EXPECT_EQ(ToUtf8Mode("abcdef", 4), "abc");
}

TEST(TextConversionTest, CutToWholeCharacters) {
  EXPECT_EQ(CutToWholeChars("\x82\xa0\x82\xa0", 3, TextEncoding::ShiftJIS), 2u);
  EXPECT_EQ(CutToWholeChars("a\x82\xa0", 2, TextEncoding::ShiftJIS), 1u);
  EXPECT_EQ(CutToWholeChars("\xb1\xb1\xb1", 2, TextEncoding::ShiftJIS), 2u);  // one-byte kana
  EXPECT_EQ(CutToWholeChars("\xe3\x81\x82\xe3\x81\x82", 5, TextEncoding::UTF8), 3u);
  EXPECT_EQ(CutToWholeChars("short", 10, TextEncoding::UTF8), 5u);
}

TEST(TextConversionTest, Utf16UnitCounting) {
  EXPECT_EQ(CountUtf16Units("abc"), 3);
  EXPECT_EQ(CountUtf16Units("\xe3\x81\x82"), 1);
  EXPECT_EQ(CountUtf16Units("\xf0\x9f\x98\x80"), 2);
  EXPECT_EQ(CountUtf16Units("\xff"), -1);
  EXPECT_EQ(Utf8PrefixForUnits("a\xe3\x81\x82" "b", 2), 4u);
  EXPECT_EQ(Utf8PrefixForUnits("a\xf0\x9f\x98\x80", 2), 1u);  // never half a surrogate pair
  EXPECT_EQ(Utf8PrefixForUnits("abc", 10), 3u);
}

}  // namespace
}  // namespace tf
