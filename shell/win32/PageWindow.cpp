#include "shell/win32/PageWindow.h"

#include <algorithm>
#include <cstdlib>

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
#include "shell/win32/FrameParts.h"
#include "shell/win32/NoticeDialogs.h"
#include "shell/win32/PageToolbar.h"
#include "shell/win32/PagesPaneWindow.h"
#include "render/win32/DrawingLayer.h"
#include "resources/ResourceIds.h"
#include "shell/ViewDrag.h"
#include "platform/Platform.h"
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

// ---- The page view's zoom: the toolbar, the View menu and the zoom dialog ----
constexpr int kZoomDialogFit = 6, kZoomDialogPrevious = 9;

struct ZoomMemory {
  int previous = 100;
  void (*otherViews)(int command) = nullptr;  // the score window's zoom
};
ZoomMemory& Zooms() {
  static ZoomMemory memory;
  return memory;
}

// A zoom chosen by the user: fit (fitting again as the window is sized), or
// a per cent of 1..999.
void ChooseZoom(bool fit, int percent) {
  PageWorkspace& w = Workspace();
  Zooms().previous = w.zoom;
  w.fitToWindow = fit;
  SetZoom(fit ? (viewPage.width > 0 ? FitZoom() : 100) : std::clamp(percent, 1, 999));
}

void ApplyDialogZoom(int code, int percent) {
  if (code == kZoomDialogFit) ChooseZoom(true, 0);
  else if (code == kZoomDialogPrevious) ChooseZoom(false, Zooms().previous);
  else ChooseZoom(false, percent);
}

