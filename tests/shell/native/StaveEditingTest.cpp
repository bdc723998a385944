// Editing the shown page's staves: the undo ring's depth and order, the
// stave data file written after every step and read back, and the edits
// refused while the page is read.
#include "shell/StaveEditing.h"
#include "shell/PageViewGeometry.h"
#include "shell/StaveOverlay.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "pages/SpriteArea.h"
#include "reading/PageSprites.h"
#include "platform/Folders.h"
#include "platform/Platform.h"
#include "platform/native/NativePlatform.h"
#include "reading/ReadingThread.h"
#include "score/ScoreFile.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchDataFolder.h"

namespace {

class StaveEditingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dataFolder_ = std::make_unique<ScratchDataFolder>();
    savedTable_ = std::make_unique<PageTable>(pageTable);
    pageTable = PageTable{};
    pageTable.pageCount = 1;
    pageTable.rows[0].scanId = 7;
    pageTable.rows[0].pageKey = 4242;
    pageTable.currentPage = 0;
    savedScorePages_ = ScorePages.count;
    ScorePages.count = 0;
    viewPage.staveCount = 0;
    viewPage.width = 2480;
    viewPage.height = 3508;
    viewPage.resolution = 300;
    StaveRing().Clear();
    StaveView() = StaveViewState{};
    ReadingActive() = 0;
    platform::ClearRecordedForTest();
  }
  void TearDown() override {
    StaveRing().Clear();
    viewPage.staveCount = 0;
    ReadingActive() = 0;
    Reading().pageIndex = -1;
    pageTable = *savedTable_;
    ScorePages.count = savedScorePages_;
    dataFolder_.reset();
  }
  // The staves in the page's stored data file equal the ones shown.
  void ExpectFileShowsTheStaves() {
    static PageData stored;
    LoadPageData(&stored, 0);
    ASSERT_EQ(stored.staveCount, viewPage.staveCount);
    for (uint32_t s = 0; s < stored.staveCount; ++s) {
      EXPECT_EQ(stored.staves[s].left, viewPage.staves[s].left) << s;
      EXPECT_EQ(stored.staves[s].top, viewPage.staves[s].top) << s;
      EXPECT_EQ(stored.staves[s].right, viewPage.staves[s].right) << s;
      EXPECT_EQ(stored.staves[s].bottom, viewPage.staves[s].bottom) << s;
      EXPECT_EQ(stored.staves[s].lineCount, viewPage.staves[s].lineCount) << s;
    }
  }
  // An edit as the view makes it: one undo step, then the change, written.
  static void Edit(int n) {
    PushStaveUndo();
    if (viewPage.staveCount == 0) InsertDrawnStave(200, 300, 2200, 360);
    else MoveStave(0, 0, 10 + n);
    WritePageStaveData(false);
  }
  std::unique_ptr<ScratchDataFolder> dataFolder_;
  std::unique_ptr<PageTable> savedTable_;
  int savedScorePages_ = 0;
};

TEST_F(StaveEditingTest, TwentyEditsUndoSeventeenTimesThenBeepWithTheFileAsShown) {
  int tops[21];
  tops[0] = -1;
  for (int n = 1; n <= 20; ++n) {
    Edit(n);
    tops[n] = viewPage.staves[0].top;
  }
  for (int undo = 1; undo <= kStaveUndoSteps; ++undo) {
    SCOPED_TRACE(undo);
    ASSERT_EQ(StaveViewCommand(602), 1);
    ASSERT_EQ(viewPage.staveCount, 1u);
    EXPECT_EQ(viewPage.staves[0].top, tops[20 - undo]);
    ExpectFileShowsTheStaves();
  }
  EXPECT_EQ(platform::RecordedBeepCount(), 0);
  EXPECT_EQ(StaveViewCommand(602), 1);
  EXPECT_EQ(platform::RecordedBeepCount(), 1) << "nothing older is kept";
  // Redo walks forward again to the last edit.
  for (int redo = 1; redo <= kStaveUndoSteps; ++redo) {
    ASSERT_EQ(StaveViewCommand(601), 1);
    EXPECT_EQ(viewPage.staves[0].top, tops[3 + redo]);
    ExpectFileShowsTheStaves();
  }
  EXPECT_EQ(StaveViewCommand(601), 1);
  EXPECT_EQ(platform::RecordedBeepCount(), 2);
}

