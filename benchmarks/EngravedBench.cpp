#include "benchmarks/EngravedBench.h"

#include <cstdio>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Engpaths.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tools/refmaker/RefMaker.h"

namespace {

std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

bool PrepareReferenceEngine(const std::string& pagesFolder, const std::string& engineFolder, bool heads,
                            bool symbols) {
  InitialiseIntMath();
  InitialiseEdgeFeatureTables();
  std::string error;
  if (!refmaker::WriteReferenceFolder(Wide(pagesFolder + "/glyphs"), Wide(engineFolder), heads, symbols, &error)) {
    std::printf("%s\n", error.c_str());
    return false;
  }
  SetEngineFolder(engineFolder.c_str());
  return true;
}

bool TimeEngravedPages(const std::string& pagesFolder, EngravedPageTimer time) {
  for (const char* name : {"piano", "melody", "chorale"}) {
    EngravedPage page;
    if (!LoadEngravedPage(pagesFolder + "/" + name + ".tif", &page)) {
      std::printf("%-22s cannot be read\n", name);
      return false;
    }
    time(name, page.bits.data(), page.width, page.height);
  }
  return true;
}

bool StartAfterStaffStage(const char* name, int nameWidth, const uint32_t* bits, int width, int height) {
  FreeEngine();
  if (LoadPageImage(bits, width, height, 0) != kEngineOk || RunStaffStage(1, nullptr, nullptr) != kStageCompleted ||
      LoadMusicReferences() != kEngineOk) {
    std::printf("%-*s the staff stage or the references failed\n", nameWidth, name);
    return false;
  }
  return true;
}

void EndTimedPage() {
  std::fflush(stdout);
  FreePageBitmap();
  FreeEngine();
}
