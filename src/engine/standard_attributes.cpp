// Standard job attributes as tickets: the table and its application to an option list.
#include "engine/standard_attributes.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <map>
#include <optional>

#include "platform/text_conversion.h"

namespace tf {
namespace {

using C = StdCondition;
using G = StdGroup;
using V = StdValue;
using K = StdCheck;
constexpr KeyKind P = KeyKind::Prefixed;
constexpr KeyKind N = KeyKind::Plain;

// Bytes of the ticket fields the job's own values go into (the field sizes less the terminator).
constexpr std::int32_t kHeldUserNameBytes = 72;  // print type: user name of a held job
constexpr std::int32_t kPasswordBytes = 16;      // print type: secure-print password
constexpr std::int32_t kAccountUserBytes = 96;   // account: user ID
constexpr std::int32_t kAccountIdBytes = 32;     // account: account ID

// A row whose ticket is a printer option set to one of its choices.
constexpr StandardAttributeRow Choice(const char* attribute, StdCondition condition,
                                      const char* operand, StdGroup group, const char* option,
                                      const char* choice) {
  return {attribute, condition, operand, group, option, N, V::Text, choice, K::None, 0, nullptr};
}
constexpr StandardAttributeRow Finishing(const char* number, StdGroup group, const char* option,
                                         const char* choice) {
  return Choice(kFinishingsAttribute, C::Includes, number, group, option, choice);
}
constexpr StandardAttributeRow ColorMode(const char* mode, const char* choice) {
  return Choice(kPrintColorModeAttribute, C::Is, mode, G::Color, "QMColorMode", choice);
}
// A row that sets a maker ticket to a constant.
constexpr StandardAttributeRow Fixed(const char* attribute, StdCondition condition,
                                     const char* operand, StdGroup group, const char* ticket,
                                     const char* text) {
  return {attribute, condition, operand, group, ticket, P, V::Text, text, K::None, 0, nullptr};
}

constexpr const char* kPassword = kJobPasswordAttribute;
constexpr const char* kAccountId = kJobAccountIdAttribute;
constexpr const char* kAccountingUser = kJobAccountingUserIdAttribute;

// The table.  Finishing numbers are the IPP "finishings" enums: 4 staple, 5 punch, 7 bind,
// 8 saddle-stitch, 13 booklet-maker, 20 staple-top-left, 22 staple-top-right, 28 staple-dual-left,
// 29 staple-dual-top, 50 bind-left, 51 bind-top, 52 bind-right, 74-76 punch-dual-left/top/right,
// 78-80 punch-triple-..., 82-84 punch-quad-..., 93 fold-half.  A specific row comes before the
// general one for the same ticket, because the first row that sets a ticket wins.
constexpr StandardAttributeRow kTable[] = {
    // Secure print: held at the printer under the user's name until the password is entered.
    Fixed(kPassword, C::Present, nullptr, G::PrintType, "PrintTypeTicketKey", "2"),
    {kPassword, C::Present, nullptr, G::PrintType, "PrintTypeUserNameTicketKey", P,
     V::AccountingUser, nullptr, K::Text, kHeldUserNameBytes, "user name of the held job"},
    {kPassword, C::Present, nullptr, G::PrintType, "PrintTypePasswordTicketKey", P, V::Attribute,
     nullptr, K::Pin, kPasswordBytes, "job password"},
    Fixed(kPassword, C::Present, nullptr, G::PrintType, "DocumentNameTypeTicketKey", "1"),

    // Accounting: the user mode set in the dialog, with a typed user ID or the login name.
    Fixed(kAccountingUser, C::Present, nullptr, G::Account, "JBAManageTypeListTicketKey", "2"),
    Fixed(kAccountId, C::Present, nullptr, G::Account, "JBAManageTypeListTicketKey", "2"),
    Fixed(kAccountingUser, C::Present, nullptr, G::Account, "JBAUserSettingRadioBtnTicket", "1"),
    Fixed(kAccountId, C::Present, nullptr, G::Account, "JBAUserSettingRadioBtnTicket", "1"),
    Fixed(kAccountingUser, C::Present, nullptr, G::Account, "JBAUserIDListCtrlTicket", "2"),
    {kAccountingUser, C::Present, nullptr, G::Account, "JBAUserIDTextEditTicket", P,
     V::Attribute, nullptr, K::Text, kAccountUserBytes, "accounting user ID"},
    Fixed(kAccountId, C::PresentWithout, kAccountingUser, G::Account, "JBAUserIDListCtrlTicket",
          "1"),
    Fixed(kAccountId, C::PresentWithout, kAccountingUser, G::Account, "JBAInfoListTicketKey", "0"),
    Fixed(kAccountId, C::PresentWithout, kAccountingUser, G::Account, "JBAUserIDTextEditTicket",
          ""),
    {kAccountId, C::Present, nullptr, G::Account, "JBAAccountIDTextEditTicket", P, V::Attribute,
     nullptr, K::Text, kAccountIdBytes, "account ID"},

    // Stapling.
    Finishing("20", G::Staple, "QMStaple", "UpperLeftSingle"),
    Finishing("22", G::Staple, "QMStaple", "UpperRightSingle"),
    Finishing("28", G::Staple, "QMStaple", "LeftDouble"),
    Finishing("29", G::Staple, "QMStaple", "TopDouble"),
    Finishing("4", G::Staple, "QMStaple", "UpperLeftSingle"),

    // Punching: the edge and the number of holes.
    Finishing("74", G::Punch, "QMPunch", "Left"),
    Finishing("74", G::Punch, "QMNumPunchHoles", "2Holes"),
    Finishing("75", G::Punch, "QMPunch", "Top"),
    Finishing("75", G::Punch, "QMNumPunchHoles", "2Holes"),
    Finishing("76", G::Punch, "QMPunch", "Right"),
    Finishing("76", G::Punch, "QMNumPunchHoles", "2Holes"),
    Finishing("78", G::Punch, "QMPunch", "Left"),
    Finishing("78", G::Punch, "QMNumPunchHoles", "3Holes"),
    Finishing("79", G::Punch, "QMPunch", "Top"),
    Finishing("79", G::Punch, "QMNumPunchHoles", "3Holes"),
    Finishing("80", G::Punch, "QMPunch", "Right"),
    Finishing("80", G::Punch, "QMNumPunchHoles", "3Holes"),
    Finishing("82", G::Punch, "QMPunch", "Left"),
    Finishing("82", G::Punch, "QMNumPunchHoles", "4Holes"),
    Finishing("83", G::Punch, "QMPunch", "Top"),
    Finishing("83", G::Punch, "QMNumPunchHoles", "4Holes"),
    Finishing("84", G::Punch, "QMPunch", "Right"),
    Finishing("84", G::Punch, "QMNumPunchHoles", "4Holes"),
    Finishing("5", G::Punch, "QMPunch", "Left"),

    // Booklet: saddle-stitched, or folded without staples.
    Finishing("13", G::Booklet, "QMSignature", "LeftSigCenterStaple"),
    Finishing("8", G::Booklet, "QMSignature", "LeftSigCenterStaple"),
    Finishing("93", G::Booklet, "QMSignature", "LeftSigFold"),

    // Perfect binding.
    Finishing("50", G::Binding, "QMPBindPosition", "BindLeft"),
    Finishing("51", G::Binding, "QMPBindPosition", "BindTop"),
    Finishing("52", G::Binding, "QMPBindPosition", "BindRight"),
    Finishing("7", G::Binding, "QMPBindPosition", "BindLeft"),

    // Colour.
    ColorMode("color", "Color"),
    ColorMode("monochrome", "Black"),
    ColorMode("process-monochrome", "Black"),
    ColorMode("bi-level", "Black"),
    ColorMode("process-bi-level", "Black"),
    ColorMode("auto", "Auto"),
};

// The print-type tickets, by their own names.
constexpr const char* kPrintTypeTickets[] = {
    "PrintTypeTicketKey",        "PrintTypeUserNameTicketKey", "PrintTypePasswordTicketKey",
    "DocumentNameTypeTicketKey", "DocumentNameTicketKey",      "DelayPrintTicketKey",
    "PrintTypeMBNTicketKey",     "PrintTypeMBNPasswordTicketKey",
};
constexpr char kAccountTicketStem[] = "JBA";  // every account ticket's own name begins so

// The printer options of each finishing and colour group.
struct PlainGroup {
  StdGroup group;
  const char* options[2];
};
constexpr PlainGroup kPlainGroups[] = {
    {G::Staple, {"QMStaple", nullptr}},
    {G::Punch, {"QMPunch", "QMNumPunchHoles"}},
    {G::Booklet, {"QMSignature", "QMSigVol"}},
    {G::Binding, {"QMPBindPosition", nullptr}},
    {G::Color, {"QMColorMode", nullptr}},
};

class OptionList {
 public:
  OptionList(int* count, cups_option_t** options) : count_(count), options_(options) {}

