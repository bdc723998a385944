#include "stages/CurveTracing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "reading/StaveSpacing.h"
#include "score/ClusterMean.h"
#include "stages/SymbolRecords.h"

// ---- Measures shared with the stage ----

CurveScale CurveScaleFor(int resolution) {
  const int32_t a = 2 * std::max(1, resolution) / 100;
  return CurveScale{std::max(1, (a + 1) / 2), std::max(1, ((a / 2) + 1) / 2)};
}

int NoteStemSlot(const NoteRecord& note) {
  const int slot = (note.stemDown ? 2 : 0) + (note.stemRight ? 1 : 0);
  return note.stemLength[slot] >= 1 ? slot : -1;
}

void NoteReach(const NoteRecord& note, int32_t sp, int32_t* top, int32_t* bottom) {
  *top = note.top;
  *bottom = note.top + sp;
  if (note.kind >= 7) return;
  if (note.stemDown)
    *bottom += note.stemLength[note.stemRight ? 3 : 2] * sp;
  else
    *top -= note.stemLength[note.stemRight ? 1 : 0] * sp;
}

// ---- The scratch band ----

bool ScratchBand::Reset(int32_t top, int32_t bottom, int32_t width) {
  top_ = top;
  bottom_ = bottom;
  width_ = std::max(0, width);
  rowBytes_ = (static_cast<size_t>(width_) + 7) / 8;
  bits_.clear();
  if (bottom_ <= top_ || width_ <= 0) {
    bottom_ = top_;
    return true;
  }
  try {
    bits_.assign(rowBytes_ * static_cast<size_t>(bottom_ - top_), 0);
  } catch (const std::bad_alloc&) {
    bottom_ = top_;
    return false;
  }
  return true;
}

bool ScratchBand::Marked(int32_t x, int32_t y) const {
  if (y < top_ || y >= bottom_ || x < 0 || x >= width_) return false;
  return (bits_[static_cast<size_t>(y - top_) * rowBytes_ + (x >> 3)] >> (x & 7)) & 1;
}

void ScratchBand::Mark(int32_t x, int32_t y) {
  if (y < top_ || y >= bottom_ || x < 0 || x >= width_) return;
  bits_[static_cast<size_t>(y - top_) * rowBytes_ + (x >> 3)] |= static_cast<uint8_t>(1u << (x & 7));
}

