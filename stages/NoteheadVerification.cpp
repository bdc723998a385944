#include "stages/NoteheadVerification.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "reading/ObjectSearch.h"
#include "reading/StaveSpacing.h"
#include "shapes/ClassifierStartup.h"
#include "shapes/NotationMatch.h"
#include "stages/NoteRecords.h"

namespace {

// Dark per cent of row y over the columns x0..x1-1 sampled every step.
int RowDarkness(const HeadImage& img, int32_t y, int32_t x0, int32_t x1, int32_t step) {
  int n = 0, dark = 0;
  for (int32_t x = x0; x < x1; x += step, ++n) dark += img.Ink(x, y) ? 1 : 0;
  return n ? dark * 100 / n : 0;
}

// Dark per cent of a box (every pixel).
int BoxDarkness(const HeadImage& img, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  int n = 0, dark = 0;
  for (int32_t y = y0; y < y1; ++y)
    for (int32_t x = x0; x < x1; ++x, ++n) dark += img.Ink(x, y) ? 1 : 0;
  return n ? dark * 100 / n : 0;
}

bool IsLive(const NoteRecord& r) { return r.quality < kRejectedQuality; }
bool IsCertain(const NoteRecord& r) { return IsLive(r) && r.uncertain == 0; }
int32_t Width(const NoteRecord& r) { return r.right - r.left; }
bool IsSolid(const NoteRecord& r) { return r.kind <= kNoteCrotchet; }
bool IsLong(const NoteRecord& r) { return r.kind >= kNoteSemibreve && r.kind != kNoteTabNumber; }

// The solid head: the classifier's templates grade the window; without
// them, the fill of the ellipse inscribed in the window.
int SolidScore(const HeadImage& img, int32_t x, int32_t top, int32_t w, int32_t h, bool onLine) {
  const NotationDatabase* db = NoteheadTemplates();
  if (!db && Classifier()) db = &Classifier()->notation;
  if (db) {
    const int stride = static_cast<int>(img.rowBytes / 4) - 1;
    if (x < 0 || top < 0 || x + w > img.width || top + h > img.height) return 0;
    return GradeNotationShape(*db, img.bits, stride, x, top, w, h, kSolidHeadType,
                              onLine ? HeadPlace::kLine : HeadPlace::kSpace);
  }
  int n = 0, dark = 0;
  const double cx = x + w / 2.0, cy = top + h / 2.0, rx = w / 2.0, ry = h / 2.0;
  for (int32_t y = top; y < top + h; ++y)
    for (int32_t xx = x; xx < x + w; ++xx) {
      const double dx = (xx + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
      if (dx * dx + dy * dy > 0.7) continue;
      ++n;
      dark += img.Ink(xx, y) ? 1 : 0;
    }
  return n ? dark * 100 / n : 0;
}

// A ring's hole beside a line through it: of the middle half of the
// window's rows, some dark all across (the line's) and at least two others,
// at least half of which cross paper (two pixels or more, in the middle half
// of the columns) between ink on both sides. A solid head's rows are dark
// all across or hold no paper between ink; a ring off the lines has no row
// dark all across.
bool HoleBesideLine(const HeadImage& img, int32_t x, int32_t top, int32_t w, int32_t h) {
  int lineRows = 0, rows = 0, holes = 0;
  for (int32_t y = top + h / 4; y < top + h - h / 4; ++y) {
    if (RowDarkness(img, y, x, x + w, 1) > 90) {
      ++lineRows;
      continue;
    }
    ++rows;
    bool inkBefore = false, paper = false;
    int32_t run = 0;
    for (int32_t c = x; c < x + w && !paper; ++c) {
      if (img.Ink(c, y)) {
        if (inkBefore && run >= 2) paper = true;
        inkBefore = true;
        run = 0;
      } else if (inkBefore && c >= x + w / 4 && c < x + w - w / 4) {
        ++run;
      }
    }
    holes += paper ? 1 : 0;
  }
  return lineRows > 0 && rows >= 2 && holes * 2 >= rows;
}

// The hollow (minim) head: a ring, darker at its rim than in its middle
// (holeBesideLine: HoleBesideLine of the same window).
int HollowScore(const HeadImage& img, int32_t x, int32_t top, int32_t w, int32_t h, int32_t u, bool inSpace,
                int32_t small, bool holeBesideLine) {
  // A minim head is about 1.4 spaces wide, a scan may thicken it by a pixel
  // each side; a semibreve is 2 spaces wide or more. At 1.75 spaces a
  // semibreve drawn 1.8 spaces wide on a line passes for a minim.
  if (w > 1.7 * u + 0.5) return -1;
  const int32_t mx = x + w / 2, my = top + h / 2;
  const int q0 = BoxDarkness(img, x, top, mx, my), q1 = BoxDarkness(img, mx, top, x + w, my);
  const int q2 = BoxDarkness(img, x, my, mx, top + h), q3 = BoxDarkness(img, mx, my, x + w, top + h);
  if (q0 < 20 || q3 < 20) return -1;
  int score = 100;
  if (q0 < 30) score = 98;
  if (q3 < 30) score -= 2;
  if (q0 < 30 && q3 < 30) score -= 2;
  const bool q1Out = q1 < 5 || q1 > 90, q2Out = q2 < 5 || q2 > 90;
  if (inSpace) {
    if (q1Out) score -= 2;
    if (q2Out) score -= 2;
    if (q0 + q3 < q1 + q2) score -= 6;
  }
  if (q1Out && q2Out) score -= 2;
  // The top and bottom rims over the right half's columns.
  const int32_t rim = std::max(1, 3 * small);
  auto rimShare = [&](int32_t y0, int32_t y1) {
    int n = 0, hit = 0;
    for (int32_t c = mx; c < x + w; ++c, ++n) {
      bool dark = false;
      for (int32_t y = y0; y < y1 && !dark; ++y) dark = img.Ink(c, y);
      hit += dark ? 1 : 0;
    }
    return n ? hit * 100 / n : 0;
  };
  if (rimShare(top, top + rim) < 30) score -= 4;
  if (rimShare(top + h - rim, top + h) < 30) score -= 4;
  // The left and right rims over the rows.
  auto sideShare = [&](int32_t x0, int32_t x1) {
    int n = 0, hit = 0;
    for (int32_t y = top; y < top + h; ++y, ++n) {
      bool dark = false;
      for (int32_t c = x0; c < x1 && !dark; ++c) dark = img.Ink(c, y);
      hit += dark ? 1 : 0;
    }
    return n ? hit * 100 / n : 0;
  };
  const int need = inSpace ? 60 : 45;
  if (sideShare(x, x + rim) < need || sideShare(x + w - rim, x + w) < need) return -1;
  // A ring is no darker down its middle than down its sides, and it has a
  // hole. A line thickened by the scan fills the middle of a ring it runs
  // through: there the rows beside the line that cross the hole do.
  const int32_t third = std::max(1, w / 3);
  const int leftBand = BoxDarkness(img, x, top, x + third, top + h);
  const int middle = BoxDarkness(img, x + third, top, x + w - third, top + h);
  const int rightBand = BoxDarkness(img, x + w - third, top, x + w, top + h);
  const bool ring = middle * 4 <= leftBand * 5 && middle * 4 <= rightBand * 5 &&
                    BoxDarkness(img, x + third, top + h / 3, x + w - third, top + h - h / 3) < 60;
  if (!ring && !holeBesideLine) return -1;
  return score < 93 ? -1 : score;
}

// The semibreve: thick sides, a light middle column.
int SemibreveScore(const HeadImage& img, int32_t x, int32_t top, int32_t w, int32_t h, int32_t u, bool onLine) {
  if (w < 1.5 * u + 0.5) return -1;
  const int32_t c1 = x + w / 3, c2 = x + 2 * w / 3, my = top + h / 2;
  const int lt = BoxDarkness(img, x, top, c1, my), lb = BoxDarkness(img, x, my, c1, top + h);
  const int mt = BoxDarkness(img, c1, top, c2, my), mb = BoxDarkness(img, c1, my, c2, top + h);
  const int rt = BoxDarkness(img, c2, top, x + w, my), rb = BoxDarkness(img, c2, my, x + w, top + h);
  const int L = lt + lb, M = mt + mb, R = rt + rb;
  if (L < 60 || R < 60) return -1;
  int score = 100;
  if (L < 100) score = 96;
  if (R < 100) score -= 4;
  if (onLine) {
    if (M > L + 30) score -= 8;
    if (M > R + 30) score -= 8;
  } else {
    if (mt > 70) score -= 2;
    if (mb > 70) score -= 2;
    if (mt > 70 && mb > 70) score -= 2;
    if (M > L + 10) score -= 8;
    if (M > R + 10) score -= 8;
  }
  return score <= 92 ? -1 : score;
}

}  // namespace

HeadSearchState& CurrentHeadSearch() {
  static HeadSearchState state;
  return state;
}

const NotationDatabase*& NoteheadTemplates() {
  static const NotationDatabase* templates = nullptr;
  return templates;
}

int MatchNoteheadShape(const HeadImage& image, int32_t x, int32_t top, int32_t bottom, int32_t u,
                       int32_t lineThickness, int32_t p, bool leftOfX, HeadCandidate* table, const StaveRow* rows,
                       int count, int s, int32_t provisional, bool shortStave) {
  const StaveUnits& units = CurrentStaveUnits();
  const int32_t su = std::max(1, units.staveUnit), small = std::max(1, units.smallStaveUnit);
  const int32_t W = std::max<int32_t>(CurrentHeadSearch().headWidth, 2);
  u = std::max(u, 2);
  // 1. Nothing the engine already recognised; not too near the image's edges.
  // Of the engine's notes only the heads themselves count: a chord's event
  // box (its stem and all its heads) and the margins around its heads cover
  // the other heads of a chord of which the engine read only some.
  if (top < u + 1 || bottom >= image.height - u - 1 || x < 2 * u + 1 || x + W >= image.width - 2 * u - 1) return 0;
  if (!leftOfX &&
      FindObjectNearBox(rows, count, s, x, top + u / 4, x + u, bottom - u / 4, kSkipEventBoxes | kSkipNoteParts, 0) > 0)
    return 0;
  const StaveRow& row = rows[s];
  const bool onLine = !shortStave && (p % 2 == 0);
  const bool inSpace = !shortStave && (p % 2 != 0);
  const bool linePosition = IsLineStep(p, row) || IsLineStepAbove(p, row);

  // 2-3. The expected fill of a row through a head; the window's edges
  // moved to where the rows stop being that dark.
  const int f = std::clamp(static_cast<int>(1.5 * lineThickness * 100 / (W - 2 * su + 1)), 20, 100);
  const int32_t x0 = x + su, x1 = std::max(x + W - su, x0 + 1);
  const int32_t centre = (top + bottom) / 2;
  auto dark = [&](int32_t y) { return RowDarkness(image, y, x0, x1, small); };
  // A stave or ledger line at an edge neither grows nor holds the window:
  // the rows just inside it decide.
  auto refine = [&](int32_t edge, int32_t dir) {
    int32_t e = edge;
    if (dark(e) > 95) {
      if (dark(e - dir * small) >= f) return e;
      e -= dir * small;
    }
    if (dark(e) >= f) {
      while (std::abs(e + dir * small - edge) <= 2 * su && e + dir * small >= 0 && e + dir * small < image.height) {
        const int d = dark(e + dir * small);
        if (d < f || (d > 95 && linePosition)) break;
        e += dir * small;
      }
    } else {
      while ((dir < 0 ? e < centre : e > centre) && dark(e) < f) e -= dir * small;
    }
    return e;
  };
  const int32_t t = refine(top, -1);
  const int32_t b = refine(bottom, 1);

  // 4. Size tests.
  const int32_t h = b - t;
  if (h < 0.7 * u + 0.25) return 0;
  if (h <= lineThickness) return 0;
  if (std::abs((t + b) / 2 - centre) * 3 >= h) return 0;
  if (onLine) {
    const int32_t margin = std::max(1, u / 4);
    if (centre - t <= margin || b - centre <= margin) return 0;
  }

  // The head's columns: outward from the window's middle while a column
  // holds ink off the lines in its inner rows. The classes judge that box.
  int32_t inner[64];
  int rowsUsed = 0;
  // (a ring's thin arcs may lie just outside the refined rows)
  for (int32_t y = t - su; y <= b + su && rowsUsed < 64; ++y)
    if (RowDarkness(image, y, x, x + W, 1) <= 95) inner[rowsUsed++] = y;
  // More ink than a line's thickness, or ink both above and below the
  // middle (the arcs of a ring): a ledger or stave line alone is no head.
  const int need = std::max<int32_t>(2, lineThickness + 2);
  const int32_t middleRow = (t + b) / 2;
  auto inkColumn = [&](int32_t c) {
    int n = 0;
    bool above = false, below = false;
    for (int i = 0; i < rowsUsed; ++i) {
      if (!image.Ink(c, inner[i])) continue;
      ++n;
      if (inner[i] < middleRow) above = true;
      if (inner[i] > middleRow) below = true;
    }
    return n >= need || (above && below);
  };
  const int32_t mid = x + W / 2;
  int32_t l = mid, r = mid;
  while (l - 1 >= x - u && inkColumn(l - 1)) --l;
  while (r < x + W + u && inkColumn(r)) ++r;
  const int32_t w = r - l;
  if (w < W - small) return 0;

  // 5-7. The classes.
  int scores[3] = {-1, -1, -1};
  const int solid = SolidScore(image, l, t, w, h, onLine);
  // Paper between ink beside a line through the head is a ring's hole: no
  // solid head, however well its outline matches.
  const bool holeBesideLine = HoleBesideLine(image, l, t, w, h);
  if (solid >= kAcceptedHeadScore && !holeBesideLine) scores[kSolidHeadClass] = solid;
  scores[kHollowHeadClass] = HollowScore(image, l, t, w, h, u, inSpace, small, holeBesideLine);
  scores[kSemibreveClass] = SemibreveScore(image, l, t, w, h, u, onLine);
  bool any = false;
  for (int c = 0; c < 3; ++c) {
    if (scores[c] < 0) continue;
    any = true;
    HeadCandidate& e = table[c];
    int score = scores[c];
    if (h < 0.8 * u) score = 0;
    if (score > e.score || (score == e.score && score > 0 && w <= e.right - e.left)) {
      e.top = t;
      e.bottom = b;
      e.left = l;
      e.right = r;
      e.score = score;
      e.flag = provisional;
    }
  }
  return any ? 1 : 0;
}

int32_t FindNoteKindInBox(const NoteRecord* notes, uint32_t count, int32_t x0, int32_t x1, int32_t y0, int32_t y1,
                          int32_t ignore, int32_t* maxStem, int32_t* maxOverlap) {
  int32_t best = -1;
  if (maxStem) *maxStem = 0;
  if (maxOverlap) *maxOverlap = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const NoteRecord& r = notes[i];
    if (static_cast<int32_t>(i) == ignore || !IsCertain(r)) continue;
    if (r.right < x0 || r.left > x1 || r.top + r.space < y0 || r.top > y1) continue;
    if (best < 0 || static_cast<int32_t>(r.kind) < best) best = static_cast<int32_t>(r.kind);
    if (maxStem)
      for (int k = 0; k < 4; ++k) *maxStem = std::max<int32_t>(*maxStem, r.stemLength[k]);
    if (maxOverlap) {
      int32_t n = 0;
      for (uint32_t j = 0; j < count; ++j)
        if (IsCertain(notes[j]) && notes[j].kind == r.kind && notes[j].stave == r.stave &&
            notes[j].left < r.right && notes[j].right > r.left)
          ++n;
      *maxOverlap = std::max(*maxOverlap, n);
    }
  }
  return best;
}

