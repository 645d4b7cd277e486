// Who may change the service's settings.
//
// PAPPL asks the service's authorization callback before every request that needs it, with the
// group the request needs: the administrators' group for the settings (web pages, printer
// defaults, adding and deleting printers), the printer's print group (none: anyone) for printing.
// When the service listens on this machine only, everyone on it may do both, as PAPPL allows
// without authentication.  Otherwise printing stays open and the settings need a user of the
// administrators' group, checked with PAM (HTTP Basic; PAPPL requires TLS for it from other
// machines).
#pragma once

#include <string>

namespace tf::app {

// True when PAM service `service` accepts `user` with `password`.
bool PamAccepts(const std::string& service, const std::string& user, const std::string& password);

// True when `user` belongs to `group` (as primary or supplementary group).
bool UserInGroup(const std::string& user, const std::string& group);

// The user and password of an HTTP "Authorization: Basic ..." header value; false when it is none.
bool DecodeBasicAuthorization(const std::string& header, std::string* user, std::string* password);

}  // namespace tf::app
