// Staff lines: the helpers the passes share (segments by column, ink
// penalties, gaps and ends of lines, the staff space of a row), the fit of a
// staff's lines and their refinement from the matched line runs.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Merger.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Stavwork.h"
#include "Code/Quorm/smooth.h"
#include "Code/Quorm/vertsegs.h"

namespace {

// ---------------------------------------------------------------------------
// Column index of the vertical segments.

int32_t* g_columnStart = nullptr;  // width + 1 entries
int32_t g_indexedWidth = 0;
int32_t g_indexedCount = -1;

const int32_t kInkPenalty[7][7] = {
    {0, 0, 0, 0, 0, 0, 0},          {15, 200, 0, 0, 0, 0, 0},       {15, 58, 225, 0, 0, 0, 0},
    {15, 38, 99, 250, 0, 0, 0},     {15, 31, 64, 133, 275, 0, 0},   {15, 27, 50, 91, 165, 300, 0},
    {15, 25, 42, 70, 117, 195, 325},
};

int32_t LineInkPenaltyRows(int32_t column, int64_t y) {
  const int32_t row = static_cast<int32_t>((y - 1536 + 512) >> 10);
  return ColumnHasInk(column, row, row + 2) ? 0 : 1;
}


}  // namespace

// ---------------------------------------------------------------------------
// Shared helpers.

void SegmentsOfColumn(int32_t column, int32_t* first, int32_t* end) {
  const int32_t width = GetPageImageWidth();
  const int32_t count = GetVerticalSegmentCount();
  if (!g_columnStart || g_indexedWidth != width || g_indexedCount != count) {
    EngineFree(g_columnStart);
    EngineAlloc(g_columnStart, sizeof(int32_t) * (width + 1));
    int32_t s = 0;
    for (int32_t x = 0; x <= width; ++x) {
      while (s < count && GetVerticalSegment(s)->x < x) ++s;
      g_columnStart[x] = s;
    }
    g_indexedWidth = width;
    g_indexedCount = count;
  }
  if (column < 0 || column >= width) {
    *first = *end = 0;
    return;
  }
  *first = g_columnStart[column];
  *end = g_columnStart[column + 1];
}

void FreeSegmentColumnIndex() {
  EngineFree(g_columnStart);
  g_indexedWidth = 0;
  g_indexedCount = -1;
}

bool ColumnHasInk(int32_t column, int32_t y0, int32_t y1) {
  return y1 >= y0 && CountColumnInk(column, y0, y1 + 1) > 0;
}

int32_t InkPenaltyOf(int32_t lineCount, int32_t missing) {
  ENGINE_CHECK(lineCount >= 1 && lineCount <= kMaxStaffLines && missing >= 0 && missing <= lineCount);
  return kInkPenalty[lineCount][missing];
}

int32_t LineYAnyColumn(const StaffRecord& row, int32_t line, int32_t column) {
  ENGINE_CHECK(row.rightX > row.leftX);
  if (column < row.leftX)
    return row.lineY[line][row.leftX] - SaturateToInt32(static_cast<int64_t>(row.slope) * (row.leftX - column));
  if (column >= row.rightX)
    return row.lineY[line][row.rightX - 1] + SaturateToInt32(static_cast<int64_t>(row.slope) * (column - row.rightX + 1));
  return row.lineY[line][column];
}

int32_t StaffInkPenalty(const StaffRecord& row, int32_t column) {
  int32_t missing = 0;
  for (int32_t k = 0; k < row.lineCount; ++k) missing += LineInkPenaltyRows(column, row.lineY[k][column]);
  return InkPenaltyOf(row.lineCount, missing);
}

bool InterpolateLineGaps(StaffRecord& row) {
  bool complete = true;
  for (int32_t k = 0; k < row.lineCount; ++k) {
    int32_t* y = row.lineY[k];
    int32_t previous = -1;
    for (int32_t c = row.leftX; c < row.rightX; ++c) {
      if (y[c] == -1) continue;
      if (previous >= 0 && c - previous > 1) {
        for (int32_t i = previous + 1; i < c; ++i)
          y[i] = y[previous] + static_cast<int32_t>(static_cast<int64_t>(y[c] - y[previous]) * (i - previous) / (c - previous));
      }
      previous = c;
    }
    if (previous < 0) complete = false;
  }
  return complete;
}

