// Fitting a stave outline that the user added or moved in the page view to
// the page image: the top-line model, top and bottom, the two ends, the line
// count and kind when asked, the line thickness, and the line table.
#pragma once

#include <cstdint>

#include "reading/StaveGeometry.h"
#include "score/StaveTypes.h"

// The outline being fitted (the stave's fields in the page's working form).
struct StaveFit {
  int16_t left, right, top, bottom;
  int16_t midX, midTop, rightTop;
  int16_t lineCount, lineThickness, slope, kind;
};

// y of the top-line model at column x, as an offset from top plus 1.
int32_t ModelTopLineOffset(int32_t left, int32_t right, int32_t midX, int32_t top, int32_t midTop, int32_t rightTop,
                           int32_t x);
// Per cent of the sample columns (every 64th from left) whose model line,
// moved down by yOffset, lies on a byte with at least 4 black pixels.
int32_t CandidateLineBlackness(const PageImage& image, int32_t yOffset, const StaveFit& fit);
// Per cent of black pixels on every second row of column x over the
// stave's height below the model's top line; 0 outside the image.
int32_t VerticalBlackness(const PageImage& image, int32_t x, const StaveFit& fit);

// Fits stave s of page (its image and line table) in place. decide: the
// line count and kind are decided from the image. shortStaves: outlines
// lower than a few pixels become one-line staves and two- and three-line
// counts are tried.
void RebuildStaveRows(StaveFit* fit, int s, bool decide, bool shortStaves, StavePage& page);
