// User and document names: cuts to the printer's limits, validation scales and the default user.
#include "modules/names/names.h"

#include <cstring>
#include <string_view>

#include "engine/job.h"
#include "engine/job_options.h"
#include "engine/ticket.h"
#include "platform/text_conversion.h"

namespace tf {

// ---------------------------------------------------------------------------------------------
// Validation scales

namespace {

// Printable ASCII and half-width katakana.
constexpr ValidateRange kShiftJisByteRanges[] = {{0x20, 0x7E}, {0xA1, 0xDF}};
// The two-byte characters of Shift-JIS: lead bytes 0x81-0x9F and 0xE0-0xFC with trail bytes
// 0x40-0x7E and 0x80-0xFC (as numeric ranges of the two-byte value).
constexpr ValidateRange kShiftJisWordRanges[] = {
    {0x8140, 0x9F7E}, {0x8180, 0x9FFC}, {0xE040, 0xFC7E}, {0xE080, 0xFCFC}};
// The narrow set of the product-02 printers: ASCII, half-width katakana and the wave dash.
constexpr ValidateRange kProduct02WordRanges[] = {
    {0x0020, 0x007E}, {0x8160, 0x8160}, {0xFF61, 0xFF9F}};
// UTF-8 text: every byte from the space up, every pair that starts with a non-zero byte.
constexpr ValidateRange kUtf8ByteRanges[] = {{0x20, 0xFF}};
constexpr ValidateRange kUtf8WordRanges[] = {{0x0020, 0xFFFF}};

// The space scale: the ASCII space and the Shift-JIS ideographic space.
constexpr ValidateRange kSpaceByteRanges[] = {{0x20, 0x20}};
constexpr ValidateRange kSpaceWordRanges[] = {{0x8140, 0x8140}};
constexpr ValidateDataScale kSpaceScale =
    MakeValidateDataScale(kSpaceByteRanges, kSpaceWordRanges);

}  // namespace

constexpr ValidateDataScale userNameValidateDataScale =
    MakeValidateDataScale(kShiftJisByteRanges, kShiftJisWordRanges);
constexpr ValidateDataScale docuNameValidateDataScale =
    MakeValidateDataScale(kShiftJisByteRanges, kShiftJisWordRanges);
constexpr ValidateDataScale docuNameValidateDataScaleForProduct03 =
    MakeValidateDataScale(kShiftJisByteRanges, kShiftJisWordRanges);
constexpr ValidateDataScale docuNameValidateDataScaleForProduct02 =
    MakeValidateDataScale(kShiftJisByteRanges, kProduct02WordRanges);
constexpr ValidateDataScale userNameValidateDataScaleForUTF8 =
    MakeValidateDataScale(kUtf8ByteRanges, kUtf8WordRanges);
constexpr ValidateDataScale docuNameValidateDataScaleForProduct03UTF8 =
    MakeValidateDataScale(kUtf8ByteRanges, kUtf8WordRanges);

static_assert(userNameValidateDataScale.byteRanges.count == 2 &&
              userNameValidateDataScale.wordRanges.count == 4);
static_assert(docuNameValidateDataScale.byteRanges.count == 2 &&
              docuNameValidateDataScale.wordRanges.count == 4);
static_assert(docuNameValidateDataScaleForProduct03.byteRanges.count == 2 &&
              docuNameValidateDataScaleForProduct03.wordRanges.count == 4);
static_assert(docuNameValidateDataScaleForProduct02.byteRanges.count == 2 &&
              docuNameValidateDataScaleForProduct02.wordRanges.count == 3);
static_assert(userNameValidateDataScaleForUTF8.byteRanges.count == 1 &&
              userNameValidateDataScaleForUTF8.wordRanges.count == 1);
static_assert(docuNameValidateDataScaleForProduct03UTF8.byteRanges.count == 1 &&
              docuNameValidateDataScaleForProduct03UTF8.wordRanges.count == 1);
static_assert(kSpaceScale.byteRanges.count == 1 && kSpaceScale.wordRanges.count == 1);
static_assert(userNameValidateDataScale.byteRanges.ranges[2].low == 0 &&
                  userNameValidateDataScale.wordRanges.ranges[9].high == 0,
              "the ranges beyond each count are zero");

// ---------------------------------------------------------------------------------------------
// Validation walk

namespace {

bool InRanges(std::int32_t value, const ValidateRangeList& list) {
  for (std::int32_t i = 0; i < list.count; ++i) {
    if (value >= list.ranges[i].low && value <= list.ranges[i].high) return true;
  }
  return false;
}

std::int32_t WordValue(const unsigned char* p) { return p[0] * 256 + p[1]; }

}  // namespace

std::int32_t IsByteValid(const unsigned char* p, const ValidateDataScale& scale) {
  return InRanges(p[0], scale.byteRanges) ? 1 : 0;
}

std::int32_t IsWordValid(const unsigned char* p, const ValidateRangeList& wordRanges) {
  return InRanges(WordValue(p), wordRanges) ? 1 : 0;
}

std::int32_t ValidateData(const char* text, const ValidateDataScale& scale) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != '\0') {
    if (IsWordValid(p, scale.wordRanges) == 1) {
      if (p[1] == '\0') return 1;  // the pair took the terminator: the walk ends here
      p += 2;
    } else if (IsByteValid(p, scale) == 1) {
      p += 1;
    } else {
      return 0;
    }
  }
  return 1;
}

