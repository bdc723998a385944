#include "stages/OverlapCleanUp.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "pages/PageData.h"
#include "reading/StaveSpacing.h"
#include "stages/CurveTracing.h"
#include "stages/NoteRecords.h"
#include "stages/StemCandidates.h"
#include "stages/SymbolRecords.h"

namespace {

constexpr int16_t kEngineScore = 100;

// The measures of one stave: its unit, rounded spacing and half spacing.
struct StaveMeasure {
  int32_t unit = 1;
  int32_t spacing = 1;
  double half = 0.5;
};

// The measures of every stave of the page, read with the reading thread's
// own rules; the units it set are put back.
class Measures {
 public:
  explicit Measures(const OverlapPage& page) {
    const StaveUnits saved = CurrentStaveUnits();
    for (int s = 0; s < page.staveCount && s < kMaxPageStaves; ++s) {
      SetStaveUnits(page.rows, s, page.geometry->resolution);
      table_[s].unit = std::max(1, CurrentStaveUnits().staveUnit);
      table_[s].spacing = std::max(1, RoundedInterlineSpacing(page.rows, page.staveCount, s, *page.geometry));
      table_[s].half = InterlineSpacing(page.rows, page.staveCount, s, *page.geometry) / 2;
    }
    CurrentStaveUnits() = saved;
  }
  const StaveMeasure& operator[](int row) const { return table_[std::clamp(row, 0, kMaxPageStaves - 1)]; }

 private:
  StaveMeasure table_[kMaxPageStaves];
};

int RowOf(const OverlapPage& page, int stave) {
  return FindStaveInGroup(page.rows, page.staveCount, page.firstStave, stave);
}

bool Live(const NoteRecord& n) { return n.quality <= 5; }
bool IsClef(int type) { return type >= 1 && type <= 8; }
bool IsKeySignature(int type) { return type == 16 || type == 17; }
bool IsBarType(int type) { return type >= 48 && type <= 57; }
bool IsTimeDigit(int type) { return type >= 32 && type <= 41; }

int32_t Round(double v) { return static_cast<int32_t>(v + 0.5); }

// The stem box of a note (none when it has no stem), as the resolver sees it.
ObjectBox StemBox(const OverlapPage& page, const Measures& m, const NoteRecord& note) {
  ObjectBox box;
  const int row = RowOf(page, note.stave);
  if (row < 0) return box;
  const StaveRow& stave = page.rows[row];
  const StaveMeasure& sm = m[row];
  if (stave.kind == 1) {
    box.left = note.left;
    box.right = note.right;
    box.top = stave.top + StaveLineY(page.rows, row, 0, note.left, *page.geometry);
    box.bottom = stave.top + StaveLineY(page.rows, row, std::max(0, stave.lineCount - 1), note.left, *page.geometry);
    box.empty = false;
    return box;
  }
  const int slot = NoteStemSlot(note);
  if (slot < 0) return box;
  const int32_t u = sm.unit;
  const int32_t offset = note.stemOffset[slot] & 0xFF;
  const int32_t x = (slot & 1) ? note.right - offset + 4 * u : note.left + offset - 4 * u;
  const int32_t reach = Round((2.0 * note.stemLength[slot] + 1) * sm.half);
  box.left = x - u;
  box.right = x + u;
  if (slot < 2) {
    box.top = note.top - reach;
    box.bottom = note.top;
  } else {
    box.top = note.top + sm.spacing;
    box.bottom = note.top + sm.spacing + reach;
  }
  box.empty = false;
  return box;
}

// The y range of a symbol from its steps, at its left edge.
void SymbolHeight(const OverlapPage& page, const SymbolRecord& symbol, int row, int32_t* top, int32_t* bottom) {
  const int32_t a = StavePositionY(page.rows, page.staveCount, row, symbol.left, symbol.stepTop, *page.geometry);
  const int32_t b = StavePositionY(page.rows, page.staveCount, row, symbol.left, symbol.stepBottom, *page.geometry);
  *top = std::min(a, b);
  *bottom = std::max(a, b);
}

bool Overlap(int32_t a0, int32_t a1, int32_t b0, int32_t b1) { return a0 <= b1 && a1 >= b0; }

// The page's objects as the overlap resolver walks them: the sub-items of
// all notes numbered in note order (looked up through the first number of
// each note's items, rebuilt after every deletion).
class Catalogue {
 public:
  Catalogue(const OverlapPage& page, const Measures& m) : page(page), m(m) { Rebuild(); }
  void Rebuild() {
    first_.assign(*page.noteCount + 1, 0);
    for (uint32_t n = 0; n < *page.noteCount; ++n)
      first_[n + 1] = first_[n] + static_cast<uint32_t>(std::max<int16_t>(0, page.notes[n].appenditureCount));
  }
  uint32_t ItemCount() const { return first_.back(); }
  uint32_t FirstItem(uint32_t note) const { return first_[note]; }
  bool At(uint32_t index, uint32_t* note, int* item) const {
    if (index >= ItemCount()) return false;
    const auto it = std::upper_bound(first_.begin(), first_.end(), index);
    *note = static_cast<uint32_t>(it - first_.begin() - 1);
    *item = static_cast<int>(index - first_[*note]);
    return true;
  }

