// The program's window classes, the frame menus and their trimming, the
// owner-drawn symbol popups, the shared icons and image lists, and the frame
// with the hidden score window.
#include "shell/win32/WindowClasses.h"

#include <shellapi.h>

#include "platform/Folders.h"
#include "platform/HookTables.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "resources/ResourceIds.h"
#include "shell/win32/FrameWindow.h"
#include "shell/win32/SmallWindows.h"
#include "shell/win32/SystemCapabilities.h"

namespace {

constexpr COLORREF kTransparentKey = RGB(0xFF, 0x00, 0xFF);
constexpr int kFileSubmenu = 0;
constexpr int kSendToPosition = 6;
constexpr int kWindowSeparatorPosition = 4;
constexpr int kScoreCreateSubmenu = 4;
constexpr int kScoreWindowSubmenu = 6;
constexpr int kPageEditSubmenu = 1;
constexpr int kPageReadSubmenu = 3;
constexpr int kPageWindowSubmenu = 4;

// Stand-ins for views whose procedures come later: plain windows and plain
// MDI children. The view classes have no background brush, so a plain view
// paints its face itself rather than leave what lay beneath.
LRESULT CALLBACK PlainViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    RECT client{};
    GetClientRect(window, &client);
    FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
    return 1;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
// The message loop translates the frame's accelerators for the frame toolbar
// first, so a bar is sent the commands of the keys: it hands them, as every
// command it is sent, to the frame.
LRESULT CALLBACK PlainButtonBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    HWND frame = Windows().frame;
    return HoldsWindow(frame) && frame != window ? SendMessageW(frame, WM_COMMAND, wParam, lParam) : 0;
  }
  return PlainViewProc(window, message, wParam, lParam);
}
LRESULT CALLBACK PlainDocumentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefMDIChildProcW(window, message, wParam, lParam);
}

WindowProcedureHooks& ProcedureSlots() {
  static WindowProcedureHooks hooks = [] {
    WindowProcedureHooks h;
    h.scoreChild = PlainDocumentProc;
    h.scoreView = PlainViewProc;
    h.outImage = PlainViewProc;
    h.detail = PlainViewProc;
    h.pageChild = PlainDocumentProc;
    h.pageView = PlainViewProc;
    h.buttonBar = PlainButtonBarProc;
    h.pagesPane = PlainViewProc;
    return h;
  }();
  return hooks;
}

struct ClassRow {
  const wchar_t* name;
  UINT style;
  WNDPROC procedure;
  int icon, smallIcon;  // resource ids, 0 for none
  bool arrowCursor;
  int extraBytes;
  HBRUSH background;
};

bool RegisterRow(HINSTANCE instance, const ClassRow& row) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = row.style;
  wc.lpfnWndProc = row.procedure;
  wc.cbWndExtra = row.extraBytes;
  wc.hInstance = instance;
  if (row.icon) wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(row.icon));
  if (row.smallIcon) {
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(row.smallIcon), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  }
  if (row.arrowCursor) wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = row.background;
  wc.lpszClassName = row.name;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

void RegisterProgramClasses(HINSTANCE instance) {
  const WindowProcedureHooks& p = ProcedureSlots();
  const HBRUSH workspace = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_APPWORKSPACE + 1));
  const ClassRow rows[] = {
      {L"DEV_ODI", 0, Event_Dispatcher, IDI_PROGRAM, IDI_PROGRAM_SMALL, true, 0, workspace},
      {L"OutputM", 0, p.scoreChild, IDI_SCORE, IDI_SCORE_SMALL, false, 4, nullptr},
      {L"Output", CS_DBLCLKS, p.scoreView, 0, 0, false, 4, nullptr},
      {L"OutImage", CS_DBLCLKS, p.outImage, 0, 0, false, 4, nullptr},
      {L"Basic", 0, BasicWindowProc, 0, 0, true, 4, nullptr},
      {L"Detail", CS_SAVEBITS, p.detail, 0, 0, true, 4, nullptr},
      {L"ScannedM", 0, p.pageChild, IDI_PAGE, IDI_PAGE, false, 4, nullptr},
      {L"Scanned", CS_DBLCLKS, p.pageView, 0, 0, false, 4, nullptr},
      {L"OwnToolbar", 0, p.buttonBar, 0, 0, true, 4, nullptr},
      {L"CdzKeypad", 0, p.buttonBar, 0, 0, true, 4, nullptr},
      {L"ViewPages", CS_DBLCLKS, p.pagesPane, 0, 0, false, 4, nullptr},
      {L"MyStatic", 0, MyStaticWindowProc, 0, 0, true, 4, nullptr},
  };
  for (const ClassRow& row : rows) RegisterRow(instance, row);
}

