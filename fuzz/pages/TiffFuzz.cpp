// TIFF pages as the file opener reads them: the page count, then for the
// first and the last page the facts and, when they fit the target's bound,
// the pixels into an area of the size the facts ask for.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "pages/ImageFiles.h"
#include "pages/SpriteArea.h"
#include "pages/TiffFile.h"

namespace {
constexpr uint32_t kLargestLoad = 16u << 20;  // the target's own bound on one load
}

KV_FUZZ_TARGET(tiff_page) {
  const std::u16string path = fuzz::InputFile(data, size, ".tif");
  const int pages = CountTiffPages(path.c_str());
  if (pages < 1) return 0;
  const uint16_t last = static_cast<uint16_t>(std::min(pages - 1, 2));
  for (uint16_t page : {uint16_t(0), last}) {
    ImagePageIndex() = page;
    uint32_t imageBytes = 0, width = 0, height = 0, depth = 0, resolution = 0;
    if (ReadImageFileInfo(path.c_str(), &imageBytes, &width, &height, &depth, &resolution, true)) continue;
    // Facts that were accepted describe a page that can be prepared.
    if (width == 0 || height == 0 || width > kMaxPageSide || height > kMaxPageSide || (depth != 1 && depth != 8))
      std::abort();
    if (imageBytes != PaddedRowBytes(width, static_cast<int>(depth)) * height) std::abort();
    if (imageBytes > kLargestLoad) continue;
    std::vector<uint8_t> area(imageBytes + 1024);
    InitSpriteArea(area.data(), static_cast<uint32_t>(area.size()));
    if (LoadTiffPage(area.data(), path.c_str())) continue;
    SpriteInfo info;
    if (GetSpriteInfo(area.data(), kPageSpriteName, &info) || info.width != width || info.height != height)
      std::abort();
    if (page == last) break;
  }
  ImagePageIndex() = 0;
  return 0;
}
