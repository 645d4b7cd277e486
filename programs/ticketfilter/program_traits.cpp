// What makes ticketfilter: UTF-8 printers, the extended comment, its own ticket keys.
#include "program_traits.h"

#include "jba_tables.h"

namespace tf {

const ProgramTraits& TicketfilterTraits() {
  static const ProgramTraits traits{
      "ticketfilter",
      "com.brantlowe.ticket.",
      /*hasUtf8Mode=*/true,
      /*hasExtendedComment=*/true,
      /*accountTables=*/&TicketfilterAccountTables(),
  };
  return traits;
}

}  // namespace tf
