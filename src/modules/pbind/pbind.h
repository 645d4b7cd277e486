// Perfect binding: binding edge, trimming, finished size, adjustments and cover of the binder.
#pragma once

#include <cstdint>

namespace tf {

class Job;

// Record `psoptionpbind`: the perfect-binding options of the job.
struct PBindOptions {
  char position[256];
  char rotation[256];
  char trimming[256];
  char cutPageSize[256];
  char cutPositionTop[256];
  char cutPositionFore[256];
  char cutPageAdjustFore[256];
  char cutPageAdjustTB[256];
  char rotationAdjustTop[256];
  char rotationAdjustBottom[256];
  char rotationAdjustFore[256];
  char coverAdjustX[256];
  char coverAdjustY[256];
  char coverPageSize[256];
  char coverMediaType[256];
  char coverMediaColor[256];
  char coverPaperTray[256];
  char pageSize[256];
  char cutPositionAdjustTB[256];
  std::int32_t minimumCut;
};

int PBindGetTicketFromPDE(Job& job);
void OutputKPJLCommandforPerfectBind(Job& job);

}  // namespace tf
