#include "playback/PlayStretch.h"

#include <algorithm>

PlayStretch MakePlayStretch(const uint32_t* starts, const uint32_t* ends) {
  PlayStretch stretch;
  stretch.parts = std::min<int>(std::max<int>(PartCount, 0), kPartSlots);
  for (int slot = 0; slot < stretch.parts; ++slot) {
    const uint8_t* bytes = StreamBytes(ScoreStream, slot);
    uint32_t used = bytes ? std::min(ScoreStream.used[slot], StreamCapacity(ScoreStream, slot)) : 0;
    stretch.stream[slot] = bytes;
    stretch.end[slot] = ends ? std::min(ends[slot], used) : used;
    stretch.start[slot] = starts ? std::min(starts[slot], stretch.end[slot]) : 0;
  }
  return stretch;
}
