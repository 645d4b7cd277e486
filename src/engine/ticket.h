// Ticket reading: the only place where option text enters the job's state.
//
// Each module declares, in a ticket-data table, which job options it reads, where each value goes,
// how large that place is and which reader turns the text into the stored value.  A maker ticket's
// option name is the program's ticket-key prefix followed by its own name; standard options and
// PPD keywords are used as they stand.
#pragma once

#include <cstdint>

#include "engine/operand.h"

namespace tf {

class Job;
class JobOptions;

// Reads `key` from `options` into `destination` (`size` bytes).  Returns 1 when the key was
// present, else 0 (CheckTicketKey always returns 1).
using TicketReader = std::int32_t (*)(const char* key, const JobOptions& options,
                                      void* destination, std::int32_t size);

enum class KeyKind : std::uint8_t {
  Prefixed,  // the program's ticket-key prefix followed by `key`
  Plain,     // `key` as it stands (standard options and PPD keywords)
};

struct TicketDataEntry {
  const char* key;
  KeyKind keyKind;
  Operand destination;  // a JobState field
  std::int32_t size;    // 4 for numbers, the buffer size for strings
  TicketReader reader;
};

// Runs every row of `table` in order.  Always returns 1.
std::int32_t GetTicketFromArray(Job& job, const TicketDataEntry* table, std::int32_t count);

template <std::size_t N>
std::int32_t GetTicketFromArray(Job& job, const TicketDataEntry (&table)[N]) {
  return GetTicketFromArray(job, table, static_cast<std::int32_t>(N));
}

// Stores 0 when the key is present, 1 when it is absent.
std::int32_t CheckTicketKey(const char* key, const JobOptions& options, void* destination,
                            std::int32_t size);
// Stores the decimal value of the text (atoi rules), -1 when absent.
std::int32_t GetTicketInteger(const char* key, const JobOptions& options, void* destination,
                              std::int32_t size);
// Stores the text's value as a float, -1.0 when absent.
std::int32_t GetTicketFloat(const char* key, const JobOptions& options, void* destination,
                            std::int32_t size);
// Converts the text (byte-mode conversion) into the destination; empty when absent.
std::int32_t GetTicketString(const char* key, const JobOptions& options, void* destination,
                             std::int32_t size);
// Decodes a "/"-list of byte values, then converts (byte-mode conversion); empty when absent.
std::int32_t GetTicketStringConvertedToPrtLang(const char* key, const JobOptions& options,
                                               void* destination, std::int32_t size);
// As above, with the UTF-8-mode conversion.
std::int32_t GetTicketStringConvertedToPrtLangForUTF8(const char* key, const JobOptions& options,
                                                      void* destination, std::int32_t size);

// Decodes, in place, a value written as a list of decimal byte values ("/72/105" is "Hi"); any
// other value is left unchanged.
void numstrtochar(char* buffer, std::int32_t size);

}  // namespace tf
