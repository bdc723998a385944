// Tuplet completion: bracketed tuplet items carry the number of chords they
// span until this pass replaces it by the total duration of those notes.
#pragma once

#include <cstdint>

#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

// Walks the items in [start, end) of one part stream and, for each bracketed
// tuplet (first byte 142 or 246), stores the total duration in 1/128 notes
// (14 bits) with the tuplet's voice in bytes 1-2. A bracket never closed
// (255, 255) becomes a hidden mark 254, 0, 0; one whose notes run past the
// end gets 0, 0. Stops at an item that does not fit before end.
void FillTupletDurations(uint8_t* stream, uint32_t start, uint32_t end,
                         uint8_t version = ScoreFormatVersion);
// The same over the whole used length of one slot of a stream set.
void FillTupletDurations(StreamSet* set, int slot, uint8_t version = ScoreFormatVersion);
