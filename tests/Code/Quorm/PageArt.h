// Small pages drawn as text for the page-image tests: '#' is black, any other
// character white; every row as wide as the first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Code/Quorm/Onebpp.h"

struct PageArt {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> words;  // ceil(width / 32) per row

  int32_t wordsPerRow() const { return (width + 31) / 32; }
  void Set(int32_t y, int32_t x) { words[static_cast<size_t>(y) * wordsPerRow() + x / 32] |= 1u << (x % 32); }
};

inline PageArt MakePageArt(const std::vector<std::string>& rows) {
  PageArt art;
  art.height = static_cast<int32_t>(rows.size());
  art.width = rows.empty() ? 0 : static_cast<int32_t>(rows[0].size());
  art.words.assign(static_cast<size_t>(art.wordsPerRow()) * art.height, 0);
  for (int32_t y = 0; y < art.height; ++y)
    for (int32_t x = 0; x < art.width && x < static_cast<int32_t>(rows[y].size()); ++x)
      if (rows[y][x] == '#') art.Set(y, x);
  return art;
}

inline EngineCode LoadArt(const PageArt& art, int32_t stretch = 0) {
  return LoadOnebppImage(art.words.data(), art.width, art.height, stretch);
}

// The loaded page as text, for comparisons.
inline std::vector<std::string> PageAsArt() {
  std::vector<std::string> rows;
  for (int32_t y = 0; y < GetPageImageHeight(); ++y) {
    std::string row;
    for (int32_t x = 0; x < GetPageImageWidth(); ++x) row += GetPagePixel(y, x) ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}
