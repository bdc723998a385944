// Following stems in the page and counting what lies beside them.
#include <gtest/gtest.h>

#include <memory>

#include "stages/StemScan.h"
#include "tests/stages/StemPageFixture.h"

namespace {

TEST(StemScan, ThicknessCountsBeamsAndFlags) {
  const struct {
    int32_t t;
    bool narrow;
    int count;
  } cases[] = {
      {0, false, 0},  {1, false, 1},  {25, false, 1},  // exactly 2.5 h: one
      {26, false, 2}, {50, false, 2},                  // exactly 5 h: two
      {51, false, 3}, {70, false, 4}, {90, false, 5},
      {15, true, 1},  {25, true, 2},                   // an uncertain note measures with 0.6 h
  };
  for (const auto& c : cases) EXPECT_EQ(ThicknessToCount(c.t, 10.0, c.narrow), c.count) << c.t << " " << c.narrow;
}

TEST(StemScan, SlopeTablesFanFromMinus44To44Degrees) {
  InitSlopeTables();
  const SlopeTables& t = Slopes();
  EXPECT_EQ(t.beamTangent[kLevelSlope], 0);
  EXPECT_EQ(t.beamTangent[0], -t.beamTangent[kBeamSlopes - 1]);
  EXPECT_EQ(t.beamTangent[16], 1490);  // 20 degrees: tan x 4096, truncated
  EXPECT_NEAR(t.flagY[3][6], 6 * std::sin(1.0821041363777777), 1e-12);
}

// Stems running off each corner of the page: the scan stays inside the page
// and ends four rows inside it.
TEST(StemScan, StemsRunningOutOfThePageStopInsideIt) {
  StemPage page(300, 260);
  const int stave = page.Staff(90, 0, 0, 300);
  struct Corner {
    int step, cx, c;
    int32_t end;
  };
  const int h = 260;
  const Corner corners[] = {
      {34, 14, 0, 4}, {34, 286, 1, 4},          // heads near the top, stems up off the page
      {-4, 14, 2, h - 4}, {-4, 286, 3, h - 4},  // near the bottom, stems down off it
  };
  auto scan = std::make_unique<StemScanBuffer>();
  for (const Corner& k : corners) {
    const int i = page.Head(stave, k.step, k.cx);
    page.Stem(i, k.c, 300);
    NoteValueWork work = page.Work();
    work.scan = scan.get();
    NoteStave st;
    ASSERT_TRUE(NoteStaveOf(work, page.note(i), &st));
    NoteRecord& n = page.note(i);
    n.stemLength[k.c] = 2;  // the engine saw only part of it
    for (int p = 0; p < 2; ++p) {
      const int32_t d = static_cast<int32_t>(n.stemLength[k.c] * 2.0 * st.half);
      ScanStem(work, static_cast<uint32_t>(i), k.c, p, d, StemColumn(n, k.c, st.unit), st);
      EXPECT_EQ(scan->stemEnd, k.end) << "corner " << k.c;
      StemRecord record{};
      MeasureStemSide(*scan, p, record, st, n);
      EXPECT_EQ(record.right.markCount + record.left.markCount, 0);
    }
  }
}

TEST(StemScan, AStemWithNoInkEndsWhereTheSearchStarted) {
  StemPage page;
  const int stave = page.Staff(300);
  const int i = page.Head(stave, 16, 400, kNoteCrotchet, false);
  page.Stem(i, 1, 60, false);
  NoteValueWork work = page.Work();
  auto scan = std::make_unique<StemScanBuffer>();
  work.scan = scan.get();
  NoteStave st;
  ASSERT_TRUE(NoteStaveOf(work, page.note(i), &st));
  const NoteRecord& n = page.note(i);
  const int32_t d = static_cast<int32_t>(n.stemLength[1] * 2.0 * st.half);
  ScanStem(work, static_cast<uint32_t>(i), 1, 1, d, StemColumn(n, 1, st.unit), st);
  EXPECT_EQ(scan->stemEnd, n.top + 10 - d);
  for (int s = 0; s < kBeamSlopes; ++s) EXPECT_EQ(scan->countA[s] + scan->countB[s], 0);

  // A one-space candidate whose end lies on the head's side of the search start.
  page.note(i).stemLength[1] = 1;
  ScanStem(work, static_cast<uint32_t>(i), 1, 1, 20, StemColumn(n, 1, st.unit), st);
  for (int s = 0; s < kFlagSlopes; ++s) EXPECT_EQ(scan->countFlag[s], 0);
}

}  // namespace
