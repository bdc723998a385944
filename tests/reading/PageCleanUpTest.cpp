#include "reading/PageCleanUp.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/reading/SyntheticPages.h"

namespace {

void FillRect(const PageImage& image, int left, int top, int right, int bottom, bool ink = true) {
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) ink ? image.SetInk(x, y) : image.ClearInk(x, y);
}

CleanUpOptions At300(bool force = false) {
  CleanUpOptions options;
  options.resolution = 300;
  options.forceCleanUp = force;
  return options;
}

TEST(ClearPageBorder, BlanksTwoPixelsRoundTheImage) {
  OwnedPageImage image(10, 8, 1);
  FillRect(image, 0, 0, 10, 8);
  ClearPageBorder(image);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(image.View().Ink(x, y), y >= 2 && y < 6 && x >= 2 && x < 8) << x << "," << y;
}

// At 300 dpi specks up to 2 pixels square go; bigger ones stay.
TEST(CleanUpPage, RemovesSpecksBySize) {
  struct Case {
    int size;
    bool removed;
  } cases[] = {{1, true}, {2, true}, {3, false}};
  for (const Case& c : cases) {
    OwnedPageImage image(64, 40, 1);
    FillRect(image, 21, 17, 21 + c.size, 17 + c.size);
    CleanUpPage(image, At300());
    EXPECT_EQ(CountInk(image, 0, 0, 64, 40), c.removed ? 0 : c.size * c.size) << c.size;
  }
}

// With the clean-up forced, holes up to 3 pixels square in ink are filled.
TEST(CleanUpPage, FillsHolesBySize) {
  struct Case {
    int size;
    bool filled;
  } cases[] = {{1, true}, {2, true}, {3, true}, {4, false}};
  for (const Case& c : cases) {
    OwnedPageImage image(64, 40, 1);
    FillRect(image, 12, 8, 44, 30);
    FillRect(image, 25, 15, 25 + c.size, 15 + c.size, false);
    CleanUpPage(image, At300(true));
    EXPECT_EQ(CountInk(image, 25, 15, 25 + c.size, 15 + c.size), c.filled ? c.size * c.size : 0) << c.size;
    EXPECT_EQ(CountInk(image, 0, 0, 64, 40), 32 * 22 - (c.filled ? 0 : c.size * c.size)) << c.size;
  }
}

TEST(CleanUpPage, HolesStayOnHandwrittenPagesAndWithoutPinholes) {
  OwnedPageImage image(64, 40, 1);
  FillRect(image, 12, 8, 44, 30);
  FillRect(image, 25, 15, 28, 18, false);
  CleanUpOptions options = At300(true);
  options.handwritten = true;
  CleanUpPage(image, options);
  EXPECT_EQ(CountInk(image, 25, 15, 28, 18), 0);
  // Unforced, a page with no pinholes is not filled either.
  CleanUpPage(image, At300(false));
  EXPECT_EQ(CountInk(image, 25, 15, 28, 18), 0);
}

TEST(CleanUpPage, FillsAPinholeWithInkOnlyAtTheCorners) {
  OwnedPageImage image(64, 40, 1);
  const PageImage& v = image.View();
  // Ink above-left, below-left, below-right and above-right of (20, 20).
  v.SetInk(19, 19);
  v.SetInk(19, 21);
  v.SetInk(21, 21);
  v.SetInk(21, 19);
  v.SetInk(23, 20);  // the clean-up looks only at bytes holding both ink and paper
  FillRect(image, 40, 10, 50, 30);  // enough ink that the pixels are not specks
  CleanUpOptions options = At300(true);
  CleanUpPage(image, options);
  EXPECT_TRUE(v.Ink(20, 20));
}

