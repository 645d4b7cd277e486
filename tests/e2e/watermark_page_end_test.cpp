// The watermark on PostScript whose pages have no page procedures ("bp", "ep", "endp"): what
// pstops, Ghostscript's ps2write, Poppler and cairo write.  The first page setup defines the
// page-end procedures, every page setup arms them, a page closed by its own "showpage" line draws
// there, and any other page is drawn by EndPage.  No page opens a save, so the save level stays
// where it was, whatever the page embeds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/filter_runner.h"
#include "support/ghostscript.h"
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

const std::string kPageEndProcedures =
    "currentglobal true setglobal\n"
    "globaldict/qmvWM 8 dict put\n"
    "qmvWM begin\n"
    "/armed false def\n"
    "/installed false def\n"
    "/draw{qmvWM/armed get{qmvWM/armed false put gsave initgraphics\n"
    "1.00 0.50 0.50 setrgbcolor\n"
    "/Helvetica 48 selectfont\n"
    "197.50 396.00 moveto\n"
    "0 rotate\n"
    "(Secret) show\n"
    "grestore}if}bind def\n"
    "/sameM{true 0 1 5{3 index 1 index get 3 index 2 index get sub abs 0.0001 lt exch pop and}"
    "for 3 1 roll pop pop}bind def\n"
    "/page{qmvWM/installed get not{matrix currentmatrix matrix defaultmatrix qmvWM/sameM get exec{\n"
    "currentglobal false setglobal\n"
    "[/dup cvx 2/ne cvx{qmvWM/draw get exec}/if cvx currentpagedevice/EndPage get/exec cvx]cvx\n"
    "1 dict dup/EndPage 4 -1 roll put systemdict/setpagedevice get exec\n"
    "setglobal qmvWM/installed true put}if}if qmvWM/armed true put}bind def\n"
    "end\n"
    "globaldict/showpage{qmvWM/draw get exec systemdict/showpage get exec}bind put\n"
    "setglobal\n";
const std::string kArm = "qmvWM/page get exec\n";
const std::string kDraw = "qmvWM/draw get exec\n";

const std::string kBlockEp =
    "pgsave restore /pgsave save store gsave\n"
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

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(WatermarkPageEndTest, DrawnBeforeEveryClosingShowpage) {
  EXPECT_EQ(PostScriptOf(kPstopsJob, WatermarkOptions("0")),
            "%!PS-Adobe-3.0\n%%Pages: 2\n%%EndComments\n%%BeginProlog\n" + kProcSet +
                "/F {} def\n%%EndProlog\n"
                "%%Page: 1 1\n%%BeginPageSetup\n%%EndPageSetup\n" + kPageEndProcedures + kArm +
                "F (one) show\n" + kDraw + "showpage\n"
                "%%Page: 2 2\n%%BeginPageSetup\n%%EndPageSetup\n" + kArm + "F (two) show\n" +
                kDraw + "showpage\n%%Trailer\n%%EOF\n\x04");
}

TEST(WatermarkPageEndTest, FirstPageOnlyArmsTheFirstPage) {
  EXPECT_EQ(PostScriptOf(kPstopsJob, WatermarkOptions("1")),
            "%!PS-Adobe-3.0\n%%Pages: 2\n%%EndComments\n%%BeginProlog\n" + kProcSet +
                "/F {} def\n%%EndProlog\n"
                "%%Page: 1 1\n%%BeginPageSetup\n%%EndPageSetup\n" + kPageEndProcedures + kArm +
                "F (one) show\n" + kDraw + "showpage\n"
                "%%Page: 2 2\n%%BeginPageSetup\n%%EndPageSetup\nF (two) show\nshowpage\n"
                "%%Trailer\n%%EOF\n\x04");
}

TEST(WatermarkPageEndTest, SameInTheDecompositionMode) {
  const std::string ps = PostScriptOf(kPstopsJob, WatermarkOptions("0"), "decomp-color.ppd");
  EXPECT_NE(ps.find("%%EndPageSetup\n" + kPageEndProcedures + kArm + "F (one) show\n" + kDraw +
                    "showpage\n"),
            std::string::npos);
  EXPECT_NE(ps.find("%%EndPageSetup\n" + kArm + "F (two) show\n" + kDraw + "showpage\n"),
            std::string::npos);
}

TEST(WatermarkPageEndTest, OnlyAPageEndThatClosesAPageSetup) {
  // "showpage" in the prolog, a page without page setup, and an embedded document's own page end
  // get nothing.
  const std::string job =
      "%!PS\n%%BeginProlog\n/ep {\nshowpage\n} def\n%%EndProlog\n"
      "%%Page: 1 1\n(no setup) show\nshowpage\n"
      "%%Page: 2 2\n%%BeginPageSetup\n%%EndPageSetup\n%%BeginDocument: x.eps\nshowpage\n"
      "%%EndDocument\nshowpage\n%%EOF\n";
  const std::string ps = PostScriptOf(job, WatermarkOptions("0"));
  EXPECT_EQ(ps.find("/ep {\nshowpage\n"), ps.find("/ep {\n"));
  EXPECT_NE(ps.find("(no setup) show\nshowpage\n"), std::string::npos);
  EXPECT_NE(ps.find("%%BeginDocument: x.eps\nshowpage\n%%EndDocument\n" + kDraw + "showpage\n"),
            std::string::npos);
  EXPECT_EQ(Count(ps, kDraw), 1u);
  EXPECT_EQ(Count(ps, kArm), 1u);

  // A page that ends with "ep" draws there and disarms EndPage first; after the first "ep" no
  // "showpage" line draws, EndPage does.
  const std::string withEp =
      "%!PS\n%%Page: 1 1\n%%EndPageSetup\n(a) show\nep\n%%Page: 2 2\n%%EndPageSetup\nshowpage\n";
  const std::string epPs = PostScriptOf(withEp, WatermarkOptions("0"));
  EXPECT_NE(epPs.find(kArm + "(a) show\nqmvWM/armed false put\n" + kBlockEp + "ep\n"),
            std::string::npos)
      << epPs;
  EXPECT_NE(epPs.find("%%Page: 2 2\n%%EndPageSetup\n" + kArm + "showpage\n"), std::string::npos);
  EXPECT_EQ(epPs.find("qmvpgsave restore"), std::string::npos);
}

