// The rows of the account tables, each defined once.
//
// Both programs build their ticket-data and format tables from these rows (programs/*/
// jba_tables.cpp); a program only chooses which rows, and which condition variants, its tables
// hold.  Rows that exist for the user mode and for the administrator mode are templates over
// JBASide: the administrator variant tests `manageType` = JBAModeListAdmin and the admin fields
// and constants instead of the user ones, and writes the same text.
#pragma once

#include <cstdint>

#include "engine/condition.h"
#include "engine/format.h"
#include "engine/ticket.h"
#include "engine/job.h"
#include "modules/jba/jba.h"

namespace tf {

enum class JBASide { User, Admin };

namespace jba {

constexpr Operand DQ = TF_CONST(CTRLSym_DOUBLE);
constexpr Operand CR = TF_CONST(CTRLSym_CR);
constexpr Operand LF = TF_CONST(CTRLSym_LF);

// What the conditions of one mode test.
struct SideOperands {
  Operand mode;             // JBAModeListUser / JBAModeListAdmin
  Operand userSetting;      // user information set in the dialog
  Operand userIDListCtrl;   // login name or typed user ID
  Operand userID;
  Operand domainName;
  Operand userPassword;
  Operand accountID;
  Operand storageID;
  Operand storagePassword;
  Operand userInput;        // user information entered for the job
  Operand selected;         // OptionUserInputTypeSelected[Admin]
  Operand useLogin;         // OptionComInUserTypeUseLogin[Admin]
  Operand enterName;        // OptionComInUserTypeEnterName[Admin]
};

inline constexpr SideOperands kUser{
    TF_CONST(JBAModeListUser),
    TF_FIELD(kpjlOptionJBA.userSetting),
    TF_FIELD(kpjlOptionJBA.userIDListCtrl),
    TF_FIELD(kpjlOptionJBA.userID),
    TF_FIELD(kpjlOptionJBA.domainName),
    TF_FIELD(kpjlOptionJBA.userPassword),
    TF_FIELD(kpjlOptionJBA.accountID),
    TF_FIELD(kpjlOptionJBA.storageID),
    TF_FIELD(kpjlOptionJBA.storagePassword),
    TF_FIELD(kpjlOptionJBA.userInput),
    TF_CONST(OptionUserInputTypeSelected),
    TF_CONST(OptionComInUserTypeUseLogin),
    TF_CONST(OptionComInUserTypeEnterName),
};

inline constexpr SideOperands kAdmin{
    TF_CONST(JBAModeListAdmin),
    TF_FIELD(kpjlOptionJBA.adminUserSetting),
    TF_FIELD(kpjlOptionJBA.adminUserIDListCtrl),
    TF_FIELD(kpjlOptionJBA.adminUserID),
    TF_FIELD(kpjlOptionJBA.adminDomainName),
    TF_FIELD(kpjlOptionJBA.adminUserPassword),
    TF_FIELD(kpjlOptionJBA.adminAccountID),
    TF_FIELD(kpjlOptionJBA.adminStorageID),
    TF_FIELD(kpjlOptionJBA.adminStoragePassword),
    TF_FIELD(kpjlOptionJBA.adminUserInput),
    TF_CONST(OptionUserInputTypeSelectedAdmin),
    TF_CONST(OptionComInUserTypeUseLoginAdmin),
    TF_CONST(OptionComInUserTypeEnterNameAdmin),
};

constexpr const SideOperands& Of(JBASide side) { return side == JBASide::User ? kUser : kAdmin; }

// Fields that both modes share.
constexpr Operand kHostNameStr = TF_FIELD(HostNameStr);
constexpr Operand kIPAddressStr = TF_FIELD(IPAddressStr);
constexpr Operand kStdUserName = TF_FIELD(StdUserName);
constexpr Operand kStdJBAUserName = TF_FIELD(StdJBAUserName);
constexpr Operand kStdDocumentName = TF_FIELD(StdDocumentName);
constexpr Operand kStdNUpInfo = TF_FIELD(StdNUpInfo);
constexpr Operand kIpAddressTicket = TF_FIELD(kpjlOptionJBA.ipAddress);
constexpr Operand kInfoList = TF_FIELD(kpjlOptionJBA.infoList);
constexpr Operand kInfoSetList = TF_FIELD(kpjlOptionJBA.infoSetList);
constexpr Operand kManageType = TF_FIELD(kpjlOptionJBA.manageType);
constexpr Operand kUserIDMissing = TF_FIELD(kpjlOptionJBA.userIDMissing);
constexpr Operand kInputAuth = TF_FIELD(kpjlOptionJBA.inputAuth);
constexpr Operand kInputStrg = TF_FIELD(kpjlOptionJBA.inputStrg);
constexpr Operand kInputStorageID = TF_FIELD(kpjlOptionJBA.inputStorageID);
constexpr Operand kInputStoragePassword = TF_FIELD(kpjlOptionJBA.inputStoragePassword);
constexpr Operand kInputUserID = TF_FIELD(kpjlOptionJBA.inputUserID);
constexpr Operand kInputDomainName = TF_FIELD(kpjlOptionJBA.inputDomainName);
constexpr Operand kInputUserPassword = TF_FIELD(kpjlOptionJBA.inputUserPassword);
constexpr Operand kInputAccountID = TF_FIELD(kpjlOptionJBA.inputAccountID);

constexpr ComparationItem Is(Operand field, Operand value) { return {field, value, IntCampareFunc}; }
constexpr ComparationItem IsNot(Operand field, Operand value) {
  return {field, value, IntNoEqualCampareFunc};
}
constexpr ComparationItem NonEmpty(Operand field) {
  return {field, TF_CONST(OptionNULLStr), StrNoNULLCampareFunc};
}
constexpr ComparationItem Empty(Operand field) {
  return {field, TF_CONST(OptionNULLStr), StrIsNULLCampareFunc};
}

// The two leading items of the dialog-set rows ("S") and of the job-input rows ("J").
constexpr ComparationItem ModeIs(JBASide side) { return Is(kManageType, Of(side).mode); }
constexpr ComparationItem SettingSelected(JBASide side) {
  return Is(Of(side).userSetting, Of(side).selected);
}
constexpr ComparationItem InputSelected(JBASide side) {
  return Is(Of(side).userInput, Of(side).selected);
}
constexpr ComparationItem LoginChosen(JBASide side) {
  return Is(Of(side).userIDListCtrl, Of(side).useLogin);
}
constexpr ComparationItem InfoListExists() {
  return IsNot(kInfoList, TF_CONST(JBAInfoListNotExist));
}
constexpr ComparationItem InfoSetIs8() { return Is(kInfoSetList, TF_CONST(Case_8)); }
constexpr ComparationItem InfoSetNot8() { return IsNot(kInfoSetList, TF_CONST(Case_8)); }
constexpr ComparationItem AuthSelected(JBASide side) { return Is(kInputAuth, Of(side).selected); }
constexpr ComparationItem AuthUseLogin(JBASide side) { return Is(kInputAuth, Of(side).useLogin); }
constexpr ComparationItem StrgSelected(JBASide side) { return Is(kInputStrg, Of(side).selected); }

}  // namespace jba

// ---------------------------------------------------------------------------------------------
// Format strings.  The administrator rows write the same text under their own names.

inline constexpr char prtfmtStrHoseName[] = "@PJL SET JOBATTR=%c@CNAM=%s%c%c";
inline constexpr char prtfmtStrHostNameAccumulation[] = "@PJL SET JOBATTR=%c@CNAM=UnknownHost%c\n";
inline constexpr char prtfmtStrJBALoginUserName[] = "@PJL SET JOBATTR=%c@LUNA=%s%c%c";
inline constexpr char prtfmtStrJBALoginUserNameAccumulation[] =
    "@PJL SET JOBATTR=%c@LUNA=UnknownUser%c\n";
inline constexpr char prtfmtStrJBAIPAddress[] = "@PJL SET JOBATTR=%c@HOAD=%s%c%c";
inline constexpr char prtfmtStrJBAIPAddressIsNull[] = "@PJL SET JOBATTR=%c@HOAD=%s%c%c";
inline constexpr char prtfmtStrNUpInfo[] = "@PJL SET JOBATTR=%c@NLPP=%s%c%c";
inline constexpr char prtfmtStrComInTypeUseLoginName[] = "@PJL SET JOBATTR=%c@JOAU=%s%c%c%c";
inline constexpr char prtfmtStrComInTypeUseLoginName1[] =
    "@PJL SET JOBATTR=%c@JOAU=UnknownUser%c\n";
inline constexpr char prtfmtStrComInTypeUseLoginName2[] = "@PJL SET JOBATTR=%c@JOAU=%s%c%c%c";
inline constexpr char prtfmtStrComInTypeUseLoginName3[] = "@PJL SET JOBATTR=%c@JOAU=%s%c%c%c";
inline constexpr char prtfmtStrComInTypeUseLoginName4[] =
    "@PJL SET JOBATTR=%c@JOAU=UnknownUser%c\n";
inline constexpr char prtfmtStrComInTypeUseLoginName5[] = "@PJL SET JOBATTR=%c@JOAU=%s%c%c%c";
inline constexpr char prtfmtStrComInTypeUseEnterName[] = "@PJL SET JOBATTR=%c@JOAU=%s%c%c%c";
inline constexpr char prtfmtStrComInUserEnterPassword1[] = "@PJL SET JOBATTR=%c@JOEP=%s%c%c%c";
inline constexpr char prtfmtStrComInUserEnterPassword1NULL[] = "@PJL SET JOBATTR=%c@JOEP=%c%c%c";
inline constexpr char prtfmtStrComInUserEnterPassword2[] = "@PJL SET JOBATTR=%c@JOEP=%s%c%c%c";
inline constexpr char prtfmtStrComInUserEnterPassword2NULL[] = "@PJL SET JOBATTR=%c@JOEP=%c%c%c";
inline constexpr char prtfmtStrComInDomainName[] = "@PJL SET JOBATTR=%c@JOAD=%s%c%c%c";
inline constexpr char prtfmtStrComInAccount[] = "@PJL SET JOBATTR=%c@DAID=%s%c%c%c";
inline constexpr char prtfmtStrComInAccountNULL[] = "@PJL SET JOBATTR=%c@DAID=%c%c%c";
inline constexpr char prtfmtStrComInAccumulationID[] = "@PJL SET JOBATTR=%c@ACID=%s%c%c%c";
inline constexpr char prtfmtStrComInAccumulationDocumentName[] =
    "@PJL SET JOBATTR=%c@ACNA=%s%c%c%c";
inline constexpr char prtfmtStrComInAccumulationPassword[] = "@PJL SET JOBATTR=%c@ACEP=%s%c%c%c";
inline constexpr char prtfmtStrComInAccumulationPasswordNULL[] = "@PJL SET JOBATTR=%c@ACEP=%c%c%c";
inline constexpr char prtfmtStrJobInUseEnterName[] = "@PJL SET JOBATTR=%c@JOAU=%s%c%c%c";
inline constexpr char prtfmtStrJobInUseEnterName1[] = "@PJL SET JOBATTR=%c@JOAU=UnknownUser%c%c%c";
inline constexpr char prtfmtStrJobInUseEnterName2[] = "@PJL SET JOBATTR=%c@JOAU=UnknownUser%c%c%c";
inline constexpr char prtfmtStrJobInUserEnterPassword[] = "@PJL SET JOBATTR=%c@JOEP=%s%c%c%c";
inline constexpr char prtfmtStrJobInUserEnterPassword1[] = "@PJL SET JOBATTR=%c@JOEP=%c%c%c";
inline constexpr char prtfmtStrJobInUserEnterPasswordNULL[] = "@PJL SET JOBATTR=%c@JOEP=%c%c%c";
inline constexpr char prtfmtStrJobInUserEnterPassword1NULL[] = "@PJL SET JOBATTR=%c@JOEP=%c%c%c";
inline constexpr char prtfmtStrJobInDomainName[] = "@PJL SET JOBATTR=%c@JOAD=%s%c%c%c";
inline constexpr char prtfmtStrJobInAccount[] = "@PJL SET JOBATTR=%c@DAID=%s%c%c%c";
inline constexpr char prtfmtStrJobInAccount1[] = "@PJL SET JOBATTR=%c@DAID=%c%c%c";
inline constexpr char prtfmtStrJobInAccountNULL[] = "@PJL SET JOBATTR=%c@DAID=%c%c%c";
inline constexpr char prtfmtStrJobInAccountNULL3[] = "@PJL SET JOBATTR=%c@DAID=%c%c%c";
inline constexpr const char* prtfmtStrJobInAccountNULL2 = prtfmtStrJobInAccountNULL3;
inline constexpr char prtfmtStrJobInAccumulationID[] = "@PJL SET JOBATTR=%c@ACID=%s%c%c%c";
inline constexpr char prtfmtStrJobInAccumulationDocumentName[] =
    "@PJL SET JOBATTR=%c@ACNA=%s%c%c%c";
inline constexpr char prtfmtStrJobInUserNameAccumulation[] =
    "@PJL SET JOBATTR=%c@JOAU=UnknownUser%c\n";
inline constexpr char prtfmtStrJobInUserPasswordAccumulation[] = "@PJL SET JOBATTR=%c@JOEP=%c\n";
inline constexpr char prtfmtStrJobInAccumulationPassword[] = "@PJL SET JOBATTR=%c@ACEP=%s%c%c%c";
inline constexpr char prtfmtStrJobInAccumulationPasswordNULL[] = "@PJL SET JOBATTR=%c@ACEP=%c%c%c";

inline constexpr const char* prtfmtStrComInTypeUseLoginNameAdmin = prtfmtStrComInTypeUseLoginName;
inline constexpr const char* prtfmtStrComInTypeUseLoginNameAdmin1 = prtfmtStrComInTypeUseLoginName1;
inline constexpr const char* prtfmtStrComInTypeUseLoginNameAdmin2 = prtfmtStrComInTypeUseLoginName2;
inline constexpr const char* prtfmtStrComInTypeUseLoginNameAdmin3 = prtfmtStrComInTypeUseLoginName3;
inline constexpr const char* prtfmtStrComInTypeUseLoginNameAdmin4 = prtfmtStrComInTypeUseLoginName4;
inline constexpr const char* prtfmtStrComInTypeUseEnterNameAdmin = prtfmtStrComInTypeUseEnterName;
inline constexpr const char* prtfmtStrComInUserEnterPassword1Admin =
    prtfmtStrComInUserEnterPassword1;
inline constexpr const char* prtfmtStrComInUserEnterPassword1NULLAdmin =
    prtfmtStrComInUserEnterPassword1NULL;
inline constexpr const char* prtfmtStrComInUserEnterPassword2Admin =
    prtfmtStrComInUserEnterPassword2;
inline constexpr const char* prtfmtStrComInUserEnterPassword2NULLAdmin =
    prtfmtStrComInUserEnterPassword2NULL;
inline constexpr const char* prtfmtStrComInTypeDomainNameAdmin = prtfmtStrComInDomainName;
inline constexpr const char* prtfmtStrComInAccountAdmin = prtfmtStrComInAccount;
inline constexpr const char* prtfmtStrComInAccountNULLAdmin = prtfmtStrComInAccountNULL;
inline constexpr const char* prtfmtStrComInAccumulationIDAdmin = prtfmtStrComInAccumulationID;
inline constexpr const char* prtfmtStrComInAccumulationDocumentNameAdmin =
    prtfmtStrComInAccumulationDocumentName;
inline constexpr const char* prtfmtStrComInAccumulationPasswordAdmin =
    prtfmtStrComInAccumulationPassword;
inline constexpr const char* prtfmtStrComInAccumulationPasswordNULLAdmin =
    prtfmtStrComInAccumulationPasswordNULL;

// The format of a row of the given mode.
constexpr const char* JBAFormat(JBASide side, const char* user, const char* admin) {
  return side == JBASide::User ? user : admin;
}

// ---------------------------------------------------------------------------------------------
// Parameter lists.  Rows with an empty value share one list per line end.

// "...=%c%c%c": an empty quoted value and CR LF.
inline constexpr Operand cmdParaListEmptyValueCRLF[] = {jba::DQ, jba::DQ, jba::CR, jba::LF};
inline constexpr ParaTable<Operand> symParaEmptyValueCRLF = MakeParaTable(cmdParaListEmptyValueCRLF);
// "...=%c\n" and "...=UnknownUser%c\n": the quotes only, the format ends in LF.
inline constexpr Operand cmdParaListEmptyValueLF[] = {jba::DQ, jba::DQ};
inline constexpr ParaTable<Operand> symParaEmptyValueLF = MakeParaTable(cmdParaListEmptyValueLF);

inline constexpr Operand cmdParaListHostName[] = {jba::DQ, jba::kHostNameStr, jba::DQ, jba::LF};
inline constexpr ParaTable<Operand> symParaHostName = MakeParaTable(cmdParaListHostName);
inline constexpr Operand cmdParaJBALoginUserName[] = {jba::DQ, jba::kStdUserName, jba::DQ,
                                                      jba::LF};
inline constexpr ParaTable<Operand> symParaJBALoginUserName =
    MakeParaTable(cmdParaJBALoginUserName);
inline constexpr Operand cmdParaListJBAIPAddress[] = {jba::DQ, jba::kIPAddressStr, jba::DQ,
                                                      jba::LF};
inline constexpr ParaTable<Operand> symParaJBAIPAddress = MakeParaTable(cmdParaListJBAIPAddress);
inline constexpr Operand cmdParaListNUpInfo[] = {jba::DQ, jba::kStdNUpInfo, jba::DQ, jba::LF};
inline constexpr ParaTable<Operand> symParaNUpInfo = MakeParaTable(cmdParaListNUpInfo);
// The login name as account user ID (StdJBAUserName).
inline constexpr Operand cmdParaListComInTypeUseLoginName[] = {jba::DQ, jba::kStdJBAUserName,
                                                               jba::DQ, jba::CR, jba::LF};
inline constexpr ParaTable<Operand> symParaComInTypeUseLoginName =
    MakeParaTable(cmdParaListComInTypeUseLoginName);
inline constexpr Operand cmdParaListComInAccumulationDocumentName[] = {
    jba::DQ, jba::kStdDocumentName, jba::DQ, jba::CR, jba::LF};
inline constexpr ParaTable<Operand> symParaComInAccumulationDocumentName =
    MakeParaTable(cmdParaListComInAccumulationDocumentName);

// The dialog-set values of one mode.
template <JBASide s>
inline constexpr Operand cmdParaListComInTypeUseEnterName[] = {jba::DQ, jba::Of(s).userID, jba::DQ,
                                                               jba::CR, jba::LF};
template <JBASide s>
inline constexpr Operand cmdParaListComInUserEnterPassword[] = {
    jba::DQ, jba::Of(s).userPassword, jba::DQ, jba::CR, jba::LF};
template <JBASide s>
inline constexpr Operand cmdParaListComInDomainName[] = {jba::DQ, jba::Of(s).domainName, jba::DQ,
                                                         jba::CR, jba::LF};
template <JBASide s>
inline constexpr Operand cmdParaListComInAccount[] = {jba::DQ, jba::Of(s).accountID, jba::DQ,
                                                      jba::CR, jba::LF};
template <JBASide s>
inline constexpr Operand cmdParaListComInAccumulationID[] = {jba::DQ, jba::Of(s).storageID, jba::DQ,
                                                             jba::CR, jba::LF};
template <JBASide s>
inline constexpr Operand cmdParaListComInAccumulationPassword[] = {
    jba::DQ, jba::Of(s).storagePassword, jba::DQ, jba::CR, jba::LF};

template <JBASide s>
inline constexpr ParaTable<Operand> symParaComInTypeUseEnterName =
    MakeParaTable(cmdParaListComInTypeUseEnterName<s>);
template <JBASide s>
inline constexpr ParaTable<Operand> symParaComInUserEnterPassword =
    MakeParaTable(cmdParaListComInUserEnterPassword<s>);
template <JBASide s>
inline constexpr ParaTable<Operand> symParaComInDomainName =
    MakeParaTable(cmdParaListComInDomainName<s>);
template <JBASide s>
inline constexpr ParaTable<Operand> symParaComInAccount = MakeParaTable(cmdParaListComInAccount<s>);
template <JBASide s>
inline constexpr ParaTable<Operand> symParaComInAccumulationID =
    MakeParaTable(cmdParaListComInAccumulationID<s>);
template <JBASide s>
inline constexpr ParaTable<Operand> symParaComInAccumulationPassword =
    MakeParaTable(cmdParaListComInAccumulationPassword<s>);

// The values entered for the job (the same fields in both modes).
inline constexpr Operand cmdParaListJobInUseEnterName[] = {jba::DQ, jba::kInputUserID, jba::DQ,
                                                           jba::CR, jba::LF};
inline constexpr Operand cmdParaListJobInUserEnterPassword[] = {
    jba::DQ, jba::kInputUserPassword, jba::DQ, jba::CR, jba::LF};
inline constexpr Operand cmdParaListJobInDomainName[] = {jba::DQ, jba::kInputDomainName, jba::DQ,
                                                         jba::CR, jba::LF};
inline constexpr Operand cmdParaListJobInAccount[] = {jba::DQ, jba::kInputAccountID, jba::DQ,
                                                      jba::CR, jba::LF};
inline constexpr Operand cmdParaListJobInAccumulationID[] = {jba::DQ, jba::kInputStorageID,
                                                             jba::DQ, jba::CR, jba::LF};
inline constexpr Operand cmdParaListJobInAccumulationPassword[] = {
    jba::DQ, jba::kInputStoragePassword, jba::DQ, jba::CR, jba::LF};

inline constexpr ParaTable<Operand> symParaJobInUseEnterName =
    MakeParaTable(cmdParaListJobInUseEnterName);
inline constexpr ParaTable<Operand> symParaJobInUserEnterPassword =
    MakeParaTable(cmdParaListJobInUserEnterPassword);
inline constexpr ParaTable<Operand> symParaJobInDomainName =
    MakeParaTable(cmdParaListJobInDomainName);
inline constexpr ParaTable<Operand> symParaJobInAccount = MakeParaTable(cmdParaListJobInAccount);
inline constexpr ParaTable<Operand> symParaJobInAccumulationID =
    MakeParaTable(cmdParaListJobInAccumulationID);
inline constexpr ParaTable<Operand> symParaJobInAccumulationPassword =
    MakeParaTable(cmdParaListJobInAccumulationPassword);

// ---------------------------------------------------------------------------------------------
// Condition lists, in the order their items are tested.

// Every job.
inline constexpr ComparationItem comparationItemHostName[] = {jba::NonEmpty(jba::kHostNameStr)};
inline constexpr ComparationItem comparationItemHostNameAccumulation[] = {
    jba::Empty(jba::kHostNameStr)};
inline constexpr ComparationItem comparationItemLoginUserName[] = {
    jba::NonEmpty(jba::kStdUserName)};
inline constexpr ComparationItem comparationItemLoginUserNameAccumulation[] = {
    jba::Empty(jba::kStdUserName)};
inline constexpr ComparationItem comparationItemJBAIPAddress[] = {
    jba::NonEmpty(jba::kIpAddressTicket)};
inline constexpr ComparationItem comparationItemJBAIPAddressIsNull[] = {
    jba::Empty(jba::kIpAddressTicket), jba::NonEmpty(jba::kIPAddressStr)};
inline constexpr ComparationItem comparationItemNUpInfo[] = {jba::NonEmpty(jba::kStdNUpInfo)};
inline constexpr ComparationItem comparationItemComInTypeUseLoginName5[] = {
    jba::Is(jba::kUserIDMissing, TF_CONST(JBAUserNameNotExist))};

// User information set in the dialog ("S" rows).
template <JBASide s>
inline constexpr ComparationItem comparationItemComInTypeUseLoginName[] = {
    jba::ModeIs(s), jba::SettingSelected(s), jba::LoginChosen(s), jba::NonEmpty(jba::kStdUserName),
    jba::Is(jba::kInfoList, TF_CONST(JBAInfoListNotExist))};
template <JBASide s>
inline constexpr ComparationItem comparationItemComInTypeUseLoginName1[] = {
    jba::ModeIs(s), jba::SettingSelected(s), jba::LoginChosen(s), jba::InfoListExists(),
    jba::Is(jba::kInfoList, TF_CONST(JBAInfoListBillingSelect)), jba::InfoSetNot8()};
template <JBASide s>
inline constexpr ComparationItem comparationItemComInTypeUseLoginName2[] = {
    jba::ModeIs(s), jba::SettingSelected(s), jba::LoginChosen(s), jba::NonEmpty(jba::kStdUserName),
    jba::InfoListExists(), jba::Is(jba::kInfoList, TF_CONST(JBAInfoListUserAccntSelect)),
    jba::InfoSetNot8()};
template <JBASide s>
inline constexpr ComparationItem comparationItemComInTypeUseLoginName3[] = {
    jba::ModeIs(s), jba::SettingSelected(s), jba::LoginChosen(s), jba::NonEmpty(jba::kStdUserName),
    jba::InfoListExists(), jba::Is(jba::kInfoList, TF_CONST(JBAInfoListAllSelect)),
    jba::InfoSetNot8()};
template <JBASide s>
inline constexpr ComparationItem comparationItemComInTypeUseLoginName4[] = {
    jba::ModeIs(s), jba::SettingSelected(s), jba::LoginChosen(s), jba::InfoListExists(),
    jba::InfoSetIs8()};
template <JBASide s>
inline constexpr ComparationItem comparationItemComInTypeUseEnterName[] = {
    jba::ModeIs(s), jba::SettingSelected(s),
    jba::Is(jba::Of(s).userIDListCtrl, jba::Of(s).enterName), jba::NonEmpty(jba::Of(s).userID)};
template <JBASide s>
inline constexpr ComparationItem comparationItemComInUserEnterPassword1[] = {
    jba::ModeIs(s), jba::SettingSelected(s), jba::LoginChosen(s), jba::NonEmpty(jba::kStdUserName),
    jba::NonEmpty(jba::Of(s).userPassword)};
template <JBASide s>
inline constexpr ComparationItem comparationItemComInUserEnterPassword1NULL[] = {
    jba::ModeIs(s), jba::SettingSelected(s), jba::LoginChosen(s), jba::NonEmpty(jba::kStdUserName),
    jba::Empty(jba::Of(s).userPassword)};
// The typed-ID password rows test the user constant in both modes (the values are equal).
template <JBASide s>
inline constexpr ComparationItem comparationItemComInUserEnterPassword2[] = {
    jba::ModeIs(s), jba::SettingSelected(s),
    jba::Is(jba::Of(s).userIDListCtrl, TF_CONST(OptionComInUserTypeEnterName)),
    jba::NonEmpty(jba::Of(s).userID), jba::NonEmpty(jba::Of(s).userPassword)};
template <JBASide s>
inline constexpr ComparationItem comparationItemComInUserEnterPassword2NULL[] = {
    jba::ModeIs(s), jba::SettingSelected(s),
    jba::Is(jba::Of(s).userIDListCtrl, TF_CONST(OptionComInUserTypeEnterName)),
    jba::NonEmpty(jba::Of(s).userID), jba::Empty(jba::Of(s).userPassword)};
template <JBASide s>
inline constexpr ComparationItem comparationItemComInDomainName[] = {
    jba::ModeIs(s), jba::SettingSelected(s), jba::NonEmpty(jba::Of(s).domainName)};
template <JBASide s>
inline constexpr ComparationItem comparationItemComInAccount[] = {
    jba::ModeIs(s), jba::SettingSelected(s), jba::NonEmpty(jba::Of(s).accountID)};
template <JBASide s>
inline constexpr ComparationItem comparationItemComInAccountNULL[] = {
    jba::ModeIs(s), jba::SettingSelected(s), jba::Empty(jba::Of(s).accountID)};
template <JBASide s>
inline constexpr ComparationItem comparationItemComInAccumulationID[] = {
    jba::ModeIs(s), jba::SettingSelected(s), jba::NonEmpty(jba::Of(s).storageID)};
template <JBASide s>
inline constexpr ComparationItem comparationItemComInAccumulationDocumentName[] = {
    jba::ModeIs(s), jba::SettingSelected(s), jba::NonEmpty(jba::kStdDocumentName)};
template <JBASide s>
inline constexpr ComparationItem comparationItemComInAccumulationPassword[] = {
    jba::ModeIs(s), jba::SettingSelected(s), jba::NonEmpty(jba::Of(s).storageID),
    jba::NonEmpty(jba::Of(s).storagePassword)};
template <JBASide s>
inline constexpr ComparationItem comparationItemComInAccumulationPasswordNULL[] = {
    jba::ModeIs(s), jba::SettingSelected(s), jba::NonEmpty(jba::Of(s).storageID),
    jba::Empty(jba::Of(s).storagePassword)};

// User information entered for the job ("J" rows).
template <JBASide s>
inline constexpr ComparationItem comparationItemJobInUseEnterName[] = {
    jba::ModeIs(s), jba::InputSelected(s), jba::AuthSelected(s), jba::NonEmpty(jba::kInputUserID),
    jba::InfoSetNot8()};
template <JBASide s>
inline constexpr ComparationItem comparationItemJobInUseEnterName1[] = {
    jba::ModeIs(s), jba::InputSelected(s), jba::AuthSelected(s), jba::InfoSetIs8()};
template <JBASide s>
inline constexpr ComparationItem comparationItemJobInUseEnterName2[] = {
    jba::ModeIs(s), jba::InputSelected(s), jba::AuthSelected(s), jba::Empty(jba::kInputUserID),
    jba::InfoSetNot8()};
template <JBASide s>
inline constexpr ComparationItem comparationItemJobInUserEnterPassword[] = {
    jba::ModeIs(s), jba::InputSelected(s), jba::AuthUseLogin(s), jba::NonEmpty(jba::kInputUserID),
    jba::NonEmpty(jba::kInputUserPassword), jba::InfoSetNot8()};
template <JBASide s>
inline constexpr ComparationItem comparationItemJobInUserEnterPassword1[] = {
    jba::ModeIs(s), jba::InputSelected(s), jba::AuthUseLogin(s), jba::InfoSetIs8()};
template <JBASide s>
inline constexpr ComparationItem comparationItemJobInUserEnterPasswordNULL[] = {
    jba::ModeIs(s), jba::InputSelected(s), jba::AuthUseLogin(s),
    jba::Empty(jba::kInputUserPassword), jba::NonEmpty(jba::kInputUserID), jba::InfoSetNot8()};
template <JBASide s>
inline constexpr ComparationItem comparationItemJobInUserEnterPassword1NULL[] = {
    jba::ModeIs(s), jba::InputSelected(s), jba::AuthUseLogin(s), jba::Empty(jba::kInputUserID),
    jba::InfoSetNot8()};
template <JBASide s>
inline constexpr ComparationItem comparationItemJobInDomainName[] = {
    jba::ModeIs(s), jba::InputSelected(s), jba::AuthSelected(s),
    jba::NonEmpty(jba::kInputDomainName)};
template <JBASide s>
inline constexpr ComparationItem comparationItemJobInAccount[] = {
    jba::ModeIs(s), jba::InputSelected(s), jba::AuthSelected(s),
    jba::NonEmpty(jba::kInputAccountID), jba::InfoSetNot8()};
template <JBASide s>
inline constexpr ComparationItem comparationItemJobInAccount1[] = {
    jba::ModeIs(s), jba::InputSelected(s), jba::AuthSelected(s),
    jba::NonEmpty(jba::kInputAccountID), jba::InfoSetIs8()};
template <JBASide s>
inline constexpr ComparationItem comparationItemJobInAccountNULL[] = {
    jba::ModeIs(s), jba::InputSelected(s), jba::AuthSelected(s), jba::Empty(jba::kInputAccountID)};
// Without its last item (infoList), this is the list of prtfmtStrJobInAccountNULL2.
template <JBASide s>
inline constexpr ComparationItem comparationItemJobInAccountNULL3[] = {
    jba::ModeIs(s), jba::InputSelected(s), jba::StrgSelected(s), jba::InfoListExists()};
template <JBASide s>
inline constexpr ComparationItem comparationItemJobInAccumulationID[] = {
    jba::ModeIs(s), jba::InputSelected(s), jba::StrgSelected(s),
    jba::NonEmpty(jba::kInputStorageID)};
template <JBASide s>
inline constexpr ComparationItem comparationItemJobInAccumulationDocumentName[] = {
    jba::ModeIs(s), jba::InputSelected(s), jba::NonEmpty(jba::kStdDocumentName)};
template <JBASide s>
inline constexpr ComparationItem comparationItemJobInUserNameAccumulation[] = {
    jba::ModeIs(s), jba::InputSelected(s), jba::StrgSelected(s)};
template <JBASide s>
inline constexpr ComparationItem comparationItemJobInUserPasswordAccumulation[] = {
    jba::ModeIs(s), jba::InputSelected(s), jba::StrgSelected(s)};
template <JBASide s>
inline constexpr ComparationItem comparationItemJobInAccumulationPassword[] = {
    jba::ModeIs(s), jba::InputSelected(s), jba::StrgSelected(s),
    jba::NonEmpty(jba::kInputStorageID), jba::NonEmpty(jba::kInputStoragePassword)};
template <JBASide s>
inline constexpr ComparationItem comparationItemJobInAccumulationPasswordNULL[] = {
    jba::ModeIs(s), jba::InputSelected(s), jba::StrgSelected(s),
    jba::NonEmpty(jba::kInputStorageID), jba::Empty(jba::kInputStoragePassword)};

// The counted lists the rows point at.
inline constexpr ParaTable<ComparationItem> comparationHostName =
    MakeParaTable(comparationItemHostName);
inline constexpr ParaTable<ComparationItem> comparationHostNameAccumulation =
    MakeParaTable(comparationItemHostNameAccumulation);
inline constexpr ParaTable<ComparationItem> comparationJBAIPAddress =
    MakeParaTable(comparationItemJBAIPAddress);
inline constexpr ParaTable<ComparationItem> comparationJBAIPAddressIsNull =
    MakeParaTable(comparationItemJBAIPAddressIsNull);
inline constexpr ParaTable<ComparationItem> comparationNUpInfo =
    MakeParaTable(comparationItemNUpInfo);
inline constexpr ParaTable<ComparationItem> comparationComInTypeUseLoginName5 =
    MakeParaTable(comparationItemComInTypeUseLoginName5);
inline constexpr ParaTable<ComparationItem> comparationJBALoginUserName =
    MakeParaTable(comparationItemLoginUserName);
inline constexpr ParaTable<ComparationItem> comparationJBALoginUserNameAccumulation =
    MakeParaTable(comparationItemLoginUserNameAccumulation);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationComInTypeUseLoginName =
    MakeParaTable(comparationItemComInTypeUseLoginName<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationComInTypeUseLoginName1 =
    MakeParaTable(comparationItemComInTypeUseLoginName1<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationComInTypeUseLoginName2 =
    MakeParaTable(comparationItemComInTypeUseLoginName2<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationComInTypeUseLoginName3 =
    MakeParaTable(comparationItemComInTypeUseLoginName3<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationComInTypeUseLoginName4 =
    MakeParaTable(comparationItemComInTypeUseLoginName4<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationComInTypeUseEnterName =
    MakeParaTable(comparationItemComInTypeUseEnterName<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationComInUserEnterPassword1 =
    MakeParaTable(comparationItemComInUserEnterPassword1<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationComInUserEnterPassword1NULL =
    MakeParaTable(comparationItemComInUserEnterPassword1NULL<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationComInUserEnterPassword2 =
    MakeParaTable(comparationItemComInUserEnterPassword2<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationComInUserEnterPassword2NULL =
    MakeParaTable(comparationItemComInUserEnterPassword2NULL<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationComInDomainName =
    MakeParaTable(comparationItemComInDomainName<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationComInAccount =
    MakeParaTable(comparationItemComInAccount<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationComInAccountNULL =
    MakeParaTable(comparationItemComInAccountNULL<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationComInAccumulationID =
    MakeParaTable(comparationItemComInAccumulationID<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationComInAccumulationDocumentName =
    MakeParaTable(comparationItemComInAccumulationDocumentName<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationComInAccumulationPassword =
    MakeParaTable(comparationItemComInAccumulationPassword<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationComInAccumulationPasswordNULL =
    MakeParaTable(comparationItemComInAccumulationPasswordNULL<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationJobInUseEnterName =
    MakeParaTable(comparationItemJobInUseEnterName<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationJobInUseEnterName1 =
    MakeParaTable(comparationItemJobInUseEnterName1<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationJobInUseEnterName2 =
    MakeParaTable(comparationItemJobInUseEnterName2<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationJobInUserEnterPassword =
    MakeParaTable(comparationItemJobInUserEnterPassword<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationJobInUserEnterPassword1 =
    MakeParaTable(comparationItemJobInUserEnterPassword1<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationJobInUserEnterPasswordNULL =
    MakeParaTable(comparationItemJobInUserEnterPasswordNULL<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationJobInUserEnterPassword1NULL =
    MakeParaTable(comparationItemJobInUserEnterPassword1NULL<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationJobInDomainName =
    MakeParaTable(comparationItemJobInDomainName<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationJobInAccount =
    MakeParaTable(comparationItemJobInAccount<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationJobInAccount1 =
    MakeParaTable(comparationItemJobInAccount1<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationJobInAccountNULL =
    MakeParaTable(comparationItemJobInAccountNULL<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationJobInAccountNULL3 =
    MakeParaTable(comparationItemJobInAccountNULL3<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationJobInAccumulationID =
    MakeParaTable(comparationItemJobInAccumulationID<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationJobInAccumulationDocumentName =
    MakeParaTable(comparationItemJobInAccumulationDocumentName<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationJobInUserNameAccumulation =
    MakeParaTable(comparationItemJobInUserNameAccumulation<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationJobInUserPasswordAccumulation =
    MakeParaTable(comparationItemJobInUserPasswordAccumulation<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationJobInAccumulationPassword =
    MakeParaTable(comparationItemJobInAccumulationPassword<s>);
template <JBASide s>
inline constexpr ParaTable<ComparationItem> comparationJobInAccumulationPasswordNULL =
    MakeParaTable(comparationItemJobInAccumulationPasswordNULL<s>);

// The same row without the last item of its condition list (ticketfilter-basic reads neither
// infoList nor infoSetList, and its rows do not test them).
template <const FmtTableEntry& row>
inline constexpr ParaTable<ComparationItem> conditionsWithoutLastItem{row.conditions->count - 1,
                                                                      row.conditions->list};
template <const FmtTableEntry& row>
inline constexpr FmtTableEntry WithoutLastCondition{row.format, row.params,
                                                    &conditionsWithoutLastItem<row>};

// ---------------------------------------------------------------------------------------------
// The rows: format, parameters, conditions.  Numbers are the places in JBAFmtTableCommon of
// ticketfilter.

// 1-7 and 13: every job, common table only.
inline constexpr FmtTableEntry JBARowHoseName{prtfmtStrHoseName, &symParaHostName,
                                              &comparationHostName};
inline constexpr FmtTableEntry JBARowHostNameAccumulation{
    prtfmtStrHostNameAccumulation, &symParaEmptyValueLF, &comparationHostNameAccumulation};
inline constexpr FmtTableEntry JBARowJBALoginUserName{
    prtfmtStrJBALoginUserName, &symParaJBALoginUserName, &comparationJBALoginUserName};
inline constexpr FmtTableEntry JBARowJBALoginUserNameAccumulation{
    prtfmtStrJBALoginUserNameAccumulation, &symParaEmptyValueLF,
    &comparationJBALoginUserNameAccumulation};
// Writes the resolved address whenever the dialog sent one; no address resolved, no line.
inline constexpr FmtTableEntry JBARowJBAIPAddress{prtfmtStrJBAIPAddress, &symParaJBAIPAddress,
                                                  &comparationJBAIPAddress};
inline constexpr FmtTableEntry JBARowJBAIPAddressIsNull{
    prtfmtStrJBAIPAddressIsNull, &symParaJBAIPAddress, &comparationJBAIPAddressIsNull};
inline constexpr FmtTableEntry JBARowNUpInfo{prtfmtStrNUpInfo, &symParaNUpInfo,
                                             &comparationNUpInfo};
inline constexpr FmtTableEntry JBARowComInTypeUseLoginName5{
    prtfmtStrComInTypeUseLoginName5, &symParaComInTypeUseLoginName,
    &comparationComInTypeUseLoginName5};

// 8-12, 14-25: user information set in the dialog.
template <JBASide s>
inline constexpr FmtTableEntry JBARowComInTypeUseLoginName{
    JBAFormat(s, prtfmtStrComInTypeUseLoginName, prtfmtStrComInTypeUseLoginNameAdmin),
    &symParaComInTypeUseLoginName, &comparationComInTypeUseLoginName<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowComInTypeUseLoginName1{
    JBAFormat(s, prtfmtStrComInTypeUseLoginName1, prtfmtStrComInTypeUseLoginNameAdmin1),
    &symParaEmptyValueLF, &comparationComInTypeUseLoginName1<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowComInTypeUseLoginName2{
    JBAFormat(s, prtfmtStrComInTypeUseLoginName2, prtfmtStrComInTypeUseLoginNameAdmin2),
    &symParaComInTypeUseLoginName, &comparationComInTypeUseLoginName2<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowComInTypeUseLoginName3{
    JBAFormat(s, prtfmtStrComInTypeUseLoginName3, prtfmtStrComInTypeUseLoginNameAdmin3),
    &symParaComInTypeUseLoginName, &comparationComInTypeUseLoginName3<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowComInTypeUseLoginName4{
    JBAFormat(s, prtfmtStrComInTypeUseLoginName4, prtfmtStrComInTypeUseLoginNameAdmin4),
    &symParaEmptyValueLF, &comparationComInTypeUseLoginName4<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowComInTypeUseEnterName{
    JBAFormat(s, prtfmtStrComInTypeUseEnterName, prtfmtStrComInTypeUseEnterNameAdmin),
    &symParaComInTypeUseEnterName<s>, &comparationComInTypeUseEnterName<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowComInUserEnterPassword1{
    JBAFormat(s, prtfmtStrComInUserEnterPassword1, prtfmtStrComInUserEnterPassword1Admin),
    &symParaComInUserEnterPassword<s>, &comparationComInUserEnterPassword1<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowComInUserEnterPassword1NULL{
    JBAFormat(s, prtfmtStrComInUserEnterPassword1NULL, prtfmtStrComInUserEnterPassword1NULLAdmin),
    &symParaEmptyValueCRLF, &comparationComInUserEnterPassword1NULL<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowComInUserEnterPassword2{
    JBAFormat(s, prtfmtStrComInUserEnterPassword2, prtfmtStrComInUserEnterPassword2Admin),
    &symParaComInUserEnterPassword<s>, &comparationComInUserEnterPassword2<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowComInUserEnterPassword2NULL{
    JBAFormat(s, prtfmtStrComInUserEnterPassword2NULL, prtfmtStrComInUserEnterPassword2NULLAdmin),
    &symParaEmptyValueCRLF, &comparationComInUserEnterPassword2NULL<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowComInDomainName{
    JBAFormat(s, prtfmtStrComInDomainName, prtfmtStrComInTypeDomainNameAdmin),
    &symParaComInDomainName<s>, &comparationComInDomainName<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowComInAccount{
    JBAFormat(s, prtfmtStrComInAccount, prtfmtStrComInAccountAdmin), &symParaComInAccount<s>,
    &comparationComInAccount<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowComInAccountNULL{
    JBAFormat(s, prtfmtStrComInAccountNULL, prtfmtStrComInAccountNULLAdmin),
    &symParaEmptyValueCRLF, &comparationComInAccountNULL<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowComInAccumulationID{
    JBAFormat(s, prtfmtStrComInAccumulationID, prtfmtStrComInAccumulationIDAdmin),
    &symParaComInAccumulationID<s>, &comparationComInAccumulationID<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowComInAccumulationDocumentName{
    JBAFormat(s, prtfmtStrComInAccumulationDocumentName,
              prtfmtStrComInAccumulationDocumentNameAdmin),
    &symParaComInAccumulationDocumentName, &comparationComInAccumulationDocumentName<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowComInAccumulationPassword{
    JBAFormat(s, prtfmtStrComInAccumulationPassword, prtfmtStrComInAccumulationPasswordAdmin),
    &symParaComInAccumulationPassword<s>, &comparationComInAccumulationPassword<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowComInAccumulationPasswordNULL{
    JBAFormat(s, prtfmtStrComInAccumulationPasswordNULL,
              prtfmtStrComInAccumulationPasswordNULLAdmin),
    &symParaEmptyValueCRLF, &comparationComInAccumulationPasswordNULL<s>};

// 26-43: user information entered for the job; both modes write the same fields.
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInUseEnterName{
    prtfmtStrJobInUseEnterName, &symParaJobInUseEnterName, &comparationJobInUseEnterName<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInUseEnterName1{
    prtfmtStrJobInUseEnterName1, &symParaEmptyValueCRLF, &comparationJobInUseEnterName1<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInUseEnterName2{
    prtfmtStrJobInUseEnterName2, &symParaEmptyValueCRLF, &comparationJobInUseEnterName2<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInUserEnterPassword{
    prtfmtStrJobInUserEnterPassword, &symParaJobInUserEnterPassword,
    &comparationJobInUserEnterPassword<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInUserEnterPassword1{
    prtfmtStrJobInUserEnterPassword1, &symParaEmptyValueCRLF,
    &comparationJobInUserEnterPassword1<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInUserEnterPasswordNULL{
    prtfmtStrJobInUserEnterPasswordNULL, &symParaEmptyValueCRLF,
    &comparationJobInUserEnterPasswordNULL<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInUserEnterPassword1NULL{
    prtfmtStrJobInUserEnterPassword1NULL, &symParaEmptyValueCRLF,
    &comparationJobInUserEnterPassword1NULL<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInDomainName{
    prtfmtStrJobInDomainName, &symParaJobInDomainName, &comparationJobInDomainName<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInAccount{prtfmtStrJobInAccount, &symParaJobInAccount,
                                                  &comparationJobInAccount<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInAccount1{prtfmtStrJobInAccount1, &symParaEmptyValueCRLF,
                                                   &comparationJobInAccount1<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInAccountNULL{
    prtfmtStrJobInAccountNULL, &symParaEmptyValueCRLF, &comparationJobInAccountNULL<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInAccountNULL3{
    prtfmtStrJobInAccountNULL3, &symParaEmptyValueCRLF, &comparationJobInAccountNULL3<s>};
// ticketfilter-basic's row in the place of JobInAccountNULL3: no infoList item.
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInAccountNULL2{
    prtfmtStrJobInAccountNULL2, &symParaEmptyValueCRLF,
    &conditionsWithoutLastItem<JBARowJobInAccountNULL3<s>>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInAccumulationID{
    prtfmtStrJobInAccumulationID, &symParaJobInAccumulationID, &comparationJobInAccumulationID<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInAccumulationDocumentName{
    prtfmtStrJobInAccumulationDocumentName, &symParaComInAccumulationDocumentName,
    &comparationJobInAccumulationDocumentName<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInUserNameAccumulation{
    prtfmtStrJobInUserNameAccumulation, &symParaEmptyValueLF,
    &comparationJobInUserNameAccumulation<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInUserPasswordAccumulation{
    prtfmtStrJobInUserPasswordAccumulation, &symParaEmptyValueLF,
    &comparationJobInUserPasswordAccumulation<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInAccumulationPassword{
    prtfmtStrJobInAccumulationPassword, &symParaJobInAccumulationPassword,
    &comparationJobInAccumulationPassword<s>};
template <JBASide s>
inline constexpr FmtTableEntry JBARowJobInAccumulationPasswordNULL{
    prtfmtStrJobInAccumulationPasswordNULL, &symParaEmptyValueCRLF,
    &comparationJobInAccumulationPasswordNULL<s>};

// ---------------------------------------------------------------------------------------------
// Ticket-data rows.  "Converted" strings are read into the printer's byte encoding; the user and
// storage IDs have a UTF-8 variant for UTF-8 printers.

#define TF_JBA_FIELD_SIZE(field) static_cast<std::int32_t>(sizeof(JBAOptions::field))

constexpr TicketDataEntry JBATicketString(const char* key, Operand field, std::int32_t size) {
  return {key, KeyKind::Prefixed, field, size, GetTicketStringConvertedToPrtLang};
}
constexpr TicketDataEntry JBATicketStringForUTF8(const char* key, Operand field,
                                                 std::int32_t size) {
  return {key, KeyKind::Prefixed, field, size, GetTicketStringConvertedToPrtLangForUTF8};
}

inline constexpr TicketDataEntry JBATicketHostName{kJBAHostName, KeyKind::Prefixed,
                                                   TF_FIELD(kpjlOptionJBA.hostName),
                                                   TF_JBA_FIELD_SIZE(hostName),
                                                   GetTicketStringConvertedToPrtLang};
inline constexpr TicketDataEntry JBATicketIPAddress{
    kJBAIPAddressStringTicketKey, KeyKind::Prefixed, jba::kIpAddressTicket,
    TF_JBA_FIELD_SIZE(ipAddress), GetTicketStringConvertedToPrtLang};
inline constexpr TicketDataEntry JBATicketInfoList{kJBAInfoListTicketKey, KeyKind::Prefixed,
                                                   jba::kInfoList, 4, GetTicketInteger};
inline constexpr TicketDataEntry JBATicketInfoSetList{kJBAInfoSetLboxTicketKey, KeyKind::Prefixed,
                                                      jba::kInfoSetList, 4, GetTicketInteger};
// The layout values shared with the finishing module, read at most 10 bytes.
inline constexpr TicketDataEntry JBATicketNumberUp{kJBANumberUpKey, KeyKind::Plain,
                                                   jba::kStdNUpInfo, 10, GetNumberUpTicketString};
inline constexpr TicketDataEntry JBATicketLayoutRows{kJBALayoutRowsKey, KeyKind::Plain,
                                                     TF_FIELD(StdLayoutRowInfo), 10,
                                                     GetTicketStringConvertedToPrtLang};
inline constexpr TicketDataEntry JBATicketLayoutColumns{kJBALayoutColumnsKey, KeyKind::Plain,
                                                        TF_FIELD(StdLayoutColumnInfo), 10,
                                                        GetTicketStringConvertedToPrtLang};
inline constexpr TicketDataEntry JBATicketManageType{kJBAMngTypeListBoxTicketKey,
                                                     KeyKind::Prefixed, jba::kManageType, 4,
                                                     GetTicketInteger};
inline constexpr TicketDataEntry JBATicketUserSetting{kJBAJobInfoRadioBtnTicketKey,
                                                      KeyKind::Prefixed, jba::kUser.userSetting,
                                                      4, GetTicketInteger};
inline constexpr TicketDataEntry JBATicketUserIDListCtrl{
    kJBAUserIDListCtrlTicketKey, KeyKind::Prefixed, jba::kUser.userIDListCtrl, 4,
    GetTicketInteger};
// Whether the user-ID key is in the job options at all.
inline constexpr TicketDataEntry JBATicketUserIDMissing{
    kJBAUserIDTextEditTicketKey, KeyKind::Prefixed, jba::kUserIDMissing, 4, CheckTicketKey};
inline constexpr TicketDataEntry JBATicketUserID =
    JBATicketString(kJBAUserIDTextEditTicketKey, jba::kUser.userID, TF_JBA_FIELD_SIZE(userID));
inline constexpr TicketDataEntry JBATicketUserIDForUTF8 =
    JBATicketStringForUTF8(kJBAUserIDTextEditTicketKey, jba::kUser.userID,
                           TF_JBA_FIELD_SIZE(userID));
inline constexpr TicketDataEntry JBATicketUserPassword =
    JBATicketString(kJBAUserIDPasswordTextEditTicketKey, jba::kUser.userPassword,
                    TF_JBA_FIELD_SIZE(userPassword));
inline constexpr TicketDataEntry JBATicketDomainName =
    JBATicketString(kJBADomainNameTicketKey, jba::kUser.domainName,
                    TF_JBA_FIELD_SIZE(domainName));
inline constexpr TicketDataEntry JBATicketInputDomainName =
    JBATicketString(kJBAInputDomainNameTicketKey, jba::kInputDomainName,
                    TF_JBA_FIELD_SIZE(inputDomainName));
inline constexpr TicketDataEntry JBATicketAccountID =
    JBATicketString(kJBAAccountIDTextEditTicketKey, jba::kUser.accountID,
                    TF_JBA_FIELD_SIZE(accountID));
inline constexpr TicketDataEntry JBATicketStorageID =
    JBATicketString(kJBAStorageIDTextEditTicketKey, jba::kUser.storageID,
                    TF_JBA_FIELD_SIZE(storageID));
inline constexpr TicketDataEntry JBATicketStorageIDForUTF8 =
    JBATicketStringForUTF8(kJBAStorageIDTextEditTicketKey, jba::kUser.storageID,
                           TF_JBA_FIELD_SIZE(storageID));
inline constexpr TicketDataEntry JBATicketStoragePassword =
    JBATicketString(kJBAStoragePasswordTextEditTicketKey, jba::kUser.storagePassword,
                    TF_JBA_FIELD_SIZE(storagePassword));
inline constexpr TicketDataEntry JBATicketUserInput{kJBAJobInputRadioBtnTicketKey,
                                                    KeyKind::Prefixed, jba::kUser.userInput, 4,
                                                    GetTicketInteger};
inline constexpr TicketDataEntry JBATicketInputAuth{kJBAInputAuthRadioBtnTicketKey,
                                                    KeyKind::Prefixed, jba::kInputAuth, 4,
                                                    GetTicketInteger};
inline constexpr TicketDataEntry JBATicketInputStrg{kJBAInputStrgRadioBtnTicketKey,
                                                    KeyKind::Prefixed, jba::kInputStrg, 4,
                                                    GetTicketInteger};
inline constexpr TicketDataEntry JBATicketInputStorageID =
    JBATicketString(kJBAInputStorageIDTextEditTicketKey, jba::kInputStorageID,
                    TF_JBA_FIELD_SIZE(inputStorageID));
inline constexpr TicketDataEntry JBATicketInputStorageIDForUTF8 =
    JBATicketStringForUTF8(kJBAInputStorageIDTextEditTicketKey, jba::kInputStorageID,
                           TF_JBA_FIELD_SIZE(inputStorageID));
inline constexpr TicketDataEntry JBATicketInputStoragePassword =
    JBATicketString(kJBAInputStoragePasswordTextEditTicketKey, jba::kInputStoragePassword,
                    TF_JBA_FIELD_SIZE(inputStoragePassword));
inline constexpr TicketDataEntry JBATicketInputUserID =
    JBATicketString(kJBAInputUserIDTextEditTicketKey, jba::kInputUserID,
                    TF_JBA_FIELD_SIZE(inputUserID));
inline constexpr TicketDataEntry JBATicketInputUserIDForUTF8 =
    JBATicketStringForUTF8(kJBAInputUserIDTextEditTicketKey, jba::kInputUserID,
                           TF_JBA_FIELD_SIZE(inputUserID));
inline constexpr TicketDataEntry JBATicketInputUserPassword =
    JBATicketString(kJBAInputUserIDPasswordTextEditTicketKey, jba::kInputUserPassword,
                    TF_JBA_FIELD_SIZE(inputUserPassword));
inline constexpr TicketDataEntry JBATicketInputAccountID =
    JBATicketString(kJBAInputAccountIDTextEditTicketKey, jba::kInputAccountID,
                    TF_JBA_FIELD_SIZE(inputAccountID));

// Administrator tickets.
inline constexpr TicketDataEntry JBATicketAdminUserSetting{
    kJBAJobInfoRadioBtnTicketKeyAdmin, KeyKind::Prefixed, jba::kAdmin.userSetting, 4,
    GetTicketInteger};
inline constexpr TicketDataEntry JBATicketAdminUserIDListCtrl{
    kJBAUserIDListCtrlTicketKeyAdmin, KeyKind::Prefixed, jba::kAdmin.userIDListCtrl, 4,
    GetTicketInteger};
inline constexpr TicketDataEntry JBATicketAdminUserID =
    JBATicketString(kJBAUserIDTextEditTicketKeyAdmin, jba::kAdmin.userID,
                    TF_JBA_FIELD_SIZE(adminUserID));
inline constexpr TicketDataEntry JBATicketAdminUserIDForUTF8 =
    JBATicketStringForUTF8(kJBAUserIDTextEditTicketKeyAdmin, jba::kAdmin.userID,
                           TF_JBA_FIELD_SIZE(adminUserID));
inline constexpr TicketDataEntry JBATicketAdminDomainName =
    JBATicketString(kJBADomainNameTicketKeyAdmin, jba::kAdmin.domainName,
                    TF_JBA_FIELD_SIZE(adminDomainName));
inline constexpr TicketDataEntry JBATicketAdminUserPassword =
    JBATicketString(kJBAUserIDPasswordTextEditTicketKeyAdmin, jba::kAdmin.userPassword,
                    TF_JBA_FIELD_SIZE(adminUserPassword));
inline constexpr TicketDataEntry JBATicketAdminAccountID =
    JBATicketString(kJBAAccountIDTextEditTicketKeyAdmin, jba::kAdmin.accountID,
                    TF_JBA_FIELD_SIZE(adminAccountID));
inline constexpr TicketDataEntry JBATicketAdminStorageID =
    JBATicketString(kJBAStorageIDTextEditTicketKeyAdmin, jba::kAdmin.storageID,
                    TF_JBA_FIELD_SIZE(adminStorageID));
inline constexpr TicketDataEntry JBATicketAdminStorageIDForUTF8 =
    JBATicketStringForUTF8(kJBAStorageIDTextEditTicketKeyAdmin, jba::kAdmin.storageID,
                           TF_JBA_FIELD_SIZE(adminStorageID));
inline constexpr TicketDataEntry JBATicketAdminStoragePassword =
    JBATicketString(kJBAStoragePasswordTextEditTicketKeyAdmin, jba::kAdmin.storagePassword,
                    TF_JBA_FIELD_SIZE(adminStoragePassword));
inline constexpr TicketDataEntry JBATicketAdminUserInput{
    kJBAJobInputRadioBtnTicketKeyAdmin, KeyKind::Prefixed, jba::kAdmin.userInput, 4,
    GetTicketInteger};

#undef TF_JBA_FIELD_SIZE

// The administrator table, the same in both programs.
inline constexpr TicketDataEntry JBAticketDataAdmin[] = {
    JBATicketAdminUserSetting, JBATicketAdminUserIDListCtrl, JBATicketAdminUserID,
    JBATicketAdminDomainName,  JBATicketAdminUserPassword,   JBATicketAdminAccountID,
    JBATicketAdminStorageID,   JBATicketAdminStoragePassword, JBATicketAdminUserInput,
};
inline constexpr std::int32_t JBATicketDataNumAdmin = 9;
static_assert(std::size(JBAticketDataAdmin) == JBATicketDataNumAdmin);

inline constexpr TicketDataEntry JBAticketDataAdminForUTF8[] = {
    JBATicketAdminUserSetting, JBATicketAdminUserIDListCtrl, JBATicketAdminUserIDForUTF8,
    JBATicketAdminDomainName,  JBATicketAdminUserPassword,   JBATicketAdminAccountID,
    JBATicketAdminStorageIDForUTF8, JBATicketAdminStoragePassword, JBATicketAdminUserInput,
};
static_assert(std::size(JBAticketDataAdminForUTF8) == JBATicketDataNumAdmin);

}  // namespace tf
