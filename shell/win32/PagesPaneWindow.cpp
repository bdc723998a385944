#include "shell/win32/PagesPaneWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <mutex>
#include <string>

#include "pages/PageData.h"
#include "pages/PageImageStore.h"
#include "pages/PageStoreHooks.h"
#include "pages/PageStoreScoreLinks.h"
#include "pages/PageStoreTexts.h"
#include "pages/PageTable.h"
#include "pages/SpriteDrawing.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "platform/win32/AppWindows.h"
#include "platform/ShellFlags.h"
#include "reading/FileOpenerHooks.h"
#include "reading/ReadPageHandOver.h"
#include "reading/ReadingThread.h"
#include "render/win32/DrawingLayer.h"
#include "render/win32/OffscreenPane.h"
#include "render/win32/PageImagePanel.h"
#include "resources/ResourceIds.h"
#include "score/ScoreFile.h"
#include "shell/ClaimedEventTable.h"
#include "shell/PagesPaneActions.h"
#include "shell/PagesPaneRows.h"
#include "shell/ShellServices.h"
#include "shell/win32/FrameParts.h"
#include "shell/win32/FrameWindow.h"
#include "shell/win32/ScoreWindow.h"
#include "shell/win32/SmallWindows.h"
#include "shell/win32/WindowClasses.h"

