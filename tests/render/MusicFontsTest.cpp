// The glyph table, the music fonts and glyph drawing, on a recording device.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "render/DrawingState.h"
#include "render/GlyphTable.h"
#include "render/MusicFonts.h"
#include "render/RecordingDevice.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/TestText.h"

namespace {

class MusicFontsTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetDrawingState();
    ResetMusicFontSet();
    BuildGlyphTable();
    DrawingState().dc = &device;
    DrawingState().scale = 1.0;
    SetVisibleWorldRect({0, 0, 1000, 1000});
  }
  void TearDown() override {
    ResetMusicFontSet();
    ResetDrawingState();
    SetMusicFontFaultsAssert(true);
  }
  bool Drew(const std::string& prefix) const {
    for (const std::string& l : device.Lines())
      if (l.rfind(prefix, 0) == 0) return true;
    return false;
  }
  RecordingDevice device;
};

TEST_F(MusicFontsTest, GlyphTableFindsExactNamesOnly) {
  EXPECT_EQ(GlyphTableCount(), kGlyphRowCount);
  BuildGlyphTable();
  EXPECT_EQ(GlyphTableCount(), kGlyphRowCount);
  const GlyphRow* dot = FindGlyph("dot");
  ASSERT_NE(dot, nullptr);
  EXPECT_EQ(dot - GlyphTableRow(0), 17);  // row 18
  EXPECT_EQ(dot->code, u'.');
  EXPECT_EQ(FindGlyph("Dot"), nullptr);
  EXPECT_EQ(FindGlyph("rdot")->code, 46);
  ASSERT_NE(FindGlyph("ts+"), nullptr);
  EXPECT_EQ(GlyphTableRow(86)->name, std::string("ts+"));
  EXPECT_EQ(FindGlyph("segno")->code, 177);
  // Names are unique.
  for (int i = 0; i < GlyphTableCount(); ++i) EXPECT_EQ(FindGlyph(GlyphTableRow(i)->name), GlyphTableRow(i));
}

TEST_F(MusicFontsTest, LogicalFontHeights) {
  struct Case {
    double scale;
    bool printing;
    int size;
    int height;
  } cases[] = {
      {1.33, false, 720, -239},  // trunc(900 * 2.66) = 2394
      {1.0, true, 480, -960},    // trunc(600 * 16) / 10
      {1.0, false, 720, -180},
      {2.0, false, 320, -160},
  };
  for (const Case& c : cases) {
    DrawingState().scale = c.scale;
    DrawingState().printing = c.printing;
    const render::FontRequest r = DisplayFontRequest(kMusicFontFace, c.size, c.size, 0, true, true, true);
    EXPECT_EQ(r.height, c.height) << c.scale << " " << c.size;
    EXPECT_EQ(r.quality, 4);
  }
  const render::FontRequest text = DisplayFontRequest(u"Arial", 100, 0, 3, true, true, false);
  EXPECT_EQ(text.weight, 700);
  EXPECT_TRUE(text.italic);
  EXPECT_EQ(text.quality, 0);
  EXPECT_EQ(DisplayFontRequest(u"Arial", 100, 0, 0, true, false, false).quality, 3);
}

TEST_F(MusicFontsTest, WidthZeroMakesOneFontAndAWidthIsMeasuredFirst) {
  const render::FontHandle plain = CreateDisplayFont(&device, u"Arial", 100, 0, 0, false, true, false);
  EXPECT_NE(plain, 0u);
  EXPECT_EQ(device.Lines().size(), 1u);
  device.Clear();
  CreateMusicFonts(&device, false);
  // Each music font: made, measured, deleted and made again with its width.
  int made = 0;
  for (const std::string& l : device.Lines()) made += l.rfind("font ", 0) == 0;
  EXPECT_EQ(made, 6);
  device.Clear();
  CreateMusicFonts(&device, false);
  EXPECT_TRUE(device.Lines().empty());
}

TEST_F(MusicFontsTest, GlyphIsDrawnInTheMusicFontAndTheTextFontComesBack) {
  SetDrawColourValue(0x0000FF);
  DrawGlyph("sharp", 100, -50, 8, 0, 0, -1);
  const std::vector<std::string>& l = device.Lines();
  ASSERT_GE(l.size(), 4u);
  EXPECT_EQ(l[l.size() - 4], "select " + std::to_string(MusicFontSet().fonts[0]));
  EXPECT_EQ(l[l.size() - 3], "textcolour #0000FF");
  EXPECT_EQ(l[l.size() - 2], "text 200 100 \"#\"");
  EXPECT_EQ(l[l.size() - 1], "select 0");
  EXPECT_FALSE(MusicFontSet().musicFontSelected);
  device.Clear();
  DrawGlyph("sharp", 100, -50, 8, 0, 1, 2);  // the variant draws the next code
  EXPECT_TRUE(Drew("text 200 100 \"$\""));
  device.Clear();
  DrawGlyph("nosuchglyph", 100, -50, 8, 0, 0, -1);
  DrawGlyph("sharp", 5000, -50, 8, 0, 0, -1);  // outside the visible rectangle
  EXPECT_FALSE(Drew("text"));
}

