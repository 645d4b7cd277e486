// The options text of a job of the printer application: standard attributes passed on as CUPS
// passes them, the job's vendor attributes as PPD choices and tickets, the printer's defaults for
// what the job leaves open (never over a standard attribute that decides the same option, never a
// print type over a password), and values the service cannot use left out with a warning.
#include "job_options.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <map>

namespace tf::app {
namespace {

const std::string kPpdDirectory = std::string(TF_SOURCE_DIR) + "/ppd";
constexpr char kPrefix[] = "com.brantlowe.ticket.";

const DriverProfile& Profile(const char* driver) {
  static std::map<std::string, std::unique_ptr<DriverProfile>> profiles;
  auto& profile = profiles[driver];
  if (!profile) {
    std::string error;
    profile = LoadDriverProfile(*FindDriver(driver), kPpdDirectory, &error);
  }
  return *profile;
}

// The options text read back as cupsParseOptions reads it (the job core's reading).
std::map<std::string, std::string> Parse(const std::string& text) {
  cups_option_t* options = nullptr;
  const int count = cupsParseOptions(text.c_str(), 0, &options);
  std::map<std::string, std::string> parsed;
  for (int i = 0; i < count; ++i) parsed[options[i].name] = options[i].value;
  cupsFreeOptions(count, options);
  return parsed;
}

JobFacts PlainJob() {
  JobFacts job;
  job.user = "alice";
  job.standard = {{"media", "iso_a4_210x297mm"}, {"sides", "one-sided"},
                  {"print-color-mode", "color"}};
  return job;
}

TEST(JobOptionsTest, StandardAttributesPassAsTheyAreWithoutDefaultsThatMatchThePpd) {
  const JobOptionsResult result = BuildJobOptions(PlainJob(), Profile("tf-color-utf8"), {});
  EXPECT_EQ(result.text, "media=iso_a4_210x297mm sides=one-sided print-color-mode=color");
  EXPECT_TRUE(result.warnings.empty());
}

TEST(JobOptionsTest, PrinterDefaultsFillWhatNeitherTheJobNorItsStandardAttributesDecide) {
  const DriverProfile& profile = Profile("tf-color-utf8");
  const OptionPairs defaults = {{"ticketfilter-staple", "top-double"},
                                {"ticketfilter-punch", "left"},
                                {"ticketfilter-line-weight", "normal"}};
  struct Case {
    const char* finishings;  // the job's finishings, nullptr for none
    const char* staple;      // QMStaple in the text, nullptr for none
    const char* punch;       // QMPunch in the text
  };
  const Case cases[] = {
      {nullptr, "TopDouble", "Left"},  // nothing from the job: both defaults
      {"20", nullptr, "Left"},         // staple from finishings: the table sets it, not the default
      {"74", "TopDouble", nullptr},    // punch from finishings
      {"20,74", nullptr, nullptr},
      {"3", "TopDouble", "Left"},  // finishings none decides nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.finishings ? c.finishings : "(none)");
    JobFacts job = PlainJob();
    if (c.finishings) job.standard.emplace_back("finishings", c.finishings);
    const auto options = Parse(BuildJobOptions(job, profile, defaults).text);
    EXPECT_EQ(options.contains("QMStaple") ? options.at("QMStaple") : "(none)",
              c.staple ? c.staple : "(none)");
    EXPECT_EQ(options.contains("QMPunch") ? options.at("QMPunch") : "(none)",
              c.punch ? c.punch : "(none)");
    // The line weight default is the PPD's own: the job core finds it there.
    EXPECT_FALSE(options.contains("QMLineWeightAdjustment"));
    if (c.finishings) {
      EXPECT_EQ(options.at("finishings"), c.finishings);
    }
  }
}

TEST(JobOptionsTest, JobsOwnVendorValuesWinAndBadOnesAreLeftOutWithAWarning) {
  JobFacts job = PlainJob();
  job.vendor = {{"ticketfilter-staple", "left-double"},
                {"ticketfilter-punch", "Left"},
                {"ticketfilter-account-id", "bad\"id"},
                {"ticketfilter-unknown", "x"}};
  const OptionPairs defaults = {{"ticketfilter-staple", "top-double"},
                                {"ticketfilter-punch", "right"},
                                {"ticketfilter-account-id", "DEPT7"}};
  const JobOptionsResult result = BuildJobOptions(job, Profile("tf-color-utf8"), defaults);
  const auto options = Parse(result.text);
  EXPECT_EQ(options.at("QMStaple"), "LeftDouble");
  EXPECT_EQ(options.at("QMPunch"), "Right");  // the job's value was no keyword of the attribute
  EXPECT_EQ(options.at("job-account-id"), "DEPT7");
  EXPECT_EQ(result.warnings,
            (std::vector<std::string>{
                "The job's ticketfilter-punch is not one of the values of ticketfilter-punch; it "
                "is left out.",
                "The job's ticketfilter-account-id holds a control character, a double quote or a "
                "backslash; it is left out."}));
}

TEST(JobOptionsTest, AccountDefaultsStandForTheStandardAttributesTheJobLacks) {
  const DriverProfile& profile = Profile("tf-color-utf8");
  const OptionPairs defaults = {{"ticketfilter-account-id", "DEPT7"},
                                {"ticketfilter-accounting-user-id", "dept-user"}};
  auto options = Parse(BuildJobOptions(PlainJob(), profile, defaults).text);
  EXPECT_EQ(options.at("job-account-id"), "DEPT7");
  EXPECT_EQ(options.at("job-accounting-user-id"), "dept-user");

  JobFacts job = PlainJob();
  job.standard.emplace_back("job-account-id", "OWN1");
  job.vendor = {{"ticketfilter-accounting-user-id", "bob"}};
  options = Parse(BuildJobOptions(job, profile, defaults).text);
  EXPECT_EQ(options.at("job-account-id"), "OWN1");
  EXPECT_EQ(options.at("job-accounting-user-id"), "bob");

  // A stored default the attribute does not take is never used.
  const JobOptionsResult bad =
      BuildJobOptions(PlainJob(), profile, {{"ticketfilter-account-id", std::string(40, 'x')}});
  EXPECT_FALSE(Parse(bad.text).contains("job-account-id"));
  ASSERT_EQ(bad.warnings.size(), 1u);
  EXPECT_EQ(bad.warnings[0],
            "The printer's ticketfilter-account-id-default is longer than 32 bytes; it is left "
            "out.");
}

TEST(JobOptionsTest, SamplePrintTypeDefaultGivesWayToAPassword) {
  const DriverProfile& profile = Profile("tf-color-utf8");
  const OptionPairs defaults = {{"ticketfilter-print-type", "sample"}};
  auto options = Parse(BuildJobOptions(PlainJob(), profile, defaults).text);
  EXPECT_EQ(options.at(std::string(kPrefix) + "PrintTypeTicketKey"), "3");
  EXPECT_EQ(options.at(std::string(kPrefix) + "PrintTypeUserNameTicketKey"), "alice");
  EXPECT_EQ(options.at(std::string(kPrefix) + "DocumentNameTypeTicketKey"), "1");

  for (const char* password : {"1234", "not-a-pin"}) {
    JobFacts secure = PlainJob();
    secure.password = password;
    const JobOptionsResult result = BuildJobOptions(secure, profile, defaults);
    options = Parse(result.text);
    EXPECT_EQ(options.at("job-password"), password);
    EXPECT_FALSE(options.contains(std::string(kPrefix) + "PrintTypeTicketKey")) << password;
    EXPECT_EQ(result.warnings, (std::vector<std::string>{
                                   "The job asks for secure print; the sample print type is "
                                   "left out."}));
  }

  // The job may ask for normal print on a printer that defaults to sample print.
  JobFacts normal = PlainJob();
  normal.vendor = {{"ticketfilter-print-type", "normal"}};
  EXPECT_FALSE(Parse(BuildJobOptions(normal, profile, defaults).text)
                   .contains(std::string(kPrefix) + "PrintTypeTicketKey"));
}

TEST(JobOptionsTest, WatermarkDefaultBecomesTheWatermarkTicketsOfTheProgram) {
  JobFacts job = PlainJob();
  job.pageWidth = 612;
  job.pageLength = 792;
  const OptionPairs defaults = {{"ticketfilter-watermark", "DRAFT (v2)"}};
  auto options = Parse(BuildJobOptions(job, Profile("tf-color-utf8"), defaults).text);
  EXPECT_EQ(options.at(std::string(kPrefix) + "WMARKTypeTicket"), "0");
  EXPECT_EQ(options.at(std::string(kPrefix) + "WMARKNameTicket"), "DRAFT (v2)");
  EXPECT_EQ(options.at(std::string(kPrefix) + "WMARKTextTicket"), "(DRAFT \\(v2\\))");
  EXPECT_EQ(options.at(std::string(kPrefix) + "WMARKPaperWidthTicket"), "612");
  EXPECT_EQ(options.at(std::string(kPrefix) + "WMARKPaperHeightTicket"), "792");

  options = Parse(BuildJobOptions(job, Profile("tf-basic"), defaults).text);
  EXPECT_EQ(options.at("com.brantlowe.basicticket.WMARKNameTicket"), "DRAFT (v2)");

  job.vendor = {{"ticketfilter-watermark", ""}};  // the job turns the printer's watermark off
  options = Parse(BuildJobOptions(job, Profile("tf-color-utf8"), defaults).text);
  EXPECT_FALSE(options.contains(std::string(kPrefix) + "WMARKTypeTicket"));
}

TEST(JobOptionsTest, PasswordAndOriginReachTheJobCoreUnchanged) {
  JobFacts job = PlainJob();
  job.password = "12 34\"\\";
  job.passwordEncryption = "none";
  job.originatingHost = "[v1.fd00::2]";
  const auto options = Parse(BuildJobOptions(job, Profile("tf-color-utf8"), {}).text);
  EXPECT_EQ(options.at("job-password"), "12 34\"\\");
  EXPECT_EQ(options.at("job-password-encryption"), "none");
  EXPECT_EQ(options.at("job-originating-host-name"), "[v1.fd00::2]");

  // A client that names the host itself (a forwarding scheduler on this machine) keeps its name.
  job.standard.emplace_back("job-originating-host-name", "198.51.100.7");
  EXPECT_EQ(Parse(BuildJobOptions(job, Profile("tf-color-utf8"), {}).text)
                .at("job-originating-host-name"),
            "198.51.100.7");
}

TEST(JobOptionsTest, EscapedValuesReadBackUnchanged) {
  for (const std::string value : {"plain", "two words", "quote'\"s", "{braces}", "back\\slash",
                                  "line\nbreak", "tab\there", "a,b,c"}) {
    const auto options = Parse("x=" + EscapeOptionValue(value) + " y=1");
    EXPECT_EQ(options.at("x"), value);
    EXPECT_EQ(options.at("y"), "1");
  }
}

}  // namespace
}  // namespace tf::app
