#include "export/ItemDecoders.h"

#include <vector>

#include "export/NiffWriterError.h"
#include "score/InstrumentNameLists.h"
#include "score/InstrumentTable.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

// ---- Structure items ------------------------------------------------------------

StructureItem DecodeStructure(const uint8_t* item) {
  if (item[0] == kBarBoundary) return {StructureKind::kSystemMark, 0};
  if (item[0] == kPageMark) return {StructureKind::kPageMark, 0};
  if (item[0] == kEndOfScore) return {StructureKind::kEndMark, 0};
  if (IsBarLine(item)) return {StructureKind::kBarLine, BarCode(item)};
  return {StructureKind::kUnknown, 0};
}

const char* BarStyleWord(uint8_t style) {
  switch (style) {
    case kBarDoubleRead:
    case kBarDouble:
    case kBarDoubleRead8:
      return "light-light";
    case kBarStartRepeat:
      return "heavy-light";
    case kBarEndRepeat:
    case kBarEndStartRepeat:  // closes the bar as an end repeat; the next bar opens with heavy-light
    case kBarFinal:
      return "light-heavy";
    case kBarNone:
      return "none";
    default:
      return "";
  }
}

const char* RepeatDirectionWord(uint8_t style) {
  switch (style) {
    case kBarStartRepeat:
      return "forward";
    case kBarEndRepeat:
    case kBarEndStartRepeat:
      return "backward";
    default:
      return "";
  }
}

// ---- Clef -------------------------------------------------------------------------

ClefFields DecodeClef(const uint8_t* item, uint32_t lineCount) {
  CheckOrThrow(lineCount >= 1 && lineCount <= kMaxStaveLines);
  static const uint8_t kShape[] = {kNiffClefG, kNiffClefG, kNiffClefC, kNiffClefC, kNiffClefC, kNiffClefC,
                                   kNiffClefF, kNiffClefF};
  static const uint8_t kStep[] = {0, 2, 0, 2, 4, 6, 4, 6};
  static const uint8_t kOctave[] = {0, 2, 1, 4, 3};
  const uint8_t code = ClefCodeOf(item);
  const uint8_t octave = ClefOctaveShift(item);
  CheckOrThrow(code <= kClefTablature && octave <= kOctaveUpTwo);
  ClefFields fields{};
  fields.octave = kOctave[octave];
  if (code < kClefPercussion) {
    fields.shape = kShape[code];
    fields.staffStep = kStep[code];
  } else {
    // Percussion and tablature clefs stand in the middle of the stave.
    fields.shape = code == kClefTablature ? kNiffClefTablature : kNiffClefPercussion;
    fields.staffStep = static_cast<uint8_t>(lineCount - 1);
  }
  return fields;
}

bool IsStandardClefShape(uint8_t shape) { return shape == 1 || shape == 2 || shape == 3 || shape == 5 || shape == 6; }

// ---- Key and time -------------------------------------------------------------------

uint8_t KeyValue(const uint8_t* item) {
  uint8_t count = KeyAccidentalCount(item);
  uint8_t value = (!KeyIsSharps(item) && count != 0) ? static_cast<uint8_t>(count + 7) : count;
  if (KeyIsNotPlayed(item)) value = static_cast<uint8_t>(value + kKeyNotInForce);
  return value;
}

TimeSignatureFields DecodeTimeSignature(const uint8_t* item) {
  TimeSignatureFields fields;
  fields.signature = FileExporting::CTimeSig(TimeNumerator(item), TimeDenominator(item), TimeIsSymbol(item) ? 1 : 0);
  fields.screenOnly = TimeIsScreenOnly(item);
  fields.hidden = TimeIsHidden(item);
  return fields;
}

// ---- Chord ----------------------------------------------------------------------------

