// Feature decomposition mode.
#include "filter/decomp_mode.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <string>

#include "engine/format.h"
#include "engine/job.h"
#include "engine/pjl_line.h"
#include "engine/ppd_keys.h"
#include "filter/envelope.h"
#include "filter/print_data_spool.h"
#include "filter/ps_scanner.h"
#include "platform/logger.h"
#include "platform/ppd.h"

namespace tf {

namespace {

// The rows written out, in the order they are searched.
constexpr FeaturePJLCommandEntry kWrittenRows[] = {
    {"QMSetTrapMode", "False", "@PJL SET JOBATTR=\"@TRAP=OFF\"\n"},
    {"QMSetTrapMode", "True", "@PJL SET JOBATTR=\"@TRAP=ON\"\n"},
    {"QMLetterHeadDuplexMode", "DupAuto", "@PJL SET JOBATTR=\"@DDPM=AUTO\"\n"},
    {"QMLetterHeadDuplexMode", "DupOff", "@PJL SET JOBATTR=\"@DDPM=OFF\"\n"},
    {"QMLetterHeadDuplexMode", "DupOn", "@PJL SET JOBATTR=\"@DDPM=ON\"\n"},
    {"QMGrayBalance", "True", "@PJL SET JOBATTR=\"@GRGU=TEXTGRAPHICS\"\n"},
    {"QMGrayBalance", "False", "@PJL SET JOBATTR=\"@GRGU=OFF\"\n"},
    {"QMOutputMode", "HighSpeed", "@PJL SET BITSPERPIXEL=1\n"},
    {"QMOutputMode", "Standard", "@PJL SET BITSPERPIXEL=8\n"},
    {"QMBrightnes", "Bright5", "@PJL SET JOBATTR=\"@PSBR=5\"\n"},
    {"QMBrightnes", "Bright4", "@PJL SET JOBATTR=\"@PSBR=4\"\n"},
    {"QMBrightnes", "Bright3", "@PJL SET JOBATTR=\"@PSBR=3\"\n"},
    {"QMBrightnes", "Bright2", "@PJL SET JOBATTR=\"@PSBR=2\"\n"},
    {"QMBrightnes", "Bright1", "@PJL SET JOBATTR=\"@PSBR=1\"\n"},
    {"QMBrightnes", "Normal", "@PJL SET JOBATTR=\"@PSBR=0\"\n"},
    {"QMBrightnes", "Dark5", "@PJL SET JOBATTR=\"@PSBR=-5\"\n"},
    {"QMBrightnes", "Dark4", "@PJL SET JOBATTR=\"@PSBR=-4\"\n"},
    {"QMBrightnes", "Dark3", "@PJL SET JOBATTR=\"@PSBR=-3\"\n"},
    {"QMBrightnes", "Dark2", "@PJL SET JOBATTR=\"@PSBR=-2\"\n"},
    {"QMBrightnes", "Dark1", "@PJL SET JOBATTR=\"@PSBR=-1\"\n"},
    {"QMRGBInputProfile", "SRGB", "@PJL SET JOBATTR=\"@RGBP=SRGB\"\n"},
    {"QMRGBInputProfile", "AdobeRGB", "@PJL SET JOBATTR=\"@RGBP=ADOBERGB\"\n"},
    {"QMRGBBCorrection", "Off", "@PJL SET JOBATTR=\"@RGBG=OFF\"\n"},
    {"QMRGBBCorrection", "Lightest", "@PJL SET JOBATTR=\"@RGBG=LIGHTEST\"\n"},
    {"QMRGBBCorrection", "Light", "@PJL SET JOBATTR=\"@RGBG=LIGHT\"\n"},
    {"QMRGBBCorrection", "Standard", "@PJL SET JOBATTR=\"@RGBG=STANDARD\"\n"},
    {"QMRGBBCorrection", "Dark", "@PJL SET JOBATTR=\"@RGBG=DARK\"\n"},
    {"QMRGBBCorrection", "Darkest", "@PJL SET JOBATTR=\"@RGBG=DARKEST\"\n"},
    {"Smoothing", "True", "@PJL SET RET=ON\n"},
    {"Smoothing", "False", "@PJL SET RET=OFF\n"},
    {"QMTonerSaver", "False", "@PJL SET ECONOMODE=OFF\n"},
    {"QMTonerSaver", "True", "@PJL SET ECONOMODE=ON\n"},
    {"QMTonerSaver", "Mode1", "@PJL SET ECONOMODE=MODE1\n"},
    {"QMTonerSaver", "Mode2", "@PJL SET ECONOMODE=MODE2\n"},
    {"QMTonerSaver", "Mode3", "@PJL SET ECONOMODE=MODE3\n"},
    {"QMSaveBlankSheet", "False", "@PJL SET JOBATTR=\"@SBKP=OFF\"\n"},
    {"QMSaveBlankSheet", "True", "@PJL SET JOBATTR=\"@SBKP=ON\"\n"},
    {"QMMonochromePriority", "False", "@PJL SET JOBATTR=\"@BSPM=OFF\"\n"},
    {"QMMonochromePriority", "True", "@PJL SET JOBATTR=\"@BSPM=ON\"\n"},
};

// Colour density: "QMColorDensity" + colour + band, choices -3 to +3; the attribute is "AJ" +
// colour letter + band letter, its value the choice plus 3.  One row per colour, band and choice,
// made by that rule when the program is built.
struct DensityName {
  std::string_view word;
  char letter;
};
constexpr DensityName kDensityColours[] = {
    {"Cyan", 'C'}, {"Magenta", 'M'}, {"Yellow", 'Y'}, {"Black", 'K'}};
constexpr DensityName kDensityBands[] = {{"Low", 'L'}, {"Mid", 'M'}, {"High", 'H'}};
constexpr std::string_view kDensityChoices[] = {"-3", "-2", "-1", "0", "+1", "+2", "+3"};
constexpr std::size_t kDensityRows =
    std::size(kDensityColours) * std::size(kDensityBands) * std::size(kDensityChoices);

// The text of one generated row.
struct DensityRowText {
  char keyword[32];  // "QMColorDensityMagentaHigh"
  char choice[3];
  char pjl[32];      // "@PJL SET JOBATTR=\"@AJMH=6\"\n"
};

constexpr void Append(char* text, std::size_t& length, std::string_view part) {
  for (char c : part) text[length++] = c;
}

constexpr std::array<DensityRowText, kDensityRows> MakeDensityRows() {
  std::array<DensityRowText, kDensityRows> rows{};
  std::size_t row = 0;
  for (const DensityName& colour : kDensityColours) {
    for (const DensityName& band : kDensityBands) {
      for (std::size_t value = 0; value < std::size(kDensityChoices); ++value) {
        DensityRowText& text = rows[row++];
        std::size_t n = 0;
        Append(text.keyword, n, "QMColorDensity");
        Append(text.keyword, n, colour.word);
        Append(text.keyword, n, band.word);
        n = 0;
        Append(text.choice, n, kDensityChoices[value]);
        n = 0;
        Append(text.pjl, n, "@PJL SET JOBATTR=\"@AJ");
        const char attribute[] = {colour.letter, band.letter, '=', static_cast<char>('0' + value)};
        Append(text.pjl, n, std::string_view(attribute, sizeof(attribute)));
        Append(text.pjl, n, "\"\n");
      }
    }
  }
  return rows;
}
constexpr std::array<DensityRowText, kDensityRows> kDensityRowText = MakeDensityRows();

// The written rows, then the colour-density rows.
constexpr auto MakeFeatureTable() {
  std::array<FeaturePJLCommandEntry, std::size(kWrittenRows) + kDensityRows> table{};
  std::size_t row = 0;
  for (const FeaturePJLCommandEntry& written : kWrittenRows) table[row++] = written;
  for (const DensityRowText& text : kDensityRowText) {
    table[row++] = {text.keyword, text.choice, text.pjl};
  }
  return table;
}
constexpr auto kFeatureTable = MakeFeatureTable();
static_assert(std::size(kWrittenRows) == 39 && kDensityRows == 84 && kFeatureTable.size() == 123);

}  // namespace

// Searched in row order; the first match wins.
const std::span<const FeaturePJLCommandEntry> FeaturePPDKeyNameandMarkedValuetoPJLCommand =
    kFeatureTable;

namespace {

void ReportFailure(Job& job, const char* what, int error) {
  job.log.Error("%s: %s", what, SystemErrorText(error).c_str());
}

constexpr std::string_view kBeginFeature = "%%BeginFeature:";
constexpr std::size_t kFeatureWorkSize = 100;  // a feature line is split within its first 99 bytes


// Halftone of monochrome printers: the six screen attributes, by choice.
constexpr const char* kHalftoneFineness[] = {
    "@PJL SET JOBATTR=\"@TTRC=64\"\n", "@PJL SET JOBATTR=\"@GTRC=64\"\n",
    "@PJL SET JOBATTR=\"@ITRC=64\"\n", "@PJL SET JOBATTR=\"@TSCR=64\"\n",
    "@PJL SET JOBATTR=\"@GSCR=64\"\n", "@PJL SET JOBATTR=\"@ISCR=64\"\n",
};
constexpr const char* kHalftoneGradation[] = {
    "@PJL SET JOBATTR=\"@TTRC=66\"\n", "@PJL SET JOBATTR=\"@GTRC=66\"\n",
    "@PJL SET JOBATTR=\"@ITRC=66\"\n", "@PJL SET JOBATTR=\"@TSCR=66\"\n",
    "@PJL SET JOBATTR=\"@GSCR=66\"\n", "@PJL SET JOBATTR=\"@ISCR=66\"\n",
};

// Resolution commands, written once per job.
constexpr const char* kResolution1200[] = {
    "@PJL SET RESOLUTION=1200\n", "@PJL SET BITSPERPIXEL=1\n",
    "@PJL SET JOBATTR=\"@DRDM=RASTER\"\n",
};
constexpr const char* kResolution600[] = {
    "@PJL SET RESOLUTION=600\n", "@PJL SET BITSPERPIXEL=1\n",
    "@PJL SET JOBATTR=\"@DRDM=RASTER\"\n",
};

// Screen and rendering parameter lines: a line that names every parameter of one family carries
// their values, each after its name and one separator ("TTRC=64", "/TTRC 64").
constexpr std::string_view kScreenParameterNames[] = {"TSCR", "GSCR", "ISCR",
                                                      "TTRC", "GTRC", "ITRC"};
constexpr std::string_view kRenderingParameterNames[] = {"TCPR", "GCPR", "ICPR"};
constexpr std::size_t kParameterNameLength = 4;
constexpr std::size_t kMaxParameterDigits = 100;
// The shortest line that can name a whole family: the three rendering names.
constexpr std::size_t kMinParameterLine =
    std::size(kRenderingParameterNames) * kParameterNameLength;


template <std::size_t N>
void WriteLines(const char* const (&lines)[N], PrinterStream& out) {
  for (const char* line : lines) out.Write(line);
}

template <std::size_t N>
bool ContainsAll(std::string_view line, const std::string_view (&names)[N]) {
  for (std::string_view name : names) {
    if (line.find(name) == std::string_view::npos) return false;
  }
  return true;
}

// Whether the byte 'R' at `r` ends "CPR" or is the middle of "TRC" (r > piece).
inline bool IsFamilyMark(const char* piece, const char* r, const char* end) {
  return (r + 1 < end && r[-1] == 'T' && r[1] == 'C') ||
         (r - piece >= 2 && r[-2] == 'C' && r[-1] == 'P');
}

// A cheap test that a line may name a parameter family: every family holds "TRC" (TTRC, GTRC,
// ITRC) or "CPR" (TCPR, GCPR, ICPR).  Looks only at the places of the byte 'R', found 16 bytes at
// a time (every line of the job comes here, most of them image data).
bool MayHoldParameters(const char* piece, std::size_t length) {
  if (length < kMinParameterLine) return false;
  const char* const end = piece + length;
  const char* r = piece + 1;
#if defined(__SSE2__)
  if (end - r >= 16) {
    const __m128i letterR = _mm_set1_epi8('R');
    for (;;) {
      unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
          _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(r)), letterR)));
      for (; mask != 0; mask &= mask - 1) {
        if (IsFamilyMark(piece, r + __builtin_ctz(mask), end)) return true;
      }
      if (r + 16 == end) return false;
      // The last block ends at the line's end (it may look at some bytes twice).
      r = end - r >= 32 ? r + 16 : end - 16;
    }
  }