namespace {

bool IsSeparatorAt(HMENU menu, int position) {
  MENUITEMINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE;
  return GetMenuItemInfoW(menu, position, TRUE, &info) && (info.fType & MFT_SEPARATOR);
}

// The Send to submenu of a File menu, or null when it is not where it belongs.
HMENU SendToSubmenu(HMENU menu) {
  HMENU file = GetSubMenu(menu, kFileSubmenu);
  return file ? GetSubMenu(file, kSendToPosition) : nullptr;
}

void TrimOneMenu(HMENU menu, int windowSubmenu, const MenuTrim& trim) {
  if (!trim.layeredWindows && windowSubmenu >= 0) {
    HMENU window = GetSubMenu(menu, windowSubmenu);
    if (window && IsSeparatorAt(window, kWindowSeparatorPosition)) {
      DeleteMenu(window, kWindowSeparatorPosition, MF_BYPOSITION);
    }
    DeleteMenu(menu, IDM_WINDOW_TRANSLUCENT_KEYPAD, MF_BYCOMMAND);
  }
  if (!trim.cadenzor) DeleteMenu(menu, IDM_FILE_SEND_TO_CADENZOR, MF_BYCOMMAND);
  if (!trim.r8) DeleteMenu(menu, IDM_FILE_SEND_TO_R8, MF_BYCOMMAND);
  if (!trim.cadenzor && !trim.r8 && SendToSubmenu(menu)) {
    HMENU file = GetSubMenu(menu, kFileSubmenu);
    DeleteMenu(file, kSendToPosition, MF_BYPOSITION);
    // Two separators would now meet: keep one.
    if (IsSeparatorAt(file, kSendToPosition) && IsSeparatorAt(file, kSendToPosition - 1)) {
      DeleteMenu(file, kSendToPosition, MF_BYPOSITION);
    }
  }
}

// An owner-drawn popup: count items from firstId, each item's data its
// index, a new column at each index of breaks.
HMENU BuildSymbolPopup(int firstId, int count, std::initializer_list<int> breaks) {
  HMENU popup = CreatePopupMenu();
  for (int index = 0; index < count; ++index) {
    UINT flags = MF_OWNERDRAW;
    for (int b : breaks) {
      if (b == index) flags |= MF_MENUBARBREAK;
    }
    AppendMenuW(popup, flags, firstId + index, reinterpret_cast<LPCWSTR>(static_cast<INT_PTR>(index)));
  }
  return popup;
}

// Turns the item at a position into a popup opening submenu, keeping its text.
void AttachPopup(HMENU menu, int position, HMENU submenu) {
  wchar_t text[128] = {};
  GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
  ModifyMenuW(menu, position, MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu), text);
}

HMENU BuildScanPopup(HMENU source) {
  HMENU popup = CreatePopupMenu();
  for (UINT id : {IDM_FILE_SCANNER_SETUP, IDM_FILE_SCAN_PAGES, IDM_FILE_SCAN_ONE_PAGE}) {
    wchar_t text[128] = {};
    GetMenuStringW(source, id, text, 128, MF_BYCOMMAND);
    AppendMenuW(popup, MF_STRING, id, text);
  }
  return popup;
}

}  // namespace

