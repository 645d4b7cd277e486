// The client host: local host name, address choice and the printer's address encodings.
#include "modules/jba/client_host.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/job.h"
#include "engine/job_options.h"
#include "engine/standard_attributes.h"
#include "platform/decimal.h"
#include "platform/text_conversion.h"

namespace tf {
namespace {

constexpr std::size_t kHostNameUnitsUTF8 = 32;  // UTF-8 mode: UTF-16 units of the host name
constexpr std::size_t kHostNameBytes = sizeof(JobCoreState::HostNameStr) - 1;
constexpr int kAddressTextSize = 46;  // numeric address text and its terminator
constexpr std::size_t kIPv4Parts = 4;
constexpr std::size_t kIPv4PartDigits = 3;
constexpr std::size_t kIPv6Groups = 8;
constexpr std::size_t kIPv6GroupDigits = 4;

bool IsAscii(std::string_view text) {
  for (unsigned char c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    if (end == std::string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

constexpr std::size_t kHostNameMaxBytes = 255;  // the longest host name a job may name

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (std::tolower(x) != std::tolower(y)) return false;
  }
  return true;
}

// The bytes of a numeric IPv4 or IPv6 address (an IPv6 zone after "%" left out); std::nullopt
// for any other text.
std::optional<std::vector<unsigned char>> AddressBytes(std::string_view text) {
  const std::string address(text.substr(0, text.find('%')));
  unsigned char bytes[16];
  if (inet_pton(AF_INET, address.c_str(), bytes) == 1) {
    return std::vector<unsigned char>(bytes, bytes + 4);
  }
  if (inet_pton(AF_INET6, address.c_str(), bytes) == 1) {
    return std::vector<unsigned char>(bytes, bytes + 16);
  }
  return std::nullopt;
}

bool IsLoopback(const std::vector<unsigned char>& bytes) {
  if (bytes.size() == 4) return bytes[0] == 127;
  static const unsigned char kLoopback6[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  static const unsigned char kMapped4[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
  if (std::memcmp(bytes.data(), kLoopback6, 16) == 0) return true;
  return std::memcmp(bytes.data(), kMapped4, 12) == 0 && bytes[12] == 127;
}

// A host name (letters, digits, "-", "_" and dots) or the text of a numeric address.
bool IsHostText(std::string_view text) {
  if (text.empty() || text.size() > kHostNameMaxBytes) return false;
  for (unsigned char c : text) {
    if (!std::isalnum(c) && c != '-' && c != '_' && c != '.' && c != ':' && c != '%') {
      return false;
    }
  }
  return text.find_first_of(":%") == std::string_view::npos || AddressBytes(text).has_value();
}

}  // namespace

std::optional<std::string> RemoteOriginatingHost(std::string_view origin,
                                                 const std::optional<std::string>& localName,
                                                 const std::vector<std::string>& localAddresses,
                                                 Logger& log) {
  // "[v1.fd00::2+eth0]" is the scheduler's text of an IPv6 client.
  std::string host(origin);
  bool literal = false;  // "[...]" holds an address, never a name
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    literal = true;
    host = host.substr(1, host.size() - 2);
    if (host.size() > 3 && EqualIgnoringCase(std::string_view(host).substr(0, 3), "v1.")) {
      host.erase(0, 3);
    }
    std::replace(host.begin(), host.end(), '+', '%');
  }
  if (!literal && !host.empty() && host.back() == '.') host.pop_back();  // "name." in full
  const bool numeric = AddressBytes(host).has_value();
  if (numeric) host = host.substr(0, host.find('%'));  // the zone names an interface of ours
  if ((literal && !numeric) || !IsHostText(host)) {
    log.Debug(
        "The job's originating host is neither a host name nor an address; the account "
        "attributes name this machine.");
    return std::nullopt;
  }
  if (EqualIgnoringCase(host, "localhost") || EqualIgnoringCase(host, "localhost.localdomain")) {
    return std::nullopt;
  }
  if (localName && EqualIgnoringCase(host, *localName)) return std::nullopt;
  if (const auto bytes = AddressBytes(host)) {
    if (IsLoopback(*bytes)) return std::nullopt;
    for (const std::string& local : localAddresses) {
      if (AddressBytes(local) == bytes) return std::nullopt;
    }
  }
  return host;
}

bool PrintAddressArray(const AddressList& addresses, char* outString, int outStringLen) {
  if (outString == nullptr || outStringLen <= 0) return false;
  std::memset(outString, 0, static_cast<std::size_t>(outStringLen));
  bool result = false;
  bool taken = false;
  for (const std::optional<std::string>& entry : addresses) {
    if (!entry) {
      // An entry that cannot be formatted never takes back an address already chosen.
      result = taken;
      continue;
    }
    const std::string_view text = *entry;
    if (text.find('.') != std::string_view::npos && text != kIPv4LocalHostSign) {
      CopyToField(outString, static_cast<std::size_t>(outStringLen), text, TextEncoding::UTF8);
      return true;
    }
    if (text.find(':') != std::string_view::npos &&
        text.find(kIPv6LocalHostSign) == std::string_view::npos) {
      // A later IPv6 address replaces this one.
      CopyToField(outString, static_cast<std::size_t>(outStringLen), text, TextEncoding::UTF8);
      taken = true;
    }
    result = true;
  }
  return result;
}

int GetHostAddress(const char* hostName, char* outString, int outStringLen,
                   const HostResolver& resolver, std::chrono::milliseconds bound, Logger& log) {
  if (hostName == nullptr || outString == nullptr || outStringLen <= 0) return 0;
  std::memset(outString, 0, static_cast<std::size_t>(outStringLen));
  const std::string_view name(hostName);
  if (name.empty()) return 0;
  if (!IsAscii(name)) {
    log.Debug("The local host name is not ASCII; no client address.");
    return 0;
  }
  const std::optional<AddressList> addresses =
      ResolveHostAddresses(std::string(name), log, resolver, bound);
  if (!addresses) return 0;
  return PrintAddressArray(*addresses, outString, outStringLen) ? 1 : 0;
}

std::string EncodeIPv4AddressText(std::string_view text) {
  const std::vector<std::string_view> parts = Split(text, '.');
  if (parts.size() != kIPv4Parts) return {};
  std::string encoded = "I";
  for (std::string_view part : parts) {
    const std::optional<std::int32_t> value = ReadDigits(part, kIPv4PartDigits);
    if (!value || *value > 255) return {};
    char hex[3];
    std::snprintf(hex, sizeof(hex), "%02X", static_cast<unsigned>(*value));
    encoded += hex;
  }
  return encoded;
}

std::string EncodeIPv6AddressText(std::string_view text) {
  const std::string address(text.substr(0, text.find('%')));  // the zone is dropped
  if (address.find('.') != std::string::npos) return {};       // no embedded IPv4 form
  unsigned char bytes[16];
  if (inet_pton(AF_INET6, address.c_str(), bytes) != 1) return {};

  // The groups before and after "::"; the gap between them is made of "0000" groups.
  std::vector<std::string_view> head;
  std::vector<std::string_view> tail;
  const std::string_view view(address);
  const std::size_t gap = view.find("::");
  if (gap == std::string_view::npos) {
    head = Split(view, ':');
  } else {
    if (gap > 0) head = Split(view.substr(0, gap), ':');
    if (gap + 2 < view.size()) tail = Split(view.substr(gap + 2), ':');
  }
  if (head.size() + tail.size() > kIPv6Groups) return {};
  const std::size_t zeroGroups = kIPv6Groups - head.size() - tail.size();

  std::string encoded = "6";
  auto append = [&encoded](std::string_view group) {
    encoded.append(kIPv6GroupDigits - group.size(), '0');
    encoded.append(group);
  };
  for (std::string_view group : head) append(group);
  for (std::size_t i = 0; i < zeroGroups; ++i) append("0");
  for (std::string_view group : tail) append(group);
  return encoded;
}

std::string EncodeClientAddressText(std::string_view text) {
  if (text.find('.') != std::string_view::npos) return EncodeIPv4AddressText(text);
  if (text.find(':') != std::string_view::npos) return EncodeIPv6AddressText(text);
  return {};
}

void GetClientIPAddress(Job& job) { GetClientIPAddress(job, ClientHostSource{}); }

void GetClientIPAddress(Job& job, const ClientHostSource& source) {
  JobCoreState& s = job.state;
  std::memset(s.HostNameStr, 0, sizeof(s.HostNameStr));
  std::memset(s.IPAddressStr, 0, sizeof(s.IPAddressStr));
  std::optional<std::string> hostName;
  if (source.hostName) hostName = source.hostName(job.log);

  // A job from another machine names that machine; its numeric address needs no resolution.
  std::optional<std::string> originAddress;
  if (const char* origin = job.options().JobValue(kJobOriginatingHostAttribute)) {
    const std::vector<std::string> localAddresses =
        source.localAddresses ? source.localAddresses(job.log) : std::vector<std::string>{};
    if (std::optional<std::string> remote =
            RemoteOriginatingHost(origin, hostName, localAddresses, job.log)) {
      hostName = remote;
      if (AddressBytes(*remote)) originAddress = remote;
    }
  }
  if (!hostName) return;

  // UTF-8 mode: the printer shows at most 32 UTF-16 units; a name that is not valid UTF-8 cannot
  // be counted and stays as it is.
  if (job.utf8Mode && CountUtf16Units(*hostName) > static_cast<long>(kHostNameUnitsUTF8)) {
    hostName->resize(Utf8PrefixForUnits(*hostName, kHostNameUnitsUTF8));
  }
  // The host name is system text, not converted: whole UTF-8 characters in both modes.
  CopyToField(s.HostNameStr, *hostName, TextEncoding::UTF8, kHostNameBytes);
  job.SetEncoding(s.HostNameStr, TextEncoding::UTF8);

  char addressText[kAddressTextSize] = {};
  if (originAddress) {
    CopyToField(addressText, *originAddress, TextEncoding::UTF8);
  } else if (GetHostAddress(hostName->c_str(), addressText, kAddressTextSize, source.resolver,
                            source.bound, job.log) != 1) {
    return;
  }
  const std::string encoded = EncodeClientAddressText(addressText);
  CopyToField(s.IPAddressStr, encoded, TextEncoding::UTF8);
}

}  // namespace tf
