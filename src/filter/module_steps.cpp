// The steps of the program's modules over one job, in the order of the program's module list.
#include "filter/module_steps.h"

#include "engine/job.h"

namespace tf {
namespace {

// Calls `step` of every module that has it, with the module's record and `arguments`.
template <class Step, class... Arguments>
void ForEachModule(Job& job, Step ModuleDescriptor::*step, Arguments&&... arguments) {
  const auto& modules = job.program.modules;
  for (std::size_t i = 0; i < modules.size(); ++i) {
    const Step function = modules[i]->*step;
    if (function != nullptr) function(job, job.RecordAt(i), arguments...);
  }
}

}  // namespace

void InitializeDescriptionTable(Job& job) { ForEachModule(job, &ModuleDescriptor::prepare); }

void QuerySystemFromFilter(Job& job) { ForEachModule(job, &ModuleDescriptor::querySystem); }

std::int32_t GetTicketFromPDE(Job& job) {
  ForEachModule(job, &ModuleDescriptor::readTickets);
  return 1;
}

void InjectBeforeJobFromFilter(Job& job) { ForEachModule(job, &ModuleDescriptor::writeBeforeJob); }

void OutputKPJLCommandFromFilter(Job& job) { ForEachModule(job, &ModuleDescriptor::writeHeader); }

void OutputJobInfoFromFilter(Job& job, JobInfoBlock block) {
  ForEachModule(job, &ModuleDescriptor::writeJobInfo, block);
}

void OutputPSCommandFromFilter(Job& job, int point, int page, PrinterStream& stream) {
  const PsInsertion at{point, page};
  for (const Job::PsInserter& module : job.psInserters()) {
    module.insert(job, module.record, at, stream);
  }
}

}  // namespace tf
