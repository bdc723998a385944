// The page view's loader and the save of a score page's data: staves into
// the score's current-page stave table, the boxes kept only for the current
// score page, the view scale, and the score's data keys.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "pages/CurrentPageData.h"
#include "pages/PageData.h"
#include "pages/PageFiles.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "score/ScoreFile.h"
#include "tests/pages/PageStoreFixture.h"
#include "tests/support/BoxRecorder.h"

namespace {

constexpr int16_t kTableId = 40;
constexpr int16_t kScoreId = 41;
constexpr uint32_t kDataKey = 0xD00D;
constexpr uint8_t kStaveSpacing = 16;

std::vector<double> scalesSet;
int layouts = 0;
void RecordScale(double scale) { scalesSet.push_back(scale); }
void RecordLayout() { ++layouts; }

StaveRecord Stave(int16_t left, int16_t top) {
  StaveRecord r;
  r.left = left;
  r.top = top;
  r.right = static_cast<int16_t>(left + 1500);
  r.bottom = static_cast<int16_t>(top + 40);
  r.lineCount = 5;
  r.lineThickness = 3;
  r.midX = static_cast<int16_t>(left + 750);
  r.midTop = top;
  r.rightTop = top;
  return r;
}

// The view page back to an empty page without an image.
void ClearViewPage() {
  viewPage.staveCount = 0;
  viewPage.boxCount = 0;
  FreeHandle(&viewPage.imageArea);
  viewPage.resolution = 0;
  viewPage.scaledWidth = viewPage.scaledHeight = 0;
  viewPage.offsetX = viewPage.offsetY = 0;
  std::memset(viewPage.imageName, 0, kImageNameBytes);
}

class CurrentPageDataTest : public PageStoreTest {
 protected:
  void SetUp() override {
    PageStoreTest::SetUp();
    PageStoreHooks hooks{};
    hooks.setScoreViewScale = RecordScale;
    hooks.placeScoreViews = RecordLayout;
    SetPageStoreHooks(hooks);
    scalesSet.clear();
    layouts = 0;
    savedSize_ = ScorePageSize;
    ScorePageSize = ScorePageSizes{2480, 3508, kStaveSpacing, 1};
    ScorePages = ScorePageList{};
    ScorePages.count = 1;
    ScorePages.current = 1;
    ScorePages.rows[0] = ScorePageRow{static_cast<uint16_t>(kScoreId), 400, 0x1234};
    ScorePages.second[0] = kDataKey;
    ScorePageStaves = ScoreStaveTable{};
    PageBoxesMissing = 0;
    pageTable.rows[0].scanId = kTableId;
    pageTable.rows[0].resolution = 300;
    pageTable.pageCount = 1;
    pageTable.currentPage = 0;
    ClearViewPage();
    viewPage.resolution = 300;
  }
  void TearDown() override {
    ClearViewPage();
    ScorePages = ScorePageList{};
    ScorePageStaves = ScoreStaveTable{};
    ScorePageSize = savedSize_;
    PageStoreTest::TearDown();
  }

  static std::u16string DataPath(PageFile which, int16_t id) {
    char16_t path[kPagePathUnits];
    EXPECT_TRUE(PageFilePath(which, id, true, path));
    return path;
  }

  // A data file of two staves and three boxes carrying key, stored at
  // offsets (10, 20).
  static void WriteData(PageFile which, int16_t id, uint32_t key) {
    auto page = std::make_unique<PageData>();
    page->staves[0] = Stave(100, 200);
    page->staves[1] = Stave(100, 600);
    page->staveCount = 2;
    page->boxCount = 3;
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 4; ++j) page->boxes[i][j] = static_cast<int16_t>(i * 10 + j);
      page->boxValues[i] = 0.5f;
    }
    page->scaledWidth = 1000;
    page->scaledHeight = 1400;
    page->offsetX = 10;
    page->offsetY = 20;
    PageDataFileFields fields;
    fields.pageKey = key;
    fields.withOffsets = true;
    ASSERT_TRUE(WritePageDataFile(DataPath(which, id).c_str(), *page, page->staves, page->staveCount, fields));
  }

  ScorePageSizes savedSize_{};
};

