// Greedy clustering: items become groups, and the cheapest pair of neighbouring
// groups is joined again and again until the cheapest join costs the limit.
// One run is open at a time: BeginMerge, add items, RunMerge, walk, EndMerge.
#pragma once

#include <cstdint>

struct MergeGroup {
  void* item;        // the caller's item
  MergeGroup* next;  // next member of the same merged object, null at the end
  MergeGroup* tail;  // last member when this group is a head; null once absorbed or dropped
};

// A group's place in the neighbour grid: x runs along the grid's width, y
// along its height; both must not be negative.
struct MergePoint {
  int32_t x;
  int32_t y;
};

// Half-open search box (x1, y1 excluded) in the same coordinates as MergePoint.
struct MergeBox {
  int32_t x0, y0, x1, y1;
};

using MergeCostFn = int32_t (*)(MergeGroup* a, MergeGroup* b);  // cost of joining b to a
using MergeJoinFn = void (*)(MergeGroup* a, MergeGroup* b);     // told just before b joins a
using MergeCentreFn = MergePoint (*)(MergeGroup* group);
using MergeBoxFn = void (*)(MergeBox* out, MergeGroup* group);
using MergeOrderFn = int32_t (*)(void* itemA, void* itemB);     // < 0, 0, > 0 like strcmp
using MergeGroupFn = void (*)(MergeGroup* group);
using MergeKeepFn = int32_t (*)(MergeGroup* group);             // 0 drops the group

constexpr int32_t kMergeNoJoin = 0x7fffffff;  // the cost of "no partner"

void BeginMerge();
void AddMergeItem(void* item);
void* NewMergeItem(int32_t size);
// Returns the cost that stopped merging (kMergeNoJoin when no pair was left).
int32_t RunMerge(MergeCostFn cost, MergeJoinFn join, MergeCentreFn centre, MergeBoxFn box,
                 MergeOrderFn order, int32_t cellWidth, int32_t cellHeight, int32_t limit);
// The run for chains: a join only links a group's last member to the first
// member of a group that starts right of it. The cost must read only a's
// tail item and b's head item, the box only the tail item, and every box must
// lie right of its tail's centre. The groups are RunMerge's with no join
// callback and no order function; they are found link by link, without the
// heap, unless the heap's order decides between two links of one cost (then
// the run is RunMerge's). Only walks, filters, counts and EndMerge may
// follow.
void RunChainMerge(MergeCostFn cost, MergeCentreFn centre, MergeBoxFn box, int32_t cellWidth, int32_t cellHeight,
                   int32_t limit);
void MergeAllPairs(MergeCostFn cost, MergeBoxFn box);
// Joins every live group with its best partner, as the run or the last
// MergeAllPairs found it, when that partner costs less than the limit; chains
// of partners end up in one group. With an order function the group that
// orders first leads. Only walks, filters, counts, MergeAllPairs and
// EndMerge may follow.
void JoinBestPartners(MergeJoinFn join, MergeOrderFn order, int32_t limit);
// While a cost callback runs: the cost it must beat to change the Merger's
// choice. A cost function may answer any value at or above this bound instead
// of its exact cost when it knows the cost is at least the bound (and so stop
// early); below the bound it must answer the exact cost. kMergeNoJoin when
// every cost counts (the first candidate, or outside a search).
int32_t MergeCostBound();
void ForEachMergedGroup(MergeGroupFn callback);
void FilterMergedGroups(MergeKeepFn keep);
int32_t CountMergedGroups();
int32_t CountListItems(const MergeGroup* group);
void EndMerge();  // also the module's free function (FreeEngine)
