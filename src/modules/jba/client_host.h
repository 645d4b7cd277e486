// The client host: the local host name and its encoded network address, for the account
// attributes CNAM and HOAD.
#pragma once

namespace tf {

class Job;

// Fills HostNameStr and IPAddressStr of the job.
void GetClientIPAddress(Job& job);

}  // namespace tf
