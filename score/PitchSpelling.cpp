#include "score/PitchSpelling.h"

#include <algorithm>
#include <cstdlib>

#include "score/MusicalState.h"

namespace {

BeamGroupStemHook g_stemHook = nullptr;

// Position of a pitch class within its octave block (G sharp .. G), by key.
int BasePosition(int pitchClass, int key) {
  if (key == 0) {
    static const int kNoKey[12] = {10, 10, 11, 12, 12, 13, 13, 14, 7, 8, 9, 9};
    return kNoKey[pitchClass];
  }
  if (key < 0) {
    int n = -key;
    switch (pitchClass) {
      case 1: return n < 2 ? 10 : 11;
      case 4: return n < 5 ? 12 : 13;
      case 6: return n < 3 ? 13 : 14;
      case 8: return 8;
      case 11: return n < 4 ? 9 : 10;
      default: return BasePosition(pitchClass, 0);
    }
  }
  int k = key;
  switch (pitchClass) {
    case 0: return k < 4 ? 10 : 9;
    case 2: return k == 6 ? 10 : 11;
    case 3: return 11;
    case 5: return k <= 2 ? 13 : 12;
    case 7: return k == 5 ? 13 : 14;
    case 9: return k == 7 ? 7 : 8;
    case 10: return k <= 1 ? 9 : 8;
    default: return BasePosition(pitchClass, 0);
  }
}

int ClefNumberOffset(int clefNumber) {
  static const int kOffsets[9] = {0, -2, 0, 2, 4, 6, 8, 10, 12};
  return clefNumber >= 0 && clefNumber <= 8 ? kOffsets[clefNumber] : 0;
}

int OctaveShiftSteps(int octaveShift) {
  switch (octaveShift) {
    case kOctaveDown: return 7;
    case kOctaveUp: return -7;
    case kOctaveDownTwo: return 14;
    case kOctaveUpTwo: return -14;
    default: return 0;
  }
}

int OctaveShiftSemitones(int octaveShift) { return -12 * OctaveShiftSteps(octaveShift) / 7; }

// Signed alteration of a note byte's accidental code.
int AlterationOf(int accidental) {
  static const int kAlteration[8] = {0, 0, 1, -1, 2, -2, 1, -1};
  return kAlteration[accidental & 7];
}

int AccidentalCodeFor(int alteration) {
  switch (alteration) {
    case 1: return kAccidentalSharp;
    case -1: return kAccidentalFlat;
    case 2: return kAccidentalDoubleSharp;
    case -2: return kAccidentalDoubleFlat;
    default: return kAccidentalNatural;
  }
}

int SignedKey(const uint8_t* keyItem) {
  int count = KeyAccidentalCount(keyItem);
  return KeyIsSharps(keyItem) ? count : -count;
}

bool HasLetters(int clefCode) { return clefCode >= 0 && clefCode <= kClefBass; }

// Position of pitch + t, spelled without a key and then moved one step for
// the accidental that ChooseAccidental gives to a note written with a.
int SpellMovedPitch(int pitch, int t, int a, int clefNumber, int octaveShift);

}  // namespace

int SpellPitchInKey(int pitch, int key, int clefNumber, int octaveShift) {
  int base = BasePosition(FloorMod(pitch, 12), key);
  return 7 * (FloorDiv(pitch - 8, 12) - 4) + base + ClefNumberOffset(clefNumber) + OctaveShiftSteps(octaveShift);
}

int FoldPosition(int position) {
  if (position < kLowestStoredPosition) return FloorMod(position - 1, 7) + 1;
  if (position > kHighestStoredPosition) return 25 + FloorMod(position - 25, 7);
  return position;
}

int SpellPitchFolded(int pitch, int key, int clefNumber, int octaveShift) {
  return FoldPosition(SpellPitchInKey(pitch, key, clefNumber, octaveShift));
}

int KeyAccidental(int pitch, int key) {
  int pc = FloorMod(pitch, 12);
  if (key == 0) {
    if (pc == 1 || pc == 6 || pc == 8) return 1;
    return pc == 3 || pc == 10 ? -1 : 0;
  }
  if (key < 0) {
    int n = -key;
    switch (pc) {
      case 1: return n < 2 ? 1 : -1;
      case 3: case 8: case 10: return -1;
      case 4: return n >= 5 ? -1 : 0;
      case 6: return n < 3 ? 1 : -1;
      case 11: return n >= 4 ? -1 : 0;
      default: return 0;
    }
  }
  int k = key;
  switch (pc) {
    case 0: return k >= 4 ? 1 : 0;
    case 1: case 3: case 6: case 8: return 1;
    case 2: return k == 6 ? 2 : 0;
    case 5: return k > 2 ? 1 : 0;
    case 7: return k == 5 ? 2 : 0;
    case 9: return k == 7 ? 2 : 0;
    case 10: return k < 2 ? -1 : 1;
    default: return 0;
  }
}

