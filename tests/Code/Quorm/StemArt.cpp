// Drawing helpers for the vertical-line tests.
#include "tests/Code/Quorm/StemArt.h"

#include <cmath>

#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Lnheadpt.h"

namespace {

double HalfWidth(double staffSpace) { return 0.65 * staffSpace; }

}  // namespace

void DrawHead(SynthPage& page, double y, double cx, double staffSpace) {
  page.FillEllipse(y, cx, 0.5 * staffSpace, HalfWidth(staffSpace));
}

PaintedStem DrawNote(SynthPage& page, double y, double cx, double staffSpace, int stemWidth, int length, bool up) {
  DrawHead(page, y, cx, staffSpace);
  const int row = static_cast<int>(std::lround(y));
  PaintedStem stem;
  stem.width = stemWidth;
  if (up) {
    stem.x = static_cast<int>(std::lround(cx + HalfWidth(staffSpace))) - stemWidth;
    stem.top = row - length;
    stem.bottom = row;
  } else {
    stem.x = static_cast<int>(std::lround(cx - HalfWidth(staffSpace)));
    stem.top = row;
    stem.bottom = row + length;
  }
  page.FillRect(stem.top, stem.x, stem.bottom + 1, stem.x + stemWidth);
  return stem;
}

int AddTestHead(double y, double cx, double staffSpace, int staff) {
  FoundNotehead head{};
  head.leftX = static_cast<int>(std::lround(cx - HalfWidth(staffSpace)));
  head.rightX = static_cast<int>(std::lround(cx + HalfWidth(staffSpace)));
  head.centreY = static_cast<int>(std::lround(y));
  head.staff = staff;
  head.model = 0;
  const int index = AddFoundNotehead(head);
  AddObjectPoint(kPointHeadLeft, index, head.centreY, head.leftX);
  AddObjectPoint(kPointHeadRight, index, head.centreY, head.rightX);
  return index;
}
