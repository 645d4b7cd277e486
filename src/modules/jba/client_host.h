// The client host: the local host name and its encoded network address, for the account
// attributes CNAM and HOAD.
//
// A job that came to this machine from another one (a print server's job, whose
// job-originating-host-name names the client) names that machine instead: its name, and its
// address as the attribute gives it or as a bounded resolution of the name finds it.  A job from
// this machine ("localhost", a loopback address, this machine's own name or address) names the
// local host.
//
// The address is the one the printer can reach the client at: the first IPv4 address other than
// the loopback, else the last IPv6 address that is not link-local "fe80::1...".  The printer takes
// it in a compact form: "I" and 8 upper-case hexadecimal digits for IPv4, "6" and 32 hexadecimal
// digits for IPv6.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host_resolution.h"

namespace tf {

class Job;

// The addresses that are never chosen (_IPv4_LocalHost_sign_, _IPv6_LocalHost_sign_): the IPv4
// loopback, and any IPv6 text that contains "fe80::1" (the loopback's link-local address).
inline constexpr char kIPv4LocalHostSign[] = "127.0.0.1";
inline constexpr char kIPv6LocalHostSign[] = "fe80::1";

// Where the client host comes from: the system by default; a test hands in its own.
struct ClientHostSource {
  std::function<std::optional<std::string>(Logger&)> hostName = LocalHostName;
  std::function<std::vector<std::string>(Logger&)> localAddresses = LocalInterfaceAddresses;
  HostResolver resolver = SystemResolveHost;
  std::chrono::milliseconds bound = kHostResolutionTimeout;  // longest wait for the resolver
};

// The machine a job came from, from the text of its job-originating-host-name: a host name, or a
// numeric address (the scheduler writes an IPv6 client as "[v1.fd00::2]"; that is fd00::2).
// std::nullopt for a job from this machine (`localName`, one of `localAddresses`, "localhost", a
// loopback address), and for a text that is neither a host name nor an address.
std::optional<std::string> RemoteOriginatingHost(std::string_view origin,
                                                 const std::optional<std::string>& localName,
                                                 const std::vector<std::string>& localAddresses,
                                                 Logger& log);

// Fills HostNameStr (at most 96 bytes; in UTF-8 mode at most 32 UTF-16 units) and IPAddressStr
// (the encoded address, empty when none was found) of the job.
void GetClientIPAddress(Job& job);
void GetClientIPAddress(Job& job, const ClientHostSource& source);

// Resolves `hostName` (ASCII only) with `resolver`, waiting at most `bound`, and writes the chosen
// numeric address text into `outString` (`outStringLen` bytes, cleared first).  Returns 1 when an
// address was taken, else 0.
int GetHostAddress(const char* hostName, char* outString, int outStringLen,
                   const HostResolver& resolver, std::chrono::milliseconds bound, Logger& log);

// Chooses one address of `addresses` (in resolver order) into `outString` (`outStringLen` bytes,
// cleared first, at most outStringLen - 1 bytes written): the first IPv4 text other than
// "127.0.0.1" wins at once; otherwise the last IPv6 text not containing "fe80::1" remains.
// Returns the `result` flag: as set by the last entry looked at (1 for an address or a skipped
// loopback; 0 for an entry that could not be formatted, unless an address was already taken).
bool PrintAddressArray(const AddressList& addresses, char* outString, int outStringLen);

// "I" and the four parts of a dotted IPv4 text as two upper-case hexadecimal digits each;
// empty when the text is not four dot-separated decimal parts below 256 of at most 3 digits.
std::string EncodeIPv4AddressText(std::string_view text);
// "6" and the eight groups of an IPv6 text as four hexadecimal digits each ("::" expanded, the
// zone after "%" dropped, letters as in the text); empty when the text is not an IPv6 address.
std::string EncodeIPv6AddressText(std::string_view text);
// IPv4 encoding for a text with ".", IPv6 encoding for one with ":", else empty.
std::string EncodeClientAddressText(std::string_view text);

}  // namespace tf
