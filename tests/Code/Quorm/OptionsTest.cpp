#include <gtest/gtest.h>

#include "Code/Quorm/options.h"

namespace {

TEST(EngineOptions, Defaults) {
  EXPECT_STREQ(GetImageNameOption(), "unknown");
  EXPECT_STREQ(GetLogPathOption(), "");
  EXPECT_STREQ(GetLanguageOption(), "English");
  EXPECT_EQ(GetShowErrorOption(), 0);
  EXPECT_EQ(GetPostErrorOption(), 0);
  EXPECT_EQ(GetUseOldReferencesOption(), 1);
  EXPECT_EQ(GetNoteheadClass2Option(), 0);
  EXPECT_EQ(GetNoteheadModel4Option(), 1);
  EXPECT_EQ(GetNoteheadModels5to7Option(), 0);
  EXPECT_EQ(GetBeamWidthOption(), 0);
  EXPECT_EQ(GetPageDescriptionOption(), 0);
  EXPECT_EQ(GetTextFinderOptionA(), 1);
  EXPECT_EQ(GetTextFinderOptionB(), 1);
  EXPECT_EQ(GetTextStaffRuleA(), 0);
  EXPECT_EQ(GetTextStaffRuleB(), 0);
}

TEST(EngineOptions, CharacterTable) {
  struct Case {
    int c, enabled;
  };
  const Case cases[] = {{'A', 1}, {'0', 1}, {'!', 1}, {'}', 1}, {'z', 1}, {' ', 0}, {'%', 0}, {'<', 0},
                        {'>', 0}, {'^', 0}, {'~', 0}, {0x7F, 0}, {0x00, 0}, {0x87, 1}, {0x88, 1}, {0x89, 0},
                        {0x90, 1}, {0x91, 1}, {0x94, 1}, {0x95, 1}, {0x96, 1}, {0x9E, 1}, {0x9F, 1}, {0xA0, 0},
                        {0xE9, 0}, {0xFF, 0}};
  for (const Case& c : cases) EXPECT_EQ(IsCharacterEnabled(static_cast<unsigned char>(c.c)), c.enabled) << c.c;
  int enabled = 0;
  for (int c = 0; c < 256; ++c) enabled += IsCharacterEnabled(static_cast<unsigned char>(c));
  EXPECT_EQ(enabled, (0x7D - 0x21 + 1) - 4 + 9);
}

}  // namespace
