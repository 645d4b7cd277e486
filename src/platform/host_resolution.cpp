// Host resolution with getaddrinfo and getnameinfo, bounded in time by a helper thread.
#include "platform/host_resolution.h"

#include <ifaddrs.h>
#include <netinet/in.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <future>
#include <memory>
#include <system_error>
#include <thread>

namespace tf {
namespace {

constexpr std::size_t kHostNameBufferSize = 256;  // gethostname: at most 255 bytes
constexpr std::size_t kNumericHostSize = 46;      // numeric host text and its terminator

}  // namespace

std::optional<std::string> LocalHostName(Logger& log) {
  char name[kHostNameBufferSize] = {};
  if (gethostname(name, kHostNameBufferSize - 1) != 0) {
    log.Debug("Unable to read the local host name: %s", SystemErrorText(errno).c_str());
    return std::nullopt;
  }
  name[kHostNameBufferSize - 1] = '\0';
  return std::string(name);
}

std::vector<std::string> LocalInterfaceAddresses(Logger& log) {
  std::vector<std::string> addresses;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) {
    log.Debug("Unable to read this machine's addresses: %s", SystemErrorText(errno).c_str());
    return addresses;
  }
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    const sockaddr* address = entry->ifa_addr;
    if (address == nullptr || (address->sa_family != AF_INET && address->sa_family != AF_INET6)) {
      continue;
    }
    const socklen_t size =
        address->sa_family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6);
    char text[kNumericHostSize] = {};
    if (getnameinfo(address, size, text, sizeof(text), nullptr, 0, NI_NUMERICHOST) == 0) {
      addresses.emplace_back(text);
    }
  }
  freeifaddrs(list);
  return addresses;
}

std::optional<AddressList> SystemResolveHost(const std::string& hostName) {
  addrinfo hints;
  std::memset(&hints, 0, sizeof(hints));
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;  // one entry per address, not one per socket type
  addrinfo* list = nullptr;
  const int rc = getaddrinfo(hostName.c_str(), nullptr, &hints, &list);
  if (rc != 0) throw HostResolutionError(gai_strerror(rc));
  AddressList addresses;
  for (const addrinfo* entry = list; entry != nullptr; entry = entry->ai_next) {
    char text[kNumericHostSize] = {};
    if (entry->ai_addr == nullptr ||
        getnameinfo(entry->ai_addr, entry->ai_addrlen, text, sizeof(text), nullptr, 0,
                    NI_NUMERICHOST) != 0) {
      addresses.emplace_back(std::nullopt);
    } else {
      addresses.emplace_back(std::string(text));
    }
  }
  freeaddrinfo(list);
  return addresses;
}

std::optional<AddressList> ResolveHostAddresses(const std::string& hostName, Logger& log,
                                                const HostResolver& resolver,
                                                std::chrono::milliseconds bound) {
  if (!resolver) return std::nullopt;
  // The resolver runs on a thread of its own that owns everything it touches, so that the job
  // can stop waiting and go on; a late answer lands in the promise and is dropped with it.
  std::promise<std::optional<AddressList>> promise;
  std::future<std::optional<AddressList>> answer = promise.get_future();
  try {
    std::thread worker(
        [resolver, hostName](std::promise<std::optional<AddressList>> result) {
          try {
            result.set_value(resolver(hostName));
          } catch (...) {
            result.set_exception(std::current_exception());
          }
        },
        std::move(promise));
    worker.detach();
  } catch (const std::system_error& error) {
    log.Debug("Unable to start the host name resolution: %s", error.what());
    return std::nullopt;
  }
  if (answer.wait_for(bound) != std::future_status::ready) {
    log.Debug("The host name resolution did not answer within %lld ms; no client address.",
              static_cast<long long>(bound.count()));
    return std::nullopt;
  }
  try {
    return answer.get();
  } catch (const HostResolutionError& error) {
    log.Debug("Unable to resolve the host name: %s", error.what());
  } catch (const std::exception& error) {
    log.Debug("The host name resolution failed: %s", error.what());
  }
  return std::nullopt;
}

}  // namespace tf
