// The account tables of ticketfilter.
#pragma once

#include "modules/jba/jba.h"

namespace tf {
const JBATables& TicketfilterAccountTables();
}  // namespace tf
