// The meter in force at the current score page: the last shown time
// signature that stands before the page in the parts from slot 1 up.
#include "score/MeterAtPage.h"

#include <string>
#include <vector>

#include "score/PageMarks.h"
#include "tests/score/ScoreStreamFixture.h"

namespace {

const StreamBytesList kBoundary = {kBarBoundary};
const StreamBytesList kPage = {kPageMark};
const StreamBytesList kEnd = {kEndOfScore};

struct MeterCase {
  const char* name;
  std::vector<StreamBytesList> slots;  // from slot 0; each stream as written
  int current;                         // the current score page
  int numerator, denominatorCode;
};

class MeterAtPageTest : public ScoreStreamTest {
 protected:
  void TearDown() override {
    ScorePages = ScorePageList{};
    CurrentMeterAtPage() = MeterAtPage{};
    ScoreStreamTest::TearDown();
  }
};

TEST_F(MeterAtPageTest, TheLastShownTimeSignatureBeforeTheCurrentPage) {
  // Two pages in every case; page 2 holds a time signature of its own that
  // never counts, since it does not stand before the page.
  const StreamBytesList pageTwo = JoinItems({TimeItem(9, 3), BarItem(), kBoundary, kEnd});
  const StreamBytesList plainPageTwo = JoinItems({BarItem(), kBoundary, kEnd});
  const MeterCase cases[] = {
      {"page 1 has none before it",
       {JoinItems({kBoundary, kPage, plainPageTwo}), JoinItems({TimeItem(4, 2), BarItem(), kBoundary, kPage, pageTwo})},
       1, -1, -1},
      {"the later one in a part",
       {JoinItems({kBoundary, kPage, plainPageTwo}),
        JoinItems({TimeItem(4, 2), BarItem(), kBoundary, TimeItem(3, 2), BarItem(), kBoundary, kPage, pageTwo})},
       2, 3, 2},
      {"a hidden one is passed over",
       {JoinItems({kBoundary, kPage, plainPageTwo}),
        JoinItems({TimeItem(4, 2), BarItem(), kBoundary, TimeItem(3, 2, true), BarItem(), kBoundary, kPage, pageTwo})},
       2, 4, 2},
      {"slot 0 is not searched",
       {JoinItems({BarItem(), kBoundary, TimeItem(5, 2), kPage, plainPageTwo}),
        JoinItems({TimeItem(4, 2), BarItem(), kBoundary, kPage, pageTwo}),
        JoinItems({BarItem(), kBoundary, kPage, plainPageTwo})},
       2, 4, 2},
      {"a later bar of the same staff wins across parts",
       {JoinItems({kBoundary, kPage, plainPageTwo}),
        JoinItems({BarItem(), BarItem(), TimeItem(2, 2), kBoundary, kPage, pageTwo}),
        JoinItems({BarItem(), TimeItem(6, 3), BarItem(), kBoundary, kPage, plainPageTwo})},
       2, 2, 2},
      {"the same place: the later part",
       {JoinItems({kBoundary, kPage, plainPageTwo}),
        JoinItems({BarItem(), TimeItem(2, 2), kBoundary, kPage, pageTwo}),
        JoinItems({BarItem(), TimeItem(6, 3), kBoundary, kPage, plainPageTwo})},
       2, 6, 3},
      {"a later staff wins over more bars",
       {JoinItems({kBoundary, kBoundary, kPage, plainPageTwo}),
        JoinItems({BarItem(), BarItem(), BarItem(), TimeItem(3, 2), kBoundary, kBoundary, kPage, pageTwo}),
        JoinItems({kBoundary, TimeItem(6, 3), kBoundary, kPage, plainPageTwo})},
       2, 6, 3},
      {"no time signature at all", {JoinItems({kBoundary, kPage, plainPageTwo}), JoinItems({BarItem(), kPage, plainPageTwo})},
       2, -1, -1},
  };
  for (const MeterCase& c : cases) {
    SCOPED_TRACE(c.name);
    ResetScoreStreams();
    PartCount = 0;
    for (size_t slot = 0; slot < c.slots.size(); ++slot)
      if (!c.slots[slot].empty()) SetPart(int(slot), c.slots[slot]);
    CountPageMarks();
    ASSERT_EQ(ScorePages.count, 2);
    ScorePages.current = c.current;
    CurrentMeterAtPage() = MeterAtPage{7, 7};
    FindMeterAtPage();
    EXPECT_EQ(CurrentMeterAtPage().numerator, c.numerator);
    EXPECT_EQ(CurrentMeterAtPage().denominatorCode, c.denominatorCode);
  }
}

}  // namespace
