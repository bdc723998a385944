#include "pages/TiffFile.h"

#include <tiffio.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "pages/ImageFiles.h"
#include "pages/SpriteStrings.h"
#include "platform/FileLayer.h"
#include "platform/Platform.h"

namespace {

constexpr double kMaxDpi = 100000.0;

std::FILE* StreamOf(thandle_t handle) { return static_cast<std::FILE*>(handle); }

tmsize_t ReadProc(thandle_t h, void* buffer, tmsize_t size) {
  return static_cast<tmsize_t>(std::fread(buffer, 1, static_cast<size_t>(size), StreamOf(h)));
}
tmsize_t WriteProc(thandle_t h, void* buffer, tmsize_t size) {
  return static_cast<tmsize_t>(std::fwrite(buffer, 1, static_cast<size_t>(size), StreamOf(h)));
}
toff_t SeekProc(thandle_t h, toff_t offset, int whence) {
  if (offset > 0x7FFFFFFF) return static_cast<toff_t>(-1);
  if (std::fseek(StreamOf(h), static_cast<long>(offset), whence) != 0) return static_cast<toff_t>(-1);
  return static_cast<toff_t>(std::ftell(StreamOf(h)));
}
int CloseProc(thandle_t h) { return std::fclose(StreamOf(h)); }
toff_t SizeProc(thandle_t h) {
  long size = FileSize(StreamOf(h));
  return size < 0 ? 0 : static_cast<toff_t>(size);
}
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

void Silence() {
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
}

}  // namespace

TIFF* OpenTiffFile(const char16_t* path, const char* mode) {
  Silence();
  std::FILE* stream = platform::OpenStream(path, mode[0] == 'w' ? "w+b" : "rb");
  if (!stream) return nullptr;
  TIFF* tif = TIFFClientOpen("page image", mode, stream, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                             MapProc, UnmapProc);
  if (!tif) std::fclose(stream);
  return tif;
}

namespace {

struct PageShape {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t depth = 1;
};

// Opens the page's directory and checks its size; null with the error set.
TIFF* OpenPage(const char16_t* path, uint16_t page, PageShape* shape, SpriteError** error) {
  *error = nullptr;
  TIFF* tif = OpenTiffFile(path, "r");
  if (!tif) {
    *error = FailSprite(kStrTiffReadProblem);
    return nullptr;
  }
  uint16_t bitsPerSample = 1;
  if (!TIFFSetDirectory(tif, page) || !TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &shape->width) ||
      !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &shape->height) || shape->width == 0 || shape->height == 0 ||
      shape->width > kMaxSpriteSide || shape->height > kMaxSpriteSide) {
    TIFFClose(tif);
    *error = FailSprite(kStrTiffReadProblem);
    return nullptr;
  }
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
  shape->depth = bitsPerSample == 8 ? 8 : 1;
  return tif;
}

uint8_t GreyOf(uint32_t pixel) { return static_cast<uint8_t>((TIFFGetR(pixel) + TIFFGetG(pixel) + TIFFGetB(pixel)) / 3); }

}  // namespace

uint32_t TiffDpi(bool hasXResolution, double xResolution, uint16_t unit) {
  if (!hasXResolution || !(xResolution > 0.0) || xResolution > kMaxDpi) return 0;
  if (unit == RESUNIT_NONE) return 200;
  if (unit == RESUNIT_CENTIMETER) return static_cast<uint32_t>(xResolution * 2.54);
  return static_cast<uint32_t>(xResolution);
}

int CountTiffPages(const char16_t* path) {
  TIFF* tif = OpenTiffFile(path, "r");
  if (!tif) return -1;
  int pages = 1;
  while (TIFFReadDirectory(tif) && pages < 0xFFFF) ++pages;
  TIFFClose(tif);
  return pages;
}

