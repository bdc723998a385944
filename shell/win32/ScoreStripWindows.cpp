// The scan strip "OutImage" under the score toolbar, the "Detail" magnifier
// and the link that shows in both where the item under the pointer was read.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "pages/CurrentPageData.h"
#include "pages/PageData.h"
#include "pages/PageStoreHooks.h"
#include "pages/SpriteDrawHooks.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/PageImageReduction.h"
#include "render/ScorePagePainter.h"
#include "render/win32/PageImagePanel.h"
#include "render/win32/ScanStripPane.h"
#include "resources/ResourceIds.h"
#include "score/ItemSelection.h"
#include "score/ScoreFile.h"
#include "shell/ScorePageLink.h"
#include "shell/ScoreViewGeometry.h"
#include "shell/win32/FrameParts.h"
#include "shell/win32/ScoreWindow.h"
#include "shell/win32/ScoreWindowParts.h"
#include "shell/win32/SmallWindows.h"
#include "shell/win32/ToolWindowPlacement.h"
#include "shell/win32/WindowClasses.h"

namespace {

constexpr int kDetailTitleString = 5;
constexpr int kDetailWidth = 240, kDetailHeight = 150;
// How much larger than the score's own zoom the magnifier shows the page.
constexpr double kDetailMagnification = 2.0;
constexpr COLORREF kDetailPaper = RGB(255, 255, 255);
constexpr COLORREF kLinkFrame = RGB(220, 40, 40);

struct LinkState {
  int row = -1;  // the linked item-index row
  HighlightRegion highlight{};
  double stripPercent = 100.0;
  void (*setStripScale)(double) = nullptr;
};
LinkState Link;

bool Live(HWND window) { return HoldsWindow(window) && IsWindow(window); }

bool PageImageShown() { return viewPage.imageArea != nullptr && viewPage.width > 0 && viewPage.height > 0; }

// The staff row of the linked item; -1 none.
int32_t LinkedStaffRow() {
  const ItemIndex& index = TheScoreViewItems().index;
  if (Link.row < 0 || Link.row >= index.count) return -1;
  return int32_t(index.rows[Link.row].staff);
}

// The page's stave the strip shows: that of the staff row the score view
// shows at its top (or of the linked item), -1 without staves.
int32_t FollowedStave() {
  const ScorePainterTables& tables = PainterTables();
  const int count = std::min<int>({tables.staffRowCount, kStaffRowCapacity, int(ScorePageStaves.count)});
  int32_t middles[kStaffRowCapacity];
  for (int i = 0; i < count; ++i) middles[i] = tables.staffRows[i].middle;
  const int32_t row = StripFollowedRow(middles, count, DrawingState().scale, CurrentScoreScroll().y, LinkedStaffRow());
  if (row >= 0) return row;
  return ScorePageStaves.count > 0 ? 0 : -1;
}

bool FillStripView(ScanStripView* view) {
  const int row = PageRowOfScorePage(ScorePages.current);
  view->scoreHasPages = ScorePages.count > 0;
  view->scannedPageGone = view->scoreHasPages && row < 0;
  view->pageShown = row >= 0 && PageImageShown();
  view->imageLoaded = PageImageShown();
  view->imageWaiting = std::strncmp(viewPage.imageName, "waitimage", 9) == 0;
  view->imageWidth = int32_t(viewPage.width);
  view->imageHeight = int32_t(viewPage.height);
  // The stave the score view shows at its top, or the linked item's.
  const int32_t stave = FollowedStave();
  if (stave >= 0) {
    view->firstStaveTop = ScorePageStaves.rows[stave].top;
    view->firstStaveBottom = ScorePageStaves.rows[stave].bottom;
  }
  view->scoreScale = DrawingState().scale;
  view->pageScale = Link.stripPercent;
  RECT client{};
  if (Live(Windows().outImage)) GetClientRect(Windows().outImage, &client);
  view->paneWidth = client.right;
  view->stripHeight = ScoreStripPixels();
  view->alternativeColours = General().useR8Keypad;
  view->highlightShown = Link.row >= 0;
  view->highlight = Link.highlight;
  return true;
}

int StripHeightForPanes() { return ScoreStripPixels(); }

void PaintStrip(HWND strip) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(strip, &ps);
  {
    ReadingLock lock;
    PaintPane(strip, 1 - CurrentScoreScroll().x, 1, dc, ps.rcPaint);
  }
  EndPaint(strip, &ps);
}

