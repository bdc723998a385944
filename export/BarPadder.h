// Filling an incomplete bar with rests. The padding rule works out the
// missing time after the latest voice; a padder writes each rest.
#pragma once

#include "export/BeatCounter.h"
#include "export/ReaderClock.h"

class CKVReader;

class CBarPadder {
 public:
  virtual ~CBarPadder() = default;
  // One rest of a power-of-two length in a voice (-1: none).
  virtual int PadRest(ReaderTimeState& bar, const CBeatCounter& duration, int voice) = 0;
  // One rest filling the whole bar of the voice.
  virtual int PadBarRest(ReaderTimeState& bar, const CBeatCounter& duration, int voice) = 0;
};

// Hands each rest back to a reader as a rest record (its rest operation, then
// a new block), unless the reader has stopped.
class CBarPadderNiff : public CBarPadder {
 public:
  explicit CBarPadderNiff(CKVReader& reader) : reader_(reader) {}
  int PadRest(ReaderTimeState& bar, const CBeatCounter& duration, int voice) override;
  int PadBarRest(ReaderTimeState& bar, const CBeatCounter& duration, int voice) override;

 private:
  int Feed(const CBeatCounter& duration, int voice, bool wholeBar);
  CKVReader& reader_;
};

// The padding rule on a clock whose time cursor stands at the end of the
// latest voice: nothing sounded gives one whole-bar rest; otherwise pieces of
// a beat, halved down to the larger of 1/64 and unit, shortest first, in the
// clock's current voice.
void PadBarWith(ReaderTimeState& bar, CBarPadder& padder, const CBeatCounter& unit);
