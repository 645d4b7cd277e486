// Print type: secure, sample, delayed and mailbox print, and the job name of held jobs.
//
// The print dialog's choice of how the printer holds the job becomes PJL header commands.  The
// module owns one record of ticket values, the ticket-data tables that fill it and one format
// table whose row conditions choose the commands; it writes first among the header modules.
#pragma once

#include <cstdint>

#include "engine/format.h"
#include "engine/ticket.h"

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
inline constexpr char kDoucmentNameTypeTicketKey[] = "DocumentNameTypeTicketKey";
inline constexpr char kDoucmentNameTicketKey[] = "DocumentNameTicketKey";
inline constexpr char kPrintTyeDelayPrintTicketKey[] = "DelayPrintTicketKey";
inline constexpr char kPrintTyperMBNTicketKey[] = "PrintTypeMBNTicketKey";
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

// Ticket-data tables: byte-mode printers, and UTF-8 printers (user and job name stay UTF-8).
extern const TicketDataEntry PrintTypeticketData[8];
extern const TicketDataEntry PrintTypeticketDataForUTF8[8];

// The commands, in the order they are written.
extern const FmtTableEntry PrintTypeFmtTable[12];
inline constexpr std::int32_t PrintTypeFmtTableNum = 12;

// The tables are constant data; nothing is bound per job.
void PrintTypeInializeDescriptionTableFromFilter(Job& job);
// Fills kpjlOptionPrintType from the job options (the UTF-8 table on UTF-8 printers).  Returns 1.
int PrintTypeGetTicketFromPDE(Job& job);
// Writes the print-type commands whose conditions hold.
void PrintTypeOutputKPJLCommandFromFilter(Job& job);

}  // namespace tf
