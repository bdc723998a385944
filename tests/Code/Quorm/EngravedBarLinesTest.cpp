// The bar-line finder on the engraved pages (fixtures/): the bar lines of
// their sources, with the system-start lines of the piano and chorale
// systems, each found where it crosses its staff and linked through its
// system.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/findbarl.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

namespace {

// Left columns of the bar lines of one system's staves (every staff of a
// system has them at the same columns on these pages).
struct EngravedSystem {
  int staves;
  std::vector<int> bars;
  std::vector<int> fillingStems;  // stems that fill the staff from line to line
};

struct EngravedBars {
  const char* name;
  std::vector<EngravedSystem> systems;
};

// piano: 4 + 4 bars, system-start line, single bars, then an end bar and a
// final bar (thin, thick). melody: 4 systems of 4 bars, no start line on a
// lone staff; in the last system two note stems of bar 15 fill the staff
// from its top line to its bottom line, which a lone staff cannot tell from
// a bar line: they are kept, unjoined and costlier than the bars.
// chorale: as piano on four staves.
const EngravedBars kPages[] = {
    {"piano", {{2, {63, 760, 1298, 1815, 2304}, {}}, {2, {63, 778, 1382, 1987, 2285, 2296}, {}}}},
    {"melody",
     {{1, {785, 1361, 1918, 2316}, {}},
      {1, {749, 1343, 1903, 2316}, {}},
      {1, {754, 1275, 1796, 2316}, {}},
      {1, {739, 1311, 1896, 2297, 2308}, {1548, 1822}}}},
    {"chorale", {{4, {66, 813, 1313, 1865, 2307}, {}}, {4, {66, 781, 1354, 1931, 2288, 2299}, {}}}},
};

std::string Describe() {
  std::ostringstream out;
  for (int32_t i = 0; i < GetBarLineCount(); ++i) {
    const FoundBarLine b = GetFoundBarLine(i);
    out << "  [" << i << "] staff " << b.staff << " x " << b.leftX << ".." << b.rightX << " joined " << b.joinedAbove
        << b.joinedBelow << " cost " << b.cost << "\n";
  }
  return out.str();
}

TEST(EngravedBarLines, TheSourcesBarLinesAreFoundAndLinkedThroughTheirSystems) {
  for (const EngravedBars& expected : kPages) {
    EngravedPage engraved;
    const std::string path = U8(SourcePath(std::string("tests/Code/Quorm/fixtures/") + expected.name + ".tif"));
    ASSERT_TRUE(LoadEngravedPage(path, &engraved)) << path;
    {
      SCOPED_TRACE(expected.name);
      const EngravedPage& page = engraved;
      FreeEngine();
      ASSERT_EQ(LoadPageImage(page.bits.data(), page.width, page.height, 0), nullptr);
      ASSERT_EQ(RunStaffStage(1, nullptr, nullptr), 0);
      MeasurePageSkew();
      InitialiseObjectPoints();
      FindBarLines();
      SCOPED_TRACE(Describe());

      int32_t next = 0, staff = 0;
      for (const EngravedSystem& system : expected.systems) {
        for (int k = 0; k < system.staves; ++k, ++staff) {
          std::vector<int> columns = system.bars;
          columns.insert(columns.end(), system.fillingStems.begin(), system.fillingStems.end());
          std::sort(columns.begin(), columns.end());
          for (int x : columns) {
            ASSERT_LT(next, GetBarLineCount());
            const FoundBarLine b = GetFoundBarLine(next);
            EXPECT_EQ(b.staff, staff);
            EXPECT_NEAR(b.leftX, x, 2) << "staff " << staff;
            const bool stem = std::count(system.fillingStems.begin(), system.fillingStems.end(), x) > 0;
            if (stem) {
              // Kept as the finder measures it, but costlier than the bars.
              EXPECT_EQ(IsBarLineJoined(next), 0);
              EXPECT_GE(b.cost, 200);
            } else {
              EXPECT_LT(b.cost, 100);
              EXPECT_EQ(b.joinedAbove, k > 0 ? 1 : 0);
              EXPECT_EQ(b.joinedBelow, k + 1 < system.staves ? 1 : 0);
            }
            ++next;
          }
        }
      }
      EXPECT_EQ(GetBarLineCount(), next);
    }
  }
  FreeEngine();
}

}  // namespace
