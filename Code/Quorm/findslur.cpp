// The slur finder. Short vertical runs off the staff lines are chained
// column by column (Merger); every long chain is followed at both ends along
// a curve fitted to its last columns, bridging gaps where ink goes on, and
// the whole stroke is scored: too little arch is no slur, a thick or
// S-shaped stroke costs more, a short one is doubtful at best. Of
// overlapping slurs the longer one stays.
#include "Code/Quorm/findslur.h"

#include <cstdlib>
#include <cstring>

#include "Code/Quorm/Enginetab.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Merger.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/vertsegs.h"

namespace {

EngineTable<FoundSlur, 100> gSlurs;

// Work state of one run: the stroke being followed, one triple per page
// column (zero outside the stroke; thicknesses are pixel counts, end - top
// of a run, while a column keeps its last black row as its bottom), and two page-width arrays for the
// pieces of a chain.
SlurColumn* gColumns = nullptr;
int32_t* gChainColumns = nullptr;
int32_t* gChainRows = nullptr;
int32_t gPageWidth = 0;
int64_t gThicknessSum = 0;  // over the measured columns
int32_t gMeasured = 0;

void FreeSlurWork() {
  EngineFree(gColumns);
  EngineFree(gChainColumns);
  EngineFree(gChainRows);
  gPageWidth = 0;
}

// ---- Pieces: vertical runs chained column by column ----

const VerticalSegment& Piece(const MergeGroup* group) { return *static_cast<const VerticalSegment*>(group->item); }

int32_t PieceCost(MergeGroup* a, MergeGroup* b) {
  const VerticalSegment& last = Piece(a->tail);
  const VerticalSegment& first = Piece(b);
  if (first.x != last.x + 1) return kMergeNoJoin;
  return std::abs(last.top - first.top) + std::abs(last.end - first.end);
}

void PieceJoin(MergeGroup*, MergeGroup*) {}

MergePoint PieceCentre(MergeGroup* group) { return MergePoint{Piece(group).x, Piece(group).top}; }

void PieceBox(MergeBox* out, MergeGroup* group) {
  const VerticalSegment& last = Piece(group->tail);
  *out = MergeBox{last.x + 1, MaxOfInts(0, last.top - 16), last.x + 2, last.end + 16};
}

// ---- Following a stroke ----

double MeanMiddle(int32_t a, int32_t b) {
  if (b <= a) return 0.0;
  int64_t sum = 0;
  for (int32_t x = a; x < b; ++x) sum += gColumns[x].top + gColumns[x].bottom;
  return static_cast<double>(sum) / (2.0 * (b - a));
}

// The row the stroke is expected at, column by column, from its last
// columns at end e (the far end f bounds the windows).
struct StrokeFit {
  double slope;
  double intercept;
  int32_t RowAt(int32_t x) const { return RoundToInt(slope * x + intercept); }
};

StrokeFit FitStrokeEnd(int32_t e, int32_t f) {
  const int32_t s300 = ScaleToPixels(300);
  const int32_t s133 = ScaleToPixels(133);
  const int32_t s50 = ScaleToPixels(50);
  int32_t w0, w1, a0, a1, b0, b1;
  if (f >= e) {
    w0 = e, w1 = MinOfInts(e + s300, f);
    a0 = e, a1 = MinOfInts(e + s133, f);
    b0 = e, b1 = MinOfInts(e + s50, f);
  } else {
    w0 = MaxOfInts(e - s300, f), w1 = e;
    a0 = MaxOfInts(e - s133, f), a1 = e;
    b0 = MaxOfInts(e - s50, f), b1 = e;
  }
  // A window that the stroke's other end cuts to nothing takes the end column.
  if (w1 <= w0) w0 = e, w1 = e + 1;
  if (a1 <= a0) a0 = e, a1 = e + 1;
  if (b1 <= b0) b0 = e, b1 = e + 1;
  const int32_t lengthW = w1 - w0;
  const int32_t lengthA = a1 - a0;
  const double h = f >= e ? -lengthA / 2.0 : lengthA / 2.0;
  const int32_t q1 = (w1 + 3 * w0) / 4;
  const int32_t q2 = (w0 + 3 * w1) / 4;
  double curvature = 0.0;
  if (w0 < q1 && q1 < q2 && q2 < w1)
    curvature = 4.0 * (MeanMiddle(q2, w1) + MeanMiddle(w0, q1) - 2.0 * MeanMiddle(q1, q2)) /
                (static_cast<double>(lengthW) * lengthW);
  const int32_t m = (a0 + a1) / 2;
  double halves = 0.0;
  if (a0 < m && m < a1) halves = 2.0 * (MeanMiddle(m, a1) - MeanMiddle(a0, m)) / lengthA;
  StrokeFit fit;
  fit.slope = lengthA * (halves + h * curvature * lengthW / s300) / s133;
  fit.intercept = MeanMiddle(b0, b1) - fit.slope * ((b0 + b1) / 2);
  return fit;
}

void SetMeasured(int32_t x, int32_t top, int32_t bottom) { gColumns[x] = SlurColumn{top, bottom, 0}; }

// Rows between two measured columns, linear, flagged as bridged.
void Bridge(int32_t from, int32_t to) {
  const int32_t step = to > from ? 1 : -1;
  const int32_t span = to - from;
  for (int32_t x = from + step; x != to; x += step) {
    const int32_t k = x - from;
    gColumns[x].top = gColumns[from].top + DivRound((gColumns[to].top - gColumns[from].top) * k, span);
    gColumns[x].bottom = gColumns[from].bottom + DivRound((gColumns[to].bottom - gColumns[from].bottom) * k, span);
    gColumns[x].interpolated = 1;
  }
}

// Follows the stroke from end e away from the far end f; returns the new end.
int32_t ExtendStroke(int32_t e, int32_t f) {
  const int32_t step = f >= e ? -1 : 1;
  const int32_t reach = ScaleToPixels(100);
  const int32_t nearness = ScaleToPixels(40);
  const int32_t lookahead = ScaleToPixels(12);
  const int32_t height = GetPageImageHeight();
  bool moved = true;
  while (moved) {
    moved = false;
    const StrokeFit fit = FitStrokeEnd(e, f);
    const int32_t shortest = static_cast<int32_t>(DivRound64(2 * gThicknessSum, 3 * static_cast<int64_t>(gMeasured)));
    const int32_t longest = static_cast<int32_t>(DivRound64(5 * gThicknessSum, 4 * static_cast<int64_t>(gMeasured)));
    for (int32_t d = 1; d <= reach; ++d) {
      const int32_t x = e + step * d;
      if (x < 0 || x >= gPageWidth) break;
      const int32_t r = fit.RowAt(x);
      if (r < 0 || r >= height) break;
      const int32_t found = FindVerticalSegment(x, r);
      if (found >= 0 && !HasSegmentMark3(found)) {
        const VerticalSegment& piece = *GetVerticalSegment(found);
        const int32_t length = piece.end - piece.top;
        if (length >= shortest && length <= longest && std::abs(2 * r - piece.top - (piece.end - 1)) < nearness) {
          SetMeasured(x, piece.top, piece.end - 1);
          Bridge(e, x);
          gThicknessSum += length;
          ++gMeasured;
          e = x;
          moved = true;
          break;
        }
      }
      // A probe that missed: the stroke goes on only where ink lies just ahead.
      bool ink = false;
      for (int32_t k = 1; k <= lookahead && !ink; ++k) {
        const int32_t column = x + step * k;
        if (column < 0 || column >= gPageWidth) break;
        ink = CountColumnInk(column, r - 1, r + 2) > 0;
      }
      if (!ink) break;
    }
  }
  return e;
}

// ---- Scoring and storing ----

int32_t Middle(int32_t x) { return (gColumns[x].top + gColumns[x].bottom) / 2; }

int32_t ScoreStroke(int32_t s, int32_t n) {
  const int32_t last = s + n - 1;
  // Arch: the ends against the middle.
  const int32_t t = MinOfInts(n / 4 + 1, ScaleToPixels(200));
  const int32_t middle = s + n / 2;
  int64_t endSum = 0, middleSum = 0;
  int32_t endCount = 0, middleCount = 0;
  for (int32_t x = s; x <= last; ++x) {
    const int32_t doubled = gColumns[x].top + gColumns[x].bottom;
    if (x - s < t || last - x < t) endSum += doubled, ++endCount;
    if (std::abs(x - middle) < t) middleSum += doubled, ++middleCount;
  }
  const double arch = std::abs(static_cast<double>(endSum) / (2.0 * endCount) -
                               static_cast<double>(middleSum) / (2.0 * middleCount));
  const double least = ScaleToPixelsExact(2) + 0.015 * n;
  const double archLimit = least < ScaleToPixelsExact(25) ? least : ScaleToPixelsExact(25);
  if (arch < archLimit) return 3000;
  // Thickness against length.
  const int32_t thickness =
      MaxOfInts(0, static_cast<int32_t>(DivRound64(2500 * gThicknessSum, static_cast<int64_t>(gMeasured) * n)) - 250);
  // Shape: deviations on both sides of the chord mean an S or a wave.
  const int32_t first = gColumns[s].top + gColumns[s].bottom;
  const int32_t end = gColumns[last].top + gColumns[last].bottom;
  int64_t above = 0, below = 0;
  for (int32_t x = s; x <= last; ++x) {
    const int32_t chord = n > 1 ? first + DivRound((end - first) * (x - s), n - 1) : first;
    const int32_t deviation = gColumns[x].top + gColumns[x].bottom - chord;
    if (deviation < 0) above -= deviation;
    else below += deviation;
  }
  const int32_t shape = static_cast<int32_t>(DivRound64(2000 * (above < below ? above : below), n));
  int32_t cost = thickness + shape;
  const int32_t t400 = ScaleToPixels(400);
  const int32_t t150 = ScaleToPixels(150);
  if (cost < 1024 && n < t400 && n > t150)
    cost = static_cast<int32_t>(
        DivRound64(static_cast<int64_t>(t400 + t150 - n) * 1023 + static_cast<int64_t>(n - t150) * cost, t400));
  if (n <= t150) cost = MaxOfInts(cost, 1023);
  return cost;
}

void StoreStroke(int32_t s, int32_t n, int32_t cost) {
  const int32_t last = s + n - 1;
  FoundSlur slur{};
  slur.columnCount = n;
  slur.startX = s;
  slur.startY = Middle(s);
  slur.endX = last;
  slur.endY = Middle(last);
  slur.topY = gColumns[s].top;
  slur.bottomY = gColumns[s].bottom;
  for (int32_t x = s; x <= last; ++x) {
    LowerTo(&slur.topY, gColumns[x].top);
    RaiseTo(gColumns[x].bottom, &slur.bottomY);
  }
  slur.removed = 0;
  slur.cost = cost;
  // The arc through both ends and the middle: half chord h, sagitta s.
  const int32_t middleX = s + n / 2;
  const int32_t middleY = Middle(middleX);
  const int32_t chordMidY2 = slur.startY + slur.endY;  // doubled
  const int32_t chordMidX2 = slur.startX + slur.endX;
  const int32_t half = Hypot(slur.endX - slur.startX, slur.endY - slur.startY) / 2;
  const int32_t sagitta = Hypot(2 * middleX - chordMidX2, 2 * middleY - chordMidY2) / 2;
  const int64_t radius = DivRound64(static_cast<int64_t>(sagitta) * sagitta + static_cast<int64_t>(half) * half,
                                    2 * static_cast<int64_t>(sagitta) + 1);
  int32_t r = radius > 0x7fffffff ? 0x7fffffff : static_cast<int32_t>(radius);
  ClampTo(9 * half / 8, &r, 8 * half);
  slur.radius = r;
  slur.upward = 2 * middleY < chordMidY2 ? 1 : 0;
  AddFoundSlur(slur, gColumns + s);
}

// Follows and scores one chain of pieces.
void FollowChain(MergeGroup* group) {
  const int32_t pieces = CountListItems(group);
  if (pieces <= ScaleToPixels(100)) return;
  gThicknessSum = 0;
  gMeasured = 0;
  int32_t first = Piece(group).x;
  int32_t last = first;
  for (const MergeGroup* g = group; g != nullptr; g = g->next) {
    const VerticalSegment& piece = Piece(g);
    SetMeasured(piece.x, piece.top, piece.end - 1);
    gThicknessSum += piece.end - piece.top;
    ++gMeasured;
    if (piece.x < first) first = piece.x;
    if (piece.x > last) last = piece.x;
  }
  last = ExtendStroke(last, first);
  first = ExtendStroke(first, last);
  const int32_t n = last - first + 1;
  const int32_t cost = ScoreStroke(first, n);
  if (cost < 1024) StoreStroke(first, n, cost);
  std::memset(gColumns + first, 0, sizeof(SlurColumn) * static_cast<size_t>(n));
}

void FollowChainCallback(MergeGroup* group) { FollowChain(group); }

// ---- Overlaps ----

bool StrokesOverlap(const FoundSlur& a, const FoundSlur& b) {
  if (a.endX < b.startX || b.endX < a.startX) return false;
  if (a.bottomY < b.topY || b.bottomY < a.topY) return false;
  const int32_t from = MaxOfInts(a.startX, b.startX);
  const int32_t to = MinOfInts(a.endX, b.endX);
  for (int32_t x = from; x <= to; ++x) {
    const SlurColumn& ca = a.columns[x - a.startX];
    const SlurColumn& cb = b.columns[x - b.startX];
    if (ca.top <= cb.bottom && cb.top <= ca.bottom) return true;
  }
  return false;
}

void RemoveOverlaps() {
  for (int32_t i = 0; i < gSlurs.count; ++i)
    for (int32_t j = 0; j < i && !gSlurs.records[i].removed; ++j) {
      FoundSlur& a = gSlurs.records[j];
      FoundSlur& b = gSlurs.records[i];
      if (a.removed || !StrokesOverlap(a, b)) continue;
      if (b.columnCount < a.columnCount)
        b.removed = 1;
      else
        a.removed = 1;
    }
  int32_t kept = 0;
  for (int32_t i = 0; i < gSlurs.count; ++i) {
    if (gSlurs.records[i].removed) {
      EngineFree(gSlurs.records[i].columns);
      continue;
    }
    gSlurs.records[kept++] = gSlurs.records[i];
  }
  gSlurs.count = kept;
}

}  // namespace