TEST_F(CurrentPageDataTest, LoadsTheTableRowIntoTheViewAndTheScoreStaveTable) {
  WriteData(PageFile::kData, kTableId, kDataKey);
  LoadCurrentPageData(true, false);

  ASSERT_EQ(viewPage.staveCount, 2u);
  EXPECT_EQ(viewPage.staves[1].left, 110);
  EXPECT_EQ(viewPage.staves[1].top, 620);
  ASSERT_EQ(ScorePageStaves.count, 2u);
  EXPECT_EQ(ScorePageStaves.rows[1].top, 620);
  EXPECT_EQ(viewPage.boxCount, 3);
  EXPECT_EQ(viewPage.scaledWidth, 1000u);
  EXPECT_EQ(viewPage.resolution, 300);  // the table form keeps the view's resolution
  EXPECT_EQ(PageBoxesMissing, 0);
  ASSERT_EQ(scalesSet.size(), 1u);
  EXPECT_DOUBLE_EQ(scalesSet[0], 1200.0 / (300 / 254.0 * kStaveSpacing));
  EXPECT_EQ(layouts, 1);
}

TEST_F(CurrentPageDataTest, LoadsTheCurrentScorePageWithItsResolution) {
  WriteData(PageFile::kWorkingData, kScoreId, kDataKey);
  LoadCurrentPageData(false, false);

  EXPECT_EQ(viewPage.staveCount, 2u);
  EXPECT_EQ(ScorePageStaves.count, 2u);
  EXPECT_EQ(viewPage.resolution, 400);
  EXPECT_STREQ(viewPage.imageName, "NoScan");  // no image in the view
  EXPECT_EQ(pageTable.currentPage, -1);
  EXPECT_EQ(PageBoxesMissing, 0);
  ASSERT_EQ(scalesSet.size(), 1u);
  EXPECT_DOUBLE_EQ(scalesSet[0], 1200.0 / (400 / 254.0 * kStaveSpacing));
}

