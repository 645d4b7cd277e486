// User and document names: prepared from the job's arguments, cut to the printer's limits and
// validated against the bytes the printer accepts.
//
// When the job starts, the module converts the job's user into StdUserName (and its start into
// StdJBAUserName) and its title into StdDocumentName (and, in UTF-8 mode, PTStdDocumentName), the
// names of the job core; it then shortens, checks and, where needed, replaces them.  Every cut
// ends before the whole character that does not fit, so a stored name never ends in half a
// character.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/module.h"

namespace tf {

class Job;

// One inclusive range of permitted values: single bytes (compared unsigned) or two-byte values
// (first byte * 256 + second byte).
struct ValidateRange {
  std::int32_t low;
  std::int32_t high;
};

// A list of up to ten ranges; entries beyond `count` are zero.
struct ValidateRangeList {
  static constexpr std::size_t kMaxRanges = 10;
  std::int32_t count;
  ValidateRange ranges[kMaxRanges];
};

// Validation scale: the bytes and two-byte sequences a name may consist of.
struct ValidateDataScale {
  ValidateRangeList byteRanges;
  ValidateRangeList wordRanges;
};

// Builds a scale from its byte ranges and word ranges (counts taken from the lists).
template <std::size_t B, std::size_t W>
constexpr ValidateDataScale MakeValidateDataScale(const ValidateRange (&bytes)[B],
                                                  const ValidateRange (&words)[W]) {
  static_assert(B <= ValidateRangeList::kMaxRanges && W <= ValidateRangeList::kMaxRanges);
  ValidateDataScale scale{};
  scale.byteRanges.count = static_cast<std::int32_t>(B);
  for (std::size_t i = 0; i < B; ++i) scale.byteRanges.ranges[i] = bytes[i];
  scale.wordRanges.count = static_cast<std::int32_t>(W);
  for (std::size_t i = 0; i < W; ++i) scale.wordRanges.ranges[i] = words[i];
  return scale;
}

// The scales (byte mode: Shift-JIS X 0213 text; UTF-8 mode: UTF-8 text).
extern const ValidateDataScale userNameValidateDataScale;
extern const ValidateDataScale docuNameValidateDataScale;
extern const ValidateDataScale docuNameValidateDataScaleForProduct03;
extern const ValidateDataScale docuNameValidateDataScaleForProduct02;
extern const ValidateDataScale userNameValidateDataScaleForUTF8;
extern const ValidateDataScale docuNameValidateDataScaleForProduct03UTF8;

// Replaces an empty, invalid or all-space user name.
inline constexpr char defaultUserName[] = "UnknownUser";

// Integer ticket (prefixed) that selects the document-name limit of the printer.
inline constexpr char kPrintTypeProductType[] = "PrintTypeProductTypeTicketKey";
// Document-name limits by product type: bytes in byte mode, UTF-16 units in UTF-8 mode.
inline constexpr std::int32_t kProductType03 = 3;
inline constexpr std::int32_t kProductType02 = 2;
inline constexpr std::size_t kDocumentNameLimitProduct03 = 64;
inline constexpr std::size_t kDocumentNameLimitProduct02 = 12;
inline constexpr std::size_t kDocumentNameLimitOther = 24;

// 1 when the byte at `p` lies in one of the byte ranges of `scale`, else 0.
std::int32_t IsByteValid(const unsigned char* p, const ValidateDataScale& scale);
// 1 when the two bytes at `p` (p[1] may be the terminating NUL) form a value inside one of
// `wordRanges`, else 0.
std::int32_t IsWordValid(const unsigned char* p, const ValidateRangeList& wordRanges);
// 1 when every byte of the NUL-terminated `text` is covered by `scale` (two-byte values are tried
// before single bytes; a pair whose second byte is the terminator ends the walk as valid), else 0.
// An empty text is valid.
std::int32_t ValidateData(const char* text, const ValidateDataScale& scale);

// Space tests against the space scale (ASCII space 0x20, Shift-JIS ideographic space 0x81 0x40).
std::int32_t IsByteSpace(const unsigned char* p, const ValidateDataScale& spaceScale);
std::int32_t IsWordSpace(const unsigned char* p, const ValidateDataScale& spaceScale);
// 1 when `text` holds only spaces, or nothing; else 0.
std::int32_t IsAllSpace(const char* text);
// UTF-8-mode space test: ASCII spaces and the ideographic space U+3000 (0xE3 0x80 0x80).
std::int32_t IsAllSpaceUTF8(const char* text);

// The names module: no record; it prepares the names of the job core.
extern const ModuleDescriptor NamesModule;

// The names of a job that starts: PrepareUserName, InvalidateStdUserName, PrepareDocumentNames.
void PrepareNames(Job& job, void* record);
// StdUserName and StdJBAUserName from the job's user, in the job's text mode.
void PrepareUserName(Job& job);
// StdDocumentName and PTStdDocumentName from the job's title, checked for the product type.
void PrepareDocumentNames(Job& job);

// Shortens, checks and, when unusable, replaces StdUserName and StdJBAUserName.
void InvalidateStdUserName(Job& job);
// Applies the product-type limit to StdDocumentName; in byte mode also derives and checks
// PTStdDocumentName.  Without a product-type ticket nothing changes.
void InvalidateStdDocumentNameForProductType(Job& job);
// UTF-8 mode: applies the product-type limit to PTStdDocumentName and checks it; an invalid job
// name is cleared.
void InvalidatePrintTypeDocumentNameForProductType(Job& job);

}  // namespace tf
