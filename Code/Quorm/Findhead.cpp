// The notehead finder and the notehead table.
#include "Code/Quorm/Findhead.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Enginetab.h"
#include "Code/Quorm/Findledg.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/options.h"
#include "Code/Quorm/smooth.h"

namespace {

// ---- Models ----

// Per model: when it is searched, its width window (per cent of the staff's
// staff space), its template pair, its acceptance limit, reference limit L,
// cost bias B, the model it is recorded as, and the patch it is classified
// from (rows centre +- f S, columns widened by g w; f and g in 1/1000).
enum class ModelGate { kAlways, kModel4Option, kSmallHeadsOption, kNever };
struct HeadModel {
  ModelGate gate;
  int32_t minWidth;
  int32_t maxWidth;
  int32_t pair;  // 1..3
  int32_t acceptance;
  int32_t referenceLimit;
  int32_t bias;
  int32_t recordedAs;
  int32_t patchRows;     // f x 1000
  int32_t patchColumns;  // g x 1000
};
// The template pair of the small-head models: their heads are cue-size.
constexpr int32_t kSmallHeadPair = 3;
constexpr HeadModel kModels[kMaxHeadModel + 1] = {
    {ModelGate::kAlways, 90, 200, 1, 3400, 3000, 1400, 0, 620, 105},
    {ModelGate::kAlways, 100, 220, 1, 3200, 2900, 1800, 1, 620, 105},
    {ModelGate::kAlways, 130, 250, 2, 3000, 3000, 1800, 2, 660, 105},
    {ModelGate::kNever, 0, 0, 2, 0, 0, 0, 2, 660, 105},
    {ModelGate::kModel4Option, 60, 110, 3, 3000, 2700, 1200, 4, 410, 70},
    {ModelGate::kSmallHeadsOption, 61, 137, 3, 3000, 2700, 1200, 0, 620, 105},
    {ModelGate::kSmallHeadsOption, 68, 151, 3, 3000, 2700, 1600, 1, 620, 105},
    {ModelGate::kSmallHeadsOption, 89, 171, 3, 3000, 3000, 1600, 2, 620, 105},
    {ModelGate::kNever, 0, 0, 3, 0, 0, 0, 2, 620, 105},
};

// Classification limit of a reference class.
int32_t ClassLimit(int32_t headClass) {
  if (headClass == 0) return 3400;
  if (headClass == 1) return 3200;
  return 3000;
}

bool ModelOptionOn(int32_t model) {
  switch (kModels[model].gate) {
    case ModelGate::kAlways: return true;
    case ModelGate::kModel4Option: return GetNoteheadModel4Option() != 0;
    case ModelGate::kSmallHeadsOption: return GetNoteheadModels5to7Option() != 0;
    case ModelGate::kNever: return false;
  }
  return false;
}

bool ClassMatchesModel(int32_t headClass, int32_t model) {
  if (headClass == model) return true;
  return GetNoteheadModels5to7Option() != 0 && model >= 5 && model <= 7 && headClass == model - 5;
}

// The order in which candidate tables are classified and turned into heads.
constexpr int32_t kClassifyOrder[] = {0, 1, 2, 4, 5, 6, 7};
constexpr int32_t kHeadOrder[] = {0, 1, 2, 5, 6, 7, 4};

// ---- Records of the run ----

struct NoteheadCandidate {
  int32_t staff;
  int32_t step;
  int32_t left;
  int32_t right;
  int32_t centre;  // row x1024
  int32_t cost;
  int32_t model;   // scratch lists only
};

struct HeadPosition {
  int32_t left;   // first column searched
  int32_t right;  // first column past the search
  int32_t staff;
  int32_t step;
  int32_t fixedRow;  // 1: row holds the position's row
  int32_t row;
};

struct HorizontalRun {
  int32_t row;
  int32_t first;  // first black column
  int32_t end;    // first white column after the run
};

struct EdgeRun {
  int32_t column;
  int32_t length;
  int32_t offset;  // rows from the position's row at the column
};

// One row offset of a template block: the windows of column offsets and the
// profile, entry kProfileCentre for column offset 0.
constexpr int32_t kProfileSize = 202;
constexpr int32_t kProfileCentre = 101;
struct TemplateRow {
  int32_t profileFirst;
  int32_t profileLast;  // inclusive; first > last when empty
  int32_t coverFirst;
  int32_t coverLast;
  int32_t profile[kProfileSize];
};

struct TemplateBlock {
  int32_t staff;      // the staff it was built for, -1 none
  int32_t reach;      // row offsets -reach .. reach
  int32_t capacity;   // rows the block holds
  TemplateRow* rows;  // 2 reach + 1 used
};

EngineTable<FoundNotehead, 1000> gHeads;
int32_t gPenaltySums[kMaxHeadModel + 1] = {};
EngineTable<NoteheadCandidate, 4000> gCandidates[kMaxHeadModel + 1];
EngineTable<NoteheadCandidate, 4000> gScratch;
EngineTable<HeadPosition, 1000> gPositions;
HorizontalRun* gRuns = nullptr;
int32_t gRunCount = 0;
int32_t* gRowFirstRun = nullptr;  // per row + 1: index of the row's first run
EdgeRun* gLeftEnds = nullptr;
EdgeRun* gRightEnds = nullptr;
int32_t gEndCapacity = 0;
int32_t gLeftCount = 0;
int32_t gRightCount = 0;
TemplateBlock gBlocks[6] = {};
// Per-column work arrays of page width.
enum WorkArray { kLeftMax, kLeftCover, kLeftScore, kLeftCount, kRightMax, kRightCover, kRightScore, kRightCount,
                 kLeftPeaks, kRightPeaks, kWorkArrays };
int32_t* gWork[kWorkArrays] = {};
int32_t gWorkWidth = 0;
uint8_t* gPatch = nullptr;
int32_t gSearched[kMaxHeadModel + 1] = {};

// ---- Edge curves ----

constexpr int32_t kCurvePoints = 17;
constexpr int32_t kAbscissae[kCurvePoints] = {-512, -448, -384, -320, -256, -192, -128, -64, 0,
                                              64,   128,  192,  256,  320,  384,  448,  512};
constexpr int32_t kCurve1[kCurvePoints] = {570, 440, 320, 230, 170, 80, 50, 20, 10, 0, 15, 30, 40, 50, 90, 170, 360};
constexpr int32_t kCurve2[kCurvePoints] = {570, 400, 250, 160, 80, 40, 20, 10, 0, 10, 20, 40, 80, 160, 250, 400, 570};
constexpr int32_t kCurve3[kCurvePoints] = {500, 500, 500, 300, 170, 100, 50, 25, 0, 5, 15, 40, 80, 200, 500, 500, 500};
constexpr int32_t kFlatCurve[kCurvePoints] = {};
int32_t gMirror1[kCurvePoints];
int32_t gMirror2[kCurvePoints];
int32_t gMirror3[kCurvePoints];

void MakeMirror(int32_t* out, const int32_t* curve) {
  for (int32_t i = 0; i < kCurvePoints; ++i) out[i] = -curve[kCurvePoints - 1 - i];
}

// The two curves and the reach (per cent) of each of the six blocks: pair p
// has blocks 2 (p - 1) (left ends) and 2 (p - 1) + 1 (right ends).
struct BlockShape {
  int32_t reachPercent;
  const int32_t* first;
  const int32_t* second;
};
BlockShape ShapeOfBlock(int32_t block) {
  switch (block) {
    case 0: return {45, kCurve1, kFlatCurve};
    case 1: return {45, gMirror1, kFlatCurve};
    case 2: return {45, kCurve2, kCurve2};
    case 3: return {45, gMirror2, gMirror2};
    case 4: return {30, kCurve3, kFlatCurve};
    default: return {30, gMirror3, kFlatCurve};
  }
}

// A staff whose per-cent tolerances round to nothing takes no part.
bool StaffTakesHeads(int32_t staff) { return GetStaffSpace(staff) >= kMinLedgerStaffSpace; }

// ---- Templates ----

void AddCurve(TemplateRow& row, const int32_t* curve, int32_t q, int32_t s1, bool cover) {
  const int32_t c = InterpolateTable(kAbscissae, curve, kCurvePoints, q);
  const int32_t t = RoundQ10((std::abs(c) / 2 + std::abs(q) / 32) * s1 + 1024);
  const int32_t m = RoundQ10(c * s1);
  const int32_t first = MaxOfInts(-kProfileCentre, -m - t);
  const int32_t last = MinOfInts(kProfileSize - 1 - kProfileCentre, t - m);
  row.profileFirst = MinOfInts(row.profileFirst, first);
  row.profileLast = MaxOfInts(row.profileLast, last);
  if (cover) {
    row.coverFirst = MinOfInts(row.coverFirst, first);
    row.coverLast = MaxOfInts(row.coverLast, last);
  }
  AddKernelSpike(row.profile, kProfileSize, 1, kProfileCentre - m, t / 2.0);
}

const TemplateBlock& TemplateFor(int32_t block, int32_t staff) {
  TemplateBlock& b = gBlocks[block];
  if (b.staff == staff) return b;
  const BlockShape shape = ShapeOfBlock(block);
  const int32_t s1 = ScaleToPixelsForStaff(staff, 100);
  ENGINE_CHECK(s1 >= 1);
  b.reach = ScaleToPixelsForStaff(staff, shape.reachPercent);
  ENGINE_CHECK(2 * b.reach + 1 <= b.capacity);
  for (int32_t o = -b.reach; o <= b.reach; ++o) {
    TemplateRow& row = b.rows[o + b.reach];
    std::memset(&row, 0, sizeof row);
    row.profileFirst = row.coverFirst = kProfileSize;
    row.profileLast = row.coverLast = -kProfileSize;
    const int32_t q = DivRound(o * 1024, s1);
    AddCurve(row, shape.first, q, s1, true);
    AddCurve(row, shape.second, q, s1, false);
  }
  b.staff = staff;
  return b;
}

// ---- Runs and edge runs ----

// Calls visit(row, first, end) for every black run of the page, rows
// ascending and columns ascending within a row.
template <class Visit>
void WalkRuns(Visit visit) {
  const int32_t height = GetPageImageHeight();
  const int32_t width = GetPageImageWidth();
  const int32_t words = GetPageWordsPerRow();
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* row = GetPageRow(y);
    int32_t first = -1;
    for (int32_t w = 0; w < words; ++w) {
      const uint32_t word = row[w];
      if (first < 0 && word == 0) continue;
      if (first >= 0 && word == 0xFFFFFFFFu) continue;
      for (int32_t b = 0; b < 32; ++b) {
        const int32_t x = 32 * w + b;
        if (x >= width) break;
        const bool black = (word >> b) & 1u;
        if (black && first < 0) first = x;
        if (!black && first >= 0) {
          visit(y, first, x);
          first = -1;
        }
      }
    }
    if (first >= 0) visit(y, first, width);
  }
}

