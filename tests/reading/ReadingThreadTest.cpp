#include "reading/ReadingThread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Quorm.h"
#include "pages/PageTable.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "platform/ShellFlags.h"
#include "reading/ReadPageHandOver.h"
#include "reading/ScoreTitle.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "tests/reading/ScriptedReading.h"
#include "tests/support/BoxRecorder.h"

namespace {

// Records what the thread asks of the frame; the drawing lock is a real
// mutex so that a painting loop can run against the thread.
class RecordingHost : public ReadingHost {
 public:
  void PostToFrame(unsigned message) override {
    std::lock_guard<std::mutex> lock(mutex_);
    posted.push_back(message);
  }
  void DebugLine(const char16_t* text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    lines.emplace_back(text);
  }
  void LockDrawing() override { drawing.lock(); }
  void UnlockDrawing() override { drawing.unlock(); }
  void ShowReadingNotice(int dialogId) override { notices.push_back(dialogId); }

  std::vector<unsigned> posted;
  std::vector<int> notices;
  std::vector<std::u16string> lines;
  std::mutex drawing;

 private:
  std::mutex mutex_;
};

int StageEnds(StageContext&) { return 0; }
int StageAsksTooMuch(StageContext&) { throw EngineFailure("BadIndex", true); }
int StageCounts(StageContext& context) {
  static int calls = 0;
  ++calls;
  return context.staveCount > 0 ? 1 : 0;
}

class ReadingThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.posted.clear();
    host.lines.clear();
    BeginScriptedReading(host, ReadingScript{}, 2);
  }
  void TearDown() override { EndScriptedReading(); }
  std::vector<unsigned> Notices() {
    ReadingNotice got[64];
    const int n = TakeReadingNotices(got, 64);
    std::vector<unsigned> ids;
    for (int i = 0; i < n; ++i) ids.push_back(got[i].stringId);
    return ids;
  }
  RecordingHost host;
};

struct EndCase {
  const char* name;
  std::function<void()> arrange;
  unsigned message;            // the one message posted
  std::vector<unsigned> notices;
  bool abort;
  uint8_t state;               // the page record afterwards
  bool stillTicked;
  bool problem;
};

TEST_F(ReadingThreadTest, EveryEndPathPostsOneMessageAndLeavesThePageRestartFree) {
  const EndCase cases[] = {
      {"score full", [] { ScorePages.count = 20; }, kReadingEndedMessage, {10025}, true, kPageNotRead, true, false},
      {"load failure", [] { Script().loadFails = true; }, kReadingEndedMessage, {}, true, kPageNotRead, false, true},
      {"missing sprite", [] { Script().spriteMissing = true; }, kReadingEndedMessage, {}, true, kPageNotRead, false,
       true},
      {"work lists", [] { Script().listsFail = true; }, kReadingEndedMessage, {10012}, true, kPageNotRead, false, true},
      {"no staves", [] { Script().storedStaves = false; }, kReadingEndedMessage, {}, false, kPageNotRead, false, true},
      {"line removal memory", [] { Script().linesNoMemory = true; }, kReadingEndedMessage, {10012}, true,
       kPageNotRead, false, false},
      {"engine start", [] { Script().engineStart = 1; }, kReadingEndedMessage, {10026}, true, kPageNotRead, false,
       false},
      {"staff stage failed", [] { Script().staffStage = kStageFailed; }, kReadingEndedMessage, {}, true, kPageNotRead,
       false, false},
      {"staff stage check", [] { Script().staffStage = 1101; }, kReadingEndedMessage, {}, true, kPageNotRead, false,
       false},
      {"Esc", [] { Script().escDuringRecognise = true; Script().recognise = 1; }, kReadingEndedMessage, {}, true,
       kPageNotRead, false, false},
      {"stage returns 0", [] { SetReadingStage(ReadingStage::kNoteheads, StageEnds); }, kReadPageDoneMessage, {},
       false, kPageBeingRead, true, false},
      {"accessor bad index", [] { SetReadingStage(ReadingStage::kBigSymbols, StageAsksTooMuch); },
       kReadingEndedMessage, {}, true, kPageNotRead, false, false},
      {"read to the end", [] { SetReadingStage(ReadingStage::kNoteValues, StageCounts); }, kReadPageDoneMessage, {},
       false, kPageBeingRead, true, false},
  };
  for (const EndCase& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    c.arrange();
    ReadingThreadBody();
    EXPECT_EQ(host.posted, std::vector<unsigned>{c.message});
    EXPECT_EQ(Notices(), c.notices);
    EXPECT_EQ(Flags().abort != 0, c.abort);
    EXPECT_EQ(LocatingStaves().load(), 0u);
    EXPECT_EQ(ReadingActive().load(), c.message == kReadingEndedMessage ? 0u : 1u);
    EXPECT_EQ(pageTable.rows[0].state, c.state);
    EXPECT_EQ((pageTable.rows[0].flags & kPageSelected) != 0, c.stillTicked);
    EXPECT_EQ((pageTable.rows[0].flags & kPageHasProblem) != 0, c.problem);
    EXPECT_EQ(PageProblems().count, c.problem ? 1 : 0);
    EXPECT_EQ(Script().engineStarts, Script().engineCloses);
  }
}