int IsKeyNote(int pitch, int mode, int key) {
  if (key > 7 || key < -7) return 1;
  if (key == 0) return mode == 1 ? 0 : 1;
  // Pitch classes of the letters C D E F G A B, and the order in which a
  // key signature alters them.
  static const int kNatural[7] = {0, 2, 4, 5, 7, 9, 11};
  static const int kSharpOrder[7] = {3, 0, 4, 1, 5, 2, 6};
  static const int kFlatOrder[7] = {6, 2, 5, 1, 4, 0, 3};
  const int* order = key > 0 ? kSharpOrder : kFlatOrder;
  int sign = key > 0 ? 1 : -1;
  int pc = FloorMod(pitch, 12);
  bool altered = false, replaced = false;
  for (int i = 0; i < std::abs(key); ++i) {
    int natural = kNatural[order[i]];
    if (FloorMod(natural + sign, 12) == pc) altered = true;
    if (natural == pc) replaced = true;
  }
  // A pitch class that is both (E sharp in six sharps, C flat in six flats)
  // is a note of the key.
  if (mode == 1) return altered ? 1 : 0;
  return replaced && !altered ? 0 : 1;
}

int ChooseAccidental(int pitch, int a, int t) {
  int q = FloorMod(pitch + t, 12);
  int d = (q == 1 || q == 6 || q == 8) ? 1 : (q == 3 || q == 10) ? -1 : 0;
  int r = t % 12;
  if (r == 0) return a;
  int s = t;
  if (std::abs(r) < 7 && t % 2 != 0) s = -t;
  if (std::abs(s % 12) >= 7 && s % 2 == 0) s = -s;
  bool raisedClass = d > 0 || q == 0 || q == 5;    // spelled as a sharp
  bool loweredClass = d > 0 || q == 4 || q == 11;  // spelled as a flat
  if (s < 0) {
    switch (a) {
      case 0: return d > 0 ? -1 : 0;
      case -1: case -2: return loweredClass ? -1 : -2;
      case 1: return raisedClass ? 1 : 0;
      case 2: return raisedClass ? 1 : d + 2;
      default: return a;
    }
  }
  if (s > 0) {
    switch (a) {
      case 0: return d > 0 ? 1 : 0;
      case -1: return loweredClass ? -1 : 0;
      case -2: return loweredClass ? -1 : -2;
      case 1: case 2: return raisedClass ? 1 : d + 2;
      default: return a;
    }
  }
  return a;
}

namespace {

int SpellMovedPitch(int pitch, int t, int a, int clefNumber, int octaveShift) {
  int target = pitch + t;
  int position = SpellPitchInKey(target, 0, clefNumber, octaveShift);
  int pc = FloorMod(target, 12);
  switch (ChooseAccidental(pitch, a, t)) {
    case 1:
      if (pc == 0 || pc == 3 || pc == 5 || pc == 10) --position;
      break;
    case -1:
      if (pc == 1 || pc == 4 || pc == 6 || pc == 8 || pc == 11) ++position;
      break;
    case 2: --position; break;
    case -2: ++position; break;
    default: break;
  }
  return position;
}

}  // namespace

int SpellTransposedPitchUnfolded(int pitch, int transposition, int key, int clefNumber, int octaveShift) {
  return SpellMovedPitch(pitch, transposition, KeyAccidental(pitch, key), clefNumber, octaveShift);
}

int SpellTransposedPitch(int pitch, int transposition, int key, int clefNumber, int octaveShift) {
  return FoldPosition(SpellTransposedPitchUnfolded(pitch, transposition, key, clefNumber, octaveShift));
}

