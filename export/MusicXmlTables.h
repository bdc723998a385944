// The words of the MusicXML 1.0 document for the score's codes. Codes are
// those of the score's item table (score/ScoreItem.h). A code a table does
// not list gives the empty word; the writer then leaves the element out.
// Names ending in "/" are written as empty elements.
#pragma once

#include <cstdint>

// Note value by duration code (0 = 128th .. 8 = breve).
const char* NoteTypeWord(int durationCode);
// Note value by the denominator of a power-of-two duration (1 whole .. 128).
const char* PowerOfTwoTypeWord(uint32_t denominator);

// Accidental of a note byte (NoteAccidental codes) and the alteration it gives.
struct XmlAccidental {
  const char* word;
  int alter;
};
XmlAccidental AccidentalWord(int noteAccidental);

// Clef by clef code and octave shift code of a clef item.
struct XmlClef {
  const char* sign;
  int line;          // 0: not written
  int octaveChange;  // 0: not written
};
XmlClef ClefWords(int clefCode, int octaveShift);
// Octaves an octave shift code moves the written notes (down negative).
int OctaveChangeOfShift(int octaveShift);

// Articulation marks: bit k of the mask is mark code k + 1.
enum class ArticulationGroup { kNone, kArticulations, kTechnical, kNotations };
struct XmlArticulation {
  const char* word;
  ArticulationGroup group;
};
XmlArticulation ArticulationWord(int markCode);  // 1..12

// Ornament by ornament code (1 mordent, 2 inverted mordent, 5 turn,
// 6 inverted turn, 7 trill).
const char* OrnamentWord(int ornamentCode);

constexpr int kDynamicsWordCount = 19;
const char* DynamicsWord(int index);  // 0 "pppp/" .. 18 "diminuendo/"
// True for the words that are not dynamics elements of the DTD ("sp",
// "cresc" ...): they go into <other-dynamics> as text.
bool IsOtherDynamicsWord(int index);
// The words 0 .. 14 (pppp .. fp) are dynamics marks; the later ones ("cresc",
// "crescendo", "dim", "diminuendo") are written as words.
constexpr int kDynamicsMarkWords = 15;

// Chord-symbol kinds.
struct ChordDegree {
  int value;
  int alter;
  const char* type;  // "add", "alter", "subtract"
};
struct ChordKindRow {
  const char* suffix;  // "" for row 0
  const char* kind;
  int degreeCount;
  ChordDegree degrees[4];
};
constexpr int kChordKindRowCount = 51;
const ChordKindRow& ChordKindRowAt(int row);
// The first of rows 1..50 whose suffix begins the text; -1 when none.
int FindChordKindRow(const char16_t* suffixText);

// General MIDI percussion key name for keys 35..81, else null.
const char* DrumSoundName(int key);

// Tuning of a tablature stave line counted from the bottom (1..).
struct StaffTuning {
  char step;
  int octave;
};
// false when the line count writes no tuning or the line is out of range.
bool TablatureTuning(int lineCount, int line, StaffTuning* tuning);

// Beat-type by beat-type code 0..7 (128 .. 1); 0 for others.
int BeatTypeOfCode(int code);
