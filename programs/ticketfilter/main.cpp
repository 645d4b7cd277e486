// ticketfilter: the CUPS filter for printers that take PJL-wrapped PostScript with job tickets.
#include "filter/filter_main.h"
#include "program_traits.h"

int main(int argc, char* argv[]) {
  const tf::FilterConfig config{TICKETFILTER_FLAG_PATH, TICKETFILTER_JOBCOPY_DIR};
  return tf::RunFilter(argc, argv, tf::TicketfilterTraits(), config);
}
