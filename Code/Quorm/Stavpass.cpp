// Staff detection: chains of evenly spaced black runs in each column become
// staff samples, samples of neighbouring columns become pieces, and chains of
// pieces become the staff rows.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Merger.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Stavwork.h"
#include "Code/Quorm/smooth.h"
#include "Code/Quorm/vertsegs.h"

namespace {

void NoSummary(MergeGroup*, MergeGroup*) {}

int32_t CostFromDouble(double cost) {
  return cost >= static_cast<double>(kMergeNoJoin - 1) ? kMergeNoJoin - 1 : static_cast<int32_t>(cost + 0.5);
}

// ---------------------------------------------------------------------------
// Staff samples: one column's chain of n evenly spaced runs.

struct Run {
  int32_t top;
  int32_t bottom;  // last black row
  int32_t centre;  // top + bottom (doubled rows)
};

struct StaffSample {
  int32_t lineCount;
  int32_t deleted;
  int32_t x;
  int32_t top[kMaxStaffLines];
  int32_t bottom[kMaxStaffLines];
  int32_t missing[kMaxStaffLines];
};

// A column's samples are gathered, sorted and thinned in a work list, then
// kept in blocks that never move (the Merger and the pieces point into them),
// so that a page of many samples is never copied as its table grows.
constexpr int32_t kFirstColumnSamples = 1000;
constexpr int32_t kSampleBlock = 16384;  // samples a block
StaffSample* g_columnSamples = nullptr;
int32_t g_columnSampleCount = 0;
int32_t g_columnSampleCapacity = 0;
StaffSample** g_sampleBlocks = nullptr;
int32_t g_sampleBlockCount = 0;
int32_t g_sampleBlockCapacity = 0;
int32_t g_sampleCount = 0;  // kept samples in the blocks

double SampleSpacing(const StaffSample& s) {
  const int32_t n = s.lineCount;
  if (n < 2) return 20.0;
  return ((s.bottom[n - 1] - s.bottom[0]) + (s.top[n - 1] - s.top[0])) / (2.0 * n - 2.0);
}

bool SampleHasMissing(const StaffSample& s) {
  for (int32_t k = 0; k < s.lineCount; ++k)
    if (s.missing[k]) return true;
  return false;
}

StaffSample& NewColumnSample() {
  if (g_columnSampleCount == g_columnSampleCapacity)
    GrowEngineArrayChecked(g_columnSamples, g_columnSampleCapacity, kFirstColumnSamples);
  StaffSample& s = g_columnSamples[g_columnSampleCount++];
  s = StaffSample{};
  return s;
}

StaffSample& KeptSample(int32_t i) { return g_sampleBlocks[i / kSampleBlock][i % kSampleBlock]; }

// Moves the column's samples to the end of the kept ones.
void KeepColumnSamples() {
  ENGINE_CHECK(g_columnSampleCount <= INT32_MAX - g_sampleCount);
  for (int32_t i = 0; i < g_columnSampleCount; ++i) {
    if (g_sampleCount % kSampleBlock == 0) {
      if (g_sampleBlockCount == g_sampleBlockCapacity) GrowEngineArrayChecked(g_sampleBlocks, g_sampleBlockCapacity, 16);
      EngineAlloc(g_sampleBlocks[g_sampleBlockCount++], sizeof(StaffSample) * kSampleBlock);
    }
    KeptSample(g_sampleCount++) = g_columnSamples[i];
  }
  g_columnSampleCount = 0;
}

void FreeSamples() {
  for (int32_t b = 0; b < g_sampleBlockCount; ++b) EngineFree(g_sampleBlocks[b]);
  EngineFree(g_sampleBlocks);
  g_sampleBlockCount = g_sampleBlockCapacity = g_sampleCount = 0;
  EngineFree(g_columnSamples);
  g_columnSampleCount = g_columnSampleCapacity = 0;
}

// The column's black runs whose length lies within the limits.
int32_t CollectRuns(int32_t x, int32_t shortest, int32_t longest, Run* runs) {
  int32_t first, end;
  SegmentsOfColumn(x, &first, &end);
  int32_t n = 0;
  for (int32_t i = first; i < end; ++i) {
    const VerticalSegment* s = GetVerticalSegment(i);
    const int32_t length = s->end - s->top;
    if (length < shortest || length > longest) continue;
    // The chain search counts on runs that go down the column apart.
    ENGINE_CHECK(n == 0 || s->top > runs[n - 1].bottom);
    runs[n++] = {s->top, s->end - 1, s->top + s->end - 1};
  }
  return n;
}

// Whether a centre (doubled rows) lies within a staff space of a line of a
// staff already found at the column.
bool NearFoundStaff(int32_t x, int32_t doubledCentre) {
  const int64_t y = static_cast<int64_t>(doubledCentre) * 512;
  for (int32_t i = 0; i < GetStaffCount(); ++i) {
    const StaffRecord& row = StaffRow(i);
    if (x < row.leftX || x >= row.rightX) continue;
    for (int32_t k = 0; k < row.lineCount; ++k)
      if (std::llabs(y - row.lineY[k][x]) < row.staffSpace) return true;
  }
  return false;
}

// The chain search of one column. A chain of n runs starts at a run and takes
// each next line at the spacing s; the run that follows a found line depends
// only on that run and the spacing, so it is found once per column and read
// by every chain that passes the run.
constexpr int32_t kFirstSpacing = 10;
constexpr int32_t kSpacingEnd = 70;  // spacings 10 .. 69
constexpr int32_t kNoRun = -1;

struct FollowEntry {
  int32_t column;  // the column search that found it; 0: not found yet
  int32_t run;     // the following run, kNoRun when none is near enough
};

struct ColumnSearch {
  const Run* runs = nullptr;
  int32_t count = 0;
  int32_t stamp = 0;  // this column's search
};

ColumnSearch g_column;
FollowEntry* g_follow = nullptr;  // run x spacing
int32_t g_followCapacity = 0;
int32_t g_searchStamp = 0;

void BeginColumnSearch(const Run* runs, int32_t count) {
  const int32_t needed = count * (kSpacingEnd - kFirstSpacing);
  while (g_followCapacity < needed) GrowEngineArrayChecked(g_follow, g_followCapacity, 4096);
  g_column = ColumnSearch{runs, count, ++g_searchStamp};
}

// The run that follows a line whose centre is previous (doubled rows), not
// before run j, at the spacing s: the run nearest the target among those below
// the line and at most 5 rows past the target, the upper one of two as near;
// kNoRun when it is not near enough. Centres grow down the column, so it is
// the last run above the target or the first at or below it.
int32_t NextChainRun(int32_t j, int32_t previous, int32_t s) {
  const Run* runs = g_column.runs;
  const int32_t count = g_column.count;
  const int32_t target = previous + 2 * s;
  int32_t from = j;
  while (from < count && runs[from].centre <= previous) ++from;
  // A few steps find it on a clean page; a crowded column is searched by
  // halves.
  int32_t at = from;
  const int32_t stepped = std::min(count, from + 8);
  while (at < stepped && runs[at].centre < target) ++at;
  if (at == stepped)
    at = static_cast<int32_t>(
        std::lower_bound(runs + at, runs + count, target, [](const Run& r, int32_t t) { return r.centre < t; }) - runs);
  int32_t best = kNoRun;
  int32_t bestDistance = 0;
  if (at > from) {
    best = at - 1;
    bestDistance = target - runs[at - 1].centre;
  }
  if (at < count && runs[at].centre <= target + 10 && (best < 0 || runs[at].centre - target < bestDistance)) {
    best = at;
    bestDistance = runs[at].centre - target;
  }
  return best >= 0 && 8 * bestDistance < 2 * s + 12 ? best : kNoRun;
}

// The run that follows the found line runs[p] at the spacing s.
int32_t FollowingRun(int32_t p, int32_t s) {
  FollowEntry& e = g_follow[p * (kSpacingEnd - kFirstSpacing) + (s - kFirstSpacing)];
  if (e.column != g_column.stamp) e = FollowEntry{g_column.stamp, NextChainRun(p + 1, g_column.runs[p].centre, s)};
  return e.run;
}

// A chain of runs down a column: each line's run (kNoRun for a hidden line)
// and centre (doubled rows; a hidden line's where it was expected).
struct RunChain {
  int32_t run[kMaxStaffLines];
  int32_t centre[kMaxStaffLines];
  bool hidden;  // a line is hidden
};

bool SameChainRuns(const RunChain& a, const RunChain& b, int32_t n) {
  if (a.hidden || b.hidden) return false;
  for (int32_t k = 0; k < n; ++k)
    if (a.run[k] != b.run[k]) return false;
  return true;
}

// The chain of n runs that starts at run start with the spacing s; false when
// the lines are not there.
bool FindRunChain(int32_t start, int32_t n, int32_t s, RunChain* out) {
  int32_t missing = 0;
  int32_t j = start + 1;  // the first run a later line may take
  out->run[0] = start;
  out->centre[0] = g_column.runs[start].centre;
  out->hidden = false;
  for (int32_t k = 1; k < n; ++k) {
    const int32_t next = out->run[k - 1] != kNoRun ? FollowingRun(out->run[k - 1], s) : NextChainRun(j, out->centre[k - 1], s);
    if (next != kNoRun) {
      out->run[k] = next;
      out->centre[k] = g_column.runs[next].centre;
      j = next + 1;
    } else {
      // One inner line of a five-line staff may be hidden (by a beam, a
      // blot, a break in the line); its place is kept for the fit.
      if (n != 5 || k == n - 1 || ++missing > 1) return false;
      out->run[k] = kNoRun;
      out->centre[k] = out->centre[k - 1] + 2 * s;
      out->hidden = true;
    }
  }
  return true;
}

// What the acceptance of a chain needs that does not depend on the spacing,
// kept for the chain last asked about (the same runs come back at the next
// spacings).
struct ChainShape {
  bool known = false;
  RunChain chain{};
  bool nearStaff = false;  // a line lies on a staff already found
  double spread = 0;       // of the centres about their straight line
};

// Whether the chain found with the spacing s at column x is a staff sample.
bool ChainAccepted(const RunChain& chain, int32_t n, int32_t s, int32_t x, ChainShape* shape) {
  if (!shape->known || !SameChainRuns(shape->chain, chain, n)) {
    ChainShape fresh;
    fresh.known = true;
    fresh.chain = chain;
    if (n < 5)
      for (int32_t k = 0; k < n && !fresh.nearStaff; ++k)
        fresh.nearStaff = chain.run[k] != kNoRun && NearFoundStaff(x, chain.centre[k]);
    if (n >= 2) {
      int64_t total = 0;
      for (int32_t k = 0; k < n; ++k) total += chain.centre[k];
      double dd = 0, wd = 0, ww = 0;
      for (int32_t k = 0; k < n; ++k) {
        const double d = static_cast<double>(n) * chain.centre[k] - static_cast<double>(total);
        const double w = 2.0 * k + 1.0 - n;
        dd += d * d;
        wd += w * d;
        ww += w * w;
      }
      fresh.spread = std::sqrt(std::max(0.0, (dd - wd * wd / ww) / (static_cast<double>(n) * n * n)));
    }
    *shape = fresh;
  }
  if (shape->nearStaff) return false;
  if (n >= 2 && n <= 4 && 2 * s > 4 * RoundQ10(FinderState().staffSpaceEstimate)) return false;
  return n < 2 || shape->spread <= 0.0707 * 2.0 * s;
}

StaffSample SampleOfChain(const RunChain& chain, int32_t n, int32_t x) {
  StaffSample sample{};
  sample.lineCount = n;
  sample.x = x;
  for (int32_t k = 0; k < n; ++k) {
    if (chain.run[k] != kNoRun) {
      sample.top[k] = g_column.runs[chain.run[k]].top;
      sample.bottom[k] = g_column.runs[chain.run[k]].bottom;
    } else {
      sample.top[k] = sample.bottom[k] = chain.centre[k] / 2;
      sample.missing[k] = 1;
    }
  }
  return sample;
}

bool SampleBefore(const StaffSample& a, const StaffSample& b) {
  const int32_t na = a.lineCount - 1, nb = b.lineCount - 1;
  if (a.x != b.x) return a.x < b.x;
  if (a.top[0] != b.top[0]) return a.top[0] < b.top[0];
  if (a.bottom[0] != b.bottom[0]) return a.bottom[0] < b.bottom[0];
  if (a.top[na] != b.top[nb]) return a.top[na] < b.top[nb];
  return a.bottom[na] < b.bottom[nb];
}

bool SameStaffSample(const StaffSample& a, const StaffSample& b) {
  const double limit = 2.0 * std::max(SampleSpacing(a), SampleSpacing(b));
  const int32_t na = a.lineCount - 1, nb = b.lineCount - 1;
  return std::abs(a.top[0] - b.top[0]) + std::abs(a.bottom[0] - b.bottom[0]) < limit &&
         std::abs(a.top[na] - b.top[nb]) + std::abs(a.bottom[na] - b.bottom[nb]) < limit;
}

// Removes duplicate samples of the column's work list (sorted) and compacts
// it.
void RemoveDuplicateSamples() {
  bool changed = true;
  while (changed) {
    changed = false;
    for (int32_t i = 0; i < g_columnSampleCount; ++i) {
      StaffSample& later = g_columnSamples[i];
      if (later.deleted) continue;
      for (int32_t j = i - 1; j >= 0; --j) {
        StaffSample& earlier = g_columnSamples[j];
        if (earlier.top[0] < later.top[0] - 70) break;
        if (earlier.deleted || !SameStaffSample(earlier, later)) continue;
        const bool laterMissing = SampleHasMissing(later);
        const bool earlierMissing = SampleHasMissing(earlier);
        if (laterMissing) later.deleted = 1;
        if (earlierMissing || !laterMissing) earlier.deleted = 1;
        changed = true;
        break;
      }
    }
  }
  int32_t kept = 0;
  for (int32_t i = 0; i < g_columnSampleCount; ++i)
    if (!g_columnSamples[i].deleted) g_columnSamples[kept++] = g_columnSamples[i];
  g_columnSampleCount = kept;
}

const StaffSample* SampleOf(const MergeGroup* g) { return static_cast<const StaffSample*>(g->item); }

MergePoint SampleCentre(MergeGroup* g) { return {SampleOf(g)->x, std::max(0, SampleOf(g)->top[0])}; }

void SampleBox(MergeBox* out, MergeGroup* g) {
  const StaffSample* tail = SampleOf(g->tail);
  *out = {tail->x + 1, tail->top[0] - 8, tail->x + 2, tail->top[0] + 9};
}

int32_t SampleCost(MergeGroup* a, MergeGroup* b) {
  const StaffSample& p = *SampleOf(a->tail);
  const StaffSample& q = *SampleOf(b);
  if (q.x != p.x + 1) return kMergeNoJoin;
  const double sp = SampleSpacing(p), sq = SampleSpacing(q);
  if (sp > 1.1 * sq || sq > 1.1 * sp || sp + sq <= 0) return kMergeNoJoin;
  const int32_t f = RoundToInt(32768.0 / (sp + sq));
  int32_t cost = 0;
  for (int32_t k = 0; k < p.lineCount; ++k)
    cost = std::max(cost, (std::abs(p.top[k] - q.top[k]) + std::abs(p.bottom[k] - q.bottom[k])) * f);
  if (SampleHasMissing(p) || SampleHasMissing(q)) cost = std::max(cost, 2048);
  return cost;
}

// ---------------------------------------------------------------------------
// Staff pieces: runs of merged samples; and staves: chains of pieces.

struct StaffPiece {
  const StaffSample* first;
  const StaffSample* last;
  int32_t memberStart;    // its samples in g_pieceMembers, left to right
  int32_t samples;
  int32_t missingSamples;
  double meanSpacing;     // over all its samples
  double endSpacing;      // mean of its two end samples' spacings
  int32_t firstX;         // first->x, kept at hand for the joins' sorting
};

// A chain of pieces, sorted by first column: pieces[firstPiece .. +count-1]
// of the chain order table.
struct PieceChain {
  int32_t start;
  int32_t count;
  bool distinct;     // no two of its pieces start in the same column
  MergePoint centre;  // its first piece's first column and top line
  double spacing;     // the mean end spacing of its pieces
};

StaffPiece* g_pieces = nullptr;
int32_t g_pieceCount = 0;
const StaffSample** g_pieceMembers = nullptr;
int32_t g_pieceMemberCount = 0;
int32_t* g_chainOrder = nullptr;  // piece indexes, chain after chain
PieceChain* g_chains = nullptr;
int32_t g_chainCount = 0;
int32_t g_chainReach = 0;  // search reach in mean spacings of the current join pass
bool g_alignedOnly = false;  // the current join pass takes only partners whose lines line up

void CollectPiece(MergeGroup* g) {
  StaffPiece& piece = g_pieces[g_pieceCount++];
  piece.first = SampleOf(g);
  piece.firstX = piece.first->x;
  piece.last = SampleOf(g->tail);
  piece.samples = 0;
  piece.missingSamples = 0;
  piece.memberStart = g_pieceMemberCount;
  double rises = 20.0, steps = 1.0;
  for (MergeGroup* m = g; m; m = m->next) {
    const StaffSample& s = *SampleOf(m);
    g_pieceMembers[g_pieceMemberCount++] = &s;
    const int32_t n = s.lineCount - 1;
    ++piece.samples;
    piece.missingSamples += SampleHasMissing(s) ? 1 : 0;
    rises += s.top[n] + s.bottom[n] - s.top[0] - s.bottom[0];
    steps += 2.0 * n;
  }
  piece.meanSpacing = rises / steps;
  piece.endSpacing = (SampleSpacing(*piece.first) + SampleSpacing(*piece.last)) / 2.0;
}

// A chain of the pieces order[start .. start+count-1] (sorted by first
// column), with what the joins ask of it again and again.
PieceChain MakeChain(const int32_t* order, int32_t start, int32_t count, bool distinct) {
  PieceChain chain{start, count, distinct, {0, 0}, 0.0};
  const StaffPiece& head = g_pieces[order[start]];
  chain.centre = {head.first->x, std::max(0, head.first->top[0])};
  double sum = 0;  // summed in the order GroupSpacing sums a merged group
  for (int32_t i = 0; i < count; ++i) sum += g_pieces[order[start + i]].endSpacing;
  chain.spacing = count ? sum / count : 0.0;
  return chain;
}

const PieceChain* ChainOf(const MergeGroup* g) { return static_cast<const PieceChain*>(g->item); }

bool FirstColumnBefore(int32_t a, int32_t b) { return g_pieces[a].firstX < g_pieces[b].firstX; }

// Whether no two of the sorted pieces start in the same column (their order
// is then the only one).
bool DistinctColumns(const int32_t* pieces, int32_t n) {
  for (int32_t i = 1; i < n; ++i)
    if (!FirstColumnBefore(pieces[i - 1], pieces[i])) return false;
  return true;
}

// The pieces of a merged group of chains, sorted by first column; distinct
// (when asked for) tells whether no two start in the same column. A lone
// chain whose pieces all start in columns of their own is sorted already.
int32_t GroupPieces(const MergeGroup* g, int32_t* out, bool* distinct = nullptr) {
  const PieceChain* head = ChainOf(g);
  if (g->next == nullptr && head->distinct) {
    std::memcpy(out, g_chainOrder + head->start, sizeof(int32_t) * head->count);
    if (distinct) *distinct = true;
    return head->count;
  }
  int32_t n = 0;
  for (const MergeGroup* m = g; m; m = m->next) {
    const PieceChain* c = ChainOf(m);
    for (int32_t i = 0; i < c->count; ++i) out[n++] = g_chainOrder[c->start + i];
  }
  std::sort(out, out + n, FirstColumnBefore);
  if (distinct) *distinct = DistinctColumns(out, n);
  return n;
}

int32_t GroupLastColumn(const MergeGroup* g) {
  int32_t last = 0;
  for (const MergeGroup* m = g; m; m = m->next) {
    const PieceChain* c = ChainOf(m);
    for (int32_t i = 0; i < c->count; ++i) last = std::max(last, g_pieces[g_chainOrder[c->start + i]].last->x);
  }
  return last;
}

MergePoint ChainCentre(MergeGroup* g) { return ChainOf(g)->centre; }

void ChainBox(MergeBox* out, MergeGroup* g) {
  const StaffPiece& head = g_pieces[g_chainOrder[ChainOf(g)->start]];
  int32_t minTop = head.first->top[0], maxTop = minTop;
  for (const MergeGroup* m = g; m; m = m->next) {
    const PieceChain* c = ChainOf(m);
    for (int32_t i = 0; i < c->count; ++i) {
      const StaffPiece& p = g_pieces[g_chainOrder[c->start + i]];
      minTop = std::min({minTop, p.first->top[0], p.last->top[0]});
      maxTop = std::max({maxTop, p.first->top[0], p.last->top[0]});
    }
  }
  const int32_t reach = RoundToInt(g_chainReach * head.meanSpacing);
  const int32_t drift = static_cast<int32_t>(std::llabs(static_cast<long long>(GetPageSkew()) * reach) / 1024) + 1;
  const int32_t band = RoundToInt(2.0 * head.meanSpacing) + drift;
  *out = {head.first->x + 1, minTop - band, GroupLastColumn(g) + reach + 1, maxTop + band + 1};
}

// The cost of joining piece q to the piece p on its left, and the part of it
// that comes from the lines' offsets alone (how well the lines line up).
struct JoinCost {
  int32_t offset;
  int32_t cost;
  int32_t cutAt;  // the cost beyond which the sum was cut short, 0 when it is exact
};

// Offsets costing more than this mean the lines of the two pieces do not
// line up (a line apart by more than about half a spacing).
constexpr int32_t kAlignedOffset = 16384;
constexpr int32_t kOverlapCost = 163840;

// The part of a join's cost that needs no ink: how far the lines of the two
// pieces are apart. final: the offset alone is the join's cost (the pieces
// overlap, or the lines do not line up); otherwise the gap's ink is added.
struct JoinOffset {
  int32_t offset;
  bool final;
  int32_t f;      // the cost of a pixel of offset
  int32_t floor;  // what the join costs at least: its offset, and the least ink penalty of every gap column
};

JoinOffset PieceJoinOffset(const StaffPiece& p, const StaffPiece& q) {
  const StaffSample& a = *p.last;
  const StaffSample& b = *q.first;
  const int32_t gap = b.x - a.x;
  if (gap < 1) return {kOverlapCost, true, 0, kOverlapCost};
  const double spacing = (p.endSpacing + q.endSpacing) / 2.0;
  if (spacing <= 0) return {kMergeNoJoin, true, 0, kMergeNoJoin};
  const int32_t f = RoundToInt(16384.0 / spacing);
  const int32_t slope = RoundQ10(SaturateToInt32(static_cast<int64_t>(GetPageSkew()) * gap));
  int64_t offset = 0;
  for (int32_t k = 0; k < a.lineCount; ++k) {
    int64_t cost = 3276;
    if (!a.missing[k] && !b.missing[k])
      cost = static_cast<int64_t>(std::abs(a.top[k] - b.top[k] + slope) + std::abs(a.bottom[k] - b.bottom[k] + slope)) * f;
    offset = std::max(offset, cost);
  }
  const int32_t clipped = SaturateToInt32(offset);
  if (offset > kAlignedOffset) return {clipped, true, f, clipped};
  // Every gap column adds at least the penalty of no missing line.
  const double ink = static_cast<double>(InkPenaltyOf(a.lineCount, 0)) * (gap - 1) * f / 1024.0;
  return {clipped, false, f, CostFromDouble(std::sqrt(static_cast<double>(offset) * offset + ink * ink))};
}

// ceiling: 0 for the exact cost; else the ink sum may stop once the cost is
// known to exceed it.
JoinCost PieceJoinCost(const StaffPiece& p, const StaffPiece& q, int32_t ceiling) {
  const JoinOffset start = PieceJoinOffset(p, q);
  if (start.final) return {start.offset, start.offset, 0};
  const StaffSample& a = *p.last;
  const StaffSample& b = *q.first;
  const int32_t gap = b.x - a.x;
  const int32_t f = start.f;
  const int64_t offset = start.offset;
  double ys[kMaxStaffLines], steps[kMaxStaffLines];
  for (int32_t k = 0; k < a.lineCount; ++k) {
    const double ya = (a.top[k] + a.bottom[k]) / 2.0, yb = (b.top[k] + b.bottom[k]) / 2.0;
    steps[k] = (yb - ya) / gap;
    ys[k] = ya - 1.5;
  }
  const int64_t penaltyCap = ceiling > 0 ? static_cast<int64_t>(ceiling) * 1024 / std::max(1, f) + 1 : INT64_MAX;
  // Whether any of the rows y..y+2 of the column is black, read from the
  // page's rows directly: this is the stage's inner loop.
  const uint32_t* rows = GetPageRow(0);
  const int32_t wordsPerRow = GetPageWordsPerRow();
  const int32_t height = GetPageImageHeight();
  const int32_t width = GetPageImageWidth();
  int32_t penaltyOf[kMaxStaffLines + 1];
  for (int32_t k = 0; k <= a.lineCount; ++k) penaltyOf[k] = InkPenaltyOf(a.lineCount, k);
  int64_t penalties = 0;
  int32_t x = a.x + 1;
  for (; x < b.x && penalties <= penaltyCap; ++x) {
    int32_t misses = 0;
    const bool inside = x >= 0 && x < width;
    const uint32_t* column = rows + (x >> 5);
    const uint32_t bit = 1u << (x & 31);
    for (int32_t k = 0; k < a.lineCount; ++k) {
      ys[k] += steps[k];
      const int32_t y = static_cast<int32_t>(std::floor(ys[k] + 0.5));
      bool ink = false;
      if (inside)
        for (int32_t r = std::max(0, y); r <= y + 2 && r < height && !ink; ++r)
          ink = (column[static_cast<size_t>(r) * wordsPerRow] & bit) != 0;
      if (!ink) ++misses;
    }
    penalties += penaltyOf[misses];
  }
  const double ink = static_cast<double>(penalties) * f / 1024.0;
  return {static_cast<int32_t>(offset), CostFromDouble(std::sqrt(static_cast<double>(offset) * offset + ink * ink)),
          x < b.x ? ceiling : 0};
}


// Join costs of piece pairs already asked for (the merge asks again and again
// as groups grow, and the later passes ask for the same pairs): an open
// hash table keyed by the pair, grown before it is half full.
struct JoinCacheEntry {
  int64_t key;  // p x piece count + q, -1 when empty
  JoinCost cost;
};
JoinCacheEntry* g_joinCache = nullptr;
int32_t g_joinCacheSize = 0;  // a power of two
int32_t g_joinCacheUsed = 0;

// The cheapest-first passes need a join's cost only up to twice their limit;
// the best-partner pass compares joins of any cost. 0: exact costs.
int32_t g_costCeiling = 0;

uint32_t JoinCacheSlot(int64_t key, int32_t size) {
  return static_cast<uint32_t>((static_cast<uint64_t>(key) * 0x9E3779B97F4A7C15ULL) >> 32) & (size - 1);
}

void ClearJoinCache(int32_t size) {
  EngineAlloc(g_joinCache, sizeof(JoinCacheEntry) * size);
  for (int32_t i = 0; i < size; ++i) g_joinCache[i] = {-1, {0, 0, 0}};
  g_joinCacheSize = size;
  g_joinCacheUsed = 0;
}

JoinCacheEntry& JoinCacheFind(int64_t key) {
  uint32_t i = JoinCacheSlot(key, g_joinCacheSize);
  while (g_joinCache[i].key != -1 && g_joinCache[i].key != key) i = (i + 1) & (g_joinCacheSize - 1);
  return g_joinCache[i];
}

void GrowJoinCache() {
  JoinCacheEntry* old = g_joinCache;
  const int32_t oldSize = g_joinCacheSize;
  g_joinCache = nullptr;
  ClearJoinCache(2 * oldSize);
  for (int32_t i = 0; i < oldSize; ++i)
    if (old[i].key != -1) {
      JoinCacheFind(old[i].key) = old[i];
      ++g_joinCacheUsed;
    }
  EngineFree(old);
}

// ceiling: as for PieceJoinCost. A cost that was cut short at a ceiling at
// least as high serves again (it is above this ceiling too).
JoinCost CachedJoinCost(int32_t p, int32_t q, int32_t ceiling) {
  if (!g_joinCache) ClearJoinCache(1 << 12);
  const int64_t key = static_cast<int64_t>(p) * g_pieceCount + q;
  JoinCacheEntry* entry = &JoinCacheFind(key);
  if (entry->key == -1) {
    if (2 * (g_joinCacheUsed + 1) > g_joinCacheSize) {
      GrowJoinCache();
      entry = &JoinCacheFind(key);
    }
    ++g_joinCacheUsed;
  } else if (entry->cost.cutAt == 0 || (ceiling > 0 && entry->cost.cutAt >= ceiling)) {
    return entry->cost;
  }
  *entry = {key, PieceJoinCost(g_pieces[p], g_pieces[q], ceiling)};
  return entry->cost;
}

// Work arrays of the chain costs (one entry per piece).
int32_t* g_costPieces = nullptr;
int32_t* g_costTags = nullptr;
int32_t* g_costJoins = nullptr;
int32_t* g_costMerged = nullptr;

double GroupSpacing(const MergeGroup* g) {
  if (g->next == nullptr) return ChainOf(g)->spacing;
  double sum = 0;
  int32_t n = 0;
  for (const MergeGroup* m = g; m; m = m->next) {
    const PieceChain* c = ChainOf(m);
    for (int32_t i = 0; i < c->count; ++i, ++n) sum += g_pieces[g_chainOrder[c->start + i]].endSpacing;
  }
  return n ? sum / n : 0.0;
}

// The first column of a group's pieces (a chain's first piece is its first).
int32_t GroupFirstColumn(const MergeGroup* g) {
  int32_t first = ChainOf(g)->centre.x;
  for (const MergeGroup* m = g->next; m; m = m->next) first = std::min(first, ChainOf(m)->centre.x);
  return first;
}

int32_t ChainCost(MergeGroup* a, MergeGroup* b) {
  // b must start right of a, and the two spacings must be alike.
  if (GroupFirstColumn(b) <= GroupFirstColumn(a)) return kMergeNoJoin;
  const double sa = GroupSpacing(a), sb = GroupSpacing(b);
  if (sa > 1.1 * sb || sb > 1.1 * sa) return kMergeNoJoin;
  bool distinctA = false, distinctB = false;
  const int32_t na = GroupPieces(a, g_costPieces, &distinctA);
  const int32_t nb = GroupPieces(b, g_costPieces + na, &distinctB);
  for (int32_t i = 0; i < na + nb; ++i) g_costTags[g_costPieces[i]] = i < na ? 0 : 1;
  // Both groups in order: merged, unless two pieces start in the same
  // column; then sorted as a whole (which of them comes first is the sort's).
  const int32_t* order = g_costPieces;
  bool merged = distinctA && distinctB;
  if (merged) {
    int32_t i = 0, j = na, n = 0;
    while (merged && (i < na || j < na + nb)) {
      if (j == na + nb || (i < na && FirstColumnBefore(g_costPieces[i], g_costPieces[j])))
        g_costMerged[n++] = g_costPieces[i++];
      else if (i == na || FirstColumnBefore(g_costPieces[j], g_costPieces[i]))
        g_costMerged[n++] = g_costPieces[j++];
      else
        merged = false;
    }
    order = g_costMerged;
  }
  if (!merged) {
    std::sort(g_costPieces, g_costPieces + na + nb, FirstColumnBefore);
    order = g_costPieces;
  }
  // The cost is the dearest join between consecutive pieces of the two
  // groups. The lines' offsets come first: they need no ink and often settle
  // the answer (joins that do not line up, or a cost already above what the
  // Merger's choice needs); the gaps' ink is summed only for the rest, and
  // only as far as the answer needs.
  const int32_t bound = MergeCostBound();
  int32_t cost = 0;   // of the joins settled by their offsets
  int32_t floor = 0;  // what the others cost at least
  int32_t inked = 0;  // pairs whose ink is still to be summed, at the front of g_costJoins
  for (int32_t i = 0; i + 1 < na + nb; ++i) {
    const int32_t p = order[i], q = order[i + 1];
    if (g_costTags[p] == g_costTags[q]) continue;
    const JoinOffset join = PieceJoinOffset(g_pieces[p], g_pieces[q]);
    // The best-partner pass takes only partners whose lines line up.
    if (g_alignedOnly && join.offset > kAlignedOffset) return kMergeNoJoin;
    if (join.final) {
      cost = std::max(cost, join.offset);
      if (!g_alignedOnly && cost >= kMergeNoJoin - 1) return cost;
    } else {
      floor = std::max(floor, join.floor);
      g_costJoins[inked++] = i;
    }
  }
  // A sum cut short at the pass's ceiling costs at least that ceiling.
  if (g_costCeiling > 0) floor = std::min(floor, g_costCeiling);
  if (std::max(cost, floor) >= bound) return std::max(cost, floor);
  // Sums stop once a join is known to cost the bound (its cost then answers
  // for the whole); the cheapest-first passes stop at their own ceiling too.
  int32_t ceiling = bound < kMergeNoJoin ? bound : 0;
  if (g_costCeiling > 0 && (ceiling == 0 || g_costCeiling < ceiling)) ceiling = g_costCeiling;
  for (int32_t j = 0; j < inked; ++j) {
    const int32_t i = g_costJoins[j];
    cost = std::max(cost, CachedJoinCost(order[i], order[i + 1], ceiling).cost);
    if (cost >= bound || cost >= kMergeNoJoin - 1) break;
  }
  return cost;
}

int32_t* g_newOrder = nullptr;
PieceChain* g_newChains = nullptr;
int32_t g_newChainCount = 0;
int32_t g_newOrderCount = 0;
bool g_keepStavesOnly = false;

// A merged group's pieces as one new chain (only staves long enough and
// with enough whole samples, when asked).
void CollectChain(MergeGroup* g) {
  int32_t* out = g_newOrder + g_newOrderCount;
  const int32_t n = GroupPieces(g, out);
  if (g_keepStavesOnly) {
    const StaffPiece& first = g_pieces[out[0]];
    const StaffPiece* last = &first;
    int32_t whole = 0;
    for (int32_t i = 0; i < n; ++i) {
      const StaffPiece& p = g_pieces[out[i]];
      if (p.last->x > last->last->x) last = &p;
      whole += p.samples - p.missingSamples;
    }
    const double spacing = (SampleSpacing(*first.first) + SampleSpacing(*last->last)) / 2.0;
    // A staff needs whole samples over 8 of its spacings; a short one (a
    // bar, a coda) over a quarter of its span, as much as that asks of a
    // staff of 32 spacings.
    const int32_t span = last->last->x - first.first->x;
    if (span < RoundToInt(kShortestStaffSpaces * spacing) || whole < RoundToInt(std::min(8.0 * spacing, span / 4.0)))
      return;
  }
  g_newChains[g_newChainCount++] = MakeChain(g_newOrder, g_newOrderCount, n, DistinctColumns(out, n));
  g_newOrderCount += n;
}

// How a join pass joins the chains.
enum class JoinMode {
  kCheapestFirst,  // the cheapest pair again and again, below the limit
  kBestPartner,    // every chain with its best partner whose lines line up
};

// One join pass over the current chains, searching reach mean spacings to the
// right.
void JoinChains(JoinMode mode, int32_t reach, int32_t limit, bool keepStavesOnly) {
  g_chainReach = reach;
  g_keepStavesOnly = keepStavesOnly;
  g_alignedOnly = mode == JoinMode::kBestPartner;
  g_costCeiling = mode == JoinMode::kCheapestFirst ? 2 * limit : 0;
  BeginMerge();
  for (int32_t i = 0; i < g_chainCount; ++i) AddMergeItem(&g_chains[i]);
  if (mode == JoinMode::kCheapestFirst) {
    RunMerge(ChainCost, NoSummary, ChainCentre, ChainBox, nullptr, 64, 64, limit);
  } else {
    // No cost is below 0: the run only finds the partners.
    RunMerge(ChainCost, NoSummary, ChainCentre, ChainBox, nullptr, 64, 64, 0);
    JoinBestPartners(NoSummary, nullptr, limit);
  }
  g_alignedOnly = false;
  EngineAlloc(g_newOrder, sizeof(int32_t) * (g_pieceCount + 1));
  EngineAlloc(g_newChains, sizeof(PieceChain) * (g_chainCount + 1));
  g_newChainCount = 0;
  g_newOrderCount = 0;
  ForEachMergedGroup(CollectChain);
  EndMerge();
  EngineFree(g_chainOrder);
  EngineFree(g_chains);
  g_chainOrder = g_newOrder;
  g_chains = g_newChains;
  g_chainCount = g_newChainCount;
  g_newOrder = nullptr;
  g_newChains = nullptr;
}

void FreePieceWork() {
  FreeSamples();
  EngineFree(g_follow);
  g_followCapacity = 0;
  g_searchStamp = 0;
  EngineFree(g_pieces);
  g_pieceCount = 0;
  EngineFree(g_pieceMembers);
  g_pieceMemberCount = 0;
  EngineFree(g_chainOrder);
  EngineFree(g_chains);
  g_chainCount = 0;
  EngineFree(g_newOrder);
  EngineFree(g_newChains);
  EngineFree(g_costPieces);
  EngineFree(g_costTags);
  EngineFree(g_costJoins);
  EngineFree(g_costMerged);
  EngineFree(g_joinCache);
  g_joinCacheSize = g_joinCacheUsed = 0;
}

// ---------------------------------------------------------------------------
// Staff rows.

int32_t SampleLineY(const StaffSample& s, int32_t k) {
  if (!s.missing[k]) return 512 * (s.top[k] + s.bottom[k]);
  int32_t present = 0;
  int64_t sum = 0;
  for (int32_t i = 0; i < s.lineCount; ++i)
    if (!s.missing[i]) {
      sum += 512 * (s.top[i] + s.bottom[i]);
      ++present;
    }
  ENGINE_CHECK(s.lineCount == 5 && present == 4);
  const int64_t space = RoundToInt(1024.0 * SampleSpacing(s));
  static const int32_t kFactor[5] = {-10, -5, 0, 5, 10};
  return static_cast<int32_t>((sum + kFactor[k] * space) / 4);
}

void SetSampleColumn(StaffRecord& row, const StaffSample& s) {
  for (int32_t k = 0; k < row.lineCount; ++k) row.lineY[k][s.x] = SampleLineY(s, k);
}

void BuildRowFromChain(StaffRecord& row, const PieceChain& chain, int32_t n) {
  const StaffFinderState& state = FinderState();
  row.lineCount = n;
  row.leftX = g_pieces[g_chainOrder[chain.start]].first->x;
  row.rightX = row.leftX + 1;
  for (int32_t i = 0; i < chain.count; ++i) {
    const StaffPiece& p = g_pieces[g_chainOrder[chain.start + i]];
    row.rightX = std::max(row.rightX, p.last->x + 1);
    // Every sample column, so that bowed lines keep their shape.
    for (int32_t m = 0; m < p.samples; ++m) SetSampleColumn(row, *g_pieceMembers[p.memberStart + m]);
  }
  InterpolateLineGaps(row);
  row.lineThickness = state.pageThickness;
  row.thicknessSpread = state.pageSpread + 512;
  row.joinedBelow = 0;
}
}  // namespace

