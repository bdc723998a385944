// The big-symbol step on staves drawn with the Emmentaler glyphs, and its
// parts: the hit table, part merging, digit pairing, bar-line types.
#include <gtest/gtest.h>

#include <vector>

#include "tests/stages/SymbolEngineFixture.h"
#include "stages/BigSymbolStep.h"
#include "tests/stages/DebugBoxHost.h"
#include "tests/stages/SymbolArt.h"

namespace {

constexpr int kSpace = 20;

struct Found {
  int type;
  int left, right;
  int stepTop;
  uint32_t count;
};

std::vector<Found> Live(const std::vector<SymbolRecord>& records, uint32_t count) {
  std::vector<Found> out;
  for (uint32_t i = 0; i < count; ++i)
    if (records[i].quality < 6)
      out.push_back(Found{records[i].type, records[i].left, records[i].right, records[i].stepTop, records[i].count});
  return out;
}

std::string Describe(const std::vector<Found>& found) {
  std::string s;
  for (const Found& f : found)
    s += std::to_string(f.type) + "@" + std::to_string(f.left) + "-" + std::to_string(f.right) + "/" +
         std::to_string(f.stepTop) + (f.count ? "x" + std::to_string(f.count) : "") + " ";
  return s;
}

// A treble clef, a key of three sharps, 4/4, then a single, a double and a
// final bar line on one stave (lines at 100 .. 180).
void DrawOpening(StaveScene& scene, int s, int right) {
  ArtPage& page = scene.page;
  StampGlyph(page, SymbolGlyph("clef-G", kSpace), 62, scene.StepY(s, 10));  // on the G line
  const int sharpSteps[3] = {4, 7, 3};  // F, C, G
  for (int k = 0; k < 3; ++k) StampGlyph(page, SymbolGlyph("sharp", kSpace), 120 + 22 * k, scene.StepY(s, sharpSteps[k]));
  StampGlyph(page, SymbolGlyph("time-4", kSpace), 200, scene.StepY(s, 8));
  StampGlyph(page, SymbolGlyph("time-4", kSpace), 200, scene.StepY(s, 12));
  const int top = scene.StepY(s, 4) - 1, bottom = scene.StepY(s, 12) + 1;
  page.FillRect(500, top, 501, bottom);  // single
  page.FillRect(800, top, 801, bottom);  // double: two thin strokes
  page.FillRect(808, top, 809, bottom);
  page.FillRect(right - 15, top, right - 14, bottom);  // final: thin, then thick to the end
  page.FillRect(right - 8, top, right, bottom);
}

// The scan's view of the scene's page.
SymbolPage SymbolPageOf(StaveScene& scene) {
  SymbolPage page;
  page.bits = scene.page.Bits();
  page.strideWords = static_cast<uint32_t>(scene.page.strideWords);
  page.width = scene.page.width;
  page.height = scene.page.height;
  page.rows = scene.rows.data();
  page.rowCount = static_cast<int>(scene.rows.size());
  page.geometry = &scene.geometry;
  return page;
}

std::vector<Found> ReadStave(StaveScene& scene, int s, const BigSymbolChecks& checks, int* result,
                             uint32_t* countOut = nullptr) {
  std::vector<SymbolRecord> records(kSymbolListCapacity);
  uint32_t count = 0;
  const SymbolPage page = SymbolPageOf(scene);
  *result = ReadBigSymbols(page, s, static_cast<int16_t>(s), records.data(), count, ShippedShapeDatabase(), checks);
  if (countOut) *countOut = count;
  return Live(records, count);
}

bool Has(const std::vector<Found>& found, int type, int nearX, int slack, int stepTop = -1, uint32_t count = 0) {
  for (const Found& f : found)
    if (f.type == type && f.left <= nearX + slack && f.right >= nearX - slack && (stepTop < 0 || f.stepTop == stepTop) &&
        (count == 0 || f.count == count))
      return true;
  return false;
}

TEST(BigSymbolStep, ReadsTheOpeningAndTheBarLinesOfADrawnStave) {
  StaveScene scene(1200, 320, kSpace);
  const int s = scene.AddStave(100, 40, 1150);
  DrawOpening(scene, s, 1150);
  int result = -1;
  const std::vector<Found> found = ReadStave(scene, s, BigSymbolChecks{}, &result);
  EXPECT_EQ(result, 1);
  SCOPED_TRACE(Describe(found));
  EXPECT_TRUE(Has(found, 2, 70, 15));
  EXPECT_TRUE(Has(found, 17, 130, 15, -1, 3));
  EXPECT_TRUE(Has(found, 36, 208, 12, 4));
  EXPECT_TRUE(Has(found, 36, 208, 12, 8));
  EXPECT_TRUE(Has(found, 48, 500, 3));
  EXPECT_TRUE(Has(found, 54, 805, 6));
  EXPECT_TRUE(Has(found, 55, 1145, 6));
  // Nothing else is taken for a bar line.
  int bars = 0;
  for (const Found& f : found) bars += IsBarlineSymbol(f.type);
  EXPECT_EQ(bars, 3);
}

// With the debug drawing on, the scan's records are outlined on the page
// view under the drawing lock, one take of it for the stave; off, nothing is
// drawn and the lock is left alone.
TEST(BigSymbolStep, TheScansRecordsAreOutlinedWhileDebugDrawingIsOn) {
  for (bool on : {false, true}) {
    SCOPED_TRACE(on ? "on" : "off");
    DebugBoxHost host(on);
    StaveScene scene(1200, 320, kSpace);
    const int s = scene.AddStave(100, 40, 1150);
    DrawOpening(scene, s, 1150);
    int result = -1;
    const std::vector<Found> found = ReadStave(scene, s, BigSymbolChecks{}, &result);
    if (!on) {
      EXPECT_TRUE(host.drawn.empty());
      EXPECT_EQ(host.locks, 0);
      continue;
    }
    EXPECT_EQ(host.locks, 1);
    EXPECT_FALSE(host.locked);
    ASSERT_FALSE(host.drawn.empty());
    bool clef = false, bar = false;
    for (const DebugBoxHost::Drawn& d : host.drawn) {
      EXPECT_EQ(d.surface, DebugSurface::kPageView);
      EXPECT_TRUE(d.locked);
      EXPECT_LE(d.box.x0, d.box.x1);
      EXPECT_LT(d.box.y0, d.box.y1);
      EXPECT_GE(d.box.colour, 0);
      clef = clef || (d.box.x0 <= 70 && d.box.x1 >= 70);
      bar = bar || (d.box.x0 <= 500 && d.box.x1 >= 500);
    }
    EXPECT_TRUE(clef) << "the treble clef's box";
    EXPECT_TRUE(bar) << "the single bar line's box";
  }
}

TEST(BigSymbolStep, AStaveReachingThePagesRightEdgeStaysInside) {
  // The stave runs to the last column: every window near it is cut there.
  StaveScene scene(700, 320, kSpace);
  const int s = scene.AddStave(100, 40, 699);
  DrawOpening(scene, s, 699);
  StampGlyph(scene.page, SymbolGlyph("clef-F", kSpace), 670, scene.StepY(s, 6));
  int result = -1;
  const std::vector<Found> found = ReadStave(scene, s, BigSymbolChecks{}, &result);
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(Has(found, 2, 70, 15)) << Describe(found);
}

int g_polls = 0;
int StopAfterThree() { return ++g_polls <= 3; }

TEST(BigSymbolStep, AStopMidScanEndsThePageButTheLaterStepsStillRun) {
  StaveScene scene(1200, 320, kSpace);
  const int s = scene.AddStave(100, 40, 1150);
  DrawOpening(scene, s, 1150);
  BigSymbolChecks checks;
  checks.keepGoing = StopAfterThree;
  g_polls = 0;
  int result = -1;
  const std::vector<Found> found = ReadStave(scene, s, checks, &result);
  EXPECT_EQ(result, 0);
  EXPECT_GT(g_polls, 3);
}

TEST(BigSymbolStep, StavesOfOtherKindsAreLeftAlone) {
  StaveScene scene(600, 320, kSpace);
  const int s = scene.AddStave(100, 40, 550);
  for (int kind : {3, 0}) {
    scene.rows[s].kind = static_cast<int16_t>(kind);
    scene.rows[s].lineCount = kind == 3 ? 5 : 7;
    uint32_t count = 99;
    int result = -1;
    ReadStave(scene, s, BigSymbolChecks{}, &result, &count);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(count, 0u);
  }
}

// ---- The hit table ----

SymbolRecord Rec(int16_t type, int16_t left) {
  SymbolRecord r{};
  r.type = type;
  r.left = left;
  r.right = static_cast<int16_t>(left + 10);
  return r;
}

// After a plain bar line the key search looks only where the engine's page
// description kept a key change, and there it reads the new key past the
// naturals that cancel the old one.
// The engine is asked about the stave by its place in its system, whatever
// part slot the stave has (slot 2 alone: a system that leaves out part 1).
TEST(BigSymbolStep, AKeyChangeAfterAPlainBarLineIsReadWhereTheEngineKeptOne) {
  for (const int slot : {1, 2})
  for (const bool engineKey : {false, true}) {
    SCOPED_TRACE(testing::Message() << "slot " << slot << " engine key " << engineKey);
    StartSymbolPage();
    NewSymbolSlot(0);
    AddSlotBarline(0, 0, 500, 501);
    NewSymbolSlot(0);
    if (engineKey) AddSlotKey(0, 3, 640);
    StaveScene scene(1400, 320, kSpace);
    const int s = scene.AddStave(100, 50, 1300);
    scene.rows[s].number = static_cast<int16_t>(slot);
    ArtPage& page = scene.page;
    StampGlyph(page, SymbolGlyph("clef-G", kSpace), 72, scene.StepY(s, 10));
    page.FillRect(500, scene.StepY(s, 4) - 1, 501, scene.StepY(s, 12) + 1);
    const int naturalSteps[3] = {8, 5, 9};  // B, E, A of the old key
    const int sharpSteps[3] = {4, 7, 3};    // F, C, G of the new one
    for (int k = 0; k < 3; ++k) {
      StampGlyph(page, SymbolGlyph("natural", kSpace), 520 + 22 * k, scene.StepY(s, naturalSteps[k]));
      StampGlyph(page, SymbolGlyph("sharp", kSpace), 600 + 22 * k, scene.StepY(s, sharpSteps[k]));
    }
    int result = -1;
    const std::vector<Found> found = ReadStave(scene, s, BigSymbolChecks{}, &result);
    SCOPED_TRACE(Describe(found));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Has(found, kSymbolSharpKey, 620, 30, -1, 3), engineKey);
    EXPECT_FALSE(Has(found, kSymbolFlatKey, 560, 80));
    EndSymbolPage();
  }
}

