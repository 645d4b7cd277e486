// The watermark through the built programs: the exact PostScript inserted into a job, its start
// point for the usual angles and orientations, every page against the first page only, and the
// same insertions in the decomposition mode.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/filter_runner.h"
#include "support/job_harness.h"
#include "support/stream_parts.h"

namespace tf::test {
namespace {

using Settings = std::vector<std::pair<std::string, std::string>>;

std::string Options(const Settings& settings, const std::string& prefix) {
  std::string options;
  for (const auto& [name, value] : settings) {
    options += prefix + "WMARK" + name + "Ticket=" + value + " ";
  }
  return options;
}

// A red "(Secret)" at density 50, A4 portrait, box 200 x 50, angle 0, every page.
Settings Base() {
  return {{"Name", "Confidential"}, {"Type", "0"},        {"OnlyFirst", "0"},
          {"Text", "(Secret)"},     {"Orientation", "1"}, {"PaperWidth", "595"},
          {"PaperHeight", "842"},   {"Width", "200"},     {"Height", "50"},
          {"Angle", "0"},           {"hOffset", "0"},     {"vOffset", "0"},
          {"Font", "Helvetica"},    {"FontSize", "48"},   {"ColorR", "1"},
          {"ColorG", "0"},          {"ColorB", "0"},      {"Density", "50"}};
}

Settings With(Settings settings, const std::string& name, const std::string& value) {
  for (auto& [n, v] : settings) {
    if (n == name) v = value;
  }
  return settings;
}

const std::string kPages =
    "%!PS-Adobe-3.0\n%%BeginProlog\n/bp {} def\n%%EndProlog\n"
    "%%Page: 1 1\nbp\n%%EndPageSetup\n(one) show\nep\n"
    "%%Page: 2 2\nbp\n%%EndPageSetup\n(two) show\nep\n"
    "%%Page: 3 3\nbp\n%%EndPageSetup\n(three) show\nep\n%%EOF\n";

const std::string kProcSet =
    "userdict/qmvInfo 2 dict dup begin\n/qmvpgsave 0 def\n/qmvbp{/qmvpgsave save store} bind def\n";

const std::string kBlockEp =
    "pgsave restore /pgsave save store gsave\n"
    "1.00 0.50 0.50 setrgbcolor\n"
    "/Helvetica 48 selectfont\n"
    "197.50 396.00 moveto\n"
    "0 rotate\n"
    "(Secret) show\n"
    "grestore\n";

struct Result {
  FilterRun run;
  StreamParts parts;
};

Result RunWatermarkJob(const Settings& settings, const std::string& input,
           const std::string& ppd = "plain.ppd", const std::string& program = "ticketfilter") {
  FilterInvocation inv;
  inv.program = program;
  inv.options = Options(settings, program == "ticketfilter-basic" ? "com.brantlowe.basicticket."
                                                                  : "com.brantlowe.ticket.");
  inv.ppd = DataPath(ppd);
  inv.input = input;
  TempDir tmp;
  inv.env["TMPDIR"] = tmp.path();
  Result result{RunFilterProgram(inv), {}};
  result.parts = SplitStream(result.run.out);
  return result;
}

TEST(WatermarkE2eTest, EveryPageGetsTheDrawingBlockBeforeEp) {
  for (const char* program : {"ticketfilter", "ticketfilter-basic"}) {
    const Result r = RunWatermarkJob(Base(), kPages, "plain.ppd", program);
    ASSERT_EQ(r.run.exitStatus, 0) << r.run.err;
    ASSERT_TRUE(r.parts.ok);
    EXPECT_EQ(r.parts.postscript,
              "%!PS-Adobe-3.0\n%%BeginProlog\n" + kProcSet + "/bp {} def\n%%EndProlog\n"
              "%%Page: 1 1\nbp\n%%EndPageSetup\nqmvbp\n(one) show\n" + kBlockEp + "ep\n"
              "%%Page: 2 2\nbp\n%%EndPageSetup\nqmvbp\n(two) show\n" + kBlockEp + "ep\n"
              "%%Page: 3 3\nbp\n%%EndPageSetup\nqmvbp\n(three) show\n" + kBlockEp + "ep\n"
              "%%EOF\n\x04")
        << program;
  }
}

TEST(WatermarkE2eTest, FirstPageOnly) {
  const Result r = RunWatermarkJob(With(Base(), "OnlyFirst", "1"), kPages);
  ASSERT_TRUE(r.parts.ok);
  EXPECT_EQ(r.parts.postscript,
            "%!PS-Adobe-3.0\n%%BeginProlog\n" + kProcSet + "/bp {} def\n%%EndProlog\n"
            "%%Page: 1 1\nbp\n%%EndPageSetup\nqmvbp\n(one) show\n" + kBlockEp + "ep\n"
            "%%Page: 2 2\nbp\n%%EndPageSetup\n(two) show\nep\n"
            "%%Page: 3 3\nbp\n%%EndPageSetup\n(three) show\nep\n%%EOF\n\x04");
}

TEST(WatermarkE2eTest, EndpPagesUseTheirOwnResetLine) {
  const Result r = RunWatermarkJob(Base(), "%!PS\nbp\nendp\nbp\nendp\n");
  ASSERT_TRUE(r.parts.ok);
  const std::string block =
      "pm restore /pm save store gsave\n"
      "1.00 0.50 0.50 setrgbcolor\n/Helvetica 48 selectfont\n197.50 396.00 moveto\n"
      "0 rotate\n(Secret) show\ngrestore\n";
  EXPECT_EQ(r.parts.postscript, "%!PS\nbp\n" + block + "endp\nbp\n" + block + "endp\n\x04");
}

TEST(WatermarkE2eTest, StartPointAndRotationForTheUsualAnglesAndOrientations) {
  struct Case {
    std::string orientation, angle, hOffset, vOffset;
    std::string moveto, rotate;
  };
  const Case cases[] = {
      {"1", "0", "0", "0", "197.50 396.00 moveto\n", "0 rotate\n"},
      {"2", "0", "0", "0", "321.00 272.50 moveto\n", "0 rotate\n"},
      {"1", "45", "0", "0", "244.47 332.61 moveto\n", "45 rotate\n"},
      {"1", "90", "0", "0", "322.50 321.00 moveto\n", "90 rotate\n"},
      {"1", "180", "0", "0", "397.50 446.00 moveto\n", "180 rotate\n"},
      {"1", "270", "0", "0", "272.50 521.00 moveto\n", "270 rotate\n"},
      {"1", "0", "10.5", "-20", "208.00 376.00 moveto\n", "0 rotate\n"},
      {"1", "400", "10", "20", "10.00 20.00 moveto\n", "400 rotate\n"},
      {"1", "-10", "0", "0", "0.00 0.00 moveto\n", "-10 rotate\n"},
  };
  for (const Case& c : cases) {
    Settings s = With(With(Base(), "Orientation", c.orientation), "Angle", c.angle);
    s = With(With(s, "hOffset", c.hOffset), "vOffset", c.vOffset);
    const Result r = RunWatermarkJob(s, "%!PS\nep\n");
    ASSERT_TRUE(r.parts.ok);
    EXPECT_EQ(r.parts.postscript,
              "%!PS\npgsave restore /pgsave save store gsave\n1.00 0.50 0.50 setrgbcolor\n"
              "/Helvetica 48 selectfont\n" + c.moveto + c.rotate + "(Secret) show\ngrestore\nep\n"
              "\x04")
        << "orientation " << c.orientation << " angle " << c.angle;
  }
}

TEST(WatermarkE2eTest, PlainWordsAndPercentSignsDraw) {
  Settings s = With(With(Base(), "Text", "'Top 100% (draft)'"), "Font", "'Gothic Medium'");
  const Result r = RunWatermarkJob(s, "ep\n");
  ASSERT_TRUE(r.parts.ok);
  EXPECT_EQ(r.parts.postscript,
            "pgsave restore /pgsave save store gsave\n1.00 0.50 0.50 setrgbcolor\n"
            "(Gothic Medium) cvn 48 selectfont\n197.50 396.00 moveto\n0 rotate\n"
            "(Top 100% \\(draft\\)) show\ngrestore\nep\n\x04");
}

TEST(WatermarkE2eTest, NoWatermarkWithoutTextTypeOrName) {
  for (const Settings& s : {With(Base(), "Type", "1"), With(Base(), "Name", "''")}) {
    const Result r = RunWatermarkJob(s, kPages);
    ASSERT_TRUE(r.parts.ok);
    EXPECT_EQ(r.parts.postscript, kPages + "\x04");
  }
}

TEST(WatermarkE2eTest, DecompositionModeCarriesTheSameInsertions) {
  const Result pass = RunWatermarkJob(Base(), kPages, "plain.ppd");
  const Result decomp = RunWatermarkJob(Base(), kPages, "decomp-color.ppd");
  ASSERT_TRUE(pass.parts.ok);
  ASSERT_TRUE(decomp.parts.ok);
  ASSERT_EQ(decomp.run.exitStatus, 0) << decomp.run.err;
  EXPECT_EQ(decomp.parts.postscript, pass.parts.postscript);
}

}  // namespace
}  // namespace tf::test
