#include "shell/win32/SmallWindows.h"

#include <commctrl.h>
#include <shellapi.h>

#include "platform/Folders.h"
#include "platform/Platform.h"
#include "platform/TextUtils.h"
#include "platform/win32/AppWindows.h"
#include "resources/ResourceIds.h"
#include "shell/KeyCodes.h"
#include "shell/ViewDrag.h"
#include "shell/win32/FrameServiceHooks.h"
#include "shell/win32/WindowClasses.h"

namespace {

constexpr int kMyStaticFillColour = 16;

const wchar_t kEditProcProperty[] = L"KorvalindeEditProc";

// ---- Activation context ----

// The program's manifest as an activation context, made once.
HANDLE ProgramActivationContext() {
  static HANDLE context = [] {
    ACTCTXW request = {};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.hModule = GetModuleHandleW(nullptr);
    request.lpResourceName = MAKEINTRESOURCEW(1);
    return CreateActCtxW(&request);
  }();
  return context;
}

class ContextScope {
 public:
  ContextScope() {
    HANDLE context = ProgramActivationContext();
    active_ = context != INVALID_HANDLE_VALUE && ActivateActCtx(context, &cookie_);
  }
  ~ContextScope() {
    if (active_) DeactivateActCtx(0, cookie_);
  }

 private:
  ULONG_PTR cookie_ = 0;
  bool active_ = false;
};

// ---- Painting helpers ----

class PaletteScope {
 public:
  explicit PaletteScope(HDC dc) : dc_(dc) {
    if (ProgramPalette()) {
      old_ = SelectPalette(dc, ProgramPalette(), FALSE);
      RealizePalette(dc);
    }
  }
  ~PaletteScope() {
    if (old_) SelectPalette(dc_, old_, FALSE);
  }

 private:
  HDC dc_;
  HPALETTE old_ = nullptr;
};

void UnitSize(MEASUREITEMSTRUCT* item, UINT width, UINT height) {
  item->itemWidth = width;
  item->itemHeight = height;
}

// Common parts of "Basic", "MyStatic" and the edit boxes.
void MouseMoved(HWND window, LPARAM position) {
  TrackHover(window, position);
  DragMove(window, static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position)));
}

bool IsArrowOrEnter(WPARAM key) {
  return key == VK_RETURN || key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
}

LRESULT CALLBACK EditControlProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC original = reinterpret_cast<WNDPROC>(GetPropW(edit, kEditProcProperty));
  switch (message) {
    case WM_KEYUP:
      if (IsArrowOrEnter(wParam)) {
        FrameServices().routeViewKey(Windows().scoreToolbar, TranslateKeyNow(static_cast<int>(wParam)));
        return 0;
      }
      break;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) return 0;
      break;
    case WM_LBUTTONDOWN:
      SetFocus(edit);
      break;
    case WM_MOUSEMOVE:
      MouseMoved(edit, lParam);
      break;
    case WM_NCDESTROY:
      RemovePropW(edit, kEditProcProperty);
      SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      break;
  }
  return original ? CallWindowProcW(original, edit, message, wParam, lParam)
                  : DefWindowProcW(edit, message, wParam, lParam);
}

// Messages "Basic" and "MyStatic" share; false when the message is not one.
bool CommonChildMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_CREATE:
    case WM_DESTROY:
    case WM_COMMAND:
    case WM_MDIACTIVATE:
      return true;
    case WM_KEYDOWN:
      FrameServices().routeViewKey(window, TranslateKeyNow(static_cast<int>(wParam)));
      return true;
    case WM_MOUSEMOVE:
      MouseMoved(window, lParam);
      return true;
    case WM_NCMOUSEMOVE:
      StopHover();
      *result = DefWindowProcW(window, message, wParam, lParam);
      return true;
  }
  return false;
}

void PaintMyStatic(HWND window) {
  ReadingLock lock;
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  {
    PaletteScope palette(dc);
    FrameServices().setSharedDc(dc);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH fill = CreateSolidBrush(FrameServices().drawingColour(kMyStaticFillColour));
    FillRect(dc, &client, fill);
    DeleteObject(fill);
    wchar_t text[256] = {};
    const int length = GetWindowTextW(window, text, 256);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(SYSTEM_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, FrameServices().textColour());
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text, length, &extent);
    const int y = ((client.bottom - client.top) - extent.cy) / 2 - 1;
    TextOutW(dc, 0, y, text, length);
    SelectObject(dc, oldFont);
    FrameServices().setSharedDc(nullptr);
  }
  EndPaint(window, &paint);
}

