// PLACEHOLDER: the account module is built by its own issue.
#include "modules/jba/jba.h"

namespace tf {
void JBAInializeDescriptionTableFromFilter(Job&) {}
int JBAGetTicketFromPDE(Job&) { return 1; }
void JBAOutputKPJLCommandFromFilter(Job&) {}
}  // namespace tf