void LoadFrameMenus(HINSTANCE instance, const MenuTrim& trim) {
  FrameMenus& m = Menus();
  m.noDocument = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MENU_NO_DOCUMENT));
  m.score = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MENU_SCORE));
  m.page = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MENU_PAGE));
  TrimFrameMenus(m.noDocument, m.score, m.page, trim);

  m.barlinePopup = BuildSymbolPopup(IDM_BARLINE_FIRST, BARLINE_POPUP_COUNT, {4});
  m.clefPopup = BuildSymbolPopup(IDM_CLEF_FIRST, CLEF_POPUP_COUNT, {4, 7, 11, 14});
  m.symbolPopup = BuildSymbolPopup(IDM_SYMBOL_FIRST, SYMBOL_POPUP_COUNT, {2, 7});
  if (HMENU create = GetSubMenu(m.score, kScoreCreateSubmenu)) {
    AttachPopup(create, 1, m.barlinePopup);
    AttachPopup(create, 2, m.clefPopup);
    AttachPopup(create, 7, m.symbolPopup);
  }

  m.pageEdit = GetSubMenu(m.page, kPageEditSubmenu);
  m.pageRead = GetSubMenu(m.page, kPageReadSubmenu);
  m.pageWindow = GetSubMenu(m.page, kPageWindowSubmenu);
  m.scoreWindow = GetSubMenu(m.score, kScoreWindowSubmenu);
  m.noDocumentWindow = nullptr;
  m.scanPopup = BuildScanPopup(m.noDocument);
  m.accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
}

namespace {

HIMAGELIST LoadStrip(HINSTANCE instance, int bitmap, int width) {
  return ImageList_LoadImageW(instance, MAKEINTRESOURCEW(bitmap), width, 0, kTransparentKey, IMAGE_BITMAP,
                              LR_CREATEDIBSECTION);
}

}  // namespace

void LoadSharedImages(HINSTANCE instance) {
  SharedImages& s = Images();
  auto icon = [instance](int id, int size) {
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
  };
  const int large = GetSystemMetrics(SM_CXICON), small = GetSystemMetrics(SM_CXSMICON);
  s.program = icon(IDI_PROGRAM, large);
  s.programSmall = icon(IDI_PROGRAM_SMALL, small);
  s.score = icon(IDI_SCORE, large);
  s.scoreSmall = icon(IDI_SCORE_SMALL, small);
  s.page = icon(IDI_PAGE, small);
  s.clefs = LoadStrip(instance, IDB_CLEFS, CLEF_IMAGE_WIDTH);
  s.barlines = LoadStrip(instance, IDB_BARLINES, BARLINE_IMAGE_WIDTH);
  s.symbols = LoadStrip(instance, IDB_SYMBOLS, SYMBOL_IMAGE_WIDTH);
  s.toolbarA = LoadStrip(instance, IDB_TOOLBAR_A, TOOLBAR_IMAGE_WIDTH);
  s.toolbarB = LoadStrip(instance, IDB_TOOLBAR_B, TOOLBAR_IMAGE_WIDTH);
}

namespace {

// The stored placement when there is one (its length field is that of the
// structure), with the show state kept normal or maximized.
void PlaceFrame(HWND frame) {
  const StoredWindowPlacement& stored = Global().mainWindowPosition;
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof(placement);
  if (stored.length == sizeof(WINDOWPLACEMENT)) {
    placement.flags = stored.flags;
    placement.showCmd = stored.showCommand;
    placement.ptMinPosition = {stored.minX, stored.minY};
    placement.ptMaxPosition = {stored.maxX, stored.maxY};
    placement.rcNormalPosition = {stored.normalLeft, stored.normalTop, stored.normalRight, stored.normalBottom};
    if (placement.showCmd != SW_SHOWNORMAL && placement.showCmd != SW_SHOWMAXIMIZED) {
      placement.showCmd = SW_SHOWMAXIMIZED;
    }
  } else {
    GetWindowPlacement(frame, &placement);
    placement.showCmd = SW_SHOWMAXIMIZED;
  }
  SetWindowPlacement(frame, &placement);
}

HWND CreateFrame(HINSTANCE instance) {
  char16_t title[128] = {};
  platform::LoadUiString(10199, title, 128);
  HWND frame = CreateWindowExW(0, L"DEV_ODI", reinterpret_cast<LPCWSTR>(title), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, Menus().noDocument,
                               instance, nullptr);
  if (frame) DragAcceptFiles(frame, TRUE);
  return frame;
}

}  // namespace

