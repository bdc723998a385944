#include "reading/StaveGeometry.h"

#include "pages/SpriteArea.h"
#include "reading/PageSprites.h"
#include "reading/StavePageData.h"
#include "tests/reading/StavePageTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>

namespace {

constexpr double kPi = 3.14159265358979323846;

// A page with one five-line stave whose line k lies at top + k x spacing +
// bend(x), two pixels thick.
struct StaveFixture {
  OwnedPageImage image;
  StavePageTables tables;
  StavePage page;
  StaveRow row;

  StaveFixture(int width, int height, int left, int right, int top, int spacing,
               std::function<double(int x, int k)> bend = nullptr) : image(width, height, 1) {
    for (int k = 0; k < 5; ++k)
      for (int x = std::max(0, left); x < std::min(width, right); ++x) {
        int y = top + k * spacing + (bend ? static_cast<int>(std::lround(bend(x, k))) : 0);
        for (int t = 0; t < 2; ++t)
          if (image.View().Inside(x, y + t)) image.View().SetInk(x, y + t);
      }
    page = tables.Over(image.View());
    row.left = static_cast<int16_t>(left);
    row.right = static_cast<int16_t>(right);
    row.top = static_cast<int16_t>(top);
    row.bottom = static_cast<int16_t>(top + 4 * spacing);
    row.lineCount = 5;
    row.lineThickness = 2;
    row.midX = static_cast<int16_t>((left + right) / 2);
    row.midTop = row.top;
    row.rightTop = row.top;
  }
  int Traced(int k, int c) const { return tables.lines->y[0][k][c]; }
  int ColumnX(int c) const { return static_cast<int>(c * ((row.right - row.left) * 0.0009765625)) + row.left; }
};

class StaveGeometry : public ::testing::Test {
 protected:
  void SetUp() override { StaveLookup() = StaveLookupState{true, false}; }
  void TearDown() override { StaveLookup() = StaveLookupState(); }
};

TEST_F(StaveGeometry, TracesStraightLinesToTheirRows) {
  StaveFixture f(2200, 400, 100, 2148, 100, 25);
  ASSERT_TRUE(CalculateStavePositions(f.row, 0, f.page));
  EXPECT_EQ(f.tables.curvesValid[0], 1u);
  EXPECT_EQ(f.tables.modelCurves[0], 0u);
  for (int k = 0; k < 5; ++k)
    for (int c : {0, 1, 511, 1023}) EXPECT_NEAR(f.Traced(k, c), 25 * k, 1) << k << " " << c;
}

TEST_F(StaveGeometry, FollowsLinesThatBendAwayFromTheModel) {
  auto bend = [](int x, int) { return 6.0 * std::sin(kPi * (x - 100) / 2048.0); };
  StaveFixture f(2200, 400, 100, 2148, 100, 25, bend);
  ASSERT_TRUE(CalculateStavePositions(f.row, 0, f.page));
  EXPECT_EQ(f.tables.modelCurves[0], 0u);
  for (int k = 0; k < 5; ++k)
    for (int c = 0; c < 1024; c += 97)
      EXPECT_NEAR(f.Traced(k, c), 25 * k + bend(f.ColumnX(c), k), 1.5) << k << " " << c;
}

TEST_F(StaveGeometry, ABrokenLineMarksTheStaveButKeepsTheTrace) {
  StaveFixture f(2200, 400, 100, 2148, 100, 25);
  for (int y = 150; y < 152; ++y)
    for (int x = 600; x < 1100; ++x) f.image.View().ClearInk(x, y);
  ASSERT_TRUE(CalculateStavePositions(f.row, 0, f.page));
  EXPECT_EQ(f.tables.modelCurves[0], 1u);
  EXPECT_NEAR(f.Traced(1, 700), 25, 1);
  EXPECT_NEAR(f.Traced(3, 400), 75, 1);
}

TEST_F(StaveGeometry, LinesThatTouchAreReplacedByTheModel) {
  // Line 2 dips towards line 3 over a short stretch.
  auto dip = [](int x, int k) { return k == 2 ? std::max(0.0, 16.0 - std::abs(x - 1100) * 0.016) : 0.0; };
  StaveFixture f(2200, 400, 100, 2148, 100, 25, dip);
  ASSERT_TRUE(CalculateStavePositions(f.row, 0, f.page));
  EXPECT_EQ(f.tables.modelCurves[0], 1u);
  for (int k = 0; k < 5; ++k)
    for (int c : {0, 440, 1023}) EXPECT_EQ(f.Traced(k, c) - f.Traced(0, c), 25 * k) << k << " " << c;
}

TEST_F(StaveGeometry, RefusesOutlinesItCannotMeasure) {
  StaveFixture f(400, 300, 50, 350, 50, 20);
  struct Case {
    int16_t left, right, top, bottom, lines;
  } cases[] = {{50, 50, 50, 130, 5}, {350, 50, 50, 130, 5}, {50, 350, 130, 130, 5},
               {50, 350, 130, 50, 5}, {50, 350, 50, 130, 0}, {50, 350, 50, 130, 7}};
  for (const Case& c : cases) {
    StaveRow row = f.row;
    row.left = c.left;
    row.right = c.right;
    row.top = c.top;
    row.bottom = c.bottom;
    row.lineCount = c.lines;
    f.tables.curvesValid[0] = 0;
    f.tables.modelCurves[0] = 7;
    EXPECT_FALSE(CalculateStavePositions(row, 0, f.page));
    EXPECT_EQ(f.tables.curvesValid[0], 0u);
    EXPECT_EQ(f.tables.modelCurves[0], 7u);
    EXPECT_EQ(StaveRowLineY(row, 0, 2, 100, f.page), 0);
  }
  EXPECT_FALSE(CalculateStavePositions(f.row, kStaveSlots, f.page));
  EXPECT_FALSE(CalculateStavePositions(f.row, -1, f.page));
}

// Staves at the image's edges: every sample stays inside the image.
TEST_F(StaveGeometry, SamplesStayInsideTheImage) {
  StaveFixture f(300, 120, 0, 299, 30, 20);
  ASSERT_TRUE(CalculateStavePositions(f.row, 0, f.page));
  EXPECT_NEAR(f.Traced(4, 1023), 80, 1);
  StaveRow low = f.row;
  low.top = 100;
  low.bottom = 180;  // lines below the image
  low.midTop = low.rightTop = 100;
  EXPECT_TRUE(CalculateStavePositions(low, 1, f.page));
  StaveRow wide = f.row;
  wide.left = -40;
  wide.right = 400;
  EXPECT_TRUE(CalculateStavePositions(wide, 2, f.page));
}

TEST_F(StaveGeometry, AOneLineStaveSearchesByTenLineThicknesses) {
  StaveFixture f(600, 200, 50, 550, 100, 0);
  f.row.lineCount = 1;
  f.row.lineThickness = 3;
  f.row.bottom = 102;
  ASSERT_TRUE(CalculateStavePositions(f.row, 0, f.page));
  EXPECT_EQ(f.tables.curvesValid[0], 1u);
  EXPECT_NEAR(f.Traced(0, 500), 0, 1);
}

TEST_F(StaveGeometry, ColumnsCutAnyWidthIntoAThousandAndTwentyFour) {
  StaveRow row;
  row.left = 100;
  row.right = 2148;
  EXPECT_EQ(StaveColumn(row, 50), 0);
  EXPECT_EQ(StaveColumn(row, 100), 0);
  EXPECT_EQ(StaveColumn(row, 102), 1);
  EXPECT_EQ(StaveColumn(row, 2147), 1023);
  EXPECT_EQ(StaveColumn(row, 5000), 1023);
}

TEST_F(StaveGeometry, ReadsTheTableOnlyWhileAPageIsReadOrShown) {
  StaveFixture f(2200, 400, 100, 2148, 100, 25);
  StaveRow rows[1] = {f.row};
  StaveLookup() = StaveLookupState();
  EXPECT_EQ(StaveLineY(rows, 0, 3, 500, f.page), 100 / 5 * 3);
  EXPECT_EQ(f.tables.curvesValid[0], 0u);
  StaveLookup().pageShown = true;
  EXPECT_NEAR(StaveLineY(rows, 0, 3, 500, f.page), 75, 1);
  EXPECT_EQ(f.tables.curvesValid[0], 1u);
  EXPECT_EQ(StaveTopLineY(rows, 0, 500, f.page), f.Traced(0, StaveColumn(f.row, 500)));
}

TEST_F(StaveGeometry, WorksOnAPagesData) {
  StaveFixture f(2200, 400, 100, 2148, 100, 25);
  PageData& page = readPage;
  page.imageArea = MakePageSpriteArea(f.image, kPageSpriteName);
  page.resolution = 300;
  page.curvesValid[3] = 0;
  StavePage stavePage = StavePageFor(page);
  ASSERT_TRUE(CalculateStavePositions(f.row, 3, stavePage));
  EXPECT_EQ(page.curvesValid[3], 1u);
  EXPECT_NEAR(page.lineCurves.y[3][4][600], 100, 1);
  FreeHandle(&page.imageArea);
}

TEST(StaveTypes, RecordsAndRowsMapFieldForField) {
  StaveRow row;
  row.left = 1;
  row.right = 2;
  row.top = 3;
  row.bottom = 4;
  row.lineCount = 5;
  row.lineThickness = 6;
  row.slope = 7;
  row.group = 8;
  row.number = 9;
  row.midX = 10;
  row.midTop = 11;
  row.rightTop = 12;
  row.kind = 2;
  row.spacingOverride = 13.5;
  row.joinLeftEnd = 14;
  row.joinRightStart = 15;
  StaveRecord record = StaveRecordFromRow(row);
  EXPECT_EQ(record.lineThickness, 6);
  EXPECT_EQ(record.spacingOverride, 13.5);
  StaveRow back = StaveRowFromRecord(record);
  EXPECT_EQ(back.number, 0);
  back.number = 9;
  EXPECT_EQ(0, memcmp(&back.left, &row.left, 13 * sizeof(int16_t)));
  EXPECT_EQ(back.spacingOverride, 13.5);
  EXPECT_EQ(back.joinLeftEnd, 14);
  EXPECT_EQ(back.joinRightStart, 15);
}

}  // namespace
