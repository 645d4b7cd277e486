// Fuzz harness: the whole job header from a fuzzed options text, fuzzed PPD attributes, user name
// and title, for both programs and both printer encodings.
//
// Every PJL line of the header must end with its line end (a carriage return only right before
// it), begin with "@PJL", hold no control byte, and hold either no double quote or exactly the
// two that enclose its value at the end of the line; each line must be whole characters (of
// Shift-JIS, or on a UTF-8 printer of UTF-8 or Shift-JIS, as some readers convert to Shift-JIS in
// either mode).  The switch into PostScript ends the header, except in decomposition mode.
// An XML job ticket before the header must be a well-formed document.  The PostScript that the
// same job inserts at each insertion point must be closed: whole lines, every string and
// procedure that it opens closed again, no stray closing bracket.
//
// Input: byte 0 chooses the program (bit 0: ticketfilter-basic) and PPD attributes (bit 1: UTF-8
// printer language, bit 2: decomposition mode, bit 3: "CommentOn", bit 4: monochrome, bit 5: a
// product code of the version 1.3.0 comment).  The rest is split at zero bytes into: further PPD
// lines, the options text, the user name, the title.
#include <libxml/parser.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "filter/module_steps.h"
#include "filter/envelope.h"
#include "fuzz_support.h"

namespace tf::fuzz {
namespace {

std::vector<std::string> SplitAtZero(const std::uint8_t* data, std::size_t size, std::size_t n) {
  std::vector<std::string> parts(n);
  std::size_t part = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0 && part + 1 < n) {
      ++part;
    } else if (data[i] != 0) {
      parts[part] += static_cast<char>(data[i]);
    }
  }
  return parts;
}

void CheckXml(std::string_view xml) {
  if (xml.substr(0, 5) != "<?xml") Fail("text before the header that is not XML", xml);
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "ticket.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (doc == nullptr) Fail("the XML job ticket is not well-formed", xml);
  xmlFreeDoc(doc);
}

// `ps` read with the PostScript token rules: comments, literal strings (nested parentheses, a
// backslash escapes the byte after it), hexadecimal and base-85 strings, dictionary brackets,
// procedure braces.
void CheckClosedPostScript(std::string_view ps) {
  if (ps.empty()) return;
  if (ps.back() != '\n') Fail("an insertion without its line end", ps);
  int braces = 0;
  for (std::size_t i = 0; i < ps.size(); ++i) {
    const char c = ps[i];
    const char next = i + 1 < ps.size() ? ps[i + 1] : '\0';
    if (c == '%') {
      while (i < ps.size() && ps[i] != '\n' && ps[i] != '\r') ++i;
    } else if (c == '(') {
      int depth = 1;
      while (depth > 0 && ++i < ps.size()) {
        if (ps[i] == '\\') {
          ++i;
        } else if (ps[i] == '(') {
          ++depth;
        } else if (ps[i] == ')') {
          --depth;
        }
      }
      if (depth > 0) Fail("an insertion leaves a string open", ps);
    } else if (c == ')') {
      Fail("an insertion closes a string it did not open", ps);
    } else if (c == '<' && next == '<') {
      ++i;
    } else if (c == '<' && next == '~') {
      const std::size_t end = ps.find("~>", i + 2);
      if (end == std::string_view::npos) Fail("an insertion leaves a string open", ps);
      i = end + 1;
    } else if (c == '<') {
      const std::size_t end = ps.find('>', i);
      if (end == std::string_view::npos) Fail("an insertion leaves a string open", ps);
      for (unsigned char h : ps.substr(i + 1, end - i - 1)) {
        if (!std::isxdigit(h) && !std::isspace(h)) {
          Fail("an insertion holds a broken hexadecimal string", ps);
        }
      }
      i = end;
    } else if (c == '>' && next == '>') {
      ++i;
    } else if (c == '>') {
      Fail("an insertion holds a stray >", ps);
    } else if (c == '{') {
      ++braces;
    } else if (c == '}' && --braces < 0) {
      Fail("an insertion closes a procedure it did not open", ps);
    }
  }
  if (braces != 0) Fail("an insertion leaves a procedure open", ps);
}

