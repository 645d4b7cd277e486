// Watermark: a text drawn on the pages by PostScript inserted at page boundaries.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/module.h"

namespace tf {

class Job;
class PrinterStream;

// Record `psOptionWatermark`: the watermark settings of the job, in ticket-table order.
struct WatermarkOptions {
  char name[256];           // WMARKNameTicket: must be non-empty for any output
  std::int32_t options;     // WMARKOptionsTicket (not used for drawing)
  std::int32_t onlyFirst;   // WMARKOnlyFirstTicket: 0 every page, else the first time only
  char text[256];           // WMARKTextTicket: the text shown
  std::int32_t orientation; // WMARKOrientationTicket: 1 to 4
  std::int32_t paperHeight; // WMARKPaperHeightTicket, points
  std::int32_t paperWidth;  // WMARKPaperWidthTicket, points
  char filePath[256];       // WMARKFilePathTicket (not used)
  std::int32_t type;        // WMARKTypeTicket: 0 text watermark
  char font[256];           // WMARKFontTicket: PostScript font name
  std::int32_t fontSize;    // WMARKFontSizeTicket, points
  std::int32_t fontType;    // WMARKFontTypeTicket (not used)
  float colorR;             // WMARKColorRTicket, 0 to 1
  float colorG;             // WMARKColorGTicket
  float colorB;             // WMARKColorBTicket
  float colorA;             // WMARKColorATicket (not used)
  std::int32_t angle;       // WMARKAngleTicket, degrees counter-clockwise
  std::int32_t density;     // WMARKDensityTicket, percent
  float scale;              // WMARKScaleTicket (not used)
  float posHorizontal;      // WMARKPosHorizontalTicket (not used)
  float posVertical;        // WMARKPosVerticalTicket (not used)
  float width;              // WMARKWidthTicket: text box width, points
  float height;             // WMARKHeightTicket: text box height, points
  float hOffset;            // WMARKhOffsetTicket
  float vOffset;            // WMARKvOffsetTicket
};

// The once-flags of the drawing routine, one per insertion point; armed (1) at job start.
struct WatermarkOnceFlags {
  std::int32_t bToPrint;    // point 13
  std::int32_t bToPrint3;   // point 24
  std::int32_t bToPrint13;  // point 27
  std::int32_t bToPrint15;  // point 28
  std::int32_t bToPrint17;  // point 29
};

// How the watermark follows the pages of the job (see watermark.cpp): per page, whether the page
// called the page-begin procedure "bp" before its page setup ended, and what was written at its
// page setup; per job, whether the page-end procedures have been defined.
struct WatermarkPageFlow {
  std::int32_t bpBeforeSetup;    // "bp" came before the page's first "%%EndPageSetup"
  std::int32_t setupEnded;       // the page's first "%%EndPageSetup" was seen
  std::int32_t pageEndArmed;     // this page armed the page-end procedure (qmvWM)
  std::int32_t pageSaveOpen;     // this page opened the page-start save (qmvbp)
  std::int32_t pageEndDefined;   // the page-end procedures are defined for the job
};

// The drawing lines of the job (colour, font, start point, angle, text), formatted at the first
// page that draws: they are the same on every page.  Room for the longest text and font name with
// every byte escaped.
struct WatermarkDrawingLines {
  std::uint32_t size;  // 0 until formatted
  char text[4 * sizeof(WatermarkOptions::text) + 4 * sizeof(WatermarkOptions::font) + 512];
};

// The record of the watermark module: the settings (first, so that the ticket table addresses
// them as the record's fields), the once-flags, the page flow and the formatted drawing lines.
struct WatermarkRecord {
  WatermarkOptions psOptionWatermark;
  WatermarkOnceFlags once;
  WatermarkPageFlow flow;
  WatermarkDrawingLines drawing;
};
static_assert(offsetof(WatermarkRecord, psOptionWatermark) == 0);

// The watermark module: its record is a WatermarkRecord.
extern const ModuleDescriptor WatermarkModule;

// Arms the once-flags of the record.
void WatermarkInitializeOnceFlags(Job& job, void* record);
// Reads the watermark tickets into the record's psOptionWatermark.
void WatermarkGetTicketFromPDE(Job& job, void* record);

// The watermark's insertion at `at.point` (13 procedure set; 24 page-start save, or the page-end
// procedure of a page without "bp"; 27, 28 and 29 the drawing at the page's end), written to
// `stream`; 22 and 23 only follow the page structure.  The page count is not used.  Nothing
// unless a text watermark (type 0) with a name is set.
void WatermarkOutputPSCommandFromFilter(Job& job, void* record, const PsInsertion& at,
                                        PrinterStream& stream);

// Start point of the watermark text, in points: the centre of the text box, rotated by the angle
// about the start point, falls on the page centre; then the offsets are added.  An angle outside
// 0..360 degrees gives the offsets alone.
void GetWatermarkPosition(const WatermarkOptions& wm, float* x, float* y, float hOffset,
                          float vOffset);

}  // namespace tf
