// The greedy clustering service. Every live group keeps its best partner in a
// binary heap ordered by cost; the top pair is joined until the top costs the
// limit. Neighbours come from the grid index over the group centres.
#include "Code/Quorm/Merger.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Grange.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"

namespace {

constexpr int32_t kFirstItems = 5000;
constexpr char kItemsLabel[] = "infofields";
constexpr int32_t kNeighbourLimit = 3000;
constexpr int32_t kHeapSentinelCost = INT32_MIN;

struct QueueEntry {
  int32_t partner;       // -1 none
  int32_t cost;
  int32_t* partnerOf;    // groups whose best partner is this one, -1-terminated
  int32_t partnerOfCount;
  int32_t partnerOfRoom;  // entries allocated (the terminator included)
  int32_t heapPosition;  // -1 when not in the heap
};

// One slot of the heap: the group and its cost as the heap orders it (the
// queue entry's cost, kept beside the group so that a walk up or down the
// heap reads no queue entries).
struct HeapEntry {
  int32_t group;
  int32_t cost;
};

// One entry of the item table (typed, so that the heap's typed slots apply).
struct ItemEntry {
  void* item;
};

// A join a chain run may make: the tail item from, the head item to.
struct ChainLink {
  int32_t cost;
  int32_t from;
  int32_t to;
};

struct MergeState {
  bool open;
  ItemEntry* items;  // "infofields"
  int32_t itemCount;
  int32_t itemCapacity;
  bool ownsItems;
  MergeGroup* groups;
  int32_t groupCount;
  int32_t liveCount;
  MergeCentreFn centre;
  MergePoint* keys;  // each group's centre as the grid filed it
  int32_t* neighbours;
  QueueEntry* queue;  // "contnbrs", groupCount + 1 entries
  HeapEntry* heap;    // "pqarray", 1-based; slot 0 the sentinel
  int32_t heapSize;
  GrangeGrid* grid;
  int32_t* touched;  // work list of one join, kept from join to join
  int32_t touchedRoom;
  int32_t costBound;  // what the cost being asked for must beat (MergeCostBound)
  bool chained;       // a chain run: no heap work may follow
  // Chain runs: the items by column and row, and the links found.
  int32_t* byColumn;     // item indexes, column after column, down each column
  int32_t* rowOf;        // the row of each entry of byColumn
  int32_t* columnStart;  // first entry of each column in byColumn, then the end
  ChainLink* links;
  int32_t linkCount;
  int32_t linkRoom;
  int32_t* linkSides;  // per item: 1 its tail side taken, 2 its head side
  int32_t* costClass;  // per item: the last cost class that saw it
};

MergeState g_merge;

// ---- Grid over the group centres ----
// A group's centre stays as it is while the grid holds it (a join takes both
// groups out first), so the grid reads the one kept when it was filed instead
// of asking the caller for every group it passes.
GrangePoint GroupKey(int32_t group) {
  const MergePoint p = g_merge.keys[group];
  return GrangePoint{p.x, p.y};
}

void FileGroup(int32_t group) {
  g_merge.keys[group] = g_merge.centre(&g_merge.groups[group]);
  GrangeAdd(&g_merge.grid, group);
}

bool IsLive(int32_t group) { return g_merge.groups[group].tail != nullptr; }

// ---- Heap ----
int32_t HeapCost(int32_t slot) { return slot == 0 ? kHeapSentinelCost : g_merge.heap[slot].cost; }

void HeapPlace(int32_t slot, HeapEntry entry) {
  g_merge.heap[slot] = entry;
  g_merge.queue[entry.group].heapPosition = slot;
}

void HeapMoveUp(int32_t slot) {
  const HeapEntry entry = g_merge.heap[slot];
  while (slot > 1 && HeapCost(slot / 2) >= entry.cost) {
    HeapPlace(slot, g_merge.heap[slot / 2]);
    slot /= 2;
  }
  HeapPlace(slot, entry);
}

void HeapMoveDown(int32_t slot) {
  const HeapEntry entry = g_merge.heap[slot];
  for (;;) {
    int32_t child = 2 * slot;
    if (child > g_merge.heapSize) break;
    if (child + 1 <= g_merge.heapSize && HeapCost(child + 1) < HeapCost(child)) ++child;
    if (entry.cost <= HeapCost(child)) break;
    HeapPlace(slot, g_merge.heap[child]);
    slot = child;
  }
  HeapPlace(slot, entry);
}

void HeapInsert(int32_t group) {
  ++g_merge.heapSize;
  HeapPlace(g_merge.heapSize, HeapEntry{group, g_merge.queue[group].cost});
  HeapMoveUp(g_merge.heapSize);
}

void HeapRemove(int32_t group) {
  const int32_t slot = g_merge.queue[group].heapPosition;
  if (slot < 1) return;
  g_merge.queue[group].heapPosition = -1;
  const HeapEntry last = g_merge.heap[g_merge.heapSize];
  --g_merge.heapSize;
  if (slot > g_merge.heapSize) return;
  HeapPlace(slot, last);
  HeapMoveUp(slot);
  HeapMoveDown(g_merge.queue[last.group].heapPosition);
}

// A changed cost: up when it did not grow, else down.
void HeapUpdate(int32_t group, int32_t oldCost) {
  const int32_t slot = g_merge.queue[group].heapPosition;
  if (slot < 1) {
    HeapInsert(group);
    return;
  }
  g_merge.heap[slot].cost = g_merge.queue[group].cost;
  if (g_merge.queue[group].cost <= oldCost)
    HeapMoveUp(slot);
  else
    HeapMoveDown(slot);
}

// ---- Best partners ----
void AddPartnerOf(int32_t partner, int32_t group) {
  QueueEntry& e = g_merge.queue[partner];
  const int32_t n = e.partnerOfCount;
  if (e.partnerOf == nullptr) {
    EngineAlloc(e.partnerOf, 4 * sizeof(int32_t));
    e.partnerOfRoom = 4;
  } else if (n + 2 > e.partnerOfRoom) {
    EngineResizeArray(e.partnerOf, e.partnerOfRoom, 2 * e.partnerOfRoom);
    e.partnerOfRoom *= 2;
  }
  e.partnerOf[n] = group;
  e.partnerOf[n + 1] = -1;
  e.partnerOfCount = n + 1;
}

void ClearPartnerOf(int32_t group) {
  EngineFree(g_merge.queue[group].partnerOf);
  g_merge.queue[group].partnerOfCount = 0;
  g_merge.queue[group].partnerOfRoom = 0;
}

// Empties a live group's list and keeps its block for the partners to come.
void EmptyPartnerOf(int32_t group) {
  QueueEntry& e = g_merge.queue[group];
  e.partnerOfCount = 0;
  if (e.partnerOf != nullptr) e.partnerOf[0] = -1;
}

void BestPartner(int32_t group, MergeCostFn cost, MergeBoxFn box, int32_t* partner, int32_t* best) {
  *partner = -1;
  *best = kMergeNoJoin;
  MergeBox b{0, 0, 0, 0};
  box(&b, &g_merge.groups[group]);
  int32_t found = GrangeQuery(&g_merge.grid, b.x0, b.y0, b.x1, b.y1, g_merge.neighbours, kNeighbourLimit);
  if (found > kNeighbourLimit) found = kNeighbourLimit;
  for (int32_t i = 0; i < found; ++i) {
    const int32_t other = g_merge.neighbours[i];
    if (other == group) continue;
    // Only a cost below the best so far can change the answer (the first
    // partner is always taken).
    g_merge.costBound = *partner < 0 ? kMergeNoJoin : *best;
    const int32_t c = cost(&g_merge.groups[group], &g_merge.groups[other]);
    if (*partner < 0 || c < *best) {
      *partner = other;
      *best = c;
    }
  }
  if (*partner < 0) *best = kMergeNoJoin;
  g_merge.costBound = kMergeNoJoin;
}

void SetBestPartner(int32_t group, MergeCostFn cost, MergeBoxFn box) {
  int32_t partner;
  int32_t best;
  BestPartner(group, cost, box, &partner, &best);
  g_merge.queue[group].partner = partner;
  g_merge.queue[group].cost = best;
  if (partner >= 0) AddPartnerOf(partner, group);
}

void CheckRunCalls(MergeCostFn cost, MergeCentreFn centre, MergeBoxFn box, int32_t cellWidth, int32_t cellHeight) {
  ENGINE_CHECK(g_merge.open);
  ENGINE_CHECK(cost != nullptr && centre != nullptr && box != nullptr);
  ENGINE_CHECK(cellWidth >= 1 && cellHeight >= 1);
}

// Every item becomes a group of its own.
void MakeGroups(MergeCentreFn centre) {
  ENGINE_CHECK(g_merge.groups == nullptr);
  const int32_t n = g_merge.itemCount;
  g_merge.centre = centre;
  EngineAllocZeroed(g_merge.groups, (n > 0 ? n : 1) * sizeof(MergeGroup));
  for (int32_t i = 0; i < n; ++i) {
    g_merge.groups[i].item = g_merge.items[i].item;
    g_merge.groups[i].next = nullptr;
    g_merge.groups[i].tail = &g_merge.groups[i];
  }
  g_merge.groupCount = n;
  g_merge.liveCount = n;
  NamedFree(g_merge.items);
  g_merge.itemCapacity = 0;
}

// The groups filed in the grid and put in the heap, each with its best
// partner.
void RankGroups(MergeCostFn cost, MergeCentreFn centre, MergeBoxFn box, int32_t cellWidth, int32_t cellHeight) {
  const int32_t n = g_merge.groupCount;
  int32_t width = 0;
  int32_t height = 0;
  EngineAlloc(g_merge.keys, (n > 0 ? n : 1) * sizeof(MergePoint));
  for (int32_t i = 0; i < n; ++i) {
    const MergePoint p = centre(&g_merge.groups[i]);
    ENGINE_CHECK(p.x >= 0 && p.y >= 0);
    if (p.x > width) width = p.x;
    if (p.y > height) height = p.y;
  }
  // Each group is filed once, and once more after each join (at most n - 1).
  const int32_t filings = n < INT32_MAX / 2 ? 2 * n : INT32_MAX;
  GrangeCreate(&g_merge.grid, GroupKey, cellWidth, cellHeight, width + 1, height + 1, filings);
  for (int32_t i = 0; i < n; ++i) FileGroup(i);

  NamedAlloc(g_merge.heap, (n + 1) * sizeof(HeapEntry), "pqarray");
  NamedAlloc(g_merge.queue, (n + 1) * sizeof(QueueEntry), "contnbrs");
  for (int32_t i = 0; i <= n; ++i) g_merge.queue[i] = QueueEntry{-1, 0, nullptr, 0, 0, -1};
  g_merge.heap[0] = HeapEntry{n, kHeapSentinelCost};  // the sentinel's slot
  g_merge.heapSize = 0;
  for (int32_t i = 0; i < n; ++i) {
    SetBestPartner(i, cost, box);
    HeapInsert(i);
  }
}

void PrepareMergeGroups(MergeCostFn cost, MergeCentreFn centre, MergeBoxFn box, int32_t cellWidth,
                        int32_t cellHeight) {
  CheckRunCalls(cost, centre, box, cellWidth, cellHeight);
  MakeGroups(centre);
  RankGroups(cost, centre, box, cellWidth, cellHeight);
}

// ---- Chain runs ----
// In a chain run a join only ever links a group's tail item to the head item
// of a group that starts right of it, and a link's cost stays what it was
// while both its items are free: the joins are those that taking the links
// cheapest first makes, whatever the order among links of one cost, unless
// two free links of one cost share an item. Only then does the heap's order
// decide, and the run is left to the heap.

void NoJoinSummary(MergeGroup*, MergeGroup*) {}

void FreeChainWork() {
  EngineFree(g_merge.byColumn);
  EngineFree(g_merge.rowOf);
  EngineFree(g_merge.columnStart);
  EngineFree(g_merge.links);
  EngineFree(g_merge.linkSides);
  EngineFree(g_merge.costClass);
  EngineFree(g_merge.keys);
  g_merge.linkCount = g_merge.linkRoom = 0;
}

// The items by their centres' columns, then rows (byColumn, rowOf,
// columnStart); returns the number of columns.
int32_t SortItemsByColumn(MergeCentreFn centre) {
  const int32_t n = g_merge.groupCount;
  const size_t room = static_cast<size_t>(n > 0 ? n : 1);
  EngineAlloc(g_merge.keys, room * sizeof(MergePoint));
  int32_t width = 0;
  for (int32_t i = 0; i < n; ++i) {
    const MergePoint p = centre(&g_merge.groups[i]);
    ENGINE_CHECK(p.x >= 0 && p.y >= 0 && p.x < INT32_MAX - 1);
    g_merge.keys[i] = p;
    width = std::max(width, p.x + 1);
  }
  int32_t*& start = g_merge.columnStart;
  EngineAllocZeroed(start, (static_cast<size_t>(width) + 1) * sizeof(int32_t));
  for (int32_t i = 0; i < n; ++i) ++start[g_merge.keys[i].x + 1];
  for (int32_t x = 0; x < width; ++x) start[x + 1] += start[x];
  EngineAlloc(g_merge.byColumn, room * sizeof(int32_t));
  EngineAlloc(g_merge.rowOf, room * sizeof(int32_t));
  // Each column's start serves as its fill position, then moves back.
  for (int32_t i = 0; i < n; ++i) g_merge.byColumn[start[g_merge.keys[i].x]++] = i;
  for (int32_t x = width; x > 0; --x) start[x] = start[x - 1];
  start[0] = 0;
  const MergePoint* keys = g_merge.keys;
  for (int32_t x = 0; x < width; ++x)
    std::sort(g_merge.byColumn + start[x], g_merge.byColumn + start[x + 1],
              [keys](int32_t a, int32_t b) { return keys[a].y != keys[b].y ? keys[a].y < keys[b].y : a < b; });
  for (int32_t k = 0; k < n; ++k) g_merge.rowOf[k] = keys[g_merge.byColumn[k]].y;
  return width;
}

// Every link below the limit from each item, as its box finds them; false
// when the run is not a chain run (a box reaches the item's own column or
// left of it) or a box holds more than the heap's search would look at.
bool FindChainLinks(MergeCostFn cost, MergeBoxFn box, int32_t width, int32_t limit) {
  const int32_t n = g_merge.groupCount;
  for (int32_t p = 0; p < n; ++p) {
    MergeBox b{0, 0, 0, 0};
    box(&b, &g_merge.groups[p]);
    if (b.x0 <= g_merge.keys[p].x) return false;
    int32_t seen = 0;
    for (int32_t x = b.x0; x < std::min(b.x1, width); ++x) {
      const int32_t* rows = g_merge.rowOf;
      const int32_t end = g_merge.columnStart[x + 1];
      for (int32_t k = static_cast<int32_t>(std::lower_bound(rows + g_merge.columnStart[x], rows + end, b.y0) - rows);
           k < end && rows[k] < b.y1; ++k) {
        if (++seen > kNeighbourLimit) return false;
        const int32_t q = g_merge.byColumn[k];
        const int32_t c = cost(&g_merge.groups[p], &g_merge.groups[q]);
        if (c >= limit) continue;
        if (g_merge.linkCount == g_merge.linkRoom)
          GrowEngineArrayChecked(g_merge.links, g_merge.linkRoom, static_cast<size_t>(n > 16 ? n : 16));
        g_merge.links[g_merge.linkCount++] = ChainLink{c, p, q};
      }
    }
  }
  return true;
}

bool LinkFree(const ChainLink& l) { return !(g_merge.linkSides[l.from] & 1) && !(g_merge.linkSides[l.to] & 2); }

void TakeLink(const ChainLink& l) {
  g_merge.linkSides[l.from] |= 1;
  g_merge.linkSides[l.to] |= 2;
  g_merge.groups[l.from].next = &g_merge.groups[l.to];
}

// Takes the links cheapest first; false (and nothing taken) when two free
// links of one cost share an item.
bool TakeChainLinks() {
  const int32_t n = g_merge.groupCount;
  const size_t room = static_cast<size_t>(n > 0 ? n : 1);
  ChainLink* links = g_merge.links;
  const int32_t count = g_merge.linkCount;
  EngineAllocZeroed(g_merge.linkSides, room * sizeof(int32_t));
  int32_t* sides = g_merge.linkSides;
  // Links of which no two share an item are all taken, in any order.
  bool shared = false;
  for (int32_t i = 0; i < count && !shared; ++i) {
    shared = !LinkFree(links[i]);
    sides[links[i].from] |= 1;
    sides[links[i].to] |= 2;
  }
  std::memset(sides, 0, room * sizeof(int32_t));
  if (!shared) {
    for (int32_t i = 0; i < count; ++i) TakeLink(links[i]);
    return true;
  }
  std::sort(links, links + count, [](const ChainLink& a, const ChainLink& b) {
    if (a.cost != b.cost) return a.cost < b.cost;
    return a.from != b.from ? a.from < b.from : a.to < b.to;
  });
  // The links of one cost that are still free must share no item; they are
  // then all taken.
  EngineAlloc(g_merge.costClass, 2 * room * sizeof(int32_t));
  int32_t* seenIn = g_merge.costClass;  // tail sides, then head sides
  std::fill(seenIn, seenIn + 2 * room, -1);
  for (int32_t first = 0; first < count;) {
    int32_t end = first;
    while (end < count && links[end].cost == links[first].cost) ++end;
    for (int32_t i = first; i < end; ++i) {
      const ChainLink& l = links[i];
      if (!LinkFree(l)) continue;
      if (seenIn[l.from] == first || seenIn[n + l.to] == first) {
        for (int32_t g = 0; g < n; ++g) g_merge.groups[g].next = nullptr;
        return false;
      }
      seenIn[l.from] = first;
      seenIn[n + l.to] = first;
    }
    for (int32_t i = first; i < end; ++i)
      if (LinkFree(links[i])) TakeLink(links[i]);
    first = end;
  }
  return true;
}

// The groups after the links were taken: each head leads its chain.
void ChainGroups() {
  int32_t live = 0;
  for (int32_t h = 0; h < g_merge.groupCount; ++h) {
    if (g_merge.linkSides[h] & 2) continue;
    ++live;
    MergeGroup* last = &g_merge.groups[h];
    while (last->next != nullptr) {
      last = last->next;
      last->tail = nullptr;
    }
    g_merge.groups[h].tail = last;
  }
  g_merge.liveCount = live;
}

// Joins b's members into a's list.
void JoinMemberLists(MergeGroup* a, MergeGroup* b, MergeOrderFn order) {
  if (order == nullptr) {
    a->tail->next = b;
    a->tail = b->tail;
    return;
  }
  ENGINE_CHECK(order(a->item, b->item) <= 0);
  MergeGroup* left = a->next;
  MergeGroup* right = b;
  MergeGroup* last = a;
  while (left != nullptr && right != nullptr) {
    if (order(right->item, left->item) <= 0) {
      last->next = right;
      last = right;
      right = right->next;
    } else {
      last->next = left;
      last = left;
      left = left->next;
    }
  }
  last->next = left != nullptr ? left : right;
  while (last->next != nullptr) last = last->next;
  a->tail = last;
}

// Group b joins group a: the caller's join callback, the member lists, the
// grid and the live count. The heap is the caller's.
void JoinGroups(int32_t a, int32_t b, MergeJoinFn join, MergeOrderFn order) {
  MergeGroup* ga = &g_merge.groups[a];
  MergeGroup* gb = &g_merge.groups[b];
  GrangeRemove(&g_merge.grid, a);
  GrangeRemove(&g_merge.grid, b);
  join(ga, gb);
  JoinMemberLists(ga, gb, order);
  gb->tail = nullptr;
  --g_merge.liveCount;
  FileGroup(a);
}

int32_t MergeGroups(MergeCostFn cost, MergeJoinFn join, MergeBoxFn box, MergeOrderFn order, int32_t limit) {
  ENGINE_CHECK(cost != nullptr && join != nullptr && box != nullptr);
  for (;;) {
    const int32_t top = g_merge.heapSize > 0 ? g_merge.heap[1].cost : kMergeNoJoin;
    if (top >= limit) return top;
    const int32_t a = g_merge.heap[1].group;
    const int32_t b = g_merge.queue[a].partner;
    ENGINE_CHECK(b >= 0);
    HeapRemove(a);

    // The groups that had a or b as best partner are costed again below.
    int32_t*& touched = g_merge.touched;
    const int32_t na = g_merge.queue[a].partnerOfCount;
    const int32_t nb = g_merge.queue[b].partnerOfCount;
    while (g_merge.touchedRoom < na + nb + 1) GrowEngineArrayChecked(touched, g_merge.touchedRoom, 64);
    if (na > 0) std::memcpy(touched, g_merge.queue[a].partnerOf, na * sizeof(int32_t));
    if (nb > 0) std::memcpy(touched + na, g_merge.queue[b].partnerOf, nb * sizeof(int32_t));
    EmptyPartnerOf(a);
    ClearPartnerOf(b);
    g_merge.queue[a].partner = -1;
    g_merge.queue[a].cost = 0;

    JoinGroups(a, b, join, order);

    SetBestPartner(a, cost, box);
    HeapInsert(a);
    HeapRemove(b);
    for (int32_t i = 0; i < na + nb; ++i) {
      const int32_t g = touched[i];
      if (g == a || g == b || !IsLive(g)) continue;
      const int32_t oldCost = g_merge.queue[g].cost;
      SetBestPartner(g, cost, box);
      HeapUpdate(g, oldCost);
    }
  }
}

void AppendItem(void* item) {
  ENGINE_CHECK(g_merge.open && g_merge.groups == nullptr);
  if (g_merge.itemCount == g_merge.itemCapacity)
    GrowNamedArrayChecked(g_merge.items, g_merge.itemCapacity, kFirstItems, kItemsLabel);
  g_merge.items[g_merge.itemCount++].item = item;
}

}  // namespace

