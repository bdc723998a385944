// Events that the stream reader passes to its handlers. Each event calls one
// operation of a target (a symbol state of the NIFF writer) through Handle.
#pragma once

#include <cstdint>

#include "export/BeatCounter.h"
#include "export/ReaderRecords.h"

class CNiffEventPreReadNewBlock;
class CNiffEventOnEndOfBar;
class CNiffEventOnReadStem;
class CNiffEventOnReadNotehead;
class CNiffEventOnReadRest;
class CNiffEventOnOutputStem;
class CNiffEventOnOutputNotehead;
class CNiffEventOnOutputRest;

// What an event can be handed to; each answer is the target's own.
class CNiffEventTarget {
 public:
  virtual ~CNiffEventTarget() = default;
  virtual int OnPreReadNewBlock(const CNiffEventPreReadNewBlock&) { return 1; }
  virtual int OnEndOfBar(const CNiffEventOnEndOfBar&) { return 1; }
  virtual int OnReadStem(const CNiffEventOnReadStem&) { return 1; }
  virtual int OnReadNotehead(const CNiffEventOnReadNotehead&) { return 1; }
  virtual int OnReadRest(const CNiffEventOnReadRest&) { return 1; }
  virtual int OnOutputStem(const CNiffEventOnOutputStem&) { return 1; }
  virtual int OnOutputNotehead(const CNiffEventOnOutputNotehead&) { return 1; }
  virtual int OnOutputRest(const CNiffEventOnOutputRest&) { return 1; }
};

class CNiffEvent {
 public:
  virtual ~CNiffEvent() = default;
  virtual int Voice() const { return -1; }  // -1: not bound to a voice
  virtual int Handle(CNiffEventTarget& target) const = 0;
};

class CNiffEventPreReadNewBlock : public CNiffEvent {
 public:
  int Handle(CNiffEventTarget& t) const override { return t.OnPreReadNewBlock(*this); }
};

class CNiffEventOnEndOfBar : public CNiffEvent {
 public:
  explicit CNiffEventOnEndOfBar(uint8_t style) : barStyle(style) {}
  int Handle(CNiffEventTarget& t) const override { return t.OnEndOfBar(*this); }
  uint8_t barStyle;
};

// Events that only states of the same voice take.
class CNiffEventOnSpecificVoice : public CNiffEvent {
 public:
  explicit CNiffEventOnSpecificVoice(int voice) : voice_(voice) {}
  int Voice() const override { return voice_; }

 private:
  int voice_;
};

class CNiffEventOnReadStem : public CNiffEventOnSpecificVoice {
 public:
  CNiffEventOnReadStem(const ChordRecord& c, const CBeatCounter& t)
      : CNiffEventOnSpecificVoice(c.fields.voice), chord(c), time(t) {}
  int Handle(CNiffEventTarget& t) const override { return t.OnReadStem(*this); }
  const ChordRecord& chord;
  CBeatCounter time;  // where the chord begins, from the bar start
};

class CNiffEventOnReadNotehead : public CNiffEventOnSpecificVoice {
 public:
  CNiffEventOnReadNotehead(const ChordRecord& c, int index, uint8_t pitchByte)
      : CNiffEventOnSpecificVoice(c.fields.voice < 0 ? 0 : c.fields.voice), chord(c), noteIndex(index),
        pitch(pitchByte) {}
  int Handle(CNiffEventTarget& t) const override { return t.OnReadNotehead(*this); }
  const ChordRecord& chord;
  int noteIndex;
  uint8_t pitch;  // the fret field on tablature, else the position field
};

class CNiffEventOnReadRest : public CNiffEventOnSpecificVoice {
 public:
  explicit CNiffEventOnReadRest(const RestRecord& r) : CNiffEventOnSpecificVoice(r.fields.voice), rest(r) {}
  int Handle(CNiffEventTarget& t) const override { return t.OnReadRest(*this); }
  const RestRecord& rest;
};

class CNiffEventOnOutputStem : public CNiffEventOnSpecificVoice {
 public:
  explicit CNiffEventOnOutputStem(const ChordRecord& c) : CNiffEventOnSpecificVoice(c.fields.voice), chord(c) {}
  int Handle(CNiffEventTarget& t) const override { return t.OnOutputStem(*this); }
  const ChordRecord& chord;
};

class CNiffEventOnOutputNotehead : public CNiffEventOnSpecificVoice {
 public:
  CNiffEventOnOutputNotehead(const ChordRecord& c, int index)
      : CNiffEventOnSpecificVoice(c.fields.voice), chord(c), noteIndex(index) {}
  int Handle(CNiffEventTarget& t) const override { return t.OnOutputNotehead(*this); }
  const ChordRecord& chord;
  int noteIndex;
};

class CNiffEventOnOutputRest : public CNiffEventOnSpecificVoice {
 public:
  explicit CNiffEventOnOutputRest(const RestRecord& r) : CNiffEventOnSpecificVoice(r.fields.voice), rest(r) {}
  int Handle(CNiffEventTarget& t) const override { return t.OnOutputRest(*this); }
  const RestRecord& rest;
};
