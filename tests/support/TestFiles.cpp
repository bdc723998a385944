#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/Platform.h"

std::vector<uint8_t> ReadBytes(const std::u16string& path) {
  std::vector<uint8_t> bytes;
  std::FILE* f = platform::OpenStream(path.c_str(), "rb");
  if (!f) return bytes;
  int c;
  while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
  std::fclose(f);
  return bytes;
}

std::u16string WriteTempText(const std::string& name, const std::string& text) {
  const std::string path = ::testing::TempDir() + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  EXPECT_NE(f, nullptr) << path;
  if (f != nullptr) {
    std::fputs(text.c_str(), f);
    std::fclose(f);
  }
  return std::u16string(path.begin(), path.end());
}
