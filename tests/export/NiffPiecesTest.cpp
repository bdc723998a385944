// The pieces of the NIFF export on their own: dynamic words, staff steps,
// stave sizes, the string list, and the look-aheads that count a tuplet's
// notes and find a slur's end through the export objects.
#include "export/ExportDescriptions.h"
#include "export/LookAheadReaders.h"
#include "export/NiffReaderWriter.h"
#include "export/NiffStringList.h"
#include "export/NiffSymbolStates.h"
#include "export/NiffWriterError.h"
#include "tests/export/NiffScores.h"

namespace {

TEST(NiffDynamicWords, WholeWordsWithCaseGiveTheirCodes) {
  const struct {
    const char16_t* text;
    int code;
  } cases[] = {{u"pppp", 1}, {u"mf", 6}, {u"ffff", 10}, {u"sp", 11}, {u"fp", 15}, {u"cresc", 16},
               {u"crescendo", 17}, {u"dim", 18}, {u"diminuendo", 0}, {u"MF", 0}, {u"mf.", 0}, {u"", 0}};
  for (const auto& c : cases) EXPECT_EQ(DynamicWordCode(c.text), c.code) << U8(c.text);
}

TEST(NiffStaffSteps, FewLineStavesAndTablatureMapTheirPositions) {
  DecodedNote note{};
  note.tabString = 255;
  note.staffPosition = 4;
  EXPECT_EQ(NiffStaffStep(note, false, 5), 4);
  EXPECT_EQ(NiffStaffStep(note, false, 1), 0);
  EXPECT_EQ(NiffStaffStep(note, false, 2), 1);
  EXPECT_EQ(NiffStaffStep(note, false, 3), 3);
  note.tabString = 3;
  EXPECT_EQ(NiffStaffStep(note, true, 6), 6);
}

TEST(NiffPlacementTest, ASmallStaveIsTwoThirdsAsHighAndAsWide) {
  NiffPlacement placement;
  placement.SetStaveSize(1500, 40);
  placement.SetSystemOrigin(100, 200);
  placement.SetStaveOffset(130, 420);
  EXPECT_EQ(placement.staveOffset[0], 30);
  EXPECT_EQ(placement.staveOffset[1], 220);
  int32_t width = 0, height = 0;
  placement.GetStaveSize(true, &width, &height);
  EXPECT_EQ(width, 1500);
  EXPECT_EQ(height, 26);
  placement.GetStaveSize(false, &width, &height);
  EXPECT_EQ(height, 40);
}

TEST(NiffStrings, OffsetsCountTheFileFormsAndTheirEnds) {
  NiffStringList strings;
  strings.Add(u"Flute");
  strings.Add(u"\u00e9t\u00e9");
  strings.Add(u"Flute");
  strings.Add(u"x");
  EXPECT_EQ(strings.Count(), 3u);
  EXPECT_EQ(strings.OffsetOf(u"Flute"), 0u);
  EXPECT_EQ(strings.OffsetOf(u"\u00e9t\u00e9"), 6u);
  EXPECT_EQ(strings.OffsetOf(u"x"), 12u);
  EXPECT_THROW(strings.OffsetOf(u"missing"), CNiffWriterError);
  EXPECT_EQ(NiffStringList::FileForm(u"\U0001D11E"), "\xF0\x9D\x84\x9E");
  EXPECT_EQ(NiffStringList::FileForm(std::u16string(1, char16_t(0xD834))), "\xEF\xBF\xBD");
  EXPECT_EQ(NiffStringList::FileForm(std::u16string(u"a\0\u00e9\0", 4)), "a\xC3\xA9");
}

TEST(NiffSymbolStateTest, StatesRefuseNodeCountsTheyCannotHave) {
  EXPECT_THROW(CNiffSymbolStateBeam(0, 1, 0), CNiffWriterError);
  EXPECT_THROW(CNiffSymbolStateBeam(0, 0, 0), CNiffWriterError);
  CNiffSymbolStateHairpin hairpin(0, 2);
  EXPECT_FALSE(hairpin.Advance());
  EXPECT_TRUE(hairpin.Advance());
  EXPECT_THROW(hairpin.Advance(), CNiffWriterError);
}

// A reader that reads with a (non-writing) symbol manager, as a look-ahead's
// asker does.
class AskingReader : public CKVReader {
 public:
  void Begin(const SignatureList& signatures) override {
    CKVReader::Begin(signatures);
    AddHandler(std::make_unique<CNiffSymbolManager>(false));
  }
};

class NiffLookAheadTest : public ExportObjectsTest<CNiffExportObjects> {
 protected:
  const uint8_t* Start(const StreamBytesList& items) {
    SetPart(0, {});
    SetPart(1, items);
    asker_.Begin(SignatureList());
    asker_.SetStream(StreamBytes(ScoreStream, 1), 1);
    return StreamBytes(ScoreStream, 1);
  }
  AskingReader asker_;
};

TEST_F(NiffLookAheadTest, ATupletCountsItsChordsUntilItsSpanSounds) {
  const uint8_t* mark = Start(JoinItems({Tuplet(3, 15, 32), Quaver(14), Rest(kDurationEighth), Quaver(15), Crotchet(16), Bar()}));
  EXPECT_EQ(TupletNodeCount(mark, 1, asker_), 2);
  const uint8_t* quintuplet = Start(JoinItems({Tuplet(5, 7, 32), Notes(3, {14}), Notes(3, {14}), Notes(3, {14}), Notes(3, {14}), Notes(3, {14}), Crotchet(16)}));
  EXPECT_EQ(TupletNodeCount(quintuplet, 1, asker_), 5);
}

TEST_F(NiffLookAheadTest, ASlurEndIsFoundOrMarkedMissing) {
  const uint8_t* mark = Start(JoinItems({SlurMark(64), Crotchet(14), Crotchet(15), Crotchet(16), Bar()}));
  EXPECT_EQ(Fraction(SlurEnd(mark, 1, asker_)), "1/2");
  const uint8_t* open = Start(JoinItems({SlurMark(64), Crotchet(14), SystemMark(), Crotchet(15)}));
  EXPECT_EQ(Fraction(SlurEnd(open, 1, asker_)), "-1/1");
}

}  // namespace
