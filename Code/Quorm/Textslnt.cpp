// The slant of a line of text and the line sheared upright.
#include "Code/Quorm/Textslnt.h"

#include <algorithm>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Ocrmisc.h"

namespace {

constexpr int32_t kSlantStep = 32;     // about 1.8 degrees
constexpr int32_t kLargestSlant = 416;  // about 22 degrees
// A slant is taken only when its stroke measure beats upright's by this
// share (x1024): print that stands upright is never sheared by chance.
constexpr int32_t kClearShare = 1024 + 128;

struct Pixel {
  int32_t x, y;
};

std::vector<Pixel> InkOf(const void* bitmap) {
  const int32_t width = BitmapWidth(bitmap), height = BitmapHeight(bitmap);
  std::vector<Pixel> ink;
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* row = BitmapRow(bitmap, y);
    for (int32_t x = 0; x < width; ++x)
      if (row[x / 32] & (1u << (x % 32))) ink.push_back({x, y});
  }
  return ink;
}

// The sum over the sheared line's columns that hold one stroke (their ink
// rows unbroken) of the stroke's height squared.
int64_t StrokeMeasure(const std::vector<Pixel>& ink, int32_t width, int32_t height, int32_t slant) {
  const int32_t columns = width + SlantRowShift(height - 1, slant) + 1;
  std::vector<int32_t> count(static_cast<size_t>(columns), 0), top(static_cast<size_t>(columns), INT32_MAX),
      bottom(static_cast<size_t>(columns), INT32_MIN);
  for (const Pixel& p : ink) {
    const size_t x = static_cast<size_t>(p.x + SlantRowShift(p.y, slant));
    ++count[x];
    top[x] = std::min(top[x], p.y);
    bottom[x] = std::max(bottom[x], p.y);
  }
  int64_t sum = 0;
  for (int32_t x = 0; x < columns; ++x)
    if (count[static_cast<size_t>(x)] > 0 && count[static_cast<size_t>(x)] == bottom[static_cast<size_t>(x)] - top[static_cast<size_t>(x)] + 1)
      sum += static_cast<int64_t>(count[static_cast<size_t>(x)]) * count[static_cast<size_t>(x)];
  return sum;
}

}  // namespace

int32_t SlantRowShift(int32_t y, int32_t slant) {
  return static_cast<int32_t>((static_cast<int64_t>(y) * slant + kSlantUnit / 2) / kSlantUnit);
}

int32_t MeasureLineSlant(const void* bitmap) {
  ENGINE_CHECK_POINTER(bitmap);
  const int32_t width = BitmapWidth(bitmap), height = BitmapHeight(bitmap);
  const std::vector<Pixel> ink = InkOf(bitmap);
  if (ink.empty()) return 0;
  const int64_t upright = StrokeMeasure(ink, width, height, 0);
  int64_t best = upright;
  int32_t chosen = 0;
  for (int32_t slant = kSlantStep; slant <= kLargestSlant; slant += kSlantStep) {
    const int64_t measure = StrokeMeasure(ink, width, height, slant);
    if (measure > best) {
      best = measure;
      chosen = slant;
    }
  }
  return best * 1024 > upright * kClearShare ? chosen : 0;
}

void* ShearLineBitmap(const void* bitmap, int32_t slant) {
  ENGINE_CHECK_POINTER(bitmap);
  ENGINE_CHECK(slant >= 0 && slant <= kSlantUnit);
  const int32_t width = BitmapWidth(bitmap), height = BitmapHeight(bitmap);
  const int32_t shearedWidth = width + SlantRowShift(height - 1, slant);
  uint8_t* block = nullptr;
  EngineAllocChecked(block, BitmapBlockSize(shearedWidth, height));
  InitialiseBitmapHeader(block, shearedWidth, height, "sheared");
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* from = BitmapRow(bitmap, y);
    uint32_t* to = BitmapRow(block, y);
    const int32_t shift = SlantRowShift(y, slant);
    for (int32_t x = 0; x < width; ++x)
      if (from[x / 32] & (1u << (x % 32))) to[(x + shift) / 32] |= 1u << ((x + shift) % 32);
  }
  return block;
}

void UnshearColumns(int32_t* x0, int32_t* x1, int32_t y0, int32_t y1, int32_t slant) {
  ENGINE_CHECK(x0 != nullptr && x1 != nullptr);
  if (slant == 0 || y1 <= y0) return;
  *x0 -= SlantRowShift(y1 - 1, slant);
  *x1 -= SlantRowShift(y0, slant);
}
