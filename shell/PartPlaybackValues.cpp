#include "shell/PartPlaybackValues.h"

std::array<int, kPartSlots>& PartPlaybackValues() {
  static std::array<int, kPartSlots> values{};
  return values;
}

void ResetPartPlaybackValues() { PartPlaybackValues().fill(kStartPlaybackValue); }
