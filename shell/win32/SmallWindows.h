// Frame services shared by several windows: the program palette, common
// controls and common dialogs inside the program's activation context, hover
// tracking, the owner-drawn symbol menus, help pages, and the window
// procedures of "Basic", "MyStatic", "Loader" and the subclassed edit boxes.
#pragma once

#include <windows.h>

// ---- Palette ----
// A palette from the colour table of the program's palette bitmap (the splash
// for displays below 16 bits); null when it has no colour table.
HPALETTE CreateProgramPalette(HINSTANCE instance);
HPALETTE& ProgramPalette();

// ---- Activation context ----
// InitCommonControls of the common-controls library, called while the
// program's manifest context is active. False when it could not be called.
bool InitCommonControlsInContext();
// Calls a function without arguments of the common-dialog library inside the
// context (e.g. "CommDlgExtendedError"); 0 when it cannot be called.
DWORD CallCommonDialogInContext(const char* functionName);

// ---- "ReadingMutex": taken around every paint ----
// The drawing layer makes it when it sets up its colours (null until then:
// the lock then guards nothing); start-up ends when it cannot be made.
HANDLE& ReadingMutexHandle();
HANDLE ReadingMutex();
class ReadingLock {
 public:
  ReadingLock();
  ~ReadingLock();
  ReadingLock(const ReadingLock&) = delete;
  ReadingLock& operator=(const ReadingLock&) = delete;
};

// ---- Hover tracking ----
struct HoverState {
  HWND window = nullptr;
  short x = 0, y = 0;
};
HoverState& Hover();
// The mouse moved over a window (client coordinates packed as in lParam).
void TrackHover(HWND window, LPARAM position);
// The mouse left into a non-client area.
void StopHover();

// ---- Owner-drawn symbol menus ----
// Fills the size of items 52000-54099; false for any other item.
bool MeasureMenuSymbol(MEASUREITEMSTRUCT* item);
// Draws items 52000-54099; false for any other item.
bool DrawMenuSymbol(const DRAWITEMSTRUCT* item);
// The music-font glyph names of the symbol popup, in item order.
const char* SymbolGlyphName(int index);

// ---- Help pages ----
// Opens a file of the resource folder with the shell ("open"); false when
// the path does not fit or the shell refused.
bool OpenResourcePage(const char16_t* fileName);
// Opens the maker's web address (UI string 11002).
bool OpenMakerWebSite();

// ---- Window procedures ----
LRESULT CALLBACK BasicWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK MyStaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK LoaderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The splash picture the "Loader" window paints (473 x 384) and the colour
// of its version line.
struct LoaderState {
  HBITMAP splash = nullptr;
  COLORREF textColour = RGB(0xE8, 0xF1, 0xF8);
};
LoaderState& Loader();
constexpr char16_t kProgramVersion[] = u"5.5.1";
// "Version 5.5.1": UI string 10127 and the version number.
void FormatVersionLine(char16_t* out, int capacity);

// Subclasses an edit box of a dialog or toolbar: Enter and the arrows go to
// the views, a click takes the focus, mouse moves track hover and drags.
void SubclassEditControl(HWND edit);
