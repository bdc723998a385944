// The music benchmark's reading of hand-made note groups: which notes it
// scores and the durations it gives them, tuplet scales included.
#include <gtest/gtest.h>

#include <vector>

#include "Code/Quorm/Mscript.h"
#include "benchmarks/MusicNotes.h"
#include "tools/refmaker/NoteScore.h"

namespace {

using refmaker::ScoredNote;

struct NoteSpec {
  int32_t type;
  int32_t step;
};

MscriptNoteGroup Group(std::vector<NoteSpec> notes, int32_t flags = 0, int32_t beams = 0, int32_t dots = 0,
                       int32_t scaleNumerator = 1, int32_t scaleDenominator = 1) {
  MscriptNoteGroup g{};
  g.noteCount = static_cast<int32_t>(notes.size());
  for (size_t i = 0; i < notes.size(); ++i) {
    g.notes[i].type = notes[i].type;
    g.notes[i].step = notes[i].step;
  }
  g.flagCount = flags;
  if (beams > 0) {
    g.beamGroupSize = 3;
    g.leftBeams = g.rightBeams = beams;
  }
  g.dots = dots;
  g.tupletNumber = scaleNumerator == scaleDenominator ? 0 : 1;
  g.tupletScaleNumerator = scaleNumerator;
  g.tupletScaleDenominator = scaleDenominator;
  return g;
}

TEST(MusicNotes, GroupsBecomeScoredNotes) {
  struct Case {
    const char* name;
    MscriptNoteGroup group;
    std::vector<ScoredNote> want;
  };
  const Case cases[] = {
      {"a crotchet", Group({{kNoteSolid, 2}}), {{1, 2, 48}}},
      {"a dotted minim", Group({{kNoteMinim, -3}}, 0, 0, 1), {{1, -3, 144}}},
      {"a flagged semiquaver", Group({{kNoteSolid, 0}}, 2), {{1, 0, 12}}},
      {"a beamed quaver of a triplet", Group({{kNoteSolid, 4}}, 0, 1, 0, 2, 3), {{1, 4, 16}}},
      {"a minim of a triplet", Group({{kNoteMinim, 4}}, 0, 0, 0, 2, 3), {{1, 4, 64}}},
      {"a group without a scale", Group({{kNoteSolid, 4}}, 0, 0, 0, 0, 0), {{1, 4, 48}}},
      {"a quintuplet semiquaver lasts no whole 192nd", Group({{kNoteSolid, 1}}, 0, 2, 0, 4, 5), {{1, 1, -1}}},
      {"a chord from the top down", Group({{kNoteSolid, 5}, {kNoteSolid, -1}, {kNoteSolid, 2}}),
       {{1, -1, 48}, {1, 2, 48}, {1, 5, 48}}},
      {"a rest", Group({{kCrotchetRest, 0}}), {}},
      {"a grace note", Group({{kNoteGrace, 3}}), {}},
      {"a note beside one of no known type", Group({{kNoteSolid, 3}, {20, 5}}), {{1, 3, -1}}},
  };
  for (const Case& c : cases) {
    std::vector<ScoredNote> got;
    AppendScoredNotes(c.group, 1, &got);
    ASSERT_EQ(got.size(), c.want.size()) << c.name;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].staff, c.want[i].staff) << c.name;
      EXPECT_EQ(got[i].step, c.want[i].step) << c.name;
      EXPECT_EQ(got[i].duration, c.want[i].duration) << c.name;
    }
  }
}

// A triplet read with its scale scores right against the score's triplet
// quavers (16 each); read without it, every note of it is a wrong duration.
TEST(MusicNotes, ATripletReadWithItsScaleIsRight) {
  const std::vector<ScoredNote> truth = {{0, 1, 16}, {0, 3, 16}, {0, -2, 16}};
  for (const bool scaled : {true, false}) {
    std::vector<ScoredNote> read;
    for (const ScoredNote& t : truth)
      AppendScoredNotes(Group({{kNoteSolid, t.step}}, 0, 1, 0, scaled ? 2 : 1, scaled ? 3 : 1), 0, &read);
    const refmaker::NoteScore s = refmaker::ScoreNotes(truth, read);
    EXPECT_EQ(s.right, scaled ? 3 : 0);
    EXPECT_EQ(s.wrongDuration, scaled ? 0 : 3);
  }
}

}  // namespace

