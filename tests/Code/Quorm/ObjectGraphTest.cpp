// The object graph store and the graph queries on hand-built graphs.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/mocgcalc.h"
#include "Code/Quorm/mocgraph.h"
#include "tests/Code/Quorm/StaffFixture.h"

namespace {

std::vector<int32_t> g_released;
void RecordRelease(int32_t reference) { g_released.push_back(reference); }

class ObjectGraph : public ::testing::Test {
 protected:
  void SetUp() override {
    FreeObjectGraph();
    FreeFixedSymbols();
    g_released.clear();
    SetGraphReleaseFunction(0, kGraphKindLimit - 1, RecordRelease);
  }
  void TearDown() override {
    FreeObjectGraph();
    FreeFixedSymbols();
    SetGraphReleaseFunction(0, kGraphKindLimit - 1, nullptr);
  }
};

// Every node with its links, for deep comparisons.
using LinkDump = std::tuple<int32_t, int32_t, int32_t>;
struct NodeDump {
  int32_t kind, reference, released, markA, markB;
  std::vector<LinkDump> links;
  bool operator==(const NodeDump& o) const {
    return std::tie(kind, reference, released, markA, markB, links) ==
           std::tie(o.kind, o.reference, o.released, o.markA, o.markB, o.links);
  }
};
std::vector<NodeDump> DumpGraph() {
  std::vector<NodeDump> out;
  for (int32_t n = 0; n < GetGraphNodeCount(); ++n) {
    const GraphObject object = GetGraphNodeObject(n);
    NodeDump d{object.kind, object.reference, IsGraphNodeReleased(n), TestGraphMarkA(n), TestGraphMarkB(n), {}};
    for (int32_t i = 0; i < GetGraphLinkCount(n); ++i)
      d.links.emplace_back(GetGraphLinkOther(n, i), GetGraphLinkLabel(n, i), GetGraphLinkCost(n, i));
    out.push_back(d);
  }
  return out;
}

TEST_F(ObjectGraph, LinkingTwiceKeepsTheFirstLabelAndCost) {
  const int32_t head = AddGraphNode(kObjectNotehead, 4);
  const int32_t stem = AddGraphNode(kObjectVerticalLine, 9);
  LinkGraphNodes(kObjectNotehead, 4, 6, kObjectVerticalLine, 9, 2, 300);
  LinkGraphNodes(kObjectVerticalLine, 9, 5, kObjectNotehead, 4, 7, 100);
  ASSERT_EQ(GetGraphLinkCount(head), 1);
  ASSERT_EQ(GetGraphLinkCount(stem), 1);
  EXPECT_EQ(GetGraphLinkLabel(head, 0), 6);
  EXPECT_EQ(GetGraphLinkLabel(stem, 0), 2);
  EXPECT_EQ(GetGraphLinkCost(stem, 0), 300);
  EXPECT_EQ(GetGraphLinkBackLabel(head, 0), 2);
  EXPECT_EQ(GetGraphLinkCostTo(head, stem), 300);
  EXPECT_EQ(GetGraphLinkCostTo(head, head), -1);
  EXPECT_EQ(GetStemOfHead(4, 1), 9);
  EXPECT_EQ(GetStemOfHead(4, 0), -1);
  // A label of 0 at the first object makes no link.
  AddGraphNode(kObjectBeam, 1);
  LinkGraphNodesIfLabelled(kObjectBeam, 1, kObjectVerticalLine, 9, 0, 3, 50);
  EXPECT_EQ(GetGraphLinkCount(stem), 1);
  LinkGraphNodesIfLabelled(kObjectBeam, 1, kObjectVerticalLine, 9, 1, 3, 50);
  EXPECT_EQ(GetGraphLinkCount(stem), 2);
}

TEST_F(ObjectGraph, QueriesTakeTheCheapestPositiveLinkFirstOnTies) {
  AddGraphNode(kObjectVerticalLine, 0);
  for (int32_t b = 0; b < 5; ++b) AddGraphNode(kObjectBeam, b);
  AddGraphNode(kObjectNotehead, 0);
  EXPECT_EQ(GetBestLinkedObject(kObjectVerticalLine, 0, kObjectBeam, kAnyLabel), -1);
  int32_t out[10];
  EXPECT_EQ(ListLinkedObjects(kObjectVerticalLine, 0, kObjectBeam, kAnyLabel, out, 10), 0);
  LinkGraphNodes(kObjectVerticalLine, 0, 3, kObjectBeam, 0, 1, 0);    // no usable link
  LinkGraphConflict(kObjectVerticalLine, 0, kObjectBeam, 1);           // conflict: ignored
  LinkGraphNodes(kObjectVerticalLine, 0, 3, kObjectBeam, 2, 1, 400);
  LinkGraphNodes(kObjectVerticalLine, 0, 4, kObjectBeam, 3, 1, 200);
  LinkGraphNodes(kObjectVerticalLine, 0, 3, kObjectBeam, 4, 1, 200);
  LinkGraphNodes(kObjectVerticalLine, 0, 3, kObjectNotehead, 0, 1, 10);
  EXPECT_EQ(GetBestLinkedObject(kObjectVerticalLine, 0, kObjectBeam, kAnyLabel), 3);
  EXPECT_EQ(GetBestLinkedObject(kObjectVerticalLine, 0, kObjectBeam, 3), 4);
  EXPECT_EQ(ListLinkedObjects(kObjectVerticalLine, 0, kObjectBeam, kAnyLabel, out, 10), 3);
  EXPECT_EQ(std::vector<int32_t>(out, out + 3), (std::vector<int32_t>{2, 3, 4}));
  EXPECT_EQ(ListLinkedObjects(kObjectVerticalLine, 0, kObjectBeam, kAnyLabel, out, 2), 2);
  EXPECT_EQ(ListBeamsOfStem(0, out), 3);
  EXPECT_EQ(ListHeadsOfStem(0, out), 1);
  const GraphObject best =
      FindBestLinkedObjectIf(kObjectVerticalLine, 0, [](int32_t kind, int32_t, int32_t label) -> int32_t {
        return kind == kObjectBeam && label == 3;
      });
  EXPECT_EQ(best.kind, kObjectBeam);
  EXPECT_EQ(best.reference, 4);
  EXPECT_EQ(FindBestLinkedHeadOrRest(kObjectVerticalLine, 0).reference, 0);
  EXPECT_EQ(FindBestLinkedHeadOrRest(kObjectBeam, 0).kind, -1);
}

TEST_F(ObjectGraph, ReleasedNodesAreFoundButNotSeen) {
  AddGraphNode(kObjectBeam, 7);
  const int32_t stem = AddGraphNode(kObjectVerticalLine, 2);
  const int32_t other = AddGraphNode(kObjectVerticalLine, 1);
  LinkGraphNodes(kObjectBeam, 7, 1, kObjectVerticalLine, 2, 1, 100);
  LinkGraphNodes(kObjectBeam, 7, 1, kObjectVerticalLine, 1, 1, 100);
  ReleaseGraphNode(kObjectBeam, 7, 1);
  ReleaseGraphNode(kObjectBeam, 7, 1);  // a second release changes nothing
  EXPECT_EQ(g_released, (std::vector<int32_t>{7}));
  EXPECT_EQ(FindGraphNode(kObjectBeam, 7), 0);
  EXPECT_EQ(GetGraphLinkCount(stem), 0);
  EXPECT_EQ(GetGraphLinkCount(other), 0);
  EXPECT_EQ(GetGraphLinkCount(0), 2);  // the released node keeps its own links
  EXPECT_EQ(CountLiveGraphNodes(), 2);
  std::vector<GraphObject> visited;
  ForEachGraphNode([](int32_t node, void* seen) { static_cast<std::vector<GraphObject>*>(seen)->push_back(
                                                      GetGraphNodeObject(node)); },
                   &visited);
  ASSERT_EQ(visited.size(), 2u);  // in (kind, reference) order
  EXPECT_EQ(visited[0].reference, 1);
  EXPECT_EQ(visited[1].reference, 2);
  // Without the release flag the object stays.
  ReleaseGraphNode(kObjectVerticalLine, 1, 0);
  EXPECT_EQ(g_released.size(), 1u);
}

TEST_F(ObjectGraph, UnlinkMovesLaterLinksUp) {
  const int32_t a = AddGraphNode(kObjectBeam, 0);
  for (int32_t s = 0; s < 3; ++s) {
    AddGraphNode(kObjectVerticalLine, s);
    LinkGraphNodes(kObjectBeam, 0, 10 + s, kObjectVerticalLine, s, 1, 100 + s);
  }
  UnlinkGraphNodes(kObjectVerticalLine, 1, kObjectBeam, 0);
  ASSERT_EQ(GetGraphLinkCount(a), 2);
  EXPECT_EQ(GetGraphLinkLabel(a, 0), 10);
  EXPECT_EQ(GetGraphLinkLabel(a, 1), 12);
  EXPECT_EQ(GetGraphLinkCount(FindGraphNode(kObjectVerticalLine, 1)), 0);
  EXPECT_THROW(GetGraphLinkLabel(a, 2), EngineFailure);
  EXPECT_THROW(GetGraphLinkLabel(a, -1), EngineFailure);
}

TEST_F(ObjectGraph, FailedChecks) {
  EXPECT_THROW(AddGraphNode(-1, 0), EngineFailure);
  EXPECT_THROW(FindGraphNode(kObjectBeam, 0), EngineFailure);
  AddGraphNode(kObjectBeam, 0);
  const int32_t stem = AddGraphNode(kObjectVerticalLine, 0);
  EXPECT_THROW(FindGraphNode(kObjectBeam, 1), EngineFailure);
  EXPECT_THROW(GetGraphNodeObject(2), EngineFailure);
  // A kind without a release function.
  AddGraphNode(77, 0);
  SetGraphReleaseFunction(77, 77, nullptr);
  EXPECT_THROW(ReleaseGraphNode(77, 0, 1), EngineFailure);
  EXPECT_THROW(SetGraphReleaseFunction(5, 2000, RecordRelease), EngineFailure);
  // A far end without a link back.
  LinkGraphNodes(kObjectBeam, 0, 1, kObjectVerticalLine, 0, 1, 100);
  UnlinkGraphNodes(kObjectBeam, 0, kObjectBeam, 0);  // nothing to unlink
  const int32_t beam = FindGraphNode(kObjectBeam, 0);
  EXPECT_EQ(GetGraphLinkBackLabel(stem, 0), 1);
  ReleaseGraphNode(kObjectVerticalLine, 0, 0);
  EXPECT_THROW(GetGraphLinkBackLabel(stem, 0), EngineFailure);
  EXPECT_EQ(GetGraphLinkCount(beam), 0);
}

TEST_F(ObjectGraph, TablesGrowAtTheThousandthNode) {
  for (int32_t i = 0; i < 998; ++i) AddGraphNode(kObjectNotehead, i);
  EXPECT_EQ(GetGraphNodeCapacity(), 1000);
  AddGraphNode(kObjectNotehead, 998);  // the 999th
  EXPECT_EQ(GetGraphNodeCapacity(), 1000);
  AddGraphNode(kObjectNotehead, 999);  // the 1000th
  EXPECT_EQ(GetGraphNodeCapacity(), 2000);
  for (int32_t i = 0; i < 1000; i += 111) EXPECT_EQ(FindGraphNode(kObjectNotehead, i), i);
}

TEST_F(ObjectGraph, SnapshotRestoresTheGraphDeepEqual) {
  for (int32_t i = 0; i < 6; ++i) AddGraphNode(i % 2 ? kObjectVerticalLine : kObjectNotehead, i);
  LinkGraphNodes(kObjectNotehead, 0, 4, kObjectVerticalLine, 1, 2, 300);
  LinkGraphNodes(kObjectNotehead, 2, 6, kObjectVerticalLine, 1, 2, 500);
  LinkGraphConflict(kObjectNotehead, 2, kObjectNotehead, 4);
  SetGraphMarkA(3);
  SetGraphMarkB(5);
  ReleaseGraphNode(kObjectVerticalLine, 5, 0);
  const std::vector<NodeDump> before = DumpGraph();

  SaveGraphSnapshot();
  EXPECT_THROW(SaveGraphSnapshot(), EngineFailure);
  EXPECT_THROW(AddGraphNode(kObjectBeam, 0), EngineFailure);  // nothing is added during a trial
  ReleaseGraphNode(kObjectVerticalLine, 1, 1);
  UnlinkGraphNodes(kObjectNotehead, 2, kObjectNotehead, 4);
  ClearGraphMarkA(3);
  ClearAllGraphMarksB();
  LinkGraphNodes(kObjectNotehead, 0, 9, kObjectNotehead, 4, 9, 9);
  EXPECT_NE(DumpGraph(), before);
  RestoreGraphSnapshot();

  EXPECT_EQ(DumpGraph(), before);
  EXPECT_EQ(HasGraphSnapshot(), 0);
  EXPECT_EQ(FindGraphNode(kObjectVerticalLine, 3), 3);  // the key index still serves
  EXPECT_THROW(RestoreGraphSnapshot(), EngineFailure);
  AddGraphNode(kObjectBeam, 0);  // after the trial nodes may be added again
  EXPECT_EQ(FindGraphNode(kObjectBeam, 0), 6);
}

TEST_F(ObjectGraph, FreeingTwiceIsHarmless) {
  AddGraphNode(kObjectBeam, 0);
  SaveGraphSnapshot();
  FreeObjectGraph();
  FreeObjectGraph();
  EXPECT_EQ(GetGraphNodeCount(), 0);
  EXPECT_EQ(HasGraphSnapshot(), 0);
  AddGraphNode(kObjectBeam, 0);
  EXPECT_EQ(GetGraphNodeCount(), 1);
}

// Flags joined to a stem: counts per the best flag's direction, capped at 4.
TEST_F(ObjectGraph, FlagsOfAStem) {
  struct Case {
    std::vector<std::pair<int32_t, int32_t>> flags;  // type, cost
    int32_t expected;
  };
  const std::vector<Case> cases = {
      {{}, 0},
      {{{61, 100}}, 1},
      {{{61, 100}, {63, 200}}, 4},
      {{{63, 100}, {63, 200}}, 4},
      {{{62, 300}}, 2},
      {{{72, 100}, {61, 200}, {63, 300}}, 2},  // the best points down: the up flags do not count
      {{{61, 100}, {61, 150}}, 2},
  };
  for (const Case& c : cases) {
    FreeObjectGraph();
    FreeFixedSymbols();
    AddGraphNode(kObjectVerticalLine, 0);
    for (const auto& flag : c.flags) {
      const int32_t symbol = AddFixedSymbol(0, 0, 10, 10, flag.first, flag.second, 5);
      AddGraphNode(flag.first, symbol);
      LinkGraphNodes(kObjectVerticalLine, 0, 1, flag.first, symbol, 1, flag.second);
    }
    EXPECT_EQ(CountFlagsOfStem(0), c.expected) << c.flags.size() << " flags";
  }
}

TEST(SymbolTypes, FamiliesAndFlagHooks) {
  EXPECT_EQ(FlagCountOfType(61), 1);
  EXPECT_EQ(FlagCountOfType(74), 4);
  EXPECT_THROW(FlagCountOfType(65), EngineFailure);
  EXPECT_THROW(FlagCountOfType(70), EngineFailure);
  EXPECT_TRUE(IsKeySignatureType(517));
  EXPECT_FALSE(IsKeySignatureType(508));
  EXPECT_TRUE(IsSharpKeyType(500));
  EXPECT_FALSE(IsSharpKeyType(510));
  EXPECT_TRUE(IsTimeSignatureType(1083));
  EXPECT_FALSE(IsTimeSignatureType(1000));
  EXPECT_TRUE(IsRestType(726));
  EXPECT_FALSE(IsRestType(47));
  EXPECT_TRUE(IsHeadOrRestKind(kObjectNotehead));
  EXPECT_TRUE(IsHeadOrRestKind(47));
  EXPECT_FALSE(IsHeadOrRestKind(kObjectVerticalLine));
}

class SymbolPlaces : public ObjectGraph {
 protected:
  void TearDown() override {
    ObjectGraph::TearDown();
    FreeHandPage();
  }
};

TEST_F(SymbolPlaces, CentresOfSymbolsAndUnknownKinds) {
  const int32_t symbol = AddFixedSymbol(10, 21, 15, 40, 90, 100, 30);
  const EnginePoint centre = GetObjectCentre(90, symbol);
  EXPECT_EQ(centre.y, 30);
  EXPECT_EQ(centre.x, 12);
  EXPECT_EQ(BoxCentre(-3, 3, 0, 4).y, -1);  // truncated towards zero
  EXPECT_THROW(GetObjectCentre(4, 0), EngineFailure);
  EXPECT_THROW(GetObjectCentre(kObjectLyricWord, 0), EngineFailure);
  EXPECT_THROW(GetObjectCentre(kObjectNotehead, 0), EngineFailure);  // no heads
}

TEST_F(SymbolPlaces, PageWithoutStaves) {
  LoadHandPage(400, 300, 20);
  const int32_t sharp = AddFixedSymbol(10, 20, 18, 40, 90, 100, 30);
  const int32_t clef = AddFixedSymbol(10, 20, 30, 80, 80, 100, 50);
  const StaffStep step = GetSymbolStaffStep(sharp);
  EXPECT_EQ(step.staff, -1);
  EXPECT_EQ(step.step, 10);
  EXPECT_EQ(step.remainder, 0);
  EXPECT_EQ(GetClefPosition(clef).staff, -1);
}

TEST_F(SymbolPlaces, StepsAndClefPositions) {
  LoadHandPage(600, 400, 20);
  AddHandStaff({0, 100, 20, 20, 580, 5, 0});  // lines at 100 .. 180, middle line 140
  // The reference height is what places a symbol; its box only gives the column.
  const int32_t high = AddFixedSymbol(50, 0, 60, 10, 90, 100, 100);
  const int32_t low = AddFixedSymbol(50, 0, 60, 10, 90, 100, 190);
  EXPECT_EQ(GetSymbolStaffStep(high).step, -4);
  EXPECT_EQ(GetSymbolStaffStep(low).step, 5);
  EXPECT_EQ(GetSymbolStaffStep(low).staff, 0);

  struct ClefCase {
    int32_t type, centreY, step;
  };
  const std::vector<ClefCase> cases = {
      {80, 300, 2},   // a G clef sits on its line whatever its box
      {81, 20, -2},
      {82, 140, 0},   // on the middle line
      {82, 150, 0},   // a space with the remainder 0 moves up a step
      {82, 153, 2},   // below it moves down
      {82, 120, -2},
  };
  for (const ClefCase& c : cases) {
    const int32_t clef = AddFixedSymbol(40, c.centreY - 30, 60, c.centreY + 30, c.type, 100, c.centreY);
    const StaffStep place = GetClefPosition(clef);
    EXPECT_EQ(place.staff, 0) << c.type << " at " << c.centreY;
    EXPECT_EQ(place.step, c.step) << c.type << " at " << c.centreY;
    EXPECT_EQ(place.remainder, 0);
  }
  EXPECT_THROW(GetClefPosition(high), EngineFailure);
}

}  // namespace