TEST_F(StaveEditingTest, ANewEditAfterAnUndoLeavesNothingToRedo) {
  Edit(1);
  Edit(2);
  ASSERT_TRUE(UndoStaveEdit());
  Edit(3);
  EXPECT_FALSE(RedoStaveEdit());
}

TEST_F(StaveEditingTest, EscDuringADragPutsTheStaveBackWithoutARedo) {
  Edit(1);
  const int16_t before = viewPage.staves[0].top;
  PushStaveUndo();  // the drag begins
  MoveStave(0, 40, 80);
  StaveRing().MarkShownStateKept();
  ASSERT_TRUE(UndoStaveEdit());
  EXPECT_EQ(viewPage.staves[0].top, before);
  EXPECT_FALSE(RedoStaveEdit());
}

TEST_F(StaveEditingTest, LineCountDeleteAndDeselectWriteTheFile) {
  Edit(1);
  InsertDrawnStave(2300, 900, 100, 800);  // drawn up and to the left
  ASSERT_EQ(viewPage.staveCount, 2u);
  EXPECT_EQ(StaveView().selected, 1);
  EXPECT_EQ(viewPage.staves[1].left, 100);
  EXPECT_EQ(viewPage.staves[1].top, 800);
  ASSERT_EQ(StaveViewCommand(54), 1);
  EXPECT_EQ(viewPage.staves[1].lineCount, 6);
  ExpectFileShowsTheStaves();
  ASSERT_EQ(StaveViewCommand(127), 1);
  EXPECT_EQ(viewPage.staveCount, 1u);
  EXPECT_EQ(StaveView().selected, -1);
  ExpectFileShowsTheStaves();
  ASSERT_TRUE(UndoStaveEdit()) << "a delete takes an undo step";
  EXPECT_EQ(viewPage.staveCount, 2u);
  ExpectFileShowsTheStaves();
}

TEST_F(StaveEditingTest, EditsOfThePageBeingReadAreRefused) {
  Edit(1);
  StaveView().selected = 0;
  ReadingActive() = 1;
  Reading().pageIndex = 0;
  BoxRecorder boxes;
  for (int code : {602, 601, 127, 54}) {
    SCOPED_TRACE(code);
    EXPECT_EQ(StaveViewCommand(code), kStaveCommandRefused);
    EXPECT_EQ(viewPage.staveCount, 1u);
    EXPECT_EQ(viewPage.staves[0].lineCount, 5);
  }
  EXPECT_EQ(StaveViewCommand(27), 1) << "a deselect is refused quietly";
  EXPECT_TRUE(boxes.Boxes().empty()) << "the caller says it once its lock is let go";
  SayPageBeingRead();
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, u"This page is currently being read so it is not possible to edit stave markings.");
  // A locked page (its staves came with the image) ignores them quietly.
  ReadingActive() = 0;
  pageTable.rows[0].flags |= kPageStaveOverlay;
  EXPECT_EQ(StaveViewCommand(127), 1);
  EXPECT_EQ(viewPage.staveCount, 1u);
  EXPECT_EQ(StaveViewCommand(700), 0) << "not a stave command";
}

}  // namespace

