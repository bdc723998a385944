// The progress window of page preparation (dialog 1105) and the
// black-and-white notice (dialog 315), shown through the hooks the shell
// installs for page preparation.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pages/PageData.h"
#include "pages/PageImageStore.h"
#include "pages/SpriteArea.h"
#include "platform/Settings.h"
#include "reading/PageSprites.h"
#include "reading/PreparationProgress.h"
#include "reading/PreparationStrings.h"
#include "reading/PreparePage.h"
#include "resources/ResourceIds.h"
#include "reading/FileOpener.h"
#include "shell/win32/NoticeDialogs.h"
#include "shell/win32/ProgressWindow.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/TestText.h"

namespace {

std::u16string Text(HWND window) {
  wchar_t buffer[512] = {};
  GetWindowTextW(window, buffer, 512);
  return reinterpret_cast<const char16_t*>(buffer);
}

std::u16string ItemText(HWND dialog, int item) { return Text(GetDlgItem(dialog, item)); }

class PreparationWindowsTest : public testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    savedServices_ = PreparationServices();
    savedProgress_ = PreparationProgress();
    savedGlobal_ = Global();
    savedGeneral_ = General();
    SetCurrentImagePath(u"C:\\Scores\\Nocturne.tif");
  }
  void TearDown() override {
    CloseProgressDialog();
    FreeHandle(&SourceArea());
    FreeHandle(&viewPage.imageArea);
    PreparationServices() = savedServices_;
    PreparationProgress() = savedProgress_;
    Global() = savedGlobal_;
    General() = savedGeneral_;
    SetCurrentImagePath(u"");
  }

  PreparationHooks savedServices_;
  PreparationProgressHooks savedProgress_;
  GlobalSettings savedGlobal_;
  GeneralSettings savedGeneral_;
};

TEST_F(PreparationWindowsTest, ShowStepAndCloseTheProgressWindow) {
  StepProgressDialog(40);  // closed: nothing happens
  EXPECT_EQ(ProgressDialogWindow(), nullptr);

  ShowProgressDialog(u"Calculating threshold", false, false);
  HWND window = ProgressDialogWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(Text(window), UiText(10284));
  EXPECT_EQ(ItemText(window, IDC_PROGRESS_TEXT), u"Calculating threshold");
  HWND bar = GetDlgItem(window, IDC_PROGRESS_BAR);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 100);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 0);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, IDC_PROGRESS_ESC_HINT)));

  StepProgressDialog(40);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 40);

  // A second step of the work keeps the window and its bar, with a new text,
  // the image's name in the caption and the Esc hint.
  ShowProgressDialog(u"Cleaning up", true, true);
  EXPECT_EQ(ProgressDialogWindow(), window);
  EXPECT_EQ(ItemText(window, IDC_PROGRESS_TEXT), u"Cleaning up");
  EXPECT_EQ(Text(window), u"Processing 'Nocturne.tif'...");
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, IDC_PROGRESS_ESC_HINT)));
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 40);

  SendMessageW(window, WM_CLOSE, 0, 0);  // only the work closes it
  EXPECT_EQ(ProgressDialogWindow(), window);

  CloseProgressDialog();
  EXPECT_EQ(ProgressDialogWindow(), nullptr);
  EXPECT_FALSE(IsWindow(window));
  StepProgressDialog(70);
  EXPECT_EQ(ProgressDialogWindow(), nullptr);
}

TEST_F(PreparationWindowsTest, TheCaptionNamesTheImageFile) {
  struct Case {
    const char16_t* path;
    const char16_t* caption;
    int capacity;
  } cases[] = {
      {u"C:\\Scores\\Nocturne.tif", u"Processing 'Nocturne.tif'...", 64},
      {u"Z:/tmp/pages/Etude 3.bmp", u"Processing 'Etude 3.bmp'...", 64},
      {u"Sonata.pdf", u"Processing 'Sonata.pdf'...", 64},
      {u"", u"Processing ''...", 64},
      {u"C:\\Scores\\Nocturne.tif", u"Processing 'Noc", 16},  // cut to the buffer
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.path));
    char16_t caption[64];
    FormatProcessingCaption(c.path, caption, c.capacity);
    EXPECT_EQ(std::u16string(caption), c.caption);
  }
}

