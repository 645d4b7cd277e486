// The rows of the account tables, each defined once.
//
// Both programs build their ticket-data and format tables from these rows (programs/<name>/
// jba_tables.h); a program only chooses which rows, and which condition variants, its tables
// hold.  Rows that exist for the user mode and for the administrator mode are functions of
// JBASide: the administrator variant tests `manageType` = JBAModeListAdmin and the admin fields
// and constants instead of the user ones, and writes the same text.
#pragma once

#include <cstdint>

#include "engine/condition.h"
#include "engine/format.h"
#include "engine/job.h"
#include "engine/ticket.h"
#include "modules/jba/jba.h"

namespace tf {

enum class JBASide { User, Admin };

namespace jba {

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
    TF_RECORD(JBAOptions, userSetting),
    TF_RECORD(JBAOptions, userIDListCtrl),
    TF_RECORD(JBAOptions, userID),
    TF_RECORD(JBAOptions, domainName),
    TF_RECORD(JBAOptions, userPassword),
    TF_RECORD(JBAOptions, accountID),
    TF_RECORD(JBAOptions, storageID),
    TF_RECORD(JBAOptions, storagePassword),
    TF_RECORD(JBAOptions, userInput),
    TF_CONST(OptionUserInputTypeSelected),
    TF_CONST(OptionComInUserTypeUseLogin),
    TF_CONST(OptionComInUserTypeEnterName),
};

inline constexpr SideOperands kAdmin{
    TF_CONST(JBAModeListAdmin),
    TF_RECORD(JBAOptions, adminUserSetting),
    TF_RECORD(JBAOptions, adminUserIDListCtrl),
    TF_RECORD(JBAOptions, adminUserID),
    TF_RECORD(JBAOptions, adminDomainName),
    TF_RECORD(JBAOptions, adminUserPassword),
    TF_RECORD(JBAOptions, adminAccountID),
    TF_RECORD(JBAOptions, adminStorageID),
    TF_RECORD(JBAOptions, adminStoragePassword),
    TF_RECORD(JBAOptions, adminUserInput),
    TF_CONST(OptionUserInputTypeSelectedAdmin),
    TF_CONST(OptionComInUserTypeUseLoginAdmin),
    TF_CONST(OptionComInUserTypeEnterNameAdmin),
};

constexpr const SideOperands& Of(JBASide side) { return side == JBASide::User ? kUser : kAdmin; }

// The row's name in the user mode, or its administrator name.
constexpr const char* Name(JBASide side, const char* user, const char* admin) {
  return side == JBASide::User ? user : admin;
}

// Fields that both modes share: the job core's names and client host, and the record's own.
inline constexpr Operand kHostNameStr = TF_CORE(HostNameStr);
inline constexpr Operand kIPAddressStr = TF_CORE(IPAddressStr);
inline constexpr Operand kStdUserName = TF_CORE(StdUserName);
inline constexpr Operand kStdJBAUserName = TF_CORE(StdJBAUserName);
inline constexpr Operand kStdDocumentName = TF_CORE(StdDocumentName);
inline constexpr Operand kStdNUpInfo = TF_CORE(StdNUpInfo);
inline constexpr Operand kIpAddressTicket = TF_RECORD(JBAOptions, ipAddress);
inline constexpr Operand kInfoList = TF_RECORD(JBAOptions, infoList);
inline constexpr Operand kInfoSetList = TF_RECORD(JBAOptions, infoSetList);
inline constexpr Operand kManageType = TF_RECORD(JBAOptions, manageType);
inline constexpr Operand kUserIDMissing = TF_RECORD(JBAOptions, userIDMissing);
inline constexpr Operand kInputAuth = TF_RECORD(JBAOptions, inputAuth);
inline constexpr Operand kInputStrg = TF_RECORD(JBAOptions, inputStrg);
inline constexpr Operand kInputStorageID = TF_RECORD(JBAOptions, inputStorageID);
inline constexpr Operand kInputStoragePassword = TF_RECORD(JBAOptions, inputStoragePassword);
inline constexpr Operand kInputUserID = TF_RECORD(JBAOptions, inputUserID);
inline constexpr Operand kInputDomainName = TF_RECORD(JBAOptions, inputDomainName);
inline constexpr Operand kInputUserPassword = TF_RECORD(JBAOptions, inputUserPassword);
inline constexpr Operand kInputAccountID = TF_RECORD(JBAOptions, inputAccountID);

// The leading items of the dialog-set rows and of the job-input rows.
constexpr ComparisonItem ModeIs(JBASide side) { return Is(kManageType, Of(side).mode); }
constexpr ComparisonItem SettingSelected(JBASide side) {
  return Is(Of(side).userSetting, Of(side).selected);
}
constexpr ComparisonItem InputSelected(JBASide side) {
  return Is(Of(side).userInput, Of(side).selected);
}
constexpr ComparisonItem LoginChosen(JBASide side) {
  return Is(Of(side).userIDListCtrl, Of(side).useLogin);
}
constexpr ComparisonItem InfoListExists() {
  return IsNot(kInfoList, TF_CONST(JBAInfoListNotExist));
}
constexpr ComparisonItem InfoListIs(const std::int32_t& value) {
  return Is(kInfoList, TF_CONST(value));
}
constexpr ComparisonItem InfoSetIs8() { return Is(kInfoSetList, TF_CONST(Case_8)); }
constexpr ComparisonItem InfoSetNot8() { return IsNot(kInfoSetList, TF_CONST(Case_8)); }
constexpr ComparisonItem AuthSelected(JBASide side) { return Is(kInputAuth, Of(side).selected); }
constexpr ComparisonItem AuthUseLogin(JBASide side) { return Is(kInputAuth, Of(side).useLogin); }
constexpr ComparisonItem StrgSelected(JBASide side) { return Is(kInputStrg, Of(side).selected); }

// A quoted value and CR LF; an empty quoted value and CR LF; the quotes alone (the format ends in
// its own line feed).
constexpr ParameterList Quoted(Operand value) { return {kDQ, value, kDQ, kCR, kLF}; }
inline constexpr ParameterList kEmptyValueCRLF = {kDQ, kDQ, kCR, kLF};
inline constexpr ParameterList kEmptyValueLF = {kDQ, kDQ};

}  // namespace jba

