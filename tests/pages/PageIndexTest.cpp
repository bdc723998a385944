// The page index "!Index": the version written, the three versions read,
// damaged files, the program's own index in the store, keys and store ids.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "pages/PageFiles.h"
#include "pages/PageStoreScoreLinks.h"
#include "pages/PageTable.h"
#include "score/ScoreFile.h"
#include "score/ScoreFileHooks.h"
#include "tests/pages/PageStoreFixture.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TestText.h"

namespace {

constexpr size_t kHeaderV3 = 13;
constexpr size_t kEntryV3 = 383;

PageRecord Row(int16_t id, const std::u16string& name) {
  PageRecord row;
  row.scanId = id;
  std::copy(name.begin(), name.end(), row.name);
  row.resolution = 300;
  row.pageKey = 1000u + static_cast<uint16_t>(id);
  return row;
}

// A version-1 or version-2 entry.
void PutOldEntry(FileBytes* out, int version, uint32_t id, const std::string& name, uint32_t resolution,
                 uint8_t state, uint32_t flags, uint32_t key) {
  PutLE(out, id, 4);
  if (version == 1) {
    for (size_t i = 0; i < 40; ++i) out->push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : 0);
  } else {
    PutWide(out, U16(name), 40);
  }
  PutLE(out, resolution, 4);
  out->push_back(state);
  PutLE(out, flags, 4);
  PutLE(out, key, 4);
}

class PageIndexTest : public PageStoreTest {
 protected:
  void SetUp() override {
    PageStoreTest::SetUp();
    path_ = StorePath(u"!Index");
  }
  std::unique_ptr<PageTable> table_ = std::make_unique<PageTable>();
  std::u16string path_;
};

TEST_F(PageIndexTest, EmptyTableWritesThirteenBytes) {
  table_->indexMark = 0x04030201;
  ASSERT_TRUE(WritePageIndexFile(path_.c_str(), *table_));
  EXPECT_EQ(ReadAll(path_), (FileBytes{0xFE, 0xFF, 0xFF, 0x0F, 3, 0, 0, 0, 0, 1, 2, 3, 4}));
}

// The empty store shipped with the program is made at build time; it must be
// exactly what this writer writes for an empty table.
TEST_F(PageIndexTest, TheShippedEmptyStoreIsWhatTheWriterWrites) {
  ASSERT_TRUE(WritePageIndexFile(path_.c_str(), *table_));
  const FileBytes shipped = ReadAll(BuildPath("bin/Resources/Default MusicPages/!Index"));
  ASSERT_FALSE(shipped.empty());
  EXPECT_EQ(ReadAll(path_), shipped);
}

TEST_F(PageIndexTest, VersionThreeRoundTripsEveryField) {
  PageRecord a = Row(-2, u"Sonata \u00e9 1");  // a negative id is written sign-extended
  a.resolution = -300;
  a.state = kPageRead;
  a.flags = kPageSelected | kPagePaneMark | kPageModified | kPageHandwritten | (5u << kPageProblemCodeShift);
  a.reserved[1][7] = 0xAB;
  std::u16string score = u"My score";
  std::copy(score.begin(), score.end(), a.scoreName);
  a.scorePageNumber = 3;
  table_->rows[0] = a;
  table_->rows[1] = Row(7, u"Page two");
  table_->pageCount = 2;
  table_->indexMark = 77;
  ASSERT_TRUE(WritePageIndexFile(path_.c_str(), *table_));
  const FileBytes bytes = ReadAll(path_);
  ASSERT_EQ(bytes.size(), kHeaderV3 + 2 * kEntryV3);
  EXPECT_EQ(FileBytes(bytes.begin() + 13, bytes.begin() + 17), (FileBytes{0xFE, 0xFF, 0xFF, 0xFF}));

  auto back = std::make_unique<PageTable>();
  ASSERT_EQ(ReadPageIndexFile(path_.c_str(), back.get()), IndexRead::kRead);
  ASSERT_EQ(back->pageCount, 2u);
  EXPECT_EQ(back->indexMark, 77u);
  const PageRecord& r = back->rows[0];
  EXPECT_EQ(r.scanId, -2);
  EXPECT_EQ(std::u16string(r.name), u"Sonata \u00e9 1");
  EXPECT_EQ(r.resolution, -300);
  EXPECT_EQ(r.state, kPageRead);
  // Marks for reading do not survive a restart.
  EXPECT_EQ(r.flags, kPageModified | kPageHandwritten | (5u << kPageProblemCodeShift));
  EXPECT_EQ(r.pageKey, a.pageKey);
  EXPECT_EQ(r.reserved[1][7], 0xAB);
  EXPECT_EQ(std::u16string(r.scoreName), u"My score");
  EXPECT_EQ(r.scorePageNumber, 3);
  EXPECT_EQ(std::u16string(back->rows[1].name), u"Page two");
}

