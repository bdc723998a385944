// The selection walk, select all, Esc and delete over a list.
#include "EditorFixture.h"
#include "editor/core/EditorKeys.h"
#include "editor/core/EditorState.h"
#include "editor/core/ScoreUndoRing.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "shell/KeyCodes.h"

namespace {

class EditorKeysTest : public EditorFixture {
 public:
  void SetUp() override {
    EditorFixture::SetUp();
    TheEditorState() = EditorState{};
    Load(kFormat5Score, 5);
  }
  int LastSelectable(bool skipBarsAndTimes = false) const {
    for (int r = view().index.count - 1; r >= 0; --r) {
      if (IsSelectableRow(view(), r, skipBarsAndTimes)) return r;
    }
    return -1;
  }
};

TEST_F(EditorKeysTest, TabWalksForwardAndStaysAtTheLastRow) {
  EXPECT_EQ(EditorKeyHandler(view(), kKeyCodeTab, 0), 1);
  const int first = view().selection.selectedRow;
  EXPECT_TRUE(IsSelectableRow(view(), first, false));
  EXPECT_EQ(EditorKeyHandler(view(), kKeyCodeTab, 0), 1);
  EXPECT_GT(view().selection.selectedRow, first);
  view().selection.hoverRow = LastSelectable();
  ASSERT_EQ(TakeItemIntoSelection(view()), 1);
  EXPECT_EQ(EditorKeyHandler(view(), kKeyCodeTab, 0), 1);
  EXPECT_EQ(view().selection.selectedRow, LastSelectable());
  EXPECT_EQ(EditorKeyHandler(view(), 410, 0), 1);  // Shift+Tab
  EXPECT_LT(view().selection.selectedRow, LastSelectable());
}

TEST_F(EditorKeysTest, ShiftRightExtendsIntoAListWithoutBarsAndEndsAtTheLastRow) {
  view().selection.hoverRow = FindRow(kItemChord, 1);
  ASSERT_EQ(TakeItemIntoSelection(view()), 1);
  EXPECT_EQ(EditorKeyHandler(view(), 413, 0), 1);
  EXPECT_EQ(view().selection.multiCount, 2);
  EXPECT_EQ(view().selection.selectedRow, -1);
  for (int i = 0; i < 40; ++i) EditorKeyHandler(view(), 413, 0);
  const SelectionState& s = view().selection;
  for (int i = 0; i < s.multiCount; ++i) {
    EXPECT_TRUE(IsSelectableRow(view(), s.multiRows[i], true));
  }
  EXPECT_EQ(MaxSelectedItem(s), LastSelectable(true));
  ExpectSound();
}

TEST_F(EditorKeysTest, CtrlRightLandsAfterTheNextBarLine) {
  view().selection.hoverRow = FindRow(kItemChord, 1);
  ASSERT_EQ(TakeItemIntoSelection(view()), 1);
  EXPECT_EQ(EditorKeyHandler(view(), 429, 0), 1);
  const int row = view().selection.selectedRow;
  ASSERT_GE(row, 1);
  EXPECT_TRUE(IsBarLine(RowBytes(row - 1)) || !IsSelectableRow(view(), row - 1, false));
}

TEST_F(EditorKeysTest, SelectAllListsAllButBarsAndTimesAndEscClearsIt) {
  EXPECT_EQ(EditorKeyHandler(view(), kKeyCodeSelectAll, 0), 1);
  EXPECT_GT(view().selection.multiCount, 10);
  for (int i = 0; i < view().selection.multiCount; ++i) {
    const uint8_t* item = RowBytes(view().selection.multiRows[i]);
    EXPECT_FALSE(KindOf(item) == kItemBarLine || KindOf(item) == kItemTime);
  }
  EXPECT_EQ(EditorKeyHandler(view(), kKeyCodeEscape, 0), 1);
  EXPECT_EQ(view().selection.multiCount, 0);
  EXPECT_EQ(view().selection.selectedRow, -1);
}

TEST_F(EditorKeysTest, DeleteOverAListTakesOneSnapshotAndEmptiesTheList) {
  ScorePages.rows[0].dataId = 7;
  ClearScoreUndo();
  SelectionState& s = view().selection;
  s.multiRows[0] = static_cast<uint16_t>(FindRow(kItemChord, 1, 1));
  s.multiRows[1] = static_cast<uint16_t>(FindRow(kItemChord, 1, 2));
  s.multiRows[2] = static_cast<uint16_t>(FindRow(kItemRest, 1));
  s.multiCount = 3;
  const int count = view().index.count;
  EXPECT_EQ(EditorKeyHandler(view(), kKeyCodeDelete, 0), 1);
  EXPECT_EQ(view().index.count, count - 3);
  EXPECT_EQ(s.multiCount, 0);
  EXPECT_EQ(TheUndoRing().count, 1);
  ExpectSound();
  // One undo brings all three back.
  EXPECT_EQ(EditorKeyHandler(view(), kKeyCodeUndo, 0), 1);
  Layout();
  EXPECT_EQ(view().index.count, count);
  ExpectSound();
}

TEST_F(EditorKeysTest, TheLockRefusesEdits) {
  TheEditorState().locked = true;
  view().selection.hoverRow = FindRow(kItemChord, 1);
  ASSERT_EQ(TakeItemIntoSelection(view()), 1);
  const int count = view().index.count;
  EXPECT_EQ(EditorKeyHandler(view(), kKeyCodeDelete, 0), 1);
  EXPECT_EQ(EditorKeyHandler(view(), '3', 0), 1);
  EXPECT_EQ(view().index.count, count);
  EXPECT_EQ(EditorKeyHandler(view(), kKeyCodeTab, 0), 0);
}

}  // namespace
