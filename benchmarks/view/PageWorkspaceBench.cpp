// Repaints of the page workspace's views under GDI (run under Wine): the
// page view of an A4 page at 300 dpi fitted into a 1000 x 826 workspace (the
// reduced, smoothed grey picture) with its twelve staves drawn over it, and
// the pages pane with 1,024 rows (512 pending, 512 read in 8 scores).
// Milliseconds per repaint, best and median of 30. Target: each below one
// 60 Hz frame (16.7 ms) on one core.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "pages/SpriteArea.h"
#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/win32/DibSection.h"
#include "shell/PageViewGeometry.h"
#include "shell/PagesPaneRows.h"
#include "shell/win32/PageWindow.h"
#include "shell/win32/PagesPaneWindow.h"
#include "benchmarks/view/ViewTiming.h"

namespace {

constexpr int kPageWidth = 2480, kPageHeight = 3508, kDpi = 300;
constexpr int kViewWidth = 1000, kViewHeight = 826;
constexpr int kPaneWidth = 260, kPaneHeight = 900;

// A page of twelve five-line staves with note-like blots.
std::vector<uint8_t> MakeA4Page() {
  const uint64_t rowBytes = PaddedRowBytes(kPageWidth, 1);
  std::vector<uint8_t> area(SpriteAreaBytes(rowBytes * kPageHeight) + 4096, 0);
  InitSpriteArea(area.data(), static_cast<uint32_t>(area.size()));
  CreateSprite(area.data(), "scanned", kPageWidth, kPageHeight, SpriteModeForDepth(1));
  uint8_t* rows = SpriteRows(area.data());
  auto ink = [&](int x, int y) { rows[uint64_t(y) * rowBytes + uint64_t(x) / 8] |= uint8_t(0x80 >> (x % 8)); };
  for (int s = 0; s < 12; ++s) {
    const int top = 300 + s * 260;
    StaveRecord& r = viewPage.staves[s];
    r.left = 150;
    r.right = kPageWidth - 150;
    r.top = r.midTop = r.rightTop = static_cast<int16_t>(top);
    r.bottom = static_cast<int16_t>(top + 100);
    r.midX = kPageWidth / 2;
    r.lineCount = 5;
    r.group = static_cast<int16_t>(s / 2);
    for (int line = 0; line < 5; ++line)
      for (int t = 0; t < 3; ++t)
        for (int x = r.left; x <= r.right; ++x) ink(x, top + line * 25 + t);
    for (int x = r.left + 60; x < r.right - 40; x += 90)
      for (int dy = 0; dy < 20; ++dy)
        for (int dx = 0; dx < 26; ++dx) ink(x + dx, top + 30 + (x / 90 % 5) * 12 + dy);
  }
  viewPage.staveCount = 12;
  return area;
}

HDC WindowLikeContext(int width, int height, HBITMAP* bitmap) {
  HDC dc = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  *bitmap = CreateTopDownDib32(dc, width, height, &bits);
  SelectObject(dc, *bitmap);
  return dc;
}

void FillPagesTable() {
  pageTable.pageCount = kMaxPages;
  for (int i = 0; i < kMaxPages; ++i) {
    PageRecord& r = pageTable.rows[i];
    r = PageRecord{};
    const std::u16string name = u"Page " + std::u16string(1, char16_t(u'A' + i % 26)) + u".tif";
    name.copy(r.name, kPageNameUnits - 1);
    r.scanId = static_cast<int16_t>(i + 1);
    if (i >= kMaxPages / 2) {
      r.state = kPageRead;
      const std::u16string score = u"C:\\Scores\\Score " + std::u16string(1, char16_t(u'1' + i % 8)) + u".opt";
      score.copy(r.scoreName, kScoreNameUnits - 1);
      r.scorePageNumber = static_cast<int16_t>(i % 20 + 1);
      r.flags = kPageModified;
    } else {
      r.flags = i % 3 ? kPageSelected : 0;
    }
  }
  pageTable.currentPage = 3;
}

}  // namespace

int RunPageWorkspaceBench() {
  ResetDrawingState();
  FillColourTables(render::DisplayCaps{-1, 0xC0C0C0, 0xFFFFFF, 0x808080, 0, 0x808080});

  std::vector<uint8_t> area = MakeA4Page();
  viewPage.imageArea = area.data();
  viewPage.width = kPageWidth;
  viewPage.height = kPageHeight;
  viewPage.resolution = kDpi;
  std::copy_n("scanned", 8, viewPage.imageName);
  pageTable.pageCount = 1;
  pageTable.currentPage = 0;
  const int zoom = ZoomToFit(kViewWidth, kViewHeight + kPageToolbarHeight, kPageWidth, kPageHeight);
  SetPageViewZoom(zoom);
  HBITMAP viewBitmap = nullptr;
  HDC view = WindowLikeContext(kViewWidth, kViewHeight, &viewBitmap);
  const RECT viewRect{0, 0, kViewWidth, kViewHeight};
  PaintPageView(view, viewRect);  // the staves' curves traced once
  const ViewTiming page = TimeViewStep([&](int) { PaintPageView(view, viewRect); });
  std::printf("page view, A4 at %d dpi, fit zoom %d%% into %d x %d, 12 staves: best %.2f ms, median %.2f ms\n", kDpi,
              zoom, kViewWidth, kViewHeight, page.best, page.median);
  int step = 0;
  const ViewTiming rezoom = TimeViewStep([&](int) {
    SetPageViewZoom(zoom + (++step & 1));
    PaintPageView(view, viewRect);
  });
  SetPageViewZoom(zoom);
  std::printf("  at a new zoom (the page's picture made again): best %.2f ms, median %.2f ms\n", rezoom.best,
              rezoom.median);
  viewPage.staveCount = 0;
  const ViewTiming image = TimeViewStep([&](int) { PaintPageView(view, viewRect); });
  std::printf("  the image alone (no staves): best %.2f ms, median %.2f ms\n", image.best, image.median);
  viewPage.staveCount = 12;

  FillPagesTable();
  HBITMAP paneBitmap = nullptr;
  HDC pane = WindowLikeContext(kPaneWidth, kPaneHeight, &paneBitmap);
  PagesPane().pendingHeight = kPaneHeight / 2;
  const RECT paneRect{0, 0, kPaneWidth, kPaneHeight};
  const ViewTiming rows = TimeViewStep([&](int) { PaintPagesPaneInto(pane, paneRect, kPaneWidth, kPaneHeight); });
  std::printf("pages pane, %d rows, %d x %d: best %.2f ms, median %.2f ms\n", kMaxPages, kPaneWidth, kPaneHeight,
              rows.best, rows.median);
  PagesPane().pendingScroll = 4000;
  PagesPane().readScroll = 4000;
  const ViewTiming scrolled = TimeViewStep([&](int) { PaintPagesPaneInto(pane, paneRect, kPaneWidth, kPaneHeight); });
  std::printf("pages pane scrolled to the sections' ends: best %.2f ms, median %.2f ms\n", scrolled.best,
              scrolled.median);

  DeleteDC(view);
  DeleteObject(viewBitmap);
  DeleteDC(pane);
  DeleteObject(paneBitmap);
  viewPage.imageArea = nullptr;
  return 0;
}
