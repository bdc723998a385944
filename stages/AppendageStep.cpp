#include "stages/AppendageStep.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>
#include <unordered_map>
#include <vector>

#include "platform/Messages.h"
#include "reading/ObjectSearch.h"
#include "reading/ShapeWindows.h"
#include "reading/StaveSpacing.h"
#include "shapes/ClassifierStartup.h"
#include "shapes/FeatureMatch.h"
#include "shapes/InkProjections.h"
#include "shapes/ZoneFeatures.h"
#include "shapes/ZoneFeatureRecordHeader.h"
#include "stages/AccidentalInk.h"
#include "stages/BigSymbolStep.h"
#include "stages/ChordDots.h"
#include "stages/KeySignatures.h"
#include "stages/NoteRecords.h"
#include "stages/NoteValueStep.h"
#include "stages/StageDebugDrawing.h"
#include "stages/NoteheadVerification.h"
#include "stages/SymbolRecords.h"

namespace {

constexpr int kAccidentalSafe = 94;
constexpr int kAccidentalEnough = 92;  // a scan kind reaching it ends the scan
constexpr int kAccidentalLeast = 90;

bool Live(const NoteRecord& n) { return n.quality < kRejectedQuality; }
bool IsAccidentalKind(int kind) { return kind >= 128 && kind <= 134; }
bool ClaimsKind(int kind) { return IsAccidentalKind(kind) || (kind >= 144 && kind <= 159); }

struct Box {
  int32_t left, top, right, bottom;  // inclusive
};
bool Overlap(const Box& a, const Box& b) {
  return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}
Box HeadBox(const NoteRecord& n) { return Box{n.left, n.top, n.right, n.bottom}; }
Box ItemBox(const Appenditure& a) { return Box{a.left, a.top, a.right, a.bottom}; }

struct Group {
  const AppendagePage& page;
  InkPage image, copy;
  int32_t SU, SSU;
  double spacing;  // of the group's first stave
};

int32_t SymbolTopY(const AppendagePage& page, int row, const SymbolRecord& s, int step) {
  return StavePositionY(page.rows, page.rowCount, row, s.left, step, *page.geometry);
}
// A symbol's box on the page: its columns, from its top step to its bottom one.
Box SymbolBox(const AppendagePage& page, int row, const SymbolRecord& s) {
  return Box{s.left, SymbolTopY(page, row, s, s.stepTop), s.right, SymbolTopY(page, row, s, s.stepBottom)};
}

// A crotchet or quaver rest of the stages' own search (the engine's records
// score 100 and more): what an accidental or a dot shows to be false. A dot
// and the head or bar line after it easily pass for a quaver rest.
bool IsSearchedShortRest(const SymbolRecord& s) { return (s.type == 68 || s.type == 69) && s.score < 100; }

// Anything of the stave that already claims the box: another live head, an
// accidental or text sub-item of any note (the note's own included: the
// engine may have attached its accidental already), a live symbol.
// Accidentals are claimed only by accidental and text items, dots by any
// item of another note; searched short rests may be told to yield.
bool Claimed(const AppendagePage& page, int row, const Box& box, const NoteRecord* notes, uint32_t noteCount,
             uint32_t self, const SymbolRecord* symbols, uint32_t symbolCount, bool anyItem,
             bool searchedRestsYield = false) {
  const int16_t stave = notes[self].stave;
  for (uint32_t i = 0; i < noteCount; ++i) {
    const NoteRecord& n = notes[i];
    if (!Live(n) || n.stave != stave) continue;
    if (i == self) {
      for (int k = 0; k < n.appenditureCount && k < kMaxAppenditures; ++k) {
        const Appenditure& a = n.appenditures[k];
        if (ClaimsKind(a.kind) && a.quality < kRejectedQuality && Overlap(ItemBox(a), box)) return true;
      }
      continue;
    }
    if (Overlap(HeadBox(n), box)) return true;
    for (int k = 0; k < n.appenditureCount && k < kMaxAppenditures; ++k) {
      const Appenditure& a = n.appenditures[k];
      if ((anyItem || ClaimsKind(a.kind)) && a.quality < kRejectedQuality && Overlap(ItemBox(a), box)) return true;
    }
  }
  for (uint32_t i = 0; i < symbolCount; ++i) {
    const SymbolRecord& s = symbols[i];
    if (s.stave != stave || s.quality >= kRejectedQuality) continue;
    if (searchedRestsYield && IsSearchedShortRest(s)) continue;
    if (Overlap(SymbolBox(page, row, s), box)) return true;
  }
  return false;
}

bool AddItem(NoteRecord& n, const Appenditure& item) {
  if (n.appenditureCount < 0 || n.appenditureCount >= kMaxAppenditures) return false;
  n.appenditures[n.appenditureCount++] = item;
  return true;
}

// ---- Phase 1: accidentals ----

// What the accidental samples make of one box's cells: per kind (natural,
// sharp, flat) the best group score and the first group, in database order,
// that reaches it. The scan meets the same cells again and again (paper,
// stave lines alone, an accidental seen from a neighbouring note), so the
// answers are kept while the group is read. A score below the least a
// candidate needs counts as 0: it can decide nothing.
struct GroupMatches {
  int score[3] = {0, 0, 0};
  int group[3] = {0, 0, 0};
  bool doubleSharp = false;  // the cells show a double sharp's shape
};

// The count of cell (row, column) of packed 8 x 8 cells.
int Cell(const uint8_t* cells, int row, int column) {
  const int k = row * 8 + column;
  return k % 2 == 0 ? cells[k / 2] & 15 : cells[k / 2] >> 4;
}

// A double sharp, which no natural, sharp or flat sample matches and whose
// own samples the scan never uses: over the note position's band, four
// solid corners, a solid middle and paper in the middle of the top and of
// the bottom edge. The edge rows of cells are left out (stave lines may run
// there), and so are the notches at the sides (a line may run through them).
bool LooksLikeDoubleSharp(const uint8_t* cells) {
  constexpr int kSolid = 10, kMiddle = 8, kPaper = 4;
  for (int r : {1, 6})
    for (int c : {1, 6})
      if (Cell(cells, r, c) < kSolid) return false;
  for (int r : {3, 4})
    for (int c : {3, 4})
      if (Cell(cells, r, c) < kMiddle) return false;
  for (int r : {1, 6}) {
    int lightest = 15;
    for (int c = 2; c <= 5; ++c) lightest = std::min(lightest, Cell(cells, r, c));
    if (lightest > kPaper) return false;
  }
  return true;
}

class MatchMemo {
 public:
  const GroupMatches& Of(const uint8_t* cells, const std::vector<const uint8_t*>& groups) {
    Key key;
    std::memcpy(key.data(), cells, key.size());
    auto found = memo_.find(key);
    if (found != memo_.end()) return found->second;
    if (memo_.size() >= kMostKept) memo_.clear();
    GroupMatches m;
    for (size_t k = 0; k < groups.size(); ++k) {
      const int kind = ZoneHeaderType(groups[k]) - kAccidentalSymbolNatural;
      const int score = BestGroupScore(ZoneGrid::k8x8, cells, groups[k], kAccidentalSafe, 0);
      if (score > m.score[kind] && score >= kAccidentalLeast) {
        m.score[kind] = score;
        m.group[kind] = static_cast<int>(k);
      }
    }
    m.doubleSharp = LooksLikeDoubleSharp(cells);
    return memo_.emplace(key, m).first->second;
  }

