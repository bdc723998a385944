// Joints between found objects, at the edges of their tolerances: hand-made
// staff tables with a staff space of 100 pixels (so that per-cent tolerances
// are whole pixels), objects put straight into the finders' tables and the
// ink they stand for painted on the page.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Findbeam.h"
#include "Code/Quorm/Findhead.h"
#include "Code/Quorm/Findledg.h"
#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/findbarl.h"
#include "Code/Quorm/joints.h"
#include "tests/Code/Quorm/StaffFixture.h"

namespace {

constexpr int32_t kSpace = 100;

std::string Describe(const JointResult& r) {
  return "(" + std::to_string(r.first) + ", " + std::to_string(r.second) + ", " + std::to_string(r.confidence) + ")";
}

void Paint(int32_t y0, int32_t x0, int32_t y1, int32_t x1) {
  for (int32_t y = y0; y < y1; ++y)
    for (int32_t x = x0; x < x1; ++x) SetPagePixel(y, x, 1);
}

// One staff (lines at rows 300 .. 700), or a second one below it at 1100 ..
// 1500, in the same system or the next.
class JointsTest : public ::testing::Test {
 protected:
  void SetUp() override { Load(false, 0); }
  void Load(bool second, int32_t secondSystem, int32_t spacing = kSpace) {
    FreeEngine();
    LoadHandPage(2400, 1700, spacing);
    AddHandStaff({0, 300, spacing, 50, 2350, 5, 0});
    if (second) AddHandStaff({secondSystem, 1100, spacing, 50, 2350, 5, 0});
  }
  void TearDown() override {
    FreeHandPage();
    FreeEngine();
  }
  static int32_t Head(int32_t left, int32_t right, int32_t y, int32_t model = 0, int32_t staff = 0) {
    FoundNotehead h{};
    h.leftX = left;
    h.rightX = right;
    h.centreY = y;
    h.staff = staff;
    h.model = model;
    return AddFoundNotehead(h);
  }
};

TEST_F(JointsTest, ConfidenceFunction) {
  struct Case {
    int32_t d1, s1, d2, s2, expected;
  };
  const Case cases[] = {
      {0, 10, 0, 10, 13},        // 125 x 10 / 100 / 1 = 12.5
      {0, 1, 0, 1, 10},          // never better than 10
      {0, 1000, 0, 1000, 1024},  // never worse than no evidence
      {10, 10, 0, 10, 1025},     // an offset at its tolerance: no joint
      {-10, 10, 0, 10, 1025},
      {0, 10, 200, 100, 1025},
  };
  for (const Case& c : cases)
    EXPECT_EQ(JointConfidence(c.d1, c.s1, c.d2, c.s2), c.expected) << c.d1 << " " << c.s1 << " " << c.d2 << " " << c.s2;
  // Margins of 0.1 and 1: 125 x sqrt(10 x 100) / 100 / 0.1 = 395.28.
  EXPECT_EQ(JointConfidence(9, 10, 0, 100), 395);
  // Margins whose product falls below 0.01.
  EXPECT_EQ(JointConfidence(95, 100, 95, 100), 1025);
  EXPECT_THROW(JointConfidence(0, 0, 0, 10), EngineFailure);
  EXPECT_THROW(JointConfidence(0, 10, 0, -1), EngineFailure);
}

TEST_F(JointsTest, DistanceCost) {
  Paint(500, 1000, 501, 1101);
  EXPECT_DOUBLE_EQ(JointDistanceCost({500, 1000}, {500, 1000}, 8), 0.0);
  // Beyond two staff spaces: 2.0.
  EXPECT_DOUBLE_EQ(JointDistanceCost({500, 1000}, {500, 1026}, 8), 2.0);
  // Over ink: v = (d / 2) / S.
  const double v = 50.0 / 100.0;
  EXPECT_NEAR(JointDistanceCost({500, 1000}, {500, 1100}, 1), v * std::sqrt(v), 1e-9);
  EXPECT_EQ(JointCostFromDistance(2.0), 1948);
  // Over white the cost grows.
  EXPECT_GT(JointDistanceCost({600, 1000}, {600, 1100}, 1), v * std::sqrt(v));
}

TEST_F(JointsTest, LinePointAtRow) {
  Paint(520, 500, 900, 503);  // ink from row 520; the line says 500
  const JointLine line{{500, 501}, {900, 501}};
  EXPECT_EQ(JointLinePointAtRow(line, 700).y, 700);
  // Above the top the top pixel is white: the first ink within 40 pixels.
  EXPECT_EQ(JointLinePointAtRow(line, 400).y, 520);
  const JointLine far{{450, 501}, {900, 501}};  // ink 70 rows below its top
  EXPECT_EQ(JointLinePointAtRow(far, 400).y, 450);
  // Below the bottom the bottom pixel is white: the last ink above it.
  EXPECT_EQ(JointLinePointAtRow(line, 990).y, 899);
  // A sloped line is interpolated.
  EXPECT_EQ(JointLineColumnAtRow({{500, 500}, {900, 540}}, 700), 520);
}

// A head from column 400 to 520 at row 450, inked, against stems painted
// where the table puts them.
TEST_F(JointsTest, NoteheadAndStem) {
  struct Case {
    const char* what;
    JointLine line;
    int32_t model;
    int32_t first, second;  // 0: no joint
  };
  const Case cases[] = {
      {"down stem at the left side", {{450, 402}, {800, 402}}, 0, 4, 9},
      {"head more than 0.9 space below the top", {{355, 402}, {800, 402}}, 0, 4, 11},
      {"up stem at the right side", {{100, 518}, {450, 518}}, 1, 6, 10},
      {"model 4 heads join", {{100, 518}, {450, 518}}, 4, 6, 10},
      {"model 2 heads never join", {{450, 402}, {800, 402}}, 2, 0, 0},
      {"shorter than 1.5 spaces on both sides", {{301, 402}, {599, 402}}, 0, 0, 0},
      {"1.5 spaces above the head", {{300, 402}, {599, 402}}, 0, 4, 11},
      {"stem 18 pixels inside the head", {{450, 418}, {800, 418}}, 0, 4, 9},
      {"stem 19 pixels inside the head", {{450, 419}, {800, 419}}, 0, 0, 0},
      {"head one space above the top", {{550, 402}, {1000, 402}}, 0, 4, 9},
      {"head past one space above the top", {{551, 402}, {1001, 402}}, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Load(false, 0);
    Paint(410, 400, 491, 521);
    Paint(c.line.top.y < 450 ? c.line.top.y : 450, c.line.top.x - 1, c.line.bottom.y + 1, c.line.top.x + 2);
    const int32_t head = Head(400, 520, 450, c.model);
    const JointResult r = JoinNoteheadToLine(head, c.line);
    EXPECT_EQ(r.first, c.first) << c.what << " " << Describe(r);
    EXPECT_EQ(r.second, c.second) << c.what << " " << Describe(r);
    if (c.first != 0) {
      EXPECT_GE(r.confidence, 100) << c.what;
      EXPECT_LE(r.confidence, 1024) << c.what;
    } else {
      EXPECT_EQ(r.confidence, 1024) << c.what;
    }
  }
}

TEST_F(JointsTest, NoteheadOnATinyStaffTakesNoPart) {
  Load(false, 0, 4);
  const int32_t head = Head(400, 405, 310);
  Paint(300, 400, 340, 402);
  const JointResult r = JoinNoteheadToLine(head, {{310, 401}, {340, 401}});
  EXPECT_EQ(r.first, 0) << Describe(r);
}

// A beam from column 1000 to 1400 on row 800, 50 thick, with ink reaching
// 40 columns left of it; stems at columns 1000 + a.
TEST_F(JointsTest, BeamAndStem) {
  struct Case {
    const char* what;
    int32_t a;  // the stem's column less the beam's left end
    int32_t top, bottom;
    int32_t first, second;
  };
  const Case cases[] = {
      {"stem at the left end, beam at its bottom", 0, 500, 800, 4, 3},
      {"half a space inside", 50, 500, 800, 4, 3},
      {"past half a space inside, not yet 0.75", 51, 500, 800, 0, 0},
      {"0.3 space outside the left end", -30, 500, 800, 4, 3},
      {"0.31 space outside the left end", -31, 500, 800, 0, 0},
      {"inside the span", 200, 500, 800, 11, 3},
      {"at the right end", 400, 500, 800, 6, 3},
      {"beam at the stem's top", 0, 800, 1100, 4, 1},
      {"beam in the stem's middle", 0, 500, 1100, 4, 11},
  };
  for (const Case& c : cases) {
    Load(false, 0);
    Paint(775, 960, 826, 1400);
    const int32_t x = 1000 + c.a;
    Paint(c.top, x - 1, c.bottom + 1, x + 2);
    const int32_t beam = AddFoundBeam({1000, 1400, 800, 800, 50 * 1024, 0, 0});
    const JointResult r = JoinBeamToLine(beam, {{c.top, x}, {c.bottom, x}});
    EXPECT_EQ(r.first, c.first) << c.what << " " << Describe(r);
    EXPECT_EQ(r.second, c.second) << c.what << " " << Describe(r);
    if (c.first != 0) {
      EXPECT_LT(r.confidence, 1024) << c.what;
    }
  }
}

// A beam end between two staves of one system costs 1948 once its distance
// cost passes 0.1; between two systems it is costed as it is.
TEST_F(JointsTest, BeamBetweenStavesOfOneSystem) {
  for (int32_t system : {0, 1}) {
    Load(true, system);
    Paint(875, 960, 926, 1400);
    Paint(600, 969, 901, 972);
    const int32_t beam = AddFoundBeam({1000, 1400, 900, 900, 50 * 1024, 0, 0});
    const JointResult r = JoinBeamToLine(beam, {{600, 970}, {900, 970}});
    if (system == 0)
      EXPECT_EQ(r.first, 0) << Describe(r);
    else
      EXPECT_EQ(r.first, 4) << Describe(r);
  }
}

TEST_F(JointsTest, FlagAndStem) {
  Paint(500, 999, 901, 1002);
  const JointLine line{{500, 1000}, {900, 1000}};
  JointResult r = JoinFlagToLine({{1000, 500, 1060, 640}, 61, 0}, line);
  EXPECT_EQ(r.first, 11) << Describe(r);
  EXPECT_EQ(r.second, 1) << Describe(r);
  EXPECT_EQ(r.confidence, 100);
  r = JoinFlagToLine({{1000, 760, 1060, 900}, 72, 0}, line);
  EXPECT_EQ(r.second, 3) << Describe(r);
  // Far from the stem.
  EXPECT_EQ(JoinFlagToLine({{1300, 500, 1360, 640}, 61, 0}, line).first, 0);
  // Not a flag.
  EXPECT_EQ(JoinFlagToLine({{1000, 500, 1060, 640}, 65, 0}, line).first, 0);
}

TEST_F(JointsTest, DotsAccidentalsAndRests) {
  const int32_t head = Head(400, 520, 450);
  // A dot right of the head.
  JointResult r = JoinDotToNotehead({{540, 440, 560, 460}, 150, 0}, head);
  EXPECT_EQ(r.first, 11) << Describe(r);
  EXPECT_EQ(r.confidence, JointConfidence(0, 80, 70 + 520 - 550, 200));
  // A dot whose centre lies left of the head's right side.
  EXPECT_EQ(JoinDotToNotehead({{500, 440, 518, 460}, 150, 0}, head).first, 0);
  // Dot and rest.
  const JointSymbol rest{{1000, 400, 1100, 500}, 40, 0};
  EXPECT_EQ(JoinDotToRest({{1110, 440, 1130, 460}, 150, 0}, rest).first, 11);
  EXPECT_EQ(JoinDotToRest({{1080, 440, 1099, 460}, 150, 0}, rest).first, 0);
  // Accidentals left of the head: gaps and heights at their limits.
  struct Case {
    int32_t right;  // the accidental's right x
    int32_t refY;
    bool joined;
  };
  const Case cases[] = {{380, 450, true},  {425, 450, true},  {426, 450, false}, {0, 450, true},
                        {-1, 450, false},  {380, 480, true},  {380, 481, false}, {380, 419, false}};
  for (const Case& c : cases) {
    r = JoinAccidentalToNotehead({{c.right - 40, c.refY - 60, c.right, c.refY + 60}, 90, c.refY}, head);
    EXPECT_EQ(r.first != 0, c.joined) << c.right << " " << c.refY << " " << Describe(r);
    if (c.joined) {
      EXPECT_LE(r.confidence, 1023);
    }
  }
}

TEST_F(JointsTest, MarksAndHeadsAndStems) {
  const int32_t head = Head(400, 520, 450);
  // A staccato-like mark (type 103) joins only a head above it.
  EXPECT_EQ(JoinMarkToNotehead({{450, 540, 470, 580}, 103, 0}, head).first, 11);
  EXPECT_EQ(JoinMarkToNotehead({{450, 320, 470, 360}, 103, 0}, head).first, 0);
  // Type 102 only a head below it.
  EXPECT_EQ(JoinMarkToNotehead({{450, 320, 470, 360}, 102, 0}, head).first, 11);
  EXPECT_EQ(JoinMarkToNotehead({{450, 540, 470, 580}, 102, 0}, head).first, 0);
  // Type 100 either, not far aside.
  EXPECT_EQ(JoinMarkToNotehead({{450, 540, 470, 580}, 100, 0}, head).first, 11);
  EXPECT_EQ(JoinMarkToNotehead({{700, 540, 720, 580}, 100, 0}, head).first, 0);
  EXPECT_THROW(JoinMarkToNotehead({{450, 540, 470, 580}, 99, 0}, head), EngineFailure);
  // Mark and stem: just below a stem's bottom.
  const JointLine line{{500, 1000}, {900, 1000}};
  const JointResult r = JoinMarkToLine({{1065, 910, 1085, 930}, 100, 0}, line);
  EXPECT_EQ(r.first, 3) << Describe(r);
  EXPECT_EQ(r.second, 1) << Describe(r);
  EXPECT_EQ(JoinMarkToLine({{1500, 910, 1520, 930}, 100, 0}, line).first, 0);
  EXPECT_THROW(JoinMarkToLine({{1065, 910, 1085, 930}, 123, 0}, line), EngineFailure);
}

TEST_F(JointsTest, BarDotsAndBarLines) {
  // Two dots one space apart.
  EXPECT_EQ(JoinBarDots({{990, 440, 1010, 460}, 140, 0}, {{990, 540, 1010, 560}, 140, 0}).first, 11);
  EXPECT_EQ(JoinBarDots({{990, 440, 1010, 460}, 140, 0}, {{990, 565, 1010, 585}, 140, 0}).first, 11);
  EXPECT_EQ(JoinBarDots({{990, 440, 1010, 460}, 140, 0}, {{990, 567, 1010, 587}, 140, 0}).first, 0);
  EXPECT_EQ(JoinBarDots({{990, 440, 1010, 460}, 140, 0}, {{1021, 540, 1041, 560}, 140, 0}).first, 0);
  const int32_t bar = AddFoundBarLine({0, 1100, 1110, 0, 0, -1, 0, 0});
  const JointResult r = JoinBarDotToBarLine({{1180, 440, 1200, 460}, 140, 0}, bar);
  EXPECT_EQ(r.first, 11) << Describe(r);
  EXPECT_EQ(r.confidence, 200);
  EXPECT_EQ(JoinBarDotToBarLine({{1330, 440, 1350, 460}, 140, 0}, bar).first, 0);
}

TEST_F(JointsTest, KeySignatureAndClef) {
  // Staff lines at 300 (step -4) .. 700 (step 4), 50 pixels a step.
  struct Case {
    int32_t clef;
    int32_t clefRef;  // row of the clef's reference
    int32_t key;
    int32_t keyRef;
    int32_t gap;      // key's left x less the clef's right x
    bool joined;
  };
  const Case cases[] = {
      {80, 600, 502, 300, 50, true},    // G clef, sharps from the top line
      {80, 600, 502, 350, 50, false},
      {80, 600, 512, 500, 50, true},    // flats from the middle line
      {81, 400, 503, 400, 50, true},    // F clef: sharps at step -2
      {81, 400, 511, 600, 50, true},    // flats at step 2
      {82, 500, 501, 350, 50, true},    // C clef on the middle line: sharps at -3
      {82, 500, 511, 550, 50, true},    // flats at 1
      {82, 300, 501, 500, 50, true},    // on the top line: sharps at 0
      {82, 550, 501, 350, 50, false},   // between lines: no clef line
      {80, 600, 502, 300, -100, true},
      {80, 600, 502, 300, -101, false},
      {80, 600, 502, 300, 600, true},
      {80, 600, 502, 300, 601, false},
  };
  for (const Case& c : cases) {
    const JointSymbol clef{{200, 250, 300, 750}, c.clef, c.clefRef};
    const JointSymbol key{{300 + c.gap, 250, 380 + c.gap, 600}, c.key, c.keyRef};
    const JointResult r = JoinKeySignatureToClef(key, clef);
    EXPECT_EQ(r.first != 0, c.joined) << c.clef << " " << c.key << " " << c.keyRef << " gap " << c.gap;
    if (c.joined) {
      EXPECT_EQ(r.confidence, 400);
    }
  }
}

TEST_F(JointsTest, LedgerLines) {
  // Above the staff: steps -6 and -8; each overlaps the other by a space.
  const int32_t inner = AddFoundLedgerLine({250, 1000, 1140, 500, 0, -6});
  const int32_t outer = AddFoundLedgerLine({150, 1040, 1180, 500, 0, -8});
  JointResult r = JoinLedgerLines(inner, outer);
  EXPECT_EQ(r.first, 7) << Describe(r);
  EXPECT_EQ(r.second, 8) << Describe(r);
  r = JoinLedgerLines(outer, inner);
  EXPECT_EQ(r.first, 8) << Describe(r);
  // Overlapping by less than a space.
  const int32_t shifted = AddFoundLedgerLine({150, 1041, 1180, 500, 0, -8});
  EXPECT_EQ(JoinLedgerLines(inner, shifted).first, 0);
  // Three steps apart, and on both sides of the staff.
  const int32_t third = AddFoundLedgerLine({50, 1000, 1140, 500, 0, -9});
  EXPECT_EQ(JoinLedgerLines(inner, third).first, 0);
  const int32_t below = AddFoundLedgerLine({750, 1000, 1140, 500, 0, 6});
  const int32_t belowOuter = AddFoundLedgerLine({850, 1000, 1140, 500, 0, 8});
  EXPECT_EQ(JoinLedgerLines(below, belowOuter).first, 7);
  EXPECT_EQ(JoinLedgerLines(inner, below).first, 0);
  // A head on the line above the staff, within 25 per cent below it and
  // hanging up to 75 per cent above it.
  struct Case {
    int32_t line;
    int32_t y;
    int32_t left;
    bool joined;
  };
  const Case cases[] = {{inner, 250, 1010, true},  {inner, 274, 1010, true}, {inner, 275, 1010, false},
                        {inner, 176, 1010, true},  {inner, 175, 1010, false}, {inner, 250, 996, false},
                        {below, 750, 1010, true},  {below, 824, 1010, true}, {below, 726, 1010, true},
                        {below, 725, 1010, false}};
  for (const Case& c : cases) {
    const int32_t head = Head(c.left, c.left + 120, c.y);
    EXPECT_EQ(JoinLedgerToNotehead(c.line, head).first != 0, c.joined) << c.y << " " << c.left;
  }
}

TEST_F(JointsTest, Exclusions) {
  const JointLine line{{300, 500}, {700, 520}};
  EXPECT_EQ(ExcludeByLine(line, 500, 505, 515).first, -1);
  EXPECT_EQ(ExcludeByLine(line, 500, 505, 515).confidence, -1);
  EXPECT_EQ(ExcludeByLine(line, 500, 511, 520).first, 0);
  EXPECT_EQ(ExcludeByLine(line, 299, 400, 600).first, 0);
  EXPECT_EQ(ExcludeByLine(line, 700, 400, 600).first, -1);
  const int32_t bar = AddFoundBarLine({0, 1100, 1104, 0, 0, -1, 0, 0});
  EXPECT_EQ(ExcludeByBarLine(bar, 500, 1090, 1110).first, -1);
  EXPECT_EQ(ExcludeByBarLine(bar, 750, 1090, 1110).first, 0);
}

// A page whose only staff is too small takes no part: no joint and no failed
// check from tolerances that round to nothing.
TEST_F(JointsTest, TinyPageStaffSpace) {
  Load(false, 0, 3);
  const int32_t head = Head(400, 404, 306);
  EXPECT_EQ(JoinDotToNotehead({{406, 305, 408, 307}, 150, 0}, head).first, 0);
  EXPECT_EQ(JoinAccidentalToNotehead({{396, 300, 399, 312}, 90, 306}, head).first, 0);
  EXPECT_EQ(JoinBarDots({{400, 304, 402, 306}, 140, 0}, {{400, 307, 402, 309}, 140, 0}).first, 0);
  EXPECT_EQ(JoinMarkToLine({{400, 320, 402, 322}, 100, 0}, {{300, 401}, {318, 401}}).first, 0);
}

}  // namespace
