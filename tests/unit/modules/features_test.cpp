// Finishing features in one job: the finishing tickets and their header rows, and the PostScript
// blocks by insertion point and N-up product (the layout buffers set directly, as the account
// tickets would leave them).
#include "modules/features/features.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "filter/module_steps.h"
#include "support/job_harness.h"

namespace tf {
namespace {

using test::FullProgram;
using test::JobHarness;

const std::string kFull = "com.brantlowe.ticket.";

JobHarness::Args WithOptions(const std::string& options) {
  JobHarness::Args args;
  args.options = options;
  return args;
}

// The header rows of a job with these options.
std::string HeaderRows(const std::string& options, const Program& program = FullProgram()) {
  JobHarness h(program, WithOptions(options), "plain.ppd");
  h.ReadTickets();
  FeaturesOutputKPJLCommandFromFilter(h.job(), h.RecordOf(FeaturesModule));
  return h.Output();
}

std::string Block(const std::string& body) {
  return "[{\n%%BeginNonPPDFeatures\n" + body + "%%EndNonPPDFeatures\n} stopped cleartomark\n";
}
std::string SeparatorBlock(const std::string& list) {
  return Block("1 dict dup/SeparatorPages[" + list +
               "]put/Custom/ProcSet findresource/setcoverseparator get exec\n");
}
std::string ShiftBlock(const std::string& shift) {
  return Block(shift + ".000/Custom/ProcSet findresource/setsignatureimageshift get exec\n");
}
const std::string kAutoFitOnBlock =
    Block("/Custom/ProcSet findresource/setsignatureautoscale 2 copy known {get true exch exec} "
          "{pop pop} ifelse\n");
const std::string kAutoFitOffBlock =
    Block("/Custom/ProcSet findresource/setsignatureautoscale 2 copy known {get false exch exec} "
          "{pop pop} ifelse\n");

TEST(FeaturesHeaderTest, EachSwitchWritesItsOffFormItsValueFormOrNothing) {
  struct Case {
    const char* options;
    const char* rows;
  };
  const Case cases[] = {
      {"TabMarginSwitchTicket=0 TabMarginMMShiftTicket=12", "@PJL SET JOBATTR=\"@TABS=OFF\"\n"},
      {"TabMarginSwitchTicket=1 TabMarginMMShiftTicket=12", "@PJL SET JOBATTR=\"@TABS=12\"\n"},
      {"TabMarginSwitchTicket=2 TabMarginMMShiftTicket=12", ""},
      {"TabMarginMMShiftTicket=12", ""},
      {"TrimmerSwitchTicket=0", "@PJL SET JOBATTR=\"@TRMR=0\"\n"},
      {"TrimmerSwitchTicket=1 TrimmerMMCuttingSizeTicket=5", "@PJL SET JOBATTR=\"@TRMR=5\"\n"},
      {"NumInSequenceSwitchTicket=0", "@PJL SET JOBATTR=\"@MDOC=0\"\n"},
      {"NumInSequenceSwitchTicket=1 NumInSequenceLArrowTicket=3", "@PJL SET JOBATTR=\"@MDOC=3\"\n"},
      {"OffsetStackingListTicket=4 OffsetStackingPagesLArrowTicket=10 "
       "OffsetStackingUnitsLArrowTicket=2",
       "@PJL SET JOBOFFSET=PAGES\n@PJL SET JOBATTR=\"@OCSN=10\"\n"},
      {"OffsetStackingListTicket=5 OffsetStackingPagesLArrowTicket=10 "
       "OffsetStackingUnitsLArrowTicket=2",
       "@PJL SET JOBOFFSET=COPIES\n@PJL SET JOBATTR=\"@OCSN=2\"\n"},
      {"OffsetStackingListTicket=3 OffsetStackingPagesLArrowTicket=10", ""},
  };
  for (const Case& c : cases) {
    std::string options;
    // Every key here is a maker ticket: prefix each name.
    std::string rest = c.options;
    while (!rest.empty()) {
      const std::size_t space = rest.find(' ');
      options += kFull + rest.substr(0, space) + " ";
      rest = space == std::string::npos ? "" : rest.substr(space + 1);
    }
    EXPECT_EQ(HeaderRows(options), c.rows) << c.options;
  }
}

TEST(FeaturesHeaderTest, ValueRowWithAnEmptyValueWritesNothingRatherThanAHalfLine) {
  // The value rows never leave an unterminated '@PJL SET JOBATTR="' behind.
  EXPECT_EQ(HeaderRows(kFull + "TabMarginSwitchTicket=1"), "");
  EXPECT_EQ(HeaderRows(kFull + "OffsetStackingListTicket=4"), "@PJL SET JOBOFFSET=PAGES\n");
}

TEST(FeaturesHeaderTest, ValuesAreCutToTheirFieldsAndLosePjlUnsafeBytes) {
  // Shift and numbering fields hold 4 bytes, the offset-stacking counts 5.
  EXPECT_EQ(HeaderRows(kFull + "TabMarginSwitchTicket=1 " + kFull + "TabMarginMMShiftTicket=123456"),
            "@PJL SET JOBATTR=\"@TABS=1234\"\n");
  EXPECT_EQ(HeaderRows(kFull + "OffsetStackingListTicket=4 " + kFull +
                       "OffsetStackingPagesLArrowTicket=1234567"),
            "@PJL SET JOBOFFSET=PAGES\n@PJL SET JOBATTR=\"@OCSN=12345\"\n");
  // "/"-byte lists decode; a quote or line feed in them never reaches the line.
  EXPECT_EQ(HeaderRows(kFull + "TrimmerSwitchTicket=1 " + kFull +
                       "TrimmerMMCuttingSizeTicket=/53/34/10/54"),
            "@PJL SET JOBATTR=\"@TRMR=56\"\n");
}

TEST(FeaturesHeaderTest, PunchHolesIsReadWithoutPrefix) {
  // Output face off with coil punching, punched face on, plain media: FACE=OFF through row 10;
  // the same with the punch holes under a prefixed key counts as no coil punch (row 11).
  const std::string face = kFull + "EjectOptionsListTicket=1 " + kFull +
                           "CoilPunchFaceTicket=true " + kFull +
                           "featuresMediaTypeTabTicket=true " + kFull +
                           "whetherMediaTypeTabTicket=0 ";
  EXPECT_EQ(HeaderRows(face + "QMNumPunchHoles=CoilPunch"), "@PJL SET JOBATTR=\"@FACE=UP\"\n");
  EXPECT_EQ(HeaderRows(face + kFull + "QMNumPunchHoles=CoilPunch"),
            "@PJL SET JOBATTR=\"@FACE=OFF\"\n");
}

// The PostScript steps, with the record and layout buffers set as the tickets would leave them.
class FeaturesPostScriptTest : public ::testing::Test {
 protected:
  FeaturesPostScriptTest() : h_(FullProgram(), {}, "plain.ppd") {
    FeaturesOptions& f = features();
    f.separatorPageList = 0;
    std::strcpy(f.separatorPages, "2 5");
    f.bookletMarginSwitch = 1;
    std::strcpy(f.bookletMarginShift, "10");
    f.autoFitSwitch = 1;
  }
  void SetLayout(const char* rows, const char* columns) {
    std::strcpy(h_.state().StdLayoutRowInfo, rows);
    std::strcpy(h_.state().StdLayoutColumnInfo, columns);
  }
  // What the finishing step writes at `point`, alone.
  std::string At(int point) {
    const std::size_t before = h_.Output().size();
    FeaturesOutputPSCommandFromFilter(h_.job(), &features(), {point, 0}, h_.job().out);
    return h_.Output().substr(before);
  }
  FeaturesOptions& features() { return h_.Record<FeaturesOptions>(FeaturesModule); }

