#include "editor/core/ChordKeys.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "building/ChordBuilding.h"
#include "editor/core/EditWrites.h"
#include "editor/core/EditorState.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"
#include "shell/KeyCodes.h"

namespace {

constexpr int kLowestPosition = 1;
constexpr int kHighestPosition = 31;

int PartOfSelection(const ScoreViewItems& view) {
  const ItemIndexRow* row = ItemRowAt(view.index, view.selection.selectedRow);
  return row ? static_cast<int>(row->part) : -1;
}

int StringCount(int slot) { return static_cast<int>(std::clamp<uint32_t>(PartLineCount(slot), 1, 7)); }

uint8_t* Chord(ScoreViewItems& view) { return view.selection.edit.Bytes(); }

// Sorts the chord's notes (by string on tablature) with the note selection.
void SortNotes(uint8_t* chord, bool tablature) {
  const int notes = ChordNoteCount(chord);
  SortChordEntries(chord, kChordHeaderBytes, kChordHeaderBytes + notes - 1, tablature ? 1 : 0,
                   TheEditorState().chordNotes);
}

int Commit(ScoreViewItems& view) { return CommitEditItem(view, true, false, true); }

// The key of a note: its position, or its string on tablature.
int NoteKey(const uint8_t* chord, unsigned note, bool tablature) {
  return tablature ? NoteString(chord, note) : NotePosition(chord, note);
}

bool KeyTaken(const uint8_t* chord, int key, bool tablature) {
  for (unsigned n = 0; n < ChordNoteCount(chord); ++n) {
    if (NoteKey(chord, n, tablature) == key) return true;
  }
  return false;
}

// Appends a note byte, sorts, selects the new note alone and commits.
int AppendNote(ScoreViewItems& view, uint8_t entry, bool tablature) {
  EditItem& edit = view.selection.edit;
  const unsigned notes = ChordNoteCount(edit.Bytes());
  if (notes >= kMaxChordNotes) return 0;
  edit.Reserve(kChordHeaderBytes + notes + 1);
  uint8_t* chord = edit.Bytes();
  chord[kChordHeaderBytes + notes] = entry;
  SetChordNoteCount(chord, static_cast<uint8_t>(notes + 1));
  SelectOnlyChordNote(TheEditorState(), notes);
  SortNotes(chord, tablature);
  return Commit(view);
}

// Moves the selected notes by delta positions (or strings), reduced so that
// none leaves the staff; refused when a moved note would land where a note
// stays or another moved note is.
int MoveSelectedNotes(ScoreViewItems& view, int delta, bool tablature, int slot) {
  uint8_t* chord = Chord(view);
  const unsigned notes = ChordNoteCount(chord);
  const EditorState& state = TheEditorState();
  const int low = tablature ? 0 : kLowestPosition;
  const int high = tablature ? StringCount(slot) - 1 : kHighestPosition;
  int lowest = high, highest = low;
  bool any = false;
  for (unsigned n = 0; n < notes; ++n) {
    if (!state.chordNotes[n]) continue;
    any = true;
    lowest = std::min(lowest, NoteKey(chord, n, tablature));
    highest = std::max(highest, NoteKey(chord, n, tablature));
  }
  if (!any) return 0;
  delta = delta > 0 ? std::min(delta, high - highest) : std::max(delta, low - lowest);
  if (delta == 0) return 0;
  uint32_t kept = 0, moved = 0;
  for (unsigned n = 0; n < notes; ++n) {
    if (!state.chordNotes[n]) kept |= 1u << NoteKey(chord, n, tablature);
  }
  for (unsigned n = 0; n < notes; ++n) {
    if (!state.chordNotes[n]) continue;
    const uint32_t bit = 1u << (NoteKey(chord, n, tablature) + delta);
    if ((kept | moved) & bit) return 0;
    moved |= bit;
  }
  for (unsigned n = 0; n < notes; ++n) {
    if (!state.chordNotes[n]) continue;
    uint8_t& b = chord[kChordHeaderBytes + n];
    if (tablature) {
      b = static_cast<uint8_t>((b & 31) | (NoteString(chord, n) + delta) << 5);
    } else {
      b = static_cast<uint8_t>((b & 0xE0) | (NotePosition(chord, n) + delta));
    }
  }
  SortNotes(chord, tablature);
  return Commit(view);
}

// Alt+Up / Alt+Down: the note above the highest selected, or below the
// lowest, becomes the only selected one.
void MoveNoteSelection(ScoreViewItems& view, bool up) {
  const unsigned notes = ChordNoteCount(Chord(view));
  EditorState& state = TheEditorState();
  if (notes < 2) return;
  unsigned first = 0, last = 0;
  const bool any = SelectedNoteRange(state, notes, &first, &last);
  const bool all = AllChordNotesSelected(state, notes);
  if (up) {
    SelectOnlyChordNote(state, (!any || all || last + 1 >= notes) ? 0 : last + 1);
  } else {
    SelectOnlyChordNote(state, (!any || all || first == 0) ? notes - 1 : first - 1);
  }
}

}  // namespace