std::int32_t IsByteSpace(const unsigned char* p, const ValidateDataScale& spaceScale) {
  return IsByteValid(p, spaceScale);
}

std::int32_t IsWordSpace(const unsigned char* p, const ValidateDataScale& spaceScale) {
  return IsWordValid(p, spaceScale.wordRanges);
}

std::int32_t IsAllSpace(const char* text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != '\0') {
    if (IsByteSpace(p, kSpaceScale) == 1) {
      p += 1;
    } else if (IsWordSpace(p, kSpaceScale) == 1) {
      p += 2;  // 0x81 0x40: the second byte is never the terminator
    } else {
      return 0;
    }
  }
  return 1;
}

std::int32_t IsAllSpaceUTF8(const char* text) {
  constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
  std::string_view rest(text);
  while (!rest.empty()) {
    if (rest.front() == ' ') {
      rest.remove_prefix(1);
    } else if (rest.starts_with(kIdeographicSpace)) {
      rest.remove_prefix(kIdeographicSpace.size());
    } else {
      return 0;
    }
  }
  return 1;
}

// ---------------------------------------------------------------------------------------------
// User name

namespace {

constexpr std::size_t kUtf8UserNameUnits = 255;     // UTF-8 mode: at most 255 UTF-16 units
constexpr std::size_t kByteModeUserNameBytes = 255;  // byte mode: shorter than 256 bytes
constexpr std::size_t kJBAUserNameUnits = 32;       // UTF-8 mode: the account user ID
constexpr std::size_t kJBAUserNameBytesUTF8 = 96;
constexpr std::size_t kJBAUserNameBytes = 32;        // byte mode: the account user ID
// The conversions of byte mode, and of the document names in both modes, fill 255 bytes of the
// buffer, terminator included.
constexpr int kConvertedNameSize = 255;

template <std::size_t N>
std::string_view TextOf(const char (&buffer)[N]) {
  return std::string_view(buffer, strnlen(buffer, N));
}

void UseDefaultUserName(JobCoreState& s) {
  CopyToField(s.StdUserName, defaultUserName, TextEncoding::ShiftJIS);
  CopyToField(s.StdJBAUserName, defaultUserName, TextEncoding::ShiftJIS);
}

void InvalidateStdUserNameUTF8(JobCoreState& s) {
  const std::string_view name = TextOf(s.StdUserName);
  // A name that is not valid UTF-8 counts as empty (-1).
  const long units = CountUtf16Units(name);
  if (units >= static_cast<long>(kUtf8UserNameUnits) + 1) {
    CutField(s.StdUserName, Utf8PrefixForUnits(name, kUtf8UserNameUnits), TextEncoding::UTF8);
  }
  if (units <= 0 || ValidateData(s.StdUserName, userNameValidateDataScaleForUTF8) != 1 ||
      IsAllSpaceUTF8(s.StdUserName) == 1) {
    UseDefaultUserName(s);
    return;
  }
  if (units > static_cast<long>(kJBAUserNameUnits)) {
    const std::string_view kept = TextOf(s.StdUserName);
    CopyToField(s.StdJBAUserName, kept.substr(0, Utf8PrefixForUnits(kept, kJBAUserNameUnits)),
                TextEncoding::UTF8, kJBAUserNameBytesUTF8);
  }
}

void InvalidateStdUserNameByteMode(JobCoreState& s) {
  CutField(s.StdUserName, kByteModeUserNameBytes, TextEncoding::ShiftJIS);
  if (s.StdUserName[0] == '\0' || ValidateData(s.StdUserName, userNameValidateDataScale) != 1 ||
      IsAllSpace(s.StdUserName) == 1) {
    UseDefaultUserName(s);
  }
}

}  // namespace

void InvalidateStdUserName(Job& job) {
  if (job.utf8Mode) {
    InvalidateStdUserNameUTF8(job.state);
  } else {
    InvalidateStdUserNameByteMode(job.state);
  }
}

// ---------------------------------------------------------------------------------------------
// Document names

