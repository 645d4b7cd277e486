// Job-information comment: the record of the values that describe the job (read at ticket time),
// the PJL comment lines written from it, and the line-weight and render-mode lines of the header,
// which read the same record.  The envelope writes the version and end lines around the comment
// lines; the booklet lines read the record's N-up, orientation, signature and signature volume
// (CommentRecordForBooklet).
#include "modules/comment/comment.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>

#include "engine/format.h"
#include "engine/job.h"
#include "engine/job_options.h"
#include "engine/output_channel.h"
#include "engine/pjl_line.h"
#include "engine/ppd_keys.h"
#include "engine/ticket.h"
#include "platform/decimal.h"
#include "platform/text_conversion.h"

namespace tf {

// Option names read by the comment (standard options and PPD keywords: no ticket-key prefix).
constexpr char kCommentSidesKey[] = "sides";
constexpr char kCommentColorModeKey[] = "QMColorMode";
constexpr char kCommentNumberUpKey[] = "number-up";
constexpr char kCommentStapleKey[] = "QMStaple";
constexpr char kCommentPunchKey[] = "QMPunch";
constexpr char kCommentNumPunchHolesKey[] = "QMNumPunchHoles";
constexpr char kCommentSignatureKey[] = "QMSignature";
constexpr char kCommentSigVolKey[] = "QMSigVol";
constexpr char kCommentLineWeightKey[] = "QMLineWeightAdjustment";
constexpr char kCommentBindingEdgeKey[] = "DuplexBindingEdge..n.";
constexpr char kCommentCopiesKey[] = "com.apple.print.PrintSettings.PMCopies..n.";
constexpr char kCommentOrientationKey[] = "orientation-requested";
constexpr char kCommentLayoutDirectionKey[] = "com.apple.print.PrintSettings.PMLayoutDirection..n.";
constexpr char kLayoutRowsKey[] = "com.apple.print.PrintSettings.PMLayoutRows..n.";
constexpr char kLayoutColumnsKey[] = "com.apple.print.PrintSettings.PMLayoutColumns..n.";
constexpr char kCollateKey[] = "collate";
constexpr char kDocumentHandlingKey[] = "multiple-document-handling";

constexpr TicketDataEntry CommentticketData[] = {
    {kCommentSidesKey, KeyKind::Plain, TF_RECORD(CommentOptions, sides),
     GetTicketStringConvertedToPrtLang},
    {kCommentColorModeKey, KeyKind::Plain, TF_RECORD(CommentOptions, colorMode),
     GetTicketStringConvertedToPrtLang},
    {kCommentNumberUpKey, KeyKind::Plain, TF_RECORD(CommentOptions, numberUp),
     GetNumberUpTicketStringForComment},
    {kCommentStapleKey, KeyKind::Plain, TF_RECORD(CommentOptions, staple),
     GetTicketStringConvertedToPrtLang},
    {kCommentPunchKey, KeyKind::Plain, TF_RECORD(CommentOptions, punch),
     GetTicketStringConvertedToPrtLang},
    {kCommentNumPunchHolesKey, KeyKind::Plain, TF_RECORD(CommentOptions, numPunchHoles),
     GetTicketStringConvertedToPrtLang},
    {kCommentSignatureKey, KeyKind::Plain, TF_RECORD(CommentOptions, signature),
     GetTicketStringConvertedToPrtLang},
    {kCommentSigVolKey, KeyKind::Plain, TF_RECORD(CommentOptions, sigVol),
     GetTicketStringConvertedToPrtLang},
    {kCommentLineWeightKey, KeyKind::Plain, TF_RECORD(CommentOptions, lineWeightAdjustment),
     GetTicketStringConvertedToPrtLang},
    {kCommentBindingEdgeKey, KeyKind::Plain, TF_RECORD(CommentOptions, duplexBindingEdge),
     GetTicketInteger},
    {kCommentCopiesKey, KeyKind::Plain, TF_RECORD(CommentOptions, copies), GetTicketInteger},
    {kCommentOrientationKey, KeyKind::Plain, TF_RECORD(CommentOptions, orientation),
     GetTicketInteger},
    {kCommentLayoutDirectionKey, KeyKind::Plain, TF_RECORD(CommentOptions, layoutDirection),
     GetTicketInteger},
};
static_assert(std::size(CommentticketData) == 13);

// The advanced lines' orientation words, by booklet class and N-up group (columns: orientation
// 1, 4, 5, 6; any other orientation writes no line).
enum class SignatureClass { NoBooklet, Left, Right, Other };
enum class NUpGroup { SingleUp, Square, Wide, Other };  // 1; 4, 9, 16; 2, 6; anything else

constexpr char kPortrait[] = "PORTRAIT";
constexpr char kLandscape[] = "LANDSCAPE";
constexpr char kRotatedLandscape[] = "ROTATEDLANDSCAPE";
constexpr char kRotatedPortrait[] = "ROTATEDPORTRAIT";

struct OrientationRow {
  SignatureClass signature;
  NUpGroup nup;
  const char* words[4];  // orientation 1, 4, 5, 6
};
constexpr std::int32_t kOrientationColumns[4] = {1, 4, 5, 6};
constexpr OrientationRow commentOrientationTable[] = {
    {SignatureClass::NoBooklet, NUpGroup::SingleUp,
     {kPortrait, kLandscape, kRotatedLandscape, kRotatedPortrait}},
    {SignatureClass::NoBooklet, NUpGroup::Square, {kPortrait, kLandscape, kLandscape, kPortrait}},
    {SignatureClass::NoBooklet, NUpGroup::Wide, {kLandscape, kPortrait, kPortrait, kLandscape}},
    {SignatureClass::Left, NUpGroup::SingleUp,
     {kLandscape, kRotatedPortrait, kRotatedPortrait, kLandscape}},
    {SignatureClass::Left, NUpGroup::Square,
     {kLandscape, kRotatedPortrait, kRotatedPortrait, kLandscape}},
    {SignatureClass::Left, NUpGroup::Wide,
     {kRotatedPortrait, kLandscape, kLandscape, kRotatedPortrait}},
    {SignatureClass::Right, NUpGroup::SingleUp,
     {kRotatedLandscape, kPortrait, kPortrait, kRotatedLandscape}},
    {SignatureClass::Right, NUpGroup::Square,
     {kRotatedLandscape, kPortrait, kPortrait, kRotatedLandscape}},
    {SignatureClass::Right, NUpGroup::Wide,
     {kPortrait, kRotatedLandscape, kRotatedLandscape, kPortrait}},
};
static_assert(std::size(commentOrientationTable) == 9);

// The advanced lines' N-up layout, by layout direction (columns: 1, 3, 5, 6).
constexpr std::int32_t kLayoutDirectionColumns[4] = {1, 3, 5, 6};
constexpr const char* commentNUpExTwoUp[4] = {
    "@PJL COMMENT QMJOBINFO NUPEX=RIGHTTODOWN\n", "@PJL COMMENT QMJOBINFO NUPEX=LEFTTOUP\n",
    "@PJL COMMENT QMJOBINFO NUPEX=RIGHTTODOWN\n", "@PJL COMMENT QMJOBINFO NUPEX=LEFTTOUP\n"};
constexpr const char* commentNUpExMultiUp[4] = {
    "@PJL COMMENT QMJOBINFO NUPEX=RIGHTTHENDOWN\n", "@PJL COMMENT QMJOBINFO NUPEX=LEFTTHENDOWN\n",
    "@PJL COMMENT QMJOBINFO NUPEX=DOWNTHENRIGHT\n", "@PJL COMMENT QMJOBINFO NUPEX=DOWNTHENLEFT\n"};

// Staple positions: the first substring the staple value contains selects the line.
struct SubstringLine {
  const char* substring;
  const char* line;
};
constexpr SubstringLine commentStaplePositions[] = {
    {"LeftDouble", "@PJL COMMENT QMJOBINFO STAPLEEX=LEFTDUAL\n"},
    {"UpperLeftSingle", "@PJL COMMENT QMJOBINFO STAPLEEX=TOPLEFT\n"},
    {"TopDouble", "@PJL COMMENT QMJOBINFO STAPLEEX=TOPDUAL\n"},
    {"UpperRightSingle", "@PJL COMMENT QMJOBINFO STAPLEEX=TOPRIGHT\n"},
    {"RightDouble", "@PJL COMMENT QMJOBINFO STAPLEEX=RIGHTDUAL\n"},
    {"LowerRightSingle", "@PJL COMMENT QMJOBINFO STAPLEEX=BOTTOMRIGHT\n"},
    {"BottomDouble", "@PJL COMMENT QMJOBINFO STAPLEEX=BOTTOMDUAL\n"},
    {"LowerLeftSingle", "@PJL COMMENT QMJOBINFO STAPLEEX=BOTTOMLEFT\n"},
};
static_assert(std::size(commentStaplePositions) == 8);

// Punch position words: the location by the first substring of the punch value, the holes by the
// exact punch-holes value.
struct WordRow {
  const char* value;
  const char* word;
};
constexpr WordRow commentPunchLocations[] = {
    {"Left", "LEFT"}, {"Top", "TOP"}, {"Right", "RIGHT"}, {"Bottom", "BOTTOM"}};
constexpr WordRow commentPunchHoles[] = {
    {"2Holes", "TWO"}, {"3Holes", "THREE"}, {"4Holes", "FOUR"}, {"CoilPunch", "COIL"}};

namespace {

constexpr std::size_t kWorkBufferSize = 1024;

// True when `text` begins with a decimal number (after blanks and a sign) that is below 1.
bool IsNumberBelowOne(const char* text) {
  const std::optional<DecimalRead> number = ReadDecimal(text);
  return number && number->value < 1;
}

// A positive integer written in decimal digits only (as the spooler's copies argument is).
bool PositiveCount(const std::string& text, std::int32_t* count) {
  const std::optional<std::int32_t> value = ReadDigits(text, 10);
  if (!value || *value <= 0) return false;
  *count = *value;
  return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char x = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    const char y = (b[i] >= 'A' && b[i] <= 'Z') ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
    if (x != y) return false;
  }
  return true;
}

// Collation of the job's copies, from the parsed options: "collate" (a boolean; the spooler turns
// "collate" and "nocollate" into true and false) decides; without a usable value,
// "multiple-document-handling" does.  Returns "collate", "nocollate" or "" when the job says
// nothing.
const char* CollationWord(const JobOptions& options) {
  if (const char* collate = options.JobValue(kCollateKey)) {
    for (const char* yes : {"true", "yes", "on"}) {
      if (EqualsNoCase(collate, yes)) return "collate";
    }
    for (const char* no : {"false", "no", "off"}) {
      if (EqualsNoCase(collate, no)) return "nocollate";
    }
  }
  if (const char* handling = options.JobValue(kDocumentHandlingKey)) {
    if (std::strcmp(handling, "separate-documents-collated-copies") == 0) return "collate";
    if (std::strcmp(handling, "separate-documents-uncollated-copies") == 0) return "nocollate";
  }
  return "";
}

// A comment line with the text of one of the record's fields: cut by the field's own encoding.
void WritePjlLineOfField(Job& job, const char* head, const char* field, const char* tail) {
  WritePjlLine(job.out, head, field, job.EncodingOf(field), tail);
}

SignatureClass ClassOfSignature(std::string_view signature) {
  if (signature.empty() || signature == "None") return SignatureClass::NoBooklet;
  for (std::string_view left : {"LeftSig", "LeftSigCenterStaple", "LeftSigFold"}) {
    if (signature == left) return SignatureClass::Left;
  }
  for (std::string_view right : {"RightSig", "RightSigCenterStaple", "RightSigFold"}) {
    if (signature == right) return SignatureClass::Right;
  }
  return SignatureClass::Other;
}

NUpGroup GroupOfNUp(const char* numberUp) {
  if (*numberUp == '\0') return NUpGroup::SingleUp;
  switch (DecimalValue(numberUp)) {
    case 1:
      return NUpGroup::SingleUp;
    case 4:
    case 9:
    case 16:
      return NUpGroup::Square;
    case 2:
    case 6:
      return NUpGroup::Wide;
    default:
      return NUpGroup::Other;
  }
}

// Index of `value` in a four-column header, -1 when it is not there.
int ColumnOf(const std::int32_t (&columns)[4], std::int32_t value) {
  for (int i = 0; i < 4; ++i) {
    if (columns[i] == value) return i;
  }
  return -1;
}

}  // namespace

