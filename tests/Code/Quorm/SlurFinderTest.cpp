// The slur finder on synthesised pages: slurs and ties above and below a
// staff over a range of staff spaces, and the strokes that are no slurs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/findslur.h"
#include "tests/Code/Quorm/CurveArt.h"

namespace {

struct DrawnSlur {
  const char* what;
  SynthSlur slur;
  bool upward;
};

// Everything in staff spaces s, on a page 40 s wide with a staff whose top
// line lies at 8 s.
std::vector<DrawnSlur> SlursFor(int s) {
  const double mid = std::max(2.5, 0.2 * s);
  const double tip = std::max(2.0, 0.13 * s);
  return {
      {"long slur above, arched up", {4.0 * s, 6.0 * s, 14.0 * s, 6.0 * s, -1.5 * s, tip, mid}, true},
      {"slanted slur below, arched down", {16.0 * s, 14.0 * s, 24.0 * s, 15.0 * s, 1.2 * s, tip, mid}, false},
      {"tie below", {27.0 * s, 14.0 * s, 29.5 * s, 14.0 * s, 0.35 * s, tip, mid}, false},
      {"tie above", {31.0 * s, 6.0 * s, 33.5 * s, 6.0 * s, -0.35 * s, tip, mid}, true},
  };
}

// Finds the found slur that overlaps the drawn one's columns most.
int MatchSlur(const SynthSlur& drawn) {
  int best = -1;
  double bestOverlap = 0;
  for (int i = 0; i < GetSlurCount(); ++i) {
    const double from = std::max<double>(GetSlurStart(i).x, drawn.x0);
    const double to = std::min<double>(GetSlurEnd(i).x, drawn.x1);
    if (to - from > bestOverlap) bestOverlap = to - from, best = i;
  }
  return best;
}

class SlurFinderSizes : public ::testing::TestWithParam<int> {};

TEST_P(SlurFinderSizes, FindsSlursAndTiesAndNoStraightStroke) {
  const int s = GetParam();
  SynthPage page(40 * s, 24 * s);
  StaffPainter painter(page);
  painter.AddStaff(CurveTestStaff(8.0 * s, 2 * s, 38 * s, s));
  const std::vector<DrawnSlur> drawn = SlursFor(s);
  for (const DrawnSlur& d : drawn) DrawSlur(page, d.slur);
  // A straight stroke of slur thickness is no slur.
  DrawSlur(page, SynthSlur{4.0 * s, 20.0 * s, 14.0 * s, 20.0 * s, 0.0, 0.2 * s, 0.2 * s});

  int staffResult = -1;
  ASSERT_EQ(ReadSynthPage(page, &staffResult), 0) << LastEngineFailure();
  ASSERT_EQ(staffResult, 0);
  ASSERT_EQ(GetStaffCount(), 1);

  const double tolX = 0.5 * s + 2;
  const double tolY = 0.3 * s + 2;
  EXPECT_EQ(GetSlurCount(), static_cast<int>(drawn.size()));
  for (const DrawnSlur& d : drawn) {
    SCOPED_TRACE(d.what);
    const int i = MatchSlur(d.slur);
    ASSERT_GE(i, 0);
    const EnginePoint start = GetSlurStart(i);
    const EnginePoint end = GetSlurEnd(i);
    EXPECT_NEAR(start.x, d.slur.x0, tolX);
    EXPECT_NEAR(end.x, d.slur.x1, tolX);
    EXPECT_NEAR(start.y, SlurMiddleY(d.slur, start.x), tolY);
    EXPECT_NEAR(end.y, SlurMiddleY(d.slur, end.x), tolY);
    const int middle = (start.x + end.x) / 2;
    EXPECT_NEAR(SlurYAtX(i, middle), SlurMiddleY(d.slur, middle), tolY);
    EXPECT_EQ(IsSlurUpward(i), d.upward ? 1 : 0);
    EXPECT_LT(GetSlurCost(i), 1024);
    const int32_t half = (end.x - start.x) / 2;
    EXPECT_GE(GetSlurRadius(i), 9 * half / 8 - 1);
    EXPECT_LE(GetSlurRadius(i), 8 * half + 8);
  }
  for (int i = 0; i < GetSlurCount(); ++i) EXPECT_LT(GetSlurStart(i).y, 18 * s) << "the straight stroke";

  // Every slur has its two anchor points.
  int starts = 0, ends = 0;
  for (int32_t r = 0; r < GetObjectPointCount(); ++r) {
    const ObjectPoint p = GetObjectPoint(r);
    starts += p.kind == kPointSlurStart ? 1 : 0;
    ends += p.kind == kPointSlurEnd ? 1 : 0;
  }
  EXPECT_EQ(starts, GetSlurCount());
  EXPECT_EQ(ends, GetSlurCount());
  FreeEngine();
}

INSTANTIATE_TEST_SUITE_P(StaffSpaces, SlurFinderSizes, ::testing::Values(12, 16, 20, 25, 32, 38, 45));

// Strokes that must not pass, each alone on a page with a staff of 20.
struct Rejected {
  const char* what;
  SynthSlur slur;
};

TEST(SlurFinderTest, RejectsStraightAndWavyStrokes) {
  const int s = 20;
  const std::vector<Rejected> cases = {
      {"level straight stroke", {80, 300, 400, 300, 0.0, 4, 4}},
      {"slanted straight stroke", {80, 280, 400, 330, 0.0, 4, 4}},
      {"S-shaped stroke", {80, 300, 400, 300, 0.8 * s, 4, 4, true}},
  };
  for (const Rejected& c : cases) {
    SCOPED_TRACE(c.what);
    SynthPage page(40 * s, 24 * s);
    StaffPainter painter(page);
    painter.AddStaff(CurveTestStaff(8.0 * s, 2 * s, 38 * s, s));
    DrawSlur(page, c.slur);
    ASSERT_EQ(ReadSynthPage(page), 0);
    EXPECT_EQ(GetSlurCount(), 0);
  }
  FreeEngine();
}

TEST(SlurFinderTest, OfTwoCrossingSlursTheLongerStays) {
  const int s = 20;
  SynthPage page(40 * s, 24 * s);
  StaffPainter painter(page);
  painter.AddStaff(CurveTestStaff(8.0 * s, 2 * s, 38 * s, s));
  // A long slur and a shorter one across its middle.
  DrawSlur(page, SynthSlur{4.0 * s, 18.0 * s, 20.0 * s, 18.0 * s, 2.0 * s, 3, 4});
  DrawSlur(page, SynthSlur{9.0 * s, 21.5 * s, 15.0 * s, 21.5 * s, -2.5 * s, 3, 4});
  ASSERT_EQ(ReadSynthPage(page), 0);
  ASSERT_EQ(GetSlurCount(), 1);
  EXPECT_NEAR(GetSlurStart(0).x, 4 * s, 0.5 * s + 2);
  EXPECT_NEAR(GetSlurEnd(0).x, 20 * s, 0.5 * s + 2);
  FreeEngine();
}

// A tie no longer than one and a half staff spaces is doubtful at best; a
// longer one costs less the longer it is.
TEST(SlurFinderTest, ShortTiesCostMore) {
  for (int s : {16, 24, 36}) {
    SCOPED_TRACE(s);
    SynthPage page(40 * s, 24 * s);
    StaffPainter painter(page);
    painter.AddStaff(CurveTestStaff(8.0 * s, 2 * s, 38 * s, s));
    const double mid = std::max(2.5, 0.2 * s), tip = std::max(2.0, 0.13 * s);
    DrawSlur(page, SynthSlur{4.0 * s, 15.0 * s, 5.4 * s, 15.0 * s, 0.3 * s, tip, mid});
    DrawSlur(page, SynthSlur{10.0 * s, 15.0 * s, 12.5 * s, 15.0 * s, 0.35 * s, tip, mid});
    DrawSlur(page, SynthSlur{16.0 * s, 15.0 * s, 20.0 * s, 15.0 * s, 0.45 * s, tip, mid});
    ASSERT_EQ(ReadSynthPage(page), 0);
    std::vector<int32_t> costs;
    for (int i = 0; i < GetSlurCount(); ++i) costs.push_back(GetSlurCost(i));
    ASSERT_EQ(costs.size(), 3u);
    std::vector<int> order = {0, 1, 2};
    std::sort(order.begin(), order.end(), [](int a, int b) { return GetSlurStart(a).x < GetSlurStart(b).x; });
    EXPECT_EQ(costs[order[0]], 1023);
    EXPECT_LT(costs[order[1]], 1023);
    EXPECT_LT(costs[order[2]], costs[order[1]]);
  }
  FreeEngine();
}

TEST(SlurFinderTest, ColumnsListMeasuredOnesAndBridgesOverLines) {
  const int s = 20;
  SynthPage page(40 * s, 24 * s);
  StaffPainter painter(page);
  painter.AddStaff(CurveTestStaff(8.0 * s, 2 * s, 38 * s, s));
  const SynthSlur slur{4.0 * s, 6.0 * s, 14.0 * s, 6.0 * s, -1.5 * s, 3, 4};
  DrawSlur(page, slur);
  ASSERT_EQ(ReadSynthPage(page), 0);
  ASSERT_EQ(GetSlurCount(), 1);
  const FoundSlur& found = GetFoundSlur(0);
  std::vector<int32_t> path(3 * static_cast<size_t>(found.columnCount));
  const int32_t listed = GetSlurColumns(0, path.data());
  EXPECT_GT(listed, found.columnCount * 9 / 10);
  EXPECT_LE(listed, found.columnCount);
  for (int32_t k = 0; k < listed; ++k) {
    EXPECT_LE(path[3 * k + 1], path[3 * k + 2]);
    EXPECT_NEAR((path[3 * k + 1] + path[3 * k + 2]) / 2.0, SlurMiddleY(slur, path[3 * k]), 3.0);
  }
  // Releasing the slur takes both its anchor points away.
  auto livePoints = [] {
    int live = 0;
    for (int32_t r = 0; r < GetObjectPointCount(); ++r) {
      const ObjectPoint p = GetObjectPoint(r);
      if ((p.kind == kPointSlurStart || p.kind == kPointSlurEnd) && p.y != kRemovedPointCoordinate) ++live;
    }
    return live;
  };
  EXPECT_EQ(livePoints(), 2);
  ReleaseSlur(0);
  EXPECT_EQ(livePoints(), 0);
  FreeEngine();
}

TEST(SlurFinderTest, BadIndexesAndColumnsAreFailedChecks) {
  FreeEngine();
  EXPECT_THROW(GetSlurRadius(0), EngineFailure);
  EXPECT_THROW(IsSlurUpward(-1), EngineFailure);
  SlurColumn columns[3] = {{10, 12, 0}, {9, 11, 1}, {10, 12, 0}};
  FoundSlur slur{};
  slur.columnCount = 3;
  slur.startX = 50;
  slur.endX = 52;
  AddFoundSlur(slur, columns);
  EXPECT_EQ(SlurYAtX(0, 51), 10);
  EXPECT_THROW(SlurYAtX(0, 53), EngineFailure);
  EXPECT_THROW(SlurYAtX(0, 49), EngineFailure);
  FreeSlurs();
  EXPECT_EQ(GetSlurCount(), 0);
}

}  // namespace
