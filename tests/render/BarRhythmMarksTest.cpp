// The rhythm marks of "Show bad timing" on a recording device: what a bar's
// voice times draw, and the open-bar marker.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DrawingSetUp.h"
#include "render/BarRhythmMarks.h"
#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/GlyphTable.h"
#include "render/MusicFonts.h"
#include "render/RecordingDevice.h"
#include "render/ScorePagePainter.h"

namespace {

class BarRhythmMarksTest : public testing::Test {
 protected:
  void SetUp() override {
    StartDrawingOn(&device, kGreyFaceDisplay);
    PainterSettings() = ScorePainterSettings{};
    PainterSettings().showBadTiming = true;
  }
  void TearDown() override {
    PainterSettings() = ScorePainterSettings{};
    EndDrawing();
  }
  // The text line a glyph draws at world (x, y), drawn on a device of its own.
  std::string GlyphLine(const char* name, double x, double y) {
    RecordingDevice other;
    DrawingState().dc = &other;
    DrawGlyph(name, x, y, 8, 0, 0, -1);
    DrawingState().dc = &device;
    for (const std::string& l : other.Lines())
      if (l.rfind("text ", 0) == 0) return l;
    return "";
  }
  std::vector<std::string> Starting(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& l : device.Lines())
      if (l.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
  }
  RecordingDevice device;
};

constexpr double kX = 500, kTop = -100, kHeight = 40, kStart = 300;

struct MarkCase {
  const char* name;
  int32_t voice0;
  const char* sign;                  // "" for no mark
  std::vector<const char*> glyphs;   // the note symbols, in drawing order
};

TEST_F(BarRhythmMarksTest, VoiceZeroOfAFourFourBar) {
  const std::vector<MarkCase> cases = {
      {"four crotchets", 1024, "", {}},
      {"three crotchets", 768, "-", {"timecount5"}},
      {"five crotchets", 1280, "+", {"timecount5"}},
      {"short by 388", 1024 - 388, "-", {"timecount5", "timecount4", "rdot"}},
      {"within the tolerance", 1020, "", {}},
  };
  for (const MarkCase& c : cases) {
    SCOPED_TRACE(c.name);
    device.Clear();
    VoiceTotals times;
    times.t[0] = c.voice0;
    bool tuplets[kRhythmVoices] = {};
    DrawBarRhythmMark(&times, 4, 5, kX, kTop, tuplets, true, kStart, kHeight);
    EXPECT_TRUE(times.AllZero());
    const std::vector<std::string> texts = Starting("text ");
    if (!*c.sign) {
      EXPECT_TRUE(device.Lines().empty()) << device.Text();
      continue;
    }
    // The sign, then the note symbols from 7 units right of x - 6, 8 apart;
    // the dots 3 apart after the notes.
    ASSERT_EQ(texts.size(), 1 + c.glyphs.size()) << device.Text();
    EXPECT_NE(texts[0].find(std::string("\"") + c.sign + "\""), std::string::npos) << texts[0];
    const double y = kTop + 5;
    double x = kX - 6 + 7;
    int dots = 0;
    for (size_t i = 0; i < c.glyphs.size(); ++i) {
      const bool dot = std::string(c.glyphs[i]) == "rdot";
      const double gx = dot ? x + 3 * dots++ : x;
      EXPECT_EQ(texts[1 + i], GlyphLine(c.glyphs[i], gx, y)) << c.glyphs[i];
      if (!dot) x += 8;
    }
    // Red dotted lines above and below the bar, each twice.
    EXPECT_EQ(Starting("line ").size(), 4u) << device.Text();
    for (const std::string& l : Starting("line ")) EXPECT_NE(l.find("dot 2 #0000FF"), std::string::npos) << l;
  }
}

TEST_F(BarRhythmMarksTest, FaultyVoicesStackUpwardInTheirColours) {
  VoiceTotals times;
  times.t[0] = 768;
  times.t[1] = 1280;  // longer than the bar
  bool tuplets[kRhythmVoices] = {};
  DrawBarRhythmMark(&times, -1, 0, kX, kTop, tuplets, true, kStart, kHeight);
  const std::vector<std::string> texts = Starting("text ");
  ASSERT_EQ(texts.size(), 4u) << device.Text();
  // Voice 1 first on the lower line, then voice 0 12 units above.
  EXPECT_EQ(texts[1], GlyphLine("timecount5", kX + 1, kTop + 5));
  EXPECT_EQ(texts[3], GlyphLine("timecount5", kX + 1, kTop + 17));
  EXPECT_NE(texts[0].find("\"+\""), std::string::npos);
  EXPECT_NE(texts[2].find("\"-\""), std::string::npos);
}

TEST_F(BarRhythmMarksTest, NothingWhileTheSettingIsOffOrOnlyLayingOut) {
  for (int off = 0; off < 2; ++off) {
    PainterSettings().showBadTiming = off == 0;
    DrawingState().LayoutOnlyFlag = off == 0 ? 1 : 0;
    VoiceTotals times;
    times.t[0] = 768;
    bool tuplets[kRhythmVoices] = {true, true, true, true};
    DrawBarRhythmMark(&times, 4, 5, kX, kTop, tuplets, true, kStart, kHeight);
    DrawOpenBarMarker(kX, kTop, kHeight);
    EXPECT_TRUE(times.AllZero());
    EXPECT_FALSE(tuplets[0] || tuplets[1] || tuplets[2] || tuplets[3]);
  }
  DrawingState().LayoutOnlyFlag = 0;
  PainterSettings().showBadTiming = false;
  DrawOpenBarMarker(kX, kTop, kHeight);
  EXPECT_TRUE(device.Lines().empty()) << device.Text();
}

TEST_F(BarRhythmMarksTest, OpenBarDrawsARedDottedUprightPair) {
  DrawOpenBarMarker(kX, kTop, kHeight);
  // From 14 above the top to 14 below the bottom, at x - 1 and x (two
  // logical units a world unit).
  const std::vector<std::string> expected = {
      "move 998 172", "line 998 308 dot 2 #0000FF", "move 1000 172", "line 1000 308 dot 2 #0000FF"};
  std::vector<std::string> got;
  for (const std::string& l : device.Lines())
    if (l.rfind("move ", 0) == 0 || l.rfind("line ", 0) == 0) got.push_back(l);
  EXPECT_EQ(got, expected) << device.Text();
}

}  // namespace
