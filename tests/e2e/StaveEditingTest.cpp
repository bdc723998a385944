// Stave marking in the page document of a read page: a stave drawn by a drag
// is written into the page's data file and Undo puts the file back as it
// was; Locate Staves finds the page's staves again; the edits of a page that
// is being read are refused.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/Settings.h"
#include "resources/ResourceIds.h"
#include "tests/e2e/PageViewCase.h"
#include "tests/e2e/ScreenshotCheck.h"

namespace {

TEST_F(StaveEditingCase, AStaveDrawnByADragIsUndoneInThePageDataFile) {
  // The page stays pending: it is opened in the page document from its row,
  // where its staves are located.
  General().autoReadAlways = false;
  SaveGeneralSettings();
  const std::u16string tiff = CopyPageTiff(u"staveedit.tif");
  ASSERT_TRUE(StartQuietly());
  DdeClient dde;
  ASSERT_TRUE(ConnectDde(&dde));
  PageRecord record;
  HWND view = nullptr;
  ASSERT_TRUE(OpenAndShowPage(dde, tiff, u"staveedit", &record, &view));
  const std::u16string data = StoredDataFile(record.scanId);
  ASSERT_FALSE(data.empty());
  std::string before;
  ASSERT_TRUE(program.WaitUntil([&] { return !(before = SharedFileBytes(data)).empty(); }, "the page's data file",
                                20000));
  ASSERT_TRUE(program.FrameAnswers(2000));

  // Below the page's last stave, far enough to the right to begin a stave.
  RECT client{};
  GetClientRect(view, &client);
  Drag(view, POINT{client.right / 8, client.bottom - 120}, POINT{client.right * 7 / 8, client.bottom - 90});
  ASSERT_TRUE(program.WaitUntil([&] { const std::string now = SharedFileBytes(data); return !now.empty() && now != before; },
                                "the drawn stave written", 20000));
  ExpectWindowMatchesReference(program.FrameWindow(), "frame-stave-drawn");

  program.PostCommand(IDM_EDIT_UNDO);
  EXPECT_TRUE(program.WaitUntil([&] { return SharedFileBytes(data) == before; }, "the file as before the drag", 20000));
  ExpectWindowMatchesReference(program.FrameWindow(), "frame-stave-undone");

  // Locate Staves finds the same staves again.
  program.PostCommand(IDM_EDIT_LOCATE_STAVES);
  ASSERT_TRUE(FrameAnswersAfterLocating());
  EXPECT_TRUE(program.WaitUntil([&] { return SharedFileBytes(data).size() == before.size(); },
                                "the staves found again", 20000));
  EXPECT_TRUE(program.StaysQuiet(500));
  ASSERT_TRUE(ExitCleanly());
}

}  // namespace

