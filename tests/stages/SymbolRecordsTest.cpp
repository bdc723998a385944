// Symbol records: the engine import on a hand-made staff table and page
// description, the classifier's maker and the context score.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "reading/StaveSpacing.h"
#include "stages/SymbolRecords.h"
#include "stages/SymbolRecordsEngine.h"
#include "tests/stages/SymbolEngineFixture.h"

namespace {

// Engine rest types (the page description's own names stay in the fixture).
constexpr int32_t kBreve = 5, kSemibreve = 6, kMinim = 7, kCrotchet = 8, kQuaver = 9, kSemiquaver = 10;
constexpr int32_t kDemisemiquaver = 11, kHemidemisemiquaver = 12, kMultiBar = 13, kInvisible = 14;

class SymbolImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartSymbolPage();
    rows_[0].group = rows_[1].group = 0;
    rows_[0].number = 0;
    rows_[1].number = 1;
    rows_[0].lineCount = rows_[1].lineCount = 5;
    CurrentStaveUnits().staveUnit = 3;
    records_.assign(kSymbolListCapacity, SymbolRecord{});
    count_ = 0;
  }
  void TearDown() override { EndSymbolPage(); }

  FoundObjectRef Object(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t cost = 0) {
    FoundObjectRef o{};
    AddSymbolObject(x0, y0, x1, y1, cost, &o.kind, &o.index);
    return o;
  }
  int Import(int staveInSystem) {
    return ImportStaveEngineSymbols(rows_, staveInSystem, records_.data(), count_, static_cast<int16_t>(staveInSystem),
                                    staveInSystem);
  }

  StaveRow rows_[2];
  std::vector<SymbolRecord> records_;
  uint32_t count_ = 0;
};

TEST_F(SymbolImportTest, ClefsGetTheirTypesAndStepsFromTheBox) {
  NewSymbolSlot(0);
  // The F clefs' boxes end three spaces below the top line, as a bass clef
  // does (a box down to the bottom line would mark the baritone's line).
  const struct {
    int32_t code, type, bottom, stepBottom;
  } cases[] = {{0, 2, 185, 14}, {1, 8, 160, 10}, {2, 5, 185, 14}, {3, 2, 185, 14},
               {4, 2, 185, 14}, {5, 8, 160, 10}, {6, 8, 160, 10}, {-1, -1, 185, 14}};
  for (const auto& c : cases) {
    const FoundObjectRef o = Object(60, 95, 80, c.bottom);
    AddSlotClef(0, c.code, o.kind, o.index);
  }
  ASSERT_EQ(Import(0), 1);
  ASSERT_EQ(count_, 7u);  // the clef without a code is skipped
  for (uint32_t i = 0; i < count_; ++i) {
    EXPECT_EQ(records_[i].type, cases[i].type) << i;
    EXPECT_EQ(records_[i].left, 60);
    EXPECT_EQ(records_[i].right, 80);
    EXPECT_EQ(records_[i].stepTop, 2);      // top just above the top line
    EXPECT_EQ(records_[i].stepBottom, cases[i].stepBottom);  // the line at or below the bottom
    EXPECT_EQ(records_[i].confidence, 100);
    EXPECT_EQ(records_[i].quality, -5);
    EXPECT_EQ(records_[i].score, 100);
    EXPECT_EQ(records_[i].space, 20);
    EXPECT_EQ(records_[i].staveTopY, 100);
  }
}

TEST_F(SymbolImportTest, StepsFollowTheBoxAgainstTheLines) {
  const struct {
    int32_t top, bottom;
    int stepTop, stepBottom;
  } cases[] = {
      {99, 181, 4, 12},  // on the outer lines (2 pixels of slack)
      {70, 230, 0, 15},  // beyond two spaces: clamped
      {120, 160, 6, 10},
      {125, 155, 6, 10},  // the step of the last line above the top
      {141, 142, 8, 8},
  };
  for (const auto& c : cases) {
    NewSymbolSlot(0);
    const FoundObjectRef o = Object(60, c.top, 80, c.bottom);
    AddSlotClef(0, 0, o.kind, o.index);
  }
  ASSERT_EQ(Import(0), 1);
  ASSERT_EQ(count_, std::size(cases));
  for (uint32_t i = 0; i < count_; ++i) {
    EXPECT_EQ(records_[i].stepTop, cases[i].stepTop) << i;
    EXPECT_EQ(records_[i].stepBottom, cases[i].stepBottom) << i;
  }
}

