// The framework's system callback.
//
// For the server: its settings (app_config.h); the checks that everything the service relies on
// is there (the job-start work-around of job_serialization.h, CUPS's pstops, the drivers' PPDs);
// the system listening where the settings say, with the authorization and event hooks of
// request_hooks.h; the PDF filter; the vendor attributes' labels; and the state of the previous
// run: jobs it left printing turned back to pending (state_repair.h), the state loaded, saved
// whenever it changes, and the queued jobs started once the service runs (the framework starts
// queued jobs only when something new happens).
//
// The other sub-commands that ask for a system ("drivers") get a bare one.
#include "app_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "app.h"
#include "documents.h"
#include "job_serialization.h"
#include "printer_driver.h"
#include "request_hooks.h"
#include "state_repair.h"

namespace tf::app {
namespace {

constexpr char kName[] = "ticketfilter-app";

bool MakeDirectory(const std::string& path, mode_t mode, std::string* error) {
  if (::mkdir(path.c_str(), mode) == 0 || errno == EEXIST) return true;
  *error = "Unable to make the folder " + path + ": " + std::strerror(errno) + ".";
  return false;
}

// Turns the jobs the previous run left printing back to pending; returns their ids.
std::vector<int> RepairState(const std::string& stateFile, std::string* error) {
  std::ifstream in(stateFile, std::ios::binary);
  if (!in) return {};
  std::stringstream text;
  text << in.rdbuf();
  const RequeuedState repaired = RequeueInterruptedJobs(text.str());
  if (repaired.jobIds.empty()) return {};
  const std::string temporary = stateFile + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << repaired.text;
    if (!out.flush()) {
      *error = "Unable to write " + temporary + ".";
      return {};
    }
  }
  if (std::rename(temporary.c_str(), stateFile.c_str()) != 0) {
    *error = "Unable to replace " + stateFile + ": " + std::strerror(errno) + ".";
    return {};
  }
  return repaired.jobIds;
}

// The domain socket of the sub-commands, as the framework names it after the program.
std::string LocalSocketPath(const std::string& baseName) {
  if (::getuid() == 0) return "/run/" + baseName + ".sock";
  return std::string(papplGetTempDir()) + "/" + baseName + std::to_string(::getuid()) + ".sock";
}

bool SaveState(pappl_system_t* system, void* data) {
  return papplSystemSaveState(system, static_cast<App*>(data)->config.stateFile.c_str());
}

// Once a second while the service runs: on the first run the queued jobs start and the local
// socket is closed to other users; after a change of printer settings, the vendor defaults are
// checked.  Being a timer, it also makes the main loop save a changed state within a second.
bool Tick(pappl_system_t* system, void* data) {
  App& app = *static_cast<App*>(data);
  if (!app.running) {
    app.running = true;
    // The sub-commands' socket gives full control without a password: only the service's own
    // user may use it.  Over IPP, job-password and the client's address are kept for the job;
    // over the socket the framework gives the service no look at the request.
    const std::string socket = LocalSocketPath(app.baseName);
    if (::chmod(socket.c_str(), 0600) != 0 && errno != ENOENT) {
      papplLog(system, PAPPL_LOGLEVEL_WARN, "Unable to restrict %s: %s", socket.c_str(),
               std::strerror(errno));
    }
    papplSystemIteratePrinters(
        system, [](pappl_printer_t* printer, void*) { papplPrinterResume(printer); }, nullptr);
  }
  if (app.settingsChanged.exchange(false)) {
    papplSystemIteratePrinters(
        system, [](pappl_printer_t* printer, void*) { CheckPrinterDefaults(printer); }, nullptr);
  }
  return true;
}

pappl_system_t* ServerSystem(App& app, int numOptions, cups_option_t* options) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (int i = 0; i < numOptions; ++i) pairs.emplace_back(options[i].name, options[i].value);
  std::string error;
  const auto config = ParseServerOptions(pairs, app.paths, ::getuid(), std::getenv("HOME"),
                                         std::getenv("XDG_CONFIG_HOME"), &error);
  if (!config) {
    std::fprintf(stderr, "%s: %s\n", kName, error.c_str());
    return nullptr;
  }
  app.config = *config;
  const std::string serialization = CheckJobSerialization();
  if (!serialization.empty()) {
    std::fprintf(stderr, "%s: %s\n", kName, serialization.c_str());
    return nullptr;
  }
  if (::access(app.config.pstops.c_str(), X_OK) != 0) {
    std::fprintf(stderr, "%s: CUPS's pstops filter (%s) is missing (Debian: cups-core-drivers).\n",
                 kName, app.config.pstops.c_str());
    return nullptr;
  }
  if (!MakeDirectory(app.config.stateDirectory, 0700, &error) ||
      !MakeDirectory(app.config.spoolDirectory, 0700, &error)) {
    std::fprintf(stderr, "%s: %s\n", kName, error.c_str());
    return nullptr;
  }
  // Every driver's PPD is parsed once, now: a sample PPD that cannot be read shows at start.
  std::vector<std::string> driverErrors;
  for (const DriverRow& row : DriverTable()) {
    std::string driverError;
    if (app.Driver(row.name, &driverError) == nullptr) {
      driverErrors.push_back(std::string(row.name) + ": " + driverError);
    }
  }

