// Fixed-size symbol recognition: the ink that the line-like finders left is
// cut into atoms, the atoms are clustered, every cluster is cut into
// connected subsets in every possible way, each subset is classified, and
// the cheapest way is kept. Every candidate type of a kept subset becomes a
// fixed-size symbol with a graph node; the alternatives of one subset, and
// the line-like objects the subset overlaps, are joined to it by conflicts.
#pragma once

#include <cstdint>

#include "Code/Quorm/Geometry.h"
#include "Code/Quorm/Merger.h"

// The whole stage (after the connected components have been found on the
// page): small components merged into the ones that cover them, touching
// symbols split, atoms made, then RecogniseAtomGroups. A page without staves
// gives no symbols.
void RecogniseFixedSymbols();
// Clusters the atoms and recognises every cluster.
void RecogniseAtomGroups();
// Recognition of one merged cluster (at most 8 atoms, else a failed check).
void RecogniseAtomGroup(MergeGroup* group);
// The module's free function: the patch buffer and the cell grid.
void FreeFixedSymbolPatch();

// ---- Parts, for the tests ----
// The largest cluster box: six and ten staff spaces of the largest staff, at
// most 499 pixels each.
int32_t FixedSymbolPatchWidth();
int32_t FixedSymbolPatchHeight();
// 1 for a component small enough to be merged into a component covering it.
int32_t IsSmallSymbolComponent(int32_t width, int32_t height, int32_t ink);
// How far apart the ink of the atoms a[0..na) and b[0..nb) lies, sampled on
// a grid of fifths of the page staff space over the box: about 150 for
// parts in contact, 102400 for parts with nothing near each other. The grid
// is as large as the box needs.
int32_t AtomListPairCost(const int32_t* a, int32_t na, const int32_t* b, int32_t nb, const EngineBox& box);
// The cost of joining two atom clusters (kMergeNoJoin when they may not
// join).
int32_t AtomClusterCost(const int32_t* a, int32_t na, const int32_t* b, int32_t nb);
// The rest and bar-dot placement tests.
int32_t RestPlacementHolds(const EngineBox& box, int32_t type);
int32_t BarDotPlacementHolds(int32_t y, int32_t x);
