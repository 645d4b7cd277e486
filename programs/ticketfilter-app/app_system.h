// The framework's system callback: the service's system object, for the server and for the
// sub-commands that need one.
#pragma once

#include <pappl/pappl.h>

namespace tf::app {

// pappl_ml_system_cb_t; `data` is the App.
pappl_system_t* SystemCallback(int num_options, cups_option_t* options, void* data);

}  // namespace tf::app
