#include "pages/BmpFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "pages/ImageFiles.h"
#include "pages/SpriteStrings.h"
#include "platform/FileLayer.h"

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kMaxRowCopy = 16384;  // the widest row the writer copies
constexpr int32_t kDefaultPixelsPerMetre = 3780;

struct BmpHeader {
  uint32_t pixelOffset = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  bool topDown = false;
  int depth = 0;
  int32_t pixelsPerMetre = 0;
  uint32_t paletteOffset = 0;
  uint32_t paletteEntries = 0;
  uint32_t paletteEntryBytes = 4;
};

uint16_t U16At(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32At(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// Reads and checks the headers; the stream stays open for the caller.
SpriteError* ReadHeader(std::FILE* file, BmpHeader* h) {
  uint8_t bytes[kFileHeaderBytes + kInfoHeaderBytes] = {};
  if (FileRead(file, bytes, kFileHeaderBytes + 4) != 0 || bytes[0] != 'B' || bytes[1] != 'M')
    return FailSprite(kStrBadBitmapFile);
  h->pixelOffset = U32At(bytes + 10);
  uint32_t headerSize = U32At(bytes + 14);
  uint32_t compression = 0;
  uint32_t colourCount = 0;
  int64_t width = 0, height = 0;
  if (headerSize == kCoreHeaderBytes) {
    if (FileRead(file, bytes + 18, kCoreHeaderBytes - 4) != 0) return FailSprite(kStrBadBitmapFile);
    width = U16At(bytes + 18);
    height = U16At(bytes + 20);
    h->depth = U16At(bytes + 24);
    h->paletteEntryBytes = 3;
  } else if (headerSize >= kInfoHeaderBytes) {
    if (FileRead(file, bytes + 18, kInfoHeaderBytes - 4) != 0) return FailSprite(kStrBadBitmapFile);
    width = static_cast<int32_t>(U32At(bytes + 18));
    height = static_cast<int32_t>(U32At(bytes + 22));
    h->depth = U16At(bytes + 28);
    compression = U32At(bytes + 30);
    h->pixelsPerMetre = static_cast<int32_t>(U32At(bytes + 38));
    colourCount = U32At(bytes + 46);
  } else {
    return FailSprite(kStrBadBitmapFile);
  }
  if (h->depth == 24) return FailSprite(kStrCannotLoad24Bit);
  if (compression != 0) return FailSprite(kStrCompressedBmp);
  if (h->depth != 1 && h->depth != 4 && h->depth != 8) return FailSprite(kStrBadBitmapFile);
  h->topDown = height < 0;
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0 || width > kMaxPageSide || height > kMaxPageSide)
    return FailSprite(kStrBadBitmapFile);
  h->width = static_cast<uint32_t>(width);
  h->height = static_cast<uint32_t>(height);
  uint32_t full = 1u << h->depth;
  h->paletteEntries = (colourCount == 0 || colourCount > full) ? full : colourCount;
  h->paletteOffset = kFileHeaderBytes + headerSize;
  // The rows the header claims must be in the file: refused here, before
  // the caller allocates for them, with the message a short read gives.
  const long fileSize = FileSize(file);
  const uint64_t rowsEnd = uint64_t(h->pixelOffset) + PaddedRowBytes(h->width, h->depth) * h->height;
  if (fileSize < 0 || rowsEnd > static_cast<uint64_t>(fileSize)) return FailSprite(kStrBitmapReadProblem);
  return nullptr;
}

SpriteError* OpenAndReadHeader(const char16_t* path, std::FILE** file, BmpHeader* header) {
  *file = FileOpen(path, kFileRead, false);
  if (!*file) return FailSprite(kStrFileCannotBeOpened);
  SpriteError* error = ReadHeader(*file, header);
  if (error) {
    std::fclose(*file);
    *file = nullptr;
  }
  return error;
}

void RemapRow(uint8_t* row, uint32_t rowBytes, const uint8_t map[256], int depth) {
  for (uint32_t i = 0; i < rowBytes; ++i) {
    if (depth == 1) ReverseBits8(&row[i]);
    row[i] = map[row[i]];
  }
}

// Clears the bits of a 1-bit row beyond the image's width.
void ClearRowTail(uint8_t* row, uint32_t rowBytes, uint32_t width) {
  uint32_t full = width / 8;
  if (width % 8) row[full++] &= static_cast<uint8_t>((1u << (width % 8)) - 1);
  if (full < rowBytes) std::memset(row + full, 0, rowBytes - full);
}

bool PutU16(std::FILE* f, uint32_t v) { return PutU16LE(static_cast<uint16_t>(v), f); }
bool PutU32(std::FILE* f, uint32_t v) { return PutU32LE(v, f); }

}  // namespace

