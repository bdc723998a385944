// Page image panels on GDI under Wine: the sprite path at 1:1, the grey
// path at 1:4, the frame, the empty clip, and recolouring.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "../DrawingSetUp.h"
#include "GdiCanvas.h"
#include "pages/PageData.h"
#include "pages/PageTable.h"
#include "platform/Settings.h"
#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/win32/PageImagePanel.h"

namespace {

class PageImagePanelGdiTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetDrawingState();
    FillColourTables(render::DisplayCaps{-1, 0xC0C0C0, 0xFFFFFF, 0x808080, 0, 0x808080});
    General().antiAliaseImage = true;
    General().useR8Keypad = false;
  }
  void TearDown() override { ResetDrawingState(); }
  // A 40 x 32 page whose left inkColumns columns are ink.
  PageImageSource Page(int inkColumns) {
    area.assign(64 * 1024, 0);
    InitSpriteArea(area.data(), static_cast<uint32_t>(area.size()));
    EXPECT_EQ(CreateSprite(area.data(), "scanned", 40, 32, 18), nullptr);
    uint8_t* rows = SpriteRows(area.data());
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < inkColumns; ++x) rows[y * 8 + x / 8] |= uint8_t(1u << (x % 8));
    return PageImageSource{area.data(), "scanned", PageBitImage{rows, 40, 32}};
  }
  static COLORREF Paper() { return RGB(SharedPalette[12].red, SharedPalette[12].green, SharedPalette[12].blue); }
  std::vector<uint8_t> area;
};

TEST_F(PageImagePanelGdiTest, FullSizeDrawsInkAndPaperWithAFramedShadow) {
  GdiCanvas canvas(100, 80);
  // The page covers columns 10..49 and rows 8..39.
  DrawPageImageRegion(Page(20), 10, -40, ImageRatio{1, 1, 1, 1}, canvas.Dc(), nullptr, true);
  // The sprite drawer's colours come from the shell's colour table: ink
  // and paper differ, each half is one colour.
  const COLORREF ink = canvas.Pixel(15, 20), paper = canvas.Pixel(40, 20);
  EXPECT_NE(ink, paper);
  EXPECT_EQ(canvas.Pixel(29, 38), ink);
  EXPECT_EQ(canvas.Pixel(30, 9), paper);
  EXPECT_EQ(canvas.Pixel(48, 38), paper);
  EXPECT_EQ(canvas.Pixel(49, 38), ColourTable[2]) << "the outline";
  EXPECT_EQ(canvas.Pixel(80, 20), ColourTable[27]) << "the pane right of the page";
  EXPECT_EQ(canvas.Pixel(5, 60), ColourTable[27]) << "the pane below the page";
  EXPECT_EQ(canvas.Pixel(51, 30), ColourTable[1]) << "the shadow along the right edge";
}

TEST_F(PageImagePanelGdiTest, QuarterSizeIsASmoothedGreyPicture) {
  GdiCanvas canvas(60, 40);
  // 10 x 8 pixels at columns 5..14, rows 2..9: the left 2 columns count
  // full ink blocks, the third half a block, the rest paper.
  DrawPageImageRegion(Page(10), 5, -10, ImageRatio{1, 1, 4, 4}, canvas.Dc(), nullptr, false);
  EXPECT_EQ(canvas.Pixel(5, 5), RGB(0, 0, 0));
  EXPECT_EQ(canvas.Pixel(6, 5), RGB(0, 0, 0));
  EXPECT_EQ(canvas.Pixel(7, 5), RGB(0, 0, 0)) << "half a block of ink is black";
  EXPECT_EQ(canvas.Pixel(10, 5), Paper());
  EXPECT_EQ(canvas.Pixel(15, 5), RGB(255, 255, 255)) << "right of the picture";
  // With the setting off the sprite drawer draws it instead: no grey ramp.
  General().antiAliaseImage = false;
  GdiCanvas sprite(60, 40);
  DrawPageImageRegion(Page(10), 5, -10, ImageRatio{1, 1, 4, 4}, sprite.Dc(), nullptr, false);
  EXPECT_NE(sprite.Pixel(10, 5), RGB(255, 255, 255));
}

