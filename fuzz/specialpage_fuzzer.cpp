// Fuzz harness: the special-pages value parser and the XML job ticket it writes.
//
// The job carries three counts and value tickets for covers, inserted sheets and page exceptions
// with fuzzed text.  The ticket must be written exactly when a count is above 0, and must then be
// a well-formed XML document (libxml2) whose root is "kpif".  The field reader alone must copy
// whole characters within its field and advance exactly past the field's comma.
//
// Input: byte 0 chooses the program (bit 0: ticketfilter-basic) and the printer encoding (bit 1:
// UTF-8); bytes 1 to 3 give the cover, insertion and exception counts (below 0xF0: the value
// modulo 8; 0xF0: no count ticket; 0xF1: -5; 0xF2: the largest count; other: a text that is not
// a number).  The rest, split at line feeds, gives the values: value j is entry j / 3 of list
// j % 3.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "filter/envelope.h"
#include "fuzz_support.h"
#include "modules/specialpage/specialpage.h"
#include "platform/text_conversion.h"

namespace tf::fuzz {
namespace {

// A count ticket's text, or none; `count` is what the filter must take it as (absent: -1).
bool CountText(std::uint8_t selector, std::string* text, std::int64_t* count) {
  if (selector < 0xF0) {
    *count = selector % 8;
    *text = std::to_string(*count);
  } else if (selector == 0xF0) {
    *count = -1;
    return false;
  } else if (selector == 0xF1) {
    *count = -5;
    *text = "-5";
  } else if (selector == 0xF2) {
    *count = 2147483647;
    *text = "2147483647";
  } else {
    *count = 0;
    *text = "many";
  }
  return true;
}

// `value` as a quoted option value: a backslash before every quote and backslash.
std::string Quoted(std::string_view value) {
  std::string out = "'";
  for (char c : value) {
    if (c == '\'' || c == '\\') out += '\\';
    out += c;
  }
  return out + "'";
}

void CheckFieldReader(std::string_view value) {
  const std::string text(value);
  for (TextEncoding encoding : {TextEncoding::UTF8, TextEncoding::ShiftJIS}) {
    char field[kSpecialPageFieldSize] = {};
    const std::int32_t advance = GetOneValue(text.c_str(), field, sizeof(field), encoding);
    const std::size_t comma = text.find(',');
    const std::int32_t expected =
        comma == std::string::npos ? 0 : static_cast<std::int32_t>(comma + 1);
    if (advance != expected) Fail("GetOneValue advanced wrongly", text);
    if (field[sizeof(field) - 1] != '\0') Fail("GetOneValue filled its whole field", text);
    const std::string_view got(field);
    if (text.compare(0, got.size(), got) != 0) Fail("GetOneValue copied other text", text);
    if (encoding == TextEncoding::UTF8 && IsValidUtf8(text) && !IsValidUtf8(got)) {
      Fail("GetOneValue split a character", text);
    }
  }
}

}  // namespace
}  // namespace tf::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  xmlInitParser();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tf;
  using namespace tf::fuzz;
  if (size < 4) return 0;
  const bool basic = (data[0] & 1) != 0;
  const bool utf8 = (data[0] & 2) != 0;
  const std::string prefix = basic ? "com.brantlowe.basicticket." : "com.brantlowe.ticket.";

  static const char* const kCountKeys[] = {"KPIFCoverCountTicket", "KPIFInsertionCountTicket",
                                           "KPIFExceptionCountTicket"};
  static const char* const kValueStems[] = {"KPIFCoverValueTicket_", "KPIFInsertionValueTicket_",
                                            "KPIFExceptionValueTicket_"};
  std::string options;
  std::int64_t total = 0;
  for (int list = 0; list < 3; ++list) {
    std::string text;
    std::int64_t count = 0;
    if (CountText(data[1 + list], &text, &count)) {
      options += prefix + kCountKeys[list] + "=" + Quoted(text) + " ";
    }
    if (count > 0) total += count;
  }
  std::string_view rest(reinterpret_cast<const char*>(data + 4), size - 4);
  for (int j = 0; !rest.empty(); ++j) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    std::string value(rest.substr(0, end));
    value.erase(std::remove(value.begin(), value.end(), '\0'), value.end());
    CheckFieldReader(value);
    options += prefix + kValueStems[j % 3] + std::to_string(j / 3) + "=" + Quoted(value) + " ";
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }

  const MemoryFile ppd(MakePpd(utf8 ? "*QMPrinterLanguageEncoding: \"UTF-8\"\n" : ""));
  InProcessJob::Args args;
  args.options = options;
  InProcessJob run(basic ? BasicProgram() : FullProgram(), args, ppd.path());
  run.ReadTickets();
  InjectKPIFCommandSP(run.job(), run.job().RecordOf(SpecialPageModule));
  const std::string xml = run.Output();

  if (total < 1) {
    if (!xml.empty()) Fail("an XML ticket for a job without special pages", xml);
    return 0;
  }
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "ticket.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (doc == nullptr) Fail("the XML job ticket is not well-formed", xml);
  const xmlNode* root = xmlDocGetRootElement(doc);
  const bool kpif = root != nullptr && std::strcmp(reinterpret_cast<const char*>(root->name),
                                                   "kpif") == 0;
  xmlFreeDoc(doc);
  if (!kpif) Fail("the XML job ticket's root is not kpif", xml);
  return 0;
}
