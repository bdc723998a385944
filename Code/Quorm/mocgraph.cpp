// The music object connection graph.
#include "Code/Quorm/mocgraph.h"

#include <algorithm>
#include <cstring>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"

namespace {

constexpr int32_t kFirstNodes = 1000;

// The node table always keeps a spare slot beyond the last node.
GraphNode* gNodes = nullptr;
int32_t gCount = 0;
int32_t gCapacity = 0;
// Node indices in (kind, reference) order while gSorted is set.
int32_t* gKeys = nullptr;
bool gSorted = false;

GraphNode* gSnapshot = nullptr;
int32_t gSnapshotCount = 0;

GraphReleaseFn gRelease[kGraphKindLimit] = {};

GraphNode& NodeAt(int32_t node) {
  ENGINE_CHECK_INDEX(node, gCount);
  return gNodes[node];
}

bool KeyLess(int32_t a, int32_t b) {
  const GraphNode& x = gNodes[a];
  const GraphNode& y = gNodes[b];
  if (x.kind != y.kind) return x.kind < y.kind;
  return x.reference < y.reference;
}

void SortKeys() {
  if (gSorted) return;
  for (int32_t i = 0; i < gCount; ++i) gKeys[i] = i;
  // Stable, so that a repeated (kind, reference) keeps its insertion order.
  std::stable_sort(gKeys, gKeys + gCount, KeyLess);
  gSorted = true;
}

// The first node of (kind, reference) in key order, or -1.
int32_t FirstKeyOf(int32_t kind, int32_t reference) {
  if (gCount == 0) return -1;
  SortKeys();
  int32_t lo = 0;
  int32_t hi = gCount;
  while (lo < hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    const GraphNode& x = gNodes[gKeys[mid]];
    if (x.kind != kind ? x.kind < kind : x.reference < reference)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo == gCount) return -1;
  const GraphNode& found = gNodes[gKeys[lo]];
  return found.kind == kind && found.reference == reference ? gKeys[lo] : -1;
}

void Grow() {
  while (gCount + 2 > gCapacity) {
    int32_t keys = gCapacity;
    GrowEngineArrayChecked(gKeys, keys, kFirstNodes);
    GrowEngineArrayChecked(gNodes, gCapacity, kFirstNodes);
  }
}

void AppendLink(GraphNode& node, int32_t other, int32_t label, int32_t cost) {
  if (node.links == nullptr)
    EngineAllocChecked(node.links, sizeof(GraphLink));
  else
    EngineResizeArrayChecked(node.links, static_cast<size_t>(node.linkCount), static_cast<size_t>(node.linkCount) + 1);
  node.links[node.linkCount++] = GraphLink{other, label, cost};
}

bool HoldsLinkTo(const GraphNode& node, int32_t other) {
  for (int32_t i = 0; i < node.linkCount; ++i)
    if (node.links[i].other == other) return true;
  return false;
}

// Removes every link of the node to other; later links move up.
void DropLinksTo(GraphNode& node, int32_t other) {
  int32_t kept = 0;
  for (int32_t i = 0; i < node.linkCount; ++i)
    if (node.links[i].other != other) node.links[kept++] = node.links[i];
  node.linkCount = kept;
}

void FreeNodes(GraphNode*& nodes, int32_t count) {
  if (nodes != nullptr)
    for (int32_t i = 0; i < count; ++i) EngineFree(nodes[i].links);
  EngineFree(nodes);
}

// A deep copy of count nodes into a new table of capacity entries.
void CopyNodes(GraphNode*& target, const GraphNode* source, int32_t count, int32_t capacity) {
  EngineAllocZeroedChecked(target, sizeof(GraphNode) * static_cast<size_t>(std::max(capacity, 1)));
  for (int32_t i = 0; i < count; ++i) {
    target[i] = source[i];
    target[i].links = nullptr;
    if (source[i].linkCount > 0) {
      EngineAllocChecked(target[i].links, sizeof(GraphLink) * static_cast<size_t>(source[i].linkCount));
      std::memcpy(target[i].links, source[i].links, sizeof(GraphLink) * static_cast<size_t>(source[i].linkCount));
    }
  }
}

bool Usable(const GraphLink& link, int32_t wantedKind, int32_t label) {
  if (link.cost <= 0) return false;
  if (gNodes[link.other].kind != wantedKind) return false;
  return label == kAnyLabel || link.label == label;
}

}  // namespace

