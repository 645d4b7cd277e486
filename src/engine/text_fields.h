// The encoding of the text in the job's string fields.
//
// Text enters the job's fields (the job core's state and the modules' records) in the printer's
// byte encoding (Shift-JIS X 0213) unless what fills a field keeps it as UTF-8: the UTF-8-mode
// ticket reader, the names of a job for a UTF-8 printer, the host name (system text).  A UTF-8
// printer therefore gets both: its user IDs and names in UTF-8, its passwords and most other
// fields in Shift-JIS.  Whatever fills a field records the encoding of what it stored, and
// whatever shortens a value asks for it, so that every value is cut by its own characters.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/text_conversion.h"

namespace tf {

// The fields of one job that hold UTF-8 text, by their address.  Empty at job start.
class TextFieldEncodings {
 public:
  // Room for every field that can hold UTF-8 text: the four names, the host name and the fields
  // of the UTF-8 ticket tables (thirteen in all), with room to spare.
  static constexpr std::size_t kCapacity = 32;

  // Records that `field` holds text in `encoding`.  A field is recorded once however often it is
  // filled, so the record never holds more than the fields that can hold UTF-8.
  void Set(const void* field, TextEncoding encoding) {
    for (std::uint32_t i = 0; i < count_; ++i) {
      if (utf8Fields_[i] != field) continue;
      if (encoding == TextEncoding::ShiftJIS) utf8Fields_[i] = utf8Fields_[--count_];
      return;
    }
    if (encoding == TextEncoding::UTF8 && count_ < kCapacity) utf8Fields_[count_++] = field;
  }

  // The encoding of the text in `field`: Shift-JIS unless recorded as UTF-8.
  TextEncoding Of(const void* field) const {
    for (std::uint32_t i = 0; i < count_; ++i) {
      if (utf8Fields_[i] == field) return TextEncoding::UTF8;
    }
    return TextEncoding::ShiftJIS;
  }

  std::size_t utf8Count() const { return count_; }

 private:
  std::uint32_t count_ = 0;
  const void* utf8Fields_[kCapacity] = {};
};

}  // namespace tf
