// The greedy clustering service against a brute-force greedy clustering, and
// its edge cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <random>
#include <set>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Merger.h"

namespace {

struct Item {
  int32_t id;
  int32_t x;
  int32_t y;
  int32_t label;
};

// Pair costs of the random cases: distinct values, symmetric.
std::vector<std::vector<int32_t>> g_pairCost;
int g_joins = 0;

int32_t SingleLinkCost(MergeGroup* a, MergeGroup* b) {
  int32_t best = INT32_MAX;
  for (MergeGroup* m = a; m != nullptr; m = m->next)
    for (MergeGroup* n = b; n != nullptr; n = n->next)
      best = std::min(best, g_pairCost[static_cast<Item*>(m->item)->id][static_cast<Item*>(n->item)->id]);
  return best;
}

void CountJoin(MergeGroup*, MergeGroup*) { ++g_joins; }

MergePoint ItemCentre(MergeGroup* g) {
  const Item* item = static_cast<Item*>(g->item);
  return MergePoint{item->x, item->y};
}

void WholePage(MergeBox* out, MergeGroup*) { *out = MergeBox{0, 0, 1000, 1000}; }

void NearbyBox(MergeBox* out, MergeGroup* g) {
  const MergePoint c = ItemCentre(g);
  *out = MergeBox{c.x - 5, c.y - 5, c.x + 6, c.y + 6};
}

using Partition = std::set<std::set<int32_t>>;

// Joins the cheapest ordered pair until it costs the limit; returns that cost.
int32_t BruteForceGreedy(int n, int32_t limit, Partition* out) {
  std::vector<std::vector<int32_t>> groups;
  for (int i = 0; i < n; ++i) groups.push_back({i});
  for (;;) {
    int32_t best = INT32_MAX;
    size_t ba = 0;
    size_t bb = 0;
    for (size_t a = 0; a < groups.size(); ++a)
      for (size_t b = 0; b < groups.size(); ++b) {
        if (a == b) continue;
        for (int32_t i : groups[a])
          for (int32_t j : groups[b])
            if (g_pairCost[i][j] < best) {
              best = g_pairCost[i][j];
              ba = a;
              bb = b;
            }
      }
    if (groups.size() < 2) best = kMergeNoJoin;
    if (best >= limit) {
      out->clear();
      for (const auto& g : groups) out->insert(std::set<int32_t>(g.begin(), g.end()));
      return best;
    }
    groups[ba].insert(groups[ba].end(), groups[bb].begin(), groups[bb].end());
    groups.erase(groups.begin() + static_cast<long>(bb));
  }
}

Partition g_collected;
void CollectGroup(MergeGroup* g) {
  std::set<int32_t> members;
  for (MergeGroup* m = g; m != nullptr; m = m->next) members.insert(static_cast<Item*>(m->item)->id);
  g_collected.insert(members);
}

Partition CollectPartition() {
  g_collected.clear();
  ForEachMergedGroup(CollectGroup);
  return g_collected;
}

// A random case of seed: 2 to 15 items at random places, their pair costs
// (into g_pairCost) distinct values in a random order, and a random limit.
struct RandomCase {
  explicit RandomCase(unsigned seed) {
    std::mt19937 random(seed);
    n = 2 + static_cast<int>(random() % 14);
    std::vector<int32_t> values(n * n);
    for (int i = 0; i < n * n; ++i) values[i] = i * 7 + 1;
    std::shuffle(values.begin(), values.end(), random);
    g_pairCost.assign(n, std::vector<int32_t>(n, 0));
    for (int i = 0; i < n; ++i)
      for (int j = i + 1; j < n; ++j) g_pairCost[i][j] = g_pairCost[j][i] = values[i * n + j];
    limit = static_cast<int32_t>(random() % (7 * n * n));
    items.resize(n);
    for (int i = 0; i < n; ++i)
      items[i] = Item{i, static_cast<int32_t>(random() % 1000), static_cast<int32_t>(random() % 1000), 0};
  }
  int n = 0;
  int32_t limit = 0;
  std::vector<Item> items;
};

class MergerTest : public ::testing::Test {
 protected:
  void TearDown() override { EndMerge(); }
};

TEST_F(MergerTest, MatchesBruteForceGreedyOnRandomInputs) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    RandomCase c(seed);
    const int n = c.n;
    const int32_t limit = c.limit;
    BeginMerge();
    for (Item& item : c.items) AddMergeItem(&item);
    g_joins = 0;
    const int32_t stopped = RunMerge(SingleLinkCost, CountJoin, ItemCentre, WholePage, nullptr, 16, 16, limit);

