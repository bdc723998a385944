#include "platform/ShellFlags.h"
#include "platform/win32/AppWindows.h"
#include "shell/ShellServices.h"
#include "shell/win32/Startup.h"
#include "shell/win32/WindowClasses.h"

int RunMessageLoop() {
  MSG message{};
  HACCEL accelerators = Menus().accelerators;
  while (!Flags().startupAbort) {
    BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (CurrentShellServices().processTwainMessage(&message)) continue;
    AppWindows& w = Windows();
    if (accelerators && HoldsWindow(w.frameToolbar) && TranslateAcceleratorW(w.frameToolbar, accelerators, &message))
      continue;
    if (accelerators && HoldsWindow(w.frame) && TranslateAcceleratorW(w.frame, accelerators, &message)) continue;
    if (HoldsWindow(w.mdiClient) && TranslateMDISysAccel(w.mdiClient, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return int(message.wParam);
}
