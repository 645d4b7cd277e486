// The decomposition mode through the built programs: the order of the PJL, the switch and the
// PostScript on standard output and in the job copy, one feature of each family, the halftone of
// monochrome printers, control-D, cancellation, the temporary file, and jobs side by side.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/filter_runner.h"
#include "support/job_harness.h"
#include "support/stream_parts.h"

namespace tf::test {
namespace {

std::string JobAttr(const std::string& setting) {
  return "@PJL SET JOBATTR=\"@" + setting + "\"\n";
}

const std::string kResolution1200 =
    "@PJL SET RESOLUTION=1200\n@PJL SET BITSPERPIXEL=1\n" + JobAttr("DRDM=RASTER");
const std::string kParameterLine = "/TSCR 1 /GSCR 1 /ISCR 1 /TTRC 2 /GTRC 2 /ITRC 2";
const std::string kParameterPjl = JobAttr("TSCR=1") + JobAttr("GSCR=1") + JobAttr("ISCR=1") +
                                  JobAttr("TTRC=2") + JobAttr("GTRC=2") + JobAttr("ITRC=2");

// A job whose PJL comes from three places: the resolution, a table row and a parameter line.
const std::string kJobStart = "%!PS-Adobe-3.0\n%%BeginProlog\n%%EndProlog\n%%BeginSetup\n";
const std::string kResolutionFeature = "%%BeginFeature: *QMOutputMode 1200x1200\n";
const std::string kResolutionBody = "<</HWResolution[1200 1200]>>setpagedevice\n%%EndFeature\n";
const std::string kTonerFeature = "%%BeginFeature: *QMTonerSaver Mode2\n";
const std::string kSetupEnd = "%%EndFeature\n%%EndSetup\n%%Page: 1 1\nbp\n";
const std::string kPageEnd = "(one) show\nep\n%%EOF\n";
const std::string kJob = kJobStart + kResolutionFeature + kResolutionBody + kTonerFeature +
                         kSetupEnd + kParameterLine + "\n" + kPageEnd;
const std::string kJobPjl = kResolution1200 + "@PJL SET ECONOMODE=MODE2\n" + kParameterPjl;

FilterInvocation Invocation(const std::string& input, const std::string& ppd,
                            const std::string& tmpdir) {
  FilterInvocation inv;
  inv.input = input;
  inv.ppd = DataPath(ppd);
  inv.env["TMPDIR"] = tmpdir;
  return inv;
}

// The header of `out` when `out` is that header followed by `tail`; std::nullopt otherwise.  The
// header is the envelope's (without the switch into PostScript), whatever modules write in it.
std::optional<std::string> HeaderBefore(const std::string& out, const std::string& tail) {
  if (out.size() < tail.size() || out.compare(out.size() - tail.size(), tail.size(), tail) != 0) {
    return std::nullopt;
  }
  std::string header = out.substr(0, out.size() - tail.size());
  if (header.rfind(kUel, 0) != 0 || header.find(kEnterPostScript) != std::string::npos ||
      header.find("%!PS") != std::string::npos) {
    return std::nullopt;
  }
  return header;
}

// Standard output of a completed job: header, PJL, switch, PostScript ended by control-D, trailer.
std::string CompletedTail(const std::string& pjl, const std::string& postscript) {
  return pjl + kEnterPostScript + postscript + kTrailer;
}

bool IsEmptyDirectory(const std::string& path) { return std::filesystem::is_empty(path); }

TEST(DecompModeE2eTest, PjlBeforeTheSwitchThenThePostScript) {
  for (const char* program : {"ticketfilter", "ticketfilter-basic"}) {
    TempDir tmp;
    FilterInvocation inv = Invocation(kJob, "decomp-color.ppd", tmp.path());
    inv.program = program;
    const FilterRun run = RunFilterProgram(inv);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(HeaderBefore(run.out, CompletedTail(kJobPjl, kJob + "\x04"))) << program;
    EXPECT_EQ(LinesStartingWith(run.err, "PAGE:"), "PAGE:1 1\n");
    EXPECT_TRUE(IsEmptyDirectory(tmp.path()));
  }
}

TEST(DecompModeE2eTest, InputFromAFileIsTheSameAsFromStandardInput) {
  TempDir tmp, files;
  WriteFile(files.File("job.ps"), kJob);
  FilterInvocation inv = Invocation("", "decomp-mono.ppd", tmp.path());
  inv.file = files.File("job.ps");
  const FilterRun fromFile = RunFilterProgram(inv);
  const FilterRun fromStdin = RunFilterProgram(Invocation(kJob, "decomp-mono.ppd", tmp.path()));
  ASSERT_EQ(fromFile.exitStatus, 0) << fromFile.err;
  EXPECT_EQ(fromFile.out, fromStdin.out);
  EXPECT_TRUE(HeaderBefore(fromFile.out, CompletedTail(kJobPjl, kJob + "\x04")));
}

// A job of some megabytes, read again from the print file for the replay, with a watermark that
// adds PostScript on every page, long lines, CR LF line ends and a last line without its end:
// the same bytes as from standard input, which is kept whole in the temporary file.
TEST(DecompModeE2eTest, LargePrintFileWithAWatermarkIsTheSameAsFromStandardInput) {
  std::string job = kJobStart + kResolutionFeature + kResolutionBody + "%%EndSetup\n";
  for (int page = 1; job.size() < (3u << 20); ++page) {
    job += "%%Page: " + std::to_string(page) + " " + std::to_string(page) + "\nbp\n";
    job += "%%BeginFeature: *QMTonerSaver " + std::string(page % 2 ? "True" : "False") + "\n";
    job += "%%EndPageSetup\r\n";
    for (int line = 0; line < 40; ++line) job += "72 " + std::to_string(line) + " m (text) s\n";
    if (page % 7 == 0) job += std::string(20000, 'A') + "\n";
    job += "ep\n";
  }
  job += "%%EOF";
  const std::string prefix = "com.brantlowe.ticket.";
  const std::string watermark = prefix + "WMARKNameTicket=Confidential " + prefix +
                                "WMARKTypeTicket=0 " + prefix + "WMARKOnlyFirstTicket=0 " +
                                prefix + "WMARKTextTicket=(Secret)";
  TempDir tmp, files;
  WriteFile(files.File("job.ps"), job);
  FilterInvocation fileInv = Invocation("", "decomp-color.ppd", tmp.path());
  fileInv.file = files.File("job.ps");
  fileInv.options = watermark;
  FilterInvocation stdinInv = Invocation(job, "decomp-color.ppd", tmp.path());
  stdinInv.options = watermark;
  const FilterRun fromFile = RunFilterProgram(fileInv);
  const FilterRun fromStdin = RunFilterProgram(stdinInv);
  ASSERT_EQ(fromFile.exitStatus, 0) << fromFile.err;
  ASSERT_EQ(fromStdin.exitStatus, 0) << fromStdin.err;
  EXPECT_GT(fromFile.out.size(), job.size());
  EXPECT_TRUE(fromFile.out == fromStdin.out);
  EXPECT_NE(fromFile.out.find("(Secret) show"), std::string::npos);
  EXPECT_EQ(fromFile.err, fromStdin.err);
  EXPECT_TRUE(IsEmptyDirectory(tmp.path()));
}

// The printer goes away while the print file is sent again: the job fails and ends at once, with
// no temporary file left, whether the reader was gone from the start or left in the middle.
TEST(DecompModeE2eTest, PrinterGoneDuringTheReplayFailsTheJob) {
  std::string job = kJobStart + kResolutionFeature + kResolutionBody + "%%EndSetup\n";
  while (job.size() < (8u << 20)) job += "bp\n" + std::string(3000, 'x') + "\nep\n";
  TempDir tmp, files;
  WriteFile(files.File("job.ps"), job);
  for (const bool atStart : {true, false}) {
    FilterInvocation inv = Invocation("", "decomp-color.ppd", tmp.path());
    inv.file = files.File("job.ps");
    if (atStart) {
      inv.closeStdoutAtStart = true;
    } else {
      inv.closeStdoutAfter = 1u << 20;
    }
    inv.timeoutSeconds = 20;
    const FilterRun run = RunFilterProgram(inv);
    EXPECT_EQ(run.exitStatus, 1) << atStart;
    EXPECT_EQ(run.signal, 0);
    EXPECT_TRUE(IsEmptyDirectory(tmp.path()));
  }
}

TEST(DecompModeE2eTest, OneFeatureOfEachFamily) {
  const std::vector<std::pair<std::string, std::string>> features = {
      {"*QMColorDensityYellowMid +2", JobAttr("AJYM=5")},
      {"*QMColorDensityCyanLow -3", JobAttr("AJCL=0")},
      {"*QMColorDensityBlackHigh +3", JobAttr("AJKH=6")},
      {"*QMBrightnes Dark2", JobAttr("PSBR=-2")},
      {"*QMTonerSaver True", "@PJL SET ECONOMODE=ON\n"},
      {"*QMSetTrapMode True", JobAttr("TRAP=ON")},
      {"*QMLetterHeadDuplexMode DupOff", JobAttr("DDPM=OFF")},
      {"*QMGrayBalance False", JobAttr("GRGU=OFF")},
      {"*QMRGBInputProfile SRGB", JobAttr("RGBP=SRGB")},
      {"*QMRGBBCorrection Light", JobAttr("RGBG=LIGHT")},
      {"*Smoothing False", "@PJL SET RET=OFF\n"},
      {"*QMSaveBlankSheet False", JobAttr("SBKP=OFF")},
      {"*QMMonochromePriority True", JobAttr("BSPM=ON")},
      {"*QMOutputMode HighSpeed", "@PJL SET BITSPERPIXEL=1\n"},
      {"*QMUnknownKeyword True", ""},
      {"*QMTonerSaver Mode9", ""},
  };
  std::string input = "%!PS\n", pjl;
  for (const auto& [feature, line] : features) {
    input += "%%BeginFeature: " + feature + "\n(body) pop\n%%EndFeature\n";
    pjl += line;
  }
  input += "%%EOF\n";
  TempDir tmp;
  const FilterRun run = RunFilterProgram(Invocation(input, "decomp-color.ppd", tmp.path()));
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_TRUE(HeaderBefore(run.out, CompletedTail(pjl, input + "\x04"))) << run.out;
}

TEST(DecompModeE2eTest, ResolutionLinesOnce) {
  const std::string input = "%!PS\n" + kResolutionFeature +
                            "%%BeginFeature: *QMOutputMode 600x600\n" + kResolutionFeature +
                            "%%EOF\n";
  TempDir tmp;
  const FilterRun run = RunFilterProgram(Invocation(input, "decomp-color.ppd", tmp.path()));
  EXPECT_TRUE(HeaderBefore(run.out, CompletedTail(kResolution1200, input + "\x04")));
}

TEST(DecompModeE2eTest, HalftoneLinesByTheColourOfThePrinter) {
  const std::string input = "%!PS\n%%BeginFeature: *QMHalftone Gradation\n%%EndFeature\n";
  const std::string gradation = JobAttr("TTRC=66") + JobAttr("GTRC=66") + JobAttr("ITRC=66") +
                                JobAttr("TSCR=66") + JobAttr("GSCR=66") + JobAttr("ISCR=66");
  TempDir tmp;
  const FilterRun mono = RunFilterProgram(Invocation(input, "decomp-mono.ppd", tmp.path()));
  EXPECT_TRUE(HeaderBefore(mono.out, CompletedTail(gradation, input + "\x04"))) << mono.out;
  const FilterRun color = RunFilterProgram(Invocation(input, "decomp-color.ppd", tmp.path()));
  EXPECT_TRUE(HeaderBefore(color.out, CompletedTail("", input + "\x04"))) << color.out;
}

TEST(DecompModeE2eTest, ControlDEndsThePostScriptOnce) {
  struct Case {
    std::string input, postscript;
  };
  const Case cases[] = {
      {"%!PS\n%%EOF\n", "%!PS\n%%EOF\n\x04"},
      {"%!PS\n%%EOF\n\x04", "%!PS\n%%EOF\n\x04"},
      {"%!PS\r\n%%EOF", "%!PS\r\n%%EOF\x04"},
      {"", ""},
  };
  for (const Case& c : cases) {
    TempDir tmp;
    const FilterRun run = RunFilterProgram(Invocation(c.input, "decomp-color.ppd", tmp.path()));
    ASSERT_EQ(run.exitStatus, 0);
    EXPECT_TRUE(HeaderBefore(run.out, CompletedTail("", c.postscript))) << run.out;
  }
}

TEST(DecompModeE2eTest, SigtermEndsTheJobWithTheTrailerAndLeavesNoTemporaryFile) {
  TempDir tmp;
  FilterInvocation inv = Invocation(
      "%!PS\n%%BeginFeature: *QMTonerSaver True\nbp\n(page 1) show\nep\n%%Page: 2 2\n",
      "decomp-color.ppd", tmp.path());
  inv.stdinStaysOpen = true;
  inv.sigtermAfterSeconds = 0.5;
  inv.inputAfterSignal = "bp\n(page 2) show\nep\nbp\nep\n%%EOF\n";
  const FilterRun run = RunFilterProgram(inv);
  EXPECT_EQ(run.exitStatus, 0);
  // Cancelled before the replay: the PJL met so far, no switch, no PostScript, the trailer.
  EXPECT_TRUE(HeaderBefore(run.out, "@PJL SET ECONOMODE=ON\n" + kTrailer)) << run.out;
  EXPECT_EQ(LinesStartingWith(run.err, "PAGE:"), "PAGE:1 1\n");
  EXPECT_TRUE(IsEmptyDirectory(tmp.path()));
}

TEST(DecompModeE2eTest, NoTemporaryFileFailsTheJob) {
  TempDir dir;
  WriteFile(dir.File("not-a-directory"), "");
  for (const std::string& tmpdir : {dir.File("missing"), dir.File("not-a-directory")}) {
    const FilterRun run = RunFilterProgram(Invocation(kJob, "decomp-color.ppd", tmpdir));
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find("ERROR: Unable to create a temporary file for the print data: "),
              std::string::npos)
        << run.err;
    // The header and the trailer, nothing of the PostScript.
    EXPECT_TRUE(HeaderBefore(run.out, kTrailer)) << run.out;
  }
}

TEST(DecompModeE2eTest, WithoutTmpdirTheJobRunsAndLeavesNoTemporaryFile) {
  // The temporary file then goes to the job-copy directory, <build>/test-root/jobs for the
  // -testpaths program.
  const std::string jobsDir = std::string(TF_TEST_ROOT) + "/jobs";
  std::filesystem::create_directories(jobsDir);
  FilterInvocation inv = Invocation(kJob, "decomp-color.ppd", "");
  inv.program = "ticketfilter-testpaths";
  const FilterRun run = RunFilterProgram(inv);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_TRUE(HeaderBefore(run.out, CompletedTail(kJobPjl, kJob + "\x04")));
  for (const auto& entry : std::filesystem::directory_iterator(jobsDir)) {
    EXPECT_NE(entry.path().filename().string().rfind("qmPPDPJL", 0), 0u) << entry.path();
  }
}

TEST(DecompModeE2eTest, UnreadableInputFailsTheJob) {
  TempDir tmp;
  FilterInvocation inv = Invocation("", "decomp-color.ppd", tmp.path());
  inv.file = "/nonexistent/job.ps";
  const FilterRun run = RunFilterProgram(inv);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("ERROR: Unable to open print file: No such file or directory\n"),
            std::string::npos);
  EXPECT_TRUE(HeaderBefore(run.out, kTrailer)) << run.out;
}

