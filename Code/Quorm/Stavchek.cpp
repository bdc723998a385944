// Staff verification: the candidates are sorted and pruned, the page staff
// space is estimated, each staff's true ends are found, weak staves are
// dropped, the staves are grouped into systems, join symbols are looked for
// at the systems' left edges and the vertical segments are labelled against
// the staff lines.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Code/Quorm/Findscal.h"
#include "Code/Quorm/Intmath.h"
#include "Code/Quorm/Onebpp.h"
#include "Code/Quorm/Stavwork.h"
#include "Code/Quorm/mclassif.h"
#include "Code/Quorm/smooth.h"
#include "Code/Quorm/vertsegs.h"

namespace {

int32_t RoundedY(int64_t v) { return static_cast<int32_t>((v + 512) >> 10); }

int32_t MiddleColumn(const StaffRecord& row) { return (row.leftX + row.rightX) / 2; }

// y in pixels of a line at any column (beyond the ends along the slope).
int32_t LinePixel(const StaffRecord& row, int32_t line, int32_t column) {
  return RoundedY(LineYAnyColumn(row, line, column));
}

bool BoxHasInk(int32_t y0, int32_t x0, int32_t y1, int32_t x1) { return CountBoxInk(y0, x0, y1, x1) > 0; }

// Ink in the rows y - h .. y + h of the column.
bool InkNear(int32_t column, int32_t y, int32_t h) { return ColumnHasInk(column, y - h, y + h); }

int32_t PageStaffSpacePixels() { return std::max(1, RoundQ10(GetPageStaffSpace())); }

void SortStaves() {
  const int32_t count = GetStaffCount();
  for (int32_t i = 1; i < count; ++i)
    for (int32_t j = i; j > 0; --j) {
      StaffRecord& a = StaffRow(j - 1);
      StaffRecord& b = StaffRow(j);
      const int32_t ya = LinePixel(a, 0, MiddleColumn(a)), yb = LinePixel(b, 0, MiddleColumn(b));
      // Staves side by side at one height: left to right.
      if (ya < yb || (ya == yb && a.leftX <= b.leftX)) break;
      std::swap(a, b);
    }
}

// Staves of four or more lines that pass the spacing, ink and end tests are
// kept down to the shortest staff (a one-bar system, a coda, an example);
// staves of fewer lines, which text and rules imitate more easily, need 25
// staff spaces.
constexpr int32_t kNarrowFewLineStaves = 25;
// Staves at least this many of their spaces wide need no music on them.
constexpr int32_t kBareStaffSpaces = 32;

int32_t ShortestWidthInSpaces(const StaffRecord& row) {
  return row.lineCount >= 4 ? kShortestStaffSpaces : kNarrowFewLineStaves;
}

bool TooNarrow(const StaffRecord& row) {
  return row.rightX - row.leftX < RoundQ10(ShortestWidthInSpaces(row) * row.staffSpace);
}

}  // namespace

void ScoreStaff(int32_t staff) {
  StaffRecord& row = CountedStaff(staff);
  const int32_t n = row.lineCount;
  int32_t ink[kMaxStaffLines] = {};
  row.runColumns = 0;
  for (int32_t c = row.leftX; c < row.rightX; ++c)
    for (int32_t k = 0; k < n; ++k) {
      if (row.lineRun[k][2 * c] != -1) ++row.runColumns;
      if (InkNear(c, RoundedY(row.lineY[k][c]), 1)) ++ink[k];
    }
  row.minLineInk = 15000;
  row.lineInk = 0;
  for (int32_t k = 0; k < n; ++k) {
    row.minLineInk = std::min(row.minLineInk, ink[k]);
    row.lineInk += ink[k];
  }
  const int64_t raw = 3LL * row.runColumns + static_cast<int64_t>(n) * row.minLineInk -
                      10LL * (row.lineInk / n - std::min(ink[0], ink[n - 1])) + row.lineInk;
  const int32_t root = std::max(1, static_cast<int32_t>(std::sqrt(static_cast<double>(std::max(0, row.staffSpace)))));
  row.quality = SaturateToInt32(DivRound64(50 * std::max<int64_t>(0, raw), root));
}

