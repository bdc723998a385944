// The keypad's codes on chords and rests, one table of presses.
#include <vector>

#include "EditorFixture.h"
#include "editor/core/EditorState.h"
#include "editor/core/KeypadCodes.h"
#include "editor/core/StreamWrites.h"
#include "score/ScoreItem.h"

namespace {

class KeypadCodesTest : public EditorFixture {
 public:
  void SetUp() override {
    EditorFixture::SetUp();
    TheEditorState() = EditorState{};
    Load(kFormat5Score, 5);
  }
  int Place(const std::vector<uint8_t>& item) {
    const int row = FindRow(kItemChord, 1);
    EXPECT_TRUE(ReplaceRowItem(view(), row, item.data()));
    view().selection.hoverRow = row;
    EXPECT_EQ(TakeItemIntoSelection(view()), 1);
    SelectAllChordNotes(TheEditorState(), kMaxChordNotes);
    return row;
  }
  std::vector<uint8_t> Item(int row) const {
    const uint8_t* item = RowBytes(row);
    return std::vector<uint8_t>(item, item + ItemLength(item));
  }
};

using Bytes = std::vector<uint8_t>;
const Bytes kCrotchet = {kItemChord | 1 << 3, 5 << 2, 0, 0, 0, 16};
const Bytes kCrotchetRest = {kItemRest | 5 << 4, 0};

struct PressCase {
  const char* name;
  Bytes before;
  int code;
  std::vector<int> latched;
  bool toggle;
  Bytes after;
};

TEST_F(KeypadCodesTest, PressesOnChordsAndRests) {
  const PressCase cases[] = {
      {"a half note", kCrotchet, kPadHalf, {kPadHalf}, true, {0x0C, 6 << 2, 0, 0, 0, 16}},
      {"a 128th", kCrotchet, kPad128th, {kPad128th}, true, {0x0C, 0, 0, 0, 0, 16}},
      {"a dot", kCrotchet, kPadDot, {kPadDot}, true, {0x0C, 5 << 2 | 1 << 6, 0, 0, 0, 16}},
      {"two dots", kCrotchet, kPadDoubleDot, {}, true, {0x0C, 5 << 2 | 2 << 6, 0, 0, 0, 16}},
      {"the dot again takes it off", {0x0C, 5 << 2 | 1 << 6, 0, 0, 0, 16}, kPadDot, {}, true, kCrotchet},
      {"a sharp", kCrotchet, kPadSharp, {}, true, {0x0C, 5 << 2, 0, 0, 0, 16 | 2 << 5}},
      {"accidentals removed", {0x0C, 5 << 2, 0, 0, 0, 16 | 3 << 5}, kPadClearAccidentals, {}, true, kCrotchet},
      {"an accent flips bit 0", kCrotchet, kPadAccent, {}, true, {0x0C, 5 << 2, 0, 1, 0, 16}},
      {"a fermata", kCrotchet, kPadFermata, {}, true, {0x0C, 5 << 2, 1 << 5, 0, 0, 16}},
      {"the fermata again clears it", {0x0C, 5 << 2, 1 << 5, 0, 0, 16}, kPadFermata, {}, true, kCrotchet},
      {"staccato", kCrotchet, kPadStaccato, {}, true, {0x0C, 5 << 2, 5 << 5, 0, 0, 16}},
      {"articulations cleared", {0x0C, 5 << 2, 6 << 5, 0x15, 0, 16}, kPadClearArticulation, {}, true, kCrotchet},
      {"an appoggiatura is small", kCrotchet, kPadAppoggiatura, {}, true, {0x0C, 5 << 2, 0, 0x80, 0x04, 16}},
      {"cue size", kCrotchet, kPadCue, {}, true, {0x0C, 5 << 2, 0, 0x80, 0, 16}},
      {"a cross head", kCrotchet, kPadCross, {}, true, {0x0C, 5 << 2, 0, 0, 1, 16}},
      {"the stem flipped", kCrotchet, kPadStem, {}, true, {0x0C, 5 << 2, 0, 0, 0x20, 16}},
      {"the beam cleared", {0x0C, 5 << 2, 0, 0, 0xC0, 16}, kPadClearBeam, {}, true, kCrotchet},
      {"a bar rest", kCrotchet, kPadBarRest, {}, true, {29, 0}},
      {"a chord made a rest", kCrotchet, kPadRest, {kPadRest}, true, kCrotchetRest},
      {"a rest made a chord", kCrotchetRest, kPadRest, {}, true, {12, 5 << 2, 0, 0, 0x20, 16}},
      {"a rest made a quaver", kCrotchetRest, kPadEighth, {kPadEighth}, true, {kItemRest | 4 << 4, 0}},
      {"a rest's fermata", kCrotchetRest, kPadFermata, {}, true, {kItemRest | 5 << 4, 1 << 2}},
      {"a rest's fermata again", {kItemRest | 5 << 4, 1 << 2}, kPadFermata, {}, true, kCrotchetRest},
      {"a rest takes no accidental", kCrotchetRest, kPadSharp, {}, true, kCrotchetRest},
      {"without toggle the marks follow the keypad", {0x0C, 5 << 2, 0, 0x04, 0, 16}, kPadAccent, {kPadAccent}, false,
       {0x0C, 5 << 2, 0, 0x01, 0, 16}},
  };
  for (const PressCase& c : cases) {
    SCOPED_TRACE(c.name);
    Load(kFormat5Score, 5);
    const int row = Place(c.before);
    uint8_t latched[256] = {};
    for (int code : c.latched) latched[code] = 1;
    KeypadLatches keys;
    keys.latched = latched;
    EXPECT_EQ(ApplyKeypadCode(view(), true, false, c.code, c.toggle, keys), 1);
    EXPECT_EQ(Item(row), c.after);
    ExpectSound();
  }
}

TEST_F(KeypadCodesTest, ABreveChordWithTheRestKeyBecomesTwoWholeRests) {
  const int row = Place({0x0C, 8 << 2, 0, 0, 0, 16});
  const int count = view().index.count;
  uint8_t latched[256] = {};
  latched[kPadRest] = 1;
  KeypadLatches keys;
  keys.latched = latched;
  EXPECT_EQ(ApplyKeypadCode(view(), true, false, kPadRest, true, keys), 1);
  EXPECT_EQ(Item(row), (Bytes{117, 0}));
  EXPECT_EQ(Item(row + 1), (Bytes{117, 0}));
  EXPECT_EQ(view().index.count, count + 1);
  ExpectSound();
}

TEST_F(KeypadCodesTest, TheTieKeyTwiceLeavesTheStreamAsItWas) {
  const int row = Place(kCrotchet);
  const uint8_t* stream = StreamBytes(ScoreStream, 1);
  const Bytes before(stream, stream + ScoreStream.used[1]);
  KeypadLatches keys;
  EXPECT_EQ(ApplyKeypadCode(view(), true, false, kPadTie, true, keys), 1);
  EXPECT_EQ(RowBytes(row)[0], 150);  // the tie in front of the chord
  ExpectSound();
  view().selection.hoverRow = row + 1;
  ASSERT_EQ(TakeItemIntoSelection(view()), 1);
  EXPECT_EQ(ApplyKeypadCode(view(), true, false, kPadTie, true, keys), 1);
  stream = StreamBytes(ScoreStream, 1);
  EXPECT_EQ(Bytes(stream, stream + ScoreStream.used[1]), before);
  ExpectSound();
}

TEST_F(KeypadCodesTest, AMultiSelectionTakesTheCodeUnderOneSnapshot) {
  // Two chords and a rest listed: a sharp changes the chords only.
  const int first = FindRow(kItemChord, 1), second = FindRow(kItemChord, 1, 1), rest = FindRow(kItemRest, 1);
  const Bytes restBefore = Item(rest);
  SelectionState& s = view().selection;
  s.multiRows[0] = static_cast<uint16_t>(first);
  s.multiRows[1] = static_cast<uint16_t>(second);
  s.multiRows[2] = static_cast<uint16_t>(rest);
  s.multiCount = 3;
  KeypadLatches keys;
  EXPECT_EQ(ApplyKeypadCodeToSelection(view(), 11, kPadSharp, keys), 1);
  EXPECT_EQ(NoteAccidentalOf(RowBytes(first), 0), kAccidentalSharp);
  EXPECT_EQ(NoteAccidentalOf(RowBytes(second), 1), kAccidentalSharp);
  EXPECT_EQ(Item(rest), restBefore);
  EXPECT_EQ(s.selectedRow, -1);
  ExpectSound();
}

TEST_F(KeypadCodesTest, ButtonsBelowFiveAndButtonTenDoNothingAndNoSelectionWaits) {
  KeypadLatches keys;
  EXPECT_EQ(ApplyKeypadCodeToSelection(view(), 3, kPadSharp, keys), 0);
  EXPECT_EQ(ApplyKeypadCodeToSelection(view(), 10, kPadSharp, keys), 0);
  EXPECT_EQ(PendingKeypadCode(), kNoPendingCode);
  EXPECT_EQ(ApplyKeypadCodeToSelection(view(), 12, kPadSharp, keys), 0);
  EXPECT_EQ(PendingKeypadCode(), kPadSharp);
  PendingKeypadCode() = kNoPendingCode;
}

TEST_F(KeypadCodesTest, WithoutTheKeypadsLatchesAPressOnOneItemFlipsOnlyWhatItNames) {
  const int row = Place({0x0C, 5 << 2, 0, kMarkTenuto, 0, 16});
  EXPECT_EQ(ApplyKeypadCodeToSelection(view(), 12, kPadAccent, KeypadLatches{}), 1);
  EXPECT_EQ(ChordMarkFlags(RowBytes(row)), kMarkTenuto | kMarkAccent);
  ExpectSound();
}

TEST_F(KeypadCodesTest, AVoiceTabStampsTheVoice) {
  const int row = Place(kCrotchet);
  KeypadLatches keys;
  keys.voice = 2;
  EXPECT_EQ(ApplyKeypadCodeToSelection(view(), 7, 0, keys), 1);
  EXPECT_EQ(ChordVoice(RowBytes(row)), 2);
  ExpectSound();
}

}  // namespace
