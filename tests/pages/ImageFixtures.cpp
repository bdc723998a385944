#include "tests/pages/ImageFixtures.h"

#include <tiffio.h>

#include <cstdio>
#include <stdexcept>

#include "pages/TiffFile.h"
#include "platform/Platform.h"

Picture PatternPicture(uint32_t width, uint32_t height, uint32_t levels) {
  Picture p{width, height, std::vector<uint8_t>(size_t(width) * height)};
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) p.pixels[size_t(y) * width + x] = static_cast<uint8_t>((x * 7 + y * 3 + x * y) % levels);
  return p;
}

namespace {
void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
}  // namespace

std::vector<uint8_t> MakeBmp(const BmpSpec& s) {
  const Picture& pic = s.picture;
  uint32_t entries = s.coloursUsed ? s.coloursUsed : (s.depth <= 8 ? 1u << s.depth : 0);
  std::vector<uint32_t> palette = s.palette;
  if (palette.empty())
    for (uint32_t i = 0; i < entries; ++i) {
      uint32_t g = entries > 1 ? 255 * i / (entries - 1) : 0;
      palette.push_back(g << 16 | g << 8 | g);
    }
  uint32_t entryBytes = s.headerSize == 12 ? 3 : 4;
  uint32_t rowBytes = (pic.width * s.depth + 31) / 32 * 4;
  uint32_t offset = 14 + s.headerSize + entries * entryBytes;
  std::vector<uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, offset + rowBytes * pic.height);
  Put16(b, 0);
  Put16(b, 0);
  Put32(b, offset);
  Put32(b, s.headerSize);
  int32_t width = s.widthOverride ? s.widthOverride : int32_t(pic.width);
  int32_t height = s.heightOverride ? s.heightOverride : (s.topDown ? -int32_t(pic.height) : int32_t(pic.height));
  if (s.headerSize == 12) {
    Put16(b, uint32_t(width));
    Put16(b, uint32_t(height));
    Put16(b, 1);
    Put16(b, uint32_t(s.depth));
  } else {
    Put32(b, uint32_t(width));
    Put32(b, uint32_t(height));
    Put16(b, 1);
    Put16(b, uint32_t(s.depth));
    Put32(b, s.compression);
    Put32(b, rowBytes * pic.height);
    Put32(b, uint32_t(s.pixelsPerMetre));
    Put32(b, uint32_t(s.pixelsPerMetre));
    Put32(b, s.coloursUsed);
    Put32(b, 0);
    while (b.size() < 14 + s.headerSize) b.push_back(0);
  }
  for (uint32_t i = 0; i < entries; ++i) {
    uint32_t c = i < palette.size() ? palette[i] : 0;
    b.push_back(uint8_t(c));
    b.push_back(uint8_t(c >> 8));
    b.push_back(uint8_t(c >> 16));
    if (entryBytes == 4) b.push_back(0);
  }
  for (uint32_t k = 0; k < pic.height; ++k) {
    uint32_t y = s.topDown ? k : pic.height - 1 - k;
    std::vector<uint8_t> row(rowBytes, 0);
    for (uint32_t x = 0; x < pic.width; ++x) {
      uint8_t v = pic.At(x, y);
      if (s.depth == 1) row[x / 8] |= uint8_t((v & 1) << (7 - x % 8));
      else if (s.depth == 4) row[x / 2] |= uint8_t((v & 15) << (x % 2 ? 0 : 4));
      else if (s.depth == 8) row[x] = v;
      else if (s.depth == 24) row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = v;
    }
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

void WriteBytes(const std::u16string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = platform::OpenStream(path.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot write fixture");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

void WriteTiff(const std::u16string& path, const std::vector<TiffPageSpec>& pages) {
  TIFF* tif = OpenTiffFile(path.c_str(), "w");
  if (!tif) throw std::runtime_error("cannot write TIFF fixture");
  for (const TiffPageSpec& page : pages) {
    const Picture& pic = page.picture;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, pic.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, pic.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, page.bitsPerSample);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, page.samplesPerPixel);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, page.compression);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, pic.height);
    bool bilevel = page.bitsPerSample == 1;
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                 page.samplesPerPixel == 3 ? PHOTOMETRIC_RGB : bilevel ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK);
    if (page.withResolution) {
      TIFFSetField(tif, TIFFTAG_XRESOLUTION, page.xResolution);
      TIFFSetField(tif, TIFFTAG_YRESOLUTION, page.xResolution);
      TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, page.resolutionUnit);
    }
    uint32_t rowBytes = (pic.width * page.bitsPerSample * page.samplesPerPixel + 7) / 8;
    std::vector<uint8_t> row(rowBytes);
    for (uint32_t y = 0; y < pic.height; ++y) {
      std::fill(row.begin(), row.end(), 0);
      for (uint32_t x = 0; x < pic.width; ++x) {
        uint8_t v = pic.At(x, y);
        if (page.bitsPerSample == 1) row[x / 8] |= uint8_t((v & 1) << (7 - x % 8));
        else if (page.bitsPerSample == 4) row[x / 2] |= uint8_t((v & 15) << (x % 2 ? 0 : 4));
        else
          for (int s = 0; s < page.samplesPerPixel; ++s) row[size_t(x) * page.samplesPerPixel + s] = v;
      }
      if (TIFFWriteScanline(tif, row.data(), y, 0) != 1) throw std::runtime_error("TIFF fixture row");
    }
    TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
}

std::vector<uint8_t> MakeArea(uint32_t capacity) {
  std::vector<uint8_t> area(capacity);
  InitSpriteArea(area.data(), capacity);
  return area;
}

uint32_t SpritePixel(const uint8_t* area, uint32_t x, uint32_t y) {
  int bpp = SpriteBitsPerPixel(SpriteWord(area, kSpriteMode));
  uint32_t stride = (SpriteWord(area, kSpriteWidthWords) + 1) * 4;
  const uint8_t* row = SpriteRows(area) + size_t(y) * stride;
  if (bpp == 1) return (row[x / 8] >> (x % 8)) & 1;
  if (bpp == 4) return x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4;
  return row[x];
}