TEST(AcceptHitAtPosition, ReplacingARecordKeepsEverySlotOnItsOwnRecord) {
  HitTable table;
  std::vector<SymbolRecord> records(16);
  uint32_t count = 0;
  auto offer = [&](int type, int part, int x, int confidence) {
    return AcceptHitAtPosition(table, type, part, x, confidence, 10.0, records.data(), count, [&]() {
      records[count] = Rec(static_cast<int16_t>(type * 10 + part), static_cast<int16_t>(x));
      records[count].confidence = static_cast<int16_t>(confidence);
      ++count;
      return 1;
    });
  };
  // Interleaved types and parts.
  EXPECT_EQ(offer(2, 0, 100, 92), HitResult::kTaken);   // record 0
  EXPECT_EQ(offer(36, 0, 105, 93), HitResult::kTaken);  // record 1
  EXPECT_EQ(offer(2, 1, 108, 92), HitResult::kTaken);   // record 2
  EXPECT_EQ(offer(68, 0, 110, 91), HitResult::kTaken);  // record 3
  // Within 1.5 half spaces: refused unless better; a better one replaces.
  EXPECT_EQ(offer(2, 0, 110, 92), HitResult::kRefused);
  EXPECT_EQ(offer(2, 0, 112, 95), HitResult::kTaken);  // deletes record 0
  EXPECT_EQ(offer(36, 0, 115, 96), HitResult::kTaken);  // deletes the digit, now record 0
  EXPECT_EQ(offer(68, 0, 118, 97), HitResult::kTaken);  // must delete the rest, not another record
  ASSERT_EQ(count, 4u);
  // Every slot names its own live record.
  const struct {
    int type, part, x;
  } slots[] = {{2, 0, 112}, {36, 0, 115}, {2, 1, 108}, {68, 0, 118}};
  for (const auto& c : slots) {
    const HitSlot& slot = table.slots[c.type][c.part];
    ASSERT_GE(slot.record, 0);
    ASSERT_LT(static_cast<uint32_t>(slot.record), count);
    EXPECT_EQ(records[slot.record].type, c.type * 10 + c.part);
    EXPECT_EQ(records[slot.record].left, c.x);
  }
  // Far enough on: a second record of the same slot.
  EXPECT_EQ(offer(2, 0, 200, 91), HitResult::kTaken);
  EXPECT_EQ(count, 5u);
  // A full list stops the scan.
  const HitResult full = AcceptHitAtPosition(table, 40, 0, 300, 99, 10.0, records.data(), count, [] { return 0; });
  EXPECT_EQ(full, HitResult::kListFull);
}

