#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "building/BuildContext.h"
#include "building/StaveGroupPass.h"
#include "building/TextItems.h"
#include "tests/building/StaveGroupFixture.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Box = std::vector<int>;

class StaveGroupTest : public StaveGroupFixture {
 protected:
  // A system of clefs, keys, time signatures, rests and bar lines on one stave.
  void SyntheticGroup() {
    AddStave(0, 1);
    AddSymbol(kSymbolTrebleClef, 110, 130, 2, 14);
    AddSymbol(kSymbolFlatKey, 140, 170, 4, 12, 3);
    AddSymbol(kSymbolDigitZero + 3, 180, 190, 4, 8);   // upper 3
    AddSymbol(kSymbolDigitZero + 4, 180, 190, 8, 12);  // lower 4
    AddSymbol(kSymbolDigitZero + 4, 192, 202, 4, 8);   // upper 4
    AddSymbol(kSymbolDigitZero + 8, 192, 202, 8, 12);  // lower 8
    AddSymbol(kSymbolRestBase + 4, 300, 310, 6, 10, 1);  // dotted quaver rest
    AddSymbol(kSymbolBarline + 2, 400, 402, 4, 12);      // stored as a single bar line
    AddSymbol(kSymbolCommonTime, 420, 440, 4, 12);
    AddSymbol(kSymbolRestBase + 5, 500, 510, 6, 10, 2);  // crotchet rest, two dots
    AddSymbol(kSymbolBarline + 7, 600, 604, 4, 12);      // closing bar line
    AddSymbol(kSymbolCutTime, 620, 640, 4, 12);
    AddSymbol(kSymbolRestBase + 6, 700, 712, 7, 8).aux = 1;  // minim rest of voice 1
    AddSymbol(kSymbolMultiBarRest, 800, 900, 6, 10, 20);
  }
};

TEST_F(StaveGroupTest, SyntheticGroupGivesGoldenBytesAndBoxesInBothVersions) {
  struct Case {
    uint8_t version;
    Bytes start;  // the system position item
  };
  for (const Case& c : {Case{5, {0x87, 4, 0, 42, 0, 127, 0}}, Case{2, {0x87, 4, 42, 0, 127, 0}}}) {
    SCOPED_TRACE(int(c.version));
    symbols.clear();
    rows.clear();
    FreeStreamSet(&streams);
    page->boxCount = 0;
    context.version = c.version;
    SyntheticGroup();
    ASSERT_EQ(Run(), 1);
    Bytes expected = c.start;
    const Bytes items = {0x09, 0x00,               // treble clef
                         0x32,                     // three flats
                         0x1B, 0x05,               // 3/4 from the rows 34 and 48
                         0x45, 0x01,               // dotted quaver rest
                         0x00, 0x03, 0x80,         // bar line, hidden time signature
                         0x23, 0x25,               // common time
                         0x55, 0x02,               // crotchet rest, two dots
                         0x38, 0x03, 0x80,         // closing bar line
                         0x13, 0x26,               // cut time
                         0x65, 0x40,               // minim rest, voice 1
                         0x4D, 0x01,               // 20 bars rest
                         0x80};
    expected.insert(expected.end(), items.begin(), items.end());
    EXPECT_EQ(Slot(1), expected);
    for (int slot = 2; slot < kPartSlots; ++slot) EXPECT_EQ(Slot(slot), Bytes{0x80}) << slot;
    const std::vector<Box> boxes = {{-100, -99, 300, 348}, {110, 130, 288, 360}, {140, 170, 276, 372},
                                    {180, 202, 300, 348},  {300, 310, 312, 336}, {400, 402, 300, 348},
                                    {401, 401, 300, 300},  {420, 440, 300, 348}, {500, 510, 312, 336},
                                    {600, 604, 300, 348},  {601, 601, 300, 300}, {620, 640, 300, 348},
                                    {700, 712, 318, 324},  {800, 900, 312, 336}};
    EXPECT_EQ(Boxes(), boxes);
    EXPECT_EQ(symbols[7].type, kSymbolBarline);
    for (const SymbolRecord& s : symbols) EXPECT_EQ(s.quality, 10);
    EXPECT_EQ(context.pageStreamsBuilt, 1u);
  }
}