void FreeStaffWork() {
  FreePieceWork();
  FreeSegmentColumnIndex();
}

void FindStaffPieces(int32_t n) {
  ENGINE_CHECK(n >= 1 && n <= kMaxStaffLines);
  FreePieceWork();
  const StaffFinderState& state = FinderState();
  // No line pieces on the page: there is nothing to build staves from.
  if (state.pageThickness <= 0) return;
  const int32_t longest = RoundQ10(state.pageThickness + 3 * state.pageSpread + 512);
  const int32_t shortest = std::max(1, RoundQ10(state.pageThickness - 3 * state.pageSpread - 512));
  const int32_t limit = n == 5 ? 50 : 70;
  const int32_t width = GetPageImageWidth();
  WorkArray<Run> runs(GetPageImageHeight() + 1);
  int32_t votes[kSpacingEnd] = {};
  RunChain chain;
  for (int32_t x = 0; x < width; x += 10) {
    BeginColumnSearch(runs.data(), CollectRuns(x, shortest, longest, runs.data()));
    for (int32_t i = 0; i < g_column.count; ++i) {
      ChainShape shape;
      for (int32_t s = kFirstSpacing; s < limit; ++s)
        if (FindRunChain(i, n, s, &chain) && ChainAccepted(chain, n, s, x, &shape)) ++votes[s];
    }
  }
  for (int32_t x = 0; x < width; ++x) {
    BeginColumnSearch(runs.data(), CollectRuns(x, shortest, longest, runs.data()));
    // Neighbouring spacings mostly find the same chain again; one copy is
    // enough (the duplicate removal would drop the others).
    for (int32_t i = 0; i < g_column.count; ++i) {
      bool stored = false;
      RunChain previous{};
      ChainShape shape;
      for (int32_t s = kFirstSpacing; s < (n == 1 ? kFirstSpacing + 1 : limit); ++s) {
        if (votes[s] * 10 < 4 * s || !FindRunChain(i, n, s, &chain)) continue;
        if (stored && SameChainRuns(previous, chain, n)) continue;
        if (!ChainAccepted(chain, n, s, x, &shape)) continue;
        NewColumnSample() = SampleOfChain(chain, n, x);
        previous = chain;
        stored = true;
      }
    }
    std::sort(g_columnSamples, g_columnSamples + g_columnSampleCount, SampleBefore);
    RemoveDuplicateSamples();
    KeepColumnSamples();
  }
  if (g_sampleCount == 0) return;

  BeginMerge();
  for (int32_t i = 0; i < g_sampleCount; ++i) AddMergeItem(&KeptSample(i));
  RunChainMerge(SampleCost, SampleCentre, SampleBox, 16, 16, 3276);
  EngineAlloc(g_pieces, sizeof(StaffPiece) * (CountMergedGroups() + 1));
  EngineAlloc(g_pieceMembers, sizeof(StaffSample*) * (g_sampleCount + 1));
  g_pieceCount = 0;
  ForEachMergedGroup(CollectPiece);
  EndMerge();

  EngineAlloc(g_costPieces, sizeof(int32_t) * (g_pieceCount + 1));
  EngineAlloc(g_costTags, sizeof(int32_t) * (g_pieceCount + 1));
  EngineAlloc(g_costJoins, sizeof(int32_t) * (g_pieceCount + 1));
  EngineAlloc(g_costMerged, sizeof(int32_t) * (g_pieceCount + 1));
  EngineAlloc(g_chainOrder, sizeof(int32_t) * (g_pieceCount + 1));
  EngineAlloc(g_chains, sizeof(PieceChain) * (g_pieceCount + 1));
  for (int32_t i = 0; i < g_pieceCount; ++i) {
    g_chainOrder[i] = i;
    g_chains[i] = MakeChain(g_chainOrder, i, 1, true);
  }
  g_chainCount = g_pieceCount;
  JoinChains(JoinMode::kCheapestFirst, 8, 2730, false);
  JoinChains(JoinMode::kBestPartner, 48, kMergeNoJoin, false);
  JoinChains(JoinMode::kCheapestFirst, 48, 16384, true);
}

