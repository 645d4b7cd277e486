// Finishing features: tab margin, trimmer, numbering, offset stacking, output face, and the
// PostScript for separator pages, booklet image shift and automatic fit.
#pragma once

#include <cstdint>

namespace tf {

class Job;
class PrinterStream;

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

void FeaturesInializeDescriptionTableFromFilter(Job& job);
int FeaturesGetTicketFromPDE(Job& job);
void FeaturesOutputKPJLCommandFromFilter(Job& job);
void FeaturesOutputPSCommandFromFilter(Job& job, int point, PrinterStream& stream);

}  // namespace tf
