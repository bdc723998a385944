// The music object connection graph: one node per object found on a page
// (stem, notehead, beam, slur, bar line, ledger line, fixed-size symbol, text
// item) and a pair of links per plausible joint between two objects. Nodes
// are found by (kind, reference); links carry a label (the joint type as
// seen from their node) and a cost, lower is better. A link with label -1 at
// both ends and cost -1 is a conflict: two objects that exclude each other.
// The graph lives for one reading run.
#pragma once

#include <cstdint>

// Node kinds are the ObjectKind codes of Lnheadpt.h; fixed-size symbols use
// their symbol type (kMinFixedSymbolType..kMaxFixedSymbolType).
constexpr int32_t kGraphKindLimit = 2000;  // kinds lie in 0..1999
constexpr int32_t kAnyLabel = 999;         // a query label that matches every label
constexpr int32_t kConflictLabel = -1;
constexpr int32_t kConflictCost = -1;

struct GraphLink {
  int32_t other;  // node index
  int32_t label;  // as seen from the node that holds the link
  int32_t cost;   // above 0 for a usable link
};

struct GraphNode {
  int32_t kind;
  int32_t reference;
  GraphLink* links;  // owned; null while the node has no links
  int32_t linkCount;
  uint8_t markA;
  uint8_t markB;
  int32_t released;  // 0 live, 1 released
};

struct GraphObject {
  int32_t kind;
  int32_t reference;
};
constexpr GraphObject kNoGraphObject = {-1, -1};

// ---- Nodes and links ----
// Appends a live node without links and with both marks clear; returns its
// index. A negative kind, or a node added while a snapshot is held, is a
// failed check.
int32_t AddGraphNode(int32_t kind, int32_t reference);
// The node of (kind, reference), released or not; a missing one is a failed
// check.
int32_t FindGraphNode(int32_t kind, int32_t reference);
// 1 when a node of (kind, reference) exists (released or not).
int32_t HasGraphNode(int32_t kind, int32_t reference);
// Adds the link A -> B (label at A) and B -> A (label at B), each side only
// when it holds no link to the other yet.
void LinkGraphNodes(int32_t kindA, int32_t refA, int32_t labelA, int32_t kindB, int32_t refB, int32_t labelB,
                    int32_t cost);
// LinkGraphNodes when labelA is not 0.
void LinkGraphNodesIfLabelled(int32_t kindA, int32_t refA, int32_t kindB, int32_t refB, int32_t labelA,
                              int32_t labelB, int32_t cost);
// A conflict (label -1 at both ends, cost -1) between two objects.
void LinkGraphConflict(int32_t kindA, int32_t refA, int32_t kindB, int32_t refB);
// Removes A's links to B and B's links to A.
void UnlinkGraphNodes(int32_t kindA, int32_t refA, int32_t kindB, int32_t refB);
// Takes the node out of its neighbours' link lists, releases its object
// through the release function of its kind when releaseObject is not 0, and
// marks it released. A released node is left as it is.
void ReleaseGraphNode(int32_t kind, int32_t reference, int32_t releaseObject);
using GraphNodeFn = void (*)(int32_t node, void* argument);
// Every live node in (kind, reference) order.
void ForEachGraphNode(GraphNodeFn callback, void* argument);
int32_t CountLiveGraphNodes();
int32_t GetGraphNodeCount();  // released ones included
int32_t GetGraphNodeCapacity();

// ---- Queries (links with a cost of 0 or below are ignored) ----
// The reference of the cheapest linked node of the wanted kind whose link
// carries the label (kAnyLabel: any); the earliest link on equal cost; -1
// when none.
int32_t GetBestLinkedObject(int32_t kind, int32_t reference, int32_t wantedKind, int32_t label);
// The references of every such node in link order, at most n; returns how
// many were written.
int32_t ListLinkedObjects(int32_t kind, int32_t reference, int32_t wantedKind, int32_t label, int32_t* out,
                          int32_t n);
using GraphLinkTest = int32_t (*)(int32_t kind, int32_t reference, int32_t label);
// The cheapest linked object whose (kind, reference, this link's label)
// passes the test; kNoGraphObject when none.
GraphObject FindBestLinkedObjectIf(int32_t kind, int32_t reference, GraphLinkTest test);

// ---- Trial resolutions ----
// Deep copy of the nodes and their links; a second snapshot is a failed
// check.
void SaveGraphSnapshot();
// Puts the graph back as the snapshot holds it and drops the snapshot;
// without a snapshot a failed check.
void RestoreGraphSnapshot();
int32_t HasGraphSnapshot();

// ---- Node accessors (node index checked) ----
GraphObject GetGraphNodeObject(int32_t node);
int32_t IsGraphNodeReleased(int32_t node);
int32_t GetGraphLinkCount(int32_t node);
// Link i of the node (i checked against its link count).
int32_t GetGraphLinkOther(int32_t node, int32_t i);
int32_t GetGraphLinkLabel(int32_t node, int32_t i);
int32_t GetGraphLinkCost(int32_t node, int32_t i);
// The cost of the node's link to other (the last such link); -1 when none.
int32_t GetGraphLinkCostTo(int32_t node, int32_t other);
// The label that the far end of link i gives its link back; a far end
// without a link back is a failed check.
int32_t GetGraphLinkBackLabel(int32_t node, int32_t i);
void SetGraphMarkA(int32_t node);
void ClearGraphMarkA(int32_t node);
int32_t TestGraphMarkA(int32_t node);
void SetGraphMarkB(int32_t node);
int32_t TestGraphMarkB(int32_t node);
void ClearAllGraphMarksB();

// ---- Releasing objects ----
// The owner of a kind releases its objects through a function given here;
// the graph knows no finder. Kinds outside 0..1999 and first > last are
// failed checks; fn may be null to take a release away.
using GraphReleaseFn = void (*)(int32_t reference);
void SetGraphReleaseFunction(int32_t firstKind, int32_t lastKind, GraphReleaseFn fn);
GraphReleaseFn GetGraphReleaseFunction(int32_t kind);  // null when none is set

// The module's free function: nodes, links, snapshot and key index. The
// release functions stay.
void FreeObjectGraph();
