#include <gtest/gtest.h>

#include <string>

#include "pages/SpriteDrawHooks.h"
#include "pages/SpriteDrawing.h"
#include "pages/SpriteStrings.h"
#include "tests/pages/ImageFixtures.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/TestText.h"

const SpriteBitmap& LastBlitForTest(ClipRect* clip);

namespace {

constexpr uint8_t kInk = 7;  // the colour table gives ink this index

// A 1-bit sprite whose pixel (x, y) is ink where (x + 2y) % 3 == 0.
std::vector<uint8_t> PatternSprite(uint32_t width, uint32_t height, uint32_t mode = 18) {
  auto area = MakeArea(60 + 64 * height + 64);
  EXPECT_EQ(CreateSprite(area.data(), "scanned", width, height, mode), nullptr);
  uint32_t stride = (SpriteWord(area.data(), kSpriteWidthWords) + 1) * 4;
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x)
      if (mode == 18 && (x + 2 * y) % 3 == 0) SpriteRows(area.data())[y * stride + x / 8] |= uint8_t(1 << (x % 8));
  return area;
}

struct Drawn {
  SpriteDraw result;
  ClipRect clip;
  SpriteBitmap bitmap;
};

Drawn Render(const std::vector<uint8_t>& area, int32_t x, int32_t y, SpriteScale scale, ClipRect clip,
             const HighlightRegion* highlight = nullptr) {
  static uint8_t table[256];
  for (int i = 0; i < 256; ++i) table[i] = uint8_t(i);
  table[1] = kInk;
  static const uint8_t map[256] = {12, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  Drawn d{};
  d.clip = clip;
  d.result = RenderSprite(SpriteDrawRequest{area.data(), "SCANNED", x, y, scale, map, table, highlight}, &d.clip, &d.bitmap);
  return d;
}

bool InkAt(const std::vector<uint8_t>& area, uint32_t x, uint32_t y) { return SpritePixel(area.data(), x, y) != 0; }

TEST(RenderSprite, UnitScaleDrawsPixelForPixel) {
  auto area = PatternSprite(20, 10);
  // The sprite's bottom-left corner at window (5, -15): it covers rows 5..15.
  Drawn d = Render(area, 5, -15, {1, 1, 1, 1}, {0, 0, 100, 100});
  ASSERT_EQ(d.result, SpriteDraw::kDrawn);
  EXPECT_EQ(d.clip.x0, 5);
  EXPECT_EQ(d.clip.y0, 5);
  EXPECT_EQ(d.clip.x1, 25);
  EXPECT_EQ(d.clip.y1, 15);
  for (uint32_t r = 0; r < 10; ++r)
    for (uint32_t c = 0; c < 20; ++c)
      ASSERT_EQ(d.bitmap.indices[r * d.bitmap.width + c], InkAt(area, c, r) ? kInk : kPaperIndex) << c << "," << r;
}

TEST(RenderSprite, HalfScaleTakesEverySecondPixelOfEverySecondRow) {
  auto area = PatternSprite(20, 10);
  Drawn d = Render(area, 0, -5, {1, 1, 2, 2}, {0, 0, 100, 100});
  ASSERT_EQ(d.result, SpriteDraw::kDrawn);
  for (uint32_t r = 0; r < 5; ++r)
    for (uint32_t c = 0; c < 10; ++c)
      ASSERT_EQ(d.bitmap.indices[r * d.bitmap.width + c], InkAt(area, 2 * c, 2 * r) ? kInk : kPaperIndex);
}

TEST(RenderSprite, SourceRowsAndColumnsStayInsideTheSprite) {
  // The narrowed clip is inclusive at x + W and -y: the last row and column
  // repeat the sprite's edge instead of reading past it.
  auto area = PatternSprite(9, 3);
  Drawn d = Render(area, 0, -6, {2, 2, 1, 1}, {0, 0, 100, 100});
  ASSERT_EQ(d.result, SpriteDraw::kDrawn);
  ASSERT_EQ(d.bitmap.width, 19u);
  ASSERT_EQ(d.bitmap.height, 7u);
  EXPECT_EQ(d.bitmap.indices[6 * 19 + 18], InkAt(area, 8, 2) ? kInk : kPaperIndex);
}

TEST(RenderSprite, NothingOutsideTheClipOrWithBadScales) {
  auto area = PatternSprite(20, 10);
  Drawn left = Render(area, -50, -15, {1, 1, 1, 1}, {0, 0, 100, 100});
  EXPECT_EQ(left.result, SpriteDraw::kNothing);
  EXPECT_TRUE(left.bitmap.indices.empty());
  EXPECT_EQ(Render(area, 0, -15, {1, 1, 0, 1}, {0, 0, 100, 100}).result, SpriteDraw::kNothing);
  EXPECT_EQ(Render(area, 0, -15, {0, 1, 1, 1}, {0, 0, 100, 100}).result, SpriteDraw::kNothing);
}

TEST(RenderSprite, HighlightMarksTheSelectedRegion) {
  auto area = PatternSprite(12, 6);
  HighlightRegion region{0, 0, 6, 3};
  Drawn d = Render(area, 0, -6, {1, 1, 1, 1}, {0, 0, 100, 100}, &region);
  ASSERT_EQ(d.result, SpriteDraw::kDrawn);
  for (uint32_t r = 0; r < 6; ++r)
    for (uint32_t c = 0; c < 12; ++c) {
      bool inside = c < 6 && r < 3;
      uint8_t want = inside ? (InkAt(area, c, r) ? kInk : kPaperIndex) : (InkAt(area, c, r) ? kOutsideInkIndex : kOutsidePaperIndex);
      ASSERT_EQ(d.bitmap.indices[r * d.bitmap.width + c], want) << c << "," << r;
    }
}

TEST(RenderSprite, FourBitPixelsTakeTheHighNibbleOnTheLeft) {
  auto area = MakeArea(256);
  ASSERT_EQ(CreateSprite(area.data(), "scanned", 4, 1, 20), nullptr);
  SpriteRows(area.data())[0] = 0xA3;
  SpriteRows(area.data())[1] = 0x5C;
  Drawn d = Render(area, 0, -1, {1, 1, 1, 1}, {0, 0, 100, 100});
  ASSERT_EQ(d.result, SpriteDraw::kDrawn);
  EXPECT_EQ(d.bitmap.indices[0], 0xA);
  EXPECT_EQ(d.bitmap.indices[1], 0x3);
  EXPECT_EQ(d.bitmap.indices[2], 0x5);
  EXPECT_EQ(d.bitmap.indices[3], 0xC);
}

TEST(RenderSprite, FindsNamesWithoutRegardToCase) {
  auto area = PatternSprite(8, 2);
  EXPECT_NE(FindSpriteForDrawing(area.data(), "Scanned"), nullptr);
  EXPECT_EQ(FindSpriteForDrawing(area.data(), "other"), nullptr);
  EXPECT_EQ(FindSpriteForDrawing(nullptr, "scanned"), nullptr);
}

ClipRect windowClip{0, 0, 50, 50};
int fakeDc;

TEST(DrawSpriteScaled, DrawsThroughTheHooksAndReportsUnsupportedModes) {
  SetSpriteDrawHooks(SpriteDrawHooks{[]() -> void* { return &fakeDc; }, []() { return &windowClip; }, nullptr,
                                     nullptr, nullptr});
  auto area = PatternSprite(10, 4);
  uint8_t map[256] = {12, 1};
  EXPECT_EQ(DrawSpriteScaled(area.data(), "scanned", 0, -4, SpriteScale{1, 1, 1, 1}, map), 0);
  ClipRect blitClip{};
  EXPECT_EQ(LastBlitForTest(&blitClip).width, 11u);
  EXPECT_EQ(windowClip.x1, 10) << "the clip stays narrowed to the sprite";

  SetSpriteWord(area.data(), kSpriteMode, 19);
  BoxRecorder boxes;
  EXPECT_EQ(DrawSpriteScaled(area.data(), "scanned", 0, -4, SpriteScale{1, 1, 1, 1}, map), 0);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, UiText(kStrScreenModeNotSupported));
  ResetSpriteDrawHooks();
}

TEST(DrawSpriteScaled, DrawsNothingWithoutAWindow) {
  ResetSpriteDrawHooks();
  auto area = PatternSprite(10, 4);
  uint8_t map[256] = {12, 1};
  SetSpriteWord(area.data(), kSpriteMode, 19);
  BoxRecorder boxes;
  EXPECT_EQ(DrawSpriteScaled(area.data(), "scanned", 0, -4, SpriteScale{1, 1, 1, 1}, map), 0);
  EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace
