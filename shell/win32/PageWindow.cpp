#include "shell/win32/PageWindow.h"

#include <algorithm>

#include "pages/PageData.h"
#include "pages/PageImageStore.h"
#include "pages/PageStoreHooks.h"
#include "pages/PageTable.h"
#include "pages/SpriteArea.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "reading/ReadPageHandOver.h"
#include "reading/ReadingThread.h"
#include "render/PageImagePanel.h"
#include "render/win32/OffscreenPane.h"
#include "render/win32/PageImagePanel.h"
#include "shell/PageViewGeometry.h"
#include "shell/StaveEditing.h"
#include "shell/StaveOverlay.h"
#include "shell/ShellServices.h"
#include "reading/StaveLocating.h"
#include "shell/PagesPaneActions.h"
#include "shell/win32/ProgressWindow.h"
#include "shell/win32/ClientMetricsWindow.h"
#include "shell/win32/PagesPaneWindow.h"
#include "shell/win32/SmallWindows.h"
#include "shell/win32/WindowClasses.h"

namespace {

constexpr int kImageMargin = 2;
constexpr int kLineStep = 16;
constexpr int kWheelStep = 48;
constexpr int kOwnScrollCode = 0x8000;

struct PageWorkspace {
  int zoom = 100;
  bool fitToWindow = true;
  int scrollX = 0, scrollY = 0;
};
PageWorkspace& Workspace() {
  static PageWorkspace state;
  return state;
}

HWND Document() { return HoldsWindow(Windows().pageWindow) && IsWindow(Windows().pageWindow) ? Windows().pageWindow : nullptr; }
HWND View() { return HoldsWindow(Windows().pageView) && IsWindow(Windows().pageView) ? Windows().pageView : nullptr; }

void ForgetDocument() {
  Windows().pageWindow = ViewMark(kPageViewMark);
  Windows().pageView = ViewMark(kPageViewMark);
  Windows().pageToolbar = nullptr;
}

// The view's scale: the wait image is always shown at 100 %.
int ShownZoom() { return Workspace().zoom; }

void SetScrollRange(HWND view) {
  RECT client{};
  GetClientRect(view, &client);
  const ScrollExtent extent = PageViewExtent(viewPage.width, viewPage.height, ShownZoom());
  PageWorkspace& w = Workspace();
  const int maxX = std::max(0, extent.width - static_cast<int>(client.right));
  const int maxY = std::max(0, extent.height - static_cast<int>(client.bottom));
  w.scrollX = std::clamp(w.scrollX, 0, maxX);
  w.scrollY = std::clamp(w.scrollY, 0, maxY);
  SCROLLINFO h{sizeof(h), SIF_ALL, 0, extent.width - 1, static_cast<UINT>(client.right), w.scrollX, 0};
  SCROLLINFO v{sizeof(v), SIF_ALL, 0, extent.height - 1, static_cast<UINT>(client.bottom), w.scrollY, 0};
  SetScrollInfo(view, SB_HORZ, &h, TRUE);
  SetScrollInfo(view, SB_VERT, &v, TRUE);
}

int FitZoom() {
  InitClientMetrics();
  RECT client{};
  if (HoldsWindow(Windows().mdiClient)) GetClientRect(Windows().mdiClient, &client);
  return ZoomToFit(client.right, client.bottom, static_cast<int>(viewPage.width), static_cast<int>(viewPage.height));
}

// The page's picture at the view's zoom, made once and kept: a repaint
// copies its visible part rather than reducing the whole page again. It is
// made again when the page, its image or the zoom changes.
class PagePicture {
 public:
  ~PagePicture() { Release(); }
  // The picture for the page view's image at zoom, made when it is not kept.
  HDC For(HDC like, int zoom) {
    const uint8_t* area = viewPage.Area();
    const Key key{area, viewPage.width, viewPage.height, zoom, SampleOf(area)};
    if (memory_ && key == key_) return memory_;
    Release();
    width_ = static_cast<int>(int64_t(viewPage.width) * zoom / 100);
    height_ = static_cast<int>(int64_t(viewPage.height) * zoom / 100);
    if (width_ <= 0 || height_ <= 0) return nullptr;
    memory_ = CreateCompatibleDC(like);
    bitmap_ = memory_ ? CreateCompatibleBitmap(like, width_, height_) : nullptr;
    if (!bitmap_) {
      Release();
      return nullptr;
    }
    old_ = SelectObject(memory_, bitmap_);
    const PageImageSource page{area, viewPage.imageName,
                               PageBitImage{SpriteRows(area), static_cast<int32_t>(viewPage.width),
                                            static_cast<int32_t>(viewPage.height)}};
    const DeviceRect clip{0, 0, width_, height_};
    DrawPageImageRegion(page, 0, -height_, ImageRatio{zoom, zoom, 100, 100}, memory_, &clip, false);
    key_ = key;
    return memory_;
  }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void Release() {
    if (memory_ && old_) SelectObject(memory_, old_);
    if (bitmap_) DeleteObject(bitmap_);
    if (memory_) DeleteDC(memory_);
    memory_ = nullptr;
    bitmap_ = nullptr;
    old_ = nullptr;
    key_ = Key{};
  }

