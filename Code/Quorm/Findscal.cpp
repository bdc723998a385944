#include "Code/Quorm/Findscal.h"

#include <cstdlib>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Mscript.h"
#include "Code/Quorm/Onebpp.h"

namespace {
int32_t g_pageStaffSpace = 0;
int32_t g_largestStaffSpace = 0;
int32_t g_pageSkew = 0;
}  // namespace

void SetPageStaffSpace(int32_t staffSpace) { g_pageStaffSpace = staffSpace; }
void SetLargestStaffSpace(int32_t staffSpace) { g_largestStaffSpace = staffSpace; }
int32_t GetPageStaffSpace() { return g_pageStaffSpace; }
int32_t GetLargestStaffSpace() { return g_largestStaffSpace; }

int32_t PercentOfStaffSpace(int32_t v) {
  ENGINE_CHECK(v >= 0);
  return SaturateToInt32((static_cast<int64_t>(g_pageStaffSpace) * v + 50) / 100);
}

int32_t ScaleToPixelsWith(int32_t staffSpace, int32_t v) {
  // 64-bit products: a staff space beyond the 70-pixel limit stays exact.
  const int64_t a = std::llabs(static_cast<long long>(v));
  int64_t p;
  if (a < 20480)
    p = DivRound64(static_cast<int64_t>(staffSpace) * a, 102400);
  else
    p = DivRound64(DivRound64(a, 100) * staffSpace, 1024);
  return SaturateToInt32(v < 0 ? -p : p);
}

int32_t ScaleToPixels(int32_t v) { return ScaleToPixelsWith(g_pageStaffSpace, v); }
double ScaleToPixelsExact(int32_t v) { return g_pageStaffSpace * static_cast<double>(v) / 102400.0; }
int32_t ScaleToPixelsLargest(int32_t v) { return ScaleToPixelsWith(g_largestStaffSpace, v); }

int32_t ScaleToPixelsForStaff(int32_t staff, int32_t v) {
  return ScaleToPixelsWith(GetStaffSpace(staff), v);
}

int32_t ScaleToPixelsAt(int32_t y, int32_t x, int32_t v) {
  return ScaleToPixelsForStaff(NearestStaff(y, x), v);
}

void SetPageSkew(int32_t skew) { g_pageSkew = skew; }
int32_t GetPageSkew() { return g_pageSkew; }

int32_t MeasurePageSkew() {
  int64_t weighted = 0;
  int64_t widths = 0;
  for (int32_t i = 0; i < GetStaffCount(); ++i) {
    const int64_t width = GetStaffRightX(i) - GetStaffLeftX(i);
    weighted += GetStaffSlope(i) * width;
    widths += width;
  }
  if (widths > 0) g_pageSkew = SaturateToInt32(DivRound64(weighted, widths));
  return g_pageSkew;
}

int32_t SkewOffsetForWidth() {
  return g_pageSkew > 0 ? SaturateToInt32(static_cast<int64_t>(g_pageSkew) * GetPageImageWidth()) : 0;
}

int32_t SkewOffsetForHeight() {
  return g_pageSkew <= 0 ? SaturateToInt32(-static_cast<int64_t>(g_pageSkew) * GetPageImageHeight()) : 0;
}

EnginePoint SkewPoint(int32_t y, int32_t x) {
  return ApplySkew(y, x, g_pageSkew, SkewOffsetForWidth(), SkewOffsetForHeight());
}

EnginePoint DeskewPoint(int32_t y, int32_t x) {
  return RemoveSkew(y, x, g_pageSkew, SkewOffsetForWidth(), SkewOffsetForHeight());
}

void FreePageScale() {
  g_pageStaffSpace = 0;
  g_largestStaffSpace = 0;
  g_pageSkew = 0;
}