  const OverlapPage& page;
  const Measures& m;

 private:
  std::vector<uint32_t> first_;
};

}  // namespace

// ---- Heads claimed by two staves ----

void MergeCrossStaveNotes(const OverlapPage& page, bool useStems) {
  NoteRecord* notes = page.notes;
  uint32_t& count = *page.noteCount;
  if (!page.rules.stepWithinStave) return;
  auto eligible = [&](const NoteRecord& n, int* row) {
    if (n.quality >= kRejectedQuality || n.origin >= kEngineOrigin) return false;
    *row = RowOf(page, n.stave);
    if (*row < 0 || page.rows[*row].kind != 0) return false;
    return !page.rules.stepWithinStave(n.step, page.rows[*row].lineCount);
  };
  auto onlyStems = [](const NoteRecord& n, bool down) {
    const bool up = n.stemLength[0] >= 1 || n.stemLength[1] >= 1;
    const bool dn = n.stemLength[2] >= 1 || n.stemLength[3] >= 1;
    return down ? dn && !up : up && !dn;
  };
  for (uint32_t i = 0; i < count;) {
    bool deletedI = false;
    int ri;
    if (eligible(notes[i], &ri)) {
      for (uint32_t j = 0; j < count; ++j) {
        if (j == i) continue;
        NoteRecord& a = notes[i];
        NoteRecord& b = notes[j];
        int rj;
        if (!eligible(b, &rj) || std::abs(a.stave - b.stave) != 1) continue;
        if ((a.kind < 7) != (b.kind < 7)) continue;
        const int32_t near = a.space / 2;
        if (std::abs(a.top - b.top) > near || std::abs(a.left - b.left) > near) continue;
        const bool aUpper = a.stave < b.stave;
        const uint32_t upper = aUpper ? i : j, lower = aUpper ? j : i;
        const StaveRow& upperRow = page.rows[aUpper ? ri : rj];
        const StaveRow& lowerRow = page.rows[aUpper ? rj : ri];
        int victim = -1;  // 0 upper, 1 lower
        bool decided = false;
        if (a.kind < 7 && useStems) {
          const int32_t s = a.space, half = s / 2;
          auto reach = [&](const NoteRecord& n, int32_t* top, int32_t* bottom) {
            *top = n.top;
            *bottom = n.top + s;
            if (!n.stemDown) {
              const int32_t l = n.stemLength[n.stemRight ? 1 : 0];
              if (l >= 1) *top = n.top - (2 * l + 1) * half;
            } else {
              const int32_t l = n.stemLength[n.stemRight ? 3 : 2];
              if (l >= 1) *bottom = n.top + s + (2 * l + 1) * half;
            }
          };
          int32_t ut, ub, lt, lb;
          reach(notes[upper], &ut, &ub);
          reach(notes[lower], &lt, &lb);
          const bool lowerPulled = lt <= upperRow.bottom && lb < lowerRow.top;
          const bool upperPulled = ub >= lowerRow.top && ut > upperRow.bottom;
          if (lowerPulled != upperPulled) {
            victim = upperPulled ? 0 : 1;
            decided = true;
          } else if (lowerPulled && upperPulled) {
            decided = true;
          }
        }
        if (!decided) {
          const NoteRecord& u = notes[upper];
          const NoteRecord& l = notes[lower];
          if (u.ledgerCount != l.ledgerCount) {
            victim = u.ledgerCount > l.ledgerCount ? 0 : 1;
          } else {
            const bool upperGoes = onlyStems(u, true), lowerGoes = onlyStems(l, false);
            if (upperGoes != lowerGoes) victim = upperGoes ? 0 : 1;
          }
        }
        if (victim < 0) continue;
        const uint32_t gone = victim == 0 ? upper : lower;
        DeleteNoteRecord(notes, count, gone);
        if (gone == i) {
          deletedI = true;
          break;
        }
        if (gone < i) --i;
        --j;
      }
    }
    if (!deletedI) ++i;
  }
}

