#include "stages/SlursTiesHairpins.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>

#include "pages/PageData.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "reading/StaveSpacing.h"
#include "stages/CurveTracing.h"
#include "reading/ObjectSearch.h"
#include "reading/ReadingThread.h"
#include "reading/RecognitionRecords.h"
#include "stages/EngineCurves.h"
#include "stages/NoteValueAssignment.h"
#include "stages/StemCandidates.h"

static_assert(sizeof(CurveItem) == kCurveAItemBytes, "list A holds curve items");
static_assert(sizeof(LineItem) == kCurveBItemBytes, "list B holds line items");

namespace {

constexpr unsigned kTextNoMemoryToReadPage = 10024;
constexpr int kGroupStaveSlots = 13;

bool Live(const NoteRecord& note) { return note.quality < kRejectedQuality; }

int32_t Spacing(const CurveNotePage& page, int s) {
  return RoundedInterlineSpacing(page.rows, page.staveCount, s, *page.geometry);
}

bool AddMark(NoteRecord& note, uint16_t kind, uint32_t index) {
  if (note.appenditureCount < 0 || note.appenditureCount >= kMaxAppenditures) return false;
  Appenditure item{};
  item.kind = kind;
  item.stave = note.stave;
  item.markIndex = index;
  note.appenditures[note.appenditureCount++] = item;
  return true;
}

void RemoveAppenditure(NoteRecord& note, int index) {
  for (int k = index; k + 1 < note.appenditureCount; ++k) note.appenditures[k] = note.appenditures[k + 1];
  --note.appenditureCount;
}

}  // namespace

// ---- Dots under engine curves ----

namespace {

struct DotBoxes {
  int32_t left, top, right, bottom;
};

DotBoxes DotBoxOf(const NoteRecord& note, int32_t sp) {
  DotBoxes box{note.right, note.top, note.right + sp, note.bottom};
  for (int k = 0; k < note.appenditureCount && k < kMaxAppenditures; ++k) {
    const Appenditure& item = note.appenditures[k];
    if (item.kind < 32 || item.kind > 34) continue;
    box.left = item.left;
    box.right = item.right;
    box.top = std::max<int32_t>(box.top, item.top);
    box.bottom = std::min<int32_t>(box.bottom, item.bottom);
    break;
  }
  return box;
}

// What the engine's curves take from one note: -1 all dots, 1 one dot, 0 none.
// Crossed kind-149 items are removed.
int CrossedDots(int group, NoteRecord& note, const DotBoxes& box, int32_t sp) {
  int taken = 0;
  if (note.dots > 0 && box.bottom >= box.top) {
    if (EngineSlurCrosses(group, box.left, box.top, box.left + sp / 2, box.bottom))
      taken = -1;
    else if (EngineSlurCrosses(group, box.left, box.top, box.right, box.bottom))
      taken = 1;
  }
  for (int k = 0; k < note.appenditureCount && k < kMaxAppenditures;) {
    const Appenditure& item = note.appenditures[k];
    if (item.kind == 149 &&
        EngineSlurCrosses(group, item.left - sp / 4, item.top, item.right + sp / 4, item.bottom)) {
      RemoveAppenditure(note, k);
      continue;
    }
    ++k;
  }
  return taken;
}

void TakeDots(NoteRecord& note, int taken) {
  if (taken < 0) note.dots = 0;
  if (taken > 0 && note.dots > 0) --note.dots;
}

}  // namespace

void DropDotsOnEngineSlurs(const CurveNotePage& page, int staveIndex) {
  const int group = page.rows[staveIndex].group;
  if (!EngineHasCurves(group)) return;
  const int16_t number = static_cast<int16_t>(page.rows[staveIndex].number - 1);
  const int32_t sp = Spacing(page, staveIndex);
  for (uint32_t i = 0; i < page.noteCount; ++i) {
    NoteRecord& note = page.notes[i];
    if (note.quality > 5 || note.stave != number) continue;
    const DotBoxes box = DotBoxOf(note, sp);
    const int taken = CrossedDots(group, note, box, sp);
    if (taken == 0) continue;
    TakeDots(note, taken);
    // The notes that share the stem lose their dots the same way.
    for (uint32_t j = 0; j < page.noteCount; ++j) {
      if (j == i || page.notes[j].stave != number || page.notes[j].quality > 5) continue;
      if (AreStemPartners(page.notes, i, j)) TakeDots(page.notes[j], taken);
    }
  }
}