// ---------------------------------------------------------------------------------------------
// The rows: name, format, parameters, conditions.  The numbers are the places in
// JBAFmtTableCommon of ticketfilter.

// 1-7 and 13: every job, common table only.
inline constexpr FmtTableEntry JBARowHostName{
    "HostName", "@PJL SET JOBATTR=%c@CNAM=%s%c%c", {kDQ, jba::kHostNameStr, kDQ, kLF},
    {NonEmpty(jba::kHostNameStr)}};
inline constexpr FmtTableEntry JBARowHostNameAccumulation{
    "HostNameAccumulation", "@PJL SET JOBATTR=%c@CNAM=UnknownHost%c\n", jba::kEmptyValueLF,
    {Empty(jba::kHostNameStr)}};
inline constexpr FmtTableEntry JBARowJBALoginUserName{
    "JBALoginUserName", "@PJL SET JOBATTR=%c@LUNA=%s%c%c", {kDQ, jba::kStdUserName, kDQ, kLF},
    {NonEmpty(jba::kStdUserName)}};
inline constexpr FmtTableEntry JBARowJBALoginUserNameAccumulation{
    "JBALoginUserNameAccumulation", "@PJL SET JOBATTR=%c@LUNA=UnknownUser%c\n",
    jba::kEmptyValueLF, {Empty(jba::kStdUserName)}};
// Writes the resolved address whenever the dialog sent one; no address resolved, no line.
inline constexpr FmtTableEntry JBARowJBAIPAddress{
    "JBAIPAddress", "@PJL SET JOBATTR=%c@HOAD=%s%c%c", {kDQ, jba::kIPAddressStr, kDQ, kLF},
    {NonEmpty(jba::kIpAddressTicket)}};
inline constexpr FmtTableEntry JBARowJBAIPAddressIsNull{
    "JBAIPAddressIsNull", "@PJL SET JOBATTR=%c@HOAD=%s%c%c", {kDQ, jba::kIPAddressStr, kDQ, kLF},
    {Empty(jba::kIpAddressTicket), NonEmpty(jba::kIPAddressStr)}};
inline constexpr FmtTableEntry JBARowNUpInfo{
    "NUpInfo", "@PJL SET JOBATTR=%c@NLPP=%s%c%c", {kDQ, jba::kStdNUpInfo, kDQ, kLF},
    {NonEmpty(jba::kStdNUpInfo)}};
