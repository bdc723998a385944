#include "shell/win32/ScoreWindow.h"

#include <algorithm>
#include <cmath>

#include "pages/CurrentPageData.h"
#include "pages/PageData.h"
#include "pages/PageImageStore.h"
#include "pages/PageTable.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "reading/ReadPageHandOver.h"
#include "render/DrawingState.h"
#include "render/MusicFonts.h"
#include "render/ScorePagePainter.h"
#include "render/win32/GdiDevice.h"
#include "render/win32/ScanStripPane.h"
#include "resources/ResourceIds.h"
#include "score/ScoreFile.h"
#include "score/ScoreFileHooks.h"
#include "score/ScoreStream.h"
#include "shell/KeyCodes.h"
#include "shell/PagesPaneActions.h"
#include "shell/ScoreEditorHooks.h"
#include "shell/ScorePageLink.h"
#include "shell/ScoreViewGeometry.h"
#include "shell/ShellServices.h"
#include "shell/ShortWaits.h"
#include "shell/win32/FrameParts.h"
#include "shell/win32/FrameServiceHooks.h"
#include "shell/win32/ScoreWindowParts.h"
#include "shell/win32/SmallWindows.h"
#include "shell/win32/WindowClasses.h"

namespace {

constexpr int kTitleString = 10218;
constexpr int kStripTop = kScoreToolbarHeight;
// Posted by a paint whose page extent differs from the scroll ranges in use.
constexpr UINT kExtentChanged = WM_APP + 0x340;
// The view's band below the toolbar in the score window's colours.
constexpr int kBandColour = 27;
constexpr int kBandColourR8 = 28;

struct ScoreWindowState {
  int32_t stripUnits = kStripHidden;
  bool zoomToFit = false;
  ScoreScroll scroll;
  int32_t extentWidth = 0, extentHeight = 0;  // of the last layout, pixels
};
ScoreWindowState S;

bool Live(HWND window) { return HoldsWindow(window) && IsWindow(window); }

int ChildClientHeight() {
  RECT client{};
  if (Live(Windows().scoreWindow)) GetClientRect(Windows().scoreWindow, &client);
  return client.bottom;
}

// The page's extent in pixels at the present zoom: the page, or as far as
// the painter reached beyond it.
void MeasureExtent(int32_t* width, int32_t* height) {
  const ScorePainterTables& t = PainterTables();
  const double scale = DrawingState().scale;
  double w = std::max<double>(t.extentRight, ScorePageSize.width);
  double h = std::max<double>(t.extentBottom, ScorePageSize.height);
  if (ScorePages.count <= 0) w = h = 0;
  *width = int32_t(std::lround(w * scale)) + 2 + 102;
  *height = int32_t(std::lround(h * scale)) + 1;
}

void SetBar(HWND view, int bar, int32_t range, int32_t clientSize, int32_t position) {
  SCROLLINFO now{};
  now.cbSize = sizeof now;
  now.fMask = SIF_ALL;
  if (GetScrollInfo(view, bar, &now) && now.nMin == 0 && now.nMax == std::max(range - 1, 0) &&
      now.nPage == UINT(std::max(clientSize, 0)) && now.nPos == position)
    return;  // as it stands: setting it again redraws the bar
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = std::max(range - 1, 0);
  info.nPage = UINT(std::max(clientSize, 0));
  info.nPos = position;
  SetScrollInfo(view, bar, &info, TRUE);
}

void InvalidateStrip() {
  if (Live(Windows().outImage)) InvalidateRect(Windows().outImage, nullptr, FALSE);
}

// The page's own size fits the view; the painter's extent (what the last
// paint reached) only stands in for a score without one.
double FitScale() {
  FitZoomInputs in;
  const ScorePainterTables& t = PainterTables();
  const bool sized = ScorePageSize.width > 1 && ScorePageSize.height > 1;
  in.pageWidth = sized ? double(ScorePageSize.width) : std::max(t.extentRight, 0);
  in.pageHeight = sized ? double(ScorePageSize.height) : std::max(t.extentBottom, 0);
  in.stripUnits = S.stripUnits;
  RECT view{};
  if (Live(Windows().scoreView)) GetClientRect(Windows().scoreView, &view);
  in.viewClientWidth = view.right;
  in.childClientHeight = ChildClientHeight();
  return ClampZoom(FitZoomFactor(in));
}

void SetPaintSettings() {
  ScorePainterSettings& p = PainterSettings();
  const GlobalSettings& g = Global();
  RECT view{};
  if (Live(Windows().scoreView)) GetClientRect(Windows().scoreView, &view);
  p.viewWidth = view.right;
  p.viewHeight = view.bottom;
  p.showVoiceNumbers = g.showVoiceNumbers;
  p.showAttachment = g.showAttachment;
  p.showBadTiming = g.showBadTiming;
  p.shadeUnhighlighted = g.shadeUnhighlightedMusic;
  p.printGuitarTabRhythm = g.printGuitarTabRhythm;
  p.useKeypadColours = General().useR8Keypad;
  p.pageViewMode = false;
  p.imageStripHeight = DrawingState().scale > 0 ? ScoreStripPixels() / DrawingState().scale : 0;
  // Items placed by their boxes on the page image: image pixels to the
  // score's units at the scale the page was read at.
  p.pageBoxPercent = viewPage.width > 0 && viewPage.scaledWidth > 0
                         ? 100.0 * double(viewPage.scaledWidth) / double(viewPage.width)
                         : 100.0;
}

void PaintView(HWND view) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(view, &ps);
  {
    ReadingLock lock;
    SetPaintSettings();
    PaintPane(view, 1 - S.scroll.x, ScoreStripPixels() + S.scroll.y + kStripTop + 1, dc, ps.rcPaint);
  }
  EndPaint(view, &ps);
  int32_t width = 0, height = 0;
  MeasureExtent(&width, &height);
  if (width != S.extentWidth || height != S.extentHeight) PostMessageW(view, kExtentChanged, 0, 0);
}

