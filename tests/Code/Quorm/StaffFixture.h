// Staff tables made by hand for the tests of the services that read them:
// a page image of the given size and staves with straight, level lines.
#pragma once

#include <cstdint>

struct HandStaff {
  int32_t system;
  int32_t top;      // y of the top line in pixels
  int32_t spacing;  // pixels between lines
  int32_t left;
  int32_t right;    // first column past the staff
  int32_t lines;
  int32_t joinedBelow;
};

// Loads a page (with a few vertical strokes so that it has segments) and
// empties the staff table. The page staff space is set to spacing x1024.
void LoadHandPage(int32_t width, int32_t height, int32_t spacing);
// Appends a staff row; rows of one system must be consecutive.
void AddHandStaff(const HandStaff& staff);
// Frees the staff table, the page, the page scale and the page description.
void FreeHandPage();
