// What makes ticketfilter-basic: byte-mode printers only, the basic comment, its own ticket keys
// and account tables.
#include "program_traits.h"

#include "jba_tables.h"

namespace tf {

const ProgramTraits& TicketfilterBasicTraits() {
  static const ProgramTraits traits{
      "ticketfilter-basic",
      "com.brantlowe.basicticket.",
      /*hasUtf8Mode=*/false,
      /*hasExtendedComment=*/false,
      /*accountTables=*/&TicketfilterBasicAccountTables(),
  };
  return traits;
}

}  // namespace tf
