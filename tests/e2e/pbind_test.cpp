// Perfect binding through the built programs: the binder's lines for the worked trimming cases,
// the finished size, the adjustments with their sign rules and the cover, in their place in the
// job header.
#include <gtest/gtest.h>

#include <string>

#include "support/filter_runner.h"
#include "support/job_harness.h"
#include "support/stream_parts.h"

namespace tf::test {
namespace {

constexpr char kFirstLine[] = "@PJL SET JOBATTR=\"@PBRE=";
constexpr char kLastLine[] = "@PJL SET JOBATTR=\"@PBCI=OFF\"\n";

FilterRun RunBinding(const std::string& options, const std::string& program = "ticketfilter") {
  FilterInvocation inv;
  inv.program = program;
  inv.ppd = DataPath("utf8.ppd");
  inv.options = options;
  inv.input = "%!PS\n";
  return RunFilterProgram(inv);
}

// The perfect-binding lines of a job: from the binding-edge line to the closing cover line, which
// the job writes as one run of lines.  "none" when the job has no binding line.
std::string BindingLines(const std::string& out) {
  const std::size_t first = out.find(kFirstLine);
  const std::size_t last = out.find(kLastLine);
  if (first == std::string::npos && last == std::string::npos) return "none";
  if (first == std::string::npos || last == std::string::npos || last < first) return "broken";
  return out.substr(first, last + std::string(kLastLine).size() - first);
}

std::string Lines(std::initializer_list<const char*> attributes) {
  std::string lines;
  for (const char* attribute : attributes) {
    lines += std::string("@PJL SET JOBATTR=\"@") + attribute + "\"\n";
  }
  return lines;
}

TEST(PBindTest, NoBindingEdgeNoLines) {
  for (const char* options : {"QMPBindPageSize=A4 QMPBindTrimming=1EdgeCut",
                              "QMPBindPosition=None QMPBindPageSize=A4 QMPBindCoverPageSize=DL"}) {
    const FilterRun run = RunBinding(options);
    ASSERT_EQ(run.exitStatus, 0);
    EXPECT_EQ(BindingLines(run.out), "none") << options;
  }
}

TEST(PBindTest, LinesSitBetweenTheJobModeAndTheRenderMode) {
  const FilterRun run =
      RunBinding("QMPBindPosition=BindLeft QMPBindTrimming=None QMPBindPageSize=A4");
  const StreamParts parts = SplitStream(run.out);
  ASSERT_TRUE(parts.ok);
  const std::size_t jobMode = parts.header.find("@PJL JOB MODE=PRINTER\r\n");
  const std::size_t binding = parts.header.find(kFirstLine);
  const std::size_t render = parts.header.find("@PJL SET RENDERMODE=");
  ASSERT_NE(binding, std::string::npos);
  EXPECT_LT(jobMode, binding);
  EXPECT_LT(binding, render);
}

TEST(PBindTest, UntrimmedBookOnA4) {
  const FilterRun run =
      RunBinding("QMPBindPosition=BindLeft QMPBindTrimming=None QMPBindPageSize=A4 "
                 "QMPBindCutPositionFore=9mm QMPBindCutPageSize=A5");
  EXPECT_EQ(BindingLines(run.out), Lines({"PBRE=LEFT", "MSDA=ROTSEFLAND", "PBTC=OFF", "PBBP=A4",
                                          "PBTP=A4", "PBCI=OFF"}));
}

TEST(PBindTest, MinimumCutOnA4) {
  EXPECT_EQ(BindingLines(RunBinding("QMPBindPosition=BindLeft QMPBindTrimming=1EdgeCutMinimum "
                                    "QMPBindPageSize=A4 QMPBindCutPositionTop=20mm")
                             .out),
            Lines({"PBRE=LEFT", "MSDA=ROTSEFLAND", "PBTC=FACE", "PBBP=A4", "PBTP=CUSTOM",
                   "PBTW=2030", "PBTH=2970", "PBCI=OFF"}));
  EXPECT_EQ(BindingLines(RunBinding("QMPBindPosition=BindLeft QMPBindTrimming=3EdgeCutMinimum "
                                    "QMPBindPageSize=A4")
                             .out),
            Lines({"PBRE=LEFT", "MSDA=ROTSEFLAND", "PBTC=FULLBLEED", "PBBP=A4", "PBTP=CUSTOM",
                   "PBTW=2030", "PBTH=2830", "PBCI=OFF"}));
}

TEST(PBindTest, ForeEdgeCutShiftsTheImageAwayFromTheSpine) {
  // Bound on the right, the image moves right by half the cut: ISXO positive.
  EXPECT_EQ(BindingLines(RunBinding("QMPBindPosition=BindRight QMPBindTrimming=1EdgeCut "
                                    "QMPBindPageSize=A4 QMPBindCutPositionFore=10mm "
                                    "QMPBindCutPositionTop=5mm")
                             .out),
            Lines({"PBRE=RIGHT", "MSDA=ROTLEFPORT", "PBTC=FACE", "PBBP=A4", "PBTP=CUSTOM",
                   "PBTW=2000", "PBTH=2970", "ISXO=50", "ISXT=-50", "PBCI=OFF"}));
  // The same cut bound on the top edge.
  EXPECT_EQ(BindingLines(RunBinding("QMPBindPosition=BindTop QMPBindTrimming=3EdgeCut "
                                    "QMPBindPageSize=Letter QMPBindCutPositionFore=10mm "
                                    "QMPBindCutPositionTop=5mm")
                             .out),
            Lines({"PBRE=TOP", "MSDA=ROTSEFLAND", "PBTC=FULLBLEED", "PBBP=LETTER",
                   "PBTP=CUSTOM", "PBTW=2060", "PBTH=2690", "ISXO=-50", "ISXT=50",
                   "PBCI=OFF"}));
}

TEST(PBindTest, FinishedSizeA5OnA4) {
  EXPECT_EQ(BindingLines(RunBinding("QMPBindPosition=BindLeft QMPBindTrimming=3EdgeSpecifySize "
                                    "QMPBindPageSize=A4 QMPBindCutPageSize=A5 "
                                    "QMPBindCutPositionFore=10mm")
                             .out),
            Lines({"PBRE=LEFT", "MSDA=ROTSEFLAND", "PBTC=FULLBLEED", "PBBP=A4", "PBTP=A5",
                   "PBTW=1480", "PBTH=2100", "ISXO=-310", "ISXT=310", "PBCI=OFF"}));
  // Letter finished from Tabloid, bound on the right: (2790 - 2160) / 2 = 315.
  EXPECT_EQ(BindingLines(RunBinding("QMPBindPosition=BindRight QMPBindTrimming=1EdgeSpecifySize "
                                    "QMPBindPageSize=Tabloid QMPBindCutPageSize=Letter")
                             .out),
            Lines({"PBRE=RIGHT", "MSDA=ROTLEFPORT", "PBTC=FACE", "PBBP=LEDGER", "PBTP=LETTER",
                   "PBTW=2160", "PBTH=2790", "ISXO=315", "ISXT=-315", "PBCI=OFF"}));
}

TEST(PBindTest, TrimAmountsAloneDecideTheCutLines) {
  // Trimming absent: an empty PBTC, a custom finished size and the trims as given.
  EXPECT_EQ(BindingLines(RunBinding("QMPBindPosition=BindLeft QMPBindPageSize=A4 "
                                    "QMPBindCutPositionFore=5mm QMPBindCutPositionTop=3mm")
                             .out),
            Lines({"PBRE=LEFT", "MSDA=ROTSEFLAND", "PBTC=", "PBBP=A4", "PBTP=CUSTOM", "PBTW=2050",
                   "PBTH=2910", "ISXO=-25", "ISXT=25", "PBCI=OFF"}));
  // A fore trim alone: PBTW, then the full height.
  EXPECT_EQ(BindingLines(RunBinding("QMPBindPosition=BindLeft QMPBindPageSize=A4 "
                                    "QMPBindCutPositionFore=5mm")
                             .out),
            Lines({"PBRE=LEFT", "MSDA=ROTSEFLAND", "PBTC=", "PBBP=A4", "PBTP=CUSTOM", "PBTW=2050",
                   "PBTH=2970", "ISXO=-25", "ISXT=25", "PBCI=OFF"}));
  // A top trim alone: only PBTH, and no shift.
  EXPECT_EQ(BindingLines(RunBinding("QMPBindPosition=BindLeft QMPBindPageSize=A4 "
                                    "QMPBindCutPositionTop=3mm")
                             .out),
            Lines({"PBRE=LEFT", "MSDA=ROTSEFLAND", "PBTC=", "PBBP=A4", "PBTP=CUSTOM", "PBTH=2910",
                   "ISXO=0", "ISXT=0", "PBCI=OFF"}));
}

TEST(PBindTest, AdjustmentsInOrderWithTheirSignRules) {
  const std::string adjustments =
      " QMPBindTrimming=None QMPBindPageSize=A4 QMPBindCutPageAdjustmentFore=1 "
      "QMPBindCutPageAdjustmentTB=-2 QMPBindRotationAdjustTop=3 QMPBindRotationAdjustBot=4 "
      "QMPBindRotationAdjustFore=5 QMPBindCoverAdjustX=3 QMPBindCoverAdjustY=3 "
      "QMPBindCutPositionAdjustmentTB=6";
  EXPECT_EQ(BindingLines(RunBinding("QMPBindPosition=BindLeft" + adjustments).out),
            Lines({"PBRE=LEFT", "MSDA=ROTSEFLAND", "PBTC=OFF", "PBBP=A4", "PBTP=A4", "PBAW=1",
                   "PBAH=-2", "PBAT=3", "PBAB=4", "PBAF=5", "PBAX=3", "PBAY=-3", "PBAV=6",
                   "PBCI=OFF"}));
  // Bound on the right: top and bottom change places; fore, X and TB position change sign.
  EXPECT_EQ(BindingLines(RunBinding("QMPBindPosition=BindRight" + adjustments).out),
            Lines({"PBRE=RIGHT", "MSDA=ROTLEFPORT", "PBTC=OFF", "PBBP=A4", "PBTP=A4", "PBAW=1",
                   "PBAH=-2", "PBAB=3", "PBAT=4", "PBAF=-5", "PBAX=-3", "PBAY=3", "PBAV=-6",
                   "PBCI=OFF"}));
  EXPECT_EQ(BindingLines(RunBinding("QMPBindPosition=BindTop" + adjustments).out),
            Lines({"PBRE=TOP", "MSDA=ROTSEFLAND", "PBTC=OFF", "PBBP=A4", "PBTP=A4", "PBAW=1",
                   "PBAH=-2", "PBAT=3", "PBAB=4", "PBAF=5", "PBAX=3", "PBAY=-3", "PBAV=6",
                   "PBCI=OFF"}));
}

TEST(PBindTest, CoverLinesTranslated) {
  EXPECT_EQ(BindingLines(RunBinding("QMPBindPosition=BindLeft QMPBindTrimming=None "
                                    "QMPBindPageSize=A4 QMPBindCoverPageSize=DL "
                                    "QMPBindCoverMediaType=CoatingPaper1A "
                                    "QMPBindCoverMediaColor=Goldenrod "
                                    "QMPBindCoverPaperTray=PBindInserter")
                             .out),
            Lines({"PBRE=LEFT", "MSDA=ROTSEFLAND", "PBTC=OFF", "PBBP=A4", "PBTP=A4",
                   "PBCP=LEDGER", "PBCQ=COATEDPAPERA", "PBCC=GOLDENROD", "PBCT=INTRAY9",
                   "PBCI=OFF"}));
  // One table serves every field: a size name in the tray field is translated all the same.
  EXPECT_EQ(BindingLines(RunBinding("QMPBindPosition=BindLeft QMPBindTrimming=None "
                                    "QMPBindCoverPaperTray=A3")
                             .out),
            Lines({"PBRE=LEFT", "MSDA=ROTSEFLAND", "PBTC=OFF", "PBTP=", "PBCT=A3", "PBCI=OFF"}));
}

TEST(PBindTest, BasicProgramWritesTheSameLines) {
  const std::string options =
      "QMPBindPosition=BindRight QMPBindTrimming=3EdgeSpecifySize QMPBindPageSize=A4 "
      "QMPBindCutPageSize=A5 QMPBindCoverPageSize=DL QMPBindCoverAdjustX=3";
  const std::string full = BindingLines(RunBinding(options).out);
  EXPECT_EQ(full, Lines({"PBRE=RIGHT", "MSDA=ROTLEFPORT", "PBTC=FULLBLEED", "PBBP=A4",
                         "PBTP=A5", "PBTW=1480", "PBTH=2100", "ISXO=310", "ISXT=-310",
                         "PBAX=-3", "PBCP=LEDGER", "PBCI=OFF"}));
  EXPECT_EQ(BindingLines(RunBinding(options, "ticketfilter-basic").out), full);
}

TEST(PBindTest, InjectionThroughBindingValuesStaysInsideItsLine) {
  // Raw quote and a "/"-encoded line feed with a forged PJL command in the binding edge.
  const FilterRun run = RunBinding(
      "QMPBindPosition='Left\"' QMPBindTrimming=/78/10/64/80/74/76/32/69/79/74 "
      "QMPBindPageSize=A4 QMPBindCoverMediaColor=/87/104/105/116/101/27/69");
  ASSERT_EQ(run.exitStatus, 0);
  const std::string lines = BindingLines(run.out);
  EXPECT_EQ(lines.substr(0, lines.find("@PJL SET JOBATTR=\"@PBBP")),
            Lines({"PBRE=Left", "MSDA=", "PBTC=N@PJL EOJ"}));
  EXPECT_EQ(run.out.find("\n@PJL EOJ"), std::string::npos);
  EXPECT_EQ(run.out.find("PBCC"), std::string::npos);  // "White" + ESC is no binder colour
  EXPECT_EQ(LinesStartingWith(run.err, "ERROR:"), "");
}

}  // namespace
}  // namespace tf::test
