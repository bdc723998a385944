#include "pages/TiffFile.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "pages/ImageFiles.h"
#include "pages/SpriteStrings.h"
#include "platform/FileLayer.h"
#include "platform/Platform.h"

namespace {

constexpr double kMaxDpi = 100000.0;
// Pixels of one band of the RGBA reader's raster (4 bytes each).
constexpr uint32_t kRgbaBandPixels = 1u << 20;
// Tiles up to this many pixels are taken whatever the page's size.
constexpr uint64_t kSmallPagePixels = 1u << 20;

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

struct Held {
  TIFF* tif = nullptr;
  std::u16string path;
};
Held held;

// The held handle of path, else path opened for reading (null when it does
// not open); give it back with Release.
TIFF* OpenForReading(const char16_t* path);
void Release(TIFF* tif) {
  if (tif && tif != held.tif) TIFFClose(tif);
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
TIFF* OpenForReading(const char16_t* path) {
  if (held.tif && path && held.path == path) return held.tif;
  return OpenTiffFile(path, "r");
}
}  // namespace

HeldTiffFile::HeldTiffFile(const char16_t* path) {
  if (held.tif || !path) return;
  held.tif = OpenTiffFile(path, "r");
  if (!held.tif) return;
  held.path = path;
  held_ = true;
}

HeldTiffFile::~HeldTiffFile() {
  if (!held_) return;
  TIFFClose(held.tif);
  held = Held();
}

namespace {

struct PageShape {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t depth = 1;
};

// The most bytes one byte of a compression's data expands to. The fax codes
// spend at least a bit on a row, so they are bounded by rows instead
// (kPerRow); codes without a known bound get a generous one, far above what
// any page reaches, so that a few bytes cannot claim gigabytes.
constexpr uint64_t kPerRow = 0;
uint64_t LargestExpansion(uint16_t compression) {
  switch (compression) {
    case COMPRESSION_NONE: return 1;
    case COMPRESSION_PACKBITS: return 64;   // two bytes give at most 128
    case COMPRESSION_LZW:                   // a code of 9 or more bits gives at most 4096 bytes
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE: return 4096;  // the deflate format stays below 1032
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW:
    case COMPRESSION_CCITTFAX3:
    case COMPRESSION_CCITTFAX4: return kPerRow;
    default: return 65536;
  }
}

// Whether the file is large enough to hold the pixels its directory claims,
// decoded by its compression: a header claiming a page far larger than its
// data is refused before anything is allocated for the page.
bool FileHoldsPixels(TIFF* tif, uint32_t height) {
  uint16_t compression = COMPRESSION_NONE, planar = PLANARCONFIG_CONTIG, samples = 1;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  const long size = FileSize(StreamOf(TIFFClientdata(tif)));
  const uint64_t row = TIFFScanlineSize64(tif);
  if (size <= 0 || row == 0) return false;
  const uint64_t planes = planar == PLANARCONFIG_SEPARATE ? samples : 1;
  const uint64_t expansion = LargestExpansion(compression);
  if (expansion == kPerRow) return uint64_t(height) * planes <= static_cast<uint64_t>(size) * 8;
  return row <= static_cast<uint64_t>(size) * expansion / (uint64_t(height) * planes);
}

// Opens the page's directory and checks its size; null with the error set.
TIFF* OpenPage(const char16_t* path, uint16_t page, PageShape* shape, SpriteError** error) {
  *error = nullptr;
  TIFF* tif = OpenForReading(path);
  if (!tif) {
    *error = FailSprite(kStrTiffReadProblem);
    return nullptr;
  }
  uint16_t bitsPerSample = 1;
  if (!TIFFSetDirectory(tif, page) || !TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &shape->width) ||
      !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &shape->height) || shape->width == 0 || shape->height == 0) {
    Release(tif);
    *error = FailSprite(kStrTiffReadProblem);
    return nullptr;
  }
  if (shape->width > kMaxPageSide || shape->height > kMaxPageSide) {
    Release(tif);
    *error = FailSprite(kStrTiffMemory);
    return nullptr;
  }
  if (!FileHoldsPixels(tif, shape->height)) {
    Release(tif);
    *error = FailSprite(kStrTiffReadProblem);
    return nullptr;
  }
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
  shape->depth = bitsPerSample == 8 ? 8 : 1;
  return tif;
}