int ScanStemColumn(const HeadImage& image, int32_t x, int32_t y, int32_t w, int32_t k, int32_t* position,
                   int32_t previous, bool solidNeighbour, bool firstStep) {
  const int32_t su = std::max(1, CurrentStaveUnits().staveUnit);
  const int32_t middle = w / 2;
  const int32_t reach = solidNeighbour ? 2 * su : su;
  const int32_t lightLimit = firstStep ? k * 8 / 10 : k * 4 / 10;
  bool anyDark = false;
  int32_t best = -1;
  int32_t firstStem = -1, lastStem = -1;
  bool lightBefore = false, lightAfter = false;
  for (int32_t c = 0; c <= w; ++c) {
    const int32_t cx = x + c;
    int32_t plain = 0, measure = 0, run = 0, longest = 0;
    for (int32_t yy = y; yy < y + k; ++yy) {
      const bool ink = image.Ink(cx, yy);
      plain += ink ? 1 : 0;
      const bool counts = ink || image.Ink(cx - 1, yy) || image.Ink(cx + 1, yy);
      measure += counts ? 1 : 0;
      run = counts ? 0 : run + 1;
      longest = std::max(longest, run);
    }
    if (measure * 10 >= k * 4) anyDark = true;
    const bool broken = longest * 10 >= k * 3;
    const bool stem = !broken && measure * 10 >= k * 4 && std::abs(c - middle) <= reach &&
                      (previous < 0 || std::abs(c - previous) <= su);
    if (stem) {
      if (firstStem < 0) firstStem = c;
      lastStem = c;
      if (best < 0 || std::abs(c - middle) < std::abs(best - middle)) best = c;
    } else if (plain < lightLimit) {
      if (firstStem < 0) lightBefore = true;
      else lightAfter = true;
    }
  }
  if (!anyDark) return -1;
  if (best < 0) return 0;
  *position = best;
  (void)lastStem;
  return lightBefore && lightAfter ? 1 : 2;
}

