// The steps of the program's modules over one job.  Each function takes one step of the module
// contract (engine/module.h) for every module of the job's program that has it, in the order of
// the program's module list, each with its own record.
#pragma once

#include <cstdint>

#include "engine/module.h"

namespace tf {

class Job;
class PrinterStream;

// prepare: the job starts (the names, the once-flags).
void InitializeDescriptionTable(Job& job);
// querySystem: the job was accepted (the client host).
void QuerySystemFromFilter(Job& job);
// readTickets: every module reads its tickets.  Returns 1.
std::int32_t GetTicketFromPDE(Job& job);
// writeBeforeJob: what precedes the universal exit language (the special-pages job ticket).
void InjectBeforeJobFromFilter(Job& job);
// writeHeader: the modules' header lines, after the job-mode line.
void OutputKPJLCommandFromFilter(Job& job);
// writeJobInfo: the lines of the job-information comment block `block`.
void OutputJobInfoFromFilter(Job& job, JobInfoBlock block);
// insertPostScript: an insertion point of the PostScript stream, with the count of page ends so
// far, written to `stream`.
void OutputPSCommandFromFilter(Job& job, int point, int page, PrinterStream& stream);

}  // namespace tf
