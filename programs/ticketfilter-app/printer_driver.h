// The framework's driver callback: a printer of one of the sample drivers.
#pragma once

#include <pappl/pappl.h>

namespace tf::app {

// Fills `driver_data` and `driver_attrs` for a new or loaded printer of `driver_name` (the
// framework's pappl_pr_driver_cb_t; `data` is the App).
bool DriverCallback(pappl_system_t* system, const char* driver_name, const char* device_uri,
                    const char* device_id, pappl_pr_driver_data_t* driver_data,
                    ipp_t** driver_attrs, void* data);

}  // namespace tf::app
