#include "score/ScoreItem.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/TestText.h"

namespace {

struct LengthCase {
  std::vector<uint8_t> bytes;
  uint8_t version;
  uint32_t length;
};

class ItemLengthTable : public ::testing::TestWithParam<LengthCase> {};

TEST_P(ItemLengthTable, GivesTheLengthFromTheFirstBytes) {
  const LengthCase& c = GetParam();
  EXPECT_EQ(ItemLength(c.bytes.data(), c.version), c.length);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ItemLengthTable,
    ::testing::Values(LengthCase{{0x00}, 5, 1}, LengthCase{{kBarBoundary}, 5, 1}, LengthCase{{kEndOfScore}, 5, 1},
                      LengthCase{{0x09, 0x00}, 5, 2}, LengthCase{{0x12}, 5, 1}, LengthCase{{0x23, 0x25}, 5, 2},
                      LengthCase{{0x04}, 5, 5}, LengthCase{{0x0C}, 5, 6},
                      LengthCase{{0xFC}, 5, 36},  // 31 notes: the longest chord
                      LengthCase{{0x55, 0x00}, 5, 2}, LengthCase{{0x86}, 5, 5},
                      LengthCase{{0x07, 10}, 2, 12},        // version 2: b1 + 2
                      LengthCase{{0x07, 10, 1}, 3, 269},    // version 3: u16 + 3
                      LengthCase{{0x07, 0, 0}, 5, 3}, LengthCase{{0x77, 7, 0}, 5, 10},
                      LengthCase{{0x77, 7}, 2, 9}));

TEST(ItemLength, KindSixIsAlwaysFiveBytes) {
  for (int b0 = 6; b0 < 256; b0 += 8) {
    for (uint8_t version : {2, 3, 5}) {
      uint8_t item[5] = {static_cast<uint8_t>(b0), 0xFF, 0xFF, 0xFF, 0xFF};
      EXPECT_EQ(ItemLength(item, version), 5u) << "b0 " << b0;
    }
  }
}

TEST(ItemLength, OneArgumentFormFollowsTheLoadedVersion) {
  uint8_t saved = ScoreFormatVersion;
  uint8_t item[3] = {0x07, 10, 1};
  ScoreFormatVersion = 2;
  EXPECT_EQ(ItemLength(item), 12u);
  ScoreFormatVersion = 5;
  EXPECT_EQ(ItemLength(item), 269u);
  ScoreFormatVersion = saved;
}

TEST(IsItemHidden, HidesOnlyMarkedTimeSignaturesAndSubKindFifteen) {
  struct Case {
    std::vector<uint8_t> bytes;
    int hidden;
  };
  const Case cases[] = {
      {{0x23, 0x85}, 1},                    // time signature, b1 bit 7
      {{0x23, 0x05}, 0},
      {{0x7E, 0, 0, 0, 0}, 1},              // kind 6, sub-kind 15
      {{0xFE, 0, 0, 0, 0}, 1},              // the hidden mark byte
      {{0x76, 0, 0, 0, 0}, 0},              // kind 6, sub-kind 14
      {{0x92}, 0},                          // key signature with bit 7
      {{0x55, 0x20}, 0},                    // hidden rest: drawn or not, not "hidden" here
      {{0x7F, 5, 0, 0, 0, 0, 0, 0}, 0},     // kind 7 with sub-kind 15
      {{0x83, 0x80}, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(IsItemHidden(c.bytes.data()), c.hidden) << int(c.bytes[0]);
}

TEST(ItemFields, ClefRoundTrip) {
  uint8_t item[2] = {0, 0};
  for (uint8_t code = 0; code <= kClefTablature; ++code) {
    for (uint8_t shift = 0; shift <= kOctaveUpTwo; ++shift) {
      SetClef(item, code, shift);
      EXPECT_EQ(KindOf(item), kItemClef);
      EXPECT_EQ(ClefCodeOf(item), code);
      EXPECT_EQ(ClefOctaveShift(item), shift);
    }
  }
  EXPECT_TRUE(IsPercussionClef(kClefPercussion));
  EXPECT_TRUE(IsPercussionClef(kClefPercussion2));
  EXPECT_FALSE(IsPercussionClef(kClefTablature));
  const uint8_t bass[2] = {0x39, 0x00};
  EXPECT_EQ(ClefCodeOf(bass), kClefBass);
}

TEST(ItemFields, KeySignatureRoundTrip) {
  for (uint8_t count = 0; count <= 7; ++count) {
    for (bool sharps : {false, true}) {
      for (bool notPlayed : {false, true}) {
        uint8_t item = MakeKeySignature(count, sharps, notPlayed);
        EXPECT_EQ(KindOf(&item), kItemKey);
        EXPECT_EQ(KeyAccidentalCount(&item), count);
        EXPECT_EQ(KeyIsSharps(&item), sharps);
        EXPECT_EQ(KeyIsNotPlayed(&item), notPlayed);
      }
    }
  }
  const uint8_t oneFlat = 0x12;
  EXPECT_EQ(KeyAccidentalCount(&oneFlat), 1);
  EXPECT_FALSE(KeyIsSharps(&oneFlat));
}

TEST(ItemFields, TimeSignatureRoundTripKeepsTheFormBits) {
  uint8_t item[2] = {0x23, 0x25};  // 4/4 as a symbol
  EXPECT_EQ(TimeNumerator(item), 4);
  EXPECT_EQ(TimeDenominator(item), 4u);
  EXPECT_TRUE(TimeIsSymbol(item));
  SetTimeSignature(item, 31, 3, true);
  EXPECT_EQ(TimeNumerator(item), 31);
  EXPECT_EQ(TimeDenominatorCode(item), 3);
  EXPECT_EQ(TimeDenominator(item), 16u);
  EXPECT_TRUE(TimeIsHidden(item));
  EXPECT_TRUE(TimeIsSymbol(item));
  SetTimeSignature(item, 3, 6, false);
  EXPECT_FALSE(TimeIsHidden(item));
  const uint8_t screenOnly[2] = {0x23, 0x0D};
  EXPECT_TRUE(TimeIsScreenOnly(screenOnly));
}

TEST(ItemFields, ChordRoundTrip) {
  uint8_t item[kMaxItemBytesExceptText] = {};
  SetChordNoteCount(item, 31);
  SetChordDuration(item, kDurationBreve, 3);
  SetChordPlacement(item, kPlacementBelow);
  SetChordArticulation(item, kArticulationStaccato);
  SetChordMarkFlags(item, kMarkAccent | kMarkPlus);
  SetChordNotehead(item, 1);
  SetChordVoice(item, 3);
  SetChordStemDown(item, true);
  SetChordBeamedToNext(item, true);
  SetChordStartsBeamGroup(item, true);
  for (unsigned note = 0; note < 31; ++note) SetNote(item, note, note, note % 8);
  EXPECT_EQ(KindOf(item), kItemChord);
  EXPECT_EQ(ItemLength(item, 5), 36u);
  EXPECT_EQ(ChordNoteCount(item), 31);
  EXPECT_EQ(ChordDurationCode(item), kDurationBreve);
  EXPECT_EQ(ChordDots(item), 3);
  EXPECT_EQ(ChordPlacementOf(item), kPlacementBelow);
  EXPECT_EQ(ChordArticulation(item), kArticulationStaccato);
  EXPECT_EQ(ChordMarkFlags(item), kMarkAccent | kMarkPlus);
  EXPECT_FALSE(ChordIsSmall(item));
  EXPECT_EQ(ChordNotehead(item), 1);
  EXPECT_EQ(ChordVoice(item), 3);
  EXPECT_TRUE(ChordStemDown(item));
  EXPECT_TRUE(ChordBeamedToNext(item));
  EXPECT_TRUE(ChordStartsBeamGroup(item));
  for (unsigned note = 0; note < 31; ++note) {
    EXPECT_EQ(NotePosition(item, note), note);
    EXPECT_EQ(NoteAccidentalOf(item, note), note % 8);
  }
  // Changing one field leaves its neighbours alone.
  SetChordVoice(item, 0);
  SetChordStemDown(item, false);
  EXPECT_EQ(ChordNotehead(item), 1);
  EXPECT_TRUE(ChordBeamedToNext(item));
  EXPECT_FALSE(ChordStemDown(item));
}

TEST(ItemFields, ChordAsScoreBuildingWritesIt) {
  // Crotchet, one dot, shares the previous column; placement above; grace; voice 1.
  const uint8_t item[6] = {0x0C, 0x55, 0x08, 0x80, 0x0C, 0x4C};
  EXPECT_EQ(ChordNoteCount(item), 1);
  EXPECT_TRUE(ChordSharesColumn(item));
  EXPECT_EQ(ChordDurationCode(item), kDurationQuarter);
  EXPECT_EQ(ChordDots(item), 1);
  EXPECT_EQ(ChordPlacementOf(item), kPlacementAbove);
  EXPECT_TRUE(ChordIsSmall(item));
  EXPECT_TRUE(ChordIsGrace(item));
  EXPECT_EQ(ChordVoice(item), 1);
  EXPECT_EQ(NotePosition(item, 0), 12);  // the bottom line
  EXPECT_EQ(NoteAccidentalOf(item, 0), kAccidentalSharp);
}

TEST(ItemFields, RestRoundTrip) {
  uint8_t item[2] = {0x80 | kItemRest, 0x3C};  // shares the column; all further fields set
  SetRest(item, kDurationWhole, 2, 3);
  EXPECT_EQ(KindOf(item), kItemRest);
  EXPECT_FALSE(IsMultiBarRest(item));
  EXPECT_TRUE(RestSharesColumn(item));
  EXPECT_EQ(RestDurationCode(item), kDurationWhole);
  EXPECT_EQ(RestDots(item), 2);
  EXPECT_EQ(RestVoice(item), 3);
  EXPECT_EQ(RestFields(item), 15);
  EXPECT_TRUE(RestIsHidden(item));
  SetRestFields(item, 1);
  EXPECT_TRUE(RestHasFermata(item));
  EXPECT_FALSE(RestIsHidden(item));
  SetRestHidden(item, true);
  EXPECT_TRUE(RestIsHidden(item));
  EXPECT_FALSE(RestIsCue(item));
  EXPECT_EQ(RestMarkCode(item), 1);
}

TEST(ItemFields, MultiBarRestRoundTrip) {
  uint8_t item[2] = {};
  for (uint32_t bars : {0u, 1u, 12u, 16u, 1023u}) {
    SetMultiBarRest(item, bars, 2);
    EXPECT_TRUE(IsMultiBarRest(item));
    EXPECT_EQ(MultiBarRestBars(item), bars);
    EXPECT_EQ(RestVoice(item), 2);
    EXPECT_FALSE(RestIsHidden(item));  // bit 5 is part of the bar count here
  }
  const uint8_t editorTwelve[2] = {0xCD, 0x40};  // 16 x 12 + 0x0D, voice 1
  EXPECT_EQ(MultiBarRestBars(editorTwelve), 12u);
  EXPECT_EQ(RestVoice(editorTwelve), 1);
}

TEST(ItemFields, MarkSpanIsFourteenBitsBesideTheVoice) {
  uint8_t item[5] = {kTupletMarkByte, 0, 0, 3, 2};
  SetMarkSpan(item, 0x3FFF);
  SetMarkVoice(item, 2);
  EXPECT_EQ(MarkSpan(item), 0x3FFFu);
  EXPECT_EQ(MarkVoice(item), 2);
  SetMarkSpan(item, 300);
  EXPECT_EQ(MarkSpan(item), 300u);
  EXPECT_EQ(item[1], 44);
  EXPECT_EQ(item[2], 0x81);
  EXPECT_EQ(MarkVoice(item), 2);
  EXPECT_EQ(MarkSubKind(item), kMarkTuplet);
  const uint8_t slur[5] = {0x8E, 0x20, 0x40, 0, 0};
  EXPECT_EQ(MarkSubKind(slur), kMarkSlur);
  EXPECT_EQ(MarkSpan(slur), 32u);
  EXPECT_EQ(MarkVoice(slur), 1);
  const uint8_t ornament[5] = {0xE6, 0, 0, 2, 0};
  EXPECT_EQ(MarkSubKind(ornament), kMarkOrnament);
}

TEST(ItemFields, TextLayoutsPlaceTheTextBySubKindAndVersion) {
  struct Case {
    uint8_t firstByte;
    uint8_t version;
    uint32_t start;
  };
  const Case cases[] = {
      {0x07, 2, 4}, {0x07, 5, 5},  // staff text: dx, dy, text
      {0x0F, 5, 5},                // lyric
      {0x67, 2, 5}, {0x67, 5, 6},  // bracket text: one byte more
      {0x2F, 2, 6}, {0x2F, 5, 7},  // title: x, y as u16
      {0xCF, 5, 7},                // subtitle
  };
  for (const Case& c : cases) {
    uint8_t item[16] = {c.firstByte, 12, 0};
    EXPECT_EQ(TextStart(item, c.version), c.start) << int(c.firstByte) << " v" << int(c.version);
  }
  uint8_t chordSymbol[10] = {0x77, 7, 0};
  EXPECT_EQ(TextStart(chordSymbol, 5), 10u);
  EXPECT_EQ(TextByteCount(chordSymbol, 5), 0u);
}

TEST(ItemFields, ReadsWideAndNarrowText) {
  // Version 5 lyric "Ab" 3 mm right, 12 mm below.
  const uint8_t wide[] = {0x0F, 6, 0, 3, 140, 'A', 0, 'b', 0};
  char16_t text[8];
  EXPECT_EQ(ItemLength(wide, 5), sizeof wide);
  EXPECT_EQ(ReadItemText(wide, 5, text, 8), 2u);
  EXPECT_EQ(std::u16string(text), u"Ab");
  EXPECT_EQ(TextOffsetX(wide, 5), 3);
  EXPECT_EQ(TextOffsetY(wide, 5), -12);
  // Version 2 title at (300, 40).
  const uint8_t narrow[] = {0x2F, 7, 44, 1, 40, 0, 'T', 'u', 'n'};
  EXPECT_EQ(ItemLength(narrow, 2), sizeof narrow);
  EXPECT_EQ(ReadItemText(narrow, 2, text, 8), 3u);
  EXPECT_EQ(std::u16string(text), u"Tun");
  EXPECT_EQ(TextWordAt(narrow, 2, 0), 300u);
  EXPECT_EQ(TextWordAt(narrow, 2, 1), 40u);
  // A small buffer cuts the text and still ends it.
  EXPECT_EQ(ReadItemText(wide, 5, text, 2), 1u);
  EXPECT_EQ(std::u16string(text), u"A");
}

TEST(ItemFields, SignMagnitudeOffsetsClip) {
  EXPECT_EQ(MakeSignMagnitude(5), 5);
  EXPECT_EQ(MakeSignMagnitude(-5), 133);
  EXPECT_EQ(MakeSignMagnitude(-12), 140);
  EXPECT_EQ(MakeSignMagnitude(200), 127);
  EXPECT_EQ(MakeSignMagnitude(-200), 255);
  for (int v = -127; v <= 127; ++v) EXPECT_EQ(SignMagnitudeValue(MakeSignMagnitude(v)), v);
}

TEST(ItemFields, TextPayloadLengthByVersion) {
  uint8_t item[3] = {0x07, 0, 0};
  SetTextPayloadLength(item, 0x1234, 5);
  EXPECT_EQ(TextPayloadLength(item, 5), 0x1234u);
  EXPECT_EQ(ItemLength(item, 5), 0x1237u);
  SetTextPayloadLength(item, 200, 2);
  EXPECT_EQ(ItemLength(item, 2), 202u);
}

TEST(ItemFields, BarLinesAndStructureMarks) {
  const uint8_t finalBar = MakeBarLine(kBarFinal);
  EXPECT_EQ(finalBar, 0x38);
  EXPECT_TRUE(IsBarLine(&finalBar));
  EXPECT_EQ(BarCode(&finalBar), kBarFinal);
  for (uint8_t mark : {kBarBoundary, kPageMark, kEndOfScore}) {
    EXPECT_TRUE(IsStructureMark(&mark));
    EXPECT_FALSE(IsBarLine(&mark));
  }
  const uint8_t page = kPageMark;
  EXPECT_EQ(BarCode(&page), 17);
}

}  // namespace
