// Grey and 1-bit music pages made in memory: five-line staves, bar lines and
// noteheads, optionally turned by an angle, laid on their side, made
// negative or printed on dotted paper.
#pragma once

#include <vector>

#include "reading/PageImage.h"

struct SyntheticPage {
  int width = 0;
  int height = 0;
  int resolution = 300;
  double angle = 0.0;       // degrees, the content turned about the centre
  bool onSide = false;      // the finished page turned a quarter (width and height swap)
  bool negative = false;
  bool dotted = false;      // a dot screen of one-pixel dots, 2 x resolution / 100 apart
  int paper = 230;
  int ink = 30;
};

struct SyntheticStave {
  int left, right, top;
  int spacing;      // line to line
  int thickness;
};

// An A4 page at the resolution.
SyntheticPage A4Page(int resolution);
// A page of width x height pixels at 300 dpi.
SyntheticPage SizedPage(int width, int height);
// The staves of the upright content.
std::vector<SyntheticStave> StavesOf(const SyntheticPage& page);
OwnedPageImage MakeGreyPage(const SyntheticPage& page);
// The grey page with ink where it is below 128.
OwnedPageImage MakeOneBitPage(const SyntheticPage& page);
// Ink pixels in a rectangle of a 1-bit page.
long CountInk(const PageImage& image, int left, int top, int right, int bottom);