void PruneStaves() {
  SortStaves();
  for (int32_t i = 0; i < GetStaffCount(); ++i) ScoreStaff(i);
  for (int32_t i = GetStaffCount() - 1; i >= 0; --i)
    if (TooNarrow(StaffRow(i))) RemoveStaff(i);
  bool removed = true;
  while (removed) {
    removed = false;
    for (int32_t i = 0; i + 1 < GetStaffCount(); ++i) {
      const StaffRecord& upper = StaffRow(i);
      const StaffRecord& lower = StaffRow(i + 1);
      const int64_t reach = static_cast<int64_t>(LineYAnyColumn(upper, upper.lineCount - 1, MiddleColumn(upper))) +
                            upper.staffSpace + lower.staffSpace;
      if (RoundedY(reach) <= LinePixel(lower, 0, MiddleColumn(lower))) continue;
      const bool overlap = upper.rightX > lower.leftX && upper.leftX < lower.rightX;
      if (!overlap && upper.lineCount == lower.lineCount) continue;
      RemoveStaff(upper.quality > lower.quality ? i + 1 : i);
      removed = true;
      break;
    }
  }
}

int32_t EstimateStaffSpace() {
  int32_t bins[70] = {};
  for (int32_t i = 0; i < GetStaffCount(); ++i) {
    const StaffRecord& row = StaffRow(i);
    const int32_t b = RoundQ10(row.staffSpace);
    if (b < 0) continue;
    if (row.lineCount == 5 && b < 50)
      bins[b] += 100;
    else if (row.lineCount >= 2 && b < 70)
      bins[b] += 10;
  }
  int64_t total = 0;
  for (int32_t b = 0; b < 50; ++b) total += bins[b];
  if (total == 0) return 25600;
  SmoothProfile(bins, 70, 1.0);
  const int32_t p = ArgMaxFirst(bins, 10, 69);
  const int32_t r = std::max(1, (p + 5) / 10);
  int32_t kept[70];
  KeepLocalMaxima(kept, bins, 70, r);
  int32_t c1 = 0, c2 = 0;
  for (int32_t b = 10; b < 70; ++b)
    if (kept[b] > 50) {
      c1 = b;
      if (c2 == 0 || kept[b] > kept[c2]) c2 = b;
    }
  auto peak = [&](int32_t c) {
    int32_t from = c - r, to = c + r;
    if (from < 10 || to >= 50) {
      from = 10;
      to = 69;
    }
    return static_cast<int64_t>(PeakPositionQ10(bins, from, to));
  };
  const int64_t q1 = peak(c1), q2 = peak(c2);
  return SaturateToInt32(DivRound64(total * q1 / 3 + 2 * total * q2 / 3 + 25600, total + 1));
}