// The band between the toolbar and the view in the child.
void PaintChild(HWND child) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(child, &ps);
  {
    ReadingLock lock;
    const COLORREF colour = FrameServices().drawingColour(General().useR8Keypad ? kBandColourR8 : kBandColour);
    HBRUSH brush = CreateSolidBrush(colour);
    RECT band{0, kStripTop, 16000, kStripTop + ScoreStripPixels() + 2};
    FillRect(dc, &band, brush);
    DeleteObject(brush);
  }
  EndPaint(child, &ps);
}

void OnChildActivate(HWND child, bool active) {
  AppWindows& w = Windows();
  const FrameMenus& menus = Menus();
  if (active) {
    SendMessageW(w.mdiClient, WM_MDISETMENU, WPARAM(menus.score), LPARAM(menus.scoreWindow));
    InvalidateRect(w.scoreView, nullptr, FALSE);
    ShowScoreToolWindows(true);
  } else {
    ShowScoreToolWindows(false);
  }
  (void)child;
  DrawMenuBar(w.frame);
}

// Leaves the score window: the tool windows go and the slots say "none".
void ForgetScoreWindow() {
  AppWindows& w = Windows();
  DestroyScoreToolWindows();
  w.scoreWindow = ViewMark(kScoreViewMark);
  w.scoreView = ViewMark(kScoreViewMark);
  w.scoreToolbar = nullptr;
  w.outImage = nullptr;
  S.scroll = ScoreScroll{};
  if (Live(w.mdiClient) && !SendMessageW(w.mdiClient, WM_MDIGETACTIVE, 0, 0)) {
    SendMessageW(w.mdiClient, WM_MDISETMENU, WPARAM(Menus().noDocument), 0);
    DrawMenuBar(w.frame);
  }
}

