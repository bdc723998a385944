// Settling conflicts between the objects read so far in a stave group: heads
// that two neighbouring staves both claimed, bar lines that are really
// stems, rests sitting on stems, heads found inside other symbols and any
// two objects whose boxes overlap; and, at the end of the group, curves
// lying in the text margins and rests moved clear of notes.
//
// Every pass changes the lists in place. Measures of a stave (its units and
// spacing) are read without changing the units the reading thread set.
#pragma once

#include <cstdint>

#include "reading/ReadingThread.h"
#include "reading/RecognitionRecords.h"
#include "reading/StaveGeometry.h"
#include "score/StaveTypes.h"
#include "stages/SlursTiesHairpins.h"

// What the passes take from the other stages: whether a note's step lies
// within its stave, and the scores that strengthen a symbol (its context)
// and a head (the heads linked to it). Null: no note leaves its stave, and
// the scores add nothing.
struct OverlapRules {
  bool (*stepWithinStave)(int step, int lineCount) = nullptr;
  int32_t (*symbolScore)(const SymbolRecord* symbols, uint32_t count, uint32_t index) = nullptr;
  int32_t (*headScore)(const NoteRecord* notes, uint32_t count, uint32_t index) = nullptr;
};

// What the passes work on: the group's lists and the page's staves.
struct OverlapPage {
  NoteRecord* notes = nullptr;
  uint32_t* noteCount = nullptr;
  SymbolRecord* symbols = nullptr;
  uint32_t* symbolCount = nullptr;
  const StaveRow* rows = nullptr;
  int staveCount = 0;
  int firstStave = 0;
  StavePage* geometry = nullptr;
  OverlapRules rules;
};

// Object categories of the overlap resolver.
enum OverlapCategory : int {
  kObjectSymbol = 1,
  kObjectHead = 2,
  kObjectStem = 3,
  kObjectNoteMark = 4,   // a note without an extent of its own
  kObjectSubItem = 6,    // a sub-item of a note, all notes' items in note order
};

struct ObjectBox {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool empty = true;
};

void MergeCrossStaveNotes(const OverlapPage& page, bool useStems);
void DropSymbolsCrowdedByNotes(const OverlapPage& page);
void DropSymbolsOnStems(const OverlapPage& page);
void DeleteNotesInsideSymbols(const OverlapPage& page);
void ResolveOverlappingObjects(const OverlapPage& page);

ObjectBox GetObjectExtent(const OverlapPage& page, int category, uint32_t index);
int32_t ObjectKeepValue(const OverlapPage& page, int category, uint32_t index);
bool ObjectsClash(const OverlapPage& page, int a, uint32_t ia, int b, uint32_t ib);
uint32_t ObjectCount(const OverlapPage& page, int category);
int ObjectStave(const OverlapPage& page, int category, uint32_t index);

// Curves whose two ends both lie in the top or the bottom text margin are
// discarded (apexPos 255). Character records of kind 100 mark the top
// margin, of kind 4 the bottom one.
void DiscardCurvesInTextMargins(CurveItem* curves, uint32_t curveCount, const uint8_t* chars, uint32_t charCount,
                                const uint8_t* words, uint32_t wordCount);
// Rests (and short rests) overlapping notes or earlier rests move right.
void TrimOverlappingSymbolBoxes(SymbolRecord* symbols, uint32_t symbolCount, const NoteRecord* notes,
                                uint32_t noteCount);

// The stages: the five passes after the note values, and the two at the end
// of the group. Both return 1.
int CleanUpOverlaps(StageContext& context);
int FinishGroupOverlaps(StageContext& context);
