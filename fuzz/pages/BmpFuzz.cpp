// Windows bitmaps as the file opener reads them: the facts, then the pixels
// into an area of the size the facts ask for; a loaded page is written back
// as a bitmap and must load again to the same rows.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "pages/ImageFiles.h"
#include "pages/SpriteArea.h"

namespace {
constexpr uint32_t kLargestLoad = 16u << 20;  // the target's own bound on one load
}

KV_FUZZ_TARGET(bmp_page) {
  const std::u16string path = fuzz::InputFile(data, size, ".bmp");
  uint32_t imageBytes = 0, width = 0, height = 0, depth = 0, resolution = 0;
  if (ReadImageFileInfo(path.c_str(), &imageBytes, &width, &height, &depth, &resolution, true)) return 0;
  // An accepted header describes rows the file holds, of a page that can be prepared.
  if (width == 0 || height == 0 || width > kMaxPageSide || height > kMaxPageSide) std::abort();
  if (imageBytes != PaddedRowBytes(width, static_cast<int>(depth)) * height || imageBytes > size) std::abort();
  if (imageBytes > kLargestLoad) return 0;
  std::vector<uint8_t> area(imageBytes + 1024);
  InitSpriteArea(area.data(), static_cast<uint32_t>(area.size()));
  if (LoadTiffPage(area.data(), path.c_str())) return 0;

  // Round trip: the loaded page written as a bitmap loads again unchanged.
  // The writer's grey ramp maps every level of 4- and 8-bit rows back to itself.
  const std::u16string copy = fuzz::ScratchPath("round-trip.bmp");
  if (SaveSpriteBmp(area.data(), copy.c_str(), resolution)) return 0;
  std::vector<uint8_t> again(area.size());
  InitSpriteArea(again.data(), static_cast<uint32_t>(again.size()));
  if (LoadTiffPage(again.data(), copy.c_str())) std::abort();
  if (std::memcmp(SpriteRows(area.data()), SpriteRows(again.data()), imageBytes) != 0) std::abort();
  return 0;
}
