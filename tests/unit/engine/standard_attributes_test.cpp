// Standard job attributes as tickets: what each attribute adds, the ticket-wins rule, the
// refusals of a password or account value the printer cannot take, the scheduler's appended
// finishing choices, and the table against the module records and the sample PPDs.
#include "engine/standard_attributes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "modules/jba/jba.h"
#include "modules/printtype/printtype.h"
#include "platform/ppd.h"
#include "support/job_harness.h"
#include "ticketfilter-basic/jba_tables.h"
#include "ticketfilter/jba_tables.h"

namespace tf::test {
namespace {

constexpr char kFull[] = "com.brantlowe.ticket.";
constexpr char kBasic[] = "com.brantlowe.basicticket.";

std::string SamplePpd(const std::string& name) {
  return std::string(TF_TEST_DATA_DIR) + "/../../ppd/" + name;
}

using Options = std::map<std::string, std::string>;

struct Applied {
  Options before;
  Options after;
  StandardAttributeResult result;
  // The options the application added or changed.
  Options Changed() const {
    Options changed;
    for (const auto& [name, value] : after) {
      const auto it = before.find(name);
      if (it == before.end() || it->second != value) changed[name] = value;
    }
    return changed;
  }
};

struct Printer {
  std::string prefix = kFull;
  std::string user = "tux";
  std::string form;                          // the printer's PIN form
  std::string ppd = "tf-color-utf8.ppd";     // offers its choices; empty: offers none
  bool withText = true;                      // the option text is handed in
};

Options AsMap(int count, const cups_option_t* options) {
  Options map;
  for (int i = 0; i < count; ++i) map[options[i].name] = options[i].value;
  return map;
}

Applied Apply(const std::string& text, const Printer& setup = {}) {
  PpdFile ppd;
  if (!setup.ppd.empty()) {
    EXPECT_TRUE(ppd.Open(SamplePpd(setup.ppd).c_str())) << setup.ppd;
  }
  cups_option_t* options = nullptr;
  int count = cupsParseOptions(text.c_str(), 0, &options);
  Applied applied;
  applied.before = AsMap(count, options);
  StandardAttributeContext context;
  context.ticketKeyPrefix = setup.prefix;
  context.jobUser = setup.user;
  context.passwordForm = setup.form;
  if (!setup.ppd.empty()) {
    context.offersChoice = [&ppd](const char* option, const char* choice) {
      return ppd.HasChoice(option, choice);
    };
  }
  context.optionsText = setup.withText ? text.c_str() : nullptr;
  applied.result = ApplyStandardAttributes(&count, &options, context);
  applied.after = AsMap(count, options);
  cupsFreeOptions(count, options);
  return applied;
}

Options Prefixed(const Options& tickets, const std::string& prefix = kFull) {
  Options result;
  for (const auto& [name, value] : tickets) {
    const bool plain = name.rfind("QM", 0) == 0;
    result[plain ? name : prefix + name] = value;
  }
  return result;
}

const Options kSecurePrint = {{"PrintTypeTicketKey", "2"},
                              {"PrintTypeUserNameTicketKey", "tux"},
                              {"PrintTypePasswordTicketKey", "1234"},
                              {"DocumentNameTypeTicketKey", "1"}};

TEST(StandardAttributesTest, EachAttributeGivesItsTickets) {
  struct Case {
    std::string text;
    Options tickets;  // own names; the QM... options as they stand
  };
  const Case cases[] = {
      {"job-password=1234", kSecurePrint},
      {"job-password=1234 job-password-encryption=none", kSecurePrint},
      // The accounting user is the held job's user, and the account's typed user ID.
      {"job-password=1234 job-accounting-user-id=bob",
       {{"PrintTypeTicketKey", "2"},
        {"PrintTypeUserNameTicketKey", "bob"},
        {"PrintTypePasswordTicketKey", "1234"},
        {"DocumentNameTypeTicketKey", "1"},
        {"JBAManageTypeListTicketKey", "2"},
        {"JBAUserSettingRadioBtnTicket", "1"},
        {"JBAUserIDListCtrlTicket", "2"},
        {"JBAUserIDTextEditTicket", "bob"}}},
      {"job-account-id=ACC9 job-accounting-user-id=bob",
       {{"JBAManageTypeListTicketKey", "2"},
        {"JBAUserSettingRadioBtnTicket", "1"},
        {"JBAUserIDListCtrlTicket", "2"},
        {"JBAUserIDTextEditTicket", "bob"},
        {"JBAAccountIDTextEditTicket", "ACC9"}}},
      // Without an accounting user the login name is the user ID, as the dialog sends it.
      {"job-account-id=ACC9",
       {{"JBAManageTypeListTicketKey", "2"},
        {"JBAUserSettingRadioBtnTicket", "1"},
        {"JBAUserIDListCtrlTicket", "1"},
        {"JBAInfoListTicketKey", "0"},
        {"JBAUserIDTextEditTicket", ""},
        {"JBAAccountIDTextEditTicket", "ACC9"}}},
      {"finishings=20", {{"QMStaple", "UpperLeftSingle"}}},
      {"finishings=4,29", {{"QMStaple", "TopDouble"}}},  // the specific row first
      {"finishings=29,4", {{"QMStaple", "TopDouble"}}},
      {"finishings=22,79", {{"QMStaple", "UpperRightSingle"}, {"QMPunch", "Top"},
                            {"QMNumPunchHoles", "3Holes"}}},
      {"finishings=5", {{"QMPunch", "Left"}}},
      {"finishings=84", {{"QMPunch", "Right"}, {"QMNumPunchHoles", "4Holes"}}},
      {"finishings=13", {{"QMSignature", "LeftSigCenterStaple"}}},
      {"finishings=93", {{"QMSignature", "LeftSigFold"}}},
      {"finishings=51", {{"QMPBindPosition", "BindTop"}}},
      {"print-color-mode=monochrome", {{"QMColorMode", "Black"}}},
      {"print-color-mode=color", {{"QMColorMode", "Color"}}},
      {"print-color-mode=auto", {{"QMColorMode", "Auto"}}},
      {"print-color-mode=bi-level", {{"QMColorMode", "Black"}}},
      // Values of no row.
      {"print-color-mode=highlight", {}},
      {"finishings=3", {}},
      {"finishings=120,200,2", {}},
      {"finishings=3,none", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const Applied applied = Apply(c.text);
    EXPECT_EQ(applied.result.refusal, "");
    EXPECT_EQ(applied.Changed(), Prefixed(c.tickets));
    EXPECT_EQ(applied.result.added.size(), c.tickets.size());
  }
}

TEST(StandardAttributesTest, AJobWithoutTheAttributesKeepsItsOptions) {
  // What the scheduler sends with every job, and jobs of the print dialog.
  for (const char* text :
       {"", "sides=two-sided-long-edge number-up=2 QMStaple=TopDouble",
        "finishings=3 number-up=1 print-quality=4 job-uuid=urn:uuid:1 "
        "job-originating-host-name=localhost date-time-at-creation= time-at-creation=1 "
        "document-name-supplied=doc.ps",
        "com.brantlowe.ticket.PrintTypeTicketKey=2 "
        "com.brantlowe.ticket.JBAManageTypeListTicketKey=2"}) {
    SCOPED_TRACE(text);
    const Applied applied = Apply(text);
    EXPECT_EQ(applied.after, applied.before);
    EXPECT_TRUE(applied.result.added.empty());
    EXPECT_EQ(applied.result.refusal, "");
  }
}

TEST(StandardAttributesTest, ATicketOfTheJobWinsOverTheWholeGroup) {
  const char* const cases[] = {
      // Any print-type ticket: the dialog chose how the job is held.
      "job-password=1234 com.brantlowe.ticket.PrintTypeTicketKey=1",
      "job-password=1234 com.brantlowe.ticket.DelayPrintTicketKey=0930",
      "job-password=1234 com.brantlowe.ticket.PrintTypePasswordTicketKey=9999",
      // Even a password the printer could not take: the dialog's tickets decide.
      "job-password=abc job-password-encryption=sha2-256 com.brantlowe.ticket.PrintTypeTicketKey=2",
      // Any account ticket.
      "job-account-id=A job-accounting-user-id=b com.brantlowe.ticket.JBAMacHostNameStringTicket=x",
      "job-account-id=A com.brantlowe.ticket.JBAManageTypeListTicketKey=1",
      // The printer option itself, or its partner of the same group.
      "finishings=20 QMStaple=None",
      "finishings=74 QMNumPunchHoles=3Holes",
      "finishings=93 QMSigVol=5Sheets",
      "print-color-mode=monochrome QMColorMode=Auto",
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    const Applied applied = Apply(text);
    EXPECT_EQ(applied.result.refusal, "");
    EXPECT_EQ(applied.Changed(), Options{});
  }
  // Only the program's own prefix counts: ticketfilter-basic ignores ticketfilter's tickets.
  Printer basic;
  basic.prefix = kBasic;
  const Applied applied =
      Apply("job-password=1234 com.brantlowe.ticket.PrintTypeTicketKey=1", basic);
  EXPECT_EQ(applied.Changed(), Prefixed(kSecurePrint, kBasic));
  // The groups are independent: a staple ticket leaves the punch of the finishings.
  EXPECT_EQ(Apply("finishings=20,74 QMStaple=TopDouble").Changed(),
            (Options{{"QMPunch", "Left"}, {"QMNumPunchHoles", "2Holes"}}));
}

TEST(StandardAttributesTest, EveryTicketOfTheModulesCountsForItsGroup) {
  // The groups are the modules' own ticket tables: any of their tickets keeps the attributes out.
  for (const TicketDataEntry& row : PrintTypeModule.ticketTables[0]) {
    SCOPED_TRACE(row.key);
    EXPECT_EQ(Apply(std::string("job-password=1 ") + kFull + row.key + "=x").Changed(), Options{});
  }
  const std::pair<const Program*, const JBATables*> programs[] = {
      {&FullProgram(), &TicketfilterAccountTables},
      {&BasicProgram(), &TicketfilterBasicAccountTables}};
  for (const auto& [program, account] : programs) {
    for (const auto& table : {account->ticketDataCommon, account->ticketDataAdmin}) {
      for (const TicketDataEntry& row : table) {
        if (row.keyKind != KeyKind::Prefixed) continue;
        SCOPED_TRACE(row.key);
        Printer setup;
        setup.prefix = program->traits.ticketKeyPrefix;
        const std::string text =
            std::string("job-account-id=1 ") + program->traits.ticketKeyPrefix + row.key + "=x";
        EXPECT_EQ(Apply(text, setup).Changed(), Options{});
      }
    }
  }
}

TEST(StandardAttributesTest, RefusedPasswordsAndAccountValuesNeverEchoTheValue) {
  struct Case {
    std::string text;
    std::string form;
    std::string user;
    std::string refusal;  // empty: accepted
  };
  const std::string marker = "Zq7";  // part of every refused value; must not appear in a message
  const std::string encrypted =
      "The job password was sent encrypted; the printer needs the password itself to hold the "
      "job for its owner, so the job is not printed.";
  const std::string pin16 =
      "The job password does not fit the printer (at most 16 characters); the job is not printed.";
  const Case cases[] = {
      {"job-password=" + marker + " job-password-encryption=sha2-256", "", "tux", encrypted},
      {"job-password=" + marker + " job-password-encryption=md5", "", "tux", encrypted},
      {"job-password=", "", "tux",
       "The job password is empty; the printer cannot hold the job without one, so the job is "
       "not printed."},
      {"job-password=" + marker + "4567890123456", "", "tux", ""},    // 16 characters
      {"job-password=" + marker + "45678901234567", "", "tux", pin16},  // 17
      {"job-password='" + marker + "\"1'", "", "tux", pin16},           // a double quote
      {"job-password='" + marker + "\t1'", "", "tux", pin16},           // a control character
      {"job-password=" + marker + "\xc3\xa4", "", "tux", pin16},        // not ASCII
      // The printer's PIN form: its length and the class of each place.
      {"job-password=1234", "1111", "tux", ""},
      {"job-password=12", "1111", "tux", ""},
      {"job-password=12345", "1111", "tux",
       "The job password does not fit the printer (at most 4 digits); the job is not printed."},
      {"job-password=12" + marker, "1111111111111111", "tux",
       "The job password does not fit the printer (at most 16 digits); the job is not printed."},
      {"job-password=Zqa1", "AAA1", "tux", ""},
      {"job-password=" + marker + "x", "AAA1", "tux",
       "The job password does not fit the printer (at most 4 characters); the job is not "
       "printed."},
      {"job-password=a.b-", "CCCC", "tux", ""},
      {"job-password=a b", "...", "tux", ""},
      // The held job's user: the accounting user, else the job's user, at most 72 bytes.
      {"job-password=1 job-accounting-user-id=" + marker + std::string(69, 'u'), "", "tux", ""},
      {"job-password=1 job-accounting-user-id=" + marker + std::string(70, 'u'), "", "tux",
       "The user name of the held job does not fit the printer (at most 72 bytes, without quotes "
       "or control characters); the job is not printed."},
      {"job-password=1", "", "a\"" + marker, "The user name of the held job does not fit the "
       "printer (at most 72 bytes, without quotes or control characters); the job is not "
       "printed."},
      // Accounting alone takes a user ID of up to 96 bytes and an account ID of up to 32.
      {"job-accounting-user-id=" + marker + std::string(70, 'u'), "", "tux", ""},
      {"job-accounting-user-id=" + marker + std::string(94, 'u'), "", "tux",
       "The accounting user ID does not fit the printer (at most 96 bytes, without quotes or "
       "control characters); the job is not printed."},
      {"job-account-id=" + marker + std::string(29, '9'), "", "tux", ""},
      {"job-account-id=" + marker + std::string(30, '9'), "", "tux",
       "The account ID does not fit the printer (at most 32 bytes, without quotes or control "
       "characters); the job is not printed."},
      {"job-account-id='" + marker + "\x7f'", "", "tux",
       "The account ID does not fit the printer (at most 32 bytes, without quotes or control "
       "characters); the job is not printed."},
      {"job-account-id=" + marker + "\xff", "", "tux",
       "The account ID does not fit the printer (at most 32 bytes, without quotes or control "
       "characters); the job is not printed."},
      {"job-account-id=K\xc3\xb6ln", "", "tux", ""},  // UTF-8 text is taken
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Printer setup;
    setup.form = c.form;
    setup.user = c.user;
    const Applied applied = Apply(c.text, setup);
    EXPECT_EQ(applied.result.refusal, c.refusal);
    EXPECT_EQ(applied.result.refusal.find(marker), std::string::npos);
    if (c.refusal.empty()) {
      EXPECT_FALSE(applied.result.added.empty());
    }
  }
}

TEST(StandardAttributesTest, OnlyChoicesThePrinterHasAreAdded) {
  // The monochrome Shift-JIS printer has no perfect binding and no colour option.
  Printer mono;
  mono.ppd = "tf-mono-bytemode.ppd";
  EXPECT_EQ(Apply("finishings=50,20 print-color-mode=monochrome", mono).Changed(),
            (Options{{"QMStaple", "UpperLeftSingle"}}));
  // Without a printer to ask, no printer option is added; the maker tickets still are.
  Printer none;
  none.ppd = "";
  EXPECT_EQ(Apply("finishings=20 job-account-id=7", none).Changed().count("QMStaple"), 0u);
  EXPECT_EQ(Apply("finishings=20 job-account-id=7", none).Changed().size(), 6u);
}

TEST(StandardAttributesTest, TheJobsOwnFinishingChoiceWinsOverTheSchedulersMapping) {
  // The scheduler appends the choices of *cupsIPPFinishings after the job's own options.
  struct Case {
    std::string text;
    std::string staple;  // QMStaple afterwards
  };
  const Case cases[] = {
      {"QMStaple=TopDouble finishings=20 number-up=1 QMStaple=UpperLeftSingle", "TopDouble"},
      {"finishings=20 QMStaple=UpperLeftSingle", "UpperLeftSingle"},
      // Quotes, escapes and collections before it are read as cupsParseOptions reads them.
      {"a='x QMStaple=LeftDouble' b={c=d e='f g'} h=i\\ QMStaple=None j=\"k\\\"l m\" "
       "QMStaple=TopDouble finishings=20 QMStaple=UpperLeftSingle",
       "TopDouble"},
      {"QMStaple='Top Double' finishings=20 QMStaple=UpperLeftSingle", "Top Double"},
      {"nocollate QMStaple=TopDouble finishings=20 QMStaple=UpperLeftSingle", "TopDouble"},
      // Without finishings a repeated option is left to cupsParseOptions (the last wins).
      {"QMStaple=TopDouble QMStaple=UpperLeftSingle", "UpperLeftSingle"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Apply(c.text).after["QMStaple"], c.staple);
  }
  // A list of options without its text (a printer application's job) has nothing to put back.
  Printer noText;
  noText.withText = false;
  EXPECT_EQ(Apply(cases[0].text, noText).after["QMStaple"], "UpperLeftSingle");
}

TEST(StandardAttributesTableTest, TheLimitsAreTheTicketFieldsLessTheirTerminator) {
  const std::map<std::string, std::size_t> fields = {
      {"PrintTypeUserNameTicketKey", sizeof(PrintTypeOptions{}.userName)},
      {"PrintTypePasswordTicketKey", sizeof(PrintTypeOptions{}.password)},
      {"JBAUserIDTextEditTicket", sizeof(JBAOptions{}.userID)},
      {"JBAAccountIDTextEditTicket", sizeof(JBAOptions{}.accountID)},
  };
  for (const StandardAttributeRow& row : StandardAttributeTable()) {
    if (row.check == StdCheck::None) continue;
    SCOPED_TRACE(row.ticket);
    ASSERT_TRUE(fields.count(row.ticket));
    EXPECT_EQ(static_cast<std::size_t>(row.limit), fields.at(row.ticket) - 1);
  }
}

TEST(StandardAttributesTableTest, TheSamplePpdsMapFinishingsAsTheTableDoes) {
  // For each sample PPD: its *cupsIPPFinishings lines, and the table's finishing rows whose
  // choice the printer has, name the same option choices for the same numbers.
  const std::regex line(R"re(^\*cupsIPPFinishings (\d+)/[^:]*: "([^"]*)")re");
  const std::regex pair(R"re(\*(\w+) (\w+))re");
  for (const char* name :
       {"tf-color-utf8.ppd", "tf-mono-bytemode.ppd", "tf-basic.ppd", "tf-mono-decomp.ppd"}) {
    SCOPED_TRACE(name);
    using Mapping = std::map<std::string, std::set<std::pair<std::string, std::string>>>;
    Mapping declared;
    std::ifstream file(SamplePpd(name));
    ASSERT_TRUE(file.good());
    for (std::string text; std::getline(file, text);) {
      std::smatch match;
      if (!std::regex_search(text, match, line)) continue;
      const std::string choices = match[2];
      for (auto it = std::sregex_iterator(choices.begin(), choices.end(), pair);
           it != std::sregex_iterator(); ++it) {
        declared[match[1]].insert({(*it)[1], (*it)[2]});
      }
    }
    PpdFile ppd;
    ASSERT_TRUE(ppd.Open(SamplePpd(name).c_str()));
    Mapping table;
    for (const StandardAttributeRow& row : StandardAttributeTable()) {
      if (std::string(row.attribute) != kFinishingsAttribute) continue;
      if (ppd.HasChoice(row.ticket, row.text)) table[row.operand].insert({row.ticket, row.text});
    }
    EXPECT_EQ(declared, table);
    for (const auto& [number, choices] : declared) {
      for (const auto& [option, choice] : choices) {
        EXPECT_TRUE(ppd.HasChoice(option.c_str(), choice.c_str())) << option << " " << choice;
      }
    }
  }
}

}  // namespace
}  // namespace tf::test
