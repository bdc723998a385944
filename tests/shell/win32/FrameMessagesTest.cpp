#include <windows.h>

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "shell/win32/FrameServiceHooks.h"
#include "shell/win32/FrameWindow.h"
#include "tests/shell/win32/FrameUnderTest.h"
#include "shell/win32/SystemCapabilities.h"
#include "shell/win32/ToolWindowPlacement.h"

namespace {

constexpr wchar_t kClassName[] = L"KvFrameForMessages";

std::string& Calls() {
  static std::string calls;
  return calls;
}
void RecordCursorsDestroyed() { Calls() += "cursors;"; }
void RecordColoursInitialised() { Calls() += "colours;"; }
LRESULT MciResult(HWND, WPARAM wParam, LPARAM deviceId) { return LRESULT(wParam * 100 + deviceId); }

bool Inside(const RECT& r, const RECT& area) {
  return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
}

class FrameMessagesTest : public FrameFixture {
 protected:
  void SetUp() override {
    savedCapabilities_ = Capabilities();
    Calls().clear();
    OpenFrame(kClassName, nullptr);
  }
  void TearDown() override {
    for (HWND window : {keypad_, detail_, view_}) {
      if (window) DestroyWindow(window);
    }
    CloseFrame();
    ResetFrameServiceHooks();
    RestoreWindowsAndSettings();
    Capabilities() = savedCapabilities_;
  }

  HWND ToolWindowAt(int x, int y) {
    return CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"tool", WS_POPUP | WS_CAPTION, x, y, 200, 150, frame_,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  // The score view exists and both tool windows lie far off every screen.
  void ScoreViewWithToolWindowsOffScreen() {
    view_ = CreateWindowExW(0, L"STATIC", L"view", WS_CHILD, 0, 0, 10, 10, frame_, nullptr, nullptr, nullptr);
    keypad_ = ToolWindowAt(-20000, -20000);
    detail_ = ToolWindowAt(30000, 30000);
    Windows().scoreView = view_;
    Windows().keypad = keypad_;
    Windows().detail = detail_;
  }
  void ExpectOnScreen(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    RECT area = WorkAreaUnderCursor();
    EXPECT_TRUE(Inside(r, area)) << r.left << "," << r.top << " in " << area.left << "," << area.top << "-"
                                 << area.right << "," << area.bottom;
    EXPECT_EQ(r.right - r.left, 200);
  }

  HWND view_ = nullptr;
  HWND keypad_ = nullptr;
  HWND detail_ = nullptr;
  SystemCapabilities savedCapabilities_;
};

TEST_F(FrameMessagesTest, MovingTheFrameBringsTheToolWindowsBackOnScreen) {
  ProbeSystemCapabilities();
  ScoreViewWithToolWindowsOffScreen();
  SendMessageW(frame_, WM_MOVE, 0, MAKELPARAM(10, 10));
  ExpectOnScreen(keypad_);
  ExpectOnScreen(detail_);
}

TEST_F(FrameMessagesTest, ResizingTheFrameBringsTheToolWindowsBackOnScreen) {
  ScoreViewWithToolWindowsOffScreen();
  Capabilities().monitorFromPoint = nullptr;
  Capabilities().getMonitorInfoA = nullptr;
  SetWindowPos(frame_, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
  ExpectOnScreen(keypad_);
  ExpectOnScreen(detail_);
}

TEST_F(FrameMessagesTest, WithoutTheScoreViewTheToolWindowsStayWhereTheyAre) {
  ScoreViewWithToolWindowsOffScreen();
  Windows().scoreView = ViewMark(kScoreViewMark);
  SendMessageW(frame_, WM_MOVE, 0, 0);
  RECT r{};
  GetWindowRect(keypad_, &r);
  EXPECT_EQ(r.left, -20000);
}

TEST_F(FrameMessagesTest, WithoutMonitorCallsTheDesktopWorkAreaIsUsed) {
  Capabilities().monitorFromPoint = nullptr;
  Capabilities().getMonitorInfoA = nullptr;
  RECT desktop{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &desktop, 0);
  RECT area = WorkAreaUnderCursor();
  EXPECT_TRUE(EqualRect(&area, &desktop));
}

TEST_F(FrameMessagesTest, DisplayChangeDropsTheToolCursorsBeforeSettingUpAgain) {
  FrameServiceHooks hooks;
  hooks.destroyToolCursors = RecordCursorsDestroyed;
  hooks.initialiseDrawingColours = RecordColoursInitialised;
  SetFrameServiceHooks(hooks);
  SendMessageW(frame_, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
  EXPECT_EQ(Calls(), "cursors;colours;");
}

TEST_F(FrameMessagesTest, MciNoticesReturnWhatPlaybackAnswers) {
  EXPECT_EQ(SendMessageW(frame_, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 5), 0);
  FrameServiceHooks hooks;
  hooks.onMciNotify = MciResult;
  SetFrameServiceHooks(hooks);
  EXPECT_EQ(SendMessageW(frame_, MM_MCINOTIFY, 3, 4), 304);
}

}  // namespace
