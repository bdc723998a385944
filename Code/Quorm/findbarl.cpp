// The bar-line finder.
//
// Per staff, every column near the staff gets the ink counts of its spaces
// (sampled along the page skew) and a score: how much of the staff's interior
// it fills. A peak of the score starts a candidate whose edges are the
// sharpest rise and fall of the counts near the ends of the peak's run; the
// candidate is costed by its edges and by the white gaps of its stroke.
// Candidates that go on into the next staff of their system are linked;
// strokes that run on above or below a lower staff (stems, brackets) and
// costly strokes are dropped.
#include "Code/Quorm/findbarl.h"

#include <algorithm>
#include <climits>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Enginetab.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Onebpp.h"

namespace {

EngineTable<FoundBarLine, 1000> gBars;

constexpr int32_t kMaxSpaces = kMaxStaffLines - 1;
constexpr int32_t kCostLimit = 2048;      // a candidate must cost less
constexpr int32_t kKeepCostLimit = 1025;  // an unjoined bar line is dropped at this cost
constexpr int32_t kStartScore = 75;       // per cent of the interior a peak must fill

// One page column of the staff being searched: seven words.
struct BarColumn {
  int32_t counts[kMaxSpaces];  // ink of the space between lines k and k + 1
  int32_t score;               // per cent of the interior height, 0 when a space is nearly empty
  int32_t difference;          // previous column's counts minus this column's, summed
};
static_assert(sizeof(BarColumn) == 28, "7 words");

// The column table lives in a module slot so that a run ended inside the
// search leaves nothing behind once the engine is freed.
BarColumn* gColumns = nullptr;

struct StaffColumns {
  int32_t staff;
  int32_t first;   // first page column of the table
  int32_t end;     // column past the last
  int32_t spaces;  // lines - 1
  int32_t space;   // the staff's own space in pixels
  int32_t margin;  // rows kept clear of each line
  int32_t height;  // mean interior height, at least 1

