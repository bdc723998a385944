// The traced lines of a page's staves: the stave-line table computed from a
// stave's outline and the page image, and the look-ups that read it.
#pragma once

#include <cstdint>

#include "reading/PageImage.h"
#include "score/StaveTypes.h"

// What the line look-ups need of a page: its image and resolution, its
// line table and per-stave flags (held by the page data).
struct StavePage {
  PageImage image;
  int resolution = 300;
  StaveLineTable* lines = nullptr;
  uint32_t* curvesValid = nullptr;  // kStaveSlots flags
  uint32_t* modelCurves = nullptr;  // kStaveSlots flags
  // The page view's page marked handwritten: more weak columns are allowed.
  bool handwrittenView = false;
};

// Whether the lines of a page may be read from the table: set by the reading
// thread while it runs and by the page view while it shows a page. Otherwise
// the look-ups give straight, evenly spaced lines.
struct StaveLookupState {
  bool readingActive = false;
  bool pageShown = false;
};
StaveLookupState& StaveLookup();

// A stave outline that the geometry can work with: right > left,
// bottom > top and 1 to 6 lines.
bool StaveRowUsable(const StaveRow& row);

// The column (0..1023) of x across the stave.
int StaveColumn(const StaveRow& row, int32_t x);

// Computes the line table of stave s; false, with nothing changed, for an
// unusable outline or a slot outside the table.
bool CalculateStavePositions(const StaveRow& row, int s, StavePage& page);

// y of line k of stave s at x, relative to the stave's top; 0 for an unusable
// outline.
int32_t StaveLineY(const StaveRow* rows, int s, int k, int32_t x, StavePage& page);
int32_t StaveTopLineY(const StaveRow* rows, int s, int32_t x, StavePage& page);
int32_t StaveRowLineY(const StaveRow& row, int s, int k, int32_t x, StavePage& page);
