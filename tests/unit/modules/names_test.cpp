// User and document names: validation walk, space test, user-name and document-name preparation
// in byte mode and UTF-8 mode.  Shift-JIS byte values were checked with
// `iconv -f UTF-8 -t SHIFT_JISX0213`: "あ" 82 A0, "日" 93 FA, "本" 96 7B, ideographic space 81 40,
// wave dash "〜" 81 60, "à" 85 75.
#include "modules/names/names.h"

#include <gtest/gtest.h>

#include <string>

#include "filter/filter_job.h"
#include "support/job_harness.h"

namespace tf {
namespace {

using test::BasicProgram;
using test::FullProgram;
using test::JobHarness;

constexpr char kA[] = "\xe3\x81\x82";        // あ in UTF-8
constexpr char kSjisA[] = "\x82\xa0";        // あ in Shift-JIS
constexpr char kAGrave[] = "\xc3\xa0";       // à in UTF-8
constexpr char kIdeoSpace[] = "\xe3\x80\x80";  // U+3000 in UTF-8

// `head` followed by `n` times `s`.
std::string Repeat(const std::string& head, const std::string& s, int n) {
  std::string out = head;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

std::string Repeat(const std::string& s, int n) { return Repeat("", s, n); }

std::string Letters(int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += static_cast<char>('a' + i % 26);
  return out;
}

struct Names {
  std::string user;
  std::string jbaUser;
  std::string document;
  std::string ptDocument;
};

// One job through the start of the filter; returns its four name buffers.
Names Prepare(const Program& program, const std::string& ppd, const std::string& user,
              const std::string& title, const std::string& options = "") {
  JobHarness::Args args;
  args.user = user;
  args.title = title;
  args.options = options;
  JobHarness h(program, args, ppd);
  PrepareJob(h.job());
  const JobCoreState& s = h.state();
  return {s.StdUserName, s.StdJBAUserName, s.StdDocumentName, s.PTStdDocumentName};
}

// The byte-mode configurations: ticketfilter on a Shift-JIS printer, ticketfilter-basic on any.
struct ByteModeConfig {
  const char* name;
  const Program& (*program)();
  const char* ppd;
  const char* productTypeKey;
};
const ByteModeConfig kByteModeConfigs[] = {
    {"ticketfilter/bytemode.ppd", FullProgram, "bytemode.ppd",
     "com.brantlowe.ticket.PrintTypeProductTypeTicketKey"},
    {"ticketfilter-basic/utf8.ppd", BasicProgram, "utf8.ppd",
     "com.brantlowe.basicticket.PrintTypeProductTypeTicketKey"},
};

Names PrepareUtf8(const std::string& user, const std::string& title,
                  const std::string& options = "") {
  return Prepare(FullProgram(), "utf8.ppd", user, title, options);
}

std::string Utf8ProductType(const std::string& value) {
  return "com.brantlowe.ticket.PrintTypeProductTypeTicketKey=" + value;
}

// ---------------------------------------------------------------------------------------------
// Validation walk and space test

TEST(ValidateDataTest, ShiftJisScaleTakesTwoByteValuesAsNumericRanges) {
  EXPECT_EQ(ValidateData("", userNameValidateDataScale), 1);
  EXPECT_EQ(ValidateData("Tux 42 \xb1", userNameValidateDataScale), 1);  // ASCII, half-width ｱ
  // 0x82A0 lies in 0x8140-0x9F7E although its second byte is above 0x7E.
  EXPECT_EQ(ValidateData("\x82\xa0\x93\xfa", userNameValidateDataScale), 1);
  EXPECT_EQ(ValidateData("tux\tlinux", userNameValidateDataScale), 0);
  EXPECT_EQ(ValidateData("a\x7f", userNameValidateDataScale), 0);
  EXPECT_EQ(ValidateData("a\x80", userNameValidateDataScale), 0);
  // A lead byte before the terminator forms the pair 0x8200 and passes: only whole-character
  // cuts keep half a character out of a name.
  EXPECT_EQ(ValidateData("a\x82", userNameValidateDataScale), 1);
  EXPECT_EQ(ValidateData("a\xa0", userNameValidateDataScale), 0);
}

TEST(ValidateDataTest, Product02ScaleAdmitsOnlyNarrowCharacters) {
  const ValidateDataScale& scale = docuNameValidateDataScaleForProduct02;
  EXPECT_EQ(ValidateData("Report 7 \xb1", scale), 1);
  EXPECT_EQ(ValidateData("a\x81\x60" "b", scale), 1);  // wave dash
  EXPECT_EQ(ValidateData("\x82\xa0", scale), 0);
  EXPECT_EQ(ValidateData("voil\x85\x75", scale), 0);  // à
  EXPECT_EQ(ValidateData("\x85\x75", docuNameValidateDataScaleForProduct03), 1);
}

TEST(ValidateDataTest, Utf8ScaleAdmitsEveryNonEmptyText) {
  // Pairs are tried before single bytes, so a byte below 0x20 passes as the start of a pair, and
  // a pair that takes the terminator ends the walk.
  EXPECT_EQ(ValidateData("tux\tlinux", userNameValidateDataScaleForUTF8), 1);
  EXPECT_EQ(ValidateData("\x10", userNameValidateDataScaleForUTF8), 1);
  EXPECT_EQ(ValidateData("voil\xc3\xa0", docuNameValidateDataScaleForProduct03UTF8), 1);
  // The Shift-JIS scale rejects the 0xA0 of à's UTF-8 form.
  EXPECT_EQ(ValidateData("voil\xc3\xa0", docuNameValidateDataScale), 0);
}

TEST(IsAllSpaceTest, AsciiAndShiftJisIdeographicSpaces) {
  EXPECT_EQ(IsAllSpace(""), 1);
  EXPECT_EQ(IsAllSpace("   "), 1);
  EXPECT_EQ(IsAllSpace(" \x81\x40\x81\x40 "), 1);
  EXPECT_EQ(IsAllSpace(" a "), 0);
  EXPECT_EQ(IsAllSpace("\x81"), 0);
  EXPECT_EQ(IsAllSpace("\x81\x41"), 0);
  EXPECT_EQ(IsAllSpace("\xe3\x80\x80"), 0);  // the UTF-8 form is not a Shift-JIS space
}

TEST(IsAllSpaceTest, Utf8FormOfTheIdeographicSpace) {
  EXPECT_EQ(IsAllSpaceUTF8(""), 1);
  EXPECT_EQ(IsAllSpaceUTF8(" \xe3\x80\x80 \xe3\x80\x80"), 1);
  EXPECT_EQ(IsAllSpaceUTF8("\xe3\x80"), 0);
  EXPECT_EQ(IsAllSpaceUTF8("\xe3\x80\x81"), 0);  // 、 ideographic comma
  EXPECT_EQ(IsAllSpaceUTF8("\x81\x40"), 0);
  EXPECT_EQ(IsAllSpaceUTF8(" x"), 0);
}

// ---------------------------------------------------------------------------------------------
// User name, byte mode

TEST(UserNameByteModeTest, UnusableNamesBecomeTheDefault) {
  for (const ByteModeConfig& config : kByteModeConfigs) {
    SCOPED_TRACE(config.name);
    for (const std::string& user :
         {std::string(), std::string("   "), Repeat(kIdeoSpace, 2) + " ", std::string("tux\tlinux"),
          std::string("\xff" "bad utf-8")}) {
      SCOPED_TRACE(user);
      const Names n = Prepare(config.program(), config.ppd, user, "t");
      EXPECT_EQ(n.user, "UnknownUser");
      EXPECT_EQ(n.jbaUser, "UnknownUser");
    }
  }
}

TEST(UserNameByteModeTest, AccountCopyHoldsThe32FirstBytesInWholeCharacters) {
  for (const ByteModeConfig& config : kByteModeConfigs) {
    SCOPED_TRACE(config.name);
    Names n = Prepare(config.program(), config.ppd, Letters(40), "t");
    EXPECT_EQ(n.user, Letters(40));
    EXPECT_EQ(n.jbaUser, Letters(32));

    // "a" and sixteen あ are 33 bytes; the 16th あ would take bytes 32 and 33.
    n = Prepare(config.program(), config.ppd, Repeat("a", kA, 16), "t");
    EXPECT_EQ(n.user, Repeat("a", kSjisA, 16));
    EXPECT_EQ(n.jbaUser, Repeat("a", kSjisA, 15));
  }
}

TEST(UserNameByteModeTest, ConversionKeepsBackslashTildeAndWholeCharactersUpTo254Bytes) {
  for (const ByteModeConfig& config : kByteModeConfigs) {
    SCOPED_TRACE(config.name);
    EXPECT_EQ(Prepare(config.program(), config.ppd, "a\\b~c", "t").user, "a\x5c" "b\x7e" "c");
    EXPECT_EQ(Prepare(config.program(), config.ppd, "\xe6\x97\xa5\xe6\x9c\xac", "t").user,
              "\x93\xfa\x96\x7b");
    // "a" and 200 あ: 253 bytes fit; the 127th あ would end at byte 255.
    const Names n = Prepare(config.program(), config.ppd, Repeat("a", kA, 200), "t");
    EXPECT_EQ(n.user, Repeat("a", kSjisA, 126));
  }
}

// ---------------------------------------------------------------------------------------------
// User name, UTF-8 mode

TEST(UserNameUtf8ModeTest, EmptyAndAllSpaceNamesBecomeTheDefault) {
  for (const std::string& user :
       {std::string(), std::string("   "), std::string(kIdeoSpace), Repeat(" ", kIdeoSpace, 3),
        std::string("\xf0\x9f\x98\x80")}) {  // an emoji alone converts to nothing
    SCOPED_TRACE(user);
    const Names n = PrepareUtf8(user, "t");
    EXPECT_EQ(n.user, "UnknownUser");
    EXPECT_EQ(n.jbaUser, "UnknownUser");
  }
  // The UTF-8 scale admits every byte: a tab does not make the name unusable here.
  EXPECT_EQ(PrepareUtf8("tux\tlinux", "t").user, "tux\tlinux");
}

TEST(UserNameUtf8ModeTest, AccountCopyHolds32Characters) {
  Names n = PrepareUtf8(Letters(40), "t");
  EXPECT_EQ(n.user, Letters(40));
  EXPECT_EQ(n.jbaUser, Letters(32));

  n = PrepareUtf8(Repeat(kA, 40), "t");  // 120 bytes; 32 characters are the full 96 bytes
  EXPECT_EQ(n.user, Repeat(kA, 40));
  EXPECT_EQ(n.jbaUser, Repeat(kA, 32));

  n = PrepareUtf8(Repeat(kAGrave, 40), "t");  // 96 bytes would be 48 characters
  EXPECT_EQ(n.jbaUser, Repeat(kAGrave, 32));

  n = PrepareUtf8(Repeat(kA, 32), "t");
  EXPECT_EQ(n.jbaUser, Repeat(kA, 32));
}

TEST(UserNameUtf8ModeTest, LongNamesAreCutTo255CharactersAnd765Bytes) {
  EXPECT_EQ(PrepareUtf8(Letters(300), "t").user, Letters(255));
  EXPECT_EQ(PrepareUtf8(Repeat(kAGrave, 300), "t").user, Repeat(kAGrave, 255));
  EXPECT_EQ(PrepareUtf8(Repeat(kA, 300), "t").user, Repeat(kA, 255));  // exactly 765 bytes
  // "a" and 400 あ: 763 bytes fit; the next あ would end at byte 766.
  const Names n = PrepareUtf8(Repeat("a", kA, 400), "t");
  EXPECT_EQ(n.user, Repeat("a", kA, 254));
  EXPECT_EQ(n.jbaUser, Repeat("a", kA, 31));
}

// ---------------------------------------------------------------------------------------------
// Document names, byte mode

TEST(DocumentNameByteModeTest, WithoutProductTypeOnlyTheDocumentNameIsFilled) {
  for (const ByteModeConfig& config : kByteModeConfigs) {
    SCOPED_TRACE(config.name);
    const Names n = Prepare(config.program(), config.ppd, "tux", "Quarterly report " + Letters(30));
    EXPECT_EQ(n.document, "Quarterly report " + Letters(30));
    EXPECT_EQ(n.ptDocument, "");
  }
}

TEST(DocumentNameByteModeTest, ProductTypeLimits) {
  for (const ByteModeConfig& config : kByteModeConfigs) {
    SCOPED_TRACE(config.name);
    const std::string key = std::string(config.productTypeKey) + "=";
    auto prepare = [&](const std::string& title, const std::string& type) {
      return Prepare(config.program(), config.ppd, "tux", title, key + type);
    };
    Names n = prepare(Letters(16), "2");
    EXPECT_EQ(n.document, Letters(12));
    EXPECT_EQ(n.ptDocument, Letters(12));
    n = prepare(Letters(70), "3");
    EXPECT_EQ(n.document, Letters(64));
    EXPECT_EQ(n.ptDocument, Letters(64));
    n = prepare(Letters(70), "5");
    EXPECT_EQ(n.document, Letters(24));
    EXPECT_EQ(n.ptDocument, Letters(24));
    n = prepare(Letters(70), "");  // present but empty reads as 0: any other product
    EXPECT_EQ(n.ptDocument, Letters(24));
    n = prepare("short", "3");
    EXPECT_EQ(n.document, "short");
    EXPECT_EQ(n.ptDocument, "short");
  }
}

TEST(DocumentNameByteModeTest, CutNeverSplitsATwoByteCharacter) {
  for (const ByteModeConfig& config : kByteModeConfigs) {
    SCOPED_TRACE(config.name);
    const std::string key = std::string(config.productTypeKey) + "=";
    // 1 + 2k bytes: the character that straddles the even limit is left out whole.
    Names n = Prepare(config.program(), config.ppd, "tux", Repeat("a", kA, 20), key + "1");
    EXPECT_EQ(n.document, Repeat("a", kSjisA, 11));
    EXPECT_EQ(n.ptDocument, Repeat("a", kSjisA, 11));
    n = Prepare(config.program(), config.ppd, "tux", Repeat("a", "\xe6\x97\xa5", 40), key + "3");
    EXPECT_EQ(n.document, Repeat("a", "\x93\xfa", 31));
    EXPECT_EQ(n.ptDocument, Repeat("a", "\x93\xfa", 31));
  }
}

TEST(DocumentNameByteModeTest, JobNameIsCheckedAgainstTheProductScale) {
  for (const ByteModeConfig& config : kByteModeConfigs) {
    SCOPED_TRACE(config.name);
    const std::string key = std::string(config.productTypeKey) + "=";
    Names n = Prepare(config.program(), config.ppd, "tux", "\xe6\x97\xa5\xe6\x9c\xac", key + "2");
    EXPECT_EQ(n.document, "\x93\xfa\x96\x7b");  // the document name is never rejected
    EXPECT_EQ(n.ptDocument, "");
    n = Prepare(config.program(), config.ppd, "tux", "a\xe3\x80\x9c" "b", key + "2");  // 〜
    EXPECT_EQ(n.ptDocument, "a\x81\x60" "b");
    n = Prepare(config.program(), config.ppd, "tux", "voil\xc3\xa0", key + "3");
    EXPECT_EQ(n.ptDocument, "voil\x85\x75");
    n = Prepare(config.program(), config.ppd, "tux", "voil\xc3\xa0", key + "2");
    EXPECT_EQ(n.document, "voil\x85\x75");
    EXPECT_EQ(n.ptDocument, "");
    n = Prepare(config.program(), config.ppd, "tux", "tab\there", key + "3");
    EXPECT_EQ(n.document, "tab\there");
    EXPECT_EQ(n.ptDocument, "");
  }
}

TEST(DocumentNameByteModeTest, ProductTypeIsReadUnderTheProgramsOwnPrefix) {
  // ticketfilter-basic does not answer to ticketfilter's key, nor to the bare name.
  for (const char* options : {"com.brantlowe.ticket.PrintTypeProductTypeTicketKey=2",
                              "PrintTypeProductTypeTicketKey=2"}) {
    const Names n = Prepare(BasicProgram(), "", "tux", Letters(16), options);
    EXPECT_EQ(n.document, Letters(16));
    EXPECT_EQ(n.ptDocument, "");
  }
}

TEST(DocumentNameTest, TitleWithLineBreakLeavesBothNamesEmpty) {
  for (const std::string& title : {std::string("Report\r\n"), std::string("two\nlines"),
                                  std::string("cr\ronly")}) {
    SCOPED_TRACE(title);
    Names n = PrepareUtf8("tux", title, Utf8ProductType("3"));
    EXPECT_EQ(n.document, "");
    EXPECT_EQ(n.ptDocument, "");
    n = Prepare(BasicProgram(), "", "tux", title,
                "com.brantlowe.basicticket.PrintTypeProductTypeTicketKey=3");
    EXPECT_EQ(n.document, "");
    EXPECT_EQ(n.ptDocument, "");
    EXPECT_EQ(n.user, "tux");
  }
}

// ---------------------------------------------------------------------------------------------
// Document names, UTF-8 mode

TEST(DocumentNameUtf8ModeTest, WithoutProductTypeTheJobNameIsCheckedWithTheShiftJisScale) {
  Names n = PrepareUtf8("tux", "Quarterly report");
  EXPECT_EQ(n.document, "Quarterly report");
  EXPECT_EQ(n.ptDocument, "Quarterly report");
  n = PrepareUtf8("tux", "voil\xc3\xa0");
  EXPECT_EQ(n.document, "voil\xc3\xa0");
  EXPECT_EQ(n.ptDocument, "");
}

TEST(DocumentNameUtf8ModeTest, ProductTypeLimitsCountCharacters) {
  Names n = PrepareUtf8("tux", Letters(16), Utf8ProductType("2"));
  EXPECT_EQ(n.document, Letters(12));
  EXPECT_EQ(n.ptDocument, Letters(12));
  n = PrepareUtf8("tux", Letters(70), Utf8ProductType("3"));
  EXPECT_EQ(n.document, Letters(64));
  EXPECT_EQ(n.ptDocument, Letters(64));
  n = PrepareUtf8("tux", Letters(70), Utf8ProductType("7"));
  EXPECT_EQ(n.document, Letters(24));
  EXPECT_EQ(n.ptDocument, Letters(24));
  n = PrepareUtf8("tux", Repeat(kA, 70), Utf8ProductType("3"));
  EXPECT_EQ(n.document, Repeat(kA, 64));
  EXPECT_EQ(n.ptDocument, Repeat(kA, 64));  // the product-03 scale admits UTF-8
}

TEST(DocumentNameUtf8ModeTest, AGraveFailsTheJobNameCheckOfProduct02) {
  // 12 characters: "voilà tout l".
  Names n = PrepareUtf8("tux", "voil\xc3\xa0 tout le monde", Utf8ProductType("2"));
  EXPECT_EQ(n.document, "voil\xc3\xa0 tout l");
  EXPECT_EQ(n.ptDocument, "");
  n = PrepareUtf8("tux", "voil\xc3\xa0 tout le monde", Utf8ProductType("3"));
  EXPECT_EQ(n.ptDocument, "voil\xc3\xa0 tout le monde");
}

TEST(DocumentNameUtf8ModeTest, TitleBoundIs254BytesOfWholeCharacters) {
  // 100 あ are 300 bytes: 84 fit in 254 bytes.
  EXPECT_EQ(PrepareUtf8("tux", Repeat(kA, 100)).document, Repeat(kA, 84));
}

}  // namespace
}  // namespace tf
