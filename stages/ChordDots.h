// Per-chord and per-bar facts settled at the end of a stave group, before
// the score is built: the notes of a chord agree on their dots, the top and
// bottom notes of each chord are marked, and whole-bar rests become one-bar
// and multi-bar rests while rests that cannot stand in their bar go.
#pragma once

#include <cstdint>

#include "reading/ReadingThread.h"
#include "reading/RecognitionRecords.h"
#include "score/StaveTypes.h"

// How the stems of two chord-mates relate (0: not at all), given the stave
// unit of their stave; the stage passes the stem candidate passes'
// RelateStemNeighbours.
using StemNeighbourRelation = int (*)(const NoteRecord* notes, uint32_t i, uint32_t j, int unit);

// Each live note and the chord-mates that relate to it take the mean of
// their dots (3 above 2.5, 2 above 1.5, 1 above 0.4, else 0); later notes
// see the values already written.
void HarmoniseDotCounts(NoteRecord* notes, uint32_t count, const StaveRow* rows, int staveCount, int firstStave,
                        int resolution, StemNeighbourRelation relate);

// chordTop / chordBottom: 1 when the note is the highest / lowest of the
// chord-mates that overlap it, for the live notes from first on.
void MarkOuterNotes(NoteRecord* notes, uint32_t count, uint32_t first);

// 1 when a live note of the stave has left at or after fromX and right at or
// before toX.
int HasNoteBetween(const NoteRecord* notes, uint32_t count, int stave, int fromX, int toX);

// Whole-bar and multi-bar rests of the group's symbol list (sorted by stave
// and x); a stave's start counts as a bar line.
void FinishStaveGroupStep(const StaveRow* rows, int staveCount, int firstStave, SymbolRecord* symbols,
                          uint32_t& symbolCount, const NoteRecord* notes, uint32_t noteCount);

// The passes as stages of a group: the outer notes marked (after the
// articulation step), the chord's dot counts agreed (before the word pass),
// and the group finished (tablature copies, then whole-bar rests).
int OuterNotesStage(StageContext& context);
int DotCountsStage(StageContext& context);
int FinishGroupStage(StageContext& context);
