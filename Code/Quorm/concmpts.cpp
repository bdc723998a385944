// The page's connected components.
#include "Code/Quorm/concmpts.h"

#include <algorithm>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Onebpp.h"

namespace {

constexpr int32_t kFirstRecords = 1000;
constexpr int32_t kQueueCapacity = 2000;
constexpr int32_t kQueueDropWhenNoneHandled = 100;
constexpr int32_t kMergeCandidates = 100;
constexpr int32_t kGridCell = 32;

struct QueuedRun {
  int32_t row;
  int32_t first;  // first column
  int32_t end;    // one past the last column
};

ConnectedComponent* gTable = nullptr;
int32_t gCount = 0;
int32_t gCapacity = 0;
int32_t gLeastTop = 0x7FFFFFFF;
int32_t gLeastLeft = 0x7FFFFFFF;
int32_t gGreatestBottom = 0;
int32_t gGreatestRight = 0;

QueuedRun* gQueue = nullptr;
int32_t gQueued = 0;       // runs in the queue
int32_t gHandled = 0;      // of them, already extended
int32_t gQueuedTotal = 0;  // runs queued by the current fill
bool gOverflow = false;
int32_t gMaxWidth = 0;
int32_t gMaxHeight = 0;
int32_t gMaxRuns = 0;
EngineBox gFillBox{};      // x1, y1 excluded

GrangeGrid* gGrid = nullptr;
int32_t* gCandidates = nullptr;

void ResetBounds() {
  gLeastTop = gLeastLeft = 0x7FFFFFFF;
  gGreatestBottom = gGreatestRight = 0;
}

void SetBitRange(uint32_t* words, int32_t first, int32_t count) {
  for (int32_t bit = first; bit < first + count; ++bit) words[bit >> 5] |= 1u << (bit & 31);
}

void QueueRun(int32_t row, int32_t first, int32_t end) {
  ClearRowSpan(row, first, end);
  if (++gQueuedTotal >= gMaxRuns) gOverflow = true;
  if (gQueued == kQueueCapacity) {
    // Make room: drop the runs already extended (or the oldest ones).
    int32_t drop = gHandled > 0 ? gHandled : kQueueDropWhenNoneHandled;
    std::copy(gQueue + drop, gQueue + gQueued, gQueue);
    gQueued -= drop;
    gHandled = gHandled > drop ? gHandled - drop : 0;
  }
  gQueue[gQueued++] = QueuedRun{row, first, end};
  gFillBox.x0 = std::min(gFillBox.x0, first);
  gFillBox.x1 = std::max(gFillBox.x1, end);
  gFillBox.y0 = std::min(gFillBox.y0, row);
  gFillBox.y1 = std::max(gFillBox.y1, row + 1);
}

// Queues the runs of row that touch the columns from first - 1 to end
// (8-neighbours of a run in the next row).
void ExtendIntoRow(int32_t row, int32_t first, int32_t end) {
  const int32_t width = GetPageImageWidth();
  if (row < 0 || row >= GetPageImageHeight()) return;
  int32_t x = std::max(first - 1, 0);
  const int32_t last = std::min(end, width - 1);
  while (x <= last) {
    if (!GetPagePixel(row, x)) {
      ++x;
      continue;
    }
    int32_t left = x;
    while (left > 0 && GetPagePixel(row, left - 1)) --left;
    int32_t right = BlackRunEndRight(row, x, width);
    QueueRun(row, left, right);
    x = right + 1;
  }
}

void AddRecord() {
  if (gCount == gCapacity) GrowEngineArrayChecked(gTable, gCapacity, kFirstRecords);
  // Counted before its raster is allocated, so that the table's free
  // function owns the raster whatever happens.
  ConnectedComponent& record = gTable[gCount];
  record = ConnectedComponent{gFillBox.y0, gFillBox.x0, gFillBox.y1 - gFillBox.y0, gFillBox.x1 - gFillBox.x0, nullptr,
                              -1, gCount};
  ++gCount;
  EngineAllocZeroedChecked(record.bits, static_cast<size_t>(RasterWordCount(record.rows, record.columns)) * 4);
  for (int32_t i = 0; i < gQueued; ++i) {
    const QueuedRun& run = gQueue[i];
    SetBitRange(record.bits, (run.row - record.top) * record.columns + (run.first - record.left), run.end - run.first);
  }
  gLeastTop = std::min(gLeastTop, record.top);
  gLeastLeft = std::min(gLeastLeft, record.left);
  gGreatestBottom = std::max(gGreatestBottom, record.top + record.rows);
  gGreatestRight = std::max(gGreatestRight, record.left + record.columns);
}

void Fill(int32_t row, int32_t column) {
  ENGINE_CHECK(GetPagePixel(row, column) == 1);
  gQueued = gHandled = gQueuedTotal = 0;
  gOverflow = false;
  gFillBox = EngineBox{column, row, column, row};
  QueueRun(row, column, BlackRunEndRight(row, column, GetPageImageWidth()));
  while (gHandled < gQueued) {
    QueuedRun run = gQueue[gHandled++];
    ExtendIntoRow(run.row - 1, run.first, run.end);
    ExtendIntoRow(run.row + 1, run.first, run.end);
  }
  if (gOverflow) return;
  if (gFillBox.y1 - gFillBox.y0 > gMaxHeight || gFillBox.x1 - gFillBox.x0 > gMaxWidth) return;
  AddRecord();
}

GrangePoint KeyOfComponent(int32_t item) { return GetComponentKey(item); }

// ---- Splitting touching symbols ----

constexpr int32_t kSplitMaxArea = 40000;
constexpr int32_t kSplitMaxHeight = 300;
constexpr int32_t kSplitReachPercent = 400;     // above the top and below the bottom line
constexpr int32_t kSplitMinSizePercent = 50;    // least height, and least width of a part
constexpr int32_t kSplitTolerancePercent = 15;  // the division points' fit

// Ink per column of a raster; freed however the scope is left.
struct ColumnInk {
  int32_t* counts = nullptr;
  explicit ColumnInk(const ConnectedComponent& c) {
    EngineAllocZeroedChecked(counts, static_cast<size_t>(c.columns) * sizeof(int32_t));
    for (int32_t r = 0; r < c.rows; ++r)
      for (int32_t k = 0; k < c.columns; ++k) counts[k] += GetBitMatrixBit(c, r, k);
  }
  ~ColumnInk() { EngineFree(counts); }
  ColumnInk(const ColumnInk&) = delete;
  ColumnInk& operator=(const ColumnInk&) = delete;
};

// The number of equal parts (2 to 4, most first) whose division columns all
// find a neck within the tolerance, with the cut columns; 0 when none fits.
int32_t FindEqualCuts(const ConnectedComponent& c, int32_t minWidth, int32_t tolerance, int32_t cuts[3]) {
  ColumnInk ink(c);
  int64_t total = 0;
  for (int32_t k = 0; k < c.columns; ++k) total += ink.counts[k];
  const int64_t neck = std::max<int64_t>(1, total / (4 * static_cast<int64_t>(c.columns)));
  for (int32_t parts = 4; parts >= 2; --parts) {
    if (c.columns / parts < minWidth) continue;
    bool fits = true;
    for (int32_t i = 1; i < parts && fits; ++i) {
      int32_t nominal = (2 * i * c.columns + parts) / (2 * parts);
      int32_t best = -1;
      for (int32_t k = std::max(nominal - tolerance, 1); k <= std::min(nominal + tolerance, c.columns - 2); ++k)
        if (best < 0 || ink.counts[k] < ink.counts[best]) best = k;
      fits = best >= 0 && ink.counts[best] <= neck && (i == 1 || best > cuts[i - 2] + 1);
      if (fits) cuts[i - 1] = best;
    }
    if (fits) return parts;
  }
  return 0;
}

// The columns from..to-1 of a component, trimmed.
ConnectedComponent CutPart(const ConnectedComponent& c, int32_t from, int32_t to) {
  ConnectedComponent part{c.top, c.left + from, c.rows, to - from, nullptr, -1, -1};
  EngineAllocZeroedChecked(part.bits, static_cast<size_t>(RasterWordCount(part.rows, part.columns)) * 4);
  for (int32_t r = 0; r < c.rows; ++r) OrBits(c.bits, r * c.columns + from, part.bits, r * part.columns, part.columns);
  TrimRaster(&part);
  return part;
}

bool IsSymbolSized(const ConnectedComponent& c, int32_t* staff) {
  if (c.link == -2 || static_cast<int64_t>(c.rows) * c.columns >= kSplitMaxArea || c.rows >= kSplitMaxHeight) return false;
  const int32_t column = c.left + c.columns / 2;
  *staff = NearestStaff(c.top + c.rows / 2, column);
  const int32_t reach = ScaleToPixelsForStaff(*staff, kSplitReachPercent);
  if (c.top < StaffTopLineY(*staff, column) - reach || c.top + c.rows > StaffBottomLineY(*staff, column) + reach)
    return false;
  const int32_t least = ScaleToPixelsForStaff(*staff, kSplitMinSizePercent);
  return c.rows >= least && c.columns >= 2 * least;
}

// Replaces record i by its parts (the first in its place, the others at the
// end); false, with nothing changed, when a part would be empty.
bool ReplaceByParts(int32_t i, int32_t parts, const int32_t cuts[3]) {
  ConnectedComponent pieces[4] = {};
  bool empty = false;
  for (int32_t j = 0; j < parts; ++j) {
    int32_t from = j == 0 ? 0 : cuts[j - 1] + 1;
    int32_t to = j == parts - 1 ? gTable[i].columns : cuts[j];
    pieces[j] = CutPart(gTable[i], from, to);
    empty = empty || pieces[j].rows == 0;
  }
  if (empty) {
    for (int32_t j = 0; j < parts; ++j) FreeRasterBits(&pieces[j]);
    return false;
  }
  FreeRasterBits(&gTable[i]);
  pieces[0].index = gTable[i].index;
  gTable[i] = pieces[0];
  for (int32_t j = 1; j < parts; ++j) {
    if (gCount == gCapacity) GrowEngineArrayChecked(gTable, gCapacity, kFirstRecords);
    pieces[j].index = gCount;
    gTable[gCount++] = pieces[j];
    pieces[j].bits = nullptr;
  }
  return true;
}

bool ComesFirst(const ConnectedComponent& a, const ConnectedComponent& b) {
  bool aDropped = a.link == -2;
  bool bDropped = b.link == -2;
  if (aDropped != bDropped) return bDropped;
  if (a.top != b.top) return a.top < b.top;
  return a.left < b.left;
}

}  // namespace