void DetectSlurs() {
  FreeSlurs();
  // Without a staff space of at least a pixel (no staves) there is nothing
  // to measure strokes against.
  if (!HasPageImage() || ScaleToPixels(100) < 1) return;
  const int32_t shortest = ScaleToPixels(10);
  const int32_t longest = ScaleToPixels(120);
  BeginMerge();
  const int32_t segments = GetVerticalSegmentCount();
  for (int32_t i = 0; i < segments; ++i) {
    VerticalSegment* piece = GetVerticalSegment(i);
    const int32_t length = piece->end - piece->top;
    if (piece->mark3 || length < shortest || length > longest) continue;
    AddMergeItem(piece);
  }
  RunMerge(PieceCost, PieceJoin, PieceCentre, PieceBox, nullptr, 4, 32, shortest + 2);
  gPageWidth = GetPageImageWidth();
  EngineAllocZeroedChecked(gColumns, sizeof(SlurColumn) * static_cast<size_t>(gPageWidth));
  EngineAllocZeroedChecked(gChainColumns, sizeof(int32_t) * static_cast<size_t>(gPageWidth));
  EngineAllocZeroedChecked(gChainRows, sizeof(int32_t) * static_cast<size_t>(gPageWidth));
  ForEachMergedGroup(FollowChainCallback);
  EndMerge();
  FreeSlurWork();
  RemoveOverlaps();
  for (int32_t i = 0; i < gSlurs.count; ++i) {
    AddObjectPoint(kPointSlurStart, i, gSlurs.records[i].startY, gSlurs.records[i].startX);
    AddObjectPoint(kPointSlurEnd, i, gSlurs.records[i].endY, gSlurs.records[i].endX);
  }
}

