// The scanned page shown reduced: each pixel of the reduced picture counts
// the ink of its block of the 1-bit page image and takes a grey level, so
// that a block half or more covered with ink is black and an empty block has
// the paper colour. The palette of such a picture is tinted with the paper
// colour.
#pragma once

#include <cstdint>
#include <vector>

#include "render/Colours.h"

// Palette index of the grey levels 0..7 (8 and above are black, 0).
extern const uint8_t GreyRamp[8];
// The index of a block outside the marked region that would be black.
constexpr uint8_t kDimmedInkIndex = 128;

// A 1-bit page image: rows padded to 4 bytes, pixel x of a row in byte x / 8
// at bit x mod 8 (least significant bit first); a set bit is ink.
struct PageBitImage {
  const uint8_t* bits;
  int32_t width;
  int32_t height;
};
inline int32_t PageBitImageStride(int32_t width) { return ((width + 31) / 32) * 4; }

// Destination pixel = source pixel x num / den, per axis.
struct ImageRatio {
  int32_t xNum, yNum, xDen, yDen;
};

// The part of the marked region, in image pixels (right and bottom exclusive).
struct MarkedRegion {
  bool set;
  int32_t left, top, right, bottom;
};

// The reduced picture of destination columns [c0, c1) and rows [r0, r1):
// palette indices, rows top first. Blocks that start beyond the image are
// left at index 0.
std::vector<uint8_t> ReducePageImage(const PageBitImage& image, const ImageRatio& ratio, int32_t c0, int32_t r0,
                                     int32_t c1, int32_t r1, const MarkedRegion& marked);

// Entry 31 light grey; entries 32..239 the paper colour from full down to
// about a fifth; the others black.
void FillHighlightPalette(RgbQuad palette[256], const RgbQuad& paper);
