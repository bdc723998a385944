#include "benchmarks/BeamedPage.h"

#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/StaffFixture.h"

namespace {

constexpr int32_t kSpace = 20;
constexpr int32_t kStaffPitch = 10 * kSpace;
constexpr int32_t kNotePitch = 2 * kSpace;

void Paint(int32_t y0, int32_t x0, int32_t y1, int32_t x1) {
  for (int32_t y = y0; y < y1; ++y)
    for (int32_t x = x0; x < x1; ++x) SetPagePixel(y, x, 1);
}

void AddStem(int32_t top, int32_t bottom, int32_t x, int32_t cost) {
  const int32_t stem = AddFoundVerticalLine({top, x, bottom, x, 2 * 1024, cost, 0});
  AddObjectPoint(kPointStemTop, stem, top, x);
  AddObjectPoint(kPointStemBottom, stem, bottom, x);
}

}  // namespace

void MakeBeamedPage(int32_t notes, int32_t width, bool secondStems) {
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
    if (secondStems && n % 4 == 0) AddStem(y, stemBottom - kSpace, x + 3, 1200);
    if (n % 2 == 1) {
      const int32_t left = x - kNotePitch;
      Paint(stemBottom - 5, left, stemBottom + 5, x + 4);
      const int32_t beam = AddFoundBeam({left, x + 4, stemBottom, stemBottom, 10 * 1024, 300, 0});
      AddObjectPoint(kPointBeamLeft, beam, stemBottom, left);
      AddObjectPoint(kPointBeamRight, beam, stemBottom, x + 3);
    }
  }
}
