// Anchor points of the line-like objects of a page (two per object) with a
// spatial index, so that finders can ask which objects end inside a box.
#pragma once

#include <climits>
#include <cstdint>

#include "Code/Quorm/Geometry.h"
#include "Code/Quorm/Heapcheck.h"

// Point kinds come in pairs, one per end of an object.
enum ObjectPointKind : int32_t {
  kPointBeamLeft = 0, kPointBeamRight = 1,
  kPointLedgerLeft = 2, kPointLedgerRight = 3,
  kPointHeadLeft = 4, kPointHeadRight = 5,
  kPointStemTop = 6, kPointStemBottom = 7,
  kPointBarTop = 8, kPointBarBottom = 9,
  kPointSlurStart = 10, kPointSlurEnd = 11,
};

// Object kinds of the found objects (the object graph's kinds); a fixed-size
// symbol's kind is its symbol type (kMinFixedSymbolType..kMaxFixedSymbolType).
enum ObjectKind : int32_t {
  kObjectVerticalLine = 1, kObjectNotehead = 2, kObjectBeam = 3, kObjectSlur = 5,
  kObjectBarLine = 6, kObjectLedgerLine = 7, kObjectTextBlockItem = 29, kObjectLyricWord = 30,
};

constexpr int32_t kRemovedPointCoordinate = INT32_MIN;

struct ObjectPoint {
  int32_t kind;
  int32_t object;  // index in the finder's own table
  int32_t y;
  int32_t x;
};

void InitialiseObjectPoints();  // needs the page image loaded
// Returns the spatial index's cell slot of the new point.
int32_t AddObjectPoint(int32_t kind, int32_t object, int32_t y, int32_t x);
// Allocates *objects (which must be empty) from the engine heap and writes the
// object index of every point of that kind in the half-open box; returns how
// many. The caller frees the array with EngineFree.
int32_t FindObjectPointsInBox(int32_t kind, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                              int32_t** objects);
// The same, freed however the caller's scope is left.
class PointsInBox {
 public:
  PointsInBox(int32_t pointKind, const EngineBox& box);
  PointsInBox(const PointsInBox&) = delete;
  PointsInBox& operator=(const PointsInBox&) = delete;
  int32_t count() const { return count_; }
  int32_t operator[](int32_t i) const { return objects_[static_cast<size_t>(i)]; }
  int32_t* begin() { return objects_.get(); }  // the objects may be reordered in place
  int32_t* end() { return objects_.get() + count_; }
  int32_t* Release() { return objects_.Release(); }  // the caller frees them with EngineFree

 private:
  OwnedEngineBlock<int32_t> objects_;
  int32_t count_ = 0;
};
void RemoveObjectPoint(int32_t kind, int32_t object);
void FreeObjectPoints();
int32_t PointKindToObjectKind(int32_t kind);  // an ObjectKind

int32_t GetObjectPointCount();
ObjectPoint GetObjectPoint(int32_t row);  // checked 0..count-1

// One graph node per lyric word (kind 30) and per text-block item (kind 29)
// of the text finder, referenced line x 1000 + item.
void AddTextNodesToGraph();
int32_t GetObjectPointCapacity();
