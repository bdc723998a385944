// Which clef a found clef shape is, from where it stands on its five-line
// stave: the line a C or an F clef marks, a G clef on the bottom line (the
// French clef), and the small 8 above or below a G or an F clef, which makes
// the G clef's box taller than the clef alone (an F clef's 8 lies outside the
// box the engine finds: its octave is given when the caller has seen it).
#pragma once

#include <cstdint>

struct ClefPlacement {
  int16_t type;    // clef symbol type (1 French .. 8 bass, the clef code + 1)
  uint8_t octave;  // OctaveShift code of the clef item (none, down, up)
};

// shape: the engine's clef shape (0 G, 1 F, 2 C). top and bottom: the
// shape's box in staff spaces below the stave's top line. inkBelow and
// inkAbove: an 8 seen under or over an F clef.
ClefPlacement PlaceClef(int shape, double top, double bottom, bool inkBelow = false, bool inkAbove = false);