inline constexpr FmtTableEntry JBARowComInTypeUseLoginName5{
    "ComInTypeUseLoginName5", "@PJL SET JOBATTR=%c@JOAU=%s%c%c%c",
    jba::Quoted(jba::kStdJBAUserName),
    {Is(jba::kUserIDMissing, TF_CONST(JBAUserNameNotExist))}};

// 8-12, 14-25: user information set in the dialog.
constexpr FmtTableEntry JBARowComInTypeUseLoginName(JBASide s) {
  using namespace jba;
  return {Name(s, "ComInTypeUseLoginName", "ComInTypeUseLoginNameAdmin"),
          "@PJL SET JOBATTR=%c@JOAU=%s%c%c%c", Quoted(kStdJBAUserName),
          {ModeIs(s), SettingSelected(s), LoginChosen(s), NonEmpty(kStdUserName),
           InfoListIs(JBAInfoListNotExist)}};
}
constexpr FmtTableEntry JBARowComInTypeUseLoginName1(JBASide s) {
  using namespace jba;
  return {Name(s, "ComInTypeUseLoginName1", "ComInTypeUseLoginNameAdmin1"),
          "@PJL SET JOBATTR=%c@JOAU=UnknownUser%c\n", kEmptyValueLF,
          {ModeIs(s), SettingSelected(s), LoginChosen(s), InfoListExists(),
           InfoListIs(JBAInfoListBillingSelect), InfoSetNot8()}};
}
constexpr FmtTableEntry JBARowComInTypeUseLoginName2(JBASide s) {
  using namespace jba;
  return {Name(s, "ComInTypeUseLoginName2", "ComInTypeUseLoginNameAdmin2"),
          "@PJL SET JOBATTR=%c@JOAU=%s%c%c%c", Quoted(kStdJBAUserName),
          {ModeIs(s), SettingSelected(s), LoginChosen(s), NonEmpty(kStdUserName), InfoListExists(),
           InfoListIs(JBAInfoListUserAccntSelect), InfoSetNot8()}};
}
constexpr FmtTableEntry JBARowComInTypeUseLoginName3(JBASide s) {
  using namespace jba;
  return {Name(s, "ComInTypeUseLoginName3", "ComInTypeUseLoginNameAdmin3"),
          "@PJL SET JOBATTR=%c@JOAU=%s%c%c%c", Quoted(kStdJBAUserName),
          {ModeIs(s), SettingSelected(s), LoginChosen(s), NonEmpty(kStdUserName), InfoListExists(),
           InfoListIs(JBAInfoListAllSelect), InfoSetNot8()}};
}
constexpr FmtTableEntry JBARowComInTypeUseLoginName4(JBASide s) {
  using namespace jba;
  return {Name(s, "ComInTypeUseLoginName4", "ComInTypeUseLoginNameAdmin4"),
          "@PJL SET JOBATTR=%c@JOAU=UnknownUser%c\n", kEmptyValueLF,
          {ModeIs(s), SettingSelected(s), LoginChosen(s), InfoListExists(), InfoSetIs8()}};
}
constexpr FmtTableEntry JBARowComInTypeUseEnterName(JBASide s) {
  using namespace jba;
  return {Name(s, "ComInTypeUseEnterName", "ComInTypeUseEnterNameAdmin"),
          "@PJL SET JOBATTR=%c@JOAU=%s%c%c%c", Quoted(Of(s).userID),
          {ModeIs(s), SettingSelected(s), Is(Of(s).userIDListCtrl, Of(s).enterName),
           NonEmpty(Of(s).userID)}};
}
constexpr FmtTableEntry JBARowComInUserEnterPassword1(JBASide s) {
  using namespace jba;
  return {Name(s, "ComInUserEnterPassword1", "ComInUserEnterPassword1Admin"),
          "@PJL SET JOBATTR=%c@JOEP=%s%c%c%c", Quoted(Of(s).userPassword),
          {ModeIs(s), SettingSelected(s), LoginChosen(s), NonEmpty(kStdUserName),
           NonEmpty(Of(s).userPassword)}};
}
constexpr FmtTableEntry JBARowComInUserEnterPassword1NULL(JBASide s) {
  using namespace jba;
  return {Name(s, "ComInUserEnterPassword1NULL", "ComInUserEnterPassword1NULLAdmin"),
          "@PJL SET JOBATTR=%c@JOEP=%c%c%c", kEmptyValueCRLF,
          {ModeIs(s), SettingSelected(s), LoginChosen(s), NonEmpty(kStdUserName),
           Empty(Of(s).userPassword)}};
}
// The typed-ID password rows test the user constant in both modes (the values are equal).
constexpr FmtTableEntry JBARowComInUserEnterPassword2(JBASide s) {
  using namespace jba;
  return {Name(s, "ComInUserEnterPassword2", "ComInUserEnterPassword2Admin"),
          "@PJL SET JOBATTR=%c@JOEP=%s%c%c%c", Quoted(Of(s).userPassword),
          {ModeIs(s), SettingSelected(s),
           Is(Of(s).userIDListCtrl, TF_CONST(OptionComInUserTypeEnterName)),
           NonEmpty(Of(s).userID), NonEmpty(Of(s).userPassword)}};
}
constexpr FmtTableEntry JBARowComInUserEnterPassword2NULL(JBASide s) {
  using namespace jba;
  return {Name(s, "ComInUserEnterPassword2NULL", "ComInUserEnterPassword2NULLAdmin"),
          "@PJL SET JOBATTR=%c@JOEP=%c%c%c", kEmptyValueCRLF,
          {ModeIs(s), SettingSelected(s),
           Is(Of(s).userIDListCtrl, TF_CONST(OptionComInUserTypeEnterName)),
           NonEmpty(Of(s).userID), Empty(Of(s).userPassword)}};
}
constexpr FmtTableEntry JBARowComInDomainName(JBASide s) {
  using namespace jba;
  return {Name(s, "ComInDomainName", "ComInTypeDomainNameAdmin"),
          "@PJL SET JOBATTR=%c@JOAD=%s%c%c%c", Quoted(Of(s).domainName),
          {ModeIs(s), SettingSelected(s), NonEmpty(Of(s).domainName)}};
}
constexpr FmtTableEntry JBARowComInAccount(JBASide s) {
  using namespace jba;
  return {Name(s, "ComInAccount", "ComInAccountAdmin"), "@PJL SET JOBATTR=%c@DAID=%s%c%c%c",
          Quoted(Of(s).accountID), {ModeIs(s), SettingSelected(s), NonEmpty(Of(s).accountID)}};
}
constexpr FmtTableEntry JBARowComInAccountNULL(JBASide s) {
  using namespace jba;
  return {Name(s, "ComInAccountNULL", "ComInAccountNULLAdmin"), "@PJL SET JOBATTR=%c@DAID=%c%c%c",
          kEmptyValueCRLF, {ModeIs(s), SettingSelected(s), Empty(Of(s).accountID)}};
}
constexpr FmtTableEntry JBARowComInAccumulationID(JBASide s) {
  using namespace jba;
  return {Name(s, "ComInAccumulationID", "ComInAccumulationIDAdmin"),
          "@PJL SET JOBATTR=%c@ACID=%s%c%c%c", Quoted(Of(s).storageID),
          {ModeIs(s), SettingSelected(s), NonEmpty(Of(s).storageID)}};
}
constexpr FmtTableEntry JBARowComInAccumulationDocumentName(JBASide s) {
  using namespace jba;
  return {Name(s, "ComInAccumulationDocumentName", "ComInAccumulationDocumentNameAdmin"),
          "@PJL SET JOBATTR=%c@ACNA=%s%c%c%c", Quoted(kStdDocumentName),
          {ModeIs(s), SettingSelected(s), NonEmpty(kStdDocumentName)}};
}
constexpr FmtTableEntry JBARowComInAccumulationPassword(JBASide s) {
  using namespace jba;
  return {Name(s, "ComInAccumulationPassword", "ComInAccumulationPasswordAdmin"),
          "@PJL SET JOBATTR=%c@ACEP=%s%c%c%c", Quoted(Of(s).storagePassword),
          {ModeIs(s), SettingSelected(s), NonEmpty(Of(s).storageID),
           NonEmpty(Of(s).storagePassword)}};
}
constexpr FmtTableEntry JBARowComInAccumulationPasswordNULL(JBASide s) {
  using namespace jba;
  return {Name(s, "ComInAccumulationPasswordNULL", "ComInAccumulationPasswordNULLAdmin"),
          "@PJL SET JOBATTR=%c@ACEP=%c%c%c", kEmptyValueCRLF,
          {ModeIs(s), SettingSelected(s), NonEmpty(Of(s).storageID),
           Empty(Of(s).storagePassword)}};
}