// Grey of a pixel of libtiff's RGBA raster laid on white paper. The raster
// holds colours multiplied by their alpha (libtiff multiplies unassociated
// alpha itself), so the paper shows through by 255 - alpha.
uint8_t GreyOnPaper(uint32_t pixel) {
  const uint32_t grey = (TIFFGetR(pixel) + TIFFGetG(pixel) + TIFFGetB(pixel)) / 3;
  const uint32_t paper = 255 - TIFFGetA(pixel);
  return static_cast<uint8_t>(grey + paper > 255 ? 255 : grey + paper);
}

// Writes grey levels into the sprite's rows (zeroed first): bytes for an
// 8-bit sprite, else a set bit where the grey is below 128.
struct SpriteRowWriter {
  uint8_t* rows;
  uint64_t rowBytes;
  uint32_t depth;
  void Put(uint32_t x, uint32_t y, uint8_t grey) const {
    uint8_t* row = rows + size_t(y) * rowBytes;
    if (depth == 8)
      row[x] = grey;
    else if (grey < 128)
      row[x / 8] |= static_cast<uint8_t>(1u << (x % 8));
  }
};

// A grey or palette page with extra samples (an alpha channel, as image
// editors write it), which libtiff's RGBA reader refuses below 8 bits a
// sample or reads without its alpha: its samples are read here, made grey
// and laid on white paper.
struct GreyLayout {
  uint16_t photometric = PHOTOMETRIC_MINISBLACK;
  uint16_t bits = 1;
  uint16_t samples = 1;
  bool separatePlanes = false;
  int alphaSample = -1;  // the alpha's sample index, -1 for none
  bool associatedAlpha = false;
  uint16_t* palette[3] = {nullptr, nullptr, nullptr};
};

bool ReadGreyLayout(TIFF* tif, GreyLayout* layout) {
  uint16_t photometric = 0, format = SAMPLEFORMAT_UINT, planar = PLANARCONFIG_CONTIG, extraCount = 0;
  uint16_t* extra = nullptr;
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric)) return false;
  if (photometric != PHOTOMETRIC_MINISBLACK && photometric != PHOTOMETRIC_MINISWHITE &&
      photometric != PHOTOMETRIC_PALETTE)
    return false;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &layout->bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &layout->samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
  const uint16_t bits = layout->bits;
  if (layout->samples < 2 || extraCount + 1 != layout->samples || format != SAMPLEFORMAT_UINT ||
      (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16))
    return false;
  if (photometric == PHOTOMETRIC_PALETTE &&
      (bits > 8 || !TIFFGetField(tif, TIFFTAG_COLORMAP, &layout->palette[0], &layout->palette[1], &layout->palette[2])))
    return false;
  layout->photometric = photometric;
  layout->separatePlanes = planar == PLANARCONFIG_SEPARATE;
  for (uint16_t i = 0; i < extraCount && layout->alphaSample < 0; ++i)
    if (extra[i] == EXTRASAMPLE_ASSOCALPHA || extra[i] == EXTRASAMPLE_UNASSALPHA) {
      layout->alphaSample = 1 + i;
      layout->associatedAlpha = extra[i] == EXTRASAMPLE_ASSOCALPHA;
    }
  return true;
}