namespace {

// ---- Tracing ----

struct FollowState {
  int32_t x = 0;
  int32_t top = 0, bottom = 0;  // the previous column's run
  int32_t column = 0;           // columns from the start column
  int32_t thickColumns = 0;
  int32_t seenColumns = 0;      // columns holding pixels traced before
  int32_t steep = 0;            // +1 once moved steeply down, -1 up
  int32_t lineTouches = 0;      // consecutive points touching a stave line
  int32_t lastClear = 0;        // last point clear of the lines
  // Runs taken since the last point: marked as traced once the branch takes
  // the point they lead to, so a branch that dies on the way marks nothing.
  int32_t pendingCount = 0;
  int32_t pendingX[4] = {};
  int32_t pendingTop[4] = {};
  int32_t pendingBottom[4] = {};
};

struct Span {
  int32_t top, bottom;
};

// y of line k of the searched stave at x.
int32_t LineY(const CurveTracer& t, int k, int32_t x) {
  const TracePage& p = t.page;
  return p.rows[p.stave].top + StaveLineY(p.rows, p.stave, k, x, *p.geometry);
}

bool RunTouchesLine(const CurveTracer& t, int32_t x, int32_t top, int32_t bottom) {
  const StaveRow& row = t.page.rows[t.page.stave];
  const int32_t half = std::max<int32_t>(1, (row.lineThickness + 1) / 2);
  for (int k = 0; k < row.lineCount; ++k) {
    const int32_t y = LineY(t, k, x);
    if (top <= y + half && bottom >= y - half) return true;
  }
  return false;
}

// Marks the ink of rows top..bottom over the s columns that column x stands for.
void MarkColumn(CurveTracer& t, int32_t x, int32_t top, int32_t bottom, int d) {
  for (int32_t c = 0; c < t.fineStep; ++c) {
    const int32_t xx = x + d * c;
    for (int32_t y = top; y <= bottom; ++y)
      if (t.page.Ink(xx, y)) t.band.Mark(xx, y);
  }
}

bool InkNear(const CurveTracer& t, int32_t x, int32_t y) {
  return t.page.Ink(x, y) || t.page.Ink(x, y - 1) || t.page.Ink(x, y + 1);
}

constexpr double kDegreesPerRadian = 57.29577951308232;

double Direction(int32_t dx, int32_t dy) { return std::atan2(static_cast<double>(dy), dx) * kDegreesPerRadian; }

// The branch takes this column's run; false when the branch ends here.
bool TakeRun(CurveTracer& t, TraceBranch& b, FollowState& st, Span run, int d) {
  const int32_t s = t.fineStep;
  st.top = run.top;
  st.bottom = run.bottom;
  const bool thick = run.bottom - run.top > 5 * s;
  st.thickColumns = thick ? st.thickColumns + 1 : 0;
  if (st.thickColumns > 3) return false;
  if (st.column % 4 != 0) return true;
  if (b.count >= kTracePoints) return false;

  const int32_t n = b.count;
  const int32_t centre = (run.top + run.bottom) / 2;
  const int32_t lastY = b.centreY[n - 1];
  const int32_t lastX = st.x - d * 4 * s;
  // Continuity along the straight line from the last point.
  int inked = 0, missing = 0;
  for (int k = 1; k <= 4 && inked < 3; ++k) {
    const int32_t xx = lastX + d * k * s;
    const int32_t yy = lastY + (centre - lastY) * k / 4;
    if (InkNear(t, xx, yy))
      ++inked;
    else if (++missing >= 2)
      return false;
  }
  // The direction may turn by at most 35 degrees from the fifth point on.
  if (n >= 4) {
    const double now = Direction(4 * s, centre - lastY);
    const double before = Direction(4 * s, lastY - b.centreY[n - 2]);
    double turn = std::fmod(std::fabs(now - before), 360.0);
    turn = std::min(turn, 360.0 - turn);
    if (turn > 35.0) return false;
  }
  // A steep move one way ends a branch that once moved steeply the other way.
  if (!thick && !b.thick[n - 1]) {
    const int32_t dy = centre - lastY;
    const int dir = dy > 3 * s ? 1 : dy < -3 * s ? -1 : 0;
    if (dir != 0) {
      if (st.steep != 0 && dir != st.steep) return false;
      st.steep = dir;
    }
  }
  // Stave lines: a branch running along a line is cut back and ended.
  const bool touches = RunTouchesLine(t, st.x, run.top, run.bottom);
  b.centreY[n] = centre;
  b.thick[n] = thick ? 1 : 0;
  b.onLine[n] = touches && std::abs(centre - lastY) <= 1 ? 1 : 0;
  b.count = n + 1;
  if (touches) {
    if (++st.lineTouches > 8) {
      b.count = st.lastClear + 1;
      return false;
    }
  } else {
    st.lineTouches = 0;
    st.lastClear = n;
  }
  return b.count < kTracePoints;
}

// The branch takes the run; its pending runs are marked when it gets a point.
bool TakeAndMark(CurveTracer& t, TraceBranch& b, FollowState& st, Span r, int d) {
  const int32_t before = b.count;
  if (!TakeRun(t, b, st, r, d)) return false;
  if (st.pendingCount < 4) {
    st.pendingX[st.pendingCount] = st.x;
    st.pendingTop[st.pendingCount] = r.top;
    st.pendingBottom[st.pendingCount] = r.bottom;
    ++st.pendingCount;
  }
  if (b.count != before) {
    for (int k = 0; k < st.pendingCount; ++k) MarkColumn(t, st.pendingX[k], st.pendingTop[k], st.pendingBottom[k], d);
    st.pendingCount = 0;
  }
  return true;
}

void FollowCurve(CurveTracer& t, TraceRun& run, int branch, FollowState st, int d) {
  const int32_t s = t.fineStep;
  const TracePage& p = t.page;
  for (;;) {
    const int32_t x = st.x + d * s;
    if (x < 1 || x >= p.width) return;
    st.x = x;
    ++st.column;
    // The previous run widened by at most 2 s each way where there is ink,
    // then shrunk to the ink.
    int32_t top = st.top, bottom = st.bottom;
    auto inkBetween = [&](int32_t y0, int32_t y1) {
      for (int32_t y = y0; y <= y1; ++y)
        if (p.Ink(x, y)) return true;
      return false;
    };
    for (int k = 0; k < 2 && top - s >= t.bandTop + s && inkBetween(top - s, top - 1); ++k) top -= s;
    for (int k = 0; k < 2 && bottom + s <= t.bandBottom - s && inkBetween(bottom + 1, bottom + s); ++k)
      bottom += s;
    top = std::max(top, 0);
    bottom = std::min(bottom, p.height - 1);
    while (top <= bottom && !p.Ink(x, top)) ++top;
    while (bottom >= top && !p.Ink(x, bottom)) --bottom;
    if (top > bottom) return;

    // Runs of the span: a gap is s or more paper pixels.
    Span runs[64];
    int runCount = 0;
    for (int32_t y = top; y <= bottom;) {
      if (!p.Ink(x, y)) {
        ++y;
        continue;
      }
      Span r{y, y};
      int32_t paper = 0;
      for (int32_t yy = y + 1; yy <= bottom && paper < s; ++yy) {
        if (p.Ink(x, yy)) {
          r.bottom = yy;
          paper = 0;
        } else {
          ++paper;
        }
      }
      if (runCount < 64) runs[runCount++] = r;
      y = r.bottom + 1;
    }
    // Each branch counts and marks the pixels of the runs it takes, and only
    // once it takes the point they lead to, so that a stroke that merely runs
    // close to one traced before (the second arm of a hairpin near its point)
    // is not taken for it.
    auto seenBefore = [&](const Span& r) {
      for (int32_t yy = r.top; yy <= r.bottom; ++yy)
        if (p.Ink(x, yy) && t.band.Marked(x, yy)) return true;
      return false;
    };
    TraceBranch& b = run.branches[branch];
    const int32_t seenSoFar = st.seenColumns;
    if (seenBefore(runs[0]) && ++st.seenColumns > 16) {
      b.count = 0;  // traced before
      return;
    }
    // Each later run starts a branch of its own with the points so far.
    for (int i = 1; i < runCount && run.branchCount < kTraceBranches; ++i) {
      const int nb = run.branchCount++;
      TraceBranch& c = run.branches[nb];
      c.count = b.count;
      std::memcpy(c.centreY, b.centreY, sizeof(int32_t) * b.count);
      std::memcpy(c.thick, b.thick, sizeof(int32_t) * b.count);
      std::memcpy(c.onLine, b.onLine, sizeof(int32_t) * b.count);
      FollowState cs = st;
      cs.seenColumns = seenSoFar;
      if (seenBefore(runs[i]) && ++cs.seenColumns > 16) {
        c.count = 0;
        continue;
      }
      cs.pendingCount = 0;
      if (TakeAndMark(t, c, cs, runs[i], d)) FollowCurve(t, run, nb, cs, d);
    }
    if (!TakeAndMark(t, run.branches[branch], st, runs[0], d)) return;
  }
}

}  // namespace