void MeasureStem(const HeadImage& image, int32_t x, int32_t y, int32_t w, int32_t k, int32_t headEdge,
                 int16_t* length, int16_t* offset, const NoteRecord* notes, uint32_t count, int32_t ignore,
                 bool solidNeighbour, int side, int direction) {
  *length = 0;
  *offset = 0;
  k = std::max(k, 2);
  const int32_t dir = direction == 0 ? -1 : 1;
  int32_t at = y;  // the near end of the stretch being examined
  int32_t previous = -1;
  int64_t positionSum = 0;
  int32_t found = 0, steps = 0, misses = 0;
  for (; steps < 126; ++steps) {
    const int32_t y0 = dir < 0 ? at - k : at;
    if (y0 < 0 || y0 + k > image.height) break;
    int32_t position = -1;
    const int r = ScanStemColumn(image, x, y0, w, k, &position, previous, solidNeighbour, steps == 0);
    if (r == -1 && steps > 0) break;
    if (r <= 0) {
      if (++misses >= 2) break;
      at += dir * k / 2;
      continue;
    }
    misses = 0;
    previous = position;
    positionSum += position;
    ++found;
    // Another head in the stretch ends the stem's own part of the walk.
    const bool head = FindNoteKindInBox(notes, count, x, x + w, y0, y0 + k, ignore) >= 0;
    at += dir * (r == 2 && !head ? k / 2 : k);
  }
  if (found == 0) return;
  const int32_t column = x + static_cast<int32_t>(positionSum / found);
  // Follow the stem row by row from the start.
  int32_t yy = y;
  int32_t end = yy, gap = 0, dark = 0, examined = 0;
  const int32_t limit = (steps + 1) * k;
  const int32_t reach = 2;
  for (int32_t n = 0; n < limit; ++n, yy += dir) {
    if (yy < 0 || yy >= image.height) break;
    bool ink = false;
    for (int32_t c = column - reach; c <= column + reach && !ink; ++c) ink = image.Ink(c, yy);
    ++examined;
    if (ink) {
      ++dark;
      gap = 0;
      end = yy;
    } else if (++gap > k * 3 / 4) {
      break;
    }
  }
  const int32_t covered = std::abs(end - y);
  if (dark * 2 < examined - gap || dark < k - k / 8 || covered < k - k / 8) return;
  const double space = std::max(1.0, CurrentHeadSearch().space);
  const int32_t fromHead = std::abs(end - headEdge);
  const int32_t spaces = static_cast<int32_t>(fromHead / space + 0.5);
  const int32_t measure = side == 0 ? column - x : x + w - column;
  *length = static_cast<int16_t>(std::min(spaces, 126));
  *offset = static_cast<int16_t>(std::clamp(measure, 0, 255) | (std::min(spaces + 1, 127) << 8));
}

