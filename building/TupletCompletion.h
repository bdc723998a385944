// Tuplet completion after a page's systems are built: bracket items over a
// chord and its repetition are turned into the repeated-chord mark or hidden,
// and the remaining bracket items get the total duration of the notes they
// span (FillTupletDurations, score/TupletDurations.h).
#pragma once

#include <cstdint>

#include "building/BuildContext.h"

// Changes the bracket items in [start, end) of one part stream in place;
// partners are matched by string on a tablature part, else by staff
// position.
void MarkRepeatedChordTuplets(uint8_t* stream, uint32_t start, uint32_t end, bool tablature, uint8_t version);
// Completes the tuplets of one part's stream of used bytes: their durations
// filled, then the repeated-chord pass, then every bracket item still
// standing hidden.
void CompleteStreamTuplets(uint8_t* stream, uint32_t used, bool tablature, uint8_t version);
// The same over every part slot of the page's work streams, each slot a
// tablature part or not as the reading's part records say.
void CompletePageTuplets(BuildContext& context);
