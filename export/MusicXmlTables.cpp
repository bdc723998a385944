#include "export/MusicXmlTables.h"

#include "score/ScoreItem.h"

const char* NoteTypeWord(int durationCode) {
  static const char* const kWords[] = {"128th", "64th", "32nd", "16th", "eighth", "quarter", "half", "whole", "breve"};
  return durationCode >= 0 && durationCode <= 8 ? kWords[durationCode] : "";
}

const char* PowerOfTwoTypeWord(uint32_t denominator) {
  static const char* const kWords[] = {"whole", "half", "quarter", "eighth", "16th", "32nd", "64th", "128th"};
  for (int i = 0; i < 8; ++i) {
    if (denominator == (1u << i)) return kWords[i];
  }
  return "";
}

XmlAccidental AccidentalWord(int noteAccidental) {
  switch (noteAccidental) {
    case kAccidentalNatural: return {"natural", 0};
    case kAccidentalSharp: return {"sharp", 1};
    case kAccidentalFlat: return {"flat", -1};
    case kAccidentalDoubleSharp: return {"double-sharp", 2};
    case kAccidentalDoubleFlat: return {"flat-flat", -2};
    case kAccidentalNaturalSharp: return {"natural-sharp", 1};
    case kAccidentalNaturalFlat: return {"natural-flat", -1};
    default: return {"", 0};
  }
}

int OctaveChangeOfShift(int octaveShift) {
  switch (octaveShift) {
    case kOctaveDown: return -1;
    case kOctaveUp: return 1;
    case kOctaveDownTwo: return -2;
    case kOctaveUpTwo: return 2;
    default: return 0;
  }
}

XmlClef ClefWords(int clefCode, int octaveShift) {
  struct Row {
    const char* sign;
    int line;
  };
  static const Row kRows[] = {
      {"G", 1}, {"G", 2}, {"C", 1}, {"C", 2}, {"C", 3}, {"C", 4},
      {"F", 3}, {"F", 4}, {"percussion", 0}, {"percussion", 0}, {"TAB", 5},
  };
  if (clefCode < 0 || clefCode > kClefTablature) return {"C", 0, 0};
  const Row& row = kRows[clefCode];
  // Only the letter clefs transpose what is written under them.
  int change = clefCode <= kClefBass ? OctaveChangeOfShift(octaveShift) : 0;
  return {row.sign, row.line, change};
}

XmlArticulation ArticulationWord(int markCode) {
  using G = ArticulationGroup;
  switch (markCode) {
    case 1: return {"strong-accent/", G::kArticulations};
    case 2: return {"accent/", G::kArticulations};
    case 3: return {"tenuto/", G::kArticulations};
    case 4: return {"staccato/", G::kArticulations};
    case 5: return {"down-bow/", G::kTechnical};
    case 6: return {"up-bow/", G::kTechnical};
    case 7: return {"open-string/", G::kTechnical};
    case 8: return {"fermata/", G::kNotations};
    case 11: return {"stopped/", G::kTechnical};
    case 12: return {"staccatissimo/", G::kArticulations};
    default: return {"", G::kNone};
  }
}

const char* OrnamentWord(int ornamentCode) {
  switch (ornamentCode) {
    case 1: return "mordent/";
    case 2: return "inverted-mordent/";
    case 5: return "turn/";
    case 6: return "turn/";  // MusicXML 1.0 has no inverted turn
    case 7: return "trill-mark/";
    default: return "";
  }
}

namespace {
const char* const kDynamicsWords[kDynamicsWordCount] = {
    "pppp/", "ppp/", "pp/", "p/", "mp/", "mf/", "f/", "ff/", "fff/", "ffff/",
    "sp/", "sf/", "sfz/", "fz/", "fp/", "cresc/", "crescendo/", "dim/", "diminuendo/",
};
}  // namespace

const char* DynamicsWord(int index) {
  return index >= 0 && index < kDynamicsWordCount ? kDynamicsWords[index] : "";
}

bool IsOtherDynamicsWord(int index) { return index == 10 || index >= 15; }