namespace {

enum : unsigned {
  kStrPendingPages = 11523,
  kStrReadPages = 11524,
  kStrUnknownScore = 11525,
  kStrReadAs = 11527,
  kStrHandwrittenMusic = 11528,
  kStrPrintedMusic = 11529,
  kStrDontRead = 11530,
  kStrRead = 11531,
  kStrRemove = 11532,
  kStrCancel = 11534,
  kStrCancelling = 11535,
  kStrProblemFound = 11536,
};

constexpr int kBoxSize = 12;
constexpr int kLabelGap = 4;
constexpr int kHeaderBoxSize = 9;
constexpr int kSectionHeadingHeight = 20;
constexpr int kWholeRange = 0x8000;  // the scroll code that takes the bar's own position

const COLORREF kPendingBack = RGB(236, 240, 248);
const COLORREF kReadBack = RGB(240, 244, 236);
const COLORREF kDividerColour = RGB(160, 168, 184);
const COLORREF kRowColour = RGB(210, 222, 244);
const COLORREF kReadRowColour = RGB(214, 232, 206);
const COLORREF kHeaderColour = RGB(190, 200, 180);
const COLORREF kProgressGreen = RGB(90, 200, 90);
const COLORREF kProgressCancel = RGB(220, 40, 40);
const COLORREF kProgressPreparing = RGB(250, 240, 170);
const COLORREF kPreviewBack = RGB(248, 248, 244);
const COLORREF kProblemText = RGB(190, 30, 30);

void (*openPageHook)(int row) = nullptr;

// ---- Hover: the expanded row's preview ----
// The pane's own copy of the hovered row's page (its image and staves).
PageData& PreviewPage() {
  static PageData* page = new PageData{};
  return *page;
}
bool previewLoaded = false;
// The previews and their rectangles (window pixels), recorded by the painter.
bool overEdge = false, overDivider = false;
// A pressed pending row that may become a row drag, and where it was pressed.
int pressedRow = -1;
POINT pressPoint{};
constexpr int kDragDistance = 4;
// Pending rows dragged with the pointer above or below the section scroll
// the section by a row on each step.
constexpr int kDragScrollTimer = 0x5047;
constexpr UINT kDragScrollMs = 80;
int dragScrollStep = 0;

void FreePreview() {
  FreeHandle(&PreviewPage().imageArea);
  PreviewPage().width = PreviewPage().height = 0;
  PreviewPage().staveCount = 0;
  previewLoaded = false;
}

// Loads row's stored page image into the pane's preview page: 1, or 0 when
// it cannot be loaded (no preview is then shown).
int LoadPageThumbnail(PageData* page, int row) { return LoadPageForReading(row, page); }

std::wstring Text(unsigned id) {
  char16_t buffer[256];
  LoadUiString(id, buffer, 256);
  return std::wstring(reinterpret_cast<const wchar_t*>(buffer));
}

HWND Pane() { return HoldsWindow(Windows().pagesPane) ? Windows().pagesPane : nullptr; }

void Repaint() {
  if (HWND pane = Pane()) InvalidateRect(pane, nullptr, FALSE);
}

int ScrollBarWidth() { return GetSystemMetrics(SM_CXVSCROLL); }

int RowRight(const PagesPaneState& pane) { return pane.width - pane.edgeWidth - ScrollBarWidth(); }

bool ReadingRow(int row) { return ReadingActive() && Reading().pageIndex == row; }

// ---- Fonts ----
struct PaneFonts {
  HFONT normal = nullptr, bold = nullptr, italic = nullptr;
  PaneFonts() {
    normal = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    bold = CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    italic = CreateFontW(-12, 0, 0, 0, FW_NORMAL, TRUE, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
  }
};
const PaneFonts& Fonts() {
  static PaneFonts fonts;
  return fonts;
}

int TextWidth(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

// The title shortened to width: its extension dropped, trailing spaces
// removed, then characters taken off the end with an ellipsis appended.
std::wstring FitTextToWidth(HDC dc, std::wstring text, int width) {
  if (TextWidth(dc, text) <= width) return text;
  const size_t dot = text.rfind(L'.');
  if (dot != std::wstring::npos && dot > 0) text.erase(dot);
  while (!text.empty() && text.back() == L' ') text.pop_back();
  if (TextWidth(dc, text) <= width) return text;
  while (!text.empty() && TextWidth(dc, text + L"\u2026") > width) text.pop_back();
  return text + L"\u2026";
}

void FillBox(HDC dc, int x0, int y0, int x1, int y1, COLORREF colour) {
  RECT r{x0, y0, x1, y1};
  SetDCBrushColor(dc, colour);
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void OutlineBox(HDC dc, int x0, int y0, int x1, int y1, COLORREF colour) {
  SetDCPenColor(dc, colour);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, x0, y0, x1, y1);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

// The pane's state marks (resources/art/pane.svg), 12 x 12 each, magenta
// the transparent colour.
enum PaneMark { kMarkTickBox, kMarkTicked, kMarkInWork, kMarkExpanded, kMarkCollapsed, kMarkChoice, kMarkChosen };
void DrawPaneMark(HDC dc, PaneMark mark, int x, int y) {
  static HIMAGELIST marks = ImageList_LoadImageW(Windows().instance, MAKEINTRESOURCEW(IDB_PANE_MARKS), kBoxSize, 0,
                                                 RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION);
  if (marks) ImageList_Draw(marks, mark, dc, x, y, ILD_TRANSPARENT);
}

COLORREF Scaled(COLORREF c, double f) {
  auto s = [f](int v) { return static_cast<BYTE>(std::min(255.0, v * f)); };
  return RGB(s(GetRValue(c)), s(GetGValue(c)), s(GetBValue(c)));
}

// One-pixel lines across the row: over the first 12/32 of the height from
// the row colour to 0.9 of it, then on to 0.88 of it.
void FillShadedBar(HDC dc, int x0, int y0, int x1, int height, COLORREF colour) {
  const int fade = height * 12 / 32;
  for (int i = 0; i < height; ++i) {
    const double f = i < fade ? 1.0 - 0.1 * i / std::max(1, fade)
                              : 0.84 + 0.04 * (i - fade) / std::max(1, height - fade);
    FillBox(dc, x0, y0 + i, x1, y0 + i + 1, Scaled(colour, f));
  }
}

void DrawText(HDC dc, HFONT font, int x, int y, const std::wstring& text, COLORREF colour) {
  HGDIOBJ old = SelectObject(dc, font);
  SetTextColor(dc, colour);
  SetBkMode(dc, TRANSPARENT);
  TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
  SelectObject(dc, old);
}

// ---- Hit zones of a row: the tick box and the "Remove" label ----
struct RowZones {
  RECT tick{}, remove{};
};

RowZones ZonesOfRow(HDC dc, const PagesPaneState& pane, int row, int top) {
  RowZones zones;
  const PageRecord& record = pageTable.rows[row];
  int right = RowRight(pane) - 2;
  if (!IsReadPageRow(record)) {
    zones.tick = {right - kBoxSize, top + 2, right, top + 2 + kBoxSize};
    right -= kBoxSize + kLabelGap + 40;
  }
  if ((record.flags & kPagePaneMark) && !ReadingRow(row)) {
    HGDIOBJ old = SelectObject(dc, Fonts().normal);
    const int w = TextWidth(dc, Text(kStrRemove));
    SelectObject(dc, old);
    zones.remove = {right - w - 4, top, right, top + kPaneRowHeight};
  }
  return zones;
}

// ---- Painting ----
void PaintPageRow(HDC dc, const PagesPaneState& pane, int row, int top) {
  const PageRecord& record = pageTable.rows[row];
  const int left = pane.leftMargin, right = RowRight(pane);
  const bool read = IsReadPageRow(record);
  const bool selected = (record.flags & kPagePaneMark) != 0;
  const bool inWork = ReadingRow(row);
  FillShadedBar(dc, left, top, right, kPaneRowHeight, selected ? Scaled(read ? kReadRowColour : kRowColour, 0.85)
                                                               : (read ? kReadRowColour : kRowColour));
  if (inWork) {
    // The reading's progress over the row.
    const int done = Reading().progressValue.load(), total = Reading().progressScale.load();
    const ProgressBar bar = ReadingProgressBar(right - left, done, total, Flags().abort != 0, LocatingStaves() != 0);
    const COLORREF colour = bar.look == ProgressLook::kCancelling  ? kProgressCancel
                            : bar.look == ProgressLook::kPreparing ? kProgressPreparing
                                                                   : kProgressGreen;
    FillBox(dc, left, top + kPaneRowHeight - 4, left + bar.width, top + kPaneRowHeight - 1, colour);
  }
  const RowZones zones = ZonesOfRow(dc, pane, row, top);
  int textRight = right - 2;
  const bool labels = selected || inWork || row == pane.hoverRow;
  const bool dragged = pane.dragMode == 3 && row == pressedRow;
  if (!read && !dragged) {
    const RECT& t = zones.tick;
    DrawPaneMark(dc, !(record.flags & kPageSelected) ? kMarkTickBox : inWork ? kMarkInWork : kMarkTicked, t.left,
                 t.top);
    textRight = t.left - kLabelGap;
    if (labels) {
      const unsigned label = inWork ? (Flags().abort ? kStrCancelling : kStrCancel)
                                    : ((record.flags & kPageSelected) ? kStrDontRead : kStrRead);
      HGDIOBJ old = SelectObject(dc, Fonts().normal);
      const std::wstring text = Text(label);
      const int w = TextWidth(dc, text);
      SelectObject(dc, old);
      DrawText(dc, Fonts().normal, textRight - w, top + 1, text, RGB(0, 0, 0));
      textRight -= w + kLabelGap;
    }
  }
  if (zones.remove.right > zones.remove.left && !dragged) {
    DrawText(dc, Fonts().normal, zones.remove.left + 2, top + 1, Text(kStrRemove), RGB(0, 0, 160));
    textRight = std::min<int>(textRight, zones.remove.left - kLabelGap);
  }
  if (record.flags & (kPageManyErrors | kPageHasProblem)) {
    HGDIOBJ old = SelectObject(dc, Fonts().normal);
    const std::wstring text = FitTextToWidth(dc, Text(kStrProblemFound), std::max(0, (textRight - left) / 2));
    const int w = TextWidth(dc, text);
    SelectObject(dc, old);
    DrawText(dc, Fonts().normal, textRight - w, top + 1, text, kProblemText);
    textRight -= w + kLabelGap;
  }
  char16_t title[kPageNameUnits + 8];
  PageRowTitle(row, title, kPageNameUnits + 8);
  const HFONT font = row == pageTable.currentPage ? Fonts().bold : Fonts().normal;
  HGDIOBJ old = SelectObject(dc, font);
  const std::wstring fitted = FitTextToWidth(dc, reinterpret_cast<const wchar_t*>(title), textRight - left - 4);
  SelectObject(dc, old);
  const bool grey = static_cast<int8_t>(record.state) < 0;
  DrawText(dc, font, left + 4, top + 1, fitted, grey ? RGB(128, 128, 128) : RGB(0, 0, 0));
}

// The score page (1-based) that holds row's page; 0 for none.
int ScorePageOfRow(int row) { return ScorePageOfKey(pageTable.rows[row].pageKey); }

// The box of w x h fitted into the room (x, y, width, height), keeping its
// proportions, centred.
RECT FitBox(int x, int y, int width, int height, int w, int h) {
  if (w <= 0 || h <= 0 || width <= 0 || height <= 0) return RECT{x, y, x, y};
  int fw = width, fh = static_cast<int>(int64_t(h) * width / w);
  if (fh > height) {
    fh = height;
    fw = static_cast<int>(int64_t(w) * height / h);
  }
  const int left = x + (width - fw) / 2, top = y + (height - fh) / 2;
  return RECT{left, top, left + std::max(1, fw), top + std::max(1, fh)};
}

// Where the expanded row's previews lie when its line begins at top: the
// page image fitted into half the row's width (two thirds for a read page),
// and for a read page of the score the score-page miniature beside it;
// empty rectangles without a preview.
struct PreviewBoxes {
  RECT page{}, score{};
};
PreviewBoxes PreviewBoxesOf(const PagesPaneState& pane, int row, int top) {
  PreviewBoxes boxes;
  const PageData& page = PreviewPage();
  if (!previewLoaded || !page.Area() || !page.width || !page.height) return boxes;
  const bool read = IsReadPageRow(pageTable.rows[row]);
  const int left = pane.leftMargin, width = RowRight(pane) - left;
  const int room = read ? width * 2 / 3 : width / 2;
  const int y0 = top + kPaneRowHeight;
  boxes.page = FitBox(left + 4, y0 + 4, room - 8, pane.previewHeight - 8, int(page.width), int(page.height));
  if (read && IsPageInScore(row))
    boxes.score = FitBox(left + room + 2, y0 + 4, width - room - 6, pane.previewHeight - 24, int(page.width),
                         int(page.height));
  return boxes;
}

// The expanded row's preview below its line: the page image, framed, and
// for a read page of the score a miniature of its score page (the page's
// stave lines at their heights) with its list number.
void PaintRowPreview(HDC dc, const PagesPaneState& pane, int row, int top) {
  const PageRecord& record = pageTable.rows[row];
  const int left = pane.leftMargin, right = RowRight(pane);
  const int y0 = top + kPaneRowHeight, y1 = y0 + pane.previewHeight;
  FillBox(dc, left, y0, right, y1, kPreviewBack);
  OutlineBox(dc, left, y0 - 1, right, y1, RGB(128, 128, 128));
  const PreviewBoxes boxes = PreviewBoxesOf(pane, row, top);
  const RECT& box = boxes.page;
  if (box.right <= box.left) return;
  const PageData& page = PreviewPage();
  const int bw = box.right - box.left, bh = box.bottom - box.top;
  const PageImageSource source{page.Area(), page.imageName,
                               PageBitImage{SpriteRows(page.Area()), static_cast<int32_t>(page.width),
                                            static_cast<int32_t>(page.height)}};
  const DeviceRect clip{box.left, box.top, box.right, box.bottom};
  DrawPageImageRegion(source, box.left, -box.bottom, ImageRatio{bw, bh, int(page.width), int(page.height)}, dc,
                      &clip, false);
  OutlineBox(dc, box.left - 1, box.top - 1, box.right + 1, box.bottom + 1, RGB(0, 0, 0));
  const RECT& mini = boxes.score;
  if (mini.right <= mini.left) return;
  FillBox(dc, mini.left, mini.top, mini.right, mini.bottom, RGB(255, 255, 255));
  OutlineBox(dc, mini.left - 1, mini.top - 1, mini.right + 1, mini.bottom + 1, RGB(0, 0, 0));
  const int mw = mini.right - mini.left, mh = mini.bottom - mini.top;
  for (uint32_t s = 0; s < std::min<uint32_t>(page.staveCount, kStaveSlots); ++s) {
    const StaveRecord& stave = page.staves[s];
    const int lines = std::clamp<int>(stave.lineCount, 1, 6);
    const int x0 = mini.left + int(int64_t(stave.left) * mw / int(page.width));
    const int x1 = mini.left + int(int64_t(stave.right) * mw / int(page.width));
    for (int l = 0; l < lines; ++l) {
      const int y = stave.top + (stave.bottom - stave.top) * l / std::max(1, lines - 1);
      const int py = mini.top + int(int64_t(y) * mh / int(page.height));
      FillBox(dc, x0, py, std::max(x0 + 1, x1), py + 1, RGB(60, 60, 60));
    }
  }
  const int scorePage = ScorePageOfRow(row);
  const std::wstring number = std::to_wstring(record.scorePageNumber > 0 ? record.scorePageNumber : scorePage);
  HGDIOBJ old = SelectObject(dc, Fonts().bold);
  const int nw = TextWidth(dc, number);
  SelectObject(dc, old);
  DrawText(dc, Fonts().bold, (mini.left + mini.right - nw) / 2, mini.bottom + 3, number, RGB(0, 0, 0));
}

std::wstring ScoreFileTitle(const char16_t* path) {
  std::wstring name(reinterpret_cast<const wchar_t*>(path));
  if (name.empty()) return Text(kStrUnknownScore);
  const size_t slash = name.find_last_of(L"\\/:");
  if (slash != std::wstring::npos) name.erase(0, slash + 1);
  const size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos && dot > 0) name.erase(dot);
  return name;
}

void PaintScoreGroupHeader(HDC dc, const PagesPaneState& pane, int row, int top) {
  const PageRecord& record = pageTable.rows[row];
  const int left = pane.leftMargin, right = RowRight(pane);
  FillBox(dc, left, top + 1, right, top + kPaneHeaderHeight - 1, kHeaderColour);
  const int bx = left + 2, by = top + (kPaneHeaderHeight - kHeaderBoxSize) / 2;
  DrawPaneMark(dc, (record.flags & kPageGroupCollapsed) ? kMarkCollapsed : kMarkExpanded, bx, by);
  HGDIOBJ old = SelectObject(dc, Fonts().italic);
  const std::wstring title = FitTextToWidth(dc, ScoreFileTitle(record.scoreName), right - left - 20);
  SelectObject(dc, old);
  DrawText(dc, Fonts().italic, left + 16, top + 2, title, RGB(0, 0, 0));
}

// The "Read as:" line with its two choices; their boxes for the clicks.
RECT readAsChoices[2];

void PaintReadAs(HDC dc, const PagesPaneState& pane) {
  const int y = pane.topMargin + kSectionHeadingHeight;
  DrawText(dc, Fonts().normal, pane.leftMargin + 4, y, Text(kStrReadAs), RGB(0, 0, 0));
  HGDIOBJ old = SelectObject(dc, Fonts().normal);
  const int x = pane.leftMargin + 8 + TextWidth(dc, Text(kStrReadAs));
  SelectObject(dc, old);
  const unsigned texts[2] = {kStrPrintedMusic, kStrHandwrittenMusic};
  const int chosen = Unsaved().readHandwritten ? 1 : 0;
  for (int i = 0; i < 2; ++i) {
    const int top = y + i * 16 + 1;
    readAsChoices[i] = {x, top, x + 150, top + 14};
    DrawPaneMark(dc, i == chosen ? kMarkChosen : kMarkChoice, x, top);
    DrawText(dc, i == chosen ? Fonts().bold : Fonts().normal, x + kBoxSize + 4, top - 1, Text(texts[i]),
             RGB(0, 0, 0));
  }
}

void PaintSection(HDC dc, const PagesPaneState& pane, bool read, int clipTop, int clipBottom) {
  const int scroll = read ? pane.readScroll : pane.pendingScroll;
  HRGN clip = CreateRectRgn(0, clipTop, pane.width, clipBottom);
  SelectClipRgn(dc, clip);
  const int n = static_cast<int>(pageTable.pageCount);
  static PaneRowBox boxes[kMaxPages];
  MeasurePageRows(pageTable, pane, boxes);
  for (int i = 0; i < n; ++i) {
    const PageRecord& record = pageTable.rows[i];
    if (IsReadPageRow(record) != read) continue;
    const PaneRowBox& box = boxes[i];
    if (box.bottom - scroll < clipTop - kPaneHeaderHeight) continue;
    const bool firstOfGroup = read && (i == 0 || !IsReadPageRow(pageTable.rows[i - 1]) ||
                                       std::wcsncmp(reinterpret_cast<const wchar_t*>(pageTable.rows[i - 1].scoreName),
                                                    reinterpret_cast<const wchar_t*>(record.scoreName),
                                                    kScoreNameUnits) != 0);
    const int top = box.top - scroll;
    if (top > clipBottom) break;
    if (firstOfGroup) PaintScoreGroupHeader(dc, pane, i, top - kPaneHeaderHeight);
    if (box.bottom > box.top && box.bottom - scroll >= clipTop) PaintPageRow(dc, pane, i, top);
  }
  // The expanded row lies over the rows below it.
  const int hover = pane.hoverRow;
  if (hover >= 0 && hover < n && IsReadPageRow(pageTable.rows[hover]) == read && pane.dragMode != 3) {
    const PaneRowBox& box = boxes[hover];
    if (box.bottom > box.top) {
      PaintPageRow(dc, pane, hover, box.top - scroll);
      PaintRowPreview(dc, pane, hover, box.top - scroll);
    }
  }
  SelectClipRgn(dc, nullptr);
  DeleteObject(clip);
}

void PaintPagesPane(HDC dc, const PagesPaneState& pane, int width, int height) {
  const int dividerTop = pane.topMargin + pane.pendingHeight;
  const int readTop = dividerTop + pane.dividerHeight;
  FillBox(dc, 0, 0, width, dividerTop, kPendingBack);
  PaintSection(dc, pane, false, pane.topMargin + kPendingRowsTop - 1, dividerTop);
  FillBox(dc, 0, 0, width, pane.topMargin + kPendingRowsTop - 1, kPendingBack);
  DrawText(dc, Fonts().bold, pane.leftMargin + 4, pane.topMargin + 2, Text(kStrPendingPages), RGB(0, 0, 0));
  PaintReadAs(dc, pane);
  FillBox(dc, 0, dividerTop, width, readTop, kDividerColour);
  FillBox(dc, 0, readTop, width, height, kReadBack);
  PaintSection(dc, pane, true, readTop + kSectionHeadingHeight, height - pane.bottomMargin);
  FillBox(dc, 0, readTop, width, readTop + kSectionHeadingHeight, kReadBack);
  DrawText(dc, Fonts().bold, pane.leftMargin + 4, readTop + 2, Text(kStrReadPages), RGB(0, 0, 0));
  // The frame lines at the edge.
  FillBox(dc, width - 1, 0, width, height, RGB(96, 96, 96));
}

void PaintInto(HDC dc, const RECT& paint, int width, int height) {
  OffscreenPane off(dc, paint, 0, 0);
  if (!off.Ready()) return;
  HDC memory = off.Memory();
  SetViewportOrgEx(memory, -paint.left - PagesPane().horizontalScroll, -paint.top, nullptr);
  PaintPagesPane(memory, PagesPane(), width + PagesPane().horizontalScroll, height);
  SetViewportOrgEx(memory, 0, 0, nullptr);
  off.CopyToWindow();
}

void OnPaint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  HANDLE mutex = ReadingMutex();
  if (mutex) WaitForSingleObject(mutex, INFINITE);
  RECT client{};
  GetClientRect(window, &client);
  PaintInto(dc, ps.rcPaint, client.right, client.bottom);
  if (mutex) ReleaseMutex(mutex);
  EndPaint(window, &ps);
}

// ---- Scrolling ----
void PlaceScrollBars(const PagesPaneState& pane) {
  HWND* bars = Windows().pagesPaneScrollBars;
  const int x = pane.width - pane.edgeWidth - ScrollBarWidth();
  const int readVisible = std::max(0, ReadSectionVisibleHeight(pane));
  const int tops[2] = {pane.topMargin, pane.topMargin + pane.dividerHeight + pane.pendingHeight};
  const int heights[2] = {pane.pendingHeight, readVisible};
  const int extents[2] = {pane.pendingExtent, pane.readExtent};
  const int positions[2] = {pane.pendingScroll, pane.readScroll};
  for (int i = 0; i < 2; ++i) {
    if (!bars[i] || !IsWindow(bars[i])) continue;
    SCROLLINFO info{sizeof(info), SIF_ALL | SIF_DISABLENOSCROLL, 0, std::max(extents[i], heights[i]),
                    static_cast<UINT>(heights[i]), positions[i], 0};
    SetScrollInfo(bars[i], SB_CTL, &info, TRUE);
    MoveWindow(bars[i], x, tops[i], ScrollBarWidth(), heights[i], TRUE);
  }
}

void OnVerticalScroll(HWND bar, int code, int thumb) {
  PagesPaneState& pane = PagesPane();
  const bool read = bar == Windows().pagesPaneScrollBars[1];
  int& position = read ? pane.readScroll : pane.pendingScroll;
  const int visible = read ? ReadSectionVisibleHeight(pane) : pane.pendingHeight;
  const int extent = read ? pane.readExtent : pane.pendingExtent;
  int next = position;
  switch (code) {
    case SB_LINEUP: next -= kPaneRowHeight; break;
    case SB_LINEDOWN: next += kPaneRowHeight; break;
    case SB_PAGEUP: next -= std::max(1, visible); break;
    case SB_PAGEDOWN: next += std::max(1, visible); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: next = thumb; break;
    case SB_TOP: next = 0; break;
    case SB_BOTTOM: next = extent; break;
    case kWholeRange: next = GetScrollPos(bar, SB_CTL); break;
    default: return;
  }
  next = std::max(0, std::min(next, extent - visible));
  next -= next % kPaneRowHeight;
  position = next;
  if (pane.dragMode != 3) pane.hoverRow = -1;
  SetScrollPos(bar, SB_CTL, next, TRUE);
  Repaint();
}

// ---- Mouse ----
bool OverEdge(const PagesPaneState& pane, int x) { return x >= pane.width - pane.edgeWidth; }
bool OverDivider(const PagesPaneState& pane, int y) {
  const int top = pane.topMargin + pane.pendingHeight;
  return y >= top && y < top + pane.dividerHeight;
}

// The row's top in window pixels.
int RowTop(const PagesPaneState& pane, int row) {
  const int top = MeasurePageRow(pageTable, pane, row, false).top;
  return top - (IsReadPageRow(pageTable.rows[row]) ? pane.readScroll : pane.pendingScroll);
}

void AfterRowsChanged() {
  WritePageIndex();
  LayoutPagesPane();
  Repaint();
  ScheduleNextPage(1, 0);
}

// Opens the score the row's page was read into: at the row's page with
// showPage, else at the top of its current page. The current score is not
// read again.
void OpenScoreOfPage(int row, bool showPage) {
  if (row < 0 || static_cast<uint32_t>(row) >= pageTable.pageCount) return;
  const PageRecord& record = pageTable.rows[row];
  if (!record.scoreName[0] || record.scorePageNumber < 1) return;
  int page = ScorePageOfRow(row);
  if (!page) {
    char16_t path[kScoreNameUnits];
    std::copy(record.scoreName, record.scoreName + kScoreNameUnits, path);
    if (!ReadScoreFile(path, 0, 0)) return;
    if (const auto opened = CurrentFileOpenerHooks().scoreFileOpened) opened();
    page = showPage ? ScorePageOfRow(row) : 0;
  }
  // Without showPage the score's current page is shown from its top.
  CreateScoreWindow();
  ShowScorePage(showPage && page ? page : std::max(1, ScorePages.current), true);
}

void SelectRow(int row, bool control, bool shift) {
  PageRecord* rows = pageTable.rows;
  const int n = static_cast<int>(pageTable.pageCount);
  int first = -1, last = -1, selected = 0;
  for (int i = 0; i < n; ++i)
    if (rows[i].flags & kPagePaneMark) {
      if (first < 0) first = i;
      last = i;
      ++selected;
    }
  if (shift && selected) {
    if (row > last) {
      for (int i = last + 1; i <= row; ++i) rows[i].flags |= kPagePaneMark;
    } else if (row < first) {
      for (int i = row; i < first; ++i) rows[i].flags |= kPagePaneMark;
    } else if (row >= (first + last) / 2) {
      for (int i = row + 1; i <= last; ++i) rows[i].flags &= ~kPagePaneMark;
    } else {
      for (int i = first; i < row; ++i) rows[i].flags &= ~kPagePaneMark;
    }
    return;
  }
  if (!control) {
    for (int i = 0; i < n; ++i)
      if (i != row || selected > 1) rows[i].flags &= ~kPagePaneMark;
  }
  rows[row].flags ^= kPagePaneMark;
}

void ToggleScoreGroup(int headerRow) {
  const PageRecord& header = pageTable.rows[headerRow];
  const bool collapse = !(header.flags & kPageGroupCollapsed);
  for (uint32_t i = 0; i < pageTable.pageCount; ++i) {
    PageRecord& record = pageTable.rows[i];
    if (!IsReadPageRow(record) || _wcsicmp(reinterpret_cast<const wchar_t*>(record.scoreName),
                                           reinterpret_cast<const wchar_t*>(header.scoreName)) != 0)
      continue;
    if (collapse) record.flags = (record.flags | kPageGroupCollapsed) & ~kPagePaneMark;
    else record.flags &= ~kPageGroupCollapsed;
  }
  PagesPane().hoverRow = -1;
  FreePreview();
  LayoutPagesPane();
  Repaint();
}

// A double click or a right click: the same for both.
void OnOpenClick(int x, int y) {
  PagesPaneState& pane = PagesPane();
  if (OverEdge(pane, x)) {
    TogglePagesPane();
    return;
  }
  bool onHeader = false;
  const int row = HitTestPageRow(pageTable, pane, x, y, false, &onHeader);
  if (row < 0) return;
  if (onHeader) {
    const bool collapsed = (pageTable.rows[row].flags & kPageGroupCollapsed) != 0;
    ToggleScoreGroup(row);
    if (x >= pane.leftMargin + 12 && collapsed) OpenScoreOfPage(row, false);
    return;
  }
  if (pane.hotZone && pane.hoverRow == row) return;
  const int16_t clicked = pageTable.rows[row].scanId;
  if (!IsReadPageRow(pageTable.rows[row])) {
    if (openPageHook) openPageHook(row);
  } else {
    OpenScoreOfPage(row, true);
  }
  TogglePaneMark(clicked);
  Repaint();
}

void OnClick(HWND window, int x, int y) {
  PagesPaneState& pane = PagesPane();
  bool onHeader = false;
  const int row = HitTestPageRow(pageTable, pane, x, y, false, &onHeader);
  // The previews of the expanded row.
  const POINT p{x, y};
  if (!onHeader && pane.hoverRow >= 0 && static_cast<uint32_t>(pane.hoverRow) < pageTable.pageCount) {
    const PreviewBoxes boxes = PreviewBoxesOf(pane, pane.hoverRow, RowTop(pane, pane.hoverRow));
    if (PtInRect(&boxes.page, p)) {
      if (openPageHook) openPageHook(pane.hoverRow);
      return;
    }
    if (PtInRect(&boxes.score, p)) {
      OpenScoreOfPage(pane.hoverRow, true);
      return;
    }
  }
  if (row < 0) {
    // The "Read as:" choices.
    for (int i = 0; i < 2; ++i) {
      const POINT q{x + pane.horizontalScroll, y};
      if (!ReadingActive() && PtInRect(&readAsChoices[i], q)) {
        Unsaved().readHandwritten = i == 1;
        if (i == 1) ShowHandwrittenWarning();
        Repaint();
        SaveGeneralSettings();
      }
    }
    return;
  }
  if (onHeader) {
    if (x < pane.leftMargin + 12) ToggleScoreGroup(row);
    return;
  }
  HDC dc = GetDC(window);
  const RowZones zones = ZonesOfRow(dc, pane, row, RowTop(pane, row));
  ReleaseDC(window, dc);
  if (PtInRect(&zones.tick, p)) {
    if (TickPageRows(row)) AfterRowsChanged();
    return;
  }
  if (PtInRect(&zones.remove, p)) {
    if (!AskPageStoreQuestion(kTextRemovePagesQuestion)) return;
    pane.hoverRow = -1;
    FreePreview();
    if (RemovePageRows(row)) {
      AfterRowsChanged();
      for (HWND w : {Windows().scoreView, Windows().outImage, Windows().detail})
        if (HoldsWindow(w) && IsWindow(w)) InvalidateRect(w, nullptr, FALSE);
    }
    return;
  }
  SelectRow(row, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0);
  Repaint();
  // A pending row may be dragged to another place among the pending rows.
  if (!IsReadPageRow(pageTable.rows[row])) {
    pressedRow = row;
    pressPoint = p;
  }
}

void PlaceFrameChildren() {
  if (HoldsWindow(Windows().frame)) OnFrameSize(Windows().frame);
}

void ShowPaneCursor(int slot) {
  HCURSOR cursor = CursorHandle(slot);
  SetCursor(cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW));
}

// Hover tracking: the row under the pointer is expanded with its preview;
// what the pointer is over inside it (the previews, the tick box, "Remove").
void TrackPagesPaneHover(HWND window, int x, int y) {
  PagesPaneState& pane = PagesPane();
  if (pane.width < 1 || pane.dragMode || GetCapture() == window) return;
  overEdge = OverEdge(pane, x);
  overDivider = OverDivider(pane, y);
  const POINT p{x + pane.horizontalScroll, y};
  pane.hoverChoice = PtInRect(&readAsChoices[1], p) ? 1 : PtInRect(&readAsChoices[0], p) ? 2 : 0;
  bool onHeader = false;
  int row = overEdge ? -1 : HitTestPageRow(pageTable, pane, x, y, true, &onHeader);
  pane.hoverHeader = onHeader ? row : -1;
  if (onHeader) row = -1;
  const int zoneBefore = pane.hotZone;
  if (row != pane.hoverRow) {
    pane.hotZone = 0;
    FreePreview();
    pane.hoverRow = row;
    if (row >= 0) previewLoaded = LoadPageThumbnail(&PreviewPage(), row) != 0;
    Repaint();
  } else if (row >= 0) {
    const POINT q{x, y};
    const PreviewBoxes boxes = PreviewBoxesOf(pane, row, RowTop(pane, row));
    pane.hotZone = PtInRect(&boxes.page, q) ? 1 : PtInRect(&boxes.score, q) ? 2 : 0;
    if (!pane.hotZone) {
      HDC dc = GetDC(window);
      const RowZones zones = ZonesOfRow(dc, pane, row, RowTop(pane, row));
      ReleaseDC(window, dc);
      if (PtInRect(&zones.tick, q)) pane.hotZone = 3;
      else if (PtInRect(&zones.remove, q)) pane.hotZone = 4;
    }
    if (pane.hotZone != zoneBefore) Repaint();
  }
  ShowPaneCursor(overEdge ? kCursorSizeWE : overDivider ? kCursorSizeNS : kCursorDefault);
}

// A pending row dragged to the pending row under the pointer: the records
// between shift by one, and the rows that name records follow them.
void DragPageRow(int y) {
  PagesPaneState& pane = PagesPane();
  int step = 0;
  const int target = PendingDropRow(pageTable, pane, y, &step);
  if (target >= 0 && target != pressedRow) {
    bool shownMoved = false;
    {
      std::lock_guard<std::mutex> lock(PageTableLock());
      int reading = ReadingActive() ? Reading().pageIndex : -1;
      int shown = pageTable.currentPage;
      int* followers[] = {&reading, &shown};
      MovePageRow(&pageTable, pressedRow, target, followers, 2);
      if (ReadingActive()) Reading().pageIndex = reading;
      shownMoved = pageTable.currentPage != shown;
      pageTable.currentPage = shown;
    }
    if (shownMoved) CurrentPageStoreHooks().pageWindowCaptionChanged();
    pressedRow = target;
  }
  dragScrollStep = step;
  if (step) {
    pane.pendingScroll = std::clamp(pane.pendingScroll + step, 0, std::max(0, pane.pendingExtent - pane.pendingHeight));
    PlaceScrollBars(pane);
  }
  ShowPaneCursor(y < pane.topMargin + pane.pendingHeight ? kCursorPages0 : kCursorPages0 + 1);
  Repaint();
}

void OnMouseMove(HWND window, int x, int y, bool buttonDown) {
  PagesPaneState& pane = PagesPane();
  if (pane.dragMode == 1) {
    int width = x + (pane.edgeWidth + 1) / 2;
    if (width < kNarrowestPane) width = kClosedPaneWidth;
    Frame().paneWidth = std::min(width, LargestPaneWidth(Windows().frame));
    PlaceFrameChildren();
    return;
  }
  if (pane.dragMode == 2) {
    RECT client{};
    GetClientRect(window, &client);
    const int half = int(client.bottom) / 2;
    const int lowest = std::min(kNarrowestPane, half), highest = std::max(int(client.bottom) - kNarrowestPane, half);
    Frame().paneSplit = std::clamp(y - pane.topMargin - 1, lowest, highest);
    LayoutPagesPane();
    Repaint();
    return;
  }
  if (pane.dragMode == 3) {
    DragPageRow(y);
    return;
  }
  if (buttonDown && pressedRow >= 0 &&
      (std::abs(x - pressPoint.x) >= kDragDistance || std::abs(y - pressPoint.y) >= kDragDistance)) {
    pane.dragMode = 3;
    pane.hoverRow = -1;
    FreePreview();
    SetCapture(window);
    SetTimer(window, kDragScrollTimer, kDragScrollMs, nullptr);
    DragPageRow(y);
    return;
  }
  TrackPagesPaneHover(window, x, y);
  TRACKMOUSEEVENT leave{sizeof(leave), TME_LEAVE, window, 0};
  TrackMouseEvent(&leave);
}

void OnButtonDown(HWND window, int x, int y) {
  PagesPaneState& pane = PagesPane();
  pressedRow = -1;
  if (OverEdge(pane, x)) pane.dragMode = 1;
  else if (OverDivider(pane, y)) pane.dragMode = 2;
  if (pane.dragMode) {
    SetCapture(window);
    return;
  }
  OnClick(window, x, y);
}

void EndDrag(HWND window) {
  PagesPaneState& pane = PagesPane();
  const int mode = pane.dragMode;
  const int moved = pressedRow;
  pressedRow = -1;
  if (!mode) return;
  pane.dragMode = 0;
  KillTimer(window, kDragScrollTimer);
  dragScrollStep = 0;
  if (GetCapture() == window) ReleaseCapture();
  if (mode == 3) {
    // The moved row is deselected and the reading order taken from the rows.
    if (moved >= 0 && static_cast<uint32_t>(moved) < pageTable.pageCount) {
      std::lock_guard<std::mutex> lock(PageTableLock());
      pageTable.rows[moved].flags &= ~kPagePaneMark;
    }
    WritePageIndex();
    ShowPaneCursor(kCursorDefault);
    Repaint();
    ScheduleNextPage(1, 0);
    return;
  }
  Global().viewPagesPaneSizeX = static_cast<uint32_t>(std::max(Frame().paneWidth, kClosedPaneWidth));
  Repaint();
}

void ClearHover() {
  PagesPaneState& pane = PagesPane();
  if (pane.dragMode) return;
  overEdge = overDivider = false;
  pane.hoverHeader = -1;
  pane.hoverChoice = 0;
  pane.hotZone = 0;
  if (pane.hoverRow < 0) return;
  pane.hoverRow = -1;
  FreePreview();
  Repaint();
}

// The pane scrolled sideways: line 16, page the bar's page, the thumb, the
// ends and the private code that takes the bar's own position.
void OnHorizontalScroll(HWND window, int code, int thumb) {
  PagesPaneState& pane = PagesPane();
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  GetScrollInfo(window, SB_HORZ, &info);
  const int range = std::max(0, info.nMax - std::max(0, int(info.nPage) - 1));
  int next = pane.horizontalScroll;
  switch (code) {
    case SB_LINELEFT: next -= kPaneRowHeight; break;
    case SB_LINERIGHT: next += kPaneRowHeight; break;
    case SB_PAGELEFT: next -= std::max(1, int(info.nPage)); break;
    case SB_PAGERIGHT: next += std::max(1, int(info.nPage)); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: next = thumb; break;
    case SB_LEFT: next = 0; break;
    case SB_RIGHT: next = range; break;
    case kWholeRange: next = info.nPos; break;
    default: return;
  }
  next = std::clamp(next, 0, range);
  if (next == pane.horizontalScroll) return;
  pane.horizontalScroll = next;
  if (pane.dragMode != 3) pane.hoverRow = -1;
  SetScrollPos(window, SB_HORZ, next, TRUE);
  Repaint();
}

// ---- Services ----
// Refreshes the pane and shows row; where the row now stands.
int RefreshAndShow(int row);
bool IsScorePageKey(uint32_t key) { return ScorePageOfKey(key) != 0; }
int* ProblemRows(int** count) {
  *count = &PageProblems().count;
  return PageProblems().rows;
}
void SetNextPageTimer(int delayMs) {
  if (HoldsWindow(Windows().frame)) SetTimer(Windows().frame, kReadNextPageTimer, static_cast<UINT>(delayMs), nullptr);
}
void ReadNextFromOpener() { ScheduleNextPage(0, 0); }
void RefreshAfterOpening() { RefreshPagesPane(0, -1); }

}  // namespace

