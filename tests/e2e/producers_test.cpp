// The watermark on the PostScript that real producers write, made at test time from documents the
// system has: CUPS's own filter chain for PDF (pdftopdf, then pdftops with Ghostscript's ps2write
// or with Poppler), pstops for PostScript (plain, N-up, and a page-procedure job), cairo's
// PostScript surface, groff and enscript, raw and through pstops as CUPS passes them on.
//
// For each: Ghostscript renders the watermarked job without error and with as many pages as the
// plain job; on every page (or only the first) the pixels the watermark changed lie inside the box
// its settings give; every page begins at the save level of the plain job.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/filter_runner.h"
#include "support/ghostscript.h"
#include "support/job_harness.h"

namespace tf::test {
namespace {

constexpr double kPageWidth = 595;
constexpr double kPageHeight = 842;
constexpr int kDpi = 36;
constexpr double kPixelsPerPoint = kDpi / 72.0;
constexpr int kAngle = 30;
// "WWWW" in 48-point Helvetica is about 181 points wide and 34 high.
constexpr double kBoxWidth = 181;
constexpr double kBoxHeight = 34;

const std::string kFilterDir = "/usr/lib/cups/filter";
const std::string kTestPage = "/usr/share/cups/data/default-testpage.pdf";
const std::string kManual = "/usr/share/doc/libtasn1-doc/libtasn1.pdf";

std::string WatermarkOptions(bool firstPageOnly) {
  const std::string p = "com.brantlowe.ticket.WMARK";
  return p + "TypeTicket=0 " + p + "NameTicket=Mark " + p + "TextTicket=(WWWW) " + p +
         "OnlyFirstTicket=" + (firstPageOnly ? "1 " : "0 ") + p + "FontTicket=Helvetica " + p +
         "FontSizeTicket=48 " + p + "ColorRTicket=0 " + p + "ColorGTicket=0 " + p +
         "ColorBTicket=1 " + p + "DensityTicket=100 " + p + "AngleTicket=" +
         std::to_string(kAngle) + " " + p + "OrientationTicket=1 " + p +
         "PaperWidthTicket=595 " + p + "PaperHeightTicket=842 " + p + "WidthTicket=181 " + p +
         "HeightTicket=34 " + p + "hOffsetTicket=0 " + p + "vOffsetTicket=0";
}

struct Producer {
  std::string name;
  std::vector<std::string> tools;  // programs and files it needs
  std::string command;             // shell command; $OUT is the PostScript it writes
  bool boxCheck = true;            // false where the page is placed on the sheet (N-up)
};

// A four-page PostScript document whose pages end with "showpage", as applications write it.
std::string PlainDocument() {
  std::string ps = "%!PS-Adobe-3.0\n%%Pages: 4\n%%BoundingBox: 0 0 595 842\n%%EndComments\n"
                   "%%BeginProlog\n/F { /Helvetica findfont 24 scalefont setfont } bind def\n"
                   "%%EndProlog\n";
  for (int page = 1; page <= 4; ++page) {
    const std::string n = std::to_string(page);
    ps += "%%Page: " + n + " " + n + "\nF 72 700 moveto (Page " + n + ") show\nshowpage\n";
  }
  return ps + "%%Trailer\n%%EOF\n";
}

std::vector<Producer> Producers(const std::string& dir) {
  // CUPS's filters run as CUPS runs them: job id, user, title, copies, options, file; PPD set.
  const std::string env = "env PPD=" + std::string(TF_SOURCE_DIR) + "/ppd/tf-color-utf8.ppd ";
  const std::string filter = env + kFilterDir + "/";
  const std::string pdf = filter + "pdftopdf 1 tux job 1 '' ";
  auto pdftops = [&](const std::string& input, const std::string& options) {
    return pdf + input + " > " + dir + "/pdf.tmp && " + filter + "pdftops 1 tux job 1 '" +
           options + "' " + dir + "/pdf.tmp > $OUT";
  };
  auto pstops = [&](const std::string& command, const std::string& options) {
    return command + " > " + dir + "/in.tmp && " + filter + "pstops 1 tux job 1 '" + options +
           "' " + dir + "/in.tmp > $OUT";
  };
  const std::string groff = "zcat /usr/share/man/man1/ls.1.gz | groff -man -Tps";
  const std::string cairo = "pdftocairo -ps " + kManual + " -";
  const std::string enscript =
      "enscript -q -p - " + std::string(TF_SOURCE_DIR) + "/README.md";
  const std::string plain = "cat " + dir + "/plain.ps";
  const std::string sample = "cat " + std::string(TF_SOURCE_DIR) + "/samples/sample-job.ps";
  const std::vector<std::string> chain = {kFilterDir + "/pdftopdf", kFilterDir + "/pdftops"};
  const std::vector<std::string> ps = {kFilterDir + "/pstops"};
  auto with = [](std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  return {
      {"ps2write_testpage", with(chain, {kTestPage}), pdftops(kTestPage, "")},
      {"ps2write_manual", with(chain, {kManual}), pdftops(kManual, "")},
      {"poppler_testpage", with(chain, {kTestPage}),
       pdftops(kTestPage, "pdftops-renderer=pdftops")},
      {"poppler_manual", with(chain, {kManual}), pdftops(kManual, "pdftops-renderer=pdftops")},
      {"pstops_plain", ps, pstops(plain, "")},
      {"pstops_plain_2up", ps, pstops(plain, "number-up=2"), false},
      {"pstops_page_procedures", ps, pstops(sample, "")},
      {"cairo", {"/usr/bin/pdftocairo", kManual}, cairo + " > $OUT"},
      {"cairo_pstops", with(ps, {"/usr/bin/pdftocairo", kManual}), pstops(cairo, "")},
      {"groff", {"/usr/bin/groff"}, groff + " > $OUT"},
      {"groff_pstops", with(ps, {"/usr/bin/groff"}), pstops(groff, "")},
      {"enscript_pstops", with(ps, {"/usr/bin/enscript"}), pstops(enscript, "")},
  };
}

// Every producer's PostScript, made once for all tests.
class ProducersTest : public ::testing::TestWithParam<std::string> {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<TempDir>();
    WriteFile(dir_->File("plain.ps"), PlainDocument());
  }
  static void TearDownTestSuite() { dir_.reset(); }

  // The producer's PostScript; empty with `*missing` set when a tool it needs is not installed.
  static std::string Produce(const std::string& name, bool* boxCheck, std::string* missing) {
    for (const Producer& producer : Producers(dir_->path())) {
      if (producer.name != name) continue;
      *boxCheck = producer.boxCheck;
      for (const std::string& tool : producer.tools) {
        if (!std::filesystem::exists(tool)) {
          *missing = tool;
          return "";
        }
      }
      const std::string out = dir_->File(name + ".ps");
      std::string command = producer.command;
      command.replace(command.find("$OUT"), 4, out);
      EXPECT_EQ(std::system(("(" + command + ") 2>" + dir_->File("producer.log")).c_str()), 0)
          << command << "\n" << ReadFile(dir_->File("producer.log")).value_or("");
      return ReadFile(out).value_or("");
    }
    ADD_FAILURE() << "no producer " << name;
    return "";
  }

  static std::unique_ptr<TempDir> dir_;
};
std::unique_ptr<TempDir> ProducersTest::dir_;

std::string Watermarked(const std::string& postscript, bool firstPageOnly) {
  FilterInvocation inv;
  inv.ppd = DataPath("utf8.ppd");
  inv.options = WatermarkOptions(firstPageOnly);
  inv.input = postscript;
  inv.timeoutSeconds = 120;
  const FilterRun run = RunFilterProgram(inv);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  return PostScriptOfStream(run.out);
}

struct PageMarks {
  long changed = 0;  // pixels the watermark changed
  long outside = 0;  // of those, outside the watermark's box
};

// The pixels of `marked` that differ from `plain`, and how many lie outside the rotated box whose
// start point the watermark's settings give (the box centre on the page centre).
PageMarks Compare(const Image& plain, const Image& marked) {
  const double a = kAngle * M_PI / 180;
  const double w = kBoxWidth / 2, h = kBoxHeight / 2;
  const double x0 = kPageWidth / 2 - (w * std::cos(a) - h * std::sin(a));
  const double y0 = kPageHeight / 2 - (w * std::sin(a) + h * std::cos(a));
  PageMarks marks;
  for (int py = 0; py < marked.height && py < plain.height; ++py) {
    for (int px = 0; px < marked.width && px < plain.width; ++px) {
      const unsigned char* p = plain.At(px, py);
      const unsigned char* m = marked.At(px, py);
      if (p[0] == m[0] && p[1] == m[1] && p[2] == m[2]) continue;
      ++marks.changed;
      const double x = (px + 0.5) / kPixelsPerPoint;
      const double y = plain.height / kPixelsPerPoint - (py + 0.5) / kPixelsPerPoint;
      const double u = (x - x0) * std::cos(a) + (y - y0) * std::sin(a);
      const double v = -(x - x0) * std::sin(a) + (y - y0) * std::cos(a);
      if (u < -6 || u > kBoxWidth + 6 || v < -8 || v > kBoxHeight + 6) ++marks.outside;
    }
  }
  return marks;
}

TEST_P(ProducersTest, WatermarkOnEveryPageInsideItsBoxAndNoSaveLeftOpen) {
  bool boxCheck = true;
  std::string missing;
  const std::string plain = Produce(GetParam(), &boxCheck, &missing);
  if (!missing.empty()) GTEST_SKIP() << missing << " is not installed";
  ASSERT_FALSE(plain.empty());

  const Render plainRender = RenderWithGhostscript(plain, "", kDpi);
  ASSERT_EQ(plainRender.exitStatus, 0) << plainRender.log;
  ASSERT_GE(plainRender.pages.size(), 1u);

  for (bool firstPageOnly : {false, true}) {
    SCOPED_TRACE(firstPageOnly ? "first page only" : "every page");
    const std::string marked = Watermarked(plain, firstPageOnly);
    ASSERT_NE(marked.find("(WWWW) show"), std::string::npos);
    const Render render = RenderWithGhostscript(marked, "", kDpi);
    EXPECT_EQ(render.exitStatus, 0) << render.log;
    EXPECT_EQ(render.log.find("Error"), std::string::npos) << render.log;
    ASSERT_EQ(render.pages.size(), plainRender.pages.size());
    for (std::size_t page = 0; page < render.pages.size(); ++page) {
      SCOPED_TRACE("page " + std::to_string(page + 1));
      const PageMarks marks = Compare(plainRender.pages[page], render.pages[page]);
      if (firstPageOnly && page > 0) {
        EXPECT_EQ(marks.changed, 0);
        continue;
      }
      EXPECT_GT(marks.changed, 150) << "no watermark";
      if (boxCheck) {
        EXPECT_EQ(marks.outside, 0) << "watermark pixels outside its box";
      }
    }
    const std::vector<int> levels = SaveLevelsAtPageStarts(marked);
    EXPECT_FALSE(levels.empty());
    EXPECT_EQ(levels, SaveLevelsAtPageStarts(plain));
  }
}

INSTANTIATE_TEST_SUITE_P(RealProducers, ProducersTest,
                         ::testing::Values("ps2write_testpage", "ps2write_manual",
                                           "poppler_testpage", "poppler_manual", "pstops_plain",
                                           "pstops_plain_2up", "pstops_page_procedures", "cairo",
                                           "cairo_pstops", "groff", "groff_pstops",
                                           "enscript_pstops"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace tf::test
