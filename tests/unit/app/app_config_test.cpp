// The server's settings: the defaults, each option read or refused, and no service open to the
// network without a login for its settings.
#include "app_config.h"

#include <gtest/gtest.h>

namespace tf::app {
namespace {

const BuildPaths kPaths{"/usr/share/cups/model/ticketfilter", "/usr/lib/cups/filter"};

std::optional<AppConfig> Parse(const std::vector<std::pair<std::string, std::string>>& options,
                               std::string* error, unsigned uid = 0) {
  return ParseServerOptions(options, kPaths, uid, "/home/alice", nullptr, error);
}

TEST(AppConfigTest, DefaultsKeepEverythingUnderTheStateDirectoryAndListenLocally) {
  std::string error;
  const auto config = Parse({}, &error);
  ASSERT_TRUE(config) << error;
  EXPECT_EQ(config->stateDirectory, "/var/lib/ticketfilter-app");
  EXPECT_EQ(config->spoolDirectory, "/var/lib/ticketfilter-app/spool");
  EXPECT_EQ(config->stateFile, "/var/lib/ticketfilter-app/ticketfilter-app.state");
  EXPECT_EQ(config->logFile, "/var/lib/ticketfilter-app/ticketfilter-app.log");
  EXPECT_EQ(config->port, 8631);
  EXPECT_TRUE(config->LocalOnly());
  EXPECT_EQ(config->ppdDirectory, kPaths.ppdDirectory);
  EXPECT_EQ(config->pstops, "/usr/lib/cups/filter/pstops");
  EXPECT_EQ(config->pdfTimeLimit, std::chrono::seconds(300));

  const auto user = Parse({}, &error, 1000);
  ASSERT_TRUE(user);
  EXPECT_EQ(user->stateDirectory, "/home/alice/.config/ticketfilter-app");
}

TEST(AppConfigTest, OptionsAreReadAndBadValuesRefused) {
  std::string error;
  const auto config = Parse({{"state-directory", "/tmp/s"},
                             {"server-port", "9100"},
                             {"log-file", "-"},
                             {"log-level", "debug"},
                             {"pdf-time-limit", "5"},
                             {"pdf-memory-limit", "64"},
                             {"pdf-output-limit", "2"},
                             {"printer-uri", "ignored"}},
                            &error);
  ASSERT_TRUE(config) << error;
  EXPECT_EQ(config->stateFile, "/tmp/s/ticketfilter-app.state");
  EXPECT_EQ(config->port, 9100);
  EXPECT_EQ(config->logFile, "-");
  EXPECT_EQ(config->logLevel, LogLevel::Debug);
  EXPECT_EQ(config->pdfTimeLimit, std::chrono::seconds(5));
  EXPECT_EQ(config->pdfMemoryBytes, std::uint64_t{64} << 20);
  EXPECT_EQ(config->pdfOutputBytes, std::uint64_t{2} << 20);

  for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
           {"server-port", "0"}, {"server-port", "80x"}, {"log-level", "loud"},
           {"state-directory", "relative"}, {"pdf-time-limit", "-1"}}) {
    EXPECT_FALSE(Parse({{name, value}}, &error)) << name << "=" << value;
    EXPECT_EQ(error, "Bad value of the server option " + name + ".");
  }
}

TEST(AppConfigTest, ServiceOpenToTheNetworkNeedsALoginForItsSettings) {
  std::string error;
  EXPECT_FALSE(Parse({{"listen-hostname", "*"}}, &error));
  EXPECT_NE(error.find("-o auth-service=SERVICE"), std::string::npos);
  const auto open = Parse({{"listen-hostname", "*"}, {"auth-service", "login"}}, &error);
  ASSERT_TRUE(open) << error;
  EXPECT_FALSE(open->LocalOnly());
  EXPECT_TRUE(Parse({{"listen-hostname", "127.0.0.1"}}, &error)->LocalOnly());
  // The server a sub-command starts by itself listens on its local socket only.
  const auto own = Parse({{"private-server", "true"}, {"listen-hostname", "*"}}, &error);
  ASSERT_TRUE(own) << error;
  EXPECT_TRUE(own->privateServer);
  EXPECT_TRUE(own->LocalOnly());
}

}  // namespace
}  // namespace tf::app