void ResetConnectedComponents() {
  FreeConnectedComponents();
  EngineAllocZeroedChecked(gTable, static_cast<size_t>(kFirstRecords) * sizeof(ConnectedComponent));
  gCapacity = kFirstRecords;
}

int32_t GetComponentCount() { return gCount; }

const ConnectedComponent* GetComponentRecord(int32_t index) {
  ENGINE_CHECK_INDEX(index, gCount);
  return &gTable[index];
}

void GetComponent(ConnectedComponent* out, int32_t index) {
  ENGINE_CHECK_POINTER(out);
  *out = *GetComponentRecord(index);
}

void GetComponentBox(EngineBox* out, int32_t index) {
  ENGINE_CHECK_POINTER(out);
  const ConnectedComponent& c = *GetComponentRecord(index);
  *out = EngineBox{c.left, c.top, c.left + c.columns, c.top + c.rows};
}

EngineBox GetComponentBounds() { return EngineBox{gLeastLeft, gLeastTop, gGreatestRight, gGreatestBottom}; }

void FindConnectedComponents(int32_t maxWidth, int32_t maxHeight, int32_t maxRuns) {
  ENGINE_CHECK(maxRuns >= 1 && maxRuns <= kQueueCapacity);
  if (!gTable) ResetConnectedComponents();
  const int32_t height = GetPageImageHeight();
  if (height < 3) return;
  gMaxWidth = maxWidth;
  gMaxHeight = maxHeight;
  gMaxRuns = maxRuns;
  EngineAllocChecked(gQueue, static_cast<size_t>(kQueueCapacity) * sizeof(QueuedRun));
  const int32_t words = GetPageWordsPerRow();
  // The first and last rows are never scanned; a fill reaches them only
  // through a neighbouring row.
  for (int32_t row = height - 2; row >= 1; --row) {
    const uint32_t* bits = GetPageRow(row);
    for (int32_t w = 0; w < words; ++w) {
      while (bits[w] != 0) {  // each fill clears its pixels
        uint32_t word = bits[w];
        int32_t bit = 0;
        while (!((word >> bit) & 1u)) ++bit;
        Fill(row, w * 32 + bit);
      }
    }
  }
  EngineFree(gQueue);
  gQueued = gHandled = 0;
}

