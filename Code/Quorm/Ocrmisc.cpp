// Text recognition set-up, the bitmap block layout and the shared helpers of
// the text side.
#include "Code/Quorm/Ocrmisc.h"

#include <cmath>
#include <cstring>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Engpaths.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Spell.h"
#include "Code/Quorm/Textlref.h"
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
  EngineAllocZeroed(list, sizeof(TextWorkList));
  list->capacity = shape.capacity;
  list->entryCount = shape.entries;
  EngineAllocZeroed(list->entries, shape.entries * sizeof(TextWorkEntry));
  for (int32_t e = 0; e < shape.entries; ++e)
    EngineAllocZeroed(list->entries[e].values, (shape.capacity + 1) * sizeof(int16_t));
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
  for (int32_t id = 0; id < kTextWorkListCount; ++id) {
    FreeWorkList(id);
    AllocateWorkList(id);
  }
  return kEngineOk;
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
