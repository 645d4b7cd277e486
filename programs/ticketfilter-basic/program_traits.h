// What makes ticketfilter-basic: byte-mode printers only, the basic comment, its own ticket keys
// and account tables.
#pragma once

#include "filter/program_traits.h"

namespace tf {
const ProgramTraits& TicketfilterBasicTraits();
}  // namespace tf