TEST_F(StaveGroupTest, EmptyGroupWritesTheSystemItemAndEndsEverySlot) {
  AddStave(0, 1);
  AddStave(1, 1, 600);
  ASSERT_EQ(Run(0), 1);
  ASSERT_EQ(Run(1), 1);
  EXPECT_EQ(Slot(1), (Bytes{0x87, 4, 0, 42, 0, 127, 0, 0x80, 0x87, 4, 0, 42, 0, 0xFE, 0, 0x80}));
  EXPECT_EQ(Slot(12), (Bytes{0x80, 0x80}));
  EXPECT_EQ(Boxes(), (std::vector<Box>{{-100, -99, 300, 348}, {-100, -99, 600, 648}}));
}

TEST_F(StaveGroupTest, BassPartOfTheFirstSystemTakesTheCurrentClef) {
  context.ReadingPartCount = 4;
  AddStave(0, 1);
  AddStave(0, 2, 400);
  AddStave(0, 3, 500);
  AddSymbol(15, 110, 130, 4, 12, 0, 2);
  AddSymbol(15, 110, 130, 4, 12, 0, 0);
  ASSERT_EQ(Run(), 1);
  const Bytes bass = Slot(3), treble = Slot(1);
  EXPECT_EQ(Bytes(bass.begin() + 7, bass.end()), (Bytes{0x39, 0x00, 0x80}));
  EXPECT_EQ(Bytes(treble.begin() + 7, treble.end()), (Bytes{0x09, 0x00, 0x80}));
}

TEST_F(StaveGroupTest, FirstRestGetsTheHiddenPairWhileRhythmCorrectionIsOn) {
  context.snapshot.rhythmCorrection = true;
  AddStave(0, 1);
  AddSymbol(kSymbolRestBase + 5, 300, 310, 6, 10);
  AddSymbol(kSymbolRestBase + 5, 400, 410, 6, 10);
  ASSERT_EQ(Run(), 1);
  const Bytes slot = Slot(1);
  EXPECT_EQ(Bytes(slot.begin() + 7, slot.end()), (Bytes{0x03, 0x80, 0x03, 0x80, 0x55, 0x00, 0x55, 0x00, 0x80}));
  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 5u);
  EXPECT_EQ(boxes[1], (Box{108, 108, 300, 300}));
  EXPECT_EQ(boxes[2], (Box{109, 109, 300, 300}));
}

int seenNumerator = -2, seenCode = -2, seenBars = 0;
int RecordBar(BuildContext&, int, uint32_t, int, int numerator, int code, StreamRewrite*) {
  seenNumerator = numerator;
  seenCode = code;
  ++seenBars;
  return 1;
}

TEST_F(StaveGroupTest, TimeSignatureInForceComesFromTheScoreCopyAndThePage) {
  context.barVoices = RecordBar;
  context.snapshot.streams[1] = {0x33, 0x04, 0x00, 0x80, 0x88};  // 6/8 in the score
  context.scorePage = 2;
  AddStave(0, 1);
  AddSymbol(kSymbolBarline, 400, 402, 4, 12);
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(seenBars, 2);  // the bar line and the end of the system
  EXPECT_EQ(seenNumerator, 6);
  EXPECT_EQ(seenCode, 4);
  // The page's own time signature wins over the score's from the next system on.
  FreeStreamSet(&streams);
  StreamSet& set = streams;
  ASSERT_EQ(GrowStream(&set, 1, 8), 1);
  const uint8_t page3[] = {0x80, 0x13, 0x06, 0x80};  // 2/2 on this page
  std::memcpy(StreamBytes(set, 1), page3, sizeof page3);
  set.used[1] = sizeof page3;
  symbols.clear();
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(seenNumerator, 2);
  EXPECT_EQ(seenCode, 6);
}