void BeginMerge() {
  ENGINE_CHECK(!g_merge.open);
  g_merge = MergeState{};
  g_merge.open = true;
  g_merge.costBound = kMergeNoJoin;
  NamedAlloc(g_merge.items, kFirstItems * sizeof(ItemEntry), kItemsLabel);
  std::memset(g_merge.items, 0, kFirstItems * sizeof(ItemEntry));
  g_merge.itemCapacity = kFirstItems;
  EngineAlloc(g_merge.neighbours, kNeighbourLimit * sizeof(int32_t));
}

void AddMergeItem(void* item) {
  AppendItem(item);
  g_merge.ownsItems = false;
}

void* NewMergeItem(int32_t size) {
  ENGINE_CHECK(size >= 0);
  void* item = nullptr;
  EngineAllocZeroed(&item, static_cast<size_t>(size));
  AppendItem(item);
  g_merge.ownsItems = true;
  return item;
}

int32_t RunMerge(MergeCostFn cost, MergeJoinFn join, MergeCentreFn centre, MergeBoxFn box, MergeOrderFn order,
                 int32_t cellWidth, int32_t cellHeight, int32_t limit) {
  ENGINE_CHECK(g_merge.open);
  PrepareMergeGroups(cost, centre, box, cellWidth, cellHeight);
  return MergeGroups(cost, join, box, order, limit);
}