// ---- Bar lines that are stems ----

void DropSymbolsCrowdedByNotes(const OverlapPage& page) {
  const Measures m(page);
  for (uint32_t k = 0; k < *page.symbolCount;) {
    const SymbolRecord& symbol = page.symbols[k];
    const int row = RowOf(page, symbol.stave);
    if (row < 0 || !(symbol.type == kSymbolBarline || (page.rows[row].lineCount == 1 && symbol.flag10))) {
      ++k;
      continue;
    }
    const StaveRow& stave = page.rows[row];
    const int32_t first = stave.top + StaveLineY(page.rows, row, 0, symbol.left, *page.geometry);
    const int32_t last =
        stave.top + StaveLineY(page.rows, row, std::max(0, stave.lineCount - 1), symbol.left, *page.geometry);
    const int32_t h = std::max(1, last - first);
    const int32_t u = m[row].unit;
    bool bands[16] = {};
    for (uint32_t n = 0; n < *page.noteCount; ++n) {
      const NoteRecord& note = page.notes[n];
      if (!Live(note) || note.origin >= kEngineOrigin || note.stave != symbol.stave || note.uncertain) continue;
      if (!(note.kind <= 6 || note.kind == kNoteTabNumber)) continue;
      if (note.kind == kNoteMinim && note.quality >= -2) continue;
      const ObjectBox stem = StemBox(page, m, note);
      if (stem.empty || !Overlap(stem.top, stem.bottom, first, last)) continue;
      if (stem.left < symbol.left - u || stem.right > symbol.right + u) continue;
      const int b0 = std::clamp((stem.top - first) * 16 / h, 0, 15);
      const int b1 = std::clamp((stem.bottom - first) * 16 / h, 0, 15);
      for (int b = b0; b <= b1; ++b) bands[b] = true;
    }
    if (std::count(bands, bands + 16, true) >= 8) {
      DeleteSymbolRecord(page.symbols, *page.symbolCount, k);
      continue;
    }
    ++k;
  }
}

// ---- Rests on stems ----

void DropSymbolsOnStems(const OverlapPage& page) {
  const Measures m(page);
  NoteRecord* notes = page.notes;
  for (uint32_t k = 0; k < *page.symbolCount;) {
    const SymbolRecord& rest = page.symbols[k];
    const int row = RowOf(page, rest.stave);
    if (row < 0 || rest.type < 69 || rest.type > 72 || rest.quality > 5 || rest.hidden != 0) {
      ++k;
      continue;
    }
    int32_t top, bottom;
    SymbolHeight(page, rest, row, &top, &bottom);
    const int32_t sp = m[row].spacing;
    int hitter = -1;
    for (uint32_t n = 0; n < *page.noteCount && hitter < 0; ++n) {
      const NoteRecord& note = notes[n];
      if (!Live(note) || note.uncertain || note.stave != rest.stave) continue;
      int32_t reachTop = note.top, reachBottom = note.top + sp;
      const int slot = (note.stemDown ? 2 : 0) + (note.stemRight ? 1 : 0);
      if (note.kind <= 6) {
        if (note.stemDown)
          reachBottom += note.stemLength[slot] * sp;
        else
          reachTop -= note.stemLength[slot] * sp;
      }
      if (!Overlap(reachTop, reachBottom, top, bottom)) continue;
      const ObjectBox stem = StemBox(page, m, note);
      const int32_t stemX = stem.empty ? note.left : (stem.left + stem.right) / 2;
      const bool stemIn = note.kind < 7 && stemX >= rest.left && stemX <= rest.right;
      if (stemIn || Overlap(note.left, note.right, rest.left, rest.right)) hitter = static_cast<int>(n);
    }
    if (hitter < 0) {
      ++k;
      continue;
    }
    // A crotchet rest between two solid heads of one stem keeps its place:
    // the heads go.
    const NoteRecord& note = notes[hitter];
    int partner = -1;
    if (rest.type == 69 && note.kind == kNoteCrotchet && note.origin < kEngineOrigin) {
      for (uint32_t n = 0; n < *page.noteCount && partner < 0; ++n) {
        const NoteRecord& o = notes[n];
        if (static_cast<int>(n) == hitter || !Live(o) || o.kind != kNoteCrotchet || o.origin >= kEngineOrigin ||
            o.uncertain || o.stave != note.stave || !Overlap(o.left, o.right, note.left, note.right))
          continue;
        const bool fits = note.stemDown ? (o.step == note.step - 2 && !o.stemDown)
                                        : (o.step == note.step + 2 && o.stemDown);
        if (fits) partner = static_cast<int>(n);
      }
    }
    if (partner >= 0) {
      DeleteNoteRecord(notes, *page.noteCount, static_cast<uint32_t>(std::max(hitter, partner)));
      DeleteNoteRecord(notes, *page.noteCount, static_cast<uint32_t>(std::min(hitter, partner)));
      ++k;
      continue;
    }
    DeleteSymbolRecord(page.symbols, *page.symbolCount, k);
  }
}

