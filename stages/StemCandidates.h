// Narrowing each note's four stem candidates to the one stem that its value
// is read from, by comparing the note with its neighbours on the same stave,
// with the neighbouring staves and with bar lines; and the pair tests that
// say whether two heads share a stem.
#pragma once

#include <cstdint>

#include "reading/RecognitionRecords.h"

// Candidate numbering: 0 up at the left edge, 1 up at the right edge, 2 down
// at the left edge, 3 down at the right edge.
enum StemCandidate : int { kStemUpLeft = 0, kStemUpRight = 1, kStemDownLeft = 2, kStemDownRight = 3 };

// Whether two heads hang on one stem (a chord or a beam partner): both on
// the same stave and, the left one being the one with the smaller left edge
// (on equal edges the lower step), either their left edges lie at most 2
// stave units apart with equal stemRight, or the left one's right edge comes
// within 2 units of the other's left edge while the left one has its stem on
// the right and the other on the left. The unit is the current stave unit
// (SetStaveUnits) unless given.
bool AreStemPartners(const NoteRecord& a, const NoteRecord& b, int32_t unit);
bool AreStemPartners(const NoteRecord& a, const NoteRecord& b);
bool AreStemPartners(const NoteRecord* notes, uint32_t i, uint32_t j);