void BuildStaffRecords(int32_t n) {
  ENGINE_CHECK(n >= 1 && n <= kMaxStaffLines);
  for (int32_t i = 0; i < g_chainCount; ++i) {
    const int32_t index = GetStaffCount();
    // Past the table's last counted row, staves are built in the scratch row
    // and never counted.
    StaffRecord& row = StaffRow(index);
    FreeStaffArrays(row);
    row = StaffRecord{};
    AllocateStaffArrays(row, n);
    BuildRowFromChain(row, g_chains[i], n);
    if (index < kMaxStaves) SetStaffCount(index + 1);
  }
  FreePieceWork();
  int64_t spaces = 0;
  int32_t spaced = 0;
  for (int32_t i = 0; i < GetStaffCount(); ++i) {
    StaffRecord& row = StaffRow(i);
    if (row.lineCount == n) MeasureRowStaffSpace(row);
    if (row.lineCount > 1) {
      spaces += row.staffSpace;
      ++spaced;
    }
  }
  if (n == 1)
    for (int32_t i = 0; i < GetStaffCount(); ++i)
      if (StaffRow(i).lineCount == 1) StaffRow(i).staffSpace = SaturateToInt32(DivRound64(20480 + spaces, 1 + spaced));
  for (int32_t i = 0; i < GetStaffCount(); ++i)
    if (StaffRow(i).lineCount == n) FitStaff(StaffRow(i), 2.0, false);
}
