#include "reading/StaveGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

using Line = int16_t[kStaveColumns];

double ColumnWidth(const StaveRow& row) { return (row.right - row.left) * 0.0009765625; }

// Step 1 and 2: the top line as a cubic curve through the outline's three
// top points, sampled into line 0.
void TopLineModel(const StaveRow& row, Line& line0) {
  const double y1 = row.midTop - static_cast<int32_t>((row.midTop - (row.top + row.rightTop) / 2) * -0.333333);
  int32_t x1 = static_cast<int32_t>(row.left * 0.5 + row.midX * 0.5);
  if (x1 <= row.left) x1 = row.left + 1;
  int32_t x2 = static_cast<int32_t>(row.midX * 0.5 + row.right * 0.5);
  if (x2 >= row.right) x2 = row.right - 1;
  const double colWidth = ColumnWidth(row);
  int last = -1;
  int16_t lastValue = 0;
  for (int i = 1; i / 1024.0 <= 1.01; ++i) {
    double t = i / 1024.0, u = 1 - t;
    double bx = u * u * u * row.left + 3 * u * u * t * x1 + 3 * u * t * t * x2 + t * t * t * row.right;
    double by = u * u * u * row.top + 3 * u * u * t * y1 + 3 * u * t * t * y1 + t * t * t * row.rightTop;
    int32_t x = static_cast<int32_t>(bx), y = static_cast<int32_t>(by);
    int32_t cx = static_cast<int32_t>((x - row.left) / colWidth);
    for (int c = last + 1; c <= cx && c < kStaveColumns; ++c) {
      line0[c] = static_cast<int16_t>(y - row.top);
      lastValue = line0[c];
      last = c;
    }
  }
  for (int c = last + 1; c < kStaveColumns; ++c) line0[c] = lastValue;
}

// The longest horizontal run of ink around x on row y, sampling every second
// pixel over x +- 2S (clipped to the image); stops once it exceeds 2S.
int32_t RunAround(const PageImage& image, int32_t x, int32_t y, double spacing) {
  int32_t reach = static_cast<int32_t>(2 * spacing);
  int32_t from = std::max(0, x - reach), to = std::min(image.width - 1, x + reach);
  int32_t run = 0, best = 0, whites = 0;
  for (int32_t xs = from; xs <= to; xs += 2) {
    if (image.Ink(xs, y)) {
      run += 2;
      whites = 0;
    } else if (++whites >= 2) {
      run = 0;
      whites = 0;
    }
    best = std::max(best, run);
    if (run > 2 * spacing) break;
  }
  return best;
}

void ModelLines(StaveLineTable& table, int s, int lineCount, double spacing, const Line& line0) {
  for (int k = 0; k < lineCount; ++k)
    for (int c = 0; c < kStaveColumns; ++c)
      table.y[s][k][c] = static_cast<int16_t>(static_cast<int32_t>(k * spacing) + line0[c]);
}

// Step 5: follow line k over the image; returns the number of weak columns.
int TraceLine(const StaveRow& row, int s, int k, double spacing, StavePage& page) {
  const PageImage& image = page.image;
  Line& line = page.lines->y[s][k];
  const double colWidth = ColumnWidth(row);
  const int32_t limit = static_cast<int32_t>(spacing / 3);
  int32_t tracked = row.top + line[0];
  int32_t previousExpected = tracked;
  int weak = 0;
  for (int c = 0; c < kStaveColumns; ++c) {
    int32_t x = static_cast<int32_t>(c * colWidth) + row.left;
    int32_t expected = row.top + line[c];
    int32_t d = std::abs(tracked - expected);
    if (d < 2) d = c == 0 ? page.resolution / 50 : page.resolution / 200;
    d = std::min(d, limit);
    int32_t best = 0, first = 0, last = 0;
    for (int32_t y = tracked - d; y <= tracked + d; ++y) {
      if (y < 0 || y >= image.height) continue;
      int32_t run = RunAround(image, x, y, spacing);
      if (run > best) {
        best = run;
        first = last = y;
      } else if (run == best && best > 0) {
        last = y;
      }
    }
    if (best < spacing / 2) ++weak;
    if (best > 2 * spacing && last - first + 1 <= row.lineThickness) {
      int32_t sum = first + last;
      tracked = (sum & 1) ? (first + 1 + last) / 2 : sum / 2;
    } else if (c > 0) {
      tracked += expected - previousExpected;
    }
    if (std::abs(tracked - expected) > spacing) tracked = expected;
    line[c] = static_cast<int16_t>(tracked - row.top);
    previousExpected = expected;
  }
  return weak;
}

