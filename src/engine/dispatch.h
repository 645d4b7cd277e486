// Module dispatch: the fan-outs that call every module's steps in their fixed order.
#pragma once

#include <cstdint>

namespace tf {

class Job;
class PrinterStream;

// Insertion points: lines of the PostScript stream where modules may insert PostScript.
enum InsertionPoint : int {
  kPointBeginProlog = 13,    // after "%%BeginProlog"
  kPointEndProlog = 14,      // before the first "%%EndProlog"
  kPointEndSetup = 16,       // before "%%EndSetup"
  kPointSetPageDevice = 21,  // before "userdict/setpagedevice{pop}bind put"
  kPointPageBegin = 22,      // before a "%%Page:" comment outside embedded documents
  kPointBeginPage = 23,      // after "bp"
  kPointEndPageSetup = 24,   // after the first "%%EndPageSetup" of a page, outside embedded
                             // documents
  kPointEndPage = 27,        // before "ep"
  kPointEndPageP = 28,       // before "endp"
  kPointPageSave = 29,       // before the "showpage" that ends a page without page-end procedures
};

// Start-up: resets the job's records and binds the envelope and module tables.
void InializeDescriptionTable(Job& job);
void InializeDescriptionTableFromFilter(Job& job);
// Every module reads its tickets, in the fixed order.  Returns 1.
std::int32_t GetTicketFromPDE(Job& job);
// The header rows of the table-driven modules: print type, account, finishing.
void OutputKPJLCommandFromFilter(Job& job);
// An insertion point of the PostScript stream: watermark, then finishing.
void OutputPSCommandFromFilter(Job& job, int point, int page, PrinterStream& stream);

}  // namespace tf
