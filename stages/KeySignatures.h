// The key-signature search: after a clef near the stave's start (or the
// second piece of a joined stave) and after a double or repeat bar line, the
// flats and the sharps are looked for at the places the clef gives them, and
// the run that finds more becomes one key-signature record (16 flats, 17
// sharps, count = accidentals).
#pragma once

#include <cstdint>

#include "reading/RecognitionRecords.h"
#include "reading/StaveGeometry.h"
#include "shapes/ClassifierDatabases.h"
#include "shapes/InkProjections.h"

// Stave steps of the k-th sharp or flat of a key after a clef of the given
// row (clef type - 1, 0..7).
int KeySharpStep(int clefRow, int k);
int KeyFlatStep(int clefRow, int k);

struct KeySearchPage {
  InkPage ink;
  const StaveRow* rows;
  int rowCount;
  StavePage* geometry;
};

// Searches after every clef or double/repeat bar line of stave rowIndex
// (stave number `stave`) from records[from] on; adds the key signatures it
// finds. Staves other than ordinary five-line ones are left alone. Returns
// the number of key signatures added.
int FindKeySignature(const KeySearchPage& page, int rowIndex, int16_t stave, SymbolRecord* records, uint32_t& count,
                     uint32_t from, const ShapeDatabase& db);

// Whether the columns left..right of stave `stave` lie between a live bar line
// and a key signature that follows it closely (within room for the naturals
// cancelling the most accidentals a key has, the most a key has, and a space
// more): where a key change's cancelling naturals stand, so that nothing
// there is a note.
bool InKeyChangeLeadIn(const SymbolRecord* records, uint32_t count, int16_t stave, int32_t left, int32_t right,
                       double spacing);