  BarColumn& At(int32_t x) const {
    ENGINE_CHECK_INDEX(x - first, end - first);
    return gColumns[x - first];
  }
  bool Holds(int32_t x) const { return x >= first && x < end; }
  int32_t Score(int32_t x) const { return Holds(x) ? At(x).score : 0; }
};

// Rows kept clear of a line's centre: a sixteenth of a space and half the
// line's thickness.
int32_t LineMargin(int32_t staff) {
  return RoundQ10(GetStaffSpace(staff) / 16 + GetStaffLineThickness(staff) / 2);
}

int32_t Clamped(int32_t lo, int32_t v, int32_t hi) {
  ClampTo(lo, &v, hi);
  return v;
}

int32_t MiddleColumn(const FoundBarLine& bar) { return (bar.leftX + bar.rightX) / 2; }

// ---- The column table ----

void BuildColumns(StaffColumns* t) {
  const int32_t columns = t->end - t->first;
  EngineAllocZeroedChecked(gColumns, static_cast<size_t>(columns) * sizeof(BarColumn));
  const int32_t skew = GetPageSkew();
  int64_t spans = 0;
  for (int32_t x = t->first; x < t->end; ++x) {
    BarColumn& column = t->At(x);
    for (int32_t k = 0; k < t->spaces; ++k) {
      // The column where a vertical stroke through x at the top line crosses
      // the middle of space k.
      const int32_t sampled =
          x - static_cast<int32_t>(DivRound64(static_cast<int64_t>(2 * k + 1) * t->space * skew, 2048));
      const int32_t y0 = StaffLineY(t->staff, k, sampled) + t->margin;
      const int32_t y1 = StaffLineY(t->staff, k + 1, sampled) - t->margin;
      if (y1 < y0) continue;
      column.counts[k] = CountColumnInk(sampled, y0, y1 + 1);
      spans += y1 - y0 + 1;
    }
  }
  t->height = std::max<int32_t>(1, static_cast<int32_t>(DivRound64(spans, columns)));
  const int32_t least = DivRound(25 * t->height, 100 * t->spaces);
  for (int32_t x = t->first; x < t->end; ++x) {
    BarColumn& column = t->At(x);
    int32_t sum = 0;
    bool filled = true;
    for (int32_t k = 0; k < t->spaces; ++k) {
      sum += column.counts[k];
      if (column.counts[k] < least) filled = false;
      if (x > t->first) column.difference += t->At(x - 1).counts[k] - column.counts[k];
    }
    column.score = filled ? static_cast<int32_t>(DivRound64(100LL * sum, t->height)) : 0;
  }
}

// ---- Costs ----

int32_t EdgeCost(const StaffColumns& t, int32_t a, int32_t b) {
  const int32_t r = std::min((ScaleToPixels(24) + (b - a) + 6) / 3, ScaleToPixels(8) + 1);
  int64_t rise = 0, fall = 0;
  for (int32_t x = a - r; x <= a + r; ++x)
    if (t.Holds(x)) rise += std::max(0, -t.At(x).difference);
  for (int32_t x = b - r; x <= b + r; ++x)
    if (t.Holds(x)) fall += std::max(0, t.At(x).difference);
  const int64_t h = t.height;
  int64_t cost = 0;
  cost = std::max(cost, DivRound64(2048 * (h - rise), h));
  cost = std::max(cost, DivRound64(2048 * (h - fall), h));
  cost = std::max(cost, DivRound64(3072 * (2 * h - rise - fall), 2 * h));
  return SaturateToInt32(cost);
}

// White gaps of the stroke between the staff's outer lines: each run of L
// rows with too little ink costs 1000 L / S + 10000 L^2 / S^2. A row needs at
// least one black pixel however thin the stroke.
int32_t StrokeCost(int32_t staff, int32_t space, int32_t a, int32_t b) {
  const int32_t middle = (a + b) / 2;
  const int32_t top = StaffTopLineY(staff, middle);
  const int32_t bottom = StaffBottomLineY(staff, middle);
  const int32_t need = std::max(1, (b - a) / 2 - 1);
  const int64_t s = space;
  int64_t cost = 0;
  int64_t run = 0;
  for (int32_t y = top; y <= bottom + 1; ++y) {
    const bool inked = y <= bottom && CountRowInk(y, a, b) >= need;
    if (!inked && y <= bottom) {
      ++run;
      continue;
    }
    if (run > 0) {
      cost += DivRound64(1000 * run, s) + DivRound64(10000 * run * run, s * s);
      if (cost > INT32_MAX) return INT32_MAX;
    }
    run = 0;
  }
  return static_cast<int32_t>(cost);
}

// ---- Candidates ----

// The column near stop (within w either side) whose difference is a local
// minimum (falling: false) or maximum (falling: true) and scores best against
// its distance from stop; -1 when there is none.
int32_t FindEdge(const StaffColumns& t, int32_t stop, int32_t w, bool falling) {
  int32_t best = -1;
  int64_t bestValue = 0;
  for (int32_t x = stop - w; x <= stop + w; ++x) {
    if (!t.Holds(x)) continue;
    const int32_t d = t.At(x).difference;
    const bool extreme = falling ? ((!t.Holds(x - 1) || d >= t.At(x - 1).difference) &&
                                    (!t.Holds(x + 1) || d >= t.At(x + 1).difference))
                                 : ((!t.Holds(x - 1) || d <= t.At(x - 1).difference) &&
                                    (!t.Holds(x + 1) || d <= t.At(x + 1).difference));
    if (!extreme) continue;
    const int64_t j = x > stop ? x - stop : stop - x;
    const int64_t value = static_cast<int64_t>(w) - j + (falling ? d : -static_cast<int64_t>(d));
    if (best < 0 || value > bestValue) {
      best = x;
      bestValue = value;
    }
  }
  return best;
}

void FindStaffCandidates(int32_t staff) {
  StaffColumns t;
  t.staff = staff;
  t.space = ScaleToPixelsForStaff(staff, 100);
  t.spaces = GetStaffLineCount(staff) - 1;
  t.margin = LineMargin(staff);
  t.first = Clamped(0, GetStaffLeftX(staff) - t.space, GetPageImageWidth());
  t.end = Clamped(0, GetStaffRightX(staff) + t.space, GetPageImageWidth());
  t.height = 1;
  if (t.end <= t.first) return;
  BuildColumns(&t);
  const int32_t w = ScaleToPixelsForStaff(staff, 20);
  for (int32_t x = t.first; x < t.end; ++x) {
    const int32_t score = t.At(x).score;
    if (score < kStartScore || score <= t.Score(x - 1) || score < t.Score(x + 1)) continue;
    int32_t leftStop = x, rightStop = x;
    while (t.Score(leftStop - 1) > 0) --leftStop;
    while (t.Score(rightStop + 1) > 0) ++rightStop;
    int32_t a = FindEdge(t, leftStop, w, false);
    int32_t b = FindEdge(t, rightStop, w, true);
    if (a < 0 || b < 0 || b <= a) {
      a = leftStop;
      b = rightStop + 1;
    }
    const int64_t cost = static_cast<int64_t>(EdgeCost(t, a, b)) + StrokeCost(staff, t.space, a, b);
    if (cost >= kCostLimit) continue;
    if (gBars.count > 0) {
      const FoundBarLine& last = gBars.At(gBars.count - 1);
      if (last.staff == staff && last.leftX == a && last.rightX == b) continue;
    }
    AddFoundBarLine(FoundBarLine{staff, a, b, 0, 0, -1, static_cast<int32_t>(cost), 0});
  }
  EngineFree(gColumns);
}

// ---- Links across staves ----

// Whether bar line upper (on a staff) goes on into bar line lower (on the
// next staff); offset receives how far apart their middles are.
bool StrokeJoins(const FoundBarLine& upper, const FoundBarLine& lower, int32_t* offset) {
  const int32_t upperMiddle = MiddleColumn(upper);
  const int32_t lowerMiddle = MiddleColumn(lower);
  const int32_t y1 = StaffBottomLineY(upper.staff, upperMiddle);
  const int32_t y2 = StaffTopLineY(lower.staff, lowerMiddle);
  const int32_t h = y2 - y1;
  if (h <= 0) return false;  // staves that touch leave no gap to follow
  const int32_t shift = static_cast<int32_t>(DivRound64(static_cast<int64_t>(GetPageSkew()) * h, 1024));
  const int32_t upperLeft = upper.leftX - shift, upperRight = upper.rightX - shift;
  const int32_t overlap = std::min(upperRight - lower.leftX, lower.rightX - upperLeft);
  const int32_t sum = upperLeft + upperRight - lower.leftX - lower.rightX;
  *offset = (sum < 0 ? -sum : sum) / 2;
  if (overlap < 0 && 100LL * -static_cast<int64_t>(overlap) > static_cast<int64_t>(ScaleToPixels(1000)) + h + 100)
    return false;
  int32_t inked = 0;
  for (int32_t y = y1; y < y2; ++y) {
    const int32_t x =
        upperMiddle + static_cast<int32_t>(DivRound64(static_cast<int64_t>(lowerMiddle - upperMiddle) * (y - y1), h));
    if (CountRowInk(y, x - 2, x + 2) > 0) ++inked;
  }
  return 4LL * inked >= 3LL * h;
}

void LinkBarLines() {
  for (int32_t i = 0; i < gBars.count; ++i) {
    FoundBarLine& bar = gBars.At(i);
    bar.joinedAbove = 0;
    bar.joinedBelow = 0;
    bar.belowIndex = -1;
  }
  for (int32_t i = 0; i < gBars.count; ++i) {
    const FoundBarLine upper = gBars.At(i);
    if (upper.deleted) continue;
    int32_t best = -1, bestOffset = 0;
    for (int32_t j = i + 1; j < gBars.count && gBars.At(j).staff <= upper.staff + 1; ++j) {
      const FoundBarLine lower = gBars.At(j);
      if (lower.deleted || lower.staff != upper.staff + 1) continue;
      if (GetStaffSystem(lower.staff) != GetStaffSystem(upper.staff)) continue;
      int32_t offset = 0;
      if (!StrokeJoins(upper, lower, &offset)) continue;
      if (best < 0 || offset < bestOffset) {
        best = j;
        bestOffset = offset;
      }
    }
    if (best < 0) continue;
    FoundBarLine& joined = gBars.At(i);
    joined.joinedBelow = 1;
    joined.belowIndex = best;
    gBars.At(best).joinedAbove = 1;
  }
}

// ---- Strokes that are no bar lines ----

// Rows of [y0, y1) with more ink between the columns [left, right) than in
// the two strips beside them, [left - w, left - a) and [right + a, right + w).
int32_t CountContinuedRows(int32_t y0, int32_t y1, int32_t left, int32_t right, int32_t a, int32_t w) {
  int32_t rows = 0;
  for (int32_t y = y0; y < y1; ++y) {
    const int32_t inside = CountRowInk(y, left, right);
    const int32_t beside = CountRowInk(y, left - w, left - a) + CountRowInk(y, right + a, right + w);
    if (inside > beside) ++rows;
  }
  return rows;
}

// Marks the unjoined bar lines that are too costly, or that run on above or
// below a staff which is not its system's first; returns how many.
int32_t TestBarLines() {
  int32_t deleted = 0;
  for (int32_t i = 0; i < gBars.count; ++i) {
    FoundBarLine& bar = gBars.At(i);
    if (bar.deleted || bar.joinedAbove || bar.joinedBelow) continue;
    bool drop = bar.cost >= kKeepCostLimit;
    if (!drop && GetStaffIndexInSystem(bar.staff) != 0) {
      const int32_t m = LineMargin(bar.staff);
      const int32_t shift = static_cast<int32_t>(
          DivRound64(static_cast<int64_t>(GetPageSkew()) * ScaleToPixelsForStaff(bar.staff, 275), 1024));
      const int32_t a = ScaleToPixelsForStaff(bar.staff, 10);
      const int32_t w = bar.rightX - bar.leftX + a;
      const int32_t band = ScaleToPixelsForStaff(bar.staff, 150);
      const int32_t middle = MiddleColumn(bar);
      const int32_t above = StaffTopLineY(bar.staff, middle + shift) - m;
      const int32_t below = StaffBottomLineY(bar.staff, middle - shift) + m;
      const int32_t up = CountContinuedRows(above - band, above, bar.leftX + shift, bar.rightX + shift, a, w);
      const int32_t down = CountContinuedRows(below, below + band, bar.leftX - shift, bar.rightX - shift, a, w);
      drop = up >= band / 2 || down >= band / 2;
    }
    if (drop) {
      bar.deleted = 1;
      ++deleted;
    }
  }
  return deleted;
}

bool Before(const FoundBarLine& p, const FoundBarLine& q) {
  if (p.staff != q.staff) return p.staff < q.staff;
  if (p.leftX != q.leftX) return p.leftX < q.leftX;
  return p.rightX < q.rightX;
}

// Drops the deleted records keeping the order, then sorts by staff, left and
// right x. The table is sorted before the first round, and dropping keeps the
// order, so the sort moves nothing and the links stay valid.
void DropAndSort() {
  int32_t kept = 0;
  for (int32_t i = 0; i < gBars.count; ++i)
    if (!gBars.At(i).deleted) gBars.records[kept++] = gBars.At(i);
  gBars.count = kept;
  for (int32_t i = 1; i < gBars.count; ++i) {
    const FoundBarLine moving = gBars.At(i);
    int32_t j = i;
    for (; j > 0 && Before(moving, gBars.At(j - 1)); --j) gBars.records[j] = gBars.records[j - 1];
    gBars.records[j] = moving;
  }
}

}  // namespace

