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

TEST(HostResolutionTest, AnswerKeepsTheResolversOrderAndUnformattableEntries) {
  const AddressList list = {"2001:db8::1", std::nullopt, "10.0.0.5", "127.0.0.1"};
  std::string asked;
  const auto answer = ResolveHostAddresses(
      "printhost",
      [&](const std::string& name) -> std::optional<AddressList> {
        asked = name;
        return list;
      },
      1s);
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, list);
  EXPECT_EQ(asked, "printhost");
}

TEST(HostResolutionTest, FailingResolverGivesNoAnswer) {
  EXPECT_FALSE(ResolveHostAddresses(
                   "printhost", [](const std::string&) { return std::optional<AddressList>(); },
                   1s)
                   .has_value());
  EXPECT_FALSE(ResolveHostAddresses(
                   "printhost",
                   [](const std::string&) -> std::optional<AddressList> {
                     throw std::runtime_error("resolver broke");
                   },
                   1s)
                   .has_value());
  EXPECT_FALSE(ResolveHostAddresses("printhost", HostResolver(), 1s).has_value());
}

TEST(HostResolutionTest, ResolverSlowerThanTheBoundGivesNoAnswerWithinTheBound) {
  const auto start = std::chrono::steady_clock::now();
  const auto answer = ResolveHostAddresses(
      "printhost",
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
  auto answer = ResolveHostAddresses("127.0.0.1");
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, AddressList{"127.0.0.1"});
  answer = ResolveHostAddresses("::1");
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, AddressList{"::1"});
  answer = ResolveHostAddresses("localhost");
  ASSERT_TRUE(answer.has_value());
  EXPECT_TRUE(std::find(answer->begin(), answer->end(), "127.0.0.1") != answer->end() ||
              std::find(answer->begin(), answer->end(), "::1") != answer->end());
}

}  // namespace
}  // namespace tf
