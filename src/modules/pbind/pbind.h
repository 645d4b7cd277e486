// Perfect binding: binding edge, trimming, finished size, adjustments and cover of the binder.
//
// The binding options are PPD option keywords of the job ("QMPBindPosition", ...).  They are read
// and normalised with the other tickets; once per job the header then carries them as PJL job
// attributes, with the dialog's size, media and tray names translated into the printer's words
// through the value table `PerfectBindParam` and the sizes given in tenths of a millimetre.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "engine/module.h"

namespace tf {

class Job;

// Record `psoptionpbind`: the perfect-binding options of the job.  Every text field holds a
// NUL-terminated string; an option the job does not carry leaves its field empty.
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
  std::int32_t minimumCut;  // 1 for the minimum-cut trimming choices, else 0
};

// One pair of `PerfectBindParam`: a dialog or PPD value and the printer's word for it.
struct PBindParamPair {
  const char* value;
  const char* printerValue;
};

// The perfect-binding module: its record is a PBindOptions.
extern const ModuleDescriptor PBindModule;

// Clears the record `psoptionpbind`, reads the binding options into it and normalises them.
void PBindGetTicketFromPDE(Job& job, void* psoptionpbind);

// Writes the binding attributes of the job's header (nothing when no binding edge is chosen).
void OutputKPJLCommandforPerfectBind(Job& job, void* psoptionpbind);

// Copies into `destination` (`size` bytes, always NUL-terminated) the printer value paired with
// `value` in `PerfectBindParam`.  Returns true when the table has the value; otherwise the
// destination is left empty and the result is false.
bool ConvertPBindPPDValue(const char* value, char* destination, std::size_t size);

// Writes one adjustment line "@PJL SET JOBATTR="@<attribute>=<n>"" where n is the leading
// decimal value of `value` times `multiplier`, negated by the sign rule: 1 when `position` is
// "RIGHT", 2 when it is "TOP" or "LEFT", 0 never.  An empty value writes nothing.
void OutputKPJLCommandforPBindDigital(Job& job, const char* value, std::int32_t multiplier,
                                      const char* attribute, const char* position,
                                      std::int32_t signRule);

// A PPD page-size dimension in points as tenths of a millimetre: the points truncated to an
// integer, times 60, divided by 170 toward zero (whole millimetres), times 10.  std::nullopt for a
// dimension that is negative, not a number or too large to be a sheet.
std::optional<std::int32_t> PBindPointsToTenthsMm(float points);

}  // namespace tf
