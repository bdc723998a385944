// The score window of a read page: the page read by DDE shows its score in
// the score view with the scan strip above it, and commands that are no
// stave of the stave menu leave it be.
#include <windows.h>

#include <string>

#include "ResourceIds.h"
#include "tests/e2e/ProgramCase.h"
#include "tests/e2e/ScreenshotCheck.h"
#include "tests/support/ReviewedPicture.h"

namespace {

HWND ChildOfClass(HWND parent, const wchar_t* className) {
  return parent ? FindWindowExW(parent, nullptr, className, nullptr) : nullptr;
}

struct ScoreWindows {
  HWND child = nullptr, view = nullptr, strip = nullptr, toolbar = nullptr;
};

ScoreWindows FindScoreWindows(ProgramUnderTest& program) {
  ScoreWindows w;
  HWND client = ChildOfClass(program.FrameWindow(), L"MDIClient");
  w.child = ChildOfClass(client, L"OutputM");
  w.view = ChildOfClass(w.child, L"Output");
  w.strip = ChildOfClass(w.child, L"OutImage");
  w.toolbar = ChildOfClass(w.child, L"OwnToolbar");
  return w;
}

int ClientHeight(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return r.bottom;
}

}  // namespace

TEST_F(ProgramCase, APageReadByDdeShowsItsScoreInTheScoreWindow) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(ReadPageByDde(u"scorewindow"));
  ScoreWindows w;
  ASSERT_TRUE(program.WaitUntil([&] { return (w = FindScoreWindows(program)).view != nullptr; }, "the score window",
                                10000));
  EXPECT_TRUE(IsWindowVisible(w.child));
  EXPECT_TRUE(IsWindowVisible(w.view));
  EXPECT_TRUE(IsWindowVisible(w.toolbar));
  // The scan of the page lies in the strip above the score.
  ASSERT_NE(w.strip, nullptr);
  EXPECT_TRUE(IsWindowVisible(w.strip));
  EXPECT_GE(ClientHeight(w.strip), 60);
  // The score window is the active document.
  HWND client = ChildOfClass(program.FrameWindow(), L"MDIClient");
  EXPECT_EQ(HWND(SendMessageW(client, WM_MDIGETACTIVE, 0, 0)), w.child);
  ASSERT_TRUE(program.StaysQuiet(500));
  ExpectWindowMatchesReference(program.FrameWindow(), "score-frame-read");
  HWND detail = FindWindowW(L"Detail", nullptr);
  ASSERT_NE(detail, nullptr);
  EXPECT_TRUE(IsWindowVisible(detail));
  ExpectWindowMatchesReference(detail, "score-detail");
  ASSERT_TRUE(ExitDiscardingChanges());
}

TEST_F(ProgramCase, TheZoomCommandsZoomTheScoreView) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(ReadPageByDde(u"scorezoom"));
  ScoreWindows w;
  ASSERT_TRUE(program.WaitUntil([&] { return (w = FindScoreWindows(program)).view != nullptr; }, "the score window",
                                10000));
  ASSERT_TRUE(program.PostCommand(IDM_ZOOM_TO_FIT));
  ASSERT_TRUE(program.StaysQuiet(500));
  ExpectWindowMatchesReference(program.FrameWindow(), "score-frame-fit");
  ASSERT_TRUE(program.PostCommand(IDM_ZOOM_200));
  ASSERT_TRUE(program.StaysQuiet(500));
  ExpectWindowMatchesReference(program.FrameWindow(), "score-frame-200");
  // In and out again by 4/3 and 3/4 come back to 200 %.
  ASSERT_TRUE(program.PostCommand(IDM_ZOOM_IN));
  ASSERT_TRUE(program.PostCommand(IDM_ZOOM_OUT));
  ASSERT_TRUE(program.StaysQuiet(500));
  ExpectWindowMatchesReference(program.FrameWindow(), "score-frame-200");
  ASSERT_TRUE(ExitDiscardingChanges());
}