int TraceCurveFromPixel(CurveTracer& t, TraceRun& run, int32_t x, int32_t y, int32_t step) {
  const int32_t s = std::max(1, std::abs(step));
  const int d = step < 0 ? -1 : 1;
  const TracePage& p = t.page;
  run.branchCount = 1;
  for (TraceBranch& b : run.branches) b.count = 0;
  int32_t top = y, bottom = y;
  while (top - 1 >= std::max(0, t.bandTop) && p.Ink(x, top - 1)) --top;
  while (bottom + 1 < std::min(p.height, t.bandBottom) && p.Ink(x, bottom + 1)) ++bottom;
  FollowState st;
  st.seenColumns = t.band.Marked(x, y) ? 1 : 0;
  for (int32_t c = -(s - 1); c <= s - 1; ++c)
    for (int32_t yy = top; yy <= bottom; ++yy)
      if (p.Ink(x + c, yy)) t.band.Mark(x + c, yy);
  TraceBranch& b = run.branches[0];
  b.centreY[0] = (top + bottom) / 2;
  b.thick[0] = bottom - top > 5 * s ? 1 : 0;
  b.onLine[0] = 0;
  b.count = 1;
  st.x = x;
  st.top = top;
  st.bottom = bottom;
  st.thickColumns = b.thick[0];
  if (!p.Ink(x, y)) return 1;
  FollowCurve(t, run, 0, st, d);
  return 1;
}

// ---- Classifying ----

int IsUneven(const int32_t* values, int n, int32_t spacing) {
  if (!values || n < 9) return 1;
  const int32_t tolerance = spacing / 2;
  const int32_t mean = ClusterMean(values, n, tolerance);
  int within = 0;
  for (int i = 0; i < n; ++i)
    if (std::abs(values[i] - mean) <= tolerance) ++within;
  return within * 8 < 7 * n ? 1 : 0;
}