uint32_t DpiFromPixelsPerMetre(int32_t pixelsPerMetre) {
  if (pixelsPerMetre <= 0) return 0;
  auto twice = static_cast<uint32_t>(2.0 * pixelsPerMetre / 39.37);
  if (twice & 1) ++twice;
  return twice / 2;
}

void BuildGreyMap(const uint8_t (*palette)[3], uint32_t count, int depth, uint8_t map[256]) {
  uint32_t levels = 1u << depth;
  uint8_t level[256] = {};
  for (uint32_t i = 0; i < levels; ++i) {
    uint32_t mean = i < count ? (uint32_t(palette[i][0]) + palette[i][1] + palette[i][2]) / 3 : 0;
    uint32_t value = mean * levels / 256;
    level[i] = static_cast<uint8_t>(depth == 1 ? levels - 1 - value : value);
  }
  uint32_t mask = levels - 1;
  for (uint32_t byte = 0; byte < 256; ++byte) {
    uint32_t out = 0;
    for (int shift = 0; shift < 8; shift += depth) out |= uint32_t(level[(byte >> shift) & mask]) << shift;
    map[byte] = static_cast<uint8_t>(out);
  }
}

SpriteError* ReadBmpFacts(const char16_t* path, BmpFacts* facts) {
  std::FILE* file = nullptr;
  BmpHeader h;
  if (SpriteError* error = OpenAndReadHeader(path, &file, &h)) return error;
  std::fclose(file);
  facts->width = h.width;
  facts->height = h.height;
  facts->depth = static_cast<uint32_t>(h.depth);
  facts->resolution = DpiFromPixelsPerMetre(h.pixelsPerMetre);
  return nullptr;
}

SpriteError* LoadBmpPage(uint8_t* area, const char16_t* path) {
  if (!area) return FailSprite(kStrSpriteNameNotFound);
  std::FILE* file = nullptr;
  BmpHeader h;
  if (SpriteError* error = OpenAndReadHeader(path, &file, &h)) return error;

  uint8_t palette[256][3] = {};
  if (FileSeek(file, static_cast<long>(h.paletteOffset)) != nullptr) {
    std::fclose(file);
    return FailSprite(kStrBitmapReadProblem);
  }
  for (uint32_t i = 0; i < h.paletteEntries; ++i) {
    uint8_t entry[4];
    if (FileRead(file, entry, h.paletteEntryBytes) != 0) {
      std::fclose(file);
      return FailSprite(kStrBitmapReadProblem);
    }
    std::memcpy(palette[i], entry, 3);
  }
  uint8_t map[256];
  BuildGreyMap(palette, h.paletteEntries, h.depth, map);

  uint32_t rowBytes = static_cast<uint32_t>(PaddedRowBytes(h.width, h.depth));
  uint64_t imageBytes = uint64_t(rowBytes) * h.height;
  if (imageBytes > kMaxSpriteImageBytes || !AreaHoldsImage(area, imageBytes)) {
    std::fclose(file);
    return FailSprite(kStrBitmapMemoryTooSmall);
  }
  uint8_t* rows = SpriteRows(area);
  std::memset(rows, 0, static_cast<size_t>(imageBytes));
  if (FileSeek(file, static_cast<long>(h.pixelOffset)) != nullptr) {
    std::fclose(file);
    return FailSprite(kStrBitmapReadProblem);
  }
  for (uint32_t k = 0; k < h.height; ++k) {
    uint32_t target = h.topDown ? k : h.height - 1 - k;
    if (FileRead(file, rows + size_t(target) * rowBytes, rowBytes) != 0) {
      std::fclose(file);
      return FailSprite(kStrBitmapReadProblem);
    }
  }
  std::fclose(file);
  for (uint32_t y = 0; y < h.height; ++y) {
    uint8_t* row = rows + size_t(y) * rowBytes;
    RemapRow(row, rowBytes, map, h.depth);
    if (h.depth == 1) ClearRowTail(row, rowBytes, h.width);
  }
  WriteLoadedSpriteHeader(area, h.width, h.height, h.depth);
  return nullptr;
}

