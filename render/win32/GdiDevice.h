// The GDI device: the drawing layer's device calls on a window, memory
// bitmap or printer context. Font handles are HFONTs.
#pragma once

#include <windows.h>

#include "render/DrawDevice.h"

class GdiDevice : public render::DrawDevice {
 public:
  explicit GdiDevice(HDC dc = nullptr) : dc_(dc) {}
  HDC Context() const { return dc_; }
  void SetContext(HDC dc) { dc_ = dc; }

  void MoveTo(int x, int y) override;
  void LineTo(int x, int y, const render::Pen& pen) override;
  void Rectangle(int left, int top, int right, int bottom, const render::Pen& pen,
                 const render::Brush& brush) override;
  void Ellipse(int left, int top, int right, int bottom, const render::Pen& pen,
               const render::Brush& brush) override;
  void FillBezierPath(render::DevicePoint start, const render::DevicePoint* points, int count,
                      render::Colour colour) override;
  void TextAt(int x, int y, const char16_t* text, int length) override;
  void SetTextColour(render::Colour colour) override;
  void SetTransparentBaselineText() override;
  render::FontHandle MakeFont(const render::FontRequest& request) override;
  render::FontHandle SelectFont(render::FontHandle font) override;
  void DeleteFont(render::FontHandle font) override;
  render::TextExtent MeasureText(const char16_t* text, int length) override;
  int AverageCharWidth() override;
  void SetScaledMapping(int windowCx, int windowCy, int viewportCx, int viewportCy) override;
  void RestoreMapping() override;
  void SetXorDrawing(bool on) override;
  bool FaceInstalled(const char16_t* face) override;
  bool InstallMusicFont() override;

 private:
  HDC dc_;
  int savedMapMode_ = MM_TEXT;
};

// The music font file's route into the system: the font resource file in
// the Windows fonts folder (NT) or the current folder (9x); when that is
// refused, the font file itself for this process (AddFontResourceEx with
// FR_PRIVATE), from the fonts folder or from beside the program.
bool InstallMusicFontFile();
