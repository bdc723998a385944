// The tempo changes of the stretch on the expanded timeline: gathered from
// the tempo texts of every part as each part is played, with repeats.
#pragma once

#include <cstdint>
#include <vector>

#include "playback/NavigationMarks.h"
#include "playback/PlayState.h"
#include "playback/PlayStretch.h"

struct TempoChange {
  uint32_t time;
  int beatsPerMinute;  // resolved: a change in per cent already applied
};

class TempoList {
 public:
  // startTempo: the tempo in force at the start of the stretch.
  void Gather(const PlayStretch& stretch, const PartPlayState* states, NavigationTable* marks, int startTempo);
  const std::vector<TempoChange>& Changes() const { return changes_; }
  int StartTempo() const { return startTempo_; }
  // The tempo in force at a time.
  int At(uint32_t time) const;

 private:
  int startTempo_ = kDefaultTempo;
  std::vector<TempoChange> changes_;
};

// The beats per minute or per cent that a tempo text gives: 1 with the
// number and whether it is a change in per cent, else 0.
int ReadTempoText(const char16_t* text, int* number, bool* percent);
