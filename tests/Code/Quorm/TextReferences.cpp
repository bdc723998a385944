#include "tests/Code/Quorm/TextReferences.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "Code/Quorm/Candlist.h"
#include "Code/Quorm/Edgefeat.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Ocrmisc.h"
#include "Code/Quorm/Posnscal.h"
#include "Code/Quorm/Spell.h"
#include "Code/Quorm/Textclas.h"
#include "Code/Quorm/Textlref.h"
#include "Code/Quorm/Userdict.h"
#include "tests/Code/Quorm/TextLanguage.h"
#include "tests/Code/Quorm/TextLineArt.h"

namespace {

constexpr int kWeightRow = 24;

struct Sample {
  int code;
  int32_t top, bottom, left, right;
  std::vector<uint8_t> pixels;
  uint8_t main[kMainFeatureCount], fast[40], veryFast[12];
};

}  // namespace

LineMeasures MeasureReferenceLine(const std::string& name) {
  LineMeasures m{};
  TextLineImage line;
  if (!LoadTextLine(name, &line)) return m;
  int64_t widths = 0;
  int32_t n = 0;
  for (const GlyphTruth& g : line.glyphs) {
    widths += g.lastColumn + 1 - g.firstColumn;
    ++n;
    if (g.code != 'x') continue;
    const InkRows ink = GlyphInkRows(line, g);
    m.height = ink.bottom - ink.top;
  }
  m.pitch = n > 0 ? static_cast<int32_t>(widths / n) : 0;
  return m;
}

void ExpectLinesFitTheReferenceMeasures(const std::vector<std::string>& names) {
  const LineMeasures truth = MeasureReferenceLine("alphabet_serif");
  ASSERT_GT(truth.height, 0);
  SetCandidateCostFactor(10);
  for (const std::string& name : names) {
    TextLineImage line;
    ASSERT_TRUE(LoadTextLine(name, &line)) << name;
    // One list per glyph, its own character the only candidate.
    std::vector<CandidateList> lists;
    for (const GlyphTruth& g : line.glyphs) {
      CandidateList l{};
      l.left = g.firstColumn;
      l.right = g.lastColumn + 1;
      const InkRows ink = GlyphInkRows(line, g);
      l.top = ink.top;
      l.bottom = ink.bottom;
      l.count = 1;
      l.character[0] = static_cast<uint8_t>(g.code);
      lists.push_back(l);
    }
    std::vector<CandidateList*> positions;
    for (CandidateList& l : lists) positions.push_back(&l);
    // The cutter's estimate of a line is about twice the mean column height.
    FitPositionScale(positions.data(), static_cast<int32_t>(positions.size()), 2 * truth.height);
    EXPECT_NEAR(GetTextHeight(), truth.height, truth.height / 10.0) << name;
    EXPECT_NEAR(GetTextPitch(), truth.pitch, truth.pitch / 10.0) << name;
    EXPECT_GT(GetHeightConfidence(), 0) << name;
    // Each glyph fits its own class: none is dropped.
    for (const CandidateList& l : lists) EXPECT_EQ(l.count, 1) << name << ": " << l.character[0];
  }
}

namespace {

std::vector<Sample> SamplesOf(const TextLineImage& line) {
  std::vector<Sample> samples;
  for (const GlyphTruth& g : line.glyphs) {
    Sample s{};
    s.code = g.code;
    const InkRows ink = GlyphInkRows(line, g);
    s.top = ink.top;
    s.bottom = ink.bottom;
    s.left = g.firstColumn;
    s.right = g.lastColumn + 1;
    const int32_t w = s.right - s.left, h = s.bottom - s.top;
    if (w < 1 || h < 1 || w >= 100 || h >= 80) continue;
    s.pixels.assign(static_cast<size_t>(w) * h, 0);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) s.pixels[static_cast<size_t>(y) * w + x] = line.Ink(s.left + x, s.top + y);
    TextSampleFeatures(s.pixels.data(), w, h, s.main, s.fast, s.veryFast);
    samples.push_back(s);
  }
  return samples;
}

void PutPairs(Bytes& out, const uint8_t* features, int n) {
  for (int k = 0; k < n; ++k) {
    out.push_back(features[k]);
    out.push_back(kWeightRow);
  }
}

void PutPaddedByte(Bytes& out, int v) {
  out.push_back(static_cast<uint8_t>(v));
  out.insert(out.end(), 3, 0);
}

int32_t SelfDistance(int n) {
  int32_t sum = 0;
  for (int k = 0; k < n; ++k) sum += EdgeCostTableEntry(kWeightRow, 0);
  return sum;
}

