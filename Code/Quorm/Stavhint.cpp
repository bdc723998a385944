// The two staff stages: the finder's own search, and the stage seeded with
// the application's stave rows and line shapes, whose rows are checked one by
// one before any of them becomes a staff.
#include <algorithm>

#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Stavwork.h"
#include "Code/Quorm/vertsegs.h"

namespace {

constexpr int kHintRowWords = 24;
constexpr int kHintColumns = 1024;

struct StageCalls {
  ProgressCallback progress;
  ContinueCallback keepGoing;
  void Report(unsigned percent) const {
    if (progress) progress(percent);
  }
  bool GoOn() const { return !keepGoing || keepGoing(1) != 0; }
};

void FreeAllRows() {
  for (int32_t i = 0; i < kStaffTableRows; ++i) {
    FreeStaffArrays(StaffRow(i));
    StaffRow(i) = StaffRecord{};
  }
  SetStaffCount(0);
}

// The hint line's y x1024 at a page column of the staff.
int32_t HintLineY(const int16_t* shape, int32_t yOffset, int32_t left, int32_t width, int32_t column) {
  const int32_t k = static_cast<int32_t>(static_cast<int64_t>(column - left) * kHintColumns / width);
  return (shape[k] + yOffset) * 1024;
}

// Builds the row from one hint; false (and the row left empty) when the hint
// cannot describe a staff: a line count outside 1..6, no width on the page,
// lines that meet or cross, or lines off the page.
bool BuildHintedRow(StaffRecord& row, const int16_t* hint, const int16_t* shapes) {
  const int32_t pageWidth = GetPageImageWidth();
  const int32_t pageHeight = GetPageImageHeight();
  const int32_t given = hint[4];
  if (given < 1 || given > kMaxStaffLines) return false;
  const int32_t left = std::clamp<int32_t>(hint[0], 0, pageWidth);
  const int32_t right = std::clamp<int32_t>(hint[1], 0, pageWidth);
  const int32_t width = right - left;
  if (width < 1) return false;
  const int32_t yOffset = hint[2];
  // Which hint line each staff line comes from; -1 for a line halfway
  // between its neighbours.
  int32_t source[kMaxStaffLines];
  int32_t lines = given;
  if (given == 2) {
    lines = 3;
    const int32_t map[3] = {0, -1, 1};
    std::copy(map, map + 3, source);
  } else if (given == 3) {
    lines = 5;
    const int32_t map[5] = {0, -1, 1, -1, 2};
    std::copy(map, map + 5, source);
  } else {
    for (int32_t k = 0; k < given; ++k) source[k] = k;
  }
  for (int32_t c = left; c < right; ++c) {
    int32_t previous = -1;
    for (int32_t k = 0; k < given; ++k) {
      const int32_t y = HintLineY(shapes + k * kHintColumns, yOffset, left, width, c);
      if (y < 0 || y > (pageHeight - 1) * 1024 || (k > 0 && y <= previous)) return false;
      previous = y;
    }
  }
  AllocateStaffArrays(row, lines);
  row.lineCount = lines;
  row.leftX = left;
  row.rightX = right;
  for (int32_t c = left; c < right; ++c) {
    for (int32_t k = 0; k < lines; ++k)
      if (source[k] >= 0) row.lineY[k][c] = HintLineY(shapes + source[k] * kHintColumns, yOffset, left, width, c);
    for (int32_t k = 1; k + 1 < lines; ++k)
      if (source[k] < 0) row.lineY[k][c] = (row.lineY[k - 1][c] + row.lineY[k + 1][c]) / 2;
  }
  const StaffFinderState& state = FinderState();
  row.lineThickness = state.pageThickness;
  row.thicknessSpread = state.pageSpread + 512;
  row.joinedBelow = 0;
  row.slope = width > 1 ? (row.lineY[0][right - 1] - row.lineY[0][left]) / (width - 1) : 0;
  MeasureRowStaffSpace(row);
  return true;
}

void LoadStaffHints(const int16_t* rows, const int16_t* shapes, int32_t count) {
  ENGINE_CHECK(count >= 0);
  ENGINE_CHECK(count == 0 || (rows != nullptr && shapes != nullptr));
  if (FinderState().pageThickness == 0) {
    BuildVerticalSegments(nullptr);
    MeasureLineRuns();
  }
  FreeAllRows();
  int32_t built = 0;
  int32_t system = -1;
  int32_t lastGroup = 0;
  for (int32_t i = 0; i < count && built < kMaxStaves; ++i) {
    const int16_t* hint = rows + static_cast<size_t>(i) * kHintRowWords;
    StaffRecord& row = StaffRow(built);
    if (!BuildHintedRow(row, hint, shapes + static_cast<size_t>(i) * kMaxStaffLines * kHintColumns)) {
      FreeStaffArrays(row);
      row = StaffRecord{};
      continue;
    }
    // Systems are numbered from 0 in row order, a new one wherever the
    // row's group changes.
    if (system < 0 || hint[7] != lastGroup) ++system;
    lastGroup = hint[7];
    row.system = system;
    SetStaffCount(++built);
  }
  int64_t spaces = 0;
  int32_t spaced = 0;
  for (int32_t i = 0; i < built; ++i)
    if (StaffRow(i).lineCount > 1) {
      spaces += StaffRow(i).staffSpace;
      ++spaced;
    }
  for (int32_t i = 0; i < built; ++i)
    if (StaffRow(i).lineCount == 1) StaffRow(i).staffSpace = SaturateToInt32(DivRound64(20480 + spaces, 1 + spaced));
}

// Lines extended (or cut) to new ends along the staff's slope.
void MoveStaffEnds(StaffRecord& row, int32_t left, int32_t right) {
  if (right <= left) return;
  const int64_t maxY = static_cast<int64_t>(GetPageImageHeight() - 1) * 1024;
  for (int32_t k = 0; k < row.lineCount; ++k) {
    const int32_t yLeft = row.lineY[k][row.leftX], yRight = row.lineY[k][row.rightX - 1];
    for (int32_t c = left; c < row.leftX; ++c)
      row.lineY[k][c] = static_cast<int32_t>(std::clamp<int64_t>(yLeft - static_cast<int64_t>(row.slope) * (row.leftX - c), 0, maxY));
    for (int32_t c = row.rightX; c < right; ++c)
      row.lineY[k][c] = static_cast<int32_t>(std::clamp<int64_t>(yRight + static_cast<int64_t>(row.slope) * (c - row.rightX + 1), 0, maxY));
  }
  row.leftX = left;
  row.rightX = right;
}

void AlignSystemEnds() {
  const int32_t skew = GetPageSkew();
  const int32_t lastColumn = GetPageImageWidth() - 1;
  int32_t first = 0;
  while (first < GetStaffCount()) {
    int32_t end = first;
    int64_t lefts = 0, rights = 0;
    while (end < GetStaffCount() && StaffRow(end).system == StaffRow(first).system) {
      const StaffRecord& row = StaffRow(end);
      lefts += row.leftX + RoundQ10(SaturateToInt32(static_cast<int64_t>(StaffMiddleY(end, row.leftX)) * skew));
      rights += row.rightX + RoundQ10(SaturateToInt32(static_cast<int64_t>(StaffMiddleY(end, row.rightX)) * skew));
      ++end;
    }
    const int32_t n = end - first;
    for (int32_t i = first; i < end; ++i) {
      StaffRecord& row = StaffRow(i);
      const int32_t left = static_cast<int32_t>(lefts / n) - RoundQ10(SaturateToInt32(static_cast<int64_t>(StaffMiddleY(i, row.leftX)) * skew));
      const int32_t right = static_cast<int32_t>(rights / n) - RoundQ10(SaturateToInt32(static_cast<int64_t>(StaffMiddleY(i, row.rightX)) * skew));
      MoveStaffEnds(row, std::clamp(left, 0, lastColumn), std::clamp(right, 0, lastColumn));
    }
    first = end;
  }
}

EngineCode FinishHintedStaves() {
  if (EngineCode code = SetPageStaffSpaceFromStaves()) return code;
  FindSystemJoins();
  AlignSystemEnds();
  ClassifyLineSegments();
  return kEngineOk;
}

int Failed(EngineCode code) {
  SetLastStaffFinderCode(code);
  return 9999;
}

}  // namespace

