// The first staff pass: the page's horizontal line pieces give the line
// thickness, its spread and the page skew.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Merger.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Stavwork.h"
#include "Code/Quorm/smooth.h"
#include "Code/Quorm/vertsegs.h"

namespace {

// ---------------------------------------------------------------------------
// First pass: horizontal line pieces.

const VerticalSegment* SegmentOf(const MergeGroup* g) { return static_cast<const VerticalSegment*>(g->item); }

MergePoint SegmentCentre(MergeGroup* g) { return {SegmentOf(g)->x, SegmentOf(g)->top}; }

void SegmentBox(MergeBox* out, MergeGroup* g) {
  const VerticalSegment* tail = SegmentOf(g->tail);
  *out = {tail->x + 1, tail->top - 8, tail->x + 2, tail->top + 9};
}

int32_t SegmentCost(MergeGroup* a, MergeGroup* b) {
  const VerticalSegment* tail = SegmentOf(a->tail);
  const VerticalSegment* head = SegmentOf(b);
  if (head->x != tail->x + 1) return kMergeNoJoin;
  return std::abs(head->top - tail->top) + std::abs(head->end - tail->end);
}

int32_t KeepFlatPiece(MergeGroup* g) {
  if (CountListItems(g) < 5) return 0;
  const VerticalSegment* first = SegmentOf(g);
  const VerticalSegment* last = SegmentOf(g->tail);
  const int32_t span = last->x - first->x;
  return 20 * std::abs(last->top - first->top) <= span + 20 && 20 * std::abs(last->end - first->end) <= span + 20;
}

int64_t g_heightHistogram[16];
int64_t g_riseSum;
int64_t g_spanSum;
int32_t g_tallLimit;

void AddHeights(MergeGroup* g) {
  for (MergeGroup* m = g; m; m = m->next) {
    const int32_t h = SegmentOf(m)->end - SegmentOf(m)->top;
    if (h >= 0 && h < 16) ++g_heightHistogram[h];
  }
}

int32_t KeepThinPiece(MergeGroup* g) {
  int32_t tall = 0;
  int32_t all = 0;
  for (MergeGroup* m = g; m; m = m->next, ++all)
    if (SegmentOf(m)->end - SegmentOf(m)->top > g_tallLimit) ++tall;
  return 100 * tall < all;
}

int32_t PieceRise(MergeGroup* g) {
  const VerticalSegment* first = SegmentOf(g);
  const VerticalSegment* last = SegmentOf(g->tail);
  return (last->top + last->end) - (first->top + first->end);
}

void AddRise(MergeGroup* g) {
  g_riseSum += PieceRise(g);
  g_spanSum += SegmentOf(g->tail)->x - SegmentOf(g)->x;
}

int32_t KeepAlignedPiece(MergeGroup* g) {
  const double span = SegmentOf(g->tail)->x - SegmentOf(g)->x;
  const double departure = std::fabs(PieceRise(g) - 2.0 * GetPageSkew() * span / 1024.0);
  return 50.0 * departure < 2.0 * span + 200.0;
}

// Page line thickness and spread from the kept pieces' segment heights.
void MeasureThicknessAndSkew() {
  std::memset(g_heightHistogram, 0, sizeof g_heightHistogram);
  ForEachMergedGroup(AddHeights);
  int32_t m = 1;
  for (int32_t h = 2; h < 16; ++h)
    if (g_heightHistogram[h] > g_heightHistogram[m]) m = h;
  const int32_t limit = std::min(15, (3 * m + 4) / 2);
  double n = 0, sum = 0, squares = 0;
  for (int32_t h = 1; h <= limit; ++h) {
    n += static_cast<double>(g_heightHistogram[h]);
    sum += static_cast<double>(g_heightHistogram[h]) * h;
    squares += static_cast<double>(g_heightHistogram[h]) * h * h;
  }
  StaffFinderState& state = FinderState();
  if (n > 0) {
    const double mean = sum / n;
    state.pageThickness = RoundToInt(1024.0 * mean);
    const double variance = std::max(0.0, squares / n - mean * mean);
    state.pageSpread = std::max({RoundToInt(1024.0 * std::sqrt(variance)), state.pageThickness / 8, 512});
  }
  g_riseSum = 0;
  g_spanSum = 0;
  ForEachMergedGroup(AddRise);
  if (g_spanSum > 0) {
    state.pageSkew = RoundToInt(1024.0 * static_cast<double>(g_riseSum) / (2.0 * static_cast<double>(g_spanSum)));
    SetPageSkew(state.pageSkew);
  }
}

}  // namespace

void MeasureLineRuns() {
  const int32_t count = GetVerticalSegmentCount();
  BeginMerge();
  for (int32_t i = 0; i < count; ++i) AddMergeItem(GetVerticalSegment(i));
  RunChainMerge(SegmentCost, SegmentCentre, SegmentBox, 16, 16, 4);
  FilterMergedGroups(KeepFlatPiece);
  MeasureThicknessAndSkew();
  const StaffFinderState& state = FinderState();
  g_tallLimit = RoundQ10(state.pageThickness + 3 * state.pageSpread + 512);
  if (state.pageThickness > 0) FilterMergedGroups(KeepThinPiece);
  FilterMergedGroups(KeepAlignedPiece);
  MeasureThicknessAndSkew();
  EndMerge();
  SetStaffCount(0);
}
