#include "editor/core/EditorKeys.h"

#include <algorithm>

#include "editor/core/ChordKeys.h"
#include "editor/core/EditWrites.h"
#include "editor/core/EditorState.h"
#include "editor/core/ScoreUndoRing.h"
#include "editor/core/StreamWrites.h"
#include "pages/CurrentPageData.h"
#include "pages/PageData.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"
#include "shell/KeyCodes.h"

namespace {

enum : int {
  kKeyCodeShiftTab = 410,
  kKeyCodeShiftLeft = 412,
  kKeyCodeShiftRight = 413,
  kKeyCodeCtrlLeft = 428,
  kKeyCodeCtrlRight = 429,
  kKeyCodeCtrlShiftLeft = 444,
  kKeyCodeCtrlShiftRight = 445,
};
constexpr uint8_t kStaveRowItemByte = 135;
constexpr uint8_t kHiddenMarkLowBits = 126;

const uint8_t* ItemOf(const ScoreViewItems& view, int row) {
  const ItemIndexRow* r = ItemRowAt(view.index, row);
  uint32_t length = 0;
  return r ? RowItem(*view.streams, *r, &length) : nullptr;
}

bool IsBarItem(const uint8_t* item) { return KindOf(item) == kItemBarLine || item[0] == kStaveRowItemByte; }

void SelectRow(ScoreViewItems& view, int row) {
  SelectionState& s = view.selection;
  const int32_t hover = s.hoverRow;
  s.hoverRow = row;
  if (TakeItemIntoSelection(view) && s.edit.Kind() == kItemChord) {
    const unsigned notes = ChordNoteCount(s.edit.Bytes());
    SelectOnlyChordNote(TheEditorState(), notes ? notes - 1 : 0);
  }
  s.hoverRow = hover;
}

bool Backward(int code) {
  return code == kKeyCodeLeft || code == kKeyCodeShiftTab || code == kKeyCodeShiftLeft || code == kKeyCodeCtrlLeft ||
         code == kKeyCodeCtrlShiftLeft;
}

// The next selectable row from `from` in a direction; -1 at the end.
int NextRow(const ScoreViewItems& view, int from, int step, bool skipBarsAndTimes) {
  for (int r = from + step; r >= 0 && r < view.index.count; r += step) {
    if (IsSelectableRow(view, r, skipBarsAndTimes)) return r;
  }
  return -1;
}

int NextBarItem(const ScoreViewItems& view, int from, int step) {
  for (int r = from + step; r >= 0 && r < view.index.count; r += step) {
    const uint8_t* item = ItemOf(view, r);
    if (item && IsBarItem(item) && !IsStructureMark(item)) return r;
  }
  return -1;
}

void ListRows(ScoreViewItems& view, int low, int high) {
  SelectionState& s = view.selection;
  s.multiCount = 0;
  for (int r = low; r <= high && s.multiCount < kMultiSelectionCapacity; ++r) {
    if (IsSelectableRow(view, r, true)) s.multiRows[s.multiCount++] = static_cast<uint16_t>(r);
  }
  s.selectedRow = -1;
  SelectAllChordNotes(TheEditorState(), kMaxChordNotes);
}

// Delete and the chord keys over every listed row, under one snapshot.
int ForEachListed(ScoreViewItems& view, int code, uint32_t now) {
  SelectionState& s = view.selection;
  PushScoreUndo(view);
  for (int i = 0; i < s.multiCount && i < kMultiSelectionCapacity; ++i) {
    const uint16_t row = s.multiRows[i];
    if (row == kRemovedSelectionEntry) continue;
    SelectAllChordNotes(TheEditorState(), kMaxChordNotes);
    s.hoverRow = row;
    if (!TakeItemIntoSelection(view)) continue;
    EditorCommand(view, code, now);
  }
  if (code == kKeyCodeDelete || code == kKeyCodeBackspace) s.multiCount = 0;
  s.selectedRow = -1;
  s.hoverRow = -1;
  if (EditedPageBoxes() == &viewPage && viewPage.boxCount > 0) SavePageData(false, true);
  SnapshotTaken() = false;
  return 1;
}

bool ListedCode(int code) {
  return code == kKeyCodeBackspace || code == kKeyCodeDelete || (code >= '0' && code <= '9') ||
         code == kKeyCodeStemKey || (code >= kKeyCodeShiftDigitFirst && code <= kKeyCodeShiftDigitLast) ||
         code == kKeyCodeUp || code == kKeyCodeDown;
}

}  // namespace

bool IsSelectableRow(const ScoreViewItems& view, int row, bool skipBarsAndTimes) {
  const ItemIndexRow* r = ItemRowAt(view.index, row);
  const uint8_t* item = ItemOf(view, row);
  if (!r || !item || IsStructureMark(item) || item[0] == kStaveRowItemByte) return false;
  if (r->part < static_cast<uint32_t>(kPartSlots) && PartFlag[r->part]) return false;
  if ((item[0] & 0x7F) == kHiddenMarkLowBits || IsItemHidden(item)) return false;
  if (skipBarsAndTimes && (KindOf(item) == kItemBarLine || KindOf(item) == kItemTime)) return false;
  return true;
}