void FindBarLines() {
  FreeBarLines();  // a page read again starts afresh
  const int32_t staves = GetStaffCount();
  for (int32_t staff = 0; staff < staves; ++staff) {
    if (GetStaffLineCount(staff) < 2 || ScaleToPixelsForStaff(staff, 100) < 1) continue;
    FindStaffCandidates(staff);
  }
  DropAndSort();
  for (;;) {
    LinkBarLines();
    const int32_t deleted = TestBarLines();
    DropAndSort();
    if (deleted == 0) break;
  }
  const int32_t width = GetPageImageWidth(), height = GetPageImageHeight();
  for (int32_t i = 0; i < gBars.count; ++i) {
    FoundBarLine& bar = gBars.At(i);
    if (bar.joinedAbove || bar.joinedBelow) bar.cost /= 2;
    const EnginePoint top = GetBarLineTop(i), bottom = GetBarLineBottom(i);
    AddObjectPoint(kPointBarTop, i, Clamped(0, top.y, height - 1), Clamped(0, top.x, width - 1));
    AddObjectPoint(kPointBarBottom, i, Clamped(0, bottom.y, height - 1), Clamped(0, bottom.x, width - 1));
  }
}

int32_t AddFoundBarLine(const FoundBarLine& bar) {
  ENGINE_CHECK(bar.rightX > bar.leftX);
  return gBars.Append(bar);
}
int32_t GetBarLineCount() { return gBars.count; }
FoundBarLine GetFoundBarLine(int32_t i) { return gBars.At(i); }