namespace {

// Posts a mouse message to the window and checks that the frame still
// answers, as a watchdog would.
bool PostAndAnswer(ProgramUnderTest& program, HWND window, UINT message, WPARAM keys, int x, int y) {
  PostMessageW(window, message, keys, MAKELPARAM(x, y));
  return program.FrameAnswers(2000);
}

TEST_F(StaveEditingCase, WhileAPageIsReadItsStavesStayAndARemovedPageClosesItsView) {
  DdeClient dde;
  ASSERT_TRUE(StartAndOpenTwoPages(&dde, u"watchfirst", u"watchsecond"));

  // The page being read, shown from its row: a press on it is refused and
  // said (unless its reading has ended meanwhile).
  PageRecord record;
  HWND pane = PagesPaneOf(program.FrameWindow());
  ASSERT_NE(pane, nullptr);
  PostMessageW(pane, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(40, kFirstPendingRowY));
  HWND view = nullptr;
  ASSERT_TRUE(program.WaitUntil([&] { return (view = PageView(program.FrameWindow())) != nullptr; },
                                "the page document", 20000));
  PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 200));
  PostMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(200, 200));
  bool refused = false;
  for (int i = 0; i < 30 && !refused; ++i) {
    refused = !program.Boxes().empty();
    if (!refused) Sleep(100);
  }
  if (refused) {
    EXPECT_TRUE(program.AnswerBox({11539, IDOK}, 5000)) << "editing the page being read is refused";
    std::printf("the page being read refused an edit\n");
  } else {
    EXPECT_TRUE(PageNamed(u"watchfirst", &record) && record.state == kPageRead) << "an edit of the page being read";
  }

  // The second page, waiting its turn, is shown from its row and a stave is
  // drawn on it while the first page is read: the frame answers all the
  // while. Esc takes the drawing back before the button is let go, so the
  // page's stave file never holds it: a drawn stave that was kept (the undo
  // came too late once the first page's reading ended) would be what the
  // second page is read with, and a stave without lines ends its reading
  // and sends it back unticked.
  PostMessageW(pane, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(40, kFirstPendingRowY + 16));
  ASSERT_TRUE(program.FrameAnswers(5000));
  RECT client{};
  GetClientRect(view, &client);
  int unanswered = 0;
  if (!PostAndAnswer(program, view, WM_LBUTTONDOWN, MK_LBUTTON, client.right / 8, client.bottom - 120)) ++unanswered;
  for (int step = 1; step <= 10; ++step)
    if (!PostAndAnswer(program, view, WM_MOUSEMOVE, MK_LBUTTON, client.right / 8 + step * client.right / 14,
                       client.bottom - 120 + step * 3))
      ++unanswered;
  if (!PostAndAnswer(program, view, WM_KEYDOWN, VK_ESCAPE, 0, 0)) ++unanswered;
  if (!PostAndAnswer(program, view, WM_LBUTTONUP, 0, client.right * 6 / 7, client.bottom - 90)) ++unanswered;
  EXPECT_EQ(unanswered, 0) << "the frame stopped answering while the view was dragged during reading";
  // When the first page's reading ended before the case got here, the second
  // page is being read by now and is the page shown: the press and the undo
  // are refused and said like the first page's press.
  auto answerRefusals = [&] {
    for (int i = 0; i < 10; ++i) {
      if (program.Boxes().empty()) {
        Sleep(100);
        continue;
      }
      PageRecord shown{};
      EXPECT_TRUE(PageNamed(u"watchsecond", &shown) && shown.state != kPageNotRead) << "a waiting page refused an edit";
      EXPECT_TRUE(program.AnswerBox({11539, IDOK}, 5000));
    }
  };
  answerRefusals();
  program.PostCommand(IDM_EDIT_UNDO);
  ASSERT_TRUE(program.FrameAnswers(5000));
  answerRefusals();

  PageRecord secondPage{};
  ASSERT_TRUE(program.WaitUntil(
      [&] {
        return PageNamed(u"watchfirst", &record) && PageNamed(u"watchsecond", &secondPage) &&
               record.state == kPageRead && secondPage.state == kPageRead;
      },
      "both pages read", 2 * kPageOpenTimeoutMs));
  ASSERT_TRUE(program.FrameAnswers(5000));

  // The first read row, the page shown, is selected and removed: its view
  // closes.
  RECT paneClient{};
  GetClientRect(pane, &paneClient);
  const int firstReadRow = ReadSectionTop(pane) + 38 + 8;
  PostMessageW(pane, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, firstReadRow));
  PostMessageW(pane, WM_LBUTTONUP, 0, MAKELPARAM(30, firstReadRow));
  ASSERT_TRUE(program.FrameAnswers(5000));
  const int removeX = paneClient.right - 5 - GetSystemMetrics(SM_CXVSCROLL) - 8;
  PostMessageW(pane, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(removeX, firstReadRow));
  PostMessageW(pane, WM_LBUTTONUP, 0, MAKELPARAM(removeX, firstReadRow));
  ASSERT_TRUE(program.AnswerBox({10080, IDYES}, 20000));
  EXPECT_TRUE(program.WaitUntil([] { return PagesNamed(u"watchfirst") == 0; }, "the page removed", 20000));
  EXPECT_TRUE(program.WaitUntil([&] { return PageView(program.FrameWindow()) == nullptr; }, "its view closed", 20000));
  EXPECT_TRUE(program.StaysQuiet(500));
  ASSERT_TRUE(ExitDiscardingChanges());
}

}  // namespace
