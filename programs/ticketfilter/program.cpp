// What makes ticketfilter: UTF-8 printers, the extended comment, its own ticket keys, and its
// modules in output order.
#include "program.h"

#include "jba_tables.h"
#include "modules/booklet/booklet.h"
#include "modules/comment/comment.h"
#include "modules/features/features.h"
#include "modules/jba/jba.h"
#include "modules/names/names.h"
#include "modules/pbind/pbind.h"
#include "modules/printtype/printtype.h"
#include "modules/specialpage/specialpage.h"
#include "modules/watermark/watermark.h"

namespace tf {
namespace {

constexpr const ModuleDescriptor* kModules[] = {
    &SpecialPageModule,                           // the job ticket before the job
    &NamesModule,                                 // user and document names
    &PrintTypeModule,                             // secure, sample, delayed, mailbox print
    &JBAModule<TicketfilterAccountTables>,        // account attributes, client host
    &WatermarkModule,                             // PostScript: the watermark
    &FeaturesModule,                              // finishing; PostScript: separator pages, fit
    &PBindModule,                                 // perfect binding
    &BookletModule,                               // booklet
    &CommentModule,                               // line weight, render mode; comment block
};

}  // namespace

const Program& TicketfilterProgram() {
  static constexpr Program program{
      {
          "ticketfilter",
          "com.brantlowe.ticket.",
          /*hasUtf8Mode=*/true,
          /*hasExtendedComment=*/true,
      },
      kModules,
  };
  return program;
}

}  // namespace tf
