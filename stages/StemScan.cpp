#include "stages/StemScan.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "stages/EngineCurves.h"

namespace {

constexpr double kDegree = 0.017453292522222223;
constexpr double kFlagRadians[kFlagSlopes] = {0.6632251158444444, 0.8028514560222222, 0.9424777962,
                                              1.0821041363777777};
constexpr int kMaxLengthsPerRun = 255;

SlopeTables BuildSlopeTables() {
  SlopeTables t{};
  for (int s = 0; s < kBeamSlopes; ++s) {
    const double a = (-44 + 4 * s) * kDegree;
    t.beamAngle[s] = a;
    for (int k = 0; k < kBeamPoints; ++k) {
      t.beamX[s][k] = k * std::cos(a);
      t.beamY[s][k] = k * std::sin(a);
    }
    t.beamTangent[s] = static_cast<int32_t>(std::sin(a) * 4096 / std::cos(a));
  }
  for (int s = 0; s < kFlagSlopes; ++s) {
    const double a = kFlagRadians[s];
    t.flagAngle[s] = a;
    for (int k = 0; k < kFlagPoints; ++k) {
      t.flagX[s][k] = k * std::cos(a);
      t.flagY[s][k] = k * std::sin(a);
    }
  }
  return t;
}

int32_t RoundHalfAway(double v) { return static_cast<int32_t>(v < 0 ? v - 0.5 : v + 0.5); }

// k x tangent / 4096, rounded half away from zero.
int32_t AlongSlope(int32_t k, int32_t tangent) {
  const int64_t v = static_cast<int64_t>(k) * tangent;
  return static_cast<int32_t>(v >= 0 ? (v + 2048) >> 12 : -((-v + 2048) >> 12));
}

// What one scan works with.
struct Scan {
  const PageImage& image;
  StemScanBuffer& buffer;
  int32_t x;         // the stem column
  int32_t dir;       // -1 left, +1 right
  int32_t unit;
  int32_t smallUnit;
  double half;
  int32_t total;     // pixels from the run search's start to the stem end
  int32_t lineThickness;

  int32_t RowY(int32_t distance) const {
    return buffer.down ? buffer.searchStart + distance : buffer.searchStart - distance;
  }
  bool Ink(int32_t px, int32_t py) const { return image.Ink(px, py); }  // outside the page: paper
  bool InkOrRight(int32_t px, int32_t py) const { return Ink(px, py) || Ink(px + 1, py); }

  // Sideways offset of the first black pixel from the stem column, or -1.
  int32_t FirstBlack(int32_t y) const {
    const int32_t limit = static_cast<int32_t>(1.5 * unit);
    for (int32_t j = 0; j <= limit; ++j)
      if (Ink(x + dir * j, y)) return j;
    return -1;
  }

