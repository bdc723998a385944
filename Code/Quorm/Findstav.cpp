#include "Code/Quorm/Findstav.h"

#include <algorithm>
#include <cstring>

#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Stavwork.h"

namespace {

StaffRecord g_rows[kStaffTableRows];
int32_t g_count = 0;
StaffFinderState g_state = {};
EngineCode g_lastCode = kEngineOk;

int32_t RoundedY(int32_t v) { return (v + 512) >> 10; }

int32_t ClampColumn(const StaffRecord& row, int32_t column) {
  return std::max(row.leftX, std::min(column, row.rightX - 1));
}

int32_t FirstRowOfSystem(int32_t system) {
  for (int32_t i = 0; i < g_count; ++i)
    if (g_rows[i].system == system) return i;
  return -1;
}

int32_t LastRowOfSystem(int32_t system) {
  for (int32_t i = g_count - 1; i >= 0; --i)
    if (g_rows[i].system == system) return i;
  return -1;
}

void CornersOf(int32_t first, int32_t last, int32_t corners[8]) {
  const StaffRecord& top = CountedStaff(first);
  const StaffRecord& bottom = CountedStaff(last);
  corners[0] = StaffTopLineY(first, top.leftX);
  corners[1] = top.leftX;
  corners[2] = StaffBottomLineY(last, bottom.leftX);
  corners[3] = bottom.leftX;
  corners[4] = StaffTopLineY(first, top.rightX);
  corners[5] = top.rightX;
  corners[6] = StaffBottomLineY(last, bottom.rightX);
  corners[7] = bottom.rightX;
}

}  // namespace

StaffRecord& StaffRow(int32_t i) {
  ENGINE_CHECK_INDEX(i, kStaffTableRows);
  return g_rows[i];
}

StaffRecord& CountedStaff(int32_t staff) {
  ENGINE_CHECK_INDEX(staff, g_count);
  return g_rows[staff];
}

void SetStaffCount(int32_t count) {
  ENGINE_CHECK(count >= 0 && count <= kMaxStaves);
  g_count = count;
}

StaffFinderState& FinderState() { return g_state; }
StaffFinderState GetStaffFinderState() { return g_state; }
void SetLastStaffFinderCode(EngineCode code) { g_lastCode = code; }
EngineCode LastStaffFinderCode() { return g_lastCode; }

void AllocateStaffArrays(StaffRecord& row, int32_t lines) {
  const int32_t width = GetPageImageWidth();
  ENGINE_CHECK(width > 0);
  ENGINE_CHECK(lines >= 1 && lines <= kMaxStaffLines);
  for (int line = 0; line < lines; ++line) {
    EngineAlloc(row.lineY[line], sizeof(int32_t) * width);
    EngineAlloc(row.lineRun[line], sizeof(int32_t) * 2 * width);
    std::fill(row.lineY[line], row.lineY[line] + width, -1);
    std::fill(row.lineRun[line], row.lineRun[line] + 2 * width, -1);
  }
}

void FreeStaffArrays(StaffRecord& row) {
  for (int line = 0; line < kMaxStaffLines; ++line) {
    EngineFree(row.lineY[line]);
    EngineFree(row.lineRun[line]);
  }
}

int32_t GetStaffCount() { return g_count; }
int32_t GetPageLineThickness() { return g_state.pageThickness; }
int32_t GetStaffLineCount(int32_t staff) { return CountedStaff(staff).lineCount; }
int32_t GetStaffSpace(int32_t staff) { return CountedStaff(staff).staffSpace; }
int32_t GetStaffSlope(int32_t staff) { return CountedStaff(staff).slope; }

int32_t GetStaffStepMin(int32_t lineCount) { return lineCount == 5 ? -5 : -1; }
int32_t GetStaffStepMax(int32_t lineCount) { return lineCount == 5 ? 5 : 2 * lineCount - 1; }
int32_t GetStaffLedgerStepMin(int32_t lineCount) { return lineCount == 5 ? -15 : -1; }
int32_t GetStaffLedgerStepMax(int32_t lineCount) { return lineCount == 5 ? 15 : 2 * lineCount - 1; }

int32_t StaffLineY(int32_t staff, int32_t line, int32_t column) {
  const StaffRecord& row = CountedStaff(staff);
  ENGINE_CHECK_INDEX(line, row.lineCount);
  ENGINE_CHECK(row.rightX > row.leftX);
  return RoundedY(row.lineY[line][ClampColumn(row, column)]);
}

int32_t StaffTopLineY(int32_t staff, int32_t column) { return StaffLineY(staff, 0, column); }

int32_t StaffBottomLineY(int32_t staff, int32_t column) {
  return StaffLineY(staff, GetStaffLineCount(staff) - 1, column);
}

int32_t StaffStepY(int32_t staff, int32_t step, int32_t column) {
  const StaffRecord& row = CountedStaff(staff);
  ENGINE_CHECK(row.rightX > row.leftX && row.lineCount >= 1);
  const int32_t c = ClampColumn(row, column);
  const int32_t lo = row.lineCount == 5 ? -4 : 0;
  const int32_t hi = lo + 2 * (row.lineCount - 1);
  const int64_t half = row.staffSpace / 2;
  if (step < lo) return SaturateToInt32(row.lineY[0][c] - (static_cast<int64_t>(lo) - step) * half);
  if (step > hi) return SaturateToInt32(row.lineY[row.lineCount - 1][c] + (static_cast<int64_t>(step) - hi) * half);
  const int32_t offset = step - lo;
  if (offset % 2 == 0) return row.lineY[offset / 2][c];
  return static_cast<int32_t>((static_cast<int64_t>(row.lineY[offset / 2][c]) + row.lineY[offset / 2 + 1][c]) / 2);
}

