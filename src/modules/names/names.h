// User and document names: prepared from the job's arguments, cut to the printer's limits and
// validated against the bytes the printer accepts.
#pragma once

namespace tf {

class Job;

void InvalidateStdUserName(Job& job);
void InvalidateStdDocumentNameForProductType(Job& job);
void InvalidatePrintTypeDocumentNameForProductType(Job& job);

}  // namespace tf