void CreateChildWindows(HWND child) {
  AppWindows& w = Windows();
  RECT client{};
  GetClientRect(child, &client);
  w.scoreWindow = child;
  w.scoreToolbar = CreateScoreToolbar(child, client.right);
  w.outImage = CreateWindowExW(0, L"OutImage", nullptr, WS_CHILD | WS_CLIPSIBLINGS, -1, kStripTop, 65536,
                               ScoreStripPixels(), child, nullptr, w.instance, nullptr);
  w.scoreView = CreateWindowExW(0, L"Output", nullptr, WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | WS_CLIPSIBLINGS,
                                -1, kStripTop, client.right + 1, std::max<LONG>(client.bottom - kStripTop, 0), child,
                                nullptr, w.instance, nullptr);
  CreateScoreToolWindows();
}

// Moves a child window only when its place or size changes: a move repaints.
void PlaceChild(HWND window, int x, int y, int width, int height) {
  RECT now{};
  GetWindowRect(window, &now);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&now), 2);
  if (now.left == x && now.top == y && now.right - now.left == width && now.bottom - now.top == height) return;
  MoveWindow(window, x, y, width, height, TRUE);
}

bool IsChild(HWND window) { return HoldsWindow(Windows().scoreWindow) && window == Windows().scoreWindow; }

LRESULT ChildMessage(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateChildWindows(child);
      break;
    case WM_SIZE:
      if (S.zoomToFit) DrawingState().scale = SnapScoreZoom(FitScale());
      LayoutScoreChild();
      break;
    case WM_PAINT:
      PaintChild(child);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MDIACTIVATE:
      OnChildActivate(child, HWND(lParam) == child);
      break;
    case WM_SETFOCUS:
      if (Live(Windows().scoreView)) SetFocus(Windows().scoreView);
      return 0;
    case WM_QUERYENDSESSION:
      return 1;
    case WM_CLOSE:
      SendMessageW(Windows().mdiClient, WM_MDIDESTROY, WPARAM(child), 0);
      return 0;
    case WM_DESTROY:
      ForgetScoreWindow();
      break;
    case WM_COMMAND:
      return OnScoreChildCommand(LOWORD(wParam)) ? 0 : DefMDIChildProcW(child, message, wParam, lParam);
    default:
      break;
  }
  return DefMDIChildProcW(child, message, wParam, lParam);
}

// Both buttons held: which went down first (0 none, 1 left, 2 right), so
// that the second's press makes one middle-button event.
struct TwoButtons {
  int firstDown = 0;
};
TwoButtons Mouse;

// Hands a button press of the view to the editor; true when it took it.
bool RouteViewMouse(UINT message, WPARAM wParam, LPARAM lParam) {
  const bool alt = GetKeyState(VK_MENU) < 0;
  int kind = 0;
  const bool left = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
  const bool both = (wParam & MK_LBUTTON) && (wParam & MK_RBUTTON);
  if (message == WM_MBUTTONDOWN || (both && Mouse.firstDown != 0)) {
    kind = kViewMouseMiddle;
  } else if (message == WM_LBUTTONDBLCLK) {
    kind = alt ? kViewMouseDoubleAlt : kViewMouseDouble;
  } else {
    kind = (alt ? kViewMouseLeftAlt : kViewMouseLeft) + (left ? 0 : kViewMouseRight);
  }
  if (Mouse.firstDown == 0 && message != WM_MBUTTONDOWN) Mouse.firstDown = left ? 1 : 2;
  const ScoreEditorHooks& editor = EditorHooks();
  if (!editor.routeViewMouse) return false;
  ViewMouseEvent event;
  event.x = short(LOWORD(lParam)) + S.scroll.x;
  event.y = short(HIWORD(lParam)) + S.scroll.y;
  event.kind = kind;
  return editor.routeViewMouse(event);
}

