// The staff-stage target's input form, shared with its seed maker: a flags
// byte (bit 0 six-line staves, bits 1-2 the stretch width), width and height
// (16-bit little-endian, folded into the bounds), then the page's 32-bit row
// words little-endian; rows past the input are white.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fuzz {

// Up to a strip of an A4 page's width at 300 dpi, high enough for a system
// of two staves: what line fragments across a whole page width need. A page
// of random pixels, once minutes in the staff stage, is one of the
// regression inputs.
constexpr int kMaxStaffPageWidth = 2480;
constexpr int kMaxStaffPageHeight = 480;
constexpr int kMaxStaffPagePixels = kMaxStaffPageWidth * kMaxStaffPageHeight;

struct StaffPageInput {
  int sixLines = 0;
  int stretch = 0;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> bits;
};

inline bool DecodeStaffPage(const uint8_t* data, size_t size, StaffPageInput* page) {
  if (size < 5) return false;
  page->sixLines = data[0] & 1;
  page->stretch = (data[0] >> 1) & 3;
  page->width = 1 + (data[1] | data[2] << 8) % kMaxStaffPageWidth;
  page->height = 1 + (data[3] | data[4] << 8) % kMaxStaffPageHeight;
  if (page->width * page->height > kMaxStaffPagePixels) page->height = kMaxStaffPagePixels / page->width;
  const size_t words = static_cast<size_t>((page->width + 31) / 32) * static_cast<size_t>(page->height);
  page->bits.assign(words, 0);
  const uint8_t* pixels = data + 5;
  const size_t bytes = size - 5 < words * 4 ? size - 5 : words * 4;
  for (size_t i = 0; i < bytes; ++i) page->bits[i / 4] |= static_cast<uint32_t>(pixels[i]) << (8 * (i % 4));
  return true;
}

// The input of a page: width, height and pixel count must lie within the bounds.
inline std::vector<uint8_t> EncodeStaffPage(int sixLines, int stretch, int width, int height, const uint32_t* bits) {
  std::vector<uint8_t> out = {static_cast<uint8_t>((sixLines & 1) | (stretch & 3) << 1),
                              static_cast<uint8_t>(width - 1), static_cast<uint8_t>((width - 1) >> 8),
                              static_cast<uint8_t>(height - 1), static_cast<uint8_t>((height - 1) >> 8)};
  const size_t words = static_cast<size_t>((width + 31) / 32) * static_cast<size_t>(height);
  for (size_t i = 0; i < words; ++i)
    for (int b = 0; b < 4; ++b) out.push_back(static_cast<uint8_t>(bits[i] >> (8 * b)));
  return out;
}

}  // namespace fuzz
