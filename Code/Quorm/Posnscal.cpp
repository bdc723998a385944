// The position and scale model. Histograms: height (60 bins, bin = height x
// 80 / p - 20), width (45 bins, bin = width x 80 / p - 15) and, per band of
// 256 pixels of x, the rows (60 bins, bin = row offset x 60 / p plus 25, 60
// or 70 for rows 1, 2 and 3).
#include "Code/Quorm/Posnscal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "Code/Quorm/Candlist.h"
#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/Spell.h"
#include "Code/Quorm/Textlref.h"

namespace {

constexpr int32_t kHeightBins = 60, kWidthBins = 45, kRowBins = 60;
constexpr int32_t kRowOffset[3] = {25, 60, 70};
constexpr int32_t kDefaultRowPercent[3] = {10, 45, 65};
constexpr int32_t kMeanWord[3] = {1, 5, 9};

struct Model {
  bool ready;
  int32_t height, heightConfidence, pitch, pitchConfidence;
  int32_t caseThreshold;  // the glyph height between small and capital letters; 0 when unknown
  int32_t p;
  int32_t reference;  // R, the mean bottom
};
Model model = {};
PositionRecord* records = nullptr;
int32_t recordCount = 0;
int32_t* bandHistograms = nullptr;  // bands x 60
int32_t* smoothedBands = nullptr;

int32_t ClassOf(uint8_t c) { return GetClassOfCharacter(c); }

// The vote weights of a position's candidates: each a share of the
// position's weight, proportional to its own confidence; returns what is
// left over (spread evenly).
int32_t VoteWeights(const CandidateList& list, int32_t* weights) {
  if (list.count == 0) return 1024;
  int32_t best = 0, bestCost = INT32_MAX;
  int64_t total = 0;
  for (int32_t k = 0; k < list.count; ++k) {
    const int32_t cost = std::max(0, AlternativeCost(list, k));
    weights[k] = CandidateConfidence(cost);
    total += weights[k];
    if (cost < bestCost) {
      bestCost = cost;
      best = k;
    }
  }
  int32_t weight = CandidateConfidence(bestCost);
  if (CouldBeGraphic(list.character[best])) weight /= 2;
  weight = std::min(1023, weight);
  for (int32_t k = 0; k < list.count; ++k)
    weights[k] = total > 0 ? static_cast<int32_t>(static_cast<int64_t>(weight) * weights[k] / total) : 0;
  return 1024 - weight;
}

void Vote(int32_t* histogram, int32_t bins, int64_t bin, int64_t width, int32_t weight, int32_t* leftover) {
  if (weight <= 0) return;
  if (bin < 0 || bin >= bins) {
    *leftover += weight;
    return;
  }
  AddGaussianBump(histogram, static_cast<int32_t>(bin), static_cast<int32_t>(std::max<int64_t>(1, std::min<int64_t>(width, 1000))),
                  std::min(1023, weight), bins);
}

int32_t Height(const CandidateList& l) { return std::max(1, l.bottom - l.top); }
int32_t Width(const CandidateList& l) { return std::max(1, l.right - l.left); }

void FitSize(CandidateList* const* positions, int32_t count) {
  int32_t heights[kHeightBins] = {}, widths[kWidthBins] = {};
  int32_t leftoverH = 0, leftoverW = 0;
  const int32_t p = model.p;
  for (int32_t i = 0; i < count; ++i) {
    const CandidateList& l = *positions[i];
    int32_t weights[kMaxCharacterChoices];
    const int32_t rest = VoteWeights(l, weights);
    leftoverH += rest;
    leftoverW += rest;
    for (int32_t k = 0; k < l.count; ++k) {
      const int32_t c = ClassOf(l.character[k]);
      if (c < 0) {
        leftoverH += weights[k];
        leftoverW += weights[k];
        continue;
      }
      int32_t d[4], e[4];
      GetClassRefD(c, d);  // words 13..16: height mean, spread
      GetClassRefE(c, e);  // words 17..20: width mean, spread
      const int64_t hm = std::max(1, d[0]), hs = std::max(1, d[1]);
      const int64_t wm = std::max(1, e[0]), ws = std::max(1, e[1]);
      const int64_t predictedH = static_cast<int64_t>(Height(l)) * 1024 / hm;
      const int64_t predictedQ = static_cast<int64_t>(Width(l)) * 1024 / wm;
      Vote(heights, kHeightBins, predictedH * 80 / p - 20, predictedH * hs / hm * 80 / p, weights[k], &leftoverH);
      Vote(widths, kWidthBins, predictedQ * 80 / p - 15, predictedQ * ws / wm * 80 / p, weights[k], &leftoverW);
    }
  }
  // What the positions leave over is spread as one position's worth (their
  // mean), not each position's whole: spread whole, the even floor flattens
  // the peaks and lines read worse.
  if (count > 0) {
    SpreadEvenly(heights, leftoverH / count, kHeightBins);
    SpreadEvenly(widths, leftoverW / count, kWidthBins);
  }
  const int32_t bh = ArgMaxFirst(heights, 0, kHeightBins - 1), bw = ArgMaxFirst(widths, 0, kWidthBins - 1);
  model.heightConfidence = PeakConfidence(heights, 0, kHeightBins - 1, bh);
  model.pitchConfidence = PeakConfidence(widths, 0, kWidthBins - 1, bw);
  model.height = model.heightConfidence > 0 ? DivRound((bh + 20) * p, 80) : DivRound(55 * p, 100);
  model.pitch = model.pitchConfidence > 0 ? DivRound((bw + 15) * p, 80) : DivRound(45 * p, 100);
  model.height = std::max(1, model.height);
  model.pitch = std::max(1, model.pitch);
}

// Charges every candidate of a list its class distance with the given
// measure weights, then drops those at or above the limit when some stay
// below it.
void ChargeDistances(CandidateList& l, const int32_t rows[3], const int32_t weights[5], int32_t limit) {
  int32_t measures[10];
  PositionMeasures(l.top, l.bottom, Width(l), model.height, model.pitch, rows, measures);
  for (int i = 0; i < 5; ++i) measures[2 * i + 1] = weights[i];
  bool anyBelow = false;
  for (int32_t k = 0; k < l.count; ++k) {
    const int32_t c = ClassOf(l.character[k]);
    const int32_t d = c < 0 ? limit : ClassRefDistance(c, measures);
    l.correction[k] = SaturateToInt32(static_cast<int64_t>(l.correction[k]) + d);
    anyBelow = anyBelow || l.correction[k] < limit;
  }
  if (!anyBelow) return;
  for (int32_t k = l.count - 1; k >= 0; --k) {
    if (l.correction[k] < limit) continue;
    for (int32_t j = k; j + 1 < l.count; ++j) {
      l.matchCost[j] = l.matchCost[j + 1];
      l.correction[j] = l.correction[j + 1];
      l.base[j] = l.base[j + 1];
      l.character[j] = l.character[j + 1];
      l.flags[j] = l.flags[j + 1];
    }
    --l.count;
  }
}

void FitRows(CandidateList* const* positions, int32_t count) {
  const int32_t p = model.p;
  int64_t bottoms = 0;
  int32_t widest = 0;
  for (int32_t i = 0; i < count; ++i) {
    const CandidateList& l = *positions[i];
    bottoms += l.bottom;
    records[i].middle = (l.left + l.right) / 2;
    records[i].width = Width(l);
    widest = std::max(widest, records[i].middle);
  }
  model.reference = count > 0 ? static_cast<int32_t>(bottoms / count) : 0;
  const int32_t bands = widest / 256 + 1;
  EngineFree(bandHistograms);
  EngineFree(smoothedBands);
  EngineAllocZeroedChecked(bandHistograms, sizeof(int32_t) * static_cast<size_t>(bands) * kRowBins);
  EngineAllocZeroedChecked(smoothedBands, sizeof(int32_t) * static_cast<size_t>(bands) * kRowBins);
  for (int32_t row = 0; row < 3; ++row) {
    std::memset(bandHistograms, 0, sizeof(int32_t) * static_cast<size_t>(bands) * kRowBins);
    for (int32_t i = 0; i < count; ++i) {
      const CandidateList& l = *positions[i];
      const int32_t band = records[i].middle / 256;
      ENGINE_CHECK(band >= 0);
      int32_t* histogram = bandHistograms + static_cast<size_t>(band) * kRowBins;
      int32_t weights[kMaxCharacterChoices];
      int32_t leftover = VoteWeights(l, weights);
      const int32_t h = Height(l);
      const int32_t d = (row == 0 ? l.bottom : l.top) - model.reference;
      for (int32_t k = 0; k < l.count; ++k) {
        const int32_t c = ClassOf(l.character[k]);
        if (c < 0) {
          leftover += weights[k];
          continue;
        }
        int32_t w[4];
        if (row == 0) GetClassRefA(c, w);
        else if (row == 1) GetClassRefB(c, w);
        else GetClassRefC(c, w);
        const int64_t bin = (d - static_cast<int64_t>(w[0]) * h / 1024) * 60 / p + kRowOffset[row];
        const int64_t width = static_cast<int64_t>(std::max(1, w[1])) * h * 60 / (static_cast<int64_t>(p) * 1024);
        Vote(histogram, kRowBins, bin, width, weights[k], &leftover);
      }
      SpreadEvenly(histogram, leftover / std::max(1, count), kRowBins);
    }
    // Smooth across bands: 1-2-1, the end bands by thirds.
    for (int32_t b = 0; b < bands; ++b)
      for (int32_t k = 0; k < kRowBins; ++k) {
        auto at = [&](int32_t band) { return static_cast<int64_t>(bandHistograms[static_cast<size_t>(band) * kRowBins + k]); };
        int64_t v;
        if (bands == 1) v = at(b);
        else if (b == 0) v = (2 * at(0) + at(1)) / 3;
        else if (b == bands - 1) v = (2 * at(b) + at(b - 1)) / 3;
        else v = (at(b - 1) + 2 * at(b) + at(b + 1)) / 4;
        smoothedBands[static_cast<size_t>(b) * kRowBins + k] = static_cast<int32_t>(std::min<int64_t>(INT32_MAX, v));
      }
    for (int32_t i = 0; i < count; ++i) {
      const int32_t* histogram = smoothedBands + static_cast<size_t>(records[i].middle / 256) * kRowBins;
      const int32_t b = ArgMaxFirst(histogram, 0, kRowBins - 1);
      const int32_t confidence = PeakConfidence(histogram, 0, kRowBins - 1, b);
      records[i].confidence[row] = confidence;
      records[i].row[row] = confidence > 0 ? model.reference + (b - kRowOffset[row]) * p / 60
                                           : model.reference - kDefaultRowPercent[row] * p / 100;
    }
  }
}

// Letters whose small and capital forms differ in size only; the others'
// case is told by their shapes.
constexpr char kSizeCasePairs[] = "cosvwxzCOSVWXZ";
// Letters that measure the line: small ones as high as the x-height and
// capitals and ascenders as high as the capital letters.
constexpr char kXHeightLetters[] = "acemnru";
constexpr char kCapitalHeightLetters[] = "bdhklABDEFGHKLMNPRTU";
constexpr int32_t kWrongCaseCost = 1500;

bool IsIn(const char* set, uint8_t c) { return c != 0 && std::strchr(set, c) != nullptr; }

int32_t BestCandidate(const CandidateList& l) {
  int32_t best = 0;
  for (int32_t k = 1; k < l.count; ++k)
    if (AlternativeCost(l, k) < AlternativeCost(l, best)) best = k;
  return best;
}

int32_t Median(int32_t* values, int32_t n) {
  std::nth_element(values, values + n / 2, values + n);
  return values[n / 2];
}

// The height that parts small letters from capitals: halfway between the
// medians of the positions read best as x-height letters and as capitals
// or ascenders; from one of them alone when the line lacks the other.
void MeasureCaseThreshold(CandidateList* const* positions, int32_t count) {
  model.caseThreshold = 0;
  if (count <= 0) return;
  int32_t* small = new int32_t[static_cast<size_t>(count)];
  int32_t* tall = new int32_t[static_cast<size_t>(count)];
  int32_t smallCount = 0, tallCount = 0;
  for (int32_t i = 0; i < count; ++i) {
    const CandidateList& l = *positions[i];
    if (l.count == 0) continue;
    const uint8_t c = l.character[BestCandidate(l)];
    if (IsIn(kXHeightLetters, c)) small[smallCount++] = Height(l);
    else if (IsIn(kCapitalHeightLetters, c)) tall[tallCount++] = Height(l);
  }
  const int32_t x = smallCount > 0 ? Median(small, smallCount) : 0;
  const int32_t capital = tallCount > 0 ? Median(tall, tallCount) : 0;
  delete[] small;
  delete[] tall;
  if (x > 0 && capital > x) model.caseThreshold = (x + capital) / 2;
  else if (x > 0 && capital == 0) model.caseThreshold = x * 6 / 5;
  else if (capital > 0 && x == 0) model.caseThreshold = capital * 5 / 6;
}

// Charges the letters of a size pair whose case disagrees with the glyph's
// height.
void ChargeCase(CandidateList& l) {
  if (model.caseThreshold <= 0) return;
  const bool looksCapital = Height(l) > model.caseThreshold;
  for (int32_t k = 0; k < l.count; ++k) {
    const uint8_t c = l.character[k];
    if (!IsIn(kSizeCasePairs, c)) continue;
    const bool capital = c >= 'A' && c <= 'Z';
    if (capital != looksCapital) l.correction[k] = SaturateToInt32(static_cast<int64_t>(l.correction[k]) + kWrongCaseCost);
  }
}

void Prune(CandidateList& l) {
  if (l.count == 0) return;
  int32_t best = INT32_MAX;
  for (int32_t k = 0; k < l.count; ++k)
    best = std::min<int32_t>(best, SaturateToInt32(static_cast<int64_t>(l.matchCost[k]) - l.base[k] + l.correction[k]));
  for (int32_t k = l.count - 1; k >= 0; --k) {
    const int64_t value = static_cast<int64_t>(l.matchCost[k]) - l.base[k] + l.correction[k];
    const int64_t fit = std::abs(static_cast<int64_t>(l.matchCost[k]) - l.base[k]) + 9LL * l.correction[k];
    if (fit <= 25000 && value - best <= 9000) continue;
    for (int32_t j = k; j + 1 < l.count; ++j) {
      l.matchCost[j] = l.matchCost[j + 1];
      l.correction[j] = l.correction[j + 1];
      l.base[j] = l.base[j + 1];
      l.character[j] = l.character[j + 1];
      l.flags[j] = l.flags[j + 1];
    }
    --l.count;
  }
}

}  // namespace