int32_t AddFoundSlur(const FoundSlur& slur, const SlurColumn* columns) {
  ENGINE_CHECK_POINTER(columns);
  ENGINE_CHECK(slur.columnCount >= 1);
  FoundSlur record = slur;
  record.columns = nullptr;
  EngineAllocChecked(record.columns, sizeof(SlurColumn) * static_cast<size_t>(slur.columnCount));
  std::memcpy(record.columns, columns, sizeof(SlurColumn) * static_cast<size_t>(slur.columnCount));
  return gSlurs.Append(record);
}

int32_t GetSlurCount() { return gSlurs.count; }
const FoundSlur& GetFoundSlur(int32_t i) { return gSlurs.At(i); }
EnginePoint GetSlurStart(int32_t i) {
  const FoundSlur& slur = gSlurs.At(i);
  return EnginePoint{slur.startY, slur.startX};
}
EnginePoint GetSlurEnd(int32_t i) {
  const FoundSlur& slur = gSlurs.At(i);
  return EnginePoint{slur.endY, slur.endX};
}
int32_t GetSlurCost(int32_t i) { return gSlurs.At(i).cost; }
int32_t GetSlurRadius(int32_t i) { return gSlurs.At(i).radius; }
int32_t IsSlurUpward(int32_t i) { return gSlurs.At(i).upward; }