  // TLS only where someone logs in from another machine (the framework asks for it there).
  pappl_soptions_t soptions =
      PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE | PAPPL_SOPTIONS_WEB_LOG;
  if (app.config.LocalOnly()) soptions |= PAPPL_SOPTIONS_NO_TLS;
  pappl_system_t* system = papplSystemCreate(
      soptions, kName, app.config.port, "_print,_universal", app.config.spoolDirectory.c_str(),
      app.config.logFile.c_str(), PapplLogLevel(app.config.logLevel), nullptr, false);
  if (system == nullptr) return nullptr;
  app.system = system;
  for (const std::string& driverError : driverErrors) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "Driver %s", driverError.c_str());
  }
  const std::string listen = app.config.listenHostname == "*" ? "" : app.config.listenHostname;
  if (!app.config.privateServer &&
      !papplSystemAddListeners(system, listen.empty() ? nullptr : listen.c_str())) {
    std::fprintf(stderr, "%s: Unable to listen on %s port %d.\n", kName,
                 app.config.listenHostname.c_str(), app.config.port);
    papplSystemDelete(system);
    return nullptr;
  }
  papplSystemSetAdminGroup(system, app.config.adminGroup.c_str());
  papplSystemSetAuthCallback(system, "Basic", Authorize, &app);
  papplSystemSetEventCallback(system, OnEvent, &app);
  papplSystemAddMIMEFilter(system, "application/pdf", "application/postscript", PrintPdf, &app);
  // The drivers before the state: loading a printer asks its driver.
  papplSystemSetPrinterDrivers(system, static_cast<int>(app.driverList.size()),
                               app.driverList.data(), nullptr, nullptr, DriverCallback, &app);


  app.requests = std::make_unique<CapturedRequestStore>(app.config.requestDirectory);
  for (int id : RepairState(app.config.stateFile, &error)) {
    papplLog(system, PAPPL_LOGLEVEL_INFO,
             "Job %d was printing when the service stopped; it prints again.", id);
  }
  if (!error.empty()) papplLog(system, PAPPL_LOGLEVEL_ERROR, "%s", error.c_str());
  if (::access(app.config.stateFile.c_str(), R_OK) == 0) {
    papplSystemLoadState(system, app.config.stateFile.c_str());
  }
  papplSystemSetSaveCallback(system, SaveState, &app);
  // The requests of the jobs still queued come back; the rest are dropped.
  std::set<std::pair<int, int>> queued;
  papplSystemIteratePrinters(
      system,
      [](pappl_printer_t* printer, void* data) {
        auto* keys = static_cast<std::set<std::pair<int, int>>*>(data);
        struct Keys {
          std::set<std::pair<int, int>>* keys;
          int printer;
        } context{keys, papplPrinterGetID(printer)};
        papplPrinterIterateActiveJobs(
            printer,
            [](pappl_job_t* job, void* data) {
              auto* c = static_cast<Keys*>(data);
              c->keys->insert({c->printer, papplJobGetID(job)});
            },
            &context, 1, 0);
      },
      &queued);
  app.requests->Reload(queued);

  papplSystemAddTimerCallback(system, std::time(nullptr), 1, Tick, &app);
  return system;
}

}  // namespace

pappl_loglevel_t PapplLogLevel(LogLevel level) {
  switch (level) {
    case LogLevel::Fatal: return PAPPL_LOGLEVEL_FATAL;
    case LogLevel::Error: return PAPPL_LOGLEVEL_ERROR;
    case LogLevel::Warn: return PAPPL_LOGLEVEL_WARN;
    case LogLevel::Info: return PAPPL_LOGLEVEL_INFO;
    case LogLevel::Debug: return PAPPL_LOGLEVEL_DEBUG;
  }
  return PAPPL_LOGLEVEL_INFO;
}

const PrinterDriver* App::Driver(const std::string& name, std::string* error) {
  std::lock_guard<std::mutex> lock(driversMutex);
  if (auto found = drivers.find(name); found != drivers.end()) return found->second.get();
  const DriverRow* row = FindDriver(name);
  if (row == nullptr) {
    *error = "no such driver.";
    return nullptr;
  }
  std::unique_ptr<DriverProfile> profile = LoadDriverProfile(*row, config.ppdDirectory, error);
  if (!profile) return nullptr;
  auto driver = std::make_unique<PrinterDriver>();
  driver->app = this;
  driver->profile = profile.get();
  profiles[name] = std::move(profile);
  return (drivers[name] = std::move(driver)).get();
}

pappl_system_t* SystemCallback(int numOptions, cups_option_t* options, void* data) {
  App& app = *static_cast<App*>(data);
  if (app.subcommand == "server") return ServerSystem(app, numOptions, options);
  // "drivers" lists the drivers of a system that never runs.
  return papplSystemCreate(PAPPL_SOPTIONS_MULTI_QUEUE, kName, 0, nullptr, nullptr, "-",
                           PAPPL_LOGLEVEL_ERROR, nullptr, false);
}

}  // namespace tf::app