TEST_F(SymbolImportTest, TimeSignaturesAsDigitsOrAsSymbols) {
  const struct {
    int32_t symbol, numerator, denominator;
    std::vector<std::array<int, 3>> expected;  // type, stepTop, stepBottom
  } cases[] = {
      {0, 12, 8, {{33, 4, 8}, {34, 4, 8}, {40, 8, 12}}},
      {1, 4, 4, {{42, 6, 10}}},
      {1, 2, 2, {{43, 6, 10}}},
      {1, 3, 4, {{35, 4, 8}, {36, 8, 12}}},  // shown as a symbol, but neither common nor cut time
      {0, 4, 4, {{36, 4, 8}, {36, 8, 12}}},
  };
  for (const auto& c : cases) {
    SetUp();
    NewSymbolSlot(0);
    const FoundObjectRef o = Object(200, 100, 215, 180, 2000);
    AddSlotTime(0, c.symbol, c.numerator, c.denominator, o.kind, o.index);
    ASSERT_EQ(Import(0), 1);
    ASSERT_EQ(count_, c.expected.size()) << c.numerator << "/" << c.denominator;
    for (uint32_t i = 0; i < count_; ++i) {
      EXPECT_EQ(records_[i].type, c.expected[i][0]) << i;
      EXPECT_EQ(records_[i].stepTop, c.expected[i][1]) << i;
      EXPECT_EQ(records_[i].stepBottom, c.expected[i][2]) << i;
      EXPECT_EQ(records_[i].left, 200);  // every record carries the whole box
      EXPECT_EQ(records_[i].confidence, SymbolCostConfidence(2000));
      EXPECT_EQ(records_[i].quality, std::min(95 - SymbolCostConfidence(2000), 5));
    }
    TearDown();
  }
}

TEST_F(SymbolImportTest, RestsOfEveryEngineKindKeepATypeOfTheirOwn) {
  const struct {
    int32_t engineType, dots, bars, type;
    uint32_t count;
  } cases[] = {
      {kBreve, 0, 0, 72, 0},      {kSemibreve, 0, 0, 71, 0},      {kMinim, 0, 0, 70, 0},
      {kCrotchet, 0, 0, 69, 0},   {kQuaver, 1, 0, 68, 1},         {kQuaver, 2, 0, 68, 1},
      {kSemiquaver, 0, 0, 67, 0}, {kDemisemiquaver, 0, 0, 66, 0}, {kHemidemisemiquaver, 1, 0, 65, 1},
      {kMultiBar, 0, 12, 73, 12}, {kMultiBar, 0, 0, 73, 1},
  };
  NewSymbolSlot(0);
  int32_t x = 100;
  for (const auto& c : cases) {
    const FoundObjectRef o = Object(x, 120, x + 8, 160);
    AddSlotRest(0, c.engineType, c.dots, c.bars, x, o.index);
    x += 10;
  }
  const FoundObjectRef invisible = Object(900, 120, 908, 160);
  AddSlotRest(0, kInvisible, 0, 0, 900, invisible.index);
  AddSlotHead(0, 950);

  ASSERT_EQ(Import(0), 1);
  ASSERT_EQ(count_, std::size(cases));
  for (uint32_t i = 0; i < count_; ++i) {
    EXPECT_EQ(records_[i].type, cases[i].type) << i;
    EXPECT_EQ(records_[i].count, cases[i].count) << i;
    EXPECT_EQ(records_[i].left, 100 + 10 * static_cast<int>(i));
  }
}

// A rest drawn well below its glyph's size (stave space 20) is cue-size: the
// whole and half rests by their width, the others by their height.
TEST_F(SymbolImportTest, RestsDrawnSmallAreCueSize) {
  const struct {
    int32_t engineType, width, height;
    int16_t size;
  } cases[] = {
      {kCrotchet, 20, 56, 0},  {kCrotchet, 14, 40, kCueSize}, {kMinim, 24, 10, 0},  {kMinim, 16, 7, kCueSize},
      {kSemibreve, 24, 10, 0}, {kSemibreve, 16, 7, kCueSize}, {kQuaver, 16, 38, 0}, {kQuaver, 11, 26, kCueSize},
      {kSemiquaver, 18, 58, 0}, {kSemiquaver, 13, 40, kCueSize}, {kMultiBar, 10, 10, 0},
  };
  NewSymbolSlot(0);
  int32_t x = 100;
  for (const auto& c : cases) {
    const FoundObjectRef o = Object(x, 120, x + c.width - 1, 120 + c.height - 1);
    AddSlotRest(0, c.engineType, 0, 1, x, o.index);
    x += 40;
  }
  ASSERT_EQ(Import(0), 1);
  ASSERT_EQ(count_, std::size(cases));
  for (uint32_t i = 0; i < count_; ++i) EXPECT_EQ(records_[i].size, cases[i].size) << i;
}