void ListRuns() {
  const int32_t height = GetPageImageHeight();
  EngineAllocZeroedChecked(gRowFirstRun, (static_cast<size_t>(height) + 1) * sizeof(int32_t));
  int64_t count = 0;
  WalkRuns([&](int32_t, int32_t, int32_t) { ++count; });
  ENGINE_CHECK(count < INT32_MAX / static_cast<int64_t>(sizeof(HorizontalRun)));
  EngineAllocChecked(gRuns, static_cast<size_t>(std::max<int64_t>(count, 1)) * sizeof(HorizontalRun));
  gRunCount = 0;
  int32_t nextRow = 0;
  WalkRuns([&](int32_t y, int32_t first, int32_t end) {
    while (nextRow <= y) gRowFirstRun[nextRow++] = gRunCount;
    gRuns[gRunCount++] = HorizontalRun{y, first, end};
  });
  while (nextRow <= height) gRowFirstRun[nextRow++] = gRunCount;
}

int32_t PositionRow(const HeadPosition& p, int32_t column) {
  return p.fixedRow ? p.row : RoundQ10(StaffStepY(p.staff, p.step, column));
}

bool EdgeRunBefore(const EdgeRun& a, const EdgeRun& b) {
  if (a.offset != b.offset) return a.offset < b.offset;
  return a.column < b.column;
}

