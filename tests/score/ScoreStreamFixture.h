// A score held in the score stream set for the tests of the stream walkers:
// each part's block is exactly its used length, so that a read past the end
// is caught by the address sanitizer.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "platform/Messages.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

using StreamBytesList = std::vector<uint8_t>;

inline StreamBytesList JoinItems(std::initializer_list<StreamBytesList> items) {
  StreamBytesList all;
  for (const StreamBytesList& item : items) all.insert(all.end(), item.begin(), item.end());
  return all;
}

inline StreamBytesList ClefItem(uint8_t code, uint8_t octave = 0) {
  return {uint8_t(kItemClef | code << 3), octave};
}
inline StreamBytesList KeyItem(int key, bool notPlayed = false) {
  return {MakeKeySignature(uint8_t(key < 0 ? -key : key), key > 0, notPlayed)};
}
inline StreamBytesList TimeItem(uint8_t numerator, uint8_t code, bool hidden = false) {
  return {uint8_t(kItemTime | numerator << 3), uint8_t(code | (hidden ? 0x80 : 0))};
}
inline StreamBytesList BarItem() { return {MakeBarLine(kBarSingle)}; }
// notes: (position | accidental << 5) bytes
inline StreamBytesList ChordItem(std::initializer_list<uint8_t> notes, uint8_t voice = 0) {
  StreamBytesList item(kChordHeaderBytes + notes.size(), 0);
  item[0] = uint8_t(kItemChord | notes.size() << 3);
  item[1] = uint8_t(kDurationQuarter << 2);
  item[4] = uint8_t(voice << 3);
  std::copy(notes.begin(), notes.end(), item.begin() + kChordHeaderBytes);
  return item;
}
inline uint8_t Note(int position, int accidental = kAccidentalNone) {
  return uint8_t(position | accidental << 5);
}
// A text item of the current layout (version 3 and later): two placement
// bytes, then UTF-16LE text.
inline StreamBytesList TextItem(uint8_t subKind, const char* text) {
  size_t units = std::strlen(text);
  uint32_t payload = uint32_t(2 + 2 * units);
  StreamBytesList item(3 + payload, 0);
  item[0] = uint8_t(kItemText | subKind << 3);
  item[1] = uint8_t(payload & 0xFF);
  item[2] = uint8_t(payload >> 8);
  for (size_t u = 0; u < units; ++u) item[5 + 2 * u] = uint8_t(text[u]);
  return item;
}

class ScoreStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetScoreStreams();
    ResetPartRecords();
    PartCount = 0;
    ScoreFormatVersion = kCurrentScoreFormatVersion;
  }
  void TearDown() override {
    ResetScoreStreams();
    ResetPartRecords();
    PartCount = 0;
    ScoreFormatVersion = kCurrentScoreFormatVersion;
  }

  void SetPart(int slot, const StreamBytesList& bytes) {
    FreeHandle(&ScoreStream.block[slot]);
    ASSERT_TRUE(AllocHandle(&ScoreStream.block[slot], bytes.empty() ? 1 : bytes.size()));
    std::copy(bytes.begin(), bytes.end(), StreamBytes(ScoreStream, slot));
    ScoreStream.used[slot] = uint32_t(bytes.size());
    PartCount = std::max<int32_t>(PartCount, slot + 1);
  }
  StreamBytesList Part(int slot) const {
    const uint8_t* bytes = StreamBytes(ScoreStream, slot);
    return StreamBytesList(bytes, bytes + ScoreStream.used[slot]);
  }
};
