// Drawing a sprite scaled into a window: the arithmetic that picks, for every
// pixel of the visible part, the sprite pixel and the palette index it gets.
// The Win32 side (win32/DrawSpriteScaled.cpp) puts the result on the screen.
#pragma once

#include <cstdint>
#include <vector>

#include "pages/SpriteArea.h"

// Window pixels, inclusive at both ends.
struct ClipRect {
  int32_t x0, y0, x1, y1;
};
// Image pixels: left and top inclusive, right and bottom exclusive.
struct HighlightRegion {
  int32_t left, top, right, bottom;
};

// Palette indices of the drawing bitmap.
constexpr uint8_t kPaperIndex = 32;
constexpr uint8_t kPaperIndexOther = 48;
constexpr uint8_t kPaperColourNumber = 12;  // colour map entry 0 with this colour gives kPaperIndex
constexpr uint8_t kOutsideInkIndex = 160;
constexpr uint8_t kOutsidePaperIndex = 92;

// The sprite named name (case-insensitive; the first 12 characters when the
// stored name fills all 12 bytes), walking the sprites of the area; null
// when it is not there or its header lies outside the area.
const uint8_t* FindSpriteForDrawing(const uint8_t* area, const char* name);

enum class SpriteDraw { kNothing, kUnsupportedMode, kDrawn };

struct SpriteBitmap {
  uint32_t width = 0;  // x1 - x0 + 1 of the narrowed clip
  uint32_t height = 0;
  std::vector<uint8_t> indices;  // rows top to bottom, width bytes each
};

struct SpriteDrawRequest {
  const uint8_t* area;
  const char* name;
  int32_t x, y;  // the sprite's bottom-left corner, y counted upwards from the window's top
  SpriteScale scale;
  const uint8_t* colourMap;    // pixel value -> colour number
  const uint8_t* colourTable;  // colour number -> palette index (256 entries)
  const HighlightRegion* highlight;  // the preview's selected region, or null
};

// Narrows clip to the sprite (as drawing leaves it) and fills bitmap with
// palette indices. 1-bit sprites are scaled; 4- and 8-bit sprites are drawn
// one pixel per pixel from the clipped corner, the high nibble of a 4-bit
// byte on the left. Every source row and column is limited to the sprite's
// own size.
SpriteDraw RenderSprite(const SpriteDrawRequest& request, ClipRect* clip, SpriteBitmap* bitmap);

// The palette index a 1-bit sprite's paper is drawn in with this colour map.
uint8_t SpritePaperIndex(const uint8_t* colourMap);
// The colour (0x00BBGGRR) that palette index shows as when a sprite is drawn
// into the device context; false natively, where there is no screen.
bool SpritePaletteColour(void* deviceContext, uint8_t index, uint32_t* colour);

// Draws into the current window's device context (Win32 build); always 0.
// An unsupported mode shows "Screen mode not supported".
int DrawSpriteScaled(const uint8_t* area, const char* name, int32_t x, int32_t y, const SpriteScale& scale,
                     const uint8_t* colourMap);