TEST(DecompModeE2eTest, JobsSideBySideKeepTheirOwnData) {
  constexpr int kJobs = 4;
  TempDir tmp;
  std::vector<std::string> inputs;
  for (int i = 0; i < kJobs; ++i) {
    const std::string filler(3 << 20, static_cast<char>('a' + i));
    inputs.push_back("%!PS\n%%BeginFeature: *QMBrightnes Bright" + std::to_string(i + 1) +
                     "\n" + filler + "\n(job " + std::to_string(i) + ") show\nep\n");
  }
  std::vector<FilterRun> runs(kJobs);
  std::vector<std::thread> threads;
  for (int i = 0; i < kJobs; ++i) {
    threads.emplace_back([&, i] {
      runs[static_cast<std::size_t>(i)] =
          RunFilterProgram(Invocation(inputs[static_cast<std::size_t>(i)], "decomp-color.ppd",
                                      tmp.path()));
    });
  }
  for (std::thread& t : threads) t.join();
  for (int i = 0; i < kJobs; ++i) {
    const FilterRun& run = runs[static_cast<std::size_t>(i)];
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(HeaderBefore(run.out,
                             CompletedTail(JobAttr("PSBR=" + std::to_string(i + 1)),
                                           inputs[static_cast<std::size_t>(i)] + "\x04")))
        << "job " << i;
  }
  EXPECT_TRUE(IsEmptyDirectory(tmp.path()));
}