    Partition expected;
    const int32_t expectedStop = BruteForceGreedy(n, limit, &expected);
    EXPECT_EQ(stopped, expectedStop) << "seed " << seed;
    EXPECT_EQ(CollectPartition(), expected) << "seed " << seed;
    EXPECT_EQ(CountMergedGroups(), static_cast<int32_t>(expected.size()));
    EXPECT_EQ(g_joins, n - static_cast<int>(expected.size()));
    EndMerge();
  }
}

// The single-link cost as a cost function that stops early may answer it:
// below the bound exactly, at or above it only something not below the bound
// (here the bound itself, or a value far above it).
bool g_farAbove = false;
int g_boundedAnswers = 0;
int32_t BoundedSingleLinkCost(MergeGroup* a, MergeGroup* b) {
  const int32_t bound = MergeCostBound();
  const int32_t cost = SingleLinkCost(a, b);
  if (cost < bound) return cost;
  ++g_boundedAnswers;
  return g_farAbove ? bound + (kMergeNoJoin - bound) / 2 : bound;
}

// Stopping at the bound changes no choice: the same joins, the same stop
// cost and the same best partners as with exact costs.
TEST_F(MergerTest, CostsCutShortAtTheBoundGiveTheSameGroups) {
  int bounded = 0;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    RandomCase c(seed);
    const int32_t limit = c.limit;
    std::vector<Item>& items = c.items;

    for (int bestPartners = 0; bestPartners < 2; ++bestPartners) {
      // Exact costs first, then the two ways of answering at the bound.
      Partition results[3];
      int32_t stops[3];
      for (int way = 0; way < 3; ++way) {
        g_farAbove = way == 2;
        BeginMerge();
        for (Item& item : items) AddMergeItem(&item);
        EXPECT_EQ(MergeCostBound(), kMergeNoJoin);
        const MergeCostFn cost = way == 0 ? SingleLinkCost : BoundedSingleLinkCost;
        stops[way] = RunMerge(cost, CountJoin, ItemCentre, WholePage, nullptr, 16, 16, bestPartners ? 0 : limit);
        if (bestPartners) JoinBestPartners(CountJoin, nullptr, limit);
        results[way] = CollectPartition();
        EndMerge();
      }
      for (int way = 1; way < 3; ++way) {
        EXPECT_EQ(results[way], results[0]) << "seed " << seed << " way " << way;
        EXPECT_EQ(stops[way], stops[0]) << "seed " << seed << " way " << way;
      }
    }
    bounded += g_boundedAnswers;
    g_boundedAnswers = 0;
  }
  // The bound did come into play.
  EXPECT_GT(bounded, 0);
}

int32_t SameLabelFree(MergeGroup* a, MergeGroup* b) {
  return static_cast<Item*>(a->item)->label == static_cast<Item*>(b->item)->label ? 0 : 2;
}

TEST_F(MergerTest, LimitOneJoinsExactlyTheFreePairs) {
  Item items[6] = {{0, 1, 1, 0}, {1, 2, 1, 1}, {2, 3, 1, 0}, {3, 4, 1, 1}, {4, 5, 1, 2}, {5, 6, 1, 0}};
  BeginMerge();
  for (Item& item : items) AddMergeItem(&item);
  EXPECT_EQ(RunMerge(SameLabelFree, CountJoin, ItemCentre, WholePage, nullptr, 4, 4, 1), 2);
  EXPECT_EQ(CollectPartition(), (Partition{{0, 2, 5}, {1, 3}, {4}}));
}

int32_t OrderById(void* a, void* b) { return static_cast<Item*>(a)->id - static_cast<Item*>(b)->id; }

// With an order function the cheap joins must keep the earlier member first.
int32_t ForwardJoinsFree(MergeGroup* a, MergeGroup* b) {
  return OrderById(a->item, b->item) < 0 ? 0 : 2;
}