std::int32_t ReadNumberUpTextForComment(const char* key, const JobOptions& options,
                                        void* destination, std::int32_t size) {
  char* dest = static_cast<char*>(destination);
  char work[kWorkBufferSize] = {};
  const char* numberUp = options.Get(key);
  const char* rows = options.Get(kLayoutRowsKey);
  const char* columns = options.Get(kLayoutColumnsKey);
  if (numberUp != nullptr) {
    std::strncpy(work, numberUp, sizeof(work) - 1);
  } else if (rows != nullptr || columns != nullptr) {
    // A layout given by one dimension alone counts the other as 1.  The product is written in
    // full; one that is not positive says nothing about the layout and leaves the text empty.
    const std::int64_t product =
        std::int64_t{rows != nullptr ? DecimalValue(rows) : 1} *
        (columns != nullptr ? DecimalValue(columns) : 1);
    if (product > 0) std::snprintf(work, sizeof(work), "%lld", static_cast<long long>(product));
  } else {
    std::strcpy(work, "1");
  }
  NumStrToChar(work, sizeof(work));
  // A number-up below one page per sheet describes no layout, no more than a layout product below
  // 1 does: it leaves the text empty as well, so the comment and the booklet lines treat both
  // alike.  A text that is no number at all is written as it stands.
  if (numberUp != nullptr && IsNumberBelowOne(work)) std::memset(work, 0, sizeof(work));
  std::memset(dest, 0, static_cast<std::size_t>(size));
  ConvertUTF8ToEncoding(work, dest, size);
  return 1;
}

