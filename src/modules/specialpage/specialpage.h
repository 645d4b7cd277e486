// Special pages: covers, inserted sheets and page exceptions, sent as an XML job ticket ahead of
// the PJL header.
#pragma once

#include <cstdint>

namespace tf {

class Job;

// Record `psOptionSpecialPage`: how many values each list of the job holds.
struct SpecialPageOptions {
  std::int32_t coverCount;
  std::int32_t insertionCount;
  std::int32_t exceptionCount;
};

void SpecialPageInializeDescriptionTable(Job& job);
int SpecialPageGetTicketFromPDE(Job& job);
void InjectKPIFCommandSP(Job& job);

}  // namespace tf
