// Fuzz harness: the text functions every ticket and name passes through.
//
//   - the format expansion: a real command row with a fuzzed value must give nothing or one
//     whole command line (its literal text, the value without PJL-unsafe bytes cut by whole
//     characters, its closing quote and line feed, at most 229 bytes); a fuzzed format must give
//     a bounded, terminated line;
//   - the "/"-list decoding, against a plain model of its rule;
//   - both text conversions: bounded, terminated, whole characters of their encoding, and the
//     longest such prefix of the unbounded conversion;
//   - the validation walk and the space test, against plain models of their walks;
//   - the ticket readers on a fuzzed options text, into destinations of a fuzzed size.
//
// Input: byte 0 gives a destination size (1 to 256), byte 1 a number; the rest is the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/format.h"
#include "engine/job_options.h"
#include "engine/job.h"
#include "engine/text_fields.h"
#include "engine/ticket.h"
#include "fuzz_support.h"
#include "modules/names/names.h"
#include "platform/ppd.h"
#include "platform/text_conversion.h"

namespace tf::fuzz {
namespace {

// ---- the "/"-list decoding -------------------------------------------------------------------

std::int64_t ModelAtoi(const char* text) {
  long long value = std::strtoll(text, nullptr, 10);
  return std::clamp<long long>(value, INT32_MIN, INT32_MAX);
}

std::string ModelNumStrToChar(std::string text) {
  if (text.size() < 2 || text[0] != '/') return text;
  std::string out;
  std::size_t read = 1;
  while (read < text.size()) {
    std::size_t end = text.find('/', read);
    if (end == std::string::npos) end = text.size();
    const std::int64_t number = ModelAtoi(text.substr(read, end - read).c_str());
    out += number > 255 ? '\0' : static_cast<char>(number & 0xFF);
    read = end + 1;
  }
  return out.substr(0, out.find('\0'));
}

void CheckNumStrToChar(std::string_view text) {
  const std::string input(text.substr(0, text.find('\0')));
  std::vector<char> buffer(input.begin(), input.end());
  buffer.push_back('\0');
  NumStrToChar(buffer.data(), static_cast<std::int32_t>(buffer.size()));
  const std::string decoded(buffer.data());
  if (decoded != ModelNumStrToChar(input)) Fail("NumStrToChar differs from its rule", input);
}

// ---- conversions -----------------------------------------------------------------------------

std::size_t ModelCharWidth(unsigned char c, TextEncoding encoding) {
  if (encoding == TextEncoding::ShiftJIS) {
    return ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
  }
  return c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
}

bool IsWhole(std::string_view text, TextEncoding encoding) {
  return encoding == TextEncoding::UTF8 ? IsValidUtf8(text) : IsWholeShiftJis(text);
}

// UTF-8 text without its characters outside the Basic Multilingual Plane.
std::string WithoutSupplementary(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t w = ModelCharWidth(static_cast<unsigned char>(text[i]), TextEncoding::UTF8);
    if (w != 4) out.append(text.substr(i, w));
    i += w;
  }
  return out;
}

void CheckConversion(const std::string& source, int size, TextEncoding encoding) {
  const int large = static_cast<int>(source.size()) * 4 + 8;
  std::vector<char> whole(static_cast<std::size_t>(large));
  const int wholeLength = ConvertToEncoding(encoding, source.c_str(), whole.data(), large);
  const std::string_view full(whole.data(), static_cast<std::size_t>(wholeLength));
  if (static_cast<std::size_t>(wholeLength) != std::strlen(whole.data())) {
    Fail("conversion length differs from its text", source);
  }
  if (!IsWhole(full, encoding)) Fail("conversion splits a character", source);
  const bool valid = IsValidUtf8(source);
  if (!valid && wholeLength != 0) Fail("invalid UTF-8 converted to text", source);
  if (valid && encoding == TextEncoding::UTF8 && full != WithoutSupplementary(source)) {
    Fail("UTF-8 conversion changed the text", source);
  }

  std::vector<char> bounded(static_cast<std::size_t>(size));  // exactly `size` bytes
  const int n = ConvertToEncoding(encoding, source.c_str(), bounded.data(), size);
  if (n < 0 || n >= size || bounded[static_cast<std::size_t>(n)] != '\0' ||
      static_cast<std::size_t>(n) != std::strlen(bounded.data())) {
    Fail("bounded conversion is not a terminated text within its size", source);
  }
  const std::string_view cut(bounded.data(), static_cast<std::size_t>(n));
  if (full.substr(0, cut.size()) != cut) Fail("bounded conversion is not a prefix", source);
  if (cut.size() < full.size()) {
    const std::size_t next =
        ModelCharWidth(static_cast<unsigned char>(full[cut.size()]), encoding);
    if (cut.size() + next <= static_cast<std::size_t>(size - 1)) {
      Fail("bounded conversion stopped before a character that fits", source);
    }
  }
}

void CheckCut(std::string_view text, std::size_t max) {
  for (TextEncoding encoding : {TextEncoding::ShiftJIS, TextEncoding::UTF8}) {
    const std::size_t cut = CutToWholeChars(text, max, encoding);
    if (cut > std::min(max, text.size())) Fail("a cut beyond its bound", text);
    if (encoding == TextEncoding::UTF8 && IsValidUtf8(text) &&
        !IsValidUtf8(text.substr(0, cut))) {
      Fail("a cut that splits a UTF-8 character", text);
    }
  }
  const long units = CountUtf16Units(text);
  if ((units < 0) == IsValidUtf8(text)) Fail("unit count disagrees with UTF-8 validity", text);
  if (units >= 0) {
    const std::size_t prefix = Utf8PrefixForUnits(text, max);
    if (!IsValidUtf8(text.substr(0, prefix)) ||
        CountUtf16Units(text.substr(0, prefix)) > static_cast<long>(max)) {
      Fail("a UTF-16 unit prefix that splits a character or holds too many units", text);
    }
  }
}

// ---- the validation walk ---------------------------------------------------------------------

bool InModelRanges(int value, const ValidateRangeList& list) {
  for (int i = 0; i < list.count; ++i) {
    if (value >= list.ranges[i].low && value <= list.ranges[i].high) return true;
  }
  return false;
}

int ModelValidate(const unsigned char* p, const ValidateDataScale& scale) {
  while (*p != 0) {
    if (InModelRanges(p[0] * 256 + p[1], scale.wordRanges)) {
      if (p[1] == 0) return 1;
      p += 2;
    } else if (InModelRanges(p[0], scale.byteRanges)) {
      p += 1;
    } else {
      return 0;
    }
  }
  return 1;
}

int ModelAllSpace(const unsigned char* p) {
  while (*p != 0) {
    if (p[0] == 0x20) {
      p += 1;
    } else if (p[0] == 0x81 && p[1] == 0x40) {
      p += 2;
    } else {
      return 0;
    }
  }
  return 1;
}

void CheckValidation(const std::string& text) {
  // Exactly the text and its terminator: a walk past the end is seen by the address sanitizer.
  std::unique_ptr<char[]> copy(new char[text.size() + 1]);
  std::memcpy(copy.get(), text.c_str(), text.size() + 1);
  const auto* bytes = reinterpret_cast<const unsigned char*>(copy.get());
  const ValidateDataScale* scales[] = {&userNameValidateDataScale,
                                       &docuNameValidateDataScale,
                                       &docuNameValidateDataScaleForProduct03,
                                       &docuNameValidateDataScaleForProduct02,
                                       &userNameValidateDataScaleForUTF8,
                                       &docuNameValidateDataScaleForProduct03UTF8};
  for (const ValidateDataScale* scale : scales) {
    if (ValidateData(copy.get(), *scale) != ModelValidate(bytes, *scale)) {
      Fail("ValidateData differs from its walk", text);
    }
  }
  if (IsAllSpace(copy.get()) != ModelAllSpace(bytes)) Fail("IsAllSpace differs from its walk", text);
}

// ---- the format expansion --------------------------------------------------------------------

constexpr ParameterList kValueParams = {kDQ, TF_CORE(StdUserName), kDQ, kLF};
constexpr char kValueFormat[] = "@PJL SET JOBATTR=%c@LUNA=%s%c%c";
constexpr std::string_view kValuePrefix = "@PJL SET JOBATTR=\"@LUNA=";

// A module record of the harness: an integer and two texts, each at the alignment of an integer.
struct FuzzRecord {
  std::int32_t number;
  char text[256];
  char name[256];
};
static_assert(offsetof(FuzzRecord, text) % alignof(std::int32_t) == 0 &&
              offsetof(FuzzRecord, name) % alignof(std::int32_t) == 0);

// Operands for any format: fields with the alignment of an integer (the job core's first field
// and the record's), so that every kind of symbol reads inside the job core or the record
// whatever the format asks of it (a table always gives each symbol an operand of its kind).
static_assert(offsetof(JobCoreState, StdUserName) == 0);
constexpr ParameterList kMixedParams = {
    TF_CORE(StdUserName), TF_RECORD(FuzzRecord, number), TF_RECORD(FuzzRecord, text),
    TF_RECORD(FuzzRecord, name), TF_CORE(StdUserName), TF_RECORD(FuzzRecord, number)};

// The value as the command must carry it: without PJL-unsafe bytes, cut by whole characters to
// what the line leaves.
std::string ModelValue(std::string_view value, std::size_t budget, TextEncoding encoding) {
  std::string safe;
  for (unsigned char c : value) {
    if (c >= 0x20 && c != 0x22 && c != 0x7F) safe += static_cast<char>(c);
  }
  std::size_t at = 0;
  while (at < safe.size()) {
    const std::size_t w = std::min(
        ModelCharWidth(static_cast<unsigned char>(safe[at]), encoding), safe.size() - at);
    if (at + w > budget) break;
    at += w;
  }
  return safe.substr(0, at);
}

void CheckExpansion(const std::string& value, const std::string& format, std::int32_t number) {
  auto state = std::make_unique<JobCoreState>();
  FuzzRecord record{};
  TextFieldEncodings encodings;
  std::strncpy(state->StdUserName, value.c_str(), sizeof(state->StdUserName) - 1);
  std::strncpy(record.text, value.c_str(), sizeof(record.text) - 1);
  std::strncpy(record.name, value.c_str(), sizeof(record.name) - 1);
  record.number = number;
  const std::string stored(state->StdUserName);
  const OperandScope scope{*state, &record, encodings};

  for (TextEncoding encoding : {TextEncoding::ShiftJIS, TextEncoding::UTF8}) {
    encodings.Set(state->StdUserName, encoding);
    char out[kCommandBufferSize];
    const int n = BuildPrintCommand(kValueFormat, kValueParams.span(), scope, out, sizeof(out));
    const std::string line(out, static_cast<std::size_t>(std::max(n, 0)));
    const std::size_t fixed = kValuePrefix.size() + 2;
    const std::string expected = ModelValue(stored, kCommandBufferSize - 1 - fixed, encoding);
    if (expected.empty() ? n != 0
                         : line != std::string(kValuePrefix) + expected + "\"\n") {
      Fail("a command row with a job value is not its whole line", line);
    }

    // Any format: a terminated line within the buffer, whatever it holds.
    const int m = BuildPrintCommand(format.c_str(), kMixedParams.span(), scope, out, sizeof(out));
    if (m < 0 || m > kCommandBufferSize - 1 || static_cast<std::size_t>(m) != std::strlen(out)) {
      Fail("an expansion that is not a terminated line within its buffer", format);
    }
  }
}

// ---- the ticket readers ----------------------------------------------------------------------

void CheckReaders(const std::string& optionsText, int size) {
  const PpdFile noPpd;
  JobOptions options;
  options.Parse(optionsText.c_str(), noPpd);
  for (int i = 0; i < std::min(options.count(), 16); ++i) {
    const char* key = options.options()[i].name;
    std::vector<char> text(static_cast<std::size_t>(size));
    GetTicketString(key, options, text.data(), size);
    if (std::memchr(text.data(), 0, text.size()) == nullptr) Fail("a string ticket unterminated");
    if (!IsWholeShiftJis(text.data())) Fail("a string ticket splits a character", text.data());
    GetTicketStringConvertedToPrtLang(key, options, text.data(), size);
    if (std::memchr(text.data(), 0, text.size()) == nullptr) Fail("a string ticket unterminated");
    if (!IsWholeShiftJis(text.data())) Fail("a converted ticket splits a character", text.data());
    GetTicketStringConvertedToPrtLangForUTF8(key, options, text.data(), size);
    if (std::memchr(text.data(), 0, text.size()) == nullptr) Fail("a string ticket unterminated");
    if (!IsValidUtf8(text.data())) Fail("a UTF-8 ticket splits a character", text.data());
    std::int32_t number = 0;
    GetTicketInteger(key, options, &number, sizeof(number));
    float real = 0;
    GetTicketFloat(key, options, &real, sizeof(real));
    CheckTicketKey(key, options, &number, sizeof(number));
    if (number != 0) Fail("a present key read as absent", key);
  }
}

}  // namespace
}  // namespace tf::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tf;
  using namespace tf::fuzz;
  if (size < 2) return 0;
  const int destinationSize = 1 + data[0];
  const std::int32_t number = static_cast<std::int32_t>(std::uint32_t{data[1]} * 0x01010101u);
  const std::string_view raw(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::string text(raw.substr(0, raw.find('\0')));

  CheckNumStrToChar(raw);
  CheckConversion(text, destinationSize, TextEncoding::ShiftJIS);
  CheckConversion(text, destinationSize, TextEncoding::UTF8);
  CheckCut(raw, static_cast<std::size_t>(destinationSize));
  CheckValidation(text);
  CheckExpansion(text, std::string(raw.substr(raw.find('\0') == std::string_view::npos
                                                  ? raw.size()
                                                  : raw.find('\0') + 1)),
                 number);
  CheckReaders(text, destinationSize);
  return 0;
}