void SetWindowProcedureHooks(const WindowProcedureHooks& hooks) {
  WindowProcedureHooks& slots = ProcedureSlots();
  KeepIfSet(slots.scoreChild, hooks.scoreChild);
  KeepIfSet(slots.scoreView, hooks.scoreView);
  KeepIfSet(slots.outImage, hooks.outImage);
  KeepIfSet(slots.detail, hooks.detail);
  KeepIfSet(slots.pageChild, hooks.pageChild);
  KeepIfSet(slots.pageView, hooks.pageView);
  KeepIfSet(slots.buttonBar, hooks.buttonBar);
  KeepIfSet(slots.pagesPane, hooks.pagesPane);
}

const WindowProcedureHooks& WindowProcedures() { return ProcedureSlots(); }

FrameMenus& Menus() {
  static FrameMenus menus;
  return menus;
}

SharedImages& Images() {
  static SharedImages images;
  return images;
}

void TrimFrameMenus(HMENU noDocument, HMENU score, HMENU page, const MenuTrim& trim) {
  TrimOneMenu(noDocument, -1, trim);
  TrimOneMenu(score, kScoreWindowSubmenu, trim);
  TrimOneMenu(page, kPageWindowSubmenu, trim);
}

void SetInitialCheckMarks(HMENU score, bool layeredWindows) {
  const GlobalSettings& g = Global();
  auto check = [score](UINT id, bool on) { CheckMenuItem(score, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); };
  check(IDM_VIEW_KEYPAD, g.viewPalette);
  check(IDM_VIEW_FULL_DETAIL, g.viewFullDetail);
  check(IDM_VIEW_BAD_TIMING, g.showBadTiming);
  check(IDM_VIEW_VOICE_COLORS, g.showVoiceNumbers);
  check(IDM_VIEW_ATTACHMENT, g.showAttachment);
  check(IDM_VIEW_SHADED_MUSIC, g.shadeUnhighlightedMusic);
  if (layeredWindows) check(IDM_WINDOW_TRANSLUCENT_KEYPAD, g.translucentWindows);
  check(IDM_NOTES_GUITAR_TAB_RHYTHM, g.printGuitarTabRhythm);
}

bool RegisterWindowClasses(HINSTANCE instance) {
  AppWindows& w = Windows();
  w.instance = instance;
  RegisterProgramClasses(instance);

  MenuTrim trim;
  trim.layeredWindows = Capabilities().layeredWindows;
  trim.cadenzor = FindCadenzor() != 0;
  trim.r8 = FindR8() != 0;
  LoadFrameMenus(instance, trim);
  LoadSharedImages(instance);

  w.frame = CreateFrame(instance);
  if (!w.frame) return false;
  PlaceFrame(w.frame);

  w.mdiClient = GetWindow(w.frame, GW_CHILD);
  w.hiddenScore = CreateWindowExW(0, L"Output", L"", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  nullptr, nullptr, instance, nullptr);
  w.scoreToolbar = nullptr;
  w.pageToolbar = nullptr;
  w.outImage = nullptr;
  w.detail = nullptr;
  w.keypad = nullptr;

  SetInitialCheckMarks(Menus().score, trim.layeredWindows);
  return true;
}

void ReleaseSharedResources() {
  FrameMenus& m = Menus();
  HMENU attached = Windows().frame ? GetMenu(Windows().frame) : nullptr;
  for (HMENU* menu : {&m.noDocument, &m.score, &m.page}) {
    if (*menu && *menu != attached) DestroyMenu(*menu);
    *menu = nullptr;
  }
  if (m.scanPopup) DestroyMenu(m.scanPopup);
  if (m.accelerators) DestroyAcceleratorTable(m.accelerators);
  m = FrameMenus();  // the symbol popups went with the score menu
  SharedImages& s = Images();
  for (HIMAGELIST list : {s.clefs, s.barlines, s.symbols, s.toolbarA, s.toolbarB}) {
    if (list) ImageList_Destroy(list);
  }
  for (HICON icon : {s.program, s.programSmall, s.score, s.scoreSmall, s.page}) {
    if (icon) DestroyIcon(icon);
  }
  s = SharedImages();
}
