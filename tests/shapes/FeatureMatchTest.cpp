#include "shapes/FeatureMatch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "shapes/ZoneFeatureRecordHeader.h"
#include "tests/shapes/ShapeBitmaps.h"

namespace {

// Unpacked cells, row-major, 8 columns.
using Cells = std::vector<int>;

std::vector<uint8_t> Pack(const Cells& cells) {
  std::vector<uint8_t> out(cells.size() / 2, 0);
  for (size_t k = 0; k < cells.size(); ++k) out[k / 2] = static_cast<uint8_t>(out[k / 2] | cells[k] << (k % 2 * 4));
  return out;
}

std::vector<uint8_t> Record(const Cells& cells, uint8_t byte6, uint8_t byte3 = 0) {
  std::vector<uint8_t> record(kZoneHeaderBytes, 0);
  record[3] = byte3;
  record[6] = byte6;
  const std::vector<uint8_t> packed = Pack(cells);
  record.insert(record.end(), packed.begin(), packed.end());
  return record;
}

Cells Uniform(int n, int value) { return Cells(n, value); }

// Changes `count` cells of the compared rows of an 8 x 16 grid (rows 1-6, 9-14).
Cells ChangeCompared(Cells cells, int count, int value) {
  for (int i = 0, k = 0; i < count; ++k) {
    const int row = k / 8;
    if (row == 0 || row == 7 || row == 8 || row == 15) continue;
    cells[k] = value;
    ++i;
  }
  return cells;
}

Cells ChangeFirst(Cells cells, int count, int value) {
  for (int k = 0; k < count; ++k) cells[k] = value;
  return cells;
}

struct Score {
  int value;
  int loss;
};

// The scoring rules without the early exit: the score and the whole loss.
Score Reference(const Cells& u, const Cells& r, uint8_t byte6, bool tall) {
  const int w = 100 - (byte6 >> 4);
  const int cells = tall ? 96 : 64;
  int p = cells * 15, q = p, k = p, t = p;
  for (size_t i = 0; i < u.size(); ++i) {
    const int row = static_cast<int>(i) / 8, col = static_cast<int>(i) % 8;
    if (tall && (row == 0 || row == 7 || row == 8 || row == 15)) continue;
    if (tall && ((col == 0 && (byte6 & 8)) || col >= 8 - (byte6 & 7))) {
      p -= 15, q -= 15, k -= 15, t -= 15;
      continue;
    }
    const int uu = u[i], rr = r[i];
    const int d = std::abs(uu - rr);
    if (rr == 0) {
      q -= 15, k -= 15;
      if (uu > (tall ? 2 : 1)) p -= uu;
    } else if (uu == 0) {
      if (rr > (tall ? 2 : 1)) p -= rr;
      if (rr > (tall ? 4 : 1)) q -= rr;
    } else {
      if (d > 6) p -= d;
      if (d > (tall ? 8 : 6)) q -= d;
    }
  }
  const int loss = (t - p) + (k - q);
  if (k == 0) return {0, loss};
  const int sum = tall ? w * q / k + w * p / t : w * p / t + w * q / k;
  const int half = sum >= 0 ? sum / 2 : -((-sum + 1) / 2);
  return {tall ? half : half + 4, loss};
}

struct Case {
  const char* name;
  Cells candidate;
  Cells reference;
  uint8_t byte6;
  int expected;
};

TEST(FeatureMatchTest, WorkedValues8x8) {
  const Cells ink = Uniform(64, 8);
  Cells halfEmpty = ink;
  for (int k = 0; k < 32; ++k) halfEmpty[k] = 0;
  const Case cases[] = {
      {"identical cells, weight 100", ink, ink, 0x00, 104},
      {"identical cells, many empty reference cells", halfEmpty, halfEmpty, 0x00, 104},
      {"weight 95", ink, ink, 0x50, 99},
      {"reference without ink", ink, Uniform(64, 0), 0x00, 0},
      {"difference 6 costs nothing", ChangeFirst(ink, 1, 14), ink, 0x00, 104},
      {"difference 7 costs in P and Q", ChangeFirst(ink, 1, 15), ink, 0x00, 103},
      {"ten differences of 7", ChangeFirst(ink, 10, 15), ink, 0x00, 96},
      {"count 1 on an empty reference cell is free", ChangeFirst(ink, 1, 1), ChangeFirst(ink, 1, 0), 0x00, 104},
      {"count 2 on an empty reference cell costs 2", ChangeFirst(ink, 1, 2), ChangeFirst(ink, 1, 0), 0x00, 103},
      {"loss of 268 rejects", ChangeFirst(ink, 20, 15), ink, 0x00, 0},
      {"byte 6 exclusions are not read", ChangeFirst(ink, 10, 15), ink, 0x0F, 96},
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> u = Pack(c.candidate);
    const std::vector<uint8_t> r = Record(c.reference, c.byte6);
    EXPECT_EQ(ScoreFeatures8x8(u.data(), r.data()), c.expected) << c.name;
  }
}

TEST(FeatureMatchTest, WorkedValues8x16) {
  const Cells ink = Uniform(128, 8);
  Cells outerRows = ink;
  for (int k = 0; k < 128; ++k)
    if (k / 8 == 0 || k / 8 == 7 || k / 8 == 8 || k / 8 == 15) outerRows[k] = (k * 7) % 16;
  Cells lastColumn = ink, firstColumn = ink;
  for (int row = 0; row < 16; ++row) lastColumn[row * 8 + 7] = 0, firstColumn[row * 8] = 0;
  const Case cases[] = {
      {"identical cells, weight 100", ink, ink, 0x00, 100},
      {"weight 95", ink, ink, 0x50, 95},
      {"reference without ink", ink, Uniform(128, 0), 0x00, 0},
      {"every column excluded", ink, ink, 0x0F, 0},
      {"rows 0, 7, 8 and 15 are not compared", outerRows, ink, 0x00, 100},
      {"difference 6 costs nothing", ChangeCompared(ink, 1, 14), ink, 0x00, 100},
      {"difference 7 costs in P only", ChangeCompared(ink, 1, 15), ink, 0x00, 99},
      {"ten differences of 8: P only", ChangeCompared(Uniform(128, 6), 10, 14), Uniform(128, 6), 0x00, 97},
      {"ten differences of 9: P and Q", ChangeCompared(Uniform(128, 6), 10, 15), Uniform(128, 6), 0x00, 93},
      {"count 2 on an empty reference cell is free", ChangeCompared(ink, 1, 2), ChangeCompared(ink, 1, 0), 0x00, 100},
      {"count 3 on an empty reference cell costs 3", ChangeCompared(ink, 1, 3), ChangeCompared(ink, 1, 0), 0x00, 99},
      {"empty last column scored", lastColumn, ink, 0x00, 93},
      {"empty last column excluded", lastColumn, ink, 0x01, 100},
      {"empty first column excluded", firstColumn, ink, 0x08, 100},
      {"loss of 288 rejects", ChangeCompared(Uniform(128, 6), 16, 15), Uniform(128, 6), 0x00, 0},
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> u = Pack(c.candidate);
    const std::vector<uint8_t> r = Record(c.reference, c.byte6);
    EXPECT_EQ(ScoreFeatures8x16(u.data(), r.data()), c.expected) << c.name;
  }
}

TEST(FeatureMatchTest, EarlyRejectionEqualsTheWholeRuleBelowTheLossLimit) {
  TestRandom random(12345);
  int compared = 0, rejected = 0;
  for (int round = 0; round < 4000; ++round) {
    const bool tall = round % 2 == 1;
    const int n = tall ? 128 : 64;
    Cells r(n), u(n);
    const int noise = random.Below(8);
    for (int k = 0; k < n; ++k) {
      r[k] = random.Below(3) == 0 ? 0 : random.Below(16);
      u[k] = random.Below(8) < noise ? random.Below(16) : r[k];
    }
    const uint8_t byte6 = static_cast<uint8_t>(random.Below(4) << 4 | (random.Below(4) == 0 ? random.Below(16) : 0));
    const Score whole = Reference(u, r, byte6, tall);
    const std::vector<uint8_t> packed = Pack(u);
    const std::vector<uint8_t> record = Record(r, byte6);
    const int fast = tall ? ScoreFeatures8x16(packed.data(), record.data()) : ScoreFeatures8x8(packed.data(), record.data());
    const int limit = tall ? 288 : 268;
    if (whole.loss < limit) {
      EXPECT_EQ(fast, whole.value) << "round " << round;
      ++compared;
    } else {
      EXPECT_EQ(fast, 0) << "round " << round;
      ++rejected;
    }
  }
  EXPECT_GT(compared, 500);
  EXPECT_GT(rejected, 500);
}

// A group of eight 8 x 8 records whose first three score as given against
// an all-8 candidate (by how many cells differ by 7 or more).
std::vector<uint8_t> Group(const std::vector<int>& differing, uint8_t byte3) {
  std::vector<uint8_t> group;
  for (int i = 0; i < kSampleGroupRecords; ++i) {
    const int changed = i < static_cast<int>(differing.size()) ? differing[i] : 0;
    const std::vector<uint8_t> record = Record(ChangeFirst(Uniform(64, 8), changed, 15), 0x00, byte3);
    group.insert(group.end(), record.begin(), record.end());
  }
  return group;
}

TEST(FeatureMatchTest, BestGroupScoreComparesAtMostThreeRecords) {
  // 0 differing cells score 104, 10 score 96, 20 are rejected (0).
  struct GroupCase {
    const char* name;
    std::vector<int> differing;
    uint8_t byte3;
    int safe, maybe, expected;
  };
  const GroupCase cases[] = {
      {"best of the first three", {10, 20, 0}, 0, 200, 0, 104},
      {"records past the third are never compared", {10, 20, 20, 0, 0, 0, 0, 0}, 0, 200, 0, 96},
      {"first record below maybe stops", {20, 0, 0}, 0, 200, 50, 0},
      {"first record only", {10, 0, 0}, 0x08, 200, 0, 96},
      {"safe score stops the walk", {10, 20, 0}, 0, 96, 0, 96},
      {"safe reached at the second record", {20, 10, 0}, 0, 90, 0, 96},
  };
  const std::vector<uint8_t> candidate = Pack(Uniform(64, 8));
  for (const GroupCase& c : cases) {
    const std::vector<uint8_t> group = Group(c.differing, c.byte3);
    EXPECT_EQ(BestGroupScore(ZoneGrid::k8x8, candidate.data(), group.data(), c.safe, c.maybe), c.expected) << c.name;
  }
  // The 8 x 16 set walks records of 72 bytes.
  std::vector<uint8_t> tall;
  for (int i = 0; i < kSampleGroupRecords; ++i) {
    const std::vector<uint8_t> record = Record(i == 2 ? Uniform(128, 8) : Uniform(128, 1), 0x00);
    tall.insert(tall.end(), record.begin(), record.end());
  }
  const std::vector<uint8_t> tallCandidate = Pack(Uniform(128, 8));
  EXPECT_EQ(BestGroupScore(ZoneGrid::k8x16, tallCandidate.data(), tall.data(), 96, 0), 100);
  EXPECT_EQ(BestGroupScore(ZoneGrid::k16x16, tallCandidate.data(), tall.data(), 96, 0), 0);
}

TEST(FeatureMatchTest, HeaderAccessorsGiveEachByteOneMeaning) {
  uint8_t header[kZoneHeaderBytes] = {};
  EXPECT_TRUE(SetZoneHeaderMatchTuning(header, 5, true, 3));
  EXPECT_EQ(header[6], 0x5B);
  EXPECT_EQ(ZoneHeaderWeight(header), 95);
  EXPECT_TRUE(ZoneHeaderExcludesFirstColumn(header));
  EXPECT_EQ(ZoneHeaderExcludedLastColumns(header), 3);
  EXPECT_FALSE(SetZoneHeaderMatchTuning(header, 16, false, 0));
  EXPECT_FALSE(SetZoneHeaderMatchTuning(header, 0, false, 8));
  EXPECT_EQ(header[6], 0x5B);
  SetZoneHeaderContextRow(header, 12);
  EXPECT_EQ(ZoneHeaderContextRow(header), 12);
  EXPECT_EQ(header[6], 0x5B);
  SetZoneHeaderFirstRecordOnly(header, true);
  EXPECT_EQ(header[3], 0x08);
  header[1] = 0xD3;
  EXPECT_EQ(ZoneHeaderPartValue(header), 3);
}

}  // namespace
