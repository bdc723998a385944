// The one reader of the engine's note groups (MscriptNoteGroup) for the
// application side. A group holds up to ten notes with their places in the
// engine's own units; the stages want page pixels, the stave step of a note
// record, the note's stave offset and the side of its stem. What the engine
// does not keep is derived here from the engine's staff table:
//   - the step: a head centred on note position q (11 = top line, one per
//     half space downward; on one- to three-line staves the lines lie four
//     positions apart) has step lineCount + 26 - q;
//   - the stave offset: +1 (-1) when the note lies nearer the next (previous)
//     stave of the system than its own;
//   - the stem side: the stem's x against the middle of the head.
// Every other reader of note groups goes through ReadEngineNoteGroup.
#pragma once

#include <cstdint>
#include <vector>

#include "Code/Quorm/Geometry.h"

// The engine's note and rest types (its page description's codes); this
// header keeps them apart from the note kinds of the stages' records.
enum EngineNoteTypeCode : int32_t {
  kEngineBreveHead = 0,
  kEngineSemibreveHead = 1,
  kEngineMinimHead = 2,
  kEngineSolidHead = 3,
  kEngineGraceHead = 4,
  kEngineBreveRest = 5,
  kEngineLastShortRest = 12,  // the shortest rest
  kEngineMultiBarRest = 13,
  kEngineInvisibleRest = 14,
};
constexpr int32_t kEngineGroupNotes = 10;
constexpr int32_t kEngineNoBox = INT32_MIN;
struct MscriptNoteGroup;

struct EngineNoteView {
  int32_t type = 0;           // MscriptNoteType
  int32_t staveOffset = 0;    // 0 own stave, +1 the next stave of the system, -1 the one above
  int32_t step = 0;           // half spaces upward (five lines: 12..20, middle line 16)
  int32_t notePosition = 0;   // q: 11 = top line, counted downward
  int32_t objectKind = 0;     // the found object: notehead kind, or a rest's symbol type; 0 none
  int32_t objectIndex = -1;
  int32_t accidental = 0;     // 0 none, 1 sharp, 2 flat, 3 natural, 4..7 double and combined signs
  int32_t accidentalRefs[3] = {0, -1, -1};  // count, then one or two symbols
  int32_t usualStemSide = 0;  // 1: the stem on the usual side (right of an up-stem head, left of a down-stem one)
  int32_t centreX = 0;        // page pixels
  int32_t centreY = 0;
  EngineBox box{kEngineNoBox, kEngineNoBox, kEngineNoBox, kEngineNoBox};  // the found object's box
  int32_t cost = 0;           // the found object's cost
  int32_t small = 0;          // 1: a head of the engine's small-head (cue-size) models
  EngineBox accidentalBox{kEngineNoBox, kEngineNoBox, kEngineNoBox, kEngineNoBox};
  int32_t accidentalCost = 0; // mean cost of the referenced accidentals
};

struct EngineEventView {
  int32_t dots = 0;
  int32_t noteCount = 0;      // 0..10
  int32_t flagCount = 0;
  int32_t leftBeams = 0;
  int32_t rightBeams = 0;
  int32_t hasStem = 0;
  int32_t stemUp = 0;
  int32_t stemX = 0;          // page pixels, when hasStem
  int32_t stemTopY = 0;
  int32_t stemBottomY = 0;
  EngineBox box{0, 0, 0, 0};  // the heads and the stem together, page pixels
  // The right edges of the event's upper and lower ends: the stem's at the
  // end it reaches, the notes' at the other (both the notes' without a stem).
  int32_t upperRight = 0;
  int32_t lowerRight = 0;
  EngineNoteView notes[kEngineGroupNotes];
};

// The note position (q scale above) of an engine staff step on a staff of
// that many lines.
int32_t EngineStepNotePosition(int32_t engineStep, int32_t lineCount);
// The record step of a note position on a stave of that many lines.
inline int32_t NotePositionStep(int32_t notePosition, int32_t lineCount) { return lineCount + 26 - notePosition; }

// Reads group, an event of stave `stave` (index within the system) of
// `system`, into out. The engine's accessors throw EngineFailure on a bad
// index, as everywhere in the page description.
void ReadEngineNoteGroup(int32_t system, int32_t stave, const MscriptNoteGroup& group, EngineEventView* out);

// The page description (page 0) by system and stave index within it; a
// system or stave it does not hold has no slots.
int32_t EngineSystemCount();
int32_t EngineSystemStaveCount(int32_t system);
int32_t EngineStaveSlotCount(int32_t system, int32_t stave);
int32_t EngineSlotEventCount(int32_t system, int32_t stave, int32_t slot);
// Note event `index` of the slot, through ReadEngineNoteGroup.
void ReadEngineSlotEvent(int32_t system, int32_t stave, int32_t slot, int32_t index, EngineEventView* out);
// All note events of the slot at once (the engine gives at most 100).
void ReadEngineSlotEvents(int32_t system, int32_t stave, int32_t slot, std::vector<EngineEventView>* out);
// The engine staff of the stave: its top line's y at x and its space
// rounded to pixels.
int32_t EngineStaveTopLineY(int32_t system, int32_t stave, int32_t x);
int32_t EngineStaveSpace(int32_t system, int32_t stave);
// Confidence per cent of an engine cost.
int32_t EngineCostConfidence(int32_t cost);

// Page x of an x the page description keeps in script units (bar lines),
// for an engine staff.
int32_t ScriptXToPageX(int32_t scriptX, int32_t staff);