void CollectEdgeRuns(const HeadPosition& p, int32_t t) {
  gLeftCount = 0;
  gRightCount = 0;
  const int32_t rowLeft = PositionRow(p, p.left);
  const int32_t rowRight = PositionRow(p, p.right - 1);
  const int32_t height = GetPageImageHeight();
  const int32_t y0 = MaxOfInts(0, MinOfInts(rowLeft, rowRight) - t);
  const int32_t y1 = MinOfInts(height - 1, MaxOfInts(rowLeft, rowRight) + t);
  if (y0 > y1) return;
  for (int32_t r = gRowFirstRun[y0]; r < gRowFirstRun[y1 + 1]; ++r) {
    const HorizontalRun& run = gRuns[r];
    const int32_t length = run.end - run.first;
    if (run.first >= p.left && run.first < p.right && gLeftCount < gEndCapacity) {
      const int32_t offset = run.row - PositionRow(p, run.first);
      if (std::abs(offset) < t) gLeftEnds[gLeftCount++] = EdgeRun{run.first, length, offset};
    }
    if (run.end >= p.left && run.end < p.right && gRightCount < gEndCapacity) {
      const int32_t offset = run.row - PositionRow(p, run.end);
      if (std::abs(offset) < t) gRightEnds[gRightCount++] = EdgeRun{run.end, length, offset};
    }
  }
  std::sort(gLeftEnds, gLeftEnds + gLeftCount, EdgeRunBefore);
  std::sort(gRightEnds, gRightEnds + gRightCount, EdgeRunBefore);
}

// ---- Column scores and peaks ----

// Scores the columns of one side: every edge run at a template row offset
// raises the columns its profile reaches and marks those its coverage window
// reaches; per offset the maxima and marks are summed. score gets the mean
// over the offsets where enough offsets cover a column, else 0.
void ScoreColumns(const TemplateBlock& block, const EdgeRun* ends, int32_t count, bool leftSide,
                  const HeadPosition& p, int32_t s1, int32_t minCover, int32_t* maxima, int32_t* cover,
                  int32_t* score, int32_t* covered) {
  const int32_t lo = p.left;
  const int32_t hi = p.right;
  for (int32_t x = lo; x < hi; ++x) {
    score[x] = 0;
    covered[x] = 0;
  }
  int32_t e = 0;
  while (e < count && ends[e].offset < -block.reach) ++e;
  for (int32_t o = -block.reach; o <= block.reach; ++o) {
    const TemplateRow& row = block.rows[o + block.reach];
    int32_t touchedLo = hi;
    int32_t touchedHi = lo;
    for (; e < count && ends[e].offset == o; ++e) {
      const EdgeRun& end = ends[e];
      const int32_t from = MaxOfInts(lo, end.column + row.profileFirst);
      const int32_t to = MinOfInts(hi - 1, end.column + row.profileLast);
      for (int32_t x = from; x <= to; ++x) {
        const int32_t v = row.profile[kProfileCentre + x - end.column];
        if (v > maxima[x]) maxima[x] = v;
      }
      if (from <= to) {
        touchedLo = MinOfInts(touchedLo, from);
        touchedHi = MaxOfInts(touchedHi, to + 1);
      }
      int32_t coverFrom = MaxOfInts(lo, end.column + row.coverFirst);
      int32_t coverTo = MinOfInts(hi - 1, end.column + row.coverLast);
      for (int32_t x = coverFrom; x <= coverTo; ++x) cover[x] = 1;
      if (coverFrom <= coverTo) {
        touchedLo = MinOfInts(touchedLo, coverFrom);
        touchedHi = MaxOfInts(touchedHi, coverTo + 1);
      }
      if (end.length > s1) {
        // The part of a long run beyond a staff space covers its columns.
        if (leftSide) {
          coverFrom = MaxOfInts(lo, end.column + s1);
          coverTo = MinOfInts(hi - 1, end.column + end.length - 1);
        } else {
          coverFrom = MaxOfInts(lo, end.column - end.length);
          coverTo = MinOfInts(hi - 1, end.column - 1 - s1);
        }
        for (int32_t x = coverFrom; x <= coverTo; ++x) cover[x] = 1;
        if (coverFrom <= coverTo) {
          touchedLo = MinOfInts(touchedLo, coverFrom);
          touchedHi = MaxOfInts(touchedHi, coverTo + 1);
        }
      }
    }
    for (int32_t x = touchedLo; x < touchedHi; ++x) {
      score[x] += maxima[x];
      covered[x] += cover[x];
      maxima[x] = 0;
      cover[x] = 0;
    }
  }
  const int32_t offsets = 2 * block.reach + 1;
  for (int32_t x = lo; x < hi; ++x) score[x] = covered[x] < minCover ? 0 : DivRound(score[x], offsets);
}

// Keeps the columns that stand out within the radius: v >= 20, the left
// neighbour below v, the right neighbour not above v, and no neighbour at
// distance d (2 .. n - 1) whose value tapered by (n - d) / n exceeds v.
void FindPeaks(const int32_t* score, int32_t* peaks, int32_t lo, int32_t hi, int32_t n) {
  for (int32_t x = lo; x < hi; ++x) {
    const int32_t v = score[x];
    bool keep = v >= 20;
    if (keep && x - 1 >= lo && score[x - 1] >= v) keep = false;
    if (keep && x + 1 < hi && score[x + 1] > v) keep = false;
    for (int32_t d = 2; keep && d < n; ++d) {
      if (x - d >= lo && DivRound(score[x - d] * (n - d), n) > v) keep = false;
      if (x + d < hi && DivRound(score[x + d] * (n - d), n) > v) keep = false;
    }
    peaks[x] = keep ? v : 0;
  }
}

