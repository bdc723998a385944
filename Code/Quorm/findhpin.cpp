// The hairpin finder. A wedge is a component of the right size whose
// column profile shows two straight lines that meet at one end: the apex is
// measured over the narrow eighth, the two end rows over the wide eighth
// (extrapolated to the last column), and most columns must hold ink on both
// lines between them.
#include "Code/Quorm/findhpin.h"

#include "Code/Quorm/Enginetab.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Intmath.h"

namespace {

EngineTable<FoundHairpin, 100> gHairpins;

// The runs of one column: how many, and the first rows and the end rows
// (first white row after) of the first four.
constexpr int32_t kStoredRuns = 4;
struct ColumnRuns {
  int32_t count;
  int32_t start[kStoredRuns];
  int32_t end[kStoredRuns];
};

int32_t StoredRuns(const ColumnRuns& column) { return MinOfInts(column.count, kStoredRuns); }

// 1 when one of the column's stored runs spans the row within one pixel.
int32_t RunSpansRow(const ColumnRuns& column, int32_t row) {
  for (int32_t r = 0; r < StoredRuns(column); ++r)
    if (column.start[r] - 1 <= row && row <= column.end[r] + 1) return 1;
  return 0;
}

// Fills the profile from the component's raster; returns the total number
// of runs.
int32_t MeasureColumns(const ConnectedComponent& component, ColumnRuns* columns) {
  const int32_t h = component.rows;
  const int32_t w = component.columns;
  int32_t total = 0;
  for (int32_t x = 0; x < w; ++x) {
    ColumnRuns& column = columns[x];
    int32_t y = 0;
    while (y < h) {
      if (!GetBitMatrixBit(component, y, x)) {
        ++y;
        continue;
      }
      const int32_t start = y;
      while (y < h && GetBitMatrixBit(component, y, x)) ++y;
      if (column.count < kStoredRuns) {
        column.start[column.count] = start;
        column.end[column.count] = y;
      }
      ++column.count;
      ++total;
    }
  }
  return total;
}

int32_t TestProfile(ColumnRuns* columns, int32_t h, int32_t w, int32_t* opening) {
  // Orientation: the extents' centre of gravity lies towards the wide end.
  int64_t weighted = 0;
  int64_t extents = 0;
  for (int32_t x = 0; x < w; ++x) {
    const ColumnRuns& column = columns[x];
    if (column.count == 0) continue;
    const int32_t extent = column.end[StoredRuns(column) - 1] - column.start[0];
    weighted += static_cast<int64_t>(x) * extent;
    extents += extent;
  }
  if (extents <= 0) return 0;
  *opening = DivRound64(weighted, extents) >= w / 2 ? 1 : 0;
  if (*opening == 0) {
    // Narrow end first from here on.
    for (int32_t a = 0, b = w - 1; a < b; ++a, --b) {
      const ColumnRuns swap = columns[a];
      columns[a] = columns[b];
      columns[b] = swap;
    }
  }
  // Apex row.
  int64_t apexSum = 0;
  int32_t apexRuns = 0;
  for (int32_t x = 0; x <= w / 8; ++x)
    for (int32_t r = 0; r < StoredRuns(columns[x]); ++r) {
      apexSum += columns[x].start[r] + columns[x].end[r];
      ++apexRuns;
    }
  if (apexRuns == 0) return 0;
  const int32_t c = static_cast<int32_t>(DivRound64(apexSum, 2 * static_cast<int64_t>(apexRuns)));
  // The two lines' rows at the wide end, from the columns of the last
  // eighth that show both lines apart.
  int64_t upperSum = 0;
  int64_t lowerSum = 0;
  int32_t k = 0;
  for (int32_t x = 7 * w / 8; x < w; ++x) {
    const ColumnRuns& column = columns[x];
    if (column.count != 2) continue;
    upperSum += column.start[0] + column.end[0] - 2 * c;
    lowerSum += column.start[1] + column.end[1] - 2 * c;
    ++k;
  }
  const int64_t spread = 15 * (1 + 2 * static_cast<int64_t>(k));
  const int32_t upper = static_cast<int32_t>(DivRound64(16 * (1 + upperSum), spread)) + c;
  const int32_t lower = static_cast<int32_t>(DivRound64(16 * (h - 1 + lowerSum), spread)) + c;
  if (lower - upper < 3 * h / 4) return 0;
  // Both lines straight from the apex to their end rows.
  int32_t hits = 0;
  for (int32_t x = 0; x < w; ++x) {
    hits += RunSpansRow(columns[x], c + DivRound((upper - c) * x, w));
    hits += RunSpansRow(columns[x], c + DivRound((lower - c) * x, w));
  }
  return hits > 9 * w / 5 ? 1 : 0;
}

}  // namespace

int32_t IsHairpinComponent(const ConnectedComponent& component, int32_t* opening) {
  ENGINE_CHECK_POINTER(opening);
  const int32_t h = component.rows;
  const int32_t w = component.columns;
  if (h < ScaleToPixels(100) || h > ScaleToPixels(300) || w < ScaleToPixels(500) || w <= 0) return 0;
  ColumnRuns* columns = nullptr;
  EngineAllocZeroedChecked(columns, sizeof(ColumnRuns) * static_cast<size_t>(w));
  int32_t found = 0;
  if (MeasureColumns(component, columns) <= 3 * w) found = TestProfile(columns, h, w, opening);
  EngineFree(columns);
  return found;
}

void DetectHairpins() {
  gHairpins.count = 0;
  const int32_t n = GetComponentCount();
  for (int32_t i = 0; i < n; ++i) {
    const ConnectedComponent& component = *GetComponentRecord(i);
    int32_t opening = 0;
    if (!IsHairpinComponent(component, &opening)) continue;
    gHairpins.Append(FoundHairpin{opening, component.top, component.top + component.rows, component.left,
                                  component.left + component.columns});
  }
}

int32_t AddFoundHairpin(const FoundHairpin& hairpin) { return gHairpins.Append(hairpin); }
int32_t GetHairpinCount() { return gHairpins.count; }
int32_t GetHairpinOpening(int32_t i) { return gHairpins.At(i).opening; }
int32_t GetHairpinTop(int32_t i) { return gHairpins.At(i).top; }
int32_t GetHairpinBottom(int32_t i) { return gHairpins.At(i).bottom; }
int32_t GetHairpinLeft(int32_t i) { return gHairpins.At(i).left; }
int32_t GetHairpinRight(int32_t i) { return gHairpins.At(i).right; }

void FreeHairpins() { gHairpins.Free(); }
