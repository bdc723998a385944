// Seeds of the bitmap target: pages the program's bitmap writer makes at 1,
// 4 and 8 bits, and header forms it reads but does not write (the short
// header, top-down rows, a short palette) built byte by byte.
#include <string>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "fuzz/pages/PageSeedImages.h"
#include "pages/ImageFiles.h"

namespace {

void Put(std::vector<uint8_t>* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A 1-bit bitmap of width x height with a palette of entries (black first).
std::vector<uint8_t> HandMadeBmp(uint32_t headerSize, int32_t width, int32_t height, uint32_t coloursUsed) {
  const uint32_t entries = coloursUsed ? coloursUsed : 2;
  const uint32_t entryBytes = headerSize == 12 ? 3 : 4;
  const uint32_t rowBytes = ((static_cast<uint32_t>(width) + 31) / 32) * 4;
  const uint32_t rows = static_cast<uint32_t>(height < 0 ? -height : height);
  const uint32_t offset = 14 + headerSize + entries * entryBytes;
  std::vector<uint8_t> b = {'B', 'M'};
  Put(&b, offset + rowBytes * rows, 4);
  Put(&b, 0, 4);
  Put(&b, offset, 4);
  Put(&b, headerSize, 4);
  if (headerSize == 12) {
    Put(&b, static_cast<uint32_t>(width), 2);
    Put(&b, static_cast<uint32_t>(height), 2);
    Put(&b, 1, 2);
    Put(&b, 1, 2);
  } else {
    Put(&b, static_cast<uint32_t>(width), 4);
    Put(&b, static_cast<uint32_t>(height), 4);
    Put(&b, 1, 2);
    Put(&b, 1, 2);
    Put(&b, 0, 4);                 // compression
    Put(&b, rowBytes * rows, 4);   // image size
    Put(&b, 11811, 4);             // 300 dpi
    Put(&b, 11811, 4);
    Put(&b, coloursUsed, 4);
    Put(&b, 0, 4);
    while (b.size() < 14 + headerSize) b.push_back(0);
  }
  for (uint32_t i = 0; i < entries; ++i) {
    const uint8_t grey = i == 0 ? 0 : 255;
    for (uint32_t k = 0; k < entryBytes; ++k) b.push_back(k < 3 ? grey : 0);
  }
  for (uint32_t y = 0; y < rows; ++y)
    for (uint32_t x = 0; x < rowBytes; ++x) b.push_back(static_cast<uint8_t>(y % 4 == 1 ? 0x00 : 0xFF ^ (x * 11)));
  return b;
}

}  // namespace

KV_FUZZ_SEEDS(bmp_page) {
  for (int depth : {1, 4, 8}) {
    const std::vector<uint8_t> page = fuzz::PatternArea(depth == 1 ? 45 : 21, 13, depth);
    const std::u16string written = fuzz::ScratchPath("seed-page.bmp");
    if (SaveSpriteBmp(page.data(), written.c_str(), depth == 8 ? 0 : 300) == nullptr)
      fuzz::CopySeed(folder, "written-" + std::to_string(depth) + "bit.bmp", written);
  }
  const struct {
    const char* name;
    uint32_t headerSize;
    int32_t width, height;
    uint32_t coloursUsed;
  } made[] = {
      {"short-header.bmp", 12, 20, 7, 0},
      {"top-down.bmp", 40, 33, -5, 0},
      {"one-colour.bmp", 40, 9, 4, 1},
      {"long-header.bmp", 124, 17, 3, 2},
  };
  for (const auto& m : made) {
    const std::vector<uint8_t> bytes = HandMadeBmp(m.headerSize, m.width, m.height, m.coloursUsed);
    fuzz::WriteSeed(folder, m.name, bytes.data(), bytes.size());
  }
}
