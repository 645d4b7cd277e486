// Booklet: the document orientation (DIND), the booklet binding edge (DIBB) and the subset
// division (DIBK) of the job header, from the job-information comment record.  Only printers whose
// PPD declares the UTF-8 printer language take these attributes.
#include "modules/booklet/booklet.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "engine/job.h"
#include "engine/output_channel.h"
#include "engine/ppd_keys.h"
#include "modules/comment/comment.h"
#include "platform/decimal.h"

namespace tf {


constexpr char kBookletPortrait[] = "@PJL SET JOBATTR=\"@DIND=PORTRAIT\"\n";
constexpr char kBookletLandscape[] = "@PJL SET JOBATTR=\"@DIND=LANDSCAPE\"\n";
constexpr char kBookletBindingOff[] = "@PJL SET JOBATTR=\"@DIBB=OFF\"\n";
constexpr char kBookletBindingLeft[] = "@PJL SET JOBATTR=\"@DIBB=LEFT\"\n";
constexpr char kBookletBindingRight[] = "@PJL SET JOBATTR=\"@DIBB=RIGHT\"\n";
constexpr char kBookletDivideOff[] = "@PJL SET JOBATTR=\"@DIBK=OFF\"\n";
constexpr char kBookletNoneDivide[] = "@PJL SET JOBATTR=\"@DIBK=NONEDIVIDE\"\n";
constexpr char kBookletManualDivide[] = "@PJL SET JOBATTR=\"@DIBK=MANUALDIVIDE\"\n";

namespace {

// The document is landscape when the page images are turned against the sheet: 2-up and 6-up turn
// them once, so an upright request comes out landscape; any other N-up keeps the requested turn.
bool IsLandscape(const CommentOptions& comment) {
  if (comment.numberUp[0] == '\0') return false;
  const std::int32_t n = DecimalValue(comment.numberUp);
  const std::int32_t o = comment.orientation;
  if (n == 2 || n == 6) return o == 1 || o == 6;
  return o == 4 || o == 5;
}

}  // namespace

const ModuleDescriptor BookletModule{
    .name = "booklet",
    .writeHeader = OutputKPJLCommandforBooklet,
};

void OutputKPJLCommandforBooklet(Job& job, void*) {
  if (!PpdSaysUtf8(job.ppd())) return;

  const CommentOptions& comment = CommentRecordForBooklet(job);
  job.out.Write(IsLandscape(comment) ? kBookletLandscape : kBookletPortrait);

  const std::string_view signature = comment.signature;
  if (signature.empty()) return;
  if (signature == "None") {
    job.out.Write(kBookletBindingOff);
    job.out.Write(kBookletDivideOff);
    return;
  }
  if (signature.find("Left") != std::string_view::npos) {
    job.out.Write(kBookletBindingLeft);
  } else if (signature.find("Right") != std::string_view::npos) {
    job.out.Write(kBookletBindingRight);
  }
  const std::string_view subset = comment.sigVol;
  job.out.Write(subset.empty() || subset == "None" ? kBookletNoneDivide : kBookletManualDivide);
}

}  // namespace tf
