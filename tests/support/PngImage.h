// PNG files of the reviewed pictures the tests compare with: 8-bit grey or
// RGB. The writer writes one IDAT chunk with filter 0 on every row; the
// reader takes grey, RGB and RGBA (alpha dropped) at 8 bits with any row
// filter, so a picture saved again by an image tool still reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PngImage {
  int width = 0;
  int height = 0;
  int channels = 1;             // 1: grey, 3: red, green, blue
  std::vector<uint8_t> pixels;  // row by row, top first, channels per pixel
};

std::vector<uint8_t> EncodePng(const PngImage& image);
// False (and *why says what) for anything that is not such a picture.
bool DecodePng(const uint8_t* data, size_t size, PngImage* image, std::string* why = nullptr);

bool WritePng(const std::string& path, const PngImage& image);

// One chunk (length, type, data, check sum) appended to a file's bytes: for
// tests that put together files no writer here writes.
void AppendPngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data);
bool ReadPng(const std::string& path, PngImage* image, std::string* why = nullptr);