void MeasureStems(const HeadImage& image, NoteRecord* notes, uint32_t count, const StaveRow* rows, int rowCount,
                  int groupStart, uint32_t first, StavePage& page) {
  for (uint32_t i = first; i < count; ++i) {
    NoteRecord& r = notes[i];
    if (!IsLive(r) || !(r.kind < kNoteBreve || r.kind == kNoteTabNumber)) continue;
    if (r.origin >= kEngineOrigin && r.kind != kNoteSemibreve) continue;
    const int s = FindStaveInGroup(rows, rowCount, groupStart, r.stave);
    if (s < 0) continue;  // a stave not in the group: nothing to measure against
    SetStaveUnits(rows, s, page.resolution);
    const StaveUnits units = CurrentStaveUnits();
    const double S = InterlineSpacing(rows, rowCount, s, page);
    CurrentHeadSearch().space = S;
    const int32_t U = units.staveUnit * kStemUnitFactor;
    const int32_t iS = static_cast<int32_t>(S), twoS = static_cast<int32_t>(2 * S);
    bool leftSolid = false, rightSolid = false;
    if (r.kind < kNoteMinim || r.kind == kNoteTabNumber) {
      const int32_t y0 = r.top - twoS, y1 = r.top + static_cast<int32_t>(4 * S);
      const int32_t kl = FindNoteKindInBox(notes, count, r.left - twoS, r.left - 2 * units.staveUnit, y0, y1, i);
      const int32_t kr = FindNoteKindInBox(notes, count, r.right + 2 * units.staveUnit, r.right + twoS, y0, y1, i);
      leftSolid = kl >= 0 && kl <= static_cast<int32_t>(kNoteCrotchet);
      rightSolid = kr >= 0 && kr <= static_cast<int32_t>(kNoteCrotchet);
    }
    const int32_t k = std::max(2, twoS);
    MeasureStem(image, r.left - U, r.top - iS, 2 * U, k, r.top, &r.stemLength[0], &r.stemOffset[0], notes, count,
                i, leftSolid, 0, 0);
    MeasureStem(image, r.right - U, r.top - iS, 2 * U, k, r.top, &r.stemLength[1], &r.stemOffset[1], notes, count,
                i, rightSolid, 1, 0);
    MeasureStem(image, r.left - U, r.top + iS, 2 * U, k, r.bottom, &r.stemLength[2], &r.stemOffset[2], notes,
                count, i, leftSolid, 0, 1);
    MeasureStem(image, r.right - U, r.top + iS, 2 * U, k, r.bottom, &r.stemLength[3], &r.stemOffset[3], notes,
                count, i, rightSolid, 1, 1);
    for (int slot = 0; slot < 4; ++slot)
      if ((r.stemOffset[slot] & 0xFF) < 2 * units.staveUnit) {
        r.stemLength[slot] = 0;  // too near the window's outer edge: no stem of this head
        r.stemOffset[slot] = static_cast<int16_t>(r.stemOffset[slot] & 0xFF);
      }
  }
}

