// Stave marking by the selected stave's handles and with Alt, as a user does
// it in the page document: the right end dragged in, a copy of the stave made
// by Alt+click on the empty page, two staves joined into one system by
// Alt+click and split again by Undo; every change in the page's data file.
// Locate Staves then finds the page's four staves again behind its progress
// window; the toolbar's and the menu's zoom reach the page view, and a drag
// held at the view's edge scrolls it.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "pages/PageData.h"
#include "platform/Settings.h"
#include "resources/ResourceIds.h"
#include "tests/e2e/PageViewCase.h"
#include "tests/e2e/ScreenshotCheck.h"

namespace {

constexpr int kImageMargin = 2;  // the view's margin round the page image
// The page toolbar's 1:1 zoom button: after "Read this page" and its arrow,
// the page steps and the fit and 50 % buttons.
constexpr int kOneToOneButtonX = 249;

// The staves in the page's stored data file; false while it cannot be read.
bool StoredStaves(const std::u16string& data, PageData* page) {
  page->staveCount = 0;
  return ReadPageDataFile(data.c_str(), page, nullptr) == PageDataRead::kRead;
}

// The zoom the page document's caption names ("... - at 43%").
int CaptionZoom(HWND view) {
  wchar_t caption[256] = {};
  GetWindowTextW(GetParent(view), caption, 256);
  const wchar_t* at = std::wcsstr(caption, L" at ");
  return at ? static_cast<int>(std::wcstol(at + 4, nullptr, 10)) : 0;
}

INPUT Mouse(DWORD flags, POINT screen) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>((screen.x * 65536LL + 32768) / GetSystemMetrics(SM_CXSCREEN));
  input.mi.dy = static_cast<LONG>((screen.y * 65536LL + 32768) / GetSystemMetrics(SM_CYSCREEN));
  input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
  return input;
}

