// Candidate lists: for one text line at a time, the alternative character
// readings of every segment the line reader has classified, found again by
// the segment's start and end cut positions.
#pragma once

#include <cstdint>

#include "Code/Quorm/Textclas.h"

constexpr int32_t kCandidateSlots = 1024;
constexpr int32_t kMaxCandidateLists = 800;
constexpr int32_t kMaxAlternativeCost = 3072;
constexpr int32_t kNoAlternativesCost = 96000;  // mapped cost of a list with no alternatives

struct CandidateList {
  int32_t left, top, right, bottom;  // the segment's box (bitmap columns and rows; right and bottom exclusive)
  int32_t count;                     // alternatives, 0..10
  int32_t matchCost[kMaxCharacterChoices];
  int32_t correction[kMaxCharacterChoices];  // set by the position and scale model
  int32_t base[kMaxCharacterChoices];
  uint8_t character[kMaxCharacterChoices];   // each code at most once
  int32_t flags[kMaxCharacterChoices];
  int32_t ink;
  int32_t start, end;  // the segment's cut positions: both ends are the key
};

// A segment path: count m and m + 1 cut positions.
struct SegmentPath {
  int32_t count;
  const int16_t* cuts;
};

// Where the samples of segments come from: fills a 0/1 sample (at most
// kMaxSampleWidth x kMaxSampleHeight) of the segment between two cut
// positions and its box; returns false when the segment is too large to
// sample (its box is filled in any case).
using SegmentSampler = bool (*)(int32_t start, int32_t end, uint8_t* sample, int32_t* width, int32_t* height,
                                int32_t box[4]);
void SetSegmentSampler(SegmentSampler sampler);

void ResetCandidateLists();  // the count only; the blocks stay until cleared
void SetCandidateCostFactor(int32_t factor);  // clamped to [6, 25]
int32_t GetCandidateCostFactor();
int32_t ScaleCandidateCost(int32_t raw);
// factor x min(3072, correction + match cost - base value)
int32_t AlternativeCost(const CandidateList& list, int32_t k);
// Scaled cost to a confidence (1014 .. 0) and to a cost (10 .. 58289); a
// negative cost is a failed check.
int32_t CandidateConfidence(int32_t scaledCost);
int32_t CandidateMappedCost(int32_t scaledCost);
void ClearCandidateLists();
int32_t CandidateListCount();

// -1 when 800 lists exist, 0 when the segment has a list, else classifies
// the segment and returns 1.
int32_t AddCandidateList(int32_t start, int32_t end);
int32_t AddPathCandidateList(const SegmentPath& path, int32_t i);
const CandidateList* FindCandidateList(int32_t start, int32_t end);
CandidateList* FindCandidateListForUpdate(int32_t start, int32_t end);
// The list of segment i (0 .. m - 1) of a path; it must exist.
const CandidateList& PathCandidateList(const SegmentPath& path, int32_t i);
// Cost of character c in the segment (its list must exist and hold c, unless
// it has no alternatives).
int32_t CharacterCost(int32_t start, int32_t end, uint8_t c);
int32_t MappedCharacterCost(int32_t start, int32_t end, uint8_t c);
// The list in a slot of the table (null for an empty slot), for walks over
// every list.
CandidateList* CandidateListInSlot(int32_t slot);
// The cost of the list's best alternative (factor x 3072 when it has none).
int32_t BestAlternativeCost(const CandidateList& list);
