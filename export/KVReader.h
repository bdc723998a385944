// The staff stream reader: walks one part's stream item by item in exact
// musical time and turns it into events: clefs, key and time signatures,
// chords with stems and noteheads, rests, marks, texts and bar ends. Every
// exporter and look-ahead is a subclass that overrides some operations.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "export/BeatCounter.h"
#include "export/ReaderClock.h"
#include "export/ReaderRecords.h"
#include "export/ReaderServices.h"

class CBarPadder;

// What the reader could not read as written; each bar and kind is noted once.
enum class ReadProblem {
  kOverfullBar,        // notes pass the bar line; they are read all the same
  kUnreadableItem,     // an item with a code outside its table, stepped over
  kTabNoteUnplaced,    // a tablature note whose pitch has no staff place, left out
  kUnknownChordSuffix, // a chord symbol named without what is unknown
  kDamagedStream,      // an item overruns the used length; the walk ends there
};
struct ReadProblemEntry {
  int staff;
  int bar;              // the clock's bar number in the walk that found it
  ReadProblem problem;
  const uint8_t* item;  // the item being read when it was found
};

class CKVReader {
 public:
  CKVReader();
  CKVReader(const CKVReader& other);
  CKVReader& operator=(const CKVReader& other);
  virtual ~CKVReader();

  // The stream of a part slot of the score, read from start (an item inside
  // it) to its used length. A slot outside 0..PartCount-1 is refused.
  void SetStream(const uint8_t* start, int staff);
  // The same over explicit bounds.
  void SetStream(const uint8_t* start, const uint8_t* end, int staff);
  // Walks from the stream start; the first skip items are passed over unseen.
  void ReadStaffStream(int skip = 0);

  // ---- Operations a subclass may override ----
  virtual void Begin(const SignatureList& signatures);
  virtual void OnPreReadNewBlock();
  virtual void OnEndOfBar(uint8_t barStyle);
  virtual void OnLeadingBarLine(uint8_t barStyle) {}
  virtual void Stop() { stopped = 1; }
  virtual void OnNotehead(const ChordRecord& chord, int note);
  virtual void OnTuplet(const TupletRecord& tuplet) { HandlersCall1(tuplet); }
  virtual void OnSlur(const SlurRecord& slur) {}
  virtual void OnMarkKind2() {}
  virtual void OnMarkKind12(uint8_t value) {}
  virtual void OnMarkKind10(uint8_t value) {}
  virtual void OnHairpin(CNiffDescription& hairpin) {}
  virtual void OnClef(uint8_t shape, uint8_t staffStep, uint8_t octave) { MoveTimePosition(-1, false); }
  virtual void OnKeySignature(uint8_t value) { MoveTimePosition(-1, false); }
  virtual void OnTimeSignature(const FileExporting::CTimeSig& signature, bool flag) { MoveTimePosition(-1, false); }
  virtual void OnSystemMark() { Stop(); }
  virtual void OnPageMark() { Stop(); }
  virtual void OnChord(const ChordRecord& chord);
  virtual void OnStem(const ChordRecord& chord);
  virtual void OnRest(const RestRecord& rest);
  virtual void OutputDescription(CNiffDescription& description) {}
  virtual void OnTwoValueText(uint16_t first, uint16_t second) {}
  virtual void MoveTimePosition(int voice, bool flag);
  virtual void OutputStem(const ChordRecord& chord);
  virtual void OutputRest(const RestRecord& rest);
  virtual void OutputNotehead(const ChordRecord& chord, int note) {}
  virtual void SetTime(const CBeatCounter& time) { clock.timeCursor = time; }
  virtual void Redispatch(const CNiffEvent& event) { DispatchEvent(event); }
  virtual void DispatchEvent(const CNiffEvent& event);
  virtual CNiffSymbolState* HandlersCall1(const TupletRecord& tuplet);
  virtual CNiffSymbolState* HandlersCall2(const SlurRecord& slur);
  virtual int ChordFlags() { return 0; }
  virtual int DescriptionOption() { return 0; }
  virtual void OnTupletMark(const uint8_t* item);
  virtual void OnSlurMark(const uint8_t* item);
  virtual void OnGuitarChordText(const uint8_t* item);
  virtual void OnGuitarGridText(const uint8_t* item);
  virtual void CloseOpenBar() { OnEndOfBar(0); }
  virtual int IgnoresBarLength() { return 0; }

  // ---- Services for subclasses and look-aheads ----
  void AddHandler(std::unique_ptr<CNiffEventHandler> handler);
  void ClearHandlers();
  size_t HandlerCount() const { return handlers.size(); }
  // The factor of an open tuplet for a voice (-1 taken as 0), 1/1 without one.
  CBeatCounter TimeFactor(int voice) const;
  // Copies what a look-ahead inherits: handlers, clock, flags and staff.
  void AssignState(const CKVReader& from);
  // Runs the bar padding rule with the given padder and smallest unit.
  void PadBar(CBarPadder& padder, const CBeatCounter& unit);
  // Notes a problem of the current bar (once per staff, bar and kind).
  void ReportProblem(ReadProblem problem);
  const std::vector<ReadProblemEntry>& Problems() const { return problems; }
  bool IsBarOverfull() const { return barOverfull != 0; }
  const uint8_t* CurrentItem() const { return current; }
  const uint8_t* StreamEnd() const { return streamEnd; }
  bool IsStopped() const { return stopped != 0; }

  ReaderTimeState clock;
  const uint8_t* streamStart = nullptr;
  const uint8_t* current = nullptr;
  int32_t stopped = 0;
  int32_t barStarted = 0;
  std::list<std::unique_ptr<CNiffEventHandler>> handlers;
  int32_t handlerWords[5] = {};
  int32_t staff = 0;
  int32_t barOverfull = 0;
  int32_t itemsSeen = 0;

 protected:
  // The chord record as the look-ahead request asks.
  bool BuildChordRecord(const uint8_t* item, ChordRecord* record);
  // The slur record: the start moved on by the next note's length with
  // withNext, the end found by reading on with withEnd.
  SlurRecord BuildSlurRecord(const uint8_t* item, bool withNext, bool withEnd);
  void GiveDuration(int voice, const CBeatCounter& duration, bool scale = true);

 private:
  void DispatchItem(const uint8_t* item);
  void ReadStructure(const uint8_t* item);
  void ReadChordItem(const uint8_t* item);
  void ReadRestItem(const uint8_t* item);
  void ReadMark(const uint8_t* item);
  void ReadText(const uint8_t* item);
  void EndOfStream();
  // Where an event of the voice will begin (the time step run on a copy).
  CBeatCounter StartTimeOf(int voice, bool noAdvance) const;
  // True when such an event of length d passes the bar line.
  bool Overflows(int voice, bool noAdvance, const CBeatCounter& d);
  void CopyHandlers(const CKVReader& from);

  const uint8_t* streamEnd = nullptr;
  std::vector<ReadProblemEntry> problems;
};

// The time step on a clock alone: MoveTime, then the voice-alignment check.
// Returns the position the time cursor is to take.
CBeatCounter StepClock(ReaderTimeState& clock, int voice, bool flag);
