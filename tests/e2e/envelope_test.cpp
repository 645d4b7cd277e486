// The job envelope through the built programs: its order, the comment-block choice by PPD, the
// render mode, the decomposition switch, both programs.
#include <gtest/gtest.h>

#include "support/filter_runner.h"
#include "support/job_harness.h"
#include "support/stream_parts.h"

namespace tf::test {
namespace {

FilterRun RunWith(const std::string& ppd, const std::string& program = "ticketfilter",
                  const std::string& options = "") {
  FilterInvocation inv;
  inv.program = program;
  inv.ppd = DataPath(ppd);
  inv.options = options;
  inv.input = "%!PS\n";
  return RunFilterProgram(inv);
}

std::string CommentVersion(const std::string& out) {
  const std::string prefix = "@PJL COMMENT QMJOBINFO VERSION=";
  const std::size_t at = out.find(prefix);
  if (at == std::string::npos) return "none";
  return out.substr(at + prefix.size(), 5);
}

// The stream without the client-host lines, which depend on the machine.
std::string WithoutHostLines(const std::string& out) {
  std::string result;
  std::size_t pos = 0;
  while (pos < out.size()) {
    std::size_t end = out.find('\n', pos);
    end = end == std::string::npos ? out.size() : end + 1;
    const std::string line = out.substr(pos, end - pos);
    if (line.rfind("@PJL SET JOBATTR=\"@CNAM=", 0) != 0 &&
        line.rfind("@PJL SET JOBATTR=\"@HOAD=", 0) != 0) {
      result += line;
    }
    pos = end;
  }
  return result;
}

TEST(EnvelopeTest, PlainPrinterHeaderAndTrailerInOrder) {
  const FilterRun run = RunWith("plain.ppd");
  ASSERT_EQ(run.exitStatus, 0);
  EXPECT_EQ(WithoutHostLines(run.out),
            "\x1b%-12345X@PJL JOB MODE=PRINTER\r\n"
            "@PJL SET JOBATTR=\"@LUNA=tux\"\n"
            "@PJL SET JOBATTR=\"@NLPP=1\"\n"
            "@PJL SET JOBATTR=\"@JOAU=tux\"\r\n"
            "@PJL SET RENDERMODE=GRAYSCALE\n"
            "@PJL ENTER LANGUAGE=POSTSCRIPT\n"
            "%!PS\n\x04"
            "\x1b%-12345X@PJL EOJ\n");
}

TEST(EnvelopeTest, Utf8PrinterGetsTheStringCodeSetRightAfterTheExitSequence) {
  const FilterRun run = RunWith("utf8-nocomment.ppd");
  EXPECT_EQ(run.out.rfind("\x1b%-12345X@PJL SET STRINGCODESET=UTF8\n@PJL JOB MODE=PRINTER\r\n", 0),
            0u);
  // ticketfilter-basic has no UTF-8 mode and never writes the line.
  const FilterRun basic = RunWith("utf8-nocomment.ppd", "ticketfilter-basic");
  EXPECT_EQ(basic.out.find("STRINGCODESET"), std::string::npos);
}

TEST(EnvelopeTest, CommentBlockChoiceByPpd) {
  struct Case {
    const char* ppd;
    const char* full;   // ticketfilter
    const char* basic;  // ticketfilter-basic
  };
  const Case cases[] = {
      {"plain.ppd", "none", "none"},                // neither encoding nor PCFileName code
      {"bytemode.ppd", "1.3.0", "1.3.0"},           // encoding other than UTF-8
      {"utf8.ppd", "1.5.0", "1.3.0"},               // UTF-8 with CommentOn True
      {"utf8-nocomment.ppd", "none", "none"},       // UTF-8 without CommentOn
      {"model-code.ppd", "1.3.0", "1.3.0"},         // product code in PCFileName
      {"comment-on.ppd", "1.5.0", "1.3.0"},         // no code, CommentOn True
      {"comment-lowercase.ppd", "none", "none"},    // "true" is not "True"
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CommentVersion(RunWith(c.ppd).out), c.full) << c.ppd;
    EXPECT_EQ(CommentVersion(RunWith(c.ppd, "ticketfilter-basic").out), c.basic) << c.ppd;
  }
}

TEST(EnvelopeTest, CommentBlockFramesItsLinesBeforeTheSwitch) {
  const StreamParts parts = SplitStream(RunWith("bytemode.ppd").out);
  ASSERT_TRUE(parts.ok);
  const std::size_t version = parts.header.find("@PJL COMMENT QMJOBINFO VERSION=1.3.0\n");
  const std::size_t end = parts.header.find("@PJL COMMENT QMJOBINFO END\n");
  const std::size_t render = parts.header.find("@PJL SET RENDERMODE=");
  ASSERT_NE(version, std::string::npos);
  ASSERT_NE(end, std::string::npos);
  EXPECT_LT(render, version);
  EXPECT_LT(version, end);
  EXPECT_EQ(parts.header.substr(end), "@PJL COMMENT QMJOBINFO END\n" + kEnterPostScript);
}

TEST(EnvelopeTest, RenderModeByColourTicketAndPpdOption) {
  // utf8.ppd defines QMColorMode; plain.ppd does not.
  EXPECT_NE(RunWith("utf8.ppd", "ticketfilter", "QMColorMode=Color")
                .out.find("@PJL SET RENDERMODE=COLOR\n"),
            std::string::npos);
  EXPECT_NE(RunWith("plain.ppd", "ticketfilter", "QMColorMode=Black")
                .out.find("@PJL SET RENDERMODE=GRAYSCALE\n"),
            std::string::npos);
  EXPECT_EQ(RunWith("utf8.ppd", "ticketfilter", "QMColorMode=Auto").out.find("RENDERMODE"),
            std::string::npos);
  EXPECT_NE(RunWith("plain.ppd", "ticketfilter", "QMColorMode=Auto")
                .out.find("@PJL SET RENDERMODE=GRAYSCALE\n"),
            std::string::npos);
}

TEST(EnvelopeTest, LineWeight) {
  struct Case {
    const char* value;
    const char* line;
  };
  const Case cases[] = {
      {"Normal", "@PJL SET JOBATTR=\"@LWAD=0\"\n"},
      {"Strongly2", "@PJL SET JOBATTR=\"@LWAD=-2\"\n"},
      {"Weakly1", "@PJL SET JOBATTR=\"@LWAD=1\"\n"},
      {"Medium3", ""},
      {"Strongly", ""},  // no digit: no line
  };
  for (const Case& c : cases) {
    const FilterRun run =
        RunWith("utf8.ppd", "ticketfilter", std::string("QMLineWeightAdjustment=") + c.value);
    EXPECT_EQ(LinesStartingWith(run.out, "@PJL SET JOBATTR=\"@LWAD"), c.line) << c.value;
  }
}

TEST(EnvelopeTest, DecompositionModeOnlyForTheExactValue) {
  for (const char* ppd : {"decomp-01.ppd", "plain.ppd"}) {
    EXPECT_NE(RunWith(ppd).out.find(kEnterPostScript), std::string::npos) << ppd;
  }
}

}  // namespace
}  // namespace tf::test
