// The pictures, help document and tips pages made at build time: the headers
// of the BMP and ICO files written by make_pictures.py, the structure of the
// PDF written by make_pdf.py.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

struct BmpCase {
  const char* name;
  int32_t width, height;
  uint16_t bits;
  bool keyed;  // the bottom-left pixel is the transparent magenta
};

class BuiltBitmaps : public testing::TestWithParam<BmpCase> {};

TEST_P(BuiltBitmaps, HaveWindowsBitmapHeadersAndRows) {
  const BmpCase c = GetParam();
  const std::vector<uint8_t> b = ReadBytes(BuildPath(std::string("generated/pictures/") + c.name));
  ASSERT_GT(b.size(), 54u) << c.name;
  EXPECT_EQ('B', b[0]);
  EXPECT_EQ('M', b[1]);
  EXPECT_EQ(b.size(), U32(b, 2));
  const uint32_t offset = U32(b, 10);
  EXPECT_EQ(40u, U32(b, 14));
  EXPECT_EQ(static_cast<uint32_t>(c.width), U32(b, 18));
  EXPECT_EQ(static_cast<uint32_t>(c.height), U32(b, 22));  // positive: bottom-up rows
  EXPECT_EQ(1, U16(b, 26));
  EXPECT_EQ(c.bits, U16(b, 28));
  EXPECT_EQ(0u, U32(b, 30));  // no compression
  const uint32_t colours = U32(b, 46);
  EXPECT_EQ(c.bits == 8 ? 240u : 0u, colours);
  EXPECT_EQ(54 + 4 * colours, offset);
  const uint32_t stride = (static_cast<uint32_t>(c.width) * c.bits / 8 + 3) & ~3u;
  EXPECT_EQ(stride * c.height, U32(b, 34));
  EXPECT_EQ(offset + stride * c.height, b.size());
  if (c.keyed) {
    EXPECT_EQ(0xFF, b[offset]);      // blue
    EXPECT_EQ(0x00, b[offset + 1]);  // green
    EXPECT_EQ(0xFF, b[offset + 2]);  // red
  }
}

INSTANTIATE_TEST_SUITE_P(Pictures, BuiltBitmaps,
                         testing::Values(BmpCase{"splash.bmp", 473, 384, 24, false},
                                         BmpCase{"splash8.bmp", 473, 384, 8, false},
                                         BmpCase{"clefs.bmp", 391, 58, 24, true},
                                         BmpCase{"barlines.bmp", 175, 27, 24, true},
                                         BmpCase{"symbols.bmp", 225, 35, 24, true},
                                         BmpCase{"toolbar.bmp", 720, 18, 24, true},
                                         BmpCase{"keypad.bmp", 288, 18, 24, true}));

class BuiltIcons : public testing::TestWithParam<const char*> {};

TEST_P(BuiltIcons, HoldA32And16PixelImage) {
  const std::vector<uint8_t> b = ReadBytes(BuildPath(std::string("generated/pictures/") + GetParam()));
  ASSERT_GT(b.size(), 38u);
  EXPECT_EQ(0, U16(b, 0));
  EXPECT_EQ(1, U16(b, 2));  // an icon
  ASSERT_EQ(2, U16(b, 4));
  const int sizes[] = {32, 16};
  uint32_t expectedOffset = 6 + 16 * 2;
  for (int i = 0; i < 2; ++i) {
    const size_t entry = 6 + 16 * i;
    const int size = sizes[i];
    EXPECT_EQ(size, b[entry]);
    EXPECT_EQ(size, b[entry + 1]);
    EXPECT_EQ(32, U16(b, entry + 6));
    const uint32_t length = U32(b, entry + 8), offset = U32(b, entry + 12);
    EXPECT_EQ(expectedOffset, offset);
    const uint32_t maskStride = ((size + 31) / 32) * 4;
    EXPECT_EQ(40 + size * size * 4 + maskStride * size, length);
    ASSERT_LE(offset + length, b.size());
    EXPECT_EQ(40u, U32(b, offset));
    EXPECT_EQ(static_cast<uint32_t>(size), U32(b, offset + 4));
    EXPECT_EQ(static_cast<uint32_t>(size * 2), U32(b, offset + 8));  // colour and mask
    expectedOffset += length;
  }
  EXPECT_EQ(expectedOffset, b.size());
}

INSTANTIATE_TEST_SUITE_P(Pictures, BuiltIcons, testing::Values("program.ico", "score.ico", "page.ico"));

TEST(HelpDocuments, ThePdfHasItsObjectsWhereItsCrossReferenceSays) {
  const std::vector<uint8_t> b = ReadBytes(BuildPath("bin/Resources/VKD Help.pdf"));
  const std::string text(b.begin(), b.end());
  ASSERT_EQ(0u, text.rfind("%PDF-1.4\n", 0));
  ASSERT_GE(text.size(), 6u);
  EXPECT_EQ("%%EOF\n", text.substr(text.size() - 6));
  const size_t start = text.rfind("startxref\n");
  ASSERT_NE(std::string::npos, start);
  const size_t xref = std::stoul(text.substr(start + 10));
  ASSERT_EQ(0u, text.compare(xref, 5, "xref\n"));
  const size_t countAt = xref + 7;  // "xref\n0 N"
  const int count = std::stoi(text.substr(countAt));
  ASSERT_GT(count, 4);
  size_t row = text.find('\n', countAt) + 1 + 20;  // past object 0's row
  for (int object = 1; object < count; ++object, row += 20) {
    const size_t at = std::stoul(text.substr(row, 10));
    EXPECT_EQ(0u, text.compare(at, std::to_string(object).size() + 6, std::to_string(object) + " 0 obj"))
        << object;
  }
  EXPECT_NE(std::string::npos, text.find("(Velmorant Korvalinde Help) Tj"));
}

TEST(HelpDocuments, TheTipsPagesAreShipped) {
  for (const char* name : {"bin/Resources/ScanTipsL.htm", "bin/Resources/HandwritingTips.htm"}) {
    const std::vector<uint8_t> b = ReadBytes(BuildPath(name));
    const std::string text(b.begin(), b.end());
    EXPECT_NE(std::string::npos, text.find("<h1>")) << name;
  }
}

}  // namespace