// Key changes inside a system go into the stream where they stand: after the
// bar line that opens their bar and before the bar's first item.
TEST_F(StaveGroupTest, KeyChangesInsideASystemFollowTheirBarLines) {
  AddStave(0, 1);
  AddSymbol(kSymbolRestBase + 5, 300, 310, 6, 10);
  AddSymbol(kSymbolBarline, 400, 402, 4, 12);
  AddSymbol(kSymbolSharpKey, 410, 440, 0, 15, 3);
  AddSymbol(kSymbolRestBase + 5, 500, 510, 6, 10);
  AddSymbol(kSymbolBarline, 600, 602, 4, 12);
  AddSymbol(kSymbolFlatKey, 610, 640, 0, 15, 2);
  AddSymbol(kSymbolRestBase + 5, 700, 710, 6, 10);
  ASSERT_EQ(Run(), 1);
  const Bytes slot = Slot(1);
  const Bytes bar = {0x00, 0x03, 0x80};
  std::vector<size_t> bars;
  for (size_t i = 0; i + bar.size() <= slot.size(); ++i)
    if (std::equal(bar.begin(), bar.end(), slot.begin() + i)) bars.push_back(i);
  ASSERT_EQ(bars.size(), 2u);
  EXPECT_EQ(slot[bars[0] + 3], 0x3A);  // three sharps
  EXPECT_EQ(slot[bars[0] + 4], 0x55);  // the crotchet rest of the second bar
  EXPECT_EQ(slot[bars[1] + 3], 0x22);  // two flats
  EXPECT_EQ(slot[bars[1] + 4], 0x55);
  EXPECT_EQ(std::count(slot.begin(), slot.end(), 0x3A), 1);
}

TEST_F(StaveGroupTest, SymbolCentreOnANoteLeftEdgeGoesFirst) {
  for (int centreShift : {0, 1}) {
    SCOPED_TRACE(centreShift);
    FreeStreamSet(&streams);
    page->boxCount = 0;
    rows.clear();
    symbols.clear();
    notes.clear();
    AddStave(0, 1);
    AddNote(kNoteCrotchet, 300, 16);
    AddSymbol(kSymbolRestBase + 5, 290 + centreShift, 310 + centreShift, 6, 10);
    ASSERT_EQ(Run(), 1);
    const Bytes slot = Slot(1);
    EXPECT_EQ(slot[7], centreShift == 0 ? 0x55 : 0x0C);
  }
}

TEST_F(StaveGroupTest, RestFlagsPutTheRestInThePreviousColumn) {
  AddStave(0, 1);
  AddSymbol(kSymbolRestBase + 4, 300, 310, 6, 10).restFlags = 1;
  AddSymbol(kSymbolRestBase + 5, 400, 410, 6, 10).restFlags = -3;  // odd flags from a bad record
  ASSERT_EQ(Run(), 1);
  const Bytes slot = Slot(1);
  EXPECT_EQ(Bytes(slot.begin() + 7, slot.end()), (Bytes{0xC5, 0x00, 0xD5, 0x00, 0x80}));
  EXPECT_TRUE(RestSharesColumn(slot.data() + 7));
}

TEST_F(StaveGroupTest, ACueSizeRestCarriesTheCueBit) {
  AddStave(0, 1);
  AddSymbol(kSymbolRestBase + 4, 300, 310, 6, 10).size = kCueSize;
  AddSymbol(kSymbolRestBase + 5, 400, 410, 6, 10, 1).size = kCueSize - 1;
  ASSERT_EQ(Run(), 1);
  const Bytes slot = Slot(1);
  EXPECT_EQ(Bytes(slot.begin() + 7, slot.end()), (Bytes{0x45, 0x10, 0x55, 0x01, 0x80}));
}

TEST_F(StaveGroupTest, FarRightRecordsAreNeverTaken) {
  AddStave(0, 1);
  AddSymbol(kSymbolRestBase + 5, 8192, 8200, 6, 10);
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Slot(1), (Bytes{0x87, 4, 0, 42, 0, 127, 0, 0x80}));
  EXPECT_EQ(symbols[0].quality, 0);
}

