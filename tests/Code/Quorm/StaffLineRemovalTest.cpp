// Staff-line removal: bare lines go, symbols that cross or touch them stay.
#include <gtest/gtest.h>

#include <cmath>

#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/PageSynth.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"

namespace {

int CountEngineBlack(int y0, int x0, int y1, int x1) { return CountBoxInk(y0, x0, y1, x1); }

TEST(StaffLineRemovalTest, KeepsNoteHeadsAndClearsBareLines) {
  SynthPage page(1200, 400);
  StaffPainter painter(page, 0.004);
  SynthStaff s;
  s.top = 150;
  s.left = 100;
  s.right = 1100;
  s.thickness = 3;
  painter.AddStaff(s);
  const int steps[6] = {0, 1, 2, 5, 8, -2};
  for (int i = 0; i < 6; ++i) {
    painter.NoteHead(0, steps[i], 250 + 120 * i);
    page.FillRect(static_cast<int>(painter.StepY(0, steps[i], 250 + 120 * i)) - 60, 250 + 120 * i + 11,
                  static_cast<int>(painter.StepY(0, steps[i], 250 + 120 * i)), 250 + 120 * i + 14);  // stem
  }
  ASSERT_EQ(RunStaffStageOn(page), 0) << LastStaffFinderCode();
  EraseStaffLines();

  // Bare stretches of line are cleared.
  int bare = 0, left = 0;
  for (int line = 0; line < 5; ++line)
    for (int x = 120; x < 230; ++x) {
      const int y = static_cast<int>(std::lround(painter.LineY(0, line, x)));
      for (int dy = -2; dy <= 2; ++dy) {
        bare += page.Get(y + dy, x) ? 1 : 0;
        left += GetPagePixel(y + dy, x);
      }
    }
  EXPECT_GT(bare, 1500);
  EXPECT_LE(left, bare / 50);

  // Every head keeps nearly all its pixels, also where it covers a line.
  for (int i = 0; i < 6; ++i) {
    const int x = 250 + 120 * i;
    const double y = painter.StepY(0, steps[i], x);
    int before = 0, after = 0;
    for (int yy = static_cast<int>(y - 9); yy <= static_cast<int>(y + 9); ++yy)
      for (int xx = x - 12; xx <= x + 12; ++xx) {
        const double dy = (yy - y) / 10.0, dx = (xx - x) / 13.0;
        if (dy * dy + dx * dx > 0.8) continue;
        before += page.Get(yy, xx) ? 1 : 0;
        after += GetPagePixel(yy, xx);
      }
    EXPECT_GE(after * 100, before * 97) << "head " << i;
  }
  // A stem that crosses three lines stays whole.
  EXPECT_GE(CountEngineBlack(175, 741, 225, 744), 147);
}

TEST(StaffLineRemovalTest, PageWithoutStavesIsLeftAlone) {
  SynthPage page(300, 200);
  page.Blots(10, 5.0, 1);
  page.FillRect(100, 20, 102, 280);
  FreeEngine();
  ASSERT_EQ(LoadPageImage(page.bits(), page.width(), page.height(), 0), kEngineOk);
  EraseStaffLines();
  int same = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) same += (GetPagePixel(y, x) != 0) == page.Get(y, x) ? 1 : 0;
  EXPECT_EQ(same, page.width() * page.height());
}

}  // namespace