TEST_F(CurrentPageDataTest, BoxesStayOnlyForTheCurrentScorePage) {
  struct Case {
    const char* what;
    uint32_t keyInFile;
    int current;
    bool boxesKept;
  } cases[] = {
      {"the score's data key", kDataKey, 1, true},
      {"another page's key", kDataKey + 1, 1, false},
      {"no current score page", kDataKey, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteData(PageFile::kData, kTableId, c.keyInFile);
    ScorePages.current = c.current;
    LoadCurrentPageData(true, true);
    EXPECT_EQ(viewPage.boxCount, c.boxesKept ? 3 : 0);
    EXPECT_EQ(PageBoxesMissing, c.boxesKept ? 0 : 1);
  }
}

TEST_F(CurrentPageDataTest, KeepingTheScoreScaleLeavesTheViewScale) {
  WriteData(PageFile::kData, kTableId, kDataKey);
  LoadCurrentPageData(true, true, nullptr, 0);
  EXPECT_EQ(viewPage.staveCount, 2u);
  EXPECT_EQ(ScorePageStaves.count, 2u);
  EXPECT_TRUE(scalesSet.empty());
  EXPECT_EQ(layouts, 1);
}

TEST_F(CurrentPageDataTest, AMissingFileLeavesThePageWithoutStavesOrBoxes) {
  BoxRecorder boxes;
  viewPage.staveCount = 4;
  viewPage.boxCount = 9;
  ScorePageStaves.count = 4;
  LoadCurrentPageData(true, false);
  EXPECT_EQ(viewPage.staveCount, 0u);
  EXPECT_EQ(viewPage.boxCount, 0);
  EXPECT_EQ(ScorePageStaves.count, 0u);
  EXPECT_EQ(viewPage.scaledWidth, 2480u);  // the score's page size
  EXPECT_EQ(PageBoxesMissing, 1);
  EXPECT_EQ(layouts, 1);
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(CurrentPageDataTest, ADamagedFileIsShownAndLeavesThePageAsItWas) {
  BoxRecorder boxes;
  WriteData(PageFile::kData, kTableId, kDataKey);
  LoadCurrentPageData(true, true);
  ASSERT_EQ(PageBoxesMissing, 0);

  const std::u16string path = DataPath(PageFile::kData, kTableId);
  FileBytes bytes = ReadAll(path);
  bytes.resize(bytes.size() - 7);
  WriteTestFile(path, bytes);
  LoadCurrentPageData(true, true);

  EXPECT_EQ(viewPage.staveCount, 2u);
  EXPECT_EQ(viewPage.boxCount, 3);
  EXPECT_EQ(ScorePageStaves.count, 2u);
  EXPECT_EQ(PageBoxesMissing, 1);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_NE(boxes.Boxes()[0].text.find(path), std::u16string::npos);
}

TEST_F(CurrentPageDataTest, AGivenPageLeavesTheViewAndTheScoreAlone) {
  WriteData(PageFile::kData, kTableId, kDataKey + 1);
  auto page = std::make_unique<PageData>();
  page->staveCount = 0;
  page->imageArea = nullptr;
  LoadCurrentPageData(true, true, page.get(), 0);
  EXPECT_EQ(page->staveCount, 2u);
  EXPECT_EQ(page->boxCount, 3);  // only the view's boxes are checked against the score
  EXPECT_EQ(ScorePageStaves.count, 0u);
  EXPECT_EQ(viewPage.staveCount, 0u);
  EXPECT_EQ(PageBoxesMissing, 0);
}

TEST_F(CurrentPageDataTest, NothingToLoadMarksTheViewsBoxesMissing) {
  struct Case {
    const char* what;
    bool fromTable;
    int index;
  } cases[] = {
      {"a score page without data", false, 0},
      {"a negative row", true, -1},
      {"a row past the table", true, 1},
  };
  WriteData(PageFile::kData, kScoreId, kDataKey);
  WriteData(PageFile::kData, kTableId, kDataKey);
  ScorePages.rows[0].dataId = kNoPageDataId;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PageBoxesMissing = 0;
    LoadCurrentPageData(c.fromTable, false, nullptr, c.index);
    EXPECT_EQ(viewPage.staveCount, 0u);
    EXPECT_EQ(PageBoxesMissing, 1);
  }
  EXPECT_EQ(layouts, 0);
}

// ---- Saving ----

PageDataRead ReadBack(PageFile which, int16_t id, uint32_t* key, std::unique_ptr<PageData>* page) {
  char16_t path[kPagePathUnits];
  EXPECT_TRUE(PageFilePath(which, id, false, path));
  *page = std::make_unique<PageData>();
  return ReadPageDataFile(path, page->get(), key);
}

TEST_F(CurrentPageDataTest, ANewKeyGoesIntoTheScoreOnceTheFileIsWritten) {
  ScorePageStaves.rows[0] = Stave(50, 70);
  ScorePageStaves.count = 1;
  viewPage.boxCount = 2;
  viewPage.offsetX = 5;
  viewPage.offsetY = 6;
  ASSERT_TRUE(SavePageData(true, true));

  EXPECT_NE(ScorePages.second[0], kDataKey);
  EXPECT_EQ(ScorePages.rows[0].key, 0x1234u);
  uint32_t key = 0;
  std::unique_ptr<PageData> back;
  ASSERT_EQ(ReadBack(PageFile::kWorkingData, kScoreId, &key, &back), PageDataRead::kRead);
  EXPECT_EQ(key, ScorePages.second[0]);
  ASSERT_EQ(back->staveCount, 1u);
  EXPECT_EQ(back->staves[0].left, 55);  // the view's offsets travel with it
  EXPECT_EQ(back->boxCount, 2);

  // The view loads its own boxes back as the current score page's.
  viewPage.boxCount = 0;
  LoadCurrentPageData(false, true);
  EXPECT_EQ(viewPage.boxCount, 2);
  EXPECT_EQ(PageBoxesMissing, 0);
}

TEST_F(CurrentPageDataTest, TheDataKeyIsTheOneOfTheFirstScorePageWithThePagesKey) {
  struct Case {
    const char* what;
    uint32_t secondPageKey;
    uint32_t keyWritten;
  } cases[] = {
      {"a key of its own", 0x5678, 0xB2},
      {"the first page's key", 0x1234, 0xB1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScorePages.count = 2;
    ScorePages.rows[1] = ScorePageRow{static_cast<uint16_t>(kTableId), 300, c.secondPageKey};
    ScorePages.second[0] = 0xB1;
    ScorePages.second[1] = 0xB2;
    auto page = std::make_unique<PageData>();
    page->staves[0] = Stave(10, 10);
    page->staveCount = 1;
    page->boxCount = 1;
    page->offsetX = 30;
    ASSERT_TRUE(SavePageData(false, false, page.get(), 2));
    uint32_t key = 0;
    std::unique_ptr<PageData> back;
    ASSERT_EQ(ReadBack(PageFile::kData, kTableId, &key, &back), PageDataRead::kRead);
    EXPECT_EQ(key, c.keyWritten);
    EXPECT_EQ(back->staves[0].left, 10);  // no offsets for a page other than the view's
    EXPECT_EQ(ScorePages.second[1], 0xB2u);
  }
}

TEST_F(CurrentPageDataTest, NothingIsSavedWithoutBoxesOrScorePageData) {
  BoxRecorder boxes;
  auto page = std::make_unique<PageData>();
  page->staveCount = 0;
  page->boxCount = 0;
  EXPECT_FALSE(SavePageData(true, false, page.get(), 1));  // no boxes
  page->boxCount = 1;
  EXPECT_FALSE(SavePageData(true, false, page.get(), 2));  // no such score page
  ScorePages.rows[0].dataId = kNoPageDataId;
  EXPECT_FALSE(SavePageData(true, false, page.get(), 1));  // a page without data
  EXPECT_EQ(ScorePages.second[0], kDataKey);
  EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace

// ---- The view's staves of a page without boxes ----

TEST_F(CurrentPageDataTest, TheViewsStavesOfAPageNotYetReadAreKeptWithoutBoxes) {
  struct Case {
    const char* what;
    uint8_t state;
    uint32_t staves;
    bool loadedFromScorePage;  // the view's table came from the score page's file
    bool written;
  } cases[] = {
      {"a page not read", kPageNotRead, 2, false, true},
      {"a page whose reading ended early", kPageBeingRead, 1, false, true},
      {"a page not read, without staves", kPageNotRead, 0, false, false},
      {"a page already read keeps its file", kPageRead, 2, false, false},
      {"a page of a loaded score keeps its file", kPageOfLoadedScore, 2, false, false},
      {"staves of the score's page are not another page's", kPageNotRead, 2, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (PageFile which : {PageFile::kWorkingData, PageFile::kData})
      platform::RemoveFile(DataPath(which, kTableId).c_str());
    pageTable.rows[0].state = c.state;
    pageTable.rows[0].pageKey = 0x77;
    // The view loads its page (no data file yet), then staves are placed.
    LoadCurrentPageData(!c.loadedFromScorePage, true);
    for (uint32_t s = 0; s < c.staves; ++s) ScorePageStaves.rows[s] = Stave(60, static_cast<int16_t>(300 + 400 * s));
    ScorePageStaves.count = c.staves;
    viewPage.staveCount = 0;  // the table is the one edited
    viewPage.boxCount = 0;
    viewPage.offsetX = 4;
    viewPage.offsetY = 0;

    EXPECT_EQ(SavePageData(false, true), c.written);

    // The page loaded back from disc as the page view loads a page-table page.
    ScorePageStaves = ScoreStaveTable{};
    viewPage.staveCount = 0;
    uint32_t key = 0;
    std::unique_ptr<PageData> back;
    const PageDataRead read = ReadBack(PageFile::kWorkingData, kTableId, &key, &back);
    if (!c.written) {
      EXPECT_EQ(read, PageDataRead::kMissing);
      continue;
    }
    ASSERT_EQ(read, PageDataRead::kRead);
    EXPECT_EQ(key, 0x77u);  // the row's own key: the score does not know the page yet
    EXPECT_EQ(back->boxCount, 0);
    ASSERT_EQ(back->staveCount, c.staves);
    EXPECT_EQ(back->staves[0].left, 64);  // the view's offsets travel with it
    EXPECT_EQ(back->staves[c.staves - 1].top, 300 + 400 * static_cast<int>(c.staves - 1));
    LoadCurrentPageData(true, true);
    EXPECT_EQ(ScorePageStaves.count, c.staves);
    EXPECT_EQ(viewPage.boxCount, 0);
  }
  // The score page's own file was never touched.
  uint32_t key = 0;
  std::unique_ptr<PageData> back;
  EXPECT_EQ(ReadBack(PageFile::kWorkingData, kScoreId, &key, &back), PageDataRead::kMissing);
}
