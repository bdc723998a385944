#include "pages/SpriteDrawing.h"

#include <cstring>

#include "pages/SpriteDrawHooks.h"
#include "pages/SpriteStrings.h"
#include "platform/Messages.h"
#include "platform/TextUtils.h"

// Puts the bitmap on the device context at the clip's corner (win32/ and native/).
bool BlitSpriteBitmap(void* deviceContext, const ClipRect& clip, const SpriteBitmap& bitmap);

namespace {

bool NameMatches(const uint8_t* header, const char* name) {
  const char* stored = reinterpret_cast<const char*>(header + kSpriteName);
  for (size_t i = 0; i < kSpriteNameBytes; ++i) {
    char a = stored[i], b = name[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
    if (a == 0) return true;
  }
  return true;
}


}  // namespace

const uint8_t* FindSpriteForDrawing(const uint8_t* area, const char* name) {
  if (!area) return nullptr;
  uint64_t size = AreaWord(area, kAreaSizeOffset);
  uint64_t offset = AreaWord(area, kAreaFirstSpriteOffset);
  uint32_t count = AreaWord(area, kAreaCountOffset);
  for (uint32_t seen = 0; offset + kSpriteHeaderBytes <= size && seen < count; ++seen) {
    const uint8_t* header = area + offset;
    if (NameMatches(header, name)) return header;
    if (count < 2) break;
    uint32_t next = AreaWord(header, kSpriteNextOffset);
    if (next == 0) break;
    offset += next;
  }
  return nullptr;
}

SpriteDraw RenderSprite(const SpriteDrawRequest& rq, ClipRect* clip, SpriteBitmap* bitmap) {
  const uint8_t* sprite = FindSpriteForDrawing(rq.area, rq.name);
  if (!sprite) return SpriteDraw::kNothing;
  int bpp = SpriteBitsPerPixel(AreaWord(sprite, kSpriteMode));
  if (!bpp) return SpriteDraw::kUnsupportedMode;
  const SpriteScale& s = rq.scale;
  if (s.xmul <= 0 || s.ymul <= 0 || s.xdiv <= 0 || s.ydiv <= 0) return SpriteDraw::kNothing;

  int64_t width = SpriteWidthFromHeader(AreaWord(sprite, kSpriteWidthWords), AreaWord(sprite, kSpriteUnusedBits), bpp);
  int64_t height = int64_t(AreaWord(sprite, kSpriteHeightRows)) + 1;
  int64_t stride = (int64_t(AreaWord(sprite, kSpriteWidthWords)) + 1) * 4;
  uint64_t spriteStart = uint64_t(sprite - rq.area) + AreaWord(sprite, kSpriteImageField);
  if (width <= 0 || spriteStart + uint64_t(stride) * uint64_t(height) > AreaWord(rq.area, kAreaSizeOffset))
    return SpriteDraw::kNothing;
  const uint8_t* rows = rq.area + spriteStart;

  int64_t W = width * s.xmul / s.xdiv, H = height * s.ymul / s.ydiv;
  int64_t x0 = clip->x0, y0 = clip->y0, x1 = clip->x1, y1 = clip->y1;
  int64_t top = -(int64_t(rq.y) + H), bottom = -int64_t(rq.y);
  if (x0 < rq.x) x0 = rq.x;
  if (x1 > rq.x + W) x1 = rq.x + W;
  if (y0 < top) y0 = top;
  if (y1 > bottom) y1 = bottom;
  if (x1 - x0 < 1 || y1 - y0 < 1) return SpriteDraw::kNothing;
  *clip = ClipRect{int32_t(x0), int32_t(y0), int32_t(x1), int32_t(y1)};

  bitmap->width = uint32_t(x1 - x0 + 1);
  bitmap->height = uint32_t(y1 - y0 + 1);
  bitmap->indices.assign(size_t(bitmap->width) * bitmap->height, 0);
  const uint8_t* table = rq.colourTable;
  const uint8_t* map = rq.colourMap;

  for (uint32_t r = 0; r < bitmap->height; ++r) {
    uint8_t* out = bitmap->indices.data() + size_t(r) * bitmap->width;
    if (bpp == 1) {
      int64_t sy = (int64_t(r) + y0 - top) * s.ydiv / s.ymul;
      if (sy < 0) continue;
      if (sy > height - 1) sy = height - 1;
      const uint8_t* row = rows + sy * stride;
      for (uint32_t c = 0; c < bitmap->width; ++c) {
        int64_t sx = (int64_t(c) - rq.x + x0) * s.xdiv / s.xmul;
        if (sx < 0) continue;
        if (sx > width - 1) sx = width - 1;
        bool ink = (row[sx / 8] >> (sx % 8)) & 1;
        if (rq.highlight) {
          const HighlightRegion& h = *rq.highlight;
          bool inside = sx >= h.left && sx < h.right && sy >= h.top && sy < h.bottom;
          out[c] = inside ? (ink ? table[map[1]] : kPaperIndex) : (ink ? kOutsideInkIndex : kOutsidePaperIndex);
        } else {
          out[c] = ink ? table[map[1]] : SpritePaperIndex(map);
        }
      }
    } else {
      int64_t sy = int64_t(r) + y0 - top;
      if (sy < 0 || sy >= height) continue;
      const uint8_t* row = rows + sy * stride;
      for (uint32_t c = 0; c < bitmap->width; ++c) {
        int64_t sx = int64_t(c) + x0 - rq.x;
        if (sx < 0 || sx >= width) continue;
        uint8_t value = bpp == 8 ? row[sx] : (sx % 2 ? row[sx / 2] & 15 : row[sx / 2] >> 4);
        out[c] = table[map[value]];
      }
    }
  }
  return SpriteDraw::kDrawn;
}

uint8_t SpritePaperIndex(const uint8_t* colourMap) {
  return colourMap[0] == kPaperColourNumber ? kPaperIndex : kPaperIndexOther;
}

int DrawSpriteScaled(const uint8_t* area, const char* name, int32_t x, int32_t y, const SpriteScale& scale,
                     const uint8_t* colourMap) {
  if (!area) return 0;
  const SpriteDrawHooks& hooks = CurrentSpriteDrawHooks();
  void* dc = hooks.deviceContext();
  ClipRect* clip = hooks.clipRect();
  if (!dc || !clip) return 0;
  HighlightRegion region{};
  bool highlight = hooks.previewHighlight(area, &region);
  SpriteDrawRequest request{area, name, x, y, scale, colourMap, hooks.colourTable(), highlight ? &region : nullptr};
  SpriteBitmap bitmap;
  switch (RenderSprite(request, clip, &bitmap)) {
    case SpriteDraw::kUnsupportedMode:
      MessageById(nullptr, kStrScreenModeNotSupported);
      break;
    case SpriteDraw::kDrawn:
      BlitSpriteBitmap(dc, *clip, bitmap);
      break;
    case SpriteDraw::kNothing:
      break;
  }
  return 0;
}
