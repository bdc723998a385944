#include "reading/StaveLines.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/HandleTestControls.h"
#include "tests/reading/StavePageTables.h"
#include "tests/support/BoxRecorder.h"

namespace {

// A 1-bit page in memory with one five-line stave drawn on it.
struct LinedPage {
  static constexpr int kWidth = 480, kStrideBytes = 60;
  int height;
  std::vector<uint8_t> bits;
  StaveRow rows[1] = {};
  StavePageTables tables;
  StavePage geometry;

  LinedPage(int pageHeight, int top, int spacing, int thickness) : height(pageHeight) {
    bits.assign(size_t(kStrideBytes) * height, 0);
    StaveRow& r = rows[0];
    r.left = 20;
    r.right = 460;
    r.top = int16_t(top);
    r.bottom = int16_t(top + 4 * spacing);
    r.lineCount = 5;
    r.lineThickness = int16_t(thickness);
    r.midX = 240;
    r.midTop = r.top;
    r.rightTop = r.top;
    for (int k = 0; k < 5; ++k)
      for (int y = top + k * spacing; y < top + k * spacing + thickness; ++y)
        for (int x = r.left; x < r.right; ++x) Set(x, y);
    geometry = tables.Over(OneBitImage(bits.data(), kWidth, height, kStrideBytes));
    CalculateStavePositions(r, 0, geometry);
  }
  void Set(int x, int y) {
    if (x >= 0 && y >= 0 && x < kWidth && y < height) bits[size_t(y) * kStrideBytes + x / 8] |= uint8_t(1u << (x % 8));
  }
  static bool Ink(const std::vector<uint8_t>& b, int x, int y) {
    return (b[size_t(y) * kStrideBytes + x / 8] >> (x % 8)) & 1;
  }
  void Box(int left, int top, int right, int bottom) {
    for (int y = top; y <= bottom; ++y)
      for (int x = left; x <= right; ++x) Set(x, y);
  }
  std::vector<uint8_t> Erase() {
    // The line table is read as while a page is read.
    StaveLookup().readingActive = true;
    std::vector<uint8_t> copy = bits;
    EXPECT_EQ(RemoveStaveLines(bits.data(), copy.data(), kStrideBytes / 4, uint32_t(height), rows, 1, 0, geometry), 0);
    StaveLookup().readingActive = false;
    return copy;
  }
  long InkIn(const std::vector<uint8_t>& b, int left, int top, int right, int bottom) const {
    long n = 0;
    for (int y = std::max(0, top); y <= std::min(height - 1, bottom); ++y)
      for (int x = left; x <= right; ++x) n += Ink(b, x, y);
    return n;
  }
};

TEST(RemoveStaveLines, ErasesBareLinesAndKeepsWhatCrossesThem) {
  LinedPage page(200, 60, 16, 2);
  page.Box(200, 40, 202, 140);  // a bar line through the stave
  page.Box(100, 69, 114, 81);   // a solid head on the second line
  const std::vector<uint8_t> copy = page.Erase();
  // Far from anything the lines are gone.
  EXPECT_EQ(page.InkIn(copy, 30, 55, 90, 130), 0);
  EXPECT_EQ(page.InkIn(copy, 260, 55, 450, 130), 0);
  // The bar line and the head stand whole.
  EXPECT_EQ(page.InkIn(copy, 200, 40, 202, 140), page.InkIn(page.bits, 200, 40, 202, 140));
  EXPECT_EQ(page.InkIn(copy, 100, 69, 114, 81), page.InkIn(page.bits, 100, 69, 114, 81));
  // The page image itself is untouched.
  EXPECT_GT(page.InkIn(page.bits, 30, 55, 90, 130), 0);
}

TEST(RemoveStaveLines, StaysInsideTheImageAtItsEdges) {
  // The top line two rows below the image's top, the bottom line on its
  // last rows: the run search must not leave the image.
  LinedPage page(70, 2, 16, 3);
  const std::vector<uint8_t> copy = page.Erase();
  EXPECT_EQ(page.InkIn(copy, 30, 5, 450, 60), 0);
}

TEST(RemoveStaveLines, WithoutWorkingMemoryErasesNothingAndSaysSo) {
  BoxRecorder boxes;
  LinedPage page(200, 60, 16, 2);
  std::vector<uint8_t> copy = page.bits;
  FailAllocationsForTest(true);
  const int result = RemoveStaveLines(page.bits.data(), copy.data(), LinedPage::kStrideBytes / 4, 200, page.rows, 1, 0,
                                      page.geometry);
  FailAllocationsForTest(false);
  EXPECT_EQ(result, kStaveLinesNoMemory);
  EXPECT_EQ(copy, page.bits);
}

}  // namespace
