// The benchmark's note scorer on a hand-made reading of a short score.
#include <gtest/gtest.h>

#include <vector>

#include "tools/refmaker/NoteScore.h"

namespace {

using refmaker::NoteScore;
using refmaker::ScoredNote;
using refmaker::ScoreNotes;

constexpr int kQuarter = 48, kEighth = 24, kHalf = 96;

// Staff 0: five notes; the reading has the first right, the second a step
// too high, the third as an eighth, the fourth right, and misses the last.
// Staff 1: two notes read right and an extra one after them.
TEST(NoteScore, CountsMatchedMissedExtraAndWrongNotes) {
  const std::vector<ScoredNote> truth = {{0, -1, kQuarter}, {0, 3, kQuarter}, {0, 5, kQuarter}, {0, 0, kHalf},
                                         {0, 2, kQuarter},  {1, 4, kHalf},    {1, 2, kHalf}};
  const std::vector<ScoredNote> read = {{0, -1, kQuarter}, {0, 2, kQuarter}, {0, 5, kEighth}, {0, 0, kHalf},
                                        {1, 4, kHalf},     {1, 2, kHalf},    {1, 6, kQuarter}};
  const NoteScore s = ScoreNotes(truth, read);
  EXPECT_EQ(s.truth, 7);
  EXPECT_EQ(s.read, 7);
  EXPECT_EQ(s.right, 4);
  EXPECT_EQ(s.missed, 1);
  EXPECT_EQ(s.extra, 1);
  EXPECT_EQ(s.wrongPitch, 1);
  EXPECT_EQ(s.wrongDuration, 1);
  EXPECT_DOUBLE_EQ(s.Accuracy(), 4.0 / 7.0);
}

TEST(NoteScore, EdgeCases) {
  struct Case {
    const char* name;
    std::vector<ScoredNote> truth, read;
    int right, missed, extra, wrongDuration;
  };
  const std::vector<Case> cases = {
      {"nothing", {}, {}, 0, 0, 0, 0},
      {"nothing read", {{0, 0, kQuarter}, {0, 1, kQuarter}}, {}, 0, 2, 0, 0},
      {"a staff that is not in the score", {}, {{3, 0, kQuarter}}, 0, 0, 1, 0},
      {"no duration read", {{0, 0, kQuarter}}, {{0, 0, -1}}, 0, 0, 0, 1},
      {"staves apart", {{0, 0, kQuarter}, {1, 0, kQuarter}}, {{1, 0, kQuarter}, {0, 0, kQuarter}}, 2, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const NoteScore s = ScoreNotes(c.truth, c.read);
    EXPECT_EQ(s.right, c.right) << c.name;
    EXPECT_EQ(s.missed, c.missed) << c.name;
    EXPECT_EQ(s.extra, c.extra) << c.name;
    EXPECT_EQ(s.wrongDuration, c.wrongDuration) << c.name;
  }
}

}  // namespace