// ---- Heads inside symbols ----

void DeleteNotesInsideSymbols(const OverlapPage& page) {
  const Measures m(page);
  for (uint32_t k = 0; k < *page.symbolCount; ++k) {
    const SymbolRecord& symbol = page.symbols[k];
    const int row = RowOf(page, symbol.stave);
    if (row < 0 || symbol.quality >= kRejectedQuality || symbol.score >= kEngineScore) continue;
    if (symbol.type == kSymbolBarline || (symbol.type >= 70 && symbol.type <= 73)) continue;
    int32_t top, bottom;
    SymbolHeight(page, symbol, row, &top, &bottom);
    top -= m[row].spacing / 3;
    bottom += m[row].spacing / 3;
    for (uint32_t n = 0; n < *page.noteCount;) {
      const NoteRecord& note = page.notes[n];
      if (Live(note) && note.origin < kEngineOrigin && note.uncertain && note.stave == symbol.stave &&
          Overlap(note.top, note.bottom, top, bottom) && Overlap(note.left, note.right, symbol.left, symbol.right)) {
        DeleteNoteRecord(page.notes, *page.noteCount, n);
        continue;
      }
      ++n;
    }
  }
}

// ---- Any two overlapping objects ----

namespace {

int StaveWith(const Catalogue& c, int category, uint32_t index) {
  const OverlapPage& page = c.page;
  if (category == kObjectSymbol) return page.symbols[index].stave;
  if (category == kObjectSubItem) {
    uint32_t note;
    int item;
    return c.At(index, &note, &item) ? page.notes[note].stave : 0;
  }
  return page.notes[index].stave;
}

ObjectBox ExtentWith(const Catalogue& c, int category, uint32_t index) {
  const OverlapPage& page = c.page;
  const Measures& m = c.m;
  ObjectBox box;
  switch (category) {
    case kObjectSymbol: {
      const SymbolRecord& s = page.symbols[index];
      const int row = RowOf(page, s.stave);
      if (row < 0) return box;
      box.left = s.left;
      box.right = s.right;
      SymbolHeight(page, s, row, &box.top, &box.bottom);
      box.empty = false;
      return box;
    }
    case kObjectHead: {
      const NoteRecord& n = page.notes[index];
      const int row = RowOf(page, n.stave);
      if (row < 0) return box;
      const int32_t u = m[row].unit;
      const int32_t inset = n.kind < 7 ? 2 * u : n.kind == 7 ? u : 0;
      box.left = n.left + inset;
      box.right = n.right - inset;
      box.top = n.top;
      box.bottom = n.top + m[row].spacing;
      box.empty = box.right < box.left;
      return box;
    }
    case kObjectStem:
      return StemBox(page, m, page.notes[index]);
    case kObjectSubItem: {
      uint32_t note;
      int item;
      if (!c.At(index, &note, &item)) return box;
      const Appenditure& a = page.notes[note].appenditures[item];
      box.left = a.left;
      box.right = a.right;
      box.top = a.top;
      box.bottom = a.bottom;
      box.empty = a.right < a.left || a.bottom < a.top;
      return box;
    }
    default:
      return box;
  }
}

int32_t KeepValueWith(const Catalogue& c, int category, uint32_t index) {
  const OverlapPage& page = c.page;
  switch (category) {
    case kObjectSymbol: {
      const SymbolRecord& s = page.symbols[index];
      if (s.quality > 5) return 65536;
      if (IsKeySignature(s.type)) return -65536;
      const int row = RowOf(page, s.stave);
      if (IsClef(s.type) && row >= 0) {
        const StaveRow& stave = page.rows[row];
        if (s.left <= stave.left + (stave.bottom - stave.top)) return -65536;
      }
      if (s.type >= 70 && s.type <= 73) return 5;
      return s.quality - (page.rules.symbolScore ? page.rules.symbolScore(page.symbols, *page.symbolCount, index) : 0);
    }
    case kObjectHead: {
      const NoteRecord& n = page.notes[index];
      if (n.quality > 5) return 65536;
      if (n.quality == -4096) return -65536;
      return n.quality - (page.rules.headScore ? page.rules.headScore(page.notes, *page.noteCount, index) : 0);
    }
    case kObjectStem:
      return -131072;
    case kObjectNoteMark:
      return -65536;
    case kObjectSubItem: {
      uint32_t note;
      int item;
      if (!c.At(index, &note, &item)) return 0;
      const NoteRecord& n = page.notes[note];
      const Appenditure& a = n.appenditures[item];
      const int32_t gap = a.left <= n.left ? n.left - a.right : a.left - n.right;
      return gap - 32768;
    }
    default:
      return 0;
  }
}

bool FromEngine(const Catalogue& c, int category, uint32_t index) {
  const OverlapPage& page = c.page;
  switch (category) {
    case kObjectSymbol:
      return page.symbols[index].score >= kEngineScore;
    case kObjectHead:
    case kObjectStem:
    case kObjectNoteMark:
      return page.notes[index].origin >= kEngineOrigin;
    case kObjectSubItem: {
      uint32_t note;
      int item;
      return c.At(index, &note, &item) && page.notes[note].origin >= kEngineOrigin;
    }
    default:
      return false;
  }
}

bool IsNoteCategory(int c) { return c == kObjectHead || c == kObjectStem || c == kObjectNoteMark; }

bool ClashWith(const Catalogue& c, int a, uint32_t ia, const ObjectBox& boxA, int b, uint32_t ib,
               const ObjectBox& boxB) {
  const OverlapPage& page = c.page;
  const Measures& m = c.m;
  if (FromEngine(c, a, ia) || FromEngine(c, b, ib)) return false;
  auto symbolType = [&](int c, uint32_t i) { return c == kObjectSymbol ? page.symbols[i].type : -1; };
  const int ta = symbolType(a, ia), tb = symbolType(b, ib);
  for (int k = 0; k < 2; ++k) {
    const int category = k ? b : a;
    const uint32_t i = k ? ib : ia;
    const int t = k ? tb : ta;
    if (category != kObjectSymbol) continue;
    if (IsTimeDigit(t) && page.symbols[i].quality < -63) return false;
    if (IsBarType(t)) return false;
  }
  // A long rest against a stemmed head, a clef against anything but a clef.
  for (int k = 0; k < 2; ++k) {
    const int t = k ? tb : ta, other = k ? a : b;
    const uint32_t otherIndex = k ? ia : ib;
    if (t >= 70 && t <= 73 && other == kObjectHead && page.notes[otherIndex].kind < 6) return false;
    if (IsClef(t) && !IsClef(k ? ta : tb)) return false;
  }
  if (IsNoteCategory(a) && IsNoteCategory(b)) return false;
  if (a == kObjectSubItem && b == kObjectSubItem) {
    uint32_t na, nb;
    int xa, xb;
    if (c.At(ia, &na, &xa) && c.At(ib, &nb, &xb)) {
      const NoteRecord& p = page.notes[na];
      const NoteRecord& q = page.notes[nb];
      if (p.stave == q.stave && Overlap(p.left, p.right, q.left, q.right)) return false;
    }
  }
  if (IsTimeDigit(ta) && IsTimeDigit(tb) && page.symbols[ia].stepTop != page.symbols[ib].stepTop) return false;
  // A head against a sub-item that does not reach across the head's centre.
  for (int k = 0; k < 2; ++k) {
    const int head = k ? b : a, item = k ? a : b;
    const ObjectBox& h = k ? boxB : boxA;
    const ObjectBox& s = k ? boxA : boxB;
    if (head == kObjectHead && item == kObjectSubItem) {
      const int32_t centre = (h.left + h.right) / 2;
      if (!(s.left <= centre && s.right >= centre)) return false;
    }
  }
  // A time signature beside a bar line.
  for (int k = 0; k < 2; ++k) {
    const int t = k ? tb : ta, u = k ? ta : tb;
    const uint32_t i = k ? ib : ia, j = k ? ia : ib;
    if (t >= 32 && t <= 43 && IsBarType(u)) {
      const SymbolRecord& sig = page.symbols[i];
      const SymbolRecord& bar = page.symbols[j];
      const int row = RowOf(page, sig.stave);
      const int32_t unit = row >= 0 ? m[row].unit : 1;
      if (sig.left >= bar.right - unit) return false;
      const bool barFirst = k == 1;
      if (barFirst && sig.right - unit <= bar.left) return false;
    }
  }
  if (boxA.empty || boxB.empty) return false;
  return boxA.left < boxB.right && boxA.right > boxB.left && boxA.top < boxB.bottom && boxA.bottom > boxB.top;
}

// Indices that must follow deletions in the lists they point into.
struct Tracked {
  int list;  // 0 symbols, 1 notes, 2 sub-items
  uint32_t* index;
  bool* gone;
};

int ListOf(int category) { return category == kObjectSymbol ? 0 : category == kObjectSubItem ? 2 : 1; }

void Follow(std::vector<Tracked>& tracked, int list, uint32_t removed, uint32_t span = 1) {
  for (Tracked& t : tracked) {
    if (t.list != list || *t.gone) continue;
    if (*t.index >= removed + span)
      *t.index -= span;
    else if (*t.index >= removed)
      *t.gone = true;
  }
}

void DeleteSymbolTracked(const OverlapPage& page, uint32_t index, std::vector<Tracked>& tracked) {
  DeleteSymbolRecord(page.symbols, *page.symbolCount, index);
  Follow(tracked, 0, index);
}

void DeleteTracked(const Catalogue& c, int category, uint32_t index, std::vector<Tracked>& tracked) {
  const OverlapPage& page = c.page;
  if (category == kObjectSymbol) {
    const SymbolRecord symbol = page.symbols[index];
    if (IsClef(symbol.type) || symbol.type == 56) {
      // The key signature that follows a clef goes with it.
      int32_t next = INT32_MAX;
      for (uint32_t k = 0; k < *page.symbolCount; ++k) {
        const SymbolRecord& s = page.symbols[k];
        if (k != index && s.stave == symbol.stave && (IsClef(s.type) || s.type == 56) && s.left > symbol.left)
          next = std::min<int32_t>(next, s.left);
      }
      Tracked self{0, &index, nullptr};
      bool selfGone = false;
      self.gone = &selfGone;
      tracked.push_back(self);
      for (uint32_t k = 0; k < *page.symbolCount;) {
        const SymbolRecord& s = page.symbols[k];
        if (k != index && s.stave == symbol.stave && IsKeySignature(s.type) && s.left > symbol.left && s.left < next) {
          DeleteSymbolTracked(page, k, tracked);
          continue;
        }
        ++k;
      }
      tracked.pop_back();
    }
    DeleteSymbolTracked(page, index, tracked);
  } else if (category == kObjectHead) {
    const uint32_t firstItem = c.FirstItem(index);
    const uint32_t items = static_cast<uint32_t>(std::max<int16_t>(0, page.notes[index].appenditureCount));
    DeleteNoteRecord(page.notes, *page.noteCount, index);
    Follow(tracked, 1, index);
    if (items) Follow(tracked, 2, firstItem, items);
  } else if (category == kObjectSubItem) {
    uint32_t note;
    int item;
    if (!c.At(index, &note, &item)) return;
    NoteRecord& n = page.notes[note];
    for (int k = item; k + 1 < n.appenditureCount; ++k) n.appenditures[k] = n.appenditures[k + 1];
    --n.appenditureCount;
    Follow(tracked, 2, index);
  }
}

bool Protected(const OverlapPage& page, int category, uint32_t index) {
  if (category != kObjectSymbol) return false;
  const int t = page.symbols[index].type;
  return IsKeySignature(t) || IsBarType(t);
}

}  // namespace

