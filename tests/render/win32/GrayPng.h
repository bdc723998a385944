// 8-bit grey PNG files for the reviewed pictures of the drawing tests: one
// IDAT chunk, filter 0 on every row (what WriteGrayPng writes is what
// ReadGrayPng reads).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GrayImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // row by row, top first
};

bool WriteGrayPng(const std::string& path, const GrayImage& image);
bool ReadGrayPng(const std::string& path, GrayImage* image);
