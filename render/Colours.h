// The drawing colours: the 64-entry colour table for the display in use, the
// 256-entry palette the painters copy into their 8-bit off-screen bitmaps,
// the sprite colour map, and the colour choices every painter makes.
#pragma once

#include <cstdint>

#include "render/DrawDevice.h"

constexpr int kColourTableSize = 64;
constexpr int kHighlightColour = 56;
constexpr int kSecondHighlightColour = 57;
constexpr int kBlackColour = 7;

struct RgbQuad {
  uint8_t blue, green, red, reserved;
};

extern render::Colour ColourTable[kColourTableSize];
extern RgbQuad SharedPalette[256];
extern uint8_t SpriteColourMap[16];

// The colour the display shows nearest to rgb: set by the device backend
// (a palette lookup on palette displays); the colour itself until then.
using NearestColourRule = render::Colour (*)(render::Colour rgb);
void SetNearestColourRule(NearestColourRule rule);
render::Colour NearestColour(render::Colour rgb);

// Fills ColourTable, SharedPalette and SpriteColourMap for a display.
void FillColourTables(const render::DisplayCaps& caps);

// n, except that while printing the two highlight colours print black.
int PrintableColourIndex(int n);
// Makes entry n the current drawing colour (16..19 as stored, the others
// through NearestColour), and sets the device to XOR drawing while the
// shell's XOR flag is set (SetXorDrawingFlag), else to copying.
void SelectDrawColour(int n);
void SelectPrintableColour(int n);
// The score's paper: colour 0, or the greyer paper of the shared palette's
// entry 1 (the scan strip's) while the strip is shown above the score.
render::Colour PaperColour(bool greyer);
void SetXorDrawingFlag(bool on);

// The "Shade unhighlighted music" setting and the whole-page view mode, as
// the views set them; unhighlighted music is shaded when the first is on and
// the second off.
void SetShadingState(bool shadeUnhighlighted, bool pageViewMode);
bool ShadingUnhighlighted();
// Colour 3 while unhighlighted music is shaded, else 7 (printable).
void SelectUnhighlightedColour();
