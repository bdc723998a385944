#include "reading/PageSprites.h"

#include <algorithm>
#include <cstring>

#include "pages/SpriteArea.h"
#include "reading/PreparationStrings.h"

PageImage SpriteImageView(uint8_t* area) {
  PageImage view;
  if (!area || AreaWord(area, kAreaCountOffset) < 1) return view;
  uint32_t mode = SpriteWord(area, kSpriteMode);
  int bits = SpriteBitsPerPixel(mode);
  if (bits == 0) return view;
  uint32_t words = SpriteWord(area, kSpriteWidthWords) + 1;
  uint32_t width = SpriteWidthFromHeader(words - 1, SpriteWord(area, kSpriteUnusedBits), bits);
  uint32_t height = SpriteWord(area, kSpriteHeightRows) + 1;
  uint64_t rowBytes = static_cast<uint64_t>(words) * 4;
  if (width == 0 || width > kMaxPageSide || height > kMaxPageSide || rowBytes < PaddedRowBytes(width, bits)) return view;
  if (!AreaHoldsImage(area, rowBytes * height)) return view;
  view.rows = SpriteRows(area);
  view.width = static_cast<int32_t>(width);
  view.height = static_cast<int32_t>(height);
  view.rowBytes = static_cast<size_t>(rowBytes);
  view.bitsPerPixel = bits;
  return view;
}

OwnedPageImage CopySpriteImage(uint8_t* area) {
  PageImage view = SpriteImageView(area);
  if (!view.rows) return OwnedPageImage();
  OwnedPageImage copy(view.width, view.height, view.bitsPerPixel);
  if (!copy.Valid()) return copy;
  size_t bytes = std::min(view.rowBytes, copy.View().rowBytes);
  for (int32_t y = 0; y < view.height; ++y) std::memcpy(copy.View().Row(y), view.Row(y), bytes);
  return copy;
}

Handle MakePageSpriteArea(const PageImage& image, const char* name) {
  uint32_t mode = SpriteModeForDepth(image.bitsPerPixel);
  uint64_t rowBytes = PaddedRowBytes(static_cast<uint64_t>(image.width), image.bitsPerPixel);
  uint64_t bytes = SpriteAreaBytes(rowBytes * static_cast<uint64_t>(image.height));
  Handle area = nullptr;
  if (mode == 0 || bytes > kMaxSpriteImageBytes || !AllocHandleChecked(&area, bytes, kStrMemoryToProcessPage, 0))
    return nullptr;
  uint8_t* block = static_cast<uint8_t*>(area);
  InitSpriteArea(block, static_cast<uint32_t>(bytes));
  if (CreateSprite(block, name, static_cast<uint32_t>(image.width), static_cast<uint32_t>(image.height), mode)) {
    FreeHandle(&area);
    return nullptr;
  }
  size_t copy = std::min(static_cast<size_t>(rowBytes), image.rowBytes);
  for (int32_t y = 0; y < image.height; ++y)
    std::memcpy(SpriteRows(block) + static_cast<size_t>(rowBytes) * y, image.Row(y), copy);
  return area;
}
