// The scanned-page strip above the score, drawn into a recording: where the
// page image goes, the framed edge, and what the strip says in each state.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/MusicFonts.h"
#include "render/RecordingDevice.h"
#include "render/ScanStrip.h"
#include "render/ScoreText.h"

namespace {

std::vector<ScanStripPlacement> WholeDraws;
std::vector<ScanStripPlacement> RegionDraws;
int Recolours = 0;

void DrawWhole(const ScanStripPlacement& at, bool) { WholeDraws.push_back(at); }
void DrawRegion(const ScanStripPlacement& at) { RegionDraws.push_back(at); }
void Recolour(const int32_t*) { ++Recolours; }

class ScanStripTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetDrawingState();
    ResetMusicFontSet();
    FillColourTables(render::DisplayCaps{-1, 0xC0C0C0, 0xFFFFFF, 0x808080, 0, 0x808080});
    DrawFormattedText(0, 0, nullptr, 7, 0, false, false, false);
    DrawingState().dc = &device;
    device.Clear();
    WholeDraws.clear();
    RegionDraws.clear();
    Recolours = 0;
  }
  void TearDown() override {
    DrawFormattedText(0, 0, nullptr, 7, 0, false, false, false);
    ResetDrawingState();
  }
  bool Drew(const std::string& needle) const {
    const auto& l = device.Lines();
    return std::any_of(l.begin(), l.end(), [&](const std::string& s) { return s.find(needle) != std::string::npos; });
  }
  static ScanStripView PageView() {
    ScanStripView v;
    v.pageShown = true;
    v.scoreHasPages = true;
    v.imageLoaded = true;
    v.imageWidth = 800;
    v.imageHeight = 1000;
    v.firstStaveTop = 200;
    v.firstStaveBottom = 240;
    v.paneWidth = 600;
    v.stripHeight = 100;
    v.highlightShown = true;
    v.highlight = HighlightRegion{100, 100, 300, 200};
    return v;
  }
  RecordingDevice device;
  ScanStripImageDrawing drawing{DrawWhole, DrawRegion, Recolour};
};

TEST_F(ScanStripTest, ImageSitsWithItsReferenceInTheMiddleOfTheStrip) {
  struct Case {
    double pageScale, scoreScale;
    int32_t editedStave;
    bool bandKnown;
    int32_t band, viewLeft, viewTop, x, y;
    int32_t X, Y, W, H;
  } cases[] = {
      // The first stave's middle (220) comes to the strip's middle: 0 - 50 - (1000 - 220).
      {100, 1.0, -1, false, 0, 0, 0, 0, 0, -2, -830, 800, 1000},
      // The page view's scroll moves the page with it.
      {100, 1.0, -1, false, 0, 30, 100, 10, -5, -22, -735, 800, 1000},
      // Half size: offsets and size halve.
      {50, 1.0, -1, false, 0, 40, 0, 0, 0, -22, -440, 400, 500},
      // The score's zoom scales the picture and its placement alike: the
      // first stave's middle stays in the strip's middle, 0 - 50 - 780 x 1.5.
      {100, 1.5, -1, false, 0, 0, 0, 0, 0, -2, -1220, 1200, 1500},
      // The edited stave's band is the reference while it is known.
      {100, 1.0, 2, true, 500, 0, 0, 0, 0, -2, -550, 800, 1000},
      {100, 1.0, 2, false, 500, 0, 0, 0, 0, -2, -830, 800, 1000},
  };
  for (const Case& c : cases) {
    ScanStripView v = PageView();
    v.pageScale = c.pageScale;
    v.scoreScale = c.scoreScale;
    v.editedStave = c.editedStave;
    v.editedBandKnown = c.bandKnown;
    v.editedBandY = c.band;
    v.pageViewLeft = c.viewLeft;
    v.pageViewTop = c.viewTop;
    const ScanStripPlacement at = PlaceScanStripImage(v, c.x, c.y);
    EXPECT_EQ(at.x, c.X) << c.pageScale << " " << c.viewLeft;
    EXPECT_EQ(at.y, c.Y) << c.pageScale << " " << c.viewTop;
    EXPECT_EQ(at.width, c.W);
    EXPECT_EQ(at.height, c.H);
  }
}

