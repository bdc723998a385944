#include "Code/Quorm/Grange.h"

#include <algorithm>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapmem.h"

namespace {

constexpr int32_t kNone = -1;
constexpr int32_t kCellHeadItem = INT32_MIN;  // 0x80000000
constexpr int32_t kHeaderSlots = 5;
constexpr int32_t kGrowthSlots = 10000;  // the item slots of a new grid

struct Slot {
  int32_t item;
  int32_t next;
};

struct Header {
  int32_t width, height, xShift, yShift, columns, rows;
  GrangeKey key;
  int32_t nextFree, capacity;
};
static_assert(sizeof(Header) <= kHeaderSlots * sizeof(Slot), "the header fits its five slots");

}  // namespace

struct GrangeGrid {
  Header header;
};

namespace {

Header& HeaderOf(GrangeGrid* grid) { return grid->header; }
Slot* SlotsOf(GrangeGrid* grid) { return reinterpret_cast<Slot*>(grid); }

int32_t CellShift(int32_t size) {
  if (size == 1) return 0;
  if (size == 2) return 1;
  if (size <= 5) return 2;
  int32_t m = static_cast<int32_t>((11LL * size + 8) / 16);
  if (m < 2) return 0;
  int32_t s = 0;
  while ((int64_t{1} << s) < m) ++s;
  return s;
}

GrangeGrid* CheckedGrid(GrangeGrid** slot) {
  ENGINE_CHECK_POINTER(slot);
  ENGINE_CHECK_POINTER(*slot);
  return *slot;
}

}  // namespace

void GrangeCreate(GrangeGrid** slot, GrangeKey key, int32_t cellWidth, int32_t cellHeight, int32_t width,
                  int32_t height, int32_t itemSlots) {
  ENGINE_CHECK_POINTER(slot);
  ENGINE_CHECK(*slot == nullptr);
  ENGINE_CHECK_POINTER(key);
  ENGINE_CHECK(width >= 1 && height > 0 && cellWidth >= 1 && cellHeight > 0);
  if (cellWidth > width) cellWidth = (width + 1) / 2;
  if (cellHeight > height) cellHeight = (height + 1) / 2;
  int32_t xShift = CellShift(cellWidth);
  int32_t yShift = CellShift(cellHeight);
  int64_t columns = (int64_t{width} + (int64_t{1} << xShift) - 1) >> xShift;
  int64_t rows = (int64_t{height} + (int64_t{1} << yShift) - 1) >> yShift;
  int64_t cells = columns * rows;
  ENGINE_CHECK(cells + kHeaderSlots + kGrowthSlots + 5 <= INT32_MAX);
  const int64_t items = std::min<int64_t>(std::max<int64_t>(kGrowthSlots, itemSlots), INT32_MAX - 5 - kHeaderSlots - cells);
  int32_t capacity = static_cast<int32_t>(cells + kHeaderSlots + items);
  void* block = nullptr;
  if (!NamedAlloc(&block, sizeof(Slot) * static_cast<size_t>(capacity), "grange")) return;
  GrangeGrid* grid = static_cast<GrangeGrid*>(block);
  Header& h = HeaderOf(grid);
  h = {width, height, xShift, yShift, static_cast<int32_t>(columns), static_cast<int32_t>(rows), key,
       static_cast<int32_t>(cells + kHeaderSlots), capacity};
  Slot* slots = SlotsOf(grid);
  for (int64_t c = 0; c < cells; ++c) slots[kHeaderSlots + c] = {kCellHeadItem, kNone};
  *slot = grid;
}

int32_t GrangeAdd(GrangeGrid** slot, int32_t item) {
  GrangeGrid* grid = CheckedGrid(slot);
  if (HeaderOf(grid).nextFree == HeaderOf(grid).capacity) {
    // The item slots (those past the cells) double; the cells stay.
    const Header& h = HeaderOf(grid);
    const int32_t cellSlots = kHeaderSlots + h.columns * h.rows;
    const size_t items = GrownCapacity(static_cast<size_t>(h.capacity - cellSlots), kGrowthSlots,
                                       static_cast<size_t>(INT32_MAX - cellSlots));
    ENGINE_CHECK(items > 0);
    const int32_t capacity = cellSlots + static_cast<int32_t>(items);
    void* block = grid;
    if (!NamedRealloc(&block, sizeof(Slot) * static_cast<size_t>(capacity))) return kNone;
    grid = *slot = static_cast<GrangeGrid*>(block);
    HeaderOf(grid).capacity = capacity;
  }
  Header& h = HeaderOf(grid);
  GrangePoint key = h.key(item);
  ENGINE_CHECK(key.x >= 0 && key.x < h.width && key.y >= 0 && key.y < h.height);
  int32_t cell = (key.y >> h.yShift) * h.columns + (key.x >> h.xShift) + kHeaderSlots;
  Slot* slots = SlotsOf(grid);
  int32_t index = h.nextFree++;
  slots[index] = {item, slots[cell].next};
  slots[cell].next = index;
  return cell;
}

void GrangeAddRange(GrangeGrid** slot, int32_t n) {
  for (int32_t item = 0; item < n; ++item) GrangeAdd(slot, item);
}

void GrangeRemove(GrangeGrid** slot, int32_t item) {
  GrangeGrid* grid = CheckedGrid(slot);
  Header& h = HeaderOf(grid);
  GrangePoint key = h.key(item);
  ENGINE_CHECK(key.x >= 0 && key.x < h.width && key.y >= 0 && key.y < h.height);
  int32_t cell = (key.y >> h.yShift) * h.columns + (key.x >> h.xShift) + kHeaderSlots;
  Slot* slots = SlotsOf(grid);
  for (int32_t at = cell; slots[at].next != kNone; at = slots[at].next) {
    if (slots[slots[at].next].item == item) {
      slots[at].next = slots[slots[at].next].next;
      return;
    }
  }
}

int32_t GrangeQuery(GrangeGrid** slot, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t* result,
                    int32_t max) {
  GrangeGrid* grid = CheckedGrid(slot);
  ENGINE_CHECK_POINTER(result);
  ENGINE_CHECK(max > 0);
  const Header& h = HeaderOf(grid);
  int32_t loX = std::min(h.width, std::max(0, x0));
  int32_t loY = std::min(h.height, std::max(0, y0));
  int32_t hiX = std::max(0, std::min(h.width, x1));
  int32_t hiY = std::max(0, std::min(h.height, y1));
  if (loX >= hiX || loY >= hiY) return 0;
  const Slot* slots = SlotsOf(grid);
  int32_t count = 0;
  for (int32_t column = loX >> h.xShift; column <= (hiX - 1) >> h.xShift; ++column) {
    for (int32_t row = loY >> h.yShift; row <= (hiY - 1) >> h.yShift; ++row) {
      int32_t cell = row * h.columns + column + kHeaderSlots;
      for (int32_t at = slots[cell].next; at != kNone; at = slots[at].next) {
        if (count == max) return max + 1;
        GrangePoint key = h.key(slots[at].item);
        if (key.x >= loX && key.x < hiX && key.y >= loY && key.y < hiY) result[count++] = slots[at].item;
      }
    }
  }
  return count;
}

void GrangeFree(GrangeGrid** slot) {
  if (slot == nullptr) return;
  void* block = *slot;
  NamedFree(&block);
  *slot = nullptr;
}

GrangeShape GrangeShapeOf(const GrangeGrid* grid) {
  ENGINE_CHECK_POINTER(grid);
  const Header& h = grid->header;
  return {h.xShift, h.yShift, h.columns, h.rows, h.capacity};
}
