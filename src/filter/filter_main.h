// The filter's entry and the lifecycle of one job.
#pragma once

#include "filter/program_traits.h"

namespace tf {

class Job;

// Runs the filter for the CUPS arguments `argv` (job-id user title copies options [file]) and
// returns the exit status: 0 when the job was printed, 1 when it failed (fewer than six
// arguments, an unreadable input, a printer stream that could not be written).
int RunFilter(int argc, char** argv, const ProgramTraits& traits, const FilterConfig& config);

// The start of a job, before its output: the printer-language mode, the user and document names
// and the module tables.
void PrepareJob(Job& job);

// The lifecycle of one job, from the names to the trailer.  Returns the exit status.
int RunJob(Job& job);

}  // namespace tf
