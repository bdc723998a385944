// The page's note work list: the operations every stage shares.
#pragma once

#include <cstdint>

#include "reading/NoteGroupAdapter.h"
#include "reading/RecognitionRecords.h"
#include "reading/StaveGeometry.h"
#include "score/StaveTypes.h"

// Origin of a record (NoteRecord::origin).
constexpr int16_t kEngineOrigin = 100;
constexpr int16_t kSearchOrigin = 6;
// The stem unit is this many stave units.
constexpr int32_t kStemUnitFactor = 4;
// LinkedNoteScore never exceeds this, so that quality - score stays in range.
constexpr int32_t kLinkedScoreLimit = 0x3FFFFFFF;

// Removes record index, moving the later ones down by one.
void DeleteNoteRecord(NoteRecord* notes, uint32_t& count, uint32_t index);

// Fills the list with the heads the engine found on stave row s, which is
// stave indexInSystem of its system (the row's group); staveNumber is the
// number the reading thread gives the stave within its group. 0 when the
// page description does not hold that system or stave, else 1. Stops adding
// at kNoteListLimit records.
int ImportEngineNotes(const StaveRow* rows, int rowCount, int s, int32_t indexInSystem, NoteRecord* notes,
                      uint32_t& count, int16_t staveNumber);

// Attaches the accidental of note noteIndex of the event to record index as
// a sub-item of the kind; 0 when the record already holds ten.
int AddEngineAppenditure(uint16_t kind, NoteRecord* notes, uint32_t index, const EngineEventView& event,
                         int32_t noteIndex);

// The beam-link test: whether records a and b are joined (stem partners).
using NoteLinkTest = bool (*)(const NoteRecord* notes, uint32_t count, uint32_t a, uint32_t b, void* context);

// The record's origin plus 2^k - 1 for the k live records of the same stave
// and kind that the test links to it; 0 for a semibreve. Saturates at
// kLinkedScoreLimit. A null test links nothing.
int32_t LinkedNoteScore(const NoteRecord* notes, uint32_t count, uint32_t index, NoteLinkTest linked,
                        void* context);

// Tests of a note position (11 = top line, counted downward) on a stave row:
// kind 0 by parity, kind 2 at fixed positions by line count, else 0.
int IsLineStep(int32_t position, const StaveRow& row);
int IsLineStepAbove(int32_t position, const StaveRow& row);
int IsSpaceStep(int32_t position, const StaveRow& row);

// Moves the rest records (kRestWaitingRecord) of the list to the symbol
// list as rest symbols (at most kSymbolListLimit symbols; a rest record is
// removed from the note list in any case) and sorts the symbol list. A
// record whose stave is not in the group is removed without a symbol.
void ConvertNoteRecordsToSymbols(const StaveRow* rows, int rowCount, int groupLength, int groupStart,
                                 NoteRecord* notes, uint32_t& count, SymbolRecord* symbols,
                                 uint32_t& symbolCount, StavePage& page);
