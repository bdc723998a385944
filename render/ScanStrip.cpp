#include "render/ScanStrip.h"

#include <algorithm>
#include <cmath>

#include "platform/Messages.h"
#include "render/Colours.h"
#include "render/MusicFonts.h"
#include "render/RenderStrings.h"
#include "render/ScoreText.h"

namespace {

// Far enough to reach past any pane edge in the fills round the image.
constexpr int32_t kFar = 8191;
constexpr int kMessageFontKind = 27;
constexpr render::Colour kHaloColour = 0x00EDF3F6;  // RGB (246, 243, 237)

int32_t Round(double v) { return static_cast<int32_t>(std::lround(v)); }

void DrawMessage(unsigned id, int colour) {
  char16_t text[256] = {};
  LoadUiString(id, text, 256);
  DrawFormattedText(0, 0, nullptr, 7, 0, false, false, false);
  DrawFormattedText(16, 16, text, colour, kMessageFontKind, false, false, false);
  DrawFormattedText(0, 0, nullptr, 7, 0, false, false, false);
}

void DrawHint(unsigned id) {
  render::DrawDevice* dc = DrawingState().dc;
  if (!dc) return;
  const render::FontHandle font = CreateDisplayFont(dc, u"Arial", 95, 0, 0, false, true, false);
  if (!font) return;  // no font, no hint
  const render::FontHandle previous = dc->SelectFont(font);
  dc->SetTransparentBaselineText();
  char16_t text[256] = {};
  LoadUiString(id, text, 256);
  DrawHaloText(16, 20, text, ColourTable[kBlackColour], kHaloColour);
  dc->SelectFont(previous);
  dc->DeleteFont(font);
}

}  // namespace

int ScanStripBackgroundColour(bool alternativeColours) { return alternativeColours ? 28 : 27; }

ScanStripPlacement PlaceScanStripImage(const ScanStripView& view, int32_t x, int32_t y) {
  const DrawingStateRecord& s = DrawingState();
  const bool editing = view.editedStave >= 0 && view.editedBandKnown;
  const int32_t reference = editing ? view.editedBandY : (view.firstStaveTop + view.firstStaveBottom) / 2;
  ScanStripPlacement at{};
  at.factor = view.scoreScale * view.pageScale / 100.0;
  // The image is drawn at factor device pixels an image pixel: its rows and
  // columns are placed at the same factor, so that the reference row lies
  // in the strip's middle at any zoom.
  const double horizontal = at.factor, vertical = at.factor;
  at.x = Round(x - 2.0 * s.SpacingUnit - view.pageViewLeft * horizontal);
  at.y = Round(y - view.stripHeight / 2 - (static_cast<double>(view.imageHeight) - reference - view.pageViewTop) * vertical);
  at.width = static_cast<int32_t>(view.imageWidth * at.factor);
  at.height = static_cast<int32_t>(view.imageHeight * at.factor);
  return at;
}

bool ScanStripHighlightRect(const ScanStripView& view, const ScanStripPlacement& at, int32_t out[4]) {
  if (!view.highlightShown || view.imageWidth <= 0 || view.imageHeight <= 0) return false;
  // The region cut to the image.
  const int32_t left = std::max(0, view.highlight.left), right = std::min(view.imageWidth, view.highlight.right);
  const int32_t top = std::max(0, view.highlight.top), bottom = std::min(view.imageHeight, view.highlight.bottom);
  if (left >= right || top >= bottom) return false;
  // Image column c covers device columns from at.x + c x factor; image row r
  // (from the top) device rows from the image's top edge, -(at.y + height),
  // down by r x factor.
  const int32_t x0 = at.x + static_cast<int32_t>(std::floor(left * at.factor));
  const int32_t x1 = at.x + static_cast<int32_t>(std::floor(right * at.factor));
  const int32_t rowTop = -(at.y + at.height) + static_cast<int32_t>(std::floor(top * at.factor));
  const int32_t rowBottom = -(at.y + at.height) + static_cast<int32_t>(std::floor(bottom * at.factor));
  if (x1 <= x0 || rowBottom <= rowTop) return false;
  // RecolourScreenRect takes the rows from one above -y0 down to -y1 and the
  // columns x0 to x1 inclusive.
  out[0] = x0;
  out[1] = -(rowTop + 1);
  out[2] = x1 - 1;
  out[3] = -rowBottom;
  return true;
}

