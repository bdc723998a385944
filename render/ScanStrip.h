// The scanned-page strip above the score: the scanned page of the current
// score page (or the part of it round the stave being edited) shown in a
// band above the recognised score, with a hint and a framed edge. This is
// the portable part: where the page image goes, the frame, the blanked
// margins and the texts, drawn through the drawing layer. The image itself
// is put on the device by the Windows side (render/win32/ScanStripPane).
#pragma once

#include <cstdint>

#include "pages/SpriteDrawing.h"
#include "render/DrawingState.h"

// What the strip shows, as the views give it.
struct ScanStripView {
  bool pageShown = false;         // a page is shown in the page workspace
  bool scoreHasPages = false;
  bool scannedPageGone = false;   // the current score page's scanned page left the page table
  bool imageLoaded = false;       // the page view's image sprite is there
  bool imageWaiting = false;      // ... and it is the placeholder still being opened
  int32_t editedStave = -1;       // the stave edited in the score editor; -1 none
  bool editedBandKnown = false;
  int32_t editedBandY = 0;        // image pixels from the top
  int32_t imageWidth = 0, imageHeight = 0;  // image pixels
  int32_t firstStaveTop = 0, firstStaveBottom = 0;  // of the page's first stave record
  int32_t pageViewLeft = 0, pageViewTop = 0;        // scroll of the page view, image pixels
  double scoreScale = 1.0;
  double pageScale = 100.0;       // percent
  int32_t paneWidth = 0;
  int32_t stripHeight = 0;
  bool alternativeColours = false;  // "Use R8 Keypad"
  bool highlightShown = false;      // the page workspace has a highlighted region ...
  HighlightRegion highlight{};      // ... here, in image pixels
};

// Where the page image goes (device pixels, upward y as the device
// primitives take it; y is the image's bottom edge) and its size there.
struct ScanStripPlacement {
  int32_t x, y;
  int32_t width, height;
  double factor;  // device pixels per image pixel
};
ScanStripPlacement PlaceScanStripImage(const ScanStripView& view, int32_t x, int32_t y);

// The pane's background colour: 28 in the alternative colour set, else 27.
int ScanStripBackgroundColour(bool alternativeColours);

// Fills the pane round an image of width x height at (x, y) (upward y, y the
// bottom edge), from the pane's left edge to rightEdge.
void FillRoundImage(int32_t x, int32_t y, int32_t width, int32_t height, int32_t rightEdge);

// The framed edges of the strip at (x, y): the background right of the
// pane, then one-pixel lines of colours 7, 4, 3, 1, 2 and 4 that give the
// strip its bevel and shadow.
void DrawImageStripFrame(int32_t x, int32_t y, int32_t paneWidth, int32_t stripHeight, bool alternativeColours);

// What the paper of the page workspace's highlighted region becomes in the
// strip (the stave highlight colour).
constexpr int kStripHighlightColour = 15;

// The rectangle of the strip that the page workspace's highlighted region
// covers with the image placed at `at`, as RecolourScreenRect takes it
// (x0, y0, x1, y1: device pixels, upward y, x1 and the lower edge y1
// inclusive); false when there is no region or it covers no pixel.
bool ScanStripHighlightRect(const ScanStripView& view, const ScanStripPlacement& at, int32_t out[4]);

// How the Windows side draws the page image. Null members draw nothing.
struct ScanStripImageDrawing {
  // The whole page image at the placement, in the strip's two colours.
  void (*drawWhole)(const ScanStripPlacement& at, bool alternativeColours) = nullptr;
  // Only the part of the page image inside the paint rectangle.
  void (*drawRegion)(const ScanStripPlacement& at) = nullptr;
  // The paper of the page workspace's highlighted region, in the rectangle
  // ScanStripHighlightRect gives, turned into kStripHighlightColour.
  void (*recolourHighlight)(const int32_t rect[4]) = nullptr;
};

// What was drawn, for the caller and the tests.
enum class ScanStripHint { kNone, kOpening, kDoubleClick };
struct ScanStripOutcome {
  bool imageDrawn = false;
  bool goneMessage = false;
  ScanStripHint hint = ScanStripHint::kNone;
};

// Paints the strip into the drawing layer's device (already the off-screen
// one, its window origin at the paint rectangle's corner).
ScanStripOutcome PaintScanStripContent(const ScanStripView& view, int32_t x, int32_t y,
                                       const ScanStripImageDrawing& drawing);