namespace {

// ---------------------------------------------------------------------------
// Staff ends.

// The column profile value of a staff: 1000 where all lines have ink and the
// gaps are clear.
int32_t EndProfileValue(const StaffRecord& row, int32_t c, int32_t h) {
  const int32_t n = row.lineCount;
  int32_t misses = 0;
  for (int32_t k = 0; k < n; ++k) {
    const int32_t y = LinePixel(row, k, c);
    if (!InkNear(c, y, h)) misses += 3;
    if (k + 1 < n) {
      const int32_t middle = (y + LinePixel(row, k + 1, c)) / 2;
      if (InkNear(c, middle, h)) misses += 1;
    }
  }
  return std::max(0, 1000 - RoundToInt(1140.0 / (4 * n - 1)) * misses);
}

int32_t EndColumnScore(const StaffRecord& row, int32_t c, bool leftEnd, int32_t h, int32_t own) {
  const int32_t n = row.lineCount;
  const int32_t s3 = ScaleToPixels(30);
  const int32_t o = leftEnd ? c - s3 : c + s3;
  const int32_t in = leftEnd ? c + s3 + 1 : c - s3 - 1;
  const int32_t space = own;
  const int32_t p2 = RoundToInt(0.2 * space), p3 = RoundToInt(0.3 * space), p5 = RoundToInt(0.5 * space),
                p7 = RoundToInt(0.7 * space);
  int32_t score = 0;
  for (int32_t k = 0; k < n; ++k) {
    const int32_t y = LinePixel(row, k, c);
    const int32_t yo = LinePixel(row, k, o);
    const int32_t yi = LinePixel(row, k, in);
    if (!InkNear(o, yo, h)) score += 500;
    if (ColumnHasInk(c, y - p5, y - p2)) score += 100;
    if (ColumnHasInk(c, y + p2, y + p5)) score += 100;
    if (InkNear(in, yi, h)) score += 800;
    if (k + 1 < n) {
      if (!InkNear(o, (yo + LinePixel(row, k + 1, o)) / 2, h)) score += 500;
      if (!InkNear(in, (yi + LinePixel(row, k + 1, in)) / 2, h)) score += 500;
    }
  }
  const int32_t top = LinePixel(row, 0, in);
  const int32_t bottom = LinePixel(row, n - 1, in);
  if (!ColumnHasInk(in, top - p7, top - p3)) score += 500;
  if (!ColumnHasInk(in, bottom + p3, bottom + p7)) score += 500;
  return score;
}

// Blank stretches longer than this many page staff spaces part a staff in two
// when it resumes beyond them; shorter ones are crossed.
constexpr int32_t kCrossedBlankSpaces = 10;

// A staff of its own from the columns from..to-1 of a row, appended to the
// table (to be sorted into place); nothing when the table is full.
void SplitOff(const StaffRecord& row, int32_t from, int32_t to) {
  const int32_t index = GetStaffCount();
  if (index >= kMaxStaves || to <= from) return;
  StaffRecord& part = StaffRow(index);
  FreeStaffArrays(part);
  part = row;
  for (int32_t k = 0; k < kMaxStaffLines; ++k) {
    part.lineY[k] = nullptr;
    part.lineRun[k] = nullptr;
  }
  AllocateStaffArrays(part, part.lineCount);
  for (int32_t k = 0; k < part.lineCount; ++k)
    for (int32_t c = from; c < to; ++c) {
      part.lineY[k][c] = row.lineY[k][c];
      part.lineRun[k][2 * c] = row.lineRun[k][2 * c];
      part.lineRun[k][2 * c + 1] = row.lineRun[k][2 * c + 1];
    }
  part.leftX = from;
  part.rightX = to;
  SetStaffCount(index + 1);
}

void FindEndsOfStaff(StaffRecord& row) {
  const int32_t width = row.rightX - row.leftX;
  if (width < 2) return;
  const int32_t pageWidth = GetPageImageWidth();
  const int32_t own = std::max(1, RoundQ10(row.staffSpace));
  const int32_t h = std::max(1, RoundToInt(0.2 * row.staffSpace / 1024.0));
  const double sigma = std::max(0.5, PageStaffSpacePixels() / 6.0);
  WorkArray<int32_t> profile(width);
  for (int32_t i = 0; i < width; ++i) profile[i] = EndProfileValue(row, row.leftX + i, h);

  // Centre: the best block of 16 columns.
  const int32_t blocks = (width + 15) / 16;
  WorkArray<int32_t> block(blocks);
  for (int32_t b = 0; b < blocks; ++b) {
    int32_t sum = 0;
    for (int32_t i = 16 * b; i < std::min(width, 16 * b + 16); ++i) sum += profile[i];
    block[b] = sum / 16;
  }
  if (blocks > 1) SmoothProfile(block.data(), blocks, sigma);
  const int32_t centre = std::min(width - 1, 16 * ArgMaxFirst(block.data(), 0, blocks - 1) + 8);

  // Extent: walk out from the centre while the pair-averaged profile stays
  // above the threshold.
  const int32_t pairs = (width + 1) / 2;
  WorkArray<int32_t> paired(pairs);
  for (int32_t i = 0; i < pairs; ++i)
    paired[i] = 2 * i + 1 < width ? (profile[2 * i] + profile[2 * i + 1]) / 2 : profile[2 * i];
  int32_t threshold = 300;
  if (pairs > 1) {
    SmoothProfile(paired.data(), pairs, sigma);
    for (int32_t i = 0; i < pairs; ++i) paired[i] = DivRound(paired[i], 2048);
  }
  threshold = std::clamp((row.lineThickness - 2 * row.thicknessSpread - 1024) / 4 + 300, 300, 500);
  int32_t lo = std::min(pairs - 1, centre / 2), hi = lo;
  if (paired[lo] <= threshold) return;  // no clear staff around the centre: keep the ends
  // The walk goes on past a blank stretch when the staff resumes beyond it
  // for at least a page staff space (two of them in columns): the pieces on
  // either side were joined into this staff, as across a break in all its
  // lines. Beyond a longer blank stretch the staff resumes as a staff of its
  // own (an example or a coda set apart on the same line).
  const int32_t resumed = PageStaffSpacePixels();
  const int32_t longestCrossed = kCrossedBlankSpaces * PageStaffSpacePixels() / 2;
  auto walk = [&](int32_t i, int32_t step, int32_t* apartFrom) {
    *apartFrom = -1;
    for (;;) {
      while (i + step >= 0 && i + step < pairs && paired[i + step] > threshold) i += step;
      int32_t j = i + step;
      while (j >= 0 && j < pairs && paired[j] <= threshold) j += step;
      int32_t run = 0;
      for (int32_t k = j; k >= 0 && k < pairs && paired[k] > threshold; k += step) ++run;
      if (run < resumed) return i;
      if (std::abs(j - i) - 1 > longestCrossed) {
        *apartFrom = j;
        return i;
      }
      i = j;
    }
  };
  int32_t apartLeft, apartRight;
  lo = walk(lo, -1, &apartLeft);
  hi = walk(hi, 1, &apartRight);
  if (apartLeft >= 0) SplitOff(row, row.leftX, row.leftX + std::min(width, 2 * apartLeft + 2));
  if (apartRight >= 0) SplitOff(row, row.leftX + 2 * apartRight, row.rightX);
  const int32_t limits[2] = {row.leftX + 2 * lo + 1, row.leftX + 2 * hi + 1};

  // Each end at the best-scored column within two page staff spaces.
  const int32_t reach = 2 * PageStaffSpacePixels();
  int32_t ends[2];
  for (int32_t side = 0; side < 2; ++side) {
    const int32_t from = std::max(0, limits[side] - reach);
    const int32_t to = std::min(pageWidth - 1, limits[side] + reach);
    const int32_t n = to - from + 1;
    WorkArray<int32_t> scores(n);
    for (int32_t i = 0; i < n; ++i) scores[i] = EndColumnScore(row, from + i, side == 0, h, own);
    if (n > 1) SmoothProfile(scores.data(), n, std::max(0.5, PageStaffSpacePixels() / 12.0));
    ends[side] = from + (side == 0 ? ArgMaxFirst(scores.data(), 0, n - 1) : ArgMaxLast(scores.data(), 0, n - 1));
  }
  if (ends[1] <= ends[0]) return;
  // Lines reach the new ends along the staff's slope.
  const int32_t oldLeft = row.leftX, oldRight = row.rightX;
  const int64_t maxY = static_cast<int64_t>(GetPageImageHeight() - 1) * 1024;
  for (int32_t k = 0; k < row.lineCount; ++k) {
    const int32_t yLeft = row.lineY[k][oldLeft], yRight = row.lineY[k][oldRight - 1];
    for (int32_t c = ends[0]; c < oldLeft; ++c)
      row.lineY[k][c] = static_cast<int32_t>(std::clamp<int64_t>(yLeft - static_cast<int64_t>(row.slope) * (oldLeft - c), 0, maxY));
    for (int32_t c = oldRight; c <= ends[1]; ++c)
      row.lineY[k][c] = static_cast<int32_t>(std::clamp<int64_t>(yRight + static_cast<int64_t>(row.slope) * (c - oldRight + 1), 0, maxY));
  }
  row.leftX = ends[0];
  row.rightX = ends[1] + 1;
}

// ---------------------------------------------------------------------------
// Quality checks.

// The staff's width less the columns where none of its lines has ink (a
// blank break in all its lines that the staff was joined across): the width
// its lines' ink is measured against.
int32_t InkedWidth(const StaffRecord& row) {
  int32_t blank = 0;
  for (int32_t c = row.leftX; c < row.rightX; ++c) {
    bool any = false;
    for (int32_t k = 0; k < row.lineCount && !any; ++k) any = InkNear(c, LinePixel(row, k, c), 1);
    if (!any) ++blank;
  }
  return row.rightX - row.leftX - blank;
}

// Evenly spaced lines that run along most of the staff beyond its top line
// (side -1) or its bottom line (side +1): the further rules of a table.
int32_t RulesBeyond(const StaffRecord& row, int32_t side) {
  const int32_t n = row.lineCount;
  const int32_t width = row.rightX - row.leftX;
  if (n < 2 || width < 1) return 0;
  int32_t rules = 0;
  for (int32_t k = 1; k <= kMaxStaffLines; ++k) {
    int32_t hits = 0;
    for (int32_t c = row.leftX; c < row.rightX; ++c) {
      const int64_t space = (static_cast<int64_t>(row.lineY[n - 1][c]) - row.lineY[0][c]) / (n - 1);
      const int64_t y = side < 0 ? row.lineY[0][c] - k * space : row.lineY[n - 1][c] + k * space;
      if (InkNear(c, RoundedY(y), 1)) ++hits;
    }
    if (10 * hits < 9 * width) break;
    ++rules;
  }
  return rules;
}

// Columns where something crosses some of the staff's lines but not all of
// them: note heads on lines, stems, clefs. Strokes through the whole staff
// (bar lines, the rules of a table) cross every line.
int32_t PartlyCrossedColumns(const StaffRecord& row) {
  const int32_t n = row.lineCount;
  const int32_t reach = RoundQ10(row.lineThickness / 2 + row.thicknessSpread) + 1;
  int32_t columns = 0;
  for (int32_t c = row.leftX; c < row.rightX; ++c) {
    int32_t crossed = 0;
    for (int32_t k = 0; k < n; ++k) {
      const int32_t y = LinePixel(row, k, c);
      if (GetPagePixel(y - reach, c) && GetPagePixel(y + reach, c)) ++crossed;
    }
    if (crossed > 0 && crossed < n) ++columns;
  }
  return columns;
}

// Evenly spaced lines that are not a staff: more of them than any staff has
// (a table's rules), or a short staff that no music crosses (the rows of a
// short table, whose text stays between its rules). Staves as wide as 32
// of their spaces may be bare, as on manuscript paper.
bool ImitatesStaff(const StaffRecord& row) {
  if (row.lineCount + RulesBeyond(row, -1) + RulesBeyond(row, 1) > kMaxStaffLines) return true;
  if (row.rightX - row.leftX >= RoundQ10(kBareStaffSpaces * row.staffSpace)) return false;
  return PartlyCrossedColumns(row) < RoundQ10(row.staffSpace);
}

int32_t MiddleY(const StaffRecord& row) {
  const int32_t c = MiddleColumn(row);
  return (LinePixel(row, (row.lineCount - 1) / 2, c) + LinePixel(row, row.lineCount / 2, c)) / 2;
}

void CheckStaves() {
  for (int32_t i = 0; i < GetStaffCount(); ++i) ScoreStaff(i);
  for (int32_t i = GetStaffCount() - 1; i >= 0; --i) {
    const StaffRecord& row = StaffRow(i);
    if (TooNarrow(row) || 4LL * row.minLineInk < 3LL * InkedWidth(row) || ImitatesStaff(row)) RemoveStaff(i);
  }
  const int32_t s = PageStaffSpacePixels();
  const int32_t count = GetStaffCount();
  bool anyBig = false;
  for (int32_t i = 0; i < count; ++i) {
    StaffRecord& row = StaffRow(i);
    anyBig = anyBig || row.lineCount >= 4;
    row.alignedStaves = 0;
    for (int32_t j = 0; j < count; ++j) {
      const StaffRecord& other = StaffRow(j);
      if (j == i || other.lineCount < 4) continue;
      const int32_t shift = RoundQ10(SaturateToInt32(static_cast<int64_t>(GetPageSkew()) * (MiddleY(other) - MiddleY(row))));
      if (std::abs(shift - row.leftX + other.leftX) < 3 * s && std::abs(shift - row.rightX + other.rightX) < 3 * s)
        ++row.alignedStaves;
    }
  }
  for (int32_t i = count - 1; i >= 0; --i) {
    const StaffRecord& row = StaffRow(i);
    const int32_t width = row.rightX - row.leftX;
    const int32_t inked = InkedWidth(row);
    // A short staff of four or more lines is judged as one of the width
    // that few-line staves need: its shortness alone does not remove it.
    int32_t w = DivRound(width, s);
    if (row.lineCount >= 4) w = std::max(w, kNarrowFewLineStaves);
    int32_t penalty = std::max(0, 50 - w) + std::max(0, 30 - w) + DivRound(200 * (inked - row.minLineInk), std::max(1, inked));
    switch (row.lineCount) {
      case 1: penalty += (!anyBig || row.alignedStaves > 0) ? 40 : 240; break;
      case 2:
      case 3: penalty += 60 + ((anyBig && row.alignedStaves == 0) ? 200 : 0); break;
      case 4:
      case 6: penalty += 30; break;
      default: break;
    }
    if (penalty > 100) RemoveStaff(i);
  }
  while (GetStaffCount() > 65) RemoveStaff(GetStaffCount() - 1);
}

// ---------------------------------------------------------------------------
// Systems.

// Whether a near-vertical stroke joins the two columns between the rows.
bool StrokeBetween(int32_t xTop, int32_t yTop, int32_t xBottom, int32_t yBottom, int32_t allowedGap) {
  const int32_t rows = yBottom - yTop + 1;
  if (rows < 1) return false;
  int32_t blank = 0, run = 0;
  for (int32_t y = yTop; y <= yBottom; ++y) {
    const int32_t c = xTop + (rows > 1 ? RoundToInt(static_cast<double>(xBottom - xTop) * (y - yTop) / (rows - 1)) : 0);
    if (GetPagePixel(y, c - 1) || GetPagePixel(y, c)) {
      run = 0;
    } else {
      ++blank;
      if (++run > allowedGap) return false;
    }
  }
  return 4 * blank < rows;
}

bool SameSystem(int32_t i) {
  const StaffRecord& u = StaffRow(i - 1);
  const StaffRecord& l = StaffRow(i);
  const int32_t s = PageStaffSpacePixels();
  const int32_t width = GetPageImageWidth();
  if (std::abs(u.leftX - l.leftX) > 20 * s || std::abs(u.rightX - l.rightX) > 20 * s) return false;
  const int32_t meanEnd = (u.leftX + u.rightX + l.leftX + l.rightX) / 4;
  const int32_t height = LinePixel(l, l.lineCount - 1, meanEnd) - LinePixel(u, 0, meanEnd);
  const int32_t shift = RoundQ10(SaturateToInt32(static_cast<int64_t>(height) * GetPageSkew()));
  const int32_t half = RoundToInt(0.5 * s), lean = RoundToInt(0.6 * s);
  const int32_t maxLeft = std::max(u.leftX, l.leftX);
  int32_t sum = 0;
  const int32_t from = std::max(0, std::min(u.leftX, l.leftX) - half);
  const int32_t to = std::min(width, std::max(u.rightX, l.rightX) + half);
  for (int32_t x = from; x < to && sum < 2; ++x) {
    const int32_t yb = LinePixel(l, l.lineCount - 1, x);
    const int32_t yt = LinePixel(u, 0, x + shift);
    const int32_t ym = (yt + yb) / 2;
    const int32_t bandLeft = (x + shift - lean + x) / 2;
    if (!BoxHasInk(ym, bandLeft, ym + half, bandLeft + lean) || !BoxHasInk(ym - half, bandLeft, ym, bandLeft + lean))
      continue;
    const int32_t gap = (x >= l.leftX && x < l.leftX + s) ? s : half;
    for (int32_t xt = x + shift - lean; xt <= x + shift + lean; ++xt) {
      if (!StrokeBetween(xt, yt, x, yb, gap)) continue;
      sum += x < maxLeft + 2 * s ? 2 : 1;
      x += 5 * s;
      break;
    }
  }
  return sum >= 2;
}

void GroupSystems() {
  for (int32_t i = 0; i < GetStaffCount(); ++i)
    StaffRow(i).system = i == 0 ? 0 : StaffRow(i - 1).system + (SameSystem(i) ? 0 : 1);
}

// The column where two staves of one system begin: the middle of the line
// that opens the system, the rightmost near-vertical stroke from the upper
// staff's top line to the lower staff's bottom line within 2.5 spaces left
// and 2 spaces right of their mean left end. The finder's own staves begin
// on that line; staves given as hints may begin elsewhere (a hint's left end
// can lie inside the brace before it). The mean left end when there is no
// such stroke.
int32_t SystemOpeningColumn(const StaffRecord& u, const StaffRecord& l, int32_t s) {
  const int32_t mean = (u.leftX + l.leftX) / 2;
  const int32_t yb = LinePixel(l, l.lineCount - 1, mean);
  const int32_t shift = RoundQ10(SaturateToInt32(static_cast<int64_t>(yb - LinePixel(u, 0, mean)) * GetPageSkew()));
  const int32_t width = GetPageImageWidth();
  const int32_t from = std::max(1, mean - RoundToInt(2.5 * s));
  const int32_t to = std::min(width - 1, mean + 2 * s);
  for (int32_t x = to; x >= from; --x) {
    const auto stroke = [&](int32_t c) { return StrokeBetween(c + shift, LinePixel(u, 0, c + shift), c, yb, s); };
    if (!stroke(x)) continue;
    int32_t first = x;
    while (first - 1 >= from && stroke(first - 1)) --first;
    return (first + x) / 2;
  }
  return mean;
}

}  // namespace

