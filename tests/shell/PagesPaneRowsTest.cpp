// The pages pane's rows: their order, where each lies, what a point hits,
// the sections' extents, the refresh with the indexes that follow their
// records, ticking and removing rows.
#include "shell/PagesPaneRows.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Settings.h"
#include "reading/ReadingThread.h"
#include "resources/ResourceIds.h"
#include "score/ScoreFile.h"
#include "shell/PagesPaneActions.h"
#include "shell/ShellServices.h"
#include "tests/support/BoxRecorder.h"

namespace {

struct Row {
  const char16_t* name;
  uint8_t state;
  const char16_t* score;
  int16_t number;
  uint32_t flags;
};

void Fill(PageTable* table, const std::vector<Row>& rows) {
  table->pageCount = 0;
  for (const Row& r : rows) {
    PageRecord& record = table->rows[table->pageCount];
    record = PageRecord{};
    std::u16string name(r.name), score(r.score);
    name.copy(record.name, kPageNameUnits - 1);
    score.copy(record.scoreName, kScoreNameUnits - 1);
    record.state = r.state;
    record.scorePageNumber = r.number;
    record.flags = r.flags;
    record.pageKey = 100 + table->pageCount;
    record.scanId = static_cast<int16_t>(table->pageCount + 1);
    ++table->pageCount;
  }
}

std::vector<std::u16string> Names(const PageTable& table) {
  std::vector<std::u16string> names;
  for (uint32_t i = 0; i < table.pageCount; ++i) names.emplace_back(table.rows[i].name);
  return names;
}

TEST(PagesPaneRowsTest, OrderingPutsPendingFirstAndGroupsReadRowsByScoreAndPlace) {
  auto table = std::make_unique<PageTable>();
  Fill(table.get(), {{u"b2", kPageRead, u"C:\\b.opt", 2, 0},
                     {u"p1", kPageNotRead, u"", 0, 0},
                     {u"a1", kPageRead, u"C:\\a.opt", 1, 0},
                     {u"b1", kPageRead, u"C:\\b.opt", 1, 0},
                     {u"p2", kPageBeingRead, u"", 0, 0},
                     {u"B1", kPageRead, u"C:\\B.opt", 1, 0}});
  int shown = 0, reading = 4, none = -1;
  int* followers[] = {&shown, &reading, &none, nullptr};
  OrderPageRows(table.get(), followers, 4);
  // Paths differing in case only sort apart (exact UTF-16 order: 'B' < 'a').
  EXPECT_EQ(Names(*table), (std::vector<std::u16string>{u"p1", u"p2", u"B1", u"a1", u"b1", u"b2"}));
  EXPECT_EQ(std::u16string(table->rows[shown].name), u"b2");
  EXPECT_EQ(std::u16string(table->rows[reading].name), u"p2");
  EXPECT_EQ(none, -1);
}

TEST(PagesPaneRowsTest, RowsLieInTheirSectionsWithHeadersBetweenScores) {
  auto table = std::make_unique<PageTable>();
  Fill(table.get(), {{u"p1", 0, u"", 0, 0},
                     {u"p2", 0, u"", 0, 0},
                     {u"a1", 3, u"a", 1, 0},
                     {u"a2", 3, u"a", 2, 0},
                     {u"b1", 3, u"b", 1, kPageGroupCollapsed},
                     {u"c1", 3, u"c", 1, 0}});
  PagesPaneState pane;
  pane.pendingHeight = 300;
  const int readStart = 300 + 6 + 1 + 38;
  struct Case {
    int row;
    int top, bottom;
  };
  const Case cases[] = {
      {0, 57, 73},
      {1, 73, 89},
      {2, readStart, readStart + 16},
      {3, readStart + 16, readStart + 32},
      {4, readStart + 32 + 18, readStart + 32 + 18},  // collapsed: no height
      {5, readStart + 32 + 18 + 18, readStart + 32 + 18 + 18 + 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    const PaneRowBox box = MeasurePageRow(*table, pane, c.row, false);
    EXPECT_EQ(box.top, c.top);
    EXPECT_EQ(box.bottom, c.bottom);
  }
  EXPECT_EQ(MeasurePageRow(*table, pane, 1, true).bottom, 89 + pane.previewHeight);
  // The one-pass measure gives every row's box alike.
  std::vector<PaneRowBox> all(table->pageCount);
  MeasurePageRows(*table, pane, all.data());
  for (const Case& c : cases) {
    EXPECT_EQ(all[size_t(c.row)].top, c.top) << c.row;
    EXPECT_EQ(all[size_t(c.row)].bottom, c.bottom) << c.row;
  }

  // A table of read rows only starts in the read section.
  Fill(table.get(), {{u"a1", 3, u"a", 1, 0}});
  EXPECT_EQ(MeasurePageRow(*table, pane, 0, false).top, readStart);
}

TEST(PagesPaneRowsTest, ExtentsAndScrollPositionsFollowTheRows) {
  auto table = std::make_unique<PageTable>();
  PagesPaneState pane;
  pane.width = 300;
  pane.pendingHeight = 200;
  pane.pendingScroll = pane.readScroll = 50;
  LayOutPaneSections(*table, &pane, 500);
  EXPECT_EQ(pane.previewHeight, 180);
  EXPECT_EQ(pane.pendingExtent, 0);
  EXPECT_EQ(pane.readExtent, 0);
  EXPECT_EQ(pane.pendingScroll, 0);
  EXPECT_EQ(pane.readScroll, 0);

  std::vector<Row> rows;
  for (int i = 0; i < 40; ++i) rows.push_back({u"p", 0, u"", 0, 0});
  rows.push_back({u"a", 3, u"a", 1, 0});
  Fill(table.get(), rows);
  pane.width = 1000;  // the preview is at most 480 high
  pane.pendingScroll = 100000;
  LayOutPaneSections(*table, &pane, 500);
  EXPECT_EQ(pane.previewHeight, 480);
  EXPECT_EQ(pane.pendingExtent, 57 + 40 * 16 + 480 - 2 - 16);
  EXPECT_EQ(pane.pendingScroll, pane.pendingExtent - 200);
  EXPECT_EQ(pane.readExtent, 245 + 16 + 480 - 6 - 200 - 2 - 16);
}

TEST(PagesPaneRowsTest, HitTestFindsRowsHeadersAndTheExpandedPreview) {
  auto table = std::make_unique<PageTable>();
  Fill(table.get(), {{u"p1", 0, u"", 0, 0}, {u"p2", 0, u"", 0, 0}, {u"a1", 3, u"a", 1, 0}, {u"b1", 3, u"b", 1, 0}});
  PagesPaneState pane;
  pane.pendingHeight = 200;
  pane.clientHeight = 600;
  const int readStart = 200 + 6 + 1 + 38;
  struct Case {
    int x, y;
    bool withPreview;
    int row;
    bool header;
  };
  const Case cases[] = {
      {20, 60, false, 0, false},       {20, 80, false, 1, false},   {2, 60, false, -1, false},
      {20, 120, false, -1, false},     {20, readStart - 5, false, 2, true},
      {20, readStart + 3, false, 2, false}, {20, readStart + 16 + 5, false, 3, true},
      {20, readStart + 16 + 18 + 2, false, 3, false},
      {20, 120, true, 0, false},  // row 0 expanded: its preview reaches down
  };
  pane.hoverRow = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    bool header = false;
    EXPECT_EQ(HitTestPageRow(*table, pane, c.x, c.y, c.withPreview, &header), c.row);
    EXPECT_EQ(header, c.header);
  }
  // Scrolled sections move their rows up.
  pane.pendingScroll = 16;
  EXPECT_EQ(HitTestPageRow(*table, pane, 20, 60, false, nullptr), 1);
}

TEST(PagesPaneRowsTest, ADraggedRowMovesWithTheIndexesThatNameRows) {
  auto table = std::make_unique<PageTable>();
  struct Case {
    int from, to;
    std::vector<std::u16string> order;
    int shown, reading;  // where rows 1 (shown) and 3 (being read) now stand
  };
  const Case cases[] = {
      {0, 2, {u"p1", u"p2", u"p0", u"p3", u"a1"}, 0, 3},  // down: the rows between rise by one
      {3, 0, {u"p3", u"p0", u"p1", u"p2", u"a1"}, 2, 0},  // up: the row being read moves itself
      {1, 1, {u"p0", u"p1", u"p2", u"p3", u"a1"}, 1, 3},  // onto itself: nothing
      {2, 9, {u"p0", u"p1", u"p2", u"p3", u"a1"}, 1, 3},  // outside the table: nothing
      {-1, 0, {u"p0", u"p1", u"p2", u"p3", u"a1"}, 1, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " to " << c.to);
    Fill(table.get(), {{u"p0", 0, u"", 0, 0}, {u"p1", 0, u"", 0, 0}, {u"p2", 0, u"", 0, 0},
                       {u"p3", 1, u"", 0, kPageSelected}, {u"a1", 3, u"a", 1, 0}});
    int shown = 1, reading = 3;
    int* followers[] = {&shown, &reading};
    MovePageRow(table.get(), c.from, c.to, followers, 2);
    EXPECT_EQ(Names(*table), c.order);
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(reading, c.reading);
  }
}

TEST(PagesPaneRowsTest, ADraggedRowDropsOnThePendingRowUnderThePointerAndScrollsAtTheEdges) {
  auto table = std::make_unique<PageTable>();
  std::vector<Row> rows;
  for (int i = 0; i < 20; ++i) rows.push_back({u"p", 0, u"", 0, 0});
  rows.push_back({u"a", 3, u"a", 1, 0});
  Fill(table.get(), rows);
  PagesPaneState pane;
  pane.pendingHeight = 200;
  pane.clientHeight = 500;
  struct Case {
    int y, pendingScroll, row, step;
  };
  const Case cases[] = {
      {57, 0, 0, 0},    {80, 0, 1, 0},          {199, 0, 8, 0},
      {80, 32, 3, 0},   // scrolled by two rows
      {20, 0, 0, -16},  // above the rows' area: the first visible row, scrolling up
      {300, 0, 8, 16},  // below the section: the last visible row, scrolling down
      {300, 160, 18, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "y " << c.y << " scroll " << c.pendingScroll);
    pane.pendingScroll = c.pendingScroll;
    int step = 99;
    EXPECT_EQ(PendingDropRow(*table, pane, c.y, &step), c.row);
    EXPECT_EQ(step, c.step);
  }
  // Past the last pending row: the last one; no pending row: none.
  Fill(table.get(), {{u"p0", 0, u"", 0, 0}, {u"p1", 0, u"", 0, 0}, {u"a", 3, u"a", 1, 0}});
  pane.pendingScroll = 0;
  int step = 0;
  EXPECT_EQ(PendingDropRow(*table, pane, 150, &step), 1);
  Fill(table.get(), {{u"a", 3, u"a", 1, 0}});
  EXPECT_EQ(PendingDropRow(*table, pane, 60, &step), -1);
}

TEST(PagesPaneRowsTest, ProgressBarNeverDividesByZero) {
  struct Case {
    int width, done, total, expected;
  };
  const Case cases[] = {{200, 0, 0, 0}, {200, 5, 0, 200}, {200, 1, 4, 50}, {200, 9, 4, 200}, {200, -3, 4, 0}};
  for (const Case& c : cases) EXPECT_EQ(ProgressBarWidth(c.width, c.done, c.total), c.expected);
}

// The bar's look: a cancel outranks the preparation; a page being prepared
// has nothing done yet, so its pale bar fills the row.
TEST(PagesPaneRowsTest, TheProgressBarShowsThePreparationAndTheCancel) {
  struct Case {
    int done, total;
    bool cancelling, preparing;
    int width;
    ProgressLook look;
  };
  const Case cases[] = {
      {0, 1, false, true, 200, ProgressLook::kPreparing},  {0, 1, true, true, 200, ProgressLook::kCancelling},
      {1, 4, false, false, 50, ProgressLook::kReading},    {1, 4, true, false, 50, ProgressLook::kCancelling},
      {0, 0, false, false, 0, ProgressLook::kReading},
  };
  for (const Case& c : cases) {
    const ProgressBar bar = ReadingProgressBar(200, c.done, c.total, c.cancelling, c.preparing);
    EXPECT_EQ(bar.width, c.width);
    EXPECT_EQ(bar.look, c.look);
  }
}

class PageTableRowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::make_unique<PageTable>(pageTable);
    savedScore_ = ScorePages;
    ReadingActive() = 0;
    Reading().pageIndex = -1;
  }
  void TearDown() override {
    pageTable = *saved_;
    ScorePages = savedScore_;
    ReadingActive() = 0;
    Reading().pageIndex = -1;
  }
  std::unique_ptr<PageTable> saved_;
  ScorePageList savedScore_{};
};

