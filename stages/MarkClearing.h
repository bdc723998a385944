// Clearing what lies under flags and beams: shapes that a flag or beam broke
// into and that were taken for heads or small symbols. The note-value step
// first marks them (so that the stem passes pass them over) and, once the
// stems are chosen, deletes them.
#pragma once

#include <cstdint>

#include "stages/NoteValueStep.h"

// Debug lines for a left side that holds a flag (flags are only looked for on
// the right): string ids.
constexpr unsigned kStrDodgyLeftFlagNote = 10018;
constexpr unsigned kStrDodgyLeftFlagSymbol = 10019;

// order[0] is the tested candidate; remove false marks (quality + 256),
// true deletes.
void ClearUnderFlags(NoteValueWork& work, const int order[4], bool remove);

// Whether note m has a beam, in any of its candidates, that covers note n's
// box and takes in n's top (moved along the beam's slope to n's centre)
// within one stave space; gives the beam's thickness and side.
bool BeamCoversNote(const NoteValueWork& work, uint32_t m, uint32_t n, int32_t* thickness, int* side);
