#include "reading/PageOrientation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/Messages.h"
#include "reading/PreparationProgress.h"
#include "reading/PreparationStrings.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Whether the eight pixels of byte column g of row y hold ink.
bool GroupInk(const PageImage& image, int levels, int threshold, int32_t g, int32_t y) {
  if (levels == 2) return image.Row(y)[g] != 0;
  int32_t end = std::min(image.width, g * 8 + 8);
  for (int32_t x = g * 8; x < end; ++x)
    if (PixelIsInk(image, levels, threshold, x, y)) return true;
  return false;
}

struct Margins {
  int32_t left, right, top, bottom;
};

Margins FindMargins(const PageImage& image, int levels, int threshold) {
  const int32_t w = image.width, h = image.height;
  Margins m{};
  auto columnPasses = [&](int32_t x) {
    int32_t inked = 0;
    for (int32_t y = 1; y <= h - 3; ++y)
      if (GroupInk(image, levels, threshold, x / 8, y)) ++inked;
    return inked < 0.3 * (h - 3);
  };
  auto rowPasses = [&](int32_t y) {
    int32_t groups = (w + 7) / 8, inked = 0;
    for (int32_t g = 0; g < groups; ++g)
      if (GroupInk(image, levels, threshold, g, y)) ++inked;
    return inked * 8.0 < 0.3 * (w - 3);
  };
  int32_t x = 8;
  for (; x < w / 4; x += 8)
    if (columnPasses(x)) break;
  m.left = x < w / 4 ? x + 8 : x;
  x = w - 8;
  for (; x > 3 * w / 4; x -= 8)
    if (columnPasses(x)) break;
  m.right = x > 3 * w / 4 ? x - 8 : x;
  int32_t y = 8;
  for (; y < h / 4; ++y)
    if (rowPasses(y)) break;
  m.top = y < h / 4 ? y + 8 : y;
  y = h - 8;
  for (; y > 3 * h / 4; --y)
    if (rowPasses(y)) break;
  m.bottom = y > 3 * h / 4 ? y - 8 : y;
  return m;
}

// Sum of the runs of at least minRun inked cells along one line. The line is
// row y (across false) or column x; a cell counts the line and its two
// neighbours.
int64_t RunSum(const PageImage& image, int levels, int threshold, int cell, bool column, int32_t line, int32_t from,
               int32_t to, int32_t minRun) {
  int32_t lines = column ? image.width : image.height;
  int64_t sum = 0;
  int32_t run = 0;
  for (int32_t start = from; start + cell <= to; start += cell) {
    bool inked = false;
    for (int32_t n = line - 1; n <= line + 1 && !inked; ++n) {
      if (n < 0 || n >= lines) continue;
      for (int32_t i = start; i < start + cell && !inked; ++i)
        inked = column ? PixelIsInk(image, levels, threshold, n, i) : PixelIsInk(image, levels, threshold, i, n);
    }
    if (inked) {
      ++run;
    } else {
      if (run >= minRun) sum += run;
      run = 0;
    }
  }
  if (run >= minRun) sum += run;
  return sum;
}

int BitsReversed(uint8_t b) {
  b = static_cast<uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
  b = static_cast<uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
  b = static_cast<uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
  return b;
}

// out pixel x = in pixel (width - 1 - x); the padding of out stays clear.
void ReverseRow(const uint8_t* in, uint8_t* out, int32_t width, std::vector<uint8_t>& work) {
  int32_t n = (width + 7) / 8;
  int shift = 8 * n - width;
  work.assign(static_cast<size_t>(n) + 1, 0);
  for (int32_t i = 0; i < n; ++i) work[i] = static_cast<uint8_t>(BitsReversed(in[n - 1 - i]));
  for (int32_t i = 0; i < n; ++i)
    out[i] = shift ? static_cast<uint8_t>((work[i] >> shift) | (work[i + 1] << (8 - shift))) : work[i];
  if (width & 7) out[n - 1] &= static_cast<uint8_t>((1u << (width & 7)) - 1);
}

