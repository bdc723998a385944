#include "stages/ClefPlacement.h"

#include <algorithm>
#include <cmath>

#include "score/ScoreItem.h"

namespace {

// Measured on the engravers' clefs (staff spaces): a G clef alone is 6.8 to
// 7.4 high and reaches 1.3 to 1.8 above the top line; its 8 adds about one
// space. An F clef's middle is half a space below the line it marks (its 8
// lies outside its box). A C clef's middle is its line.
constexpr double kGClefOctaveHeight = 7.6;
constexpr double kGClefTop = -1.6;      // a treble clef's top
constexpr double kGClefBottom = 5.5;    // and its bottom
constexpr double kFrenchShift = 0.55;   // a G clef this far down is on the bottom line

// Clef symbol types: the clef code + 1.
constexpr int16_t kFrench = 1, kSoprano = 3, kMezzo = 4, kAlto = 5, kTenor = 6, kBaritone = 7, kTreble = 2,
                  kBass = 8;

}  // namespace

ClefPlacement PlaceClef(int shape, double top, double bottom, bool inkBelow, bool inkAbove) {
  const double height = bottom - top;
  if (shape == 0) {
    if (height > kGClefOctaveHeight) {
      // The 8 lies on the side the box reaches further beyond a treble clef.
      const bool down = bottom - kGClefBottom > kGClefTop - top;
      return {kTreble, static_cast<uint8_t>(down ? kOctaveDown : kOctaveUp)};
    }
    const double shift = (top - kGClefTop + bottom - kGClefBottom) / 2;
    return {shift > kFrenchShift ? kFrench : kTreble, kOctaveNone};
  }
  if (shape == 1) {
    const uint8_t octave = inkBelow ? kOctaveDown : inkAbove ? kOctaveUp : kOctaveNone;
    const double middle = (top + bottom) / 2;
    // The marked line, in spaces below the top line: 1 for the bass clef,
    // 2 for the baritone; a sub-bass clef (0) has no clef of its own here.
    const int line = static_cast<int>(std::lround(middle - 0.5));
    return {line >= 2 ? kBaritone : kBass, octave};
  }
  // C clefs: the middle's line, 0 (the top line) to 4.
  const int line = std::clamp(static_cast<int>(std::lround((top + bottom) / 2)), 0, 4);
  static const int16_t kByLine[5] = {kBaritone, kTenor, kAlto, kMezzo, kSoprano};
  return {kByLine[line], kOctaveNone};
}
