// One job at a time per printer, each started once.
//
// PAPPL 1.3 starts a job by creating a thread at _papplJobProcess for the newest pending job of the
// printer, and the thread marks the job processing only later.  Any check for jobs in between
// (another client's submission, the end of a job) starts the same job, or another, a second time:
// two threads then print into one device at once (seen: 20 jobs sent at once gave empty files,
// truncated files and a file holding two jobs).  The framework offers no public way to claim a
// job before its thread runs, and its raster jobs (PWG and Apple raster, streamed from the client)
// enter at _papplJobProcessRaster in the client's thread.
//
// The service defines both functions itself: being exported by the program, its definitions take
// the place of the library's for the library's own calls, which reach them through its symbol
// table.  Each takes the printer's turn before it calls the library's function (found with
// dlsym(RTLD_NEXT)):
//   - a job thread runs the oldest pending job of its printer that is not streamed raster, or
//     nothing when there is none (the duplicate starts end there): jobs print one at a time, in
//     the order they came;
//   - a raster job waits for the job that prints, and goes before the next spooled job (its
//     client is waiting on the connection).
// CheckJobSerialization, called at start-up, verifies everything this relies on: both functions
// exist in the library, the library reaches them through relocations of its symbol table, and
// the program's definitions are the ones the dynamic linker binds.  A job that reaches the
// driver without its printer's turn (JobHasItsTurn) is not printed.
#pragma once

#include <pappl/pappl.h>

#include <string>

namespace tf::app {

// Empty when the work-around is in place; otherwise why not (a sentence for the log).
std::string CheckJobSerialization();

// True when the calling thread runs `job` in its printer's turn.
bool JobHasItsTurn(pappl_job_t* job);

}  // namespace tf::app