TEST_F(ReadingThreadTest, AReadPageWithoutItemsGoesBackToPendingAndIsNotRestarted) {
  ReadingThreadBody();
  ASSERT_EQ(host.posted, std::vector<unsigned>{kReadPageDoneMessage});
  host.posted.clear();
  AddReadPageToScore();
  EXPECT_EQ(host.posted, std::vector<unsigned>{kReadingEndedMessage});
  EXPECT_EQ(pageTable.rows[0].state, kPageNotRead);
  EXPECT_EQ(pageTable.rows[0].flags & kPageSelected, 0u);
  EXPECT_EQ(ScorePages.count, 0);
  EXPECT_EQ(ReadingActive().load(), 0u);
}

TEST_F(ReadingThreadTest, TheStagesRunInTableOrderWithTheirTimeLines) {
  ReadingThreadBody();
  ASSERT_EQ(host.posted, std::vector<unsigned>{kReadPageDoneMessage});
  std::vector<std::u16string> names;
  for (const std::u16string& line : host.lines) names.push_back(line.substr(0, line.find(u':')));
  const std::vector<std::u16string> expected = {u"Noteheads",    u"Bigsymbols",   u"Notevalues",
                                                u"Articulation", u"Appenditures", u"Slurs, ties, hairpins",
                                                u"Guitar frames", u"FinishStaveGroup"};
  EXPECT_EQ(names, expected);
}

TEST_F(ReadingThreadTest, ReadingTheNextPageSkipsFailedPagesAndWaitsForAFullScore) {
  ReadingActive() = 0;
  pageTable.rows[0].flags = kPageSelected | kPageHasProblem;
  ScorePages.count = 20;
  ReadNextPendingPage();
  EXPECT_EQ(pageTable.rows[0].flags & kPageSelected, 0u);
  EXPECT_EQ(ReadingActive().load(), 0u);  // the full score starts nothing
  ScorePages.count = 3;
  ReadNextPendingPage();
  EXPECT_EQ(ReadingActive().load(), 1u);  // row 1 is read on the thread
  JoinReadingThread();
  EXPECT_EQ(Reading().pageIndex, 1);
  ASSERT_FALSE(host.posted.empty());
  EXPECT_EQ(host.posted.back(), kReadPageDoneMessage);
}

TEST_F(ReadingThreadTest, ThePageViewGetsItsStavesUnderTheDrawingLock) {
  // A painting loop holds the drawing lock while it reads the view's staves.
  viewPage.imageArea = reinterpret_cast<void*>(1);  // stands for a shown image
  pageTable.currentPage = 0;
  std::atomic<bool> stop{false};
  std::atomic<int> paints{0};
  std::thread painter([&] {
    while (!stop) {
      std::lock_guard<std::mutex> lock(host.drawing);
      const uint32_t n = viewPage.staveCount;
      if (n > kStaveSlots) ADD_FAILURE();
      ++paints;
    }
  });
  // The loop is running before the reading starts, however the threads are
  // scheduled.
  while (paints.load() == 0) std::this_thread::yield();
  ReadingActive() = 0;
  ASSERT_TRUE(StartReading(0));
  JoinReadingThread();
  stop = true;
  painter.join();
  viewPage.imageArea = nullptr;
  pageTable.currentPage = -1;
  EXPECT_EQ(viewPage.staveCount, 1u);
  EXPECT_EQ(viewPage.staves[0].top, 40);
  EXPECT_GT(paints.load(), 0);
}

