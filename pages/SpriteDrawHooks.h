// What drawing a sprite asks of the score-rendering layer and the scan
// preview: the device context and clip rectangle of the window being painted,
// the colour table and the highlight ramp, and the preview's selected region.
// The shell wires them in. Until it does, each default is what happens
// without that service: no window to draw into (nothing is drawn), an
// identity colour table, no highlight ramp and no preview.
#pragma once

#include <cstdint>

#include "pages/SpriteDrawing.h"

struct SpriteDrawHooks {
  // The device context of the window being painted, or null.
  void* (*deviceContext)();
  // The drawing state's clip rectangle, narrowed in place by a draw; null: none.
  ClipRect* (*clipRect)();
  // 256 entries: colour number -> palette index.
  const uint8_t* (*colourTable)();
  // Fills palette entries 32..239 (4 bytes each: blue, green, red, 0) with the highlight ramp.
  void (*fillHighlightPalette)(uint8_t* palette);
  // True with the selected region while a scan preview of this area is shown.
  bool (*previewHighlight)(const uint8_t* area, HighlightRegion* region);
};

const SpriteDrawHooks& CurrentSpriteDrawHooks();
// Installs hooks (a null member keeps that member's default); returns the old set.
SpriteDrawHooks SetSpriteDrawHooks(const SpriteDrawHooks& hooks);
void ResetSpriteDrawHooks();