class StaveHandlesCase : public StaveEditingCase {
 protected:
  // The window point of image point (x, y) at the view's zoom.
  POINT At(double x, double y) const {
    return POINT{static_cast<LONG>(kImageMargin + x * zoom_ / 100.0 + 0.5),
                 static_cast<LONG>(kImageMargin + y * zoom_ / 100.0 + 0.5)};
  }
  void Click(POINT p) {
    PostMessageW(view_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    PostMessageW(view_, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    ASSERT_TRUE(program.FrameAnswers(5000));
  }
  // A click with Alt held, typed into the program's input queue as a user
  // types it (with the frame in front). A Shift stroke while Alt is down
  // keeps Alt's release from opening the menu bar.
  bool AltClick(POINT p) {
    if (!FrameInFront()) return false;
    POINT screen = p;
    ClientToScreen(view_, &screen);
    INPUT strokes[] = {KeyStroke(VK_MENU, false),
                       KeyStroke(VK_SHIFT, false),
                       KeyStroke(VK_SHIFT, true),
                       Mouse(MOUSEEVENTF_MOVE, screen),
                       Mouse(MOUSEEVENTF_LEFTDOWN, screen),
                       Mouse(MOUSEEVENTF_LEFTUP, screen),
                       KeyStroke(VK_MENU, true)};
    const UINT n = sizeof strokes / sizeof strokes[0];
    return SendInput(n, strokes, sizeof(INPUT)) == n && program.FrameAnswers(5000);
  }
  // Waits until the stored staves pass the check.
  template <typename Check>
  bool StavesBecome(const char* what, Check check) {
    return program.WaitUntil([&] { return StoredStaves(data_, &stored_) && check(stored_); }, what, 20000);
  }

  HWND view_ = nullptr;
  int zoom_ = 100;
  std::u16string data_;
  static PageData stored_;
};
PageData StaveHandlesCase::stored_;

TEST_F(StaveHandlesCase, HandlesAltCopiesAndJoinedSystemsAreWrittenAndLocatingShowsItsProgress) {
  General().autoReadAlways = false;
  SaveGeneralSettings();
  const std::u16string tiff = CopyPageTiff(u"stavehandles.tif");
  ASSERT_TRUE(StartQuietly());
  DdeClient dde;
  ASSERT_TRUE(ConnectDde(&dde));
  PageRecord record;
  ASSERT_TRUE(OpenAndShowPage(dde, tiff, u"stavehandles", &record, &view_));
  data_ = StoredDataFile(record.scanId);
  ASSERT_TRUE(StavesBecome("the page's four staves", [](const PageData& p) { return p.staveCount == 4; }));
  ASSERT_TRUE(program.FrameAnswers(5000));
  zoom_ = CaptionZoom(view_);
  ASSERT_GT(zoom_, 0);
  StaveRecord before[4];
  for (int s = 0; s < 4; ++s) before[s] = stored_.staves[s];

  // The second stave selected by a click on it, its right end's handle
  // dragged 120 window pixels to the left.
  const StaveRecord& second = before[1];
  Click(At((second.left + second.right) / 2.0, (second.top + second.bottom) / 2.0));
  POINT handle = At(second.right, second.rightTop + (second.bottom - second.top) / 2.0);
  handle.x += 4;
  Drag(view_, handle, POINT{handle.x - 120, handle.y});
  const int dragged = 120 * 100 / zoom_;
  ASSERT_TRUE(StavesBecome("the right end moved in", [&](const PageData& p) {
    return p.staveCount == 4 && p.staves[1].right < before[1].right - dragged / 2;
  }));
  EXPECT_EQ(stored_.staves[1].left, before[1].left) << "the left end stays";
  EXPECT_EQ(stored_.staves[0].right, before[0].right) << "the other staves stay";
  EXPECT_EQ(stored_.staves[2].right, before[2].right);

  // Alt+click on the empty page between the third and the last stave copies
  // the selected stave there, in its place in the table.
  const int copyY = (before[2].bottom + before[3].top) / 2;
  ASSERT_TRUE(AltClick(At(1000, copyY)));
  ASSERT_TRUE(StavesBecome("a copy of the stave", [](const PageData& p) { return p.staveCount == 5; }));
  EXPECT_LT(stored_.staves[3].top, copyY);
  EXPECT_GT(stored_.staves[3].bottom, copyY);
  EXPECT_EQ(stored_.staves[4].top, before[3].top) << "the last stave moved one slot down";
  EXPECT_NE(stored_.staves[3].group, stored_.staves[2].group) << "no bracket joins the copy to the stave above";
  EXPECT_NE(stored_.staves[3].group, stored_.staves[4].group) << "... nor to the stave below";

  // The first stave selected, Alt+click on the second joins their systems.
  ASSERT_NE(before[0].group, before[1].group);
  Click(At((before[0].left + before[0].right) / 2.0, (before[0].top + before[0].bottom) / 2.0));
  ASSERT_TRUE(AltClick(At((before[1].left + before[1].right) / 2.0, (before[1].top + before[1].bottom) / 2.0)));
  ASSERT_TRUE(StavesBecome("the first two staves one system",
                           [](const PageData& p) { return p.staveCount == 5 && p.staves[0].group == p.staves[1].group; }));
  ExpectWindowMatchesReference(program.FrameWindow(), "frame-stave-handles");

  // Undo splits them again, in the file too.
  program.PostCommand(IDM_EDIT_UNDO);
  EXPECT_TRUE(StavesBecome("two systems again",
                           [](const PageData& p) { return p.staveCount == 5 && p.staves[0].group != p.staves[1].group; }));

  // Locate Staves: its progress window comes and goes, and the four staves
  // of the page are found again.
  program.PostCommand(IDM_EDIT_LOCATE_STAVES);
  bool progressShown = false;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 60000) {
    const bool open = FindWindowW(nullptr, L"Progress report") != nullptr;
    progressShown |= open;
    if (progressShown && !open) break;
    Sleep(5);
  }
  EXPECT_TRUE(progressShown) << "the progress window of Locate Staves";
  const int fitZoom = zoom_;
  EXPECT_TRUE(StavesBecome("the page's staves found again", [](const PageData& p) { return p.staveCount == 4; }));
  ASSERT_TRUE(FrameAnswersAfterLocating());
  EXPECT_EQ(stored_.staves[1].right, before[1].right) << "located as at first";

  // The page toolbar's 1:1 button shows the page at 100 %.
  HWND toolbar = FindWindowExW(GetParent(view_), nullptr, L"OwnToolbar", nullptr);
  ASSERT_NE(toolbar, nullptr);
  PostMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kOneToOneButtonX, 12));
  PostMessageW(toolbar, WM_LBUTTONUP, 0, MAKELPARAM(kOneToOneButtonX, 12));
  EXPECT_TRUE(program.WaitUntil([&] { return CaptionZoom(view_) == 100; }, "the page at 100 %", 20000));

  // At 100 % the first stave's left end dragged to the view's right edge:
  // the view scrolls on while the button is held there, and the end goes
  // with it past where the window's width alone would take it.
  ASSERT_TRUE(program.StaysQuiet(300));
  RECT client{};
  GetClientRect(view_, &client);
  zoom_ = 100;
  const StaveRecord first = stored_.staves[0];
  Click(At((first.left + first.right) / 2.0, (first.top + first.bottom) / 2.0));
  const POINT leftHandle = At(first.left - 7, (first.top + first.bottom) / 2.0);
  PostMessageW(view_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(leftHandle.x, leftHandle.y));
  PostMessageW(view_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(leftHandle.x + 40, leftHandle.y));
  PostMessageW(view_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(client.right - 1, leftHandle.y));
  Sleep(1500);
  POINT pointer{};
  GetCursorPos(&pointer);
  ScreenToClient(view_, &pointer);
  PostMessageW(view_, WM_LBUTTONUP, 0, MAKELPARAM(pointer.x, pointer.y));
  EXPECT_TRUE(StavesBecome("the left end carried past the window's width",
                           [&](const PageData& p) { return p.staves[0].left > client.right + 64; }));
  // View > Zoom to Fit fits the page again.
  program.PostCommand(IDM_ZOOM_TO_FIT);
  EXPECT_TRUE(program.WaitUntil([&] { return CaptionZoom(view_) == fitZoom; }, "the page fitted again", 20000));
  EXPECT_TRUE(program.StaysQuiet(500));
  ASSERT_TRUE(ExitCleanly());
}

}  // namespace
