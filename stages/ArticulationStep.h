// The articulation step: once per stave group, after the note values and the
// overlap clean-up, the group's symbols are brought into agreement across its
// staves and with the stave geometry: joins of stave pieces marked, missing
// clefs and key signatures inserted, notes and symbols that clefs, time
// signatures and bar lines show to be false dropped, key signatures, time
// signatures and bar lines voted across the staves, empty bars given a
// one-bar rest.
#pragma once

#include <cstdint>

#include "reading/ReadingThread.h"
#include "reading/RecognitionRecords.h"
#include "reading/StaveGeometry.h"
#include "shapes/ClassifierDatabases.h"
#include "shapes/InkProjections.h"

struct ArticulationPage {
  InkPage ink;              // the page with its stave lines
  const StaveRow* rows = nullptr;
  int rowCount = 0;
  int firstRow = 0;         // the group's first stave row
  StavePage* geometry = nullptr;
  // The reading option "Transposing scores": a stave whose key signature has
  // at least as many accidentals as the group's vote keeps its own, and the
  // engine's heads under a voted key signature stay.
  bool keepUncontradictedKeys = false;
};

void ReadArticulation(const ArticulationPage& page, SymbolRecord* symbols, uint32_t& symbolCount, NoteRecord* notes,
                      uint32_t& noteCount, const ShapeDatabase& db);

// The 8 x 16 sample whose header a clef inserted on a stave without one
// takes: the third sample group; null when the database has fewer.
const uint8_t* InsertedClefSample(const ShapeDatabase& db);

// The stage adapter (kArticulation).
int ArticulationStage(StageContext& context);
