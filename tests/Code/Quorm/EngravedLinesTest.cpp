// The ledger-line and beam finders on the engraved melody (fixtures/melody.ly):
// the lines and beams that its source writes, found where the page holds them.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findledg.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/EngravedMelody.h"

namespace {

int GoOn(int) { return 1; }

class EngravedLinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(LoadMelodyStaves());
    ASSERT_EQ(RecognisePage(1.0f, nullptr, GoOn), 0);
  }
  void TearDown() override { FreeEngine(); }
};

// The melody reaches middle C twice (bar 7, the third bar of the second
// system, and bar 11, the third bar of the third) and never rises above the
// staff: one full-width first line below each of staves 1 and 2, in the
// second half of the staff, and no line above any staff. (A clef's tail may
// be taken for a shorter line; later stages judge it.)
TEST_F(EngravedLinesTest, MiddleCsHaveTheirLedgerLines) {
  std::vector<int> staves;
  for (int i = 0; i < GetLedgerLineCount(); ++i) {
    int row = 0, staff = 0, step = 0;
    GetLedgerLinePlace(i, &row, &staff, &step);
    EXPECT_GT(step, 0) << "line " << i << " above staff " << staff;
    const int width = GetLedgerLineRightX(i) - GetLedgerLineLeftX(i);
    if (width * 1024 < 3 * GetStaffSpace(staff) / 2) continue;
    staves.push_back(staff);
    EXPECT_EQ(step, 6);
    EXPECT_GT(GetLedgerLineLeftX(i), (GetStaffLeftX(staff) + GetStaffRightX(staff)) / 2);
    EXPECT_LT(std::abs(row - StaffStepY(staff, 6, GetLedgerLineLeftX(i)) / 1024), 3);
  }
  EXPECT_EQ(staves, (std::vector<int>{1, 2}));
}

// Five beamed groups, all with stems up: bar 2 (system 1), bar 6 (system 2),
// bar 9 (system 3), bars 14 and 15 (system 4). Each is one beam model that
// costs next to nothing, half a staff space thick, above its staff's middle
// line; heads taken for short beams cost several hundred.
TEST_F(EngravedLinesTest, EveryBeamedGroupHasOneCheapBeam) {
  std::vector<int> staves;
  for (int i = 0; i < GetBeamCount(); ++i) {
    if (GetBeamCost(i) >= 200) continue;
    const EnginePoint left = GetBeamLeftEnd(i);
    const EnginePoint right = GetBeamRightEnd(i);
    const int staff = NearestStaff(left.y, left.x);
    staves.push_back(staff);
    const int space = GetStaffSpace(staff);
    EXPECT_GT(GetBeamThickness(i), 4 * space / 10);
    EXPECT_LT(GetBeamThickness(i), 6 * space / 10);
    EXPECT_LT(std::max(left.y, right.y), StaffMiddleY(staff, left.x));
    EXPECT_EQ(GetBeamFlag(i), 0) << "longer than three staff spaces";
  }
  std::sort(staves.begin(), staves.end());
  EXPECT_EQ(staves, (std::vector<int>{0, 1, 2, 3, 3}));
}

}  // namespace