void CommentGetTicketFromPDE(Job& job, void* psoptioncomment) {
  CommentOptions& comment = *static_cast<CommentOptions*>(psoptioncomment);
  comment = CommentOptions{};
  GetTicketFromArray(job, psoptioncomment, CommentticketData);

  CopyToField(comment.collate, CollationWord(job.options()), TextEncoding::ShiftJIS);

  if (comment.sides[0] == '\0' || comment.duplexBindingEdge == 0) {
    CopyToField(comment.sides, "one-sided", TextEncoding::ShiftJIS);
  }
  // A booklet is printed on both sides, bound on the short edge.  No signature at all (a printer
  // without a booklet option) is no booklet.
  if (comment.signature[0] != '\0' && std::strcmp(comment.signature, "None") != 0) {
    CopyToField(comment.sides, "two-sided-short-edge", TextEncoding::ShiftJIS);
  }
  if (comment.orientation == -1) comment.orientation = 1;
  if (comment.layoutDirection == -1) comment.layoutDirection = 1;
  // The copies of the job: the dialog's copies ticket when it holds a count, else the spooler's
  // copies argument, else 1.
  if (comment.copies <= 0 && !PositiveCount(job.args.copies, &comment.copies)) {
    comment.copies = 1;
  }
}

void OutputKPJLCommandforCommentBegin(Job& job) {
  job.out.Write("@PJL COMMENT QMJOBINFO BEGIN\n");
  job.out.Write("@PJL COMMENT QMJOBINFO PDLTYPE=PDL[POSTSCRIPT]:VERSION[3]\n");
  job.out.Write("@PJL COMMENT QMJOBINFO JOBTYPE=PRINT\n");
}