// ---- Curves to notes ----

namespace {

struct EndChoice {
  int note = -1;
  int32_t dy = 0;
  int32_t d = 0;
};

struct StaveSlot {
  EndChoice start, end;
};

// How far the neighbouring stave's live notes under the curve (two spaces
// either side) reach towards this stave: their lowest bottom when the
// neighbour lies above, their highest top when below; the neighbour's own
// edge when none stands there.
int32_t NeighbourNotesReach(const CurveNotePage& page, const StaveRow& neighbour, const CurveItem& curve,
                            int32_t sp, bool neighbourAbove) {
  int32_t limit = neighbourAbove ? neighbour.bottom : neighbour.top;
  bool found = false;
  for (uint32_t i = 0; i < page.noteCount; ++i) {
    const NoteRecord& n = page.notes[i];
    if (n.quality > 5 || n.stave != neighbour.number - 1) continue;
    if (n.right < curve.x0 - 2 * sp || n.left > curve.x1 + 2 * sp) continue;
    int32_t t, b;
    NoteReach(n, sp, &t, &b);
    if (neighbourAbove)
      limit = found ? std::max(limit, b) : b;
    else
      limit = found ? std::min(limit, t) : t;
    found = true;
  }
  return limit;
}

}  // namespace

void AttachCurvesToNotes(const CurveNotePage& page, const CurveItem* curves, uint32_t fromIndex,
                         uint32_t curveCount, int staveIndex, int32_t halfSpace) {
  const StaveRow* rows = page.rows;
  const int group = rows[staveIndex].group;
  const int16_t number = static_cast<int16_t>(rows[staveIndex].number - 1);
  const int32_t sp = 2 * halfSpace;
  const int above = staveIndex > 0 && rows[staveIndex - 1].group == group ? staveIndex - 1 : -1;
  const int below = staveIndex + 1 < page.staveCount && rows[staveIndex + 1].group == group ? staveIndex + 1 : -1;

  for (uint32_t c = fromIndex; c < curveCount; ++c) {
    const CurveItem& curve = curves[c];
    if (curve.apexPos == kCurveDiscarded) continue;
    int32_t apexX, apexY;
    CurveApex(curve, &apexX, &apexY);
    const bool over = apexY < (curve.y0 + curve.y1) / 2;
    const int32_t ys[3] = {curve.y0, curve.y1, apexY};
    const int32_t highest = std::min({ys[0], ys[1], ys[2]}), lowest = std::max({ys[0], ys[1], ys[2]});

    // The curve must stay on this stave's side of its neighbour's notes.
    const StaveRow& own = rows[staveIndex];
    bool fits;
    if (over) {
      fits = lowest <= own.bottom;
      if (fits && above >= 0) fits = highest > NeighbourNotesReach(page, rows[above], curve, sp, true);
    } else {
      fits = highest >= own.top;
      if (fits && below >= 0) fits = lowest < NeighbourNotesReach(page, rows[below], curve, sp, false);
    }
    if (!fits) continue;

    StaveSlot slots[kGroupStaveSlots];
    for (uint32_t i = 0; i < page.noteCount; ++i) {
      const NoteRecord& n = page.notes[i];
      if (n.quality > 5 || n.stave != number || n.stave < 0 || n.stave >= kGroupStaveSlots) continue;
      if (FindStaveInGroup(rows, page.staveCount, page.firstStave, n.stave) < 0) continue;
      int32_t top, bottom;
      NoteReach(n, sp, &top, &bottom);
      const int32_t middle = (top + bottom) / 2, centre = (n.left + n.right) / 2;
      auto distance = [&](int32_t x, int32_t y, bool startEnd, EndChoice* choice) {
        int32_t dx = startEnd ? (x >= centre ? x - n.right : n.left - x) : (x <= centre ? n.left - x : x - n.right);
        int32_t dy = y < middle ? top - y : y - bottom;
        dx = std::max(0, dx);
        dy = std::max(0, dy);
        choice->dy = dy;
        choice->d = static_cast<int32_t>(std::lround(std::sqrt(double(dx) * dx + double(dy) * dy)));
        return dx;
      };
      StaveSlot& slot = slots[n.stave];
      // A curve starts in its left half and ends in its right half: a slur
      // kept high over a falling line ends above its last note, nearer in a
      // straight line to the note it started from.
      const int32_t curveMiddle = (curve.x0 + curve.x1) / 2;
      const bool startReach = over ? bottom >= curve.y0 : top <= curve.y0;
      if (n.right >= curve.x0 - 2 * sp && startReach && centre < curveMiddle) {
        EndChoice e;
        e.note = static_cast<int>(i);
        const int32_t dx = distance(curve.x0, curve.y0, true, &e);
        if (slot.start.note < 0 || (dx == 0 && e.dy < slot.start.dy) || e.d < slot.start.d) slot.start = e;
      }
      const bool endReach = over ? bottom >= curve.y1 : top <= curve.y1;
      if (n.left <= curve.x1 + 2 * sp && endReach && centre > curveMiddle) {
        EndChoice e;
        e.note = static_cast<int>(i);
        const int32_t dx = distance(curve.x1, curve.y1, false, &e);
        if (slot.end.note < 0 || (dx == 0 && e.dy < slot.end.dy) || e.d < slot.end.d) slot.end = e;
      }
    }

    int best = -1;
    for (int k = 0; k < kGroupStaveSlots; ++k) {
      const StaveSlot& s = slots[k];
      if (s.start.note < 0 || s.end.note < 0 || s.start.note == s.end.note) continue;
      if (best < 0 || s.start.d + s.end.d < slots[best].start.d + slots[best].end.d) best = k;
    }
    int startNote = -1, endNote = -1;
    if (best >= 0) {
      startNote = slots[best].start.note;
      endNote = slots[best].end.note;
      if (page.notes[endNote].left <= page.notes[startNote].right) continue;
    } else {
      int single = -1;
      for (int k = 0; k < kGroupStaveSlots; ++k)
        if (slots[k].start.note >= 0 && (single < 0 || slots[k].start.d < slots[single].start.d)) single = k;
      if (single < 0) continue;
      const NoteRecord& n = page.notes[slots[single].start.note];
      const int32_t reach = n.right + (n.right - n.left) / 2;
      bool later = false;
      for (uint32_t i = 0; i < page.noteCount && !later; ++i)
        later = page.notes[i].quality <= 5 && page.notes[i].stave == n.stave && page.notes[i].right > reach;
      if (later || curve.x1 <= n.right) continue;
      startNote = endNote = slots[single].start.note;
    }

    NoteRecord& first = page.notes[startNote];
    NoteRecord& last = page.notes[endNote];
    if (first.appenditureCount >= kMaxAppenditures || last.appenditureCount >= kMaxAppenditures) continue;
    // A second curve between the same two notes is left unattached.
    bool repeated = false;
    for (int a = 0; a < first.appenditureCount && !repeated; ++a) {
      const Appenditure& s = first.appenditures[a];
      if (s.kind != kMarkCurveStarts && s.kind != kMarkCurveStartsAndEnds) continue;
      for (int b = 0; b < last.appenditureCount && !repeated; ++b) {
        const Appenditure& e = last.appenditures[b];
        repeated = (e.kind == kMarkCurveEnds || e.kind == kMarkCurveStartsAndEnds) && e.markIndex == s.markIndex;
      }
    }
    if (repeated) continue;
    if (startNote == endNote) {
      AddMark(first, kMarkCurveStartsAndEnds, c);
    } else {
      AddMark(first, kMarkCurveStarts, c);
      AddMark(last, kMarkCurveEnds, c);
    }
  }
}