TEST_F(StaveGroupTest, ItemsPastTheBoxListStayUnboxedAndNothingIsOverwritten) {
  page->boxCount = kMaxObjectBoxes - 2;
  page->boxes[kMaxObjectBoxes - 3][0] = 77;
  AddStave(0, 1);
  AddSymbol(kSymbolRestBase + 5, 300, 310, 6, 10);
  AddSymbol(kSymbolRestBase + 5, 400, 410, 6, 10);
  AddSymbol(kSymbolRestBase + 5, 500, 510, 6, 10);
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(page->boxCount, kMaxObjectBoxes);
  EXPECT_EQ(page->boxes[kMaxObjectBoxes - 3][0], 77);
  EXPECT_EQ(page->boxes[kMaxObjectBoxes - 1][0], 300);  // the system item took the row before
  EXPECT_EQ(Slot(1).size(), 7u + 6u + 1u);             // every item is still written

  // Inserting into a full list drops the last row; past the count is refused.
  EXPECT_TRUE(InsertObjectBox(context, 5, ObjectBox{1, 2, 3, 4}, 0.0f));
  EXPECT_EQ(page->boxCount, kMaxObjectBoxes);
  EXPECT_EQ(page->boxes[5][0], 1);
  EXPECT_EQ(page->boxes[kMaxObjectBoxes - 1][0], -100);
  EXPECT_FALSE(InsertObjectBox(context, kMaxObjectBoxes, ObjectBox{1, 2, 3, 4}, 0.0f));
  EXPECT_FALSE(AppendObjectBox(context, ObjectBox{1, 2, 3, 4}, 0.0f));
}

TEST_F(StaveGroupTest, SameRecordsReadTwiceGiveTheSameBytesAndBoxes) {
  SyntheticGroup();
  AddNote(kNoteCrotchet, 250, 16);
  AddNote(kNoteCrotchet, 250, 20);
  AddNote(kNoteMinim, 460, 14);
  const auto keptSymbols = symbols;
  const auto keptNotes = notes;
  ASSERT_EQ(Run(), 1);
  const Bytes first = Slot(1);
  const auto firstBoxes = Boxes();
  FreeStreamSet(&streams);
  page->boxCount = 0;
  symbols = keptSymbols;
  notes = keptNotes;
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(Slot(1), first);
  EXPECT_EQ(Boxes(), firstBoxes);
  EXPECT_TRUE(IsStreamWellFormed(first.data(), static_cast<uint32_t>(first.size()), context.version));
}

struct TextCall {
  int slot, code;
  uint32_t link;
  int32_t x;
};
std::vector<TextCall> textCalls;
int pageTextCalls = 0;
int RecordText(BuildContext& context, int slot, int code, uint32_t link, int32_t x, const StaveRow&) {
  textCalls.push_back({slot, code, link, x});
  if (!(link & kWordLinkBit)) context.lists.chars[link].kind = kTextConsumed;
  return 1;
}
int RecordPageTexts(BuildContext&) {
  ++pageTextCalls;
  return 1;
}

TEST_F(StaveGroupTest, TextsOfRestsAndChordsGoToTheTextWriters) {
  textCalls.clear();
  pageTextCalls = 0;
  context.textItems.text = RecordText;
  context.textItems.pageTexts = RecordPageTexts;
  AddStave(0, 1);
  AddChar(u"To Coda", 19, 300, 250);  // 0: a coda text on the rest
  AddChar(u"la", 9, 402, 380);        // 1: a lyric under the note
  AddChar(u"x", kTextConsumed, 402, 380);  // 2: consumed already
  SymbolRecord& rest = AddSymbol(kSymbolRestBase + 5, 300, 310, 6, 10);
  rest.appenditures[0].kind = 25;
  rest.appenditures[0].markIndex = 0;
  rest.appenditureCount = 1;
  NoteRecord& note = AddNote(kNoteCrotchet, 400, 16);
  note.appenditures[0].kind = 24;
  note.appenditures[0].markIndex = 1;
  note.appenditures[1].kind = 24;
  note.appenditures[1].markIndex = 2;
  note.appenditureCount = 2;
  ASSERT_EQ(Run(), 1);
  ASSERT_EQ(textCalls.size(), 2u);
  EXPECT_EQ(textCalls[0].code, 25);
  EXPECT_EQ(textCalls[0].x, 300);
  EXPECT_EQ(textCalls[1].code, 24);  // a lyric word's code from its meaning
  EXPECT_EQ(textCalls[1].link, 1u);
  EXPECT_EQ(textCalls[1].x, 400);
  EXPECT_EQ(pageTextCalls, 1);
  EXPECT_GE(StreamCapacity(streams, 0), 3u * 80u);
}

