#include "shapes/InkProjections.h"

#include <algorithm>
#include <cstddef>

namespace {

bool Ink(const InkPage& p, int x, int y) {
  const size_t rowBytes = (static_cast<size_t>(p.rowWordsLess1) + 1) * 4;
  return (p.bits[static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x >> 3)] >> (x & 7)) & 1;
}

int BestColumn(const InkPage& p, int x, int y, int width, int height, bool ink, int* offset) {
  *offset = 0;
  if (height <= 0 || width <= 0) return 0;
  const int xa = std::max(x, 0), xb = std::min(x + width, p.width);
  const int ya = std::max(y, 0), yb = std::min(y + height, p.height);
  int best = -1;
  for (int cx = xa; cx < xb; ++cx) {
    int n = 0;
    for (int cy = ya; cy < yb; ++cy) n += Ink(p, cx, cy) == ink;
    if (n > best) {
      best = n;
      *offset = cx - x;
    }
  }
  return best <= 0 ? 0 : best * 100 / height;
}

}  // namespace

int BestInkColumn(const InkPage& page, int x, int y, int width, int height, int* offset) {
  return BestColumn(page, x, y, width, height, true, offset);
}

int BestPaperColumn(const InkPage& page, int x, int y, int width, int height, int* offset) {
  return BestColumn(page, x, y, width, height, false, offset);
}

void ShrinkBoxToInk(const InkPage& page, int* x0, int* y0, int* x1, int* y1) {
  if (page.width <= 0 || page.height <= 0) return;
  *x0 = std::clamp(*x0, 0, page.width - 1);
  *x1 = std::clamp(*x1, 0, page.width - 1);
  *y0 = std::clamp(*y0, 0, page.height - 1);
  *y1 = std::clamp(*y1, 0, page.height - 1);
  auto columnEmpty = [&](int x) {
    for (int y = *y0; y <= *y1; ++y)
      if (Ink(page, x, y)) return false;
    return true;
  };
  auto rowEmpty = [&](int y) {
    for (int x = *x0; x <= *x1; ++x)
      if (Ink(page, x, y)) return false;
    return true;
  };
  while (*x0 < *x1 && columnEmpty(*x0)) ++*x0;
  while (*x1 > *x0 && columnEmpty(*x1)) --*x1;
  while (*y0 < *y1 && rowEmpty(*y0)) ++*y0;
  while (*y1 > *y0 && rowEmpty(*y1)) --*y1;
}
