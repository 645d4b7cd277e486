// The PostScript the programs write is real PostScript: jobs with every insertion (the watermark on
// every page, separator pages, the image shift, the automatic fit) are stripped of their PJL and
// XML and rendered by Ghostscript.  No PostScript error may occur; the watermark must be drawn in
// its colour around the position the job's settings give; the finishing blocks must stay
// contained on an interpreter without the printer's procedures and, where a printer provides
// them, call them with the job's values.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/filter_runner.h"
#include "support/job_harness.h"
#include "support/ghostscript.h"
#include "support/stream_parts.h"

namespace tf::test {
namespace {

const std::string kPrefix = "com.brantlowe.ticket.";

constexpr double kPageWidth = 595;
constexpr double kPageHeight = 842;
constexpr int kDpi = 36;  // half a pixel per point
constexpr double kPixelsPerPoint = kDpi / 72.0;

// The text "WWWW" in 48-point Helvetica is about 181 points wide and 34 high (cap height): the
// watermark box is set to that, so the drawn text fills the box whose centre the filter puts on
// the page centre.
constexpr double kBoxWidth = 181;
constexpr double kBoxHeight = 34;

std::string WatermarkOptions(int angle) {
  std::string options;
  for (const std::string& setting :
       {std::string("WMARKTypeTicket=0"), std::string("WMARKNameTicket=Mark"),
        std::string("WMARKTextTicket=(WWWW)"), std::string("WMARKOnlyFirstTicket=0"),
        std::string("WMARKFontTicket=Helvetica"), std::string("WMARKFontSizeTicket=48"),
        std::string("WMARKColorRTicket=0"), std::string("WMARKColorGTicket=0"),
        std::string("WMARKColorBTicket=1"), std::string("WMARKDensityTicket=100"),
        "WMARKAngleTicket=" + std::to_string(angle), std::string("WMARKOrientationTicket=1"),
        std::string("WMARKPaperWidthTicket=595"), std::string("WMARKPaperHeightTicket=842"),
        std::string("WMARKWidthTicket=181"), std::string("WMARKHeightTicket=34")}) {
    options += kPrefix + setting + " ";
  }
  return options;
}

std::string FinishingOptions(bool fourUp) {
  std::string options = kPrefix + "SeparatorPageListTicket=0 " + kPrefix +
                        "SeparatorPageTicket='1 3' " + kPrefix + "BookletMarginSwitchTicket=1 " +
                        kPrefix + "BookletMarginMMShiftTicket=5 " + kPrefix +
                        "AutoFitSwitchTicket=1 ";
  if (fourUp) {
    options +=
        "com.apple.print.PrintSettings.PMLayoutRows..n.=2 "
        "com.apple.print.PrintSettings.PMLayoutColumns..n.=2 ";
  }
  return options;
}

// A three-page job in the form the insertion points expect, with black text on each page.
std::string ThreePageJob() {
  std::string ps =
      "%!PS-Adobe-3.0\n%%Pages: 3\n%%EndComments\n%%BeginProlog\n"
      "/bp{/pgsave save def}bind def\n/ep{pgsave restore showpage}bind def\n%%EndProlog\n"
      "%%BeginSetup\n<< /PageSize [595 842] >> setpagedevice\n"
      "userdict/setpagedevice{pop}bind put\n%%EndSetup\n";
  for (int page = 1; page <= 3; ++page) {
    const std::string n = std::to_string(page);
    ps += "%%Page: " + n + " " + n + "\n%%BeginPageSetup\n%%EndPageSetup\nbp\n" +
          "0 setgray /Helvetica 12 selectfont 72 72 moveto (page " + n + ") show\nep\n";
  }
  return ps + "%%Trailer\n%%EOF\n";
}

// The PostScript of the job's stream: without the XML ticket, the PJL header and the trailer.
std::string PostScriptOf(const std::string& ppd, const std::string& options) {
  FilterInvocation inv;
  inv.ppd = DataPath(ppd);
  inv.options = options;
  inv.input = ThreePageJob();
  TempDir tmp;
  inv.env["TMPDIR"] = tmp.path();
  const FilterRun run = RunFilterProgram(inv);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  const StreamParts parts = SplitStream(run.out);
  EXPECT_TRUE(parts.ok);
  return parts.postscript;
}

// Ghostscript ran the job to its end without a PostScript error and drew three A4 pages.
void ExpectCleanRender(const Render& render) {
  EXPECT_EQ(render.exitStatus, 0) << render.log;
  EXPECT_EQ(render.log.find("Error"), std::string::npos) << render.log;
  ASSERT_EQ(render.pages.size(), 3u) << render.log;
  for (const Image& page : render.pages) {
    EXPECT_EQ(page.width, static_cast<int>(std::lround(kPageWidth * kPixelsPerPoint)));
    EXPECT_EQ(page.height, static_cast<int>(std::lround(kPageHeight * kPixelsPerPoint)));
  }
}

bool IsWatermarkBlue(const unsigned char* p) { return p[2] > 150 && p[0] < 100 && p[1] < 100; }
bool IsInk(const unsigned char* p) { return p[0] < 250 || p[1] < 250 || p[2] < 250; }

// The watermark's start point as its settings give it: the centre of the box, rotated by the
// angle about the start point, on the page centre.
void StartPoint(int angle, double* x, double* y) {
  const double a = angle * M_PI / 180;
  const double w = kBoxWidth / 2, h = kBoxHeight / 2;
  *x = kPageWidth / 2 - (w * std::cos(a) - h * std::sin(a));
  *y = kPageHeight / 2 - (w * std::sin(a) + h * std::cos(a));
}

TEST(GhostscriptTest, WatermarkIsDrawnOnEveryPageAroundItsPosition) {
  for (int angle : {0, 45}) {
    SCOPED_TRACE("angle " + std::to_string(angle));
    const std::string postscript = PostScriptOf("utf8.ppd", WatermarkOptions(angle));
    ASSERT_NE(postscript.find("(WWWW) show"), std::string::npos);
    const Render render = RenderWithGhostscript(postscript);
    ExpectCleanRender(render);

    double x0 = 0, y0 = 0;
    StartPoint(angle, &x0, &y0);
    const double a = angle * M_PI / 180;
    for (const Image& page : render.pages) {
      long blue = 0, outside = 0;
      double sumX = 0, sumY = 0;
      for (int py = 0; py < page.height; ++py) {
        for (int px = 0; px < page.width; ++px) {
          if (!IsWatermarkBlue(page.At(px, py))) continue;
          // The pixel's centre in points, and in the watermark box's own coordinates.
          const double x = (px + 0.5) / kPixelsPerPoint;
          const double y = kPageHeight - (py + 0.5) / kPixelsPerPoint;
          const double u = (x - x0) * std::cos(a) + (y - y0) * std::sin(a);
          const double v = -(x - x0) * std::sin(a) + (y - y0) * std::cos(a);
          if (u < -6 || u > kBoxWidth + 6 || v < -6 || v > kBoxHeight + 6) ++outside;
          ++blue;
          sumX += x;
          sumY += y;
        }
      }
      ASSERT_GT(blue, 300) << "no watermark on the page";
      EXPECT_EQ(outside, 0) << "watermark pixels outside its box";
      EXPECT_NEAR(sumX / blue, kPageWidth / 2, 12);
      EXPECT_NEAR(sumY / blue, kPageHeight / 2, 12);
      // The page's own black text is still there, under the watermark.
      bool pageText = false;
      for (int py = page.height - 40; py < page.height - 30 && !pageText; ++py) {
        for (int px = 30; px < 80; ++px) pageText = pageText || IsInk(page.At(px, py));
      }
      EXPECT_TRUE(pageText);
    }
  }
}

// The same three pages as CUPS's pstops passes them on: no page procedures, each page closed by
// "showpage", and as a page-procedure job whose page save comes before "%%EndPageSetup".
std::string ThreeShowpagePages() {
  std::string ps =
      "%!PS-Adobe-3.0\n%%Pages: 3\n%%EndComments\n%%BeginProlog\n%%EndProlog\n"
      "%%BeginSetup\n<< /PageSize [595 842] >> setpagedevice\n%%EndSetup\n";
  for (int page = 1; page <= 3; ++page) {
    const std::string n = std::to_string(page);
    ps += "%%Page: " + n + " " + n + "\n%%BeginPageSetup\n%%EndPageSetup\n" +
          "0 setgray /Helvetica 12 selectfont 72 72 moveto (page " + n + ") show\nshowpage\n";
  }
  return ps + "%%Trailer\n%%EOF\n";
}
std::string ThreePagesSavedBeforePageSetupEnds() {
  std::string ps = ThreePageJob();
  for (std::size_t at = ps.find("%%EndPageSetup\nbp\n"); at != std::string::npos;
       at = ps.find("%%EndPageSetup\nbp\n", at)) {
    ps.replace(at, 18, "bp\n%%EndPageSetup\n");
  }
  return ps;
}

std::string PostScriptOfJob(const std::string& job, const std::string& options) {
  FilterInvocation inv;
  inv.ppd = DataPath("utf8.ppd");
  inv.options = options;
  inv.input = job;
  const FilterRun run = RunFilterProgram(inv);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  return SplitStream(run.out).postscript;
}

// On these jobs every page leaves the interpreter's save level as it found it: with the watermark
// on every page the job ends at the same save level as without it.
TEST(GhostscriptTest, WatermarkOnEveryPageKeepsTheSaveLevel) {
  const std::string report = "\n(save level ) print vmstatus pop pop ==\n";
  for (const std::string& job : {ThreeShowpagePages(), ThreePagesSavedBeforePageSetupEnds()}) {
    const std::string marked = PostScriptOfJob(job, WatermarkOptions(0));
    ASSERT_NE(marked.find("(WWWW) show"), std::string::npos);
    const Render with = RenderWithGhostscript(marked + report);
    const Render without = RenderWithGhostscript(PostScriptOfJob(job, "") + report);
    ExpectCleanRender(with);
    ExpectCleanRender(without);
    ASSERT_NE(without.log.find("save level "), std::string::npos);
    EXPECT_EQ(with.log, without.log);
    for (const Image& page : with.pages) {
      long blue = 0;
      for (int py = 0; py < page.height; ++py) {
        for (int px = 0; px < page.width; ++px) blue += IsWatermarkBlue(page.At(px, py)) ? 1 : 0;
      }
      EXPECT_GT(blue, 300);
    }
  }
}

// Shift-JIS watermark texts whose characters end in the byte 0x5C (表 95 5C, ソ 83 5C, 十 8F 5C;
// 示 8E A6) reach "show" whole, on a UTF-8 printer as on a Shift-JIS one: every string closes where
// it should and holds exactly the characters given.  A prelude makes "show" print, in
// hexadecimal, the bytes it is given before it draws them.
constexpr char kShowPrintsItsBytes[] =
    "/show { (show <) print dup { 256 add 16 3 string cvrs 1 2 getinterval print } forall "
    "(>\\n) print systemdict /show get exec } bind def\n";

TEST(GhostscriptTest, ShiftJisWatermarkTextReachesShowWhole) {
  struct Case {
    const char* text;
    const char* bytes;
  };
  const Case cases[] = {{"(表示)", "955C8EA6"},
                        {"(表)", "955C"},
                        {"表示", "955C8EA6"},
                        {"(ソ十)", "835C8F5C"}};
  for (const char* ppd : {"utf8.ppd", "bytemode.ppd"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.text) + " on " + ppd);
      std::string options = WatermarkOptions(0);
      const std::string wwww = "WMARKTextTicket=(WWWW)";
      options.replace(options.find(wwww), wwww.size(), std::string("WMARKTextTicket=") + c.text);
      const std::string postscript = PostScriptOf(ppd, options);
      const Render render = RenderWithGhostscript(postscript, kShowPrintsItsBytes);
      ExpectCleanRender(render);
      // Each page shows its own text ("page n"), then the watermark's string, and nothing else.
      std::string expected;
      for (const char* page : {"31", "32", "33"}) {
        expected += std::string("show <7061676520") + page + ">\n";
        expected += std::string("show <") + c.bytes + ">\n";
      }
      EXPECT_EQ(render.log, expected);
    }
  }
}