TEST_F(PageTableRowsTest, RefreshKeepsTheShownAndTheReadRowWithTheirRecords) {
  Fill(&pageTable, {{u"a1", 3, u"C:\\none\\a.opt", 1, kPageGroupCollapsed},
                    {u"lost", 3, u"", 1, kPageHasProblem | (4u << kPageProblemCodeShift)},
                    {u"p1", 0, u"", 0, kPageSelected},
                    {u"p2", 1, u"", 0, kPageSelected},
                    {u"gone", 3, u"C:\\none\\gone.opt", 1, 0}});
  ScorePages.count = 1;
  ScorePages.rows[0].key = pageTable.rows[0].pageKey;
  pageTable.currentPage = 0;
  ReadingActive() = 1;
  Reading().pageIndex = 3;
  const int shown = RefreshPageRows(true, 2);
  // The read row without a score and the one whose score lost it and whose
  // file is gone are pending again, in their order after the pending rows.
  EXPECT_EQ(Names(pageTable), (std::vector<std::u16string>{u"lost", u"p1", u"p2", u"gone", u"a1"}));
  EXPECT_EQ(pageTable.rows[0].state, kPageNotRead);
  EXPECT_EQ(pageTable.rows[0].flags, 0u);
  EXPECT_EQ(std::u16string(pageTable.rows[shown].name), u"p1");
  EXPECT_EQ(std::u16string(pageTable.rows[pageTable.currentPage].name), u"a1");
  EXPECT_EQ(std::u16string(pageTable.rows[Reading().pageIndex].name), u"p2");
  EXPECT_EQ(pageTable.rows[4].flags & kPageGroupCollapsed, 0u) << "a row of the current score is expanded";
}

