// Watermark: a text drawn on the pages by PostScript inserted at page boundaries.
//
// After "%%BeginProlog" a small procedure set defines a page-start save (qmvbp).  Where the job
// draws its pages with page procedures ("bp" at the start of a page, before its page setup ends;
// "ep" or "endp" at its end), the page calls qmvbp after its "%%EndPageSetup", and before the
// page-end procedure a drawing block resets the graphics state, sets the colour and the font,
// moves to the start point of the text box, rotates and shows the text.
//
// Every other page (what CUPS's pstops, Ghostscript's ps2write, Poppler and cairo write) draws the
// watermark through the page-end procedures of qmvWM, defined once per job in global VM (so that
// no save and restore of the job takes them away) by the first such page: "page", called after
// the page's "%%EndPageSetup", arms the page and installs an EndPage procedure, which PostScript
// runs at the end of every page whatever ends it, chained to the EndPage the job has; "draw" shows
// the watermark in the page's default coordinate system when the page is armed, and disarms it.
// A page that ends with its own line ("showpage", "ep", "endp") draws there and disarms, so that
// nothing draws twice.  Such a page opens no save, so every page ends at the save level it began
// with.
//
// Each insertion has a once-flag, so that a job may have the watermark on its first page only.
#include "modules/watermark/watermark.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string_view>

#include "engine/job.h"
#include "engine/output_channel.h"
#include "engine/ticket.h"