// ---- Hairpins ----

namespace {

int Sense(const LineItem& l) { return l.y1 > l.y0 ? 1 : l.y1 < l.y0 ? -1 : 0; }
bool Marked(const LineItem& l) { return (l.lineFlags & kLineInHairpin) != 0; }

// Whether a beamed short note's flag zone meets the line's box.
bool CrossedByBeams(const CurveNotePage& page, const LineItem& l) {
  return page.beamsInBox &&
         page.beamsInBox(page.notes, page.noteCount, l.x0, std::min(l.y0, l.y1), l.x1, std::max(l.y0, l.y1));
}

// The staves a hairpin at mid height belongs to: the nearest row (which must
// be of the group) and, near the middle of a gap, the other row beside it.
int HairpinStaves(const CurveNotePage& page, int32_t mid, int* second) {
  *second = -1;
  const StaveRow* rows = page.rows;
  const int group = rows[page.firstStave].group;
  int nearest = -1;
  int32_t nearestDistance = 0;
  for (int r = 0; r < page.staveCount; ++r) {
    const int32_t d = std::abs(mid - (rows[r].top + rows[r].bottom) / 2);
    if (nearest < 0 || d <= nearestDistance) {
      nearest = r;
      nearestDistance = d;
    }
  }
  if (nearest < 0 || rows[nearest].group != group) return -1;
  int other = -1;
  int32_t otherDistance = 0;
  for (int r = page.firstStave; r < page.staveCount && rows[r].group == group; ++r) {
    if (r == nearest) continue;
    const int32_t d = std::abs(mid - (rows[r].top + rows[r].bottom) / 2);
    if (other < 0 || d < otherDistance) {
      other = r;
      otherDistance = d;
    }
  }
  if (other >= 0) {
    const StaveRow& upper = rows[std::min(nearest, other)];
    const StaveRow& lower = rows[std::max(nearest, other)];
    const int32_t gap = (upper.bottom + lower.top) / 2;
    const int32_t centres = std::abs((lower.top + lower.bottom) / 2 - (upper.top + upper.bottom) / 2);
    if (std::abs(mid - gap) <= nearestDistance && (otherDistance - nearestDistance) * 8 < centres) *second = other;
  }
  return nearest;
}

}  // namespace

