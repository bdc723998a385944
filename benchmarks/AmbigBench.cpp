// Times the five ambiguity stages on pages of many objects: staves full of
// beamed notes (a head on a down stem, a beam over every pair of stems, every
// fourth note with a second, costly stem beside it that conflicts with the
// first), from a light page to several times the densest engraved one.
// Probabilities are recomputed on every question; this prints what the
// stages cost. Not a test: run it from a Release build.
//
//   ambig_bench
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/ambigres.h"
#include "Code/Quorm/makemocg.h"
#include "Code/Quorm/mocgraph.h"
#include "tests/Code/Quorm/StaffFixture.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int32_t kSpace = 20;
constexpr int32_t kStaffPitch = 10 * kSpace;
constexpr int32_t kNotePitch = 2 * kSpace;

void Paint(int32_t y0, int32_t x0, int32_t y1, int32_t x1) {
  for (int32_t y = y0; y < y1; ++y)
    for (int32_t x = x0; x < x1; ++x) SetPagePixel(y, x, 1);
}

int32_t AddStem(int32_t top, int32_t bottom, int32_t x, int32_t cost) {
  const int32_t stem = AddFoundVerticalLine({top, x, bottom, x, 2 * 1024, cost, 0});
  AddObjectPoint(kPointStemTop, stem, top, x);
  AddObjectPoint(kPointStemBottom, stem, bottom, x);
  return stem;
}

void MakePage(int32_t notes, int32_t width) {
  const int32_t perStaff = (width - 200) / kNotePitch / 2 * 2;
  const int32_t staves = (notes + perStaff - 1) / perStaff;
  FreeEngine();
  LoadHandPage(width, staves * kStaffPitch + 200, kSpace);
  for (int32_t s = 0; s < staves; ++s) AddHandStaff({s, 100 + s * kStaffPitch, kSpace, 50, width - 50, 5, 0});
  InitialiseObjectPoints();
  for (int32_t n = 0; n < notes; ++n) {
    const int32_t staffTop = 100 + (n / perStaff) * kStaffPitch;
    const int32_t x = 100 + (n % perStaff) * kNotePitch;
    const int32_t y = staffTop + (n * 3 % 9) * kSpace / 2;
    const int32_t stemBottom = staffTop + 7 * kSpace;
    Paint(y - kSpace / 2, x, y + kSpace / 2, x + 24);
    Paint(y, x + 1, stemBottom + 1, x + 3);
    FoundNotehead head{};
    head.leftX = x;
    head.rightX = x + 24;
    head.centreY = y;
    head.staff = n / perStaff;
    head.step = n * 3 % 9;
    const int32_t h = AddFoundNotehead(head);
    AddObjectPoint(kPointHeadLeft, h, y, x);
    AddObjectPoint(kPointHeadRight, h, y, x + 24);
    AddStem(y, stemBottom, x + 2, 100);
    if (n % 4 == 0) AddStem(y, stemBottom - kSpace, x + 3, 1200);
    if (n % 2 == 1) {
      const int32_t left = x - kNotePitch;
      Paint(stemBottom - 5, left, stemBottom + 5, x + 4);
      const int32_t beam = AddFoundBeam({left, x + 4, stemBottom, stemBottom, 10 * 1024, 300, 0});
      AddObjectPoint(kPointBeamLeft, beam, stemBottom, left);
      AddObjectPoint(kPointBeamRight, beam, stemBottom, x + 3);
    }
  }
}

double Ms(Clock::time_point start) { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); }

}  // namespace

int main() {
  const int32_t sizes[] = {500, 2000, 4000, 8000};
  for (int32_t notes : sizes) {
    MakePage(notes, 2480);
    BuildObjectGraph();
    const int32_t nodes = CountLiveGraphNodes();
    double t[5];
    Clock::time_point start = Clock::now();
    ResolveAmbiguitiesStage1(1);
    t[0] = Ms(start);
    start = Clock::now();
    ResolveAmbiguitiesStage2();
    t[1] = Ms(start);
    start = Clock::now();
    ResolveAmbiguitiesStage3(1);
    t[2] = Ms(start);
    start = Clock::now();
    ResolveAmbiguitiesStage4();
    t[3] = Ms(start);
    start = Clock::now();
    ResolveAmbiguitiesStage5();
    t[4] = Ms(start);
    std::printf("%6d notes %6d nodes -> %6d live  stages (ms): %8.1f %8.1f %8.1f %8.1f %8.1f\n", notes, nodes,
                CountLiveGraphNodes(), t[0], t[1], t[2], t[3], t[4]);
    std::fflush(stdout);
  }
  FreeHandPage();
  FreeEngine();
  return 0;
}