TEST(RestSizeValue, GoesByTheExtentThatTellsAndNeedsItMeasured) {
  EXPECT_EQ(RestSizeValue(70, 16, 0, 20), kCueSize);  // a half rest by its width alone
  EXPECT_EQ(RestSizeValue(69, 14, 0, 20), 0);         // a crotchet rest whose height was not measured
  EXPECT_EQ(RestSizeValue(69, 0, 40, 20), kCueSize);
  EXPECT_EQ(RestSizeValue(72, 4, 10, 20), 0);         // breve rests are not sized
  EXPECT_EQ(RestSizeValue(69, 14, 40, 0), 0);         // no stave space
}

TEST_F(SymbolImportTest, BarLinesOfEveryKindAndTheirEngineLookUp) {
  for (int kind = 0; kind < 6; ++kind) {
    NewSymbolSlot(1);
    AddSlotBarline(1, kind, 200 + 100 * kind, 205 + 100 * kind);
  }
  NewSymbolSlot(1);
  AddSlotClosingMark(1);

  ASSERT_EQ(Import(1), 1);
  ASSERT_EQ(count_, 6u);
  const struct {
    int type, left, right;
  } expected[] = {{48, 200, 205}, {48, 300, 305}, {48, 397, 405}, {48, 500, 505}, {48, 597, 608}, {55, 700, 705}};
  for (uint32_t i = 0; i < count_; ++i) {
    EXPECT_EQ(records_[i].type, expected[i].type) << i;
    EXPECT_EQ(records_[i].left, expected[i].left) << i;
    EXPECT_EQ(records_[i].right, expected[i].right) << i;
    EXPECT_EQ(records_[i].quality, -5);
    EXPECT_EQ(records_[i].confidence, 100);
    EXPECT_EQ(records_[i].stepTop, 4);
    EXPECT_EQ(records_[i].stepBottom, 12);
    EXPECT_EQ(records_[i].stave, 1);
    EXPECT_EQ(records_[i].staveTopY, 300);
  }
  EXPECT_EQ(HasEngineBarlineAt(rows_, 1, 190, 199), 0);
  EXPECT_EQ(HasEngineBarlineAt(rows_, 1, 190, 200), 1);
  EXPECT_EQ(HasEngineBarlineAt(rows_, 1, 205, 210), 1);
  EXPECT_EQ(HasEngineBarlineAt(rows_, 1, 206, 299), 0);
  EXPECT_EQ(HasEngineBarlineAt(rows_, 0, 190, 210), 0);  // the other stave has none
}

// Once the staves have their parts a row's number is its part slot (from 1,
// and a system may skip slots); the bar-line look-up still goes by the row's
// place in its system, as the import does.
TEST_F(SymbolImportTest, TheBarLineLookUpGoesByTheStavesPlaceNotItsPartSlot) {
  NewSymbolSlot(1);
  AddSlotBarline(1, 0, 200, 205);
  NewSymbolSlot(0);
  AddSlotBarline(0, 0, 400, 405);
  const struct {
    int16_t first, second;  // the two rows' part slots
  } slots[] = {{1, 2}, {2, 3}, {1, 3}, {0, 1}};
  for (const auto& s : slots) {
    SCOPED_TRACE(testing::Message() << s.first << " " << s.second);
    rows_[0].number = s.first;
    rows_[1].number = s.second;
    EXPECT_EQ(HasEngineBarlineAt(rows_, 1, 190, 210), 1);
    EXPECT_EQ(HasEngineBarlineAt(rows_, 1, 390, 410), 0);
    EXPECT_EQ(HasEngineBarlineAt(rows_, 0, 390, 410), 1);
    EXPECT_EQ(HasEngineBarlineAt(rows_, 0, 190, 210), 0);
  }
  // A row that opens a system of its own is the first stave of that system.
  rows_[1].group = 1;
  EXPECT_EQ(HasEngineBarlineAt(rows_, 1, 190, 210), 0);
}

