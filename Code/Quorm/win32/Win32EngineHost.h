// The engine host of the Windows program: failed runs are posted to the
// frame window, engine errors to a registered window, boxes shown with
// MessageBoxExA; the reading flags are the engine's ReadingFlags().
#pragma once

#include <windows.h>

// Installs the host (replacing any other). errorWindow may be null: then
// error numbers are not posted.
void InstallWindowsEngineHost(HWND frame, HWND errorWindow, UINT errorMessage);
void RemoveWindowsEngineHost();