GrangePoint GetComponentKey(int32_t index) {
  const ConnectedComponent& c = *GetComponentRecord(index);
  return GrangePoint{c.left, c.top};
}

int32_t MergeIntoCoveringComponent(int32_t a, int32_t b) {
  const ConnectedComponent& inner = *GetComponentRecord(a);
  GetComponentRecord(b);
  ConnectedComponent& outer = gTable[b];
  if (inner.left < outer.left || inner.top < outer.top || inner.left + inner.columns > outer.left + outer.columns ||
      inner.top + inner.rows > outer.top + outer.rows)
    return 0;
  if (a == b || inner.rows == 0 || inner.columns == 0) return 1;
  for (int32_t r = 0; r < inner.rows; ++r)
    OrBits(inner.bits, r * inner.columns, outer.bits,
           (inner.top - outer.top + r) * outer.columns + (inner.left - outer.left), inner.columns);
  return 1;
}

void ForEachComponent(ComponentTest test) {
  ENGINE_CHECK_POINTER(test);
  if (gCount == 0) return;
  const int32_t reachLeft = ScaleToPixels(500);
  const int32_t reachUp = ScaleToPixels(900);
  GrangeCreate(&gGrid, KeyOfComponent, kGridCell, kGridCell, std::max(gGreatestRight, 1), std::max(gGreatestBottom, 1));
  GrangeAddRange(&gGrid, gCount);
  EngineAllocChecked(gCandidates, static_cast<size_t>(kMergeCandidates + 1) * sizeof(int32_t));
  for (int32_t i = 0; i < gCount; ++i) {
    ConnectedComponent& piece = gTable[i];
    if (piece.link == -2 || !test(piece)) continue;
    // Keys up to and including the piece's own corner: a covering component
    // may share its top row or left column.
    int32_t found = GrangeQuery(&gGrid, piece.left - reachLeft, piece.top - reachUp, piece.left + 1, piece.top + 1,
                                gCandidates, kMergeCandidates);
    found = std::min(found, kMergeCandidates);
    for (int32_t k = 0; k < found; ++k) {
      int32_t j = gCandidates[k];
      if (j == i || gTable[j].link == -2) continue;  // never into a piece already merged away
      if (MergeIntoCoveringComponent(i, j)) {
        piece.link = -2;
        break;
      }
    }
  }
  EngineFree(gCandidates);
  GrangeFree(&gGrid);
  CompactComponents();
}

