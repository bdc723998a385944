// Seeds of the page data target: files the program writes (with boxes and
// curves, and staves alone for a page without boxes) and the older versions
// a store may hold, built byte by byte.
#include <memory>
#include <string>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "fuzz/pages/PageStoreSeedData.h"
#include "pages/PageData.h"

namespace {

void Put(std::vector<uint8_t>* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A file of an older version: count staves with 5 lines, two boxes; from
// version 4 the first stave carries curves (256 columns in version 4).
std::vector<uint8_t> OldFile(uint32_t version, uint32_t count) {
  std::vector<uint8_t> b;
  Put(&b, count | version << 8, 4);
  for (uint32_t s = 0; s < count; ++s) {
    const StaveRecord r = fuzz::MadeStave(int(s), 5);
    for (int16_t w : {r.left, r.right, r.top, r.bottom, r.slope, r.group, r.lineCount, r.lineThickness, r.midX,
                      r.midTop, r.rightTop})
      Put(&b, static_cast<uint32_t>(int32_t(w)), 4);
    if (version >= 1) Put(&b, 0, 4);
    if (version >= 3) Put(&b, 0, 4), Put(&b, 0, 4);  // spacing 0.0
    if (version >= 4) {
      Put(&b, s == 0 ? 1 : 0, 4);
      if (s == 0) {
        Put(&b, 0, 4);
        const int columns = version == 4 ? 256 : 1024;
        for (int k = 0; k < 5; ++k)
          for (int c = 0; c < columns; ++c) {
            const uint16_t y = static_cast<uint16_t>(k * 24 + c % 3);
            b.push_back(static_cast<uint8_t>(y >> 8));
            b.push_back(static_cast<uint8_t>(y));
          }
      }
    }
    if (version >= 6) Put(&b, 0xFFFFFFFFu, 4), Put(&b, 0xFFFFFFFFu, 4);
  }
  Put(&b, 2, 4);
  for (uint32_t v : {10u, 20u, 30u, 40u, 100u, 200u, 130u, 260u}) Put(&b, v, 4);
  Put(&b, 0x5F001234u, 4);
  if (version >= 2) {
    Put(&b, 456, 4), Put(&b, 1000, 4);
    Put(&b, 2480, 4), Put(&b, 3508, 4), Put(&b, 10, 4), Put(&b, 20, 4);
  }
  return b;
}

}  // namespace

KV_FUZZ_SEEDS(page_data) {
  auto page = std::make_unique<PageData>();
  fuzz::FillSeedPage(page.get());
  const std::u16string path = fuzz::ScratchPath("seed-data");
  PageDataFileFields fields;
  fields.pageKey = 0x5F00ABCDu;
  fields.withOffsets = true;
  if (WritePageDataFile(path.c_str(), *page, page->staves, page->staveCount, fields))
    fuzz::CopySeed(folder, "written-with-boxes", path);
  // A page new to the store: its staves and no boxes.
  fields.stavesOnly = true;
  if (WritePageDataFile(path.c_str(), *page, page->staves, page->staveCount, fields))
    fuzz::CopySeed(folder, "written-staves-only", path);
  for (uint32_t version = 0; version <= 5; ++version) {
    const std::vector<uint8_t> bytes = OldFile(version, version == 1 ? 14 : 2);
    fuzz::WriteSeed(folder, "version-" + std::to_string(version), bytes.data(), bytes.size());
  }
}
