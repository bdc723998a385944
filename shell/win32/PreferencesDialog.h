// The Preferences dialog (122) with its four tabbed pages (301-304), also
// opened reduced to one page as the reading or scanning options, and the
// text recognition options behind the reading page's "Advanced...".
#pragma once

#include <windows.h>

// Modes: 0 the full dialog; 1 to 9 the reading page alone (refused while
// "Quick Prefs" is off); 20 the scanning page alone; others all four pages.
constexpr int kPrefsModeFull = 0;
constexpr int kPrefsModeReadPage = 1;
constexpr int kPrefsModeScannerSetup = 20;

// Opens the dialog for a mode, at once or on a thread of its own; refused
// (false) while one is open. At once: for modes 1 to 9 true after Cancel and
// false after OK; for other modes true. On a thread: true once it runs.
bool OpenPreferences(int mode, bool onThread);
// True while a Preferences dialog is open.
bool PreferencesOpen();

DWORD WINAPI PreferencesThread(LPVOID);
INT_PTR CALLBACK PreferencesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PreferencesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TextRecognitionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Fills the playback-device list: the output ports' names with the chosen
// one selected, or "No playback devices available", disabled.
void FillMidiPortCombo(HWND combo);
// Where the playback-device list takes the ports' names (the playback side
// installs it); without it a port is listed by its number.
void SetMidiPortNames(bool (*portName)(int index, wchar_t* out, int capacity));

// Posted to the frame by a dialog that runs on its own thread: lParam holds
// what its OK took, applied on the interface thread.
constexpr UINT kApplyPostedPreferences = WM_APP + 0x160;
LRESULT ApplyPostedPreferences(LPARAM lParam);

// Installs the Preferences and Scanner Setup commands.
void InstallPreferencesDialog();
