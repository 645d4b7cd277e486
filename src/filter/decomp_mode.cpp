// Feature decomposition mode.
#include "filter/decomp_mode.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/sendfile.h>
#endif
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "engine/format.h"
#include "engine/job.h"
#include "engine/pjl_line.h"
#include "engine/ppd_keys.h"
#include "filter/envelope.h"
#include "filter/ps_scanner.h"
#include "platform/files.h"
#include "platform/ppd.h"

namespace tf {

// Searched in row order; the first match wins.
const FeaturePJLCommandEntry
    FeaturePPDKeyNameandMarkedValuetoPJLCommand[kFeaturePJLCommandRows] = {
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
    // Colour density: "QMColorDensity" + colour + band, choices -3 to +3; the attribute is "AJ" +
    // colour letter + band letter, its value the choice plus 3.
    {"QMColorDensityCyanLow", "-3", "@PJL SET JOBATTR=\"@AJCL=0\"\n"},
    {"QMColorDensityCyanLow", "-2", "@PJL SET JOBATTR=\"@AJCL=1\"\n"},
    {"QMColorDensityCyanLow", "-1", "@PJL SET JOBATTR=\"@AJCL=2\"\n"},
    {"QMColorDensityCyanLow", "0", "@PJL SET JOBATTR=\"@AJCL=3\"\n"},
    {"QMColorDensityCyanLow", "+1", "@PJL SET JOBATTR=\"@AJCL=4\"\n"},
    {"QMColorDensityCyanLow", "+2", "@PJL SET JOBATTR=\"@AJCL=5\"\n"},
    {"QMColorDensityCyanLow", "+3", "@PJL SET JOBATTR=\"@AJCL=6\"\n"},
    {"QMColorDensityCyanMid", "-3", "@PJL SET JOBATTR=\"@AJCM=0\"\n"},
    {"QMColorDensityCyanMid", "-2", "@PJL SET JOBATTR=\"@AJCM=1\"\n"},
    {"QMColorDensityCyanMid", "-1", "@PJL SET JOBATTR=\"@AJCM=2\"\n"},
    {"QMColorDensityCyanMid", "0", "@PJL SET JOBATTR=\"@AJCM=3\"\n"},
    {"QMColorDensityCyanMid", "+1", "@PJL SET JOBATTR=\"@AJCM=4\"\n"},
    {"QMColorDensityCyanMid", "+2", "@PJL SET JOBATTR=\"@AJCM=5\"\n"},
    {"QMColorDensityCyanMid", "+3", "@PJL SET JOBATTR=\"@AJCM=6\"\n"},
    {"QMColorDensityCyanHigh", "-3", "@PJL SET JOBATTR=\"@AJCH=0\"\n"},
    {"QMColorDensityCyanHigh", "-2", "@PJL SET JOBATTR=\"@AJCH=1\"\n"},
    {"QMColorDensityCyanHigh", "-1", "@PJL SET JOBATTR=\"@AJCH=2\"\n"},
    {"QMColorDensityCyanHigh", "0", "@PJL SET JOBATTR=\"@AJCH=3\"\n"},
    {"QMColorDensityCyanHigh", "+1", "@PJL SET JOBATTR=\"@AJCH=4\"\n"},
    {"QMColorDensityCyanHigh", "+2", "@PJL SET JOBATTR=\"@AJCH=5\"\n"},
    {"QMColorDensityCyanHigh", "+3", "@PJL SET JOBATTR=\"@AJCH=6\"\n"},
    {"QMColorDensityMagentaLow", "-3", "@PJL SET JOBATTR=\"@AJML=0\"\n"},
    {"QMColorDensityMagentaLow", "-2", "@PJL SET JOBATTR=\"@AJML=1\"\n"},
    {"QMColorDensityMagentaLow", "-1", "@PJL SET JOBATTR=\"@AJML=2\"\n"},
    {"QMColorDensityMagentaLow", "0", "@PJL SET JOBATTR=\"@AJML=3\"\n"},
    {"QMColorDensityMagentaLow", "+1", "@PJL SET JOBATTR=\"@AJML=4\"\n"},
    {"QMColorDensityMagentaLow", "+2", "@PJL SET JOBATTR=\"@AJML=5\"\n"},
    {"QMColorDensityMagentaLow", "+3", "@PJL SET JOBATTR=\"@AJML=6\"\n"},
    {"QMColorDensityMagentaMid", "-3", "@PJL SET JOBATTR=\"@AJMM=0\"\n"},
    {"QMColorDensityMagentaMid", "-2", "@PJL SET JOBATTR=\"@AJMM=1\"\n"},
    {"QMColorDensityMagentaMid", "-1", "@PJL SET JOBATTR=\"@AJMM=2\"\n"},
    {"QMColorDensityMagentaMid", "0", "@PJL SET JOBATTR=\"@AJMM=3\"\n"},
    {"QMColorDensityMagentaMid", "+1", "@PJL SET JOBATTR=\"@AJMM=4\"\n"},
    {"QMColorDensityMagentaMid", "+2", "@PJL SET JOBATTR=\"@AJMM=5\"\n"},
    {"QMColorDensityMagentaMid", "+3", "@PJL SET JOBATTR=\"@AJMM=6\"\n"},
    {"QMColorDensityMagentaHigh", "-3", "@PJL SET JOBATTR=\"@AJMH=0\"\n"},
    {"QMColorDensityMagentaHigh", "-2", "@PJL SET JOBATTR=\"@AJMH=1\"\n"},
    {"QMColorDensityMagentaHigh", "-1", "@PJL SET JOBATTR=\"@AJMH=2\"\n"},
    {"QMColorDensityMagentaHigh", "0", "@PJL SET JOBATTR=\"@AJMH=3\"\n"},
    {"QMColorDensityMagentaHigh", "+1", "@PJL SET JOBATTR=\"@AJMH=4\"\n"},
    {"QMColorDensityMagentaHigh", "+2", "@PJL SET JOBATTR=\"@AJMH=5\"\n"},
    {"QMColorDensityMagentaHigh", "+3", "@PJL SET JOBATTR=\"@AJMH=6\"\n"},
    {"QMColorDensityYellowLow", "-3", "@PJL SET JOBATTR=\"@AJYL=0\"\n"},
    {"QMColorDensityYellowLow", "-2", "@PJL SET JOBATTR=\"@AJYL=1\"\n"},
    {"QMColorDensityYellowLow", "-1", "@PJL SET JOBATTR=\"@AJYL=2\"\n"},
    {"QMColorDensityYellowLow", "0", "@PJL SET JOBATTR=\"@AJYL=3\"\n"},
    {"QMColorDensityYellowLow", "+1", "@PJL SET JOBATTR=\"@AJYL=4\"\n"},
    {"QMColorDensityYellowLow", "+2", "@PJL SET JOBATTR=\"@AJYL=5\"\n"},
    {"QMColorDensityYellowLow", "+3", "@PJL SET JOBATTR=\"@AJYL=6\"\n"},
    {"QMColorDensityYellowMid", "-3", "@PJL SET JOBATTR=\"@AJYM=0\"\n"},
    {"QMColorDensityYellowMid", "-2", "@PJL SET JOBATTR=\"@AJYM=1\"\n"},
    {"QMColorDensityYellowMid", "-1", "@PJL SET JOBATTR=\"@AJYM=2\"\n"},
    {"QMColorDensityYellowMid", "0", "@PJL SET JOBATTR=\"@AJYM=3\"\n"},
    {"QMColorDensityYellowMid", "+1", "@PJL SET JOBATTR=\"@AJYM=4\"\n"},
    {"QMColorDensityYellowMid", "+2", "@PJL SET JOBATTR=\"@AJYM=5\"\n"},
    {"QMColorDensityYellowMid", "+3", "@PJL SET JOBATTR=\"@AJYM=6\"\n"},
    {"QMColorDensityYellowHigh", "-3", "@PJL SET JOBATTR=\"@AJYH=0\"\n"},
    {"QMColorDensityYellowHigh", "-2", "@PJL SET JOBATTR=\"@AJYH=1\"\n"},
    {"QMColorDensityYellowHigh", "-1", "@PJL SET JOBATTR=\"@AJYH=2\"\n"},
    {"QMColorDensityYellowHigh", "0", "@PJL SET JOBATTR=\"@AJYH=3\"\n"},
    {"QMColorDensityYellowHigh", "+1", "@PJL SET JOBATTR=\"@AJYH=4\"\n"},
    {"QMColorDensityYellowHigh", "+2", "@PJL SET JOBATTR=\"@AJYH=5\"\n"},
    {"QMColorDensityYellowHigh", "+3", "@PJL SET JOBATTR=\"@AJYH=6\"\n"},
    {"QMColorDensityBlackLow", "-3", "@PJL SET JOBATTR=\"@AJKL=0\"\n"},
    {"QMColorDensityBlackLow", "-2", "@PJL SET JOBATTR=\"@AJKL=1\"\n"},
    {"QMColorDensityBlackLow", "-1", "@PJL SET JOBATTR=\"@AJKL=2\"\n"},
    {"QMColorDensityBlackLow", "0", "@PJL SET JOBATTR=\"@AJKL=3\"\n"},
    {"QMColorDensityBlackLow", "+1", "@PJL SET JOBATTR=\"@AJKL=4\"\n"},
    {"QMColorDensityBlackLow", "+2", "@PJL SET JOBATTR=\"@AJKL=5\"\n"},
    {"QMColorDensityBlackLow", "+3", "@PJL SET JOBATTR=\"@AJKL=6\"\n"},
    {"QMColorDensityBlackMid", "-3", "@PJL SET JOBATTR=\"@AJKM=0\"\n"},
    {"QMColorDensityBlackMid", "-2", "@PJL SET JOBATTR=\"@AJKM=1\"\n"},
    {"QMColorDensityBlackMid", "-1", "@PJL SET JOBATTR=\"@AJKM=2\"\n"},
    {"QMColorDensityBlackMid", "0", "@PJL SET JOBATTR=\"@AJKM=3\"\n"},
    {"QMColorDensityBlackMid", "+1", "@PJL SET JOBATTR=\"@AJKM=4\"\n"},
    {"QMColorDensityBlackMid", "+2", "@PJL SET JOBATTR=\"@AJKM=5\"\n"},
    {"QMColorDensityBlackMid", "+3", "@PJL SET JOBATTR=\"@AJKM=6\"\n"},
    {"QMColorDensityBlackHigh", "-3", "@PJL SET JOBATTR=\"@AJKH=0\"\n"},
    {"QMColorDensityBlackHigh", "-2", "@PJL SET JOBATTR=\"@AJKH=1\"\n"},
    {"QMColorDensityBlackHigh", "-1", "@PJL SET JOBATTR=\"@AJKH=2\"\n"},
    {"QMColorDensityBlackHigh", "0", "@PJL SET JOBATTR=\"@AJKH=3\"\n"},
    {"QMColorDensityBlackHigh", "+1", "@PJL SET JOBATTR=\"@AJKH=4\"\n"},
    {"QMColorDensityBlackHigh", "+2", "@PJL SET JOBATTR=\"@AJKH=5\"\n"},
    {"QMColorDensityBlackHigh", "+3", "@PJL SET JOBATTR=\"@AJKH=6\"\n"},
};
static_assert(std::size(FeaturePPDKeyNameandMarkedValuetoPJLCommand) == 123);

namespace {

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
constexpr std::size_t kMinParameterLine = std::size(kRenderingParameterNames) * kParameterNameLength;

constexpr std::string_view kPageEndLines[] = {"ep", "endp", "showpage"};

constexpr char kTemporaryFilePrefix[] = "qmPPDPJL";

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

// The replay: the temporary file goes to standard output as it stands; after a page-end line the
// copy stops when the job was cancelled.
class ReplayHandler {
 public:
  static constexpr std::size_t kMaxPiece = 8;  // "showpage"
  static constexpr bool kLastLineUnmatched = false;

