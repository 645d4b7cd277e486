// Account (JBA) commands: the job attributes by which the printer identifies and bills the job.
#pragma once

#include <cstdint>

namespace tf {

class Job;

// Record `kpjlOptionJBA`: the account tickets of the job.
struct JBAOptions {
  char hostName[33];
  char ipAddress[46];
  std::int32_t infoList;
  std::int32_t infoSetList;
  std::int32_t manageType;
  std::int32_t userSetting;
  std::int32_t userIDListCtrl;
  char userID[97];
  char domainName[65];
  char userPassword[255];
  char accountID[33];
  char storageID[73];
  char storagePassword[17];
  std::int32_t userInput;
  std::int32_t adminUserSetting;
  std::int32_t adminUserIDListCtrl;
  char adminUserID[97];
  char adminDomainName[65];
  char adminUserPassword[255];
  char adminAccountID[33];
  char adminStorageID[73];
  char adminStoragePassword[17];
  std::int32_t adminUserInput;
  std::int32_t inputAuth;
  std::int32_t inputStrg;
  char inputStorageID[73];
  char inputStoragePassword[17];
  char inputUserID[97];
  char inputDomainName[65];
  char inputUserPassword[255];
  char inputAccountID[33];
  std::int32_t userIDMissing;  // 1 when the user-ID ticket is absent from the job options
};

// The account tables of one program (the two programs have different ones).  Defined by the
// account module.
struct JBATables;

void JBAInializeDescriptionTableFromFilter(Job& job);
int JBAGetTicketFromPDE(Job& job);
void JBAOutputKPJLCommandFromFilter(Job& job);

}  // namespace tf
