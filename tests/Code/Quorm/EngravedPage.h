// A 1-bit TIFF page (the engraved fixtures) in the engine's page form: rows
// of 32-bit words, bit 0 the leftmost pixel, 1 black.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct EngravedPage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> bits;
  bool Black(int x, int y) const { return (bits[static_cast<size_t>(y) * WordsPerRow() + x / 32] >> (x % 32)) & 1u; }
  int WordsPerRow() const { return (width + 31) / 32; }
};

// Reads the first image of a bilevel TIFF; false (and an empty page) when the
// file cannot be read or is not one bit per pixel.
bool LoadEngravedPage(const std::string& path, EngravedPage* page);
