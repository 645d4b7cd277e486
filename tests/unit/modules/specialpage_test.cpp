// Special pages in-process: the field reader and its cut by whole characters, and the counts.
#include "modules/specialpage/specialpage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/job.h"
#include "support/job_harness.h"

namespace tf {
namespace {

using test::BasicProgram;
using test::FullProgram;
using test::JobHarness;

struct Field {
  std::int32_t advance;
  std::string text;
};

Field Read(const char* text, TextEncoding encoding = TextEncoding::UTF8) {
  char field[kSpecialPageFieldSize] = {};
  const std::int32_t advance = GetOneValue(text, field, sizeof(field), encoding);
  return {advance, field};
}

TEST(GetOneValueTest, FieldsAndHowFarToAdvance) {
  Field f = Read("abc,def");
  EXPECT_EQ(f.advance, 4);
  EXPECT_EQ(f.text, "abc");
  f = Read(",x");  // an empty field advances by the comma alone
  EXPECT_EQ(f.advance, 1);
  EXPECT_EQ(f.text, "");
  f = Read("last");  // no comma: the whole text, and no advance
  EXPECT_EQ(f.advance, 0);
  EXPECT_EQ(f.text, "last");
  f = Read("");
  EXPECT_EQ(f.advance, 0);
  EXPECT_EQ(f.text, "");
}

TEST(GetOneValueTest, NullTextOrDestination) {
  char field[kSpecialPageFieldSize] = {};
  EXPECT_EQ(GetOneValue(nullptr, field, sizeof(field), TextEncoding::UTF8), -1);
  EXPECT_EQ(GetOneValue("a,b", nullptr, 0, TextEncoding::UTF8), -1);
}

TEST(GetOneValueTest, LongFieldIsCutButSkippedWhole) {
  // 60 bytes before the comma: 49 are kept, and the next field starts after the comma.
  const std::string text = std::string(60, 'x') + ",next";
  const Field f = Read(text.c_str());
  EXPECT_EQ(f.text, std::string(49, 'x'));
  EXPECT_EQ(f.advance, 61);
  EXPECT_EQ(Read(text.c_str() + f.advance).text, "next");
}

TEST(GetOneValueTest, CutNeverSplitsACharacter) {
  // UTF-8: a two-byte character at bytes 49 and 50 does not fit.
  std::string text = std::string(48, 'a') + "\xC3\xA9" + ",z";
  Field f = Read(text.c_str());
  EXPECT_EQ(f.text, std::string(48, 'a'));
  EXPECT_EQ(f.advance, 51);
  // Shift-JIS: a two-byte character whose second byte would be byte 50.
  text = std::string(48, 'a') + "\x82\xA0";
  f = Read(text.c_str(), TextEncoding::ShiftJIS);
  EXPECT_EQ(f.text, std::string(48, 'a'));
  // A character that ends exactly at byte 49 is kept.
  text = std::string(47, 'a') + "\x82\xA0" + "b";
  f = Read(text.c_str(), TextEncoding::ShiftJIS);
  EXPECT_EQ(f.text, std::string(47, 'a') + "\x82\xA0");
}

JobHarness::Args WithOptions(const std::string& options) {
  JobHarness::Args args;
  args.options = options;
  return args;
}

TEST(SpecialPageCountsTest, StartAtZeroAndReadAbsentAsMinusOne) {
  JobHarness h(FullProgram(), WithOptions("com.brantlowe.ticket.KPIFInsertionCountTicket=4"),
               "utf8.ppd");
  SpecialPageOptions& sp = h.Record<SpecialPageOptions>(SpecialPageModule);
  EXPECT_EQ(sp.coverCount, 0);  // every record starts zeroed with its job
  EXPECT_EQ(sp.exceptionCount, 0);
  SpecialPageGetTicketFromPDE(h.job(), &sp);
  EXPECT_EQ(sp.coverCount, -1);
  EXPECT_EQ(sp.insertionCount, 4);
  EXPECT_EQ(sp.exceptionCount, -1);
}

TEST(SpecialPageCountsTest, BasicProgramReadsItsOwnPrefix) {
  JobHarness h(BasicProgram(),
               WithOptions("com.brantlowe.ticket.KPIFCoverCountTicket=2 "
                           "com.brantlowe.basicticket.KPIFExceptionCountTicket=3"),
               "utf8.ppd");
  h.ReadTickets();
  const SpecialPageOptions& sp = h.Record<SpecialPageOptions>(SpecialPageModule);
  EXPECT_EQ(sp.coverCount, -1);
  EXPECT_EQ(sp.exceptionCount, 3);
}

TEST(SpecialPageCountsTest, OutputClampsNegativeCountsInTheRecord) {
  JobHarness h(FullProgram(),
               WithOptions("com.brantlowe.ticket.KPIFCoverCountTicket=-3 "
                           "com.brantlowe.ticket.KPIFExceptionCountTicket=-2147483648"),
               "utf8.ppd");
  h.ReadTickets();
  SpecialPageOptions& sp = h.Record<SpecialPageOptions>(SpecialPageModule);
  InjectKPIFCommandSP(h.job(), &sp);
  EXPECT_EQ(h.Output(), "");
  EXPECT_EQ(sp.coverCount, 0);
  EXPECT_EQ(sp.insertionCount, 0);
  EXPECT_EQ(sp.exceptionCount, 0);
}

}  // namespace
}  // namespace tf
