#include <windows.h>

#include <objbase.h>

#include "Code/Quorm/win32/Win32EngineHost.h"
#include "Code/Unicode/Utils/win32/Uni.h"
#include "pages/PageStoreScoreLinks.h"
#include "pages/PageTable.h"
#include "platform/Settings.h"
#include "platform/ShellFlags.h"
#include "platform/TextUtils.h"
#include "platform/win32/AppWindows.h"
#include "reading/PreparePage.h"
#include "reading/ReadingThread.h"
#include "resources/ResourceIds.h"
#include "reading/FileOpener.h"
#include "reading/FileOpenerHooks.h"
#include "score/RecentFiles.h"
#include "score/ScoreFileBackup.h"
#include "score/ScoreFileHooks.h"
#include "shell/win32/PreferencesDialog.h"
#include "shell/win32/ScanQuestions.h"
#include "shell/win32/ScoreWindow.h"
#include "score/win32/RhythmWarning.h"
#include "shapes/ClassifierLog.h"
#include "shapes/ClassifierStartup.h"
#include "shell/BackupFiles.h"
#include "shell/ShellServices.h"
#include "shell/StartupTables.h"
#include "shell/WorkFolders.h"
#include "shell/win32/DdeServer.h"
#include "shell/win32/FrameParts.h"
#include "shell/win32/NoticeDialogs.h"
#include "shell/win32/PageWindow.h"
#include "shell/win32/PagesPaneWindow.h"
#include "shell/win32/ProgressWindow.h"
#include "shell/win32/ReadingHostWin32.h"
#include "shell/win32/SmallWindows.h"
#include "shell/win32/Startup.h"
#include "shell/win32/WindowClasses.h"
#include "stages/TextCharacters.h"

void FreeWorkingBuffers();

namespace {

// Runs a step unless an earlier one failed; a failure sets the quit flag.
void Step(bool (*step)()) {
  if (Flags().startupAbort) return;
  if (!step()) Flags().startupAbort = 1;
}

void RunSaveCommand() {
  if (HoldsWindow(Windows().frame)) SendMessageW(Windows().frame, WM_COMMAND, IDM_FILE_SAVE, kSaveTheScore);
}

int ReadingFlag() { return IsReadingPages() ? 1 : 0; }

// The classifier's debug lines go to the debugger output, never to the user.
void ClassifierDebugLine(const char* line) { UniOutputDebugString(AnsiToWide(line)); }

// Notices without an owner belong to the frame.
void ShowNotice(int dialogId, void* owner) {
  ShowShellDialog(dialogId, owner ? static_cast<HWND>(owner) : Windows().frame);
}

void ClosePageStore() {
  CleanWorkFolders();
  CurrentShellServices().twainFinit();
  RemoveBackupsAtExit();
  if (Progress().pageIndexRead) WritePageIndex();
  CurrentShellServices().freeGlyphTable();
  DeleteTemporaryPdfPages();
}

void KeepWork() {
  StartupProgress& p = Progress();
  ClosePageStore();
  if (p.globalSettingsLoaded) SaveGlobalSettings();
  if (p.generalSettingsLoaded) SaveGeneralSettings();
}

}  // namespace

void WireShellServices() {
  ConnectPageStoreToScoreFile();
  ConnectPageStoreToPreparation();
  ScoreFileHooks score{};
  score.addRecentFile = AddRecentFile;
  score.isReadingPages = ReadingFlag;
  score.runSaveCommand = RunSaveCommand;
  SetScoreFileHooks(score);
  InstallRhythmWarning();
  FileOpenerHooks opener{};
  opener.scoreFileOpened = AfterScoreFileOpened;
  SetFileOpenerHooks(opener);
  ShellServices services{};
  services.showNotice = ShowNotice;
  services.buildShapeDatabase = BuildShapeDatabaseAtStartup;
  services.loadTextChars = LoadTextCharsAtStartup;
  SetShellServices(services);
  SetClassifierLogSink(ClassifierDebugLine);
  InstallPreparationWindows();
  InstallReadingPipeline();
  InstallScoreWindow();
  InstallPagesPane();
  InstallPageWindow();
  InstallPreferencesDialog();
  InstallScanQuestions();
}

void ShutDown() {
  StartupProgress& p = Progress();
  if (p.shutDown) return;
  p.shutDown = true;
  // A reading thread that ended after the last message was handled is still
  // joinable; one still running is told to stop. Either is joined before the
  // program's statics go, which would otherwise end the process abnormally.
  if (ReadingActive()) Flags().abort = 1;
  JoinReadingThread();
  KeepWork();
  FreeWorkingBuffers();
  FreeShapeDatabases();
  FreeStartupTables();
  if (p.comInitialised) CoUninitialize();
  ReleaseSharedResources();
  WideToAnsi(nullptr);
  AnsiToWide(nullptr);
  WideToAnsiStatic(nullptr);
  AnsiToWideStatic(nullptr);
  StopDdeServer();
  if (ProgramPalette()) {
    DeleteObject(ProgramPalette());
    ProgramPalette() = nullptr;
  }
  RemoveWindowsEngineHost();
}

void SaveWorkAtSessionEnd() {
  StartupProgress& p = Progress();
  if (p.shutDown) return;
  p.shutDown = true;
  KeepWork();
}

int RunProgram(HINSTANCE instance) {
  Windows().instance = instance;
  Flags().startupAbort = 0;
  StartDdeServer();
  Step(StartFolders);
  if (!Flags().startupAbort) OfferBackup();
  Step(StartCom);
  if (!Flags().startupAbort && !LoadStartupSettingsAndDisplay(instance)) Flags().startupAbort = 1;
  if (!Flags().startupAbort) WireShellServices();
  if (!Flags().startupAbort && !CreateProgramWindows(instance)) Flags().startupAbort = 1;
  if (!Flags().startupAbort) InstallWindowsEngineHost(Windows().frame, nullptr, 0);
  Step(AllocateWorkingBuffers);
  Step(BuildStartupState);
  if (!Flags().startupAbort && General().splashScreen) ShowSplash(instance);
  if (!Flags().startupAbort && !CheckFreeDiscSpace()) return 0;
  if (!Flags().startupAbort) {
    CleanWorkFolders();
    CurrentScoreFileHooks().setScoreSaved(1);
    CurrentShellServices().twainInit();
    CurrentShellServices().updateCommandStates();
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    ShowStartupNotices();
    if (Backups().restoreChosen) RestoreBackup();
    CurrentShellServices().refreshPagesPane(1, -1);
    DdeServer.running = true;
    if (OpenFiles.count > 0) OpenFileByType();
  }
  int exitCode = Flags().startupAbort ? 0 : RunMessageLoop();
  ShutDown();
  return exitCode;
}
