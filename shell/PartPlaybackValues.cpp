#include "shell/PartPlaybackValues.h"

std::array<int, kPlaybackPartSlots>& PartPlaybackValues() {
  static std::array<int, kPlaybackPartSlots> values{};
  return values;
}

void ResetPartPlaybackValues() { PartPlaybackValues().fill(kStartPlaybackValue); }
