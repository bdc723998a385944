#include "Code/Quorm/win32/Win32EngineHost.h"

#include "Code/Quorm/EngineHost.h"

namespace {

class WindowsEngineHost : public EngineHost {
 public:
  void PostToFrame(unsigned message, uintptr_t wParam, intptr_t lParam) override {
    if (frame) PostMessageA(frame, message, wParam, lParam);
  }
  void PostErrorNumber(uintptr_t wParam, intptr_t lParam) override {
    if (errorWindow) PostMessageA(errorWindow, errorMessage, wParam, lParam);
  }
  void ShowMessageBox(const char* text, const char* caption, unsigned flags) override {
    MessageBoxExA(nullptr, text, caption, flags, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT));
  }
  void ClearReadingFlags() override {
    ReadingFlags().readingInProgress = 0;
    ReadingFlags().pageReadingRun = 0;
  }

  HWND frame = nullptr;
  HWND errorWindow = nullptr;
  UINT errorMessage = 0;
};

WindowsEngineHost host;

}  // namespace

void InstallWindowsEngineHost(HWND frame, HWND errorWindow, UINT errorMessage) {
  host.frame = frame;
  host.errorWindow = errorWindow;
  host.errorMessage = errorMessage;
  SetEngineHost(&host);
}

void RemoveWindowsEngineHost() {
  if (&CurrentEngineHost() == &host) SetEngineHost(nullptr);
}
