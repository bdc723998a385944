// Inside the staff finder: the rows of the staff table and the helpers that
// the detection, verification, hint and line-removal steps share.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Heapmem.h"

// A zeroed work array from the engine heap, freed when it goes out of scope
// (also when a failed check unwinds through it).
template <class T>
class WorkArray {
 public:
  explicit WorkArray(size_t count) : count_(count) { EngineAllocZeroed(data_, (count ? count : 1) * sizeof(T)); }
  ~WorkArray() { EngineFree(data_); }
  WorkArray(const WorkArray&) = delete;
  WorkArray& operator=(const WorkArray&) = delete;
  T& operator[](size_t i) { return data_[i]; }
  const T& operator[](size_t i) const { return data_[i]; }
  T* data() { return data_; }
  size_t size() const { return count_; }

 private:
  T* data_ = nullptr;
  size_t count_;
};

// The shortest staff the stage keeps, in its own staff spaces: a one-bar
// system, a coda or a short example is still a staff.
constexpr int32_t kShortestStaffSpaces = 8;

// Row i of the table, 0..kStaffTableRows-1 (the scratch row included).
StaffRecord& StaffRow(int32_t i);
// The checked row of a counted staff.
StaffRecord& CountedStaff(int32_t staff);
void SetStaffCount(int32_t count);
StaffFinderState& FinderState();
void SetLastStaffFinderCode(EngineCode code);
// The page staff space and the largest staff space from the staves found:
// "Xnostaves" without staves, "Xbigstaves" beyond the 70-pixel limit.
EngineCode SetPageStaffSpaceFromStaves();

// Allocates the arrays of a zeroed row's first lines (line ys -1, runs -1);
// the arrays of the lines past them stay null.
void AllocateStaffArrays(StaffRecord& row, int32_t lines);
void FreeStaffArrays(StaffRecord& row);

// Line centre x1024 at any page column: the stored value inside the staff,
// beyond its ends continued along the staff's slope.
int32_t LineYAnyColumn(const StaffRecord& row, int32_t line, int32_t column);
// Ink penalty of a staff at a column (lines tested in the three rows from 1.5
// pixels above their centre).
int32_t StaffInkPenalty(const StaffRecord& row, int32_t column);
int32_t InkPenaltyOf(int32_t lineCount, int32_t missing);
// Whether any pixel of the column in rows y0..y1 (inclusive) is black.
bool ColumnHasInk(int32_t column, int32_t y0, int32_t y1);

// staffSpace of a row from its line ys (one-line rows are left alone).
void MeasureRowStaffSpace(StaffRecord& row);
// Fits the row's lines (straight line plus smoothed residual) with the
// smoothing width in staff spaces, then trims its ends by their ink.
void FitStaff(StaffRecord& row, double factor, bool keepEnds);
// Extends every line from its first and last known column to the row's ends
// with the row's slope.
void ExtendLinesToEnds(StaffRecord& row);
// Fills unknown (-1) ys between known columns linearly; returns false when a
// line has no known column.
bool InterpolateLineGaps(StaffRecord& row);

// The vertical segments of a column: indexes first..end-1 (built on first use
// for the current segment table).
void SegmentsOfColumn(int32_t column, int32_t* first, int32_t* end);
void FreeSegmentColumnIndex();
// Frees the work lists of the passes (sample and piece tables, the column
// index of the segments).
void FreeStaffWork();

// Ends of the last pass, shared with the hint stage.
void ScoreStaff(int32_t staff);
void PruneStaves();
void FindSystemJoins();
void ClassifyLineSegments();