namespace {

struct RunView {
  const JoinedRun& run;
  int32_t first, count;
  int32_t y(int i) const { return run.centreY[first + i]; }
  bool thick(int i) const { return run.thick[first + i] != 0; }
  bool onLine(int i) const { return run.onLine[first + i] != 0; }
};

// At least 6 points, span x 2 > 3 x height, at most 30 % thick.
bool PassesShapeTests(const RunView& v, int32_t fineStep) {
  if (v.count < 6) return false;
  int32_t lo = v.y(0), hi = v.y(0);
  int thick = 0;
  for (int i = 0; i < v.count; ++i) {
    lo = std::min(lo, v.y(i));
    hi = std::max(hi, v.y(i));
    if (v.thick(i)) ++thick;
  }
  const int64_t span = int64_t(v.count) * 4 * fineStep;
  if (span * 2 <= int64_t(hi - lo) * 3) return false;
  return thick * 10 <= 3 * v.count;
}

}  // namespace

int ClassifyTrace(const JoinedRun& run, int32_t f, int32_t spacing, int32_t lineTop, int32_t lineBottom,
                  TraceShape* shape) {
  *shape = TraceShape{};
  RunView v{run, 0, std::min(run.count, kJoinedPoints)};
  if (!PassesShapeTests(v, f)) return 0;
  const int32_t n = v.count;
  const int32_t length = (n - 1) * 4 * f;

  // A straight line, clear of the stave.
  auto between = [&](int32_t y) { return y >= lineTop && y <= lineBottom; };
  const int32_t first = v.y(0), last = v.y(n - 1);
  if (!between(first) && !between(last) && std::abs(last - first) < 2 * spacing) {
    const int64_t slope = int64_t(last - first) * 4096 / length;
    const int32_t tol = std::clamp(length / 20, 2 * f, 4 * f);
    bool straight = std::llabs(slope) < 4096;
    for (int i = 1; i < n - 1 && straight; ++i) {
      const int32_t expected = first + static_cast<int32_t>(int64_t(last - first) * i / (n - 1));
      if (std::abs(v.y(i) - expected) > tol) straight = false;
    }
    if (straight) {
      shape->kind = 1;
      shape->first = 0;
      shape->count = n;
      shape->startX = run.startX;
      return 1;
    }
  }

  // Trim the ends that lie on lines or are thick.
  int32_t startX = run.startX;
  while (v.count >= 6 && (v.onLine(0) || v.thick(0))) {
    ++v.first;
    --v.count;
    startX += 4 * f;
  }
  while (v.count > 5 && (v.onLine(v.count - 1) || v.thick(v.count - 1))) --v.count;
  if (!PassesShapeTests(v, f)) return 0;
  int onLine = 0;
  for (int i = 0; i < v.count; ++i)
    if (v.onLine(i)) ++onLine;
  if (onLine * 100 > (v.count < 21 ? 60 : 40) * v.count) return 0;

  // The apex: the inner point furthest beyond both ends.
  const int32_t m = v.count;
  const int32_t len = (m - 1) * 4 * f;
  const int32_t ya = v.y(0), yb = v.y(m - 1);
  const int32_t higher = std::min(ya, yb), lower = std::max(ya, yb);
  int32_t best = -1, plateauFirst = 0, plateauLast = 0;
  int side = 0;
  for (int i = 1; i < m - 1; ++i) {
    if (v.thick(i)) continue;
    int32_t score;
    int pointSide;
    if (v.y(i) <= higher) {
      score = higher - v.y(i);
      pointSide = -1;
    } else if (v.y(i) >= lower) {
      score = v.y(i) - lower;
      pointSide = 1;
    } else {
      continue;
    }
    if (score > best) {
      best = score;
      plateauFirst = plateauLast = i;
      side = pointSide;
    } else if (score == best && pointSide == side) {
      plateauLast = i;
    }
  }
  if (best < 0) return 0;
  const int32_t apex = (plateauFirst + plateauLast) / 2;
  const int32_t apexY = v.y(apex);
  const int32_t chordY = ya + static_cast<int32_t>(int64_t(yb - ya) * apex / (m - 1));
  const int32_t needed = std::max(2 * f, std::min(len / 20, 4 * f));
  if (std::abs(apexY - chordY) <= needed) return 0;
  if (!IsUneven(&run.centreY[v.first], m, 4 * f)) return 0;

  const int32_t mid = (ya + yb) / 2;
  int32_t bulge = std::min<int32_t>(127, std::abs(mid - apexY) * 127 / len);
  if (apexY < mid) bulge += 128;
  shape->kind = 2;
  shape->first = v.first;
  shape->count = m;
  shape->startX = startX;
  shape->apexIndex = apex;
  shape->apexY = apexY;
  shape->apexPos = static_cast<uint8_t>(apex * 127 / (m - 1));
  shape->bulge = static_cast<uint8_t>(bulge);
  return 2;
}

