// The 8-byte header of a trained ZoneFeatureRecord (and of a sample group,
// whose eight records all carry the same header). Every reader and writer of
// these bytes goes through the accessors here; each byte has one meaning:
//
//   0  type code of the sample (255 = none)
//   1  vertical position value (bits 0-3) and part value x 16 (bits 4-7); the
//      ShapeTypePartTable keeps byte 1 / 64
//   2  left and right trims of the sample
//   3  flags: 1 hollow, 2 mid-stave, 4 x increment, 8 first record only,
//      16 removable, 32 overlap, bits 6-7 right extension
//   4  vertical displacement
//   5  bit 0 long-gap flag (ShapeTypeFlagTable), bits 1-3 overlap
//      priority, bits 4-6 confidence class
//   6  match tuning, read by the matchers: bits 4-7 weight reduction h
//      (weight 100 - h), bit 3 excludes column 0 and bits 0-2 the last L
//      columns of an 8 x 16 comparison
//   7  context row: the 1-based row of LeftContextList and of RightContextList
//      that applies to this type; 0 = none
#pragma once

#include <cstdint>

constexpr int kZoneHeaderBytes = 8;

inline int ZoneHeaderType(const uint8_t* h) { return h[0]; }
inline void SetZoneHeaderType(uint8_t* h, int type) { h[0] = static_cast<uint8_t>(type); }

inline int ZoneHeaderPartValue(const uint8_t* h) { return h[1] >> 6; }

inline bool ZoneHeaderFirstRecordOnly(const uint8_t* h) { return (h[3] & 0x08) != 0; }
inline void SetZoneHeaderFirstRecordOnly(uint8_t* h, bool on) {
  h[3] = static_cast<uint8_t>(on ? (h[3] | 0x08) : (h[3] & ~0x08));
}

inline bool ZoneHeaderLongGap(const uint8_t* h) { return (h[5] & 0x01) != 0; }

// Byte 6.
inline int ZoneHeaderWeight(const uint8_t* h) { return 100 - (h[6] >> 4); }
inline bool ZoneHeaderExcludesFirstColumn(const uint8_t* h) { return (h[6] & 0x08) != 0; }
inline int ZoneHeaderExcludedLastColumns(const uint8_t* h) { return h[6] & 0x07; }
// False, and the byte unchanged, when a value does not fit its bits.
inline bool SetZoneHeaderMatchTuning(uint8_t* h, int weightReduction, bool excludeFirstColumn, int excludedLastColumns) {
  if (weightReduction < 0 || weightReduction > 15 || excludedLastColumns < 0 || excludedLastColumns > 7) return false;
  h[6] = static_cast<uint8_t>(weightReduction << 4 | (excludeFirstColumn ? 0x08 : 0) | excludedLastColumns);
  return true;
}

// Byte 7.
inline int ZoneHeaderContextRow(const uint8_t* h) { return h[7]; }
inline void SetZoneHeaderContextRow(uint8_t* h, int row) { h[7] = static_cast<uint8_t>(row); }