TEST_F(MergerTest, OrderFunctionKeepsMembersSorted) {
  Item items[5] = {{3, 1, 1, 0}, {0, 2, 1, 0}, {4, 3, 1, 0}, {2, 4, 1, 0}, {1, 5, 1, 0}};
  BeginMerge();
  for (Item& item : items) AddMergeItem(&item);
  RunMerge(ForwardJoinsFree, CountJoin, ItemCentre, WholePage, OrderById, 4, 4, 1);
  ASSERT_EQ(CountMergedGroups(), 1);
  ForEachMergedGroup([](MergeGroup* g) {
    int32_t last = -1;
    for (MergeGroup* m = g; m != nullptr; m = m->next) {
      EXPECT_GT(static_cast<Item*>(m->item)->id, last);
      last = static_cast<Item*>(m->item)->id;
    }
    EXPECT_EQ(CountListItems(g), 5);
    EXPECT_EQ(static_cast<Item*>(g->tail->item)->id, 4);
  });
}

TEST_F(MergerTest, ItemsFarApartStayAlone) {
  BeginMerge();
  for (int i = 0; i < 4; ++i) {
    Item* item = static_cast<Item*>(NewMergeItem(sizeof(Item)));
    *item = Item{i, 100 * i, 50 * i, 0};
  }
  EXPECT_EQ(RunMerge(SameLabelFree, CountJoin, ItemCentre, NearbyBox, nullptr, 8, 8, 1000), kMergeNoJoin);
  EXPECT_EQ(CountMergedGroups(), 4);
  ForEachMergedGroup([](MergeGroup* g) { EXPECT_EQ(CountListItems(g), 1); });
}

TEST_F(MergerTest, FilterThatDropsEveryGroupLeavesNone) {
  Item items[3] = {{0, 1, 1, 0}, {1, 20, 1, 1}, {2, 40, 1, 2}};
  BeginMerge();
  for (Item& item : items) AddMergeItem(&item);
  RunMerge(SameLabelFree, CountJoin, ItemCentre, WholePage, nullptr, 4, 4, 1);
  FilterMergedGroups([](MergeGroup*) { return 0; });
  EXPECT_EQ(CountMergedGroups(), 0);
}

TEST_F(MergerTest, MergeAllPairsAfterAFilterFindsOnlyLiveGroups) {
  Item items[3] = {{0, 1, 1, 0}, {1, 2, 1, 1}, {2, 3, 1, 2}};
  BeginMerge();
  for (Item& item : items) AddMergeItem(&item);
  RunMerge(SameLabelFree, CountJoin, ItemCentre, WholePage, nullptr, 4, 4, 1);
  FilterMergedGroups([](MergeGroup* g) { return static_cast<Item*>(g->item)->id == 1 ? 0 : 1; });
  MergeAllPairs(SameLabelFree, WholePage);
  EXPECT_EQ(CountMergedGroups(), 2);
}

// Joining to the right only: the horizontal distance plus the vertical one.
int32_t RightwardCost(MergeGroup* a, MergeGroup* b) {
  const Item* p = static_cast<Item*>(a->tail->item);
  const Item* q = static_cast<Item*>(b->item);
  if (q->x <= p->x) return kMergeNoJoin;
  return (q->x - p->x) + std::abs(q->y - p->y);
}

struct BestPartnerCase {
  int32_t limit;
  Partition expected;
};