  const char* Get(const char* name) const { return cupsGetOption(name, *count_, *options_); }
  void Set(const std::string& name, const char* value) {
    *count_ = cupsAddOption(name.c_str(), value, *count_, options_);
  }
  std::span<const cups_option_t> All() const {
    return {*options_, static_cast<std::size_t>(*count_)};
  }

 private:
  int* count_;
  cups_option_t** options_;
};

bool GroupIsSetByJob(StdGroup group, const OptionList& options, std::string_view prefix) {
  auto given = [&options](const std::string& name) { return options.Get(name.c_str()) != nullptr; };
  switch (group) {
    case G::PrintType:
      for (const char* ticket : kPrintTypeTickets) {
        if (given(std::string(prefix) + ticket)) return true;
      }
      return false;
    case G::Account: {
      const std::string stem = std::string(prefix) + kAccountTicketStem;
      for (const cups_option_t& option : options.All()) {
        if (std::string_view(option.name).starts_with(stem)) return true;
      }
      return false;
    }
    default:
      for (const PlainGroup& plain : kPlainGroups) {
        if (plain.group != group) continue;
        for (const char* option : plain.options) {
          if (option != nullptr && given(option)) return true;
        }
      }
      return false;
  }
}

// True when the comma-separated list `values` holds `number` as one of its items.
bool ListIncludes(std::string_view values, std::string_view number) {
  std::size_t start = 0;
  while (start <= values.size()) {
    std::size_t end = values.find(',', start);
    if (end == std::string_view::npos) end = values.size();
    std::string_view item = values.substr(start, end - start);
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
    if (item == number) return true;
    start = end + 1;
  }
  return false;
}

bool Holds(const StandardAttributeRow& row, const OptionList& options) {
  const char* value = options.Get(row.attribute);
  if (value == nullptr) return false;
  switch (row.condition) {
    case C::Present:
      return true;
    case C::PresentWithout:
      return options.Get(row.operand) == nullptr;
    case C::Is:
      return std::string_view(value) == row.operand;
    case C::Includes:
      return ListIncludes(value, row.operand);
  }
  return false;
}

// Text the printer takes in a quoted PJL value: valid UTF-8 of at most `limit` bytes, without
// control characters and double quotes.
bool FitsTextField(std::string_view text, std::int32_t limit) {
  if (text.size() > static_cast<std::size_t>(limit) || CountUtf16Units(text) < 0) return false;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F || c == '"') return false;
  }
  return true;
}

