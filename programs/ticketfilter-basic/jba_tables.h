// The account tables of ticketfilter-basic.
#pragma once

#include "modules/jba/jba.h"

namespace tf {
const JBATables& TicketfilterBasicAccountTables();
}  // namespace tf
