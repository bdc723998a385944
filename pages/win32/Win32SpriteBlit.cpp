// Puts a rendered sprite on the screen: an 8-bit device-independent bitmap
// whose palette is read from the screen (with the highlight ramp in entries
// 32..239), copied 1:1 with StretchDIBits at the clip's corner.
#include <windows.h>

#include <cstring>
#include <vector>

#include "pages/SpriteDrawHooks.h"
#include "pages/SpriteDrawing.h"

namespace {

// The sprite bitmap's palette: the screen's (a one-pixel compatible bitmap
// asked for its 8-bit colour table; no pixels are read, so nothing is
// written past a buffer), with the highlight ramp in entries 32..239.
void ReadSpritePalette(HDC dc, BITMAPINFO* header) {
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP probe = CreateCompatibleBitmap(dc, 1, 1);
  if (memory && probe) {
    header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header->bmiHeader.biWidth = 1;
    header->bmiHeader.biHeight = 1;
    header->bmiHeader.biPlanes = 1;
    header->bmiHeader.biBitCount = 8;
    GetDIBits(memory, probe, 0, 1, nullptr, header, DIB_RGB_COLORS);
  }
  if (probe) DeleteObject(probe);
  if (memory) DeleteDC(memory);
  CurrentSpriteDrawHooks().fillHighlightPalette(reinterpret_cast<uint8_t*>(header->bmiColors));
}

}  // namespace

bool SpritePaletteColour(void* deviceContext, uint8_t index, uint32_t* colour) {
  HDC dc = static_cast<HDC>(deviceContext);
  if (!dc) return false;
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
  auto* header = reinterpret_cast<BITMAPINFO*>(info.data());
  ReadSpritePalette(dc, header);
  const RGBQUAD q = header->bmiColors[index];
  *colour = RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
  return true;
}

bool BlitSpriteBitmap(void* deviceContext, const ClipRect& clip, const SpriteBitmap& bitmap) {
  HDC dc = static_cast<HDC>(deviceContext);
  LONG stride = LONG((bitmap.width + 3) & ~3u);
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
  auto* header = reinterpret_cast<BITMAPINFO*>(info.data());
  ReadSpritePalette(dc, header);
  // GetDIBits rewrote the header's fields: the bitmap's own.
  header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header->bmiHeader.biWidth = LONG(bitmap.width);
  header->bmiHeader.biHeight = -LONG(bitmap.height);  // top row first
  header->bmiHeader.biPlanes = 1;
  header->bmiHeader.biBitCount = 8;
  header->bmiHeader.biCompression = BI_RGB;
  header->bmiHeader.biSizeImage = 0;
  header->bmiHeader.biClrUsed = 256;

  std::vector<uint8_t> pixels(size_t(stride) * bitmap.height, 0);
  for (uint32_t r = 0; r < bitmap.height; ++r)
    std::memcpy(pixels.data() + size_t(r) * stride, bitmap.indices.data() + size_t(r) * bitmap.width, bitmap.width);
  int lines = StretchDIBits(dc, clip.x0, clip.y0, int(bitmap.width), int(bitmap.height), 0, 0, int(bitmap.width),
                            int(bitmap.height), pixels.data(), header, DIB_RGB_COLORS, SRCCOPY);
  return lines != 0 && lines != int(GDI_ERROR);
}
