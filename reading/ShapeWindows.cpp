#include "reading/ShapeWindows.h"

#include <algorithm>
#include <cmath>

#include "reading/StaveSpacing.h"

BigSymbolSizes BigSymbolWindowSizes(double spacing, int32_t staveUnit) {
  BigSymbolSizes sizes;
  sizes.width = static_cast<int32_t>(std::floor(2.0 * spacing + 0.5));
  sizes.height = static_cast<int32_t>(2.0 * spacing);
  sizes.wideWidth = sizes.width + staveUnit;
  sizes.tallHeight = sizes.height + staveUnit;
  return sizes;
}

int BigSymbolBands(int kind, int lineCount, int* bands) {
  if (lineCount < 1 || lineCount > kMaxStaveLines) return 0;
  int first, last;
  switch (kind) {
    case 0:
      first = 0, last = 2 * lineCount + 2;
      break;
    case 1:
      first = 4, last = 2 * lineCount - 2;
      break;
    case 2:
      first = 2, last = 4 * lineCount + 6;
      break;
    default:
      return 0;
  }
  int n = 0;
  for (int b = first; b <= last && n < kMaxBigSymbolBands; b += 2) bands[n++] = b;
  return n;
}

int32_t BigSymbolWindowTop(int32_t bandY, double spacing) {
  return bandY + static_cast<int32_t>(spacing / 2.0);
}

ShapeWindow BigSymbolWindow(const StaveRow* rows, int count, int s, int32_t x, int band, double spacing,
                            int32_t staveUnit, StavePage& page) {
  const BigSymbolSizes sizes = BigSymbolWindowSizes(spacing, staveUnit);
  ShapeWindow w;
  w.x = x;
  w.y = BigSymbolWindowTop(StavePositionY(rows, count, s, x, band, page), spacing);
  w.width = sizes.width;
  w.height = sizes.height;
  return w;
}

int BigSymbolPieces(double topStep, double bottomStep, const int* bands, int bandCount, int* pieceBands) {
  if (bandCount <= 0 || bottomStep <= topStep) return 0;
  // The first piece: the lowest band whose window top lies at or above the
  // ink's top (half a step of slack); the first band for ink above them all.
  int start = 0;
  for (int i = 0; i < bandCount; ++i)
    if (bands[i] + 1 <= topStep + 0.5) start = i;
  if (bands[start] + 5 <= topStep) return 0;  // below the last window
  int n = 0;
  for (int i = start; i < bandCount && n < kMaxSymbolPieces; i += 2) {
    pieceBands[n++] = bands[i];
    // Done once the window reaches within a step of the ink's bottom.
    if (bands[i] + 5 >= bottomStep - 1.0) break;
  }
  return n;
}

int32_t AccidentalBoxSide(int32_t roundedSpacing, bool uncertain) {
  return static_cast<int32_t>(std::floor(roundedSpacing * (uncertain ? 0.6 : 1.0) + 0.5));
}

ShapeWindow AccidentalBox(int32_t x, int32_t noteY, int32_t side) {
  ShapeWindow w;
  w.x = x;
  w.y = noteY - side / 2;
  w.width = side;
  w.height = side;
  return w;
}

int32_t NoteheadWindowWidth(double spacing, int32_t smallStaveUnit, double meanWidth) {
  const double least = 0.8 * spacing;
  if (meanWidth <= 0) return static_cast<int32_t>(least);
  const double measured = smallStaveUnit + std::min(meanWidth, 1.25 * spacing);
  return static_cast<int32_t>(measured > least ? measured : least);
}

ShapeWindow NoteheadWindow(int32_t left, int32_t inkTop, int32_t inkBottom, int32_t width) {
  ShapeWindow w;
  w.x = left;
  w.y = inkTop;
  w.width = width;
  w.height = inkBottom - inkTop + 1;
  return w;
}
