#include <windows.h>

#include <gtest/gtest.h>

#include "pages/SpriteDrawHooks.h"
#include "pages/SpriteDrawing.h"
#include "tests/pages/ImageFixtures.h"

namespace {

HDC paintDc;
ClipRect paintClip;

TEST(SpriteBlit, DrawsInkAndPaperIntoTheWindowsBitmap) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 40;
  info.bmiHeader.biHeight = -30;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP target = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(target, nullptr);
  HGDIOBJ old = SelectObject(dc, target);
  auto* pixels = static_cast<uint32_t*>(bits);
  std::fill(pixels, pixels + 40 * 30, 0x00123456u);

  // An 8 x 4 sprite, ink in its left half, at window columns 10..18, rows 20..24.
  auto area = MakeArea(256);
  ASSERT_EQ(CreateSprite(area.data(), "scanned", 8, 4, 18), nullptr);
  for (int y = 0; y < 4; ++y) SpriteRows(area.data())[y * 4] = 0x0F;
  paintDc = dc;
  paintClip = ClipRect{0, 0, 39, 29};
  SetSpriteDrawHooks(SpriteDrawHooks{[]() -> void* { return paintDc; }, []() { return &paintClip; }, nullptr, nullptr,
                                     nullptr});
  uint8_t map[256] = {12, 1};
  EXPECT_EQ(DrawSpriteScaled(area.data(), "scanned", 10, -24, SpriteScale{1, 1, 1, 1}, map), 0);
  GdiFlush();
  ResetSpriteDrawHooks();

  uint32_t ink = pixels[21 * 40 + 11], paper = pixels[21 * 40 + 16];
  EXPECT_NE(ink, 0x00123456u);
  EXPECT_NE(paper, 0x00123456u);
  EXPECT_NE(ink, paper);
  EXPECT_EQ(pixels[21 * 40 + 5], 0x00123456u) << "left of the sprite stays as it was";
  EXPECT_EQ(pixels[10 * 40 + 11], 0x00123456u) << "above the sprite stays as it was";

  SelectObject(dc, old);
  DeleteObject(target);
  DeleteDC(dc);
}

}  // namespace
