// The splash window: a "Loader" window on a thread of its own for two and a
// half seconds, then the start-up notice when it is on.
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "resources/ResourceIds.h"
#include "shell/ShellServices.h"
#include "shell/win32/SmallWindows.h"
#include "shell/win32/Startup.h"

namespace {

constexpr uint32_t kSplashWaitCentiseconds = 100;
constexpr uint32_t kSplashShownCentiseconds = 250;
constexpr unsigned kSplashTitle = 10197;
constexpr int kSplashWindowWidth = 475;
constexpr int kSplashWindowHeight = 386;

DWORD WINAPI SplashThread(void* parameter) {
  HINSTANCE instance = static_cast<HINSTANCE>(parameter);
  WNDCLASSW splashClass{};
  splashClass.lpfnWndProc = LoaderWindowProc;
  splashClass.hInstance = instance;
  splashClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  splashClass.lpszClassName = L"Loader";
  RegisterClassW(&splashClass);

  HDC screen = GetDC(nullptr);
  int bits = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  Loader().splash = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(bits < 16 ? IDB_SPLASH_PALETTE : IDB_SPLASH),
                                                    IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  char16_t title[257];
  LoadUiString(kSplashTitle, title, 257);
  int x = (GetSystemMetrics(SM_CXSCREEN) - kSplashWindowWidth) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - kSplashWindowHeight) / 2;
  HWND splash = CreateWindowExW(0, L"Loader", reinterpret_cast<LPCWSTR>(title), WS_POPUP | WS_VISIBLE | WS_BORDER, x,
                                y, kSplashWindowWidth, kSplashWindowHeight, Windows().frame, nullptr, instance, nullptr);
  if (splash) {
    SetWindowPos(splash, HWND_NOTOPMOST, x, y, kSplashWindowWidth, kSplashWindowHeight, SWP_SHOWWINDOW);
    uint32_t start = GetCentiseconds();
    while (GetCentiseconds() - start < kSplashShownCentiseconds) {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      Sleep(20);
    }
    DestroyWindow(splash);
  }
  if (Loader().splash) {
    DeleteObject(Loader().splash);
    Loader().splash = nullptr;
  }
  if (Global().showStartupDialog) CurrentShellServices().showNotice(IDD_STARTUP_NOTICE, Windows().frame);
  return 0;
}

}  // namespace

void ShowSplash(HINSTANCE instance) {
  HANDLE thread = CreateThread(nullptr, 0, SplashThread, instance, 0, nullptr);
  if (thread) CloseHandle(thread);
  uint32_t start = GetCentiseconds();
  while (GetCentiseconds() - start < kSplashWaitCentiseconds) Sleep(100);
}
