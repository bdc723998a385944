// Seeds of the stored page image target: page images as the page store
// writes them, compressed, at 1, 4 and 8 bits.
#include <string>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "fuzz/pages/PageSeedImages.h"
#include "pages/PageImageStore.h"

KV_FUZZ_SEEDS(page_image) {
  const struct {
    uint32_t width, height;
    int depth;
  } pages[] = {{200, 60, 1}, {33, 9, 1}, {40, 20, 4}, {48, 16, 8}};
  for (const auto& p : pages) {
    const std::vector<uint8_t> area = fuzz::PatternArea(p.width, p.height, p.depth);
    const std::u16string path = fuzz::ScratchPath("seed-scan");
    if (WritePageImageFile(path.c_str(), area.data(), area.size(), 300) == PageImageWrite::kCompressed)
      fuzz::CopySeed(folder, "scan-" + std::to_string(p.width) + "x" + std::to_string(p.height) + "-" +
                                 std::to_string(p.depth) + "bit",
                     path);
  }
}
