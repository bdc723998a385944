#include "shell/win32/FrameServiceHooks.h"

#include "platform/HookTables.h"

namespace {

void NoHover(HWND) {}
void NoViewKey(HWND, int) {}
bool NoMusicFont(HDC, const char*, const RECT&, COLORREF) { return false; }
COLORREF SystemFaceColour(int) { return GetSysColor(COLOR_BTNFACE); }
COLORREF SystemTextColour() { return GetSysColor(COLOR_BTNTEXT); }
void NoSharedDc(HDC) {}

FrameServiceHooks Defaults() {
  FrameServiceHooks h;
  h.startViewHover = NoHover;
  h.stopViewHover = NoHover;
  h.routeViewKey = NoViewKey;
  h.drawMenuGlyph = NoMusicFont;
  h.drawingColour = SystemFaceColour;
  h.textColour = SystemTextColour;
  h.setSharedDc = NoSharedDc;
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
}

const FrameServiceHooks& FrameServices() { return Slots(); }

void ResetFrameServiceHooks() { Slots() = Defaults(); }