// ---- Sampling ----

int32_t SampleCurve(int32_t x0, int32_t y0, int32_t apexX, int32_t apexY, int32_t x1, int32_t y1, int32_t unit,
                    int32_t* table, int32_t* samples) {
  *samples = 0;
  if (x1 <= x0) return 0;
  int32_t count = (x1 - x0) / (4 * std::max(1, unit));
  count = std::clamp(count, 1, 256);
  const double dx = static_cast<double>(x1 - x0) / count;
  // Both middle control points at one x and at the height that puts the
  // curve's middle on the apex height.
  const double mid = (y0 + y1) / 2.0;
  const double cy = apexY + (apexY - mid) / 3.0;
  const double cx = std::clamp((8.0 * apexX - x0 - x1) / 6.0, static_cast<double>(x0), static_cast<double>(x1));
  bool filled[256] = {};
  const int steps = count * 8;
  for (int k = 0; k <= steps; ++k) {
    const double t = 1.01 * k / steps;
    const double u = 1.0 - t;
    const double bx = u * u * u * x0 + 3 * u * t * (u + t) * cx + t * t * t * x1;
    const double by = u * u * u * y0 + 3 * u * u * t * cy + 3 * u * t * t * cy + t * t * t * y1;
    const int index = static_cast<int>((bx - x0) / dx);
    if (index < 0 || index >= count || filled[index]) continue;
    table[index] = static_cast<int32_t>(std::lround(by));
    filled[index] = true;
  }
  // Holes take the sample before them (or after, at the start).
  int firstFilled = -1;
  for (int i = 0; i < count; ++i)
    if (filled[i]) {
      firstFilled = i;
      break;
    }
  if (firstFilled < 0) return 0;
  for (int i = 0; i < firstFilled; ++i) table[i] = table[firstFilled];
  for (int i = firstFilled + 1; i < count; ++i)
    if (!filled[i]) table[i] = table[i - 1];
  *samples = count;
  return std::max<int32_t>(1, static_cast<int32_t>(dx));
}

// ---- Objects the run belongs to ----

namespace {

struct Box {
  int32_t left, top, right, bottom;
  bool Meets(const Box& o) const { return left <= o.right && right >= o.left && top <= o.bottom && bottom >= o.top; }
  bool SpansX(const Box& o) const { return left <= o.left && right >= o.right; }
};

// Kind and box of a character (box at byte 32) or word (byte 320) record.
bool TextRecordBox(const uint8_t* record, int offset, Box* box) {
  int16_t v[5];
  std::memcpy(v, record + offset, sizeof v);
  if (v[0] == 255) return false;
  const int32_t quarter = (v[4] - v[2]) / 4;
  *box = Box{v[1], v[2] + quarter, v[3], v[4] - quarter};
  return true;
}

constexpr uint32_t kNeighbourObjectMask = 14335;
constexpr uint32_t kOwnObjectMask = 10239;

}  // namespace

