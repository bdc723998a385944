// The blank-stave tests of the page's staff list, over a three-page score,
// and the edited stave's own label.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "DrawingSetUp.h"
#include "ScoreListing.h"
#include "render/DrawingState.h"
#include "render/RecordingDevice.h"
#include "render/ScorePagePainter.h"
#include "render/StaveBlankTests.h"
#include "render/StaveNameLabels.h"
#include "score/ScoreFile.h"
#include "score/ScoreStream.h"

namespace {

// Part 1 has music on every page; part 2 on pages 1 and 3 only, page 2
// holding only a bar line, its staff end and the page mark. Page 3 has two
// systems.
const char* const kThreePages =
    "parts 3\n"
    "slot 1\nclef 1\nchord 5 notes 16\nbar 0\nstaff-end\npage-mark\n"
    "chord 5 notes 16\nbar 0\nstaff-end\npage-mark\n"
    "chord 5 notes 16\nstaff-end\nchord 5 notes 18\nstaff-end\nend\n"
    "slot 2\nclef 7\nchord 5 notes 12\nbar 0\nstaff-end\npage-mark\n"
    "bar 0\nstaff-end\npage-mark\n"
    "bar 0\nstaff-end\nchord 5 notes 12\nstaff-end\nend\n";

class StaveBlankTest : public testing::Test {
 protected:
  void SetUp() override {
    StartScorePainting(1200, 1600);
    DrawingState().dc = &device;
    DrawingState().scale = 1.0;
    std::string error;
    ASSERT_TRUE(BuildScoreFromListing(kThreePages, &error)) << error;
    ASSERT_EQ(ScorePages.count, 3);
  }
  void TearDown() override {
    SetStavesJoinedRule(nullptr);
    PainterSettings().editedStave = -1;
    EndScorePainting();
  }
  void ShowPage(int page) {
    ScorePages.current = page;
    device.Clear();
    DrawingState().dc = &device;
    PaintScorePage(1, 1, nullptr, DeviceRect{0, 0, 1200, 1600}, 0, 0);
  }
  RecordingDevice device;
};

bool FirstTwoJoined(int32_t staff) { return staff == 1; }

TEST_F(StaveBlankTest, OnlyTheCurrentPagesItemsCount) {
  struct Case {
    int page;
    int32_t stave;
    bool blank;
    bool groupBlank;  // staves 0 and 1 joined in one part
  } const cases[] = {
      {1, 0, false, false}, {1, 1, false, false},
      // The part's notes on page 1 do not make page 2's stave hold music.
      {2, 0, false, false}, {2, 1, true, false},
      // Page 3's notes come after an empty staff: the page has music.
      {3, 0, false, false}, {3, 1, false, false},
      // A part shown again in a later system of the page is not blank there.
      {3, 3, false, false},
      // Beyond the staff list, no stave.
      {2, 2, false, false}, {2, -1, false, false},
  };
  for (const Case& c : cases) {
    ShowPage(c.page);
    SetStavesJoinedRule(nullptr);
    EXPECT_EQ(StaveIsBlankOnPage(c.stave), c.blank) << "page " << c.page << " stave " << c.stave;
    SetStavesJoinedRule(FirstTwoJoined);
    EXPECT_EQ(StaveGroupIsBlankOnPage(c.stave), c.groupBlank) << "page " << c.page << " stave " << c.stave;
  }
}

TEST_F(StaveBlankTest, AGroupIsBlankWhenEveryJoinedStaveIs) {
  std::string error;
  // Page 2 of a part of two staves (slots 1 and 2) with nothing on it.
  ASSERT_TRUE(BuildScoreFromListing("parts 3\nslot 1\nclef 1\nchord 5 notes 16\nstaff-end\npage-mark\nbar 0\nstaff-end\nend\n"
                                    "slot 2\nclef 7\nchord 5 notes 12\nstaff-end\npage-mark\nbar 0\nstaff-end\nend\n",
                                    &error))
      << error;
  ShowPage(2);
  SetStavesJoinedRule(FirstTwoJoined);
  EXPECT_TRUE(StaveGroupIsBlankOnPage(0));
  EXPECT_TRUE(StaveGroupIsBlankOnPage(1));
  ShowPage(1);
  EXPECT_FALSE(StaveGroupIsBlankOnPage(0));
  // A part beyond the part count is never blank.
  ShowPage(2);
  PartCount = 2;
  EXPECT_FALSE(StaveIsBlankOnPage(1));
  PartCount = 3;
}

// The edited stave of a part without a name is labelled on screen with the
// staff's word and its part number: "Staff 2" when blank, "Sta. 2" when not.
TEST_F(StaveBlankTest, TheEditedStaveWithoutANameIsLabelledByItsPart) {
  PainterSettings().editedStave = 1;
  ShowPage(2);
  EXPECT_NE(device.Text().find("\"Staff 2\""), std::string::npos) << device.Text();
  ShowPage(1);
  EXPECT_NE(device.Text().find("\"Sta. 2\""), std::string::npos) << device.Text();
  // Another stave gets no made-up label.
  EXPECT_EQ(device.Text().find("\"Sta. 1\""), std::string::npos);
}

// A label placed by a brace (y not 0) is left out inside the edited stave's
// band: 40 either side of its middle without the strip, half the strip's
// height with it.
TEST_F(StaveBlankTest, ABraceLabelStaysOutOfTheEditedStavesBand) {
  const char16_t piano[] = u"Piano";
  std::copy(piano, piano + 6, PartNameTable[1]);
  ShowPage(1);
  const int32_t middle = PainterTables().pageStaves[1].middle;
  struct Case {
    double strip;
    double labelAt;  // distance below the page top, + 6
    bool drawn;
  } const cases[] = {
      {0, middle + 39.0, false}, {0, middle + 40.0, true}, {0, middle - 45.0, true},
      {100, middle + 49.0, false}, {100, middle + 51.0, true},
  };
  for (const Case& c : cases) {
    PainterSettings().editedStave = 1;
    PainterSettings().imageStripHeight = c.strip;
    device.Clear();
    DrawStaveNameLabel(7, 14, 0, static_cast<int32_t>(-6 - c.labelAt));
    const bool drawn = device.Text().find("text ") != std::string::npos;
    EXPECT_EQ(drawn, c.drawn) << "strip " << c.strip << " at " << c.labelAt;
  }
  PainterSettings().imageStripHeight = 0;
}

}  // namespace
