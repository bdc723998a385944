#include "editor/core/EditorState.h"

EditorState& TheEditorState() {
  static EditorState state;
  return state;
}

void SelectAllChordNotes(EditorState& state, unsigned notes) {
  for (unsigned k = 0; k < kMaxChordNotes; ++k) state.chordNotes[k] = k < notes ? 1 : 0;
}

void SelectOnlyChordNote(EditorState& state, unsigned note) {
  for (unsigned k = 0; k < kMaxChordNotes; ++k) state.chordNotes[k] = k == note ? 1 : 0;
}

bool SelectedNoteRange(const EditorState& state, unsigned notes, unsigned* first, unsigned* last) {
  bool any = false;
  for (unsigned k = 0; k < notes && k < kMaxChordNotes; ++k) {
    if (!state.chordNotes[k]) continue;
    if (!any) *first = k;
    *last = k;
    any = true;
  }
  return any;
}

bool AllChordNotesSelected(const EditorState& state, unsigned notes) {
  for (unsigned k = 0; k < notes && k < kMaxChordNotes; ++k) {
    if (!state.chordNotes[k]) return false;
  }
  return notes > 0;
}
