// Slurs, ties and hairpins of one stave group: the engine's curves and
// hairpins are taken first, then each stave's band is searched with the
// curve tracer (CurveTracing.h); the curves are tied to the notes at their
// ends and hairpin lines are paired and given to a note.
//
// Two lists of the group hold the results (the reading thread's curve lists,
// counts set back to 0 after every group):
//   list A: CurveItem, at most kCurveItemLimit  (slurs and ties)
//   list B: LineItem,  at most kLineItemLimit   (straight lines, hairpin arms)
// Marks on the notes are sub-items of kinds 160..167 (below) whose markIndex
// is the index of the curve or of the hairpin's first line.
#pragma once

#include <cstdint>

#include "reading/CurveItems.h"
#include "score/StaveTypes.h"

// Kept free of the work-list records, so that the engine's page description
// (whose note names are the engine's own) can be read beside these items.
struct NoteRecord;
struct StageContext;
struct StavePage;

// A curve's apex lies at x0 + len x apexPos / 127 and at (y0 + y1) / 2 -/+
// len x (bulge & 127) / 127 (minus when bit 7 is set, the apex above the
// chord); len = x1 - x0.
constexpr uint8_t kBulgeAbove = 128;
constexpr uint32_t kCurveItemLimit = 512;
constexpr uint32_t kLineItemLimit = 768;

// The apex of a curve item (x, y).
inline void CurveApex(const CurveItem& item, int32_t* x, int32_t* y) {
  const int32_t len = item.x1 - item.x0;
  *x = item.x0 + len * item.apexPos / 127;
  const int32_t rise = len * (item.bulge & 127) / 127;
  *y = (item.y0 + item.y1) / 2 + ((item.bulge & kBulgeAbove) ? -rise : rise);
}

// Sub-item kinds left on notes.
constexpr uint16_t kMarkHairpinOpensRight = 160;
constexpr uint16_t kMarkHairpinOpensLeft = 161;
constexpr uint16_t kMarkCurveStarts = 162;
constexpr uint16_t kMarkCurveStartsAndEnds = 164;
constexpr uint16_t kMarkCurveEnds = 167;


// The group's engine curves into list A (while it has fewer than 512).
int ImportEngineSlurs(int group, CurveItem* curves, uint32_t& curveCount);
// Two lines per engine hairpin of the engine's stave staveIndex of the group
// into list B (while fewer than 767).
int ImportEngineHairpins(int group, int staveIndex, LineItem* lines, uint32_t& lineCount);
// The engine's index of stave row s within its system, -1 when the engine
// does not describe that stave.
int EngineStaveOfRow(const StaveRow* rows, int count, int s);
// Whether the engine has curves for the group.
bool EngineHasCurves(int group);


// What the note passes of the stage share: the group's notes and staves.
struct CurveNotePage {
  NoteRecord* notes = nullptr;
  uint32_t noteCount = 0;
  const StaveRow* rows = nullptr;
  int staveCount = 0;
  int firstStave = 0;
  StavePage* geometry = nullptr;
  // Whether a beamed note of kind 3 or shorter has its flag zone in the box:
  // such lines are beams, not hairpins. Null: none is.
  bool (*beamsInBox)(const NoteRecord* notes, uint32_t count, int32_t x0, int32_t y0, int32_t x1,
                     int32_t y1) = nullptr;
};

// Removes dots and kind-149 sub-items of the notes of stave staveIndex that
// an engine curve crosses.
void DropDotsOnEngineSlurs(const CurveNotePage& page, int staveIndex);
// Marks the notes at the two ends of each live curve from fromIndex.
void AttachCurvesToNotes(const CurveNotePage& page, const CurveItem* curves, uint32_t fromIndex,
                         uint32_t curveCount, int staveIndex, int32_t halfSpace);
// Joins broken lines from fromIndex and pairs lines into hairpins, marking a
// note; lines below firstOwn are the engine's. dpi: the page's resolution.
void PairHairpinLines(const CurveNotePage& page, LineItem* lines, uint32_t fromIndex, uint32_t firstOwn,
                      uint32_t lineCount, int32_t fineStep, int dpi);

// The stage for the group that begins at context.firstStave: 0 when the user
// stopped the page, else 1.
int FindSlursTiesHairpins(StageContext& context);
