// The printed page: the anisotropic mapping that puts one score page, with
// its margins, on the printer's sheet.
#pragma once

#include <cstdint>

#include "render/DrawingState.h"

// The score's print unit (1 at start; raised when pages are merged into the
// score and read from the score file). A print unit of 24 / this is one
// score page unit on paper.
extern int32_t ScorePrintUnit;

// What the printer tells of its sheet, in device pixels (absolute values).
struct PrinterCaps {
  int32_t physicalWidth;   // PHYSICALWIDTH
  int32_t physicalHeight;  // PHYSICALHEIGHT
  int32_t printableWidth;  // HORZRES
  int32_t printableHeight; // VERTRES
  int32_t offsetX;         // PHYSICALOFFSETX
  int32_t offsetY;         // PHYSICALOFFSETY
};

struct PrintFit {
  Extent windowExtent;
  Extent viewportExtent;
  int32_t originX;  // print units
  int32_t originY;
  double ratio;     // print units per score page unit (24 / ScorePrintUnit)
};

// The mapping for the score's page size (ScorePageSize) on this sheet.
// False, and nothing to print, when the print unit or the page size is 0 or
// the sheet has no printable area.
bool FitPrintPage(const PrinterCaps& caps, PrintFit* fit);
