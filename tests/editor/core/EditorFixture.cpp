#include "EditorFixture.h"

#include "DrawingSetUp.h"
#include "ScoreListing.h"
#include "pages/CurrentPageData.h"
#include "render/DrawingState.h"
#include "render/ScorePagePainter.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

const char kFormat5Score[] = R"(
parts 3
part 0 flag
part 1 name Flute
part 2 lines 6 tab
slot 0
pagetext 5 300 0 "Etude"
staff-end
staff-end
page-mark
staff-end
page-mark
end

slot 1
clef 1
key 1 sharps
time 4 5
chord 5 notes 16
chord 5 notes 14 18
mark 1 64 20 10
chord 5 notes 20
chord 5 notes 12b
bar 0
tuplet 3 15 32
chord 4 notes 16
chord 4 notes 17
chord 4 notes 18
rest 5
rest 6
bar 0
staff-end
clef 1
chord 6 notes 16 20 23
text 0 2 3 "dolce"
rest 6
bar 0
staff-end
page-mark
clef 7
chord 7 notes 18
bar 7
staff-end
page-mark
end

slot 2
clef 10
time 4 5
chord 5 notes 3/1 5/2
chord 5 notes 0/4
rest 6
bar 0
chord 7 notes 2/3
bar 0
staff-end
clef 10
chord 7 notes 7/0 9/5
bar 0
staff-end
page-mark
clef 10
rest 7
bar 7
staff-end
page-mark
end
)";

const char kFormat2Score[] = R"(
parts 3
part 0 flag
part 1 name Oboe
part 2 name Bassoon
slot 0
staff-end
staff-end
page-mark
staff-end
page-mark
end

slot 1
clef 1
time 3 5
chord 5 notes 16
chord 5 dots 1 notes 14 18
chord 4 notes 20
bar 0
tuplet 3 15 32
chord 4 notes 16
chord 4 notes 17
chord 4 notes 18
rest 6
bar 0
staff-end
chord 6 dots 1 notes 16 20
bar 0
staff-end
page-mark
chord 6 dots 1 notes 18
bar 7
staff-end
page-mark
end

slot 2
clef 7
time 3 5
chord 6 notes 10
rest 5
bar 0
rest 5
chord 6 notes 8 12
bar 0
staff-end
chord 6 dots 1 notes 9
bar 0
staff-end
page-mark
rest 7
bar 7
staff-end
page-mark
end
)";

void EditorFixture::SetUp() {
  pageStore_ = std::make_unique<ScratchDataFolder>();
  StartScorePainting(1200, 1600);
  DrawingState().dc = &device;
  DrawingState().scale = 1.0;
  view().streams = &ScoreStream;
  view().selection = SelectionState{};
}

void EditorFixture::TearDown() {
  viewPage.boxCount = 0;
  PageBoxesMissing = 1;
  view().index.count = 0;
  view().selection = SelectionState{};
  EndScorePainting();
  ScoreFormatVersion = kCurrentScoreFormatVersion;
  pageStore_.reset();
}

void EditorFixture::Load(const char* listing, uint8_t version, int page) {
  ScoreFormatVersion = version;
  view().selection = SelectionState{};
  std::string error;
  ASSERT_TRUE(BuildScoreFromListing(listing, &error)) << error;
  ScoreFormatVersion = version;
  ScorePages.current = page;
  Layout();
  BoxesFromRows();
}

void EditorFixture::Layout() {
  device.Clear();
  DrawingState().dc = &device;
  RebuildItemIndexLayout();
}

void EditorFixture::BoxesFromRows() {
  const ItemIndex& index = view().index;
  viewPage.boxCount = index.count;
  for (int r = 0; r < index.count; ++r) {
    viewPage.boxes[r][0] = index.rows[r].left;
    viewPage.boxes[r][1] = index.rows[r].right;
    viewPage.boxes[r][2] = index.rows[r].top;
    viewPage.boxes[r][3] = index.rows[r].bottom;
    viewPage.boxValues[r] = 0;
  }
  PageBoxesMissing = 0;
}

std::vector<ScoreFault> EditorFixture::Check() const {
  ScoreCheckOptions options;
  options.page = &viewPage;
  return CheckScore(view(), options);
}

void EditorFixture::ExpectSound() const {
  const std::vector<ScoreFault> faults = Check();
  EXPECT_TRUE(faults.empty()) << DescribeFaults(faults);
}

int EditorFixture::FindRow(int kind, int slot, int nth) const {
  const ItemIndex& index = view().index;
  for (int r = 0; r < index.count; ++r) {
    const uint8_t* item = RowBytes(r);
    if (!item || KindOf(item) != kind || IsStructureMark(item)) continue;
    if (slot >= 0 && index.rows[r].part != static_cast<uint32_t>(slot)) continue;
    if (nth-- == 0) return r;
  }
  return -1;
}

const uint8_t* EditorFixture::RowBytes(int row) const {
  const ItemIndexRow* r = ItemRowAt(view().index, row);
  if (!r) return nullptr;
  uint32_t length = 0;
  return RowItem(*view().streams, *r, &length);
}
