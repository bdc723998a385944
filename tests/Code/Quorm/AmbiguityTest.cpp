// Ambiguity resolution on hand-built object graphs: objects put straight into
// the finders' tables on a hand-made staff page, linked by hand with the
// labels and costs the joints give, then resolved stage by stage.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findledg.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Findstem.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/ambigres.h"
#include "Code/Quorm/findbarl.h"
#include "Code/Quorm/fssatoms.h"
#include "Code/Quorm/joints.h"
#include "Code/Quorm/makemocg.h"
#include "Code/Quorm/mocgraph.h"
#include "tests/Code/Quorm/StaffFixture.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"

namespace {

constexpr int32_t kSpace = 20;
constexpr int32_t kTop = 200;  // top staff line; lines at 200 .. 280

void Paint(int32_t y0, int32_t x0, int32_t y1, int32_t x1) {
  for (int32_t y = y0; y < y1; ++y)
    for (int32_t x = x0; x < x1; ++x) SetPagePixel(y, x, 1);
}

int32_t Ink(int32_t y0, int32_t x0, int32_t y1, int32_t x1) { return CountBoxInk(y0, x0, y1, x1); }

// Every node with its marks and links, released ones included.
std::string DumpGraph() {
  std::ostringstream out;
  for (int32_t n = 0; n < GetGraphNodeCount(); ++n) {
    const GraphObject o = GetGraphNodeObject(n);
    out << n << ':' << o.kind << '/' << o.reference << " r" << IsGraphNodeReleased(n) << " a" << TestGraphMarkA(n)
        << " b" << TestGraphMarkB(n) << " [";
    for (int32_t i = 0; i < GetGraphLinkCount(n); ++i)
      out << GetGraphLinkOther(n, i) << ',' << GetGraphLinkLabel(n, i) << ',' << GetGraphLinkCost(n, i) << ' ';
    out << "]\n";
  }
  return out.str();
}

bool Live(int32_t kind, int32_t reference) { return !IsGraphNodeReleased(FindGraphNode(kind, reference)); }

int32_t PointsOfKind(int32_t pointKind) {
  int32_t* objects = nullptr;
  const int32_t n = FindObjectPointsInBox(pointKind, 0, 0, GetPageImageWidth(), GetPageImageHeight(), &objects);
  EngineFree(objects);
  return n;
}

class Ambiguity : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override {
    FreeHandPage();
    FreeEngine();
  }
  static void Reset() {
    FreeEngine();
    LoadHandPage(1200, 600, kSpace);
    AddHandStaff({0, kTop, kSpace, 20, 1180, 5, 0});
    InitialiseObjectPoints();
    InstallGraphReleaseFunctions();
  }
  // A head of the model centred at (y, x), 24 pixels wide.
  static int32_t Head(int32_t x, int32_t y, int32_t step, int32_t model = 0, int32_t rawCost = 0) {
    FoundNotehead h{};
    h.leftX = x - 12;
    h.rightX = x + 12;
    h.centreY = y;
    h.staff = 0;
    h.step = step;
    h.model = model;
    h.rawCost = rawCost;
    const int32_t i = AddFoundNotehead(h);
    AddObjectPoint(kPointHeadLeft, i, y, h.leftX);
    AddObjectPoint(kPointHeadRight, i, y, h.rightX);
    AddGraphNode(kObjectNotehead, i);
    return i;
  }
  static int32_t Stem(int32_t top, int32_t bottom, int32_t x, int32_t cost = 100, int32_t width = 2 * 1024) {
    const int32_t i = AddFoundVerticalLine({top, x, bottom, x, width, cost, 0});
    AddObjectPoint(kPointStemTop, i, top, x);
    AddObjectPoint(kPointStemBottom, i, bottom, x);
    AddGraphNode(kObjectVerticalLine, i);
    return i;
  }
  static int32_t Beam(int32_t lx, int32_t ly, int32_t rx, int32_t ry, int32_t thickness, int32_t cost,
                      int32_t shortModel) {
    const int32_t i = AddFoundBeam({lx, rx, ly, ry, thickness, cost, shortModel});
    AddObjectPoint(kPointBeamLeft, i, ly, lx);
    AddObjectPoint(kPointBeamRight, i, ry, rx - 1);
    AddGraphNode(kObjectBeam, i);
    return i;
  }
  // A head at the bottom of an up-stem (the stem at the head's right side).
  static void UpStem(int32_t head, int32_t stem, int32_t cost = 100) {
    LinkGraphNodes(kObjectNotehead, head, kJointRightSide, kObjectVerticalLine, stem, kJointHeadAtBottom, cost);
  }
  static void BeamOnStem(int32_t beam, int32_t end, int32_t stem, int32_t cost = 100) {
    LinkGraphNodes(kObjectBeam, beam, end, kObjectVerticalLine, stem, kJointBeamAtTop, cost);
  }
};