// Every group joins its best partner below the limit, whatever the cost of
// the joins before: chains of partners become one group, and two groups
// that choose the same partner end up together.
TEST_F(MergerTest, JoinBestPartnersJoinsEveryGroupWithItsBestPartnerBelowTheLimit) {
  const BestPartnerCase cases[] = {
      {1000, {{0, 1, 2, 3, 4, 5}}},
      {150, {{0, 1, 2, 3, 4}, {5}}},
      {50, {{0, 1, 2, 4}, {3}, {5}}},
      {12, {{0, 1, 4}, {2}, {3}, {5}}},
      {1, {{0}, {1}, {2}, {3}, {4}, {5}}},
  };
  for (const BestPartnerCase& c : cases) {
    // Best partners: 0 -> 1 (10), 4 -> 1 (11), 1 -> 2 (15), 2 -> 3 (75),
    // 3 -> 5 (200); a run with limit 0 joins nothing and stops at 10.
    Item items[6] = {{0, 0, 20, 0}, {1, 10, 20, 0}, {2, 25, 20, 0}, {3, 100, 20, 0}, {4, 5, 26, 0}, {5, 300, 20, 0}};
    g_joins = 0;
    BeginMerge();
    for (Item& item : items) AddMergeItem(&item);
    EXPECT_EQ(RunMerge(RightwardCost, CountJoin, ItemCentre, WholePage, nullptr, 16, 16, 0), 10) << c.limit;
    JoinBestPartners(CountJoin, nullptr, c.limit);
    EXPECT_EQ(CollectPartition(), c.expected) << "limit " << c.limit;
    EXPECT_EQ(CountMergedGroups(), static_cast<int32_t>(c.expected.size()));
    EXPECT_EQ(g_joins, 6 - static_cast<int>(c.expected.size()));
    EndMerge();
  }
}

// Chain runs: items in columns, each joining the next column only; the cost
// reads the tail and the head, the box the tail.
int g_costCalls = 0;
int32_t NextColumnCost(MergeGroup* a, MergeGroup* b) {
  ++g_costCalls;
  const Item* p = static_cast<Item*>(a->tail->item);
  const Item* q = static_cast<Item*>(b->item);
  if (q->x != p->x + 1) return kMergeNoJoin;
  return 100 * std::abs(q->y - p->y) + std::abs(q->label - p->label);
}

void NextColumnBox(MergeBox* out, MergeGroup* g) {
  const Item* tail = static_cast<Item*>(g->tail->item);
  *out = MergeBox{tail->x + 1, tail->y - 4, tail->x + 2, tail->y + 5};
}

void NoSummary(MergeGroup*, MergeGroup*) {}

// The groups as the walk gives them, each with its members in list order.
std::vector<std::vector<int32_t>> g_ordered;
std::vector<std::vector<int32_t>> OrderedGroups() {
  g_ordered.clear();
  ForEachMergedGroup([](MergeGroup* g) {
    g_ordered.emplace_back();
    for (MergeGroup* m = g; m != nullptr; m = m->next) g_ordered.back().push_back(static_cast<Item*>(m->item)->id);
  });
  return g_ordered;
}

// Items in columns 0 .. width-1, up to six a column at rows 0 .. 19, added in
// a shuffled order; labels 0 .. labels-1 (one label: many joins of one cost).
std::vector<Item> ColumnItems(unsigned seed, int labels) {
  std::mt19937 random(seed);
  const int width = 2 + static_cast<int>(random() % 30);
  std::vector<Item> items;
  for (int x = 0; x < width; ++x) {
    const int count = static_cast<int>(random() % 7);
    for (int i = 0; i < count; ++i)
      items.push_back(Item{0, x, static_cast<int32_t>(random() % 20), static_cast<int32_t>(random() % labels)});
  }
  std::shuffle(items.begin(), items.end(), random);
  for (size_t i = 0; i < items.size(); ++i) items[i].id = static_cast<int32_t>(i);
  return items;
}

// The chain run makes the heap's groups, in the same order, whether or not
// the heap's order had to decide between joins of one cost.
TEST_F(MergerTest, ChainRunMakesTheHeapsGroups) {
  for (int labels : {1, 3, 1000000}) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
      std::vector<Item> items = ColumnItems(seed, labels);
      const int32_t limit = static_cast<int32_t>(seed * 7 % 450);
      std::vector<std::vector<int32_t>> results[2];
      for (int chain = 0; chain < 2; ++chain) {
        BeginMerge();
        for (Item& item : items) AddMergeItem(&item);
        if (chain)
          RunChainMerge(NextColumnCost, ItemCentre, NextColumnBox, 4, 4, limit);
        else
          RunMerge(NextColumnCost, NoSummary, ItemCentre, NextColumnBox, nullptr, 4, 4, limit);
        results[chain] = OrderedGroups();
        EXPECT_EQ(CountMergedGroups(), static_cast<int32_t>(results[chain].size()));
        EndMerge();
      }
      EXPECT_EQ(results[1], results[0]) << "labels " << labels << " seed " << seed;
    }
  }
}

