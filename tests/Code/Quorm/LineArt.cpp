#include "tests/Code/Quorm/LineArt.h"

#include <algorithm>
#include <cmath>

std::vector<PaintedLedger> DrawLedgerLines(SynthPage& page, const StaffPainter& painter, int staff, int side,
                                           int count, int x, double width, bool head) {
  const SynthStaff& s = painter.staff(staff);
  const int half = static_cast<int>(std::lround(width * s.spacing / 2));
  std::vector<PaintedLedger> lines;
  int outermost = 0;
  for (int n = 1; n <= count; ++n) {
    // Steps from the top line: the lines above lie at -2n, those below at 8 + 2n
    // (the staff's own numbering puts the top line at -4).
    outermost = side < 0 ? -2 * n : 8 + 2 * n;
    for (int c = x - half; c < x + half; ++c) {
      const int y0 = static_cast<int>(std::lround(painter.StepY(staff, outermost, c) - (s.thickness - 1) / 2.0));
      page.FillRect(y0, c, y0 + s.thickness, c + 1);
    }
    lines.push_back({painter.StepY(staff, outermost, x), x - half, x + half, side * (2 * n + 4)});
  }
  if (head && count > 0) page.FillEllipse(painter.StepY(staff, outermost, x), x, s.spacing * 0.5, s.spacing * 0.65);
  return lines;
}

std::vector<PaintedBeam> DrawBeamedGroup(SynthPage& page, int x0, double y0, int x1, double y1, int thickness,
                                         int depth, double staffSpace, int stemWidth, bool heads) {
  std::vector<PaintedBeam> beams;
  const double pitch = 1.5 * thickness;
  for (int k = 0; k < depth; ++k) {
    const double dy = k * pitch;
    DrawBeam(page, x0, y0 + dy, x1, y1 + dy, thickness);
    beams.push_back({x0, y0 + dy + (thickness - 1) / 2.0, x1, y1 + dy + (thickness - 1) / 2.0, thickness});
  }
  const double length = 3.5 * staffSpace;
  const int spacing = static_cast<int>(std::lround(2.5 * staffSpace));
  std::vector<int> stems;
  for (int x = x0; x + stemWidth < x1; x += spacing) stems.push_back(x);
  stems.push_back(x1 - stemWidth);
  for (int x : stems) {
    const double t = x1 - 1 > x0 ? static_cast<double>(x - x0) / (x1 - 1 - x0) : 0.0;
    const int top = static_cast<int>(std::lround(y0 + (y1 - y0) * t));
    const int bottom = static_cast<int>(std::lround(top + length));
    page.FillRect(top, x, bottom, x + stemWidth);
    if (heads) page.FillEllipse(bottom, x - 0.6 * staffSpace, 0.5 * staffSpace, 0.65 * staffSpace);
  }
  return beams;
}
