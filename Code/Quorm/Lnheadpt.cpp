// Anchor points: one table of object ends with a grid index over the page
// and a key index (sorted by kind, then object) built when first needed.
#include "Code/Quorm/Lnheadpt.h"

#include <algorithm>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findtext.h"
#include "Code/Quorm/Grange.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/mocgraph.h"

namespace {

constexpr int32_t kFirstPoints = 2000;
constexpr int32_t kCellSize = 32;

struct PointState {
  ObjectPoint* points;
  int32_t count;
  int32_t capacity;
  GrangeGrid* grid;
  int32_t* keyIndex;  // rows sorted by (kind, object); null when stale
  int32_t height;
  int32_t width;
};

PointState g_points;

GrangePoint PointKey(int32_t row) { return GrangePoint{g_points.points[row].x, g_points.points[row].y}; }

void BuildKeyIndex() {
  EngineAlloc(g_points.keyIndex, (g_points.count > 0 ? g_points.count : 1) * sizeof(int32_t));
  for (int32_t i = 0; i < g_points.count; ++i) g_points.keyIndex[i] = i;
  std::stable_sort(g_points.keyIndex, g_points.keyIndex + g_points.count, [](int32_t a, int32_t b) {
    const ObjectPoint& p = g_points.points[a];
    const ObjectPoint& q = g_points.points[b];
    return p.kind != q.kind ? p.kind < q.kind : p.object < q.object;
  });
}

}  // namespace

void InitialiseObjectPoints() {
  ENGINE_CHECK(g_points.keyIndex == nullptr);
  FreeObjectPoints();
  g_points.height = GetPageImageHeight();
  g_points.width = GetPageImageWidth();
  ENGINE_CHECK(g_points.width >= 1 && g_points.height >= 1);
  EngineAlloc(g_points.points, kFirstPoints * sizeof(ObjectPoint));
  g_points.capacity = kFirstPoints;
  GrangeCreate(&g_points.grid, PointKey, kCellSize, kCellSize, g_points.width, g_points.height);
}

int32_t AddObjectPoint(int32_t kind, int32_t object, int32_t y, int32_t x) {
  ENGINE_CHECK(g_points.points != nullptr);
  ENGINE_CHECK(y >= 0 && y < g_points.height && x >= 0 && x < g_points.width);
  PointKindToObjectKind(kind);
  EngineFree(g_points.keyIndex);
  if (g_points.count == g_points.capacity) GrowEngineArrayChecked(g_points.points, g_points.capacity, kFirstPoints);
  const int32_t row = g_points.count++;
  g_points.points[row] = ObjectPoint{kind, object, y, x};
  return GrangeAdd(&g_points.grid, row);
}

PointsInBox::PointsInBox(int32_t pointKind, const EngineBox& box) {
  ENGINE_CHECK(g_points.points != nullptr);
  const int32_t room = g_points.count > 0 ? g_points.count : 1;
  EngineAllocChecked(objects_.slot(), room * sizeof(int32_t));
  OwnedEngineBlock<int32_t> rows;
  EngineAllocChecked(rows.slot(), room * sizeof(int32_t));
  int32_t found = GrangeQuery(&g_points.grid, box.x0, box.y0, box.x1, box.y1, rows.get(), room);
  if (found > room) found = room;
  for (int32_t i = 0; i < found; ++i) {
    const ObjectPoint& p = g_points.points[rows[static_cast<size_t>(i)]];
    ENGINE_CHECK(p.y != kRemovedPointCoordinate);
    if (p.kind == pointKind) objects_[static_cast<size_t>(count_++)] = p.object;
  }
}

int32_t FindObjectPointsInBox(int32_t kind, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t** objects) {
  ENGINE_CHECK_POINTER(objects);
  ENGINE_CHECK(*objects == nullptr);
  PointsInBox found(kind, EngineBox{x0, y0, x1, y1});
  *objects = found.Release();
  return found.count();
}

void RemoveObjectPoint(int32_t kind, int32_t object) {
  if (g_points.points == nullptr || g_points.count == 0) return;
  if (g_points.keyIndex == nullptr) BuildKeyIndex();
  int32_t lo = 0;
  int32_t hi = g_points.count;
  while (lo < hi) {
    const int32_t mid = (lo + hi) / 2;
    const ObjectPoint& p = g_points.points[g_points.keyIndex[mid]];
    if (p.kind < kind || (p.kind == kind && p.object < object))
      lo = mid + 1;
    else
      hi = mid;
  }
  // The first live row of that key (a removed object may have come back).
  for (; lo < g_points.count; ++lo) {
    const ObjectPoint& p = g_points.points[g_points.keyIndex[lo]];
    if (p.kind != kind || p.object != object) return;
    if (p.y != kRemovedPointCoordinate) break;
  }
  if (lo == g_points.count) return;
  const int32_t row = g_points.keyIndex[lo];
  ObjectPoint& p = g_points.points[row];
  GrangeRemove(&g_points.grid, row);
  p.y = kRemovedPointCoordinate;
  p.x = kRemovedPointCoordinate;
}

void FreeObjectPoints() {
  EngineFree(g_points.points);
  EngineFree(g_points.keyIndex);
  if (g_points.grid != nullptr) GrangeFree(&g_points.grid);
  g_points = PointState{};
}

int32_t PointKindToObjectKind(int32_t kind) {
  static const int32_t kObjectKinds[6] = {kObjectBeam,         kObjectLedgerLine, kObjectNotehead,
                                          kObjectVerticalLine, kObjectBarLine,    kObjectSlur};
  ENGINE_CHECK(kind >= 0 && kind < 12);
  return kObjectKinds[kind / 2];
}

int32_t GetObjectPointCount() { return g_points.count; }

ObjectPoint GetObjectPoint(int32_t row) {
  ENGINE_CHECK_INDEX(row, g_points.count);
  return g_points.points[row];
}

int32_t GetObjectPointCapacity() { return g_points.capacity; }

void AddTextNodesToGraph() {
  for (int32_t line = 0; line < GetLyricLineCount(); ++line)
    for (int32_t word = 0; word < GetLyricLineWordCount(line) && word < kTextRefItems; ++word)
      AddGraphNode(kObjectLyricWord, MakeTextItemRef(line, word));
  for (int32_t block = 0; block < GetTextBlockCount(); ++block)
    for (int32_t item = 0; item < GetTextBlockItemCount(block) && item < kTextRefItems; ++item)
      AddGraphNode(kObjectTextBlockItem, MakeTextItemRef(block, item));
}
