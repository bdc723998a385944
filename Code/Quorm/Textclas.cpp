// The text character classifier over the loaded text references.
#include "Code/Quorm/Textclas.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Textlref.h"

namespace {

struct Entry {
  int32_t distance;
  int32_t index;
};

// Keeps (distance, index) when within `keep` of the best so far, then sorts.
class EntryList {
 public:
  void Offer(int32_t d, int32_t index, int32_t keep) {
    if (count_ == 0 || d < best_) best_ = d;
    if (d - best_ > keep) return;
    if (count_ == capacity_) Grow();
    entries_[count_++] = {d, index};
  }
  void Sort() {
    std::stable_sort(entries_, entries_ + count_, [](const Entry& a, const Entry& b) { return a.distance < b.distance; });
  }
  int32_t Count() const { return count_; }
  const Entry& At(int32_t i) const { return entries_[i]; }
  ~EntryList() { std::free(entries_); }

 private:
  void Grow() {
    const int32_t capacity = capacity_ == 0 ? 64 : 2 * capacity_;
    Entry* grown = static_cast<Entry*>(std::realloc(entries_, sizeof(Entry) * static_cast<size_t>(capacity)));
    if (grown == nullptr) OnEngineHeapExhausted(nullptr, sizeof(Entry) * static_cast<size_t>(capacity));
    entries_ = grown;
    capacity_ = capacity;
  }
  Entry* entries_ = nullptr;
  int32_t count_ = 0;
  int32_t capacity_ = 0;
  int32_t best_ = 0;
};

int32_t RangeLimit(const int32_t* words) {
  return static_cast<int32_t>((14000LL * words[3] + 1024LL * words[2]) / 1024);
}

bool IsQuote(uint8_t c) { return c == '\'' || c == '"'; }

const TextClassRef& ClassAt(int32_t i) {
  const TextReferenceStore& s = LoadedTextReferences();
  ENGINE_CHECK_INDEX(i, s.header.classCount);
  return s.classes[i];
}

int64_t ScaledDistance(int32_t mean, int32_t spread, int32_t x) {
  return static_cast<int64_t>(std::abs(static_cast<int64_t>(mean) - x)) * 1024 / std::max(spread, 1);
}

}  // namespace

int32_t SampleInkMeasure(const uint8_t* sample, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return 0;
  int64_t sum = 0;
  for (int64_t i = 0; i < static_cast<int64_t>(width) * height; ++i) sum += sample[i] != 0;
  return IntSqrt(sum * 16384) / height;
}

void TextSampleFeatures(const uint8_t* sample, int32_t width, int32_t height, uint8_t main[kMainFeatureCount],
                        uint8_t fast[40], uint8_t veryFast[12]) {
  ComputeEdgeFeaturesFull(main, fast, veryFast, sample, width, height);
  const int32_t aspect = DivRound(Atan2Q10(width, height) * 160, 1024);
  for (int32_t k = 90; k < kMainFeatureCount; ++k) main[k] = static_cast<uint8_t>(std::min(255, std::max(0, aspect)));
}