// The job copy: the -testpaths program makes it in <build>/test-root/jobs while the flag exists.
class DecompJobCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(std::string(TF_TEST_ROOT) + "/flag");
    std::filesystem::create_directories(jobsDir_);
    WriteFile(std::string(TF_TEST_ROOT) + "/flag/qmjobcopy", "");
  }
  // Whether a job copy holds exactly `content`; it is removed once found.
  bool TakeCopyWith(const std::string& content) {
    for (const auto& entry : std::filesystem::directory_iterator(jobsDir_)) {
      auto data = ReadFile(entry.path().string());
      if (data && *data == content) {
        std::filesystem::remove(entry.path());
        return true;
      }
    }
    return false;
  }
  const std::string jobsDir_ = std::string(TF_TEST_ROOT) + "/jobs";
};

TEST_F(DecompJobCopyTest, CopyInterleavesPjlAndPostScriptInInputOrder) {
  TempDir tmp;
  FilterInvocation inv = Invocation(kJob, "decomp-mono.ppd", tmp.path());
  inv.program = "ticketfilter-testpaths";
  inv.title = "decomposition copy";
  const FilterRun run = RunFilterProgram(inv);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const auto header = HeaderBefore(run.out, CompletedTail(kJobPjl, kJob + "\x04"));
  ASSERT_TRUE(header) << run.out;
  const std::string copy = *header + kJobStart + kResolution1200 + kResolutionFeature +
                           kResolutionBody + "@PJL SET ECONOMODE=MODE2\n" + kTonerFeature +
                           kSetupEnd + kParameterPjl + kParameterLine + "\n" + kPageEnd + "\x04" +
                           kEnterPostScript + kTrailer;
  EXPECT_TRUE(TakeCopyWith(copy));
}

}  // namespace
}  // namespace tf::test