  // How far a line at the slope runs sideways from the stem, in stave units.
  int32_t MeasureRunAlongSlope(int32_t y, int32_t tangent) const {
    const int32_t j = FirstBlack(y);
    if (j < 0) return 0;
    int32_t k = j;
    const int32_t limit = image.width;
    while (k < limit && InkOrRight(x + dir * k, y + AlongSlope(k - j, tangent))) ++k;
    return k / unit;
  }
};

// Mean of the lengths within the tolerance of their median.
int32_t ClusterMean(int32_t* lengths, int n, int32_t tolerance) {
  if (n <= 0) return 0;
  std::sort(lengths, lengths + n);
  const int32_t median = lengths[n / 2];
  int64_t sum = 0;
  int used = 0;
  for (int i = 0; i < n; ++i)
    if (std::abs(lengths[i] - median) <= tolerance) {
      sum += lengths[i];
      ++used;
    }
  return static_cast<int32_t>(sum / std::max(used, 1));
}

void TraceSlopeRuns(const Scan& scan, int32_t minLength) {
  const SlopeTables& t = Slopes();
  StemScanBuffer& b = scan.buffer;
  int32_t lengths[kMaxLengthsPerRun];
  for (int s = 0; s < kBeamSlopes; ++s) {
    int n = 0;
    bool open = false;
    SlopeRun run{};
    for (int32_t d = 0; d <= scan.total; d += scan.smallUnit) {
      const int32_t len = scan.MeasureRunAlongSlope(scan.RowY(d), t.beamTangent[s]);
      if (len >= minLength) {
        if (!open) {
          open = true;
          run.start = d;
          n = 0;
        }
        if (n == kMaxLengthsPerRun) break;
        lengths[n++] = len;
        run.end = d + scan.smallUnit;
      } else if (open) {
        open = false;
        run.reach = ClusterMean(lengths, n, 2) * scan.unit;
        if (b.countA[s] < kRunsPerSlope) b.runsA[s][b.countA[s]++] = run;
      }
    }
    if (open) {
      run.reach = ClusterMean(lengths, n, 2) * scan.unit;
      if (b.countA[s] < kRunsPerSlope) b.runsA[s][b.countA[s]++] = run;
    }
  }
}

void DropShortRuns(int32_t* count, SlopeRun* runs, int32_t limit) {
  int32_t kept = 0;
  for (int32_t i = 0; i < *count; ++i)
    if (runs[i].end - runs[i].start > limit) runs[kept++] = runs[i];
  *count = kept;
}

// Keeps the long runs and those that reach another note's stem; marks the
// slopes whose runs meet stems of another stave only.
void MarkBeamPartners(const NoteValueWork& work, uint32_t self, const NoteStave& own, const Scan& scan) {
  const SlopeTables& t = Slopes();
  StemScanBuffer& b = scan.buffer;
  const int32_t space = std::max<int32_t>(own.space, 1);
  for (int s = 0; s < kBeamSlopes; ++s) {
    b.crossA[s] = false;
    bool metOwnAny = false, metOtherAny = false;
    int32_t kept = 0;
    for (int32_t r = 0; r < b.countA[s]; ++r) {
      const SlopeRun run = b.runsA[s][r];
      bool keep = run.reach > (s == kLevelSlope ? 2 : 3) * space;
      if (!keep) {
        const int32_t y = scan.RowY((run.start + run.end) / 2);
        bool metOwn = false, metOther = false;
        for (uint32_t m = 0; m < *work.noteCount; ++m) {
          if (m == self) continue;
          const NoteRecord& other = work.notes[m];
          if (!IsLiveNote(other) || !IsStemmedKind(other.kind)) continue;
          const int row = GroupRowOf(work, other.stave);
          if (row < 0 || std::abs(row - own.row) > 1) continue;
          for (int c = 0; c < 4; ++c) {
            if (other.stemLength[c] < 1) continue;
            const int32_t xm = StemColumn(other, c, scan.unit);
            const int32_t dx = (xm - scan.x) * scan.dir;
            if (dx < space || dx > run.reach + 3 * space) continue;
            const int32_t ym = y + AlongSlope(dx, t.beamTangent[s]);
            const int32_t len = static_cast<int32_t>(other.stemLength[c] * 2.0 * own.half);
            const int32_t base = other.top + static_cast<int32_t>(own.half);
            const int32_t lo = c < 2 ? base - len : base, hi = c < 2 ? base : base + len;
            if (ym >= lo - static_cast<int32_t>(own.half) && ym <= hi + static_cast<int32_t>(own.half)) {
              (row == own.row ? metOwn : metOther) = true;
            }
          }
        }
        keep = metOwn || metOther;
        metOwnAny |= metOwn;
        metOtherAny |= metOther;
      }
      if (keep) b.runsA[s][kept++] = run;
    }
    b.countA[s] = kept;
    b.crossA[s] = metOtherAny && !metOwnAny;
  }
}

// Drops list A runs whose two ends lie on an engine curve of the group.
void DropRunsOnSlurs(const NoteValueWork& work, const Scan& scan) {
  if (work.firstStave < 0 || work.firstStave >= work.staveCount) return;
  const int32_t group = work.rows[work.firstStave].group;
  const SlopeTables& t = Slopes();
  StemScanBuffer& b = scan.buffer;
  for (int s = 0; s < kBeamSlopes; ++s) {
    int32_t kept = 0;
    for (int32_t r = 0; r < b.countA[s]; ++r) {
      const SlopeRun run = b.runsA[s][r];
      const int32_t y0 = scan.RowY(run.start);
      const int32_t x1 = scan.x + scan.dir * run.reach;
      const int32_t y1 = y0 + AlongSlope(run.reach, t.beamTangent[s]);
      const bool onCurve = EngineSlurCrosses(group, scan.x - 1, y0 - 1, scan.x + 1, y0 + 1) &&
                           EngineSlurCrosses(group, x1 - 1, y1 - 1, x1 + 1, y1 + 1);
      if (!onCurve) b.runsA[s][kept++] = run;
    }
    b.countA[s] = kept;
  }
}

// Per cent of a slope's first four points that are black, up to the first miss.
int SlopeHitPercent(const Scan& scan, int32_t y, int s) {
  const SlopeTables& t = Slopes();
  const int32_t j = scan.FirstBlack(y);
  if (j < 0) return 0;
  int hits = 0;
  for (int k = 0; k < 4; ++k) {
    const int32_t px = scan.x + scan.dir * (j + RoundHalfAway(t.beamX[s][k] * scan.unit));
    const int32_t py = y + RoundHalfAway(t.beamY[s][k] * scan.unit);
    if (!scan.InkOrRight(px, py)) break;
    ++hits;
  }
  return hits * 25;
}

// The runs of the rows from `from` on, a small unit apart, where black(y)
// holds for the row's page y, added to a slope's list while it has room.
template <typename Black>
void CollectRuns(const Scan& scan, int32_t from, Black black, SlopeRun* runs, int32_t* count) {
  bool open = false;
  SlopeRun run{};
  for (int32_t d = from; d <= scan.total; d += scan.smallUnit) {
    if (black(scan.RowY(d))) {
      if (!open) run.start = d;
      open = true;
      run.end = d + scan.smallUnit;
    } else if (open) {
      open = false;
      if (*count < kRunsPerSlope) runs[(*count)++] = run;
    }
  }
  if (open && *count < kRunsPerSlope) runs[(*count)++] = run;
}

void TraceSlopeRunsByPercent(const Scan& scan) {
  StemScanBuffer& b = scan.buffer;
  for (int s = 0; s < kBeamSlopes; ++s) {
    const int32_t from = b.countA[s] > 0 ? std::max(0, b.runsA[s][0].start - scan.unit) : 0;
    CollectRuns(scan, from, [&](int32_t y) { return SlopeHitPercent(scan, y, s) == 100; }, b.runsB[s], &b.countB[s]);
  }
}

bool SlopeAllBlack(const Scan& scan, int32_t y, int s) {
  const SlopeTables& t = Slopes();
  const double sign = scan.buffer.down ? -1.0 : 1.0;  // flags bend back toward the head
  for (int k = 1; k < kFlagPoints; ++k) {
    const int32_t px = scan.x + RoundHalfAway(t.flagX[s][k] * scan.unit);
    const int32_t py = y + RoundHalfAway(sign * t.flagY[s][k] * scan.unit);
    if (!scan.Ink(px, py)) return false;
  }
  return true;
}

void TraceFlagRuns(const Scan& scan) {
  StemScanBuffer& b = scan.buffer;
  for (int s = 0; s < kFlagSlopes; ++s)
    CollectRuns(scan, 0, [&](int32_t y) { return SlopeAllBlack(scan, y, s); }, b.runsFlag[s], &b.countFlag[s]);
}

// Removes flag runs that meet a head the engine confirmed, and keeps those in
// the window along the stem.
void FilterFlagRuns(const NoteValueWork& work, uint32_t self, const Scan& scan) {
  StemScanBuffer& b = scan.buffer;
  const int32_t minStart = static_cast<int32_t>(scan.half);
  const int32_t maxLength = static_cast<int32_t>(scan.half * 5 / 3);
  const int32_t reach = RoundHalfAway(Slopes().flagX[0][kFlagPoints - 1] * scan.unit);
  for (int s = 0; s < kFlagSlopes; ++s) {
    int32_t kept = 0;
    for (int32_t r = 0; r < b.countFlag[s]; ++r) {
      const SlopeRun run = b.runsFlag[s][r];
      if (run.start < minStart || run.end - run.start > maxLength) continue;
      const int32_t ya = scan.RowY(run.start), yb = scan.RowY(run.end);
      const int32_t top = std::min(ya, yb), bottom = std::max(ya, yb);
      bool onHead = false;
      for (uint32_t m = 0; m < *work.noteCount && !onHead; ++m) {
        const NoteRecord& o = work.notes[m];
        if (m == self || o.origin < kConfirmedOrigin || o.uncertain || !IsLiveNote(o)) continue;
        onHead = o.right >= scan.x && o.left <= scan.x + reach && o.bottom >= top && o.top <= bottom;
      }
      if (!onHead) b.runsFlag[s][kept++] = run;
    }
    b.countFlag[s] = kept;
  }
}

// The farthest live head of the note's stave, over the note and at most two
// steps beyond it on the scan's side; -1 when there is none.
int32_t FindStemEndHead(const NoteValueWork& work, uint32_t self, bool down) {
  const NoteRecord& n = work.notes[self];
  int32_t best = -1, bestStep = n.step;
  for (uint32_t m = 0; m < *work.noteCount; ++m) {
    const NoteRecord& o = work.notes[m];
    if (m == self || o.stave != n.stave || !IsLiveNote(o) || !IsStemmedKind(o.kind)) continue;
    if (o.right < n.left || o.left > n.right) continue;
    const int32_t beyond = down ? n.step - o.step : o.step - n.step;
    if (beyond < 1 || beyond > 2) continue;
    if (best < 0 || (down ? o.step < bestStep : o.step > bestStep)) {
      best = static_cast<int32_t>(m);
      bestStep = o.step;
    }
  }
  return best;
}

}  // namespace

