// Small pages for the seed makers of the page-image targets: sprite areas
// filled with a pattern, as the loaders leave them.
#pragma once

#include <cstdint>
#include <vector>

#include "pages/SpriteArea.h"

namespace fuzz {

// One sprite "scanned" of width x height at 1, 4 or 8 bits, holding a
// pattern of staff-like lines and specks.
inline std::vector<uint8_t> PatternArea(uint32_t width, uint32_t height, int depth) {
  const uint64_t rowBytes = PaddedRowBytes(width, depth);
  std::vector<uint8_t> area(SpriteAreaBytes(rowBytes * height));
  InitSpriteArea(area.data(), static_cast<uint32_t>(area.size()));
  CreateSprite(area.data(), kPageSpriteName, width, height, SpriteModeForDepth(depth));
  uint8_t* rows = SpriteRows(area.data());
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      const bool ink = y % 6 == 2 || (x * 7 + y * 3) % 23 == 0;
      uint8_t* row = rows + y * rowBytes;
      if (depth == 1 && ink) row[x / 8] |= static_cast<uint8_t>(1u << (x % 8));
      if (depth == 4) row[x / 2] |= static_cast<uint8_t>((ink ? 2 : 14) << (x % 2 ? 4 : 0));
      if (depth == 8) row[x] = static_cast<uint8_t>(ink ? 30 + x % 20 : 230 + y % 20);
    }
  return area;
}

}  // namespace fuzz
