#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "reading/StaveSpacing.h"
#include "stages/CurveTracing.h"
#include "tests/Code/Quorm/CurveArt.h"
#include "tests/Code/Quorm/PageSynth.h"
#include "tests/reading/StavePageTables.h"

namespace {

// A joined run of points made from heights.
std::unique_ptr<JoinedRun> MakeRun(const std::vector<int32_t>& y, const std::vector<int32_t>& thick = {}) {
  auto run = std::make_unique<JoinedRun>();
  std::memset(run.get(), 0, sizeof(JoinedRun));
  run->count = static_cast<int32_t>(y.size());
  run->startX = 100;
  for (size_t i = 0; i < y.size(); ++i) {
    run->centreY[i] = y[i];
    run->thick[i] = i < thick.size() ? thick[i] : 0;
  }
  return run;
}

std::vector<int32_t> Heights(int n, double (*f)(double)) {
  std::vector<int32_t> y(n);
  for (int i = 0; i < n; ++i) y[i] = static_cast<int32_t>(std::lround(f(static_cast<double>(i) / (n - 1))));
  return y;
}

// The stave box of these runs lies from 250 to 330; the runs lie above it.
constexpr int32_t kFine = 2, kSpacing = 20, kLineTop = 250, kLineBottom = 330;

TEST(CurveTracing, ClassifiesFlatSlopedArchedAndThickRuns) {
  struct Case {
    const char* name;
    std::vector<int32_t> y;
    std::vector<int32_t> thick;
    int kind;
  };
  const std::vector<int32_t> flat(30, 200);
  const std::vector<int32_t> sloped = Heights(30, [](double t) { return 180 + 30 * t; });
  const std::vector<int32_t> arched = Heights(40, [](double t) { return 220 - 80 * t * (1 - t); });
  const std::vector<int32_t> sagging = Heights(40, [](double t) { return 150 + 80 * t * (1 - t); });
  const std::vector<int32_t> steep = Heights(30, [](double t) { return 100 + 400 * t; });
  const std::vector<Case> cases = {
      {"flat (height 0)", flat, {}, 1},
      {"sloped", sloped, {}, 1},
      {"arched", arched, {}, 2},
      {"sagging", sagging, {}, 2},
      {"thick", arched, std::vector<int32_t>(40, 1), 0},
      {"too short", {200, 200, 200, 200, 200}, {}, 0},
      {"steeper than its length allows", steep, {}, 0},
      {"flat inside the stave box", std::vector<int32_t>(30, 290), {}, 0},
  };
  for (const Case& c : cases) {
    auto run = MakeRun(c.y, c.thick);
    TraceShape shape;
    EXPECT_EQ(ClassifyTrace(*run, kFine, kSpacing, kLineTop, kLineBottom, &shape), c.kind) << c.name;
    EXPECT_EQ(shape.kind, c.kind) << c.name;
  }

  // The apex of a symmetric arch lies in the middle, above the chord.
  auto run = MakeRun(arched);
  TraceShape shape;
  ASSERT_EQ(ClassifyTrace(*run, kFine, kSpacing, kLineTop, kLineBottom, &shape), 2);
  EXPECT_NEAR(shape.apexPos, 63, 4);
  EXPECT_TRUE(shape.bulge & kBulgeAbove);
  EXPECT_EQ(shape.apexY, 200);
  // 20 pixels over a chord of 39 x 8 pixels.
  EXPECT_EQ(shape.bulge & 127, 20 * 127 / (39 * 8));
  run = MakeRun(sagging);
  ASSERT_EQ(ClassifyTrace(*run, kFine, kSpacing, kLineTop, kLineBottom, &shape), 2);
  EXPECT_FALSE(shape.bulge & kBulgeAbove);
}

TEST(CurveTracing, TrimsThickEndsBeforeJudgingACurve) {
  std::vector<int32_t> y = Heights(40, [](double t) { return 220 - 80 * t * (1 - t); });
  std::vector<int32_t> thick(40, 0);
  thick[0] = thick[1] = thick[39] = 1;
  auto run = MakeRun(y, thick);
  TraceShape shape;
  ASSERT_EQ(ClassifyTrace(*run, kFine, kSpacing, kLineTop, kLineBottom, &shape), 2);
  EXPECT_EQ(shape.first, 2);
  EXPECT_EQ(shape.count, 37);
  EXPECT_EQ(shape.startX, 100 + 2 * 4 * kFine);
}

TEST(CurveTracing, UnevenHeights) {
  const std::vector<int32_t> even(12, 50);
  const std::vector<int32_t> spread = {50, 52, 55, 58, 61, 64, 66, 69, 72, 74, 76, 79};
  EXPECT_EQ(IsUneven(even.data(), 12, 8), 0);
  EXPECT_EQ(IsUneven(spread.data(), 12, 8), 1);
  EXPECT_EQ(IsUneven(even.data(), 8, 8), 1);  // too few to tell
}

TEST(CurveTracing, SampledCurvePassesThroughItsEndsAndApex) {
  int32_t table[256];
  int32_t samples = 0;
  const int32_t dx = SampleCurve(100, 200, 300, 160, 500, 200, 3, table, &samples);
  ASSERT_EQ(samples, 400 / 12);
  EXPECT_EQ(dx, 400 / samples);
  EXPECT_NEAR(table[0], 200, 2);
  EXPECT_NEAR(table[samples - 1], 200, 3);
  EXPECT_NEAR(table[samples / 2], 160, 2);
  // A very long curve keeps to 256 samples.
  SampleCurve(0, 0, 2000, 50, 4000, 0, 1, table, &samples);
  EXPECT_EQ(samples, 256);
  EXPECT_EQ(SampleCurve(10, 0, 10, 0, 10, 0, 3, table, &samples), 0);
}

// A synthesised page with one five-line stave and what the tracer needs.
struct TracerPage {
  SynthPage synth;
  StaveRow rows[2] = {};
  StavePageTables tables;
  StavePage geometry;
  std::unique_ptr<CurveTracer> tracer = std::make_unique<CurveTracer>();
  std::vector<NoteRecord> notes = std::vector<NoteRecord>(16);
  std::vector<SymbolRecord> symbols = std::vector<SymbolRecord>(16);
  uint32_t noteCount = 0, symbolCount = 0;
  std::vector<uint8_t> chars = std::vector<uint8_t>(kCharRecordBytes * 4);
  std::vector<CurveItem> curves = std::vector<CurveItem>(kCurveAListCapacity);
  std::vector<LineItem> lines = std::vector<LineItem>(kCurveBListCapacity);
  uint32_t curveCount = 0, lineCount = 0;
  CurveObjects objects;
  CurveLists lists;