// The key-signature search looks after a plain bar line only where the
// description kept a key change: a key of a slot after the stave's first.
TEST_F(SymbolImportTest, KeyChangesAreLookedUpAfterTheFirstSlot) {
  NewSymbolSlot(1);
  AddSlotKey(1, 2, 80);  // the line's own key
  AddSlotBarline(1, 0, 200, 205);
  NewSymbolSlot(1);
  AddSlotKey(1, -3, 240);
  AddSlotBarline(1, 0, 400, 405);
  const struct {
    int stave;
    int32_t from, to;
    bool found;
  } cases[] = {{1, 205, 400, true},  {1, 205, 230, false}, {1, 250, 400, false},
               {1, 0, 150, false},   {0, 205, 400, false}, {2, 205, 400, false}};
  for (const auto& c : cases)
    EXPECT_EQ(EngineKeyChangeBetween(0, c.stave, c.from, c.to), c.found) << c.stave << " " << c.from << " " << c.to;
}

TEST_F(SymbolImportTest, StavesTheDescriptionLacksImportNothing) {
  NewSymbolSlot(0);
  EXPECT_EQ(Import(1), 1);  // an existing stave with nothing in it
  EXPECT_EQ(ImportStaveEngineSymbols(rows_, 2, records_.data(), count_, 2, 0), 0);
  rows_[1].group = 1;
  EXPECT_EQ(ImportStaveEngineSymbols(rows_, 0, records_.data(), count_, 1, 1), 0);
  EXPECT_EQ(HasEngineBarlineAt(rows_, 1, 0, 2000), 0);
  EXPECT_EQ(count_, 0u);
}

TEST_F(SymbolImportTest, TablatureStavesTakeOnlyTheirBarLines) {
  rows_[0].kind = 1;
  NewSymbolSlot(0);
  const FoundObjectRef o = Object(60, 95, 80, 185);
  AddSlotClef(0, 0, o.kind, o.index);
  AddSlotBarline(0, 0, 300, 303);
  ASSERT_EQ(Import(0), 1);
  ASSERT_EQ(count_, 1u);
  EXPECT_EQ(records_[0].type, 48);
}

