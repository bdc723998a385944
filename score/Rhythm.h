// Musical time of the part streams in ticks: the durations of note values,
// bar lengths, tuplet scaling, the voices' running totals and the time
// signature in force. Score building, the bar rhythm check, the painter, the
// editor and playback all count with these rules.
//
// A tick is 1/1024 of a whole note: a crotchet lasts 256, the shortest value
// (1/128, code 0) 8. Nothing here keeps state between calls: what a walk
// carries from one position to the next lives in a value the caller owns.
#pragma once

#include <cstdint>
#include <vector>

#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

constexpr int kRhythmVoices = 4;
constexpr int32_t kTicksPerWhole = 1024;
// A bar length when no time signature is known.
constexpr int32_t kUnknownBarLength = -1;
// The chord duration code that lasts one tick whatever its dots.
constexpr uint8_t kOneTickDurationCode = 15;

// The written length of a duration code with dots: 8 << code, each dot adding
// half of the previous addition. Codes 0..15 (any 4-bit code); dots 0..3.
int32_t NoteValueTicks(unsigned code, unsigned dots);
// The same, except that code 15 lasts one tick (score building's rule for
// the placeholder value).
int32_t DurationTicks(unsigned code, unsigned dots);
// (beats << unit) << 3: 4/4 (4, 5) is 1024, 6/8 (6, 4) 768, 2/2 (2, 6) 1024.
// A unit code above 7 or negative beats give 0.
int32_t BarLengthTicks(int beats, int unitCode);

// The total that count notes of the given length sound as, the standard
// length of a tuplet of that count: a power of two from 2 to 256 sounds as
// 3/2 of it; any other count as duration x 2^(k-1) / count, 2^k the smallest
// power of two not below count (k at most 8, so a count above 256 sounds as
// duration x 128 / count). A count below 2 is no tuplet and gives the
// duration back unscaled.
int32_t ScaleDurationForTuplet(int count, int32_t duration);

// ---- Tuplet marks (kind 6, sub-kind 0) ----------------------------------------

// The length a tuplet mark's notes sound as, in ticks: its 14-bit span x 8.
inline int32_t TupletSoundingTicks(const uint8_t* mark) { return static_cast<int32_t>(MarkSpan(mark)) * 8; }
// Its note count (b3 bits 0-6).
inline int TupletNoteCount(const uint8_t* mark) { return MarkParameter1(mark) & 0x7F; }
// The written length of its notes, in ticks: count x (b4 + 1) x 8.
inline int32_t TupletWrittenTicks(const uint8_t* mark) {
  return TupletNoteCount(mark) * (MarkParameter2(mark) + 1) * 8;
}
inline bool IsTupletMark(const uint8_t* item) { return KindOf(item) == kItemMark && MarkSubKind(item) == kMarkTuplet; }
// Writes the five bytes of a tuplet mark of count notes whose plain (written)
// total is plainTotal 1/128 notes: the sounding total that the count gives
// them (ScaleDurationForTuplet) in bytes 1-2 with the voice, the count and
// the bracket bit in byte 3 and one note's plain length less 1 in byte 4.
// A quaver triplet (3, 48) sounds 32 and has 15 in byte 4. Counts are taken
// as 1..127, the note length as 1..256.
void MakeTupletMark(uint8_t mark[5], int count, uint32_t plainTotal, uint8_t voice, bool bracket);

// A voice's running tuplet: the notes written in `written` ticks sound in
// `sounding`. Each value is scaled with rounding to the nearest tick (halves
// up) until the written length is used up; a value that runs past it closes
// the tuplet unscaled.
struct TupletProgress {
  int32_t sounding = 0;
  int32_t written = 0;  // 0: no tuplet open
  int32_t progress = 0;
  bool Open() const { return written > 0; }
  // Opens a tuplet; a written or sounding length of 0 opens none.
  void Start(int32_t soundingTicks, int32_t writtenTicks);
  // The sounding length of the next value of the voice.
  int32_t Scale(int32_t value);
};

// ---- Voices -------------------------------------------------------------------

// The four voices' running lengths in ticks.
struct VoiceTotals {
  int32_t t[kRhythmVoices] = {0, 0, 0, 0};
  bool AllZero() const { return t[0] == 0 && t[1] == 0 && t[2] == 0 && t[3] == 0; }
};

// Which voices have sounded since the bar began; kept by the walk that aligns
// (one per walk, never shared between threads).
struct VoiceAlignment {
  bool inUse[kRhythmVoices] = {false, false, false, false};
};

// Brings the voices that sound at a position to a common start before the
// position's values are added. The in-use flags are cleared when all four
// totals are 0 (a bar's start). Every voice with a chord at the position
// (chordLongest > 0) is set to the latest total among the in-use voices that
// have a chord there, or, when that is 0, to the latest total of all voices;
// then each voice with a chord or a rest at the position is in use.
// starts, when given, receives each voice's total after the alignment.
void AlignVoiceTimes(VoiceAlignment* alignment, VoiceTotals* totals, const int32_t chordLongest[kRhythmVoices],
                     const int32_t restLongest[kRhythmVoices], int32_t* starts = nullptr);

