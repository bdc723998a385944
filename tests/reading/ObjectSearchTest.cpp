#include "reading/ObjectSearch.h"

#include <gtest/gtest.h>

#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Mscript.h"
#include "tests/Code/Quorm/StaffFixture.h"

namespace {

// One system of two five-line staves (tops 100 and 300, spacing 20) and a
// second system of one stave (top 600), as the engine and the rows see them.
class ObjectSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    FreeNoteheads();
    FreeFixedSymbols();
    LoadHandPage(1200, 900, 20);
    AddHandStaff({0, 100, 20, 50, 1150, 5, 1});
    AddHandStaff({0, 300, 20, 50, 1150, 5, 0});
    AddHandStaff({1, 600, 20, 50, 1150, 5, 0});
    ResetPageDescription("title");
    AddPageDescription("page.tif");
    for (int i = 0; i < 3; ++i) {
      rows[i].left = 50;
      rows[i].right = 1150;
      rows[i].top = static_cast<int16_t>(i == 0 ? 100 : i == 1 ? 300 : 600);
      rows[i].bottom = static_cast<int16_t>(rows[i].top + 80);
      rows[i].lineCount = 5;
      rows[i].group = static_cast<int16_t>(i == 2 ? 1 : 0);
      rows[i].number = static_cast<int16_t>(i == 1 ? 2 : 1);
    }
    options = CurrentObjectSearchOptions();
  }
  void TearDown() override {
    CurrentObjectSearchOptions() = options;
    FreeHandPage();
    FreeNoteheads();
    FreeFixedSymbols();
  }

  // A solid head of the staff at (x, centre y), the engine step given.
  static MscriptNote Head(int32_t staff, int32_t x, int32_t y, int32_t step, int32_t type = kNoteSolid) {
    FoundNotehead h{};
    h.leftX = x - 8;
    h.rightX = x + 8;
    h.centreY = y;
    h.staff = staff;
    h.step = step;
    MscriptNote n{};
    n.object = AddFoundNotehead(h);
    n.type = type;
    n.step = step;
    n.pageX = x;
    n.pageY = y;
    return n;
  }
  static MscriptNote Rest(int32_t x, int32_t y, int32_t type, int32_t symbolType) {
    MscriptNote n{};
    n.object = AddFixedSymbol(x - 6, y - 15, x + 6, y + 15, symbolType, 0, 0);
    n.type = type;
    n.pageX = x;
    n.pageY = y;
    return n;
  }
  static void AddGroup(int32_t staff, std::initializer_list<MscriptNote> notes, int32_t stemX = -1,
                       int32_t stemEnd = 0, bool up = true) {
    MscriptNoteGroup g{};
    for (const MscriptNote& n : notes) g.notes[g.noteCount++] = n;
    g.stemObject = stemX >= 0 ? 1 : -1;
    g.stemX = stemX;
    g.stemEnd = stemEnd;
    g.stemDirection = up ? 0 : 1;
    AddNoteGroupEvents(staff, &g, 1);
  }

  int32_t Find(int s, int32_t l, int32_t t, int32_t r, int32_t b, uint32_t mask = 0, int32_t tolerance = 0) {
    return FindObjectNearBox(rows, 3, s, l, t, r, b, mask, tolerance);
  }

  StaveRow rows[3];
  ObjectSearchOptions options;
};

TEST_F(ObjectSearch, AClefGivesItsRightEdgeAndItsMaskBitPassesItOver) {
  AddTimeSlot(0);
  const int32_t clef = AddFixedSymbol(60, 90, 90, 190, kGClefType, 0, 0);
  const int32_t record[kClefWords] = {0, 150, 75, kGClefType, clef};
  AddClefEvent(0, record);
  AddGroup(0, {Head(0, 100, 140, 0)});  // a head at 92..108 on the middle line
  EXPECT_EQ(Find(0, 70, 120, 80, 130), 90);
  // Reaching into the head too: the head comes first in the walk.
  EXPECT_EQ(Find(0, 70, 135, 95, 145), 108);
  EXPECT_EQ(Find(0, 70, 120, 80, 130, kSkipClefs | kSkipNoteParts | kSkipEventBoxes), -1);
  EXPECT_EQ(Find(0, 70, 135, 95, 145, kSkipClefs | kSkipEventBoxes), 108);
  EXPECT_EQ(Find(0, 70, 135, 95, 145, kSkipClefs | kSkipNoteheads | kSkipNoteParts | kSkipEventBoxes), -1);
}