SpriteError* SaveBmp(const uint8_t* area, const char16_t* path, uint32_t resolution) {
  if (!area) return FailSprite(kStrSpriteNameNotFound);
  int depth = SpriteBitsPerPixel(SpriteWord(area, kSpriteMode));
  if (!depth) return FailSprite(kStrScreenModeNotSupported);
  char name[kSpriteNameBytes + 1];
  GetSpriteName(area, name, 1);
  SpriteInfo info;
  if (SpriteError* error = GetSpriteInfo(area, name, &info)) return error;
  if (info.width >= kMaxRowCopy) return FailSprite(kStrBitmapTooWide);

  uint32_t rowBytes = static_cast<uint32_t>(PaddedRowBytes(info.width, depth));
  uint32_t offset = depth == 1 ? 62 : depth == 4 ? 118 : 1078;
  // A resolution read from a file may be absurd: its pixels per metre are
  // kept within the field.
  int32_t perMetre =
      resolution ? static_cast<int32_t>(std::min(resolution * 39.37, double{INT32_MAX})) : kDefaultPixelsPerMetre;
  std::FILE* file = FileOpen(path, kFileWrite, false);
  if (!file) return FailSprite(kStrFileCannotBeCreated);

  bool ok = std::fwrite("BM", 1, 2, file) == 2 && PutU32(file, rowBytes * info.height + offset) &&
            PutU16(file, 0) && PutU16(file, 0) && PutU32(file, offset) && PutU32(file, kInfoHeaderBytes) &&
            PutU32(file, info.width) && PutU32(file, info.height) && PutU16(file, 1) &&
            PutU16(file, static_cast<uint32_t>(depth)) && PutU32(file, 0) && PutU32(file, 0) &&
            PutU32(file, static_cast<uint32_t>(perMetre)) && PutU32(file, static_cast<uint32_t>(perMetre)) &&
            PutU32(file, 0) && PutU32(file, 0);
  // Index 0 is white; greys rise evenly to white at the last index.
  uint32_t entries = 1u << depth;
  for (uint32_t i = 0; ok && i < entries; ++i) {
    uint8_t grey = depth == 1 ? (i == 0 ? 255 : 0) : static_cast<uint8_t>(255 * i / (entries - 1));
    uint8_t entry[4] = {grey, grey, grey, 0};
    ok = std::fwrite(entry, 1, 4, file) == 4;
  }
  std::vector<uint8_t> row(rowBytes);
  for (uint32_t k = 0; ok && k < info.height; ++k) {
    std::memcpy(row.data(), SpriteRows(area) + size_t(info.height - 1 - k) * rowBytes, rowBytes);
    if (depth == 1)
      for (uint8_t& b : row) ReverseBits8(&b);
    ok = std::fwrite(row.data(), 1, rowBytes, file) == rowBytes;
  }
  if (std::fclose(file) != 0) ok = false;
  if (!ok) {
    FileDelete(path);
    return FailSprite(kStrBitmapSaveProblem);
  }
  return nullptr;
}
