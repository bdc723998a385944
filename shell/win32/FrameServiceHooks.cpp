#include "shell/win32/FrameServiceHooks.h"

#include <mmsystem.h>

#include "platform/HookTables.h"
#include "platform/win32/AppWindows.h"
#include "shell/win32/SmallWindows.h"

namespace {

void NoHover(HWND) {}
void NoViewKey(HWND, int) {}
bool NoMusicFont(HDC, const char*, const RECT&, COLORREF) { return false; }
COLORREF SystemFaceColour(int) { return GetSysColor(COLOR_BTNFACE); }
COLORREF SystemTextColour() { return GetSysColor(COLOR_BTNTEXT); }
void NoSharedDc(HDC) {}
void NoToolCursors() {}
// Without the drawing layer the colours stay the system's.
void SystemColoursOnly() {}
LRESULT NoMciDevice(HWND frame, WPARAM wParam, LPARAM deviceId) {
  return DefFrameProcW(frame, Windows().mdiClient, MM_MCINOTIFY, wParam, deviceId);
}

FrameServiceHooks Defaults() {
  FrameServiceHooks h;
  h.startViewHover = NoHover;
  h.stopViewHover = NoHover;
  h.routeViewKey = NoViewKey;
  h.drawMenuGlyph = NoMusicFont;
  h.drawingColour = SystemFaceColour;
  h.textColour = SystemTextColour;
  h.setSharedDc = NoSharedDc;
  h.destroyToolCursors = NoToolCursors;
  h.initialiseDrawingColours = SystemColoursOnly;
  h.onMciNotify = NoMciDevice;
  return h;
}

FrameServiceHooks& Slots() {
  static FrameServiceHooks hooks = Defaults();
  return hooks;
}

}  // namespace

void SetFrameServiceHooks(const FrameServiceHooks& hooks) {
  FrameServiceHooks& s = Slots();
  KeepIfSet(s.startViewHover, hooks.startViewHover);
  KeepIfSet(s.stopViewHover, hooks.stopViewHover);
  KeepIfSet(s.routeViewKey, hooks.routeViewKey);
  KeepIfSet(s.drawMenuGlyph, hooks.drawMenuGlyph);
  KeepIfSet(s.drawingColour, hooks.drawingColour);
  KeepIfSet(s.textColour, hooks.textColour);
  KeepIfSet(s.setSharedDc, hooks.setSharedDc);
  KeepIfSet(s.destroyToolCursors, hooks.destroyToolCursors);
  KeepIfSet(s.initialiseDrawingColours, hooks.initialiseDrawingColours);
  KeepIfSet(s.onMciNotify, hooks.onMciNotify);
}

const FrameServiceHooks& FrameServices() { return Slots(); }

void ResetFrameServiceHooks() { Slots() = Defaults(); }