TEST_F(ProgramCase, PrintAndDeleteScoreIdsSentToTheScoreWindowAreNoStaves) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(ReadPageByDde(u"scorestaves"));
  ScoreWindows w;
  ASSERT_TRUE(program.WaitUntil([&] { return (w = FindScoreWindows(program)).view != nullptr; }, "the score window",
                                10000));
  ASSERT_TRUE(program.PostCommand(IDM_ZOOM_200));
  ASSERT_TRUE(program.StaysQuiet(300));
  RECT before{};
  GetWindowRect(w.view, &before);
  for (HWND target : {program.FrameWindow(), w.child, w.view}) {
    for (WPARAM id : {WPARAM(IDM_FILE_PRINT), WPARAM(IDM_DELETE_SCORE)}) PostMessageW(target, WM_COMMAND, id, 0);
  }
  ASSERT_TRUE(program.StaysQuiet(800)) << "a box came";
  EXPECT_TRUE(program.FrameAnswers());
  RECT after{};
  GetWindowRect(w.view, &after);
  EXPECT_TRUE(EqualRect(&before, &after)) << "the view moved";
  EXPECT_TRUE(IsWindow(w.child));
  ASSERT_TRUE(ExitDiscardingChanges());
}

namespace {

std::wstring PageField(HWND toolbar) {
  wchar_t text[16] = {};
  HWND field = toolbar ? FindWindowExW(toolbar, nullptr, L"Edit", nullptr) : nullptr;
  if (field) SendMessageW(field, WM_GETTEXT, 16, LPARAM(text));
  return text;
}

// A press and release of the toolbar button at x (its middle), as a click.
void ClickToolbar(HWND toolbar, int x) {
  PostMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 12));
  PostMessageW(toolbar, WM_LBUTTONUP, 0, MAKELPARAM(x, 12));
}

constexpr int kPreviousPageX = 129, kNextPageX = 152;

}  // namespace

TEST_F(ProgramCase, TheToolbarAndPagingPastTheViewsEndsTurnTheScorePages) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(ReadPageByDde(u"turnone"));
  ASSERT_TRUE(ReadPageByDde(u"turntwo"));
  ScoreWindows w;
  ASSERT_TRUE(program.WaitUntil([&] { return (w = FindScoreWindows(program)).view != nullptr; }, "the score window",
                                10000));
  ASSERT_TRUE(program.StaysQuiet(300));
  EXPECT_EQ(PageField(w.toolbar), L"1");
  // The toolbar's page steps.
  ClickToolbar(w.toolbar, kNextPageX);
  ASSERT_TRUE(program.WaitUntil([&] { return PageField(w.toolbar) == L"2"; }, "page 2 from the toolbar", 5000));
  ClickToolbar(w.toolbar, kNextPageX);  // the last page stays
  ASSERT_TRUE(program.StaysQuiet(300));
  EXPECT_EQ(PageField(w.toolbar), L"2");
  ClickToolbar(w.toolbar, kPreviousPageX);
  ASSERT_TRUE(program.WaitUntil([&] { return PageField(w.toolbar) == L"1"; }, "page 1 from the toolbar", 5000));
  // Paging down past the bottom of page 1 shows page 2; up past its top, page 1.
  for (int i = 0; i < 20 && PageField(w.toolbar) == L"1"; ++i) {
    PostMessageW(w.view, WM_VSCROLL, SB_PAGEDOWN, 0);
    program.StaysQuiet(100);
  }
  EXPECT_EQ(PageField(w.toolbar), L"2");
  ExpectWindowMatchesReference(program.FrameWindow(), "score-frame-page2");
  PostMessageW(w.view, WM_VSCROLL, SB_PAGEUP, 0);
  ASSERT_TRUE(program.WaitUntil([&] { return PageField(w.toolbar) == L"1"; }, "page 1 by paging up", 5000));
  ASSERT_TRUE(program.StaysQuiet(300));
  ASSERT_TRUE(ExitDiscardingChanges());
}

