#include <windows.h>

#include <objbase.h>

#include <cstring>

#include "pages/PageImageStore.h"
#include "pages/PageStoreTexts.h"
#include "pages/PageTable.h"
#include "platform/FileLayer.h"
#include "platform/Folders.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "platform/ShellFlags.h"
#include "platform/TextUtils.h"
#include "platform/win32/AppWindows.h"
#include "render/RenderStrings.h"
#include "resources/ResourceIds.h"
#include "reading/FileOpener.h"
#include "score/InstrumentNameLists.h"
#include "score/ScoreFile.h"
#include "score/ScoreStream.h"
#include "shell/BackupFiles.h"
#include "shell/ClaimedEventTable.h"
#include "shell/PartPlaybackValues.h"
#include "shell/ShellServices.h"
#include "shell/StartupTables.h"
#include "shell/win32/ClientMetricsWindow.h"
#include "shell/win32/FrameServiceHooks.h"
#include "shell/win32/FrameWindow.h"
#include "shell/win32/NoticeDialogs.h"
#include "shell/win32/SmallWindows.h"
#include "shell/win32/Startup.h"
#include "shell/win32/SystemCapabilities.h"
#include "shell/win32/WindowClasses.h"

namespace {

constexpr unsigned kComFailedText = 10419;
constexpr unsigned kNoMemoryText = 10020;
constexpr unsigned kMissingFileText = 18600;
constexpr unsigned kDiscFullText = 10015;
constexpr uint32_t kFatalDiscSpace = 0x100000;


Handle WorkingBuffers[4];

// Tells the user which shipped file is missing; start-up then ends.
bool ReportMissingFile(const char16_t* name) {
  char16_t path[300];
  if (!MakeResourcesSubPath(path, name)) std::memcpy(path, name, (std::char_traits<char16_t>::length(name) + 1) * 2);
  MessageById(nullptr, kMissingFileText, path);
  return false;
}

bool ResourceExists(const char16_t* name) {
  char16_t path[300];
  return MakeResourcesSubPath(path, name) && FileExists(path);
}

bool LoadInstrumentNames() {
  for (int i = 0; i < kInstrumentNameListFiles; ++i) {
    const char16_t* name = InstrumentNameListFile(i);
    if (!ResourceExists(name)) return ReportMissingFile(name);
  }
  return LoadInstrumentNameLists();
}

int ScreenBitsPerPixel() {
  HDC dc = GetDC(Windows().frame);
  int bits = GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(Windows().frame, dc);
  return bits;
}

}  // namespace

StartupProgress& Progress() {
  static StartupProgress progress;
  return progress;
}

bool StartFolders() {
  std::u16string resources = InitialResourceFolder();
  std::u16string data = InitialDataFolder();
  if (resources.empty() || data.empty()) return false;
  SetResourceFolder(resources.c_str());
  SetDataFolder(data.c_str());
  InitDataPath();
  SetupMusicPages();
  return true;
}

bool StartCom() {
  if (FAILED(CoInitialize(nullptr))) {
    MessageById(nullptr, kComFailedText);
    return false;
  }
  Progress().comInitialised = true;
  return true;
}

bool LoadStartupSettingsAndDisplay(HINSTANCE instance) {
  LoadGeneralSettings();
  if (Flags().startupAbort) return false;
  Progress().generalSettingsLoaded = true;
  ProgramPalette() = CreateProgramPalette(instance);
  FrameServices().initialiseDrawingColours();
  if (!RequireReadingMutex()) return false;
  InitCommonControlsInContext();
  ProbeSystemCapabilities();
  ResetClaimedEventTable();
  LoadGlobalSettings();
  if (Flags().startupAbort) return false;
  Progress().globalSettingsLoaded = true;
  return true;
}

// Painting and the reading thread's drawing are kept apart by the mutex:
// without it the program cannot run safely.
bool RequireReadingMutex() {
  if (ReadingMutex()) return true;
  MessageById(nullptr, kTextReadingMutexFailed);
  return false;
}

bool CreateProgramWindows(HINSTANCE instance) {
  Frame().paneWidth = int(Global().viewPagesPaneSizeX);
  if (!RegisterWindowClasses(instance)) return false;
  Progress().windowsCreated = true;
  InitCommonControlsUnicode(true);
  InitClientMetrics();
  return true;
}

bool AllocateWorkingBuffers() {
  for (Handle& buffer : WorkingBuffers) {
    if (!AllocHandle(&buffer, 4)) {
      MessageById(nullptr, kNoMemoryText);
      return false;
    }
  }
  return true;
}

void FreeWorkingBuffers() {
  for (Handle& buffer : WorkingBuffers) FreeHandle(&buffer);
}

bool BuildStartupState() {
  const ShellServices& services = CurrentShellServices();
  if (!AllocateStartupTables()) return false;
  ResetPartRecords();
  PartCount = 0;
  ScorePages.count = 0;
  ScorePages.current = 0;
  services.buildShapeDatabase();
  if (Flags().startupAbort) return false;  // the classifier's databases could not be loaded
  services.initSlopeTables();
  if (!ReadOtable()) return ReportMissingFile(kOtableFileName);
  Frame().savePrompted = false;
  services.placeScoreViews(1);
  ReadPageIndex();
  Progress().pageIndexRead = true;
  services.resetEditTemplates();
  services.enableScanCommands();
  services.updateCommandStates();
  services.buildGlyphTable();
  ResetPartPlaybackValues();
  // The page view's placeholder is loaded only where the installation ships it.
  if (ResourceExists(u"WaitImage.bmp")) LoadWaitImage();
  if (!LoadInstrumentNames()) return false;
  services.loadTextChars();
  int ports = services.enumerateMidiPorts();
  if (ports < 0) ports = 0;
  if (General().midiPlaybackDevice >= uint32_t(ports)) General().midiPlaybackDevice = 0;
  return true;
}

bool CheckFreeDiscSpace() {
  uint32_t space = GetFreeDiskSpace(DataFolder());
  if (space < kFatalDiscSpace) {
    MessageById(nullptr, kDiscFullText);
    return false;
  }
  if (space < kLowDiscSpaceBytes) MessageById(nullptr, kTextLowDiscSpace);
  return true;
}

void ShowStartupNotices() {
  const ShellServices& services = CurrentShellServices();
  HWND frame = Windows().frame;
  if (Global().showStartupDialog && !General().splashScreen) services.showNotice(IDD_STARTUP_NOTICE, frame);
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return;
  int bits = ScreenBitsPerPixel();
  if (bits == 32 && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && version.dwMajorVersion >= 4 &&
      Global().showBppWarning)
    services.showNotice(IDD_COLOUR_DEPTH_WARNING, frame);
  if (bits <= 8 && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 5 &&
      Global().showWin2000ColourWarning)
    services.showNotice(IDD_DISPLAY_DRIVER_WARNING, frame);
}