#endif
  for (; r < end; ++r) {
    if (*r == 'R' && IsFamilyMark(piece, r, end)) return true;
  }
  return false;
}

// The word of `text` that begins at or after `*position` (words are separated by blanks, byte
// 32); `*position` moves past it.  Empty when there is none.
std::string_view NextWord(std::string_view text, std::size_t* position) {
  std::size_t first = text.find_first_not_of(' ', *position);
  if (first == std::string_view::npos) {
    *position = text.size();
    return {};
  }
  std::size_t end = text.find(' ', first);
  if (end == std::string_view::npos) end = text.size();
  *position = end;
  return GetSubString(text, first, end - 1);
}

// "*" followed by `key`.
bool IsKeyword(std::string_view keyword, std::string_view key) {
  return keyword.size() == key.size() + 1 && keyword[0] == '*' && keyword.substr(1) == key;
}

// The first pass: every line goes to the temporary file through the insertion matcher; feature
// and parameter lines first give their PJL to standard output.
class FeatureDecompositionHandler {
 public:
  // The whole line buffer is looked at, as feature and parameter lines may be long.
  static constexpr std::size_t kMaxPiece = kPieceSize - 1;
  // The input's last line end is not followed by a further byte: that line is not matched.
  static constexpr bool kLastLineUnmatched = true;

