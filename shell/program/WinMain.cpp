// The program's entry point.
#include <windows.h>

#include "shell/win32/Startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return RunProgram(instance); }
