// The windows that the symbol stages cut from a page for the shape
// classifier, and the same windows cut from training pages: one set of rules,
// so that a trained sample looks at a symbol exactly as a stage does.
//
//  - Big symbols (8 x 16 grid): per band of a stave, windows W or W + SU wide
//    and H or H + SU high (W = round(2S), H = trunc(2S)), their top half a
//    space below the band's stave position, stave lines included. A symbol
//    taller than one window is matched piece by piece, one piece per band.
//  - Accidentals and key-signature accidentals (8 x 8 grid): boxes (x, y, u, s)
//    with u = s = the rounded stave space (times 0.6 for an uncertain note).
//  - Noteheads (8 x 8 density grid): the head window x .. x + W, W the
//    expected head width, over the rows the head's ink covers.
//
// Stave steps count half spaces downwards, the top line at step 4.
#pragma once

#include <cstdint>

#include "reading/StaveGeometry.h"
#include "score/StaveTypes.h"

struct ShapeWindow {
  int32_t x = 0, y = 0, width = 0, height = 0;
  bool operator==(const ShapeWindow& o) const {
    return x == o.x && y == o.y && width == o.width && height == o.height;
  }
};

// ---- Big symbols ----

struct BigSymbolSizes {
  int32_t width;       // W = round(2S)
  int32_t height;      // H = trunc(2S)
  int32_t wideWidth;   // W + SU
  int32_t tallHeight;  // H + SU
};
BigSymbolSizes BigSymbolWindowSizes(double spacing, int32_t staveUnit);

constexpr int kMaxBigSymbolBands = 16;
// The bands (stave steps) a stave of this kind and line count is scanned in:
// kind 0: 0, 2 ... 2n + 2; kind 1: 4, 6 ... 2n - 2; kind 2: 2, 4 ... 4n + 6.
// Returns how many were written; 0 for a stave the step leaves alone.
int BigSymbolBands(int kind, int lineCount, int* bands);

// The window's top row for a band whose stave position lies at bandY: half a
// space lower (the stage then also tries one stave unit above and below).
int32_t BigSymbolWindowTop(int32_t bandY, double spacing);
// The same on a page's stave s at column x.
ShapeWindow BigSymbolWindow(const StaveRow* rows, int count, int s, int32_t x, int band, double spacing,
                            int32_t staveUnit, StavePage& page);

// The window of band b covers stave steps b + 1 .. b + 5. A symbol whose ink
// spans the steps top .. bottom (fractions allowed) is cut into pieces of
// whole windows, one piece every two bands, at most four; firstBand is the
// band of the first piece. Returns the number of pieces (1..4), 0 when the
// symbol lies outside the stave's bands.
constexpr int kMaxSymbolPieces = 4;
int BigSymbolPieces(double topStep, double bottomStep, const int* bands, int bandCount, int* pieceBands);

// ---- Accidentals (8 x 8 boxes) ----

// u = s = the rounded stave space times 0.6 for an uncertain note, else 1, rounded.
int32_t AccidentalBoxSide(int32_t roundedSpacing, bool uncertain);
// The box of an accidental whose left edge is x and whose note position (the
// line or space it stands for) lies at noteY: s high, centred on noteY.
ShapeWindow AccidentalBox(int32_t x, int32_t noteY, int32_t side);

// ---- Noteheads (8 x 8 density grid) ----

// The expected head width: trunc(0.8 S) before any head was measured
// (meanWidth 0), else trunc(max(SSU + min(mean, 1.25 S), 0.8 S)).
int32_t NoteheadWindowWidth(double spacing, int32_t smallStaveUnit, double meanWidth);
// The head's window: from its left edge, W wide, from the first to the last
// row of its ink.
ShapeWindow NoteheadWindow(int32_t left, int32_t inkTop, int32_t inkBottom, int32_t width);
