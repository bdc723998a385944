// The choice of spelling for one word segment of a text line: the readings
// of its character positions are enumerated cheapest first, kept to those
// the syllable pattern allows, and scored with the language's word costs.
#pragma once

#include <cstdint>

constexpr int32_t kMaxSegmentCharacters = 31;
constexpr int32_t kUnreadConfidenceCost = 14336;

struct SegmentReading {
  int32_t count;                                  // character positions (cuts spanned)
  int16_t cuts[kMaxSegmentCharacters + 1];        // piece indices
  int32_t latticeCost;
  int32_t spellingCost;                           // the chosen text's word cost
  int32_t readingCost;                            // that and its characters' classifier costs
  int32_t confidenceCost;
  int32_t shapeCost;
  int32_t widthMeasure;
  char text[kMaxSegmentCharacters + 1];
};

// Spells the reading's positions (their candidate lists must exist or be
// missing, which counts as unreadable), keeping the `keep` best readings.
void SpellSegment(SegmentReading* reading, int32_t keep, int mode);

// The syllable pattern over a partial reading: true when it passes.
bool SyllablePattern(const char* text, int32_t length);
