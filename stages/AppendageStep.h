// The appendage step: once per stave group, the accidentals in front of each
// note head and the augmentation dots behind it become sub-items of the note
// record; what they show to be false (heads inside an accidental, rests over
// one, accidentals claimed twice) is removed.
#pragma once

#include <cstdint>
#include <functional>

#include "reading/ReadingThread.h"
#include "reading/RecognitionRecords.h"
#include "reading/StaveGeometry.h"
#include "shapes/ClassifierDatabases.h"

constexpr uint16_t kOneDot = 32;
constexpr uint16_t kTwoDots = 33;

// What the step reads: the page with its stave lines (accidentals are
// matched there) and the working copy with the lines erased (dots are
// found there), the staves of the page and the group's first stave row.
struct AppendagePage {
  const uint8_t* image = nullptr;
  const uint8_t* copy = nullptr;
  uint32_t strideWords = 0;
  int32_t width = 0, height = 0;
  const StaveRow* rows = nullptr;
  int rowCount = 0;
  int firstRow = 0;
  StavePage* geometry = nullptr;
  int (*keepGoing)() = nullptr;  // 0: the user stopped; null: never
  // Whether the engine recognised an object in the box on the stave of page
  // row `row` (an accidental scan stops there, a dot there is not taken);
  // null: the engine is not asked.
  std::function<bool(int row, int32_t left, int32_t top, int32_t right, int32_t bottom)> engineObjectIn;
  // Outlines each window the dot search looks in; null: nothing is drawn.
  std::function<void(int32_t left, int32_t top, int32_t right, int32_t bottom)> outlineWindow;
};

// The drawing colour of the step's debug outlines.
constexpr int kAppendageDebugColour = 11;

// The dot windows outlined on the page view through the reading host, under
// its drawing lock; null while the host's debug drawing is off.
std::function<void(int32_t left, int32_t top, int32_t right, int32_t bottom)> DebugWindowOutline();

// 1, or 0 when the user stopped (asked once per note in both phases).
int ReadAppenditures(const AppendagePage& page, NoteRecord* notes, uint32_t& noteCount, SymbolRecord* symbols,
                     uint32_t& symbolCount, const ShapeDatabase& db);

// Removes sub-item `item` of the note, moving the later ones down.
void DeleteAppenditure(NoteRecord* notes, uint32_t note, int item);

// The note clean-up that ends the step (and that the articulation step runs
// again): notes found by the search whose box overlaps another note's
// accidental, and heads standing in a dotted note's dot area, are deleted.
void CleanNotesByAppendages(const AppendagePage& page, NoteRecord* notes, uint32_t& noteCount);

// The row of the page that holds the group's stave number n; -1 for none.
int NoteStaveRow(const AppendagePage& page, int n);

// The stage adapter (kAppenditures).
int AppendituresStage(StageContext& context);
