// Points, boxes and distances.
#include <gtest/gtest.h>

#include "Code/Quorm/Geometry.h"

namespace {

TEST(Geometry, Projection) {
  EnginePoint a{10, 10}, b{10, 30};
  EXPECT_EQ(ProjectPointOnSegment(EnginePoint{50, 10}, a, b), 0);
  EXPECT_EQ(ProjectPointOnSegment(EnginePoint{-3, 30}, a, b), 1024);
  EXPECT_EQ(ProjectPointOnSegment(EnginePoint{0, 15}, a, b), 256);
  EXPECT_EQ(ProjectPointOnSegment(EnginePoint{0, 0}, a, b), -512);
  EXPECT_EQ(ProjectPointOnSegment(EnginePoint{0, 0}, a, a), 0x7FFFFFFF);
}

TEST(Geometry, Distances) {
  EXPECT_EQ(PointDistance(EnginePoint{1, 1}, EnginePoint{4, 5}), 5);
  EnginePoint a{10, 0}, b{10, 100};
  EXPECT_EQ(PointToLineDistance(EnginePoint{17, 50}, a, b), 7);   // below a line that runs right
  EXPECT_EQ(PointToLineDistance(EnginePoint{3, 50}, a, b), -7);
  EXPECT_EQ(PointToLineDistance(EnginePoint{17, 50}, b, a), -7);
  EXPECT_EQ(PointToLineDistance(EnginePoint{0, 0}, EnginePoint{0, 0}, EnginePoint{3, 3}), 0);
  EXPECT_EQ(PointToLineDistance(EnginePoint{0, 2}, EnginePoint{0, 0}, EnginePoint{3, 3}), -1);  // above: -sqrt 2 rounded
  EXPECT_EQ(PointToLineDistance(EnginePoint{3, 4}, a, a), PointDistance(EnginePoint{3, 4}, a));
}

TEST(Geometry, UnionOfBoxes) {
  EngineBox u = UnionBox(EngineBox{5, 6, 10, 12}, EngineBox{-2, 8, 7, 20});
  EXPECT_EQ(u.x0, -2);
  EXPECT_EQ(u.y0, 6);
  EXPECT_EQ(u.x1, 10);
  EXPECT_EQ(u.y1, 20);
}

}  // namespace
