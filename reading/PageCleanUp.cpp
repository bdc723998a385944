#include "reading/PageCleanUp.h"

#include <algorithm>
#include <cstring>

#include "platform/Messages.h"
#include "reading/PreparationProgress.h"
#include "reading/PreparationStrings.h"

namespace {

int PopCount(uint8_t b) {
  int n = 0;
  for (; b; b &= static_cast<uint8_t>(b - 1)) ++n;
  return n;
}

bool Mixed(const PageImage& image, int32_t x, int32_t y) {
  uint8_t b = image.Row(y)[x >> 3];
  return b != 0 && b != 255;
}

// The pixel range the clean-up visits: bytes from pixel 8 to width - 8.
struct Span {
  int32_t firstX, endX;  // endX exclusive
};

Span VisitedPixels(const PageImage& image) {
  int32_t lastByte = (image.width - 8) / 8;  // bytes 1 .. lastByte - 1
  return {8, std::max(8, lastByte * 8)};
}

struct Survey {
  double ink = 0;
  double pinholes = 0;
};

Survey SurveyPage(const PageImage& image, Span span) {
  Survey survey;
  for (int32_t y = 1; y <= image.height - 2; y += 7) {
    const uint8_t* row = image.Row(y);
    for (int32_t k = span.firstX / 8; k * 8 < span.endX; k += 2) {
      uint8_t b = row[k];
      if (b == 0) continue;
      survey.ink += PopCount(b);
      if (b == 255) continue;
      for (int i = 0; i < 8; ++i) {
        int32_t x = k * 8 + i;
        if (!image.Ink(x, y) && image.Ink(x - 1, y) && image.Ink(x + 1, y) && image.Ink(x, y - 1) &&
            image.Ink(x, y + 1))
          survey.pinholes += 1;
      }
    }
  }
  return survey;
}

bool FillPinholes(const PageImage& image, Span span) {
  bool changed = false;
  for (int32_t y = 1; y <= image.height - 2; ++y)
    for (int32_t x = span.firstX; x < span.endX; ++x) {
      if (!Mixed(image, x, y) || image.Ink(x, y)) continue;
      bool above = image.Ink(x, y - 1) || image.Ink(x - 1, y - 1);
      bool left = image.Ink(x - 1, y) || image.Ink(x - 1, y + 1);
      bool below = image.Ink(x, y + 1) || image.Ink(x + 1, y + 1);
      bool right = image.Ink(x + 1, y) || image.Ink(x + 1, y - 1);
      if (above && left && below && right) {
        image.SetInk(x, y);
        changed = true;
      }
    }
  return changed;
}

// Whether pixels of row y over columns from..to (or of column x over rows
// from..to) all have the wanted value; the image edge never counts.
bool RowIs(const PageImage& image, int32_t y, int32_t from, int32_t to, bool ink) {
  if (y < 0 || y >= image.height || from < 0 || to >= image.width) return false;
  for (int32_t x = from; x <= to; ++x)
    if (image.Ink(x, y) != ink) return false;
  return true;
}

bool ColumnIs(const PageImage& image, int32_t x, int32_t from, int32_t to, bool ink) {
  if (x < 0 || x >= image.width || from < 0 || to >= image.height) return false;
  for (int32_t y = from; y <= to; ++y)
    if (image.Ink(x, y) != ink) return false;
  return true;
}

// One pass of block filling (ring of ink around white pixels) or clearing
// (ring of paper around ink): blocks of s = 2, 2 + step ... up to largest,
// placed over the pixel with the ring tested on the block's own sides.
bool BlockPass(const PageImage& image, Span span, int largest, int step, bool fill) {
  bool changed = false;
  bool ringInk = fill;
  for (int32_t y = 1; y <= image.height - 2 && y < image.height - largest; ++y) {
    int32_t endX = std::min(span.endX, image.width - largest);
    for (int32_t x = span.firstX; x < endX;) {
      if (!Mixed(image, x, y) || image.Ink(x, y) == fill) {
        ++x;
        continue;
      }
      int32_t next = x + 1;
      bool done = false;
      for (int s = 2; s <= largest && !done; s += step) {
        for (int o = 1 - s; o <= 0 && !done; ++o) {
          int32_t from = x + o, to = x + o + s - 1;
          if (from < 1) continue;  // the side column would be the image edge
          if (!RowIs(image, y - 1, from, to, ringInk) || !RowIs(image, y + s, from, to, ringInk)) continue;
          if (!ColumnIs(image, from - 1, y, y + s - 1, ringInk) || !ColumnIs(image, to + 1, y, y + s - 1, ringInk))
            continue;
          for (int32_t r = y; r < y + s; ++r)
            for (int32_t c = from; c <= to; ++c) fill ? image.SetInk(c, r) : image.ClearInk(c, r);
          changed = true;
          done = true;
          next = to + 2;
        }
      }
      x = next;
    }
  }
  return changed;
}

bool RemoveLoneSpecks(const PageImage& image, Span span) {
  bool changed = false;
  for (int32_t y = 1; y <= image.height - 2; ++y)
    for (int32_t x = span.firstX; x < span.endX; ++x) {
      if (!Mixed(image, x, y) || !image.Ink(x, y)) continue;
      bool alone = true;
      for (int dy = -1; dy <= 1 && alone; ++dy)
        for (int dx = -1; dx <= 1 && alone; ++dx)
          if ((dx || dy) && image.Ink(x + dx, y + dy)) alone = false;
      if (alone) {
        image.ClearInk(x, y);
        changed = true;
      }
    }
  return changed;
}

}  // namespace

