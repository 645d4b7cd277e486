// Module dispatch.
#include "engine/dispatch.h"

#include "engine/job.h"
#include "modules/comment/comment.h"
#include "modules/features/features.h"
#include "modules/jba/jba.h"
#include "modules/pbind/pbind.h"
#include "modules/printtype/printtype.h"
#include "modules/specialpage/specialpage.h"
#include "modules/watermark/watermark.h"

namespace tf {

void InializeDescriptionTable(Job& job) {
  // The envelope's own tables are constant; a new job starts from cleared records, with the
  // watermark's once-flags armed.
  job.state.watermarkOnce = WatermarkOnceFlags{1, 1, 1, 1, 1};
  InializeDescriptionTableFromFilter(job);
}

void InializeDescriptionTableFromFilter(Job& job) {
  PrintTypeInializeDescriptionTableFromFilter(job);
  JBAInializeDescriptionTableFromFilter(job);
  FeaturesInializeDescriptionTableFromFilter(job);
  SpecialPageInializeDescriptionTable(job);
}

std::int32_t GetTicketFromPDE(Job& job) {
  PrintTypeGetTicketFromPDE(job);
  JBAGetTicketFromPDE(job);
  FeaturesGetTicketFromPDE(job);
  WatermarkGetTicketFromPDE(job);
  PBindGetTicketFromPDE(job);
  CommentGetTicketFromPDE(job);
  SpecialPageGetTicketFromPDE(job);
  return 1;
}

void OutputKPJLCommandFromFilter(Job& job) {
  PrintTypeOutputKPJLCommandFromFilter(job);
  JBAOutputKPJLCommandFromFilter(job);
  FeaturesOutputKPJLCommandFromFilter(job);
}

void OutputPSCommandFromFilter(Job& job, int point, int page, PrinterStream& stream) {
  WatermarkOutputPSCommandFromFilter(job, point, page, stream);
  FeaturesOutputPSCommandFromFilter(job, point, stream);
}

}  // namespace tf