// The page image round the linked item (or the first stave), magnified.
void PaintDetail(HWND detail) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(detail, &ps);
  RECT client{};
  GetClientRect(detail, &client);
  HBRUSH paper = CreateSolidBrush(kDetailPaper);
  FillRect(dc, &client, paper);
  DeleteObject(paper);
  if (PageImageShown() && PageRowOfScorePage(ScorePages.current) >= 0) {
    ReadingLock lock;
    const double factor = DrawingState().scale * Link.stripPercent / 100.0 * kDetailMagnification;
    int32_t cx = int32_t(viewPage.width) / 2, cy = int32_t(viewPage.height) / 2;
    if (Link.row >= 0) {
      cx = (Link.highlight.left + Link.highlight.right) / 2;
      cy = (Link.highlight.top + Link.highlight.bottom) / 2;
    } else if (ScorePageStaves.count > 0) {
      cx = (ScorePageStaves.rows[0].left + ScorePageStaves.rows[0].right) / 2;
      cy = (ScorePageStaves.rows[0].top + ScorePageStaves.rows[0].bottom) / 2;
    }
    const int32_t x = int32_t(std::lround(client.right / 2.0 - cx * factor));
    const int32_t y = int32_t(std::lround(-client.bottom / 2.0 - (double(viewPage.height) - cy) * factor));
    const int32_t per1000 = int32_t(std::lround(factor * 1000.0));
    const uint8_t map[16] = {44, 3};
    if (per1000 > 0) {
      DrawSpriteInto(dc, ClipRect{0, 0, client.right, client.bottom}, viewPage.Area(), viewPage.imageName, x, y,
                     SpriteScale{per1000, per1000, 1000, 1000}, map);
    }
    if (Link.row >= 0) {
      HPEN pen = CreatePen(PS_SOLID, 2, kLinkFrame);
      HGDIOBJ oldPen = SelectObject(dc, pen);
      HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
      const int top = -y - int(std::lround((double(viewPage.height) - Link.highlight.top) * factor));
      const int bottom = -y - int(std::lround((double(viewPage.height) - Link.highlight.bottom) * factor));
      Rectangle(dc, x + int(std::lround(Link.highlight.left * factor)), top,
                x + int(std::lround(Link.highlight.right * factor)), bottom);
      SelectObject(dc, oldBrush);
      SelectObject(dc, oldPen);
      DeleteObject(pen);
    }
  }
  EndPaint(detail, &ps);
}

void InvalidateLinkedPanes() {
  const AppWindows& w = Windows();
  if (Live(w.outImage)) InvalidateRect(w.outImage, nullptr, FALSE);
  if (Live(w.detail) && IsWindowVisible(w.detail)) InvalidateRect(w.detail, nullptr, FALSE);
}

