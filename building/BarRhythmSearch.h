// The rhythm search of one bar: small changes to the bar's events (mark a
// tuplet, dropping stray dots read on its notes; drop or add a dot; a value
// one step longer or shorter; delete a stray chord or rest; let a
// grace-sized chord take time), combined recursively, voices assigned again
// after each combination, keeping the arrangement whose voices come closest
// to the bar at the lowest cost.
//
// A BarRhythmSearch holds the search's best arrangement (RhythmSearchBest),
// its call counter and the bar's values; each caller owns its own.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "building/VoiceAssignment.h"
#include "score/BarEvents.h"

// What a tuplet detection found.
struct TupletGroup {
  bool found = false;
  bool weak = false;   // not confirmed by a number and a crotchet or longer, or unbeamed
  int score = 0;       // added to the search's cost
  int count = 0;
  int normal = 0;      // one note's plain length in 1/128 notes
  int total = 0;       // what the group sounds as, in 1/128 notes
  int last = 0;        // the group's last position
  int hintPosition = -1, hintSlot = -1;  // a number hint that named the count
};

// The predicates the search's changes use, on a bar with its meter.
class BarRhythmRules {
 public:
  BarRhythmRules(const BarEvents& bar, int beats, int unit);
  bool IsSimpleMeter() const;
  bool VoiceInTuplet(int position, int slot) const;
  TupletGroup DetectTuplet(int position, int slot, bool searchMode) const;
  // The suggested code (-1 none) and its weight.
  int SuggestBeamValue(int position, int slot, int* weight) const;
  int SuggestShorterValue(int position, int slot, int* weight) const;
  bool SuggestDot(int position, int slot, int* weight) const;
  bool IsStrayChord(int position, int slot, int* weight) const;

 private:
  TupletGroup Group(int position, int slot, bool searchMode, bool strict) const;
  bool SameSide(const BarEvent& a, const BarEvent& b) const;

  const BarEvents& bar_;
  int beats_, unit_;
  int maxVoices_;
};

// Drops the tuplet marks that a fresh detection no longer gives.
void ValidateTupletMarks(BarEvents* bar, int beats, int unit, int depth);

// The best arrangement of a bar's search so far: its events, their voice
// totals (padded to the bar length when it is known), its cost and score.
struct RhythmSearchBest {
  std::unique_ptr<BarEvents> events;
  VoiceTotals totals;
  int cost = 0;
  int score = 0;
};

class BarRhythmSearch {
 public:
  explicit BarRhythmSearch(const RhythmReadingOptions& options);
  ~BarRhythmSearch();

  // Corrects the bar in [start, end) of bytes (the box list follows) and
  // returns its new end. Without a time signature (beats or unit below 1)
  // only voices are set.
  uint32_t SolveBar(std::vector<uint8_t>* bytes, uint32_t start, uint32_t end, ObjectBoxList* boxes,
                    int32_t firstItemIndex, int beats, int unit);
  // Measures what the best arrangement of events would give: its voice
  // totals and score. events keep the voices assigned to them; the best
  // arrangement is not copied back.
  void SolveGroupedBarRhythm(BarEvents* events, int beats, int unit, bool noDelete, VoiceTotals* outTotals,
                             int32_t* outScore);

  void SetOptions(const RhythmReadingOptions& options) { options_ = options; }

  // How many nodes the last bar's search visited (at most kSearchCalls).
  int Calls() const { return calls_; }
  static constexpr int kSearchCalls = 4096;

 private:
  void Run(BarEvents* events, bool noDelete);
  // One node of the search; 0 when it stopped at a limit.
  int SearchBarRhythm(const BarEvents& node, int cost, int changes, int startPosition, int startSlot, int depth);
  bool TryChange(int kind, BarEvents* work, const BarEvents& node, int position, int slot, int startPosition,
                 int startSlot, int* cost, int* changes) const;
  void Evaluate(const BarEvents& work, int cost, int changes, int depth);
  bool Better(const VoiceTotals& t, int cost, int score) const;

  RhythmReadingOptions options_;
  VoiceAssigner voices_;
  int beats_ = 0, unit_ = 0;
  int32_t barLength_ = kUnknownBarLength;
  bool noDelete_ = false;
  int calls_ = 0;
  RhythmSearchBest best_;
  std::vector<BarEvents> works_;  // one per depth
  std::unique_ptr<BarEvents> eval_;
  std::unique_ptr<BarEvents> undotted_;  // the tuplet change's look without dots
};

// The page pass's entry: corrects the bar [start, end) of bytes.
uint32_t SolveBarRhythm(std::vector<uint8_t>* bytes, uint32_t start, uint32_t end, ObjectBoxList* boxes,
                        int32_t firstItemIndex, int beats, int unit, const RhythmReadingOptions& options);