// The separator-page, image-shift and automatic-fit blocks call procedures that only the printer
// has (/Custom/ProcSet).  On an interpreter without them each block fails inside its "stopped"
// and the job goes on: no error reaches the job, every page is drawn.
TEST(GhostscriptTest, FinishingBlocksAreContainedWithoutThePrinterProcedures) {
  for (bool fourUp : {false, true}) {
    SCOPED_TRACE(fourUp ? "4-up" : "1-up");
    const std::string postscript =
        PostScriptOf("utf8.ppd", WatermarkOptions(0) + FinishingOptions(fourUp));
    ASSERT_NE(postscript.find("/setcoverseparator get exec"), std::string::npos);
    ASSERT_NE(postscript.find("/setsignatureimageshift get exec"), std::string::npos);
    ASSERT_NE(postscript.find("/setsignatureautoscale"), std::string::npos);
    ExpectCleanRender(RenderWithGhostscript(postscript));
  }
}

// What a printer provides: a /Custom procedure set.  Here each procedure prints the operands it
// receives, so the test sees that each block reaches it with the job's values and leaves the
// operand stack as it found it.
constexpr char kPrinterProcSet[] =
    "/Custom 3 dict begin\n"
    "/setcoverseparator { (separator pages ) print /SeparatorPages get == } bind def\n"
    "/setsignatureimageshift { (image shift ) print == } bind def\n"
    "/setsignatureautoscale { (automatic fit ) print == } bind def\n"
    "currentdict end /ProcSet defineresource pop\n";

