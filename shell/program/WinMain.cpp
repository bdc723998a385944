// The program's entry point. Start-up runs the steps that exist so far:
// folders, the page store and both settings sections; with no windows yet,
// the program then saves its settings and ends.
#include <windows.h>

#include "platform/Folders.h"
#include "platform/Settings.h"
#include "platform/ShellFlags.h"
#include "platform/win32/AppWindows.h"

namespace {

bool SetUpFolders() {
  std::u16string resources = InitialResourceFolder();
  std::u16string data = InitialDataFolder();
  if (resources.empty() || data.empty()) return false;
  SetResourceFolder(resources.c_str());
  SetDataFolder(data.c_str());
  InitDataPath();
  SetupMusicPages();
  return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  Windows().instance = instance;
  if (!SetUpFolders()) return 1;

  LoadGeneralSettings();
  if (Flags().startupAbort) return 1;
  LoadGlobalSettings();
  if (Flags().startupAbort) return 1;

  SaveGeneralSettings();
  SaveGlobalSettings();
  return 0;
}