OwnedPageImage TurnQuarter(const PageImage& image, bool clockwise) {
  OpenProgress(kStrTurningOnSide);
  OwnedPageImage turned(image.height, image.width, 1);
  if (!turned.Valid()) {
    MessageById(nullptr, kStrMemoryToProcessPage);
    return turned;
  }
  const PageImage& out = turned.View();
  for (int32_t r = 0; r < out.height; ++r) {
    uint8_t* row = out.Row(r);
    for (int32_t c = 0; c < out.width; ++c) {
      bool ink = clockwise ? image.Ink(r, image.height - 1 - c) : image.Ink(image.width - 1 - r, c);
      if (ink) row[c >> 3] |= static_cast<uint8_t>(1u << (c & 7));
    }
    if ((r & 63) == 0) StepProgress(static_cast<int>(static_cast<int64_t>(r) * 100 / out.height));
  }
  return turned;
}

struct Rotation {
  double cosA, sinA, x0, y0;
};

Rotation RotationFor(double degrees, int32_t width, int32_t height) {
  double r = degrees * kPi / 180.0;
  Rotation rot{std::cos(r), std::sin(r), 0, 0};
  if (r > 0) {
    rot.x0 = width * rot.sinA * rot.sinA;
    rot.y0 = -width * rot.sinA * rot.cosA;
  } else {
    double t = -r;
    rot.x0 = -height * std::sin(t) * std::cos(t);
    rot.y0 = height * std::sin(t) * std::sin(t);
  }
  return rot;
}

}  // namespace

int PatternCell(int resolution) {
  int c = resolution / 100;
  int half = c / 2;
  return c + (half >= 2 ? half : 1);
}

int OnSideTest(const PageImage& image, int levels, int threshold, int cell, int resolution) {
  OpenProgress(kStrDeterminingOnSide);
  if (image.width < 16 || image.height < 16) return 0;
  cell = std::max(1, cell);
  Margins m = FindMargins(image, levels, threshold);
  int64_t h = 0, v = 0;
  for (int pass = 0; pass < 2; ++pass) {
    int32_t minRun = pass == 0 ? resolution / 4 : resolution / 32;
    minRun = std::max(1, minRun);
    int64_t rowSum = 0, columnSum = 0;
    for (int32_t y = std::max(0, m.top); y < std::min(m.bottom, image.height); y += 4) {
      rowSum += RunSum(image, levels, threshold, cell, false, y, std::max(0, m.left), std::min(m.right, image.width), minRun);
      if ((y & 63) == 0) StepProgress(static_cast<int>(static_cast<int64_t>(y) * 50 / image.height));
    }
    for (int32_t x = std::max(0, m.left); x < std::min(m.right, image.width); x += 4) {
      columnSum += RunSum(image, levels, threshold, cell, true, x, std::max(0, m.top), std::min(m.bottom, image.height), minRun);
      if ((x & 63) == 0) StepProgress(50 + static_cast<int>(static_cast<int64_t>(x) * 50 / image.width));
    }
    h = static_cast<int64_t>(image.height) * rowSum;
    v = static_cast<int64_t>(image.width) * columnSum;
    if (h != v) break;
  }
  return h < v ? 1 : 0;
}

OwnedPageImage TurnOnSideAnticlockwise(const PageImage& image) { return TurnQuarter(image, false); }
OwnedPageImage TurnOnSideClockwise(const PageImage& image) { return TurnQuarter(image, true); }

void TurnUpsideDown(const PageImage& image) {
  OpenProgress(kStrTurningUpsideDown);
  size_t bytes = static_cast<size_t>((image.width + 7) / 8);
  std::vector<uint8_t> a(bytes), b(bytes), work;
  int32_t half = image.height / 2;
  for (int32_t r = 0; r < (image.height + 1) / 2; ++r) {
    uint8_t* top = image.Row(r);
    uint8_t* bottom = image.Row(image.height - 1 - r);
    ReverseRow(top, a.data(), image.width, work);
    ReverseRow(bottom, b.data(), image.width, work);
    std::memcpy(top, b.data(), bytes);
    std::memcpy(bottom, a.data(), bytes);
    if ((r & 63) == 0 && half > 0) StepProgress(static_cast<int>(static_cast<int64_t>(r) * 100 / half));
  }
}