  explicit ReplayHandler(Job& job) : job_(job) {}
  static constexpr bool MayStartWith(char first) { return first == 'e' || first == 's'; }

  bool Wants(const char* piece, std::size_t length) {
    const std::string_view line(piece, length);
    for (std::string_view pageEnd : kPageEndLines) {
      if (line == pageEnd) return true;
    }
    return false;
  }

  bool Handle(const PsLine& line, PrinterStream& out) {
    WritePsLine(line, out);
    return !job_.CancelJob();
  }

 private:
  Job& job_;
};

static_assert(
    [] {
      for (std::string_view line : kPageEndLines) {
        if (!ReplayHandler::MayStartWith(line[0])) return false;
      }
      return true;
    }(),
    "every page-end line begins with a byte MayStartWith takes");

// The temporary file of one run.  Its name is removed as soon as it is created: the file lives
// only as long as its descriptor, so nothing is left behind, whether the job ends, is cancelled
// or fails, and no other process can open or replace it.
class TemporaryPrintData {
 public:
  // Returns false, with errno set, when the file cannot be created.
  bool Create(const std::string& directory) {
    std::string path;
    const int fd = CreateTemporaryFile(kTemporaryFilePrefix, directory, &path);
    if (fd < 0) return false;
    ::unlink(path.c_str());
    file.Attach(fd);
    return true;
  }