void RunChainMerge(MergeCostFn cost, MergeCentreFn centre, MergeBoxFn box, int32_t cellWidth, int32_t cellHeight,
                   int32_t limit) {
  CheckRunCalls(cost, centre, box, cellWidth, cellHeight);
  MakeGroups(centre);
  g_merge.chained = true;
  const int32_t width = SortItemsByColumn(centre);
  const bool linked = FindChainLinks(cost, box, width, limit) && TakeChainLinks();
  if (linked) ChainGroups();
  FreeChainWork();
  if (linked) return;
  RankGroups(cost, centre, box, cellWidth, cellHeight);
  MergeGroups(cost, NoJoinSummary, box, nullptr, limit);
}

void MergeAllPairs(MergeCostFn cost, MergeBoxFn box) {
  ENGINE_CHECK(cost != nullptr && box != nullptr);
  ENGINE_CHECK(g_merge.groups != nullptr && !g_merge.chained);
  for (int32_t g = 0; g < g_merge.groupCount; ++g) EmptyPartnerOf(g);
  for (int32_t g = 0; g < g_merge.groupCount; ++g) {
    if (!IsLive(g)) continue;
    const int32_t oldCost = g_merge.queue[g].cost;
    SetBestPartner(g, cost, box);
    HeapUpdate(g, oldCost);
  }
}

