// Print type: secure, sample, delayed and mailbox print, and the job name of held jobs.
//
// The print dialog's choice of how the printer holds the job becomes PJL header commands.  The
// module owns one record of ticket values, the ticket-data tables that fill it and one format
// table whose row conditions choose the commands.
#pragma once

#include <cstdint>

#include "engine/module.h"

namespace tf {

class Job;

// Record `kpjlOptionPrintType`: the print-type tickets of the job.
struct PrintTypeOptions {
  std::int32_t printType;         // OptionSecurePrintNone .. OptionMBN; -1 when absent
  char userName[73];              // secure and sample print user
  char password[17];              // secure-print password
  std::int32_t documentNameType;  // OptionDocumentNameAutoRetrieve / EnterName; -1 when absent
  char documentName[193];         // job name typed in the dialog
  char delayPrint[17];            // print time of a delayed job, as text
  char mbn[5];                    // mailbox number, as text
  char mbnPassword[30];           // mailbox password
};

// Ticket keys (after the program's ticket-key prefix).
inline constexpr char kPrintTypeTicketKey[] = "PrintTypeTicketKey";
inline constexpr char kPrintTypeUserNameTicketKey[] = "PrintTypeUserNameTicketKey";
inline constexpr char kPrintTypePasswordTicketKey[] = "PrintTypePasswordTicketKey";
inline constexpr char kDocumentNameTypeTicketKey[] = "DocumentNameTypeTicketKey";
inline constexpr char kDocumentNameTicketKey[] = "DocumentNameTicketKey";
inline constexpr char kPrintTypeDelayPrintTicketKey[] = "DelayPrintTicketKey";
inline constexpr char kPrintTypeMBNTicketKey[] = "PrintTypeMBNTicketKey";
inline constexpr char kPrintTypeMBNPasswordTicketKey[] = "PrintTypeMBNPasswordTicketKey";

// Values of `printType`.
inline constexpr std::int32_t OptionSecurePrintNone = 1;  // normal print, nothing held
inline constexpr std::int32_t OptionSecurePrint = 2;
inline constexpr std::int32_t OptionSamplePrint = 3;
inline constexpr std::int32_t OptionDelayPrint = 4;
inline constexpr std::int32_t OptionMBN = 5;  // mailbox print
// Values of `documentNameType`.
inline constexpr std::int32_t OptionDocumentNameAutoRetrieve = 1;  // the job title
inline constexpr std::int32_t OptionDocumentNameEnterName = 2;     // typed in the dialog

// The print-type module: its record is a PrintTypeOptions.
extern const ModuleDescriptor PrintTypeModule;

// Fills the record `kpjlOptionPrintType` from the job options (the UTF-8 table on UTF-8
// printers).
void PrintTypeGetTicketFromPDE(Job& job, void* kpjlOptionPrintType);
// Writes the rows of `PrintTypeFmtTable` whose conditions hold.
void PrintTypeOutputKPJLCommandFromFilter(Job& job, void* kpjlOptionPrintType);

}  // namespace tf
