#include "score/ScoreStream.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/HandleTestControls.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/TestText.h"

namespace {

class ScoreStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetScoreStreams();
    ResetWorkStreams();
  }
  void TearDown() override {
    FailAllocationsForTest(false);
    ResetScoreStreams();
    ResetWorkStreams();
  }
};

TEST_F(ScoreStreamTest, GrowsInStepsOf32BeyondTheNeed) {
  struct Case {
    uint32_t used;     // filled after a first growth to this capacity
    uint32_t n;
    uint32_t capacity;
  };
  // need = used + n - size; step = need rounded down to 32, plus 32.
  const Case cases[] = {
      {0, 1, 32},  {0, 31, 32}, {0, 32, 64},  {0, 63, 64},  {0, 64, 96},
  };
  for (const Case& c : cases) {
    ResetScoreStreams();
    ASSERT_EQ(GrowScoreStream(3, c.n), 1);
    EXPECT_EQ(StreamCapacity(ScoreStream, 3), c.capacity) << c.n;
    EXPECT_EQ(ScoreStream.used[3], 0u);
  }
}

TEST_F(ScoreStreamTest, ANeedOfExactly32GrowsBy64AndKeepsTheBytes) {
  ASSERT_EQ(GrowScoreStream(0, 32), 1);
  ASSERT_EQ(StreamCapacity(ScoreStream, 0), 64u);
  for (uint32_t i = 0; i < 64; ++i) StreamBytes(ScoreStream, 0)[i] = static_cast<uint8_t>(i);
  ScoreStream.used[0] = 64;
  ASSERT_EQ(GrowScoreStream(0, 32), 1);  // need 32
  EXPECT_EQ(StreamCapacity(ScoreStream, 0), 128u);
  EXPECT_EQ(ScoreStream.used[0], 64u);
  for (uint32_t i = 0; i < 64; ++i) EXPECT_EQ(StreamBytes(ScoreStream, 0)[i], i);
}

TEST_F(ScoreStreamTest, RoomEnoughChangesNothing) {
  ASSERT_EQ(GrowScoreStream(5, 40), 1);
  Handle before = ScoreStream.block[5];
  ScoreStream.used[5] = 10;
  EXPECT_EQ(GrowScoreStream(5, 54), 1);  // 10 + 54 = 64 = capacity
  EXPECT_EQ(ScoreStream.block[5], before);
  EXPECT_EQ(StreamCapacity(ScoreStream, 5), 64u);
  EXPECT_EQ(GrowScoreStream(5, 0), 1);
}

TEST_F(ScoreStreamTest, TheWorkSetGrowsOnItsOwn) {
  ASSERT_EQ(GrowWorkStream(12, 100), 1);
  EXPECT_EQ(StreamCapacity(WorkStream, 12), 128u);
  EXPECT_EQ(ScoreStream.block[12], nullptr);
}

TEST_F(ScoreStreamTest, AFailedGrowthTellsTheUserAndKeepsTheStream) {
  ASSERT_EQ(GrowScoreStream(2, 10), 1);
  StreamBytes(ScoreStream, 2)[0] = 0x55;
  ScoreStream.used[2] = 30;
  Handle before = ScoreStream.block[2];
  BoxRecorder boxes;
  FailAllocationsForTest(true);
  EXPECT_EQ(GrowScoreStream(2, 100), 0);
  EXPECT_EQ(GrowWorkStream(4, 100), 0);
  FailAllocationsForTest(false);
  EXPECT_EQ(ScoreStream.block[2], before);
  EXPECT_EQ(StreamCapacity(ScoreStream, 2), 32u);
  EXPECT_EQ(ScoreStream.used[2], 30u);
  EXPECT_EQ(StreamBytes(ScoreStream, 2)[0], 0x55);
  EXPECT_EQ(WorkStream.block[4], nullptr);
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  // The machine has far more free memory than 100 bytes: the shortfall is
  // shown as at least one byte, never as zero or a negative number.
  EXPECT_EQ(boxes.Boxes()[0].text,
            U16("Sorry, there is insufficient memory available to complete this task - Need 1bytes more."));
  EXPECT_EQ(boxes.Boxes()[0].caption, U16("Message from Velmorant Korvalinde"));
}

