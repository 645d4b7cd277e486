// Ticket reading: the only place where option text enters the job's state.
//
// Each module declares, in a ticket-data table, which job options it reads, where each value goes,
// how large that place is and which reader turns the text into the stored value.  A maker ticket's
// option name is the program's ticket-key prefix followed by its own name; standard options and
// PPD keywords are used as they stand.
#pragma once

#include <cstdint>
#include <span>

#include "engine/operand.h"

namespace tf {

class Job;
class JobOptions;

// What a ticket reader leaves in its destination.
enum class StoredValue : std::uint8_t {
  Number,        // a 32-bit integer or a float
  ShiftJISText,  // text of the byte-mode conversion (Shift-JIS X 0213)
  UTF8Text,      // text of the UTF-8-mode conversion
};

// A ticket reader: reads `key` from `options` into `destination` (`size` bytes) and returns 1 when
// the key was present, else 0 (CheckTicketKey always returns 1).  It says what it stores, so that
// the job knows the encoding of every text field it fills.
struct TicketReader {
  using Function = std::int32_t (*)(const char* key, const JobOptions& options,
                                    void* destination, std::int32_t size);
  Function read;
  StoredValue stores;

  std::int32_t operator()(const char* key, const JobOptions& options, void* destination,
                          std::int32_t size) const {
    return read(key, options, destination, size);
  }
};

enum class KeyKind : std::uint8_t {
  Prefixed,  // the program's ticket-key prefix followed by `key`
  Plain,     // `key` as it stands (standard options and PPD keywords)
};

// One ticket: where its value goes (a field of the module's record or of the job core's state;
// the reader fills at most the field's size) and the reader that turns the option text into it.
struct TicketDataEntry {
  const char* key;
  KeyKind keyKind;
  Operand destination;
  TicketReader reader;
};

// Runs every row of `table` in order, with the record operands in `record`, and records for each
// text field it fills whether its text is UTF-8 or Shift-JIS (Job::textEncodings).  Always
// returns 1.
std::int32_t GetTicketFromArray(Job& job, void* record, std::span<const TicketDataEntry> table);

// The readers' functions; the tables name the readers below.
std::int32_t ReadTicketPresence(const char* key, const JobOptions& options, void* destination,
                                std::int32_t size);
std::int32_t ReadTicketInteger(const char* key, const JobOptions& options, void* destination,
                               std::int32_t size);
std::int32_t ReadTicketFloat(const char* key, const JobOptions& options, void* destination,
                             std::int32_t size);
std::int32_t ReadTicketText(const char* key, const JobOptions& options, void* destination,
                            std::int32_t size);
std::int32_t ReadTicketTextConverted(const char* key, const JobOptions& options,
                                     void* destination, std::int32_t size);
std::int32_t ReadTicketTextConvertedForUTF8(const char* key, const JobOptions& options,
                                            void* destination, std::int32_t size);

// Stores 0 when the key is present, 1 when it is absent.
inline constexpr TicketReader CheckTicketKey{ReadTicketPresence, StoredValue::Number};
// Stores the decimal value of the text (atoi rules), -1 when absent.
inline constexpr TicketReader GetTicketInteger{ReadTicketInteger, StoredValue::Number};
// Stores the text's value as a float, -1.0 when absent.
inline constexpr TicketReader GetTicketFloat{ReadTicketFloat, StoredValue::Number};
// Converts the text (byte-mode conversion) into the destination; empty when absent.
inline constexpr TicketReader GetTicketString{ReadTicketText, StoredValue::ShiftJISText};
// Decodes a "/"-list of byte values, then converts (byte-mode conversion); empty when absent.
inline constexpr TicketReader GetTicketStringConvertedToPrtLang{ReadTicketTextConverted,
                                                               StoredValue::ShiftJISText};
// As above, with the UTF-8-mode conversion: the text stays UTF-8.
inline constexpr TicketReader GetTicketStringConvertedToPrtLangForUTF8{
    ReadTicketTextConvertedForUTF8, StoredValue::UTF8Text};

// Decodes, in place, a value written as a list of decimal byte values ("/72/105" is "Hi"); any
// other value is left unchanged.
void NumStrToChar(char* buffer, std::int32_t size);

}  // namespace tf
