// The pages pane: two pages opened one after the other are listed and read
// one after the other without a command, each into the score in the order
// they were opened; the pane's section scroll bars stand inside it. Pending
// rows are reordered by a drag and opened by a right click; the row under
// the pointer shows its page; a read page read again is asked about first.
#include <windows.h>

#include <algorithm>
#include <string>

#include "pages/PageTable.h"
#include "platform/Settings.h"
#include "resources/ResourceIds.h"
#include "tests/e2e/ProgramCase.h"
#include "tests/e2e/ScreenshotCheck.h"

namespace {

// The pane's two section scroll bars lie inside the pane's client area.
bool ScrollBarsInsidePane(HWND frame) {
  HWND pane = PagesPaneOf(frame);
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
  DdeClient dde;
  ASSERT_TRUE(StartAndOpenTwoPages(&dde, u"panefirst", u"panesecond"));
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

// Where the rows of the pane lie: the first pending row's line and the
// expanded row's page preview, in the pane's client pixels.
constexpr int kFirstPendingRowY = 1 + 56 + 8;
constexpr int kRowHeight = 16;

HWND PageDocument(HWND frame) {
  HWND client = FindWindowExW(frame, nullptr, L"MDIClient", nullptr);
  return client ? FindWindowExW(client, nullptr, L"ScannedM", nullptr) : nullptr;
}

std::u16string TitleOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return std::u16string(reinterpret_cast<const char16_t*>(text));
}

// The middle of the page preview that the row whose line begins at rowTop
// shows below it when the pointer is on it (the preview takes half the row's
// width for a pending page, two thirds for a read one).
POINT PreviewMiddle(HWND pane, int rowTop, bool read) {
  RECT client{};
  GetClientRect(pane, &client);
  const int rowWidth = client.right - 5 - GetSystemMetrics(SM_CXVSCROLL) - 4;
  const int room = read ? rowWidth * 2 / 3 : rowWidth / 2;
  const int preview = std::max(80, std::min(480, 3 * int(client.right) / 5));
  return POINT{4 + room / 2, rowTop + kRowHeight + preview / 2};
}

// The system's pointer put on a point of a window, as a user moves the
// mouse; the pointer goes back where it was when the case ends, so that no
// later case finds a row expanded under it.
class PointerOnWindow {
 public:
  PointerOnWindow() { GetCursorPos(&home_); }
  ~PointerOnWindow() { SetCursorPos(home_.x, home_.y); }
  void MoveTo(HWND window, POINT p) {
    POINT screen = p;
    ClientToScreen(window, &screen);
    SetCursorPos(screen.x, screen.y);
    PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
  }

 private:
  POINT home_{};
};

TEST_F(ProgramCase, PendingRowsMoveByADragAndOpenByARightClick) {
  // The pages stay pending: automatic reading is off.
  General().autoReadAlways = false;
  SaveGeneralSettings();
  DdeClient dde;
  ASSERT_TRUE(StartAndOpenTwoPages(&dde, u"dragfirst", u"dragsecond"));
  ASSERT_EQ(RowOfPage(u"dragfirst"), 0);
  ASSERT_EQ(RowOfPage(u"dragsecond"), 1);
  HWND pane = PagesPaneOf(program.FrameWindow());
  ASSERT_NE(pane, nullptr);

  // The first row dragged below the second: the two change places in the
  // page index.
  const int firstY = kFirstPendingRowY, secondY = kFirstPendingRowY + kRowHeight;
  PostMessageW(pane, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, firstY));
  for (int y = firstY + 3; y <= secondY; y += 3) PostMessageW(pane, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, y));
  PostMessageW(pane, WM_LBUTTONUP, 0, MAKELPARAM(40, secondY));
  EXPECT_TRUE(program.WaitUntil([] { return RowOfPage(u"dragsecond") == 0 && RowOfPage(u"dragfirst") == 1; },
                                "the rows in their new order", 20000));
  ASSERT_TRUE(program.FrameAnswers(2000));

  // A right click on the first row, now "dragsecond", shows it in the page
  // document.
  PostMessageW(pane, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, firstY));
  PostMessageW(pane, WM_RBUTTONUP, 0, MAKELPARAM(40, firstY));
  HWND document = nullptr;
  ASSERT_TRUE(program.WaitUntil([&] { return (document = PageDocument(program.FrameWindow())) != nullptr; },
                                "the page document", 20000));
  EXPECT_TRUE(program.WaitUntil([&] { return TitleOf(document).find(u"dragsecond") != std::u16string::npos; },
                                "the page document showing the row's page", 20000))
      << "caption: " << std::string(TitleOf(document).begin(), TitleOf(document).end());
  // The shown page's staves are located first, on the interface thread,
  // behind a progress window; on a loaded machine that takes longer than a
  // hung window's few seconds.
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(program.FrameWindow(), WM_NULL, 0, 0, SMTO_BLOCK, 60000, &answer));
  EXPECT_TRUE(program.WaitUntil([] { return FindWindowW(nullptr, L"Progress report") == nullptr; },
                                "the staves located", 60000));
  ASSERT_TRUE(SendMessageTimeoutW(program.FrameWindow(), WM_NULL, 0, 0, SMTO_BLOCK, 60000, &answer));
  ASSERT_TRUE(program.FrameAnswers(5000));

  // The pointer on the second row: the row opens with its page's preview.
  PointerOnWindow pointer;
  pointer.MoveTo(pane, POINT{40, secondY});
  ASSERT_TRUE(program.FrameAnswers(2000));
  ExpectWindowMatchesReference(program.FrameWindow(), "frame-pane-hover");
  // A click on the preview shows that page in the page document.
  const POINT preview = PreviewMiddle(pane, secondY - 8, false);
  PostMessageW(pane, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(preview.x, preview.y));
  PostMessageW(pane, WM_LBUTTONUP, 0, MAKELPARAM(preview.x, preview.y));
  EXPECT_TRUE(program.WaitUntil([&] { return TitleOf(document).find(u"dragfirst") != std::u16string::npos; },
                                "the previewed page shown", 20000));
  EXPECT_TRUE(program.StaysQuiet(500));
  ASSERT_TRUE(ExitCleanly());
}