const SlopeTables& Slopes() {
  static const SlopeTables tables = BuildSlopeTables();
  return tables;
}

void InitSlopeTables() { (void)Slopes(); }

int ThicknessToCount(int32_t t, double half, bool narrow) {
  const double h = narrow ? half * 0.6 : half;
  if (t <= 0) return 0;
  if (t <= 2.5 * h) return 1;
  if (t <= 5 * h) return 2;
  int32_t n = static_cast<int32_t>(t / h);
  if (n & 1) ++n;
  return std::max(1, n / 2);
}

void ScanStem(NoteValueWork& work, uint32_t i, int c, int p, int32_t d, int32_t x, const NoteStave& stave) {
  StemScanBuffer& b = *work.scan;
  const PageImage& image = work.image;
  const NoteRecord& n = work.notes[i];
  const bool down = c >= 2;
  const double h = stave.half;
  const int32_t th = static_cast<int32_t>(h), t2h = static_cast<int32_t>(2 * h);
  const int32_t u = std::max<int32_t>(stave.unit, 1);
  const int32_t step = down ? 1 : -1;
  b.down = down;

  // Follow the stem at most one space beyond the engine's end.
  const int32_t startY = down ? n.top + t2h - th + d : n.top + th - d;
  int32_t misses = 0, lastBlack = INT_MIN;
  for (int32_t k = 0; k <= t2h; ++k) {
    const int32_t y = startY + k * step;
    if (y < 5 || y > image.height - 5) break;  // the band 5 .. height - 5
    bool black = false;
    for (int32_t px = x - 2 * u; px <= x + 2 * u && !black; ++px) black = image.Ink(px, y);
    if (black) {
      misses = 0;
      lastBlack = y;
    } else if (++misses > u + 1) {
      break;
    }
  }
  // No black row at all: the stem ends where the search began.
  int32_t end = lastBlack == INT_MIN ? startY : lastBlack + step;
  end = std::clamp(end, 4, std::max(4, image.height - 4));
  b.stemEnd = end;

  int32_t start = down ? n.top + t2h + th : n.top - th;
  const int32_t chord = FindStemEndHead(work, i, down);
  if (chord >= 0) start = down ? work.notes[chord].top + stave.space + th : work.notes[chord].top - th;
  b.searchStart = start;

  std::fill(b.countA, b.countA + kBeamSlopes, 0);
  std::fill(b.countB, b.countB + kBeamSlopes, 0);
  std::fill(b.crossA, b.crossA + kBeamSlopes, false);
  std::fill(b.countFlag, b.countFlag + kFlagSlopes, 0);
  if ((down ? start >= end : start <= end) || start < 4 || start > image.height - 4) return;

  const int32_t lineThickness = stave.row >= 0 ? work.rows[stave.row].lineThickness : 0;
  const Scan scan{image, b, x, p == 0 ? -1 : 1, u, std::max<int32_t>(stave.smallUnit, 1), h,
                  std::abs(end - start), lineThickness};
  const int32_t headWidth = n.right - n.left;
  TraceSlopeRuns(scan, std::max<int32_t>(8, (headWidth + u) / u));
  for (int s = 0; s < kBeamSlopes; ++s) DropShortRuns(&b.countA[s], b.runsA[s], lineThickness);
  MarkBeamPartners(work, i, stave, scan);
  DropRunsOnSlurs(work, scan);
  TraceSlopeRunsByPercent(scan);
  for (int s = 0; s < kBeamSlopes; ++s) DropShortRuns(&b.countB[s], b.runsB[s], lineThickness + u);
  if (p == 1) {
    TraceFlagRuns(scan);
    FilterFlagRuns(work, i, scan);
  }
}

