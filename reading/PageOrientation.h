// Turning a page upright: the on-side test, quarter and half turns, the search
// for the page angle by a projection score over candidate angles, and the
// levelling that rotates the page by that angle into a 1-bit page.
#pragma once

#include "reading/PageImage.h"

// The test cell on dotted paper: c + max(1, c / 2) with c = resolution / 100,
// c / 2 counting from 2 up (300 dpi: 4, 600 dpi: 9).
int PatternCell(int resolution);

// 1 when the page lies on its side (its lines of ink run down, not across).
// cell is the test cell in pixels (1, or PatternCell on dotted paper).
int OnSideTest(const PageImage& image, int levels, int threshold, int cell, int resolution);

// Quarter turns of a 1-bit page: the new page is height wide and width high.
// Empty when memory is short.
OwnedPageImage TurnOnSideAnticlockwise(const PageImage& image);
OwnedPageImage TurnOnSideClockwise(const PageImage& image);
// Half a turn of a 1-bit page in place, pixel for pixel at any width.
void TurnUpsideDown(const PageImage& image);

// The page angle in degrees; 0.0 when memory is short (message 10024).
double FindPageAngle(const PageImage& image, int levels, int threshold, bool patternedPaper, int resolution);

constexpr int kAngleMemoSize = 7296;  // scores of -182.4 .. +182.35 degrees by 0.05
// The memo slot of an angle, -1 outside the memo.
int AngleMemoSlot(double degrees);

// The best angle of one pass over centre +- halfRange by step. Scores already
// in the memo are taken from it; the best score is written back. scored,
// when given, counts the angles scored now.
double ScanAngles(double centre, double halfRange, double step, double* memo, const PageImage& image, int levels,
                  int resolution, int* scored = nullptr);
double RotationScore(double cosA, double sinA, const PageImage& image, int lineCentre, int offsetCentre, bool onSide,
                     int levels, int resolution);
double LineProjection(double cosA, double sinA, int offset, bool* edge, const PageImage& image, int lineCentre,
                      bool onSide, int levels);

// The size of the page after levelling by angle degrees.
void LevelledSize(double degrees, int32_t width, int32_t height, int32_t* newWidth, int32_t* newHeight);
// A 1-bit page turned by angle degrees (bilinear, ink where the weight of ink
// is at least one half). Empty when memory is short or the angle is 0.0: the
// caller keeps the page as it is then.
OwnedPageImage LevelPage(double degrees, const PageImage& image);
// The same geometry for an 8-bit page; ink where the grey value is below the
// threshold. Always makes a new 1-bit page (empty only when memory is short).
OwnedPageImage LevelGreyPage(double degrees, const PageImage& grey, int threshold);