void ReleaseBarLine(int32_t i) {
  ENGINE_CHECK_INDEX(i, gBars.count);
  RemoveObjectPoint(kPointBarTop, i);
  RemoveObjectPoint(kPointBarBottom, i);
}

EnginePoint GetBarLineTop(int32_t i) {
  const FoundBarLine bar = gBars.At(i);
  const int32_t middle = MiddleColumn(bar);
  return EnginePoint{StaffTopLineY(bar.staff, middle), middle};
}

EnginePoint GetBarLineBottom(int32_t i) {
  const FoundBarLine bar = gBars.At(i);
  const int32_t middle = MiddleColumn(bar);
  return EnginePoint{StaffBottomLineY(bar.staff, middle), middle};
}

int32_t GetBarLineWidth(int32_t i) {
  const FoundBarLine& bar = gBars.At(i);
  return (bar.rightX - bar.leftX) * 1024;
}

int32_t IsBarLineJoined(int32_t i) {
  const FoundBarLine& bar = gBars.At(i);
  return bar.joinedAbove || bar.joinedBelow ? 1 : 0;
}

int32_t IsBarLineThin(int32_t i) {
  const FoundBarLine& bar = gBars.At(i);
  return bar.rightX - bar.leftX < ScaleToPixels(33) ? 1 : 0;
}

