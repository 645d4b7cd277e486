// PLACEHOLDER: the special-pages module is built by its own issue.
#include "modules/specialpage/specialpage.h"

namespace tf {
void SpecialPageInializeDescriptionTable(Job&) {}
int SpecialPageGetTicketFromPDE(Job&) { return 1; }
void InjectKPIFCommandSP(Job&) {}
}  // namespace tf
