// The vertical-line finder.
#include "Code/Quorm/Findstem.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Enginetab.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Merger.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/joints.h"
#include "Code/Quorm/smooth.h"

namespace {

EngineTable<FoundVerticalLine, 1000> gLines("vertlines");

// A thin horizontal black run.
struct StemRun {
  int32_t row;
  int32_t first;  // first column
  int32_t end;    // first column after it
};
static_assert(sizeof(StemRun) == 12, "3 words");

// Runs of the same columns on consecutive rows (a first-pass Merger item); a
// group's first piece carries the group's mean column and width and its row
// count.
struct StemPiece {
  int32_t column;  // x1024, centre corrected for skew
  int32_t width;   // x1024
  int32_t first;   // first row
  int32_t end;     // last row + 1
  int32_t count;   // rows
};

// A first-pass group (a second-pass Merger item); a chain's first segment
// carries the chain's weight and merged mean width.
struct StemSegment {
  int32_t column;
  int32_t width;
  int32_t first;
  int32_t end;
  int32_t count;
  int32_t weight;
};

StemRun* gRuns = nullptr;  // "hrunsforvl"
EngineTable<StemSegment, 1000> gSegments;
int32_t* gTrack = nullptr;  // per page row: the line's column x1024 (skew term included)

int32_t gSkew = 0;
int32_t gTolerance = 0;
int32_t gFirstLimit = 0;
int32_t gLookAhead = 0;
int32_t gHalfWindow = 0;

constexpr int32_t kSecondLimit = 3072;

// ---- Runs and pieces ----

// Calls visit(first, end) for every black run of the row, left to right.
template <class Visit>
void ForEachRowRun(int32_t row, Visit visit) {
  const uint32_t* words = GetPageRow(row);
  const int32_t width = GetPageImageWidth();
  const int32_t n = GetPageWordsPerRow();
  int32_t x = 0;
  while (x < width) {
    int32_t w = x >> 5;
    uint32_t bits = words[w] & (~0u << (x & 31));
    while (bits == 0) {
      if (++w >= n) return;
      bits = words[w];
    }
    const int32_t start = (w << 5) + __builtin_ctz(bits);
    if (start >= width) return;
    w = start >> 5;
    bits = ~words[w] & (~0u << (start & 31));
    int32_t end = width;
    while (true) {
      if (bits != 0) {
        end = MinOfInts(width, (w << 5) + __builtin_ctz(bits));
        break;
      }
      if (++w >= n) break;
      bits = ~words[w];
    }
    visit(start, end);
    x = end;
  }
}

StemPiece* PieceOf(const MergeGroup* g) { return static_cast<StemPiece*>(g->item); }

void AddPiece(const StemRun& top, int32_t endRow) {
  StemPiece* piece = static_cast<StemPiece*>(NewMergeItem(sizeof(StemPiece)));
  const int64_t column =
      (static_cast<int64_t>(top.row + endRow) * gSkew + static_cast<int64_t>(top.first + top.end) * 1024) / 2;
  *piece = {static_cast<int32_t>(column), (top.end - top.first) * 1024, top.row, endRow, endRow - top.row};
}

// The runs of length 1 .. ScaleToPixels(33) + 1 that stop short of the right
// page edge, stacked into pieces as Merger items; returns how many.
int64_t AddPieces() {
  const int32_t height = GetPageImageHeight();
  const int32_t width = GetPageImageWidth();
  const int32_t longest = ScaleToPixels(33) + 1;
  const auto keep = [&](int32_t first, int32_t end) { return end - first <= longest && end < width; };
  int64_t count = 0;
  for (int32_t y = 0; y < height; ++y)
    ForEachRowRun(y, [&](int32_t first, int32_t end) { count += keep(first, end) ? 1 : 0; });
  if (count == 0) return 0;
  if (!NamedAlloc(gRuns, static_cast<size_t>(count) * sizeof(StemRun), "hrunsforvl"))
    OnEngineSafeHeapExhausted(nullptr, static_cast<size_t>(count) * sizeof(StemRun));
  int64_t n = 0;
  for (int32_t y = 0; y < height; ++y)
    ForEachRowRun(y, [&](int32_t first, int32_t end) {
      if (keep(first, end)) gRuns[n++] = {y, first, end};
    });
  std::sort(gRuns, gRuns + n, [](const StemRun& a, const StemRun& b) {
    if (a.first != b.first) return a.first < b.first;
    if (a.end != b.end) return a.end < b.end;
    return a.row < b.row;
  });
  int64_t start = 0;
  int64_t pieces = 0;
  for (int64_t i = 1; i <= n; ++i) {
    const bool goesOn = i < n && gRuns[i].first == gRuns[i - 1].first && gRuns[i].end == gRuns[i - 1].end &&
                        gRuns[i].row == gRuns[i - 1].row + 1;
    if (goesOn) continue;
    AddPiece(gRuns[start], gRuns[i - 1].row + 1);
    ++pieces;
    start = i;
  }
  NamedFree(gRuns);
  return pieces;
}

// ---- First pass: pieces stacked into segments ----

int32_t PieceJoinCost(MergeGroup* a, MergeGroup* b) {
  const StemPiece* head = PieceOf(a);
  const StemPiece* other = PieceOf(b);
  if (other->first != PieceOf(a->tail)->end) return kMergeNoJoin;
  const int64_t cost = std::llabs(static_cast<int64_t>(head->width) - other->width) +
                       2 * std::llabs(static_cast<int64_t>(head->column) - other->column);
  return static_cast<int32_t>(std::min<int64_t>(cost, kMergeNoJoin - 1));
}

void PieceJoin(MergeGroup* a, MergeGroup* b) {
  StemPiece* head = PieceOf(a);
  const StemPiece* other = PieceOf(b);
  const int32_t count = head->count + other->count;
  head->column += static_cast<int32_t>(DivRound64(static_cast<int64_t>(other->column - head->column) * other->count, count));
  head->width += static_cast<int32_t>(DivRound64(static_cast<int64_t>(other->width - head->width) * other->count, count));
  head->count = count;
}

MergePoint PieceCentre(MergeGroup* g) {
  const StemPiece* head = PieceOf(g);
  return {MaxOfInts(0, RoundQ10(head->column)), head->first};
}

void PieceBox(MergeBox* out, MergeGroup* g) {
  const int32_t column = RoundQ10(PieceOf(g)->column);
  const int32_t end = PieceOf(g->tail)->end;
  out->x0 = MaxOfInts(0, column - gTolerance);
  out->x1 = MaxOfInts(0, column + gTolerance + 1);
  out->y0 = end;
  out->y1 = end + 1;
}

void KeepSegment(MergeGroup* g) {
  const StemPiece* head = PieceOf(g);
  gSegments.Append({head->column, head->width, head->first, PieceOf(g->tail)->end, head->count, head->count});
}

// ---- Second pass: segments chained across gaps ----

StemSegment* SegmentOf(const MergeGroup* g) { return static_cast<StemSegment*>(g->item); }

int32_t OrderByFirstRow(void* a, void* b) {
  return static_cast<StemSegment*>(a)->first - static_cast<StemSegment*>(b)->first;
}

// The pixel column of a column x1024 (skew term included) at a row.
int32_t PixelColumn(int64_t column, int32_t row) {
  return RoundQ10(static_cast<int32_t>(column - static_cast<int64_t>(row) * gSkew - 512));
}

bool WhiteAcross(int32_t row, int32_t x) {
  return !GetPagePixel(row, x - 1) && !GetPagePixel(row, x) && !GetPagePixel(row, x + 1);
}

// Walks the segments of two chains in row order, calling visit(p, q) for
// every vertically adjacent pair; stops when visit answers false.
template <class Visit>
void ForEachAdjacentPair(MergeGroup* a, MergeGroup* b, Visit visit) {
  MergeGroup* x = a;
  MergeGroup* y = b;
  const StemSegment* previous = nullptr;
  while (x != nullptr || y != nullptr) {
    MergeGroup** pick = &x;
    if (x == nullptr || (y != nullptr && SegmentOf(y)->first < SegmentOf(x)->first)) pick = &y;
    const StemSegment* q = SegmentOf(*pick);
    *pick = (*pick)->next;
    if (previous != nullptr && !visit(previous, q)) return;
    previous = q;
  }
}

int32_t CostValue(double cost) {
  if (!(cost < static_cast<double>(kMergeNoJoin - 1))) return kMergeNoJoin - 1;
  return static_cast<int32_t>(cost);
}

// The cost of chaining chain b below chain a. The cost is the larger of the
// worst pair term and the worst gap term, so once a part of it reaches the
// Merger's bound the rest need not be measured.
int32_t ChainJoinCost(MergeGroup* a, MergeGroup* b) {
  const StemSegment* ha = SegmentOf(a);
  const StemSegment* hb = SegmentOf(b);
  if (hb->first < ha->first) return kMergeNoJoin;
  const double bound = MergeCostBound();
  const double S = GetPageStaffSpace();
  const double s1 = 0.02 * S + 500;
  const double s2 = 0.01 * S + 250;
  const double s1s = s1 * s1;
  const double ca = ha->weight;
  const double cb = hb->weight;
  const double gapScale = std::fmin(0.004 * S, 2.5 * std::fmax(ca, cb));
  const double whiteScale = std::fmin(0.0005 * S, std::fmin(ca, cb));
  const auto gapTerm = [&](const StemSegment* p, const StemSegment* q) {
    return gapScale > 0 ? 3.0 * (q->first - p->end) / gapScale : 0.0;
  };
  // Overlaps and the gap lengths first: no pixel is read for them.
  bool overlap = false;
  double largestG = 0;
  ForEachAdjacentPair(a, b, [&](const StemSegment* p, const StemSegment* q) {
    if (q->first < p->end) {
      overlap = true;
      return false;
    }
    largestG = std::fmax(largestG, gapTerm(p, q));
    return true;
  });
  if (overlap) return kMergeNoJoin;
  if (1024.0 * largestG >= bound) return CostValue(1024.0 * largestG);
  const double v0 = s2 * s2 * (1 / cb + 1 / ca) + s1s;
  const double base = (std::fabs(static_cast<double>(ha->width) - hb->width) / 2) / std::sqrt(v0) + 0.5 * std::log(v0 / s1s);
  double largestT = -1e300;
  bool enough = false;
  ForEachAdjacentPair(a, b, [&](const StemSegment* p, const StemSegment* q) {
    const double midP = (p->first + p->end) / 2.0;
    const double midQ = (q->first + q->end) / 2.0;
    const double rise = 10.0 * (midQ - midP);
    const double v = rise * rise + s2 * s2 * (1.0 / p->count + 1.0 / q->count) + s1s;
    const double t = std::fabs(static_cast<double>(p->column) - q->column) / std::sqrt(v) + 0.5 * std::log(v / s1s);
    largestT = std::fmax(largestT, t);
    int32_t white = 0;
    for (int32_t row = p->end; row < q->first; ++row) {
      const double along = (row - midP) / (midQ - midP);
      const int64_t column = p->column + static_cast<int64_t>(std::llround((q->column - p->column) * along));
      if (WhiteAcross(row, PixelColumn(column, row))) ++white;
    }
    const double g = gapTerm(p, q) + (whiteScale > 0 ? 3.0 * white / whiteScale : 0);
    largestG = std::fmax(largestG, g);
    enough = 1024.0 * std::fmax(largestT + base, largestG) >= bound;
    return !enough;
  });
  return CostValue(1024.0 * std::fmax(largestT + base, largestG));
}

void ChainJoin(MergeGroup* a, MergeGroup* b) {
  StemSegment* ha = SegmentOf(a);
  const StemSegment* hb = SegmentOf(b);
  const int64_t weight = static_cast<int64_t>(ha->weight) + hb->weight;
  ha->width = static_cast<int32_t>(
      DivRound64(static_cast<int64_t>(ha->width) * ha->weight + static_cast<int64_t>(hb->width) * hb->weight, weight));
  ha->weight = static_cast<int32_t>(weight);
}

MergePoint ChainCentre(MergeGroup* g) {
  const StemSegment* head = SegmentOf(g);
  return {MaxOfInts(0, RoundQ10(head->column)), head->first};
}

void ChainBox(MergeBox* out, MergeGroup* g) {
  const StemSegment* head = SegmentOf(g);
  const StemSegment* tail = SegmentOf(g->tail);
  const int32_t column = RoundQ10(static_cast<int32_t>((static_cast<int64_t>(head->column) + tail->column) / 2));
  out->x0 = MaxOfInts(0, column - gHalfWindow);
  out->x1 = MaxOfInts(0, column + gHalfWindow + 1);
  out->y0 = head->first;
  out->y1 = tail->end + gLookAhead + 1;
}

// ---- Chains into lines ----

constexpr int32_t kSolidityCosts[5] = {20, 301, 693, 1347, 3912};
constexpr int32_t kSolidityPattern[5] = {0, 0, 1, 3, 4};

// How likely the row shows a line of the width centred at x (x1024, skew
// removed): ten samples across it against the pattern of a solid line.
double RowLikelihood(int32_t row, int32_t x, int32_t width) {
  const int32_t w = width / 2;
  const int32_t s = (width + GetPageStaffSpace() / 3) / 2;
  const int32_t offsets[5] = {(w + 5 * s) / 6, (w + s) / 2, (11 * w + s) / 12 + 256, 7 * w / 8 - 256, w / 4};
  int32_t ha = 357;
  int32_t hb = 2302;
  int32_t hc = 2302;
  int32_t hd = 2302;
  for (int32_t side = -1; side <= 1; side += 2)
    for (int32_t k = 0; k < 5; ++k) {
      const int32_t b = 4 * GetPagePixel(row, RoundQ10(side * offsets[k] + x - 512));
      const int32_t toPattern = kSolidityCosts[std::abs(b - kSolidityPattern[k])];
      const int32_t toBlack = kSolidityCosts[std::abs(b - 4)];
      ha += toPattern;
      hb += toBlack;
      hc += toPattern;
      hd += toBlack;
    }
  const int32_t m = std::min({ha - 6 * 20 - 4 * 301, hb - 2 * (301 + 4 * 20), hc - 2 * (301 + 4 * 20), hd - 10 * 20});
  return 1.0 / (1.167 * std::exp((m - 2302) / 1000.0) + 0.833);
}

struct ChainLine {
  int32_t top, bottom;        // rows, both in the line
  int32_t windowTop, windowEnd;
  int32_t width;
  int32_t space;              // the local staff space in pixels
};

// The line's pixel column at a row inside the window.
int32_t TrackColumn(int32_t row) { return PixelColumn(gTrack[row], row); }

bool InkAcross(int32_t row, int32_t x) { return !WhiteAcross(row, x); }

// The longest run of rows from top to bottom where the line and both its
// neighbours are white.
int32_t LongestWhiteGap(const JointLine& line, const ChainLine& c) {
  int32_t longest = 0;
  int32_t run = 0;
  for (int32_t row = line.top.y; row <= line.bottom.y; ++row) {
    const int32_t x = row >= c.windowTop && row < c.windowEnd ? TrackColumn(row) : JointLineColumnAtRow(line, row);
    if (WhiteAcross(row, x)) {
      RaiseTo(++run, &longest);
    } else {
      run = 0;
    }
  }
  return longest;
}

// Heads at one end only: the other end goes on to the farthest good beam.
void ExtendToBeam(JointLine* line) {
  const int32_t reach = ScaleToPixels(100);
  const int32_t x0 = MinOfInts(line->top.x, line->bottom.x);
  const int32_t x1 = MaxOfInts(line->top.x, line->bottom.x);
  bool headAtTop = false;
  bool headAtBottom = false;
  {
    // The head box reaches a head's width further left, where the left side
    // of a head with its stem at the right lies.
    PointsInBox heads(kPointHeadLeft, EngineBox{x0 - reach - ScaleToPixels(100), line->top.y - ScaleToPixels(300),
                                                x1 + reach + 1, line->bottom.y + ScaleToPixels(100) + 1});
    for (int32_t i = 0; i < heads.count(); ++i) {
      const JointResult r = JoinNoteheadToLine(heads[i], *line);
      if (r.first == 0 || r.confidence >= kJointNoEvidence) continue;
      if (r.second == kJointHeadAtTop) headAtTop = true;
      if (r.second == kJointHeadAtBottom) headAtBottom = true;
    }
  }
  if (headAtTop == headAtBottom) return;
  const int32_t wide = ScaleToPixels(500);
  PointsInBox beams(kPointBeamLeft, EngineBox{x0 - reach - wide, line->top.y - ScaleToPixels(2000),
                                              x1 + reach + wide + 1, line->bottom.y + ScaleToPixels(100) + 1});
  const JointLine before = *line;
  int32_t farthest = headAtTop ? before.bottom.y : before.top.y;
  for (int32_t i = 0; i < beams.count(); ++i) {
    const int32_t beam = beams[i];
    const FoundBeam b = GetFoundBeam(beam);
    if (b.rightX - b.leftX <= ScaleToPixels(250) || b.cost >= 256) continue;
    const JointResult r = JoinBeamToLine(beam, before);
    if (r.first == 0 || r.confidence >= kJointNoEvidence) continue;
    const int32_t x = headAtTop ? before.bottom.x : before.top.x;
    const int32_t row =
        b.leftY + static_cast<int32_t>(DivRound64(static_cast<int64_t>(b.rightY - b.leftY) * (x - b.leftX), b.rightX - b.leftX));
    const int32_t half = RoundQ10(b.thickness / 2);
    if (headAtTop)
      RaiseTo(row + half, &farthest);
    else
      LowerTo(&farthest, row - half);
  }
  ClampTo(0, &farthest, GetPageImageHeight() - 1);
  const int32_t width = GetPageImageWidth();
  if (headAtTop) {
    int32_t column = JointLineColumnAtRow(before, farthest);
    ClampTo(0, &column, width - 1);
    line->bottom = {farthest, column};
  } else {
    int32_t column = JointLineColumnAtRow(before, farthest);
    ClampTo(0, &column, width - 1);
    line->top = {farthest, column};
  }
}

void StoreLine(const FoundVerticalLine& line) {
  const int32_t index = gLines.Append(line);
  AddObjectPoint(kPointStemTop, index, line.topY, line.topX);
  AddObjectPoint(kPointStemBottom, index, line.bottomY, line.bottomX);
}

void MakeLine(MergeGroup* g) {
  const StemSegment* head = SegmentOf(g);
  const int32_t r0 = head->first;
  int32_t r1 = r0;
  int64_t weighted = 0;
  int64_t rows = 0;
  for (MergeGroup* m = g; m != nullptr; m = m->next) {
    const StemSegment* s = SegmentOf(m);
    RaiseTo(s->end, &r1);
    weighted += static_cast<int64_t>(s->column) * s->count;
    rows += s->count;
  }
  if (r1 - r0 < 5 || rows == 0) return;
  const int32_t height = GetPageImageHeight();
  const int32_t width = GetPageImageWidth();
  ChainLine c{};
  c.width = head->width;
  c.windowTop = MaxOfInts(0, r0 - ScaleToPixels(500));
  c.windowEnd = MinOfInts(height, r1 + ScaleToPixels(500));

  // The track: offsets from the mean column along the pieces, smoothed.
  const int32_t mean = static_cast<int32_t>(DivRound64(weighted, rows));
  const int32_t n = c.windowEnd - c.windowTop;
  int32_t* track = gTrack + c.windowTop;
  std::fill(track, track + n, 0);
  for (MergeGroup* m = g; m != nullptr; m = m->next) {
    const StemSegment* s = SegmentOf(m);
    for (int32_t y = s->first; y < s->end; ++y) track[y - c.windowTop] = s->column - mean;
  }
  SmoothMirrored(track, n, ScaleToPixels(50));
  for (int32_t i = 0; i < n; ++i) track[i] = DivRound(track[i], kKernelGain) + mean;

  // The local staff space; staves too small for their tolerances take no part.
  const int32_t middle = (r0 + r1) / 2;
  const int32_t middleColumn = MaxOfInts(0, TrackColumn(middle));
  if (!StaffSpaceTakesPart(GetStaffSpace(NearestStaff(middle, middleColumn)))) return;
  c.space = ScaleToPixelsAt(middle, middleColumn, 100);
  if (c.space <= 0) return;

  // Solidity.
  double solid = 0;
  for (int32_t y = r0; y < r1; ++y)
    solid += RowLikelihood(y, static_cast<int32_t>(gTrack[y] - static_cast<int64_t>(y) * gSkew), c.width);
  const double miss = 1.0 - solid / (r1 - r0);
  const int32_t cost1 =
      RoundToInt(739.0 * std::log(1.0 + std::exp(-4.0 * (solid / c.space - 0.75))) + 1024.0 * miss * miss);
  if (cost1 > kMaxVerticalLineCost) return;

  // Ends: on along the ink.
  c.top = r0;
  while (c.top - 1 >= c.windowTop && InkAcross(c.top - 1, TrackColumn(c.top - 1))) --c.top;
  c.bottom = r1 - 1;
  while (c.bottom + 1 < c.windowEnd && InkAcross(c.bottom + 1, TrackColumn(c.bottom + 1))) ++c.bottom;
  const auto columnAt = [&](int32_t row) {
    int32_t x = TrackColumn(row);
    ClampTo(0, &x, width - 1);
    return x;
  };
  JointLine line{{c.top, columnAt(c.top)}, {c.bottom, columnAt(c.bottom)}};
  ExtendToBeam(&line);

  const int32_t length = line.bottom.y - line.top.y + 1;
  const int32_t cost2 = MaxOfInts(
      cost1, RoundToInt(1477.0 * std::log(1.0 + std::exp(-2.0 * (static_cast<double>(length) / c.space - 1.5)))));
  if (cost2 > kMaxVerticalLineCost) return;
  const int32_t gap = DivRound(LongestWhiteGap(line, c) * 100, c.space);
  StoreLine({line.top.y, line.top.x, line.bottom.y, line.bottom.x, c.width, cost2, gap});
}

void FreeFinderWork() {
  NamedFree(gRuns);
  gSegments.Free();
  EngineFree(gTrack);
}

}  // namespace