// 26-43: user information entered for the job; both modes write the same fields.
constexpr FmtTableEntry JBARowJobInUseEnterName(JBASide s) {
  using namespace jba;
  return {"JobInUseEnterName", "@PJL SET JOBATTR=%c@JOAU=%s%c%c%c", Quoted(kInputUserID),
          {ModeIs(s), InputSelected(s), AuthSelected(s), NonEmpty(kInputUserID), InfoSetNot8()}};
}
constexpr FmtTableEntry JBARowJobInUseEnterName1(JBASide s) {
  using namespace jba;
  return {"JobInUseEnterName1", "@PJL SET JOBATTR=%c@JOAU=UnknownUser%c%c%c", kEmptyValueCRLF,
          {ModeIs(s), InputSelected(s), AuthSelected(s), InfoSetIs8()}};
}
constexpr FmtTableEntry JBARowJobInUseEnterName2(JBASide s) {
  using namespace jba;
  return {"JobInUseEnterName2", "@PJL SET JOBATTR=%c@JOAU=UnknownUser%c%c%c", kEmptyValueCRLF,
          {ModeIs(s), InputSelected(s), AuthSelected(s), Empty(kInputUserID), InfoSetNot8()}};
}
constexpr FmtTableEntry JBARowJobInUserEnterPassword(JBASide s) {
  using namespace jba;
  return {"JobInUserEnterPassword", "@PJL SET JOBATTR=%c@JOEP=%s%c%c%c",
          Quoted(kInputUserPassword),
          {ModeIs(s), InputSelected(s), AuthUseLogin(s), NonEmpty(kInputUserID),
           NonEmpty(kInputUserPassword), InfoSetNot8()}};
}
constexpr FmtTableEntry JBARowJobInUserEnterPassword1(JBASide s) {
  using namespace jba;
  return {"JobInUserEnterPassword1", "@PJL SET JOBATTR=%c@JOEP=%c%c%c", kEmptyValueCRLF,
          {ModeIs(s), InputSelected(s), AuthUseLogin(s), InfoSetIs8()}};
}
constexpr FmtTableEntry JBARowJobInUserEnterPasswordNULL(JBASide s) {
  using namespace jba;
  return {"JobInUserEnterPasswordNULL", "@PJL SET JOBATTR=%c@JOEP=%c%c%c", kEmptyValueCRLF,
          {ModeIs(s), InputSelected(s), AuthUseLogin(s), Empty(kInputUserPassword),
           NonEmpty(kInputUserID), InfoSetNot8()}};
}
constexpr FmtTableEntry JBARowJobInUserEnterPassword1NULL(JBASide s) {
  using namespace jba;
  return {"JobInUserEnterPassword1NULL", "@PJL SET JOBATTR=%c@JOEP=%c%c%c", kEmptyValueCRLF,
          {ModeIs(s), InputSelected(s), AuthUseLogin(s), Empty(kInputUserID), InfoSetNot8()}};
}
constexpr FmtTableEntry JBARowJobInDomainName(JBASide s) {
  using namespace jba;
  return {"JobInDomainName", "@PJL SET JOBATTR=%c@JOAD=%s%c%c%c", Quoted(kInputDomainName),
          {ModeIs(s), InputSelected(s), AuthSelected(s), NonEmpty(kInputDomainName)}};
}
constexpr FmtTableEntry JBARowJobInAccount(JBASide s) {
  using namespace jba;
  return {"JobInAccount", "@PJL SET JOBATTR=%c@DAID=%s%c%c%c", Quoted(kInputAccountID),
          {ModeIs(s), InputSelected(s), AuthSelected(s), NonEmpty(kInputAccountID),
           InfoSetNot8()}};
}
constexpr FmtTableEntry JBARowJobInAccount1(JBASide s) {
  using namespace jba;
  return {"JobInAccount1", "@PJL SET JOBATTR=%c@DAID=%c%c%c", kEmptyValueCRLF,
          {ModeIs(s), InputSelected(s), AuthSelected(s), NonEmpty(kInputAccountID),
           InfoSetIs8()}};
}
constexpr FmtTableEntry JBARowJobInAccountNULL(JBASide s) {
  using namespace jba;
  return {"JobInAccountNULL", "@PJL SET JOBATTR=%c@DAID=%c%c%c", kEmptyValueCRLF,
          {ModeIs(s), InputSelected(s), AuthSelected(s), Empty(kInputAccountID)}};
}
constexpr FmtTableEntry JBARowJobInAccountNULL3(JBASide s) {
  using namespace jba;
  return {"JobInAccountNULL3", "@PJL SET JOBATTR=%c@DAID=%c%c%c", kEmptyValueCRLF,
          {ModeIs(s), InputSelected(s), StrgSelected(s), InfoListExists()}};
}
constexpr FmtTableEntry JBARowJobInAccumulationID(JBASide s) {
  using namespace jba;
  return {"JobInAccumulationID", "@PJL SET JOBATTR=%c@ACID=%s%c%c%c", Quoted(kInputStorageID),
          {ModeIs(s), InputSelected(s), StrgSelected(s), NonEmpty(kInputStorageID)}};
}
constexpr FmtTableEntry JBARowJobInAccumulationDocumentName(JBASide s) {
  using namespace jba;
  return {"JobInAccumulationDocumentName", "@PJL SET JOBATTR=%c@ACNA=%s%c%c%c",
          Quoted(kStdDocumentName), {ModeIs(s), InputSelected(s), NonEmpty(kStdDocumentName)}};
}
constexpr FmtTableEntry JBARowJobInUserNameAccumulation(JBASide s) {
  using namespace jba;
  return {"JobInUserNameAccumulation", "@PJL SET JOBATTR=%c@JOAU=UnknownUser%c\n", kEmptyValueLF,
          {ModeIs(s), InputSelected(s), StrgSelected(s)}};
}
constexpr FmtTableEntry JBARowJobInUserPasswordAccumulation(JBASide s) {
  using namespace jba;
  return {"JobInUserPasswordAccumulation", "@PJL SET JOBATTR=%c@JOEP=%c\n", kEmptyValueLF,
          {ModeIs(s), InputSelected(s), StrgSelected(s)}};
}
constexpr FmtTableEntry JBARowJobInAccumulationPassword(JBASide s) {
  using namespace jba;
  return {"JobInAccumulationPassword", "@PJL SET JOBATTR=%c@ACEP=%s%c%c%c",
          Quoted(kInputStoragePassword),
          {ModeIs(s), InputSelected(s), StrgSelected(s), NonEmpty(kInputStorageID),
           NonEmpty(kInputStoragePassword)}};
}
constexpr FmtTableEntry JBARowJobInAccumulationPasswordNULL(JBASide s) {
  using namespace jba;
  return {"JobInAccumulationPasswordNULL", "@PJL SET JOBATTR=%c@ACEP=%c%c%c", kEmptyValueCRLF,
          {ModeIs(s), InputSelected(s), StrgSelected(s), NonEmpty(kInputStorageID),
           Empty(kInputStoragePassword)}};
}

