// The editor keys that change the notes of the selected chord: digits add a
// note at an interval (or type a fret on tablature), Up and Down move the
// selected notes a step (Ctrl: an octave of seven steps), Alt+Up and
// Alt+Down move the chord-note selection, X turns the stem. A double click
// adds a note at a staff position. Each commits the chord through the
// editor's writes with a snapshot first.
#pragma once

#include <cstdint>

#include "score/ItemSelection.h"

// Key codes of these edits beside the shell's named ones.
enum : int {
  kKeyCodeCtrlDown = 430,
  kKeyCodeCtrlUp = 431,
  kKeyCodeAltDown = 2446,
  kKeyCodeAltUp = 2447,
  kKeyCodeShiftDigitFirst = 1074,  // Shift+2
  kKeyCodeShiftDigitLast = 1081,   // Shift+9
  kKeyCodeStemKey = 88,            // X
};

// Centiseconds within which a second digit extends a fret number.
constexpr uint32_t kFretDigitWindow = 100;

// Digits 48-57 and Shift+2..Shift+9 on the selected chord; now is the clock
// in centiseconds (for the fret entry). 1 when the code was a chord digit
// (done or silently refused), 0 when no chord is selected.
int ChordDigitKey(ScoreViewItems& view, int code, uint32_t now);
// Up, Down, Ctrl+Up, Ctrl+Down, Alt+Up, Alt+Down on the selected chord; 1
// when a chord is selected (moved or refused), 0 otherwise.
int ChordArrowKey(ScoreViewItems& view, int code);
// X: the selected chord's stem turned; 1 when written.
int ToggleChordStem(ScoreViewItems& view);
// A note added at a staff position (on tablature: position 0..31 is the
// fret's string), clamped to the staff; refused when the chord has 31 notes
// or the place is taken. 1 when added.
int AddChordNoteAt(ScoreViewItems& view, int position);

// Whether the selected item is a chord (and, when given, in a tablature part).
bool SelectedChord(const ScoreViewItems& view, bool* tablature = nullptr);
