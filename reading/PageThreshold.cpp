#include "reading/PageThreshold.h"

#include <algorithm>
#include <cmath>

#include "pages/BmpFile.h"
#include "platform/Messages.h"
#include "reading/PageOrientation.h"
#include "reading/PreparationProgress.h"
#include "reading/PreparationStrings.h"

namespace {

int g_paperPeak = -1;  // -1: not set in this run

int SampleValue(const PageImage& image, int levels, int32_t x, int32_t y) {
  if (levels == 256) return image.Grey(x, y);
  if (levels == 16) return image.Nibble(x, y);
  return image.Ink(x, y) ? 1 : 0;
}

double GridCells(const PageImage& image) {
  double cells = static_cast<double>(image.width / 4) * static_cast<double>(image.height / 4);
  return cells > 0 ? cells : 1.0;
}

// First and one past the last level with a share above 0.
bool OccupiedRange(const Histogram& h, int levels, int* lo, int* hi) {
  *lo = -1;
  *hi = -1;
  for (int i = 0; i < levels; ++i) {
    if (h.level[i] > 0) {
      if (*lo < 0) *lo = i;
      *hi = i + 1;
    }
  }
  return *lo >= 0;
}

// The highest grey level that holds more than 5 % of the pixels.
int TopLevel(const Histogram& h) {
  for (int i = 255; i >= 0; --i)
    if (h.level[i] > 0.05) return i;
  return 0;
}

// A line of the page (a row, or a column of a page on its side).
struct Line {
  const PageImage* image;
  bool column;
  int32_t index;
  int32_t Length() const { return column ? image->height : image->width; }
  int Value(int32_t i) const { return column ? image->Grey(index, i) : image->Grey(i, index); }
};

}  // namespace

void ResetPaperPeak() { g_paperPeak = -1; }

void BuildHistogram(const PageImage& image, int levels, Histogram& histogram) {
  histogram = Histogram();
  if (levels != 2 && levels != 16 && levels != 256) return;
  double counts[256] = {};
  for (int32_t y = 0; y < image.height; y += 4)
    for (int32_t x = 0; x < image.width; x += 4) counts[SampleValue(image, levels, x, y)] += 1;
  double cells = GridCells(image);
  for (int i = 0; i < levels; ++i) histogram.level[i] = counts[i] / cells;
}

int CalculateThreshold(const Histogram& histogram, int levels, bool showProgress, bool keepPaperPeak) {
  if (showProgress) OpenProgress(kStrCalculatingThreshold);
  levels = std::clamp(levels, 2, 256);
  int lo, hi;
  if (!OccupiedRange(histogram, levels, &lo, &hi)) {
    lo = 0;
    hi = levels;
  }
  if (g_paperPeak < 0 || !keepPaperPeak) g_paperPeak = hi - 1;
  int inkPeak = lo;
  double bestInk = 0, bestPaper = 0;
  int half = (lo + hi) / 2;
  for (int k = lo + 10; k <= hi - 11; ++k) {
    double sum = 0;
    for (int i = k - 10; i <= k + 9; ++i) sum += histogram.level[i];
    if (k < half) {
      if (sum > bestInk) {
        bestInk = sum;
        inkPeak = k;
      }
    } else if (!keepPaperPeak && sum > bestPaper) {
      bestPaper = sum;
      g_paperPeak = k;
    }
  }
  if (keepPaperPeak) return (g_paperPeak + inkPeak) / 2 + inkPeak / 20;
  return ((g_paperPeak - inkPeak) / 2 + g_paperPeak + inkPeak) / 2;
}

void InvertPixels(const PageImage& image) {
  // Whole bytes first, then the valid pixels of a last partial byte.
  size_t wholeBytes;
  uint8_t lastMask = 0;
  if (image.bitsPerPixel == 8) {
    wholeBytes = static_cast<size_t>(image.width);
  } else if (image.bitsPerPixel == 4) {
    wholeBytes = static_cast<size_t>(image.width) / 2;
    if (image.width & 1) lastMask = 0xF0;
  } else {
    wholeBytes = static_cast<size_t>(image.width) / 8;
    if (image.width & 7) lastMask = static_cast<uint8_t>((1u << (image.width & 7)) - 1);
  }
  for (int32_t y = 0; y < image.height; ++y) {
    uint8_t* row = image.Row(y);
    for (size_t i = 0; i < wholeBytes; ++i) row[i] = static_cast<uint8_t>(~row[i]);
    if (lastMask) row[wholeBytes] ^= lastMask;
    if ((y & 63) == 0) StepProgress(static_cast<int>(static_cast<int64_t>(y) * 100 / image.height));
  }
}

