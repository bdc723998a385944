// Text recognition set-up, the bitmap block layout and the shared helpers of
// the text side.
#include "Code/Quorm/Ocrmisc.h"

#include <cmath>
#include <cstring>

#include <algorithm>

#include "Code/Quorm/Badwords.h"
#include "Code/Quorm/Candlist.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Engpaths.h"
#include "Code/Quorm/Findcuts.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Posnscal.h"
#include "Code/Quorm/Readline.h"
#include "Code/Quorm/Segpaths.h"
#include "Code/Quorm/Textclas.h"
#include "Code/Quorm/Wordlatt.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Spell.h"
#include "Code/Quorm/Textlref.h"
#include "Code/Quorm/Textslnt.h"
#include "Code/Quorm/options.h"

namespace {

// ---- Bitmap blocks ----
const BitmapHeader& HeaderOf(const void* block) {
  ENGINE_CHECK_POINTER(block);
  return *static_cast<const BitmapHeader*>(block);
}

// ---- Gaussian table ----
uint8_t g_gaussian[1024];
bool g_gaussianReady = false;

// ---- Work lists ----
struct WorkListShape {
  int32_t capacity;
  int32_t entries;
};
constexpr WorkListShape kWorkListShapes[kTextWorkListCount] = {{32, 400}, {300, 1}, {300, 1}, {300, 100}, {100, 1}};
TextWorkList* g_workLists[kTextWorkListCount];

void AllocateWorkList(int32_t id) {
  const WorkListShape shape = kWorkListShapes[id];
  TextWorkList*& list = g_workLists[id];
  // A failure goes through the heap's hook; what was made is freed with the
  // list (FreeWorkList takes a list whose entries are missing).
  EngineAllocZeroedChecked(list, sizeof(TextWorkList));
  list->capacity = shape.capacity;
  EngineAllocZeroedChecked(list->entries, shape.entries * sizeof(TextWorkEntry));
  list->entryCount = shape.entries;
  for (int32_t e = 0; e < shape.entries; ++e)
    EngineAllocZeroedChecked(list->entries[e].values, (shape.capacity + 1) * sizeof(int16_t));
}

void FreeWorkList(int32_t id) {
  TextWorkList*& list = g_workLists[id];
  if (list == nullptr) return;
  if (list->entries != nullptr) {
    for (int32_t e = 0; e < list->entryCount; ++e) EngineFree(list->entries[e].values);
    EngineFree(list->entries);
  }
  EngineFree(list);
}

// The 19-tap weights of the cut-profile smoother; the centre weighs 26.
constexpr int32_t kCutWeights[9] = {25, 23, 20, 16, 12, 8, 6, 3, 2};

}  // namespace

// ---- Bitmap blocks ----

size_t BitmapBlockSize(int32_t width, int32_t height) {
  ENGINE_CHECK(width >= 1 && height >= 1);
  const size_t words = (static_cast<size_t>(width) + 31) / 32;
  return words * static_cast<size_t>(height) * 4 + kBitmapHeaderSize;
}

void InitialiseBitmapHeader(void* block, int32_t width, int32_t height, const char* label) {
  ENGINE_CHECK_POINTER(block);
  const size_t size = BitmapBlockSize(width, height);
  std::memset(block, 0, size);
  BitmapHeader& header = *static_cast<BitmapHeader*>(block);
  if (label != nullptr) std::strncpy(header.label, label, sizeof header.label - 1);
  const int32_t words = (width + 31) / 32;
  header.wordsPerRowMinus1 = words - 1;
  header.rowsMinus1 = height - 1;
  header.lastWordBitsMinus1 = width - 32 * words + 31;
}

int32_t BitmapWidth(const void* block) {
  const BitmapHeader& h = HeaderOf(block);
  return 32 * h.wordsPerRowMinus1 + h.lastWordBitsMinus1 + 1;
}

int32_t BitmapHeight(const void* block) { return HeaderOf(block).rowsMinus1 + 1; }

