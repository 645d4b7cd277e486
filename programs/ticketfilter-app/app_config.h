// The settings of the printer application's server, from its command line (`-o name=value`).
//
//   state-directory=DIR   where the printers, their defaults and the queued jobs are kept
//                         (default /var/lib/ticketfilter-app as root, else
//                         $XDG_CONFIG_HOME/ticketfilter-app or ~/.config/ticketfilter-app);
//                         the spool is DIR/spool, the log DIR/ticketfilter-app.log unless
//                         log-file= says otherwise
//   log-file=FILE         "-" for standard error, "syslog", or a file
//   log-level=LEVEL       fatal, error, warn, info (the default) or debug
//   server-port=N         the IPP and web port (default 8631)
//   listen-hostname=NAME  the address to listen on: "localhost" (the default) listens on this
//                         machine only; any other name, or "*" for every address, opens the
//                         service to the network, which needs auth-service
//   auth-service=SERVICE  the PAM service that checks the user and password of whoever changes
//                         settings (printing needs none)
//   admin-group=GROUP     the group whose members may change settings (default lpadmin, or
//                         root where there is no lpadmin group)
//   private-server=true   no TCP listener, only the local socket (the framework starts such a
//                         server by itself when a sub-command finds none running)
//   ppd-directory=DIR     where the sample PPDs are (default: where they are installed)
//   pdf-time-limit=S      seconds a PDF may take to convert (default 300)
//   pdf-memory-limit=MIB  memory the conversion of a PDF may take (default 1024)
//   pdf-output-limit=MIB  the most PostScript a PDF may become (default 4096)
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tf::app {

enum class LogLevel { Fatal, Error, Warn, Info, Debug };

struct AppConfig {
  std::string stateDirectory;
  std::string spoolDirectory;
  std::string stateFile;
  std::string requestDirectory;  // the operation attributes of queued jobs
  std::string logFile;
  LogLevel logLevel = LogLevel::Info;
  int port = 8631;
  std::string listenHostname = "localhost";
  bool privateServer = false;
  std::string authService;
  std::string adminGroup;
  std::string ppdDirectory;
  std::string pstops;  // CUPS's pstops filter
  std::chrono::seconds pdfTimeLimit{300};
  std::uint64_t pdfMemoryBytes = std::uint64_t{1024} << 20;
  std::uint64_t pdfOutputBytes = std::uint64_t{4096} << 20;

  // True when the service listens on this machine only (or on its local socket only).
  bool LocalOnly() const;
};

// What the build fixed: the installed PPD folder and CUPS's filter folder.
struct BuildPaths {
  std::string ppdDirectory;
  std::string cupsFilterDirectory;
};

// The settings from the server's options (name, value pairs).  `home`, `xdgConfigHome` and `uid`
// decide the default state folder.  On a bad value returns nullopt and sets `error` to a sentence.
std::optional<AppConfig> ParseServerOptions(
    const std::vector<std::pair<std::string, std::string>>& options, const BuildPaths& paths,
    unsigned uid, const char* home, const char* xdgConfigHome, std::string* error);

}  // namespace tf::app
