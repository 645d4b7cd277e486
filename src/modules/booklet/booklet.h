// Booklet: the document orientation, booklet binding edge and subset attributes of the header.
#pragma once

#include "engine/module.h"

namespace tf {

class Job;

// The booklet module: no record; it reads the job-information comment's record
// (CommentRecordForBooklet).
extern const ModuleDescriptor BookletModule;

void OutputKPJLCommandforBooklet(Job& job, void* record);

}  // namespace tf
