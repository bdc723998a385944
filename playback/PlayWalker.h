// Walks one part of the stretch in the order a player takes it: repeats
// played twice, volta brackets by pass, jump words (to the sign or to the
// start), "To Coda" and "Fine". Keeps the part's state and the time of the
// current bar on the expanded timeline; each bar lasts its time signature's
// length, so an incomplete or overfull bar never shifts one part against
// another.
#pragma once

#include <cstdint>
#include <vector>

#include "playback/NavigationMarks.h"
#include "playback/PlayState.h"
#include "playback/PlayStretch.h"

enum class WalkStep {
  kItem,  // an item to play
  kBar,   // a new bar begins at BarStart() (after a bar line or a jump)
  kEnd,
};

// A bar the walk has finished: where it began and its beats.
struct FinishedBar {
  uint32_t start;
  int beats;  // the numerator, times the bars of a multi-bar rest
  int denominatorCode;
  PlayPlace place;
};

class PlayWalker {
 public:
  PlayWalker(const PlayStretch& stretch, int slot, const PartPlayState& start, NavigationTable* marks);

  WalkStep Next(const uint8_t** item, uint32_t* length);

  PartPlayState& State() { return state_; }
  uint32_t BarStart() const { return barStart_; }
  const PlayPlace& Place() const { return place_; }
  // Set when the last kBar followed a bar line (not a jump).
  bool BarFinished() const { return barFinished_; }
  const FinishedBar& LastBar() const { return lastBar_; }

 private:
  struct Saved {
    int64_t offset = -1;  // -1: none
    PlayPlace place;
    PartPlayState state;
  };
  static constexpr int kVoltas = 10;  // voltas 1..9
  struct Level {
    int jumpBack = 1;
    Saved start;
    Saved voltaStart[kVoltas];
    Saved voltaEnd[kVoltas];
    int voltaLength[kVoltas];
    int voltaBars = -1;
    int pass = 0;
    bool enteredVolta = false;
    bool toPassed = false;
  };

  Saved Current() const { return {offset_, place_, state_}; }
  void Restore(const Saved& saved, bool wholeState);
  void JumpTo(const NavResume& resume);
  Level NewLevel() const;
  void ResetLevel(Level* level) const;
  void OpenLevel();

  bool BarLine(const uint8_t* item);  // true when the walk jumped or ended
  bool EndOfBarMarks();
  bool VoltaEnd();
  void RepeatCode(uint8_t code);
  void StartOfBarMarks(int depth);
  void VoltaMark(const NavMark& mark, int depth);
  bool ToCodaPassed();
  bool TakePendingBar();
  PlayPlace NextBarPlace() const;
  const NavMark* CodaTarget();

  const PlayStretch& stretch_;
  int slot_;
  NavigationTable* marks_;
  const uint8_t* stream_;
  uint32_t end_;
  int64_t offset_;
  Saved initial_;
  PartPlayState state_;
  PlayPlace place_;
  uint32_t barStart_ = 0;
  uint32_t multiBars_ = 1;
  bool barHasContent_ = false;
  int lastStructure_ = 0;  // 1 after a system mark, 2 after a page mark behind one
  bool codaArmed_ = false;
  bool endArmed_ = false;
  bool ended_ = false;
  bool pendingBar_ = false;
  bool barFinished_ = false;
  FinishedBar lastBar_ = {};
  uint64_t stepsLeft_;
  std::vector<Level> levels_;
};