int AngleMemoSlot(double degrees) {
  long slot = std::lround(degrees * 20.0) + kAngleMemoSize / 2;
  return slot >= 0 && slot < kAngleMemoSize ? static_cast<int>(slot) : -1;
}

double LineProjection(double cosA, double sinA, int offset, bool* edge, const PageImage& image, int lineCentre,
                      bool onSide, int levels) {
  *edge = false;
  double sum = 0;
  for (int half = 0; half < 2; ++half) {
    int32_t k = half == 0 ? lineCentre - 16 : lineCentre;
    int32_t stepK = half == 0 ? -16 : 16;
    for (;; k += stepK) {
      int32_t x = static_cast<int32_t>(k * cosA - offset * sinA);
      int32_t y = static_cast<int32_t>(offset * cosA + k * sinA);
      bool xOut = x < 0 || x >= image.width;
      bool yOut = y < 0 || y >= image.height;
      if (xOut || yOut) {
        if ((yOut && !onSide) || (xOut && onSide)) *edge = true;
        break;
      }
      sum += levels == 2 ? (image.Ink(x, y) ? 1 : 0) : image.Grey(x, y);
    }
  }
  return 4 * sum;
}

double RotationScore(double cosA, double sinA, const PageImage& image, int lineCentre, int offsetCentre, bool onSide,
                     int levels, int resolution) {
  int step = std::clamp(resolution / 100, 1, 4);
  double score = 0;
  bool edge0, edge1;
  for (int o = offsetCentre - 4;; o -= step) {
    double d = LineProjection(cosA, sinA, o, &edge0, image, lineCentre, onSide, levels) -
               LineProjection(cosA, sinA, o + 1, &edge1, image, lineCentre, onSide, levels);
    if (edge0 || edge1) break;
    score += d * d;
  }
  for (int o = offsetCentre;; o += step) {
    double d = LineProjection(cosA, sinA, o, &edge0, image, lineCentre, onSide, levels) -
               LineProjection(cosA, sinA, o + 1, &edge1, image, lineCentre, onSide, levels);
    if (edge0 || edge1) break;
    score += d * d;
  }
  return score;
}

double ScanAngles(double centre, double halfRange, double step, double* memo, const PageImage& image, int levels,
                  int resolution, int* scored) {
  double best = -1.0, bestAngle = centre;
  int32_t w2 = image.width / 2, h2 = image.height / 2;
  for (double a = centre - halfRange; a <= centre + halfRange; a += step) {
    int slot = AngleMemoSlot(a);
    double score;
    if (slot >= 0 && memo[slot] != -1.0) {
      score = memo[slot];
    } else {
      double r = a * kPi / 180.0;
      int lineCentre = static_cast<int>(w2 * std::cos(-r) - h2 * std::sin(-r));
      int offsetCentre = static_cast<int>(h2 * std::cos(-r) + w2 * std::sin(-r));
      bool onSide = a > 45 || a < -45;
      score = RotationScore(std::cos(r), std::sin(r), image, lineCentre, offsetCentre, onSide, levels, resolution);
      if (scored) ++*scored;
    }
    if (score > best) {
      best = score;
      bestAngle = a;
    }
  }
  int slot = AngleMemoSlot(bestAngle);
  if (slot >= 0) memo[slot] = best;
  return bestAngle;
}

double FindPageAngle(const PageImage& image, int levels, int threshold, bool patternedPaper, int resolution) {
  std::unique_ptr<double[]> memo(new (std::nothrow) double[kAngleMemoSize]);
  if (!memo) {
    MessageById(nullptr, kStrMemoryToReadPage);
    return 0.0;
  }
  std::fill(memo.get(), memo.get() + kAngleMemoSize, -1.0);
  int cell = patternedPaper ? PatternCell(resolution) : 1;
  double centre = OnSideTest(image, levels, threshold, cell, resolution) ? 90.0 : 0.0;
  OpenProgress(kStrCalculatingPageAngle);
  StepProgress(0);
  double a1 = ScanAngles(centre, 8.0, 0.4, memo.get(), image, levels, resolution);
  StepProgress(57);
  double a2 = ScanAngles(a1, 0.2, 0.2, memo.get(), image, levels, resolution);
  StepProgress(71);
  double a3 = ScanAngles(a2, 0.1, 0.1, memo.get(), image, levels, resolution);
  StepProgress(86);
  double a4 = ScanAngles(a3, 0.05, 0.05, memo.get(), image, levels, resolution);
  StepProgress(100);
  return a4;
}

