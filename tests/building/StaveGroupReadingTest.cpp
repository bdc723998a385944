// A page read by the reading thread with the score-building stages installed:
// the records the recognition stages leave become the items of the page's
// part streams, which the frame merges into the score.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "building/BuildContext.h"
#include "building/ScoreBuildingStages.h"
#include "pages/PageTable.h"
#include "platform/Folders.h"
#include "platform/Platform.h"
#include "platform/ShellFlags.h"
#include "reading/ReadPageHandOver.h"
#include "reading/ReadingThread.h"
#include "score/PageMarks.h"
#include "score/ScoreFile.h"
#include "score/ScoreStreams.h"
#include "tests/support/ScratchFolder.h"

namespace {

using Bytes = std::vector<uint8_t>;

class QuietHost : public ReadingHost {
 public:
  void PostToFrame(unsigned message) override { posted.push_back(message); }
  void DebugLine(const char16_t*) override {}
  void LockDrawing() override {}
  void UnlockDrawing() override {}
  std::vector<unsigned> posted;
};

constexpr int kWidth = 512, kHeight = 256, kStride = kWidth / 32;
uint32_t pageBits[kStride * kHeight];

int LoadPage(int, PageData* page) {
  page->width = kWidth;
  page->height = kHeight;
  page->resolution = 300;
  StaveRecord& stave = page->staves[0];
  stave = StaveRecord{};
  stave.left = 20;
  stave.right = 480;
  stave.top = 60;
  stave.bottom = 108;
  stave.lineCount = 5;
  stave.lineThickness = 2;
  stave.midX = 250;
  stave.midTop = 60;
  stave.rightTop = 60;
  page->curvesValid[0] = 0;
  page->staveCount = 1;
  return 1;
}
uint8_t* Image(PageData*, uint32_t* stride) {
  *stride = kStride;
  return reinterpret_cast<uint8_t*>(pageBits);
}
int Locate(PageData*, StaveRow*, int* count) {
  *count = 0;
  return 1;
}
int Remove(const uint8_t*, uint8_t*, uint32_t, uint32_t, const StaveRow*, int, int, const StavePage&) { return 0; }
bool Lists(ReadingWorkLists* lists) { return AllocateWorkLists(lists); }
int Start() { return 0; }
const char* LoadImage(const uint32_t*, int, int, int) { return nullptr; }
int StaffStage(const int16_t*, const int16_t*, int, ProgressCallback, ContinueCallback) { return 0; }
int Recognise(float, ProgressCallback, ContinueCallback) { return 0; }
void Free() {}
int Close() { return 0; }
const ReadingSteps kSteps = {LoadPage, Image, Locate, Remove, Lists, Start, LoadImage, StaffStage, Recognise, Free, Close};

// What the recognition stages would leave for the system: a treble clef, a
// crotchet rest and a crotchet chord of two heads, then a bar line.
int LeaveRecords(StageContext& stage) {
  ReadingWorkLists& lists = *stage.lists;
  const auto symbol = [&](int type, int left, int top, int bottom) {
    SymbolRecord& s = lists.symbols[lists.symbolCount++];
    std::memset(&s, 0, sizeof s);
    s.type = static_cast<int16_t>(type);
    s.left = static_cast<int16_t>(left);
    s.right = static_cast<int16_t>(left + 12);
    s.stepTop = static_cast<int16_t>(top);
    s.stepBottom = static_cast<int16_t>(bottom);
  };
  symbol(kSymbolTrebleClef, 30, 2, 14);
  symbol(kSymbolRestBase + 5, 100, 6, 10);
  symbol(kSymbolBarline, 300, 4, 12);
  for (int step : {16, 18}) {
    NoteRecord& n = lists.notes[lists.noteCount++];
    std::memset(&n, 0, sizeof n);
    n.kind = kNoteCrotchet;
    n.left = 200;
    n.right = 214;
    n.step = static_cast<int16_t>(step);
    n.top = static_cast<int16_t>(60 + (20 - step) * 6 - 6);
    n.bottom = static_cast<int16_t>(n.top + 12);
  }
  return 1;
}

class StaveGroupReadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetReadingHost(&host);
    CurrentReadingSteps() = kSteps;
    pageTable = PageTable{};
    pageTable.pageCount = 1;
    pageTable.rows[0].flags = kPageSelected;
    pageTable.rows[0].pageKey = 5;
    ScorePages = ScorePageList{};
    ResetScoreStreams();
    ResetWorkStreams();
    ResetPartRecords();
    PartCount = 0;
    Flags().abort = 0;
    Reading().pageIndex = 0;
    Reading().pageHasItems = 0;
    Reading().scorePosition = 1;
    ReadingActive() = 1;
    InstallScoreBuildingStages();
    PrepareReadingBuildContext();
    SetReadingStage(ReadingStage::kConvertNoteRecords, LeaveRecords);
  }
  void TearDown() override {
    for (int i = 0; i < ReadingStageCount(); ++i) SetReadingStage(static_cast<ReadingStage>(i), nullptr);
    SetReadingStartHook(nullptr);
    CurrentReadingSteps() = DefaultReadingSteps();
    SetReadingHost(nullptr);
    ReadingActive() = 0;
    LocatingStaves() = 0;
    Flags().abort = 0;
    FreeHandle(&readPage.imageArea);
    ResetScoreStreams();
    ResetWorkStreams();
    ResetPartRecords();
    PartCount = 0;
    ScorePages = ScorePageList{};
  }
  QuietHost host;
};

