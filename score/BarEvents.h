// One bar of one part as events: the chords and rests of the bar lifted out
// of the part stream into fixed records grouped by time position, with what
// the rhythm and voice work needs of each, and the voices' sums over them.
#pragma once

#include <cstdint>
#include <vector>

#include "score/Rhythm.h"
#include "score/StreamRewrite.h"

constexpr int kBarPositions = 256;
constexpr int kEventsPerPosition = 4;
constexpr uint16_t kDeletedVoice = 4;

// Event flags.
enum BarEventFlag : uint32_t {
  kEventChord = 0x1,          // clear: a rest
  kEventShortChord = 0x2,     // a chord of code 6 or less
  kEventSmallNotes = 0x4,     // b3 bit 7
  kEventNoTime = 0x8,         // a grace chord: left out of the sums
  kEventBeamContinues = 0x10, // beamed, code 4 or less, b4 bit 6 set and bit 7 clear
  kEventBeamedToNext = 0x20,  // code 4 or less, b4 bit 6 set
  kEventStemBit = 0x40,       // b4 bit 5
  kEventTextAttached = 0x80,
  kEventNewPosition = 0x100,  // b2 bit 2
  kEventHiddenRest = 0x200,   // b1 bit 5 of a rest
  kEventCue = 0x400,          // b1 bit 1 of a chord, b1 bit 4 of a single rest
};

// An item's box as the page's object boxes keep it.
struct EventBox {
  int16_t left = 0, right = 0, top = 0, bottom = 0;
};

struct BarEvent {
  uint16_t voice = 0;     // 0..3; kDeletedVoice: removed at write-back
  int32_t duration = 0;   // ticks; 0 for a bar rest
  uint16_t boxA = 0, boxB = 0;  // the box's top and bottom; 0 without boxes
  uint16_t code = 0;      // chords 0..8 and 15; rests 0..7, 8 a bar rest
  uint16_t dots = 0;
  uint32_t flags = 0;
  uint8_t lowPos = 32, highPos = 0;
  int8_t cross = 0;       // -1 from the stave above, +1 from the stave below
  uint32_t tupletTotal = 0;  // the tuplet's 14-bit sounding total (1/128 notes)
  uint32_t tupletEnd = 0;
  uint8_t tupletCount = 0;   // only on the first event after a tuplet item
  uint8_t tupletNormal = 0;  // one note's written length in 1/128 notes, less 1
  EventBox tupletBox;
  uint32_t tupletHigh = 0;   // bit 0: the tuplet's bracket bit
  uint8_t hintDigits[5] = {};
  EventBox hintBox;
  uint32_t hintState = 0;    // 3 on the first chord after a number hint, then 2

  bool Live() const { return voice < kDeletedVoice; }
};

// The events of one bar: slot k of position p is events[p * 4 + k].
struct BarEvents {
  std::vector<BarEvent> events = std::vector<BarEvent>(kBarPositions * kEventsPerPosition);
  uint32_t counts[kBarPositions] = {};
  int positions = 0;

  BarEvent& At(int position, int slot) { return events[position * kEventsPerPosition + slot]; }
  const BarEvent& At(int position, int slot) const { return events[position * kEventsPerPosition + slot]; }
};

// The page's object boxes as score building keeps them beside the page's
// streams: one row (left, right, top, bottom) per boxed item in stream order.
// Rows past count belong to no item; an item whose row would lie past the
// list goes unboxed.
struct ObjectBoxList {
  int16_t (*rows)[4] = nullptr;
  float* values = nullptr;  // may be null
  int32_t count = 0;
  int32_t capacity = 0;
};
// The row, or a zero box past the list.
EventBox ObjectBoxRow(const ObjectBoxList& list, int32_t row);
// Inserts a row at at (nothing past count or the room: false); a full list
// drops its last row.
bool InsertObjectBoxRow(ObjectBoxList* list, int32_t at, const EventBox& box, float value = 0.0f);
// Removes the row at at (nothing past count); later rows move up.
void RemoveObjectBoxRow(ObjectBoxList* list, int32_t at);
// Whether an item takes a row: every item but the structure marks (bar
// boundary, page mark, end of score).
inline bool ItemHasBoxRow(const uint8_t* item) { return !IsStructureMark(item); }

// Fills events from the items in [start, end) of one part stream. boxes
// (boxCount rows) are the page's object boxes and firstItemIndex the row of
// the range's first item, or -1 (no boxes: box fields 0); an item whose row
// lies past the list has none. A bar of more than 256 positions is cut; a
// fifth simultaneous event opens the next position.
void BuildBarEvents(const uint8_t* stream, uint32_t start, uint32_t end, BarEvents* out,
                    const EventBox* boxes = nullptr, int32_t boxCount = 0, int32_t firstItemIndex = -1,
                    uint8_t version = ScoreFormatVersion);

// The voices' lengths in ticks over the bar's positions, with tuplet spans
// scaled so that a complete span adds up to its sounding total exactly and
// voices aligned at each position (AlignVoiceTimes). maxEvents, when given,
// receives the largest number of events counted in one voice. 1 when any
// event lasts 1024 ticks or more.
// The same with the page's object box list; the running index counts the
// range's boxed items (ItemHasBoxRow).
void BuildBarEvents(const uint8_t* stream, uint32_t start, uint32_t end, BarEvents* out, const ObjectBoxList* boxes,
                    int32_t firstItemIndex, uint8_t version = ScoreFormatVersion);

// Rewrites the items of bar[start, end) from the events (built from them with
// BuildBarEvents) and returns the new end; bar grows or shrinks by the items
// inserted or removed, and the box list follows (rows removed and inserted at
// the items' running indices from firstItemIndex; none when boxes is null or
// firstItemIndex is -1). Deleted events remove their items; chords and rests
// take voice, value, dots, column and beam bits from their events; tuplet and
// number-hint items are re-created in front of the events that carry them.
// Items past the last built event (a bar of more than 256 positions) are kept
// as they stand. clearCueBits clears the chords' and rests' cue bits.
// rewrite, when given, receives where the kept items and their rows went
// (places in bar and in the box list).
uint32_t WriteBackBarEvents(std::vector<uint8_t>* bar, uint32_t start, uint32_t end, const BarEvents& events,
                            ObjectBoxList* boxes, int32_t firstItemIndex, bool clearCueBits,
                            uint8_t version = ScoreFormatVersion, StreamRewrite* rewrite = nullptr);

// Replaces [start, end) of one slot of a stream set by replacement, growing
// the stream first when the new bytes are longer. False (the stream as it
// was) when it cannot grow.
bool SpliceStreamRange(StreamSet* set, int slot, uint32_t start, uint32_t end, const uint8_t* replacement,
                       uint32_t length);

uint32_t SumVoiceDurations(const BarEvents& bar, VoiceTotals* totals, int* maxEvents = nullptr);
