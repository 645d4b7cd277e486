// One print job.
#include "filter/job.h"

#include <cstdio>
#include <cstdlib>

namespace tf {

Job::Job(const ProgramTraits& programTraits, const FilterConfig& filterConfig, int count,
         char** arguments)
    : traits(programTraits), config(filterConfig), argc(count), argv(arguments) {}

const PpdFile& Job::ppd() {
  if (!ppdLoaded_) {
    ppdLoaded_ = true;
    const char* path = std::getenv("PPD");
    // A PPD that is named but cannot be read (missing, empty, not a PPD, a directory) answers
    // "absent" to every question, as no PPD does: byte mode, pass-through, no comment block.
    if (!ppd_.Open(path) && path != nullptr && *path != '\0') {
      std::fprintf(stderr,
                   "DEBUG: Unable to open the PPD file %s; the job goes on without its "
                   "attributes.\n",
                   path);
    }
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
