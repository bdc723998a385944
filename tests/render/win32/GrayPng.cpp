#include "GrayPng.h"

#include <zlib.h>

#include <fstream>
#include <iterator>

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

uint32_t Get32(const uint8_t* p) { return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]; }

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  Put32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  Put32(out, static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

}  // namespace

bool WriteGrayPng(const std::string& path, const GrayImage& image) {
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(image.height) * (image.width + 1));
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), image.pixels.begin() + static_cast<size_t>(y) * image.width,
               image.pixels.begin() + static_cast<size_t>(y + 1) * image.width);
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) return false;
  packed.resize(packedSize);
  std::vector<uint8_t> out(kSignature, kSignature + 8);
  std::vector<uint8_t> header;
  Put32(header, static_cast<uint32_t>(image.width));
  Put32(header, static_cast<uint32_t>(image.height));
  header.insert(header.end(), {8, 0, 0, 0, 0});  // 8-bit grey, no interlace
  Chunk(out, "IHDR", header);
  Chunk(out, "IDAT", packed);
  Chunk(out, "IEND", {});
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(file);
}

bool ReadGrayPng(const std::string& path, GrayImage* image) {
  std::ifstream file(path, std::ios::binary);
  const std::vector<uint8_t> in((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (in.size() < 8 + 25 || !std::equal(kSignature, kSignature + 8, in.begin())) return false;
  size_t at = 8;
  std::vector<uint8_t> packed;
  int width = 0, height = 0;
  while (at + 12 <= in.size()) {
    const uint32_t length = Get32(&in[at]);
    if (at + 12 + length > in.size()) return false;
    const std::string type(reinterpret_cast<const char*>(&in[at + 4]), 4);
    const uint8_t* data = &in[at + 8];
    if (type == "IHDR") {
      if (length < 13 || data[8] != 8 || data[9] != 0) return false;
      width = static_cast<int>(Get32(data));
      height = static_cast<int>(Get32(data + 4));
    } else if (type == "IDAT") {
      packed.insert(packed.end(), data, data + length);
    }
    at += 12 + length;
  }
  if (width <= 0 || height <= 0 || width > 8192 || height > 8192) return false;
  std::vector<uint8_t> raw(static_cast<size_t>(height) * (width + 1));
  uLongf rawSize = static_cast<uLongf>(raw.size());
  if (uncompress(raw.data(), &rawSize, packed.data(), static_cast<uLong>(packed.size())) != Z_OK ||
      rawSize != raw.size()) {
    return false;
  }
  image->width = width;
  image->height = height;
  image->pixels.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    if (raw[static_cast<size_t>(y) * (width + 1)] != 0) return false;
    std::copy(raw.begin() + static_cast<size_t>(y) * (width + 1) + 1, raw.begin() + static_cast<size_t>(y + 1) * (width + 1),
              image->pixels.begin() + static_cast<size_t>(y) * width);
  }
  return true;
}
