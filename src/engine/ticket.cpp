// Ticket reading.
#include "engine/ticket.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/job_options.h"
#include "filter/job.h"
#include "platform/text_conversion.h"

namespace tf {
namespace {

constexpr std::size_t kWorkBufferSize = 1024;

// The decimal value of `text` by atoi rules (leading blanks and a sign, digits up to the first
// other byte, 0 without digits), held to the int32 range.
std::int32_t ParseInt32(const char* text) {
  long long value = std::strtoll(text, nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

std::int32_t ReadConvertedString(const char* key, const JobOptions& options, void* destination,
                                 std::int32_t size, TextEncoding encoding) {
  char* dest = static_cast<char*>(destination);
  std::memset(dest, 0, static_cast<std::size_t>(size));
  const char* value = options.Get(key);
  if (value == nullptr) return 0;
  char work[kWorkBufferSize] = {};
  std::strncpy(work, value, kWorkBufferSize - 1);
  numstrtochar(work, kWorkBufferSize);
  ConvertToEncoding(encoding, work, dest, size);
  return 1;
}

}  // namespace

std::int32_t GetTicketFromArray(Job& job, const TicketDataEntry* table, std::int32_t count) {
  const JobOptions& options = job.options();
  std::string key;
  for (std::int32_t i = 0; i < count; ++i) {
    const TicketDataEntry& row = table[i];
    if (row.keyKind == KeyKind::Prefixed) {
      key = job.TicketKey(row.key);
    } else {
      key = row.key;
    }
    row.reader(key.c_str(), options, row.destination.ResolveField(job.state), row.size);
  }
  return 1;
}

std::int32_t CheckTicketKey(const char* key, const JobOptions& options, void* destination,
                            std::int32_t) {
  *static_cast<std::int32_t*>(destination) = options.Get(key) == nullptr ? 1 : 0;
  return 1;
}

std::int32_t GetTicketInteger(const char* key, const JobOptions& options, void* destination,
                              std::int32_t) {
  const char* value = options.Get(key);
  *static_cast<std::int32_t*>(destination) =
      value == nullptr ? -1 : ParseInt32(value);
  return value != nullptr;
}

std::int32_t GetTicketFloat(const char* key, const JobOptions& options, void* destination,
                            std::int32_t) {
  const char* value = options.Get(key);
  *static_cast<float*>(destination) =
      value == nullptr ? -1.0f : static_cast<float>(std::strtod(value, nullptr));
  return value != nullptr;
}

std::int32_t GetTicketString(const char* key, const JobOptions& options, void* destination,
                             std::int32_t size) {
  char* dest = static_cast<char*>(destination);
  std::memset(dest, 0, static_cast<std::size_t>(size));
  const char* value = options.Get(key);
  if (value == nullptr) return 0;
  ConvertUTF8ToEncoding(value, dest, size);
  return 1;
}

std::int32_t GetTicketStringConvertedToPrtLang(const char* key, const JobOptions& options,
                                               void* destination, std::int32_t size) {
  return ReadConvertedString(key, options, destination, size, TextEncoding::ShiftJIS);
}

std::int32_t GetTicketStringConvertedToPrtLangForUTF8(const char* key, const JobOptions& options,
                                                      void* destination, std::int32_t size) {
  return ReadConvertedString(key, options, destination, size, TextEncoding::UTF8);
}

void numstrtochar(char* buffer, std::int32_t size) {
  if (buffer == nullptr || size <= 0 || buffer[0] != '/') return;
  const std::size_t length = strnlen(buffer, static_cast<std::size_t>(size));
  if (length < 2) return;
  std::size_t read = 1, write = 0;
  while (read < length) {
    std::size_t end = read;
    while (end < length && buffer[end] != '/') ++end;
    buffer[end] = '\0';
    const std::int32_t number = ParseInt32(buffer + read);
    buffer[write] = number > 255 ? '\0' : static_cast<char>(number & 0xFF);
    buffer[write + 1] = '\0';
    ++write;
    read = end + 1;
  }
}

}  // namespace tf
