// ticketfilter-app: the printer application.  An IPP Everywhere service on PAPPL whose printers
// run the filters' job core in-process, one driver per sample PPD.
//
//   ticketfilter-app server -o state-directory=DIR -o server-port=N   start the service
//   ticketfilter-app add -d NAME -m tf-color-utf8 -v socket://HOST    add a printer
//   ticketfilter-app drivers | devices | printers | status | submit FILE | ...
//
// `main` only finds the sub-command and hands everything to the framework's main loop.
#include <pappl/pappl.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app.h"
#include "app_system.h"
#include "printer_driver.h"

namespace {

using tf::app::App;

// The sub-command of the command line as the framework finds it: the first argument that is
// neither an option nor an option's value; "submit" without one.
std::string FindSubcommand(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--") == 0) break;
    if (arg[0] == '-' && arg[1] != '-') {
      // Single-letter options that take a value: it follows in the same or the next argument.
      const char* letters = arg + 1;
      for (const char* p = letters; *p != '\0'; ++p) {
        if (std::strchr("dhjmnotuv", *p) != nullptr) {
          if (p[1] == '\0') ++i;
          break;
        }
      }
      continue;
    }
    if (arg[0] == '-') continue;
    return arg;
  }
  return "submit";
}

// `devices` asks Avahi for network printers, and the framework's client aborts when no Avahi
// daemon runs (as on build machines): then the other kinds are listed, and a note says so.
bool AvahiRuns() {
  struct stat info {};
  return ::stat("/run/avahi-daemon/socket", &info) == 0 && S_ISSOCK(info.st_mode);
}

bool PrintDevice(const char*, const char* uri, const char*, void*) {
  std::puts(uri);
  return false;
}

void PrintDeviceError(const char* message, void*) {
  std::fprintf(stderr, "ticketfilter-app: %s\n", message);
}

}  // namespace

int main(int argc, char* argv[]) {
  // A write to a pipe whose reader has gone must fail, not end the service.
  ::signal(SIGPIPE, SIG_IGN);

  App app;
  const char* slash = std::strrchr(argv[0], '/');
  app.baseName = slash != nullptr ? slash + 1 : argv[0];
  app.subcommand = FindSubcommand(argc, argv);
  app.paths = {TICKETFILTER_PPD_DIR, TICKETFILTER_CUPS_FILTER_DIR};

  if (app.subcommand == "devices" && !AvahiRuns()) {
    std::fprintf(stderr, "ticketfilter-app: no Avahi daemon runs; network printers announced by "
                         "DNS-SD are not listed.\n");
    papplDeviceList(PAPPL_DEVTYPE_ALL & ~PAPPL_DEVTYPE_DNS_SD, PrintDevice, nullptr,
                    PrintDeviceError, nullptr);
    return 0;
  }

  for (const tf::app::DriverRow& row : tf::app::DriverTable()) {
    app.driverList.push_back({row.name, row.description, nullptr, nullptr});
  }
  // Every web page ends with the footer: without one, the framework's pages fail.
  static const char kFooter[] =
      "ticketfilter-app " TICKETFILTER_VERSION ": PostScript printers with job tickets.";
  return papplMainloop(argc, argv, TICKETFILTER_VERSION, kFooter,
                       static_cast<int>(app.driverList.size()), app.driverList.data(), nullptr,
                       tf::app::DriverCallback, nullptr, nullptr, tf::app::SystemCallback, nullptr,
                       &app);
}