int32_t BitmapWordsPerRow(const void* block) { return HeaderOf(block).wordsPerRowMinus1 + 1; }

uint32_t* BitmapRow(void* block, int32_t row) {
  ENGINE_CHECK_INDEX(row, BitmapHeight(block));
  uint32_t* rows = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(block) + kBitmapHeaderSize);
  return rows + static_cast<size_t>(BitmapWordsPerRow(block)) * row;
}

const uint32_t* BitmapRow(const void* block, int32_t row) { return BitmapRow(const_cast<void*>(block), row); }

// ---- Set-up ----

const char* InitialiseTextRecognition() {
  BuildGaussianTable();
  TextRefHeader header{};
  if (EngineCode code = ReadTextRefHeader(GetTextRefPath(), &header)) return code;
  if (EngineCode code = InitialiseSpelling(GetLanguageOption())) return code;
  if (EngineCode code = LoadTextReferences()) return code;
  AllocateTextWorkLists();
  return kEngineOk;
}

void AllocateTextWorkLists() {
  for (int32_t id = 0; id < kTextWorkListCount; ++id) {
    FreeWorkList(id);
    AllocateWorkList(id);
  }
}

void FreeTextClassifierData() {
  FreeTextReferences();
  for (int32_t id = 0; id < kTextWorkListCount; ++id) FreeWorkList(id);
}

TextWorkList* GetTextWorkList(int32_t id) {
  ENGINE_CHECK_INDEX(id, kTextWorkListCount);
  return g_workLists[id];
}

// ---- Helpers ----

void BuildGaussianTable() {
  if (g_gaussianReady) return;
  for (int i = 0; i < 1024; ++i) {
    const double t = i / 256.0;
    g_gaussian[i] = static_cast<uint8_t>(std::lround(255.0 * std::exp(-t * t / 2.0)));
  }
  g_gaussianReady = true;
}

int32_t GaussianTableEntry(int32_t i) {
  ENGINE_CHECK(g_gaussianReady);
  ENGINE_CHECK_INDEX(i, 1024);
  return g_gaussian[i];
}

void SmoothCutProfile(int32_t* out, const int32_t* in, int32_t n, int32_t step) {
  ENGINE_CHECK(n >= 0);
  if (n == 0) return;
  ENGINE_CHECK(out != nullptr && in != nullptr && out != in);
  for (int32_t i = 0; i < n; ++i) {
    int64_t sum = 26LL * in[i];
    for (int32_t k = 1; k <= 9; ++k) {
      const int32_t offset = static_cast<int32_t>((static_cast<int64_t>(k) * step) >> 12);
      if (i + offset < n) sum += static_cast<int64_t>(kCutWeights[k - 1]) * in[i + offset];
      if (i - offset >= 0) sum += static_cast<int64_t>(kCutWeights[k - 1]) * in[i - offset];
    }
    out[i] = static_cast<int32_t>((sum + 128) / 256);
  }
}

void SpreadEvenly(int32_t* values, int32_t total, int32_t n) {
  if (n <= 0) return;
  ENGINE_CHECK_POINTER(values);
  const int32_t share = static_cast<int32_t>(static_cast<int64_t>(total) * 1024 / n);
  for (int32_t i = 0; i < n; ++i) values[i] += share;
}

void AddGaussianBump(int32_t* values, int32_t centre, int32_t width, int32_t weight, int32_t n) {
  ENGINE_CHECK(weight >= 0 && weight <= 1023);
  ENGINE_CHECK(g_gaussianReady);
  ENGINE_CHECK(width >= 1);
  ENGINE_CHECK_POINTER(values);
  for (int32_t k = 0;; ++k) {
    const int64_t index = static_cast<int64_t>(k) * 256 / width;
    if (index >= 1024) break;
    const int32_t g = g_gaussian[index];
    const int32_t add = static_cast<int32_t>(static_cast<int64_t>(weight) * g * 1641 / 64 / 256);
    if (g == 0 || add == 0) break;
    if (centre + k >= 0 && centre + k < n) values[centre + k] += add;
    if (k > 0 && centre - k >= 0 && centre - k < n) values[centre - k] += add;
  }
}

