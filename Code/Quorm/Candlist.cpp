// Candidate lists in a hash table of 1024 slots with linear probing. A slot
// is found from start x 103 + end but matched on both ends, so segments
// longer than 103 cut positions never share a list.
#include "Code/Quorm/Candlist.h"

#include <algorithm>
#include <cstring>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Heapcheck.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Posnscal.h"

namespace {

CandidateList* slots[kCandidateSlots] = {};
int32_t listCount = 0;
int32_t costFactor = 0;
SegmentSampler sampler = nullptr;

constexpr int32_t kCostPoints[14] = {0, 3000, 4500, 6000, 7500, 9000, 10500, 12000, 13500, 15000, 18000, 24000, 36000, 72000};
constexpr int32_t kConfidences[14] = {1014, 979, 931, 843, 700, 512, 324, 181, 93, 45, 10, 0, 0, 0};
constexpr int32_t kMappedCosts[14] = {10, 46, 97, 199, 390, 710, 1178, 1775, 2460, 3197, 4736, 7877, 14178, 58289};

int32_t FirstSlot(int32_t start, int32_t end) {
  const int64_t key = static_cast<int64_t>(start) * 103 + end;
  int64_t slot = key % kCandidateSlots;
  if (slot < 0) slot += kCandidateSlots;
  return static_cast<int32_t>(slot);
}

// The slot that holds (start, end), or the empty slot where it would go;
// -1 when the table is full and does not hold it.
int32_t Probe(int32_t start, int32_t end) {
  int32_t slot = FirstSlot(start, end);
  for (int32_t tries = 0; tries < kCandidateSlots; ++tries) {
    const CandidateList* list = slots[slot];
    if (list == nullptr || (list->start == start && list->end == end)) return slot;
    slot = (slot + 1) % kCandidateSlots;
  }
  return -1;
}

}  // namespace

void SetSegmentSampler(SegmentSampler s) { sampler = s; }

void ResetCandidateLists() { listCount = 0; }

void SetCandidateCostFactor(int32_t factor) { costFactor = std::min(25, std::max(6, factor)); }
int32_t GetCandidateCostFactor() { return costFactor; }

int32_t ScaleCandidateCost(int32_t raw) { return SaturateToInt32(static_cast<int64_t>(costFactor) * raw); }

int32_t AlternativeCost(const CandidateList& list, int32_t k) {
  ENGINE_CHECK_INDEX(k, list.count);
  const int64_t raw = static_cast<int64_t>(list.correction[k]) + list.matchCost[k] - list.base[k];
  return ScaleCandidateCost(static_cast<int32_t>(std::min<int64_t>(kMaxAlternativeCost, raw)));
}

int32_t CandidateConfidence(int32_t scaledCost) {
  ENGINE_CHECK(scaledCost >= 0);
  return InterpolateTable(kCostPoints, kConfidences, 14, scaledCost);
}

int32_t CandidateMappedCost(int32_t scaledCost) {
  ENGINE_CHECK(scaledCost >= 0);
  return InterpolateTable(kCostPoints, kMappedCosts, 14, scaledCost);
}

void ClearCandidateLists() {
  for (CandidateList*& list : slots) EngineFree(list);
  listCount = 0;
  costFactor = 0;
}

int32_t CandidateListCount() { return listCount; }

int32_t AddCandidateList(int32_t start, int32_t end) {
  const int32_t slot = Probe(start, end);
  if (slot >= 0 && slots[slot] != nullptr) return 0;
  if (listCount >= kMaxCandidateLists || slot < 0) return -1;
  ENGINE_CHECK_POINTER(sampler);
  uint8_t sample[kMaxSampleWidth * kMaxSampleHeight];
  int32_t width = 0, height = 0, box[4] = {0, 0, 0, 0};
  CharacterChoices choices;
  if (sampler(start, end, sample, &width, &height, box))
    ClassifyCharacter(&choices, sample, width, height);
  else
    std::memset(&choices, 0, sizeof choices);
  CandidateList*& list = slots[slot];
  EngineAllocZeroedChecked(list, sizeof(CandidateList));
  list->left = box[0];
  list->top = box[1];
  list->right = box[2];
  list->bottom = box[3];
  list->count = choices.count;
  for (int32_t k = 0; k < choices.count; ++k) {
    list->matchCost[k] = choices.distance[k];
    list->base[k] = choices.base[k];
    list->character[k] = choices.character[k];
    list->flags[k] = choices.flags[k];
  }
  list->ink = choices.ink;
  list->start = start;
  list->end = end;
  ++listCount;
  if (IsPositionScaleReady()) CorrectCandidateList(list);
  return 1;
}

int32_t AddPathCandidateList(const SegmentPath& path, int32_t i) {
  ENGINE_CHECK_INDEX(i, path.count);
  return AddCandidateList(path.cuts[i], path.cuts[i + 1]);
}

CandidateList* FindCandidateListForUpdate(int32_t start, int32_t end) {
  const int32_t slot = Probe(start, end);
  return slot < 0 ? nullptr : slots[slot];
}

const CandidateList* FindCandidateList(int32_t start, int32_t end) { return FindCandidateListForUpdate(start, end); }

const CandidateList& PathCandidateList(const SegmentPath& path, int32_t i) {
  ENGINE_CHECK_INDEX(i, path.count);
  const CandidateList* list = FindCandidateList(path.cuts[i], path.cuts[i + 1]);
  ENGINE_CHECK_POINTER(list);
  return *list;
}

int32_t CharacterCost(int32_t start, int32_t end, uint8_t c) {
  const CandidateList* list = FindCandidateList(start, end);
  ENGINE_CHECK_POINTER(list);
  if (list->count == 0) return ScaleCandidateCost(kMaxAlternativeCost);
  for (int32_t k = 0; k < list->count; ++k)
    if (list->character[k] == c) return AlternativeCost(*list, k);
  EngineAssertFail(__FILE__, __LINE__);
}

int32_t MappedCharacterCost(int32_t start, int32_t end, uint8_t c) {
  const CandidateList* list = FindCandidateList(start, end);
  ENGINE_CHECK_POINTER(list);
  return CandidateMappedCost(list->count == 0 ? kNoAlternativesCost : std::max(0, CharacterCost(start, end, c)));
}

int32_t BestAlternativeCost(const CandidateList& list) {
  if (list.count == 0) return ScaleCandidateCost(kMaxAlternativeCost);
  int32_t best = AlternativeCost(list, 0);
  for (int32_t k = 1; k < list.count; ++k) best = std::min(best, AlternativeCost(list, k));
  return best;
}

CandidateList* CandidateListInSlot(int32_t slot) {
  ENGINE_CHECK_INDEX(slot, kCandidateSlots);
  return slots[slot];
}