int TransposeKeySignature(int key, int semitones, int negate) {
  int s = negate ? -semitones : semitones;
  int k = key;
  switch (FloorMod(s, 12)) {
    case 0: break;  // whole octaves keep the key, but for the spelling of 6 and 7 below
    case 1: k = key < -1 ? key + 7 : key - 5; break;
    case 2: k = key >= 4 ? key - 10 : key + 2; break;
    case 3: k = key < -3 ? key + 9 : key - 3; break;
    case 4: k = key >= 2 ? key - 8 : key + 4; break;
    case 5: k = key >= 7 ? key - 13 : key < -5 ? key + 11 : key - 1; break;
    case 6: k = key >= 0 ? key - 6 : key + 6; break;
    case 7: k = key >= 5 ? key - 11 : key + 1; break;
    case 8: k = key < -2 ? key + 8 : key - 4; break;
    case 9: k = key >= 3 ? key - 9 : key + 3; break;
    case 10: k = key < -4 ? key + 10 : key - 2; break;
    case 11: k = key >= 1 ? key - 7 : key + 5; break;
  }
  // Upward shifts write F sharp and C sharp major as G flat and D flat major,
  // downward shifts the other way round, whole octaves included.
  if (s > 0) {
    if (k == 6) k = -6;
    if (k == 7) k = -5;
  } else if (s < 0) {
    if (k == -6) k = 6;
    else if (k == -5) k = 7;
  }
  return k;
}

int PitchFromPosition(int position, int clefCode, int octaveShift) {
  struct ClefSteps {
    int base;
    int firstBoundary;   // a semitone is taken off when d exceeds it
    int secondBoundary;  // -1: none
  };
  static const ClefSteps kClefs[8] = {
      {47, 0, 3}, {43, 2, 5}, {40, 0, 4}, {36, 2, -1},
      {33, 1, 4}, {29, 3, -1}, {26, 1, 5}, {23, 0, 3},
  };
  const ClefSteps& c = kClefs[HasLetters(clefCode) ? clefCode : kClefTreble];
  int d = FloorMod(position, 7);
  int o = FloorDiv(position, 7);
  int pitch = c.base + 12 * o + 2 * d;
  if (d > c.firstBoundary) --pitch;
  if (c.secondBoundary >= 0 && d > c.secondBoundary) --pitch;
  return pitch + OctaveShiftSemitones(octaveShift);
}

int QueryKeyStepAccidental(int slot, uint32_t offset, int* key, int* clef, int* octaveShift) {
  PartMusicalState state;
  FindPartStateAt(slot, offset, &state);
  int signedKey = state.keySharps ? state.keyCount : -state.keyCount;
  if (key) *key = signedKey;
  if (clef) *clef = state.clef;
  if (octaveShift) *octaveShift = state.octaveShift;
  return signedKey;
}

void ResetSpellingState(SpellingState* state, int clef, int octaveShift, int key) {
  state->clef = clef;
  state->octaveShift = octaveShift;
  state->key = key;
  int16_t steps[32] = {};
  KeySignatureSteps(steps, key > 0 ? 1 : 0, std::abs(key), clef);
  for (int i = 0; i < 32; ++i) state->keySteps[i] = state->inForce[i] = static_cast<int8_t>(steps[i]);
}

int SpellChordNotes(uint8_t* chord, int slot, SpellingState* from, SpellingState* to, int semitones) {
  if (KindOf(chord) != kItemChord) return 0;
  if (slot >= 0 && slot < kPartSlots && PartTablatureFlags[slot].flag) return 0;
  if (!HasLetters(from->clef) || !HasLetters(to->clef)) return 0;
  int notes = ChordNoteCount(chord);
  for (int i = 0; i < notes; ++i) {
    int position = NotePosition(chord, i);
    int written = NoteAccidentalOf(chord, i);
    int alteration = written == kAccidentalNone ? from->inForce[position] : AlterationOf(written);
    if (written != kAccidentalNone) from->inForce[position] = static_cast<int8_t>(alteration);
    int pitch = PitchFromPosition(position, from->clef, from->octaveShift) + alteration;

    int target = pitch + semitones;
    bool ofTheKey = alteration == from->keySteps[position];
    int spelled = semitones != 0 && ofTheKey
                      ? SpellPitchInKey(target, to->key, to->clef + 1, to->octaveShift)
                      : SpellMovedPitch(pitch, semitones, alteration, to->clef + 1, to->octaveShift);
    int change = target - PitchFromPosition(spelled, to->clef, to->octaveShift);
    if (change < -2 || change > 2) {
      spelled = SpellPitchInKey(target, to->key, to->clef + 1, to->octaveShift);
      change = target - PitchFromPosition(spelled, to->clef, to->octaveShift);
    }
    int place = FoldPosition(spelled);

    int code;
    if (to->inForce[place] == change) {
      code = kAccidentalNone;
    } else if (written != kAccidentalNone && AlterationOf(written) == change) {
      code = written;  // the note keeps the form of accidental it was written with
    } else {
      code = AccidentalCodeFor(change);
    }
    to->inForce[place] = static_cast<int8_t>(change);
    SetNote(chord, i, static_cast<uint8_t>(place), static_cast<uint8_t>(code));
  }
  return 1;
}

