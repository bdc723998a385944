// The pane dispatcher and the scanned-page strip on GDI under Wine: the
// strip is drawn off screen and copied over exactly the paint rectangle,
// the page image lands where the placement puts it, the hint is drawn, and a
// window that is none of the views is left as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "GdiCanvas.h"
#include "pages/PageData.h"
#include "pages/SpriteArea.h"
#include "platform/win32/AppWindows.h"
#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/MusicFonts.h"
#include "render/win32/ScanStripPane.h"

namespace {

ScanStripView StripView;
bool ViewOf(ScanStripView* view) {
  *view = StripView;
  return true;
}
int Painted = 0;
void CountPaint(int, int, HDC, const RECT&) { ++Painted; }

class ScanStripGdiTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetDrawingState();
    ResetMusicFontSet();
    FillColourTables(render::DisplayCaps{-1, 0xC0C0C0, 0xFFFFFF, 0x808080, 0, 0x808080});
    StripView = ScanStripView{};
    StripView.paneWidth = 300;
    StripView.stripHeight = 80;
    Painted = 0;
    PanePainters p;
    p.scanStripView = ViewOf;
    p.paintPageImage = CountPaint;
    p.paintPagesPane = CountPaint;
    saved = SetPanePainters(p);
  }
  void TearDown() override {
    SetPanePainters(saved);
    ResetMusicFontSet();
    ResetDrawingState();
  }
  PanePainters saved;
};

TEST_F(ScanStripGdiTest, PlainPaneCoversExactlyThePaintRectangle) {
  GdiCanvas canvas(120, 100);
  // A rectangle of 51 x 41 pixels, inclusive at both ends.
  PaintScanStripPane(0, 0, canvas.Dc(), RECT{10, 20, 60, 60});
  const COLORREF background = ColourTable[27];
  EXPECT_EQ(canvas.Pixel(10, 20), background);
  EXPECT_EQ(canvas.Pixel(60, 60), background);
  EXPECT_EQ(canvas.Pixel(9, 20), RGB(255, 255, 255));
  EXPECT_EQ(canvas.Pixel(61, 60), RGB(255, 255, 255));
  EXPECT_EQ(canvas.Pixel(60, 61), RGB(255, 255, 255));
  EXPECT_EQ(canvas.DarkPixels(), 0) << "no page: no hint";
}

// A 200 x 100 page in the page view, its left half ink, its first stave
// round row 50; the view's own page comes back at the end.
class StripTestPage {
 public:
  StripTestPage() : area_(64 * 1024) {
    InitSpriteArea(area_.data(), static_cast<uint32_t>(area_.size()));
    ok_ = CreateSprite(area_.data(), "scanned", 200, 100, 18) == nullptr;
    const uint32_t stride = (200 + 31) / 32 * 4;
    for (int y = 0; ok_ && y < 100; ++y) std::memset(SpriteRows(area_.data()) + y * stride, 0xFF, 100 / 8);
    savedArea_ = viewPage.imageArea;
    std::memcpy(savedName_, viewPage.imageName, sizeof savedName_);
    viewPage.imageArea = area_.data();
    std::strcpy(viewPage.imageName, "scanned");
    StripView.pageShown = StripView.scoreHasPages = StripView.imageLoaded = true;
    StripView.imageWidth = 200;
    StripView.imageHeight = 100;
    StripView.firstStaveTop = 40;
    StripView.firstStaveBottom = 60;
  }
  ~StripTestPage() {
    viewPage.imageArea = savedArea_;
    std::memcpy(viewPage.imageName, savedName_, sizeof savedName_);
  }
  bool Ok() const { return ok_; }

 private:
  std::vector<uint8_t> area_;
  bool ok_ = false;
  Handle savedArea_ = nullptr;
  char savedName_[kImageNameBytes] = {};
};