  FeatureDecompositionHandler(Job& job, bool monochrome)
      : job_(job), matcher_(job), monochrome_(monochrome) {}

  // Classifies the line; the scanner hands a wanted line to Handle right after.
  bool Wants(const char* piece, std::size_t length) {
    if (length <= PsInsertionMatcher::kMaxLine &&
        PsInsertionMatcher::IsInsertionLine(piece, length)) {
      kind_ = LineKind::Insertion;
    } else if (piece[0] == '%' && length >= kBeginFeature.size() &&
               std::memcmp(piece, kBeginFeature.data(), kBeginFeature.size()) == 0) {
      kind_ = LineKind::Feature;
    } else if (PsInsertionMatcher::IsAccountingLine(piece, length)) {
      kind_ = LineKind::Insertion;  // the matcher counts it
    } else if (MayHoldParameters(piece, length)) {
      kind_ = LineKind::Parameters;
    } else {
      kind_ = LineKind::Other;
    }
    return kind_ != LineKind::Other;
  }

  bool Handle(const PsLine& line, PrinterStream& out) {
    const std::string_view text(line.piece, line.length);
    if (kind_ == LineKind::Feature) {
      OutputPJLForFeatureLine(text);
    } else if (kind_ == LineKind::Parameters) {
      OutputPJLForParameterLine(text);
    }
    return matcher_.Handle(line, out);
  }

