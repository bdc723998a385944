// The page image of an engine run and its pixel, run and count operations.
#include "Code/Quorm/Onebpp.h"

#include <cstring>

#include "Code/Quorm/Bitstrea.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/concmpts.h"
#include "Code/Quorm/vertsegs.h"

namespace {

constexpr char kCodeNoPageMemory[] = "Xmem1bpp";
// Far beyond any scanned page (a 600 dpi A3 page takes about 9 MB).
constexpr uint64_t kMaxPageBlockBytes = uint64_t{1} << 30;

void* gPageBlock = nullptr;  // header and rows
void* gPageCopy = nullptr;   // a saved copy of the block
size_t gBlockSize = 0;
uint32_t* gRows = nullptr;
int32_t gWidth = 0;
int32_t gHeight = 0;
int32_t gWordsPerRow = 0;

bool Inside(int32_t row, int32_t column) { return row >= 0 && row < gHeight && column >= 0 && column < gWidth; }

int32_t Pixel(int32_t row, int32_t column) {
  const uint32_t* words = gRows + static_cast<size_t>(gWordsPerRow) * row;
  return static_cast<int32_t>((words[column >> 5] >> (column & 31)) & 1u);
}

// The bits of a row's last word that lie inside the width.
uint32_t LastWordMask(int32_t width) {
  int32_t used = (width - 1) % 32 + 1;
  return used == 32 ? 0xFFFFFFFFu : (1u << used) - 1u;
}

void StretchRow(uint32_t* words, int32_t width, int32_t stretch) {
  int32_t x = 0;
  while (x < width - stretch) {
    if ((x & 31) == 0 && words[x >> 5] == 0) {
      x += 32;
      continue;
    }
    if ((words[x >> 5] >> (x & 31)) & 1u) {
      for (int32_t k = x + 1; k < x + stretch; ++k) words[k >> 5] |= 1u << (k & 31);
      x += stretch;
    } else {
      ++x;
    }
  }
}

int32_t CountWordBits(const uint32_t* words, int32_t x0, int32_t x1) {
  return x1 > x0 ? CountBitsInRange(words, x0, x1) : 0;
}

// Cost of one walk along the major axis: steps whose 3-pixel band across the
// stroke holds no black pixel. alongRows: one step per row.
int32_t WalkCost(EnginePoint p, EnginePoint q, bool alongRows) {
  int32_t from = alongRows ? p.y : p.x;
  int32_t to = alongRows ? q.y : q.x;
  int32_t across0 = alongRows ? p.x : p.y;
  int32_t across1 = alongRows ? q.x : q.y;
  int32_t steps = to >= from ? to - from : from - to;
  int32_t direction = to >= from ? 1 : -1;
  int32_t cost = 0;
  for (int32_t i = 0; i <= steps; ++i) {
    int32_t along = from + direction * i;
    int32_t across = steps == 0 ? across0 : across0 + static_cast<int32_t>(DivRound64(static_cast<int64_t>(i) * (across1 - across0), steps));
    int32_t black = 0;
    for (int32_t k = -1; k <= 1; ++k) black += alongRows ? GetPagePixel(along, across + k) : GetPagePixel(across + k, along);
    if (black == 0) ++cost;
  }
  return cost;
}

int32_t SmallComponentTest(const ConnectedComponent& component) {
  int32_t small = ScaleToPixels(10);
  return component.rows <= small || component.columns <= small ? 1 : 0;
}

}  // namespace

EngineCode LoadOnebppImage(const uint32_t* bits, int32_t width, int32_t height, int32_t stretch) {
  ENGINE_CHECK_POINTER(bits);
  ENGINE_CHECK(width >= 1 && height >= 1 && stretch >= 0);
  FreeOnebppImage();
  FreeVerticalSegments();  // they belong to the page they were built from
  int32_t wordsPerRow = static_cast<int32_t>((static_cast<int64_t>(width) + 31) / 32);
  uint64_t size = static_cast<uint64_t>(wordsPerRow) * 4u * static_cast<uint64_t>(height) + kBitmapHeaderSize;
  if (size > kMaxPageBlockBytes) return kCodeNoPageMemory;
  if (!EngineAlloc(gPageBlock, static_cast<size_t>(size))) {
    gPageBlock = nullptr;
    return kCodeNoPageMemory;
  }
  InitialiseBitmapHeader(gPageBlock, width, height, "onebpp");
  gBlockSize = static_cast<size_t>(size);
  gRows = BitmapRow(gPageBlock, 0);
  gWidth = width;
  gHeight = height;
  gWordsPerRow = wordsPerRow;
  const uint32_t mask = LastWordMask(width);
  for (int32_t r = 0; r < height; ++r) {
    uint32_t* row = gRows + static_cast<size_t>(wordsPerRow) * r;
    std::memcpy(row, bits + static_cast<size_t>(wordsPerRow) * r, static_cast<size_t>(wordsPerRow) * 4);
    row[wordsPerRow - 1] &= mask;  // the caller's padding bits are not pixels
    if (stretch > 0) StretchRow(row, width, stretch);
  }
  if (BuildVerticalSegments(nullptr) == kNoSegments) {
    FreeOnebppImage();
    return kCodeNoSegments;
  }
  return kEngineOk;
}