void PairHairpinLines(const CurveNotePage& page, LineItem* lines, uint32_t fromIndex, uint32_t firstOwn,
                      uint32_t lineCount, int32_t f, int dpi) {
  // Broken lines are joined first.
  for (uint32_t i = fromIndex; i < lineCount; ++i) {
    LineItem& a = lines[i];
    if (Marked(a)) continue;
    for (uint32_t j = fromIndex; j < lineCount; ++j) {
      LineItem& b = lines[j];
      if (j == i || Marked(b)) continue;
      const int sa = Sense(a), sb = Sense(b);
      if (sa != 0 && sb != 0 && sa != sb) continue;
      if (b.x0 >= a.x1 && b.x0 - a.x1 < 4 * f && std::abs(a.y1 - b.y0) < 4 * f) {
        a.x1 = b.x1;
        a.y1 = b.y1;
      } else if (b.x1 < a.x0 && a.x0 - b.x1 <= 4 * f && std::abs(a.y0 - b.y1) < 4 * f) {
        a.x0 = b.x0;
        a.y0 = b.y0;
      } else if (b.x0 <= a.x1 && b.x1 >= a.x0 && std::min(b.y0, b.y1) <= std::max(a.y0, a.y1) &&
                 std::max(b.y0, b.y1) >= std::min(a.y0, a.y1)) {
        if (b.x0 < a.x0) {
          a.x0 = b.x0;
          a.y0 = b.y0;
        }
        if (b.x1 > a.x1) {
          a.x1 = b.x1;
          a.y1 = b.y1;
        }
      } else {
        continue;
      }
      b.lineFlags |= kLineInHairpin;
    }
  }

  // Then pairs: two lines sharing one end and opening at the other.
  for (uint32_t i = fromIndex; i < lineCount; ++i) {
    LineItem& a = lines[i];
    if (Marked(a) || (i >= firstOwn && CrossedByBeams(page, a))) continue;
    const int32_t tol = std::max(2 * f, (a.x1 - a.x0) / 10);
    for (uint32_t j = fromIndex; j < lineCount; ++j) {
      LineItem& b = lines[j];
      if (j == i || Marked(b) || (j >= firstOwn && CrossedByBeams(page, b))) continue;
      if (std::abs(b.x0 - a.x0) > tol || std::abs(b.x1 - a.x1) > tol) continue;
      int32_t half, y0 = a.y0, y1 = a.y1;
      bool opensRight;
      const int32_t d0 = std::abs(b.y0 - a.y0), d1 = std::abs(b.y1 - a.y1);
      if (d0 <= 6 * f && d1 >= d0 + 4 * f && d1 <= 40 * f) {
        half = d1 / 2;
        y1 = (a.y1 + b.y1) / 2;
        opensRight = true;
      } else if (d1 <= 6 * f && d0 >= d1 + 4 * f && d0 <= 40 * f) {
        half = d0 / 2;
        y0 = (a.y0 + b.y0) / 2;
        opensRight = false;
      } else {
        continue;
      }
      // The pair stands only when it opens wide enough, clears the hairpins
      // found before and is long enough for its slope.
      if (half <= dpi / 50) continue;
      if ((a.x1 - a.x0) * 2 < std::abs(y1 - y0) * 3) continue;
      bool clash = false;
      for (uint32_t k = 0; k < lineCount && !clash; ++k) {
        const LineItem& h = lines[k];
        if (k == i || h.halfOpening == 0 || h.x0 > a.x1 || h.x1 < a.x0) continue;
        const int32_t hTop = std::min(h.y0, h.y1) - h.halfOpening, hBottom = std::max(h.y0, h.y1) + h.halfOpening;
        const int32_t top = std::min(y0, y1) - half, bottom = std::max(y0, y1) + half;
        clash = top <= hBottom && bottom >= hTop;
      }
      if (clash) continue;

      int second;
      const int nearest = HairpinStaves(page, (y0 + y1) / 2, &second);
      if (nearest < 0) continue;
      int chosen = -1;
      for (uint32_t n = 0; n < page.noteCount; ++n) {
        const NoteRecord& note = page.notes[n];
        if (!Live(note) || note.appenditureCount >= kMaxAppenditures) continue;
        if (note.stave != page.rows[nearest].number - 1 && (second < 0 || note.stave != page.rows[second].number - 1))
          continue;
        if ((note.right - note.left) * 2 > a.x1 - a.x0) continue;
        if (chosen < 0 || std::abs(note.left - a.x0) < std::abs(page.notes[chosen].left - a.x0)) chosen = int(n);
      }
      if (chosen < 0) continue;
      NoteRecord& note = page.notes[chosen];
      const int row = FindStaveInGroup(page.rows, page.staveCount, page.firstStave, note.stave);
      AddMark(note, opensRight ? kMarkHairpinOpensRight : kMarkHairpinOpensLeft, i);
      a.halfOpening = static_cast<int8_t>(std::min(half, 127));
      a.y0 = static_cast<int16_t>(y0);
      a.y1 = static_cast<int16_t>(y1);
      a.lineFlags |= kLineInHairpin;
      b.lineFlags |= kLineInHairpin;
      if (row >= 0) a.staveMidY = (page.rows[row].top + page.rows[row].bottom) / 2;
      break;
    }
  }
}

