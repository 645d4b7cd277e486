// Booklet: the document orientation, booklet binding edge and subset attributes of the header.
#pragma once

namespace tf {

class Job;

void OutputKPJLCommandforBooklet(Job& job);

}  // namespace tf