namespace {

TEST_F(StaveEditingTest, LocatingWhileReadingOrOnALockedPageLeavesTheStaves) {
  Edit(1);
  ReadingActive() = 1;
  Reading().pageIndex = 5;
  {
    BoxRecorder boxes;
    EXPECT_EQ(LocateStaves(true, true, nullptr), -1);
    EXPECT_EQ(viewPage.staveCount, 1u) << "the staves shown stay";
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, u"Sorry - Korvalinde cannot locate staves whilst it is reading other pages.");
    EXPECT_EQ(LocateStaves(false, true, nullptr), -1);
    EXPECT_EQ(boxes.Boxes().size(), 1u) << "asked quietly, nothing is said";
  }
  ReadingActive() = 0;
  pageTable.rows[0].flags |= kPageStaveOverlay;
  EXPECT_EQ(LocateStaves(true, true, nullptr), -1);
  EXPECT_EQ(viewPage.staveCount, 1u);
  // Neither refusal took an undo step: one undo goes back before the edit.
  pageTable.rows[0].flags &= ~kPageStaveOverlay;
  ASSERT_TRUE(UndoStaveEdit());
  EXPECT_EQ(viewPage.staveCount, 0u);
  EXPECT_FALSE(UndoStaveEdit());
}

}  // namespace

