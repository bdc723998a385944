// The notehead finder on synthesised staves: Emmentaler heads of every model
// on lines, in spaces and on and beside ledger lines over staff spaces of 12
// to 45 pixels, chords, heads beside stems; what is no head; the table's
// accessors and attachments; and pages that give it nothing to find.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findledg.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Heapmem.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Muslref.h"
#include "Code/Quorm/Lnheadpt.h"
#include "Code/Quorm/Quorm.h"
#include "tests/Code/Quorm/HeadArt.h"
#include "tests/Code/Quorm/LineArt.h"
#include "tests/Code/Quorm/PageSynth.h"
#include "tests/Code/Quorm/StaffStageHelpers.h"

namespace {

int GetNoteheadStaff(int i) { return GetNoteheadPlace(i).staff; }

std::string DescribeHeads() {
  std::ostringstream out;
  for (int i = 0; i < GetNoteheadCount(); ++i) {
    const FoundNotehead h = GetFoundNotehead(i);
    out << "\n  head " << i << ": model " << h.model << " staff " << h.staff << " step " << h.step << " row "
        << h.centreY << " columns " << h.leftX << ".." << h.rightX << " cost " << h.rawCost << " ("
        << GetNoteheadCost(i) << ")";
  }
  return out.str();
}

// The found head of the painted one's model at its step, centre and edges
// within the slack; -1 when none.
int MatchHead(const PaintedHead& p, int staff, double slack) {
  for (int i = 0; i < GetNoteheadCount(); ++i) {
    const FoundNotehead h = GetFoundNotehead(i);
    if (h.model != ModelOfKind(p.kind) || h.staff != staff || h.step != p.step) continue;
    if (std::fabs(h.centreY - p.row) > slack || std::abs(h.leftX - p.left) > slack ||
        std::abs(h.rightX - p.right) > slack)
      continue;
    return i;
  }
  return -1;
}

// Whether a found head lies on a painted one: the same staff, the columns
// overlapping, the centre within a quarter of a staff space. (Its step may
// differ: the ink of a head beyond a ledger line can pass for a further
// ledger line on small staves, and a head is sought on and beside it.)
bool OnPaintedHead(const FoundNotehead& h, const std::vector<std::vector<PaintedHead>>& painted) {
  if (h.staff < 0 || h.staff >= static_cast<int>(painted.size())) return false;
  const double quarter = GetStaffSpace(h.staff) / 4096.0;
  for (const PaintedHead& p : painted[h.staff])
    if (std::fabs(h.centreY - p.row) <= quarter + 1 && h.leftX < p.right && p.left < h.rightX) return true;
  return false;
}

class HeadsBySize : public ::testing::TestWithParam<int> {};

// One staff per head kind: heads on the steps from the top line to the bottom
// line, on a ledger line above and below the staff and in the space beyond
// each. Every painted head is found at its step with its model, its centre
// and edges within a pixel and an eighth of a staff space; every found head
// stands on a painted one.
TEST_P(HeadsBySize, EveryModelOnLinesSpacesAndLedgerLines) {
  const int s = GetParam();
  HeadReferenceFolder references;
  const int width = 60 * s + 200;
  const int staffHeight = 14 * s;
  SynthPage page(width, 4 * staffHeight + 200);
  StaffPainter painter(page);
  std::vector<std::vector<PaintedHead>> painted(4);
  for (int k = 0; k < 4; ++k) {
    const HeadKind kind = kHeadKinds[k];
    SynthStaff staff;
    staff.top = 100 + 5 * s + k * staffHeight;
    staff.left = 50;
    staff.right = width - 50;
    staff.spacing = s;
    staff.thickness = refmaker::LineThicknessFor(s);
    painter.AddStaff(staff);
    int x = 50 + 3 * s;
    const int headWidth = HeadGlyph(kind, s).width;
    for (int step = 0; step <= 8; ++step) {
      painted[k].push_back(StampHead(page, painter, k, step, x, kind));
      x += headWidth + 2 * s;
    }
    // Ledger lines a little wider than the head: heads on them and beyond.
    const double ledgerWidth = static_cast<double>(headWidth) / s + 0.8;
    for (int side : {-1, 1})
      for (int beyond : {0, 1}) {
        const int centre = x + headWidth / 2;
        DrawLedgerLines(page, painter, k, side, 1, centre, ledgerWidth, false);
        const int step = side < 0 ? -2 - beyond : 10 + beyond;
        painted[k].push_back(StampHead(page, painter, k, step, x, kind));
        x += headWidth + 3 * s;
      }
    ASSERT_LT(x, width - 50);
  }
  ASSERT_TRUE(FindHeadsOn(page));
  ASSERT_EQ(GetStaffCount(), 4);
  const double slack = 1.0 + s / 8.0;
  for (int k = 0; k < 4; ++k)
    for (const PaintedHead& p : painted[k])
      EXPECT_GE(MatchHead(p, k, slack), 0) << NameOfKind(p.kind) << " head at step " << p.step << " columns " << p.left
                                          << ".." << p.right << " row " << p.row;
  for (int i = 0; i < GetNoteheadCount(); ++i)
    EXPECT_TRUE(OnPaintedHead(GetFoundNotehead(i), painted)) << "stray head " << i;
  // The page's head widths tell small heads from black ones: where a small
  // head is also taken for a black one, that reading costs more.
  for (const PaintedHead& p : painted[3]) {
    const int small = MatchHead(p, 3, slack);
    if (small < 0) continue;
    for (int i = 0; i < GetNoteheadCount(); ++i) {
      const FoundNotehead h = GetFoundNotehead(i);
      if (h.model == 0 && h.staff == 3 && h.step == p.step && h.leftX < p.right && p.left < h.rightX) {
        EXPECT_GT(h.rawCost, GetFoundNotehead(small).rawCost) << "small head at step " << p.step;
      }
    }
  }
  // No black head is read as a small one.
  for (int i = 0; i < GetNoteheadCount(); ++i)
    if (GetNoteheadStaff(i) == 0) {
      EXPECT_EQ(GetNoteheadModel(i), 0) << "head " << i;
    }
  // The small heads carry the cue-size mark, and only they.
  for (const PaintedHead& p : painted[3]) {
    const int small = MatchHead(p, 3, slack);
    if (small >= 0) EXPECT_EQ(GetNoteheadSmall(small), 1) << "small head at step " << p.step;
  }
  for (int i = 0; i < GetNoteheadCount(); ++i)
    EXPECT_EQ(GetNoteheadSmall(i), GetNoteheadModel(i) == 4 ? 1 : 0) << "head " << i;
  if (::testing::Test::HasFailure()) ADD_FAILURE() << "found:" << DescribeHeads();
  FreeEngine();
}

INSTANTIATE_TEST_SUITE_P(StaffSpaces, HeadsBySize, ::testing::Values(12, 14, 18, 22, 26, 31, 37, 45));

// One five-line staff of the spacing on a page of the width, with its top
// line at row top.
SynthStaff OneStaff(int spacing, int top, int width) {
  SynthStaff staff;
  staff.top = top;
  staff.left = 50;
  staff.right = width - 50;
  staff.spacing = spacing;
  staff.thickness = refmaker::LineThicknessFor(spacing);
  return staff;
}

// Chords (a third apart and with a second, whose upper head stands right of
// the stem) and heads with stems up and down are found head by head.
TEST(HeadFinderTest, ChordsAndHeadsBesideStems) {
  HeadReferenceFolder references;
  const int s = 20;
  SynthPage page(1400, 400);
  StaffPainter painter(page);
  painter.AddStaff(OneStaff(s, 150, 1400));
  std::vector<std::vector<PaintedHead>> painted(1);
  auto add = [&](int step, int x, HeadKind kind) {
    painted[0].push_back(StampHead(page, painter, 0, step, x, kind));
    return painted[0].back();
  };
  // A triad with its stem up.
  PaintedHead low = add(8, 150, HeadKind::kBlack);
  add(6, 150, HeadKind::kBlack);
  add(4, 150, HeadKind::kBlack);
  DrawStemFor(page, low, s, true);
  // A second: the lower head left of the stem, the upper one right of it.
  PaintedHead second = add(5, 300, HeadKind::kBlack);
  add(4, second.right - 2, HeadKind::kBlack);
  DrawStemFor(page, second, s, true);
  // Single heads with stems down and up, a half note with its stem.
  DrawStemFor(page, add(1, 450, HeadKind::kBlack), s, false);
  DrawStemFor(page, add(7, 560, HeadKind::kBlack), s, true);
  DrawStemFor(page, add(2, 670, HeadKind::kHalf), s, false);
  DrawStemFor(page, add(6, 780, HeadKind::kHalf), s, true);
  // A half-note chord and a whole-note chord.
  DrawStemFor(page, add(7, 900, HeadKind::kHalf), s, true);
  add(5, 900, HeadKind::kHalf);
  add(6, 1020, HeadKind::kWhole);
  add(4, 1020, HeadKind::kWhole);
  add(2, 1020, HeadKind::kWhole);
  ASSERT_TRUE(FindHeadsOn(page));
  const double slack = 1.0 + s / 8.0;
  for (const PaintedHead& p : painted[0])
    EXPECT_GE(MatchHead(p, 0, slack), 0) << NameOfKind(p.kind) << " head at step " << p.step << " columns " << p.left
                                         << ".." << p.right;
  for (int i = 0; i < GetNoteheadCount(); ++i)
    EXPECT_TRUE(OnPaintedHead(GetFoundNotehead(i), painted)) << "stray head " << i;
  if (::testing::Test::HasFailure()) ADD_FAILURE() << "found:" << DescribeHeads();
  FreeEngine();
}

// Shapes that are no heads, each alone on a staff of 20 pixels.
struct NotAHead {
  const char* what;
  int y0, x0, y1, x1;  // a filled box, relative to the staff's top line and column 400
};

class HeadRejections : public ::testing::TestWithParam<NotAHead> {};

TEST_P(HeadRejections, FindsNoHead) {
  const NotAHead c = GetParam();
  HeadReferenceFolder references;
  SynthPage page(900, 400);
  StaffPainter painter(page);
  painter.AddStaff(OneStaff(20, 150, 900));
  if (c.y1 > c.y0) page.FillRect(150 + c.y0, 400 + c.x0, 150 + c.y1, 400 + c.x1);
  ASSERT_TRUE(FindHeadsOn(page));
  EXPECT_EQ(GetNoteheadCount(), 0) << c.what << DescribeHeads();
  FreeEngine();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeadRejections,
    ::testing::Values(NotAHead{"an empty staff", 0, 0, 0, 0},
                      NotAHead{"a beam across the staff", 25, 0, 35, 200},
                      NotAHead{"a block three spaces wide", 25, 0, 47, 60},
                      NotAHead{"a dot", 26, 0, 32, 6},
                      NotAHead{"a stem", -30, 0, 60, 3},
                      NotAHead{"a square of a staff space", 30, 0, 50, 20}));

// A staff space of 60 pixels, a hinted staff: the template blocks reach
// further than a staff space of 58 pixels allows with fixed blocks of 54 rows,
// and the finder runs without a failed check. Black heads are found; a whole
// head's patch holds more than 10000 pixels and is refused.
TEST(HeadFinderTest, LargeHintedStaffFindsBlackHeadsAndRefusesHugePatches) {
  HeadReferenceFolder references;
  const int s = 60;
  SynthPage page(1500, 700);
  StaffPainter painter(page);
  painter.AddStaff(OneStaff(s, 200, 1500));
  std::vector<PaintedHead> black;
  for (int k = 0; k < 3; ++k) black.push_back(StampHead(page, painter, 0, 2 + k, 300 + 200 * k, HeadKind::kBlack));
  StampHead(page, painter, 0, 4, 900, HeadKind::kWhole);
  StaffHints hints;
  hints.AddFromPainter(painter, 0, 1);
  ASSERT_EQ(RunHintedStageOn(page, hints), 0);
  ASSERT_EQ(GetStaffCount(), 1);
  ASSERT_TRUE(FindHeadsAfterStaffStage());
  // The page's own staff space is estimated from this one staff; the heads
  // on lines stand at the edge of what its edge band takes in.
  int found = 0;
  for (const PaintedHead& p : black) found += MatchHead(p, 0, 1.0 + s / 8.0) >= 0;
  EXPECT_GE(found, 1) << DescribeHeads();
  for (int i = 0; i < GetNoteheadCount(); ++i) EXPECT_NE(GetNoteheadModel(i), 2) << DescribeHeads();
  HeadPatchBox box;
  EXPECT_EQ(NoteheadPatchBox(2, s * 1024, 500 * 1024, 900, 900 + HeadGlyph(HeadKind::kWhole, s).width, &box), 0);
  EXPECT_EQ(NoteheadPatchBox(0, s * 1024, 500 * 1024, 200, 200 + HeadGlyph(HeadKind::kBlack, s).width, &box), 1);
  FreeEngine();
}

// Hinted staves whose staff space is under five pixels take no part: their
// per-cent tolerances round to nothing. The finder runs to its end.
TEST(HeadFinderTest, StavesUnderFivePixelsTakeNoPart) {
  HeadReferenceFolder references;
  for (int spacing : {3, 4}) {
    SynthPage page(600, 200);
    StaffPainter painter(page);
    SynthStaff staff = OneStaff(spacing, 80, 600);
    staff.thickness = 1;
    painter.AddStaff(staff);
    for (int x = 100; x < 500; x += 20) page.FillEllipse(80 + spacing * 2, x, spacing * 0.5, spacing * 0.65);
    StaffHints hints;
    hints.AddFromPainter(painter, 0, 1);
    ASSERT_EQ(RunHintedStageOn(page, hints), 0) << spacing;
    ASSERT_EQ(GetStaffCount(), 1);
    ASSERT_TRUE(FindHeadsAfterStaffStage());
    EXPECT_EQ(GetNoteheadCount(), 0) << spacing;
    FreeEngine();
  }
}

// A page whose head references lack a class: the models of that class are
// not searched, and the page is read without a failed check. An empty set,
// or one whose only references are of a variant the options do not use,
// searches nothing.
TEST(HeadFinderTest, ModelsWithoutReferencesAreNotSearched) {
  SynthPage page(900, 400);
  StaffPainter painter(page);
  painter.AddStaff(OneStaff(20, 150, 900));
  StampHead(page, painter, 0, 3, 200, HeadKind::kBlack);
  StampHead(page, painter, 0, 4, 400, HeadKind::kHalf);
  StampHead(page, painter, 0, 5, 600, HeadKind::kWhole);
  std::vector<NoteheadReference> blackOnly;
  for (const NoteheadReference& r : TestHeadReferences())
    if (r.headClass == 0) blackOnly.push_back(r);
  std::vector<NoteheadReference> unusable = TestHeadReferences();
  for (NoteheadReference& r : unusable) r.variant = 2;
  struct Case {
    const char* what;
    std::vector<NoteheadReference> references;
    std::vector<int> searched;  // models 0, 1, 2, 4
  };
  const Case cases[] = {{"black heads only", blackOnly, {1, 0, 0, 0}},
                        {"no references", {}, {0, 0, 0, 0}},
                        {"only an unused variant", unusable, {0, 0, 0, 0}},
                        {"every class", TestHeadReferences(), {1, 1, 1, 1}}};
  for (const Case& c : cases) {
    HeadReferenceFolder folder(c.references);
    ASSERT_TRUE(FindHeadsOn(page)) << c.what;
    const int models[] = {0, 1, 2, 4};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(NoteheadModelSearched(models[k]), c.searched[k]) << c.what << " model " << models[k];
    for (int i = 0; i < GetNoteheadCount(); ++i) {
      const int model = GetNoteheadModel(i);
      EXPECT_TRUE(NoteheadModelSearched(model)) << c.what;
    }
    if (c.searched[0] == 0) {
      EXPECT_EQ(GetNoteheadCount(), 0) << c.what;
    }
    EXPECT_EQ(NoteheadModelSearched(5), 0);  // the small-heads option is off
    FreeEngine();
  }
}

// Every head has its two anchor points at its centre row and edges;
// releasing the head removes them.
TEST(HeadFinderTest, AnchorPointsFollowTheHeads) {
  HeadReferenceFolder references;
  SynthPage page(900, 400);
  StaffPainter painter(page);
  painter.AddStaff(OneStaff(20, 150, 900));
  StampHead(page, painter, 0, 3, 300, HeadKind::kBlack);
  ASSERT_TRUE(FindHeadsOn(page));
  ASSERT_EQ(GetNoteheadCount(), 1) << DescribeHeads();
  const int kinds[2] = {kPointHeadLeft, kPointHeadRight};
  const int xs[2] = {GetNoteheadLeftX(0), GetNoteheadRightX(0)};
  for (int k = 0; k < 2; ++k) {
    int32_t* objects = nullptr;
    const int y = GetNoteheadY(0);
    ASSERT_EQ(FindObjectPointsInBox(kinds[k], xs[k], y, xs[k] + 1, y + 1, &objects), 1);
    EXPECT_EQ(objects[0], 0);
    EngineFree(objects);
  }
  ReleaseNotehead(0);
  int32_t* objects = nullptr;
  EXPECT_EQ(FindObjectPointsInBox(kPointHeadLeft, 0, 0, 900, 400, &objects), 0);
  EngineFree(objects);
  FreeEngine();
  EXPECT_EQ(GetNoteheadCount(), 0);
}

// Attachments, counts, points and marks as the bar calculations write them;
// every accessor checks its index, the attachment points too.
TEST(HeadFinderTest, AttachmentsPointsAndRangeChecks) {
  FreeNoteheads();
  FoundNotehead record{};
  record.centreY = 100;
  for (int k = 0; k < 3; ++k) AddFoundNotehead(record);
  EXPECT_EQ(GetNoteheadFirstPoint(0).y, -1);
  EXPECT_EQ(GetNoteheadSecondPoint(0).x, -1);
  struct Step {
    int kind;
    int state;  // after it
    bool second;  // the second point set by it
  };
  // From 1: 3 gives 6; from 2: 2 gives 5, 3 gives 7; from 3: 2 gives 7, 1 gives 6; others keep.
  const std::vector<std::vector<Step>> runs = {
      {{1, 1, false}, {3, 6, true}, {2, 6, false}},
      {{2, 2, false}, {1, 2, false}, {2, 5, true}},
      {{3, 3, false}, {3, 3, false}, {1, 6, true}},
  };
  for (size_t r = 0; r < runs.size(); ++r) {
    FreeNoteheads();
    AddFoundNotehead(record);
    int row = 10;
    for (const Step& step : runs[r]) {
      AttachToNotehead(0, row, row + 1, step.kind, row + 2);
      int32_t tag = 0;
      EXPECT_EQ(GetNoteheadAttachment(0, &tag), step.state) << "run " << r << " kind " << step.kind;
      EXPECT_EQ(tag, row + 2);
      if (step.second) {
        EXPECT_EQ(GetNoteheadSecondPoint(0).y, row);
      }
      row += 10;
    }
    EXPECT_EQ(GetNoteheadFirstPoint(0).y, 10);
    EXPECT_EQ(GetNoteheadFirstPoint(0).x, 11);
  }
  // Counts: above or below the head's centre row.
  EXPECT_EQ(CountNoteheadAttachment(0, 150), 1);  // below
  EXPECT_EQ(CountNoteheadAttachment(0, 150), 2);
  EXPECT_EQ(CountNoteheadAttachment(0, 50), 2);   // above
  EXPECT_EQ(GetNoteheadAttachedMax(0), 2);
  for (int k = 0; k < 7; ++k) AddNoteheadPoint(0, k, 2 * k);
  int32_t points[12] = {};
  EXPECT_EQ(GetNoteheadPoints(0, points), 6);
  EXPECT_EQ(points[10], 5);
  EXPECT_EQ(points[11], 10);
  EXPECT_EQ(GetNoteheadMark(0), 0);
  MarkNotehead(0);
  EXPECT_EQ(GetNoteheadMark(0), 1);
  for (int bad : {-1, 1, INT32_MAX}) {
    EXPECT_THROW(GetNoteheadFirstPoint(bad), EngineFailure) << bad;
    EXPECT_THROW(GetNoteheadSecondPoint(bad), EngineFailure) << bad;
    EXPECT_THROW(GetNoteheadY(bad), EngineFailure) << bad;
    EXPECT_THROW(GetNoteheadAttachment(bad, nullptr), EngineFailure) << bad;
    EXPECT_THROW(AttachToNotehead(bad, 0, 0, 1, 0), EngineFailure) << bad;
    EXPECT_THROW(AddNoteheadPoint(bad, 0, 0), EngineFailure) << bad;
    EXPECT_THROW(MarkNotehead(bad), EngineFailure) << bad;
    EXPECT_THROW(ReleaseNotehead(bad), EngineFailure) << bad;
  }
  FreeEngine();
}

// The outline round a head: 14 segments closing on themselves, within the
// head's columns widened by a tenth and its staff space; models without an
// outline fail the check.
TEST(HeadFinderTest, OutlinesOfTheModels) {
  HeadReferenceFolder references;
  SynthPage page(900, 400);
  StaffPainter painter(page);
  painter.AddStaff(OneStaff(20, 150, 900));
  ASSERT_EQ(RunStaffStageOn(page), 0);
  for (int model : {0, 1, 2, 4, 3}) {
    FreeNoteheads();
    FoundNotehead head{};
    head.leftX = 300;
    head.rightX = 326;
    head.centreY = 190;
    head.model = model;
    AddFoundNotehead(head);
    HeadOutlineSegment path[kHeadOutlineSegments];
    if (model == 3) {
      EXPECT_THROW(GetNoteheadOutline(0, path), EngineFailure);
      continue;
    }
    GetNoteheadOutline(0, path);
    EXPECT_EQ(path[0].startY, path[kHeadOutlineSegments - 1].endY);
    EXPECT_EQ(path[0].startX, path[kHeadOutlineSegments - 1].endX);
    for (int k = 0; k < kHeadOutlineSegments; ++k) {
      if (k > 0) {
        EXPECT_EQ(path[k].startX, path[k - 1].endX);
      }
      EXPECT_GE(path[k].startX, 297);
      EXPECT_LE(path[k].startX, 329);
      EXPECT_GE(path[k].startY, 190 - 14);
      EXPECT_LE(path[k].startY, 190 + 14);
    }
  }
  FreeEngine();
}

// Pages with nothing to find read to the end without a failed check, and a
// page with heads read after them finds its heads.
TEST(HeadFinderTest, BadPagesThenAGoodOne) {
  HeadReferenceFolder references;
  std::vector<SynthPage> pages;
  {
    SynthPage blank(800, 600);
    pages.push_back(blank);
  }
  {
    SynthPage text(1200, 800);
    for (int line = 0; line < 6; ++line) DrawTextLine(text, 100 + 110 * line, 60, 1140, 18, 7 + line);
    pages.push_back(text);
  }
  {
    SynthPage noisy(1200, 900);
    StaffPainter painter(noisy);
    painter.AddStaff(OneStaff(20, 150, 1200));
    painter.AddStaff(OneStaff(14, 450, 1200));
    noisy.Speckle(20000, 11);
    noisy.Blots(120, 8, 12);
    pages.push_back(noisy);
  }
  for (const SynthPage& page : pages) {
    FreeEngine();
    if (LoadPageImage(page.bits(), page.width(), page.height(), 0) != kEngineOk) continue;
    if (RunStaffStage(1, nullptr, nullptr) == 0) {
      EXPECT_TRUE(FindHeadsAfterStaffStage());
    } else {
      // No staves: the page stage's steps still run to the end.
      InitialiseIntMath();
      ASSERT_EQ(LoadMusicReferences(), kEngineOk);
      InitialiseObjectPoints();
      DetectNoteheads();
      EXPECT_EQ(GetNoteheadCount(), 0);
    }
  }
  SynthPage good(900, 400);
  StaffPainter painter(good);
  painter.AddStaff(OneStaff(20, 150, 900));
  const PaintedHead head = StampHead(good, painter, 0, 5, 300, HeadKind::kBlack);
  ASSERT_TRUE(FindHeadsOn(good));
  EXPECT_GE(MatchHead(head, 0, 3.5), 0) << DescribeHeads();
  FreeEngine();
}

// Staves of three sizes crowded with heads of every kind at random places,
// also across the page's edges and on top of each other, with speckle and
// blots: the finder reads to its end, and every head lies inside the page.
TEST(HeadFinderTest, CrowdedPagesWithHeadsAcrossTheEdges) {
  HeadReferenceFolder references;
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    SynthPage page(1200, 900);
    StaffPainter painter(page);
    const int spacings[3] = {14, 20, 31};
    for (int k = 0; k < 3; ++k) {
      SynthStaff staff = OneStaff(spacings[k], 60 + 290 * k, 1200);
      staff.left = 0;
      staff.right = 1200;
      painter.AddStaff(staff);
    }
    uint32_t state = seed * 2654435761u;
    auto next = [&](int n) {
      state = state * 1664525u + 1013904223u;
      return static_cast<int>((state >> 8) % static_cast<uint32_t>(n));
    };
    for (int i = 0; i < 150; ++i) {
      const int staff = next(3);
      StampHead(page, painter, staff, next(23) - 7, next(1240) - 20, kHeadKinds[next(4)]);
    }
    page.Speckle(3000, seed);
    page.Blots(30, 6, seed + 7);
    if (!FindHeadsOn(page)) continue;
    for (int i = 0; i < GetNoteheadCount(); ++i) {
      const FoundNotehead h = GetFoundNotehead(i);
      EXPECT_TRUE(h.leftX >= 0 && h.rightX < page.width() && h.centreY >= 0 && h.centreY < page.height()) << i;
    }
    FreeEngine();
  }
}

// Page reading runs the finder in its place: started on a folder with the
// head references, RecognisePage reads the heads of the page.
TEST(HeadFinderTest, PageReadingFindsTheHeads) {
  HeadReferenceFolder references;
  SynthPage page(900, 400);
  StaffPainter painter(page);
  painter.AddStaff(OneStaff(20, 150, 900));
  const PaintedHead head = StampHead(page, painter, 0, 3, 300, HeadKind::kHalf);
  ASSERT_EQ(StartEngine(), 0);
  ASSERT_EQ(LoadPageImage(page.bits(), page.width(), page.height(), 0), kEngineOk);
  ASSERT_EQ(RunStaffStage(1, nullptr, nullptr), 0);
  ASSERT_EQ(RecognisePage(1.0f, nullptr, nullptr), 0);
  EXPECT_GE(MatchHead(head, 0, 3.5), 0) << DescribeHeads();
  FreePageBitmap();
  CloseEngine();
}

}  // namespace
