#include "stages/NoteheadStep.h"
#include "stages/NoteRecords.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "platform/ShellFlags.h"
#include "reading/StaveSpacing.h"
#include "shapes/ClassifierDatabases.h"
#include "tests/Code/Quorm/PageSynth.h"
#include "tests/reading/StavePageTables.h"
#include "tests/stages/NoteEnginePage.h"
#include "tests/stages/StaveRows.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestPaths.h"

namespace {

constexpr double kSpace = 20;  // a 300-dpi stave
constexpr int kTop = 200;      // its top line

// A five-line stave on a synthesised page, read as the reading thread reads
// it: the line table traced from the image.
class NoteheadPage {
 public:
  // thickness: of the stave and ledger lines (2 as engraved; a scan may
  // thicken them).
  explicit NoteheadPage(int thickness = 2) : synth(1400, 600), painter(synth), thickness_(thickness) {
    staff.top = kTop;
    staff.left = 100;
    staff.right = 1300;
    staff.spacing = kSpace;
    staff.thickness = thickness;
    painter.AddStaff(staff);
    row.left = 100;
    row.right = 1299;
    row.top = kTop;
    row.bottom = static_cast<int16_t>(kTop + 4 * kSpace);
    row.lineCount = 5;
    row.lineThickness = static_cast<int16_t>(thickness);
    row.midX = 700;
    row.midTop = kTop;
    row.rightTop = kTop;
    row.number = 1;
  }

  // Half spaces below the top line of a record step (16 = middle line).
  static double StepY(int step) { return kTop + (20 - step) * kSpace / 2; }

  void Solid(int step, int x, bool stem = true) {
    synth.FillEllipse(StepY(step), x, 0.55 * kSpace, 0.68 * kSpace);
    if (stem) synth.FillRect(static_cast<int>(StepY(step) - 3.5 * kSpace), x + 11, static_cast<int>(StepY(step)), x + 14);
    Ledgers(step, x);
  }
  // holeWidth: the hole's half-width in spaces (a scan's thickening narrows
  // it and widens the head by a pixel each side).
  void Hollow(int step, int x, double holeWidth = 0.45, double width = 0.68) {
    synth.FillEllipse(StepY(step), x, 0.55 * kSpace, width * kSpace);
    Clear(StepY(step), x, 0.25 * kSpace, holeWidth * kSpace);
    synth.FillRect(static_cast<int>(StepY(step) - 3.5 * kSpace), x + 11, static_cast<int>(StepY(step)), x + 14);
    Ledgers(step, x);
  }
  void Semibreve(int step, int x) {
    synth.FillEllipse(StepY(step), x, 0.55 * kSpace, 0.9 * kSpace);
    Clear(StepY(step), x, 0.35 * kSpace, 0.4 * kSpace);
    Ledgers(step, x);
  }

  int Read() {
    painter.AddStaff(staff);  // the lines run through the hollow heads
    const int words = synth.wordsPerRow();
    image.bits = reinterpret_cast<const uint8_t*>(synth.bits());
    image.width = synth.width();
    image.height = synth.height();
    image.rowBytes = static_cast<size_t>(words) * 4;
    geometry = tables.Over(OneBitImage(const_cast<uint8_t*>(image.bits), image.width, image.height, image.rowBytes));
    StaveLookup().readingActive = true;
    const int result = FindNoteheads(image, &row, 1, 0, notes.data(), count, 0, 0, geometry);
    StaveLookup().readingActive = false;
    return result;
  }

  // The live records of the step and kind overlapping column x.
  int Found(int step, uint32_t kind, int x) const {
    int n = 0;
    for (uint32_t i = 0; i < count; ++i)
      if (notes[i].step == step && notes[i].kind == kind && notes[i].left <= x && notes[i].right >= x &&
          notes[i].quality < kRejectedQuality)
        ++n;
    return n;
  }

  SynthPage synth;
  StaffPainter painter;
  SynthStaff staff;
  StaveRow row;
  HeadImage image;
  StavePage geometry;
  StavePageTables tables;
  std::vector<NoteRecord> notes = std::vector<NoteRecord>(kNoteListCapacity);
  uint32_t count = 0;

