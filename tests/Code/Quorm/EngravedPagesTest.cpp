// The staff stage on engraved pages: three pieces of the project's own music
// engraved at 300 dpi and stored as G4 TIFF files in fixtures/ (with their
// sources and make_fixtures.sh). The expected staves are the rows where the
// engraved staff lines lie, as make_fixtures.sh measures them. Each page is
// also run skewed both ways, as a scanner would leave it.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/EngineDataFolder.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tests/Code/Quorm/RecordingEngineHost.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

namespace {

struct EngravedStaff {
  std::array<double, 5> lineRows;  // line centres, top line first
  int left;                         // first and last column of the lines
  int right;
};

struct EngravedCase {
  const char* name;
  int width;
  int height;
  std::vector<EngravedStaff> staves;
  std::vector<int> systemSizes;  // staves per system, top system first
};

void PrintTo(const EngravedCase& c, std::ostream* os) { *os << c.name; }

const EngravedCase kPages[] = {
    {"piano",
     2349,
     1026,
     {{{154.5, 175.5, 196.0, 217.0, 237.5}, 63, 2307},
      {{341.5, 362.0, 383.0, 404.0, 424.5}, 63, 2308},
      {{673.5, 694.5, 715.0, 736.0, 756.5}, 63, 2307},
      {{860.5, 881.0, 902.0, 922.5, 943.5}, 63, 2308}},
     {2, 2}},
    {"melody",
     2360,
     1170,
     {{{142.0, 163.0, 183.5, 204.5, 225.0}, 76, 2319},
      {{432.5, 453.5, 474.0, 495.0, 516.0}, 76, 2319},
      {{723.0, 744.0, 765.0, 785.5, 806.5}, 76, 2319},
      {{1014.0, 1034.5, 1055.5, 1076.0, 1097.0}, 76, 2319}},
     {1, 1, 1, 1}},
    {"chorale",
     2352,
     1848,
     {{{154.5, 175.5, 196.0, 217.0, 237.5}, 66, 2310},
      {{341.5, 362.0, 383.0, 404.0, 424.5}, 66, 2311},
      {{528.0, 549.0, 570.0, 590.5, 611.5}, 66, 2311},
      {{715.0, 736.0, 756.5, 777.5, 798.0}, 66, 2311},
      {{1130.0, 1151.0, 1171.5, 1192.5, 1213.0}, 66, 2310},
      {{1317.0, 1338.0, 1358.5, 1379.0, 1400.0}, 66, 2311},
      {{1504.0, 1524.5, 1545.5, 1566.0, 1587.0}, 66, 2311},
      {{1690.5, 1711.5, 1732.0, 1753.0, 1773.5}, 66, 2311}},
     {4, 4}},
};

constexpr double kLineTolerance = 2.0;  // pixels
constexpr int kEndTolerance = 10;       // pixels: half a staff space
constexpr double kSlopeTolerance = 2;  // y change per column x1024

std::string FixturePath(const char* name) {
  return U8(SourcePath(std::string("tests/Code/Quorm/fixtures/") + name + ".tif"));
}

// The page skewed as a scanner would: each column moved down by slope x
// column (up when negative), the page grown to hold it. *shift: rows added
// above the engraved page.
EngravedPage Sheared(const EngravedPage& page, double slope, int* shift) {
  const int grow = static_cast<int>(std::ceil(std::fabs(slope) * page.width));
  *shift = slope < 0 ? grow : 0;
  EngravedPage out;
  out.width = page.width;
  out.height = page.height + grow;
  out.bits.assign(static_cast<size_t>(out.WordsPerRow()) * out.height, 0);
  for (int y = 0; y < page.height; ++y)
    for (int x = 0; x < page.width; ++x)
      if (page.Black(x, y)) {
        const int to = y + *shift + static_cast<int>(std::lround(x * slope));
        out.bits[static_cast<size_t>(to) * out.WordsPerRow() + x / 32] |= 1u << (x % 32);
      }
  return out;
}

// Staves of a page that was engraved level, as a page skewed by slope holds them.
struct Skew {
  const char* name;
  double slope;  // y change per column
};
const Skew kSkews[] = {{"level", 0.0}, {"down", 0.012}, {"up", -0.012}};

class EngravedPages : public ::testing::TestWithParam<std::tuple<EngravedCase, Skew>> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EngineDataBuilt());
  }
  void TearDown() override { CloseEngine(); }
  RecordingEngineHost host;
};

TEST_P(EngravedPages, TheStaffStageFindsEveryStaffAndItsSystem) {
  const EngravedCase& expected = std::get<0>(GetParam());
  const double slope = std::get<1>(GetParam()).slope;
  EngravedPage engraved;
  ASSERT_TRUE(LoadEngravedPage(FixturePath(expected.name), &engraved)) << FixturePath(expected.name);
  ASSERT_EQ(engraved.width, expected.width);
  ASSERT_EQ(engraved.height, expected.height);
  int shift = 0;
  const EngravedPage page = Sheared(engraved, slope, &shift);

  EngineDataFolder folder;
  ASSERT_EQ(StartEngine(), 0);
  ASSERT_EQ(LoadPageImage(page.bits.data(), page.width, page.height, 0), kEngineOk);
  ASSERT_EQ(RunStaffStage(1, nullptr, nullptr), kStageCompleted) << (LastStaffFinderCode() ? LastStaffFinderCode() : "");
  EXPECT_EQ(LastEngineFailure(), kEngineOk);
  EXPECT_EQ(host.FailurePosts(), 0u);

  ASSERT_EQ(GetStaffCount(), static_cast<int32_t>(expected.staves.size()));
  for (int staff = 0; staff < GetStaffCount(); ++staff) {
    SCOPED_TRACE("staff " + std::to_string(staff));
    const EngravedStaff& staffOnPage = expected.staves[staff];
    ASSERT_EQ(GetStaffLineCount(staff), 5);
    EXPECT_NEAR(GetStaffLeftX(staff), staffOnPage.left, kEndTolerance);
    EXPECT_NEAR(GetStaffRightX(staff), staffOnPage.right, kEndTolerance);
    const double space = (staffOnPage.lineRows[4] - staffOnPage.lineRows[0]) / 4;
    EXPECT_NEAR(GetStaffSpace(staff) / 1024.0, space, 1.0);
    EXPECT_NEAR(GetStaffSlope(staff), slope * 1024, kSlopeTolerance);
    for (int column : {staffOnPage.left + 100, (staffOnPage.left + staffOnPage.right) / 2, staffOnPage.right - 100})
      for (int line = 0; line < 5; ++line)
        EXPECT_NEAR(StaffLineY(staff, line, column), staffOnPage.lineRows[line] + shift + column * slope,
                    kLineTolerance)
            << "line " << line << " at column " << column;
  }

  ASSERT_EQ(GetSystemCount(), static_cast<int32_t>(expected.systemSizes.size()));
  int first = 0;
  for (int system = 0; system < GetSystemCount(); ++system) {
    SCOPED_TRACE("system " + std::to_string(system));
    ASSERT_EQ(GetSystemStaffCount(system), expected.systemSizes[system]);
    for (int i = 0; i < expected.systemSizes[system]; ++i) {
      EXPECT_EQ(GetStaffOfSystem(system, i), first + i);
      EXPECT_EQ(GetStaffSystem(first + i), system);
    }
    first += expected.systemSizes[system];
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, EngravedPages, ::testing::Combine(::testing::ValuesIn(kPages), ::testing::ValuesIn(kSkews)),
                         [](const ::testing::TestParamInfo<std::tuple<EngravedCase, Skew>>& info) {
                           return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                         });

}  // namespace
