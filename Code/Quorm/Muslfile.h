// What a music or notehead reference file may hold: the limits that the
// loader checks every record against before it allocates anything.
#pragma once

#include <cstdint>

constexpr int32_t kMinFixedSymbolType = 32;
constexpr int32_t kMaxFixedSymbolType = 1999;
constexpr int32_t kMaxHeadClass = 7;
constexpr int32_t kMaxHeadVariant = 3;
// Size limits are per cent of the staff space: at most 100 staff spaces.
constexpr int32_t kMaxReferenceSizePercent = 10000;
constexpr int32_t kMaxReferenceRecords = 1000000;
