// A PNG file as a reviewed picture: refused with a reason, or read into a
// picture whose pixels fill its size and which reads back the same once
// written again.
#include <cstdio>
#include <cstdlib>

#include "fuzz/FuzzTarget.h"
#include "tests/support/PngImage.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "kv fuzz: %s\n", what);
  std::abort();
}

}  // namespace

KV_FUZZ_TARGET(png_image) {
  PngImage image;
  std::string why;
  if (!DecodePng(data, size, &image, &why)) {
    if (why.empty()) Fail("a refusal without a reason");
    return 0;
  }
  if (image.pixels.size() != size_t(image.width) * image.height * image.channels) Fail("the pixels do not fill the picture");
  const std::vector<uint8_t> again = EncodePng(image);
  PngImage reread;
  if (!DecodePng(again.data(), again.size(), &reread) || reread.pixels != image.pixels || reread.width != image.width)
    Fail("a picture written again reads differently");
  return 0;
}
