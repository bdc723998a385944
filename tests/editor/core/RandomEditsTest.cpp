// Random runs of edits on the fixture scores of formats 2 and 5, with the
// checker after every operation (and the file round trip and both exports
// now and then): replacements, insertions and removals, keypad codes on
// single and multiple selections, chord keys, added notes, bar lines in
// every part, undo and redo, and the painter's layout pass between them.
#include <filesystem>
#include <random>
#include <vector>

#include "EditorFixture.h"
#include "editor/core/ChordKeys.h"
#include "editor/core/EditWrites.h"
#include "editor/core/EditorState.h"
#include "editor/core/KeypadCodes.h"
#include "editor/core/ScoreUndoRing.h"
#include "pages/CurrentPageData.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "shell/KeyCodes.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchDataFolder.h"

namespace {

constexpr int kPadCodes[] = {kPadQuarter, kPadEighth, kPad16th,   kPadHalf,     kPadWhole,        kPadBreve,
                             kPad128th,   kPadDot,    kPadDoubleDot, kPadSharp, kPadFlat,         kPadClearAccidentals,
                             kPadAccent,  kPadFermata, kPadStaccato, kPadAppoggiatura, kPadCue, kPadCross,
                             kPadStem,    kPadBeamStart, kPadClearBeam, kPadRest, kPadBarRest,  kPadTie,
                             kPadClearArticulation, kPadState, kPadVoice};
constexpr int kChordKeyCodes[] = {'2', '3', '5', '9', 1074, 1077, kKeyCodeUp, kKeyCodeDown, kKeyCodeCtrlUp,
                                  kKeyCodeCtrlDown, kKeyCodeAltUp, kKeyCodeAltDown};

class RandomEditsTest : public EditorFixture {
 public:
  void TearDown() override {
    ClearScoreUndo();
    EditorFixture::TearDown();
  }

  int Pick(std::mt19937& random, int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }

  // A row whose item is not a structure mark; -1 none.
  int RandomRow(std::mt19937& random, int kind = -1) {
    std::vector<int> rows;
    for (int r = 0; r < view().index.count; ++r) {
      const uint8_t* item = RowBytes(r);
      if (!item || IsStructureMark(item) || view().index.rows[r].part == 0) continue;
      if (kind >= 0 && KindOf(item) != kind) continue;
      rows.push_back(r);
    }
    return rows.empty() ? -1 : rows[Pick(random, static_cast<int>(rows.size()))];
  }

  bool Select(int row) {
    view().selection.multiCount = 0;
    view().selection.hoverRow = row;
    if (row < 0 || TakeItemIntoSelection(view()) != 1) return false;
    SelectAllChordNotes(TheEditorState(), kMaxChordNotes);
    return true;
  }

