// Ticket reading: the readers' present, absent and empty values, the "/"-list decoding, the bounds
// on the work buffer and the destination, and the PPD-default rule of the job options.
#include "engine/ticket.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/job_options.h"
#include "modules/comment/comment.h"
#include "modules/jba/jba.h"
#include "modules/pbind/pbind.h"
#include "modules/printtype/printtype.h"
#include "modules/watermark/watermark.h"
#include "platform/ppd.h"
#include "support/job_harness.h"
#include "ticketfilter/jba_tables.h"

namespace tf::test {
namespace {

// Options parsed from `text`, without a PPD.
class Options {
 public:
  explicit Options(const char* text) { options_.Parse(text, noPpd_); }
  const JobOptions& get() const { return options_; }

 private:
  PpdFile noPpd_;
  JobOptions options_;
};

std::string Read(TicketReader reader, const char* key, const char* optionText, int size) {
  Options options(optionText);
  std::string buffer(static_cast<std::size_t>(size), '#');  // a reader must clear it
  reader(key, options.get(), buffer.data(), size);
  return std::string(buffer.c_str());
}

TEST(TicketReaderTest, NumbersPresentEmptyAndAbsent) {
  Options options("n=42 m=' -7x' e='' f=0.5 g=abc");
  std::int32_t value = 123;
  EXPECT_EQ(GetTicketInteger("n", options.get(), &value, 4), 1);
  EXPECT_EQ(value, 42);
  EXPECT_EQ(GetTicketInteger("m", options.get(), &value, 4), 1);  // blanks, sign, stop at x
  EXPECT_EQ(value, -7);
  EXPECT_EQ(GetTicketInteger("e", options.get(), &value, 4), 1);  // present and empty
  EXPECT_EQ(value, 0);
  EXPECT_EQ(GetTicketInteger("g", options.get(), &value, 4), 1);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(GetTicketInteger("absent", options.get(), &value, 4), 0);
  EXPECT_EQ(value, -1);

  float real = 0;
  EXPECT_EQ(GetTicketFloat("f", options.get(), &real, 4), 1);
  EXPECT_FLOAT_EQ(real, 0.5f);
  EXPECT_EQ(GetTicketFloat("absent", options.get(), &real, 4), 0);
  EXPECT_FLOAT_EQ(real, -1.0f);

  // The presence test stores "missing" and always returns 1.
  std::int32_t missing = 7;
  EXPECT_EQ(CheckTicketKey("e", options.get(), &missing, 4), 1);
  EXPECT_EQ(missing, 0);
  EXPECT_EQ(CheckTicketKey("absent", options.get(), &missing, 4), 1);
  EXPECT_EQ(missing, 1);
}

TEST(TicketReaderTest, StringsAreClearedAndOnlyTheConvertingReadersDecodeByteLists) {
  EXPECT_EQ(Read(GetTicketString, "absent", "k=v", 16), "");
  EXPECT_EQ(Read(GetTicketString, "k", "k=''", 16), "");
  EXPECT_EQ(Read(GetTicketString, "k", "k=/72/105", 16), "/72/105");
  EXPECT_EQ(Read(GetTicketStringConvertedToPrtLang, "k", "k=/72/105", 16), "Hi");
  EXPECT_EQ(Read(GetTicketStringConvertedToPrtLangForUTF8, "k", "k=/72/105", 16), "Hi");
  EXPECT_EQ(Read(GetTicketStringConvertedToPrtLang, "absent", "k=v", 16), "");
  // Readers keep every byte; the command engine drops what must not reach a PJL line.
  EXPECT_EQ(Read(GetTicketString, "k", "k='x\"\n@'", 16), "x\"\n@");
  EXPECT_EQ(Read(GetTicketStringConvertedToPrtLang, "k", "k=/120/34/10/64", 16), "x\"\n@");
}

TEST(TicketReaderTest, ConversionByModeAndBoundByWholeCharacters) {
  // 山田 is E5 B1 B1 E7 94 B0 in UTF-8 and 8E 52 93 63 in Shift-JIS X 0213 (iconv).
  EXPECT_EQ(Read(GetTicketStringConvertedToPrtLang, "k", "k=山田", 16), "\x8e\x52\x93\x63");
  EXPECT_EQ(Read(GetTicketStringConvertedToPrtLangForUTF8, "k", "k=山田", 16),
            "\xe5\xb1\xb1\xe7\x94\xb0");
  EXPECT_EQ(Read(GetTicketString, "k", "k=山田", 16), "\x8e\x52\x93\x63");
  // Four bytes of room: one Shift-JIS character fits (2 + 2 > 3), one UTF-8 character fits only
  // with six bytes of room.
  EXPECT_EQ(Read(GetTicketStringConvertedToPrtLang, "k", "k=山田", 4), "\x8e\x52");
  EXPECT_EQ(Read(GetTicketStringConvertedToPrtLangForUTF8, "k", "k=山田", 6), "\xe5\xb1\xb1");
  EXPECT_EQ(Read(GetTicketStringConvertedToPrtLangForUTF8, "k", "k=山田", 3), "");
}

TEST(TicketReaderTest, OverlongTextIsCutBeforeTheCharacterThatDoesNotFit) {
  // 1022 letters and a three-byte character: cutting the text at 1023 bytes inside the
  // character made the whole value invalid UTF-8, and the reader stored nothing at all.
  const std::string text = std::string(1022, 'x') + "あ";
  const std::string option = "k='" + text + "'";
  EXPECT_EQ(Read(GetTicketStringConvertedToPrtLangForUTF8, "k", option.c_str(), 73),
            std::string(72, 'x'));
  EXPECT_EQ(Read(GetTicketStringConvertedToPrtLang, "k", option.c_str(), 73),
            std::string(72, 'x'));
}

TEST(TicketReaderTest, OverlongByteListIsCutBeforeTheFieldAndTheCharacterThatDoNotFit) {
  // "/65/65" and 85 times あ as its byte list "/227/129/130": 1026 bytes.  The first 1023 end
  // inside the last character's fields; the decoded text keeps AA and 84 whole characters, which
  // fill a 255-byte destination (2 + 84 * 3 = 254 bytes).
  std::string list = "/65/65";
  std::string expected = "AA";
  for (int i = 0; i < 85; ++i) list += "/227/129/130";
  for (int i = 0; i < 84; ++i) expected += "\xe3\x81\x82";
  ASSERT_EQ(list.size(), 1026u);
  const std::string option = "k=" + list;
  EXPECT_EQ(Read(GetTicketStringConvertedToPrtLangForUTF8, "k", option.c_str(), 255), expected);
}

TEST(NumberListTest, DecodesInPlaceOrLeavesTheTextAlone) {
  struct Case {
    const char* text;
    const char* decoded;
  };
  const Case cases[] = {
      {"/65/66/67", "ABC"},
      {"/65/", "A"},
      {"/", "/"},
      {"65/66", "65/66"},
      {"/65/300/66", "A"},  // a number over 255 gives the zero byte, which ends the text
      {"//65", ""},
      {"/-1", "\xff"},      // the low eight bits
      {"/ 72/+105", "Hi"},  // blanks and a sign before the digits
  };
  for (const Case& c : cases) {
    char buffer[32] = {};
    std::strncpy(buffer, c.text, sizeof(buffer) - 1);
    NumStrToChar(buffer, sizeof(buffer));
    EXPECT_STREQ(buffer, c.decoded) << c.text;
  }
}

JobHarness::Args WithOptions(const std::string& options) {
  JobHarness::Args args;
  args.options = options;
  return args;
}

// A ticket table of three kinds of key, read through a job of the given program and PPD.
struct KeyKinds {
  std::string prefixed;  // "QMColorMode" after the ticket-key prefix
  std::string keyword;   // the PPD keyword QMColorMode, plain
  std::string standard;  // "sides", plain
  std::string pageSize;  // the PPD keyword PageSize, plain
};

KeyKinds ReadKeyKinds(const std::string& options) {
  JobHarness h(FullProgram(), WithOptions(options), "utf8.ppd");
  // Destinations in the job core that no ticket table of the job fills.
  constexpr std::size_t kSize = 32;
  const TicketDataEntry table[] = {
      {"QMColorMode", KeyKind::Prefixed, TF_CORE(StdLayoutInfo).Limited(kSize), GetTicketString},
      {"QMColorMode", KeyKind::Plain, TF_CORE(StdLayoutDirectionInfo).Limited(kSize),
       GetTicketString},
      {"sides", KeyKind::Plain, TF_CORE(StdPaperInfoRectOriginXKey).Limited(kSize),
       GetTicketString},
      {"PageSize", KeyKind::Plain, TF_CORE(StdPaperInfoRectOriginYKey).Limited(kSize),
       GetTicketString},
  };
  EXPECT_EQ(GetTicketFromArray(h.job(), nullptr, table), 1);
  const JobCoreState& s = h.state();
  return {s.StdLayoutInfo, s.StdLayoutDirectionInfo, s.StdPaperInfoRectOriginXKey,
          s.StdPaperInfoRectOriginYKey};
}

TEST(JobOptionsTest, PpdKeywordsTheJobDoesNotCarryReadAsThePpdDefault) {
  const KeyKinds absent = ReadKeyKinds("");
  EXPECT_EQ(absent.keyword, "Color");  // *DefaultQMColorMode: Color
  EXPECT_EQ(absent.pageSize, "A4");    // any main keyword of the PPD
  EXPECT_EQ(absent.prefixed, "");      // a maker ticket never takes a PPD default
  EXPECT_EQ(absent.standard, "");      // nor does a standard option

  // The job's own value always wins, even an empty one.
  EXPECT_EQ(ReadKeyKinds("QMColorMode=Black").keyword, "Black");
  EXPECT_EQ(ReadKeyKinds("QMColorMode=''").keyword, "");
  const KeyKinds prefixed = ReadKeyKinds("com.brantlowe.ticket.QMColorMode=Auto sides=two-sided");
  EXPECT_EQ(prefixed.prefixed, "Auto");
  EXPECT_EQ(prefixed.keyword, "Color");
  EXPECT_EQ(prefixed.standard, "two-sided");
}

TEST(JobOptionsTest, JobValueAndPresenceTestIgnorePpdDefaults) {
  JobHarness h(FullProgram(), WithOptions("a=1"), "utf8.ppd");
  const JobOptions& options = h.job().options();
  EXPECT_STREQ(options.Get("QMColorMode"), "Color");
  EXPECT_EQ(options.JobValue("QMColorMode"), nullptr);
  EXPECT_STREQ(options.JobValue("a"), "1");
  // Without a PPD there are no defaults.
  JobHarness noPpd(FullProgram(), WithOptions("a=1"));
  EXPECT_EQ(noPpd.job().options().Get("QMColorMode"), nullptr);
}

// A module record of the tests.
struct TestRecord {
  std::int32_t number;
  char text[6];
};

TEST(TicketTableTest, PrefixPerProgramAndEmptyTable) {
  const TicketDataEntry table[] = {
      {"Key", KeyKind::Prefixed, TF_CORE(StdLayoutInfo).Limited(16), GetTicketString},
  };
  const std::string options = "com.brantlowe.ticket.Key=full com.brantlowe.basicticket.Key=basic";
  JobHarness full(FullProgram(), WithOptions(options));
  GetTicketFromArray(full.job(), nullptr, table);
  EXPECT_STREQ(full.state().StdLayoutInfo, "full");
  JobHarness basic(BasicProgram(), WithOptions(options));
  GetTicketFromArray(basic.job(), nullptr, table);
  EXPECT_STREQ(basic.state().StdLayoutInfo, "basic");

  // A table of no rows reads nothing.
  JobHarness none(FullProgram(), WithOptions(options));
  std::strcpy(none.state().StdLayoutInfo, "kept");
  EXPECT_EQ(GetTicketFromArray(none.job(), nullptr, std::span(table, 0)), 1);
  EXPECT_STREQ(none.state().StdLayoutInfo, "kept");
}

// A row's destination in the module's record is a field of the record handed in, filled at most
// to the field's size (derived from the field, never written in the row).
TEST(TicketTableTest, RecordFieldsAreFilledUpToTheirSize) {
  const TicketDataEntry table[] = {
      {"n", KeyKind::Plain, TF_RECORD(TestRecord, number), GetTicketInteger},
      {"t", KeyKind::Plain, TF_RECORD(TestRecord, text), GetTicketString},
  };
  static_assert(TF_RECORD(TestRecord, text).size() == 6);
  JobHarness h(FullProgram(), WithOptions("n=42 t=abcdefgh"));
  TestRecord first{}, second{};
  GetTicketFromArray(h.job(), &first, table);
  EXPECT_EQ(first.number, 42);
  EXPECT_STREQ(first.text, "abcde");
  EXPECT_EQ(second.number, 0);  // another record is another module's
}

// Every text field records the encoding its reader stored, so that its value is later cut by its
// own characters: on a UTF-8 printer the user IDs and names stay UTF-8, the passwords and the
// other fields of the plain reader are Shift-JIS.
TEST(TicketTableTest, EachTextFieldRecordsTheEncodingOfItsReader) {
  const TicketDataEntry utf8[] = {{"sides", KeyKind::Plain, TF_CORE(StdLayoutInfo).Limited(16),
                                   GetTicketStringConvertedToPrtLangForUTF8}};
  const TicketDataEntry plain[] = {{"sides", KeyKind::Plain, TF_CORE(StdLayoutInfo).Limited(16),
                                    GetTicketStringConvertedToPrtLang}};
  JobHarness h(FullProgram(), WithOptions("sides=x"));
  const Job& j = h.job();
  const JobCoreState& s = h.state();
  EXPECT_EQ(j.EncodingOf(s.StdLayoutInfo), TextEncoding::ShiftJIS);
  GetTicketFromArray(h.job(), nullptr, utf8);
  EXPECT_EQ(j.EncodingOf(s.StdLayoutInfo), TextEncoding::UTF8);
  GetTicketFromArray(h.job(), nullptr, plain);  // filled again: the last reader decides
  EXPECT_EQ(j.EncodingOf(s.StdLayoutInfo), TextEncoding::ShiftJIS);
  EXPECT_EQ(j.textEncodings.utf8Count(), 0u);

  for (const char* ppd : {"utf8.ppd", "bytemode.ppd"}) {
    SCOPED_TRACE(ppd);
    JobHarness job(FullProgram(), WithOptions(""), ppd);
    job.ReadTickets();
    const JobCoreState& js = job.state();
    const Job& j = job.job();
    const TextEncoding kept = std::string(ppd) == "utf8.ppd" ? TextEncoding::UTF8
                                                             : TextEncoding::ShiftJIS;
    const JBAOptions& jba = job.Record<JBAOptions>(JBAModule<TicketfilterAccountTables>);
    const PrintTypeOptions& pt = job.Record<PrintTypeOptions>(PrintTypeModule);
    const WatermarkRecord& wm = job.Record<WatermarkRecord>(WatermarkModule);
    const CommentOptions& comment = job.Record<CommentOptions>(CommentModule);
    const PBindOptions& pbind = job.Record<PBindOptions>(PBindModule);
    for (const char* field : {js.StdUserName, js.StdJBAUserName, js.StdDocumentName,
                              js.PTStdDocumentName, pt.userName, pt.documentName,
                              jba.userID, jba.storageID, jba.adminUserID, jba.adminStorageID,
                              jba.inputUserID, jba.inputStorageID}) {
      EXPECT_EQ(j.EncodingOf(field), kept) << field;
    }
    for (const char* field : {pt.password, pt.mbnPassword, jba.userPassword,
                              jba.adminUserPassword, jba.inputUserPassword, jba.domainName,
                              jba.accountID, js.StdNUpInfo, wm.psOptionWatermark.text,
                              wm.psOptionWatermark.font, comment.numberUp, comment.sigVol,
                              pbind.position}) {
      EXPECT_EQ(j.EncodingOf(field), TextEncoding::ShiftJIS) << field;
    }
    // Every field that can hold UTF-8 fits the record (the host name is the one more).
    EXPECT_EQ(j.textEncodings.utf8Count(), kept == TextEncoding::UTF8 ? 12u : 0u);
    EXPECT_LT(j.textEncodings.utf8Count() + 1, TextFieldEncodings::kCapacity);
  }
}

}  // namespace
}  // namespace tf::test
