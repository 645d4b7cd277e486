// Perfect binding in-process: the value table, the size units, the normalisation of the record,
// the adjustment lines and what the binder gets when sizes, values or trim amounts are missing or
// unknown, and job text that tries to break a PJL line.
#include "modules/pbind/pbind.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "engine/job.h"
#include "support/job_harness.h"

namespace tf {
namespace {

using test::FullProgram;
using test::JobHarness;

// The job arguments with `options` as the option list.
JobHarness::Args WithOptions(const std::string& options) {
  JobHarness::Args args;
  args.options = options;
  return args;
}

std::string Convert(const char* value, std::size_t size = 256) {
  char out[256];
  std::memset(out, 'x', sizeof(out));
  ConvertPBindPPDValue(value, out, size);
  return out;
}

TEST(PBindValueTableTest, LookupIsExactAndCaseSensitive) {
  EXPECT_EQ(Convert("a4"), "");
  EXPECT_EQ(Convert("A4 "), "");
  EXPECT_EQ(Convert("Legal"), "");
  EXPECT_EQ(Convert(""), "");
  EXPECT_EQ(Convert(nullptr), "");
}

TEST(PBindValueTableTest, ResultAndBoundedDestination) {
  char out[16];
  EXPECT_TRUE(ConvertPBindPPDValue("HCF1", out, sizeof(out)));
  EXPECT_STREQ(out, "INTRAY6");
  EXPECT_FALSE(ConvertPBindPPDValue("A4x", out, sizeof(out)));
  EXPECT_STREQ(out, "");
  EXPECT_EQ(Convert("9x11", 4), "LET");
  EXPECT_EQ(Convert("A4", 1), "");
}

TEST(PBindUnitsTest, PointsToTenthsOfAMillimetre) {
  EXPECT_EQ(PBindPointsToTenthsMm(595), 2100);    // A4 width
  EXPECT_EQ(PBindPointsToTenthsMm(842), 2970);    // A4 height: 297.17 mm
  EXPECT_EQ(PBindPointsToTenthsMm(612), 2160);    // Letter
  EXPECT_EQ(PBindPointsToTenthsMm(792), 2790);
  EXPECT_EQ(PBindPointsToTenthsMm(420), 1480);    // A5 width
  EXPECT_EQ(PBindPointsToTenthsMm(842.99f), 2970);  // the points are truncated first
  EXPECT_EQ(PBindPointsToTenthsMm(2.99f), 0);     // 2 points: 120 / 170 is 0 mm
  EXPECT_EQ(PBindPointsToTenthsMm(3), 10);
  EXPECT_EQ(PBindPointsToTenthsMm(0), 0);
}

TEST(PBindUnitsTest, ImpossibleDimensionsHaveNoSize) {
  EXPECT_EQ(PBindPointsToTenthsMm(-1), std::nullopt);
  EXPECT_EQ(PBindPointsToTenthsMm(std::numeric_limits<float>::quiet_NaN()), std::nullopt);
  EXPECT_EQ(PBindPointsToTenthsMm(std::numeric_limits<float>::infinity()), std::nullopt);
  EXPECT_EQ(PBindPointsToTenthsMm(3.0e9f), std::nullopt);
}

// The record after ticket reading.
struct Normalised {
  std::string position, rotation, trimming, cutPageSize, cutPositionTop, cutPositionFore;
  int minimumCut;
};

Normalised ReadRecord(const std::string& options) {
  JobHarness h(FullProgram(), WithOptions(options), "utf8.ppd");
  h.ReadTickets();
  const PBindOptions& pb = h.Record<PBindOptions>(PBindModule);
  return {pb.position,       pb.rotation,        pb.trimming, pb.cutPageSize,
          pb.cutPositionTop, pb.cutPositionFore, pb.minimumCut};
}

TEST(PBindNormaliseTest, PositionGivesTheEdgeAndTheRotation) {
  struct Case {
    const char* option;
    const char* position;
    const char* rotation;
  };
  const Case cases[] = {
      {"None", "OFF", ""},
      {"BindLeft", "LEFT", "ROTSEFLAND"},
      {"BindRight", "RIGHT", "ROTLEFPORT"},
      {"BindTop", "TOP", "ROTSEFLAND"},
      {"BindBottom", "BindBottom", ""},  // unknown edges stay, without rotation
  };
  for (const Case& c : cases) {
    const Normalised n = ReadRecord(std::string("QMPBindPosition=") + c.option);
    EXPECT_EQ(n.position, c.position) << c.option;
    EXPECT_EQ(n.rotation, c.rotation) << c.option;
  }
  EXPECT_EQ(ReadRecord("").position, "");
}

TEST(PBindNormaliseTest, TrimmingDecidesWhichSizesAndAmountsRemain) {
  const std::string given =
      " QMPBindCutPageSize=A5 QMPBindCutPositionTop=3mm QMPBindCutPositionFore=4mm";
  struct Case {
    const char* trimming;  // nullptr: the option is absent
    Normalised expected;
  };
  const Case cases[] = {
      {"None", {"", "", "OFF", "", "", "", 0}},
      {"3EdgeSpecifySize", {"", "", "FULLBLEED", "A5", "", "", 0}},
      {"1EdgeSpecifySize", {"", "", "FACE", "A5", "", "", 0}},
      {"1EdgeCut", {"", "", "FACE", "", "", "4mm", 0}},
      {"3EdgeCut", {"", "", "FULLBLEED", "", "3mm", "4mm", 0}},
      {"3EdgeCutMinimum", {"", "", "FULLBLEED", "", "7mm", "7mm", 1}},
      {"1EdgeCutMinimum", {"", "", "FACE", "", "", "7mm", 1}},
      {"Special", {"", "", "Special", "", "3mm", "4mm", 0}},
      {nullptr, {"", "", "", "", "3mm", "4mm", 0}},
  };
  for (const Case& c : cases) {
    const std::string trimming = c.trimming ? std::string("QMPBindTrimming=") + c.trimming : "";
    const Normalised n = ReadRecord(trimming + given);
    const char* label = c.trimming ? c.trimming : "(absent)";
    EXPECT_EQ(n.trimming, c.expected.trimming) << label;
    EXPECT_EQ(n.cutPageSize, c.expected.cutPageSize) << label;
    EXPECT_EQ(n.cutPositionTop, c.expected.cutPositionTop) << label;
    EXPECT_EQ(n.cutPositionFore, c.expected.cutPositionFore) << label;
    EXPECT_EQ(n.minimumCut, c.expected.minimumCut) << label;
  }
}

TEST(PBindNormaliseTest, RecordStartsClearForEveryJob) {
  JobHarness h(FullProgram(), WithOptions("QMPBindPosition=BindLeft"), "utf8.ppd");
  PBindOptions& pb = h.Record<PBindOptions>(PBindModule);
  pb.minimumCut = 1;
  std::strcpy(pb.coverMediaType, "Stale");
  h.ReadTickets();
  EXPECT_EQ(pb.minimumCut, 0);
  EXPECT_STREQ(pb.coverMediaType, "");
}

// One adjustment line as the job writes it.
std::string Digital(const char* value, const char* position, int signRule) {
  JobHarness h(FullProgram(), {}, "utf8.ppd");
  OutputKPJLCommandforPBindDigital(h.job(), value, 1, "PBAX", position, signRule);
  return h.Output();
}

TEST(PBindDigitalTest, ValueIsTheLeadingDecimalNumber) {
  EXPECT_EQ(Digital("", "LEFT", 0), "");  // empty: no line at all
  EXPECT_EQ(Digital(" +12mm", "LEFT", 0), "@PJL SET JOBATTR=\"@PBAX=12\"\n");
  EXPECT_EQ(Digital("x", "LEFT", 0), "@PJL SET JOBATTR=\"@PBAX=0\"\n");
  EXPECT_EQ(Digital("-4", "RIGHT", 1), "@PJL SET JOBATTR=\"@PBAX=4\"\n");
  // Out-of-range numbers are held to the 32-bit range, also when negated.
  EXPECT_EQ(Digital("99999999999", "LEFT", 0), "@PJL SET JOBATTR=\"@PBAX=2147483647\"\n");
  EXPECT_EQ(Digital("-99999999999", "TOP", 2), "@PJL SET JOBATTR=\"@PBAX=2147483647\"\n");
}

// The perfect-binding lines of a job, with the messages it wrote.
struct BindRun {
  std::string out;
  std::string err;
};

BindRun Bind(const std::string& options, const std::string& ppd = "utf8.ppd") {
  JobHarness h(FullProgram(), WithOptions(options), ppd);
  h.ReadTickets();
  const std::size_t logged = h.Log().size();
  OutputKPJLCommandforPerfectBind(h.job(), h.RecordOf(PBindModule));
  BindRun run;
  run.err = h.Log().substr(logged);
  run.out = h.Output();
  return run;
}

constexpr char kLeftA4[] = "QMPBindPosition=BindLeft QMPBindPageSize=A4 ";

TEST(PBindOutputTest, NoPositionOrOffWritesNothing) {
  EXPECT_EQ(Bind("QMPBindPageSize=A4 QMPBindCoverPageSize=A4").out, "");
  EXPECT_EQ(Bind("QMPBindPosition=None QMPBindPageSize=A4").out, "");
  EXPECT_EQ(Bind("QMPBindPosition=OFF QMPBindPageSize=A4").out, "");
}

TEST(PBindOutputTest, UnknownCoverValuesAreLeftOutAndReportedSafely) {
  // The media type carries a line feed and an "ERROR:" of its own ("/"-encoded).
  const BindRun run = Bind(std::string(kLeftA4) +
                           "QMPBindTrimming=None QMPBindCoverPageSize=Legal "
                           "QMPBindCoverMediaType=/88/10/69/82/82/79/82/58 "
                           "QMPBindCoverMediaColor=Blue QMPBindCoverPaperTray=9thTray");
  EXPECT_EQ(run.out,
            "@PJL SET JOBATTR=\"@PBRE=LEFT\"\n"
            "@PJL SET JOBATTR=\"@MSDA=ROTSEFLAND\"\n"
            "@PJL SET JOBATTR=\"@PBTC=OFF\"\n"
            "@PJL SET JOBATTR=\"@PBBP=A4\"\n"
            "@PJL SET JOBATTR=\"@PBTP=A4\"\n"
            "@PJL SET JOBATTR=\"@PBCC=BLUE\"\n"
            "@PJL SET JOBATTR=\"@PBCI=OFF\"\n");
  EXPECT_EQ(run.err,
            "DEBUG: Perfect binding: the binder knows no value \"Legal\" for PBCP; left out\n"
            "DEBUG: Perfect binding: the binder knows no value \"X?ERROR:\" for PBCQ; left out\n"
            "DEBUG: Perfect binding: the binder knows no value \"9thTray\" for PBCT; left out\n");
}

TEST(PBindOutputTest, PaperSizeTheBinderDoesNotKnowIsLeftOut) {
  // "Legal" is neither in the value table nor in the PPD: no PBBP, and the finished size of an
  // untrimmed book is then empty, as for a job without a paper size.
  const BindRun run = Bind("QMPBindPosition=BindTop QMPBindPageSize=Legal QMPBindTrimming=None");
  EXPECT_EQ(run.out,
            "@PJL SET JOBATTR=\"@PBRE=TOP\"\n"
            "@PJL SET JOBATTR=\"@MSDA=ROTSEFLAND\"\n"
            "@PJL SET JOBATTR=\"@PBTC=OFF\"\n"
            "@PJL SET JOBATTR=\"@PBTP=\"\n"
            "@PJL SET JOBATTR=\"@PBCI=OFF\"\n");
  EXPECT_NE(run.err.find("the PPD has no page size \"Legal\""), std::string::npos);
  EXPECT_NE(run.err.find("no value \"Legal\" for PBBP"), std::string::npos);
}

// Trimming whose sizes cannot be known binds the book untrimmed: PBTC=OFF, the finished size is
// the paper, no cut or shift lines.
TEST(PBindOutputTest, TrimmingWithoutKnownSizesBindsUntrimmed) {
  const std::string untrimmedB5 =
      "@PJL SET JOBATTR=\"@PBRE=LEFT\"\n"
      "@PJL SET JOBATTR=\"@MSDA=ROTSEFLAND\"\n"
      "@PJL SET JOBATTR=\"@PBTC=OFF\"\n"
      "@PJL SET JOBATTR=\"@PBBP=JISB5\"\n"
      "@PJL SET JOBATTR=\"@PBTP=JISB5\"\n"
      "@PJL SET JOBATTR=\"@PBCI=OFF\"\n";
  const std::string kNoTrimming =
      "DEBUG: Perfect binding: the sizes to trim to are unknown; binding without trimming\n";
  // B5 is a binder size, but this PPD does not define it.
  BindRun run = Bind("QMPBindPosition=BindLeft QMPBindPageSize=B5 QMPBindTrimming=1EdgeCutMinimum");
  EXPECT_EQ(run.out, untrimmedB5);
  EXPECT_EQ(run.err,
            "DEBUG: Perfect binding: the PPD has no page size \"B5\"\n" + kNoTrimming);

  // No PPD at all.
  run = Bind("QMPBindPosition=BindLeft QMPBindPageSize=B5 QMPBindTrimming=3EdgeCut "
             "QMPBindCutPositionTop=5mm",
             "");
  EXPECT_EQ(run.out, untrimmedB5);
  EXPECT_EQ(run.err, "DEBUG: Perfect binding: no PPD to take the size of \"B5\" from\n" +
                         kNoTrimming);

  // A finished size the PPD does not define, on known paper.
  run = Bind(std::string(kLeftA4) + "QMPBindTrimming=3EdgeSpecifySize QMPBindCutPageSize=B5");
  EXPECT_EQ(run.out,
            "@PJL SET JOBATTR=\"@PBRE=LEFT\"\n"
            "@PJL SET JOBATTR=\"@MSDA=ROTSEFLAND\"\n"
            "@PJL SET JOBATTR=\"@PBTC=OFF\"\n"
            "@PJL SET JOBATTR=\"@PBBP=A4\"\n"
            "@PJL SET JOBATTR=\"@PBTP=A4\"\n"
            "@PJL SET JOBATTR=\"@PBCI=OFF\"\n");
  EXPECT_EQ(run.err, "DEBUG: Perfect binding: the PPD has no page size \"B5\"\n" + kNoTrimming);

  // A finished size that the PPD defines but the binder does not know.
  run = Bind(std::string(kLeftA4) + "QMPBindTrimming=1EdgeSpecifySize QMPBindCutPageSize=A5x");
  EXPECT_NE(run.out.find("@PJL SET JOBATTR=\"@PBTC=OFF\"\n"), std::string::npos);
  EXPECT_EQ(run.out.find("PBTW"), std::string::npos);

  // No paper size at all, with a fore trim to compute from it.
  run = Bind("QMPBindPosition=BindRight QMPBindTrimming=1EdgeCut QMPBindCutPositionFore=10mm");
  EXPECT_EQ(run.out,
            "@PJL SET JOBATTR=\"@PBRE=RIGHT\"\n"
            "@PJL SET JOBATTR=\"@MSDA=ROTLEFPORT\"\n"
            "@PJL SET JOBATTR=\"@PBTC=OFF\"\n"
            "@PJL SET JOBATTR=\"@PBTP=\"\n"
            "@PJL SET JOBATTR=\"@PBCI=OFF\"\n");
  EXPECT_EQ(run.err, kNoTrimming);
}

TEST(PBindOutputTest, UnknownPaperDoesNotMatterWhenNothingIsComputedFromIt) {
  // Trimming "None" needs no dimensions: a B5 paper the PPD lacks is still bound as asked.
  const BindRun run = Bind("QMPBindPosition=BindLeft QMPBindPageSize=B5 QMPBindTrimming=None");
  EXPECT_EQ(run.out,
            "@PJL SET JOBATTR=\"@PBRE=LEFT\"\n"
            "@PJL SET JOBATTR=\"@MSDA=ROTSEFLAND\"\n"
            "@PJL SET JOBATTR=\"@PBTC=OFF\"\n"
            "@PJL SET JOBATTR=\"@PBBP=JISB5\"\n"
            "@PJL SET JOBATTR=\"@PBTP=JISB5\"\n"
            "@PJL SET JOBATTR=\"@PBCI=OFF\"\n");
}

TEST(PBindOutputTest, TrimAmountWithoutANumberBeforeItsUnitCutsNothing) {
  // "7" and "mm" have no number before a two-character unit: 0 mm, the full width stays.
  for (const char* amount : {"7", "mm", "10"}) {
    const BindRun run = Bind(std::string(kLeftA4) + "QMPBindTrimming=1EdgeCut "
                             "QMPBindCutPositionFore=" + amount);
    EXPECT_EQ(run.out,
              "@PJL SET JOBATTR=\"@PBRE=LEFT\"\n"
              "@PJL SET JOBATTR=\"@MSDA=ROTSEFLAND\"\n"
              "@PJL SET JOBATTR=\"@PBTC=FACE\"\n"
              "@PJL SET JOBATTR=\"@PBBP=A4\"\n"
              "@PJL SET JOBATTR=\"@PBTP=CUSTOM\"\n"
              "@PJL SET JOBATTR=\"@PBTW=2100\"\n"
              "@PJL SET JOBATTR=\"@PBTH=2970\"\n"
              "@PJL SET JOBATTR=\"@ISXO=0\"\n"
              "@PJL SET JOBATTR=\"@ISXT=0\"\n"
              "@PJL SET JOBATTR=\"@PBCI=OFF\"\n")
        << amount;
    EXPECT_EQ(run.err, std::string("DEBUG: Perfect binding: trim amount \"") + amount +
                           "\" has no number before its unit; trimming 0 mm there\n");
  }
}

TEST(PBindOutputTest, JobTextNeverBreaksAPjlLine) {
  // Quote, line feed and escape ("/"-encoded) in the edge and the trimming, which pass through.
  const BindRun run = Bind(
      "QMPBindPosition=/69/100/34/10/64/80/74/76/27/69 QMPBindTrimming=/70/34/13/10/43");
  EXPECT_EQ(run.out,
            "@PJL SET JOBATTR=\"@PBRE=Ed@PJLE\"\n"
            "@PJL SET JOBATTR=\"@MSDA=\"\n"
            "@PJL SET JOBATTR=\"@PBTC=F+\"\n"
            "@PJL SET JOBATTR=\"@PBTP=CUSTOM\"\n"
            "@PJL SET JOBATTR=\"@PBTW=0\"\n"
            "@PJL SET JOBATTR=\"@PBTH=0\"\n"
            "@PJL SET JOBATTR=\"@ISXO=0\"\n"
            "@PJL SET JOBATTR=\"@ISXT=0\"\n"
            "@PJL SET JOBATTR=\"@PBCI=OFF\"\n");
}

TEST(PBindOutputTest, LongValueIsCutByWholeCharactersAndKeepsItsLineEnd) {
  // 100 HIRAGANA LETTER A: 200 bytes of Shift-JIS (0x82 0xA0 each).  The line buffer leaves 73
  // bytes for the value, so 36 whole characters remain.
  std::string edge;
  for (int i = 0; i < 100; ++i) edge += "\xE3\x81\x82";
  const BindRun run = Bind("QMPBindPosition=" + edge + " QMPBindTrimming=None");
  const std::string first = run.out.substr(0, run.out.find('\n') + 1);
  std::string expected = "@PJL SET JOBATTR=\"@PBRE=";
  for (int i = 0; i < 36; ++i) expected += "\x82\xA0";
  expected += "\"\n";
  EXPECT_EQ(first, expected);
  EXPECT_EQ(first.size(), 98u);
}

}  // namespace
}  // namespace tf