TEST_F(PageImagePanelGdiTest, EmptyClipDrawsNothingNotEvenTheFrame) {
  GdiCanvas canvas(60, 40);
  const DeviceRect empty{20, 20, 19, 30};
  DrawPageImageRegion(Page(10), 5, -30, ImageRatio{1, 1, 1, 1}, canvas.Dc(), &empty, true);
  EXPECT_EQ(canvas.Pixel(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(canvas.Pixel(10, 10), RGB(255, 255, 255));
  // A clip beside the image: only the pane is filled.
  const DeviceRect beside{50, 0, 59, 39};
  DrawPageImageRegion(Page(10), 5, -30, ImageRatio{1, 1, 1, 1}, canvas.Dc(), &beside, true);
  EXPECT_EQ(canvas.Pixel(55, 5), ColourTable[27]);
  EXPECT_EQ(canvas.DarkPixels(5, 0, 45, 30), 0) << "no image drawn";
}

TEST_F(PageImagePanelGdiTest, RecolouringChangesOnlyThatColourInsideTheRectangle) {
  GdiCanvas canvas(60, 40);
  HBRUSH brush = CreateSolidBrush(ColourTable[15]);
  RECT band{0, 10, 60, 20};
  FillRect(canvas.Dc(), &band, brush);
  DeleteObject(brush);
  StorePaneRect(DeviceRect{0, 0, 60, 40});
  RecolourScreenRect(canvas.Dc(), 10, -5, 30, -25, 15, 8);  // rows 4..24, columns 10..30
  EXPECT_EQ(canvas.Pixel(15, 15), ColourTable[8]);
  EXPECT_EQ(canvas.Pixel(5, 15), ColourTable[15]) << "left of the rectangle";
  EXPECT_EQ(canvas.Pixel(15, 5), RGB(255, 255, 255)) << "another colour stays";
  // No pixel of the colour: nothing changes.
  RecolourScreenRect(canvas.Dc(), 40, -25, 55, -35, 15, 8);
  EXPECT_EQ(canvas.Pixel(45, 30), RGB(255, 255, 255));
}

render::DrawDevice* OverlayDevice = nullptr;
// A stand-in overlay: a black square at the device's (60, 10).
void SquareOverlay() {
  OverlayDevice = DrawingState().dc;
  SelectDrawColour(kBlackColour);
  FillRectSolid(60, -10, 4, -4);
}

TEST_F(PageImagePanelGdiTest, ThePageViewsStaveOverlayIsDrawnOverItsOwnPage) {
  const PageImageSource page = Page(0);
  const KeptPageTableState kept;
  const StaveOverlayDrawer savedDrawer = SetStaveOverlayDrawer(SquareOverlay);
  viewPage.imageArea = area.data();
  pageTable.pageCount = 1;
  pageTable.currentPage = 0;
  for (const bool on : {true, false}) {
    pageTable.rows[0].flags = on ? kPageStaveOverlay : 0;
    OverlayDevice = nullptr;
    GdiCanvas canvas(100, 80);
    // The page covers columns 10..49 and rows 8..39; the square lies right of it.
    DrawPageImageRegion(page, 10, -40, ImageRatio{1, 1, 1, 1}, canvas.Dc(), nullptr, false);
    EXPECT_EQ(canvas.Pixel(61, 11) == RGB(0, 0, 0), on) << (on ? "overlay on" : "overlay off");
    EXPECT_EQ(OverlayDevice != nullptr, on);
    EXPECT_EQ(DrawingState().dc, nullptr) << "the drawing layer's device is put back";
  }
  SetStaveOverlayDrawer(savedDrawer);
}

}  // namespace
