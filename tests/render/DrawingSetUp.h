// The drawing state the render tests start from and leave behind: one set-up
// for the tests that draw marks and text on a device, one for those that
// paint whole score pages from listings.
#pragma once

#include "render/DrawDevice.h"

// The colours of a display with a grey (0xC0C0C0) button face.
constexpr render::DisplayCaps kGreyFaceDisplay{-1, 0xC0C0C0, 0xFFFFFF, 0x808080, 0, 0x808080};

// Drawing state and music fonts reset, the glyph table built, the colour
// tables filled for caps; drawing on device at scale 1, the world from
// (0, 0) to (2000, 2000) visible.
void StartDrawingOn(render::DrawDevice* device, const render::DisplayCaps& caps);
// The music fonts and the drawing state reset.
void EndDrawing();

// Ready to paint a score into a view of viewWidth x viewHeight: drawing
// state and music fonts reset, the glyph table and the painter's tables
// built afresh, the painter's settings at their defaults, nothing selected,
// the colours of kGreyFaceDisplay. No device is chosen.
void StartScorePainting(int viewWidth, int viewHeight);
// The score a painting test built freed (streams, part records, part count,
// page list) and EndDrawing.
void EndScorePainting();