// A box of the clean page where the degraded copy has it. The figures of the
// turned case are ImageMagick's own: a 5 x 5 square at (148..152, 20..24) of
// a 200 x 100 page turned by "-rotate 10" lies at (160..164, 47..51) of the
// 216 x 136 page it writes; by "-rotate -10" at (150..155, 29..34).
TEST(MusicNotes, TruthBoxesFollowTheDegradedPagesSkew) {
  struct Case {
    const char* name;
    PixelBox box;
    double degrees;
    int32_t cleanWidth, cleanHeight, width, height;
    PixelBox want;
    int32_t slack;
  };
  const Case cases[] = {
      {"no skew keeps the box", {10, 20, 30, 40}, 0.0, 200, 100, 200, 100, {10, 20, 30, 40}, 0},
      {"a larger canvas moves it by half the growth", {10, 20, 30, 40}, 0.0, 200, 100, 210, 110, {15, 25, 35, 45}, 0},
      {"the middle stays in the middle", {99, 49, 101, 51}, 2.0, 200, 100, 204, 107, {101, 52, 103, 55}, 1},
      {"clockwise on the page", {148, 20, 152, 24}, 10.0, 200, 100, 216, 136, {160, 47, 164, 51}, 2},
      {"anticlockwise lifts the right", {148, 20, 152, 24}, -10.0, 200, 100, 216, 136, {150, 29, 155, 34}, 2},
  };
  for (const Case& c : cases) {
    const PixelBox got = SkewedBox(c.box, c.degrees, c.cleanWidth, c.cleanHeight, c.width, c.height);
    EXPECT_NEAR(got.x0, c.want.x0, c.slack) << c.name;
    EXPECT_NEAR(got.y0, c.want.y0, c.slack) << c.name;
    EXPECT_NEAR(got.x1, c.want.x1, c.slack) << c.name;
    EXPECT_NEAR(got.y1, c.want.y1, c.slack) << c.name;
  }
  // A turned box holds the turned stroke: a long flat beam turned by two
  // degrees grows by its length's sine in height.
  const PixelBox beam = SkewedBox({1000, 500, 1400, 510}, 2.0, 2480, 3508, 2600, 3590);
  EXPECT_GE(beam.y1 - beam.y0, 10 + 13);
}

// Found objects against the truth's boxes: a line found in pieces matches
// with every piece, a head or symbol found twice in one box is one match and
// one false find; boxes of other pages and kinds are left alone.
TEST(MusicNotes, FindsPairWithTrueBoxes) {
  const std::vector<TrueBox> boxes = {
      {1, "Beam", 100, 100, 300, 120, ""},      {1, "NoteBlack", 400, 200, 425, 220, ""},
      {1, "NoteBlack", 500, 200, 525, 220, ""}, {2, "NoteBlack", 600, 200, 625, 220, ""},
      {1, "NoteHalf", 700, 200, 725, 220, ""},
  };
  struct Case {
    const char* name;
    const char* kind;
    std::vector<FoundLine> found;
    bool oneToOne;
    int matched, recalled, truth;
  };
  const Case cases[] = {
      {"a beam in two pieces", "Beam", {{100, 110, 190, 112}, {200, 112, 300, 118}}, false, 2, 1, 1},
      {"a head found twice", "NoteBlack", {{401, 210, 424, 210}, {402, 209, 423, 211}}, true, 1, 1, 2},
      {"two heads, one each", "NoteBlack", {{401, 210, 424, 210}, {501, 210, 524, 210}}, true, 2, 2, 2},
      {"within the tolerance", "NoteBlack", {{430, 210, 440, 210}}, true, 1, 1, 2},
      {"beyond it", "NoteBlack", {{440, 210, 460, 210}}, true, 0, 0, 2},
      {"another page's head", "NoteBlack", {{601, 210, 624, 210}}, true, 0, 0, 2},
      {"another kind's box", "NoteBlack", {{701, 210, 724, 210}}, true, 0, 0, 2},
  };
  for (const Case& c : cases) {
    refmaker::FinderScore score;
    ScoreBoxes(boxes, 1, c.kind, c.found, 10, &score, c.oneToOne);
    EXPECT_EQ(score.found, static_cast<int>(c.found.size())) << c.name;
    EXPECT_EQ(score.matched, c.matched) << c.name;
    EXPECT_EQ(score.recalled, c.recalled) << c.name;
    EXPECT_EQ(score.truth, c.truth) << c.name;
  }
}
