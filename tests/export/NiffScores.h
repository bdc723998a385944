// Small scores for the NIFF export tests: items the reader doubles do not
// build, and a fixture that exports the score in memory and walks the file.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/ExportEntries.h"
#include "score/ScoreFile.h"
#include "tests/export/NiffFileWalker.h"
#include "tests/export/ReaderDoubles.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestText.h"

inline StreamBytesList Beamed(StreamBytesList chord, bool startsGroup) {
  SetChordBeamedToNext(chord.data(), true);
  SetChordStartsBeamGroup(chord.data(), startsGroup);
  return chord;
}
// A staff text at a height (sign-magnitude byte).
inline StreamBytesList StaffText(uint8_t subKind, const char* text, uint8_t y = 0) {
  StreamBytesList item = TextItem(subKind, text);
  item[4] = y;
  return item;
}
// A page text: x, y (u16) and the text.
inline StreamBytesList PageText(uint8_t subKind, const char* text, uint16_t x = 100, uint16_t y = 50) {
  StreamBytesList item = TextItem(subKind, text);
  item.insert(item.begin() + 5, 2, 0);
  SetTextPayloadLength(item.data(), uint32_t(item.size() - 3), ScoreFormatVersion);
  item[3] = uint8_t(x);
  item[4] = uint8_t(x >> 8);
  item[5] = uint8_t(y);
  item[6] = uint8_t(y >> 8);
  return item;
}
inline StreamBytesList ChordGrid(std::initializer_list<uint8_t> fields) {
  StreamBytesList item(3 + kChordSymbolPayload, 0);
  item[0] = kChordSymbolFirstByte;
  SetTextPayloadLength(item.data(), kChordSymbolPayload, ScoreFormatVersion);
  std::vector<uint8_t> values(fields);
  SetChordDiagramFields(item.data(), 1, values.data());
  return item;
}
inline StreamBytesList Hairpin(uint8_t subKind) {
  return {MakeTextFirstByte(subKind), 7, 0, 0, 0, 5, 30, 0, 5, 1};
}
inline StreamBytesList StavePlace(uint16_t x, uint16_t y) {
  return {MakeTextFirstByte(kTextStaffStart), 4, 0, uint8_t(x), uint8_t(x >> 8), uint8_t(y), uint8_t(y >> 8)};
}
inline StreamBytesList Crotchet(uint8_t position, uint8_t voice = 0) {
  return Notes(kDurationQuarter, {position}, voice);
}
inline StreamBytesList Quaver(uint8_t position) { return Notes(kDurationEighth, {position}); }

class NiffExportTest : public ScoreStreamTest {
 protected:
  void SetUp() override {
    ScoreStreamTest::SetUp();
    ScorePageSize = ScorePageSizes{2000, 3000, 40, 1500};
  }
  // Exports the score in memory; the file's tree (an empty tree and a test
  // failure when the file is not well formed). result gets ExportNiff's answer.
  NiffNode Export(int* result = nullptr, const CExportItemPositions* positions = nullptr) {
    const std::u16string path = folder_.File(u"score.nif");
    const int answer = ExportNiff(path.c_str(), positions);
    if (result) *result = answer;
    NiffNode root;
    if (answer != 1) return root;
    std::string error;
    NiffWalker walker;
    EXPECT_TRUE(walker.Walk(ReadBytes(path), &root, &error)) << error;
    return root;
  }
  // One part of one system: its items, then the system and end marks.
  void OnePart(const StreamBytesList& items) {
    SetPart(0, {});
    SetPart(1, JoinItems({items, SystemMark(), EndMark()}));
  }
  const std::vector<RecordedBox>& Boxes() const { return boxes_.Boxes(); }

  ScratchFolder folder_;
  BoxRecorder boxes_;
};
