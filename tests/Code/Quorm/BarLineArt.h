// Bar lines, repeat dots, stems and the like drawn on synthesised pages for
// the bar-line finder's tests, and the run of the finder after the staff stage.
#pragma once

#include <vector>

#include "tests/Code/Quorm/PageSynth.h"

// The strokes of one painted bar: left column and width of each, from left
// to right, at the bottom line of its last staff.
struct PaintedStroke {
  int x;
  int width;
};

// Proportions of engraved bar lines for a staff space: thin and thick strokes
// and the gap between the strokes of a double or final bar.
struct BarWidths {
  int thin;
  int thick;
  int gap;
};
BarWidths BarWidthsFor(double spacing);

// A bar of the given strokes from the top line of firstStaff down to the
// bottom line of lastStaff; strokes[0] starts at x.
std::vector<PaintedStroke> PaintBar(StaffPainter& painter, int firstStaff, int lastStaff, int x,
                                    const std::vector<int>& widths, int gap);
// Two repeat dots in the two middle spaces of every staff from firstStaff to
// lastStaff, centred at column x.
void PaintRepeatDots(SynthPage& page, const StaffPainter& painter, int firstStaff, int lastStaff, int x);
// A filled head on the step with a stem of the given length (in staff
// spaces) at its right side going up, or at its left side going down.
void PaintNoteWithStem(SynthPage& page, StaffPainter& painter, int staff, int step, int x, double length, bool up);

// Frees the engine, loads the page, runs the staff stage and then the page
// steps up to the bar lines (skew, object points, bar lines). Returns the
// staff stage's result; the finder runs only when it is 0.
int RunBarLineFinderOn(const SynthPage& page);
