// A pane painted off screen: a 24-bit section of the paint rectangle in a
// memory context compatible with the window's, made the drawing layer's
// device for the paint and copied to the window in one piece, so a paint
// never flickers. The section and context of a paint are kept for the next
// paint of the same size. When a step of the set-up fails the window says which
// (device placement, colour 11, "MS Sans Serif" 10) and nothing is drawn.
#pragma once

#include <windows.h>

#include "render/win32/GdiDevice.h"

class OffscreenPane {
 public:
  // paint in client pixels; a failure is said at (sayX + 16, sayY - 32).
  OffscreenPane(HDC windowDc, const RECT& paint, int sayX, int sayY);
  ~OffscreenPane();
  OffscreenPane(const OffscreenPane&) = delete;
  OffscreenPane& operator=(const OffscreenPane&) = delete;

  bool Ready() const { return ready_; }
  HDC Memory() const { return memory_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Makes the memory context the drawing layer's device (text fonts made on
  // another context are let go first), and puts the previous one back.
  void BeginDrawing();
  void EndDrawing();
  // Flushes and copies the whole section to the window at the paint
  // rectangle's corner.
  void CopyToWindow();

 private:
  void Say(unsigned message);

  HDC window_;
  RECT paint_;
  int sayX_, sayY_;
  int width_, height_;
  HANDLE heap_ = nullptr;
  BITMAPINFO* header_ = nullptr;
  HDC memory_ = nullptr;
  HBITMAP section_ = nullptr;
  HGDIOBJ previousBitmap_ = nullptr;
  int savedState_ = 0;
  bool ready_ = false;
  GdiDevice device_;
  render::DrawDevice* savedDevice_ = nullptr;
  bool drawing_ = false;
};

// Lets go of the sections kept for the next paints (at the end of the run).
void FreeKeptPaneSections();

// The header size of the section: BITMAPINFOHEADER and 256 palette entries.
constexpr size_t kPaneBitmapHeaderBytes = 1064;
