// The writes keep the index, the object boxes, the page starts and the
// selection in step with the streams; the editor's writes over them.
#include <vector>

#include "EditorFixture.h"
#include "editor/core/BarStructure.h"
#include "editor/core/EditWrites.h"
#include "editor/core/EditorState.h"
#include "editor/core/StreamWrites.h"
#include "render/ScorePagePainter.h"
#include "score/PageMarks.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"
#include "tests/support/BoxRecorder.h"

namespace {

class StreamWritesTest : public EditorFixture {
 public:
  void SetUp() override {
    EditorFixture::SetUp();
    TheEditorState() = EditorState{};
  }
  void Select(int row) {
    view().selection.hoverRow = row;
    ASSERT_EQ(TakeItemIntoSelection(view()), 1);
  }
  std::vector<uint8_t> Stream(int slot) const {
    const uint8_t* bytes = StreamBytes(ScoreStream, slot);
    return std::vector<uint8_t>(bytes, bytes + ScoreStream.used[slot]);
  }
};

const uint8_t kTwoNoteChord[] = {kItemChord | 2 << 3, 5 << 2, 0, 0, 0, 10, 14};

TEST_F(StreamWritesTest, AReplacementMovesLaterRowsAndLaterPagesOfItsPartOnly) {
  for (uint8_t version : {uint8_t(5), uint8_t(2)}) {
    SCOPED_TRACE(version);
    Load(version == 5 ? kFormat5Score : kFormat2Score, version);
    const int row = FindRow(kItemChord, 1);  // a one-note chord
    const uint32_t page2Part1 = PageStarts[1][1], page2Part2 = PageStarts[1][2];
    const uint32_t next = view().index.rows[row + 1].offset;
    ASSERT_TRUE(ReplaceRowItem(view(), row, kTwoNoteChord));
    EXPECT_EQ(PageStarts[1][1], page2Part1 + 1);
    EXPECT_EQ(PageStarts[1][2], page2Part2);
    EXPECT_EQ(view().index.rows[row + 1].offset, next + 1);
    ExpectSound();
  }
}

TEST_F(StreamWritesTest, AnInsertionTakesARowABoxAndRenumbersTheSelection) {
  Load(kFormat5Score, 5);
  const int row = FindRow(kItemChord, 1);
  const int count = view().index.count;
  SelectionState& s = view().selection;
  s.multiRows[0] = static_cast<uint16_t>(row);
  s.multiRows[1] = static_cast<uint16_t>(row + 1);
  s.multiRows[2] = static_cast<uint16_t>(row + 2);
  s.multiCount = 3;
  s.selectedRow = row + 2;
  const int fresh = InsertRowItem(view(), row, false, kTwoNoteChord);
  EXPECT_EQ(fresh, row + 1);
  EXPECT_EQ(view().index.count, count + 1);
  EXPECT_EQ(viewPage.boxCount, count + 1);
  EXPECT_EQ(s.multiRows[0], row);
  EXPECT_EQ(s.multiRows[1], row + 2);
  EXPECT_EQ(s.multiRows[2], row + 3);
  EXPECT_EQ(s.selectedRow, row + 3);
  EXPECT_EQ(RowBytes(fresh)[0], kTwoNoteChord[0]);
  ExpectSound();
  // Before a row: the new item takes that row's place.
  const int before = InsertRowItem(view(), row, true, kTwoNoteChord);
  EXPECT_EQ(before, row);
  EXPECT_EQ(s.multiRows[0], row + 1);
  ExpectSound();
  // The next layout pass gives as many rows as the writes kept.
  Layout();
  EXPECT_EQ(view().index.count, count + 2);
  ExpectSound();
}

TEST_F(StreamWritesTest, AnInsertionIntoAFullIndexKeeps4096RowsAndDropsTheLast) {
  Load(kFormat5Score, 5);
  ItemIndex& index = view().index;
  // Fill the index with copies of the last row, and the boxes with it.
  for (int r = index.count; r < kItemIndexCapacity; ++r) {
    index.rows[r] = index.rows[index.count - 1];
    for (int k = 0; k < 4; ++k) viewPage.boxes[r][k] = viewPage.boxes[index.count - 1][k];
  }
  index.count = kItemIndexCapacity;
  viewPage.boxCount = kMaxLoadedBoxes;
  view().selection.multiRows[0] = kItemIndexCapacity - 1;
  view().selection.multiCount = 1;
  const int row = FindRow(kItemChord, 1);
  EXPECT_EQ(InsertRowItem(view(), row, false, kTwoNoteChord), row + 1);
  EXPECT_EQ(index.count, kItemIndexCapacity);
  EXPECT_EQ(viewPage.boxCount, kMaxLoadedBoxes);
  EXPECT_EQ(view().selection.multiRows[0], kRemovedSelectionEntry);  // its row was dropped
  ExpectSound();
  // After the very last row: written, but without a row.
  bool written = false;
  EXPECT_EQ(InsertRowItem(view(), kItemIndexCapacity - 1, false, kTwoNoteChord, &written), -1);
  EXPECT_TRUE(written);
  EXPECT_EQ(index.count, kItemIndexCapacity);
  ExpectSound();
}

TEST_F(StreamWritesTest, ARemovalMarksItsListEntryAndRenumbersTheRest) {
  Load(kFormat2Score, 2);
  const int row = FindRow(kItemChord, 1, 1);
  SelectionState& s = view().selection;
  s.multiRows[0] = static_cast<uint16_t>(row - 1);
  s.multiRows[1] = static_cast<uint16_t>(row);
  s.multiRows[2] = static_cast<uint16_t>(row + 1);
  s.multiCount = 3;
  const int count = view().index.count;
  ASSERT_TRUE(RemoveRowItem(view(), row));
  EXPECT_EQ(s.multiRows[0], row - 1);
  EXPECT_EQ(s.multiRows[1], kRemovedSelectionEntry);
  EXPECT_EQ(s.multiRows[2], row);
  EXPECT_EQ(view().index.count, count - 1);
  EXPECT_EQ(viewPage.boxCount, count - 1);
  ExpectSound();
}

TEST_F(StreamWritesTest, StructureMarksAndNotelessChordsAreNeverWritten) {
  Load(kFormat5Score, 5);
  const int row = FindRow(kItemChord, 1);
  const uint8_t mark[] = {kPageMark};
  const uint8_t noteless[] = {kItemChord, 5 << 2, 0, 0, 0};
  const std::vector<uint8_t> before = Stream(1);
  EXPECT_FALSE(ReplaceRowItem(view(), row, mark));
  EXPECT_EQ(InsertRowItem(view(), row, false, noteless), -1);
  EXPECT_EQ(Stream(1), before);
}

TEST_F(StreamWritesTest, RemovingTheFirstClefChangesNothingAndTheFirstKeyLeavesAnEmptyOne) {
  Load(kFormat5Score, 5);
  const std::vector<uint8_t> before = Stream(1);
  Select(FindRow(kItemClef, 1));
  EXPECT_EQ(RemoveSelectedItem(view(), false), 0);
  EXPECT_EQ(Stream(1), before);
  const int keyRow = FindRow(kItemKey, 1);
  Select(keyRow);
  const int count = view().index.count;
  EXPECT_EQ(RemoveSelectedItem(view(), false), 1);
  EXPECT_EQ(RowBytes(keyRow)[0], 130);
  EXPECT_EQ(view().index.count, count);  // replaced, nothing else removed
  EXPECT_EQ(view().selection.selectedRow, -1);
  ExpectSound();
}

TEST_F(StreamWritesTest, RemovingAChordHidesTheTiesOfItsVoiceBeforeIt) {
  Load(kFormat5Score, 5);
  const int chord = FindRow(kItemChord, 1, 1);
  // A tie of voice 0 in front of the second chord.
  const uint8_t tie[] = {kRepeatedChordMarkByte, 1, 0, 64, 10};
  const int tieRow = InsertRowItem(view(), chord, true, tie);
  ASSERT_GE(tieRow, 0);
  Select(tieRow + 1);
  ASSERT_EQ(KindOf(RowBytes(tieRow + 1)), kItemChord);
  EXPECT_EQ(RemoveSelectedItem(view(), false), 1);
  EXPECT_EQ(RowBytes(tieRow)[0], kHiddenMarkByte);
  ExpectSound();
}

TEST_F(StreamWritesTest, EditWritesInsertStampAndRefuseNotelessChordsByRemoving) {
  Load(kFormat5Score, 5);
  const int row = FindRow(kItemChord, 1);
  Select(row);
  TheEditorState().currentVoice = 2;
  EXPECT_EQ(WriteEditItem(view(), false, true, false), 1);
  EXPECT_EQ(view().selection.selectedRow, row + 1);
  EXPECT_EQ(ChordVoice(RowBytes(row + 1)), 2);
  EXPECT_FALSE(TheEditorState().insertBefore);
  ExpectSound();
  // The edit item emptied of notes: written over the selection it removes it.
  const int count = view().index.count;
  view().selection.edit.Bytes()[0] = kItemChord;
  EXPECT_EQ(WriteEditItem(view(), true, false, false), 1);
  EXPECT_EQ(view().index.count, count - 1);
  ExpectSound();
}

TEST_F(StreamWritesTest, ABarLineGoesIntoTheSameSystemOfEveryPart) {
  Load(kFormat5Score, 5);
  // The second system's chord of part 1.
  const int row = FindRow(kItemChord, 1, 7);
  ASSERT_GE(row, 0);
  Select(row);
  const int barsBefore1 = [&] {
    int n = 0;
    for (int r = 0; r < view().index.count; ++r) n += IsBarLine(RowBytes(r)) ? 1 : 0;
    return n;
  }();
  view().selection.edit.SelectKind(kItemBarLine);
  view().selection.edit.Bytes()[0] = MakeBarLine(kBarDouble);
  EXPECT_EQ(WriteEditItem(view(), false, false, false), 1);
  int bars = 0, doubles = 0;
  for (int r = 0; r < view().index.count; ++r) {
    bars += IsBarLine(RowBytes(r)) ? 1 : 0;
    doubles += RowBytes(r)[0] == MakeBarLine(kBarDouble) ? 1 : 0;
  }
  EXPECT_EQ(bars, barsBefore1 + 2);  // parts 1 and 2
  EXPECT_EQ(doubles, 2);
  ExpectSound();
  // And it is removed from both again.
  EXPECT_EQ(RowBytes(view().selection.selectedRow)[0], MakeBarLine(kBarDouble));
  EXPECT_EQ(RemoveSelectedItem(view(), false), 1);
  doubles = 0;
  for (int r = 0; r < view().index.count; ++r) doubles += RowBytes(r)[0] == MakeBarLine(kBarDouble) ? 1 : 0;
  EXPECT_EQ(doubles, 0);
  ExpectSound();
}

TEST_F(StreamWritesTest, ABarLineIsRefusedWhenAPartLacksTheSystem) {
  Load(kFormat5Score, 5);
  // Part 2 loses its second system's content and mark on page 1: its
  // systems no longer match part 1's (a broken score the checker would
  // name, but the writer must not make worse).
  const int row = FindRow(kItemChord, 1, 7);
  Select(row);
  // Make part 2's second system mark a bar line: part 2 has one system less.
  uint8_t* part2 = StreamBytes(ScoreStream, 2);
  uint32_t marks = 0;
  for (uint32_t i = 0; i < PageStarts[1][2]; ++i) {
    if (part2[i] == kBarBoundary && ++marks == 2) part2[i] = MakeBarLine(kBarSingle);
  }
  const std::vector<uint8_t> before1 = Stream(1), before2 = Stream(2);
  BoxRecorder boxes;
  view().selection.edit.SelectKind(kItemBarLine);
  view().selection.edit.Bytes()[0] = MakeBarLine(kBarDouble);
  EXPECT_EQ(WriteEditItem(view(), false, false, false), 0);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(Stream(1), before1);
  EXPECT_EQ(Stream(2), before2);
}

}  // namespace

