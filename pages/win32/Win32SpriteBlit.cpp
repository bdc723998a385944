// Puts a rendered sprite on the screen: an 8-bit device-independent bitmap
// whose palette is read from the screen (with the highlight ramp in entries
// 32..239), copied 1:1 with StretchDIBits at the clip's corner.
#include <windows.h>

#include <cstring>
#include <vector>

#include "pages/SpriteDrawHooks.h"
#include "pages/SpriteDrawing.h"

bool BlitSpriteBitmap(void* deviceContext, const ClipRect& clip, const SpriteBitmap& bitmap) {
  HDC dc = static_cast<HDC>(deviceContext);
  LONG stride = LONG((bitmap.width + 3) & ~3u);
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
  auto* header = reinterpret_cast<BITMAPINFO*>(info.data());
  header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header->bmiHeader.biWidth = LONG(bitmap.width);
  header->bmiHeader.biHeight = -LONG(bitmap.height);  // top row first
  header->bmiHeader.biPlanes = 1;
  header->bmiHeader.biBitCount = 8;
  header->bmiHeader.biCompression = BI_RGB;
  header->bmiHeader.biClrUsed = 256;

  // The screen's palette: a one-pixel-wide compatible bitmap read back as 8 bits.
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP probe = CreateCompatibleBitmap(dc, 1, int(bitmap.height));
  if (memory && probe) {
    std::vector<uint8_t> bits(size_t(4) * bitmap.height);
    BITMAPINFO* query = header;
    GetDIBits(memory, probe, 0, bitmap.height, bits.data(), query, DIB_RGB_COLORS);
    // GetDIBits may rewrite the header's fields: put the bitmap's back.
    query->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    query->bmiHeader.biWidth = LONG(bitmap.width);
    query->bmiHeader.biHeight = -LONG(bitmap.height);
    query->bmiHeader.biPlanes = 1;
    query->bmiHeader.biBitCount = 8;
    query->bmiHeader.biCompression = BI_RGB;
    query->bmiHeader.biSizeImage = 0;
    query->bmiHeader.biClrUsed = 256;
  }
  if (probe) DeleteObject(probe);
  if (memory) DeleteDC(memory);
  CurrentSpriteDrawHooks().fillHighlightPalette(reinterpret_cast<uint8_t*>(header->bmiColors));

  std::vector<uint8_t> pixels(size_t(stride) * bitmap.height, 0);
  for (uint32_t r = 0; r < bitmap.height; ++r)
    std::memcpy(pixels.data() + size_t(r) * stride, bitmap.indices.data() + size_t(r) * bitmap.width, bitmap.width);
  int lines = StretchDIBits(dc, clip.x0, clip.y0, int(bitmap.width), int(bitmap.height), 0, 0, int(bitmap.width),
                            int(bitmap.height), pixels.data(), header, DIB_RGB_COLORS, SRCCOPY);
  return lines != 0 && lines != int(GDI_ERROR);
}
