// Account (JBA) commands: the job attributes by which the printer identifies and bills the job.
//
// Every job gets the client host name, the login user, the host address and the N-up layout;
// with account management switched on in the dialog also the user ID and password, the domain,
// the account ID and the storage ID, document name and password, for the user mode or the
// administrator mode.  The rows of both format tables are defined once (jba_rows.h); each program
// assembles its own tables from them and lists the module with them: JBAModule<its tables>.
#pragma once

#include <cstdint>
#include <span>

#include "engine/format.h"
#include "engine/module.h"
#include "engine/ticket.h"
#include "modules/jba/client_host.h"

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

// Ticket keys (after the program's ticket-key prefix).
inline constexpr char kJBAHostNameTicketKey[] = "JBAMacHostNameStringTicket";
inline constexpr char kJBAIPAddressStringTicketKey[] = "JBAIPAddressStringTicket";
inline constexpr char kJBAInfoListTicketKey[] = "JBAInfoListTicketKey";
inline constexpr char kJBAInfoSetLboxTicketKey[] = "JBAInfoSetListTicketKey";
inline constexpr char kJBAMngTypeListBoxTicketKey[] = "JBAManageTypeListTicketKey";
inline constexpr char kJBAJobInfoRadioBtnTicketKey[] = "JBAUserSettingRadioBtnTicket";
inline constexpr char kJBAUserIDListCtrlTicketKey[] = "JBAUserIDListCtrlTicket";
inline constexpr char kJBAUserIDTextEditTicketKey[] = "JBAUserIDTextEditTicket";
inline constexpr char kJBAUserIDPasswordTextEditTicketKey[] = "JBAUserPasswordTextEditTicket";
inline constexpr char kJBADomainNameTicketKey[] = "JBADomainNameTextEditTicket";
inline constexpr char kJBAInputDomainNameTicketKey[] = "JBAInputDomainNameTextEditTicket";
inline constexpr char kJBAAccountIDTextEditTicketKey[] = "JBAAccountIDTextEditTicket";
inline constexpr char kJBAStorageIDTextEditTicketKey[] = "JBAStorageIDTextEditTicket";
inline constexpr char kJBAStoragePasswordTextEditTicketKey[] = "JBAStoragePasswordTextEditTicket";
inline constexpr char kJBAJobInputRadioBtnTicketKey[] = "JBAUserInputRadioBtnTicket";
inline constexpr char kJBAInputAuthRadioBtnTicketKey[] = "JBAInputAuthRadioBtnTicketKey";
inline constexpr char kJBAInputStrgRadioBtnTicketKey[] = "JBAInputStrgRadioBtnTicketKey";
inline constexpr char kJBAInputStorageIDTextEditTicketKey[] = "JBAInputStorageIDTextEditTicket";
inline constexpr char kJBAInputStoragePasswordTextEditTicketKey[] =
    "JBAInputStoragePasswordTextEditTicket";
inline constexpr char kJBAInputUserIDTextEditTicketKey[] = "JBAInputUserIDTextEditTicket";
inline constexpr char kJBAInputUserIDPasswordTextEditTicketKey[] =
    "JBAInputUserPasswordTextEditTicket";
inline constexpr char kJBAInputAccountIDTextEditTicketKey[] = "JBAInputAccountIDTextEditTicket";
inline constexpr char kJBAJobInfoRadioBtnTicketKeyAdmin[] = "JBAAdminUserSettingRadioBtnTicket";
inline constexpr char kJBAUserIDListCtrlTicketKeyAdmin[] = "JBAAdminUserIDListCtrlTicket";
inline constexpr char kJBAUserIDTextEditTicketKeyAdmin[] = "JBAAdminUserIDTextEditTicket";
inline constexpr char kJBADomainNameTicketKeyAdmin[] = "JBAAdminDomainNameTextEditTicket";
inline constexpr char kJBAUserIDPasswordTextEditTicketKeyAdmin[] =
    "JBAAdminUserPasswordTextEditTicket";
inline constexpr char kJBAAccountIDTextEditTicketKeyAdmin[] = "JBAAdminAccountIDTextEditTicket";
inline constexpr char kJBAStorageIDTextEditTicketKeyAdmin[] = "JBAAdminStorageIDTextEditTicket";
inline constexpr char kJBAStoragePasswordTextEditTicketKeyAdmin[] =
    "JBAAdminStoragePasswordTextEditTicket";