bool InvertIfNegative(Histogram& histogram, int levels, const PageImage& image) {
  if (levels != 2 && levels != 16 && levels != 256) return false;
  int lo, hi;
  if (!OccupiedRange(histogram, levels, &lo, &hi) || hi - lo < 2) return false;
  int mid = lo + (hi - lo) / 2;
  double lower = 0, upper = 0;
  for (int i = lo; i < mid; ++i) lower += histogram.level[i];
  for (int i = mid; i < hi; ++i) upper += histogram.level[i];
  bool invert = levels == 2 ? histogram.level[1] >= histogram.level[0] : !(upper > lower);
  if (!invert) return false;
  OpenProgress(kStrInvertingColour);
  InvertPixels(image);
  BuildHistogram(image, levels, histogram);
  return true;
}

int GreyThreshold(int t1, int t2, bool patternedPaper) {
  if (!patternedPaper) return t1 + std::min(10, std::max(0, (255 - t1) / 6));
  int t = t2 + (t2 - t1) / 3;
  if (t1 > 180) t += 180 - t1;
  if (t1 < 150) t += 150 - t1;
  t = 200 + (t - 200) / 2;
  return std::min(t, 220);
}


namespace {

// The dot test: along a line (a row, or a column when turned), eight dots
// spaced 2u apart with clear paper half-way between.
struct DotTest {
  const PageImage& image;
  int levels;
  int threshold;
  bool turned;  // test columns instead of rows
  double u;
  int32_t e;

  // Ink at (along, across) in the line's own coordinates.
  bool Ink(int32_t along, int32_t across) const {
    return turned ? PixelIsInk(image, levels, threshold, across, along)
                  : PixelIsInk(image, levels, threshold, along, across);
  }
  int32_t AlongLength() const { return turned ? image.height : image.width; }
  int32_t AcrossLength() const { return turned ? image.width : image.height; }
  bool InkNear(int32_t c, int32_t across) const { return Ink(c, across) || Ink(c - e, across) || Ink(c + e, across); }

  bool DotLineAt(int32_t x, int32_t y) const {
    int32_t reach = static_cast<int32_t>(u);
    if (y - reach < 0 || y + reach > AcrossLength() - 1) return false;
    for (int k = 0; k < 8; ++k) {
      int32_t c = static_cast<int32_t>(std::floor(x + 2 * u * k + 0.5));
      int32_t half = static_cast<int32_t>(std::floor(x + 2 * u * k + u + 0.5));
      if (c - e < 0 || c + e > AlongLength() - 1 || half - e < 0 || half + e > AlongLength() - 1) return false;
      if (!InkNear(c, y)) return false;
      for (int32_t r = y - reach; r <= y + reach; ++r)
        if (InkNear(half, r)) return false;
    }
    return true;
  }
};

}  // namespace

int DetectPatternedPaper(const PageImage& image, int threshold, int levels, int resolution) {
  if (levels != 2 && levels != 256) return 0;
  if (resolution <= 0 || image.width <= 0 || image.height <= 0) return 0;
  OpenProgress(kStrDeterminingPaperType);
  bool onSide = OnSideTest(image, levels, threshold, PatternCell(resolution), resolution) != 0;
  DotTest test{image, levels, threshold, onSide, resolution / 100.0, resolution / 200};
  int32_t spacing = std::max(1, resolution / 5);
  int32_t jump = std::max(1, resolution / 20);
  int32_t lines = test.AcrossLength();
  int hits = 0;
  for (int32_t y = 0; y < lines; ++y) {
    if ((y & 128) == 0) StepProgress(static_cast<int>(static_cast<int64_t>(y) * 100 / lines));
    for (int32_t x = 0; x < test.AlongLength() && y < lines; x += spacing) {
      if (!test.DotLineAt(x, y)) continue;
      if (++hits == 5) return 1;
      y += jump;
    }
  }
  return 0;
}

