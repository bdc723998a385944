// Marks placed from the page and tied to what they belong to: the tuplet
// number on the side and at the height of its box on the page, the dotted
// "Show attachment" lines, and chord symbols centred over their diagrams and
// kept clear of each other.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "DrawingSetUp.h"
#include "ScoreListing.h"
#include "pages/CurrentPageData.h"
#include "pages/PageData.h"
#include "render/DrawingState.h"
#include "render/RecordingDevice.h"
#include "render/ScorePagePainter.h"
#include "render/SymbolRoutines.h"
#include "render/TextMetrics.h"
#include "score/ItemSelection.h"

namespace {

class MarksFromThePageTest : public testing::Test {
 protected:
  void SetUp() override {
    StartScorePainting(1200, 1600);
    DrawingState().dc = &device;
    DrawingState().scale = 1.0;
    savedMissing = PageBoxesMissing;
  }
  void TearDown() override {
    viewPage.boxCount = 0;
    viewPage.staveCount = 0;
    PageBoxesMissing = savedMissing;
    TheScoreViewItems().selection = SelectionState{};
    EndScorePainting();
  }
  void Paint() {
    device.Clear();
    DrawingState().dc = &device;
    PaintScorePage(1, 1, nullptr, DeviceRect{0, 0, 1200, 1600}, 0, 0);
  }
  std::vector<std::string> Texts(const std::string& quoted) const {
    std::vector<std::string> out;
    for (const std::string& l : device.Lines())
      if (l.rfind("text ", 0) == 0 && l.find(quoted) != std::string::npos) out.push_back(l);
    return out;
  }
  int DottedLines() const {
    int n = 0;
    for (const std::string& l : device.Lines())
      if (l.rfind("line ", 0) == 0 && l.find(" dot ") != std::string::npos) ++n;
    return n;
  }
  RecordingDevice device;
  int savedMissing = 0;
};

int TextY(const std::string& line) {
  int x = 0, y = 0;
  std::sscanf(line.c_str(), "text %d %d", &x, &y);
  return y;
}

int TextX(const std::string& line) {
  int x = 0, y = 0;
  std::sscanf(line.c_str(), "text %d %d", &x, &y);
  return x;
}

TEST_F(MarksFromThePageTest, ATupletsBoxGivesItsSideAndHeight) {
  SetVisibleWorldRect({0, 0, 1200, 1600});
  TupletMark mark = TripletOnTheStaff();
  mark.colour = 7;
  // Voice 0 read below the staff: the number stands on its box's bottom.
  mark.fromBox = true;
  mark.boxBelow = true;
  mark.boxBaseline = 110;
  DrawTupletMark(mark, 0);
  // Voice 1 read above: likewise, over the staff.
  mark.boxBelow = false;
  mark.boxBaseline = 50;
  DrawTupletMark(mark, 1);
  const std::vector<std::string> texts = Texts("\"3\"");
  ASSERT_EQ(texts.size(), 2u) << device.Text();
  EXPECT_EQ(TextY(texts[0]), 2 * 110);  // device units are twice the world's
  EXPECT_EQ(TextY(texts[1]), 2 * 50);
}

TEST_F(MarksFromThePageTest, TheTupletOfAReadPageStandsWhereItWasRead) {
  std::string error;
  ASSERT_TRUE(BuildScoreFromListing("parts 2\nslot 1\nclef 1\ntuplet 3 15 32\nchord 4 notes 16\nchord 4 notes 17\n"
                                    "chord 4 notes 18\nstaff-end\n",
                                    &error))
      << error;
  RebuildItemIndexLayout();
  // The stave on the page from y 200 to 248 (twice the staff's 24); the
  // tuplet's number read under it, from 270 to 290.
  viewPage.staveCount = 1;
  viewPage.staves[0].top = 200;
  viewPage.staves[0].bottom = 248;
  StoredItemBoxes boxes({140, 180, 220, 260, 300}, 200, 248);
  boxes.Box(1)[2] = 270;
  boxes.Box(1)[3] = 290;
  Paint();
  const std::vector<std::string> texts = Texts("\"3\"");
  ASSERT_EQ(texts.size(), 1u) << device.Text();
  // The staff's top line at 60: the box's bottom maps to 60 + 90 / 2.
  EXPECT_EQ(TextY(texts[0]), 2 * (60 + 45));
}

TEST_F(MarksFromThePageTest, AttachmentLinesOnlyWithTheSettingAndAHighlight) {
  SetVisibleWorldRect({0, 0, 1200, 1600});
  TupletMark mark = TripletOnTheStaff();
  struct Case {
    bool attachment;
    int colour;
    int lines;
  } const cases[] = {{false, 56, 0}, {true, 7, 0}, {true, 56, 1}, {true, 57, 1}};
  for (const Case& c : cases) {
    device.Clear();
    mark.attachment = c.attachment;
    mark.colour = c.colour;
    DrawTupletMark(mark, 0);
    EXPECT_EQ(DottedLines(), c.lines) << "colour " << c.colour << " attachment " << c.attachment;
  }
}

TEST_F(MarksFromThePageTest, ASelectedStaffTextIsJoinedToItsAnchor) {
  std::string error;
  ASSERT_TRUE(BuildScoreFromListing("parts 2\nslot 1\nclef 1\ntext 0 0 5 \"dolce\"\nchord 5 notes 16\nstaff-end\n",
                                    &error))
      << error;
  PainterSettings().showAttachment = true;
  Paint();
  EXPECT_EQ(DottedLines(), 0);
  TheScoreViewItems().selection.selectedRow = 1;  // the text
  Paint();
  EXPECT_EQ(DottedLines(), 1) << device.Text();
  PainterSettings().showAttachment = false;
  Paint();
  EXPECT_EQ(DottedLines(), 0);
}

TEST_F(MarksFromThePageTest, ChordSymbolsAreCentredOverDiagramsAndKeptApart) {
  std::string error;
  // Two symbols without diagrams over chords 6 units apart: the second
  // moves right of the first (and its chord with it); a symbol over a
  // diagram is centred on the grid.
  ASSERT_TRUE(BuildScoreFromListing("parts 2\nslot 1\nclef 1\n"
                                    "chordname 0 4 0 4 0\n"
                                    "chord 8 notes 16\n"
                                    "chordname 0 4 0 4 0\n"
                                    "chord 8 notes 16\n"
                                    "chordsymbol 0 4 3 7 0 2 2 1 0 0 4 0\n"
                                    "chord 5 notes 16\nstaff-end\n",
                                    &error))
      << error;
  Paint();
  const ItemIndex& index = TheScoreViewItems().index;
  ASSERT_EQ(index.count, 7) << device.Text();
  const ItemIndexRow& first = index.rows[1];
  const ItemIndexRow& second = index.rows[3];
  EXPECT_GE(second.left, first.right + 4);
  // The chord under the second symbol moved with it.
  EXPECT_GE(index.rows[4].left, second.left - 4);
  // The third symbol over its diagram: the text's middle on the grid's.
  const ItemIndexRow& grid = index.rows[5];
  std::vector<std::string> symbols;
  for (const std::string& l : device.Lines())
    if (l.rfind("text ", 0) == 0 && l.find("\"C5\"") != std::string::npos) symbols.push_back(l);
  ASSERT_EQ(symbols.size(), 3u);
  // Device units are twice the world's: the text's half width in device
  // units is its width in world units ("Times New Roman" bold, em 15).
  const TextFaceMetrics* face = FaceMetricsFor(u"Times New Roman", true, false);
  ASSERT_NE(face, nullptr);
  const double width = MeasureTextPixels(*face, 150, u"C5", 2) / 10.0;
  EXPECT_NEAR(TextX(symbols[2]) + width, grid.left * 2 + 25, 2) << symbols[2];
}

}  // namespace