inline constexpr char kJBAJobInputRadioBtnTicketKeyAdmin[] = "JBAAdminUserInputRadioBtnTicket";

// Standard options of the page layout (no prefix).
inline constexpr char kJBANumberUpKey[] = "number-up";
inline constexpr char kJBALayoutRowsKey[] = "com.apple.print.PrintSettings.PMLayoutRows..n.";
inline constexpr char kJBALayoutColumnsKey[] = "com.apple.print.PrintSettings.PMLayoutColumns..n.";

// Values compared with the record's integers.
inline constexpr std::int32_t JBAModeListUser = 2;   // manageType: user mode
inline constexpr std::int32_t JBAModeListAdmin = 1;  // manageType: administrator mode
inline constexpr std::int32_t JBAInfoListNotExist = 0;
inline constexpr std::int32_t JBAInfoListUserAccntSelect = 1;
inline constexpr std::int32_t JBAInfoListBillingSelect = 2;
inline constexpr std::int32_t JBAInfoListAllSelect = 3;
inline constexpr std::int32_t Case_8 = 8;  // infoSetList: the user ID is not to be sent
inline constexpr std::int32_t OptionUserInputTypeSelected = 1;
inline constexpr std::int32_t OptionComInUserTypeUseLogin = 1;   // the login name is the user ID
inline constexpr std::int32_t OptionComInUserTypeEnterName = 2;  // the user ID was typed
inline constexpr std::int32_t JBAUserNameNotExist = 1;           // userIDMissing
inline constexpr std::int32_t OptionUserInputTypeSelectedAdmin = 1;
inline constexpr std::int32_t OptionComInUserTypeUseLoginAdmin = 1;
inline constexpr std::int32_t OptionComInUserTypeEnterNameAdmin = 2;

// The account tables of one program: the two programs read different tickets and write different
// rows.  The UTF-8 ticket tables are empty in a program without the UTF-8 mode.
struct JBATables {
  std::span<const TicketDataEntry> ticketDataCommon;  // JBAticketDataCommon
  std::span<const TicketDataEntry> ticketDataAdmin;   // JBAticketDataAdmin
  std::span<const TicketDataEntry> ticketDataCommonForUTF8;
  std::span<const TicketDataEntry> ticketDataAdminForUTF8;
  std::span<const FmtTableEntry> fmtTableCommon;  // JBAFmtTableCommon
  std::span<const FmtTableEntry> fmtTableAdmin;   // JBAFmtTableAdmin
};

// The N-up text of the job into `destination` (StdNUpInfo): "N" and the "number-up" value when the
// job has one, else "N" and the product of the layout's rows and columns, "1" for a single page
// per sheet, converted to Shift-JIS.  A ticket reader; `key` is "number-up".  Returns 1.
std::int32_t ReadNumberUpText(const char* key, const JobOptions& options, void* destination,
                              std::int32_t size);
inline constexpr TicketReader GetNumberUpTicketString{ReadNumberUpText, StoredValue::ShiftJISText};

// Reads the common and the administrator tickets into the record `kpjlOptionJBA` (the UTF-8
// tables on UTF-8 printers).
void JBAGetTicketFromPDE(Job& job, void* kpjlOptionJBA, const JBATables& tables);
// Writes the administrator rows, then the common rows.
void JBAOutputKPJLCommandFromFilter(Job& job, const void* kpjlOptionJBA, const JBATables& tables);

// The ticket tables of `tables`, for the ticket reference.
template <const JBATables& tables>
inline constexpr std::span<const TicketDataEntry> JBATicketTables[] = {
    tables.ticketDataCommon, tables.ticketDataAdmin, tables.ticketDataCommonForUTF8,
    tables.ticketDataAdminForUTF8};

// The account module of a program whose account tables are `tables`: its record is a
// JBAOptions; it finds the client host once the job is accepted (client_host.h).
template <const JBATables& tables>
inline constexpr ModuleDescriptor JBAModule{
    .name = "account",
    .record = RecordTypeOf<JBAOptions>(),
    .ticketTables = JBATicketTables<tables>,
    .querySystem = [](Job& job, void*) { GetClientIPAddress(job); },
    .readTickets = [](Job& job, void* record) { JBAGetTicketFromPDE(job, record, tables); },
    .writeHeader =
        [](Job& job, void* record) { JBAOutputKPJLCommandFromFilter(job, record, tables); },
};

}  // namespace tf
