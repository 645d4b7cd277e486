// What a job's request says that the framework does not keep: the job password and the machine
// the job came from.
//
// PAPPL copies only the job-group attributes of a Print-Job or Create-Job request into the job;
// job-password and job-password-encryption are operation attributes and are dropped, and no job
// attribute names the client's address.  The service sees the request itself in its
// authorization callback, which PAPPL calls (for every client but one on its local domain socket)
// in the client's thread just before it makes the job, and sees the new job in its event callback
// (PAPPL_EVENT_JOB_CREATED), called in the same thread as the job is made.  RequestCapture joins
// the two: the authorization callback notes the request's attributes for the thread, and the
// event gives them to the job.
//
// A job's captured attributes are kept in memory and in a file of the state folder (readable by
// the service only), so that a queued secure-print job keeps its password across a restart; the
// file goes when the job ends.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace tf::app {

struct CapturedRequest {
  std::optional<std::string> password;            // job-password, as the client sent it
  std::optional<std::string> passwordEncryption;  // job-password-encryption
  // The machine the job came from: the client's address ("127.0.0.1", "[v1.fd00::2]"), or the
  // host a client on this machine names; empty: unknown.
  std::string originatingHost;
};

// True when `address` (as the request's connection gives it: "127.0.0.1", "[v1.::1]") is this
// machine's loopback, or unknown.  A client there may name the machine a job came from itself, as
// a scheduler that forwards jobs does with job-originating-host-name.
bool IsLoopbackAddress(std::string_view address);

// The captured attributes of the jobs, by printer and job id.
class CapturedRequestStore {
 public:
  // Files go into `directory` (made when missing, mode 0700).
  explicit CapturedRequestStore(std::string directory);

  // Keeps `request` for the job; false (with `error`) when its file cannot be written.
  bool Save(int printerId, int jobId, const CapturedRequest& request, std::string* error);
  std::optional<CapturedRequest> Find(int printerId, int jobId);
  void Remove(int printerId, int jobId);
  // Reads the files of a previous run back; removes those of jobs not in `keep`.
  void Reload(const std::set<std::pair<int, int>>& keep);

  // The file text of `request` and back (an option text: every value escaped as
  // EscapeOptionValue does).
  static std::string Encode(const CapturedRequest& request);
  static CapturedRequest Decode(const std::string& text);

 private:
  std::string PathOf(int printerId, int jobId) const;

  std::string directory_;
  std::mutex mutex_;
  std::map<std::pair<int, int>, CapturedRequest> requests_;
};

}  // namespace tf::app