TEST_F(PageIndexTest, VersionOneHasAnsiNamesAndLowFlagsOnly) {
  FileBytes file;
  PutLE(&file, 1, 4);   // page count
  PutLE(&file, 9, 4);   // index mark
  PutOldEntry(&file, 1, 4, std::string(45, 'x'), 200, kPageRead, 0x1FF | kPageHandwritten, 555);
  WriteTestFile(path_, file);
  ASSERT_EQ(ReadPageIndexFile(path_.c_str(), table_.get()), IndexRead::kRead);
  ASSERT_EQ(table_->pageCount, 1u);
  EXPECT_EQ(table_->indexMark, 9u);
  const PageRecord& r = table_->rows[0];
  EXPECT_EQ(r.scanId, 4);
  EXPECT_EQ(std::u16string(r.name), std::u16string(39, u'x'));  // the 40th unit is 0
  EXPECT_EQ(r.resolution, 200);
  EXPECT_EQ(r.flags, 0xFFu & ~(kPageSelected | kPagePaneMark));
  EXPECT_EQ(r.pageKey, 555u);
  EXPECT_EQ(r.scoreName[0], 0);
  EXPECT_EQ(r.scorePageNumber, 0);
}

TEST_F(PageIndexTest, VersionTwoByEitherMarker) {
  for (bool versionByte : {false, true}) {
    SCOPED_TRACE(versionByte);
    FileBytes file;
    PutLE(&file, versionByte ? 0x0FFFFFFE : 0x0FFFFFFF, 4);
    if (versionByte) file.push_back(2);
    PutLE(&file, 2, 4);
    PutLE(&file, 0, 4);
    PutOldEntry(&file, 2, 0, "First", 300, 0, kPageNotInScore, 1);
    PutOldEntry(&file, 2, 1, "Second", 600, 3, kPageHandwritten | kPageHasProblem, 2);
    WriteTestFile(path_, file);
    ASSERT_EQ(ReadPageIndexFile(path_.c_str(), table_.get()), IndexRead::kRead);
    ASSERT_EQ(table_->pageCount, 2u);
    EXPECT_EQ(std::u16string(table_->rows[1].name), u"Second");
    EXPECT_EQ(table_->rows[1].resolution, 600);
    EXPECT_EQ(table_->rows[1].flags, kPageHasProblem);
    EXPECT_EQ(table_->rows[0].flags, kPageNotInScore);
  }
}

TEST_F(PageIndexTest, EveryCutOfAFileIsRefusedAndLeavesTheTableEmpty) {
  table_->rows[0] = Row(0, u"A");
  table_->rows[1] = Row(1, u"B");
  table_->pageCount = 2;
  ASSERT_TRUE(WritePageIndexFile(path_.c_str(), *table_));
  const FileBytes whole = ReadAll(path_);
  for (size_t n = 0; n < whole.size(); ++n) {
    WriteTestFile(path_, FileBytes(whole.begin(), whole.begin() + n));
    auto back = std::make_unique<PageTable>();
    back->pageCount = 5;
    EXPECT_EQ(ReadPageIndexFile(path_.c_str(), back.get()), IndexRead::kDamaged) << n << " bytes";
    EXPECT_EQ(back->pageCount, 0u);
  }
}

