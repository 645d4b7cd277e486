// Finishing features: the finishing tickets, their header rows (tab margin, trimmer, numbering,
// offset stacking, output face) and the PostScript blocks for separator pages, booklet image shift
// and automatic fit.
#include "modules/features/features.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <string_view>

#include "engine/condition.h"
#include "engine/format.h"
#include "engine/job.h"
#include "engine/output_channel.h"
#include "engine/ticket.h"
#include "platform/decimal.h"

namespace tf {

// ---------------------------------------------------------------------------------------------
// Ticket keys (the program's ticket-key prefix goes before every key but kQMPunchHoleTicketKey).

constexpr char kTabMarginCheckBoxTicketKey[] = "TabMarginSwitchTicket";
constexpr char kTrimmerCheckBoxTicketKey[] = "TrimmerSwitchTicket";
constexpr char kBookletMarginCheckBoxTicketKey[] = "BookletMarginSwitchTicket";
constexpr char kTabMarginShiftTicketKey[] = "TabMarginMMShiftTicket";
constexpr char kTrimmerCuttingSizeTicketKey[] = "TrimmerMMCuttingSizeTicket";
constexpr char kSeparatorPagesListTicketKey[] = "SeparatorPageListTicket";
constexpr char kSeparatorPagesTicketKey[] = "SeparatorPageTicket";
constexpr char kAutoFitCheckBoxTicketKey[] = "AutoFitSwitchTicket";
constexpr char kBookletMarginEditTextTicketKey[] = "BookletMarginMMShiftTicket";
constexpr char kNumInSequenceCheckBoxTicketKey[] = "NumInSequenceSwitchTicket";
constexpr char kNumInSequenceLittleArrowTicketKey[] = "NumInSequenceLArrowTicket";
constexpr char kOffsetStackingListTicketKey[] = "OffsetStackingListTicket";
constexpr char kOffsetStackingPagesLittleArrowTicketKey[] = "OffsetStackingPagesLArrowTicket";
constexpr char kOffsetStackingUnitsLittleArrowTicketKey[] = "OffsetStackingUnitsLArrowTicket";
constexpr char kEjectOptionsListTicketKey[] = "EjectOptionsListTicket";
constexpr char kQMPunchHoleTicketKey[] = "QMNumPunchHoles";  // a PPD option: no prefix
constexpr char kPFWhetherMediaTypeTabTicketKey[] = "featuresMediaTypeTabTicket";
constexpr char kCoilPunchFaceTicketKey[] = "CoilPunchFaceTicket";
constexpr char kSPWhetherMediaTypeTabTicketKey[] = "whetherMediaTypeTabTicket";

constexpr Operand kTabMarginSwitch = TF_RECORD(FeaturesOptions, tabMarginSwitch);
constexpr Operand kTrimmerSwitch = TF_RECORD(FeaturesOptions, trimmerSwitch);
constexpr Operand kNumInSequenceSwitch = TF_RECORD(FeaturesOptions, numInSequenceSwitch);
constexpr Operand kOffsetStackingList = TF_RECORD(FeaturesOptions, offsetStackingList);
constexpr Operand kEjectOptionsList = TF_RECORD(FeaturesOptions, ejectOptionsList);
constexpr Operand kPunchHoles = TF_RECORD(FeaturesOptions, punchHoles);
constexpr Operand kFeaturesMediaTypeTab = TF_RECORD(FeaturesOptions, featuresMediaTypeTab);
constexpr Operand kCoilPunchFace = TF_RECORD(FeaturesOptions, coilPunchFace);
constexpr Operand kSpecialPagesMediaTab = TF_RECORD(FeaturesOptions, specialPagesMediaTab);

constexpr TicketDataEntry FeaturesticketData[] = {
    {kTabMarginCheckBoxTicketKey, KeyKind::Prefixed, kTabMarginSwitch, GetTicketInteger},
    {kTrimmerCheckBoxTicketKey, KeyKind::Prefixed, kTrimmerSwitch, GetTicketInteger},
    {kBookletMarginCheckBoxTicketKey, KeyKind::Prefixed,
     TF_RECORD(FeaturesOptions, bookletMarginSwitch), GetTicketInteger},
    {kTabMarginShiftTicketKey, KeyKind::Prefixed, TF_RECORD(FeaturesOptions, tabMarginShift),
     GetTicketStringConvertedToPrtLang},
    {kTrimmerCuttingSizeTicketKey, KeyKind::Prefixed,
     TF_RECORD(FeaturesOptions, trimmerCuttingSize), GetTicketStringConvertedToPrtLang},
    {kNumInSequenceCheckBoxTicketKey, KeyKind::Prefixed, kNumInSequenceSwitch, GetTicketInteger},
    {kNumInSequenceLittleArrowTicketKey, KeyKind::Prefixed,
     TF_RECORD(FeaturesOptions, numInSequenceValue), GetTicketStringConvertedToPrtLang},
    {kOffsetStackingListTicketKey, KeyKind::Prefixed, kOffsetStackingList, GetTicketInteger},
    {kOffsetStackingPagesLittleArrowTicketKey, KeyKind::Prefixed,
     TF_RECORD(FeaturesOptions, offsetStackingPages), GetTicketStringConvertedToPrtLang},
    {kOffsetStackingUnitsLittleArrowTicketKey, KeyKind::Prefixed,
     TF_RECORD(FeaturesOptions, offsetStackingUnits), GetTicketStringConvertedToPrtLang},
    {kSeparatorPagesListTicketKey, KeyKind::Prefixed,
     TF_RECORD(FeaturesOptions, separatorPageList), GetTicketInteger},
    {kSeparatorPagesTicketKey, KeyKind::Prefixed, TF_RECORD(FeaturesOptions, separatorPages),
     GetTicketStringConvertedToPrtLang},
    {kAutoFitCheckBoxTicketKey, KeyKind::Prefixed, TF_RECORD(FeaturesOptions, autoFitSwitch),
     GetTicketInteger},
    {kBookletMarginEditTextTicketKey, KeyKind::Prefixed,
     TF_RECORD(FeaturesOptions, bookletMarginShift), GetTicketStringConvertedToPrtLang},
    {kEjectOptionsListTicketKey, KeyKind::Prefixed, kEjectOptionsList, GetTicketInteger},
    {kQMPunchHoleTicketKey, KeyKind::Plain, kPunchHoles, GetTicketStringConvertedToPrtLang},
    {kPFWhetherMediaTypeTabTicketKey, KeyKind::Prefixed, kFeaturesMediaTypeTab,
     GetTicketStringConvertedToPrtLang},
    {kCoilPunchFaceTicketKey, KeyKind::Prefixed, kCoilPunchFace,
     GetTicketStringConvertedToPrtLang},
    {kSPWhetherMediaTypeTabTicketKey, KeyKind::Prefixed, kSpecialPagesMediaTab, GetTicketInteger},
};
static_assert(std::size(FeaturesticketData) == 19);

// ---------------------------------------------------------------------------------------------
// Values the conditions compare against.

constexpr std::int32_t OptionTabMarginNone = 0;
constexpr std::int32_t OptionTabMargin = 1;
constexpr std::int32_t OptionTrimmerNone = 0;
constexpr std::int32_t OptionTrimmer = 1;
constexpr std::int32_t OptionNumInSequenceNone = 0;
constexpr std::int32_t OptionNumInSequence = 1;
constexpr std::int32_t OptionOffsetStackingEndOfSetPage = 4;
constexpr std::int32_t OptionOffsetStackingEndOfSetCopy = 5;
constexpr std::int32_t EjectOptionsOff = 1;
constexpr std::int32_t EjectOptionsDown = 2;
constexpr std::int32_t EjectOptionsUp = 3;
constexpr std::int32_t EjectOptionsDownReverse = 4;
constexpr std::int32_t EjectOptionsUpReverse = 5;
constexpr std::int32_t specialPagesMediaNoTab = 0;
constexpr std::int32_t specialPagesMediaTab = 1;
constexpr char mediaTypeIsTab[] = "true";
constexpr char mediaTypeNoTab[] = "false";
constexpr char punchHoleCoil[] = "Coil";
constexpr char coilPunchFaceOn[] = "true";
constexpr char coilPunchFaceOff[] = "false";

// ---------------------------------------------------------------------------------------------
// The header rows.

// The conditions of the output-face rows, named as they are listed for row 10.
constexpr ComparisonItem kFaceOff = Is(kEjectOptionsList, TF_CONST(EjectOptionsOff));
constexpr ComparisonItem kCoilPunching = Contains(kPunchHoles, TF_CONST(punchHoleCoil));
constexpr ComparisonItem kFeaturesNoTab = Equals(kFeaturesMediaTypeTab, TF_CONST(mediaTypeNoTab));
constexpr ComparisonItem kFeaturesTab = Equals(kFeaturesMediaTypeTab, TF_CONST(mediaTypeIsTab));
constexpr ComparisonItem kSpecialPagesNoTab =
    Is(kSpecialPagesMediaTab, TF_CONST(specialPagesMediaNoTab));
constexpr ComparisonItem kSpecialPagesTab =
    Is(kSpecialPagesMediaTab, TF_CONST(specialPagesMediaTab));
constexpr ComparisonItem kCoilFaceOn = Equals(kCoilPunchFace, TF_CONST(coilPunchFaceOn));

constexpr FmtTableEntry FeaturesFmtTable[] = {
    // Rows 0 to 3: tab margin and trimmer, off or with their value.
    {"TabMarginValueNone", "@PJL SET JOBATTR=%c@TABS=OFF%c%c", {kDQ, kDQ, kLF},
     {Is(kTabMarginSwitch, TF_CONST(OptionTabMarginNone))}},
    {"TabMarginValue", "@PJL SET JOBATTR=%c@TABS=%s%c%c",
     {kDQ, TF_RECORD(FeaturesOptions, tabMarginShift), kDQ, kLF},
     {Is(kTabMarginSwitch, TF_CONST(OptionTabMargin))}},
    {"TrimmerValueNone", "@PJL SET JOBATTR=%c@TRMR=0%c%c", {kDQ, kDQ, kLF},
     {Is(kTrimmerSwitch, TF_CONST(OptionTrimmerNone))}},
    {"TrimmerValue", "@PJL SET JOBATTR=%c@TRMR=%s%c%c",
     {kDQ, TF_RECORD(FeaturesOptions, trimmerCuttingSize), kDQ, kLF},
     {Is(kTrimmerSwitch, TF_CONST(OptionTrimmer))}},
    // Rows 4 and 5: numbering.
    {"NumInSeqValueNone", "@PJL SET JOBATTR=%c@MDOC=0%c%c", {kDQ, kDQ, kLF},
     {Is(kNumInSequenceSwitch, TF_CONST(OptionNumInSequenceNone))}},
    {"NumInSeqValue", "@PJL SET JOBATTR=%c@MDOC=%s%c%c",
     {kDQ, TF_RECORD(FeaturesOptions, numInSequenceValue), kDQ, kLF},
     {Is(kNumInSequenceSwitch, TF_CONST(OptionNumInSequence))}},
    // Rows 6 to 9: offset stacking at the end of each set of pages or copies, and the set size.
    {"OffsetStackingTypePages", "@PJL SET JOBOFFSET=PAGES%c", {kLF},
     {Is(kOffsetStackingList, TF_CONST(OptionOffsetStackingEndOfSetPage))}},
    {"OffsetStackingTypeCopies", "@PJL SET JOBOFFSET=COPIES%c", {kLF},
     {Is(kOffsetStackingList, TF_CONST(OptionOffsetStackingEndOfSetCopy))}},
    {"OffsetStackingPagesValue", "@PJL SET JOBATTR=%c@OCSN=%s%c%c",
     {kDQ, TF_RECORD(FeaturesOptions, offsetStackingPages), kDQ, kLF},
     {Is(kOffsetStackingList, TF_CONST(OptionOffsetStackingEndOfSetPage))}},
    {"OffsetStackingUnitsValue", "@PJL SET JOBATTR=%c@OCSN=%s%c%c",
     {kDQ, TF_RECORD(FeaturesOptions, offsetStackingUnits), kDQ, kLF},
     {Is(kOffsetStackingList, TF_CONST(OptionOffsetStackingEndOfSetCopy))}},
    // Rows 10 to 12: output face off.  Coil punching with the punched face on, on plain media;
    // no coil punching, punched face on; punched face off.
    {"EjectOptionsOffCoilFaceOn1", "@PJL SET JOBATTR=%c@FACE=OFF%c%c", {kDQ, kDQ, kLF},
     {kFaceOff, kCoilPunching, kFeaturesNoTab, kSpecialPagesNoTab, kCoilFaceOn}},
    {"EjectOptionsOffCoilFaceOn2", "@PJL SET JOBATTR=%c@FACE=OFF%c%c", {kDQ, kDQ, kLF},
     {kFaceOff, NotContains(kPunchHoles, TF_CONST(punchHoleCoil)), kCoilFaceOn}},
    {"EjectOptionsOffCoilFaceOff", "@PJL SET JOBATTR=%c@FACE=OFF%c%c", {kDQ, kDQ, kLF},
     {kFaceOff, Equals(kCoilPunchFace, TF_CONST(coilPunchFaceOff))}},
    // Rows 13 to 16: the chosen face.
    {"EjectOptionsDown", "@PJL SET JOBATTR=%c@FACE=DOWN%c%c", {kDQ, kDQ, kLF},
     {Is(kEjectOptionsList, TF_CONST(EjectOptionsDown))}},
    {"EjectOptionsUp", "@PJL SET JOBATTR=%c@FACE=UP%c%c", {kDQ, kDQ, kLF},
     {Is(kEjectOptionsList, TF_CONST(EjectOptionsUp))}},
    {"EjectOptionsDownReverse", "@PJL SET JOBATTR=%c@FACE=DOWN_REVERSE%c%c", {kDQ, kDQ, kLF},
     {Is(kEjectOptionsList, TF_CONST(EjectOptionsDownReverse))}},
    {"EjectOptionsUpReverse", "@PJL SET JOBATTR=%c@FACE=UP_REVERSE%c%c", {kDQ, kDQ, kLF},
     {Is(kEjectOptionsList, TF_CONST(EjectOptionsUpReverse))}},
    // Rows 17 to 19: output face off with coil punching on tab media comes out face up.
    {"FaceUpFeaturesMediaType", "@PJL SET JOBATTR=%c@FACE=UP%c%c", {kDQ, kDQ, kLF},
     {kFaceOff, kCoilPunching, kFeaturesTab, kSpecialPagesNoTab, kCoilFaceOn}},
    {"FaceUpSpecialPagesMediaType", "@PJL SET JOBATTR=%c@FACE=UP%c%c", {kDQ, kDQ, kLF},
     {kFaceOff, kCoilPunching, kFeaturesNoTab, kSpecialPagesTab, kCoilFaceOn}},
    {"FaceUpBothMediaType", "@PJL SET JOBATTR=%c@FACE=UP%c%c", {kDQ, kDQ, kLF},
     {kFaceOff, kCoilPunching, kFeaturesTab, kSpecialPagesTab, kCoilFaceOn}},
};
static_assert(std::size(FeaturesFmtTable) == 20);

// ---------------------------------------------------------------------------------------------
// PostScript blocks.  The body lines that carry a ticket value are written in pieces, so they
// are never cut and always keep their line end.

constexpr char kBlockOpen[] = "[{\n";
constexpr char kBeginMarker[] = "%%BeginNonPPDFeatures\n";
constexpr char kEndMarker[] = "%%EndNonPPDFeatures\n";
constexpr char kBlockClose[] = "} stopped cleartomark\n";
constexpr char kSeparatorPagesHead[] = "1 dict dup/SeparatorPages[";
constexpr char kSeparatorPagesTail[] =
    "]put/Custom/ProcSet findresource/setcoverseparator get exec\n";
constexpr char kImageShiftTail[] =
    ".000/Custom/ProcSet findresource/setsignatureimageshift get exec\n";
constexpr char kAutoFitOn[] =
    "/Custom/ProcSet findresource/setsignatureautoscale 2 copy known {get true exch exec} "
    "{pop pop} ifelse\n";
constexpr char kAutoFitOff[] =
    "/Custom/ProcSet findresource/setsignatureautoscale 2 copy known {get false exch exec} "
    "{pop pop} ifelse\n";

namespace {

// One feature block: open, begin marker, the body line (its pieces in order), end marker, close.
void WriteFeatureBlock(PrinterStream& stream, std::initializer_list<const char*> body) {
  stream.Write(kBlockOpen);
  stream.Write(kBeginMarker);
  for (const char* piece : body) stream.Write(piece);
  stream.Write(kEndMarker);
  stream.Write(kBlockClose);
}

// The separator list sits inside a PostScript array whose elements the interpreter executes as it
// reads them, so it may hold page numbers and the blanks between them, nothing else: any other
// byte could run an operator, open a string or comment, or end the line.
bool IsSeparatorPageList(std::string_view list) {
  for (char c : list) {
    if (!(c >= '0' && c <= '9') && c != ' ') return false;
  }
  return true;
}

// The image shift becomes the integer part of a PostScript real ("<shift>.000"): an optional sign
// and digits.  An empty shift gives ".000", a shift of 0.
bool IsImageShift(std::string_view shift) {
  if (!shift.empty() && (shift.front() == '-' || shift.front() == '+')) {
    shift.remove_prefix(1);
    if (shift.empty()) return false;
  }
  for (char c : shift) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

std::int64_t FeaturesNUpProduct(const JobCoreState& state) {
  return std::int64_t{DecimalValue(state.StdLayoutRowInfo)} *
         DecimalValue(state.StdLayoutColumnInfo);
}

// ---------------------------------------------------------------------------------------------
// Module steps.

void FeaturesGetTicketFromPDE(Job& job, void* kpjlOptionFeatures) {
  GetTicketFromArray(job, kpjlOptionFeatures, FeaturesticketData);
}

void FeaturesOutputKPJLCommandFromFilter(Job& job, void* kpjlOptionFeatures) {
  OutputKPJLCommandFromArray(job, kpjlOptionFeatures, FeaturesFmtTable);
}

void FeaturesOutputSeparatorPages(Job& job, const FeaturesOptions& features,
                                  PrinterStream& stream) {
  if (features.separatorPageList == 1 || features.separatorPageList == -1) return;
  if (!IsSeparatorPageList(features.separatorPages)) {
    job.log.Debug(
        "Separator pages left out: the page list holds more than page numbers and blanks.");
    return;
  }
  WriteFeatureBlock(stream, {kSeparatorPagesHead, features.separatorPages, kSeparatorPagesTail});
}

void FeaturesOutputAutoFit(Job& job, const FeaturesOptions& features, PrinterStream& stream) {
  if (features.bookletMarginSwitch == 0 || features.bookletMarginSwitch == -1) return;
  if (IsImageShift(features.bookletMarginShift)) {
    WriteFeatureBlock(stream, {features.bookletMarginShift, kImageShiftTail});
  } else {
    job.log.Debug(
        "Booklet image shift left out: the shift is not a whole number of millimetres.");
  }
  if (features.autoFitSwitch == -1) return;
  WriteFeatureBlock(stream, {features.autoFitSwitch == 0 ? kAutoFitOff : kAutoFitOn});
}

void FeaturesOutputPSCommandFromFilter(Job& job, void* kpjlOptionFeatures, const PsInsertion& at,
                                       PrinterStream& stream) {
  // Called at every insertion point, page ends included: leave the others at once.
  const int point = at.point;
  if (point != kPointEndProlog && point != kPointSetPageDevice && point != kPointEndSetup) return;
  const FeaturesOptions& features = *static_cast<const FeaturesOptions*>(kpjlOptionFeatures);
  const std::int64_t product = FeaturesNUpProduct(job.state);
  const bool singleUp = product == 0 || product == 1;
  const bool multipleUp = product >= 2;
  if (point == kPointEndProlog && singleUp) {
    FeaturesOutputSeparatorPages(job, features, stream);
  } else if (point == kPointSetPageDevice && multipleUp) {
    FeaturesOutputSeparatorPages(job, features, stream);
    FeaturesOutputAutoFit(job, features, stream);
  } else if (point == kPointEndSetup && singleUp) {
    FeaturesOutputAutoFit(job, features, stream);
  }
}

namespace {
constexpr std::span<const TicketDataEntry> kTicketTables[] = {FeaturesticketData};
}  // namespace

const ModuleDescriptor FeaturesModule{
    .name = "finishing",
    .record = RecordTypeOf<FeaturesOptions>(),
    .ticketTables = kTicketTables,
    .readTickets = FeaturesGetTicketFromPDE,
    .writeHeader = FeaturesOutputKPJLCommandFromFilter,
    .insertPostScript = FeaturesOutputPSCommandFromFilter,
};

}  // namespace tf