void ExtendLinesToEnds(StaffRecord& row) {
  const int64_t maxY = static_cast<int64_t>(GetPageImageHeight() - 1) * 1024;
  for (int32_t k = 0; k < row.lineCount; ++k) {
    int32_t* y = row.lineY[k];
    int32_t first = -1, last = -1;
    for (int32_t c = row.leftX; c < row.rightX; ++c)
      if (y[c] != -1) {
        if (first < 0) first = c;
        last = c;
      }
    if (first < 0) continue;
    for (int32_t c = last + 1; c < row.rightX; ++c)
      y[c] = static_cast<int32_t>(std::clamp<int64_t>(y[last] + static_cast<int64_t>(row.slope) * (c - last), 0, maxY));
    for (int32_t c = row.leftX; c < first; ++c)
      y[c] = static_cast<int32_t>(std::clamp<int64_t>(y[first] - static_cast<int64_t>(row.slope) * (first - c), 0, maxY));
  }
}

void MeasureRowStaffSpace(StaffRecord& row) {
  const int32_t n = row.lineCount;
  const int32_t width = row.rightX - row.leftX;
  if (n < 2 || width < 1) return;
  int64_t sum = 0;
  for (int32_t c = row.leftX; c < row.rightX; ++c) sum += row.lineY[n - 1][c] - row.lineY[0][c];
  row.staffSpace = SaturateToInt32(DivRound64(sum, static_cast<int64_t>(n - 1) * width));
}

void FitStaff(StaffRecord& row, double factor, bool keepEnds) {
  const int32_t n = row.lineCount;
  const int32_t width = row.rightX - row.leftX;
  const int32_t pageWidth = GetPageImageWidth();
  const int64_t maxY = static_cast<int64_t>(GetPageImageHeight() - 1) * 1024;
  ENGINE_CHECK(n >= 1 && width >= 1);
  WorkArray<int32_t> xs(width), mean(width), residual(width);
  for (int32_t i = 0; i < width; ++i) {
    int64_t sum = 0;
    for (int32_t k = 0; k < n; ++k) sum += row.lineY[k][row.leftX + i];
    xs[i] = row.leftX + i;
    mean[i] = static_cast<int32_t>(sum / n);
  }
  const LinearFitResult fit = LinearFit(xs.data(), mean.data(), width);
  row.slope = RoundToInt(fit.slope);
  for (int32_t i = 0; i < width; ++i) residual[i] = RoundToInt(mean[i] - (fit.slope * xs[i] + fit.intercept));
  const double sigma = factor * row.staffSpace / 1024.0;
  if (sigma > 0 && sigma < 256 && width > 1) {
    SmoothMirrored(residual.data(), width, sigma);
    for (int32_t i = 0; i < width; ++i) residual[i] = DivRound(residual[i], 2048);
  }
  double offset[kMaxStaffLines] = {};
  for (int32_t k = 0; k < n; ++k) {
    double sum = 0;
    for (int32_t i = 0; i < width; ++i) sum += row.lineY[k][row.leftX + i] - mean[i];
    offset[k] = sum / width;
  }
  int32_t lo = row.leftX, hi = row.rightX;
  if (!keepEnds) {
    const int32_t widen = 2 * RoundQ10(row.staffSpace);
    lo = std::max(0, row.leftX - widen);
    hi = std::min(pageWidth, row.rightX + widen);
  }
  for (int32_t c = lo; c < hi; ++c) {
    const int32_t i = c - row.leftX;
    const double r = (i >= 0 && i < width) ? residual[i] : 0.0;
    for (int32_t k = 0; k < n; ++k) {
      const double y = fit.slope * c + fit.intercept + r + offset[k];
      row.lineY[k][c] = static_cast<int32_t>(std::clamp<double>(std::floor(y + 0.5), 0.0, static_cast<double>(maxY)));
    }
  }
  // Trim: walk outwards over columns while their summed penalties stay below
  // half a staff space, then back inwards to the first column with ink.
  const int64_t budget = row.staffSpace / 2;
  int32_t c = row.leftX;
  int64_t sum = 0;
  while (c - 1 >= lo && sum + StaffInkPenalty(row, c - 1) < budget) sum += StaffInkPenalty(row, --c);
  while (c < row.rightX - 1 && StaffInkPenalty(row, c) >= 71) ++c;
  const int32_t left = c + 1;
  c = row.rightX - 1;
  sum = 0;
  while (c + 1 < hi && sum + StaffInkPenalty(row, c + 1) < budget) sum += StaffInkPenalty(row, ++c);
  while (c > row.leftX && StaffInkPenalty(row, c) >= 71) --c;
  const int32_t right = c;
  if (right > left) {
    row.leftX = left;
    row.rightX = right;
  }
}