  JobHarness h_;
};

TEST_F(FeaturesPostScriptTest, SingleUpWritesSeparatorsAtPrologEndAndShiftAtSetupEnd) {
  const std::string separators = SeparatorBlock("2 5");
  const std::string shift = ShiftBlock("10") + kAutoFitOnBlock;
  // Product 0 (layout absent, or a text that is no number) and product 1.
  for (auto [rows, columns] : {std::pair{"", ""}, {"1", "1"}, {"x", "3"}, {"0", "4"}}) {
    SetLayout(rows, columns);
    EXPECT_EQ(At(kPointEndProlog), separators) << rows << "x" << columns;
    EXPECT_EQ(At(kPointEndSetup), shift) << rows << "x" << columns;
    EXPECT_EQ(At(kPointSetPageDevice), "") << rows << "x" << columns;
  }
}

TEST_F(FeaturesPostScriptTest, MultipleUpWritesBothBeforeSetPageDeviceSeparatorsFirst) {
  for (auto [rows, columns] : {std::pair{"2", "2"}, {"1", "2"}, {"70000", "70000"}}) {
    SetLayout(rows, columns);
    EXPECT_EQ(At(kPointSetPageDevice), SeparatorBlock("2 5") + ShiftBlock("10") + kAutoFitOnBlock)
        << rows << "x" << columns;
    EXPECT_EQ(At(kPointEndProlog), "") << rows << "x" << columns;
    EXPECT_EQ(At(kPointEndSetup), "") << rows << "x" << columns;
  }
}

TEST_F(FeaturesPostScriptTest, NegativeProductAndOtherPointsWriteNothing) {
  SetLayout("-1", "2");
  for (int point : {13, 14, 16, 21, 23, 24, 27, 28, 29}) EXPECT_EQ(At(point), "") << point;
  SetLayout("1", "1");
  for (int point : {13, 23, 24, 27, 28, 29}) EXPECT_EQ(At(point), "") << point;
}

TEST_F(FeaturesPostScriptTest, NUpProductOfTheLayoutTexts) {
  SetLayout("3", "4");
  EXPECT_EQ(FeaturesNUpProduct(h_.state()), 12);
  SetLayout(" 2abc", "-3");
  EXPECT_EQ(FeaturesNUpProduct(h_.state()), -6);
  SetLayout("99999999999", "99999999999");  // held to the int32 range, no overflow
  EXPECT_GT(FeaturesNUpProduct(h_.state()), 1);
}

TEST_F(FeaturesPostScriptTest, SeparatorChoiceOneOrAbsentWritesNoBlock) {
  for (int choice : {1, -1}) {
    features().separatorPageList = choice;
    EXPECT_EQ(At(kPointEndProlog), "") << choice;
  }
  features().separatorPageList = 0;
  features().separatorPages[0] = '\0';
  EXPECT_EQ(At(kPointEndProlog), SeparatorBlock(""));
}

TEST_F(FeaturesPostScriptTest, LongSeparatorListIsWrittenWholeWithItsLineEnd) {
  // 99 bytes of list: the body line is 184 bytes and the end marker stays on its own line.
  std::string list;
  while (list.size() < 96) list += "12 ";
  list += "345";
  ASSERT_EQ(list.size(), 99u);
  std::strcpy(features().separatorPages, list.c_str());
  EXPECT_EQ(At(kPointEndProlog), SeparatorBlock(list));
}

TEST_F(FeaturesPostScriptTest, SeparatorListThatIsNotPageNumbersIsLeftOut) {
  for (const char* list : {"1) quit (", "1\n%%EOF", "1 % x", "quit", "1,3", "[1]", "1\x04"}) {
    std::strcpy(features().separatorPages, list);
    EXPECT_EQ(At(kPointEndProlog), "") << list;
  }
}

TEST_F(FeaturesPostScriptTest, ShiftAndAutoFitFollowTheirSwitches) {
  struct Case {
    std::int32_t margin;
    std::int32_t autoFit;
    const char* shift;
    std::string expected;
  };
  const Case cases[] = {
      {0, 1, "10", ""},  // margin off: no automatic fit either
      {-1, 1, "10", ""},
      {1, -1, "10", ShiftBlock("10")},
      {1, 0, "10", ShiftBlock("10") + kAutoFitOffBlock},
      {2, 7, "-5", ShiftBlock("-5") + kAutoFitOnBlock},
      {1, -1, "", ShiftBlock("")},  // ".000": no shift
      {1, 0, "1.5", kAutoFitOffBlock},  // not a whole number: no shift block, automatic fit kept
      {1, -1, "5)x", ""},
  };
  for (const Case& c : cases) {
    features().bookletMarginSwitch = c.margin;
    features().autoFitSwitch = c.autoFit;
    std::strcpy(features().bookletMarginShift, c.shift);
    EXPECT_EQ(At(kPointEndSetup), c.expected) << c.margin << " " << c.autoFit << " " << c.shift;
  }
}

TEST(FeaturesPostScriptTicketTest, TicketsFillTheRecordTheBlocksRead) {
  JobHarness h(FullProgram(),
               WithOptions(kFull + "SeparatorPageListTicket=2 " + kFull +
                           "SeparatorPageTicket=/49/32/52 " + kFull +
                           "BookletMarginSwitchTicket=1 " + kFull + "BookletMarginMMShiftTicket=8 " +
                           kFull + "AutoFitSwitchTicket=0"),
               "plain.ppd");
  h.ReadTickets();
  void* record = h.RecordOf(FeaturesModule);
  FeaturesOutputPSCommandFromFilter(h.job(), record, {kPointEndProlog, 0}, h.job().out);
  FeaturesOutputPSCommandFromFilter(h.job(), record, {kPointEndSetup, 0}, h.job().out);
  EXPECT_EQ(h.Output(), SeparatorBlock("1 4") + ShiftBlock("8") + kAutoFitOffBlock);
}

}  // namespace
}  // namespace tf
