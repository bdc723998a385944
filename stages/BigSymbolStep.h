// The big-symbol step: per stave, after the note heads, the stave is scanned
// with the classifier's 8 x 16 samples for clefs, time-signature digits and
// signs and rests; multi-part hits are merged, digits paired, bar lines found
// by their ink, overlapping candidates resolved; then the engine's own clefs,
// time signatures, rests and bar lines are imported and the key signatures
// searched. The records go to the page's symbol list.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "reading/ReadingThread.h"
#include "reading/RecognitionRecords.h"
#include "reading/StaveGeometry.h"
#include "shapes/ClassifierDatabases.h"
#include "stages/SymbolRecords.h"

// What the step reads of the page: the 1-bit image with its row stride in
// 32-bit words, the staves and their line geometry.
struct SymbolPage {
  const uint8_t* bits = nullptr;
  uint32_t strideWords = 0;
  int32_t width = 0, height = 0;
  const StaveRow* rows = nullptr;
  int rowCount = 0;
  StavePage* geometry = nullptr;
};
// The page of a stage's context (its image with the stave lines, the line
// geometry of the page being read).
StavePage StageStavePage(const StageContext& context);
SymbolPage StageSymbolPage(const StageContext& context, StavePage* geometry);

// The engine's objects a window is not scanned over, and the user's stop.
// Null members: nothing there, never stopped.
struct BigSymbolChecks {
  std::function<bool(int32_t x0, int32_t y0, int32_t x1, int32_t y1)> engineObjectIn;
  std::function<bool(int32_t x0, int32_t y0, int32_t x1, int32_t y1)> engineCurveThrough;
  std::function<int()> keepGoing;  // 0: the user stopped
};

// 1, or 0 when the user stopped the scan or the bar-line search (the later
// steps still run). Staves of a kind other than 0, 1, 2 or with more than six
// lines are left alone.
int ReadBigSymbols(const SymbolPage& page, int rowIndex, int16_t stave, SymbolRecord* records, uint32_t& count,
                   const ShapeDatabase& db, const BigSymbolChecks& checks);

// ---- Parts of the step, for their own tests ----

// A column run of ink in one band: where the scan tries its windows.
struct BigSymbolCandidate {
  int32_t left, right;
  int32_t inkTop, inkBottom;  // absolute rows of the first and last ink
};
// The candidates of each band of the stave of row rowIndex (the bands of
// BigSymbolBands, in order). Each band's runs close at a gap of a space; a
// narrow solid stroke closes the runs of its band and of the bands a space
// above and below, which look again one and a half spaces past it.
std::vector<std::vector<BigSymbolCandidate>> FindBigSymbolCandidates(const SymbolPage& page, int rowIndex);

// One slot per (symbol type, part): the last accepted hit.
struct HitSlot {
  int32_t x = -100;
  int32_t confidence = 0;
  int32_t record = -1;
};
struct HitTable {
  HitSlot slots[128][4];
};
enum class HitResult { kRefused, kTaken, kListFull };
// A hit of the type's part at x: taken when the slot's last hit lies more
// than 1.5 half spaces behind; within that only with a higher confidence,
// and then the slot's earlier record is deleted and every stored record
// index above it, in every slot, lowered. A taken hit is added by `add`
// (which appends one record and returns 0 when the list is full) and stored.
template <typename Add>
HitResult AcceptHitAtPosition(HitTable& table, int type, int part, int32_t x, int confidence, double halfSpace,
                              SymbolRecord* records, uint32_t& count, Add add);
void ForgetHitRecord(HitTable& table, int32_t record);

// Joins the parts of multi-part symbols among records[from, count).
void MergeSymbolParts(SymbolRecord* records, uint32_t& count, uint32_t from, const ShapeDatabase& db,
                      double spacing, int32_t staveLeft);
// Marks lone digits down and pairs of upper and lower digits confirmed.
void PairTimeSignatureDigits(SymbolRecord* records, uint32_t count, uint32_t from, double spacing);
// The type of a pair of strokes (first stroke width w1, second w2).
int ClassifyBarline(int32_t x, float unitF, int32_t w1, int32_t w2, bool lastStaveRow, int32_t staveRight);
// Deletes the worse of each overlapping pair among records[from, count).
void ResolveSymbolOverlaps(SymbolRecord* records, uint32_t& count, uint32_t from, int32_t staveUnit);

template <typename Add>
HitResult AcceptHitAtPosition(HitTable& table, int type, int part, int32_t x, int confidence, double halfSpace,
                              SymbolRecord* records, uint32_t& count, Add add) {
  HitSlot& slot = table.slots[type & 127][part & 3];
  if (x - slot.x <= 1.5 * halfSpace && slot.record >= 0) {
    if (confidence <= slot.confidence) return HitResult::kRefused;
    const int32_t old = slot.record;
    uint32_t n = count;
    // Deleting moves the later records down: every index above follows.
    DeleteSymbolRecord(records, n, static_cast<uint32_t>(old));
    count = n;
    ForgetHitRecord(table, old);
  }
  if (!add()) return HitResult::kListFull;
  slot.x = x;
  slot.confidence = confidence;
  slot.record = static_cast<int32_t>(count) - 1;
  return HitResult::kTaken;
}

// The stage adapter (kBigSymbols).
int BigSymbolsStage(StageContext& context);
