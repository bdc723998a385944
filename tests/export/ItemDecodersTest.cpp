#include <gtest/gtest.h>

#include "export/ExportPayloads.h"
#include "export/ItemDecoders.h"
#include "export/NiffWriterError.h"
#include "score/ScoreItem.h"
#include "tests/score/ScoreStreamFixture.h"
#include "tests/support/TestText.h"

namespace {

std::vector<uint8_t> Chord(uint8_t code, uint8_t dots, std::initializer_list<uint8_t> notes) {
  std::vector<uint8_t> item(kChordHeaderBytes + notes.size(), 0);
  SetChordNoteCount(item.data(), uint8_t(notes.size()));
  SetChordDuration(item.data(), code, dots);
  unsigned i = 0;
  for (uint8_t n : notes) SetNote(item.data(), i++, n & 31, n >> 5);
  return item;
}

TEST(ItemDecoders, KeyValuesCountFlatsAfterSeven) {
  struct Case { uint8_t byte, value; } cases[] = {{0x32, 10}, {0x3A, 3}, {0x02, 0}, {0x0A, 0}, {0xB2, 74}};
  for (const Case& c : cases) EXPECT_EQ(KeyValue(&c.byte), c.value) << int(c.byte);
}

TEST(ItemDecoders, TimeSignaturesKeepTheirTermsAndFlags) {
  const uint8_t sixteen[2] = {uint8_t(kItemTime | 7 << 3), 3};
  const uint8_t cut[2] = {uint8_t(kItemTime | 2 << 3), uint8_t(6 | 0x20 | 0x08)};
  const uint8_t hidden[2] = {uint8_t(kItemTime | 4 << 3), uint8_t(5 | 0x80)};
  TimeSignatureFields a = DecodeTimeSignature(sixteen);
  EXPECT_EQ(a.signature.numerator, 7);
  EXPECT_EQ(a.signature.denominator, 16);
  TimeSignatureFields b = DecodeTimeSignature(cut);
  EXPECT_EQ(b.signature.denominator, 2);
  EXPECT_NE(b.signature.symbolFlag, 0);
  EXPECT_TRUE(b.screenOnly);
  EXPECT_TRUE(DecodeTimeSignature(hidden).hidden);
  EXPECT_EQ(DecodeTimeSignature(hidden).signature.denominator, 4);
}

// Clef codes are the item table's: 8 and 9 percussion, 10 tablature.
TEST(ItemDecoders, ClefsByTheItemTable) {
  struct Case { uint8_t code, octave; uint32_t lines; uint8_t shape, step, niffOctave; } cases[] = {
      {kClefTreble, 0, 5, kNiffClefG, 2, 0},          {kClefFrenchTreble, 2, 5, kNiffClefG, 0, 1},
      {kClefAlto, 0, 5, kNiffClefC, 4, 0},            {kClefBass, 1, 5, kNiffClefF, 6, 2},
      {kClefPercussion, 0, 1, kNiffClefPercussion, 0, 0}, {kClefPercussion2, 0, 5, kNiffClefPercussion, 4, 0},
      {kClefTablature, 0, 6, kNiffClefTablature, 5, 0},
  };
  for (const Case& c : cases) {
    const uint8_t item[2] = {uint8_t(kItemClef | c.code << 3), c.octave};
    ClefFields f = DecodeClef(item, c.lines);
    EXPECT_EQ(f.shape, c.shape) << int(c.code);
    EXPECT_EQ(f.staffStep, c.step) << int(c.code);
    EXPECT_EQ(f.octave, c.niffOctave) << int(c.code);
  }
  const uint8_t treble[2] = {uint8_t(kItemClef | kClefTreble << 3), 0};
  EXPECT_THROW(DecodeClef(treble, 0), CNiffWriterError);
  EXPECT_THROW(DecodeClef(treble, 7), CNiffWriterError);
  const uint8_t unknown[2] = {uint8_t(kItemClef | 11 << 3), 0};
  EXPECT_THROW(DecodeClef(unknown, 5), CNiffWriterError);
}

TEST(ItemDecoders, ChordsByTheItemTable) {
  std::vector<uint8_t> item = Chord(kDurationHalf, 1, {14, 20 | kAccidentalSharp << 5});
  SetChordVoice(item.data(), 2);
  SetChordStemDown(item.data(), true);
  ChordFields f = DecodeChord(item.data());
  EXPECT_EQ(f.voice, 2);
  EXPECT_EQ(f.noteCount, 2);
  EXPECT_FALSE(f.stemUp);  // the table's bit 5 means a stem pointing down
  EXPECT_EQ(f.duration.numerator, 3);
  EXPECT_EQ(f.duration.denominator, 4);
  EXPECT_EQ(f.niffShape, kNiffHeadHalf);

  DecodedNote notes[kMaxChordNotes];
  ASSERT_EQ(DecodeStandardNotes(item.data(), notes, kMaxChordNotes), 2);
  EXPECT_EQ(notes[0].staffPosition, 8);  // highest first
  EXPECT_EQ(notes[0].accidental.primary, 4);
  EXPECT_EQ(notes[1].staffPosition, 2);

  item[1] = uint8_t(9 << 2);
  EXPECT_THROW(DecodeChord(item.data()), CNiffWriterError);
}

TEST(ItemDecoders, NoteheadShapesIncludingTheSecondNoHeadKind) {
  struct Case { int code, head; uint8_t shape; } cases[] = {
      {kDurationQuarter, 0, 4}, {kDurationHalf, 0, 3}, {kDurationWhole, 0, 2}, {kDurationBreve, 0, 1},
      {kDurationEighth, 1, 7},  {kDurationWhole, 1, 8}, {kDurationQuarter, 2, 6}, {kDurationHalf, 2, 5},
      {kDurationQuarter, 3, 6}, {kDurationBreve, 3, 5}};
  for (const Case& c : cases) EXPECT_EQ(NiffNoteheadShape(c.code, c.head), c.shape) << c.code << " " << c.head;
}

TEST(ItemDecoders, ARestOfValueSevenFillsItsBar) {
  uint8_t whole[2] = {};
  SetRest(whole, kDurationWhole, 0, 1);
  struct Case { int beats, unit, num, den; } cases[] = {{4, 4, 1, 1}, {3, 4, 3, 4}, {2, 4, 1, 2}, {6, 8, 3, 4}};
  for (const Case& c : cases) {
    RestValues r = DecodeRest(whole, FileExporting::CTimeSig(c.beats, c.unit));
    EXPECT_EQ(r.niffShape, 2);
    EXPECT_TRUE(r.wholeBar);
    EXPECT_EQ(r.voice, 1);
    EXPECT_EQ(r.duration.numerator, c.num) << c.beats << "/" << c.unit;
    EXPECT_EQ(r.duration.denominator, c.den) << c.beats << "/" << c.unit;
  }
  uint8_t eighth[2] = {};
  SetRest(eighth, kDurationEighth, 1, 0);
  RestValues r = DecodeRest(eighth, FileExporting::CTimeSig());
  EXPECT_EQ(r.niffShape, 5);
  EXPECT_EQ(r.duration.numerator, 3);
  EXPECT_EQ(r.duration.denominator, 16);
  uint8_t multi[2] = {};
  SetMultiBarRest(multi, 12, 0);
  r = DecodeRest(multi, FileExporting::CTimeSig(3, 4));
  EXPECT_TRUE(r.multiBar);
  EXPECT_EQ(r.bars, 12u);
  EXPECT_EQ(r.niffShape, 12);
}

TEST(ItemDecoders, AccidentalTablesRoundTrip) {
  for (int code = 0; code <= 5; ++code) EXPECT_EQ(AccidentalFromPair(AccidentalPair(code)), code) << code;
  EXPECT_EQ(AccidentalFromPair(AccidentalPair(kAccidentalNaturalSharp)), kAccidentalSharp);
  EXPECT_THROW(AccidentalPair(8), CNiffWriterError);
  EXPECT_EQ(AccidentalFromAlteration(-2).primary, 1);
  EXPECT_EQ(AccidentalFromAlteration(2).primary, 5);
  EXPECT_THROW(AccidentalFromAlteration(3), CNiffWriterError);
}

TEST(ItemDecoders, TablaturePitches) {
  // String 0, fret 3 of a guitar: semitone 19, a G.
  TabPitchValue g = TabPitch(3, 0, false, false);
  TabPitchValue openE = TabPitch(0, 0, false, false);
  EXPECT_EQ(g.staffPosition - openE.staffPosition, 2);  // E to G: two steps
  EXPECT_EQ(g.accidental.primary, 3);                   // natural
  EXPECT_EQ(TabPitch(2, 0, false, false).accidental.primary, 4);  // F sharp
  EXPECT_THROW(TabPitch(0, 6, false, false), CNiffWriterError);
  EXPECT_THROW(TabPitch(0, 4, true, false), CNiffWriterError);
}

TEST(ItemDecoders, BarStylesByWhatThePainterDraws) {
  struct Case { uint8_t style; const char* word; const char* repeat; } cases[] = {
      {kBarSingle, "", ""},           {kBarDoubleRead, "light-light", ""}, {kBarStartRepeat, "heavy-light", "forward"},
      {kBarEndRepeat, "light-heavy", "backward"}, {kBarEndStartRepeat, "light-heavy", "backward"},
      {kBarNone, "none", ""},         {kBarDouble, "light-light", ""},     {kBarFinal, "light-heavy", ""},
      {kBarBand, "", ""}};
  for (const Case& c : cases) {
    EXPECT_STREQ(BarStyleWord(c.style), c.word) << int(c.style);
    EXPECT_STREQ(RepeatDirectionWord(c.style), c.repeat) << int(c.style);
  }
  const uint8_t system = kBarBoundary, page = kPageMark, end = kEndOfScore, odd = 0x98, bar = MakeBarLine(kBarFinal);
  EXPECT_EQ(DecodeStructure(&system).kind, StructureKind::kSystemMark);
  EXPECT_EQ(DecodeStructure(&page).kind, StructureKind::kPageMark);
  EXPECT_EQ(DecodeStructure(&end).kind, StructureKind::kEndMark);
  EXPECT_EQ(DecodeStructure(&odd).kind, StructureKind::kUnknown);
  EXPECT_EQ(DecodeStructure(&bar).barStyle, kBarFinal);
}

TEST(ItemDecoders, ArticulationsAndMarkValues) {
  std::vector<uint8_t> item = Chord(kDurationQuarter, 0, {12});
  SetChordMarkFlags(item.data(), kMarkAccent | kMarkTenuto);
  SetChordArticulation(item.data(), kArticulationStaccato);
  EXPECT_EQ(ArticulationBits(item.data()), 2u | 4u | 8u);
  EXPECT_EQ(OrnamentCode(0), 7);
  EXPECT_EQ(OrnamentCode(4), 6);
  EXPECT_EQ(PedalState(1), 2);
  EXPECT_EQ(PedalState(0), 1);
}

// ---- Payloads ----------------------------------------------------------------------

TEST(Payloads, ChordNamesAndWhatIsUnknown) {
  struct Case { int root, quality, bass; const char* text; bool whole; } cases[] = {
      {0, 0, 0, "C", true},          {13, 18, 13, "Am7", true}, {7, 12, 0, "F7/C", true},
      {3, 2, 3, "Dm\\(maj7\\)", true}, {13, 49, 13, "A", false}, {13, 18, 20, "Am7", false},
      {17, 0, 17, "", false}};
  for (const Case& c : cases) {
    std::string text;
    EXPECT_EQ(ChordNameText(c.root, c.quality, c.bass, &text), c.whole);
    EXPECT_EQ(text, c.text);
  }
}

TEST(Payloads, ChordGridTextFromTheDiagramFields) {
  GuitarGrid grid{};
  grid.baseFret = 5;
  for (int s = 0; s < 6; ++s) grid.played[s] = 1;
  grid.fret[0] = 2;
  grid.played[5] = 0;
  EXPECT_EQ(ChordGridText(grid), "70000x");
}

TEST(Payloads, CleanTextDropsControlsAndMarkupRuns) {
  const char16_t text[] = {0x13, u'a', u'b', u'c', 0x14, u'd', u'e', 0x07, 0x9F, 0x263A, 0};
  EXPECT_EQ(CleanText(text, 10, 100), u"de\u263A");
  EXPECT_EQ(CleanText(text, 10, 6), u"d");
  const char narrow[] = "x\x15hidden\x16y\x7F";
  EXPECT_EQ(CleanText(narrow, sizeof narrow - 1, 100), "xy");
}

TEST(Payloads, LyricsAreNumberedFromTheTop) {
  CKVLyricList<std::string> list;
  list.Add("low", 10);
  list.Add("high", 20);
  list.Add("middle", 15);
  std::vector<std::string> order;
  list.Visit([&](const CKVLyricList<std::string>::Entry& e) { order.push_back(e.lyric); });
  EXPECT_EQ(order, (std::vector<std::string>{"high", "middle", "low"}));
}

TEST(Payloads, TextsOfBothLayoutsAreCleaned) {
  // Version 5: payload dx, dy, then UTF-16 text with a markup run.
  std::vector<uint8_t> wide = {uint8_t(kItemText | kTextStaff << 3), 0, 0, 0x85, 3};
  for (char16_t c : std::u16string(u"A\x13x\x14" u"B")) {
    wide.push_back(uint8_t(c & 0xFF));
    wide.push_back(uint8_t(c >> 8));
  }
  SetTextPayloadLength(wide.data(), uint32_t(wide.size() - 3), 5);
  EXPECT_EQ(ItemText(wide.data(), 5, 100), u"AB");
  TextPlace place = ChordTextPlace(wide.data(), 5);
  EXPECT_EQ(place.x, -25);
  EXPECT_EQ(place.y, 15);
  // Version 2: 8-bit text.
  std::vector<uint8_t> narrow = {uint8_t(kItemText | kTextStaff << 3), 0, 0, 0, 'h', 1, 'i'};
  SetTextPayloadLength(narrow.data(), uint32_t(narrow.size() - 2), 2);
  EXPECT_EQ(ItemText(narrow.data(), 2, 100), u"hi");
}

}  // namespace

namespace {

class PartIdentityTest : public ScoreStreamTest {};

TEST_F(PartIdentityTest, PitchedPartsTakeChannelsAroundTheDrumChannel) {
  SetPart(0, {});
  SetPart(1, {kBarBoundary});
  SetPart(2, {kBarBoundary});
  PartTablatureFlags[1] = {0, 5};
  PartTablatureFlags[2] = {0, 1};
  int counter = 9;
  PartIdentityValue pitched = PartIdentity(1, &counter);
  EXPECT_FALSE(pitched.drum);
  EXPECT_EQ(pitched.channel, 9);
  EXPECT_EQ(counter, 11);
  PartIdentityValue drums = PartIdentity(2, &counter);
  EXPECT_TRUE(drums.drum);
  EXPECT_EQ(drums.channel, 10);
  EXPECT_EQ(drums.program, 1);
  EXPECT_EQ(counter, 11);
  EXPECT_EQ(PartIdentity(1, nullptr).channel, 0);
  EXPECT_THROW(PartIdentity(13, nullptr), CNiffWriterError);
}

}  // namespace