int32_t AddGraphNode(int32_t kind, int32_t reference) {
  ENGINE_CHECK(kind >= 0);
  // A trial resolution puts back the key index it saved with the nodes.
  ENGINE_CHECK(gSnapshot == nullptr);
  Grow();
  GraphNode& node = gNodes[gCount];
  node = GraphNode{kind, reference, nullptr, 0, 0, 0, 0};
  gSorted = false;
  return gCount++;
}

int32_t HasGraphNode(int32_t kind, int32_t reference) { return FirstKeyOf(kind, reference) >= 0 ? 1 : 0; }

int32_t FindGraphNode(int32_t kind, int32_t reference) {
  const int32_t node = FirstKeyOf(kind, reference);
  ENGINE_CHECK(node >= 0);
  return node;
}

void LinkGraphNodes(int32_t kindA, int32_t refA, int32_t labelA, int32_t kindB, int32_t refB, int32_t labelB,
                    int32_t cost) {
  const int32_t a = FindGraphNode(kindA, refA);
  const int32_t b = FindGraphNode(kindB, refB);
  if (!HoldsLinkTo(gNodes[a], b)) AppendLink(gNodes[a], b, labelA, cost);
  if (!HoldsLinkTo(gNodes[b], a)) AppendLink(gNodes[b], a, labelB, cost);
}

void LinkGraphNodesIfLabelled(int32_t kindA, int32_t refA, int32_t kindB, int32_t refB, int32_t labelA,
                              int32_t labelB, int32_t cost) {
  if (labelA != 0) LinkGraphNodes(kindA, refA, labelA, kindB, refB, labelB, cost);
}

void LinkGraphConflict(int32_t kindA, int32_t refA, int32_t kindB, int32_t refB) {
  LinkGraphNodes(kindA, refA, kConflictLabel, kindB, refB, kConflictLabel, kConflictCost);
}

void UnlinkGraphNodes(int32_t kindA, int32_t refA, int32_t kindB, int32_t refB) {
  const int32_t a = FindGraphNode(kindA, refA);
  const int32_t b = FindGraphNode(kindB, refB);
  DropLinksTo(gNodes[a], b);
  DropLinksTo(gNodes[b], a);
}

void ReleaseGraphNode(int32_t kind, int32_t reference, int32_t releaseObject) {
  const int32_t node = FindGraphNode(kind, reference);
  if (gNodes[node].released) return;
  for (int32_t i = 0; i < gNodes[node].linkCount; ++i) {
    const int32_t other = gNodes[node].links[i].other;
    if (other != node) DropLinksTo(gNodes[other], node);
  }
  if (releaseObject != 0) {
    ENGINE_CHECK(kind < kGraphKindLimit && gRelease[kind] != nullptr);
    gRelease[kind](reference);
  }
  gNodes[node].released = 1;
}

void ForEachGraphNode(GraphNodeFn callback, void* argument) {
  ENGINE_CHECK_POINTER(callback);
  SortKeys();
  // The callback may link, unlink and release; a node it adds is not
  // visited (the key index is rebuilt on the next search).
  const int32_t count = gCount;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t node = gKeys[i];
    if (!gNodes[node].released) callback(node, argument);
  }
}

int32_t CountLiveGraphNodes() {
  int32_t live = 0;
  for (int32_t i = 0; i < gCount; ++i)
    if (!gNodes[i].released) ++live;
  return live;
}

int32_t GetGraphNodeCount() { return gCount; }
int32_t GetGraphNodeCapacity() { return gCapacity; }

int32_t GetBestLinkedObject(int32_t kind, int32_t reference, int32_t wantedKind, int32_t label) {
  const GraphNode& node = gNodes[FindGraphNode(kind, reference)];
  int32_t best = -1;
  int32_t bestCost = 0;
  for (int32_t i = 0; i < node.linkCount; ++i) {
    const GraphLink& link = node.links[i];
    if (!Usable(link, wantedKind, label)) continue;
    if (best < 0 || link.cost < bestCost) {
      best = gNodes[link.other].reference;
      bestCost = link.cost;
    }
  }
  return best;
}

int32_t ListLinkedObjects(int32_t kind, int32_t reference, int32_t wantedKind, int32_t label, int32_t* out,
                          int32_t n) {
  const GraphNode& node = gNodes[FindGraphNode(kind, reference)];
  int32_t written = 0;
  for (int32_t i = 0; i < node.linkCount && written < n; ++i) {
    const GraphLink& link = node.links[i];
    if (!Usable(link, wantedKind, label)) continue;
    ENGINE_CHECK_POINTER(out);
    out[written++] = gNodes[link.other].reference;
  }
  return written;
}

