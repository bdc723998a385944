#include <gtest/gtest.h>

#include <cstring>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapmem.h"
#include "tests/Code/Quorm/RecordingEngineHost.h"

namespace {

// Runs a test without the engine's hooks and with no forced failure, and
// leaves the hooks as it found them (none).
class EngineHeap : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    SetEngineHeapHook(nullptr);
    SetNamedHeapHook(nullptr);
    FailEngineAllocationAfter(0);
  }
  RecordingEngineHost host;
};

TEST_F(EngineHeap, SizeZeroGivesAValidBlock) {
  char* block = nullptr;
  ASSERT_EQ(EngineAlloc(block, 0), 1);
  ASSERT_NE(block, nullptr);
  block[0] = 'x';
  EngineFree(block);
  EXPECT_EQ(block, nullptr);
  EngineFree(block);  // an empty slot is allowed
}

TEST_F(EngineHeap, AnOccupiedSlotIsAFailedCheck) {
  int* table = nullptr;
  ASSERT_EQ(EngineAllocZeroed(table, 4 * sizeof(int)), 1);
  EXPECT_EQ(table[3], 0);
  int* kept = table;
  EXPECT_THROW(EngineAlloc(table, 8), EngineFailure);
  EXPECT_THROW(NamedAlloc(table, 8, "label"), EngineFailure);
  EXPECT_EQ(table, kept);
  EXPECT_EQ(host.FailurePosts(), 2u);
  EngineFree(table);
}

TEST_F(EngineHeap, ResizeKeepsTheElementsAndZeroesTheRest) {
  int* table = nullptr;
  ASSERT_EQ(EngineAlloc(table, 3 * sizeof(int)), 1);
  for (int i = 0; i < 3; ++i) table[i] = 10 + i;
  ASSERT_EQ(EngineResizeArray(table, 3, 6), 1);
  const int grown[] = {10, 11, 12, 0, 0, 0};
  EXPECT_EQ(std::memcmp(table, grown, sizeof grown), 0);
  ASSERT_EQ(EngineResizeArray(table, 6, 2), 1);
  EXPECT_EQ(table[0], 10);
  EXPECT_EQ(table[1], 11);
  EngineFree(table);
  EXPECT_THROW(EngineResizeArray(table, 0, 4), EngineFailure);  // no block to resize
}

TEST_F(EngineHeap, WithoutHooksAFailureReturnsZeroAndKeepsTheOldBlock) {
  int* table = nullptr;
  FailEngineAllocationAfter(1);
  EXPECT_EQ(EngineAlloc(table, 16), 0);
  EXPECT_EQ(table, nullptr);
  ASSERT_EQ(EngineAlloc(table, 2 * sizeof(int)), 1);
  table[0] = 7;
  FailEngineAllocationAfter(1);
  EXPECT_EQ(EngineResizeArray(table, 2, 100), 0);
  EXPECT_EQ(table[0], 7);
  FailEngineAllocationAfter(1);
  EXPECT_EQ(NamedRealloc(table, 1000), 0);
  EXPECT_EQ(table[0], 7);
  EngineFree(table);
}

TEST_F(EngineHeap, AHugeResizeIsOutOfMemoryNotAnOverflow) {
  char* block = nullptr;
  ASSERT_EQ(EngineAlloc(block, 4), 1);
  EXPECT_EQ(EngineResizeArray(&reinterpret_cast<void*&>(block), 1u << 20, 4, SIZE_MAX / 1024), 0);
  EngineFree(block);
}

// Filling a table copies its records a bounded number of times in all: a
// full table doubles, up to its limit, and a table at its limit cannot grow.
TEST_F(EngineHeap, GrowthDoublesUpToTheLimit) {
  const struct {
    size_t capacity, first, most, grown;
  } cases[] = {
      {0, 1000, SIZE_MAX, 1000},        {1000, 1000, SIZE_MAX, 2000}, {2000, 1000, SIZE_MAX, 4000},
      {3, 1000, SIZE_MAX, 6},           {0, 16, 10, 10},              {6, 1000, 10, 10},
      {10, 1000, 10, 0},                {SIZE_MAX / 2 + 1, 1, SIZE_MAX, SIZE_MAX},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GrownCapacity(c.capacity, c.first, c.most), c.grown) << c.capacity << " of " << c.most;
}

TEST_F(EngineHeap, TheEngineHooksUnwindWithTheirCodesWithoutTellingTheFrame) {
  SetEngineHeapHook(OnEngineHeapExhausted);
  SetNamedHeapHook(OnEngineSafeHeapExhausted);
  char* block = nullptr;
  FailEngineAllocationAfter(1);
  try {
    EngineAlloc(block, 64);
    FAIL() << "no unwinding";
  } catch (const EngineFailure& failure) {
    EXPECT_STREQ(failure.code(), "Xheapmem");
    EXPECT_FALSE(failure.failedCheck());
  }
  FailEngineAllocationAfter(1);
  try {
    NamedAlloc(block, 64, "grange");
    FAIL() << "no unwinding";
  } catch (const EngineFailure& failure) {
    EXPECT_STREQ(failure.code(), "Xsheapmem");
  }
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(host.FailurePosts(), 0u);
}

TEST_F(EngineHeap, TheCountdownFailsExactlyTheNamedAllocation) {
  void* blocks[3] = {};
  FailEngineAllocationAfter(3);
  EXPECT_EQ(EngineAlloc(&blocks[0], 8), 1);
  EXPECT_EQ(EngineAlloc(&blocks[1], 8), 1);
  EXPECT_EQ(EngineAlloc(&blocks[2], 8), 0);
  EXPECT_EQ(EngineAlloc(&blocks[2], 8), 1);
  for (void*& b : blocks) EngineFree(&b);
}

}  // namespace
