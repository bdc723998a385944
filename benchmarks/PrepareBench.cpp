// Prepares and stores a made A4 grey page at 300 and 600 dpi and prints the
// time of each step. Not a test: run it from a Release build.
#include <chrono>
#include <cstdio>
#include <string>

#include "pages/PageImageStore.h"
#include "platform/Messages.h"
#include "reading/PagePreparation.h"
#include "reading/PageSprites.h"
#include "reading/PageThreshold.h"
#include "tests/reading/SyntheticPages.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

class StepTimer : public PreparationObserver {
 public:
  StepTimer() : last_(Clock::now()) {}
  void StepDone(const char* step) override { Report(step); }
  void Report(const char* step) {
    Clock::time_point now = Clock::now();
    std::printf("  %-26s %9.1f ms\n", step, Milliseconds(last_, now));
    last_ = now;
  }

 private:
  Clock::time_point last_;
};

void RunPage(int resolution, double angle, const std::string& folder) {
  SyntheticPage made = A4Page(resolution);
  made.angle = angle;
  std::printf("A4 at %d dpi (%d x %d), skewed %.1f degrees\n", resolution, made.width, made.height, angle);
  Clock::time_point start = Clock::now();
  StepTimer timer;
  OwnedPageImage grey = MakeGreyPage(made);
  timer.Report("making the grey page");
  Clock::time_point prepared = Clock::now();
  PreparationSettings settings;
  settings.resolution = resolution;
  PreparationResult result;
  ResetPaperPeak();
  OwnedPageImage page = PreparePageImage(std::move(grey), 256, settings, &result, &timer);
  if (!page.Valid()) {
    std::printf("  preparation failed\n");
    return;
  }
  double prepareMs = Milliseconds(prepared, Clock::now());
  Handle area = MakePageSpriteArea(page.View(), "scanned");
  timer.Report("into a sprite area");
  std::u16string path(folder.begin(), folder.end());
  path += u"/prepare_bench_page";
  PageImageWrite written = WritePageImageFile(path.c_str(), static_cast<uint8_t*>(area), HandleSize(area), resolution);
  timer.Report(written == PageImageWrite::kFailed ? "storing (FAILED)" : "storing, compressed");
  FreeHandle(&area);
  std::remove(std::string(folder + "/prepare_bench_page").c_str());
  std::printf("  angle found %.2f, threshold %d; preparation %.1f ms, all %.1f ms\n\n", result.angle,
              result.threshold, prepareMs, Milliseconds(start, Clock::now()));
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : "/tmp";
  for (int resolution : {300, 600}) RunPage(resolution, 1.3, folder);
  return 0;
}
