// The watermark on PostScript whose pages end with "showpage" (what pstops passes on under CUPS):
// drawn before each page's closing "showpage", closing the page-start save of the same page.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/filter_runner.h"
#include "support/job_harness.h"
#include "support/stream_parts.h"

namespace tf::test {
namespace {

std::string WatermarkOptions(const std::string& onlyFirst) {
  const std::string p = "com.brantlowe.ticket.WMARK";
  return p + "NameTicket=Confidential " + p + "TypeTicket=0 " + p + "OnlyFirstTicket=" +
         onlyFirst + " " + p + "TextTicket=(Secret) " + p + "OrientationTicket=1 " + p +
         "PaperWidthTicket=595 " + p + "PaperHeightTicket=842 " + p + "WidthTicket=200 " + p +
         "HeightTicket=50 " + p + "AngleTicket=0 " + p + "hOffsetTicket=0 " + p +
         "vOffsetTicket=0 " + p + "FontTicket=Helvetica " + p + "FontSizeTicket=48 " + p +
         "ColorRTicket=1 " + p + "ColorGTicket=0 " + p + "ColorBTicket=0 " + p +
         "DensityTicket=50";
}

// Two pages as pstops writes them.
const std::string kPstopsJob =
    "%!PS-Adobe-3.0\n%%Pages: 2\n%%EndComments\n%%BeginProlog\n/F {} def\n%%EndProlog\n"
    "%%Page: 1 1\n%%BeginPageSetup\n%%EndPageSetup\nF (one) show\nshowpage\n"
    "%%Page: 2 2\n%%BeginPageSetup\n%%EndPageSetup\nF (two) show\nshowpage\n"
    "%%Trailer\n%%EOF\n";

const std::string kProcSet =
    "userdict/qmvInfo 2 dict dup begin\n/qmvpgsave 0 def\n/qmvbp{/qmvpgsave save store} bind def\n";

const std::string kBlock =
    "qmvpgsave restore gsave\n"
    "1.00 0.50 0.50 setrgbcolor\n"
    "/Helvetica 48 selectfont\n"
    "197.50 396.00 moveto\n"
    "0 rotate\n"
    "(Secret) show\n"
    "grestore\n";

std::string PostScriptOf(const std::string& input, const std::string& options,
                         const std::string& ppd = "plain.ppd") {
  FilterInvocation inv;
  inv.ppd = DataPath(ppd);
  inv.options = options;
  inv.input = input;
  const FilterRun run = RunFilterProgram(inv);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const StreamParts parts = SplitStream(run.out);
  EXPECT_TRUE(parts.ok);
  return parts.postscript;
}

TEST(WatermarkPageEndTest, DrawnBeforeEveryClosingShowpage) {
  EXPECT_EQ(PostScriptOf(kPstopsJob, WatermarkOptions("0")),
            "%!PS-Adobe-3.0\n%%Pages: 2\n%%EndComments\n%%BeginProlog\n" + kProcSet +
                "/F {} def\n%%EndProlog\n"
                "%%Page: 1 1\n%%BeginPageSetup\n%%EndPageSetup\nqmvbp\nF (one) show\n" + kBlock +
                "showpage\n"
                "%%Page: 2 2\n%%BeginPageSetup\n%%EndPageSetup\nqmvbp\nF (two) show\n" + kBlock +
                "showpage\n%%Trailer\n%%EOF\n\x04");
}

TEST(WatermarkPageEndTest, FirstPageOnlyOpensAndClosesOneSave) {
  EXPECT_EQ(PostScriptOf(kPstopsJob, WatermarkOptions("1")),
            "%!PS-Adobe-3.0\n%%Pages: 2\n%%EndComments\n%%BeginProlog\n" + kProcSet +
                "/F {} def\n%%EndProlog\n"
                "%%Page: 1 1\n%%BeginPageSetup\n%%EndPageSetup\nqmvbp\nF (one) show\n" + kBlock +
                "showpage\n"
                "%%Page: 2 2\n%%BeginPageSetup\n%%EndPageSetup\nF (two) show\nshowpage\n"
                "%%Trailer\n%%EOF\n\x04");
}

TEST(WatermarkPageEndTest, SameInTheDecompositionMode) {
  const std::string ps = PostScriptOf(kPstopsJob, WatermarkOptions("0"), "decomp-color.ppd");
  EXPECT_NE(ps.find("qmvbp\nF (one) show\n" + kBlock + "showpage\n"), std::string::npos);
  EXPECT_NE(ps.find("qmvbp\nF (two) show\n" + kBlock + "showpage\n"), std::string::npos);
}

TEST(WatermarkPageEndTest, OnlyAPageEndThatClosesAPageSetup) {
  // "showpage" in the prolog, a page without page setup, and an embedded document's own page end
  // get nothing; a job with "ep" lines draws at "ep" only.
  const std::string job =
      "%!PS\n%%BeginProlog\n/ep {\nshowpage\n} def\n%%EndProlog\n"
      "%%Page: 1 1\n(no setup) show\nshowpage\n"
      "%%Page: 2 2\n%%BeginPageSetup\n%%EndPageSetup\n%%BeginDocument: x.eps\nshowpage\n"
      "%%EndDocument\nshowpage\n%%EOF\n";
  const std::string ps = PostScriptOf(job, WatermarkOptions("0"));
  EXPECT_EQ(ps.find("/ep {\nshowpage\n"), ps.find("/ep {\n"));
  EXPECT_NE(ps.find("(no setup) show\nshowpage\n"), std::string::npos);
  EXPECT_NE(ps.find("%%BeginDocument: x.eps\nshowpage\n%%EndDocument\n" + kBlock + "showpage\n"),
            std::string::npos);
  std::size_t blocks = 0;
  for (std::size_t at = ps.find(kBlock); at != std::string::npos; at = ps.find(kBlock, at + 1)) {
    ++blocks;
  }
  EXPECT_EQ(blocks, 1u);

  const std::string withEp =
      "%!PS\n%%Page: 1 1\n%%EndPageSetup\n(a) show\nep\n%%Page: 2 2\n%%EndPageSetup\nshowpage\n";
  const std::string epPs = PostScriptOf(withEp, WatermarkOptions("0"));
  EXPECT_EQ(epPs.find("qmvpgsave restore"), std::string::npos);
  EXPECT_NE(epPs.find("pgsave restore /pgsave save store gsave"), std::string::npos);
}

}  // namespace
}  // namespace tf::test