int CurveHitsObjects(const CurveTracer& t, const TraceShape& shape, const CurveObjects& objects, int16_t* restsHit,
                     int* restCount, int capacity) {
  const TracePage& p = t.page;
  const int32_t f = t.fineStep;
  const int32_t n = shape.count;
  if (n < 2) return 1;
  const StaveRow& row = p.rows[p.stave];
  const int16_t number = static_cast<int16_t>(row.number - 1);
  const int32_t spacing = RoundedInterlineSpacing(p.rows, p.staveCount, p.stave, *p.geometry);
  const int32_t w = std::max(2, n / 6);
  const int32_t k = std::clamp((n - 1) / (2 * w), 1, 5);
  auto pointX = [&](int32_t i) { return shape.startX + i * 4 * f; };
  auto pointY = [&](int32_t i) { return t.joined.centreY[shape.first + i]; };
  int counted = 0;
  for (int32_t start = 0; start < n - 1; start += w) {
    const int32_t end = std::min(start + w - 1, n - 1);
    if (end <= start) break;
    const Box window{pointX(start), std::min(pointY(start), pointY(end)), pointX(end),
                     std::max(pointY(start), pointY(end))};
    const bool inner = start >= 9 && n - 1 - end >= 9;
    bool count = false;

    // Notes of the stave, their stems and accidentals.
    for (uint32_t i = 0; objects.notes && i < *objects.noteCount; ++i) {
      const NoteRecord& note = objects.notes[i];
      if (note.quality >= kRejectedQuality || note.stave != number) continue;
      Box head{note.left, note.top, note.right, note.top + spacing};
      Box reach = head;
      if (note.kind < 7) NoteReach(note, spacing, &reach.top, &reach.bottom);
      if (reach.Meets(window)) {
        if (inner && head.SpansX(window) && head.Meets(window)) return 1;
        count = true;
      }
      const int slot = NoteStemSlot(note);
      if (note.kind < 5 && slot >= 0) {
        const int32_t x = (slot & 1) ? note.right : note.left;
        const int32_t length = note.stemLength[slot] * spacing;
        const Box stem = slot < 2 ? Box{x - t.unit, note.top - length, x + t.unit, note.top + spacing / 2}
                                  : Box{x - t.unit, note.top + spacing / 2, x + t.unit, note.top + spacing + length};
        if (stem.Meets(window)) {
          if (stem.SpansX(window)) return 1;
          count = true;
        }
      }
      for (int a = 0; a < note.appenditureCount && a < kMaxAppenditures; ++a) {
        const Appenditure& item = note.appenditures[a];
        if (item.kind >= 128 && item.kind <= 130 && Box{item.left, item.top, item.right, item.bottom}.Meets(window))
          count = true;
      }
    }

    // Symbols of the stave: minim, semibreve and breve rests it runs through
    // go once the curve is stored; others reject or count.
    for (uint32_t i = 0; objects.symbols && i < *objects.symbolCount; ++i) {
      const SymbolRecord& symbol = objects.symbols[i];
      if (symbol.stave != number) continue;
      const int32_t y0 = StavePositionY(p.rows, p.staveCount, p.stave, symbol.left, symbol.stepTop, *p.geometry);
      const int32_t y1 = StavePositionY(p.rows, p.staveCount, p.stave, symbol.left, symbol.stepBottom, *p.geometry);
      const Box box{symbol.left, std::min(y0, y1), symbol.right, std::max(y0, y1)};
      if (!box.Meets(window)) continue;
      if (symbol.type >= 70 && symbol.type <= 72) {
        bool listed = false;
        for (int r = 0; r < *restCount; ++r) listed = listed || restsHit[r] == static_cast<int16_t>(i);
        if (!listed && *restCount < capacity) restsHit[(*restCount)++] = static_cast<int16_t>(i);
        continue;
      }
      if (symbol.type >= 32 && symbol.type <= 57) continue;
      if (box.SpansX(window)) return 1;
      count = true;
    }

    // Characters and words.
    for (int list = 0; list < 2; ++list) {
      const uint8_t* records = list == 0 ? objects.chars : objects.words;
      const uint32_t n2 = list == 0 ? objects.charCount : objects.wordCount;
      const int size = list == 0 ? kCharRecordBytes : kWordRecordBytes;
      const int offset = list == 0 ? 32 : 320;
      for (uint32_t i = 0; records && i < n2; ++i) {
        Box box;
        if (!TextRecordBox(records + size_t(i) * size, offset, &box) || !box.Meets(window)) continue;
        if (box.SpansX(window)) return 1;
        count = true;
      }
    }

    // What the engine recognised near the window.
    if (objects.engineObjectNear) {
      auto hit = [&](int s, uint32_t mask) {
        const int32_t r = objects.engineObjectNear(p.rows, p.staveCount, s, window.left, window.top, window.right,
                                                   window.bottom, mask);
        return r > 0;
      };
      if (p.stave == p.firstStave && p.stave > 0 && hit(p.stave - 1, kNeighbourObjectMask)) return 1;
      if (p.stave + 1 < p.staveCount && p.rows[p.stave + 1].group == row.group &&
          hit(p.stave + 1, kNeighbourObjectMask))
        return 1;
      if (hit(p.stave, kOwnObjectMask)) return 1;
    }
    if (count && ++counted >= k) return 1;
  }
  return 0;
}

// ---- Storing ----