// ---- Merging, pairing, bar-line types ----

TEST(MergeSymbolParts, PartsJoinAndPartTablesBeyondFourAreClamped) {
  ShapeDatabase db;
  db.ShapeTypePartTable[2] = 7;  // a table value past the four parts a record can name
  db.ShapeTypePartTable[36] = 0;
  db.ShapeTypeFlagTable[2] = 0;
  std::vector<SymbolRecord> records(8);
  uint32_t count = 0;
  for (int part = 0; part < 4; ++part) {
    SymbolRecord r = Rec(2, static_cast<int16_t>(100 + part));
    r.variant = static_cast<int16_t>(part);
    r.confidence = static_cast<int16_t>(92 + (part == 2));
    r.attr18 = 4;
    records[count++] = r;
  }
  SymbolRecord lone = Rec(36, 300);
  lone.confidence = 90;
  lone.attr18 = 3;
  records[count++] = lone;
  MergeSymbolParts(records.data(), count, 0, db, 20.0, 40);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(records[0].type, 2);
  EXPECT_EQ(records[0].confidence, 92);  // (92 + 92 + 93 + 92) x 4 / 16
  EXPECT_EQ(records[0].quality, 2);
  EXPECT_EQ(records[0].left, 103);  // from the part that last filled its slot
  EXPECT_EQ(records[0].right, 113);
  EXPECT_EQ(records[1].confidence, 91);  // one part of one: raised to 91
}