void ScorePair(int32_t pair, const HeadPosition& p) {
  const int32_t staff = p.staff;
  const int32_t s1 = ScaleToPixelsForStaff(staff, 100);
  const int32_t minCover = ScaleToPixelsForStaff(staff, 30);
  const TemplateBlock& leftBlock = TemplateFor(2 * (pair - 1), staff);
  ScoreColumns(leftBlock, gLeftEnds, gLeftCount, true, p, s1, minCover, gWork[kLeftMax], gWork[kLeftCover],
               gWork[kLeftScore], gWork[kLeftCount]);
  const TemplateBlock& rightBlock = TemplateFor(2 * (pair - 1) + 1, staff);
  ScoreColumns(rightBlock, gRightEnds, gRightCount, false, p, s1, minCover, gWork[kRightMax], gWork[kRightCover],
               gWork[kRightScore], gWork[kRightCount]);
  const int32_t radius = ScaleToPixelsForStaff(staff, 60);
  FindPeaks(gWork[kLeftScore], gWork[kLeftPeaks], p.left, p.right, radius);
  FindPeaks(gWork[kRightScore], gWork[kRightPeaks], p.left, p.right, radius);
}

void AddCandidates(int32_t model, const HeadPosition& p) {
  const HeadModel& m = kModels[model];
  const int32_t minimum = ScaleToPixelsForStaff(p.staff, m.minWidth) - 1;
  const int32_t maximum = ScaleToPixelsForStaff(p.staff, m.maxWidth) + 1;
  const int32_t* left = gWork[kLeftPeaks];
  const int32_t* right = gWork[kRightPeaks];
  for (int32_t x = p.left; x < p.right; ++x) {
    if (left[x] <= 0) continue;
    for (int32_t x2 = MaxOfInts(x + minimum, p.left); x2 <= x + maximum - 1 && x2 < p.right; ++x2) {
      if (right[x2] <= 0) continue;
      if (MaxOfInts(left[x], right[x2]) <= 100 || left[x] + right[x2] <= 180) continue;
      const int32_t centre = p.fixedRow ? p.row * 1024 : StaffStepY(p.staff, p.step, (x + x2) / 2);
      gCandidates[model].Append(NoteheadCandidate{p.staff, p.step, x, x2, centre, 0, model});
    }
  }
}

// ---- Positions ----

void BuildPositions() {
  const int32_t width = GetPageImageWidth();
  const int32_t staves = GetStaffCount();
  auto add = [&](HeadPosition p) {
    p.left = MaxOfInts(p.left, 1);
    p.right = MinOfInts(p.right, width - 1);
    gPositions.Append(p);
  };
  const int32_t leftMargin = ScaleToPixels(200);
  for (int32_t t = 0; t < staves; ++t) {
    if (!StaffTakesHeads(t)) continue;
    const int32_t lines = GetStaffLineCount(t);
    for (int32_t step = GetStaffStepMin(lines); step <= GetStaffStepMax(lines); ++step)
      add(HeadPosition{GetStaffLeftX(t) + leftMargin, GetStaffRightX(t), t, step, 0, INT32_MIN});
  }
  for (int32_t i = 0; i < GetLedgerLineCount(); ++i) {
    int32_t row = 0, staff = 0, step = 0;
    GetLedgerLinePlace(i, &row, &staff, &step);
    if (!StaffTakesHeads(staff)) continue;
    const int32_t left = GetLedgerLineLeftX(i);
    const int32_t right = GetLedgerLineRightX(i);
    add(HeadPosition{left, right, staff, step, 1, row});
    const int32_t half = ScaleToPixelsForStaff(staff, 50);
    if (step < 0)
      add(HeadPosition{left, right, staff, step - 1, 1, row - half});
    else
      add(HeadPosition{left, right, staff, step + 1, 1, row + half});
  }
}

// ---- Classification ----

bool CandidateBefore(const NoteheadCandidate& a, const NoteheadCandidate& b) {
  const bool refusedA = a.cost >= kRefusedHeadCost;
  const bool refusedB = b.cost >= kRefusedHeadCost;
  if (refusedA != refusedB) return refusedB;
  if (a.staff != b.staff) return a.staff < b.staff;
  if (a.step != b.step) return a.step < b.step;
  if (a.left != b.left) return a.left < b.left;
  return a.right < b.right;
}

void ClassifyCandidate(NoteheadCandidate& c, int32_t model) {
  HeadPatchBox box;
  if (!NoteheadPatchBox(model, GetStaffSpace(c.staff), c.centre, c.left, c.right, &box)) {
    c.cost = kRefusedHeadCost;
    return;
  }
  const int32_t rows = box.rows;
  const int32_t columns = box.columns;
  ExtractByteImage(gPatch, box.top, box.left, rows, columns);
  uint8_t features[kEdgeFeatureCount];
  ComputeEdgeFeatures(features, gPatch, columns, rows);
  int32_t best = INT32_MAX;
  int32_t bestClass = -1;
  for (int32_t r = 0; r < GetNoteheadReferenceCount(); ++r) {
    const int32_t headClass = GetNoteheadReferenceClass(r);
    if (!ClassMatchesModel(headClass, model) || !NoteheadVariantUsable(GetNoteheadReferenceVariant(r))) continue;
    const int32_t d = NoteheadReferenceDistance(features, r);
    if (d < best) {
      best = d;
      bestClass = headClass;
    }
  }
  // Only models with a usable reference are searched.
  ENGINE_CHECK(bestClass >= 0);
  c.cost = best <= ClassLimit(bestClass) ? best : kRefusedHeadCost;
}

