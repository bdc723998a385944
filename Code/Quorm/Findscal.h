// The page's scale and skew: the staff space that every finder's size
// thresholds (given in per cent of a staff space) are converted with, and the
// page skew that moves points between the page and its de-skewed frame.
// Nothing else in the engine divides by the staff space itself.
#pragma once

#include <cstdint>

#include "Code/Quorm/Geometry.h"

void SetPageStaffSpace(int32_t staffSpace);     // x1024
void SetLargestStaffSpace(int32_t staffSpace);  // x1024
int32_t GetPageStaffSpace();
int32_t GetLargestStaffSpace();

// (page staff space x v + 50) / 100, still x1024; v must not be negative.
int32_t PercentOfStaffSpace(int32_t v);
// v per cent of a staff space in rounded pixels (the sign of v kept).
int32_t ScaleToPixels(int32_t v);
double ScaleToPixelsExact(int32_t v);
int32_t ScaleToPixelsLargest(int32_t v);
int32_t ScaleToPixelsForStaff(int32_t staff, int32_t v);
// With the staff space of the staff nearest to (y, x).
int32_t ScaleToPixelsAt(int32_t y, int32_t x, int32_t v);
// v per cent of the given staff space x1024, in rounded pixels.
int32_t ScaleToPixelsWith(int32_t staffSpace, int32_t v);

void SetPageSkew(int32_t skew);  // y change per column x1024
int32_t GetPageSkew();
// The staves' slopes weighted by their widths; stored and returned. With no
// staff (or no width) the skew is left as it is.
int32_t MeasurePageSkew();
int32_t SkewOffsetForWidth();
int32_t SkewOffsetForHeight();
EnginePoint SkewPoint(int32_t y, int32_t x);
EnginePoint DeskewPoint(int32_t y, int32_t x);

// The module's free function: clears the three values.
void FreePageScale();
