// The chunk lists of NotationGroups (notation template groups). A group is:
// u16 its length, u8 TYPF value, u8 type code, then chunks (u8 tag, u8 length
// with the tag and length bytes included) up to the end chunk, then u32
// description count and that many u32 offsets of run descriptions in the
// description block.
#pragma once

#include <cstddef>
#include <cstdint>

enum : uint8_t {
  kChunkEnd = 0,
  kChunkHeader = 3,      // the 8 header bytes of the group's first sample, 2 reserved
  kChunkPart = 4,        // one part record
  kChunkThresholds = 10, // u16 "safe" distance, u16 "maybe" distance, 2 reserved
  kChunkConfusions = 11, // n, then n pairs (type code, part)
  kChunkFlag = 12,       // flag byte, part byte
};
constexpr size_t kChunkHeaderLength = 12;
constexpr size_t kChunkPartLength = 8;
constexpr size_t kChunkThresholdsLength = 8;
constexpr size_t kChunkFlagLength = 4;
constexpr size_t kChunkEndLength = 4;
constexpr int kMaxConfusionPairs = 124;
inline size_t ConfusionChunkLength(int pairs) { return ((static_cast<size_t>(pairs) + 1) * 2 & ~size_t{3}) + 4; }

// A run part record: which set of lines of a run description it looks at
// (direction 0 = the row lines, 1 = the column lines), the range of run
// positions (centres, in eighths of a cell) that belong to the part, the
// range of line indexes (0-based within that set) it covers, and the id
// handed back to the caller that finds it. Written and read only through
// these two functions.
struct RunPartRecord {
  uint8_t direction;
  uint8_t lowPosition, highPosition;
  uint8_t firstLine, lastLine;
  uint8_t id;
};
void WritePartChunk(const RunPartRecord& part, uint8_t* chunk);  // kChunkPartLength bytes
// False when the chunk is not a well-formed part record.
bool ReadPartChunk(const uint8_t* chunk, size_t available, RunPartRecord* part);
