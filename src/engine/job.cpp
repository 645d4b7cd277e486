// One print job: its core, its options and the records of its modules.
#include "engine/job.h"

#include <cstring>
#include <utility>
#include <vector>

#include "engine/ppd_keys.h"

namespace tf {

Job::Job(const Program& jobProgram, JobArguments arguments, const PpdFile& ppd, Logger& logger)
    : program(jobProgram),
      traits(jobProgram.traits),
      args(std::move(arguments)),
      log(logger),
      ppd_(ppd) {
  // One zeroed block holds every module's record, each at its alignment.
  std::vector<std::size_t> offsets;
  std::size_t total = 0;
  for (const ModuleDescriptor* module : program.modules) {
    const std::size_t align = module->record.align;
    total = (total + align - 1) / align * align;
    offsets.push_back(total);
    total += module->record.size;
  }
  const std::size_t units = (total + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
  const std::size_t count = units > 0 ? units : 1;
  recordStorage_.reset(new std::max_align_t[count]);
  // Every byte is cleared, the padding inside each std::max_align_t included: a record may lie
  // over it, and value-initialising the array need not clear it.
  auto* base = reinterpret_cast<unsigned char*>(recordStorage_.get());
  std::memset(base, 0, count * sizeof(std::max_align_t));
  for (std::size_t i = 0; i < program.modules.size(); ++i) {
    records_.push_back(program.modules[i]->record.size > 0 ? base + offsets[i] : nullptr);
    if (program.modules[i]->insertPostScript != nullptr) {
      psInserters_.push_back({program.modules[i]->insertPostScript, records_.back()});
    }
  }
}

void* Job::RecordOf(const ModuleDescriptor& module) const {
  for (std::size_t i = 0; i < program.modules.size(); ++i) {
    if (program.modules[i] == &module) return records_[i];
  }
  return nullptr;
}

const JobOptions& Job::options() {
  if (!optionsLoaded_) {
    optionsLoaded_ = true;
    const char* text = args.options.c_str();
    options_.Parse(text, ppd());
    const PpdFile& printer = ppd();
    StandardAttributeContext context;
    context.ticketKeyPrefix = traits.ticketKeyPrefix;
    context.jobUser = args.user;
    context.passwordForm = printer.FindAttribute(KPPDJobPasswordKey).value_or("");
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
