// PLACEHOLDER: the booklet lines are built by their own issue.
#include "modules/booklet/booklet.h"

namespace tf {
void OutputKPJLCommandforBooklet(Job&) {}
}  // namespace tf
