// Prepares and stores a made A4 grey page at 300 and 600 dpi and prints the
// time of each step and the peak memory (resident set) the page took. Each
// page runs in a process of its own, so that each peak is that page's. Not a
// test: run it from a Release build.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include <tiffio.h>

#include "pages/ImageFiles.h"
#include "pages/PageImageStore.h"
#include "pages/SpriteArea.h"
#include "pages/TiffFile.h"
#include "platform/Messages.h"
#include "reading/PagePreparation.h"
#include "reading/PageSprites.h"
#include "reading/PageThreshold.h"
#include "tests/reading/SyntheticPages.h"

namespace {

using Clock = std::chrono::steady_clock;

// The process's peak resident set so far, in megabytes.
double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

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

// Writes a made A4 grey page as an 8-bit TIFF file, as a scanner program
// would leave it; false when it could not be written.
bool WriteGreyTiff(int resolution, double angle, const std::u16string& path) {
  SyntheticPage made = A4Page(resolution);
  made.angle = angle;
  OwnedPageImage grey = MakeGreyPage(made);
  TIFF* tif = OpenTiffFile(path.c_str(), "w");
  if (!tif || !grey.Valid()) return false;
  const PageImage& view = grey.View();
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(view.width));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(view.height));
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 64);
  TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(resolution));
  TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(resolution));
  bool ok = true;
  for (int32_t y = 0; ok && y < view.height; ++y) ok = TIFFWriteScanline(tif, view.Row(y), uint32_t(y), 0) == 1;
  TIFFClose(tif);
  return ok;
}

// Opens the page file as the program does (its facts, an area of the size
// they ask for, the pixels), prepares it and stores it, timing each step.
void RunPage(int resolution, const std::u16string& file, const std::string& folder) {
  const double before = PeakMegabytes();
  Clock::time_point start = Clock::now();
  StepTimer timer;
  uint32_t imageBytes = 0, rowWords = 0, rows = 0, mode = 0, dpi = 0;
  Handle source = nullptr;
  if (ReadImageFileInfo(file.c_str(), &imageBytes, &rowWords, &rows, &mode, &dpi, false) ||
      !AllocHandleChecked(&source, imageBytes, 0, 0)) {
    std::printf("  the page file could not be opened\n");
    return;
  }
  InitSpriteArea(static_cast<uint8_t*>(source), imageBytes);
  if (LoadTiffPage(static_cast<uint8_t*>(source), file.c_str())) {
    std::printf("  the page file could not be loaded\n");
    return;
  }
  timer.Report("loading the page file");
  Clock::time_point prepared = Clock::now();
  PreparationSettings settings;
  settings.resolution = resolution;
  PreparationResult result;
  ResetPaperPeak();
  OwnedPageImage page =
      PreparePageImage(CopySpriteImage(static_cast<uint8_t*>(source)), 256, settings, &result, &timer);
  FreeHandle(&source);
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
  std::printf("  angle found %.2f, threshold %d; preparation %.1f ms, all %.1f ms\n", result.angle,
              result.threshold, prepareMs, Milliseconds(start, Clock::now()));
  const SyntheticPage made = A4Page(resolution);
  const double pixels = double(made.width) * made.height / (1024.0 * 1024.0);
  const double peak = PeakMegabytes();
  std::printf("  peak memory %.1f MB (%.1f MB before the page): %.1f MB for the page, %.2f bytes a pixel\n\n", peak,
              before, peak - before, (peak - before) / pixels);
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : "/tmp";
  for (int resolution : {300, 600}) {
    const double angle = 1.3;
    const std::u16string file = std::u16string(folder.begin(), folder.end()) + u"/prepare_bench_page.tif";
    if (!WriteGreyTiff(resolution, angle, file)) {
      std::printf("A4 at %d dpi: the page file could not be written\n", resolution);
      return 1;
    }
    const SyntheticPage made = A4Page(resolution);
    std::printf("A4 at %d dpi (%d x %d), skewed %.1f degrees, from an 8-bit TIFF file\n", resolution, made.width,
                made.height, angle);
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
      RunPage(resolution, file, folder);
      std::fflush(stdout);
      _exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::printf("A4 at %d dpi: the page's process failed\n", resolution);
      return 1;
    }
    std::remove((folder + "/prepare_bench_page.tif").c_str());
  }
  return 0;
}
