// Bounded walking: every stream lives in a heap block of exactly its used
// length, so that a read past the end is caught by the address sanitizer.
#include "score/ScoreItem.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct ExactBlock {
  explicit ExactBlock(const std::vector<uint8_t>& bytes)
      : size(static_cast<uint32_t>(bytes.size())), data(new uint8_t[bytes.empty() ? 1 : bytes.size()]) {
    std::copy(bytes.begin(), bytes.end(), data.get());
  }
  uint32_t size;
  std::unique_ptr<uint8_t[]> data;
};

std::vector<uint32_t> Offsets(const ExactBlock& block, uint8_t version, WalkResult* result, uint32_t* bad) {
  std::vector<uint32_t> offsets;
  *result = WalkStream(block.data.get(), block.size, version,
                       [&](uint32_t offset, const uint8_t*, uint32_t) {
                         offsets.push_back(offset);
                         return true;
                       },
                       bad);
  return offsets;
}

TEST(WalkStream, WalksAWellFormedStreamToItsUsedLength) {
  // clef, key, time, chord of 2, rest, tuplet mark, lyric "x", bar, page mark, end
  ExactBlock block({0x09, 0x00, 0x12, 0x23, 0x25, 0x14, 0x14, 0, 0, 0, 12, 14, 0x55, 0x00,
                    0x86, 48, 0, 3, 2, 0x0F, 4, 0, 0, 0, 'x', 0, 0x00, kBarBoundary, kPageMark, kEndOfScore});
  WalkResult result;
  uint32_t bad = 99;
  std::vector<uint32_t> offsets = Offsets(block, 5, &result, &bad);
  EXPECT_EQ(result, WalkResult::kComplete);
  EXPECT_EQ(offsets, (std::vector<uint32_t>{0, 2, 3, 5, 12, 14, 19, 26, 27, 28, 29}));
  EXPECT_EQ(bad, 99u);
  EXPECT_TRUE(IsStreamWellFormed(block.data.get(), block.size, 5));
}

TEST(WalkStream, AnEmptyStreamIsComplete) {
  ExactBlock block({});
  EXPECT_TRUE(IsStreamWellFormed(block.data.get(), 0, 5));
}

TEST(WalkStream, VisitorCanStop) {
  ExactBlock block({0x00, 0x00, 0x00});
  int seen = 0;
  WalkResult result = WalkStream(block.data.get(), block.size, 5, [&](uint32_t, const uint8_t*, uint32_t) {
    return ++seen < 2;
  });
  EXPECT_EQ(result, WalkResult::kStopped);
  EXPECT_EQ(seen, 2);
}

struct MalformedCase {
  const char* name;
  std::vector<uint8_t> bytes;
  uint8_t version;
  uint32_t badOffset;
};

class MalformedStreams : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedStreams, AreReportedWithoutReadingPastTheBlock) {
  const MalformedCase& c = GetParam();
  ExactBlock block(c.bytes);
  WalkResult result;
  uint32_t bad = 0;
  std::vector<uint32_t> offsets = Offsets(block, c.version, &result, &bad);
  EXPECT_EQ(result, WalkResult::kMalformed) << c.name;
  EXPECT_EQ(bad, c.badOffset) << c.name;
  EXPECT_FALSE(IsStreamWellFormed(block.data.get(), block.size, c.version)) << c.name;
  for (uint32_t offset : offsets) EXPECT_LT(offset, c.badOffset) << c.name;

  ItemCursor cursor(block.data.get(), block.size, c.version);
  uint32_t steps = 0;
  while (cursor.Next()) ++steps;
  EXPECT_TRUE(cursor.Malformed()) << c.name;
  EXPECT_EQ(steps, offsets.size()) << c.name;
  EXPECT_FALSE(cursor.Next());
}

INSTANTIATE_TEST_SUITE_P(
    Table, MalformedStreams,
    ::testing::Values(
        MalformedCase{"chord claims three notes, two remain", {0x00, 0x1C, 0x14, 0, 0, 0, 12, 14}, 5, 1},
        MalformedCase{"last chord header cut", {0x00, 0x04, 0x14}, 5, 1},
        MalformedCase{"kind 6 cut", {0x86, 0, 0, 3}, 5, 0},
        MalformedCase{"clef without its second byte", {0x00, 0x09}, 5, 1},
        MalformedCase{"rest without its second byte", {0x55}, 5, 0},
        MalformedCase{"v3 text length past the end", {0x00, 0x07, 100, 0, 0, 0, 'a', 0}, 5, 1},
        MalformedCase{"v3 text length of 65535", {0x07, 0xFF, 0xFF, 0, 0}, 3, 0},
        MalformedCase{"v2 text length past the end", {0x12, 0x07, 9, 0, 0, 'a'}, 2, 1},
        MalformedCase{"v3 text with only its first two bytes", {0x00, 0x07, 0}, 5, 1},
        MalformedCase{"v3 text with only its first byte", {0x00, 0x00, 0x07}, 5, 2},
        MalformedCase{"v2 text with only its first byte", {0x07}, 2, 0}));

TEST(ItemLengthWithin, RefusesWhatDoesNotFit) {
  const uint8_t chord[6] = {0x0C, 0x14, 0, 0, 0, 12};
  uint32_t length = 0;
  EXPECT_TRUE(ItemLengthWithin(chord, 6, 5, &length));
  EXPECT_EQ(length, 6u);
  EXPECT_FALSE(ItemLengthWithin(chord, 5, 5, &length));
  EXPECT_FALSE(ItemLengthWithin(chord, 0, 5, &length));
  const uint8_t text[3] = {0x07, 0, 0};
  EXPECT_TRUE(ItemLengthWithin(text, 3, 5, &length));
  EXPECT_EQ(length, 3u);
  EXPECT_FALSE(ItemLengthWithin(text, 2, 5, &length));
  EXPECT_TRUE(ItemLengthWithin(text, 2, 2, &length));
  EXPECT_EQ(length, 2u);
}

}  // namespace
