// Which stave, and which part of the selected stave, lies under a point of
// the page view (image pixels), over the page's traced stave curves.
#pragma once

#include <cstdint>

#include "pages/PageData.h"

// The side of the selected stave's square handles, in window pixels.
constexpr int kStaveHandleSize = 9;

// Traces the curves of stave s of page when they are not valid; false when
// they could not be traced (the lines are then taken as straight).
bool EnsureStaveCurves(PageData& page, int s);
// y of line k of stave s at column c, relative to the stave's top: from the
// traced curves, or straight and evenly spaced along the slope.
int32_t StaveLineOffset(PageData& page, int s, int k, int c, bool traced);

// y of the top line of stave s at image x (its curves traced first when
// they are not valid).
int32_t ViewStaveLineY(PageData& page, int s, int32_t x);
// Whether image point (x, y) lies on stave s at scale; callers test its x
// range first. A stave is never less than 8 window pixels tall for this.
bool StaveHitTest(PageData& page, int32_t x, int32_t y, int s, double scale);
// The stave under image point (x, y), -1 for none.
int StaveAtPoint(PageData& page, int32_t x, int32_t y, double scale);

// The part of the selected stave s under image point (x, y) at scale: a
// handle's drag mode (left end 2, right end 1, middle of the top line 3,
// bottom line 4, tested in that order), 0 for its body, -1 for none.
int StaveHandleAt(PageData& page, int s, double x, double y, double scale);