TEST(GhostscriptTest, FinishingBlocksCallThePrinterProceduresWithTheJobsValues) {
  for (const char* ppd : {"utf8.ppd", "decomp-color.ppd"}) {
    for (bool fourUp : {false, true}) {
      SCOPED_TRACE(std::string(ppd) + (fourUp ? " 4-up" : " 1-up"));
      const std::string postscript = PostScriptOf(ppd, FinishingOptions(fourUp));
      const std::string counted = "count (stack before ) print ==\n" + postscript;
      const Render render =
          RenderWithGhostscript(counted + "count (stack after ) print ==\n", kPrinterProcSet);
      ExpectCleanRender(render);
      EXPECT_EQ(render.log,
                "stack before 0\n"
                "separator pages [1 3]\n"
                "image shift 5.0\n"
                "automatic fit true\n"
                "stack after 0\n");
    }
  }
}

// Everything together, in both stream modes: the watermark on every page with the finishing
// blocks, on an interpreter with and without the printer's procedures.
TEST(GhostscriptTest, EveryInsertionTogetherInBothModes) {
  for (const char* ppd : {"utf8.ppd", "decomp-color.ppd"}) {
    for (bool fourUp : {false, true}) {
      SCOPED_TRACE(std::string(ppd) + (fourUp ? " 4-up" : " 1-up"));
      const std::string postscript =
          PostScriptOf(ppd, WatermarkOptions(30) + FinishingOptions(fourUp));
      ExpectCleanRender(RenderWithGhostscript(postscript));
      const Render withProcSet = RenderWithGhostscript(postscript, kPrinterProcSet);
      ExpectCleanRender(withProcSet);
      EXPECT_NE(withProcSet.log.find("separator pages [1 3]\n"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace tf::test
