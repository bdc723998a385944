// Drawing of the curved and wedge-like marks for the finder tests: slurs
// and ties, hairpin wedges and tuplet brackets, on synthesised pages; and a
// connected-component record cut from a page region.
#pragma once

#include <cstdint>
#include <vector>

#include "Code/Quorm/concmpts.h"
#include "tests/Code/Quorm/PageSynth.h"

// A slur from (y0, x0) to (y1, x1) whose middle lies bulge pixels off the
// chord (negative: above it), stroked with a round pen whose thickness
// grows from endThickness at the tips to middleThickness at the middle.
// An S-shaped stroke (wave = true) swings off the chord by bulge one way
// in its first half and the other way in its second.
struct SynthSlur {
  double x0, y0, x1, y1;
  double bulge;
  double endThickness;
  double middleThickness;
  bool wave = false;
};
void DrawSlur(SynthPage& page, const SynthSlur& slur);
// Middle of the stroke at column x (between x0 and x1).
double SlurMiddleY(const SynthSlur& slur, double x);

// A wedge from its apex at (apexY, apexX) to its wide end at column wideX
// (left or right of the apex), opening half-height pixels above and below.
void DrawWedge(SynthPage& page, double apexY, int apexX, int wideX, double halfHeight, double thickness);

// A tuplet bracket: a straight line from (y, x0) to (y, x1 - 1) with hooks
// of hookLength at the chosen ends, pointing down or up.
struct SynthBracket {
  int x0, x1;
  double y;
  double hookLength;
  int thickness;
  bool hooksDown = true;
  bool leftHook = true;
  bool rightHook = true;
  double waveAmplitude = 0;  // a wavy line of this amplitude instead of a straight one
  double wavePeriod = 1;
};
void DrawBracket(SynthPage& page, const SynthBracket& bracket);

// The ink of a page region (half-open) as a trimmed component record; the
// bits live in the given vector.
ConnectedComponent ComponentOfRegion(const SynthPage& page, int y0, int x0, int y1, int x1,
                                     std::vector<uint32_t>* bits);

// Frees the engine, loads the page, runs the staff stage and then the whole
// page reading (factor 1); returns the page reading's result, or -1 when
// the page did not load. *staffResult gets the staff stage's result.
int ReadSynthPage(const SynthPage& page, int* staffResult = nullptr);

// A staff of five lines of the given spacing on the page.
SynthStaff CurveTestStaff(double top, int left, int right, int spacing);