namespace {
constexpr ChordDegree kAdd7{7, 0, "add"};
constexpr ChordDegree kAdd9{9, 0, "add"};
constexpr ChordDegree kAddFlat9{9, -1, "add"};
constexpr ChordDegree kAddSharp9{9, 1, "add"};
constexpr ChordDegree kFlatFifth{5, -1, "alter"};
constexpr ChordDegree kNoThird{3, 0, "subtract"};

const ChordKindRow kChordRows[kChordKindRowCount] = {
    {"", "major", 0, {}},
    {"5(no3rd)", "major", 1, {kNoThird}},
    {"5", "major", 1, {kNoThird}},
    {"5(omit3)", "major", 1, {kNoThird}},
    {"m9(maj7)", "major-minor", 1, {kAdd9}},
    {"m(maj7)", "minor", 1, {kAdd7}},
    {"m(add9)", "minor", 1, {kAdd9}},
    {"maj7#11", "major-seventh", 1, {{11, 1, "add"}}},
    {"13sus4", "suspended-fourth", 3, {kAdd7, kAdd9, {13, 0, "add"}}},
    {"aug7b9", "augmented", 2, {kAdd7, kAddFlat9}},
    {"aug7#9", "augmented", 2, {kAdd7, kAddSharp9}},
    {"7b5#9", "dominant", 2, {kFlatFifth, kAddSharp9}},
    {"7sus4", "suspended-fourth", 1, {kAdd7}},
    {"9sus4", "suspended-fourth", 2, {kAdd7, kAdd9}},
    {"maj13", "major-13th", 0, {}},
    {"sus2", "suspended-second", 0, {}},
    {"sus4", "suspended-fourth", 0, {}},
    {"m6/9", "minor-sixth", 1, {kAdd9}},
    {"7#11", "dominant", 1, {{11, 1, "add"}}},
    {"m7b5", "half-diminished", 0, {}},
    {"maj7", "major-seventh", 0, {}},
    {"maj9", "major-ninth", 0, {}},
    {"m9b5", "minor-ninth", 1, {kFlatFifth}},
    {"add9", "major", 1, {kAdd9}},
    {"aug7", "augmented", 1, {kAdd7}},
    {"aug9", "augmented", 1, {kAdd9}},
    {"+7b9", "augmented", 2, {kAdd7, kAddFlat9}},
    {"+7#9", "augmented", 2, {kAdd7, kAddSharp9}},
    {"dim7", "diminished-seventh", 0, {}},
    {"6/9", "major-sixth", 1, {kAdd9}},
    {"mb6", "minor", 1, {{6, -1, "add"}}},
    {"7b5", "dominant", 1, {kFlatFifth}},
    {"7b9", "dominant", 1, {kAddFlat9}},
    {"7#9", "dominant", 1, {kAddSharp9}},
    {"9b5", "dominant-ninth", 1, {kFlatFifth}},
    {"m11", "minor-11th", 0, {}},
    {"m13", "minor-13th", 2, {{9, 0, "subtract"}, {11, 0, "subtract"}}},
    {"aug", "augmented", 0, {}},
    {"dim", "diminished", 0, {}},
    {"m6", "minor-sixth", 0, {}},
    {"m7", "minor-seventh", 0, {}},
    {"m9", "minor-ninth", 0, {}},
    {"11", "dominant-11th", 0, {}},
    {"13", "dominant-13th", 2, {{5, 0, "subtract"}, {11, 0, "subtract"}}},
    {"+7", "augmented", 1, {kAdd7}},
    {"+9", "augmented", 1, {kAdd9}},
    {"m", "minor", 0, {}},
    {"6", "major-sixth", 0, {}},
    {"7", "dominant", 0, {}},
    {"9", "dominant-ninth", 0, {}},
    {"+", "augmented", 0, {}},
};

bool BeginsWith(const char16_t* text, const char* prefix) {
  for (; *prefix; ++prefix, ++text) {
    if (*text != static_cast<unsigned char>(*prefix)) return false;
  }
  return true;
}
}  // namespace

const ChordKindRow& ChordKindRowAt(int row) {
  return kChordRows[row >= 0 && row < kChordKindRowCount ? row : 0];
}

int FindChordKindRow(const char16_t* suffixText) {
  if (!suffixText) return -1;
  for (int row = 1; row < kChordKindRowCount; ++row) {
    if (BeginsWith(suffixText, kChordRows[row].suffix)) return row;
  }
  return -1;
}

const char* DrumSoundName(int key) {
  static const char* const kNames[] = {
      "Acoustic Bass Drum", "Bass Drum 1", "Side Stick", "Acoustic Snare", "Hand Clap", "Electric Snare",
      "Low Floor Tom", "Closed Hi-Hat", "High Floor Tom", "Pedal Hi-Hat", "Low Tom", "Open Hi-Hat",
      "Low-Mid Tom", "Hi-Mid Tom", "Crash Cymbal 1", "High Tom", "Ride Cymbal 1", "Chinese Cymbal",
      "Ride Bell", "Tambourine", "Splash Cymbal", "Cowbell", "Crash Cymbal 2", "Vibraslap",
      "Ride Cymbal 2", "Hi Bongo", "Low Bongo", "Mute Hi Conga", "Open Hi Conga", "Low Conga",
      "Hi Timbale", "Low Timbale", "High Agogo", "Low Agogo", "Cabasa", "Maracas",
      "Short Whistle", "Long Whistle", "Short Guiro", "Long Guiro", "Claves", "Hi Wood Block",
      "Low Wood Block", "Mute Cuica", "Open Cuica", "Mute Triangle", "Open Triangle",
  };
  static_assert(sizeof(kNames) / sizeof(kNames[0]) == 81 - 35 + 1, "one name per key 35..81");
  return key >= 35 && key <= 81 ? kNames[key - 35] : nullptr;
}

bool TablatureTuning(int lineCount, int line, StaffTuning* tuning) {
  static const StaffTuning kSix[] = {{'E', 2}, {'A', 2}, {'D', 3}, {'G', 3}, {'B', 3}, {'E', 4}};
  static const StaffTuning kBass[] = {{'E', 1}, {'A', 1}, {'D', 2}, {'G', 2}};
  if (line < 1) return false;
  if (lineCount == 6) {
    if (line > 6) return false;
    *tuning = kSix[line - 1];
    return true;
  }
  if (lineCount > 4 || line > 4 || line > lineCount) return false;
  *tuning = kBass[line - 1];
  return true;
}

int BeatTypeOfCode(int code) { return code >= 0 && code <= 7 ? 128 >> code : 0; }
