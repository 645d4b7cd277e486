// The account tables of ticketfilter-basic: byte mode only, no infoList or infoSetList tickets,
// no N-up text and no storage document name.
#include "jba_tables.h"

#include <iterator>

#include "modules/jba/jba_rows.h"

namespace tf {
namespace {

constexpr JBASide U = JBASide::User;
constexpr JBASide A = JBASide::Admin;

constexpr TicketDataEntry JBAticketDataCommon[] = {
    JBATicketHostName,         JBATicketIPAddress,       JBATicketNumberUp,
    JBATicketLayoutRows,       JBATicketLayoutColumns,   JBATicketManageType,
    JBATicketUserSetting,      JBATicketUserIDListCtrl,  JBATicketUserIDMissing,
    JBATicketUserID,           JBATicketUserPassword,    JBATicketDomainName,
    JBATicketInputDomainName,  JBATicketAccountID,       JBATicketStorageID,
    JBATicketStoragePassword,  JBATicketUserInput,       JBATicketInputAuth,
    JBATicketInputStrg,        JBATicketInputStorageID,  JBATicketInputStoragePassword,
    JBATicketInputUserID,      JBATicketInputUserPassword, JBATicketInputAccountID,
};
constexpr std::int32_t JBATicketDataNumCommon = 24;
static_assert(std::size(JBAticketDataCommon) == JBATicketDataNumCommon);

// Rows whose last condition item tests infoList or infoSetList, without that item.
template <JBASide s>
constexpr const FmtTableEntry& ComInTypeUseLoginName =
    WithoutLastCondition<JBARowComInTypeUseLoginName<s>>;
template <JBASide s>
constexpr const FmtTableEntry& JobInUseEnterName = WithoutLastCondition<JBARowJobInUseEnterName<s>>;
template <JBASide s>
constexpr const FmtTableEntry& JobInUserEnterPassword =
    WithoutLastCondition<JBARowJobInUserEnterPassword<s>>;
template <JBASide s>
constexpr const FmtTableEntry& JobInUserEnterPasswordNULL =
    WithoutLastCondition<JBARowJobInUserEnterPasswordNULL<s>>;
template <JBASide s>
constexpr const FmtTableEntry& JobInAccount = WithoutLastCondition<JBARowJobInAccount<s>>;

constexpr FmtTableEntry JBAFmtTableCommon[] = {
    JBARowHoseName,
    JBARowHostNameAccumulation,
    JBARowJBALoginUserName,
    JBARowJBALoginUserNameAccumulation,
    JBARowJBAIPAddress,
    JBARowJBAIPAddressIsNull,
    ComInTypeUseLoginName<U>,
    JBARowComInTypeUseEnterName<U>,
    JBARowComInUserEnterPassword1<U>,
    JBARowComInUserEnterPassword1NULL<U>,
    JBARowComInUserEnterPassword2<U>,
    JBARowComInUserEnterPassword2NULL<U>,
    JBARowComInDomainName<U>,
    JBARowComInAccount<U>,
    JBARowComInAccountNULL<U>,
    JBARowComInAccumulationID<U>,
    JBARowComInAccumulationPassword<U>,
    JBARowComInAccumulationPasswordNULL<U>,
    JobInUseEnterName<U>,
    JobInUserEnterPassword<U>,
    JobInUserEnterPasswordNULL<U>,
    JBARowJobInDomainName<U>,
    JobInAccount<U>,
    JBARowJobInAccountNULL<U>,
    JBARowJobInAccountNULL2<U>,
    JBARowJobInAccumulationID<U>,
    JBARowJobInUserNameAccumulation<U>,
    JBARowJobInUserPasswordAccumulation<U>,
    JBARowJobInAccumulationPassword<U>,
    JBARowJobInAccumulationPasswordNULL<U>,
};
static_assert(std::size(JBAFmtTableCommon) == 30);

constexpr FmtTableEntry JBAFmtTableAdmin[] = {
    ComInTypeUseLoginName<A>,
    JBARowComInTypeUseEnterName<A>,
    JBARowComInUserEnterPassword1<A>,
    JBARowComInUserEnterPassword1NULL<A>,
    JBARowComInUserEnterPassword2<A>,
    JBARowComInUserEnterPassword2NULL<A>,
    JBARowComInDomainName<A>,
    JBARowComInAccount<A>,
    JBARowComInAccountNULL<A>,
    JBARowComInAccumulationID<A>,
    JBARowComInAccumulationPassword<A>,
    JBARowComInAccumulationPasswordNULL<A>,
    JobInUseEnterName<A>,
    JobInUserEnterPassword<A>,
    JobInUserEnterPasswordNULL<A>,
    JBARowJobInDomainName<A>,
    JobInAccount<A>,
    JBARowJobInAccountNULL<A>,
    JBARowJobInAccountNULL2<A>,
    JBARowJobInAccumulationID<A>,
    JBARowJobInUserNameAccumulation<A>,
    JBARowJobInUserPasswordAccumulation<A>,
    JBARowJobInAccumulationPassword<A>,
    JBARowJobInAccumulationPasswordNULL<A>,
};
static_assert(std::size(JBAFmtTableAdmin) == 24);

}  // namespace

const JBATables& TicketfilterBasicAccountTables() {
  static constexpr JBATables tables{
      JBAticketDataCommon, JBAticketDataAdmin, {}, {}, JBAFmtTableCommon, JBAFmtTableAdmin,
  };
  return tables;
}

}  // namespace tf
