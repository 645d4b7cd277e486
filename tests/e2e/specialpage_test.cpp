// The special-pages XML job ticket through the built programs: the document byte for byte for
// every variant of covers, inserted sheets and page exceptions, the skipping rules, short and long
// fields, and job text that tries to break out of its element.  Documents built from hostile
// values are also parsed with libxml2.
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/filter_runner.h"
#include "support/job_harness.h"
#include "support/stream_parts.h"

namespace tf::test {
namespace {

const std::string kPrefix = "com.brantlowe.ticket.";
const std::string kBasicPrefix = "com.brantlowe.basicticket.";

const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE kpif SYSTEM \"kpif-v02030a.dtd\">\n"
    "<kpif version=\"1.0\" cpss-version=\"2.01\" xml:lang=\"en-US\">\n"
    "  <job-template-attributes>\n";
const std::string kTail =
    "  </job-template-attributes>\n"
    "</kpif>\n";

// One ticket of the option list: prefix, name, "=", value (the value must hold no blank).
std::string Ticket(const std::string& name, const std::string& value,
                   const std::string& prefix = kPrefix) {
  return " " + prefix + name + "=" + value;
}

FilterRun RunSpecial(const std::string& options, const std::string& program = "ticketfilter",
                     const std::string& ppd = "utf8.ppd") {
  FilterInvocation inv;
  inv.program = program;
  inv.ppd = DataPath(ppd);
  inv.options = options;
  inv.input = "%!PS\n";
  return RunFilterProgram(inv);
}

// What the job wrote before the universal exit language sequence.
std::string XmlPart(const FilterRun& run) {
  const std::size_t uel = run.out.find(kUel);
  return uel == std::string::npos ? "no UEL: " + run.out : run.out.substr(0, uel);
}

std::string Xml(const std::string& options, const std::string& program = "ticketfilter",
                const std::string& ppd = "utf8.ppd") {
  return XmlPart(RunSpecial(options, program, ppd));
}

// The expected XML of each variant, written out line by line.
std::string CoverInterposer(const std::string& element, const std::string& type,
                            const std::string& name) {
  return "    <" + element + " syntax=\"collection\">\n" +
         "        <cover-type syntax=\"keyword\">" + type + "</cover-type>\n" +
         "        <media-col syntax=\"collection\">\n" +
         "            <media-type syntax=\"name\">" + name + "</media-type>\n" +
         "        </media-col>\n" +
         "    </" + element + ">\n";
}

std::string CoverMedia(const std::string& element, const std::string& type,
                       const std::string& media, const std::string& color, const std::string& x,
                       const std::string& y) {
  return "    <" + element + " syntax=\"collection\">\n" +
         "        <cover-type syntax=\"keyword\">" + type + "</cover-type>\n" +
         "        <media-col syntax=\"collection\">\n" +
         "            <media-type syntax=\"keyword\">" + media + "</media-type>\n" +
         "            <media-color syntax=\"keyword\">" + color + "</media-color>\n" +
         "            <media-size syntax=\"collection\">\n" +
         "                <x-dimension syntax=\"integer\">" + x + "</x-dimension>\n" +
         "                <y-dimension syntax=\"integer\">" + y + "</y-dimension>\n" +
         "            </media-size>\n" +
         "        </media-col>\n" +
         "    </" + element + ">\n";
}

std::string InsertionInterposer(const std::string& after, const std::string& count,
                                const std::string& name) {
  return "        <value syntax=\"collection\">\n"
         "                <insert-after-page-number syntax=\"integer\">" + after +
         "</insert-after-page-number>\n"
         "                <insert-count syntax=\"integer\">" + count + "</insert-count>\n"
         "                <media-col syntax=\"collection\">\n"
         "                    <media-type syntax=\"name\">" + name + "</media-type>\n"
         "                </media-col>\n"
         "        </value>\n";
}

std::string InsertionMedia(const std::string& after, const std::string& count,
                           const std::string& color, const std::string& x, const std::string& y,
                           const std::string& media) {
  return "        <value syntax=\"collection\">\n"
         "                <insert-after-page-number syntax=\"integer\">" + after +
         "</insert-after-page-number>\n"
         "                <insert-count syntax=\"integer\">" + count + "</insert-count>\n"
         "                <media-col syntax=\"collection\">\n"
         "                    <media-color syntax=\"keyword\">" + color + "</media-color>\n"
         "                    <media-size syntax=\"collection\">\n"
         "                        <x-dimension syntax=\"integer\">" + x + "</x-dimension>\n"
         "                        <y-dimension syntax=\"integer\">" + y + "</y-dimension>\n"
         "                    </media-size>\n"
         "                    <media-type syntax=\"keyword\">" + media + "</media-type>\n"
         "                </media-col>\n"
         "        </value>\n";
}

std::string ExceptionRanges(const std::string& firstDoc, const std::string& lastDoc,
                            const std::string& firstPage, const std::string& lastPage,
                            const std::string& sides, const std::string& name) {
  return "        <value syntax=\"collection\">\n"
         "            <input-documents syntax=\"1setOf\">\n"
         "                <value syntax=\"rangeOfInteger\">\n"
         "                    <lower-bound syntax=\"integer\">" + firstDoc + "</lower-bound>\n"
         "                    <upper-bound syntax=\"integer\">" + lastDoc + "</upper-bound>\n"
         "                </value>\n"
         "            </input-documents>\n"
         "            <pages syntax=\"1setOf\">\n"
         "                <value syntax=\"rangeOfInteger\">\n"
         "                    <lower-bound syntax=\"integer\">" + firstPage + "</lower-bound>\n"
         "                    <upper-bound syntax=\"integer\">" + lastPage + "</upper-bound>\n"
         "                </value>\n"
         "            </pages>\n"
         "            <sides syntax=\"keyword\">" + sides + "</sides>\n"
         "            <media-col syntax=\"collection\">\n"
         "                <media-type syntax=\"name\">" + name + "</media-type>\n";
}

std::string ExceptionInterposer(const std::string& firstDoc, const std::string& lastDoc,
                                const std::string& firstPage, const std::string& lastPage,
                                const std::string& sides, const std::string& name) {
  return ExceptionRanges(firstDoc, lastDoc, firstPage, lastPage, sides, name) +
         "            </media-col>\n"
         "        </value>\n";
}

std::string ExceptionMedia(const std::string& firstDoc, const std::string& lastDoc,
                           const std::string& firstPage, const std::string& lastPage,
                           const std::string& sides, const std::string& name,
                           const std::string& color, const std::string& x,
                           const std::string& y) {
  return ExceptionRanges(firstDoc, lastDoc, firstPage, lastPage, sides, name) +
         "                <media-color syntax=\"keyword\">" + color + "</media-color>\n"
         "                <media-size syntax=\"collection\">\n"
         "                    <x-dimension syntax=\"integer\">" + x + "</x-dimension>\n"
         "                    <y-dimension syntax=\"integer\">" + y + "</y-dimension>\n"
         "                </media-size>\n"
         "            </media-col>\n"
         "        </value>\n";
}

const std::string kInsertStart = "    <insert-sheet syntax=\"1setOf\">\n";
const std::string kInsertEnd = "    </insert-sheet>\n";
const std::string kExceptionStart = "    <page-overrides syntax=\"1setOf\">\n";
const std::string kExceptionEnd = "    </page-overrides>\n";

// libxml2's view of a document: whether it is well-formed, and the text of every element named
// `element`, in document order.
struct Parsed {
  bool wellFormed = false;
  std::vector<std::string> texts;
};

void Collect(xmlNode* node, const std::string& element, std::vector<std::string>& texts) {
  for (; node != nullptr; node = node->next) {
    if (node->type == XML_ELEMENT_NODE &&
        element == reinterpret_cast<const char*>(node->name)) {
      xmlChar* content = xmlNodeGetContent(node);
      texts.emplace_back(reinterpret_cast<const char*>(content));
      xmlFree(content);
    }
    Collect(node->children, element, texts);
  }
}

Parsed Parse(const std::string& document, const std::string& element) {
  Parsed parsed;
  xmlDoc* doc = xmlReadMemory(document.data(), static_cast<int>(document.size()), "ticket.xml",
                              nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (doc == nullptr) return parsed;
  parsed.wellFormed = true;
  Collect(xmlDocGetRootElement(doc), element, parsed.texts);
  xmlFreeDoc(doc);
  return parsed;
}

TEST(SpecialPageTest, NoSpecialPagesNoDocument) {
  for (const std::string& options :
       {std::string(""),
        Ticket("KPIFCoverCountTicket", "0") + Ticket("KPIFInsertionCountTicket", "0") +
            Ticket("KPIFExceptionCountTicket", "0") + Ticket("KPIFCoverValueTicket_0", "0,0,T,N"),
        Ticket("KPIFCoverCountTicket", "-1") + Ticket("KPIFInsertionCountTicket", "-5")}) {
    const FilterRun run = RunSpecial(options);
    ASSERT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out.rfind(kUel, 0), 0u) << options;
    EXPECT_EQ(run.out.find("<?xml"), std::string::npos);
  }
}

TEST(SpecialPageTest, DocumentComesFirstAndTheHeaderFollowsIt) {
  const FilterRun run = RunSpecial(Ticket("KPIFCoverCountTicket", "1") +
                                   Ticket("KPIFCoverValueTicket_0", "0,0,front,Tab"));
  ASSERT_EQ(run.exitStatus, 0);
  const std::string xml = kHead + CoverInterposer("cover-front", "front", "Tab") + kTail;
  EXPECT_EQ(run.out.substr(0, xml.size()), xml);
  EXPECT_EQ(run.out.substr(xml.size(), kUel.size()), kUel);
  EXPECT_TRUE(SplitStream(run.out.substr(xml.size())).ok);
}

TEST(SpecialPageTest, CoverVariants) {
  const std::string options =
      Ticket("KPIFCoverCountTicket", "5") +
      Ticket("KPIFCoverValueTicket_0", "0,0,printed-front,Cover-Stock") +
      Ticket("KPIFCoverValueTicket_1", "0,1,no-print,Stationary,white,21000,29700") +
      Ticket("KPIFCoverValueTicket_2", "1,0,printed-back,Tab") +
      Ticket("KPIFCoverValueTicket_3", "1,1,printed-both,ThickPaper,blue,27940,43180") +
      Ticket("KPIFCoverValueTicket_4", "0,7,ignored,Name");  // neither source: empty element
  EXPECT_EQ(Xml(options),
            kHead + CoverInterposer("cover-front", "printed-front", "Cover-Stock") +
                CoverMedia("cover-front", "no-print", "Stationary", "white", "21000", "29700") +
                CoverInterposer("cover-back", "printed-back", "Tab") +
                CoverMedia("cover-back", "printed-both", "ThickPaper", "blue", "27940", "43180") +
                "    <cover-front syntax=\"collection\">\n    </cover-front>\n" + kTail);
}

TEST(SpecialPageTest, InsertionVariants) {
  const std::string options =
      Ticket("KPIFInsertionCountTicket", "3") +
      Ticket("KPIFInsertionValueTicket_0", "0,3,1,Interposer-Stock") +
      Ticket("KPIFInsertionValueTicket_1", "2,5,1,Blue,21000,29700,Stationary") +  // skipped
      Ticket("KPIFInsertionValueTicket_2", "1,10,2,yellow,21000,29700,Colored");
  EXPECT_EQ(Xml(options),
            kHead + kInsertStart + InsertionInterposer("3", "1", "Interposer-Stock") +
                InsertionMedia("10", "2", "yellow", "21000", "29700", "Colored") + kInsertEnd +
                kTail);
}

TEST(SpecialPageTest, ExceptionVariants) {
  const std::string options =
      Ticket("KPIFExceptionCountTicket", "3") +
      Ticket("KPIFExceptionValueTicket_0", "0,1,1,2,4,one-sided,Tab-Stock") +
      Ticket("KPIFExceptionValueTicket_1", "1,1,2,5,9,two-sided-long-edge,Glossy,red,21000,29700") +
      Ticket("KPIFExceptionValueTicket_2", "x,1,1,1,1,one-sided,Skipped");
  EXPECT_EQ(Xml(options),
            kHead + kExceptionStart + ExceptionInterposer("1", "1", "2", "4", "one-sided",
                                                          "Tab-Stock") +
                ExceptionMedia("1", "2", "5", "9", "two-sided-long-edge", "Glossy", "red",
                               "21000", "29700") +
                kExceptionEnd + kTail);
}

TEST(SpecialPageTest, ListsInTheirOrderWhateverTheOptionOrder) {
  const std::string options =
      Ticket("KPIFExceptionValueTicket_0", "0,1,1,3,3,one-sided,E") +
      Ticket("KPIFInsertionValueTicket_0", "0,2,1,I") +
      Ticket("KPIFCoverValueTicket_1", "1,0,back,B") + Ticket("KPIFCoverValueTicket_0", "0,0,front,F") +
      Ticket("KPIFExceptionCountTicket", "1") + Ticket("KPIFInsertionCountTicket", "1") +
      Ticket("KPIFCoverCountTicket", "2");
  const std::string xml = Xml(options);
  EXPECT_EQ(xml, kHead + CoverInterposer("cover-front", "front", "F") +
                     CoverInterposer("cover-back", "back", "B") + kInsertStart +
                     InsertionInterposer("2", "1", "I") + kInsertEnd + kExceptionStart +
                     ExceptionInterposer("1", "1", "3", "3", "one-sided", "E") + kExceptionEnd +
                     kTail);
  EXPECT_TRUE(Parse(xml, "kpif").wellFormed);
}

TEST(SpecialPageTest, EntriesThatAreAbsentOrInvalidAreSkipped) {
  // Insertion count 2 without any insertion value: an empty insert-sheet element.
  EXPECT_EQ(Xml(Ticket("KPIFInsertionCountTicket", "2")),
            kHead + kInsertStart + kInsertEnd + kTail);
  // A cover whose first field is neither "0" nor "1": the header and the closing piece only.
  EXPECT_EQ(Xml(Ticket("KPIFCoverCountTicket", "1") + Ticket("KPIFCoverValueTicket_0", "2,0,T,N")),
            kHead + kTail);
  // A cover whose value is empty is skipped the same way.
  EXPECT_EQ(Xml(Ticket("KPIFCoverCountTicket", "1") + Ticket("KPIFCoverValueTicket_0", "")),
            kHead + kTail);
  // A negative count is 0; the other lists still count.
  EXPECT_EQ(Xml(Ticket("KPIFCoverCountTicket", "-2") + Ticket("KPIFCoverValueTicket_0", "0,0,T,N") +
                Ticket("KPIFExceptionCountTicket", "1")),
            kHead + kExceptionStart + kExceptionEnd + kTail);
}

TEST(SpecialPageTest, OnlyIndicesBelowTheCountInTheirDecimalForm) {
  const std::string options =
      Ticket("KPIFCoverCountTicket", "2") + Ticket("KPIFCoverValueTicket_1", "1,0,one,B") +
      Ticket("KPIFCoverValueTicket_2", "0,0,two,X") +    // index 2 is beyond the count
      Ticket("KPIFCoverValueTicket_01", "0,0,zero1,X") +  // not how "%d" writes 1
      Ticket("KPIFCoverValueTicket_+0", "0,0,plus,X") + Ticket("KPIFCoverValueTicket_", "0,0,e,X");
  EXPECT_EQ(Xml(options), kHead + CoverInterposer("cover-back", "one", "B") + kTail);
  // Option names are found without regard to case, like every other ticket.
  EXPECT_EQ(Xml(options + Ticket("kpifCoverValueTICKET_0", "0,0,zero,Z")),
            kHead + CoverInterposer("cover-front", "zero", "Z") +
                CoverInterposer("cover-back", "one", "B") + kTail);
}

TEST(SpecialPageTest, HugeCountCostsNothing) {
  const auto start = std::chrono::steady_clock::now();
  const FilterRun run =
      RunSpecial(Ticket("KPIFCoverCountTicket", "2147483647") +
                 Ticket("KPIFInsertionCountTicket", "2147483647") +
                 Ticket("KPIFExceptionCountTicket", "2147483647") +
                 Ticket("KPIFInsertionValueTicket_2147483646", "0,9,1,Last") +
                 Ticket("KPIFInsertionValueTicket_7", "0,2,1,Seventh"));
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_EQ(run.exitStatus, 0);
  EXPECT_LT(seconds, 10.0);
  EXPECT_EQ(XmlPart(run), kHead + kInsertStart + InsertionInterposer("2", "1", "Seventh") +
                              InsertionInterposer("9", "1", "Last") + kInsertEnd +
                              kExceptionStart + kExceptionEnd + kTail);
}

TEST(SpecialPageTest, MissingFieldsRepeatTheLastField) {
  // Reading past the last field does not advance: every missing field is the last one again.
  EXPECT_EQ(Xml(Ticket("KPIFCoverCountTicket", "1") + Ticket("KPIFCoverValueTicket_0", "0,0,T")),
            kHead + CoverInterposer("cover-front", "T", "T") + kTail);
  EXPECT_EQ(Xml(Ticket("KPIFCoverCountTicket", "1") + Ticket("KPIFCoverValueTicket_0", "1,1,K,M")),
            kHead + CoverMedia("cover-back", "K", "M", "M", "M", "M") + kTail);
  EXPECT_EQ(Xml(Ticket("KPIFInsertionCountTicket", "1") +
                Ticket("KPIFInsertionValueTicket_0", "1,4")),
            kHead + kInsertStart + InsertionMedia("4", "4", "4", "4", "4", "4") + kInsertEnd +
                kTail);
  EXPECT_EQ(Xml(Ticket("KPIFExceptionCountTicket", "1") +
                Ticket("KPIFExceptionValueTicket_0", "0,1,2")),
            kHead + kExceptionStart + ExceptionInterposer("1", "2", "2", "2", "2", "2") +
                kExceptionEnd + kTail);
}

TEST(SpecialPageTest, EmptyFieldsGiveEmptySlots) {
  EXPECT_EQ(Xml(Ticket("KPIFCoverCountTicket", "1") + Ticket("KPIFCoverValueTicket_0", "0,0,,N")),
            kHead + CoverInterposer("cover-front", "", "N") + kTail);
  EXPECT_EQ(Xml(Ticket("KPIFExceptionCountTicket", "1") +
                Ticket("KPIFExceptionValueTicket_0", "1,,,,,,,,,")),
            kHead + kExceptionStart + ExceptionMedia("", "", "", "", "", "", "", "", "") +
                kExceptionEnd + kTail);
}

TEST(SpecialPageTest, MarkupInValuesStaysText) {
  // "<" and "&" raw; a media name that tries to close its element and open one of its own.
  const std::string options =
      Ticket("KPIFCoverCountTicket", "1") +
      Ticket("KPIFCoverValueTicket_0", "0,0,</cover-type><evil>x</evil><cover-type>,a&b>c") +
      Ticket("KPIFInsertionCountTicket", "1") +
      Ticket("KPIFInsertionValueTicket_0", "0,1,1,</media-type></media-col></value><value>");
  const std::string xml = Xml(options);
  EXPECT_EQ(xml, kHead +
                     CoverInterposer("cover-front",
                                     "&lt;/cover-type&gt;&lt;evil&gt;x&lt;/evil&gt;&lt;"
                                     "cover-type&gt;",
                                     "a&amp;b&gt;c") +
                     kInsertStart +
                     InsertionInterposer("1", "1",
                                         "&lt;/media-type&gt;&lt;/media-col&gt;&lt;/value&gt;"
                                         "&lt;value&gt;") +
                     kInsertEnd + kTail);
  const Parsed parsed = Parse(xml, "cover-type");
  ASSERT_TRUE(parsed.wellFormed);
  EXPECT_EQ(parsed.texts,
            std::vector<std::string>{"</cover-type><evil>x</evil><cover-type>"});
  EXPECT_TRUE(Parse(xml, "evil").texts.empty());
  EXPECT_EQ(Parse(xml, "media-type").texts,
            (std::vector<std::string>{"a&b>c", "</media-type></media-col></value><value>"}));
}

TEST(SpecialPageTest, QuotesAndControlBytesInValues) {
  // "/"-encoded: 0 , 0 , A " ' LF TAB ESC B , N CR DEL U+FFFE U+0085 x
  const std::string value =
      "/48/44/48/44/65/34/39/10/9/27/66/44/78/13/127/239/191/190/194/133/120";
  const FilterRun run = RunSpecial(Ticket("KPIFCoverCountTicket", "1") +
                                   Ticket("KPIFCoverValueTicket_0", value));
  const std::string xml = XmlPart(run);
  EXPECT_EQ(xml, kHead + CoverInterposer("cover-front", "A&quot;&apos;B", "Nx") + kTail);
  const Parsed parsed = Parse(xml, "cover-type");
  ASSERT_TRUE(parsed.wellFormed);
  EXPECT_EQ(parsed.texts, std::vector<std::string>{"A\"'B"});
  // The escape byte never reaches the printer ahead of its own exit sequence.
  EXPECT_EQ(run.out.find('\x1b'), run.out.find(kUel));
}

TEST(SpecialPageTest, EncodedValueAndInvalidBytes) {
  // A whole value in "/" form is decoded before its fields are read.
  EXPECT_EQ(Xml(Ticket("KPIFCoverCountTicket", "1") +
                Ticket("KPIFCoverValueTicket_0", "/49/44/48/44/84/44/77")),
            kHead + CoverInterposer("cover-back", "T", "M") + kTail);
  // Bytes that are not UTF-8 (here Shift-JIS) leave no text at all: the entry is skipped and the
  // document stays well-formed.
  const FilterRun run = RunSpecial(Ticket("KPIFCoverCountTicket", "1") +
                                   Ticket("KPIFCoverValueTicket_0", "/48/44/48/44/130/160"));
  EXPECT_EQ(XmlPart(run), kHead + kTail);
  EXPECT_EQ(run.err.find('\x82'), std::string::npos);
}

TEST(SpecialPageTest, LongFieldsAreCutBeforeTheCharacterThatDoesNotFit) {
  const std::string a49(49, 'a');
  const std::string a48(48, 'a');
  std::string hiragana;  // 17 x HIRAGANA LETTER A: 51 bytes of UTF-8
  for (int i = 0; i < 17; ++i) hiragana += "\xE3\x81\x82";
  const std::string options =
      Ticket("KPIFCoverCountTicket", "3") +
      Ticket("KPIFCoverValueTicket_0", "0,0," + a49 + "bcdef,next") +  // 54 ASCII bytes
      Ticket("KPIFCoverValueTicket_1", "1,0," + a48 + "\xC3\xA9,e") +  // e-acute at bytes 49-50
      Ticket("KPIFCoverValueTicket_2", "0,0," + hiragana + ",h");
  const std::string expected =
      kHead + CoverInterposer("cover-front", a49, "next") +
      CoverInterposer("cover-back", a48, "e") +
      CoverInterposer("cover-front", hiragana.substr(0, 48), "h") + kTail;
  // The document is UTF-8 whatever the printer language: the same bytes on a byte-mode printer
  // and from the program without UTF-8 mode.
  const FilterRun run = RunSpecial(options);
  EXPECT_EQ(XmlPart(run), expected);
  EXPECT_EQ(Xml(options, "ticketfilter", "bytemode.ppd"), expected);
  std::string basic = options;
  for (std::size_t at = basic.find(kPrefix); at != std::string::npos;
       at = basic.find(kPrefix, at + kBasicPrefix.size())) {
    basic.replace(at, kPrefix.size(), kBasicPrefix);
  }
  EXPECT_EQ(Xml(basic, "ticketfilter-basic", "bytemode.ppd"), expected);
  EXPECT_TRUE(Parse(expected, "kpif").wellFormed);
  EXPECT_NE(run.err.find("DEBUG: Special pages: cover value 0 has a field longer than 49 bytes; "
                         "cut\n"),
            std::string::npos);
}

TEST(SpecialPageTest, EachProgramReadsItsOwnPrefix) {
  const std::string full = Ticket("KPIFCoverCountTicket", "1") +
                           Ticket("KPIFCoverValueTicket_0", "0,0,full,F");
  const std::string basic = Ticket("KPIFCoverCountTicket", "1", kBasicPrefix) +
                            Ticket("KPIFCoverValueTicket_0", "0,0,basic,B", kBasicPrefix);
  const std::string fullXml = kHead + CoverInterposer("cover-front", "full", "F") + kTail;
  const std::string basicXml = kHead + CoverInterposer("cover-front", "basic", "B") + kTail;
  EXPECT_EQ(Xml(full + basic), fullXml);
  EXPECT_EQ(Xml(full + basic, "ticketfilter-basic"), basicXml);
  EXPECT_EQ(RunSpecial(full, "ticketfilter-basic").out.rfind(kUel, 0), 0u);
}

TEST(SpecialPageTest, DiagnosticsNameTheEntryButNeverItsText) {
  const FilterRun run = RunSpecial(
      Ticket("KPIFInsertionCountTicket", "1") +
      Ticket("KPIFInsertionValueTicket_0", "/10/69/82/82/79/82/58/32/120/44/49"));
  EXPECT_EQ(run.err.find("ERROR:"), std::string::npos);
  EXPECT_NE(run.err.find("DEBUG: Special pages: insertion value 0 names no media source; "
                         "skipped\n"),
            std::string::npos);
}

TEST(SpecialPageTest, JobCopyHoldsTheDocumentToo) {
  std::filesystem::create_directories(std::string(TF_TEST_ROOT) + "/flag");
  const std::string jobs = std::string(TF_TEST_ROOT) + "/jobs";
  std::filesystem::create_directories(jobs);
  WriteFile(std::string(TF_TEST_ROOT) + "/flag/qmjobcopy", "");
  FilterInvocation inv;
  inv.program = "ticketfilter-testpaths";
  inv.ppd = DataPath("utf8.ppd");
  inv.options = Ticket("KPIFCoverCountTicket", "1") +
                Ticket("KPIFCoverValueTicket_0", "0,0,job-copy-check,Copy");
  inv.input = "%!PS\n(special pages copy) show\n";
  const FilterRun run = RunFilterProgram(inv);
  ASSERT_EQ(run.exitStatus, 0);
  ASSERT_EQ(run.out.rfind(kHead, 0), 0u);
  bool found = false;
  for (const auto& entry : std::filesystem::directory_iterator(jobs)) {
    const std::optional<std::string> data = ReadFile(entry.path().string());
    if (data && *data == run.out) {
      found = true;
      std::filesystem::remove(entry.path());
      break;
    }
  }
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace tf::test
