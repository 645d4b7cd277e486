// Account (JBA) steps and the N-up reader.
#include "modules/jba/jba.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/job_options.h"
#include "engine/job.h"
#include "platform/decimal.h"
#include "platform/text_conversion.h"

namespace tf {
namespace {

constexpr std::size_t kNUpWorkSize = 1024;

}  // namespace

std::int32_t ReadNumberUpText(const char* key, const JobOptions& options, void* destination,
                              std::int32_t size) {
  char* dest = static_cast<char*>(destination);
  std::memset(dest, 0, static_cast<std::size_t>(size));
  char work[kNUpWorkSize] = {};
  const char* numberUp = options.Get(key);
  const char* rows = options.Get(kJBALayoutRowsKey);
  const char* columns = options.Get(kJBALayoutColumnsKey);

  if (numberUp != nullptr) {
    work[0] = 'N';
    CopyToField(work + 1, kNUpWorkSize - 1, numberUp, TextEncoding::UTF8);
  } else if (rows == nullptr && columns == nullptr) {
    work[0] = '1';
  } else {
    // With one of the two keys the other direction holds one page.  A product that is not a
    // page count (negative, or too long for the attribute) counts as one page per sheet.
    const long long product = std::int64_t{rows != nullptr ? DecimalValue(rows) : 1} *
                              (columns != nullptr ? DecimalValue(columns) : 1);
    constexpr long long kMaxProduct = 99999999;  // "N" and eight digits fill the 10-byte field
    if (product == 1 || product < 0 || product > kMaxProduct) {
      work[0] = '1';
    } else if (product == 0) {
      work[0] = 'N';
    } else {
      std::snprintf(work, sizeof(work), "N%lld", product);
    }
  }
  ConvertUTF8ToEncoding(work, dest, size);
  return 1;
}

void JBAGetTicketFromPDE(Job& job, void* kpjlOptionJBA, const JBATables& tables) {
  // job.utf8Mode is set only by a program that has the UTF-8 mode, for a UTF-8 printer.
  const bool utf8 = job.utf8Mode && !tables.ticketDataCommonForUTF8.empty();
  GetTicketFromArray(job, kpjlOptionJBA,
                     utf8 ? tables.ticketDataCommonForUTF8 : tables.ticketDataCommon);
  GetTicketFromArray(job, kpjlOptionJBA,
                     utf8 ? tables.ticketDataAdminForUTF8 : tables.ticketDataAdmin);
}

void JBAOutputKPJLCommandFromFilter(Job& job, const void* kpjlOptionJBA, const JBATables& tables) {
  // The administrator rows come before the host name.
  OutputKPJLCommandFromArray(job, kpjlOptionJBA, tables.fmtTableAdmin);
  OutputKPJLCommandFromArray(job, kpjlOptionJBA, tables.fmtTableCommon);
}

}  // namespace tf