 private:
  using Key = std::array<uint8_t, 32>;
  struct KeyHash {
    size_t operator()(const Key& k) const {
      uint64_t h = 0xcbf29ce484222325ull;
      for (uint8_t b : k) h = (h ^ b) * 0x100000001b3ull;
      return static_cast<size_t>(h);
    }
  };
  static constexpr size_t kMostKept = 1 << 16;
  std::unordered_map<Key, GroupMatches, KeyHash> memo_;
};

struct Match {
  int score = 0;
  int32_t x = 0, y = 0;
  const uint8_t* group = nullptr;
};

void FindAccidental(const Group& g, int row, NoteRecord* notes, uint32_t noteCount, uint32_t self,
                    const SymbolRecord* symbols, uint32_t symbolCount, const std::vector<const uint8_t*>& groups,
                    MatchMemo& matches) {
  const AppendagePage& page = g.page;
  NoteRecord& note = notes[self];
  const bool uncertain = note.uncertain != 0;
  const int32_t rounded = RoundedInterlineSpacing(page.rows, page.rowCount, row, *page.geometry);
  int32_t u = AccidentalBoxSide(rounded, uncertain);
  const int32_t s = u;
  if (s <= 0) return;
  const int lines = page.rows[row].lineCount;
  const int position = lines + 26 - note.step;  // the note's position, half spaces down from 11 at the top line
  int32_t left = std::max(1, note.left - 5 * u);
  int32_t right = std::max(1, note.left - g.SSU);
  const int32_t margin = uncertain ? 0 : s / 3;
  int32_t top = StaveNotePositionY(page.rows, page.rowCount, row, left, position - 1, *page.geometry) - margin;
  int32_t bottom = StaveNotePositionY(page.rows, page.rowCount, row, left, position + 1, *page.geometry) + margin;
  // Neighbouring heads one step away keep out of the window.
  for (uint32_t i = 0; i < noteCount; ++i) {
    const NoteRecord& n = notes[i];
    if (i == self || !Live(n) || n.stave != note.stave || std::abs(n.step - note.step) != 1) continue;
    if (n.right < note.left && n.right >= left) left = n.right + 1;
  }
  if (right <= left) return;
  int x0 = left, y0 = top, x1 = right, y1 = bottom;
  ShrinkBoxToInk(g.image, &x0, &y0, &x1, &y1);
  left = std::max(0, x0);
  right = std::min(x1, page.width - 1);
  top = std::max(0, y0);
  bottom = std::min(y1, page.height - 1);
  const int32_t height = bottom - top + 1, width = right - left + 1;
  if (height < 2 * s / 3 || width <= u / 2 || top >= note.top + s / 3 || bottom <= note.bottom - s / 3) return;
  u = std::min(u, width);
  left = std::max(0, left - g.SU);
  // Grown, the window still ends before the note's own column, so that a
  // chord mate at the same x does not stop the scan at its first step.
  right = std::min({page.width - 1, right + g.SU, static_cast<int32_t>(note.left) - 1});
  top = std::max(0, top - g.SU);
  bottom = std::min(page.height - 1, bottom + g.SU);

  // The scan, right to left.
  Match best[3];
  Match cross;  // the first place showing a double sharp's shape
  const ZoneGridParameters& grid = GridParameters(ZoneGrid::k8x8);
  uint8_t features[2 + 32];
  bool enough = false;
  // A box of the scan can meet an engine object only where the whole
  // window does: one question for the window spares one per column.
  const bool engineInWindow = page.engineObjectIn && page.engineObjectIn(row, left, top, right, bottom);
  for (int32_t x = right - u + 1; x >= left && !enough; --x) {
    const Box box{x, top, x + u - 1, bottom};
    if (Claimed(page, row, box, notes, noteCount, self, symbols, symbolCount, false)) break;
    if (engineInWindow && page.engineObjectIn(row, box.left, box.top, box.right, box.bottom)) break;
    for (int32_t y = top; y + s <= bottom + 1 && y + s <= page.height && !enough; ++y) {
      if (x + u > page.width) continue;
      if (!ComputeZoneFeatures(page.image, x, y, u, s, static_cast<int>(page.strideWords) - 1, grid, features)) continue;
      const GroupMatches& m = matches.Of(features + 2, groups);
      if (m.doubleSharp && cross.score == 0) cross = Match{kAccidentalSafe, x, y, nullptr};
      for (int kind = 0; kind < 3; ++kind) {
        if (m.score[kind] > best[kind].score) best[kind] = Match{m.score[kind], x, y, groups[m.group[kind]]};
        if (m.score[kind] >= kAccidentalEnough) enough = true;
      }
    }
  }
  const Match* winner = &best[0];
  for (const Match& m : best)
    if (m.score > winner->score) winner = &m;
  // With no sample close enough, a double sharp's shape is the candidate.
  const bool doubleSharp = winner->score < kAccidentalLeast;
  if (doubleSharp) winner = &cross;
  if (winner->score < kAccidentalLeast) return;

  // The ink decides the kind at the best place; the double sharp's shape
  // stands when the ink agrees (paper above and below it).
  const int32_t limit = std::min(right, note.left - g.SU);
  const AccidentalInk ink = MeasureAccidentalInk(g.image, winner->x, winner->y, u, s, g.SU, left, limit);
  int score = 0;
  int kind = ChooseAccidentalKind(ink, &score);
  if (doubleSharp) {
    if (kind != kAccidentalSymbolDoubleSharp) return;
    score = winner->score;
  }
  if (kind < 0 || score < kAccidentalEnough) return;
  // Heads in the accidental's box (the note's own aside): only a firm
  // accidental stands over them, and only over heads of quavers or longer
  // with short stems, not stacked three deep.
  int32_t longestStem = 0, mostOverlapping = 0;
  const int32_t headKind = FindNoteKindInBox(notes, noteCount, winner->x, winner->x + u, winner->y - s,
                                             winner->y + 2 * s, static_cast<int32_t>(self), &longestStem,
                                             &mostOverlapping);
  const bool headsAllow = headKind >= static_cast<int32_t>(kNoteQuaver) && longestStem < 4 && mostOverlapping < 3 &&
                          score >= kAccidentalSafe;
  if (headKind >= 0 && !headsAllow) return;
  Appenditure item{};
  item.kind = static_cast<uint16_t>(kind);
  item.left = static_cast<int16_t>(winner->x);
  item.right = static_cast<int16_t>(winner->x + u);
  item.top = static_cast<int16_t>(std::max(0, winner->y - s));
  item.bottom = static_cast<int16_t>(std::min(page.height - 1, winner->y + 2 * s));
  item.quality = static_cast<int16_t>(kAccidentalSafe - score);
  item.stave = note.stave;
  item.score = winner->group ? static_cast<int16_t>(((winner->group[5] >> 1) & 7) * 2) : 0;
  AddItem(note, item);
}

// Accidentals standing far from their note: kept only with nothing between
// them and with another note's accidental beside them (a column of
// accidentals before a chord). Notes of the own search only.
void DropStrayAccidentals(NoteRecord* notes, uint32_t noteCount) {
  for (uint32_t i = 0; i < noteCount; ++i) {
    NoteRecord& n = notes[i];
    if (!Live(n) || n.origin >= 100) continue;
    const int32_t space = std::max<int32_t>(1, n.space);
    for (int p = 0; p < n.appenditureCount;) {
      const Appenditure a = n.appenditures[p];
      if (!IsAccidentalKind(a.kind) || a.right >= n.left - space) {
        ++p;
        continue;
      }
      bool between = false, beside = false;
      for (uint32_t k = 0; k < noteCount; ++k) {
        const NoteRecord& o = notes[k];
        if (k == i || !Live(o) || o.stave != n.stave || std::abs(o.step - n.step) > 4) continue;
        if (o.right > a.left + space / 4 && o.left < n.left) {
          const bool stemsRight = o.stemRight != 0 || n.stemRight != 0;
          const bool leftHalf = o.right > n.left && o.left < n.left + (n.right - n.left) / 2;
          if (!(stemsRight && leftHalf)) between = true;
        }
        for (int q = 0; q < o.appenditureCount && !beside; ++q) {
          const Appenditure& b = o.appenditures[q];
          beside = IsAccidentalKind(b.kind) && b.top <= a.bottom && a.top <= b.bottom && b.right > a.left &&
                   b.right < n.left;
        }
      }
      if (between || !beside) DeleteAppenditure(notes, i, p);
      else ++p;
    }
  }
}

// Composite accidentals (double flat, natural-sharp, natural-flat) that two
// notes share are split into their halves; one that another accidental
// covers keeps the half away from it.
void SplitCompositeAccidentals(NoteRecord* notes, uint32_t noteCount) {
  auto composite = [](int kind) { return kind >= 132 && kind <= 134; };
  auto leftHalf = [](int kind) { return kind == 132 ? 130 : 128; };
  auto rightHalf = [](int kind) { return kind == 133 ? 129 : 130; };
  for (uint32_t i = 0; i < noteCount; ++i) {
    for (uint32_t j = 0; j < noteCount; ++j) {
      if (i == j || !Live(notes[i]) || !Live(notes[j]) || notes[i].stave != notes[j].stave) continue;
      for (int p = 0; p < notes[i].appenditureCount; ++p) {
        Appenditure& a = notes[i].appenditures[p];
        if (!composite(a.kind)) continue;
        const int32_t width = std::max(1, a.right - a.left);
        for (int q = 0; q < notes[j].appenditureCount; ++q) {
          Appenditure& b = notes[j].appenditures[q];
          if (!IsAccidentalKind(b.kind) || b.top > a.bottom || a.top > b.bottom) continue;
          const int32_t overlap = std::min(a.right, b.right) - std::max(a.left, b.left);
          // Each half also takes its half of the box, so that the two are
          // not taken for one accidental claimed twice.
          if (composite(b.kind) && overlap * 4 >= width && i < j) {
            const int16_t middle = static_cast<int16_t>((std::min(a.left, b.left) + std::max(a.right, b.right)) / 2);
            a.kind = static_cast<uint16_t>(leftHalf(a.kind));
            a.right = middle;
            b.kind = static_cast<uint16_t>(rightHalf(b.kind));
            b.left = static_cast<int16_t>(middle + 1);
          } else if (!composite(b.kind) && overlap * 2 >= width) {
            const bool otherRight = (b.left + b.right) > (a.left + a.right);
            const int16_t middle = static_cast<int16_t>((a.left + a.right) / 2);
            a.kind = static_cast<uint16_t>(otherRight ? leftHalf(a.kind) : rightHalf(a.kind));
            if (otherRight) a.right = middle;
            else a.left = static_cast<int16_t>(middle + 1);
          }
          if (!composite(a.kind)) break;
        }
      }
    }
  }
}

// Searched hollow heads inside another note's accidental, and searched
// stemmed heads whose stem runs through one.
void DropHeadsInAccidentals(NoteRecord* notes, uint32_t& noteCount) {
  for (uint32_t i = 0; i < noteCount;) {
    const NoteRecord& n = notes[i];
    bool drop = false;
    if (Live(n) && n.origin < 100 && n.kind <= kNoteMinim) {
      const int32_t space = std::max<int32_t>(1, n.space);
      const int32_t middle = (n.top + n.bottom) / 2;
      for (uint32_t k = 0; k < noteCount && !drop; ++k) {
        const NoteRecord& o = notes[k];
        if (k == i || !Live(o) || o.stave != n.stave) continue;
        for (int p = 0; p < o.appenditureCount && !drop; ++p) {
          const Appenditure& a = o.appenditures[p];
          if (!IsAccidentalKind(a.kind) || a.kind == kAccidentalSymbolDoubleSharp) continue;
          if (n.kind == kNoteMinim) {
            drop = Overlap(HeadBox(n), ItemBox(a));
            continue;
          }
          for (int slot = 0; slot < 4 && !drop; ++slot) {
            const int length = n.stemLength[slot];
            if (length != 1 && length != 2) continue;
            const int32_t offset = n.stemOffset[slot] & 0xFF;
            const int32_t x = slot % 2 == 0 ? n.left + offset : n.right - offset;
            const int32_t y0 = slot < 2 ? middle - length * space : middle;
            const int32_t y1 = slot < 2 ? middle : middle + length * space;
            drop = x >= a.left && x <= a.right && y0 <= a.bottom && a.top <= y1;
          }
        }
      }
    }
    if (drop) DeleteNoteRecord(notes, noteCount, i);
    else ++i;
  }
}

// One accidental claimed by two notes 1 to 3 steps apart keeps the better.
void ResolveSharedAccidentals(NoteRecord* notes, uint32_t noteCount, double spacing) {
  const double quarter = spacing / 4;
  for (uint32_t i = 0; i < noteCount; ++i) {
    for (uint32_t j = i + 1; j < noteCount; ++j) {
      NoteRecord& a = notes[i];
      NoteRecord& b = notes[j];
      if (!Live(a) || !Live(b) || a.stave != b.stave) continue;
      const int apart = std::abs(a.step - b.step);
      if (apart < 1 || apart > 3) continue;
      for (int p = 0; p < a.appenditureCount; ++p) {
        for (int q = 0; q < b.appenditureCount; ++q) {
          const Appenditure& x = a.appenditures[p];
          const Appenditure& y = b.appenditures[q];
          if (!IsAccidentalKind(x.kind) || !IsAccidentalKind(y.kind)) continue;
          const bool edges = std::abs(x.left - y.left) <= quarter || std::abs(x.right - y.right) <= quarter;
          if (!edges || x.top > y.bottom || y.top > x.bottom) continue;
          if (x.quality - x.score < y.quality - y.score) {
            DeleteAppenditure(notes, j, q);
          } else {
            DeleteAppenditure(notes, i, p);
            --p;
          }
          break;
        }
      }
    }
  }
}

// Searched crotchet and quaver rests over an accidental of a live note (and,
// once the dots are read, over a dot).
void DropRestsOverAppendages(const AppendagePage& page, const NoteRecord* notes, uint32_t noteCount,
                             SymbolRecord* symbols, uint32_t& symbolCount, bool dotsToo) {
  auto counts = [dotsToo](int kind) {
    return IsAccidentalKind(kind) || (dotsToo && (kind == kOneDot || kind == kTwoDots));
  };
  for (uint32_t i = 0; i < symbolCount;) {
    const SymbolRecord& s = symbols[i];
    bool over = false;
    if (IsSearchedShortRest(s)) {
      const int row = NoteStaveRow(page, s.stave);
      if (row >= 0) {
        const Box sb = SymbolBox(page, row, s);
        for (uint32_t k = 0; k < noteCount && !over; ++k) {
          const NoteRecord& n = notes[k];
          if (!Live(n) || n.stave != s.stave) continue;
          for (int p = 0; p < n.appenditureCount && !over; ++p)
            over = counts(n.appenditures[p].kind) && Overlap(ItemBox(n.appenditures[p]), sb);
        }
      }
    }
    if (over) DeleteSymbolRecord(symbols, symbolCount, i);
    else ++i;
  }
}

// Accidentals that a live symbol of the stave covers. The symbol's box
// reaches from its top step to its bottom one: an accidental above or below
// the stave beside a rest that ends under it (a natural on a ledger line
// after a quaver rest) stays.
void DropItemsUnderSymbols(const AppendagePage& page, NoteRecord* notes, uint32_t noteCount,
                           const SymbolRecord* symbols, uint32_t symbolCount) {
  for (uint32_t i = 0; i < noteCount; ++i) {
    NoteRecord& n = notes[i];
    if (!Live(n)) continue;
    for (int p = 0; p < n.appenditureCount;) {
      const Appenditure& a = n.appenditures[p];
      bool under = false;
      for (uint32_t k = 0; k < symbolCount && !under && IsAccidentalKind(a.kind); ++k) {
        const SymbolRecord& s = symbols[k];
        if (s.stave != n.stave || s.quality >= kRejectedQuality || s.left > a.right || a.left > s.right) continue;
        const int row = NoteStaveRow(page, s.stave);
        under = row < 0 || Overlap(SymbolBox(page, row, s), ItemBox(a));
      }
      if (under) DeleteAppenditure(notes, i, p);
      else ++p;
    }
  }
}

// ---- Phase 2: dots ----

bool CopyInk(const InkPage& ink, int32_t x, int32_t y) {
  if (x < 0 || y < 0 || x >= ink.width || y >= ink.height) return false;
  const size_t rowBytes = (static_cast<size_t>(ink.rowWordsLess1) + 1) * 4;
  return (ink.bits[static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x >> 3)] >> (x & 7)) & 1;
}

