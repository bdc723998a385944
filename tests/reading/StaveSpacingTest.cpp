#include "reading/StaveSpacing.h"

#include <gtest/gtest.h>

#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Mscript.h"
#include "tests/Code/Quorm/StaffFixture.h"

namespace {

StaveRow Stave(int top, int bottom, int lines, int kind = 0, int group = 0, int number = 0) {
  StaveRow row;
  row.left = 100;
  row.right = 1100;
  row.top = static_cast<int16_t>(top);
  row.bottom = static_cast<int16_t>(bottom);
  row.lineCount = static_cast<int16_t>(lines);
  row.lineThickness = 2;
  row.midX = 600;
  row.midTop = row.top;
  row.rightTop = row.top;
  row.kind = static_cast<int16_t>(kind);
  row.group = static_cast<int16_t>(group);
  row.number = static_cast<int16_t>(number);
  return row;
}

StavePage NoImage() {
  StavePage page;
  page.resolution = 300;
  return page;
}

TEST(InterlineSpacing, FollowsTheRulesInOrder) {
  StavePage page = NoImage();
  StaveRow five[1] = {Stave(100, 141, 5)};
  EXPECT_DOUBLE_EQ(InterlineSpacing(five, 1, 0, page), 10.25);
  EXPECT_EQ(RoundedInterlineSpacing(five, 1, 0, page), 10);

  StaveRow twoLine[2] = {Stave(100, 120, 2, 2), Stave(300, 330, 2, 2)};
  EXPECT_DOUBLE_EQ(InterlineSpacing(twoLine, 2, 1, page), 10.0);
  twoLine[1].spacingOverride = 14.0;
  EXPECT_DOUBLE_EQ(InterlineSpacing(twoLine, 2, 0, page), 14.0);

  StaveRow mixed[2] = {Stave(100, 101, 1, 2), Stave(300, 380, 5)};
  EXPECT_DOUBLE_EQ(InterlineSpacing(mixed, 2, 0, page), 20.0);
  StaveRow lone[1] = {Stave(100, 101, 1, 2)};
  EXPECT_DOUBLE_EQ(InterlineSpacing(lone, 1, 0, page), 25.0);
  // A row that claims an ordinary stave with one line does not divide by zero.
  StaveRow odd[1] = {Stave(100, 101, 1, 0)};
  EXPECT_DOUBLE_EQ(InterlineSpacing(odd, 1, 0, page), 25.0);

  StaveRecord records[1] = {StaveRecordFromRow(five[0])};
  EXPECT_DOUBLE_EQ(StaveRecordSpacing(records, 1, 0, 300), 10.25);
}

TEST(StavePositionY, CountsHalfSpacesFromTheTopLine) {
  StavePage page = NoImage();
  StaveRow rows[1] = {Stave(100, 180, 5)};
  // Straight lines (no page read or shown): line k at 80 / 5 x k.
  struct Case {
    int position, y;
  } cases[] = {{4, 100}, {8, 132}, {5, 108}, {2, 80}, {12, 164}, {14, 184}};
  for (const Case& c : cases) EXPECT_EQ(StavePositionY(rows, 1, 0, 500, c.position, page), c.y) << c.position;
  EXPECT_EQ(StaveNotePositionY(rows, 1, 0, 500, 11, page), 100);
  EXPECT_EQ(StaveNotePositionY(rows, 1, 0, 500, 15, page), 132);
  EXPECT_EQ(StavePositionY(rows, 1, 0, 500, -40, page), 0);
}

TEST(StavePositionY, ShortStavesCountQuarterSpaces) {
  StavePage page = NoImage();
  StaveRow rows[1] = {Stave(200, 201, 1, 2)};
  EXPECT_EQ(StaveNotePositionY(rows, 1, 0, 500, 11, page), 200);
  EXPECT_EQ(StavePositionY(rows, 1, 0, 500, 8, page), 200);
  StaveRow two[1] = {Stave(200, 240, 2, 2)};
  // Lines at 200 and 220 (straight lines divide by the line count).
  EXPECT_EQ(StavePositionY(two, 1, 0, 500, 6, page), 200);
  EXPECT_EQ(StavePositionY(two, 1, 0, 500, 8, page), 210);
  EXPECT_EQ(StavePositionY(two, 1, 0, 500, 10, page), 220);
}

TEST(SetStaveUnits, ScaleWithTheStaveHeight) {
  struct Case {
    int height, lines, kind, unit, small;
  } cases[] = {{100, 5, 0, 4, 2}, {60, 5, 0, 2, 1}, {70, 5, 0, 3, 1}, {100, 6, 1, 3, 2}, {100, 4, 1, 4, 2},
               {10, 1, 2, 2, 1}};
  for (const Case& c : cases) {
    StaveRow rows[1] = {Stave(100, 100 + c.height, c.lines, c.kind)};
    SetStaveUnits(rows, 0, 300);
    EXPECT_EQ(CurrentStaveUnits().staveUnit, c.unit) << c.height << " " << c.kind;
    EXPECT_EQ(CurrentStaveUnits().smallStaveUnit, c.small) << c.height << " " << c.kind;
  }
  StaveRow rows[1] = {Stave(100, 200, 5)};
  SetStaveUnits(rows, 0, 300);
  EXPECT_FLOAT_EQ(CurrentStaveUnits().staveUnitF, 4.0f);
}

TEST(StaveGroups, IndexFindAndCount) {
  StaveRow rows[5] = {Stave(0, 40, 5, 0, 0, 1), Stave(60, 100, 5, 1, 0, 2), Stave(120, 160, 5, 0, 0, 3),
                      Stave(200, 240, 5, 0, 1, 1), Stave(260, 300, 1, 2, 1, 2)};
  EXPECT_EQ(StaveIndexInGroup(rows, 5, 2), 2);
  EXPECT_EQ(StaveIndexInGroup(rows, 5, 3), 0);
  EXPECT_EQ(FindStaveInGroup(rows, 5, 0, 2), 2);
  EXPECT_EQ(FindStaveInGroup(rows, 5, 0, 3), -1);
  EXPECT_EQ(FindStaveInGroup(rows, 5, 3, 1), 4);
  EXPECT_EQ(CountStavesInGroup(rows, 5, 0), 3);
  EXPECT_EQ(CountStavesInGroup(rows, 5, 3), 2);
  EXPECT_EQ(CountNotationStavesInGroup(rows, 5, 0), 2);
  EXPECT_EQ(CountNotationStavesInGroup(rows, 5, 3), 2);
}

TEST(SpacingForShortStaves, SetsTheFirstOneLineStaveFromTheHeads) {
  StaveRow rows[2] = {Stave(0, 20, 2, 2), Stave(100, 101, 1, 2)};
  SpacingForShortStaves(rows, 2, 300);
  EXPECT_DOUBLE_EQ(rows[1].spacingOverride, 25.0);
  ShortStaveSources().sumNoteheadHeights = [](int64_t* sum, int64_t* count) {
    *sum = 3 * 19 + 20;
    *count = 4;
  };
  SpacingForShortStaves(rows, 2, 300);
  EXPECT_DOUBLE_EQ(rows[1].spacingOverride, 20.0);  // 0.5 + 1 + 19.25
  ShortStaveSources() = ShortStaveHooks();
  StaveRow withFive[2] = {Stave(0, 80, 5), Stave(100, 101, 1, 2)};
  SpacingForShortStaves(withFive, 2, 300);
  EXPECT_DOUBLE_EQ(withFive[1].spacingOverride, 0.0);
}

// Without a measure of its own, the spacing comes from the boxes of the
// found heads the engine's page description names: each as tall as the
// space of the staff the head was found on.
TEST(SpacingForShortStaves, MeasuresTheFoundHeadsOfTheEnginesPage) {
  FreeNoteheads();
  LoadHandPage(1200, 900, 20);
  AddHandStaff({0, 100, 20, 50, 1150, 1, 0});  // one-line staffs with their own spaces
  AddHandStaff({1, 300, 12, 50, 1150, 1, 0});
  ResetPageDescription("title");
  AddPageDescription("page.tif");
  auto head = [](int32_t staff, int32_t x) {
    FoundNotehead h{};
    h.leftX = x - 6;
    h.rightX = x + 6;
    h.staff = staff;
    return AddFoundNotehead(h);
  };
  auto group = [](std::initializer_list<std::pair<int32_t, int32_t>> notes, int32_t pageX) {
    MscriptNoteGroup g{};
    for (const auto& [type, object] : notes) {
      g.notes[g.noteCount].type = type;
      g.notes[g.noteCount].object = object;
      g.notes[g.noteCount].pageX = pageX;
      ++g.noteCount;
    }
    return g;
  };
  AddTimeSlot(0);
  // Counted: the solid head and the minim (found on the lower staff, its
  // chord reaching across); left out: the grace note and the rest.
  const MscriptNoteGroup first[2] = {
      group({{kNoteSolid, head(0, 200)}, {kNoteMinim, head(1, 200)}, {kNoteGrace, head(0, 190)}}, 200),
      group({{kCrotchetRest, 0}}, 260)};
  AddNoteGroupEvents(0, first, 2);
  AddTimeSlot(1);
  const MscriptNoteGroup second = group({{kNoteBreve, head(1, 300)}, {kNoteSBreve, head(1, 330)}}, 300);
  AddNoteGroupEvents(1, &second, 1);

  StaveRow rows[2] = {Stave(0, 20, 2, 2), Stave(100, 101, 1, 2)};
  SpacingForShortStaves(rows, 2, 300);
  // Heads 20, 12, 12 and 12 pixels: 0.5 + 2 x 0.5 + 14, to the whole pixel.
  EXPECT_DOUBLE_EQ(rows[1].spacingOverride, 15.0);
  FreeHandPage();
  FreeNoteheads();
  SpacingForShortStaves(rows, 2, 300);
  EXPECT_DOUBLE_EQ(rows[1].spacingOverride, 25.0);  // no heads: resolution / 12
}

}  // namespace