void FreeOnebppImage() {
  EngineFree(gPageCopy);
  EngineFree(gPageBlock);
  gRows = nullptr;
  gBlockSize = 0;
  gWidth = gHeight = gWordsPerRow = 0;
}

int32_t HasPageImage() { return gPageBlock ? 1 : 0; }
int32_t GetPageImageWidth() { return gWidth; }
int32_t GetPageImageHeight() { return gHeight; }
int32_t GetPageWordsPerRow() { return gWordsPerRow; }
const void* GetPageImageBlock() { return gPageBlock; }

uint32_t* GetPageRow(int32_t row) {
  ENGINE_CHECK_INDEX(row, gHeight);
  return gRows + static_cast<size_t>(gWordsPerRow) * row;
}

int32_t GetPagePixel(int32_t row, int32_t column) { return Inside(row, column) ? Pixel(row, column) : 0; }

void SetPagePixel(int32_t row, int32_t column, int32_t value) {
  if (!Inside(row, column)) return;
  uint32_t* word = gRows + static_cast<size_t>(gWordsPerRow) * row + (column >> 5);
  if (value)
    *word |= 1u << (column & 31);
  else
    *word &= ~(1u << (column & 31));
}

void ClearRowSpan(int32_t row, int32_t x0, int32_t x1) {
  if (row < 0 || row >= gHeight) return;
  if (x0 < 0) x0 = 0;
  if (x1 > gWidth) x1 = gWidth;
  if (x0 >= x1) return;
  ClearBits(gRows + static_cast<size_t>(gWordsPerRow) * row, x0, x1 - x0);
}

void ClearPagePixel(int32_t row, int32_t column) {
  if (column < INT32_MAX) ClearRowSpan(row, column, column + 1);
}

int32_t BlackRunEndRight(int32_t row, int32_t column, int32_t limit) {
  ENGINE_CHECK(GetPagePixel(row, column) == 1);
  int32_t end = MinOfInts(limit, gWidth);
  int32_t x = column + 1;
  while (x < end && Pixel(row, x)) ++x;
  return x;
}

int32_t BlackRunTop(int32_t row, int32_t column, int32_t limit) {
  ENGINE_CHECK(GetPagePixel(row, column) == 1);
  if (row < limit) return row + 1;
  int32_t stop = MaxOfInts(limit, 0);
  int32_t y = row;
  while (y > stop && Pixel(y - 1, column)) --y;
  return y;
}

int32_t BlackRunEndDown(int32_t row, int32_t column, int32_t limit) {
  ENGINE_CHECK(GetPagePixel(row, column) == 1);
  int32_t end = MinOfInts(limit, gHeight);
  int32_t y = row + 1;
  while (y < end && Pixel(y, column)) ++y;
  return y;
}

int32_t WhiteRunEndRight(int32_t row, int32_t column, int32_t limit) {
  ENGINE_CHECK(GetPagePixel(row, column) == 0);
  int32_t end = MinOfInts(limit, gWidth);
  int32_t x = column;
  while (x < end && !GetPagePixel(row, x)) ++x;
  return x;
}

int32_t FindInkAbove(int32_t row, int32_t column, int32_t limit) {
  ENGINE_CHECK(GetPagePixel(row, column) == 0);
  int32_t stop = MaxOfInts(limit, 0);
  for (int32_t y = row - 1; y >= stop; --y)
    if (GetPagePixel(y, column)) return y;
  return stop;
}

int32_t FindInkBelow(int32_t row, int32_t column, int32_t limit) {
  ENGINE_CHECK(GetPagePixel(row, column) == 0);
  int32_t stop = MinOfInts(limit, gHeight - 1);
  for (int32_t y = MaxOfInts(row + 1, 0); y < stop; ++y)
    if (GetPagePixel(y, column)) return y;
  return stop >= gHeight - 1 ? gHeight : stop;
}

