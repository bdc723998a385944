#include "render/win32/ScanStripPane.h"

#include <cmath>

#include "pages/PageData.h"
#include "pages/SpriteDrawing.h"
#include "platform/win32/AppWindows.h"
#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/win32/OffscreenPane.h"
#include "render/win32/PageImagePanel.h"
#include "render/win32/ScorePagePane.h"

namespace {

PanePainters Painters;

// The strip's memory context and paint rectangle while its image is drawn.
HDC StripContext = nullptr;
ClipRect StripClip{};

void DrawStripSprite(const ScanStripPlacement& at, const uint8_t colourMap[16]) {
  const int32_t per1000 = static_cast<int32_t>(std::lround(at.factor * 1000.0));
  if (per1000 > 0 && StripContext)
    DrawSpriteInto(StripContext, StripClip, viewPage.Area(), viewPage.imageName, at.x, at.y,
                   SpriteScale{per1000, per1000, 1000, 1000}, colourMap);
}

// The whole page's two colours: paper and ink.
void StripColourMap(bool alternativeColours, uint8_t map[16]) {
  map[0] = 44;
  map[1] = static_cast<uint8_t>(alternativeColours ? 5 : 3);
}

void DrawWholeImage(const ScanStripPlacement& at, bool alternativeColours) {
  uint8_t map[16] = {};
  StripColourMap(alternativeColours, map);
  DrawStripSprite(at, map);
}

// While a stave is edited only the paint rectangle's part of the page is
// drawn, as the page panels draw it (smoothed when reduced).
void DrawImageRegion(const ScanStripPlacement& at) {
  const uint8_t* area = viewPage.Area();
  const int32_t per1000 = static_cast<int32_t>(std::lround(at.factor * 1000.0));
  if (!area || per1000 <= 0 || !StripContext) return;
  const PageImageSource page{area, viewPage.imageName,
                             PageBitImage{SpriteRows(area), static_cast<int32_t>(viewPage.width),
                                          static_cast<int32_t>(viewPage.height)}};
  const DeviceRect clip{StripClip.x0, StripClip.y0, StripClip.x1, StripClip.y1};
  DrawPageImageRegion(page, at.x, at.y, ImageRatio{per1000, per1000, 1000, 1000}, StripContext, &clip, false);
}

// The paper as the sprite drawer shows it becomes the highlight colour.
void RecolourHighlight(const int32_t rect[4]) {
  uint8_t map[16] = {};
  StripColourMap(false, map);
  uint32_t paper = 0;
  if (!StripContext || !SpritePaletteColour(StripContext, SpritePaperIndex(map), &paper)) return;
  RecolourScreenRectRgb(StripContext, rect[0], rect[1], rect[2], rect[3], paper,
                        NearestColour(ColourTable[kStripHighlightColour]));
}

bool Is(HWND window, HWND slot) { return HoldsWindow(slot) && window == slot; }

}  // namespace

PanePainters SetPanePainters(const PanePainters& painters) {
  const PanePainters old = Painters;
  Painters = painters;
  return old;
}

void PaintScanStripPane(int x, int y, HDC dc, const RECT& rect) {
  OffscreenPane pane(dc, rect, x, y);
  if (!pane.Ready()) return;
  pane.BeginDrawing();
  POINT origin{};
  SetWindowOrgEx(pane.Memory(), rect.left, rect.top, &origin);
  ScanStripView view;
  if (Painters.scanStripView && !Painters.scanStripView(&view)) view = ScanStripView{};
  if (view.stripHeight == 0 && Painters.imageStripHeight) view.stripHeight = Painters.imageStripHeight();
  StripContext = pane.Memory();
  StripClip = ClipRect{rect.left, rect.top, rect.right, rect.bottom};
  PaintScanStripContent(view, x, y, ScanStripImageDrawing{DrawWholeImage, DrawImageRegion, RecolourHighlight});
  StripContext = nullptr;
  SetWindowOrgEx(pane.Memory(), origin.x, origin.y, nullptr);
  pane.EndDrawing();
  pane.CopyToWindow();
}

void PaintPane(HWND window, int x, int y, HDC dc, const RECT& rect) {
  StorePaneRect(DeviceRect{rect.left, rect.top, rect.right, rect.bottom});
  const AppWindows& w = Windows();
  if (Is(window, w.pageView)) {
    if (Painters.paintPageImage) Painters.paintPageImage(x, y, dc, rect);
  } else if (Is(window, w.outImage)) {
    PaintScanStripPane(x, y, dc, rect);
  } else if (Is(window, w.scoreView)) {
    const int strip = Painters.imageStripHeight ? Painters.imageStripHeight() : 0;
    PaintScorePagePane(dc, rect, x, y - strip - kScanStripBorder);
  } else if (Is(window, w.pagesPane)) {
    if (Painters.paintPagesPane) Painters.paintPagesPane(x, y, dc, rect);
  } else if (Is(window, w.detail)) {
    if (Painters.paintImageStrip) Painters.paintImageStrip(x, y);
  }
}
