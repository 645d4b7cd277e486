// Who may change the service's settings: PAM and group membership.
#include "web_auth.h"

#include <cups/cups.h>
#include <grp.h>
#include <pwd.h>
#include <security/pam_appl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tf::app {
namespace {

struct Credentials {
  const char* user;
  const char* password;
};

// Answers PAM's questions: the password for prompts that hide the answer, the user name for those
// that echo it.
extern "C" int Converse(int count, const pam_message** messages, pam_response** responses,
                        void* data) {
  const auto* credentials = static_cast<const Credentials*>(data);
  auto* replies = static_cast<pam_response*>(std::calloc(static_cast<std::size_t>(count),
                                                         sizeof(pam_response)));
  if (replies == nullptr) return PAM_BUF_ERR;
  for (int i = 0; i < count; ++i) {
    switch (messages[i]->msg_style) {
      case PAM_PROMPT_ECHO_OFF:
        replies[i].resp = ::strdup(credentials->password);
        break;
      case PAM_PROMPT_ECHO_ON:
        replies[i].resp = ::strdup(credentials->user);
        break;
      default:
        break;
    }
  }
  *responses = replies;
  return PAM_SUCCESS;
}

}  // namespace

bool PamAccepts(const std::string& service, const std::string& user, const std::string& password) {
  Credentials credentials{user.c_str(), password.c_str()};
  const pam_conv conversation{Converse, &credentials};
  pam_handle_t* handle = nullptr;
  if (::pam_start(service.c_str(), user.c_str(), &conversation, &handle) != PAM_SUCCESS) {
    return false;
  }
  int status = ::pam_authenticate(handle, PAM_SILENT);
  if (status == PAM_SUCCESS) status = ::pam_acct_mgmt(handle, PAM_SILENT);
  ::pam_end(handle, status);
  return status == PAM_SUCCESS;
}

bool UserInGroup(const std::string& user, const std::string& groupName) {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwnam_r(user.c_str(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr) {
    return false;
  }
  std::vector<char> groupBuffer(16384);
  struct group groupEntry {};
  struct group* groupFound = nullptr;
  if (::getgrnam_r(groupName.c_str(), &groupEntry, groupBuffer.data(), groupBuffer.size(),
                   &groupFound) != 0 ||
      groupFound == nullptr) {
    return false;
  }
  if (found->pw_gid == groupFound->gr_gid) return true;
  int count = 64;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  if (::getgrouplist(user.c_str(), found->pw_gid, groups.data(), &count) < 0) {
    groups.resize(static_cast<std::size_t>(count));
    if (::getgrouplist(user.c_str(), found->pw_gid, groups.data(), &count) < 0) return false;
  }
  for (int i = 0; i < count; ++i) {
    if (groups[static_cast<std::size_t>(i)] == groupFound->gr_gid) return true;
  }
  return false;
}

bool DecodeBasicAuthorization(const std::string& header, std::string* user,
                              std::string* password) {
  constexpr char kBasic[] = "Basic ";
  if (header.compare(0, sizeof(kBasic) - 1, kBasic) != 0) return false;
  std::size_t start = sizeof(kBasic) - 1;
  while (start < header.size() && header[start] == ' ') ++start;
  char decoded[1024];
  int length = sizeof(decoded);
  httpDecode64_2(decoded, &length, header.c_str() + start);
  const std::string text(decoded, static_cast<std::size_t>(std::max(length, 0)));
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos || colon == 0) return false;
  *user = text.substr(0, colon);
  *password = text.substr(colon + 1);
  return true;
}

}  // namespace tf::app
