// The word and segment lattices of the line reader.
#include "Code/Quorm/Wordlatt.h"

#include <algorithm>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Posnscal.h"

namespace {

const TextPiece* linePieces = nullptr;
int32_t linePieceCount = 0;

LatticeCell* wordCells = nullptr;
int32_t wordFirst = 0, wordCount = 0;
LatticeCell* segmentCells = nullptr;

const TextPiece& Piece(int32_t i) {
  ENGINE_CHECK_INDEX(i, linePieceCount);
  return linePieces[i];
}

void UnionInto(LatticeCell& cell, const LatticeCell& a, const LatticeCell& b) {
  cell.top = std::min(a.top, b.top);
  cell.bottom = std::max(a.bottom, b.bottom);
  cell.left = std::min(a.left, b.left);
  cell.right = std::max(a.right, b.right);
}

int32_t Interpolate(const int32_t* xs, const int32_t* ys, int32_t n, int32_t x) { return InterpolateTable(xs, ys, n, x); }

}  // namespace

void SetLatticePieces(const TextPiece* pieces, int32_t count) {
  ENGINE_CHECK(count >= 0 && (count == 0 || pieces != nullptr));
  linePieces = pieces;
  linePieceCount = count;
}

LatticeCell* BuildWordLattice(int32_t first, int32_t n) {
  ENGINE_CHECK(first >= 0 && n >= 1 && first + n <= linePieceCount);
  FreeWordLattice();
  wordFirst = first;
  wordCount = n;
  EngineAllocZeroedChecked(wordCells, sizeof(LatticeCell) * static_cast<size_t>(kWordLatticeLevels) * n);
  for (int32_t s = 0; s < n; ++s) {
    const TextPiece& p = Piece(first + s);
    wordCells[s] = {p.top, p.bottom, p.left, p.right, first + s, first + s + 1, 0, 0, 0};
  }
  for (int32_t level = 1; level < kWordLatticeLevels; ++level)
    for (int32_t s = 0; s + level < n; ++s) {
      LatticeCell& cell = WordLatticeCell(level, s);
      UnionInto(cell, WordLatticeCell(level - 1, s), WordLatticeCell(0, s + level));
      cell.first = first + s;
      cell.end = first + s + level + 1;
    }
  return wordCells;
}

LatticeCell& WordLatticeCell(int32_t level, int32_t s) {
  ENGINE_CHECK_POINTER(wordCells);
  ENGINE_CHECK_INDEX(level, kWordLatticeLevels);
  ENGINE_CHECK_INDEX(s, wordCount);
  return wordCells[static_cast<size_t>(level) * wordCount + s];
}

int32_t WordLatticeSize() { return wordCells ? wordCount : 0; }

void CostWordLattice(TextCostFunction f, TextCostFunction g, TextCostFunction h) {
  ENGINE_CHECK(f != nullptr && g != nullptr && h != nullptr);
  ENGINE_CHECK_POINTER(wordCells);
  int32_t sampledH[100], sampledF[101];
  for (int32_t v = 0; v < 100; ++v) {
    sampledH[v] = h(v);
    sampledF[v] = f(v);
  }
  sampledF[100] = f(200);
  const int32_t n = wordCount;
  for (int32_t level = 0; level < kWordLatticeLevels; ++level)
    for (int32_t s = 0; s + level < n; ++s) {
      LatticeCell& cell = WordLatticeCell(level, s);
      if (level == 0) {
        cell.cutCost = g(Piece(wordFirst + s).cost);
      } else {
        const int32_t gap = Piece(wordFirst + s + level).gap;
        const int32_t join = gap >= 0 && gap < 100 ? sampledH[gap] : h(gap);
        cell.cutCost = SaturateToInt32(static_cast<int64_t>(WordLatticeCell(level - 1, s).cutCost) + join);
      }
      const int32_t width = cell.right - cell.left;
      cell.widthCost = width >= 0 && width < 100 ? sampledF[width] : sampledF[100];
      cell.extraCost = 0;
    }
}

void FreeWordLattice() {
  EngineFree(wordCells);
  wordCount = 0;
  wordFirst = 0;
}

// ---- Segment lattice ----

int32_t SegmentJoinCost(int32_t gap, int32_t v) {
  const int32_t p = std::max(6, v);
  if (gap < 0) return 0;
  if (gap > 2 * p) return 20000;
  const int32_t xs[6] = {0, p / 3, (p / 3 + p) / 2, p, 3 * p / 2, 2 * p};
  const int32_t ys[6] = {0, 0, 300, 1200, 2800, 5000};
  return Interpolate(xs, ys, 6, gap);
}