int32_t GetBarLineCost(int32_t i) { return gBars.At(i).cost; }

int32_t BarLineEraseShape(int32_t i, EnginePoint** points) {
  ENGINE_CHECK_POINTER(points);
  ENGINE_CHECK(*points == nullptr);
  const FoundBarLine bar = gBars.At(i);
  const int32_t e = std::max(1, RoundQ10(GetPageStaffSpace() / 40 + GetPageLineThickness() / 8));
  const EnginePoint top = GetBarLineTop(i), bottom = GetBarLineBottom(i);
  const int32_t triangles = bar.joinedBelow ? 4 : 2;
  EnginePoint corners[12];
  const int32_t y0 = top.y - e, y1 = bottom.y + e, x0 = bar.leftX - e, x1 = bar.rightX + e;
  corners[0] = {y0, x0};
  corners[1] = {y0, x1};
  corners[2] = {y1, x1};
  corners[3] = {y0, x0};
  corners[4] = {y1, x1};
  corners[5] = {y1, x0};
  if (bar.joinedBelow) {
    const FoundBarLine joined = gBars.At(bar.belowIndex);
    const int32_t y2 = GetBarLineTop(bar.belowIndex).y;
    const int32_t jx0 = joined.leftX - e, jx1 = joined.rightX + e;
    corners[6] = {bottom.y, x0};
    corners[7] = {bottom.y, x1};
    corners[8] = {y2, jx1};
    corners[9] = {bottom.y, x0};
    corners[10] = {y2, jx1};
    corners[11] = {y2, jx0};
  }
  EngineAllocChecked(*points, static_cast<size_t>(triangles) * 3 * sizeof(EnginePoint));
  std::copy(corners, corners + triangles * 3, *points);
  return triangles;
}

void FreeBarLines() {
  gBars.Free();
  EngineFree(gColumns);
}