namespace {

// Replays the written accidentals of the chords between the last bar line,
// clef or key signature before offset and offset into both states.
void ReplayBarBefore(const uint8_t* stream, uint32_t used, uint32_t offset, SpellingState* from,
                     SpellingState* to) {
  uint32_t barStart = 0;
  ItemCursor scan(stream, used, ScoreFormatVersion);
  while (scan.Next() && scan.Offset() < offset) {
    ItemKind kind = KindOf(scan.Item());
    if (kind == kItemBarLine || kind == kItemClef || kind == kItemKey) barStart = scan.Offset() + scan.Length();
  }
  ItemCursor replay(stream, used, ScoreFormatVersion);
  while (replay.Next() && replay.Offset() < offset) {
    const uint8_t* item = replay.Item();
    if (replay.Offset() < barStart || KindOf(item) != kItemChord) continue;
    for (unsigned i = 0; i < ChordNoteCount(item); ++i) {
      int written = NoteAccidentalOf(item, i);
      if (written == kAccidentalNone) continue;
      int position = NotePosition(item, i);
      from->inForce[position] = to->inForce[position] = static_cast<int8_t>(AlterationOf(written));
    }
  }
}

}  // namespace

int RespellChordForKey(int slot, const uint32_t* offset, int semitones, int newClef, int newShift,
                       int newKey, bool resetStems) {
  if (slot < 0 || slot >= kPartSlots || PartTablatureFlags[slot].flag) return 0;
  bool changeClef = newClef != kKeepClef;
  bool changeKey = newKey != kKeepKey && newKey != kKeepKeyTransposeSignatures;
  bool transposeKeys = newKey == kKeepKeyTransposeSignatures;
  if (changeClef && !HasLetters(newClef)) return 0;
  if (changeKey && (newKey < -7 || newKey > 7)) return 0;

  uint8_t* stream = StreamBytes(ScoreStream, slot);
  if (!stream) return 0;
  uint32_t used = StreamUsedLength(ScoreStream, slot);
  uint32_t start = offset ? std::min(*offset, used) : 0;

  int key = 0, clef = kClefTreble, shift = kOctaveNone;
  QueryKeyStepAccidental(slot, start, &key, &clef, &shift);
  int targetKey = changeKey ? newKey : transposeKeys ? TransposeKeySignature(key, semitones, 0) : key;
  SpellingState from, to;
  ResetSpellingState(&from, clef, shift, key);
  ResetSpellingState(&to, changeClef ? newClef : clef, changeClef ? newShift : shift, targetKey);
  ReplayBarBefore(stream, used, start, &from, &to);

  int rewritten = 0;
  ItemCursor cursor(stream, used, ScoreFormatVersion);
  while (cursor.Next()) {
    if (cursor.Offset() < start) continue;
    uint8_t* item = stream + cursor.Offset();
    switch (KindOf(item)) {
      case kItemBarLine:
        ResetSpellingState(&from, from.clef, from.octaveShift, from.key);
        ResetSpellingState(&to, to.clef, to.octaveShift, to.key);
        break;
      case kItemClef:
        if (changeClef) return rewritten;
        ResetSpellingState(&from, ClefCodeOf(item), ClefOctaveShift(item), from.key);
        ResetSpellingState(&to, ClefCodeOf(item), ClefOctaveShift(item), to.key);
        break;
      case kItemKey: {
        if (changeKey) return rewritten;
        int written = SignedKey(item);
        int target = written;
        if (transposeKeys) {
          target = TransposeKeySignature(written, semitones, 0);
          item[0] = MakeKeySignature(static_cast<uint8_t>(std::abs(target)), target > 0, target == 0);
        }
        ResetSpellingState(&from, from.clef, from.octaveShift, written);
        ResetSpellingState(&to, to.clef, to.octaveShift, target);
        break;
      }
      case kItemChord:
        if (SpellChordNotes(item, slot, &from, &to, semitones)) {
          ++rewritten;
          if (resetStems && g_stemHook) g_stemHook(slot, cursor.Offset());
        }
        break;
      default:
        break;
    }
  }
  return rewritten;
}

BeamGroupStemHook SetBeamGroupStemHook(BeamGroupStemHook hook) {
  BeamGroupStemHook old = g_stemHook;
  g_stemHook = hook;
  return old;
}
