// Record tables of the engine modules: growth by doubling, range checks, and an
// exhausted heap that unwinds with its own code and leaves the table whole.
#include <gtest/gtest.h>

#include <cstdint>

#include "Code/Quorm/Enginetab.h"
#include "Code/Quorm/Heapmem.h"

namespace {

struct Pair {
  int32_t a, b;
};

class EngineTables : public ::testing::Test {
 protected:
  void TearDown() override {
    FailEngineAllocationAfter(0);
    plain.Free();
    named.Free();
  }
  EngineTable<Pair, 3> plain;
  EngineTable<Pair, 3> named{"testpairs"};
};

TEST_F(EngineTables, RecordsSurviveEachDoubling) {
  for (EngineTable<Pair, 3>* table : {&plain, &named}) {
    const struct {
      int32_t appended, capacity;
    } cases[] = {{1, 3}, {3, 3}, {4, 6}, {7, 12}, {13, 24}, {25, 48}};
    int32_t n = 0;
    for (const auto& c : cases) {
      while (n < c.appended) {
        EXPECT_EQ(table->Append(Pair{n, -n}), n);
        ++n;
      }
      EXPECT_EQ(table->count, c.appended);
      EXPECT_EQ(table->capacity, c.capacity);
      for (int32_t i = 0; i < n; ++i) {
        EXPECT_EQ(table->At(i).a, i);
        EXPECT_EQ(table->At(i).b, -i);
      }
    }
    table->Free();
    EXPECT_EQ(table->count, 0);
    EXPECT_EQ(table->capacity, 0);
    EXPECT_EQ(table->records, nullptr);
  }
}

TEST_F(EngineTables, IndexesOutsideTheCountAreFailedChecks) {
  plain.Append(Pair{1, 2});
  plain.Append(Pair{3, 4});
  for (int32_t index : {-1, 2, 3, INT32_MAX, INT32_MIN}) {
    try {
      plain.At(index);
      ADD_FAILURE() << "no failed check at " << index;
    } catch (const EngineFailure& failure) {
      EXPECT_TRUE(failure.failedCheck()) << index;
    }
  }
  EXPECT_EQ(plain.At(1).a, 3);
}

TEST_F(EngineTables, AnExhaustedHeapUnwindsWithItsCodeAndKeepsTheTable) {
  const struct {
    EngineTable<Pair, 3>* table;
    const char* code;
  } cases[] = {{&plain, "Xheapmem"}, {&named, "Xsheapmem"}};
  for (const auto& c : cases) {
    for (int32_t i = 0; i < 3; ++i) c.table->Append(Pair{i, i});
    FailEngineAllocationAfter(1);  // the growth
    try {
      c.table->Append(Pair{9, 9});
      ADD_FAILURE() << "no unwinding for " << c.code;
    } catch (const EngineFailure& failure) {
      EXPECT_STREQ(failure.code(), c.code);
      EXPECT_FALSE(failure.failedCheck());
    }
    FailEngineAllocationAfter(0);
    EXPECT_EQ(c.table->count, 3);
    EXPECT_EQ(c.table->capacity, 3);
    EXPECT_EQ(c.table->At(2).a, 2);
    EXPECT_EQ(c.table->Append(Pair{9, 9}), 3);  // it grows once there is memory again
  }
}

}  // namespace
