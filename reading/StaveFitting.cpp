#include "reading/StaveFitting.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kThicknessBins = 32;

int BitCount(uint8_t v) {
  int n = 0;
  for (; v; v &= uint8_t(v - 1)) ++n;
  return n;
}

bool PixelInk(const PageImage& image, int32_t x, int32_t y) { return image.Inside(x, y) && image.Ink(x, y); }

// The outline moved down by dy.
StaveFit Moved(const StaveFit& fit, int32_t dy) {
  StaveFit moved = fit;
  moved.top = int16_t(fit.top + dy);
  moved.midTop = int16_t(fit.midTop + dy);
  moved.rightTop = int16_t(fit.rightTop + dy);
  return moved;
}

int32_t TopBlackness(const PageImage& image, const StaveFit& fit) { return CandidateLineBlackness(image, 0, fit); }
int32_t BottomBlackness(const PageImage& image, const StaveFit& fit) {
  return CandidateLineBlackness(image, fit.bottom - fit.top, fit);
}

// Shifts the fields chosen by apply over -2..+2 units; a shift wins when its
// top-line value beats the best and is at least 61; above 70 ends at once.
template <typename Apply, typename Measure>
bool ShiftSearch(const PageImage& image, StaveFit* fit, int unit, Apply apply, Measure measure) {
  int32_t best = measure(image, *fit);
  StaveFit winner = *fit;
  bool changed = false;
  for (int d = -2 * unit; d <= 2 * unit; d += unit) {
    if (d == 0) continue;
    StaveFit trial = *fit;
    apply(&trial, d);
    const int32_t value = measure(image, trial);
    if (value > best && value >= 61) {
      best = value;
      winner = trial;
      changed = true;
      if (value > 70) break;
    }
  }
  *fit = winner;
  return changed;
}

// Tries the middle point at every step of columns from inset in from either
// end, at rows up to reach units above and below the top. A trial wins when
// its top and bottom lines are both at least floor and their sum beats best
// (and every trial before it); true when one won, and *fit is the winner.
bool MiddlePointSearch(const PageImage& image, StaveFit* fit, int32_t inset, int32_t step, int reach, int unit,
                       int32_t floor, int32_t best) {
  StaveFit winner = *fit;
  bool changed = false;
  for (int32_t mx = fit->left + inset; mx <= fit->right - inset; mx += step)
    for (int32_t mt = fit->top - reach * unit; mt <= fit->top + reach * unit; mt += unit) {
      StaveFit trial = *fit;
      trial.midX = int16_t(mx);
      trial.midTop = int16_t(mt);
      const int32_t a = TopBlackness(image, trial), b = BottomBlackness(image, trial);
      if (a >= floor && b >= floor && a + b > best) {
        best = a + b;
        winner = trial;
        changed = true;
      }
    }
  *fit = winner;
  return changed;
}

bool RefineModel(const PageImage& image, StaveFit* fit, int resolution, int unit) {
  bool changed = false;
  const int32_t w = fit->right - fit->left;
  if (w <= 0) return false;
  if (w >= 8 * resolution) {
    if (TopBlackness(image, *fit) < 50)
      changed = MiddlePointSearch(image, fit, w / 3, std::max(1, w / 6), 2, unit, 41, TopBlackness(image, *fit));
    return changed;
  }
  // (1) The whole model up or down.
  if (TopBlackness(image, *fit) < 80)
    changed |= ShiftSearch(image, fit, unit, [](StaveFit* f, int d) { *f = Moved(*f, d); }, TopBlackness);
  fit->top = int16_t(std::clamp<int32_t>(fit->top, 0, std::max(0, image.height - 1)));
  fit->bottom = int16_t(std::clamp<int32_t>(fit->bottom, fit->top, fit->top + resolution));
  // (2) The middle point.
  if (TopBlackness(image, *fit) < 80)
    changed |= MiddlePointSearch(image, fit, w / 5, std::max(1, w / 5), 4, unit, 61,
                                 TopBlackness(image, *fit) + BottomBlackness(image, *fit));
  // (3) The right part of the model, the left end fixed.
  changed |= ShiftSearch(
      image, fit, unit,
      [](StaveFit* f, int d) {
        f->midTop = int16_t(f->midTop + d);
        f->rightTop = int16_t(f->rightTop + d);
      },
      TopBlackness);
  // (4) The bottom.
  if (BottomBlackness(image, *fit) < 80) {
    const int32_t limit = fit->top + resolution;
    ShiftSearch(image, fit, unit, [limit](StaveFit* f, int d) { f->bottom = int16_t(std::min(f->bottom + d, limit)); },
                BottomBlackness);
  }
  return changed;
}