uint32_t ObjectCount(const OverlapPage& page, int category) {
  switch (category) {
    case kObjectSymbol:
      return *page.symbolCount;
    case kObjectHead:
    case kObjectStem:
    case kObjectNoteMark:
      return *page.noteCount;
    case kObjectSubItem: {
      uint32_t n = 0;
      for (uint32_t i = 0; i < *page.noteCount; ++i) n += std::max<int16_t>(0, page.notes[i].appenditureCount);
      return n;
    }
    default:
      return 0;
  }
}

int ObjectStave(const OverlapPage& page, int category, uint32_t index) {
  const Measures m(page);
  return StaveWith(Catalogue(page, m), category, index);
}

ObjectBox GetObjectExtent(const OverlapPage& page, int category, uint32_t index) {
  const Measures m(page);
  return ExtentWith(Catalogue(page, m), category, index);
}

int32_t ObjectKeepValue(const OverlapPage& page, int category, uint32_t index) {
  const Measures m(page);
  return KeepValueWith(Catalogue(page, m), category, index);
}

bool ObjectsClash(const OverlapPage& page, int a, uint32_t ia, int b, uint32_t ib) {
  const Measures m(page);
  const Catalogue c(page, m);
  return ClashWith(c, a, ia, ExtentWith(c, a, ia), b, ib, ExtentWith(c, b, ib));
}

