// The staff finder and the staff table: the staves found on the page, one row
// per staff in page order, with their line curves, and the geometry queries
// that every later finder and the application ask of them.
//
// Lengths are fixed point: staff space and thickness in pixels x1024, line
// positions in 1/1024 pixel. Staff steps are half staff spaces growing
// downwards: on a five-line staff the top line is step -4 and the bottom line
// +4; on any other staff the top line is step 0.
#pragma once

#include <cstdint>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/EngineHost.h"

constexpr int kStaffTableRows = 390;       // the last row is the finder's scratch row
constexpr int kMaxStaves = kStaffTableRows - 1;
constexpr int kMaxStaffLines = 6;
constexpr int32_t kMaxPageStaffSpace = 71680;  // 70 pixels x1024

struct StaffRecord {
  int32_t lineCount;                  // 1 to 6
  int32_t* lineY[kMaxStaffLines];     // per column: line centre x1024, -1 unknown
  int32_t* lineRun[kMaxStaffLines];   // per column: top and bottom row of the matched run, -1 -1 none
  int32_t slope;                      // y change per column x1024
  int32_t lineThickness;              // x1024
  int32_t thicknessSpread;            // x1024
  int32_t staffSpace;                 // x1024
  int32_t leftX;                      // first column
  int32_t rightX;                     // column just past the right end
  int32_t system;
  int32_t joinedBelow;
  int32_t weakLine;
  int32_t runColumns;
  int32_t minLineInk;
  int32_t lineInk;
  int32_t quality;
  int32_t alignedStaves;
};

// ---- Staff table queries (every staff index is checked) ----
int32_t GetStaffCount();
int32_t GetPageLineThickness();
int32_t GetStaffLineCount(int32_t staff);
int32_t GetStaffSpace(int32_t staff);
int32_t GetStaffSlope(int32_t staff);
int32_t GetStaffStepMin(int32_t lineCount);
int32_t GetStaffStepMax(int32_t lineCount);
int32_t GetStaffLedgerStepMin(int32_t lineCount);
int32_t GetStaffLedgerStepMax(int32_t lineCount);
// y in pixels of a line at a column clamped to leftX..rightX-1.
int32_t StaffLineY(int32_t staff, int32_t line, int32_t column);
int32_t StaffTopLineY(int32_t staff, int32_t column);
int32_t StaffBottomLineY(int32_t staff, int32_t column);
// y x1024 of a step at the clamped column.
int32_t StaffStepY(int32_t staff, int32_t step, int32_t column);
struct StaffStep {
  int32_t staff;
  int32_t step;
  int32_t remainder;
};
StaffStep YToStaffStep(int32_t y, int32_t column, int32_t staff);
int32_t YToStaffStepIndex(int32_t y, int32_t column, int32_t staff);
int32_t GetStaffLeftX(int32_t staff);
int32_t GetStaffRightX(int32_t staff);
int32_t GetStaffLineThickness(int32_t staff);
int32_t GetStaffLineThicknessSpread(int32_t staff);
int32_t GetStaffJoinedBelow(int32_t staff);
int32_t GetStaffSystem(int32_t staff);
int32_t GetSystemCount();
int32_t GetSystemStaffCount(int32_t system);
int32_t GetStaffIndexInSystem(int32_t staff);
int32_t GetStaffOfSystem(int32_t system, int32_t i);
// Four (y, x) points: top-left, bottom-left, top-right, bottom-right.
void GetSystemCorners(int32_t system, int32_t corners[8]);
void GetStaffCorners(int32_t system, int32_t i, int32_t corners[8]);
int32_t StaffMiddleY(int32_t staff, int32_t column);
int32_t FindStaffAbove(int32_t y, int32_t column);
int32_t NearestStaff(int32_t y, int32_t column);
// The staff at a point: the last staff whose top line at the point's column
// lies at or above the point; -1 above the first staff (and on a page
// without staves).
int32_t StaffAtPoint(int32_t y, int32_t column);
// The staff after the one at a point: the first staff for -1, -1 after the
// last staff.
int32_t NextStaffAfter(int32_t staff);
// Frees every line array and work list and zeroes the table and its state.
void ClearStaffTable();
void RemoveStaff(int32_t staff);

// ---- The staff stage ----
// Module options of the passes.
struct StaffFinderState {
  int32_t pageThickness;     // x1024
  int32_t pageSpread;        // x1024
  int32_t pageSkew;          // measured by the first pass, x1024
  int32_t staffSpaceEstimate;  // x1024, 0 until estimated
};
StaffFinderState GetStaffFinderState();

// First pass over the page's horizontal line pieces: page line thickness,
// its spread and the page skew. Needs the vertical segments.
void MeasureLineRuns();
// Staff candidates of n lines, built into staff rows and fitted.
void FindStaffPieces(int32_t lineCount);
void BuildStaffRecords(int32_t lineCount);
void RefineStaffLines(int32_t lineCount);
void UpdateStaffSpaceEstimate();
// Verifies the candidates: null, "Xnostaves" or "Xbigstaves".
EngineCode FindStaves();
// Page staff space x1024 from the current rows.
int32_t EstimateStaffSpace();

// The first staff stage once the vertical segments are built (progress 0
// and the segments are the entry point's): the passes above with their
// progress points from 10 and their continue checks: 0 completed, 1 stopped,
// 9999 when the staff finder returned a code name (kept for LastStaffFinderCode).
int RunStaffFinder(int sixLines, ProgressCallback progress, ContinueCallback keepGoing);

// The hinted staff stage: staves from the application's stave rows (24
// signed 16-bit words each) and line table (six rows of 1024 values per
// staff). Bad rows are refused one by one; 0 completed, 1 stopped, 9999
// when no usable staff is left or the staves are too big.
int RunHintedStaffStage(const int16_t* staveRows, const int16_t* lineTable, int32_t staffCount,
                        ProgressCallback progress, ContinueCallback keepGoing);
// The code name behind the last 9999 of either stage (null after success).
EngineCode LastStaffFinderCode();

// The staff finishing step of page recognition: staff-line removal.
void EraseStaffLines();