TEST_F(PageTableRowsTest, TickingASelectedRowTicksEverySelectedPendingRow) {
  Fill(&pageTable, {{u"p1", 0, u"", 0, kPagePaneMark | kPageWantsPosition | (3u << kPageTargetShift)},
                    {u"p2", 0, u"", 0, kPageSelected},
                    {u"p3", 0, u"", 0, kPagePaneMark | kPageSelected},
                    {u"r1", 3, u"a", 1, kPagePaneMark}});
  ASSERT_TRUE(TickPageRows(0));
  EXPECT_EQ(pageTable.rows[0].flags, kPagePaneMark | kPageSelected);
  EXPECT_EQ(pageTable.rows[1].flags, kPageSelected) << "not selected: unchanged";
  EXPECT_EQ(pageTable.rows[2].flags, kPagePaneMark | kPageSelected);
  EXPECT_EQ(pageTable.rows[3].flags, kPagePaneMark) << "read rows are not ticked";
  ASSERT_TRUE(TickPageRows(1));
  EXPECT_EQ(pageTable.rows[1].flags, 0u);
  EXPECT_FALSE(TickPageRows(7));
}

TEST_F(PageTableRowsTest, ThePaneMarkTogglesOnThePageWhereverItsRowMoved) {
  Fill(&pageTable, {{u"p1", 0, u"", 0, kPageSelected}, {u"p2", 0, u"", 0, kPagePaneMark}});
  const int16_t opened = pageTable.rows[0].scanId;
  std::swap(pageTable.rows[0], pageTable.rows[1]);  // reordered while the page opened
  ASSERT_TRUE(TogglePaneMark(opened));
  EXPECT_EQ(pageTable.rows[1].flags, kPageSelected | kPagePaneMark) << "the opened page";
  EXPECT_EQ(pageTable.rows[0].flags, kPagePaneMark) << "the row now where it was";
  ASSERT_TRUE(TogglePaneMark(opened));
  EXPECT_EQ(pageTable.rows[1].flags, kPageSelected);
  EXPECT_FALSE(TogglePaneMark(99)) << "a removed page";
}

