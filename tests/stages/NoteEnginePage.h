// Engine pages made by hand for the note stages' tests: staffs of the
// engine's staff table with the matching stave rows, heads and note groups
// put straight into the engine's page description.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "score/StaveTypes.h"

struct HandNote {
  int32_t type = 3;    // engine note type: 3 solid head, 0..2 longer, 4 grace, 5.. rests
  int32_t step = 0;    // engine staff step
  int32_t x = 0;       // centre x
  int32_t accidental = 0;
  int32_t cost = 0;    // the head's raw cost
  bool small = false;  // found by a small-head (cue-size) model
  int32_t width = 16;  // of the head's box, in pixels
};

struct HandGroup {
  std::vector<HandNote> notes;
  int32_t stemX = -1;  // none
  int32_t stemEndY = 0;  // page y of the stem's far end
  bool up = true;
  int32_t dots = 0, flags = 0, leftBeams = 0, rightBeams = 0;
};

class NoteEnginePage {
 public:
  NoteEnginePage();
  ~NoteEnginePage();
  // A staff of the engine and its stave row (kind 2 for one to three lines).
  // Staves of one system must be added together; returns the row index.
  int AddStave(int32_t system, int32_t top, int32_t spacing, int32_t lines);
  // Starts the page description once every stave is there.
  void Describe();
  // One time slot of the row's staff holding the groups.
  void AddSlot(int row, std::initializer_list<HandGroup> groups);
  // The head's centre y for an engine step on the row's staff.
  int32_t StepY(int row, int32_t step) const;

  std::vector<StaveRow> rows;

 private:
  std::vector<int32_t> spacing_;
};
