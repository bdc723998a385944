#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "building/PartStreamFinish.h"
#include "building/TupletCompletion.h"
#include "score/ScoreItem.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Fill(StreamSet* set, int slot, const Bytes& bytes) {
  ASSERT_EQ(GrowStream(set, slot, static_cast<uint32_t>(bytes.size()) + 1), 1);
  if (!bytes.empty()) std::memcpy(StreamBytes(*set, slot), bytes.data(), bytes.size());
  set->used[slot] = static_cast<uint32_t>(bytes.size());
}

class FinishPageStreamsTest : public ::testing::Test {
 protected:
  void TearDown() override { FreeStreamSet(&set); }
  StreamSet set{};
  uint32_t starts[kMaxScorePages][kPageStartSlots] = {};
};

TEST_F(FinishPageStreamsTest, EndMarksGoAndTheNewPageRowRecordsTheEnds) {
  Fill(&set, 1, {0x09, 0x00, 0x80, 0x90, 0x90});
  Fill(&set, 2, {0x80, 0x88});
  ASSERT_EQ(FinishPagePartStreams(&set, starts, 2), 1);
  EXPECT_EQ(set.used[0], 0u);  // an empty stream records 0
  EXPECT_EQ(starts[1][0], 0u);
  EXPECT_EQ(set.used[1], 4u);  // only the last end mark goes
  EXPECT_EQ(starts[1][1], 4u);
  EXPECT_EQ(starts[1][2], 2u);
  for (int slot = 0; slot < kPartSlots; ++slot) EXPECT_GE(StreamCapacity(set, slot), set.used[slot] + 128) << slot;
  EXPECT_EQ(starts[0][1], 0u);  // the first page's row is untouched
}

TEST_F(FinishPageStreamsTest, PageNumbersOutsideTheScoreAreRefused) {
  Fill(&set, 1, {0x80, 0x90});
  for (int page : {0, -1, kMaxScorePages + 1}) {
    SCOPED_TRACE(page);
    EXPECT_EQ(FinishPagePartStreams(&set, starts, page), 0);
    EXPECT_EQ(set.used[1], 2u);
  }
  EXPECT_EQ(FinishPagePartStreams(&set, starts, kMaxScorePages), 1);
  EXPECT_EQ(starts[kMaxScorePages - 1][1], 1u);
}

TEST(TupletCompletionTest, RepeatedChordMarksAndBracketBytes) {
  struct Case {
    const char* name;
    Bytes in, out;
  };
  const uint8_t crotchet[6] = {0x0C, 0x14, 0, 0, 0, 16};
  const auto chord = [&] { return Bytes(crotchet, crotchet + 6); };
  const auto join = [](std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  const std::vector<Case> cases = {
      {"value 0 after a repeated-chord mark is hidden", join({{150, 1, 0, 0, 0}, {142, 0, 0, 3, 2}}),
       join({{150, 1, 0, 0, 0}, {254, 0, 0, 3, 2}})},
      {"value 0 after a chord becomes the mark", join({{150, 1, 0, 0, 0}, chord(), {142, 0, 0x40, 3, 2}}),
       join({{150, 1, 0, 0, 0}, chord(), {150, 1, 0x40, 3, 2}})},
      {"a chord and its repetition", join({{142, 32, 0, 3, 2}, chord(), chord()}),
       join({{150, 1, 0, 3, 2}, chord(), chord()})},
      {"a far bracket keeps through the test and reads as a bracket after", join({{246, 32, 0, 3, 2}, chord()}),
       join({{142, 32, 0, 3, 2}, chord()})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bytes = c.in;
    MarkRepeatedChordTuplets(bytes.data(), 0, static_cast<uint32_t>(bytes.size()), 1, kCurrentScoreFormatVersion);
    EXPECT_EQ(bytes, c.out);
  }
}

}  // namespace
