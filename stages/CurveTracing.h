// The curve tracer behind the slur stage: from a start pixel it follows thin
// ink to the left and to the right (up to eight branches a side), joins a
// left and a right branch into one run of points, decides whether the run is
// a straight line, a curve or neither, rejects runs that belong to other
// objects, merges duplicates and stores the survivor.
//
// All working memory lives in a CurveTracer that the stage owns for one call;
// nothing here is process-wide.
#pragma once

#include <cstdint>
#include <vector>

#include "reading/RecognitionRecords.h"
#include "reading/StaveGeometry.h"
#include "score/StaveTypes.h"
#include "stages/SlursTiesHairpins.h"

// The sizes the search works with at a resolution: its own unit (the
// stave's units are left as they are) and the tracer's fine step.
struct CurveScale {
  int32_t unit;
  int32_t fineStep;
};
CurveScale CurveScaleFor(int resolution);

// The vertical reach of a note: its head from top to top + sp, with its stem
// (kinds below 7) added below for a stem going down or above for one going up.
void NoteReach(const NoteRecord& note, int32_t sp, int32_t* top, int32_t* bottom);
// The stem slot (0 up-left, 1 up-right, 2 down-left, 3 down-right) the note's
// stemDown and stemRight choose, when that slot has a stem (length 1 or more), else -1.
int NoteStemSlot(const NoteRecord& note);

constexpr int kTraceBranches = 8;
constexpr int kTracePoints = 500;
// A join is a whole left branch and a right branch less its first point.
constexpr int kJoinedPoints = 2 * kTracePoints - 1;

// One branch: points 4 x fineStep apart in x from the start column.
struct TraceBranch {
  int32_t count;
  int32_t centreY[kTracePoints];
  int32_t thick[kTracePoints];
  int32_t onLine[kTracePoints];
};

// The branches of one side of a start pixel.
struct TraceRun {
  int32_t branchCount;
  TraceBranch branches[kTraceBranches];
};

// One candidate curve: the left branch reversed, then the right branch.
struct JoinedRun {
  int32_t count;
  int32_t startX;  // x of point 0; point i lies 4 x fineStep x i further
  int32_t centreY[kJoinedPoints];
  int32_t thick[kJoinedPoints];
  int32_t onLine[kJoinedPoints];
};

// One bit per pixel of the search band's rows: the pixels already traced.
class ScratchBand {
 public:
  // false when the memory could not be had (the band is then empty).
  bool Reset(int32_t top, int32_t bottom, int32_t width);
  bool Marked(int32_t x, int32_t y) const;
  void Mark(int32_t x, int32_t y);
  int32_t Top() const { return top_; }
  int32_t Bottom() const { return bottom_; }

 private:
  int32_t top_ = 0, bottom_ = 0, width_ = 0;
  size_t rowBytes_ = 0;
  std::vector<uint8_t> bits_;
};

// What the tracer sees of the page and of the stave searched.
struct TracePage {
  const uint8_t* image = nullptr;  // 1-bit page image with its stave lines
  int32_t width = 0;
  int32_t height = 0;
  size_t rowBytes = 0;
  const StaveRow* rows = nullptr;
  int staveCount = 0;
  int stave = 0;          // the stave whose band is searched
  int firstStave = 0;     // the group's first stave
  StavePage* geometry = nullptr;

  bool Ink(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return false;
    return ((image[static_cast<size_t>(y) * rowBytes + (x >> 3)] >> (x & 7)) & 1) != 0;
  }
};

// The search state of one stage call.
struct CurveTracer {
  TracePage page;
  int32_t fineStep = 1;
  int32_t unit = 1;
  int32_t bandTop = 0, bandBottom = 0;  // rows the tracer may widen into
  int32_t boxTop = 0, boxBottom = 0;    // the stave's box: no straight line ends there
  ScratchBand band;
  TraceRun left{}, right{};
  JoinedRun joined{};
};

// The objects a stored curve is checked against.
struct CurveObjects {
  NoteRecord* notes = nullptr;
  uint32_t* noteCount = nullptr;
  SymbolRecord* symbols = nullptr;
  uint32_t* symbolCount = nullptr;
  const uint8_t* chars = nullptr;  // character records (52 bytes)
  uint32_t charCount = 0;
  const uint8_t* words = nullptr;  // word records (340 bytes)
  uint32_t wordCount = 0;
  // Engine objects near a box on stave row s, as the object search gives
  // them (right edge, -1 none, 0 not described); null: none are looked for.
  int32_t (*engineObjectNear)(const StaveRow* rows, int count, int s, int32_t left, int32_t top, int32_t right,
                              int32_t bottom, uint32_t mask) = nullptr;
};

// The lists a stored trace goes into.
struct CurveLists {
  CurveItem* curves = nullptr;
  uint32_t* curveCount = nullptr;
  uint32_t curveCountAtStave = 0;
  uint32_t engineCurves = 0;
  LineItem* lines = nullptr;
  uint32_t* lineCount = nullptr;
  uint32_t lineCountAtStave = 0;
};

// Traces from ink pixel (x, y) in the direction of step (-fineStep left,
// +fineStep right) into run.
int TraceCurveFromPixel(CurveTracer& tracer, TraceRun& run, int32_t x, int32_t y, int32_t step);

// What ClassifyTrace found: kind 0 none, 1 straight line, 2 curve.
struct TraceShape {
  int kind = 0;
  int32_t first = 0;   // first point of the run kept after trimming
  int32_t count = 0;   // points kept
  int32_t startX = 0;  // x of the first kept point
  int32_t apexIndex = 0;
  int32_t apexY = 0;
  uint8_t apexPos = 0;
  uint8_t bulge = 0;
};
// Classifies run; lineTop and lineBottom: the stave's top and bottom line.
int ClassifyTrace(const JoinedRun& run, int32_t fineStep, int32_t spacing, int32_t lineTop, int32_t lineBottom,
                  TraceShape* shape);

// 1 when fewer than 7/8 of the values lie within spacing / 2 of their cluster
// mean, or there are fewer than 9.
int IsUneven(const int32_t* values, int n, int32_t spacing);

// Samples the curve through the three points into at most 256 heights, one
// per 4 x unit of x; returns the x distance between samples (0: none).
int32_t SampleCurve(int32_t x0, int32_t y0, int32_t apexX, int32_t apexY, int32_t x1, int32_t y1, int32_t unit,
                    int32_t* table, int32_t* samples);

// 1 when the run (shape's kept points) belongs to other objects. Minim,
// semibreve and breve rests it runs through are added to restsHit (at most
// capacity), to be deleted only when the curve is stored.
int CurveHitsObjects(const CurveTracer& tracer, const TraceShape& shape, const CurveObjects& objects,
                     int16_t* restsHit, int* restCount, int capacity);

// The whole decision for one start pixel (tracer.left and tracer.right hold
// the two sides): stores at most one item; 1 when one was stored.
int ClassifyAndStoreTrace(CurveTracer& tracer, int32_t x, int32_t spacing, const CurveObjects& objects,
                          CurveLists& lists);
