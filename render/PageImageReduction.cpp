#include "render/PageImageReduction.h"

#include <algorithm>

const uint8_t GreyRamp[8] = {32, 64, 96, 128, 160, 192, 224, 0};

namespace {

// Block size along one axis and the step its pixels are visited with.
void BlockOf(int32_t num, int32_t den, int32_t limit, int32_t& size, int32_t& step) {
  const int64_t t = num > 0 ? int64_t(64) * den / num : 64;
  size = static_cast<int32_t>(std::max<int64_t>(1, (t + 63) / 64));
  step = 1;
  if (size > limit) {
    step = size / limit;
    size = size / step;
  }
}

bool Ink(const PageBitImage& image, int32_t x, int32_t y) {
  const uint8_t byte = image.bits[static_cast<size_t>(y) * PageBitImageStride(image.width) + x / 8];
  return (byte >> (x % 8)) & 1;
}

}  // namespace

std::vector<uint8_t> ReducePageImage(const PageBitImage& image, const ImageRatio& ratio, int32_t c0, int32_t r0,
                                     int32_t c1, int32_t r1, const MarkedRegion& marked) {
  const int32_t width = std::max(0, c1 - c0), height = std::max(0, r1 - r0);
  std::vector<uint8_t> out(static_cast<size_t>(width) * height, 0);
  if (!image.bits || image.width <= 0 || image.height <= 0 || ratio.xNum <= 0 || ratio.yNum <= 0 ||
      ratio.xDen <= 0 || ratio.yDen <= 0) {
    return out;
  }
  int32_t bw, stepX, bh, stepY;
  BlockOf(ratio.xNum, ratio.xDen, 8, bw, stepX);
  BlockOf(ratio.yNum, ratio.yDen, 32, bh, stepY);
  const int32_t weight = 2048 / (bw * bh);
  for (int32_t r = r0; r < r1; ++r) {
    const int32_t sr = static_cast<int32_t>(int64_t(r) * ratio.yDen / ratio.yNum);
    if (sr < 0 || sr >= image.height) continue;
    const int32_t rowEnd = std::min(image.height, sr + stepY * bh);
    for (int32_t c = c0; c < c1; ++c) {
      const int32_t sc = static_cast<int32_t>(int64_t(c) * ratio.xDen / ratio.xNum);
      if (sc < 0 || sc >= image.width) continue;
      const int32_t colEnd = std::min(image.width, sc + stepX * bw);
      int32_t count = 0;
      for (int32_t y = sr; y < rowEnd; y += stepY) {
        for (int32_t x = sc; x < colEnd; x += stepX) count += Ink(image, x, y);
      }
      int32_t level = 2 * count * weight / 256;
      uint8_t index = level < 8 ? GreyRamp[level] : 0;
      if (marked.set && (sc < marked.left || sc >= marked.right - 1 || sr < marked.top || sr >= marked.bottom - 1)) {
        if (level >= 8) {
          index = kDimmedInkIndex;
        } else {
          if (level < 3) level = 2;
          if (level > 4) level = 4;
          index = GreyRamp[level];
        }
      }
      out[static_cast<size_t>(r - r0) * width + (c - c0)] = index;
    }
  }
  return out;
}

void FillHighlightPalette(RgbQuad palette[256], const RgbQuad& paper) {
  for (int i = 0; i < 256; ++i) palette[i] = RgbQuad{0, 0, 0, 0};
  palette[31] = RgbQuad{192, 192, 192, 0};
  for (int i = 32; i <= 239; ++i) {
    const int k = 287 - i;
    palette[i] = RgbQuad{static_cast<uint8_t>(k * paper.blue / 255), static_cast<uint8_t>(k * paper.green / 255),
                         static_cast<uint8_t>(k * paper.red / 255), 0};
  }
}