void PaintLoader(HWND window) {
  ReadingLock lock;
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (HBITMAP splash = Loader().splash) {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, splash);
    BitBlt(dc, 0, 0, SPLASH_WIDTH, SPLASH_HEIGHT, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  char16_t line[96] = {};
  FormatVersionLine(line, 96);
  // Arial at 9 points, the drawing layer's size 90 for normal text.
  const int height = -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72);
  HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, Loader().textColour);
  SetTextAlign(dc, TA_BOTTOM | TA_LEFT);
  const wchar_t* text = reinterpret_cast<const wchar_t*>(line);
  TextOutW(dc, 20, 318, text, lstrlenW(text));
  SelectObject(dc, oldFont);
  DeleteObject(font);
  EndPaint(window, &paint);
}

}  // namespace

// ---- Palette ----

HPALETTE& ProgramPalette() {
  static HPALETTE palette = nullptr;
  return palette;
}

HPALETTE CreateProgramPalette(HINSTANCE instance) {
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDB_SPLASH_PALETTE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (!bitmap) return nullptr;
  RGBQUAD colours[256];
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const UINT count = GetDIBColorTable(memory, 0, 256, colours);
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(bitmap);
  if (count == 0) return nullptr;
  struct {
    WORD version;
    WORD entries;
    PALETTEENTRY colours[256];
  } table = {0x300, static_cast<WORD>(count), {}};
  for (UINT i = 0; i < count; ++i) {
    table.colours[i] = {colours[i].rgbRed, colours[i].rgbGreen, colours[i].rgbBlue, 0};
  }
  return CreatePalette(reinterpret_cast<const LOGPALETTE*>(&table));
}

// ---- Activation context ----

bool InitCommonControlsInContext() {
  ContextScope scope;
  HMODULE library = LoadLibraryW(L"COMCTL32.DLL");
  if (!library) return false;
  using InitProc = void(WINAPI*)();
  auto init = reinterpret_cast<InitProc>(reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControls")));
  if (init) init();
  return init != nullptr;  // the library stays loaded: the controls live in it
}

DWORD CallCommonDialogInContext(const char* functionName) {
  ContextScope scope;
  HMODULE library = LoadLibraryW(L"COMDLG32.DLL");
  if (!library) return 0;
  using Proc = DWORD(WINAPI*)();
  auto call = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(library, functionName)));
  const DWORD result = call ? call() : 0;
  FreeLibrary(library);
  return result;
}

// ---- "ReadingMutex" ----

HANDLE& ReadingMutexHandle() {
  static HANDLE mutex = nullptr;
  return mutex;
}

HANDLE ReadingMutex() { return ReadingMutexHandle(); }

ReadingLock::ReadingLock() {
  if (ReadingMutex()) WaitForSingleObject(ReadingMutex(), INFINITE);
}

ReadingLock::~ReadingLock() {
  if (ReadingMutex()) ReleaseMutex(ReadingMutex());
}

// ---- Hover tracking ----

HoverState& Hover() {
  static HoverState state;
  return state;
}

void TrackHover(HWND window, LPARAM position) {
  HoverState& hover = Hover();
  hover.x = static_cast<short>(LOWORD(position));
  hover.y = static_cast<short>(HIWORD(position));
  if (window == hover.window) return;
  // Moving between the score view and one of its children keeps the effect.
  const HWND scoreView = Windows().scoreView;
  const bool withinScoreView = HoldsWindow(scoreView) && HoldsWindow(hover.window) &&
                               ((window == scoreView && GetParent(hover.window) == scoreView) ||
                                (hover.window == scoreView && GetParent(window) == scoreView));
  if (withinScoreView) {
    hover.window = window;
    return;
  }
  if (HoldsWindow(hover.window) && IsWindow(hover.window)) FrameServices().stopViewHover(hover.window);
  FrameServices().startViewHover(window);
  hover.window = window;
}

void StopHover() {
  HoverState& hover = Hover();
  if (HoldsWindow(hover.window) && IsWindow(hover.window)) FrameServices().stopViewHover(hover.window);
  hover.window = nullptr;
}

// ---- Owner-drawn symbol menus ----

const char* SymbolGlyphName(int index) {
  static const char* const names[SYMBOL_POPUP_COUNT] = {"segno", "coda",  "trill",       "mordentu",    "mordentl",
                                                        "turn",  "turni", "pedalengage", "pedalrelease"};
  return index >= 0 && index < SYMBOL_POPUP_COUNT ? names[index] : nullptr;
}

