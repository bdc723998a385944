// How a written note sounds: the silence left before the next note, the
// loudness its marks add, and the step of its written accidental.
#pragma once

#include <cstdint>

// The ticks left silent at the end of a note of length ticks: staccato,
// staccatissimo and up-bow shorten it by a share; otherwise a tenth (a
// 128th under a slur), at most 50 ticks.
int NoteGapTicks(int length, uint8_t articulation, uint8_t markFlags, bool slurred);

// The velocity the chord's marks add (accent, marcato, tenuto, down-bow,
// harmonic, plus).
int AccentIncrement(uint8_t markFlags);

// Semitones of a note byte's accidental; fromKey when it has none.
int AccidentalStep(uint8_t accidental, int fromKey);