TEST_F(ScanStripTest, FrameDrawsItsEdgesInOrder) {
  DrawImageStripFrame(10, -4, 100, 50, false);
  const std::string c27 = " #" + [] {
    char b[8];
    std::snprintf(b, sizeof b, "%06X", static_cast<unsigned>(ColourTable[27] & 0xFFFFFF));
    return std::string(b);
  }();
  // The background right of the pane, then one-pixel lines down to y - 2 - 50.
  std::vector<std::string> expected = {"rect 110 4 8301 8195 solid 0" + c27 + " fill" + c27};
  struct Line {
    int colour, x, top;
  } lines[] = {{7, 9, -3}, {7, 10, -3}, {4, 11, -3}, {3, 109, -5}, {1, 110, -5},
               {2, 111, -6}, {2, 112, -6}, {4, 113, -7}, {4, 114, -7}};
  for (const Line& l : lines) {
    char b[80];
    std::snprintf(b, sizeof b, "#%06X", static_cast<unsigned>(NearestColour(ColourTable[l.colour]) & 0xFFFFFF));
    expected.push_back("move " + std::to_string(l.x) + " " + std::to_string(-l.top));
    expected.push_back("line " + std::to_string(l.x) + " 56 solid 0 " + b);
  }
  std::vector<std::string> drawn;
  for (const std::string& s : device.Lines())
    if (s.rfind("move", 0) == 0 || s.rfind("line", 0) == 0 || s.rfind("rect", 0) == 0) drawn.push_back(s);
  EXPECT_EQ(drawn, expected);
}

TEST_F(ScanStripTest, WhatTheStripShowsInEachState) {
  struct Case {
    const char* name;
    bool pageShown, scannedPageGone, imageLoaded, imageWaiting;
    int32_t editedStave;
    bool image, whole, region, gone;
    ScanStripHint hint;
    const char* text;  // a text that must be drawn, or null: none
  } cases[] = {
      {"no page", false, false, false, false, -1, false, false, false, false, ScanStripHint::kNone, nullptr},
      {"page deleted", false, true, false, false, -1, false, false, false, true, ScanStripHint::kNone,
       "The original scanned page is no longer available"},
      {"opening", true, false, true, true, -1, false, false, false, false, ScanStripHint::kOpening,
       "Opening image..."},
      {"shown", true, false, true, false, -1, true, true, false, false, ScanStripHint::kDoubleClick,
       "Double-click here to re-scan, edit staves or re-read page"},
      {"stave edited", true, false, true, false, 3, true, false, true, false, ScanStripHint::kNone, nullptr},
      {"opening while editing", true, false, true, true, 3, false, false, false, false, ScanStripHint::kOpening,
       "Opening image..."},
  };
  for (const Case& c : cases) {
    SetUp();
    ScanStripView v = PageView();
    v.pageShown = c.pageShown;
    v.scannedPageGone = c.scannedPageGone;
    v.imageLoaded = c.imageLoaded;
    v.imageWaiting = c.imageWaiting;
    v.editedStave = c.editedStave;
    const ScanStripOutcome out = PaintScanStripContent(v, 0, 0, drawing);
    EXPECT_EQ(out.imageDrawn, c.image) << c.name;
    EXPECT_EQ(!WholeDraws.empty(), c.whole) << c.name;
    EXPECT_EQ(!RegionDraws.empty(), c.region) << c.name;
    EXPECT_EQ(Recolours, c.whole ? 1 : 0) << c.name;
    EXPECT_EQ(out.goneMessage, c.gone) << c.name;
    EXPECT_EQ(out.hint, c.hint) << c.name;
    if (c.text) {
      EXPECT_TRUE(Drew(std::string("\"") + c.text + "\"")) << c.name;
    } else {
      EXPECT_FALSE(Drew("text ")) << c.name;
    }
  }
}