bool FitsFormCharacter(char form, unsigned char c) {
  switch (form) {
    case '1':
    case 'N':
      return std::isdigit(c) != 0;
    case 'A':
    case 'U':
      return std::isalpha(c) != 0;
    case 'C':
      return std::isalnum(c) != 0 || std::ispunct(c) != 0;
    default:  // '.', '*': any printable character
      return c >= 0x20 && c < 0x7F;
  }
}

// A password the printer takes: printable ASCII without a double quote, at most `limit` bytes,
// and, when the printer declares a PIN form, no longer than the form and each character of the
// class the form has at its place.
bool FitsPin(std::string_view password, std::int32_t limit, std::string_view form) {
  if (password.size() > static_cast<std::size_t>(limit)) return false;
  if (!form.empty() && password.size() > form.size()) return false;
  for (std::size_t i = 0; i < password.size(); ++i) {
    const auto c = static_cast<unsigned char>(password[i]);
    if (c < 0x20 || c >= 0x7F || c == '"') return false;
    if (!form.empty() && !FitsFormCharacter(form[i], c)) return false;
  }
  return true;
}

// "at most 16 digits" for a form of digits, "at most 8 characters" for any other, and the field's
// own size without a form.
std::string DescribePin(std::int32_t limit, std::string_view form) {
  if (form.empty()) return "at most " + std::to_string(limit) + " characters";
  const std::size_t length = std::min(form.size(), static_cast<std::size_t>(limit));
  const bool digits = form.find_first_not_of("1N") == std::string_view::npos;
  return "at most " + std::to_string(length) + (digits ? " digits" : " characters");
}

