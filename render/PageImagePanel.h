// A region of a scanned page drawn into a pane at a ratio: which part of the
// destination is visible, whether it is drawn by the sprite drawer or as a
// smoothed grey picture, and the frame with its drop shadow. Also the
// rectangle arithmetic of repainting one colour of a pane in another. The
// pixels themselves are put on the device by render/win32/PageImagePanel.
#pragma once

#include <cstdint>

#include "render/DrawingState.h"
#include "render/PageImageReduction.h"

struct PageImagePlan {
  int32_t width, height;  // destination size, device pixels
  bool clipEmpty;         // the clip rectangle itself is empty: draw nothing at all
  bool visible;           // something of the destination is to be drawn
  // The visible part, columns [c0, c1) and rows [r0, r1) of the destination.
  int32_t c0, r0, c1, r1;
  // The clip rectangle shrunk to the visible part (device coordinates).
  DeviceRect clip;
  bool greyPath;  // reduced and smoothed; else the sprite drawer
};

// The destination of an image of imageWidth x imageHeight at origin (x, y)
// (upward y: it covers device rows -(y + H) to -y) scaled by ratio, limited to
// clip (device coordinates; null: no limit). An empty clip rectangle, or a
// ratio or image size of 0, leaves nothing visible.
PageImagePlan PlanPageImageRegion(int32_t imageWidth, int32_t imageHeight, int32_t x, int32_t y,
                                  const ImageRatio& ratio, const DeviceRect* clip, bool antiAlias);

// The pane round the image in the background colour, the image's outline
// and a drop shadow of 4 pixels along its right and bottom edges.
void DrawPageImageFrame(int32_t x, int32_t y, int32_t width, int32_t height, bool alternativeColours);
// Only the pane round the image, when none of the image is visible.
void FillPageImagePane(int32_t x, int32_t y, int32_t width, int32_t height, bool alternativeColours);

// The window-pixel rectangle to recolour (left, top inclusive; right,
// bottom exclusive) for a rectangle given with upward y, cut to the stored
// pane rectangle; false when nothing is left.
bool ScreenRecolourRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, DeviceRect* out);
// The same rectangle for one in world units of the score pane, as
// RecolourWorldRect hands it to RecolourScreenRect: the stave highlight
// colours (15 and 8) get a pixel of margin. False when it is empty across.
bool WorldRecolourRect(double x0, double y0, double x1, double y1, int fromColour, int32_t out[4]);

// Whether a page image drawn from this sprite area gets the page view's
// stave overlay over it: the area is the page view's own page and the
// page shown has its overlay switched on.
bool PageImageShowsStaveOverlay(const uint8_t* area);
// The page view's stave overlay, drawn through the drawing layer's device
// (the page view installs it; null: none).
using StaveOverlayDrawer = void (*)();
StaveOverlayDrawer SetStaveOverlayDrawer(StaveOverlayDrawer drawer);
StaveOverlayDrawer CurrentStaveOverlayDrawer();
