// The watermark module in one process: its tickets, the start point for every angle, the
// once-flags, and the operands made from the job's text and font.
#include "modules/watermark/watermark.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "filter/module_steps.h"
#include "support/job_harness.h"

namespace tf::test {
namespace {

// "com.brantlowe.ticket.WMARK<name>Ticket=<value>" for each pair.
std::string WmOptions(const std::vector<std::pair<std::string, std::string>>& settings,
                             const std::string& prefix = "com.brantlowe.ticket.") {
  std::string options;
  for (const auto& [name, value] : settings) {
    options += prefix + "WMARK" + name + "Ticket=" + value + " ";
  }
  return options;
}

JobHarness::Args ArgsWith(const std::string& options) {
  JobHarness::Args args;
  args.options = options;
  return args;
}

// A red "Secret" at density 50 on A4 portrait, box 200 x 50, every page.
std::vector<std::pair<std::string, std::string>> BaseSettings() {
  return {{"Name", "Confidential"}, {"Type", "0"},          {"OnlyFirst", "0"},
          {"Text", "(Secret)"},     {"Orientation", "1"},   {"PaperWidth", "595"},
          {"PaperHeight", "842"},   {"Width", "200"},       {"Height", "50"},
          {"Angle", "0"},           {"hOffset", "0"},       {"vOffset", "0"},
          {"Font", "Helvetica"},    {"FontSize", "48"},     {"ColorR", "1"},
          {"ColorG", "0"},          {"ColorB", "0"},        {"Density", "50"}};
}

std::vector<std::pair<std::string, std::string>> With(
    std::vector<std::pair<std::string, std::string>> settings, const std::string& name,
    const std::string& value) {
  for (auto& [n, v] : settings) {
    if (n == name) {
      v = value;
      return settings;
    }
  }
  settings.emplace_back(name, value);
  return settings;
}

// The insertions of the points, in order, for a job with these settings.
std::string Insertions(const std::vector<std::pair<std::string, std::string>>& settings,
                       const std::vector<int>& points, const std::string& ppd = "plain.ppd") {
  JobHarness h(FullProgram(), ArgsWith(WmOptions(settings)), ppd);
  h.ReadTickets();
  void* record = h.RecordOf(WatermarkModule);
  for (int point : points) {
    WatermarkOutputPSCommandFromFilter(h.job(), record, {point, 1}, h.job().out);
  }
  return h.Output();
}

const std::string kProcSet =
    "userdict/qmvInfo 2 dict dup begin\n/qmvpgsave 0 def\n/qmvbp{/qmvpgsave save store} bind def\n";

std::string Block(const std::string& reset, const std::string& body =
                                                "1.00 0.50 0.50 setrgbcolor\n"
                                                "/Helvetica 48 selectfont\n"
                                                "197.50 396.00 moveto\n"
                                                "0 rotate\n"
                                                "(Secret) show\n") {
  return reset + body + "grestore\n";
}

const std::string kResetEp = "pgsave restore /pgsave save store gsave\n";
const std::string kResetEndp = "pm restore /pm save store gsave\n";
const std::string kResetPageSave = "qmvpgsave restore gsave\n";

TEST(WatermarkTicketsTest, EveryRowReadsItsField) {
  const std::string options = WmOptions({
      {"Name", "Mark"},      {"Options", "7"},       {"OnlyFirst", "1"},
      {"Text", "/40/65/41"}, {"Orientation", "2"},   {"PaperHeight", "842"},
      {"PaperWidth", "595"}, {"FilePath", "mark.png"}, {"Type", "0"},
      {"Font", "Times-Bold"}, {"FontSize", "36"},    {"FontType", "3"},
      {"ColorR", "0.25"},    {"ColorG", "0.5"},      {"ColorB", "0.75"},
      {"ColorA", "1"},       {"Angle", "30"},        {"Density", "80"},
      {"Scale", "1.5"},      {"PosHorizontal", "2"}, {"PosVertical", "3"},
      {"Width", "120.5"},    {"Height", "40.25"},    {"hOffset", "-4"},
      {"vOffset", "6"},
  });
  JobHarness h(FullProgram(), ArgsWith(options), "plain.ppd");
  h.ReadTickets();
  const WatermarkOptions& wm = h.Record<WatermarkRecord>(WatermarkModule).psOptionWatermark;
  EXPECT_STREQ(wm.name, "Mark");
  EXPECT_EQ(wm.options, 7);
  EXPECT_EQ(wm.onlyFirst, 1);
  EXPECT_STREQ(wm.text, "(A)");  // a "/"-list of byte values is decoded
  EXPECT_EQ(wm.orientation, 2);
  EXPECT_EQ(wm.paperHeight, 842);
  EXPECT_EQ(wm.paperWidth, 595);
  EXPECT_STREQ(wm.filePath, "mark.png");
  EXPECT_EQ(wm.type, 0);
  EXPECT_STREQ(wm.font, "Times-Bold");
  EXPECT_EQ(wm.fontSize, 36);
  EXPECT_EQ(wm.fontType, 3);
  EXPECT_FLOAT_EQ(wm.colorR, 0.25f);
  EXPECT_FLOAT_EQ(wm.colorG, 0.5f);
  EXPECT_FLOAT_EQ(wm.colorB, 0.75f);
  EXPECT_FLOAT_EQ(wm.colorA, 1.0f);
  EXPECT_EQ(wm.angle, 30);
  EXPECT_EQ(wm.density, 80);
  EXPECT_FLOAT_EQ(wm.scale, 1.5f);
  EXPECT_FLOAT_EQ(wm.posHorizontal, 2.0f);
  EXPECT_FLOAT_EQ(wm.posVertical, 3.0f);
  EXPECT_FLOAT_EQ(wm.width, 120.5f);
  EXPECT_FLOAT_EQ(wm.height, 40.25f);
  EXPECT_FLOAT_EQ(wm.hOffset, -4.0f);
  EXPECT_FLOAT_EQ(wm.vOffset, 6.0f);
}

TEST(WatermarkTicketsTest, AbsentTicketsTakeTheReaderDefaults) {
  JobHarness h(FullProgram(), ArgsWith(""), "plain.ppd");
  h.ReadTickets();
  const WatermarkOptions& wm = h.Record<WatermarkRecord>(WatermarkModule).psOptionWatermark;
  EXPECT_STREQ(wm.name, "");
  EXPECT_STREQ(wm.text, "");
  EXPECT_EQ(wm.type, -1);
  EXPECT_EQ(wm.onlyFirst, -1);
  EXPECT_EQ(wm.angle, -1);
  EXPECT_FLOAT_EQ(wm.width, -1.0f);
  EXPECT_FLOAT_EQ(wm.vOffset, -1.0f);
}

TEST(WatermarkTicketsTest, EachProgramReadsOnlyItsOwnPrefix) {
  const std::string basicOptions =
      WmOptions({{"Name", "Basic"}, {"Type", "0"}}, "com.brantlowe.basicticket.");
  {
    JobHarness h(BasicProgram(), ArgsWith(basicOptions), "plain.ppd");
    h.ReadTickets();
    EXPECT_STREQ(h.Record<WatermarkRecord>(WatermarkModule).psOptionWatermark.name, "Basic");
    EXPECT_EQ(h.Record<WatermarkRecord>(WatermarkModule).psOptionWatermark.type, 0);
  }
  {
    JobHarness h(FullProgram(), ArgsWith(basicOptions), "plain.ppd");
    h.ReadTickets();
    EXPECT_STREQ(h.Record<WatermarkRecord>(WatermarkModule).psOptionWatermark.name, "");
  }
}

// The start point for every whole angle agrees with the direct formula
//   x = cx - (w cos a - h sin a),  y = cy - (w sin a + h cos a).
TEST(WatermarkPositionTest, EveryAngleOfEveryQuadrantAgreesWithTheDirectFormula) {
  for (const char* orientation : {"1", "2", "3", "4"}) {
    const auto settings = With(With(BaseSettings(), "Orientation", orientation), "hOffset", "3");
    JobHarness h(FullProgram(), ArgsWith(WmOptions(With(settings, "vOffset", "-7"))),
                 "plain.ppd");
    h.ReadTickets();
    WatermarkOptions& wm = h.Record<WatermarkRecord>(WatermarkModule).psOptionWatermark;
    const bool landscape = wm.orientation == 2 || wm.orientation == 4;
    const double cx = (landscape ? 842 : 595) / 2.0;
    const double cy = (landscape ? 595 : 842) / 2.0;
    for (int angle = 0; angle <= 360; ++angle) {
      wm.angle = angle;
      float x = 0, y = 0;
      GetWatermarkPosition(wm, &x, &y, wm.hOffset, wm.vOffset);
      const double a = angle * std::numbers::pi / 180;
      EXPECT_NEAR(x, cx - (100 * std::cos(a) - 25 * std::sin(a)) + 3, 1e-3) << angle;
      EXPECT_NEAR(y, cy - (100 * std::sin(a) + 25 * std::cos(a)) - 7, 1e-3) << angle;
    }
  }
}

TEST(WatermarkPositionTest, AnglesOutsideTheCircleAndUnknownOrientations) {
  JobHarness h(FullProgram(), ArgsWith(WmOptions(BaseSettings())), "plain.ppd");
  h.ReadTickets();
  WatermarkOptions& wm = h.Record<WatermarkRecord>(WatermarkModule).psOptionWatermark;
  float x = 0, y = 0;
  for (int angle : {-1, -10, 361, 400, 720}) {
    wm.angle = angle;
    GetWatermarkPosition(wm, &x, &y, 12.5f, -3.0f);
    EXPECT_FLOAT_EQ(x, 12.5f) << angle;
    EXPECT_FLOAT_EQ(y, -3.0f) << angle;
  }
  // Without a known orientation the page centre is the origin; the box still counts.
  wm.angle = 0;
  wm.orientation = 5;
  GetWatermarkPosition(wm, &x, &y, 0, 0);
  EXPECT_FLOAT_EQ(x, -100.0f);
  EXPECT_FLOAT_EQ(y, -25.0f);
}

// Pages that call "bp" before their page setup ends (page procedures): the page-start save after
// the page setup and a drawing block before each page end.
TEST(WatermarkInsertionTest, EveryPageKeepsEveryPointArmed) {
  const std::string out = Insertions(BaseSettings(), {13, 22, 23, 24, 27, 22, 23, 24, 27, 28, 28, 23, 24, 29});
  EXPECT_EQ(out, kProcSet + "qmvbp\n" + Block(kResetEp) + "qmvbp\n" + Block(kResetEp) +
                     Block(kResetEndp) + Block(kResetEndp) + "qmvbp\n" + Block(kResetPageSave));
}

TEST(WatermarkInsertionTest, FirstPageOnlyWritesEachPointOnce) {
  // Every value but 0 means the first page only; absent (-1) too.
  for (const char* onlyFirst : {"1", "2", static_cast<const char*>(nullptr)}) {
    auto settings = BaseSettings();
    if (onlyFirst != nullptr) {
      settings = With(settings, "OnlyFirst", onlyFirst);
    } else {
      std::erase_if(settings, [](const auto& s) { return s.first == "OnlyFirst"; });
    }
    const std::string out =
        Insertions(settings, {13, 13, 23, 24, 29, 23, 24, 29, 27, 27, 28, 28});
    // The first page's save and its drawing at "showpage"; "ep" and "endp" pages each get their
    // first drawing.  A later page closed by "showpage" opened no save, so it restores none.
    EXPECT_EQ(out, kProcSet + "qmvbp\n" + Block(kResetPageSave) + Block(kResetEp) +
                       Block(kResetEndp))
        << (onlyFirst ? onlyFirst : "absent");
  }
}

// The start of the page-end procedures, as the first page without "bp" defines them: the drawing
// procedure holds the job's drawing lines.
const std::string kPageEndProceduresStart =
    "currentglobal true setglobal\n"
    "globaldict/qmvWM 8 dict put\n"
    "qmvWM begin\n"
    "/armed false def\n"
    "/installed false def\n"
    "/draw{qmvWM/armed get{qmvWM/armed false put gsave initgraphics\n"
    "1.00 0.50 0.50 setrgbcolor\n/Helvetica 48 selectfont\n197.50 396.00 moveto\n0 rotate\n"
    "(Secret) show\n"
    "grestore}if}bind def\n";

// Pages without "bp" before their page setup ends (what pstops, ps2write, Poppler and cairo
// write): the first defines the page-end procedures, each arms them; a page that ends with its
// own line disarms them there (a drawing block) or draws through them ("showpage").  No save is
// opened for such a page.
TEST(WatermarkInsertionTest, PagesWithoutBpArmThePageEndProcedure) {
  const std::string out = Insertions(BaseSettings(), {13, 22, 24, 29, 22, 24, 27, 22, 24, 28, 22, 24, 22, 24});
  const std::size_t defined = out.find("qmvWM/page get exec\n");
  ASSERT_NE(defined, std::string::npos);
  const std::string procedures = out.substr(kProcSet.size(), defined - kProcSet.size());
  EXPECT_TRUE(procedures.starts_with(kPageEndProceduresStart)) << procedures;
  EXPECT_NE(procedures.find("/page{"), std::string::npos);
  EXPECT_TRUE(procedures.ends_with("end\nglobaldict/showpage{qmvWM/draw get exec systemdict/showpage get exec}bind put\nsetglobal\n"));
  EXPECT_EQ(out.substr(defined),
            "qmvWM/page get exec\n"
            "qmvWM/draw get exec\n"  // a page closed by "showpage"
            "qmvWM/page get exec\n"
            "qmvWM/armed false put\n" + Block(kResetEp) +  // "ep"
            "qmvWM/page get exec\n"
            "qmvWM/armed false put\n" + Block(kResetEndp) +  // "endp"
            "qmvWM/page get exec\n"                          // pages ended by EndPage
            "qmvWM/page get exec\n");
  EXPECT_EQ(out.find("qmvbp"), out.find("qmvbp{"));  // no page-start save
}

TEST(WatermarkInsertionTest, FirstPageOnlyArmsTheFirstPageWithoutBp) {
  const std::string out =
      Insertions(With(BaseSettings(), "OnlyFirst", "1"), {13, 22, 24, 22, 24, 29, 22, 24, 29});
  const std::size_t armed = out.find("qmvWM/page get exec\n");
  ASSERT_NE(armed, std::string::npos);
  EXPECT_EQ(out.substr(armed), "qmvWM/page get exec\n");  // nothing after the first page
}

// A "bp" after the page setup ended (pstops writes its own empty page setup first, or the job
// saves after it) does not make a page-procedure page; "bp" before it on the next page does.
TEST(WatermarkInsertionTest, OnlyBpBeforeThePageSetupEndsCounts) {
  const std::string out = Insertions(BaseSettings(), {13, 22, 24, 23, 27, 22, 23, 24, 27});
  const std::size_t first = out.find("qmvWM/page get exec\nqmvWM/armed false put\n" + Block(kResetEp));
  EXPECT_NE(first, std::string::npos) << out;
  EXPECT_TRUE(out.ends_with(Block(kResetEp) + "qmvbp\n" + Block(kResetEp))) << out;
}

TEST(WatermarkInsertionTest, OtherPointsWriteNothing) {
  EXPECT_EQ(Insertions(BaseSettings(), {0, 14, 16, 21, 23, 30, -1}), "");
}

TEST(WatermarkInsertionTest, NothingWithoutATextTypeAndAName) {
  EXPECT_EQ(Insertions(With(BaseSettings(), "Type", "1"), {13, 24, 27, 28}), "");
  EXPECT_EQ(Insertions(With(BaseSettings(), "Name", "''"), {13, 24, 27, 28}), "");
  auto untyped = BaseSettings();
  std::erase_if(untyped, [](const auto& s) { return s.first == "Type"; });
  EXPECT_EQ(Insertions(untyped, {13, 24, 27, 28}), "");
}

TEST(WatermarkInsertionTest, ColourWithDensity) {
  struct Case {
    const char* r;
    const char* g;
    const char* b;
    const char* density;
    std::string line;
  };
  const Case cases[] = {
      {"1", "0", "0", "50", "1.00 0.50 0.50 setrgbcolor\n"},
      {"0.2", "0.4", "0.6", "100", "0.20 0.40 0.60 setrgbcolor\n"},  // the colour itself
      {"0.2", "0.4", "0.6", "0", "1.00 1.00 1.00 setrgbcolor\n"},    // white
      {"0", "0", "0", "25", "0.75 0.75 0.75 setrgbcolor\n"},
      {"nan", "inf", "0", "100", "0.00 0.00 0.00 setrgbcolor\n"},    // never a non-number
  };
  for (const Case& c : cases) {
    auto settings = With(With(With(BaseSettings(), "ColorR", c.r), "ColorG", c.g), "ColorB", c.b);
    const std::string out = Insertions(With(settings, "Density", c.density), {27});
    EXPECT_NE(out.find("gsave\n" + c.line + "/Helvetica"), std::string::npos) << out;
  }
}

// The show line for a text ticket.  The text ticket is a "/"-list of byte values when it must
// carry bytes the option syntax cannot.
std::string ShowLine(const std::string& textTicket, const std::string& ppd = "plain.ppd") {
  const std::string out = Insertions(With(BaseSettings(), "Text", textTicket), {27}, ppd);
  const std::size_t rotate = out.find(" rotate\n");
  const std::size_t end = out.rfind("grestore\n");
  if (rotate == std::string::npos || end == std::string::npos) return "<no block>";
  return out.substr(rotate + 8, end - rotate - 8);
}

std::string ByteList(const std::string& text) {
  std::string list;
  for (unsigned char c : text) {
    list += '/';
    list += std::to_string(c);
  }
  return list;
}

TEST(WatermarkTextTest, StringOperandsComeOutUnchanged) {
  EXPECT_EQ(ShowLine("(Secret)"), "(Secret) show\n");
  EXPECT_EQ(ShowLine("<53656372>"), "<53656372> show\n");
  EXPECT_EQ(ShowLine(ByteList("(100% sure)")), "(100% sure) show\n");
  EXPECT_EQ(ShowLine(ByteList("(%%d %s)")), "(%%d %s) show\n");
}

// A text that opens a string but does not close it exactly at its end (a long operand cut by its
// 256-byte field, a text with more after its string) is written as a literal string: as it
// stands, the string would stay open and swallow the rest of the job.
TEST(WatermarkTextTest, CutStringOperandIsWrittenAsAClosedLiteralString) {
  const std::string longText = "(" + std::string(300, 'A') + ")";
  EXPECT_EQ(ShowLine(longText), "(\\(" + std::string(254, 'A') + ") show\n");
  EXPECT_EQ(ShowLine(ByteList("(a)(b)")), "(\\(a\\)\\(b\\)) show\n");
  EXPECT_EQ(ShowLine(ByteList("(x) show erasepage (y")), "(\\(x\\) show erasepage \\(y) show\n");
  EXPECT_EQ(ShowLine(ByteList("(open")), "(\\(open) show\n");
  EXPECT_EQ(ShowLine(ByteList("(ends in escape\\)")), "(\\(ends in escape\\\\\\)) show\n");
  EXPECT_EQ(ShowLine(ByteList("<4142 zz>")), "(<4142 zz>) show\n");
  // Whole operands, nested and escaped parentheses included, still go out unchanged.
  EXPECT_EQ(ShowLine(ByteList("(a (nested) \\) b)")), "(a (nested) \\) b) show\n");
  EXPECT_EQ(ShowLine(ByteList("<41 42\n43>")), "<41 42\n43> show\n");
}

TEST(WatermarkTextTest, PlainTextBecomesALiteralString) {
  EXPECT_EQ(ShowLine("Secret"), "(Secret) show\n");
  EXPECT_EQ(ShowLine(ByteList("50% off")), "(50% off) show\n");
  EXPECT_EQ(ShowLine(ByteList("a)b(c\\d")), "(a\\)b\\(c\\\\d) show\n");
  // Line ends and other control bytes stay inside the line, as octal escapes.
  EXPECT_EQ(ShowLine(ByteList("one\ntwo\r\tx")), "(one\\012two\\015\\011x) show\n");
  // An empty text draws nothing instead of failing the page.
  EXPECT_EQ(ShowLine("''"), "() show\n");
}

TEST(WatermarkTextTest, ShiftJisTextKeepsItsBytesAndEscapesItsBackslashBytes) {
  // U+8868 is 0x95 0x5C in Shift-JIS (checked with: printf '\xe8\xa1\xa8' | iconv -f UTF-8 -t
  // SHIFT_JISX0213 | od -An -tx1): its second byte is a backslash and must be escaped.
  EXPECT_EQ(ShowLine("\xe8\xa1\xa8"), "(\x95\\\\) show\n");
}

// Many common kanji end in the byte 0x5C in Shift-JIS (iconv -t SHIFT_JISX0213: 表 95 5C,
// ソ 83 5C, 十 8F 5C, 申 90 5C, 能 94 5C, 予 97 5C; 示 8E A6).  The interpreter reads a string by
// bytes, so that byte is escaped in every string the filter writes, and a text that is already a
// string operand is told by its characters: the 0x5C of a character is no escape.  The text is
// Shift-JIS on a UTF-8 printer too.
TEST(WatermarkTextTest, ShiftJisCharactersEndingInBackslashKeepTheirStringWhole) {
  struct Case {
    std::string text;  // the ticket, as a byte list of its UTF-8 text
    std::string show;
  };
  const Case cases[] = {
      // Operands: written as they stand, the 0x5C of each character doubled.
      {"(表示)", "(\x95\\\\\x8e\xa6) show\n"},
      {"(表)", "(\x95\\\\) show\n"},  // a closed operand: its 0x5C is no escape
      {"(ソ十申能予)", "(\x83\\\\\x8f\\\\\x90\\\\\x94\\\\\x97\\\\) show\n"},
      {"(表\\))", "(\x95\\\\\\)) show\n"},  // the user's own escape after the character stays
      {"(a(表)b)", "(a(\x95\\\\)b) show\n"},
      // Not operands: literal strings, by characters.
      {"表示", "(\x95\\\\\x8e\xa6) show\n"},
      {"(表)x", "(\\(\x95\\\\\\)x) show\n"},
      {"(表", "(\\(\x95\\\\) show\n"},
  };
  for (const char* ppd : {"plain.ppd", "utf8.ppd"}) {
    for (const Case& c : cases) {
      EXPECT_EQ(ShowLine(ByteList(c.text), ppd), c.show) << c.text << " on " << ppd;
    }
  }
}

std::string FontLine(const std::string& fontTicket, const std::string& ppd = "plain.ppd") {
  const std::string out = Insertions(With(BaseSettings(), "Font", fontTicket), {27}, ppd);
  const std::size_t start = out.find("setrgbcolor\n");
  const std::size_t end = out.find(" moveto\n");
  if (start == std::string::npos || end == std::string::npos) return "<no block>";
  const std::string between = out.substr(start + 12, end - start - 12);
  return between.substr(0, between.rfind('\n') + 1);
}

// The drawing lines are formatted once per job and written on every page that draws: the
// longest text and font name, every byte of them escaped, come out whole and the same on each page.
TEST(WatermarkDrawingLinesTest, LongestEscapedTextAndFontAreTheSameOnEveryPage) {
  const auto settings = With(With(BaseSettings(), "Text", ByteList(std::string(255, '\x01'))),
                             "Font", std::string(255, '('));
  std::string text, font;
  for (int i = 0; i < 255; ++i) {
    text += "\\001";
    font += "\\(";
  }
  const std::string body = "1.00 0.50 0.50 setrgbcolor\n(" + font + ") cvn 48 selectfont\n" +
                           "197.50 396.00 moveto\n0 rotate\n(" + text + ") show\n";
  EXPECT_EQ(Insertions(settings, {13, 23, 24, 27, 23, 24, 28, 23, 24, 29}),
            kProcSet + "qmvbp\n" + Block(kResetEp, body) + "qmvbp\n" + Block(kResetEndp, body) +
                "qmvbp\n" + Block(kResetPageSave, body));
}

TEST(WatermarkFontTest, PlainNamesAreNameLiteralsOthersAreConvertedStrings) {
  EXPECT_EQ(FontLine("Helvetica-Bold"), "/Helvetica-Bold 48 selectfont\n");
  EXPECT_EQ(FontLine("''"), "/ 48 selectfont\n");
  EXPECT_EQ(FontLine("'Times Roman'"), "(Times Roman) cvn 48 selectfont\n");
  EXPECT_EQ(FontLine("'50%Font'"), "(50%Font) cvn 48 selectfont\n");
  EXPECT_EQ(FontLine("/Courier"), "(/Courier) cvn 48 selectfont\n");
  EXPECT_EQ(FontLine("'A(b)'"), "(A\\(b\\)) cvn 48 selectfont\n");
}

TEST(WatermarkFontTest, ShiftJisFontNamesKeepTheirCharacters) {
  for (const char* ppd : {"plain.ppd", "utf8.ppd"}) {
    // A name literal is read up to a delimiter byte; 0x5C is none.
    EXPECT_EQ(FontLine("表", ppd), "/\x95\\ 48 selectfont\n") << ppd;
    // A name that needs the string form: its 0x5C bytes are escaped, a second byte "{" (ボ: 83 7B)
    // is no delimiter inside a string.
    EXPECT_EQ(FontLine("'表 A'", ppd), "(\x95\\\\ A) cvn 48 selectfont\n") << ppd;
    EXPECT_EQ(FontLine("ボ表", ppd), "(\x83{\x95\\\\) cvn 48 selectfont\n") << ppd;
  }
}

}  // namespace
}  // namespace tf::test
