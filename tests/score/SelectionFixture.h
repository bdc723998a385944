// A small score view for the selection and bar tests: its own stream set
// (blocks of exactly the stream's size, so that a read past the end is
// caught), an item index and stave rows, with item builders.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/Messages.h"
#include "score/ItemSelection.h"
#include "score/ScoreItem.h"
#include "score/SelectionViewHooks.h"

using Bytes = std::vector<uint8_t>;

inline Bytes Join(std::initializer_list<Bytes> items) {
  Bytes all;
  for (const Bytes& item : items) all.insert(all.end(), item.begin(), item.end());
  return all;
}

inline Bytes BarLine() { return {MakeBarLine(kBarSingle)}; }
inline Bytes Clef(uint8_t code, uint8_t b1 = 0) { return {uint8_t(kItemClef | code << 3), b1}; }

// flags: b4 bits 5-7 (0x20 stem down, 0x40 beam member, 0x80 beam start).
inline Bytes Chord(uint8_t voice, uint8_t duration, std::initializer_list<uint8_t> notes,
                   uint8_t flags = 0, uint8_t b2 = 0) {
  Bytes item(kChordHeaderBytes + notes.size(), 0);
  item[0] = uint8_t(kItemChord | notes.size() << 3);
  item[1] = uint8_t(duration << 2);
  item[2] = b2;
  item[4] = uint8_t(flags | voice << 3);
  size_t i = kChordHeaderBytes;
  for (uint8_t note : notes) item[i++] = note;
  return item;
}

inline Bytes Rest(uint8_t voice, uint8_t duration, uint8_t b1Extra = 0) {
  return {uint8_t(kItemRest | duration << 4), uint8_t(voice << 6 | b1Extra)};
}

inline Bytes Mark(uint8_t firstByte, uint8_t voice, uint8_t b1 = 3) {
  return {firstByte, b1, uint8_t(voice << 6), 0, 0};
}

// A version-3-and-later text item of sub-kind 0 holding units UTF-16 units.
inline Bytes Text(uint32_t units, uint8_t subKind = kTextStaff) {
  const uint32_t payload = 2 + 2 * units;  // two placement bytes, then the text
  Bytes item(3 + payload, 0);
  item[0] = uint8_t(kItemText | subKind << 3);
  item[1] = uint8_t(payload & 0xFF);
  item[2] = uint8_t(payload >> 8);
  for (uint32_t u = 0; u < units; ++u) item[5 + 2 * u] = uint8_t('a' + u % 26);
  return item;
}

class SelectionFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    savedVersion_ = ScoreFormatVersion;
    ScoreFormatVersion = kCurrentScoreFormatVersion;
    view_ = std::make_unique<ScoreViewItems>();
    view_->streams = &streams_;
    ResetSelectionViewHooks();
  }
  void TearDown() override {
    FreeStreamSet(&streams_);
    ResetSelectionViewHooks();
    ScoreFormatVersion = savedVersion_;
  }

  void SetPart(int slot, const Bytes& bytes) {
    FreeHandle(&streams_.block[slot]);
    streams_.used[slot] = 0;
    if (bytes.empty()) return;
    ASSERT_EQ(AllocHandle(&streams_.block[slot], bytes.size()), 1);
    std::memcpy(streams_.block[slot], bytes.data(), bytes.size());
    streams_.used[slot] = uint32_t(bytes.size());
  }
  Bytes Part(int slot) const {
    const uint8_t* bytes = StreamBytes(streams_, slot);
    return bytes ? Bytes(bytes, bytes + streams_.used[slot]) : Bytes();
  }

  int AddRow(uint32_t part, uint32_t offset, int16_t left, int16_t right, int16_t top = 10,
             int16_t bottom = 40, int32_t staff = 0) {
    ItemIndex& index = view_->index;
    const int row = index.count++;
    index.rows[row] = ItemIndexRow{left, right, top, bottom, part, offset, staff};
    return row;
  }
  void AddStave(int32_t left, int32_t right, int32_t top, int32_t bottom) {
    view_->staves.rows[view_->staves.count++] = StaveRowExtent{left, right, top, bottom};
  }

  ScoreViewItems& view() { return *view_; }
  SelectionState& selection() { return view_->selection; }

  StreamSet streams_{};

 private:
  std::unique_ptr<ScoreViewItems> view_;
  uint8_t savedVersion_ = kCurrentScoreFormatVersion;
};