 private:
  struct Key {
    const uint8_t* area = nullptr;
    uint32_t width = 0, height = 0;
    int zoom = 0;
    uint64_t sample = 0;
    bool operator==(const Key& o) const {
      return area == o.area && width == o.width && height == o.height && zoom == o.zoom && sample == o.sample;
    }
  };
  // A hash of bytes spread over the image, so that another page loaded into
  // the same area is told apart.
  static uint64_t SampleOf(const uint8_t* area) {
    if (!area || !viewPage.width || !viewPage.height) return 0;
    const uint64_t bytes = PaddedRowBytes(viewPage.width, 1) * viewPage.height;
    const uint8_t* rows = SpriteRows(area);
    uint64_t hash = 1469598103934665603ull;
    for (uint64_t i = 0; i < 4096; ++i) {
      hash ^= rows[(i * 2654435761ull) % bytes];
      hash *= 1099511628211ull;
    }
    return hash;
  }
  HDC memory_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  int width_ = 0, height_ = 0;
  Key key_;
};

PagePicture& Picture() {
  static PagePicture picture;
  return picture;
}

void PaintPageImage(HDC dc, const RECT& paint) {
  const uint8_t* area = viewPage.Area();
  if (!area || pageTable.currentPage < 0) return;
  OffscreenPane pane(dc, paint, 0, 0);
  if (!pane.Ready()) return;
  const PageWorkspace& w = Workspace();
  const int zoom = ShownZoom();
  const int x = kImageMargin - w.scrollX, top = kImageMargin - w.scrollY;
  HDC picture = Picture().For(pane.Memory(), zoom);
  pane.BeginDrawing();
  POINT origin{};
  SetWindowOrgEx(pane.Memory(), paint.left, paint.top, &origin);
  const int scaledHeight = static_cast<int>(int64_t(viewPage.height) * zoom / 100);
  if (picture) {
    BitBlt(pane.Memory(), x, top, Picture().Width(), Picture().Height(), picture, 0, 0, SRCCOPY);
    DrawPageImageFrame(x, -(top + scaledHeight), Picture().Width(), Picture().Height(), General().useR8Keypad);
  } else {
    const PageImageSource page{area, viewPage.imageName,
                               PageBitImage{SpriteRows(area), static_cast<int32_t>(viewPage.width),
                                            static_cast<int32_t>(viewPage.height)}};
    const DeviceRect clip{paint.left, paint.top, paint.right, paint.bottom};
    DrawPageImageRegion(page, x, -(top + scaledHeight), ImageRatio{zoom, zoom, 100, 100}, pane.Memory(), &clip, true);
  }
  // The staves over the image. The panel draws them itself only for a page
  // whose staves came with its image, and only when it drew the image.
  StaveOverlayView& overlay = OverlayView();
  overlay.x0 = x;
  overlay.y0 = top;
  overlay.scale = zoom / 100.0;
  overlay.locked = PageImageShowsStaveOverlay(area);
  if (picture || !overlay.locked) DrawStaveOverlay();
  SetWindowOrgEx(pane.Memory(), origin.x, origin.y, nullptr);
  pane.EndDrawing();
  pane.CopyToWindow();
}

void OnViewPaint(HWND view) {
  if (pageTable.currentPage < 0) {
    // No page to show: the document goes, after this paint has ended.
    ValidateRect(view, nullptr);
    if (HWND document = Document()) PostMessageW(document, WM_CLOSE, 0, 0);
    return;
  }
  HANDLE mutex = ReadingMutex();
  if (mutex) WaitForSingleObject(mutex, INFINITE);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(view, &ps);
  PaintPageImage(dc, ps.rcPaint);
  EndPaint(view, &ps);
  if (mutex) ReleaseMutex(mutex);
}

void ScrollTo(HWND view, int bar, int position) {
  PageWorkspace& w = Workspace();
  SCROLLINFO info{sizeof(info), SIF_ALL};
  GetScrollInfo(view, bar, &info);
  const int maximum = std::max(0, info.nMax + 1 - static_cast<int>(info.nPage));
  position = std::clamp(position, 0, maximum);
  int& current = bar == SB_HORZ ? w.scrollX : w.scrollY;
  const int change = current - position;
  if (!change) return;
  current = position;
  SetScrollPos(view, bar, position, TRUE);
  if (bar == SB_HORZ) ScrollWindowEx(view, change, 0, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
  else ScrollWindowEx(view, 0, change, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
}

void OnScroll(HWND view, int bar, int code) {
  SCROLLINFO info{sizeof(info), SIF_ALL};
  GetScrollInfo(view, bar, &info);
  RECT client{};
  GetClientRect(view, &client);
  const int page = std::max(1, static_cast<int>(bar == SB_HORZ ? client.right : client.bottom));
  int position = bar == SB_HORZ ? Workspace().scrollX : Workspace().scrollY;
  switch (code) {
    case SB_LINEUP: position -= kLineStep; break;
    case SB_LINEDOWN: position += kLineStep; break;
    case SB_PAGEUP: position -= page; break;
    case SB_PAGEDOWN: position += page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: position = info.nTrackPos; break;
    case SB_TOP: position = 0; break;
    case SB_BOTTOM: position = info.nMax; break;
    case kOwnScrollCode: position = info.nPos; break;
    default: return;
  }
  ScrollTo(view, bar, position);
}

void SetZoom(int zoom) {
  Workspace().zoom = zoom;
  UpdatePageViewCaption();
  if (HWND view = View()) InvalidateRect(view, nullptr, FALSE);
}

void OnWheel(HWND view, int delta) {
  if (GetKeyState(VK_CONTROL) < 0) {
    const int zoom = WheelZoom(Workspace().zoom, delta < 0);
    if (zoom != Workspace().zoom) {
      Workspace().fitToWindow = false;
      SetZoom(zoom);
    }
    return;
  }
  SCROLLINFO info{sizeof(info), SIF_ALL};
  GetScrollInfo(view, SB_VERT, &info);
  const bool vertical = info.nMax + 1 > static_cast<int>(info.nPage) && GetKeyState(VK_SHIFT) >= 0;
  const int step = delta / 120 * -kWheelStep;
  const int bar = vertical ? SB_VERT : SB_HORZ;
  ScrollTo(view, bar, (vertical ? Workspace().scrollY : Workspace().scrollX) + step);
  UpdateWindow(view);
}

void PlaceDocumentChildren(HWND document) {
  RECT client{};
  GetClientRect(document, &client);
  if (HoldsWindow(Windows().pageToolbar))
    MoveWindow(Windows().pageToolbar, 0, 0, client.right, kPageToolbarHeight, TRUE);
  if (HWND view = View())
    MoveWindow(view, 0, kPageToolbarHeight, client.right + 1, std::max(0L, client.bottom - kPageToolbarHeight), TRUE);
}

// ---- Hooks of the page store and the reading ----
void CurrentPageRemoved() { ClosePageWindow(); }
void CaptionChanged() { UpdatePageViewCaption(); }
// The page just read becomes the page view's page; its document, when open,
// shows it.
void ShowReadPage(int firstPage) {
  if (firstPage && Reading().pageIndex >= 0) OpenPageInWorkspace(Reading().pageIndex);
}


// ---- Stave editing by the mouse ----
constexpr int kNewStaveDistance = 64;
enum class StaveDrag { kNone, kPending, kMove, kDrawing };
struct DragState {
  StaveDrag mode = StaveDrag::kNone;
  int pressX = 0, pressY = 0;  // image pixels
  int lastDx = 0, lastDy = 0;
  int stave = -1;
};
DragState& Drag() {
  static DragState drag;
  return drag;
}

class ViewLock {
 public:
  ViewLock() : mutex_(ReadingMutex()) {
    if (mutex_) WaitForSingleObject(mutex_, INFINITE);
  }
  ~ViewLock() {
    if (mutex_) ReleaseMutex(mutex_);
  }
 private:
  HANDLE mutex_;
};

POINT ImagePoint(int x, int y) {
  const PageWorkspace& w = Workspace();
  const double scale = std::max(1, ShownZoom()) / 100.0;
  return POINT{static_cast<LONG>((x + w.scrollX - kImageMargin) / scale),
               static_cast<LONG>((y + w.scrollY - kImageMargin) / scale)};
}

void Redraw() {
  OverlayView().selected = StaveView().selected;
  if (HWND view = View()) InvalidateRect(view, nullptr, FALSE);
}

void SyncScrollIntoRing() {
  StaveView().scrollX = Workspace().scrollX;
  StaveView().scrollY = Workspace().scrollY;
}

bool MayEdit() {
  switch (StaveEditRefused()) {
    case StaveEditRefusal::kPageBeingRead:
      MessageById(nullptr, 11539);
      return false;
    case StaveEditRefusal::kNone:
      return true;
    default:
      return false;
  }
}

void OnViewButtonDown(HWND view, int x, int y) {
  SetFocus(view);
  if (Drag().mode != StaveDrag::kNone || !MayEdit()) return;
  const POINT p = ImagePoint(x, y);
  DragState& drag = Drag();
  drag = DragState{};
  drag.pressX = p.x;
  drag.pressY = p.y;
  {
    ViewLock lock;
    const int hit = StaveAtPoint(viewPage, p.x, p.y, ShownZoom() / 100.0);
    if (hit >= 0 && hit == StaveView().selected) {
      drag.mode = StaveDrag::kMove;
      drag.stave = hit;
    } else if (hit >= 0) {
      StaveView().selected = hit;
    } else {
      StaveView().selected = -1;
      drag.mode = StaveDrag::kPending;
    }
  }
  SetCapture(view);
  Redraw();
}

void OnViewMouseMove(int x, int y) {
  DragState& drag = Drag();
  if (drag.mode == StaveDrag::kNone) return;
  const POINT p = ImagePoint(x, y);
  const int dx = p.x - drag.pressX, dy = p.y - drag.pressY;
  ViewLock lock;
  SyncScrollIntoRing();
  switch (drag.mode) {
    case StaveDrag::kPending:
      // A new stave begins once the pointer is far enough to the right.
      if (dx <= kNewStaveDistance) return;
      PushStaveUndo();
      drag.stave = InsertDrawnStave(drag.pressX, drag.pressY, p.x, p.y);
      if (drag.stave < 0) {
        drag.mode = StaveDrag::kNone;
        SetStatusTextById(10032);
        DefaultBeep();
        return;
      }
      drag.mode = StaveDrag::kDrawing;
      break;
    case StaveDrag::kMove:
      if (dx == drag.lastDx && dy == drag.lastDy) return;
      if (drag.lastDx == 0 && drag.lastDy == 0) PushStaveUndo();
      MoveStave(drag.stave, dx - drag.lastDx, dy - drag.lastDy);
      drag.lastDx = dx;
      drag.lastDy = dy;
      break;
    case StaveDrag::kDrawing: {
      StaveRecord& r = viewPage.staves[drag.stave];
      r.right = static_cast<int16_t>(std::max<LONG>(p.x, r.left + 1));
      r.bottom = static_cast<int16_t>(std::max<LONG>(p.y, r.top + 1));
      r.midX = static_cast<int16_t>((r.left + r.right) / 2);
      ClampStave(viewPage.staves, static_cast<int>(viewPage.staveCount), drag.stave,
                 viewPage.resolution > 0 ? viewPage.resolution : 300, static_cast<int>(viewPage.width),
                 static_cast<int>(viewPage.height));
      viewPage.curvesValid[drag.stave] = 0;
      break;
    }
    default:
      break;
  }
  OverlayView().dragging = drag.stave;
  Redraw();
}

void EndStaveDrag() {
  DragState& drag = Drag();
  const bool changed = drag.mode == StaveDrag::kDrawing || (drag.mode == StaveDrag::kMove && (drag.lastDx || drag.lastDy));
  drag = DragState{};
  OverlayView().dragging = -1;
  if (GetCapture() == View()) ReleaseCapture();
  if (changed) {
    ViewLock lock;
    WritePageStaveData(false);
  }
  Redraw();
}

void RunStaveCommand(int code) {
  if (code == 27 && Drag().mode != StaveDrag::kNone) {
    // Esc during a drag: the stave goes back to where it was.
    const bool changed = Drag().mode == StaveDrag::kDrawing || Drag().lastDx || Drag().lastDy;
    Drag() = DragState{};
    OverlayView().dragging = -1;
    if (GetCapture() == View()) ReleaseCapture();
    if (changed) {
      StaveRing().MarkShownStateKept();
      ViewLock lock;
      UndoStaveEdit();
    }
    Redraw();
    return;
  }
  int done = 0;
  {
    ViewLock lock;
    SyncScrollIntoRing();
    done = StaveViewCommand(code);
  }
  if (done == kStaveCommandRefused) {
    SayPageBeingRead();
    return;
  }
  if (code == 602 || code == 601) {
    Workspace().scrollX = StaveView().scrollX;
    Workspace().scrollY = StaveView().scrollY;
    if (HWND view = View()) SetScrollRange(view);
  }
  Redraw();
}

void OnViewKey(WPARAM key) {
  switch (key) {
    case VK_DELETE: RunStaveCommand(127); break;
    case VK_BACK: RunStaveCommand(8); break;
    case VK_ESCAPE: RunStaveCommand(27); break;
    case '5': RunStaveCommand(53); break;
    case '6': RunStaveCommand(54); break;
    default: break;
  }
}

// ---- Locating the staves from the menu, with the progress window ----
void LocatingBegins() { SetCursor(LoadCursorW(nullptr, IDC_WAIT)); }
void LocatingEnds() { SetCursor(LoadCursorW(nullptr, IDC_ARROW)); }

void LocateStavesCommand() {
  if (!View()) return;
  static const LocatingHooks hooks{LocatingBegins, LocatingEnds, nullptr};
  {
    ViewLock lock;
    LocateStaves(true, true, &hooks);
  }
  const int row = pageTable.currentPage;
  if (row >= 0 && (pageTable.rows[row].flags & kPageHasProblem)) ReportPageProblem(row);
  Redraw();
}
}  // namespace

int PageViewZoom() { return Workspace().zoom; }
void SetPageViewZoom(int zoom) { Workspace().zoom = zoom; }
void PaintPageView(HDC dc, const RECT& paint) { PaintPageImage(dc, paint); }

LRESULT CALLBACK PageViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static const UINT wheelMessage = RegisterWindowMessageW(L"MSWHEEL_ROLLMSG");
  if (message == wheelMessage) {
    OnWheel(window, static_cast<int>(wParam));
    return 0;
  }
  switch (message) {
    case WM_CREATE:
      SetScrollRange(window);
      return 0;
    case WM_SIZE:
      SetScrollRange(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      OnViewPaint(window);
      return 0;
    case WM_HSCROLL:
      OnScroll(window, SB_HORZ, LOWORD(wParam));
      if (lParam) UpdateWindow(window);
      return 0;
    case WM_VSCROLL:
      OnScroll(window, SB_VERT, LOWORD(wParam));
      if (lParam) UpdateWindow(window);
      return 0;
    case WM_MOUSEWHEEL:
      OnWheel(window, GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      OnViewButtonDown(window, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      return 0;
    case WM_MOUSEMOVE:
      OnViewMouseMove(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      return 0;
    case WM_LBUTTONUP:
      EndStaveDrag();
      return 0;
    case WM_CAPTURECHANGED:
      if (Drag().mode != StaveDrag::kNone && reinterpret_cast<HWND>(lParam) != window) EndStaveDrag();
      return 0;
    case WM_KEYDOWN:
      OnViewKey(wParam);
      return 0;
    case WM_COMMAND:
      return 0;
    case WM_DESTROY:
      ForgetDocument();
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK PageChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE: {
      const LRESULT result = DefMDIChildProcW(window, message, wParam, lParam);
      PlaceDocumentChildren(window);
      if (Workspace().fitToWindow && viewPage.width > 0) {
        Workspace().zoom = FitZoom();
        UpdatePageViewCaption();
      }
      if (HWND view = View()) SetScrollRange(view);
      return result;
    }
    case WM_CLOSE:
    case WM_QUERYENDSESSION: {
      ForgetDocument();
      if (message == WM_QUERYENDSESSION) return 1;
      SendMessageW(Windows().mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
      return 0;
    }
    case WM_DESTROY:
      if (Windows().pageWindow == window) ForgetDocument();
      break;
    case WM_MDIACTIVATE: {
      // The page document's menu while it is active; the frame's own when
      // nothing else takes over.
      HWND client = Windows().mdiClient;
      if (reinterpret_cast<HWND>(lParam) == window && Menus().page)
        SendMessageW(client, WM_MDISETMENU, reinterpret_cast<WPARAM>(Menus().page),
                     reinterpret_cast<LPARAM>(Menus().pageWindow));
      else if (!lParam && Menus().noDocument)
        SendMessageW(client, WM_MDISETMENU, reinterpret_cast<WPARAM>(Menus().noDocument), 0);
      if (HoldsWindow(Windows().frame)) DrawMenuBar(Windows().frame);
      CurrentShellServices().updateCommandStates();
      break;
    }
    default:
      break;
  }
  return DefMDIChildProcW(window, message, wParam, lParam);
}

void CreatePageWindow() {
  if (HWND document = Document()) {
    SendMessageW(Windows().mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(document), 0);
    return;
  }
  if (!HoldsWindow(Windows().mdiClient)) return;
  MDICREATESTRUCTW create{};
  create.szClass = L"ScannedM";
  create.szTitle = L"Scanned page";
  const HINSTANCE instance = Windows().instance ? Windows().instance : GetModuleHandleW(nullptr);
  create.hOwner = instance;
  create.x = create.y = create.cx = create.cy = CW_USEDEFAULT;
  create.style = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN |
                 WS_CLIPSIBLINGS | WS_MAXIMIZE;
  HWND document = reinterpret_cast<HWND>(
      SendMessageW(Windows().mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
  if (!document) return;
  Windows().pageWindow = document;
  RECT client{};
  GetClientRect(document, &client);
  Windows().pageToolbar = CreateWindowExW(0, L"OwnToolbar", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                                          kPageToolbarHeight, document, nullptr, instance, nullptr);
  HWND view = CreateWindowExW(0, L"Scanned", nullptr, WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL, 0,
                              kPageToolbarHeight, client.right + 1, std::max(0L, client.bottom - kPageToolbarHeight),
                              document, nullptr, instance, nullptr);
  if (view) Windows().pageView = view;
  ShowWindow(document, SW_SHOWMAXIMIZED);
  PlaceDocumentChildren(document);
  UpdateWindow(document);
}

void UpdatePageViewCaption() {
  HWND document = Document();
  if (HWND view = View()) {
    SetScrollRange(view);
    InvalidateRect(view, nullptr, FALSE);
  }
  if (!document || pageTable.currentPage < 0) return;
  char16_t name[kPageNameUnits];
  PageNameForViews(pageTable.rows[pageTable.currentPage].name, name, kPageNameUnits);
  char16_t caption[256];
  ComposePageViewCaption(name, pageTable.currentPage + 1,
                         static_cast<int>(pageTable.pageCount), Workspace().zoom, false, caption, 256);
  SetWindowTextW(document, reinterpret_cast<const wchar_t*>(caption));
}

bool OpenPageInWorkspace(int row) {
  if (row < 0 || static_cast<uint32_t>(row) >= pageTable.pageCount) return false;
  LoadPageData(&viewPage, row);
  if (!LoadScanImage(row)) {
    MessageById(nullptr, 10012);
    return false;
  }
  pageTable.currentPage = row;
  UpdatePageViewCaption();
  if (HoldsWindow(Windows().pagesPane)) InvalidateRect(Windows().pagesPane, nullptr, FALSE);
  return true;
}

void ResetPageView(bool zoomToFit) {
  PageWorkspace& w = Workspace();
  CreatePageWindow();
  if (zoomToFit && w.fitToWindow) w.zoom = FitZoom();
  w.scrollX = w.scrollY = 0;
  OverlayView().selected = -1;
  OverlayView().dragging = -1;
  StaveView() = StaveViewState{};
  StaveRing().Clear();
  UpdatePageViewCaption();
  ShowStatusClearTime(10085);
}

void SwitchToPage(int row) {
  if (!OpenPageInWorkspace(row)) return;
  ResetPageView(true);
  // A page without staves has them located, unless a page is being read.
  if (!ReadingActive() && viewPage.staveCount == 0) {
    ViewLock lock;
    LocateStaves(false, false, nullptr);
  }
  // The page being read: its staves as the reading thread found them.
  if (ReadingActive() && row == Reading().pageIndex && !LocatingStaves()) {
    HANDLE mutex = ReadingMutex();
    if (mutex) WaitForSingleObject(mutex, INFINITE);
    viewPage.staveCount = readPage.staveCount;
    std::copy(readPage.staves, readPage.staves + kStaveSlots, viewPage.staves);
    std::copy(readPage.curvesValid, readPage.curvesValid + kStaveSlots, viewPage.curvesValid);
    std::copy(readPage.modelCurves, readPage.modelCurves + kStaveSlots, viewPage.modelCurves);
    viewPage.lineCurves = readPage.lineCurves;
    if (mutex) ReleaseMutex(mutex);
  }
  if (HWND view = View()) InvalidateRect(view, nullptr, FALSE);
  ReportPageProblem(row);
}

void ClosePageWindow() {
  if (HWND document = Document()) SendMessageW(document, WM_CLOSE, 0, 0);
}

void InstallPageWindow() {
  WindowProcedureHooks procedures;
  procedures.pageChild = PageChildProc;
  procedures.pageView = PageViewProc;
  SetWindowProcedureHooks(procedures);
  SetPagesPaneOpenPage(SwitchToPage);

  PageStoreHooks store = CurrentPageStoreHooks();
  store.currentPageRemoved = CurrentPageRemoved;
  store.pageWindowCaptionChanged = CaptionChanged;
  SetPageStoreHooks(store);

  CurrentHandOverHooks().showReadPageInWorkspace = ShowReadPage;

  ShellServices services{};
  services.staveViewCommand = RunStaveCommand;
  services.locateStaves = LocateStavesCommand;
  SetShellServices(services);
}
