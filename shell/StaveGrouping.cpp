#include "shell/StaveGrouping.h"

#include <algorithm>
#include <cstdlib>

namespace {

void AddToSystemsFrom(StaveRecord* staves, int count, int from, int amount) {
  for (int s = from; s < count; ++s) staves[s].group = static_cast<int16_t>(staves[s].group + amount);
}

// Splits or joins stave j from stave j - 1 as the ink between them says.
bool FollowInk(StaveRecord* staves, int count, int j, bool joined) {
  const bool same = staves[j].group == staves[j - 1].group;
  if (!joined && same) {
    AddToSystemsFrom(staves, count, j, 1);
    return true;
  }
  if (joined && staves[j - 1].group < staves[j].group) {
    AddToSystemsFrom(staves, count, j, -1);
    return true;
  }
  return false;
}

}  // namespace

bool InkJoinsGap(const PageImage& image, int left, int yAbove, int yBelow, int dpi) {
  if (!image.rows || image.bitsPerPixel != 1 || image.width <= 0) return false;
  const int first = std::max(yAbove + 1, 0), last = std::min(yBelow - 1, image.height - 1);
  const int rows = yBelow - yAbove - 1;
  if (rows <= 0 || last < first) return false;
  const int x0 = std::max(0, left - dpi / 8) & ~7;
  const int x1 = std::min(image.width - 1, left + dpi / 8);
  if (x1 < x0) return false;
  int inked = 0;
  for (int y = first; y <= last; ++y) {
    const uint8_t* row = image.Row(y);
    for (int b = x0 / 8; b <= x1 / 8; ++b) {
      if (row[b]) {
        ++inked;
        break;
      }
    }
  }
  return inked * 100 / rows > 89;
}

bool RegroupStave(StaveRecord* staves, int count, int i, const PageImage& image, int dpi) {
  if (i < 0 || i >= count) return false;
  bool changed = false;
  const int left = staves[i].left;
  if (i > 0) changed |= FollowInk(staves, count, i, InkJoinsGap(image, left, staves[i - 1].bottom, staves[i].top, dpi));
  if (i + 1 < count)
    changed |= FollowInk(staves, count, i + 1, InkJoinsGap(image, left, staves[i].bottom, staves[i + 1].top, dpi));
  int16_t before[kStaveSlots];
  for (int s = 0; s < count && s < kStaveSlots; ++s) before[s] = staves[s].group;
  RenumberSystems(staves, count);
  for (int s = 0; s < count && s < kStaveSlots; ++s) changed |= before[s] != staves[s].group;
  return changed;
}

bool JoinOrSplitSystems(StaveRecord* staves, int count, int a, int b) {
  if (a < 0 || b < 0 || a >= count || b >= count || std::abs(a - b) != 1) return false;
  const int j = std::max(a, b);
  AddToSystemsFrom(staves, count, j, staves[j].group == staves[j - 1].group ? 1 : -1);
  return true;
}

void RenumberSystems(StaveRecord* staves, int count) {
  int16_t number = 0, previous = 0;
  for (int s = 0; s < count; ++s) {
    const int16_t original = staves[s].group;
    if (s > 0 && original != previous) ++number;
    previous = original;
    staves[s].group = number;
  }
}