// ---- Reading one line ----

namespace {

LineRun* lineRuns = nullptr;
int32_t lineRunCount = 0;
int32_t lineWidth = 0;
int32_t lineHeight = 0;
LineReading lineResult = {};
WordGapScales gapScales;

void FreeLineRuns() {
  EngineFree(lineRuns);
  lineRunCount = 0;
}

// Vertical runs of the bitmap, column by column, so they come sorted.
void ExtractRuns(const void* bitmap) {
  // Count the run starts: set pixels whose pixel above is clear.
  int64_t starts = 0;
  const int32_t words = BitmapWordsPerRow(bitmap);
  for (int32_t y = 0; y < lineHeight; ++y) {
    const uint32_t* row = BitmapRow(bitmap, y);
    const uint32_t* above = y > 0 ? BitmapRow(bitmap, y - 1) : nullptr;
    for (int32_t w = 0; w < words; ++w) {
      uint32_t bits = row[w] & ~(above ? above[w] : 0u);
      if (w == words - 1 && lineWidth % 32 != 0) bits &= (1u << (lineWidth % 32)) - 1;
      for (; bits; bits &= bits - 1) ++starts;
    }
  }
  EngineAllocZeroedChecked(lineRuns, sizeof(LineRun) * static_cast<size_t>(std::max<int64_t>(1, starts)));
  int32_t n = 0;
  for (int32_t x = 0; x < lineWidth; ++x) {
    const uint32_t mask = 1u << (x % 32);
    for (int32_t y = 0; y < lineHeight;) {
      if (!(BitmapRow(bitmap, y)[x / 32] & mask)) {
        ++y;
        continue;
      }
      int32_t end = y + 1;
      while (end < lineHeight && (BitmapRow(bitmap, end)[x / 32] & mask)) ++end;
      ENGINE_CHECK(n < starts);
      lineRuns[n++] = {x, y, end, 0, 0};
      y = end;
    }
  }
  lineRunCount = n;
  SortRunRecords(reinterpret_cast<int32_t*>(lineRuns), n);
}

}  // namespace

void PrepareTextLine(const void* bitmap) {
  ENGINE_CHECK_POINTER(bitmap);
  FreeLineReading();
  lineResult = {};
  lineWidth = BitmapWidth(bitmap);
  lineHeight = BitmapHeight(bitmap);
  FreeLineRuns();
  ExtractRuns(bitmap);
}

void ReadTextLine(LineReading* result, const void* bitmap, int mode) {
  ENGINE_CHECK_POINTER(result);
  *result = {};
  // A leaning (italic) line is read sheared upright; its words' boxes are
  // given back in the columns of the line as drawn.
  const int32_t slant = MeasureLineSlant(bitmap);
  void* sheared = slant != 0 ? ShearLineBitmap(bitmap, slant) : nullptr;
  PrepareTextLine(sheared != nullptr ? sheared : bitmap);
  ReadLineWords(&lineResult, mode);
  if (sheared != nullptr) {
    const int32_t width = BitmapWidth(bitmap);
    int32_t left = INT32_MAX;
    for (int32_t i = 0; i < lineResult.wordCount; ++i) {
      ReadWordRecord& w = lineResult.words[i];
      UnshearColumns(&w.x0, &w.x1, w.y0, w.y1, slant);
      w.x0 = std::max(0, w.x0);
      w.x1 = std::min(width, std::max(w.x0 + 1, w.x1));
      left = std::min(left, w.x0);
    }
    if (lineResult.wordCount > 0) lineResult.left = left;
    EngineFree(sheared);
  }
  FreeLineRuns();
  ClearCandidateLists();
  FreePositionRecords();
  *result = lineResult;
}

LineRun* GetLineRuns(int32_t* count, int32_t* width) {
  ENGINE_CHECK(count != nullptr && width != nullptr);
  *count = lineRunCount;
  *width = lineWidth;
  return lineRuns;
}

