// Print-type tables and steps.
#include "modules/printtype/printtype.h"

#include <iterator>

#include "engine/envelope.h"
#include "engine/job.h"

namespace tf {
namespace {

// Reference operands of the conditions: the record's fields and the option values.
constexpr Operand kPrintType = TF_FIELD(kpjlOptionPrintType.printType);
constexpr Operand kUserName = TF_FIELD(kpjlOptionPrintType.userName);
constexpr Operand kPassword = TF_FIELD(kpjlOptionPrintType.password);
constexpr Operand kDocumentNameType = TF_FIELD(kpjlOptionPrintType.documentNameType);
constexpr Operand kDocumentName = TF_FIELD(kpjlOptionPrintType.documentName);
constexpr Operand kDelayPrint = TF_FIELD(kpjlOptionPrintType.delayPrint);
constexpr Operand kMbn = TF_FIELD(kpjlOptionPrintType.mbn);
constexpr Operand kMbnPassword = TF_FIELD(kpjlOptionPrintType.mbnPassword);
constexpr Operand kJobTitle = TF_FIELD(PTStdDocumentName);

constexpr Operand DQ = TF_CONST(CTRLSym_DOUBLE);
constexpr Operand CR = TF_CONST(CTRLSym_CR);
constexpr Operand LF = TF_CONST(CTRLSym_LF);

constexpr ComparationItem TypeIs(const std::int32_t& option) {
  return {kPrintType, TF_CONST(option), IntCampareFunc};
}
constexpr ComparationItem TypeIsNot(const std::int32_t& option) {
  return {kPrintType, TF_CONST(option), IntNoEqualCampareFunc};
}
constexpr ComparationItem NonEmpty(Operand field) {
  return {field, TF_CONST(OptionNULLStr), StrNoNULLCampareFunc};
}

// Format strings.
constexpr char prtfmtStrSecurePrint[] = "@PJL SET HOLD=STORE\n";
constexpr char prtfmtStrSecurePrintHold[] = "@PJL SET HOLDTYPE=PRIVATE\n";
constexpr char prtfmtStrSamplePrintHold[] = "@PJL SET HOLD=PROOF\n";
constexpr char prtfmtStrSMBPrintHold[] = "@PJL SET HOLD=BOXSTORE\n";
constexpr char prtfmtStrMBNumberPrintHold[] = "@PJL SET HOLDTYPE=PRIVATE\n";
constexpr char prtfmtStrSMBEnterNumber[] = "@PJL SET BOXNUMBER=%s%c%c";
constexpr char prtfmtStrSMBPassword[] = "@PJL SET BOXENCRYPTKEY=%c%s%c%c%c";
constexpr char prtfmtStrSecurePrintUserName[] = "@PJL SET USERNAME=%c%s%c%c%c";
constexpr char prtfmtStrSecurePrintPassword[] = "@PJL SET HOLDENCRYPTKEY=%c%s%c%c%c";
constexpr char prtfmtStrDocumentNameAutoRetrieve[] = "@PJL SET JOBNAME=%c%s%c\r\n";
constexpr char prtfmtStrDocumentNameEnterName[] = "@PJL SET JOBNAME=%c%s%c\r\n";
constexpr char prtfmtStrDelayPrint[] = "@PJL SET JOBATTR=%c@PRTM=%s%c\r\n";

// Parameter lists, one entry per control symbol of the format.
constexpr Operand cmdParaSMBEnterNumber[] = {kMbn, CR, LF};
constexpr Operand cmdParaSMBPassword[] = {DQ, kMbnPassword, DQ, CR, LF};
constexpr Operand cmdParaSecurePrintUserName[] = {DQ, kUserName, DQ, CR, LF};
constexpr Operand cmdParaSecurePrintPassword[] = {DQ, kPassword, DQ, CR, LF};
constexpr Operand cmdParaDocumentNameAutoRetrieve[] = {DQ, kJobTitle, DQ};
constexpr Operand cmdParaDocumentNameEnterName[] = {DQ, kDocumentName, DQ};
constexpr Operand cmdParaDelayPrint[] = {DQ, kDelayPrint, DQ};

constexpr ParaTable<Operand> symParaSMBEnterNumber = MakeParaTable(cmdParaSMBEnterNumber);
constexpr ParaTable<Operand> symParaSMBPassword = MakeParaTable(cmdParaSMBPassword);
constexpr ParaTable<Operand> symParaSecureUserName = MakeParaTable(cmdParaSecurePrintUserName);
constexpr ParaTable<Operand> symParaSecurePrintPassword =
    MakeParaTable(cmdParaSecurePrintPassword);
constexpr ParaTable<Operand> symParaDocumentNameAutoRetrieve =
    MakeParaTable(cmdParaDocumentNameAutoRetrieve);
constexpr ParaTable<Operand> symParaDocumentNameEnterName =
    MakeParaTable(cmdParaDocumentNameEnterName);
constexpr ParaTable<Operand> symParaDelayPrint = MakeParaTable(cmdParaDelayPrint);

// Condition lists; a row is written when every item holds.
constexpr ComparationItem comparationItemSecurePrint[] = {TypeIs(OptionSecurePrint),
                                                          NonEmpty(kUserName)};
// The password item stands twice: the list has four items.
constexpr ComparationItem comparationItemSecurePrintHold[] = {
    TypeIs(OptionSecurePrint), NonEmpty(kUserName), NonEmpty(kPassword), NonEmpty(kPassword)};
constexpr ComparationItem comparationItemSamplePrintHold[] = {TypeIs(OptionSamplePrint),
                                                              NonEmpty(kUserName)};
constexpr ComparationItem comparationItemSMBPrintHold[] = {TypeIs(OptionMBN)};
constexpr ComparationItem comparationItemMBNumberPrintHold[] = {TypeIs(OptionMBN),
                                                                NonEmpty(kMbnPassword)};
// An empty box number writes no BOXNUMBER line: the engine drops a row whose value is empty.
constexpr ComparationItem comparationItemSMBEnterNumber[] = {TypeIs(OptionMBN)};
constexpr ComparationItem comparationItemSMBPassword[] = {TypeIs(OptionMBN),
                                                          NonEmpty(kMbnPassword)};
constexpr ComparationItem comparationItemSecurePrintUserName[] = {
    TypeIsNot(OptionSecurePrintNone), TypeIsNot(OptionDelayPrint), TypeIsNot(OptionMBN),
    NonEmpty(kUserName)};
constexpr ComparationItem comparationItemSecurePrintPassword[] = {
    TypeIs(OptionSecurePrint), NonEmpty(kUserName), NonEmpty(kPassword)};
constexpr ComparationItem comparationItemDocumentNameAutoRetrieve[] = {
    TypeIsNot(OptionSecurePrintNone),
    {kDocumentNameType, TF_CONST(OptionDocumentNameAutoRetrieve), IntCampareFunc},
    NonEmpty(kJobTitle)};
constexpr ComparationItem comparationItemDocumentNameEnterName[] = {
    TypeIsNot(OptionSecurePrintNone),
    {kDocumentNameType, TF_CONST(OptionDocumentNameEnterName), IntCampareFunc},
    NonEmpty(kDocumentName)};
constexpr ComparationItem comparationItemDelayPrint[] = {TypeIs(OptionDelayPrint),
                                                         NonEmpty(kDelayPrint)};

constexpr ParaTable<ComparationItem> comparationSecurePrint =
    MakeParaTable(comparationItemSecurePrint);
constexpr ParaTable<ComparationItem> comparationSecurePrintHold =
    MakeParaTable(comparationItemSecurePrintHold);
constexpr ParaTable<ComparationItem> comparationSamplePrintHold =
    MakeParaTable(comparationItemSamplePrintHold);
constexpr ParaTable<ComparationItem> comparationSMBPrintHold =
    MakeParaTable(comparationItemSMBPrintHold);
constexpr ParaTable<ComparationItem> comparationMBNumberPrintHold =
    MakeParaTable(comparationItemMBNumberPrintHold);
constexpr ParaTable<ComparationItem> comparationSMBEnterNumber =
    MakeParaTable(comparationItemSMBEnterNumber);
constexpr ParaTable<ComparationItem> comparationParaSMBPassword =
    MakeParaTable(comparationItemSMBPassword);
constexpr ParaTable<ComparationItem> comparationSecureUserName =
    MakeParaTable(comparationItemSecurePrintUserName);
constexpr ParaTable<ComparationItem> comparationParaSecurePrintPassword =
    MakeParaTable(comparationItemSecurePrintPassword);
constexpr ParaTable<ComparationItem> comparationDocumentNameAutoRetrieve =
    MakeParaTable(comparationItemDocumentNameAutoRetrieve);
constexpr ParaTable<ComparationItem> comparationDocumentNameEnterName =
    MakeParaTable(comparationItemDocumentNameEnterName);
constexpr ParaTable<ComparationItem> comparationDelayPrint =
    MakeParaTable(comparationItemDelayPrint);

static_assert(comparationSecurePrint.count == 2 && comparationSecurePrintHold.count == 4 &&
              comparationSamplePrintHold.count == 2 && comparationSMBPrintHold.count == 1 &&
              comparationMBNumberPrintHold.count == 2 && comparationSMBEnterNumber.count == 1 &&
              comparationParaSMBPassword.count == 2 && comparationSecureUserName.count == 4 &&
              comparationParaSecurePrintPassword.count == 3 &&
              comparationDocumentNameAutoRetrieve.count == 3 &&
              comparationDocumentNameEnterName.count == 3 && comparationDelayPrint.count == 2);

}  // namespace

const TicketDataEntry PrintTypeticketData[8] = {
    {kPrintTypeTicketKey, KeyKind::Prefixed, kPrintType, 4, GetTicketInteger},
    {kPrintTypeUserNameTicketKey, KeyKind::Prefixed, kUserName, 73,
     GetTicketStringConvertedToPrtLang},
    {kPrintTypePasswordTicketKey, KeyKind::Prefixed, kPassword, 17,
     GetTicketStringConvertedToPrtLang},
    {kDoucmentNameTypeTicketKey, KeyKind::Prefixed, kDocumentNameType, 4, GetTicketInteger},
    {kDoucmentNameTicketKey, KeyKind::Prefixed, kDocumentName, 193,
     GetTicketStringConvertedToPrtLang},
    {kPrintTyeDelayPrintTicketKey, KeyKind::Prefixed, kDelayPrint, 17,
     GetTicketStringConvertedToPrtLang},
    {kPrintTyperMBNTicketKey, KeyKind::Prefixed, kMbn, 5, GetTicketStringConvertedToPrtLang},
    {kPrintTypeMBNPasswordTicketKey, KeyKind::Prefixed, kMbnPassword, 30,
     GetTicketStringConvertedToPrtLang},
};

// User name and typed job name stay UTF-8; password, print time and mailbox values keep the
// byte-mode reader.
const TicketDataEntry PrintTypeticketDataForUTF8[8] = {
    {kPrintTypeTicketKey, KeyKind::Prefixed, kPrintType, 4, GetTicketInteger},
    {kPrintTypeUserNameTicketKey, KeyKind::Prefixed, kUserName, 73,
     GetTicketStringConvertedToPrtLangForUTF8},
    {kPrintTypePasswordTicketKey, KeyKind::Prefixed, kPassword, 17,
     GetTicketStringConvertedToPrtLang},
    {kDoucmentNameTypeTicketKey, KeyKind::Prefixed, kDocumentNameType, 4, GetTicketInteger},
    {kDoucmentNameTicketKey, KeyKind::Prefixed, kDocumentName, 193,
     GetTicketStringConvertedToPrtLangForUTF8},
    {kPrintTyeDelayPrintTicketKey, KeyKind::Prefixed, kDelayPrint, 17,
     GetTicketStringConvertedToPrtLang},
    {kPrintTyperMBNTicketKey, KeyKind::Prefixed, kMbn, 5, GetTicketStringConvertedToPrtLang},
    {kPrintTypeMBNPasswordTicketKey, KeyKind::Prefixed, kMbnPassword, 30,
     GetTicketStringConvertedToPrtLang},
};

// Rows in the order they are written.  The fixed hold commands end in LF alone, every command
// with a value in CR LF.
const FmtTableEntry PrintTypeFmtTable[12] = {
    {prtfmtStrSecurePrint, nullptr, &comparationSecurePrint},
    {prtfmtStrSecurePrintHold, nullptr, &comparationSecurePrintHold},
    {prtfmtStrSamplePrintHold, nullptr, &comparationSamplePrintHold},
    {prtfmtStrSMBPrintHold, nullptr, &comparationSMBPrintHold},
    {prtfmtStrMBNumberPrintHold, nullptr, &comparationMBNumberPrintHold},
    {prtfmtStrSMBEnterNumber, &symParaSMBEnterNumber, &comparationSMBEnterNumber},
    {prtfmtStrSMBPassword, &symParaSMBPassword, &comparationParaSMBPassword},
    {prtfmtStrSecurePrintUserName, &symParaSecureUserName, &comparationSecureUserName},
    {prtfmtStrSecurePrintPassword, &symParaSecurePrintPassword,
     &comparationParaSecurePrintPassword},
    {prtfmtStrDocumentNameAutoRetrieve, &symParaDocumentNameAutoRetrieve,
     &comparationDocumentNameAutoRetrieve},
    {prtfmtStrDocumentNameEnterName, &symParaDocumentNameEnterName,
     &comparationDocumentNameEnterName},
    {prtfmtStrDelayPrint, &symParaDelayPrint, &comparationDelayPrint},
};
static_assert(std::size(PrintTypeFmtTable) == PrintTypeFmtTableNum);
static_assert(std::size(PrintTypeticketData) == 8 && std::size(PrintTypeticketDataForUTF8) == 8);

void PrintTypeInializeDescriptionTableFromFilter(Job&) {
  // The parameter and condition tables are constant and bound when the program is built.
}

int PrintTypeGetTicketFromPDE(Job& job) {
  // job.utf8Mode is set only by a program that has the UTF-8 mode, for a UTF-8 printer.
  if (job.utf8Mode) return GetTicketFromArray(job, PrintTypeticketDataForUTF8);
  return GetTicketFromArray(job, PrintTypeticketData);
}

void PrintTypeOutputKPJLCommandFromFilter(Job& job) {
  OutputKPJLCommandFromArray(job, PrintTypeFmtTable, PrintTypeFmtTableNum);
}

}  // namespace tf