GraphObject FindBestLinkedObjectIf(int32_t kind, int32_t reference, GraphLinkTest test) {
  ENGINE_CHECK_POINTER(test);
  const int32_t self = FindGraphNode(kind, reference);
  GraphObject best = kNoGraphObject;
  int32_t bestCost = 0;
  for (int32_t i = 0; i < gNodes[self].linkCount; ++i) {
    const GraphLink link = gNodes[self].links[i];
    if (link.cost <= 0) continue;
    const GraphNode& other = gNodes[link.other];
    if (!test(other.kind, other.reference, link.label)) continue;
    if (best.kind < 0 || link.cost < bestCost) {
      best = GraphObject{other.kind, other.reference};
      bestCost = link.cost;
    }
  }
  return best;
}

void SaveGraphSnapshot() {
  ENGINE_CHECK(gSnapshot == nullptr);
  // Counted first, so that the links of a copy cut short are freed too.
  gSnapshotCount = gCount;
  CopyNodes(gSnapshot, gNodes, gCount, gCount);
}

void RestoreGraphSnapshot() {
  ENGINE_CHECK(gSnapshot != nullptr);
  FreeNodes(gNodes, gCount);
  ENGINE_CHECK(gNodes == nullptr);
  gCount = gSnapshotCount;
  if (gCapacity > 0) CopyNodes(gNodes, gSnapshot, gCount, gCapacity);
  FreeNodes(gSnapshot, gSnapshotCount);
  gSnapshotCount = 0;
}

int32_t HasGraphSnapshot() { return gSnapshot != nullptr ? 1 : 0; }

GraphObject GetGraphNodeObject(int32_t node) {
  const GraphNode& n = NodeAt(node);
  return GraphObject{n.kind, n.reference};
}

int32_t IsGraphNodeReleased(int32_t node) { return NodeAt(node).released; }
int32_t GetGraphLinkCount(int32_t node) { return NodeAt(node).linkCount; }

namespace {
const GraphLink& LinkAt(int32_t node, int32_t i) {
  const GraphNode& n = NodeAt(node);
  ENGINE_CHECK_INDEX(i, n.linkCount);
  return n.links[i];
}
}  // namespace

int32_t GetGraphLinkOther(int32_t node, int32_t i) { return LinkAt(node, i).other; }
int32_t GetGraphLinkLabel(int32_t node, int32_t i) { return LinkAt(node, i).label; }
int32_t GetGraphLinkCost(int32_t node, int32_t i) { return LinkAt(node, i).cost; }

int32_t GetGraphLinkCostTo(int32_t node, int32_t other) {
  const GraphNode& n = NodeAt(node);
  int32_t cost = -1;
  for (int32_t i = 0; i < n.linkCount; ++i)
    if (n.links[i].other == other) cost = n.links[i].cost;
  return cost;
}

int32_t GetGraphLinkBackLabel(int32_t node, int32_t i) {
  const GraphNode& far = NodeAt(LinkAt(node, i).other);
  for (int32_t k = 0; k < far.linkCount; ++k)
    if (far.links[k].other == node) return far.links[k].label;
  EngineAssertFail(__FILE__, __LINE__);
}

void SetGraphMarkA(int32_t node) { NodeAt(node).markA = 1; }
void ClearGraphMarkA(int32_t node) { NodeAt(node).markA = 0; }
int32_t TestGraphMarkA(int32_t node) { return NodeAt(node).markA; }
void SetGraphMarkB(int32_t node) { NodeAt(node).markB = 1; }
int32_t TestGraphMarkB(int32_t node) { return NodeAt(node).markB; }
void ClearAllGraphMarksB() {
  for (int32_t i = 0; i < gCount; ++i) gNodes[i].markB = 0;
}

void SetGraphReleaseFunction(int32_t firstKind, int32_t lastKind, GraphReleaseFn fn) {
  ENGINE_CHECK(firstKind >= 0 && firstKind <= lastKind && lastKind < kGraphKindLimit);
  for (int32_t kind = firstKind; kind <= lastKind; ++kind) gRelease[kind] = fn;
}

GraphReleaseFn GetGraphReleaseFunction(int32_t kind) {
  ENGINE_CHECK(kind >= 0 && kind < kGraphKindLimit);
  return gRelease[kind];
}

void FreeObjectGraph() {
  FreeNodes(gNodes, gCount);
  FreeNodes(gSnapshot, gSnapshotCount);
  EngineFree(gKeys);
  gCount = 0;
  gCapacity = 0;
  gSnapshotCount = 0;
  gSorted = false;
}