bool PaperRow(const InkPage& ink, int32_t x0, int32_t x1, int32_t y) {
  for (int32_t x = x0; x <= x1; ++x)
    if (CopyInk(ink, x, y)) return false;
  return true;
}

// A dot in the columns x0..x1 and rows top..bottom: rows holding one short
// run of ink with paper on both sides, at least minRows and at most maxRows
// of them, paper above and below.
bool FindDot(const InkPage& ink, int32_t x0, int32_t x1, int32_t top, int32_t bottom, int32_t maxRun, int32_t minRows,
             int32_t maxRows, Box* dot) {
  int32_t runStart = -1;
  Box blob{0, 0, 0, 0};
  for (int32_t y = top; y <= bottom + 1; ++y) {
    int32_t a = -1, b = -1;
    bool dotty = false, empty = true;
    if (y <= bottom) {
      for (int32_t x = x0; x <= x1; ++x) {
        if (!CopyInk(ink, x, y)) continue;
        empty = false;
        if (a < 0) a = x;
        b = x;
      }
      // One run, short, with paper on both sides.
      if (!empty) {
        bool solid = true;
        for (int32_t x = a; x <= b && solid; ++x) solid = CopyInk(ink, x, y);
        dotty = solid && b - a + 1 <= maxRun && !CopyInk(ink, a - 1, y) && !CopyInk(ink, b + 1, y);
      }
    }
    if (dotty) {
      if (runStart < 0) {
        runStart = y;
        blob = Box{a, y, b, y};
      } else {
        blob.left = std::min(blob.left, a);
        blob.right = std::max(blob.right, b);
        blob.bottom = y;
      }
      continue;
    }
    if (runStart >= 0) {
      const int32_t rows = y - runStart;
      // Paper above and below: beyond the window's edge rows as well, or a
      // stem or bar line cut by the window would pass for a dot.
      const bool paperAbove = runStart > top || PaperRow(ink, blob.left, blob.right, runStart - 1);
      const bool paperBelow = y <= bottom ? empty : PaperRow(ink, blob.left, blob.right, y);
      if (rows >= minRows && rows <= maxRows && paperBelow && paperAbove) {
        *dot = blob;
        return true;
      }
      runStart = -1;
    }
  }
  return false;
}

