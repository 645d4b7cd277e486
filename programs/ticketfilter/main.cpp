// ticketfilter: the CUPS filter for printers that take PJL-wrapped PostScript with job tickets.
#include "filter/filter_job.h"
#include "program.h"

int main(int argc, char* argv[]) {
  tf::FilterLogger log;
  tf::FilterContext context;
  context.program = &tf::TicketfilterProgram();
  context.log = &log;
  context.jobCopy = {TICKETFILTER_FLAG_PATH, TICKETFILTER_JOBCOPY_DIR};
  if (!tf::ReadCupsArguments(argc, argv, context)) return 1;
  tf::InstallCupsSignalHandlers(context);
  return tf::RunFilterJob(context);
}