void DetectVerticalLines() {
  gLines.count = 0;
  // Without staves there is no staff space to measure lines by.
  if (GetStaffCount() == 0 || !StaffSpaceTakesPart(GetPageStaffSpace())) return;
  gSkew = GetPageSkew();
  gTolerance = MaxOfInts(RoundQ10(3 * GetPageLineThickness() / 2) + 1, ScaleToPixels(33));
  gFirstLimit = ScaleToPixels(5000) + 1600;
  gLookAhead = ScaleToPixels(400);
  gHalfWindow = ScaleToPixels(100);

  BeginMerge();
  if (AddPieces() > 0) RunMerge(PieceJoinCost, PieceJoin, PieceCentre, PieceBox, nullptr, 8, 8, gFirstLimit);
  gSegments.count = 0;
  if (CountMergedGroups() > 0) ForEachMergedGroup(KeepSegment);
  EndMerge();

  BeginMerge();
  for (int32_t i = 0; i < gSegments.count; ++i) AddMergeItem(&gSegments.At(i));
  if (gSegments.count > 0)
    RunMerge(ChainJoinCost, ChainJoin, ChainCentre, ChainBox, OrderByFirstRow, 8, 8, kSecondLimit);
  EngineAllocChecked(gTrack, static_cast<size_t>(GetPageImageHeight()) * sizeof(int32_t));
  if (gSegments.count > 0) ForEachMergedGroup(MakeLine);
  EndMerge();
  FreeFinderWork();
}

