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
#include "engine/dispatch.h"
#include "engine/envelope.h"
#include "engine/format.h"
#include "engine/ticket.h"
#include "engine/job.h"
#include "engine/output_channel.h"

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
constexpr char KNumInSequenceCheckBoxTicketKey[] = "NumInSequenceSwitchTicket";
constexpr char KNumInSequenceLittleArrowTicketKey[] = "NumInSequenceLArrowTicket";
constexpr char KOffsetStackingListTicketKey[] = "OffsetStackingListTicket";
constexpr char KOffsetStackingPagesLittleArrowTicketKey[] = "OffsetStackingPagesLArrowTicket";
constexpr char KOffsetStackingUnitsLittleArrowTicketKey[] = "OffsetStackingUnitsLArrowTicket";
constexpr char KEjectOptionsListTicketKey[] = "EjectOptionsListTicket";
constexpr char kQMPunchHoleTicketKey[] = "QMNumPunchHoles";  // a PPD option: no prefix
constexpr char KPFWhetherMediaTypeTabKey[] = "featuresMediaTypeTabTicket";
constexpr char kCoilPunchFaceTicketKey[] = "CoilPunchFaceTicket";
constexpr char KSPWhetherMediaTypeTabKey[] = "whetherMediaTypeTabTicket";

#define TF_FEATURE(field) TF_FIELD(kpjlOptionFeatures.field)
#define TF_FEATURE_SIZE(field) \
  static_cast<std::int32_t>(sizeof(FeaturesOptions::field))