bool SelectedChord(const ScoreViewItems& view, bool* tablature) {
  const int slot = PartOfSelection(view);
  if (slot < 0 || view.selection.edit.Kind() != kItemChord) return false;
  if (tablature) *tablature = PartTablatureFlags[slot].flag != 0;
  return true;
}

int ChordDigitKey(ScoreViewItems& view, int code, uint32_t now) {
  bool tablature = false;
  if (!SelectedChord(view, &tablature)) return 0;
  const bool shifted = code >= kKeyCodeShiftDigitFirst && code <= kKeyCodeShiftDigitLast;
  uint8_t* chord = Chord(view);
  const unsigned notes = ChordNoteCount(chord);
  EditorState& state = TheEditorState();
  if (tablature) {
    if (shifted) return 1;
    const int digit = code - '0';
    char buffer[sizeof state.fretDigits] = {};
    unsigned first = 0, last = 0;
    if (now - state.lastDigitTime < kFretDigitWindow && SelectedNoteRange(state, notes, &first, &last)) {
      std::snprintf(buffer, sizeof buffer, "%d", NoteFret(chord, first));
      if (std::strlen(buffer) == 2) buffer[0] = buffer[1], buffer[1] = 0;
    }
    const size_t used = std::strlen(buffer);
    buffer[used] = static_cast<char>('0' + digit);
    buffer[used + 1] = 0;
    int fret = std::atoi(buffer);
    if (fret < 0 || fret > 31) fret = digit;
    std::memcpy(state.fretDigits, buffer, sizeof buffer);
    state.lastDigitTime = now;
    for (unsigned n = 0; n < notes; ++n) {
      if (state.chordNotes[n]) chord[kChordHeaderBytes + n] = static_cast<uint8_t>((chord[kChordHeaderBytes + n] & 0xE0) | fret);
    }
    Commit(view);
    return 1;
  }
  const int n = shifted ? code - 1072 : code - '0';
  if (n < 2 || n > 9) return 1;
  unsigned first = 0, last = 0;
  const bool any = SelectedNoteRange(state, notes, &first, &last);
  const int base = shifted ? (any ? NotePosition(chord, first) : kHighestPosition)
                           : (any ? NotePosition(chord, last) : 0);
  const int position = shifted ? base - (n - 1) : base + (n - 1);
  if (position < kLowestPosition || position > kHighestPosition || KeyTaken(chord, position, false)) return 1;
  AppendNote(view, static_cast<uint8_t>(position), false);
  return 1;
}

int ChordArrowKey(ScoreViewItems& view, int code) {
  bool tablature = false;
  if (!SelectedChord(view, &tablature)) return 0;
  const int slot = PartOfSelection(view);
  const bool up = code == kKeyCodeUp || code == kKeyCodeCtrlUp || code == kKeyCodeAltUp;
  if (code == kKeyCodeAltUp || code == kKeyCodeAltDown ||
      (tablature && (code == kKeyCodeUp || code == kKeyCodeDown))) {
    MoveNoteSelection(view, up);
    return 1;
  }
  uint8_t* chord = Chord(view);
  const unsigned notes = ChordNoteCount(chord);
  if (notes == 0) return 1;
  if (tablature) {
    MoveSelectedNotes(view, up ? 1 : -1, true, slot);
    return 1;
  }
  // The chord's own highest and lowest notes bound a move, as the keys always did.
  const int top = NotePosition(chord, notes - 1), bottom = NotePosition(chord, 0);
  if ((up && top >= kHighestPosition) || (!up && bottom < 2)) return 1;
  const int step = (code == kKeyCodeCtrlUp || code == kKeyCodeCtrlDown) ? 7 : 1;
  MoveSelectedNotes(view, up ? step : -step, false, slot);
  return 1;
}

int ToggleChordStem(ScoreViewItems& view) {
  if (!SelectedChord(view)) return 0;
  uint8_t* chord = Chord(view);
  SetChordStemDown(chord, !ChordStemDown(chord));
  return Commit(view);
}

int AddChordNoteAt(ScoreViewItems& view, int position) {
  bool tablature = false;
  if (!SelectedChord(view, &tablature)) return 0;
  const uint8_t* chord = Chord(view);
  if (ChordNoteCount(chord) >= kMaxChordNotes) return 0;
  if (tablature) {
    const int string = std::clamp(position, 0, StringCount(PartOfSelection(view)) - 1);
    if (KeyTaken(chord, string, true)) return 0;
    return AppendNote(view, static_cast<uint8_t>(string << 5), true);
  }
  position = std::clamp(position, kLowestPosition, kHighestPosition);
  if (KeyTaken(chord, position, false)) return 0;
  return AppendNote(view, static_cast<uint8_t>(position), false);
}