void ClassifyAndSort() {
  for (int32_t model : kClassifyOrder) {
    if (!gSearched[model]) continue;
    EngineTable<NoteheadCandidate, 4000>& table = gCandidates[model];
    for (int32_t i = 0; i < table.count; ++i) ClassifyCandidate(table.records[i], model);
  }
  for (int32_t model = 0; model <= kMaxHeadModel; ++model) {
    EngineTable<NoteheadCandidate, 4000>& table = gCandidates[model];
    if (table.count == 0) continue;
    std::stable_sort(table.records, table.records + table.count, CandidateBefore);
    while (table.count > 0 && table.records[table.count - 1].cost >= kRefusedHeadCost) --table.count;
  }
}

// ---- Width statistics and penalties ----

// The scratch tag of a table: 0, 1, 2 for tables 0, 1, 2; 4 for tables 4 to 7.
int32_t ScratchTag(int32_t model) { return model <= 2 ? model : 4; }

int32_t WidthClass(const NoteheadCandidate& c) {
  return DivRound((c.right - c.left) * 320, ScaleToPixelsForStaff(c.staff, 1000));
}

struct WidthFit {
  int32_t typical;  // lo + hi, 1/64 staff space
  int32_t weight;
};

// Gathers the candidates of every staff and step into the scratch list and
// adds the clear winners of the measured model to its width histogram.
WidthFit MeasureHeadWidths(int32_t measured) {
  int32_t bins[96] = {};
  const int32_t staves = GetStaffCount();
  int32_t cursor[kMaxHeadModel + 1] = {};
  for (int32_t t = 0; t < staves; ++t) {
    const int32_t lines = GetStaffLineCount(t);
    for (int32_t step = GetStaffLedgerStepMin(lines); step <= GetStaffLedgerStepMax(lines); ++step) {
      gScratch.count = 0;
      for (int32_t model = 0; model <= kMaxHeadModel; ++model) {
        EngineTable<NoteheadCandidate, 4000>& table = gCandidates[model];
        // Tables are sorted by staff and step: skip to this place.
        int32_t& i = cursor[model];
        while (i < table.count && (table.records[i].staff < t ||
                                   (table.records[i].staff == t && table.records[i].step < step)))
          ++i;
        for (int32_t k = i; k < table.count && table.records[k].staff == t && table.records[k].step == step; ++k) {
          NoteheadCandidate c = table.records[k];
          c.model = ScratchTag(model);
          gScratch.Append(c);
        }
      }
      if (gScratch.count == 0) continue;
      std::stable_sort(gScratch.records, gScratch.records + gScratch.count, CandidateBefore);
      for (int32_t k = 0; k < gScratch.count; ++k) {
        const NoteheadCandidate& c = gScratch.records[k];
        if (c.model != measured) continue;
        const HeadModel& m = kModels[c.model];
        if (c.cost >= m.referenceLimit) continue;
        bool clear = true;
        for (int32_t j = MaxOfInts(0, k - 10); clear && j <= MinOfInts(gScratch.count - 1, k + 10); ++j) {
          if (j == k) continue;
          const NoteheadCandidate& o = gScratch.records[j];
          if (o.right < c.left || c.right < o.left) continue;
          if (o.cost - kModels[o.model].bias < c.cost - m.bias) clear = false;
        }
        if (!clear) continue;
        const int32_t below = m.referenceLimit - c.cost;
        const int32_t weight = DivRound(DivRound(below * below, m.referenceLimit) * 300, m.referenceLimit);
        const int32_t r = WidthClass(c);
        ENGINE_CHECK(r >= 1 && r < 96 && weight <= 1000);
        bins[r] += weight;
      }
    }
  }
  const int32_t p = ArgMaxFirst(bins, 1, 95);
  const int32_t peak = bins[p];
  int32_t lo = p;
  for (int32_t k = 0; k <= p; ++k)
    if (2 * bins[k] >= peak) {
      lo = k;
      break;
    }
  int32_t hi = p;
  for (int32_t k = 95; k >= p; --k)
    if (2 * bins[k] >= peak) {
      hi = k;
      break;
    }
  int64_t mass = 0;
  for (int32_t k = -3; k <= 3; ++k)
    if (p + k >= 1 && p + k <= 95) mass += static_cast<int64_t>(4 - std::abs(k)) * bins[p + k];
  mass /= 32;
  const double sharpness = 1.0 - 3.0 * (hi - lo) / p;
  WidthFit fit{lo + hi, 0};
  if (sharpness > 0 && mass >= 201) fit.weight = static_cast<int32_t>(sharpness * static_cast<double>(mass - 200));
  return fit;
}

// Adds ((b - 200 r) / (b - a))^2 w below b and ((200 r - b) / (c - b))^2 w
// above it to the costs of a table, and w to its penalty sum.
void PenaliseTable(int32_t model, int32_t w, int32_t typical, int32_t a, int32_t b, int32_t c) {
  const int64_t la = static_cast<int64_t>(a) * typical;
  const int64_t lb = static_cast<int64_t>(b) * typical;
  const int64_t lc = static_cast<int64_t>(c) * typical;
  EngineTable<NoteheadCandidate, 4000>& table = gCandidates[model];
  for (int32_t i = 0; i < table.count; ++i) {
    NoteheadCandidate& cand = table.records[i];
    const int64_t r200 = 200 * static_cast<int64_t>(WidthClass(cand));
    double add = 0;
    if (r200 < lb && la >= 1) {
      const double f = static_cast<double>(lb - r200) / static_cast<double>(lb - la);
      add = f * f * w;
    } else if (r200 > lb && lc >= 1) {
      const double f = static_cast<double>(r200 - lb) / static_cast<double>(lc - lb);
      add = f * f * w;
    }
    cand.cost = SaturateToInt32(static_cast<int64_t>(cand.cost) + static_cast<int64_t>(add));
  }
  gPenaltySums[model] += w;
}