// A rest's grid mark writes the page's grid record it links, right after the
// rest, with the grid's box; a link past the page's grids writes nothing.
TEST_F(StaveGroupTest, AGridMarkWritesTheLinkedChordGrid) {
  InstallTextItemWriters();
  context.textItems = ReadingBuildContext().textItems;
  ChordGridRecord grids[1] = {};
  grids[0].baseFret = 3;
  for (int k = 0; k < 6; ++k) grids[0].strings[k] = static_cast<uint8_t>(k + 1);
  grids[0].left = 295;
  grids[0].right = 330;
  grids[0].top = 10;
  grids[0].bottom = 40;
  context.lists.grids = grids;
  context.lists.gridCount = 1;
  AddStave(0, 1);
  SymbolRecord& rest = AddSymbol(kSymbolRestBase + 5, 300, 310, 6, 10);
  rest.appenditures[0].kind = 176;
  rest.appenditures[0].markIndex = 0;
  rest.appenditures[1].kind = 176;
  rest.appenditures[1].markIndex = 1;
  rest.appenditureCount = 2;
  ASSERT_EQ(Run(), 1);
  const Bytes part = Slot(1);
  const auto boxes = Boxes();
  size_t restAt = 0;
  while (restAt < part.size() && (part[restAt] & 7) != kItemRest) {
    uint32_t length = 0;
    ASSERT_TRUE(ItemLengthWithin(part.data() + restAt, part.size() - restAt, context.version, &length));
    restAt += length;
  }
  ASSERT_LT(restAt + 2, part.size());
  size_t restBox = 0;
  while (restBox < boxes.size() && boxes[restBox][0] != 300) ++restBox;
  ASSERT_LT(restBox + 1, boxes.size());
  EXPECT_EQ(boxes[restBox + 1], (std::vector<int>{295, 330, 10, 40}));
  const uint8_t* grid = part.data() + restAt + 2;
  ASSERT_EQ(grid[0], kChordSymbolFirstByte);
  uint8_t fields[kChordDiagramFieldCount];
  ASSERT_TRUE(GetChordDiagramFields(grid, fields, context.version));
  EXPECT_EQ(fields[0], 3);
  EXPECT_EQ(fields[6], 6);
  uint32_t length = 0;
  ASSERT_TRUE(ItemLengthWithin(grid, part.data() + part.size() - grid, context.version, &length));
  EXPECT_NE(grid[length], kChordSymbolFirstByte);  // one grid only
}

TEST(BuildContextTest, ReadingContextTakesAFreshCopyAndKeepsItsWriters) {
  ResetScoreStreams();
  ASSERT_EQ(GrowScoreStream(1, 4), 1);
  StreamBytes(ScoreStream, 1)[0] = 0x09;
  StreamBytes(ScoreStream, 1)[1] = 0x00;
  ScoreStream.used[1] = 2;
  const int32_t parts = PartCount;
  PartCount = 2;
  BuildContext& context = ReadingBuildContext();
  context.barVoices = RecordBar;
  context.clefsKnown = true;
  context.ReadingPartCount = 9;
  PrepareReadingBuildContext();
  EXPECT_EQ(context.barVoices, RecordBar);
  EXPECT_FALSE(context.clefsKnown);
  EXPECT_EQ(context.ReadingPartCount, 2);
  EXPECT_EQ(context.snapshot.streams[1], (Bytes{0x09, 0x00}));
  // The copy stays as it was when the score changes afterwards.
  StreamBytes(ScoreStream, 1)[0] = 0x39;
  EXPECT_EQ(context.snapshot.streams[1][0], 0x09);
  context.barVoices = nullptr;
  PartCount = parts;
  ResetScoreStreams();
}

}  // namespace
