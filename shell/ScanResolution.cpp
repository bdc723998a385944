#include "shell/ScanResolution.h"

namespace {
constexpr int kLowest = 150, kHighest = 600, kDefault = 300, kNear = 5;
constexpr int kPresets[] = {400, 300, 200};
}  // namespace

int StartingResolution(int pageResolution) { return pageResolution < kLowest ? kDefault : pageResolution; }

int NearPresetResolution(int resolution) {
  for (int preset : kPresets) {
    const int distance = resolution > preset ? resolution - preset : preset - resolution;
    if (distance <= kNear) return preset;
  }
  return 0;
}

bool ResolutionTaken(int resolution, bool lowResolutionAllowed) {
  return resolution >= (lowResolutionAllowed ? 1 : kLowest) && resolution <= kHighest;
}
