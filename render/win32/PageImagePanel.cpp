#include "render/win32/PageImagePanel.h"

#include <algorithm>
#include <vector>

#include "pages/SpriteDrawHooks.h"
#include "platform/Settings.h"
#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/win32/DibSection.h"
#include "render/win32/GdiDevice.h"

namespace {

// The context and clip the sprite drawer asks its hooks for while one of
// these panels draws.
HDC SpriteContext = nullptr;
ClipRect SpriteClip{};
void* SpriteDeviceContext() { return SpriteContext; }
ClipRect* SpriteClipRect() { return &SpriteClip; }

void DrawGreyPicture(HDC dc, const PageImageSource& page, const ImageRatio& ratio, const PageImagePlan& plan,
                     const MarkedRegion& marked) {
  const int32_t width = plan.c1 - plan.c0, height = plan.r1 - plan.r0;
  const std::vector<uint8_t> indices =
      ReducePageImage(page.bits, ratio, plan.c0, plan.r0, plan.c1, plan.r1, marked);
  const int32_t stride = (width + 3) & ~3;
  std::vector<uint8_t> rows(static_cast<size_t>(stride) * height, 0);
  for (int32_t r = 0; r < height; ++r)  // bottom row first
    std::copy_n(indices.begin() + static_cast<ptrdiff_t>(r) * width, width,
                rows.begin() + static_cast<ptrdiff_t>(height - 1 - r) * stride);
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
  auto* header = reinterpret_cast<BITMAPINFO*>(info.data());
  header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header->bmiHeader.biWidth = width;
  header->bmiHeader.biHeight = height;
  header->bmiHeader.biPlanes = 1;
  header->bmiHeader.biBitCount = 8;
  RgbQuad palette[256];
  FillHighlightPalette(palette, SharedPalette[12]);
  for (int i = 0; i < 256; ++i)
    header->bmiColors[i] = RGBQUAD{palette[i].blue, palette[i].green, palette[i].red, 0};
  StretchDIBits(dc, plan.clip.left, plan.clip.top, width, height, 0, 0, width, height, rows.data(), header,
                DIB_RGB_COLORS, SRCCOPY);
}

// Runs draw with the drawing layer pointed at dc.
template <typename Draw>
void WithDrawingContext(HDC dc, Draw draw) {
  GdiDevice device(dc);
  render::DrawDevice* const saved = DrawingState().dc;
  DrawingState().dc = &device;
  draw();
  DrawingState().dc = saved;
}

}  // namespace

void DrawSpriteInto(HDC dc, const ClipRect& clip, const uint8_t* area, const char* name, int32_t x, int32_t y,
                    const SpriteScale& scale, const uint8_t* colourMap) {
  SpriteDrawHooks hooks = CurrentSpriteDrawHooks();
  hooks.deviceContext = SpriteDeviceContext;
  hooks.clipRect = SpriteClipRect;
  const SpriteDrawHooks saved = SetSpriteDrawHooks(hooks);
  const HDC savedContext = SpriteContext;
  SpriteContext = dc;
  SpriteClip = clip;
  DrawSpriteScaled(area, name, x, y, scale, colourMap);
  SpriteContext = savedContext;
  SetSpriteDrawHooks(saved);
}

void DrawPageImageRegion(const PageImageSource& page, int32_t x, int32_t y, const ImageRatio& ratio, HDC dc,
                         const DeviceRect* clip, bool frame, const MarkedRegion& marked) {
  if (!page.area && !page.bits.bits) return;
  const PageImagePlan plan =
      PlanPageImageRegion(page.bits.width, page.bits.height, x, y, ratio, clip, General().antiAliaseImage);
  if (plan.clipEmpty || plan.width <= 0 || plan.height <= 0) return;
  const bool alternative = General().useR8Keypad;
  if (!plan.visible) {
    if (frame) WithDrawingContext(dc, [&] { FillPageImagePane(x, y, plan.width, plan.height, alternative); });
    return;
  }
  if (plan.greyPath && page.bits.bits) {
    DrawGreyPicture(dc, page, ratio, plan, marked);
  } else if (page.area) {
    static const uint8_t kInkOnPaper[16] = {12, 7};
    DrawSpriteInto(dc, ClipRect{plan.clip.left, plan.clip.top, plan.clip.right, plan.clip.bottom}, page.area,
                   page.name, x, y, SpriteScale{ratio.xNum, ratio.yNum, ratio.xDen, ratio.yDen}, kInkOnPaper);
  }
  // The page view's staves over its own page.
  if (const StaveOverlayDrawer overlay = CurrentStaveOverlayDrawer();
      overlay && PageImageShowsStaveOverlay(page.area)) {
    WithDrawingContext(dc, overlay);
  }
  if (frame) WithDrawingContext(dc, [&] { DrawPageImageFrame(x, y, plan.width, plan.height, alternative); });
}

void RecolourScreenRect(HDC dc, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int fromColour, int toColour) {
  if (!dc) return;
  RecolourScreenRectRgb(dc, x0, y0, x1, y1, NearestColour(ColourTable[fromColour & 63]),
                        NearestColour(ColourTable[toColour & 63]));
}

void RecolourScreenRectRgb(HDC dc, int32_t x0, int32_t y0, int32_t x1, int32_t y1, COLORREF fromColour,
                           COLORREF toColour) {
  DeviceRect r{};
  if (!dc || !ScreenRecolourRect(x0, y0, x1, y1, &r)) return;
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC memory = CreateCompatibleDC(dc);
  if (!memory) return;
  void* bits = nullptr;
  HBITMAP copy = CreateTopDownDib32(dc, width, height, &bits);
  if (!copy || !bits) {
    if (copy) DeleteObject(copy);
    DeleteDC(memory);
    return;
  }
  HGDIOBJ old = SelectObject(memory, copy);
  BitBlt(memory, 0, 0, width, height, dc, r.left, r.top, SRCCOPY);
  GdiFlush();
  // Colours as the context shows them; a DIB pixel is 0x00RRGGBB.
  const COLORREF from = GetNearestColor(dc, fromColour);
  const COLORREF to = GetNearestColor(dc, toColour);
  auto pixel = [](COLORREF c) { return uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c); };
  const uint32_t fromPixel = pixel(from), toPixel = pixel(to);
  auto* p = static_cast<uint32_t*>(bits);
  bool changed = false;
  for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i)
    if ((p[i] & 0xFFFFFF) == fromPixel) {
      p[i] = toPixel;
      changed = true;
    }
  if (changed) BitBlt(dc, r.left, r.top, width, height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(copy);
  DeleteDC(memory);
}

void RecolourWorldRect(HDC dc, double x0, double y0, double x1, double y1, int fromColour, int toColour) {
  int32_t r[4];
  if (WorldRecolourRect(x0, y0, x1, y1, fromColour, r)) RecolourScreenRect(dc, r[0], r[1], r[2], r[3], fromColour, toColour);
}
