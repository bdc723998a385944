// The small drawing routines the score page painter hands its symbols to:
// lines in world units, clef layout and octave marks, time-signature digits,
// articulation glyphs, accidental widths, slur and tie curves, beams (the
// beam line fit and the beam group drawer) and tuplet numbers. Everything
// draws nothing while LayoutOnlyFlag is set; the measuring parts still work.
#pragma once

#include <cstdint>
#include <string>

#include "render/DrawingState.h"

bool IsDrawingEnabled();
void DrawLineTo(double x0, double y0, double x1, double y1, double width);
void DrawLineBy(double x, double y, double dx, double dy, double width);
void DrawDottedLineBy(double x, double y, double dx, double dy, double width);
void FillRectInt(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// x moved to the nearest device pixel of the score pane (its scale and page
// x offset), so thin strokes fall on whole pixels.
double SnapXToDevice(double x);
// The colour of a staff's lines and marks: for a tablature part while the
// tab rhythm is not printed colour A and value A, otherwise colour B and
// value B; selects the colour (printable) and returns it.
int SelectStaffColour(int part, bool printTabRhythm, int colourA, int colourB, int32_t valueA, int32_t valueB,
                      int32_t* value);

// ---- Bar numbers ----
// The number of the bar that the item at offset of part's stream stands in,
// counted from the score's start: the bar-line items before it + 1. A
// start-repeat line counts only after a chord, a rest or another bar line of
// its staff (one that opens a staff ends no bar); a staff of the part with
// no bar line takes the bar lines of the same staff of another part that has
// music there. On the first score page the walk also ends at the bar line
// that stands where the page's bar count puts the offset, giving the count.
int32_t CountBarLineItems(int part, uint32_t offset);

// ---- Clefs ----
struct ClefLayout {
  const char* glyph;
  double aboveX, aboveY;  // where an octave mark above the clef goes (distances below the page top)
  double belowX, belowY;
  int standardLine;       // 1 = the top line
  int lineOffset;         // the clef's shift against its standard line (negative: lower)
};
// Codes 0..7 (and anything from 8 up, drawn as the treble glyph); y is the
// staff's top line, bottomY its bottom line, both as distances below the top.
ClefLayout GetClefLayout(int code, double x, double y, double bottomY, int32_t unit, bool small);
// The distance below the page top of the line a clef of this layout stands on.
double ClefLineY(const ClefLayout& layout, double top, double spacing);
// Draws the octave mark (1 "8" below, 2 "8" above, 3 "15" below, 4 "15" above);
// the extra room it takes above and below.
void DrawClefOctaveMark(int code, const ClefLayout& layout, bool small, double& roomAbove, double& roomBelow);

// ---- Time signatures ----
void DrawTimeSignatureNumber(int32_t x, int32_t y, int number);

// ---- Articulations ----
// Codes above 255 name one glyph by code >> 8 (5 staccato dot, 6
// staccatissimo, 1 fermata); codes up to 255 are the chord mark bits.
void DrawArticulationCode(int code, double x, double y, bool below);

// ---- Accidentals ----
int32_t AccidentalWidth(int code);
extern const char* const kAccidentalGlyphs[8];

// ---- Curves ----
// One slur or tie curve: shape ratio r and arch code a (bit 7: arches up),
// y in world units (upward). Returns the lowest and highest y.
void DrawCurveArc(int ratio, int arch, double x0, double x1, double y0, double y1, double& lowY, double& highY);

// ---- Beams ----
struct BeamLine {
  double slope = 0;
  double intercept = 0;
  bool slopeChanged = false;
};
BeamLine FitBeamLine(const double* x, const double* y, int count, bool mixedDirections);
void DrawBeamQuad(double x0, double y0, double x1, double y1, double thickness);

constexpr int kBeamGroupCapacity = 1024;
constexpr int kDeferredMarkCapacity = 256;
struct BeamGroup {
  double stemX[kBeamGroupCapacity];
  double stemEndY[kBeamGroupCapacity];  // world y (upward)
  int32_t beams[kBeamGroupCapacity];
  int32_t down[kBeamGroupCapacity];
  int32_t colour[kBeamGroupCapacity];
  int32_t hidden[kBeamGroupCapacity];
  int32_t count = 0;
  int32_t markX[kDeferredMarkCapacity];
  int32_t markY[kDeferredMarkCapacity];
  int32_t markCode[kDeferredMarkCapacity];
  int32_t markCount = 0;
  bool stubsRight = true;
};
// Fits the beam line, draws the stems up to it, the full and partial beams
// and the deferred articulations, and empties the group.
void DrawBeamGroup(BeamGroup& group, int beamColour);

// ---- Tuplets ----
// The tuplet's text (FormatTupletNumber of the rhythm rules): notatedLength
// is the time the mark spans, referenceLength the written length of its
// notes; empty for counts below 2 (no mark).
std::u16string TupletMarkText(int32_t count, int32_t notatedLength, int32_t referenceLength);
struct TupletMark {
  int32_t number;           // bits 0-6 the count, bit 7 a bracket
  int32_t notatedLength;
  int32_t referenceLength;
  double firstX, lastX;
  double staffTop, spacing;  // distances below the page top
  int colour;
  // From the mark's own box on the page: its side of the notes and the
  // number's baseline (a distance below the page top).
  bool fromBox = false;
  bool boxBelow = false;
  double boxBaseline = 0;
  // "Show attachment": a dotted line joins a highlighted mark to the staff.
  bool attachment = false;
};
// Draws the number (and bracket) of a finished tuplet of voice; nothing for
// counts below 2.
void DrawTupletMark(const TupletMark& mark, int voice);
