// One print job.
#include "filter/job.h"

#include <cstdlib>

namespace tf {

Job::Job(const ProgramTraits& programTraits, const FilterConfig& filterConfig, int count,
         char** arguments)
    : traits(programTraits), config(filterConfig), argc(count), argv(arguments) {}

const PpdFile& Job::ppd() {
  if (!ppdLoaded_) {
    ppdLoaded_ = true;
    ppd_.Open(std::getenv("PPD"));
  }
  return ppd_;
}

const JobOptions& Job::options() {
  if (!optionsLoaded_) {
    optionsLoaded_ = true;
    options_.Parse(argc > 5 ? argv[5] : nullptr, ppd());
  }
  return options_;
}

std::string Job::TicketKey(const char* name) const {
  return std::string(traits.ticketKeyPrefix) + name;
}

}  // namespace tf