// Sample `sample` of pixel `pixel` in a decoded row holding `perPixel`
// samples a pixel (16-bit samples are in the machine's order once decoded).
uint32_t SampleAt(const uint8_t* row, uint32_t pixel, uint32_t perPixel, uint32_t sample, uint16_t bits) {
  const uint64_t index = uint64_t(pixel) * perPixel + sample;
  if (bits == 16) {
    uint16_t value;
    std::memcpy(&value, row + index * 2, 2);
    return value;
  }
  if (bits == 8) return row[index];
  const uint64_t bit = index * bits;
  return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

// 0..255 from a sample of the layout's bits.
uint32_t Level(uint32_t value, uint16_t bits) {
  if (bits == 16) return value >> 8;
  if (bits == 8) return value;
  return value * 255 / ((1u << bits) - 1);
}

// Calls row(y, bytes, firstPixel, pixels) for every decoded row piece of one
// plane, in strips or tiles; false when the data cannot be decoded.
template <typename RowFn>
bool ForEachRowPiece(TIFF* tif, uint16_t plane, uint32_t width, uint32_t height, RowFn row) {
  if (!TIFFIsTiled(tif)) {
    const tmsize_t size = TIFFScanlineSize(tif);
    if (size <= 0) return false;
    std::vector<uint8_t> line(static_cast<size_t>(size));
    for (uint32_t y = 0; y < height; ++y) {
      if (TIFFReadScanline(tif, line.data(), y, plane) < 0) return false;
      row(y, line.data(), 0u, width);
    }
    return true;
  }
  uint32_t tileWidth = 0, tileLength = 0;
  TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
  TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileLength);
  const tmsize_t tileBytes = TIFFTileSize(tif), tileRowBytes = TIFFTileRowSize(tif);
  // A tile's buffer stays within what the page itself may take, or within a
  // small page's worth when the tiles are larger than a small page.
  const uint64_t tilePixels = uint64_t(tileWidth) * tileLength;
  if (tileWidth == 0 || tileLength == 0 || tileBytes <= 0 || tileRowBytes <= 0 ||
      tilePixels > std::max<uint64_t>((uint64_t(width) + 16) * (uint64_t(height) + 16), kSmallPagePixels))
    return false;
  std::vector<uint8_t> tile(static_cast<size_t>(tileBytes));
  for (uint32_t top = 0; top < height; top += tileLength)
    for (uint32_t left = 0; left < width; left += tileWidth) {
      if (TIFFReadTile(tif, tile.data(), left, top, 0, plane) < 0) return false;
      const uint32_t pixels = std::min(tileWidth, width - left);
      for (uint32_t r = 0; r < tileLength && top + r < height; ++r)
        row(top + r, tile.data() + size_t(r) * size_t(tileRowBytes), left, pixels);
    }
  return true;
}

SpriteError* LoadGreyLayout(TIFF* tif, const GreyLayout& layout, uint32_t width, uint32_t height,
                            const SpriteRowWriter& out) {
  const size_t pixels = size_t(width) * height;
  std::vector<uint8_t> grey, alpha;
  try {
    grey.resize(pixels);
    alpha.assign(pixels, 255);
  } catch (const std::bad_alloc&) {
    return FailSprite(kStrTiffMemory);
  }
  const uint32_t perPixel = layout.separatePlanes ? 1 : layout.samples;
  auto greyOf = [&](uint32_t value) -> uint8_t {
    if (layout.photometric == PHOTOMETRIC_PALETTE) {
      const uint32_t sum = uint32_t(layout.palette[0][value] >> 8) + (layout.palette[1][value] >> 8) +
                           (layout.palette[2][value] >> 8);
      return static_cast<uint8_t>(sum / 3);
    }
    const uint32_t level = Level(value, layout.bits);
    return static_cast<uint8_t>(layout.photometric == PHOTOMETRIC_MINISWHITE ? 255 - level : level);
  };
  const bool colourRead = ForEachRowPiece(
      tif, 0, width, height, [&](uint32_t y, const uint8_t* row, uint32_t first, uint32_t count) {
        for (uint32_t i = 0; i < count; ++i) {
          const size_t at = size_t(y) * width + first + i;
          grey[at] = greyOf(SampleAt(row, i, perPixel, 0, layout.bits));
          if (layout.alphaSample >= 0 && !layout.separatePlanes)
            alpha[at] = static_cast<uint8_t>(Level(SampleAt(row, i, perPixel, uint32_t(layout.alphaSample), layout.bits), layout.bits));
        }
      });
  if (!colourRead) return FailSprite(kStrTiffReadProblem);
  if (layout.alphaSample >= 0 && layout.separatePlanes &&
      !ForEachRowPiece(tif, static_cast<uint16_t>(layout.alphaSample), width, height,
                       [&](uint32_t y, const uint8_t* row, uint32_t first, uint32_t count) {
                         for (uint32_t i = 0; i < count; ++i)
                           alpha[size_t(y) * width + first + i] =
                               static_cast<uint8_t>(Level(SampleAt(row, i, 1, 0, layout.bits), layout.bits));
                       }))
    return FailSprite(kStrTiffReadProblem);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      const size_t at = size_t(y) * width + x;
      const uint32_t g = grey[at], a = alpha[at];
      // Laid on white: an associated alpha has multiplied the grey already.
      const uint32_t onPaper = layout.associatedAlpha ? std::min<uint32_t>(255, g + 255 - a)
                                                      : (g * a + 255 * (255 - a) + 127) / 255;
      out.Put(x, y, static_cast<uint8_t>(onPaper));
    }
  return nullptr;
}

