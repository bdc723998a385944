// The bar-line finder on the engraved pages (fixtures/): the bar lines of
// their sources, with the system-start lines of the piano and chorale
// systems, each found where it crosses its staff and linked through its
// system. The pages are also read turned both ways by a small angle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
};

struct EngravedBars {
  const char* name;
  std::vector<EngravedSystem> systems;
};

// piano: 4 + 4 bars, system-start line, single bars, then an end bar and a
// final bar (thin, thick). melody: 4 systems of 4 bars, no start line on a
// lone staff; a few note stems fill their staff from its top line to its
// bottom line, which on a lone staff the finder cannot tell from a bar line.
// chorale: as piano on four staves.
const EngravedBars kPages[] = {
    {"piano", {{2, {63, 760, 1298, 1815, 2304}}, {2, {63, 778, 1382, 1987, 2285, 2296}}}},
    {"melody",
     {{1, {785, 1361, 1918, 2316}},
      {1, {749, 1343, 1903, 2316}},
      {1, {754, 1275, 1796, 2316}},
      {1, {739, 1311, 1896, 2297, 2308}}}},
    {"chorale", {{4, {66, 813, 1313, 1865, 2307}}, {4, {66, 781, 1354, 1931, 2288, 2299}}}},
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

// The page turned by a small angle as a scanner leaves it: lines rise by
// slope per column and verticals lean the other way; the page grows to hold
// it. *dx and *dy: where the engraved origin went.
EngravedPage Rotated(const EngravedPage& page, double slope, int* dx, int* dy) {
  const double c = 1.0 / std::sqrt(1.0 + slope * slope), s = slope * c;
  *dx = slope > 0 ? static_cast<int>(std::ceil(s * page.height)) : 0;
  *dy = slope < 0 ? static_cast<int>(std::ceil(-s * page.width)) : 0;
  EngravedPage out;
  out.width = page.width + static_cast<int>(std::ceil(std::fabs(s) * page.height)) + 1;
  out.height = page.height + static_cast<int>(std::ceil(std::fabs(s) * page.width)) + 1;
  out.bits.assign(static_cast<size_t>(out.WordsPerRow()) * out.height, 0);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) {
      const double u = x - *dx, v = y - *dy;
      const int sx = static_cast<int>(std::lround(c * u + s * v));
      const int sy = static_cast<int>(std::lround(c * v - s * u));
      if (sx >= 0 && sx < page.width && sy >= 0 && sy < page.height && page.Black(sx, sy))
        out.bits[static_cast<size_t>(y) * out.WordsPerRow() + x / 32] |= 1u << (x % 32);
    }
  return out;
}

TEST(EngravedBarLines, TheSourcesBarLinesAreFoundAndLinkedThroughTheirSystems) {
  for (const EngravedBars& expected : kPages) {
    EngravedPage engraved;
    const std::string path = U8(SourcePath(std::string("tests/Code/Quorm/fixtures/") + expected.name + ".tif"));
    ASSERT_TRUE(LoadEngravedPage(path, &engraved)) << path;
    for (double slope : {0.0, 0.01, -0.01}) {
      SCOPED_TRACE(std::string(expected.name) + " slope " + std::to_string(slope));
      int dx = 0, dy = 0;
      const EngravedPage page = slope == 0 ? engraved : Rotated(engraved, slope, &dx, &dy);
      FreeEngine();
      ASSERT_EQ(LoadPageImage(page.bits.data(), page.width, page.height, 0), nullptr);
      ASSERT_EQ(RunStaffStage(1, nullptr, nullptr), 0);
      MeasurePageSkew();
      InitialiseObjectPoints();
      FindBarLines();
      SCOPED_TRACE(Describe());

      std::vector<bool> matched(GetBarLineCount(), false);
      int32_t staff = 0;
      std::vector<int> staffSize;  // staves of the system of each staff
      for (const EngravedSystem& system : expected.systems) {
        for (int k = 0; k < system.staves; ++k, ++staff) {
          staffSize.push_back(system.staves);
          for (int x : system.bars) {
            // The engraved column where the stroke crosses the staff's top line.
            const double top = StaffTopLineY(staff, x + dx) - dy - slope * (x + dx);
            const double column = x + dx - slope * top;
            int32_t found = -1;
            for (int32_t i = 0; i < GetBarLineCount(); ++i) {
              const FoundBarLine b = GetFoundBarLine(i);
              if (b.staff == staff && std::fabs(b.leftX - column) <= 2.5) found = i;
            }
            ASSERT_GE(found, 0) << "staff " << staff << " bar at " << x;
            matched[found] = true;
            const FoundBarLine b = GetFoundBarLine(found);
            // Kept: an unjoined bar line below 1025, a joined one at half its
            // cost. (On a turned page the staff stage may end a staff at the
            // start of its final bar; the thick stroke's far edge then lies
            // beyond the columns searched and costs it much.)
            EXPECT_LT(b.cost, system.staves > 1 ? 1024 : 1025);
            if (slope == 0) {
              EXPECT_LT(b.cost, 100);
            }
            EXPECT_EQ(b.joinedAbove, k > 0 ? 1 : 0);
            EXPECT_EQ(b.joinedBelow, k + 1 < system.staves ? 1 : 0);
          }
        }
      }
      // Anything else is a note stem that fills a lone staff from line to
      // line: kept as the finder measures it, unjoined and costlier.
      for (int32_t i = 0; i < GetBarLineCount(); ++i) {
        if (matched[i]) continue;
        const FoundBarLine b = GetFoundBarLine(i);
        EXPECT_EQ(staffSize.at(b.staff), 1) << "bar line " << i;
        EXPECT_EQ(IsBarLineJoined(i), 0);
        EXPECT_GE(b.cost, 200);
      }
    }
  }
  FreeEngine();
}

}  // namespace
