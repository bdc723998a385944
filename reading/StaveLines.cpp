#include "reading/StaveLines.h"

#include <algorithm>
#include <cmath>

#include "platform/Messages.h"
#include "reading/StaveSpacing.h"

namespace {

struct Column {
  int32_t top, bottom, x;
};

class LineEraser {
 public:
  LineEraser(const uint8_t* image, uint8_t* copy, uint32_t strideWords, uint32_t height, const StaveRow& row,
             int s, StavePage& geometry, const StaveRow* rows)
      : image_(image), copy_(copy), stride_(size_t(strideWords) * 4), height_(int32_t(height)),
        width_(int32_t(std::min<size_t>(size_t(std::max(0, geometry.image.width)), stride_ * 8))), row_(row), s_(s),
        geometry_(geometry), rows_(rows) {}

  bool Ink(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
    return (image_[size_t(y) * stride_ + size_t(x >> 3)] >> (x & 7)) & 1;
  }
  void Erase(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    copy_[size_t(y) * stride_ + size_t(x >> 3)] &= uint8_t(~(1u << (x & 7)));
  }

  // The black run through the line at x: false when the line is broken or
  // out of reach there.
  bool Run(int k, int32_t x, int32_t thickness, int32_t* top, int32_t* bottom) const {
    if (x < 0 || x >= width_) return false;
    int32_t y = row_.top + StaveLineY(rows_, s_, k, x, geometry_);
    if (y < 1 || y >= height_ - 1) return false;
    if (!Ink(x, y)) {
      if (Ink(x, y - 1))
        y -= 1;
      else if (Ink(x, y + 1))
        y += 1;
      else
        return false;
    }
    const int32_t reach = 3 * std::max<int32_t>(1, thickness);
    int32_t t = y, b = y;
    while (t > 0 && y - (t - 1) <= reach && Ink(x, t - 1)) --t;
    while (b < height_ - 1 && (b + 1) - y <= reach && Ink(x, b + 1)) ++b;
    *top = t;
    *bottom = b;
    return true;
  }

  const uint8_t* image_;
  uint8_t* copy_;
  size_t stride_;
  int32_t height_, width_;
  const StaveRow& row_;
  int s_;
  StavePage& geometry_;
  const StaveRow* rows_;
};

}  // namespace

int RemoveStaveLines(const uint8_t* image, uint8_t* copy, uint32_t strideWords, uint32_t height,
                     const StaveRow* rows, int count, int s, const StavePage& page) {
  if (!image || !copy || s < 0 || s >= count) return 0;
  const StaveRow& row = rows[s];
  StavePage geometry = page;
  SetStaveUnits(rows, s, geometry.resolution);
  if (!StaveRowUsable(row)) return 0;
  const double S = InterlineSpacing(rows, count, s, geometry);
  const int32_t pendingMax = std::max<int32_t>(1, int32_t(S + 0.5));
  const int32_t T = std::max<int32_t>(1, row.lineThickness);
  const int32_t margin = int32_t(std::max(1.0, T / 2.0 + 0.5));
  const int32_t maxRun = std::min<int32_t>(int32_t(0.6 * S + 0.5), 2 * T);
  const int32_t lineSlack = (T + 1) / 4 >= 2 ? (T + 1) / 4 : 1;
  const int32_t unit = CurrentStaveUnits().staveUnit;
  const int32_t window = 8 * unit;
  const int32_t half = int32_t(S / 2);
  const int32_t thickRun = std::max<int32_t>(3, maxRun);

  Handle block = nullptr;
  if (!AllocHandle(&block, sizeof(Column) * size_t(pendingMax + 1))) return kStaveLinesNoMemory;
  Column* pending = static_cast<Column*>(block);
  LineEraser eraser(image, copy, strideWords, height, row, s, geometry, rows);

  for (int k = 0; k < row.lineCount; ++k) {
    int32_t pendingCount = 0, run = 0;
    bool prevPlain = true;
    for (int32_t x = row.left; x < row.right; ++x) {
      int32_t top, bottom;
      {
        const int32_t y = row.top + StaveLineY(rows, s, k, x, geometry);
        if (y < 1 || y >= eraser.height_ - 1) continue;
      }
      if (!eraser.Run(k, x, T, &top, &bottom)) {
        pendingCount = 0;
        run = 0;
        continue;
      }
      const int32_t len = bottom - top + 1;
      if (len >= thickRun) {
        pendingCount = 0;
        run = 0;
        prevPlain = false;
        continue;
      }
      if (len > T + lineSlack && x < row.right - 2 * S) {
        int64_t sums[2] = {0, 0}, counts[2] = {0, 0};
        const int32_t from = std::max<int32_t>(row.left, x - window), to = std::min<int32_t>(row.right, x + window);
        for (int32_t xs = from; xs < to; ++xs) {
          int32_t t2, b2;
          if (!eraser.Run(k, xs, T, &t2, &b2)) continue;
          const int32_t l2 = b2 - t2 + 1;
          if (l2 >= maxRun) continue;
          const int side = xs < x ? 0 : 1;
          sums[side] += l2;
          counts[side] += 1;
        }
        auto mean = [](int64_t sum, int64_t n) -> int64_t {
          if (n == 0) return 0;
          int64_t twice = 2 * sum / n;
          if (twice & 1) ++twice;
          return twice / 2;
        };
        const int64_t leftMean = mean(sums[0], counts[0]), rightMean = mean(sums[1], counts[1]);
        if (counts[0] >= 2 * unit && counts[1] >= 2 * unit && rightMean >= leftMean + margin &&
            rightMean >= T + margin) {
          pendingCount = 0;
          run = 0;
          prevPlain = false;
          continue;
        }
      }
      const bool plain = len <= T + lineSlack;
      const bool restart = !prevPlain && plain && pendingCount < half && run < pendingMax && x < row.right - S / 2;
      ++run;
      bool keep = restart;
      if (!keep && run < pendingMax && !plain && x < row.right - S / 2) keep = true;
      if (!keep && run >= half) {
        for (int32_t i = 0; i < pendingCount; ++i)
          for (int32_t y = pending[i].top; y <= pending[i].bottom; ++y) eraser.Erase(pending[i].x, y);
        for (int32_t y = top; y <= bottom; ++y) eraser.Erase(x, y);
        pendingCount = 0;
        prevPlain = plain;
        continue;
      }
      // Kept pending; a full list drops its oldest column unerased.
      if (pendingCount >= pendingMax) {
        std::copy(pending + 1, pending + pendingCount, pending);
        --pendingCount;
      }
      pending[pendingCount++] = {top, bottom, x};
    }
  }
  FreeHandle(&block);
  return 0;
}