  OutFile file;
};

void ReportFailure(Job& job, const char* what, int error) {
  job.log.Error("%s: %s", what, SystemErrorText(error).c_str());
}

// How far the direct copy of the kept PostScript went.
enum class SendOutcome {
  Done,         // everything was sent
  AtLineStart,  // the rest is to be copied from the file's offset, which begins a line
  MidLine,      // as above, but the offset is inside a line
};

// Sends the kept PostScript from the file's offset straight to standard output, in slices, as
// long as the job is not cancelled.  The kernel moves the data (no copy through this process);
// where that is not possible (another system, an output that does not take it, a write error)
// the rest is left to the line-by-line copy, which also records write errors.
SendOutcome SendUntilCancelled(Job& job, int fd) {
#if defined(__linux__)
  constexpr std::size_t kSlice = 1 << 20;
  job.stdoutFile.Flush();
  const int out = job.stdoutFile.fd();
  if (out < 0 || job.stdoutFile.error() != 0) return SendOutcome::AtLineStart;
  bool sentAny = false;
  char last = '\n';
  while (!job.CancelJob()) {
    const off_t before = ::lseek(fd, 0, SEEK_CUR);
    const ssize_t n = ::sendfile(out, fd, nullptr, kSlice);
    if (n == 0) return SendOutcome::Done;
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        struct pollfd pfd = {out, POLLOUT, 0};
        ::poll(&pfd, 1, -1);
        continue;
      }
      break;
    }
    sentAny = true;
    if (::pread(fd, &last, 1, before + n - 1) != 1) last = 0;
  }
  if (!sentAny) return SendOutcome::AtLineStart;
  return (last == '\n' || last == '\r') ? SendOutcome::AtLineStart : SendOutcome::MidLine;
#else
  (void)job;
  (void)fd;
  return SendOutcome::AtLineStart;
#endif
}

