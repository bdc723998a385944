// The program's life: start-up in its fixed order, the one message loop and
// the orderly shut-down. A fatal start-up step sets the quit flag
// (Flags().startupAbort); the steps after it are skipped and shut-down runs
// without the loop, keeping only what start-up had loaded.
#pragma once

#include <windows.h>

// WinMain's body; the exit code.
int RunProgram(HINSTANCE instance);

// What start-up got as far as, for the shut-down that follows.
struct StartupProgress {
  bool comInitialised = false;
  bool generalSettingsLoaded = false;
  bool globalSettingsLoaded = false;
  bool pageIndexRead = false;
  bool windowsCreated = false;
  bool shutDown = false;  // shut-down has run (at session end or after the loop)
};
StartupProgress& Progress();

// The steps; each returns false when it failed fatally.
bool StartFolders();
bool StartCom();
bool LoadStartupSettingsAndDisplay(HINSTANCE instance);
// False, with a message, when "ReadingMutex" could not be made.
bool RequireReadingMutex();
bool CreateProgramWindows(HINSTANCE instance);
bool AllocateWorkingBuffers();
bool BuildStartupState();
void ShowStartupNotices();
void WireShellServices();

// The splash window: shown from its own thread; returns after one second.
void ShowSplash(HINSTANCE instance);

// Free disc space of the data folder: false when start-up must end at once.
bool CheckFreeDiscSpace();

int RunMessageLoop();

// Shut-down: the page store, the settings that were loaded, buffers, COM,
// DDE. Runs once.
void ShutDown();
// The session ends (WM_ENDSESSION): what shut-down keeps is kept now.
void SaveWorkAtSessionEnd();
