#include "pages/ImageFiles.h"

#include "pages/BmpFile.h"
#include "pages/SpriteStrings.h"
#include "pages/TiffFile.h"
#include "platform/TextUtils.h"

namespace {
uint16_t imagePageIndex = 0;
}

uint16_t& ImagePageIndex() { return imagePageIndex; }

bool IsBitmapPath(const char16_t* path) {
  const char16_t* name = PathFileName(path);
  const char16_t* dot = nullptr;
  for (const char16_t* p = name; *p; ++p)
    if (*p == u'.') dot = p;
  return dot && CompareNoCase(dot, u".bmp") == 0;
}

void ReverseBits8(uint8_t* byte) {
  uint8_t b = *byte;
  b = static_cast<uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
  b = static_cast<uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
  b = static_cast<uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
  *byte = b;
}

SpriteError* ReadImageFileInfo(const char16_t* path, uint32_t* imageBytes, uint32_t* width, uint32_t* height,
                               uint32_t* depth, uint32_t* resolution, bool plainValues) {
  ClearSpriteError();
  uint32_t w = 0, h = 0, bits = 0, dpi = 0;
  if (IsBitmapPath(path)) {
    BmpFacts facts;
    if (SpriteError* error = ReadBmpFacts(path, &facts)) return error;
    w = facts.width, h = facts.height, bits = facts.depth, dpi = facts.resolution;
  } else {
    TiffFacts facts;
    if (SpriteError* error = ReadTiffFacts(path, ImagePageIndex(), &facts)) return error;
    w = facts.width, h = facts.height, bits = facts.depth, dpi = facts.resolution;
  }
  uint64_t wideBytes = PaddedRowBytes(w, static_cast<int>(bits)) * h;
  if (wideBytes > kMaxSpriteImageBytes) return FailSprite(IsBitmapPath(path) ? kStrBadBitmapFile : kStrTiffMemory);
  uint32_t rowBytes = static_cast<uint32_t>(PaddedRowBytes(w, static_cast<int>(bits)));
  uint32_t bytes = static_cast<uint32_t>(wideBytes);
  *resolution = dpi;
  if (plainValues) {
    *depth = bits;
    *imageBytes = bytes;
    *width = w;
    *height = h;
  } else {
    if (uint32_t mode = SpriteModeForDepth(static_cast<int>(bits))) *depth = mode;
    *imageBytes = bytes + 1024;
    *width = rowBytes / 4 - 1;
    *height = h - 1;
  }
  return nullptr;
}

SpriteError* LoadTiffPage(uint8_t* area, const char16_t* path) {
  ClearSpriteError();
  if (IsBitmapPath(path)) return LoadBmpPage(area, path);
  return LoadTiffPageImage(area, path, ImagePageIndex());
}

SpriteError* SaveSpriteTiff(const uint8_t* area, const char16_t* path, uint32_t resolution) {
  ClearSpriteError();
  return SaveTiff(area, path, resolution);
}

SpriteError* SaveSpriteBmp(const uint8_t* area, const char16_t* path, uint32_t resolution) {
  ClearSpriteError();
  return SaveBmp(area, path, resolution);
}
