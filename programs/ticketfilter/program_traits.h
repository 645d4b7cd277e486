// What makes ticketfilter: UTF-8 printers, the extended comment, its own ticket keys.
#pragma once

#include "filter/program_traits.h"

namespace tf {
const ProgramTraits& TicketfilterTraits();
}  // namespace tf