  TracerPage(int width, int height, int resolution, int staveTop, int spacing) : synth(width, height) {
    StaffPainter painter(synth);
    SynthStaff staff;
    staff.top = staveTop;
    staff.left = 100;
    staff.right = width - 100;
    staff.spacing = spacing;
    staff.thickness = 2;
    painter.AddStaff(staff);
    StaveRow& row = rows[0];
    row.left = 100;
    row.right = static_cast<int16_t>(width - 100);
    row.top = static_cast<int16_t>(staveTop);
    row.bottom = static_cast<int16_t>(staveTop + 4 * spacing);
    row.midTop = row.rightTop = row.top;
    row.lineCount = 5;
    row.lineThickness = 2;
    row.number = 1;
    geometry = tables.Over(OneBitImage(reinterpret_cast<uint8_t*>(synth.bits()), width, height,
                                       static_cast<size_t>(synth.wordsPerRow()) * 4),
                           resolution);
    StaveLookup().readingActive = true;
    const CurveScale scale = CurveScaleFor(resolution);
    tracer->fineStep = scale.fineStep;
    tracer->unit = scale.unit;
    TracePage& p = tracer->page;
    p.image = geometry.image.rows;
    p.width = width;
    p.height = height;
    p.rowBytes = geometry.image.rowBytes;
    p.rows = rows;
    p.staveCount = 1;
    p.geometry = &geometry;
    tracer->bandTop = 1;
    tracer->bandBottom = height - 1;
    tracer->boxTop = row.top - scale.unit;
    tracer->boxBottom = row.bottom + scale.unit;
    tracer->band.Reset(tracer->bandTop, tracer->bandBottom, width);
    objects.notes = notes.data();
    objects.noteCount = &noteCount;
    objects.symbols = symbols.data();
    objects.symbolCount = &symbolCount;
    lists.curves = curves.data();
    lists.curveCount = &curveCount;
    lists.lines = lines.data();
    lists.lineCount = &lineCount;
  }

