#include "tests/support/PngImage.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
// Larger pictures than any window or page the tests draw are refused before
// anything is allocated.
constexpr uint64_t kMostPixels = uint64_t(1) << 26;

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

uint32_t Get32(const uint8_t* p) { return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]; }

bool Refuse(std::string* why, const char* what) {
  if (why) *why = what;
  return false;
}

uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
  return static_cast<uint8_t>(pb <= pc ? b : c);
}

// Undoes one row's filter in place; prior is the row above, already undone
// (zeros for the first row). bpp is the bytes of one pixel.
bool Unfilter(int filter, uint8_t* row, const uint8_t* prior, size_t bytes, size_t bpp) {
  for (size_t i = 0; i < bytes; ++i) {
    const int left = i >= bpp ? row[i - bpp] : 0;
    const int up = prior[i];
    const int upLeft = i >= bpp ? prior[i - bpp] : 0;
    switch (filter) {
      case 0: break;
      case 1: row[i] = static_cast<uint8_t>(row[i] + left); break;
      case 2: row[i] = static_cast<uint8_t>(row[i] + up); break;
      case 3: row[i] = static_cast<uint8_t>(row[i] + (left + up) / 2); break;
      case 4: row[i] = static_cast<uint8_t>(row[i] + Paeth(left, up, upLeft)); break;
      default: return false;
    }
  }
  return true;
}

}  // namespace

void AppendPngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  Put32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  Put32(out, static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

std::vector<uint8_t> EncodePng(const PngImage& image) {
  const size_t rowBytes = static_cast<size_t>(image.width) * image.channels;
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(image.height) * (rowBytes + 1));
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);
    const auto row = image.pixels.begin() + static_cast<std::ptrdiff_t>(y * rowBytes);
    raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) return {};
  packed.resize(packedSize);
  std::vector<uint8_t> out(kSignature, kSignature + 8);
  std::vector<uint8_t> header;
  Put32(header, static_cast<uint32_t>(image.width));
  Put32(header, static_cast<uint32_t>(image.height));
  const uint8_t colourType = image.channels == 3 ? 2 : 0;
  header.insert(header.end(), {8, colourType, 0, 0, 0});  // 8 bits, no interlace
  AppendPngChunk(out, "IHDR", header);
  AppendPngChunk(out, "IDAT", packed);
  AppendPngChunk(out, "IEND", {});
  return out;
}

bool DecodePng(const uint8_t* data, size_t size, PngImage* image, std::string* why) {
  if (size < 8 || !std::equal(kSignature, kSignature + 8, data)) return Refuse(why, "not a PNG file");
  size_t at = 8;
  std::vector<uint8_t> packed;
  uint32_t width = 0, height = 0;
  int stored = 0;  // channels as stored
  bool ended = false;
  while (!ended) {
    if (size - at < 12) return Refuse(why, "the file is cut short");
    const uint32_t length = Get32(data + at);
    if (length > size - at - 12) return Refuse(why, "a chunk runs past the end of the file");
    const uint8_t* type = data + at + 4;
    const uint8_t* body = data + at + 8;
    if (crc32(0, type, length + 4) != Get32(body + length)) return Refuse(why, "a chunk's check sum is wrong");
    if (std::equal(type, type + 4, "IHDR")) {
      if (length != 13) return Refuse(why, "the header is damaged");
      width = Get32(body);
      height = Get32(body + 4);
      const uint8_t depth = body[8], colourType = body[9], interlace = body[12];
      stored = colourType == 0 ? 1 : colourType == 2 ? 3 : colourType == 6 ? 4 : 0;
      if (depth != 8 || stored == 0 || interlace != 0) return Refuse(why, "only 8-bit grey, RGB or RGBA without interlace");
      if (width == 0 || height == 0 || uint64_t(width) * height > kMostPixels) return Refuse(why, "the picture's size is out of range");
    } else if (std::equal(type, type + 4, "IDAT")) {
      if (stored == 0) return Refuse(why, "picture data before the header");
      packed.insert(packed.end(), body, body + length);
    } else if (std::equal(type, type + 4, "IEND")) {
      ended = true;
    }
    at += 12 + size_t(length);
  }
  if (stored == 0) return Refuse(why, "no header");
  const size_t rowBytes = size_t(width) * stored;
  std::vector<uint8_t> raw(size_t(height) * (rowBytes + 1));
  uLongf rawSize = static_cast<uLongf>(raw.size());
  if (uncompress(raw.data(), &rawSize, packed.data(), static_cast<uLong>(packed.size())) != Z_OK || rawSize != raw.size())
    return Refuse(why, "the picture data is damaged");
  const int channels = stored == 1 ? 1 : 3;
  PngImage read;
  read.width = static_cast<int>(width);
  read.height = static_cast<int>(height);
  read.channels = channels;
  read.pixels.resize(size_t(width) * height * channels);
  const std::vector<uint8_t> zeros(rowBytes, 0);
  for (size_t y = 0; y < height; ++y) {
    uint8_t* row = &raw[y * (rowBytes + 1) + 1];
    const uint8_t* prior = y ? &raw[(y - 1) * (rowBytes + 1) + 1] : zeros.data();
    if (!Unfilter(row[-1], row, prior, rowBytes, size_t(stored))) return Refuse(why, "a row has an unknown filter");
    uint8_t* out = &read.pixels[y * width * channels];
    for (size_t x = 0; x < width; ++x)
      for (int c = 0; c < channels; ++c) out[x * channels + c] = row[x * stored + c];
  }
  *image = std::move(read);
  return true;
}

bool WritePng(const std::string& path, const PngImage& image) {
  const std::vector<uint8_t> bytes = EncodePng(image);
  if (bytes.empty()) return false;
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

bool ReadPng(const std::string& path, PngImage* image, std::string* why) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return Refuse(why, "the file does not open");
  const std::vector<uint8_t> in((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return DecodePng(in.data(), in.size(), image, why);
}