void FindDots(const Group& g, int row, NoteRecord* notes, uint32_t noteCount, uint32_t self,
              const SymbolRecord* symbols, uint32_t symbolCount) {
  const AppendagePage& page = g.page;
  NoteRecord& note = notes[self];
  note.dots = 0;
  note.dotsHigh = 0;
  const int32_t s = AccidentalBoxSide(RoundedInterlineSpacing(page.rows, page.rowCount, row, *page.geometry),
                                      note.uncertain != 0);
  if (s <= 0) return;
  const int32_t half = static_cast<int32_t>(g.spacing / 2);
  const int32_t thickness = std::max<int32_t>(1, page.rows[row].lineThickness);
  // An engraved dot is close to half a space across; the tip of a flag cut
  // off by the line removal, a third of that, is none.
  const int32_t least = std::max<int32_t>(
      g.SU, static_cast<int32_t>(0.3 * InterlineSpacing(page.rows, page.rowCount, row, *page.geometry)));
  const int lines = page.rows[row].lineCount;
  const int position = lines + 26 - note.step;
  int32_t starts[2] = {note.right, -1};
  int32_t mates = note.right;
  for (uint32_t i = 0; i < noteCount; ++i) {
    const NoteRecord& n = notes[i];
    if (i != self && Live(n) && n.stave == note.stave && n.kind == note.kind && n.uncertain == note.uncertain &&
        n.left <= note.right && note.left <= n.right)
      mates = std::max<int32_t>(mates, n.right);
  }
  if (mates > note.right + g.SU) starts[1] = mates;
  for (int32_t x0 : starts) {
    if (x0 < 0) continue;
    const int p0 = position - 1;
    int places[2] = {p0, -1};
    if (p0 % 2 == 0) {  // on a line: the spaces above and below
      places[0] = p0 - 1;
      places[1] = p0 + 1;
    }
    for (int p : places) {
      if (p < 0 || p > 30) continue;
      const int32_t at = std::max(0, x0 - g.SU);
      int32_t top = std::max(1, StaveNotePositionY(page.rows, page.rowCount, row, at, p, *page.geometry) - thickness);
      int32_t bottom = std::min(page.height - 2,
                                StaveNotePositionY(page.rows, page.rowCount, row, at, p + 2, *page.geometry) + thickness);
      if (note.step <= 11 || note.step >= 22) top = std::max(1, top - half);
      if (note.step < 11 || note.step >= 21) bottom = std::min(page.height - 2, bottom + half);
      int found = 0;
      int32_t from = x0 - g.SU, to = x0 + 2 * s;
      if (page.outlineWindow) page.outlineWindow(from, top, to - g.SU + s, bottom);
      Appenditure item{};
      for (int32_t x = from; x <= to && found < 2; x += g.SSU) {
        Box dot{};
        if (!FindDot(g.copy, x, x - g.SU + s, top, bottom, 3 * s / 4, g.SU, thickness + 3 * s / 4, &dot)) continue;
        if (dot.right - dot.left + 1 < least || dot.bottom - dot.top + 1 < least) continue;
        if (Claimed(page, row, dot, notes, noteCount, self, symbols, symbolCount, true, true)) continue;
        // A head standing between is the one the dot belongs to (a falling
        // line puts a line note's dot in the space of the note before it).
        if (HasNoteBetween(notes, noteCount, note.stave, x0 + 1, dot.left - 1)) continue;
        if (page.engineObjectIn && page.engineObjectIn(row, dot.left, dot.top, dot.right, dot.bottom)) continue;
        if (found == 0) {
          item.kind = kOneDot;
          item.left = static_cast<int16_t>(dot.left);
          item.right = static_cast<int16_t>(dot.right);
          item.top = static_cast<int16_t>(dot.top);
          item.bottom = static_cast<int16_t>(dot.bottom);
          item.quality = -5;
          item.stave = note.stave;
          note.dots = 1;
          found = 1;
          // The second dot: from just right of this window, 2s further.
          x = x - g.SU + s + 1 - g.SSU;
          to = x + g.SSU + 2 * s;
        } else {
          if (dot.left <= item.right) continue;
          item.kind = kTwoDots;
          item.right = static_cast<int16_t>(dot.right);
          item.top = static_cast<int16_t>(std::min<int32_t>(item.top, dot.top));
          item.bottom = static_cast<int16_t>(std::max<int32_t>(item.bottom, dot.bottom));
          note.dots = 2;
          found = 2;
        }
      }
      if (found > 0) {
        AddItem(note, item);
        return;  // a position that gave a dot ends the search
      }
    }
  }
}

}  // namespace

