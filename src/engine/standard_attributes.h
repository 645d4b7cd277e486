// Standard job attributes as tickets.
//
// Print dialogs other than the maker's plug-in, `lp`, and phones and laptops printing over IPP ask
// for secure print, accounting, finishing and colour with standard job attributes (job-password,
// job-account-id, finishings, print-color-mode, ...), which CUPS passes to the filter among the
// job options.  One constant table, StandardAttributeTable, says which ticket each of them becomes;
// ApplyStandardAttributes adds those tickets to the job's option list before any module reads its
// tickets, so that the modules see them as if the dialog had set them.
//
// Two rules decide what is added:
//   - a ticket the job gives always wins: a row adds its ticket only when the job carries no
//     ticket of the row's group (print type: any print-type ticket; account: any account ticket;
//     finishing and colour: the option itself);
//   - a job without any of these attributes gets nothing added, so it prints as before.
// A job-password that the printer cannot take (sent encrypted, empty, too long, or with characters
// outside the printer's PIN form) is refused rather than dropped: the job must not print openly.
//
// The function works on a plain CUPS option list, so that anything holding a job's options (the
// filter's argv[5], or a printer application's job) can use the same table.
#pragma once

#include <cups/cups.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ticket.h"

namespace tf {

// When a row applies, besides its group being free.
enum class StdCondition : std::uint8_t {
  Present,         // the attribute is given
  PresentWithout,  // the attribute is given and the attribute named by `operand` is not
  Is,              // the attribute's value is `operand`
  Includes,        // the attribute's comma-separated values include `operand` (an enum number)
};

// What the ticket is set to.
enum class StdValue : std::uint8_t {
  Text,            // `text` as it stands
  Attribute,       // the attribute's own value
  AccountingUser,  // job-accounting-user-id when the job has it, else the job's user
};

// Which tickets, when the job gives any of them itself, keep a row from adding its ticket.
enum class StdGroup : std::uint8_t {
  PrintType,  // the print-type tickets (secure, sample, delayed, mailbox print, job name)
  Account,    // the account tickets (every ticket whose own name begins with "JBA")
  Staple,     // QMStaple
  Punch,      // QMPunch, QMNumPunchHoles
  Booklet,    // QMSignature, QMSigVol
  Binding,    // QMPBindPosition
  Color,      // QMColorMode
};

// How a value taken from the job is checked before it becomes a ticket.
enum class StdCheck : std::uint8_t {
  None,  // a constant of the table
  Text,  // at most `limit` bytes, no control character and no double quote
  Pin,   // as Text, and it fits the printer's PIN form
};

struct StandardAttributeRow {
  const char* attribute;   // the standard option, e.g. "job-password"
  StdCondition condition;
  const char* operand;     // of the condition; nullptr for Present
  StdGroup group;
  const char* ticket;      // the ticket's own name
  KeyKind keyKind;         // Prefixed: the program's ticket-key prefix goes before it
  StdValue value;
  const char* text;        // for StdValue::Text
  StdCheck check;
  std::int32_t limit;      // bytes the ticket field takes (Text, Pin)
  const char* what;        // the value's name in messages ("job password")
};

// The table, in the order the rows are tried; the first row that sets a ticket wins over later
// rows for the same ticket.
std::span<const StandardAttributeRow> StandardAttributeTable();

// The standard options the table reads, and the one the client host reads itself.
inline constexpr char kJobPasswordAttribute[] = "job-password";
inline constexpr char kJobPasswordEncryptionAttribute[] = "job-password-encryption";
inline constexpr char kJobAccountIdAttribute[] = "job-account-id";
inline constexpr char kJobAccountingUserIdAttribute[] = "job-accounting-user-id";
inline constexpr char kFinishingsAttribute[] = "finishings";
inline constexpr char kPrintColorModeAttribute[] = "print-color-mode";
inline constexpr char kJobOriginatingHostAttribute[] = "job-originating-host-name";

// What the table needs to know about the job and the printer.
struct StandardAttributeContext {
  std::string_view ticketKeyPrefix;  // the program's prefix of maker tickets
  std::string_view jobUser;          // the job's user (argv[2])
  // The printer's PIN form (*cupsJobPassword): one character per password position, "1" a digit,
  // "A" a letter, "C" a letter, digit or punctuation, "." any printable character; empty when the
  // printer declares none.
  std::string_view passwordForm;
  // Whether the printer offers `choice` of option `option`; a row whose ticket is a printer option
  // adds only choices the printer has.  Unset: the printer offers none.
  std::function<bool(const char* option, const char* choice)> offersChoice;
  // The option text the list was parsed from, when there is one (the filter's argv[5]); nullptr
  // otherwise.  The scheduler appends the printer choices it maps from "finishings" after the
  // job's own options, where they would replace a choice the job gave itself: with the text, the
  // job's own choice is put back.
  const char* optionsText = nullptr;
};

struct StandardAttributeResult {
  // Empty when the job may print; otherwise why it must not (a sentence for an "ERROR:" line,
  // without any of the job's option text).
  std::string refusal;
  // The tickets added, by option name, in the order they were added.
  std::vector<std::string> added;
};

// Adds to the option list (`*count` options at `*options`, as cupsParseOptions made it) the tickets
// that the job's standard attributes give.  When the result holds a refusal the list may be
// partly changed and the job must not print.
StandardAttributeResult ApplyStandardAttributes(int* count, cups_option_t** options,
                                                const StandardAttributeContext& context);

}  // namespace tf
