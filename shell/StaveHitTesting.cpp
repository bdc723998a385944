#include "shell/StaveHitTesting.h"

#include <algorithm>
#include <cmath>

#include "reading/StaveGeometry.h"
#include "reading/StavePageData.h"

// Traces the curves of stave s when they are not valid.
bool EnsureStaveCurves(PageData& page, int s) {
  if (page.curvesValid[s]) return true;
  StavePage lines = StavePageFor(page);
  return CalculateStavePositions(StaveRowFromRecord(page.staves[s]), s, lines);
}

// y of line k of stave s at column c, relative to the stave's top.
int32_t StaveLineOffset(PageData& page, int s, int k, int c, bool traced) {
  if (traced) return page.lineCurves.y[s][k][c];
  const StaveRecord& r = page.staves[s];
  const int lines = std::max<int>(1, r.lineCount);
  const int32_t x = c * (r.right - r.left) / kStaveColumns;
  const int32_t spaced = lines > 1 ? (r.bottom - r.top) * k / (lines - 1) : 0;
  return spaced + x * r.slope / 4096;
}

int32_t ViewStaveLineY(PageData& page, int s, int32_t x) {
  const StaveRecord& r = page.staves[s];
  const bool traced = EnsureStaveCurves(page, s);
  const int column = r.right > r.left ? std::clamp<int>((x - r.left) * kStaveColumns / (r.right - r.left), 0, kStaveColumns - 1) : 0;
  return r.top + StaveLineOffset(page, s, 0, column, traced);
}

bool StaveHitTest(PageData& page, int32_t x, int32_t y, int s, double scale) {
  if (scale <= 0) return false;
  const StaveRecord& r = page.staves[s];
  int32_t top = ViewStaveLineY(page, s, x);
  int32_t bottom = top + (r.bottom - r.top);
  if ((bottom - top) * scale < 4.0) {
    const int32_t centre = (top + bottom) / 2;
    top = static_cast<int32_t>(centre - 4 / scale);
    bottom = static_cast<int32_t>(centre + 4 / scale);
  }
  return top - 1 / scale <= y && y <= bottom - 1 / scale;
}

int StaveAtPoint(PageData& page, int32_t x, int32_t y, double scale) {
  const int count = static_cast<int>(std::min<uint32_t>(page.staveCount, kStaveSlots));
  for (int s = 0; s < count; ++s) {
    const StaveRecord& r = page.staves[s];
    if (x >= r.left && x <= r.right && StaveHitTest(page, x, y, s, scale)) return s;
  }
  return -1;
}


int StaveHandleAt(PageData& page, int s, double x, double y, double scale) {
  const int count = static_cast<int>(std::min<uint32_t>(page.staveCount, kStaveSlots));
  if (s < 0 || s >= count || scale <= 0) return -1;
  const StaveRecord& r = page.staves[s];
  const double h = kStaveHandleSize / scale, p = 1 / scale;
  const double height = r.bottom - r.top;
  const double middle = (r.top + r.bottom) / 2.0;
  if (r.left - h - 2 * p + 0.5 < x && x <= r.left - 2 * p + 0.5 && std::abs(y - middle) <= h / 2 - p / 2 + 0.5)
    return 2;
  if (r.right <= x && x <= r.right + h && std::abs(y - (r.rightTop + height / 2)) <= h / 2) return 1;
  const double topAtMiddle = ViewStaveLineY(page, s, r.midX);
  if (std::abs(x - r.midX) <= h / 2 - p + 0.5 && topAtMiddle - h - p + 0.5 < y && y <= topAtMiddle - p + 0.5)
    return 3;
  const int32_t centre = (r.left + r.right) / 2;
  const double bottomAtCentre = ViewStaveLineY(page, s, centre) + height;
  if (std::abs(x - centre) <= h / 2 && bottomAtCentre < y && y <= bottomAtCentre + h) return 4;
  if (x >= r.left && x <= r.right &&
      StaveHitTest(page, static_cast<int32_t>(x), static_cast<int32_t>(y), s, scale))
    return 0;
  return -1;
}
