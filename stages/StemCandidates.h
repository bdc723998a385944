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

struct NoteValueWork;

// The steps of a stave of n lines where its notes stand (the step scale of
// the note records): 11 .. 21 on five lines.
struct StepWindow {
  int low;
  int high;
};
StepWindow StaveStepWindow(int lineCount);
bool IsStepWithinStave(int step, int lineCount);
bool IsStepAboveStave(int step, int lineCount);
bool IsStepBelowStave(int step, int lineCount);

// 0 unless both are on the same stave; 1 when the heads lie less than 3 units
// apart and share a candidate; 3 (b right of a) or 2 (b left of a) when the
// left one's right edge comes within 2 units of the other's left edge and
// they have crossed candidates (up-right on the left one and up-left on the
// right one, or down-right and down-left). A semibreve without candidates
// matches any candidate.
int RelateStemNeighbours(const NoteRecord& a, const NoteRecord& b, int32_t unit);

// The passes, in the order the note-value step runs them.
void PruneOddCornerStems(NoteValueWork& work);
void DropUnmatchedStubs(NoteValueWork& work);
void TrimStemsAtNeighbourStaves(NoteValueWork& work);
void DemoteStemmedSemibreves(NoteValueWork& work);
void ClampStemLengths(NoteValueWork& work);
void DropStemsOnBarLines(NoteValueWork& work);
void ShortenStemsInChords(NoteValueWork& work);
void ClampCrossedStems(NoteValueWork& work);
void PickStrongestStem(NoteValueWork& work);
void ChooseStemPair(NoteValueWork& work);