void OutputKPJLCommandforCommentBasic(Job& job, CommentOptions& comment) {
  // Copies.
  if (comment.collate[0] != '\0') {
    if (std::strcmp(comment.collate, "collate") == 0) {
      WritePjlLine(job.out, "@PJL COMMENT QMJOBINFO JOBCOPIES=", comment.copies, "\n");
      job.out.Write("@PJL COMMENT QMJOBINFO PAGECOPIES=1\n");
    } else {
      WritePjlLine(job.out, "@PJL COMMENT QMJOBINFO PAGECOPIES=", comment.copies, "\n");
      job.out.Write("@PJL COMMENT QMJOBINFO JOBCOPIES=1\n");
    }
  }

  // Duplex: the first matching test wins.
  if (comment.sides[0] != '\0') {
    const std::string_view sides = comment.sides;
    const std::int32_t edge = comment.duplexBindingEdge;
    if (sides == "two-sided-long-edge" || edge == 2) {
      job.out.Write("@PJL COMMENT QMJOBINFO DUPLEXTYPE=DUPLEX\n");
    } else if (sides == "two-sided-short-edge" || edge == 3) {
      job.out.Write("@PJL COMMENT QMJOBINFO DUPLEXTYPE=TUMBLE\n");
    } else if (sides == "one-sided" || edge == 1) {
      job.out.Write("@PJL COMMENT QMJOBINFO DUPLEXTYPE=SIMPLEX\n");
    }
  }

  // Colour mode.  A value the filter does not know is left out when the printer has the colour
  // option (it then knows the value), else the job counts as grayscale.
  const std::string_view color = comment.colorMode;
  if (color == "Color") {
    job.out.Write("@PJL COMMENT QMJOBINFO COLORMODE=COLOR\n");
  } else if (color.empty() || color == "Black" || !job.ppd().HasOption(KPPDColorModeKey)) {
    job.out.Write("@PJL COMMENT QMJOBINFO COLORMODE=GRAYSCALE\n");
  }

  // N-up.
  if (comment.numberUp[0] != '\0') {
    WritePjlLineOfField(job, "@PJL COMMENT QMJOBINFO NUP=", comment.numberUp, "\n");
  }

  // Staple.
  if (comment.staple[0] != '\0') {
    const std::string_view staple = comment.staple;
    job.out.Write(staple == "None" || staple == "SaddleStaple"
                      ? "@PJL COMMENT QMJOBINFO STAPLE=OFF\n"
                      : "@PJL COMMENT QMJOBINFO STAPLE=ON\n");
  }

  // Punch.
  if (comment.punch[0] != '\0') {
    job.out.Write(std::strcmp(comment.punch, "None") == 0 ? "@PJL COMMENT QMJOBINFO PUNCH=OFF\n"
                                                          : "@PJL COMMENT QMJOBINFO PUNCH=ON\n");
  }

  // Booklet.
  if (comment.signature[0] != '\0') {
    if (std::strcmp(comment.signature, "None") == 0 || comment.sigVol[0] == '\0') {
      job.out.Write("@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[NOBOOKLET]\n");
    } else if (std::strcmp(comment.sigVol, "None") == 0) {
      job.out.Write("@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[NONEDIVIDE]\n");
    } else {
      // "10Sheets" gives the threshold 10; a value without "Sheet" is the threshold as it stands.
      if (char* sheet = std::strstr(comment.sigVol, "Sheet")) {
        const auto kept = static_cast<std::size_t>(sheet - comment.sigVol);
        std::memset(sheet, 0, sizeof(comment.sigVol) - kept);
      }
      WritePjlLineOfField(job, "@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[MANUALDIVIDE]:THRESHOLD[",
                          comment.sigVol, "]\n");
    }
  }
}

