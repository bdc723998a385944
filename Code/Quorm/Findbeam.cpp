// The beam finder.
#include "Code/Quorm/Findbeam.h"

#include <cmath>
#include <cstdlib>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Enginetab.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Merger.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Pixerase.h"
#include "Code/Quorm/options.h"
#include "Code/Quorm/vertsegs.h"

namespace {

EngineTable<FoundBeam, 1000> gBeams("beammodels");

// One vertical run of beam thickness (a first-pass Merger item); a group's
// first run carries the group's run count and length sum.
struct BeamRun {
  int32_t column;
  int32_t first;  // first row
  int32_t end;    // first row below the run
  int32_t count;
  int32_t length;
};

struct RunTriple {
  int32_t column;
  int32_t first;
  int32_t end;
};

// A first-pass group: its runs, one per column from left to right, lie at
// runs[start .. start + runCount - 1] of the triple table.
struct BeamPiece {
  int32_t runCount;
  int32_t lengthSum;
  int32_t start;
};

EngineTable<RunTriple, 4000> gTriples;
EngineTable<BeamPiece, 1000> gPieces;
// The line fit's columns and doubled middles.
EngineTable<int32_t, 4000> gFitXs;
EngineTable<int32_t, 4000> gFitYs;

int32_t gT400 = 0;
int32_t gT200 = 0;
int32_t gReserved = 0;

int64_t MinOfInts64(int64_t a, int64_t b) { return a < b ? a : b; }

// ---- Runs ----

BeamRun* RunOf(const MergeGroup* g) { return static_cast<BeamRun*>(g->item); }

int32_t RunJoinCost(MergeGroup* a, MergeGroup* b) {
  const BeamRun* head = RunOf(a);
  const BeamRun* last = RunOf(a->tail);
  const BeamRun* other = RunOf(b);
  if (other->column != last->column + 1) return kMergeNoJoin;
  if (std::abs((other->first + other->end) - (last->first + last->end)) > 2) return kMergeNoJoin;
  const int32_t d = 16 * head->length / head->count - 16 * (other->end - other->first);
  return DivRound(4 * d * d, 256);
}

void RunJoin(MergeGroup* a, MergeGroup* b) {
  BeamRun* head = RunOf(a);
  const BeamRun* other = RunOf(b);
  head->count += other->count;
  head->length += other->length;
}

MergePoint RunCentre(MergeGroup* g) {
  const BeamRun* run = RunOf(g);
  return {run->column, (run->first + run->end) / 2};
}

void RunBox(MergeBox* out, MergeGroup* g) {
  const BeamRun* last = RunOf(g->tail);
  const int32_t middle = (last->first + last->end) / 2;
  out->x0 = last->column;
  out->x1 = last->column + 2;
  out->y0 = MaxOfInts(0, middle - 4);
  out->y1 = middle + 5;
}

void AddRun(int32_t column, int32_t first, int32_t end) {
  BeamRun* run = static_cast<BeamRun*>(NewMergeItem(sizeof(BeamRun)));
  *run = {column, first, end, 1, end - first};
}

void KeepPiece(MergeGroup* g) {
  BeamPiece piece{0, 0, gTriples.count};
  for (MergeGroup* m = g; m != nullptr; m = m->next) {
    const BeamRun* run = RunOf(m);
    gTriples.Append({run->column, run->first, run->end});
    ++piece.runCount;
    piece.lengthSum += run->end - run->first;
  }
  gPieces.Append(piece);
}

// ---- Pieces and chains ----

BeamPiece* PieceOf(const MergeGroup* g) { return static_cast<BeamPiece*>(g->item); }
const RunTriple& FirstRun(const BeamPiece* p) { return gTriples.At(p->start); }
const RunTriple& LastRun(const BeamPiece* p) { return gTriples.At(p->start + p->runCount - 1); }

struct ChainSummary {
  int32_t runs = 0;
  int32_t lengths = 0;
  int32_t firstColumn = 0;
  int32_t lastColumn = 0;
  int32_t startMiddle2 = 0;  // doubled middle row of the first run
  int32_t endMiddle2 = 0;    // of the last run
  int32_t lowMiddle = 0;     // the smaller and larger of the two end middles
  int32_t highMiddle = 0;
};

ChainSummary Summarise(MergeGroup* g) {
  ChainSummary s;
  const BeamPiece* head = PieceOf(g);
  s.firstColumn = FirstRun(head).column;
  s.startMiddle2 = FirstRun(head).first + FirstRun(head).end;
  s.lastColumn = s.firstColumn;
  s.endMiddle2 = s.startMiddle2;
  for (MergeGroup* m = g; m != nullptr; m = m->next) {
    const BeamPiece* p = PieceOf(m);
    s.runs += p->runCount;
    s.lengths += p->lengthSum;
    if (LastRun(p).column >= s.lastColumn) {
      s.lastColumn = LastRun(p).column;
      s.endMiddle2 = LastRun(p).first + LastRun(p).end;
    }
  }
  s.lowMiddle = MinOfInts(s.startMiddle2, s.endMiddle2) / 2;
  s.highMiddle = MaxOfInts(s.startMiddle2, s.endMiddle2) / 2;
  return s;
}

int32_t OrderByFirstColumn(void* a, void* b) {
  return FirstRun(static_cast<BeamPiece*>(a)).column - FirstRun(static_cast<BeamPiece*>(b)).column;
}

// The half-height (x1024) of the band across a gap between two pieces.
int32_t GapBandHalf(const BeamPiece* a, const BeamPiece* b, int32_t band) {
  const int32_t s100 = ScaleToPixels(100);
  const int64_t lengths = static_cast<int64_t>(a->lengthSum) + b->lengthSum;
  const int64_t runs = static_cast<int64_t>(a->runCount) + b->runCount;
  return static_cast<int32_t>(DivRound64(4 * (768 * lengths + static_cast<int64_t>(s100) * band), 8 * (runs + s100)));
}

int32_t BeamBand() {
  const int32_t thickness = GetPageLineThickness();
  if (GetBeamWidthOption()) return thickness;
  return MaxOfInts(GetPageStaffSpace() / 8 + thickness, PercentOfStaffSpace(30));
}

// The cost of the gap between two neighbouring pieces of a chain.
int32_t GapCost(const BeamPiece* left, const BeamPiece* right) {
  const int32_t tooMuch = ScaleToPixels(1500) + 1;
  const RunTriple& from = LastRun(left);
  const RunTriple& to = FirstRun(right);
  if (to.column <= from.column) return tooMuch;
  const int32_t gap = to.column - from.column - 1;
  const int32_t from2 = from.first + from.end;
  const int32_t to2 = to.first + to.end;
  const int32_t jump = std::abs(to2 - from2) / 2;
  int32_t cost = jump + gap + (jump > gap ? 48 * (jump - gap) : 0);
  if (gap == 0) return cost;
  const int32_t h = GapBandHalf(left, right, BeamBand());
  int32_t white = 0;
  int32_t total = 0;
  for (int32_t x = from.column + 1; x < to.column; ++x) {
    // Centre x1024, interpolated between the two end middles.
    const int64_t centre =
        512 * (from2 + DivRound64(static_cast<int64_t>(to2 - from2) * (x - from.column), to.column - from.column));
    const int32_t y0 = RoundQ10(static_cast<int32_t>(centre - h));
    const int32_t y1 = RoundQ10(static_cast<int32_t>(centre + h));
    for (int32_t y = y0; y <= y1; ++y) {
      ++total;
      if (!GetPagePixel(y, x)) ++white;
    }
  }
  if (total > 0) cost += static_cast<int32_t>(DivRound64(100LL * gap * white, total));
  return cost;
}

// Distance of a point from the line through two others, in pixels; rows
// are doubled middles.
int32_t LineDeviation(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x, int32_t y) {
  if (x1 == x0) return std::abs(y - y0) / 2;
  const int64_t predicted = y0 + DivRound64(static_cast<int64_t>(y1 - y0) * (x - x0), x1 - x0);
  return static_cast<int32_t>(std::llabs(y - predicted) / 2);
}

int32_t ChainJoinCost(MergeGroup* a, MergeGroup* b) {
  const ChainSummary sa = Summarise(a);
  const ChainSummary sb = Summarise(b);
  if (sa.firstColumn >= sb.firstColumn) return kMergeNoJoin;
  const int32_t d = 16 * sa.lengths / sa.runs - 16 * sb.lengths / sb.runs;
  if (std::abs(d) > 16 * (ScaleToPixels(20) + 1)) return kMergeNoJoin;
  const int32_t tooMuch = ScaleToPixels(1500) + 1;
  int64_t cost = DivRound(4 * d * d, 16 * MaxOfInts(1, ScaleToPixels(100)));
  const int32_t e1 = LineDeviation(sa.firstColumn, sa.startMiddle2, sa.lastColumn, sa.endMiddle2, sb.firstColumn,
                                   sb.startMiddle2);
  const int32_t e2 = LineDeviation(sb.firstColumn, sb.startMiddle2, sb.lastColumn, sb.endMiddle2, sa.lastColumn,
                                   sa.endMiddle2);
  if (e1 < 101 && e2 < 101)
    cost += DivRound(100 * (e1 * e1 + e2 * e2), MaxOfInts(1, ScaleToPixels(100)));
  else
    cost += tooMuch;
  // The pieces of both chains in column order, and the gaps between them.
  MergeGroup* x = a;
  MergeGroup* y = b;
  const BeamPiece* previous = nullptr;
  while (x != nullptr || y != nullptr) {
    MergeGroup** pick = &x;
    if (x == nullptr || (y != nullptr && OrderByFirstColumn(y->item, x->item) < 0)) pick = &y;
    const BeamPiece* piece = PieceOf(*pick);
    *pick = (*pick)->next;
    if (previous != nullptr) cost += GapCost(previous, piece);
    previous = piece;
    if (cost >= kMergeNoJoin) return kMergeNoJoin - 1;
  }
  return static_cast<int32_t>(MinOfInts64(cost, kMergeNoJoin - 1));
}

void ChainJoin(MergeGroup*, MergeGroup*) {}

MergePoint ChainCentre(MergeGroup* g) {
  const RunTriple& run = FirstRun(PieceOf(g));
  return {run.column, (run.first + run.end) / 2};
}

void ChainBox(MergeBox* out, MergeGroup* g) {
  const ChainSummary s = Summarise(g);
  out->x0 = MaxOfInts(0, s.firstColumn);
  out->x1 = s.lastColumn + gT400 + 1;
  out->y0 = MaxOfInts(0, s.lowMiddle - gT200);
  out->y1 = s.highMiddle + gT200 + 1;
}

// ---- Fitting and scoring a chain ----

struct BeamLine {
  double slope;
  double intercept;
  int32_t Row(int32_t x) const { return RoundToInt(slope * x + intercept); }
};

// At least four of the five pixels across the line at the column are black.
bool BeamColumnHolds(const BeamLine& line, int32_t x, int32_t t6, int32_t t3) {
  const int32_t r = line.Row(x);
  const int32_t black = GetPagePixel(r, x) + GetPagePixel(r - t6, x) + GetPagePixel(r + t6, x) +
                        GetPagePixel(r - t3, x) + GetPagePixel(r + t3, x);
  return black >= 4;
}

// The most columns along any straight line near one edge of the beam where
// the edge shows: white s5 pixels outside it and black one row inside.
int32_t EdgeEvidence(int32_t left, int32_t right, int32_t leftEdge, int32_t rightEdge, int32_t t, int32_t outside,
                     int32_t side) {
  const int32_t length = right - left;
  int32_t best = 0;
  for (int32_t a = leftEdge - t; a <= leftEdge + t; ++a)
    for (int32_t b = rightEdge - t; b <= rightEdge + t; ++b) {
      int32_t count = 0;
      for (int32_t x = left; x < right; ++x) {
        const int32_t row = a + DivRound((b - a) * (x - left), length);
        if (!GetPagePixel(row + side * outside, x) && GetPagePixel(row - side, x)) ++count;
      }
      RaiseTo(count, &best);
    }
  return best;
}

int32_t SideCost(const BeamLine& line, int32_t left, int32_t right, int32_t thickness) {
  const int32_t t = RoundQ10(PercentOfStaffSpace(10) + GetPageLineThickness() + 1500);
  const int32_t half = RoundQ10(thickness / 2);
  const int32_t outside = RoundToInt(ScaleToPixelsExact(5));
  const int32_t h1 = EdgeEvidence(left, right, line.Row(left) - half, line.Row(right) - half, t, outside, -1);
  const int32_t h2 = EdgeEvidence(left, right, line.Row(left) + half, line.Row(right) + half, t, outside, +1);
  const int32_t h = h1 + h2;
  int32_t p = 2 * (right - left);
  const int32_t s300 = ScaleToPixels(300);
  if (p > s300) p = (p + s300) / 2;
  if (p <= 0 || h >= p) return 0;
  const int64_t q = static_cast<int64_t>(p - h) * 1024 / p;
  return static_cast<int32_t>(2 * q * q / 1024);
}

int32_t ColumnInk(const BeamLine& line, int32_t x, int32_t atColumn, int32_t reach) {
  const int32_t r = line.Row(x);
  return CountColumnInk(atColumn, r - reach, r + reach + 1);
}

// How sharply the ink stops at one end (direction -1 at the left end).
int32_t EndCost(const BeamLine& line, int32_t end, int32_t direction, int32_t thickness) {
  const int32_t step = ScaleToPixels(8);
  const int32_t within = ScaleToPixels(15);
  const int32_t reach = RoundQ10(thickness / 2) + ScaleToPixels(30);
  int32_t d = INT32_MIN;
  for (int32_t x = end - within; x <= end + within; ++x)
    RaiseTo(ColumnInk(line, x, x, reach) - ColumnInk(line, x, x + direction * step, reach), &d);
  const int32_t t = RoundQ10(thickness);
  if (t <= 0 || d >= t) return 0;
  const int64_t q = static_cast<int64_t>(t - d) * 1024 / t;
  return static_cast<int32_t>(q * q / 1024);
}

int32_t FillCost(const BeamLine& line, int32_t left, int32_t right, int32_t thickness) {
  const int32_t half = RoundQ10(3 * thickness / 8);
  int64_t white = 0;
  int64_t total = 0;
  for (int32_t x = left; x < right; ++x) {
    const int32_t r = line.Row(x);
    const int32_t band = 2 * half + 1;
    total += band;
    white += band - CountColumnInk(x, r - half, r + half + 1);
  }
  if (total == 0) return 0;
  const double w = static_cast<double>(white) / static_cast<double>(total);
  return RoundToInt(200000.0 * w * w);
}

void StoreModel(const FoundBeam& beam) {
  ENGINE_CHECK(gBeams.count < gReserved);
  gBeams.Append(beam);
}

void FitChain(MergeGroup* g) {
  const ChainSummary s = Summarise(g);
  const int32_t span = s.lastColumn - s.firstColumn + 1;
  if (s.runs <= ScaleToPixels(50) || 2 * s.runs < span) return;
  gFitXs.count = 0;
  gFitYs.count = 0;
  for (MergeGroup* m = g; m != nullptr; m = m->next) {
    const BeamPiece* p = PieceOf(m);
    for (int32_t k = 0; k < p->runCount; ++k) {
      const RunTriple& run = gTriples.At(p->start + k);
      gFitXs.Append(run.column);
      gFitYs.Append(run.first + run.end);
    }
  }
  const LinearFitResult fit = LinearFit(gFitXs.records, gFitYs.records, gFitXs.count);
  const BeamLine line{fit.slope / 2, fit.intercept / 2};
  const double variance = fit.residual / 4;
  const int32_t thickness = static_cast<int32_t>(DivRound64(static_cast<int64_t>(s.lengths) * 1024, s.runs));
  const int32_t t6 = RoundQ10(thickness / 6);
  const int32_t t3 = RoundQ10(thickness / 3);

  const int32_t width = GetPageImageWidth();
  int32_t leftFail = s.firstColumn - 1;
  while (leftFail >= 0 && BeamColumnHolds(line, leftFail, t6, t3)) --leftFail;
  int32_t right = s.lastColumn + 1;
  while (right < width && BeamColumnHolds(line, right, t6, t3)) ++right;
  const int32_t left = leftFail + 1;
  const int32_t leftRow = line.Row(leftFail);
  const int32_t rightRow = line.Row(right);
  const int32_t height = GetPageImageHeight();
  if (leftFail < 0 || right >= width || leftRow < 0 || leftRow >= height || rightRow < 0 || rightRow >= height) return;
  const int32_t length = right - left;

  const double e = std::exp(-0.05 * s.runs);
  const double s5 = ScaleToPixelsExact(5);
  const double spread = s5 > 0 ? variance / (s5 * s5) : 0.0;
  int64_t cost = RoundToInt(250.0 * std::fabs(line.slope)) + RoundToInt(75.0 * (e + spread * (1.0 - e)));
  cost += SideCost(line, left, right, thickness);
  cost += EndCost(line, left, -1, thickness) + EndCost(line, right - 1, +1, thickness);
  cost += FillCost(line, left, right, thickness);
  if (length > gT400 && length > 0) cost = cost * gT400 / length;
  const int32_t stored = static_cast<int32_t>(MinOfInts64(cost, INT32_MAX));

  FoundBeam beam{left, right, leftRow, rightRow, thickness, stored, 0};
  if (length <= ScaleToPixels(300) && stored < kShortBeamCostLimit) {
    beam.shortModel = 1;
    StoreModel(beam);
  }
  if (length >= ScaleToPixels(125) && stored < kLongBeamCostLimit) {
    beam.shortModel = 0;
    StoreModel(beam);
  }
}

void ReserveChain(MergeGroup* g) {
  if (Summarise(g).runs > ScaleToPixels(50)) gReserved += 2;
}

void FreeFinderWork() {
  gTriples.Free();
  gPieces.Free();
  gFitXs.Free();
  gFitYs.Free();
}

}  // namespace