TEST_F(PreparationWindowsTest, PreparationProgressReachesTheWindowThroughTheInstalledHooks) {
  InstallPreparationWindows();
  OpenProgress(kStrCalculatingThreshold);
  HWND window = ProgressDialogWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ItemText(window, IDC_PROGRESS_TEXT), UiText(kStrCalculatingThreshold));
  EXPECT_EQ(Text(window), u"Processing 'Nocturne.tif'...");
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, IDC_PROGRESS_ESC_HINT)));
  StepProgress(55);
  EXPECT_EQ(SendDlgItemMessageW(window, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0), 55);
  OpenProgress(kStrCleaningUp);
  EXPECT_EQ(ProgressDialogWindow(), window);
  EXPECT_EQ(ItemText(window, IDC_PROGRESS_TEXT), UiText(kStrCleaningUp));
  CloseProgress();
  EXPECT_EQ(ProgressDialogWindow(), nullptr);
}

// ---- The black-and-white notice ----

// What the stand-in user did with each notice that came up: it reads the
// notice's texts, unticks "Show this next time" when asked and presses OK.
struct NoticeVisit {
  std::u16string caption;
  bool checkedWhenShown = false;
  bool settingWhenShown = false;
};
std::vector<NoticeVisit> visits;
bool untick = false;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  if (IsWindowVisible(window) && std::wstring(name) == L"#32770" && GetDlgItem(window, IDC_SHOW_NEXT_TIME)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK AnswerNotice(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog) return;
  NoticeVisit visit;
  visit.caption = Text(dialog);
  visit.checkedWhenShown = IsDlgButtonChecked(dialog, IDC_SHOW_NEXT_TIME) == BST_CHECKED;
  visit.settingWhenShown = Global().showBwWarning;
  visits.push_back(visit);
  if (untick) SendDlgItemMessageW(dialog, IDC_SHOW_NEXT_TIME, BM_CLICK, 0, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

// A small black-and-white page: white paper with a few long lines of ink.
Handle OneBitPageArea() {
  static std::vector<uint8_t> bits;
  PageImage page;
  page.width = 640;
  page.height = 480;
  page.rowBytes = 80;
  page.bitsPerPixel = 1;
  bits.assign(page.rowBytes * static_cast<size_t>(page.height), 0);
  page.rows = bits.data();
  for (int line = 0; line < 5; ++line)
    for (int t = 0; t < 3; ++t)
      for (int x = 60; x < 580; ++x) page.SetInk(x, 150 + line * 24 + t);
  return MakePageSpriteArea(page, kPageSpriteName);
}

// Preparing a black-and-white page shows the notice while its setting is
// on; unticked once, it is not shown for the next page.
TEST_F(PreparationWindowsTest, PreparingABlackAndWhitePageShowsTheNoticeUntilItIsUnticked) {
  InstallPreparationWindows();
  General().autoRotate = false;
  viewPage.resolution = 300;
  Global().showBwWarning = true;
  visits.clear();
  UINT_PTR timer = SetTimer(nullptr, 0, 50, AnswerNotice);
  BoxRecorder boxes;
  struct Round {
    const char* what;
    int levels;
    bool untick;
    size_t noticesAfter;
    bool settingAfter;
  } rounds[] = {
      {"a black-and-white page, the box left ticked", 2, false, 1, true},
      {"a grey page never shows it", 256, true, 1, true},
      {"a black-and-white page, the box unticked", 2, true, 2, false},
      {"the next black-and-white page", 2, false, 2, false},
  };
  for (const Round& r : rounds) {
    SCOPED_TRACE(r.what);
    untick = r.untick;
    if (r.levels == 2) {
      SourceArea() = OneBitPageArea();
    } else {
      static std::vector<uint8_t> grey;
      PageImage page;
      page.width = 640;
      page.height = 480;
      page.rowBytes = 640;
      page.bitsPerPixel = 8;
      grey.assign(640 * 480, 230);
      for (int x = 60; x < 580; ++x) grey[200 * 640 + x] = 20;
      page.rows = grey.data();
      SourceArea() = MakePageSpriteArea(page, kPageSpriteName);
    }
    ASSERT_NE(SourceArea(), nullptr);
    EXPECT_EQ(PreparePage(r.levels, 0), 1);
    EXPECT_EQ(visits.size(), r.noticesAfter);
    EXPECT_EQ(Global().showBwWarning, r.settingAfter);
    EXPECT_EQ(ProgressDialogWindow(), nullptr) << "the progress window is closed at the end";
  }
  KillTimer(nullptr, timer);
  ASSERT_EQ(visits.size(), 2u);
  for (const NoticeVisit& v : visits) {
    EXPECT_EQ(v.caption, u"Black and white page");
    EXPECT_TRUE(v.checkedWhenShown);
    EXPECT_TRUE(v.settingWhenShown);
  }
  EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace
