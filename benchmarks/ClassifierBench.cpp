// The shape classifier against its measuring set, and its fast feature forms
// against the reference forms. Not a test: run it from a Release build.
//
//   classifier_bench <data folder> <training inputs> <measuring folder>
//
// The measuring set is made by the sample tool with other staff spaces,
// other seeds and heavier degradations than training sees:
//   make_training_samples <outlines> <measuring folder> --measuring
// Per type, at the stages' thresholds (8 x 16 accept 91 with safe 96 and
// maybe 70, 8 x 8 accept 92 with safe 94, notation grade 90 or more):
// recall (samples of the type taken as the type) and false accepts (samples
// of other types taken as the type, over all other samples).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "pages/StoreFileBytes.h"
#include "shapes/ClassifierDatabases.h"
#include "shapes/FeatureMatch.h"
#include "shapes/NotationMatch.h"
#include "shapes/RunDescription.h"
#include "shapes/ShapeRuns.h"
#include "shapes/ShapeTraining.h"
#include "shapes/ZoneFeatures.h"
#include "shapes/ZoneFeatureRecordHeader.h"

namespace {

using Clock = std::chrono::steady_clock;

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Sample {
  std::string name;
  int type = 255;
  int ypos = -1;
  int part = 0;
  SampleBitmap bitmap;
};

// The sample lines of one section ("8x16" or "8x8") of a sample file.
std::vector<Sample> ReadSamples(const std::string& folder, const std::string& file, const char* grid,
                                const TypeList& types) {
  std::vector<Sample> out;
  std::istringstream text(ReadText(folder + "/" + file));
  std::string line;
  bool inside = false;
  FolderTrainingInputs inputs;
  SetDeveloperDataFolder(Wide(folder));
  const std::u16string sub = Wide(std::string("Symb") + grid);
  while (std::getline(text, line)) {
    if (line.empty() || line[0] == '-') continue;
    if (line[0] == '>') {
      // The section's grid: the first of the five names the line holds.
      inside = false;
      for (const char* name : {"16x32", "8x32", "16x16", "8x16", "8x8"}) {
        if (line.find(name) == std::string::npos) continue;
        inside = std::strcmp(name, grid) == 0;
        break;
      }
      continue;
    }
    if (!inside || line[0] == '|' || line[0] == 'X') continue;
    std::istringstream fields(line);
    Sample s;
    fields >> s.name;
    const std::string stem = s.name.substr(0, s.name.find('.'));
    s.type = types.Find(stem.c_str());
    if (s.type < 0) continue;
    std::string f;
    while (fields >> f) {
      if (f.rfind("YPOS:", 0) == 0) s.ypos = std::atoi(f.c_str() + 5);
      if (f.rfind("PART:", 0) == 0) s.part = std::atoi(f.c_str() + 5) - 1;
    }
    if (!inputs.LoadSample(sub.c_str(), s.name, &s.bitmap)) continue;
    out.push_back(std::move(s));
  }
  return out;
}

struct Tally {
  int samples = 0, taken = 0, falseTaken = 0;
};

void Report(const char* title, const std::map<int, Tally>& tally, int total) {
  std::printf("%s\n  type  samples  recall  false accepts\n", title);
  for (const auto& [type, t] : tally) {
    const int others = total - t.samples;
    std::printf("  %4d  %7d  %6.3f  %6.4f\n", type, t.samples, t.samples ? double(t.taken) / t.samples : 0.0,
                others ? double(t.falseTaken) / others : 0.0);
  }
}

bool BandFits(int code, int band) { return code == 15 || (code == 14 ? band == 4 || band == 8 : code == band); }

void MeasureBigSymbols(const ShapeDatabase& db, const std::vector<Sample>& samples) {
  std::map<int, Tally> tally;
  const ZoneGridParameters& p = GridParameters(ZoneGrid::k8x16);
  for (const Sample& s : samples) {
    ++tally[s.type].samples;
    uint8_t cells[2 + 64];
    if (!ComputeZoneFeatures(s.bitmap.bits.data(), 0, 0, s.bitmap.width, s.bitmap.height, s.bitmap.stride, p, cells))
      continue;
    const int band = s.ypos == 14 ? 4 : s.ypos;
    int best = 0, bestType = -1;
    for (size_t g = kSampleGroupRecords; g < db.RecordCount(ZoneGrid::k8x16); g += kSampleGroupRecords) {
      const uint8_t* group = db.Record(ZoneGrid::k8x16, g);
      const int t = ZoneHeaderType(group);
      if (t >= 128 || (t >= 48 && t <= 57) || t == 42) continue;
      if (!BandFits(group[1] & 15, band)) continue;
      const int score = BestGroupScore(ZoneGrid::k8x16, cells + 2, group, 96, 70);
      if (score > best) best = score, bestType = t;
    }
    if (best < 91) continue;
    if (bestType == s.type) ++tally[s.type].taken;
    else ++tally[bestType].falseTaken;
  }
  Report("8 x 16 (accept 91)", tally, static_cast<int>(samples.size()));
}

void MeasureAccidentals(const ShapeDatabase& db, const std::vector<Sample>& samples) {
  std::map<int, Tally> tally;
  const ZoneGridParameters& p = GridParameters(ZoneGrid::k8x8);
  for (const Sample& s : samples) {
    ++tally[s.type].samples;
    uint8_t cells[2 + 32];
    if (!ComputeZoneFeatures(s.bitmap.bits.data(), 0, 0, s.bitmap.width, s.bitmap.height, s.bitmap.stride, p, cells))
      continue;
    // The appendage step's kinds, and the key signature's own samples.
    const bool key = s.type == 16 || s.type == 17;
    int best = 0, bestType = -1;
    for (size_t g = 0; g < db.RecordCount(ZoneGrid::k8x8); g += kSampleGroupRecords) {
      const uint8_t* group = db.Record(ZoneGrid::k8x8, g);
      const int t = ZoneHeaderType(group);
      if (key ? (t != 16 && t != 17) : (t < 128 || t > 130)) continue;
      const int score = BestGroupScore(ZoneGrid::k8x8, cells + 2, group, key ? 92 : 94, 0);
      if (score > best) best = score, bestType = t;
    }
    if (best < 92) continue;
    if (bestType == s.type) ++tally[s.type].taken;
    else ++tally[bestType].falseTaken;
  }
  Report("8 x 8 (accept 92)", tally, static_cast<int>(samples.size()));
}

void MeasureHeads(const NotationDatabase& db, const std::vector<Sample>& samples) {
  Tally heads, others;
  for (const Sample& s : samples) {
    // Other shapes were drawn in spaces.
    const HeadPlace place = s.type == kSolidHeadType && s.part == 1 ? HeadPlace::kLine : HeadPlace::kSpace;
    const int grade = GradeNotationShape(db, s.bitmap.bits.data(), s.bitmap.stride, 0, 0, s.bitmap.width,
                                         s.bitmap.height, kSolidHeadType, place);
    Tally& t = s.type == kSolidHeadType ? heads : others;
    ++t.samples;
    if (grade >= 90) ++t.taken;
  }
  std::printf("Notation, solid heads (grade 90)\n  heads %d, recall %.3f; other shapes %d, false accepts %.4f\n",
              heads.samples, heads.samples ? double(heads.taken) / heads.samples : 0.0, others.samples,
              others.samples ? double(others.taken) / others.samples : 0.0);
}

void MeasureFeatureSpeed() {
  // Random windows of a random page, both grids, fast against reference.
  const int width = 1024, height = 512, stride = width / 32 - 1;
  std::vector<uint8_t> page(static_cast<size_t>(stride + 1) * 4 * height);
  uint32_t r = 12345;
  for (uint8_t& b : page) b = static_cast<uint8_t>((r = r * 1664525u + 1013904223u) >> 24);
  struct Box {
    int x, y, w, h;
  };
  // The windows the stages cut, at staff spaces S of 8 to 40 pixels: 8 x 8
  // boxes S by S (accidentals), 8 x 16 windows 2S or 2S + SU on a side.
  std::vector<Box> small, big;
  for (int i = 0; i < 20000; ++i) {
    r = r * 1664525u + 1013904223u;
    const int space = 8 + static_cast<int>((r >> 8) % 33);
    const int x = static_cast<int>((r >> 4) % (width - 100)), y = static_cast<int>((r >> 12) % (height - 100));
    small.push_back({x, y, space, space});
    big.push_back({x, y, 2 * space + static_cast<int>((r >> 20) % 3), 2 * space + static_cast<int>((r >> 24) % 3)});
  }
  for (ZoneGrid grid : {ZoneGrid::k8x8, ZoneGrid::k8x16}) {
    const ZoneGridParameters& p = GridParameters(grid);
    const std::vector<Box>& boxes = grid == ZoneGrid::k8x8 ? small : big;
    uint8_t out[2 + 64];
    unsigned sink = 0;
    // The least of several timings: the machine may be busy with others.
    auto time = [&](bool fast) {
      double least = 1e30;
      for (int trial = 0; trial < 9; ++trial) {
        const auto start = Clock::now();
        for (const Box& b : boxes) {
          if (fast) ComputeZoneFeatures(page.data(), b.x, b.y, b.w, b.h, stride, p, out);
          else
            ComputeZoneFeaturesReference(page.data(), b.x, b.y, b.w, b.h, stride, p.cols, p.rows, p.cellWidth,
                                         p.cellHeight, p.columnStep, p.rowStep, out);
          sink += out[2];
        }
        least = std::min(least, std::chrono::duration<double, std::nano>(Clock::now() - start).count());
      }
      return least / boxes.size();
    };
    const double reference = time(false), fast = time(true);
    std::printf("%s features: reference %.0f ns, fast %.0f ns a window: %.1f times as fast (%u)\n",
                grid == ZoneGrid::k8x8 ? "8 x 8" : "8 x 16", reference, fast, reference / fast, sink & 1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: classifier_bench <data folder> <training inputs> <measuring folder>\n");
    return 2;
  }
  const std::string data = argv[1], inputs = argv[2], measuring = argv[3];
  StoreBytes bytes;
  ShapeDatabase shapes;
  NotationDatabase notation;
  if (LoadStoreFile(Wide(data + "/XxXData").c_str(), 64u << 20, true, &bytes) != StoreLoad::kLoaded ||
      !ParseShapeDatabase(bytes.data(), bytes.size(), &shapes))
    return std::fprintf(stderr, "cannot load %s/XxXData\n", data.c_str()), 1;
  if (LoadStoreFile(Wide(data + "/Notation").c_str(), 64u << 20, true, &bytes) != StoreLoad::kLoaded ||
      !ParseNotationDatabase(bytes.data(), bytes.size(), &notation))
    return std::fprintf(stderr, "cannot load %s/Notation\n", data.c_str()), 1;
  TypeList types8, types16;
  std::string bad;
  if (!ParseTypeList(ReadText(inputs + "/8x8Types.txt"), &types8, &bad) ||
      !ParseTypeList(ReadText(inputs + "/8x16Types.txt"), &types16, &bad))
    return std::fprintf(stderr, "cannot read the type lists of %s\n", inputs.c_str()), 1;

  MeasureBigSymbols(shapes, ReadSamples(measuring, "XxX.txt", "8x16", types16));
  MeasureAccidentals(shapes, ReadSamples(measuring, "XxX.txt", "8x8", types8));
  MeasureHeads(notation, ReadSamples(measuring, "NotesXxX.txt", "8x8", types8));
  MeasureFeatureSpeed();
  return 0;
}