TEST(MergeSymbolParts, AClefMissingPartsAtTheStaveStartStaysElsewhereGoes) {
  ShapeDatabase db;
  db.ShapeTypePartTable[2] = 3;
  std::vector<SymbolRecord> records(4);
  uint32_t count = 0;
  SymbolRecord early = Rec(2, 50);
  early.confidence = 92;
  early.attr18 = 3;
  SymbolRecord late = Rec(2, 600);
  late.confidence = 95;
  late.attr18 = 3;
  records[count++] = early;
  records[count++] = late;
  MergeSymbolParts(records.data(), count, 0, db, 20.0, 40);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(records[0].left, 50);
  EXPECT_EQ(records[0].confidence, 91);
}

TEST(MergeSymbolParts, PartsTrainedWithoutAWeightStillCount) {
  ShapeDatabase db;
  db.ShapeTypePartTable[69] = 1;  // a crotchet rest of two parts
  std::vector<SymbolRecord> records(4);
  uint32_t count = 0;
  for (int part = 0; part < 2; ++part) {
    SymbolRecord r = Rec(69, 300);
    r.variant = static_cast<int16_t>(part);
    r.confidence = 100;
    r.attr18 = 0;
    records[count++] = r;
  }
  SymbolRecord lone = Rec(69, 500);  // one part of two, weightless
  lone.confidence = 100;
  records[count++] = lone;
  MergeSymbolParts(records.data(), count, 0, db, 20.0, 40);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(records[0].left, 300);
  EXPECT_EQ(records[0].confidence, 100);
  EXPECT_EQ(records[0].quality, -17);
}

TEST(PairTimeSignatureDigits, UpperAndLowerDigitsConfirmEachOther) {
  std::vector<SymbolRecord> records = {Rec(36, 200), Rec(36, 202), Rec(35, 400)};
  records[0].stepTop = 4;
  records[1].stepTop = 8;
  records[2].stepTop = 4;
  for (SymbolRecord& r : records) r.quality = 2;
  PairTimeSignatureDigits(records.data(), 3, 0, 20.0);
  EXPECT_EQ(records[0].quality, 2 + 10 - 79);
  EXPECT_EQ(records[1].quality, 2 + 10 - 79);
  EXPECT_EQ(records[2].quality, 12);  // a lone digit
}