uint8_t NiffNoteheadShape(int durationCode, int notehead) {
  CheckOrThrow(durationCode >= 0 && durationCode <= kDurationBreve && notehead >= 0 && notehead <= 3);
  const int column = durationCode <= kDurationQuarter ? 0 : durationCode - kDurationQuarter;
  static const uint8_t kShapes[3][4] = {
      {kNiffHeadFilled, kNiffHeadHalf, kNiffHeadWhole, kNiffHeadBreve},
      {kNiffHeadCrossShort, kNiffHeadCrossLong, kNiffHeadCrossLong, kNiffHeadCrossLong},
      {kNiffHeadNoneShort, kNiffHeadNoneLong, kNiffHeadNoneLong, kNiffHeadNoneLong},
  };
  // Kinds 2 and 3 both mean a chord drawn without heads.
  return kShapes[notehead == 3 ? 2 : notehead][column];
}

ChordFields DecodeChord(const uint8_t* item) {
  ChordFields fields{};
  fields.voice = ChordVoice(item);
  fields.noteCount = ChordNoteCount(item);
  fields.durationCode = ChordDurationCode(item);
  fields.dots = ChordDots(item);
  fields.noAdvance = ChordSharesColumn(item);
  fields.stemUp = !ChordStemDown(item);
  fields.grace = ChordIsGrace(item);
  fields.small = ChordIsSmall(item);
  fields.notehead = ChordNotehead(item);
  CheckOrThrow(fields.durationCode <= kDurationBreve);
  fields.duration = DurationOf(fields.durationCode, fields.dots);
  fields.niffShape = NiffNoteheadShape(fields.durationCode, fields.notehead);
  return fields;
}

BeamFlagPair BeamFlags(const uint8_t* item) {
  BeamFlagPair flags;
  flags.inBeam = ChordBeamedToNext(item);
  flags.startsGroup = flags.inBeam && ChordStartsBeamGroup(item);
  return flags;
}

AccidentalPairValue AccidentalPair(int code) {
  static const AccidentalPairValue kPairs[] = {{0, 0}, {3, 0}, {4, 0}, {2, 0}, {5, 0}, {1, 0}, {7, 4}, {6, 2}};
  CheckOrThrow(code >= 0 && code <= 7);
  return kPairs[code];
}

int AccidentalFromPair(AccidentalPairValue pair) {
  static const int kCodes[] = {0, 5, 3, 1, 2, 4, 7, 6};
  int v = pair.secondary != 0 ? pair.secondary : pair.primary;
  return v >= 1 && v <= 7 ? kCodes[v] : 0;
}

AccidentalPairValue AccidentalFromAlteration(int alteration) {
  CheckOrThrow(alteration >= -2 && alteration <= 2);
  return {static_cast<uint8_t>(alteration + 3), 0};
}

int DecodeStandardNotes(const uint8_t* item, DecodedNote* out, int capacity) {
  const int count = ChordNoteCount(item);
  CheckOrThrow(count <= capacity);
  for (int i = 0; i < count; ++i) {
    DecodedNote& note = out[i];
    note = DecodedNote{};
    note.first = NotePosition(item, i);
    note.staffPosition = note.first - kBottomStaveLinePosition;
    note.tabString = 255;
    note.accidental = AccidentalPair(NoteAccidentalOf(item, i));
  }
  // Highest first; a bubble sort keeps equal notes in their order.
  for (int pass = 0; pass + 1 < count; ++pass)
    for (int i = 0; i + 1 < count - pass; ++i)
      if (out[i].first < out[i + 1].first) std::swap(out[i], out[i + 1]);
  return count;
}

TabPitchValue TabPitch(int fret, int string, bool bass, bool clamp) {
  static const int kGuitar[] = {16, 21, 26, 31, 35, 40};
  static const int kBass[] = {4, 9, 14, 19};
  CheckOrThrow(string >= 0 && string < (bass ? 4 : 6) && fret >= 0);
  const int semitone = (bass ? kBass[string] : kGuitar[string]) + fret;
  // Spelled with sharps: step and alteration of each pitch class.
  static const int kStep[] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
  static const int kAlter[] = {0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0};
  const int diatonic = (semitone / 12) * 7 + kStep[semitone % 12];
  int position = diatonic + 1;
  CheckOrThrow(position >= 3 && position <= 43);
  if (clamp && position >= 32) position = 31;
  return {position - 12, AccidentalFromAlteration(kAlter[semitone % 12])};
}

// ---- Rest -------------------------------------------------------------------------------

