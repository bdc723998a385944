// Short-lived readers that start at an item, inherit the asking reader's
// musical state, read on until they know one fact, and stop.
#pragma once

#include <memory>

#include "export/KVReader.h"

// Beamed chords of a voice from a chord that starts a group (the starting
// chord counts 1); the group ends at a chord outside the beam, at the start
// of the next group, or at the bar line.
class CKVReaderBeam : public CKVReader {
 public:
  CKVReaderBeam(int voice) : targetVoice(voice < 0 ? 0 : voice) {}
  void OnEndOfBar(uint8_t barStyle) override;
  void OnStem(const ChordRecord& chord) override;
  int targetVoice;
  int count = 0;
};

// The duration of the next chord (0/1 for a grace chord).
class CKVReaderNextNote : public CKVReader {
 public:
  void OnStem(const ChordRecord& chord) override;
  CBeatCounter duration;
  int voice = 0;
};

// Reads on from a tuplet or slur mark until the state the mark opened closes.
class CKVReaderReadAhead : public CKVReader {
 public:
  explicit CKVReaderReadAhead(std::unique_ptr<CNiffReadAheadHandler> counter) : counter_(std::move(counter)) {}
  void DispatchEvent(const CNiffEvent& event) override;
  virtual void AttachCounter(CNiffSymbolState* state);
  CNiffReadAheadHandler* GetCounter() const { return counter_.get(); }

 private:
  std::unique_ptr<CNiffReadAheadHandler> counter_;
  bool attached_ = false;
};

class CKVReaderTuplet : public CKVReaderReadAhead {
 public:
  using CKVReaderReadAhead::CKVReaderReadAhead;
  CNiffSymbolState* HandlersCall1(const TupletRecord& tuplet) override;
};

class CKVReaderSlur : public CKVReaderReadAhead {
 public:
  using CKVReaderReadAhead::CKVReaderReadAhead;
  void OnSlur(const SlurRecord& slur) override { HandlersCall2(slur); }
  // The slur's start is taken after its first note; its end is what this
  // reader is looking for.
  void OnSlurMark(const uint8_t* item) override { OnSlur(BuildSlurRecord(item, true, false)); }
  CNiffSymbolState* HandlersCall2(const SlurRecord& slur) override;
};

// Feeds the events after a chord to a tie state until it answers 0.
class CKVReaderTie : public CKVReader {
 public:
  explicit CKVReaderTie(std::unique_ptr<CNiffTieWatcher> state) : state_(std::move(state)) {}
  void OnPreReadNewBlock() override;
  void OnNotehead(const ChordRecord& chord, int note) override;
  void OnStem(const ChordRecord& chord) override;
  void OnRest(const RestRecord& rest) override;

 private:
  void Offer(const CNiffEvent& event);
  std::unique_ptr<CNiffTieWatcher> state_;
  bool stemSeen_ = false;
};

// The questions; each runs its reader from item (in the asker's stream).
int BeamGroupSize(const uint8_t* item, int staff, int voice, const CKVReader& asker);
CBeatCounter NextNoteDuration(const uint8_t* item, int staff, const CKVReader& asker);
// Refuses when no export objects are installed.
int TupletNodeCount(const uint8_t* item, int staff, const CKVReader& asker);
CBeatCounter SlurEnd(const uint8_t* item, int staff, const CKVReader& asker);
// Always 1; an error the tie state raises goes to the caller.
int TieLookAhead(const uint8_t* item, int staff, int value, int position, const CKVReader& asker);