TEST_F(ReadingThreadTest, BoxesOfTheReadingThreadAreShownByTheFrame) {
  BoxRecorder boxes;
  CurrentReadingSteps().loadPage = [](int, PageData*) {
    ErrorBox(nullptr, u"Insufficient memory available to load page");
    return 0;
  };
  ReadingActive() = 0;
  ASSERT_TRUE(StartReading(0));
  JoinReadingThread();
  EXPECT_TRUE(boxes.Boxes().empty()) << "nothing is shown on the reading thread";
  ASSERT_EQ(host.posted, std::vector<unsigned>{kReadingEndedMessage});
  pageTable.rows[1].flags = 0;
  ShowReadingNotices();
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, u"Insufficient memory available to load page");
}

// A host whose page view has a size.
class MeasuringHost : public RecordingHost {
 public:
  bool MeasureViewWindow(int32_t* width, int32_t* height) override {
    *width = 640;
    *height = 480;
    return true;
  }
};

StaveBoxes seenBoxes;
int32_t seenView[2];
int StageKeepsWhatItSees(StageContext& context) {
  seenBoxes = context.staveBoxes ? *context.staveBoxes : StaveBoxes{};
  seenView[0] = Reading().viewWidth;
  seenView[1] = Reading().viewHeight;
  return 1;
}

// While the frame decides whether to close, a ticked page is not started;
// it is when the close is called off, and a hold without a start asked for
// starts nothing.
TEST_F(ReadingThreadTest, NoReadingStartsWhileTheFrameDecidesToClose) {
  ReadingActive() = 0;
  pageTable.rows[0].flags = kPageSelected;
  HoldReadingStarts();
  ReadNextPendingPage();
  EXPECT_EQ(ReadingActive().load(), 0u);
  EXPECT_EQ(pageTable.rows[0].flags, kPageSelected) << "the page stays ticked";
  ReleaseReadingStarts();
  EXPECT_EQ(ReadingActive().load(), 1u) << "the held start is made";
  JoinReadingThread();
  EXPECT_EQ(Reading().pageIndex, 0);
  ReadingActive() = 0;
  HoldReadingStarts();
  ReleaseReadingStarts();
  EXPECT_EQ(ReadingActive().load(), 0u);
}

TEST_F(ReadingThreadTest, TheStagesSeeTheStavesOuterBoxesAndThePageViewLessItsBar) {
  MeasuringHost measuring;
  SetReadingHost(&measuring);
  SetReadingStage(ReadingStage::kNoteheads, StageKeepsWhatItSees);
  seenBoxes = StaveBoxes{};
  ReadingThreadBody();
  SetReadingHost(&host);
  ASSERT_EQ(measuring.posted, std::vector<unsigned>{kReadPageDoneMessage});
  ASSERT_EQ(seenBoxes.count, 1);
  EXPECT_EQ(seenBoxes.box[0][0], readPage.staves[0].left);
  EXPECT_EQ(seenBoxes.box[0][1], readPage.staves[0].top);
  EXPECT_EQ(seenBoxes.box[0][2], readPage.staves[0].right);
  EXPECT_EQ(seenBoxes.box[0][3], readPage.staves[0].bottom);
  EXPECT_EQ(seenView[0], 640);
  EXPECT_EQ(seenView[1], 454);
  // Without a page view nothing is measured.
  ReadingThreadBody();
  EXPECT_EQ(seenView[0], 0);
}

TEST_F(ReadingThreadTest, OnlyAReadingIntoAnEmptyScoreMarksANewScore) {
  for (int pages : {0, 3}) {
    SCOPED_TRACE(pages);
    TearDown();
    SetUp();
    Flags().newScore = 0;
    ScorePages.count = pages;
    ReadingThreadBody();
    EXPECT_EQ(Flags().newScore.load(), pages == 0 ? 1u : 0u);
  }
  Flags().newScore = 0;
}

TEST(MeasureStaveBoxes, ASlopingStaveLiesInsideItsBox) {
  StaveRow rows[3] = {};
  // level; rising to the right; dipping in the middle and rising at the right
  const int16_t tops[3][3] = {{100, 100, 100}, {300, 296, 290}, {500, 504, 497}};
  for (int s = 0; s < 3; ++s) {
    rows[s].left = 20, rows[s].right = 900;
    rows[s].top = tops[s][0], rows[s].midTop = tops[s][1], rows[s].rightTop = tops[s][2];
    rows[s].bottom = static_cast<int16_t>(rows[s].top + 40);
  }
  StaveBoxes boxes;
  MeasureStaveBoxes(rows, 3, &boxes);
  ASSERT_EQ(boxes.count, 3);
  const int16_t expected[3][4] = {{20, 100, 900, 140}, {20, 290, 900, 340}, {20, 497, 900, 544}};
  for (int s = 0; s < 3; ++s)
    for (int k = 0; k < 4; ++k) EXPECT_EQ(boxes.box[s][k], expected[s][k]) << s << " " << k;
}

