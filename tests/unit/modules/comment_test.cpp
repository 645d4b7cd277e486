// The job-information comment in one job: the record its ticket step fills (collation, copies,
// sides, N-up) and the begin, basic and advanced lines written from it.
#include "modules/comment/comment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/job_harness.h"

namespace tf {
namespace {

using test::FullProgram;
using test::JobHarness;

JobHarness::Args Job(const std::string& options, const std::string& copies = "1",
                     const std::string& title = "Test Job") {
  JobHarness::Args args;
  args.options = options;
  args.copies = copies;
  args.title = title;
  return args;
}

// The record after the ticket step of a job with these options.
CommentOptions Record(const std::string& options, const std::string& copies = "1",
                      const std::string& title = "Test Job") {
  JobHarness h(FullProgram(), Job(options, copies, title), "plain.ppd");
  h.ReadTickets();
  return h.Record<CommentOptions>(CommentModule);
}

std::string Basic(const std::string& options, const std::string& ppd = "plain.ppd") {
  JobHarness h(FullProgram(), Job(options), ppd);
  h.ReadTickets();
  OutputKPJLCommandforCommentBasic(h.job(), h.Record<CommentOptions>(CommentModule));
  return h.Output();
}

std::string Advanced(const std::string& options) {
  JobHarness h(FullProgram(), Job(options), "plain.ppd");
  h.ReadTickets();
  OutputKPJLCommandforCommentAdvanced(h.job(), h.Record<CommentOptions>(CommentModule));
  return h.Output();
}

const std::string kLine = "@PJL COMMENT QMJOBINFO ";
// The advanced lines that every job gets.
const std::string kAdvancedTail = kLine + "MIXEDSIZETYPE=NONE\n" + kLine + "CUD=OFF\n";

TEST(CommentTicketTest, CollationComesFromTheParsedOptionsOnly) {
  struct Case {
    const char* options;
    const char* title;
    const char* collate;
  };
  const Case cases[] = {
      {"", "Test Job", ""},
      {"collate", "Test Job", "collate"},
      {"nocollate", "Test Job", "nocollate"},
      {"collate=true", "Test Job", "collate"},
      {"collate=false", "Test Job", "nocollate"},
      {"Collate=True", "Test Job", "collate"},  // the PPD's Collate option, any case
      {"multiple-document-handling=separate-documents-collated-copies", "Test Job", "collate"},
      {"multiple-document-handling=separate-documents-uncollated-copies", "Test Job",
       "nocollate"},
      {"multiple-document-handling=single-document", "Test Job", ""},
      // When both are present, "collate" decides.
      {"collate=false multiple-document-handling=separate-documents-collated-copies", "Test Job",
       "nocollate"},
      {"nocollate=1 multiple-document-handling=separate-documents-uncollated-copies", "Test Job",
       "nocollate"},
      // The word elsewhere in the job is not a collation.
      {"job-name=collate media=nocollate", "collate these", ""},
      {"com.brantlowe.ticket.collate=true", "Test Job", ""},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(Record(c.options, "1", c.title).collate, c.collate) << c.options;
  }
}

TEST(CommentTicketTest, CopiesFromTheTicketElseTheSpoolerArgumentElseOne) {
  const std::string ticket = "com.apple.print.PrintSettings.PMCopies..n.";
  EXPECT_EQ(Record(ticket + "=3", "5").copies, 3);
  EXPECT_EQ(Record("", "5").copies, 5);
  EXPECT_EQ(Record(ticket + "=0", "4").copies, 4);
  for (const char* argument : {"", "0", "-2", "abc", "3x", "99999999999"}) {
    EXPECT_EQ(Record("", argument).copies, 1) << argument;
  }
}

TEST(CommentTicketTest, SidesByBindingEdgeAndBooklet) {
  struct Case {
    const char* options;
    const char* sides;
  };
  const Case cases[] = {
      {"", "one-sided"},
      {"sides=two-sided-long-edge", "two-sided-long-edge"},
      {"sides=two-sided-long-edge DuplexBindingEdge..n.=0", "one-sided"},
      {"sides=two-sided-long-edge QMSignature=None", "two-sided-long-edge"},
      {"sides=one-sided QMSignature=LeftSig", "two-sided-short-edge"},
      {"DuplexBindingEdge..n.=0 QMSignature=RightSigFold", "two-sided-short-edge"},
      // No booklet ticket at all is no booklet.
      {"sides=two-sided-long-edge", "two-sided-long-edge"},
      {"sides=one-sided QMSignature=", "one-sided"},
  };
  for (const Case& c : cases) EXPECT_STREQ(Record(c.options).sides, c.sides) << c.options;
}

TEST(CommentTicketTest, AbsentOrientationAndLayoutDirectionCountAsOne) {
  const CommentOptions absent = Record("");
  EXPECT_EQ(absent.orientation, 1);
  EXPECT_EQ(absent.layoutDirection, 1);
  EXPECT_EQ(absent.duplexBindingEdge, -1);
  const CommentOptions set = Record(
      "orientation-requested=4 com.apple.print.PrintSettings.PMLayoutDirection..n.=6");
  EXPECT_EQ(set.orientation, 4);
  EXPECT_EQ(set.layoutDirection, 6);
}

TEST(CommentTicketTest, NumberUpFromTheOptionElseTheLayout) {
  const std::string rows = "com.apple.print.PrintSettings.PMLayoutRows..n.=";
  const std::string columns = " com.apple.print.PrintSettings.PMLayoutColumns..n.=";
  struct Case {
    std::string options;
    const char* numberUp;
  };
  const Case cases[] = {
      {"", "1"},
      {"number-up=4", "4"},
      {"number-up=6 " + rows + "3" + columns + "3", "6"},  // the option wins
      {"number-up=/49/54", "16"},                          // a byte list
      {rows + "3" + columns + "3", "9"},
      {rows + "1" + columns + "1", "1"},
      {rows + "2", "2"},       // one dimension alone: the other counts as 1
      {columns + "3", "3"},
      {rows + "10" + columns + "12", "120"},  // written in full
      {rows + "0" + columns + "4", ""},
      {rows + "-2" + columns + "2", ""},
      // A number-up below 1 is no N-up, as such a product; a text that is no number stands.
      {"number-up=-2", ""},
      {"number-up=0 " + rows + "2" + columns + "2", ""},
      {"number-up=' -1x'", ""},
      {"number-up=/45/50", ""},  // "-2" as a byte list
      {"number-up=x", "x"},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(Record(c.options).numberUp, c.numberUp) << c.options;
  }
}

TEST(CommentLinesTest, BeginLines) {
  JobHarness h(FullProgram(), Job(""), "plain.ppd");
  h.ReadTickets();
  OutputKPJLCommandforCommentBegin(h.job());
  EXPECT_EQ(h.Output(), kLine + "BEGIN\n" + kLine + "PDLTYPE=PDL[POSTSCRIPT]:VERSION[3]\n" + kLine +
                            "JOBTYPE=PRINT\n");
}

TEST(CommentLinesTest, CopiesLinesOnlyWithACollationWord) {
  // Without any option the basic lines are the simplex and grayscale lines and N-up 1.
  const std::string plain =
      kLine + "DUPLEXTYPE=SIMPLEX\n" + kLine + "COLORMODE=GRAYSCALE\n" + kLine + "NUP=1\n";
  EXPECT_EQ(Basic(""), plain);
  EXPECT_EQ(Basic("collate com.apple.print.PrintSettings.PMCopies..n.=3"),
            kLine + "JOBCOPIES=3\n" + kLine + "PAGECOPIES=1\n" + plain);
  EXPECT_EQ(Basic("collate=false com.apple.print.PrintSettings.PMCopies..n.=3"),
            kLine + "PAGECOPIES=3\n" + kLine + "JOBCOPIES=1\n" + plain);
}

TEST(CommentLinesTest, DuplexTakesTheFirstMatchingTest) {
  struct Case {
    const char* options;
    const char* duplex;
  };
  const Case cases[] = {
      {"sides=one-sided DuplexBindingEdge..n.=2", "DUPLEXTYPE=DUPLEX\n"},
      {"sides=two-sided-short-edge", "DUPLEXTYPE=TUMBLE\n"},
      {"sides=one-sided DuplexBindingEdge..n.=3", "DUPLEXTYPE=TUMBLE\n"},
      {"sides=two-sided-long-edge DuplexBindingEdge..n.=1", "DUPLEXTYPE=DUPLEX\n"},
      {"sides=something DuplexBindingEdge..n.=1", "DUPLEXTYPE=SIMPLEX\n"},
      {"sides=something", ""},
  };
  for (const Case& c : cases) {
    const std::string lines = Basic(c.options);
    const std::string expected = c.duplex[0] != '\0' ? kLine + c.duplex : "";
    EXPECT_EQ(lines.substr(0, lines.find(kLine + "COLORMODE")), expected) << c.options;
  }
}

TEST(CommentLinesTest, ColourModeByValueAndPrinterOption) {
  const auto colour = [](const std::string& options, const std::string& ppd) {
    const std::string lines = Basic(options, ppd);
    const std::size_t at = lines.find(kLine + "COLORMODE=");
    return at == std::string::npos ? std::string("none")
                                   : lines.substr(at + kLine.size(), lines.find('\n', at) - at -
                                                                        kLine.size());
  };
  // utf8.ppd has the colour option (default Color); plain.ppd has none.
  EXPECT_EQ(colour("QMColorMode=Color", "plain.ppd"), "COLORMODE=COLOR");
  EXPECT_EQ(colour("QMColorMode=Black", "utf8.ppd"), "COLORMODE=GRAYSCALE");
  EXPECT_EQ(colour("QMColorMode=Auto", "utf8.ppd"), "none");
  EXPECT_EQ(colour("QMColorMode=Auto", "plain.ppd"), "COLORMODE=GRAYSCALE");
  EXPECT_EQ(colour("", "plain.ppd"), "COLORMODE=GRAYSCALE");
  EXPECT_EQ(colour("", "utf8.ppd"), "COLORMODE=COLOR");  // the printer's default choice
}

TEST(CommentLinesTest, StaplePunchAndBookletLines) {
  struct Case {
    const char* options;
    std::string lines;  // after the N-up line
  };
  const Case cases[] = {
      {"QMStaple=SaddleStaple", kLine + "STAPLE=OFF\n"},
      {"QMStaple=None", kLine + "STAPLE=OFF\n"},
      {"QMStaple=UpperLeftSingle", kLine + "STAPLE=ON\n"},
      {"QMPunch=None", kLine + "PUNCH=OFF\n"},
      {"QMPunch=Left", kLine + "PUNCH=ON\n"},
      {"QMSignature=None QMSigVol=5Sheets", kLine + "BOOKLETTYPE=TYPE[NOBOOKLET]\n"},
      {"QMSignature=LeftSig", kLine + "BOOKLETTYPE=TYPE[NOBOOKLET]\n"},
      {"QMSignature=LeftSig QMSigVol=None", kLine + "BOOKLETTYPE=TYPE[NONEDIVIDE]\n"},
      {"QMSignature=LeftSig QMSigVol=5Sheets", kLine + "BOOKLETTYPE=TYPE[MANUALDIVIDE]:THRESHOLD[5]\n"},
      {"QMSignature=LeftSig QMSigVol=10Sheet", kLine + "BOOKLETTYPE=TYPE[MANUALDIVIDE]:THRESHOLD[10]\n"},
      // Without "Sheet" the value is the threshold as it stands.
      {"QMSignature=LeftSig QMSigVol=12", kLine + "BOOKLETTYPE=TYPE[MANUALDIVIDE]:THRESHOLD[12]\n"},
      {"QMSigVol=5Sheets", ""},  // no signature: no booklet line
  };
  for (const Case& c : cases) {
    const std::string lines = Basic(c.options);
    const std::string nup = kLine + "NUP=1\n";
    EXPECT_EQ(lines.substr(lines.find(nup) + nup.size()), c.lines) << c.options;
  }
}

TEST(CommentLinesTest, ThresholdCutsTheRecordAtSheet) {
  JobHarness h(FullProgram(), Job("QMSignature=LeftSig QMSigVol=5Sheets"), "plain.ppd");
  h.ReadTickets();
  CommentOptions& comment = h.Record<CommentOptions>(CommentModule);
  OutputKPJLCommandforCommentBasic(h.job(), comment);
  EXPECT_STREQ(comment.sigVol, "5");
}

TEST(CommentLinesTest, JobTextNeverBreaksOrInjectsAPjlLine) {
  // "/"-byte lists carry a line feed, a quote and an escape into the N-up and threshold values.
  const std::string lines =
      Basic("number-up=/52/10/64/80/74/76/32/34/27 QMSignature=LeftSig "
            "QMSigVol=/55/10/64/80/74/76/83/104/101/101/116");
  EXPECT_NE(lines.find(kLine + "NUP=4@PJL \n"), std::string::npos) << lines;
  EXPECT_NE(lines.find(kLine + "BOOKLETTYPE=TYPE[MANUALDIVIDE]:THRESHOLD[7@PJL]\n"),
            std::string::npos)
      << lines;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(lines[i]);
    EXPECT_TRUE(c == '\n' || (c >= 0x20 && c != 0x22 && c != 0x7F)) << "byte " << i;
  }
}

TEST(CommentLinesTest, LongNumberUpIsShortenedByWholeCharactersAndKeepsItsLineEnd) {
  // 100 times U+3042, two bytes each in the printer's byte encoding (0x82 0xA0).
  std::string value;
  for (int i = 0; i < 100; ++i) value += "\xE3\x81\x82";
  const std::string lines = Basic("number-up=" + value);
  const std::string head = kLine + "NUP=";
  const std::size_t at = lines.find(head);
  ASSERT_NE(at, std::string::npos);
  const std::string line = lines.substr(at, lines.find('\n', at) + 1 - at);
  std::string expected = head;
  for (int i = 0; i < 35; ++i) expected += "\x82\xA0";  // 71 bytes of room: 35 whole characters
  EXPECT_EQ(line, expected + "\n");
}

TEST(CommentLinesTest, OrientationByBookletClassNUpAndOrientation) {
  // Rows: signature, number-up; columns: orientation 1, 4, 5, 6, 3 ("-" is no line).
  struct Case {
    const char* signature;
    const char* numberUp;
    const char* words[5];
  };
  const Case cases[] = {
      {"None", "1", {"PORTRAIT", "LANDSCAPE", "ROTATEDLANDSCAPE", "ROTATEDPORTRAIT", "-"}},
      {"", "", {"PORTRAIT", "LANDSCAPE", "ROTATEDLANDSCAPE", "ROTATEDPORTRAIT", "-"}},
      {"None", "9", {"PORTRAIT", "LANDSCAPE", "LANDSCAPE", "PORTRAIT", "-"}},
      {"None", "6", {"LANDSCAPE", "PORTRAIT", "PORTRAIT", "LANDSCAPE", "-"}},
      {"LeftSig", "1", {"LANDSCAPE", "ROTATEDPORTRAIT", "ROTATEDPORTRAIT", "LANDSCAPE", "-"}},
      {"LeftSigFold", "16", {"LANDSCAPE", "ROTATEDPORTRAIT", "ROTATEDPORTRAIT", "LANDSCAPE", "-"}},
      {"LeftSigCenterStaple", "2", {"ROTATEDPORTRAIT", "LANDSCAPE", "LANDSCAPE", "ROTATEDPORTRAIT", "-"}},
      {"RightSig", "4", {"ROTATEDLANDSCAPE", "PORTRAIT", "PORTRAIT", "ROTATEDLANDSCAPE", "-"}},
      {"RightSigFold", "6", {"PORTRAIT", "ROTATEDLANDSCAPE", "ROTATEDLANDSCAPE", "PORTRAIT", "-"}},
      {"LeftSigX", "1", {"-", "-", "-", "-", "-"}},
      {"None", "3", {"-", "-", "-", "-", "-"}},
      {"None", "17", {"-", "-", "-", "-", "-"}},
      // A number-up below 1 is no N-up at all, as a layout product below 1: single-up.
      {"LeftSig", "-4", {"LANDSCAPE", "ROTATEDPORTRAIT", "ROTATEDPORTRAIT", "LANDSCAPE", "-"}},
      {"None", "0", {"PORTRAIT", "LANDSCAPE", "ROTATEDLANDSCAPE", "ROTATEDPORTRAIT", "-"}},
  };
  const int orientations[5] = {1, 4, 5, 6, 3};
  for (const Case& c : cases) {
    for (int i = 0; i < 5; ++i) {
      std::string options = "orientation-requested=" + std::to_string(orientations[i]);
      if (c.signature[0] != '\0') options += std::string(" QMSignature=") + c.signature;
      if (c.numberUp[0] != '\0') options += std::string(" number-up=") + c.numberUp;
      const std::string lines = Advanced(options);
      const std::string first = lines.substr(0, lines.find('\n') + 1);
      const std::string orientation = first.rfind(kLine + "ORIENTATION=", 0) == 0 ? first : "";
      EXPECT_EQ(orientation, c.words[i][0] == '-' ? "" : kLine + "ORIENTATION=" + c.words[i] + "\n")
          << options;
    }
  }
}

TEST(CommentLinesTest, NUpLayoutByDirection) {
  // Columns: layout direction 1, 3, 5, 6, 2 ("-" is no line).
  struct Case {
    const char* numberUp;
    const char* words[5];
  };
  const Case cases[] = {
      {"2", {"RIGHTTODOWN", "LEFTTOUP", "RIGHTTODOWN", "LEFTTOUP", "-"}},
      {"3", {"RIGHTTHENDOWN", "LEFTTHENDOWN", "DOWNTHENRIGHT", "DOWNTHENLEFT", "-"}},
      {"16", {"RIGHTTHENDOWN", "LEFTTHENDOWN", "DOWNTHENRIGHT", "DOWNTHENLEFT", "-"}},
      {"1", {"-", "-", "-", "-", "-"}},
      {"0", {"-", "-", "-", "-", "-"}},
  };
  const int directions[5] = {1, 3, 5, 6, 2};
  for (const Case& c : cases) {
    for (int i = 0; i < 5; ++i) {
      const std::string options = std::string("orientation-requested=3 number-up=") + c.numberUp +
                                  " com.apple.print.PrintSettings.PMLayoutDirection..n.=" +
                                  std::to_string(directions[i]);
      const std::string expected = c.words[i][0] == '-' ? "" : kLine + "NUPEX=" + c.words[i] + "\n";
      EXPECT_EQ(Advanced(options), expected + kAdvancedTail) << options;
    }
  }
}

TEST(CommentLinesTest, SaddleStapleStapleAndPunchPositions) {
  struct Case {
    const char* options;
    std::string lines;  // before the closing two lines
  };
  const Case cases[] = {
      {"QMSignature=LeftSigCenterStaple", kLine + "SADDLESTAPLE=ON\n"},
      {"QMSignature=RightSigCenterStaple", kLine + "SADDLESTAPLE=ON\n"},
      {"QMSignature=None", kLine + "SADDLESTAPLE=OFF\n"},
      {"QMStaple=BottomDoubleLeftDouble", kLine + "STAPLEEX=LEFTDUAL\n"},
      {"QMStaple=1UpperRightSingle", kLine + "STAPLEEX=TOPRIGHT\n"},
      {"QMStaple=LowerLeftSingle", kLine + "STAPLEEX=BOTTOMLEFT\n"},
      {"QMStaple=Center", ""},
      {"QMPunch=LeftTop QMNumPunchHoles=3Holes", kLine + "PUNCHEX=HOLES[THREE]:LOCATION[LEFT]\n"},
      {"QMPunch=Right QMNumPunchHoles=CoilPunch", kLine + "PUNCHEX=HOLES[COIL]:LOCATION[RIGHT]\n"},
      {"QMPunch=Bottom QMNumPunchHoles=4Holes", kLine + "PUNCHEX=HOLES[FOUR]:LOCATION[BOTTOM]\n"},
      {"QMNumPunchHoles=2Holes", ""},
      {"QMPunch=Top QMNumPunchHoles=2HolesX", ""},
  };
  for (const Case& c : cases) {
    // orientation 3 keeps the orientation line out.
    EXPECT_EQ(Advanced(std::string("orientation-requested=3 ") + c.options),
              c.lines + kAdvancedTail)
        << c.options;
  }
}

}  // namespace
}  // namespace tf
