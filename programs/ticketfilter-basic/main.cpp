// ticketfilter-basic: the CUPS filter for byte-mode printers, without UTF-8 printer language and
// without the extended job-information comment.
#include "filter/filter_main.h"
#include "program_traits.h"

int main(int argc, char* argv[]) {
  const tf::FilterConfig config{TICKETFILTER_FLAG_PATH, TICKETFILTER_JOBCOPY_DIR};
  return tf::RunFilter(argc, argv, tf::TicketfilterBasicTraits(), config);
}
