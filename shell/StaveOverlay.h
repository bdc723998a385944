// The staves of the page view's page drawn over its image: each stave's
// lines along their traced curves, the connectors of a system, a label and
// the handles of the selected stave (what lies under the pointer:
// StaveHitTesting.h).
// Drawn through the drawing layer's device in device pixels (y negated).
#pragma once

#include <cstdint>

#include "pages/PageData.h"
#include "shell/StaveHitTesting.h"

struct StaveOverlayView {
  int32_t x0 = 0, y0 = 0;  // window position of the image's top-left corner
  double scale = 1.0;      // window pixels per image pixel
  int selected = -1;       // the selected stave
  int dragging = -1;       // the stave being dragged
  bool locked = false;     // the staves came with the image: another colour
};
StaveOverlayView& OverlayView();

// Colour-table entries of the overlay.
constexpr int kConnectorColour = 49, kStaveLineColour = 50, kSelectedStaveColour = 51, kLockedStaveColour = 52;

// Draws every stave of the page view's page (viewPage) as OverlayView() says.
void DrawStaveOverlay();
// Draws the staves of page; the drawer above with viewPage.
void DrawStavesOf(PageData& page, const StaveOverlayView& view);

