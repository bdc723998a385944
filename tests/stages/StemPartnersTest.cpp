// The pair test for heads that hang on one stem.
#include <gtest/gtest.h>

#include "stages/StemCandidates.h"

namespace {

NoteRecord Head(int16_t stave, int16_t left, int16_t right, int16_t step, uint32_t stemRight) {
  NoteRecord n{};
  n.stave = stave;
  n.left = left;
  n.right = right;
  n.step = step;
  n.stemRight = stemRight;
  return n;
}

TEST(StemPartners, ChordHeadsAndBeamNeighboursHangOnOneStem) {
  const int32_t unit = 3;  // 2 units = 6 pixels
  const struct {
    NoteRecord a, b;
    bool partners;
    const char* what;
  } cases[] = {
      {Head(0, 100, 120, 16, 1), Head(0, 106, 126, 18, 1), true, "left edges 6 apart, same side"},
      {Head(0, 100, 120, 16, 1), Head(0, 107, 127, 18, 1), false, "left edges 7 apart"},
      {Head(0, 100, 120, 16, 1), Head(0, 103, 123, 18, 0), false, "close but stems on other sides"},
      {Head(0, 100, 120, 16, 1), Head(0, 126, 146, 15, 0), true, "second-interval chord round one stem"},
      {Head(0, 100, 120, 16, 1), Head(0, 127, 147, 15, 0), false, "7 past the right edge"},
      {Head(0, 100, 120, 16, 0), Head(0, 124, 144, 15, 1), false, "stems facing away"},
      {Head(0, 100, 120, 16, 1), Head(1, 100, 120, 18, 1), false, "another stave"},
      // Equal left edges: the lower step is the left one; its stem side decides.
      {Head(0, 100, 120, 18, 1), Head(0, 100, 120, 14, 0), false, "equal edges, sides differ"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AreStemPartners(c.a, c.b, unit), c.partners) << c.what;
    EXPECT_EQ(AreStemPartners(c.b, c.a, unit), c.partners) << c.what << " (swapped)";
  }
}

}  // namespace
