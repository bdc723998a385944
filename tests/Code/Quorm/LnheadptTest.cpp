// Anchor points: adding, box queries, removal and growth.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Lnheadpt.h"
#include "tests/Code/Quorm/StaffFixture.h"

namespace {

class LnheadptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadHandPage(300, 200, 20);
    InitialiseObjectPoints();
  }
  void TearDown() override {
    FreeObjectPoints();
    FreeHandPage();
  }

  static std::vector<int32_t> Query(int32_t kind, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    int32_t* objects = nullptr;
    const int32_t n = FindObjectPointsInBox(kind, x0, y0, x1, y1, &objects);
    std::vector<int32_t> out(objects, objects + n);
    EngineFree(objects);
    std::sort(out.begin(), out.end());
    return out;
  }
};

TEST_F(LnheadptTest, BoxQueriesAnswerObjectsOfTheKind) {
  AddObjectPoint(kPointBeamLeft, 7, 10, 20);
  AddObjectPoint(kPointBeamRight, 7, 12, 80);
  AddObjectPoint(kPointBeamLeft, 8, 50, 25);
  AddObjectPoint(kPointStemTop, 3, 11, 21);
  EXPECT_EQ(Query(kPointBeamLeft, 0, 0, 100, 100), (std::vector<int32_t>{7, 8}));
  EXPECT_EQ(Query(kPointBeamLeft, 0, 0, 30, 20), (std::vector<int32_t>{7}));
  EXPECT_EQ(Query(kPointBeamRight, 0, 0, 80, 100), (std::vector<int32_t>{}));  // x1 excluded
  EXPECT_EQ(Query(kPointStemTop, 0, 0, 300, 200), (std::vector<int32_t>{3}));
}

TEST_F(LnheadptTest, RemovedPointsAreNotFound) {
  AddObjectPoint(kPointHeadLeft, 1, 40, 40);
  AddObjectPoint(kPointHeadLeft, 2, 41, 41);
  RemoveObjectPoint(kPointHeadLeft, 1);
  EXPECT_EQ(Query(kPointHeadLeft, 0, 0, 100, 100), (std::vector<int32_t>{2}));
  RemoveObjectPoint(kPointHeadLeft, 1);  // twice: nothing
  RemoveObjectPoint(kPointHeadLeft, 9);  // never added: nothing
  RemoveObjectPoint(kPointHeadRight, 2);
  EXPECT_EQ(Query(kPointHeadLeft, 0, 0, 100, 100), (std::vector<int32_t>{2}));
  EXPECT_EQ(GetObjectPoint(0).y, kRemovedPointCoordinate);
  // A point added after a removal drops the key index; the object comes back.
  AddObjectPoint(kPointHeadLeft, 1, 45, 45);
  EXPECT_EQ(Query(kPointHeadLeft, 0, 0, 100, 100), (std::vector<int32_t>{1, 2}));
  RemoveObjectPoint(kPointHeadLeft, 1);
  EXPECT_EQ(Query(kPointHeadLeft, 0, 0, 100, 100), (std::vector<int32_t>{2}));
}

TEST_F(LnheadptTest, PointsMustLieOnThePage) {
  EXPECT_NO_THROW(AddObjectPoint(kPointBarTop, 0, 0, 0));
  EXPECT_NO_THROW(AddObjectPoint(kPointBarTop, 1, 199, 299));
  EXPECT_THROW(AddObjectPoint(kPointBarTop, 2, 200, 10), EngineFailure);
  EXPECT_THROW(AddObjectPoint(kPointBarTop, 3, 10, 300), EngineFailure);
  EXPECT_THROW(AddObjectPoint(kPointBarTop, 4, -1, 10), EngineFailure);
  EXPECT_THROW(AddObjectPoint(12, 5, 10, 10), EngineFailure);
}

TEST_F(LnheadptTest, TheTableGrowsInSteps) {
  for (int32_t i = 0; i < 2000; ++i) AddObjectPoint(kPointSlurStart, i, i % 200, i % 300);
  EXPECT_EQ(GetObjectPointCapacity(), 2000);
  AddObjectPoint(kPointSlurStart, 2000, 5, 5);
  EXPECT_EQ(GetObjectPointCapacity(), 4000);
  EXPECT_EQ(GetObjectPointCount(), 2001);
  EXPECT_EQ(Query(kPointSlurStart, 5, 5, 6, 6), (std::vector<int32_t>{5, 605, 1205, 1805, 2000}));
}

TEST_F(LnheadptTest, PointKindsMapToObjectKinds) {
  const int32_t expected[12] = {3, 3, 7, 7, 2, 2, 1, 1, 6, 6, 5, 5};
  for (int32_t k = 0; k < 12; ++k) EXPECT_EQ(PointKindToObjectKind(k), expected[k]) << k;
  EXPECT_THROW(PointKindToObjectKind(12), EngineFailure);
  EXPECT_THROW(PointKindToObjectKind(-1), EngineFailure);
}

TEST_F(LnheadptTest, AKeyIndexLeftOverIsAFailedCheck) {
  AddObjectPoint(kPointBeamLeft, 1, 5, 5);
  RemoveObjectPoint(kPointBeamLeft, 1);  // builds the key index
  EXPECT_THROW(InitialiseObjectPoints(), EngineFailure);
}

}  // namespace
