#include "editor/core/EditWrites.h"

#include <vector>

#include "editor/core/BarStructure.h"
#include "editor/core/EditorState.h"
#include "editor/core/ScoreUndoRing.h"
#include "editor/core/StreamWrites.h"
#include "pages/CurrentPageData.h"
#include "pages/PageData.h"
#include "score/BarOrder.h"
#include "score/PitchSpelling.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace {

constexpr uint8_t kEmptyKeySignature = 130;  // no accidentals, not played

uint8_t* SelectedItem(ScoreViewItems& view, uint32_t* length = nullptr) {
  const ItemIndexRow* row = ItemRowAt(view.index, view.selection.selectedRow);
  if (!row) return nullptr;
  uint32_t n = 0;
  const uint8_t* item = RowItem(*view.streams, *row, &n);
  if (length) *length = n;
  return const_cast<uint8_t*>(item);
}

// The keypad's voice into a chord, rest or mark; a chord also gives it to the
// marks (other than slurs) between the chord before it and itself.
void StampVoice(ScoreViewItems& view, std::vector<uint8_t>& item, int voice) {
  switch (KindOf(item.data())) {
    case kItemMark: SetMarkVoice(item.data(), static_cast<uint8_t>(voice)); break;
    case kItemRest: item[1] = static_cast<uint8_t>((item[1] & 0x3F) | voice << 6); break;
    case kItemChord: SetChordVoice(item.data(), static_cast<uint8_t>(voice)); break;
    default: return;
  }
  if (KindOf(item.data()) != kItemChord) return;
  const ItemIndexRow* row = ItemRowAt(view.index, view.selection.selectedRow);
  if (!row) return;
  uint8_t* stream = StreamBytes(*view.streams, static_cast<int>(row->part));
  const uint32_t end = row->offset;
  // The marks after the previous chord, up to this one.
  uint32_t from = 0;
  WalkStream(stream, end, ScoreFormatVersion, [&](uint32_t offset, const uint8_t* at, uint32_t length) {
    if (KindOf(at) == kItemChord) from = offset + length;
    return true;
  });
  WalkStream(stream + from, end - from, ScoreFormatVersion, [&](uint32_t, const uint8_t* at, uint32_t) {
    if (KindOf(at) == kItemMark && MarkSubKind(at) != kMarkSlur) SetMarkVoice(const_cast<uint8_t*>(at), static_cast<uint8_t>(voice));
    return true;
  });
}

// A write done outside a multi-selection run: the page's boxes go to its
// data file (which the undo ring copies) and the step is complete.
void FinishWrite(const ScoreViewItems& view, bool pushUndo) {
  if (view.selection.multiCount != 0) return;
  if (EditedPageBoxes() == &viewPage && viewPage.boxCount > 0) SavePageData(false, true);
  if (pushUndo) SnapshotTaken() = false;
}

void PutBarInOrder(ScoreViewItems& view) {
  if (view.selection.selectedRow < 0) return;
  ReorderBarItemsByPosition(view);
  NormaliseSelectedBar(view);
}

// The value a propagated clef or key signature compares: clef code and
// octave, or the key's first byte bits 3-6.
bool SameValue(const uint8_t* a, const uint8_t* b) {
  if (KindOf(a) == kItemClef) return ClefCodeOf(a) == ClefCodeOf(b) && ClefOctaveShift(a) == ClefOctaveShift(b);
  return ((a[0] >> 3) & 15) == ((b[0] >> 3) & 15);
}

int SignedKey(const uint8_t* key) {
  const int count = KeyAccidentalCount(key);
  return KeyIsSharps(key) ? count : -count;
}

