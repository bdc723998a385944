#include "playback/NoteSounding.h"

#include <algorithm>
#include <cmath>

#include "score/ScoreItem.h"

namespace {

constexpr int kMaxGap = 50;
constexpr double kStaccatoShare = 0.5;
constexpr double kStaccatissimoDivisor = 3.6;
constexpr double kUpBowDivisor = 1.23;

int Rounded(double ticks) { return static_cast<int>(std::lround(ticks)); }

}  // namespace

int NoteGapTicks(int length, uint8_t articulation, uint8_t markFlags, bool slurred) {
  if (markFlags & kMarkUpBow) return length - Rounded(length / kUpBowDivisor);
  if (articulation == kArticulationStaccato) return length - Rounded(length * kStaccatoShare);
  if (articulation == kArticulationStaccatissimo) return length - Rounded(length / kStaccatissimoDivisor);
  return std::min(kMaxGap, slurred ? length / 128 : length / 10);
}

int AccentIncrement(uint8_t markFlags) {
  struct Mark {
    uint8_t flag;
    int add;
  };
  static const Mark kMarks[] = {{kMarkAccent, 25}, {kMarkMarcato, 44},  {kMarkTenuto, 6},
                                {kMarkDownBow, 12}, {kMarkHarmonic, -6}, {kMarkPlus, 6}};
  int add = 0;
  for (const Mark& m : kMarks) {
    if (markFlags & m.flag) add += m.add;
  }
  return add;
}

int AccidentalStep(uint8_t accidental, int fromKey) {
  switch (accidental) {
    case kAccidentalNatural: return 0;
    case kAccidentalSharp: case kAccidentalNaturalSharp: return 1;
    case kAccidentalFlat: case kAccidentalNaturalFlat: return -1;
    case kAccidentalDoubleSharp: return 2;
    case kAccidentalDoubleFlat: return -2;
    default: return fromKey;
  }
}