void ResolveOverlappingObjects(const OverlapPage& page) {
  const Measures m(page);
  Catalogue c(page, m);
  static const int kPairs[][2] = {{1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 6}, {2, 6}, {4, 6}, {6, 6}};
  auto count = [&](int category) { return category == kObjectSubItem ? c.ItemCount() : ObjectCount(page, category); };
  for (const auto& pair : kPairs) {
    const int A = pair[0], B = pair[1];
    // The boxes and staves of B, made again after every deletion.
    std::vector<ObjectBox> boxesB;
    std::vector<int> stavesB;
    bool stale = true;
    for (uint32_t a = 0; a < count(A);) {
      if (stale) {
        c.Rebuild();
        const uint32_t n = count(B);
        boxesB.resize(n);
        stavesB.resize(n);
        for (uint32_t b = 0; b < n; ++b) {
          boxesB[b] = ExtentWith(c, B, b);
          stavesB[b] = StaveWith(c, B, b);
        }
        stale = false;
      }
      const int32_t value = KeepValueWith(c, A, a);
      const int staveA = StaveWith(c, A, a);
      const ObjectBox boxA = ExtentWith(c, A, a);
      std::vector<uint32_t> partners;
      int64_t sum = 0;
      for (uint32_t b = 0; b < boxesB.size(); ++b) {
        if (A == B && a == b) continue;
        if (std::abs(stavesB[b] - staveA) >= 2) continue;
        if (!ClashWith(c, A, a, boxA, B, b, boxesB[b])) continue;
        partners.push_back(b);
        sum += KeepValueWith(c, B, b);
      }
      if (partners.empty()) {
        ++a;
        continue;
      }
      const int64_t mean = sum / static_cast<int64_t>(partners.size());
      std::unique_ptr<bool[]> goneFlags(new bool[partners.size() + 1]());
      std::vector<Tracked> tracked;
      tracked.push_back(Tracked{ListOf(A), &a, &goneFlags[partners.size()]});
      for (size_t p = 0; p < partners.size(); ++p) tracked.push_back(Tracked{ListOf(B), &partners[p], &goneFlags[p]});
      if (value < mean) {
        // The partners go, but for key signatures and bar lines, and for
        // sub-items overlapping a symbol or a head.
        for (size_t p = 0; p < partners.size(); ++p) {
          if (goneFlags[p] || Protected(page, B, partners[p])) continue;
          if (B == kObjectSubItem && (A == kObjectSymbol || A == kObjectHead)) continue;
          if (B == kObjectStem || B == kObjectNoteMark) continue;
          DeleteTracked(c, B, partners[p], tracked);
          c.Rebuild();
          stale = true;
        }
        if (!goneFlags[partners.size()]) ++a;
      } else {
        // a goes, but for key signatures and bar lines, and a sub-item only
        // against a note without extent or another sub-item.
        const bool keep = Protected(page, A, a) ||
                          (A == kObjectSubItem && B != kObjectNoteMark && B != kObjectSubItem) ||
                          A == kObjectStem || A == kObjectNoteMark;
        if (keep) {
          ++a;
        } else {
          DeleteTracked(c, A, a, tracked);  // the next object now has a's index
          c.Rebuild();
          stale = true;
        }
      }
    }
  }
}