namespace {

// Deletes record i and keeps the walk's index j on the same record.
void Remove(NoteRecord* notes, uint32_t& count, uint32_t i, uint32_t& j) {
  DeleteNoteRecord(notes, count, i);
  if (i < j) --j;
}

bool SameHeadType(const NoteRecord& a, const NoteRecord& b) { return IsSolid(a) == IsSolid(b); }

}  // namespace

void CleanFoundNoteheads(const HeadImage& image, NoteRecord* notes, uint32_t& count, const StaveRow* rows,
                         int rowCount, int groupStart, double halfSpace, uint32_t first, StavePage& page) {
  const int32_t S = static_cast<int32_t>(2 * halfSpace);
  const int32_t t = S / 3, t2 = S / 2;

  // 1. A head sticking out on both sides beyond a head of its kind on each.
  for (uint32_t i = first; i < count; ++i) {
    NoteRecord& a = notes[i];
    if (!IsCertain(a)) continue;
    bool leftOut = false, rightOut = false;
    for (uint32_t j = first; j < count; ++j) {
      const NoteRecord& b = notes[j];
      if (j == i || !IsCertain(b) || b.kind != a.kind || b.stave != a.stave) continue;
      const bool vertical = b.step == a.step || (b.top < a.bottom + t && b.bottom > a.top - t &&
                                                 std::abs(b.top - a.top) <= t);
      if (!vertical) continue;
      if (b.right > a.right + t && b.left >= a.left) rightOut = true;
      if (b.left < a.left - t && b.right <= a.right) leftOut = true;
    }
    if (leftOut && rightOut) a.quality = static_cast<int16_t>(a.quality - 256);
  }
  for (uint32_t i = first; i < count;) {
    if (notes[i].quality < -200) DeleteNoteRecord(notes, count, i);
    else ++i;
  }

  // 2. One parity in a chord column.
  for (uint32_t i = first; i < count; ++i) {
    const NoteRecord& a = notes[i];
    if (!IsCertain(a)) continue;
    int32_t lo = a.step, hi = a.step;
    uint32_t loAt = i, hiAt = i;
    for (bool grew = true; grew;) {
      grew = false;
      for (uint32_t j = first; j < count; ++j) {
        const NoteRecord& b = notes[j];
        if (!IsCertain(b) || b.kind != a.kind || b.stave != a.stave) continue;
        if (std::abs(b.left - a.left) > t2 || std::abs(b.right - a.right) > t2) continue;
        if (b.step < lo && b.step >= lo - 2) { lo = b.step; loAt = j; grew = true; }
        if (b.step > hi && b.step <= hi + 2) { hi = b.step; hiAt = j; grew = true; }
      }
    }
    if (((lo ^ hi) & 1) == 0) continue;
    const NoteRecord& low = notes[loAt];
    const NoteRecord& high = notes[hiAt];
    int keepParity;
    if (std::abs(low.confidence - high.confidence) > 1) keepParity = (low.confidence > high.confidence ? lo : hi) & 1;
    else {
      const int32_t la = Width(low) * (low.bottom - low.top), ha = Width(high) * (high.bottom - high.top);
      keepParity = (la >= ha ? lo : hi) & 1;
    }
    const NoteRecord anchor = a;
    for (uint32_t j = first; j < count;) {
      const NoteRecord& b = notes[j];
      if (IsCertain(b) && b.kind == anchor.kind && b.stave == anchor.stave && b.step >= lo && b.step <= hi &&
          (b.step & 1) != keepParity && std::abs(b.left - anchor.left) <= t2 &&
          std::abs(b.right - anchor.right) <= t2) {
        Remove(notes, count, j, i);
        continue;
      }
      ++j;
    }
  }

  // 3. A head between heads of the other type one step above and below.
  for (bool changed = true; changed;) {
    changed = false;
    for (uint32_t i = first; i < count; ++i) {
      const NoteRecord& a = notes[i];
      if (!IsLive(a)) continue;
      bool above = false, below = false, sameAbove = false, sameBelow = false;
      for (uint32_t j = first; j < count; ++j) {
        const NoteRecord& b = notes[j];
        if (j == i || !IsLive(b) || b.uncertain != a.uncertain || b.stave != a.stave) continue;
        if (b.right <= a.left || b.left >= a.right) continue;
        const int d = b.step - a.step;
        if (!SameHeadType(a, b)) {
          if (d == 1) above = true;
          if (d == -1) below = true;
        } else {
          if (d == 2) sameAbove = true;
          if (d == -2) sameBelow = true;
        }
      }
      if (above && below && !(sameAbove && sameBelow)) {
        DeleteNoteRecord(notes, count, i);
        changed = true;
        break;
      }
    }
  }

  // 4. Two heads at one place: equal steps first, then steps one apart.
  for (int round = 0; round < 2; ++round) {
    for (uint32_t i = first; i < count; ++i) {
      for (uint32_t j = i + 1; j < count;) {
        const NoteRecord& a = notes[i];
        const NoteRecord& b = notes[j];
        const bool candidates = IsCertain(a) && IsCertain(b) && a.stave == b.stave && a.step >= 11 &&
                                a.step <= 21 && b.step >= 11 && b.step <= 21 &&
                                (round == 0 ? a.step == b.step : std::abs(a.step - b.step) <= 1);
        if (!candidates) {
          ++j;
          continue;
        }
        const int32_t q = std::max((Width(a) + Width(b)) / 4, 2 * S / 3);
        const bool lefts = std::abs(a.left - b.left) < q, rights = std::abs(a.right - b.right) < q;
        if (!(round == 0 ? (lefts || rights) : (lefts && rights))) {
          ++j;
          continue;
        }
        // The solid head beats a semibreve or breve; else the more
        // confident, at equal confidence the wider (the earlier at equal width).
        bool deleteB;
        if (IsSolid(a) && IsLong(b)) deleteB = true;
        else if (IsLong(a) && IsSolid(b)) deleteB = false;
        else deleteB = b.confidence < a.confidence || (b.confidence == a.confidence && Width(b) <= Width(a));
        if (deleteB) {
          DeleteNoteRecord(notes, count, j);
          continue;
        }
        DeleteNoteRecord(notes, count, i);
        j = i + 1;
        if (i >= count) break;
      }
    }
  }

  // 5. The stems.
  MeasureStems(image, notes, count, rows, rowCount, groupStart, first, page);

  // 6. A stemless head right beside a stemmed one a step away.
  for (uint32_t i = first; i < count;) {
    const NoteRecord& a = notes[i];
    const int16_t longest = std::max({a.stemLength[0], a.stemLength[1], a.stemLength[2], a.stemLength[3]});
    const bool stemless = IsCertain(a) && ((a.kind == kNoteMinim && longest < 3) || (a.kind < kNoteMinim && longest < 2));
    bool beside = false;
    for (uint32_t j = 0; j < count && stemless && !beside; ++j) {
      const NoteRecord& b = notes[j];
      if (j == i || !IsLive(b) || b.kind > kNoteMinim || b.stave != a.stave || std::abs(b.step - a.step) > 1) continue;
      const int16_t bl = std::max({b.stemLength[0], b.stemLength[1], b.stemLength[2], b.stemLength[3]});
      beside = b.left > a.right && b.left - a.right < 2 * S && bl >= 3;
    }
    if (beside) DeleteNoteRecord(notes, count, i);
    else ++i;
  }
}
