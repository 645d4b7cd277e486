// The service's hooks into the framework's requests: who may do what (web_auth.h), and the job
// attributes the framework drops (request_capture.h).
#pragma once

#include <pappl/pappl.h>

#include "app.h"

namespace tf::app {

// The authorization callback (pappl_auth_cb_t; `data` is the App).
http_status_t Authorize(pappl_client_t* client, const char* group, gid_t groupId, void* data);

// The event callback (pappl_event_cb_t; `data` is the App): keeps a new job's captured request,
// drops it when the job ends, and notes changed printer settings (App::settingsChanged) for
// CheckPrinterDefaults.
void OnEvent(pappl_system_t* system, pappl_printer_t* printer, pappl_job_t* job,
             pappl_event_t event, void* data);

// Puts every vendor default of `printer` that its attribute does not take back to the driver's
// initial default, and logs it.  The framework stores what IPP clients and the web page send
// without checking it.
void CheckPrinterDefaults(pappl_printer_t* printer);

}  // namespace tf::app