// Digit records span their two-space match windows. A lower digit beside
// an upper one (two rests side by side read as 7 over 7) is no time
// signature; the 8 of 12/8 under the middle of the 12 is.
TEST(PairTimeSignatureDigits, OnlyDigitsOnOneAxisPair) {
  struct Digit {
    int type, left, stepTop;
  };
  const struct {
    const char* what;
    std::vector<Digit> digits;
    std::vector<bool> confirmed;
  } cases[] = {
      {"4/4", {{36, 200, 4}, {36, 201, 8}}, {true, true}},
      {"12/8", {{33, 200, 4}, {34, 224, 4}, {40, 212, 8}}, {true, true, true}},
      {"side by side", {{39, 240, 8}, {39, 280, 4}}, {false, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<SymbolRecord> records;
    for (const Digit& d : c.digits) {
      SymbolRecord r = Rec(static_cast<int16_t>(d.type), static_cast<int16_t>(d.left));
      r.right = static_cast<int16_t>(d.left + 40);  // the window, two spaces of 20
      r.stepTop = static_cast<int16_t>(d.stepTop);
      r.quality = 2;
      records.push_back(r);
    }
    PairTimeSignatureDigits(records.data(), static_cast<uint32_t>(records.size()), 0, 20.0);
    for (size_t i = 0; i < records.size(); ++i)
      EXPECT_EQ(records[i].quality <= -64, c.confirmed[i]) << "digit " << i;
  }
}

TEST(ClassifyBarline, StrokeWidthsGiveTheType) {
  const struct {
    int32_t x, w1, w2;
    bool last;
    int type;
  } cases[] = {
      {995, 2, 8, true, 55},   // thin-thick at the end of the page's last stave
      {995, 2, 8, false, 51},  // elsewhere: thin-thick inside the stave
      {500, 2, 8, true, 51},
      {500, 8, 2, false, 50},  // thick-thin
      {500, 2, 2, false, 54},  // two thin strokes
      {500, 3, 4, false, 54},
  };
  for (const auto& c : cases) EXPECT_EQ(ClassifyBarline(c.x, 3.2f, c.w1, c.w2, c.last, 1000), c.type) << c.x;
}

}  // namespace

// The common and cut time signs stand across the middle line; the window
// rules cut them into an upper piece and a foot, neither of which fills half
// a window, and the engine often misses them at 300 dpi.
TEST(BigSymbolStep, CommonAndCutTimeSignsAreRead) {
  struct Case {
    const char* glyph;
    int type;
    int space;
  };
  const Case cases[] = {{"time-common", kSymbolCommonTime, 20}, {"time-common", kSymbolCommonTime, 37},
                        {"time-cut", kSymbolCutTime, 20},       {"time-cut", kSymbolCutTime, 37}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.glyph) + " at space " + std::to_string(c.space));
    StaveScene scene(40 * c.space, 16 * c.space, c.space);
    const int s = scene.AddStave(5 * c.space, 2 * c.space, 36 * c.space);
    StampGlyph(scene.page, SymbolGlyph("clef-G", c.space), 3 * c.space, scene.StepY(s, 10));
    const ArtBox sign = StampGlyph(scene.page, SymbolGlyph(c.glyph, c.space), 8 * c.space, scene.StepY(s, 8));
    int result = -1;
    const std::vector<Found> found = ReadStave(scene, s, BigSymbolChecks{}, &result);
    SCOPED_TRACE(Describe(found));
    EXPECT_TRUE(Has(found, c.type, (sign.left + sign.right) / 2, c.space / 2));
    int signs = 0;
    for (const Found& f : found) signs += f.type == kSymbolCommonTime || f.type == kSymbolCutTime;
    EXPECT_EQ(signs, 1);
  }
}

// The line opening a system at the stave's left end pauses nothing: the
// clef just after it stays one candidate from its left edge (on a degraded
// page the clef was lost when its first space and a half went unseen).
// The line opening a system at the stave's left end ends no run: the clef
// just after it is scanned from its left edge (on a degraded page its first
// space and a half went unseen and the clef was lost).
TEST(BigSymbolCandidates, TheSystemsOpeningLineEndsNothing) {
  StaveScene scene(1200, 320, kSpace);
  const int left = 40;
  const int s = scene.AddStave(100, left, 1150);
  scene.page.FillRect(left, scene.StepY(s, 4), left + 2, scene.StepY(s, 12));
  const ArtBox clef = StampGlyph(scene.page, SymbolGlyph("clef-G", kSpace), left + kSpace, scene.StepY(s, 10));
  const SymbolPage page = SymbolPageOf(scene);
  const std::vector<std::vector<BigSymbolCandidate>> bands = FindBigSymbolCandidates(page, s);
  ASSERT_EQ(bands.size(), 7u);
  for (int b : {3, 4}) {  // the bands of the clef's body, inked from its left edge
    SCOPED_TRACE("band of step " + std::to_string(2 * b));
    bool clefSeen = false;
    for (const BigSymbolCandidate& k : bands[static_cast<size_t>(b)])
      clefSeen = clefSeen || (k.left <= clef.left && k.right >= clef.left + kSpace);
    EXPECT_TRUE(clefSeen) << "a candidate over the clef's first space";
  }
}