bool FitEnds(const PageImage& image, StaveFit* fit, int resolution, int unit) {
  bool changed = false;
  const int32_t q = resolution / 4, margin = std::max(1, resolution / 100), far = std::max(1, resolution / 65);
  // Left end: the leftmost column that looks like the stave's edge.
  int32_t candidate = -1;
  for (int32_t x = fit->left + q; x >= fit->left - q && x - margin >= 1; --x) {
    const int32_t b = VerticalBlackness(image, x, *fit);
    if ((x >= fit->left && b > 80) || (x < fit->left && b < 5)) {
      if (b == 0) {
        candidate = -1;
        break;
      }
      candidate = x;
    }
  }
  if (candidate >= 0 && candidate != fit->left) {
    fit->left = int16_t(candidate);
    changed = true;
  }
  // Right end.
  int32_t best = -1, bestX = -1;
  for (int32_t x = fit->right + q; x >= fit->right - q; --x) {
    if (x + far >= image.width - 2) {
      bestX = image.width - far - 1;
      continue;
    }
    if (VerticalBlackness(image, x + far, *fit) >= 8 && VerticalBlackness(image, x + unit, *fit) >= 8) continue;
    const int32_t b = VerticalBlackness(image, x, *fit);
    if (b >= 81 && b > best) {
      best = b;
      bestX = x;
      if (b > 90) break;
    }
  }
  if (bestX > fit->left && bestX != fit->right) {
    fit->right = int16_t(bestX);
    changed = true;
  }
  return changed;
}

// The best blackness of a line near top + y over +-unit.
int32_t BestLineBlackness(const PageImage& image, const StaveFit& fit, int32_t y, int unit) {
  int32_t best = 0;
  for (int32_t d = -unit; d <= unit; ++d) best = std::max(best, CandidateLineBlackness(image, y + d, fit));
  return best;
}

int DecideLineCount(const PageImage& image, const StaveFit& fit, bool shortStaves, int resolution, int unit) {
  const int32_t height = fit.bottom - fit.top;
  int bestCount = 5;
  double bestScore = 0;
  auto consider = [&](int n, double score) {
    if (score > bestScore) {
      bestScore = score;
      bestCount = n;
    }
  };
  if (shortStaves) {
    const int order[2][2] = {{3, 2}, {2, 3}};
    const int* counts = height > resolution / 4 ? order[0] : order[1];
    for (int i = 0; i < 2; ++i) {
      const int n = counts[i];
      int32_t least = 100;
      for (int k = 0; k < n; ++k)
        least = std::min(least, BestLineBlackness(image, fit, int32_t(int64_t(k) * height / (n - 1)), unit));
      consider(n, least * (n == 2 ? 70.0 : 85.0) / 100.0);
    }
  }
  for (int n = 4; n <= 6; ++n) {
    int64_t sum = 0;
    for (int k = 1; k <= n - 2; ++k) sum += BestLineBlackness(image, fit, int32_t(int64_t(k) * height / (n - 1)), unit);
    consider(n, double(sum) / (n - 2));
  }
  return bestCount;
}

}  // namespace