// A row without the last item of its condition list (ticketfilter-basic reads neither infoList
// nor infoSetList, and its rows do not test them).
constexpr FmtTableEntry WithoutLastCondition(FmtTableEntry row, const char* name) {
  row.name = name;
  row.conditions = row.conditions.WithoutLast();
  return row;
}

// ---------------------------------------------------------------------------------------------
// Ticket-data rows.  "Converted" strings are read into the printer's byte encoding; the user and
// storage IDs have a UTF-8 variant for UTF-8 printers.

constexpr TicketDataEntry JBATicketString(const char* key, Operand field) {
  return {key, KeyKind::Prefixed, field, GetTicketStringConvertedToPrtLang};
}
constexpr TicketDataEntry JBATicketStringForUTF8(const char* key, Operand field) {
  return {key, KeyKind::Prefixed, field, GetTicketStringConvertedToPrtLangForUTF8};
}
constexpr TicketDataEntry JBATicketInteger(const char* key, Operand field) {
  return {key, KeyKind::Prefixed, field, GetTicketInteger};
}

inline constexpr TicketDataEntry JBATicketHostName =
    JBATicketString(kJBAHostNameTicketKey, TF_RECORD(JBAOptions, hostName));
inline constexpr TicketDataEntry JBATicketIPAddress =
    JBATicketString(kJBAIPAddressStringTicketKey, jba::kIpAddressTicket);
