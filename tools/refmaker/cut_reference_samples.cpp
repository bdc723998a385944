// Cuts notehead samples from the pages the project engraves, through the
// engine's own code: the staff finder gives each head's staff space, and the
// notehead finder's crop (NoteheadPatchBox, on the page with its staff lines)
// gives the features, as the finder takes them of a candidate. The labels
// are the engraver's: the truth's notehead boxes and kinds that
// benchmarks/music/make_pages.py reads from the engraver's SVG.
//
// usage: cut_reference_samples PAGE_FOLDER ENGINE_FOLDER OUT_FILE [PER_CLASS]
//
// ENGINE_FOLDER is a built engine folder (build/native/bin/Resources/Quorm);
// the engine starts from it, and only its staff finder is run, which reads
// no reference set, so the samples do not depend on the sets they make.
// Reads the pages of the "train" role in PAGE_FOLDER/index.txt (clean pages;
// the degraded copies are drawn here, seeded, as the reference tool draws
// those of its glyphs) and writes OUT_FILE in the form ReadCutSamples reads
// (tools/refmaker/engraved-samples.txt). Of each engraver's heads of a class
// at most PER_CLASS (default 120) are kept, evenly spread over the pages in
// their order. Nothing comes from the clock.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Engpaths.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/EngravedPage.h"
#include "tools/refmaker/RefMaker.h"

namespace {

constexpr int32_t kDegradedCopies = 2;

struct TrueHead {
  int page;
  int headClass;
  int x0, y0, x1, y1;
};

// The notehead boxes of a truth file (make_pages.py): "box PAGE KIND X0 Y0
// X1 Y1" with KIND NoteBlack, NoteHalf or NoteWhole.
bool ReadHeads(const std::string& path, std::vector<TrueHead>* heads) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string what, kind;
    TrueHead h{};
    if (!(words >> what) || what != "box" || !(words >> h.page >> kind >> h.x0 >> h.y0 >> h.x1 >> h.y1)) continue;
    if (kind == "NoteBlack") h.headClass = 0;
    else if (kind == "NoteHalf") h.headClass = 1;
    else if (kind == "NoteWhole") h.headClass = 2;
    else continue;
    heads->push_back(h);
  }
  return true;
}

struct Cut {
  int32_t headClass;
  std::vector<uint8_t> rows;  // the clean crop's features, then each degraded copy's
};

