// The seam under the drawing layer: the few device calls that every picture
// of the score goes through. Everything above it (transforms, clipping, the
// colour table, the glyph table, score text) is portable; a device is either
// the GDI context of a window, bitmap or printer (render/win32/) or the
// recording device (RecordingDevice.h), which writes a canonical text list of
// what is drawn and measures text from tables made from the fonts Wine uses.
//
// Coordinates are logical device coordinates exactly as GDI takes them (y
// grows downwards); the drawing layer has already negated its upward y.
#pragma once

#include <cstdint>
#include <string>

namespace render {

using Colour = uint32_t;     // 0x00BBGGRR
using FontHandle = uintptr_t;  // 0: none

enum class PenStyle { Solid, Dotted };

struct Pen {
  PenStyle style;
  int width;
  Colour colour;
};

// A brush of the colour, or the hollow stock brush.
struct Brush {
  bool hollow;
  Colour colour;
};

struct DevicePoint {
  int x;
  int y;
};

// A logical font (the fields of a LOGFONT that the program sets).
struct FontRequest {
  int height = 0;  // negative: character height
  int width = 0;
  int weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  int quality = 0;  // 0 default, 3 non-antialiased, 4 antialiased
  std::u16string face;
};

struct TextExtent {
  int cx;
  int cy;
};

// What the colour table asks of a display.
struct DisplayCaps {
  int numColours;  // NUMCOLORS: -1 on true-colour displays
  Colour buttonFace;
  Colour buttonHighlight;
  Colour buttonShadow;
  Colour buttonText;
  Colour grayText;
};

class DrawDevice {
 public:
  virtual ~DrawDevice() = default;

  // ---- Lines and shapes (a pen and a brush made for the one call) ----
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y, const Pen& pen) = 0;
  virtual void Rectangle(int left, int top, int right, int bottom, const Pen& pen, const Brush& brush) = 0;
  virtual void Ellipse(int left, int top, int right, int bottom, const Pen& pen, const Brush& brush) = 0;
  // A closed path from start through the Bezier points (a multiple of three),
  // stroked with a one-pixel pen and filled, both in colour.
  virtual void FillBezierPath(DevicePoint start, const DevicePoint* points, int count, Colour colour) = 0;

  // ---- Text ----
  virtual void TextAt(int x, int y, const char16_t* text, int length) = 0;
  virtual void SetTextColour(Colour colour) = 0;
  // Transparent background and left-baseline alignment.
  virtual void SetTransparentBaselineText() = 0;
  virtual FontHandle MakeFont(const FontRequest& request) = 0;
  // Selects a font and returns the one selected before (0 for the device's own).
  virtual FontHandle SelectFont(FontHandle font) = 0;
  virtual void DeleteFont(FontHandle font) = 0;
  // Of the font selected now.
  virtual TextExtent MeasureText(const char16_t* text, int length) = 0;
  virtual int AverageCharWidth() = 0;

  // ---- Mapping and drawing mode ----
  // MM_ANISOTROPIC with the extents, remembering the mode in use; and back.
  virtual void SetScaledMapping(int windowCx, int windowCy, int viewportCx, int viewportCy) = 0;
  virtual void RestoreMapping() = 0;
  // Pens draw by XOR with the picture, or by copying.
  virtual void SetXorDrawing(bool on) = 0;

  // ---- Faces ----
  // Whether a face of this full name is known to the device (enumeration).
  virtual bool FaceInstalled(const char16_t* face) = 0;
  // Makes the music font file known to the system; false when it failed.
  virtual bool InstallMusicFont() = 0;
};

}  // namespace render