void FillRoundImage(int32_t x, int32_t y, int32_t width, int32_t height, int32_t rightEdge) {
  FillRectSolid(-2, 2, x + 2, -kFar);                       // left of it
  FillRectSolid(-2, y, kFar, -kFar);                        // below it
  FillRectSolid(-2, y + height, kFar, kFar);                // above it
  if (rightEdge > x + width) FillRectSolid(x + width, 2, rightEdge - (x + width), -kFar);  // right of it
}

void DrawImageStripFrame(int32_t x, int32_t y, int32_t paneWidth, int32_t stripHeight, bool alternativeColours) {
  const int32_t s = DrawingState().SpacingUnit;
  const int32_t w = paneWidth;
  const int32_t bottom = y - 2 - stripHeight;
  SelectDrawColour(ScanStripBackgroundColour(alternativeColours));
  FillRectSolid(x + w, y, kFar, -kFar);
  struct Line {
    int colour;
    int32_t x;
    int32_t top;
  };
  const Line lines[] = {
      {7, x - 1, y + 1},         {7, x, y + 1},             {4, x + s, y + 1},
      {3, x + w - 1, y - 1},     {1, x + w, y - 1},         {2, x + w + s, y - 2},
      {2, x + w + 2 * s, y - 2}, {4, x + w + 3 * s, y - 3}, {4, x + w + 4 * s, y - 3},
  };
  for (const Line& l : lines) {
    SelectDrawColour(l.colour);
    DrawLineWidth(l.x, l.top, l.x, bottom, 0);
  }
}

ScanStripOutcome PaintScanStripContent(const ScanStripView& view, int32_t x, int32_t y,
                                       const ScanStripImageDrawing& drawing) {
  ScanStripOutcome out;
  const int background = ScanStripBackgroundColour(view.alternativeColours);
  const bool imageReady = view.imageLoaded && !view.imageWaiting;
  SelectDrawColour(background);
  FillRectSolid(0, 0, 14000, -14000);
  if (!view.pageShown) {
    SelectDrawColour(background);
    FillRectSolid(-2, y, view.paneWidth + 3, -(view.stripHeight + 10));
    if (view.scoreHasPages && view.scannedPageGone) {
      DrawMessage(kStrScannedPageGone, view.alternativeColours ? 2 : 1);
      out.goneMessage = true;
    } else if (!imageReady) {
      SelectDrawColour(background);
      FillRectSolid(0, 0, 14000, -14000);
    }
    return out;
  }
  const bool editing = view.editedStave >= 0;
  if (imageReady && view.imageWidth > 0 && view.imageHeight > 0) {
    const ScanStripPlacement at = PlaceScanStripImage(view, x, y);
    if (!editing) {
      if (drawing.drawWhole) drawing.drawWhole(at, view.alternativeColours);
      SelectDrawColour(background);
      FillRoundImage(at.x, at.y, at.width, at.height, view.paneWidth);
    } else if (drawing.drawRegion) {
      drawing.drawRegion(at);
    }
    out.imageDrawn = true;
    DrawImageStripFrame(x, y, view.paneWidth, view.stripHeight, view.alternativeColours);
    int32_t rect[4];
    if (!editing && drawing.recolourHighlight && ScanStripHighlightRect(view, at, rect)) {
      drawing.recolourHighlight(rect);
    }
  }
  if (!editing || view.imageWaiting) {
    const bool waiting = view.imageWaiting;
    DrawHint(waiting ? kStrOpeningImage : kStrStripHint);
    out.hint = waiting ? ScanStripHint::kOpening : ScanStripHint::kDoubleClick;
  }
  return out;
}