// The samples of one page's heads; false when the page cannot be read.
bool CutPage(const std::string& path, const std::vector<TrueHead>& heads, int page, uint64_t seed,
             std::vector<Cut>* out) {
  EngravedPage engraved;
  if (!LoadEngravedPage(path, &engraved)) return false;
  FreeEngine();
  if (InitialiseEngine() != kEngineOk ||
      LoadPageImage(engraved.bits.data(), engraved.width, engraved.height, 0) != kEngineOk ||
      RunStaffStage(1, nullptr, nullptr) != kStageCompleted)
    return false;
  int index = 0;
  for (const TrueHead& h : heads) {
    if (h.page != page) continue;
    ++index;
    const int32_t column = (h.x0 + h.x1) / 2, centre = (h.y0 + h.y1) / 2;
    const int32_t staff = NearestStaff(centre, column);
    if (staff < 0) continue;
    const int32_t space1024 = GetStaffSpace(staff);
    const int32_t space = std::max(4, space1024 / 1024);
    // The page round the head, with its staff lines.
    const int32_t top = centre - 2 * space, left = h.x0 - 2 * space;
    refmaker::Canvas canvas(h.x1 - h.x0 + 4 * space + 1, 4 * space + 1);
    for (int32_t y = 0; y < canvas.height; ++y)
      for (int32_t x = 0; x < canvas.width; ++x) {
        const int32_t py = top + y, px = left + x;
        if (py >= 0 && py < engraved.height && px >= 0 && px < engraved.width && engraved.Black(px, py))
          canvas.pixels[static_cast<size_t>(y) * canvas.width + x] = 1;
      }
    const int32_t shift[1][3] = {{0, 0, 0}};
    Cut cut{h.headClass, {}};
    bool whole = refmaker::HeadCanvasFeatures(canvas, h.headClass, space1024, centre - top, h.x0 - left,
                                              h.x1 - left, shift, 1, &cut.rows) == 1;
    const std::vector<refmaker::Degradation> spoils =
        refmaker::MakeDegradations(seed * 4096 + static_cast<uint64_t>(index), kDegradedCopies);
    for (const refmaker::Degradation& d : spoils) {
      refmaker::Canvas spoilt = canvas;
      refmaker::DegradeCanvas(&spoilt, d);
      whole = whole && refmaker::HeadCanvasFeatures(spoilt, h.headClass, space1024, centre - top, h.x0 - left,
                                                    h.x1 - left, shift, 1, &cut.rows) == 1;
    }
    if (whole) out->push_back(std::move(cut));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: cut_reference_samples PAGE_FOLDER ENGINE_FOLDER OUT_FILE [PER_CLASS]\n");
    return 2;
  }
  const std::string folder = argv[1];
  SetEngineFolder(argv[2]);
  const char* outFile = argv[3];
  const int perClass = argc == 5 ? std::atoi(argv[4]) : 120;
  if (perClass < 1) {
    std::fprintf(stderr, "cut_reference_samples: PER_CLASS must be a positive number\n");
    return 2;
  }
  InitialiseIntMath();
  InitialiseEdgeFeatureTables();
  std::ifstream index(folder + "/index.txt");
  if (!index) {
    std::fprintf(stderr, "cut_reference_samples: no %s/index.txt (write the pages with benchmarks/music/make_pages.py)\n",
                 folder.c_str());
    return 1;
  }
  // Per engraver and class, every head's samples in page order.
  std::map<std::string, std::map<int32_t, std::vector<Cut>>> cuts;
  std::map<std::string, std::vector<TrueHead>> truths;
  std::string line;
  int pages = 0;
  while (std::getline(index, line)) {
    std::istringstream words(line);
    std::string role, engraver = "musescore";
    int score = 0, page = 0;
    if (!(words >> role >> score >> page) || role != "train") continue;
    words >> engraver;
    const std::string base = folder + "/" + (engraver == "lilypond" ? "ly" : "score") + std::to_string(score);
    if (truths.find(base) == truths.end() && !ReadHeads(base + ".truth", &truths[base])) {
      std::fprintf(stderr, "cut_reference_samples: %s.truth cannot be read\n", base.c_str());
      return 1;
    }
    std::vector<Cut> page_cuts;
    const std::string path = base + "-" + std::to_string(page) + ".tif";
    const uint64_t seed = static_cast<uint64_t>(score) * 64 + static_cast<uint64_t>(page) * 2 +
                          (engraver == "lilypond" ? 1 : 0);
    if (!CutPage(path, truths[base], page, seed, &page_cuts)) {
      std::fprintf(stderr, "cut_reference_samples: %s cannot be read or has no staves\n", path.c_str());
      return 1;
    }
    ++pages;
    for (Cut& c : page_cuts) cuts[engraver][c.headClass].push_back(std::move(c));
  }
  FreeEngine();
  std::string text =
      "# Notehead samples cut from the project's engraved training pages (tools/refmaker/README.md):\n"
      "# \"head CLASS FEATURES\", the finder's crop of the clean page, then its degraded copies.\n";
  int kept = 0;
  for (const auto& [engraver, classes] : cuts)
    for (const auto& [headClass, list] : classes) {
      const size_t n = std::min(list.size(), static_cast<size_t>(perClass));
      for (size_t k = 0; k < n; ++k) {
        const Cut& c = list[k * list.size() / n];
        for (size_t r = 0; r + kEdgeFeatureCount <= c.rows.size(); r += kEdgeFeatureCount) {
          refmaker::CutSample sample;
          sample.head = true;
          sample.code = headClass;
          sample.features.assign(c.rows.begin() + static_cast<std::ptrdiff_t>(r),
                                 c.rows.begin() + static_cast<std::ptrdiff_t>(r + kEdgeFeatureCount));
          text += refmaker::CutSampleLine(sample) + "\n";
        }
        ++kept;
      }
      std::printf("%s class %d: %zu heads, %zu kept\n", engraver.c_str(), headClass, list.size(), n);
    }
  if (!refmaker::WriteFileBytes(std::u16string(outFile, outFile + std::string(outFile).size()),
                                std::vector<uint8_t>(text.begin(), text.end()))) {
    std::fprintf(stderr, "cut_reference_samples: cannot write %s\n", outFile);
    return 1;
  }
  std::printf("%d pages, %d heads kept\n", pages, kept);
  return 0;
}
