#include "reading/NoteGroupAdapter.h"

#include <gtest/gtest.h>

#include "reading/StaveSpacing.h"
#include "tests/stages/NoteEnginePage.h"

namespace {

// Reads the first event of the row's first slot.
EngineEventView FirstEvent(const NoteEnginePage& page, int row) {
  EngineEventView e;
  ReadEngineSlotEvent(page.rows[row].group, StaveIndexInGroup(page.rows.data(), static_cast<int>(page.rows.size()), row),
                      0, 0, &e);
  return e;
}

// The step of a head is lineCount + 26 - q, q the note position (11 = top
// line, downward) the head is centred on; the note position
// scale puts position q (q - 11) half spaces below the top line. A five-line stave has a
// line every two positions, the one- to three-line staves every four (their
// line distance is two spaces of the page's five-line stave).
TEST(NoteGroupAdapter, TheStepOfEveryLineSpaceAndLedgerOfEachStaveSize) {
  const struct {
    int lines;
    int32_t engineStep;
    int32_t q;
    int32_t step;
    const char* where;
  } cases[] = {
      {5, -4, 11, 20, "top line"},     {5, 0, 15, 16, "middle line"},   {5, 4, 19, 12, "bottom line"},
      {5, -3, 12, 19, "top space"},    {5, -6, 9, 22, "ledger above"},  {5, -8, 7, 24, "second ledger above"},
      {5, 6, 21, 10, "ledger below"},  {5, 8, 23, 8, "second ledger below"},
      {3, 0, 11, 18, "top line"},      {3, 2, 15, 14, "middle line"},   {3, 4, 19, 10, "bottom line"},
      {3, 1, 13, 16, "space"},         {3, -2, 7, 22, "ledger above"},  {3, -4, 3, 26, "second ledger above"},
      {3, 6, 23, 6, "ledger below"},   {3, 8, 27, 2, "second ledger below"},
      {2, 0, 11, 17, "top line"},      {2, 2, 15, 13, "bottom line"},   {2, 1, 13, 15, "space"},
      {2, -2, 7, 21, "ledger above"},  {2, -4, 3, 25, "second ledger above"}, {2, 6, 23, 5, "second ledger below"},
      {1, 0, 11, 16, "line"},          {1, -1, 9, 18, "above the line"}, {1, 1, 13, 14, "below the line"},
      {1, -2, 7, 20, "ledger above"},  {1, -4, 3, 24, "second ledger above"}, {1, 4, 19, 8, "second ledger below"},
  };
  for (const auto& c : cases) {
    NoteEnginePage page;
    page.AddStave(0, 200, 20, 5);  // the page's five-line stave: space 20
    const int row = page.AddStave(1, 700, c.lines == 5 ? 20 : 40, c.lines);
    page.Describe();
    HandGroup g;
    g.notes = {HandNote{3, c.engineStep, 600}};
    page.AddSlot(row, {g});
    const EngineEventView e = FirstEvent(page, row);
    ASSERT_EQ(e.noteCount, 1);
    EXPECT_EQ(e.notes[0].notePosition, c.q) << c.lines << " lines, " << c.where;
    EXPECT_EQ(e.notes[0].step, c.step) << c.lines << " lines, " << c.where;
    EXPECT_EQ(e.notes[0].staveOffset, 0);
    // Position q lies (q - 11) half spaces of the page (10 pixels) below the top line.
    EXPECT_EQ(page.StepY(row, c.engineStep), 700 + (c.q - 11) * 10) << c.lines << " lines, " << c.where;
  }
}

TEST(NoteGroupAdapter, StemEndsSidesAndFlagsInPagePixels) {
  NoteEnginePage page;
  const int row = page.AddStave(0, 200, 20, 5);
  page.Describe();
  HandGroup up;  // a head on the middle line (240), its stem up on the right to y 180
  up.notes = {HandNote{3, 0, 600}};
  up.stemX = 607;
  up.stemEndY = 180;
  up.flags = 2;
  HandGroup down;  // the same head, its stem down on the left to y 310
  down.notes = {HandNote{3, 0, 700}};
  down.stemX = 692;
  down.stemEndY = 310;
  down.up = false;
  down.leftBeams = 1;
  down.rightBeams = 2;
  page.AddSlot(row, {up, down});
  EngineEventView a, b;
  ReadEngineSlotEvent(0, 0, 0, 0, &a);
  ReadEngineSlotEvent(0, 0, 0, 1, &b);
  EXPECT_TRUE(a.hasStem);
  EXPECT_TRUE(a.stemUp);
  EXPECT_EQ(a.stemTopY, 180);
  EXPECT_EQ(a.stemBottomY, 250);  // the head's bottom
  EXPECT_EQ(a.notes[0].usualStemSide, 1);
  EXPECT_EQ(a.flagCount, 2);
  EXPECT_EQ(a.box.y0, 180);
  EXPECT_FALSE(b.stemUp);
  EXPECT_EQ(b.stemTopY, 230);
  EXPECT_EQ(b.stemBottomY, 310);
  EXPECT_EQ(b.notes[0].usualStemSide, 1);  // down on the left: the usual side
  EXPECT_EQ(b.leftBeams, 1);
  EXPECT_EQ(b.rightBeams, 2);
}

TEST(NoteGroupAdapter, ANoteNearerTheNextStaveBelongsToIt) {
  NoteEnginePage page;
  const int upper = page.AddStave(0, 200, 20, 5);  // lines 200..280
  page.AddStave(0, 400, 20, 5);                    // lines 400..480; half-way 340
  page.Describe();
  HandGroup g;
  g.notes = {HandNote{3, 4, 500}, HandNote{3, 9, 500}, HandNote{3, 11, 500}};  // 280, 330, 350
  page.AddSlot(upper, {g});
  const EngineEventView e = FirstEvent(page, upper);
  ASSERT_EQ(e.noteCount, 3);
  EXPECT_EQ(e.notes[0].staveOffset, 0);
  EXPECT_EQ(e.notes[1].staveOffset, 0);
  EXPECT_EQ(e.notes[2].staveOffset, 1);
}

}  // namespace
