#include "tests/support/TiffBytes.h"

std::vector<uint8_t> ClaimingTiff(uint32_t width, uint32_t height, uint16_t compression, uint32_t dataBytes) {
  std::vector<uint8_t> b = {'I', 'I', 42, 0, 8, 0, 0, 0};
  auto put = [&b](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  const uint32_t dataOffset = 8 + 2 + 9 * 12 + 4;
  const struct {
    uint16_t tag, type;
    uint32_t value;
  } entries[] = {{256, 4, width},       {257, 4, height},     {258, 3, 8},
                 {259, 3, compression}, {262, 3, 1},          {273, 4, dataOffset},
                 {277, 3, 1},           {278, 4, height},     {279, 4, dataBytes}};
  put(9, 2);
  for (const auto& e : entries) {
    put(e.tag, 2);
    put(e.type, 2);
    put(1, 4);
    put(e.value, 4);
  }
  put(0, 4);
  b.resize(b.size() + dataBytes, 0x80);
  return b;
}