// ---- At the end of the group ----

void DiscardCurvesInTextMargins(CurveItem* curves, uint32_t curveCount, const uint8_t* chars, uint32_t charCount,
                                const uint8_t* words, uint32_t wordCount) {
  bool haveTop = false, haveBottom = false;
  int32_t top = 0, bottom = 0;
  auto scan = [&](const uint8_t* records, uint32_t n, int size, int offset) {
    for (uint32_t i = 0; records && i < n; ++i) {
      int16_t v[5];
      std::memcpy(v, records + size_t(i) * size + offset, sizeof v);
      if (v[0] == 255) continue;
      const int32_t centre = (v[2] + v[4]) / 2;
      if (v[0] == 100) {
        top = haveTop ? std::min(top, centre) : centre;
        haveTop = true;
      } else if (v[0] == 4) {
        bottom = haveBottom ? std::max(bottom, centre) : centre;
        haveBottom = true;
      }
    }
  };
  scan(chars, charCount, kCharRecordBytes, 32);
  scan(words, wordCount, kWordRecordBytes, 320);
  if (!haveTop && !haveBottom) return;
  for (uint32_t i = 0; curves && i < curveCount; ++i) {
    CurveItem& c = curves[i];
    if ((haveTop && c.y0 <= top && c.y1 <= top) || (haveBottom && c.y0 >= bottom && c.y1 >= bottom))
      c.apexPos = kCurveDiscarded;
  }
}

