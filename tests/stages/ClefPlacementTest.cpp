// Clef shapes placed on the stave by their boxes: the boxes are those the
// engine found on engraved pages (staff spaces below the top line); an F
// clef's 8 is ink outside its box.
#include <gtest/gtest.h>

#include "score/ScoreItem.h"
#include "stages/ClefPlacement.h"

namespace {

struct Case {
  const char* name;
  int shape;  // 0 G, 1 F, 2 C
  double top, bottom;
  bool inkBelow, inkAbove;  // a digit's ink under or over the shape
  int type;
  int octave;
};

TEST(ClefPlacementTest, TheBoxGivesTheLineAndTheOctave) {
  const Case cases[] = {
      {"treble, MuseScore Emmentaler", 0, -1.58, 5.56, false, false, 2, kOctaveNone},
      {"treble, Gonville", 0, -1.25, 5.60, false, false, 2, kOctaveNone},
      {"treble, LilyPond", 0, -1.72, 5.61, false, false, 2, kOctaveNone},
      {"treble with 8 below, Emmentaler", 0, -1.58, 6.66, false, false, 2, kOctaveDown},
      {"treble with 8 below, Bravura", 0, -1.34, 6.52, false, false, 2, kOctaveDown},
      {"treble with 8 below, LilyPond", 0, -1.72, 6.61, false, false, 2, kOctaveDown},
      {"treble with 8 above, Emmentaler", 0, -2.83, 5.56, false, false, 2, kOctaveUp},
      {"treble with 8 above, Gonville", 0, -2.25, 5.56, false, false, 2, kOctaveUp},
      {"French violin clef", 0, -0.67, 6.47, false, false, 1, kOctaveNone},
      {"bass", 1, 0.10, 2.97, false, false, 8, kOctaveNone},
      {"bass with 8 below", 1, 0.10, 2.92, true, false, 8, kOctaveDown},
      {"bass with 8 above", 1, 0.10, 2.97, false, true, 8, kOctaveUp},
      {"baritone F clef", 1, 1.10, 3.97, false, false, 7, kOctaveNone},
      {"alto", 2, 0.05, 3.93, false, false, 5, kOctaveNone},
      {"tenor", 2, -0.95, 2.93, false, false, 6, kOctaveNone},
      {"mezzo-soprano", 2, 1.05, 4.95, false, false, 4, kOctaveNone},
      {"soprano", 2, 2.06, 5.99, false, false, 3, kOctaveNone},
  };
  for (const Case& c : cases) {
    const ClefPlacement placed = PlaceClef(c.shape, c.top, c.bottom, c.inkBelow, c.inkAbove);
    EXPECT_EQ(placed.type, c.type) << c.name;
    EXPECT_EQ(placed.octave, c.octave) << c.name;
  }
}

}  // namespace