void PenaliseHeadWidths() {
  for (int32_t& sum : gPenaltySums) sum = 0;
  const WidthFit f0 = MeasureHeadWidths(0);
  const WidthFit f4 = MeasureHeadWidths(4);
  const WidthFit f1 = MeasureHeadWidths(1);
  const WidthFit f2 = MeasureHeadWidths(2);
  int32_t w0 = f0.weight, w4 = f4.weight, w1 = f1.weight, w2 = f2.weight;
  const bool model4 = GetNoteheadModel4Option() != 0;
  if (model4) {
    int32_t both = w0 + w4;
    ClampTo(0, &both, 2000);
    if (both > 0) {
      const int64_t split = DivRound64(static_cast<int64_t>(w4) * f4.typical * 125 +
                                           static_cast<int64_t>(w0) * f0.typical * 80,
                                       static_cast<int64_t>(w4) + w0);
      for (int32_t model : {4, 0}) {
        EngineTable<NoteheadCandidate, 4000>& table = gCandidates[model];
        for (int32_t i = 0; i < table.count; ++i) {
          NoteheadCandidate& c = table.records[i];
          const int64_t r200 = 200 * static_cast<int64_t>(WidthClass(c));
          if ((model == 4 && r200 > split) || (model == 0 && r200 < split)) c.cost += both;
        }
      }
    }
  }
  ClampTo(0, &w0, 1000);
  ClampTo(0, &w4, 1000);
  ClampTo(0, &w1, 1000);
  ClampTo(0, &w2, 1000);
  if (w0 > 0) PenaliseTable(0, w0, f0.typical, 80, 100, 125);
  if (model4 && w4 > 0) PenaliseTable(4, w4, f4.typical, 80, 100, 125);
  if (w1 > 0) PenaliseTable(1, w1, f1.typical, 80, 100, 125);
  if (w2 > 0) PenaliseTable(2, w2, f2.typical, 80, 100, 125);
  if (w0 > 0) {
    if (w1 < 1) PenaliseTable(1, w0 / 2, f0.typical, 80, 110, 170);
    if (w2 < 1) PenaliseTable(2, w0 / 2, f0.typical, 90, 120, 210);
  }
}

// ---- Heads ----

void MakeHeads() {
  gHeads.count = 0;
  const int32_t width = GetPageImageWidth();
  const int32_t height = GetPageImageHeight();
  for (int32_t model : kHeadOrder) {
    if (!gSearched[model]) continue;
    const int32_t recorded = kModels[model].recordedAs;
    const int32_t limit = gPenaltySums[recorded] / 8 + kModels[recorded].acceptance;
    EngineTable<NoteheadCandidate, 4000>& table = gCandidates[model];
    for (int32_t i = 0; i < table.count; ++i) {
      const NoteheadCandidate& c = table.records[i];
      const int32_t row = RoundQ10(c.centre);
      if (row < 0 || row >= height || c.left < 0 || c.right >= width || c.cost >= limit) continue;
      FoundNotehead head{};
      head.leftX = c.left;
      head.rightX = c.right;
      head.centreY = row;
      head.staff = c.staff;
      head.step = c.step;
      head.model = recorded;
      head.small = kModels[model].pair == kSmallHeadPair ? 1 : 0;
      head.rawCost = c.cost;
      AddFoundNotehead(head);
    }
  }
  for (int32_t i = 0; i < gHeads.count; ++i) {
    const FoundNotehead& head = gHeads.At(i);
    AddObjectPoint(kPointHeadLeft, i, head.centreY, head.leftX);
    AddObjectPoint(kPointHeadRight, i, head.centreY, head.rightX);
  }
}

// ---- Run set-up and release ----

void FreeRunTables() {
  EngineFree(gRuns);
  EngineFree(gRowFirstRun);
  EngineFree(gLeftEnds);
  EngineFree(gRightEnds);
  for (TemplateBlock& b : gBlocks) {
    EngineFree(b.rows);
    b = TemplateBlock{-1, 0, 0, nullptr};
  }
  for (int32_t*& work : gWork) EngineFree(work);
  EngineFree(gPatch);
  gRunCount = 0;
  gEndCapacity = 0;
  gLeftCount = 0;
  gRightCount = 0;
  gWorkWidth = 0;
  gPositions.Free();
  gScratch.Free();
}

void ChooseSearchedModels() {
  for (int32_t model = 0; model <= kMaxHeadModel; ++model) {
    gSearched[model] = 0;
    if (!ModelOptionOn(model)) continue;
    for (int32_t headClass = 0; headClass <= kMaxHeadClass && !gSearched[model]; ++headClass) {
      if (!ClassMatchesModel(headClass, model)) continue;
      const int32_t variants = GetNoteheadClassVariants(headClass);
      for (int32_t v = 0; v <= kMaxHeadVariant; ++v)
        if ((variants >> v) & 1 && NoteheadVariantUsable(v)) gSearched[model] = 1;
    }
  }
}

void AllocateWork() {
  const int32_t width = GetPageImageWidth();
  int32_t largestReach = 0;
  for (int32_t t = 0; t < GetStaffCount(); ++t)
    if (StaffTakesHeads(t)) largestReach = MaxOfInts(largestReach, ScaleToPixelsForStaff(t, 45));
  // Blocks are sized from the largest staff space of the page's staves.
  for (int32_t block = 0; block < 6; ++block) {
    TemplateBlock& b = gBlocks[block];
    b.staff = -1;
    b.reach = 0;
    b.capacity = 2 * largestReach + 1;
    EngineAllocZeroedChecked(b.rows, static_cast<size_t>(b.capacity) * sizeof(TemplateRow));
  }
  // T x page width ends each, never more than the page has runs (a run gives
  // each list at most one end), so a wild page staff space cannot ask for
  // more than the page holds.
  const int64_t ends = static_cast<int64_t>(MaxOfInts(1, ScaleToPixels(60))) * width;
  gEndCapacity = static_cast<int32_t>(std::max<int64_t>(1, std::min<int64_t>(ends, gRunCount)));
  EngineAllocChecked(gLeftEnds, static_cast<size_t>(gEndCapacity) * sizeof(EdgeRun));
  EngineAllocChecked(gRightEnds, static_cast<size_t>(gEndCapacity) * sizeof(EdgeRun));
  gWorkWidth = width;
  for (int32_t*& work : gWork) EngineAllocZeroedChecked(work, static_cast<size_t>(width) * sizeof(int32_t));
  EngineAllocChecked(gPatch, static_cast<size_t>(kMaxHeadPatchPixels));
}

}  // namespace