SpriteError* ReadTiffFacts(const char16_t* path, uint16_t page, TiffFacts* facts) {
  PageShape shape;
  SpriteError* error = nullptr;
  TIFF* tif = OpenPage(path, page, &shape, &error);
  if (!tif) return error;
  float xResolution = 0;
  uint16_t unit = RESUNIT_INCH;
  bool hasX = TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xResolution) != 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  TIFFClose(tif);
  facts->width = shape.width;
  facts->height = shape.height;
  facts->depth = shape.depth;
  facts->resolution = TiffDpi(hasX, xResolution, unit);
  return nullptr;
}

SpriteError* LoadTiffPageImage(uint8_t* area, const char16_t* path, uint16_t page) {
  if (!area) return FailSprite(kStrSpriteNameNotFound);
  PageShape shape;
  SpriteError* error = nullptr;
  TIFF* tif = OpenPage(path, page, &shape, &error);
  if (!tif) return error;
  uint64_t rowBytes = PaddedRowBytes(shape.width, static_cast<int>(shape.depth));
  uint64_t imageBytes = rowBytes * shape.height;
  if (imageBytes > kMaxSpriteImageBytes || AreaWord(area, kAreaSizeOffset) < imageBytes + kSpriteImageOffset) {
    TIFFClose(tif);
    return FailSprite(kStrBitmapMemoryTooSmall);
  }
  uint64_t rasterBytes = uint64_t(shape.width) * shape.height * 4;
  auto* raster = rasterBytes > 4 * kMaxSpriteImageBytes
                     ? nullptr
                     : static_cast<uint32_t*>(_TIFFmalloc(static_cast<tmsize_t>(rasterBytes)));
  if (!raster) {
    TIFFClose(tif);
    return FailSprite(kStrTiffMemory);
  }
  if (!TIFFReadRGBAImage(tif, shape.width, shape.height, raster, 0)) {
    _TIFFfree(raster);
    TIFFClose(tif);
    return FailSprite(kStrTiffReadProblem);
  }
  uint8_t* rows = SpriteRows(area);
  std::memset(rows, 0, static_cast<size_t>(imageBytes));
  for (uint32_t k = 0; k < shape.height; ++k) {
    const uint32_t* source = raster + size_t(k) * shape.width;
    uint8_t* row = rows + size_t(shape.height - 1 - k) * rowBytes;
    for (uint32_t x = 0; x < shape.width; ++x) {
      uint8_t grey = GreyOf(source[x]);
      if (shape.depth == 8)
        row[x] = grey;
      else if (grey < 128)
        row[x / 8] |= static_cast<uint8_t>(1u << (x % 8));
    }
  }
  _TIFFfree(raster);
  TIFFClose(tif);
  WriteLoadedSpriteHeader(area, shape.width, shape.height, static_cast<int>(shape.depth));
  return nullptr;
}

SpriteError* SaveTiff(const uint8_t* area, const char16_t* path, uint32_t resolution) {
  if (!area) return FailSprite(kStrSpriteNameNotFound);
  int depth = SpriteBitsPerPixel(SpriteWord(area, kSpriteMode));
  // The writer makes 1-bit pages only.
  if (depth != 1) return FailSprite(kStrScreenModeNotSupported);
  char name[kSpriteNameBytes + 1];
  GetSpriteName(area, name, 1);
  SpriteInfo info;
  if (SpriteError* error = GetSpriteInfo(area, name, &info)) return error;
  TIFF* tif = OpenTiffFile(path, "w");
  if (!tif) return FailSprite(kStrFileCannotBeCreated);
  if (resolution) {
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(resolution));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(resolution));
  }
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, info.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, info.height);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTRLE);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 200);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  uint32_t rowBytes = static_cast<uint32_t>(PaddedRowBytes(info.width, 1));
  std::vector<uint8_t> row(rowBytes);
  bool ok = true;
  for (uint32_t y = 0; ok && y < info.height; ++y) {
    std::memcpy(row.data(), SpriteRows(area) + size_t(y) * rowBytes, rowBytes);
    for (uint8_t& b : row) ReverseBits8(&b);
    ok = TIFFWriteScanline(tif, row.data(), y, 0) == 1;
  }
  TIFFClose(tif);
  if (!ok) {
    FileDelete(path);
    return FailSprite(kStrBitmapSaveProblem);
  }
  return nullptr;
}
