#include <gtest/gtest.h>

#include "score/StreamRewrite.h"

namespace {

RunRewrite Rewrite(uint32_t start, uint32_t oldEnd, uint32_t newEnd,
                   std::vector<std::pair<uint32_t, uint32_t>> kept) {
  RunRewrite rewrite;
  rewrite.start = start;
  rewrite.oldEnd = oldEnd;
  rewrite.newEnd = newEnd;
  rewrite.kept = std::move(kept);
  return rewrite;
}

// A bar [10, 30) of a tuplet (10), a slur (15) and a chord (20) rewritten
// with the slur first and the tuplet re-made in front of the chord: the old
// tuplet went, the slur moved to 10 and the chord stayed.
RunRewrite TupletMovedBehindTheSlur() { return Rewrite(10, 30, 30, {{15, 10}, {20, 20}}); }

// A bar [10, 40) whose second chord (20..30) was deleted: it shrank by 10.
RunRewrite ChordDeleted() { return Rewrite(10, 40, 30, {{10, 10}, {30, 20}}); }

TEST(StreamRewrite, HeldPlacesFollowTheirItems) {
  struct Case {
    const char* name;
    RunRewrite rewrite;
    int64_t place;
    HeldPlace kind;
    int64_t expected;
  };
  const Case cases[] = {
      {"nothing held", InsertionRewrite(10, 5), -1, HeldPlace::kItem, -1},
      {"item before an insertion", InsertionRewrite(10, 5), 9, HeldPlace::kItem, 9},
      {"item at an insertion moves up", InsertionRewrite(10, 5), 10, HeldPlace::kItem, 15},
      {"bar start at an insertion keeps it", InsertionRewrite(10, 5), 10, HeldPlace::kBoundary, 10},
      {"bar start past an insertion", InsertionRewrite(10, 5), 12, HeldPlace::kBoundary, 17},
      {"slur behind a moved tuplet", TupletMovedBehindTheSlur(), 15, HeldPlace::kItem, 10},
      {"chord that kept its place", TupletMovedBehindTheSlur(), 20, HeldPlace::kItem, 20},
      {"removed tuplet: the next kept item", TupletMovedBehindTheSlur(), 10, HeldPlace::kItem, 10},
      {"bar start of a rewritten bar", TupletMovedBehindTheSlur(), 10, HeldPlace::kBoundary, 10},
      {"item past a rewritten bar", TupletMovedBehindTheSlur(), 30, HeldPlace::kItem, 30},
      {"chord after a deleted one moves down", ChordDeleted(), 30, HeldPlace::kItem, 20},
      {"the deleted chord: the next kept item", ChordDeleted(), 20, HeldPlace::kItem, 20},
      {"inside the last item: the new end", ChordDeleted(), 35, HeldPlace::kItem, 30},
      {"past a shrunk bar", ChordDeleted(), 45, HeldPlace::kItem, 35},
      {"nothing changed", RunRewrite{}, 7, HeldPlace::kItem, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PlaceAfterRewrite(c.rewrite, c.place, c.kind), c.expected);
  }
}

TEST(StreamRewrite, ARewriteToldFromAPartOfTheStreamMovesAsAWhole) {
  RunRewrite rewrite = TupletMovedBehindTheSlur();
  MoveRunRewrite(&rewrite, 100);
  EXPECT_EQ(PlaceAfterRewrite(rewrite, 115, HeldPlace::kItem), 110);
  EXPECT_EQ(PlaceAfterRewrite(rewrite, 15, HeldPlace::kItem), 15);
  EXPECT_EQ(PlaceAfterRewrite(rewrite, 110, HeldPlace::kBoundary), 110);
}

}  // namespace
