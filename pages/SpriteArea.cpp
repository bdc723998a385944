#include "pages/SpriteArea.h"

#include <cstring>

#include "platform/Messages.h"
#include "pages/SpriteStrings.h"

namespace {
SpriteError spriteError;
}

void ClearSpriteError() {
  spriteError.errorCode = 0;
  spriteError.errorText[0] = 0;
}

SpriteError* FailSprite(unsigned id) {
  spriteError.errorCode = 0;
  LoadUiString(id, spriteError.errorText, static_cast<int>(sizeof spriteError.errorText / sizeof(char16_t)));
  return &spriteError;
}

SpriteError* LastSpriteError() { return &spriteError; }

uint32_t AreaWord(const uint8_t* area, uint32_t offset) {
  const uint8_t* p = area + offset;
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void SetAreaWord(uint8_t* area, uint32_t offset, uint32_t value) {
  uint8_t* p = area + offset;
  p[0] = static_cast<uint8_t>(value);
  p[1] = static_cast<uint8_t>(value >> 8);
  p[2] = static_cast<uint8_t>(value >> 16);
  p[3] = static_cast<uint8_t>(value >> 24);
}

void InitSpriteArea(uint8_t* area, uint32_t capacity) {
  SetAreaWord(area, kAreaSizeOffset, capacity);
  SetAreaWord(area, kAreaCountOffset, 0);
  SetAreaWord(area, kAreaFirstSpriteOffset, kSpriteHeaderOffset);
  SetAreaWord(area, kAreaFreeOffset, kSpriteHeaderOffset);
}

int SpriteBitsPerPixel(uint32_t mode) {
  switch (mode) {
    case kSpriteMode1Bit:
    case kSpriteMode1BitAlt:
      return 1;
    case kSpriteMode4Bit:
    case kSpriteMode4BitAlt:
      return 4;
    case kSpriteMode8Bit:
    case kSpriteMode8BitAlt:
      return 8;
    default:
      return 0;
  }
}

uint32_t SpriteModeForDepth(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1: return kSpriteMode1Bit;
    case 4: return kSpriteMode4Bit;
    case 8: return kSpriteMode8Bit;
    default: return 0;
  }
}

uint64_t PaddedRowBytes(uint64_t width, int bitsPerPixel) {
  uint64_t bytes = width;
  switch (bitsPerPixel) {
    case 1: bytes = (width + 7) / 8; break;
    case 4: bytes = (width + 7) / 8 * 4; break;
    case 24: bytes = width * 3; break;
    default: break;
  }
  return (bytes + 3) & ~uint64_t(3);
}

uint32_t SpriteUnusedBits(uint32_t width, int bitsPerPixel) {
  uint32_t words = static_cast<uint32_t>(PaddedRowBytes(width, bitsPerPixel) / 4);
  switch (bitsPerPixel) {
    case 1: return words * 32 - width;
    case 4: return (words * 8 - width) * 4;
    case 8: return (words * 4 - width) * 8;
    default: return 0;
  }
}

uint32_t SpriteWidthFromHeader(uint32_t widthWords, uint32_t unusedBits, int bitsPerPixel) {
  uint64_t words = uint64_t(widthWords) + 1;
  switch (bitsPerPixel) {
    case 1: return static_cast<uint32_t>(words * 32 - unusedBits);
    case 4: return static_cast<uint32_t>(words * 8 - unusedBits / 4);
    case 8: return static_cast<uint32_t>(words * 4 - unusedBits / 8);
    default: return 0;
  }
}

bool AreaHoldsImage(const uint8_t* area, uint64_t imageBytes) {
  return area && uint64_t(AreaWord(area, kAreaSizeOffset)) >= SpriteAreaBytes(imageBytes);
}