// Reads a file from its offset, for CopyRestOfLine: Unread moves the offset back.
class FileLineReader {
 public:
  explicit FileLineReader(int fd) : fd_(fd) {}
  ssize_t Read(char* out, std::size_t size) {
    ssize_t n;
    do {
      n = ::read(fd_, out, size);
    } while (n < 0 && errno == EINTR);
    return n;
  }
  void Unread(const char*, std::size_t size) {
    ::lseek(fd_, -static_cast<off_t>(size), SEEK_CUR);
  }

 private:
  int fd_;
};

// Copies the bytes from `reader` up to and including the next line end to `out`, and gives the
// bytes read past it back to the reader.  False, with `*error` set, when reading fails.
template <class Reader>
bool CopyRestOfLine(Reader& reader, PrinterStream& out, int* error) {
  char buffer[16 * 1024];
  for (;;) {
    const ssize_t n = reader.Read(buffer, sizeof(buffer));
    if (n < 0) {
      *error = errno;
      return false;
    }
    if (n == 0) return true;
    const char* end = FindLineEnd(buffer, buffer + n);
    if (end == nullptr) {
      out.Write(buffer, static_cast<std::size_t>(n));
      continue;
    }
    const std::size_t used = static_cast<std::size_t>(end - buffer) + 1;
    out.Write(buffer, used);
    reader.Unread(buffer + used, static_cast<std::size_t>(n) - used);
    return true;
  }
}

