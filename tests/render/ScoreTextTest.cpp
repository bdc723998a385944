// Formatted score text on a recording device: runs, styles, the embedded
// crotchet, measuring from the build's metrics tables, the font cache.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "DrawingSetUp.h"
#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/GlyphTable.h"
#include "render/MusicFonts.h"
#include "render/RecordingDevice.h"
#include "render/ScoreText.h"
#include "render/TextMetrics.h"

namespace {

class ScoreTextTest : public testing::Test {
 protected:
  void SetUp() override {
    StartDrawingOn(&device, {-1, 0xC8D0D4, 0xFFFFFF, 0x808080, 0, 0x808080});
    DrawFormattedText(0, 0, nullptr, 7, 0, true, false, false);
    device.Clear();
  }
  void TearDown() override {
    DrawFormattedText(0, 0, nullptr, 7, 0, true, false, false);
    EndDrawing();
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const std::string& l : device.Lines())
      if (l.rfind("text ", 0) == 0) out.push_back(l);
    return out;
  }
  // Kind 14 ("Times New Roman" 12) with world placement at scale 1: 30 pixels.
  static int Width(const char16_t* run, bool bold) {
    const TextFaceMetrics* m = FaceMetricsFor(u"Times New Roman", bold, false);
    return MeasureTextPixels(*m, 30, run, static_cast<int>(std::char_traits<char16_t>::length(run)));
  }
  // The device x of a run whose pen lies w device pixels after world x 100
  // (DrawTextRun rounds its world x).
  static std::string At(int w) { return std::to_string(2 * static_cast<int>(std::lround(100 + w / 2.0))); }
  RecordingDevice device;
};

TEST_F(ScoreTextTest, EmptyTextAndCodesOnlyDrawNothing) {
  EXPECT_EQ(DrawFormattedText(10, -10, u"", 7, 14, true, false, false), 0);
  const char16_t codes[] = {13, 14, 0};
  EXPECT_EQ(DrawFormattedText(10, -10, codes, 7, 14, true, false, false), 0);
  EXPECT_TRUE(Texts().empty());
}

TEST_F(ScoreTextTest, ThreeRunsWithABoldMiddleFollowOneAnother) {
  const char16_t text[] = {u'o', u'n', u'e', u' ', 13, u't', u'w', u'o', u' ', 14, u't', u'h', u'r', u'e', u'e', 0};
  const int total = DrawFormattedText(100, -50, text, 7, 14, true, false, false);
  const int w1 = Width(u"one ", false) + 4, w2 = Width(u"two ", true) + 4, w3 = Width(u"three", false) + 4;
  EXPECT_EQ(total, w1 + w2 + w3);
  const std::vector<std::string> t = Texts();
  ASSERT_EQ(t.size(), 3u);
  // Device scale 2 at scale 1: each run starts its predecessor's width later.
  EXPECT_EQ(t[0], "text 200 100 \"one \"");
  EXPECT_EQ(t[1], "text " + At(w1) + " 100 \"two \"");
  EXPECT_EQ(t[2], "text " + At(w1 + w2) + " 100 \"three\"");
  // The bold run has a font of its own (weight 700).
  bool bold = false;
  for (const std::string& l : device.Lines()) bold |= l.find("\"Times New Roman\" h -30 w 0 wt 700") != std::string::npos;
  EXPECT_TRUE(bold) << device.Text();
}

TEST_F(ScoreTextTest, EmbeddedCrotchetLeavesNineUnitsWithAHeadAndAStem) {
  const char16_t text[] = {u'a', 4, u'b', 0};
  const int total = DrawFormattedText(100, -50, text, 7, 14, true, false, false);
  const int wa = Width(u"a", false) + 4, wb = Width(u"b", false) + 4;
  EXPECT_EQ(total, wa + 18 + wb);  // 9 units at device scale 2
  const std::vector<std::string> t = Texts();
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[1].substr(t[1].size() - 3), "\"A\"");  // the head, code of "chead"
  EXPECT_EQ(t[2], "text " + At(wa + 18) + " 100 \"b\"");
  bool stem = false;
  for (const std::string& l : device.Lines()) stem |= l.rfind("line ", 0) == 0;
  EXPECT_TRUE(stem);
}

