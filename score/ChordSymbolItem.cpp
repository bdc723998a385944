// The packed fields of a chord-symbol item.
#include "score/ScoreItem.h"

bool IsChordSymbolItem(const uint8_t* item, uint8_t version) {
  return item[0] == kChordSymbolFirstByte && TextPayloadLength(item, version) == kChordSymbolPayload;
}

int IsChordSymbolShown(const uint8_t* item, uint8_t version) {
  if (!IsChordSymbolItem(item, version)) return 0;
  return (item[ChordSymbolFlagsOffset(version)] >> 1) & 1;
}

int IsChordDiagramShown(const uint8_t* item, uint8_t version) {
  if (!IsChordSymbolItem(item, version)) return 0;
  return item[ChordSymbolFlagsOffset(version)] & 1;
}

int GetChordSymbolRoot(const uint8_t* item, uint8_t version) {
  if (!IsChordSymbolItem(item, version)) return 0;
  return item[ChordSymbolFlagsOffset(version) + 3] & 31;
}

int GetChordSymbolQuality(const uint8_t* item, uint8_t version) {
  if (!IsChordSymbolItem(item, version)) return 0;
  const uint8_t* p = item + ChordSymbolFlagsOffset(version);
  return (p[3] >> 5) | ((p[4] & 7) << 3);
}

int GetChordSymbolBass(const uint8_t* item, uint8_t version) {
  if (!IsChordSymbolItem(item, version)) return 0;
  return item[ChordSymbolFlagsOffset(version) + 4] >> 3;
}

int GetChordDiagramFields(const uint8_t* item, uint8_t fields[kChordDiagramFieldCount], uint8_t version) {
  if (!IsChordSymbolItem(item, version)) return 0;
  const uint8_t* p = item + ChordSymbolFlagsOffset(version);
  fields[0] = (p[0] >> 2) & 15;
  fields[1] = static_cast<uint8_t>((p[0] >> 6) | ((p[1] & 1) << 2));
  fields[2] = (p[1] >> 1) & 7;
  fields[3] = (p[1] >> 4) & 7;
  fields[4] = static_cast<uint8_t>((p[1] >> 7) | ((p[2] & 3) << 1));
  fields[5] = (p[2] >> 2) & 7;
  fields[6] = (p[2] >> 5) & 7;
  return 1;
}

int SetChordSymbolFields(uint8_t* item, int shown, uint8_t root, uint8_t quality, uint8_t bass,
                         uint8_t version) {
  if (!IsChordSymbolItem(item, version)) return 0;
  uint8_t* p = item + ChordSymbolFlagsOffset(version);
  p[0] = static_cast<uint8_t>((p[0] & ~2) | (shown ? 2 : 0));
  p[3] = static_cast<uint8_t>((root & 31) | ((quality & 7) << 5));
  p[4] = static_cast<uint8_t>(((quality >> 3) & 7) | ((bass & 31) << 3));
  return 1;
}

int SetChordDiagramFields(uint8_t* item, int shown, const uint8_t fields[kChordDiagramFieldCount],
                          uint8_t version) {
  if (!IsChordSymbolItem(item, version)) return 0;
  uint8_t* p = item + ChordSymbolFlagsOffset(version);
  p[0] = static_cast<uint8_t>((shown ? 1 : 0) | (p[0] & 2) | ((fields[0] & 15) << 2) | ((fields[1] & 3) << 6));
  p[1] = static_cast<uint8_t>(((fields[1] >> 2) & 1) | ((fields[2] & 7) << 1) | ((fields[3] & 7) << 4) |
                              ((fields[4] & 1) << 7));
  p[2] = static_cast<uint8_t>(((fields[4] >> 1) & 3) | ((fields[5] & 7) << 2) | ((fields[6] & 7) << 5));
  return 1;
}