// Hands a key of the view to the editor as its key code; true when it took it.
bool RouteViewKey(WPARAM key) {
  const ScoreEditorHooks& editor = EditorHooks();
  return editor.routeViewKey && editor.routeViewKey(TranslateKeyNow(static_cast<int>(key)));
}

LRESULT ViewMessage(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      if (!IsChild(GetParent(view))) break;  // the hidden score window
      PaintView(view);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case kExtentChanged:
      UpdateScoreScrollBars();
      return 0;
    case WM_SIZE:
      UpdateScoreScrollBars();
      return 0;
    case WM_VSCROLL:
    case WM_HSCROLL: {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      GetScrollInfo(view, message == WM_VSCROLL ? SB_VERT : SB_HORZ, &info);
      ScrollScoreView(message == WM_VSCROLL, LOWORD(wParam), info.nTrackPos);
      return 0;
    }
    case WM_MOUSEWHEEL: {
      const int step = int(std::trunc(GET_WHEEL_DELTA_WPARAM(wParam) / 120.0 * -48));
      if (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) {
        if (step) ZoomScoreView(step < 0 ? kZoomOutFactor : kZoomInFactor);
      } else if (step) {
        const bool vertical = S.scroll.maxY > 0 && !(GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT);
        const int32_t from = vertical ? S.scroll.y : S.scroll.x;
        ScrollScoreView(vertical, kScrollThumbPosition, from + step);
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      SetFocus(view);
      WaitCentiseconds(kViewClickPauseCentiseconds);
      // What the editor does not take shows where the item came from.
      if (!RouteViewMouse(message, wParam, lParam)) LinkScorePointToPage(short(LOWORD(lParam)), short(HIWORD(lParam)));
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      SetFocus(view);
      WaitCentiseconds(kViewClickPauseCentiseconds);
      if (!(wParam & (MK_LBUTTON | MK_RBUTTON))) Mouse.firstDown = 0;
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        if (HCURSOR tool = ScoreKeypadToolCursor()) {
          SetCursor(tool);
          return TRUE;
        }
      }
      break;
    case WM_SYSKEYDOWN:
      if (OnKeypadKey(wParam, lParam, true) || RouteViewKey(wParam)) return 0;
      break;
    case WM_MOUSEMOVE:
      TrackHover(view, lParam);
      LinkScorePointToPage(short(LOWORD(lParam)), short(HIWORD(lParam)));
      return 0;
    case WM_KEYDOWN:
      if (OnKeypadKey(wParam, lParam, true) || RouteViewKey(wParam) || OnScoreViewKey(wParam)) return 0;
      break;
    case WM_SYSCHAR:
      if (GetKeyState(VK_MENU) < 0 && (wParam == '0' || wParam == '1' || wParam == '2')) return 0;
      break;
    case WM_COMMAND:
      if (OnScoreChildCommand(LOWORD(wParam))) return 0;
      break;
    default:
      break;
  }
  return DefWindowProcW(view, message, wParam, lParam);
}

}  // namespace

// ---- The parts the other files of the score window share ----

void LayoutScoreChild() {
  AppWindows& w = Windows();
  if (!Live(w.scoreWindow)) return;
  RECT client{};
  GetClientRect(w.scoreWindow, &client);
  const int strip = ScoreStripPixels();
  if (Live(w.scoreToolbar)) PlaceChild(w.scoreToolbar, 0, 0, client.right, kScoreToolbarHeight);
  if (Live(w.outImage)) {
    PlaceChild(w.outImage, -1, kStripTop, client.right + 1, std::max(strip, 1));
    if (bool(IsWindowVisible(w.outImage)) != (strip > 0)) ShowWindow(w.outImage, strip > 0 ? SW_SHOWNA : SW_HIDE);
  }
  if (Live(w.scoreView)) {
    PlaceChild(w.scoreView, -1, kStripTop + strip, client.right + 1,
               std::max<LONG>(client.bottom - strip - kStripTop, 0));
  }
  InvalidateRect(w.scoreWindow, nullptr, FALSE);
  UpdateScoreScrollBars();
}