void FindSystemJoins() {
  const int32_t s = PageStaffSpacePixels();
  for (int32_t i = 0; i + 1 < GetStaffCount(); ++i) {
    StaffRecord& u = StaffRow(i);
    const StaffRecord& l = StaffRow(i + 1);
    u.joinedBelow = 0;
    if (u.system != l.system) continue;
    const int32_t xm = SystemOpeningColumn(u, l, s);
    const int32_t x0 = xm - RoundToInt(1.5 * s), x1 = xm - RoundToInt(0.5 * s);
    int32_t top = LinePixel(u, 0, u.leftX);
    int32_t bottom = LinePixel(l, l.lineCount - 1, l.leftX);
    const int32_t upperMiddle = MiddleY(u), lowerMiddle = MiddleY(l);
    while (top < upperMiddle && CountRowInk(top, x0, x1) == 0) ++top;
    while (bottom > lowerMiddle && CountRowInk(bottom, x0, x1) == 0) --bottom;
    if (top >= upperMiddle || bottom <= lowerMiddle) continue;
    int32_t best = x0, bestInk = -1;
    for (int32_t x = x0; x < x1; ++x) {
      const int32_t ink = CountColumnInk(x, top, bottom + 1);
      if (ink > bestInk) {
        best = x;
        bestInk = ink;
      }
    }
    if (bestInk <= 3 * s) continue;
    int32_t left = best, right = best;
    while (left - 1 >= std::max(0, xm - RoundToInt(2.5 * s)) && CountColumnInk(left - 1, top, bottom + 1) > 0) --left;
    while (right + 1 <= xm - RoundToInt(0.25 * s) && CountColumnInk(right + 1, top, bottom + 1) > 0) ++right;
    const int32_t w = right - left + 1, h = bottom - top + 1;
    if (w <= RoundToInt(0.5 * s) || static_cast<int64_t>(h) * w >= 100000) continue;
    WorkArray<uint32_t> patch(static_cast<size_t>(w) * h);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) patch[static_cast<size_t>(y) * w + x] = GetPagePixel(top + y, left + x);
    u.joinedBelow = PatchHasType800(patch.data(), w, 4 * h) ? 1 : 0;
  }
}