TEST_F(ProgramCase, ANoteUnderThePointerIsHighlightedOnTheScanStrip) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(ReadPageByDde(u"scorelink"));
  ScoreWindows w;
  ASSERT_TRUE(program.WaitUntil([&] { return (w = FindScoreWindows(program)).view != nullptr; }, "the score window",
                                10000));
  ASSERT_TRUE(program.StaysQuiet(300));
  // The first note of bar 5 (the second stave), where the frame's picture
  // "score-frame-read" shows it.
  RECT frame{};
  GetWindowRect(program.FrameWindow(), &frame);
  POINT note{frame.left + 403, frame.top + 530};
  ScreenToClient(w.view, &note);
  PostMessageW(w.view, WM_MOUSEMOVE, 0, MAKELPARAM(note.x, note.y));
  PostMessageW(w.view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(note.x, note.y));
  PostMessageW(w.view, WM_LBUTTONUP, 0, MAKELPARAM(note.x, note.y));
  ASSERT_TRUE(program.StaysQuiet(500));
  ExpectWindowMatchesReference(program.FrameWindow(), "score-frame-link");
  HWND detail = FindWindowW(L"Detail", nullptr);
  ASSERT_NE(detail, nullptr);
  ExpectWindowMatchesReference(detail, "score-detail-link");
  ASSERT_TRUE(ExitDiscardingChanges());
}

namespace {

// The part of the frame's picture that the scan strip covers inside the
// score window's client area (the strip itself is far wider than the screen).
PngImage StripPixels(HWND frame, const ScoreWindows& w) {
  const PngImage whole = CaptureWindow(frame);
  RECT frameRect{}, strip{}, client{};
  GetWindowRect(frame, &frameRect);
  GetWindowRect(w.strip, &strip);
  GetClientRect(w.child, &client);
  MapWindowPoints(w.child, nullptr, reinterpret_cast<POINT*>(&client), 2);
  RECT shown{};
  IntersectRect(&shown, &strip, &client);
  PngImage out;
  out.channels = whole.channels;
  out.width = shown.right - shown.left;
  out.height = shown.bottom - shown.top;
  if (out.width <= 0 || out.height <= 0) return PngImage{};
  for (int y = 0; y < out.height; ++y) {
    const int row = shown.top - frameRect.top + y;
    const int column = shown.left - frameRect.left;
    if (row < 0 || row >= whole.height || column < 0 || column + out.width > whole.width) return PngImage{};
    const auto* from = whole.pixels.data() + (size_t(row) * whole.width + column) * whole.channels;
    out.pixels.insert(out.pixels.end(), from, from + size_t(out.width) * whole.channels);
  }
  return out;
}

}  // namespace

// Scrolling the score view down a stave moves the scan strip on to the
// stave the view then shows at its top; scrolling back brings the first
// stave back into the strip.
TEST_F(ProgramCase, TheScanStripFollowsTheScoresPage) {
  ASSERT_TRUE(StartQuietly());
  ASSERT_TRUE(ReadPageByDde(u"stripfollow"));
  ScoreWindows w;
  ASSERT_TRUE(program.WaitUntil([&] { return (w = FindScoreWindows(program)).view != nullptr; }, "the score window",
                                10000));
  ASSERT_TRUE(program.StaysQuiet(500));
  const PngImage top = StripPixels(program.FrameWindow(), w);
  ASSERT_GT(top.width, 100);
  for (int i = 0; i < 8; ++i) PostMessageW(w.view, WM_VSCROLL, SB_LINEDOWN, 0);
  ASSERT_TRUE(program.StaysQuiet(500));
  const PngImage scrolled = StripPixels(program.FrameWindow(), w);
  EXPECT_GT(DifferingPixels(scrolled, top, 64, nullptr), 500) << "the strip stayed on the first stave";
  ExpectWindowMatchesReference(program.FrameWindow(), "score-frame-scrolled");
  PostMessageW(w.view, WM_VSCROLL, SB_TOP, 0);
  ASSERT_TRUE(program.StaysQuiet(500));
  EXPECT_EQ(DifferingPixels(StripPixels(program.FrameWindow(), w), top, 64, nullptr), 0)
      << "the strip did not come back";
  ASSERT_TRUE(ExitDiscardingChanges());
}
