// Jobs that a stopped service left in the middle of printing.
//
// The service's state file lists every job with its state.  A service that was killed while a job
// printed saved that job as "processing", and the framework starts only pending jobs: such a job
// would wait for ever.  Before the state is loaded, RequeueInterruptedJobs turns every processing
// job back into a pending one, so that it prints again from the start.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tf::app {

struct RequeuedState {
  std::string text;         // the state file's text with the interrupted jobs pending
  std::vector<int> jobIds;  // the jobs turned back to pending, in file order
};

// The state file's text (`Job name="value" ...` lines, values quoted with backslash escapes)
// with every job of state 5 (processing) given state 3 (pending).  Every other byte is kept.
RequeuedState RequeueInterruptedJobs(std::string_view stateText);

}  // namespace tf::app
