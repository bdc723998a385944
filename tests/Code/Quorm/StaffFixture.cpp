// Staff tables made by hand for the tests of the services that read them.
#include "tests/Code/Quorm/StaffFixture.h"

#include <gtest/gtest.h>

#include <vector>

#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Mscript.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Stavwork.h"

void LoadHandPage(int32_t width, int32_t height, int32_t spacing) {
  FreeHandPage();
  const int32_t words = (width + 31) / 32;
  std::vector<uint32_t> bits(static_cast<size_t>(words) * height, 0);
  for (int32_t x = 3; x < width; x += 97)
    for (int32_t y = 2; y < height - 2 && y < 120; ++y) bits[static_cast<size_t>(y) * words + x / 32] |= 1u << (x % 32);
  ASSERT_EQ(LoadOnebppImage(bits.data(), width, height, 0), nullptr);
  SetPageStaffSpace(spacing * 1024);
  SetLargestStaffSpace(spacing * 1024);
}

void AddHandStaff(const HandStaff& staff) {
  const int32_t index = GetStaffCount();
  StaffRecord& row = StaffRow(index);
  row = StaffRecord{};
  AllocateStaffArrays(row, staff.lines);
  row.lineCount = staff.lines;
  for (int32_t line = 0; line < staff.lines; ++line)
    for (int32_t x = staff.left; x < staff.right; ++x) row.lineY[line][x] = (staff.top + line * staff.spacing) * 1024;
  row.staffSpace = staff.spacing * 1024;
  row.lineThickness = 2048;
  row.leftX = staff.left;
  row.rightX = staff.right;
  row.system = staff.system;
  row.joinedBelow = staff.joinedBelow;
  SetStaffCount(index + 1);
}

void FreeHandPage() {
  FreePageDescription();
  ClearStaffTable();
  FreeOnebppImage();
  FreePageScale();
}
