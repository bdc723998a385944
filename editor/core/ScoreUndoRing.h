// The score's undo ring: before each edit a snapshot of the whole score (a
// backup-form score file without page data) and a copy of the current page's
// data file go into the undo folder of the page store, with the selection
// and view state beside them in memory. Up to 101 steps back; the ring
// belongs to one score page and empties when another is shown.
#pragma once

#include <cstdint>

#include "score/ItemSelection.h"
#include "score/ScoreItem.h"

constexpr int kUndoSlots = 102;
constexpr int kUndoSteps = kUndoSlots - 1;

struct UndoSlotState {
  int32_t selectedRow = -1;
  int16_t multiCount = 0;
  uint16_t multiRows[kMultiSelectionCapacity] = {};
  uint32_t chordNotes[kMaxChordNotes] = {};
  int32_t scrollX = 0;
  int32_t scrollY = 0;
  int32_t layout[4] = {};
  bool hasPageData = false;  // the page had a data file to copy
};

struct ScoreUndoRing {
  int32_t count = 0;    // snapshots that can be stepped back to
  int32_t first = 0;    // slot of the oldest
  int32_t current = 0;  // slot the next snapshot goes to; after an undo, the restored one
  int32_t page = 0;     // the score page (from 1) the ring belongs to
  int32_t dataId = 0;   // that page's data id
  UndoSlotState slots[kUndoSlots];
};

ScoreUndoRing& TheUndoRing();
// Set while the state before the step in progress lies in the ring.
bool& SnapshotTaken();

// What the ring asks of the score window (the defaults do nothing): the
// view's scroll positions and layout words, to keep and to put back, and the
// re-layout of the view after a restore.
struct UndoViewHooks {
  void (*saveView)(UndoSlotState* slot) = nullptr;
  void (*restoreView)(const UndoSlotState& slot) = nullptr;
  void (*relayout)() = nullptr;
};
void SetUndoViewHooks(const UndoViewHooks& hooks);

// 1 when a snapshot was written. 0 with no score page, or when the snapshot
// or the page data copy could not be written: that is reported and the ring
// stays as it was.
int PushScoreUndo(ScoreViewItems& view);
void ClearScoreUndo();
bool CanUndoScore();
bool CanRedoScore();
// 1 when a state was restored; a beep at the ring's ends.
int UndoScoreEdit(ScoreViewItems& view);
int RedoScoreEdit(ScoreViewItems& view);
// Reloads the snapshot of slot current: both files are read and checked
// before anything changes; 0 (reported, nothing changed) when either fails.
int RestoreScoreUndo(ScoreViewItems& view);