// Reads back a temporary file of source pieces (OutFile::ReferToSource): the kept PostScript, made
// of input bytes read again from the input file and of the bytes the filter added.  Read serves
// the bytes in order across pieces, so that the scanner can take the rest of the stream from
// here; the current piece can also be taken over by the caller (Take, for the direct copy).
class PieceReader {
 public:
  PieceReader(int piecesFd, int inputFd) : pieces_(piecesFd), input_(inputFd), buffer_(kBuffer) {}

  // Moves to the next piece when the current one is used up.  False at the end of the file, or
  // on a read error (error() is then set).
  bool Ready() {
    while (remaining_ == 0) {
      std::uint64_t header = 0;
      const int got = ReadRaw(reinterpret_cast<char*>(&header), sizeof(header));
      if (got <= 0) return false;
      reference_ = (header & kSourcePieceFlag) != 0;
      remaining_ = header >> 1;
      if (reference_) {
        std::uint64_t offset = 0;
        if (ReadRaw(reinterpret_cast<char*>(&offset), sizeof(offset)) <= 0) {
          if (error_ == 0) error_ = EIO;
          return false;
        }
        offset_ = static_cast<std::int64_t>(offset);
      }
    }
    return true;
  }

  bool reference() const { return reference_; }
  std::uint64_t remaining() const { return remaining_; }
  std::int64_t offset() const { return offset_; }
  int error() const { return error_; }

  // `n` bytes of the current reference went out directly.
  void Take(std::uint64_t n) {
    offset_ += static_cast<std::int64_t>(n);
    remaining_ -= n;
  }

  // Gives back bytes that Read delivered, to be delivered again first.
  void Unread(const char* data, std::size_t size) { pushback_.insert(0, data, size); }

