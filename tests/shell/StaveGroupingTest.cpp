// Systems of a page's staves: the ink of a bracket across the gap at the
// staves' left ends joins them, its absence splits them; joins and splits by
// hand; and the numbering that always runs 0, 1, 2, ... in stave order.
#include "shell/StaveGrouping.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kDpi = 300;

// A blank two-level page with a vertical bracket stroke at x from y0 to y1.
class Page {
 public:
  Page(int width, int height) : rowBytes_((width + 31) / 32 * 4), bits_(rowBytes_ * height) {
    image_.rows = bits_.data();
    image_.width = width;
    image_.height = height;
    image_.rowBytes = rowBytes_;
  }
  void Stroke(int x, int y0, int y1) {
    for (int y = y0; y <= y1; ++y) image_.SetInk(x, y);
  }
  const PageImage& Image() const { return image_; }

 private:
  size_t rowBytes_;
  std::vector<uint8_t> bits_;
  PageImage image_;
};

StaveRecord Stave(int top, int group) {
  StaveRecord r;
  r.left = 200;
  r.right = 2000;
  r.top = static_cast<int16_t>(top);
  r.bottom = static_cast<int16_t>(top + 60);
  r.group = static_cast<int16_t>(group);
  r.lineCount = 5;
  return r;
}

TEST(StaveGroupingTest, InkAcrossTheGapJoinsFromNinetyPerCentOfItsRows) {
  // The gap between y 460 and 560: rows 461..559, 99 of them.
  struct Case {
    const char* name;
    int x, y0, y1;  // the stroke
    int above, below;
    bool joins;
  };
  const Case cases[] = {
      {"a bracket over the whole gap", 195, 440, 580, 460, 560, true},
      {"ink in 90 of 99 rows", 195, 461, 550, 460, 560, true},
      {"ink in 88 of 99 rows", 195, 461, 548, 460, 560, false},
      {"a bracket too far left of the stave", 150, 440, 580, 460, 560, false},
      {"within the byte rounded down from left - dpi / 8", 160, 440, 580, 460, 560, true},
      {"a bracket right of the stave's left end", 236, 440, 580, 460, 560, true},
      {"an empty gap never joins", 195, 0, 999, 560, 561, false},
      {"staves that overlap never join", 195, 0, 999, 560, 540, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Page page(2480, 1000);
    page.Stroke(c.x, c.y0, c.y1);
    EXPECT_EQ(InkJoinsGap(page.Image(), 200, c.above, c.below, kDpi), c.joins);
  }
  EXPECT_FALSE(InkJoinsGap(PageImage{}, 200, 460, 560, kDpi)) << "no image";
}

TEST(StaveGroupingTest, RegroupFollowsTheInkAboveAndBelowAndRenumbers) {
  struct Case {
    const char* name;
    std::vector<int> groups;                 // before
    std::vector<std::pair<int, int>> ink;    // strokes from y to y at the left end
    int edited;
    std::vector<int> after;
    bool changed;
  };
  // Staves at 400, 600, 800, 1000 (each 60 high).
  const Case cases[] = {
      {"a bracket joins the stave to the one above", {0, 1, 2, 3}, {{460, 600}}, 1, {0, 0, 1, 2}, true},
      {"no ink splits it from both neighbours", {0, 0, 0, 0}, {}, 1, {0, 1, 2, 2}, true},
      {"ink below joins the next one", {0, 1, 2, 3}, {{660, 800}}, 1, {0, 1, 1, 2}, true},
      {"ink above and below: one system of three", {0, 1, 2, 3}, {{460, 800}}, 1, {0, 0, 0, 1}, true},
      {"as the ink says already: nothing changes", {0, 0, 1, 1}, {{460, 600}, {860, 1000}}, 1, {0, 0, 1, 1},
       false},
      {"the first stave has only a gap below", {0, 0, 1, 1}, {}, 0, {0, 1, 2, 2}, true},
      {"the last stave has only a gap above", {0, 0, 1, 2}, {{860, 1000}}, 3, {0, 0, 1, 1}, true},
      {"numbers with holes are renumbered", {3, 3, 7, 9}, {{460, 600}}, 1, {0, 0, 1, 2}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Page page(2480, 1200);
    for (auto [y0, y1] : c.ink) page.Stroke(196, y0, y1);
    StaveRecord staves[4];
    for (int s = 0; s < 4; ++s) staves[s] = Stave(400 + 200 * s, c.groups[s]);
    EXPECT_EQ(RegroupStave(staves, 4, c.edited, page.Image(), kDpi), c.changed);
    for (int s = 0; s < 4; ++s) EXPECT_EQ(staves[s].group, c.after[s]) << "stave " << s;
  }
}

TEST(StaveGroupingTest, AltClickOnANeighbourSplitsOrJoinsTheirSystems) {
  struct Case {
    const char* name;
    int a, b;
    std::vector<int> after;
    bool done;
  };
  const Case cases[] = {
      {"two staves of one system are split", 0, 1, {0, 1, 2, 3}, true},
      {"either order", 1, 0, {0, 1, 2, 3}, true},
      {"two systems are joined", 2, 3, {0, 0, 1, 1}, true},
      {"not neighbours", 0, 2, {0, 0, 1, 2}, false},
      {"outside the table", 3, 4, {0, 0, 1, 2}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StaveRecord staves[4] = {Stave(400, 0), Stave(600, 0), Stave(800, 1), Stave(1000, 2)};
    EXPECT_EQ(JoinOrSplitSystems(staves, 4, c.a, c.b), c.done);
    for (int s = 0; s < 4; ++s) EXPECT_EQ(staves[s].group, c.after[s]) << "stave " << s;
  }
}

}  // namespace
