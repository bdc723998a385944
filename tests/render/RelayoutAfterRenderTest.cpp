// The re-layout after a paint: a bar whose rows stand out of stream order is
// put in x order, and the painter's request for it lasts one paint.
#include <gtest/gtest.h>

#include <string>

#include "DrawingSetUp.h"
#include "ScoreListing.h"
#include "render/DrawingState.h"
#include "render/RecordingDevice.h"
#include "render/RelayoutAfterRender.h"
#include "render/ScorePagePainter.h"
#include "score/ItemSelection.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace {

class RelayoutAfterRenderTest : public testing::Test {
 protected:
  void SetUp() override {
    StartScorePainting(1200, 1600);
    DrawingState().dc = &device;
    DrawingState().scale = 1.0;
    std::string error;
    // Bar 1: three crotchets on positions 16, 18 and 20; bar 2: one.
    ASSERT_TRUE(BuildScoreFromListing("parts 2\nslot 1\nclef 1\nchord 5 notes 16\nchord 5 notes 18\n"
                                      "chord 5 notes 20\nbar 0\nchord 5 notes 22\nstaff-end\n",
                                      &error))
        << error;
  }
  void TearDown() override { EndScorePainting(); }
  void Paint() {
    device.Clear();
    DrawingState().dc = &device;
    PaintScorePage(1, 1, nullptr, DeviceRect{0, 0, 1200, 1600}, 0, 0);
  }
  // The first note position of each chord of slot 1, in stream order.
  std::string ChordOrder() const {
    std::string out;
    const uint8_t* stream = StreamBytes(ScoreStream, 1);
    const uint32_t used = StreamUsedLength(ScoreStream, 1);
    uint32_t length = 0;
    for (uint32_t offset = 0; offset < used && ItemLengthWithin(stream + offset, used - offset, ScoreFormatVersion, &length);
         offset += length) {
      if (KindOf(stream + offset) == kItemChord) out += std::to_string(NotePosition(stream + offset, 0)) + " ";
    }
    return out;
  }
  RecordingDevice device;
};

TEST_F(RelayoutAfterRenderTest, ABarOutOfXOrderIsReordered) {
  Paint();
  const std::string before = ChordOrder();
  // Nothing out of order: nothing moves.
  EXPECT_FALSE(RelayoutAfterRender());
  EXPECT_EQ(ChordOrder(), before);
  // The first chord's row moved right of the third: it goes after it.
  ItemIndex& index = TheScoreViewItems().index;
  index.rows[1].left = static_cast<int16_t>(index.rows[3].left + 10);
  index.rows[1].right = static_cast<int16_t>(index.rows[3].right + 10);
  TheScoreViewItems().selection.selectedRow = 4;
  EXPECT_TRUE(RelayoutAfterRender());
  EXPECT_NE(ChordOrder(), before);
  EXPECT_EQ(ChordOrder().substr(ChordOrder().size() - 3), "22 ");  // the next bar untouched
  EXPECT_EQ(TheScoreViewItems().selection.selectedRow, 4);          // the selection kept
}

TEST_F(RelayoutAfterRenderTest, ARequestLastsOnePaint) {
  Paint();
  const int32_t plain = PainterTables().passes;
  PainterSettings().relayoutRequest = true;
  Paint();
  EXPECT_FALSE(PainterSettings().relayoutRequest);
  // An ordered page: asked, but nothing moved, so no extra pass.
  EXPECT_EQ(PainterTables().passes, plain);
}

}  // namespace

namespace {

std::string StreamHex(int slot) {
  std::string out;
  const uint8_t* stream = StreamBytes(ScoreStream, slot);
  for (uint32_t i = 0; i < StreamUsedLength(ScoreStream, slot); ++i) out += std::to_string(stream[i]) + " ";
  return out;
}

// The editor's request: the next paint lays the bars out again after its
// drawing pass, and only that paint.
TEST_F(RelayoutAfterRenderTest, TheEditorsRequestIsActedOnByTheNextPaint) {
  std::string error;
  // A lone chord that says it starts a beam: laid out again, its beam goes.
  ASSERT_TRUE(BuildScoreFromListing("parts 2\nslot 1\nclef 1\nchord 4 beam start notes 16\nbar 0\n"
                                    "chord 5 notes 18\nstaff-end\n",
                                    &error))
      << error;
  const std::string before = StreamHex(1);
  Paint();
  EXPECT_EQ(StreamHex(1), before);  // not asked: left as it stands
  RequestRelayoutAfterRender();
  EXPECT_TRUE(PainterSettings().relayoutRequest);
  Paint();
  EXPECT_FALSE(PainterSettings().relayoutRequest);
  EXPECT_NE(StreamHex(1), before);
}

}  // namespace
