// The notices of the page view and of a page's reading problems as the
// program's own resources make them: the pages-saved notice (321), the stave
// positions notice (1139) and the accuracy notice (1140). Each opens with its
// "Show this next time" box ticked and looks as its reviewed picture shows.
#include <windows.h>

#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/Settings.h"
#include "resources/ResourceIds.h"
#include "shell/win32/NoticeDialogs.h"
#include "tests/e2e/ProgramUnderTest.h"
#include "tests/e2e/ScreenshotCheck.h"

namespace {

struct NoticePicture {
  int dialog;
  const char* picture;
  int tipsButton;  // 0: the notice offers no scanning tips
};

class NoticePictures : public ::testing::TestWithParam<NoticePicture> {
 protected:
  void SetUp() override {
    program_ = LoadLibraryExW(W(WindowsPath(KV_PROGRAM_EXE)), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program_, nullptr) << "the program's resources";
  }
  void TearDown() override {
    if (program_) FreeLibrary(program_);
  }
  HMODULE program_ = nullptr;
};

// The notice lives on a thread of its own that runs its messages, as the
// program's interface thread does, so that it paints before it is captured.
TEST_P(NoticePictures, OpensTickedAndLooksAsReviewed) {
  const NoticePicture& notice = GetParam();
  HANDLE made = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HWND dialog = nullptr;
  DWORD threadId = 0;
  std::thread owner([&] {
    threadId = GetCurrentThreadId();
    dialog = CreateDialogParamW(program_, MAKEINTRESOURCEW(notice.dialog), nullptr, NoticeDialogProc, notice.dialog);
    if (dialog) {
      // Shown active, as a notice the program opens is.
      SetWindowPos(dialog, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
      SetForegroundWindow(dialog);
    }
    SetEvent(made);
    MSG message;
    while (dialog && GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (!IsDialogMessageW(dialog, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    if (dialog) DestroyWindow(dialog);
  });
  WaitForSingleObject(made, 10000);
  CloseHandle(made);
  EXPECT_NE(dialog, nullptr);
  if (dialog) {
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SHOW_NEXT_TIME), BST_CHECKED);
    EXPECT_NE(GetDlgItem(dialog, notice.tipsButton ? notice.tipsButton : IDOK), nullptr);
    ExpectWindowMatchesReference(dialog, notice.picture);
    PostThreadMessageW(threadId, WM_QUIT, 0, 0);
  }
  owner.join();
}

INSTANTIATE_TEST_SUITE_P(Notices, NoticePictures,
                         ::testing::Values(NoticePicture{IDD_PAGES_SAVED_NOTICE, "notice-pages-saved", 0},
                                           NoticePicture{IDD_STAVE_POSITIONS_NOTICE, "notice-stave-positions",
                                                         IDC_STAVE_POSITIONS_TIPS},
                                           NoticePicture{IDD_ACCURACY_NOTICE, "notice-accuracy",
                                                         IDC_ACCURACY_TIPS}));

}  // namespace
