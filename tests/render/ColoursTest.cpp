// The colour table for true-colour, palette and 16-colour displays, the
// shared palette and the printable colours.
#include <gtest/gtest.h>

#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/RecordingDevice.h"

namespace {

render::DisplayCaps Caps(int numColours) {
  return {numColours, 0xC8D0D4, 0xFFFFFF, 0x808080, 0x000000, 0x808080};
}

render::Colour Dimmer(render::Colour c) { return c & 0xF0F0F0; }

class ColoursTest : public testing::Test {
 protected:
  void TearDown() override {
    SetNearestColourRule(nullptr);
    ResetDrawingState();
  }
};

TEST_F(ColoursTest, EntriesByDisplayDepth) {
  struct Case {
    int numColours;
    int entry;
    render::Colour value;
  } cases[] = {
      {-1, 1, 0xD8D8D8},  {-1, 2, 0xAAAAAA},  {-1, 12, 0xDAE5F2}, {-1, 15, 0xFAAAB4}, {-1, 19, 0xDADFE2},
      {-1, 27, 0xEFE0E0}, {-1, 28, 0x555555}, {-1, 16, 0xC8D0D4}, {-1, 20, 0x000000}, {-1, 22, 0},
      {256, 1, 0xC0C0C0}, {256, 2, 0x808080}, {256, 3, 0x999999}, {256, 12, 0xFFFFFF}, {256, 15, 0xFF0000},
      {256, 19, 0xC8D0D4}, {256, 27, 0x000000}, {256, 28, 0x000000}, {256, 9, 0x00EEEE},
      {16, 2, 0xC0C0C0},  {16, 3, 0xA0A0A0},  {16, 9, 0x00FFFF},  {16, 12, 0xFFFFFF}, {16, 15, 0xFF0000},
      {16, 11, 0x0000FF}, {16, 27, 0x000000}, {16, 24, 0xBBFFFF},
  };
  for (const Case& c : cases) {
    FillColourTables(Caps(c.numColours));
    EXPECT_EQ(ColourTable[c.entry], c.value) << "NUMCOLORS " << c.numColours << " entry " << c.entry;
  }
}

TEST_F(ColoursTest, SecondBlockGoesThroughTheNearestColour) {
  SetNearestColourRule(Dimmer);
  FillColourTables(Caps(-1));
  EXPECT_EQ(ColourTable[32], 0xF0F0F0u);
  EXPECT_EQ(ColourTable[56], Dimmer(0xFF6E3C));
  EXPECT_EQ(ColourTable[63], Dimmer(0x800080));
  EXPECT_EQ(ColourTable[54], 0u);
  // The first block is as set, and entries 16..19 are drawn as stored.
  EXPECT_EQ(ColourTable[1], 0xD8D8D8u);
  SelectDrawColour(19);
  EXPECT_EQ(DrawingState().colour, 0xDADFE2u);
  SelectDrawColour(1);
  EXPECT_EQ(DrawingState().colour, Dimmer(0xD8D8D8));
}

TEST_F(ColoursTest, SharedPaletteAndSpriteMap) {
  FillColourTables(Caps(-1));
  EXPECT_EQ(SharedPalette[0].red, 0xFF);
  EXPECT_EQ(SharedPalette[1].red, 233);
  EXPECT_EQ(SharedPalette[1].green, 230);
  EXPECT_EQ(SharedPalette[1].blue, 224);
  EXPECT_EQ(SharedPalette[11].red, 0xDD);  // 0x0000DD is red 0xDD
  EXPECT_EQ(SharedPalette[11].blue, 0);
  EXPECT_EQ(SharedPalette[64].red, 0);
  EXPECT_EQ(SharedPalette[95].red, 238 * 31 / 32);
  EXPECT_EQ(SharedPalette[95].blue, 206 * 31 / 32);
  EXPECT_EQ(SharedPalette[200].red, 0);
  EXPECT_EQ(SpriteColourMap[0], 255);
  EXPECT_EQ(SpriteColourMap[15], 9);
}

TEST_F(ColoursTest, XorFlagSetsTheDrawingModeWithTheColour) {
  RecordingDevice device;
  DrawingState().dc = &device;
  FillColourTables(Caps(-1));
  SelectDrawColour(7);
  EXPECT_TRUE(device.Lines().empty());
  SetXorDrawingFlag(true);
  SelectDrawColour(7);
  SelectDrawColour(11);
  SetXorDrawingFlag(false);
  SelectDrawColour(7);
  EXPECT_EQ(device.Text(), "rop xor\nrop copy\n");
}

TEST_F(ColoursTest, HighlightsPrintBlack) {
  EXPECT_EQ(PrintableColourIndex(56), 56);
  DrawingState().printing = 1;
  EXPECT_EQ(PrintableColourIndex(56), 7);
  EXPECT_EQ(PrintableColourIndex(57), 7);
  EXPECT_EQ(PrintableColourIndex(12), 12);
}

}  // namespace
