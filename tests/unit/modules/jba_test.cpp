// The account module in-process: the client-host rows for host names and addresses the test
// chooses, the N-up reader, and the shape of both programs' account tables.
#include "modules/jba/jba.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/job_options.h"
#include "platform/ppd.h"
#include "support/job_harness.h"
#include "ticketfilter-basic/jba_tables.h"
#include "ticketfilter/jba_tables.h"

namespace tf::test {
namespace {

JobHarness::Args WithOptions(const std::string& options) {
  JobHarness::Args args;
  args.options = options;
  return args;
}

// The every-job rows for a host name and address set by the test (the harness resolves none).
std::string HostRows(const std::string& options, const char* hostName, const char* address,
                     const char* user = "tux") {
  JobHarness::Args args = WithOptions(options);
  args.user = user;
  JobHarness h(FullProgram(), args, "bytemode.ppd");
  h.ReadTickets();
  std::strcpy(h.state().HostNameStr, hostName);
  std::strcpy(h.state().IPAddressStr, address);
  JBAOutputKPJLCommandFromFilter(h.job(), h.RecordOf(JBAModule<TicketfilterAccountTables>),
                                 TicketfilterAccountTables);
  // Only the first lines: host name, login user and address.
  const std::string out = h.Output();
  return out.substr(0, out.find("@PJL SET JOBATTR=\"@NLPP="));
}

TEST(JBAHostRowsTest, HostNameOrUnknownHost) {
  EXPECT_EQ(HostRows("", "", ""),
            "@PJL SET JOBATTR=\"@CNAM=UnknownHost\"\n"
            "@PJL SET JOBATTR=\"@LUNA=tux\"\n");
  EXPECT_EQ(HostRows("", "printhost", ""),
            "@PJL SET JOBATTR=\"@CNAM=printhost\"\n"
            "@PJL SET JOBATTR=\"@LUNA=tux\"\n");
  EXPECT_EQ(HostRows("", "", "", ""),
            "@PJL SET JOBATTR=\"@CNAM=UnknownHost\"\n"
            "@PJL SET JOBATTR=\"@LUNA=UnknownUser\"\n");
}

TEST(JBAHostRowsTest, AddressFromTheResolverWhateverTheTicketSays) {
  const std::string ticket = "com.brantlowe.ticket.JBAIPAddressStringTicket=10.0.0.1";
  const std::string hostAndUser =
      "@PJL SET JOBATTR=\"@CNAM=h\"\n"
      "@PJL SET JOBATTR=\"@LUNA=tux\"\n";
  const std::string address = "@PJL SET JOBATTR=\"@HOAD=I0A000001\"\n";
  EXPECT_EQ(HostRows(ticket, "h", "I0A000001"), hostAndUser + address);
  EXPECT_EQ(HostRows("", "h", "I0A000001"), hostAndUser + address);
  // A ticket address but none resolved: no address line (never one without its value).
  EXPECT_EQ(HostRows(ticket, "h", ""), hostAndUser);
  EXPECT_EQ(HostRows("", "h", ""), hostAndUser);
}

std::string NUp(const char* optionText) {
  PpdFile noPpd;
  JobOptions options;
  options.Parse(optionText, noPpd);
  char destination[10];
  std::memset(destination, '#', sizeof(destination));
  EXPECT_EQ(GetNumberUpTicketString(kJBANumberUpKey, options, destination, sizeof(destination)),
            1);
  return destination;
}

TEST(NumberUpTest, TextFromNumberUpOrTheLayoutProduct) {
  const std::string rows = "com.apple.print.PrintSettings.PMLayoutRows..n.=";
  const std::string columns = " com.apple.print.PrintSettings.PMLayoutColumns..n.=";
  struct Case {
    std::string options;
    const char* text;
  };
  const Case cases[] = {
      {"number-up=4", "N4"},
      {"number-up=4 " + rows + "2" + columns + "3", "N4"},  // number-up wins
      {"number-up=123456789012", "N12345678"},              // cut to the 10-byte field
      {"", "1"},
      {rows + "1" + columns + "1", "1"},
      {rows + "2" + columns + "3", "N6"},
      {rows + "0" + columns + "3", "N"},
      // Only one of the two keys: the other direction holds one page.
      {rows + "2", "N2"},
      {columns.substr(1) + "3", "N3"},
      {rows + "1", "1"},
      // Products beyond two digits are written whole; a negative product is no page count.
      {rows + "10" + columns + "10", "N100"},
      {rows + "-2" + columns + "3", "1"},
      {rows + "99999" + columns + "99999", "1"},  // too long for the field
  };
  for (const Case& c : cases) EXPECT_EQ(NUp(c.options.c_str()), c.text) << c.options;
}

// Rows 8 to 12 and 14 to 43 of the common table, in ticketfilter's administrator table.
TEST(JBATablesTest, AdministratorTableMirrorsTheCommonRows) {
  const JBATables& full = TicketfilterAccountTables;
  ASSERT_EQ(full.fmtTableCommon.size(), 43u);
  ASSERT_EQ(full.fmtTableAdmin.size(), 35u);
  for (std::size_t i = 0; i < full.fmtTableAdmin.size(); ++i) {
    const std::size_t common = i < 5 ? i + 7 : i + 8;  // skip row 13 (index 12)
    const FmtTableEntry& admin = full.fmtTableAdmin[i];
    const FmtTableEntry& user = full.fmtTableCommon[common];
    EXPECT_STREQ(admin.format, user.format) << "admin row " << i;
    EXPECT_EQ(admin.conditions.size(), user.conditions.size()) << "admin row " << i;
    // The same conditions of the other mode: the first tests manageType for the administrator.
    EXPECT_FALSE(admin.conditions == user.conditions) << "admin row " << i;
    EXPECT_TRUE(admin.conditions[0] == Is(TF_RECORD(JBAOptions, manageType),
                                           TF_CONST(JBAModeListAdmin)))
        << "admin row " << i;
    // Rows 26 to 43 write the job-input fields in both modes.
    if (common >= 25) {
      EXPECT_TRUE(admin.params == user.params) << "admin row " << i;
    }
  }
  const JBATables& basic = TicketfilterBasicAccountTables;
  EXPECT_EQ(basic.fmtTableCommon.size(), 30u);
  EXPECT_EQ(basic.fmtTableAdmin.size(), 24u);
  EXPECT_EQ(basic.ticketDataCommon.size(), 24u);
  EXPECT_EQ(basic.ticketDataAdmin.size(), 9u);
  EXPECT_TRUE(basic.ticketDataCommonForUTF8.empty());
  EXPECT_EQ(full.ticketDataCommon.size(), full.ticketDataCommonForUTF8.size());
}

}  // namespace
}  // namespace tf::test