int32_t ModelTopLineOffset(int32_t left, int32_t right, int32_t midX, int32_t top, int32_t midTop, int32_t rightTop,
                           int32_t x) {
  const int32_t width = right - left;
  if (width <= 0) return 1;
  const int32_t leftRise = midTop - top, rightRise = rightTop - midTop;
  const int32_t leftRun = leftRise ? std::abs((midX - left) / leftRise) : width / 2;
  const int32_t rightRun = rightRise ? std::abs((right - midX) / rightRise) : width / 2;
  const int32_t m = std::min(leftRun, rightRun);
  const int32_t steps = width / (std::max(16, m) / 4);
  // The same control points as the stave's top-line model.
  const double y1 = midTop - int32_t((midTop - (top + rightTop) / 2) * -0.333333);
  int32_t x1 = int32_t(left * 0.5 + midX * 0.5);
  if (x1 <= left) x1 = left + 1;
  int32_t x2 = int32_t(midX * 0.5 + right * 0.5);
  if (x2 >= right) x2 = right - 1;
  if (steps <= 0) return int32_t(y1) - top + 1;
  const double dt = 1.0 / steps;
  if (dt > 1.01) return int32_t(y1) - top + 1;
  double lastY = top;
  for (int i = 1; i <= steps; ++i) {
    const double t = i * dt, u = 1 - t;
    const double bx = u * u * u * left + 3 * u * u * t * x1 + 3 * u * t * t * x2 + t * t * t * right;
    const double by = u * u * u * top + 3 * u * u * t * y1 + 3 * u * t * t * y1 + t * t * t * rightTop;
    lastY = by;
    if (bx >= x) return int32_t(by) - top + 1;
  }
  return int32_t(lastY) - top + 1;
}

int32_t CandidateLineBlackness(const PageImage& image, int32_t yOffset, const StaveFit& fit) {
  int32_t samples = 0, black = 0;
  for (int32_t x = fit.left; x < fit.right; x += 64) {
    ++samples;
    const int32_t y =
        fit.top + ModelTopLineOffset(fit.left, fit.right, fit.midX, fit.top, fit.midTop, fit.rightTop, x) - 1 + yOffset;
    if (!image.Inside(x, y)) continue;
    if (BitCount(image.Row(y)[x / 8]) >= 4) ++black;
  }
  return samples ? black * 100 / samples : 0;
}

int32_t VerticalBlackness(const PageImage& image, int32_t x, const StaveFit& fit) {
  if (x < 0 || x >= image.width) return 0;
  const int32_t y0 =
      fit.top + ModelTopLineOffset(fit.left, fit.right, fit.midX, fit.top, fit.midTop, fit.rightTop, x) - 1;
  int32_t rows = 0, black = 0;
  for (int32_t y = y0; y <= y0 + (fit.bottom - fit.top); y += 2) {
    ++rows;
    black += PixelInk(image, x, y);
  }
  return rows ? black * 100 / rows : 0;
}

