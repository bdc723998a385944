// The GDI device: the drawing layer's device calls on a window, memory
// bitmap or printer context. Font handles are HFONTs.
#pragma once

#include <windows.h>

#include "render/DrawDevice.h"

// Pens and brushes of the shapes drawn, kept for the next shape of the same
// pen or brush instead of being made and deleted for each one (a page of a
// few thousand items uses a handful of each). They are selected only for the
// call that draws with them, so the context never keeps one after a call.
class GdiObjectCache {
 public:
  GdiObjectCache() = default;
  ~GdiObjectCache();
  GdiObjectCache(const GdiObjectCache&) = delete;
  GdiObjectCache& operator=(const GdiObjectCache&) = delete;
  HPEN Pen(const render::Pen& pen);
  HBRUSH Brush(const render::Brush& brush);
  // Deletes every pen and brush kept (none may be selected anywhere).
  void Clear();

 private:
  static constexpr int kSlots = 16;
  struct PenSlot {
    render::PenStyle style;
    int width;
    render::Colour colour;
    HPEN pen;
  };
  struct BrushSlot {
    render::Colour colour;
    HBRUSH brush;
  };
  PenSlot pens_[kSlots] = {};
  BrushSlot brushes_[kSlots] = {};
  int penCount_ = 0, brushCount_ = 0;
  int nextPen_ = 0, nextBrush_ = 0;  // the slot a new one replaces once all are used
};

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
  template <typename Draw>
  void WithPenAndBrush(const render::Pen& pen, const render::Brush& brush, Draw draw);

  HDC dc_;
  int savedMapMode_ = MM_TEXT;
  GdiObjectCache objects_;
};

// The music font file's route into the system: the font resource file in
// the Windows fonts folder (NT) or the current folder (9x); when that is
// refused, the font file itself for this process (AddFontResourceEx with
// FR_PRIVATE), from the fonts folder or from beside the program.
bool InstallMusicFontFile();
