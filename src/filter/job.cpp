// One print job.
#include "filter/job.h"

#include <cstdio>
#include <cstdlib>

#include "engine/ppd_keys.h"

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
    const char* text = argc > 5 ? argv[5] : nullptr;
    options_.Parse(text, ppd());
    const PpdFile& printer = ppd();
    StandardAttributeContext context;
    context.ticketKeyPrefix = traits.ticketKeyPrefix;
    context.jobUser = argc > 2 && argv[2] != nullptr ? argv[2] : "";
    context.passwordForm = ppdFindAttr_ALT(printer, KPPDJobPasswordKey).value_or("");
    context.offersChoice = [&printer](const char* option, const char* choice) {
      return printer.HasChoice(option, choice);
    };
    context.optionsText = text;
    StandardAttributeResult taken = options_.ApplyStandardAttributes(context);
    refusal_ = std::move(taken.refusal);
    for (const std::string& ticket : taken.added) {
      std::fprintf(stderr, "DEBUG: Ticket %s taken from the standard job attributes.\n",
                   ticket.c_str());
    }
  }
  return options_;
}

const std::string& Job::refusal() {
  options();
  return refusal_;
}

std::string Job::TicketKey(const char* name) const {
  return std::string(traits.ticketKeyPrefix) + name;
}

}  // namespace tf