int32_t BeamMinimumRun() {
  const int32_t thickness = GetPageLineThickness();
  if (GetBeamWidthOption()) return RoundQ10(thickness);
  return RoundQ10(MaxOfInts(GetPageStaffSpace() / 8 + thickness, PercentOfStaffSpace(30)));
}

void DetectBeams() {
  gBeams.count = 0;
  // Without a staff space there is nothing to measure a beam by.
  if (GetPageStaffSpace() <= 0) return;
  gT400 = ScaleToPixels(400);
  gT200 = ScaleToPixels(200);
  const int32_t shortest = BeamMinimumRun();
  const int32_t longest = ScaleToPixels(80) + 2;

  BeginMerge();
  const int32_t segments = GetVerticalSegmentCount();
  for (int32_t i = 0; i < segments; ++i) {
    const VerticalSegment* v = GetVerticalSegment(i);
    const int32_t length = v->end - v->top;
    if (length >= shortest && length <= longest) {
      if (!v->mark1) AddRun(v->x, v->top, v->end);
    } else if (length > longest && length <= 2 * longest) {
      if (v->mark2 && v->mark3) continue;
      const int32_t middle = (v->top + v->end) / 2;
      AddRun(v->x, v->top, middle);
      AddRun(v->x, middle, v->end);
    } else if (length > 2 * longest && length <= 3 * longest) {
      const int32_t third = (v->end + 2 * v->top) / 3;
      const int32_t twoThirds = (v->top + 2 * v->end) / 3;
      AddRun(v->x, v->top, third);
      AddRun(v->x, third, twoThirds);
      AddRun(v->x, twoThirds, v->end);
    }
  }
  const int32_t s5 = ScaleToPixels(5) + 1;
  RunMerge(RunJoinCost, RunJoin, RunCentre, RunBox, nullptr, 8, 8, 4 * s5 * s5);
  gTriples.count = 0;
  gPieces.count = 0;
  ForEachMergedGroup(KeepPiece);
  EndMerge();

  BeginMerge();
  for (int32_t i = 0; i < gPieces.count; ++i) AddMergeItem(&gPieces.At(i));
  RunMerge(ChainJoinCost, ChainJoin, ChainCentre, ChainBox, OrderByFirstColumn, 8, 8,
           MaxOfInts(1, ScaleToPixels(1500)));
  gReserved = 0;
  ForEachMergedGroup(ReserveChain);
  if (gReserved < 1) gReserved = 1;
  ForEachMergedGroup(FitChain);
  EndMerge();
  FreeFinderWork();

  for (int32_t i = 0; i < gBeams.count; ++i) {
    const FoundBeam& beam = gBeams.At(i);
    AddObjectPoint(kPointBeamLeft, i, beam.leftY, beam.leftX);
    AddObjectPoint(kPointBeamRight, i, beam.rightY, beam.rightX);
  }
}

