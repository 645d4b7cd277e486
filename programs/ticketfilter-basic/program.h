// ticketfilter-basic: the same filter for Shift-JIS ("byte mode") printers only, with the basic
// job-information comment and its own ticket keys and account tables.
#pragma once

#include "engine/program.h"

namespace tf {
const Program& TicketfilterBasicProgram();
}  // namespace tf
