// Locating the staves of a page judges them once the staff finder has ended
// and marks the page's row as it stands then, read under the page table's
// lock: the pane reorders and removes rows while the finder runs.
#include <gtest/gtest.h>

#include <memory>

#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "platform/ShellFlags.h"
#include "reading/ReadingThread.h"
#include "reading/StaveLocating.h"
#include "tests/Code/Quorm/EngineDataFolder.h"
#include "tests/Code/Quorm/PageSynth.h"

namespace {

// The row that names the located page; the finder's progress moves it, as a
// reorder or a removal in the pane would while the finder runs.
int32_t locatedRow = 0;
int32_t rowAfterProgress = 0;
int MoveTheRow(unsigned) {
  locatedRow = rowAfterProgress;
  return 1;
}

// Two staves 36 pixels high: too narrow, the problem locating finds.
TEST(StaveLocatingMarks, TheRowThatNamesThePageWhenTheFinderEndsIsMarked) {
  EngineDataFolder engine;
  Flags().abort = 0;
  SynthPage image(1500, 700);
  StaffPainter painter(image);
  for (double top : {150.0, 400.0}) {
    SynthStaff staff = PlainStaff(top, 80, 1420);
    staff.spacing = 9;
    painter.AddStaff(staff);
  }
  const auto page = std::make_unique<PageData>();
  page->width = static_cast<uint32_t>(image.width());
  page->height = static_cast<uint32_t>(image.height());
  page->resolution = 300;
  const uint32_t narrow = kPageHasProblem | (kProblemNarrowStaves << kPageProblemCodeShift);
  const struct {
    int32_t after;  // where the row stands when the finder ends; -1 removed
    int marked;
  } cases[] = {{0, 0}, {2, 2}, {-1, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.after);
    pageTable.pageCount = 3;
    for (int r = 0; r < 3; ++r) pageTable.rows[r].flags = 0;
    PageProblems().count = 0;
    locatedRow = 0;
    rowAfterProgress = c.after;
    const LocatingHooks hooks{nullptr, nullptr, MoveTheRow};
    StaveRow rows[kMaxPageStaves];
    int count = 0;
    ASSERT_EQ(StartPageReading(reinterpret_cast<const uint8_t*>(image.bits()),
                               static_cast<uint32_t>(image.wordsPerRow()), page.get(), &locatedRow, false, &hooks, rows,
                               &count),
              1u);
    ASSERT_EQ(count, 2);
    ASSERT_EQ(locatedRow, c.after) << "the finder reported its progress";
    for (int r = 0; r < 3; ++r) EXPECT_EQ(pageTable.rows[r].flags, r == c.marked ? narrow : 0u) << r;
    ASSERT_EQ(PageProblems().count, c.marked >= 0 ? 1 : 0);
    if (c.marked >= 0) EXPECT_EQ(PageProblems().rows[0], c.marked);
  }
  pageTable.pageCount = 0;
  PageProblems().count = 0;
}

}  // namespace