TEST_F(PageIndexTest, HostileHeadersAreRefused) {
  struct Case {
    const char* what;
    FileBytes file;
  };
  FileBytes tooMany;
  PutLE(&tooMany, 0x0FFFFFFE, 4);
  tooMany.push_back(3);
  PutLE(&tooMany, kMaxPages + 1, 4);
  PutLE(&tooMany, 0, 4);
  tooMany.resize(tooMany.size() + (kMaxPages + 1) * kEntryV3);
  FileBytes hugeOldCount;
  PutLE(&hugeOldCount, 0x7FFFFFFF, 4);
  PutLE(&hugeOldCount, 0, 4);
  const Case cases[] = {
      {"more pages than the table holds", tooMany},
      {"a version-1 count far past the file", hugeOldCount},
      {"version byte 0", {0xFE, 0xFF, 0xFF, 0x0F, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"version byte 1", {0xFE, 0xFF, 0xFF, 0x0F, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"a file larger than any index", FileBytes(16 + 383 * 1024 + 1, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteTestFile(path_, c.file);
    EXPECT_EQ(ReadPageIndexFile(path_.c_str(), table_.get()), IndexRead::kDamaged);
    EXPECT_EQ(table_->pageCount, 0u);
  }
}

TEST_F(PageIndexTest, BytesAfterTheLastEntryAreIgnored) {
  table_->rows[0] = Row(3, u"Only");
  table_->pageCount = 1;
  ASSERT_TRUE(WritePageIndexFile(path_.c_str(), *table_));
  FileBytes file = ReadAll(path_);
  file.insert(file.end(), 100, 0xEE);
  WriteTestFile(path_, file);
  ASSERT_EQ(ReadPageIndexFile(path_.c_str(), table_.get()), IndexRead::kRead);
  EXPECT_EQ(table_->pageCount, 1u);
  EXPECT_EQ(std::u16string(table_->rows[0].name), u"Only");
}

TEST_F(PageIndexTest, AMissingIndexIsCreatedEmpty) {
  BoxRecorder boxes;
  pageTable.pageCount = 3;
  EXPECT_TRUE(ReadPageIndex());
  EXPECT_EQ(pageTable.pageCount, 0u);
  EXPECT_EQ(ReadAll(path_).size(), kHeaderV3);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(PageIndexTest, ADamagedIndexIsReportedAndKeptAside) {
  BoxRecorder boxes;
  const FileBytes damaged{0xFE, 0xFF, 0xFF, 0x0F, 3, 2, 0, 0, 0};
  WriteTestFile(path_, damaged);
  EXPECT_FALSE(ReadPageIndex());
  EXPECT_EQ(pageTable.pageCount, 0u);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_NE(boxes.Boxes()[0].text.find(u"damaged"), std::u16string::npos);
  EXPECT_EQ(ReadAll(path_ + u".damaged"), damaged);
}

TEST_F(PageIndexTest, AFailedWriteLeavesTheOldIndex) {
  BoxRecorder boxes;
  pageTable.rows[0] = Row(0, u"Kept");
  pageTable.pageCount = 1;
  ASSERT_TRUE(WritePageIndex());
  const FileBytes before = ReadAll(path_);
  // A folder where the new index would be written: the write cannot start.
  ASSERT_TRUE(platform::MakeDirectory((path_ + u".kvsave").c_str()));
  pageTable.pageCount = 0;
  EXPECT_FALSE(WritePageIndex());
  EXPECT_EQ(ReadAll(path_), before);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  platform::RemoveDirectory((path_ + u".kvsave").c_str());
}

TEST_F(PageIndexTest, KeysOfOneSecondDifferAndNeverRunOut) {
  std::srand(1);
  const uint64_t second = 26000000;
  // More pages than one second has keys.
  for (uint32_t i = 0; i < 100; ++i) {
    pageTable.rows[i].pageKey = UniquePageKeyAt(second);
    pageTable.pageCount = i + 1;
  }
  std::vector<uint32_t> keys;
  for (uint32_t i = 0; i < 100; ++i) keys.push_back(pageTable.rows[i].pageKey);
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end());
  EXPECT_EQ(keys.front() / 64, second);
}

TEST_F(PageIndexTest, KeysAvoidTheOpenScoresPages) {
  std::srand(2);
  const uint64_t second = 26000001;
  // Every key of this second but one belongs to the score or to a page.
  const uint32_t free = static_cast<uint32_t>(second * 64 + 17);
  ScorePages.count = 0;
  for (uint32_t k = 0; k < 64; ++k) {
    const uint32_t key = static_cast<uint32_t>(second * 64 + k);
    if (key == free) continue;
    if (k < kMaxScorePages) {
      ScorePages.rows[ScorePages.count++].key = key;
    } else {
      pageTable.rows[pageTable.pageCount++].pageKey = key;
    }
  }
  EXPECT_EQ(UniquePageKeyAt(second), free);
  ScorePages.count = 0;
}

TEST_F(PageIndexTest, StoreIdsAndFileNames) {
  for (int16_t id : {0, 1, 3}) pageTable.rows[pageTable.pageCount++].scanId = id;
  EXPECT_EQ(NextFreeScanId(pageTable), 2);
  pageTable.rows[3].scanId = 2;
  pageTable.pageCount = 4;
  EXPECT_EQ(NextFreeScanId(pageTable), 4);
  // Ids under which pages of the open score keep their working data are
  // taken as well.
  ScorePages.count = 2;
  ScorePages.rows[0] = ScorePageRow{4, 0, 0x1234};
  ScorePages.rows[1] = ScorePageRow{5, 0, 0x5678};
  EXPECT_EQ(NextFreeScanId(pageTable), 6);
  ScorePages = ScorePageList{};

  char16_t path[kPagePathUnits];
  ASSERT_TRUE(PageFilePath(PageFile::kImage, 32, false, path));
  EXPECT_EQ(std::u16string(path), StorePath(u"Dir0001\\Scan0020"));
  ASSERT_TRUE(PageFilePath(PageFile::kWorkingData, 95, true, path));
  EXPECT_EQ(std::u16string(path), StorePath(u"TDir0002\\Data005f"));
  WriteTestFile(path, FileBytes{1});  // the folder was made
  ASSERT_TRUE(PageFilePath(PageFile::kData, -1, false, path));
  EXPECT_EQ(std::u16string(path), StorePath(u"Dirffff\\Dataffff"));
}

}  // namespace

namespace {

TEST_F(PageIndexTest, TheScoreFileFindsAndMarksPagesByKey) {
  pageTable.rows[0] = Row(5, u"Five");
  pageTable.rows[0].resolution = 600;
  pageTable.rows[1] = Row(6, u"Six");
  pageTable.pageCount = 2;
  ConnectPageStoreToScoreFile();
  const ScoreFileHooks& hooks = CurrentScoreFileHooks();
  uint16_t dataId = 0, field = 0;
  ASSERT_TRUE(hooks.findPageRecord(pageTable.rows[0].pageKey, &dataId, &field));
  EXPECT_EQ(dataId, 5);
  EXPECT_EQ(field, 600);
  EXPECT_FALSE(hooks.findPageRecord(12345, &dataId, &field));
  hooks.markPageRecordSaved(pageTable.rows[1].pageKey);
  EXPECT_EQ(pageTable.rows[1].state, kPageOfLoadedScore);
  EXPECT_EQ(pageTable.rows[0].state, kPageNotRead);
  hooks.writePageIndex();
  EXPECT_EQ(ReadAll(path_).size(), 13u + 2 * 383u);
  ResetScoreFileHooks();
}

}  // namespace

namespace {

// The page-record bookkeeping of the score file: the score's pages carry the
// score's file and their place in it; read pages that left the score lose it.
TEST_F(PageIndexTest, TheScoresPagesAreNamedAndNumberedAndStaleNamesCleared) {
  const std::u16string score = u"C:\\Scores\\Sonata.opt";
  struct Start {
    int16_t id;
    uint8_t state;
    std::u16string scoreName;
    int16_t number;
  } start[] = {
      {1, kPageRead, u"c:\\scores\\SONATA.opt", 3},  // left the score: cleared
      {2, kPageNotRead, u"", 0},                     // pending page of the score
      {3, kPageOfLoadedScore, u"", 0},               // read page of the score
      {4, kPageRead, u"C:\\Other.opt", 1},           // another score's page
      {5, kPageNotRead, u"C:\\Other.opt", 0},        // pending, no page of the score
  };
  for (size_t i = 0; i < std::size(start); ++i) {
    pageTable.rows[i] = Row(start[i].id, u"Page");
    pageTable.rows[i].state = start[i].state;
    std::copy(start[i].scoreName.begin(), start[i].scoreName.end(), pageTable.rows[i].scoreName);
    pageTable.rows[i].scorePageNumber = start[i].number;
  }
  pageTable.pageCount = std::size(start);
  ScorePages = ScorePageList{};
  ScorePages.count = 3;
  ScorePages.rows[0] = ScorePageRow{3, 0, pageTable.rows[2].pageKey};
  ScorePages.rows[1] = ScorePageRow{2, 0, pageTable.rows[1].pageKey};
  ScorePages.rows[2] = ScorePageRow{40, 0, 0xABCDEF};  // a page with no record here
  std::copy(score.begin(), score.end(), CurrentScore.path);
  CurrentScore.path[score.size()] = 0;
  ConnectPageStoreToScoreFile();
  const ScoreFileHooks& hooks = CurrentScoreFileHooks();

  char16_t name[300] = u"x";
  EXPECT_EQ(hooks.getScoreNameOfPages(name, 300), 0);
  EXPECT_EQ(name[0], 0);

  hooks.tidyPageRecords();
  struct Expected {
    uint8_t state;
    std::u16string scoreName;
    int16_t number;
  } expected[] = {
      {kPageRead, u"", 0},
      {kPageInReadScore, score, 2},
      {kPageOfLoadedScore, u"", 1},
      {kPageRead, u"C:\\Other.opt", 1},
      {kPageNotRead, u"C:\\Other.opt", 0},
  };
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(pageTable.rows[i].state, expected[i].state);
    EXPECT_EQ(std::u16string(pageTable.rows[i].scoreName), expected[i].scoreName);
    EXPECT_EQ(pageTable.rows[i].scorePageNumber, expected[i].number);
  }

  hooks.setScoreNameOfPages(u"D:\\Saved\\Sonata 2.opt", 0);
  EXPECT_EQ(std::u16string(pageTable.rows[2].scoreName), u"D:\\Saved\\Sonata 2.opt");
  EXPECT_EQ(std::u16string(pageTable.rows[1].scoreName), u"D:\\Saved\\Sonata 2.opt");
  EXPECT_EQ(std::u16string(pageTable.rows[3].scoreName), u"C:\\Other.opt");
  ASSERT_EQ(hooks.getScoreNameOfPages(name, 300), 1);
  EXPECT_EQ(std::u16string(name), u"D:\\Saved\\Sonata 2.opt");
  // A short buffer takes what fits.
  ASSERT_EQ(hooks.getScoreNameOfPages(name, 4), 1);
  EXPECT_EQ(std::u16string(name), u"D:\\");

  EXPECT_TRUE(hooks.isPageDataIdInUse(4));
  EXPECT_FALSE(hooks.isPageDataIdInUse(40));

  ResetScoreFileHooks();
  ScorePages = ScorePageList{};
  CurrentScore = ScoreDocument{};
}

}  // namespace

namespace {

// The score-list helpers one by one: which rows the score holds, where the
// read rows begin, stale names cleared without touching pending rows, and
// pending rows of the score marked read without touching read ones.
TEST_F(PageIndexTest, TheScoreListHelpersActOnTheirOwnRowsOnly) {
  const std::u16string score = u"C:\\Scores\\Suite.opt";
  struct Case {
    uint8_t state;
    std::u16string scoreName;
    bool inScore;
    std::u16string nameAfterClear;
    uint8_t stateAfterMark;
    std::u16string nameAfterMark;
  } cases[] = {
      {kPageNotRead, u"", true, u"", kPageInReadScore, score},                              // pending, in the score
      {kPageBeingRead, u"", false, u"", kPageBeingRead, u""},                               // being read
      {kPageNotRead, u"c:\\scores\\suite.OPT", false, u"c:\\scores\\suite.OPT", kPageNotRead,  // pending, stale
       u"c:\\scores\\suite.OPT"},
      {kPageRead, u"C:\\SCORES\\SUITE.opt", false, u"", kPageRead, u""},                    // read, left the score
      {kPageRead, score, true, score, kPageRead, score},                                    // read, in the score
      {kPageOfLoadedScore, u"C:\\Other.opt", false, u"C:\\Other.opt", kPageOfLoadedScore,   // another score
       u"C:\\Other.opt"},
  };
  ScorePages = ScorePageList{};
  for (size_t i = 0; i < std::size(cases); ++i) {
    pageTable.rows[i] = Row(static_cast<int16_t>(i + 1), u"Page");
    pageTable.rows[i].state = cases[i].state;
    std::copy(cases[i].scoreName.begin(), cases[i].scoreName.end(), pageTable.rows[i].scoreName);
    pageTable.rows[i].scorePageNumber = 7;
    if (cases[i].inScore) ScorePages.rows[ScorePages.count++] = ScorePageRow{0, 0, pageTable.rows[i].pageKey};
  }
  pageTable.pageCount = std::size(cases);
  std::copy(score.begin(), score.end(), CurrentScore.path);
  CurrentScore.path[score.size()] = 0;

  EXPECT_EQ(FirstReadPageRow(), 3);
  EXPECT_EQ(ScorePageOfKey(pageTable.rows[4].pageKey), 2);
  EXPECT_EQ(ScorePageOfKey(kNoPageKey), 0);
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(IsPageInScore(static_cast<int>(i)), cases[i].inScore) << i;
  EXPECT_FALSE(IsPageInScore(-1));
  EXPECT_FALSE(IsPageInScore(static_cast<int>(std::size(cases))));

  ClearStaleScoreNames();
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(std::u16string(pageTable.rows[i].scoreName), cases[i].nameAfterClear);
    EXPECT_EQ(pageTable.rows[i].scorePageNumber, cases[i].nameAfterClear.empty() && cases[i].state > 1 ? 0 : 7);
  }
  MarkPagesOfScore();
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(pageTable.rows[i].state, cases[i].stateAfterMark);
    EXPECT_EQ(std::u16string(pageTable.rows[i].scoreName), cases[i].nameAfterMark);
  }
  EXPECT_EQ(FirstReadPageRow(), 0) << "the marked row counts as read";

  // Without a score file nothing is stale; with no read row the count.
  CurrentScore = ScoreDocument{};
  ClearStaleScoreNames();
  EXPECT_EQ(std::u16string(pageTable.rows[4].scoreName), score);
  for (size_t i = 0; i < std::size(cases); ++i) pageTable.rows[i].state = kPageNotRead;
  EXPECT_EQ(FirstReadPageRow(), static_cast<int>(std::size(cases)));
  ScorePages = ScorePageList{};
}

}  // namespace