int32_t PeakConfidence(const int32_t* profile, int32_t from, int32_t to, int32_t peak) {
  ENGINE_CHECK_POINTER(profile);
  ENGINE_CHECK(from <= peak && peak <= to);
  const int32_t n = to - from;
  if (n <= 0) return 0;
  int64_t s = 0;
  for (int32_t i = from; i <= to; ++i)
    if (i != peak) s += static_cast<int64_t>(profile[i]) * std::min(std::abs(i - peak), n / 8) / n;
  const int64_t c = static_cast<int64_t>(profile[peak]) / 1024 - 4 * s / 1024;
  if (c < 0 || s / 1024 >= profile[peak] / 1024) return 0;
  // A long, clean line that votes for one bin goes past 1000: that is full
  // confidence, not a fault.
  return static_cast<int32_t>(std::min<int64_t>(1000, c * 1000 / 1024));
}

void FitPositionScale(CandidateList* const* positions, int32_t count, int32_t p) {
  ENGINE_CHECK(count >= 0);
  ENGINE_CHECK(count == 0 || positions != nullptr);
  FreePositionRecords();
  model = {};
  model.p = std::max(1, p);
  EngineAllocZeroedChecked(records, sizeof(PositionRecord) * static_cast<size_t>(std::max(1, count)));
  recordCount = count;
  // 1. Height and pitch.
  FitSize(positions, count);
  // 2. Size costs.
  const int32_t noRows[3] = {0, 0, 0};
  const int32_t sizeWeights[5] = {0, 0, 0, model.heightConfidence, model.pitchConfidence};
  for (int32_t i = 0; i < count; ++i) ChargeDistances(*positions[i], noRows, sizeWeights, 1000);
  // 3. Rows.
  FitRows(positions, count);
  // 4. Row costs.
  for (int32_t i = 0; i < count; ++i) {
    const int32_t rowWeights[5] = {records[i].confidence[0], records[i].confidence[1], records[i].confidence[2], 0, 0};
    ChargeDistances(*positions[i], records[i].row, rowWeights, 2000);
  }
  // Case of the letters that differ in size only.
  MeasureCaseThreshold(positions, count);
  for (int32_t i = 0; i < count; ++i) ChargeCase(*positions[i]);
  // 5. Final pruning.
  for (int32_t i = 0; i < count; ++i) Prune(*positions[i]);
  model.ready = true;
}