namespace tf::test {
namespace {

// Renders `postscript` with Ghostscript and returns what it printed (the save level line).
std::string RunGhostscript(const std::string& postscript) {
  TempDir dir;
  WriteFile(dir.File("job.ps"), postscript +
                                    "\n(save level: ) print vmstatus pop pop == flush\n");
  const std::string command = "gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=nullpage " +
                              dir.File("job.ps") + " >" + dir.File("out") + " 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
  return ReadFile(dir.File("out")).value_or("");
}

TEST(WatermarkPageEndTest, LongJobLeavesTheSaveLevelAsItFoundIt) {
  // Thirty pages: a save left open per page would pass the save-level limit of strict
  // interpreters (15).  The watermarked job must end at the save level of the plain job.
  std::string job = "%!PS-Adobe-3.0\n%%BeginProlog\n/F {/Helvetica findfont 20 scalefont setfont} "
                    "def\n%%EndProlog\n";
  for (int page = 1; page <= 30; ++page) {
    const std::string n = std::to_string(page);
    job += "%%Page: " + n + " " + n + "\n%%BeginPageSetup\n%%EndPageSetup\nF 72 700 moveto (" + n +
           ") show\nshowpage\n";
  }
  job += "%%EOF\n";
  std::string watermarked = PostScriptOf(job, WatermarkOptions("0"));
  ASSERT_FALSE(watermarked.empty());
  watermarked.pop_back();  // control-D
  const std::string plain = RunGhostscript(job);
  ASSERT_NE(plain.find("save level: "), std::string::npos) << plain;
  EXPECT_EQ(RunGhostscript(watermarked), plain);
}

}  // namespace
}  // namespace tf::test