TEST_F(ScoreTextTest, ControlRangeCharactersSplitRunsAndAreNotDrawn) {
  const char16_t text[] = {u'a', 0x85, u'b', 0};
  DrawFormattedText(100, -50, text, 7, 14, true, false, false);
  const std::vector<std::string> t = Texts();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].substr(t[0].size() - 3), "\"a\"");
  EXPECT_EQ(t[1].substr(t[1].size() - 3), "\"b\"");
}

TEST_F(ScoreTextTest, RightAlignmentEndsEachRunAtItsPen) {
  DrawFormattedText(100, -50, u"abc", 7, 14, true, true, false);
  const std::vector<std::string> t = Texts();
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0], "text " + std::to_string(200 - Width(u"abc", false)) + " 100 \"abc\"");
}

TEST_F(ScoreTextTest, LayoutOnlyPassMeasuresNothingAndMakesNoFont) {
  DrawingState().LayoutOnlyFlag = 1;
  EXPECT_EQ(DrawFormattedText(100, -50, u"abc", 7, 14, true, false, false), 0);
  EXPECT_TRUE(device.Lines().empty());
}

TEST_F(ScoreTextTest, FontsAreCachedUntilTheReset) {
  DrawFormattedText(100, -50, u"abc", 7, 14, true, false, false);
  DrawFormattedText(100, -80, u"def", 7, 14, true, false, false);
  int made = 0;
  for (const std::string& l : device.Lines()) made += l.rfind("font ", 0) == 0;
  EXPECT_EQ(made, 1);
  device.Clear();
  EXPECT_EQ(DrawFormattedText(0, 0, nullptr, 7, 0, true, false, false), -1);
  EXPECT_EQ(device.Lines().front().rfind("delete ", 0), 0u);
  EXPECT_EQ(device.Lines().back(), "textmode transparent baseline");
}

TEST_F(ScoreTextTest, TextColourIsThePrintableColour) {
  DrawingState().printing = 1;
  DrawFormattedText(100, -50, u"a", 56, 14, true, false, false);
  bool black = false;
  for (const std::string& l : device.Lines()) black |= l == "textcolour #000000";
  EXPECT_TRUE(black);
}

TEST_F(ScoreTextTest, GlyphColourMapForHighlightShadingAndPlain) {
  uint8_t source[64];
  for (int i = 0; i < 64; ++i) source[i] = static_cast<uint8_t>(i);
  uint8_t map[8];
  BuildGlyphColourMap(56, map, true, source);
  EXPECT_EQ(map[1], 0);
  EXPECT_EQ(map[3], 56);
  EXPECT_EQ(map[7], 56);
  SetShadingState(true, false);
  BuildGlyphColourMap(9, map, false, source);
  EXPECT_EQ(map[7], 3);
  BuildGlyphColourMap(7, map, false, source);
  EXPECT_EQ(map[7], 7);
  SetShadingState(false, false);
  BuildGlyphColourMap(9, map, true, source);
  EXPECT_EQ(map[1], 0);
  EXPECT_EQ(map[6], 6);
}

TEST_F(ScoreTextTest, FontKindTable) {
  EXPECT_EQ(std::u16string(GetTextFontDetails(27).face), u"MS Sans Serif");
  EXPECT_EQ(GetTextFontDetails(24).style, GetTextFontDetails(23).style);
  EXPECT_EQ(GetTextFontDetails(0).style, 1);
  EXPECT_EQ(GetTextFontDetails(40).face, nullptr);
  EXPECT_EQ(GetTextFontDetails(40).size, 40);
}

}  // namespace
