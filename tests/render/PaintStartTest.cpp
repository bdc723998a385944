// The start of a score page paint: margins and frame round a page of known
// size, the band of the staff row being edited and the bar being played.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "DrawingSetUp.h"
#include "ScoreListing.h"
#include "pages/CurrentPageData.h"
#include "pages/PageData.h"
#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/PaintStart.h"
#include "render/RecordingDevice.h"
#include "render/ScorePagePainter.h"
#include "score/ItemSelection.h"
#include "score/ScoreFile.h"

namespace {

std::string Hex(int colourIndex) {
  char b[16];
  std::snprintf(b, sizeof b, "#%06X", static_cast<unsigned>(NearestColour(ColourTable[colourIndex]) & 0xFFFFFF));
  return b;
}

// Filled rectangles of a colour, as "left top right bottom".
std::vector<std::string> Fills(const RecordingDevice& device, const std::string& colour) {
  std::vector<std::string> out;
  for (const std::string& l : device.Lines()) {
    int a, b, c, d;
    if (std::sscanf(l.c_str(), "rect %d %d %d %d", &a, &b, &c, &d) == 4 && l.find("fill " + colour) != std::string::npos)
      out.push_back(std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c) + " " + std::to_string(d));
  }
  return out;
}

bool HasLineTo(const RecordingDevice& device, int x, int y, const std::string& colour) {
  const std::string start = "line " + std::to_string(x) + " " + std::to_string(y) + " ";
  for (const std::string& l : device.Lines())
    if (l.rfind(start, 0) == 0 && l.find(colour) != std::string::npos) return true;
  return false;
}

const char* const kTwoBars = "parts 2\nslot 1\nclef 1\nchord 5 notes 16\nbar 0\nchord 5 notes 16\nbar 0\n"
                             "chord 5 notes 16\nstaff-end\n";

class PaintStartTest : public testing::Test {
 protected:
  void SetUp() override {
    StartScorePainting(1200, 1600);
    DrawingState().dc = &device;
    DrawingState().scale = 1.0;
    savedSize = ScorePageSize;
    savedMissing = PageBoxesMissing;
    std::string error;
    ASSERT_TRUE(BuildScoreFromListing(kTwoBars, &error)) << error;
  }
  void TearDown() override {
    SetPlaybackPositionHook(nullptr);
    ScorePageSize = savedSize;
    viewPage.boxCount = 0;
    PageBoxesMissing = savedMissing;
    EndScorePainting();
  }
  void Paint() {
    device.Clear();
    DrawingState().dc = &device;
    PaintScorePage(1, 1, nullptr, DeviceRect{0, 0, 1200, 1600}, 0, 0);
  }
  // The page's stored boxes, one per item row.
  void GiveStoredBoxes() {
    RebuildItemIndexLayout();
    PageBoxesMissing = 0;
    viewPage.boxCount = 6;
    for (int i = 0; i < 6; ++i) {
      viewPage.boxes[i][0] = static_cast<int16_t>(70 + 60 * i);
      viewPage.boxes[i][1] = static_cast<int16_t>(80 + 60 * i);
    }
  }
  RecordingDevice device;
  ScorePageSizes savedSize{};
  int savedMissing = 0;
};

TEST_F(PaintStartTest, MarginsAndFrameRoundAPageOfKnownSize) {
  ScorePageSize.width = 400;
  ScorePageSize.height = 500;
  Paint();
  // Device units are twice the world's here: the margins start at the page's
  // right edge (800) and bottom edge (1000).
  const std::vector<std::string> margins = Fills(device, Hex(kMarginColour));
  ASSERT_EQ(margins.size(), 2u) << device.Text();
  EXPECT_EQ(margins[0].substr(0, 4), "800 ");
  EXPECT_NE(margins[1].find(" 1000 "), std::string::npos) << margins[1];
  EXPECT_TRUE(HasLineTo(device, 800, 1000, Hex(kBlackColour))) << device.Text();
  // "Use R8 Keypad" takes the other margin colour.
  PainterSettings().useKeypadColours = true;
  Paint();
  EXPECT_EQ(Fills(device, Hex(kMarginColourKeypad)).size(), 2u);
  PainterSettings().useKeypadColours = false;
  // A page without a size, or the page-view mode, has neither.
  ScorePageSize.width = 0;
  Paint();
  EXPECT_TRUE(Fills(device, Hex(kMarginColour)).empty());
  ScorePageSize.width = 400;
  PainterSettings().pageViewMode = true;
  Paint();
  PainterSettings().pageViewMode = false;
  EXPECT_TRUE(Fills(device, Hex(kMarginColour)).empty());
}