int32_t AddFoundVerticalLine(const FoundVerticalLine& line) {
  ENGINE_CHECK(line.width >= 0);
  return gLines.Append(line);
}
int32_t GetVerticalLineCount() { return gLines.count; }
FoundVerticalLine GetFoundVerticalLine(int32_t i) { return gLines.At(i); }
EnginePoint GetVerticalLineTop(int32_t i) {
  const FoundVerticalLine& line = gLines.At(i);
  return {line.topY, line.topX};
}
EnginePoint GetVerticalLineBottom(int32_t i) {
  const FoundVerticalLine& line = gLines.At(i);
  return {line.bottomY, line.bottomX};
}
int32_t GetVerticalLineWidth(int32_t i) { return gLines.At(i).width; }
int32_t GetVerticalLineCost(int32_t i) { return gLines.At(i).cost; }
int32_t IsVerticalLineSolid(int32_t i) { return gLines.At(i).longestGap < kSolidLineGap ? 1 : 0; }

int32_t SplitVerticalLine(int32_t i, int32_t row, int32_t* first, int32_t* second) {
  ENGINE_CHECK_POINTER(first);
  ENGINE_CHECK_POINTER(second);
  const FoundVerticalLine line = gLines.At(i);
  *first = -1;
  *second = -1;
  if (!(line.topY < row && row < line.bottomY)) return 0;
  const JointLine whole{{line.topY, line.topX}, {line.bottomY, line.bottomX}};
  FoundVerticalLine upper = line;
  upper.bottomY = row;
  upper.bottomX = JointLineColumnAtRow(whole, row);
  FoundVerticalLine lower = line;
  lower.topY = row + 1;
  lower.topX = JointLineColumnAtRow(whole, row + 1);
  *first = gLines.Append(upper);
  *second = gLines.Append(lower);
  AddObjectPoint(kPointStemTop, *first, upper.topY, upper.topX);
  AddObjectPoint(kPointStemBottom, *first, upper.bottomY, upper.bottomX);
  AddObjectPoint(kPointStemTop, *second, lower.topY, lower.topX);
  AddObjectPoint(kPointStemBottom, *second, lower.bottomY, lower.bottomX);
  return 1;
}

void TrimVerticalLineBottom(int32_t i, int32_t row) {
  FoundVerticalLine& line = gLines.At(i);
  if (line.topY < row && row < line.bottomY) line.bottomY = row;
}

void TrimVerticalLineTop(int32_t i, int32_t row) {
  FoundVerticalLine& line = gLines.At(i);
  if (line.topY < row && row < line.bottomY) line.topY = row;
}

VerticalLineOutline GetVerticalLineOutline(int32_t i) {
  const FoundVerticalLine& line = gLines.At(i);
  const int32_t half = RoundQ10(line.width / 2);
  return {{line.topY - 1, line.topX - half - 1},
          {line.bottomY + 1, line.bottomX - half - 1},
          {line.topY - 1, line.topX + half + 1},
          {line.bottomY + 1, line.bottomX + half + 1}};
}

void ReleaseVerticalLine(int32_t i) {
  gLines.At(i);
  RemoveObjectPoint(kPointStemTop, i);
  RemoveObjectPoint(kPointStemBottom, i);
}

void FreeVerticalLines() {
  gLines.Free();
  FreeFinderWork();
  gSkew = 0;
  gTolerance = 0;
  gFirstLimit = 0;
  gLookAhead = 0;
  gHalfWindow = 0;
}
