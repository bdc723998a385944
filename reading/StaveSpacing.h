// Measuring by the stave: line spacing, the y of stave and note positions,
// the size units of the stave being worked on, and stave-group look-ups.
#pragma once

#include <cstdint>

#include "reading/StaveGeometry.h"
#include "score/StaveTypes.h"

// The size units of the stave being worked on, set by SetStaveUnits.
struct StaveUnits {
  int32_t staveUnit = 1;       // about 4 % of the stave height, at least 1
  float staveUnitF = 1.0f;
  int32_t smallStaveUnit = 1;  // about 2 %, at least 1
};
StaveUnits& CurrentStaveUnits();

// The least height of a stave by line count (0..6) that counts as a real
// stave; kept by the reading thread. Zero until it sets them.
int32_t* MinStaveHeightByLines();

double InterlineSpacing(const StaveRow* rows, int count, int s, const StavePage& page);
int32_t RoundedInterlineSpacing(const StaveRow* rows, int count, int s, const StavePage& page);
double StaveRecordSpacing(const StaveRecord* records, int count, int s, int resolution);

// Absolute y of a stave position (half spaces, 4 = top line) and of a note
// position (half spaces, 11 = top line) at x.
int32_t StavePositionY(const StaveRow* rows, int count, int s, int32_t x, int position, StavePage& page);
int32_t StaveNotePositionY(const StaveRow* rows, int count, int s, int32_t x, int notePosition, StavePage& page);

int32_t StaveIndexInGroup(const StaveRow* rows, int count, int s);
int32_t FindStaveInGroup(const StaveRow* rows, int count, int s, int n);
int32_t CountStavesInGroup(const StaveRow* rows, int count, int s);
int32_t CountNotationStavesInGroup(const StaveRow* rows, int count, int s);

void SetStaveUnits(const StaveRow* rows, int s, int resolution);

// The engine's noteheads as short-stave spacing needs them: the summed
// heights of the heads it found (breves to solid heads) and their number.
// Unset, they are measured on the engine's page description.
struct ShortStaveHooks {
  void (*sumNoteheadHeights)(int64_t* sum, int64_t* count) = nullptr;
};
ShortStaveHooks& ShortStaveSources();

// For a page of one- to three-line staves only: the first one-line stave's
// spacing override from the mean notehead height plus half a line thickness
// (resolution / 12 when the engine found no heads).
void SpacingForShortStaves(StaveRow* rows, int count, int resolution);
