// The program's window classes, frame menus, accelerators, shared icons and
// image lists, and the creation of the frame and the hidden score window.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Window procedures of views that other parts of the shell provide. Until one
// is set, its class runs a plain stand-in (default window or MDI child
// behaviour). Set them before RegisterWindowClasses.
struct WindowProcedureHooks {
  WNDPROC scoreChild = nullptr;  // "OutputM"
  WNDPROC scoreView = nullptr;   // "Output", also the hidden score window
  WNDPROC outImage = nullptr;    // "OutImage"
  WNDPROC detail = nullptr;      // "Detail"
  WNDPROC pageChild = nullptr;   // "ScannedM"
  WNDPROC pageView = nullptr;    // "Scanned"
  WNDPROC buttonBar = nullptr;   // "OwnToolbar" and "CdzKeypad"; hands WM_COMMAND to the frame
  WNDPROC pagesPane = nullptr;   // "ViewPages"
};
// Keeps the present procedure for every slot the argument leaves null.
void SetWindowProcedureHooks(const WindowProcedureHooks& hooks);
const WindowProcedureHooks& WindowProcedures();

// The menus and the submenus that other parts change at run time.
struct FrameMenus {
  HMENU noDocument = nullptr;  // 102
  HMENU score = nullptr;       // 103
  HMENU page = nullptr;        // 104
  HMENU barlinePopup = nullptr;
  HMENU clefPopup = nullptr;
  HMENU symbolPopup = nullptr;
  HMENU scanPopup = nullptr;   // Scanner Setup, Scan Pages, Scan One Page
  HMENU pageEdit = nullptr;
  HMENU pageRead = nullptr;
  HMENU pageWindow = nullptr;
  HMENU scoreWindow = nullptr;
  // The no-document menu has no Window submenu (File, View, Help): null.
  HMENU noDocumentWindow = nullptr;
  HACCEL accelerators = nullptr;  // 130
};
FrameMenus& Menus();

// Icons and image lists shared by the views and button bars.
struct SharedImages {
  HICON program = nullptr, programSmall = nullptr;
  HICON score = nullptr, scoreSmall = nullptr;
  HICON page = nullptr;
  HIMAGELIST clefs = nullptr;     // bitmap 264, 23 pixels per image
  HIMAGELIST barlines = nullptr;  // bitmap 265, 25 pixels per image
  HIMAGELIST symbols = nullptr;   // bitmap 266, 25 pixels per image
  HIMAGELIST toolbarA = nullptr;  // bitmap 200, 18 pixels per image
  HIMAGELIST toolbarB = nullptr;  // bitmap 201, 18 pixels per image
};
SharedImages& Images();

// What the installation offers, for trimming the menus.
struct MenuTrim {
  bool layeredWindows = false;
  bool cadenzor = false;
  bool r8 = false;
};
// Removes Translucent Keypad and its separator, and the Send to entries that
// no installed program serves, from the three frame menus.
void TrimFrameMenus(HMENU noDocument, HMENU score, HMENU page, const MenuTrim& trim);

// Registers the twelve classes, loads and trims the menus (layered windows
// from Capabilities(), Cadenzor and R8 from their detection), builds the
// symbol and scan popups, loads the accelerators, icons and image lists,
// creates and places the frame ("DEV_ODI", Event_Dispatcher) and the hidden
// score window, and sets the score menu's check marks from the settings.
// Fills Windows(), Menus() and Images(). False when the frame could not be
// created.
bool RegisterWindowClasses(HINSTANCE instance);

// The steps of RegisterWindowClasses, each usable alone.
void RegisterProgramClasses(HINSTANCE instance);
// Loads menus 102-104 and trims them, builds the symbol and scan popups,
// keeps the submenus of Menus() and loads the accelerators.
void LoadFrameMenus(HINSTANCE instance, const MenuTrim& trim);
void LoadSharedImages(HINSTANCE instance);

// Sets the score menu's check marks from the settings.
void SetInitialCheckMarks(HMENU score, bool layeredWindows);

// Releases what RegisterWindowClasses loaded (menus not attached to a window,
// image lists); the classes stay registered.
void ReleaseSharedResources();