TEST_F(ProgramCase, AReadPageReadAgainAsksBeforeItReplacesItsScorePage) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(ReadPageByDde(u"rereadpage"));
  HWND pane = PagesPaneOf(program.FrameWindow());
  ASSERT_NE(pane, nullptr);
  // The read row under its score header; the pointer on it opens its
  // preview, and a click there shows the page in the page document.
  const int rowTop = ReadSectionTop(pane) + 38;
  PointerOnWindow pointer;
  pointer.MoveTo(pane, POINT{30, rowTop + 8});
  ASSERT_TRUE(program.FrameAnswers(2000));
  const POINT preview = PreviewMiddle(pane, rowTop, true);
  PostMessageW(pane, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(preview.x, preview.y));
  PostMessageW(pane, WM_LBUTTONUP, 0, MAKELPARAM(preview.x, preview.y));
  ASSERT_TRUE(program.WaitUntil([&] { return PageDocument(program.FrameWindow()) != nullptr; }, "the page document",
                                20000));
  pointer.MoveTo(program.FrameWindow(), POINT{600, 400});

  // Read > Place at End: the page is score page 1 already. No keeps it.
  program.PostCommand(IDM_READ_PLACE_AT_END);
  ASSERT_TRUE(program.AnswerBox({10082, IDNO}, 20000));
  PageRecord record{};
  ASSERT_TRUE(program.StaysQuiet(1000));
  ASSERT_TRUE(PageNamed(u"rereadpage", &record));
  EXPECT_EQ(record.state, kPageRead);
  EXPECT_EQ(record.scorePageNumber, 1);

  EXPECT_NE(PageDocument(program.FrameWindow()), nullptr) << "No leaves the page document open";

  // Yes: the page document closes and the page is read again into its own
  // place.
  program.PostCommand(IDM_READ_PLACE_AT_END);
  ASSERT_TRUE(program.AnswerBox({10082, IDYES}, 20000));
  EXPECT_TRUE(program.WaitUntil([&] { return PageDocument(program.FrameWindow()) == nullptr; },
                                "the page document closed", 20000));
  EXPECT_TRUE(program.WaitUntil([&] { return PageNamed(u"rereadpage", &record) && record.state != kPageRead; },
                                "the page pending again", 20000));
  EXPECT_TRUE(program.WaitUntil([&] { return PageNamed(u"rereadpage", &record) && record.state == kPageRead; },
                                "the page read again", kPageOpenTimeoutMs));
  EXPECT_EQ(record.scorePageNumber, 1);
  EXPECT_TRUE(program.FrameAnswers(2000));
  ASSERT_TRUE(ExitDiscardingChanges());
}

}  // namespace