// Any other layout libtiff can read, through its RGBA reader, a band of
// rows at a time so that the raster stays small whatever the page's size.
// The band is asked for in the file's own vertical order (libtiff then
// flips no rows within it) and its rows are laid on the page top first.
SpriteError* LoadThroughRgba(TIFF* tif, uint32_t width, uint32_t height, const SpriteRowWriter& out) {
  char message[1024];
  if (!TIFFRGBAImageOK(tif, message)) return FailSprite(kStrTiffReadProblem);
  TIFFRGBAImage image;
  if (!TIFFRGBAImageBegin(&image, tif, 0, message)) return FailSprite(kStrTiffReadProblem);
  uint16_t orientation = ORIENTATION_TOPLEFT;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
  const bool fromBottom = orientation == ORIENTATION_BOTLEFT || orientation == ORIENTATION_BOTRIGHT ||
                          orientation == ORIENTATION_LEFTBOT || orientation == ORIENTATION_RIGHTBOT;
  image.req_orientation = fromBottom ? ORIENTATION_BOTLEFT : ORIENTATION_TOPLEFT;
  const uint32_t band = std::max<uint32_t>(1, std::min<uint32_t>(height, kRgbaBandPixels / width));
  auto* raster = static_cast<uint32_t*>(_TIFFmalloc(static_cast<tmsize_t>(uint64_t(width) * band * 4)));
  if (!raster) {
    TIFFRGBAImageEnd(&image);
    return FailSprite(kStrTiffMemory);
  }
  bool ok = true;
  for (uint32_t first = 0; ok && first < height; first += band) {
    const uint32_t rows = std::min(band, height - first);
    image.row_offset = static_cast<int>(first);
    image.col_offset = 0;
    ok = TIFFRGBAImageGet(&image, raster, width, rows) != 0;
    for (uint32_t k = 0; ok && k < rows; ++k) {
      const uint32_t* source = raster + size_t(k) * width;
      const uint32_t y = fromBottom ? height - 1 - (first + k) : first + k;
      for (uint32_t x = 0; x < width; ++x) out.Put(x, y, GreyOnPaper(source[x]));
    }
  }
  _TIFFfree(raster);
  TIFFRGBAImageEnd(&image);
  return ok ? nullptr : FailSprite(kStrTiffReadProblem);
}

}  // namespace

uint32_t TiffDpi(bool hasXResolution, double xResolution, uint16_t unit) {
  if (!hasXResolution || !(xResolution > 0.0) || xResolution > kMaxDpi) return 0;
  if (unit == RESUNIT_NONE) return 200;
  if (unit == RESUNIT_CENTIMETER) return static_cast<uint32_t>(xResolution * 2.54);
  return static_cast<uint32_t>(xResolution);
}

int CountTiffPages(const char16_t* path) {
  TIFF* tif = OpenForReading(path);
  if (!tif || !TIFFSetDirectory(tif, 0)) {
    Release(tif);
    return -1;
  }
  int pages = 1;
  while (TIFFReadDirectory(tif) && pages < 0xFFFF) ++pages;
  Release(tif);
  return pages;
}

unsigned WhyTiffDoesNotOpen(const char16_t* path) {
  std::FILE* stream = platform::OpenStream(path, "rb");
  if (!stream) return KindOfPath(path) == PathKind::Missing ? kStrFileMissing : kStrFileCannotBeOpened;
  uint8_t head[4] = {};
  const size_t got = std::fread(head, 1, sizeof head, stream);
  std::fclose(stream);
  if (got == 0) return kStrFileEmpty;
  // Both byte orders, classic (42) and big (43) TIFF.
  const bool little = got == 4 && head[0] == 'I' && head[1] == 'I' && (head[2] == 42 || head[2] == 43) && head[3] == 0;
  const bool big = got == 4 && head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43);
  return little || big ? kStrTiffCutShort : kStrNotATiff;
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
  Release(tif);
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
  if (imageBytes > kMaxSpriteImageBytes || !AreaHoldsImage(area, imageBytes)) {
    Release(tif);
    return FailSprite(kStrBitmapMemoryTooSmall);
  }
  const SpriteRowWriter out{SpriteRows(area), rowBytes, shape.depth};
  std::memset(out.rows, 0, static_cast<size_t>(imageBytes));
  GreyLayout layout;
  SpriteError* failure = ReadGreyLayout(tif, &layout) ? LoadGreyLayout(tif, layout, shape.width, shape.height, out)
                                                      : LoadThroughRgba(tif, shape.width, shape.height, out);
  Release(tif);
  if (failure) return failure;
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
