#include "reading/StaveLocating.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

StaveRow Row(int top, int height, int lines = 5, int left = 100) {
  StaveRow row;
  row.left = int16_t(left);
  row.right = 2000;
  row.top = int16_t(top);
  row.bottom = int16_t(top + height);
  row.lineCount = int16_t(lines);
  return row;
}

TEST(NarrowStaveAdvice, AdvisesAResolutionFromTheSmallestStave) {
  struct Case {
    int resolution, m, advised;
  } cases[] = {
      {300, 30, 400},  // 300 x 40 / 30 = 400
      {300, 35, 400},  // 342, down to 300, not above the page's: 400
      {200, 39, 300},  // 205 to 200, not above: 300
      {100, 30, 200},  // 133 down to 100, not above: 200
      {400, 20, 400},  // 800 cut to 400
      {300, 0, 400},   // a stave of no height
      {300, -5, 400},
  };
  for (const Case& c : cases) EXPECT_EQ(AdvisedResolution(c.resolution, c.m), c.advised) << c.resolution << " " << c.m;
}

TEST(NarrowStaveAdvice, ComposesTheListOfNarrowStaves) {
  StaveRow rows[6] = {Row(100, 30), Row(200, 31), Row(300, 45), Row(400, 32), Row(500, 60, 1), Row(600, 33)};
  char16_t text[1024];
  EXPECT_EQ(NarrowStaveAdvice(text, 1024, rows, 6, 300, u"Scan 1"), 0u);
  const std::u16string got(text);
  EXPECT_EQ(got.rfind(u"Scan 1 - Staves 1-2, 4, 6 are very narrow. Try re-scanning this page using the 3 - 4 mm", 0),
            0u)
      << std::string(got.begin(), got.end());
  EXPECT_EQ(NarrowStaveAdvice(nullptr, 0, rows, 6, 300, nullptr), 0u);
  StaveRow wide[2] = {Row(100, 40), Row(200, 10, 2)};
  EXPECT_EQ(NarrowStaveAdvice(text, 1024, wide, 2, 300, nullptr), 1u);
}

TEST(NarrowStaveAdvice, NoAdviceWhenThePageIsAlreadyFineEnough) {
  StaveRow rows[1] = {Row(100, 20)};
  char16_t text[256] = u"unchanged";
  EXPECT_EQ(NarrowStaveAdvice(text, 256, rows, 1, 400, nullptr), 0u);
  EXPECT_EQ(std::u16string(text), u"");
}

// A page with two staves and a bracket at the left over some of the gap.
struct BracketPage {
  static constexpr uint32_t kWidth = 640, kHeight = 400, kStride = kWidth / 32;
  std::vector<uint8_t> bits = std::vector<uint8_t>(kStride * 4 * kHeight, 0);
  void Bracket(int x, int top, int bottom) {
    for (int y = top; y <= bottom; ++y) bits[size_t(y) * kStride * 4 + x / 8] |= uint8_t(1u << (x % 8));
  }
};

TEST(GroupStaves, ABracketOverTheWholeGapKeepsTwoStavesTogether) {
  for (int blackRows : {100, 90, 89}) {
    SCOPED_TRACE(blackRows);
    BracketPage page;
    StaveRow rows[2] = {Row(50, 40, 5, 100), Row(190, 40, 5, 130)};  // gap rows 91..190
    page.Bracket(96, 91, 91 + blackRows - 1);
    uint32_t valid[kStaveSlots] = {1, 1};
    GroupStaves(page.bits.data(), BracketPage::kStride, BracketPage::kWidth, BracketPage::kHeight, 300, rows, 2, valid);
    const bool together = blackRows >= 90;
    EXPECT_EQ(rows[1].group, together ? 0 : 1);
    EXPECT_EQ(rows[1].number, together ? 1 : 0);
    // Joined staves start at the group's left end when theirs lies further right.
    EXPECT_EQ(rows[1].left, together ? 100 : 130);
    EXPECT_EQ(valid[1], together ? 0u : 1u);
  }
}

TEST(GroupStaves, ReadsNothingOutsideTheImage) {
  BracketPage page;
  // A stave whose left margin reaches past the image's right edge and a
  // gap that runs below the image.
  StaveRow rows[2] = {Row(300, 40, 5, 620), Row(420, 40, 5, 630)};
  GroupStaves(page.bits.data(), BracketPage::kStride, BracketPage::kWidth, BracketPage::kHeight, 300, rows, 2, nullptr);
  EXPECT_EQ(rows[1].group, 1);
}

}  // namespace