void DeleteAppenditure(NoteRecord* notes, uint32_t note, int item) {
  NoteRecord& n = notes[note];
  if (item < 0 || item >= n.appenditureCount || n.appenditureCount > kMaxAppenditures) return;
  for (int k = item; k + 1 < n.appenditureCount; ++k) n.appenditures[k] = n.appenditures[k + 1];
  --n.appenditureCount;
  n.appenditures[n.appenditureCount] = Appenditure{};
}

int NoteStaveRow(const AppendagePage& page, int n) {
  return FindStaveInGroup(page.rows, page.rowCount, page.firstRow, n);
}

void CleanNotesByAppendages(const AppendagePage& page, NoteRecord* notes, uint32_t& noteCount) {
  (void)page;
  // Searched heads inside another note's accidental.
  for (uint32_t i = 0; i < noteCount;) {
    const NoteRecord& n = notes[i];
    bool inside = false;
    if (Live(n) && n.origin < 100) {
      for (uint32_t k = 0; k < noteCount && !inside; ++k) {
        const NoteRecord& o = notes[k];
        if (k == i || !Live(o) || o.stave != n.stave) continue;
        for (int p = 0; p < o.appenditureCount && !inside; ++p)
          inside = IsAccidentalKind(o.appenditures[p].kind) && Overlap(ItemBox(o.appenditures[p]), HeadBox(n));
      }
    }
    if (inside) DeleteNoteRecord(notes, noteCount, i);
    else ++i;
  }
  // Searched heads in a dotted note's dot area.
  for (uint32_t d = 0; d < noteCount; ++d) {
    const NoteRecord& dotted = notes[d];
    if (!Live(dotted) || dotted.dots <= 0) continue;
    const int32_t s = std::max<int32_t>(1, dotted.space);
    const Box area{dotted.right + s / 2, dotted.top - s, dotted.right + s, dotted.bottom};
    for (uint32_t i = 0; i < noteCount;) {
      const NoteRecord& n = notes[i];
      bool drop = false;
      if (i != d && Live(n) && n.origin < 100 && n.stave == dotted.stave && Overlap(HeadBox(n), area)) {
        if (n.kind == kNoteMinim) {
          for (uint32_t k = 0; k < noteCount && !drop; ++k) {
            const NoteRecord& o = notes[k];
            drop = k != i && Live(o) && o.stave == n.stave && o.step == n.step && o.right <= n.left &&
                   n.left - o.right <= s / 2;
          }
        } else {
          drop = n.kind >= kNoteSemibreve || n.uncertain != 0;
        }
      }
      if (drop) {
        DeleteNoteRecord(notes, noteCount, i);
        if (i < d) --d;
      } else {
        ++i;
      }
    }
  }
}