// A notch open to the side of a block of ink is a bay, not a hole.
TEST(CleanUpPage, LeavesANotchOpenToOneSide) {
  OwnedPageImage image(64, 40, 1);
  FillRect(image, 12, 8, 41, 30);
  FillRect(image, 39, 18, 41, 20, false);  // at the right edge, open to the right
  FillRect(image, 12, 22, 14, 24, false);  // at the left edge, open to the left
  CleanUpPage(image, At300(true));
  EXPECT_EQ(CountInk(image, 39, 18, 41, 20), 0);
  EXPECT_EQ(CountInk(image, 12, 22, 14, 24), 0);
}

// A bay whose upper right opens into a channel to the edge of the ink: a
// block is filled only when the columns right beside it are ink, however
// much ink lies further out.
TEST(CleanUpPage, LeavesABayOpenIntoAChannel) {
  OwnedPageImage image(64, 40, 1);
  FillRect(image, 12, 8, 44, 30);
  FillRect(image, 24, 18, 27, 21, false);  // the bay, three pixels square
  FillRect(image, 25, 8, 27, 18, false);   // a channel two pixels wide up to the top edge
  CleanUpPage(image, At300(true));
  EXPECT_EQ(CountInk(image, 24, 18, 27, 21), 0);
  EXPECT_EQ(CountInk(image, 25, 8, 27, 18), 0);
}

// The ring tested is the one round the block, wherever the block lies
// beside the pixel that started the search: a speck whose first pixel (in
// reading order) is at its top right goes with a block reaching left of it.
TEST(CleanUpPage, RemovesSpecksByTheRingRoundTheirBlock) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, int>> pixels;
    bool removed;
  } const cases[] = {
      {"top pixel at the right", {{26, 15}, {25, 16}, {26, 16}}, true},
      {"top pixel at the left", {{25, 15}, {25, 16}, {26, 16}}, true},
      {"two by two", {{25, 15}, {26, 15}, {25, 16}, {26, 16}}, true},
      {"three wide", {{26, 15}, {25, 16}, {26, 16}, {27, 16}}, false},
  };
  for (const Case& c : cases) {
    OwnedPageImage image(64, 40, 1);
    for (const auto& p : c.pixels) image.View().SetInk(p.first, p.second);
    CleanUpPage(image, At300());
    EXPECT_EQ(CountInk(image, 0, 0, 64, 40), c.removed ? 0 : static_cast<long>(c.pixels.size())) << c.what;
  }
}

TEST(FindBoundary, FindsThePrintedAreaWidenedByHalfAnInch) {
  OwnedPageImage image(1200, 1600, 1);
  FillRect(image, 300, 400, 900, 1200);
  BoundaryRect rect;
  ASSERT_TRUE(FindBoundary(image, 300, &rect));
  EXPECT_EQ(rect.top, 400u - 150u);
  EXPECT_EQ(rect.bottom, 1199u + 150u);
  EXPECT_EQ(rect.left, 300u - 150u);
  EXPECT_EQ(rect.right, 899u + 150u);
  OwnedPageImage blank(1200, 1600, 1);
  EXPECT_FALSE(FindBoundary(blank, 300, &rect));
  EXPECT_EQ(rect.left, 0xFFFFFFFFu);
}

TEST(CropPage, CopiesTheRectangleAndRefusesSlivers) {
  OwnedPageImage image(40, 30, 1);
  image.View().SetInk(12, 7);
  image.View().SetInk(31, 20);
  OwnedPageImage cropped = CropPage(image, 10, 5, 35, 25);
  ASSERT_TRUE(cropped.Valid());
  EXPECT_EQ(cropped.View().width, 25);
  EXPECT_EQ(cropped.View().height, 20);
  EXPECT_TRUE(cropped.View().Ink(2, 2));
  EXPECT_TRUE(cropped.View().Ink(21, 15));
  EXPECT_EQ(CountInk(cropped, 0, 0, 25, 20), 2);
  bool tooSmall = false;
  EXPECT_FALSE(CropPage(image, 10, 5, 12, 25, &tooSmall).Valid());
  EXPECT_TRUE(tooSmall);
  EXPECT_TRUE(CropPage(image, -5, -5, 100, 100).Valid());
}

}  // namespace
