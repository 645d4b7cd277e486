// Host resolution: the local host name and the numeric addresses of a host name.
//
// This is the filter's only contact with the system resolver.  A resolution blocks the job, so it
// is bounded in time: a resolver that does not answer within the bound counts as "no address" and
// the job goes on.  The resolver itself is a plain function, so a test (or another platform) can
// hand in its own.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/logger.h"

namespace tf {

// The addresses of a host in the resolver's order, each as numeric host text ("192.168.1.10",
// "2001:db8::1", "fe80::1%lo0"); std::nullopt for an entry that could not be formatted.
using AddressList = std::vector<std::optional<std::string>>;

// Resolves `hostName` to its address list; std::nullopt when the resolution failed.  May block.
using HostResolver = std::function<std::optional<AddressList>(const std::string& hostName)>;

// The longest a job waits for the resolver.
inline constexpr std::chrono::milliseconds kHostResolutionTimeout{3000};

// The local host name (gethostname, at most 255 bytes); std::nullopt (with a DEBUG line) when it
// cannot be read.
std::optional<std::string> LocalHostName(Logger& log);

// The numeric addresses of this machine's network interfaces (getifaddrs), loopback included;
// empty (with a DEBUG line) when they cannot be read.
std::vector<std::string> LocalInterfaceAddresses(Logger& log);

// The system resolver: getaddrinfo (all families, in the system's order), each address formatted
// by getnameinfo as numeric host text (at most 45 bytes).  Not bounded in time.  A name that does
// not resolve throws HostResolutionError, whose text says why.
std::optional<AddressList> SystemResolveHost(const std::string& hostName);

class HostResolutionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Runs `resolver` on `hostName` and waits at most `bound` for its answer.  std::nullopt (with a
// DEBUG line) when the resolution failed or did not answer in time (the late answer is
// discarded).
std::optional<AddressList> ResolveHostAddresses(
    const std::string& hostName, Logger& log, const HostResolver& resolver = SystemResolveHost,
    std::chrono::milliseconds bound = kHostResolutionTimeout);

}  // namespace tf