namespace {

// Three staves of 2 inches and more, the first two one system.
void ThreeStaves() {
  InsertDrawnStave(200, 400, 2200, 460);
  InsertDrawnStave(200, 700, 2200, 760);
  InsertDrawnStave(200, 1000, 2200, 1060);
  viewPage.staves[0].group = viewPage.staves[1].group = 0;
  viewPage.staves[2].group = 1;
  StaveView().selected = -1;
  WritePageStaveData(false);
}

TEST_F(StaveEditingTest, AltClickCopiesTheSelectedStaveToThePressHeightInItsPlace) {
  ThreeStaves();
  EXPECT_EQ(CopySelectedStaveTo(900, true), -1) << "nothing selected";
  StaveView().selected = 0;
  const int at = CopySelectedStaveTo(880, true);
  ASSERT_EQ(at, 2) << "below the stave at 700, above the one at 1000";
  ASSERT_EQ(viewPage.staveCount, 4u);
  EXPECT_EQ(StaveView().selected, 2);
  EXPECT_EQ(viewPage.staves[2].top, 850) << "centred on the press";
  EXPECT_EQ(viewPage.staves[2].bottom, 910);
  EXPECT_EQ(viewPage.staves[2].left, viewPage.staves[0].left);
  EXPECT_EQ(viewPage.staves[3].top, 1000) << "the later stave moved one slot down";
  ExpectFileShowsTheStaves();
  ASSERT_TRUE(UndoStaveEdit()) << "the copy took an undo step";
  EXPECT_EQ(viewPage.staveCount, 3u);
  ExpectFileShowsTheStaves();
  // With 13 staves there is no room.
  while (viewPage.staveCount < 13u) {
    const int y = 1100 + 150 * static_cast<int>(viewPage.staveCount);
    ASSERT_GE(InsertDrawnStave(200, y, 2200, y + 60), 0);
  }
  StaveView().selected = 0;
  EXPECT_EQ(CopySelectedStaveTo(300, true), -1);
  EXPECT_EQ(viewPage.staveCount, 13u);
}

TEST_F(StaveEditingTest, AltClickOnANeighbourSplitsOrJoinsWithAnUndoStepAndTheFile) {
  ThreeStaves();
  StaveView().selected = 1;
  EXPECT_FALSE(JoinOrSplitWithSelected(1)) << "the selected stave itself";
  ASSERT_TRUE(JoinOrSplitWithSelected(0));
  EXPECT_NE(viewPage.staves[0].group, viewPage.staves[1].group) << "split";
  static PageData stored;
  LoadPageData(&stored, 0);
  EXPECT_NE(stored.staves[0].group, stored.staves[1].group);
  ASSERT_TRUE(JoinOrSplitWithSelected(2));
  EXPECT_EQ(viewPage.staves[1].group, viewPage.staves[2].group) << "joined";
  StaveView().selected = 0;
  EXPECT_FALSE(JoinOrSplitWithSelected(2)) << "not neighbours";
  ASSERT_TRUE(UndoStaveEdit());
  ASSERT_TRUE(UndoStaveEdit());
  EXPECT_EQ(viewPage.staves[0].group, viewPage.staves[1].group);
  EXPECT_NE(viewPage.staves[1].group, viewPage.staves[2].group);
}

TEST_F(StaveEditingTest, TheSelectedStavesHandlesAreFoundInTheirOrder) {
  ThreeStaves();
  // At 100 %: h = 9, p = 1. Stave 1 spans 200..2200 x 700..760.
  struct Case {
    const char* name;
    double x, y;
    int mode;
  };
  const Case cases[] = {
      {"left of the left end", 193, 730, 2},
      {"right of the right end", 2204, 730, 1},
      {"above the middle of the top line", 1200, 695, 3},
      {"below the bottom line at the middle", 1200, 765, 4},
      {"on the body", 600, 730, 0},
      {"off the stave", 600, 800, -1},
      {"far left", 150, 730, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(StaveHandleAt(viewPage, 1, c.x, c.y, 1.0), c.mode);
  }
  EXPECT_EQ(StaveHandleAt(viewPage, 5, 600, 730, 1.0), -1) << "no such stave";
}

TEST_F(StaveEditingTest, DeletingAStaveRegroupsTheStavesThatMeet) {
  ThreeStaves();
  viewPage.staves[2].group = 0;  // one system of three
  StaveView().selected = 1;
  ASSERT_EQ(StaveViewCommand(127), 1);
  ASSERT_EQ(viewPage.staveCount, 2u);
  // No ink on this page joins the gap between the staves that remain.
  EXPECT_EQ(viewPage.staves[0].group, 0);
  EXPECT_EQ(viewPage.staves[1].group, 1);
  ExpectFileShowsTheStaves();
}

}  // namespace

namespace {

TEST_F(StaveEditingTest, ADragStepStartsFromTheStaveAsTheDragFoundItAndKeepsItInItsLimits) {
  ThreeStaves();
  StaveView().selected = 1;
  const StaveRecord start = viewPage.staves[1];
  // Each step starts again from the drag's start: the last offset counts.
  DragSelectedStave(kMoveStave, start, 40, 30, true);
  DragSelectedStave(kMoveStave, start, 50, 20, true);
  EXPECT_EQ(viewPage.staves[1].left, start.left + 50);
  EXPECT_EQ(viewPage.staves[1].top, start.top + 20);
  // Into the stave below it stops at that stave's top.
  DragSelectedStave(kMoveStave, start, 0, 400, true);
  EXPECT_EQ(viewPage.staves[1].bottom, viewPage.staves[2].top);
  // Dragged on its own, no bracket on this page keeps it in a system with
  // its neighbours.
  viewPage.staves[0].group = viewPage.staves[1].group = viewPage.staves[2].group = 0;
  DragSelectedStave(kDragBottomLine, start, 0, 10, true);
  EXPECT_EQ(viewPage.staves[1].bottom, start.bottom + 10);
  EXPECT_NE(viewPage.staves[0].group, viewPage.staves[1].group);
  EXPECT_NE(viewPage.staves[1].group, viewPage.staves[2].group);
  // The right end alone leaves the systems as they are.
  viewPage.staves[0].group = viewPage.staves[1].group = viewPage.staves[2].group = 0;
  DragSelectedStave(kDragRightEnd, start, -100, 0, true);
  EXPECT_EQ(viewPage.staves[1].right, start.right - 100);
  EXPECT_EQ(viewPage.staves[1].group, 0);
}

TEST_F(StaveEditingTest, AStaveDrawnUpOrLeftIsTheStaveDrawnDownToTheRight) {
  ThreeStaves();
  const int s = InsertDrawnStave(300, 1300, 2300, 1370);
  ASSERT_GE(s, 0);
  SizeDrawnStave(s, 300, 1300, 2300, 1370);
  const StaveRecord down = viewPage.staves[s];
  SizeDrawnStave(s, 2300, 1370, 300, 1300);
  const StaveRecord up = viewPage.staves[s];
  EXPECT_EQ(up.left, down.left);
  EXPECT_EQ(up.right, down.right);
  EXPECT_EQ(up.top, down.top);
  EXPECT_EQ(up.bottom, down.bottom);
  EXPECT_EQ(down.left, 300);
  EXPECT_EQ(down.bottom, 1370);
  EXPECT_EQ(down.lineCount, 5);
}

}  // namespace

namespace {

// An engraved page's two staves (five lines 20 pixels apart, 3 thick) from
// x 300 to 2200 with a bar line at their right ends, at y 1000 and 1300,
// with a bracket at their left ends that makes them one system; shown in
// the page view while it lives.
class EngravedPage {
 public:
  static constexpr uint32_t kWidth = 2480, kHeight = 1700;
  EngravedPage() {
    const uint64_t bytes = PaddedRowBytes(kWidth, 1) * kHeight;
    area_.assign(SpriteAreaBytes(bytes), 0);
    WriteLoadedSpriteHeader(area_.data(), kWidth, kHeight, 1);
    const PageImage image = SpriteImageView(area_.data());
    for (int top : {1000, 1300})
      for (int line = 0; line < 5; ++line)
        for (int y = top + 20 * line - 1; y <= top + 20 * line + 1; ++y)
          for (int x = 300; x <= 2200; ++x) image.SetInk(x, y);
    for (int top : {1000, 1300})
      for (int y = top; y <= top + 80; ++y)
        for (int x = 2196; x <= 2200; ++x) image.SetInk(x, y);
    for (int y = 1000; y <= 1380; ++y)
      for (int x = 292; x <= 296; ++x) image.SetInk(x, y);
    viewPage.imageArea = area_.data();
    viewPage.width = kWidth;
    viewPage.height = kHeight;
  }
  ~EngravedPage() { viewPage.imageArea = nullptr; }

