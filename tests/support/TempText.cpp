#include "tests/support/TempText.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/Platform.h"
#include "tests/support/TestText.h"

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

void WriteTestFile(const std::u16string& path, const std::string& bytes) {
  std::FILE* f = platform::OpenStream(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << U8(path);
  if (!bytes.empty()) {
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size()) << U8(path);
  }
  ASSERT_EQ(std::fclose(f), 0) << U8(path);
}

void WriteTestFile(const std::u16string& path, const std::vector<uint8_t>& bytes) {
  WriteTestFile(path, std::string(bytes.begin(), bytes.end()));
}