TEST_F(MusicFontsTest, MissingMusicFontIsInstalledOnceAndSaidOnceAndNoGlyphIsDrawn) {
  device.RemoveFace(kMusicFontFace);
  device.RefuseInstall(true);
  BoxRecorder boxes;
  for (int i = 0; i < 3; ++i) {
    DrawGlyph("chead", 100, -50, 8, 0, 0, -1);
    CreateMusicFonts(&device, true);
  }
  EXPECT_EQ(device.InstallCalls(), 1);
  EXPECT_FALSE(Drew("text"));
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_NE(U8(boxes.Boxes()[0].text).find("KORVLN__.TTF"), std::string::npos);
}

TEST_F(MusicFontsTest, MissingFaceThatInstallsIsUsed) {
  device.RemoveFace(kMusicFontFace);
  DrawGlyph("chead", 100, -50, 8, 0, 0, -1);
  EXPECT_EQ(device.InstallCalls(), 1);
  EXPECT_TRUE(Drew("text 200 100 \"A\""));
}

TEST_F(MusicFontsTest, FontSelectedOutOfTurnIsRestoredAndDrawingGoesOn) {
  SetMusicFontFaultsAssert(false);
  CreateMusicFonts(&device, false);
  RestoreTextFont();  // none selected
  EXPECT_EQ(MusicFontSet().fontFaults, 1);
  SelectMusicFont(0);
  SelectMusicFont(1);  // twice: the first is put back first
  EXPECT_EQ(MusicFontSet().fontFaults, 2);
  EXPECT_TRUE(MusicFontSet().musicFontSelected);
  EXPECT_EQ(MusicFontSet().savedTextFont, 0u);
  RestoreTextFont();
  EXPECT_FALSE(MusicFontSet().musicFontSelected);
  DrawGlyph("chead", 100, -50, 8, 0, 0, -1);
  EXPECT_TRUE(Drew("text"));
}

TEST_F(MusicFontsTest, LayoutOnlyPassDrawsNoGlyph) {
  DrawingState().LayoutOnlyFlag = 1;
  DrawGlyph("chead", 100, -50, 8, 0, 0, -1);
  DrawBracketGlyph(10, -50, 80);
  EXPECT_TRUE(device.Lines().empty());
}

TEST_F(MusicFontsTest, BraceIsDrawnInAFontOfItsOwnAndDeleted) {
  DrawBracketGlyph(10, -50, 80);
  EXPECT_TRUE(Drew("text 20 100 \"{\""));
  EXPECT_EQ(device.Lines().back().rfind("delete ", 0), 0u);
  EXPECT_FALSE(MusicFontSet().musicFontSelected);
}

TEST_F(MusicFontsTest, ZoomIsSnappedAndTheMusicFontsFollowIt) {
  const double cases[][2] = {{0.995, 1.0}, {1.005, 1.0}, {1.335, 1.33}, {2.009, 2.0}, {1.5, 1.5}, {0.5, 0.5}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(SnapScoreZoom(c[0]), c[1]) << c[0];
  CreateMusicFonts(&device, false);
  device.Clear();
  SetScoreZoom(1.331, &device);
  EXPECT_DOUBLE_EQ(DrawingState().scale, 1.33);
  bool remade = false;
  for (const std::string& l : device.Lines()) remade |= l.find("\"Korvalinde Extra\" h -239") != std::string::npos;
  EXPECT_TRUE(remade) << device.Text();
}

TEST_F(MusicFontsTest, BraceOfADamagedRecordIsNotDrawn) {
  for (double height : {0.0, -50.0, 1e12, std::nan("")}) DrawBracketGlyph(10, -50, height);
  EXPECT_TRUE(device.Lines().empty()) << device.Text();
  DrawingState().printing = 1;
  const render::FontRequest huge = DisplayFontRequest(kMusicFontFace, 2000000000, 0, 0, true, true, true);
  EXPECT_EQ(huge.height, -100000);
}

}  // namespace
