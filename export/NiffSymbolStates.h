// Symbols of the NIFF writer that span several notes (beams, ties, slurs,
// hairpins, tuplets), each kept open as a state until its last node has been
// written. A state learns from the reader's "read" events where its nodes
// are, and writes its chunk at the "output" events of those nodes. Only the
// NIFF writer dispatches output events, so a state that a look-ahead reader
// copies only reads: it counts, measures and tells its event handler.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "export/BeatCounter.h"
#include "export/ReaderEvents.h"
#include "export/ReaderServices.h"

// Told what a state learns while it reads; by default nothing is done.
class CNiffSymbolEventHandler {
 public:
  virtual ~CNiffSymbolEventHandler() = default;
  // The state has found its last node.
  virtual void SetDone() {}
  // The state has taken one node.
  virtual void OnEvent() {}
  // The state's end lies this far from its start.
  virtual void OnMeasure(const CBeatCounter& time) {}
  [[noreturn]] void Fail();
};

enum NiffSymbolKind : int {
  kNiffSymbolBeam = 0,
  kNiffSymbolTuplet = 1,
  kNiffSymbolSlur = 2,
  kNiffSymbolTie = 3,
  kNiffSymbolHairpin = 4,
  kNiffSymbolKinds = 5,
};

class CNiffSymbolState : public CNiffEventTarget {
 public:
  // A state that expects no node at all is refused.
  CNiffSymbolState(int32_t id, int expectedNodes);
  CNiffSymbolState(const CNiffSymbolState& other);
  CNiffSymbolState& operator=(const CNiffSymbolState&) = delete;

  virtual std::unique_ptr<CNiffSymbolState> Clone() const = 0;
  virtual int Voice() const { return -1; }
  virtual bool MatchesVoice(int voice) const { return Voice() == voice; }
  virtual int Kind() const = 0;
  // Tag 0x12 with the id; on the first node also tag 0x1c with the count.
  virtual void WriteIdTags();
  // Counts one node; true when the state is then complete. A state that is
  // complete already is an error.
  virtual bool Advance();
  virtual bool IsComplete() const { return written_ >= expected_; }
  // Whether the state may leave the open list at the next block.
  virtual bool IsFinished() const { return IsComplete(); }
  virtual bool TimeFactor(int voice, CBeatCounter* factor) const { return false; }

  void AttachHandler(CNiffSymbolEventHandler* handler) { handler_ = handler ? handler : &own_; }
  int32_t Id() const { return id_; }
  int NodesWritten() const { return written_; }
  int ExpectedNodes() const { return expected_; }

 protected:
  CNiffSymbolEventHandler& Handler() { return *handler_; }

 private:
  int32_t id_;
  int expected_;
  int written_ = 0;
  CNiffSymbolEventHandler own_;
  CNiffSymbolEventHandler* handler_ = &own_;
};

// Joins the next expectedNodes stems of its voice (grace chords excepted).
class CNiffSymbolStateBeam : public CNiffSymbolState {
 public:
  // Fewer than two stems is refused.
  CNiffSymbolStateBeam(int32_t id, int stems, int voice);
  std::unique_ptr<CNiffSymbolState> Clone() const override;
  int Voice() const override { return voice_; }
  int Kind() const override { return kNiffSymbolBeam; }
  int OnOutputStem(const CNiffEventOnOutputStem& event) override;

 private:
  int voice_;
};

// A note is identified by its position byte and, on tablature, its string.
struct NiffNoteKey {
  uint8_t first = 0;
  uint8_t tabString = 255;
};
NiffNoteKey NoteKeyOf(const ChordRecord& chord, int note);
bool SameNote(const NiffNoteKey& a, const NiffNoteKey& b);

// Ties a note to the same note in the next chord of its voice.
class CNiffSymbolStateTie : public CNiffSymbolState {
 public:
  CNiffSymbolStateTie(int32_t id, const ChordRecord& chord, int note);
  std::unique_ptr<CNiffSymbolState> Clone() const override;
  int Voice() const override { return voice_; }
  int Kind() const override { return kNiffSymbolTie; }
  int OnReadStem(const CNiffEventOnReadStem& event) override;
  int OnReadNotehead(const CNiffEventOnReadNotehead& event) override;
  int OnOutputNotehead(const CNiffEventOnOutputNotehead& event) override;
  const NiffNoteKey& Note() const { return key_; }

 private:
  int voice_;
  NiffNoteKey key_;
  const uint8_t* ownChord_;
  int ownNote_;
  const uint8_t* nextChord_ = nullptr;
  int matchedNote_ = -1;
};

// What a tie look-ahead asks: does the next chord of the voice (any voice
// for -1) hold the same note? found, when given, is set when it does.
class CNiffTieSearch : public CNiffTieWatcher, private CNiffEventTarget {
 public:
  CNiffTieSearch(int voice, const NiffNoteKey& key, bool* found) : voice_(voice), key_(key), found_(found) {}
  int Offer(const CNiffEvent& event) override { return event.Handle(*this); }

 private:
  bool VoiceMatches(int voice) const { return voice_ < 0 || voice == voice_; }
  int OnReadStem(const CNiffEventOnReadStem& event) override;
  int OnReadNotehead(const CNiffEventOnReadNotehead& event) override;
  int OnReadRest(const CNiffEventOnReadRest& event) override;
  int voice_;
  NiffNoteKey key_;
  bool* found_;
  const uint8_t* nextChord_ = nullptr;
};

