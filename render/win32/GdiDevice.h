// The GDI device: the drawing layer's device calls on a window, memory
// bitmap or printer context. Font handles are HFONTs.
#pragma once

#include <windows.h>

#include "render/DrawDevice.h"

// Pens and brushes of the shapes drawn, kept for the next shape of the same
// pen or brush instead of being made and deleted for each one (a page of a
// few thousand items uses a handful of each).
class GdiObjectCache {
 public:
  GdiObjectCache() = default;
  ~GdiObjectCache();
  GdiObjectCache(const GdiObjectCache&) = delete;
  GdiObjectCache& operator=(const GdiObjectCache&) = delete;
  // The pen or brush, made when new; a full cache lets its oldest go, never
  // the one kept (the one selected now).
  HPEN Pen(const render::Pen& pen, HGDIOBJ keep);
  HBRUSH Brush(const render::Brush& brush, HGDIOBJ keep);
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
  int nextPen_ = 0, nextBrush_ = 0;  // where the next search for a slot to let go starts
};

// Selecting a pen, brush or font is among the dearer GDI calls, and a page
// draws thousands of lines and glyphs in a few pens and fonts. So the device
// selects lazily: a pen or brush stays in the context after the shape that
// used it, and SelectFont only notes the font, which goes into the context
// when text is drawn or measured with it. Release() (also on a change of
// context and at the end) puts the context's own pen and brush back and
// leaves the font the callers selected last in it, so that outside the
// device the context looks as if every call had selected at once.
class GdiDevice : public render::DrawDevice {
 public:
  explicit GdiDevice(HDC dc = nullptr) : dc_(dc) {}
  ~GdiDevice() override { Release(); }
  GdiDevice(const GdiDevice&) = delete;
  GdiDevice& operator=(const GdiDevice&) = delete;
  HDC Context() const { return dc_; }
  void SetContext(HDC dc) {
    if (dc == dc_) return;
    Release();
    dc_ = dc;
  }
  void Release();

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
  bool UsePen(const render::Pen& pen);
  bool UseBrush(const render::Brush& brush);
  void UseFont();
  // Pens and fonts are made for the device as the mapping stands when they
  // are selected: a new mapping takes them out, to be selected again.
  void ForgetSelections();

  HDC dc_;
  int savedMapMode_ = MM_TEXT;
  GdiObjectCache objects_;
  // The context's own pen and brush while one of ours is in it, and ours.
  HGDIOBJ ownPen_ = nullptr, ownBrush_ = nullptr;
  HGDIOBJ pen_ = nullptr, brush_ = nullptr;
  // The font the callers selected last and the one in the context, once
  // SelectFont was first called on this context.
  bool fontKnown_ = false;
  HGDIOBJ wantedFont_ = nullptr, contextFont_ = nullptr;
};

// The music font file's route into the system: the font resource file in
// the Windows fonts folder (NT) or the current folder (9x); when that is
// refused, the font file itself for this process (AddFontResourceEx with
// FR_PRIVATE), from the fonts folder or from beside the program.
bool InstallMusicFontFile();