bool MeasureMenuSymbol(MEASUREITEMSTRUCT* item) {
  if (item->CtlType != ODT_MENU) return false;
  const UINT id = item->itemID;
  if (id >= IDM_SYMBOL_FIRST && id <= IDM_SYMBOL_RANGE_END) {
    UnitSize(item, 25, 35);
  } else if (id >= IDM_CLEF_FIRST && id <= IDM_CLEF_RANGE_END) {
    UnitSize(item, 23, 58);
  } else if (id >= IDM_BARLINE_FIRST && id <= IDM_BARLINE_RANGE_END) {
    UnitSize(item, 25, 27);
  } else {
    return false;
  }
  return true;
}

bool DrawMenuSymbol(const DRAWITEMSTRUCT* item) {
  if (item->CtlType != ODT_MENU) return false;
  const UINT id = item->itemID;
  const bool symbol = id >= IDM_SYMBOL_FIRST && id <= IDM_SYMBOL_RANGE_END;
  const bool clef = id >= IDM_CLEF_FIRST && id <= IDM_CLEF_RANGE_END;
  const bool barline = id >= IDM_BARLINE_FIRST && id <= IDM_BARLINE_RANGE_END;
  if (!symbol && !clef && !barline) return false;

  const bool selected = (item->itemState & ODS_SELECTED) != 0;
  HDC dc = item->hDC;
  FillRect(dc, &item->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  const COLORREF ink = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  const SharedImages& images = Images();
  auto draw = [&](HIMAGELIST list, int index, int width, int height) {
    if (!list || index >= ImageList_GetImageCount(list)) return;
    const int x = item->rcItem.left + ((item->rcItem.right - item->rcItem.left) - width) / 2;
    const int y = item->rcItem.top + ((item->rcItem.bottom - item->rcItem.top) - height) / 2;
    ImageList_Draw(list, index, dc, x, y, ILD_TRANSPARENT);
  };
  if (symbol) {
    const int index = static_cast<int>(id - IDM_SYMBOL_FIRST);
    const char* name = SymbolGlyphName(index);
    if (!name || !FrameServices().drawMenuGlyph(dc, name, item->rcItem, ink)) {
      draw(images.symbols, index, SYMBOL_IMAGE_WIDTH, 35);
    }
  } else if (clef) {
    draw(images.clefs, static_cast<int>(id - IDM_CLEF_FIRST), CLEF_IMAGE_WIDTH, 58);
  } else {
    draw(images.barlines, static_cast<int>(id - IDM_BARLINE_FIRST), BARLINE_IMAGE_WIDTH, 27);
  }
  return true;
}

// ---- Help pages ----

namespace {

bool ShellOpen(const char16_t* target) {
  const HINSTANCE result = ShellExecuteW(Windows().frame, L"open", reinterpret_cast<LPCWSTR>(target), nullptr,
                                         nullptr, SW_SHOWDEFAULT);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace

bool OpenResourcePage(const char16_t* fileName) {
  char16_t path[MAX_PATH + 1] = {};
  if (!MakeResourcePath(path, fileName)) return false;
  return ShellOpen(path);
}

bool OpenMakerWebSite() {
  char16_t address[512] = {};
  if (platform::LoadUiString(11002, address, 512) == 0) return false;
  return ShellOpen(address);
}

// ---- Window procedures ----

LRESULT CALLBACK BasicWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result;
  if (CommonChildMessage(window, message, wParam, lParam, &result)) return result;
  if (message == WM_PAINT) {
    ReadingLock lock;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    { PaletteScope palette(dc); }
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK MyStaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result;
  if (CommonChildMessage(window, message, wParam, lParam, &result)) return result;
  if (message == WM_PAINT) {
    PaintMyStatic(window);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void FormatVersionLine(char16_t* out, int capacity) {
  char16_t word[64] = {};
  platform::LoadUiString(10127, word, 64);
  FormatWide(out, static_cast<size_t>(capacity), u"%s %s", word, kProgramVersion);
}

LoaderState& Loader() {
  static LoaderState state;
  return state;
}

LRESULT CALLBACK LoaderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
    case WM_DESTROY:
    case WM_COMMAND:
      return 0;
    case WM_PAINT:
      PaintLoader(window);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void SubclassEditControl(HWND edit) {
  if (!edit || GetPropW(edit, kEditProcProperty)) return;
  const LONG_PTR original = GetWindowLongPtrW(edit, GWLP_WNDPROC);
  SetPropW(edit, kEditProcProperty, reinterpret_cast<HANDLE>(original));
  SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditControlProc));
}
