// The decomposition mode in one process: the feature table, the parsing of feature and parameter
// lines, the end of the PostScript, the temporary file and the replay.
#include "filter/decomp_mode.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "filter/envelope.h"
#include "engine/output_channel.h"
#include "support/filter_runner.h"
#include "support/job_harness.h"
#include "support/stream_parts.h"

namespace tf::test {
namespace {

std::string JobAttr(const std::string& setting) {
  return "@PJL SET JOBATTR=\"@" + setting + "\"\n";
}

TEST(FeatureTableTest, ColourDensityRowsFollowTheirRule) {
  const char* const colours[][2] = {{"Cyan", "C"}, {"Magenta", "M"}, {"Yellow", "Y"}, {"Black", "K"}};
  const char* const bands[][2] = {{"Low", "L"}, {"Mid", "M"}, {"High", "H"}};
  const char* const choices[] = {"-3", "-2", "-1", "0", "+1", "+2", "+3"};
  int rows = 0;
  for (const auto& colour : colours) {
    for (const auto& band : bands) {
      const std::string keyword = std::string("*QMColorDensity") + colour[0] + band[0];
      for (int value = 0; value < 7; ++value) {
        const char* pjl = GetThePJLCommandfromKeywordsandMarkedValue(keyword, choices[value]);
        ASSERT_NE(pjl, nullptr) << keyword << " " << choices[value];
        EXPECT_EQ(pjl, JobAttr(std::string("AJ") + colour[1] + band[1] + "=" +
                               std::to_string(value)));
        ++rows;
      }
    }
  }
  EXPECT_EQ(rows, 84);
  EXPECT_EQ(FeaturePPDKeyNameandMarkedValuetoPJLCommand.size(), 123u);
}

TEST(FeatureTableTest, IndividualRows) {
  struct Case {
    const char* keyword;
    const char* choice;
    std::string pjl;
  };
  const Case cases[] = {
      {"*QMSetTrapMode", "False", JobAttr("TRAP=OFF")},
      {"*QMSetTrapMode", "True", JobAttr("TRAP=ON")},
      {"*QMLetterHeadDuplexMode", "DupAuto", JobAttr("DDPM=AUTO")},
      {"*QMLetterHeadDuplexMode", "DupOn", JobAttr("DDPM=ON")},
      {"*QMGrayBalance", "True", JobAttr("GRGU=TEXTGRAPHICS")},
      {"*QMOutputMode", "HighSpeed", "@PJL SET BITSPERPIXEL=1\n"},
      {"*QMOutputMode", "Standard", "@PJL SET BITSPERPIXEL=8\n"},
      {"*QMBrightnes", "Bright5", JobAttr("PSBR=5")},
      {"*QMBrightnes", "Bright1", JobAttr("PSBR=1")},
      {"*QMBrightnes", "Normal", JobAttr("PSBR=0")},
      {"*QMBrightnes", "Dark5", JobAttr("PSBR=-5")},
      {"*QMBrightnes", "Dark1", JobAttr("PSBR=-1")},
      {"*QMRGBInputProfile", "AdobeRGB", JobAttr("RGBP=ADOBERGB")},
      {"*QMRGBBCorrection", "Lightest", JobAttr("RGBG=LIGHTEST")},
      {"*QMRGBBCorrection", "Darkest", JobAttr("RGBG=DARKEST")},
      {"*Smoothing", "True", "@PJL SET RET=ON\n"},
      {"*Smoothing", "False", "@PJL SET RET=OFF\n"},
      {"*QMTonerSaver", "Mode3", "@PJL SET ECONOMODE=MODE3\n"},
      {"*QMSaveBlankSheet", "True", JobAttr("SBKP=ON")},
      {"*QMMonochromePriority", "False", JobAttr("BSPM=OFF")},
  };
  for (const Case& c : cases) {
    const char* pjl = GetThePJLCommandfromKeywordsandMarkedValue(c.keyword, c.choice);
    ASSERT_NE(pjl, nullptr) << c.keyword << " " << c.choice;
    EXPECT_EQ(pjl, c.pjl) << c.keyword << " " << c.choice;
  }
}

TEST(FeatureTableTest, KeywordAndChoiceMatchExactlyWithTheAsterisk) {
  EXPECT_EQ(GetThePJLCommandfromKeywordsandMarkedValue("QMTonerSaver", "True"), nullptr);
  EXPECT_EQ(GetThePJLCommandfromKeywordsandMarkedValue("*QMTonerSaverX", "True"), nullptr);
  EXPECT_EQ(GetThePJLCommandfromKeywordsandMarkedValue("*QMTonerSave", "True"), nullptr);
  EXPECT_EQ(GetThePJLCommandfromKeywordsandMarkedValue("*QMTonerSaver", "true"), nullptr);
  EXPECT_EQ(GetThePJLCommandfromKeywordsandMarkedValue("*QMTonerSaver", "True "), nullptr);
  EXPECT_EQ(GetThePJLCommandfromKeywordsandMarkedValue("*QMOutputMode", "1200x1200"), nullptr);
  EXPECT_EQ(GetThePJLCommandfromKeywordsandMarkedValue("**QMTonerSaver", "True"), nullptr);
  EXPECT_EQ(GetThePJLCommandfromKeywordsandMarkedValue("", ""), nullptr);
}

TEST(GetSubStringTest, InclusiveRangesCutToTheText) {
  EXPECT_EQ(GetSubString("/TTRC 64", 1, 4), "TTRC");
  EXPECT_EQ(GetSubString("abc", 1, 1), "b");
  EXPECT_EQ(GetSubString("abc", 2, 1), "");
  EXPECT_EQ(GetSubString("abc", 0, 2), "abc");
  EXPECT_EQ(GetSubString("abc", 1, 99), "bc");
  EXPECT_EQ(GetSubString("abc", 3, 5), "");
}

// One run of the mode on `input` (from a file) with a temporary directory of its own.
struct DecompRun {
  StreamStatus status = StreamStatus::InputError;
  std::string out;           // standard output: the PJL, the switch and the PostScript
  bool temporaryLeft = true;  // a file remained in the temporary directory
};

class DecompModeTest : public ::testing::Test {
 protected:
  DecompRun Run(const std::string& input, const std::string& ppd = "decomp-color.ppd",
                const std::atomic<bool>* cancel = nullptr) {
    TempDir files, tmp;
    WriteFile(files.File("job.ps"), input);
    JobHarness h(FullProgram(), JobHarness::Args{}, ppd);
    h.ReadTickets();
    h.job().cancel = cancel;
    DecompRun run;
    const int fd = open(files.File("job.ps").c_str(), O_RDONLY | O_CLOEXEC);
    run.status = OutputPSStreamtoFileandInsertPJLforFeaturePDE(h.job(), fd, tmp.path());
    close(fd);
    run.out = h.Output();
    run.temporaryLeft = !std::filesystem::is_empty(tmp.path());
    return run;
  }
};

// The output of a completed run: the PJL, the switch, the PostScript.
std::string Completed(const std::string& pjl, const std::string& postscript) {
  return pjl + kEnterPostScript + postscript;
}

TEST_F(DecompModeTest, FeatureLinesAreSplitAtBlanksWithinTheirFirst99Bytes) {
  const std::string toner = "%%BeginFeature: *QMTonerSaver True";
  struct Case {
    std::string line;
    std::string pjl;
  };
  const Case cases[] = {
      {toner, "@PJL SET ECONOMODE=ON\n"},
      {"%%BeginFeature:   *QMTonerSaver   True  more words", "@PJL SET ECONOMODE=ON\n"},
      {"%%BeginFeature:*QMTonerSaver True", ""},         // the keyword is not a word of its own
      {"%%BeginFeature: *QMTonerSaver", ""},             // no choice
      {"%%BeginFeature:", ""},
      {"%%BeginFeature: *QMTonerSaver\tTrue", ""},       // only blanks separate words
      {"%%BeginFeatures: *QMTonerSaver True", ""},       // not a feature line
      {" %%BeginFeature: *QMTonerSaver True", ""},
      {"%%BeginFeature: *QMTonerSaver " + std::string(64, ' ') + "True", "@PJL SET ECONOMODE=ON\n"},
      // The choice crosses byte 99: only "Tr" is left of it.
      {"%%BeginFeature: *QMTonerSaver " + std::string(67, ' ') + "True", ""},
      {std::string("%%BeginFeature: *QMTonerSaver Tr\0ue", 35), ""},
  };
  for (const Case& c : cases) {
    const std::string input = c.line + "\n%%EndFeature\n";
    const DecompRun run = Run(input);
    EXPECT_EQ(run.status, StreamStatus::Completed);
    EXPECT_EQ(run.out, Completed(c.pjl, input + "\x04")) << c.line;
  }
}

TEST_F(DecompModeTest, TheLineEndedByTheLastByteIsNotLookedAt) {
  const std::string line = "%%BeginFeature: *QMTonerSaver True";
  EXPECT_EQ(Run(line + "\n").out, Completed("", line + "\n\x04"));
  EXPECT_EQ(Run(line).out, Completed("", line + "\x04"));
  EXPECT_EQ(Run(line + "\n\n").out, Completed("@PJL SET ECONOMODE=ON\n", line + "\n\n\x04"));
  EXPECT_EQ(Run(line + "\r\n").out, Completed("@PJL SET ECONOMODE=ON\n", line + "\r\n\x04"));
}

TEST_F(DecompModeTest, LongLinesAreLookedAtByTheirLastPiece) {
  // A line of 8065 bytes and a feature line is one line whose last piece is the feature line.
  const std::string input =
      std::string(8065, 'x') + "%%BeginFeature: *QMTonerSaver Mode1\n" + std::string(8064, 'y') +
      "%%BeginFeature: *QMTonerSaver Mode2\n%%EOF\n";
  EXPECT_EQ(Run(input).out, Completed("@PJL SET ECONOMODE=MODE1\n", input + "\x04"));
}

TEST_F(DecompModeTest, ResolutionCommandsOnceAtTheFirstKnownResolution) {
  const std::string input =
      "%%BeginFeature: *QMTonerSaver True\n"       // no resolution yet
      "%%BeginFeature: *QMOutputMode 1200x1200\n"  // the three lines, once
      "%%BeginFeature: *QMOutputMode 600x600\n"
      "%%BeginFeature: *QMOutputMode Standard\n"
      "%%EOF\n";
  EXPECT_EQ(Run(input).out, Completed("@PJL SET ECONOMODE=ON\n"
                                      "@PJL SET RESOLUTION=1200\n@PJL SET BITSPERPIXEL=1\n" +
                                          JobAttr("DRDM=RASTER") + "@PJL SET BITSPERPIXEL=8\n",
                                      input + "\x04"));
  const std::string six =
      "%%BeginFeature: *QMOutputMode 600x600\n%%BeginFeature: *QMOutputMode 1200x1200\n\n";
  EXPECT_EQ(Run(six).out, Completed("@PJL SET RESOLUTION=600\n@PJL SET BITSPERPIXEL=1\n" +
                                        JobAttr("DRDM=RASTER"),
                                    six + "\x04"));
  const std::string speed = "%%BeginFeature: *QMOutputMode HighSpeed\n\n";
  EXPECT_EQ(Run(speed).out, Completed("@PJL SET BITSPERPIXEL=1\n", speed + "\x04"));
}

TEST_F(DecompModeTest, HalftoneLinesOnlyForMonochromePrinters) {
  const std::string input =
      "%%BeginFeature: *QMHalftone Fineness\n%%BeginFeature: *QMHalftone Gradation\n"
      "%%BeginFeature: *QMHalftone Other\n\n";
  std::string expected;
  for (const char* value : {"64", "66"}) {
    for (const char* name : {"TTRC", "GTRC", "ITRC", "TSCR", "GSCR", "ISCR"}) {
      expected += JobAttr(std::string(name) + "=" + value);
    }
  }
  EXPECT_EQ(Run(input, "decomp-mono.ppd").out, Completed(expected, input + "\x04"));
  EXPECT_EQ(Run(input, "decomp-color.ppd").out, Completed("", input + "\x04"));
}

TEST_F(DecompModeTest, ParameterLines) {
  const std::string six = "/TSCR 1 /GSCR 1 /ISCR 1 /TTRC 2 /GTRC 2 /ITRC 2";
  struct Case {
    std::string line;
    std::string pjl;
  };
  const Case cases[] = {
      {six, JobAttr("TSCR=1") + JobAttr("GSCR=1") + JobAttr("ISCR=1") + JobAttr("TTRC=2") +
                JobAttr("GTRC=2") + JobAttr("ITRC=2")},
      {"<</TTRC=64/GTRC=66/ITRC=64/TSCR=64/GSCR=66/ISCR=64>>setpagedevice",
       JobAttr("TTRC=64") + JobAttr("GTRC=66") + JobAttr("ITRC=64") + JobAttr("TSCR=64") +
           JobAttr("GSCR=66") + JobAttr("ISCR=64")},
      {"/TCPR 1 /GCPR 0 /ICPR 2", JobAttr("TCPR=1") + JobAttr("GCPR=0") + JobAttr("ICPR=2")},
      // A family named in part gives nothing.
      {"/TSCR 1 /GSCR 1 /ISCR 1 /TTRC 2 /GTRC 2", ""},
      {"/TCPR 1 /GCPR 2", ""},
      // Three digits: a two-digit value, then a one-digit value named "PR 1".
      {"/TCPR 123 /GCPR 4 /ICPR 5",
       JobAttr("TCPR=12") + JobAttr("PR 1=3") + JobAttr("GCPR=4") + JobAttr("ICPR=5")},
      // A digit among the first five bytes has no whole name before it; at byte 5 it has.
      {"12 4 /TCPR 1 /GCPR 2 /ICPR 3", JobAttr("TCPR=1") + JobAttr("GCPR=2") + JobAttr("ICPR=3")},
      {"TCPR=5/GCPR 2 /ICPR 3", JobAttr("TCPR=5") + JobAttr("GCPR=2") + JobAttr("ICPR=3")},
      // A name that holds a quote or a control byte is never written into PJL.
      {"/TCPR 1 /GCPR 2 /ICPR 3 \"ab\"=7 x\x01yz 8",
       JobAttr("TCPR=1") + JobAttr("GCPR=2") + JobAttr("ICPR=3")},
  };
  for (const Case& c : cases) {
    const std::string input = c.line + "\n%%EOF\n";
    EXPECT_EQ(Run(input).out, Completed(c.pjl, input + "\x04")) << c.line;
  }
}

// The family marks ("TRC", "CPR") are looked for 16 bytes at a time: every position of the line
// counts, among many other 'R' bytes.
TEST_F(DecompModeTest, ParameterLinesAreFoundWhereverTheirNamesFall) {
  const std::string rendering = "/TCPR 1 /GCPR 2 /ICPR 3";
  const std::string screen = "/TSCR 1 /GSCR 1 /ISCR 1 /TTRC 2 /GTRC 2 /ITRC 2";
  const std::string renderingPjl = JobAttr("TCPR=1") + JobAttr("GCPR=2") + JobAttr("ICPR=3");
  const std::string screenPjl = JobAttr("TSCR=1") + JobAttr("GSCR=1") + JobAttr("ISCR=1") +
                                JobAttr("TTRC=2") + JobAttr("GTRC=2") + JobAttr("ITRC=2");
  for (std::size_t filler = 0; filler < 40; ++filler) {
    const std::string before(filler, 'R');
    for (const auto& [line, pjl] : {std::pair{before + rendering, renderingPjl},
                                    std::pair{before + screen, screenPjl},
                                    std::pair{rendering + " " + before, renderingPjl}}) {
      const std::string input = line + "\n%%EOF\n";
      EXPECT_EQ(Run(input).out, Completed(pjl, input + "\x04")) << line;
    }
  }
}

TEST_F(DecompModeTest, ParameterLinesUseTheirFirst100Digits) {
  std::string line = "/TCPR 1 /GCPR 2 /ICPR 3";
  for (int i = 0; i < 120; ++i) line += " /ABCD " + std::to_string(i % 10);
  const std::string input = line + "\n\n";
  std::string expected = JobAttr("TCPR=1") + JobAttr("GCPR=2") + JobAttr("ICPR=3");
  for (int i = 0; i < 97; ++i) expected += JobAttr("ABCD=" + std::to_string(i % 10));
  EXPECT_EQ(Run(input).out, Completed(expected, input + "\x04"));
}

TEST_F(DecompModeTest, FeatureLinesAreNotParameterLines) {
  const std::string input = "%%BeginFeature: *QMTonerSaver False /TCPR 1 /GCPR 2 /ICPR 3\n\n";
  EXPECT_EQ(Run(input).out, Completed("@PJL SET ECONOMODE=OFF\n", input + "\x04"));
}

TEST_F(DecompModeTest, ControlDEndsThePostScriptOnce) {
  EXPECT_EQ(Run("%!PS\n%%EOF\n").out, Completed("", "%!PS\n%%EOF\n\x04"));
  EXPECT_EQ(Run("%!PS\n%%EOF\n\x04").out, Completed("", "%!PS\n%%EOF\n\x04"));
  EXPECT_EQ(Run("%!PS\n\x04\n").out, Completed("", "%!PS\n\x04\n\x04"));
  EXPECT_EQ(Run("x").out, Completed("", "x\x04"));
  EXPECT_EQ(Run("\x04").out, Completed("", "\x04"));
  EXPECT_EQ(Run("").out, Completed("", ""));
}

TEST_F(DecompModeTest, TheTemporaryFileNeverOutlivesTheRun) {
  const DecompRun done = Run("%!PS\nbp\nep\n%%EOF\n");
  EXPECT_EQ(done.status, StreamStatus::Completed);
  EXPECT_FALSE(done.temporaryLeft);

  const std::atomic<bool> cancelled{true};
  const DecompRun cancel =
      Run("%%BeginFeature: *QMTonerSaver True\nbp\n(page) show\nep\nbp\nep\n", "decomp-color.ppd",
          &cancelled);
  EXPECT_EQ(cancel.status, StreamStatus::Cancelled);
  EXPECT_FALSE(cancel.temporaryLeft);
  // Cancelled in the first pass: the PJL met so far, no switch and no PostScript.
  EXPECT_EQ(cancel.out, "@PJL SET ECONOMODE=ON\n");
}

TEST_F(DecompModeTest, NoTemporaryFileNoPostScript) {
  TempDir files;
  WriteFile(files.File("job.ps"), "%!PS\n%%EOF\n");
  JobHarness h(FullProgram(), JobHarness::Args{}, "decomp-color.ppd");
  h.ReadTickets();
  const int fd = open(files.File("job.ps").c_str(), O_RDONLY | O_CLOEXEC);
  EXPECT_EQ(OutputPSStreamtoFileandInsertPJLforFeaturePDE(h.job(), fd, files.File("missing/dir")),
            StreamStatus::InputError);
  close(fd);
  EXPECT_EQ(h.Output(), "");
  EXPECT_NE(h.Log().find("ERROR: Unable to create a temporary file for the print data: "),
            std::string::npos);
}

}  // namespace
}  // namespace tf::test