inline constexpr TicketDataEntry JBATicketInfoList =
    JBATicketInteger(kJBAInfoListTicketKey, jba::kInfoList);
inline constexpr TicketDataEntry JBATicketInfoSetList =
    JBATicketInteger(kJBAInfoSetLboxTicketKey, jba::kInfoSetList);
// The layout values shared with the finishing module, read at most 10 bytes.
inline constexpr std::size_t kJBALayoutTextSize = 10;
inline constexpr TicketDataEntry JBATicketNumberUp{
    kJBANumberUpKey, KeyKind::Plain, jba::kStdNUpInfo.Limited(kJBALayoutTextSize),
    GetNumberUpTicketString};
inline constexpr TicketDataEntry JBATicketLayoutRows{
    kJBALayoutRowsKey, KeyKind::Plain, TF_CORE(StdLayoutRowInfo).Limited(kJBALayoutTextSize),
    GetTicketStringConvertedToPrtLang};
inline constexpr TicketDataEntry JBATicketLayoutColumns{
    kJBALayoutColumnsKey, KeyKind::Plain, TF_CORE(StdLayoutColumnInfo).Limited(kJBALayoutTextSize),
    GetTicketStringConvertedToPrtLang};
inline constexpr TicketDataEntry JBATicketManageType =
    JBATicketInteger(kJBAMngTypeListBoxTicketKey, jba::kManageType);