 private:
  void Clear(double cy, double cx, double ry, double rx) {
    for (int y = static_cast<int>(cy - ry) - 1; y <= cy + ry + 1; ++y)
      for (int x = static_cast<int>(cx - rx) - 1; x <= cx + rx + 1; ++x) {
        const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
        if (dx * dx + dy * dy <= 1) synth.Set(y, x, false);
      }
  }
  // Ledger lines from the stave out to a head beyond it.
  void Ledgers(int step, int x) {
    for (int s = 22; s <= step; s += 2) LedgerAt(s, x);
    for (int s = 10; s >= step; s -= 2) LedgerAt(s, x);
  }
  void LedgerAt(int step, int x) {
    const int y = static_cast<int>(StepY(step));
    synth.FillRect(y - thickness_ / 2, x - 19, y + (thickness_ - 1) / 2, x + 20);
  }
  int thickness_;
};

class NoteheadStep : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::vector<uint8_t> bytes = ReadBytes(SourcePath("resources/data/Notation"));
    templates_ = new NotationDatabase;
    ASSERT_TRUE(ParseNotationDatabase(bytes.data(), bytes.size(), templates_));
  }
  static void TearDownTestSuite() {
    delete templates_;
    templates_ = nullptr;
  }
  void SetUp() override {
    NoteheadTemplates() = templates_;
    Flags().abort = 0;
  }
  void TearDown() override { NoteheadTemplates() = nullptr; }

  NoteEnginePage engine;  // an engine page without notes: nothing is known yet
  static NotationDatabase* templates_;
};
NotationDatabase* NoteheadStep::templates_ = nullptr;

// A head drawn on a test page: what it is, its step, its left column and the
// kind the step should find.
struct DrawnHead {
  const char* what;
  int step;
  int x;
  uint32_t kind;
};

TEST_F(NoteheadStep, FindsEachHeadClassOnLinesSpacesAndLedgers) {
  engine.AddStave(0, kTop, 20, 5);
  engine.Describe();
  NoteheadPage page;
  const DrawnHead heads[] = {
      {"solid on the middle line", 16, 200, kNoteCrotchet}, {"solid in a space", 17, 280, kNoteCrotchet},
      {"solid on a ledger above", 22, 360, kNoteCrotchet},  {"solid above a ledger", 23, 440, kNoteCrotchet},
      {"solid on a ledger below", 10, 520, kNoteCrotchet},  {"minim on a line", 14, 600, kNoteMinim},
      {"minim in a space", 15, 680, kNoteMinim},            {"minim on a ledger below", 10, 760, kNoteMinim},
      {"semibreve on a line", 18, 860, kNoteSemibreve},     {"semibreve in a space", 19, 960, kNoteSemibreve},
      {"semibreve on a ledger above", 22, 1060, kNoteSemibreve},
  };
  for (const auto& h : heads) {
    if (h.kind == kNoteCrotchet) page.Solid(h.step, h.x);
    else if (h.kind == kNoteMinim) page.Hollow(h.step, h.x);
    else page.Semibreve(h.step, h.x);
  }
  ASSERT_EQ(page.Read(), 1);
  for (const auto& h : heads) EXPECT_EQ(page.Found(h.step, h.kind, h.x), 1) << h.what;
  for (uint32_t i = 0; i < page.count; ++i) {
    const NoteRecord& r = page.notes[i];
    EXPECT_EQ(r.origin, kSearchOrigin);
    EXPECT_LE(r.quality, 5);
    bool known = false;
    for (const auto& h : heads) known = known || (r.left <= h.x && r.right >= h.x && r.step == h.step);
    EXPECT_TRUE(known) << "a head at " << r.left << ".." << r.right << " step " << r.step << " kind " << r.kind;
  }
}