int32_t CountRowInk(int32_t row, int32_t x0, int32_t x1) {
  if (row < 0 || row >= gHeight) return 0;
  return CountWordBits(gRows + static_cast<size_t>(gWordsPerRow) * row, MaxOfInts(x0, 0), MinOfInts(x1, gWidth));
}

int32_t CountColumnInk(int32_t column, int32_t y0, int32_t y1) {
  if (column < 0 || column >= gWidth) return 0;
  int32_t count = 0;
  for (int32_t y = MaxOfInts(y0, 0); y < MinOfInts(y1, gHeight); ++y) count += Pixel(y, column);
  return count;
}

int32_t CountBoxInk(int32_t y0, int32_t x0, int32_t y1, int32_t x1) {
  int32_t count = 0;
  for (int32_t y = MaxOfInts(y0, 0); y < MinOfInts(y1, gHeight); ++y) count += CountRowInk(y, x0, x1);
  return count;
}

int32_t MeasureLineInkCost(EnginePoint p, EnginePoint q) {
  int64_t dy = static_cast<int64_t>(p.y) - q.y;
  int64_t dx = static_cast<int64_t>(p.x) - q.x;
  if (dy < 0) dy = -dy;
  if (dx < 0) dx = -dx;
  int32_t byRows = 3 * dx <= 4 * dy ? WalkCost(p, q, true) : 1024;
  int32_t byColumns = 3 * dy <= 4 * dx ? WalkCost(p, q, false) : 1024;
  return MinOfInts(byRows, byColumns);
}

void SetBitmapPixel(void* block, int32_t row, int32_t column, int32_t value) {
  ENGINE_CHECK_POINTER(block);
  ENGINE_CHECK_INDEX(row, BitmapHeight(block));
  ENGINE_CHECK_INDEX(column, BitmapWidth(block));
  uint32_t* word = BitmapRow(block, row) + (column >> 5);
  if (value)
    *word |= 1u << (column & 31);
  else
    *word &= ~(1u << (column & 31));
}

void ExtractByteImage(uint8_t* out, int32_t top, int32_t left, int32_t rows, int32_t columns) {
  ENGINE_CHECK(rows >= 0 && columns >= 0);
  if (rows == 0 || columns == 0) return;
  ENGINE_CHECK_POINTER(out);
  std::memset(out, 0, static_cast<size_t>(rows) * columns);
  for (int32_t r = 0; r < rows; ++r) {
    int64_t y = static_cast<int64_t>(top) + r;
    if (y < 0 || y >= gHeight) continue;
    for (int32_t c = 0; c < columns; ++c) {
      int64_t x = static_cast<int64_t>(left) + c;
      if (x >= 0 && x < gWidth) out[static_cast<size_t>(r) * columns + c] = static_cast<uint8_t>(Pixel(static_cast<int32_t>(y), static_cast<int32_t>(x)));
    }
  }
}

void MakeByteImage(ByteImage* image) {
  ENGINE_CHECK_POINTER(image);
  ENGINE_CHECK(!image->bytes && !image->rowPointers);
  ENGINE_CHECK(image->rows > 0 && image->columns > 0);
  EngineAllocChecked(image->bytes, static_cast<size_t>(image->rows) * image->columns);
  EngineAllocChecked(image->rowPointers, static_cast<size_t>(image->rows) * sizeof(uint8_t*));
  for (int32_t r = 0; r < image->rows; ++r) image->rowPointers[r] = image->bytes + static_cast<size_t>(r) * image->columns;
  ExtractByteImage(image->bytes, image->top, image->left, image->rows, image->columns);
}

void FreeByteImage(ByteImage* image) {
  ENGINE_CHECK_POINTER(image);
  EngineFree(image->bytes);
  EngineFree(image->rowPointers);
}

void KeepPageImageCopy() {
  ENGINE_CHECK(gPageBlock != nullptr && gPageCopy == nullptr);
  EngineAllocChecked(gPageCopy, gBlockSize);
  std::memcpy(gPageCopy, gPageBlock, gBlockSize);
}

void RestorePageImageCopy() {
  ENGINE_CHECK(gPageBlock != nullptr && gPageCopy != nullptr);
  std::memcpy(gPageBlock, gPageCopy, gBlockSize);
  EngineFree(gPageCopy);
}

int32_t HasPageImageCopy() { return gPageCopy ? 1 : 0; }

void CleanSmallComponents() {
  KeepPageImageCopy();
  ResetConnectedComponents();
  FindConnectedComponents(5000, 500, 500);
  ForEachComponent(SmallComponentTest);
  RestorePageImageCopy();
}