TEST_F(ObjectSearch, OverlapNeedsTheLeftBeforeTheRightEdgeAndTheBottomAtTheTop) {
  AddTimeSlot(0);
  AddGroup(0, {Head(0, 100, 140, 0)});  // 92..108 x 130..150
  const uint32_t bare = kSkipNoteParts | kSkipEventBoxes;
  const struct {
    int32_t l, t, r, b, found;
  } cases[] = {
      {108, 135, 120, 145, -1},   // left on the head's right edge
      {107, 135, 120, 145, 108},
      {80, 135, 92, 145, 108},    // right on the head's left edge counts
      {80, 135, 91, 145, -1},
      {95, 150, 100, 160, -1},    // top on the head's bottom
      {95, 120, 100, 130, 108},   // bottom on the head's top counts
  };
  for (const auto& c : cases) EXPECT_EQ(Find(0, c.l, c.t, c.r, c.b, bare), c.found) << c.l << "," << c.t;
}

TEST_F(ObjectSearch, ANoteOfTheStaveBelowIsFoundOnlyWithTheNeighbourSearch) {
  AddTimeSlot(1);
  // Stave 1's event, its head at 220 nearer stave 0 (bottom line 180) than
  // its own (top line 300).
  AddGroup(1, {Head(1, 400, 220, -12)});
  CurrentObjectSearchOptions().searchNeighbours = true;
  EXPECT_EQ(Find(0, 395, 215, 405, 225, kSkipEventBoxes | kSkipNoteParts), 408);
  // From its own stave the note belongs to the stave above: not found.
  EXPECT_EQ(Find(1, 395, 215, 405, 225, kSkipEventBoxes | kSkipNoteParts), -1);
  CurrentObjectSearchOptions().searchNeighbours = false;
  EXPECT_EQ(Find(0, 395, 215, 405, 225, kSkipEventBoxes | kSkipNoteParts), -1);
}

TEST_F(ObjectSearch, TheFirstStaveOfASystemLooksAtNoOtherSystem) {
  AddTimeSlot(1);
  AddGroup(1, {Head(1, 400, 390, 0)});  // the last stave of system 0
  CurrentObjectSearchOptions().searchNeighbours = true;
  EXPECT_EQ(Find(2, 0, 0, 1200, 900), -1);
  EXPECT_EQ(Find(1, 0, 0, 1200, 900), 408);
}

TEST_F(ObjectSearch, AStaveTheEngineDoesNotHoldGivesZero) {
  StaveRow extra[4] = {rows[0], rows[1], rows[2], rows[2]};
  extra[3].group = 5;  // no such system
  EXPECT_EQ(FindObjectNearBox(extra, 4, 3, 0, 0, 100, 100, 0, 0), 0);
  extra[3].group = 1;  // a second stave of system 1, which has one
  extra[3].number = 2;
  EXPECT_EQ(FindObjectNearBox(extra, 4, 3, 0, 0, 100, 100, 0, 0), 0);
  EXPECT_EQ(FindObjectNearBox(rows, 3, 7, 0, 0, 100, 100, 0, 0), 0);
}

TEST_F(ObjectSearch, RestsByType) {
  AddTimeSlot(0);
  AddGroup(0, {Rest(200, 140, kBreveRest, 40)});
  AddGroup(0, {Rest(300, 140, kCrotchetRest, 43)});
  AddGroup(0, {Rest(400, 140, kMultiBarRest, 43)});
  const uint32_t bare = kSkipNoteParts | kSkipEventBoxes;
  EXPECT_EQ(Find(0, 198, 135, 202, 145, bare), -1);  // a breve rest is never matched
  EXPECT_EQ(Find(0, 298, 135, 302, 145, bare), 306);
  EXPECT_EQ(Find(0, 298, 135, 302, 145, bare | kSkipRests), -1);
  CurrentObjectSearchOptions().multiBarRests = false;
  EXPECT_EQ(Find(0, 398, 135, 402, 145, bare), -1);
  CurrentObjectSearchOptions().multiBarRests = true;
  EXPECT_EQ(Find(0, 398, 135, 402, 145, bare), 406);
}

TEST_F(ObjectSearch, BarLinesAreTestedOnXOnlyAndPedalMarksCanBeLeftOut) {
  AddTimeSlot(0);
  const int32_t bar[kBarlineWords] = {0, 500, 505};  // kept in script units: 2.5 pixels here
  AddBarlineEvent(0, bar);
  EXPECT_EQ(Find(0, 495, 850, 500, 860), 505);  // far below the stave, same columns
  EXPECT_EQ(Find(0, 505, 850, 510, 860), -1);
  EXPECT_EQ(Find(0, 495, 850, 505, 860, kSkipBarlines), -1);
  AddStavePedalOrnament(0, 0, EngineBox{700, 200, 740, 220});
  AddStaveDynamic(0, 2, EngineBox{800, 200, 840, 220});
  EXPECT_EQ(Find(0, 710, 205, 720, 210), 740);
  EXPECT_EQ(Find(0, 710, 205, 720, 210, kStopBeforePedalMarks), -1);
  EXPECT_EQ(Find(0, 810, 205, 820, 210), 840);
  EXPECT_EQ(Find(0, 810, 205, 820, 210, kSkipDynamics), -1);
}

