#include "tests/Code/Quorm/EngravedPage.h"

#include <tiffio.h>

#include <memory>

namespace {
struct TiffCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
}  // namespace

bool LoadEngravedPage(const std::string& path, EngravedPage* page) {
  *page = EngravedPage();
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
  std::unique_ptr<TIFF, TiffCloser> tif(TIFFOpen(path.c_str(), "r"));
  if (!tif) return false;
  uint32_t width = 0, height = 0;
  uint16_t bitsPerSample = 1, samples = 1, photometric = PHOTOMETRIC_MINISWHITE;
  TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
  TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric);
  if (bitsPerSample != 1 || samples != 1 || width == 0 || height == 0 || width > 20000 || height > 20000) return false;
  // In a min-is-black image a set bit is white paper.
  const uint8_t inkBit = photometric == PHOTOMETRIC_MINISBLACK ? 0 : 1;
  std::vector<uint8_t> line(static_cast<size_t>(TIFFScanlineSize(tif.get())));
  if (line.size() < (width + 7) / 8) return false;
  EngravedPage result;
  result.width = static_cast<int>(width);
  result.height = static_cast<int>(height);
  result.bits.assign(static_cast<size_t>(result.WordsPerRow()) * height, 0);
  for (uint32_t y = 0; y < height; ++y) {
    if (TIFFReadScanline(tif.get(), line.data(), y, 0) < 0) return false;
    uint32_t* row = &result.bits[static_cast<size_t>(y) * result.WordsPerRow()];
    for (uint32_t x = 0; x < width; ++x)
      if (((line[x / 8] >> (7 - x % 8)) & 1u) == inkBit) row[x / 32] |= 1u << (x % 32);
  }
  *page = std::move(result);
  return true;
}
