// Voices of one bar: every chord and rest of the bar's events gets a voice
// 0..3 from its stem side, its place on the stave and what sounds with it,
// and then beam groups and lone events are tried in either voice to bring
// the voices' lengths closest to the bar.
//
// Everything a bar's work keeps between steps lives in a VoiceAssigner the
// caller owns, so two threads may assign voices at once.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "score/BarEvents.h"

// What the rhythm and voice work reads of the settings and the part.
struct RhythmReadingOptions {
  bool oneVoiceOnly = false;   // "Read in one voice only"
  bool bracketTuplets = true;  // "Bracket tuplets": tuplets found by the search are bracketed
  bool correction = false;     // the rhythm correction option of the Preferences
  bool tablature = false;      // the part is a tablature part
  uint8_t version = ScoreFormatVersion;
};
// The options the settings put in force, for a tablature part or another
// (the part's own flag, from the score's part records or a reading's).
RhythmReadingOptions CurrentRhythmReadingOptions(bool tablature);

// The largest number, at any position, of live events that take time; at
// least 1; 1 with oneVoiceOnly.
int MaxVoicesAtPosition(const BarEvents& bar, bool oneVoiceOnly);
// The number of distinct voices among the live events of a position.
int CountVoicesAtPosition(const BarEvents& bar, int position);

// A chord's stem sides: side A (stem bit set, or drawn from the stave below
// while the bar has concurrent events), side B (bit clear, or from the stave
// above); a cross-stave chord of a bar without concurrent events is on both.
// Rests, chords of code 7 or more and deleted events are on none.
enum : unsigned { kStemSideA = 1, kStemSideB = 2 };
unsigned StemSides(const BarEvent& e, int maxVoices);
bool SameStemSide(const BarEvent& a, const BarEvent& b, int maxVoices);

// A chord that starts a beam makes the next position's first live chord a
// continuation when that one also starts a beam on the same side.
void LinkBeamPartners(BarEvents* bar);

class VoiceAssigner {
 public:
  VoiceAssigner();
  ~VoiceAssigner();
  VoiceAssigner(const VoiceAssigner&) = delete;
  VoiceAssigner& operator=(const VoiceAssigner&) = delete;

  // Gives every live event of bar a voice 0..3; may add positions (a chord
  // that starts a new time position splits its column).
  void AssignVoices(BarEvents* bar, int beats, int unit, const RhythmReadingOptions& options);

 private:
  void AssignPass(const BarEvents& in, BarEvents* work, bool split) const;
  // The region search of AssignVoices, from position start at a depth of level.
  void SearchVoiceSplits(const BarEvents& events, int start, int level);
  int32_t Spread(const BarEvents& events) const;

  int beats_ = 0;
  int unit_ = 0;
  int32_t barLength_ = kUnknownBarLength;
  int maxVoices_ = 1;
  std::unique_ptr<BarEvents> best_;
  std::unique_ptr<BarEvents> input_;  // the bar as given, and one pass's work
  std::unique_ptr<BarEvents> work_;
  int32_t bestSpread_ = 0;
  int bestTie_ = 0;
  int calls_ = 0;
  std::vector<BarEvents> levels_;
};

// Builds the events of the bar in [start, end) of one slot of a stream set,
// assigns its voices and writes them back (the cue bits cleared while the
// rhythm correction option is off); the box list follows. newEnd receives
// the bar's new end and rewrite, when given, where the bar's items and rows
// went (nothing moved when the bar was left alone). False, with the stream
// and boxes as they were, when the stream cannot take the rewritten bar.
bool AssignGroupVoices(StreamSet* set, int slot, uint32_t start, uint32_t end, ObjectBoxList* boxes,
                       int32_t firstItemIndex, int beats, int unit, const RhythmReadingOptions& options,
                       uint32_t* newEnd, StreamRewrite* rewrite = nullptr);

// Copies the used positions of a bar's events.
void CopyBarEvents(const BarEvents& from, BarEvents* to);
