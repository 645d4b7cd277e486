// The service's hooks into the framework's requests.
#include "request_hooks.h"

#include <string>

#include "job_runner.h"
#include "web_auth.h"

namespace tf::app {
namespace {

// The attributes of the Print-Job or Create-Job request that the client thread is answering,
// noted by the authorization callback and taken by the job-created event of the same thread.
struct PendingRequest {
  bool valid = false;
  CapturedRequest request;
};
thread_local PendingRequest tlPending;

std::string StringOf(ipp_attribute_t* attribute) {
  if (attribute == nullptr) return {};
  if (ippGetValueTag(attribute) == IPP_TAG_STRING) {
    int length = 0;
    const void* data = ippGetOctetString(attribute, 0, &length);
    return data != nullptr && length > 0 ? std::string(static_cast<const char*>(data),
                                                       static_cast<std::size_t>(length))
                                         : std::string();
  }
  const char* text = ippGetString(attribute, 0, nullptr);
  return text != nullptr ? text : "";
}

// Notes the request's job-password, job-password-encryption and the machine the job comes from:
// the client's address, or, for a client on this machine, the job-originating-host-name it gives
// (a scheduler forwarding a job sends it among the operation attributes).
void NoteRequest(pappl_client_t* client) {
  tlPending = {};
  const ipp_op_t operation = papplClientGetOperation(client);
  if (operation != IPP_OP_PRINT_JOB && operation != IPP_OP_CREATE_JOB) return;
  ipp_t* request = papplClientGetRequest(client);
  if (request == nullptr) return;
  CapturedRequest captured;
  if (ipp_attribute_t* password = ippFindAttribute(request, "job-password", IPP_TAG_ZERO)) {
    captured.password = StringOf(password);
  }
  if (ipp_attribute_t* encryption =
          ippFindAttribute(request, "job-password-encryption", IPP_TAG_ZERO)) {
    captured.passwordEncryption = StringOf(encryption);
  }
  char address[256] = "";
  if (http_t* http = papplClientGetHTTP(client)) {
    httpAddrString(httpGetAddress(http), address, sizeof(address));
  }
  captured.originatingHost = address;
  if (IsLoopbackAddress(captured.originatingHost)) {
    const std::string claimed =
        StringOf(ippFindAttribute(request, "job-originating-host-name", IPP_TAG_ZERO));
    if (!claimed.empty()) captured.originatingHost = claimed;
  }
  tlPending.valid = true;
  tlPending.request = std::move(captured);
}

}  // namespace

http_status_t Authorize(pappl_client_t* client, const char* group, gid_t, void* data) {
  App& app = *static_cast<App*>(data);
  NoteRequest(client);
  const bool forSettings = group != nullptr && app.config.adminGroup == group;
  if (!forSettings || app.config.LocalOnly()) return HTTP_STATUS_CONTINUE;

  // The settings of a service open to the network: a user of the administrators' group whom PAM
  // knows.
  const char* header = httpGetField(papplClientGetHTTP(client), HTTP_FIELD_AUTHORIZATION);
  std::string user;
  std::string password;
  if (header == nullptr || !DecodeBasicAuthorization(header, &user, &password)) {
    return HTTP_STATUS_UNAUTHORIZED;
  }
  if (!PamAccepts(app.config.authService, user, password)) {
    papplLogClient(client, PAPPL_LOGLEVEL_WARN, "User \"%s\" was not accepted by PAM service %s.",
                   user.c_str(), app.config.authService.c_str());
    return HTTP_STATUS_UNAUTHORIZED;
  }
  if (!UserInGroup(user, app.config.adminGroup)) {
    papplLogClient(client, PAPPL_LOGLEVEL_WARN, "User \"%s\" is not in group %s.", user.c_str(),
                   app.config.adminGroup.c_str());
    return HTTP_STATUS_FORBIDDEN;
  }
  papplClientSetUsername(client, user.c_str());
  return HTTP_STATUS_CONTINUE;
}

void OnEvent(pappl_system_t* system, pappl_printer_t* printer, pappl_job_t* job,
             pappl_event_t event, void* data) {
  App& app = *static_cast<App*>(data);
  // The framework calls this with the printer and job locked: only the accessors that take no lock
  // (ids) are used here.
  if ((event & PAPPL_EVENT_JOB_CREATED) != 0 && job != nullptr && printer != nullptr) {
    const PendingRequest pending = std::move(tlPending);
    tlPending = {};
    if (!pending.valid) return;  // a job from the local socket or of the service itself
    const CapturedRequest& request = pending.request;
    if (!request.password && !request.passwordEncryption && request.originatingHost.empty()) {
      return;
    }
    std::string error;
    if (!app.requests->Save(papplPrinterGetID(printer), papplJobGetID(job), request, &error)) {
      papplLog(system, PAPPL_LOGLEVEL_ERROR, "Job %d: %s", papplJobGetID(job), error.c_str());
    }
  }
  if ((event & PAPPL_EVENT_JOB_COMPLETED) != 0 && job != nullptr && printer != nullptr) {
    app.requests->Remove(papplPrinterGetID(printer), papplJobGetID(job));
  }
  if ((event & PAPPL_EVENT_PRINTER_CONFIG_CHANGED) != 0) app.settingsChanged = true;
}

void CheckPrinterDefaults(pappl_printer_t* printer) {
  pappl_pr_driver_data_t data;
  if (papplPrinterGetDriverData(printer, &data) == nullptr || data.extension == nullptr) return;
  const DriverProfile& profile = *static_cast<const PrinterDriver*>(data.extension)->profile;
  ipp_t* attributes = papplPrinterGetDriverAttributes(printer);
  int count = 0;
  cups_option_t* corrected = nullptr;
  for (const VendorAttribute& attribute : profile.vendor) {
    const std::string name = std::string(attribute.name()) + "-default";
    ipp_attribute_t* stored = ippFindAttribute(attributes, name.c_str(), IPP_TAG_ZERO);
    if (stored == nullptr) continue;
    const char* value = ippGetString(stored, 0, nullptr);
    const std::string text = value != nullptr ? value : "";
    const bool keyword = attribute.syntax == VendorSyntax::Keyword;
    const bool wrongSyntax = keyword ? ippGetValueTag(stored) != IPP_TAG_KEYWORD
                                     : ippGetValueTag(stored) != IPP_TAG_TEXT &&
                                           ippGetValueTag(stored) != IPP_TAG_NAME;
    const auto problem = CheckVendorValue(attribute, text);
    if (!wrongSyntax && !problem) continue;
    papplLogPrinter(printer, PAPPL_LOGLEVEL_ERROR,
                    "%s %s; it is set back to \"%s\".", name.c_str(),
                    problem ? problem->c_str() : "has the wrong syntax",
                    attribute.initialDefault.c_str());
    count = cupsAddOption(attribute.name(), attribute.initialDefault.c_str(), count, &corrected);
  }
  ippDelete(attributes);
  if (count > 0) papplPrinterSetDriverDefaults(printer, &data, count, corrected);
  cupsFreeOptions(count, corrected);
}

}  // namespace tf::app