void JoinBestPartners(MergeJoinFn join, MergeOrderFn order, int32_t limit) {
  ENGINE_CHECK(join != nullptr);
  ENGINE_CHECK(g_merge.groups != nullptr && !g_merge.chained);
  const int32_t n = g_merge.groupCount;
  // The partners as they stand before any join, and the head of each group's
  // merged object as the joins go on.
  OwnedEngineBlock<int32_t> partner;
  OwnedEngineBlock<int32_t> head;
  EngineAllocChecked(partner.slot(), (n > 0 ? n : 1) * sizeof(int32_t));
  EngineAllocChecked(head.slot(), (n > 0 ? n : 1) * sizeof(int32_t));
  for (int32_t g = 0; g < n; ++g) {
    const QueueEntry& e = g_merge.queue[g];
    partner[g] = IsLive(g) && e.partner >= 0 && e.cost < limit ? e.partner : -1;
    head[g] = g;
  }
  for (int32_t g = 0; g < n; ++g) {
    if (partner[g] < 0) continue;
    int32_t a = head[g];
    int32_t b = head[partner[g]];
    if (a == b) continue;
    if (order != nullptr && order(g_merge.groups[b].item, g_merge.groups[a].item) < 0) std::swap(a, b);
    for (MergeGroup* m = &g_merge.groups[b]; m != nullptr; m = m->next) head[m - g_merge.groups] = a;
    JoinGroups(a, b, join, order);
    HeapRemove(b);
  }
}