LRESULT CALLBACK PagesPaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static const UINT wheelMessage = RegisterWindowMessageW(L"MSWHEEL_ROLLMSG");
  if (message == wheelMessage) return 0;
  const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
  switch (message) {
    case WM_CREATE:
      Windows().pagesPane = window;
      LayoutPagesPane();
      return 0;
    case WM_SIZE:
      LayoutPagesPane();
      Repaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_VSCROLL:
      if (lParam) OnVerticalScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_HSCROLL:
      if (!lParam) OnHorizontalScroll(window, LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(window, x, y, (wParam & MK_LBUTTON) != 0);
      return 0;
    case WM_MOUSELEAVE:
    case WM_NCMOUSEMOVE:
      ClearHover();
      return message == WM_NCMOUSEMOVE ? DefWindowProcW(window, message, wParam, lParam) : 0;
    case WM_LBUTTONDOWN:
      OnButtonDown(window, x, y);
      return 0;
    case WM_LBUTTONUP:
      EndDrag(window);
      return 0;
    case WM_CAPTURECHANGED:
      if (PagesPane().dragMode && reinterpret_cast<HWND>(lParam) != window) EndDrag(window);
      return 0;
    case WM_TIMER:
      if (wParam == kDragScrollTimer) {
        if (PagesPane().dragMode == 3 && dragScrollStep) {
          POINT pointer{};
          GetCursorPos(&pointer);
          ScreenToClient(window, &pointer);
          DragPageRow(pointer.y);
        }
        return 0;
      }
      DispatchClaimedTimers(window, static_cast<int32_t>(wParam));
      return 0;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
      if (PagesPane().dragMode) return 0;
      OnOpenClick(x, y);
      return 0;
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED:
      if (message == WM_PALETTECHANGED && reinterpret_cast<HWND>(wParam) == window) return 0;
      Repaint();
      return message == WM_QUERYNEWPALETTE;
    case WM_MOUSEWHEEL:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_COMMAND:
      return 0;
    case WM_CLOSE:
    case WM_DESTROY:
      Windows().pagesPane = nullptr;
      return 0;
    case WM_QUERYENDSESSION:
      Windows().pagesPane = nullptr;
      return 1;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void LayoutPagesPane() {
  HWND pane = Pane();
  if (!pane) return;
  RECT client{};
  GetClientRect(pane, &client);
  PagesPaneState& state = PagesPane();
  state.width = client.right;
  if (Frame().paneSplit > 0) state.pendingHeight = Frame().paneSplit;
  LayOutPaneSections(pageTable, &state, client.bottom);
  PlaceScrollBars(state);
}

void ScrollPagesPaneToRow(int row) {
  if (row < 0 || static_cast<uint32_t>(row) >= pageTable.pageCount) return;
  PagesPaneState& pane = PagesPane();
  const PageRecord& record = pageTable.rows[row];
  if (IsReadPageRow(record)) {
    bool changed = false;
    for (uint32_t i = 0; i < pageTable.pageCount; ++i) {
      PageRecord& other = pageTable.rows[i];
      if (IsReadPageRow(other) && (other.flags & kPageGroupCollapsed) &&
          std::wcsncmp(reinterpret_cast<const wchar_t*>(other.scoreName),
                       reinterpret_cast<const wchar_t*>(record.scoreName), kScoreNameUnits) == 0) {
        other.flags &= ~kPageGroupCollapsed;
        changed = true;
      }
    }
    if (changed) LayoutPagesPane();
  }
  const PaneRowBox box = MeasurePageRow(pageTable, pane, row, false);
  if (!IsReadPageRow(record)) {
    if (box.top - pane.pendingScroll < pane.topMargin + kPendingRowsTop ||
        box.bottom - pane.pendingScroll >= pane.topMargin + pane.pendingHeight)
      pane.pendingScroll = std::max(0, std::min(box.top - pane.topMargin - 72, pane.pendingExtent - pane.pendingHeight));
  } else {
    if (box.top - pane.readScroll < pane.topMargin + pane.dividerHeight + pane.pendingHeight + 20 ||
        box.bottom - pane.readScroll >= pane.clientHeight - pane.bottomMargin)
      pane.readScroll = std::max(0, std::min(box.top - pane.topMargin - pane.pendingHeight - 36,
                                             pane.readExtent - ReadSectionVisibleHeight(pane)));
  }
  PlaceScrollBars(pane);
  Repaint();
}

namespace {
int RefreshAndShowRow(bool collapseOthers, int row) {
  const int current = pageTable.currentPage;
  const int shown = RefreshPageRows(collapseOthers, row);
  if (pageTable.currentPage != current) CurrentPageStoreHooks().pageWindowCaptionChanged();
  LayoutPagesPane();
  if (shown < 0) Repaint();
  else ScrollPagesPaneToRow(shown);
  return shown;
}
int RefreshAndShow(int row) { return RefreshAndShowRow(false, row); }
}  // namespace

void RefreshPagesPane(int collapseOthers, int rowToShow) { RefreshAndShowRow(collapseOthers != 0, rowToShow); }

void TogglePagesPane() {
  Frame().paneWidth = Frame().paneWidth > kClosedPaneWidth ? kClosedPaneWidth : kOpenedPaneWidth;
  PlaceFrameChildren();
  for (HWND w : {Windows().pagesPane, Windows().mdiClient, Windows().scoreToolbar, Windows().keypad,
                 Windows().scoreView, Windows().outImage})
    if (HoldsWindow(w) && IsWindow(w)) InvalidateRect(w, nullptr, TRUE);
}

void SetPagesPaneOpenPage(void (*openPage)(int row)) { openPageHook = openPage; }

void PaintPagesPaneInto(HDC dc, const RECT& paint, int width, int height) {
  PagesPaneState& pane = PagesPane();
  pane.width = width;
  LayOutPaneSections(pageTable, &pane, height);
  PaintInto(dc, paint, width, height);
}

void InstallPagesPane() {
  WindowProcedureHooks procedures;
  procedures.pagesPane = PagesPaneProc;
  SetWindowProcedureHooks(procedures);

  ShellServices services{};
  services.togglePagesPane = TogglePagesPane;
  services.refreshPagesPane = RefreshPagesPane;
  services.readNextPendingPage = ReadNextPendingPage;
  SetShellServices(services);

  PageStoreHooks store = CurrentPageStoreHooks();
  store.layoutPagesPane = LayoutPagesPane;
  store.refreshPagesPane = RefreshAndShow;
  store.scrollPagesPaneToRow = ScrollPagesPaneToRow;
  store.isScorePageKey = IsScorePageKey;
  store.problemPages = ProblemRows;
  SetPageStoreHooks(store);

  HandOverHooks& handOver = CurrentHandOverHooks();
  handOver.refreshPagesPane = RefreshAndShow;
  handOver.setNextPageTimer = SetNextPageTimer;
  handOver.reportPageProblem = ReportPageProblemIfAny;

  FileOpenerHooks opener{};
  opener.readNextPendingPage = ReadNextFromOpener;
  opener.refreshPagesPane = RefreshAfterOpening;
  SetFileOpenerHooks(opener);
}