  // The next bytes of the kept PostScript: at most `size`; 0 at its end, -1 with errno set on an
  // error (EIO when the input file has become shorter than the bytes it gave).
  ssize_t Read(char* out, std::size_t size) {
    if (!pushback_.empty()) {
      const std::size_t n = std::min(size, pushback_.size());
      std::memcpy(out, pushback_.data(), n);
      pushback_.erase(0, n);
      return static_cast<ssize_t>(n);
    }
    if (!Ready()) {
      errno = error_;
      return error_ != 0 ? -1 : 0;
    }
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, remaining_));
    ssize_t got;
    if (reference_) {
      do {
        got = ::pread(input_, out, n, static_cast<off_t>(offset_));
      } while (got < 0 && errno == EINTR);
      if (got == 0) errno = EIO;  // the input lost bytes it had when it was read
      if (got <= 0) {
        error_ = errno;
        return -1;
      }
      offset_ += got;
    } else {
      got = ReadRaw(out, n);
      if (got <= 0) {
        if (error_ == 0) error_ = EIO;
        errno = error_;
        return -1;
      }
    }
    remaining_ -= static_cast<std::uint64_t>(got);
    return got;
  }

 private:
  static constexpr std::size_t kBuffer = 64 * 1024;

  // Up to `size` bytes of the pieces file (all of them unless it ends); 0 at its end, -1 on error.
  int ReadRaw(char* out, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
      if (position_ == filled_) {
        ssize_t n;
        do {
          n = ::read(pieces_, buffer_.data(), buffer_.size());
        } while (n < 0 && errno == EINTR);
        if (n < 0) {
          error_ = errno;
          return -1;
        }
        if (n == 0) break;
        position_ = 0;
        filled_ = static_cast<std::size_t>(n);
      }
      const std::size_t n = std::min(size - done, filled_ - position_);
      std::memcpy(out + done, buffer_.data() + position_, n);
      position_ += n;
      done += n;
    }
    return static_cast<int>(done);
  }

  const int pieces_;
  const int input_;
  std::vector<char> buffer_;
  std::size_t position_ = 0;
  std::size_t filled_ = 0;
  bool reference_ = false;
  std::uint64_t remaining_ = 0;
  std::int64_t offset_ = 0;
  int error_ = 0;
  std::string pushback_;
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
  TemporaryPrintData temporary;
  if (!temporary.Create(temporaryDirectory)) {
    ReportFailure(job, "Unable to create a temporary file for the print data", errno);
    return StreamStatus::InputError;
  }
  // A regular input file is read again for the replay: the temporary file then keeps the bytes
  // the filter adds and references to the input, not a second copy of the whole job.
  struct stat inputBefore;
  const bool byReference = ::fstat(input, &inputBefore) == 0 && S_ISREG(inputBefore.st_mode);
  if (byReference) temporary.file.ReferToSource();

  // First pass: the PostScript with its insertions into the temporary file (and the job copy),
  // the PJL of the feature and parameter lines to standard output (and the job copy), in the
  // order of the input.
  const auto monochrome = job.ppd().FindAttribute(KPPDColorDeviceKey);
  FeatureDecompositionHandler handler(job, monochrome && *monochrome == "False");
  PrinterStream toTemporary(&temporary.file, &job.jobCopyFile);
  const ScanOutcome outcome = ScanPostScript(input, toTemporary, handler);
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
  if (!outcome.empty && outcome.lastByte != 0x04) toTemporary.Write("\x04");
  temporary.file.Flush();
  if (temporary.file.error() != 0) {
    ReportFailure(job, "Unable to write the temporary file of the print data",
                  temporary.file.error());
    return StreamStatus::InputError;
  }

  OutputKPJLCommandFromArray(job, nullptr, prtFmtTableEnterPS);

  // Replay to standard output only.
  if (::lseek(temporary.file.fd(), 0, SEEK_SET) != 0) {
    ReportFailure(job, "Unable to read back the temporary file of the print data", errno);
    return StreamStatus::InputError;
  }
  StreamStatus replayed;
  if (byReference) {
    struct stat inputAfter;
    if (::fstat(input, &inputAfter) != 0 || inputAfter.st_size != inputBefore.st_size ||
        inputAfter.st_mtim.tv_sec != inputBefore.st_mtim.tv_sec ||
        inputAfter.st_mtim.tv_nsec != inputBefore.st_mtim.tv_nsec) {
      job.log.Error("The print file changed while it was read");
      return StreamStatus::InputError;
    }
    replayed = ReplayPrintDataFromPieces(job, temporary.file.fd(), input);
  } else {
    replayed = ReplayPrintData(job, temporary.file.fd());
  }
  if (replayed == StreamStatus::Completed) handler.matcher().OutputCountedPages();
  return replayed;
}