int MoveSelection(ScoreViewItems& view, int code) {
  const EditorState& editor = TheEditorState();
  if (editor.locked) return 0;
  SelectionState& s = view.selection;
  const bool back = Backward(code);
  const int step = back ? -1 : 1;
  const bool extend = code == kKeyCodeShiftLeft || code == kKeyCodeShiftRight || code == kKeyCodeCtrlShiftLeft ||
                      code == kKeyCodeCtrlShiftRight;
  const bool byBar = code == kKeyCodeCtrlLeft || code == kKeyCodeCtrlRight;
  int low = s.selectedRow, high = s.selectedRow;
  if (s.multiCount > 0) {
    low = MinSelectedItem(s);
    high = MaxSelectedItem(s);
  } else if (s.selectedRow < 0) {
    low = high = back ? view.index.count : 0;
  }
  int target = -1;
  if (byBar) {
    int bar = NextBarItem(view, back ? low - 1 : high, step);
    if (back && bar >= 0) bar = NextBarItem(view, bar, -1);  // the bar line before the current bar
    target = NextRow(view, bar < 0 ? (back ? -1 : view.index.count) : bar, 1, false);
    if (!back && bar < 0) target = -1;
  } else if (code == kKeyCodeCtrlShiftLeft || code == kKeyCodeCtrlShiftRight) {
    // Up to the next bar line, which ends the range and is left out.
    int r = back ? low : high;
    for (int next = NextRow(view, r, step, false); next >= 0; next = NextRow(view, next, step, false)) {
      const uint8_t* item = ItemOf(view, next);
      if (IsBarItem(item) && next != (back ? low - 1 : high + 1)) break;
      if (!IsBarItem(item)) r = next;
    }
    target = r;
  } else {
    target = NextRow(view, back ? low : high, step, extend);
  }
  if (target < 0) return 1;  // at the end: the selection stays
  if (extend) {
    if (back) low = std::min(low, target);
    else high = std::max(high, target);
    if (low != high) {
      ListRows(view, std::max(low, 0), std::min(high, view.index.count - 1));
      return 1;
    }
  }
  s.multiCount = 0;
  SelectRow(view, target);
  ScrollItemIntoView(view, target);
  return 1;
}

int SelectAllItems(ScoreViewItems& view) {
  SelectionState& s = view.selection;
  ListRows(view, 0, view.index.count - 1);
  if (s.multiCount == 1) {
    const int row = s.multiRows[0];
    s.multiCount = 0;
    SelectRow(view, row);
    SelectAllChordNotes(TheEditorState(), kMaxChordNotes);
  }
  return 1;
}

int ClearSelection(ScoreViewItems& view) {
  view.selection.multiCount = 0;
  view.selection.selectedRow = -1;
  return 1;
}

int EditorCommand(ScoreViewItems& view, int code, uint32_t now) {
  EditorState& editor = TheEditorState();
  if (editor.dragInProgress && code != kKeyCodeEscape) return 0;
  switch (code) {
    case kKeyCodeBackspace:
    case kKeyCodeDelete:
      if (editor.locked) return 1;
      RemoveSelectedItem(view, view.selection.multiCount == 0);
      return 1;
    case kKeyCodeEscape: return ClearSelection(view);
    case kKeyCodeSelectAll: return editor.locked ? 0 : SelectAllItems(view);
    case kKeyCodeUndo: return editor.locked ? 0 : (UndoScoreEdit(view), 1);
    case kKeyCodeRedo: return editor.locked ? 0 : (RedoScoreEdit(view), 1);
    case kKeyCodeStemKey: return ToggleChordStem(view) ? 1 : 0;
    case kKeyCodeTab:
    case kKeyCodeLeft:
    case kKeyCodeRight:
    case kKeyCodeShiftTab:
    case kKeyCodeShiftLeft:
    case kKeyCodeShiftRight:
    case kKeyCodeCtrlLeft:
    case kKeyCodeCtrlRight:
    case kKeyCodeCtrlShiftLeft:
    case kKeyCodeCtrlShiftRight:
      if (view.selection.selectedRow < 0 && view.selection.multiCount == 0 &&
          (code == kKeyCodeLeft || code == kKeyCodeRight)) {
        return 0;  // the window scrolls
      }
      return MoveSelection(view, code);
    case kKeyCodeUp:
    case kKeyCodeDown:
    case kKeyCodeCtrlUp:
    case kKeyCodeCtrlDown:
    case kKeyCodeAltUp:
    case kKeyCodeAltDown:
      if (editor.locked) return 1;
      return ChordArrowKey(view, code);
    default:
      break;
  }
  if ((code >= '0' && code <= '9') || (code >= kKeyCodeShiftDigitFirst && code <= kKeyCodeShiftDigitLast)) {
    return editor.locked ? 1 : ChordDigitKey(view, code, now);
  }
  return 0;
}

int EditorKeyHandler(ScoreViewItems& view, int code, uint32_t now) {
  if (view.selection.multiCount > 0 && ListedCode(code)) {
    if (TheEditorState().locked) return 1;
    return ForEachListed(view, code, now);
  }
  return EditorCommand(view, code, now);
}
