// ticketfilter: for printers whose job language takes UTF-8 or Shift-JIS text, with the extended
// job-information comment and its own ticket keys.
#pragma once

#include "engine/program.h"

namespace tf {
const Program& TicketfilterProgram();
}  // namespace tf