// The position just past the value that starts at `p` in an option text, read as
// cupsParseOptions reads it: quoted parts and braced collections may hold blanks, a backslash
// keeps the next character, and a plain part runs to the next blank.
const char* SkipValue(const char* p) {
  auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (*p != '\0' && !blank(*p)) {
    if (*p == ',') {
      ++p;
    } else if (*p == '\'' || *p == '"') {
      const char quote = *p++;
      while (*p != '\0' && *p != quote) p += (*p == '\\' && p[1] != '\0') ? 2 : 1;
      if (*p != '\0') ++p;
    } else if (*p == '{') {
      for (int depth = 0; *p != '\0'; ++p) {
        if (*p == '{') {
          ++depth;
        } else if (*p == '}') {
          if (--depth == 0) {
            ++p;
            break;
          }
        } else if (*p == '\\' && p[1] != '\0') {
          ++p;
        }
      }
    } else {
      while (*p != '\0' && !blank(*p)) p += (*p == '\\' && p[1] != '\0') ? 2 : 1;
    }
  }
  return p;
}

// The first value of each of `names` in the option text, for the names the text gives more than
// once.
std::map<std::string, std::string> EarlierValues(const char* text,
                                                 const std::vector<std::string>& names) {
  std::map<std::string, std::string> first;
  std::map<std::string, int> seen;
  auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  const char* p = text;
  while (*p != '\0') {
    while (blank(*p)) ++p;
    if (*p == '\0') break;
    const char* start = p;
    while (*p != '\0' && !blank(*p) && *p != '=') ++p;
    const char* afterName = p;
    while (blank(*p)) ++p;  // "name = value" is read as "name=value"
    if (*p == '=') {
      p = SkipValue(p + 1);
    } else {
      p = afterName;  // a boolean option ("collate", "nocollate")
    }
    const std::string token(start, p);
    cups_option_t* parsed = nullptr;
    const int count = cupsParseOptions(token.c_str(), 0, &parsed);
    if (count == 1) {
      const std::string name = parsed[0].name;
      for (const std::string& wanted : names) {
        if (name != wanted) continue;
        if (seen[name]++ == 0) first[name] = parsed[0].value;
      }
    }
    cupsFreeOptions(count, parsed);
  }
  std::map<std::string, std::string> repeated;
  for (const auto& [name, value] : first) {
    if (seen[name] > 1) repeated[name] = value;
  }
  return repeated;
}

