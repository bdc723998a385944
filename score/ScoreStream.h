// The score's part streams and the records kept beside them.
//
// Two stream sets of 13 part slots exist: the score set (the score that is
// shown, edited, saved and played) and the work set (the page being read, the
// stave re-layout's scratch copy). A stream is a gap-free sequence of items
// (see ScoreItem.h); its block's size is the capacity, the used length the
// bytes in use.
#pragma once

#include <cstdint>

#include "platform/Messages.h"
#include "score/StaveTypes.h"  // kMaxStaveLines

constexpr int kPartSlots = 13;
constexpr int kPartNameUnits = 32;

struct StreamSet {
  Handle block[kPartSlots];
  uint32_t used[kPartSlots];
};

extern StreamSet ScoreStream;
extern StreamSet WorkStream;
// How many slots are parts (0..13). The slots above it hold copies of the
// score's structure marks.
extern int32_t PartCount;

inline uint8_t* StreamBytes(const StreamSet& set, int slot) {
  return static_cast<uint8_t*>(set.block[slot]);
}
uint32_t StreamCapacity(const StreamSet& set, int slot);
// The used length of a slot, never beyond its block (0 for no block or a
// slot out of range), and the end of those bytes (null for no block).
uint32_t StreamUsedLength(const StreamSet& set, int slot);
const uint8_t* StreamUsedEnd(const StreamSet& set, int slot);

// Makes sure the stream of slot can take n more bytes beyond its used length;
// the used length stays. 1 on success; 0 after the error box, the stream as
// it was.
int GrowStream(StreamSet* set, int slot, uint32_t n);
int GrowScoreStream(int slot, uint32_t n);
int GrowWorkStream(int slot, uint32_t n);

// Frees every block of the set and sets the used lengths to 0.
void FreeStreamSet(StreamSet* set);
void SwapStreamSets(StreamSet* a, StreamSet* b);
void ResetScoreStreams();
void ResetWorkStreams();

// ---- Part records, indexed by part slot ----------------------------------------

// The name shown at the left of the part's staves, NUL-ended; also the key
// into the instrument-name lists.
extern char16_t PartNameTable[kPartSlots][kPartNameUnits];

// The second field, the "tablature kind" that the score file keeps in 3 bits
// of the part descriptor, is the part's number of stave lines (of strings on
// a tablature part): 5 an ordinary stave, 6 guitar and 4 bass tablature, 1..3
// few-line (percussion) staves; 0 in a record never set reads as 5. Read it
// through PartLineCount.
struct PartTablature {
  int16_t flag;   // non-zero: the part is written as guitar tablature
  uint32_t kind;  // the number of stave lines, see above
};
extern PartTablature PartTablatureFlags[kPartSlots];
constexpr uint32_t kOrdinaryStaveLines = 5;
uint32_t PartLineCount(int slot);

extern int16_t PartSmallStave[kPartSlots];  // 0 or 1: the stave is printed small
// 0 or 1: the part's staves are not laid out as staff rows (score building
// sets it for slot 0, the page-level texts).
extern int16_t PartFlag[kPartSlots];
constexpr int kPartFieldCount = 3;
constexpr int16_t kPartFieldMask = 31;      // each field holds 5 bits
extern int16_t PartFields[kPartSlots][kPartFieldCount];

// Clears every part record (names, tablature, flags, fields); line counts 5.
void ResetPartRecords();
