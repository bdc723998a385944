// Edge-direction features of one small symbol image and their weighted
// comparison with reference patterns.
#pragma once

#include <cstdint>

constexpr int kEdgeFeatureCount = 90;
constexpr int kEdgeSecondCount = 40;
constexpr int kEdgeThirdCount = 12;
constexpr int kEdgeImageLimit = 500;  // width and height must stay below it

// Builds the direction split, cost and compression tables (once per start).
void InitialiseEdgeFeatureTables();

// image: one byte per pixel, rows of width bytes, any non-zero byte is ink.
// Patch margin 0, main vector only.
void ComputeEdgeFeatures(uint8_t* main90, const uint8_t* image, int32_t width, int32_t height);
// Patch margin 3; second40 may be null; third12 is written only when second40
// is given too.
void ComputeEdgeFeaturesFull(uint8_t* main90, uint8_t* second40, uint8_t* third12,
                             const uint8_t* image, int32_t width, int32_t height);

// Sum over k of cost[weight row k][|features[k] - value k|]; references hold
// n (value byte, weight-row byte) pairs. n must be even; n < 2 gives 0.
int32_t WeightedFeatureDistance(const uint8_t* features, const uint8_t* references, int32_t n);

// Table entries, for tests and tools.
uint8_t EdgeCostTableEntry(int32_t weightRow, int32_t difference);
uint8_t EdgeCompressionEntry(int32_t value);
