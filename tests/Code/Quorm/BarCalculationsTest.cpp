// Bar calculations and the marks steps on hand-built pages: staves, heads,
// stems, beams, symbols and bar lines put straight into the finders' tables
// and joined in the object graph, then read back from the page description.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "Code/Quorm/Barcalcs.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Mscript.h"
#include "Code/Quorm/Mscrptio.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Slurtext.h"
#include "Code/Quorm/concmpts.h"
#include "Code/Quorm/findbarl.h"
#include "Code/Quorm/findhpin.h"
#include "Code/Quorm/findslur.h"
#include "Code/Quorm/findtupb.h"
#include "Code/Quorm/mocgraph.h"
#include "tests/Code/Quorm/StaffFixture.h"

namespace {

constexpr int32_t kSpace = 20;
constexpr int32_t kLeft = 50;
constexpr int32_t kRight = 1150;
constexpr int32_t kNumeralType = 350;  // + the numeral (2..6)
constexpr int32_t kCrotchetRestType = 43;
constexpr int32_t kDynamicP = 303;     // the symbol type of "p"
constexpr int32_t kMinimRestType = 42;
constexpr int32_t kCodaType = 130;
constexpr int32_t kFirstEndingType = 132;
constexpr int32_t kFirstPedalType = 160;
constexpr int32_t kFirstOrnamentType = 170;

void FreeAll() {
  FreeBarcalcs();
  FreeObjectGraph();
  FreeFixedSymbols();
  FreeNoteheads();
  FreeVerticalLines();
  FreeBeams();
  FreeBarLines();
  FreeSlurs();
  FreeHairpins();
  ClearTupletBrackets();
  FreeObjectPoints();
  FreeConnectedComponents();
  FreeHandPage();
}

class BarCalculations : public ::testing::Test {
 protected:
  void SetUp() override {
    FreeAll();
    LoadHandPage(1200, 1400, kSpace);
    InitialiseObjectPoints();
  }
  void TearDown() override { FreeAll(); }

  // Each mark alone over or under two staves: the step adds it to the staff
  // the case names (with its code) and to no other.
  template <typename Cases, typename Add, typename Count, typename CodeAt>
  void ExpectMarksPlaced(const Cases& cases, Add add, Count count, CodeAt codeAt) {
    for (const auto& c : cases) {
      SetUp();
      AddHandStaff({0, 400, kSpace, kLeft, kRight, 5, 0});
      AddHandStaff({1, 900, kSpace, kLeft, kRight, 5, 0});
      Symbol(c.type, c.x - 10, c.y - 5, c.x + 10, c.y + 5);
      Read();
      add();
      for (int32_t system = 0; system < 2; ++system) {
        const int32_t n = count(0, system, 0);
        EXPECT_EQ(n, c.staff == system ? 1 : 0) << c.what;
        if (n == 1 && c.staff == system) EXPECT_EQ(codeAt(system), c.code) << c.what;
      }
      FreeAll();
    }
  }

  // Staves of one system, 150 pixels apart from y = 100.
  static void System(int32_t staves, int32_t gap = 150) {
    for (int32_t i = 0; i < staves; ++i) AddHandStaff({0, 100 + gap * i, kSpace, kLeft, kRight, 5, 0});
  }
  static int32_t StepY(int32_t staff, int32_t step, int32_t x) { return StaffStepY(staff, step, x) / 1024; }

