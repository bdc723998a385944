// Page image panels on GDI: a region of a scanned page drawn into a context
// at a ratio (the sprite drawer, or a smoothed grey picture when reduced),
// and one colour of a pane repainted in another.
#pragma once

#include <windows.h>

#include "pages/SpriteArea.h"
#include "pages/SpriteDrawing.h"
#include "render/PageImagePanel.h"

// Draws the named sprite of area into dc, limited to clip (window pixels),
// through the sprite drawer.
void DrawSpriteInto(HDC dc, const ClipRect& clip, const uint8_t* area, const char* name, int32_t x, int32_t y,
                    const SpriteScale& scale, const uint8_t* colourMap);

struct PageImageSource {
  const uint8_t* area;   // the page's sprite area (the sprite drawer's path)
  const char* name;      // its sprite
  PageBitImage bits;     // the same image's 1-bit rows (the grey path)
};

// Draws the page image at origin (x, y) (upward y) scaled by ratio into dc,
// limited to clip (device coordinates; null: none), with the pane's frame
// when frame is set. An empty clip rectangle draws nothing at all.
void DrawPageImageRegion(const PageImageSource& page, int32_t x, int32_t y, const ImageRatio& ratio, HDC dc,
                         const DeviceRect* clip, bool frame, const MarkedRegion& marked = MarkedRegion{});

// In dc, every pixel of colour fromColour inside the rectangle (y upward)
// becomes toColour; colours are colour-table indices.
void RecolourScreenRect(HDC dc, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int fromColour, int toColour);
// The same with the two colours as RGB values.
void RecolourScreenRectRgb(HDC dc, int32_t x0, int32_t y0, int32_t x1, int32_t y1, COLORREF fromColour,
                           COLORREF toColour);
// The same for a rectangle in world units of the score pane.
void RecolourWorldRect(HDC dc, double x0, double y0, double x1, double y1, int fromColour, int toColour);