void OutputKPJLCommandforCommentAdvanced(Job& job, const CommentOptions& comment) {

  // Orientation.
  const SignatureClass signature = ClassOfSignature(comment.signature);
  const NUpGroup nup = GroupOfNUp(comment.numberUp);
  const int orientationColumn = ColumnOf(kOrientationColumns, comment.orientation);
  if (orientationColumn >= 0) {
    for (const OrientationRow& row : commentOrientationTable) {
      if (row.signature != signature || row.nup != nup) continue;
      job.out.Write("@PJL COMMENT QMJOBINFO ORIENTATION=");
      job.out.Write(row.words[orientationColumn]);
      job.out.Write("\n");
      break;
    }
  }

  // N-up layout.
  if (comment.numberUp[0] != '\0') {
    const std::int64_t n = DecimalValue(comment.numberUp);
    const int directionColumn = ColumnOf(kLayoutDirectionColumns, comment.layoutDirection);
    if (n >= 2 && directionColumn >= 0) {
      job.out.Write(n == 2 ? commentNUpExTwoUp[directionColumn]
                           : commentNUpExMultiUp[directionColumn]);
    }
  }

  // Saddle staple.
  if (comment.signature[0] != '\0') {
    const std::string_view value = comment.signature;
    job.out.Write(value == "LeftSigCenterStaple" || value == "RightSigCenterStaple"
                ? "@PJL COMMENT QMJOBINFO SADDLESTAPLE=ON\n"
                : "@PJL COMMENT QMJOBINFO SADDLESTAPLE=OFF\n");
  }

  // Staple position.
  if (comment.staple[0] != '\0') {
    for (const SubstringLine& position : commentStaplePositions) {
      if (std::strstr(comment.staple, position.substring) != nullptr) {
        job.out.Write(position.line);
        break;
      }
    }
  }

  // Punch position.
  const char* location = "";
  const char* holes = "";
  if (comment.punch[0] != '\0') {
    for (const WordRow& row : commentPunchLocations) {
      if (std::strstr(comment.punch, row.value) != nullptr) {
        location = row.word;
        break;
      }
    }
  }
  if (comment.numPunchHoles[0] != '\0') {
    for (const WordRow& row : commentPunchHoles) {
      if (std::strcmp(comment.numPunchHoles, row.value) == 0) {
        holes = row.word;
        break;
      }
    }
  }
  if (*location != '\0' && *holes != '\0') {
    job.out.Write("@PJL COMMENT QMJOBINFO PUNCHEX=HOLES[");
    job.out.Write(holes);
    job.out.Write("]:LOCATION[");
    job.out.Write(location);
    job.out.Write("]\n");
  }

  job.out.Write("@PJL COMMENT QMJOBINFO MIXEDSIZETYPE=NONE\n");
  job.out.Write("@PJL COMMENT QMJOBINFO CUD=OFF\n");
}

