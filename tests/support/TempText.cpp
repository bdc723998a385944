#include "tests/support/TempText.h"

#include <gtest/gtest.h>

#include <cstdio>

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
