// The accidental ink rules on the Emmentaler accidentals at four sizes.
#include <gtest/gtest.h>

#include "stages/AccidentalInk.h"
#include "tests/stages/SymbolArt.h"

namespace {

struct Drawn {
  AccidentalInk ink;
  int kind;
  int score;
};

// The glyph drawn with its origin on a note position at y 100, measured in
// the box of that position: left edge at the ink's left, s high, centred.
Drawn MeasureGlyph(const char* name, int space) {
  ArtPage page(200, 200);
  const ArtBox box = StampGlyph(page, SymbolGlyph(name, space), 60, 100);
  const int u = space, s = space;
  const int unit = std::max(1, space / 5);  // about 4 % of the stave height
  const int y = 100 - s / 2;
  Drawn d;
  d.ink = MeasureAccidentalInk(page.Ink(), box.left, y, u, s, unit, box.left - 2 * unit, box.left + 2 * u);
  d.kind = ChooseAccidentalKind(d.ink, &d.score);
  return d;
}

TEST(AccidentalInk, EachEmmentalerAccidentalWinsAsItsOwnKind) {
  const struct {
    const char* glyph;
    int kind;
  } cases[] = {{"sharp", kAccidentalSymbolSharp},
               {"flat", kAccidentalSymbolFlat},
               {"natural", kAccidentalSymbolNatural},
               {"double-sharp", kAccidentalSymbolDoubleSharp}};
  for (int space : {14, 20, 28, 37})
    for (const auto& c : cases) {
      const Drawn d = MeasureGlyph(c.glyph, space);
      EXPECT_EQ(d.kind, c.kind) << c.glyph << " at " << space << ": UL " << d.ink.ul << " UR " << d.ink.ur << " LL "
                                << d.ink.ll << " LR " << d.ink.lr << " EU " << d.ink.eu << " EL " << d.ink.el;
      EXPECT_GE(d.score, 0);
    }
}

TEST(AccidentalInk, ScoresFollowTheMeasures) {
  const struct {
    AccidentalInk ink;
    int sharp, flat, natural, doubleSharp, keyFlat;
  } cases[] = {
      // A clean sharp: four full halves, paper between the strokes.
      {{90, 90, 90, 90, 80, 80}, 124, 68, 84, -64, 68},
      // A flat: a tall left stroke only.
      {{90, 10, 20, 20, 0, 0}, 0, 140, 0, 8, 134},
      // A natural: up on the left, down on the right.
      {{90, 20, 20, 90, 0, 0}, 0, 116, 132, -16, 112},
      // Nothing tall: only the double sharp's rule gains.
      {{10, 10, 10, 10, 0, 0}, 0, 0, 0, 32, 86},
      // Halves between light and full.
      {{50, 50, 50, 50, 10, 10}, 108, 100, 100, 0, 100},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SharpInkScore(c.ink), c.sharp) << c.ink.ul;
    EXPECT_EQ(FlatInkScore(c.ink), c.flat) << c.ink.ul;
    EXPECT_EQ(NaturalInkScore(c.ink), c.natural) << c.ink.ul;
    EXPECT_EQ(DoubleSharpInkScore(c.ink), c.doubleSharp) << c.ink.ul;
    EXPECT_EQ(KeyFlatInkScore(c.ink), c.keyFlat) << c.ink.ul;
  }
  // Equal scores: the earlier of natural, sharp, flat, double sharp.
  int score = 0;
  EXPECT_EQ(ChooseAccidentalKind(AccidentalInk{45, 50, 50, 50, 10, 10}, &score), kAccidentalSymbolNatural);
  EXPECT_EQ(score, 100);
}

TEST(AccidentalInk, BoxesAtThePageEdgesAreClipped) {
  ArtPage page(40, 30);
  page.FillRect(0, 0, 39, 29);
  for (const auto& at : {std::pair{-10, -20}, std::pair{30, 25}, std::pair{-50, 40}}) {
    const AccidentalInk ink = MeasureAccidentalInk(page.Ink(), at.first, at.second, 12, 12, 2, -100, 1000);
    EXPECT_LE(ink.ul, 100);
    EXPECT_GE(ink.ul, 0);
  }
  // A box of no size measures nothing.
  const AccidentalInk none = MeasureAccidentalInk(page.Ink(), 5, 5, 0, 0, 2, 0, 40);
  EXPECT_EQ(none.ul + none.ur + none.ll + none.lr, 0);
}

}  // namespace