RestValues DecodeRest(const uint8_t* item, const FileExporting::CTimeSig& signature) {
  RestValues fields{};
  const CBeatCounter bar(signature.numerator, signature.denominator);
  fields.voice = RestVoice(item);
  if (IsMultiBarRest(item)) {
    fields.multiBar = true;
    fields.bars = MultiBarRestBars(item);
    fields.niffShape = 12;
    fields.wholeBar = true;
    fields.duration = bar;
    return fields;
  }
  static const uint8_t kShapes[] = {9, 8, 7, 6, 5, 4, 3, 2};
  fields.durationCode = RestDurationCode(item);
  fields.dots = RestDots(item);
  fields.noAdvance = RestSharesColumn(item);
  fields.niffShape = kShapes[fields.durationCode];
  if (fields.durationCode == kDurationWhole && fields.dots == 0) {
    fields.wholeBar = true;
    fields.duration = bar;
  } else {
    fields.duration = DurationOf(fields.durationCode, fields.dots);
  }
  return fields;
}

// ---- Marks ----------------------------------------------------------------------------

uint8_t MarkSubKindOf(const uint8_t* item) { return MarkSubKind(item); }

uint32_t ArticulationBits(const uint8_t* item) {
  static const uint32_t kFlagBits[] = {2, 1, 4, 32, 16, 64, 0x400};
  static const uint32_t kCodeBits[] = {0, 128, 128, 128, 128, 8, 2048, 0};
  uint32_t bits = 0;
  const uint8_t flags = ChordMarkFlags(item);
  for (int i = 0; i < 7; ++i)
    if (flags & (1u << i)) bits |= kFlagBits[i];
  return bits | kCodeBits[ChordArticulation(item)];
}

int OrnamentCode(uint8_t value) {
  static const int kCodes[] = {7, 2, 1, 5, 6};
  CheckOrThrow(value <= 4);
  return kCodes[value];
}

int PedalState(uint8_t value) { return value == 1 ? 2 : 1; }

// ---- Texts -------------------------------------------------------------------------------

DecodedText DecodeText(const uint8_t* item, uint8_t version) {
  DecodedText decoded;
  decoded.kind = TextSubKindOf(item) == kTextSegno ? 1 : 2;
  std::vector<char16_t> buffer(TextByteCount(item, version) + 1);
  size_t units = ReadItemText(item, version, buffer.data(), buffer.size());
  decoded.text.assign(buffer.data(), units);
  return decoded;
}

TwoValuesField TwoValues(const uint8_t* item, uint8_t version) {
  return {static_cast<uint16_t>(TextWordAt(item, version, 0)), static_cast<uint16_t>(TextWordAt(item, version, 1))};
}

GuitarGrid DecodeGuitarGrid(const uint8_t* item, uint8_t version) {
  uint8_t fields[kChordDiagramFieldCount] = {};
  GetChordDiagramFields(item, fields, version);
  GuitarGrid grid{};
  grid.baseFret = fields[0];
  for (int s = 0; s < 6; ++s) {
    const uint8_t value = fields[1 + s];
    grid.played[s] = value != 7;
    grid.fret[s] = value != 7 ? value : 0;
  }
  return grid;
}

// ---- Part identity ------------------------------------------------------------------------

PartIdentityValue PartIdentity(int part, int* channelCounter) {
  CheckOrThrow(part >= 0 && part < kPartSlots);
  PartIdentityValue identity{};
  identity.name = PartNameTable[part];
  const char16_t* instrument = LookupPartInstrumentName(part);
  if (instrument) identity.instrumentName = instrument;
  int8_t transposition = 0;
  int program = ReadInstrumentTable(PartNameTable[part], &transposition, part, nullptr, nullptr);
  identity.transposition = transposition;
  const bool tablature = PartTablatureFlags[part].flag != 0;
  bool pitched = PartLineCount(part) >= 4 && program < 1000;
  if (!pitched) {
    if (!tablature) {
      identity.drum = true;
      identity.channel = 10;
      identity.program = 1;
      return identity;
    }
    program = DefaultMidiProgram(part);
  }
  identity.program = program;
  if (channelCounter) {
    identity.channel = *channelCounter;
    *channelCounter += 1;
    if (*channelCounter == 10) *channelCounter = 11;
  }
  return identity;
}
