// Painting a dense score page (about 2,000 items, tests/render/scores/
// dense.txt) into the recording device: milliseconds per paint (the screen's
// numbering pass and its drawing pass) and per layout-only pass, best of 20.
// Target: a paint within half a 60 Hz frame (8 ms) on one core.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "render/Colours.h"
#include "render/DrawingState.h"
#include "render/GlyphTable.h"
#include "render/MusicFonts.h"
#include "render/RecordingDevice.h"
#include "render/ScorePagePainter.h"
#include "score/ItemSelection.h"
#include "tests/render/ScoreListing.h"

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
  RecordingDevice device;
  DrawingState().dc = &device;
  DrawingState().scale = 1.0;
  PainterSettings().viewWidth = 1200;
  PainterSettings().viewHeight = 1700;
  auto best = [&](auto&& run) {
    double ms = 1e9;
    for (int i = 0; i < 20; ++i) {
      device.Clear();
      const auto t0 = std::chrono::steady_clock::now();
      run();
      const auto t1 = std::chrono::steady_clock::now();
      ms = std::min(ms, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return ms;
  };
  const double paint = best([] { PaintScorePage(1, 1, nullptr, DeviceRect{0, 0, 1200, 1700}, 0, 0); });
  const size_t calls = device.Lines().size();
  const double layout = best([] { RebuildItemIndexLayout(); });
  std::printf("items %d, drawing calls %zu\n", TheScoreViewItems().index.count, calls);
  std::printf("paint (numbering pass + drawing pass): %.2f ms per page, %.2f ms per pass\n", paint, paint / 2);
  std::printf("layout-only pass: %.2f ms\n", layout);
  return 0;
}