void LevelledSize(double degrees, int32_t width, int32_t height, int32_t* newWidth, int32_t* newHeight) {
  double r = degrees * kPi / 180.0;
  double c = std::cos(r), s = std::sin(r);
  *newWidth = std::abs(static_cast<int32_t>(width * c)) + std::abs(static_cast<int32_t>((height + 1) * s));
  *newHeight = std::abs(static_cast<int32_t>((height + 1) * c)) + std::abs(static_cast<int32_t>(width * s));
}

namespace {

// A 1-bit page of the levelled size, each of its pixels set where inkAt says
// the rotated source point (x, y) is ink.
template <class InkAt>
OwnedPageImage RotateIntoLevel(double degrees, int32_t width, int32_t height, InkAt inkAt) {
  int32_t w, h;
  LevelledSize(degrees, width, height, &w, &h);
  OwnedPageImage level(w, h, 1);
  if (!level.Valid()) {
    MessageById(nullptr, kStrMemoryToProcessPage);
    return level;
  }
  OpenProgress(kStrMakingLevel);
  const PageImage& out = level.View();
  Rotation rot = RotationFor(degrees, width, height);
  for (int32_t row = 0; row < h; ++row) {
    double x = rot.x0 - row * rot.sinA;
    double y = rot.y0 + row * rot.cosA;
    uint8_t* bits = out.Row(row);
    for (int32_t c = 0; c < w; ++c, x += rot.cosA, y += rot.sinA) {
      if (inkAt(x, y)) bits[c >> 3] |= static_cast<uint8_t>(1u << (c & 7));
    }
    if ((row & 63) == 0) StepProgress(static_cast<int>(static_cast<int64_t>(row) * 100 / h));
  }
  return level;
}

}  // namespace

OwnedPageImage LevelPage(double degrees, const PageImage& image) {
  if (degrees == 0.0) return OwnedPageImage();
  return RotateIntoLevel(degrees, image.width, image.height, [&](double x, double y) {
    double fxFloor = std::floor(x), fyFloor = std::floor(y);
    int32_t ix = static_cast<int32_t>(fxFloor), iy = static_cast<int32_t>(fyFloor);
    if (!image.Inside(ix, iy)) return false;
    double fx = x - fxFloor, fy = y - fyFloor;
    double v = image.Ink(ix, iy) ? (1 - fy) * (1 - fx) : 0.0;
    if (fy > 0 && image.Ink(ix, iy + 1)) v += fy * (1 - fx);
    if (fy > 0 && fx > 0 && image.Ink(ix + 1, iy + 1)) v += fy * fx;
    if (fx > 0 && image.Ink(ix + 1, iy)) v += (1 - fy) * fx;
    return v >= 0.5;
  });
}

OwnedPageImage LevelGreyPage(double degrees, const PageImage& grey, int threshold) {
  auto value = [&](int32_t x, int32_t y) -> double { return grey.Inside(x, y) ? grey.Grey(x, y) : 255.0; };
  return RotateIntoLevel(degrees, grey.width, grey.height, [&](double x, double y) {
    double fxFloor = std::floor(x), fyFloor = std::floor(y);
    int32_t ix = static_cast<int32_t>(fxFloor), iy = static_cast<int32_t>(fyFloor);
    if (ix < -1 || iy < -1 || ix >= grey.width || iy >= grey.height) return false;
    double fx = x - fxFloor, fy = y - fyFloor;
    double v = value(ix, iy) * (1 - fy) * (1 - fx) + value(ix, iy + 1) * fy * (1 - fx) +
               value(ix + 1, iy + 1) * fy * fx + value(ix + 1, iy) * (1 - fy) * fx;
    return static_cast<int>(v) < threshold;
  });
}
