// The client host: address choice, the printer's address encodings, and the host name and
// address of a job with an injected host name and resolver.
#include "modules/jba/client_host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>
#include <algorithm>

#include "filter/filter_job.h"
#include "support/job_harness.h"

namespace tf {
namespace {

using namespace std::chrono_literals;
using test::BasicProgram;
using test::CapturingLogger;
using test::FullProgram;
using test::JobHarness;

// ---------------------------------------------------------------------------------------------
// Address choice

std::pair<bool, std::string> Choose(const AddressList& addresses) {
  char out[46];
  std::memset(out, 'x', sizeof(out));
  const bool result = PrintAddressArray(addresses, out, sizeof(out));
  return {result, out};
}

TEST(PrintAddressArrayTest, FirstIPv4OtherThanLoopbackWinsAtOnce) {
  EXPECT_EQ(Choose({"2001:db8::5", "10.0.0.5"}), std::make_pair(true, std::string("10.0.0.5")));
  EXPECT_EQ(Choose({"127.0.0.1", "10.0.0.1", "10.0.0.2", "2001:db8::7"}),
            std::make_pair(true, std::string("10.0.0.1")));
  EXPECT_EQ(Choose({std::nullopt, "192.168.1.10"}),
            std::make_pair(true, std::string("192.168.1.10")));
}

TEST(PrintAddressArrayTest, OtherwiseTheLastUsableIPv6Remains) {
  EXPECT_EQ(Choose({"2001:db8::1", "127.0.0.1"}),
            std::make_pair(true, std::string("2001:db8::1")));
  EXPECT_EQ(Choose({"2001:db8::1", "2001:db8::2", "fe80::1%lo0"}),
            std::make_pair(true, std::string("2001:db8::2")));
  EXPECT_EQ(Choose({"fe80::2%en0"}), std::make_pair(true, std::string("fe80::2%en0")));
}

TEST(PrintAddressArrayTest, LoopbacksAndLinkLocalOneAreNeverChosen) {
  // The walk still ends with `result` set, but nothing was copied.
  EXPECT_EQ(Choose({"127.0.0.1", "fe80::1%lo0"}), std::make_pair(true, std::string()));
  // Any text containing "fe80::1" is skipped, also fe80::1234.
  EXPECT_EQ(Choose({"fe80::1234%en0"}), std::make_pair(true, std::string()));
  EXPECT_EQ(Choose({}), std::make_pair(false, std::string()));
  EXPECT_EQ(Choose({std::nullopt}), std::make_pair(false, std::string()));
}

TEST(PrintAddressArrayTest, UnformattableLastEntryKeepsTheChosenIPv6) {
  EXPECT_EQ(Choose({"2001:db8::1", std::nullopt}),
            std::make_pair(true, std::string("2001:db8::1")));
  EXPECT_EQ(Choose({"127.0.0.1", std::nullopt}), std::make_pair(false, std::string()));
}

// ---------------------------------------------------------------------------------------------
// Encodings

TEST(AddressEncodingTest, IPv4IsIAndEightUpperCaseHexDigits) {
  EXPECT_EQ(EncodeClientAddressText("192.168.1.10"), "IC0A8010A");
  EXPECT_EQ(EncodeClientAddressText("10.0.0.5"), "I0A000005");
  EXPECT_EQ(EncodeClientAddressText("255.255.255.255"), "IFFFFFFFF");
  EXPECT_EQ(EncodeClientAddressText("0.0.0.0"), "I00000000");
}

TEST(AddressEncodingTest, IPv4WithAnOverLongOrOverLargePartIsEmpty) {
  for (const char* text : {"256.1.1.1", "1.2.3.999", "0010.1.1.1", "1.2.3", "1.2.3.4.5", "1..2.3",
                           "1.2.3.x"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(EncodeIPv4AddressText(text), "");
  }
}

TEST(AddressEncodingTest, IPv6IsSixAndEightFullGroups) {
  EXPECT_EQ(EncodeClientAddressText("2001:db8::1"), "620010db8000000000000000000000001");
  EXPECT_EQ(EncodeClientAddressText("2001:db8:0:0:0:0:0:1"), "620010db8000000000000000000000001");
  EXPECT_EQ(EncodeClientAddressText("::1"), "600000000000000000000000000000001");
  EXPECT_EQ(EncodeClientAddressText("::"), "600000000000000000000000000000000");
  EXPECT_EQ(EncodeClientAddressText("2001:db8:0:0:1::"), "620010db8000000000001000000000000");
  EXPECT_EQ(EncodeClientAddressText("1:2:3:4:5:6:7:8"), "600010002000300040005000600070008");
  // The zone is dropped; letters keep the case of the text.
  EXPECT_EQ(EncodeClientAddressText("fe80::abcd%en0"), "6fe80000000000000000000000000abcd");
  EXPECT_EQ(EncodeClientAddressText("2001:DB8::A"), "620010DB800000000000000000000000A");
}

TEST(AddressEncodingTest, TextsThatAreNoAddressGiveNothing) {
  for (const char* text : {"", "localhost", "1:2:3", "12345::1", "1::2::3", "2001:db8::g"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(EncodeClientAddressText(text), "");
  }
}

// ---------------------------------------------------------------------------------------------
// GetClientIPAddress on a job

struct HostResult {
  std::string hostName;
  std::string address;
  std::vector<std::string> resolved;  // the names the resolver was asked for
};

HostResult RunHost(const Program& program, const std::string& ppd,
                   std::optional<std::string> hostName, std::optional<AddressList> addresses,
                   std::chrono::milliseconds bound = 2000ms, const std::string& options = "") {
  JobHarness::Args args;
  args.options = options;
  JobHarness h(program, args, ppd);
  PrepareJob(h.job());
  std::memset(h.state().HostNameStr, 'x', sizeof(h.state().HostNameStr));
  std::memset(h.state().IPAddressStr, 'x', sizeof(h.state().IPAddressStr));
  auto asked = std::make_shared<std::vector<std::string>>();
  ClientHostSource source;
  source.hostName = [hostName](Logger&) { return hostName; };
  source.resolver = [asked, addresses](const std::string& name) {
    asked->push_back(name);
    return addresses;
  };
  source.bound = bound;
  source.localAddresses = [](Logger&) {
    return std::vector<std::string>{"127.0.0.1", "::1", "192.0.2.2", "fd00::2", "fe80::fc%eth0"};
  };
  GetClientIPAddress(h.job(), source);
  return {std::string(h.state().HostNameStr, strnlen(h.state().HostNameStr, 97)),
          std::string(h.state().IPAddressStr, strnlen(h.state().IPAddressStr, 46)), *asked};
}

TEST(GetClientIPAddressTest, HostNameAndEncodedAddress) {
  HostResult r = RunHost(BasicProgram(), "", "printhost", AddressList{"2001:db8::5", "10.0.0.5"});
  EXPECT_EQ(r.hostName, "printhost");
  EXPECT_EQ(r.address, "I0A000005");
  EXPECT_EQ(r.resolved, std::vector<std::string>{"printhost"});

  r = RunHost(FullProgram(), "utf8.ppd", "printhost", AddressList{"2001:db8::1", "127.0.0.1"});
  EXPECT_EQ(r.address, "620010db8000000000000000000000001");
}

TEST(GetClientIPAddressTest, NoUsableAddressLeavesTheAddressEmpty) {
  for (const std::optional<AddressList>& addresses :
       {std::optional<AddressList>(AddressList{"127.0.0.1", "fe80::1%lo0"}),
        std::optional<AddressList>(AddressList{"300.1.1.1"}),
        std::optional<AddressList>(std::nullopt)}) {
    const HostResult r = RunHost(BasicProgram(), "", "printhost", addresses);
    EXPECT_EQ(r.hostName, "printhost");
    EXPECT_EQ(r.address, "");
  }
}

TEST(GetClientIPAddressTest, WithoutHostNameBothStayEmptyAndNothingIsResolved) {
  const HostResult r = RunHost(FullProgram(), "utf8.ppd", std::nullopt, AddressList{"10.0.0.5"});
  EXPECT_EQ(r.hostName, "");
  EXPECT_EQ(r.address, "");
  EXPECT_TRUE(r.resolved.empty());
}

TEST(GetClientIPAddressTest, Utf8ModeCutsTheHostNameTo32CharactersBeforeResolving) {
  const std::string name40(40, 'h');
  HostResult r = RunHost(FullProgram(), "utf8.ppd", name40, AddressList{"10.0.0.5"});
  EXPECT_EQ(r.hostName, std::string(32, 'h'));
  EXPECT_EQ(r.resolved, std::vector<std::string>{std::string(32, 'h')});
  EXPECT_EQ(r.address, "I0A000005");

  // Byte mode keeps the whole name for resolving and stores its first 96 bytes.
  for (const auto& [program, ppd] : {std::pair(&FullProgram, "bytemode.ppd"),
                                    std::pair(&BasicProgram, "utf8.ppd")}) {
    r = RunHost(program(), ppd, name40, AddressList{"10.0.0.5"});
    EXPECT_EQ(r.hostName, name40);
    EXPECT_EQ(r.resolved, std::vector<std::string>{name40});
    const std::string name120(120, 'h');
    r = RunHost(program(), ppd, name120, AddressList{"10.0.0.5"});
    EXPECT_EQ(r.hostName, std::string(96, 'h'));
    EXPECT_EQ(r.resolved, std::vector<std::string>{name120});
  }
}

TEST(GetClientIPAddressTest, NonAsciiHostNameIsStoredInWholeCharactersButNotResolved) {
  std::string kana;
  for (int i = 0; i < 40; ++i) kana += "\xe3\x81\x82";
  HostResult r = RunHost(FullProgram(), "utf8.ppd", kana, AddressList{"10.0.0.5"});
  EXPECT_EQ(r.hostName, kana.substr(0, 96));  // 32 characters
  EXPECT_EQ(r.address, "");
  EXPECT_TRUE(r.resolved.empty());

  // Byte mode: 96 bytes would end inside the 33rd character ("a" first): 31 characters.
  r = RunHost(BasicProgram(), "", "a" + kana, AddressList{"10.0.0.5"});
  EXPECT_EQ(r.hostName, "a" + kana.substr(0, 93));

  // Not valid UTF-8: cannot be counted, stays uncut.
  const std::string invalid = "\xff" + std::string(40, 'h');
  r = RunHost(FullProgram(), "utf8.ppd", invalid, AddressList{"10.0.0.5"});
  EXPECT_EQ(r.hostName, invalid);
  EXPECT_EQ(r.address, "");
}

TEST(GetClientIPAddressTest, ADeadResolverCostsAtMostTheBound) {
  JobHarness h(BasicProgram(), {}, "");
  PrepareJob(h.job());
  ClientHostSource source;
  source.hostName = [](Logger&) { return std::optional<std::string>("printhost"); };
  source.resolver = [](const std::string&) -> std::optional<AddressList> {
    std::this_thread::sleep_for(3s);
    return AddressList{"10.0.0.5"};
  };
  source.bound = 200ms;
  const auto start = std::chrono::steady_clock::now();
  GetClientIPAddress(h.job(), source);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(elapsed, 1500ms);
  EXPECT_STREQ(h.state().HostNameStr, "printhost");
  EXPECT_STREQ(h.state().IPAddressStr, "");
}

// ---------------------------------------------------------------------------------------------
// A job from another machine

TEST(RemoteOriginatingHostTest, AnotherMachineByNameOrAddress) {
  const std::vector<std::string> local = {"127.0.0.1", "::1", "192.0.2.2", "fd00::2"};
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"ws7.example.net", "ws7.example.net"},
      {"ws7.example.net.", "ws7.example.net"},
      {"198.51.100.7", "198.51.100.7"},
      // The scheduler's text of an IPv6 client; the zone names an interface of this machine.
      {"[v1.2001:db8::7]", "2001:db8::7"},
      {"[v1.fe80::1234+eth0]", "fe80::1234"},
      {"[2001:db8::7]", "2001:db8::7"},
      // This machine: the loopback, its own name and addresses.
      {"localhost", std::nullopt},
      {"LOCALHOST", std::nullopt},
      {"localhost.localdomain", std::nullopt},
      {"127.0.0.1", std::nullopt},
      {"127.1.2.3", std::nullopt},
      {"[v1.::1]", std::nullopt},
      {"::ffff:127.0.0.1", std::nullopt},
      {"printhost", std::nullopt},
      {"PrintHost.", std::nullopt},
      {"192.0.2.2", std::nullopt},
      {"[v1.fd00:0:0::2]", std::nullopt},
      // Neither a host name nor an address.
      {"", std::nullopt},
      {"a\"b", std::nullopt},
      {"host name", std::nullopt},
      {"ws7\n.example.net", std::nullopt},
      {"1:2:3", std::nullopt},
      {"[v1.]", std::nullopt},
  };
  CapturingLogger log;
  for (const auto& [origin, expected] : cases) {
    SCOPED_TRACE(origin);
    EXPECT_EQ(RemoteOriginatingHost(origin, std::string("printhost"), local, log), expected);
  }
  EXPECT_EQ(RemoteOriginatingHost(std::string(256, 'h'), std::nullopt, {}, log), std::nullopt);
  EXPECT_EQ(RemoteOriginatingHost(std::string(255, 'h'), std::nullopt, {}, log),
            std::string(255, 'h'));
}

TEST(GetClientIPAddressTest, AJobFromAnotherMachineNamesThatMachine) {
  // A numeric address is the address: nothing is resolved.
  HostResult r = RunHost(FullProgram(), "utf8.ppd", "printhost", AddressList{"10.0.0.5"}, 2000ms,
                         "job-originating-host-name=198.51.100.7");
  EXPECT_EQ(r.hostName, "198.51.100.7");
  EXPECT_EQ(r.address, "IC6336407");
  EXPECT_TRUE(r.resolved.empty());

  r = RunHost(BasicProgram(), "", "printhost", AddressList{"10.0.0.5"}, 2000ms,
              "job-originating-host-name=[v1.2001:db8::7]");
  EXPECT_EQ(r.hostName, "2001:db8::7");
  EXPECT_EQ(r.address, "620010db8000000000000000000000007");
  EXPECT_TRUE(r.resolved.empty());

  // A name is resolved, within the bound, by the same rules as the local name.
  r = RunHost(FullProgram(), "utf8.ppd", "printhost", AddressList{"2001:db8::9", "10.1.2.3"},
              2000ms, "job-originating-host-name=ws7.example.net");
  EXPECT_EQ(r.hostName, "ws7.example.net");
  EXPECT_EQ(r.address, "I0A010203");
  EXPECT_EQ(r.resolved, std::vector<std::string>{"ws7.example.net"});

  // A name that does not resolve leaves the address out; the name stays.
  r = RunHost(FullProgram(), "utf8.ppd", "printhost", std::nullopt, 2000ms,
              "job-originating-host-name=ws7.example.net");
  EXPECT_EQ(r.hostName, "ws7.example.net");
  EXPECT_EQ(r.address, "");

  // UTF-8 mode: the printer shows at most 32 characters of the name.
  const std::string longName = std::string(40, 'w') + ".example.net";
  r = RunHost(FullProgram(), "utf8.ppd", "printhost", AddressList{"10.1.2.3"}, 2000ms,
              "job-originating-host-name=" + longName);
  EXPECT_EQ(r.hostName, std::string(32, 'w'));
}

TEST(GetClientIPAddressTest, AJobFromThisMachineNamesTheLocalHost) {
  for (const char* origin : {"localhost", "[v1.::1]", "127.0.0.1", "printhost", "192.0.2.2",
                             "[v1.fd00::2]", "bad\"host", ""}) {
    SCOPED_TRACE(origin);
    const HostResult r = RunHost(BasicProgram(), "", "printhost", AddressList{"10.0.0.5"}, 2000ms,
                                 std::string("job-originating-host-name='") + origin + "'");
    EXPECT_EQ(r.hostName, "printhost");
    EXPECT_EQ(r.address, "I0A000005");
    EXPECT_EQ(r.resolved, std::vector<std::string>{"printhost"});
  }
}

TEST(GetClientIPAddressTest, ADeadResolverOfTheOriginatingHostCostsAtMostTheBound) {
  JobHarness::Args args;
  args.options = "job-originating-host-name=ws7.example.net";
  JobHarness h(BasicProgram(), args, "");
  PrepareJob(h.job());
  ClientHostSource source;
  source.hostName = [](Logger&) { return std::optional<std::string>("printhost"); };
  source.localAddresses = [](Logger&) { return std::vector<std::string>{}; };
  source.resolver = [](const std::string&) -> std::optional<AddressList> {
    std::this_thread::sleep_for(3s);
    return AddressList{"10.0.0.5"};
  };
  source.bound = 200ms;
  const auto start = std::chrono::steady_clock::now();
  GetClientIPAddress(h.job(), source);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
  EXPECT_STREQ(h.state().HostNameStr, "ws7.example.net");
  EXPECT_STREQ(h.state().IPAddressStr, "");
}

TEST(LocalInterfaceAddressesTest, TheLoopbackIsAmongThem) {
  CapturingLogger log;
  const std::vector<std::string> addresses = LocalInterfaceAddresses(log);
  EXPECT_NE(std::find(addresses.begin(), addresses.end(), "127.0.0.1"), addresses.end());
}

}  // namespace
}  // namespace tf