int32_t SlurYAtX(int32_t i, int32_t x) {
  const FoundSlur& slur = gSlurs.At(i);
  ENGINE_CHECK_INDEX(x - slur.startX, slur.columnCount);
  const SlurColumn& column = slur.columns[x - slur.startX];
  return (column.top + column.bottom) / 2;
}

int32_t GetSlurColumns(int32_t i, int32_t* path) {
  const FoundSlur& slur = gSlurs.At(i);
  ENGINE_CHECK_POINTER(path);
  const bool staves = GetStaffCount() > 0;
  int32_t listed = 0;
  for (int32_t k = 0; k < slur.columnCount; ++k) {
    const SlurColumn& column = slur.columns[k];
    const int32_t x = slur.startX + k;
    bool keep = column.interpolated == 0;
    if (!keep && staves) {
      const int32_t staff = NearestStaff((column.top + column.bottom) / 2, x);
      for (int32_t line = 0; line < GetStaffLineCount(staff) && !keep; ++line) {
        const int32_t y = StaffLineY(staff, line, x);
        keep = column.top <= y && y <= column.bottom;
      }
    }
    if (!keep) continue;
    path[3 * listed] = x;
    path[3 * listed + 1] = column.top;
    path[3 * listed + 2] = column.bottom;
    ++listed;
  }
  return listed;
}

void ReleaseSlur(int32_t i) {
  gSlurs.At(i);
  RemoveObjectPoint(kPointSlurStart, i);
  RemoveObjectPoint(kPointSlurEnd, i);
}

void FreeSlurs() {
  FreeSlurWork();
  for (int32_t i = 0; i < gSlurs.count; ++i) EngineFree(gSlurs.records[i].columns);
  gSlurs.Free();
}