void SplitTouchingComponents() {
  const int32_t count = gCount;
  for (int32_t i = 0; i < count && GetStaffCount() > 0; ++i) {
    int32_t staff = -1;
    if (!IsSymbolSized(gTable[i], &staff)) continue;
    int32_t cuts[3] = {0, 0, 0};
    int32_t parts = FindEqualCuts(gTable[i], ScaleToPixelsForStaff(staff, kSplitMinSizePercent),
                                  ScaleToPixelsForStaff(staff, kSplitTolerancePercent), cuts);
    if (parts > 0) ReplaceByParts(i, parts, cuts);
  }
  CompactComponents();
}

void CompactComponents() {
  std::stable_sort(gTable, gTable + gCount, ComesFirst);
  int32_t kept = gCount;
  while (kept > 0 && gTable[kept - 1].link == -2) {
    FreeRasterBits(&gTable[kept - 1]);
    --kept;
  }
  gCount = kept;
}

void FreeConnectedComponents() {
  for (int32_t i = 0; i < gCount; ++i) FreeRasterBits(&gTable[i]);
  EngineFree(gTable);
  EngineFree(gQueue);
  EngineFree(gCandidates);
  if (gGrid) GrangeFree(&gGrid);
  gCount = gCapacity = 0;
  gQueued = gHandled = gQueuedTotal = 0;
  gOverflow = false;
  ResetBounds();
}
