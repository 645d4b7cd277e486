// Print type: the rows of PrintTypeFmtTable and the conditions that choose them, row by row, in
// one process; the reading of the tickets into the record in both printer encodings.
#include "modules/printtype/printtype.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/job.h"
#include "support/job_harness.h"

namespace tf::test {
namespace {

constexpr char kPrefix[] = "com.brantlowe.ticket.";

using Tickets = std::vector<std::pair<std::string, std::string>>;

JobHarness::Args ArgsWith(const Tickets& tickets, const std::string& title) {
  JobHarness::Args args;
  args.title = title;
  for (const auto& [name, value] : tickets) {
    args.options += std::string(kPrefix) + name + "='" + value + "' ";
  }
  return args;
}

// The print-type lines of a job with these tickets.
std::string Lines(const Tickets& tickets, const std::string& title = "Title",
                  const std::string& ppd = "utf8.ppd") {
  JobHarness h(FullProgram(), ArgsWith(tickets, title), ppd);
  h.ReadTickets();
  PrintTypeOutputKPJLCommandFromFilter(h.job(), h.RecordOf(PrintTypeModule));
  return h.Output();
}

const std::string kHold = "@PJL SET HOLD=STORE\n";
const std::string kPrivate = "@PJL SET HOLDTYPE=PRIVATE\n";
const std::string kProof = "@PJL SET HOLD=PROOF\n";
const std::string kBox = "@PJL SET HOLD=BOXSTORE\n";
std::string User(const std::string& name) { return "@PJL SET USERNAME=\"" + name + "\"\r\n"; }
std::string Password(const std::string& key) {
  return "@PJL SET HOLDENCRYPTKEY=\"" + key + "\"\r\n";
}
std::string JobName(const std::string& name) { return "@PJL SET JOBNAME=\"" + name + "\"\r\n"; }

TEST(PrintTypeRowsTest, EachPrintTypeWritesItsRowsInTableOrder) {
  struct Case {
    const char* what;
    Tickets tickets;
    std::string lines;
  };
  const std::vector<Case> cases = {
      {"secure print, typed job name",
       {{"PrintTypeTicketKey", "2"}, {"PrintTypeUserNameTicketKey", "abc"},
        {"PrintTypePasswordTicketKey", "1234"}, {"DocumentNameTypeTicketKey", "2"},
        {"DocumentNameTicketKey", "Report"}},
       kHold + kPrivate + User("abc") + Password("1234") + JobName("Report")},
      {"secure print without password: held, not private, no key",
       {{"PrintTypeTicketKey", "2"}, {"PrintTypeUserNameTicketKey", "abc"}},
       kHold + User("abc")},
      {"secure print without user: nothing held",
       {{"PrintTypeTicketKey", "2"}, {"PrintTypePasswordTicketKey", "1234"}}, ""},
      {"sample print, job name from the title",
       {{"PrintTypeTicketKey", "3"}, {"PrintTypeUserNameTicketKey", "abc"},
        {"DocumentNameTypeTicketKey", "1"}, {"DocumentNameTicketKey", "typed"}},
       kProof + User("abc") + JobName("Title")},
      {"delayed print: the print time, no user line",
       {{"PrintTypeTicketKey", "4"}, {"PrintTypeUserNameTicketKey", "abc"},
        {"DelayPrintTicketKey", "0930"}},
       "@PJL SET JOBATTR=\"@PRTM=0930\"\r\n"},
      {"mailbox print with password",
       {{"PrintTypeTicketKey", "5"}, {"PrintTypeMBNTicketKey", "12"},
        {"PrintTypeMBNPasswordTicketKey", "secret"}},
       kBox + kPrivate + "@PJL SET BOXNUMBER=12\r\n@PJL SET BOXENCRYPTKEY=\"secret\"\r\n"},
      {"mailbox print, empty box number", {{"PrintTypeTicketKey", "5"}}, kBox},
      {"normal print: nothing", {{"PrintTypeTicketKey", "1"},
                                 {"PrintTypeUserNameTicketKey", "abc"},
                                 {"DocumentNameTypeTicketKey", "2"},
                                 {"DocumentNameTicketKey", "Report"}}, ""},
      {"no print type: the job name still goes with a user",
       {{"PrintTypeUserNameTicketKey", "abc"}, {"DocumentNameTypeTicketKey", "2"},
        {"DocumentNameTicketKey", "Report"}},
       User("abc") + JobName("Report")},
  };
  for (const Case& c : cases) EXPECT_EQ(Lines(c.tickets), c.lines) << c.what;
}

// A title with a line break gives no job name; a value that is only unsafe bytes gives no line.
TEST(PrintTypeRowsTest, EmptyValuesWriteNoRow) {
  const Tickets fromTitle = {{"PrintTypeTicketKey", "3"}, {"PrintTypeUserNameTicketKey", "abc"},
                             {"DocumentNameTypeTicketKey", "1"}};
  EXPECT_EQ(Lines(fromTitle, "two\nlines"), kProof + User("abc"));
  EXPECT_EQ(Lines({{"PrintTypeTicketKey", "4"}, {"DelayPrintTicketKey", "/34/10/13"}}), "");
}

// User and typed job name are read as UTF-8 on a UTF-8 printer and as Shift-JIS otherwise; the
// password, the print time and the mailbox values are Shift-JIS on both.
TEST(PrintTypeTicketsTest, EachFieldInTheEncodingOfItsReader) {
  const Tickets tickets = {{"PrintTypeTicketKey", "2"},
                           {"PrintTypeUserNameTicketKey", "山田"},
                           {"PrintTypePasswordTicketKey", "1234"},
                           {"DocumentNameTypeTicketKey", "2"},
                           {"DocumentNameTicketKey", "報告"}};
  for (const char* ppd : {"utf8.ppd", "bytemode.ppd"}) {
    SCOPED_TRACE(ppd);
    JobHarness h(FullProgram(), ArgsWith(tickets, "Title"), ppd);
    h.ReadTickets();
    const PrintTypeOptions& record = h.Record<PrintTypeOptions>(PrintTypeModule);
    const bool utf8 = std::string(ppd) == "utf8.ppd";
    EXPECT_EQ(record.printType, 2);
    EXPECT_STREQ(record.userName, utf8 ? "山田" : "\x8e\x52\x93\x63");
    EXPECT_STREQ(record.documentName, utf8 ? "報告" : "\x95\xf1\x8d\x90");
    EXPECT_STREQ(record.password, "1234");
    const TextEncoding names = utf8 ? TextEncoding::UTF8 : TextEncoding::ShiftJIS;
    EXPECT_EQ(h.job().EncodingOf(record.userName), names);
    EXPECT_EQ(h.job().EncodingOf(record.documentName), names);
    EXPECT_EQ(h.job().EncodingOf(record.password), TextEncoding::ShiftJIS);
  }
}

}  // namespace
}  // namespace tf::test
