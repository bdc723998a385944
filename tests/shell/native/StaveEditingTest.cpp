// Editing the shown page's staves: the undo ring's depth and order, the
// stave data file written after every step and read back, and the edits
// refused while the page is read.
#include "shell/StaveEditing.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "platform/Folders.h"
#include "platform/Platform.h"
#include "platform/native/NativePlatform.h"
#include "reading/ReadingThread.h"
#include "score/ScoreFile.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"

namespace {

class StaveEditingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldDataFolder_ = DataFolder();
    scratch_ = std::make_unique<ScratchFolder>();
    SetDataFolder(scratch_->Path().c_str());
    platform::MakeDirectory(scratch_->File(u"RuzazEvova_d5").c_str());
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
    SetDataFolder(oldDataFolder_.c_str());
    scratch_.reset();
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
  std::u16string oldDataFolder_;
  std::unique_ptr<ScratchFolder> scratch_;
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