TEST_F(SymbolImportTest, AFullListTakesNoMore) {
  NewSymbolSlot(0);
  const FoundObjectRef o = Object(60, 95, 80, 185);
  AddSlotClef(0, 0, o.kind, o.index);
  AddSlotBarline(0, 0, 300, 303);
  count_ = kSymbolListLimit;
  ASSERT_EQ(Import(0), 1);
  EXPECT_EQ(count_, static_cast<uint32_t>(kSymbolListLimit));
  uint8_t header[8] = {2, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(AddClassifiedSymbol(records_.data(), count_, header, 10, 40, 4, 0, 95, 93, 91, 10.0, 100), 0);
  EXPECT_EQ(count_, static_cast<uint32_t>(kSymbolListLimit));
}

// ---- The classifier's maker ----

TEST(AddClassifiedSymbol, ReadsEveryHeaderField) {
  std::vector<SymbolRecord> records(4);
  uint32_t count = 0;
  // type 70; variant 2 (byte 1 bits 4-5); right trim 2 eighths and a left
  // shift; flag bit and right extension 1; no step range; score 3 x 2,
  // weight 5; context row 7.
  const uint8_t header[8] = {70, 0x25, 0x0A, 0x42, 0x00, 0x56, 0x00, 7};
  ASSERT_EQ(AddClassifiedSymbol(records.data(), count, header, 100, 40, 6, 3, 92, 93, 91, 10.4, 222), 1);
  ASSERT_EQ(count, 1u);
  const SymbolRecord& r = records[0];
  EXPECT_EQ(r.type, 70);
  EXPECT_EQ(r.confidence, 92);
  EXPECT_EQ(r.quality, 2);  // (93 - 92) x 5 / 2
  EXPECT_EQ(r.left, 105);
  EXPECT_EQ(r.right, 100 + 40 - 10 + 5);
  EXPECT_EQ(r.stepTop, 6);
  EXPECT_EQ(r.stepBottom, 10);
  EXPECT_EQ(r.variant, 2);
  EXPECT_EQ(r.flag10, 1u);
  EXPECT_EQ(r.score, 6);
  EXPECT_EQ(r.attr18, 5);
  EXPECT_EQ(r.leftContext, 7);
  EXPECT_EQ(r.rightContext, 7);
  EXPECT_EQ(r.staveTopY, 222);
  EXPECT_EQ(r.space, 21);
  EXPECT_EQ(r.stave, 3);

  const uint8_t ranged[8] = {32, 0, 0, 0, 0xC4, 0, 0, 0};
  ASSERT_EQ(AddClassifiedSymbol(records.data(), count, ranged, 0, 16, 2, 0, 91, 93, 91, 5.0, 0), 1);
  EXPECT_EQ(records[1].stepTop, 4);
  EXPECT_EQ(records[1].stepBottom, 12);
  EXPECT_EQ(records[1].quality, 5);
  // Thresholds that meet do not divide by zero.
  ASSERT_EQ(AddClassifiedSymbol(records.data(), count, ranged, 0, 16, 14, 0, 91, 91, 91, 5.0, 0), 1);
  EXPECT_EQ(records[2].quality, 0);
}

// ---- The context score ----

SymbolRecord At(int16_t type, int16_t stave, int16_t left, int16_t right, int16_t stepTop = 4) {
  SymbolRecord r{};
  r.type = type;
  r.stave = stave;
  r.left = left;
  r.right = right;
  r.stepTop = stepTop;
  r.space = 10;
  r.score = 20;
  return r;
}

TEST(SymbolContextScore, NeighboursNamedByTheRowsAddTheirBonus) {
  std::vector<ContextRow> left(2), right(2);
  left[1][0] = ContextEntry{2, 3, 30};   // row 2: a treble clef up to 3 spaces to the left
  left[1][1] = ContextEntry{48, 1, 7};   // a bar line up to 1 space to the left
  right[1][0] = ContextEntry{36, 2, 5};  // a digit 4 up to 2 spaces to the right
  const SymbolContextTables tables{&left, &right};

  std::vector<SymbolRecord> list = {At(2, 0, 50, 75), At(48, 0, 90, 92), At(40, 0, 100, 110), At(36, 0, 125, 135),
                                    At(2, 1, 70, 95)};
  const struct {
    int16_t row;
    int32_t score;
  } cases[] = {{0, 20}, {2, 20 + 30 + 7 + 5}, {1, 20}, {3, 20}, {255, 20}, {-1, 20}};
  for (const auto& c : cases) {
    list[2].leftContext = list[2].rightContext = c.row;
    EXPECT_EQ(SymbolContextScore(list.data(), static_cast<uint32_t>(list.size()), 2, tables), c.score) << c.row;
  }
  // Out of reach: the clef ends 25 pixels away, more than 3 spaces.
  list[2].leftContext = list[2].rightContext = 2;
  list[0].right = 69;
  EXPECT_EQ(SymbolContextScore(list.data(), static_cast<uint32_t>(list.size()), 2, tables), 20 + 7 + 5);
  // No tables at all: the plain score.
  EXPECT_EQ(SymbolContextScore(list.data(), static_cast<uint32_t>(list.size()), 2, SymbolContextTables{}), 20);
}

TEST(SymbolContextScore, BarLineBeforeATimeSignatureAndTrebleClefsGain) {
  std::vector<SymbolRecord> list = {At(48, 0, 100, 103), At(36, 0, 108, 118, 4), At(36, 0, 108, 118, 8),
                                    At(2, 0, 10, 30), At(1, 0, 10, 30), At(8, 0, 10, 30)};
  const uint32_t n = static_cast<uint32_t>(list.size());
  EXPECT_EQ(SymbolContextScore(list.data(), n, 0, SymbolContextTables{}), 20 + 64);
  EXPECT_EQ(SymbolContextScore(list.data(), n, 3, SymbolContextTables{}), 30);
  EXPECT_EQ(SymbolContextScore(list.data(), n, 4, SymbolContextTables{}), 30);
  EXPECT_EQ(SymbolContextScore(list.data(), n, 5, SymbolContextTables{}), 20);
  list[2].stave = 1;  // only the upper digit is left on the stave
  EXPECT_EQ(SymbolContextScore(list.data(), n, 0, SymbolContextTables{}), 20);
}

}  // namespace
