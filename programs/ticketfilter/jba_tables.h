// The account tables of ticketfilter: byte-mode and UTF-8 ticket tables, and the format tables
// with the N-up text, the storage document name and the infoList/infoSetList variants.
#pragma once

#include <iterator>

#include "modules/jba/jba_rows.h"

namespace tf {
namespace ticketfilter {

inline constexpr TicketDataEntry JBAticketDataCommon[] = {
    JBATicketHostName,         JBATicketIPAddress,       JBATicketInfoList,
    JBATicketInfoSetList,      JBATicketNumberUp,        JBATicketLayoutRows,
    JBATicketLayoutColumns,    JBATicketManageType,      JBATicketUserSetting,
    JBATicketUserIDListCtrl,   JBATicketUserIDMissing,   JBATicketUserID,
    JBATicketUserPassword,     JBATicketDomainName,      JBATicketInputDomainName,
    JBATicketAccountID,        JBATicketStorageID,       JBATicketStoragePassword,
    JBATicketUserInput,        JBATicketInputAuth,       JBATicketInputStrg,
    JBATicketInputStorageID,   JBATicketInputStoragePassword, JBATicketInputUserID,
    JBATicketInputUserPassword, JBATicketInputAccountID,
};

inline constexpr TicketDataEntry JBAticketDataCommonForUTF8[] = {
    JBATicketHostName,         JBATicketIPAddress,       JBATicketInfoList,
    JBATicketInfoSetList,      JBATicketNumberUp,        JBATicketLayoutRows,
    JBATicketLayoutColumns,    JBATicketManageType,      JBATicketUserSetting,
    JBATicketUserIDListCtrl,   JBATicketUserIDMissing,   JBATicketUserIDForUTF8,
    JBATicketUserPassword,     JBATicketDomainName,      JBATicketInputDomainName,
    JBATicketAccountID,        JBATicketStorageIDForUTF8, JBATicketStoragePassword,
    JBATicketUserInput,        JBATicketInputAuth,       JBATicketInputStrg,
    JBATicketInputStorageIDForUTF8, JBATicketInputStoragePassword, JBATicketInputUserIDForUTF8,
    JBATicketInputUserPassword, JBATicketInputAccountID,
};
static_assert(std::size(JBAticketDataCommon) == 26 &&
              std::size(JBAticketDataCommonForUTF8) == std::size(JBAticketDataCommon));

inline constexpr JBASide U = JBASide::User;
inline constexpr JBASide A = JBASide::Admin;

// Every job, then the user mode set in the dialog, then the user mode entered for the job.
inline constexpr FmtTableEntry JBAFmtTableCommon[] = {
    JBARowHostName,                              // 1
    JBARowHostNameAccumulation,
    JBARowJBALoginUserName,
    JBARowJBALoginUserNameAccumulation,
    JBARowJBAIPAddress,                          // 5
    JBARowJBAIPAddressIsNull,
    JBARowNUpInfo,
    JBARowComInTypeUseLoginName(U),
    JBARowComInTypeUseLoginName1(U),
    JBARowComInTypeUseLoginName2(U),             // 10
    JBARowComInTypeUseLoginName3(U),
    JBARowComInTypeUseLoginName4(U),
    JBARowComInTypeUseLoginName5,
    JBARowComInTypeUseEnterName(U),
    JBARowComInUserEnterPassword1(U),            // 15
    JBARowComInUserEnterPassword1NULL(U),
    JBARowComInUserEnterPassword2(U),
    JBARowComInUserEnterPassword2NULL(U),
    JBARowComInDomainName(U),
    JBARowComInAccount(U),                       // 20
    JBARowComInAccountNULL(U),
    JBARowComInAccumulationID(U),
    JBARowComInAccumulationDocumentName(U),
    JBARowComInAccumulationPassword(U),
    JBARowComInAccumulationPasswordNULL(U),      // 25
    JBARowJobInUseEnterName(U),
    JBARowJobInUseEnterName1(U),
    JBARowJobInUseEnterName2(U),
    JBARowJobInUserEnterPassword(U),
    JBARowJobInUserEnterPassword1(U),            // 30
    JBARowJobInUserEnterPasswordNULL(U),
    JBARowJobInUserEnterPassword1NULL(U),
    JBARowJobInDomainName(U),
    JBARowJobInAccount(U),
    JBARowJobInAccount1(U),                      // 35
    JBARowJobInAccountNULL(U),
    JBARowJobInAccountNULL3(U),
    JBARowJobInAccumulationID(U),
    JBARowJobInAccumulationDocumentName(U),
    JBARowJobInUserNameAccumulation(U),          // 40
    JBARowJobInUserPasswordAccumulation(U),
    JBARowJobInAccumulationPassword(U),
    JBARowJobInAccumulationPasswordNULL(U),
};
static_assert(std::size(JBAFmtTableCommon) == 43);

// The administrator counterparts of rows 8 to 12 and 14 to 43.
inline constexpr FmtTableEntry JBAFmtTableAdmin[] = {
    JBARowComInTypeUseLoginName(A),
    JBARowComInTypeUseLoginName1(A),
    JBARowComInTypeUseLoginName2(A),
    JBARowComInTypeUseLoginName3(A),
    JBARowComInTypeUseLoginName4(A),
    JBARowComInTypeUseEnterName(A),
    JBARowComInUserEnterPassword1(A),
    JBARowComInUserEnterPassword1NULL(A),
    JBARowComInUserEnterPassword2(A),
    JBARowComInUserEnterPassword2NULL(A),
    JBARowComInDomainName(A),
    JBARowComInAccount(A),
    JBARowComInAccountNULL(A),
    JBARowComInAccumulationID(A),
    JBARowComInAccumulationDocumentName(A),
    JBARowComInAccumulationPassword(A),
    JBARowComInAccumulationPasswordNULL(A),
    JBARowJobInUseEnterName(A),
    JBARowJobInUseEnterName1(A),
    JBARowJobInUseEnterName2(A),
    JBARowJobInUserEnterPassword(A),
    JBARowJobInUserEnterPassword1(A),
    JBARowJobInUserEnterPasswordNULL(A),
    JBARowJobInUserEnterPassword1NULL(A),
    JBARowJobInDomainName(A),
    JBARowJobInAccount(A),
    JBARowJobInAccount1(A),
    JBARowJobInAccountNULL(A),
    JBARowJobInAccountNULL3(A),
    JBARowJobInAccumulationID(A),
    JBARowJobInAccumulationDocumentName(A),
    JBARowJobInUserNameAccumulation(A),
    JBARowJobInUserPasswordAccumulation(A),
    JBARowJobInAccumulationPassword(A),
    JBARowJobInAccumulationPasswordNULL(A),
};
static_assert(std::size(JBAFmtTableAdmin) == 35);

}  // namespace ticketfilter

inline constexpr JBATables TicketfilterAccountTables{
    ticketfilter::JBAticketDataCommon,        JBAticketDataAdmin,
    ticketfilter::JBAticketDataCommonForUTF8, JBAticketDataAdminForUTF8,
    ticketfilter::JBAFmtTableCommon,          ticketfilter::JBAFmtTableAdmin,
};

}  // namespace tf
