// The print-type lines of the job header through the built programs: every print type, the job
// name, the line ends, both programs and both printer encodings, and injection attempts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/filter_runner.h"
#include "support/job_harness.h"

namespace tf::test {
namespace {

// One program on one printer: ticketfilter and ticketfilter-basic on a UTF-8 and on a byte-mode
// printer.  Only ticketfilter on the UTF-8 printer works in UTF-8 mode.
struct Printer {
  std::string program;
  std::string prefix;
  std::string ppd;
  bool utf8;
};

const std::vector<Printer>& AllPrinters() {
  static const std::vector<Printer> printers = {
      {"ticketfilter", "com.brantlowe.ticket.", "utf8.ppd", true},
      {"ticketfilter", "com.brantlowe.ticket.", "bytemode.ppd", false},
      {"ticketfilter-basic", "com.brantlowe.basicticket.", "utf8.ppd", false},
      {"ticketfilter-basic", "com.brantlowe.basicticket.", "bytemode.ppd", false},
  };
  return printers;
}

std::string Describe(const Printer& s) { return s.program + " on " + s.ppd; }

// "name=value" pairs of maker tickets, turned into the job's option text with the prefix.
using Tickets = std::vector<std::pair<std::string, std::string>>;

std::string OptionText(const Printer& s, const Tickets& tickets) {
  std::string text;
  for (const auto& [name, value] : tickets) {
    if (!text.empty()) text += ' ';
    text += s.prefix + name + "='" + value + "'";
  }
  return text;
}

FilterRun Run(const Printer& s, const Tickets& tickets, const std::string& title = "Test Job") {
  FilterInvocation inv;
  inv.program = s.program;
  inv.ppd = DataPath(s.ppd);
  inv.options = OptionText(s, tickets);
  inv.title = title;
  inv.input = "%!PS\n";
  return RunFilterProgram(inv);
}

// The print-type lines: what follows the job-mode line, up to the first account line (no
// administrator account rows are asked for in these jobs, so that is the client-host line).
std::string PrintTypeLines(const std::string& out) {
  const std::string jobMode = "@PJL JOB MODE=PRINTER\r\n";
  const std::size_t start = out.find(jobMode);
  if (start == std::string::npos) return "<no job-mode line>";
  const std::size_t from = start + jobMode.size();
  const std::size_t end = out.find("@PJL SET JOBATTR=\"@CNAM=", from);
  if (end == std::string::npos) return "<no account lines>";
  return out.substr(from, end - from);
}

std::string Lines(const Printer& s, const Tickets& tickets, const std::string& title = "Test Job") {
  const FilterRun run = Run(s, tickets, title);
  EXPECT_EQ(run.exitStatus, 0) << Describe(s);
  return PrintTypeLines(run.out);
}

TEST(PrintTypeTest, SecurePrintHoldsUserPasswordAndTypedJobName) {
  for (const Printer& s : AllPrinters()) {
    EXPECT_EQ(Lines(s, {{"PrintTypeTicketKey", "2"},
                        {"PrintTypeUserNameTicketKey", "abc"},
                        {"PrintTypePasswordTicketKey", "1234"},
                        {"DocumentNameTypeTicketKey", "2"},
                        {"DocumentNameTicketKey", "Report"}}),
              "@PJL SET HOLD=STORE\n"
              "@PJL SET HOLDTYPE=PRIVATE\n"
              "@PJL SET USERNAME=\"abc\"\r\n"
              "@PJL SET HOLDENCRYPTKEY=\"1234\"\r\n"
              "@PJL SET JOBNAME=\"Report\"\r\n")
        << Describe(s);
  }
}

TEST(PrintTypeTest, SecurePrintWithoutPasswordOrUserHoldsLess) {
  for (const Printer& s : AllPrinters()) {
    // No password: held, named, but neither private nor keyed.
    EXPECT_EQ(Lines(s, {{"PrintTypeTicketKey", "2"}, {"PrintTypeUserNameTicketKey", "abc"}}),
              "@PJL SET HOLD=STORE\n"
              "@PJL SET USERNAME=\"abc\"\r\n")
        << Describe(s);
    // No user: no hold command at all.
    EXPECT_EQ(Lines(s, {{"PrintTypeTicketKey", "2"}, {"PrintTypePasswordTicketKey", "1234"}}), "")
        << Describe(s);
  }
}

TEST(PrintTypeTest, SampleDelayedAndNormalPrint) {
  for (const Printer& s : AllPrinters()) {
    EXPECT_EQ(Lines(s, {{"PrintTypeTicketKey", "3"},
                        {"PrintTypeUserNameTicketKey", "abc"},
                        {"DocumentNameTypeTicketKey", "2"},
                        {"DocumentNameTicketKey", "Proof"}}),
              "@PJL SET HOLD=PROOF\n"
              "@PJL SET USERNAME=\"abc\"\r\n"
              "@PJL SET JOBNAME=\"Proof\"\r\n")
        << Describe(s);
    // Delayed print names no user, even when one was sent; the time comes after the job name.
    EXPECT_EQ(Lines(s, {{"PrintTypeTicketKey", "4"},
                        {"PrintTypeUserNameTicketKey", "abc"},
                        {"DelayPrintTicketKey", "0930"},
                        {"DocumentNameTypeTicketKey", "2"},
                        {"DocumentNameTicketKey", "Night"}}),
              "@PJL SET JOBNAME=\"Night\"\r\n"
              "@PJL SET JOBATTR=\"@PRTM=0930\"\r\n")
        << Describe(s);
    // Normal print: nothing, whatever else was sent.
    EXPECT_EQ(Lines(s, {{"PrintTypeTicketKey", "1"},
                        {"PrintTypeUserNameTicketKey", "abc"},
                        {"PrintTypePasswordTicketKey", "1234"},
                        {"DelayPrintTicketKey", "0930"},
                        {"PrintTypeMBNTicketKey", "12"},
                        {"DocumentNameTypeTicketKey", "2"},
                        {"DocumentNameTicketKey", "Night"}}),
              "")
        << Describe(s);
    // No print type at all: the user name and the job name still go out.
    EXPECT_EQ(Lines(s, {{"PrintTypeUserNameTicketKey", "abc"},
                        {"DocumentNameTypeTicketKey", "2"},
                        {"DocumentNameTicketKey", "Plain"}}),
              "@PJL SET USERNAME=\"abc\"\r\n"
              "@PJL SET JOBNAME=\"Plain\"\r\n")
        << Describe(s);
  }
}

TEST(PrintTypeTest, MailboxPrint) {
  for (const Printer& s : AllPrinters()) {
    // No box password: no private hold, no key, and never a user name.
    EXPECT_EQ(Lines(s, {{"PrintTypeTicketKey", "5"},
                        {"PrintTypeMBNTicketKey", "12"},
                        {"PrintTypeUserNameTicketKey", "abc"}}),
              "@PJL SET HOLD=BOXSTORE\n"
              "@PJL SET BOXNUMBER=12\r\n")
        << Describe(s);
    EXPECT_EQ(Lines(s, {{"PrintTypeTicketKey", "5"},
                        {"PrintTypeMBNTicketKey", "12"},
                        {"PrintTypeMBNPasswordTicketKey", "secret"},
                        {"DocumentNameTypeTicketKey", "2"},
                        {"DocumentNameTicketKey", "Box"}}),
              "@PJL SET HOLD=BOXSTORE\n"
              "@PJL SET HOLDTYPE=PRIVATE\n"
              "@PJL SET BOXNUMBER=12\r\n"
              "@PJL SET BOXENCRYPTKEY=\"secret\"\r\n"
              "@PJL SET JOBNAME=\"Box\"\r\n")
        << Describe(s);
    // An empty box number writes no BOXNUMBER line at all, never one without its value and line
    // end (which would run into the next command).
    EXPECT_EQ(Lines(s, {{"PrintTypeTicketKey", "5"}, {"PrintTypeMBNTicketKey", ""}}),
              "@PJL SET HOLD=BOXSTORE\n")
        << Describe(s);
    // The box number is at most four bytes.
    EXPECT_EQ(Lines(s, {{"PrintTypeTicketKey", "5"}, {"PrintTypeMBNTicketKey", "123456"}}),
              "@PJL SET HOLD=BOXSTORE\n"
              "@PJL SET BOXNUMBER=1234\r\n")
        << Describe(s);
  }
}

TEST(PrintTypeTest, JobNameFromTheTitleInUtf8Mode) {
  const Printer& s = AllPrinters()[0];
  ASSERT_TRUE(s.utf8);
  const Tickets tickets = {{"PrintTypeTicketKey", "3"},
                           {"PrintTypeUserNameTicketKey", "abc"},
                           {"DocumentNameTypeTicketKey", "1"},
                           {"DocumentNameTicketKey", "typed"}};
  EXPECT_EQ(Lines(s, tickets, "Quarterly"),
            "@PJL SET HOLD=PROOF\n"
            "@PJL SET USERNAME=\"abc\"\r\n"
            "@PJL SET JOBNAME=\"Quarterly\"\r\n");
  // A title with a line break leaves the job name empty: no JOBNAME line.
  EXPECT_EQ(Lines(s, tickets, "two\nlines"),
            "@PJL SET HOLD=PROOF\n"
            "@PJL SET USERNAME=\"abc\"\r\n");
}

TEST(PrintTypeTest, UserAndJobNameInThePrinterEncoding) {
  // 山田: E5 B1 B1 E7 94 B0 in UTF-8, 8E 52 93 63 in Shift-JIS X 0213 (checked with iconv).
  for (const Printer& s : AllPrinters()) {
    const std::string name = s.utf8 ? "\xe5\xb1\xb1\xe7\x94\xb0" : "\x8e\x52\x93\x63";
    EXPECT_EQ(Lines(s, {{"PrintTypeTicketKey", "3"},
                        {"PrintTypeUserNameTicketKey", "山田"},
                        {"DocumentNameTypeTicketKey", "2"},
                        {"DocumentNameTicketKey", "山田"}}),
              "@PJL SET HOLD=PROOF\n"
              "@PJL SET USERNAME=\"" + name + "\"\r\n"
              "@PJL SET JOBNAME=\"" + name + "\"\r\n")
        << Describe(s);
  }
}

TEST(PrintTypeTest, LongUserNameIsCutToWholeCharacters) {
  // 30 times 山 (90 UTF-8 bytes, 60 Shift-JIS bytes) into the 73-byte field: 72 UTF-8 bytes are
  // 24 whole characters; all 60 Shift-JIS bytes fit.  80 ASCII letters keep 72.
  std::string thirty;
  for (int i = 0; i < 30; ++i) thirty += "山";
  for (const Printer& s : AllPrinters()) {
    std::string expected;
    for (int i = 0; i < (s.utf8 ? 24 : 30); ++i) expected += s.utf8 ? "\xe5\xb1\xb1" : "\x8e\x52";
    EXPECT_EQ(Lines(s, {{"PrintTypeTicketKey", "3"}, {"PrintTypeUserNameTicketKey", thirty}}),
              "@PJL SET HOLD=PROOF\n"
              "@PJL SET USERNAME=\"" + expected + "\"\r\n")
        << Describe(s);
    EXPECT_EQ(Lines(s, {{"PrintTypeTicketKey", "3"},
                        {"PrintTypeUserNameTicketKey", std::string(80, 'u')}}),
              "@PJL SET HOLD=PROOF\n"
              "@PJL SET USERNAME=\"" + std::string(72, 'u') + "\"\r\n")
        << Describe(s);
  }
}

TEST(PrintTypeTest, InjectionThroughTicketsNeverStartsACommand) {
  for (const Printer& s : AllPrinters()) {
    // A quote and a line feed in the text, and the same bytes as a "/"-list: x " LF @ P J L.
    for (const std::string& value : {std::string("x\"\n@PJL SET EVIL=1"),
                                     std::string("/120/34/10/64/80/74/76")}) {
      const bool list = value[0] == '/';
      const std::string kept = list ? "x@PJL" : "x@PJL SET EVIL=1";
      // The password field holds 16 bytes, taken before the unsafe bytes are dropped.
      const std::string password = list ? "x@PJL" : "x@PJL SET EVIL";
      EXPECT_EQ(Lines(s, {{"PrintTypeTicketKey", "2"},
                          {"PrintTypeUserNameTicketKey", value},
                          {"PrintTypePasswordTicketKey", value},
                          {"DocumentNameTypeTicketKey", "2"},
                          {"DocumentNameTicketKey", value}}),
                "@PJL SET HOLD=STORE\n"
                "@PJL SET HOLDTYPE=PRIVATE\n"
                "@PJL SET USERNAME=\"" + kept + "\"\r\n"
                "@PJL SET HOLDENCRYPTKEY=\"" + password + "\"\r\n"
                "@PJL SET JOBNAME=\"" + kept + "\"\r\n")
          << Describe(s) << " " << (list ? "byte list" : "text");
    }
    // A value made only of unsafe bytes is no value: the row is not written.
    EXPECT_EQ(Lines(s, {{"PrintTypeTicketKey", "4"}, {"DelayPrintTicketKey", "/34/10/13"}}), "")
        << Describe(s);
  }
}

}  // namespace
}  // namespace tf::test
