// The account lines of the job header through the built programs: the every-job rows, the user
// and administrator modes, the rows that depend on infoList and infoSetList, the N-up text, both
// programs and both printer encodings, and injection attempts.
//
// The client-host lines depend on the machine: the host-name line is checked against the host
// name of this machine (or "UnknownHost" when none was found) and stands as "<CNAM>" in the exact
// comparisons; address lines are checked for their form and left out.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/filter_runner.h"
#include "support/job_harness.h"
#include "support/stream_parts.h"

namespace tf::test {
namespace {

struct Printer {
  std::string program;
  std::string prefix;
  std::string ppd;
  bool utf8;   // UTF-8 mode: ticketfilter on a UTF-8 printer
  bool basic;  // ticketfilter-basic: its own, smaller account tables
};

const std::vector<Printer>& AllPrinters() {
  static const std::vector<Printer> printers = {
      {"ticketfilter", "com.brantlowe.ticket.", "utf8.ppd", true, false},
      {"ticketfilter", "com.brantlowe.ticket.", "bytemode.ppd", false, false},
      {"ticketfilter-basic", "com.brantlowe.basicticket.", "utf8.ppd", false, true},
      {"ticketfilter-basic", "com.brantlowe.basicticket.", "bytemode.ppd", false, true},
  };
  return printers;
}

std::string Describe(const Printer& p) { return p.program + " on " + p.ppd; }

using Tickets = std::vector<std::pair<std::string, std::string>>;

struct JobInput {
  Tickets tickets;        // maker tickets, prefixed by the program's prefix
  std::string standard;   // standard options, as they stand
  std::string user = "tux";
  std::string title = "Test Job";
};

JobInput WithTickets(const Tickets& tickets) {
  JobInput job;
  job.tickets = tickets;
  return job;
}
JobInput WithOptions(const std::string& standard) {
  JobInput job;
  job.standard = standard;
  return job;
}
JobInput WithUser(const std::string& user) {
  JobInput job;
  job.user = user;
  return job;
}

FilterRun RunJob(const Printer& p, const JobInput& job) {
  FilterInvocation inv;
  inv.program = p.program;
  inv.ppd = DataPath(p.ppd);
  inv.user = job.user;
  inv.title = job.title;
  inv.options = job.standard;
  for (const auto& [name, value] : job.tickets) {
    if (!inv.options.empty()) inv.options += ' ';
    inv.options += p.prefix + name + "='" + value + "'";
  }
  inv.input = "%!PS\n";
  return RunFilterProgram(inv);
}

std::string ThisHostName() {
  char name[256] = {};
  gethostname(name, sizeof(name) - 1);
  return name;
}

bool IsAccountAttribute(const std::string& line) {
  static const char* const kAttributes[] = {"CNAM", "LUNA", "HOAD", "NLPP", "JOAU", "JOEP",
                                            "JOAD", "DAID", "ACID", "ACNA", "ACEP"};
  for (const char* attribute : kAttributes) {
    if (line.rfind(std::string("@PJL SET JOBATTR=\"@") + attribute + "=", 0) == 0) return true;
  }
  return false;
}

// The account lines of the header in order, each with its own line end; the host-name line as
// "<CNAM>\n", address lines left out.
std::string AccountLines(const std::string& out) {
  const std::size_t headerEnd = out.find(kEnterPostScript);
  EXPECT_NE(headerEnd, std::string::npos);
  const std::string header = out.substr(0, headerEnd);
  const std::string cnamPrefix = "@PJL SET JOBATTR=\"@CNAM=";
  const std::string hoadPrefix = "@PJL SET JOBATTR=\"@HOAD=";
  std::string result;
  int hostLines = 0;
  std::size_t pos = 0;
  while (pos < header.size()) {
    std::size_t end = header.find('\n', pos);
    end = end == std::string::npos ? header.size() : end + 1;
    const std::string line = header.substr(pos, end - pos);
    pos = end;
    if (!IsAccountAttribute(line)) continue;
    if (line.rfind(cnamPrefix, 0) == 0) {
      ++hostLines;
      EXPECT_TRUE(line == cnamPrefix + "UnknownHost\"\n" ||
                  line == cnamPrefix + ThisHostName() + "\"\n")
          << line;
      result += "<CNAM>\n";
    } else if (line.rfind(hoadPrefix, 0) == 0) {
      // "I" and 8 hex digits, or "6" and 32.
      const std::string value = line.substr(hoadPrefix.size());
      EXPECT_TRUE(value.size() == 1 + 8 + 2 || value.size() == 1 + 32 + 2) << line;
    } else {
      result += line;
    }
  }
  EXPECT_EQ(hostLines, 1);
  return result;
}

std::string Lines(const Printer& p, const JobInput& job) {
  const FilterRun run = RunJob(p, job);
  EXPECT_EQ(run.exitStatus, 0) << Describe(p);
  return AccountLines(run.out);
}

std::string Attr(const std::string& text) { return "@PJL SET JOBATTR=\"@" + text + "\"\r\n"; }
std::string AttrLF(const std::string& text) { return "@PJL SET JOBATTR=\"@" + text + "\"\n"; }

TEST(AccountTest, EveryJobWithoutAccountTickets) {
  for (const Printer& p : AllPrinters()) {
    // The user-ID ticket is absent, so ticketfilter also names the login user as account user;
    // ticketfilter-basic writes neither that nor the N-up text.
    const std::string expected =
        p.basic ? "<CNAM>\n" + AttrLF("LUNA=tux")
                : "<CNAM>\n" + AttrLF("LUNA=tux") + AttrLF("NLPP=1") + Attr("JOAU=tux");
    EXPECT_EQ(Lines(p, JobInput()), expected) << Describe(p);
    // With no user name at all the login user is "UnknownUser".
    EXPECT_NE(Lines(p, WithUser("")).find(AttrLF("LUNA=UnknownUser")), std::string::npos)
        << Describe(p);
  }
}

TEST(AccountTest, UserModeLoginNameSetInTheDialog) {
  const Tickets tickets = {{"JBAManageTypeListTicketKey", "2"},
                           {"JBAUserSettingRadioBtnTicket", "1"},
                           {"JBAUserIDListCtrlTicket", "1"},
                           {"JBAInfoListTicketKey", "0"},
                           {"JBAUserIDTextEditTicket", ""}};
  for (const Printer& p : AllPrinters()) {
    const std::string expected =
        p.basic ? "<CNAM>\n" + AttrLF("LUNA=tux") + Attr("JOAU=tux") + Attr("JOEP=") +
                      Attr("DAID=")
                : "<CNAM>\n" + AttrLF("LUNA=tux") + AttrLF("NLPP=1") + Attr("JOAU=tux") +
                      Attr("JOEP=") + Attr("DAID=") + Attr("ACNA=Test Job");
    EXPECT_EQ(Lines(p, WithTickets(tickets)), expected) << Describe(p);
  }
  // Without the user-ID ticket the login user is named twice.
  const Tickets noUserID(tickets.begin(), tickets.end() - 1);
  EXPECT_EQ(Lines(AllPrinters()[0], WithTickets(noUserID)),
            "<CNAM>\n" + AttrLF("LUNA=tux") + AttrLF("NLPP=1") + Attr("JOAU=tux") +
                Attr("JOAU=tux") + Attr("JOEP=") + Attr("DAID=") + Attr("ACNA=Test Job"));
}

TEST(AccountTest, UserModeTypedIDWithEveryValue) {
  const Tickets tickets = {{"JBAManageTypeListTicketKey", "2"},
                           {"JBAUserSettingRadioBtnTicket", "1"},
                           {"JBAUserIDListCtrlTicket", "2"},
                           {"JBAUserIDTextEditTicket", "u42"},
                           {"JBAUserPasswordTextEditTicket", "pw"},
                           {"JBADomainNameTextEditTicket", "corp"},
                           {"JBAAccountIDTextEditTicket", "7001"},
                           {"JBAStorageIDTextEditTicket", "box9"},
                           {"JBAStoragePasswordTextEditTicket", "sp"}};
  for (const Printer& p : AllPrinters()) {
    EXPECT_EQ(Lines(p, WithTickets(tickets)),
              "<CNAM>\n" + AttrLF("LUNA=tux") + (p.basic ? "" : AttrLF("NLPP=1")) +
                  Attr("JOAU=u42") + Attr("JOEP=pw") + Attr("JOAD=corp") + Attr("DAID=7001") +
                  Attr("ACID=box9") + (p.basic ? "" : Attr("ACNA=Test Job")) + Attr("ACEP=sp"))
        << Describe(p);
  }
}

TEST(AccountTest, InfoListAndInfoSetListChooseTheUserID) {
  const Tickets base = {{"JBAManageTypeListTicketKey", "2"},
                        {"JBAUserSettingRadioBtnTicket", "1"},
                        {"JBAUserIDListCtrlTicket", "1"},
                        {"JBAUserIDTextEditTicket", ""},
                        {"JBAAccountIDTextEditTicket", "7001"}};
  struct Case {
    const char* infoList;
    const char* infoSetList;
    std::string joau;  // ticketfilter's user-ID line
  };
  const Case cases[] = {
      {"1", "8", AttrLF("JOAU=UnknownUser")},  // infoSetList 8: unknown, though the name is known
      {"2", "0", AttrLF("JOAU=UnknownUser")},  // billing only
      {"1", "0", Attr("JOAU=tux")},
      {"3", "0", Attr("JOAU=tux")},
  };
  for (const Case& c : cases) {
    Tickets tickets = base;
    tickets.push_back({"JBAInfoListTicketKey", c.infoList});
    tickets.push_back({"JBAInfoSetListTicketKey", c.infoSetList});
    for (const Printer& p : AllPrinters()) {
      // ticketfilter-basic reads neither ticket: the login name is the user ID.
      EXPECT_EQ(Lines(p, WithTickets(tickets)),
                "<CNAM>\n" + AttrLF("LUNA=tux") + (p.basic ? "" : AttrLF("NLPP=1")) +
                    (p.basic ? Attr("JOAU=tux") : c.joau) + Attr("JOEP=") + Attr("DAID=7001") +
                    (p.basic ? "" : Attr("ACNA=Test Job")))
          << Describe(p) << " infoList " << c.infoList << " infoSetList " << c.infoSetList;
    }
  }
}

TEST(AccountTest, AdministratorRowsComeBeforeTheHostName) {
  const Tickets tickets = {{"JBAManageTypeListTicketKey", "1"},
                           {"JBAAdminUserSettingRadioBtnTicket", "1"},
                           {"JBAAdminUserIDListCtrlTicket", "2"},
                           {"JBAAdminUserIDTextEditTicket", "boss"},
                           {"JBAAdminUserPasswordTextEditTicket", "pw"},
                           {"JBAAdminAccountIDTextEditTicket", "900"},
                           // User-mode values are not written in the administrator mode.
                           {"JBAUserSettingRadioBtnTicket", "1"},
                           {"JBAUserIDListCtrlTicket", "2"},
                           {"JBAUserIDTextEditTicket", "someone"}};
  for (const Printer& p : AllPrinters()) {
    EXPECT_EQ(Lines(p, WithTickets(tickets)),
              Attr("JOAU=boss") + Attr("JOEP=pw") + Attr("DAID=900") +
                  (p.basic ? "" : Attr("ACNA=Test Job")) + "<CNAM>\n" + AttrLF("LUNA=tux") +
                  (p.basic ? "" : AttrLF("NLPP=1")))
        << Describe(p);
  }
}

TEST(AccountTest, JobInputWithAuthenticationAndStorage) {
  const Tickets tickets = {{"JBAManageTypeListTicketKey", "2"},
                           {"JBAUserInputRadioBtnTicket", "1"},
                           {"JBAInputAuthRadioBtnTicketKey", "1"},
                           {"JBAInputStrgRadioBtnTicketKey", "1"},
                           {"JBAInfoListTicketKey", "1"},
                           {"JBAUserIDTextEditTicket", ""},
                           {"JBAInputUserIDTextEditTicket", "jdoe"},
                           {"JBAInputUserPasswordTextEditTicket", "pw"},
                           {"JBAInputDomainNameTextEditTicket", "dom"},
                           {"JBAInputAccountIDTextEditTicket", "42"},
                           {"JBAInputStorageIDTextEditTicket", "st1"},
                           {"JBAInputStoragePasswordTextEditTicket", "sp"}};
  for (const Printer& p : AllPrinters()) {
    // Both groups: two user IDs, two passwords, the storage rows' fixed values ending in LF.
    EXPECT_EQ(Lines(p, WithTickets(tickets)),
              "<CNAM>\n" + AttrLF("LUNA=tux") + (p.basic ? "" : AttrLF("NLPP=1")) +
                  Attr("JOAU=jdoe") + Attr("JOEP=pw") + Attr("JOAD=dom") + Attr("DAID=42") +
                  Attr("DAID=") + Attr("ACID=st1") + (p.basic ? "" : Attr("ACNA=Test Job")) +
                  AttrLF("JOAU=UnknownUser") + AttrLF("JOEP=") + Attr("ACEP=sp"))
        << Describe(p);
  }
  // ticketfilter: infoSetList 8 hides the typed user ID, password and account ID.
  Tickets hidden = tickets;
  hidden.push_back({"JBAInfoSetListTicketKey", "8"});
  EXPECT_EQ(Lines(AllPrinters()[1], WithTickets(hidden)),
            "<CNAM>\n" + AttrLF("LUNA=tux") + AttrLF("NLPP=1") + Attr("JOAU=UnknownUser") +
                Attr("JOEP=") + Attr("JOAD=dom") + Attr("DAID=") + Attr("DAID=") +
                Attr("ACID=st1") + Attr("ACNA=Test Job") + AttrLF("JOAU=UnknownUser") +
                AttrLF("JOEP=") + Attr("ACEP=sp"));
}

TEST(AccountTest, NUpTextFromNumberUpOrLayout) {
  struct Case {
    const char* options;
    const char* nlpp;
  };
  const Case cases[] = {
      {"number-up=4", "N4"},
      {"com.apple.print.PrintSettings.PMLayoutRows..n.=2 "
       "com.apple.print.PrintSettings.PMLayoutColumns..n.=3",
       "N6"},
      {"number-up=2 com.apple.print.PrintSettings.PMLayoutRows..n.=3", "N2"},
  };
  for (const Case& c : cases) {
    for (const Printer& p : AllPrinters()) {
      const std::string lines = Lines(p, WithOptions(c.options));
      if (p.basic) {
        EXPECT_EQ(lines.find("NLPP"), std::string::npos) << Describe(p);
      } else {
        EXPECT_NE(lines.find(AttrLF(std::string("NLPP=") + c.nlpp)), std::string::npos)
            << Describe(p) << " " << c.options;
      }
    }
  }
}

TEST(AccountTest, ValuesInThePrinterEncodingAndCutToTheirField) {
  std::string yamada96;  // 山 repeated: 32 whole UTF-8 characters are 96 bytes
  for (int i = 0; i < 40; ++i) yamada96 += "山";
  for (const Printer& p : AllPrinters()) {
    const Tickets typed = {{"JBAManageTypeListTicketKey", "2"},
                           {"JBAUserSettingRadioBtnTicket", "1"},
                           {"JBAUserIDListCtrlTicket", "2"},
                           {"JBAUserIDTextEditTicket", std::string(120, 'a')},
                           {"JBAAccountIDTextEditTicket", "1"}};
    const std::string lines = Lines(p, WithTickets(typed));
    EXPECT_NE(lines.find(Attr("JOAU=" + std::string(96, 'a'))), std::string::npos) << Describe(p);

    // A 254-byte password does not fit a 229-byte command: the value is shortened, the quote
    // and the line end stay.
    Tickets longPassword = typed;
    longPassword.push_back({"JBAUserPasswordTextEditTicket", std::string(300, 'p')});
    EXPECT_NE(Lines(p, WithTickets(longPassword)).find(Attr("JOEP=" + std::string(202, 'p'))),
              std::string::npos)
        << Describe(p);

    // The user ID is UTF-8 in UTF-8 mode, Shift-JIS otherwise (山: E5 B1 B1 / 8E 52, iconv).
    Tickets japanese = typed;
    japanese[3].second = yamada96;
    std::string expected;
    for (int i = 0; i < (p.utf8 ? 32 : 40); ++i) expected += p.utf8 ? "\xe5\xb1\xb1" : "\x8e\x52";
    EXPECT_NE(Lines(p, WithTickets(japanese)).find(Attr("JOAU=" + expected)), std::string::npos)
        << Describe(p);
  }
}

// A value longer than its line is shortened by the characters of its own encoding.  The
// passwords stay Shift-JIS on every printer, so a UTF-8 printer must not cut them as UTF-8 (which
// left a lone lead byte before the closing quote); the login name on a UTF-8 printer is UTF-8.
TEST(AccountTest, LongValuesAreCutByTheCharactersOfTheirOwnEncoding) {
  std::string password = "a";
  std::string shiftJis = "a";  // "a" and 100 of あ (82 A0): what the 202 bytes of room hold whole
  for (int i = 0; i < 127; ++i) password += "あ";
  for (int i = 0; i < 100; ++i) shiftJis += "\x82\xa0";
  const Tickets userMode = {{"JBAManageTypeListTicketKey", "2"},
                            {"JBAUserSettingRadioBtnTicket", "1"},
                            {"JBAUserIDListCtrlTicket", "2"},
                            {"JBAUserIDTextEditTicket", "u42"},
                            {"JBAUserPasswordTextEditTicket", password}};
  const Tickets adminMode = {{"JBAManageTypeListTicketKey", "1"},
                             {"JBAAdminUserSettingRadioBtnTicket", "1"},
                             {"JBAAdminUserIDListCtrlTicket", "2"},
                             {"JBAAdminUserIDTextEditTicket", "boss"},
                             {"JBAAdminUserPasswordTextEditTicket", password}};
  const Tickets entered = {{"JBAManageTypeListTicketKey", "2"},
                           {"JBAUserInputRadioBtnTicket", "1"},
                           {"JBAInputAuthRadioBtnTicketKey", "1"},
                           {"JBAInputUserIDTextEditTicket", "jdoe"},
                           {"JBAInputUserPasswordTextEditTicket", password}};
  const std::pair<const char*, const Tickets*> passwords[] = {
      {"user password", &userMode}, {"administrator password", &adminMode},
      {"entered password", &entered}};
  for (const Printer& p : AllPrinters()) {
    for (const auto& [what, tickets] : passwords) {
      const std::string lines = Lines(p, WithTickets(*tickets));
      EXPECT_NE(lines.find(Attr("JOEP=" + shiftJis)), std::string::npos)
          << Describe(p) << ", " << what << ":\n" << lines;
    }
    // The login name: UTF-8 on a UTF-8 printer (67 of あ, E3 81 82, fill 201 of the 203 bytes of
    // room), Shift-JIS otherwise (101 of them fill 202).
    std::string user, expected;
    for (int i = 0; i < 300; ++i) user += "あ";
    for (int i = 0; i < (p.utf8 ? 67 : 101); ++i) expected += p.utf8 ? "\xe3\x81\x82" : "\x82\xa0";
    EXPECT_NE(Lines(p, WithUser(user)).find(AttrLF("LUNA=" + expected)), std::string::npos)
        << Describe(p);
  }
}

// No header line may start a command that the job's text smuggled in, and every account line
// keeps exactly its two quotes.
void ExpectNoInjectedCommand(const std::string& out, const std::string& what) {
  const std::string header = out.substr(0, out.find(kEnterPostScript));
  std::size_t pos = 0;
  while (pos < header.size()) {
    std::size_t end = header.find('\n', pos);
    end = end == std::string::npos ? header.size() : end + 1;
    const std::string line = header.substr(pos, end - pos);
    pos = end;
    EXPECT_NE(line.rfind("@PJL SET EVIL", 0), 0u) << what;
    if (line.rfind("@PJL SET JOBATTR=", 0) == 0) {
      EXPECT_EQ(std::count(line.begin(), line.end(), '"'), 2) << what << ": " << line;
    }
  }
}

TEST(AccountTest, InjectionThroughTicketsAndTheUserName) {
  const std::string text = "x\"\n@PJL SET EVIL=1";
  const std::string list = "/120/34/10/64/80/74/76";  // x " LF @ P J L
  for (const Printer& p : AllPrinters()) {
    for (const std::string& value : {text, list}) {
      const Tickets tickets = {{"JBAManageTypeListTicketKey", "2"},
                               {"JBAUserSettingRadioBtnTicket", "1"},
                               {"JBAUserIDListCtrlTicket", "2"},
                               {"JBAUserIDTextEditTicket", value},
                               {"JBADomainNameTextEditTicket", value},
                               {"JBAAccountIDTextEditTicket", value}};
      const FilterRun run = RunJob(p, WithTickets(tickets));
      const std::string kept = value == list ? "x@PJL" : "x@PJL SET EVIL=1";
      const std::string lines = AccountLines(run.out);
      EXPECT_NE(lines.find(Attr("JOAU=" + kept)), std::string::npos) << Describe(p) << lines;
      EXPECT_NE(lines.find(Attr("JOAD=" + kept)), std::string::npos) << Describe(p) << lines;
      EXPECT_NE(lines.find(Attr("DAID=" + kept)), std::string::npos) << Describe(p) << lines;
      ExpectNoInjectedCommand(run.out, Describe(p) + " ticket");
    }
    // The login user name, and the title through the storage document name.
    JobInput job = WithTickets({{"JBAManageTypeListTicketKey", "2"},
                                {"JBAUserSettingRadioBtnTicket", "1"},
                                {"JBAUserIDListCtrlTicket", "1"}});
    job.user = "tux\"\n@PJL SET EVIL=1";
    job.title = "doc\"\x1b%-12345X";
    const FilterRun run = RunJob(p, job);
    ExpectNoInjectedCommand(run.out, Describe(p) + " user name");
    EXPECT_EQ(run.out.find("\x1b%-12345X", 1), run.out.rfind("\x1b%-12345X")) << Describe(p);
  }
}

}  // namespace
}  // namespace tf::test
