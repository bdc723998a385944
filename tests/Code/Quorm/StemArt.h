// Drawing helpers for the vertical-line tests, on top of the page
// synthesiser: noteheads with stems up or down, the heads also put into the
// head table with their anchor points as the notehead finder leaves them.
#pragma once

#include "tests/Code/Quorm/PageSynth.h"

// A painted stem: its columns x .. x + width - 1 and its rows top .. bottom.
struct PaintedStem {
  int x;
  int width;
  int top;
  int bottom;
};

// A filled head centred at (y, cx), 1.3 staff spaces wide and one high.
void DrawHead(SynthPage& page, double y, double cx, double staffSpace);
// A head with a stem of the length (pixels): up from the head's right side,
// or down from its left side.
PaintedStem DrawNote(SynthPage& page, double y, double cx, double staffSpace, int stemWidth, int length, bool up);

// Puts a head into the head table (model 0) with its two anchor points, as
// the notehead finder would; the object points must be initialised.
int AddTestHead(double y, double cx, double staffSpace, int staff);
