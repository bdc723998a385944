// The pages pane: two pages opened one after the other are listed and read
// one after the other without a command, each into the score in the order
// they were opened; the pane's section scroll bars stand inside it.
#include <windows.h>

#include <string>

#include "pages/PageTable.h"
#include "tests/e2e/ProgramCase.h"
#include "tests/e2e/ScreenshotCheck.h"

namespace {

// The pane's two section scroll bars lie inside the pane's client area.
bool ScrollBarsInsidePane(HWND frame) {
  HWND pane = FindWindowExW(frame, nullptr, L"ViewPages", nullptr);
  if (!pane) return false;
  RECT client{};
  GetClientRect(pane, &client);
  int inside = 0;
  for (HWND bar = FindWindowExW(pane, nullptr, L"ScrollBar", nullptr); bar;
       bar = FindWindowExW(pane, bar, L"ScrollBar", nullptr)) {
    RECT r{};
    GetWindowRect(bar, &r);
    MapWindowPoints(nullptr, pane, reinterpret_cast<POINT*>(&r), 2);
    if (r.left >= 0 && r.right <= client.right && r.top >= 0 && r.bottom <= client.bottom) ++inside;
  }
  return inside == 2;
}

TEST_F(ProgramCase, TwoOpenedPagesAreReadOneAfterTheOther) {
  const std::u16string first = CopyPageTiff(u"panefirst.tif");
  const std::u16string second = CopyPageTiff(u"panesecond.tif");
  ASSERT_TRUE(StartQuietly());
  DdeClient dde;
  ASSERT_TRUE(ConnectDde(&dde));
  ASSERT_EQ(dde.Execute(OpenCommand(first)), ExecuteResult::kAccepted);
  // The second comes once the first is stored (while a file is opened the
  // program takes no other).
  ASSERT_TRUE(program.WaitUntil([] { return PagesNamed(u"panefirst") == 1; }, "the first page stored", 60000));
  ASSERT_EQ(dde.Execute(OpenCommand(second)), ExecuteResult::kAccepted);
  ASSERT_TRUE(program.WaitUntil([] { return PagesNamed(u"panefirst") == 1 && PagesNamed(u"panesecond") == 1; },
                                "both pages in the index", kPageOpenTimeoutMs));
  EXPECT_TRUE(ScrollBarsInsidePane(program.FrameWindow()));
  PageRecord a, b;
  ASSERT_TRUE(program.WaitUntil(
      [&] {
        return PageNamed(u"panefirst", &a) && PageNamed(u"panesecond", &b) && a.state == kPageRead &&
               b.state == kPageRead;
      },
      "both pages read without a command", 2 * kPageOpenTimeoutMs));
  EXPECT_EQ(a.scorePageNumber, 1);
  EXPECT_EQ(b.scorePageNumber, 2);
  EXPECT_TRUE(program.FrameAnswers(2000));
  ExpectWindowMatchesReference(program.FrameWindow(), "frame-two-pages-read");
  ASSERT_TRUE(program.StaysQuiet(500));
  ASSERT_TRUE(ExitDiscardingChanges());
}

}  // namespace