// A slur from the first chord of its voice after the mark to the chord at
// which the written lengths since then reach the mark's span (at least the
// chord after the first).
class CNiffSymbolStateSlur : public CNiffSymbolState {
 public:
  CNiffSymbolStateSlur(int32_t id, const SlurRecord& record);
  std::unique_ptr<CNiffSymbolState> Clone() const override;
  int Voice() const override { return voice_; }
  int Kind() const override { return kNiffSymbolSlur; }
  int OnReadStem(const CNiffEventOnReadStem& event) override;
  int OnReadRest(const CNiffEventOnReadRest& event) override;
  int OnOutputStem(const CNiffEventOnOutputStem& event) override;

 private:
  int voice_;
  CBeatCounter span_;
  CBeatCounter elapsed_;
  bool started_ = false;
  bool endFound_ = false;
  bool armed_ = false;
};

// A hairpin over the next chords (any voice), one node per chord that starts
// at a later time than the one before, nodes in all.
class CNiffSymbolStateHairpin : public CNiffSymbolState {
 public:
  CNiffSymbolStateHairpin(int32_t id, int type, int nodes = 2) : CNiffSymbolState(id, nodes), type_(type) {}
  std::unique_ptr<CNiffSymbolState> Clone() const override;
  bool MatchesVoice(int) const override { return true; }
  int Kind() const override { return kNiffSymbolHairpin; }
  int OnOutputStem(const CNiffEventOnOutputStem& event) override;

 private:
  int type_;
  const uint8_t* firstChord_ = nullptr;
};

// A tuplet: its notes sound span / ratio of their written length. It takes
// a node at each stem of its voice until the sounding time from its start
// reaches its span. Opened with no node count it only counts (look-ahead).
class CNiffSymbolStateTuplet : public CNiffSymbolState {
 public:
  CNiffSymbolStateTuplet(int32_t id, const TupletRecord& record);
  std::unique_ptr<CNiffSymbolState> Clone() const override;
  int Voice() const override { return voice_; }
  int Kind() const override { return kNiffSymbolTuplet; }
  bool IsFinished() const override { return timeDone_; }
  bool IsComplete() const override;
  bool TimeFactor(int voice, CBeatCounter* factor) const override;
  int OnReadStem(const CNiffEventOnReadStem& event) override;
  int OnReadRest(const CNiffEventOnReadRest& event) override;
  int OnOutputStem(const CNiffEventOnOutputStem& event) override;

 private:
  void AddTime(const CBeatCounter& written);
  int voice_;
  bool counting_;
  CBeatCounter ratio_;  // the notes' written length
  CBeatCounter span_;   // their sounding length
  uint8_t bracket_;
  CBeatCounter elapsed_;
  bool timeDone_ = false;
};

// The open states of one stave writer, in the order they were opened, with
// one id counter per kind. It sits in the reader's handler list, so the
// look-ahead readers read with copies of it; only the writer's own manager
// writes (a copy opens its slurs and tuplets to measure and count them).
class CNiffSymbolManager : public CNiffEventHandler {
 public:
  explicit CNiffSymbolManager(bool writing) : writing_(writing) {}
  CNiffSymbolManager(const CNiffSymbolManager& other);
  std::unique_ptr<CNiffEventHandler> Clone() const override;
  void OnEvent(const CNiffEvent& event) override;
  bool TimeFactor(int voice, CBeatCounter* factor) const override;
  CNiffSymbolState* OpenTuplet(const TupletRecord& record) override;
  // The writer's manager opens only a slur whose end was found.
  CNiffSymbolState* OpenSlur(const SlurRecord& record) override;

  CNiffSymbolState* OpenBeam(int stems, int voice);
  CNiffSymbolState* OpenTie(const ChordRecord& chord, int note);
  CNiffSymbolState* OpenHairpin(int type, int nodes = 2);
  bool HasOpenBeam(int voice) const;
  // Removes the states that are finished; a writer's state that is finished
  // before all its nodes were written is an error.
  void Purge();
  // The end of a stave: every state must be complete.
  void CloseAll();
  size_t OpenCount() const { return open_.size(); }

 private:
  CNiffSymbolState* Add(std::unique_ptr<CNiffSymbolState> state);
  int32_t NextId(int kind) { return nextId_[kind]++; }
  bool writing_;
  int32_t nextId_[kNiffSymbolKinds] = {};
  std::vector<std::unique_ptr<CNiffSymbolState>> open_;
};

// The node counter of a tuplet look-ahead and the measure of a slur
// look-ahead: attached to the state the mark opened.
class CNiffNodeCounter : public CNiffReadAheadHandler, public CNiffSymbolEventHandler {
 public:
  void AttachTo(CNiffSymbolState* state) override;
  bool IsDone() const override { return done_; }
  int Count() const override { return count_; }
  void SetDone() override { done_ = true; }
  void OnEvent() override {
    if (!done_) ++count_;
  }

 private:
  bool done_ = false;
  int count_ = 0;
};

// The stored time is -1/1 until the state finds its end.
class CNiffSymbolMeasure : public CNiffReadAheadHandler, public CNiffSymbolEventHandler {
 public:
  void AttachTo(CNiffSymbolState* state) override;
  bool IsDone() const override { return done_; }
  CBeatCounter StoredTime() const override { return time_; }
  void SetDone() override { done_ = true; }
  void OnMeasure(const CBeatCounter& time) override { time_ = time; }

 private:
  bool done_ = false;
  CBeatCounter time_{-1, 1};
};