namespace {

// Where the staves lie at one column: each staff's first line less half its
// space and its last line plus half its space, rows in pixels. Segments come
// column by column, so one column's figures serve all its segments.
struct ColumnBands {
  int32_t column = -1;
  int32_t top[kMaxStaves];
  int32_t bottom[kMaxStaves];

  void At(int32_t x) {
    if (x == column) return;
    column = x;
    for (int32_t j = 0; j < GetStaffCount(); ++j) {
      const StaffRecord& row = StaffRow(j);
      const int32_t half = RoundQ10(row.staffSpace / 2);
      top[j] = LinePixel(row, 0, x) - half;
      bottom[j] = LinePixel(row, row.lineCount - 1, x) + half;
    }
  }

  // The staff and line against which a row is judged: the first staff whose
  // band holds the row (else staff 0), and its first line whose y + half a
  // space is not above the row (else the last line). Answers that line's
  // row; *staff: the staff.
  int32_t LineNearRow(int32_t y, const StaffRecord** staff) const {
    int32_t found = 0;
    for (int32_t j = 0; j < GetStaffCount(); ++j)
      if (y >= top[j] && y <= bottom[j]) {
        found = j;
        break;
      }
    const StaffRecord& row = StaffRow(found);
    *staff = &row;
    const int32_t half = RoundQ10(row.staffSpace / 2);
    for (int32_t k = 0; k < row.lineCount; ++k) {
      const int32_t ly = LinePixel(row, k, column);
      if (ly + half >= y) return ly;
    }
    return LinePixel(row, row.lineCount - 1, column);
  }
};

int32_t MarkBand(const StaffRecord& row) { return RoundQ10(row.lineThickness / 2 + 2 * row.thicknessSpread); }

}  // namespace

