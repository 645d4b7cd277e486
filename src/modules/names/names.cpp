// PLACEHOLDER: name validation is built by its own issue.
#include "modules/names/names.h"

namespace tf {
void InvalidateStdUserName(Job&) {}
void InvalidateStdDocumentNameForProductType(Job&) {}
void InvalidatePrintTypeDocumentNameForProductType(Job&) {}
}  // namespace tf