int32_t MergeCostBound() { return g_merge.open ? g_merge.costBound : kMergeNoJoin; }

void ForEachMergedGroup(MergeGroupFn callback) {
  ENGINE_CHECK_POINTER(callback);
  for (int32_t g = 0; g < g_merge.groupCount; ++g)
    if (IsLive(g)) callback(&g_merge.groups[g]);
}

void FilterMergedGroups(MergeKeepFn keep) {
  ENGINE_CHECK_POINTER(keep);
  for (int32_t g = 0; g < g_merge.groupCount; ++g) {
    if (!IsLive(g) || keep(&g_merge.groups[g]) != 0) continue;
    g_merge.groups[g].tail = nullptr;
    --g_merge.liveCount;
    // A chain run that needed no heap has no grid and no heap.
    if (g_merge.grid != nullptr) GrangeRemove(&g_merge.grid, g);
    if (g_merge.queue != nullptr) HeapRemove(g);
  }
}

int32_t CountMergedGroups() {
  int32_t live = 0;
  for (int32_t g = 0; g < g_merge.groupCount; ++g)
    if (IsLive(g)) ++live;
  ENGINE_CHECK(live == g_merge.liveCount);
  return live;
}

int32_t CountListItems(const MergeGroup* group) {
  ENGINE_CHECK_POINTER(group);
  int32_t n = 0;
  for (const MergeGroup* m = group; m != nullptr; m = m->next) ++n;
  return n;
}

void EndMerge() {
  if (g_merge.queue != nullptr) {
    for (int32_t g = 0; g <= g_merge.groupCount; ++g) EngineFree(g_merge.queue[g].partnerOf);
    NamedFree(g_merge.queue);
  }
  NamedFree(g_merge.heap);
  if (g_merge.ownsItems) {
    if (g_merge.groups != nullptr) {
      for (int32_t g = 0; g < g_merge.groupCount; ++g) EngineFree(g_merge.groups[g].item);
    } else {
      for (int32_t i = 0; i < g_merge.itemCount; ++i) EngineFree(g_merge.items[i].item);
    }
  }
  EngineFree(g_merge.groups);
  EngineFree(g_merge.keys);
  EngineFree(g_merge.neighbours);
  EngineFree(g_merge.touched);
  FreeChainWork();
  NamedFree(g_merge.items);
  if (g_merge.grid != nullptr) GrangeFree(&g_merge.grid);
  g_merge = MergeState{};
}