void CheckInMenus(int id, bool on) {
  const FrameMenus& m = Menus();
  for (HMENU menu : {m.noDocument, m.score, m.page, GetMenu(Windows().frame)}) {
    if (menu) CheckMenuItem(menu, UINT(id), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
  }
}

void PlaceDetailAtClientCorner(HWND detail) {
  RECT client{};
  GetWindowRect(Windows().mdiClient, &client);
  RECT own{};
  GetWindowRect(detail, &own);
  const int width = own.right - own.left, height = own.bottom - own.top;
  SetWindowPos(detail, nullptr, client.right - width - 24, client.bottom - height - 8, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The palette of a page image put on the screen: the program's colours, with
// the paper ramp of the highlight in entries 32..239 (4 bytes an entry:
// blue, green, red, 0).
void FillSpritePalette(uint8_t* palette) {
  RgbQuad ramp[256];
  FillHighlightPalette(ramp, SharedPalette[12]);
  for (int i = 0; i < 256; ++i) {
    const RgbQuad& q = i >= 32 && i <= 239 ? ramp[i] : SharedPalette[i];
    palette[4 * i] = q.blue;
    palette[4 * i + 1] = q.green;
    palette[4 * i + 2] = q.red;
    palette[4 * i + 3] = 0;
  }
}

// Detail moves up or down with the linked item's staff row, its x kept,
// inside the MDI client.
void FollowLinkedRowWithDetail() {
  const AppWindows& w = Windows();
  const int32_t staff = LinkedStaffRow();
  const ScorePainterTables& tables = PainterTables();
  if (!Live(w.detail) || !IsWindowVisible(w.detail) || !Live(w.scoreView) || staff < 0 ||
      staff >= std::min(tables.staffRowCount, kStaffRowCapacity))
    return;
  RECT view{}, client{}, own{};
  GetWindowRect(w.scoreView, &view);
  GetWindowRect(w.mdiClient, &client);
  GetWindowRect(w.detail, &own);
  const int32_t height = own.bottom - own.top;
  const int32_t top = DetailTopForRow(tables.staffRows[staff].middle, DrawingState().scale, ScoreStripPixels(),
                                      view.top, CurrentScoreScroll().y, client.top, client.bottom - height);
  if (top != own.top) SetWindowPos(w.detail, nullptr, own.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ToggleDetail() {
  GlobalSettings& g = Global();
  g.viewFullDetail = !g.viewFullDetail;
  CheckInMenus(IDM_VIEW_FULL_DETAIL, g.viewFullDetail);
  ShowScoreToolWindows(GetActiveDocument().isScore);
}

}  // namespace

void SetScanStripPercent(double percent) { Link.stripPercent = percent > 0.0 ? percent : 100.0; }

void InstallScanStripPainters(void (*setStripScale)(double)) {
  Link.setStripScale = setStripScale;
  PanePainters painters;
  painters.imageStripHeight = StripHeightForPanes;
  painters.scanStripView = FillStripView;
  SetPanePainters(painters);
  PageStoreHooks hooks{};
  hooks.setScoreViewScale = setStripScale;
  hooks.placeScoreViews = [] { LayoutScoreChild(); };
  SetPageStoreHooks(hooks);
  SpriteDrawHooks sprites{};
  sprites.fillHighlightPalette = FillSpritePalette;
  SetSpriteDrawHooks(sprites);
}

void ResetScorePageLink() {
  Link.row = -1;
  InvalidateLinkedPanes();
}

void LinkScorePointToPage(int clientX, int clientY) {
  if (ScorePages.count <= 0 || PageBoxesMissing) {
    if (Link.row != -1) ResetScorePageLink();
    return;
  }
  const double scale = DrawingState().scale;
  const ScoreScroll& scroll = CurrentScoreScroll();
  // The painter's page units: one a pixel at scale 1, from the page's corner.
  const int32_t x = int32_t(std::floor((clientX + scroll.x - 1) / scale));
  const int32_t y = int32_t(std::floor((clientY + scroll.y) / scale));
  const int row = LinkedItemRow(TheScoreViewItems().index, x, y, viewPage.boxCount);
  if (row == Link.row) return;
  Link.row = row;
  if (row >= 0) {
    Link.highlight = LinkHighlight(viewPage.boxes[row], scale);
    FollowLinkedRowWithDetail();
  }
  InvalidateLinkedPanes();
}

int LinkedScoreRow() { return Link.row; }

void CreateScoreToolWindows() {
  AppWindows& w = Windows();
  if (Live(w.detail)) return;
  char16_t title[64] = {};
  platform::LoadUiString(kDetailTitleString, title, 64);
  RECT size{0, 0, kDetailWidth, kDetailHeight};
  const DWORD style = WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_CLIPSIBLINGS;
  AdjustWindowRectEx(&size, style, FALSE, WS_EX_TOOLWINDOW);
  w.detail = CreateWindowExW(WS_EX_TOOLWINDOW, L"Detail", reinterpret_cast<LPCWSTR>(title), style, 0, 0,
                             size.right - size.left, size.bottom - size.top, w.frame, nullptr, w.instance, nullptr);
  if (w.detail) PlaceDetailAtClientCorner(w.detail);
  CreateScoreKeypad();
}

void DestroyScoreToolWindows() {
  AppWindows& w = Windows();
  if (Live(w.detail)) DestroyWindow(w.detail);
  w.detail = nullptr;
  DestroyScoreKeypad();
}

void ShowScoreToolWindows(bool active) {
  const AppWindows& w = Windows();
  const bool linked = PageRowOfScorePage(ScorePages.current) >= 0;
  if (Live(w.detail)) ShowWindow(w.detail, active && linked && Global().viewFullDetail ? SW_SHOWNA : SW_HIDE);
  ShowScoreKeypad(active && Global().viewPalette && !PageBoxesMissing);
}

void ToggleScoreViewOption(int command) {
  switch (command) {
    case IDM_VIEW_FULL_DETAIL: ToggleDetail(); return;
    case IDM_VIEW_KEYPAD: ToggleScoreKeypad(); return;
    default: return;
  }
}

LRESULT CALLBACK ScanStripProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
    case WM_DESTROY:
    case WM_MDIACTIVATE:
      return 0;
    case WM_PAINT:
      PaintStrip(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_COMMAND:
      return SendMessageW(Windows().frame, message, wParam, lParam);
    case WM_MOUSEMOVE:
      TrackHover(window, lParam);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK DetailProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      PaintDetail(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
      ToggleDetail();
      return 1;
    case WM_COMMAND:
      return SendMessageW(Windows().frame, message, wParam, lParam);
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_MOVING: {
      SnapMovingToDocumentArea(reinterpret_cast<RECT*>(lParam));
      return TRUE;
    }
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}