  ~TracerPage() { StaveLookup().readingActive = false; }

  // Traces both ways from the first ink pixel of column x at or below y.
  int TraceAt(int32_t x, int32_t y) {
    while (y < synth.height() && !synth.Get(y, x)) ++y;
    TraceCurveFromPixel(*tracer, tracer->left, x, y, -tracer->fineStep);
    TraceCurveFromPixel(*tracer, tracer->right, x, y, tracer->fineStep);
    return ClassifyAndStoreTrace(*tracer, x, RoundedInterlineSpacing(rows, 1, 0, geometry), objects, lists);
  }
};

TEST(CurveTracing, TracesASlurDrawnAboveAStave) {
  TracerPage page(1200, 600, 300, 300, 20);
  DrawSlur(page.synth, SynthSlur{300, 260, 700, 260, -40, 1.5, 4});
  ASSERT_EQ(page.TraceAt(500, 200), 1);
  ASSERT_EQ(page.curveCount, 1u);
  const CurveItem& c = page.curves[0];
  EXPECT_NEAR(c.x0, 300, 24);
  EXPECT_NEAR(c.x1, 700, 24);
  EXPECT_NEAR(c.y0, 260, 8);
  EXPECT_NEAR(c.y1, 260, 8);
  int32_t ax, ay;
  CurveApex(c, &ax, &ay);
  EXPECT_NEAR(ax, 500, 24);
  EXPECT_NEAR(ay, 220, 6);
  EXPECT_TRUE(c.bulge & kBulgeAbove);

  // The same slur started from another of its pixels is the same curve.
  page.tracer->band.Reset(page.tracer->bandTop, page.tracer->bandBottom, 1200);
  page.TraceAt(420, 200);
  EXPECT_EQ(page.curveCount, 1u);
}

TEST(CurveTracing, OfTwoTracesOfOneSlurTheFlatterGoes) {
  struct Case {
    uint8_t earlierBulge;  // the earlier trace of the same slur
    bool newKept;
  };
  // The drawn slur rises about 40 pixels over a chord of 400: bulge 12 or 13.
  const Case cases[] = {{kBulgeAbove | 9, true}, {kBulgeAbove | 16, false}};
  for (const Case& c : cases) {
    TracerPage page(1200, 600, 300, 300, 20);
    DrawSlur(page.synth, SynthSlur{300, 260, 700, 260, -40, 1.5, 4});
    page.curves[0] = CurveItem{300, 260, 700, 260, 63, c.earlierBulge};
    page.curveCount = 1;
    page.TraceAt(500, 200);
    ASSERT_EQ(page.curveCount, 1u) << int(c.earlierBulge);
    EXPECT_EQ(page.curves[0].bulge == c.earlierBulge, !c.newKept) << int(c.earlierBulge);
  }
}

TEST(CurveTracing, ARunOverWhatTheEngineRecognisedIsNotStored) {
  for (bool engineObject : {false, true}) {
    TracerPage page(1200, 600, 300, 300, 20);
    DrawSlur(page.synth, SynthSlur{300, 260, 700, 260, -40, 1.5, 4});
    if (engineObject)
      page.objects.engineObjectNear = [](const StaveRow*, int, int s, int32_t left, int32_t, int32_t right, int32_t,
                                         uint32_t mask) -> int32_t {
        // Something of the stave itself under the middle of the slur.
        return s == 0 && mask == 10239 && left <= 520 && right >= 480 ? 520 : -1;
      };
    page.TraceAt(500, 200);
    EXPECT_EQ(page.curveCount, engineObject ? 0u : 1u) << engineObject;
  }
}

TEST(CurveTracing, FullListsTakeNoMore) {
  TracerPage page(1200, 600, 300, 300, 20);
  DrawSlur(page.synth, SynthSlur{300, 260, 700, 260, -40, 1.5, 4});
  page.curveCount = kCurveItemLimit;
  page.lists.curveCountAtStave = kCurveItemLimit;
  EXPECT_EQ(page.TraceAt(500, 200), 0);
  EXPECT_EQ(page.curveCount, kCurveItemLimit);
}

TEST(CurveTracing, TracesAStraightHairpinArmAsALine) {
  TracerPage page(1200, 600, 300, 200, 20);
  DrawWedge(page.synth, 420, 300, 700, 20, 2);
  ASSERT_EQ(page.TraceAt(500, 380), 1);
  EXPECT_EQ(page.curveCount, 0u);
  ASSERT_EQ(page.lineCount, 1u);
  const LineItem& l = page.lines[0];
  EXPECT_LT(l.x0, 340);
  EXPECT_GT(l.x1, 660);
  EXPECT_LT(l.y1, l.y0);  // the upper arm rises to the wide end
  EXPECT_EQ(l.lineFlags, 0u);
}

// At 250 dpi the fine step is one pixel: a slur across a wide page joins
// far more points than one side of the trace holds.
TEST(CurveTracing, SlurAcrossAWidePageJoinsMoreThanOneSideHolds) {
  TracerPage page(2800, 500, 250, 250, 17);
  ASSERT_EQ(page.tracer->fineStep, 1);
  DrawSlur(page.synth, SynthSlur{150, 200, 2650, 200, -60, 1.5, 4});
  ASSERT_EQ(page.TraceAt(1400, 100), 1);
  ASSERT_EQ(page.curveCount, 1u);
  EXPECT_GT(page.tracer->joined.count, kTracePoints);
  const CurveItem& c = page.curves[0];
  EXPECT_LT(c.x0, 250);
  EXPECT_GT(c.x1, 2550);
}

TEST(CurveTracing, ATieThroughAMinimRestDeletesItOnlyWhenTheTieIsStored) {
  for (bool rejected : {false, true}) {
    TracerPage page(1200, 600, 300, 300, 20);
    DrawSlur(page.synth, SynthSlur{300, 250, 700, 250, 25, 1.5, 3.5});
    // A minim rest under the middle of the tie, a note far away.
    SymbolRecord& rest = page.symbols[page.symbolCount++];
    rest.type = 70;
    rest.left = 480;
    rest.right = 520;
    rest.stepTop = 0;     // two spaces above the top line
    rest.stepBottom = 4;  // the top line
    SymbolRecord& clef = page.symbols[page.symbolCount++];
    clef.type = 2;
    clef.left = 110;
    clef.right = 150;
    clef.stepTop = 2;
    clef.stepBottom = 12;
    if (rejected) {
      // A word right over the tie's left part: the run is text, not a tie.
      int16_t box[5] = {0, 290, 240, 420, 280};
      std::memcpy(page.chars.data() + 32, box, sizeof box);
      page.objects.chars = page.chars.data();
      page.objects.charCount = 1;
    }
    const int stored = page.TraceAt(500, 240);
    EXPECT_EQ(stored, rejected ? 0 : 1) << rejected;
    EXPECT_EQ(page.curveCount, rejected ? 0u : 1u) << rejected;
    ASSERT_EQ(page.symbolCount, rejected ? 2u : 1u) << rejected;
    EXPECT_EQ(page.symbols[rejected ? 1 : 0].type, 2) << "the clef stays";
  }
}

TEST(CurveTracing, AShortRunIsNeverStored) {
  TracerPage page(800, 400, 300, 200, 20);
  DrawSlur(page.synth, SynthSlur{300, 150, 330, 150, -4, 1.5, 2});
  EXPECT_EQ(page.TraceAt(315, 140), 0);
  EXPECT_EQ(page.curveCount + page.lineCount, 0u);
}

}  // namespace
