// The tuplet-bracket finder: brackets with hooks down and up found on
// synthesised pages over a range of staff spaces; lines without hooks,
// narrow brackets and wavy strokes are not.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/findtupb.h"
#include "tests/Code/Quorm/CurveArt.h"

namespace {

int BracketThickness(int s) { return std::max(2, static_cast<int>(std::lround(0.1 * s))); }

struct DrawnBracket {
  const char* what;
  SynthBracket bracket;
  bool found;
};

std::vector<DrawnBracket> BracketsFor(int s) {
  const int t = BracketThickness(s);
  const double hook = 0.9 * s;
  auto make = [&](double x0, double x1, double y, bool down, bool left, bool right) {
    SynthBracket b;
    b.x0 = static_cast<int>(x0 * s);
    b.x1 = static_cast<int>(x1 * s);
    b.y = y * s;
    b.hookLength = hook;
    b.thickness = t;
    b.hooksDown = down;
    b.leftHook = left;
    b.rightHook = right;
    return b;
  };
  SynthBracket wavy = make(26, 31, 17, true, true, true);
  wavy.waveAmplitude = 0.3 * s;
  wavy.wavePeriod = 1.5 * s;
  return {
      {"hooks down above the staff", make(4, 8, 5, true, true, true), true},
      {"hooks up below the staff", make(12, 16, 17, false, true, true), true},
      {"left hook only", make(20, 22.5, 5, true, true, false), true},
      {"right hook only, up", make(20, 22.5, 17, false, false, true), true},
      {"two hooks, narrower than three staff spaces", make(26, 28.5, 5, true, true, true), false},
      {"straight line without hooks", make(31, 36, 5, true, false, false), false},
      {"wavy stroke with hooks", wavy, false},
  };
}

class TupletBracketFinderSizes : public ::testing::TestWithParam<int> {};

TEST_P(TupletBracketFinderSizes, FindsBracketsWithHooksDownAndUp) {
  const int s = GetParam();
  SynthPage page(40 * s, 24 * s);
  StaffPainter painter(page);
  painter.AddStaff(CurveTestStaff(8.0 * s, 2 * s, 38 * s, s));
  const std::vector<DrawnBracket> drawn = BracketsFor(s);
  for (const DrawnBracket& d : drawn) DrawBracket(page, d.bracket);

  int staffResult = -1;
  ASSERT_EQ(ReadSynthPage(page, &staffResult), 0) << LastEngineFailure();
  ASSERT_EQ(staffResult, 0);

  const double tolY = BracketThickness(s) / 2.0 + 2;
  int expected = 0;
  for (const DrawnBracket& d : drawn) {
    SCOPED_TRACE(d.what);
    const SynthBracket& b = d.bracket;
    int match = -1;
    FoundTupletBracket found{};
    for (int i = 0; i < GetTupletBracketCount(); ++i) {
      FoundTupletBracket f{};
      GetTupletBracket(&f, i);
      if (f.leftX < b.x1 && f.rightX > b.x0 && std::abs(f.leftY - b.y) < s) match = i, found = f;
    }
    if (!d.found) {
      EXPECT_EQ(match, -1);
      continue;
    }
    ++expected;
    ASSERT_GE(match, 0);
    EXPECT_EQ(found.leftX, b.x0);
    EXPECT_EQ(found.rightX, b.x1);
    // The ends lie on the straight edge: the line's top or bottom row.
    const double edge = b.hooksDown ? std::lround(b.y) - b.thickness / 2 : std::lround(b.y) - b.thickness / 2 + b.thickness - 1;
    EXPECT_NEAR(found.leftY, edge, tolY);
    EXPECT_NEAR(found.rightY, edge, tolY);
    EXPECT_EQ(found.opening, b.hooksDown ? 0 : 1);
    EXPECT_EQ(found.leftHook, b.leftHook ? 1 : 0);
    EXPECT_EQ(found.rightHook, b.rightHook ? 1 : 0);
  }
  EXPECT_EQ(GetTupletBracketCount(), expected);
  FreeEngine();
  EXPECT_EQ(GetTupletBracketCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(StaffSpaces, TupletBracketFinderSizes, ::testing::Values(12, 16, 20, 25, 32, 38, 45));

// The edge's mean squared distance from its fitted line decides straightness;
// a stroke that waves by a third of a staff space is no bracket line, though
// that mean divided once more by its column count would look straight.
TEST(TupletBracketFinderTest, WavyStrokeIsNoBracketLine) {
  for (int s : {12, 20, 45}) {
    SCOPED_TRACE(s);
    SetPageStaffSpace(s * 1024);
    SynthPage page(10 * s, 4 * s);
    SynthBracket b;
    b.x0 = s;
    b.x1 = 7 * s;
    b.y = 2.5 * s;
    b.hookLength = 0.9 * s;
    b.thickness = BracketThickness(s);
    b.hooksDown = true;
    b.waveAmplitude = 0.3 * s;
    b.wavePeriod = 1.5 * s;
    DrawBracket(page, b);
    std::vector<uint32_t> bits;
    const ConnectedComponent wavy = ComponentOfRegion(page, 0, 0, page.height(), page.width(), &bits);
    // The wave's residual lies above the limit, its residual per column below.
    const int m = ScaleToPixels(10) + 1;
    std::vector<int32_t> xs, bottoms;
    for (int c = m; c < wavy.columns - m; ++c) {
      int bottom = -1;
      for (int r = 0; r < wavy.rows; ++r)
        if (GetBitMatrixBit(wavy, r, c)) bottom = r;
      xs.push_back(c - m);
      bottoms.push_back(bottom);
    }
    const LinearFitResult fit = LinearFit(xs.data(), bottoms.data(), static_cast<int32_t>(xs.size()));
    const double v = ScaleToPixelsExact(10) * ScaleToPixelsExact(10);
    ASSERT_GT(fit.residual, v);
    ASSERT_LE(fit.residual / static_cast<double>(xs.size()), v);
    FoundTupletBracket out{};
    EXPECT_EQ(IsTupletBracketComponent(wavy, &out), 0);

    // The same bracket drawn straight is one, with its hooks down or up
    // (both edges of a thin line are straight: the hooks tell the side).
    for (bool down : {true, false}) {
      SynthPage straightPage(10 * s, 4 * s);
      b.waveAmplitude = 0;
      b.hooksDown = down;
      DrawBracket(straightPage, b);
      const ConnectedComponent straight =
          ComponentOfRegion(straightPage, 0, 0, straightPage.height(), straightPage.width(), &bits);
      EXPECT_EQ(IsTupletBracketComponent(straight, &out), 1);
      EXPECT_EQ(out.opening, down ? 0 : 1);
      EXPECT_EQ(out.leftHook + out.rightHook, 2);
    }
  }
  FreePageScale();
}

TEST(TupletBracketFinderTest, TableHoldsTwoHundredBrackets) {
  // 210 brackets on a page with one staff: the first 200 are kept.
  const int s = 12;
  SynthPage page(1000, 1300);
  StaffPainter painter(page);
  painter.AddStaff(CurveTestStaff(40, 40, 960, s));
  int drawn = 0;
  for (int row = 0; row < 21; ++row)
    for (int col = 0; col < 10; ++col, ++drawn) {
      SynthBracket b;
      b.x0 = 40 + col * 95;
      b.x1 = b.x0 + 50;
      b.y = 150 + row * 55;
      b.hookLength = 12;
      b.thickness = 2;
      DrawBracket(page, b);
    }
  ASSERT_EQ(drawn, 210);
  int staffResult = -1;
  ASSERT_EQ(ReadSynthPage(page, &staffResult), 0) << LastEngineFailure();
  ASSERT_EQ(staffResult, 0);
  EXPECT_EQ(GetTupletBracketCount(), kMaxTupletBrackets);
  FoundTupletBracket out{};
  GetTupletBracket(&out, kMaxTupletBrackets - 1);
  EXPECT_THROW(GetTupletBracket(&out, kMaxTupletBrackets), EngineFailure);
  FreeEngine();
}

}  // namespace
