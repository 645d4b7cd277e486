// Standard job attributes through the built programs, on the sample PPDs: each gives the same
// printer stream as the dialog's tickets it stands for, a ticket of the job wins over it, and a
// password the printer cannot take stops the job before anything is written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/filter_runner.h"
#include "support/job_harness.h"

namespace tf::test {
namespace {

struct Printer {
  std::string program;
  std::string prefix;
  std::string ppd;  // in ppd/
};

const std::vector<Printer>& Printers() {
  static const std::vector<Printer> printers = {
      {"ticketfilter", "com.brantlowe.ticket.", "tf-color-utf8.ppd"},
      {"ticketfilter", "com.brantlowe.ticket.", "tf-mono-bytemode.ppd"},
      {"ticketfilter-basic", "com.brantlowe.basicticket.", "tf-basic.ppd"},
  };
  return printers;
}

const char kDocument[] =
    "%!PS-Adobe-3.0\n%%Pages: 1\n%%EndComments\n%%BeginProlog\n%%EndProlog\n%%BeginSetup\n"
    "%%EndSetup\n%%Page: 1 1\nshowpage\n%%EOF\n";

// `options` with "@" standing for the program's ticket-key prefix.
FilterRun RunOn(const Printer& p, std::string options, const std::string& user = "tux") {
  for (std::size_t at; (at = options.find('@')) != std::string::npos;) {
    options.replace(at, 1, p.prefix);
  }
  FilterInvocation inv;
  inv.program = p.program;
  inv.ppd = std::string(TF_TEST_DATA_DIR) + "/../../ppd/" + p.ppd;
  inv.user = user;
  inv.title = "Report";
  inv.options = options;
  inv.input = kDocument;
  return RunFilterProgram(inv);
}

TEST(StandardAttributesE2eTest, EachAttributeWritesWhatItsTicketsWrite) {
  struct Case {
    std::string standard;
    std::string tickets;  // "@" is the program's prefix
  };
  const Case cases[] = {
      {"job-password=1234",
       "@PrintTypeTicketKey=2 @PrintTypeUserNameTicketKey=tux @PrintTypePasswordTicketKey=1234 "
       "@DocumentNameTypeTicketKey=1"},
      {"job-password=4711 job-password-encryption=none job-accounting-user-id=bob",
       "@PrintTypeTicketKey=2 @PrintTypeUserNameTicketKey=bob @PrintTypePasswordTicketKey=4711 "
       "@DocumentNameTypeTicketKey=1 @JBAManageTypeListTicketKey=2 "
       "@JBAUserSettingRadioBtnTicket=1 @JBAUserIDListCtrlTicket=2 @JBAUserIDTextEditTicket=bob"},
      {"job-account-id=ACC9 job-accounting-user-id=bob",
       "@JBAManageTypeListTicketKey=2 @JBAUserSettingRadioBtnTicket=1 @JBAUserIDListCtrlTicket=2 "
       "@JBAUserIDTextEditTicket=bob @JBAAccountIDTextEditTicket=ACC9"},
      {"job-account-id=ACC9",
       "@JBAManageTypeListTicketKey=2 @JBAUserSettingRadioBtnTicket=1 @JBAUserIDListCtrlTicket=1 "
       "@JBAInfoListTicketKey=0 @JBAUserIDTextEditTicket='' @JBAAccountIDTextEditTicket=ACC9"},
      {"finishings=20", "QMStaple=UpperLeftSingle"},
      {"finishings=29,83", "QMStaple=TopDouble QMPunch=Top QMNumPunchHoles=4Holes"},
      {"finishings=13", "QMSignature=LeftSigCenterStaple"},
      {"finishings=93", "QMSignature=LeftSigFold"},
      {"print-color-mode=monochrome", "QMColorMode=Black"},
  };
  for (const Printer& p : Printers()) {
    for (const Case& c : cases) {
      SCOPED_TRACE(p.program + " on " + p.ppd + ": " + c.standard);
      const FilterRun standard = RunOn(p, c.standard);
      const FilterRun tickets = RunOn(p, c.tickets);
      EXPECT_EQ(standard.exitStatus, 0) << standard.err;
      EXPECT_EQ(tickets.exitStatus, 0);
      EXPECT_EQ(standard.out, tickets.out);
    }
  }
  // Perfect binding, on the printer that has it.
  const Printer& color = Printers()[0];
  EXPECT_EQ(RunOn(color, "finishings=52").out, RunOn(color, "QMPBindPosition=BindRight").out);
  EXPECT_NE(RunOn(color, "finishings=52").out, RunOn(color, "").out);
}

TEST(StandardAttributesE2eTest, ATicketOfTheJobWinsOverTheAttribute) {
  for (const Printer& p : Printers()) {
    SCOPED_TRACE(p.program + " on " + p.ppd);
    const std::string secure =
        "@PrintTypeTicketKey=2 @PrintTypeUserNameTicketKey=tux @PrintTypePasswordTicketKey=9999";
    EXPECT_EQ(RunOn(p, "job-password=1234 " + secure).out, RunOn(p, secure).out);
    EXPECT_EQ(RunOn(p, "job-password=1234 @PrintTypeTicketKey=1").out, RunOn(p, "").out);
    EXPECT_EQ(RunOn(p, "job-account-id=ACC9 @JBAManageTypeListTicketKey=1").out,
              RunOn(p, "@JBAManageTypeListTicketKey=1").out);
    EXPECT_EQ(RunOn(p, "finishings=20 QMStaple=TopDouble").out, RunOn(p, "QMStaple=TopDouble").out);
    // As the scheduler writes it: its mapping of finishings follows the job's own choice.
    EXPECT_EQ(RunOn(p, "QMStaple=TopDouble finishings=20 QMStaple=UpperLeftSingle").out,
              RunOn(p, "QMStaple=TopDouble").out);
  }
}

TEST(StandardAttributesE2eTest, APasswordThePrinterCannotTakeStopsTheJobBeforeAnyOutput) {
  const std::string marker = "Xy9";  // in every refused value; never in a message
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"job-password=" + marker + "f00d job-password-encryption=sha2-256",
       "ERROR: The job password was sent encrypted; the printer needs the password itself to "
       "hold the job for its owner, so the job is not printed.\n"},
      {"job-password=12" + marker,
       "ERROR: The job password does not fit the printer (at most 16 digits); the job is not "
       "printed.\n"},
      {"job-password=12345678901234567",
       "ERROR: The job password does not fit the printer (at most 16 digits); the job is not "
       "printed.\n"},
      {"job-password=''",
       "ERROR: The job password is empty; the printer cannot hold the job without one, so the "
       "job is not printed.\n"},
      {"job-password=1234 job-accounting-user-id='" + marker + "\\\"x'",
       "ERROR: The user name of the held job does not fit the printer (at most 72 bytes, without "
       "quotes or control characters); the job is not printed.\n"},
      {"job-account-id=" + marker + std::string(40, '1'),
       "ERROR: The account ID does not fit the printer (at most 32 bytes, without quotes or "
       "control characters); the job is not printed.\n"},
  };
  for (const Printer& p : Printers()) {
    for (const auto& [options, error] : cases) {
      SCOPED_TRACE(p.program + " on " + p.ppd + ": " + options);
      const FilterRun run = RunOn(p, options);
      EXPECT_EQ(run.exitStatus, 1);
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(run.err, error);
    }
  }
}

}  // namespace
}  // namespace tf::test
