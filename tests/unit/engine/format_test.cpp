// Format expansion: control symbols, empty values, the 229-byte line, PJL-unsafe bytes.
#include "engine/format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/job.h"
#include "engine/text_fields.h"

namespace tf {
namespace {

// A module record of the tests.
struct TestRecord {
  char password[255];
};

// A job core whose user-name buffer serves as the string value of the tests, and a record.
class FormatTest : public ::testing::Test {
 protected:
  // `encoding`: the encoding recorded for the user-name field.
  std::string Expand(const char* format, std::span<const Operand> params,
                     TextEncoding encoding = TextEncoding::ShiftJIS) {
    encodings_.Set(state_.StdUserName, encoding);
    char out[kCommandBufferSize];
    const OperandScope scope{state_, &record_, encodings_};
    int n = BuildPrintCommand(format, params, scope, out, sizeof(out));
    EXPECT_EQ(static_cast<std::size_t>(n), std::strlen(out));
    return std::string(out, static_cast<std::size_t>(n));
  }
  std::string Expand(const char* format, const ParameterList& params,
                     TextEncoding encoding = TextEncoding::ShiftJIS) {
    return Expand(format, params.span(), encoding);
  }
  void SetName(const std::string& name) {
    std::memset(state_.StdUserName, 0, sizeof(state_.StdUserName));
    std::memcpy(state_.StdUserName, name.data(), name.size());
  }
  JobCoreState state_{};
  TestRecord record_{};
  TextFieldEncodings encodings_;
};

constexpr std::int32_t kZero = 0;
constexpr std::int32_t kMinusOne = -1;
constexpr char kZeroByte = 0;

constexpr ParameterList kLogin = {kDQ, TF_CORE(StdUserName), kDQ, kLF};
constexpr char kLoginFormat[] = "@PJL SET JOBATTR=%c@LUNA=%s%c%c";

TEST_F(FormatTest, WorkedAccountRowExpandsEverySymbolInOrder) {
  SetName("alice");
  EXPECT_EQ(Expand(kLoginFormat, kLogin), "@PJL SET JOBATTR=\"@LUNA=alice\"\n");
}

TEST_F(FormatTest, UniversalExitLanguageFromConstantBytes) {
  static constexpr ParameterList table = {TF_CONST(CTRLSym_ESC), TF_CONST(CTRLSym_PERCENTAGE)};
  EXPECT_EQ(Expand("%c%c-12345X", table), "\x1b%-12345X");
}

TEST_F(FormatTest, FormatWithoutSymbolsIsCopiedWhateverItsParameters) {
  EXPECT_EQ(Expand("@PJL SET HOLD=STORE\n", ParameterList{}), "@PJL SET HOLD=STORE\n");
  EXPECT_EQ(Expand("plain", kLogin), "plain");
}

TEST_F(FormatTest, PercentNotFollowedBySymbolIsLiteral) {
  static constexpr ParameterList table = {TF_CONST(kZero)};
  EXPECT_EQ(Expand("100%% %x %d%", table), "100%% %x 0%");
  EXPECT_EQ(Expand("ends with %", ParameterList{}), "ends with %");
}

TEST_F(FormatTest, DecimalValues) {
  static constexpr ParameterList zeroTable = {TF_CONST(kZero)};
  static constexpr ParameterList minusTable = {TF_CONST(kMinusOne)};
  EXPECT_EQ(Expand("n=%d;", zeroTable), "n=0;");
  EXPECT_EQ(Expand("n=%d;", minusTable), "n=-1;");
}

TEST_F(FormatTest, EmptyValueWritesNothingAtAll) {
  SetName("");
  EXPECT_EQ(Expand(kLoginFormat, kLogin), "");  // never a partial command without line end
  static constexpr ParameterList table = {TF_CONST(kZeroByte)};
  EXPECT_EQ(Expand("%c", table), "");
  EXPECT_EQ(Expand("prefix %c suffix", table), "");
}

TEST_F(FormatTest, LongStringIsShortenedSoTheLineKeepsItsEnd) {
  SetName(std::string(300, 'x'));
  const std::string line = Expand(kLoginFormat, kLogin);
  ASSERT_EQ(line.size(), 229u);
  EXPECT_EQ(line.substr(line.size() - 2), "\"\n");
  EXPECT_EQ(line.substr(0, 24), "@PJL SET JOBATTR=\"@LUNA=");
}

TEST_F(FormatTest, ShorteningNeverSplitsAShiftJisCharacter) {
  // 0x82 0xA0 is one two-byte character; 110 of them are 220 bytes.  The fixed text of the row
  // is 26 bytes, leaving 203 for the name: 101 whole characters, never the half of the 102nd.
  std::string name;
  for (int i = 0; i < 110; ++i) name += "\x82\xa0";
  SetName(name);
  const std::string line = Expand(kLoginFormat, kLogin, TextEncoding::ShiftJIS);
  EXPECT_EQ(line.size(), 26u + 202u);
  EXPECT_EQ(line.substr(line.size() - 4), "\x82\xa0\"\n");
  // With a one-byte character in front the 203 bytes are filled exactly.
  SetName("a" + name);
  const std::string odd = Expand(kLoginFormat, kLogin, TextEncoding::ShiftJIS);
  EXPECT_EQ(odd.size(), 26u + 203u);
  EXPECT_EQ(odd.substr(odd.size() - 2), "\"\n");
}

TEST_F(FormatTest, ShorteningNeverSplitsAUtf8Character) {
  std::string name = "a";
  for (int i = 0; i < 80; ++i) name += "\xe3\x81\x82";  // three bytes each
  SetName(name);
  const std::string line = Expand(kLoginFormat, kLogin, TextEncoding::UTF8);
  // 203 bytes of room: "a" and 67 characters (202 bytes); the 68th would need 205.
  EXPECT_EQ(line.size(), 26u + 1u + 67u * 3u);
  EXPECT_EQ(line.substr(line.size() - 2), "\"\n");
}

// Each value is cut by the encoding recorded for its own field, whatever the others hold: a
// UTF-8 printer's job has Shift-JIS passwords beside its UTF-8 names.
TEST_F(FormatTest, EachValueIsCutByTheEncodingOfItsField) {
  static constexpr ParameterList table = {TF_CORE(StdUserName),
                                          TF_RECORD(TestRecord, password), kLF};
  std::string shiftJis = "a", utf8;
  for (int i = 0; i < 127; ++i) shiftJis += "\x82\xa0";
  for (int i = 0; i < 19; ++i) utf8 += "\xe3\x81\x82";
  utf8 += "bc";   // 59 bytes: with "n=" 2, ";p=" 3 and LF 1 they leave 164 for the password
  SetName(utf8);
  std::memcpy(record_.password, shiftJis.data(), 254);
  const std::string line = Expand("n=%s;p=%s%c", table, TextEncoding::UTF8);
  // "a" and 81 two-byte characters are 163 bytes; a UTF-8 walk over the Shift-JIS bytes would
  // have taken all 164 and ended on the lead byte 0x82.
  EXPECT_EQ(line, "n=" + utf8 + ";p=" + shiftJis.substr(0, 163) + "\n");
  encodings_.Set(record_.password, TextEncoding::UTF8);
  EXPECT_EQ(Expand("n=%s;p=%s%c", table, TextEncoding::UTF8).size(), 229u);  // as recorded
}

TEST_F(FormatTest, JobTextCannotEndTheQuotedValueOrTheLine) {
  SetName("x\"\n@PJL SET HOLD=STORE\r\x1b\x7f");
  EXPECT_EQ(Expand(kLoginFormat, kLogin), "@PJL SET JOBATTR=\"@LUNA=x@PJL SET HOLD=STORE\"\n");
  SetName("\"\n");
  EXPECT_EQ(Expand(kLoginFormat, kLogin), "");  // nothing left: treated as empty
}

TEST_F(FormatTest, OverlongFormatIsReadFromItsFirst229Bytes) {
  const std::string format(300, 'f');
  EXPECT_EQ(Expand(format.c_str(), ParameterList{}), std::string(229, 'f'));
}

TEST_F(FormatTest, ControlSymbolLookup) {
  EXPECT_EQ(IsCtrlSym("%d"), 1);
  EXPECT_EQ(IsCtrlSym("%c"), 1);
  EXPECT_EQ(IsCtrlSym("%s"), 1);
  EXPECT_EQ(IsCtrlSym("%%"), 0);
  EXPECT_EQ(IsCtrlSym("%"), 0);
  const char text[] = "a%%b%xc%sd";
  EXPECT_EQ(GetNextCtrlSym(text), text + 7);
  EXPECT_EQ(GetNextCtrlSym("none"), nullptr);

  char value[kCommandBufferSize];
  const std::int32_t number = -42;
  EXPECT_EQ(GetCtrlSym("%d", &number, value, sizeof(value)), 3);
  EXPECT_STREQ(value, "-42");
  EXPECT_EQ(GetCtrlSym("%s", "", value, sizeof(value)), 0);
  EXPECT_EQ(GetCtrlSym("%c", &kZeroByte, value, sizeof(value)), 0);
  EXPECT_EQ(GetCtrlSym("%q", "x", value, sizeof(value)), 0);
}

}  // namespace
}  // namespace tf
