// Drawing helpers for the ledger-line and beam tests, on top of the page
// synthesiser: ledger lines beside a staff, and beamed groups of stems.
#pragma once

#include <vector>

#include "tests/Code/Quorm/PageSynth.h"

// A painted ledger line: its centre row at the middle column, its columns
// (right excluded) and its staff step.
struct PaintedLedger {
  double row;
  int left;
  int right;
  int step;
};

// count ledger lines on one side (-1 above, +1 below) of a five-line staff,
// centred on column x, width times the staff space wide, with a head on the
// outermost one when head is set. Returns the lines, innermost first.
std::vector<PaintedLedger> DrawLedgerLines(SynthPage& page, const StaffPainter& painter, int staff, int side, int count,
                                           int x, double width = 1.8, bool head = true);

// A painted beam: its centre line from (x0, y0) to (x1, y1), columns x0..x1-1.
struct PaintedBeam {
  int x0;
  double y0;
  int x1;
  double y1;
  int thickness;
};

// A beamed group: depth beams (the first one at the stem ends, the others a
// beam and a half apart, towards the heads) from column x0 to x1 with their
// top edge at y0 on the left and y1 on the right, stems of the line thickness
// at both ends and every spacing columns, reaching length pixels below the
// beam (heads there when heads is set). Returns the beams, outermost first.
std::vector<PaintedBeam> DrawBeamedGroup(SynthPage& page, int x0, double y0, int x1, double y1, int thickness,
                                         int depth, double staffSpace, int stemWidth, bool heads);
