// The MusicXML writer of one part: a stream reader that writes the part's
// bars as measures while it reads them. Each part is walked twice: a silent
// walk learns the divisions per quarter and how many measures each system
// ends; the written walk then uses them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "export/BarPadder.h"
#include "export/KVReader.h"
#include "export/XmlOutput.h"
#include "export/XmlPitchSpelling.h"

constexpr int kXmlDrumSounds = 32;

// What the part list and the silent walk tell the written walk of a part.
struct XmlPartSetup {
  int slot = 1;
  bool drum = false;
  bool tablature = false;
  int lineCount = 5;
  bool small = false;
  int transposition = 0;
  int divisions = 1;                // per quarter note
  std::vector<int> systemMeasures;  // measures each system holds in the longest part
  int drumInstrument[kXmlDrumSounds] = {};  // instrument number 1.. of a stored position, 0 unused
};

// What the silent walk learns.
struct XmlPartPlan {
  int64_t denominators = 1;         // least common multiple of every written length
  std::vector<int> systemMeasures;  // measures ended in each system
  int Divisions() const;            // per quarter note
};

// Scales the notes of a voice while a tuplet of that voice is open.
class CXmlTupletFactors : public CNiffEventHandler {
 public:
  std::unique_ptr<CNiffEventHandler> Clone() const override { return std::make_unique<CXmlTupletFactors>(*this); }
  void OnEvent(const CNiffEvent&) override {}
  bool TimeFactor(int voice, CBeatCounter* factor) const override;
  bool active[kReaderVoices] = {};
  CBeatCounter factor[kReaderVoices];
};

class CMXMLWriter : public CKVReader {
 public:
  explicit CMXMLWriter(CXmlOutput& out) : out_(out) {}

  // Walks the part's stream; a silent walk (dry) only fills the plan.
  void WritePart(const XmlPartSetup& setup, bool dry);
  const XmlPartPlan& Plan() const { return plan_; }
  CXmlOutput& Output() { return out_; }

  // A rest that fills a bar; wholeBar writes the type "whole".
  void WritePaddingRest(const CBeatCounter& duration, int voice, bool wholeBar);

  // ---- Reader operations ----
  void OnPreReadNewBlock() override;
  void OnEndOfBar(uint8_t barStyle) override;
  void OnLeadingBarLine(uint8_t barStyle) override;
  void OnClef(uint8_t shape, uint8_t staffStep, uint8_t octave) override;
  void OnKeySignature(uint8_t value) override;
  void OnTimeSignature(const FileExporting::CTimeSig& signature, bool flag) override;
  void OnSystemMark() override;
  void OnPageMark() override {}
  void OnChord(const ChordRecord& chord) override;
  void OnRest(const RestRecord& rest) override;
  void OnTuplet(const TupletRecord& tuplet) override;
  void OnSlurMark(const uint8_t* item) override;
  void OnMarkKind2() override { tieMark_ = true; }
  void OnMarkKind10(uint8_t value) override;
  void OnMarkKind12(uint8_t value) override;
  void OnGuitarChordText(const uint8_t*) override {}
  void OnGuitarGridText(const uint8_t*) override {}

 private:
  struct TupletSlot {
    bool starting = false;  // starts at the voice's next note
    bool open = false;
    CBeatCounter remaining;  // sounding time still to come
    int notesLeft = 0;
    int actual = 0;           // notes of the tuplet
    int normal = 0;           // notes in whose time they sound; 0: not a whole number
    const char* normalType = "";
  };
  struct SlurSlot {
    bool starting = false;
    bool open = false;
    int voice = 0;
    CBeatCounter remaining;
    CBeatCounter lastDuration;
  };
  // What a note's notations hold besides its own marks.
  struct SpanMarks {
    std::vector<int> slurStarts, slurStops;  // slot numbers 1..10
    bool tupletStart = false, tupletStop = false;
    bool inTuplet = false;  // the note sounds in a tuplet of its voice
  };

  // ---- Measures (MusicXmlWriter.cpp) ----
  void StartPart(const XmlPartSetup& setup, bool dry);
  void FinishPart();
  void EnsureMeasure();
  void EndMeasure(uint8_t barStyle);
  void WriteBarline(int code, const char* location);
  void PadSystem();
  void MoveOutputTo(const CBeatCounter& time);
  int Div(const CBeatCounter& duration);
  void PrepareForMusic();
  void FlushAttributes();
  void WriteStaffDetails();