TEST_F(PaintStartTest, TheEditedStaffRowIsBandedOnlyWithStoredBoxes) {
  PainterSettings().editedStave = 0;
  Paint();
  EXPECT_TRUE(Fills(device, Hex(kEditedRowBandColour)).empty());
  GiveStoredBoxes();
  Paint();
  const StaveRowExtent& row = TheScoreViewItems().staves.rows[0];
  const std::vector<std::string> band = Fills(device, Hex(kEditedRowBandColour));
  ASSERT_EQ(band.size(), 1u) << device.Text();
  int l, t, r, b;
  ASSERT_EQ(std::sscanf(band[0].c_str(), "%d %d %d %d", &l, &t, &r, &b), 4);
  EXPECT_EQ(t, 2 * row.top);
  EXPECT_EQ(b, 2 * row.bottom);
  // Twelve blended strips above and twelve below, then no band at all
  // without an edited row.
  int strips = 0;
  for (const std::string& line : device.Lines()) {
    int a, c, d, e;
    if (std::sscanf(line.c_str(), "rect %d %d %d %d", &a, &c, &d, &e) == 4 && e - c == 2 &&
        (e <= 2 * row.top || c >= 2 * row.bottom))
      ++strips;
  }
  EXPECT_EQ(strips, 2 * kEditedRowBlendStrips);
  PainterSettings().editedStave = -1;
  Paint();
  EXPECT_TRUE(Fills(device, Hex(kEditedRowBandColour)).empty());
}

bool PlayingSecondBar(PlaybackPosition* position) {
  position->partMask = 1u << 1;
  // The second bar's chord: clef (2 bytes), chord, bar line, then this chord.
  const ItemIndex& index = TheScoreViewItems().index;
  position->offset[1] = index.rows[3].offset;
  return true;
}

TEST_F(PaintStartTest, TheBarBeingPlayedIsMarkedBetweenItsBarLines) {
  GiveStoredBoxes();
  Paint();
  const ItemIndex& index = TheScoreViewItems().index;
  ASSERT_GE(index.count, 6);
  PlayedBar bar{};
  ASSERT_TRUE(FindPlayedBar(1, index.rows[3].offset, &bar));
  EXPECT_EQ(bar.left, index.rows[2].right);   // the first bar line's right edge
  EXPECT_EQ(bar.right, index.rows[4].left);   // the second's left edge
  // The last bar runs to the staff's right end.
  ASSERT_TRUE(FindPlayedBar(1, index.rows[5].offset, &bar));
  EXPECT_EQ(bar.left, index.rows[4].right);
  EXPECT_EQ(bar.right, TheScoreViewItems().staves.rows[0].right);
  // Not a part of the page: no bar.
  EXPECT_FALSE(FindPlayedBar(2, 0, &bar));
  Paint();
  EXPECT_TRUE(Fills(device, Hex(kPlayedBarColour)).empty());
  SetPlaybackPositionHook(PlayingSecondBar);
  Paint();
  const std::vector<std::string> marks = Fills(device, Hex(kPlayedBarColour));
  ASSERT_EQ(marks.size(), 1u) << device.Text();
  EXPECT_EQ(marks[0].substr(0, marks[0].find(' ')), std::to_string(2 * index.rows[2].right));
}

}  // namespace

namespace {

// The view's first fill: the paper the page is drawn on.
std::string FirstFillColour(const RecordingDevice& device) {
  for (const std::string& l : device.Lines()) {
    const size_t at = l.find("fill #");
    if (l.rfind("rect ", 0) == 0 && at != std::string::npos) return l.substr(at + 5, 7);
  }
  return "";
}

std::string HexOf(render::Colour c) {
  char b[16];
  std::snprintf(b, sizeof b, "#%06X", static_cast<unsigned>(c & 0xFFFFFF));
  return b;
}

// While the scan strip is shown above the score the page is drawn on the
// strip's greyer paper; without it, in the page-view mode and in print it is
// white.
TEST_F(PaintStartTest, TheScanStripGreysThePaper) {
  const std::string white = Hex(0), greyer = HexOf(PaperColour(true));
  ASSERT_NE(white, greyer);
  EXPECT_EQ(greyer, "#E0E6E9");
  Paint();
  EXPECT_EQ(FirstFillColour(device), white) << device.Text();
  PainterSettings().imageStripHeight = 90;
  Paint();
  EXPECT_EQ(FirstFillColour(device), greyer) << device.Text();
  PainterSettings().pageViewMode = true;
  Paint();
  EXPECT_EQ(FirstFillColour(device), white) << device.Text();
  PainterSettings().pageViewMode = false;
  PainterSettings().imageStripHeight = 0;
}

}  // namespace
