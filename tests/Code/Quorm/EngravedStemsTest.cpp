// The vertical-line finder on the engraved melody page (fixtures/melody.ly):
// every stem of its sixteen bars and every bar line is found once, and
// nothing else of stem length stands on its staves.
#include <gtest/gtest.h>

#include <string>

#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

namespace {

TEST(EngravedStemsTest, MelodyStemsAndBarLines) {
  EngravedPage page;
  const std::string path = U8(SourcePath("tests/Code/Quorm/fixtures/melody.tif"));
  ASSERT_TRUE(LoadEngravedPage(path, &page)) << path;
  FreeEngine();
  ASSERT_EQ(LoadPageImage(page.bits.data(), page.width, page.height, 0), nullptr);
  ASSERT_EQ(RunStaffStage(1, nullptr, nullptr), 0);
  ASSERT_EQ(GetStaffCount(), 4);
  MeasurePageSkew();
  InitialiseObjectPoints();
  DetectBeams();
  DetectVerticalLines();
  // Stems per system from the source (3 + 4 + 3 + 1, 3 + 4 + 3 + 1,
  // 5 + 3 + 3 + 3, 3 + 4 + 5 + 1) and four bar lines each (the closing thick
  // one is no thin line).
  const int expected[4] = {11 + 4, 11 + 4, 14 + 4, 13 + 4};
  const int space = ScaleToPixels(100);
  for (int staff = 0; staff < 4; ++staff) {
    // Right of the clef, key and time, within two spaces of the staff, at
    // least 2.8 spaces long.
    const int left = GetStaffLeftX(staff) + 6 * space;
    int found = 0;
    std::string lines;
    for (int i = 0; i < GetVerticalLineCount(); ++i) {
      const FoundVerticalLine l = GetFoundVerticalLine(i);
      const int top = StaffTopLineY(staff, l.topX);
      const int bottom = StaffBottomLineY(staff, l.topX);
      if (l.topX < left || l.topY < top - 2 * space || l.bottomY > bottom + 2 * space) continue;
      if (10 * (l.bottomY - l.topY + 1) < 28 * space) continue;
      ++found;
      EXPECT_EQ(IsVerticalLineSolid(i), 1) << l.topX;
      lines += " " + std::to_string(l.topX);
    }
    EXPECT_EQ(found, expected[staff]) << "staff " << staff << ":" << lines;
  }
  FreeEngine();
}

}  // namespace