int32_t AddFoundBeam(const FoundBeam& beam) { return gBeams.Append(beam); }
int32_t GetBeamCount() { return gBeams.count; }
FoundBeam GetFoundBeam(int32_t i) { return gBeams.At(i); }
EnginePoint GetBeamLeftEnd(int32_t i) {
  const FoundBeam& beam = gBeams.At(i);
  return {beam.leftY, beam.leftX};
}
EnginePoint GetBeamRightEnd(int32_t i) {
  const FoundBeam& beam = gBeams.At(i);
  return {beam.rightY, beam.rightX};
}
int32_t GetBeamThickness(int32_t i) { return gBeams.At(i).thickness; }
int32_t GetBeamCost(int32_t i) { return gBeams.At(i).cost; }
int32_t GetBeamFlag(int32_t i) { return gBeams.At(i).shortModel; }

void EraseBeam(int32_t i) {
  const FoundBeam beam = gBeams.At(i);
  const int32_t half = RoundQ10(beam.thickness / 2) + 4;
  const int32_t x0 = beam.leftX - 2;
  const int32_t x1 = beam.rightX + 2;
  static EraseShape shape;
  ClearShape(&shape);
  AddShapeTriangle(&shape, {beam.leftY - half, x0}, {beam.rightY - half, x1}, {beam.rightY + half, x1});
  AddShapeTriangle(&shape, {beam.leftY - half, x0}, {beam.rightY + half, x1}, {beam.leftY + half, x0});
  EraseShapePixels(shape);
}

void ReleaseBeam(int32_t i) {
  gBeams.At(i);
  RemoveObjectPoint(kPointBeamLeft, i);
  RemoveObjectPoint(kPointBeamRight, i);
}

void FreeBeams() {
  gBeams.Free();
  FreeFinderWork();
  gT400 = 0;
  gT200 = 0;
  gReserved = 0;
}
