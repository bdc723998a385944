// Guitar tablature: the fret numbers written on the lines of a tablature
// stave become note records (kind 15), read with the text-character matcher;
// at the end of the stave group they take their durations from the notation
// stave above, and a tablature stave without rhythm symbols gets them.
#pragma once

#include <cstdint>

#include "reading/RecognitionRecords.h"
#include "reading/StaveGeometry.h"
#include "score/StaveTypes.h"
#include "stages/TextCharacters.h"

constexpr int16_t kTablatureStaveKind = 1;  // StaveRow::kind
constexpr int kTabCross = 256;              // ReadTabDigits: an "x" was read
constexpr int kTabFretLimit = 32;           // numbers from here on are not frets

// What the reader sees of the page: its one-bit image (lines not erased)
// and the stave geometry.
struct TabPage {
  const uint8_t* bits = nullptr;
  int strideWords = 0;
  int width = 0;
  int height = 0;
  StavePage* geometry = nullptr;
};

struct TabDigits {
  int left = 0, top = 0, right = 0, bottom = 0;
  int confidence = 0;  // 100 read, 0 not
};

// Reads the number that starts near column x between rows yTop and yBottom
// on a line whose own band is lineTop..lineBottom: its value (0..31), 256 for
// an "x", or 0 with confidence 0 (and out->right the right edge of what was
// looked at, where the search goes on). Only 0-9 are digits ("I" reads as
// 1); an "x" after a digit is dropped and anything else ends the number.
// singleChar tries only for an "x".
int ReadTabDigits(const TabPage& page, const TextCharTable& table, TextMatchScratch& scratch, int x, int yTop,
                  int yBottom, int lineTop, int lineBottom, double halfSpace, int step, bool singleChar,
                  TabDigits* out);

// Reads the numbers of tablature stave s into notes (stave field
// staveNumber); 1, or 0 when the user stopped the reading.
int ReadTabNumbers(const TabPage& page, const TextCharTable& table, const StaveRow* rows, int staveCount, int s,
                   NoteRecord* notes, uint32_t& noteCount, int staveNumber);

// The tablature notes of the group take kind, beaming, stem side and dots
// from the nearest notation stave's note over them (crotchets with none).
void CopyNoteValuesToTabNotes(const StaveRow* rows, int staveCount, NoteRecord* notes, uint32_t noteCount,
                              int firstStave);
// A tablature stave of the group without rhythm symbols gets those of the
// stave above and a rest for each note above that stands over nothing.
void CopySymbolsToTabStaves(const StaveRow* rows, int staveCount, NoteRecord* notes, uint32_t noteCount,
                            SymbolRecord* symbols, uint32_t& symbolCount, int firstStave, int resolution);

// Wires the tablature stage into the reading thread's stage table.
void InstallTabNumberStages();
