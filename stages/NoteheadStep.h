// The first stage of each stave: every notehead of the stave into the note
// list, first those the engine reported, then those the own search finds at
// each line and space position of the stave and on ledger lines above and
// below it; the finds are graded and cleaned up.
#pragma once

#include <cstdint>

#include "reading/ReadingThread.h"
#include "stages/NoteheadVerification.h"

// Stave row s (kind 0 or 2; others give 1 at once). staveNumber is the
// stave's number within its group, groupStart the group's first row. 1 when
// the stave is done, 0 when the user stopped the reading.
int FindNoteheads(const HeadImage& image, const StaveRow* rows, int count, int s, NoteRecord* notes,
                  uint32_t& noteCount, int16_t staveNumber, int groupStart, StavePage& page);

// Thins overlapping heads of one stave and step from first; true when the
// count is below 4095 afterwards.
bool ThinNoteRecords(NoteRecord* notes, uint32_t& count, uint32_t first);
// Deletes the records from first whose confidence is below lo and gives
// the others a quality from their confidence; the first searched head
// moves the bounds to 92 and 96.
void GradeFoundNoteheads(NoteRecord* notes, uint32_t first, uint32_t& count, int lo, int hi);
void ClearNoteAux(NoteRecord* notes, uint32_t first, uint32_t count);

// The stage table's adapters.
int NoteheadsStage(StageContext& context);
int ConvertNoteRecordsStage(StageContext& context);