// A crotchet rest's lower half looks like a quaver rest's: a quaver rest is
// taken only with both its pieces.
TEST(BigSymbolStep, ACrotchetRestIsNoQuaverRest) {
  for (int space : {20, 37}) {
    SCOPED_TRACE("space " + std::to_string(space));
    StaveScene scene(40 * space, 16 * space, space);
    const int s = scene.AddStave(5 * space, 2 * space, 36 * space);
    StampGlyph(scene.page, SymbolGlyph("clef-G", space), 3 * space, scene.StepY(s, 10));
    const ArtBox rest = StampGlyph(scene.page, SymbolGlyph("rest-quarter", space), 14 * space, scene.StepY(s, 8));
    int result = -1;
    const std::vector<Found> found = ReadStave(scene, s, BigSymbolChecks{}, &result);
    SCOPED_TRACE(Describe(found));
    EXPECT_FALSE(Has(found, 68, (rest.left + rest.right) / 2, space));
  }
}

// The lower piece of a semiquaver rest competes as the lower piece of a
// quaver rest, never as its upper piece: a dotted minim's stem and dot, or a
// semiquaver rest, make no quaver rest. The head is the engine's, as on a
// read page.
TEST(BigSymbolStep, ALowerRestPieceIsNoWholeQuaverRest) {
  for (int space : {20, 37}) {
    SCOPED_TRACE("space " + std::to_string(space));
    StaveScene scene(40 * space, 16 * space, space);
    const int s = scene.AddStave(5 * space, 2 * space, 36 * space);
    StampGlyph(scene.page, SymbolGlyph("clef-G", space), 3 * space, scene.StepY(s, 10));
    const int y = scene.StepY(s, 11);
    const ArtBox head = StampGlyph(scene.page, FixtureGlyph("head-half-" + std::to_string(space)), 14 * space, y);
    scene.page.FillRect(head.right - std::max(2, space / 10) + 1, y - 7 * space / 2, head.right, y);
    StampGlyph(scene.page, SymbolGlyph("dot", space), head.right + space / 2, scene.StepY(s, 11));
    StampGlyph(scene.page, SymbolGlyph("rest-16", space), 24 * space, scene.StepY(s, 8));
    BigSymbolChecks checks;
    checks.engineObjectIn = [&head](int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
      return head.left <= x1 && x0 <= head.right && head.top <= y1 && y0 <= head.bottom;
    };
    int result = -1;
    const std::vector<Found> found = ReadStave(scene, s, checks, &result);
    SCOPED_TRACE(Describe(found));
    for (const Found& f : found) EXPECT_NE(f.type, 68) << "at " << f.left;
  }
}

// A narrow solid stroke (a bar line, a stem) ends the runs beside it, and
// the bands look again only a space and a half past it: what stands just
// after it does not join it, and what reaches past the pause is a candidate
// of its own. A wide block ends nothing.
TEST(BigSymbolCandidates, ANarrowSolidStrokeEndsTheRunsBesideIt) {
  struct Case {
    const char* what;
    int strokeWidth;
    bool joined;
  };
  const Case cases[] = {{"bar line", 2, false}, {"stem", 3, false}, {"wide block", 12, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StaveScene scene(1200, 320, kSpace);
    const int s = scene.AddStave(100, 40, 1150);
    const int strokeX = 400, inkX = strokeX + c.strokeWidth + kSpace / 2;
    scene.page.FillRect(strokeX, scene.StepY(s, 4), strokeX + c.strokeWidth - 1, scene.StepY(s, 12));
    scene.page.FillRect(inkX, scene.StepY(s, 6) + 3, inkX + 2 * kSpace, scene.StepY(s, 10) - 3);
    const SymbolPage page = SymbolPageOf(scene);
    const std::vector<std::vector<BigSymbolCandidate>> bands = FindBigSymbolCandidates(page, s);
    ASSERT_EQ(bands.size(), 7u);  // steps 0, 2 ... 12
    for (int b : {2, 3, 4}) {      // the bands about the middle line
      SCOPED_TRACE("band of step " + std::to_string(2 * b));
      bool joined = false, after = false;
      for (const BigSymbolCandidate& k : bands[static_cast<size_t>(b)]) {
        joined = joined || (k.left <= strokeX + 1 && k.right >= inkX + 10);
        after = after || k.left > strokeX;
      }
      EXPECT_EQ(joined, c.joined);
      if (!c.joined) {
        EXPECT_TRUE(after) << "the ink past the pause is a candidate of its own";
      }
    }
  }
}
