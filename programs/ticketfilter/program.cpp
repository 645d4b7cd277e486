// What makes ticketfilter: UTF-8 printers, the extended comment, its own ticket keys.
#include "program.h"

#include "jba_tables.h"

namespace tf {

const Program& TicketfilterProgram() {
  static const Program program{{
      "ticketfilter",
      "com.brantlowe.ticket.",
      /*hasUtf8Mode=*/true,
      /*hasExtendedComment=*/true,
      /*accountTables=*/&TicketfilterAccountTables(),
  }};
  return program;
}

}  // namespace tf
