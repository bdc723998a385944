// A small page synthesiser for the staff-stage tests: 1-bit pages with staves
// at given places, line thickness and spacing, page skew, bowed lines, broken
// lines, bar lines, brackets, note heads, speckle and blots; and what must not
// pass for a staff: lines of text, ruled tables and beams.
#pragma once

#include <cstdint>
#include <vector>

// Rows of 32-bit words; bit 0 of a word is the leftmost pixel, 1 = black.
class SynthPage {
 public:
  SynthPage(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  int wordsPerRow() const { return wordsPerRow_; }
  const uint32_t* bits() const { return words_.data(); }
  uint32_t* bits() { return words_.data(); }

  bool Get(int y, int x) const;
  void Set(int y, int x, bool black = true);  // outside the page: ignored
  void FillRect(int y0, int x0, int y1, int x1, bool black = true);  // half-open
  void FillEllipse(double cy, double cx, double ry, double rx);
  // count single black pixels at random places.
  void Speckle(int count, uint32_t seed);
  // count filled discs of the radius at random places.
  void Blots(int count, double radius, uint32_t seed);
  int CountBlack() const;

 private:
  int width_;
  int height_;
  int wordsPerRow_;
  std::vector<uint32_t> words_;
};

// A line of made-up letters (rings, stems with ascenders and descenders,
// arches, cross bars) on a baseline from x0 to x1, words of 2 to 8 letters.
void DrawTextLine(SynthPage& page, int baseline, int x0, int x1, int xHeight, uint32_t seed);

struct SynthTable {
  int top = 100;        // centre of the first rule
  int left = 100;
  int right = 1100;     // first column past the rules
  int rows = 6;         // rows of cells: rows + 1 rules
  int rowHeight = 30;   // rule to rule
  int columns = 4;      // cells per row, with vertical rules between them
  int thickness = 2;
  bool text = true;     // a line of text in every cell
};
void DrawRuledTable(SynthPage& page, const SynthTable& table, uint32_t seed);

// A beam: a band of the thickness whose top runs straight from (x0, y0) to
// (x1 - 1, y1).
void DrawBeam(SynthPage& page, int x0, double y0, int x1, double y1, int thickness);

struct SynthStaff {
  double top = 100;  // centre of the top line at the staff's left column
  int left = 100;
  int right = 1100;  // first column past the staff
  int lines = 5;
  double spacing = 20;
  int thickness = 2;
};

// A staff of the default lines, spacing and thickness from left to right
// (the first column past it), its top line at top.
inline SynthStaff PlainStaff(double top, int left, int right) {
  SynthStaff s;
  s.top = top;
  s.left = left;
  s.right = right;
  return s;
}

// Draws staves and the symbols that matter to the staff stage. The page skew
// turns everything by a small angle (y rises by skew per column; verticals
// lean the other way); a bow raises the middle of every line by that many
// pixels above its ends.
class StaffPainter {
 public:
  explicit StaffPainter(SynthPage& page, double skew = 0, double bow = 0)
      : page_(page), skew_(skew), bow_(bow) {}

  int AddStaff(const SynthStaff& staff);  // draws it, returns its index
  const SynthStaff& staff(int i) const { return staves_[i]; }
  int staffCount() const { return static_cast<int>(staves_.size()); }

  // Centre of a line at column x.
  double LineY(int staff, int line, double x) const;
  // Half staff spaces below the top line (0 = top line).
  double StepY(int staff, int step, double x) const;
  // Whites out a line between the columns x0..x1-1.
  void BreakLine(int staff, int line, int x0, int x1);
  // Cuts every line of a staff into fragments, as dropouts of a poor scan or
  // photocopy do: each line on its own, fragments of fragment..2 x fragment
  // columns with gaps of 1..gap columns, starting at offsets of their own and
  // moved up or down by up to shift rows each.
  void FragmentLines(int staff, int fragment, int gap, int shift, uint32_t seed);
  // A bar line from the top line of one staff down to the bottom line of
  // another, at column x of its bottom end.
  void BarLine(int firstStaff, int lastStaff, int x, int thickness = 2);
  // A thick bracket with hooks at its ends, left of the staves' left ends.
  void Bracket(int firstStaff, int lastStaff, int x, int thickness);
  // A filled note head centred on a step.
  void NoteHead(int staff, int step, int x);

 private:
  void VerticalStroke(double yTop, double yBottom, int xBottom, int thickness);

  SynthPage& page_;
  double skew_;
  double bow_;
  std::vector<SynthStaff> staves_;
};

// A page of music set out as a score: 5-line staves of the spacing and
// thickness, in systems of two with a bar line every 12 spacings, from the
// top margin down as far as the page holds them (at least one staff when
// the page is high enough). With fragment > 0 every line is cut into
// fragments (FragmentLines with that fragment, gap and shift). Returns the number
// of staves drawn.
struct SynthScore {
  double spacing = 20;
  int thickness = 3;
  int fragment = 0;  // 0: whole lines
  int gap = 4;
  int shift = 0;
  double margin = 3;  // left and right margins in spacings
  uint32_t seed = 1;
};
int DrawScorePage(SynthPage& page, const SynthScore& score);
