// One print job.
#include "engine/job.h"

#include <utility>

#include "engine/ppd_keys.h"

namespace tf {

Job::Job(const Program& jobProgram, JobArguments arguments, const PpdFile& ppd, Logger& logger)
    : program(jobProgram),
      traits(jobProgram.traits),
      args(std::move(arguments)),
      log(logger),
      ppd_(ppd) {}

const JobOptions& Job::options() {
  if (!optionsLoaded_) {
    optionsLoaded_ = true;
    const char* text = args.options.c_str();
    options_.Parse(text, ppd());
    const PpdFile& printer = ppd();
    StandardAttributeContext context;
    context.ticketKeyPrefix = traits.ticketKeyPrefix;
    context.jobUser = args.user;
    context.passwordForm = ppdFindAttr_ALT(printer, KPPDJobPasswordKey).value_or("");
    context.offersChoice = [&printer](const char* option, const char* choice) {
      return printer.HasChoice(option, choice);
    };
    context.optionsText = text;
    StandardAttributeResult taken = options_.ApplyStandardAttributes(context);
    refusal_ = std::move(taken.refusal);
    for (const std::string& ticket : taken.added) {
      log.Debug("Ticket %s taken from the standard job attributes.", ticket.c_str());
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