int ReadAppenditures(const AppendagePage& page, NoteRecord* notes, uint32_t& noteCount, SymbolRecord* symbols,
                     uint32_t& symbolCount, const ShapeDatabase& db) {
  if (page.rowCount <= 0 || page.width <= 0 || page.height <= 0) return 1;
  SetStaveUnits(page.rows, page.firstRow, page.geometry->resolution);
  const StaveUnits& units = CurrentStaveUnits();
  const int rowWords = static_cast<int>(page.strideWords) - 1;
  Group g{page,
          InkPage{page.image, rowWords, page.width, page.height},
          InkPage{page.copy ? page.copy : page.image, rowWords, page.width, page.height},
          units.staveUnit,
          std::max(1, units.smallStaveUnit),
          InterlineSpacing(page.rows, page.rowCount, page.firstRow, *page.geometry)};

  std::vector<const uint8_t*> groups;
  const size_t records = db.RecordCount(ZoneGrid::k8x8);
  for (size_t k = 0; k + kSampleGroupRecords <= records; k += kSampleGroupRecords) {
    const int t = ZoneHeaderType(db.Record(ZoneGrid::k8x8, k));
    if (t >= kAccidentalSymbolNatural && t <= kAccidentalSymbolFlat) groups.push_back(db.Record(ZoneGrid::k8x8, k));
  }

  // The naturals cancelling the old key before a key change hold hollow
  // heads with stems to the head search; they claim no accidental here.
  for (uint32_t i = 0; i < noteCount;) {
    const NoteRecord& n = notes[i];
    if (Live(n) && n.origin < kConfirmedOrigin &&
        InKeyChangeLeadIn(symbols, symbolCount, n.stave, n.left, n.right, g.spacing))
      DeleteNoteRecord(notes, noteCount, i);
    else
      ++i;
  }

  MatchMemo matches;
  for (uint32_t i = 0; i < noteCount; ++i) {
    if (page.keepGoing && !page.keepGoing()) return 0;
    const int row = NoteStaveRow(page, notes[i].stave);
    if (row < 0 || !Live(notes[i]) || page.rows[row].kind != 0 || groups.empty()) continue;
    FindAccidental(g, row, notes, noteCount, i, symbols, symbolCount, groups, matches);
  }
  DropStrayAccidentals(notes, noteCount);
  SplitCompositeAccidentals(notes, noteCount);
  ResolveSharedAccidentals(notes, noteCount, g.spacing);
  DropRestsOverAppendages(page, notes, noteCount, symbols, symbolCount, false);
  DropHeadsInAccidentals(notes, noteCount);
  DropItemsUnderSymbols(page, notes, noteCount, symbols, symbolCount);

  for (uint32_t i = 0; i < noteCount; ++i) {
    if (page.keepGoing && !page.keepGoing()) return 0;
    const int row = NoteStaveRow(page, notes[i].stave);
    if (row < 0 || !Live(notes[i]) || page.rows[row].kind != 0) continue;
    FindDots(g, row, notes, noteCount, i, symbols, symbolCount);
  }
  DropRestsOverAppendages(page, notes, noteCount, symbols, symbolCount, true);
  CleanNotesByAppendages(page, notes, noteCount);
  return 1;
}