// A scan thickens the lines until one through a minim's head fills the
// hole's middle and narrows the ring's hole: paper beside the line still
// shows the ring, and a solid head on such a line stays solid.
TEST_F(NoteheadStep, MinimsOnThickenedLinesKeepTheirHoles) {
  engine.AddStave(0, kTop, 20, 5);
  engine.Describe();
  NoteheadPage page(5);
  const DrawnHead heads[] = {
      {"minim on a line", 14, 300, kNoteMinim},
      {"minim on a ledger above", 22, 450, kNoteMinim},
      {"minim on a ledger below", 10, 600, kNoteMinim},
      {"solid on a line", 18, 750, kNoteCrotchet},
      {"solid on a ledger above", 22, 900, kNoteCrotchet},
  };
  for (const auto& h : heads) {
    if (h.kind == kNoteMinim) page.Hollow(h.step, h.x, 0.33, 0.75);
    else page.Solid(h.step, h.x);
  }
  ASSERT_EQ(page.Read(), 1);
  for (const auto& h : heads) {
    EXPECT_EQ(page.Found(h.step, h.kind, h.x), 1) << h.what;
    EXPECT_EQ(page.Found(h.step, h.kind == kNoteMinim ? kNoteCrotchet : kNoteMinim, h.x), 0) << h.what;
  }
}

// The engine may read one head of a chord: its event's box, stem and all,
// covers the chord's other heads, and the search examines them there; a
// window on the engine's own head (or half a head from it) is not examined.
TEST_F(NoteheadStep, HeadsOfAChordBesideTheEnginesOneAreExamined) {
  const int row = engine.AddStave(0, kTop, 20, 5);
  engine.Describe();
  int32_t lowest = 0;  // the engine's step of record step 12
  for (int32_t e = -12; e <= 12; ++e)
    if (std::abs(engine.StepY(row, e) - NoteheadPage::StepY(12)) < 3) lowest = e;
  HandGroup g;
  g.notes = {HandNote{3, lowest, 300}};
  g.stemX = 312;
  g.stemEndY = static_cast<int32_t>(NoteheadPage::StepY(12) - 4 * kSpace);
  engine.AddSlot(row, {g});
  NoteheadPage page;
  page.Solid(12, 300, false);
  page.Solid(16, 300, false);
  page.Read();
  CurrentHeadSearch().headWidth = 16;
  StaveLookup().readingActive = true;
  const struct {
    int step;  // the window's head
    int examined;
  } cases[] = {{16, 1}, {12, 0}, {13, 0}};
  for (const auto& c : cases) {
    HeadCandidate table[kCandidateEntries] = {};
    const int32_t top = static_cast<int32_t>(NoteheadPage::StepY(c.step + 1));
    const int32_t bottom = static_cast<int32_t>(NoteheadPage::StepY(c.step - 1));
    EXPECT_EQ(MatchNoteheadShape(page.image, 290, top, bottom, 20, 2, 30 - c.step, false, table, &page.row, 1, 0, 0,
                                 false),
              c.examined)
        << "step " << c.step;
    if (c.examined) {
      EXPECT_GE(table[kSolidHeadClass].score, kAcceptedHeadScore) << "step " << c.step;
    }
  }
  StaveLookup().readingActive = false;
}

}  // namespace

