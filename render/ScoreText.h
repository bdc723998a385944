// Formatted score text: wide strings with inline style codes (13/14 bold
// on/off, 15/16 italic, 17/18 underline, 4 an embedded crotchet), drawn run by
// run in the text font kinds of the score and measured as they are drawn.
#pragma once

#include <cstdint>

constexpr int kTextFontKinds = 33;
constexpr int kTextFontCacheKinds = 64;

struct TextFontDetails {
  const char16_t* face;  // null for kinds above the table
  int width;
  int size;
  int style;  // 1 bold, 2 italic, 4 underline
};
TextFontDetails GetTextFontDetails(int kind);

// Draws the text and returns its width in device pixels; a null text resets
// the font cache (-1); 0 while LayoutOnlyFlag is set. y is world y (upward)
// with world placement, else a device y.
int32_t DrawFormattedText(double x, double y, const char16_t* text, int colour, int kind, bool worldPlacement,
                          bool alignRight, bool zoomScaling);
// The width DrawFormattedText gives for the text, measured without drawing
// (also while LayoutOnlyFlag is set); 0 without a device.
int32_t MeasureFormattedText(const char16_t* text, int kind, bool zoomScaling);
// One run in one style; its width in device pixels + 4. A null run resets.
int32_t DrawTextRun(double x, double y, const char16_t* run, int colour, int kind, bool bold, bool italic,
                    bool underline, bool worldPlacement, bool alignRight, bool zoomScaling);
void BuildGlyphColourMap(int colour, uint8_t map[8], bool forceFirst, const uint8_t* source);
// The colour map handed to the glyph drawer for the embedded notehead.
const uint8_t* GlyphColourMap();
