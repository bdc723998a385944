#include <gtest/gtest.h>

#include <vector>

#include "shell/ClaimedEventTable.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/TestText.h"

namespace {

void* const kView = reinterpret_cast<void*>(0x5A50);
void* const kOtherView = reinterpret_cast<void*>(0x5A60);

std::vector<uint32_t> calls;  // the timer ids callbacks were called with

void Record(const ClaimedEventContext*, uint32_t id) { calls.push_back(id); }
void RecordToo(const ClaimedEventContext*, uint32_t id) { calls.push_back(id); }

class ClaimedEvents_ : public testing::Test {
 protected:
  void SetUp() override {
    ResetClaimedEventTable();
    ClaimedEvents.nextTimerId = 1;
    calls.clear();
  }
  void TearDown() override { ResetClaimedEventTable(); }

  // Fills the table with waiting entries (owner key 1), parameters 0.. n-1.
  static void Fill(int n) {
    for (int i = 0; i < n; ++i) ASSERT_EQ(ClaimTimer(1, kView, i, Record), 1);
  }
  static std::vector<uint32_t> LiveIds() {
    std::vector<uint32_t> ids;
    for (int i = 0; i < ClaimedEvents.count; ++i) ids.push_back(ClaimedEvents.entries[i].timerId);
    return ids;
  }
};

TEST_F(ClaimedEvents_, The129thClaimFailsWithItsMessageAndChangesNothing) {
  Fill(kClaimedEventSlots);
  const std::vector<uint32_t> before = LiveIds();
  const uint32_t nextBefore = ClaimedEvents.nextTimerId;
  BoxRecorder boxes;
  EXPECT_EQ(ClaimTimer(0, kView, -1, Record), 0);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, UiText(10208));
  EXPECT_EQ(ClaimedEvents.count, kClaimedEventSlots);
  EXPECT_EQ(LiveIds(), before);
  EXPECT_EQ(ClaimedEvents.nextTimerId, nextBefore);
}

TEST_F(ClaimedEvents_, ClaimingTheSameFourValuesTwiceLeavesOneEntryWithANewId) {
  ASSERT_EQ(ClaimTimer(0, kView, -1, Record), 1);
  ASSERT_EQ(ClaimTimer(0, kView, 7, Record), 1);
  ASSERT_EQ(ClaimTimer(0, kView, -1, Record), 1);
  ASSERT_EQ(ClaimedEvents.count, 2);
  EXPECT_EQ(ClaimedEvents.entries[0].parameter, 7);
  EXPECT_EQ(ClaimedEvents.entries[1].parameter, -1);
  EXPECT_EQ(ClaimedEvents.entries[1].timerId, 3u);
}

TEST_F(ClaimedEvents_, KillRemovesOnlyAnEntryWithAllFourValuesEqual) {
  ASSERT_EQ(ClaimTimer(0, kView, -1, Record), 1);
  ASSERT_EQ(ClaimTimer(0, kView, 5, Record), 1);
  EXPECT_EQ(KillClaimedTimer(1, kView, -1, Record), 0);
  EXPECT_EQ(KillClaimedTimer(0, kOtherView, -1, Record), 0);
  EXPECT_EQ(KillClaimedTimer(0, kView, -1, RecordToo), 0);
  EXPECT_EQ(KillClaimedTimer(0, kView, -1, Record), 1);
  ASSERT_EQ(ClaimedEvents.count, 1);
  EXPECT_EQ(ClaimedEvents.entries[0].parameter, 5);
  EXPECT_EQ(KillClaimedTimer(0, kView, -1, Record), 0);
}

TEST_F(ClaimedEvents_, IdsWrapAfter0x10000To1) {
  ClaimedEvents.nextTimerId = kLastClaimedTimerId;
  ASSERT_EQ(ClaimTimer(1, kView, 1, Record), 1);
  ASSERT_EQ(ClaimTimer(1, kView, 2, Record), 1);
  EXPECT_EQ(LiveIds(), (std::vector<uint32_t>{0x10000u, 1u}));
}

TEST_F(ClaimedEvents_, IdsSkipTheFixedTimersAndLiveEntries) {
  struct Case {
    uint32_t next;
    uint32_t expected;
  };
  const Case cases[] = {{kDragScrollTimerId, 1001}, {kReadingTimerId, 32780}};
  for (const Case& c : cases) {
    ResetClaimedEventTable();
    ClaimedEvents.nextTimerId = c.next;
    ASSERT_EQ(ClaimTimer(1, kView, 1, Record), 1);
    EXPECT_EQ(ClaimedEvents.entries[0].timerId, c.expected);
  }

  // An entry that lived through a wrap keeps its id to itself.
  ResetClaimedEventTable();
  ClaimedEvents.nextTimerId = 1;
  ASSERT_EQ(ClaimTimer(1, kView, 1, Record), 1);  // id 1, kept
  ASSERT_EQ(ClaimTimer(1, kView, 2, Record), 1);  // id 2, kept
  ClaimedEvents.nextTimerId = kLastClaimedTimerId;
  ASSERT_EQ(ClaimTimer(1, kView, 3, Record), 1);
  ASSERT_EQ(ClaimTimer(1, kView, 4, Record), 1);
  EXPECT_EQ(LiveIds(), (std::vector<uint32_t>{1u, 2u, 0x10000u, 3u}));
}

