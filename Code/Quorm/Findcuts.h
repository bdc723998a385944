// Cutting the ink of one text line into separate objects, cut where
// characters touch. The line reader hands over the line's vertical black
// runs; the cutter labels them, chooses cut runs, joins fragments and
// orders the objects from left to right. It owns only its work tables,
// which it frees at the end of every call.
#pragma once

#include <cstdint>

// One vertical black run of the line, sorted by column, then first row.
struct LineRun {
  int32_t column;    // 0 .. line width - 1
  int32_t firstRow;
  int32_t endRow;    // exclusive
  int32_t label;     // written by the cutter: object index + 1, 0 = no object
  int32_t cut;       // written by the cutter: 1 for a run chosen as a cut
};

static_assert(sizeof(LineRun) == 20, "runs are sorted as 20-byte records");

// A found object, in reading order.
struct CutObject {
  int32_t label;
  int32_t firstRun;     // run range [firstRun, endRun) that holds its runs
  int32_t endRun;
  int32_t top;          // smallest first row
  int32_t bottom;       // largest end row (exclusive)
  int32_t firstColumn;
  int32_t endColumn;    // largest column + 1
  int32_t linkCount;    // -1 once merged away
  int32_t firstLink;
  int32_t cutStrength;  // weight of the cut links that cross to it
  int32_t clearance;    // clearance to the objects before it
};

struct CutResult {
  int32_t objectCount;
  int32_t totalInk;
  int32_t inkedColumns;
  int32_t height;  // H, the line's character height estimate
};

constexpr int32_t kMaxCutCandidates = 4000;  // candidate table capacity
constexpr int32_t kMaxCutLinks = 20;         // links per object
constexpr int32_t kCutQueueLimit = 1800;     // flood-fill queue entries

// Hands the line to the cutter: runs (sorted; the label and cut words are
// written), their count and the line width. The runs stay the caller's.
void SetCutLine(LineRun* runs, int32_t runCount, int32_t width);

// Runs every pass over the current line. objects receives at most
// maxObjects objects in reading order; the runs' labels then name them
// (index + 1; 0 for runs that belong to no object). An empty line gives 0
// objects. The work tables are freed before returning.
void CutTouchingObjects(CutResult* result, CutObject* objects, int32_t maxObjects);

// Frees the work tables and clears the cutter's state.
void FreeCutWork();
