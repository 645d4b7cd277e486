// Files the filter creates: the job copy and the temporary file of the decomposition mode.
#pragma once

#include <ctime>
#include <string>

namespace tf {

// True when `path` exists (the job-copy flag file; its content is never read).
bool FileExists(const char* path);

// Local time as fourteen digits, "%Y%m%d%H%M%S".
std::string LocalTimeStamp(std::time_t when);

// Creates the job copy "<dir>/qm<stamp>.job" exclusively, never following a link.  When that name
// is taken (two jobs in the same second) it takes the first free "<dir>/qm<stamp>-<n>.job".
// Returns the open descriptor and sets `path`, or returns -1 (errno set).
int CreateJobCopyFile(const std::string& dir, const std::string& stamp, std::string* path);

// Creates a unique temporary file "<dir>/<prefix>XXXXXX" exclusively (mkstemp), in `dir` ("/tmp"
// when it is empty).  Returns the open descriptor and sets `path`, or -1 (errno set).
int CreateTemporaryFile(const char* prefix, const std::string& dir, std::string* path);

}  // namespace tf
