// Host resolution: the bound in time, the order of the resolver's answer, and the system resolver
// on names every system knows.
#include "platform/host_resolution.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace tf {
namespace {

using namespace std::chrono_literals;

// Keeps the DEBUG lines.
class DebugLines : public Logger {
 public:
  void Log(LogLevel level, std::string_view message) override {
    if (level == LogLevel::Debug) text += std::string(message) + "\n";
  }
  void Page(int, int) override {}
  std::string text;
};

TEST(HostResolutionTest, AnswerKeepsTheResolversOrderAndUnformattableEntries) {
  const AddressList list = {"2001:db8::1", std::nullopt, "10.0.0.5", "127.0.0.1"};
  std::string asked;
  DebugLines log;
  const auto answer = ResolveHostAddresses(
      "printhost", log,
      [&](const std::string& name) -> std::optional<AddressList> {
        asked = name;
        return list;
      },
      1s);
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, list);
  EXPECT_EQ(asked, "printhost");
}

TEST(HostResolutionTest, FailingResolverGivesNoAnswerAndSaysWhy) {
  DebugLines log;
  EXPECT_FALSE(ResolveHostAddresses(
                   "printhost", log,
                   [](const std::string&) { return std::optional<AddressList>(); }, 1s)
                   .has_value());
  EXPECT_FALSE(ResolveHostAddresses(
                   "printhost", log,
                   [](const std::string&) -> std::optional<AddressList> {
                     throw std::runtime_error("resolver broke");
                   },
                   1s)
                   .has_value());
  EXPECT_EQ(log.text, "The host name resolution failed: resolver broke\n");
  EXPECT_FALSE(ResolveHostAddresses("printhost", log, HostResolver(), 1s).has_value());
  log.text.clear();
  // A name that no resolver knows (".invalid" never resolves).
  EXPECT_FALSE(ResolveHostAddresses("no-such-host.invalid", log).has_value());
  EXPECT_EQ(log.text.rfind("Unable to resolve the host name: ", 0), 0u) << log.text;
}

TEST(HostResolutionTest, ResolverSlowerThanTheBoundGivesNoAnswerWithinTheBound) {
  DebugLines log;
  const auto start = std::chrono::steady_clock::now();
  const auto answer = ResolveHostAddresses(
      "printhost", log,
      [](const std::string&) -> std::optional<AddressList> {
        std::this_thread::sleep_for(3s);
        return AddressList{"10.0.0.5"};
      },
      250ms);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_FALSE(answer.has_value());
  EXPECT_GE(elapsed, 250ms);
  EXPECT_LT(elapsed, 1500ms);
}

TEST(HostResolutionTest, SystemResolverGivesNumericTexts) {
  DebugLines log;
  auto answer = ResolveHostAddresses("127.0.0.1", log);
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, AddressList{"127.0.0.1"});
  answer = ResolveHostAddresses("::1", log);
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, AddressList{"::1"});
  answer = ResolveHostAddresses("localhost", log);
  ASSERT_TRUE(answer.has_value());
  EXPECT_TRUE(std::find(answer->begin(), answer->end(), "127.0.0.1") != answer->end() ||
              std::find(answer->begin(), answer->end(), "::1") != answer->end());
}

}  // namespace
}  // namespace tf
