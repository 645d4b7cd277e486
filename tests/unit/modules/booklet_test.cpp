// Booklet attributes in one job: only for UTF-8 printers; orientation by N-up and requested
// orientation; binding edge and division by signature and subset.
#include "modules/booklet/booklet.h"

#include <gtest/gtest.h>

#include <string>

#include "support/job_harness.h"

namespace tf {
namespace {

using test::BasicProgram;
using test::FullProgram;
using test::JobHarness;

std::string Booklet(const std::string& options, const std::string& ppd = "utf8.ppd",
                    const Program& program = FullProgram()) {
  JobHarness::Args args;
  args.options = options;
  JobHarness h(program, args, ppd);
  h.ReadTickets();
  OutputKPJLCommandforBooklet(h.job(), nullptr);
  return h.Output();
}

const std::string kPortrait = "@PJL SET JOBATTR=\"@DIND=PORTRAIT\"\n";
const std::string kLandscape = "@PJL SET JOBATTR=\"@DIND=LANDSCAPE\"\n";

TEST(BookletTest, OnlyPrintersWithTheUtf8LanguageGetTheLines) {
  for (const char* ppd : {"bytemode.ppd", "plain.ppd", "model-code.ppd"}) {
    EXPECT_EQ(Booklet("QMSignature=LeftSig", ppd), "") << ppd;
    EXPECT_EQ(Booklet("QMSignature=LeftSig", ppd, BasicProgram()), "") << ppd;
  }
  // The lines follow the printer, not the program.
  const std::string expected = kPortrait + "@PJL SET JOBATTR=\"@DIBB=LEFT\"\n" +
                               "@PJL SET JOBATTR=\"@DIBK=NONEDIVIDE\"\n";
  EXPECT_EQ(Booklet("QMSignature=LeftSig", "utf8.ppd"), expected);
  EXPECT_EQ(Booklet("QMSignature=LeftSig", "utf8-nocomment.ppd", BasicProgram()), expected);
}

TEST(BookletTest, OrientationByNUpAndRequestedOrientation) {
  // Columns: orientation 1 (also when absent), 3, 4, 5, 6; L is LANDSCAPE, P PORTRAIT.
  struct Case {
    const char* numberUp;  // nullptr: no N-up option (the N-up text is then "1")
    const char* words;
  };
  const Case cases[] = {
      {"2", "LPPPL"}, {"6", "LPPPL"}, {nullptr, "PPLLP"}, {"1", "PPLLP"},
      {"4", "PPLLP"}, {"16", "PPLLP"}, {"17", "PPLLP"}, {"abc", "PPLLP"},
      // A number-up below 1 leaves the N-up text empty, as a layout product below 1 does.
      {"0", "PPPPP"}, {"-2", "PPPPP"},
  };
  const char* orientations[5] = {"", "3", "4", "5", "6"};
  for (const Case& c : cases) {
    for (int i = 0; i < 5; ++i) {
      std::string options;
      if (c.numberUp != nullptr) options += std::string("number-up=") + c.numberUp + " ";
      if (orientations[i][0] != '\0') options += std::string("orientation-requested=") + orientations[i];
      EXPECT_EQ(Booklet(options), c.words[i] == 'L' ? kLandscape : kPortrait) << options;
    }
  }
}

TEST(BookletTest, EmptyNUpTextIsPortraitWhateverTheOrientation) {
  // A layout product of 0 leaves the N-up text empty.
  EXPECT_EQ(Booklet("com.apple.print.PrintSettings.PMLayoutRows..n.=0 "
                    "com.apple.print.PrintSettings.PMLayoutColumns..n.=2 orientation-requested=4"),
            kPortrait);
}

TEST(BookletTest, BindingEdgeAndDivisionBySignatureAndSubset) {
  struct Case {
    const char* options;
    std::string lines;  // after the DIND line
  };
  const std::string off = "@PJL SET JOBATTR=\"@DIBB=OFF\"\n@PJL SET JOBATTR=\"@DIBK=OFF\"\n";
  const std::string left = "@PJL SET JOBATTR=\"@DIBB=LEFT\"\n";
  const std::string right = "@PJL SET JOBATTR=\"@DIBB=RIGHT\"\n";
  const std::string none = "@PJL SET JOBATTR=\"@DIBK=NONEDIVIDE\"\n";
  const std::string manual = "@PJL SET JOBATTR=\"@DIBK=MANUALDIVIDE\"\n";
  const Case cases[] = {
      {"", ""},
      {"QMSigVol=5Sheets", ""},
      {"QMSignature=None QMSigVol=5Sheets", off},
      {"QMSignature=LeftSigFold", left + none},
      {"QMSignature=LeftSig QMSigVol=None", left + none},
      {"QMSignature=RightSigCenterStaple QMSigVol=10Sheets", right + manual},
      {"QMSignature=RightLeft", left + none},  // "Left" is tested first
      {"QMSignature=Fold QMSigVol=3", manual},  // neither word: no DIBB line
      {"QMSignature=leftsig", none},            // case-sensitive
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Booklet(c.options), kPortrait + c.lines) << c.options;
  }
}

}  // namespace
}  // namespace tf