StreamStatus ReplayPrintDataFromPieces(Job& job, int piecesFd, int inputFd) {
  // References at least this long go from the input to the output directly.
  constexpr std::uint64_t kDirectMinimum = 64 * 1024;
  constexpr std::uint64_t kSlice = 1 << 20;
  PieceReader pieces(piecesFd, inputFd);
  OutFile& out = job.stdoutFile;
  std::vector<char> buffer(64 * 1024);
  bool direct = true;   // the system copies from the input to the output
  char last = '\n';     // the last byte that went out
  std::int64_t sentEnd = -1;  // input offset after the last direct copy, when that was last
  auto unreadable = [&job](int error) {
    ReportFailure(job, "Unable to read back the print data", error);
    return StreamStatus::InputError;
  };
  while (!job.CancelJob()) {
    // The printer is gone (a write error is kept and reported at the end): nothing more to send.
    if (out.error() != 0) return StreamStatus::Completed;
    if (!pieces.Ready()) {
      if (pieces.error() != 0) return unreadable(pieces.error());
      return StreamStatus::Completed;
    }
#if defined(__linux__)
    if (direct && pieces.reference() && pieces.remaining() >= kDirectMinimum) {
      out.Flush();
      if (out.fd() < 0 || out.error() != 0) {
        direct = false;
        continue;
      }
      off_t offset = static_cast<off_t>(pieces.offset());
      const ssize_t n = ::sendfile(out.fd(), inputFd, &offset,
                                   static_cast<std::size_t>(std::min(pieces.remaining(), kSlice)));
      if (n > 0) {
        pieces.Take(static_cast<std::uint64_t>(n));
        sentEnd = pieces.offset();
      } else if (n == 0) {
        return unreadable(EIO);  // the input has become shorter
      } else if (errno == EAGAIN) {
        struct pollfd pfd = {out.fd(), POLLOUT, 0};
        ::poll(&pfd, 1, -1);
      } else if (errno != EINTR) {
        direct = false;  // the rest goes through the buffer, which records a write error
      }
      continue;
    }
#endif
    const ssize_t n = pieces.Read(
        buffer.data(), static_cast<std::size_t>(std::min<std::uint64_t>(
                           buffer.size(), pieces.remaining())));
    if (n <= 0) return unreadable(n < 0 ? errno : EIO);
    out.Write(buffer.data(), static_cast<std::size_t>(n));
    last = buffer[static_cast<std::size_t>(n) - 1];
    sentEnd = -1;
  }

  // Cancelled: on from here line by line, to the end of the next page.
  if (sentEnd >= 0 && ::pread(inputFd, &last, 1, static_cast<off_t>(sentEnd - 1)) != 1) last = 0;
  PrinterStream toPrinter(&out, nullptr);
  if (last != '\n' && last != '\r') {
    int error = 0;
    if (!CopyRestOfLine(pieces, toPrinter, &error)) return unreadable(error);
  }
  ReplayHandler replay(job);
  const ScanOutcome replayed = ScanPostScriptFrom(pieces, -1, toPrinter, replay);
  switch (replayed.result) {
    case ScanResult::Stopped:
      return StreamStatus::Cancelled;
    case ScanResult::ReadError:
      return unreadable(replayed.error);
    case ScanResult::Completed:
      break;
  }
  return StreamStatus::Completed;
}

StreamStatus ReplayPrintData(Job& job, int fd) {
  const SendOutcome sent = SendUntilCancelled(job, fd);
  if (sent == SendOutcome::Done) return StreamStatus::Completed;
  return ReplayPrintDataByLine(job, fd, sent == SendOutcome::MidLine);
}

StreamStatus ReplayPrintDataByLine(Job& job, int fd, bool midLine) {
  PrinterStream toPrinter(&job.stdoutFile, nullptr);
  if (midLine) {
    // The rest of the current line goes out first, so that only whole lines are looked at for
    // the page end.
    int error = 0;
    FileLineReader file(fd);
    if (!CopyRestOfLine(file, toPrinter, &error)) {
      ReportFailure(job, "Unable to read back the temporary file of the print data", error);
      return StreamStatus::InputError;
    }
  }
  ReplayHandler replay(job);
  const ScanOutcome replayed = ScanPostScript(fd, toPrinter, replay);
  switch (replayed.result) {
    case ScanResult::Stopped:
      return StreamStatus::Cancelled;
    case ScanResult::ReadError:
      ReportFailure(job, "Unable to read back the temporary file of the print data", replayed.error);
      return StreamStatus::InputError;
    case ScanResult::Completed:
      break;
  }
  return StreamStatus::Completed;
}

}  // namespace tf
