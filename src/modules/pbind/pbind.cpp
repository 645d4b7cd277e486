// Perfect binding: the binding options of the job as PJL job attributes of the binder.
#include "modules/pbind/pbind.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "engine/format.h"
#include "engine/ticket.h"
#include "engine/job.h"
#include "engine/pjl_line.h"
#include "engine/output_channel.h"
#include "platform/decimal.h"
#include "platform/text_conversion.h"

namespace tf {
namespace {

constexpr std::size_t kPBindTextSize = sizeof(PBindOptions::position);

// The job options: PPD option keywords, used without the ticket-key prefix.
constexpr char KPPDPBindPositionKey[] = "QMPBindPosition";
constexpr char KPPDPBindTrimmingKey[] = "QMPBindTrimming";
constexpr char KPPDPBindCutPageSizeKey[] = "QMPBindCutPageSize";
constexpr char KPPDPBindCutPositionTopKey[] = "QMPBindCutPositionTop";
constexpr char KPPDPBindCutPositionForeKey[] = "QMPBindCutPositionFore";
constexpr char KPPDPBindPageSizeKey[] = "QMPBindPageSize";
constexpr char KPPDPBindCoverPageSizeKey[] = "QMPBindCoverPageSize";
constexpr char KPPDPBindCoverMediaTypeKey[] = "QMPBindCoverMediaType";
constexpr char KPPDPBindCoverMediaColorKey[] = "QMPBindCoverMediaColor";
constexpr char KPPDPBindCoverPaperTrayKey[] = "QMPBindCoverPaperTray";
constexpr char KPPDPBindRotationAdjustTopKey[] = "QMPBindRotationAdjustTop";
constexpr char KPPDPBindRotationAdjustBotKey[] = "QMPBindRotationAdjustBot";
constexpr char KPPDPBindRotationAdjustForeKey[] = "QMPBindRotationAdjustFore";
constexpr char KPPDPBindCutPageAdjustmentTBKey[] = "QMPBindCutPageAdjustmentTB";
constexpr char KPPDPBindCutPageAdjustmentForeKey[] = "QMPBindCutPageAdjustmentFore";
constexpr char KPPDPBindCutPositionAdjustmentTBKey[] = "QMPBindCutPositionAdjustmentTB";
constexpr char KPPDPBindCoverAdjustXKey[] = "QMPBindCoverAdjustX";
constexpr char KPPDPBindCoverAdjustYKey[] = "QMPBindCoverAdjustY";

// Ticket table `PBindticketData`.
constexpr TicketDataEntry PBindticketData[] = {
    {KPPDPBindPositionKey, KeyKind::Plain, TF_RECORD(PBindOptions, position),
     GetTicketStringConvertedToPrtLang},
    {KPPDPBindTrimmingKey, KeyKind::Plain, TF_RECORD(PBindOptions, trimming),
     GetTicketStringConvertedToPrtLang},
    {KPPDPBindCutPageSizeKey, KeyKind::Plain, TF_RECORD(PBindOptions, cutPageSize),
     GetTicketStringConvertedToPrtLang},
    {KPPDPBindCutPositionTopKey, KeyKind::Plain, TF_RECORD(PBindOptions, cutPositionTop),
     GetTicketStringConvertedToPrtLang},
    {KPPDPBindCutPositionForeKey, KeyKind::Plain, TF_RECORD(PBindOptions, cutPositionFore),
     GetTicketStringConvertedToPrtLang},
    {KPPDPBindPageSizeKey, KeyKind::Plain, TF_RECORD(PBindOptions, pageSize),
     GetTicketStringConvertedToPrtLang},
    {KPPDPBindCoverPageSizeKey, KeyKind::Plain, TF_RECORD(PBindOptions, coverPageSize),
     GetTicketStringConvertedToPrtLang},
    {KPPDPBindCoverMediaTypeKey, KeyKind::Plain, TF_RECORD(PBindOptions, coverMediaType),
     GetTicketStringConvertedToPrtLang},
    {KPPDPBindCoverMediaColorKey, KeyKind::Plain, TF_RECORD(PBindOptions, coverMediaColor),
     GetTicketStringConvertedToPrtLang},
    {KPPDPBindCoverPaperTrayKey, KeyKind::Plain, TF_RECORD(PBindOptions, coverPaperTray),
     GetTicketStringConvertedToPrtLang},
    {KPPDPBindRotationAdjustTopKey, KeyKind::Plain, TF_RECORD(PBindOptions, rotationAdjustTop),
     GetTicketStringConvertedToPrtLang},
    {KPPDPBindRotationAdjustBotKey, KeyKind::Plain, TF_RECORD(PBindOptions, rotationAdjustBottom),
     GetTicketStringConvertedToPrtLang},
    {KPPDPBindRotationAdjustForeKey, KeyKind::Plain, TF_RECORD(PBindOptions, rotationAdjustFore),
     GetTicketStringConvertedToPrtLang},
    {KPPDPBindCutPageAdjustmentTBKey, KeyKind::Plain, TF_RECORD(PBindOptions, cutPageAdjustTB),
     GetTicketStringConvertedToPrtLang},
    {KPPDPBindCutPageAdjustmentForeKey, KeyKind::Plain, TF_RECORD(PBindOptions, cutPageAdjustFore),
     GetTicketStringConvertedToPrtLang},
    {KPPDPBindCutPositionAdjustmentTBKey, KeyKind::Plain,
     TF_RECORD(PBindOptions, cutPositionAdjustTB),
     GetTicketStringConvertedToPrtLang},
    {KPPDPBindCoverAdjustXKey, KeyKind::Plain, TF_RECORD(PBindOptions, coverAdjustX),
     GetTicketStringConvertedToPrtLang},
    {KPPDPBindCoverAdjustYKey, KeyKind::Plain, TF_RECORD(PBindOptions, coverAdjustY),
     GetTicketStringConvertedToPrtLang},
};
static_assert(std::size(PBindticketData) == 18);

// Paper-size names of the dialog that carry the QM prefix.
constexpr char KPBindPaperSize11x15[] = "QM11x15";
constexpr char KPBindPaperSize889x122[] = "QM889x122";
constexpr char KPBindPaperSize122x170[] = "QM122x170";
constexpr char KPBindPaperSize126x192[] = "QM126x192";
constexpr char KPBindPaperSize13x18[] = "QM13x18";
constexpr char KPBindPaperSize13x19[] = "QM13x19";
constexpr char KPBindPaperSize16KAI[] = "QM16-KAI";
constexpr char KPBindPaperSize16KAIGCO[] = "QM16-KAI-GCO";
constexpr char KPBindPaperSize8KAI[] = "QM8-KAI";
constexpr char KPBindPaperSize8KAIGCO[] = "QM8-KAI-GCO";
constexpr char KPBindPaperSizeA4Cover[] = "QMA4Cover";

// Value table `PerfectBindParam`: the dialog's (or PPD's) value and the printer's word for it.
// One table serves every translated field: sizes, media types, media colours and trays.
constexpr PBindParamPair PerfectBindParam[] = {
    // Paper sizes.
    {"A3", "A3"},
    {"A4", "A4"},
    {"A5", "A5"},
    {"B4", "JISB4"},
    {"B5", "JISB5"},
    {"SRA3", "SA3"},
    {"8x10", "8X10"},
    {KPBindPaperSize11x15, "11X15"},
    {KPBindPaperSize889x122, "SPECIALA4"},
    {KPBindPaperSize122x170, "DT_SPECIALA3"},
    {KPBindPaperSize126x192, "126X192"},
    {KPBindPaperSize13x18, "13X18"},
    {KPBindPaperSize13x19, "13X19"},
    {KPBindPaperSize16KAI, "ROC16K"},
    {KPBindPaperSize16KAIGCO, "16KAIGCO"},
    {KPBindPaperSize8KAI, "ROC8K"},
    {KPBindPaperSize8KAIGCO, "8KAIGCO"},
    {KPBindPaperSizeA4Cover, "A4COVER"},
    {"9x11", "LETTERCOVER"},
    {"Letter", "LETTER"},
    {"Executive", "EXECUTIVE"},
    {"Tabloid", "LEDGER"},
    {"TabloidExtra", "12X18"},
    // Media types.
    {"Default", "OFF"},
    {"Stationary", "NORMAL"},
    {"StationaryS1", "NORMALS1"},
    {"RecyclePaper", "RECYCLE"},
    {"RecyclePaperS1", "RECYCLES1"},
    {"ThickPaper", "THICK"},
    {"ThickPaperS1", "THICKS1"},
    {"ThickPaper2", "SUPERTHICK"},
    {"ThickPaper2S1", "SUPERTHICKS1"},
    {"CoatingPaper1", "COATEDPAPER"},
    {"CoatingPaper1A", "COATEDPAPERA"},
    {"CoatingPaper1B", "COATEDPAPERB"},
    {"CoatingPaper2", "COATEDPAPER2"},
    {"PrePrintedPaper", "PREPRINTED"},
    {"PrePrintedThickPaper1", "PREPRINTEDTHICK1"},
    {"PrePrintedThickPaper1S1", "PREPRINTEDTHICK1S1"},
    {"PrePrintedThickPaper2", "PREPRINTEDTHICK2"},
    {"PrePrintedThickPaper2S1", "PREPRINTEDTHICK2S1"},
    {"PrePrintedPlainPaperS1", "PREPRINTEDS1"},
    {"CustomSizedPaper1", "USER1"},
    {"CustomSizedPaper2", "USER2"},
    {"CustomSizedPaper3", "USER3"},
    {"CustomSizedPaper4", "USER4"},
    {"CustomSizedPaper5", "USER5"},
    // Media colours.
    {"White", "WHITE"},
    {"Blue", "BLUE"},
    {"Yellow", "YELLOW"},
    {"Green", "GREEN"},
    {"Pink", "PINK"},
    {"Clear", "CLEAR"},
    {"Ivory", "IVORY"},
    {"Gray", "GRAY"},
    {"Buff", "BUFF"},
    {"Goldenrod", "GOLDENROD"},
    {"Red", "RED"},
    {"Orange", "ORANGE"},
    {"Custom1", "CUSTOM1"},
    {"Custom2", "CUSTOM2"},
    {"Custom3", "CUSTOM3"},
    {"Custom4", "CUSTOM4"},
    {"Custom5", "CUSTOM5"},
    {"Other", "OTHER"},
    {"Any", "UNSPECIFIED"},
    // Trays.
    {"AutoTray", "AUTO"},
    {"1stTray", "INTRAY1"},
    {"2ndTray", "INTRAY2"},
    {"3rdTray", "INTRAY3"},
    {"4thTray", "INTRAY4"},
    {"MSI", "INTRAY5"},
    {"6thTrayOverSized", "INTRAY6"},
    {"7thTrayOverSized", "INTRAY7"},
    {"HCF1", "INTRAY6"},
    {"HCF2", "INTRAY7"},
    {"PBindInserter", "INTRAY9"},
};
static_assert(std::size(PerfectBindParam) == 77);

// No value occurs twice, so the order of the pairs never decides a translation.
constexpr bool PerfectBindValuesAreUnique() {
  for (std::size_t i = 0; i < std::size(PerfectBindParam); ++i) {
    for (std::size_t j = i + 1; j < std::size(PerfectBindParam); ++j) {
      if (std::string_view(PerfectBindParam[i].value) == PerfectBindParam[j].value) return false;
    }
  }
  return true;
}
static_assert(PerfectBindValuesAreUnique());

// Values of the options and of the record after normalisation.
constexpr char OptionPBindNone[] = "None";
constexpr char OptionPBindBindLeft[] = "BindLeft";
constexpr char OptionPBindBindRight[] = "BindRight";
constexpr char OptionPBindBindTop[] = "BindTop";
constexpr char OptionPBindOff[] = "OFF";
constexpr char OptionPBindLeft[] = "LEFT";
constexpr char OptionPBindRight[] = "RIGHT";
constexpr char OptionPBindTop[] = "TOP";
constexpr char OptionPBindRotSefLand[] = "ROTSEFLAND";
constexpr char OptionPBindRotLefPort[] = "ROTLEFPORT";
constexpr char OptionPBind3EdgeSpecifySize[] = "3EdgeSpecifySize";
constexpr char OptionPBind1EdgeSpecifySize[] = "1EdgeSpecifySize";
constexpr char OptionPBind1EdgeCut[] = "1EdgeCut";
constexpr char OptionPBind3EdgeCutMinimum[] = "3EdgeCutMinimum";
constexpr char OptionPBind1EdgeCutMinimum[] = "1EdgeCutMinimum";
constexpr char OptionPBind1EdgePrefix[] = "1Edge";
constexpr char OptionPBind3EdgePrefix[] = "3Edge";
constexpr char OptionPBindFace[] = "FACE";
constexpr char OptionPBindFullBleed[] = "FULLBLEED";
constexpr char OptionPBindMinimumCut[] = "7mm";
constexpr char OptionPBindCustom[] = "CUSTOM";
constexpr char OptionPBindCoverDL[] = "DL";
constexpr char OptionPBindCoverDLSize[] = "Tabloid";

// The cover-insertion line that ends the binding attributes.
constexpr char kPBindPBCIOff[] = "@PJL SET JOBATTR=\"@PBCI=OFF\"\n";

using PBindText = char[kPBindTextSize];

void ClearText(PBindText& field) { std::memset(field, 0, sizeof(field)); }

bool IsEmpty(const char* text) { return text[0] == '\0'; }

// Value text fit for a DEBUG line: printable ASCII only (anything else shows as "?"), at most 64
// bytes, so that no job text can start a line of its own on the spooler's log.
std::string DebugText(std::string_view text) {
  std::string shown;
  for (unsigned char c : text.substr(0, 64)) {
    shown += (c >= 0x20 && c < 0x7F && c != '"') ? static_cast<char>(c) : '?';
  }
  return shown;
}

// Millimetres of a trim amount such as "7mm": the text without its last two characters (the
// unit), read as a leading decimal integer.  An amount of fewer than three characters has no
// number before its unit; it is read as 0 mm, so the binder never cuts more than was asked for.
std::int64_t TrimMillimetres(const char* amount, Logger& log) {
  const std::size_t length = std::strlen(amount);
  if (length < 3) {
    log.Debug(
        "Perfect binding: trim amount \"%s\" has no number before its unit; trimming 0 mm there",
        DebugText(amount).c_str());
    return 0;
  }
  const std::string number(amount, length - 2);
  return DecimalValue(number);
}

// Writes "@PJL SET JOBATTR="@<attribute>=<value>"" with `value`, a text field of the job's
// record, cut by its own encoding (WriteJobAttribute).
void WriteTextLine(Job& job, const char* attribute, const char* value) {
  WriteJobAttribute(job.out, attribute, value, job.EncodingOf(value));
}

struct Dimensions {
  std::int32_t width;   // tenths of a millimetre
  std::int32_t height;  // tenths of a millimetre
};

// The page size `name` of the PPD in tenths of a millimetre; std::nullopt (with a DEBUG line)
// when the PPD does not define it or there is no PPD.
std::optional<Dimensions> PageDimensions(Job& job, const char* name) {
  const PpdFile& ppd = job.ppd();
  if (!ppd.IsOpen()) {
    job.log.Debug("Perfect binding: no PPD to take the size of \"%s\" from",
                  DebugText(name).c_str());
    return std::nullopt;
  }
  const std::optional<PpdPageSize> size = ppd.PageSize(name);
  std::optional<std::int32_t> width, height;
  if (size) {
    width = PBindPointsToTenthsMm(size->width);
    height = PBindPointsToTenthsMm(size->length);
  }
  if (!width || !height) {
    job.log.Debug("Perfect binding: the PPD has no page size \"%s\"", DebugText(name).c_str());
    return std::nullopt;
  }
  return Dimensions{*width, *height};
}

// Replaces `field` by its printer value.  A value the binder does not know is dropped (with a
// DEBUG line), as if the option had not been given: the printer never receives a word it cannot
// read, and falls back to its own setting for that attribute.
void TranslateField(PBindText& field, const char* attribute, Logger& log) {
  char translated[kPBindTextSize] = {};
  if (!ConvertPBindPPDValue(field, translated, sizeof(translated))) {
    log.Debug("Perfect binding: the binder knows no value \"%s\" for %s; left out",
              DebugText(field).c_str(), attribute);
  }
  std::memcpy(field, translated, sizeof(field));
}

void PBindNormalise(PBindOptions& pb) {
  // Binding edge, and the rotation it asks for.
  const std::string_view position = pb.position;
  if (position == OptionPBindNone) {
    CopyToField(pb.position, OptionPBindOff, TextEncoding::ShiftJIS);
  } else if (position == OptionPBindBindLeft) {
    CopyToField(pb.position, OptionPBindLeft, TextEncoding::ShiftJIS);
    CopyToField(pb.rotation, OptionPBindRotSefLand, TextEncoding::ShiftJIS);
  } else if (position == OptionPBindBindRight) {
    CopyToField(pb.position, OptionPBindRight, TextEncoding::ShiftJIS);
    CopyToField(pb.rotation, OptionPBindRotLefPort, TextEncoding::ShiftJIS);
  } else if (position == OptionPBindBindTop) {
    CopyToField(pb.position, OptionPBindTop, TextEncoding::ShiftJIS);
    CopyToField(pb.rotation, OptionPBindRotSefLand, TextEncoding::ShiftJIS);
  } else {
    ClearText(pb.rotation);
  }

  // What the trimming choice leaves of the finished size and the trim amounts.
  const std::string_view trimming = pb.trimming;
  if (trimming == OptionPBindNone) {
    ClearText(pb.cutPageSize);
    ClearText(pb.cutPositionTop);
    ClearText(pb.cutPositionFore);
  } else if (trimming == OptionPBind3EdgeSpecifySize || trimming == OptionPBind1EdgeSpecifySize) {
    ClearText(pb.cutPositionTop);
    ClearText(pb.cutPositionFore);
  } else {
    ClearText(pb.cutPageSize);
    if (trimming == OptionPBind1EdgeCut) {
      ClearText(pb.cutPositionTop);
    } else if (trimming == OptionPBind3EdgeCutMinimum) {
      CopyToField(pb.cutPositionFore, OptionPBindMinimumCut, TextEncoding::ShiftJIS);
      CopyToField(pb.cutPositionTop, OptionPBindMinimumCut, TextEncoding::ShiftJIS);
      pb.minimumCut = 1;
    } else if (trimming == OptionPBind1EdgeCutMinimum) {
      CopyToField(pb.cutPositionFore, OptionPBindMinimumCut, TextEncoding::ShiftJIS);
      ClearText(pb.cutPositionTop);
      pb.minimumCut = 1;
    }
  }

  // The trimming word of the printer.
  if (trimming == OptionPBindNone) {
    CopyToField(pb.trimming, OptionPBindOff, TextEncoding::ShiftJIS);
  } else if (trimming.starts_with(OptionPBind1EdgePrefix)) {
    CopyToField(pb.trimming, OptionPBindFace, TextEncoding::ShiftJIS);
  } else if (trimming.starts_with(OptionPBind3EdgePrefix)) {
    CopyToField(pb.trimming, OptionPBindFullBleed, TextEncoding::ShiftJIS);
  }
}

}  // namespace

std::optional<std::int32_t> PBindPointsToTenthsMm(float points) {
  // A sheet is far below a million points (350 m); anything else is no size at all.
  if (!std::isfinite(points) || points < 0 || points > 1.0e6f) return std::nullopt;
  const std::int32_t whole = static_cast<std::int32_t>(points);
  return whole * 60 / 170 * 10;
}

bool ConvertPBindPPDValue(const char* value, char* destination, std::size_t size) {
  if (destination == nullptr || size == 0) return false;
  std::memset(destination, 0, size);
  if (value == nullptr) return false;
  for (const PBindParamPair& pair : PerfectBindParam) {
    if (std::strcmp(pair.value, value) == 0) {
      std::strncpy(destination, pair.printerValue, size - 1);
      return true;
    }
  }
  return false;
}

void OutputKPJLCommandforPBindDigital(Job& job, const char* value, std::int32_t multiplier,
                                      const char* attribute, const char* position,
                                      std::int32_t signRule) {
  if (value == nullptr || IsEmpty(value)) return;
  std::int64_t number = std::int64_t{DecimalValue(value)} * multiplier;
  const std::string_view edge = position != nullptr ? position : "";
  if ((signRule == 1 && edge == OptionPBindRight) ||
      (signRule == 2 && (edge == OptionPBindTop || edge == OptionPBindLeft))) {
    number = -number;
  }
  WriteJobAttribute(job.out, attribute, number);
}

void PBindGetTicketFromPDE(Job& job, void* psoptionpbind) {
  PBindOptions& pb = *static_cast<PBindOptions*>(psoptionpbind);
  pb = PBindOptions{};
  GetTicketFromArray(job, psoptionpbind, PBindticketData);
  PBindNormalise(pb);
}

void OutputKPJLCommandforPerfectBind(Job& job, void* psoptionpbind) {
  PBindOptions& pb = *static_cast<PBindOptions*>(psoptionpbind);
  const std::string_view position = pb.position;
  if (position.empty() || position == OptionPBindOff) return;

  // The sizes first, so that a trimming whose sizes are unknown is known before its lines.
  std::optional<Dimensions> paper;
  if (!IsEmpty(pb.pageSize)) {
    paper = PageDimensions(job, pb.pageSize);
    TranslateField(pb.pageSize, "PBBP", job.log);
  }
  const bool cutSizeGiven = !IsEmpty(pb.cutPageSize);
  std::optional<Dimensions> finished;
  if (cutSizeGiven) {
    finished = PageDimensions(job, pb.cutPageSize);
    TranslateField(pb.cutPageSize, "PBTP", job.log);
    if (!finished) ClearText(pb.cutPageSize);
  }

  // Trimming cuts at numbers computed from the paper size and the finished size.  When a size the
  // cut depends on is unknown, the job is bound without trimming rather than cut at guessed
  // numbers: an untrimmed book can still be trimmed by hand, a miscut one is waste.
  bool trimming = std::string_view(pb.trimming) != OptionPBindOff;
  const bool needsPaper =
      cutSizeGiven || !IsEmpty(pb.cutPositionFore) || !IsEmpty(pb.cutPositionTop);
  const bool finishedKnown = !cutSizeGiven || !IsEmpty(pb.cutPageSize);
  if (trimming && (!finishedKnown || (needsPaper && !paper))) {
    job.log.Debug("Perfect binding: the sizes to trim to are unknown; binding without trimming");
    CopyToField(pb.trimming, OptionPBindOff, TextEncoding::ShiftJIS);
    ClearText(pb.cutPageSize);
    trimming = false;
  }

  WriteTextLine(job, "PBRE", pb.position);
  WriteTextLine(job, "MSDA", pb.rotation);
  WriteTextLine(job, "PBTC", pb.trimming);
  if (!IsEmpty(pb.pageSize)) WriteTextLine(job, "PBBP", pb.pageSize);

  // Finished size and image shift, in tenths of a millimetre.
  const Dimensions paperSize = paper.value_or(Dimensions{0, 0});
  Dimensions cut{0, 0};
  std::int64_t shift = 0;
  if (!IsEmpty(pb.cutPageSize) && finished) {
    cut = *finished;
    const std::int64_t difference = std::int64_t{paperSize.width} - cut.width;
    shift = (difference % 2 == 0) ? difference / 2 : (difference + 1) / 2;
  } else if (trimming) {
    CopyToField(pb.cutPageSize, OptionPBindCustom, TextEncoding::ShiftJIS);
  } else {
    CopyToField(pb.cutPageSize, pb.pageSize, TextEncoding::ShiftJIS);
    cut = paperSize;
  }
  WriteTextLine(job, "PBTP", pb.cutPageSize);

  if (trimming) {
    const bool fore = !IsEmpty(pb.cutPositionFore);
    if (fore) {
      const std::int64_t millimetres = TrimMillimetres(pb.cutPositionFore, job.log);
      WriteJobAttribute(job.out, "PBTW", paperSize.width - 10 * millimetres);
      shift = 5 * millimetres;
    }
    if (!IsEmpty(pb.cutPositionTop)) {
      const std::int64_t millimetres = TrimMillimetres(pb.cutPositionTop, job.log);
      WriteJobAttribute(job.out, "PBTH", paperSize.height - 20 * millimetres);
    } else if (fore) {
      WriteJobAttribute(job.out, "PBTH", paperSize.height);
    } else {
      WriteJobAttribute(job.out, "PBTW", cut.width);
      WriteJobAttribute(job.out, "PBTH", cut.height);
    }
    if (pb.minimumCut == 0) {
      const bool right = position == OptionPBindRight;
      WriteJobAttribute(job.out, "ISXO", right ? shift : -shift);
      WriteJobAttribute(job.out, "ISXT", right ? -shift : shift);
    }
  }

  // Fine adjustments; top and bottom change places when the book is bound on the right.
  const bool right = position == OptionPBindRight;
  OutputKPJLCommandforPBindDigital(job, pb.cutPageAdjustFore, 1, "PBAW", pb.position, 0);
  OutputKPJLCommandforPBindDigital(job, pb.cutPageAdjustTB, 1, "PBAH", pb.position, 0);
  OutputKPJLCommandforPBindDigital(job, pb.rotationAdjustTop, 1, right ? "PBAB" : "PBAT",
                                   pb.position, 0);
  OutputKPJLCommandforPBindDigital(job, pb.rotationAdjustBottom, 1, right ? "PBAT" : "PBAB",
                                   pb.position, 0);
  OutputKPJLCommandforPBindDigital(job, pb.rotationAdjustFore, 1, "PBAF", pb.position, 1);
  OutputKPJLCommandforPBindDigital(job, pb.coverAdjustX, 1, "PBAX", pb.position, 1);
  OutputKPJLCommandforPBindDigital(job, pb.coverAdjustY, 1, "PBAY", pb.position, 2);
  OutputKPJLCommandforPBindDigital(job, pb.cutPositionAdjustTB, 1, "PBAV", pb.position, 1);

  // The cover sheet.  The DL cover is printed on a Tabloid sheet.
  if (!IsEmpty(pb.coverPageSize)) {
    if (std::string_view(pb.coverPageSize) == OptionPBindCoverDL) {
      CopyToField(pb.coverPageSize, OptionPBindCoverDLSize, TextEncoding::ShiftJIS);
    }
    TranslateField(pb.coverPageSize, "PBCP", job.log);
    if (!IsEmpty(pb.coverPageSize)) {
      WriteTextLine(job, "PBCP", pb.coverPageSize);
    }
  }
  struct CoverField {
    PBindText& field;
    const char* attribute;
  };
  const CoverField coverFields[] = {
      {pb.coverMediaType, "PBCQ"}, {pb.coverMediaColor, "PBCC"}, {pb.coverPaperTray, "PBCT"}};
  for (const CoverField& cover : coverFields) {
    if (IsEmpty(cover.field)) continue;
    TranslateField(cover.field, cover.attribute, job.log);
    if (!IsEmpty(cover.field)) WriteTextLine(job, cover.attribute, cover.field);
  }

  job.out.Write(kPBindPBCIOff);
}

namespace {
constexpr std::span<const TicketDataEntry> kTicketTables[] = {PBindticketData};
}  // namespace

const ModuleDescriptor PBindModule{
    .name = "perfect binding",
    .record = RecordTypeOf<PBindOptions>(),
    .ticketTables = kTicketTables,
    .readTickets = PBindGetTicketFromPDE,
    .writeHeader = OutputKPJLCommandforPerfectBind,
};

}  // namespace tf