 private:
  std::vector<uint8_t> area_;
};

TEST_F(StaveEditingTest, EditedStavesAreFittedToThePagesLinesAndGroupedByItsBracket) {
  EngravedPage page;
  // The first stave drawn a little off the page's first stave: its lines
  // are found, its end at the bar line.
  PushStaveUndo();
  const int first = InsertDrawnStave(320, 998, 2150, 1078);
  ASSERT_EQ(first, 0);
  SizeDrawnStave(first, 320, 998, 2150, 1078);
  const StaveRecord& fitted = viewPage.staves[0];
  EXPECT_NEAR(fitted.top, 1000, 1);
  EXPECT_NEAR(fitted.bottom, 1080, 1);
  EXPECT_EQ(fitted.lineCount, 5);
  EXPECT_NEAR(fitted.right, 2200, 10) << "the right end found where the lines end";
  // An Alt copy over the second stave: fitted there, and the bracket
  // across the gap makes the two one system.
  StaveView().selected = 0;
  const int copy = CopySelectedStaveTo(1341, true);
  ASSERT_EQ(copy, 1);
  EXPECT_NEAR(viewPage.staves[1].top, 1300, 1);
  EXPECT_NEAR(viewPage.staves[1].bottom, 1380, 1);
  EXPECT_EQ(viewPage.staves[0].group, viewPage.staves[1].group);
  ExpectFileShowsTheStaves();
  // Key 6 makes it a six-line stave: fitted again without deciding its
  // lines from the page, it keeps the six asked for.
  ASSERT_EQ(StaveViewCommand(54), 1);
  EXPECT_EQ(viewPage.staves[1].lineCount, 6);
  EXPECT_EQ(viewPage.staves[1].kind, 1) << "six lines are tablature";
  ExpectFileShowsTheStaves();
}

}  // namespace
