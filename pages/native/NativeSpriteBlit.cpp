// Natively there is no screen: the bitmap is kept for the tests to look at.
#include "pages/SpriteDrawing.h"

namespace {
SpriteBitmap lastBlit;
ClipRect lastClip{};
}

bool BlitSpriteBitmap(void* deviceContext, const ClipRect& clip, const SpriteBitmap& bitmap) {
  lastBlit = bitmap;
  lastClip = clip;
  return true;
}

bool SpritePaletteColour(void*, uint8_t, uint32_t*) { return false; }

const SpriteBitmap& LastBlitForTest(ClipRect* clip) {
  if (clip) *clip = lastClip;
  return lastBlit;
}
