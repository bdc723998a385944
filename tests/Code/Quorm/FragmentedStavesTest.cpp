// Staves whose lines are cut into fragments at offsets of their own, as on a
// poor scan or a photocopy with dropouts: the stage finds the staves it
// always found there, line for line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Code/Quorm/Findstav.h"
#include "tests/Code/Quorm/PageSynth.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"

namespace {

struct FoundStaff {
  int lines;
  int left;
  int right;  // first column past the staff
  int staffSpace;  // x1024
  int top[3];     // top line at the left column, the middle column and the last column
  int bottom[3];  // bottom line at the same columns
};

struct FragmentedCase {
  const char* name;
  int width;
  int height;
  SynthScore score;
  std::vector<FoundStaff> expected;
};

void PrintTo(const FragmentedCase& c, std::ostream* os) { *os << c.name; }

SynthScore Score(double spacing, int thickness, int fragment, int gap, int shift, double margin, uint32_t seed) {
  SynthScore s;
  s.spacing = spacing;
  s.thickness = thickness;
  s.fragment = fragment;
  s.gap = gap;
  s.shift = shift;
  s.margin = margin;
  s.seed = seed;
  return s;
}

class FragmentedStavesTest : public ::testing::TestWithParam<FragmentedCase> {};

TEST_P(FragmentedStavesTest, FindsTheSameStaves) {
  const FragmentedCase& c = GetParam();
  SynthPage page(c.width, c.height);
  const int drawn = DrawScorePage(page, c.score);
  ASSERT_EQ(RunStaffStageOn(page), 0) << LastStaffFinderCode();
  ASSERT_EQ(GetStaffCount(), static_cast<int32_t>(c.expected.size()));
  EXPECT_EQ(drawn, GetStaffCount());
  for (int i = 0; i < GetStaffCount(); ++i) {
    const FoundStaff& e = c.expected[i];
    EXPECT_EQ(GetStaffLineCount(i), e.lines) << "staff " << i;
    EXPECT_EQ(GetStaffLeftX(i), e.left) << "staff " << i;
    EXPECT_EQ(GetStaffRightX(i), e.right) << "staff " << i;
    EXPECT_EQ(GetStaffSpace(i), e.staffSpace) << "staff " << i;
    const int columns[3] = {e.left, (e.left + e.right) / 2, e.right - 1};
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(StaffLineY(i, 0, columns[k]), e.top[k]) << "staff " << i << " column " << columns[k];
      EXPECT_EQ(StaffLineY(i, e.lines - 1, columns[k]), e.bottom[k]) << "staff " << i << " column " << columns[k];
    }
  }
}

// Small print across a strip; a system of 20-pixel staves; three staves in two
// systems; two systems of two with lines moved by up to a pixel.
INSTANTIATE_TEST_SUITE_P(
    Pages, FragmentedStavesTest,
    ::testing::Values(
        FragmentedCase{"smallPrintStrip", 760, 240, Score(10, 2, 5, 2, 1, 0.5, 1),
                       {{5, 6, 754, 10241, {31, 31, 30}, {71, 71, 70}},
                        {5, 6, 755, 10229, {111, 110, 111}, {151, 150, 151}}}},
        FragmentedCase{"oneSystem", 1100, 520, Score(20, 3, 10, 4, 1, 3, 3),
                       {{5, 63, 1039, 20515, {60, 60, 60}, {140, 140, 140}},
                        {5, 62, 1039, 20525, {220, 220, 220}, {300, 300, 300}}}},
        FragmentedCase{"twoSystems", 900, 400, Score(14, 2, 7, 3, 1, 1, 5),
                       {{5, 15, 886, 14327, {43, 42, 43}, {99, 98, 98}},
                        {5, 14, 888, 14261, {155, 155, 155}, {210, 211, 211}},
                        {5, 15, 887, 14343, {308, 308, 309}, {364, 364, 365}}}},
        FragmentedCase{"fourStaves", 1400, 700, Score(16, 2, 8, 3, 1, 2, 9),
                       {{5, 34, 1367, 16358, {48, 48, 49}, {112, 112, 113}},
                        {5, 34, 1368, 16382, {177, 176, 177}, {241, 240, 241}},
                        {5, 34, 1369, 16447, {352, 352, 352}, {416, 416, 417}},
                        {5, 34, 1368, 16381, {480, 481, 480}, {544, 545, 544}}}}),
    [](const ::testing::TestParamInfo<FragmentedCase>& info) { return std::string(info.param.name); });

}  // namespace
