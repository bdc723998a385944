// The program's entry point.
#include <windows.h>

#include "editor/win32/ScoreEditorHost.h"
#include "render/win32/DrawingLayer.h"
#include "shell/win32/Startup.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  InstallDrawingLayer();
  InstallScoreEditor();
  return RunProgram(instance);
}