bool IsPositionScaleReady() { return model.ready; }

int32_t GetTextHeight() {
  ENGINE_CHECK(model.ready);
  return model.height;
}
int32_t GetTextPitch() {
  ENGINE_CHECK(model.ready);
  return model.pitch;
}
int32_t GetHeightConfidence() {
  ENGINE_CHECK(model.ready);
  return model.heightConfidence;
}
int32_t GetPitchConfidence() {
  ENGINE_CHECK(model.ready);
  return model.pitchConfidence;
}
int32_t GetScaleValue() {
  ENGINE_CHECK(model.ready);
  return std::max(1, model.height / 2);
}

int32_t ReferenceRowAt(int32_t x) {
  ENGINE_CHECK(model.ready);
  if (recordCount == 0) return model.reference;
  for (int32_t i = 0; i < recordCount; ++i)
    if (records[i].middle >= x) return records[i].row[0];
  return records[recordCount - 1].row[0];
}

int32_t PositionRecordCount() { return model.ready ? recordCount : 0; }

const PositionRecord& GetPositionRecord(int32_t i) {
  ENGINE_CHECK(model.ready);
  ENGINE_CHECK_INDEX(i, recordCount);
  return records[i];
}

void CorrectCandidateList(CandidateList* list) {
  ENGINE_CHECK(model.ready);
  ENGINE_CHECK_POINTER(list);
  const int32_t sizeWeights[5] = {0, 0, 0, model.heightConfidence, model.pitchConfidence};
  const int32_t noRows[3] = {0, 0, 0};
  ChargeDistances(*list, noRows, sizeWeights, 1000);
  if (recordCount > 0) {
    const int32_t middle = (list->left + list->right) / 2;
    int32_t i = 0;
    while (i + 1 < recordCount && records[i].middle < middle) ++i;
    const int32_t rowWeights[5] = {records[i].confidence[0], records[i].confidence[1], records[i].confidence[2], 0, 0};
    ChargeDistances(*list, records[i].row, rowWeights, 2000);
  }
  ChargeCase(*list);
  Prune(*list);
}

void FreePositionRecords() {
  EngineFree(records);
  recordCount = 0;
  model.ready = false;
}

void FreePositionScales() {
  FreePositionRecords();
  EngineFree(bandHistograms);
  EngineFree(smoothedBands);
  model = {};
}