namespace {

void BuildJoin(CurveTracer& t, const TraceBranch& left, const TraceBranch& right, int32_t x) {
  JoinedRun& j = t.joined;
  int n = 0;
  for (int i = left.count - 1; i >= 0; --i, ++n) {
    j.centreY[n] = left.centreY[i];
    j.thick[n] = left.thick[i];
    j.onLine[n] = left.onLine[i];
  }
  for (int i = 1; i < right.count; ++i, ++n) {
    j.centreY[n] = right.centreY[i];
    j.thick[n] = right.thick[i];
    j.onLine[n] = right.onLine[i];
  }
  j.count = n;
  j.startX = x - (left.count - 1) * 4 * t.fineStep;
}

void MarkPointsOnLines(CurveTracer& t, TraceRun& run, int32_t x, int d) {
  const StaveRow& row = t.page.rows[t.page.stave];
  const int32_t near = std::max<int32_t>(1, (row.lineThickness + 1) / 2);
  for (int b = 0; b < run.branchCount; ++b) {
    TraceBranch& branch = run.branches[b];
    for (int i = 0; i < branch.count; ++i) {
      const int32_t px = x + d * i * 4 * t.fineStep;
      for (int k = 0; k < row.lineCount && !branch.onLine[i]; ++k)
        if (std::abs(branch.centreY[i] - LineY(t, k, px)) <= near) branch.onLine[i] = 1;
    }
  }
}

// Heights of a sampled curve at x (the nearest sample).
int32_t SampledHeight(const int32_t* table, int32_t samples, int32_t x0, int32_t x1, int32_t x) {
  if (samples <= 0 || x1 <= x0) return 0;
  const int index = std::clamp(static_cast<int>(int64_t(x - x0) * samples / (x1 - x0)), 0, samples - 1);
  return table[index];
}

// Whether two curves are the same curve (each traced separately).
bool SameCurve(const CurveItem& a, const CurveItem& b, int32_t spacing, int32_t unit, int32_t fineStep) {
  const int32_t from = std::max(a.x0, b.x0), to = std::min(a.x1, b.x1);
  const int32_t overlap = to - from;
  if (overlap < 4 * fineStep) return false;
  int32_t ta[256], tb[256], na = 0, nb = 0;
  int32_t ax, ay, bx, by;
  CurveApex(a, &ax, &ay);
  CurveApex(b, &bx, &by);
  if (!SampleCurve(a.x0, a.y0, ax, ay, a.x1, a.y1, unit, ta, &na)) return false;
  if (!SampleCurve(b.x0, b.y0, bx, by, b.x1, b.y1, unit, tb, &nb)) return false;
  const int32_t step = std::max(1, 4 * unit);
  int64_t sum = 0;
  int32_t largest = 0, points = 0;
  for (int32_t x = from; x <= to; x += step, ++points) {
    const int32_t d = std::abs(SampledHeight(ta, na, a.x0, a.x1, x) - SampledHeight(tb, nb, b.x0, b.x1, x));
    sum += d;
    largest = std::max(largest, d);
  }
  const int32_t mean = points ? static_cast<int32_t>(sum / points) : 0;
  if (mean <= spacing / 2) return true;
  if (largest > spacing) return false;
  const int32_t beyond = std::max(std::abs(a.x0 - b.x0), std::abs(a.x1 - b.x1));
  return beyond * 2 < overlap;
}

// How far the ends lie from the apex: the curve with more is the rounder.
int32_t Roundness(const CurveItem& item) {
  int32_t ax, ay;
  CurveApex(item, &ax, &ay);
  return std::abs(item.y0 - ay) + std::abs(item.y1 - ay);
}

bool WithinEngineCurve(const CurveItem& c, const CurveItem& e) {
  if (e.apexPos == kCurveDiscarded || c.x0 < e.x0 || c.x1 > e.x1) return false;
  int32_t ax, ay, cx, cy;
  CurveApex(e, &ax, &ay);
  CurveApex(c, &cx, &cy);
  const int32_t widen = (e.x1 - e.x0) * (e.bulge & 127) / 127;
  const int32_t lo = std::min({int32_t(e.y0), int32_t(e.y1), ay}) - widen;
  const int32_t hi = std::max({int32_t(e.y0), int32_t(e.y1), ay}) + widen;
  for (int32_t y : {int32_t(c.y0), int32_t(c.y1), cy})
    if (y < lo || y > hi) return false;
  return true;
}

bool MidPointInside(const LineItem& a, const LineItem& b) {
  const int32_t mx = (a.x0 + a.x1) / 2, my = (a.y0 + a.y1) / 2;
  return mx >= b.x0 && mx <= b.x1 && my >= std::min(b.y0, b.y1) && my <= std::max(b.y0, b.y1);
}

template <typename Item>
void RemoveItem(Item* items, uint32_t& count, uint32_t index) {
  if (index >= count) return;
  std::memmove(&items[index], &items[index + 1], sizeof(Item) * (count - index - 1));
  --count;
}

}  // namespace

