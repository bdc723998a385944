// The score page painter on GDI under Wine: a fixture page drawn through the
// pane's off-screen bitmap into a window-sized bitmap at zooms 1.0 and 1.33 against reviewed pictures (a pixel differs
// when its grey level is more than 64 away; at most 0.5 % may differ). A
// failing comparison writes the picture and a difference image beside the
// test. KV_UPDATE_GOLDENS=1 writes the reviewed pictures instead.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "../DrawingSetUp.h"
#include "../ScoreListing.h"
#include "GdiCanvas.h"
#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/GlyphTable.h"
#include "render/MusicFonts.h"
#include "pages/CurrentPageData.h"
#include "pages/PageData.h"
#include "render/ScorePagePainter.h"
#include "render/ScoreText.h"
#include "render/win32/GdiDevice.h"
#include "render/win32/OffscreenPane.h"
#include "render/win32/ScorePagePane.h"
#include "tests/support/ReviewedPicture.h"
#include "score/ItemSelection.h"
#include "score/ScoreFile.h"
#include "score/ScoreStream.h"

#ifndef KV_RENDER_SCORES_DIR
#define KV_RENDER_SCORES_DIR "tests/render/scores"
#endif

namespace {


PngImage PaintFixture(const std::string& listing, double zoom, int width, int height) {
  StartScorePainting(width, height);
  std::string error;
  EXPECT_TRUE(BuildScoreFromListingFile(std::string(KV_RENDER_SCORES_DIR) + "/" + listing, &error)) << error;
  GdiCanvas canvas(width, height);
  GdiDevice device(canvas.Dc());
  DrawingState().scale = zoom;
  // Through the pane's off-screen bitmap, as the window paints.
  PaintScorePagePane(canvas.Dc(), RECT{0, 0, width - 1, height - 1}, 1, 1);
  PngImage image = canvas.Gray();
  DeleteMusicFonts(&device);
  EndScorePainting();
  return image;
}

void CompareWithReviewed(const PngImage& actual, const std::string& name) {
  ExpectMatchesReviewed(actual, std::string(KV_RENDER_SCORES_DIR) + "/" + name + ".png", name);
}

TEST(ScorePageGdiTest, FixturePageMatchesTheReviewedPictures) {
  struct Case {
    const char* listing;
    double zoom;
    const char* name;
    int width, height;  // at zoom 1.0
  };
  for (const Case c : {Case{"kinds.txt", 1.0, "kinds-100", 1300, 300}, Case{"kinds.txt", 1.33, "kinds-133", 1300, 300},
                       Case{"braced.txt", 1.0, "braced-100", 320, 540},
                       Case{"dense.txt", 1.0, "dense-100", 1100, 1060}}) {
    SCOPED_TRACE(c.name);
    const int width = static_cast<int>(std::lround(c.width * c.zoom));
    const int height = static_cast<int>(std::lround(c.height * c.zoom));
    const PngImage image = PaintFixture(c.listing, c.zoom, width, height);
    size_t dark = 0;
    for (uint8_t p : image.pixels) dark += p < 128;
    EXPECT_GT(dark, 2000u) << "the page came out blank";
    CompareWithReviewed(image, c.name);
  }
}

// A page of a known size: the margins right of and under it and its framed
// edge, under chord symbols kept apart and centred over their diagram.
// symbols-100.png shows: a treble staff in 4/4 with four minims under the
// symbols "C5", "F5/C", "Gb/C", "Eb5/C" standing apart, a crotchet, a bar
// line, then a chord diagram (3fr) with "C5" centred over it and a bracketed
// triplet "3" over three beamed notes; right of x 520 and below y 200 the
// margin grey, the page's edge a black line with a grey shadow.
TEST(ScorePageGdiTest, PageMarginsFrameAndChordSymbols) {
  const ScorePageSizes saved = ScorePageSize;
  ScorePageSize.width = 520;
  ScorePageSize.height = 200;
  const PngImage image = PaintFixture("symbols.txt", 1.0, 600, 260);
  ScorePageSize = saved;
  CompareWithReviewed(image, "symbols-100");
}

}  // namespace

namespace {

// The section and context a paint leaves for the next paint of its size
// carry nothing of it: another page at another zoom in between changes no
// pixel of the next paint.
TEST(ScorePageGdiTest, AKeptSectionPaintsAsAFreshOne) {
  FreeKeptPaneSections();
  const PngImage fresh = PaintFixture("braced.txt", 1.0, 400, 560);
  PaintFixture("kinds.txt", 1.33, 400, 560);
  const PngImage reused = PaintFixture("braced.txt", 1.0, 400, 560);
  ASSERT_EQ(fresh.pixels.size(), reused.pixels.size());
  EXPECT_TRUE(fresh.pixels == reused.pixels);
  FreeKeptPaneSections();
}

}  // namespace

namespace {

// A page text 10 box units wider in its stored box than GDI measures it is
// centred in the box, and drawn there.
TEST(ScorePageGdiTest, PageTextIsCentredInItsStoredBoxByItsMeasuredWidth) {
  StartScorePainting(700, 260);
  std::string error;
  ASSERT_TRUE(BuildScoreFromListing("parts 2\nslot 1\nclef 1\nchord 5 notes 16\nstaff-end\n"
                                    "slot 0\npagetext 5 100 160 \"Korvalinde\"\nstaff-end\n",
                                    &error))
      << error;
  GdiCanvas canvas(700, 260);
  GdiDevice device(canvas.Dc());
  DrawingState().dc = &device;
  DrawingState().scale = 1.0;
  RebuildItemIndexLayout();  // the staff rows the stored boxes need
  // Measured as the painter measures: in the pane's scaled mapping.
  Extent window{}, viewport{};
  ScaledExtents(window, viewport, DeviceRect{0, 0, 699, 259});
  SetScaledMapping(&device, window, viewport);
  const int32_t measured =
      static_cast<int32_t>(MeasureFormattedText(u"Korvalinde", 16, true) / (DeviceScale() * DrawingState().scale));
  DrawFormattedText(0, 0, nullptr, 7, 0, true, false, true);
  RestoreMapping(&device);
  ASSERT_GT(measured, 40);
  StoredTitleBoxes boxes(400, static_cast<int16_t>(400 + measured + 10));
  PaintScorePagePane(canvas.Dc(), RECT{0, 0, 699, 259}, 1, 1);
  const int32_t x = static_cast<int32_t>(TextWordAt(StreamBytes(ScoreStream, 0), ScoreFormatVersion, 0));
  EXPECT_EQ(x, 405);
  // The title's baseline lies 173 below the top, under the staff.
  EXPECT_GT(canvas.DarkPixels(x, 150, x + measured, 176), 50) << "drawn at its new place";
  EXPECT_EQ(canvas.DarkPixels(100, 150, 200, 176), 0) << "not at its old one";
  DeleteMusicFonts(&device);
  EndScorePainting();
}

}  // namespace