namespace {

struct RefineRound {
  int32_t tolerance;  // per cent of the staff space
  double factor;
  bool keepEnds;
};

void MatchSegmentsToLines(StaffRecord& row, int32_t tolerance) {
  const int32_t n = row.lineCount;
  const int32_t band = row.lineThickness / 2 + 2 * row.thicknessSpread +
                       SaturateToInt32(static_cast<int64_t>(row.staffSpace) * tolerance / 100);
  int32_t matched[kMaxStaffLines] = {};
  const int32_t width = GetPageImageWidth();
  for (int32_t k = 0; k < n; ++k) std::fill(row.lineRun[k], row.lineRun[k] + 2 * width, -1);
  for (int32_t c = row.leftX; c < row.rightX; ++c) {
    int32_t first, end;
    SegmentsOfColumn(c, &first, &end);
    const int64_t upper = static_cast<int64_t>(row.lineY[0][c]) - row.staffSpace / 2;
    const int64_t lower = static_cast<int64_t>(row.lineY[n - 1][c]) + row.staffSpace / 2;
    // A column's segments run down the page without overlapping: the first
    // that reaches the staff is found by halving, and the walk ends below it.
    int32_t lo = first, hi = end;
    while (lo < hi) {
      const int32_t mid = lo + (hi - lo) / 2;
      if (static_cast<int64_t>(GetVerticalSegment(mid)->end - 1) * 1024 < upper)
        lo = mid + 1;
      else
        hi = mid;
    }
    for (int32_t i = lo; i < end; ++i) {
      const VerticalSegment* s = GetVerticalSegment(i);
      const int64_t top = static_cast<int64_t>(s->top) * 1024;
      const int64_t bottom = static_cast<int64_t>(s->end - 1) * 1024;
      if (top > lower) break;
      if (bottom < upper) continue;
      for (int32_t k = 0; k < n; ++k) {
        if (row.lineRun[k][2 * c] != -1) continue;
        const int64_t centre = row.lineY[k][c];
        if (top <= centre + 1024 && top >= centre - band && bottom <= centre + band && bottom >= centre - 1024) {
          row.lineRun[k][2 * c] = s->top;
          row.lineRun[k][2 * c + 1] = s->end - 1;
          ++matched[k];
        }
      }
    }
  }
  row.weakLine = 0;
  for (int32_t k = 0; k < n; ++k)
    if (matched[k] < 10) row.weakLine = 1;
}

void MeasureRowSpread(StaffRecord& row) {
  double squares = 0;
  int64_t count = 0;
  for (int32_t k = 0; k < row.lineCount; ++k)
    for (int32_t c = row.leftX; c < row.rightX; ++c) {
      if (row.lineRun[k][2 * c] == -1) continue;
      const double centre = row.lineY[k][c];
      const double top = row.lineRun[k][2 * c] * 1024.0 - (centre - row.lineThickness / 2.0);
      const double bottom = row.lineRun[k][2 * c + 1] * 1024.0 - (centre + row.lineThickness / 2.0);
      squares += top * top + bottom * bottom;
      count += 2;
    }
  const int32_t measured = count ? RoundToInt(std::sqrt(squares / count)) : 0;
  row.thicknessSpread = std::max({measured, row.staffSpace / 32, row.lineThickness / 8, 512});
}

void RebuildLinesFromRuns(StaffRecord& row) {
  for (int32_t k = 0; k < row.lineCount; ++k)
    for (int32_t c = row.leftX; c < row.rightX; ++c)
      row.lineY[k][c] = row.lineRun[k][2 * c] == -1 ? -1 : 512 * (row.lineRun[k][2 * c] + row.lineRun[k][2 * c + 1]);
  InterpolateLineGaps(row);
  ExtendLinesToEnds(row);
}

}  // namespace

void RefineStaffLines(int32_t n) {
  static const RefineRound kRounds[3] = {{8, 2.0, false}, {5, 1.0, false}, {5, 0.5, true}};
  for (const RefineRound& round : kRounds)
    for (int32_t i = 0; i < GetStaffCount(); ++i) {
      StaffRecord& row = StaffRow(i);
      if (row.lineCount != n || row.rightX <= row.leftX) continue;
      MatchSegmentsToLines(row, round.tolerance);
      MeasureRowSpread(row);
      if (!row.weakLine) RebuildLinesFromRuns(row);
      MeasureRowStaffSpace(row);
      FitStaff(row, round.factor, round.keepEnds);
    }
}

void UpdateStaffSpaceEstimate() {
  FinderState().staffSpaceEstimate = EstimateStaffSpace();
  PruneStaves();
}
