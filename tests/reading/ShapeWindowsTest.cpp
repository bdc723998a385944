#include "reading/ShapeWindows.h"

#include <gtest/gtest.h>

#include <vector>

#include "reading/StaveSpacing.h"

namespace {

TEST(BigSymbolWindows, SizesRoundTheWidthAndCutTheHeight) {
  struct Case {
    double spacing;
    int unit;
    BigSymbolSizes want;
  } cases[] = {
      {10.0, 2, {20, 20, 22, 22}},
      {10.25, 2, {21, 20, 23, 22}},  // 20.5 rounds up, 20.5 is cut
      {10.2, 1, {20, 20, 21, 21}},
      {7.8, 1, {16, 15, 17, 16}},
  };
  for (const Case& c : cases) {
    const BigSymbolSizes got = BigSymbolWindowSizes(c.spacing, c.unit);
    EXPECT_EQ(got.width, c.want.width) << c.spacing;
    EXPECT_EQ(got.height, c.want.height) << c.spacing;
    EXPECT_EQ(got.wideWidth, c.want.wideWidth) << c.spacing;
    EXPECT_EQ(got.tallHeight, c.want.tallHeight) << c.spacing;
  }
}

TEST(BigSymbolWindows, BandsByStaveKind) {
  struct Case {
    int kind, lines;
    std::vector<int> want;
  } cases[] = {
      {0, 5, {0, 2, 4, 6, 8, 10, 12}},
      {1, 6, {4, 6, 8, 10}},
      {2, 1, {2, 4, 6, 8, 10}},
      {3, 5, {}},
      {0, 7, {}},
  };
  for (const Case& c : cases) {
    int bands[kMaxBigSymbolBands];
    const int n = BigSymbolBands(c.kind, c.lines, bands);
    EXPECT_EQ(std::vector<int>(bands, bands + n), c.want) << c.kind << " " << c.lines;
  }
}

TEST(BigSymbolWindows, WindowLiesHalfASpaceBelowTheBand) {
  StaveRow row;
  row.left = 100;
  row.right = 1100;
  row.top = 200;
  row.bottom = 240;
  row.lineCount = 5;
  row.lineThickness = 2;
  row.midX = 600;
  row.midTop = 200;
  row.rightTop = 200;
  StavePage page;
  page.resolution = 300;
  StaveRow rows[1] = {row};
  // Band 4 is the top line; the window starts half a space lower, 2S high.
  const ShapeWindow w = BigSymbolWindow(rows, 1, 0, 300, 4, 10.0, 2, page);
  EXPECT_EQ(w, (ShapeWindow{300, StavePositionY(rows, 1, 0, 300, 4, page) + 5, 20, 20}));
  EXPECT_EQ(BigSymbolWindowTop(200, 10.0), 205);
  EXPECT_EQ(BigSymbolWindowTop(200, 9.0), 204);
}

TEST(BigSymbolWindows, TallSymbolsArePiecesOfOneWindowEach) {
  int bands[kMaxBigSymbolBands];
  const int n = BigSymbolBands(0, 5, bands);
  struct Case {
    double top, bottom;
    std::vector<int> want;
  } cases[] = {
      {5.0, 9.0, {4}},             // a one-window symbol (a crotchet rest in the stave)
      {1.0, 16.0, {0, 4, 8, 12}},  // a treble clef: four pieces
      {3.0, 13.0, {2, 6, 10}},     // a bass clef reaching below the stave
      {-3.0, 4.0, {0}},            // ink above the first band starts at it
      {30.0, 32.0, {}},            // below every window
  };
  for (const Case& c : cases) {
    int pieces[kMaxSymbolPieces];
    const int got = BigSymbolPieces(c.top, c.bottom, bands, n, pieces);
    EXPECT_EQ(std::vector<int>(pieces, pieces + got), c.want) << c.top << ".." << c.bottom;
  }
}

TEST(AccidentalBoxes, SideAndPlace) {
  EXPECT_EQ(AccidentalBoxSide(20, false), 20);
  EXPECT_EQ(AccidentalBoxSide(20, true), 12);
  EXPECT_EQ(AccidentalBoxSide(13, true), 8);  // 7.8 rounds up
  EXPECT_EQ(AccidentalBox(50, 100, 20), (ShapeWindow{50, 90, 20, 20}));
  EXPECT_EQ(AccidentalBox(50, 100, 13), (ShapeWindow{50, 94, 13, 13}));
}

TEST(NoteheadWindows, WidthFollowsTheMeasuredHeads) {
  EXPECT_EQ(NoteheadWindowWidth(20.0, 1, 0.0), 16);    // before any head: 0.8 S
  EXPECT_EQ(NoteheadWindowWidth(20.0, 1, 23.0), 24);   // SSU + mean
  EXPECT_EQ(NoteheadWindowWidth(20.0, 1, 40.0), 26);   // the mean is held to 1.25 S
  EXPECT_EQ(NoteheadWindowWidth(20.0, 1, 10.0), 16);   // never below 0.8 S
  EXPECT_EQ(NoteheadWindow(10, 30, 47, 24), (ShapeWindow{10, 30, 24, 18}));
}

}  // namespace