constexpr TicketDataEntry FeaturesticketData[] = {
    {kTabMarginCheckBoxTicketKey, KeyKind::Prefixed, TF_FEATURE(tabMarginSwitch), 4,
     GetTicketInteger},
    {kTrimmerCheckBoxTicketKey, KeyKind::Prefixed, TF_FEATURE(trimmerSwitch), 4,
     GetTicketInteger},
    {kBookletMarginCheckBoxTicketKey, KeyKind::Prefixed, TF_FEATURE(bookletMarginSwitch), 4,
     GetTicketInteger},
    {kTabMarginShiftTicketKey, KeyKind::Prefixed, TF_FEATURE(tabMarginShift),
     TF_FEATURE_SIZE(tabMarginShift), GetTicketStringConvertedToPrtLang},
    {kTrimmerCuttingSizeTicketKey, KeyKind::Prefixed, TF_FEATURE(trimmerCuttingSize),
     TF_FEATURE_SIZE(trimmerCuttingSize), GetTicketStringConvertedToPrtLang},
    {KNumInSequenceCheckBoxTicketKey, KeyKind::Prefixed, TF_FEATURE(numInSequenceSwitch), 4,
     GetTicketInteger},
    {KNumInSequenceLittleArrowTicketKey, KeyKind::Prefixed, TF_FEATURE(numInSequenceValue),
     TF_FEATURE_SIZE(numInSequenceValue), GetTicketStringConvertedToPrtLang},
    {KOffsetStackingListTicketKey, KeyKind::Prefixed, TF_FEATURE(offsetStackingList), 4,
     GetTicketInteger},
    {KOffsetStackingPagesLittleArrowTicketKey, KeyKind::Prefixed, TF_FEATURE(offsetStackingPages),
     TF_FEATURE_SIZE(offsetStackingPages), GetTicketStringConvertedToPrtLang},
    {KOffsetStackingUnitsLittleArrowTicketKey, KeyKind::Prefixed, TF_FEATURE(offsetStackingUnits),
     TF_FEATURE_SIZE(offsetStackingUnits), GetTicketStringConvertedToPrtLang},
    {kSeparatorPagesListTicketKey, KeyKind::Prefixed, TF_FEATURE(separatorPageList), 4,
     GetTicketInteger},
    {kSeparatorPagesTicketKey, KeyKind::Prefixed, TF_FEATURE(separatorPages),
     TF_FEATURE_SIZE(separatorPages), GetTicketStringConvertedToPrtLang},
    {kAutoFitCheckBoxTicketKey, KeyKind::Prefixed, TF_FEATURE(autoFitSwitch), 4,
     GetTicketInteger},
    {kBookletMarginEditTextTicketKey, KeyKind::Prefixed, TF_FEATURE(bookletMarginShift),
     TF_FEATURE_SIZE(bookletMarginShift), GetTicketStringConvertedToPrtLang},
    {KEjectOptionsListTicketKey, KeyKind::Prefixed, TF_FEATURE(ejectOptionsList), 4,
     GetTicketInteger},
    {kQMPunchHoleTicketKey, KeyKind::Plain, TF_FEATURE(punchHoles), TF_FEATURE_SIZE(punchHoles),
     GetTicketStringConvertedToPrtLang},
    {KPFWhetherMediaTypeTabKey, KeyKind::Prefixed, TF_FEATURE(featuresMediaTypeTab),
     TF_FEATURE_SIZE(featuresMediaTypeTab), GetTicketStringConvertedToPrtLang},
    {kCoilPunchFaceTicketKey, KeyKind::Prefixed, TF_FEATURE(coilPunchFace),
     TF_FEATURE_SIZE(coilPunchFace), GetTicketStringConvertedToPrtLang},
    {KSPWhetherMediaTypeTabKey, KeyKind::Prefixed, TF_FEATURE(specialPagesMediaTab), 4,
     GetTicketInteger},
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
// The header rows.  Q is the double quote, L the line feed.

#define TF_Q TF_CONST(CTRLSym_DOUBLE)
#define TF_L TF_CONST(CTRLSym_LF)

// The five conditions of the output-face rows, named as they are listed for row 10.
#define TF_FACE_C1 {TF_FEATURE(ejectOptionsList), TF_CONST(EjectOptionsOff), IntCampareFunc}
#define TF_FACE_C2 {TF_FEATURE(punchHoles), TF_CONST(punchHoleCoil), StrContainCampareFunc}
#define TF_FACE_C3 {TF_FEATURE(featuresMediaTypeTab), TF_CONST(mediaTypeNoTab), StrEqualCampareFunc}
#define TF_FACE_C4 \
  {TF_FEATURE(specialPagesMediaTab), TF_CONST(specialPagesMediaNoTab), IntCampareFunc}
#define TF_FACE_C5 {TF_FEATURE(coilPunchFace), TF_CONST(coilPunchFaceOn), StrEqualCampareFunc}
#define TF_FACE_TAB {TF_FEATURE(featuresMediaTypeTab), TF_CONST(mediaTypeIsTab), StrEqualCampareFunc}
#define TF_FACE_SPTAB \
  {TF_FEATURE(specialPagesMediaTab), TF_CONST(specialPagesMediaTab), IntCampareFunc}

// Row 0: tab margin off.
constexpr char prtfmtStrTabMarginValueNone[] = "@PJL SET JOBATTR=%c@TABS=OFF%c%c";
constexpr Operand cmdParaTabMarginValueNone[] = {TF_Q, TF_Q, TF_L};
constexpr ParaTable<Operand> symParaTabMarginValueNone = MakeParaTable(cmdParaTabMarginValueNone);
constexpr ComparationItem comparationItemTabMarginValueNone[] = {
    {TF_FEATURE(tabMarginSwitch), TF_CONST(OptionTabMarginNone), IntCampareFunc}};
constexpr ParaTable<ComparationItem> comparationParaTabMarginValueNone =
    MakeParaTable(comparationItemTabMarginValueNone);

// Row 1: tab margin shift.
constexpr char prtfmtStrTabMarginValue[] = "@PJL SET JOBATTR=%c@TABS=%s%c%c";
constexpr Operand cmdParaTabMarginValue[] = {TF_Q, TF_FEATURE(tabMarginShift), TF_Q, TF_L};
constexpr ParaTable<Operand> symParaTabMarginValue = MakeParaTable(cmdParaTabMarginValue);
constexpr ComparationItem comparationItemTabMarginValue[] = {
    {TF_FEATURE(tabMarginSwitch), TF_CONST(OptionTabMargin), IntCampareFunc}};
constexpr ParaTable<ComparationItem> comparationParaTabMarginValue =
    MakeParaTable(comparationItemTabMarginValue);

// Row 2: trimmer off.
constexpr char prtfmtStrTrimmerValueNone[] = "@PJL SET JOBATTR=%c@TRMR=0%c%c";
constexpr Operand cmdParaTrimmerValueNone[] = {TF_Q, TF_Q, TF_L};
constexpr ParaTable<Operand> symParaTrimmerValueNone = MakeParaTable(cmdParaTrimmerValueNone);
constexpr ComparationItem comparationItemTrimmerValueNone[] = {
    {TF_FEATURE(trimmerSwitch), TF_CONST(OptionTrimmerNone), IntCampareFunc}};
constexpr ParaTable<ComparationItem> comparationParaTrimmerValueNone =
    MakeParaTable(comparationItemTrimmerValueNone);

// Row 3: trimmer cutting size.
constexpr char prtfmtStrTrimmerValue[] = "@PJL SET JOBATTR=%c@TRMR=%s%c%c";
constexpr Operand cmdParaTrimmerValue[] = {TF_Q, TF_FEATURE(trimmerCuttingSize), TF_Q, TF_L};
constexpr ParaTable<Operand> symParaTrimmerValue = MakeParaTable(cmdParaTrimmerValue);
constexpr ComparationItem comparationItemTrimmerValue[] = {
    {TF_FEATURE(trimmerSwitch), TF_CONST(OptionTrimmer), IntCampareFunc}};
constexpr ParaTable<ComparationItem> comparationParaTrimmerValue =
    MakeParaTable(comparationItemTrimmerValue);

// Row 4: numbering off.
constexpr char prtfmtStrNumInSeqValueNone[] = "@PJL SET JOBATTR=%c@MDOC=0%c%c";
constexpr Operand cmdParaNumInSeqValueNone[] = {TF_Q, TF_Q, TF_L};
constexpr ParaTable<Operand> symParaNumInSequenceValueNone =
    MakeParaTable(cmdParaNumInSeqValueNone);
constexpr ComparationItem comparationItemNumInSeqValueNone[] = {
    {TF_FEATURE(numInSequenceSwitch), TF_CONST(OptionNumInSequenceNone), IntCampareFunc}};
constexpr ParaTable<ComparationItem> comparationParaNumInSequenceValueNone =
    MakeParaTable(comparationItemNumInSeqValueNone);

// Row 5: numbering value.
constexpr char prtfmtStrNumInSeqValue[] = "@PJL SET JOBATTR=%c@MDOC=%s%c%c";
constexpr Operand cmdParaNumInSeqValue[] = {TF_Q, TF_FEATURE(numInSequenceValue), TF_Q, TF_L};
constexpr ParaTable<Operand> symParaNumInSequenceValue = MakeParaTable(cmdParaNumInSeqValue);
constexpr ComparationItem comparationItemNumInSeqValue[] = {
    {TF_FEATURE(numInSequenceSwitch), TF_CONST(OptionNumInSequence), IntCampareFunc}};
constexpr ParaTable<ComparationItem> comparationParaNumInSequenceValue =
    MakeParaTable(comparationItemNumInSeqValue);

// Row 6: offset stacking at the end of each set of pages.
constexpr char prtfmtStrOffsetStackingTypePages[] = "@PJL SET JOBOFFSET=PAGES%c";
constexpr Operand cmdParaOffsetStackingTypePages[] = {TF_L};
constexpr ParaTable<Operand> symParaOffsetStackingTypePages =
    MakeParaTable(cmdParaOffsetStackingTypePages);
constexpr ComparationItem comparationItemOffsetStackingTypePages[] = {
    {TF_FEATURE(offsetStackingList), TF_CONST(OptionOffsetStackingEndOfSetPage),
     IntCampareFunc}};
constexpr ParaTable<ComparationItem> comparationParaOffsetStackingTypePages =
    MakeParaTable(comparationItemOffsetStackingTypePages);

// Row 7: offset stacking at the end of each set of copies.
constexpr char prtfmtStrOffsetStackingTypeCopies[] = "@PJL SET JOBOFFSET=COPIES%c";
constexpr Operand cmdParaOffsetStackingTypeCopies[] = {TF_L};
constexpr ParaTable<Operand> symParaOffsetStackingTypeCopies =
    MakeParaTable(cmdParaOffsetStackingTypeCopies);
constexpr ComparationItem comparationItemOffsetStackingTypeCopies[] = {
    {TF_FEATURE(offsetStackingList), TF_CONST(OptionOffsetStackingEndOfSetCopy),
     IntCampareFunc}};
constexpr ParaTable<ComparationItem> comparationParaOffsetStackingTypeCopies =
    MakeParaTable(comparationItemOffsetStackingTypeCopies);

// Row 8: pages per offset set.
constexpr char prtfmtStrOffsetStackingPagesValue[] = "@PJL SET JOBATTR=%c@OCSN=%s%c%c";
constexpr Operand cmdParaOffsetStackingPagesValue[] = {TF_Q, TF_FEATURE(offsetStackingPages),
                                                       TF_Q, TF_L};
constexpr ParaTable<Operand> symParaOffsetStackingPagesValue =
    MakeParaTable(cmdParaOffsetStackingPagesValue);
constexpr ComparationItem comparationItemOffsetStackingPagesValue[] = {
    {TF_FEATURE(offsetStackingList), TF_CONST(OptionOffsetStackingEndOfSetPage),
     IntCampareFunc}};
constexpr ParaTable<ComparationItem> comparationParaOffsetStackingPagesValue =
    MakeParaTable(comparationItemOffsetStackingPagesValue);

// Row 9: copies per offset set.
constexpr char prtfmtStrOffsetStackingUnitsValue[] = "@PJL SET JOBATTR=%c@OCSN=%s%c%c";
constexpr Operand cmdParaOffsetStackingUnitsValue[] = {TF_Q, TF_FEATURE(offsetStackingUnits),
                                                       TF_Q, TF_L};
constexpr ParaTable<Operand> symParaOffsetStackingUnitsValue =
    MakeParaTable(cmdParaOffsetStackingUnitsValue);
constexpr ComparationItem comparationItemOffsetStackingUnitsValue[] = {
    {TF_FEATURE(offsetStackingList), TF_CONST(OptionOffsetStackingEndOfSetCopy),
     IntCampareFunc}};
constexpr ParaTable<ComparationItem> comparationParaOffsetStackingUnitsValue =
    MakeParaTable(comparationItemOffsetStackingUnitsValue);

// Rows 10 to 12: output face off.  Coil punching with the punched face on, on plain media.
constexpr char prtfmtStrEjectOptionsOffCoilFaceOn1[] = "@PJL SET JOBATTR=%c@FACE=OFF%c%c";
constexpr Operand cmdParaEjectOptionsOffCoilFaceOn1[] = {TF_Q, TF_Q, TF_L};
constexpr ParaTable<Operand> symParaEjectOptionsOffCoilFaceOn1 =
    MakeParaTable(cmdParaEjectOptionsOffCoilFaceOn1);
constexpr ComparationItem comparationItemEjectOptionsOffCoilFaceOn1[] = {
    TF_FACE_C1, TF_FACE_C2, TF_FACE_C3, TF_FACE_C4, TF_FACE_C5};
constexpr ParaTable<ComparationItem> comparationParaEjectOptionsOffCoilFaceOn1 =
    MakeParaTable(comparationItemEjectOptionsOffCoilFaceOn1);

// No coil punching, punched face on.
constexpr char prtfmtStrEjectOptionsOffCoilFaceOn2[] = "@PJL SET JOBATTR=%c@FACE=OFF%c%c";
constexpr Operand cmdParaEjectOptionsOffCoilFaceOn2[] = {TF_Q, TF_Q, TF_L};
constexpr ParaTable<Operand> symParaEjectOptionsOffCoilFaceOn2 =
    MakeParaTable(cmdParaEjectOptionsOffCoilFaceOn2);
constexpr ComparationItem comparationItemEjectOptionsOffCoilFaceOn2[] = {
    TF_FACE_C1,
    {TF_FEATURE(punchHoles), TF_CONST(punchHoleCoil), StrNotContainCampareFunc},
    TF_FACE_C5};
constexpr ParaTable<ComparationItem> comparationParaEjectOptionsOffCoilFaceOn2 =
    MakeParaTable(comparationItemEjectOptionsOffCoilFaceOn2);

// Punched face off.
constexpr char prtfmtStrEjectOptionsOffCoilFaceOff[] = "@PJL SET JOBATTR=%c@FACE=OFF%c%c";
constexpr Operand cmdParaEjectOptionsOffCoilFaceOff[] = {TF_Q, TF_Q, TF_L};
constexpr ParaTable<Operand> symParaEjectOptionsOffCoilFaceOff =
    MakeParaTable(cmdParaEjectOptionsOffCoilFaceOff);
constexpr ComparationItem comparationItemEjectOptionsOffCoilFaceOff[] = {
    TF_FACE_C1, {TF_FEATURE(coilPunchFace), TF_CONST(coilPunchFaceOff), StrEqualCampareFunc}};
constexpr ParaTable<ComparationItem> comparationParaEjectOptionsOffCoilFaceOff =
    MakeParaTable(comparationItemEjectOptionsOffCoilFaceOff);

// Rows 13 to 16: the chosen face.
constexpr char prtfmtStrEjectOptionsDown[] = "@PJL SET JOBATTR=%c@FACE=DOWN%c%c";
constexpr Operand cmdParaEjectOptionsDown[] = {TF_Q, TF_Q, TF_L};
constexpr ParaTable<Operand> symParaEjectOptionsDown = MakeParaTable(cmdParaEjectOptionsDown);
constexpr ComparationItem comparationItemEjectOptionsDown[] = {
    {TF_FEATURE(ejectOptionsList), TF_CONST(EjectOptionsDown), IntCampareFunc}};
constexpr ParaTable<ComparationItem> comparationParaEjectOptionsDown =
    MakeParaTable(comparationItemEjectOptionsDown);

constexpr char prtfmtStrEjectOptionsUp[] = "@PJL SET JOBATTR=%c@FACE=UP%c%c";
constexpr Operand cmdParaEjectOptionsUp[] = {TF_Q, TF_Q, TF_L};
constexpr ParaTable<Operand> symParaEjectOptionsUp = MakeParaTable(cmdParaEjectOptionsUp);
constexpr ComparationItem comparationItemEjectOptionsUp[] = {
    {TF_FEATURE(ejectOptionsList), TF_CONST(EjectOptionsUp), IntCampareFunc}};
constexpr ParaTable<ComparationItem> comparationParaEjectOptionsUp =
    MakeParaTable(comparationItemEjectOptionsUp);

constexpr char prtfmtStrEjectOptionsDownReverse[] = "@PJL SET JOBATTR=%c@FACE=DOWN_REVERSE%c%c";
constexpr Operand cmdParaEjectOptionsDownReverse[] = {TF_Q, TF_Q, TF_L};
constexpr ParaTable<Operand> symParaEjectOptionsDownReverse =
    MakeParaTable(cmdParaEjectOptionsDownReverse);
constexpr ComparationItem comparationItemEjectOptionsDownReverse[] = {
    {TF_FEATURE(ejectOptionsList), TF_CONST(EjectOptionsDownReverse), IntCampareFunc}};
constexpr ParaTable<ComparationItem> comparationParaEjectOptionsDownReverse =
    MakeParaTable(comparationItemEjectOptionsDownReverse);

constexpr char prtfmtStrEjectOptionsUpReverse[] = "@PJL SET JOBATTR=%c@FACE=UP_REVERSE%c%c";
constexpr Operand cmdParaEjectOptionsUpReverse[] = {TF_Q, TF_Q, TF_L};
constexpr ParaTable<Operand> symParaEjectOptionsUpReverse =
    MakeParaTable(cmdParaEjectOptionsUpReverse);
constexpr ComparationItem comparationItemEjectOptionsUpReverse[] = {
    {TF_FEATURE(ejectOptionsList), TF_CONST(EjectOptionsUpReverse), IntCampareFunc}};
constexpr ParaTable<ComparationItem> comparationParaEjectOptionsUpReverse =
    MakeParaTable(comparationItemEjectOptionsUpReverse);

// Rows 17 to 19: output face off with coil punching on tab media comes out face up.
constexpr char prtfmtStrFaceUpFeaturesMediaType[] = "@PJL SET JOBATTR=%c@FACE=UP%c%c";
constexpr Operand cmdParaFaceUpFeaturesMediaType[] = {TF_Q, TF_Q, TF_L};
constexpr ParaTable<Operand> symParaFaceUpFeaturesMediaType =
    MakeParaTable(cmdParaFaceUpFeaturesMediaType);
constexpr ComparationItem comparationItemFaceUpFeaturesMediaType[] = {
    TF_FACE_C1, TF_FACE_C2, TF_FACE_TAB, TF_FACE_C4, TF_FACE_C5};
constexpr ParaTable<ComparationItem> comparationParaFaceUpFeaturesMediaType =
    MakeParaTable(comparationItemFaceUpFeaturesMediaType);

constexpr char prtfmtStrFaceUpSpecialPagesMediaType[] = "@PJL SET JOBATTR=%c@FACE=UP%c%c";
constexpr Operand cmdParaFaceUpSpecialPagesMediaType[] = {TF_Q, TF_Q, TF_L};
constexpr ParaTable<Operand> symParaFaceUpSpecialPagesMediaType =
    MakeParaTable(cmdParaFaceUpSpecialPagesMediaType);
constexpr ComparationItem comparationItemFaceUpSpecialPagesMediaType[] = {
    TF_FACE_C1, TF_FACE_C2, TF_FACE_C3, TF_FACE_SPTAB, TF_FACE_C5};
constexpr ParaTable<ComparationItem> comparationParaFaceUpSpecialPagesMediaType =
    MakeParaTable(comparationItemFaceUpSpecialPagesMediaType);

constexpr char prtfmtStrFaceUpBothMediaType[] = "@PJL SET JOBATTR=%c@FACE=UP%c%c";
constexpr Operand cmdParaFaceUpBothMediaType[] = {TF_Q, TF_Q, TF_L};
constexpr ParaTable<Operand> symParaFaceUpBothMediaType =
    MakeParaTable(cmdParaFaceUpBothMediaType);
constexpr ComparationItem comparationItemFaceUpBothMediaType[] = {
    TF_FACE_C1, TF_FACE_C2, TF_FACE_TAB, TF_FACE_SPTAB, TF_FACE_C5};
constexpr ParaTable<ComparationItem> comparationParaFaceUpBothMediaType =
    MakeParaTable(comparationItemFaceUpBothMediaType);

#undef TF_FACE_C1
#undef TF_FACE_C2
#undef TF_FACE_C3
#undef TF_FACE_C4
#undef TF_FACE_C5
#undef TF_FACE_TAB
#undef TF_FACE_SPTAB
#undef TF_Q
#undef TF_L
#undef TF_FEATURE
#undef TF_FEATURE_SIZE

constexpr FmtTableEntry FeaturesFmtTable[] = {
    {prtfmtStrTabMarginValueNone, &symParaTabMarginValueNone, &comparationParaTabMarginValueNone},
    {prtfmtStrTabMarginValue, &symParaTabMarginValue, &comparationParaTabMarginValue},
    {prtfmtStrTrimmerValueNone, &symParaTrimmerValueNone, &comparationParaTrimmerValueNone},
    {prtfmtStrTrimmerValue, &symParaTrimmerValue, &comparationParaTrimmerValue},
    {prtfmtStrNumInSeqValueNone, &symParaNumInSequenceValueNone,
     &comparationParaNumInSequenceValueNone},
    {prtfmtStrNumInSeqValue, &symParaNumInSequenceValue, &comparationParaNumInSequenceValue},
    {prtfmtStrOffsetStackingTypePages, &symParaOffsetStackingTypePages,
     &comparationParaOffsetStackingTypePages},
    {prtfmtStrOffsetStackingTypeCopies, &symParaOffsetStackingTypeCopies,
     &comparationParaOffsetStackingTypeCopies},
    {prtfmtStrOffsetStackingPagesValue, &symParaOffsetStackingPagesValue,
     &comparationParaOffsetStackingPagesValue},
    {prtfmtStrOffsetStackingUnitsValue, &symParaOffsetStackingUnitsValue,
     &comparationParaOffsetStackingUnitsValue},
    {prtfmtStrEjectOptionsOffCoilFaceOn1, &symParaEjectOptionsOffCoilFaceOn1,
     &comparationParaEjectOptionsOffCoilFaceOn1},
    {prtfmtStrEjectOptionsOffCoilFaceOn2, &symParaEjectOptionsOffCoilFaceOn2,
     &comparationParaEjectOptionsOffCoilFaceOn2},
    {prtfmtStrEjectOptionsOffCoilFaceOff, &symParaEjectOptionsOffCoilFaceOff,
     &comparationParaEjectOptionsOffCoilFaceOff},
    {prtfmtStrEjectOptionsDown, &symParaEjectOptionsDown, &comparationParaEjectOptionsDown},
    {prtfmtStrEjectOptionsUp, &symParaEjectOptionsUp, &comparationParaEjectOptionsUp},
    {prtfmtStrEjectOptionsDownReverse, &symParaEjectOptionsDownReverse,
     &comparationParaEjectOptionsDownReverse},
    {prtfmtStrEjectOptionsUpReverse, &symParaEjectOptionsUpReverse,
     &comparationParaEjectOptionsUpReverse},
    {prtfmtStrFaceUpFeaturesMediaType, &symParaFaceUpFeaturesMediaType,
     &comparationParaFaceUpFeaturesMediaType},
    {prtfmtStrFaceUpSpecialPagesMediaType, &symParaFaceUpSpecialPagesMediaType,
     &comparationParaFaceUpSpecialPagesMediaType},
    {prtfmtStrFaceUpBothMediaType, &symParaFaceUpBothMediaType,
     &comparationParaFaceUpBothMediaType},
};
constexpr std::int32_t FeaturesFmtTableNum = static_cast<std::int32_t>(std::size(FeaturesFmtTable));
static_assert(FeaturesFmtTableNum == 20);
static_assert(comparationParaEjectOptionsOffCoilFaceOn1.count == 5 &&
              comparationParaEjectOptionsOffCoilFaceOn2.count == 3 &&
              comparationParaEjectOptionsOffCoilFaceOff.count == 2 &&
              comparationParaFaceUpFeaturesMediaType.count == 5 &&
              comparationParaFaceUpSpecialPagesMediaType.count == 5 &&
              comparationParaFaceUpBothMediaType.count == 5);

// ---------------------------------------------------------------------------------------------
// PostScript blocks.  Constant texts go through QMfprintf ("%%%%" comes out as "%%"); the body
// lines that carry a ticket value are written in pieces with QMfputs, so they are never cut and
// always keep their line end.

constexpr char kBlockOpen[] = "[{\n";
constexpr char kBeginMarker[] = "%%%%BeginNonPPDFeatures\n";
constexpr char kEndMarker[] = "%%%%EndNonPPDFeatures\n";
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
  QMfprintf(stream, kBlockOpen);
  QMfprintf(stream, kBeginMarker);
  for (const char* piece : body) QMfputs(piece, stream);
  QMfprintf(stream, kEndMarker);
  QMfprintf(stream, kBlockClose);
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

// The decimal value of a layout text by atoi rules, held to the int32 range.
std::int64_t LayoutValue(const char* text) {
  const long long value = std::strtoll(text, nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return value;
}

}  // namespace

std::int64_t FeaturesNUpProduct(const JobState& state) {
  return LayoutValue(state.StdLayoutRowInfo) * LayoutValue(state.StdLayoutColumnInfo);
}

// ---------------------------------------------------------------------------------------------
// Module steps.

void FeaturesInializeDescriptionTableFromFilter(Job&) {
  // The parameter and condition lists of FeaturesFmtTable are constant data bound when the
  // program is built, and the record is cleared with the job: there is nothing to bind per job.
}

int FeaturesGetTicketFromPDE(Job& job) { return GetTicketFromArray(job, FeaturesticketData); }

void FeaturesOutputKPJLCommandFromFilter(Job& job) {
  OutputKPJLCommandFromArray(job, FeaturesFmtTable, FeaturesFmtTableNum);
}

void FeaturesOutputSeparatorPages(Job& job, PrinterStream& stream) {
  const FeaturesOptions& features = job.state.kpjlOptionFeatures;
  if (features.separatorPageList == 1 || features.separatorPageList == -1) return;
  if (!IsSeparatorPageList(features.separatorPages)) {
    job.log.Debug(
        "Separator pages left out: the page list holds more than page numbers and blanks.");
    return;
  }
  WriteFeatureBlock(stream, {kSeparatorPagesHead, features.separatorPages, kSeparatorPagesTail});
}

void FeaturesOutputAutoFit(Job& job, PrinterStream& stream) {
  const FeaturesOptions& features = job.state.kpjlOptionFeatures;
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

void FeaturesOutputPSCommandFromFilter(Job& job, int point, PrinterStream& stream) {
  // Called at every insertion point, page ends included: leave the others at once.
  if (point != kPointEndProlog && point != kPointSetPageDevice && point != kPointEndSetup) return;
  const std::int64_t product = FeaturesNUpProduct(job.state);
  const bool singleUp = product == 0 || product == 1;
  const bool multipleUp = product >= 2;
  if (point == kPointEndProlog && singleUp) {
    FeaturesOutputSeparatorPages(job, stream);
  } else if (point == kPointSetPageDevice && multipleUp) {
    FeaturesOutputSeparatorPages(job, stream);
    FeaturesOutputAutoFit(job, stream);
  } else if (point == kPointEndSetup && singleUp) {
    FeaturesOutputAutoFit(job, stream);
  }
}

std::span<const TicketDataEntry> FeaturesTicketTable() { return FeaturesticketData; }

}  // namespace tf