// When voice 0 equals barLength and no voice exceeds it, every other voice
// above 0 is set to barLength (a voice that stops early is taken as padded).
void PadVoicesToBarLength(VoiceTotals* totals, int32_t barLength);
// The one total that every non-zero voice shares, starting from expected
// unless it is -1; 0 when all voices are 0; -1 when two differ.
int32_t CommonVoiceLength(const VoiceTotals& totals, int32_t expected);
// With a bar length, the sum over non-zero voices of |barLength - total|;
// with -1, the largest over non-zero voices v of the sum of |t(v) - t(w)|
// over the other non-zero voices w.
int32_t VoiceLengthSpread(const VoiceTotals& totals, int32_t barLength);

// ---- Judging a bar --------------------------------------------------------------

// A voice time of this or more (a code-15 value in the check's count) counts
// as the bar length.
constexpr int32_t kVoiceTimeAsBar = 0x40000;

// Whether a bar whose voices stand at times is correct: voice 0 equals the
// bar length and voices 1-3 are 0 or equal to it.
bool BarVoicesExact(const VoiceTotals& times, int32_t barLength);
// Whether voice v is faulty in a bar of barLength: within the tolerance (16
// after a tuplet in the voice, else 8) of the bar it is correct; voices 1-3
// are also correct when empty (within the tolerance of 0) or short beside a
// voice 0 that fills the bar; otherwise a voice is faulty when it is not 0.
// countEmpty: a time of 0 stands for itself (else it counts as the bar).
bool VoiceIsFaulty(const VoiceTotals& times, int v, int32_t barLength, bool tupletSeen, bool countEmpty = true);

// What the rhythm mark of a faulty voice writes: the sign and the difference
// as note values, longest first (counts[e] values of 8 << e ticks, e = 8 down
// to 0), and 0..3 dots for a remainder of 4 or more.
struct VoiceDifference {
  bool tooLong = false;  // "+" (else "-", the voice is short)
  int32_t ticks = 0;     // the difference, positive
  int counts[9] = {};
  int dots = 0;
};
VoiceDifference DescribeVoiceDifference(int32_t voiceTime, int32_t barLength);

// ---- The time signature in force --------------------------------------------------

struct TimeSignatureValue {
  int beats = 4;
  int unit = 5;  // duration code of one beat (the denominator is 128 >> unit)
  int32_t Length() const { return BarLengthTicks(beats, unit); }
};

// Where a stream set's time signatures stand: per part slot 1..partCount-1,
// every visible time signature with the number of bar boundaries (0x80)
// before it. Built in one walk, asked many times.
class TimeSignatureIndex {
 public:
  TimeSignatureIndex(const StreamSet& streams, int partCount, uint8_t version = ScoreFormatVersion);

  // sections 0: the first visible time signature that stands before any
  // kind-0 item in the first part that has items (none when a kind-0 item
  // comes first). sections k > 0: the last visible time signature found in
  // each part before its k-th bar boundary, taken at the latest boundary
  // count (a later part wins at an equal count). False when none, or when
  // fewer than 2 part slots are in use.
  bool Find(int sections, TimeSignatureValue* out) const;

 private:
  struct Entry {
    int sections;  // bar boundaries before the signature
    TimeSignatureValue value;
  };
  struct Part {
    bool hasItems = false;
    bool signatureFirst = false;  // a visible signature before any kind-0 item
    TimeSignatureValue first;
    std::vector<Entry> entries;
  };
  std::vector<Part> parts_;  // slots 1 .. partCount - 1
  int partCount_ = 0;
};

// The signature in force at the start of section `sections` of a stream
// set (TimeSignatureIndex::Find over a fresh index). outLength receives the
// bar length when given.
bool FindTimeSignature(const StreamSet& streams, int partCount, int sections, int* outBeats, int* outUnit,
                       int32_t* outLength, uint8_t version = ScoreFormatVersion);

// Counts, from start up to and including the item at offset, the bar
// boundaries (0x80) passed (staves) and the other kind-0 items below 0x80
// since the last boundary (bars).
void CountBarsBetween(const uint8_t* stream, uint32_t start, uint32_t offset, uint32_t used, uint8_t version,
                      int* bars, int* staves);

// The time signature that another part slot places in the bar that begins
// at offset of part (bars counted from each part's page start): the last
// visible time signature of that bar in the first other part that has a
// chord or rest in it. pageStarts gives each slot's page start offset.
bool FindPartWithSameBarOnPage(const StreamSet& streams, int partCount, const uint32_t* pageStarts, int part,
                               uint32_t offset, TimeSignatureValue* out, uint8_t version = ScoreFormatVersion);

// Another part slot that has a chord or rest in the section of part's stream
// that holds position (sections: the runs between bar boundaries, 0x80,
// counted from each stream's start), and where that section begins in it.
// The lowest such slot; false when none.
bool FindPartWithSameBar(const StreamSet& streams, int partCount, int part, uint32_t position, int* otherPart,
                         uint32_t* otherOffset, uint8_t version = ScoreFormatVersion);

// The number a tuplet mark shows, into out (capacity units, NUL-ended): the
// count alone when the notes' sounding length is the standard one for the
// count (ScaleDurationForTuplet of their written length), else "count:n"
// with n = count x sounding / written (3 quavers sounding as 4 show "3:4").
// A count below 2 shows nothing (false); a written length of 0 shows the
// count alone.
bool FormatTupletNumber(int count, int32_t sounding, int32_t written, char16_t* out, int capacity);
