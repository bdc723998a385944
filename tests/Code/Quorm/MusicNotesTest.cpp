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
