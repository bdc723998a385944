#include <gtest/gtest.h>

#include <vector>

#include "stages/NoteRecords.h"
#include "stages/SymbolRecords.h"

namespace {

SymbolRecord Symbol(int16_t stave, int16_t left, int16_t type) {
  SymbolRecord r{};
  r.stave = stave;
  r.left = left;
  r.type = type;
  return r;
}

TEST(WorkLists, DeletingMovesLaterRecordsDownAndTheLastOnlyLowersTheCount) {
  std::vector<SymbolRecord> symbols = {Symbol(0, 10, 1), Symbol(0, 20, 2), Symbol(0, 30, 3)};
  uint32_t count = 3;
  DeleteSymbolRecord(symbols.data(), count, 0);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(symbols[0].type, 2);
  EXPECT_EQ(symbols[1].type, 3);
  DeleteSymbolRecord(symbols.data(), count, 1);
  EXPECT_EQ(count, 1u);
  DeleteSymbolRecord(symbols.data(), count, 5);  // out of range: nothing
  EXPECT_EQ(count, 1u);

  std::vector<NoteRecord> notes(2);
  notes[0].left = 1;
  notes[1].left = 2;
  uint32_t noteCount = 2;
  DeleteNoteRecord(notes.data(), noteCount, 0);
  ASSERT_EQ(noteCount, 1u);
  EXPECT_EQ(notes[0].left, 2);
}

TEST(WorkLists, SortsByStaveThenLeftKeepingEqualRecordsInOrder) {
  std::vector<SymbolRecord> symbols = {Symbol(1, 5, 1), Symbol(0, 40, 2), Symbol(0, 10, 3), Symbol(0, 10, 4)};
  SortSymbolsByStave(symbols.data(), 4);
  const int16_t types[] = {3, 4, 2, 1};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(symbols[i].type, types[i]) << i;
  SortSymbolsByLeft(symbols.data(), 2, 4);  // 40 then 5 -> 5 then 40
  EXPECT_EQ(symbols[2].type, 1);
}

}  // namespace
