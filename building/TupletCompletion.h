// Tuplet completion after a page's systems are built: bracket items over a
// chord and its repetition are turned into the repeated-chord mark or hidden,
// and the remaining bracket items get the total duration of the notes they
// span (FillTupletDurations, score/TupletDurations.h).
#pragma once

#include <cstdint>

#include "building/BuildContext.h"

// Changes the bracket items in [start, end) of one part stream in place; the
// part slot tells whether partners are matched by string (tablature) or by
// staff position.
void MarkRepeatedChordTuplets(uint8_t* stream, uint32_t start, uint32_t end, int slot, uint8_t version);
// Completes the tuplets of one part slot's stream of used bytes: their
// durations filled, then the repeated-chord pass, then every bracket item
// still standing hidden.
void CompleteStreamTuplets(uint8_t* stream, uint32_t used, int slot, uint8_t version);
// The same over every part slot of the page's work streams.
void CompletePageTuplets(BuildContext& context);