bool CharacterSample(int32_t first, int32_t end, uint8_t* sample, int32_t* width, int32_t* height, int32_t box[4]) {
  ENGINE_CHECK(width != nullptr && height != nullptr && box != nullptr);
  int32_t count = 0;
  const TextPiece* pieces = GetLinePieces(&count);
  ENGINE_CHECK(first >= 0 && first < end && end <= count);
  ENGINE_CHECK_POINTER(lineRuns);
  box[0] = box[1] = INT32_MAX;
  box[2] = box[3] = INT32_MIN;
  int32_t firstRun = INT32_MAX, endRun = 0;
  for (int32_t i = first; i < end; ++i) {
    box[0] = std::min(box[0], pieces[i].left);
    box[1] = std::min(box[1], pieces[i].top);
    box[2] = std::max(box[2], pieces[i].right);
    box[3] = std::max(box[3], pieces[i].bottom);
    firstRun = std::min(firstRun, pieces[i].firstRun);
    endRun = std::max(endRun, pieces[i].endRun);
  }
  *width = box[2] - box[0];
  *height = box[3] - box[1];
  if (*width >= kMaxSampleWidth || *height >= kMaxSampleHeight || *width < 1 || *height < 1) return false;
  ENGINE_CHECK_POINTER(sample);
  std::memset(sample, 0, static_cast<size_t>(*width) * *height);
  endRun = std::min(endRun, lineRunCount);
  for (int32_t r = std::max(0, firstRun); r < endRun; ++r) {
    const LineRun& run = lineRuns[r];
    if (run.label <= first || run.label > end) continue;
    for (int32_t y = run.firstRow; y < run.endRow; ++y)
      sample[static_cast<size_t>(y - box[1]) * *width + (run.column - box[0])] = 1;
  }
  return true;
}

void FreeTextReadingWork() {
  FreeWordRereader();
  ClearCandidateLists();
  FreeCutWork();
  FreeWordLattice();
  FreePositionScales();
  FreeSegmentPaths();
  FreeSegmentLattice();
  FreeLineRuns();
  FreeLineReading();
  lineResult = {};
  gapScales = WordGapScales();
}

// ---- Word-gap costs ----

namespace {
int32_t modelHeight = 1;   // p of the line
bool secondPass = false;   // the lattice's gap cost is the second pass's
}  // namespace

WordGapScales& CurrentWordGapScales() { return gapScales; }

void SetLineGapModel(int32_t p) {
  modelHeight = std::max(1, p);
  gapScales = WordGapScales();
  secondPass = false;
}

namespace {
// White gaps are priced by the pass's table; pieces with no white between
// them (parts of one blob the cutter split, or overlapping ones) join at no
// cost.
int32_t JoinCost(int32_t gap, bool second) {
  if (gap <= 0) return 0;
  return second ? SecondPassGapCost(gap, modelHeight) : FirstPassGapCost(gap, modelHeight);
}
}  // namespace

int32_t LatticeGapCost(int32_t gap) { return JoinCost(gap, secondPass); }

int32_t LatticeOverlapCost(int32_t v) { return OverlapCost(v, gapScales.b); }

int32_t LatticeWidthCost(int32_t v) { return WidthCost(v, gapScales.a, modelHeight); }

// The re-reader reads a doubtful word's pieces afresh, as the line's first
// pass does.
int32_t RereaderGapCost(int32_t gap) { return JoinCost(gap, false); }

int32_t RereaderOverlapCost(int32_t v) { return OverlapCost(v, gapScales.rereadB); }

int32_t RereaderWidthCost(int32_t v) { return RereadWidthCost(v, gapScales.rereadA, GetTextPitch()); }

namespace {
int32_t GapTable(int32_t gap, int32_t p, const int32_t* ys) {
  static const int32_t xs[6] = {0, 100, 600, 960, 1200, 3000};
  return InterpolateTable(xs, ys, 6, SaturateToInt32(static_cast<int64_t>(gap) * 1024 / std::max(1, p)));
}
}  // namespace

