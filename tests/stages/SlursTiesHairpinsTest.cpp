// The slur stage: curves tied to their notes, hairpin lines paired and given to a note, and
// the stage itself on a synthesised page.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "pages/PageData.h"
#include "platform/Settings.h"
#include "platform/ShellFlags.h"
#include "reading/ReadingThread.h"
#include "reading/StaveSpacing.h"
#include "stages/CurveTracing.h"
#include "stages/NoteValueAssignment.h"
#include "stages/SlursTiesHairpins.h"
#include "tests/Code/Quorm/CurveArt.h"
#include "tests/Code/Quorm/PageSynth.h"
#include "tests/stages/CurveEnginePage.h"
#include "tests/stages/StaveRows.h"

namespace {

NoteRecord Note(int16_t left, int16_t top, int16_t stave = 0) {
  NoteRecord n{};
  n.left = left;
  n.right = static_cast<int16_t>(left + 20);
  n.top = top;
  n.bottom = static_cast<int16_t>(top + 20);
  n.kind = kNoteCrotchet;
  n.stave = stave;
  n.space = 20;
  return n;
}

LineItem Line(int16_t x0, int16_t y0, int16_t x1, int16_t y1) {
  LineItem l{};
  l.x0 = x0;
  l.y0 = y0;
  l.x1 = x1;
  l.y1 = y1;
  return l;
}

// One stave from 300 to 380 (spacing 20) and its notes.
struct OneStave {
  StaveRow rows[1] = {FlatStave(300, 380, 0, 1)};
  StavePage geometry;
  std::vector<NoteRecord> notes;
  CurveNotePage Page() {
    CurveNotePage page;
    page.notes = notes.data();
    page.noteCount = static_cast<uint32_t>(notes.size());
    page.rows = rows;
    page.staveCount = 1;
    page.geometry = &geometry;
    return page;
  }
};

int CountKind(const NoteRecord& n, uint16_t kind) {
  int count = 0;
  for (int i = 0; i < n.appenditureCount; ++i) count += n.appenditures[i].kind == kind;
  return count;
}

TEST(SlursTiesHairpins, CurvesAreTiedToTheNotesAtTheirEnds) {
  OneStave s;
  s.notes = {Note(400, 330), Note(500, 330), Note(600, 350)};
  std::vector<CurveItem> curves = {
      {410, 355, 510, 355, 63, 10},  // under the first two notes
      {412, 356, 508, 356, 63, 12},  // a second curve between the same two
      {612, 375, 700, 375, 63, 8},   // leaving the last note of the stave
  };
  AttachCurvesToNotes(s.Page(), curves.data(), 0, 3, 0, 10);
  EXPECT_EQ(CountKind(s.notes[0], kMarkCurveStarts), 1);
  EXPECT_EQ(CountKind(s.notes[1], kMarkCurveEnds), 1);
  EXPECT_EQ(s.notes[0].appenditureCount, 1) << "the second curve is not attached";
  EXPECT_EQ(s.notes[1].appenditureCount, 1);
  ASSERT_EQ(s.notes[2].appenditureCount, 1);
  EXPECT_EQ(s.notes[2].appenditures[0].kind, kMarkCurveStartsAndEnds);
  EXPECT_EQ(s.notes[2].appenditures[0].markIndex, 2u);
  EXPECT_EQ(s.notes[0].appenditures[0].markIndex, 0u);

  // A discarded curve, and a note with ten sub-items, get nothing.
  OneStave full;
  full.notes = {Note(400, 330), Note(500, 330)};
  full.notes[0].appenditureCount = kMaxAppenditures;
  std::vector<CurveItem> more = {{410, 355, 510, 355, 63, 10}, {410, 355, 510, 355, kCurveDiscarded, 10}};
  AttachCurvesToNotes(full.Page(), more.data(), 0, 2, 0, 10);
  EXPECT_EQ(full.notes[0].appenditureCount, kMaxAppenditures);
  EXPECT_EQ(full.notes[1].appenditureCount, 0);
}

// A slur kept at the height of its first, high note over a falling line ends
// above its last note, in a straight line nearer to the first: the ends still
// go to the notes in the curve's left and right halves.
TEST(SlursTiesHairpins, ASlurKeptHighOverAFallingLineEndsAtItsLastNote) {
  struct Case {
    const char* what;
    int16_t lastTop;    // the last note's head
    int16_t middleTop;  // a note between them, or 0
  };
  const Case cases[] = {{"a third lower", 330, 0}, {"to the bottom line", 370, 0}, {"over three notes", 370, 300}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OneStave s;
    s.notes = {Note(400, 290), Note(500, c.lastTop)};
    if (c.middleTop) {
      s.notes[1].left = 600, s.notes[1].right = 620;
      s.notes.push_back(Note(500, c.middleTop));
    }
    const int16_t endX = static_cast<int16_t>(s.notes[1].left + 12);
    std::vector<CurveItem> curves = {{415, 268, endX, 268, 63, 128 + 10}};  // over, ends a space above the first
    AttachCurvesToNotes(s.Page(), curves.data(), 0, 1, 0, 10);
    EXPECT_EQ(CountKind(s.notes[0], kMarkCurveStarts), 1);
    EXPECT_EQ(CountKind(s.notes[1], kMarkCurveEnds), 1);
    EXPECT_EQ(CountKind(s.notes[0], kMarkCurveStartsAndEnds), 0);
  }
}

TEST(SlursTiesHairpins, DotsUnderAnEngineCurveAreTakenAway) {
  // The engine's tie from (200, 200) to (300, 200) sags to 213 in its middle.
  MakeEnginePageWithSlur(200, 300, 200, 100);
  OneStave s;
  s.rows[0] = FlatStave(100, 180, 0, 1);
  NoteRecord under = Note(220, 200);  // its dot box from x 240 meets the tie
  under.right = 238;
  under.dots = 1;
  NoteRecord partner = Note(220, 180);  // on the same stem, clear of the tie
  partner.right = 238;
  partner.dots = 1;
  NoteRecord far = Note(600, 200);
  far.dots = 2;
  NoteRecord marked = Note(400, 150);  // its kind-149 item lies far from the tie
  Appenditure item{};
  item.kind = 149;
  item.left = 250;
  item.right = 256;
  item.top = 205;
  item.bottom = 220;
  under.appenditures[under.appenditureCount++] = item;
  marked.appenditures[marked.appenditureCount++] = Appenditure{410, 416, 150, 160, 149, 0, 0, 0, 0, 0, 0};
  s.notes = {under, partner, far, marked};
  DropDotsOnEngineSlurs(s.Page(), 0);
  EXPECT_EQ(s.notes[0].dots, 0) << "the tie runs through the dot's first half";
  EXPECT_EQ(s.notes[0].appenditureCount, 0) << "the crossed item goes";
  EXPECT_EQ(s.notes[1].dots, 0) << "the stem partner loses its dot too";
  EXPECT_EQ(s.notes[2].dots, 2);
  EXPECT_EQ(s.notes[3].appenditureCount, 1);
  FreeEnginePage();
}

TEST(SlursTiesHairpins, ANearMissPairLeavesTheLineFreeForItsRealPartner) {
  for (bool withPartner : {true, false}) {
    OneStave s;
    s.notes = {Note(395, 330), Note(900, 330)};
    std::vector<LineItem> lines = {
        Line(400, 430, 600, 420),  // upper arm of a hairpin opening right
        Line(402, 433, 598, 431),  // nearly a partner: it opens by 11 only
    };
    if (withPartner) lines.push_back(Line(400, 430, 600, 440));  // the lower arm
    PairHairpinLines(s.Page(), lines.data(), 0, 0, static_cast<uint32_t>(lines.size()), 2, 300);
    if (withPartner) {
      EXPECT_EQ(lines[0].halfOpening, 10);
      EXPECT_EQ(lines[0].y1, 430);
      EXPECT_EQ(lines[0].y0, 430);
      EXPECT_EQ(lines[0].staveMidY, 340);
      EXPECT_EQ(lines[0].lineFlags, kLineInHairpin);
      EXPECT_EQ(lines[2].lineFlags, kLineInHairpin);
      EXPECT_EQ(lines[1].lineFlags, 0u);
      ASSERT_EQ(s.notes[0].appenditureCount, 1);
      EXPECT_EQ(s.notes[0].appenditures[0].kind, kMarkHairpinOpensRight);
      EXPECT_EQ(s.notes[0].appenditures[0].markIndex, 0u);
    } else {
      // The pair that does not stand changes nothing.
      EXPECT_EQ(lines[0].halfOpening, 0);
      EXPECT_EQ(lines[0].y1, 420);
      EXPECT_EQ(lines[0].lineFlags, 0u);
      EXPECT_EQ(s.notes[0].appenditureCount, 0);
    }
  }
}

TEST(SlursTiesHairpins, LinesOverTheBeamsOfShortNotesAreNoHairpin) {
  for (bool beamed : {false, true}) {
    OneStave s;
    NoteRecord semiquaver = Note(480, 330);  // its beams run through the lines
    semiquaver.kind = kNoteSemiquaver;
    semiquaver.beamed = beamed ? 1 : 0;
    semiquaver.stemRight = 1;
    semiquaver.stemEndTop = 410;
    semiquaver.stemEndBottom = 450;
    s.notes = {Note(395, 330), semiquaver};
    std::vector<LineItem> lines = {Line(400, 430, 600, 420), Line(400, 430, 600, 440)};
    CurveNotePage page = s.Page();
    page.beamsInBox = [](const NoteRecord* notes, uint32_t count, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
      return FlagZoneInBox(notes, count, x0, y0, x1, y1, 2, true) != 0;
    };
    PairHairpinLines(page, lines.data(), 0, 0, 2, 2, 300);
    EXPECT_EQ(lines[0].halfOpening != 0, !beamed) << beamed;
  }
}

TEST(SlursTiesHairpins, AHairpinOpeningLeftAndBrokenArmsJoined) {
  OneStave s;
  s.notes = {Note(395, 330)};
  std::vector<LineItem> lines = {
      Line(400, 420, 500, 425), Line(503, 425, 600, 430),  // one arm in two pieces
      Line(400, 440, 600, 430),                            // the other arm
  };
  PairHairpinLines(s.Page(), lines.data(), 0, 0, 3, 2, 300);
  EXPECT_EQ(lines[0].x1, 600);
  EXPECT_EQ(lines[0].halfOpening, 10);
  EXPECT_EQ(lines[0].y0, 430);
  ASSERT_EQ(s.notes[0].appenditureCount, 1);
  EXPECT_EQ(s.notes[0].appenditures[0].kind, kMarkHairpinOpensLeft);
}

// The whole stage on a page with one stave (top line at 300, the given
// spacing) and a slur above it, or a hairpin below it instead.
struct StagePage {
  SynthPage synth;
  std::unique_ptr<PageData> page = std::make_unique<PageData>();
  StaveRow rows[1];
  ReadingWorkLists lists;
  StageContext context;
  explicit StagePage(int dpi = 300, bool hairpin = false, bool opensLeft = false, int shift = 0)
      : synth(dpi * 4, dpi * 7 / 3), rows{FlatStave(300, static_cast<int16_t>(300 + dpi * 4 / 15), 0, 1)} {
    const int spacing = dpi / 15;
    rows[0].right = static_cast<int16_t>(dpi * 4 - 100);
    StaffPainter painter(synth);
    SynthStaff staff;
    staff.top = 300;
    staff.left = 100;
    staff.right = dpi * 4 - 99;
    staff.spacing = spacing;
    staff.thickness = std::max(2, dpi / 150);
    painter.AddStaff(staff);
    page->width = static_cast<uint32_t>(synth.width());
    page->height = static_cast<uint32_t>(synth.height());
    page->resolution = dpi;
    EXPECT_TRUE(AllocateWorkLists(&lists));
    if (hairpin) {
      // Eight spaces long, opening by 1.4 spaces, three spaces below.
      const int x0 = dpi + shift, x1 = x0 + 8 * spacing;
      const double y = rows[0].bottom + 3.0 * spacing + shift;
      DrawWedge(synth, y, opensLeft ? x1 : x0, opensLeft ? x0 : x1, 0.7 * spacing, dpi / 150.0);
      NoteRecord n = Note(static_cast<int16_t>(x0 - spacing / 2), static_cast<int16_t>(300 + spacing));
      lists.notes[lists.noteCount++] = n;
    } else {
      DrawSlur(synth, SynthSlur{300, 270, 700, 270, -40, 1.5, 4});
    }
    context.page = page.get();
    context.image = reinterpret_cast<uint8_t*>(synth.bits());
    context.strideWords = static_cast<uint32_t>(synth.wordsPerRow());
    context.rows = rows;
    context.staveCount = 1;
    context.lists = &lists;
  }
  ~StagePage() { FreeWorkLists(&lists); }
};

TEST(SlursTiesHairpins, BothArmsOfAHairpinAreTracedAndPairedAtEitherResolution) {
  for (int dpi : {300, 600}) {
    for (int shift = 0; shift < 6; ++shift) {
      const bool opensLeft = shift % 2 == 1;
      StagePage s(dpi, true, opensLeft, shift);
      ASSERT_EQ(FindSlursTiesHairpins(s.context), 1);
      const LineItem* lines = reinterpret_cast<const LineItem*>(s.lists.curvesB);
      int hairpins = 0;
      for (uint32_t i = 0; i < s.lists.curveBCount; ++i) hairpins += lines[i].halfOpening != 0;
      EXPECT_EQ(hairpins, 1) << dpi << " " << shift;
      ASSERT_EQ(s.lists.notes[0].appenditureCount, 1) << dpi << " " << shift;
      EXPECT_EQ(s.lists.notes[0].appenditures[0].kind, opensLeft ? kMarkHairpinOpensLeft : kMarkHairpinOpensRight);
      EXPECT_EQ(s.lists.curveACount, 0u) << "no curve from a hairpin";
    }
  }
}

TEST(SlursTiesHairpins, TheStageLeavesTheStavesUnitsAsTheyWere) {
  for (bool on : {true, false}) {
    StagePage s;
    General().readSlursHairpinsAndTies = on;
    StaveUnits& units = CurrentStaveUnits();
    units.staveUnit = 7;
    units.staveUnitF = 7.25f;
    units.smallStaveUnit = 4;
    EXPECT_EQ(FindSlursTiesHairpins(s.context), 1);
    EXPECT_EQ(units.staveUnit, 7);
    EXPECT_EQ(units.staveUnitF, 7.25f);
    EXPECT_EQ(units.smallStaveUnit, 4);
    EXPECT_EQ(s.lists.curveACount, on ? 1u : 0u) << on;
  }
  General().readSlursHairpinsAndTies = true;
}

TEST(SlursTiesHairpins, TheUsersStopEndsThePage) {
  StagePage s;
  Flags().abort = 1;
  EXPECT_EQ(FindSlursTiesHairpins(s.context), 0);
  Flags().abort = 0;
  EXPECT_EQ(s.lists.curveACount, 0u);
}

}  // namespace