  PsInsertionMatcher& matcher() { return matcher_; }

 private:
  enum class LineKind { Other, Insertion, Feature, Parameters };

  // "%%BeginFeature: *Keyword Choice": the resolution, the halftone of monochrome printers, the
  // resolution commands once, and the table's line.
  void OutputPJLForFeatureLine(std::string_view line) {
    std::string_view work = line.substr(0, std::min(line.size(), kFeatureWorkSize - 1));
    work = work.substr(0, work.find('\0'));
    std::size_t position = 0;
    NextWord(work, &position);  // "%%BeginFeature:"
    const std::string_view keyword = NextWord(work, &position);
    const std::string_view choice = NextWord(work, &position);
    if (keyword.empty() || choice.empty()) return;

    if (IsKeyword(keyword, KPPDOutputModeKey)) {
      if (choice == "600x600") {
        resolution_ = 600;
      } else if (choice == "1200x1200") {
        resolution_ = 1200;
      }
    }

    if (monochrome_ && IsKeyword(keyword, KPPDHalfToneKey)) {
      if (choice == "Fineness") {
        WriteLines(kHalftoneFineness, job_.out);
      } else if (choice == "Gradation") {
        WriteLines(kHalftoneGradation, job_.out);
      }
    }

    if (resolutionPending_) {
      if (resolution_ == 1200) {
        WriteLines(kResolution1200, job_.out);
        resolutionPending_ = false;
      } else if (resolution_ == 600) {
        WriteLines(kResolution600, job_.out);
        resolutionPending_ = false;
      }
    }

    if (const char* pjl = GetThePJLCommandfromKeywordsandMarkedValue(keyword, choice)) {
      job_.out.Write(pjl);
    }
  }