void RefineHistogram(Histogram& histogram, int levels, const PageImage& image, int resolution) {
  if (levels != 256) return;
  int top = TopLevel(histogram);
  int t = CalculateThreshold(histogram, 256, true, false);
  bool onSide = OnSideTest(image, 256, t, 1, resolution) != 0;
  int paperLevel = std::max(0, top - 1);
  int32_t reach = std::max(0, resolution / 8);
  double counts[256] = {};
  int32_t lineCount = onSide ? image.width : image.height;
  for (int32_t l = 0; l < lineCount; l += 4) {
    Line line{&image, onSide, l};
    int32_t length = line.Length();
    for (int32_t i = 0; i < length;) {
      int v = line.Value(i);
      if (v >= t) {
        counts[v] += 1;
        i += 4;
        continue;
      }
      int32_t light = -1;
      for (int32_t j = i + 1; j <= i + reach && j < length; ++j)
        if (line.Value(j) >= t) {
          light = j;
          break;
        }
      if (light >= 0) {
        counts[v] += 1;
        i += 4;
        continue;
      }
      // A long dark stretch: it counts as paper.
      int32_t end = i + reach + 1;
      while (end < length && line.Value(end) < t) ++end;
      for (; i < end; i += 4) counts[paperLevel] += 1;
    }
  }
  double cells = GridCells(image);
  for (int i = 0; i < 256; ++i) histogram.level[i] = counts[i] / cells;
}

void RefinePatternHistogram(Histogram& histogram, int levels, const PageImage& image, int resolution) {
  if (levels != 256) return;
  int top = TopLevel(histogram);
  int t = CalculateThreshold(histogram, 256, true, false);
  bool onSide = OnSideTest(image, 256, t, PatternCell(resolution), resolution) != 0;
  int paperLevel = std::max(0, top - 1);
  int32_t u = resolution / 100;
  int32_t c = std::max(1, PatternCell(resolution));
  int32_t reach = std::max(0, resolution / 8);
  double counts[256] = {};
  int32_t lineCount = onSide ? image.width : image.height;
  int32_t lineLength = onSide ? image.height : image.width;
  for (int32_t l = 0; l < lineCount; l += 4) {
    Line line{&image, onSide, l};
    for (int32_t i = 0; i < lineLength;) {
      int v = line.Value(i);
      if (v >= t) {
        counts[v] += 1;
        i += c;
        continue;
      }
      int32_t limit = std::min(i + reach, lineLength - 2 * u);
      bool realInk = false;
      for (int32_t cell = i + c; cell + c - 1 <= limit; cell += c) {
        bool hasLight = false;
        for (int32_t j = cell; j < cell + c; ++j)
          if (line.Value(j) >= t) {
            hasLight = true;
            break;
          }
        if (!hasLight) {
          realInk = true;
          break;
        }
      }
      if (realInk) {
        counts[v] += 1;
        i += c;
        continue;
      }
      // The dark stretch is the dot pattern: it counts as paper.
      do {
        counts[paperLevel] += 1;
        i += c;
      } while (i <= limit);
    }
  }
  double cells = static_cast<double>(lineCount / 4) * static_cast<double>(lineLength / c);
  if (cells <= 0) cells = 1.0;
  for (int i = 0; i < 256; ++i) histogram.level[i] = counts[i] / cells;
}

OwnedPageImage ExpandTo256Greys(const PageImage& image) {
  OpenProgress(kStrResampling);
  OwnedPageImage grey(image.width, image.height, 8);
  if (!grey.Valid()) return grey;
  const PageImage& out = grey.View();
  for (int32_t y = 0; y < image.height; ++y) {
    uint8_t* row = out.Row(y);
    for (int32_t x = 0; x < image.width; ++x) row[x] = static_cast<uint8_t>(image.Nibble(x, y) * 17);
  }
  return grey;
}

OwnedPageImage ConvertToBlackAndWhite(const PageImage& grey, int t) {
  OpenProgress(kStrConvertingToBlackAndWhite);
  OwnedPageImage page(grey.width, grey.height, 1);
  if (!page.Valid()) return page;
  const PageImage& out = page.View();
  for (int32_t y = 0; y < grey.height; ++y) {
    const uint8_t* in = grey.Row(y);
    uint8_t* row = out.Row(y);
    for (int32_t x = 0; x < grey.width; ++x)
      if (in[x] < t) row[x >> 3] |= static_cast<uint8_t>(1u << (x & 7));
    if ((y & 63) == 0) StepProgress(static_cast<int>(static_cast<int64_t>(y) * 100 / grey.height));
  }
  return page;
}

bool NormalizePalette(const uint8_t* palette, int bitsPerPixel, uint8_t table[256]) {
  if (bitsPerPixel > 8) {
    MessageById(nullptr, kStrPaletteTooLarge);
    return false;
  }
  if (bitsPerPixel != 1 && bitsPerPixel != 2 && bitsPerPixel != 4 && bitsPerPixel != 8) return false;
  // The loaders' grey map, from entries of four bytes (blue, green, red, unused).
  uint8_t colours[256][3];
  int n = 1 << bitsPerPixel;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < 3; ++j) colours[i][j] = palette[4 * i + j];
  BuildGreyMap(colours, static_cast<uint32_t>(n), bitsPerPixel, table);
  return true;
}