// A main pattern of a class: its character, typical distance, flags and
// features, switched on.
void PutMainPattern(Bytes& out, int code, int32_t flags, const uint8_t* features) {
  PutInt32(out, 0);
  PutInt32(out, 0);
  PutPaddedByte(out, code);
  PutInt32(out, 0);
  PutInt32(out, 0);
  PutInt32(out, SelfDistance(kMainFeatureCount));  // word 5: typical distance
  PutInt32(out, flags);                             // word 6: flags
  for (int k = 0; k < 5; ++k) PutInt32(out, 0);
  PutPairs(out, features, kMainFeatureCount);
  PutPaddedByte(out, 1);
}

// A fast or very-fast pattern over the patterns first..last-1 of the level
// below, with a wide limit, switched on.
void PutRangePattern(Bytes& out, int32_t first, int32_t last, const uint8_t* features, int n) {
  PutInt32(out, first);
  PutInt32(out, last);
  PutInt32(out, 0);
  PutInt32(out, 1000);
  PutInt32(out, 0);
  PutPairs(out, features, n);
  PutPaddedByte(out, 1);
}

// The file: its header (classes, main patterns, fast patterns, one very-fast
// pattern) and the four tables.
Bytes ReferenceFile(int32_t classCount, int32_t mainCount, int32_t fastCount, const Bytes& classes, const Bytes& mains,
                    const Bytes& fasts, const Bytes& veryFasts) {
  Bytes file;
  for (int32_t v : {0, classCount, 0, mainCount, fastCount, 1}) PutInt32(file, v);
  file.insert(file.end(), 80, 0);
  for (const Bytes* part : {&classes, &mains, &fasts, &veryFasts}) file.insert(file.end(), part->begin(), part->end());
  return file;
}

// Writes the test language (the folder's own language files when dictionary
// is null) and the references (the folder's own when references is null),
// then starts text recognition as the engine's start does.
bool StartTextReadingOn(const EngineDataFolder& folder, const std::string* dictionary, const Bytes* references) {
  SetEngineHeapHook(OnEngineHeapExhausted);
  SetNamedHeapHook(OnEngineSafeHeapExhausted);
  if (dictionary) WriteTestLanguage(folder, *dictionary);
  if (references) folder.Write(u"Learned\\Text", *references);
  InitialiseIntMath();
  InitialiseEdgeFeatureTables();
  FreeTextReferences();
  const char* code = InitialiseTextRecognition();
  if (code != nullptr) ADD_FAILURE() << "text recognition did not start: " << code;
  return code == nullptr;
}

}  // namespace

