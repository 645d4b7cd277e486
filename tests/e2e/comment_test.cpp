// The job-information comment block through the built programs: both versions, both programs,
// byte for byte, from the version line to the end line.
#include <gtest/gtest.h>

#include <string>

#include "support/filter_runner.h"
#include "support/job_harness.h"
#include "support/stream_parts.h"

namespace tf::test {
namespace {

FilterRun RunJob(const std::string& ppd, const std::string& program, const std::string& options,
                 const std::string& copies = "1", const std::string& title = "Test Job") {
  FilterInvocation inv;
  inv.program = program;
  inv.ppd = DataPath(ppd);
  inv.options = options;
  inv.copies = copies;
  inv.title = title;
  inv.input = "%!PS\n";
  return RunFilterProgram(inv);
}

// The comment block of a run: from the version line through the end line; "" when there is none.
std::string CommentBlock(const FilterRun& run) {
  const StreamParts parts = SplitStream(run.out);
  const std::size_t begin = parts.header.find("@PJL COMMENT QMJOBINFO VERSION=");
  const std::string endLine = "@PJL COMMENT QMJOBINFO END\n";
  const std::size_t end = parts.header.find(endLine);
  if (!parts.ok || begin == std::string::npos || end == std::string::npos) return "";
  return parts.header.substr(begin, end + endLine.size() - begin);
}

// A collated job of 2 copies, two-sided long edge, colour, 4-up in layout direction 1, portrait,
// stapled top left, no punch, no booklet.
const std::string kWorkedExample =
    "collate com.apple.print.PrintSettings.PMCopies..n.=2 sides=two-sided-long-edge "
    "QMColorMode=Color number-up=4 com.apple.print.PrintSettings.PMLayoutDirection..n.=1 "
    "QMStaple=UpperLeftSingle QMPunch=None QMSignature=None";

const std::string kWorkedBasicLines =
    "@PJL COMMENT QMJOBINFO BEGIN\n"
    "@PJL COMMENT QMJOBINFO PDLTYPE=PDL[POSTSCRIPT]:VERSION[3]\n"
    "@PJL COMMENT QMJOBINFO JOBTYPE=PRINT\n"
    "@PJL COMMENT QMJOBINFO JOBCOPIES=2\n"
    "@PJL COMMENT QMJOBINFO PAGECOPIES=1\n"
    "@PJL COMMENT QMJOBINFO DUPLEXTYPE=DUPLEX\n"
    "@PJL COMMENT QMJOBINFO COLORMODE=COLOR\n"
    "@PJL COMMENT QMJOBINFO NUP=4\n"
    "@PJL COMMENT QMJOBINFO STAPLE=ON\n"
    "@PJL COMMENT QMJOBINFO PUNCH=OFF\n"
    "@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[NOBOOKLET]\n";

TEST(CommentBlockTest, WorkedExampleVersion150) {
  for (const char* ppd : {"utf8.ppd", "comment-on.ppd"}) {
    EXPECT_EQ(CommentBlock(RunJob(ppd, "ticketfilter", kWorkedExample)),
              "@PJL COMMENT QMJOBINFO VERSION=1.5.0\n" + kWorkedBasicLines +
                  "@PJL COMMENT QMJOBINFO ORIENTATION=PORTRAIT\n"
                  "@PJL COMMENT QMJOBINFO NUPEX=RIGHTTHENDOWN\n"
                  "@PJL COMMENT QMJOBINFO SADDLESTAPLE=OFF\n"
                  "@PJL COMMENT QMJOBINFO STAPLEEX=TOPLEFT\n"
                  "@PJL COMMENT QMJOBINFO MIXEDSIZETYPE=NONE\n"
                  "@PJL COMMENT QMJOBINFO CUD=OFF\n"
                  "@PJL COMMENT QMJOBINFO END\n")
        << ppd;
  }
}

TEST(CommentBlockTest, WorkedExampleVersion130) {
  const std::string expected = "@PJL COMMENT QMJOBINFO VERSION=1.3.0\n" + kWorkedBasicLines +
                               "@PJL COMMENT QMJOBINFO END\n";
  // ticketfilter-basic writes the basic block wherever a block is written; ticketfilter writes it
  // for a printer language other than UTF-8 and for the listed product codes.
  struct Case {
    const char* ppd;
    const char* program;
  };
  const Case cases[] = {
      {"utf8.ppd", "ticketfilter-basic"},
      {"comment-on.ppd", "ticketfilter-basic"},
      {"bytemode.ppd", "ticketfilter-basic"},
      {"bytemode.ppd", "ticketfilter"},
      {"model-code.ppd", "ticketfilter"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CommentBlock(RunJob(c.ppd, c.program, kWorkedExample)), expected)
        << c.ppd << " " << c.program;
  }
}

TEST(CommentBlockTest, BookletJobWithPunchAndLandscape) {
  // Uncollated copies from the spooler's copies argument, a divided left booklet with saddle
  // stitch, 2-up right to left, landscape, punched left with two holes, black and white.
  const std::string options =
      "nocollate QMColorMode=Black number-up=2 "
      "com.apple.print.PrintSettings.PMLayoutDirection..n.=3 orientation-requested=4 "
      "QMSignature=LeftSigCenterStaple QMSigVol=10Sheets QMStaple=SaddleStaple QMPunch=Left "
      "QMNumPunchHoles=2Holes";
  EXPECT_EQ(CommentBlock(RunJob("utf8.ppd", "ticketfilter", options, "3")),
            "@PJL COMMENT QMJOBINFO VERSION=1.5.0\n"
            "@PJL COMMENT QMJOBINFO BEGIN\n"
            "@PJL COMMENT QMJOBINFO PDLTYPE=PDL[POSTSCRIPT]:VERSION[3]\n"
            "@PJL COMMENT QMJOBINFO JOBTYPE=PRINT\n"
            "@PJL COMMENT QMJOBINFO PAGECOPIES=3\n"
            "@PJL COMMENT QMJOBINFO JOBCOPIES=1\n"
            "@PJL COMMENT QMJOBINFO DUPLEXTYPE=TUMBLE\n"
            "@PJL COMMENT QMJOBINFO COLORMODE=GRAYSCALE\n"
            "@PJL COMMENT QMJOBINFO NUP=2\n"
            "@PJL COMMENT QMJOBINFO STAPLE=OFF\n"
            "@PJL COMMENT QMJOBINFO PUNCH=ON\n"
            "@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[MANUALDIVIDE]:THRESHOLD[10]\n"
            "@PJL COMMENT QMJOBINFO ORIENTATION=LANDSCAPE\n"
            "@PJL COMMENT QMJOBINFO NUPEX=LEFTTOUP\n"
            "@PJL COMMENT QMJOBINFO SADDLESTAPLE=ON\n"
            "@PJL COMMENT QMJOBINFO PUNCHEX=HOLES[TWO]:LOCATION[LEFT]\n"
            "@PJL COMMENT QMJOBINFO MIXEDSIZETYPE=NONE\n"
            "@PJL COMMENT QMJOBINFO CUD=OFF\n"
            "@PJL COMMENT QMJOBINFO END\n");
}

TEST(CommentBlockTest, PlainJobOnAPrinterWithBookletOptions) {
  // The printer's default booklet choice "None" stands for the absent ticket; the layout gives the
  // N-up.
  EXPECT_EQ(CommentBlock(RunJob("utf8-booklet.ppd", "ticketfilter",
                                "com.apple.print.PrintSettings.PMLayoutRows..n.=3 "
                                "com.apple.print.PrintSettings.PMLayoutColumns..n.=3")),
            "@PJL COMMENT QMJOBINFO VERSION=1.5.0\n"
            "@PJL COMMENT QMJOBINFO BEGIN\n"
            "@PJL COMMENT QMJOBINFO PDLTYPE=PDL[POSTSCRIPT]:VERSION[3]\n"
            "@PJL COMMENT QMJOBINFO JOBTYPE=PRINT\n"
            "@PJL COMMENT QMJOBINFO DUPLEXTYPE=SIMPLEX\n"
            "@PJL COMMENT QMJOBINFO COLORMODE=GRAYSCALE\n"
            "@PJL COMMENT QMJOBINFO NUP=9\n"
            "@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[NOBOOKLET]\n"
            "@PJL COMMENT QMJOBINFO ORIENTATION=PORTRAIT\n"
            "@PJL COMMENT QMJOBINFO NUPEX=RIGHTTHENDOWN\n"
            "@PJL COMMENT QMJOBINFO SADDLESTAPLE=OFF\n"
            "@PJL COMMENT QMJOBINFO MIXEDSIZETYPE=NONE\n"
            "@PJL COMMENT QMJOBINFO CUD=OFF\n"
            "@PJL COMMENT QMJOBINFO END\n");
}

// Regressions of the copies and sides lines.

TEST(CommentBlockTest, CollationOnlyFromTheCollateOptions) {
  const auto copies = [](const std::string& options, const std::string& title) {
    const std::string block =
        CommentBlock(RunJob("bytemode.ppd", "ticketfilter", options, "2", title));
    return LinesStartingWith(block, "@PJL COMMENT QMJOBINFO JOBCOPIES=") +
           LinesStartingWith(block, "@PJL COMMENT QMJOBINFO PAGECOPIES=");
  };
  const std::string collated =
      "@PJL COMMENT QMJOBINFO JOBCOPIES=2\n@PJL COMMENT QMJOBINFO PAGECOPIES=1\n";
  const std::string uncollated =
      "@PJL COMMENT QMJOBINFO JOBCOPIES=1\n@PJL COMMENT QMJOBINFO PAGECOPIES=2\n";
  EXPECT_EQ(copies("collate=false", "Test Job"), uncollated);
  EXPECT_EQ(copies("collate=true", "Test Job"), collated);
  EXPECT_EQ(copies("multiple-document-handling=separate-documents-collated-copies", "Test Job"),
            collated);
  EXPECT_EQ(copies("", "How to collate"), "");
  EXPECT_EQ(copies("job-sheets=nocollate", "Test Job"), "");
}

TEST(CommentBlockTest, CopiesNeverNegative) {
  const auto copies = [](const std::string& argument) {
    return LinesStartingWith(
        CommentBlock(RunJob("bytemode.ppd", "ticketfilter-basic", "collate", argument)),
        "@PJL COMMENT QMJOBINFO JOBCOPIES=");
  };
  EXPECT_EQ(copies("4"), "@PJL COMMENT QMJOBINFO JOBCOPIES=4\n");
  EXPECT_EQ(copies("x"), "@PJL COMMENT QMJOBINFO JOBCOPIES=1\n");
}

TEST(CommentBlockTest, NoBookletTicketIsNotTumbleDuplex) {
  const auto duplex = [](const std::string& options) {
    return LinesStartingWith(CommentBlock(RunJob("bytemode.ppd", "ticketfilter", options)),
                             "@PJL COMMENT QMJOBINFO DUPLEXTYPE=");
  };
  EXPECT_EQ(duplex(""), "@PJL COMMENT QMJOBINFO DUPLEXTYPE=SIMPLEX\n");
  EXPECT_EQ(duplex("sides=two-sided-long-edge"), "@PJL COMMENT QMJOBINFO DUPLEXTYPE=DUPLEX\n");
  EXPECT_EQ(duplex("QMSignature=RightSig"), "@PJL COMMENT QMJOBINFO DUPLEXTYPE=TUMBLE\n");
}

// The lines that describe the N-up: the comment's NUP, ORIENTATION and NUPEX lines and the
// booklet's DIND line, in order.
std::string NUpLines(const FilterRun& run) {
  const std::string header = SplitStream(run.out).header;
  std::string lines;
  std::size_t pos = 0;
  while (pos < header.size()) {
    const std::size_t end = header.find('\n', pos);
    if (end == std::string::npos) break;
    const std::string line = header.substr(pos, end + 1 - pos);
    pos = end + 1;
    for (const char* kind : {"QMJOBINFO NUP=", "QMJOBINFO ORIENTATION=", "QMJOBINFO NUPEX=",
                             "\"@DIND="}) {
      if (line.find(kind) != std::string::npos) lines += line;
    }
  }
  return lines;
}

// "number-up" and a layout of rows x columns with the same product describe the same N-up, below
// one page per sheet as above it: a number-up below 1 writes no NUP line, and the ORIENTATION and
// DIND lines of a layout product below 1.  The account's NLPP attribute keeps its own rule ("N"
// and the number-up text; "1" for a negative product, "N" for 0).
TEST(CommentBlockTest, NumberUpBelowOneIsALayoutBelowOne) {
  struct Case {
    int numberUp;
    int rows;
    int columns;
    const char* layoutNlpp;  // the NLPP text of the layout
  };
  const Case cases[] = {{-2, -1, 2, "1"}, {-1, -1, 1, "1"}, {0, 0, 2, "N"},  {1, 1, 1, "1"},
                        {2, 1, 2, "N2"},  {3, 1, 3, "N3"},  {4, 2, 2, "N4"}, {6, 2, 3, "N6"},
                        {9, 3, 3, "N9"},  {16, 4, 4, "N16"}};
  struct Printer {
    const char* ppd;
    const char* program;
    bool advanced;  // the 1.5.0 block and the booklet lines
  };
  const Printer printers[] = {{"utf8.ppd", "ticketfilter", true},
                              {"bytemode.ppd", "ticketfilter", false},
                              {"bytemode.ppd", "ticketfilter-basic", false}};
  struct Job {
    const char* options;
    const char* belowOne;  // the lines of an N-up below 1 with the advanced lines
  };
  const Job jobs[] = {
      {"", "@PJL SET JOBATTR=\"@DIND=PORTRAIT\"\n@PJL COMMENT QMJOBINFO ORIENTATION=PORTRAIT\n"},
      {" orientation-requested=4",
       "@PJL SET JOBATTR=\"@DIND=PORTRAIT\"\n@PJL COMMENT QMJOBINFO ORIENTATION=LANDSCAPE\n"},
      {" QMSignature=LeftSig",
       "@PJL SET JOBATTR=\"@DIND=PORTRAIT\"\n@PJL COMMENT QMJOBINFO ORIENTATION=LANDSCAPE\n"}};
  const std::string rowsKey = "com.apple.print.PrintSettings.PMLayoutRows..n.=";
  const std::string columnsKey = " com.apple.print.PrintSettings.PMLayoutColumns..n.=";
  for (const Printer& printer : printers) {
    for (const Job& job : jobs) {
      for (const Case& c : cases) {
        SCOPED_TRACE(std::string(printer.program) + " on " + printer.ppd + job.options +
                     ", N-up " + std::to_string(c.numberUp));
        const FilterRun byNumber = RunJob(
            printer.ppd, printer.program, "number-up=" + std::to_string(c.numberUp) + job.options);
        const FilterRun byLayout = RunJob(printer.ppd, printer.program,
                                          rowsKey + std::to_string(c.rows) + columnsKey +
                                              std::to_string(c.columns) + job.options);
        EXPECT_EQ(NUpLines(byNumber), NUpLines(byLayout));
        if (c.numberUp < 1) {
          EXPECT_EQ(NUpLines(byNumber), printer.advanced ? job.belowOne : "");
        }
        if (std::string(printer.program) == "ticketfilter") {
          EXPECT_NE(byNumber.out.find("\"@NLPP=N" + std::to_string(c.numberUp) + "\"\n"),
                    std::string::npos);
          EXPECT_NE(byLayout.out.find(std::string("\"@NLPP=") + c.layoutNlpp + "\"\n"),
                    std::string::npos);
        }
      }
    }
  }
}

TEST(CommentBlockTest, JobTextCannotAddAPjlLine) {
  // A number-up value whose bytes decode to a line feed and a PJL command stays on its line.
  const FilterRun run =
      RunJob("utf8.ppd", "ticketfilter", "number-up=/50/10/64/80/74/76/32/69/79/74/34");
  EXPECT_EQ(LinesStartingWith(run.out, "@PJL EOJ"), "");
  EXPECT_EQ(LinesStartingWith(CommentBlock(run), "@PJL COMMENT QMJOBINFO NUP="),
            "@PJL COMMENT QMJOBINFO NUP=2@PJL EOJ\n");
}

}  // namespace
}  // namespace tf::test
