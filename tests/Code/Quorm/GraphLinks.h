// Conflict links of the engine's object graph, as the graph tests look for
// them.
#pragma once

#include <cstdint>

#include "Code/Quorm/mocgraph.h"

// Whether graph node from holds a conflict link to node to.
inline bool HasConflictLink(int32_t from, int32_t to) {
  for (int32_t i = 0; i < GetGraphLinkCount(from); ++i)
    if (GetGraphLinkOther(from, i) == to && GetGraphLinkLabel(from, i) == kConflictLabel &&
        GetGraphLinkCost(from, i) == kConflictCost)
      return true;
  return false;
}

// Whether the node of object A (kind, reference) holds a conflict link to
// the node of object B.
inline bool Conflicting(int32_t kindA, int32_t refA, int32_t kindB, int32_t refB) {
  return HasConflictLink(FindGraphNode(kindA, refA), FindGraphNode(kindB, refB));
}