TEST_F(ObjectSearch, GraceStemEndsOnlyWhenAsked) {
  AddTimeSlot(0);
  // A grace head on the middle line, its stem up from x 606 to the top line's place (0).
  AddGroup(0, {Head(0, 600, 140, 0, kNoteGrace)}, 606, 0, true);
  const uint32_t bare = kSkipNoteParts | kSkipEventBoxes | kSkipNoteheads;
  EXPECT_EQ(Find(0, 604, 101, 608, 103, bare), -1);
  // The stem's end gives the right edge of the event's upper end, the stem.
  EXPECT_EQ(Find(0, 604, 101, 608, 103, bare | kSearchGraceStemEnds, 4), 607);
  // The event box holds the stem and gives the larger right edge, the head's.
  EXPECT_EQ(Find(0, 604, 101, 608, 103, kSkipNoteParts | kSkipNoteheads), 608);
}

TEST_F(ObjectSearch, AGraceStemEndWidensOnlyTowardsItsFlagOrBeams) {
  // Grace heads on the middle line (592..608); the stem at x 600 runs up to
  // the top line (y 100) or down to the bottom line (y 180).
  struct Case {
    bool up;
    int32_t flags, leftBeams, rightBeams;
    int32_t l, r;  // the query's columns, rows at the stem's end
    int32_t found;
    const char* what;
  };
  const Case cases[] = {
      {true, 0, 0, 0, 601, 604, -1, "no flag: not widened to the right"},
      {true, 1, 0, 0, 601, 604, 601, "a flag widens it to the right"},
      {true, 1, 0, 0, 594, 598, -1, "but not to the left"},
      {true, 0, 1, 0, 594, 598, 601, "a beam on the left widens it to the left"},
      {true, 0, 0, 1, 601, 604, 601, "a beam on the right to the right"},
      {false, 1, 0, 0, 601, 604, 601, "stem down: at its lower end, giving the stem's right edge"},
  };
  for (const Case& c : cases) {
    SetUp();
    AddTimeSlot(0);
    MscriptNoteGroup g{};
    g.notes[g.noteCount++] = Head(0, 600, 140, 0, kNoteGrace);
    g.stemObject = 1;
    g.stemX = 600;
    g.stemEnd = c.up ? 0 : 64;  // script units below the top line
    g.stemDirection = c.up ? 0 : 1;
    g.flagCount = c.flags;
    g.leftBeams = c.leftBeams;
    g.rightBeams = c.rightBeams;
    AddNoteGroupEvents(0, &g, 1);
    const int32_t y = c.up ? 101 : 178;
    const uint32_t bare = kSkipNoteParts | kSkipEventBoxes | kSkipNoteheads | kSearchGraceStemEnds;
    EXPECT_EQ(Find(0, c.l, y, c.r, y + 1, bare, 4), c.found) << c.what;
    TearDown();
  }
}

TEST_F(ObjectSearch, ANotesAccidentalIsItsSecondPart) {
  AddTimeSlot(0);
  MscriptNote n = Head(0, 600, 140, 0);
  n.accidentalRefs[0] = 1;
  n.accidentalRefs[1] = AddFixedSymbol(570, 125, 580, 160, kSharpType, 0, 0);
  n.accidentalRefs[2] = -1;
  AddGroup(0, {n});
  EXPECT_EQ(Find(0, 572, 140, 576, 145, kSkipEventBoxes), 580);
  EXPECT_EQ(Find(0, 572, 140, 576, 145, kSkipEventBoxes | kSkipNoteParts), -1);
}

TEST_F(ObjectSearch, ACacheKeepsTheSlotsReadWhileItLives) {
  AddTimeSlot(0);
  AddGroup(0, {Head(0, 100, 140, 0)});
  {
    ObjectSearchCache cache;
    EXPECT_EQ(Find(0, 95, 135, 100, 145, kSkipNoteParts), 108);
    EXPECT_EQ(Find(0, 195, 135, 200, 145, kSkipNoteParts), -1);
    AddGroup(0, {Head(0, 200, 140, 0)});  // the description changes under the cache: not seen
    EXPECT_EQ(Find(0, 195, 135, 200, 145, kSkipNoteParts), -1);
  }
  EXPECT_EQ(Find(0, 195, 135, 200, 145, kSkipNoteParts), 208);  // read afresh without it
}

}  // namespace