  // A line that names a whole parameter family: every value in it (one or two digits) becomes
  // "@PJL SET JOBATTR="@<name>=<value>"", the name being the four characters before the value's
  // separator.
  void OutputPJLForParameterLine(std::string_view line) {
    if (!ContainsAll(line, kScreenParameterNames) && !ContainsAll(line, kRenderingParameterNames)) {
      return;
    }
    std::size_t digits[kMaxParameterDigits];
    std::size_t count = 0;
    for (std::size_t i = 0; i < line.size() && count < kMaxParameterDigits; ++i) {
      if (line[i] >= '0' && line[i] <= '9') digits[count++] = i;
    }
    for (std::size_t k = 0; k < count; ++k) {
      const std::size_t p = digits[k];
      std::size_t last = p;
      if (k + 1 < count && digits[k + 1] == p + 1) {
        last = p + 1;
        ++k;
      }
      // The name ends one separator before the value; a value among the first five characters
      // has no whole name before it.
      if (p < kParameterNameLength + 1) continue;
      const std::string_view name = GetSubString(line, p - kParameterNameLength - 1, p - 2);
      const std::string_view value = GetSubString(line, p, last);
      bool safe = true;
      for (unsigned char c : name) safe = safe && !IsPjlUnsafe(c);
      if (!safe) {
        if (!reportedUnsafeName_) {
          job_.log.Debug(
              "Skipped a screen parameter whose name holds a quote or a control byte");
          reportedUnsafeName_ = true;
        }
        continue;
      }
      WriteJobAttribute(job_.out, name, value);
    }
  }

  Job& job_;
  PsInsertionMatcher matcher_;
  const bool monochrome_;            // the PPD's "ColorDevice" is "False"
  LineKind kind_ = LineKind::Other;  // of the line last offered to Wants
  int resolution_ = 0;               // 600 or 1200 once a feature line named it
  bool resolutionPending_ = true;    // the resolution commands are still to be written
  bool reportedUnsafeName_ = false;
};





}  // namespace

const char* GetThePJLCommandfromKeywordsandMarkedValue(std::string_view keyword,
                                                       std::string_view choice) {
  if (keyword.empty() || keyword[0] != '*') return nullptr;
  const std::string_view name = keyword.substr(1);
  for (const FeaturePJLCommandEntry& row : FeaturePPDKeyNameandMarkedValuetoPJLCommand) {
    if (name == row.keyword && choice == row.choice) return row.pjl;
  }
  return nullptr;
}

std::string_view GetSubString(std::string_view text, std::size_t first, std::size_t last) {
  if (first > last || first >= text.size()) return {};
  return text.substr(first, last - first + 1);
}

StreamStatus OutputPSStreamtoFileandInsertPJLforFeaturePDE(Job& job, int input,
                                                           const std::string& temporaryDirectory) {
  PrintDataSpool spool;
  if (!spool.Create(temporaryDirectory, input)) {
    ReportFailure(job, "Unable to create a temporary file for the print data", errno);
    return StreamStatus::InputError;
  }

  // First pass: the PostScript with its insertions into the spool (and the job copy), the PJL of
  // the feature and parameter lines to the printer (and the job copy), in the order of the input.
  const auto monochrome = job.ppd().FindAttribute(KPPDColorDeviceKey);
  FeatureDecompositionHandler handler(job, monochrome && *monochrome == "False");
  PrinterStream toSpool(&spool.file(), &job.jobCopyFile);
  const ScanOutcome outcome = ScanPostScript(input, toSpool, handler);
  switch (outcome.result) {
    case ScanResult::Stopped:
      return StreamStatus::Cancelled;
    case ScanResult::ReadError:
      ReportFailure(job, "Unable to read print data", outcome.error);
      return StreamStatus::InputError;
    case ScanResult::Completed:
      break;
  }
  // The PostScript ends with control-D, unless it already does; an empty input stays empty.
  if (!outcome.empty && outcome.lastByte != 0x04) toSpool.Write("\x04");
  spool.file().Flush();
  if (spool.file().error() != 0) {
    ReportFailure(job, "Unable to write the temporary file of the print data",
                  spool.file().error());
    return StreamStatus::InputError;
  }

  OutputKPJLCommandFromArray(job, nullptr, prtFmtTableEnterPS);

  // Replay to the printer only.
  const StreamStatus replayed = spool.Replay(job);
  if (replayed == StreamStatus::Completed) handler.matcher().OutputCountedPages();
  return replayed;
}

}  // namespace tf
