// The bitmap block layout and the shared helpers of the text side.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Ocrmisc.h"

namespace {

TEST(BitmapBlock, SizesAndHeaders) {
  const struct {
    int32_t width, height;
    size_t size;
    int32_t wordsMinus1, lastBits;
  } cases[] = {{1, 1, 80, 0, 0}, {32, 1, 80, 0, 31}, {33, 2, 92, 1, 0}, {64, 3, 100, 1, 31}, {100, 10, 236, 3, 3}};
  for (const auto& c : cases) {
    EXPECT_EQ(BitmapBlockSize(c.width, c.height), c.size) << c.width;
    std::vector<uint8_t> block(c.size, 0xEE);
    InitialiseBitmapHeader(block.data(), c.width, c.height, "a label that is long");
    const BitmapHeader& h = *reinterpret_cast<const BitmapHeader*>(block.data());
    EXPECT_EQ(h.wordsPerRowMinus1, c.wordsMinus1);
    EXPECT_EQ(h.rowsMinus1, c.height - 1);
    EXPECT_EQ(h.lastWordBitsMinus1, c.lastBits);
    EXPECT_STREQ(h.label, "a label tha");
    EXPECT_EQ(BitmapWidth(block.data()), c.width);
    EXPECT_EQ(BitmapHeight(block.data()), c.height);
    for (size_t i = kBitmapHeaderSize; i < c.size; ++i) ASSERT_EQ(block[i], 0);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(BitmapRow(block.data(), c.height - 1)),
              block.data() + kBitmapHeaderSize + 4 * (c.wordsMinus1 + 1) * (c.height - 1));
    EXPECT_THROW(BitmapRow(block.data(), c.height), EngineFailure);
  }
  EXPECT_THROW(BitmapBlockSize(0, 5), EngineFailure);
}

TEST(TextHelpers, GaussianTable) {
  BuildGaussianTable();
  EXPECT_EQ(GaussianTableEntry(0), 255);
  EXPECT_EQ(GaussianTableEntry(256), static_cast<int32_t>(std::lround(255 * std::exp(-0.5))));
  EXPECT_EQ(GaussianTableEntry(1023), static_cast<int32_t>(std::lround(255 * std::exp(-(1023 / 256.0) * (1023 / 256.0) / 2))));
  EXPECT_THROW(GaussianTableEntry(1024), EngineFailure);
}

TEST(TextHelpers, GaussianBumps) {
  BuildGaussianTable();
  std::vector<int32_t> values(41, 0);
  AddGaussianBump(values.data(), 20, 4, 0, 41);
  for (int32_t v : values) EXPECT_EQ(v, 0);
  AddGaussianBump(values.data(), 20, 4, 1000, 41);
  EXPECT_EQ(values[20], 1000 * 255 * 1641 / 64 / 256);
  for (int k = 1; k < 20; ++k) {
    EXPECT_EQ(values[20 - k], values[20 + k]) << k;
    EXPECT_LE(values[20 + k], values[20 + k - 1]);
  }
  EXPECT_GT(values[24], 0);
  EXPECT_THROW(AddGaussianBump(values.data(), 20, 4, 1024, 41), EngineFailure);
  EXPECT_THROW(AddGaussianBump(values.data(), 20, 4, -1, 41), EngineFailure);
}

TEST(TextHelpers, SpreadAndSmooth) {
  std::vector<int32_t> values = {1, 2, 3};
  SpreadEvenly(values.data(), 3, 3);
  EXPECT_EQ(values, (std::vector<int32_t>{1025, 1026, 1027}));

  // A flat profile stays flat inside; the weights sum to 256.
  std::vector<int32_t> flat(40, 1000);
  std::vector<int32_t> out(40, 0);
  SmoothCutProfile(out.data(), flat.data(), 40, 4096);
  EXPECT_EQ(out[20], 1000);
  EXPECT_LT(out[0], 1000);  // samples outside the profile are left out
  EXPECT_EQ(out[0], (26 * 1000 + (25 + 23 + 20 + 16 + 12 + 8 + 6 + 3 + 2) * 1000 + 128) / 256);
}

// A work list that cannot be allocated unwinds through the heap's hook as a
// shortage, wherever in the five lists it falls, and what was made is freed.
TEST(TextWorkLists, AShortageGoesThroughTheHeapHook) {
  SetEngineHeapHook(OnEngineHeapExhausted);
  // The first list's head, its entry table, its first and last entry; the
  // second list; the path list's last entry; the very last allocation.
  for (long failAt : {1L, 2L, 3L, 402L, 403L, 505L, 513L}) {
    FailEngineAllocationAfter(failAt);
    try {
      AllocateTextWorkLists();
      ADD_FAILURE() << "no failure at allocation " << failAt;
    } catch (const EngineFailure& failure) {
      EXPECT_STREQ(failure.code(), "Xheapmem") << failAt;
      EXPECT_FALSE(failure.failedCheck());
    }
    FailEngineAllocationAfter(0);
    FreeTextClassifierData();
  }
  AllocateTextWorkLists();
  ASSERT_NE(GetTextWorkList(kPathList), nullptr);
  EXPECT_EQ(GetTextWorkList(kPathList)->entryCount, 100);
  EXPECT_EQ(GetTextWorkList(kSegmentEnds)->capacity, 100);
  FreeTextClassifierData();
  EXPECT_EQ(GetTextWorkList(kLatticeWork), nullptr);
  SetEngineHeapHook(nullptr);
}

}  // namespace
