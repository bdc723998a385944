// The part names written at the left of the staves of the score view: laid
// out from the painter's page staff list (kept for the editor's hit tests)
// and drawn at the end of a paint.
#pragma once

#include <cstdint>

constexpr int kStaveLabelUnits = 64;

struct StaveLabelRect {
  int32_t left, top, right, bottom;  // device pixels
};

const StaveLabelRect* StaveLabelRectAt(int stave);
const char16_t* StaveLabelTextAt(int stave);
int StaveLabelCount();

// Lays out a label for every stave of the page staff list; 1.
int LayoutStaveNameLabels();
// One label: stave is an index of the page staff list; y 0 places it at its
// stave, any other y is a multi-staff part's label placed by its brace.
void DrawStaveNameLabel(int colour, int fontKind, int stave, int32_t y);
// Every label of the painted staff rows; 1.
int DrawStaveNameLabels(int fontKind);