namespace {

int CountRows(StreamWritesTest& t, uint8_t firstByte, int slot) {
  int n = 0;
  for (int r = 0; r < t.view().index.count; ++r) {
    if (t.view().index.rows[r].part == static_cast<uint32_t>(slot) && t.RowBytes(r)[0] == firstByte) ++n;
  }
  return n;
}

TEST_F(StreamWritesTest, ACtrlKeySignatureSkipsTheTablaturePart) {
  Load(kFormat5Score, 5);
  Select(FindRow(kItemChord, 1, 7));
  TheEditorState().ctrlHeld = true;
  const uint8_t key = MakeKeySignature(2, false, false);
  view().selection.edit.SelectKind(kItemKey);
  view().selection.edit.Bytes()[0] = key;
  EXPECT_EQ(WriteEditItem(view(), false, false, false), 1);
  EXPECT_EQ(CountRows(*this, key, 1), 1);
  EXPECT_EQ(CountRows(*this, key, 2), 0);
  ExpectSound();
  // Removed with Ctrl from the part that has it, the tablature part untouched.
  Select(FindRow(kItemKey, 1, 1));
  EXPECT_EQ(RemoveSelectedItem(view(), false), 1);
  EXPECT_EQ(CountRows(*this, key, 1), 0);
  ExpectSound();
}

TEST_F(StreamWritesTest, APropagatedClefChangeCarriesToTheMatchingClefsAfterIt) {
  // Part 1: treble, then treble again in the second system, bass on page 2.
  Load(kFormat5Score, 5);
  TheEditorState().propagate = true;
  Select(FindRow(kItemClef, 1));
  SetClef(view().selection.edit.Bytes(), kClefAlto, 0);
  EXPECT_EQ(CommitEditItem(view(), true, false, false), 1);
  EXPECT_EQ(ClefCodeOf(RowBytes(FindRow(kItemClef, 1))), kClefAlto);
  EXPECT_EQ(ClefCodeOf(RowBytes(FindRow(kItemClef, 1, 1))), kClefAlto);  // the second treble followed
  // The bass clef of page 2 stayed.
  const uint8_t* stream = StreamBytes(ScoreStream, 1);
  EXPECT_EQ(ClefCodeOf(stream + PageStarts[1][1]), kClefBass);
  ExpectSound();
}

}  // namespace
