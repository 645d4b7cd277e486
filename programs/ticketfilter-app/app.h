// The printer application's shared state: what the server was started with, the drivers' profiles
// and the request attributes of the queued jobs.  One per process; `main` makes it and hands it to
// every callback of the framework as its data.
#pragma once

#include <pappl/pappl.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app_config.h"
#include "driver_profile.h"
#include "request_capture.h"

namespace tf::app {

struct App;

// What the printers of one driver share, reached from each printer (its driver data's extension):
// the service and the driver's profile.
struct PrinterDriver {
  App* app = nullptr;
  const DriverProfile* profile = nullptr;
};

struct App {
  // The program's name as started (the framework names its local socket after it) and the
  // sub-command it runs ("server", "drivers", "add", ...).
  std::string baseName;
  std::string subcommand;
  BuildPaths paths;
  AppConfig config;  // set by the system callback of the server
  pappl_system_t* system = nullptr;
  bool running = false;  // the server's first tick has run
  // Set by the event callback when a printer's settings changed; taken by the timer.
  std::atomic<bool> settingsChanged{false};

  // The drivers' profiles, made when the server starts (each PPD parsed once), and what their
  // printers reach them by.
  std::mutex driversMutex;
  std::map<std::string, std::unique_ptr<DriverProfile>> profiles;
  std::map<std::string, std::unique_ptr<PrinterDriver>> drivers;

  // The drivers as the framework lists them (one per DriverTable row).
  std::vector<pappl_pr_driver_t> driverList;

  std::unique_ptr<CapturedRequestStore> requests;

  // The driver `name`, its profile made on first use; nullptr (with `error`) when it cannot be.
  const PrinterDriver* Driver(const std::string& name, std::string* error);
};

// The framework's log levels.
pappl_loglevel_t PapplLogLevel(LogLevel level);

}  // namespace tf::app
