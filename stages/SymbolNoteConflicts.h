// Where a searched notehead and a symbol (a rest, a clef, an accidental, a
// key signature...) occupy one place, one of them is wrong: the symbol's
// context score and the head's linked score decide which goes. Heads the
// engine found are never touched.
#pragma once

#include <cstdint>

#include "reading/RecognitionRecords.h"
#include "reading/StaveGeometry.h"
#include "score/StaveTypes.h"

// A symbol's context score (its base score with the bonuses of its
// neighbours), as the symbol records give it.
using SymbolScoreFunction = int32_t (*)(const SymbolRecord* symbols, uint32_t count, uint32_t index);

// The beam-link test of the linked score: the two records hang on one stem.
bool StemPartnerLink(const NoteRecord* notes, uint32_t count, uint32_t a, uint32_t b, void* context);

// A badness no live record reaches: dead symbols and breve rests.
constexpr int32_t kDeadBadness = 65536;

// Deletes the losers of every conflict between the symbols and the searched
// heads of the group whose first row is groupStart. Nothing is done when
// either list is empty; a record of a stave outside the group is passed over.
void ResolveSymbolNoteConflicts(NoteRecord* notes, uint32_t& noteCount, SymbolRecord* symbols,
                                uint32_t& symbolCount, const StaveRow* rows, int rowCount, int groupStart,
                                int groupLength, StavePage& page, SymbolScoreFunction contextScore);
