#include "shapes/NotationGroups.h"

void WritePartChunk(const RunPartRecord& part, uint8_t* chunk) {
  chunk[0] = kChunkPart;
  chunk[1] = static_cast<uint8_t>(kChunkPartLength);
  chunk[2] = part.direction;
  chunk[3] = part.lowPosition;
  chunk[4] = part.highPosition;
  chunk[5] = part.firstLine;
  chunk[6] = part.lastLine;
  chunk[7] = part.id;
}

bool ReadPartChunk(const uint8_t* chunk, size_t available, RunPartRecord* part) {
  if (available < kChunkPartLength || chunk[0] != kChunkPart || chunk[1] != kChunkPartLength || chunk[2] > 1 ||
      chunk[3] > chunk[4] || chunk[5] > chunk[6])
    return false;
  *part = {chunk[2], chunk[3], chunk[4], chunk[5], chunk[6], chunk[7]};
  return true;
}