  static int32_t Head(int32_t staff, int32_t x, int32_t step, int32_t model = 0) {
    FoundNotehead h{};
    h.leftX = x - 9;
    h.rightX = x + 9;
    h.centreY = StepY(staff, step, x);
    h.staff = staff;
    h.step = step;
    h.model = model;
    const int32_t i = AddFoundNotehead(h);
    AddObjectPoint(kPointHeadLeft, i, h.centreY, h.leftX);
    AddObjectPoint(kPointHeadRight, i, h.centreY, h.rightX);
    AddGraphNode(kObjectNotehead, i);
    return i;
  }
  static int32_t Stem(int32_t x, int32_t top, int32_t bottom) {
    const int32_t i = AddFoundVerticalLine({top, x, bottom, x, 2048, 100, 0});
    AddGraphNode(kObjectVerticalLine, i);
    return i;
  }
  // A head with its stem up on its right side, reaching to y = top.
  static int32_t StemUp(int32_t head, int32_t top) {
    const FoundNotehead h = GetFoundNotehead(head);
    const int32_t stem = Stem(h.rightX, top, h.centreY);
    Join(head, stem);
    return stem;
  }
  static void Join(int32_t head, int32_t stem) {
    LinkGraphNodes(kObjectNotehead, head, 6, kObjectVerticalLine, stem, 1, 100);
  }
  static int32_t Beam(int32_t x0, int32_t x1, int32_t y) {
    const int32_t i = AddFoundBeam({x0, x1, y, y, 6 * 1024, 100, 0});
    AddGraphNode(kObjectBeam, i);
    return i;
  }
  static void BeamStem(int32_t beam, int32_t stem) {
    LinkGraphNodes(kObjectBeam, beam, 1, kObjectVerticalLine, stem, 1, 100);
  }
  static int32_t Symbol(int32_t type, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const int32_t i = AddFixedSymbol(x0, y0, x1, y1, type, 100, (y0 + y1) / 2);
    AddGraphNode(type, i);
    return i;
  }
  static void BarLine(int32_t staff, int32_t x) {
    const int32_t i = AddFoundBarLine({staff, x - 1, x + 2, 0, 0, -1, 100, 0});
    const EnginePoint top = GetBarLineTop(i);
    const EnginePoint bottom = GetBarLineBottom(i);
    AddObjectPoint(kPointBarTop, i, top.y, top.x);
    AddObjectPoint(kPointBarBottom, i, bottom.y, bottom.x);
  }
  // A beamed run of stem-up crotchet heads at step 0, one beam per level.
  static std::vector<int32_t> BeamedRun(int32_t staff, int32_t x0, int32_t n, int32_t levels) {
    std::vector<int32_t> stems;
    const int32_t top = StaffTopLineY(staff, x0) - 40;
    for (int32_t k = 0; k < n; ++k) stems.push_back(StemUp(Head(staff, x0 + 50 * k, 0), top));
    for (int32_t level = 0; level < levels; ++level) {
      const int32_t beam = Beam(x0 + 9, x0 + 9 + 50 * (n - 1) + 1, top + 8 * level);
      for (int32_t stem : stems) BeamStem(beam, stem);
    }
    return stems;
  }
  // A tuplet bracket drawn on the page, its line at row y from x0 to x1,
  // hooked at both ends (up when the bracket stands below the notes), and
  // found by the bracket finder.
  static void DrawnBracket(int32_t x0, int32_t x1, int32_t y, bool hooksUp) {
    for (int32_t x = x0; x < x1; ++x)
      for (int32_t r = 0; r < 2; ++r) SetPagePixel(y + r, x, 1);
    const int32_t h0 = hooksUp ? y - 18 : y + 2;
    for (int32_t x : {x0, x0 + 1, x1 - 2, x1 - 1})
      for (int32_t r = h0; r < h0 + 18; ++r) SetPagePixel(r, x, 1);
    FindConnectedComponents(5000, 500, 500);
    DetectTupletBrackets();
  }
  static void Read() {
    ResetPageDescription("test");
    AddPageDescription("page");
    BuildBarEvents();
  }
  static std::vector<MscriptNoteGroup> Groups(int32_t stave, int32_t slot, int32_t system = 0) {
    int32_t n = 0;
    const MscriptNoteGroup* g = GetTimeSlotNotes(0, system, stave, slot, &n);
    return std::vector<MscriptNoteGroup>(g, g + n);
  }
  static int32_t Slots(int32_t stave, int32_t system = 0) { return GetStaveTimeSlotCount(0, system, stave); }
  static std::pair<int32_t, int32_t> Duration(const MscriptNoteGroup& g) {
    const PackedFraction d = GetNoteGroupDuration(g);
    return {FractionNumerator(d), FractionDenominator(d)};
  }
};

TEST_F(BarCalculations, SemiquaversADottedChordAndARestGiveTheirExactEvents) {
  System(1);
  // A dotted crotchet chord of two heads on one stem.
  const int32_t low = Head(0, 200, 2);
  const int32_t high = Head(0, 200, -1);
  const int32_t stem = Stem(209, StepY(0, -1, 200) - 70, StepY(0, 2, 200));
  Join(low, stem);
  Join(high, stem);
  const int32_t dot = Symbol(kDotType, 215, 125, 219, 129);
  LinkGraphNodes(kDotType, dot, 1, kObjectNotehead, high, 1, 50);
  // Four semiquavers under two beams, and a crotchet rest.
  BeamedRun(0, 400, 4, 2);
  Symbol(kCrotchetRestType, 695, 125, 705, 155);
  BarLine(0, 1120);
  Read();

  ASSERT_EQ(Slots(0), 1);
  const std::vector<MscriptNoteGroup> g = Groups(0, 0);
  ASSERT_EQ(g.size(), 6u);
  EXPECT_EQ(g[0].noteCount, 2);
  EXPECT_EQ(g[0].notes[0].type, kNoteSolid);
  EXPECT_EQ(g[0].notes[0].step, -1);  // notes run down the page
  EXPECT_EQ(g[0].notes[1].step, 2);
  EXPECT_EQ(g[0].dots, 1);
  EXPECT_EQ(g[0].stemDirection, 0);
  EXPECT_EQ(Duration(g[0]), std::make_pair(3, 8));
  for (int32_t k = 1; k <= 4; ++k) {
    EXPECT_EQ(g[k].noteCount, 1);
    EXPECT_EQ(g[k].beamGroupSize, 4) << k;
    EXPECT_EQ(Duration(g[k]), std::make_pair(1, 16)) << k;
  }
  EXPECT_EQ(g[1].leftBeams, 0);
  EXPECT_EQ(g[4].rightBeams, 0);
  EXPECT_EQ(g[1].beamGroup, g[4].beamGroup);
  EXPECT_NE(g[0].beamGroup, g[1].beamGroup);
  EXPECT_EQ(g[5].notes[0].type, kCrotchetRest);
  EXPECT_EQ(g[5].notes[0].step, 0);
  EXPECT_EQ(Duration(g[5]), std::make_pair(1, 4));

  int32_t bar[kBarlineWords] = {};
  int32_t found = 0;
  GetTimeSlotBarline(0, 0, 0, 0, bar, &found);
  EXPECT_EQ(found, 1);
  EXPECT_EQ(bar[0], 0);
}

TEST_F(BarCalculations, ANumeralThreeMakesATripletOfThreeQuaversAndNotOfFour) {
  System(2, 300);  // the numerals between the staves stay clear of the other staff's notes
  BeamedRun(0, 300, 3, 1);
  BeamedRun(1, 300, 4, 1);
  for (int32_t staff = 0; staff < 2; ++staff) {
    const int32_t beamY = StaffTopLineY(staff, 300) - 40;
    const int32_t middle = staff == 0 ? 359 : 384;
    Symbol(kNumeralType + 3, middle - 5, beamY - 18, middle + 5, beamY - 6);
  }
  BarLine(0, 1120);
  BarLine(1, 1120);
  Read();

  const std::vector<MscriptNoteGroup> three = Groups(0, 0);
  ASSERT_EQ(three.size(), 3u);
  for (const MscriptNoteGroup& g : three) {
    EXPECT_EQ(Duration(g), std::make_pair(1, 8));
    EXPECT_EQ(g.tupletNumber, three[0].tupletNumber);
    EXPECT_EQ(g.tupletScaleNumerator, 2);
    EXPECT_EQ(g.tupletScaleDenominator, 3);
  }
  EXPECT_GT(three[0].tupletNumber, 0);
  const std::vector<MscriptNoteGroup> four = Groups(1, 0);
  ASSERT_EQ(four.size(), 4u);
  for (const MscriptNoteGroup& g : four) EXPECT_EQ(g.tupletNumber, 0);
}

TEST_F(BarCalculations, TupletRatiosFollowTheNumeralAndTheNotesItCovers) {
  struct Case { int32_t numeral, sum, ok, num, den; };
  const Case cases[] = {{2, 1, 1, 3, 2}, {3, 3, 1, 2, 3}, {5, 5, 1, 4, 5}, {6, 3, 1, 4, 6},
                        {3, 1, 0, 0, 0}, {4, 4, 0, 0, 0}, {6, 6, 0, 0, 0}};
  for (const Case& c : cases) {
    int32_t num = 0;
    int32_t den = 0;
    EXPECT_EQ(TupletRatio(c.numeral, c.sum, &num, &den), c.ok) << c.numeral << " over " << c.sum;
    if (c.ok) EXPECT_EQ(std::make_pair(num, den), std::make_pair(c.num, c.den));
  }
}

TEST_F(BarCalculations, ANumeralIsTriedOnlyWithinAStaffsBars) {
  System(2);  // top lines at 100 and 250, bottom lines at 180 and 330
  struct Case { int32_t x, y, inside; const char* where; };
  const Case cases[] = {
      {600, 140, 1, "on the first staff"},
      {600, 0, 1, "10 spaces above the first staff"},
      {600, 215, 1, "between the staves"},
      {600, 520, 1, "9.5 spaces below the last staff's bottom line"},
      {600, 540, 0, "10.5 spaces below the last staff's bottom line"},
      {30, 140, 0, "left of the staves' left end"},
      {1160, 290, 0, "right of the staves' right end"},
  };
  for (const Case& c : cases) EXPECT_EQ(IsInBarReach(c.x, c.y), c.inside) << c.where;
}

TEST_F(BarCalculations, ABarMostStavesHaveIsKeptAndOneFewHaveIsDropped) {
  struct Case { int32_t staves; std::vector<int32_t> withMiddleBar; int32_t slots; };
  const Case cases[] = {{3, {0, 2}, 2}, {4, {0, 3}, 1}, {4, {0, 1, 3}, 2}};
  for (const Case& c : cases) {
    SetUp();
    System(c.staves);
    for (int32_t staff = 0; staff < c.staves; ++staff) BarLine(staff, 1120);
    for (int32_t staff : c.withMiddleBar) BarLine(staff, 600);
    Read();
    for (int32_t staff = 0; staff < c.staves; ++staff)
      EXPECT_EQ(Slots(staff), c.slots) << c.staves << " staves, stave " << staff;
    FreeAll();
  }
}

TEST_F(BarCalculations, AStaffWithoutBarLinesIsOneBarToItsEnd) {
  System(1);
  Symbol(kCrotchetRestType, 695, 125, 705, 155);
  Read();
  ASSERT_EQ(Slots(0), 1);
  EXPECT_EQ(Groups(0, 0).size(), 1u);
  int32_t bar[kBarlineWords] = {};
  int32_t found = 0;
  GetTimeSlotBarline(0, 0, 0, 0, bar, &found);
  ASSERT_EQ(found, 1);
  EXPECT_EQ(bar[1], kNoBarLineX);
  EXPECT_EQ(bar[2], kNoBarLineX);
}

TEST_F(BarCalculations, StrokesCloseTogetherMakeOneBarWhoseKindTheirWidthsAndDotsGive) {
  System(1);
  BarLine(0, 600);
  BarLine(0, 630);  // 1.5 staff spaces on: a second stroke of the same bar
  BarLine(0, 1120);
  Read();
  EXPECT_EQ(Slots(0), 2);
  int32_t bar[kBarlineWords] = {};
  int32_t found = 0;
  GetTimeSlotBarline(0, 0, 0, 0, bar, &found);
  EXPECT_EQ(bar[0], 1);  // two thin strokes: a double bar
  FreeAll();

  SetUp();
  System(1);
  BarLine(0, 1100);
  Symbol(kBarDotType, 1086, 127, 1091, 132);  // repeat dots to its left, inside the staff
  Symbol(kBarDotType, 1086, 147, 1091, 152);
  Read();
  GetTimeSlotBarline(0, 0, 0, 0, bar, &found);
  EXPECT_EQ(bar[0], 2);
}

TEST_F(BarCalculations, ClefKeyAndTimeBeforeTheFirstNoteGoIntoTheBar) {
  System(1);
  Symbol(kGClefType, 60, 80, 80, 200);
  Symbol(kSharpKeyType + 2, 85, 100, 110, 140);
  Symbol(1042, 115, 100, 130, 180);  // 4/4 in digits
  const int32_t head = Head(0, 300, 0);
  StemUp(head, StepY(0, 0, 300) - 70);
  BarLine(0, 1120);
  Read();
  int32_t count = 0;
  const auto clefs = GetTimeSlotClefs(0, 0, 0, 0, &count);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(clefs[0][0], 0);
  const auto keys = GetTimeSlotKeySignatures(0, 0, 0, 0, &count);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(keys[0][0], 2);
  int32_t time[kTimeSignatureWords] = {};
  int32_t found = 0;
  GetTimeSlotTimeSignature(0, 0, 0, 0, time, &found);
  ASSERT_EQ(found, 1);
  EXPECT_EQ(time[3], 4);
  EXPECT_EQ(time[4], 4);
}

TEST_F(BarCalculations, TheLeftmostKeyAndTimeSignatureGoIntoTheBarWhicheverWasFoundFirst) {
  System(1);
  Symbol(kSharpKeyType + 1, 150, 100, 170, 140);  // found first, standing second
  Symbol(1032, 175, 100, 190, 180);               // 3/4, likewise
  Symbol(kGClefType, 60, 80, 80, 200);
  Symbol(kSharpKeyType + 3, 85, 100, 110, 140);
  Symbol(1042, 115, 100, 130, 180);               // 4/4
  StemUp(Head(0, 300, 0), StepY(0, 0, 300) - 70);
  BarLine(0, 1120);
  Read();
  int32_t count = 0;
  const auto keys = GetTimeSlotKeySignatures(0, 0, 0, 0, &count);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(keys[0][0], 3);
  int32_t time[kTimeSignatureWords] = {};
  int32_t found = 0;
  GetTimeSlotTimeSignature(0, 0, 0, 0, time, &found);
  ASSERT_EQ(found, 1);
  EXPECT_EQ(time[3], 4);
  EXPECT_EQ(time[4], 4);
  GetTimeSlotClefs(0, 0, 0, 0, &count);
  EXPECT_EQ(count, 1);
}

TEST_F(BarCalculations, AChordCarriesTheMarksOfItsHeadsAsPairsAndTheirFlags) {
  struct Case {
    std::vector<int32_t> high, low;  // mark types on each head of a two-head chord
    size_t carried;
  };
  const Case cases[] = {
      {{104, 100}, {120}, 3},                  // accent, staccato; tenuto
      {{104, 100, 109}, {120, 121, 122, 110}, 6},  // seven marks: six are carried
  };
  for (const Case& c : cases) {
    SetUp();
    System(1);
    const int32_t low = Head(0, 300, 2);
    const int32_t high = Head(0, 300, -1);
    const int32_t stem = Stem(309, StepY(0, -1, 300) - 70, StepY(0, 2, 300));
    Join(low, stem);
    Join(high, stem);
    std::vector<std::pair<int32_t, int32_t>> given;
    auto mark = [&](int32_t type, int32_t head) {
      const int32_t y = 40 + 8 * static_cast<int32_t>(given.size());
      const int32_t symbol = Symbol(type, 295, y, 305, y + 6);
      LinkGraphNodes(type, symbol, 1, kObjectNotehead, head, 1, 50);
      given.emplace_back(type, symbol);
    };
    for (int32_t type : c.high) mark(type, high);
    for (int32_t type : c.low) mark(type, low);
    BarLine(0, 1120);
    Read();

    const std::vector<MscriptNoteGroup> g = Groups(0, 0);
    ASSERT_EQ(g.size(), 1u);
    std::vector<std::pair<int32_t, int32_t>> carried;
    int32_t flags = 0;
    for (int32_t m = 0; m < kMaxGroupMarks; ++m) {
      if (g[0].marks[m][0] == 0) continue;
      carried.emplace_back(g[0].marks[m][0], g[0].marks[m][1]);
      flags |= 1 << HeadMarkFlagBit(g[0].marks[m][0]);
    }
    EXPECT_EQ(carried.size(), c.carried);
    for (const auto& pair : carried)
      EXPECT_NE(std::find(given.begin(), given.end(), pair), given.end()) << pair.first << " " << pair.second;
    EXPECT_EQ(g[0].markFlags, flags);
    FreeAll();
  }
}

TEST_F(BarCalculations, TwoRestsStandingTogetherUnderABracketBelowTheNotesStayOutOfItsTriplet) {
  System(1);
  // Three crotchets with their stems down, under them a bracket with a 3.
  for (int32_t x : {300, 350, 400}) {
    const int32_t head = Head(0, x, 0);
    Join(head, Stem(x - 9, StepY(0, 0, x), StepY(0, 0, x) + 70));
  }
  DrawnBracket(285, 420, 240, true);
  Symbol(kNumeralType + 3, 347, 243, 357, 255);
  // Between the last two, a minim rest of an upper voice and a crotchet
  // rest of a lower one, one space apart: for a minim rest that is one time.
  Symbol(kMinimRestType, 367, 96, 377, 104);
  Symbol(kCrotchetRestType, 387, 150, 397, 178);
  BarLine(0, 1120);
  Read();

  const std::vector<MscriptNoteGroup> g = Groups(0, 0);
  ASSERT_EQ(g.size(), 5u);
  int32_t inTriplet = 0;
  for (const MscriptNoteGroup& e : g) {
    const bool rest = e.notes[0].type >= kBreveRest;
    if (rest) {
      EXPECT_EQ(e.tupletNumber, 0) << e.notes[0].type;
    }
    if (!rest && e.tupletNumber > 0) {
      ++inTriplet;
      EXPECT_EQ(e.tupletScaleDenominator, 3);
    }
  }
  EXPECT_EQ(inTriplet, 3);
}

TEST_F(BarCalculations, ABracketIsMatchedToItsNumeralInTheStaffsOwnSpace) {
  // The numeral stands 16 pixels above the bracket's line: within a space
  // of a 20-pixel staff, beyond one of a 12-pixel staff on the same page.
  struct Case { int32_t staffSpace, tuplet; };
  for (const Case& c : {Case{20, 1}, Case{12, 0}}) {
    SetUp();
    AddHandStaff({0, 300, c.staffSpace, kLeft, kRight, 5, 0});
    for (int32_t x : {300, 350, 400}) StemUp(Head(0, x, 0), 280);
    DrawnBracket(285, 420, 260, false);
    Symbol(kNumeralType + 3, 347, 232, 357, 244);
    BarLine(0, 1120);
    Read();
    const std::vector<MscriptNoteGroup> g = Groups(0, 0);
    ASSERT_EQ(g.size(), 3u) << c.staffSpace;
    for (const MscriptNoteGroup& e : g) EXPECT_EQ(e.tupletNumber > 0, c.tuplet == 1) << c.staffSpace;
    FreeAll();
  }
}

TEST_F(BarCalculations, CapsStopAddingWithoutWritingPastTheirTables) {
  System(1);
  // Twelve heads on one stem: a chord keeps ten.
  const int32_t stem = Stem(209, 20, 400);
  for (int32_t step = -8; step < 4; ++step) Join(Head(0, 200, step), stem);
  // 120 rests in one bar: the bar keeps 100 events.
  for (int32_t k = 0; k < 120; ++k) Symbol(kCrotchetRestType, 250 + 7 * k, 125, 255 + 7 * k, 155);
  // Six strokes within reach of each other: four make the bar.
  for (int32_t k = 0; k < 6; ++k) BarLine(0, 1100 + 6 * k);
  Read();
  ASSERT_GE(Slots(0), 1);
  const std::vector<MscriptNoteGroup> g = Groups(0, 0);
  ASSERT_EQ(g.size(), static_cast<size_t>(kMaxBarEvents));
  EXPECT_EQ(g[0].noteCount, kMaxGroupNotes);
}

TEST_F(BarCalculations, APageWithoutStavesAddsNothing) {
  Read();
  EXPECT_EQ(GetPageSystemCount(0), 0);
  FreeBarcalcs();
  FreeBarcalcs();  // twice without harm
}

// ---- The marks steps ----

TEST_F(BarCalculations, ThreePianosSideBySideBecomeOnePianississimo) {
  System(1);
  for (int32_t k = 0; k < 3; ++k) Symbol(kDynamicP, 300 + 15 * k, 200, 310 + 15 * k, 212);
  Read();
  AddDynamicsToDescription();
  ASSERT_EQ(GetStaveDynamicCount(0, 0, 0), 1);
  EXPECT_EQ(GetStaveDynamic(0, 0, 0, 0).code, 3);  // "Dyn_ppp"
}

TEST_F(BarCalculations, DynamicsCombineByTheirTable) {
  EXPECT_EQ(CombinedDynamic(5, 5), 4);     // p p: pp
  EXPECT_EQ(CombinedDynamic(8, 5), 12);    // f p: fp
  EXPECT_EQ(CombinedDynamic(13, 14), 16);  // sf fz: sffz
  EXPECT_EQ(CombinedDynamic(17, 5), 18);   // sfp p: sfpp
  EXPECT_EQ(CombinedDynamic(5, 8), -1);    // p f stay apart
}

TEST_F(BarCalculations, HairpinsGoToTheStaffAboveThemAsDynamics) {
  System(2);
  // Under the first staff (bottom line 180), far above the second (top 250).
  const int32_t top = 195;
  AddFoundHairpin(FoundHairpin{1, top, top + 12, 400, 520});
  Read();
  AddDynamicsToDescription();
  ASSERT_EQ(GetStaveDynamicCount(0, 0, 0), 1);
  EXPECT_EQ(GetStaveDynamic(0, 0, 0, 0).code, kHairpinCrescendo);
  EXPECT_EQ(GetStaveDynamicCount(0, 0, 1), 0);
}

// Staves with their top lines at 400 and 900 (bottom lines 480 and 980),
// 20-pixel spaces; a mark 20 wide and 10 high centred at (x, y).
struct PlacedMark {
  int32_t type, y, x;
  int32_t staff, code;  // where it is added; staff -1 for nowhere
  const char* what;
};

TEST_F(BarCalculations, RepeatMarksGoToTheStaffBelowThemAndEndingsOnlyWhenCloseOverIt) {
  const PlacedMark cases[] = {
      {kCodaType, 250, 600, 0, 0, "a coda 7.5 spaces over the staff"},
      {kCodaType + 1, 165, 600, 0, 1, "a segno 11.75 spaces over it"},
      {kCodaType, 150, 600, -1, 0, "a coda 12.5 spaces over it"},
      {kFirstEndingType, 250, 600, -1, 0, "an ending 7.5 spaces over it"},
      {kFirstEndingType + 1, 330, 600, 0, 3, "an ending 3.5 spaces over it"},
      {kFirstEndingType + 3, 330, 100, -1, 0, "an ending 2.5 spaces from the staff's left end"},
      {kFirstEndingType + 2, 330, 1110, -1, 0, "an ending 2 spaces from its right end"},
      {kCodaType, 700, 600, 1, 0, "a coda 10 spaces over the second staff"},
  };
  ExpectMarksPlaced(cases, AddRepeatMarksToDescription, GetStaveRepeatMarkCount,
                    [](int32_t system) { return GetStaveRepeatMark(0, system, 0, 0).code; });
}

// An ending 3.5 spaces over the first staff, 20 wide, from x = 590; the
// bar lines of the case, 3 wide, are centred at the xs given.
TEST_F(BarCalculations, AnEndingStandsJustRightOfTheBarLineItOpens) {
  struct Case {
    std::vector<int32_t> bars, otherStaffBars, deletedBars;
    bool added;
    const char* what;
  } cases[] = {
      {{570}, {}, {}, true, "a bar line one space before it"},
      {{400}, {}, {}, false, "the nearest bar line nine spaces before it"},
      {{400, 535}, {}, {}, true, "the nearest of two bar lines under s(400) before it"},
      {{700}, {}, {}, true, "only a bar line after it: the system's first bar"},
      {{}, {570}, {}, true, "a bar line of the other staff only"},
      {{400}, {}, {570}, false, "a bar line before it that was deleted"},
  };
  for (const Case& c : cases) {
    SetUp();
    AddHandStaff({0, 400, kSpace, kLeft, kRight, 5, 0});
    AddHandStaff({1, 900, kSpace, kLeft, kRight, 5, 0});
    Symbol(kFirstEndingType, 590, 325, 610, 335);
    for (int32_t x : c.bars) BarLine(0, x);
    for (int32_t x : c.otherStaffBars) BarLine(1, x);
    for (int32_t x : c.deletedBars) {
      FoundBarLine bar{0, x - 1, x + 2, 0, 0, -1, 100, 1};
      AddFoundBarLine(bar);
    }
    Read();
    AddRepeatMarksToDescription();
    EXPECT_EQ(GetStaveRepeatMarkCount(0, 0, 0), c.added ? 1 : 0) << c.what;
    FreeAll();
  }
}

TEST_F(BarCalculations, PedalMarksGoToTheStaffAboveThemAndOrnamentsToTheStaffBelow) {
  const PlacedMark cases[] = {
      {kFirstPedalType, 520, 600, 0, 0, "a pedal mark 2 spaces under the first staff"},
      {kFirstPedalType + 2, 715, 600, 0, 2, "a pedal release 11.75 spaces under it"},
      {kFirstPedalType + 1, 735, 600, -1, 0, "a pedal mark 12.75 spaces under it"},
      {kFirstPedalType, 370, 600, -1, 0, "a pedal mark over the first staff"},
      {kFirstOrnamentType, 370, 600, 0, 3, "an ornament 1.5 spaces over the first staff"},
      {kFirstOrnamentType + 4, 150, 600, -1, 0, "an ornament 12.5 spaces over it"},
      {kFirstOrnamentType + 1, 880, 600, 1, 4, "an ornament 1 space over the second staff"},
      {kFirstOrnamentType + 2, 520, 600, -1, 0, "an ornament under the first staff, 19 spaces over the second"},
      {kFirstOrnamentType + 3, 1020, 600, -1, 0, "an ornament under the last staff"},
  };
  ExpectMarksPlaced(cases, AddPedalsAndOrnamentsToDescription, GetStavePedalOrnamentCount,
                    [](int32_t system) { return GetStavePedalOrnament(0, system, 0, 0).code; });
}

TEST_F(BarCalculations, ASlurBetweenHeadsOfOneStaffIsAddedAndAcrossTwoStavesIsNot) {
  System(2);
  Head(0, 300, 0);
  Head(0, 500, 0);
  Head(1, 500, 0);
  auto slur = [](int32_t y0, int32_t x0, int32_t y1, int32_t x1) {
    std::vector<SlurColumn> columns(x1 - x0 + 1, SlurColumn{y0 - 10, y0 - 8, 0});
    FoundSlur s{};
    s.columnCount = static_cast<int32_t>(columns.size());
    s.startY = y0;
    s.startX = x0;
    s.endY = y1;
    s.endX = x1;
    s.topY = std::min(y0, y1) - 12;
    s.bottomY = std::max(y0, y1);
    s.upward = 1;
    const int32_t i = AddFoundSlur(s, columns.data());
    AddObjectPoint(kPointSlurStart, i, y0, x0);
    AddObjectPoint(kPointSlurEnd, i, y1, x1);
  };
  slur(130, 285, 130, 505);  // over both heads of the first staff
  slur(130, 285, 280, 505);  // from the first staff down to the second
  Read();
  AddSlursToDescription();
  EXPECT_EQ(GetSystemSlurCount(0, 0), 1);
}

TEST_F(BarCalculations, TheStaffAtAPointIsTheLastWhoseTopLineLiesAtOrAboveIt) {
  System(2);
  EXPECT_EQ(StaffAtPoint(50, 300), -1);
  EXPECT_EQ(NextStaffAfter(-1), 0);
  EXPECT_EQ(StaffAtPoint(100, 300), 0);
  EXPECT_EQ(StaffAtPoint(249, 300), 0);
  EXPECT_EQ(StaffAtPoint(250, 300), 1);
  EXPECT_EQ(NextStaffAfter(1), -1);
}

}  // namespace