TEST_F(Ambiguity, ProbabilitiesFollowCostsAndLinks) {
  EXPECT_DOUBLE_EQ(OneLinkSupport(0.3, 0.8, 1.0), 0.3);  // a link without evidence changes nothing
  EXPECT_GT(OneLinkSupport(0.3, 0.8, 0.1), 0.3);
  EXPECT_DOUBLE_EQ(TwoLinkSupport(0.3, 0.8, 0.1, 0.0, 1.0), OneLinkSupport(0.3, 0.8, 0.1));
  // A cost of 1024 is even odds whatever the prior.
  const int32_t stem = Stem(100, 200, 50, 1024);
  EXPECT_NEAR(GetBaseProbability(kObjectVerticalLine, stem), 0.5, 1e-12);
  const int32_t cheap = Stem(100, 200, 80, 0);
  EXPECT_NEAR(GetBaseProbability(kObjectVerticalLine, cheap), std::exp(2.5) / (1 + std::exp(2.5)), 1e-12);
  // Clamped: a free symbol the size of a page is not certain.
  const int32_t big = AddFixedSymbol(0, 0, 1000, 500, 300, 0, 10);
  AddGraphNode(300, big);
  EXPECT_DOUBLE_EQ(GetObjectProbability(300, big), 0.9999);
}

// A stem reaches past its heads at one staff space beyond them, not before.
TEST_F(Ambiguity, StemReachBoundary) {
  for (int32_t reach : {kSpace - 1, kSpace}) {
    Reset();
    const int32_t h = Head(100, 300, 8);
    const int32_t s = Stem(300 - reach, 300, 112);
    UpStem(h, s);
    EXPECT_EQ(StemReachesPastHeads(s), reach >= kSpace ? 1 : 0) << reach;
  }
}

// Two beamed up-stems: the beam stays while it has a stem at each end; with
// one stem gone a short beam goes too, and so does the head of that stem.
TEST_F(Ambiguity, ShortBeamWithOneStemDeletedGoes) {
  const int32_t h1 = Head(100, 300, 8), h2 = Head(140, 300, 8);
  const int32_t s1 = Stem(240, 300, 112), s2 = Stem(240, 300, 152);
  UpStem(h1, s1);
  UpStem(h2, s2);
  const int32_t b = Beam(112, 242, 153, 242, 6 * 1024, 100, 0);
  BeamOnStem(b, kJointLeftSide, s1);
  BeamOnStem(b, kJointRightSide, s2);
  ResolveAmbiguitiesStage1(1);
  EXPECT_EQ(CountLiveGraphNodes(), 5);

  ReleaseGraphNode(kObjectVerticalLine, s2, 1);
  ResolveAmbiguitiesStage1(1);
  EXPECT_FALSE(Live(kObjectBeam, b));
  EXPECT_FALSE(Live(kObjectNotehead, h2));
  EXPECT_TRUE(Live(kObjectNotehead, h1));
  EXPECT_TRUE(Live(kObjectVerticalLine, s1));
  // Erasing on: the deleted objects left the point index.
  EXPECT_EQ(PointsOfKind(kPointBeamLeft), 0);
  EXPECT_EQ(PointsOfKind(kPointHeadLeft), 1);
}