// Without two joins of one cost the chain run costs each pair in a box once;
// a box that reaches its own column leaves the run to the heap, with the
// same groups.
TEST_F(MergerTest, ChainRunCostsEachPairOnceOrLeavesTheRunToTheHeap) {
  std::vector<Item> items;
  for (int x = 0; x < 20; ++x)
    for (int y = 0; y < 3; ++y) items.push_back(Item{static_cast<int32_t>(items.size()), x, 7 * y + x % 2, y});
  BeginMerge();
  for (Item& item : items) AddMergeItem(&item);
  g_costCalls = 0;
  RunChainMerge(NextColumnCost, ItemCentre, NextColumnBox, 4, 4, 1000);
  EXPECT_EQ(g_costCalls, 19 * 3);
  EXPECT_EQ(OrderedGroups(), (std::vector<std::vector<int32_t>>{
                                 {0, 3, 6, 9, 12, 15, 18, 21, 24, 27, 30, 33, 36, 39, 42, 45, 48, 51, 54, 57},
                                 {1, 4, 7, 10, 13, 16, 19, 22, 25, 28, 31, 34, 37, 40, 43, 46, 49, 52, 55, 58},
                                 {2, 5, 8, 11, 14, 17, 20, 23, 26, 29, 32, 35, 38, 41, 44, 47, 50, 53, 56, 59}}));
  // Walks, filters and counts follow as after any run; the heap's own steps
  // do not.
  FilterMergedGroups([](MergeGroup* g) { return static_cast<Item*>(g->item)->id == 1 ? 0 : 1; });
  EXPECT_EQ(CountMergedGroups(), 2);
  EXPECT_THROW(MergeAllPairs(NextColumnCost, NextColumnBox), EngineFailure);
  EXPECT_THROW(JoinBestPartners(NoSummary, nullptr, 1000), EngineFailure);
  EndMerge();

  auto ownColumnBox = [](MergeBox* out, MergeGroup* g) {
    NextColumnBox(out, g);
    out->x0 -= 1;
  };
  std::vector<std::vector<int32_t>> results[2];
  for (int chain = 0; chain < 2; ++chain) {
    BeginMerge();
    for (Item& item : items) AddMergeItem(&item);
    if (chain)
      RunChainMerge(NextColumnCost, ItemCentre, ownColumnBox, 4, 4, 1000);
    else
      RunMerge(NextColumnCost, NoSummary, ItemCentre, ownColumnBox, nullptr, 4, 4, 1000);
    results[chain] = OrderedGroups();
    EndMerge();
  }
  EXPECT_EQ(results[1], results[0]);
  EXPECT_EQ(results[1].size(), 3u);
}

TEST_F(MergerTest, MisuseIsAFailedCheck) {
  BeginMerge();
  EXPECT_THROW(BeginMerge(), EngineFailure);
  AddMergeItem(nullptr);
  EXPECT_THROW(RunMerge(nullptr, CountJoin, ItemCentre, WholePage, nullptr, 4, 4, 1), EngineFailure);
  EndMerge();
  Item item{0, 1, 1, 0};
  BeginMerge();
  AddMergeItem(&item);
  EXPECT_THROW(RunMerge(SameLabelFree, CountJoin, ItemCentre, WholePage, nullptr, 0, 4, 1), EngineFailure);
}

TEST_F(MergerTest, ManyItemsGrowTheItemTable) {
  std::vector<Item> items(5010);
  BeginMerge();
  for (int i = 0; i < 5010; ++i) {
    items[i] = Item{i, i % 10, i / 10, i / 10};
    AddMergeItem(&items[i]);
  }
  auto rowBox = [](MergeBox* out, MergeGroup* g) {
    const MergePoint c = ItemCentre(g);
    *out = MergeBox{0, c.y, 10, c.y + 1};
  };
  RunMerge(SameLabelFree, CountJoin, ItemCentre, rowBox, nullptr, 8, 8, 1);
  EXPECT_EQ(CountMergedGroups(), 501);
}

}  // namespace
