// Building the object graph: objects put straight into the finders' tables
// and the symbol store (with the ink they stand for painted on a hand-made
// staff page), then the graph's nodes, joints and conflicts, and the key
// signatures made from runs of sharps and flats.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findledg.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/findbarl.h"
#include "Code/Quorm/findslur.h"
#include "Code/Quorm/joints.h"
#include "Code/Quorm/makemocg.h"
#include "Code/Quorm/mocgcalc.h"
#include "Code/Quorm/mocgraph.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tests/Code/Quorm/GraphLinks.h"
#include "tests/Code/Quorm/StaffFixture.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

namespace {

void Paint(int32_t y0, int32_t x0, int32_t y1, int32_t x1) {
  for (int32_t y = y0; y < y1; ++y)
    for (int32_t x = x0; x < x1; ++x) SetPagePixel(y, x, 1);
}

class GraphBuild : public ::testing::Test {
 protected:
  // One five-line staff with its top line at row `top`.
  void Load(int32_t width, int32_t height, int32_t spacing, int32_t top) {
    FreeEngine();
    LoadHandPage(width, height, spacing);
    AddHandStaff({0, top, spacing, 10, width - 10, 5, 0});
    InitialiseObjectPoints();
  }
  void TearDown() override {
    FreeHandPage();
    FreeEngine();
  }
  static int32_t Head(int32_t left, int32_t right, int32_t y, int32_t model = 0) {
    FoundNotehead h{};
    h.leftX = left;
    h.rightX = right;
    h.centreY = y;
    h.model = model;
    const int32_t i = AddFoundNotehead(h);
    AddObjectPoint(kPointHeadLeft, i, y, left);
    AddObjectPoint(kPointHeadRight, i, y, right);
    return i;
  }
  static int32_t Stem(int32_t top, int32_t bottom, int32_t x, int32_t width = 3 * 1024) {
    const int32_t i = AddFoundVerticalLine({top, x, bottom, x, width, 100, 0});
    AddObjectPoint(kPointStemTop, i, top, x);
    AddObjectPoint(kPointStemBottom, i, bottom, x);
    return i;
  }
  // A symbol with its graph node.
  static int32_t Symbol(int32_t type, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t refY,
                        int32_t cost = 200) {
    const int32_t i = AddFixedSymbol(x0, y0, x1, y1, type, cost, refY);
    AddGraphNode(type, i);
    return i;
  }
};

int32_t LinkLabel(int32_t kindA, int32_t refA, int32_t kindB, int32_t refB, int32_t* back = nullptr) {
  const int32_t a = FindGraphNode(kindA, refA);
  const int32_t b = FindGraphNode(kindB, refB);
  for (int32_t i = 0; i < GetGraphLinkCount(a); ++i)
    if (GetGraphLinkOther(a, i) == b) {
      if (back) *back = GetGraphLinkBackLabel(a, i);
      return GetGraphLinkLabel(a, i);
    }
  return 0;
}

// Three heads on down stems that end on one beam, on a staff with a space of
// 100 pixels (lines at rows 300 .. 700): the left stem at the beam's left
// end, the middle one inside its span, the right one at its right end.
TEST_F(GraphBuild, HeadsJoinTheirStemsAndTheStemsTheirBeam) {
  Load(1400, 1000, 100, 300);
  const int32_t lefts[] = {400, 700, 1000};
  for (int32_t k = 0; k < 3; ++k) {
    Paint(410, lefts[k], 491, lefts[k] + 121);
    Paint(450, lefts[k] + 1, 801, lefts[k] + 4);
    Head(lefts[k], lefts[k] + 120, 450);
    Stem(450, 800, lefts[k] + 2);
  }
  Paint(775, 400, 826, 1004);
  const int32_t beam = AddFoundBeam({400, 1004, 800, 800, 50 * 1024, 300, 0});
  AddObjectPoint(kPointBeamLeft, beam, 800, 400);
  AddObjectPoint(kPointBeamRight, beam, 800, 1003);

  BuildObjectGraph();
  EXPECT_EQ(CountLiveGraphNodes(), 7);
  for (int32_t k = 0; k < 3; ++k) {
    int32_t back = 0;
    EXPECT_EQ(LinkLabel(kObjectNotehead, k, kObjectVerticalLine, k, &back), kJointLeftSide) << k;
    EXPECT_EQ(back, kJointHeadAtTop) << k;
    EXPECT_EQ(GetStemOfHead(k, 0), k);
    EXPECT_EQ(LinkLabel(kObjectBeam, beam, kObjectVerticalLine, k, &back),
              (k == 0 ? kJointLeftSide : k == 1 ? kJointInside : kJointRightSide))
        << k;
    EXPECT_EQ(back, kJointBeamAtBottom) << k;
  }
  int32_t stems[kMaxStemsOfBeam];
  EXPECT_EQ(ListStemsOfBeam(beam, stems), 3);
  // No head meets another head's stem.
  EXPECT_EQ(LinkLabel(kObjectNotehead, 0, kObjectVerticalLine, 1), 0);
}

TEST_F(GraphBuild, ConflictsOfHeadsStemsAndBeams) {
  Load(1400, 1000, 100, 300);
  // Two heads on one row overlapping by exactly half a space do not
  // conflict; by one pixel more they do.
  Head(100, 220, 500);
  Head(170, 290, 500);
  Head(400, 520, 500);
  Head(469, 589, 500);
  // A whole-note-like head (model 2) with a stem crossing its row.
  const int32_t whole = Head(800, 920, 500, 2);
  const int32_t through = Stem(300, 650, 860);
  // Two stems on one stroke conflict; a beam drawn twice conflicts.
  const int32_t a = Stem(200, 700, 1200);
  const int32_t b = Stem(250, 720, 1201);
  const int32_t beam1 = AddFoundBeam({1000, 1300, 850, 860, 40 * 1024, 300, 0});
  const int32_t beam2 = AddFoundBeam({1100, 1350, 858, 866, 40 * 1024, 300, 0});
  for (int32_t beam : {beam1, beam2}) {
    AddObjectPoint(kPointBeamLeft, beam, GetBeamLeftEnd(beam).y, GetBeamLeftEnd(beam).x);
    AddObjectPoint(kPointBeamRight, beam, GetBeamRightEnd(beam).y, GetBeamRightEnd(beam).x - 1);
  }
  BuildObjectGraph();
  EXPECT_FALSE(Conflicting(kObjectNotehead, 0, kObjectNotehead, 1));
  EXPECT_TRUE(Conflicting(kObjectNotehead, 2, kObjectNotehead, 3));
  EXPECT_TRUE(Conflicting(kObjectNotehead, whole, kObjectVerticalLine, through));
  EXPECT_TRUE(Conflicting(kObjectVerticalLine, a, kObjectVerticalLine, b));
  EXPECT_TRUE(Conflicting(kObjectBeam, beam1, kObjectBeam, beam2));
  // A released stem takes its links with it.
  InstallGraphReleaseFunctions();
  ReleaseGraphNode(kObjectVerticalLine, b, 1);
  EXPECT_EQ(GetGraphLinkCostTo(FindGraphNode(kObjectVerticalLine, a), FindGraphNode(kObjectVerticalLine, b)), -1);
  int32_t* found = nullptr;
  EXPECT_EQ(FindObjectPointsInBox(kPointStemTop, 1190, 240, 1210, 260, &found), 0);
  EngineFree(found);
}

// A flat slur from (row, first column) to (row, last column), 5 rows thick.
int32_t Slur(int32_t row, int32_t first, int32_t last) {
  std::vector<SlurColumn> columns(static_cast<size_t>(last - first + 1), SlurColumn{row - 2, row + 2, 0});
  FoundSlur slur{};
  slur.columnCount = last - first + 1;
  slur.startY = slur.endY = row;
  slur.startX = first;
  slur.endX = last;
  slur.topY = row - 2;
  slur.bottomY = row + 2;
  slur.cost = 300;
  const int32_t i = AddFoundSlur(slur, columns.data());
  AddObjectPoint(kPointSlurStart, i, row, first);
  AddObjectPoint(kPointSlurEnd, i, row, last);
  return i;
}

// Beams and slurs through heads, and a stem on a bar line, at the edges of
// their rules (a staff space of 100 pixels: S(40) is 40 pixels).
TEST_F(GraphBuild, ThingsThroughHeads) {
  Load(2400, 1000, 100, 300);
  const int32_t beam = AddFoundBeam({300, 700, 600, 600, 20 * 1024, 300, 0});  // half thickness 10
  AddObjectPoint(kPointBeamLeft, beam, 600, 300);
  AddObjectPoint(kPointBeamRight, beam, 600, 699);
  struct HeadCase {
    const char* what;
    int32_t left, right, y;
    bool conflict;
  };
  const HeadCase heads[] = {
      {"on the beam", 250, 370, 600, true},
      {"reaching S(40) past its left end", 160, 340, 600, false},
      {"reaching one pixel more", 161, 341, 600, true},
      {"centre 49 pixels off the line", 450, 570, 649, true},
      {"centre 50 pixels off the line", 450, 570, 650, false},
  };
  std::vector<int32_t> indices;
  for (const HeadCase& h : heads) indices.push_back(Head(h.left, h.right, h.y));
  const int32_t onSlur = Head(990, 1110, 520);
  const int32_t underSlur = Head(1300, 1420, 750);
  const int32_t crossed = Head(1650, 1770, 700);
  const int32_t lying = Slur(500, 1000, 1100);
  const int32_t above = Slur(500, 1200, 1500);
  const int32_t crossing = Slur(700, 1600, 1800);
  const int32_t bar = AddFoundBarLine({0, 2000, 2004, 0, 0, -1, 100, 0});
  AddObjectPoint(kPointBarTop, bar, GetBarLineTop(bar).y, GetBarLineTop(bar).x);
  AddObjectPoint(kPointBarBottom, bar, GetBarLineBottom(bar).y, GetBarLineBottom(bar).x);
  const int32_t onBar = Stem(300, 700, GetBarLineTop(bar).x);
  const int32_t besideBar = Stem(300, 700, GetBarLineTop(bar).x + 8);

  BuildObjectGraph();
  for (size_t k = 0; k < indices.size(); ++k)
    EXPECT_EQ(Conflicting(kObjectBeam, beam, kObjectNotehead, indices[k]), heads[k].conflict) << heads[k].what;
  EXPECT_TRUE(Conflicting(kObjectSlur, lying, kObjectNotehead, onSlur));
  EXPECT_FALSE(Conflicting(kObjectSlur, above, kObjectNotehead, underSlur));
  EXPECT_TRUE(Conflicting(kObjectSlur, crossing, kObjectNotehead, crossed));
  EXPECT_TRUE(Conflicting(kObjectVerticalLine, onBar, kObjectBarLine, bar));
  EXPECT_FALSE(Conflicting(kObjectVerticalLine, besideBar, kObjectBarLine, bar));
}

// Every page is linked, however many objects it holds: pairs of stems drawn
// on one stroke conflict on a page of 6000 nodes and on one of 6001.
TEST_F(GraphBuild, DensePagesAreLinked) {
  for (int32_t nodes : {6000, 6001}) {
    Load(4000, 3200, 20, 100);
    for (int32_t i = 0; i < nodes; ++i) {
      const int32_t pair = i / 2;
      const int32_t x = 20 + (pair % 190) * 20;
      const int32_t top = 20 + (pair / 190) * 100;
      Stem(top + (i % 2) * 5, top + 60 + (i % 2) * 5, x);
    }
    BuildObjectGraph();
    EXPECT_EQ(CountLiveGraphNodes(), nodes);
    int32_t conflicts = 0;
    for (int32_t i = 0; i + 1 < nodes; i += 2)
      if (Conflicting(kObjectVerticalLine, i, kObjectVerticalLine, i + 1)) ++conflicts;
    EXPECT_EQ(conflicts, nodes / 2) << nodes << " nodes";
    // The lone last stem of the odd page conflicts with nothing.
    if (nodes % 2) EXPECT_EQ(GetGraphLinkCount(FindGraphNode(kObjectVerticalLine, nodes - 1)), 0);
  }
}

// Sharps and flats of the key signatures, in the staff steps of treble and
// bass staves (steps grow downwards, the middle line is step 0).
struct KeyRun {
  const char* what;
  int32_t type;
  std::vector<int32_t> steps;
};
const KeyRun kKeyRuns[] = {
    {"treble sharps", kSharpType, {-4, -1, -5, -2, 1, -3, 0}},
    {"bass sharps", kSharpType, {-2, 1, -3, 0, 3, -1, 2}},
    {"treble flats", kFlatType, {0, -3, 1, -2, 2, -1, 3}},
    {"bass flats", kFlatType, {2, -1, 3, 0, 4, 1, 5}},
};

constexpr int32_t kSpace = 20;
constexpr int32_t kTop = 200;  // top line; the middle line at 240

int32_t StepY(int32_t step) { return kTop + 2 * kSpace + step * kSpace / 2; }

// An accidental of the run at x; returns its symbol.
int32_t Accidental(int32_t type, int32_t x, int32_t step) {
  const int32_t y = StepY(step);
  const int32_t width = type == kSharpType ? 16 : 14;
  const int32_t i = AddFixedSymbol(x, y - 25, x + width, y + 15, type, 200, y);
  AddGraphNode(type, i);
  return i;
}

std::vector<int32_t> LiveOfType(int32_t first, int32_t last) {
  std::vector<int32_t> found;
  for (int32_t i = 0; i < GetFixedSymbolCount(); ++i)
    if (!IsFixedSymbolDeleted(i) && GetFixedSymbolType(i) >= first && GetFixedSymbolType(i) <= last)
      found.push_back(i);
  return found;
}

TEST_F(GraphBuild, KeySignaturesOfOneToSevenSharpsAndFlats) {
  for (const KeyRun& run : kKeyRuns) {
    for (int32_t n = 1; n <= 7; ++n) {
      Load(1000, 600, kSpace, kTop);
      const bool sharp = run.type == kSharpType;
      // The clef of the staff beside the first accidental.
      const int32_t clef = Symbol(run.what[0] == 't' ? kGClefType : kFClefType, 30, 150, 70, 300, 240);
      const int32_t pitch = sharp ? 24 : 20;  // S(120) and S(100)
      std::vector<int32_t> accidentals;
      for (int32_t k = 0; k < n; ++k) accidentals.push_back(Accidental(run.type, 90 + k * pitch, run.steps[k]));
      // A conflict of the first accidental goes over to the key.
      const int32_t other = Symbol(300, 60, 250, 120, 290, 270);
      LinkGraphConflict(run.type, accidentals[0], 300, other);

      MergeFixedSymbolGroups();
      const std::string what = std::string(run.what) + " " + std::to_string(n);
      const std::vector<int32_t> keys = LiveOfType(kSharpKeyType, kFlatKeyType + 7);
      ASSERT_EQ(keys.size(), 1u) << what;
      const int32_t key = keys[0];
      EXPECT_EQ(GetFixedSymbolType(key), (sharp ? kSharpKeyType : kFlatKeyType) + n) << what;
      EXPECT_EQ(KeySignatureOfType(GetFixedSymbolType(key)), sharp ? n : -n) << what;
      const EngineBox box = GetFixedSymbolBox(key);
      EXPECT_EQ(box.x0, 90) << what;
      EXPECT_EQ(box.x1, 90 + (n - 1) * pitch + (sharp ? 16 : 14)) << what;
      EXPECT_EQ(GetFixedSymbolRefY(key), StepY(run.steps[0])) << what;
      EXPECT_GT(GetFixedSymbolCost(key), 0) << what;
      EXPECT_LE(GetFixedSymbolCost(key), 200) << what;
      for (int32_t a : accidentals) EXPECT_EQ(IsFixedSymbolDeleted(a), 1) << what;
      EXPECT_EQ(IsFixedSymbolDeleted(clef), 0) << what;
      EXPECT_TRUE(Conflicting(GetFixedSymbolType(key), key, 300, other)) << what;
      EXPECT_EQ(IsGraphNodeReleased(FindGraphNode(run.type, accidentals[0])), 1) << what;
    }
  }
}

// A G clef whose box reaches over a sharp beside it: the sharp still makes a
// key of one sharp, which takes over its conflict with the clef; the clef
// stays.
TEST_F(GraphBuild, AGClefBesideASharp) {
  Load(1000, 600, kSpace, kTop);
  const int32_t clef = Symbol(kGClefType, 30, 160, 92, 310, StepY(2));
  const int32_t sharp = Accidental(kSharpType, 88, -4);
  LinkGraphConflict(kGClefType, clef, kSharpType, sharp);
  MergeFixedSymbolGroups();
  const std::vector<int32_t> keys = LiveOfType(kSharpKeyType, kFlatKeyType + 7);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(GetFixedSymbolType(keys[0]), kSharpKeyType + 1);
  EXPECT_EQ(IsFixedSymbolDeleted(sharp), 1);
  EXPECT_EQ(IsFixedSymbolDeleted(clef), 0);
  EXPECT_TRUE(Conflicting(kSharpKeyType + 1, keys[0], kGClefType, clef));
  const StaffStep place = GetClefPosition(clef);
  EXPECT_EQ(place.staff, 0);
  EXPECT_EQ(place.step, 2);
}

// The run is read in x order whatever order the symbols were found in, and
// an eighth sharp is left out of the key of seven.
TEST_F(GraphBuild, KeyRunsInAnyOrderAndAnEighthSharp) {
  Load(1000, 600, kSpace, kTop);
  const std::vector<int32_t> steps = {-4, -1, -5, -2, 1, -3, 0, -4};
  std::vector<int32_t> sharps(8);
  for (int32_t k : {7, 3, 0, 5, 1, 6, 2, 4}) sharps[k] = Accidental(kSharpType, 90 + k * 24, steps[k]);
  MergeFixedSymbolGroups();
  const std::vector<int32_t> keys = LiveOfType(kSharpKeyType, kSharpKeyType + 7);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(GetFixedSymbolType(keys[0]), kSharpKeyType + 7);
  EXPECT_EQ(GetFixedSymbolBox(keys[0]).x1, 90 + 6 * 24 + 16);
  for (int32_t k = 0; k < 7; ++k) EXPECT_EQ(IsFixedSymbolDeleted(sharps[k]), 1) << k;
  EXPECT_EQ(IsFixedSymbolDeleted(sharps[7]), 0);
}

TEST_F(GraphBuild, AccidentalsThatMakeNoKeyTogether) {
  Load(1000, 900, kSpace, kTop);
  AddHandStaff({1, 600, kSpace, 10, 990, 5, 0});
  // A sharp then a flat; sharps a step apart; sharps too far apart; and the
  // same pattern on two staves at one column.
  Accidental(kSharpType, 100, -4);
  Accidental(kFlatType, 124, 0);
  Accidental(kSharpType, 300, -4);
  Accidental(kSharpType, 324, -3);
  Accidental(kSharpType, 500, -4);
  Accidental(kSharpType, 546, -1);
  const int32_t lower = AddFixedSymbol(700, 600 + 40 - 25, 716, 600 + 40 + 15, kSharpType, 200, 600);
  AddGraphNode(kSharpType, lower);
  Accidental(kSharpType, 724, -1);
  // Outside the staff's steps: no key.
  const int32_t high = Accidental(kSharpType, 900, -6);
  MergeFixedSymbolGroups();
  EXPECT_EQ(LiveOfType(kSharpKeyType, kSharpKeyType + 7).size(), 7u);
  EXPECT_EQ(LiveOfType(kFlatKeyType, kFlatKeyType + 7).size(), 1u);
  for (int32_t key : LiveOfType(kSharpKeyType, kFlatKeyType + 7))
    EXPECT_TRUE(GetFixedSymbolType(key) == kSharpKeyType + 1 || GetFixedSymbolType(key) == kFlatKeyType + 1);
  EXPECT_EQ(IsFixedSymbolDeleted(high), 0);
}

// The last accidental of a run that may be a note's: the key with it and the
// key without it exclude each other, and the accidental stays beside them.
TEST_F(GraphBuild, ALastAccidentalNextToANote) {
  for (int32_t n : {1, 3}) {
    Load(1000, 600, kSpace, kTop);
    const std::vector<int32_t> steps = {-4, -1, -5};
    std::vector<int32_t> sharps;
    for (int32_t k = 0; k < n; ++k) sharps.push_back(Accidental(kSharpType, 90 + k * 24, steps[k]));
    const int32_t last = sharps.back();
    AddGraphNode(kObjectNotehead, 0);
    LinkGraphNodes(kSharpType, last, kJointInside, kObjectNotehead, 0, kJointInside, 300);
    MergeFixedSymbolGroups();
    const std::vector<int32_t> keys = LiveOfType(kSharpKeyType, kSharpKeyType + 7);
    ASSERT_EQ(keys.size(), static_cast<size_t>(n == 1 ? 1 : 2)) << n;
    const int32_t full = keys[0];
    EXPECT_EQ(GetFixedSymbolType(full), kSharpKeyType + n);
    EXPECT_EQ(IsFixedSymbolDeleted(last), 0);
    EXPECT_TRUE(Conflicting(kSharpKeyType + n, full, kSharpType, last));
    if (n == 3) {
      EXPECT_EQ(GetFixedSymbolType(keys[1]), kSharpKeyType + 2);
      EXPECT_TRUE(Conflicting(kSharpKeyType + 3, full, kSharpKeyType + 2, keys[1]));
      EXPECT_EQ(IsFixedSymbolDeleted(sharps[0]), 1);
      EXPECT_EQ(IsFixedSymbolDeleted(sharps[1]), 1);
    }
  }
}

// A dot after a head, an accidental before it and a flag at a stem's top.
TEST_F(GraphBuild, SymbolsJoinHeadsAndStems) {
  Load(1400, 1000, 100, 300);
  Paint(410, 400, 491, 521);
  Paint(100, 518, 451, 521);
  const int32_t head = Head(400, 520, 450, 1);
  const int32_t stem = Stem(100, 450, 519);
  BuildObjectGraph();
  const int32_t dot = Symbol(kDotType, 560, 430, 590, 460, 445);
  const int32_t sharp = Symbol(kSharpType, 300, 380, 360, 520, 450);
  const int32_t flag = Symbol(61, 519, 100, 600, 300, 100);
  const int32_t loose = Symbol(kDotType, 1300, 900, 1320, 920, 910);
  ConnectFixedSymbols();
  EXPECT_EQ(LinkLabel(kDotType, dot, kObjectNotehead, head), kJointInside);
  EXPECT_EQ(LinkLabel(kSharpType, sharp, kObjectNotehead, head), kJointInside);
  int32_t back = 0;
  EXPECT_EQ(LinkLabel(61, flag, kObjectVerticalLine, stem, &back), kJointInside);
  EXPECT_EQ(back, kJointBeamAtTop);
  EXPECT_EQ(CountFlagsOfStem(stem), 1);
  EXPECT_EQ(GetGraphLinkCount(FindGraphNode(kDotType, loose)), 0);
}

// A text box that covers a quarter of the larger area and three quarters of
// the smaller makes no conflict; one pixel row more does.
TEST_F(GraphBuild, TextOverSymbols) {
  Load(1400, 1000, 20, 300);
  const int32_t rest = Symbol(41, 100, 100, 120, 140, 120);  // 20 x 40
  AddGraphNode(kObjectTextBlockItem, 1000);
  // Text 20 x 120 over the rest's top 30 rows: 600 = 3/4 of 800, 1/4 of 2400.
  LinkTextConflictsWithSymbols(kObjectTextBlockItem, 1000, EngineBox{100, 110, 120, 230});
  EXPECT_FALSE(Conflicting(kObjectTextBlockItem, 1000, 41, rest));
  LinkTextConflictsWithSymbols(kObjectTextBlockItem, 1000, EngineBox{100, 109, 120, 229});
  EXPECT_TRUE(Conflicting(kObjectTextBlockItem, 1000, 41, rest));
}

// The engraved melody read whole: every beam, bar line and ledger line that
// the finders kept and ambiguity resolution left has its one live graph
// node, and the graph is freed with the engine.
TEST(GraphOfAPage, EngravedMelody) {
  EngravedPage page;
  ASSERT_TRUE(LoadEngravedPage(U8(SourcePath("tests/Code/Quorm/fixtures/melody.tif")), &page));
  FreeEngine();
  ASSERT_EQ(LoadPageImage(page.bits.data(), page.width, page.height, 0), kEngineOk);
  ASSERT_EQ(RunStaffStage(1, nullptr, nullptr), 0);
  ASSERT_EQ(RecognisePage(1.0f, nullptr, nullptr), 0);
  struct Family {
    int32_t kind, pointKind, count;
  };
  const Family families[] = {{kObjectBeam, kPointBeamLeft, GetBeamCount()},
                             {kObjectBarLine, kPointBarTop, GetBarLineCount()},
                             {kObjectLedgerLine, kPointLedgerLeft, GetLedgerLineCount()}};
  int32_t nodes = 0;
  for (const Family& f : families) {
    EXPECT_GT(f.count, 0) << f.kind;
    int32_t* kept = nullptr;
    const int32_t n = FindObjectPointsInBox(f.pointKind, 0, 0, page.width, page.height, &kept);
    std::vector<int32_t> withPoints(kept, kept + n);
    EngineFree(kept);
    for (int32_t i = 0; i < f.count; ++i) {
      const bool pointed = std::find(withPoints.begin(), withPoints.end(), i) != withPoints.end();
      // Objects that ambiguity resolution dropped lost their points; their
      // nodes stay, released.
      const bool live = HasGraphNode(f.kind, i) && !IsGraphNodeReleased(FindGraphNode(f.kind, i));
      EXPECT_EQ(live, pointed) << f.kind << " " << i;
    }
    nodes += n;
  }
  EXPECT_GE(CountLiveGraphNodes(), nodes);
  CloseEngine();
  EXPECT_EQ(GetGraphNodeCount(), 0);
}

}  // namespace