int32_t SegmentCutCost(int32_t gap, int32_t v) {
  const int32_t p = std::max(6, v);
  if (gap < 0) return 16000;
  if (gap > 2 * p) return 0;
  const int32_t xs[6] = {0, p / 3, (p / 3 + p) / 2, p, 3 * p / 2, 2 * p};
  const int32_t ys[6] = {10000, 5000, 2800, 1200, 300, 0};
  return Interpolate(xs, ys, 6, gap);
}

int32_t SegmentWidthCost(int32_t width, int32_t height, int32_t v) {
  const int32_t u = DivRound(1024, 2 * std::max(1, v));
  const int64_t w = static_cast<int64_t>(width) * u, h = static_cast<int64_t>(height) * u;
  if (w > 24000) return 30000;
  static const int32_t xs[7] = {0, 200, 300, 1500, 3000, 6000, 24000};
  static const int32_t ys[7] = {8000, 1600, 400, 0, 800, 4000, 25000};
  int32_t cost = Interpolate(xs, ys, 7, static_cast<int32_t>(w));
  if (w < 250 && h < 350) cost += static_cast<int32_t>((450 - h) * 30);
  return cost;
}

int64_t SegmentCellCost(const int16_t* cuts, int32_t count, int32_t v) {
  ENGINE_CHECK(count >= 1);
  ENGINE_CHECK_POINTER(cuts);
  const TextPiece& first = Piece(cuts[0]);
  int64_t cost = SegmentCutCost(first.gap, v) + 10LL * first.cost;
  for (int32_t c = 1; c < count; ++c) cost += SegmentJoinCost(Piece(cuts[c]).gap, v);
  LatticeCell box{INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN, 0, 0, 0, 0, 0};
  for (int32_t piece = cuts[0]; piece < cuts[count]; ++piece) {
    const TextPiece& p = Piece(piece);
    const LatticeCell one{p.top, p.bottom, p.left, p.right, 0, 0, 0, 0, 0};
    UnionInto(box, box, one);
  }
  return cost + SegmentWidthCost(box.right - box.left, box.bottom - box.top, v);
}

int32_t ReadSegmentLattice(KBestPaths* out, const int32_t* cuts, int32_t m, int32_t paths) {
  ENGINE_CHECK_POINTER(out);
  ENGINE_CHECK(m >= 0 && paths >= 1);
  out->count = 0;
  if (m == 0) return 0;
  ENGINE_CHECK_POINTER(cuts);
  const int32_t v = GetScaleValue();  // a failed check before the model is fitted
  FreeSegmentLattice();
  EngineAllocZeroedChecked(segmentCells, sizeof(LatticeCell) * static_cast<size_t>(kSegmentLatticeLevels) * m);
  auto cell = [&](int32_t level, int32_t s) -> LatticeCell& {
    return segmentCells[static_cast<size_t>(level) * m + s];
  };
  for (int32_t s = 0; s < m; ++s) {
    LatticeCell& c = cell(0, s);
    c.top = INT32_MAX;
    c.left = INT32_MAX;
    c.bottom = INT32_MIN;
    c.right = INT32_MIN;
    for (int32_t piece = cuts[s]; piece < cuts[s + 1]; ++piece) {
      const TextPiece& p = Piece(piece);
      c.top = std::min(c.top, p.top);
      c.bottom = std::max(c.bottom, p.bottom);
      c.left = std::min(c.left, p.left);
      c.right = std::max(c.right, p.right);
    }
    c.first = cuts[s];
    c.end = cuts[s + 1];
    const TextPiece& first = Piece(cuts[s]);
    c.cutCost = SaturateToInt32(SegmentCutCost(first.gap, v) + 10LL * first.cost);
  }
  for (int32_t level = 1; level < kSegmentLatticeLevels; ++level)
    for (int32_t s = 0; s + level < m; ++s) {
      LatticeCell& c = cell(level, s);
      UnionInto(c, cell(level - 1, s), cell(0, s + level));
      c.first = cuts[s];
      c.end = cuts[s + level + 1];
      const int32_t gap = Piece(cuts[s + level]).gap;
      c.cutCost = SaturateToInt32(static_cast<int64_t>(cell(level - 1, s).cutCost) + SegmentJoinCost(gap, v));
    }
  for (int32_t level = 0; level < kSegmentLatticeLevels; ++level)
    for (int32_t s = 0; s + level < m; ++s) {
      LatticeCell& c = cell(level, s);
      c.widthCost = SegmentWidthCost(c.right - c.left, c.bottom - c.top, v);
    }
  const int32_t found = BestSegmentPaths(segmentCells, m, kSegmentLatticeLevels, paths, out->maxSegments, out);
  FreeSegmentLattice();
  return found;
}

void FreeSegmentLattice() { EngineFree(segmentCells); }