int32_t FirstPassGapCost(int32_t gap, int32_t p) {
  static const int32_t ys[6] = {4000, 500, 0, 500, 4000, 40000};
  return GapTable(gap, p, ys);
}

int32_t SecondPassGapCost(int32_t gap, int32_t p) {
  static const int32_t ys[6] = {400, 50, 0, 50, 400, 4000};
  return GapTable(gap, p, ys);
}

int32_t OverlapCost(int32_t v, int32_t b) { return SaturateToInt32(static_cast<int64_t>(std::max(0, v)) * b / 1024); }

int32_t WidthCost(int32_t v, int32_t a, int32_t p) {
  if (v < 1) return 0;
  return SaturateToInt32(static_cast<int64_t>(v) * a / std::max(1, p) + a / 10);
}

int32_t RereadGapCost(int32_t gap, int32_t q) {
  const int64_t g = static_cast<int64_t>(gap) * 1024;
  const int64_t qq = std::max(1, q);
  const int64_t thresholds[7] = {60 * qq, 160 * qq, 400 * qq, 800 * qq, 1350 * qq, 1950 * qq, 2250 * qq};
  static const int32_t ys[7] = {3000, 500, 0, 0, 0, 200, 5000};
  if (g < thresholds[0]) return 30000;
  if (g > thresholds[6]) return 50000;
  for (int i = 1; i < 7; ++i)
    if (g <= thresholds[i])
      return static_cast<int32_t>(ys[i - 1] + (ys[i] - ys[i - 1]) * (g - thresholds[i - 1]) /
                                                  std::max<int64_t>(1, thresholds[i] - thresholds[i - 1]));
  return 50000;
}

int32_t RereadWidthCost(int32_t v, int32_t a, int32_t q) {
  const int64_t cost = static_cast<int64_t>(v) * a / std::max(1, q) + (v >= 1 ? a / 10 : 0);
  return SaturateToInt32(cost);
}

void SetWordGapScales(const int32_t* widths, const int32_t* heights, int32_t n, int32_t textHeight, int32_t q) {
  gapScales.rereadA = 2560;
  gapScales.rereadB = 1024;
  int64_t sum = 0;
  int32_t count = 0;
  for (int32_t i = 0; i < n; ++i)
    if (2 * heights[i] > textHeight) {
      sum += widths[i];
      ++count;
    }
  if (count == 0 || q <= 0) return;
  const int64_t r = (sum * 1024 / (static_cast<int64_t>(count) * q)) * 1024 / 800;
  if (r < 1024) {
    static const int32_t xs[4] = {0, 512, 896, 1024}, ys[4] = {100, 100, 900, 1024};
    gapScales.rereadA = 2560 * InterpolateTable(xs, ys, 4, static_cast<int32_t>(r)) / 1024;
  } else if (r > 1024) {
    static const int32_t xs[4] = {1024, 1280, 1536, 1792}, ys[4] = {1024, 800, 200, 100};
    gapScales.rereadB = 1024 * InterpolateTable(xs, ys, 4, SaturateToInt32(r)) / 1024;
  }
}

void SetLatticeGapScales(const int32_t* widths, const int32_t* heights, int32_t n, int32_t p) {
  gapScales.a = 2560;
  gapScales.b = 1024;
  secondPass = true;
  int64_t sum = 0;
  int32_t count = 0;
  for (int32_t i = 0; i < n; ++i)
    if (4 * heights[i] > p) {
      sum += widths[i];
      ++count;
    }
  if (count == 0 || p <= 0) return;
  const int64_t r = sum * 1024 / (static_cast<int64_t>(p) * count);
  if (r < 450) gapScales.a = static_cast<int32_t>(2560 * r / 450);
  if (r > 450) gapScales.b = static_cast<int32_t>(std::max<int64_t>(256, (900 - r) * 1024 / 450));
}