void UpdateScoreScrollBars() {
  HWND view = Windows().scoreView;
  if (!Live(view) || !IsChild(GetParent(view))) return;
  RECT client{};
  GetClientRect(view, &client);
  MeasureExtent(&S.extentWidth, &S.extentHeight);
  const ViewScrollRanges r = ComputeViewScrollRanges(S.extentWidth, S.extentHeight, client.right, client.bottom);
  S.scroll.maxX = r.maxX;
  S.scroll.maxY = r.maxY;
  const int32_t x = std::min(S.scroll.x, r.maxX), y = std::min(S.scroll.y, r.maxY);
  const bool moved = x != S.scroll.x || y != S.scroll.y;
  S.scroll.x = x;
  S.scroll.y = y;
  SetBar(view, SB_VERT, r.vertical, client.bottom, y);
  SetBar(view, SB_HORZ, r.horizontal, client.right, x);
  if (moved) {
    InvalidateRect(view, nullptr, FALSE);
    InvalidateStrip();
  }
}

bool OnScoreChildCommand(int id) {
  switch (ClassifyChildCommand(id, PartCount)) {
    // The stave menu and its part dialog are the editor's; until it installs
    // them a choice does nothing. Other ids (print, delete score ...) that
    // reach the window are not staves and go on unchanged.
    case ChildCommand::kStave:
    case ChildCommand::kPartDialog: return true;
    case ChildCommand::kNotOurs: return false;
  }
  return false;
}

// ---- The score window ----

int ScoreStripPixels() {
  return ScanStripPixels(S.stripUnits, DrawingState().scale, ChildClientHeight());
}

const ScoreScroll& CurrentScoreScroll() { return S.scroll; }

void CreateScoreWindow() {
  AppWindows& w = Windows();
  if (Live(w.scoreWindow)) {
    SendMessageW(w.mdiClient, WM_MDIACTIVATE, WPARAM(w.scoreWindow), 0);
    return;
  }
  if (!Live(w.mdiClient)) return;
  char16_t title[128] = {};
  platform::LoadUiString(kTitleString, title, 128);
  MDICREATESTRUCTW create{};
  create.szClass = L"OutputM";
  create.szTitle = reinterpret_cast<LPCWSTR>(title);
  create.hOwner = w.instance;
  create.x = create.y = create.cx = create.cy = CW_USEDEFAULT;
  create.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  HWND child = HWND(SendMessageW(w.mdiClient, WM_MDICREATE, 0, LPARAM(&create)));
  if (!child) return;
  ShowWindow(child, SW_SHOW);
  SendMessageW(w.mdiClient, WM_MDIACTIVATE, WPARAM(child), 0);
  UpdateScoreTitle();
  UpdateScorePageCounter();
  RelayoutScoreView(true);
  if (Live(w.scoreView)) SetFocus(w.scoreView);
  CurrentShellServices().updateCommandStates();
}

void SetScoreZoom(double scale, bool redraw) {
  const double snapped = SnapScoreZoom(scale);
  if (snapped != DrawingState().scale || !MusicFontSet().made) {
    // The music fonts are made for the scale: made again at the new one.
    ReadingLock lock;
    HWND frame = Windows().frame;
    HDC dc = GetDC(frame);
    GdiDevice device(dc);
    SetScoreZoom(snapped, &device);
    ReleaseDC(frame, dc);
  }
  if (!redraw) return;
  LayoutScoreChild();
  if (Live(Windows().scoreView)) InvalidateRect(Windows().scoreView, nullptr, FALSE);
  InvalidateStrip();
}

