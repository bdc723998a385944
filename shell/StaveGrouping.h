// Which neighbouring staves of a page form one system: decided by the ink
// at their left ends (a bracket or barline drawn across the gap joins
// them), or by the user joining and splitting them by hand.
#pragma once

#include "reading/PageImage.h"
#include "score/StaveTypes.h"

// Whether ink at the left end of the stave below (at x = left) fills at
// least 90 per cent of the rows strictly between yAbove and yBelow, in the
// whole bytes from left - dpi / 8 to left + dpi / 8. An empty gap never
// joins.
bool InkJoinsGap(const PageImage& image, int left, int yAbove, int yBelow, int dpi);

// Decides stave i's system from the ink of the gaps above and below it:
// split from a neighbour whose gap holds no bracket, joined to one whose gap
// does; then the systems are numbered 0, 1, 2, ... in stave order. True when
// a system number changed.
bool RegroupStave(StaveRecord* staves, int count, int i, const PageImage& image, int dpi);

// Alt+click on the neighbour of the selected stave: the two staves a and b
// (indexes differing by one) are split into two systems when they share one,
// joined into one otherwise. False when they are not neighbours.
bool JoinOrSplitSystems(StaveRecord* staves, int count, int a, int b);

// Numbers the systems 0, 1, 2, ... in stave order, keeping which staves
// share one.
void RenumberSystems(StaveRecord* staves, int count);
