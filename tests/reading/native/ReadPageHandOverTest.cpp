// What the frame's merge of a read page leaves behind with the score's own
// services connected: a modified score with its automatic backup, the pages
// numbered by their place in the score, the staves found afresh kept in the
// page's stored data file; and a full score that refuses a page and says so
// once for each request.
#include "reading/ReadPageHandOver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "platform/Platform.h"
#include "platform/ShellFlags.h"
#include "platform/native/NativePlatform.h"
#include "reading/ReadingThread.h"
#include "score/ScoreFile.h"
#include "score/ScoreFileBackup.h"
#include "score/ScoreFileHooks.h"
#include "tests/reading/ScriptedReading.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/ScratchDataFolder.h"

namespace {

constexpr char16_t kScoreFullText[] = u"Maximum number of pages reached.";

class HandOverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dataFolder_ = std::make_unique<ScratchDataFolder>();
    savedHooks_ = CurrentHandOverHooks();
    ResetScoreFileHooks();  // a new score counts as saved
    ResetScoreContent();
    CurrentScore = ScoreDocument{};
    ClearAutoSaveTime();
    BeginScriptedReading(host_, ReadingScript{}, 2);
    ConnectHandOverToScore();
    CurrentHandOverHooks().finishPageStreams = RecordStreamEnds;
    platform::ClearRecordedForTest();
  }
  void TearDown() override {
    EndScriptedReading();
    CurrentHandOverHooks() = savedHooks_;
    ResetScoreFileHooks();
    ResetScoreContent();
    CurrentScore = ScoreDocument{};
    dataFolder_.reset();
  }

  // Reads the page of row on this thread and hands it to the frame's merge.
  void ReadAndMerge(int row, bool writesItems) {
    Reading().pageIndex = row;
    ReadingActive() = 1;
    Flags().abort = 0;
    SetReadingStage(ReadingStage::kCorrectBarRhythms, writesItems ? StageGivesItems : nullptr);
    ReadingThreadBody();
    ASSERT_EQ(host_.posted.back(), kReadPageDoneMessage);
    AddReadPageToScore();
  }
  std::u16string BackupPath() const { return dataFolder_->PageStore() + u"/" + kBackupFileName; }
  static bool ScoreIsSaved() { return CurrentScoreFileHooks().isScoreSaved() != 0; }
  static int ScoreFullNotices() {
    const std::vector<std::u16string> texts = platform::RecordedStatusTexts(2);
    return static_cast<int>(std::count(texts.begin(), texts.end(), std::u16string(kScoreFullText)));
  }

  QuietReadingHost host_;
  BoxRecorder boxes_;
  std::unique_ptr<ScratchDataFolder> dataFolder_;  // a fresh one for every case

 private:
  HandOverHooks savedHooks_{};
};

