// Size rules, joined staves and the composite marks built on them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "DrawingSetUp.h"
#include "pages/CurrentPageData.h"
#include "render/Colours.h"
#include "render/GlyphTable.h"
#include "render/MusicFonts.h"
#include "render/RecordingDevice.h"
#include "render/SizeRules.h"
#include "score/ScoreStream.h"

namespace {

class SizeRulesTest : public testing::Test {
 protected:
  void SetUp() override {
    StartDrawingOn(&device, {-1, 0xC8D0D4, 0xFFFFFF, 0x808080, 0, 0x808080});
    std::memset(PartNameTable, 0, sizeof PartNameTable);
    for (int i = 0; i < kPartSlots; ++i) {
      PartTablatureFlags[i] = {0, 0};
      PartSmallStave[i] = 0;
    }
    ScorePageStaves.count = 0;
    for (int i = 0; i < kStaveSlots; ++i) StavePartSlot[i] = i;
  }
  void TearDown() override {
    SetShadingState(false, false);
    SetPartLabelDrawer(nullptr);
    ScorePageStaves.count = 0;
    EndDrawing();
  }
  // Staves 0..n-1 in the given groups; stave i belongs to part slot i.
  void Staves(std::initializer_list<int> groups) {
    int i = 0;
    for (int g : groups) ScorePageStaves.rows[i++].group = static_cast<int16_t>(g);
    ScorePageStaves.count = static_cast<uint32_t>(i);
  }
  void Name(int slot, const char16_t* name) {
    for (int i = 0; name[i]; ++i) PartNameTable[slot][i] = name[i];
  }
  RecordingDevice device;
};

TEST_F(SizeRulesTest, CueNotesAndSmallStaves) {
  SetSmallNotes(1);
  EXPECT_EQ(SmallNoteSize(10), 6);
  EXPECT_EQ(SmallNoteSize(-10), -6);
  PartSmallStave[3] = 1;
  SetCurrentStaff(0, 3);
  EXPECT_EQ(SymbolSizeInt(30), 13);
  EXPECT_DOUBLE_EQ(SymbolSizeReal(9.0), 4.0);
  EXPECT_EQ(MusicFontIndex(), 2);
  EXPECT_DOUBLE_EQ(StaffStepFactor(), 4.0 * 2 / 3);
  SetSmallNotes(0);
  EXPECT_EQ(StaveSizeInt(10), 6);
  EXPECT_DOUBLE_EQ(StaveSizeReal(3.0), 2.0);
  EXPECT_EQ(MusicFontIndex(), 1);
  SetCurrentStaff(0, 2);
  EXPECT_EQ(MusicFontIndex(), 0);
  EXPECT_EQ(StaveScaleUnits(3), 4);
  EXPECT_EQ(StaveScaleUnits(2), 6);
  EXPECT_EQ(StaveScaleUnits(99), 6);
  SetCurrentStaff(0, 500);  // outside the part slots: an ordinary staff
  EXPECT_EQ(StaveSizeInt(9), 9);
}

TEST_F(SizeRulesTest, ScreenAndPaperConstants) {
  EXPECT_DOUBLE_EQ(PrintFactorSmall(), 1.0);
  EXPECT_DOUBLE_EQ(PrintFactorLarge(), 4.0);
  EXPECT_DOUBLE_EQ(StaffStepOffset(), 2.0);
  DrawingState().printing = 1;
  EXPECT_DOUBLE_EQ(PrintFactorSmall(), 0.71);
  EXPECT_DOUBLE_EQ(PrintFactorLarge(), 3.5);
  EXPECT_DOUBLE_EQ(StaffStepOffset(), 2.38);
  EXPECT_DOUBLE_EQ(StaffStepFactor(), 3.53);
}

TEST_F(SizeRulesTest, JoinedStavesTable) {
  struct Case {
    const char16_t* nameA;
    const char16_t* nameB;
    int16_t tabA, tabB;
    uint32_t kindA, kindB;
    int16_t smallA, smallB;
    bool joined;
  } cases[] = {
      {u"", u"", 0, 0, 0, 4, 0, 0, false},         // kinds differ, one above 3
      {u"", u"", 0, 0, 0, 2, 0, 0, true},          // kinds differ, both up to 3, same size
      {u"", u"", 0, 0, 5, 5, 0, 1, false},         // one small stave
      {u"", u"", 0, 1, 5, 5, 0, 0, false},         // tablature and not
      {u"Piano", u"Piano", 1, 0, 6, 5, 1, 0, true},  // same name, whatever the flags
      {u"Piano", u"Organ", 0, 0, 5, 5, 0, 0, false},
      {u"Piano", u"", 0, 0, 5, 5, 0, 0, false},
  };
  Staves({1, 1});
  for (const Case& c : cases) {
    std::memset(PartNameTable, 0, sizeof PartNameTable);
    Name(0, c.nameA);
    Name(1, c.nameB);
    PartTablatureFlags[0] = {c.tabA, c.kindA};
    PartTablatureFlags[1] = {c.tabB, c.kindB};
    PartSmallStave[0] = c.smallA;
    PartSmallStave[1] = c.smallB;
    EXPECT_EQ(StavesJoinedInPart(1), c.joined) << c.kindA << "/" << c.kindB;
    EXPECT_EQ(JoinedToStaveBelow(0), c.joined);
  }
  EXPECT_FALSE(StavesJoinedInPart(0));
  EXPECT_FALSE(StavesJoinedInPart(2));  // the stave count
  Staves({1, 2});
  EXPECT_FALSE(StavesJoinedInPart(1));
  EXPECT_FALSE(SameGroupAsBelow(0));
  EXPECT_FALSE(SameGroupAsBelow(1));
}

int LabelCalls = 0;
void CountLabel(int, uint32_t, uint32_t, int32_t, int32_t) { ++LabelCalls; }

TEST_F(SizeRulesTest, BraceOnlyAtThePartsLastStaff) {
  Staves({1, 1, 1});
  SetPartLabelDrawer(CountLabel);
  LabelCalls = 0;
  PartBraceRecord middle{1, -100, 50.0, -180.0, 1, 0, 3, 4};
  DrawPartBrace(middle);  // joined to the stave below
  EXPECT_TRUE(device.Lines().empty());
  PartBraceRecord last{2, -100, 50.0, -300.0, 1, 0, 3, 4};
  DrawPartBrace(last);
  bool brace = false;
  for (const std::string& l : device.Lines()) brace |= l.size() > 4 && l.substr(l.size() - 3) == "\"{\"";
  EXPECT_TRUE(brace) << device.Text();
  EXPECT_EQ(LabelCalls, 1);
}

TEST_F(SizeRulesTest, BarSegmentsWithoutAnUpperPieceKeepTheColour) {
  SelectDrawColour(11);
  const double next = DrawBarSegments(10, 20, 0, 40, 30, 11, 2);
  EXPECT_DOUBLE_EQ(next, 15.0);
  ASSERT_EQ(device.Lines().size(), 1u);
  EXPECT_EQ(DrawingState().colour, ColourTable[11]);
  device.Clear();
  SetShadingState(true, false);
  DrawBarSegments(10, 20, 10, 40, 30, 11, 2);
  ASSERT_EQ(device.Lines().size(), 2u);
  EXPECT_NE(device.Lines()[0].find("#999999"), std::string::npos);  // colour 3
  EXPECT_EQ(DrawingState().colour, ColourTable[11]);
}

TEST_F(SizeRulesTest, RepeatDotsAreTwoDotGlyphs) {
  EXPECT_DOUBLE_EQ(DrawRepeatDots(100, 50, 8, 0, 6), 105.0);
  int dots = 0;
  for (const std::string& l : device.Lines()) dots += l.rfind("text ", 0) == 0 && l.find("\".\"") != std::string::npos;
  EXPECT_EQ(dots, 2);
}

}  // namespace
