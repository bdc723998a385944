// Digits, arrows and the stem key on chords, near the ends of the staff and
// of the 31 notes; tablature frets by a clock.
#include <string>
#include <vector>

#include "EditorFixture.h"
#include "editor/core/ChordKeys.h"
#include "editor/core/EditWrites.h"
#include "editor/core/EditorState.h"
#include "editor/core/StreamWrites.h"
#include "score/ScoreItem.h"
#include "shell/KeyCodes.h"

namespace {

class ChordKeysTest : public EditorFixture {
 public:
  void SetUp() override {
    EditorFixture::SetUp();
    TheEditorState() = EditorState{};
    Load(kFormat5Score, 5);
  }
  // The first chord of part slot `slot` made the given notes (positions, or
  // fret | string << 5), selected, with `selected` notes selected (by index).
  void MakeChord(int slot, const std::vector<uint8_t>& notes, const std::vector<int>& selected) {
    row_ = FindRow(kItemChord, slot);
    std::vector<uint8_t> chord = {static_cast<uint8_t>(kItemChord | notes.size() << 3), 5 << 2, 0, 0, 0};
    chord.insert(chord.end(), notes.begin(), notes.end());
    ASSERT_TRUE(ReplaceRowItem(view(), row_, chord.data()));
    view().selection.hoverRow = row_;
    ASSERT_EQ(TakeItemIntoSelection(view()), 1);
    for (uint32_t& flag : TheEditorState().chordNotes) flag = 0;
    for (int k : selected) TheEditorState().chordNotes[k] = 1;
  }
  std::vector<int> Notes() const {
    const uint8_t* chord = RowBytes(row_);
    std::vector<int> out;
    for (unsigned n = 0; n < ChordNoteCount(chord); ++n) out.push_back(chord[kChordHeaderBytes + n]);
    return out;
  }
  std::vector<int> Selected() const {
    std::vector<int> out;
    for (unsigned k = 0; k < kMaxChordNotes; ++k) {
      if (TheEditorState().chordNotes[k]) out.push_back(static_cast<int>(k));
    }
    return out;
  }
  int row_ = -1;
};

struct KeyCase {
  const char* name;
  std::vector<uint8_t> notes;
  std::vector<int> selected;
  int code;
  std::vector<int> notesAfter;
  std::vector<int> selectedAfter;
};

TEST_F(ChordKeysTest, DigitsAndArrowsOnChords) {
  const KeyCase cases[] = {
      {"3 adds a third above the highest selected note", {10, 14}, {0}, '3', {10, 12, 14}, {1}},
      {"Shift+3 adds a third below the lowest selected", {10, 14}, {1}, 1075, {10, 12, 14}, {1}},
      {"a digit past 31 adds nothing", {25, 30}, {1}, '3', {25, 30}, {1}},
      {"Shift+2 below 1 adds nothing", {1, 5}, {0}, 1074, {1, 5}, {0}},
      {"a digit onto a held position adds nothing", {10, 12}, {0}, '3', {10, 12}, {0}},
      {"digits 0 and 1 add nothing", {10}, {0}, '1', {10}, {0}},
      {"with no note selected a digit counts from 0", {10}, {}, '5', {4, 10}, {0}},
      {"Up moves the selected note", {10, 14}, {0}, kKeyCodeUp, {11, 14}, {0}},
      {"Up with the top note at 31 does nothing", {10, 31}, {0}, kKeyCodeUp, {10, 31}, {0}},
      {"Down with the lowest note at 1 does nothing", {1, 10}, {1}, kKeyCodeDown, {1, 10}, {1}},
      {"Up onto a held position is refused", {10, 11}, {0}, kKeyCodeUp, {10, 11}, {0}},
      {"Ctrl+Up moves seven steps", {10, 14}, {0, 1}, kKeyCodeCtrlUp, {17, 21}, {0, 1}},
      {"Ctrl+Up near the top moves as far as all fit", {20, 26}, {0, 1}, kKeyCodeCtrlUp, {25, 31}, {0, 1}},
      {"Ctrl+Down near the bottom never collapses notes", {2, 3, 4}, {0, 1, 2}, kKeyCodeCtrlDown, {1, 2, 3}, {0, 1, 2}},
      {"Ctrl+Up past a held note keeps the order", {10, 12, 20}, {0}, kKeyCodeCtrlUp, {12, 17, 20}, {1}},
      {"Ctrl+Up onto a held note is refused", {10, 17}, {0}, kKeyCodeCtrlUp, {10, 17}, {0}},
      {"Alt+Up selects the note above", {10, 12, 14}, {0}, kKeyCodeAltUp, {10, 12, 14}, {1}},
      {"Alt+Up at the top selects the lowest", {10, 12, 14}, {2}, kKeyCodeAltUp, {10, 12, 14}, {0}},
      {"Alt+Down with all selected selects the highest", {10, 12, 14}, {0, 1, 2}, kKeyCodeAltDown, {10, 12, 14}, {2}},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    Load(kFormat5Score, 5);
    MakeChord(1, c.notes, c.selected);
    const bool arrow = c.code == kKeyCodeUp || c.code == kKeyCodeDown || c.code == kKeyCodeCtrlUp ||
                       c.code == kKeyCodeCtrlDown || c.code == kKeyCodeAltUp || c.code == kKeyCodeAltDown;
    if (arrow) {
      EXPECT_EQ(ChordArrowKey(view(), c.code), 1);
    } else {
      EXPECT_EQ(ChordDigitKey(view(), c.code, 0), 1);
    }
    EXPECT_EQ(Notes(), c.notesAfter);
    EXPECT_EQ(Selected(), c.selectedAfter);
    ExpectSound();
  }
}

TEST_F(ChordKeysTest, A31NoteChordTakesNoMoreNotes) {
  std::vector<uint8_t> notes;
  for (uint8_t p = 1; p <= 30; ++p) notes.push_back(p);
  MakeChord(1, notes, {29});
  EXPECT_EQ(AddChordNoteAt(view(), 31), 1);
  EXPECT_EQ(Notes().size(), 31u);
  ExpectSound();
  view().selection.hoverRow = row_;
  ASSERT_EQ(TakeItemIntoSelection(view()), 1);
  // Every position is held and no 32nd note can come, neither by click nor by digit.
  EXPECT_EQ(AddChordNoteAt(view(), 40), 0);
  EXPECT_EQ(ChordDigitKey(view(), '2', 0), 1);
  EXPECT_EQ(Notes().size(), 31u);
  ExpectSound();
}

TEST_F(ChordKeysTest, ADoubleClickAddsOneNoteAfterClamping) {
  MakeChord(1, {10, 31}, {0});
  EXPECT_EQ(AddChordNoteAt(view(), 40), 0);  // clamped onto the held 31
  EXPECT_EQ(AddChordNoteAt(view(), 12), 1);
  EXPECT_EQ(Notes(), (std::vector<int>{10, 12, 31}));
  EXPECT_EQ(Selected(), (std::vector<int>{1}));
  ExpectSound();
}

struct FretCase {
  const char* name;
  std::vector<std::pair<int, uint32_t>> digits;  // digit, centiseconds
  int fret;
};

TEST_F(ChordKeysTest, TablatureFretsByTheClock) {
  const FretCase cases[] = {
      {"1 then 2 within a second: 12", {{'1', 1000}, {'2', 1050}}, 12},
      {"3 then 5: 35 is no fret, 5", {{'3', 1000}, {'5', 1050}}, 5},
      {"7 after two seconds: 7", {{'1', 1000}, {'7', 1200}}, 7},
      {"2, 3, 1: the last two digits, 31", {{'2', 1000}, {'3', 1010}, {'1', 1020}}, 31},
  };
  for (const FretCase& c : cases) {
    SCOPED_TRACE(c.name);
    Load(kFormat5Score, 5);
    TheEditorState() = EditorState{};
    MakeChord(2, {3 | 1 << 5}, {0});
    for (const auto& [digit, time] : c.digits) {
      view().selection.hoverRow = row_;
      ASSERT_EQ(TakeItemIntoSelection(view()), 1);
      EXPECT_EQ(ChordDigitKey(view(), digit, time), 1);
    }
    EXPECT_EQ(Notes(), (std::vector<int>{c.fret | 1 << 5}));
    ExpectSound();
  }
}

TEST_F(ChordKeysTest, TablatureStringsMoveWithCtrlAndStayOnTheStrings) {
  // Guitar: strings 0..5.
  MakeChord(2, {3 | 4 << 5, 5 | 5 << 5}, {1});
  EXPECT_EQ(ChordArrowKey(view(), kKeyCodeCtrlUp), 1);  // string 5 is the last
  EXPECT_EQ(Notes(), (std::vector<int>{3 | 4 << 5, 5 | 5 << 5}));
  TheEditorState().chordNotes[0] = 1, TheEditorState().chordNotes[1] = 0;
  EXPECT_EQ(ChordArrowKey(view(), kKeyCodeCtrlDown), 1);
  EXPECT_EQ(Notes(), (std::vector<int>{3 | 3 << 5, 5 | 5 << 5}));
  // Plain Up moves the note selection on tablature.
  view().selection.hoverRow = row_;
  ASSERT_EQ(TakeItemIntoSelection(view()), 1);
  EXPECT_EQ(ChordArrowKey(view(), kKeyCodeUp), 1);
  EXPECT_EQ(Selected(), (std::vector<int>{1}));
  ExpectSound();
}

TEST_F(ChordKeysTest, XTurnsTheStem) {
  MakeChord(1, {10}, {0});
  EXPECT_EQ(ToggleChordStem(view()), 1);
  EXPECT_TRUE(ChordStemDown(RowBytes(row_)));
  ExpectSound();
}

}  // namespace
