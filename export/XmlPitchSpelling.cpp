#include "export/XmlPitchSpelling.h"

#include <cstdlib>

#include "export/MusicXmlTables.h"
#include "export/NiffWriterError.h"
#include "score/PitchSpelling.h"
#include "score/ScoreItem.h"

int NaturalSemitoneOfStep(int step) {
  static const int kSemitones[7] = {0, 2, 4, 5, 7, 9, 11};
  return kSemitones[FloorMod(step, 7)];
}

char StepLetter(int step) { return "CDEFGAB"[FloorMod(step, 7)]; }

// ---- CNoteDef ------------------------------------------------------------------

int CNoteDef::Step() const { return (position + 70) % 7; }
int CNoteDef::Octave() const { return (position + 70) / 7 - 10; }
int CNoteDef::Semitone() const { return alteration + 12 * Octave() + NaturalSemitoneOfStep(Step()); }
int CNoteDef::PitchClass() const { return FloorMod(Semitone(), 12); }

void CNoteDef::SetFromAccidentalCode(int newPosition, int code) {
  position = newPosition;
  XmlAccidental written = AccidentalWord(code);
  accidental = *written.word ? 1 : 0;
  alteration = written.alter;
}

void CNoteDef::ReduceAlteration(int limit) {
  while (std::abs(alteration) > limit) {
    int semitone = Semitone();
    position += alteration > 0 ? 1 : -1;
    alteration = semitone - (12 * Octave() + NaturalSemitoneOfStep(Step()));
  }
}

void CNoteDef::Respell() {
  ReduceAlteration(1);
  if (alteration == 0) return;
  auto set = [this](int step, int octave, int alter) {
    position = octave * 7 + step;
    alteration = alter;
  };
  int semitone = Semitone();
  int soundingOctave = FloorDiv(semitone, 12);
  switch (PitchClass()) {
    case 0: set(0, soundingOctave, 0); break;   // B sharp: C of the octave above
    case 3: set(2, soundingOctave, -1); break;  // E flat
    case 4: set(2, soundingOctave, 0); break;   // F flat: E
    case 5: set(3, soundingOctave, 0); break;   // E sharp: F
    case 8: set(5, soundingOctave, -1); break;  // A flat
    case 10: set(6, soundingOctave, -1); break; // B flat
    case 11: set(6, soundingOctave, 0); break;  // C flat: B of the octave below
    default: break;
  }
}

// ---- CInterval -----------------------------------------------------------------

int CInterval::Step() const { return position % 7; }
int CInterval::Octave() const { return position / 7; }

int CInterval::NaturalSemitones() const {
  int step = Step();
  return step < 0 ? -NaturalSemitoneOfStep(-step) : NaturalSemitoneOfStep(step);
}

CInterval CInterval::Between(const CNoteDef& from, const CNoteDef& to) {
  CInterval interval;
  interval.position = to.position - from.position;
  interval.alteration =
      (to.Semitone() - from.Semitone()) - 12 * interval.Octave() - interval.NaturalSemitones();
  return interval;
}

// ---- Written pitch of a stave position -------------------------------------------------

bool WrittenPitchOfPosition(int storedPosition, XmlClefSign sign, int line, int octaveChange, int lineCount,
                            int* diatonic) {
  int p = storedPosition;
  int d;
  switch (sign) {
    case XmlClefSign::kF:
      d = 14 + p - 2 * (line ? line : 4);
      break;
    case XmlClefSign::kC:
      d = 18 + p - 2 * (line ? line : 3);
      break;
    default: {
      int shift = lineCount == 1 ? 4 : lineCount == 2 ? 1 : lineCount == 3 ? -2 : 0;
      int i = p + 2 * (2 - (line ? line : 2)) - shift;
      if (lineCount == 2 || lineCount == 3) i = (i - 12) / 2 + 12;
      d = 18 + i;
      break;
    }
  }
  d += 7 * octaveChange;
  if (d < 0 || d >= 70) return false;
  *diatonic = d;
  return true;
}

// ---- Accidental state ----------------------------------------------------------------

void CXmlAccidentalState::ResetAccidentals() {
  fifths_ = 0;
  entries_.clear();
  for (int step = 0; step < 7; ++step) {
    for (int octave = 0; octave <= 6; ++octave) entries_[{StepLetter(step), octave}] = Entry();
  }
}

void CXmlAccidentalState::SetKey(int fifths) {
  CheckOrThrow(fifths >= -7 && fifths <= 7);
  fifths_ = fifths;
  for (auto& [key, entry] : entries_) {
    entry = Entry();
    entry.alteration = KeyAlteration(key.first - 'C', key.second);
  }
}

int CXmlAccidentalState::KeyAlteration(int step, int /*octave*/) const {
  int count = std::abs(fifths_);
  CheckOrThrow(count <= 7);
  const char* order = fifths_ > 0 ? "FCGDAEB" : "BEADGCF";
  char letter = StepLetter(step);
  for (int i = 0; i < count; ++i) {
    if (order[i] == letter) return fifths_ > 0 ? 1 : -1;
  }
  return 0;
}

CXmlAccidentalState::Entry& CXmlAccidentalState::At(int step, int octave) {
  auto found = entries_.find({StepLetter(step), octave});
  if (found != entries_.end()) return found->second;
  // An octave beyond the usual range starts where every other octave does:
  // at the key signature.
  Entry& entry = entries_[{StepLetter(step), octave}];
  entry.alteration = KeyAlteration(step, octave);
  return entry;
}

int CXmlAccidentalState::AlterationInForce(int step, int octave) { return At(step, octave).alteration; }

void CXmlAccidentalState::SetAlteration(int step, int octave, int alteration) {
  Entry& entry = At(step, octave);
  entry.alteration = alteration;
  entry.carried = false;
}

void CXmlAccidentalState::SetTieCarry(int step, int octave, bool flag) { At(step, octave).tieCarry = flag; }

bool CXmlAccidentalState::IsCarried(int step, int octave) { return At(step, octave).carried; }

void CXmlAccidentalState::EndOfBar() {
  for (auto& [key, entry] : entries_) {
    if (entry.tieCarry) {
      entry.carried = true;
    } else {
      entry.alteration = KeyAlteration(key.first - 'C', key.second);
      entry.carried = false;
    }
  }
}

int CXmlAccidentalState::AlterationForNote(int step, int octave, int noteAccidental) {
  if (noteAccidental == kAccidentalNone) return AlterationInForce(step, octave);
  int alter = AccidentalWord(noteAccidental).alter;
  SetAlteration(step, octave, alter);
  return alter;
}

void CXmlAccidentalState::AfterTies(int step, int octave, bool startsTie, bool endsTie) {
  Entry& entry = At(step, octave);
  if (startsTie) {
    entry.tieCarry = true;
    return;
  }
  if (!endsTie) return;
  // The tie is over: nothing carries this alteration past the next bar line.
  entry.tieCarry = false;
  if (entry.carried) {
    entry.carried = false;
    entry.alteration = KeyAlteration(step, octave);
  }
}