void SetViewZoomCommand(int command) {
  if (!GetActiveDocument().isPage) {
    if (Zooms().otherViews) Zooms().otherViews(command);
    return;
  }
  switch (command) {
    case IDM_ZOOM_TO_FIT: ChooseZoom(true, 0); return;
    case IDM_ZOOM_50: ChooseZoom(false, 50); return;
    case IDM_ZOOM_100: ChooseZoom(false, 100); return;
    case IDM_ZOOM_200: ChooseZoom(false, 200); return;
    case IDM_ZOOM_IN: ChooseZoom(false, WheelZoom(Workspace().zoom, true)); return;
    case IDM_ZOOM_OUT: ChooseZoom(false, WheelZoom(Workspace().zoom, false)); return;
    default: return;
  }
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
constexpr int kNewStaveDistance = 64;   // image pixels right of the press
constexpr UINT_PTR kAutoScrollTimer = 0x5D10;
constexpr UINT kAutoScrollMs = 50;
constexpr int kEdgeZone = 2, kAutoScrollStep = 32;
constexpr unsigned kStrMaximumStaves = 10032;
constexpr unsigned kStrLocatingStaves = 10108;

struct DragState {
  bool pressed = false;         // the button is down and no drag has begun
  int pressMode = kNoStaveDrag; // what a drag from the press does
  int mode = kNoStaveDrag;      // the drag that runs
  int pressX = 0, pressY = 0;   // image pixels
  POINT pressWindow{};
  DWORD pressTime = 0;
  POINT last{};                 // the pointer in window pixels
  bool ctrl = false;
  StaveRecord start;            // the selected stave when the drag began
};
DragState& Drag() {
  static DragState drag;
  return drag;
}
bool StaveDragRuns() { return Drag().mode != kNoStaveDrag; }

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

double Scale() { return std::max(1, ShownZoom()) / 100.0; }

POINT ImagePoint(int x, int y) {
  const PageWorkspace& w = Workspace();
  return POINT{static_cast<LONG>((x + w.scrollX - kImageMargin) / Scale()),
               static_cast<LONG>((y + w.scrollY - kImageMargin) / Scale())};
}

int SelectedStave() {
  const int s = StaveView().selected;
  return s >= 0 && s < static_cast<int>(std::min<uint32_t>(viewPage.staveCount, kStaveSlots)) ? s : -1;
}

void Redraw() {
  OverlayView().selected = StaveView().selected;
  OverlayView().dragging = Drag().mode != kNoStaveDrag && Drag().mode != kSizeNewStave ? SelectedStave() : -1;
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

HCURSOR CursorForMode(int mode) {
  switch (mode) {
    case kDragRightEnd:
    case kDragLeftEnd:
    case kDragTopMiddle: return CursorHandle(kCursorMove);
    case kDragBottomLine: return CursorHandle(kCursorSizeNS);
    case kDrawNewStave:
    case kSizeNewStave: return CursorHandle(kCursorNewStave);
    default: return CursorHandle(kCursorDefault);
  }
}

// The cursor over the view: by the drag that runs, else by what lies under
// the pointer (a handle of the selected stave, a stave, the page).
HCURSOR ViewCursor(HWND view) {
  if (StaveDragRuns()) return CursorForMode(Drag().mode);
  POINT pointer{};
  GetCursorPos(&pointer);
  ScreenToClient(view, &pointer);
  const POINT p = ImagePoint(pointer.x, pointer.y);
  ViewLock lock;
  const int selected = SelectedStave();
  const int handle = selected >= 0 ? StaveHandleAt(viewPage, selected, p.x, p.y, Scale()) : -1;
  if (handle > 0) return CursorForMode(handle);
  if (handle == 0 || StaveAtPoint(viewPage, p.x, p.y, Scale()) >= 0) return CursorHandle(kCursorDefault);
  HCURSOR page = CursorHandle(kCursorPageView);
  return page ? page : CursorHandle(kCursorDefault);
}

void StopDragging() {
  DragState& drag = Drag();
  drag.pressed = false;
  drag.mode = kNoStaveDrag;
  if (HWND view = View()) {
    KillTimer(view, kAutoScrollTimer);
    if (GetCapture() == view) ReleaseCapture();
  }
}

// One step of a running drag with the pointer at window point (x, y).
void StaveDragStep(int x, int y) {
  DragState& drag = Drag();
  const POINT p = ImagePoint(x, y);
  {
    ViewLock lock;
    if (drag.mode == kSizeNewStave) SizeDrawnStave(SelectedStave(), drag.pressX, drag.pressY, p.x, p.y);
    else DragSelectedStave(drag.mode, drag.start, p.x - drag.pressX, p.y - drag.pressY, !drag.ctrl);
  }
  SetCursor(CursorForMode(drag.mode));
  Redraw();
  if (HWND view = View()) UpdateWindow(view);
}

// Begins the drag the press asked for, when the pointer has gone far
// enough. False when no drag began (yet).
bool BeginStaveDrag(HWND view, int x, int y) {
  DragState& drag = Drag();
  const bool moved = std::abs(x - drag.pressWindow.x) >= kDragStartDistance ||
                   std::abs(y - drag.pressWindow.y) >= kDragStartDistance;
  if (!moved && GetTickCount() - drag.pressTime < kDragStartDelay * 10) return false;
  if (drag.pressMode == kDrawNewStave) {
    const POINT p = ImagePoint(x, y);
    if (viewPage.staveCount >= static_cast<uint32_t>(kMaxEditedStaves)) {
      drag.pressed = false;
      SetStatusTextById(kStrMaximumStaves);
      DefaultBeep();
      return false;
    }
    // A new stave begins once the pointer is far enough to the right.
    if (p.x - drag.pressX <= kNewStaveDistance) return false;
    ViewLock lock;
    SyncScrollIntoRing();
    PushStaveUndo();
    if (InsertDrawnStave(drag.pressX, drag.pressY, p.x, p.y) < 0) return false;
    drag.mode = kSizeNewStave;
  } else {
    ViewLock lock;
    SyncScrollIntoRing();
    PushStaveUndo();
    drag.start = viewPage.staves[SelectedStave()];
    drag.mode = drag.pressMode;
  }
  drag.pressed = false;
  SetTimer(view, kAutoScrollTimer, kAutoScrollMs, nullptr);
  return true;
}

// Near an edge of the view the pointer is put back inside and the view
// scrolls toward that edge. True when it scrolled.
bool AutoScroll(HWND view, POINT* pointer) {
  RECT client{};
  GetClientRect(view, &client);
  int dx = 0, dy = 0;
  if (pointer->x <= client.left + kEdgeZone) dx = -1;
  else if (pointer->x >= client.right - 1 - kEdgeZone) dx = 1;
  if (pointer->y <= client.top + kEdgeZone) dy = -1;
  else if (pointer->y >= client.bottom - 1 - kEdgeZone) dy = 1;
  if (!dx && !dy) return false;
  // Back to the edge of the zone: held there, the view goes on scrolling at
  // every tick.
  pointer->x = std::clamp<LONG>(pointer->x, client.left + kEdgeZone, client.right - 1 - kEdgeZone);
  pointer->y = std::clamp<LONG>(pointer->y, client.top + kEdgeZone, client.bottom - 1 - kEdgeZone);
  POINT screen = *pointer;
  ClientToScreen(view, &screen);
  SetCursorPos(screen.x, screen.y);
  const int beforeX = Workspace().scrollX, beforeY = Workspace().scrollY;
  if (dx) ScrollTo(view, SB_HORZ, std::max(0, beforeX + dx * kAutoScrollStep));
  if (dy) ScrollTo(view, SB_VERT, std::max(0, beforeY + dy * kAutoScrollStep));
  return Workspace().scrollX != beforeX || Workspace().scrollY != beforeY;
}

// Each move and each tick of the auto-scroll timer during a drag.
void StaveDragAutoScroll(HWND view, POINT pointer) {
  const bool scrolled = AutoScroll(view, &pointer);
  if (!scrolled && pointer.x == Drag().last.x && pointer.y == Drag().last.y) return;
  Drag().last = pointer;
  StaveDragStep(pointer.x, pointer.y);
}

void EndStaveDrag() {
  const bool ran = StaveDragRuns();
  StopDragging();
  SetCursor(CursorHandle(kCursorDefault));
  if (ran) {
    ViewLock lock;
    WritePageStaveData(false);
  }
  Redraw();
}

void ShowViewMenu(HWND view, int x, int y) {
  HMENU bar = Menus().page;
  if (!bar) return;
  for (int i = 0, n = GetMenuItemCount(bar); i < n; ++i) {
    HMENU sub = GetSubMenu(bar, i);
    if (!sub || GetMenuState(sub, IDM_ZOOM_TO_FIT, MF_BYCOMMAND) == UINT(-1)) continue;
    POINT at{x, y};
    ClientToScreen(view, &at);
    SetCursor(CursorHandle(kCursorDefault));
    TrackPopupMenu(sub, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, Windows().frame, nullptr);
    return;
  }
}

void LocateStavesQuietly();

// A press of the left button (doubleClick: its second press), with Ctrl as
// the message says and Alt as held.
void OnViewButtonDown(HWND view, int x, int y, bool doubleClick, bool ctrl) {
  SetFocus(view);
  if (StaveDragRuns() || !MayEdit()) return;
  const bool alt = GetKeyState(VK_MENU) < 0;
  const POINT p = ImagePoint(x, y);
  DragState& drag = Drag();
  drag = DragState{};
  drag.pressX = p.x;
  drag.pressY = p.y;
  drag.pressWindow = POINT{x, y};
  drag.last = drag.pressWindow;
  drag.pressTime = GetTickCount();
  drag.ctrl = ctrl;
  bool locate = false;
  {
    ViewLock lock;
    SyncScrollIntoRing();
    const int selected = SelectedStave();
    const int handle = selected >= 0 ? StaveHandleAt(viewPage, selected, p.x, p.y, Scale()) : -1;
    const int hit = handle >= 0 ? selected : StaveAtPoint(viewPage, p.x, p.y, Scale());
    const int count = static_cast<int>(viewPage.staveCount);
    if (handle >= 0) {
      // A handle or the body of the selected stave: a drag from here moves it.
      drag.pressMode = handle;
      drag.pressed = !doubleClick;
    } else if (hit >= 0) {
      if (alt && selected >= 0 && !JoinOrSplitWithSelected(hit)) DefaultBeep();
      StaveView().selected = hit;
    } else if (alt && count < kMaxEditedStaves) {
      if (selected < 0 || CopySelectedStaveTo(p.y, !ctrl) < 0) DefaultBeep();
    } else if (doubleClick) {
      locate = ctrl;
    } else {
      StaveView().selected = -1;
      drag.pressMode = kDrawNewStave;
      drag.pressed = true;
    }
  }
  if (drag.pressed) SetCapture(view);
  if (locate) LocateStavesQuietly();
  Redraw();
}

void OnViewMouseMove(HWND view, int x, int y) {
  DragState& drag = Drag();
  if (drag.pressed && !BeginStaveDrag(view, x, y)) return;
  if (!StaveDragRuns()) return;
  StaveDragAutoScroll(view, POINT{x, y});
}

void OnAutoScrollTick(HWND view) {
  if (!StaveDragRuns()) {
    KillTimer(view, kAutoScrollTimer);
    return;
  }
  POINT pointer{};
  GetCursorPos(&pointer);
  ScreenToClient(view, &pointer);
  StaveDragAutoScroll(view, pointer);
}

void RunStaveCommand(int code) {
  if (code == 27 && (StaveDragRuns() || Drag().pressed)) {
    // Esc during a drag: the stave goes back to where it was.
    const bool ran = StaveDragRuns();
    StopDragging();
    if (ran) {
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

// ---- Locating the staves, with the progress window ----
void LocatingBegins() {
  char16_t text[64];
  platform::LoadUiString(kStrLocatingStaves, text, 64);
  ShowProgressDialog(text, false, false);
  ShowWaitCursor();
}
void LocatingEnds() {
  CloseProgressDialog();
  ShowArrowCursor();
}
int LocatingProgress(unsigned percent) {
  if (percent <= 100) StepProgressDialog(static_cast<int>(percent));
  return 1;
}
const LocatingHooks kLocatingHooks{LocatingBegins, LocatingEnds, LocatingProgress};

// Finds the shown page's staves again; the page's problem, if locating found
// one, is said.
void LocateAndReport(bool ask, bool withUndo) {
  int found;
  {
    ViewLock lock;
    SyncScrollIntoRing();
    found = LocateStaves(ask, withUndo, &kLocatingHooks);
  }
  const int row = pageTable.currentPage;
  if (found >= 0 && row >= 0) ReportPageProblem(row);
  if (HoldsWindow(Windows().pagesPane)) InvalidateRect(Windows().pagesPane, nullptr, FALSE);
  Redraw();
}

void LocateStavesQuietly() { LocateAndReport(false, true); }
void LocateStavesCommand() {
  if (View()) LocateAndReport(true, true);
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
    case WM_LBUTTONDBLCLK:
      OnViewButtonDown(window, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)),
                       message == WM_LBUTTONDBLCLK, (wParam & MK_CONTROL) != 0);
      return 0;
    case WM_RBUTTONDOWN:
      ShowViewMenu(window, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      return 0;
    case WM_MOUSEMOVE:
      OnViewMouseMove(window, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      return 0;
    case WM_LBUTTONUP:
      EndStaveDrag();
      return 0;
    case WM_CAPTURECHANGED:
      if ((StaveDragRuns() || Drag().pressed) && reinterpret_cast<HWND>(lParam) != window) EndStaveDrag();
      return 0;
    case WM_TIMER:
      if (wParam == kAutoScrollTimer) {
        OnAutoScrollTick(window);
        return 0;
      }
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        SetCursor(ViewCursor(window));
        return TRUE;
      }
      return DefWindowProcW(window, message, wParam, lParam);
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
      // The page stays in the page store: said while the notice is wanted.
      if (Global().showScannedPageWarning) ShowShellDialog(IDD_PAGES_SAVED_NOTICE, Windows().frame);
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
  Windows().pageToolbar = CreatePageToolbar(document, client.right);
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
  UpdatePageToolbar();
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
  UpdatePageToolbar();
}

void SwitchToPage(int row) {
  if (!OpenPageInWorkspace(row)) return;
  ResetPageView(true);
  // A page without staves has them located, unless a page is being read.
  if (!ReadingActive() && viewPage.staveCount == 0) {
    ViewLock lock;
    LocateStaves(false, false, &kLocatingHooks);
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

  PageZoomHooks zoom;
  zoom.applyZoom = ApplyDialogZoom;
  zoom.currentZoom = PageViewZoom;
  SetPageZoomHooks(zoom);
  // The zoom commands reach the page view when its document is active, the
  // score window's views otherwise.
  Zooms().otherViews = CurrentShellServices().setViewZoom;

  ShellServices services{};
  services.setViewZoom = SetViewZoomCommand;
  services.staveViewCommand = RunStaveCommand;
  services.locateStaves = LocateStavesCommand;
  SetShellServices(services);
}
