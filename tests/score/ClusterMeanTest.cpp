#include "score/ClusterMean.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ClusterMeanTest, Table) {
  struct Case {
    std::vector<int32_t> values;
    int32_t tolerance;
    int32_t mean;
  } cases[] = {
      {{10, 11, 30}, 2, 10},          // 21 / 2, truncated
      {{}, 2, 0},                     // empty
      {{7}, 0, 7},
      {{30, 10, 11}, 2, 10},          // the cluster wins wherever it stands
      {{5, 20}, 1, 5},                // a tie: the first value's cluster
      {{20, 5}, 1, 20},
      {{1, 3, 5}, 2, 3},              // 3 reaches both others
      {{-3, -4, 50}, 1, -3},          // -7 / 2 truncates towards zero
      {{4, 4, 4, 9}, 0, 4},
      {{100, 104}, -5, 100},          // a negative tolerance counts each value alone
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClusterMean(c.values.data(), int(c.values.size()), c.tolerance), c.mean)
        << ::testing::PrintToString(c.values) << " tolerance " << c.tolerance;
  }
  EXPECT_EQ(ClusterMean(nullptr, 3, 2), 0);
}

}  // namespace
