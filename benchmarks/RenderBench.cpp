// Painting a dense score page (about 2,000 items, tests/render/scores/
// dense.txt): milliseconds per paint (the screen's numbering pass and its
// drawing pass) and per layout-only pass, best of 20. Natively the page goes
// into the recording device; the Windows build (run under Wine) paints it
// with GDI through the pane's off-screen bitmap into a window-sized bitmap.
// Target: a paint within half a 60 Hz frame (8 ms) on one core.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/GlyphTable.h"
#include "render/MusicFonts.h"
#include "render/ScorePagePainter.h"
#include "score/ItemSelection.h"
#include "tests/render/ScoreListing.h"
#ifdef _WIN32
#include <windows.h>

#include "render/win32/DibSection.h"
#include "render/win32/GdiDevice.h"
#include "render/win32/ScorePagePane.h"
#else
#include "render/RecordingDevice.h"
#endif

namespace {

constexpr int kWidth = 1200, kHeight = 1700;

template <class Run>
double BestOf20(Run&& run) {
  double ms = 1e9;
  for (int i = 0; i < 20; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    run();
    const auto t1 = std::chrono::steady_clock::now();
    ms = std::min(ms, std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string listing = argc > 1 ? argv[1] : std::string(KV_RENDER_SCORES_DIR) + "/dense.txt";
  std::string error;
  if (!BuildScoreFromListingFile(listing, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  ResetDrawingState();
  BuildGlyphTable();
  FillColourTables(render::DisplayCaps{-1, 0xC0C0C0, 0xFFFFFF, 0x808080, 0, 0x808080});
  DrawingState().scale = 1.0;
  PainterSettings().viewWidth = kWidth;
  PainterSettings().viewHeight = kHeight;
#ifdef _WIN32
  HDC window = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  HBITMAP bitmap = CreateTopDownDib32(window, kWidth, kHeight, &bits);
  HGDIOBJ old = SelectObject(window, bitmap);
  GdiDevice device(window);
  DrawingState().dc = &device;
  const double paint = BestOf20([&] { PaintScorePagePane(window, RECT{0, 0, kWidth - 1, kHeight - 1}, 1, 1); });
  const char* where = "GDI, off-screen bitmap and copy";
#else
  RecordingDevice device;
  DrawingState().dc = &device;
  const double paint = BestOf20([&] {
    device.Clear();
    PaintScorePage(1, 1, nullptr, DeviceRect{0, 0, kWidth, kHeight}, 0, 0);
  });
  const char* where = "recording device";
#endif
  const double layout = BestOf20([] { RebuildItemIndexLayout(); });
  std::printf("items %d (%s)\n", TheScoreViewItems().index.count, where);
  std::printf("paint (numbering pass + drawing pass): %.2f ms per page\n", paint);
  std::printf("layout-only pass: %.2f ms; the drawing pass alone about %.2f ms\n", layout, paint - layout);
#ifdef _WIN32
  SelectObject(window, old);
  DeleteObject(bitmap);
  DeleteDC(window);
#endif
  return 0;
}