TEST_F(HandOverTest, AMergedPageLeavesAModifiedScoreAndItsBackup) {
  struct Case {
    const char* name;
    bool writesItems;
    bool merged;
  };
  const Case cases[] = {{"the stages wrote items", true, true}, {"nothing was written", false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    ReadAndMerge(0, c.writesItems);
    EXPECT_EQ(ScorePages.count, c.merged ? 1 : 0);
    EXPECT_EQ(ScoreIsSaved(), !c.merged) << "closing must ask to save a score made by reading";
    EXPECT_EQ(FileExists(BackupPath().c_str()), c.merged) << "a killed run leaves the backup to offer";
    EXPECT_EQ(pageTable.rows[0].scorePageNumber, c.merged ? 1 : 0);
    EXPECT_TRUE(boxes_.Boxes().empty());
  }
  // The backup is the score: read back, it has the page just read.
  TearDown();
  SetUp();
  ReadAndMerge(0, true);
  // Opening it over the unsaved score asks first; No discards that score.
  boxes_.QueueAnswer(platform::kAnswerNo);
  ASSERT_EQ(ReadScoreFile(BackupPath().c_str(), 0, 1), 1);
  EXPECT_EQ(boxes_.Boxes().size(), 1u);
  EXPECT_EQ(ScorePages.count, 1);
  EXPECT_EQ(ScorePages.rows[0].key, pageTable.rows[0].pageKey);
}

TEST_F(HandOverTest, ThePagesAreNumberedByTheirPlaceInTheScore) {
  ReadAndMerge(0, true);
  // The second page is wanted at the front of the score.
  pageTable.rows[1].flags |= kPageWantsPosition | (1u << kPageTargetShift);
  ReadAndMerge(1, true);
  ASSERT_EQ(ScorePages.count, 2);
  EXPECT_EQ(pageTable.rows[1].scorePageNumber, 1);
  EXPECT_EQ(pageTable.rows[0].scorePageNumber, 2);
}

std::vector<std::string>& EndCalls() {
  static std::vector<std::string> calls;
  return calls;
}

// The end of a reading counts the page's faulty bars first; after the
// score's first page is shown its reading problem is told, for score page 1;
// a later page's problem waits until the user turns to it.
TEST_F(HandOverTest, TheEndOfAReadingMarksThePageThenShowsItThenTellsItsProblem) {
  HandOverHooks& hooks = CurrentHandOverHooks();
  hooks.markInaccuratePage = [] { EndCalls().push_back("mark"); return 0; };
  hooks.showMergedPage = [](int first) { EndCalls().push_back(first ? "score first" : "score"); };
  hooks.showReadPageInWorkspace = [](int first) { EndCalls().push_back(first ? "page first" : "page"); };
  hooks.reportPageProblem = [](int page) { EndCalls().push_back("problem " + std::to_string(page)); };
  for (uint32_t i = 0; i < pageTable.pageCount; ++i) pageTable.rows[i].flags &= ~kPageSelected;
  struct Case {
    const char* name;
    int row;
    bool writesItems;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {"nothing written", 0, false, {"mark"}},
      {"the score's first page", 0, true, {"mark", "score first", "page first", "problem 1"}},
      {"a second page", 1, true, {"mark", "score", "page"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EndCalls().clear();
    ReadAndMerge(c.row, c.writesItems);
    OnReadingFinished();
    EXPECT_EQ(EndCalls(), c.calls);
  }
  EndCalls().clear();
}

// A request for the next page that was queued before the first page's end
// is handled first and starts the second page: the first page's end then
// leaves that reading alone, and the second page is merged at its own end.
TEST_F(HandOverTest, AReadingStartedBeforeThePreviousEndWasHandledIsMergedAtItsOwnEnd) {
  ReadAndMerge(0, true);
  ASSERT_EQ(host_.posted.back(), kReadingEndedMessage);
  host_.posted.clear();
  ReadNextPendingPage();  // the queued request
  ASSERT_EQ(ReadingActive().load(), 1u);
  ASSERT_EQ(Reading().pageIndex, 1);
  OnReadingFinished();  // the first page's end
  JoinReadingThread();
  ASSERT_FALSE(host_.posted.empty());
  ASSERT_EQ(host_.posted.back(), kReadPageDoneMessage);
  EXPECT_EQ(Reading().pageHasItems.load(), 1u) << "the second page's items were dropped before its merge";
  AddReadPageToScore();
  OnReadingFinished();
  EXPECT_EQ(ScorePages.count, 2);
  EXPECT_EQ(pageTable.rows[1].state, kPageRead);
  EXPECT_EQ(ReadingActive().load(), 0u);
}

TEST_F(HandOverTest, StavesFoundAfreshAreKeptInThePagesStoredDataFile) {
  struct Case {
    const char* name;
    bool locatedNow;
    uint32_t storedStaves;
  };
  const Case cases[] = {{"found by this reading", true, 1}, {"taken from the page data", false, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    Reading().pageIndex = 0;
    ReadingActive() = 1;
    SetReadingStage(ReadingStage::kCorrectBarRhythms, StageGivesItems);
    ReadingThreadBody();
    ASSERT_EQ(readPage.staveCount, 1u);
    Reading().stavesLocatedNow = c.locatedNow ? 1 : 0;
    AddReadPageToScore();
    PageData stored{};
    uint32_t key = 0;
    LoadPageData(&stored, 0, &key);
    EXPECT_EQ(stored.staveCount, c.storedStaves);
    if (c.storedStaves) {
      EXPECT_EQ(stored.staves[0].left, readPage.staves[0].left);
      EXPECT_EQ(stored.staves[0].bottom, readPage.staves[0].bottom);
      EXPECT_EQ(stored.staves[0].lineCount, 5);
    }
  }
}

TEST_F(HandOverTest, AFullScoreRefusesAPageAndSaysSoOncePerRequest) {
  struct Case {
    const char* name;
    int scorePages;
    void (*request)();
    int notices;
    bool starts;
  };
  const Case cases[] = {
      {"the next pending page", kMaxScorePages, [] { ReadNextPendingPage(); }, 1, false},
      {"placed at the end from the menu", kMaxScorePages, [] { EXPECT_TRUE(ReadPageIntoScore(1, kMaxScorePages + 1)); },
       1, false},
      {"after a reading ended", kMaxScorePages, [] { OnReadingFinished(); }, 1, false},
      {"room for one more page", kMaxScorePages - 1, [] { ReadNextPendingPage(); }, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    ReadingActive() = 0;
    ScorePages.count = c.scorePages;
    c.request();
    JoinReadingThread();
    EXPECT_EQ(ScoreFullNotices(), c.notices);
    EXPECT_EQ(host_.posted.empty(), !c.starts);
    if (!c.starts) {
      // Nothing is lost: both pages wait, ticked, for room in the score.
      EXPECT_EQ(ReadingActive().load(), 0u);
      EXPECT_NE(pageTable.rows[0].flags & kPageSelected, 0u);
      EXPECT_NE(pageTable.rows[1].flags & kPageSelected, 0u);
      EXPECT_EQ(pageTable.rows[0].state, kPageNotRead);
    }
    // A second request is told again.
    if (c.notices) {
      ReadNextPendingPage();
      EXPECT_EQ(ScoreFullNotices(), c.notices + 1);
    }
  }
}

}  // namespace

namespace {

int timerDelay = 0;
void RecordTimer(int delayMs) { timerDelay = delayMs; }

// The ways of asking for the next page, over pending, failed and full-score
// rows: at once starts the first ticked page that did not fail; later sets
// the frame's timer; otherwise the frame is sent its read-next message.
TEST_F(HandOverTest, ScheduleNextPageOverPendingFailedAndFullScoreRows) {
  struct Case {
    const char* name;
    int now, delay;
    bool firstFailed;
    int scorePages;
    int startedRow;      // -1: no reading starts
    unsigned posted;     // the message posted to the frame first, 0 none
    int timer;           // the timer's delay asked for, 0 none
  };
  const Case cases[] = {
      {"at once, a pending page", 1, 0, false, 0, 0, kReadPageDoneMessage, 0},
      {"at once, the first page failed before", 1, 0, true, 0, 1, kReadPageDoneMessage, 0},
      {"at once, the score is full", 1, 0, false, kMaxScorePages, -1, 0, 0},
      {"later, through the timer", 0, 250, false, 0, -1, 0, 250},
      {"through the message queue", 0, 0, false, 0, -1, kReadNextPageMessage, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    timerDelay = 0;
    host_.posted.clear();
    CurrentHandOverHooks().setNextPageTimer = RecordTimer;
    ReadingActive() = 0;
    Reading().pageIndex = -1;
    ScorePages.count = c.scorePages;
    if (c.firstFailed) pageTable.rows[0].flags |= kPageHasProblem;
    ScheduleNextPage(c.now, c.delay);
    JoinReadingThread();
    EXPECT_EQ(timerDelay, c.timer);
    if (c.posted) {
      ASSERT_FALSE(host_.posted.empty());
      EXPECT_EQ(host_.posted.front(), c.posted);
    } else {
      EXPECT_TRUE(host_.posted.empty());
    }
    if (c.startedRow >= 0) EXPECT_EQ(Reading().pageIndex, c.startedRow);
    else EXPECT_EQ(Reading().pageIndex, -1);
    if (c.firstFailed) {
      // The failed page is unticked and waits for the end of the score.
      EXPECT_EQ(pageTable.rows[0].flags & kPageSelected, 0u);
      EXPECT_NE(pageTable.rows[0].flags & kPageWantsPosition, 0u);
      EXPECT_EQ(pageTable.rows[0].flags >> kPageTargetShift, uint32_t(c.scorePages + 1));
    }
    if (c.scorePages == kMaxScorePages) {
      EXPECT_NE(pageTable.rows[0].flags & kPageSelected, 0u);
      EXPECT_NE(pageTable.rows[1].flags & kPageSelected, 0u);
    }
  }
}

}  // namespace