inline constexpr TicketDataEntry JBATicketUserSetting =
    JBATicketInteger(kJBAJobInfoRadioBtnTicketKey, jba::kUser.userSetting);
inline constexpr TicketDataEntry JBATicketUserIDListCtrl =
    JBATicketInteger(kJBAUserIDListCtrlTicketKey, jba::kUser.userIDListCtrl);
// Whether the user-ID key is in the job options at all.
inline constexpr TicketDataEntry JBATicketUserIDMissing{
    kJBAUserIDTextEditTicketKey, KeyKind::Prefixed, jba::kUserIDMissing, CheckTicketKey};
inline constexpr TicketDataEntry JBATicketUserID =
    JBATicketString(kJBAUserIDTextEditTicketKey, jba::kUser.userID);
inline constexpr TicketDataEntry JBATicketUserIDForUTF8 =
    JBATicketStringForUTF8(kJBAUserIDTextEditTicketKey, jba::kUser.userID);
inline constexpr TicketDataEntry JBATicketUserPassword =
    JBATicketString(kJBAUserIDPasswordTextEditTicketKey, jba::kUser.userPassword);
inline constexpr TicketDataEntry JBATicketDomainName =
    JBATicketString(kJBADomainNameTicketKey, jba::kUser.domainName);
inline constexpr TicketDataEntry JBATicketInputDomainName =
    JBATicketString(kJBAInputDomainNameTicketKey, jba::kInputDomainName);
inline constexpr TicketDataEntry JBATicketAccountID =
    JBATicketString(kJBAAccountIDTextEditTicketKey, jba::kUser.accountID);
inline constexpr TicketDataEntry JBATicketStorageID =
    JBATicketString(kJBAStorageIDTextEditTicketKey, jba::kUser.storageID);
inline constexpr TicketDataEntry JBATicketStorageIDForUTF8 =
    JBATicketStringForUTF8(kJBAStorageIDTextEditTicketKey, jba::kUser.storageID);
inline constexpr TicketDataEntry JBATicketStoragePassword =
    JBATicketString(kJBAStoragePasswordTextEditTicketKey, jba::kUser.storagePassword);
inline constexpr TicketDataEntry JBATicketUserInput =
    JBATicketInteger(kJBAJobInputRadioBtnTicketKey, jba::kUser.userInput);
inline constexpr TicketDataEntry JBATicketInputAuth =
    JBATicketInteger(kJBAInputAuthRadioBtnTicketKey, jba::kInputAuth);
inline constexpr TicketDataEntry JBATicketInputStrg =
    JBATicketInteger(kJBAInputStrgRadioBtnTicketKey, jba::kInputStrg);
inline constexpr TicketDataEntry JBATicketInputStorageID =
    JBATicketString(kJBAInputStorageIDTextEditTicketKey, jba::kInputStorageID);
