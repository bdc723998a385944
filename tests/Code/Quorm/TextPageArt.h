// Synthesised pages for the text finder's tests: staves drawn by the page
// synthesiser and the rendered text lines of fixtures/text pasted around
// them, the whole page turned by a small skew as the staves are.
#pragma once

#include <string>
#include <vector>

#include "tests/Code/Quorm/PageSynth.h"
#include "tests/Code/Quorm/TextLineArt.h"

// Pastes the line's ink with its top-left corner at (x, y) of the level
// page, turned by the skew about (originX, 0) the way StaffPainter turns its
// staves (y rises by skew per column, verticals lean the other way).
void PasteTextLine(SynthPage& page, const TextLineImage& line, int x, int y, double skew, int originX);

// The song page: a title, a tempo word and a line of chord symbols above the
// first of two staves, and a lyric line with hyphenated syllables under it.
// Staff space 24 pixels; the staves run from column 100 to 1300.
struct SongPage {
  static constexpr int kWidth = 1400;
  static constexpr int kHeight = 800;
  static constexpr int kStaffLeft = 100;
  static constexpr int kStaffRight = 1300;
  static constexpr int kFirstStaffTop = 260;
  static constexpr int kSecondStaffTop = 600;
  static constexpr int kSpacing = 24;
  // Top-left corners of the pasted lines on the level page.
  static constexpr int kTitleX = 350, kTitleY = 20;
  static constexpr int kTempoX = 100, kTempoY = 130;
  static constexpr int kChordsX = 200, kChordsY = 195;
  static constexpr int kLyricsX = 150, kLyricsY = 385;

  explicit SongPage(double skew = 0);
  SynthPage page;
  bool complete = false;  // every fixture line was found
};

// Two staves as on the song page and nothing else; the caller adds the
// trouble.
SynthPage TwoStaffPage(int width, int height, double skew = 0);