namespace {

// Page y of a distance along the stem.
int32_t PageY(const StemScanBuffer& scan, int32_t distance) {
  return scan.down ? scan.searchStart + distance : scan.searchStart - distance;
}

uint16_t ClampY(int32_t y) { return static_cast<uint16_t>(std::clamp(y, 0, 65535)); }

// The beams of one slope: the runs that count and their units.
struct BeamSlope {
  int runs[5];
  int runCount = 0;
  int units = 0;
  int32_t reach = 0;
  int32_t thickest = 0;
};

BeamSlope CountBeamUnits(const StemScanBuffer& scan, int s, double h, bool narrow) {
  BeamSlope out;
  const SlopeRun* runs = scan.runsA[s];
  const int32_t count = scan.countA[s];
  for (int32_t r = 0; r < count; ++r) {
    out.reach = std::max(out.reach, runs[r].reach);
    out.thickest = std::max(out.thickest, runs[r].end - runs[r].start);
  }
  const bool longBeams = out.reach >= 6 * h;
  for (int32_t r = 0; r < count && out.units < 5 && out.runCount < 5; ++r) {
    const int32_t thickness = runs[r].end - runs[r].start;
    // Runs close to the head are ledger lines, accidentals and neighbouring
    // heads rather than beams.
    if (runs[r].start < 2 * h) continue;
    if (longBeams && thickness * 3 < out.thickest * 2) continue;
    out.units = std::min(5, out.units + ThicknessToCount(thickness, h, narrow));
    out.runs[out.runCount++] = static_cast<int>(r);
  }
  return out;
}

// Whether slope b replaces the best slope a.
bool BetterBeamSlope(const BeamSlope& b, const BeamSlope& a, double h) {
  if (b.units == 0) return false;
  if (a.units == 0) return true;
  const bool further = b.reach > a.reach || (b.reach == a.reach && b.thickest > a.thickest);
  if (a.reach >= 3 * h) return further;
  if (b.units != a.units) return b.units > a.units;
  return b.reach >= 3 * h && further;
}

}  // namespace

