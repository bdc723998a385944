#include "score/PitchSpelling.h"

#include <gtest/gtest.h>

#include <vector>

#include "score/MusicalState.h"
#include "tests/score/ScoreStreamFixture.h"

namespace {

constexpr int kTrebleNumber = kClefTreble + 1;
constexpr int kBassNumber = kClefBass + 1;

TEST(PitchSpelling, KnownSpellings) {
  EXPECT_EQ(SpellPitchInKey(61, 0, kTrebleNumber, 0), 10);   // C sharp
  EXPECT_EQ(SpellPitchInKey(61, -3, kTrebleNumber, 0), 11);  // D flat
  EXPECT_EQ(SpellPitchInKey(64, 0, kTrebleNumber, 0), 12);   // the bottom line
  EXPECT_EQ(SpellPitchInKey(64, 0, kBassNumber, 0), 24);
  EXPECT_EQ(SpellPitchInKey(64, 0, 0, 0), 12);  // clef number 0 counts as treble
  EXPECT_EQ(SpellPitchInKey(64, 0, kTrebleNumber, kOctaveDown), 19);
  EXPECT_EQ(SpellPitchInKey(64, 0, kTrebleNumber, kOctaveUpTwo), -2);
}

TEST(PitchSpelling, FoldsIntoTheStoredRange) {
  EXPECT_EQ(FoldPosition(35), 28);
  EXPECT_EQ(FoldPosition(-3), 4);
  EXPECT_EQ(FoldPosition(0), 7);
  EXPECT_EQ(FoldPosition(1), 1);
  EXPECT_EQ(FoldPosition(31), 31);
  EXPECT_EQ(FoldPosition(32), 25);
  for (int position = -60; position <= 90; ++position) {
    int folded = FoldPosition(position);
    EXPECT_GE(folded, 1);
    EXPECT_LE(folded, 31);
    EXPECT_EQ(FloorMod(folded - position, 7), 0) << position;
  }
  // 64 up two octaves in treble is position -2; folded, 5.
  EXPECT_EQ(SpellPitchFolded(64, 0, kTrebleNumber, kOctaveUpTwo), 5);
}

// Every spelling, for every clef, octave shift and key, names the pitch: the
// natural note of the position plus the key's accidental for it. Pitches
// below 8 and below 0 keep their octave and pitch class.
TEST(PitchSpelling, EverySpellingNamesItsPitch) {
  for (int clef = kClefFrenchTreble; clef <= kClefBass; ++clef) {
    for (int shift = 0; shift <= kOctaveUpTwo; ++shift) {
      for (int key = -7; key <= 7; ++key) {
        for (int pitch = -30; pitch <= 150; ++pitch) {
          int position = SpellPitchInKey(pitch, key, clef + 1, shift);
          ASSERT_EQ(PitchFromPosition(position, clef, shift) + KeyAccidental(pitch, key), pitch)
              << "clef " << clef << " shift " << shift << " key " << key << " pitch " << pitch;
        }
      }
    }
  }
}

TEST(PitchSpelling, LowPitchesKeepTheirOctave) {
  // G below the octave boundary at G sharp, and pitches below 0.
  EXPECT_EQ(SpellPitchInKey(7, 0, kTrebleNumber, 0), SpellPitchInKey(19, 0, kTrebleNumber, 0) - 7);
  EXPECT_EQ(SpellPitchInKey(-1, 0, kTrebleNumber, 0), SpellPitchInKey(11, 0, kTrebleNumber, 0) - 7);
  EXPECT_EQ(SpellPitchInKey(-11, 2, kTrebleNumber, 0), SpellPitchInKey(1, 2, kTrebleNumber, 0) - 7);
  EXPECT_EQ(KeyAccidental(-11, 0), 1);  // pitch class 1
  EXPECT_EQ(KeyAccidental(-2, 0), -1);  // pitch class 10
}

TEST(PitchSpelling, PositionsToPitchesByClef) {
  struct Case {
    int clef;
    int pitch;  // of the bottom line
  };
  const Case cases[] = {{kClefFrenchTreble, 67}, {kClefTreble, 64}, {kClefSoprano, 60}, {kClefMezzoSoprano, 57},
                        {kClefAlto, 53},         {kClefTenor, 50},  {kClefBaritone, 47}, {kClefBass, 43}};
  for (const Case& c : cases) {
    EXPECT_EQ(PitchFromPosition(kBottomStaveLinePosition, c.clef, 0), c.pitch) << c.clef;
    EXPECT_EQ(PitchFromPosition(kBottomStaveLinePosition, c.clef, kOctaveUp), c.pitch + 12);
    EXPECT_EQ(PitchFromPosition(kBottomStaveLinePosition, c.clef, kOctaveDownTwo), c.pitch - 24);
  }
  // Clefs without note letters read as treble instead of out of the table.
  EXPECT_EQ(PitchFromPosition(12, kClefPercussion, 0), 64);
  EXPECT_EQ(PitchFromPosition(12, kClefTablature, 0), 64);
  EXPECT_EQ(PitchFromPosition(12, 15, 0), 64);
}

TEST(PitchSpelling, KeyNotes) {
  // G major alters F to F sharp.
  EXPECT_EQ(IsKeyNote(66, 1, 1), 1);
  EXPECT_EQ(IsKeyNote(65, 1, 1), 0);
  EXPECT_EQ(IsKeyNote(65, 0, 1), 0);
  EXPECT_EQ(IsKeyNote(66, 0, 1), 1);
  EXPECT_EQ(IsKeyNote(61, 0, 1), 1);  // C sharp is no replaced natural
  // B flat major: B flat and E flat.
  EXPECT_EQ(IsKeyNote(70, 1, -2), 1);
  EXPECT_EQ(IsKeyNote(63, 1, -2), 1);
  EXPECT_EQ(IsKeyNote(71, 0, -2), 0);
  // Six sharps: E sharp is both a replaced natural (F) and an altered note.
  EXPECT_EQ(IsKeyNote(65, 1, 6), 1);
  EXPECT_EQ(IsKeyNote(65, 0, 6), 1);
  EXPECT_EQ(IsKeyNote(71, 0, 6), 1);  // B is not replaced in six sharps
  EXPECT_EQ(IsKeyNote(71, 0, 7), 0);  // but in seven
  EXPECT_EQ(IsKeyNote(60, 1, 7), 1);  // where C is B sharp
  for (int pitch = 0; pitch < 12; ++pitch) {
    EXPECT_EQ(IsKeyNote(pitch, 1, 0), 0);
    EXPECT_EQ(IsKeyNote(pitch, 0, 0), 1);
    EXPECT_EQ(IsKeyNote(pitch, 0, 8), 1);
    EXPECT_EQ(IsKeyNote(pitch, 1, -9), 1);
  }
}

TEST(TransposeKeySignature, KnownTranspositions) {
  EXPECT_EQ(TransposeKeySignature(1, 1, 0), -4);
  EXPECT_EQ(TransposeKeySignature(-1, 5, 0), -2);
  EXPECT_EQ(TransposeKeySignature(2, 4, 0), -6);
  EXPECT_EQ(TransposeKeySignature(1, -5, 0), 2);
  EXPECT_EQ(TransposeKeySignature(1, 5, 1), 2);  // negated
  // Whole octaves leave the key as it is, but for the keys that the shift's
  // direction spells the other way: upward 6 and 7 sharps become 6 and 5
  // flats, downward 6 and 5 flats become 6 and 7 sharps. No shift changes nothing.
  struct Case {
    int key, semitones, negate, expected;
  } cases[] = {
      {0, -12, 0, 0},   {1, -12, 0, 1},   {2, 12, 0, 2},    {-7, -12, 0, -7}, {-4, 24, 0, -4},  {5, -24, 0, 5},
      {6, 12, 0, -6},   {7, 12, 0, -5},   {6, 24, 0, -6},   {-6, 12, 0, -6},  {-5, 12, 0, -5},  {7, -12, 1, -5},
      {-6, -12, 0, 6},  {-5, -12, 0, 7},  {-6, 12, 1, 6},   {6, -12, 0, 6},   {7, -36, 0, 7},   {-7, 12, 0, -7},
      {6, 0, 0, 6},     {-6, 0, 1, -6},   {7, 0, 0, 7},     {-5, 0, 0, -5},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TransposeKeySignature(c.key, c.semitones, c.negate), c.expected)
        << "key " << c.key << " by " << c.semitones << (c.negate ? " negated" : "");
}

// Every key by every interval: the result is a key, its tonic lies the
// interval away, and the enharmonic choice follows the direction.
TEST(TransposeKeySignature, EveryKeyByEveryInterval) {
  for (int key = -7; key <= 7; ++key) {
    for (int semitones = -36; semitones <= 36; ++semitones) {
      for (int negate = 0; negate <= 1; ++negate) {
        int shift = negate ? -semitones : semitones;
        int result = TransposeKeySignature(key, semitones, negate);
        ASSERT_GE(result, -7);
        ASSERT_LE(result, 7);
        EXPECT_EQ(FloorMod(7 * result, 12), FloorMod(7 * key + shift, 12))
            << "key " << key << " by " << shift;
        if (shift == 0) {
          EXPECT_EQ(result, key);
        } else if (shift > 0) {
          EXPECT_NE(result, 6);
          EXPECT_NE(result, 7);
        } else {
          EXPECT_NE(result, -6);
          EXPECT_NE(result, -5);
        }
      }
    }
  }
}

TEST(ChooseAccidental, KeepsTheAccidentalOnOctaves) {
  for (int a = -2; a <= 2; ++a) {
    EXPECT_EQ(ChooseAccidental(60, a, 0), a);
    EXPECT_EQ(ChooseAccidental(60, a, 12), a);
    EXPECT_EQ(ChooseAccidental(60, a, -24), a);
  }
}

TEST(ChooseAccidental, KnownChoices) {
  EXPECT_EQ(ChooseAccidental(60, 0, 1), -1);   // C up a semitone: D flat
  EXPECT_EQ(ChooseAccidental(64, 0, 2), 1);    // E up a tone: F sharp
  EXPECT_EQ(ChooseAccidental(63, -1, 3), -1);  // E flat up a minor third: G flat
  EXPECT_EQ(ChooseAccidental(70, -1, 2), 0);   // B flat up a tone: C
  // A sum below zero still has its pitch class (11 here, not that of 255).
  EXPECT_EQ(ChooseAccidental(1, 0, -2), 0);
}

// A transposed note is spelled so that its position and accidental name the
// transposed pitch, for every key, pitch and interval. An accidental of 0
// is the plain spelling: sharp for C, F and G sharp, flat for E and B flat.
TEST(SpellTransposedPitch, NamesTheTransposedPitch) {
  for (int key = -7; key <= 7; ++key) {
    for (int pitch = 30; pitch <= 100; ++pitch) {
      for (int t = -24; t <= 24; ++t) {
        int accidental = ChooseAccidental(pitch, KeyAccidental(pitch, key), t);
        ASSERT_GE(accidental, -2);
        ASSERT_LE(accidental, 2);
        if (accidental == 0) accidental = KeyAccidental(pitch + t, 0);
        int position = SpellTransposedPitchUnfolded(pitch, t, key, kTrebleNumber, 0);
        ASSERT_EQ(PitchFromPosition(position, kClefTreble, 0) + accidental, pitch + t)
            << "key " << key << " pitch " << pitch << " by " << t;
        EXPECT_EQ(SpellTransposedPitch(pitch, t, key, kTrebleNumber, 0), FoldPosition(position));
      }
    }
  }
}

// ---- Re-spelling the chords of a part --------------------------------------------

class RespellTest : public ScoreStreamTest {};

TEST_F(RespellTest, ANewClefKeepsThePitchesUpToTheNextClef) {
  // treble: E4, G4; then a bass clef and its G2
  SetPart(1, JoinItems({ClefItem(kClefTreble), KeyItem(0), ChordItem({Note(12), Note(14)}), BarItem(),
                        ClefItem(kClefBass), ChordItem({Note(12)})}));
  uint32_t after = 2;  // behind the clef
  EXPECT_EQ(RespellChordForKey(1, &after, 0, kClefBass, 0, kKeepKey, false), 1);
  StreamBytesList part = Part(1);
  EXPECT_EQ(part[3 + kChordHeaderBytes], Note(24));  // E4 in bass clef
  EXPECT_EQ(part[3 + kChordHeaderBytes + 1], Note(26));
  EXPECT_EQ(part.back(), Note(12));  // under the next clef: unchanged
}

TEST_F(RespellTest, ANewKeyRewritesTheAccidentals) {
  // C major: F sharp, F natural | F sharp; then a key signature of one flat.
  // Offsets: clef 0, key 2, chords 3 and 9, bar 15, chord 16, key 22, chord 23.
  SetPart(1, JoinItems({ClefItem(kClefTreble), KeyItem(0), ChordItem({Note(13, kAccidentalSharp)}),
                        ChordItem({Note(13, kAccidentalNatural)}), BarItem(), ChordItem({Note(13, kAccidentalSharp)}),
                        KeyItem(-1), ChordItem({Note(13)})}));
  uint32_t after = 3;
  EXPECT_EQ(RespellChordForKey(1, &after, 0, kKeepClef, 0, 1, false), 3);  // G major from here
  StreamBytesList part = Part(1);
  EXPECT_EQ(part[8], Note(13));                       // F sharp: now in the key
  EXPECT_EQ(part[14], Note(13, kAccidentalNatural));  // F natural still needs its sign
  EXPECT_EQ(part[21], Note(13));                      // a new bar: F sharp from the key
  EXPECT_EQ(part[28], Note(13));                      // after the next key signature: unchanged
}

TEST_F(RespellTest, TransposingAPartTransposesItsKeySignatures) {
  // C major C4 E4 | F major B flat 3; up a tone.
  // Offsets: clef 0, key 2, chord 3, bar 10, key 11, chord 12.
  SetPart(1, JoinItems({ClefItem(kClefTreble), KeyItem(0), ChordItem({Note(10), Note(12)}), BarItem(),
                        KeyItem(-1), ChordItem({Note(9)})}));
  EXPECT_EQ(RespellChordForKey(1, nullptr, 2, kKeepClef, 0, kKeepKeyTransposeSignatures, false), 2);
  StreamBytesList part = Part(1);
  EXPECT_EQ(part[2], MakeKeySignature(2, true, false));   // D major
  EXPECT_EQ(part[8], Note(11));                           // D4
  EXPECT_EQ(part[9], Note(13));                           // F sharp 4, from the key
  EXPECT_EQ(part[11], MakeKeySignature(1, true, false));  // G major
  EXPECT_EQ(part[17], Note(10));                          // C4
}

// Notes of the key stay notes of the key: transposed with their key
// signature, no note of a major scale needs an accidental.
TEST_F(RespellTest, ScaleNotesNeedNoAccidentalsInEveryTransposedKey) {
  for (int key = -7; key <= 7; ++key) {
    for (int t = -11; t <= 11; ++t) {
      int tonic = 60 + FloorMod(7 * key, 12);
      StreamBytesList stream = JoinItems({ClefItem(kClefTreble), KeyItem(key)});
      for (int degree : {0, 2, 4, 5, 7, 9, 11}) {
        int position = SpellPitchInKey(tonic + degree, key, kTrebleNumber, 0);
        stream.push_back(uint8_t(kItemChord | 1 << 3));
        stream.insert(stream.end(), {uint8_t(kDurationQuarter << 2), 0, 0, 0, Note(position)});
      }
      SetPart(1, stream);
      ASSERT_EQ(RespellChordForKey(1, nullptr, t, kKeepClef, 0, kKeepKeyTransposeSignatures, false), 7);
      StreamBytesList part = Part(1);
      int newKey = TransposeKeySignature(key, t, 0);
      for (int i = 0; i < 7; ++i) {
        uint8_t note = part[3 + 6 * i + 5];
        EXPECT_EQ(note >> 5, kAccidentalNone) << "key " << key << " by " << t << " degree " << i;
        int16_t steps[32];
        KeySignatureSteps(steps, newKey > 0, newKey < 0 ? -newKey : newKey, kClefTreble);
        int pitch = PitchFromPosition(note & 31, kClefTreble, 0) + steps[note & 31];
        EXPECT_EQ(FloorMod(pitch - (tonic + t), 12), FloorMod(std::vector<int>{0, 2, 4, 5, 7, 9, 11}[i], 12));
      }
    }
  }
}

TEST_F(RespellTest, AKeyTransposedToNoAccidentalsIsMarked) {
  SetPart(1, JoinItems({ClefItem(kClefTreble), KeyItem(2), ChordItem({Note(11)})}));
  RespellChordForKey(1, nullptr, -2, kKeepClef, 0, kKeepKeyTransposeSignatures, false);
  StreamBytesList part = Part(1);
  EXPECT_EQ(part[2], MakeKeySignature(0, false, true));
  EXPECT_EQ(part.back(), Note(10));
}

TEST_F(RespellTest, AccidentalsOfTheBarCarryOverToLaterChords) {
  // F sharp, then F (still sharp in the bar); up a tone: G sharp twice.
  SetPart(1, JoinItems({ClefItem(kClefTreble), KeyItem(0), ChordItem({Note(13, kAccidentalSharp)}),
                        ChordItem({Note(13)})}));
  RespellChordForKey(1, nullptr, 2, kKeepClef, 0, kKeepKey, false);
  StreamBytesList part = Part(1);
  EXPECT_EQ(part[8], Note(14, kAccidentalSharp));
  EXPECT_EQ(part[14], Note(14));
}

TEST_F(RespellTest, TablaturePartsAndLetterlessClefsAreLeftAlone) {
  StreamBytesList stream = JoinItems({ClefItem(kClefTreble), ChordItem({Note(12)})});
  SetPart(1, stream);
  PartTablatureFlags[1].flag = 1;
  EXPECT_EQ(RespellChordForKey(1, nullptr, 3, kClefBass, 0, kKeepKey, false), 0);
  EXPECT_EQ(Part(1), stream);

  PartTablatureFlags[1].flag = 0;
  EXPECT_EQ(RespellChordForKey(1, nullptr, 0, kClefPercussion, 0, kKeepKey, false), 0);
  EXPECT_EQ(Part(1), stream);

  StreamBytesList drums = JoinItems({ClefItem(kClefPercussion), ChordItem({Note(12)})});
  SetPart(2, drums);
  EXPECT_EQ(RespellChordForKey(2, nullptr, 5, kKeepClef, 0, kKeepKey, false), 0);
  EXPECT_EQ(Part(2), drums);
}

std::vector<uint32_t> g_stemCalls;
void RecordStemCall(int slot, uint32_t offset) { g_stemCalls.push_back(uint32_t(slot) << 16 | offset); }

TEST_F(RespellTest, StemsAreSetAgainWhenAsked) {
  SetPart(3, JoinItems({ClefItem(kClefTreble), ChordItem({Note(12)}), ChordItem({Note(14)})}));
  g_stemCalls.clear();
  BeamGroupStemHook old = SetBeamGroupStemHook(RecordStemCall);
  RespellChordForKey(3, nullptr, 12, kKeepClef, 0, kKeepKey, false);
  EXPECT_TRUE(g_stemCalls.empty());
  RespellChordForKey(3, nullptr, -12, kKeepClef, 0, kKeepKey, true);
  SetBeamGroupStemHook(old);
  EXPECT_EQ(g_stemCalls, (std::vector<uint32_t>{3u << 16 | 2u, 3u << 16 | 8u}));
}

TEST_F(RespellTest, AStreamThatOverrunsItsUsedLengthIsWalkedOnlyToIt) {
  // The last chord claims two notes but only one byte of them is there.
  StreamBytesList stream = JoinItems({ClefItem(kClefTreble), ChordItem({Note(12)})});
  stream.push_back(uint8_t(kItemChord | 2 << 3));
  stream.push_back(0);
  SetPart(1, stream);
  EXPECT_EQ(RespellChordForKey(1, nullptr, 2, kKeepClef, 0, kKeepKey, false), 1);
  uint32_t beyond = 1000;
  EXPECT_EQ(RespellChordForKey(1, &beyond, 2, kKeepClef, 0, kKeepKey, false), 0);
}

TEST_F(RespellTest, QueryGivesTheStateInForce) {
  SetPart(1, JoinItems({ClefItem(kClefAlto, kOctaveDown), KeyItem(-3), ChordItem({Note(12)}), ClefItem(kClefBass),
                        KeyItem(4)}));
  int key = 99, clef = 99, shift = 99;
  EXPECT_EQ(QueryKeyStepAccidental(1, 3, &key, &clef, &shift), -3);
  EXPECT_EQ(clef, kClefAlto);
  EXPECT_EQ(shift, kOctaveDown);
  EXPECT_EQ(QueryKeyStepAccidental(1, 100, nullptr, &clef, nullptr), 4);
  EXPECT_EQ(clef, kClefBass);
  EXPECT_EQ(QueryKeyStepAccidental(7, 0, &key, &clef, &shift), 0);  // an empty slot: the defaults
  EXPECT_EQ(clef, kClefTreble);
}

}  // namespace
