#include "tests/Code/Quorm/BarLineArt.h"

#include <algorithm>
#include <cmath>

#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/findbarl.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"

BarWidths BarWidthsFor(double spacing) {
  BarWidths w;
  w.thin = std::max(2, static_cast<int>(std::lround(spacing * 0.16)));
  w.thick = std::max(w.thin + 3, static_cast<int>(std::lround(spacing * 0.5)));
  w.gap = std::max(4, static_cast<int>(std::lround(spacing * 0.4)));
  return w;
}

std::vector<PaintedStroke> PaintBar(StaffPainter& painter, int firstStaff, int lastStaff, int x,
                                    const std::vector<int>& widths, int gap) {
  std::vector<PaintedStroke> strokes;
  for (int width : widths) {
    painter.BarLine(firstStaff, lastStaff, x, width);
    strokes.push_back({x, width});
    x += width + gap;
  }
  return strokes;
}

void PaintRepeatDots(SynthPage& page, const StaffPainter& painter, int firstStaff, int lastStaff, int x) {
  for (int staff = firstStaff; staff <= lastStaff; ++staff) {
    const double r = painter.staff(staff).spacing * 0.25;
    for (int step : {3, 5}) page.FillEllipse(painter.StepY(staff, step, x), x, r, r);
  }
}

void PaintNoteWithStem(SynthPage& page, StaffPainter& painter, int staff, int step, int x, double length, bool up) {
  painter.NoteHead(staff, step, x);
  const double spacing = painter.staff(staff).spacing;
  const double y = painter.StepY(staff, step, x);
  const int thickness = std::max(2, static_cast<int>(std::lround(spacing * 0.12)));
  const int rx = static_cast<int>(std::lround(spacing * 0.65));
  if (up)
    page.FillRect(static_cast<int>(std::lround(y - length * spacing)), x + rx - thickness, static_cast<int>(y),
                  x + rx);
  else
    page.FillRect(static_cast<int>(y), x - rx, static_cast<int>(std::lround(y + length * spacing)),
                  x - rx + thickness);
}

int RunBarLineFinderOn(const SynthPage& page) {
  const int result = RunStaffStageOn(page);
  if (result != 0) return result;
  MeasurePageSkew();
  InitialiseObjectPoints();
  FindBarLines();
  return 0;
}
