#include "render/win32/DrawingLayer.h"

#include <unordered_map>

#include "Code/Unicode/Utils/WinVersion.h"
#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/GlyphTable.h"
#include "render/MusicFonts.h"
#include "render/ScorePagePainter.h"
#include "render/win32/OffscreenPane.h"
#include "shell/ShellServices.h"
#include "shell/ViewDragHooks.h"
#include "shell/win32/FrameServiceHooks.h"
#include "shell/win32/SmallWindows.h"

namespace {

GdiDevice Shared;
render::DrawDevice* PreviousDevice = nullptr;
bool SharedInUse = false;
HCURSOR Cursors[kCursorSlots] = {};
HBITMAP Bitmaps[kInterfaceBitmapSlots] = {};
std::unordered_map<render::Colour, render::Colour> NearestCache;

constexpr int kR8Bitmaps[43] = {603, 604, 605, 642, 643, 606, 607, 608, 609, 610, 644, 645, 611, 614, 615,
                                646, 647, 612, 617, 618, 619, 620, 621, 622, 623, 624, 625, 626, 627, 628,
                                629, 630, 616, 635, 634, 631, 636, 488, 489, 490, 483, 649, 648};
constexpr int kPlainBitmaps[43] = {352, 353, 354, 421, 422, 355, 356, 357, 358, 359, 423, 424, 360, 362, 363,
                                   425, 426, 351, 365, 366, 367, 368, 369, 370, 371, 372, 373, 374, 375, 376,
                                   377, 378, 364, 386, 385, 382, 387, 384, 383, 420, 419, 428, 427};
constexpr int kOddBitmaps[10] = {391, 389, 393, 395, 397, 402, 400, 404, 406, 408};
constexpr int kThemedEvenBitmaps[10] = {409, 413, 411, 410, 412, 414, 418, 416, 415, 417};
constexpr int kClassicEvenBitmaps[10] = {390, 398, 392, 394, 396, 401, 399, 403, 405, 407};

render::Colour NearestOnDisplay(render::Colour rgb) {
  const auto cached = NearestCache.find(rgb);
  if (cached != NearestCache.end()) return cached->second;
  HWND frame = Windows().frame;
  HDC dc = GetDC(frame);
  render::Colour result = rgb;
  if (dc) {
    if (GetDeviceCaps(dc, NUMCOLORS) != -1 && ProgramPalette()) {
      PALETTEENTRY entry{};
      const UINT index = GetNearestPaletteIndex(ProgramPalette(), rgb);
      if (GetPaletteEntries(ProgramPalette(), index, 1, &entry)) result = RGB(entry.peRed, entry.peGreen, entry.peBlue);
    } else {
      result = GetNearestColor(dc, rgb);
    }
    ReleaseDC(frame, dc);
  }
  NearestCache[rgb] = result;
  return result;
}

// The program's own cursors are loaded unshared, so that a display change can
// destroy them before they are loaded again.
HCURSOR ProgramCursor(int id) {
  return static_cast<HCURSOR>(
      LoadImageW(Windows().instance, MAKEINTRESOURCEW(id), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
}

bool IsProgramCursorSlot(int slot) { return slot >= kCursorKeypad0; }

void LoadCursorSet() {
  DestroyToolCursors();
  Cursors[kCursorDefault] = LoadCursorW(nullptr, IDC_ARROW);
  Cursors[kCursorSecondArrow] = LoadCursorW(nullptr, IDC_ARROW);
  Cursors[kCursorMove] = LoadCursorW(nullptr, IDC_SIZEALL);
  Cursors[kCursorSizeNS] = LoadCursorW(nullptr, IDC_SIZENS);
  Cursors[kCursorSizeWE] = LoadCursorW(nullptr, IDC_SIZEWE);
  Cursors[kCursorSizeNESW] = LoadCursorW(nullptr, IDC_SIZENESW);
  Cursors[kCursorSizeNWSE] = LoadCursorW(nullptr, IDC_SIZENWSE);
  const int keypad[5] = {148, 206, 210, 211, General().useR8Keypad ? 207 : 109};
  for (int i = 0; i < 5; ++i) Cursors[kCursorKeypad0 + i] = ProgramCursor(keypad[i]);
  const int view[3] = {149, 150, 212};
  for (int i = 0; i < 3; ++i) Cursors[kCursorView0 + i] = ProgramCursor(view[i]);
  Cursors[kCursorPages0] = ProgramCursor(208);
  Cursors[kCursorPages0 + 1] = ProgramCursor(209);
  Cursors[kCursorPageView] = ProgramCursor(213);
  Cursors[kCursorNewStave] = ProgramCursor(214);
}

bool ThemedLook() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExW(&version)) return false;
  const bool xpOrLater =
      version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
      (version.dwMajorVersion > 5 || (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1));
  const bool classic = GetSysColor(COLOR_BTNFACE) == 0xC8D0D4 && GetSysColor(COLOR_BTNHIGHLIGHT) == 0xFFFFFF &&
                       GetSysColor(COLOR_BTNSHADOW) == 0x808080;
  return xpOrLater && !classic;
}

HBITMAP SectionBitmap(int id) {
  return static_cast<HBITMAP>(
      LoadImageW(Windows().instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

COLORREF TableColour(int index) { return index >= 0 && index < kColourTableSize ? ColourTable[index] : 0; }
COLORREF ButtonTextColour() { return ColourTable[20]; }
void SharedDc(HDC dc) { UseDeviceContext(dc); }
void ViewDc(void* dc) { UseDeviceContext(static_cast<HDC>(dc)); }
void FreeGlyphs() {
  DeleteMusicFonts(&Shared);
  FreeGlyphTable();
  FreeKeptPaneSections();
}

}  // namespace

GdiDevice& SharedGdiDevice() { return Shared; }

void UseDeviceContext(HDC dc) {
  DrawingStateRecord& s = DrawingState();
  if (dc) {
    if (!SharedInUse) PreviousDevice = s.dc;
    SharedInUse = true;
    Shared.SetContext(dc);
    s.dc = &Shared;
  } else if (SharedInUse) {
    SharedInUse = false;
    Shared.SetContext(nullptr);
    s.dc = PreviousDevice;
    PreviousDevice = nullptr;
  }
}

render::DisplayCaps ReadDisplayCaps(HDC dc) {
  return {GetDeviceCaps(dc, NUMCOLORS), GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNHIGHLIGHT),
          GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_GRAYTEXT)};
}

void InitialiseDrawingColours() {
  NearestCache.clear();
  HWND frame = Windows().frame;
  HDC dc = GetDC(frame);
  const render::DisplayCaps caps = ReadDisplayCaps(dc);
  ReleaseDC(frame, dc);
  FillColourTables(caps);
  LoadCursorSet();
  ReloadInterfaceBitmaps();
  if (!ReadingMutexHandle()) ReadingMutexHandle() = CreateMutexW(nullptr, FALSE, L"ReadingMutex");
}

void ReloadInterfaceBitmaps() {
  for (HBITMAP& b : Bitmaps) {
    if (b) DeleteObject(b);
    b = nullptr;
  }
  const int* first = General().useR8Keypad ? kR8Bitmaps : kPlainBitmaps;
  for (int i = 0; i < 43; ++i) Bitmaps[i] = SectionBitmap(first[i]);
  Bitmaps[43] = SectionBitmap(General().useR8Keypad ? 651 : 650);
  const int* even = !General().useR8Keypad && ThemedLook() ? kThemedEvenBitmaps : kClassicEvenBitmaps;
  for (int i = 0; i < 10; ++i) {
    Bitmaps[44 + 2 * i] = SectionBitmap(even[i]);
    Bitmaps[45 + 2 * i] = LoadBitmapW(Windows().instance, MAKEINTRESOURCEW(kOddBitmaps[i]));
  }
}

HBITMAP InterfaceBitmap(int slot) { return slot >= 0 && slot < kInterfaceBitmapSlots ? Bitmaps[slot] : nullptr; }

void DestroyToolCursors() {
  for (int slot = 0; slot < kCursorSlots; ++slot) {
    if (!IsProgramCursorSlot(slot) || !Cursors[slot]) continue;
    DestroyCursor(Cursors[slot]);
    Cursors[slot] = nullptr;
  }
}

HCURSOR CursorHandle(int slot) { return slot >= 0 && slot < kCursorSlots ? Cursors[slot] : nullptr; }

void SetCursorHandle(HCURSOR cursor) { SetCursor(cursor); }

void ShowDefaultCursor() { SetCursor(Cursors[kCursorDefault]); }

void ShowWaitCursor() { SetCursor(LoadCursorW(nullptr, IDC_WAIT)); }

void ShowArrowCursor() { SetCursor(LoadCursorW(nullptr, IDC_ARROW)); }

bool DrawMenuGlyph(HDC dc, const char* glyphName, const RECT& item, COLORREF colour) {
  const GlyphRow* row = FindGlyph(glyphName);
  if (!row || !dc) return false;
  GdiDevice device(dc);
  // The 72-point font at its own size: a staff space of 6 pixels.
  const render::FontHandle font = CreateDisplayFont(&device, kMusicFontFace, 720, 0, 0, false, true, false);
  if (!font) return false;
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(font));
  GLYPHMETRICS metrics{};
  const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  const wchar_t code = static_cast<wchar_t>(row->code);
  const bool measured = GetGlyphOutlineW(dc, code, GGO_METRICS, &metrics, 0, nullptr, &identity) != GDI_ERROR;
  if (measured) {
    const UINT align = SetTextAlign(dc, TA_LEFT | TA_BASELINE);
    const int mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF previous = SetTextColor(dc, colour);
    const int centreX = (item.left + item.right) / 2, centreY = (item.top + item.bottom) / 2;
    const int x = centreX - metrics.gmptGlyphOrigin.x - static_cast<int>(metrics.gmBlackBoxX) / 2;
    const int y = centreY + metrics.gmptGlyphOrigin.y - static_cast<int>(metrics.gmBlackBoxY) / 2;
    TextOutW(dc, x, y, &code, 1);
    SetTextColor(dc, previous);
    SetBkMode(dc, mode);
    SetTextAlign(dc, align);
  }
  SelectObject(dc, old);
  DeleteObject(reinterpret_cast<HGDIOBJ>(font));
  return measured;
}

void InstallDrawingLayer() {
  DrawingState().win9xLimits = IsWindows9x();
  SetNearestColourRule(NearestOnDisplay);

  ShellServices services{};
  services.buildGlyphTable = BuildGlyphTable;
  services.freeGlyphTable = FreeGlyphs;
  services.layOutScorePage = RebuildItemIndexLayout;
  SetShellServices(services);

  FrameServiceHooks frame;
  frame.drawMenuGlyph = DrawMenuGlyph;
  frame.drawingColour = TableColour;
  frame.textColour = ButtonTextColour;
  frame.setSharedDc = SharedDc;
  frame.destroyToolCursors = DestroyToolCursors;
  frame.initialiseDrawingColours = InitialiseDrawingColours;
  SetFrameServiceHooks(frame);

  ViewDragHooks drag;
  drag.useDeviceContext = ViewDc;
  SetViewDragHooks(drag);
}
