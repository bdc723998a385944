// A real message box: shown by the system (no observer) and answered by a
// helper thread that finds the box window by its caption.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/Platform.h"
#include "tests/support/TestText.h"

namespace {

TEST(Win32MessageBox, ARealBoxAppearsAndReturnsTheAnswer) {
  const std::u16string caption = u"Korvalinde test box " + U16(std::to_string(GetCurrentProcessId()));
  std::atomic<bool> found{false};
  std::thread answerer([&] {
    for (int tries = 0; tries < 600 && !found; ++tries) {
      HWND box = FindWindowW(L"#32770", reinterpret_cast<const wchar_t*>(caption.c_str()));
      if (box) {
        found = true;
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      } else {
        Sleep(50);
      }
    }
  });
  platform::MessageBoxObserver observer = platform::SetMessageBoxObserver(nullptr);
  int answer = platform::ShowMessageBox(u"A box for the test", caption.c_str(), platform::kBoxOk | platform::kBoxTaskModal);
  platform::SetMessageBoxObserver(observer);
  answerer.join();
  EXPECT_TRUE(found);
  EXPECT_EQ(platform::kAnswerOk, answer);
}

}  // namespace