void ClassifyLineSegments() {
  ClearSegmentMarks();
  if (GetStaffCount() == 0) return;
  const int32_t count = GetVerticalSegmentCount();
  ColumnBands bands;
  for (int32_t i = 0; i < count; ++i) {
    const VerticalSegment* seg = GetVerticalSegment(i);
    const int32_t top = seg->top, bottom = seg->end - 1;
    bands.At(seg->x);
    // Each mark is judged against the line nearest the part of the run it
    // is about: the whole run by its middle, its end by its bottom row, its
    // start by its top row.
    const StaffRecord* staff = nullptr;
    int32_t ly = bands.LineNearRow((top + bottom) / 2, &staff);
    int32_t band = MarkBand(*staff);
    if (top <= ly + 1 && top >= ly - band && bottom <= ly + band && bottom >= ly - 1) SetSegmentMark1(i);
    ly = bands.LineNearRow(bottom, &staff);
    band = MarkBand(*staff);
    if (bottom <= ly + band && bottom >= ly - 1) SetSegmentMark2(i);
    ly = bands.LineNearRow(top, &staff);
    band = MarkBand(*staff);
    if (top <= ly + 1 && top >= ly - band) SetSegmentMark3(i);
  }
}

EngineCode SetPageStaffSpaceFromStaves() {
  if (GetStaffCount() == 0) return "Xnostaves";
  // A staff spaced beyond the 70-pixel limit cannot be read; it is dropped
  // and the page goes on with its other staves. Only a page of nothing but
  // such staves, or whose own staff space is beyond the limit, is too big.
  bool removed = false;
  for (int32_t i = GetStaffCount() - 1; i >= 0; --i)
    if (StaffRow(i).staffSpace > kMaxPageStaffSpace) {
      RemoveStaff(i);
      removed = true;
    }
  if (GetStaffCount() == 0) return "Xbigstaves";
  // Hinted staves carry their systems already: keep the numbers gapless.
  if (removed) {
    int32_t system = 0;
    int32_t previous = StaffRow(0).system;
    for (int32_t i = 0; i < GetStaffCount(); ++i) {
      const int32_t given = StaffRow(i).system;
      if (given != previous) ++system;
      previous = given;
      StaffRow(i).system = system;
    }
  }
  const int32_t space = EstimateStaffSpace();
  if (space > kMaxPageStaffSpace) return "Xbigstaves";
  int32_t largest = 0;
  for (int32_t i = 0; i < GetStaffCount(); ++i) largest = std::max(largest, StaffRow(i).staffSpace);
  SetPageStaffSpace(space);
  SetLargestStaffSpace(largest);
  return kEngineOk;
}

EngineCode FindStaves() {
  PruneStaves();
  if (EngineCode code = SetPageStaffSpaceFromStaves()) return code;
  // Staves split off at long blank stretches are appended and find their
  // own ends in turn; then the table is put back in page order.
  for (int32_t i = 0; i < GetStaffCount(); ++i) FindEndsOfStaff(StaffRow(i));
  SortStaves();
  CheckStaves();
  if (GetStaffCount() == 0) return "Xnostaves";
  GroupSystems();
  FindSystemJoins();
  ClassifyLineSegments();
  return kEngineOk;
}