void CheckLine(std::string_view line, bool utf8) {
  // `line` ends with its "\n".
  if (line.substr(0, 4) != "@PJL") Fail("a header line that is not a PJL line", line);
  std::size_t body = line.size() - 1;
  if (body > 0 && line[body - 1] == '\r') --body;
  const std::string_view text = line.substr(0, body);
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) Fail("a control byte inside a header line", line);
  }
  const auto quotes = std::count(text.begin(), text.end(), '"');
  if (quotes != 0 && (quotes != 2 || text.back() != '"')) {
    Fail("a quoted PJL value holds a double quote", line);
  }
  // UTF-8 printers take UTF-8 in the print-type and account values; the other readers convert to
  // Shift-JIS in either mode, so a line of a UTF-8 printer may be whole characters of either.
  if (!IsWholeShiftJis(line) && !(utf8 && IsValidUtf8(line))) {
    Fail("a header line splits a character", line);
  }
}

}  // namespace
}  // namespace tf::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tf;
  using namespace tf::fuzz;
  if (size == 0) return 0;
  const unsigned flags = data[0];
  const std::vector<std::string> parts = SplitAtZero(data + 1, size - 1, 4);

  std::string attributes;
  if (flags & 0x02) attributes += "*QMPrinterLanguageEncoding: \"UTF-8\"\n";
  if (flags & 0x04) attributes += "*QMPSDecompMode: \"1\"\n";
  if (flags & 0x08) attributes += "*CommentOn: \"True\"\n";
  attributes += (flags & 0x10) ? "*ColorDevice: False\n" : "*ColorDevice: True\n";
  if (flags & 0x20) attributes += "*PCFileName: \"QMA2020.PPD\"\n";
  attributes += parts[0];
  const MemoryFile ppd(MakePpd(attributes));

  InProcessJob::Args args;
  args.options = parts[1];
  if (!parts[2].empty()) args.user = parts[2];
  if (!parts[3].empty()) args.title = parts[3];
  InProcessJob run((flags & 0x01) ? BasicProgram() : FullProgram(), args, ppd.path());
  run.ReadTickets();
  OutputKPJLCommand(run.job());
  const bool decomp = IsDecompositionMode(run.job());
  const std::string out = run.Output();

  const std::string_view uel = "\x1b%-12345X";
  const std::size_t start = out.find(uel);
  if (start == std::string::npos) Fail("no universal exit language sequence", out);
  if (start > 0) CheckXml(std::string_view(out).substr(0, start));

  const std::string_view header = std::string_view(out).substr(start + uel.size());
  if (header.empty() || header.back() != '\n') Fail("the header does not end with a line end", out);
  const std::string_view enter = "@PJL ENTER LANGUAGE=POSTSCRIPT\n";
  std::size_t enterLines = 0;
  std::string_view last;
  for (std::size_t at = 0; at < header.size();) {
    const std::size_t end = header.find('\n', at);
    last = header.substr(at, end + 1 - at);
    CheckLine(last, run.job().utf8Mode);
    if (last == enter) ++enterLines;
    at = end + 1;
  }
  if (decomp ? enterLines != 0 : (enterLines != 1 || last != enter)) {
    Fail("the switch into PostScript is not where it belongs", header);
  }

  for (int point : {kPointBeginProlog, kPointEndProlog, kPointEndSetup, kPointSetPageDevice,
                    kPointBeginPage, kPointEndPageSetup, kPointEndPage, kPointEndPageP,
                    kPointPageSave}) {
    run.ResetOutput();
    OutputPSCommandFromFilter(run.job(), point, 1, run.job().out);
    CheckClosedPostScript(run.Output());
  }
  return 0;
}
