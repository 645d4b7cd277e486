// The account tables of ticketfilter-basic: byte mode only, no infoList or infoSetList tickets,
// no N-up text and no storage document name.
#pragma once

#include <iterator>

#include "modules/jba/jba_rows.h"

namespace tf {
namespace ticketfilter_basic {

inline constexpr TicketDataEntry JBAticketDataCommon[] = {
    JBATicketHostName,         JBATicketIPAddress,       JBATicketNumberUp,
    JBATicketLayoutRows,       JBATicketLayoutColumns,   JBATicketManageType,
    JBATicketUserSetting,      JBATicketUserIDListCtrl,  JBATicketUserIDMissing,
    JBATicketUserID,           JBATicketUserPassword,    JBATicketDomainName,
    JBATicketInputDomainName,  JBATicketAccountID,       JBATicketStorageID,
    JBATicketStoragePassword,  JBATicketUserInput,       JBATicketInputAuth,
    JBATicketInputStrg,        JBATicketInputStorageID,  JBATicketInputStoragePassword,
    JBATicketInputUserID,      JBATicketInputUserPassword, JBATicketInputAccountID,
};
static_assert(std::size(JBAticketDataCommon) == 24);

inline constexpr JBASide U = JBASide::User;
inline constexpr JBASide A = JBASide::Admin;

// Rows whose last condition item tests infoList or infoSetList, without that item.
constexpr FmtTableEntry ComInTypeUseLoginName(JBASide s) {
  return WithoutLastCondition(JBARowComInTypeUseLoginName(s),
                              s == U ? "ComInTypeUseLoginName" : "ComInTypeUseLoginNameAdmin");
}
constexpr FmtTableEntry JobInUseEnterName(JBASide s) {
  return WithoutLastCondition(JBARowJobInUseEnterName(s), "JobInUseEnterName");
}
constexpr FmtTableEntry JobInUserEnterPassword(JBASide s) {
  return WithoutLastCondition(JBARowJobInUserEnterPassword(s), "JobInUserEnterPassword");
}
constexpr FmtTableEntry JobInUserEnterPasswordNULL(JBASide s) {
  return WithoutLastCondition(JBARowJobInUserEnterPasswordNULL(s), "JobInUserEnterPasswordNULL");
}
constexpr FmtTableEntry JobInAccount(JBASide s) {
  return WithoutLastCondition(JBARowJobInAccount(s), "JobInAccount");
}
// In the place of JobInAccountNULL3: the same row without its infoList item.
constexpr FmtTableEntry JobInAccountNULL2(JBASide s) {
  return WithoutLastCondition(JBARowJobInAccountNULL3(s), "JobInAccountNULL2");
}

inline constexpr FmtTableEntry JBAFmtTableCommon[] = {
    JBARowHostName,
    JBARowHostNameAccumulation,
    JBARowJBALoginUserName,
    JBARowJBALoginUserNameAccumulation,
    JBARowJBAIPAddress,
    JBARowJBAIPAddressIsNull,
    ComInTypeUseLoginName(U),
    JBARowComInTypeUseEnterName(U),
    JBARowComInUserEnterPassword1(U),
    JBARowComInUserEnterPassword1NULL(U),
    JBARowComInUserEnterPassword2(U),
    JBARowComInUserEnterPassword2NULL(U),
    JBARowComInDomainName(U),
    JBARowComInAccount(U),
    JBARowComInAccountNULL(U),
    JBARowComInAccumulationID(U),
    JBARowComInAccumulationPassword(U),
    JBARowComInAccumulationPasswordNULL(U),
    JobInUseEnterName(U),
    JobInUserEnterPassword(U),
    JobInUserEnterPasswordNULL(U),
    JBARowJobInDomainName(U),
    JobInAccount(U),
    JBARowJobInAccountNULL(U),
    JobInAccountNULL2(U),
    JBARowJobInAccumulationID(U),
    JBARowJobInUserNameAccumulation(U),
    JBARowJobInUserPasswordAccumulation(U),
    JBARowJobInAccumulationPassword(U),
    JBARowJobInAccumulationPasswordNULL(U),
};
static_assert(std::size(JBAFmtTableCommon) == 30);

inline constexpr FmtTableEntry JBAFmtTableAdmin[] = {
    ComInTypeUseLoginName(A),
    JBARowComInTypeUseEnterName(A),
    JBARowComInUserEnterPassword1(A),
    JBARowComInUserEnterPassword1NULL(A),
    JBARowComInUserEnterPassword2(A),
    JBARowComInUserEnterPassword2NULL(A),
    JBARowComInDomainName(A),
    JBARowComInAccount(A),
    JBARowComInAccountNULL(A),
    JBARowComInAccumulationID(A),
    JBARowComInAccumulationPassword(A),
    JBARowComInAccumulationPasswordNULL(A),
    JobInUseEnterName(A),
    JobInUserEnterPassword(A),
    JobInUserEnterPasswordNULL(A),
    JBARowJobInDomainName(A),
    JobInAccount(A),
    JBARowJobInAccountNULL(A),
    JobInAccountNULL2(A),
    JBARowJobInAccumulationID(A),
    JBARowJobInUserNameAccumulation(A),
    JBARowJobInUserPasswordAccumulation(A),
    JBARowJobInAccumulationPassword(A),
    JBARowJobInAccumulationPasswordNULL(A),
};
static_assert(std::size(JBAFmtTableAdmin) == 24);

}  // namespace ticketfilter_basic

inline constexpr JBATables TicketfilterBasicAccountTables{
    ticketfilter_basic::JBAticketDataCommon, JBAticketDataAdmin, {}, {},
    ticketfilter_basic::JBAFmtTableCommon,   ticketfilter_basic::JBAFmtTableAdmin,
};

}  // namespace tf