int ClassifyAndStoreTrace(CurveTracer& t, int32_t x, int32_t spacing, const CurveObjects& objects,
                          CurveLists& lists) {
  const int32_t f = t.fineStep;
  MarkPointsOnLines(t, t.left, x, -1);
  MarkPointsOnLines(t, t.right, x, 1);
  for (int b = 0; b < t.left.branchCount; ++b) {
    TraceBranch& branch = t.left.branches[b];
    while (branch.count > 0 && branch.onLine[branch.count - 1]) --branch.count;
  }

  const int32_t lineTop = t.boxTop, lineBottom = t.boxBottom;
  int bestLeft = -1, bestRight = -1, bestLength = 0;
  TraceShape shape;
  for (int l = 0; l < t.left.branchCount; ++l) {
    // A branch dropped as traced before adds no points of its own.
    const TraceBranch& left = t.left.branches[l];
    for (int r = 0; r < t.right.branchCount; ++r) {
      const TraceBranch& right = t.right.branches[r];
      const int length = left.count + std::max(0, right.count - 1);
      if (length <= bestLength) continue;
      BuildJoin(t, left, right, x);
      if (ClassifyTrace(t.joined, f, spacing, lineTop, lineBottom, &shape) != 0) {
        bestLength = length;
        bestLeft = l;
        bestRight = r;
      }
    }
  }
  if (bestLeft < 0) return 0;
  BuildJoin(t, t.left.branches[bestLeft], t.right.branches[bestRight], x);
  const int kind = ClassifyTrace(t.joined, f, spacing, lineTop, lineBottom, &shape);
  int16_t rests[32];
  int restCount = 0;
  if (CurveHitsObjects(t, shape, objects, rests, &restCount, 32)) return 0;

  const int32_t x0 = shape.startX, x1 = shape.startX + (shape.count - 1) * 4 * f;
  const int32_t y0 = t.joined.centreY[shape.first], y1 = t.joined.centreY[shape.first + shape.count - 1];
  bool stored = false;
  if (kind == 2) {
    CurveItem item{static_cast<int16_t>(x0), static_cast<int16_t>(y0), static_cast<int16_t>(x1),
                   static_cast<int16_t>(y1), std::min<uint8_t>(shape.apexPos, 254), shape.bulge};
    for (uint32_t i = 0; i < lists.engineCurves && i < *lists.curveCount; ++i)
      if (WithinEngineCurve(item, lists.curves[i])) return 0;
    for (uint32_t i = lists.curveCountAtStave; i < *lists.curveCount;) {
      const CurveItem& earlier = lists.curves[i];
      if (earlier.apexPos == kCurveDiscarded || !SameCurve(item, earlier, spacing, t.unit, f)) {
        ++i;
        continue;
      }
      if (Roundness(earlier) >= Roundness(item)) return 0;
      RemoveItem(lists.curves, *lists.curveCount, i);
    }
    if (*lists.curveCount < kCurveItemLimit) {
      lists.curves[(*lists.curveCount)++] = item;
      stored = true;
    }
  } else {
    LineItem item{};
    item.x0 = static_cast<int16_t>(x0);
    item.y0 = static_cast<int16_t>(y0);
    item.x1 = static_cast<int16_t>(x1);
    item.y1 = static_cast<int16_t>(y1);
    for (uint32_t i = lists.lineCountAtStave; i < *lists.lineCount;) {
      const LineItem& earlier = lists.lines[i];
      if (!MidPointInside(item, earlier) && !MidPointInside(earlier, item)) {
        ++i;
        continue;
      }
      if (earlier.x1 - earlier.x0 >= item.x1 - item.x0) return 0;
      RemoveItem(lists.lines, *lists.lineCount, i);
    }
    if (*lists.lineCount < kLineItemLimit) {
      lists.lines[(*lists.lineCount)++] = item;
      stored = true;
    }
  }
  // The rests the stored curve runs through go now, the highest index first.
  if (stored && objects.symbols) {
    std::sort(rests, rests + restCount, [](int16_t a, int16_t b) { return a > b; });
    for (int r = 0; r < restCount; ++r)
      DeleteSymbolRecord(objects.symbols, *objects.symbolCount, static_cast<uint32_t>(rests[r]));
  }
  return stored ? 1 : 0;
}
