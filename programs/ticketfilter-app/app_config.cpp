// The settings of the printer application's server.
#include "app_config.h"

#include <grp.h>

#include <charconv>

namespace tf::app {
namespace {

constexpr char kName[] = "ticketfilter-app";

std::optional<long long> ReadNumber(const std::string& text, long long low, long long high) {
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || value < low || value > high) return std::nullopt;
  return value;
}

}  // namespace

bool AppConfig::LocalOnly() const {
  return privateServer || listenHostname == "localhost" || listenHostname == "127.0.0.1" ||
         listenHostname == "::1" || listenHostname == "[::1]";
}

std::optional<AppConfig> ParseServerOptions(
    const std::vector<std::pair<std::string, std::string>>& options, const BuildPaths& paths,
    unsigned uid, const char* home, const char* xdgConfigHome, std::string* error) {
  AppConfig config;
  config.ppdDirectory = paths.ppdDirectory;
  config.pstops = paths.cupsFilterDirectory + "/pstops";
  std::optional<std::string> logFile;
  for (const auto& [name, value] : options) {
    auto bad = [&, n = name]() {
      *error = "Bad value of the server option " + n + ".";
      return std::nullopt;
    };
    if (name == "state-directory") {
      if (value.empty() || value.front() != '/') return bad();
      config.stateDirectory = value;
    } else if (name == "log-file") {
      if (value.empty()) return bad();
      logFile = value;
    } else if (name == "log-level") {
      if (value == "fatal") {
        config.logLevel = LogLevel::Fatal;
      } else if (value == "error") {
        config.logLevel = LogLevel::Error;
      } else if (value == "warn") {
        config.logLevel = LogLevel::Warn;
      } else if (value == "info") {
        config.logLevel = LogLevel::Info;
      } else if (value == "debug") {
        config.logLevel = LogLevel::Debug;
      } else {
        return bad();
      }
    } else if (name == "server-port") {
      const auto port = ReadNumber(value, 1, 65535);
      if (!port) return bad();
      config.port = static_cast<int>(*port);
    } else if (name == "listen-hostname") {
      if (value.empty()) return bad();
      config.listenHostname = value;
    } else if (name == "private-server") {
      config.privateServer = value != "false" && value != "no";
    } else if (name == "auth-service") {
      config.authService = value;
    } else if (name == "admin-group") {
      if (value.empty()) return bad();
      config.adminGroup = value;
    } else if (name == "ppd-directory") {
      if (value.empty()) return bad();
      config.ppdDirectory = value;
    } else if (name == "pdf-time-limit") {
      const auto seconds = ReadNumber(value, 1, 24 * 3600);
      if (!seconds) return bad();
      config.pdfTimeLimit = std::chrono::seconds(*seconds);
    } else if (name == "pdf-memory-limit") {
      const auto mebibytes = ReadNumber(value, 16, 1 << 20);
      if (!mebibytes) return bad();
      config.pdfMemoryBytes = static_cast<std::uint64_t>(*mebibytes) << 20;
    } else if (name == "pdf-output-limit") {
      const auto mebibytes = ReadNumber(value, 1, 1 << 22);
      if (!mebibytes) return bad();
      config.pdfOutputBytes = static_cast<std::uint64_t>(*mebibytes) << 20;
    }
    // Other options are the framework's own or the sub-commands' (printer-uri, ...).
  }
  if (config.stateDirectory.empty()) {
    if (uid == 0) {
      config.stateDirectory = std::string("/var/lib/") + kName;
    } else if (xdgConfigHome != nullptr && *xdgConfigHome == '/') {
      config.stateDirectory = std::string(xdgConfigHome) + "/" + kName;
    } else if (home != nullptr && *home == '/') {
      config.stateDirectory = std::string(home) + "/.config/" + kName;
    } else {
      *error = "No state directory: give one with -o state-directory=DIR.";
      return std::nullopt;
    }
  }
  config.spoolDirectory = config.stateDirectory + "/spool";
  config.stateFile = config.stateDirectory + "/" + kName + ".state";
  config.requestDirectory = config.stateDirectory + "/requests";
  config.logFile = logFile.value_or(config.stateDirectory + "/" + kName + ".log");
  if (config.adminGroup.empty()) {
    config.adminGroup = ::getgrnam("lpadmin") != nullptr ? "lpadmin" : "root";
  }
  if (!config.LocalOnly() && config.authService.empty()) {
    *error = "Listening on " + config.listenHostname +
             " opens the service to other machines: its settings then need a login; give the "
             "PAM service with -o auth-service=SERVICE (e.g. login), or listen on this machine "
             "only (-o listen-hostname=localhost).";
    return std::nullopt;
  }
  return config;
}

}  // namespace tf::app
