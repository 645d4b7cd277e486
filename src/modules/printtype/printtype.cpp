// Print-type tables and steps.
#include "modules/printtype/printtype.h"

#include <iterator>

#include "engine/format.h"
#include "engine/job.h"

namespace tf {
namespace {

// The record's fields, and the job title (the names module prepares it).
constexpr Operand kPrintType = TF_RECORD(PrintTypeOptions, printType);
constexpr Operand kUserName = TF_RECORD(PrintTypeOptions, userName);
constexpr Operand kPassword = TF_RECORD(PrintTypeOptions, password);
constexpr Operand kDocumentNameType = TF_RECORD(PrintTypeOptions, documentNameType);
constexpr Operand kDocumentName = TF_RECORD(PrintTypeOptions, documentName);
constexpr Operand kDelayPrint = TF_RECORD(PrintTypeOptions, delayPrint);
constexpr Operand kMbn = TF_RECORD(PrintTypeOptions, mbn);
constexpr Operand kMbnPassword = TF_RECORD(PrintTypeOptions, mbnPassword);
constexpr Operand kJobTitle = TF_CORE(PTStdDocumentName);

constexpr ComparisonItem TypeIs(const std::int32_t& option) {
  return Is(kPrintType, TF_CONST(option));
}
constexpr ComparisonItem TypeIsNot(const std::int32_t& option) {
  return IsNot(kPrintType, TF_CONST(option));
}

constexpr TicketDataEntry PrintTypeticketData[] = {
    {kPrintTypeTicketKey, KeyKind::Prefixed, kPrintType, GetTicketInteger},
    {kPrintTypeUserNameTicketKey, KeyKind::Prefixed, kUserName, GetTicketStringConvertedToPrtLang},
    {kPrintTypePasswordTicketKey, KeyKind::Prefixed, kPassword, GetTicketStringConvertedToPrtLang},
    {kDocumentNameTypeTicketKey, KeyKind::Prefixed, kDocumentNameType, GetTicketInteger},
    {kDocumentNameTicketKey, KeyKind::Prefixed, kDocumentName, GetTicketStringConvertedToPrtLang},
    {kPrintTypeDelayPrintTicketKey, KeyKind::Prefixed, kDelayPrint,
     GetTicketStringConvertedToPrtLang},
    {kPrintTypeMBNTicketKey, KeyKind::Prefixed, kMbn, GetTicketStringConvertedToPrtLang},
    {kPrintTypeMBNPasswordTicketKey, KeyKind::Prefixed, kMbnPassword,
     GetTicketStringConvertedToPrtLang},
};

// User name and typed job name stay UTF-8; password, print time and mailbox values keep the
// byte-mode reader.
constexpr TicketDataEntry PrintTypeticketDataForUTF8[] = {
    {kPrintTypeTicketKey, KeyKind::Prefixed, kPrintType, GetTicketInteger},
    {kPrintTypeUserNameTicketKey, KeyKind::Prefixed, kUserName,
     GetTicketStringConvertedToPrtLangForUTF8},
    {kPrintTypePasswordTicketKey, KeyKind::Prefixed, kPassword, GetTicketStringConvertedToPrtLang},
    {kDocumentNameTypeTicketKey, KeyKind::Prefixed, kDocumentNameType, GetTicketInteger},
    {kDocumentNameTicketKey, KeyKind::Prefixed, kDocumentName,
     GetTicketStringConvertedToPrtLangForUTF8},
    {kPrintTypeDelayPrintTicketKey, KeyKind::Prefixed, kDelayPrint,
     GetTicketStringConvertedToPrtLang},
    {kPrintTypeMBNTicketKey, KeyKind::Prefixed, kMbn, GetTicketStringConvertedToPrtLang},
    {kPrintTypeMBNPasswordTicketKey, KeyKind::Prefixed, kMbnPassword,
     GetTicketStringConvertedToPrtLang},
};
static_assert(std::size(PrintTypeticketData) == std::size(PrintTypeticketDataForUTF8));

// Rows in the order they are written.  The fixed hold commands end in LF alone, every command
// with a value in CR LF.
constexpr FmtTableEntry PrintTypeFmtTable[] = {
    {"SecurePrint", "@PJL SET HOLD=STORE\n", {},
     {TypeIs(OptionSecurePrint), NonEmpty(kUserName)}},
    // The password item stands twice: the list has four items.
    {"SecurePrintHold", "@PJL SET HOLDTYPE=PRIVATE\n", {},
     {TypeIs(OptionSecurePrint), NonEmpty(kUserName), NonEmpty(kPassword), NonEmpty(kPassword)}},
    {"SamplePrintHold", "@PJL SET HOLD=PROOF\n", {},
     {TypeIs(OptionSamplePrint), NonEmpty(kUserName)}},
    {"SMBPrintHold", "@PJL SET HOLD=BOXSTORE\n", {}, {TypeIs(OptionMBN)}},
    {"MBNumberPrintHold", "@PJL SET HOLDTYPE=PRIVATE\n", {},
     {TypeIs(OptionMBN), NonEmpty(kMbnPassword)}},
    // An empty box number writes no BOXNUMBER line: the engine drops a row whose value is empty.
    {"SMBEnterNumber", "@PJL SET BOXNUMBER=%s%c%c", {kMbn, kCR, kLF}, {TypeIs(OptionMBN)}},
    {"SMBPassword", "@PJL SET BOXENCRYPTKEY=%c%s%c%c%c", {kDQ, kMbnPassword, kDQ, kCR, kLF},
     {TypeIs(OptionMBN), NonEmpty(kMbnPassword)}},
    {"SecurePrintUserName", "@PJL SET USERNAME=%c%s%c%c%c", {kDQ, kUserName, kDQ, kCR, kLF},
     {TypeIsNot(OptionSecurePrintNone), TypeIsNot(OptionDelayPrint), TypeIsNot(OptionMBN),
      NonEmpty(kUserName)}},
    {"SecurePrintPassword", "@PJL SET HOLDENCRYPTKEY=%c%s%c%c%c", {kDQ, kPassword, kDQ, kCR, kLF},
     {TypeIs(OptionSecurePrint), NonEmpty(kUserName), NonEmpty(kPassword)}},
    {"DocumentNameAutoRetrieve", "@PJL SET JOBNAME=%c%s%c\r\n", {kDQ, kJobTitle, kDQ},
     {TypeIsNot(OptionSecurePrintNone),
      Is(kDocumentNameType, TF_CONST(OptionDocumentNameAutoRetrieve)), NonEmpty(kJobTitle)}},
    {"DocumentNameEnterName", "@PJL SET JOBNAME=%c%s%c\r\n", {kDQ, kDocumentName, kDQ},
     {TypeIsNot(OptionSecurePrintNone),
      Is(kDocumentNameType, TF_CONST(OptionDocumentNameEnterName)), NonEmpty(kDocumentName)}},
    {"DelayPrint", "@PJL SET JOBATTR=%c@PRTM=%s%c\r\n", {kDQ, kDelayPrint, kDQ},
     {TypeIs(OptionDelayPrint), NonEmpty(kDelayPrint)}},
};
static_assert(std::size(PrintTypeFmtTable) == 12);

constexpr std::span<const TicketDataEntry> kTicketTables[] = {PrintTypeticketData,
                                                              PrintTypeticketDataForUTF8};

}  // namespace

const ModuleDescriptor PrintTypeModule{
    .name = "print type",
    .record = RecordTypeOf<PrintTypeOptions>(),
    .ticketTables = kTicketTables,
    .readTickets = PrintTypeGetTicketFromPDE,
    .writeHeader = PrintTypeOutputKPJLCommandFromFilter,
};

void PrintTypeGetTicketFromPDE(Job& job, void* kpjlOptionPrintType) {
  // job.utf8Mode is set only by a program that has the UTF-8 mode, for a UTF-8 printer.
  GetTicketFromArray(job, kpjlOptionPrintType,
                     job.utf8Mode ? PrintTypeticketDataForUTF8 : PrintTypeticketData);
}

void PrintTypeOutputKPJLCommandFromFilter(Job& job, void* kpjlOptionPrintType) {
  OutputKPJLCommandFromArray(job, kpjlOptionPrintType, PrintTypeFmtTable);
}

}  // namespace tf