void RebuildStaveRows(StaveFit* fit, int s, bool decide, bool shortStaves, StavePage& page) {
  const PageImage& image = page.image;
  const int resolution = page.resolution > 0 ? page.resolution : 300;
  const int unit = std::max(1, resolution / 200);
  if (fit->right <= fit->left || fit->bottom < fit->top) return;

  // 1. Four lines marked where five stand: one spacing more, down or up.
  if (fit->lineCount == 4) {
    const int32_t h = fit->bottom - fit->top, third = h / 3, inset = resolution / 50;
    int32_t bestSum = -1, bestK = -1;
    bool done = false;
    for (int k = 0; k <= 1 && !done; ++k) {
      StaveFit trial = Moved(*fit, -(k * h / 3));
      trial.bottom = int16_t(trial.top + h + third);
      if (trial.top < inset || trial.bottom > image.height - inset) continue;
      const int32_t reach = resolution / 100;
      for (int32_t a = -reach; a <= reach && !done; a += unit)
        for (int32_t b = -reach; b <= reach && !done; b += unit) {
          const int32_t t = CandidateLineBlackness(image, a, trial);
          const int32_t bottom = CandidateLineBlackness(image, h + third + b, trial);
          if (t >= 41 && bottom >= 41 && t + bottom > bestSum) {
            bestSum = t + bottom;
            bestK = k;
          }
          if (t >= 61 && bottom > 60) done = true;
        }
    }
    if (bestK >= 0) {
      *fit = Moved(*fit, -(bestK * h / 3));
      fit->bottom = int16_t(fit->top + h + third);
      fit->lineCount = 5;
    }
  }

  // 2-3. The model and the ends, a second time after a change.
  for (int pass = 0; pass < 2; ++pass) {
    bool changed = RefineModel(image, fit, resolution, unit);
    changed |= FitEnds(image, fit, resolution, unit);
    if (!changed) break;
  }

  // 4. The slope; a stave of no width has none.
  fit->slope = fit->right > fit->left ? int16_t((fit->rightTop - fit->top) * 4096 / (fit->right - fit->left)) : 0;

  // 5-6. Line count and kind.
  if (decide) {
    const int32_t low = std::max(10, resolution / 40);
    if (shortStaves && fit->bottom - fit->top < low) {
      fit->lineCount = 1;
    } else {
      fit->lineCount = int16_t(DecideLineCount(image, *fit, shortStaves, resolution, unit));
    }
  }
  // Four lines become five; six are tablature; one to three a short stave.
  if (fit->lineCount == 4) fit->lineCount = 5;
  fit->kind = int16_t(fit->lineCount == 6 ? 1 : fit->lineCount <= 3 ? 2 : 0);

  // 7. The line table, and the outline from it.
  auto rowOf = [&] {
    StaveRow row;
    row.left = fit->left;
    row.right = fit->right;
    row.top = fit->top;
    row.bottom = fit->bottom;
    row.lineCount = fit->lineCount;
    row.lineThickness = fit->lineThickness;
    row.slope = fit->slope;
    row.midX = fit->midX;
    row.midTop = fit->midTop;
    row.rightTop = fit->rightTop;
    row.kind = fit->kind;
    return row;
  };
  StaveRow row = rowOf();
  if (!CalculateStavePositions(row, s, page)) return;
  const auto& table = page.lines->y[s];
  auto column = [&](int32_t x) { return StaveColumn(row, x); };
  const int16_t top = fit->top;
  const int last = std::max(0, fit->lineCount - 1);
  fit->bottom = int16_t(top + table[last][column(fit->left + resolution / 2)]);
  fit->midTop = int16_t(top + table[0][column(fit->midX)]);
  fit->rightTop = int16_t(top + table[0][column(fit->right - resolution / 2)]);
  fit->top = int16_t(top + table[0][column(fit->left + resolution / 2)]);
  row = rowOf();
  CalculateStavePositions(row, s, page);

  // 8. The line thickness: the commonest short black run over each third.
  int32_t thickness = std::max<int32_t>(1, fit->lineThickness);
  int32_t limit = thickness;
  if (fit->lineCount > 1) {
    limit = 2 * ((fit->bottom - fit->top) / (fit->lineCount - 1)) / 5;
    if (limit < thickness) thickness = std::max<int32_t>(1, limit);
  }
  int32_t found = 0;
  const int32_t width = fit->right - fit->left;
  for (int third = 0; third < 3; ++third) {
    int32_t histogram[kThicknessBins] = {};
    const int32_t from = fit->left + width * third / 3, to = fit->left + width * (third + 1) / 3;
    for (int k = 0; k < fit->lineCount; ++k)
      for (int32_t x = from; x < to; x += 8) {
        const int32_t y = fit->top + page.lines->y[s][k][column(x)];
        if (!image.Inside(x, y)) continue;
        int32_t count = 0;
        for (int32_t r = std::max(0, y - thickness / 2 - thickness); r <= y + thickness / 2 + thickness; ++r)
          count += PixelInk(image, x, r);
        // Counts beyond the histogram are not line.
        if (count >= 1 && count <= limit && count < kThicknessBins) ++histogram[count];
      }
    int32_t most = 0, at = 0;
    for (int bin = 1; bin < kThicknessBins; ++bin)
      if (histogram[bin] > most) {
        most = histogram[bin];
        at = bin;
      }
    found = std::max(found, at);
  }
  if (found > 0) fit->lineThickness = int16_t(found);
}