std::function<void(int32_t, int32_t, int32_t, int32_t)> DebugWindowOutline() {
  if (!StageDebugDrawing()) return nullptr;
  return [](int32_t left, int32_t top, int32_t right, int32_t bottom) {
    DrawDebugBoxes(DebugSurface::kPageView, {DebugBox{left, top, right, bottom, kAppendageDebugColour}});
  };
}

int AppendituresStage(StageContext& context) {
  const LoadedClassifier* classifier = Classifier();
  if (!classifier || !context.image || !context.lists) return 1;
  StavePage geometry = StageStavePage(context);
  AppendagePage page;
  page.image = context.image;
  page.copy = context.copy;
  page.strideWords = context.strideWords;
  page.width = static_cast<int32_t>(context.page->width);
  page.height = static_cast<int32_t>(context.page->height);
  page.rows = context.rows;
  page.rowCount = context.staveCount;
  page.firstRow = context.firstStave;
  page.geometry = &geometry;
  page.keepGoing = [] { return PollUserAbort(1); };
  page.engineObjectIn = [&context](int row, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return FindObjectNearBox(context.rows, context.staveCount, row, left, top, right, bottom, 0, 0) > 0;
  };
  page.outlineWindow = DebugWindowOutline();
  const ObjectSearchCache engineObjects;  // the engine's events read once for the whole step
  ReadingWorkLists& lists = *context.lists;
  try {
    return ReadAppenditures(page, lists.notes, lists.noteCount, lists.symbols, lists.symbolCount, classifier->shapes);
  } catch (const std::bad_alloc&) {
    QueueReadingNotice(NoticeKind::kErrorText, kTextNoMemoryToReadPage);
    return 0;  // the page ends; the program goes on
  }
}
