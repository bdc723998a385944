// The exporters' view of score items: small decoders over the score model's
// item accessors, and the tables that turn the score's codes into the codes
// of the output formats. A code outside a table is refused with
// CNiffWriterError.
#pragma once

#include <cstdint>
#include <string>

#include "export/BeatCounter.h"

// ---- Structure items (kind 0) ------------------------------------------------

enum class StructureKind {
  kBarLine,     // a bar-line item of style 0..15
  kSystemMark,  // ends one part's staff of a system
  kPageMark,
  kEndMark,     // the last item of a stream
  kUnknown,     // a kind-0 byte with no meaning: stepped over
};
struct StructureItem {
  StructureKind kind;
  uint8_t barStyle;  // for kBarLine
};
StructureItem DecodeStructure(const uint8_t* item);

// MusicXML bar-style word of a bar-line style ("" for a plain bar line).
const char* BarStyleWord(uint8_t style);
// MusicXML repeat direction of a bar-line style: "forward", "backward" or "".
const char* RepeatDirectionWord(uint8_t style);

// ---- Clef (kind 1) -------------------------------------------------------------

enum NiffClefShape : uint8_t {
  kNiffClefG = 1,
  kNiffClefF = 2,
  kNiffClefC = 3,
  kNiffClefPercussion = 4,
  kNiffClefTablature = 6,
};
struct ClefFields {
  uint8_t shape;
  uint8_t staffStep;  // counted up from the bottom line in half spaces
  uint8_t octave;     // NIFF octave value
};
// lineCount: the part's number of stave lines; 1..6, else refused.
ClefFields DecodeClef(const uint8_t* item, uint32_t lineCount);
bool IsStandardClefShape(uint8_t shape);

// ---- Key and time signatures (kinds 2, 3) ---------------------------------------

// Count of sharps, or count + 7 for flats; + 64 when the key is not in force.
uint8_t KeyValue(const uint8_t* item);
constexpr uint8_t kKeyNotInForce = 64;

struct TimeSignatureFields {
  FileExporting::CTimeSig signature;
  bool screenOnly;  // b1 bit 3
  bool hidden;      // b1 bit 7: not in force, not reported
};
TimeSignatureFields DecodeTimeSignature(const uint8_t* item);

// ---- Chord (kind 4) ----------------------------------------------------------------

enum NiffNoteheadShape : uint8_t {
  kNiffHeadBreve = 1,
  kNiffHeadWhole = 2,
  kNiffHeadHalf = 3,
  kNiffHeadFilled = 4,
  kNiffHeadNoneShort = 6,
  kNiffHeadNoneLong = 5,
  kNiffHeadCrossShort = 7,
  kNiffHeadCrossLong = 8,
};
struct ChordFields {
  int voice;
  int noteCount;
  int durationCode;
  int dots;
  bool noAdvance;  // stands in the column of the previous chord
  bool stemUp;
  bool grace;
  bool small;
  int notehead;    // 0 normal, 1 cross, 2 and 3 no head
  CBeatCounter duration;
  uint8_t niffShape;
};
// Refuses duration codes above 8.
ChordFields DecodeChord(const uint8_t* item);
uint8_t NiffNoteheadShape(int durationCode, int notehead);

struct BeamFlagPair {
  bool inBeam;
  bool startsGroup;
};
BeamFlagPair BeamFlags(const uint8_t* item);

struct AccidentalPairValue {
  uint8_t primary;
  uint8_t secondary;
};
// Score accidental 0..7 to the NIFF pair; above 7 refused.
AccidentalPairValue AccidentalPair(int code);
int AccidentalFromPair(AccidentalPairValue pair);
// Alteration -2..2 in semitones to the pair (1..5, 0); others refused.
AccidentalPairValue AccidentalFromAlteration(int alteration);

// One note of a chord as the record builders take it.
struct DecodedNote {
  int staffPosition;  // standard staff: position - 12 (0 the bottom line)
  uint8_t first;      // the note byte's staff position or fret field
  uint8_t tabString;  // 255 on a standard staff
  uint8_t fret;       // tablature only
  AccidentalPairValue accidental;
  int32_t tie;
};
// The notes of a standard-staff chord, highest first (a stable sort).
int DecodeStandardNotes(const uint8_t* item, DecodedNote* out, int capacity);

struct TabPitchValue {
  int staffPosition;
  AccidentalPairValue accidental;
};
// Pitch of a fret on a string (open strings E2 A2 D3 G3 B3 E4, bass E1 A1 D2
// G2), spelled with sharps; a position outside 3..43 is refused.
TabPitchValue TabPitch(int fret, int string, bool bass, bool clamp);

// ---- Rest (kind 5) -----------------------------------------------------------------

struct RestValues {
  bool multiBar;
  uint32_t bars;  // multi-bar rest
  int voice;
  int durationCode;
  int dots;
  bool noAdvance;
  bool wholeBar;  // fills the bar it stands in
  uint8_t niffShape;
  CBeatCounter duration;
};
// A rest of value code 7 (and a multi-bar rest) lasts one bar of the given
// signature; other codes their note value.
RestValues DecodeRest(const uint8_t* item, const FileExporting::CTimeSig& signature);

// ---- Marks (kind 6) ------------------------------------------------------------------

uint8_t MarkSubKindOf(const uint8_t* item);
// The NIFF articulation bits of a chord.
uint32_t ArticulationBits(const uint8_t* item);
// Ornament code of an ornament mark's value (trill 7, inverted mordent 2,
// mordent 1, turn 5, inverted turn 6); other values refused.
int OrnamentCode(uint8_t value);
// Pedal state of a pedal mark's value: 1 release gives 2, others 1 (press).
int PedalState(uint8_t value);

// ---- Texts (kind 7) --------------------------------------------------------------------

struct DecodedText {
  int kind;  // 1 for a segno word, else 2
  std::u16string text;
};
DecodedText DecodeText(const uint8_t* item, uint8_t version);
struct TwoValuesField {
  uint16_t first;
  uint16_t second;
};
TwoValuesField TwoValues(const uint8_t* item, uint8_t version);

struct GuitarGrid {
  uint8_t baseFret;
  uint8_t fret[6];    // 0 when not played
  uint8_t played[6];
};
GuitarGrid DecodeGuitarGrid(const uint8_t* item, uint8_t version);

// ---- Part identity (MusicXML part list) ---------------------------------------------------

struct PartIdentityValue {
  std::u16string name;
  std::u16string instrumentName;
  int8_t transposition;
  int channel;
  int program;
  bool drum;
};
// channelCounter may be null (channel 0); pitched parts take the next channel,
// skipping 10, which drum parts keep.
PartIdentityValue PartIdentity(int part, int* channelCounter);