TEST_F(ScanStripTest, HintIsHaloedArialAndTheFontIsLetGo) {
  PaintScanStripContent(PageView(), 0, 0, drawing);
  const auto& l = device.Lines();
  // Eight halo copies round the text and the text itself, at (16, 20).
  const std::string hint = "\"Double-click here to re-scan, edit staves or re-read page\"";
  EXPECT_EQ(std::count_if(l.begin(), l.end(), [&](const std::string& s) { return s.find(hint) != std::string::npos; }), 9);
  EXPECT_TRUE(Drew("text 16 20 " + hint));
  EXPECT_TRUE(Drew("textcolour #EDF3F6"));
  EXPECT_TRUE(Drew("textmode transparent baseline"));
  EXPECT_TRUE(Drew("font 1 \"Arial\" h -12 "));
  EXPECT_TRUE(Drew("delete 1"));
}

TEST_F(ScanStripTest, AnEmptyImageDrawsNoPictureButKeepsTheHint) {
  ScanStripView v = PageView();
  v.imageWidth = 0;
  const ScanStripOutcome out = PaintScanStripContent(v, 0, 0, drawing);
  EXPECT_FALSE(out.imageDrawn);
  EXPECT_TRUE(WholeDraws.empty());
  EXPECT_EQ(out.hint, ScanStripHint::kDoubleClick);
}

TEST_F(ScanStripTest, PaneRectIsKeptAsGivenAndUpward) {
  StorePaneRect(DeviceRect{5, 10, 205, 110});
  const DeviceRect r = StoredPaneRect();
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.bottom, 110);
  const PaneWorldRect w = StoredPaneWorldRect();
  EXPECT_EQ(w.left, 5);
  EXPECT_EQ(w.right, 205);
  EXPECT_EQ(w.negBottom, -110);
  EXPECT_EQ(w.negTop, -10);
}

// The highlighted region of the page (image pixels) as the strip's
// rectangle, in the form RecolourScreenRect takes: upward y, the columns x0
// to x1 and the rows from -(y0) + 1 ... here checked as the window rows and
// columns it covers.
TEST(ScanStripHighlight, RegionMapsOntoTheImageInTheStrip) {
  struct Case {
    const char* name;
    HighlightRegion region;
    double factor;
    bool shown;
    int32_t left, top, right, bottom;  // window pixels covered: [left, right) x [top, bottom)
  } cases[] = {
      {"at 1:1", {10, 20, 50, 60}, 1.0, true, 110, 20, 150, 60},
      {"at 2:1", {10, 20, 50, 60}, 2.0, true, 120, 40, 200, 120},
      {"cut to the image", {-5, 90, 150, 140}, 1.0, true, 100, 90, 200, 100},
      {"outside the image", {120, 10, 160, 20}, 1.0, false, 0, 0, 0, 0},
      {"empty", {30, 30, 30, 40}, 1.0, false, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScanStripView view;
    view.imageWidth = 100;
    view.imageHeight = 100;
    view.highlightShown = true;
    view.highlight = c.region;
    // The image's left edge at window column 100, its top at window row 0.
    const ScanStripPlacement at{100, static_cast<int32_t>(-100 * c.factor), static_cast<int32_t>(100 * c.factor),
                                static_cast<int32_t>(100 * c.factor), c.factor};
    int32_t r[4] = {};
    ASSERT_EQ(ScanStripHighlightRect(view, at, r), c.shown);
    if (!c.shown) continue;
    // RecolourScreenRect: columns x0 .. x1, rows min(-y0, -y1) - 1 .. max(-y0, -y1) exclusive.
    EXPECT_EQ(r[0], c.left);
    EXPECT_EQ(r[2] + 1, c.right);
    EXPECT_EQ(std::min(-r[1], -r[3]) - 1, c.top);
    EXPECT_EQ(std::max(-r[1], -r[3]), c.bottom);
  }
  ScanStripView none;
  none.imageWidth = none.imageHeight = 100;
  int32_t r[4];
  EXPECT_FALSE(ScanStripHighlightRect(none, ScanStripPlacement{0, -100, 100, 100, 1.0}, r)) << "no region shown";
}

}  // namespace