void OutputKPJLCommandforComment(Job& job, void* psoptioncomment, JobInfoBlock block) {
  CommentOptions& comment = *static_cast<CommentOptions*>(psoptioncomment);
  OutputKPJLCommandforCommentBegin(job);
  OutputKPJLCommandforCommentBasic(job, comment);
  if (block == JobInfoBlock::Extended) OutputKPJLCommandforCommentAdvanced(job, comment);
}

void OutputKPJLCommandOthers(Job& job, void* psoptioncomment) {
  const CommentOptions& comment = *static_cast<const CommentOptions*>(psoptioncomment);

  // Line weight: "Normal", or a value with "Strongly" or "Weakly" and the digit of its level.
  const std::string_view weight = comment.lineWeightAdjustment;
  if (!weight.empty()) {
    if (weight == "Normal") {
      WriteJobAttribute(job.out, "LWAD", "0");
    } else {
      const std::size_t digit = weight.find_first_of("0123456789");
      if (digit != std::string_view::npos) {
        const char level[] = {'-', weight[digit]};  // "-2" strongly, "2" weakly
        if (weight.find("Strongly") != std::string_view::npos) {
          WriteJobAttribute(job.out, "LWAD", std::string_view(level, 2));
        } else if (weight.find("Weakly") != std::string_view::npos) {
          WriteJobAttribute(job.out, "LWAD", std::string_view(level + 1, 1));
        }
      }
    }
  }

  // Render mode.  A colour mode the filter does not know is left to the printer when the PPD has
  // the colour-mode option (the printer then knows it), else the job prints in grayscale.
  const std::string_view color = comment.colorMode;
  if (color.empty() || color == "Black") {
    job.out.Write("@PJL SET RENDERMODE=GRAYSCALE\n");
  } else if (color == "Color") {
    job.out.Write("@PJL SET RENDERMODE=COLOR\n");
  } else if (!job.ppd().HasOption(KPPDColorModeKey)) {
    job.out.Write("@PJL SET RENDERMODE=GRAYSCALE\n");
  }
}

namespace {
constexpr std::span<const TicketDataEntry> kTicketTables[] = {CommentticketData};
// Read for the collation of the copies.
constexpr OptionKey kOtherOptions[] = {{kCollateKey, KeyKind::Plain, false},
                                       {kDocumentHandlingKey, KeyKind::Plain, false}};
constexpr CommentOptions kNoComment{};
}  // namespace

const ModuleDescriptor CommentModule{
    .name = "job-information comment",
    .record = RecordTypeOf<CommentOptions>(),
    .ticketTables = kTicketTables,
    .otherOptions = kOtherOptions,
    .readTickets = CommentGetTicketFromPDE,
    .writeHeader = OutputKPJLCommandOthers,
    .writeJobInfo = OutputKPJLCommandforComment,
};

const CommentOptions& CommentRecordForBooklet(const Job& job) {
  const void* record = job.RecordOf(CommentModule);
  return record != nullptr ? *static_cast<const CommentOptions*>(record) : kNoComment;
}

}  // namespace tf