Bytes BuildTextReferences(const std::vector<std::string>& lines, int32_t spread) {
  InitialiseIntMath();
  InitialiseEdgeFeatureTables();
  std::vector<Sample> samples;
  // Line measures: rows from 'x' (or 'H' for capitals alone), pitch from
  // the mean glyph width.
  struct LineRows {
    int32_t baseline, xline, capline, height, pitch;
  };
  std::vector<LineRows> rowsOf;
  std::vector<size_t> lineOf;
  for (const std::string& name : lines) {
    TextLineImage line;
    if (!LoadTextLine(name, &line)) continue;
    std::vector<Sample> s = SamplesOf(line);
    LineRows rows{0, 0, 0, 1, 1};
    int64_t widths = 0;
    for (const Sample& x : s) widths += x.right - x.left;
    rows.pitch = s.empty() ? 1 : static_cast<int32_t>(widths / static_cast<int64_t>(s.size()));
    for (const Sample& x : s)
      if (x.code == 'x' || x.code == 'H') {
        rows.baseline = x.bottom;
        if (x.code == 'x') rows.xline = x.top;
        if (x.code == 'H') rows.capline = x.top;
      }
    // The x-height is about two thirds of the capital height.
    if (rows.xline == 0) rows.xline = rows.baseline - (rows.baseline - rows.capline) * 2 / 3;
    if (rows.capline == 0) rows.capline = rows.baseline - (rows.baseline - rows.xline) * 3 / 2;
    rows.height = std::max(1, rows.baseline - rows.xline);
    // Every line is measured against the first line's height and pitch.
    if (!rowsOf.empty()) {
      rows.height = rowsOf[0].height;
      rows.pitch = rowsOf[0].pitch;
      if (rows.xline == rows.baseline - (rows.baseline - rows.capline) * 2 / 3) rows.xline = rows.baseline - rows.height;
    }
    rowsOf.push_back(rows);
    for (Sample& x : s) {
      samples.push_back(x);
      lineOf.push_back(rowsOf.size() - 1);
    }
  }
  // Classes in character order.
  std::vector<int> codes;
  for (const Sample& s : samples)
    if (std::find(codes.begin(), codes.end(), s.code) == codes.end()) codes.push_back(s.code);
  std::sort(codes.begin(), codes.end());

  Bytes classes, mains, fasts, veryFasts;
  int32_t mainCount = 0;
  for (size_t c = 0; c < codes.size(); ++c) {
    const int code = codes[c];
    // Class statistics: the mean of the measures of its samples, fixed spreads.
    int64_t sums[12] = {};
    int n = 0;
    const int32_t firstMain = mainCount;
    for (size_t i = 0; i < samples.size(); ++i) {
      const Sample& s = samples[i];
      if (s.code != code) continue;
      const LineRows& r = rowsOf[lineOf[i]];
      const int32_t h = s.bottom - s.top, w = s.right - s.left;
      const int32_t rows[3] = {r.baseline, r.xline, r.capline};
      int32_t m[10];
      PositionMeasures(s.top, s.bottom, w, r.height, r.pitch, rows, m);
      sums[0] += static_cast<int64_t>(s.bottom - r.baseline) * 1024 / h;
      sums[1] += m[0];
      sums[2] += static_cast<int64_t>(s.top - r.xline) * 1024 / h;
      sums[3] += m[2];
      sums[4] += static_cast<int64_t>(s.top - r.capline) * 1024 / h;
      sums[5] += m[4];
      sums[6] += static_cast<int64_t>(h) * 1024 / r.height;
      sums[7] += m[6];
      sums[8] += static_cast<int64_t>(w) * 1024 / r.pitch;
      sums[9] += m[8];
      sums[10] += SampleInkMeasure(s.pixels.data(), w, h);
      ++n;
      // One main pattern per sample.
      PutMainPattern(mains, code, 1, s.main);
      ++mainCount;
    }
    int32_t mean[12];
    for (int k = 0; k < 12; ++k) mean[k] = static_cast<int32_t>(sums[k] / std::max(1, n));
    PutPaddedByte(classes, code);
    // The votes take the spreads as given, the distances three times as wide.
    const int32_t vote = spread, fit = 3 * spread;
    const int32_t words[27] = {mean[0], vote, mean[1], fit, mean[2], vote, mean[3], fit, mean[4], vote,
                               mean[5], fit, mean[6], vote, mean[7], fit, mean[8], vote * 3 / 2, mean[9], fit * 3 / 2,
                               mean[10], fit, mean[10], fit, 0, 0, 0};
    for (int32_t w : words) PutInt32(classes, w);
    // One fast pattern per class over its main patterns, with a wide limit.
    const Sample* first = nullptr;
    for (const Sample& s : samples)
      if (s.code == code) {
        first = &s;
        break;
      }
    PutRangePattern(fasts, firstMain, mainCount, first->fast, 40);
  }
  // One very-fast pattern over every fast pattern.
  const int32_t n = static_cast<int32_t>(codes.size());
  const uint8_t flat[12] = {};
  PutRangePattern(veryFasts, 0, n, flat, 12);
  return ReferenceFile(n, mainCount, n, classes, mains, fasts, veryFasts);
}

bool StartTextReading(const EngineDataFolder& folder, const std::vector<std::string>& referenceLines,
                      const std::string& dictionary, int32_t spread) {
  const Bytes references = BuildTextReferences(referenceLines, spread);
  return StartTextReadingOn(folder, &dictionary, &references);
}

bool StartShippedTextReading(const EngineDataFolder& folder, const std::string& dictionary) {
  return StartTextReadingOn(folder, &dictionary, nullptr);
}

bool StartShippedTextRecognition(const EngineDataFolder& folder) { return StartTextReadingOn(folder, nullptr, nullptr); }

void StopTextReading() {
  FreeTextReadingWork();
  FreeTextClassifierData();
  FreeUserDictionary();
  FreeSpelling();
}

Bytes BuildSameShapeReferences(const std::vector<int>& codes, const std::vector<uint8_t>& sample, int32_t width,
                               int32_t height, int32_t spread) {
  InitialiseIntMath();
  InitialiseEdgeFeatureTables();
  uint8_t main[kMainFeatureCount], fast[40], veryFast[12];
  TextSampleFeatures(sample.data(), width, height, main, fast, veryFast);
  Bytes classes, mains, fasts, veryFasts;
  for (size_t c = 0; c < codes.size(); ++c) {
    PutPaddedByte(classes, codes[c]);
    for (int w = 0; w < 27; ++w) PutInt32(classes, w % 2 == 0 ? spread : 500);
    PutMainPattern(mains, codes[c], 1 << c % 12, main);
    PutRangePattern(fasts, static_cast<int32_t>(c), static_cast<int32_t>(c + 1), fast, 40);
  }
  const int32_t n = static_cast<int32_t>(codes.size());
  PutRangePattern(veryFasts, 0, n, veryFast, 12);
  return ReferenceFile(n, n, n, classes, mains, fasts, veryFasts);
}

bool StartTextReadingWith(const EngineDataFolder& folder, const Bytes& references) {
  const std::string noWords;
  return StartTextReadingOn(folder, &noWords, &references);
}
