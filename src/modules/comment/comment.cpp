// Job-information comment: the record of the values that describe the job (read at ticket time),
// the PJL comment lines written from it, and the line-weight and render-mode lines of the header,
// which read the same record.  The envelope writes the version and end lines around the comment
// lines; the booklet lines read the record's N-up, orientation, signature and signature volume
// (CommentRecordForBooklet).
#include "modules/comment/comment.h"

#include <charconv>
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
#include "engine/ppd_keys.h"
#include "engine/ticket.h"
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

constexpr std::size_t kLineBufferSize = 100;
constexpr std::size_t kWorkBufferSize = 1024;

// The decimal value of `text` by atoi rules, held to the int32 range.
std::int64_t DecimalValue(const char* text) {
  const long long value = std::strtoll(text, nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return value;
}

// True when `text` begins with a decimal number (after blanks and a sign) that is below 1.
bool IsNumberBelowOne(const char* text) {
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  return end != text && value < 1;
}

// A positive integer written in decimal digits only (as the spooler's copies argument is).
bool PositiveCount(const char* text, std::int32_t* count) {
  if (text == nullptr || *text == '\0') return false;
  const char* end = text + std::strlen(text);
  std::int32_t value = 0;
  const auto [stop, error] = std::from_chars(text, end, value);
  if (error != std::errc() || stop != end || value <= 0) return false;
  *count = value;
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

void SetText(char (&field)[256], const char* text) {
  std::memset(field, 0, sizeof(field));
  std::strncpy(field, text, sizeof(field) - 1);
}

// Writes `head`, `value` (a text field of the job's state) and `tail` as one line of at most
// kLineBufferSize - 1 bytes: the value loses the bytes that must not reach a PJL line and is
// shortened, by whole characters of its encoding, so that the line always keeps its tail and line
// end.
void WriteLineWithValue(Job& job, const char* head, const char* value, const char* tail) {
  char cleaned[256] = {};
  std::strncpy(cleaned, value, sizeof(cleaned) - 1);
  const std::size_t length = StripPjlUnsafe(cleaned, std::strlen(cleaned));
  const std::size_t room = kLineBufferSize - 1 - std::strlen(head) - std::strlen(tail);
  const std::size_t keep =
      CutToWholeChars(std::string_view(cleaned, length), room, job.EncodingOf(value));
  char line[kLineBufferSize];
  std::snprintf(line, sizeof(line), "%s%.*s%s", head, static_cast<int>(keep), cleaned, tail);
  QMfputs(line, job.out);
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
        (rows != nullptr ? DecimalValue(rows) : 1) * (columns != nullptr ? DecimalValue(columns) : 1);
    if (product > 0) std::snprintf(work, sizeof(work), "%lld", static_cast<long long>(product));
  } else {
    std::strcpy(work, "1");
  }
  numstrtochar(work, sizeof(work));
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

  SetText(comment.collate, CollationWord(job.options()));

  if (comment.sides[0] == '\0' || comment.duplexBindingEdge == 0) {
    SetText(comment.sides, "one-sided");
  }
  // A booklet is printed on both sides, bound on the short edge.  No signature at all (a printer
  // without a booklet option) is no booklet.
  if (comment.signature[0] != '\0' && std::strcmp(comment.signature, "None") != 0) {
    SetText(comment.sides, "two-sided-short-edge");
  }
  if (comment.orientation == -1) comment.orientation = 1;
  if (comment.layoutDirection == -1) comment.layoutDirection = 1;
  // The copies of the job: the dialog's copies ticket when it holds a count, else the spooler's
  // copies argument, else 1.
  if (comment.copies <= 0 && !PositiveCount(job.args.copies.c_str(), &comment.copies)) {
    comment.copies = 1;
  }
}

void OutputKPJLCommandforCommentBegin(Job& job) {
  QMfputs("@PJL COMMENT QMJOBINFO BEGIN\n", job.out);
  QMfputs("@PJL COMMENT QMJOBINFO PDLTYPE=PDL[POSTSCRIPT]:VERSION[3]\n", job.out);
  QMfputs("@PJL COMMENT QMJOBINFO JOBTYPE=PRINT\n", job.out);
}

void OutputKPJLCommandforCommentBasic(Job& job, CommentOptions& comment) {
  char line[kLineBufferSize];

  // Copies.
  if (comment.collate[0] != '\0') {
    if (std::strcmp(comment.collate, "collate") == 0) {
      std::snprintf(line, sizeof(line), "@PJL COMMENT QMJOBINFO JOBCOPIES=%d\n", comment.copies);
      QMfputs(line, job.out);
      QMfputs("@PJL COMMENT QMJOBINFO PAGECOPIES=1\n", job.out);
    } else {
      std::snprintf(line, sizeof(line), "@PJL COMMENT QMJOBINFO PAGECOPIES=%d\n", comment.copies);
      QMfputs(line, job.out);
      QMfputs("@PJL COMMENT QMJOBINFO JOBCOPIES=1\n", job.out);
    }
  }

  // Duplex: the first matching test wins.
  if (comment.sides[0] != '\0') {
    const std::string_view sides = comment.sides;
    const std::int32_t edge = comment.duplexBindingEdge;
    if (sides == "two-sided-long-edge" || edge == 2) {
      QMfputs("@PJL COMMENT QMJOBINFO DUPLEXTYPE=DUPLEX\n", job.out);
    } else if (sides == "two-sided-short-edge" || edge == 3) {
      QMfputs("@PJL COMMENT QMJOBINFO DUPLEXTYPE=TUMBLE\n", job.out);
    } else if (sides == "one-sided" || edge == 1) {
      QMfputs("@PJL COMMENT QMJOBINFO DUPLEXTYPE=SIMPLEX\n", job.out);
    }
  }

  // Colour mode.  A value the filter does not know is left out when the printer has the colour
  // option (it then knows the value), else the job counts as grayscale.
  const std::string_view color = comment.colorMode;
  if (color == "Color") {
    QMfputs("@PJL COMMENT QMJOBINFO COLORMODE=COLOR\n", job.out);
  } else if (color.empty() || color == "Black" || !job.ppd().HasOption(KPPDColorModeKey)) {
    QMfputs("@PJL COMMENT QMJOBINFO COLORMODE=GRAYSCALE\n", job.out);
  }

  // N-up.
  if (comment.numberUp[0] != '\0') {
    WriteLineWithValue(job, "@PJL COMMENT QMJOBINFO NUP=", comment.numberUp, "\n");
  }

  // Staple.
  if (comment.staple[0] != '\0') {
    const std::string_view staple = comment.staple;
    QMfputs(staple == "None" || staple == "SaddleStaple" ? "@PJL COMMENT QMJOBINFO STAPLE=OFF\n"
                                                         : "@PJL COMMENT QMJOBINFO STAPLE=ON\n",
            job.out);
  }

  // Punch.
  if (comment.punch[0] != '\0') {
    QMfputs(std::strcmp(comment.punch, "None") == 0 ? "@PJL COMMENT QMJOBINFO PUNCH=OFF\n"
                                                    : "@PJL COMMENT QMJOBINFO PUNCH=ON\n",
            job.out);
  }

  // Booklet.
  if (comment.signature[0] != '\0') {
    if (std::strcmp(comment.signature, "None") == 0 || comment.sigVol[0] == '\0') {
      QMfputs("@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[NOBOOKLET]\n", job.out);
    } else if (std::strcmp(comment.sigVol, "None") == 0) {
      QMfputs("@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[NONEDIVIDE]\n", job.out);
    } else {
      // "10Sheets" gives the threshold 10; a value without "Sheet" is the threshold as it stands.
      if (char* sheet = std::strstr(comment.sigVol, "Sheet")) {
        std::memset(sheet, 0, sizeof(comment.sigVol) - static_cast<std::size_t>(sheet - comment.sigVol));
      }
      WriteLineWithValue(job, "@PJL COMMENT QMJOBINFO BOOKLETTYPE=TYPE[MANUALDIVIDE]:THRESHOLD[",
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
      QMfputs("@PJL COMMENT QMJOBINFO ORIENTATION=", job.out);
      QMfputs(row.words[orientationColumn], job.out);
      QMfputs("\n", job.out);
      break;
    }
  }

  // N-up layout.
  if (comment.numberUp[0] != '\0') {
    const std::int64_t n = DecimalValue(comment.numberUp);
    const int directionColumn = ColumnOf(kLayoutDirectionColumns, comment.layoutDirection);
    if (n >= 2 && directionColumn >= 0) {
      QMfputs(n == 2 ? commentNUpExTwoUp[directionColumn] : commentNUpExMultiUp[directionColumn],
              job.out);
    }
  }

  // Saddle staple.
  if (comment.signature[0] != '\0') {
    const std::string_view value = comment.signature;
    QMfputs(value == "LeftSigCenterStaple" || value == "RightSigCenterStaple"
                ? "@PJL COMMENT QMJOBINFO SADDLESTAPLE=ON\n"
                : "@PJL COMMENT QMJOBINFO SADDLESTAPLE=OFF\n",
            job.out);
  }

  // Staple position.
  if (comment.staple[0] != '\0') {
    for (const SubstringLine& position : commentStaplePositions) {
      if (std::strstr(comment.staple, position.substring) != nullptr) {
        QMfputs(position.line, job.out);
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
    char line[kLineBufferSize];
    std::snprintf(line, sizeof(line), "@PJL COMMENT QMJOBINFO PUNCHEX=HOLES[%s]:LOCATION[%s]\n",
                  holes, location);
    QMfputs(line, job.out);
  }

  QMfputs("@PJL COMMENT QMJOBINFO MIXEDSIZETYPE=NONE\n", job.out);
  QMfputs("@PJL COMMENT QMJOBINFO CUD=OFF\n", job.out);
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
      QMfputs("@PJL SET JOBATTR=\"@LWAD=0\"\n", job.out);
    } else {
      const std::size_t digit = weight.find_first_of("0123456789");
      if (digit != std::string_view::npos) {
        char line[100];
        if (weight.find("Strongly") != std::string_view::npos) {
          std::snprintf(line, sizeof(line), "@PJL SET JOBATTR=\"@LWAD=-%c\"\n", weight[digit]);
          QMfputs(line, job.out);
        } else if (weight.find("Weakly") != std::string_view::npos) {
          std::snprintf(line, sizeof(line), "@PJL SET JOBATTR=\"@LWAD=%c\"\n", weight[digit]);
          QMfputs(line, job.out);
        }
      }
    }
  }

  // Render mode.  A colour mode the filter does not know is left to the printer when the PPD has
  // the colour-mode option (the printer then knows it), else the job prints in grayscale.
  const std::string_view color = comment.colorMode;
  if (color.empty() || color == "Black") {
    QMfputs("@PJL SET RENDERMODE=GRAYSCALE\n", job.out);
  } else if (color == "Color") {
    QMfputs("@PJL SET RENDERMODE=COLOR\n", job.out);
  } else if (!job.ppd().HasOption(KPPDColorModeKey)) {
    QMfputs("@PJL SET RENDERMODE=GRAYSCALE\n", job.out);
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