// ---- The table ----

int32_t AddFoundNotehead(const FoundNotehead& head) {
  FoundNotehead record = head;
  record.firstPoint = EnginePoint{-1, -1};
  record.secondPoint = EnginePoint{-1, -1};
  ENGINE_CHECK(record.pointCount >= 0 && record.pointCount <= 6);
  return gHeads.Append(record);
}

int32_t GetNoteheadCount() { return gHeads.count; }
FoundNotehead GetFoundNotehead(int32_t i) { return gHeads.At(i); }
int32_t GetNoteheadY(int32_t i) { return gHeads.At(i).centreY; }
int32_t GetNoteheadLeftX(int32_t i) { return gHeads.At(i).leftX; }
int32_t GetNoteheadRightX(int32_t i) { return gHeads.At(i).rightX; }
int32_t GetNoteheadModel(int32_t i) { return gHeads.At(i).model; }
int32_t GetNoteheadSmall(int32_t i) { return gHeads.At(i).small; }

NoteheadPlace GetNoteheadPlace(int32_t i) {
  const FoundNotehead& head = gHeads.At(i);
  return NoteheadPlace{head.centreY, head.staff, head.step};
}

int32_t GetNoteheadCost(int32_t i) {
  const FoundNotehead& head = gHeads.At(i);
  ENGINE_CHECK(head.model >= 0 && head.model <= kMaxHeadModel);
  const HeadModel& model = kModels[head.model];
  ENGINE_CHECK(model.recordedAs == head.model && model.gate != ModelGate::kNever);
  const int64_t above = std::max<int64_t>(0, static_cast<int64_t>(head.rawCost) - model.bias);
  return static_cast<int32_t>(
      DivRound64(above * 1024, model.referenceLimit + gPenaltySums[head.model] / 8 - model.bias));
}

void SetNoteheadPenaltySum(int32_t model, int32_t sum) {
  ENGINE_CHECK(model >= 0 && model <= kMaxHeadModel);
  gPenaltySums[model] = sum;
}

int32_t GetNoteheadPenaltySum(int32_t model) {
  ENGINE_CHECK(model >= 0 && model <= kMaxHeadModel);
  return gPenaltySums[model];
}

int32_t GetNoteheadAttachment(int32_t i, int32_t* tag) {
  const FoundNotehead& head = gHeads.At(i);
  if (tag != nullptr) *tag = head.attachmentTag;
  return head.attachmentState;
}

EnginePoint GetNoteheadFirstPoint(int32_t i) { return gHeads.At(i).firstPoint; }
EnginePoint GetNoteheadSecondPoint(int32_t i) { return gHeads.At(i).secondPoint; }
int32_t GetNoteheadAttachedMax(int32_t i) { return gHeads.At(i).attachedMax; }

int32_t GetNoteheadPoints(int32_t i, int32_t* out12) {
  const FoundNotehead& head = gHeads.At(i);
  ENGINE_CHECK_POINTER(out12);
  for (int32_t k = 0; k < head.pointCount; ++k) {
    out12[2 * k] = head.points[k].y;
    out12[2 * k + 1] = head.points[k].x;
  }
  return head.pointCount;
}

int32_t GetNoteheadMark(int32_t i) { return gHeads.At(i).mark; }

void AttachToNotehead(int32_t i, int32_t row, int32_t column, int32_t kind, int32_t tag) {
  FoundNotehead& head = gHeads.At(i);
  const int32_t state = head.attachmentState;
  int32_t next = state;
  if (state == 0) {
    next = kind;
    head.firstPoint = EnginePoint{row, column};
  } else if (state == 1 && kind == 3) {
    next = 6;
  } else if (state == 2 && kind == 2) {
    next = 5;
  } else if (state == 2 && kind == 3) {
    next = 7;
  } else if (state == 3 && kind == 2) {
    next = 7;
  } else if (state == 3 && kind == 1) {
    next = 6;
  }
  if (next != state && state >= 1 && state <= 3) head.secondPoint = EnginePoint{row, column};
  head.attachmentState = next;
  head.attachmentTag = tag;
}

int32_t CountNoteheadAttachment(int32_t i, int32_t row) {
  FoundNotehead& head = gHeads.At(i);
  if (head.centreY < row) {
    if (head.attachedBelow < 255) ++head.attachedBelow;
  } else if (head.attachedAbove < 255) {
    ++head.attachedAbove;
  }
  head.attachedMax = std::max(head.attachedAbove, head.attachedBelow);
  return head.attachedMax;
}

void AddNoteheadPoint(int32_t i, int32_t row, int32_t column) {
  FoundNotehead& head = gHeads.At(i);
  if (head.pointCount >= 6) return;
  head.points[head.pointCount++] = EnginePoint{row, column};
}

void MarkNotehead(int32_t i) { gHeads.At(i).mark = 1; }

