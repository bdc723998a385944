#include <gtest/gtest.h>

#include <cstring>

#include "tests/pages/ImageFixtures.h"
#include "tests/support/TestText.h"
#include "pages/SpriteArea.h"
#include "pages/SpriteStrings.h"

namespace {

struct LayoutCase {
  uint32_t mode;
  uint32_t width;
  uint32_t height;
  uint32_t storedMode;
  uint32_t widthWords;
  uint32_t unusedBits;
};

class CreateSpriteLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(CreateSpriteLayout, WritesHeaderFieldsAndComputesWidthBack) {
  const LayoutCase& c = GetParam();
  auto area = MakeArea(4096);
  ASSERT_EQ(CreateSprite(area.data(), "scanned", c.width, c.height, c.mode), nullptr);
  EXPECT_EQ(SpriteWord(area.data(), kSpriteMode), c.storedMode);
  EXPECT_EQ(SpriteWord(area.data(), kSpriteWidthWords), c.widthWords);
  EXPECT_EQ(SpriteWord(area.data(), kSpriteUnusedBits), c.unusedBits);
  EXPECT_EQ(SpriteWord(area.data(), kSpriteHeightRows), c.height - 1);
  uint32_t imageBytes = (c.widthWords + 1) * 4 * c.height;
  EXPECT_EQ(SpriteWord(area.data(), kSpriteNextOffset), imageBytes);
  EXPECT_EQ(AreaWord(area.data(), kAreaFreeOffset), imageBytes + 16);
  EXPECT_EQ(AreaWord(area.data(), kAreaCountOffset), 1u);
  EXPECT_EQ(SpriteWord(area.data(), kSpriteImageField), 44u);
  SpriteInfo info{};
  ASSERT_EQ(GetSpriteInfo(area.data(), "scanned", &info), nullptr);
  EXPECT_EQ(info.width, c.width);
  EXPECT_EQ(info.height, c.height);
}

INSTANTIATE_TEST_SUITE_P(Modes, CreateSpriteLayout,
                         ::testing::Values(LayoutCase{18, 1, 3, 18, 0, 31}, LayoutCase{25, 1, 3, 18, 0, 31},
                                           LayoutCase{18, 75, 10, 18, 2, 21}, LayoutCase{20, 9, 2, 20, 1, 28},
                                           LayoutCase{27, 9, 2, 20, 1, 28}, LayoutCase{21, 5, 2, 21, 1, 24},
                                           LayoutCase{28, 8, 2, 21, 1, 0}));

TEST(CreateSprite, RefusesUnsupportedModesAndNullAreas) {
  auto area = MakeArea(4096);
  for (uint32_t mode : {19u, 22u, 23u, 24u, 26u, 17u, 29u}) {
    SpriteError* e = CreateSprite(area.data(), "x", 8, 8, mode);
    ASSERT_NE(e, nullptr) << mode;
    EXPECT_EQ(std::u16string(e->errorText), UiText(kStrScreenModeNotSupported));
    EXPECT_EQ(e->errorCode, 0u);
  }
  SpriteError* e = CreateSprite(nullptr, "x", 8, 8, 18);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(std::u16string(e->errorText), UiText(kStrSpriteNameNotFound));
}

TEST(CreateSprite, NeedsImageBytesPlusSixtyInTheArea) {
  // 75 x 10 at 1 bit: 12 bytes a row, 120 bytes.
  auto exact = MakeArea(180);
  EXPECT_EQ(CreateSprite(exact.data(), "scanned", 75, 10, 18), nullptr);
  auto shortArea = MakeArea(200);
  SetAreaWord(shortArea.data(), kAreaSizeOffset, 179);
  SpriteError* e = CreateSprite(shortArea.data(), "scanned", 75, 10, 18);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(std::u16string(e->errorText), UiText(kStrBitmapMemoryTooSmall));
  EXPECT_EQ(AreaWord(shortArea.data(), kAreaCountOffset), 0u) << "a failed create leaves the area alone";
}

TEST(FindSprite, ComparesTheNameExactly) {
  auto area = MakeArea(256);
  ASSERT_EQ(CreateSprite(area.data(), "scanned", 8, 8, 18), nullptr);
  uint8_t* header = nullptr;
  EXPECT_EQ(FindSprite(area.data(), "scanned", &header), nullptr);
  EXPECT_EQ(header, area.data() + 16);
  SpriteError* e = FindSprite(area.data(), "Scanned", &header);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(std::u16string(e->errorText), UiText(kStrSpriteNameNotFound));
  EXPECT_NE(FindSprite(area.data(), "scan", &header), nullptr);
  EXPECT_NE(FindSprite(nullptr, "scanned", &header), nullptr);
}

TEST(GetSpriteName, GivesSpriteOneOnly) {
  auto area = MakeArea(256);
  ASSERT_EQ(CreateSprite(area.data(), "twelve_chars", 8, 8, 18), nullptr);
  char name[13] = "junk";
  EXPECT_EQ(GetSpriteName(area.data(), name, 1), 12);
  EXPECT_STREQ(name, "twelve_chars");
  EXPECT_EQ(GetSpriteName(area.data(), name, 2), 0);
  EXPECT_STREQ(name, "");
  std::strcpy(name, "kept");
  EXPECT_EQ(GetSpriteName(nullptr, name, 1), 0);
  EXPECT_STREQ(name, "kept");
}

TEST(GetSpriteScaling, GivesUnitScaleAndIdentityMap) {
  auto area = MakeArea(512);
  ASSERT_EQ(CreateSprite(area.data(), "scanned", 8, 8, 20), nullptr);
  SpriteScale scale{};
  uint8_t map[256] = {};
  ASSERT_EQ(GetSpriteScaling(area.data(), &scale, map), nullptr);
  EXPECT_EQ(scale.xmul, 1);
  EXPECT_EQ(scale.ydiv, 1);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(map[i], i);
  SetSpriteWord(area.data(), kSpriteMode, 19);
  EXPECT_NE(GetSpriteScaling(area.data(), &scale, map), nullptr);
}

}  // namespace
