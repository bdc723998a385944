// The text character classifier: a three-level search of the text
// reference patterns (very-fast patterns prune fast patterns, which prune
// main patterns) that turns the image of one character candidate into a
// short list of characters with distances. Also the class measures of word
// style and the distances of measured sizes and rows to a class.
#pragma once

#include <cstdint>

constexpr int32_t kMaxCharacterChoices = 10;
constexpr int32_t kMaxSampleWidth = 100;
constexpr int32_t kMaxSampleHeight = 80;
constexpr int32_t kMainFeatureCount = 96;
constexpr int32_t kApostropheExtraDistance = 400;

struct CharacterChoices {
  int32_t count;
  uint8_t character[kMaxCharacterChoices];
  int32_t distance[kMaxCharacterChoices];
  int32_t base[kMaxCharacterChoices];   // the typical distance of the pattern that brought it in
  int32_t flags[kMaxCharacterChoices];  // OR of the flags of its patterns
  int32_t ink;
};

// sample: one byte per pixel, 0 or 1 (any other value counts as 1). A sample
// wider than 100 or higher than 80 gives 0 choices.
void ClassifyCharacter(CharacterChoices* result, const uint8_t* sample, int32_t width, int32_t height);
// Removes entry k, shifting the later ones down.
void RemoveCharacterChoice(CharacterChoices* choices, int32_t k);

// The 96 main features of a sample (90 edge features and 6 copies of its
// aspect angle), the 40 fast and the 12 very-fast features. The reference
// builder uses the same function.
void TextSampleFeatures(const uint8_t* sample, int32_t width, int32_t height, uint8_t main[kMainFeatureCount],
                        uint8_t fast[40], uint8_t veryFast[12]);
// IntSqrt(ink x 16384) / height; 0 for an empty sample.
int32_t SampleInkMeasure(const uint8_t* sample, int32_t width, int32_t height);

// Scaled distance of five measured (value, weight) pairs to the stored
// (mean, spread) pairs of class words 3/4, 7/8, 11/12, 15/16 and 19/20.
// Spreads below 1 count as 1.
int32_t ClassRefDistance(int32_t classIndex, const int32_t measures[10]);
// The two squared scaled distances of a value to class words 21/22 and 23/24.
void ClassInkDistances(int32_t classIndex, int32_t value, int32_t* d1, int32_t* d2);

// The measured values of a character position against the line's
// estimates, in the order ClassRefDistance takes them: the row offsets
// (bottom against row 1, top against rows 2 and 3) as angles against H, the
// height as an angle against H and the width as one against Q. Weights are
// left 0. The reference builder uses the same function.
void PositionMeasures(int32_t top, int32_t bottom, int32_t width, int32_t textHeight, int32_t pitch,
                      const int32_t rows[3], int32_t measures[10]);