// Re-spells the chords after offset for the clef or key at item.
void RespellAfter(int slot, uint32_t offset, const uint8_t* item) {
  if (KindOf(item) == kItemClef) {
    RespellChordForKey(slot, &offset, 0, ClefCodeOf(item), ClefOctaveShift(item), kKeepKey, false);
  } else {
    RespellChordForKey(slot, &offset, 0, kKeepClef, 0, KeyIsNotPlayed(item) ? kKeepKey : SignedKey(item), false);
  }
}

}  // namespace

int WriteEditItem(ScoreViewItems& view, bool replace, bool stampVoice, bool pushUndo) {
  SelectionState& selection = view.selection;
  EditorState& editor = TheEditorState();
  uint32_t storedLength = 0;
  if (!SelectedItem(view, &storedLength)) return 0;
  const uint8_t* edit = selection.edit.Bytes();
  if (edit[0] == kItemChord) {
    // A chord without notes: over the selection it removes it.
    return replace ? RemoveSelectedItem(view, pushUndo) : 0;
  }
  if (pushUndo && selection.multiCount == 0) PushScoreUndo(view);
  const bool before = editor.insertBefore;
  editor.insertBefore = false;

  if (IsBarStructureItem(edit, editor.ctrlHeld)) {
    const int done = WriteBarStructure(view, replace, before);
    if (done) FinishWrite(view, pushUndo);
    return done;
  }
  std::vector<uint8_t> item(edit, edit + ItemLength(edit));
  if (stampVoice) StampVoice(view, item, editor.currentVoice);
  int row = selection.selectedRow;
  if (replace) {
    if (!ReplaceRowItem(view, row, item.data())) return 0;
  } else {
    row = InsertRowItem(view, row, before, item.data());
    if (row < 0) return 0;
    selection.selectedRow = row;
  }
  if (editor.propagate && (KindOf(item.data()) == kItemClef || KindOf(item.data()) == kItemKey)) {
    const ItemIndexRow& written = view.index.rows[row];
    RespellAfter(static_cast<int>(written.part), written.offset + static_cast<uint32_t>(item.size()), item.data());
  }
  selection.edit.SetLength(static_cast<uint32_t>(item.size()));
  PutBarInOrder(view);
  FinishWrite(view, pushUndo);
  return 1;
}

int CommitEditItem(ScoreViewItems& view, bool replace, bool stampVoice, bool pushUndo) {
  SelectionState& selection = view.selection;
  uint32_t length = 0;
  const uint8_t* old = SelectedItem(view, &length);
  if (!old) return 0;
  const uint8_t* edit = selection.edit.Bytes();
  const ItemKind kind = KindOf(edit);
  const bool carry = TheEditorState().propagate && (kind == kItemClef || kind == kItemKey) &&
                     !(kind == kItemKey && TheEditorState().ctrlHeld);
  if (!carry) return WriteEditItem(view, replace, stampVoice, pushUndo);

  const int slot = static_cast<int>(view.index.rows[selection.selectedRow].part);
  // The value being replaced: the item itself, or (inserting) the first item
  // of its kind after it.
  std::vector<uint8_t> oldValue;
  if (replace && KindOf(old) == kind) oldValue.assign(old, old + length);
  const std::vector<uint8_t> value(edit, edit + ItemLength(edit));
  if (!WriteEditItem(view, replace, stampVoice, pushUndo)) return 0;
  const ItemIndexRow& written = view.index.rows[selection.selectedRow];
  uint8_t* stream = StreamBytes(*view.streams, slot);
  const uint32_t used = StreamUsedLength(*view.streams, slot);
  uint32_t from = written.offset + static_cast<uint32_t>(value.size());
  // The later items of the kind that held the old value take the new one,
  // up to the first of another value.
  WalkStream(stream + from, used - from, ScoreFormatVersion, [&](uint32_t offset, const uint8_t* at, uint32_t n) {
    if (KindOf(at) != kind) return true;
    if (oldValue.empty()) oldValue.assign(at, at + n);
    if (!SameValue(at, oldValue.data())) return false;
    uint8_t* item = const_cast<uint8_t*>(at);
    item[0] = value[0];
    if (kind == kItemClef) item[1] = value[1];
    RespellAfter(slot, from + offset + n, item);
    return true;
  });
  return 1;
}

