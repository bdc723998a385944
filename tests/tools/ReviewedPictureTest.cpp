// The reviewed pictures' files and their tolerant comparison.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>

#include "tests/support/PngImage.h"
#include "tests/support/ReviewedPicture.h"
#include "platform/Utf8.h"
#include "tests/support/ScratchFolder.h"

namespace {

PngImage Gradient(int width, int height, int channels) {
  PngImage image;
  image.width = width;
  image.height = height;
  image.channels = channels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < channels; ++c) image.pixels.push_back(static_cast<uint8_t>(x * 7 + y * 13 + c * 50));
  return image;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

// An RGBA picture as an image tool saves one: every row with its own filter
// (None, Sub, Up, Average, Paeth, in turn) over the gradient's pixels.
std::vector<uint8_t> FilteredRgbaPng(const PngImage& rgb) {
  const int bpp = 4;
  const size_t rowBytes = size_t(rgb.width) * bpp;
  std::vector<uint8_t> plain(rowBytes * rgb.height);
  for (size_t p = 0; p < size_t(rgb.width) * rgb.height; ++p) {
    for (int c = 0; c < 3; ++c) plain[p * 4 + c] = rgb.pixels[p * 3 + c];
    plain[p * 4 + 3] = 255;
  }
  std::vector<uint8_t> raw;
  for (int y = 0; y < rgb.height; ++y) {
    const int filter = y % 5;
    raw.push_back(static_cast<uint8_t>(filter));
    for (size_t i = 0; i < rowBytes; ++i) {
      const int x = plain[y * rowBytes + i];
      const int a = i >= bpp ? plain[y * rowBytes + i - bpp] : 0;
      const int b = y ? plain[(y - 1) * rowBytes + i] : 0;
      const int c = (i >= bpp && y) ? plain[(y - 1) * rowBytes + i - bpp] : 0;
      const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
      const int paeth = (pa <= pb && pa <= pc) ? a : pb <= pc ? b : c;
      const int predicted[5] = {0, a, b, (a + b) / 2, paeth};
      raw.push_back(static_cast<uint8_t>(x - predicted[filter]));
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6);
  packed.resize(packedSize);
  std::vector<uint8_t> out = {137, 80, 78, 71, 13, 10, 26, 10};
  std::vector<uint8_t> header;
  Put32(header, static_cast<uint32_t>(rgb.width));
  Put32(header, static_cast<uint32_t>(rgb.height));
  header.insert(header.end(), {8, 6, 0, 0, 0});
  AppendPngChunk(out, "IHDR", header);
  // Split in two IDAT chunks, as some writers do.
  AppendPngChunk(out, "IDAT", std::vector<uint8_t>(packed.begin(), packed.begin() + packed.size() / 2));
  AppendPngChunk(out, "IDAT", std::vector<uint8_t>(packed.begin() + packed.size() / 2, packed.end()));
  AppendPngChunk(out, "IEND", {});
  return out;
}

}  // namespace

TEST(PngImageTest, WrittenPicturesReadBack) {
  for (int channels : {1, 3}) {
    const PngImage image = Gradient(37, 11, channels);
    const std::vector<uint8_t> bytes = EncodePng(image);
    PngImage read;
    ASSERT_TRUE(DecodePng(bytes.data(), bytes.size(), &read)) << channels;
    EXPECT_EQ(read.width, 37);
    EXPECT_EQ(read.height, 11);
    EXPECT_EQ(read.channels, channels);
    EXPECT_EQ(read.pixels, image.pixels);
  }
}

TEST(PngImageTest, EveryRowFilterAndAlphaRead) {
  const PngImage rgb = Gradient(23, 10, 3);
  const std::vector<uint8_t> bytes = FilteredRgbaPng(rgb);
  PngImage read;
  std::string why;
  ASSERT_TRUE(DecodePng(bytes.data(), bytes.size(), &read, &why)) << why;
  EXPECT_EQ(read.channels, 3);
  EXPECT_EQ(read.pixels, rgb.pixels);
}

TEST(PngImageTest, DamagedFilesAreRefusedWithAReason) {
  const std::vector<uint8_t> good = EncodePng(Gradient(9, 9, 3));
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> badSum = good;
  badSum[20] ^= 1;  // inside the header chunk
  std::vector<uint8_t> huge = good;
  huge[16] = 0x7F;  // width far beyond any picture
  for (const Case& c : {Case{"empty", {}}, Case{"cut in the data", std::vector<uint8_t>(good.begin(), good.end() - 20)},
                        Case{"signature only", std::vector<uint8_t>(good.begin(), good.begin() + 8)},
                        Case{"check sum", badSum}, Case{"size", huge}}) {
    PngImage read;
    std::string why;
    EXPECT_FALSE(DecodePng(c.bytes.data(), c.bytes.size(), &read, &why)) << c.name;
    EXPECT_FALSE(why.empty()) << c.name;
  }
}

TEST(ReviewedPictureTest, SmallDifferencesPassAndLargeOnesFailWithADiffImage) {
  ScratchFolder folder;
  const auto path = [&](const char16_t* name) { return Utf16ToUtf8(folder.File(name).c_str()); };
  const std::string reviewed = path(u"page.png");
  const PngImage picture = Gradient(40, 40, 3);
  ASSERT_TRUE(WritePng(reviewed, picture));

  PngImage shaded = picture;  // anti-aliasing shifts: within the level
  for (uint8_t& p : shaded.pixels) p = static_cast<uint8_t>(p ^ 0x10);
  ExpectMatchesReviewed(shaded, reviewed, path(u"shaded"));

  PngImage marked = picture;  // 5 of 1600 pixels far off: within the share
  for (int i = 0; i < 5; ++i) marked.pixels[i * 3 * 41] ^= 0x80;
  EXPECT_EQ(DifferingPixels(marked, picture, 64, nullptr), 5);
  ExpectMatchesReviewed(marked, reviewed, path(u"marked"));

  PngImage moved = picture;  // a block moved: fails
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) moved.pixels[(y * 40 + x) * 3] ^= 0x80;
  const std::string prefix = path(u"moved");
  EXPECT_NONFATAL_FAILURE(ExpectMatchesReviewed(moved, reviewed, prefix), "100 pixels differ");
  PngImage diff;
  ASSERT_TRUE(ReadPng(prefix + "-diff.png", &diff));
  EXPECT_EQ(diff.pixels[0], 255);  // red where the block moved
  EXPECT_EQ(diff.pixels[1], 0);

  EXPECT_NONFATAL_FAILURE(ExpectMatchesReviewed(Gradient(41, 40, 3), reviewed, prefix), "the reviewed one 40x40x3");
  EXPECT_NONFATAL_FAILURE(ExpectMatchesReviewed(picture, path(u"none.png"), prefix), "no reviewed picture");
}
