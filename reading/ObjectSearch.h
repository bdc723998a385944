// Does a box meet something the engine already recognised on a stave? The
// engine's page description is walked for the stave's system in a fixed
// order (notes and rests of the stave and, with the neighbour search on, of
// the staves above and below; then clefs, keys, bar lines and time
// signatures; then dynamics, words, repeat marks, pedal marks and
// ornaments) and the first object whose box overlaps gives its right edge.
#pragma once

#include <cstdint>

#include "score/StaveTypes.h"

// Mask bits: a set bit leaves the class out (kSearchGraceStemEnds adds one).
enum ObjectSearchMask : uint32_t {
  kSkipNoteheads = 0x0001,
  kSkipRests = 0x0002,
  kSkipClefs = 0x0004,
  kSkipKeySignatures = 0x0008,
  kSkipBarlines = 0x0010,
  kSkipTimeSignatures = 0x0020,
  kSkipDynamics = 0x0040,
  kSkipWords = 0x0100,
  kSkipRepeatMarks = 0x0200,
  kStopBeforePedalMarks = 0x0400,  // ends the search with -1 before pedal marks and ornaments
  kSkipEventBoxes = 0x0800,
  kSkipNoteParts = 0x1000,
  kSkipListedBoxes = 0x2000,
  kSearchGraceStemEnds = 0x4000,
};

// The user's choices for the search (the preferences set them).
struct ObjectSearchOptions {
  bool searchNeighbours = true;  // notes of the staves above and below that belong to this stave
  bool multiBarRests = false;    // multi-bar rests count among the rests
};
ObjectSearchOptions& CurrentObjectSearchOptions();

// While one lives on a thread, FindObjectNearBox on that thread reads the
// note events of each time slot once and keeps them: a stage that asks
// about many boxes holds one while the page description stays as it is.
class ObjectSearchCache {
 public:
  ObjectSearchCache();
  ~ObjectSearchCache();
  ObjectSearchCache(const ObjectSearchCache&) = delete;
  ObjectSearchCache& operator=(const ObjectSearchCache&) = delete;
  struct Slots;

 private:
  Slots* slots_;
  ObjectSearchCache* previous_;
};

// The right edge (0 when negative) of the first object overlapping the box
// (left < its right, right >= its left, top < its bottom, bottom >= its top);
// -1 when none; 0 when stave s's system or stave is not in the engine's page
// description. The tolerance widens grace-note stem ends.
int32_t FindObjectNearBox(const StaveRow* rows, int count, int s, int32_t left, int32_t top, int32_t right,
                          int32_t bottom, uint32_t mask, int32_t tolerance);