// Step 6: neighbouring lines must keep an even gap.
void CheckGaps(const StaveRow& row, int s, double spacing, const Line& model0, StavePage& page) {
  StaveLineTable& table = *page.lines;
  for (int k = 0; k + 1 < row.lineCount; ++k) {
    int64_t sum = 0;
    for (int c = 0; c < kStaveColumns; ++c) sum += table.y[s][k + 1][c] - table.y[s][k][c];
    int32_t mean = static_cast<int32_t>(sum / kStaveColumns);
    for (int c = 0; c < kStaveColumns; ++c) {
      int32_t g = table.y[s][k + 1][c] - table.y[s][k][c];
      if (g < mean / 2.0 || g > mean * 1.5 || g < spacing / 3 || g > 2 * spacing) {
        ModelLines(table, s, row.lineCount, spacing, model0);
        page.modelCurves[s] = 1;
        return;
      }
      if (g < mean * 2 / 3 || g > mean * 4 / 3) page.modelCurves[s] = 1;
    }
  }
}

}  // namespace

StaveLookupState& StaveLookup() {
  static StaveLookupState state;
  return state;
}

bool StaveRowUsable(const StaveRow& row) {
  return row.right > row.left && row.bottom > row.top && row.lineCount >= 1 && row.lineCount <= kMaxStaveLines;
}

int StaveColumn(const StaveRow& row, int32_t x) {
  if (row.right <= row.left) return 0;
  double c = (x - row.left) / ((row.right - row.left) / 1024.0);
  if (c < 0) return 0;
  if (c >= kStaveColumns) return kStaveColumns - 1;
  return static_cast<int>(c);
}

bool CalculateStavePositions(const StaveRow& row, int s, StavePage& page) {
  if (!StaveRowUsable(row) || s < 0 || s >= kStaveSlots || !page.lines || !page.curvesValid || !page.modelCurves)
    return false;
  StaveLineTable& table = *page.lines;
  Line model0;
  TopLineModel(row, model0);
  std::memcpy(table.y[s][0], model0, sizeof model0);
  double spacing = row.lineCount > 1 ? static_cast<double>(row.bottom - row.top) / (row.lineCount - 1)
                                     : 10.0 * row.lineThickness;
  if (spacing < 1.0) return true;
  ModelLines(table, s, row.lineCount, spacing, model0);
  page.modelCurves[s] = 0;
  const int weakLimit = page.handwrittenView ? 640 : 128;
  for (int k = 0; k < row.lineCount; ++k)
    if (page.image.rows && TraceLine(row, s, k, spacing, page) > weakLimit) page.modelCurves[s] = 1;
  if (row.lineCount > 1) CheckGaps(row, s, spacing, model0, page);
  page.curvesValid[s] = 1;
  return true;
}

int32_t StaveRowLineY(const StaveRow& row, int s, int k, int32_t x, StavePage& page) {
  if (!StaveRowUsable(row) || s < 0 || s >= kStaveSlots) return 0;
  k = std::clamp(k, 0, kMaxStaveLines - 1);
  const StaveLookupState& state = StaveLookup();
  if ((!state.readingActive && !state.pageShown) || !page.lines || !page.curvesValid)
    return static_cast<int32_t>(static_cast<double>(row.bottom - row.top) / row.lineCount * k);
  if (!page.curvesValid[s]) CalculateStavePositions(row, s, page);
  return page.lines->y[s][k][StaveColumn(row, x)];
}

int32_t StaveLineY(const StaveRow* rows, int s, int k, int32_t x, StavePage& page) {
  if (!rows || s < 0 || s >= kStaveSlots) return 0;
  return StaveRowLineY(rows[s], s, k, x, page);
}

int32_t StaveTopLineY(const StaveRow* rows, int s, int32_t x, StavePage& page) {
  return StaveLineY(rows, s, 0, x, page);
}