StaffStep YToStaffStep(int32_t y, int32_t column, int32_t staff) {
  const StaffRecord& row = CountedStaff(staff);
  // A staff space below two pixels would make the half space 0.
  const int32_t h = std::max<int32_t>(1, ScaleToPixelsForStaff(staff, 50));
  const int32_t lo = row.lineCount == 5 ? -4 : 0;
  const int32_t hi = lo + 2 * (row.lineCount - 1);
  const int32_t top = StaffLineY(staff, 0, column);
  const int32_t bottom = StaffLineY(staff, row.lineCount - 1, column);
  StaffStep result = {staff, 0, 0};
  if (y < top) {
    const int32_t k = DivRound(y - top, h);
    result.step = lo + k;
    result.remainder = y - top - k * h;
    return result;
  }
  if (y >= bottom) {
    const int32_t k = DivRound(y - bottom, h);
    result.step = hi + k;
    result.remainder = y - bottom - k * h;
    return result;
  }
  for (int32_t i = 0; i + 1 < row.lineCount; ++i) {
    const int32_t a = StaffLineY(staff, i, column);
    const int32_t b = StaffLineY(staff, i + 1, column);
    if (a <= y && y < b) {
      const int32_t k = DivRound(y - a, h);
      result.step = lo + 2 * i + k;
      result.remainder = y - a - k * h;
      return result;
    }
  }
  EngineAssertFail(__FILE__, __LINE__);
}

int32_t YToStaffStepIndex(int32_t y, int32_t column, int32_t staff) {
  return YToStaffStep(y, column, staff).step;
}

int32_t GetStaffLeftX(int32_t staff) { return CountedStaff(staff).leftX; }
int32_t GetStaffRightX(int32_t staff) { return CountedStaff(staff).rightX; }
int32_t GetStaffLineThickness(int32_t staff) { return CountedStaff(staff).lineThickness; }
int32_t GetStaffLineThicknessSpread(int32_t staff) { return CountedStaff(staff).thicknessSpread; }
int32_t GetStaffJoinedBelow(int32_t staff) { return CountedStaff(staff).joinedBelow; }
int32_t GetStaffSystem(int32_t staff) { return CountedStaff(staff).system; }

int32_t GetSystemCount() {
  ENGINE_CHECK(g_count > 0);
  return g_rows[g_count - 1].system + 1;
}

int32_t GetSystemStaffCount(int32_t system) {
  int32_t n = 0;
  for (int32_t i = 0; i < g_count; ++i) n += g_rows[i].system == system ? 1 : 0;
  ENGINE_CHECK(n > 0);
  return n;
}

int32_t GetStaffIndexInSystem(int32_t staff) {
  return staff - FirstRowOfSystem(CountedStaff(staff).system);
}

int32_t GetStaffOfSystem(int32_t system, int32_t i) {
  const int32_t first = FirstRowOfSystem(system);
  return (first < 0 ? g_count : first) + i;
}

void GetSystemCorners(int32_t system, int32_t corners[8]) {
  ENGINE_CHECK_POINTER(corners);
  const int32_t first = FirstRowOfSystem(system);
  ENGINE_CHECK(first >= 0);
  CornersOf(first, LastRowOfSystem(system), corners);
}

void GetStaffCorners(int32_t system, int32_t i, int32_t corners[8]) {
  ENGINE_CHECK_POINTER(corners);
  const int32_t staff = GetStaffOfSystem(system, i);
  CornersOf(staff, staff, corners);
}

int32_t StaffMiddleY(int32_t staff, int32_t column) {
  const int32_t n = GetStaffLineCount(staff);
  return (StaffLineY(staff, (n - 1) / 2, column) + StaffLineY(staff, n / 2, column)) / 2;
}

int32_t FindStaffAbove(int32_t y, int32_t column) {
  int32_t found = -1;
  for (int32_t i = 0; i < g_count; ++i)
    if (StaffMiddleY(i, column) < y) found = i;
  return found;
}

int32_t NearestStaff(int32_t y, int32_t column) {
  const int32_t above = FindStaffAbove(y, column);
  if (above < 0) return 0;
  if (above == g_count - 1) return above;
  const int32_t up = y - StaffMiddleY(above, column);
  const int32_t down = StaffMiddleY(above + 1, column) - y;
  return up < down ? above : above + 1;
}

int32_t StaffAtPoint(int32_t y, int32_t column) {
  int32_t found = -1;
  for (int32_t i = 0; i < g_count; ++i)
    if (StaffTopLineY(i, column) <= y) found = i;
  return found;
}

int32_t NextStaffAfter(int32_t staff) {
  ENGINE_CHECK(staff >= -1 && staff < g_count);
  return staff + 1 < g_count ? staff + 1 : -1;
}

void ClearStaffTable() {
  FreeStaffWork();
  for (StaffRecord& row : g_rows) {
    FreeStaffArrays(row);
    row = StaffRecord{};
  }
  g_count = 0;
  g_state = StaffFinderState{};
}

void RemoveStaff(int32_t staff) {
  FreeStaffArrays(CountedStaff(staff));
  for (int32_t i = staff; i + 1 < g_count; ++i) g_rows[i] = g_rows[i + 1];
  g_rows[g_count - 1] = StaffRecord{};
  --g_count;
}
