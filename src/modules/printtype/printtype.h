// Print type: secure, sample, delayed and mailbox print, and the job name of held jobs.
#pragma once

#include <cstdint>

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

void PrintTypeInializeDescriptionTableFromFilter(Job& job);
int PrintTypeGetTicketFromPDE(Job& job);
void PrintTypeOutputKPJLCommandFromFilter(Job& job);

}  // namespace tf