namespace {


// The head finder's view of a synthesised page.
HeadImage HeadImageOf(const SynthPage& synth) {
  HeadImage image;
  image.bits = reinterpret_cast<const uint8_t*>(synth.bits());
  image.width = synth.width();
  image.height = synth.height();
  image.rowBytes = static_cast<size_t>(synth.wordsPerRow()) * 4;
  return image;
}

NoteRecord Found(int16_t left, int16_t step, uint32_t kind, int16_t confidence, int16_t width = 24) {
  NoteRecord r{};
  r.left = left;
  r.right = static_cast<int16_t>(left + width);
  r.top = static_cast<int16_t>(400 - step * 10);
  r.bottom = static_cast<int16_t>(r.top + 20);
  r.step = step;
  r.kind = kind;
  r.confidence = confidence;
  r.origin = kSearchOrigin;
  r.space = 20;
  return r;
}

TEST(GradeFoundNoteheads, ConfidenceGivesTheQuality) {
  const struct {
    uint32_t kind;
    int16_t confidence;
    bool kept;
    int16_t quality;
  } cases[] = {
      {kNoteCrotchet, 91, false, 0}, {kNoteCrotchet, 92, true, 5}, {kNoteCrotchet, 94, true, 2},
      {kNoteCrotchet, 100, true, -5}, {kNoteMinim, 96, true, 0},    {kNoteSemibreve, 99, true, 5},
  };
  for (const auto& c : cases) {
    std::vector<NoteRecord> notes = {Found(100, 16, c.kind, c.confidence)};
    uint32_t count = 1;
    GradeFoundNoteheads(notes.data(), 0, count, 86, 90);
    ASSERT_EQ(count, c.kept ? 1u : 0u) << c.confidence;
    if (c.kept) {
      EXPECT_EQ(notes[0].quality, c.quality) << c.kind << " " << c.confidence;
    }
  }
}

TEST(ThinNoteRecords, KeepsTheBetterOfTwoHeadsAtOnePlace) {
  std::vector<NoteRecord> notes = {Found(100, 16, kNoteCrotchet, 95), Found(102, 16, kNoteCrotchet, 97),
                                   Found(104, 16, kNoteSemibreve, 99),  // a solid head beats a semibreve
                                   Found(103, 18, kNoteCrotchet, 90),   // another step
                                   Found(300, 16, kNoteCrotchet, 90)};  // elsewhere
  uint32_t count = static_cast<uint32_t>(notes.size());
  EXPECT_TRUE(ThinNoteRecords(notes.data(), count, 0));
  ASSERT_EQ(count, 3u);
  EXPECT_EQ(notes[0].left, 102);
  EXPECT_EQ(notes[1].step, 18);
  EXPECT_EQ(notes[2].left, 300);
}

TEST(CleanFoundNoteheads, RemovesContradictingFinds) {
  HeadImage blank;  // no ink: no stems anywhere
  std::vector<uint8_t> white(64 * 700, 0);
  blank.bits = white.data();
  blank.width = 500;
  blank.height = 700;
  blank.rowBytes = 64;
  const StaveRow row = FiveLineStave(10, 490, 200, 280);
  StavePage page;
  auto clean = [&](std::vector<NoteRecord> notes) {
    uint32_t count = static_cast<uint32_t>(notes.size());
    CleanFoundNoteheads(blank, notes.data(), count, &row, 1, 0, 10.0, 0, page);
    notes.resize(count);
    return notes;
  };
  // Two equally confident solid heads at one place: the narrower goes, at
  // equal width the later.
  std::vector<NoteRecord> left = clean({Found(100, 16, kNoteCrotchet, 95, 24), Found(101, 16, kNoteCrotchet, 95, 22)});
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].left, 100);
  left = clean({Found(100, 16, kNoteCrotchet, 95), Found(101, 16, kNoteCrotchet, 95)});
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].left, 100);
  // A hollow head between solid heads a step above and below goes; with
  // solid heads two steps away on both sides too, it stays.
  left = clean({Found(100, 15, kNoteCrotchet, 95), Found(100, 16, kNoteMinim, 95), Found(100, 17, kNoteCrotchet, 95)});
  EXPECT_EQ(left.size(), 2u);
  for (const NoteRecord& r : left) EXPECT_EQ(r.kind, kNoteCrotchet);
}

TEST(CleanFoundNoteheads, AStemlessHeadBesideAStemmedOneGoes) {
  // Two heads drawn with the stems the measuring finds: a stemmed head, a
  // stemless one just left of it a step higher.
  SynthPage synth(600, 500);
  synth.FillEllipse(250, 300, 10, 13);
  synth.FillRect(180, 311, 250, 314);  // stem up 3.5 spaces
  synth.FillEllipse(240, 270, 10, 13);
  const HeadImage image = HeadImageOf(synth);
  const StaveRow row = FiveLineStave(10, 590, 200, 280);
  StavePage page;
  std::vector<NoteRecord> notes = {Found(257, 17, kNoteCrotchet, 95, 26), Found(287, 16, kNoteCrotchet, 95, 27)};
  notes[0].top = 230;
  notes[0].bottom = 250;
  notes[1].top = 240;
  notes[1].bottom = 260;
  uint32_t count = 2;
  CleanFoundNoteheads(image, notes.data(), count, &row, 1, 0, 10.0, 0, page);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(notes[0].left, 287);
  EXPECT_EQ(notes[0].stemLength[1], 3);  // (240 - 180) / 20, up at the right edge
}