// A page that embeds a document with its own page setup has one page setup of its own: one
// insertion after its first "%%EndPageSetup", none inside the embedded document, one drawing.
TEST(WatermarkPageEndTest, AnEmbeddedPageSetupIsNotThePagesOwn) {
  const std::string embedded =
      "%%BeginDocument: inner.ps\n%%Page: 1 1\n%%BeginPageSetup\n%%EndPageSetup\n"
      "(inner) show\n%%EndDocument\n";
  const std::string showpageJob =
      "%!PS-Adobe-3.0\n%%BeginProlog\n%%EndProlog\n%%Page: 1 1\n%%BeginPageSetup\n"
      "%%EndPageSetup\n" + embedded + "showpage\n%%EOF\n";
  const std::string ps = PostScriptOf(showpageJob, WatermarkOptions("0"));
  EXPECT_EQ(Count(ps, kArm), 1u) << ps;
  EXPECT_EQ(Count(ps, kDraw), 1u) << ps;
  EXPECT_NE(ps.find(embedded + kDraw + "showpage\n"), std::string::npos) << ps;

  const std::string epJob =
      "%!PS-Adobe-3.0\n%%BeginProlog\n/bp{/pgsave save def}def\n/ep{pgsave restore showpage}def\n"
      "%%EndProlog\n%%Page: 1 1\nbp\n%%EndPageSetup\n" + embedded + "ep\n%%EOF\n";
  const std::string epPs = PostScriptOf(epJob, WatermarkOptions("0"));
  EXPECT_EQ(Count(epPs, "qmvbp\n"), 1u) << epPs;
  EXPECT_NE(epPs.find("%%EndPageSetup\nqmvbp\n%%BeginDocument"), std::string::npos) << epPs;
}

// Thirty pages in each page-end flow, half of them embedding a document with its own page setup:
// a save left open per page would pass the save-level limit of strict interpreters (15).  Every
// page must begin at the save level of the plain job.
TEST(WatermarkPageEndTest, LongJobsKeepTheSaveLevelInEveryFlow) {
  struct Flow {
    const char* name;
    std::string prolog, pageSetup, pageEnd;
  };
  const std::vector<Flow> flows = {
      {"showpage", "", "%%BeginPageSetup\n%%EndPageSetup\n", "showpage\n"},
      {"ep", "/bp{/pgsave save def}bind def\n/ep{pgsave restore showpage}bind def\n",
       "%%BeginPageSetup\nbp\n%%EndPageSetup\n", "ep\n"},
      {"ep after pstops' page setup",
       "/bp{/pgsave save def}bind def\n/ep{pgsave restore showpage}bind def\n",
       "%%BeginPageSetup\n%%EndPageSetup\nbp\n%%EndPageSetup\n", "ep\n"},
      {"page ended by a procedure", "/P{showpage}bind def\n",
       "%%BeginPageSetup\n%%EndPageSetup\n", "P\n"},
  };
  for (const Flow& flow : flows) {
    SCOPED_TRACE(flow.name);
    std::string job = "%!PS-Adobe-3.0\n%%BeginProlog\n/F {/Helvetica findfont 20 scalefont "
                      "setfont} def\n" + flow.prolog + "%%EndProlog\n";
    for (int page = 1; page <= 30; ++page) {
      const std::string n = std::to_string(page);
      job += "%%Page: " + n + " " + n + "\n" + flow.pageSetup + "F 72 700 moveto (" + n +
             ") show\n";
      if (page % 2 == 0) {
        job += "%%BeginDocument: inner.eps\n%%BeginPageSetup\n%%EndPageSetup\n(inner) show\n"
               "%%EndDocument\n";
      }
      job += flow.pageEnd;
    }
    job += "%%Trailer\n%%EOF\n";
    std::string watermarked = PostScriptOf(job, WatermarkOptions("0"));
    ASSERT_FALSE(watermarked.empty());
    watermarked.pop_back();  // control-D
    const std::vector<int> plain = SaveLevelsAtPageStarts(job);
    ASSERT_EQ(plain.size(), 32u);
    EXPECT_EQ(SaveLevelsAtPageStarts(watermarked), plain);
    const Render render = RenderWithGhostscript(watermarked, "", 18);
    EXPECT_EQ(render.exitStatus, 0) << render.log;
    ASSERT_EQ(render.pages.size(), 30u) << render.log;
    for (std::size_t page = 0; page < render.pages.size(); ++page) {
      const Image& image = render.pages[page];
      long red = 0;
      for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
          const unsigned char* p = image.At(x, y);
          red += (p[0] > 220 && p[1] > 90 && p[1] < 170 && p[2] > 90 && p[2] < 170) ? 1 : 0;
        }
      }
      EXPECT_GT(red, 20) << "no watermark on page " << page + 1;
    }
  }
}

}  // namespace
}  // namespace tf::test