void ClassifyCharacter(CharacterChoices* result, const uint8_t* sample, int32_t width, int32_t height) {
  ENGINE_CHECK_POINTER(result);
  std::memset(result, 0, sizeof *result);
  if (width < 1 || height < 1 || width > kMaxSampleWidth || height > kMaxSampleHeight) return;
  ENGINE_CHECK_POINTER(sample);
  result->ink = SampleInkMeasure(sample, width, height);
  const TextReferenceStore& s = LoadedTextReferences();
  if (s.veryFast == nullptr || s.header.veryFastCount == 0) return;
  uint8_t main[kMainFeatureCount], fast[40], veryFast[12];
  TextSampleFeatures(sample, width, height, main, fast, veryFast);

  // Very-fast level.
  EntryList first;
  for (int32_t v = 0; v < s.header.veryFastCount; ++v) {
    const TextVeryFastPattern& p = s.veryFast[v];
    if (!p.on) continue;
    const int32_t d = WeightedFeatureDistance(veryFast, p.features, 12);
    if (d <= RangeLimit(p.words)) first.Offer(d, v, 300);
  }
  first.Sort();
  // Fast level, over the ranges of the taken very-fast patterns.
  EntryList second;
  for (int32_t i = 0; i < first.Count(); ++i) {
    if (i > 0 && (first.At(i).distance - first.At(0).distance) + 4 * i > 500) break;
    const TextVeryFastPattern& vf = s.veryFast[first.At(i).index];
    for (int32_t f = vf.words[0]; f < vf.words[1]; ++f) {
      const TextFastPattern& p = s.fast[f];
      if (!p.on) continue;
      const int32_t d = WeightedFeatureDistance(fast, p.features, 40);
      if (d <= RangeLimit(p.words)) second.Offer(d, f, 600);
    }
  }
  second.Sort();
  // Main level.
  EntryList third;
  for (int32_t i = 0; i < second.Count(); ++i) {
    if (i > 0 && (second.At(i).distance - second.At(0).distance) + 20 * i > 800) break;
    const TextFastPattern& fp = s.fast[second.At(i).index];
    for (int32_t m = fp.words[0]; m < fp.words[1]; ++m) {
      const TextMainPattern& p = s.main[m];
      if (!p.on) continue;
      int32_t d = WeightedFeatureDistance(main, p.features, kMainFeatureCount);
      if (IsQuote(static_cast<uint8_t>(p.words[2]))) d += kApostropheExtraDistance;
      if (std::abs(static_cast<int64_t>(d) - p.words[5]) <= 20000) third.Offer(d, m, 9431);
    }
  }
  third.Sort();
  for (int32_t i = 0; i < third.Count(); ++i) {
    if (third.At(i).distance - third.At(0).distance > 9431) break;
    const TextMainPattern& p = s.main[third.At(i).index];
    const uint8_t c = static_cast<uint8_t>(p.words[2]);
    int32_t k = 0;
    while (k < result->count && result->character[k] != c) ++k;
    if (k < result->count) {
      result->flags[k] |= p.words[6];
      continue;
    }
    if (result->count == kMaxCharacterChoices) break;
    result->character[k] = c;
    result->distance[k] = third.At(i).distance;
    result->base[k] = p.words[5];
    result->flags[k] = p.words[6];
    ++result->count;
  }
}

void RemoveCharacterChoice(CharacterChoices* c, int32_t k) {
  ENGINE_CHECK_POINTER(c);
  ENGINE_CHECK_INDEX(k, c->count);
  for (int32_t i = k; i + 1 < c->count; ++i) {
    c->character[i] = c->character[i + 1];
    c->distance[i] = c->distance[i + 1];
    c->base[i] = c->base[i + 1];
    c->flags[i] = c->flags[i + 1];
  }
  --c->count;
}

int32_t ClassRefDistance(int32_t classIndex, const int32_t measures[10]) {
  ENGINE_CHECK_POINTER(measures);
  const TextClassRef& c = ClassAt(classIndex);
  static const int kMeanWord[5] = {3, 7, 11, 15, 19};
  int64_t sum = 0;
  for (int i = 0; i < 5; ++i) {
    const int64_t e = std::min<int64_t>(6000, ScaledDistance(c.words[kMeanWord[i]], c.words[kMeanWord[i] + 1], measures[2 * i]));
    sum += e * e / 1024 * measures[2 * i + 1];
  }
  return static_cast<int32_t>(std::min<int64_t>(INT32_MAX, sum * 8 / 1024));
}

void ClassInkDistances(int32_t classIndex, int32_t value, int32_t* d1, int32_t* d2) {
  const TextClassRef& c = ClassAt(classIndex);
  const int64_t a = ScaledDistance(c.words[21], c.words[22], value);
  const int64_t b = ScaledDistance(c.words[23], c.words[24], value);
  *d1 = static_cast<int32_t>(std::min<int64_t>(INT32_MAX, a * a / 1024));
  *d2 = static_cast<int32_t>(std::min<int64_t>(INT32_MAX, b * b / 1024));
}

void PositionMeasures(int32_t top, int32_t bottom, int32_t width, int32_t textHeight, int32_t pitch,
                      const int32_t rows[3], int32_t measures[10]) {
  const int32_t h = std::max(textHeight, 1), q = std::max(pitch, 1);
  measures[0] = Atan2Q10(bottom - rows[0], h);
  measures[2] = Atan2Q10(top - rows[1], h);
  measures[4] = Atan2Q10(top - rows[2], h);
  measures[6] = Atan2Q10(bottom - top, h);
  measures[8] = Atan2Q10(width, q);
  for (int i = 1; i < 10; i += 2) measures[i] = 0;
}
