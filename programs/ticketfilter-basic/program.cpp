// What makes ticketfilter-basic: byte-mode printers only, the basic comment, its own ticket keys
// and account tables.
#include "program.h"

#include "jba_tables.h"

namespace tf {

const Program& TicketfilterBasicProgram() {
  static const Program program{{
      "ticketfilter-basic",
      "com.brantlowe.basicticket.",
      /*hasUtf8Mode=*/false,
      /*hasExtendedComment=*/false,
      /*accountTables=*/&TicketfilterBasicAccountTables(),
  }};
  return program;
}

}  // namespace tf