TEST_F(PageTableRowsTest, RemovingRowsAboveTheReadRowMovesItsIndex) {
  Fill(&pageTable, {{u"p1", 0, u"", 0, kPagePaneMark},
                    {u"p2", 0, u"", 0, 0},
                    {u"p3", 1, u"", 0, kPagePaneMark | kPageSelected},
                    {u"p4", 0, u"", 0, kPagePaneMark}});
  pageTable.currentPage = 1;
  ReadingActive() = 1;
  Reading().pageIndex = 2;
  EXPECT_EQ(RemovePageRows(0), 2) << "the row being read stays";
  EXPECT_EQ(Names(pageTable), (std::vector<std::u16string>{u"p2", u"p3"}));
  EXPECT_EQ(Reading().pageIndex, 1);
  EXPECT_EQ(pageTable.currentPage, 0);
  EXPECT_EQ(RemovePageRows(1), 0);
}

TEST_F(PageTableRowsTest, TitlesMarkChangedAndHandwrittenPages) {
  Fill(&pageTable, {{u"read", 3, u"a", 1, kPageModified}, {u"hand", 0, u"", 0, kPageHandwritten}, {u"plain", 0, u"", 0, 0}});
  char16_t title[64];
  const char16_t* expected[] = {u"* read", u"[H] hand", u"plain"};
  for (int row = 0; row < 3; ++row) {
    PageRowTitle(row, title, 64);
    EXPECT_EQ(std::u16string(title), expected[row]);
  }
}

}  // namespace

