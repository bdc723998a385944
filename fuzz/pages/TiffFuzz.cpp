// TIFF pages as the file opener reads them: the page count, then for the
// first and the last page the facts and, when they fit the target's bound,
// the pixels into an area of the size the facts ask for. Each file is read
// twice, held open once (HeldTiffFile, as the opener holds it) and opened
// afresh for each call; both readings must agree. A file that does not open
// as a TIFF must be given its reason (WhyTiffDoesNotOpen).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "pages/ImageFiles.h"
#include "pages/SpriteArea.h"
#include "pages/SpriteStrings.h"
#include "pages/TiffFile.h"

namespace {

constexpr uint32_t kLargestLoad = 16u << 20;  // the target's own bound on one load

// What one reading of a file gave: its page count and, per page read, the
// facts (or that they failed) and the pixels (or that the load failed).
struct Reading {
  int pages = 0;
  std::vector<uint32_t> facts;
  std::vector<std::vector<uint8_t>> pixels;
};

void Mismatch(const char* what) {
  std::fprintf(stderr, "kv fuzz: the held and the unheld TIFF disagree on %s\n", what);
  std::abort();
}

Reading ReadPages(const std::u16string& path) {
  Reading reading;
  reading.pages = CountTiffPages(path.c_str());
  if (reading.pages < 1) return reading;
  const uint16_t last = static_cast<uint16_t>(std::min(reading.pages - 1, 2));
  for (uint16_t page : {uint16_t(0), last}) {
    ImagePageIndex() = page;
    uint32_t imageBytes = 0, width = 0, height = 0, depth = 0, resolution = 0;
    if (ReadImageFileInfo(path.c_str(), &imageBytes, &width, &height, &depth, &resolution, true)) {
      reading.facts.push_back(0);
      continue;
    }
    // Facts that were accepted describe a page that can be prepared.
    if (width == 0 || height == 0 || width > kMaxPageSide || height > kMaxPageSide || (depth != 1 && depth != 8))
      std::abort();
    if (imageBytes != PaddedRowBytes(width, static_cast<int>(depth)) * height) std::abort();
    reading.facts.insert(reading.facts.end(), {1, imageBytes, width, height, depth, resolution});
    if (imageBytes > kLargestLoad) continue;
    std::vector<uint8_t> area(imageBytes + 1024);
    InitSpriteArea(area.data(), static_cast<uint32_t>(area.size()));
    if (LoadTiffPage(area.data(), path.c_str())) {
      reading.pixels.emplace_back();
      continue;
    }
    SpriteInfo info;
    if (GetSpriteInfo(area.data(), kPageSpriteName, &info) || info.width != width || info.height != height)
      std::abort();
    reading.pixels.push_back(std::move(area));
    if (page == last) break;
  }
  ImagePageIndex() = 0;
  return reading;
}

}  // namespace

KV_FUZZ_TARGET(tiff_page) {
  const std::u16string path = fuzz::InputFile(data, size, ".tif");
  Reading held;
  {
    const HeldTiffFile file(path.c_str());
    held = ReadPages(path);
    // A file whose pages count opened as a TIFF, so it was held.
    if (held.pages >= 0 && !file.IsHeld()) Mismatch("whether the file opens");
  }
  const Reading unheld = ReadPages(path);
  if (held.pages != unheld.pages) Mismatch("the page count");
  if (held.facts != unheld.facts) Mismatch("a page's facts");
  if (held.pixels != unheld.pixels) Mismatch("a page's pixels");
  if (held.pages < 0) {
    // The file is there and was read: the reason is what its bytes say.
    const unsigned why = WhyTiffDoesNotOpen(path.c_str());
    if (why != kStrFileEmpty && why != kStrNotATiff && why != kStrTiffCutShort) std::abort();
    if ((why == kStrFileEmpty) != (size == 0)) std::abort();
  }
  return 0;
}