void ZoomScoreView(double factor) {
  HWND view = Windows().scoreView;
  if (!Live(view)) return;
  RECT client{};
  GetClientRect(view, &client);
  const double scale = DrawingState().scale;
  // The point of the page at the view's centre stays there.
  const double cx = (client.right / 2.0 + S.scroll.x) / scale, cy = (client.bottom / 2.0 + S.scroll.y) / scale;
  const double zoomed = scale * factor;
  if (ZoomWithinLimits(zoomed)) {
    S.zoomToFit = false;
    SetScoreZoom(zoomed, true);
  }
  const double now = DrawingState().scale;
  S.scroll.x = std::clamp(int32_t(std::lround(now * cx - client.right / 2.0)), 0, S.scroll.maxX);
  S.scroll.y = std::clamp(int32_t(std::lround(now * cy - client.bottom / 2.0)), 0, S.scroll.maxY);
  ScrollScoreView(true, kScrollKeepPosition, 0);
  ScrollScoreView(false, kScrollKeepPosition, 0);
  InvalidateRect(view, nullptr, FALSE);
}

void ScrollScoreView(bool vertical, int request, int32_t thumb) {
  HWND view = Windows().scoreView;
  if (!Live(view)) return;
  RECT client{};
  GetClientRect(view, &client);
  int32_t& position = vertical ? S.scroll.y : S.scroll.x;
  const int32_t range = vertical ? S.scroll.maxY : S.scroll.maxX;
  const int32_t target = ScrollTargetFor(request, position, range, vertical ? client.bottom : client.right, thumb);
  if (target < 0) return;
  if (vertical) {
    const ScrollPageTurn turn = PageTurnOfScroll(request, position, target, ScorePages.current, ScorePages.count);
    if (turn.page) {
      ShowScorePage(turn.page, turn.toTop);
      return;
    }
  }
  if (target == position && request != kScrollKeepPosition) return;
  position = target;
  // Setting a bar to where it stands redraws it, and the window with it.
  const int bar = vertical ? SB_VERT : SB_HORZ;
  if (GetScrollPos(view, bar) != position) SetScrollPos(view, bar, position, TRUE);
  InvalidateRect(view, nullptr, FALSE);
  // The strip shows the stave at the view's top, which scrolling may change.
  InvalidateStrip();
}

void ShowScorePage(int page, bool fromTop) {
  if (page < 1 || page > ScorePages.count) return;
  const ShellServices& services = CurrentShellServices();
  const bool turned = page != ScorePages.current;
  if (turned) {
    services.clearScoreUndo();
    ScorePages.current = page;
    if (HandOverHooks& h = CurrentHandOverHooks(); h.findMeterAtPage) h.findMeterAtPage();
  }
  UpdateScorePageCounter();
  LoadScorePageScan();
  RelayoutScoreView(true);
  S.scroll.y = fromTop ? 0 : S.scroll.maxY;
  S.scroll.x = 0;
  UpdateScoreScrollBars();
  services.updateCommandStates();
  // The page turned to tells its reading problem once.
  if (turned) ReportPageProblemIfAny(page);
}

// The scan of the current score page and its data: the strip shows the page
// the score page was read from, and the view's boxes belong to it.
void LoadScorePageScan() {
  if (ScorePages.count <= 0) return;
  const int row = PageRowOfScorePage(ScorePages.current);
  if (row >= 0 && (row != pageTable.currentPage || !viewPage.imageArea)) LoadScanImage(row);
  LoadCurrentPageData(false, false);
}

void RelayoutScoreView(bool redraw) {
  HWND view = Windows().scoreView;
  if (ScorePages.count <= 0) {
    S.stripUnits = kStripHidden;
    LayoutScoreChild();
    if (Live(view)) InvalidateRect(view, nullptr, FALSE);
    return;
  }
  const int row = PageRowOfScorePage(ScorePages.current);
  ResetScorePageLink();
  S.stripUnits = row < 0 ? kStripHidden : ScanStripUnits(ScorePageStaves.rows, int(ScorePageStaves.count));
  if (S.zoomToFit) {
    SetScoreZoom(FitScale(), redraw);
  } else {
    SetScoreZoom(DrawingState().scale, redraw);
  }
  // The keypad and "Detail" follow whether the page has its boxes now.
  if (Live(Windows().scoreWindow)) ShowScoreToolWindows(GetActiveDocument().isScore);
}

