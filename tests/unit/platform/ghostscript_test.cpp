// PDF to PostScript through Ghostscript: a plain PDF converts into PostScript that Ghostscript
// renders again; an endless document, a huge one and a memory-hungry one are stopped within their
// bounds with a sentence that says why.  The documents are in tests/data/convert (made by its
// make-documents.py).  Each bounded run costs at most about one second of CPU.
#include "platform/ghostscript.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "support/filter_runner.h"

namespace tf {
namespace {

using namespace std::chrono_literals;

const std::string kDocuments = std::string(TF_TEST_DATA_DIR) + "/convert/";

bool HaveGhostscript() {
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const bool found = RunBoundedProcess({"gs", "--version"}, null, {}).Succeeded();
  ::close(null);
  return found;
}

class GhostscriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveGhostscript()) GTEST_SKIP() << "Ghostscript (gs) is not installed";
    outputPath_ = dir_.File("out.ps");
    output_ = ::open(outputPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(output_, 0);
  }
  void TearDown() override {
    if (output_ >= 0) ::close(output_);
  }
  ConversionResult Convert(const std::string& document, const GhostscriptLimits& limits,
                           const CancelCheck& cancelled = {}) {
    return ConvertPdfToPostScript(kDocuments + document, output_, {}, limits, cancelled);
  }

  test::TempDir dir_;
  std::string outputPath_;
  int output_ = -1;
};

TEST_F(GhostscriptTest, PlainPdfBecomesPostScriptThatRendersAgain) {
  GhostscriptLimits limits;
  limits.time = 20s;
  const ConversionResult result = Convert("two-pages.pdf", limits);
  ASSERT_TRUE(result.converted) << result.message << " / "
                                << LastStderrLine(result.process.stderrTail);
  EXPECT_TRUE(result.message.empty());
  const std::string postscript = test::ReadFile(outputPath_).value_or("");
  EXPECT_TRUE(postscript.starts_with("%!PS-Adobe-3.0")) << postscript.substr(0, 40);
  EXPECT_NE(postscript.find("\n%%Pages: 2\n"), std::string::npos);
  EXPECT_NE(postscript.find("\n%%Page: 2 2\n"), std::string::npos);

  // Ghostscript itself reads the PostScript back without an error.
  ProcessLimits renderLimits;
  renderLimits.time = 20s;
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const ProcessOutcome render = RunBoundedProcess(
      {"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=nullpage", outputPath_}, null,
      renderLimits);
  ::close(null);
  EXPECT_TRUE(render.Succeeded()) << LastStderrLine(render.stderrTail);
}

TEST_F(GhostscriptTest, EndlessDocumentIsStoppedAtTheTimeLimit) {
  GhostscriptLimits limits;
  limits.time = 800ms;
  const ConversionResult result = Convert("endless.ps", limits);
  EXPECT_FALSE(result.converted);
  EXPECT_EQ(result.process.end, ProcessEnd::TimedOut);
  EXPECT_EQ(result.message, "The PDF could not be converted within 0.8 s; the job was stopped.");
  EXPECT_LT(result.process.elapsed, 800ms + 1500ms);
}

TEST_F(GhostscriptTest, HugeDocumentIsStoppedAtTheTimeLimit) {
  GhostscriptLimits limits;
  limits.time = 1s;
  const ConversionResult result = Convert("huge.pdf", limits);
  EXPECT_FALSE(result.converted);
  EXPECT_EQ(result.process.end, ProcessEnd::TimedOut);
  EXPECT_EQ(result.message, "The PDF could not be converted within 1 s; the job was stopped.");
  EXPECT_LT(result.process.elapsed, 1s + 1500ms);
}

TEST_F(GhostscriptTest, HugeDocumentIsStoppedAtTheOutputLimitOfAFile) {
  GhostscriptLimits limits;
  limits.time = 60s;
  limits.outputBytes = std::uint64_t{1} << 20;
  const ConversionResult result = Convert("huge.pdf", limits);
  EXPECT_FALSE(result.converted);
  EXPECT_EQ(result.process.end, ProcessEnd::Signaled);
  EXPECT_EQ(result.message,
            "The PDF's PostScript would be larger than 1 MiB; the job was stopped.");
  EXPECT_LE(test::ReadFile(outputPath_).value_or("").size(), std::size_t{1} << 20);
}

TEST_F(GhostscriptTest, DocumentNeedingTooMuchMemoryIsStoppedAtTheMemoryLimit) {
  GhostscriptLimits limits;
  limits.time = 20s;
  limits.memoryBytes = std::uint64_t{160} << 20;
  const ConversionResult result = Convert("memory.ps", limits);
  EXPECT_FALSE(result.converted);
  EXPECT_EQ(result.message,
            "The PDF needs more than 160 MiB of memory to be converted; the job was stopped.")
      << LastStderrLine(result.process.stderrTail);
  EXPECT_LT(result.process.maxResidentKiB, 160 * 1024);
}

TEST_F(GhostscriptTest, CancelStopsTheConversion) {
  std::atomic<bool> cancel = false;
  std::thread canceller([&] {
    std::this_thread::sleep_for(300ms);
    cancel = true;
  });
  GhostscriptLimits limits;
  limits.time = 20s;
  const ConversionResult result = Convert("endless.ps", limits, [&] { return cancel.load(); });
  canceller.join();
  EXPECT_EQ(result.process.end, ProcessEnd::Cancelled);
  EXPECT_EQ(result.message, "The job was cancelled while its PDF was being converted.");
  EXPECT_LT(result.process.elapsed, 2s);
}

TEST_F(GhostscriptTest, MissingGhostscriptIsReported) {
  const ConversionResult result = ConvertPdfToPostScript(
      kDocuments + "two-pages.pdf", output_, {}, {}, {}, dir_.File("no-gs-here"));
  EXPECT_FALSE(result.converted);
  EXPECT_EQ(result.message, "Ghostscript could not be started: No such file or directory.");
}

TEST(GhostscriptArgumentsTest, SafeModeStandardOutputAndTheJobsColourAndLevel) {
  PdfToPostScriptOptions options;
  options.gray = true;
  options.languageLevel = 2;
  options.resolution = 600;
  const std::vector<std::string> expected = {
      "-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-dNOMEDIAATTRS", "-sstdout=%stderr",
      "-sDEVICE=ps2write", "-dShowAcroForm", "-sOUTPUTFILE=%stdout",
      "-sProcessColorModel=DeviceGray", "-sColorConversionStrategy=Gray", "-dLanguageLevel=2",
      "-r600", "-dCompressFonts=false", "-dNoT3CCITT", "-dNOINTERPOLATE", "-c", "save pop", "-f",
      "./-odd name.pdf"};
  EXPECT_EQ(PdfToPostScriptArguments("-odd name.pdf", options), expected);

  const std::vector<std::string> colour = PdfToPostScriptArguments("/spool/d1.pdf", {});
  EXPECT_EQ(colour.back(), "/spool/d1.pdf");
  EXPECT_EQ(std::count(colour.begin(), colour.end(), "-dLanguageLevel=3"), 1);
  EXPECT_EQ(std::count(colour.begin(), colour.end(), "-sColorConversionStrategy=Gray"), 0);
}

}  // namespace
}  // namespace tf