TEST_F(ScanStripGdiTest, ShownPageIsDrawnUnderTheHint) {
  StripTestPage page;
  ASSERT_TRUE(page.Ok());
  GdiCanvas canvas(300, 120);
  // The strip's middle is 40 below the top; the page's row 50 comes there,
  // so it covers window rows -10..89 and columns -2..197.
  PaintScanStripPane(0, 0, canvas.Dc(), RECT{0, 0, 299, 119});

  // The sprite's two colours come from the shell's colour table: ink and
  // paper differ, the margin right of the page is the pane's background.
  const COLORREF ink = canvas.Pixel(50, 60), paper = canvas.Pixel(150, 60);
  EXPECT_NE(ink, paper);
  EXPECT_EQ(canvas.Pixel(10, 85), ink);
  EXPECT_EQ(canvas.Pixel(190, 85), paper);
  EXPECT_EQ(canvas.Pixel(250, 60), ColourTable[27]) << "right of the page";
  EXPECT_EQ(canvas.Pixel(150, 110), ColourTable[27]) << "below the page";
  EXPECT_GT(canvas.DarkPixels(100, 5, 300, 30), 20) << "the hint over the paper";
}

TEST_F(ScanStripGdiTest, HighlightedRegionTurnsItsPaperToTheHighlightColour) {
  StripTestPage page;
  ASSERT_TRUE(page.Ok());
  // Image columns 90..179 and rows 60..89: window columns 88..177, rows 50..79
  // (ink up to image column 99, window column 97).
  StripView.highlightShown = true;
  StripView.highlight = HighlightRegion{90, 60, 180, 90};
  AppWindows& w = Windows();
  const AppWindows before = w;
  w.outImage = reinterpret_cast<HWND>(uintptr_t{0x3000});
  GdiCanvas canvas(300, 120);
  PaintPane(w.outImage, 0, 0, canvas.Dc(), RECT{0, 0, 299, 119});
  const COLORREF paper = canvas.Pixel(150, 40), ink = canvas.Pixel(50, 60);
  const COLORREF highlight = canvas.Pixel(150, 65);
  EXPECT_NE(highlight, paper);
  EXPECT_EQ(highlight, GetNearestColor(canvas.Dc(), ColourTable[kStripHighlightColour]));
  EXPECT_EQ(canvas.Pixel(150, 50), highlight) << "the region's first row";
  EXPECT_EQ(canvas.Pixel(98, 65), highlight) << "the first paper column in it";
  EXPECT_EQ(canvas.Pixel(177, 79), highlight) << "its last column and row";
  EXPECT_EQ(canvas.Pixel(178, 65), paper) << "right of it";
  EXPECT_EQ(canvas.Pixel(150, 80), paper) << "below it";
  EXPECT_EQ(canvas.Pixel(150, 49), paper) << "above it";
  EXPECT_EQ(canvas.Pixel(92, 65), ink) << "ink in the region stays ink";
  // While a stave is edited the region is not shown.
  StripView.editedStave = 0;
  GdiCanvas editing(300, 120);
  PaintPane(w.outImage, 0, 0, editing.Dc(), RECT{0, 0, 299, 119});
  EXPECT_NE(editing.Pixel(150, 65), highlight);
  w = before;
}

TEST_F(ScanStripGdiTest, DispatcherPaintsOnlyTheViews) {
  AppWindows& w = Windows();
  const AppWindows before = w;
  GdiCanvas canvas(60, 60);
  const RECT rect{1, 2, 30, 40};
  w.pageView = reinterpret_cast<HWND>(uintptr_t{0x1000});
  w.pagesPane = reinterpret_cast<HWND>(uintptr_t{0x2000});
  w.outImage = reinterpret_cast<HWND>(uintptr_t{0x3000});
  PaintPane(reinterpret_cast<HWND>(uintptr_t{0x4000}), 0, 0, canvas.Dc(), rect);
  EXPECT_EQ(Painted, 0);
  EXPECT_EQ(canvas.DarkPixels(), 0);
  EXPECT_EQ(canvas.Pixel(5, 5), RGB(255, 255, 255));
  EXPECT_EQ(StoredPaneRect().bottom, 40) << "the rectangle is kept all the same";
  // A view mark is never a window.
  PaintPane(ViewMark(kScoreViewMark), 0, 0, canvas.Dc(), rect);
  EXPECT_EQ(canvas.Pixel(5, 5), RGB(255, 255, 255));
  PaintPane(w.pageView, 0, 0, canvas.Dc(), rect);
  PaintPane(w.pagesPane, 0, 0, canvas.Dc(), rect);
  EXPECT_EQ(Painted, 2);
  PaintPane(w.outImage, 0, 0, canvas.Dc(), rect);
  EXPECT_EQ(canvas.Pixel(5, 5), ColourTable[27]);
  w = before;
}

}  // namespace