int RunStaffFinder(int sixLines, ProgressCallback progress, ContinueCallback keepGoing) {
  const StageCalls calls = {progress, keepGoing};
  SetLastStaffFinderCode(kEngineOk);
  calls.Report(10);
  ClearStaffTable();
  MeasureLineRuns();
  if (!calls.GoOn()) return 1;
  calls.Report(25);
  FindStaffPieces(5);
  BuildStaffRecords(5);
  if (!calls.GoOn()) return 1;
  calls.Report(75);
  RefineStaffLines(5);
  if (!calls.GoOn()) return 1;
  calls.Report(85);
  if (sixLines) {
    FindStaffPieces(6);
    BuildStaffRecords(6);
    RefineStaffLines(6);
    UpdateStaffSpaceEstimate();
    if (!calls.GoOn()) return 1;
    calls.Report(95);
  }
  const EngineCode code = FindStaves();
  if (!calls.GoOn()) return 1;
  calls.Report(100);
  return code ? Failed(code) : 0;
}

int RunHintedStaffStage(const int16_t* staveRows, const int16_t* lineTable, int32_t staffCount,
                        ProgressCallback progress, ContinueCallback keepGoing) {
  const StageCalls calls = {progress, keepGoing};
  SetLastStaffFinderCode(kEngineOk);
  LoadStaffHints(staveRows, lineTable, staffCount);
  calls.Report(30);
  if (!calls.GoOn()) return 1;
  static const int32_t kLineCounts[6] = {5, 6, 4, 3, 2, 1};
  static const unsigned kProgress[5] = {50, 60, 70, 80, 90};
  for (int32_t i = 0; i < 6; ++i) {
    RefineStaffLines(kLineCounts[i]);
    if (i < 5) calls.Report(kProgress[i]);
    if (!calls.GoOn()) return 1;
  }
  const EngineCode code = FinishHintedStaves();
  calls.Report(100);
  return code ? Failed(code) : 0;
}
