// Fixed-size symbol recognition.
#include "Code/Quorm/ambigres.h"
#include "Code/Quorm/fssrecog.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Pixerase.h"
#include "Code/Quorm/concmpts.h"
#include "Code/Quorm/fssatoms.h"
#include "Code/Quorm/fssdecom.h"
#include "Code/Quorm/mclassif.h"
#include "Code/Quorm/mocgraph.h"

namespace {

constexpr int32_t kMaxPatchSide = 499;
constexpr int32_t kFarApart = 102400;
constexpr int32_t kApartCost = 600;   // a pair cost from here on keeps two parts apart
constexpr int32_t kMergeLimit = 600;
constexpr int32_t kMaxGap = 7;
constexpr int32_t kMaxOverlapping = 20;

struct Work {
  int32_t patchWidth = 0;   // W
  int32_t patchHeight = 0;  // H
  uint8_t* patch = nullptr;  // W x H bytes
  uint8_t* cells = nullptr;  // the pair-cost grid
  size_t cellRoom = 0;
  int32_t* sampleX = nullptr;  // per grid column, its first column on the page
  size_t sampleXRoom = 0;
  int32_t* sampleY = nullptr;  // per grid row
  size_t sampleYRoom = 0;
  EngineBox* boxes = nullptr;  // the atoms' boxes while the atoms are clustered
  EngineBox* groupBoxes = nullptr;  // by the atom that heads a cluster: the cluster's union box
  int32_t boxCount = 0;
};
Work g_work;

bool In(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

// An atom's box, from the copy kept while the atoms are clustered.
EngineBox AtomBox(int32_t atom) {
  return atom >= 0 && atom < g_work.boxCount ? g_work.boxes[atom] : GetSymbolAtomBox(atom);
}

// ---- Pair cost ----

// Number of cells of size c (1/1024 pixel) that start inside a length: the
// k for which RoundQ10(k c) < length.
int32_t CellCount(int32_t length, int32_t c) {
  if (length <= 0) return 0;
  const int64_t reach = int64_t{length} * 1024 - 512;  // RoundQ10(k c) < length <=> k c < reach
  return static_cast<int32_t>((reach + c - 1) / c);
}

template <class T>
void Reserve(T*& block, size_t& room, size_t count) {
  if (count <= room) return;
  EngineFree(block);
  room = 0;
  EngineAllocChecked(block, count * sizeof(T));
  room = count;
}

// Marks every cell with a sample on the atom's ink.
void MarkAtomCells(int32_t atom, uint8_t value, int32_t columns, int32_t rows, int32_t half) {
  const RasterRecord raster = GetSymbolAtomRaster(atom);
  if (raster.bits == nullptr || raster.rows <= 0 || raster.columns <= 0) return;
  const int32_t ax1 = raster.left + raster.columns;
  const int32_t ay1 = raster.top + raster.rows;
  for (int32_t l = 0; l < rows; ++l) {
    const int32_t y = g_work.sampleY[l];
    if (y + half < raster.top || y >= ay1) continue;
    for (int32_t k = 0; k < columns; ++k) {
      const int32_t x = g_work.sampleX[k];
      if (x + half < raster.left || x >= ax1) continue;
      const bool ink = GetBitMatrixBit(raster, y - raster.top, x - raster.left) ||
                       GetBitMatrixBit(raster, y - raster.top, x + half - raster.left) ||
                       GetBitMatrixBit(raster, y + half - raster.top, x - raster.left) ||
                       GetBitMatrixBit(raster, y + half - raster.top, x + half - raster.left);
      if (ink) g_work.cells[static_cast<size_t>(l) * columns + k] = value;
    }
  }
}

// Along one line of the grid: the smallest distance in cells from the last
// 1 of a run to the next 2, and from the last 2 of a run to the next 1.
void ScanGridLine(int32_t columns, int32_t rows, int32_t l, int32_t k, int32_t dl, int32_t dk, int32_t* gap12,
                  int32_t* gap21) {
  uint8_t last = 0;
  int32_t lastAt = 0;
  for (int32_t at = 0; l >= 0 && l < rows && k >= 0 && k < columns; l += dl, k += dk, ++at) {
    const uint8_t v = g_work.cells[static_cast<size_t>(l) * columns + k];
    if (v == 0) continue;
    if (last == 1 && v == 2) *gap12 = std::min(*gap12, at - lastAt);
    if (last == 2 && v == 1) *gap21 = std::min(*gap21, at - lastAt);
    last = v;
    lastAt = at;
  }
}

// True when every atom of one list lies more than reach pixels beside or
// above or below every atom of the other: cells marked by the two are then
// at least kMaxGap cells apart along every line of the grid, and the scan
// would find nothing.
bool InkFarApart(const int32_t* a, int32_t na, const int32_t* b, int32_t nb, int32_t reach) {
  for (int32_t i = 0; i < na; ++i) {
    const EngineBox p = AtomBox(a[i]);
    for (int32_t j = 0; j < nb; ++j) {
      const EngineBox q = AtomBox(b[j]);
      const int32_t gapX = std::max(q.x0 - p.x1, p.x0 - q.x1);
      const int32_t gapY = std::max(q.y0 - p.y1, p.y0 - q.y1);
      if (gapX <= reach && gapY <= reach) return false;
    }
  }
  return true;
}

int32_t GapTerm(int32_t g) { return g >= kMaxGap ? 0 : 4194304 / ((2 * g + 1) * (2 * g + 1)); }

// ---- Clusters ----

// The atom indices of a merged group, in member order; the count (which
// may exceed the room: only room entries are written).
int32_t GroupAtoms(const MergeGroup* group, int32_t* atoms, int32_t room) {
  int32_t n = 0;
  for (const MergeGroup* g = group; g != nullptr; g = g->next, ++n)
    if (n < room) atoms[n] = *static_cast<const int32_t*>(g->item);
  return n;
}

EngineBox AtomsBox(const int32_t* atoms, int32_t n) {
  EngineBox box = AtomBox(atoms[0]);
  for (int32_t i = 1; i < n; ++i) box = UnionBox(box, AtomBox(atoms[i]));
  return box;
}

int32_t HeadAtom(const MergeGroup* group) { return *static_cast<const int32_t*>(group->item); }

EngineBox GroupBox(const MergeGroup* group) {
  const int32_t head = HeadAtom(group);
  if (head >= 0 && head < g_work.boxCount) return g_work.groupBoxes[head];
  EngineBox box = AtomBox(*static_cast<const int32_t*>(group->item));
  for (const MergeGroup* g = group->next; g != nullptr; g = g->next)
    box = UnionBox(box, AtomBox(*static_cast<const int32_t*>(g->item)));
  return box;
}

int32_t ClusterCost(MergeGroup* a, MergeGroup* b) {
  int32_t atomsA[kMaxClusterAtoms + 1];
  int32_t atomsB[kMaxClusterAtoms + 1];
  const int32_t na = GroupAtoms(a, atomsA, kMaxClusterAtoms + 1);
  const int32_t nb = GroupAtoms(b, atomsB, kMaxClusterAtoms + 1);
  if (na + nb > kMaxClusterAtoms) return kMergeNoJoin;
  return AtomClusterCost(atomsA, na, atomsB, nb);
}

// Keeps the union box of the cluster that b joins.
void JoinBoxes(MergeGroup* a, MergeGroup* b) {
  const int32_t head = HeadAtom(a);
  const int32_t other = HeadAtom(b);
  ENGINE_CHECK(head >= 0 && head < g_work.boxCount && other >= 0 && other < g_work.boxCount);
  g_work.groupBoxes[head] = UnionBox(g_work.groupBoxes[head], g_work.groupBoxes[other]);
}

MergePoint ClusterCentre(MergeGroup* group) {
  const EngineBox box = GroupBox(group);
  const MergePoint centre{(box.x0 + box.x1) / 2, (box.y0 + box.y1) / 2};
  ENGINE_CHECK(centre.x >= 0 && centre.y >= 0);
  return centre;
}

void ClusterSearchBox(MergeBox* out, MergeGroup* group) {
  const EngineBox box = GroupBox(group);
  *out = MergeBox{box.x1 - g_work.patchWidth, box.y1 - g_work.patchHeight, box.x0 + g_work.patchWidth,
                  box.y0 + g_work.patchHeight};
}

// ---- Subsets ----

struct SubsetRecord {
  EngineBox box;
  double size;
  SymbolCandidates candidates;
  int32_t referenceHeight;
  int32_t known;
  int32_t forcedCost;
  double score;
};

// Draws the subset's atoms into the patch buffer over the box.
void DrawSubset(const int32_t* atoms, int32_t n, int32_t mask, const EngineBox& box) {
  const int32_t w = box.x1 - box.x0;
  const int32_t h = box.y1 - box.y0;
  ENGINE_CHECK(w <= g_work.patchWidth && h <= g_work.patchHeight);
  std::memset(g_work.patch, 0, static_cast<size_t>(w) * h);
  for (int32_t i = 0; i < n; ++i) {
    if (((mask >> i) & 1) == 0) continue;
    const RasterRecord raster = GetSymbolAtomRaster(atoms[i]);
    if (raster.bits == nullptr) continue;
    for (int32_t r = 0; r < raster.rows; ++r)
      for (int32_t c = 0; c < raster.columns; ++c)
        if (GetBitMatrixBit(raster, r, c))
          g_work.patch[static_cast<size_t>(raster.top + r - box.y0) * w + (raster.left + c - box.x0)] = 1;
  }
}

bool IsTimeNumberType(int32_t type) { return In(type, 402, 409) || type == 412 || type == 416; }

// Rests 40..42 only where they stand, bar-line dots only beside the middle
// line, and no loose time-signature numbers.
void FilterCandidates(SubsetRecord& s) {
  int32_t kept = 0;
  for (int32_t i = 0; i < s.candidates.count; ++i) {
    const SymbolCandidate c = s.candidates.entries[i];
    if (In(c.type, 40, 42) && !RestPlacementHolds(s.box, c.type)) continue;
    if (c.type == kBarDotType && !BarDotPlacementHolds((s.box.y0 + s.box.y1) / 2, (s.box.x0 + s.box.x1) / 2))
      continue;
    if (IsTimeNumberType(c.type)) continue;
    s.candidates.entries[kept++] = c;
  }
  s.candidates.count = kept;
}

// The objects of the graph recorded in an atom that an earlier stage made
// from an object: its state and spare words hold the object's kind and
// reference.
bool AtomObject(int32_t atom, GraphObject* object) {
  const SymbolAtom a = GetSymbolAtom(atom);
  if (a.flag == 0 || a.state < 0 || a.state >= kGraphKindLimit) return false;
  if (!HasGraphNode(a.state, a.spare)) return false;
  *object = GraphObject{a.state, a.spare};
  return true;
}

// Line-like objects with an anchor in the box whose pixels in the subset's
// box are more than an eighth its ink.
int32_t CollectOverlapping(const SubsetRecord& s, GraphObject* out, int32_t n) {
  const EngineBox& b = s.box;
  struct Search {
    int32_t pointKind;
    EngineBox box;
  };
  const Search searches[] = {
      {kPointHeadLeft, {b.x0 - ScaleToPixels(300), b.y0 - ScaleToPixels(100), b.x1, b.y1 + ScaleToPixels(100)}},
      {kPointBarTop, {b.x0 - ScaleToPixels(50), b.y0 - ScaleToPixels(400), b.x1 + ScaleToPixels(50), b.y1}},
      {kPointStemTop, {b.x0 - ScaleToPixels(100), b.y0 - ScaleToPixels(1000), b.x1 + ScaleToPixels(100), b.y1}},
      {kPointSlurStart,
       {b.x0 - ScaleToPixels(400), b.y0 - ScaleToPixels(1000), b.x1 + ScaleToPixels(400), b.y1 + ScaleToPixels(1000)}},
  };
  for (const Search& search : searches) {
    PointsInBox objects(search.pointKind, search.box);
    const int32_t found = objects.count();
    const int32_t kind = PointKindToObjectKind(search.pointKind);
    for (int32_t i = 0; i < found && n < kMaxOverlapping; ++i) {
      if (!HasGraphNode(kind, objects[i]) || IsGraphNodeReleased(FindGraphNode(kind, objects[i]))) continue;
      int32_t covered = 0;
      int32_t inInk = 0;
      CountObjectPixelsInBox(kind, objects[i], s.box, g_work.patch, &covered, &inInk);
      if (8 * static_cast<int64_t>(inInk) > covered) out[n++] = GraphObject{kind, objects[i]};
    }
  }
  return n;
}

// Every candidate of a kept subset as a symbol with a graph node, each in
// conflict with the earlier ones and with the objects it overlaps.
void AddSubsetSymbols(const int32_t* atoms, int32_t n, int32_t mask, const SubsetRecord& s) {
  DrawSubset(atoms, n, mask, s.box);
  GraphObject overlapping[kMaxOverlapping];
  const int32_t overlaps = CollectOverlapping(s, overlapping, 0);
  int32_t added[kMaxSymbolCandidates];
  for (int32_t i = 0; i < s.candidates.count; ++i) {
    const SymbolCandidate c = s.candidates.entries[i];
    const int32_t symbol = AddFixedSymbol(s.box.x0, s.box.y0, s.box.x1, s.box.y1, c.type, c.cost, s.referenceHeight);
    AddGraphNode(c.type, symbol);
    for (int32_t k = 0; k < i; ++k) LinkGraphConflict(c.type, symbol, s.candidates.entries[k].type, added[k]);
    for (int32_t k = 0; k < overlaps; ++k)
      LinkGraphConflict(c.type, symbol, overlapping[k].kind, overlapping[k].reference);
    added[i] = symbol;
  }
}

// The graph nodes that the atoms of a known subset stood for, released with
// their objects.
void ReleaseSubsetObjects(const int32_t* atoms, int32_t n, int32_t mask) {
  for (int32_t i = 0; i < n; ++i) {
    GraphObject object;
    if (((mask >> i) & 1) == 0 || !AtomObject(atoms[i], &object)) continue;
    ReleaseGraphNode(object.kind, object.reference, 1);
  }
}

void RecogniseGroupCallback(MergeGroup* group) { RecogniseAtomGroup(group); }

}  // namespace

int32_t FixedSymbolPatchWidth() { return std::min(ScaleToPixelsLargest(600), kMaxPatchSide); }
int32_t FixedSymbolPatchHeight() { return std::min(ScaleToPixelsLargest(1000), kMaxPatchSide); }

int32_t IsSmallSymbolComponent(int32_t width, int32_t height, int32_t ink) {
  const int32_t small = ScaleToPixels(8);
  if (width < small || height < small) return 1;
  const int32_t large = ScaleToPixels(100);
  if (width > large || height > large) return 0;
  const int32_t side = ScaleToPixels(173);
  const int32_t limit = DivRound(side * side, 100);
  return static_cast<int64_t>(width) * height < limit || ink < limit ? 1 : 0;
}

namespace {
int32_t SmallComponentTest(const ConnectedComponent& component) {
  const int32_t bits = component.rows * component.columns;
  const int32_t ink = component.bits != nullptr && bits > 0 ? CountBitsInRange(component.bits, 0, bits) : 0;
  return IsSmallSymbolComponent(component.columns, component.rows, ink);
}
}  // namespace

int32_t AtomListPairCost(const int32_t* a, int32_t na, const int32_t* b, int32_t nb, const EngineBox& box) {
  ENGINE_CHECK(na >= 0 && nb >= 0);
  const int32_t c = DivRound(GetPageStaffSpace(), 5);
  ENGINE_CHECK(c > 0);
  const int32_t half = RoundQ10(c / 2);
  if (InkFarApart(a, na, b, nb, RoundQ10(static_cast<int32_t>(int64_t{kMaxGap - 1} * c)) + half)) return kFarApart;
  const int32_t columns = CellCount(box.x1 - box.x0, c);
  const int32_t rows = CellCount(box.y1 - box.y0, c);
  if (columns <= 0 || rows <= 0) return kFarApart;
  Reserve(g_work.cells, g_work.cellRoom, static_cast<size_t>(columns) * rows);
  Reserve(g_work.sampleX, g_work.sampleXRoom, static_cast<size_t>(columns));
  Reserve(g_work.sampleY, g_work.sampleYRoom, static_cast<size_t>(rows));
  std::memset(g_work.cells, 0, static_cast<size_t>(columns) * rows);
  for (int32_t k = 0; k < columns; ++k) g_work.sampleX[k] = box.x0 + RoundQ10(static_cast<int32_t>(int64_t{k} * c));
  for (int32_t l = 0; l < rows; ++l) g_work.sampleY[l] = box.y0 + RoundQ10(static_cast<int32_t>(int64_t{l} * c));
  for (int32_t i = 0; i < na; ++i) MarkAtomCells(a[i], 1, columns, rows, half);
  for (int32_t i = 0; i < nb; ++i) MarkAtomCells(b[i], 2, columns, rows, half);

  // Two gaps per direction: columns down, rows across, the two diagonals.
  int32_t gaps[4][2];
  for (auto& g : gaps) g[0] = g[1] = kMaxGap;
  for (int32_t k = 0; k < columns; ++k) ScanGridLine(columns, rows, 0, k, 1, 0, &gaps[0][0], &gaps[0][1]);
  for (int32_t l = 0; l < rows; ++l) ScanGridLine(columns, rows, l, 0, 0, 1, &gaps[1][0], &gaps[1][1]);
  for (int32_t k = 0; k < columns; ++k) ScanGridLine(columns, rows, 0, k, 1, 1, &gaps[2][0], &gaps[2][1]);
  for (int32_t l = 1; l < rows; ++l) ScanGridLine(columns, rows, l, 0, 1, 1, &gaps[2][0], &gaps[2][1]);
  for (int32_t k = 0; k < columns; ++k) ScanGridLine(columns, rows, 0, k, 1, -1, &gaps[3][0], &gaps[3][1]);
  for (int32_t l = 1; l < rows; ++l) ScanGridLine(columns, rows, l, columns - 1, 1, -1, &gaps[3][0], &gaps[3][1]);
  int32_t sum = 0;
  for (int32_t d = 0; d < 4; ++d)
    for (int32_t side = 0; side < 2; ++side) sum += d < 2 ? GapTerm(gaps[d][side]) : GapTerm(gaps[d][side]) / 2;
  const int32_t root = IntSqrt(sum);
  return root == 0 ? kFarApart : DivRound(kFarApart, root);
}

int32_t AtomClusterCost(const int32_t* a, int32_t na, const int32_t* b, int32_t nb) {
  ENGINE_CHECK(na >= 1 && nb >= 1);
  if (a[0] >= b[0]) return kMergeNoJoin;  // each pair is costed one way
  if (na + nb > kMaxClusterAtoms) return kMergeNoJoin;
  const EngineBox box = UnionBox(AtomsBox(a, na), AtomsBox(b, nb));
  const int32_t w = g_work.patchWidth;
  const int32_t width = box.x1 - box.x0;
  if (width > w || box.y1 - box.y0 > g_work.patchHeight) return kMergeNoJoin;
  const int32_t penalty = width > w / 2 ? DivRound((width - w / 2) * 600, w) : 0;
  if (na == 1 && nb == 1 && HasAtomPair(a[0], b[0])) return 0;
  return AtomListPairCost(a, na, b, nb, box) + penalty;
}

int32_t RestPlacementHolds(const EngineBox& box, int32_t type) {
  if (GetStaffCount() <= 0) return 0;
  const int32_t x = (box.x0 + box.x1) / 2;
  const int32_t staff = NearestStaff((box.y0 + box.y1) / 2, x);
  const int32_t t = ScaleToPixelsForStaff(staff, 15);
  const int32_t lo = ScaleToPixelsForStaff(staff, 30);
  const int32_t hi = ScaleToPixelsForStaff(staff, 85);
  bool topOnLine = false, bottomOnLine = false, bottomBelowLine = false, topAboveLine = false;
  for (int32_t line = 0; line < GetStaffLineCount(staff); ++line) {
    const int32_t y = StaffLineY(staff, line, x);
    topOnLine = topOnLine || std::abs(box.y0 - y) <= t;
    bottomOnLine = bottomOnLine || std::abs(box.y1 - y) <= t;
    bottomBelowLine = bottomBelowLine || In(box.y1 - y, lo, hi);
    topAboveLine = topAboveLine || In(y - box.y0, lo, hi);
  }
  switch (type) {
    case 40: return topOnLine && bottomOnLine ? 1 : 0;
    case 41: return topOnLine && bottomBelowLine ? 1 : 0;
    case 42: return bottomOnLine && topAboveLine ? 1 : 0;
    default: return 1;
  }
}

int32_t BarDotPlacementHolds(int32_t y, int32_t x) {
  if (GetStaffCount() <= 0) return 0;
  const int32_t staff = NearestStaff(y, x);
  if (GetStaffLineCount(staff) != 5) return 0;
  const int32_t middle = StaffLineY(staff, 2, x);
  const int32_t reach = ScaleToPixelsAt(y, x, 20);
  const int32_t half = ScaleToPixelsAt(y, x, 50);
  return std::abs(y - (middle + half)) <= reach || std::abs(y - (middle - half)) <= reach ? 1 : 0;
}

void RecogniseFixedSymbols() {
  if (GetStaffCount() <= 0 || GetPageStaffSpace() <= 0) return;
  ForEachComponent(SmallComponentTest);
  SplitTouchingComponents();
  MakeAtomsFromComponents();
  g_work.patchWidth = FixedSymbolPatchWidth();
  g_work.patchHeight = FixedSymbolPatchHeight();
  EngineFree(g_work.patch);
  if (g_work.patchWidth <= 0 || g_work.patchHeight <= 0) return;
  EngineAllocChecked(g_work.patch, static_cast<size_t>(g_work.patchWidth) * g_work.patchHeight);
  RecogniseAtomGroups();
}

void RecogniseAtomGroups() {
  if (g_work.patch == nullptr) return;
  const int32_t count = GetSymbolAtomCount();
  EngineFree(g_work.boxes);
  EngineFree(g_work.groupBoxes);
  g_work.boxCount = 0;
  EngineAllocChecked(g_work.boxes, sizeof(EngineBox) * static_cast<size_t>(std::max(count, 1)));
  EngineAllocChecked(g_work.groupBoxes, sizeof(EngineBox) * static_cast<size_t>(std::max(count, 1)));
  for (int32_t i = 0; i < count; ++i) g_work.boxes[i] = g_work.groupBoxes[i] = GetSymbolAtomBox(i);
  g_work.boxCount = count;
  BeginMerge();
  for (int32_t i = 0; i < count; ++i) {
    const EngineBox box = g_work.boxes[i];
    if (box.x1 - box.x0 >= g_work.patchWidth || box.y1 - box.y0 >= g_work.patchHeight) continue;
    *static_cast<int32_t*>(NewMergeItem(sizeof(int32_t))) = i;
  }
  RunMerge(ClusterCost, JoinBoxes, ClusterCentre, ClusterSearchBox, nullptr, 8, 8, kMergeLimit);
  ForEachMergedGroup(RecogniseGroupCallback);
  EndMerge();
  g_work.boxCount = 0;
  EngineFree(g_work.boxes);
  EngineFree(g_work.groupBoxes);
}

void RecogniseAtomGroup(MergeGroup* group) {
  ENGINE_CHECK_POINTER(group);
  int32_t atoms[kMaxClusterAtoms];
  const int32_t n = GroupAtoms(group, atoms, kMaxClusterAtoms);
  ENGINE_CHECK(n >= 1 && n <= kMaxClusterAtoms);

  // 1. Which atoms may belong to one symbol.
  uint8_t adjacency[kMaxClusterAtoms][kMaxClusterAtoms] = {};
  for (int32_t i = 0; i < n; ++i)
    for (int32_t j = i + 1; j < n; ++j) {
      const EngineBox box = UnionBox(AtomBox(atoms[i]), AtomBox(atoms[j]));
      const bool near = AtomListPairCost(&atoms[i], 1, &atoms[j], 1, box) < kApartCost;
      adjacency[i][j] = adjacency[j][i] = near ? 1 : 0;
    }
  ClusterDecomposition decomposition;
  DecomposeCluster(&decomposition, adjacency, n, kMaxClusterCovers);

  // 2 to 5. Every subset classified, filtered and scored.
  const double staffSpace = ScaleToPixels(100);
  SubsetRecord* subsets = nullptr;
  EngineAllocChecked(subsets, sizeof(SubsetRecord) * static_cast<size_t>(decomposition.subsetCount));
  struct Holder {
    SubsetRecord*& subsets;
    ~Holder() { EngineFree(subsets); }
  } holder{subsets};
  for (int32_t m = 0; m < decomposition.subsetCount; ++m) {
    const int32_t mask = decomposition.subsets[m];
    SubsetRecord& s = subsets[m];
    s = SubsetRecord{};
    int32_t members[kMaxClusterAtoms];
    int32_t count = 0;
    s.size = 0;
    for (int32_t i = 0; i < n; ++i) {
      if (((mask >> i) & 1) == 0) continue;
      members[count++] = atoms[i];
      const EngineBox box = AtomBox(atoms[i]);
      s.size += std::sqrt(static_cast<double>(box.x1 - box.x0) * (box.y1 - box.y0)) / staffSpace;
    }
    s.box = AtomsBox(members, count);
    DrawSubset(atoms, n, mask, s.box);
    ClassifyAtomPatch(&s.candidates, g_work.patch, s.box.x0, s.box.y0, s.box.x1, s.box.y1, &s.referenceHeight);
    FilterCandidates(s);
    if (count == 1 && IsAtomFlagged(members[0])) {
      s.known = 1;
      s.forcedCost = GetSymbolAtom(members[0]).link;
    } else if (count == 2 && HasAtomPair(members[0], members[1])) {
      s.known = 1;
      s.forcedCost = GetAtomPairValue(members[0], members[1]);
    }
    if (s.known) {
      // The subset is the object an earlier stage found: it scores with that
      // object's cost and adds no symbol.
      s.candidates.count = 0;
      const double q = 1.0 - UnlinkedSymbolProbability(0, s.forcedCost, s.box);
      s.score = q + 0.75 * q * s.size;
    } else if (s.candidates.count > 0) {
      const SymbolCandidate best = s.candidates.entries[0];
      const double q = 1.0 - UnlinkedSymbolProbability(best.type, best.cost, s.box);
      s.score = q + 0.75 * q * s.size;
    } else {
      s.score = 1.5 * s.size;
    }
  }

  // 6. The cheapest cover, the first on ties.
  int32_t best = -1;
  double bestScore = 0;
  for (int32_t r = 0; r < decomposition.coverCount; ++r) {
    const int32_t* cover = decomposition.covers + static_cast<size_t>(r) * kCoverWords;
    double sum = 0;
    for (int32_t k = 0; k < cover[0]; ++k) sum += subsets[cover[1 + k]].score;
    if (best < 0 || sum < bestScore) {
      best = r;
      bestScore = sum;
    }
  }
  ENGINE_CHECK(best >= 0);
  const int32_t* chosen = decomposition.covers + static_cast<size_t>(best) * kCoverWords;
  bool inCover[kMaxClusterSubsets] = {};
  for (int32_t k = 0; k < chosen[0]; ++k) inCover[chosen[1 + k]] = true;

  // 7. The symbols of the chosen subsets.
  for (int32_t k = 0; k < chosen[0]; ++k) {
    const int32_t m = chosen[1 + k];
    const SubsetRecord& s = subsets[m];
    if (s.candidates.count == 0 || !In(s.candidates.entries[0].type, kMinFixedSymbolType, kMaxFixedSymbolType))
      continue;
    AddSubsetSymbols(atoms, n, decomposition.subsets[m], s);
  }
  // 8. Known readings that lost: their objects go.
  for (int32_t m = 0; m < decomposition.subsetCount; ++m)
    if (subsets[m].known && !inCover[m]) ReleaseSubsetObjects(atoms, n, decomposition.subsets[m]);
}

void FreeFixedSymbolPatch() {
  EngineFree(g_work.patch);
  EngineFree(g_work.cells);
  EngineFree(g_work.sampleX);
  EngineFree(g_work.sampleY);
  EngineFree(g_work.boxes);
  EngineFree(g_work.groupBoxes);
  g_work = Work{};
}
