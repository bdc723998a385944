// Pitch arithmetic of the export: pitches and intervals as a diatonic
// position with an alteration, the written pitch of a stave position under a
// clef, and the accidental state of the MusicXML writer (which alteration is
// in force for each step and octave within a bar).
#pragma once

#include <cstdint>
#include <map>
#include <utility>

// Steps: C 0, D 1, E 2, F 3, G 4, A 5, B 6.
int NaturalSemitoneOfStep(int step);
char StepLetter(int step);

class CNoteDef {
 public:
  CNoteDef() = default;
  CNoteDef(int step, int alteration, int octave, int flag)
      : position(octave * 7 + step), alteration(alteration), accidental(flag) {}
  virtual ~CNoteDef() = default;

  virtual int Step() const;    // 0..6
  virtual int Octave() const;
  int Semitone() const;        // C0 = 0
  int PitchClass() const;

  // A note byte's accidental code; code 0 (none) clears the flag.
  void SetFromAccidentalCode(int newPosition, int code);
  // Moves the note to a neighbouring step, keeping its sound, until the
  // alteration is at most limit in magnitude (C double sharp becomes D).
  void ReduceAlteration(int limit);
  // Prefers the common spelling: B sharp is C, G sharp A flat ...
  void Respell();

  int32_t position = 0;    // octave * 7 + step
  int32_t alteration = 0;  // semitones
  int32_t accidental = 0;  // non-zero when written
};

class CInterval : public CNoteDef {
 public:
  int Step() const override;    // toward zero: negative downwards
  int Octave() const override;  // toward zero
  int NaturalSemitones() const;
  static CInterval Between(const CNoteDef& from, const CNoteDef& to);
};

// Clef as the document writes it.
enum class XmlClefSign { kG, kF, kC, kOther };

// The written diatonic number (octave * 7 + step) of a note byte's stored
// position (12 the bottom line) under a clef sign, its line (0 none), the
// clef's octave change and the stave's line count. False when the pitch
// falls outside MusicXML's octaves 0..9.
bool WrittenPitchOfPosition(int storedPosition, XmlClefSign sign, int line, int octaveChange, int lineCount,
                            int* diatonic);

// Accidental state of the MusicXML writer: for each step and octave the
// alteration in force, reset to the key signature at every bar line unless
// a tie carries it over.
class CXmlAccidentalState {
 public:
  CXmlAccidentalState() { ResetAccidentals(); }

  void ResetAccidentals();            // the start of a part: key 0
  void SetKey(int fifths);            // a key signature, -7..7 (else refused)
  int Key() const { return fifths_; }
  int KeyAlteration(int step, int octave) const;
  int AlterationInForce(int step, int octave);
  void SetAlteration(int step, int octave, int alteration);  // a written accidental
  void SetTieCarry(int step, int octave, bool flag);
  bool IsCarried(int step, int octave);
  void EndOfBar();

  // The note-level rules: the alteration a note is written with (its own
  // accidental code, 0 for none, recorded; else the one in force), and the
  // bookkeeping after its ties.
  int AlterationForNote(int step, int octave, int noteAccidental);
  void AfterTies(int step, int octave, bool startsTie, bool endsTie);

 private:
  struct Entry {
    int alteration = 0;
    bool tieCarry = false;
    bool carried = false;
  };
  Entry& At(int step, int octave);

  int fifths_ = 0;
  std::map<std::pair<char, int>, Entry> entries_;
};
