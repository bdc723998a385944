// A page read by the reading thread with the score-building stages installed:
// the records the recognition stages leave become the items of the page's
// part streams, which the frame merges into the score.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
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
#include "score/ScoreStream.h"
#include "tests/reading/ScriptedReading.h"
#include "tests/support/ScratchFolder.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The hand-over saves the page's data into a page store: one in a scratch
// folder for as long as this lives, the data folder put back after.
class ScratchPageStore {
 public:
  ScratchPageStore() : saved_(DataFolder()) {
    SetDataFolder(folder_.Path().c_str());
    char16_t pages[600];
    made_ = MakeMusicPagesPath(pages, 600, u"") && platform::MakeDirectory(pages);
  }
  ~ScratchPageStore() { SetDataFolder(saved_.c_str()); }
  ScratchPageStore(const ScratchPageStore&) = delete;
  ScratchPageStore& operator=(const ScratchPageStore&) = delete;
  bool Made() const { return made_; }

 private:
  ScratchFolder folder_;
  std::u16string saved_;
  bool made_ = false;
};

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
    // A 512 x 256 page, the stave from x 20 to 480 with its top line at y 60.
    ReadingScript script;
    script.width = 512;
    script.height = 256;
    script.staveLeft = 20;
    script.staveRight = 480;
    script.staveTop = 60;
    script.staveSpace = 12;
    BeginScriptedReading(host, script);
    ResetScoreStreams();
    ResetWorkStreams();
    ResetPartRecords();
    PartCount = 0;
    Reading().pageHasItems = 0;
    Reading().scorePosition = 1;
    InstallScoreBuildingStages();
    PrepareReadingBuildContext();
    SetReadingStage(ReadingStage::kConvertNoteRecords, LeaveRecords);
  }
  void TearDown() override {
    EndScriptedReading();
    ResetScoreStreams();
    ResetWorkStreams();
    ResetPartRecords();
    PartCount = 0;
    ScorePages = ScorePageList{};
  }
  QuietReadingHost host;
};

TEST_F(StaveGroupReadingTest, ARecognisedSystemBecomesThePartStreamOfTheScore) {
  ReadingThreadBody();
  ASSERT_EQ(host.posted, (std::vector<unsigned>{kReadPageDoneMessage}));
  EXPECT_EQ(Reading().pageHasItems.load(), 1u);
  EXPECT_EQ(PartCount, 0);  // the score takes the page's parts when it is merged
  EXPECT_EQ(ReadingBuildContext().ReadingPartCount, 2);
  const Bytes part(StreamBytes(WorkStream, 1), StreamBytes(WorkStream, 1) + WorkStream.used[1]);
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
  {
    ScratchPageStore store;
    ASSERT_TRUE(store.Made());
    host.posted.clear();
    AddReadPageToScore();
  }
  EXPECT_EQ(host.posted, (std::vector<unsigned>{kReadingEndedMessage}));
  ASSERT_EQ(ScorePages.count, 1);
  EXPECT_EQ(PartCount, 2);
  EXPECT_EQ(std::u16string(PartNameTable[0]), u"Base");
  EXPECT_EQ(PartTablatureFlags[1].kind, 5u);
  const Bytes score(StreamBytes(ScoreStream, 1), StreamBytes(ScoreStream, 1) + ScoreStream.used[1]);
  Bytes merged = expected;
  merged.push_back(kPageMark);
  merged.push_back(kEndOfScore);
  EXPECT_EQ(score, merged);
  EXPECT_EQ(PageStarts[0][1], 0u);
  EXPECT_EQ(WorkStream.used[1], 0u);
}

}  // namespace

namespace {

// A page whose part slots opened a slot while it was read, and which is then
// not merged (the user stopped the reading), leaves the score's part count
// and part records as they were; merged, it gives them to the score.
TEST_F(StaveGroupReadingTest, APageThatIsNotMergedLeavesThePartRecordsAsTheyWere) {
  for (const bool stopped : {true, false}) {
    SCOPED_TRACE(stopped ? "stopped" : "merged");
    TearDown();
    SetUp();
    host.posted.clear();
    ScorePages.count = 1;
    PageStarts[0][0] = 0;
    PartCount = 1;
    const char16_t flute[] = u"Flute";
    std::copy(std::begin(flute), std::end(flute), PartNameTable[1]);
    PartTablatureFlags[1] = PartTablature{1, 6};
    PartSmallStave[1] = 1;
    PrepareReadingBuildContext();
    ReadingThreadBody();
    ASSERT_EQ(host.posted, (std::vector<unsigned>{kReadPageDoneMessage}));
    EXPECT_EQ(ReadingBuildContext().ReadingPartCount, 2);
    EXPECT_EQ(PartCount, 1);  // the reading changes nothing of the score
    EXPECT_EQ(std::u16string(PartNameTable[1]), u"Flute");
    if (stopped) Flags().abort = 1;

    {
      ScratchPageStore store;
      ASSERT_TRUE(store.Made());
      AddReadPageToScore();
      pageTable.rows[0].flags = 0;  // nothing more to read
      OnReadingFinished();
    }
    EXPECT_EQ(ScorePages.count, stopped ? 1 : 2);
    EXPECT_EQ(PartCount, stopped ? 1 : 2);
    EXPECT_EQ(std::u16string(PartNameTable[1]), stopped ? u"Flute" : u"");
    EXPECT_EQ(PartTablatureFlags[1].flag, stopped ? 1 : 0);
    EXPECT_EQ(PartTablatureFlags[1].kind, stopped ? 6u : 5u);
    EXPECT_EQ(PartSmallStave[1], stopped ? 1 : 0);
    Flags().abort = 0;
  }
}

}  // namespace