TEST_F(StaveGroupReadingTest, ARecognisedSystemBecomesThePartStreamOfTheScore) {
  ReadingThreadBody();
  ASSERT_EQ(host.posted, (std::vector<unsigned>{kReadPageDoneMessage}));
  EXPECT_EQ(Reading().pageHasItems.load(), 1u);
  EXPECT_EQ(PartCount, 2);
  const Bytes part(StreamBytes(WorkStreams, 1), StreamBytes(WorkStreams, 1) + WorkStreams.used[1]);
  const Bytes expected = {0x87, 4, 0, 8, 0, 25, 0,        // the system starts at x 20, y 60
                          0x09, 0x00,                     // treble clef
                          0x55, 0x00,                     // crotchet rest
                          0x14, 0x14, 0, 0, 0x00, 16, 18,  // the chord, stems up
                          0x00, 0x03, 0x80,               // bar line
                          0x80};
  EXPECT_EQ(part, expected);
  EXPECT_EQ(readPage.boxCount, 6);
  // The hand-over merges the page through score building's finisher (and
  // saves the page's data into a page store of its own).
  ScratchFolder store;
  const std::u16string savedData = DataFolder();
  SetDataFolder(store.Path().c_str());
  char16_t pages[600];
  ASSERT_TRUE(MakeMusicPagesPath(pages, 600, u""));
  ASSERT_TRUE(platform::MakeDirectory(pages));
  host.posted.clear();
  AddReadPageToScore();
  SetDataFolder(savedData.c_str());
  EXPECT_EQ(host.posted, (std::vector<unsigned>{kReadingEndedMessage}));
  ASSERT_EQ(ScorePages.count, 1);
  const Bytes score(StreamBytes(ScoreStreams, 1), StreamBytes(ScoreStreams, 1) + ScoreStreams.used[1]);
  Bytes merged = expected;
  merged.push_back(kPageMark);
  merged.push_back(kEndOfScore);
  EXPECT_EQ(score, merged);
  EXPECT_EQ(PageStarts[0][1], 0u);
  EXPECT_EQ(WorkStreams.used[1], 0u);
}

}  // namespace

namespace {

// A page whose part slots raised the score's part count while it was read,
// and which is then not merged (the user stopped the reading), leaves the
// score with the parts it had.
TEST_F(StaveGroupReadingTest, APageThatIsNotMergedLeavesThePartCountAsItWas) {
  ScorePages.count = 1;
  PartCount = 1;
  PrepareReadingBuildContext();
  ReadingThreadBody();
  ASSERT_EQ(host.posted, (std::vector<unsigned>{kReadPageDoneMessage}));
  EXPECT_EQ(PartCount, 2);  // raised while the page was read
  Flags().abort = 1;

  ScratchFolder store;
  const std::u16string savedData = DataFolder();
  SetDataFolder(store.Path().c_str());
  char16_t pages[600];
  ASSERT_TRUE(MakeMusicPagesPath(pages, 600, u""));
  ASSERT_TRUE(platform::MakeDirectory(pages));
  AddReadPageToScore();
  pageTable.rows[0].flags = 0;  // nothing more to read
  OnReadingFinished();
  SetDataFolder(savedData.c_str());
  EXPECT_EQ(PartCount, 1);
  EXPECT_EQ(ScorePages.count, 1);
}

}  // namespace