namespace {

TEST_F(PageTableRowsTest, AReportedProblemIsSaidOnceAndCleared) {
  Fill(&pageTable, {{u"blank", 0, u"", 0, kPageHasProblem | (0u << kPageProblemCodeShift) | kPageSelected},
                    {u"fine", 0, u"", 0, 0}});
  BoxRecorder boxes;
  ReportPageProblem(0);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, u"No staves can be located on this page.");
  EXPECT_EQ(pageTable.rows[0].flags, kPageSelected) << "only the failure mark goes";
  ReportPageProblem(0);
  ReportPageProblem(1);
  ReportPageProblem(9);
  EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST_F(PageTableRowsTest, AScorePagesProblemAndChangeMarkAreFoundThroughItsKey) {
  Fill(&pageTable, {{u"p", 0, u"", 0, 0},
                    {u"drums", 3, u"C:\\s.opt", 2, kPageHasProblem | (4u << kPageProblemCodeShift) | kPageModified},
                    {u"first", 3, u"C:\\s.opt", 1, kPageModified}});
  ScorePages.count = 2;
  ScorePages.rows[0].key = pageTable.rows[2].pageKey;
  ScorePages.rows[1].key = pageTable.rows[1].pageKey;
  BoxRecorder boxes;
  ReportPageProblemIfAny(1);
  EXPECT_TRUE(boxes.Boxes().empty()) << "the first score page had no problem";
  ReportPageProblemIfAny(2);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_TRUE(SaysInOrder(boxes.Boxes()[0].text, {u"Only percussion staves"}));
  EXPECT_EQ(pageTable.rows[1].flags & (kPageHasProblem | kPageProblemCodeMask), 0u);
  ReportPageProblemIfAny(2);
  ReportPageProblemIfAny(3);
  ReportPageProblemIfAny(0);
  EXPECT_EQ(boxes.Boxes().size(), 1u) << "said once; pages outside the score say nothing";

  EXPECT_TRUE(ClearPageModifiedMark(2));
  EXPECT_EQ(pageTable.rows[1].flags & kPageModified, 0u);
  EXPECT_NE(pageTable.rows[2].flags & kPageModified, 0u) << "only that page's row";
  EXPECT_FALSE(ClearPageModifiedMark(3));
}

}  // namespace

namespace {

std::vector<int>& NoticesShown() {
  static std::vector<int> shown;
  return shown;
}
void RecordNotice(int dialogId, void*) { NoticesShown().push_back(dialogId); }

// Staves not located exactly bring the stave positions notice, and a page
// read with many errors the accuracy notice before its problem; each only
// while its "Show this next time" setting is on, and once: the marks go.
TEST_F(PageTableRowsTest, TheStavePositionsAndAccuracyNoticesFollowTheirSettings) {
  const uint32_t positions = kPageHasProblem | (kProblemStavePositions << kPageProblemCodeShift);
  ShellServices services{};
  services.showNotice = RecordNotice;
  const ShellServices saved = SetShellServices(services);
  const GlobalSettings savedSettings = Global();
  struct Case {
    uint32_t flags;
    bool settingsOn;
    std::vector<int> notices;
  } cases[] = {
      {positions, true, {IDD_STAVE_POSITIONS_NOTICE}},
      {positions, false, {}},
      {kPageManyErrors, true, {IDD_ACCURACY_NOTICE}},
      {kPageManyErrors | positions, true, {IDD_ACCURACY_NOTICE, IDD_STAVE_POSITIONS_NOTICE}},
      {kPageManyErrors | positions, false, {}},
      {0, true, {}},
  };
  BoxRecorder boxes;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    Fill(&pageTable, {{u"read", 3, u"C:\\s.opt", 1, c.flags | kPageModified}});
    ScorePages.count = 1;
    ScorePages.rows[0].key = pageTable.rows[0].pageKey;
    Global().showBadStavesWarning = Global().showAccuracyWarning = c.settingsOn;
    NoticesShown().clear();
    ReportPageProblemIfAny(1);
    ReportPageProblemIfAny(1);
    EXPECT_EQ(NoticesShown(), c.notices);
    EXPECT_EQ(pageTable.rows[0].flags, kPageModified) << "the marks go, the rest stays";
  }
  EXPECT_TRUE(boxes.Boxes().empty());
  Global() = savedSettings;
  SetShellServices(saved);
  ScorePages = ScorePageList{};
}

}  // namespace