void ClearPageBorder(const PageImage& image) {
  if (!image.rows || image.height <= 0) return;
  for (int32_t y = 0; y < image.height; ++y) {
    uint8_t* row = image.Row(y);
    if (y < 2 || y >= image.height - 2) {
      std::memset(row, 0, image.rowBytes);
      continue;
    }
    for (int32_t x = 0; x < 2 && x < image.width; ++x) image.ClearInk(x, y);
    int32_t rowBits = static_cast<int32_t>(image.rowBytes * 8);
    for (int32_t x = std::max(0, image.width - 2); x < rowBits; ++x) image.ClearInk(x, y);
  }
}

bool FindBoundary(const PageImage& image, int resolution, BoundaryRect* rect) {
  OpenProgress(kStrFindingBoundary);
  *rect = BoundaryRect();
  const int32_t m = BoundaryMargin(resolution);
  const int32_t w = image.width, h = image.height;
  const int32_t rowBytes = (w + 7) / 8;
  auto rowInked = [&](int32_t y) {
    const uint8_t* row = image.Row(y);
    int32_t n = 0;
    for (int32_t k = 0; k < rowBytes; ++k) n += row[k] & 1;
    return n > 0.05 * rowBytes;
  };
  auto columnInked = [&](int32_t x) {
    int32_t n = 0;
    for (int32_t y = 0; y < h; y += 8) n += image.Ink(x, y) ? 1 : 0;
    return n > 0.05 * (h / 8);
  };
  int32_t top = -1, bottom = -1, left = -1, right = -1;
  for (int32_t y = m; y < h - 1 && top < 0; ++y)
    if (rowInked(y)) top = y;
  if (top < 0) return false;
  StepProgress(25);
  for (int32_t y = std::min(h - m, h - 1); y > 0 && bottom < 0; --y)
    if (rowInked(y)) bottom = y;
  if (bottom < 0) return false;
  StepProgress(50);
  for (int32_t x = m; x < w - 1 && left < 0; ++x)
    if (columnInked(x)) left = x;
  if (left < 0) return false;
  StepProgress(75);
  for (int32_t x = std::min(w - m, w - 1); x > 0 && right < 0; --x)
    if (columnInked(x)) right = x;
  if (right < 0) return false;
  rect->left = static_cast<uint32_t>(std::max(0, left - m));
  rect->top = static_cast<uint32_t>(std::max(0, top - m));
  rect->right = static_cast<uint32_t>(std::min(w - 1, right + m));
  rect->bottom = static_cast<uint32_t>(std::min(h - 1, bottom + m));
  return true;
}

OwnedPageImage CropPage(const PageImage& image, int32_t left, int32_t top, int32_t right, int32_t bottom,
                        bool* tooSmall) {
  if (tooSmall) *tooSmall = false;
  left = std::max(0, left);
  top = std::max(0, top);
  right = std::min(image.width - 1, right);
  bottom = std::min(image.height - 1, bottom);
  if (right < left + 3 || bottom < top + 3) {
    if (tooSmall) *tooSmall = true;
    return OwnedPageImage();
  }
  OwnedPageImage cropped(right - left, bottom - top, 1);
  if (!cropped.Valid()) {
    MessageById(nullptr, kStrMemoryToProcessPage);
    return cropped;
  }
  OpenProgress(kStrCropping);
  const PageImage& out = cropped.View();
  for (int32_t r = 0; r < out.height; ++r) {
    for (int32_t c = 0; c < out.width; ++c)
      if (image.Ink(left + c, top + r)) out.SetInk(c, r);
    if ((r & 63) == 0) StepProgress(static_cast<int>(static_cast<int64_t>(r) * 100 / out.height));
  }
  return cropped;
}

void CleanUpPage(const PageImage& image, const CleanUpOptions& options) {
  if (!image.rows || image.width < 24 || image.height < 3) return;
  auto progress = [&](int percent) {
    if (options.showProgress) StepProgress(percent);
  };
  if (options.showProgress) OpenProgress(kStrCleaningUp);
  const Span span = VisitedPixels(image);
  const int resolution = options.resolution;
  Survey survey = SurveyPage(image, span);
  bool fill = options.forceCleanUp || (survey.ink > 0 && survey.pinholes / survey.ink >= 0.0005);
  if (fill) {
    progress(0);
    for (int pass = 0; pass < 6; ++pass) {
      progress(4 * pass);
      if (!FillPinholes(image, span)) break;
    }
  }
  if (fill && !options.handwritten) {
    int largest = LargestHole(resolution), step = std::max(1, resolution / 200);
    for (int pass = 0; pass < 6; ++pass) {
      progress(24 + 6 * pass);
      if (!BlockPass(image, span, largest, step, true)) break;
    }
  }
  progress(60);
  RemoveLoneSpecks(image, span);
  progress(70);
  int largest = LargestSpeck(resolution), step = std::max(1, resolution / 300);
  for (int pass = 0; pass < 6; ++pass) {
    progress(70 + 5 * pass);
    if (!BlockPass(image, span, largest, step, false)) break;
  }
}
