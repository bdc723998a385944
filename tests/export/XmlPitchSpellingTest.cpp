#include <gtest/gtest.h>

#include "export/NiffWriterError.h"
#include "export/XmlPitchSpelling.h"
#include "score/PitchSpelling.h"
#include "score/ScoreItem.h"

namespace {

enum { C = 0, D = 1, E = 2, F = 3, G = 4, A = 5, B = 6 };

TEST(NoteDef, StepOctaveAndSemitone) {
  CNoteDef c4(C, 0, 4, 0);
  EXPECT_EQ(28, c4.position);
  EXPECT_EQ(C, c4.Step());
  EXPECT_EQ(4, c4.Octave());
  EXPECT_EQ(48, c4.Semitone());
  CNoteDef low;
  low.position = -1;  // B of octave -1
  EXPECT_EQ(B, low.Step());
  EXPECT_EQ(-1, low.Octave());
  EXPECT_EQ(-1, low.Semitone());
  EXPECT_EQ(11, low.PitchClass());
}

TEST(NoteDef, RespellAndReduce) {
  struct Case {
    int step, alter, octave;
    int wantStep, wantAlter, wantOctave;
  };
  const Case respelled[] = {
      {B, 1, 3, C, 0, 4},   // B sharp
      {G, 1, 4, A, -1, 4},  // G sharp
      {C, 1, 4, C, 1, 4},   // C sharp stays
      {F, 1, 4, F, 1, 4},   // F sharp stays
      {F, -1, 4, E, 0, 4},  // F flat
      {E, 1, 4, F, 0, 4},   // E sharp
      {C, -1, 4, B, 0, 3},  // C flat
      {D, 1, 4, E, -1, 4},  // D sharp
      {A, 1, 4, B, -1, 4},  // A sharp
      {C, 2, 4, D, 0, 4},   // C double sharp
  };
  for (const Case& c : respelled) {
    CNoteDef note(c.step, c.alter, c.octave, 1);
    int sounding = note.Semitone();
    note.Respell();
    EXPECT_EQ(c.wantStep, note.Step()) << c.step << " " << c.alter;
    EXPECT_EQ(c.wantAlter, note.alteration) << c.step << " " << c.alter;
    EXPECT_EQ(c.wantOctave, note.Octave()) << c.step << " " << c.alter;
    EXPECT_EQ(sounding, note.Semitone());
  }
  CNoteDef eDoubleSharp(E, 2, 4, 1);
  eDoubleSharp.ReduceAlteration(1);
  EXPECT_EQ(F, eDoubleSharp.Step());
  EXPECT_EQ(1, eDoubleSharp.alteration);
  EXPECT_EQ(4, eDoubleSharp.Octave());
}

TEST(NoteDef, AccidentalCodes) {
  CNoteDef note;
  note.SetFromAccidentalCode(30, kAccidentalDoubleFlat);
  EXPECT_EQ(-2, note.alteration);
  EXPECT_EQ(1, note.accidental);
  note.SetFromAccidentalCode(30, kAccidentalNaturalSharp);  // sounds as a sharp
  EXPECT_EQ(1, note.alteration);
  EXPECT_EQ(1, note.accidental);
  note.SetFromAccidentalCode(30, kAccidentalNone);
  EXPECT_EQ(0, note.alteration);
  EXPECT_EQ(0, note.accidental);
}

TEST(Interval, Between) {
  CInterval third = CInterval::Between(CNoteDef(C, 0, 4, 0), CNoteDef(E, -1, 4, 0));
  EXPECT_EQ(2, third.position);
  EXPECT_EQ(-1, third.alteration);
  CInterval down = CInterval::Between(CNoteDef(C, 0, 4, 0), CNoteDef(A, 0, 3, 0));  // a minor third down
  EXPECT_EQ(-2, down.position);
  EXPECT_EQ(-2, down.Step());
  EXPECT_EQ(0, down.Octave());
  EXPECT_EQ(1, down.alteration);
  CInterval ninth = CInterval::Between(CNoteDef(C, 0, 4, 0), CNoteDef(D, 0, 5, 0));
  EXPECT_EQ(1, ninth.Step());
  EXPECT_EQ(1, ninth.Octave());
  EXPECT_EQ(0, ninth.alteration);
}

// The written pitch follows the clef, its line and its octave change, and
// sounds as the score model's own reading of the position.
TEST(WrittenPitch, AgreesWithTheScoreModelForEveryLetterClef) {
  struct ClefRow {
    int code;
    XmlClefSign sign;
    int line;
  };
  const ClefRow clefs[] = {
      {kClefFrenchTreble, XmlClefSign::kG, 1}, {kClefTreble, XmlClefSign::kG, 2},
      {kClefSoprano, XmlClefSign::kC, 1},      {kClefMezzoSoprano, XmlClefSign::kC, 2},
      {kClefAlto, XmlClefSign::kC, 3},         {kClefTenor, XmlClefSign::kC, 4},
      {kClefBaritone, XmlClefSign::kF, 3},     {kClefBass, XmlClefSign::kF, 4},
  };
  const int shifts[][2] = {{kOctaveNone, 0}, {kOctaveDown, -1}, {kOctaveUp, 1}, {kOctaveDownTwo, -2}, {kOctaveUpTwo, 2}};
  for (const ClefRow& clef : clefs) {
    for (const auto& shift : shifts) {
      for (int position = 1; position <= 31; ++position) {
        int diatonic = 0;
        if (!WrittenPitchOfPosition(position, clef.sign, clef.line, shift[1], 5, &diatonic)) {
          EXPECT_LT(PitchFromPosition(position, clef.code, shift[0]), 12);  // below octave 0
          continue;
        }
        CNoteDef note(diatonic % 7, 0, diatonic / 7, 0);
        int midi = note.Semitone() + 12;
        EXPECT_EQ(PitchFromPosition(position, clef.code, shift[0]), midi)
            << "clef " << clef.code << " shift " << shift[0] << " position " << position;
      }
    }
  }
}

TEST(WrittenPitch, KnownNotes) {
  int d = 0;
  ASSERT_TRUE(WrittenPitchOfPosition(12, XmlClefSign::kG, 2, 0, 5, &d));
  EXPECT_EQ(4 * 7 + E, d);  // treble bottom line E4
  ASSERT_TRUE(WrittenPitchOfPosition(12, XmlClefSign::kG, 2, -1, 5, &d));
  EXPECT_EQ(3 * 7 + E, d);  // tenor treble: E3
  ASSERT_TRUE(WrittenPitchOfPosition(12, XmlClefSign::kF, 4, 0, 5, &d));
  EXPECT_EQ(2 * 7 + G, d);
  ASSERT_TRUE(WrittenPitchOfPosition(12, XmlClefSign::kC, 3, 0, 5, &d));
  EXPECT_EQ(3 * 7 + F, d);
  EXPECT_FALSE(WrittenPitchOfPosition(1, XmlClefSign::kF, 4, -2, 5, &d));  // below octave 0
}

TEST(AccidentalState, KeySignatureAltersEveryOctave) {
  CXmlAccidentalState state;
  state.SetKey(2);
  for (int octave = 0; octave <= 8; ++octave) {
    EXPECT_EQ(1, state.AlterationInForce(F, octave)) << octave;
    EXPECT_EQ(1, state.AlterationInForce(C, octave)) << octave;
    EXPECT_EQ(0, state.AlterationInForce(G, octave)) << octave;
  }
  state.SetKey(-3);
  EXPECT_EQ(-1, state.AlterationInForce(A, 4));
  EXPECT_EQ(0, state.AlterationInForce(D, 4));
  EXPECT_THROW(state.SetKey(8), CNiffWriterError);
}

// Notes of bars as the writer meets them: step, octave, written accidental,
// tie start and end, and the alteration each must be written with.
TEST(AccidentalState, CarryWithinABarResetAtTheBarLineTiesKeepTheirAccidental) {
  struct Event {
    bool barLine = false;
    int step = 0, octave = 0, accidental = 0;
    bool startsTie = false, endsTie = false;
    int alter = 0;
  };
  const Event events[] = {
      {false, F, 4, kAccidentalSharp, false, false, 1},
      {false, F, 4, kAccidentalNone, false, false, 1},   // carried within the bar
      {false, F, 5, kAccidentalNone, false, false, 0},   // another octave
      {true},
      {false, F, 4, kAccidentalNone, false, false, 0},   // reset at the bar line
      {false, F, 4, kAccidentalSharp, true, false, 1},   // tied over the bar line
      {true},
      {false, F, 4, kAccidentalNone, false, true, 1},    // the tied note keeps its sharp
      {false, F, 4, kAccidentalNone, false, false, 0},   // then back to the key
      {false, B, 3, kAccidentalFlat, true, false, -1},   // a tie that ends inside its bar
      {false, B, 3, kAccidentalNone, false, true, -1},
      {true},
      {false, B, 3, kAccidentalNone, false, false, 0},   // carries nothing past the bar line
      {false, E, 4, kAccidentalDoubleFlat, false, false, -2},
      {false, E, 4, kAccidentalNatural, false, false, 0},
      {false, E, 4, kAccidentalNone, false, false, 0},
  };
  CXmlAccidentalState state;
  state.ResetAccidentals();
  int index = 0;
  for (const Event& e : events) {
    ++index;
    if (e.barLine) {
      state.EndOfBar();
      continue;
    }
    EXPECT_EQ(e.alter, state.AlterationForNote(e.step, e.octave, e.accidental)) << "event " << index;
    state.AfterTies(e.step, e.octave, e.startsTie, e.endsTie);
  }
}

TEST(AccidentalState, AnAccidentalAgainstTheKeyFallsBackToTheKey) {
  CXmlAccidentalState state;
  state.SetKey(1);
  EXPECT_EQ(0, state.AlterationForNote(F, 4, kAccidentalNatural));
  EXPECT_EQ(0, state.AlterationForNote(F, 4, kAccidentalNone));
  state.EndOfBar();
  EXPECT_EQ(1, state.AlterationForNote(F, 4, kAccidentalNone));
  state.ResetAccidentals();
  EXPECT_EQ(0, state.AlterationInForce(F, 4));
}

}  // namespace