// ---- The stage ----

namespace {

// The staves' outer boxes the reading thread measured, or measured here for
// a caller that has none.
const StaveBoxes& OuterBoxes(const StageContext& context, StaveBoxes* own) {
  if (context.staveBoxes && context.staveBoxes->count == context.staveCount) return *context.staveBoxes;
  MeasureStaveBoxes(context.rows, context.staveCount, own);
  return *own;
}


// What the engine recognised near a box on stave row s.
int32_t EngineObjectNear(const StaveRow* rows, int count, int s, int32_t left, int32_t top, int32_t right,
                         int32_t bottom, uint32_t mask) {
  return FindObjectNearBox(rows, count, s, left, top, right, bottom, mask, 0);
}

// Beamed short notes whose flag zone meets a box: their beams are no hairpin.
bool BeamsInBox(const NoteRecord* notes, uint32_t count, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  return FlagZoneInBox(notes, count, x0, y0, x1, y1, 2, true) != 0;
}

// Searches the band of stave s; 0 when the user stopped the page.
int SearchStave(StageContext& context, CurveTracer& tracer, int s, const CurveObjects& objects, CurveLists& lists,
                bool* searched) {
  *searched = false;
  const StaveRow* rows = context.rows;
  const StaveRow& row = rows[s];
  const int32_t unit = tracer.unit, f = tracer.fineStep;
  const int32_t pageHeight = static_cast<int32_t>(context.page->height);
  const int32_t h = row.bottom - row.top;
  StaveBoxes measured;
  const StaveBoxes& boxes = OuterBoxes(context, &measured);
  int box = -1;
  int32_t boxTop = 0, boxBottom = 0;
  for (int b = 0; b < boxes.count && box < 0; ++b) {
    boxTop = boxes.box[b][1];
    boxBottom = boxes.box[b][3];
    if (boxTop <= row.top && boxBottom >= row.bottom) box = b;
  }
  if (box < 0) return 1;
  auto clamp = [&](int32_t* top, int32_t* bottom) {
    if (box > 0) *top = std::max<int32_t>(*top, boxes.box[box - 1][3] + unit);
    if (box + 1 < boxes.count) *bottom = std::min<int32_t>(*bottom, boxes.box[box + 1][1] - unit);
    *top = std::max(*top, unit);
    *bottom = std::min(*bottom, pageHeight - unit);
  };
  int32_t bandTop = row.top - 3 * h, bandBottom = row.bottom + 3 * h;
  clamp(&bandTop, &bandBottom);
  tracer.boxTop = boxTop - unit;
  tracer.boxBottom = boxBottom + unit;
  clamp(&tracer.boxTop, &tracer.boxBottom);
  if (bandBottom <= bandTop || !tracer.band.Reset(bandTop, bandBottom, tracer.page.width)) return 1;
  tracer.bandTop = bandTop;
  tracer.bandBottom = bandBottom;
  tracer.page.stave = s;
  *searched = true;

  const int32_t spacing = RoundedInterlineSpacing(rows, context.staveCount, s, *tracer.page.geometry);
  const int32_t right = std::min<int32_t>(row.right, tracer.page.width - 1);
  for (int32_t y = bandTop; y < bandBottom; y += f) {
    if (!PollUserAbort(1)) return 0;
    const uint8_t* line = tracer.page.image + static_cast<size_t>(y) * tracer.page.rowBytes;
    for (int32_t x = std::max<int32_t>(0, row.left); x <= right;) {
      if (line[x >> 3] == 0) {
        x = ((x >> 3) + 1) << 3;
        continue;
      }
      if (!tracer.page.Ink(x, y)) {
        x += unit;
        continue;
      }
      if (tracer.band.Marked(x, y)) {
        while (x <= right && tracer.band.Marked(x, y)) x += unit;
        continue;
      }
      const uint32_t t0 = GetCentiseconds();
      TraceCurveFromPixel(tracer, tracer.left, x, y, -f);
      TraceCurveFromPixel(tracer, tracer.right, x, y, f);
      ClassifyAndStoreTrace(tracer, x, spacing, objects, lists);
      if (*lists.curveCount >= kCurveItemLimit && *lists.lineCount >= kLineItemLimit) {
        CurrentReadingHost().DebugLine(u"Slurs/ties/hairpins overloaded!!\n");
        return 1;
      }
      if (GetCentiseconds() - t0 >= 5) {
        y += 7 * f;
        break;
      }
      x += 4 * unit;
    }
  }
  return 1;
}

}  // namespace