TEST_F(ClaimedEvents_, DispatchCallsTheWindowsTimerEntriesThatMatch) {
  ASSERT_EQ(ClaimTimer(0, kView, -1, Record), 1);                                  // 1: called
  ASSERT_EQ(ClaimTimer(0, kOtherView, -1, Record), 1);                             // 2: other window
  ASSERT_EQ(ClaimTimer(0, kView, 4, Record), 1);                                   // 3: other key
  ASSERT_EQ(ClaimTimer(0, kView, 99, Record), 1);                                  // 4: any key
  ASSERT_EQ(ClaimTimer(0, reinterpret_cast<void*>(kClaimAnyValue), -1, Record), 1);  // 5: any window
  ASSERT_EQ(ClaimTimer(3, kView, -1, Record), 1);                                  // 6: only waits
  EXPECT_TRUE(DispatchClaimedTimers(kView, kTimerMessageKey));
  EXPECT_EQ(calls, (std::vector<uint32_t>{1, 4, 5}));

  calls.clear();
  EXPECT_TRUE(DispatchClaimedTimers(kView, 4));
  EXPECT_EQ(calls, (std::vector<uint32_t>{3, 4}));

  ResetClaimedEventTable();
  calls.clear();
  EXPECT_FALSE(DispatchClaimedTimers(kView, kTimerMessageKey));
  EXPECT_TRUE(calls.empty());
}

// Callbacks that change the table while it is dispatched.
void KillSelf(const ClaimedEventContext*, uint32_t id) {
  calls.push_back(id);
  KillClaimedTimer(0, kView, -1, KillSelf);
}
void KillNeighbours(const ClaimedEventContext*, uint32_t id) {
  calls.push_back(id);
  KillClaimedTimer(0, kView, -1, Record);
  KillClaimedTimer(0, kView, -1, RecordToo);
}
void ClaimMore(const ClaimedEventContext*, uint32_t id) {
  calls.push_back(id);
  ClaimTimer(0, kView, 99, Record);
}

TEST_F(ClaimedEvents_, ACallbackKillingItselfLetsTheOthersRunOnce) {
  ASSERT_EQ(ClaimTimer(0, kView, -1, Record), 1);
  ASSERT_EQ(ClaimTimer(0, kView, -1, KillSelf), 1);
  ASSERT_EQ(ClaimTimer(0, kView, -1, RecordToo), 1);
  EXPECT_TRUE(DispatchClaimedTimers(kView, kTimerMessageKey));
  EXPECT_EQ(calls, (std::vector<uint32_t>{1, 2, 3}));
  EXPECT_EQ(LiveIds(), (std::vector<uint32_t>{1, 3}));
}

TEST_F(ClaimedEvents_, ACallbackKillingItsNeighboursStopsTheirCalls) {
  ASSERT_EQ(ClaimTimer(0, kView, -1, Record), 1);
  ASSERT_EQ(ClaimTimer(0, kView, -1, KillNeighbours), 1);
  ASSERT_EQ(ClaimTimer(0, kView, -1, RecordToo), 1);
  EXPECT_TRUE(DispatchClaimedTimers(kView, kTimerMessageKey));
  EXPECT_EQ(calls, (std::vector<uint32_t>{1, 2}));  // RecordToo was killed before its turn
  EXPECT_EQ(LiveIds(), (std::vector<uint32_t>{2}));
}

TEST_F(ClaimedEvents_, EntriesClaimedDuringADispatchWaitForTheNextOne) {
  ASSERT_EQ(ClaimTimer(0, kView, -1, ClaimMore), 1);
  EXPECT_TRUE(DispatchClaimedTimers(kView, kTimerMessageKey));
  EXPECT_EQ(calls, (std::vector<uint32_t>{1}));
  calls.clear();
  EXPECT_TRUE(DispatchClaimedTimers(kView, kTimerMessageKey));
  // The entry claimed before is replaced, with a new id, before its turn.
  EXPECT_EQ(calls, (std::vector<uint32_t>{1}));
  EXPECT_EQ(LiveIds(), (std::vector<uint32_t>{1, 3}));
}

}  // namespace
