// Runs the engine's staff stages on synthesised pages for the staff tests.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/Code/Quorm/PageSynth.h"

// Frees the engine, loads the page and runs the finder's staff stage with
// six-line staves on; returns the stage result.
int RunStaffStageOn(const SynthPage& page, std::vector<unsigned>* progress = nullptr);

// Stave hints as the reading pipeline passes them: rows of 24 words and six
// rows of 1024 line values per staff.
struct StaffHints {
  std::vector<int16_t> rows;
  std::vector<int16_t> lines;
  int count = 0;
  // A hint that follows a painted staff exactly.
  void AddFromPainter(const StaffPainter& painter, int staff, int group);
  // A hint of straight lines: lineYs relative to yOffset.
  void Add(int left, int right, int yOffset, const std::vector<int>& lineYs, int group);
};

int RunHintedStageOn(const SynthPage& page, const StaffHints& hints);

// Greatest distance in pixels between a found line and the painted one over
// the columns of the painted staff that the found staff covers.
double LineError(const StaffPainter& painter, int painted, int found);