// Puts back the job's own choice of a finishing option that the option text names twice while the
// job has "finishings": the second is the scheduler's mapping of the finishings.
void KeepJobsOwnFinishingChoices(OptionList& options, const char* text) {
  if (text == nullptr || options.Get(kFinishingsAttribute) == nullptr) return;
  std::vector<std::string> names;
  for (const StandardAttributeRow& row : kTable) {
    if (std::strcmp(row.attribute, kFinishingsAttribute) != 0) continue;
    if (std::find(names.begin(), names.end(), row.ticket) == names.end()) {
      names.emplace_back(row.ticket);
    }
  }
  for (const auto& [name, value] : EarlierValues(text, names)) options.Set(name, value.c_str());
}

std::string TicketName(const StandardAttributeRow& row, std::string_view prefix) {
  return row.keyKind == P ? std::string(prefix) + row.ticket : std::string(row.ticket);
}

// The password itself must be usable before anything of secure print is added.
std::optional<std::string> RefusePassword(const OptionList& options) {
  const char* password = options.Get(kJobPasswordAttribute);
  if (password == nullptr) return std::nullopt;
  const char* encryption = options.Get(kJobPasswordEncryptionAttribute);
  if (encryption != nullptr && std::strcmp(encryption, "none") != 0) {
    return "The job password was sent encrypted; the printer needs the password itself to hold "
           "the job for its owner, so the job is not printed.";
  }
  if (*password == '\0') {
    return "The job password is empty; the printer cannot hold the job without one, so the job "
           "is not printed.";
  }
  return std::nullopt;
}

}  // namespace

std::span<const StandardAttributeRow> StandardAttributeTable() { return kTable; }

StandardAttributeResult ApplyStandardAttributes(int* count, cups_option_t** options,
                                                const StandardAttributeContext& context) {
  StandardAttributeResult result;
  OptionList list(count, options);
  KeepJobsOwnFinishingChoices(list, context.optionsText);

  // Which groups the job's own tickets hold, before anything is added.
  std::map<StdGroup, bool> setByJob;
  for (const StandardAttributeRow& row : kTable) {
    if (!setByJob.contains(row.group)) {
      setByJob[row.group] = GroupIsSetByJob(row.group, list, context.ticketKeyPrefix);
    }
  }
  if (!setByJob[G::PrintType]) {
    if (std::optional<std::string> refusal = RefusePassword(list)) {
      result.refusal = *refusal;
      return result;
    }
  }

  // Each ticket is set once, by the first row that applies to it.
  std::vector<std::pair<std::string, std::string>> tickets;
  auto alreadySet = [&tickets](const std::string& name) {
    for (const auto& ticket : tickets) {
      if (ticket.first == name) return true;
    }
    return false;
  };
  for (const StandardAttributeRow& row : kTable) {
    if (setByJob[row.group] || !Holds(row, list)) continue;
    const std::string name = TicketName(row, context.ticketKeyPrefix);
    if (alreadySet(name)) continue;
    if (row.keyKind == N && row.value == V::Text &&
        !(context.offersChoice && context.offersChoice(row.ticket, row.text))) {
      continue;  // the printer has no such choice
    }

    std::string value;
    switch (row.value) {
      case V::Text:
        value = row.text;
        break;
      case V::Attribute:
        value = list.Get(row.attribute);
        break;
      case V::AccountingUser: {
        const char* user = list.Get(kJobAccountingUserIdAttribute);
        value = user != nullptr && *user != '\0' ? std::string(user) : std::string(context.jobUser);
        break;
      }
    }
    if (row.check == K::Pin && !FitsPin(value, row.limit, context.passwordForm)) {
      result.refusal = std::string("The ") + row.what + " does not fit the printer (" +
                       DescribePin(row.limit, context.passwordForm) +
                       "); the job is not printed.";
      return result;
    }
    if (row.check == K::Text && !FitsTextField(value, row.limit)) {
      result.refusal = std::string("The ") + row.what + " does not fit the printer (at most " +
                       std::to_string(row.limit) +
                       " bytes, without quotes or control characters); the job is not printed.";
      return result;
    }
    tickets.emplace_back(name, value);
  }
  for (const auto& [name, value] : tickets) {
    list.Set(name, value.c_str());
    result.added.push_back(name);
  }
  return result;
}

}  // namespace tf
