// ticketfilter-basic: the CUPS filter for byte-mode printers, without UTF-8 printer language and
// without the extended job-information comment.
#include "filter/filter_job.h"
#include "program.h"

int main(int argc, char* argv[]) {
  tf::FilterLogger log;
  tf::FilterContext context;
  context.program = &tf::TicketfilterBasicProgram();
  context.log = &log;
  context.jobCopy = {TICKETFILTER_FLAG_PATH, TICKETFILTER_JOBCOPY_DIR};
  if (!tf::ReadCupsArguments(argc, argv, context)) return 1;
  tf::InstallCupsSignalHandlers(context);
  return tf::RunFilterJob(context);
}
