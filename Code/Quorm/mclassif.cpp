// The music symbol classifier: feature distances to every music reference
// that admits the patch's size, flag hooks counted from slanted projections,
// stacked time signatures split at the middle line.
#include "Code/Quorm/mclassif.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/mocgcalc.h"
#include "Code/Quorm/options.h"

namespace {

constexpr int32_t kType800 = 800;
constexpr int32_t kType800Limit = 3701;
constexpr int32_t kFlagShift = 300;
constexpr int32_t kCostFloor = 1500;
constexpr int32_t kProfileBinLimit = 633;
constexpr double kHookSlopes[10] = {0.4, 0.52, 0.64, 0.78, 0.9, 1.02, 1.14, 1.26, 1.38, 1.5};

// The two work patches: the type-800 copy and the parts of a split patch.
struct WorkPatch {
  uint8_t* bytes;
  size_t capacity;
};
WorkPatch g_copyPatch;
WorkPatch g_partPatch;

uint8_t* Reserve(WorkPatch& patch, size_t size) {
  if (size == 0) size = 1;
  if (patch.capacity < size) {
    EngineFree(patch.bytes);
    patch.capacity = 0;
    EngineAlloc(patch.bytes, size);
    patch.capacity = size;
  }
  return patch.bytes;
}

struct Candidate {
  int32_t distance;
  int32_t reference;
  int32_t type;
};

int32_t BaseCost(int32_t type) { return type == 101 || type == 140 || type == 150 ? 3200 : 3700; }

bool InRange(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

// ---- Flag hooks ----

// Profile of the ink along lines of one slope: an up flag's hooks fall to
// the right of its stem, a down flag's rise, so the lines follow them.
int32_t BuildHookProfile(const uint8_t* patch, int32_t w, int32_t h, double slope, bool up, int32_t* profile) {
  int32_t bins = RoundToInt(w * slope) + h;
  if (bins > kProfileBinLimit) bins = kProfileBinLimit;
  std::fill(profile, profile + bins, 0);
  const int32_t lift = RoundToInt(w * slope);
  for (int32_t r = 0; r < h; ++r) {
    for (int32_t c = 0; c < w; ++c) {
      if (patch[static_cast<size_t>(r) * w + c] == 0) continue;
      const int32_t shift = RoundToInt(c * slope);
      const int32_t bin = up ? r - shift + lift : r + shift;
      if (bin >= 0 && bin < bins) ++profile[bin];
    }
  }
  return bins;
}

// A + B + 2 max: how sharply the profile rises into and falls out of peaks.
int32_t ProfileScore(const int32_t* p, int32_t n) {
  if (n <= 0) return 0;
  int32_t a = 0;
  int32_t b = 0;
  int32_t bestLeft = 3 * p[0] + 0;  // max over j < i of 3 p[j] + j
  for (int32_t i = 1; i < n; ++i) {
    a = std::max(a, bestLeft - 3 * p[i] - i);
    bestLeft = std::max(bestLeft, 3 * p[i] + i);
  }
  int32_t bestRight = INT32_MIN;  // max over j > i of 3 p[j] - j
  for (int32_t i = n - 1; i >= 1; --i) {
    if (bestRight != INT32_MIN) b = std::max(b, bestRight - 3 * p[i] + i);
    bestRight = std::max(bestRight, 3 * p[i] - i);
  }
  return a + b + 2 * *std::max_element(p, p + n);
}

struct Peak {
  int32_t position;
  int32_t height;
};

int32_t FindProfilePeaks(const int32_t* p, int32_t n, int32_t staff, Peak* peaks) {
  const int32_t minHeight = ScaleToPixelsForStaff(staff, 200);
  const int32_t minGap = ScaleToPixelsForStaff(staff, 40);
  int32_t count = 0;
  for (int32_t i = 1; i + 1 < n; ++i) {
    const int32_t v = p[i];
    if (v < p[i - 1] || v < p[i + 1]) continue;
    int32_t left = i;
    int32_t right = i;
    while (left > 0 && 4 * p[left - 1] > 3 * v) --left;
    while (right + 1 < n && 4 * p[right + 1] > 3 * v) ++right;
    if (3 * v >= minHeight) peaks[count++] = Peak{(left + right) / 2, 3 * v};
  }
  int32_t highest = 0;
  for (int32_t i = 0; i < count; ++i) highest = std::max(highest, peaks[i].height);
  int32_t kept = 0;
  for (int32_t i = 0; i < count; ++i)
    if (2 * peaks[i].height > highest) peaks[kept++] = peaks[i];
  std::stable_sort(peaks, peaks + kept, [](const Peak& x, const Peak& y) { return x.position < y.position; });
  int32_t survivors = 0;
  for (int32_t i = 0; i < kept; ++i) {
    if (survivors > 0 && peaks[i].position - peaks[survivors - 1].position < minGap) {
      if (peaks[i].height > peaks[survivors - 1].height) peaks[survivors - 1] = peaks[i];
      continue;
    }
    peaks[survivors++] = peaks[i];
  }
  return survivors;
}

int32_t HookCountFromPeaks(const Peak* peaks, int32_t n, int32_t staff) {
  if (n < 2) return n;
  const int32_t lo = ScaleToPixelsForStaff(staff, 40);
  const int32_t hi = ScaleToPixelsForStaff(staff, GetUseOldReferencesOption() != 0 ? 130 : 110);
  auto regular = [&](int32_t gap) {
    if (gap + 1 >= n) return false;
    const int32_t d = peaks[gap + 1].position - peaks[gap].position;
    return d >= lo && d <= hi;
  };
  int32_t count = 1;
  if (regular(0)) count = 2;
  if ((count == 2 && regular(1)) || (n == 3 && regular(1))) count = 3;
  if (count == 3 && regular(2)) count = 4;
  return std::min(count, 4);
}

// ---- Candidates ----

void SortAndFill(Candidate* candidates, int32_t n, SymbolCandidates* result) {
  std::stable_sort(candidates, candidates + n,
                   [](const Candidate& a, const Candidate& b) { return a.distance < b.distance; });
  result->count = 0;
  for (int32_t i = 0; i < n && result->count < kMaxSymbolCandidates; ++i) {
    const Candidate& c = candidates[i];
    if (c.distance >= SymbolAcceptanceCost(c.type)) continue;
    bool present = false;
    for (int32_t k = 0; k < result->count; ++k) present = present || result->entries[k].type == c.type;
    if (present) continue;
    const int32_t over = std::max(0, c.distance - kCostFloor);
    result->entries[result->count++] = SymbolCandidate{c.type, DivRound(over * 1024, BaseCost(c.type) - kCostFloor)};
  }
}

// Crops rows [top, bottom) of a w-wide patch to its inked columns; returns
// false when the part has no ink.
bool CropPart(const uint8_t* patch, int32_t w, int32_t top, int32_t bottom, uint8_t* out, int32_t* outW,
              int32_t* outH) {
  if (bottom <= top) return false;
  int32_t first = w;
  int32_t last = -1;
  for (int32_t r = top; r < bottom; ++r)
    for (int32_t c = 0; c < w; ++c)
      if (patch[static_cast<size_t>(r) * w + c] != 0) {
        first = std::min(first, c);
        last = std::max(last, c);
      }
  if (last < 0) return false;
  *outW = last - first + 1;
  *outH = bottom - top;
  for (int32_t r = top; r < bottom; ++r)
    std::memcpy(out + static_cast<size_t>(r - top) * *outW, patch + static_cast<size_t>(r) * w + first, *outW);
  return true;
}

bool ClassifyStackedTimeSignature(SymbolCandidates* result, const uint8_t* patch, int32_t x0, int32_t y0,
                                  int32_t x1, int32_t y1, int32_t staff) {
  if (GetStaffLineCount(staff) != 5) return false;
  const int32_t w = x1 - x0;
  const int32_t cx = (x0 + x1) / 2;
  const int32_t top = StaffTopLineY(staff, cx);
  const int32_t bottom = StaffBottomLineY(staff, cx);
  const int32_t slack = ScaleToPixelsForStaff(staff, 25);
  if (std::abs(y0 - top) > slack || std::abs(y1 - bottom) > slack) return false;
  if (w < ScaleToPixelsForStaff(staff, 80)) return false;
  const int32_t middle = StaffLineY(staff, 2, cx);
  const int32_t upperTop = std::max(top, y0) - y0;
  const int32_t split = std::min(std::max(middle, y0), y1) - y0;
  const int32_t lowerBottom = std::min(bottom + 1, y1) - y0;

  uint8_t* part = Reserve(g_partPatch, static_cast<size_t>(w) * (y1 - y0));
  int32_t pw = 0;
  int32_t ph = 0;
  if (!CropPart(patch, w, upperTop, split, part, &pw, &ph)) return false;
  SymbolCandidates upper{};
  ClassifySymbolPatch(part, &upper, pw, ph, staff);
  if (upper.count == 0 || !IsTimeNumeratorType(upper.entries[0].type)) return false;
  if (!CropPart(patch, w, split, lowerBottom, part, &pw, &ph)) return false;
  SymbolCandidates lower{};
  ClassifySymbolPatch(part, &lower, pw, ph, staff);
  if (lower.count == 0 || !IsTimeDenominatorType(lower.entries[0].type)) return false;
  result->count = 1;
  result->entries[0] = SymbolCandidate{TimeSignatureTypeOfNumbers(upper.entries[0].type, lower.entries[0].type),
                                       (upper.entries[0].cost + lower.entries[0].cost) / 3};
  return true;
}

int32_t InkMeanRow(const uint8_t* patch, int32_t w, int32_t fromRow, int32_t toRow, bool flat, int32_t h,
                   bool* found) {
  int64_t weighted = 0;
  int64_t ink = 0;
  for (int32_t r = fromRow; r < toRow; ++r) {
    int32_t start = 0;
    if (flat) start = std::min((h - r) / 3, (w + 3) / 3);
    int32_t count = 0;
    for (int32_t c = std::max(0, start); c < w; ++c) count += patch[static_cast<size_t>(r) * w + c] != 0;
    weighted += static_cast<int64_t>(count) * r;
    ink += count;
  }
  *found = ink > 0;
  return ink > 0 ? static_cast<int32_t>(DivRound64(weighted, ink)) : 0;
}

int32_t ReferenceHeight(const SymbolCandidates& result, const uint8_t* patch, int32_t x0, int32_t y0, int32_t x1,
                        int32_t y1) {
  const int32_t w = x1 - x0;
  const int32_t h = y1 - y0;
  const int32_t cy = (y0 + y1) / 2;
  const int32_t cx = (x0 + x1) / 2;
  for (int32_t i = 0; i < result.count; ++i) {
    const int32_t type = result.entries[i].type;
    if (!IsAccidentalType(type)) continue;
    bool found = false;
    if (type == 91 || type == 94) {
      const int32_t from = std::max(0, h - ScaleToPixelsAt(cy, cx, 150));
      const int32_t row = InkMeanRow(patch, w, from, h, true, h, &found);
      return found ? row + y0 : y1 - ScaleToPixelsAt(cy, cx, 70);
    }
    if (type == 96) break;
    const int32_t row = InkMeanRow(patch, w, 0, h, false, h, &found);
    return found ? row + y0 : cy;
  }
  return cy;
}

}  // namespace

int32_t SymbolAcceptanceCost(int32_t type) {
  const int32_t b = BaseCost(type);
  if (InRange(type, 40, 42)) return b + 250;
  if (InRange(type, 61, 64) || InRange(type, 71, 74) || InRange(type, 80, 82)) return b + 500;
  if (InRange(type, 90, 91)) return b + 1000;
  if (InRange(type, 92, 96)) return b + 300;
  if (type == 140) return b + 500;
  if (type == 150) return b + 300;
  if (InRange(type, 402, 409) || type == 412 || type == 416) return b + 1000;
  if (InRange(type, 100, 110) || InRange(type, 120, 122)) return b + 300;
  return b;
}

int32_t CountFlagHooks(const uint8_t* patch, int32_t width, int32_t height, int32_t staff, int32_t up) {
  ENGINE_CHECK_POINTER(patch);
  int32_t profile[kProfileBinLimit];
  int32_t best[kProfileBinLimit];
  int32_t bestBins = -1;
  int32_t bestScore = 0;
  for (double slope : kHookSlopes) {
    const int32_t bins = BuildHookProfile(patch, width, height, slope, up != 0, profile);
    if (bins <= 0) continue;
    const int32_t score = ProfileScore(profile, bins);
    if (bestBins < 0 || score > bestScore) {
      bestScore = score;
      bestBins = bins;
      std::copy(profile, profile + bins, best);
    }
  }
  ENGINE_CHECK(bestBins > 0);
  Peak peaks[kProfileBinLimit];
  const int32_t n = FindProfilePeaks(best, bestBins, staff, peaks);
  return HookCountFromPeaks(peaks, n, staff);
}

void ClassifySymbolPatch(const uint8_t* patch, SymbolCandidates* result, int32_t width, int32_t height,
                         int32_t staff) {
  ENGINE_CHECK_POINTER(result);
  result->count = 0;
  const int32_t count = GetMusicReferenceCount();
  // Nothing can match without references, nor a patch the features cannot take.
  if (count <= 0 || width < 1 || height < 1 || width >= kEdgeImageLimit || height >= kEdgeImageLimit) return;
  ENGINE_CHECK_POINTER(patch);
  const int32_t s = GetStaffSpace(staff);
  uint8_t features[kMusicFeatureCount];
  ClassifyMusicPatch(features, patch, width, height, s);

  Candidate* candidates = nullptr;
  EngineAlloc(candidates, static_cast<size_t>(count) * sizeof(Candidate));
  int32_t n = 0;
  for (int32_t r = 0; r < count; ++r) {
    const int32_t type = GetMusicReferenceType(r);
    if (type == kType800 || !MusicReferenceFitsSize(width, height, s, r)) continue;
    const int32_t d = MusicReferenceDistance(features, r);
    if (d - 300 <= SymbolAcceptanceCost(type)) candidates[n++] = Candidate{d, r, type};
  }

  int32_t hooks[2] = {-1, -1};  // down, up; counted once each
  for (int32_t i = 0; i < n; ++i) {
    Candidate& c = candidates[i];
    if (!IsFlagType(c.type)) continue;
    const bool up = IsUpFlagType(c.type) != 0;
    int32_t& k = hooks[up ? 1 : 0];
    if (k < 0) k = CountFlagHooks(patch, width, height, staff, up);
    if (k == 0) c.distance += kFlagShift;
    if (k == FlagCountOfType(c.type)) c.distance -= kFlagShift;
    if (c.distance < 0) c.distance = 0;
    if (k >= 1 && k <= 4) c.type = (up ? 60 : 70) + k;
  }
  SortAndFill(candidates, n, result);
  EngineFree(candidates);
}

void ClassifyAtomPatch(SymbolCandidates* result, const uint8_t* patch, int32_t x0, int32_t y0, int32_t x1,
                       int32_t y1, int32_t* referenceHeight) {
  ENGINE_CHECK_POINTER(result);
  ENGINE_CHECK(x1 >= x0 && y1 >= y0);
  result->count = 0;
  const int32_t cy = (y0 + y1) / 2;
  const int32_t cx = (x0 + x1) / 2;
  if (GetStaffCount() > 0) {
    const int32_t staff = NearestStaff(cy, cx);
    if (!ClassifyStackedTimeSignature(result, patch, x0, y0, x1, y1, staff))
      ClassifySymbolPatch(patch, result, x1 - x0, y1 - y0, staff);
  }
  if (referenceHeight != nullptr)
    *referenceHeight = result->count > 0 ? ReferenceHeight(*result, patch, x0, y0, x1, y1) : cy;
}

int32_t PatchHasType800(const uint32_t* patch, int32_t width, int32_t height4) {
  const int32_t height = height4 / 4;
  if (width < 2 || width >= kEdgeImageLimit || height < 2 || height >= kEdgeImageLimit) return 0;
  const int32_t s = GetPageStaffSpace();
  const int32_t count = GetMusicReferenceCount();
  if (count <= 0 || s <= 0) return 0;
  ENGINE_CHECK_POINTER(patch);
  const size_t size = static_cast<size_t>(width) * height;
  uint8_t* bytes = Reserve(g_copyPatch, size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(patch[i] & 0xFF);
  uint8_t features[kMusicFeatureCount];
  ClassifyMusicPatch(features, bytes, width, height, s);
  for (int32_t r = 0; r < count; ++r) {
    if (GetMusicReferenceType(r) != kType800 || !MusicReferenceFitsSize(width, height, s, r)) continue;
    if (MusicReferenceDistance(features, r) < kType800Limit) return 1;
  }
  return 0;
}

void FreePatchBuffers() {
  EngineFree(g_copyPatch.bytes);
  EngineFree(g_partPatch.bytes);
  g_copyPatch.capacity = 0;
  g_partPatch.capacity = 0;
}