// A beam with a stem at its left end only is kept when it is thick: longer
// than 2.5 staff spaces, cheap, cheaply linked and heavier than a fifth of a
// staff space plus a staff line. Each row moves one of these onto its limit.
TEST_F(Ambiguity, ThickBeamRuleAtItsBoundaries) {
  struct Row {
    const char* what;
    int32_t lengthExtra, beamCost, linkCost, thicknessExtra;
    bool kept;
  };
  const Row rows[] = {
      {"long thick beam", 1, 255, 255, 1, true},   {"at 2.5 spaces", 0, 255, 255, 1, false},
      {"beam cost 256", 1, 256, 255, 1, false},     {"link cost 256", 1, 255, 256, 1, false},
      {"thickness at the limit", 1, 255, 255, 0, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Reset();
    const int32_t h = Head(100, 300, 8);
    const int32_t s = Stem(240, 300, 112);
    UpStem(h, s);
    const int32_t length = ScaleToPixels(250) + row.lengthExtra;
    const int32_t thickness = GetPageStaffSpace() / 5 + GetPageLineThickness() + row.thicknessExtra;
    const int32_t b = Beam(112, 242, 112 + length, 242, thickness, row.beamCost, 0);
    BeamOnStem(b, kJointLeftSide, s, row.linkCost);
    ResolveAmbiguitiesStage1(1);
    EXPECT_EQ(Live(kObjectBeam, b), row.kept);
    EXPECT_TRUE(Live(kObjectVerticalLine, s));
  }
}

TEST_F(Ambiguity, HeadsAndStemsWithoutSupportGo) {
  // A stem with a head only in its middle, a head without a stem, a ledger
  // line with nothing on it; a head of model 2 needs no stem.
  const int32_t lone = Head(300, 300, 8);
  const int32_t open = Head(400, 300, 8, 2);
  const int32_t h = Head(500, 300, 8);
  const int32_t s = Stem(240, 360, 512);
  LinkGraphNodes(kObjectNotehead, h, kJointRightSide, kObjectVerticalLine, s, kJointInside, 100);
  ResolveAmbiguitiesStage1(0);
  EXPECT_FALSE(Live(kObjectNotehead, lone));
  EXPECT_TRUE(Live(kObjectNotehead, open));
  EXPECT_FALSE(Live(kObjectVerticalLine, s));
  EXPECT_FALSE(Live(kObjectNotehead, h));
  // Erasing off: the objects keep their anchor points.
  EXPECT_EQ(PointsOfKind(kPointHeadLeft), 3);
}

// Two heads that exclude each other: the less probable one goes; a graph
// without conflicts gives no candidates at all.
TEST_F(Ambiguity, ConflictDeletesTheLessProbable) {
  const int32_t a = Head(300, 300, 8, 2, 0);
  const int32_t b = Head(310, 300, 8, 2, 100000);
  EXPECT_EQ(CollectAmbiguityCandidates(), 0);
  LinkGraphConflict(kObjectNotehead, a, kObjectNotehead, b);
  ASSERT_EQ(CollectAmbiguityCandidates(), 1);
  const double pa = GetObjectProbability(kObjectNotehead, a), pb = GetObjectProbability(kObjectNotehead, b);
  ASSERT_GT(pa, pb);
  const AmbiguityCandidate c = GetAmbiguityCandidate(0);
  EXPECT_EQ(c.action, kDeleteNodeAction);
  EXPECT_EQ(c.first, FindGraphNode(kObjectNotehead, b));
  EXPECT_NEAR(c.score, std::fabs(std::log(1 / pa - 1) - std::log(1 / pb - 1)), 1e-12);
  ResolveAmbiguitiesStage3(1);
  EXPECT_TRUE(Live(kObjectNotehead, a));
  EXPECT_FALSE(Live(kObjectNotehead, b));
  EXPECT_EQ(CollectAmbiguityCandidates(), 0);
}

// A chain of conflicts a - b - c, a the least and c the most probable, both
// candidates within one cycle's reach: deleting b (the higher score) touches
// a, so the candidate that would delete a waits for the next cycle, where a
// has no conflict left.
TEST_F(Ambiguity, NeighbouringCandidatesWaitForTheNextCycle) {
  // Model 2 costs (raw - 1800) x 1024 / 1200: 2048, 1536 and 967.
  const int32_t a = Head(300, 300, 8, 2, 4200);
  const int32_t b = Head(310, 300, 8, 2, 3600);
  const int32_t c = Head(320, 300, 8, 2, 2933);
  LinkGraphConflict(kObjectNotehead, a, kObjectNotehead, b);
  LinkGraphConflict(kObjectNotehead, b, kObjectNotehead, c);
  ASSERT_EQ(CollectAmbiguityCandidates(), 2);
  const AmbiguityCandidate first = GetAmbiguityCandidate(0), second = GetAmbiguityCandidate(1);
  const AmbiguityCandidate& high = first.score > second.score ? first : second;
  const AmbiguityCandidate& low = first.score > second.score ? second : first;
  ASSERT_EQ(high.first, FindGraphNode(kObjectNotehead, b));
  ASSERT_EQ(low.first, FindGraphNode(kObjectNotehead, a));
  ASSERT_GE(low.score, 0.9 * high.score - 0.1);
  ResolveAmbiguitiesStage3(1);
  EXPECT_TRUE(Live(kObjectNotehead, a));
  EXPECT_FALSE(Live(kObjectNotehead, b));
  EXPECT_TRUE(Live(kObjectNotehead, c));
}

// The trial run leaves the graph exactly as it was, but the ink of the trusted
// objects is gone and the doubtful ones became atoms carrying their kind and
// reference.
TEST_F(Ambiguity, TrialRunKeepsTheGraphAndErasesTrustedInk) {
  // Two beamed notes (trusted: a long beam carries their stems).
  const int32_t h1 = Head(100, 300, 8), h2 = Head(160, 300, 8);
  Paint(294, 88, 307, 112);
  Paint(294, 148, 307, 172);
  Paint(240, 111, 300, 113);
  Paint(240, 171, 300, 173);
  Paint(238, 111, 246, 173);
  const int32_t s1 = Stem(240, 300, 112), s2 = Stem(240, 300, 172);
  UpStem(h1, s1);
  UpStem(h2, s2);
  const int32_t b = Beam(112, 242, 173, 242, 8 * 1024, 100, 0);
  BeamOnStem(b, kJointLeftSide, s1);
  BeamOnStem(b, kJointRightSide, s2);
  // A note whose costly stem is not sure of its head.
  const int32_t h3 = Head(400, 320, 12);
  Paint(314, 388, 327, 412);
  Paint(260, 411, 320, 413);
  const int32_t s3 = Stem(260, 320, 412, 1300);
  UpStem(h3, s3);
  // A bar line that goes on into no other staff.
  Paint(kTop, 700, kTop + 81, 703);
  const int32_t bar = AddFoundBarLine({0, 700, 703, 0, 0, -1, 300, 0});
  AddGraphNode(kObjectBarLine, bar);
  const std::string before = DumpGraph();
  const int32_t atomsBefore = GetSymbolAtomCount();
  ResolveAmbiguitiesStage2();
  EXPECT_EQ(DumpGraph(), before);
  EXPECT_EQ(HasGraphSnapshot(), 0);

  EXPECT_EQ(Ink(294, 88, 307, 112), 0);
  EXPECT_EQ(Ink(294, 148, 307, 172), 0);
  EXPECT_EQ(Ink(240, 111, 300, 113), 0);
  EXPECT_EQ(Ink(238, 111, 246, 173), 0);

  // The doubtful stem and head became a pair of atoms; the bar line one atom.
  EXPECT_EQ(GetAmbiguityPairCount(), 1);
  ASSERT_EQ(GetSymbolAtomCount() - atomsBefore, 3);
  bool pairSeen = false, barSeen = false;
  for (int32_t i = atomsBefore; i < GetSymbolAtomCount(); ++i) {
    const SymbolAtom atom = GetSymbolAtom(i);
    if (atom.state == kObjectBarLine) {
      barSeen = true;
      EXPECT_EQ(atom.spare, bar);
      EXPECT_EQ(atom.link, 300);
      EXPECT_EQ(atom.flag, 1);
    } else {
      EXPECT_EQ(atom.link, 50000);
      EXPECT_EQ(atom.flag, 2);
      EXPECT_EQ(atom.spare, atom.state == kObjectVerticalLine ? s3 : h3);
      pairSeen = true;
    }
  }
  EXPECT_TRUE(pairSeen);
  EXPECT_TRUE(barSeen);
  ASSERT_EQ(GetAtomPairCount(), 1);
  const int32_t a = GetSymbolAtomCount() - 3;
  int32_t first = -1, second = -1;
  for (int32_t i = a; i < GetSymbolAtomCount(); ++i)
    if (GetSymbolAtom(i).state != kObjectBarLine) (first < 0 ? first : second) = i;
  EXPECT_EQ(GetAtomPairValue(second, first), (1300 + GetNoteheadCost(h3)) / 2);
  EXPECT_EQ(Ink(kTop, 700, kTop + 81, 703), 0);  // taken into its atom
  EXPECT_TRUE(Live(kObjectBeam, b));
}

// A stem with a head on each side at neighbouring steps survives stage 1 as a
// chord stem and is split by stage 5 between the two heads.
TEST_F(Ambiguity, ChordStemIsSplitBetweenItsHeads) {
  const int32_t x = 300;
  Paint(284, x - 24, 297, x);       // left head, step 4
  Paint(294, x + 1, 307, x + 25);   // right head, step 5
  Paint(230, x - 1, 371, x + 1);    // the stem
  const int32_t left = Head(x - 12, 290, 4);
  const int32_t right = Head(x + 13, 300, 5);
  const int32_t s = Stem(230, 370, x);
  LinkGraphNodes(kObjectNotehead, left, kJointRightSide, kObjectVerticalLine, s, kJointInside, 100);
  LinkGraphNodes(kObjectNotehead, right, kJointLeftSide, kObjectVerticalLine, s, kJointInside, 100);
  EXPECT_EQ(StemHasChordPair(s), 1);
  ResolveAmbiguitiesStage1(1);
  EXPECT_TRUE(Live(kObjectVerticalLine, s));
  EXPECT_TRUE(Live(kObjectNotehead, left));
  EXPECT_TRUE(Live(kObjectNotehead, right));

  ResolveAmbiguitiesStage5();
  EXPECT_EQ(IsStageFiveOn(), 1);
  EXPECT_FALSE(Live(kObjectVerticalLine, s));
  ASSERT_EQ(GetVerticalLineCount(), 3);
  const FoundVerticalLine upper = GetFoundVerticalLine(1), lower = GetFoundVerticalLine(2);
  EXPECT_EQ(upper.topY, 230);
  EXPECT_EQ(upper.bottomY, 295);
  EXPECT_EQ(lower.topY, 296);
  EXPECT_EQ(lower.bottomY, 370);
  ASSERT_TRUE(HasGraphNode(kObjectVerticalLine, 1));
  ASSERT_TRUE(HasGraphNode(kObjectVerticalLine, 2));
  // Each head is joined to its own part only, and the two notes stand.
  EXPECT_GT(GetGraphLinkCostTo(FindGraphNode(kObjectNotehead, left), FindGraphNode(kObjectVerticalLine, 1)), 0);
  EXPECT_GT(GetGraphLinkCostTo(FindGraphNode(kObjectNotehead, right), FindGraphNode(kObjectVerticalLine, 2)), 0);
  for (int32_t part : {1, 2}) EXPECT_TRUE(Live(kObjectVerticalLine, part));
  EXPECT_TRUE(Live(kObjectNotehead, left));
  EXPECT_TRUE(Live(kObjectNotehead, right));
  EXPECT_EQ(GetGraphLinkCostTo(FindGraphNode(kObjectNotehead, left), FindGraphNode(kObjectVerticalLine, 2)), -1);
  EXPECT_EQ(GetGraphLinkCostTo(FindGraphNode(kObjectNotehead, right), FindGraphNode(kObjectVerticalLine, 1)), -1);
}

// A short beam model stays only where it stacks on a full beam of its stem:
// half a staff space to one and a half from it, on either side.
TEST_F(Ambiguity, ShortBeamNeedsAFullBeamBesideIt) {
  struct Row {
    const char* what;
    int32_t fullRow;  // -1: no full beam
    bool kept;
  };
  // The hook lies at row 222 on an up-stem from row 200; the full beam on the
  // stem's end side is where an engraver puts it (the hook of a dotted
  // quaver's semiquaver lies inside the full beam), the other side is the
  // down-stems' side of a beam that crosses between up- and down-stems.
  const Row rows[] = {{"alone", -1, false},
                      {"one staff space in", 242, true},
                      {"half a space in", 232, true},
                      {"closer", 231, false},
                      {"1.5 spaces in", 252, true},
                      {"further", 253, false},
                      {"one staff space out, at the stem's end", 202, true},
                      {"half a space out", 212, true},
                      {"closer out", 213, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Reset();
    const int32_t h = Head(300, 300, 10), h2 = Head(278, 300, 10);
    const int32_t s = Stem(200, 300, 312), s2 = Stem(200, 300, 290);
    UpStem(h, s);
    UpStem(h2, s2);
    const int32_t hook = Beam(312, 222, 330, 222, 6 * 1024, 100, 1);
    BeamOnStem(hook, kJointLeftSide, s);
    if (row.fullRow >= 0) {
      const int32_t full = Beam(290, row.fullRow, 313, row.fullRow, 6 * 1024, 100, 0);
      BeamOnStem(full, kJointLeftSide, s2);
      BeamOnStem(full, kJointRightSide, s);
    }
    ResolveAmbiguitiesStage1(0);
    EXPECT_EQ(Live(kObjectBeam, hook), row.kept);
  }
}

// A short beam that runs through a head of its own stem is that head read as
// a stub of beam (a slanted black head under a beamed group's part beam): it
// stacks on nothing there, and the head it overlapped stays.
TEST_F(Ambiguity, AShortBeamThroughAHeadOfItsStemIsNoPartBeam) {
  struct Row {
    const char* what;
    int32_t upperHead;  // row of the chord's upper head on the up-stem
    bool kept;
  };
  // The hook lies at row 232, one and a half staff spaces under the full
  // beam at 202 (the furthest it stacks); the stem's lower head is at 300.
  const Row rows[] = {{"on the head", 232, false},
                      {"just inside the head", 241, false},
                      {"clear of the head", 243, true},
                      {"heads far below", 280, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Reset();
    const int32_t lower = Head(300, 300, 10), upper = Head(300, row.upperHead, 4), left = Head(278, 300, 10);
    const int32_t s = Stem(200, 300, 312), s2 = Stem(200, 300, 290);
    UpStem(lower, s);
    UpStem(upper, s);
    UpStem(left, s2);
    const int32_t full = Beam(290, 202, 313, 202, 6 * 1024, 100, 0);
    BeamOnStem(full, kJointLeftSide, s2);
    BeamOnStem(full, kJointRightSide, s);
    const int32_t hook = Beam(294, 232, 313, 232, 6 * 1024, 100, 1);
    BeamOnStem(hook, kJointRightSide, s);
    LinkGraphConflict(kObjectNotehead, upper, kObjectBeam, hook);
    ResolveAmbiguitiesStage1(0);
    EXPECT_EQ(Live(kObjectBeam, hook), row.kept);
    if (!row.kept) {
      ResolveCandidatesByScore(0);
      EXPECT_TRUE(Live(kObjectNotehead, upper));
      EXPECT_TRUE(Live(kObjectVerticalLine, s));
    }
  }
}

// A part beam on a middle stem of a group (a semiquaver between quavers)
// stacks on the full beam that runs on through that stem; a full beam that
// ends further than 0.8 staff space short of the stem holds nothing.
TEST_F(Ambiguity, APartBeamOnAMiddleStemStacksOnTheBeamThroughIt) {
  struct Row {
    const char* what;
    int32_t fullRight;  // the full beam's right end
    bool kept;
  };
  const Row rows[] = {{"through the stem", 361, true}, {"ending at it", 313, true}, {"ending short", 295, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Reset();
    const int32_t left = Head(278, 300, 10), middle = Head(300, 300, 10), right = Head(348, 300, 10);
    const int32_t s1 = Stem(200, 300, 290), s2 = Stem(200, 300, 312), s3 = Stem(200, 300, 360);
    UpStem(left, s1);
    UpStem(middle, s2);
    UpStem(right, s3);
    const int32_t full = Beam(290, 202, row.fullRight, 202, 6 * 1024, 100, 0);
    BeamOnStem(full, kJointLeftSide, s1);
    BeamOnStem(full, row.fullRight > 340 ? kJointInside : kJointRightSide, s2);
    if (row.fullRight > 340) BeamOnStem(full, kJointRightSide, s3);
    const int32_t hook = Beam(294, 222, 313, 222, 6 * 1024, 100, 1);
    BeamOnStem(hook, kJointRightSide, s2);
    ResolveAmbiguitiesStage1(0);
    EXPECT_EQ(Live(kObjectBeam, hook), row.kept);
  }
}

// A chord stem whose split row falls on its end is not cut: it stays whole
// and the page reads on.
TEST_F(Ambiguity, ChordStemSplitOnItsEndLeavesItWhole) {
  const int32_t x = 300;
  const int32_t left = Head(x - 12, 290, 4);
  const int32_t right = Head(x + 13, 302, 5);
  const int32_t s = Stem(296, 370, x);
  LinkGraphNodes(kObjectNotehead, left, kJointRightSide, kObjectVerticalLine, s, kJointInside, 100);
  LinkGraphNodes(kObjectNotehead, right, kJointLeftSide, kObjectVerticalLine, s, kJointInside, 100);
  ASSERT_EQ(StemHasChordPair(s), 1);
  ResolveAmbiguitiesStage5();
  EXPECT_EQ(GetVerticalLineCount(), 1);
  EXPECT_TRUE(Live(kObjectVerticalLine, s));
  EXPECT_EQ(LastEngineFailure(), nullptr);
}

int32_t LabelAt(int32_t kindA, int32_t refA, int32_t kindB, int32_t refB) {
  const int32_t a = FindGraphNode(kindA, refA), b = FindGraphNode(kindB, refB);
  for (int32_t i = 0; i < GetGraphLinkCount(a); ++i)
    if (GetGraphLinkOther(a, i) == b) return GetGraphLinkLabel(a, i);
  return 0;
}

// Two voices share a head: an up-stem carries it below a second head, a
// down-stem above a third. Stage 5 gives it to the stem it is joined to more
// cheaply and joins each stem's end head at that end.
TEST_F(Ambiguity, SharedHeadGoesToTheCheaperStem) {
  const int32_t shared = Head(300, 300, 10), upper = Head(300, 280, 8), lower = Head(300, 320, 12);
  const int32_t up = Stem(220, 300, 312), down = Stem(300, 400, 288);
  LinkGraphNodes(kObjectNotehead, shared, kJointRightSide, kObjectVerticalLine, up, kJointHeadAtBottom, 200);
  LinkGraphNodes(kObjectNotehead, upper, kJointRightSide, kObjectVerticalLine, up, kJointInside, 150);
  LinkGraphNodes(kObjectNotehead, shared, kJointLeftSide, kObjectVerticalLine, down, kJointHeadAtTop, 50);
  LinkGraphNodes(kObjectNotehead, lower, kJointLeftSide, kObjectVerticalLine, down, kJointInside, 150);
  ResolveAmbiguitiesStage5();
  EXPECT_EQ(LabelAt(kObjectNotehead, shared, kObjectVerticalLine, up), 0);
  EXPECT_EQ(LabelAt(kObjectNotehead, shared, kObjectVerticalLine, down), kJointLeftSide);
  EXPECT_EQ(LabelAt(kObjectVerticalLine, down, kObjectNotehead, shared), kJointHeadAtTop);
  EXPECT_EQ(LabelAt(kObjectNotehead, upper, kObjectVerticalLine, up), kJointRightSide);
  EXPECT_EQ(LabelAt(kObjectVerticalLine, up, kObjectNotehead, upper), kJointHeadAtBottom);
  EXPECT_EQ(GetGraphLinkCostTo(FindGraphNode(kObjectNotehead, upper), FindGraphNode(kObjectVerticalLine, up)), 150);
  for (int32_t h : {shared, upper, lower}) EXPECT_TRUE(Live(kObjectNotehead, h)) << h;
  EXPECT_TRUE(Live(kObjectVerticalLine, up));
  EXPECT_TRUE(Live(kObjectVerticalLine, down));
}

// In stage 5 a head on two stems, one of which carries another head, loses
// its dearer link when both stems are likelier than that link.
TEST_F(Ambiguity, StageFiveCutsTheDearerLinkOfAHead) {
  const int32_t h = Head(300, 300, 10), other = Head(300, 320, 12);
  const int32_t a = Stem(250, 300, 312), b = Stem(300, 340, 288);
  LinkGraphNodes(kObjectNotehead, h, kJointRightSide, kObjectVerticalLine, a, kJointHeadAtBottom, 10);
  LinkGraphNodes(kObjectNotehead, h, kJointLeftSide, kObjectVerticalLine, b, kJointHeadAtTop, 1000);
  LinkGraphNodes(kObjectNotehead, other, kJointLeftSide, kObjectVerticalLine, b, kJointInside, 150);
  ResolveAmbiguitiesStage1(1);
  ASSERT_EQ(CountLiveGraphNodes(), 4);
  ResolveAmbiguitiesStage5();
  EXPECT_TRUE(Live(kObjectNotehead, h));
  EXPECT_EQ(LabelAt(kObjectNotehead, h, kObjectVerticalLine, a), kJointRightSide);
  EXPECT_EQ(LabelAt(kObjectNotehead, h, kObjectVerticalLine, b), 0);
  // The stem left with a head in its middle only goes, and that head with it.
  EXPECT_FALSE(Live(kObjectVerticalLine, b));
  EXPECT_FALSE(Live(kObjectNotehead, other));
}

// A clef gains probability near the start of its staff: fully at one staff
// space in, not at all from four staff spaces further on.
TEST_F(Ambiguity, ClefNearTheStaffStartGains) {
  struct Row {
    int32_t offset;  // from one staff space right of the staff's left end
    bool gains;
  };
  for (const Row& row : {Row{0, true}, Row{79, true}, Row{80, false}, Row{-10, true}}) {
    Reset();
    const int32_t x0 = GetStaffLeftX(0) + kSpace + row.offset;
    const int32_t clef = AddFixedSymbol(x0, 180, x0 + 30, 300, kGClefType, 700, 260);
    AddGraphNode(kGClefType, clef);
    const double p0 = GetBaseProbability(kGClefType, clef);
    const double p = GetObjectProbability(kGClefType, clef);
    if (row.gains) {
      const double r = (std::abs(row.offset) / (5.0 * kSpace) + 0.2) * (std::abs(row.offset) / (5.0 * kSpace) + 0.2);
      EXPECT_NEAR(p, std::min(0.9999, p0 / (r * (1 - p0) + p0)), 1e-12) << row.offset;
      EXPECT_GT(p, p0) << row.offset;
    } else {
      EXPECT_DOUBLE_EQ(p, p0) << row.offset;
    }
  }
}

// A key signature loses probability when a head of its staff stands within
// ten staff spaces to its left with no bar line between them: there the signs
// are more likely the accidentals of notes.
TEST_F(Ambiguity, KeySignatureAfterAHeadLoses) {
  struct Row {
    const char* what;
    int32_t headRight;  // -1: no head
    int32_t barX;       // -1: no bar line
    bool loses;
  };
  const Row rows[] = {{"no head", -1, -1, false},
                      {"head at ten spaces", 400 - 10 * kSpace, -1, true},
                      {"head beyond", 400 - 10 * kSpace - 1, -1, false},
                      {"head and a bar line between", 320, 350, false},
                      {"bar line left of the head", 320, 300, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Reset();
    const int32_t key = AddFixedSymbol(400, 200, 440, 280, 502, 700, 240);
    AddGraphNode(502, key);
    if (row.headRight >= 0) Head(row.headRight - 12, 300, 10, 2);
    if (row.barX >= 0) {
      const int32_t bar = AddFoundBarLine({0, row.barX, row.barX + 3, 0, 0, -1, 300, 0});
      AddObjectPoint(kPointBarTop, bar, kTop, row.barX + 1);
    }
    const double p1 = GetBaseProbability(502, key);
    const double p = GetObjectProbability(502, key);
    if (row.loses) {
      EXPECT_NEAR(p, p1 * (0.9 / (10 - 9 * p1) + 0.1), 1e-12);
      EXPECT_LT(p, p1);
    } else {
      EXPECT_DOUBLE_EQ(p, p1);
    }
  }
}

// Stage 4 deletes what is less likely than not: a bar line of cost 1024 is
// even odds and stays, one of 1025 goes with its anchor points.
TEST_F(Ambiguity, StageFourDeletesTheUnlikely) {
  const int32_t even = AddFoundBarLine({0, 500, 503, 0, 0, -1, 1024, 0});
  const int32_t worse = AddFoundBarLine({0, 600, 603, 0, 0, -1, 1025, 0});
  AddObjectPoint(kPointBarTop, even, kTop, 501);
  AddObjectPoint(kPointBarTop, worse, kTop, 601);
  AddGraphNode(kObjectBarLine, even);
  AddGraphNode(kObjectBarLine, worse);
  EXPECT_DOUBLE_EQ(GetObjectProbability(kObjectBarLine, even), 0.5);
  ResolveAmbiguitiesStage4();
  EXPECT_TRUE(Live(kObjectBarLine, even));
  EXPECT_FALSE(Live(kObjectBarLine, worse));
  EXPECT_EQ(PointsOfKind(kPointBarTop), 1);
}

// A flag read dearer than even odds (as engraved flags often are, up to their
// acceptance cost) stays through stage 4 while the stem of a note holds it;
// the same flag alone, or on a stem that ends at its head, goes.
TEST_F(Ambiguity, AStemCarriesItsDearFlag) {
  struct Case {
    const char* name;
    int32_t stemTop;  // the head's centre is at 300
    bool linked;
    bool stays;
  };
  const Case cases[] = {
      {"on the stem of a note", 300 - 3 * kSpace, true, true},
      {"without a stem", 300 - 3 * kSpace, false, false},
      {"on a stem that does not reach past its head", 300 - kSpace / 2, true, false},
  };
  for (const Case& c : cases) {
    Reset();
    const int32_t head = Head(100, 300, 8);
    const int32_t stem = Stem(c.stemTop, 300, 112);
    UpStem(head, stem);
    const int32_t flag = AddFixedSymbol(114, c.stemTop, 130, c.stemTop + 3 * kSpace, 62, 1213, c.stemTop);
    AddGraphNode(62, flag);
    // The flag meets the stem at its top, as the flag joint labels it.
    if (c.linked) LinkGraphNodes(62, flag, kJointInside, kObjectVerticalLine, stem, kJointBeamAtTop, 150);
    EXPECT_LT(GetBaseProbability(62, flag), 0.5) << c.name;
    ResolveAmbiguitiesStage4();
    EXPECT_EQ(IsFixedSymbolDeleted(flag), c.stays ? 0 : 1) << c.name;
  }
}

// Ledger lines stay while a head or the next line in towards the staff holds
// them.
TEST_F(Ambiguity, LedgerLinesNeedAHeadOrAnInnerLine) {
  const int32_t head = Head(300, 320, 12, 2);
  const int32_t inner = AddFoundLedgerLine({300, 290, 312, kLedgerLineCost, 0, 10});
  const int32_t outer = AddFoundLedgerLine({320, 290, 312, kLedgerLineCost, 0, 12});
  const int32_t lone = AddFoundLedgerLine({300, 500, 522, kLedgerLineCost, 0, 10});
  for (int32_t l : {inner, outer, lone}) AddGraphNode(kObjectLedgerLine, l);
  LinkGraphNodes(kObjectLedgerLine, inner, kJointLedgerInner, kObjectLedgerLine, outer, kJointLedgerOuter, 100);
  LinkGraphNodes(kObjectLedgerLine, outer, kJointInside, kObjectNotehead, head, kJointInside, 100);
  ResolveAmbiguitiesStage1(1);
  EXPECT_TRUE(Live(kObjectLedgerLine, inner));
  EXPECT_TRUE(Live(kObjectLedgerLine, outer));
  EXPECT_FALSE(Live(kObjectLedgerLine, lone));
  // Without its head the outer line goes; the inner one still holds by its
  // label towards the outer one until that is gone, then goes as well.
  ReleaseGraphNode(kObjectNotehead, head, 1);
  ResolveAmbiguitiesStage1(1);
  EXPECT_FALSE(Live(kObjectLedgerLine, outer));
  EXPECT_FALSE(Live(kObjectLedgerLine, inner));
}

// Deleted symbols answer as deleted ones: no dots, no numeral, no family.
TEST_F(Ambiguity, DeletedSymbolsAnswerAsDeleted) {
  const int32_t rest = AddFixedSymbol(500, 220, 520, 260, 700, 100, 240);
  const int32_t numeral = AddFixedSymbol(600, 150, 612, 170, 353, 100, 160);
  const int32_t dot = AddFixedSymbol(700, 238, 704, 242, kDotType, 100, 240);
  AddGraphNode(700, rest);
  AddGraphNode(353, numeral);
  AddGraphNode(kDotType, dot);
  EXPECT_EQ(GetRestDotCount(rest), 1);
  ResolveAmbiguitiesStage1(1);  // a dot without a head or rest goes
  EXPECT_EQ(IsFixedSymbolDeleted(dot), 1);
  EXPECT_EQ(IsDotSymbolAt(dot), 0);
  ReleaseGraphNode(700, rest, 1);
  ReleaseGraphNode(353, numeral, 1);
  EXPECT_EQ(GetRestDotCount(rest), 0);
  EXPECT_EQ(NumeralOfType(numeral), -1);
  EXPECT_EQ(IsRestSymbolAt(rest), 0);
}

// Pages with notes, beams and stray marks under noise read to the end, and a
// page after them reads too.
TEST(AmbiguityPages, BadPagesReadToTheEnd) {
  for (uint32_t seed : {3u, 7u}) {
    SCOPED_TRACE(seed);
    SynthPage page(1000, 700);
    StaffPainter painter(page);
    SynthStaff staff;
    staff.top = 150;
    staff.left = 40;
    staff.right = 960;
    staff.spacing = 16;
    painter.AddStaff(staff);
    staff.top = 400;
    painter.AddStaff(staff);
    for (int k = 0; k < 12; ++k) {
      painter.NoteHead(k % 2, (k * 3) % 9, 100 + 65 * k);
      painter.NoteHead(k % 2, (k * 3) % 9 + 1, 112 + 65 * k);
    }
    DrawBeam(page, 100, 110.0, 400, 120.0, 7);
    DrawBeam(page, 500, 360.0, 520, 362.0, 6);
    page.Speckle(3000, seed);
    page.Blots(25, 6.0, seed + 1);
    ASSERT_EQ(RunStaffStageOn(page), 0);
    EXPECT_EQ(RecognisePage(1.0f, nullptr, nullptr), 0);
    EXPECT_EQ(LastEngineFailure(), nullptr);
  }
  // A clean page after them reads as well.
  SynthPage page(800, 400);
  StaffPainter painter(page);
  painter.AddStaff(PlainStaff(150, 40, 760));
  painter.BarLine(0, 0, 400);
  ASSERT_EQ(RunStaffStageOn(page), 0);
  EXPECT_EQ(RecognisePage(1.0f, nullptr, nullptr), 0);
  EXPECT_EQ(LastEngineFailure(), nullptr);
  EXPECT_EQ(GetStaffCount(), 1);
  EXPECT_GE(GetBarLineCount(), 1);
}

}  // namespace