inline constexpr TicketDataEntry JBATicketInputStorageIDForUTF8 =
    JBATicketStringForUTF8(kJBAInputStorageIDTextEditTicketKey, jba::kInputStorageID);
inline constexpr TicketDataEntry JBATicketInputStoragePassword =
    JBATicketString(kJBAInputStoragePasswordTextEditTicketKey, jba::kInputStoragePassword);
inline constexpr TicketDataEntry JBATicketInputUserID =
    JBATicketString(kJBAInputUserIDTextEditTicketKey, jba::kInputUserID);
inline constexpr TicketDataEntry JBATicketInputUserIDForUTF8 =
    JBATicketStringForUTF8(kJBAInputUserIDTextEditTicketKey, jba::kInputUserID);
inline constexpr TicketDataEntry JBATicketInputUserPassword =
    JBATicketString(kJBAInputUserIDPasswordTextEditTicketKey, jba::kInputUserPassword);
inline constexpr TicketDataEntry JBATicketInputAccountID =
    JBATicketString(kJBAInputAccountIDTextEditTicketKey, jba::kInputAccountID);

// Administrator tickets.
inline constexpr TicketDataEntry JBATicketAdminUserSetting =
    JBATicketInteger(kJBAJobInfoRadioBtnTicketKeyAdmin, jba::kAdmin.userSetting);
inline constexpr TicketDataEntry JBATicketAdminUserIDListCtrl =
    JBATicketInteger(kJBAUserIDListCtrlTicketKeyAdmin, jba::kAdmin.userIDListCtrl);
inline constexpr TicketDataEntry JBATicketAdminUserID =
    JBATicketString(kJBAUserIDTextEditTicketKeyAdmin, jba::kAdmin.userID);
inline constexpr TicketDataEntry JBATicketAdminUserIDForUTF8 =
    JBATicketStringForUTF8(kJBAUserIDTextEditTicketKeyAdmin, jba::kAdmin.userID);
inline constexpr TicketDataEntry JBATicketAdminDomainName =
    JBATicketString(kJBADomainNameTicketKeyAdmin, jba::kAdmin.domainName);
inline constexpr TicketDataEntry JBATicketAdminUserPassword =
    JBATicketString(kJBAUserIDPasswordTextEditTicketKeyAdmin, jba::kAdmin.userPassword);
inline constexpr TicketDataEntry JBATicketAdminAccountID =
    JBATicketString(kJBAAccountIDTextEditTicketKeyAdmin, jba::kAdmin.accountID);
inline constexpr TicketDataEntry JBATicketAdminStorageID =
    JBATicketString(kJBAStorageIDTextEditTicketKeyAdmin, jba::kAdmin.storageID);
inline constexpr TicketDataEntry JBATicketAdminStorageIDForUTF8 =
    JBATicketStringForUTF8(kJBAStorageIDTextEditTicketKeyAdmin, jba::kAdmin.storageID);
inline constexpr TicketDataEntry JBATicketAdminStoragePassword =
    JBATicketString(kJBAStoragePasswordTextEditTicketKeyAdmin, jba::kAdmin.storagePassword);
inline constexpr TicketDataEntry JBATicketAdminUserInput =
    JBATicketInteger(kJBAJobInputRadioBtnTicketKeyAdmin, jba::kAdmin.userInput);

// The administrator table, the same in both programs.
inline constexpr TicketDataEntry JBAticketDataAdmin[] = {
    JBATicketAdminUserSetting, JBATicketAdminUserIDListCtrl, JBATicketAdminUserID,
    JBATicketAdminDomainName,  JBATicketAdminUserPassword,   JBATicketAdminAccountID,
    JBATicketAdminStorageID,   JBATicketAdminStoragePassword, JBATicketAdminUserInput,
};
inline constexpr TicketDataEntry JBAticketDataAdminForUTF8[] = {
    JBATicketAdminUserSetting, JBATicketAdminUserIDListCtrl, JBATicketAdminUserIDForUTF8,
    JBATicketAdminDomainName,  JBATicketAdminUserPassword,   JBATicketAdminAccountID,
    JBATicketAdminStorageIDForUTF8, JBATicketAdminStoragePassword, JBATicketAdminUserInput,
};
static_assert(std::size(JBAticketDataAdmin) == 9 &&
              std::size(JBAticketDataAdminForUTF8) == std::size(JBAticketDataAdmin));

}  // namespace tf
