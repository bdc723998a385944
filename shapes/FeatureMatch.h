// Similarity in percent of a candidate's packed zone cells (as written by
// ComputeZoneFeatures) and one trained record (8-byte header, then cells).
// Not symmetric: header byte 6 of the reference tunes the comparison.
#pragma once

#include <cstdint>

#include "shapes/ZoneFeatures.h"

// At most 104; 0 for an early rejection (loss of 268 or more) or a reference
// without ink.
int ScoreFeatures8x8(const uint8_t* cells, const uint8_t* record);
// At most 100; rows 0, 7, 8 and 15 are not compared; 0 for an early rejection
// (loss of 288 or more) or when no compared cell of the reference has ink.
int ScoreFeatures8x16(const uint8_t* cells, const uint8_t* record);

// A sample group: the eight records made from one training sample, stored one
// after the other; all carry the same header.
constexpr int kSampleGroupRecords = 8;
// The matchers compare at most the first three records of a group.
constexpr int kComparedGroupRecords = 3;

// The best score of the candidate against one sample group of the 8 x 8 or
// 8 x 16 set: stops after the first record when it scores below maybe or
// when the group asks for its first record only, and at the first record
// that reaches safe. Other grids score 0.
int BestGroupScore(ZoneGrid grid, const uint8_t* cells, const uint8_t* group, int safe, int maybe);
