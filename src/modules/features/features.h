// Finishing features: tab margin, trimmer, numbering, offset stacking, output face, and the
// PostScript for separator pages, booklet image shift and automatic fit.
#pragma once

#include <cstdint>

#include "engine/module.h"

namespace tf {

class Job;
class PrinterStream;
struct JobCoreState;

// Record `kpjlOptionFeatures`: the finishing tickets of the job.
struct FeaturesOptions {
  std::int32_t tabMarginSwitch;
  std::int32_t trimmerSwitch;
  std::int32_t bookletMarginSwitch;
  char tabMarginShift[5];
  char trimmerCuttingSize[5];
  std::int32_t separatorPageList;
  char separatorPages[100];
  std::int32_t autoFitSwitch;
  char bookletMarginShift[5];
  std::int32_t numInSequenceSwitch;
  char numInSequenceValue[5];
  std::int32_t offsetStackingList;
  char offsetStackingPages[6];
  char offsetStackingUnits[6];
  std::int32_t ejectOptionsList;
  char punchHoles[100];
  char featuresMediaTypeTab[100];
  char coilPunchFace[100];
  std::int32_t specialPagesMediaTab;
};

// The finishing module: its record is a FeaturesOptions.
extern const ModuleDescriptor FeaturesModule;

// Fills the record `kpjlOptionFeatures` from the job options.
void FeaturesGetTicketFromPDE(Job& job, void* kpjlOptionFeatures);
// Writes the rows of `FeaturesFmtTable` whose conditions hold.
void FeaturesOutputKPJLCommandFromFilter(Job& job, void* kpjlOptionFeatures);
// Writes the PostScript of insertion point `at.point` into `stream`: separator pages before the
// first "%%EndProlog", image shift and automatic fit before "%%EndSetup" when the N-up product is
// 0 or 1; both, separator pages first, before "userdict/setpagedevice{pop}bind put" when it is 2
// or more.  A negative product writes nothing anywhere.
void FeaturesOutputPSCommandFromFilter(Job& job, void* kpjlOptionFeatures, const PsInsertion& at,
                                       PrinterStream& stream);
// The separator-page block (none when the separator choice is 1 or absent).
void FeaturesOutputSeparatorPages(Job& job, const FeaturesOptions& features,
                                  PrinterStream& stream);
// The image-shift block and the automatic-fit block (none when the booklet margin is off or
// absent).
void FeaturesOutputAutoFit(Job& job, const FeaturesOptions& features, PrinterStream& stream);
// Layout rows times columns, as the account tickets stored them in the job core (a text that is
// empty or not a number counts as 0).
std::int64_t FeaturesNUpProduct(const JobCoreState& state);

}  // namespace tf
