// Small readers of score items shared by the walks of the MIDI writer.
#pragma once

#include <cstdint>
#include <string>

#include "playback/NavigationMarks.h"
#include "playback/PlayState.h"
#include "playback/PlayStretch.h"
#include "score/ScoreItem.h"

// Texts are cut to the rows of the writer's text table: 258 units with the end.
constexpr size_t kTextRowUnits = 258;

// Counts bars, systems and pages as a walk passes them.
struct PlaceCounter {
  PlayPlace place;
  // True when the item begins a new bar: a bar line, a system mark or a page mark.
  bool Step(const uint8_t* item) {
    if (KindOf(item) != kItemBarLine) return false;
    if (item[0] == kBarBoundary) {
      ++place.system;
      place.bar = 0;
      return true;
    }
    if (item[0] == kPageMark) {
      ++place.page;
      place.system = 0;
      place.bar = 0;
      return true;
    }
    if (IsBarLine(item)) {
      ++place.bar;
      return true;
    }
    return false;
  }
};

// Calls visit(item, length, offset) for each item of a part's stretch, in
// stream order; stops at an item that does not fit.
template <class Visitor>
void ForEachItem(const PlayStretch& stretch, int slot, Visitor&& visit) {
  const uint8_t* stream = stretch.stream[slot];
  if (!stream) return;
  uint32_t offset = stretch.start[slot];
  while (offset < stretch.end[slot]) {
    uint32_t length = 0;
    if (!ItemLengthWithin(stream + offset, stretch.end[slot] - offset, ScoreFormatVersion, &length)) return;
    visit(stream + offset, length, offset);
    offset += length;
  }
}

// The text of a text item, cut to a row of the text table.
std::u16string ItemTextOf(const uint8_t* item, uint32_t length);

// A coda bar item (code 9): a coda mark at the bar that begins behind it.
inline bool IsCodaBarItem(const uint8_t* item) { return IsBarLine(item) && BarCode(item) == 9; }

// Text items that are navigation marks (jump words and signs, coda words,
// volta brackets): true with the kind, text and a volta's bar count.
bool NavigationTextOf(const uint8_t* item, uint32_t length, NavKind* kind, std::u16string* text, int* count);

// Clef, key signature (not the ones playback leaves out) and time signature
// (not the hidden ones) change the state.
void ApplyStateItem(const uint8_t* item, PartPlayState* state);