namespace tf {
namespace {

// The watermark settings, in record order.  Every key is the program's ticket-key prefix followed
// by the name below.
constexpr TicketDataEntry WatermarkticketData[] = {
    {"WMARKNameTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, name), GetTicketString},
    {"WMARKOptionsTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, options),
     GetTicketInteger},
    {"WMARKOnlyFirstTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, onlyFirst),
     GetTicketInteger},
    {"WMARKTextTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, text),
     GetTicketStringConvertedToPrtLang},
    {"WMARKOrientationTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, orientation),
     GetTicketInteger},
    {"WMARKPaperHeightTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, paperHeight),
     GetTicketInteger},
    {"WMARKPaperWidthTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, paperWidth),
     GetTicketInteger},
    {"WMARKFilePathTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, filePath),
     GetTicketStringConvertedToPrtLang},
    {"WMARKTypeTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, type), GetTicketInteger},
    {"WMARKFontTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, font), GetTicketString},
    {"WMARKFontSizeTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, fontSize),
     GetTicketInteger},
    {"WMARKFontTypeTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, fontType),
     GetTicketInteger},
    {"WMARKColorRTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, colorR), GetTicketFloat},
    {"WMARKColorGTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, colorG), GetTicketFloat},
    {"WMARKColorBTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, colorB), GetTicketFloat},
    {"WMARKColorATicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, colorA), GetTicketFloat},
    {"WMARKAngleTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, angle), GetTicketInteger},
    {"WMARKDensityTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, density),
     GetTicketInteger},
    {"WMARKScaleTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, scale), GetTicketFloat},
    {"WMARKPosHorizontalTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, posHorizontal),
     GetTicketFloat},
    {"WMARKPosVerticalTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, posVertical),
     GetTicketFloat},
    {"WMARKWidthTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, width), GetTicketFloat},
    {"WMARKHeightTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, height), GetTicketFloat},
    {"WMARKhOffsetTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, hOffset), GetTicketFloat},
    {"WMARKvOffsetTicket", KeyKind::Prefixed, TF_RECORD(WatermarkOptions, vOffset), GetTicketFloat},
};
static_assert(std::size(WatermarkticketData) == 25);

// The page reset line that opens the drawing block at each page-end point.
constexpr char kResetEndPage[] = "pgsave restore /pgsave save store gsave\n";           // "ep"
constexpr char kResetEndPageP[] = "pm restore /pm save store gsave\n";                  // "endp"
// Point 29 ends a page that "showpage" closes: nothing restores a save made there after the
// page, so the block restores the page-start save of "qmvbp" without making a new one, and every
// page leaves the save level as it found it (a new save per page would pile up to the
// interpreter's save-level limit on a long job).
constexpr char kResetPageSave[] = "qmvpgsave restore gsave\n";  // 29

// The page-end procedures of pages without page procedures, defined by the first such page, in
// global VM.  Between the two halves go the drawing lines of the job (colour, font, start point,
// angle, text), drawn in the default coordinate system of the page.  "page" installs EndPage once
// per job, at the first page setup that left the default coordinate system (setpagedevice resets
// the graphics state, so it must not undo a page setup; and on a duplex printer a later call could
// start a new sheet), chained to the job's own EndPage; a page whose setup saved the state or moved
// the coordinate system is still drawn when it calls showpage by name after restoring, through
// the globaldict showpage.
constexpr char kPageEndProcsHead[] =
    "currentglobal true setglobal\n"
    "globaldict/qmvWM 8 dict put\n"
    "qmvWM begin\n"
    "/armed false def\n"
    "/installed false def\n"
    "/draw{qmvWM/armed get{qmvWM/armed false put gsave initgraphics\n";
constexpr char kPageEndProcsTail[] =
    "grestore}if}bind def\n"
    "/sameM{true 0 1 5{3 index 1 index get 3 index 2 index get sub abs 0.0001 lt exch pop and}"
    "for 3 1 roll pop pop}bind def\n"
    "/page{qmvWM/installed get not{matrix currentmatrix matrix defaultmatrix qmvWM/sameM get exec{\n"
    "currentglobal false setglobal\n"
    "[/dup cvx 2/ne cvx{qmvWM/draw get exec}/if cvx currentpagedevice/EndPage get/exec cvx]cvx\n"
    "1 dict dup/EndPage 4 -1 roll put systemdict/setpagedevice get exec\n"
    "setglobal qmvWM/installed true put}if}if qmvWM/armed true put}bind def\n"
    "end\n"
    "globaldict/showpage{qmvWM/draw get exec systemdict/showpage get exec}bind put\n"
    "setglobal\n";
constexpr char kPageEndArm[] = "qmvWM/page get exec\n";       // after the page's page setup
constexpr char kPageEndDraw[] = "qmvWM/draw get exec\n";      // before a closing "showpage"
constexpr char kPageEndDisarm[] = "qmvWM/armed false put\n";  // before a drawing block

constexpr double kPi = 3.1415926;
constexpr double kHalfPi = 1.5707963;
constexpr double kThreeHalvesPi = 4.7123889;

// A text watermark is drawn only when its type is 0 and it has a name.
bool WatermarkIsOn(const WatermarkOptions& wm) { return wm.type == 0 && wm.name[0] != '\0'; }

// A real operand: "%.2f" of the value.  A value that is not a finite number (a ticket such as
// "nan" or "inf") would be an undefined name for the printer and fail the job; it is written as 0.
float FiniteOrZero(float value) { return std::isfinite(value) ? value : 0.0f; }

// The text and the font name are Shift-JIS on every printer: the table reads both with the
// byte-mode conversion, whatever the printer's mode, and the strings below are written by
// Shift-JIS characters.
constexpr bool ReadAsShiftJis(std::string_view key) {
  for (const TicketDataEntry& row : WatermarkticketData) {
    if (std::string_view(row.key) == key) return row.reader.stores == StoredValue::ShiftJISText;
  }
  return false;
}
static_assert(ReadAsShiftJis("WMARKTextTicket") && ReadAsShiftJis("WMARKFontTicket"),
              "the watermark's strings are written by Shift-JIS characters");

// Width of the Shift-JIS character at `at`: 2 for a lead byte (0x81-0x9F, 0xE0-0xFC) followed by a
// trail byte (0x40-0x7E, 0x80-0xFC), else 1.  A trail byte is never a parenthesis or a control
// byte, but it may be 0x5C, which the interpreter, reading bytes, takes for a backslash.
std::size_t ShiftJisCharWidth(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const bool isLead = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
  if (!isLead || at + 1 >= text.size()) return 1;
  const auto trail = static_cast<unsigned char>(text[at + 1]);
  return (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC) ? 2 : 1;
}

// Writes `text` (Shift-JIS) as the body of a PostScript literal string: parentheses and
// backslashes escaped, control bytes as octal escapes, so the string keeps its characters and its
// line stays one line.  The walk goes by characters; of a two-byte character only a second byte
// 0x5C needs its escape.
template <class Out>
void WriteLiteralStringBody(const char* text, Out& stream) {
  const std::string_view body(text);
  std::size_t run = 0;
  for (std::size_t at = 0; at < body.size();) {
    const std::size_t width = ShiftJisCharWidth(body, at);
    const std::size_t last = at + width - 1;  // the byte that may need an escape
    const unsigned char c = static_cast<unsigned char>(body[last]);
    const bool special = c == '\\' || (width == 1 && (c == '(' || c == ')'));
    const bool control = width == 1 && (c < 0x20 || c == 0x7F);
    at += width;
    if (!special && !control) continue;
    stream.Write(body.data() + run, last - run);
    if (special) {
      const char escaped[2] = {'\\', static_cast<char>(c)};
      stream.Write(escaped, 2);
    } else {
      char octal[8];
      std::snprintf(octal, sizeof(octal), "\\%03o", c);
      stream.Write(octal, 4);
    }
    run = at;
  }
  stream.Write(body.data() + run, body.size() - run);
}

// True when every byte of `name` may stand in a PostScript name literal "/name": no white space,
// no control byte, no delimiter.  The test goes by bytes, as the interpreter's scanner does: a
// two-byte character whose second byte is a delimiter cannot stand in a name literal either.
bool IsPlainPostScriptName(const char* name) {
  for (const char* p = name; *p != '\0'; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c <= 0x20 || c == 0x7F || std::strchr("()<>[]{}/%", c) != nullptr) return false;
  }
  return true;
}

// "/<font> <size> selectfont".  A font name that cannot stand in a name literal (a blank, a
// slash, a percent sign, a line end ...) is written as a string turned into a name, so that the
// printer still receives the name unchanged and the line stays one line.
template <class Out>
void WriteSelectFont(const WatermarkOptions& wm, Out& stream) {
  char size[32];
  std::snprintf(size, sizeof(size), " %d selectfont\n", wm.fontSize);
  if (IsPlainPostScriptName(wm.font)) {
    stream.Write("/");
    stream.Write(wm.font);
  } else {
    stream.Write("(");
    WriteLiteralStringBody(wm.font, stream);
    stream.Write(") cvn");
  }
  stream.Write(size);
}

// True when `text` is exactly one PostScript string operand: a literal string whose parentheses
// balance (a backslash escapes the character after it) and close at its last byte, or a
// hexadecimal string of hex digits and white space.  A literal string is read by Shift-JIS
// characters: a second byte 0x5C is part of its character, not an escape.  A string cut short by
// its 256-byte field, or followed by more text, is not one: written as it stands it would leave
// the string open, and the rest of the job would be read as its characters.
bool IsStringOperand(std::string_view text) {
  if (text.size() >= 2 && text.front() == '(') {
    int depth = 0;
    std::size_t at = 0;
    while (at < text.size()) {
      const std::size_t width = ShiftJisCharWidth(text, at);
      const char c = text[at];
      at += width;
      if (width == 2) continue;
      if (c == '\\') {
        if (at < text.size()) at += ShiftJisCharWidth(text, at);  // the escaped character
      } else if (c == '(') {
        ++depth;
      } else if (c == ')' && --depth == 0) {
        return at == text.size();
      }
    }
    return false;
  }
  if (text.size() >= 2 && text.front() == '<' && text.back() == '>') {
    for (char c : text.substr(1, text.size() - 2)) {
      const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
      if (!std::isxdigit(static_cast<unsigned char>(c)) && !blank) return false;
    }
    return true;
  }
  return false;
}

// Writes a string operand as it stands, except that the second byte 0x5C of a two-byte character
// is doubled: the interpreter reads bytes and would take it for an escape.
template <class Out>
void WriteStringOperand(std::string_view text, Out& stream) {
  std::size_t run = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t width = ShiftJisCharWidth(text, at);
    at += width;
    if (width == 2 && text[at - 1] == '\\') {
      stream.Write(text.data() + run, at - run);
      stream.Write("\\", 1);
      run = at;
    }
  }
  stream.Write(text.data() + run, text.size() - run);
}

// "<text> show".  A text that is already a string operand ("(...)" or "<...>") goes out as it
// stands, but for the escapes its two-byte characters need; any other text is written as a
// literal string.
template <class Out>
void WriteShow(const WatermarkOptions& wm, Out& stream) {
  if (IsStringOperand(wm.text)) {
    WriteStringOperand(wm.text, stream);
  } else {
    stream.Write("(");
    WriteLiteralStringBody(wm.text, stream);
    stream.Write(")");
  }
  stream.Write(" show\n");
}

// The colour component `c` lightened by the density: 1 - (1 - c) * (density / 100).
float WithDensity(float c, std::int32_t density) {
  return 1.0f - (1.0f - c) * (static_cast<float>(density) / 100.0f);
}

// The drawing lines: colour, font, start point, angle and text.
template <class Out>
void FormatDrawingLines(const WatermarkOptions& wm, Out& stream) {
  char line[256];
  std::snprintf(line, sizeof(line), "%.2f%c%.2f%c%.2f setrgbcolor\n",
                FiniteOrZero(WithDensity(wm.colorR, wm.density)), ' ',
                FiniteOrZero(WithDensity(wm.colorG, wm.density)), ' ',
                FiniteOrZero(WithDensity(wm.colorB, wm.density)));
  stream.Write(line);

  WriteSelectFont(wm, stream);

  float x = 0, y = 0;
  GetWatermarkPosition(wm, &x, &y, wm.hOffset, wm.vOffset);
  std::snprintf(line, sizeof(line), "%.2f%c%.2f moveto\n", FiniteOrZero(x), ' ',
                FiniteOrZero(y));
  stream.Write(line);

  std::snprintf(line, sizeof(line), "%d rotate\n", wm.angle);
  stream.Write(line);

  WriteShow(wm, stream);
}

// Collects formatted text in a fixed buffer; `overflow` when it did not fit.
class FixedTextSink {
 public:
  FixedTextSink(char* data, std::size_t capacity) : data_(data), capacity_(capacity) {}
  void Write(const void* data, std::size_t size) {
    if (overflow || size > capacity_ - size_) {
      overflow = true;
      return;
    }
    std::memcpy(data_ + size_, data, size);
    size_ += size;
  }
  void Write(std::string_view text) { Write(text.data(), text.size()); }
  std::size_t size() const { return size_; }
  bool overflow = false;

 private:
  char* data_;
  std::size_t capacity_;
  std::size_t size_ = 0;
};

// The drawing lines of the job, formatted once and then copied on every page that draws.
void WriteDrawingLines(WatermarkRecord& record, PrinterStream& stream) {
  WatermarkDrawingLines& drawing = record.drawing;
  if (drawing.size == 0) {
    FixedTextSink sink(drawing.text, sizeof(drawing.text));
    FormatDrawingLines(record.psOptionWatermark, sink);
    if (sink.overflow) {  // cannot happen with the fields' sizes; the lines are then made anew
      FormatDrawingLines(record.psOptionWatermark, stream);
      return;
    }
    drawing.size = static_cast<std::uint32_t>(sink.size());
  }
  stream.Write(drawing.text, drawing.size);
}

void WriteDrawingBlock(WatermarkRecord& record, const char* resetLine, PrinterStream& stream) {
  stream.Write(resetLine);
  WriteDrawingLines(record, stream);
  stream.Write("grestore\n");
}

void WritePageEndProcedures(WatermarkRecord& record, PrinterStream& stream) {
  stream.Write(kPageEndProcsHead);
  WriteDrawingLines(record, stream);
  stream.Write(kPageEndProcsTail);
}

// After writing at a point: the flag stays armed for every page, or is cleared for the first
// page only (any value of "WMARKOnlyFirstTicket" but 0, absent included).
void UpdateOnceFlag(const WatermarkOptions& wm, std::int32_t* flag) {
  *flag = wm.onlyFirst == 0 ? 1 : 0;
}

// A page has ended: the next page starts without "bp" and without page setup.
void EndOfPage(WatermarkPageFlow& flow) {
  flow.bpBeforeSetup = 0;
  flow.setupEnded = 0;
  flow.pageEndArmed = 0;
  flow.pageSaveOpen = 0;
}

// The drawing routine: writes the insertion of `point` while its once-flag is armed.
void InjectTextWatermark(WatermarkRecord& record, int point, PrinterStream& stream) {
  const WatermarkOptions& wm = record.psOptionWatermark;
  WatermarkOnceFlags& once = record.once;
  WatermarkPageFlow& flow = record.flow;
  switch (point) {
    case kPointBeginProlog:
      if (once.bToPrint != 1) return;
      stream.Write("userdict/qmvInfo 2 dict dup begin\n");
      stream.Write("/qmvpgsave 0 def\n");
      stream.Write("/qmvbp{/qmvpgsave save store} bind def\n");
      UpdateOnceFlag(wm, &once.bToPrint);
      return;
    case kPointPageBegin:
      EndOfPage(flow);
      return;
    case kPointBeginPage:
      if (flow.setupEnded == 0) flow.bpBeforeSetup = 1;
      return;
    case kPointEndPageSetup:
      flow.setupEnded = 1;
      if (once.bToPrint3 != 1) return;
      if (flow.bpBeforeSetup == 1) {
        stream.Write("qmvbp\n");
        flow.pageSaveOpen = 1;
      } else {
        if (flow.pageEndDefined == 0) {
          WritePageEndProcedures(record, stream);
          flow.pageEndDefined = 1;
        }
        stream.Write(kPageEndArm);
        flow.pageEndArmed = 1;
      }
      UpdateOnceFlag(wm, &once.bToPrint3);
      return;
    case kPointEndPage:
      if (once.bToPrint13 == 1) {
        if (flow.pageEndArmed == 1) stream.Write(kPageEndDisarm);
        WriteDrawingBlock(record, kResetEndPage, stream);
        UpdateOnceFlag(wm, &once.bToPrint13);
      }
      EndOfPage(flow);
      return;
    case kPointEndPageP:
      if (once.bToPrint15 == 1) {
        if (flow.pageEndArmed == 1) stream.Write(kPageEndDisarm);
        WriteDrawingBlock(record, kResetEndPageP, stream);
        UpdateOnceFlag(wm, &once.bToPrint15);
      }
      EndOfPage(flow);
      return;
    case kPointPageSave:
      // The block restores the page-start save: only a page that opened it has one.
      if (once.bToPrint17 == 1 && (flow.pageEndArmed == 1 || flow.pageSaveOpen == 1)) {
        if (flow.pageEndArmed == 1) {
          stream.Write(kPageEndDraw);
        } else {
          WriteDrawingBlock(record, kResetPageSave, stream);
        }
        UpdateOnceFlag(wm, &once.bToPrint17);
      }
      EndOfPage(flow);
      return;
    default:
      return;
  }
}

constexpr std::span<const TicketDataEntry> kTicketTables[] = {WatermarkticketData};

}  // namespace

const ModuleDescriptor WatermarkModule{
    .name = "watermark",
    .record = RecordTypeOf<WatermarkRecord>(),
    .ticketTables = kTicketTables,
    .prepare = WatermarkInitializeOnceFlags,
    .readTickets = WatermarkGetTicketFromPDE,
    .insertPostScript = WatermarkOutputPSCommandFromFilter,
};

void WatermarkInitializeOnceFlags(Job&, void* record) {
  static_cast<WatermarkRecord*>(record)->once = WatermarkOnceFlags{1, 1, 1, 1, 1};
}

void WatermarkGetTicketFromPDE(Job& job, void* record) {
  GetTicketFromArray(job, record, WatermarkticketData);
}

void WatermarkOutputPSCommandFromFilter(Job&, void* record, const PsInsertion& at,
                                        PrinterStream& stream) {
  WatermarkRecord& watermark = *static_cast<WatermarkRecord*>(record);
  if (!WatermarkIsOn(watermark.psOptionWatermark)) return;
  InjectTextWatermark(watermark, at.point, stream);
}

void GetWatermarkPosition(const WatermarkOptions& wm, float* x, float* y, float hOffset,
                          float vOffset) {
  // Page centre: portrait orientations (1, 3) take the paper as it stands, landscape (2, 4)
  // exchange width and height.
  float cx = 0, cy = 0;
  if (wm.orientation == 1 || wm.orientation == 3) {
    cx = static_cast<float>(wm.paperWidth) / 2;
    cy = static_cast<float>(wm.paperHeight) / 2;
  } else if (wm.orientation == 2 || wm.orientation == 4) {
    cx = static_cast<float>(wm.paperHeight) / 2;
    cy = static_cast<float>(wm.paperWidth) / 2;
  }

  // The start point puts the centre of the rotated box on the page centre:
  //   x = cx - (w cos a - h sin a),  y = cy - (w sin a + h cos a)
  // computed per quadrant on the angle reduced to 0..90 degrees.  Each correction term is rounded
  // to single precision before it is applied to the centre.
  const double w = static_cast<double>(wm.width) / 2;
  const double h = static_cast<double>(wm.height) / 2;
  const std::int32_t a = wm.angle;
  const double radians = a * kPi / 180;
  auto term = [](double value) { return static_cast<float>(value); };

  float px = 0, py = 0;
  if (a >= 0 && a <= 90) {
    const double s = std::sin(radians), c = std::cos(radians);
    px = cx - term(w * c) + term(h * s);
    py = cy - term(w * s) - term(h * c);
  } else if (a >= 91 && a <= 180) {
    const double b = radians - kHalfPi;
    const double s = std::sin(b), c = std::cos(b);
    px = cx + term(w * s) + term(h * c);
    py = cy - term(w * c) + term(h * s);
  } else if (a >= 181 && a <= 270) {
    const double b = radians - kPi;
    const double s = std::sin(b), c = std::cos(b);
    px = cx + term(w * c) - term(h * s);
    py = cy + term(w * s) + term(h * c);
  } else if (a >= 271 && a <= 360) {
    const double b = radians - kThreeHalvesPi;
    const double s = std::sin(b), c = std::cos(b);
    px = cx - term(w * s) - term(h * c);
    py = cy + term(w * c) - term(h * s);
  }
  // An angle below 0 or above 360 leaves the start point at the origin.

  *x = px + hOffset;
  *y = py + vOffset;
}

std::span<const TicketDataEntry> WatermarkTicketTable() { return WatermarkticketData; }

}  // namespace tf
