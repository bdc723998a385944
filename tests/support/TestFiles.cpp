#include "tests/support/TestFiles.h"

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