TEST(ProgressUnits, EachReadingOptionAddsItsShare) {
  struct Case {
    bool text, curves, articulation;
    int units;  // 2 groups, 5 staves
  };
  const Case cases[] = {
      {false, false, false, 16}, {true, false, false, 25}, {false, true, false, 21},
      {false, false, true, 18},  {true, true, true, 32},
  };
  const uint32_t text = ReadTextOption();
  const bool curves = General().readSlursHairpinsAndTies, articulation = Unsaved().readArticulations;
  for (const Case& c : cases) {
    ReadTextOption() = c.text ? 1 : 0;
    General().readSlursHairpinsAndTies = c.curves;
    Unsaved().readArticulations = c.articulation;
    EXPECT_EQ(ProgressUnits(2, 5), c.units) << c.text << c.curves << c.articulation;
  }
  ReadTextOption() = text;
  General().readSlursHairpinsAndTies = curves;
  Unsaved().readArticulations = articulation;
}

TEST(ScorePositionFromFlags, AWantedPositionOutsideTheScoreGoesToTheEnd) {
  EXPECT_EQ(ScorePositionFromFlags(0, 3), 4u);
  EXPECT_EQ(ScorePositionFromFlags(kPageWantsPosition | (2u << 16), 3), 2u);
  EXPECT_EQ(ScorePositionFromFlags(kPageWantsPosition | (0u << 16), 3), 4u);
  EXPECT_EQ(ScorePositionFromFlags(kPageWantsPosition | (9u << 16), 3), 4u);
}

TEST(MeasureMinStaveHeights, TakesTheSmallestRealStavePerLineCount) {
  StaveRow rows[3] = {};
  rows[0].lineCount = 5, rows[0].top = 0, rows[0].bottom = 40;
  rows[1].lineCount = 5, rows[1].top = 100, rows[1].bottom = 160;
  rows[2].lineCount = 1, rows[2].top = 200, rows[2].bottom = 210;
  int32_t out[7];
  MeasureMinStaveHeights(rows, 3, 3, out);
  // t = 40 x 4 / 3 - 6 = 47; the 60-pixel stave is the last that high.
  EXPECT_EQ(out[5], 47);
  EXPECT_EQ(out[1], 7);
  EXPECT_EQ(out[4], 0);
}

}  // namespace

TEST(ScoreTitleFromPageName, TitlesFromPageNames) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"Score 12 of mine", u"Score 12"},   // "Score " and its number
      {u"score 7b", u"score 7"},            // any case
      {u"Sonata page 3.tif", u"Sonata"},    // as from a file name
      {u"Scores of Bach_2", u"Scores of Bach"},
      {u"3", u"3"},                         // nothing left: the name itself
  };
  for (const auto& c : cases) EXPECT_EQ(std::u16string(ScoreTitleFromPageName(c.first)), c.second) << c.first;
}

TEST_F(ReadingThreadTest, ANewScoreIsNamedAfterItsFirstReadPage) {
  const char16_t name[] = u"Sonata page 3.tif";
  std::copy(std::begin(name), std::end(name), pageTable.rows[0].name);
  CurrentScore = ScoreDocument{};
  const HandOverHooks saved = CurrentHandOverHooks();
  CurrentHandOverHooks().finishPageStreams = RecordStreamEnds;
  SetReadingStage(ReadingStage::kCorrectBarRhythms, StageGivesItems);
  ReadingThreadBody();
  AddReadPageToScore();
  ASSERT_EQ(ScorePages.count, 1);
  EXPECT_EQ(std::u16string(CurrentScore.title), u"Sonata");
  EXPECT_EQ(std::u16string(pageTable.rows[0].scoreName), u"Sonata");
  // A score that has pages keeps its title.
  const char16_t other[] = u"Other.tif";
  std::copy(std::begin(other), std::end(other), pageTable.rows[1].name);
  Reading().pageIndex = 1;
  ReadingActive() = 1;
  Flags().abort = 0;
  ReadingThreadBody();
  AddReadPageToScore();
  EXPECT_EQ(ScorePages.count, 2);
  EXPECT_EQ(std::u16string(CurrentScore.title), u"Sonata");
  CurrentHandOverHooks() = saved;
  CurrentScore = ScoreDocument{};
  ResetScoreContent();
}

