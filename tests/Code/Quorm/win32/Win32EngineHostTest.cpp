#include <gtest/gtest.h>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/EngineHost.h"
#include "Code/Quorm/win32/Win32EngineHost.h"

namespace {

class Win32EngineHost : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr),
                            nullptr);
    errors = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr),
                             nullptr);
    ASSERT_NE(frame, nullptr);
    InstallWindowsEngineHost(frame, errors, WM_APP + 77);
  }
  void TearDown() override {
    RemoveWindowsEngineHost();
    DestroyWindow(frame);
    DestroyWindow(errors);
  }
  HWND frame = nullptr;
  HWND errors = nullptr;
};

TEST_F(Win32EngineHost, AFailedCheckPostsWmApp13ToTheFrameAndClearsTheFlags) {
  ReadingFlags().readingInProgress = 1;
  ReadingFlags().pageReadingRun = 1;
  EXPECT_THROW(EngineAssertFail(__FILE__, __LINE__), EngineFailure);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, frame, WM_APP + 13, WM_APP + 13, PM_REMOVE));
  EXPECT_EQ(msg.message, 0x800Du);
  EXPECT_EQ(msg.wParam, 0u);
  EXPECT_EQ(msg.lParam, 0);
  EXPECT_EQ(ReadingFlags().readingInProgress.load(), 0u);
  EXPECT_EQ(ReadingFlags().pageReadingRun.load(), 0u);
}

TEST_F(Win32EngineHost, ErrorNumbersGoToTheRegisteredWindow) {
  PostEngineErrorNumber("Xnostaves");
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, errors, WM_APP + 77, WM_APP + 77, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 2u);
  EXPECT_EQ(msg.lParam, 1604);
  EXPECT_FALSE(PeekMessageA(&msg, frame, 0, 0, PM_REMOVE));
}

}  // namespace