int FindSlursTiesHairpins(StageContext& context) {
  if (!General().readSlursHairpinsAndTies) return 1;
  if (!context.page || !context.image || !context.rows || !context.lists || context.staveCount <= 0) return 1;
  const int resolution = context.page->resolution > 0 ? context.page->resolution : 300;
  const CurveScale scale = CurveScaleFor(resolution);
  std::unique_ptr<CurveTracer> tracer(new (std::nothrow) CurveTracer);
  if (!tracer) {
    MessageById(nullptr, kTextNoMemoryToReadPage);
    return 1;
  }
  StavePage geometry = PageGeometry(*context.page, context.image, context.strideWords);
  ReadingWorkLists& lists = *context.lists;
  CurveItem* curves = reinterpret_cast<CurveItem*>(lists.curvesA);
  LineItem* lines = reinterpret_cast<LineItem*>(lists.curvesB);
  const StaveRow* rows = context.rows;
  const int first = context.firstStave;
  const int group = rows[first].group;

  CurveNotePage notes;
  notes.notes = lists.notes;
  notes.noteCount = lists.noteCount;
  notes.rows = rows;
  notes.staveCount = context.staveCount;
  notes.firstStave = first;
  notes.geometry = &geometry;
  notes.beamsInBox = BeamsInBox;

  // The engine's curves first.
  ImportEngineSlurs(group, curves, lists.curveACount);
  for (int s = first; s < context.staveCount && rows[s].group == group; ++s) {
    DropDotsOnEngineSlurs(notes, s);
    AttachCurvesToNotes(notes, curves, 0, lists.curveACount, s, Spacing(notes, s) / 2);
  }

  tracer->fineStep = scale.fineStep;
  tracer->unit = scale.unit;
  TracePage& page = tracer->page;
  page.image = context.image;
  page.width = static_cast<int32_t>(context.page->width);
  page.height = static_cast<int32_t>(context.page->height);
  page.rowBytes = static_cast<size_t>(context.strideWords) * 4;
  page.rows = rows;
  page.staveCount = context.staveCount;
  page.firstStave = first;
  page.geometry = &geometry;

  CurveObjects objects;
  objects.notes = lists.notes;
  objects.noteCount = &lists.noteCount;
  objects.symbols = lists.symbols;
  objects.symbolCount = &lists.symbolCount;
  objects.chars = lists.characters;
  objects.charCount = lists.charCount;
  objects.words = lists.words;
  objects.wordCount = lists.wordCount;
  objects.engineObjectNear = EngineObjectNear;
  const ObjectSearchCache engineObjects;  // the engine's events read once for the whole stage

  CurveLists found;
  found.curves = curves;
  found.curveCount = &lists.curveACount;
  found.engineCurves = lists.curveACount;
  found.lines = lines;
  found.lineCount = &lists.curveBCount;

  for (int s = first; s < context.staveCount && rows[s].group == group; ++s) {
    const uint32_t c0 = lists.curveACount, l0 = lists.curveBCount;
    ImportEngineHairpins(group, EngineStaveOfRow(rows, context.staveCount, s), lines, lists.curveBCount);
    const uint32_t firstOwn = lists.curveBCount;
    found.curveCountAtStave = c0;
    found.lineCountAtStave = firstOwn;
    bool searched = false;
    if (!SearchStave(context, *tracer, s, objects, found, &searched)) return 0;
    if (!searched) continue;
    notes.noteCount = lists.noteCount;
    DropDotsOnEngineSlurs(notes, s);
    PairHairpinLines(notes, lines, l0, firstOwn, lists.curveBCount, scale.fineStep, resolution);
    AttachCurvesToNotes(notes, curves, c0, lists.curveACount, s, Spacing(notes, s) / 2);
    OnReadingProgress(static_cast<unsigned>(-1));
  }
  return 1;
}
