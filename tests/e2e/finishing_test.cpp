// Finishing through the built programs: the finishing rows of the header (output face included)
// and the PostScript blocks exactly where they go in the stream, by N-up product.
#include <gtest/gtest.h>

#include <string>

#include "support/filter_runner.h"
#include "support/job_harness.h"
#include "support/stream_parts.h"

namespace tf::test {
namespace {

const std::string kFull = "com.brantlowe.ticket.";
const std::string kBasic = "com.brantlowe.basicticket.";

// A document as pstops leaves it for an N-up job: prolog, setup with the setpagedevice guard,
// two pages.
const std::string kDocument =
    "%!PS-Adobe-3.0\n"
    "%%BeginProlog\n"
    "/bp {} def /ep {showpage} def\n"
    "%%EndProlog\n"
    "%%BeginSetup\n"
    "userdict/setpagedevice{pop}bind put\n"
    "%%EndSetup\n"
    "%%Page: 1 1\nbp\n(one) show\nep\n"
    "%%Page: 2 2\nbp\n(two) show\nep\n"
    "%%EOF\n";

FilterRun RunJob(const std::string& options, const std::string& program = "ticketfilter",
              const std::string& input = kDocument) {
  FilterInvocation inv;
  inv.program = program;
  inv.ppd = DataPath("plain.ppd");
  inv.options = options;
  inv.input = input;
  return RunFilterProgram(inv);
}

// The finishing rows of a header, in the order written.
std::string FinishingRows(const std::string& header) {
  std::string rows;
  for (const char* prefix :
       {"@PJL SET JOBATTR=\"@TABS=", "@PJL SET JOBATTR=\"@TRMR=", "@PJL SET JOBATTR=\"@MDOC=",
        "@PJL SET JOBOFFSET=", "@PJL SET JOBATTR=\"@OCSN=", "@PJL SET JOBATTR=\"@FACE="}) {
    rows += LinesStartingWith(header, prefix);
  }
  // They must also stand together, in that order, in the header itself.
  return header.find(rows) != std::string::npos ? rows : "out of order: " + rows;
}

// Prefixes every "name=value" word with the ticket-key prefix.
std::string Tickets(const std::string& prefix, const std::string& words) {
  std::string options;
  std::size_t start = 0;
  while (start < words.size()) {
    std::size_t end = words.find(' ', start);
    if (end == std::string::npos) end = words.size();
    options += prefix + words.substr(start, end - start) + " ";
    start = end + 1;
  }
  return options;
}

TEST(FinishingTest, AllRowsInTheirOrder) {
  for (const auto& [program, prefix] :
       {std::pair{"ticketfilter", kFull}, {"ticketfilter-basic", kBasic}}) {
    const FilterRun run = RunJob(Tickets(prefix,
                                      "EjectOptionsListTicket=5 OffsetStackingListTicket=4 "
                                      "OffsetStackingPagesLArrowTicket=25 "
                                      "NumInSequenceSwitchTicket=1 NumInSequenceLArrowTicket=100 "
                                      "TrimmerSwitchTicket=1 TrimmerMMCuttingSizeTicket=3 "
                                      "TabMarginSwitchTicket=1 TabMarginMMShiftTicket=13"),
                              program);
    ASSERT_EQ(run.exitStatus, 0);
    const StreamParts parts = SplitStream(run.out);
    ASSERT_TRUE(parts.ok);
    EXPECT_EQ(FinishingRows(parts.header),
              "@PJL SET JOBATTR=\"@TABS=13\"\n"
              "@PJL SET JOBATTR=\"@TRMR=3\"\n"
              "@PJL SET JOBATTR=\"@MDOC=100\"\n"
              "@PJL SET JOBOFFSET=PAGES\n"
              "@PJL SET JOBATTR=\"@OCSN=25\"\n"
              "@PJL SET JOBATTR=\"@FACE=UP_REVERSE\"\n")
        << program;
    // The rows follow the job-mode line and come before the render mode.
    EXPECT_LT(parts.header.find("@PJL JOB MODE=PRINTER\r\n"), parts.header.find("@TABS=13"));
    EXPECT_LT(parts.header.find("@FACE=UP_REVERSE"), parts.header.find("@PJL SET RENDERMODE="));
  }
}

TEST(FinishingTest, OffRowsAndOtherProgramsKeysAreIgnored) {
  const FilterRun run =
      RunJob(Tickets(kFull, "TabMarginSwitchTicket=0 TrimmerSwitchTicket=0 NumInSequenceSwitchTicket=0 "
                         "OffsetStackingListTicket=5 OffsetStackingUnitsLArrowTicket=2") +
          Tickets(kBasic, "EjectOptionsListTicket=2"));
  EXPECT_EQ(FinishingRows(SplitStream(run.out).header),
            "@PJL SET JOBATTR=\"@TABS=OFF\"\n"
            "@PJL SET JOBATTR=\"@TRMR=0\"\n"
            "@PJL SET JOBATTR=\"@MDOC=0\"\n"
            "@PJL SET JOBOFFSET=COPIES\n"
            "@PJL SET JOBATTR=\"@OCSN=2\"\n");
}

TEST(FinishingTest, OutputFaceByChoicePunchAndTabMedia) {
  struct Case {
    const char* choice;
    const char* punchHoles;  // nullptr: absent
    const char* coilFace;
    const char* featuresTab;
    const char* specialTab;
    const char* face;  // "" for no line
  };
  const Case cases[] = {
      // Output face off: coil punching with the punched face on.
      {"1", "CoilPunch", "true", "false", "0", "OFF"},
      {"1", "CoilPunch", "true", "true", "0", "UP"},
      {"1", "CoilPunch", "true", "false", "1", "UP"},
      {"1", "CoilPunch", "true", "true", "1", "UP"},
      {"1", "CoilPunch", "true", "maybe", "0", ""},
      {"1", "CoilPunch", "true", nullptr, "1", ""},
      {"1", "CoilPunch", "true", "true", "2", ""},
      {"1", "CoilPunch", "true", "false", nullptr, ""},
      {"1", "XCoilY", "true", "false", "0", "OFF"},  // "Coil" anywhere counts
      // No coil punching: face off whatever the media.
      {"1", "2Holes", "true", "maybe", "7", "OFF"},
      {"1", nullptr, "true", nullptr, nullptr, "OFF"},
      // Punched face off: face off whatever the rest.
      {"1", "CoilPunch", "false", "true", "1", "OFF"},
      {"1", nullptr, "false", nullptr, nullptr, "OFF"},
      // Any other punched-face text (also none): no line.
      {"1", "CoilPunch", "True", "false", "0", ""},
      {"1", "2Holes", nullptr, "false", "0", ""},
      // The other choices.
      {"2", "CoilPunch", "true", "true", "1", "DOWN"},
      {"3", nullptr, nullptr, nullptr, nullptr, "UP"},
      {"4", nullptr, nullptr, nullptr, nullptr, "DOWN_REVERSE"},
      {"5", nullptr, nullptr, nullptr, nullptr, "UP_REVERSE"},
      {"6", "CoilPunch", "true", "true", "1", ""},
      {"0", "CoilPunch", "false", "true", "1", ""},
  };
  for (const Case& c : cases) {
    std::string options = kFull + "EjectOptionsListTicket=" + c.choice;
    if (c.punchHoles) options += std::string(" QMNumPunchHoles=") + c.punchHoles;
    if (c.coilFace) options += " " + kFull + "CoilPunchFaceTicket=" + c.coilFace;
    if (c.featuresTab) options += " " + kFull + "featuresMediaTypeTabTicket=" + c.featuresTab;
    if (c.specialTab) options += " " + kFull + "whetherMediaTypeTabTicket=" + c.specialTab;
    const std::string expected =
        c.face[0] == '\0' ? "" : std::string("@PJL SET JOBATTR=\"@FACE=") + c.face + "\"\n";
    EXPECT_EQ(FinishingRows(SplitStream(RunJob(options).out).header), expected) << options;
  }
}

// --- PostScript blocks ------------------------------------------------------------------------

const std::string kSeparatorBlock =
    "[{\n%%BeginNonPPDFeatures\n"
    "1 dict dup/SeparatorPages[2 5]put/Custom/ProcSet findresource/setcoverseparator get exec\n"
    "%%EndNonPPDFeatures\n} stopped cleartomark\n";
const std::string kShiftAndFitBlocks =
    "[{\n%%BeginNonPPDFeatures\n"
    "-3.000/Custom/ProcSet findresource/setsignatureimageshift get exec\n"
    "%%EndNonPPDFeatures\n} stopped cleartomark\n"
    "[{\n%%BeginNonPPDFeatures\n"
    "/Custom/ProcSet findresource/setsignatureautoscale 2 copy known {get true exch exec} "
    "{pop pop} ifelse\n"
    "%%EndNonPPDFeatures\n} stopped cleartomark\n";

const std::string kBlockTickets = Tickets(
    kFull,
    "SeparatorPageListTicket=0 SeparatorPageTicket=/50/32/53 BookletMarginSwitchTicket=1 "
    "BookletMarginMMShiftTicket=-3 AutoFitSwitchTicket=1");

std::string Layout(const char* rows, const char* columns) {
  return std::string("com.apple.print.PrintSettings.PMLayoutRows..n.=") + rows +
         " com.apple.print.PrintSettings.PMLayoutColumns..n.=" + columns;
}

// The document with the blocks of a single-up job: separators before the first "%%EndProlog",
// image shift and automatic fit before "%%EndSetup".
const std::string kSingleUpDocument =
    "%!PS-Adobe-3.0\n%%BeginProlog\n/bp {} def /ep {showpage} def\n" + kSeparatorBlock +
    "%%EndProlog\n%%BeginSetup\nuserdict/setpagedevice{pop}bind put\n" + kShiftAndFitBlocks +
    "%%EndSetup\n%%Page: 1 1\nbp\n(one) show\nep\n%%Page: 2 2\nbp\n(two) show\nep\n%%EOF\n\x04";

TEST(FinishingPostScriptTest, ProductZeroWithoutLayout) {
  for (const char* program : {"ticketfilter", "ticketfilter-basic"}) {
    const std::string tickets =
        std::string(program) == "ticketfilter" ? kBlockTickets
                                               : Tickets(kBasic,
                                                         "SeparatorPageListTicket=0 "
                                                         "SeparatorPageTicket=/50/32/53 "
                                                         "BookletMarginSwitchTicket=1 "
                                                         "BookletMarginMMShiftTicket=-3 "
                                                         "AutoFitSwitchTicket=1");
    const StreamParts parts = SplitStream(RunJob(tickets, program).out);
    ASSERT_TRUE(parts.ok) << program;
    EXPECT_EQ(parts.postscript, kSingleUpDocument) << program;
  }
}

TEST(FinishingPostScriptTest, NoFinishingTicketsLeaveTheDocumentUnchanged) {
  EXPECT_EQ(SplitStream(RunJob("").out).postscript, kDocument + "\x04");
}

// The layout rows and columns reach the finishing module through the account module's tickets.
TEST(FinishingPostScriptTest, ProductOneLikeSingleUp) {
  EXPECT_EQ(SplitStream(RunJob(kBlockTickets + Layout("1", "1")).out).postscript, kSingleUpDocument);
}

TEST(FinishingPostScriptTest, ProductFourBeforeSetPageDeviceSeparatorsFirst) {
  EXPECT_EQ(SplitStream(RunJob(kBlockTickets + Layout("2", "2")).out).postscript,
            "%!PS-Adobe-3.0\n%%BeginProlog\n/bp {} def /ep {showpage} def\n%%EndProlog\n"
            "%%BeginSetup\n" +
                kSeparatorBlock + kShiftAndFitBlocks +
                "userdict/setpagedevice{pop}bind put\n%%EndSetup\n"
                "%%Page: 1 1\nbp\n(one) show\nep\n%%Page: 2 2\nbp\n(two) show\nep\n%%EOF\n\x04");
}

TEST(FinishingPostScriptTest, NegativeProductInsertsNothing) {
  EXPECT_EQ(SplitStream(RunJob(kBlockTickets + Layout("-1", "2")).out).postscript,
            kDocument + "\x04");
}

TEST(FinishingPostScriptTest, SeparatorListNeverBreaksThePostScript) {
  // A list of 99 bytes is written whole, the end marker on its own line.
  std::string list;
  while (list.size() < 96) list += "10 ";
  list += "200";
  FilterRun run =
      RunJob(kFull + "SeparatorPageListTicket=0 " + kFull + "SeparatorPageTicket='" + list + "'",
          "ticketfilter", "%%EndProlog\n");
  EXPECT_EQ(SplitStream(run.out).postscript,
            "[{\n%%BeginNonPPDFeatures\n1 dict dup/SeparatorPages[" + list +
                "]put/Custom/ProcSet findresource/setcoverseparator get exec\n"
                "%%EndNonPPDFeatures\n} stopped cleartomark\n%%EndProlog\n\x04");
  // A list that could end the line, open a string or run an operator is left out, with a note
  // that does not repeat it.
  run = RunJob(Tickets(kFull, "SeparatorPageListTicket=0 SeparatorPageTicket=/49/10/113/117/105/116"),
            "ticketfilter", "%%EndProlog\n");
  EXPECT_EQ(SplitStream(run.out).postscript, "%%EndProlog\n\x04");
  EXPECT_NE(run.err.find("DEBUG: Separator pages left out"), std::string::npos);
  EXPECT_EQ(run.err.find("quit"), std::string::npos);
}

}  // namespace
}  // namespace tf::test
