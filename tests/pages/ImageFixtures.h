// Page-image fixtures made in the tests: Windows bitmaps built byte by byte,
// TIFF files written through libtiff, and sprite areas to load them into.
#pragma once

#include "tests/support/TestFiles.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "pages/SpriteArea.h"

// A picture as pixel values (palette indices or grey levels), top row first.
struct Picture {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> pixels;  // width x height
  uint8_t At(uint32_t x, uint32_t y) const { return pixels[size_t(y) * width + x]; }
};
// A deterministic pattern of values below levels.
Picture PatternPicture(uint32_t width, uint32_t height, uint32_t levels);

struct BmpSpec {
  BmpSpec(Picture p, int bits) : picture(std::move(p)), depth(bits) {}
  Picture picture;
  int depth = 1;
  bool topDown = false;
  uint32_t headerSize = 40;    // 12, 40, 108 or 124
  std::vector<uint32_t> palette;  // 0x00RRGGBB; empty: grey ramp, index 0 black
  uint32_t coloursUsed = 0;    // written as biClrUsed
  uint32_t compression = 0;
  int32_t pixelsPerMetre = 0;
  int32_t widthOverride = 0;   // non-zero: written in place of the width
  int32_t heightOverride = 0;  // non-zero: written in place of the (signed) height
};
std::vector<uint8_t> MakeBmp(const BmpSpec& bmp);

void WriteBytes(const std::u16string& path, const std::vector<uint8_t>& bytes);

struct TiffPageSpec {
  TiffPageSpec(Picture p, int bits, int samples = 1)
      : picture(std::move(p)), bitsPerSample(bits), samplesPerPixel(samples) {}
  Picture picture;           // grey levels (depth 8), 0/1 ink (depth 1), or 0..15 (depth 4)
  int bitsPerSample = 8;
  int samplesPerPixel = 1;   // 3: RGB, each sample the picture's value
  uint16_t compression = 1;  // 1 none, 4 CCITT G4 (1 bit)
  bool withResolution = true;
  float xResolution = 300;
  uint16_t resolutionUnit = 2;
};
void WriteTiff(const std::u16string& path, const std::vector<TiffPageSpec>& pages);

// A sprite area of capacity bytes, empty.
std::vector<uint8_t> MakeArea(uint32_t capacity);
// The value of pixel (x, y) of the area's sprite: a bit, a nibble (the high
// one on the left) or a byte.
uint32_t SpritePixel(const uint8_t* area, uint32_t x, uint32_t y);