  // ---- Notes (MusicXmlNotes.cpp) ----
  void WriteChord(const ChordRecord& chord);
  void WriteChordNote(const ChordRecord& chord, int index, const SpanMarks& spans, bool tieStop, bool tieStart);
  void WritePitch(const ChordRecord& chord, int index, bool* written, int* step, int* octave);
  void WriteRest(const RestRecord& rest);
  bool WholeBarRestFits(RestRecord& rest) const;
  SpanMarks TakeSpanMarks(int voice, const CBeatCounter& sounding, bool grace);
  void EndSlursAtLastNote(const uint8_t* item, SpanMarks& marks);
  void WriteTimeModification(int voice, bool inTuplet);
  void WriteBeams(const ChordRecord& chord);
  bool NextChordContinuesBeam(const uint8_t* item, int voice) const;
  bool NextChordHolds(const uint8_t* item, int voice, uint8_t noteByte, bool tablature) const;
  void WriteSpanNotations(const SpanMarks& spans, int voice, bool tieStop, bool tieStart, bool& open);
  const uint8_t* NextItem(const uint8_t* item) const;

  // ---- Texts and directions (MusicXmlDirections.cpp) ----
  void WritePendingDirections();
  void WriteAttachedTexts(const uint8_t* item);
  void WriteLyrics(const uint8_t* item);
  void WriteText(const uint8_t* item);
  void WriteWordsDirection(const std::u16string& text, const char* element, const std::string& position);
  void WriteDynamic(const std::u16string& text, const std::string& position);
  void WriteTempo(const std::u16string& text, const std::string& position);
  void WriteHarmony(const uint8_t* item);
  void WriteFrame(const uint8_t* item);
  void WriteWedges();
  void WriteWedgeStop();
  void WriteWedge(const char* type, int spread, int x);
  // A chord or rest stands after the current item.
  bool MusicFollows() const;
  void RegisterHairpin(const uint8_t* item);

  CXmlOutput& out_;
  XmlPartSetup setup_;
  XmlPartPlan plan_;
  bool dry_ = false;
  CXmlTupletFactors* factors_ = nullptr;

  // Measures.
  bool measureOpen_ = false;
  int measureNumber_ = 1;
  int measuresWritten_ = 0;
  int systemIndex_ = 0;
  int measuresInSystem_ = 0;
  int leftBarline_ = 0;  // for the next measure: 2 forward repeat, 12 without a style
  bool newSystem_ = false;
  bool barHasNotes_ = false;
  uint32_t extraRestBars_ = 0;
  int extraRestVoice_ = 0;
  CBeatCounter outTime_;
  const uint8_t* consumedTo_ = nullptr;  // texts up to here are written

  // Attributes.
  bool firstAttributes_ = false;
  bool keyChanged_ = false, timeChanged_ = false, clefChanged_ = false;
  bool keyForce_ = true, timeForce_ = true, clefForce_ = true;
  bool timeInBar_ = false;
  bool clefSeen_ = false;
  int fifths_ = 0;
  int beats_ = 4, beatTypeCode_ = 5;
  bool timeSymbol_ = false;
  int clefCode_ = 1, clefShift_ = 0;

  // Notes.
  CXmlAccidentalState accidentals_;
  bool tieMark_ = false;
  bool ties_[kReaderVoices][32] = {};
  int ornament_ = 0;
  int lastDiatonic_ = 4 * 7;  // C4 until a note is placed
  TupletSlot tuplets_[kReaderVoices];
  SlurSlot slurs_[10];
  const uint8_t* lastMusicItem_ = nullptr;  // the part's last chord or rest

  // Directions.
  int pedal_ = 0;       // 1 start, 2 stop
  int segnoCoda_ = 0;   // 1 segno, 2 coda
  bool wedgePending_ = false, wedgeOpen_ = false;
  int wedgeType_ = 0;   // HairpinType
  int wedgeOpening_ = 0;  // height of the open end
  int wedgeX_ = 0;        // start offset from its note
  std::vector<const uint8_t*> pendingTexts_;

 public:
  // The tempo last written, kept across parts of one export.
  int* lastTempo = nullptr;
  bool* absoluteTempoSeen = nullptr;
};

// The position attributes (relative-y, then relative-x) of a text placed at
// the stored offsets (x, y); empty when the score has no stave size.
std::string FormatRelativePosition(int x, int y);

// Writes the padding rests of a bar through the writer.
class CBarPadderXML : public CBarPadder {
 public:
  explicit CBarPadderXML(CMXMLWriter& writer) : writer_(writer) {}
  int PadRest(ReaderTimeState& bar, const CBeatCounter& duration, int voice) override;
  int PadBarRest(ReaderTimeState& bar, const CBeatCounter& duration, int voice) override;

 private:
  CMXMLWriter& writer_;
};
