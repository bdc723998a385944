// The program's entry point.
#include <windows.h>

#include "render/win32/DrawingLayer.h"
#include "shell/win32/Startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  InstallDrawingLayer();
  return RunProgram(instance);
}