namespace {

void WriteSpriteHeader(uint8_t* area, const char* name, uint32_t width, uint32_t height, int bpp) {
  uint32_t rowBytes = static_cast<uint32_t>(PaddedRowBytes(width, bpp));
  uint32_t imageBytes = rowBytes * height;
  SetAreaWord(area, kAreaFreeOffset, imageBytes + kSpriteHeaderOffset);
  SetAreaWord(area, kAreaCountOffset, 1);
  SetSpriteWord(area, kSpriteNextOffset, imageBytes);
  uint8_t* stored = area + kSpriteHeaderOffset + kSpriteName;
  std::memset(stored, 0, kSpriteNameBytes);
  std::memcpy(stored, name, strnlen(name, kSpriteNameBytes));
  SetSpriteWord(area, kSpriteWidthWords, rowBytes / 4 - 1);
  SetSpriteWord(area, kSpriteHeightRows, height - 1);
  SetSpriteWord(area, kSpriteFirstBit, 0);
  SetSpriteWord(area, kSpriteUnusedBits, SpriteUnusedBits(width, bpp));
  SetSpriteWord(area, kSpriteImageField, kSpriteHeaderBytes);
  SetSpriteWord(area, kSpriteMaskField, kSpriteHeaderBytes);
  SetSpriteWord(area, kSpriteMode, SpriteModeForDepth(bpp));
}

bool FirstNameIs(const uint8_t* area, const char* name) {
  const char* stored = reinterpret_cast<const char*>(area + kSpriteHeaderOffset + kSpriteName);
  return std::strncmp(stored, name, kSpriteNameBytes) == 0 &&
         (strnlen(name, kSpriteNameBytes + 1) <= kSpriteNameBytes);
}

}  // namespace

void WriteLoadedSpriteHeader(uint8_t* area, uint32_t width, uint32_t height, int bitsPerPixel) {
  uint32_t imageBytes = static_cast<uint32_t>(PaddedRowBytes(width, bitsPerPixel) * height);
  SetAreaWord(area, kAreaFirstSpriteOffset, kSpriteHeaderOffset);
  WriteSpriteHeader(area, kPageSpriteName, width, height, bitsPerPixel);
  SetAreaWord(area, kAreaSizeOffset, static_cast<uint32_t>(SpriteAreaBytes(imageBytes)));
}

SpriteError* CreateSprite(uint8_t* area, const char* name, uint32_t width, uint32_t height, uint32_t mode) {
  ClearSpriteError();
  if (!area) return FailSprite(kStrSpriteNameNotFound);
  int bpp = SpriteBitsPerPixel(mode);
  if (!bpp) return FailSprite(kStrScreenModeNotSupported);
  if (width == 0 || height == 0 || width > kMaxSpriteSide || height > kMaxSpriteSide)
    return FailSprite(kStrBitmapMemoryTooSmall);
  uint64_t imageBytes = PaddedRowBytes(width, bpp) * height;
  if (!AreaHoldsImage(area, imageBytes)) return FailSprite(kStrBitmapMemoryTooSmall);
  std::memset(area + kSpriteImageOffset, 0, static_cast<size_t>(imageBytes));
  WriteSpriteHeader(area, name, width, height, bpp);
  return nullptr;
}

SpriteError* FindSprite(uint8_t* area, const char* name, uint8_t** header) {
  ClearSpriteError();
  if (!area || !FirstNameIs(area, name)) return FailSprite(kStrSpriteNameNotFound);
  if (header) *header = area + kSpriteHeaderOffset;
  return nullptr;
}

SpriteError* GetSpriteInfo(const uint8_t* area, const char* name, SpriteInfo* info) {
  ClearSpriteError();
  if (!area || !FirstNameIs(area, name)) return FailSprite(kStrSpriteNameNotFound);
  uint32_t mode = SpriteWord(area, kSpriteMode);
  int bpp = SpriteBitsPerPixel(mode);
  if (!bpp) return FailSprite(kStrScreenModeNotSupported);
  info->width = SpriteWidthFromHeader(SpriteWord(area, kSpriteWidthWords), SpriteWord(area, kSpriteUnusedBits), bpp);
  info->height = SpriteWord(area, kSpriteHeightRows) + 1;
  info->reserved = 0;
  info->mode = mode;
  return nullptr;
}

int GetSpriteName(const uint8_t* area, char* out, int number) {
  if (!area) return 0;
  if (number != 1) {
    out[0] = 0;
    return 0;
  }
  const char* stored = reinterpret_cast<const char*>(area + kSpriteHeaderOffset + kSpriteName);
  size_t length = strnlen(stored, kSpriteNameBytes);
  std::memcpy(out, stored, length);
  out[length] = 0;
  return static_cast<int>(length);
}

SpriteError* GetSpriteScaling(const uint8_t* area, SpriteScale* scale, uint8_t* colourMap) {
  ClearSpriteError();
  int bpp = area ? SpriteBitsPerPixel(SpriteWord(area, kSpriteMode)) : 0;
  if (!bpp) return FailSprite(kStrScreenModeNotSupported);
  *scale = SpriteScale{1, 1, 1, 1};
  for (int i = 0; i < (1 << bpp); ++i) colourMap[i] = static_cast<uint8_t>(i);
  return nullptr;
}