void GetNoteheadOutline(int32_t i, HeadOutlineSegment* path) {
  struct OutlinePoint {
    double a;
    double b;
  };
  static constexpr OutlinePoint kOutline1[15] = {
      {0.0, -0.69}, {-0.25, -0.52}, {-0.42, -0.23}, {-0.49, -0.12}, {-0.48, 0.45}, {-0.4, 0.61},
      {-0.25, 0.68}, {0.0, 0.69},   {0.25, 0.52},   {0.42, 0.23},   {0.49, -0.12}, {0.48, -0.45},
      {0.4, -0.61},  {0.25, -0.68}, {0.0, -0.69}};
  static constexpr OutlinePoint kOutline2[15] = {
      {0.0, -0.69}, {-0.25, -0.63}, {-0.41, -0.48}, {-0.5, -0.3}, {-0.5, 0.3},  {-0.41, 0.48},
      {-0.25, 0.63}, {0.0, 0.69},   {0.25, 0.63},   {0.41, 0.48}, {0.5, 0.3},   {0.5, -0.3},
      {0.41, -0.48}, {0.25, -0.63}, {0.0, -0.69}};
  ENGINE_CHECK_POINTER(path);
  const FoundNotehead& head = gHeads.At(i);
  const OutlinePoint* outline = nullptr;
  if (head.model == 0 || head.model == 1 || head.model == 4) outline = kOutline1;
  if (head.model == 2) outline = kOutline2;
  ENGINE_CHECK(outline != nullptr);
  const double s = GetStaffSpace(head.staff);
  const double rowFactor = head.model == 4 ? 1.0 : 1.25;
  const int32_t w = head.rightX - head.leftX;
  EnginePoint points[15];
  for (int32_t k = 0; k < 15; ++k) {
    points[k].y = RoundQ10(RoundToInt(outline[k].a * rowFactor * s) + 1024 + head.centreY * 1024);
    points[k].x = RoundQ10(RoundToInt(outline[k].b * 1088.0 * w / 1.38) + ((head.leftX + head.rightX) * 1024) / 2);
  }
  for (int32_t k = 0; k < kHeadOutlineSegments; ++k)
    path[k] = HeadOutlineSegment{points[k].y,     points[k].x, points[k + 1].y, points[k + 1].x,
                                 (points[k].y + points[k + 1].y) / 2, (points[k].x + points[k + 1].x) / 2};
}

void ReleaseNotehead(int32_t i) {
  gHeads.At(i);
  RemoveObjectPoint(kPointHeadLeft, i);
  RemoveObjectPoint(kPointHeadRight, i);
}

int32_t NoteheadPatchBox(int32_t model, int32_t staffSpace, int32_t centre1024, int32_t left, int32_t right,
                         HeadPatchBox* box) {
  ENGINE_CHECK(model >= 0 && model <= kMaxHeadModel);
  ENGINE_CHECK_POINTER(box);
  const HeadModel& m = kModels[model];
  const int32_t h = RoundToInt(m.patchRows / 1000.0 * staffSpace);
  const int32_t top = RoundQ10(centre1024 - h);
  const int32_t bottom = RoundQ10(centre1024 + h);
  const int32_t w = right - left;
  const int32_t x0 = RoundToInt(left - w * (m.patchColumns / 1000.0));
  const int32_t x1 = RoundToInt(right + w * (m.patchColumns / 1000.0));
  const int64_t rows = static_cast<int64_t>(bottom) - top + 1;
  const int64_t columns = static_cast<int64_t>(x1) - x0 + 1;
  if (rows < 1 || columns < 1 || rows * columns > kMaxHeadPatchPixels || rows >= kEdgeImageLimit ||
      columns >= kEdgeImageLimit)
    return 0;
  *box = HeadPatchBox{top, x0, static_cast<int32_t>(rows), static_cast<int32_t>(columns)};
  return 1;
}

int32_t NoteheadVariantUsable(int32_t variant) {
  switch (variant) {
    case 0: return 1;
    case 1: return GetUseOldReferencesOption() != 0;
    case 2: return GetNoteheadClass2Option() != 0;
    case 3: return GetNoteheadModel4Option() != 0 || GetNoteheadModels5to7Option() != 0;
    default: return 0;
  }
}

int32_t NoteheadModelSearched(int32_t model) {
  ENGINE_CHECK(model >= 0 && model <= kMaxHeadModel);
  return gSearched[model];
}

int32_t GetNoteheadCandidateCount(int32_t model) {
  ENGINE_CHECK(model >= 0 && model <= kMaxHeadModel);
  return gCandidates[model].count;
}

// ---- The driver ----

void DetectNoteheads() {
  FreeNoteheads();
  if (!HasPageImage()) return;
  MakeMirror(gMirror1, kCurve1);
  MakeMirror(gMirror2, kCurve2);
  MakeMirror(gMirror3, kCurve3);
  ChooseSearchedModels();
  bool any = false;
  for (int32_t model = 0; model <= kMaxHeadModel; ++model) any = any || gSearched[model];
  BuildPositions();
  if (!any || gPositions.count == 0 || GetPageImageWidth() < 3) {
    FreeRunTables();
    return;
  }
  ListRuns();
  AllocateWork();
  const bool pair1 = gSearched[0] || gSearched[1];
  const bool pair2 = gSearched[2];
  const bool pair3 = gSearched[4] || gSearched[5] || gSearched[6] || gSearched[7];
  for (int32_t i = 0; i < gPositions.count; ++i) {
    const HeadPosition p = gPositions.At(i);
    if (p.left >= p.right) continue;
    CollectEdgeRuns(p, ScaleToPixels(60));
    if (pair1) {
      ScorePair(1, p);
      if (gSearched[0]) AddCandidates(0, p);
      if (gSearched[1]) AddCandidates(1, p);
    }
    if (pair2) {
      ScorePair(2, p);
      AddCandidates(2, p);
    }
    if (pair3) {
      ScorePair(3, p);
      for (int32_t model : {5, 6, 7, 4})
        if (gSearched[model]) AddCandidates(model, p);
    }
  }
  ClassifyAndSort();
  PenaliseHeadWidths();
  MakeHeads();
  FreeRunTables();
}

void FreeNoteheads() {
  gHeads.Free();
  for (auto& table : gCandidates) table.Free();
  FreeRunTables();
  std::fill(gPenaltySums, gPenaltySums + kMaxHeadModel + 1, 0);
  std::fill(gSearched, gSearched + kMaxHeadModel + 1, 0);
}