namespace {

// The job's product type; false when the ticket is absent.
bool ReadProductType(Job& job, std::int32_t& productType) {
  const std::string key = job.TicketKey(kPrintTypeProductType);
  return GetTicketInteger(key.c_str(), job.options(), &productType, sizeof(productType)) == 1;
}

std::size_t DocumentNameLimit(std::int32_t productType) {
  if (productType == kProductType03) return kDocumentNameLimitProduct03;
  if (productType == kProductType02) return kDocumentNameLimitProduct02;
  return kDocumentNameLimitOther;
}

// Cuts UTF-8 text in `buffer` to its first `units` UTF-16 units (whole characters).
template <std::size_t N>
void CutToUnits(char (&buffer)[N], std::size_t units) {
  const std::string_view name = TextOf(buffer);
  const long count = CountUtf16Units(name);
  if (count > static_cast<long>(units)) {
    CutField(buffer, Utf8PrefixForUnits(name, units), TextEncoding::UTF8);
  }
}

}  // namespace

void InvalidateStdDocumentNameForProductType(Job& job) {
  JobCoreState& s = job.state;
  std::int32_t productType = -1;
  if (!ReadProductType(job, productType)) return;
  const std::size_t limit = DocumentNameLimit(productType);

  if (job.utf8Mode) {
    CutToUnits(s.StdDocumentName, limit);
    return;
  }

  // Byte mode: cut before the two-byte character that would straddle the limit, then derive the
  // job name from the cut document name.
  CutField(s.StdDocumentName, limit, TextEncoding::ShiftJIS);
  CopyToField(s.PTStdDocumentName, TextOf(s.StdDocumentName), TextEncoding::ShiftJIS);

  const ValidateDataScale& scale = productType == kProductType03
                                       ? docuNameValidateDataScaleForProduct03
                                   : productType == kProductType02
                                       ? docuNameValidateDataScaleForProduct02
                                       : docuNameValidateDataScale;
  if (ValidateData(s.PTStdDocumentName, scale) != 1) {
    std::memset(s.PTStdDocumentName, 0, sizeof(s.PTStdDocumentName));
  }
}

void InvalidatePrintTypeDocumentNameForProductType(Job& job) {
  JobCoreState& s = job.state;
  std::int32_t productType = -1;
  const ValidateDataScale* scale = &docuNameValidateDataScale;
  if (ReadProductType(job, productType)) {
    CutToUnits(s.PTStdDocumentName, DocumentNameLimit(productType));
    if (productType == kProductType03) scale = &docuNameValidateDataScaleForProduct03UTF8;
  }
  if (ValidateData(s.PTStdDocumentName, *scale) != 1) {
    std::memset(s.PTStdDocumentName, 0, sizeof(s.PTStdDocumentName));
  }
}

// ---------------------------------------------------------------------------------------------
// Preparing the names

// User name from the job's user: 765 bytes in UTF-8 mode, 254 in byte mode; the account user copy
// is its start (96 or 32 bytes, whole characters).  The names are text of the job's mode.
void PrepareUserName(Job& job) {
  JobCoreState& s = job.state;
  const char* user = job.args.user.c_str();
  if (job.utf8Mode) {
    ConvertUTF8ToEncodingForUTF8(user, s.StdUserName, sizeof(s.StdUserName));
  } else {
    ConvertUTF8ToEncoding(user, s.StdUserName, kConvertedNameSize);
  }
  job.SetEncoding(s.StdUserName, job.encoding());
  job.SetEncoding(s.StdJBAUserName, job.encoding());
  CopyToField(s.StdJBAUserName, s.StdUserName, job.EncodingOf(s.StdUserName),
              job.utf8Mode ? kJBAUserNameBytesUTF8 : kJBAUserNameBytes);
}

// Document names from the job's title; a title with a line break leaves both empty.
void PrepareDocumentNames(Job& job) {
  JobCoreState& s = job.state;
  const char* title = job.args.title.c_str();
  std::memset(s.StdDocumentName, 0, sizeof(s.StdDocumentName));
  std::memset(s.PTStdDocumentName, 0, sizeof(s.PTStdDocumentName));
  job.SetEncoding(s.StdDocumentName, job.encoding());
  job.SetEncoding(s.PTStdDocumentName, job.encoding());
  if (std::strchr(title, '\r') != nullptr || std::strchr(title, '\n') != nullptr) return;
  if (job.utf8Mode) {
    ConvertUTF8ToEncodingForUTF8(title, s.StdDocumentName, kConvertedNameSize);
    ConvertUTF8ToEncodingForUTF8(title, s.PTStdDocumentName, kConvertedNameSize);
    InvalidateStdDocumentNameForProductType(job);
    InvalidatePrintTypeDocumentNameForProductType(job);
  } else {
    ConvertUTF8ToEncoding(title, s.StdDocumentName, kConvertedNameSize);
    InvalidateStdDocumentNameForProductType(job);
  }
}

void PrepareNames(Job& job, void*) {
  PrepareUserName(job);
  InvalidateStdUserName(job);
  PrepareDocumentNames(job);
}

namespace {
constexpr OptionKey kOtherOptions[] = {{kPrintTypeProductType, KeyKind::Prefixed, false}};
}  // namespace

const ModuleDescriptor NamesModule{
    .name = "names",
    .otherOptions = kOtherOptions,
    .prepare = PrepareNames,
};

}  // namespace tf