TEST_F(ReadingThreadTest, HandwrittenReadingShowsEachNoticeOnceARunWhileItsOptionIsOn) {
  struct Case {
    const char* name;
    bool handwritten;     // the user reads handwritten music
    bool pageMarked;      // the page is marked as written on the stave paper
    bool optionsOn;
    std::vector<int> first, second;
  };
  const Case cases[] = {
      {"printed music", false, false, true, {}, {}},
      {"handwritten", true, false, true, {kHandwritingNotice, kMusicPaperNotice}, {}},
      {"marked page", true, true, true, {kHandwritingNotice}, {}},
      {"options off", true, false, false, {}, {}},
  };
  GlobalSettings& global = Global();
  const GlobalSettings savedGlobal = global;
  const bool savedMode = Unsaved().readHandwritten;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetReadingNotices();
    Unsaved().readHandwritten = c.handwritten;
    global.showHandwrittenWarning = global.showDottedStavesWarning = c.optionsOn;
    for (int run = 0; run < 2; ++run) {
      host.notices.clear();
      pageTable.rows[0].flags = kPageSelected | (c.pageMarked ? kPageHandwritten : 0u);
      ReadingActive() = 0;
      ASSERT_TRUE(StartReading(0));
      JoinReadingThread();
      EXPECT_EQ(host.notices, run == 0 ? c.first : c.second);
      EXPECT_EQ(Reading().handwritingMode, c.handwritten ? 1u : 0u);
    }
  }
  global = savedGlobal;
  Unsaved().readHandwritten = savedMode;
  ResetReadingNotices();
}

namespace {

// A stave finder that completes without a stave and lists the page's problem
// itself, as the stave locator does.
int LocateNothingListingTheProblem(PageData*, StaveRow*, int* count) {
  *count = 0;
  AddPageProblem(Reading().pageIndex);
  return 1;
}

// Two staves found, the first past the image's left edge; the second's
// curves are traced (valid) and unreliable (the model's).
int LocateOneOutsideTheImage(PageData* page, StaveRow* rows, int* count) {
  StaveRecord outside;
  outside.left = 0;
  outside.top = 20;
  outside.right = 200;
  outside.bottom = 40;
  outside.lineCount = 5;
  StaveRecord inside = outside;
  inside.left = 10;
  inside.top = 80;
  inside.bottom = 120;
  rows[0] = StaveRowFromRecord(outside);
  rows[1] = StaveRowFromRecord(inside);
  page->curvesValid[0] = 0;
  page->modelCurves[0] = 0;
  page->curvesValid[1] = 1;
  page->modelCurves[1] = 1;
  page->lineCurves.y[1][4][0] = 40;
  *count = 2;
  return 1;
}

TEST_F(ReadingThreadTest, APageWithoutStavesIsListedAsAProblemOnce) {
  Script().storedStaves = false;
  CurrentReadingSteps().locateStaves = LocateNothingListingTheProblem;
  ReadingThreadBody();
  EXPECT_NE(pageTable.rows[0].flags & kPageHasProblem, 0u);
  EXPECT_EQ(PageProblems().count, 1);
}

TEST_F(ReadingThreadTest, AStaveDroppedAtTheImageEdgeMovesTheNextOneWhole) {
  Script().storedStaves = false;
  CurrentReadingSteps().locateStaves = LocateOneOutsideTheImage;
  ReadingThreadBody();
  ASSERT_EQ(readPage.staveCount, 1u);
  EXPECT_EQ(readPage.staves[0].left, 10);
  EXPECT_EQ(readPage.curvesValid[0], 1u);
  EXPECT_EQ(readPage.modelCurves[0], 1u);
  EXPECT_EQ(readPage.lineCurves.y[0][4][0], 40);
}

}  // namespace

namespace {

// The problem list has room for every page of the table, each listed once.
TEST(AddPageProblem, EveryRowOfAFullTableIsListedOnce) {
  PageProblems().count = 0;
  for (int row = kMaxPages - 1; row >= 0; --row) AddPageProblem(row);
  AddPageProblem(5);
  AddPageProblem(kMaxPages - 1);
  ASSERT_EQ(PageProblems().count, kMaxPages);
  EXPECT_EQ(PageProblems().rows[0], kMaxPages - 1);
  EXPECT_EQ(PageProblems().rows[kMaxPages - 1], 0);
  PageProblems().count = 0;
}

}  // namespace
