// Pages without music for the slur, hairpin and tuplet-bracket finders: the
// page reading runs to its end without a failed check, and a page read
// afterwards finds its marks.
#include <gtest/gtest.h>

#include <vector>

#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/findhpin.h"
#include "Code/Quorm/findslur.h"
#include "Code/Quorm/findtupb.h"
#include "tests/Code/Quorm/BadPages.h"
#include "tests/Code/Quorm/CurveArt.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"

namespace {

TEST(CurveFindersBadPagesTest, ReadToTheEndAndLeaveTheNextRunWhole) {
  const std::vector<BadPage> pages = {
      {"blank but for one dot", [](SynthPage& p) { p.Set(300, 400); }},
      {"text only",
       [](SynthPage& p) {
         for (int line = 0; line < 12; ++line) DrawTextLine(p, 80 + 50 * line, 60, 740, 14, 7 + line);
       }},
      {"noise and blots", [](SynthPage& p) {
         p.Speckle(6000, 3);
         p.Blots(40, 9.0, 5);
       }},
      {"staff under noise, blots and scribbles", [](SynthPage& p) {
         StaffPainter painter(p);
         painter.AddStaff(CurveTestStaff(200, 40, 760, 20));
         p.Speckle(3000, 11);
         p.Blots(30, 6.0, 13);
         for (int k = 0; k < 8; ++k)
           DrawSlur(p, SynthSlur{60.0 + 80 * k, 120.0 + 40 * (k % 3), 180.0 + 80 * k, 150.0, (k % 2 ? 1 : -1) * 25.0, 2, 9});
         DrawWedge(p, 420, 100, 700, 60, 5);
       }},
  };
  ExpectBadPagesReadToTheEnd(pages);
  // Hinted staves of 3 and of 60 pixels over noise, slurs and wedges.
  for (int spacing : {3, 60}) {
    SCOPED_TRACE(spacing);
    SynthPage page(1000, 800);
    StaffPainter painter(page);
    SynthStaff staff = CurveTestStaff(200, 40, 960, spacing);
    staff.thickness = spacing < 10 ? 1 : 3;
    painter.AddStaff(staff);
    page.Speckle(4000, 17);
    page.Blots(20, 5.0, 19);
    for (int k = 0; k < 6; ++k)
      DrawSlur(page, SynthSlur{60.0 + 150 * k, 600.0, 180.0 + 150 * k, 600.0, (k % 2 ? 1 : -1) * 30.0, 2, 4});
    DrawWedge(page, 720, 100, 600, 40, 3);
    ExpectHintedPageReadToTheEnd(page, spacing);
  }
  // A good page after them.
  const int s = 20;
  SynthPage page(40 * s, 24 * s);
  StaffPainter painter(page);
  painter.AddStaff(CurveTestStaff(8.0 * s, 2 * s, 38 * s, s));
  DrawSlur(page, SynthSlur{4.0 * s, 6.0 * s, 14.0 * s, 6.0 * s, -1.5 * s, 3, 4});
  DrawWedge(page, 17.0 * s, 4 * s, 12 * s, 0.9 * s, 2);
  SynthBracket bracket;
  bracket.x0 = 20 * s;
  bracket.x1 = 24 * s;
  bracket.y = 5.0 * s;
  bracket.hookLength = 0.9 * s;
  bracket.thickness = 2;
  DrawBracket(page, bracket);
  ASSERT_EQ(ReadSynthPage(page), 0);
  EXPECT_EQ(GetSlurCount(), 1);
  EXPECT_EQ(GetHairpinCount(), 1);
  EXPECT_EQ(GetTupletBracketCount(), 1);
  FreeEngine();
  EXPECT_EQ(GetSlurCount(), 0);
  EXPECT_EQ(GetHairpinCount(), 0);
  EXPECT_EQ(GetTupletBracketCount(), 0);
}

}  // namespace