void MeasureStemSide(const StemScanBuffer& scan, int p, StemRecord& record, const NoteStave& stave, NoteRecord& note) {
  StemSide& side = p == 0 ? record.left : record.right;
  const uint32_t beamBit = p == 0 ? kLeftSideBeams : kRightSideBeams;
  const uint32_t crossBit = p == 0 ? kLeftSideCrossesStave : kRightSideCrossesStave;
  const double h = stave.half;
  const bool narrow = note.uncertain != 0;
  const SlopeTables& t = Slopes();
  side = StemSide{};

  // Sloped lines (list B): the slope with the thickest run.
  int bestLine = -1;
  int32_t bestThick = 0, bestTotal = 0;
  for (int s = 0; s < kBeamSlopes; ++s) {
    int32_t thick = 0, total = 0;
    for (int32_t r = 0; r < scan.countB[s]; ++r) {
      const int32_t th = scan.runsB[s][r].end - scan.runsB[s][r].start;
      thick = std::max(thick, th);
      total = std::min(10, total + ThicknessToCount(th, h, narrow));
    }
    if (scan.countB[s] > 0 && (thick > bestThick || (thick == bestThick && total > bestTotal))) {
      bestLine = s;
      bestThick = thick;
      bestTotal = total;
    }
  }
  if (bestLine >= 0) {
    for (int32_t r = 0; r < scan.countB[bestLine] && side.runCount < 10; ++r) {
      const int32_t a = PageY(scan, scan.runsB[bestLine][r].start), b = PageY(scan, scan.runsB[bestLine][r].end);
      side.runTop[side.runCount] = ClampY(std::min(a, b));
      side.runBottom[side.runCount] = ClampY(std::max(a, b));
      ++side.runCount;
    }
  }

  // Beams (list A).
  int winner = -1;
  BeamSlope best;
  for (int s = 0; s < kBeamSlopes; ++s) {
    const BeamSlope slope = CountBeamUnits(scan, s, h, narrow);
    if (BetterBeamSlope(slope, best, h)) {
      best = slope;
      winner = s;
    }
  }
  int beamCount = 0;
  if (winner >= 0) {
    beamCount = best.units;
    for (int k = 0; k < best.runCount; ++k) {
      const SlopeRun& run = scan.runsA[winner][best.runs[k]];
      const int32_t a = PageY(scan, run.start), b = PageY(scan, run.end);
      side.markTop[k] = ClampY(std::min(a, b));
      side.markBottom[k] = ClampY(std::max(a, b));
      side.markLength[k] = ClampY(run.reach);
    }
    side.stubCount = static_cast<uint8_t>(best.runCount);
    side.markSlope = t.beamTangent[winner];
    // Sampled lines near the winner's first beam may show beams it merged.
    const int32_t first = scan.runsA[winner][best.runs[0]].start;
    for (int s = 0; s < kBeamSlopes; ++s) {
      int units = 0;
      for (int32_t r = 0; r < scan.countB[s]; ++r) {
        const SlopeRun& run = scan.runsB[s][r];
        const int32_t th = run.end - run.start;
        if (std::abs(run.start - first) <= 1.5 * h && th * 4 >= best.thickest * 3)
          units = std::min(5, units + ThicknessToCount(th, h, narrow));
      }
      beamCount = std::max(beamCount, units);
    }
  }

  // Flags (right side only): one solid mass of strokes along the stem.
  int flagCount = 0;
  int32_t massStart = 0, massEnd = 0, bestExtent = 0;
  if (p == 1) {
    const int32_t beamStart = winner >= 0 ? scan.runsA[winner][best.runs[0]].start : INT_MAX;
    for (int s = 0; s < kFlagSlopes; ++s) {
      const int32_t count = scan.countFlag[s];
      if (count == 0 || scan.runsFlag[s][0].start > beamStart) continue;
      // Group the runs from the head outward; keep the largest group.
      int32_t r = 0;
      while (r < count) {
        const int32_t g0 = scan.runsFlag[s][r].start;
        int32_t gEnd = scan.runsFlag[s][r].end, longest = 0;
        int32_t last = r;
        while (last + 1 < count) {
          const SlopeRun& next = scan.runsFlag[s][last + 1];
          if (next.start - g0 >= 2 * h || next.end - next.start > 3 * h) break;
          ++last;
          gEnd = std::max(gEnd, next.end);
        }
        for (int32_t k = r; k <= last; ++k)
          longest = std::max(longest, scan.runsFlag[s][k].end - scan.runsFlag[s][k].start);
        int strokes = 0;
        for (int32_t k = r; k <= last; ++k) {
          const int32_t len = scan.runsFlag[s][k].end - scan.runsFlag[s][k].start;
          if (len >= h * 0.999 && len * 3 >= longest * 2) ++strokes;
        }
        const int32_t extent = gEnd - g0;
        if (strokes > 0 &&
            (extent * 3 > bestExtent * 4 || (extent * 4 >= bestExtent * 3 && strokes > flagCount))) {
          flagCount = strokes;
          bestExtent = extent;
          massStart = g0;
          massEnd = gEnd;
        }
        r = last + 1;
      }
    }
  }

  if (beamCount > 0) {
    record.sideFlags |= beamBit;
    record.sideFlags = winner >= 0 && scan.crossA[winner] ? (record.sideFlags | crossBit) : (record.sideFlags & ~crossBit);
    side.markCount = static_cast<uint8_t>(std::min(beamCount, 5));
  } else if (flagCount > 0) {
    record.sideFlags &= ~(beamBit | crossBit);
    side.markCount = static_cast<uint8_t>(std::min(flagCount, 5));
    const int32_t a = PageY(scan, massStart), b = PageY(scan, massEnd);
    side.massTop = side.markTop[0] = ClampY(std::min(a, b));
    side.massBottom = side.markBottom[0] = ClampY(std::max(a, b));
    side.markLength[0] = ClampY(7 * stave.unit);
    side.stubCount = 1;
  } else {
    record.sideFlags &= ~(beamBit | crossBit);
    side.markCount = 0;
  }

  // The far end's extent: only when this side found marks, so that a later
  // empty side does not wipe what an earlier one measured.
  if (side.markCount > 0) {
    int32_t lo = INT_MAX, hi = INT_MIN;
    const int marks = beamCount > 0 ? side.stubCount : 1;
    for (int k = 0; k < marks; ++k) {
      lo = std::min<int32_t>(lo, side.markTop[k]);
      hi = std::max<int32_t>(hi, side.markBottom[k]);
    }
    note.stemEndTop = static_cast<int16_t>(std::clamp<int32_t>(lo - static_cast<int32_t>(h), INT16_MIN, INT16_MAX));
    note.stemEndBottom = static_cast<int16_t>(std::clamp<int32_t>(hi + static_cast<int32_t>(h), INT16_MIN, INT16_MAX));
  }
}