  std::string Step(std::mt19937& random, int step) {
    uint8_t latched[256] = {};
    KeypadLatches keys;
    keys.latched = latched;
    keys.voice = Pick(random, 4);
    switch (Pick(random, 11)) {
      case 0: {  // a keypad code on one item
        const int code = kPadCodes[Pick(random, static_cast<int>(std::size(kPadCodes)))];
        if (code >= 0 && Pick(random, 2)) latched[code] = 1;
        if (Pick(random, 3) == 0) latched[kPadRest] = 1;
        if (!Select(RandomRow(random))) return "none";
        ApplyKeypadCodeToSelection(view(), code == kPadVoice ? 6 : 12, code, keys);
        return "keypad " + std::to_string(code);
      }
      case 1: {  // a keypad code on a list
        SelectionState& s = view().selection;
        s.selectedRow = -1;
        s.multiCount = 0;
        for (int i = 0; i < 4; ++i) {
          const int row = RandomRow(random);
          bool listed = false;
          for (int k = 0; k < s.multiCount; ++k) listed |= s.multiRows[k] == row;
          if (row >= 0 && !listed) s.multiRows[s.multiCount++] = static_cast<uint16_t>(row);
        }
        const int code = kPadCodes[Pick(random, static_cast<int>(std::size(kPadCodes)))];
        ApplyKeypadCodeToSelection(view(), 12, code, keys);
        s.multiCount = 0;
        return "list keypad " + std::to_string(code);
      }
      case 2: {  // a chord key
        if (!Select(RandomRow(random, kItemChord))) return "none";
        if (Pick(random, 2)) SelectOnlyChordNote(TheEditorState(), Pick(random, ChordNoteCount(RowBytes(view().selection.selectedRow))));
        const int code = kChordKeyCodes[Pick(random, static_cast<int>(std::size(kChordKeyCodes)))];
        if (code < 256 || (code >= kKeyCodeShiftDigitFirst && code <= kKeyCodeShiftDigitLast)) {
          ChordDigitKey(view(), code, static_cast<uint32_t>(step * 40));
        } else {
          ChordArrowKey(view(), code);
        }
        return "chord key " + std::to_string(code);
      }
      case 3:  // a note by double click
        if (!Select(RandomRow(random, kItemChord))) return "none";
        AddChordNoteAt(view(), Pick(random, 36) - 2);
        return "add note";
      case 4: {  // a rest inserted
        if (!Select(RandomRow(random))) return "none";
        TheEditorState().insertBefore = Pick(random, 2) != 0;
        EditItem& edit = view().selection.edit;
        edit.SelectKind(kItemRest);
        edit.Reserve(2);
        edit.Bytes()[0] = static_cast<uint8_t>(kItemRest | Pick(random, 8) << 4);
        edit.Bytes()[1] = 0;
        edit.SetLength(0);
        WriteEditItem(view(), false, true, true);
        return "insert rest";
      }
      case 5:  // an item removed
        if (!Select(RandomRow(random))) return "none";
        TheEditorState().ctrlHeld = Pick(random, 2) != 0;
        RemoveSelectedItem(view(), true);
        TheEditorState().ctrlHeld = false;
        return "remove";
      case 6: {  // a bar line in every part
        if (!Select(RandomRow(random))) return "none";
        EditItem& edit = view().selection.edit;
        edit.SelectKind(kItemBarLine);
        edit.Bytes()[0] = MakeBarLine(static_cast<uint8_t>(Pick(random, 8)));
        edit.SetLength(0);
        WriteEditItem(view(), false, false, true);
        return "bar line";
      }
      case 7:  // a bar line or time signature replaced in every part
        if (!Select(RandomRow(random, Pick(random, 2) ? kItemBarLine : kItemTime))) return "none";
        if (view().selection.edit.Kind() == kItemTime) {
          SetTimeSignature(view().selection.edit.Bytes(), static_cast<uint8_t>(2 + Pick(random, 5)), 5, false);
        } else {
          view().selection.edit.Bytes()[0] = MakeBarLine(kBarDouble);
        }
        WriteEditItem(view(), true, false, true);
        return "bar replace";
      case 8:
        UndoScoreEdit(view());
        return "undo";
      case 9:
        RedoScoreEdit(view());
        return "redo";
      default:
        Layout();
        return "layout";
    }
  }

  void Run(const char* listing, uint8_t version, unsigned seed, int steps) {
    Load(listing, version);
    ScorePages.rows[0].dataId = 5;
    ScorePages.rows[1].dataId = 6;
    TheEditorState() = EditorState{};
    ClearScoreUndo();
    ASSERT_TRUE(SavePageData(false, true));
    std::mt19937 random(seed);
    const std::filesystem::path scratch = std::filesystem::path(pageStore_->Folder().Path()) / "check";
    std::filesystem::create_directories(scratch);
    for (int step = 0; step < steps; ++step) {
      const std::string what = Step(random, step);
      ScoreCheckOptions options;
      options.page = &viewPage;
      if (step % 40 == 39) options.scratchFolder = scratch.u16string();
      const std::vector<ScoreFault> faults = CheckScore(view(), options);
      ASSERT_TRUE(faults.empty()) << "seed " << seed << " step " << step << " (" << what << ")\n"
                                  << DescribeFaults(faults);
    }
  }

};

TEST_F(RandomEditsTest, Format5) {
  BoxRecorder boxes;  // refusals and shortages are shown; none may break the score
  for (unsigned seed : {1u, 2u}) Run(kFormat5Score, 5, seed, 150);
}

TEST_F(RandomEditsTest, Format2) {
  BoxRecorder boxes;
  for (unsigned seed : {4u, 5u}) Run(kFormat2Score, 2, seed, 150);
}

}  // namespace
