// Ticket reading.
#include "engine/ticket.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/job_options.h"
#include "engine/job.h"
#include "platform/decimal.h"
#include "platform/text_conversion.h"

namespace tf {
namespace {

constexpr std::size_t kWorkBufferSize = 1024;

// Length of `text` without a UTF-8 sequence that its last bytes begin but do not complete.
std::size_t WithoutIncompleteUtf8Tail(const char* text, std::size_t length) {
  std::size_t start = length;
  // A sequence is at most four bytes: look back over at most three continuation bytes.
  while (start > 0 && length - start < 4 &&
         (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) {
    --start;
  }
  if (start == 0) return length;
  const unsigned char lead = static_cast<unsigned char>(text[start - 1]);
  std::size_t width = 1;
  if (lead >= 0xF0) {
    width = 4;
  } else if (lead >= 0xE0) {
    width = 3;
  } else if (lead >= 0xC0) {
    width = 2;
  }
  const std::size_t have = length - (start - 1);
  return have < width ? start - 1 : length;
}

// Copies the option text into the work buffer (at most kWorkBufferSize - 1 bytes) and decodes a
// "/"-list.  A text that does not fit is cut before the character, or the "/"-field, that would
// not fit whole, and a list loses a character whose bytes the cut separated: text that is cut
// must never turn into half a character, which the conversion would reject with all the rest.
void FillWorkBuffer(const char* value, char* work) {
  const std::string_view text(value);
  const std::size_t limit = kWorkBufferSize - 1;
  const bool cut = text.size() > limit;
  const bool list = !text.empty() && text[0] == '/';
  std::size_t take = text.size();
  if (cut && list) {
    // A field ends at a "/" or at the end of the text; keep only fields that end within the limit.
    take = text[limit] == '/' ? limit : text.rfind('/', limit);
  } else if (cut) {
    take = CutToWholeChars(text, limit, TextEncoding::UTF8);
  }
  std::memcpy(work, text.data(), take);
  work[take] = '\0';
  NumStrToChar(work, static_cast<std::int32_t>(kWorkBufferSize));
  if (cut && list) {
    const std::size_t decoded = std::strlen(work);
    work[WithoutIncompleteUtf8Tail(work, decoded)] = '\0';
  }
}

std::int32_t ReadConvertedString(const char* key, const JobOptions& options, void* destination,
                                 std::int32_t size, TextEncoding encoding) {
  char* dest = static_cast<char*>(destination);
  std::memset(dest, 0, static_cast<std::size_t>(size));
  const char* value = options.Get(key);
  if (value == nullptr) return 0;
  char work[kWorkBufferSize] = {};
  FillWorkBuffer(value, work);
  std::memset(dest, 0, static_cast<std::size_t>(size));
  ConvertToEncoding(encoding, work, dest, size);
  return 1;
}

}  // namespace

std::int32_t GetTicketFromArray(Job& job, void* record, std::span<const TicketDataEntry> table) {
  const JobOptions& options = job.options();
  std::string key;
  for (const TicketDataEntry& row : table) {
    if (row.keyKind == KeyKind::Prefixed) {
      key = job.TicketKey(row.key);
    } else {
      key = row.key;
    }
    void* destination = row.destination.ResolveField(job.state, record);
    const auto size = static_cast<std::int32_t>(row.destination.size());
    row.reader(key.c_str(), options, destination, size);
    if (row.reader.stores != StoredValue::Number) {
      job.textEncodings.Set(destination, row.reader.stores == StoredValue::UTF8Text
                                             ? TextEncoding::UTF8
                                             : TextEncoding::ShiftJIS);
    }
  }
  return 1;
}

std::int32_t ReadTicketPresence(const char* key, const JobOptions& options, void* destination,
                                std::int32_t) {
  *static_cast<std::int32_t*>(destination) = options.Get(key) == nullptr ? 1 : 0;
  return 1;
}

std::int32_t ReadTicketInteger(const char* key, const JobOptions& options, void* destination,
                               std::int32_t) {
  const char* value = options.Get(key);
  *static_cast<std::int32_t*>(destination) =
      value == nullptr ? -1 : DecimalValue(value);
  return value != nullptr;
}

std::int32_t ReadTicketFloat(const char* key, const JobOptions& options, void* destination,
                             std::int32_t) {
  const char* value = options.Get(key);
  *static_cast<float*>(destination) =
      value == nullptr ? -1.0f : static_cast<float>(std::strtod(value, nullptr));
  return value != nullptr;
}

std::int32_t ReadTicketText(const char* key, const JobOptions& options, void* destination,
                            std::int32_t size) {
  char* dest = static_cast<char*>(destination);
  std::memset(dest, 0, static_cast<std::size_t>(size));
  const char* value = options.Get(key);
  if (value == nullptr) return 0;
  ConvertUTF8ToEncoding(value, dest, size);
  return 1;
}

std::int32_t ReadTicketTextConverted(const char* key, const JobOptions& options,
                                     void* destination, std::int32_t size) {
  return ReadConvertedString(key, options, destination, size, TextEncoding::ShiftJIS);
}

std::int32_t ReadTicketTextConvertedForUTF8(const char* key, const JobOptions& options,
                                            void* destination, std::int32_t size) {
  return ReadConvertedString(key, options, destination, size, TextEncoding::UTF8);
}

void NumStrToChar(char* buffer, std::int32_t size) {
  if (buffer == nullptr || size <= 0 || buffer[0] != '/') return;
  const std::size_t length = strnlen(buffer, static_cast<std::size_t>(size));
  if (length < 2) return;
  std::size_t read = 1, write = 0;
  while (read < length) {
    std::size_t end = read;
    while (end < length && buffer[end] != '/') ++end;
    buffer[end] = '\0';
    const std::int32_t number = DecimalValue(buffer + read);
    buffer[write] = number > 255 ? '\0' : static_cast<char>(number & 0xFF);
    buffer[write + 1] = '\0';
    ++write;
    read = end + 1;
  }
}

}  // namespace tf