int RemoveSelectedItem(ScoreViewItems& view, bool pushUndo) {
  SelectionState& selection = view.selection;
  EditorState& editor = TheEditorState();
  uint32_t length = 0;
  const uint8_t* item = SelectedItem(view, &length);
  if (!item || IsStructureMark(item)) return 0;
  const int row = selection.selectedRow;
  const ItemIndexRow target = view.index.rows[row];
  const ItemKind kind = KindOf(item);

  if (kind == kItemClef || kind == kItemKey) {
    // The first clef or key signature of a stave row stays.
    bool earlier = false;
    for (int r = row - 1; r >= 0 && view.index.rows[r].staff == target.staff; --r) {
      const uint8_t* other = RowItem(*view.streams, view.index.rows[r], &length);
      if (view.index.rows[r].part == target.part && other && KindOf(other) == kind) {
        earlier = true;
        break;
      }
    }
    if (!earlier) {
      if (kind == kItemClef) return 0;
      if (item[0] == kEmptyKeySignature) return 0;
      selection.edit.SelectKind(kItemKey);
      selection.edit.Reserve(1);
      selection.edit.Bytes()[0] = kEmptyKeySignature;
      const int done = CommitEditItem(view, true, false, pushUndo);
      selection.selectedRow = -1;
      selection.hoverRow = -1;
      return done;
    }
  }
  if (pushUndo && selection.multiCount == 0) PushScoreUndo(view);
  if (IsBarStructureItem(item, editor.ctrlHeld)) {
    const int done = RemoveBarStructure(view);
    if (done) FinishWrite(view, pushUndo);
    return done;
  }
  if (kind == kItemChord) {
    // The ties of the chord's voice that lead to it are hidden.
    uint8_t* stream = StreamBytes(*view.streams, static_cast<int>(target.part));
    uint32_t from = 0;
    WalkStream(stream, target.offset, ScoreFormatVersion, [&](uint32_t offset, const uint8_t* at, uint32_t n) {
      if (KindOf(at) == kItemChord) from = offset + n;
      return true;
    });
    const uint8_t voice = ChordVoice(item);
    WalkStream(stream + from, target.offset - from, ScoreFormatVersion, [&](uint32_t, const uint8_t* at, uint32_t) {
      if (at[0] == kRepeatedChordMarkByte && MarkVoice(at) == voice) const_cast<uint8_t*>(at)[0] = kHiddenMarkByte;
      return true;
    });
  }
  if (kind == kItemClef || kind == kItemKey) {
    if (editor.propagate) {
      // The clef or key in force before the item goes on after it.
      int key = 0, clef = kClefTreble, shift = 0;
      QueryKeyStepAccidental(static_cast<int>(target.part), target.offset, &key, &clef, &shift);
      const uint32_t after = target.offset + ItemLength(item);
      if (kind == kItemClef) {
        RespellChordForKey(static_cast<int>(target.part), &after, 0, clef, shift, kKeepKey, false);
      } else {
        RespellChordForKey(static_cast<int>(target.part), &after, 0, kKeepClef, 0, key, false);
      }
    }
  }
  if (!RemoveRowItem(view, row)) return 0;
  // The neighbour that now stands in the removed item's place, on the same stave row, is selected.
  selection.selectedRow = -1;
  int next = row < view.index.count && view.index.rows[row].staff == target.staff ? row : row - 1;
  if (next >= 0 && next < view.index.count) {
    const int32_t hover = selection.hoverRow;
    selection.hoverRow = next;
    TakeItemIntoSelection(view);
    selection.hoverRow = hover;
  }
  if (selection.selectedRow >= 0) PutBarInOrder(view);
  FinishWrite(view, pushUndo);
  return 1;
}