void TrimOverlappingSymbolBoxes(SymbolRecord* symbols, uint32_t symbolCount, const NoteRecord* notes,
                                uint32_t noteCount) {
  auto isRest = [](int type) { return type >= 64 && type <= 71; };
  for (uint32_t k = 0; k < symbolCount; ++k) {
    SymbolRecord& s = symbols[k];
    if (!isRest(s.type)) continue;
    bool any = false;
    int32_t largest = 0;
    auto take = [&](int32_t left) {
      largest = any ? std::max(largest, left) : left;
      any = true;
    };
    for (uint32_t n = 0; n < noteCount; ++n) {
      const NoteRecord& note = notes[n];
      if (note.quality <= 5 && note.stave == s.stave && note.left < s.right && note.right > s.left) take(note.left);
    }
    for (uint32_t o = 0; o < symbolCount; ++o) {
      const SymbolRecord& other = symbols[o];
      if (o == k || !isRest(other.type) || other.quality > 5 || other.stave != s.stave) continue;
      if (other.left > s.left || (other.left == s.left && o > k)) continue;
      if (other.left < s.right && other.right > s.left) take(other.left);
    }
    s.spare15 = 0;
    if (any) {
      s.right = static_cast<int16_t>(s.right + largest + 1 - s.left);
      s.left = static_cast<int16_t>(largest + 1);
      s.restFlags = 1;
      s.aux = 0;
    } else {
      s.restFlags = 0;
    }
  }
}

// ---- The stages ----

namespace {

// A head is stronger for every head on its stem.
bool OnOneStem(const NoteRecord* notes, uint32_t, uint32_t a, uint32_t b, void*) {
  return AreStemPartners(notes, a, b);
}

int32_t LinkedHeadScore(const NoteRecord* notes, uint32_t count, uint32_t index) {
  return LinkedNoteScore(notes, count, index, OnOneStem, nullptr);
}

// A symbol is stronger for the neighbours its context names.
int32_t ContextScore(const SymbolRecord* symbols, uint32_t count, uint32_t index) {
  return SymbolContextScore(symbols, count, index);
}

}  // namespace

int CleanUpOverlaps(StageContext& context) {
  if (!context.page || !context.rows || !context.lists || context.staveCount <= 0) return 1;
  StavePage geometry = PageGeometry(*context.page, context.image, context.strideWords);
  OverlapPage page;
  page.notes = context.lists->notes;
  page.noteCount = &context.lists->noteCount;
  page.symbols = context.lists->symbols;
  page.symbolCount = &context.lists->symbolCount;
  page.rows = context.rows;
  page.staveCount = context.staveCount;
  page.firstStave = context.firstStave;
  page.geometry = &geometry;
  page.rules.stepWithinStave = IsStepWithinStave;
  page.rules.headScore = LinkedHeadScore;
  page.rules.symbolScore = ContextScore;
  MergeCrossStaveNotes(page, true);
  DropSymbolsCrowdedByNotes(page);
  DropSymbolsOnStems(page);
  DeleteNotesInsideSymbols(page);
  ResolveOverlappingObjects(page);
  return 1;
}


int FinishGroupOverlaps(StageContext& context) {
  if (!context.lists) return 1;
  ReadingWorkLists& lists = *context.lists;
  DiscardCurvesInTextMargins(reinterpret_cast<CurveItem*>(lists.curvesA), lists.curveACount, lists.characters,
                             lists.charCount, lists.words, lists.wordCount);
  TrimOverlappingSymbolBoxes(lists.symbols, lists.symbolCount, lists.notes, lists.noteCount);
  return 1;
}
