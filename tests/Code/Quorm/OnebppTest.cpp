// The page image: loading at odd widths, stretching, runs, counts, strokes,
// byte images and the kept copy.
#include <gtest/gtest.h>

#include <cstring>

#include "Code/Quorm/Bitstrea.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/concmpts.h"
#include "Code/Quorm/vertsegs.h"
#include "PageArt.h"

namespace {

class PageImage : public ::testing::Test {
 protected:
  void TearDown() override {
    FreeConnectedComponents();
    FreeVerticalSegments();
    FreeOnebppImage();
  }
};

TEST_F(PageImage, PaddingBitsPastTheWidthAreMasked) {
  for (int32_t width : {1, 5, 31, 32, 33, 37, 63, 64, 65, 100}) {
    const int32_t height = 4;
    const int32_t words = (width + 31) / 32;
    // Every bit set, padding included; then a white column 0 so that the
    // vertical runs end above the bottom.
    std::vector<uint32_t> bits(static_cast<size_t>(words) * height, 0xFFFFFFFFu);
    for (int32_t y = 0; y < height; ++y) bits[static_cast<size_t>(y) * words + words - 1] = 0xFFFFFFFFu;
    bits[static_cast<size_t>(height - 1) * words] &= ~1u;
    ASSERT_EQ(LoadOnebppImage(bits.data(), width, height, 0), kEngineOk) << width;
    EXPECT_EQ(GetPageWordsPerRow(), words);
    for (int32_t y = 0; y < height; ++y) {
      uint32_t last = GetPageRow(y)[words - 1];
      int32_t used = (width - 1) % 32 + 1;
      if (used < 32) {
        EXPECT_EQ(last >> used, 0u) << width;
      }
      EXPECT_EQ(CountRowInk(y, 0, 1 << 20), y == height - 1 ? width - 1 : width) << width;
    }
    EXPECT_EQ(BitmapWidth(GetPageImageBlock()), width);
    EXPECT_EQ(BitmapHeight(GetPageImageBlock()), height);
  }
}

TEST_F(PageImage, PaddingAloneIsNoInk) {
  // Width 33: only bit 0 of each row's second word is a pixel.
  const int32_t width = 33, height = 5;
  std::vector<uint32_t> bits(2 * height, 0);
  for (int32_t y = 0; y < height; ++y) bits[2 * y + 1] = 0xFFFFFFFEu;
  EXPECT_STREQ(LoadOnebppImage(bits.data(), width, height, 0), "Xnovsegs");
  EXPECT_EQ(HasPageImage(), 0);
}

TEST_F(PageImage, StretchWidensEveryPixelToTheRight) {
  PageArt art = MakePageArt({".........",
                             ".....#...",
                             "......#..",
                             "........#",
                             "........."});
  ASSERT_EQ(LoadArt(art, 3), kEngineOk);
  std::vector<std::string> expected = {".........",
                                       ".....###.",
                                       "......#..",  // within the last three columns: as it was
                                       "........#",
                                       "........."};
  EXPECT_EQ(PageAsArt(), expected);
}

TEST_F(PageImage, ASecondLoadReplacesPageAndSegments) {
  ASSERT_EQ(LoadArt(MakePageArt({"....", ".#..", "...."})), kEngineOk);
  EXPECT_EQ(GetVerticalSegmentCount(), 1);
  ASSERT_EQ(LoadArt(MakePageArt({".....", "#...#", ".....", "....."})), kEngineOk);
  EXPECT_EQ(GetPageImageWidth(), 5);
  EXPECT_EQ(GetVerticalSegmentCount(), 2);
  EXPECT_EQ(GetVerticalSegment(0)->x, 0);
}

TEST_F(PageImage, PixelsAndSpans) {
  ASSERT_EQ(LoadArt(MakePageArt({"#####", "#####", "....."})), kEngineOk);
  EXPECT_EQ(GetPagePixel(0, 4), 1);
  EXPECT_EQ(GetPagePixel(0, 5), 0);
  EXPECT_EQ(GetPagePixel(-1, 0), 0);
  SetPagePixel(2, 7, 1);  // outside: ignored
  SetPagePixel(2, 2, 1);
  EXPECT_EQ(GetPagePixel(2, 2), 1);
  ClearRowSpan(0, -3, 2);
  ClearRowSpan(1, 3, 99);
  ClearRowSpan(5, 0, 5);
  ClearPagePixel(0, 4);
  std::vector<std::string> expected = {"..##.", "###..", "..#.."};
  EXPECT_EQ(PageAsArt(), expected);
  EXPECT_THROW(GetPageRow(3), EngineFailure);
  EXPECT_THROW(GetPageRow(-1), EngineFailure);
}

TEST_F(PageImage, Runs) {
  PageArt art = MakePageArt({"..........",
                             ".####.....",
                             ".#........",
                             ".#.....#..",
                             ".......#..",
                             ".........."});
  ASSERT_EQ(LoadArt(art), kEngineOk);
  EXPECT_EQ(BlackRunEndRight(1, 2, 100), 5);
  EXPECT_EQ(BlackRunEndRight(1, 2, 4), 4);
  EXPECT_EQ(BlackRunTop(3, 1, 0), 1);
  EXPECT_EQ(BlackRunTop(3, 1, 2), 2);
  EXPECT_EQ(BlackRunTop(3, 1, 5), 4);  // the row lies above the limit: row + 1
  EXPECT_EQ(BlackRunEndDown(1, 1, 100), 4);
  EXPECT_EQ(BlackRunEndDown(1, 1, 3), 3);
  EXPECT_EQ(WhiteRunEndRight(3, 2, 100), 7);
  EXPECT_EQ(WhiteRunEndRight(3, 8, 100), 10);
  EXPECT_EQ(WhiteRunEndRight(3, 2, 5), 5);
  EXPECT_EQ(FindInkAbove(5, 7, 0), 4);
  EXPECT_EQ(FindInkAbove(2, 7, -9), 0);
  EXPECT_EQ(FindInkBelow(0, 7, 100), 3);
  EXPECT_EQ(FindInkBelow(0, 9, 100), 6);  // white to the bottom: the height
  EXPECT_EQ(FindInkBelow(0, 9, 2), 2);
  EXPECT_THROW(BlackRunEndRight(0, 0, 10), EngineFailure);
  EXPECT_THROW(BlackRunTop(0, 0, 0), EngineFailure);
  EXPECT_THROW(BlackRunEndDown(0, 0, 10), EngineFailure);
  EXPECT_THROW(WhiteRunEndRight(1, 1, 10), EngineFailure);
  EXPECT_THROW(FindInkAbove(1, 1, 0), EngineFailure);
  EXPECT_THROW(FindInkBelow(1, 1, 9), EngineFailure);
}

TEST_F(PageImage, Counts) {
  PageArt art = MakePageArt({"#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#",
                             "#####################################",
                             "....................................."});
  ASSERT_EQ(LoadArt(art), kEngineOk);
  EXPECT_EQ(CountRowInk(0, 0, 37), 19);
  EXPECT_EQ(CountRowInk(1, -10, 1000), 37);
  EXPECT_EQ(CountRowInk(1, 30, 33), 3);
  EXPECT_EQ(CountRowInk(1, 5, 5), 0);
  EXPECT_EQ(CountRowInk(1, 9, 3), 0);
  EXPECT_EQ(CountRowInk(7, 0, 37), 0);
  EXPECT_EQ(CountColumnInk(0, -5, 50), 2);
  EXPECT_EQ(CountColumnInk(1, 0, 3), 1);
  EXPECT_EQ(CountColumnInk(37, 0, 3), 0);
  EXPECT_EQ(CountBoxInk(0, 0, 3, 37), 56);
  EXPECT_EQ(CountBoxInk(-4, 35, 2, 99), 3);
}

TEST_F(PageImage, LineInkCost) {
  PageArt art;
  art.width = 1500;
  art.height = 40;
  art.words.assign(static_cast<size_t>(art.wordsPerRow()) * art.height, 0);
  for (int32_t x = 0; x < 1500; ++x) art.Set(10, x);
  for (int32_t i = 0; i < 20; ++i) art.Set(15 + i, 100 + i);
  ASSERT_EQ(LoadArt(art), kEngineOk);
  EXPECT_EQ(MeasureLineInkCost(EnginePoint{10, 0}, EnginePoint{10, 200}), 0);
  EXPECT_EQ(MeasureLineInkCost(EnginePoint{11, 0}, EnginePoint{11, 200}), 0);  // the band still meets ink
  EXPECT_EQ(MeasureLineInkCost(EnginePoint{38, 0}, EnginePoint{38, 199}), 200);
  EXPECT_EQ(MeasureLineInkCost(EnginePoint{38, 0}, EnginePoint{38, 1400}), 1024);
  EXPECT_EQ(MeasureLineInkCost(EnginePoint{15, 100}, EnginePoint{34, 119}), 0);
  EXPECT_EQ(MeasureLineInkCost(EnginePoint{15, 130}, EnginePoint{34, 149}), 20);
  EXPECT_EQ(MeasureLineInkCost(EnginePoint{20, 300}, EnginePoint{39, 300}), 20);  // vertical over white
}

TEST_F(PageImage, ByteImages) {
  ASSERT_EQ(LoadArt(MakePageArt({"#..", ".#.", "..#", "..."})), kEngineOk);
  uint8_t bytes[16];
  ExtractByteImage(bytes, -1, 1, 4, 4);
  const uint8_t expected[16] = {0, 0, 0, 0,  //
                                0, 0, 0, 0,  //
                                1, 0, 0, 0,  //
                                0, 1, 0, 0};
  EXPECT_EQ(0, std::memcmp(bytes, expected, 16));
  ByteImage image{1, 0, 2, 3, nullptr, nullptr};
  MakeByteImage(&image);
  EXPECT_EQ(image.rowPointers[0][1], 1);
  EXPECT_EQ(image.rowPointers[1][2], 1);
  EXPECT_EQ(image.rowPointers[1][0], 0);
  EXPECT_THROW(MakeByteImage(&image), EngineFailure);  // not empty
  FreeByteImage(&image);
  EXPECT_EQ(image.bytes, nullptr);
  ByteImage empty{0, 0, 0, 3, nullptr, nullptr};
  EXPECT_THROW(MakeByteImage(&empty), EngineFailure);
}

TEST_F(PageImage, KeptCopyIsRestored) {
  ASSERT_EQ(LoadArt(MakePageArt({"##.", ".#.", "..."})), kEngineOk);
  EXPECT_THROW(RestorePageImageCopy(), EngineFailure);
  KeepPageImageCopy();
  EXPECT_THROW(KeepPageImageCopy(), EngineFailure);
  ClearRowSpan(0, 0, 3);
  ClearRowSpan(1, 0, 3);
  RestorePageImageCopy();
  std::vector<std::string> expected = {"##.", ".#.", "..."};
  EXPECT_EQ(PageAsArt(), expected);
  EXPECT_EQ(HasPageImageCopy(), 0);
}

TEST_F(PageImage, AnyBitmapPixel) {
  std::vector<uint32_t> block(BitmapBlockSize(40, 3) / 4);
  InitialiseBitmapHeader(block.data(), 40, 3, "test");
  SetBitmapPixel(block.data(), 2, 39, 1);
  EXPECT_EQ(BitmapRow(block.data(), 2)[1], 1u << 7);
  SetBitmapPixel(block.data(), 2, 39, 0);
  EXPECT_EQ(BitmapRow(block.data(), 2)[1], 0u);
  EXPECT_THROW(SetBitmapPixel(block.data(), 3, 0, 1), EngineFailure);
  EXPECT_THROW(SetBitmapPixel(block.data(), 0, 40, 1), EngineFailure);
  EXPECT_THROW(SetBitmapPixel(nullptr, 0, 0, 1), EngineFailure);
}

TEST_F(PageImage, BadSizesAreRefused) {
  uint32_t word = 0;
  EXPECT_THROW(LoadOnebppImage(&word, 0, 5, 0), EngineFailure);
  EXPECT_THROW(LoadOnebppImage(&word, 5, 0, 0), EngineFailure);
  EXPECT_THROW(LoadOnebppImage(&word, 5, 1, -1), EngineFailure);
  EXPECT_THROW(LoadOnebppImage(nullptr, 5, 1, 0), EngineFailure);
  // Larger than any address space: refused before anything is allocated.
  EXPECT_STREQ(LoadOnebppImage(&word, 2147483647, 2147483647, 0), "Xmem1bpp");
  EXPECT_EQ(HasPageImage(), 0);
}

}  // namespace
