// The editor's own state beside the selection services' SelectionState: the
// notes selected in the selected chord, the insertion and propagation flags,
// the keypad's current voice and the keys held with the edit.
#pragma once

#include <cstdint>

#include "score/ItemSelection.h"
#include "score/ScoreItem.h"

struct EditorState {
  // Entry k belongs to the chord's note byte 5 + k (its k-th note); non-zero
  // when that note is selected.
  uint32_t chordNotes[kMaxChordNotes] = {};
  // The next insertion goes in front of the selected item; every write clears it.
  bool insertBefore = false;
  // Clef and key changes re-spell the notes after them.
  bool propagate = false;
  // The keypad's voice tab (0..3), stamped into items written with the stamp.
  int currentVoice = 0;
  // The Ctrl key was held with the edit: a key signature goes to every part.
  bool ctrlHeld = false;
  // The score edit lock of the shell (no object boxes for the page).
  bool locked = false;
  bool dragInProgress = false;
  // The tablature digit entry: the digits typed and when the last came.
  char fretDigits[8] = {};
  uint32_t lastDigitTime = 0;
};

EditorState& TheEditorState();

// Every note of a chord of `notes` notes selected, or none.
void SelectAllChordNotes(EditorState& state, unsigned notes);
void SelectOnlyChordNote(EditorState& state, unsigned note);
// The first and last selected notes of a chord of `notes` notes; false when none is selected.
bool SelectedNoteRange(const EditorState& state, unsigned notes, unsigned* first, unsigned* last);
bool AllChordNotesSelected(const EditorState& state, unsigned notes);