void UpdateScoreTitle() {
  HWND child = Windows().scoreWindow;
  if (!Live(child)) return;
  char16_t title[300] = {};
  if (CurrentScore.title[0]) {
    std::copy(CurrentScore.title, CurrentScore.title + kScorePathUnits, title);
  } else {
    platform::LoadUiString(kTitleString, title, 300);
  }
  SetWindowTextW(child, reinterpret_cast<LPCWSTR>(title));
}

void UpdateScorePageCounter() { ShowScorePageNumbers(ScorePages.current, ScorePages.count); }

LRESULT CALLBACK ScoreViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_MDICHILD) return ChildMessage(window, message, wParam, lParam);
  return ViewMessage(window, message, wParam, lParam);
}

// ---- Wiring ----

namespace {

ScoreFileHooks previousScoreHooks;

void SetScoreSaved(int saved) {
  previousScoreHooks.setScoreSaved(saved);
  UpdateScoreTitle();
}
void TitleChanged(const char16_t*) { UpdateScoreTitle(); }
void ShowReadScore() {
  S.scroll = ScoreScroll{};
  CreateScoreWindow();
  RelayoutScoreView(true);
}
void PlaceScoreViews(int show) {
  LayoutScoreChild();
  if (show && Live(Windows().scoreView)) InvalidateRect(Windows().scoreView, nullptr, FALSE);
  InvalidateStrip();
}
// A page was read into the score: its data now hold the boxes of its items.
void ShowMergedPage(int) {
  S.scroll = ScoreScroll{};
  CreateScoreWindow();
  LoadScorePageScan();
  RelayoutScoreView(true);
}
void SetStripScale(double percent) { SetScanStripPercent(percent); }

void SetViewZoom(int command) {
  ActiveDocument doc = GetActiveDocument();
  // The page window's zoom is the page workspace's.
  if (!doc.isScore) return;
  switch (command) {
    case IDM_ZOOM_TO_FIT:
      S.zoomToFit = true;
      SetScoreZoom(FitScale(), true);
      return;
    case IDM_ZOOM_50:
    case IDM_ZOOM_100:
    case IDM_ZOOM_200: {
      static const double kFactors[] = {0.5, 1.0, 2.0};
      S.zoomToFit = false;
      SetScoreZoom(kFactors[command - IDM_ZOOM_50] * kHundredPercentZoom, true);
      return;
    }
    case IDM_ZOOM_IN: ZoomScoreView(kZoomInFactor); return;
    case IDM_ZOOM_OUT: ZoomScoreView(kZoomOutFactor); return;
    default: return;
  }
}

}  // namespace

void InstallScoreWindow() {
  WindowProcedureHooks procedures;
  procedures.scoreChild = ScoreViewProc;
  procedures.scoreView = ScoreViewProc;
  procedures.outImage = ScanStripProc;
  procedures.detail = DetailProc;
  procedures.buttonBar = ButtonBarProc;
  SetWindowProcedureHooks(procedures);

  ShellServices services{};
  services.placeScoreViews = PlaceScoreViews;
  services.setViewZoom = SetViewZoom;
  services.toggleViewOption = ToggleScoreViewOption;
  services.updateCommandStates = UpdateScoreCommandStates;
  SetShellServices(services);

  previousScoreHooks = CurrentScoreFileHooks();
  ScoreFileHooks score{};
  score.setScoreSaved = SetScoreSaved;
  score.updateScoreWindowTitle = TitleChanged;
  score.showReadScore = ShowReadScore;
  score.updatePageCounter = UpdateScorePageCounter;
  SetScoreFileHooks(score);

  CurrentHandOverHooks().showMergedPage = ShowMergedPage;
  InstallScanStripPainters(SetStripScale);
}