TEST(MeasureStems, StemsAtTheImageEdgesAreReadInsideIt) {
  // Heads in the four corners, their stems running off the image.
  SynthPage synth(200, 200);
  const struct {
    int cx, cy, stemX0, stemY0, stemY1;
  } heads[] = {{12, 8, 22, 0, 8}, {186, 8, 175, 8, 60}, {12, 190, 22, 130, 190}, {186, 190, 175, 190, 200}};
  for (const auto& h : heads) {
    synth.FillEllipse(h.cy, h.cx, 10, 13);
    synth.FillRect(h.stemY0, h.stemX0, h.stemY1, h.stemX0 + 3);
  }
  const HeadImage image = HeadImageOf(synth);
  const StaveRow row = FiveLineStave(0, 199, 50, 130);
  StavePage page;
  std::vector<NoteRecord> notes;
  for (const auto& h : heads) {
    NoteRecord r = Found(static_cast<int16_t>(h.cx - 13), 16, kNoteCrotchet, 95, 26);
    r.top = static_cast<int16_t>(h.cy - 10);
    r.bottom = static_cast<int16_t>(h.cy + 10);
    notes.push_back(r);
  }
  MeasureStems(image, notes.data(), 4, &row, 1, 0, 0, page);
  // The stem going down from the bottom-left head into the head below it is
  // no stem of its own; nothing is read outside the image (the sanitizers
  // would say so).
  EXPECT_EQ(notes[1].stemLength[2], 2);  // down at the left edge of the top-right head
  for (const NoteRecord& r : notes)
    for (int k = 0; k < 4; ++k) EXPECT_LE(r.stemLength[k], 10);
}

}  // namespace

namespace {

TEST_F(NoteheadStep, ATabStaveGetsNothingAndAShortStaveExactlyTheEnginesHeads) {
  const int five = engine.AddStave(0, kTop, 20, 5);
  const int one = engine.AddStave(1, 450, 40, 1);
  engine.Describe();
  HandGroup g;
  g.notes = {HandNote{3, 0, 600}, HandNote{3, -1, 700}};
  engine.AddSlot(one, {g});
  NoteheadPage page;
  page.Solid(16, 300);  // a head the search would find on a five-line stave
  page.Read();
  std::vector<StaveRow> rows = {page.row, engine.rows[one]};
  rows[0].group = engine.rows[five].group;
  page.count = 0;
  StaveLookup().readingActive = true;
  rows[0].kind = 1;  // tablature
  EXPECT_EQ(FindNoteheads(page.image, rows.data(), 2, 0, page.notes.data(), page.count, 0, 0, page.geometry), 1);
  EXPECT_EQ(page.count, 0u);
  EXPECT_EQ(FindNoteheads(page.image, rows.data(), 2, 1, page.notes.data(), page.count, 0, 1, page.geometry), 1);
  StaveLookup().readingActive = false;
  ASSERT_EQ(page.count, 2u);  // the engine's two heads and nothing searched
  EXPECT_EQ(page.notes[0].origin, kEngineOrigin);
  EXPECT_EQ(page.notes[1].origin, kEngineOrigin);
}

TEST_F(NoteheadStep, AWindowOverAnObjectTheEngineFoundIsNotExamined) {
  const int row = engine.AddStave(0, kTop, 20, 5);
  engine.Describe();
  HandGroup g;
  g.notes = {HandNote{3, 0, 300}};  // the engine's head on the middle line at x 292..308
  engine.AddSlot(row, {g});
  NoteheadPage page;
  page.Solid(16, 300);
  page.Read();
  HeadCandidate table[kCandidateEntries] = {};
  CurrentHeadSearch().headWidth = 16;
  StaveLookup().readingActive = true;
  const int32_t top = static_cast<int32_t>(NoteheadPage::StepY(17)), bottom = static_cast<int32_t>(NoteheadPage::StepY(15));
  EXPECT_EQ(MatchNoteheadShape(page.image, 290, top, bottom, 20, 2, 14, false, table, &page.row, 1, 0, 0, false), 0);
  EXPECT_EQ(table[kSolidHeadClass].score, 0);
  // Left of a column already examined the engine is not asked again.
  EXPECT_EQ(MatchNoteheadShape(page.image, 290, top, bottom, 20, 2, 14, true, table, &page.row, 1, 0, 0, false), 1);
  StaveLookup().readingActive = false;
  EXPECT_GE(table[kSolidHeadClass].score, kAcceptedHeadScore);
}

}  // namespace
