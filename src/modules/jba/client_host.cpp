// The client host: local host name, address choice and the printer's address encodings.
#include "modules/jba/client_host.h"

#include <arpa/inet.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "filter/job.h"
#include "platform/text_conversion.h"

namespace tf {
namespace {

constexpr std::size_t kHostNameUnitsUTF8 = 32;  // UTF-8 mode: UTF-16 units of the host name
constexpr std::size_t kHostNameBytes = 96;      // HostNameStr holds at most 96 bytes
constexpr int kAddressTextSize = 46;            // numeric address text and its terminator
constexpr std::size_t kIPv4Parts = 4;
constexpr std::size_t kIPv4PartDigits = 3;
constexpr std::size_t kIPv6Groups = 8;
constexpr std::size_t kIPv6GroupDigits = 4;

// Copies `text` into `out` (`size` bytes, cleared first), at most size - 1 bytes.
void CopyBounded(std::string_view text, char* out, int size) {
  std::memset(out, 0, static_cast<std::size_t>(size));
  const std::size_t room = static_cast<std::size_t>(size) - 1;
  std::memcpy(out, text.data(), text.size() < room ? text.size() : room);
}

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

}  // namespace

bool MyPrintAddressArray(const AddressList& addresses, char* outString, int outStringLen) {
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
      CopyBounded(text, outString, outStringLen);
      return true;
    }
    if (text.find(':') != std::string_view::npos &&
        text.find(kIPv6LocalHostSign) == std::string_view::npos) {
      CopyBounded(text, outString, outStringLen);  // a later IPv6 address replaces this one
      taken = true;
    }
    result = true;
  }
  return result;
}

int getHostAddress(const char* hostName, char* outString, int outStringLen,
                   const HostResolver& resolver, std::chrono::milliseconds bound) {
  if (hostName == nullptr || outString == nullptr || outStringLen <= 0) return 0;
  std::memset(outString, 0, static_cast<std::size_t>(outStringLen));
  const std::string_view name(hostName);
  if (name.empty()) return 0;
  if (!IsAscii(name)) {
    std::fprintf(stderr, "DEBUG: The local host name is not ASCII; no client address.\n");
    return 0;
  }
  const std::optional<AddressList> addresses =
      ResolveHostAddresses(std::string(name), resolver, bound);
  if (!addresses) return 0;
  return MyPrintAddressArray(*addresses, outString, outStringLen) ? 1 : 0;
}

std::string EncodeIPv4AddressText(std::string_view text) {
  const std::vector<std::string_view> parts = Split(text, '.');
  if (parts.size() != kIPv4Parts) return {};
  std::string encoded = "I";
  for (std::string_view part : parts) {
    if (part.empty() || part.size() > kIPv4PartDigits) return {};
    int value = 0;
    for (char c : part) {
      if (c < '0' || c > '9') return {};
      value = value * 10 + (c - '0');
    }
    if (value > 255) return {};
    char hex[3];
    std::snprintf(hex, sizeof(hex), "%02X", static_cast<unsigned>(value));
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
  JobState& s = job.state;
  std::memset(s.HostNameStr, 0, sizeof(s.HostNameStr));
  std::memset(s.IPAddressStr, 0, sizeof(s.IPAddressStr));
  if (!source.hostName) return;
  std::optional<std::string> hostName = source.hostName();
  if (!hostName) return;

  // UTF-8 mode: the printer shows at most 32 UTF-16 units; a name that is not valid UTF-8 cannot
  // be counted and stays as it is.
  if (job.utf8Mode && CountUtf16Units(*hostName) > static_cast<long>(kHostNameUnitsUTF8)) {
    hostName->resize(Utf8PrefixForUnits(*hostName, kHostNameUnitsUTF8));
  }
  // The host name is system text, not converted: whole UTF-8 characters in both modes.
  const std::size_t kept = CutToWholeChars(*hostName, kHostNameBytes, TextEncoding::UTF8);
  std::memcpy(s.HostNameStr, hostName->data(), kept);
  s.SetEncoding(s.HostNameStr, TextEncoding::UTF8);

  char addressText[kAddressTextSize] = {};
  if (getHostAddress(hostName->c_str(), addressText, kAddressTextSize, source.resolver,
                     source.bound) != 1) {
    return;
  }
  const std::string encoded = EncodeClientAddressText(addressText);
  CopyBounded(encoded, s.IPAddressStr, sizeof(s.IPAddressStr));
}

}  // namespace tf