TEST_F(ScoreStreamTest, AStreamNeverGrowsBeyond32BitLengths) {
  ASSERT_EQ(GrowScoreStream(6, 32), 1);
  ScoreStream.used[6] = 40;
  BoxRecorder boxes;
  EXPECT_EQ(GrowScoreStream(6, UINT32_MAX), 0);
  EXPECT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(StreamCapacity(ScoreStream, 6), 64u);
  EXPECT_EQ(ScoreStream.used[6], 40u);
}

TEST_F(ScoreStreamTest, TheUsedBytesNeverReachBeyondTheBlock) {
  EXPECT_EQ(StreamUsedLength(ScoreStream, 2), 0u);  // no block
  EXPECT_EQ(StreamUsedEnd(ScoreStream, 2), nullptr);
  EXPECT_EQ(StreamUsedLength(ScoreStream, kPartSlots), 0u);
  EXPECT_EQ(StreamUsedEnd(ScoreStream, -1), nullptr);
  ASSERT_EQ(GrowScoreStream(2, 10), 1);  // a 32-byte block
  ScoreStream.used[2] = 10;
  EXPECT_EQ(StreamUsedLength(ScoreStream, 2), 10u);
  EXPECT_EQ(StreamUsedEnd(ScoreStream, 2), StreamBytes(ScoreStream, 2) + 10);
  ScoreStream.used[2] = 1000;  // a damaged length
  EXPECT_EQ(StreamUsedLength(ScoreStream, 2), 32u);
  EXPECT_EQ(StreamUsedEnd(ScoreStream, 2), StreamBytes(ScoreStream, 2) + 32);
  ScoreStream.used[2] = 0;
}

TEST_F(ScoreStreamTest, ResetFreesEverySlot) {
  for (int slot = 0; slot < kPartSlots; ++slot) {
    ASSERT_EQ(GrowScoreStream(slot, 8), 1);
    ScoreStream.used[slot] = 8;
  }
  ResetScoreStreams();
  for (int slot = 0; slot < kPartSlots; ++slot) {
    EXPECT_EQ(ScoreStream.block[slot], nullptr);
    EXPECT_EQ(ScoreStream.used[slot], 0u);
  }
}

TEST_F(ScoreStreamTest, SwapExchangesWholeSets) {
  StreamSet loaded = {};
  ASSERT_EQ(GrowStream(&loaded, 1, 5), 1);
  loaded.used[1] = 5;
  ASSERT_EQ(GrowScoreStream(1, 70), 1);
  SwapStreamSets(&ScoreStream, &loaded);
  EXPECT_EQ(ScoreStream.used[1], 5u);
  EXPECT_EQ(StreamCapacity(ScoreStream, 1), 32u);
  EXPECT_EQ(StreamCapacity(loaded, 1), 96u);
  FreeStreamSet(&loaded);
  EXPECT_EQ(loaded.block[1], nullptr);
}

TEST_F(ScoreStreamTest, PartRecordsResetToOrdinaryStaves) {
  std::memcpy(PartNameTable[3], u"Oboe", 10);
  PartTablatureFlags[3] = {1, 6};
  PartSmallStave[3] = 1;
  PartFlag[0] = 1;
  PartFields[3][2] = 31;
  EXPECT_EQ(PartLineCount(3), 6u);
  ResetPartRecords();
  EXPECT_EQ(PartNameTable[3][0], 0);
  EXPECT_EQ(PartTablatureFlags[3].flag, 0);
  EXPECT_EQ(PartLineCount(3), kOrdinaryStaveLines);
  EXPECT_EQ(PartSmallStave[3], 0);
  EXPECT_EQ(PartFlag[0], 0);
  EXPECT_EQ(PartFields[3][2], 0);
  PartTablatureFlags[4].kind = 0;
  EXPECT_EQ(PartLineCount(4), kOrdinaryStaveLines);
}

}  // namespace
