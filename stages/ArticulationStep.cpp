#include "stages/ArticulationStep.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <new>
#include <vector>

#include "platform/Settings.h"
#include "reading/StaveSpacing.h"
#include "shapes/ClassifierStartup.h"
#include "shapes/FeatureMatch.h"
#include "stages/AppendageStep.h"
#include "stages/BigSymbolStep.h"
#include "stages/KeySignatures.h"
#include "stages/NoteRecords.h"
#include "stages/SymbolNoteConflicts.h"
#include "stages/SymbolRecords.h"

namespace {

bool LiveNote(const NoteRecord& n) { return n.quality < kRejectedQuality; }
bool LiveSymbol(const SymbolRecord& s) { return s.quality < kRejectedQuality; }
bool IsClefSymbol(int t) { return t >= 1 && t <= 15; }
bool XOverlap(int32_t l0, int32_t r0, int32_t l1, int32_t r1) { return l0 <= r1 && l1 <= r0; }

// The group's staves: row index and stave number of each.
struct GroupStave {
  int row;
  int16_t number;
  double S;
};

struct Work {
  const ArticulationPage& page;
  std::vector<GroupStave> staves;
  SymbolRecord* symbols;
  uint32_t& symbolCount;
  NoteRecord* notes;
  uint32_t& noteCount;
  const ShapeDatabase& db;

  const GroupStave* Of(int16_t number) const {
    for (const GroupStave& g : staves)
      if (g.number == number) return &g;
    return nullptr;
  }
  const StaveRow& Row(const GroupStave& g) const { return page.rows[g.row]; }
  int16_t BottomStep(const GroupStave& g) const {
    return static_cast<int16_t>(std::min((Row(g).lineCount + 1) * 2, 15));
  }
  bool Full() const { return symbolCount >= static_cast<uint32_t>(kSymbolListLimit); }
  SymbolRecord& Add(const GroupStave& g, int16_t type, int32_t left, int32_t right, int16_t top, int16_t bottom,
                    int16_t quality) {
    SymbolRecord& r = symbols[symbolCount++];
    std::memset(&r, 0, sizeof r);
    r.type = type;
    r.left = static_cast<int16_t>(left);
    r.right = static_cast<int16_t>(right);
    r.stepTop = top;
    r.stepBottom = bottom;
    r.quality = quality;
    r.confidence = 100;
    r.stave = g.number;
    r.space = static_cast<int16_t>(std::lround(g.S));
    r.staveTopY = static_cast<int16_t>(Row(g).top);
    return r;
  }
  void DeleteSymbolsIf(const std::function<bool(const SymbolRecord&)>& drop) {
    for (uint32_t i = 0; i < symbolCount;) {
      if (drop(symbols[i])) DeleteSymbolRecord(symbols, symbolCount, i);
      else ++i;
    }
  }
  void DeleteNotesIf(const std::function<bool(const NoteRecord&)>& drop) {
    for (uint32_t i = 0; i < noteCount;) {
      if (LiveNote(notes[i]) && drop(notes[i])) DeleteNoteRecord(notes, noteCount, i);
      else ++i;
    }
  }
};

// 1. Joins of two pieces of one stave.
void MarkJoins(Work& w) {
  for (const GroupStave& g : w.staves) {
    const StaveRow& row = w.Row(g);
    if (row.joinLeftEnd == kNotJoined || row.joinRightStart == kNotJoined || w.Full()) continue;
    w.Add(g, 57, row.joinRightStart, row.joinRightStart, 4, w.BottomStep(g), 0);
    const double middle = (row.joinLeftEnd + row.joinRightStart) / 2.0;
    w.DeleteSymbolsIf([&](const SymbolRecord& s) {
      return s.stave == g.number && s.type >= 48 && s.type <= 56 && s.left <= row.joinRightStart + g.S &&
             s.right > middle;
    });
  }
}

// 3. A clef for every stave of the group that has none near its start.
void InsertMissingClefs(Work& w) {
  if (w.staves.size() == 1 && w.Row(w.staves[0]).lineCount == 5 && w.Row(w.staves[0]).kind != 1) return;
  const uint8_t* sample = InsertedClefSample(w.db);
  if (!sample) return;  // too few samples: nothing to take the header from
  // 2. The clef offset: the mean distance of the group's clefs from the
  // stave start.
  double sum = 0;
  int n = 0;
  for (uint32_t i = 0; i < w.symbolCount; ++i) {
    const SymbolRecord& s = w.symbols[i];
    const GroupStave* g = w.Of(s.stave);
    if (!g || w.Row(*g).kind == 2 || s.type < 1 || s.type > 8 || !LiveSymbol(s)) continue;
    const int32_t d = s.left - w.Row(*g).left;
    if (d >= 0 && d <= 4 * g->S) {
      sum += d;
      ++n;
    }
  }
  for (const GroupStave& g : w.staves) {
    const StaveRow& row = w.Row(g);
    bool has = false;
    for (uint32_t i = 0; i < w.symbolCount && !has; ++i) {
      const SymbolRecord& s = w.symbols[i];
      has = s.stave == g.number && s.type >= 1 && s.type <= 8 && LiveSymbol(s) && s.left <= row.left + 4 * g.S;
    }
    if (has || w.Full()) continue;
    const double offset = n > 0 && sum / n >= g.S ? sum / n : g.S;
    const int32_t left = static_cast<int32_t>(row.left + offset);
    const int32_t right = static_cast<int32_t>(left + 2.0 / 3.0 * 4 * g.S);
    uint32_t index = w.symbolCount;
    if (!AddClassifiedSymbol(w.symbols, w.symbolCount, sample, left, right - left, 4, g.number, 90, 95, 90, g.S / 2,
                             row.top))
      return;
    SymbolRecord& clef = w.symbols[index];
    clef.type = row.kind == 2 ? 11 : row.kind == 1 ? (row.lineCount == 4 ? 9 : 10) : 15;
    clef.left = static_cast<int16_t>(left);
    clef.right = static_cast<int16_t>(right);
    clef.stepTop = 4;
    clef.stepBottom = w.BottomStep(g);
    const SymbolRecord inserted = clef;
    for (uint32_t i = 0; i < w.symbolCount;) {
      const SymbolRecord& s = w.symbols[i];
      if (i != index && s.stave == g.number && s.score < 100 && XOverlap(s.left, s.right, left, right)) {
        DeleteSymbolRecord(w.symbols, w.symbolCount, i);
        if (i < index) --index;
      } else {
        ++i;
      }
    }
    w.DeleteNotesIf([&](const NoteRecord& note) {
      return note.stave == g.number && XOverlap(note.left, note.right, inserted.left, inserted.right);
    });
    const KeySearchPage keyPage{w.page.ink, w.page.rows, w.page.rowCount, w.page.geometry};
    FindKeySignature(keyPage, g.row, g.number, w.symbols, w.symbolCount, index, w.db);
  }
}

// 4-7: what clefs, crossed signs and the stave ends show to be false.
void DropContradicted(Work& w) {
  for (uint32_t i = 0; i < w.symbolCount; ++i) {
    const SymbolRecord clef = w.symbols[i];
    if (!IsClefSymbol(clef.type) || !LiveSymbol(clef)) continue;
    w.DeleteNotesIf([&](const NoteRecord& n) {
      return n.stave == clef.stave && XOverlap(n.left, n.right, clef.left, clef.right);
    });
  }
  // A single bar line through a clef part or a time signature goes; common
  // time crossed by one is cut time.
  for (uint32_t i = 0; i < w.symbolCount;) {
    const SymbolRecord& bar = w.symbols[i];
    bool crossed = false;
    if (bar.type == kSymbolBarline) {
      for (uint32_t j = 0; j < w.symbolCount; ++j) {
        SymbolRecord& s = w.symbols[j];
        const int t = s.type;
        if (j == i || s.stave != bar.stave || !XOverlap(s.left, s.right, bar.left, bar.right)) continue;
        if (t == 4 || t == 5 || t == 6 || t == 11 || t == 42 || t == 43) {
          crossed = true;
          if (t == 42) s.type = kSymbolCutTime;
        }
      }
    }
    if (crossed) DeleteSymbolRecord(w.symbols, w.symbolCount, i);
    else ++i;
  }
  w.DeleteSymbolsIf([&](const SymbolRecord& s) {
    const GroupStave* g = w.Of(s.stave);
    if (!g) return false;
    const StaveRow& row = w.Row(*g);
    if (IsBarlineSymbol(s.type) && s.type != 50 && s.left <= row.left + 2 * g->S) return true;
    return IsRestSymbol(s.type) && s.score < 100 && s.right >= row.right - g->S;
  });
}

// 8. Key signatures voted across the group.
void VoteKeySignatures(Work& w) {
  const uint32_t end = w.symbolCount;
  for (uint32_t i = 0; i < end && i < w.symbolCount; ++i) {
    const SymbolRecord key = w.symbols[i];
    if (!IsKeySignatureSymbol(key.type) || key.count < 1 || key.count > 7) continue;
    const GroupStave* own = w.Of(key.stave);
    if (!own) continue;
    const double reach = 2 * own->S;
    // Each stave's key there (index or -1).
    std::vector<int32_t> at(w.staves.size(), -1);
    int votes[8] = {};
    for (size_t k = 0; k < w.staves.size(); ++k) {
      const GroupStave& g = w.staves[k];
      if (g.number != key.stave && w.Row(g).kind != 0) continue;
      for (uint32_t j = 0; j < w.symbolCount; ++j) {
        const SymbolRecord& s = w.symbols[j];
        if (s.stave == g.number && IsKeySignatureSymbol(s.type) && s.count >= 1 && s.count <= 7 &&
            std::abs(s.left - key.left) <= reach) {
          at[k] = static_cast<int32_t>(j);
          ++votes[s.count];
          break;
        }
      }
    }
    int winner = 0;
    for (int c = 1; c <= 7; ++c)
      if (votes[c] > 0 && votes[c] >= votes[winner]) winner = c;
    if (winner == 0) continue;
    // The type of a key with the winning count.
    int16_t type = key.type;
    for (size_t k = 0; k < at.size(); ++k)
      if (at[k] >= 0 && w.symbols[at[k]].count == static_cast<uint32_t>(winner)) type = w.symbols[at[k]].type;
    SymbolRecord model = key;
    for (size_t k = 0; k < at.size(); ++k)
      if (at[k] >= 0 && w.symbols[at[k]].count == static_cast<uint32_t>(winner)) model = w.symbols[at[k]];
    for (size_t k = 0; k < w.staves.size(); ++k) {
      const GroupStave& g = w.staves[k];
      if (w.Row(g).kind != 0) continue;
      SymbolRecord* changed = nullptr;
      if (at[k] < 0) {
        if (w.Full()) continue;
        changed = &w.Add(g, type, model.left, model.right, 0, 15, model.quality);
        changed->count = static_cast<uint32_t>(winner);
      } else if (w.symbols[at[k]].count != static_cast<uint32_t>(winner)) {
        changed = &w.symbols[at[k]];
        if (w.page.keepUncontradictedKeys && changed->count >= static_cast<uint32_t>(winner)) continue;
        changed->type = type;
        changed->count = static_cast<uint32_t>(winner);
        changed->left = model.left;
        changed->right = model.right;
      }
      if (!changed) continue;
      const SymbolRecord placed = *changed;
      w.DeleteNotesIf([&](const NoteRecord& n) {
        if (w.page.keepUncontradictedKeys && n.origin >= 100) return false;
        return n.stave == placed.stave && XOverlap(n.left, n.right, placed.left, placed.right);
      });
    }
  }
}

// 9. After clefs and double bar lines with no key signature: the marker of
// no key (16 with count 8).
void MarkMissingKeys(Work& w) {
  const uint32_t end = w.symbolCount;
  for (uint32_t i = 0; i < end && !w.Full(); ++i) {
    const SymbolRecord s = w.symbols[i];
    const GroupStave* g = w.Of(s.stave);
    if (!g || !LiveSymbol(s)) continue;
    const bool clef = IsClefSymbol(s.type) && w.Row(*g).kind == 0 && s.left <= w.Row(*g).left + 4 * g->S;
    const bool bar = s.type == 49 || s.type == 54 || s.type == 56;
    if (!clef && !bar) continue;
    const SymbolRecord* next = nullptr;
    for (uint32_t j = 0; j < w.symbolCount; ++j) {
      const SymbolRecord& o = w.symbols[j];
      if (j == i || o.stave != s.stave || !LiveSymbol(o) || o.left < s.right) continue;
      if (!next || o.left < next->left) next = &o;
    }
    if (next && IsKeySignatureSymbol(next->type)) continue;
    w.Add(*g, kSymbolFlatKey, s.right + 1, s.right + 2, 4, 12, 0).count = 8;
  }
}

// 10. Nothing stands left of a clef near the stave's start.
void ClearBeforeClefs(Work& w) {
  for (const GroupStave& g : w.staves) {
    int32_t clefLeft = -1;
    for (uint32_t i = 0; i < w.symbolCount; ++i) {
      const SymbolRecord& s = w.symbols[i];
      if (s.stave == g.number && IsClefSymbol(s.type) && LiveSymbol(s) && s.left <= w.Row(g).left + 8 * g.S &&
          (clefLeft < 0 || s.left < clefLeft))
        clefLeft = s.left;
    }
    if (clefLeft < 0) continue;
    w.DeleteSymbolsIf([&](const SymbolRecord& s) { return s.stave == g.number && s.right < clefLeft; });
    w.DeleteNotesIf([&](const NoteRecord& n) { return n.stave == g.number && n.right < clefLeft; });
  }
}

bool IsUpperTimeSign(const SymbolRecord& s) {
  return (IsTimeDigitSymbol(s.type) && s.quality <= -64 && s.stepTop != 8) || s.type == 42 || s.type == 43;
}

// 11, 12. A bar line before a time signature that has none; cut time clears
// the heavy bar lines it stands on.
void SettleTimeSignatureBars(Work& w) {
  const uint32_t end = w.symbolCount;
  for (uint32_t i = 0; i < end && !w.Full(); ++i) {
    const SymbolRecord t = w.symbols[i];
    const GroupStave* g = w.Of(t.stave);
    if (!g || !IsUpperTimeSign(t)) continue;
    bool before = false;
    for (uint32_t j = 0; j < w.symbolCount && !before; ++j) {
      const SymbolRecord& s = w.symbols[j];
      before = s.stave == t.stave && (IsClefSymbol(s.type) || IsKeySignatureSymbol(s.type) || IsBarlineSymbol(s.type)) &&
               s.left < t.right && s.right >= t.left - 12 * g->S;
    }
    if (!before) w.Add(*g, kSymbolBarline, t.left - 2, t.left + 2, 4, w.BottomStep(*g), 0);
  }
  for (uint32_t i = 0; i < w.symbolCount; ++i) {
    const SymbolRecord cut = w.symbols[i];
    if (cut.type != kSymbolCutTime || cut.score >= 100) continue;
    w.DeleteSymbolsIf([&](const SymbolRecord& s) {
      return s.stave == cut.stave && s.type >= 49 && s.type <= 57 && XOverlap(s.left, s.right, cut.left, cut.right);
    });
  }
}

// 13. Time signatures voted across the group.
void VoteTimeSignatures(Work& w) {
  int notation = 0;
  for (const GroupStave& g : w.staves) notation += w.Row(g).kind != 1;
  const uint32_t end = w.symbolCount;
  for (uint32_t i = 0; i < end && i < w.symbolCount; ++i) {
    const SymbolRecord t = w.symbols[i];
    if (!IsTimeSignatureSymbol(t.type) || !LiveSymbol(t)) continue;
    const GroupStave* own = w.Of(t.stave);
    if (!own) continue;
    const double reach = 2 * own->S;
    int have = 0, tabHave = 0;
    bool other = false;
    std::vector<int> state(w.staves.size(), 0);  // 1 has it, 2 has another sign there
    for (size_t k = 0; k < w.staves.size(); ++k) {
      const GroupStave& g = w.staves[k];
      for (uint32_t j = 0; j < w.symbolCount; ++j) {
        const SymbolRecord& s = w.symbols[j];
        // A rejected record (a lone digit the pairing marked down) is no
        // sign on its stave: the stave gets a copy.
        if (s.stave != g.number || !LiveSymbol(s) || !IsTimeSignatureSymbol(s.type) || s.stepTop != t.stepTop ||
            std::abs(s.left - t.left) > reach)
          continue;
        if (s.type == t.type) {
          state[k] = 1;
          break;
        }
        state[k] = 2;
      }
      if (state[k] == 1) {
        ++have;
        tabHave += w.Row(g).kind == 1;
      }
      other = other || state[k] == 2;
    }
    const int share = have * 100 / std::max(1, notation + tabHave);
    if (share <= 30 || (other && share <= 50)) {
      w.DeleteSymbolsIf([&](const SymbolRecord& s) {
        return s.type == t.type && s.stepTop == t.stepTop && std::abs(s.left - t.left) <= reach && w.Of(s.stave);
      });
      i = static_cast<uint32_t>(-1);  // the list changed: start again
      continue;
    }
    for (size_t k = 0; k < w.staves.size(); ++k) {
      const GroupStave& g = w.staves[k];
      if (state[k] == 1) continue;
      if (state[k] == 2) {
        for (uint32_t j = 0; j < w.symbolCount; ++j) {
          SymbolRecord& s = w.symbols[j];
          if (s.stave == g.number && LiveSymbol(s) && IsTimeSignatureSymbol(s.type) && s.stepTop == t.stepTop &&
              std::abs(s.left - t.left) <= reach)
            s.type = t.type;
        }
      } else if (!w.Full()) {
        SymbolRecord& copy = w.Add(g, t.type, t.left, t.right, t.stepTop, t.stepBottom, t.quality);
        copy.confidence = t.confidence;
      }
    }
  }
}

// 14. Bar lines voted across the group.
void VoteBarlines(Work& w) {
  if (w.staves.size() < 2) return;
  struct Column {
    int32_t x;
    std::vector<int> types;  // per stave: its bar line's type there, 0 none
    std::vector<SymbolRecord> found;
  };
  std::vector<Column> columns;
  const double S = w.staves[0].S;
  for (size_t k = 0; k < w.staves.size(); ++k) {
    int taken = 0;
    for (uint32_t i = 0; i < w.symbolCount && taken < 128; ++i) {
      const SymbolRecord& s = w.symbols[i];
      if (s.stave != w.staves[k].number || !IsBarlineSymbol(s.type) || s.type == 57 || !LiveSymbol(s)) continue;
      ++taken;
      const int32_t x = (s.left + s.right) / 2;
      Column* c = nullptr;
      for (Column& col : columns)
        if (std::abs(col.x - x) <= 1.5 * S) c = &col;
      if (!c) {
        columns.push_back(Column{x, std::vector<int>(w.staves.size(), 0), {}});
        c = &columns.back();
      }
      c->types[k] = s.type;
      c->found.push_back(s);
    }
  }
  for (const Column& c : columns) {
    int present = 0;
    for (int t : c.types) present += t != 0;
    const StaveRow& first = w.Row(w.staves[0]);
    const bool nearEnd = c.x >= first.right - 2 * S;
    if (present * 100 < 60 * static_cast<int>(w.staves.size()) &&
        !(nearEnd && present * 100 >= 30 * static_cast<int>(w.staves.size())))
      continue;
    // The type: the most frequent; on equal counts anything over 48, 50..52
    // over 54, 52 over 50 and 51.
    int counts[58] = {};
    for (int t : c.types)
      if (t) ++counts[t];
    auto rank = [](int t) { return t == 52 ? 3 : (t == 50 || t == 51) ? 2 : t == 48 ? 0 : 1; };
    int best = 0;
    for (int t = 48; t <= 57; ++t)
      if (counts[t] > 0 && (best == 0 || counts[t] > counts[best] || (counts[t] == counts[best] && rank(t) > rank(best))))
        best = t;
    const SymbolRecord& model = c.found.front();
    for (size_t k = 0; k < w.staves.size() && !w.Full(); ++k) {
      if (c.types[k] != 0) continue;
      const GroupStave& g = w.staves[k];
      SymbolRecord& bar = w.Add(g, static_cast<int16_t>(best), model.left, model.right, 4,
                                static_cast<int16_t>(w.Row(g).kind == 2 ? 12 : w.BottomStep(g)), -99);
      bar.score = 7;
      bar.flag10 = w.Row(g).lineCount == 1 ? 1u : 0u;
    }
  }
}

// 16-18, 20: sub-items under signs, rests under notes and beside bar lines,
// what lies beyond a closing double bar line.
void DropAroundSigns(Work& w) {
  for (uint32_t i = 0; i < w.noteCount; ++i) {
    NoteRecord& n = w.notes[i];
    if (!LiveNote(n)) continue;
    for (int p = 0; p < n.appenditureCount;) {
      const Appenditure& a = n.appenditures[p];
      bool under = false;
      for (uint32_t j = 0; j < w.symbolCount && !under; ++j) {
        const SymbolRecord& s = w.symbols[j];
        const bool sign = IsBarlineSymbol(s.type) || IsTimeSignatureSymbol(s.type) || IsClefSymbol(s.type) ||
                          (IsKeySignatureSymbol(s.type) && s.count <= 7);
        if (!sign || s.stave != n.stave || !LiveSymbol(s)) continue;
        if (s.score >= 100 && !IsKeySignatureSymbol(s.type)) continue;
        under = XOverlap(a.left, a.right, s.left, s.right);
      }
      if (under) DeleteAppenditure(w.notes, i, p);
      else ++p;
    }
  }
  AppendagePage notePage;
  notePage.rows = w.page.rows;
  notePage.rowCount = w.page.rowCount;
  notePage.firstRow = w.page.firstRow;
  notePage.geometry = w.page.geometry;
  CleanNotesByAppendages(notePage, w.notes, w.noteCount);

  w.DeleteSymbolsIf([&](const SymbolRecord& r) {
    const GroupStave* g = w.Of(r.stave);
    if (!g || r.score >= 100) return false;
    if (r.type >= 70 && r.type <= 73) {
      const int32_t top = StavePositionY(w.page.rows, w.page.rowCount, g->row, r.left, r.stepTop, *w.page.geometry);
      const int32_t bottom =
          StavePositionY(w.page.rows, w.page.rowCount, g->row, r.left, r.stepBottom, *w.page.geometry);
      for (uint32_t i = 0; i < w.noteCount; ++i) {
        const NoteRecord& n = w.notes[i];
        if (LiveNote(n) && n.stave == r.stave && n.kind <= kNoteCrotchet && XOverlap(n.left, n.right, r.left, r.right) &&
            n.top > top - g->S && n.top < bottom)
          return true;
      }
    }
    if (r.type == 68 || r.type == 69) {
      const int32_t unit = std::max<int32_t>(1, static_cast<int32_t>(g->S / 5));
      for (uint32_t j = 0; j < w.symbolCount; ++j) {
        const SymbolRecord& bar = w.symbols[j];
        if (bar.stave == r.stave && IsBarlineSymbol(bar.type) &&
            XOverlap(r.left, r.right, bar.left - unit, bar.right + unit))
          return true;
      }
    }
    return false;
  });

  for (const GroupStave& g : w.staves) {
    const SymbolRecord* last = nullptr;
    for (uint32_t i = 0; i < w.symbolCount; ++i) {
      const SymbolRecord& s = w.symbols[i];
      if (s.stave == g.number && IsBarlineSymbol(s.type) && s.quality <= 5 && (!last || s.right > last->right))
        last = &s;
    }
    if (!last || (last->type != 49 && last->type != 54 && last->type != 56)) continue;
    const int32_t edge = last->right;
    w.DeleteNotesIf([&](const NoteRecord& n) { return n.stave == g.number && n.origin < 100 && n.right > edge; });
    w.DeleteSymbolsIf(
        [&](const SymbolRecord& s) { return s.stave == g.number && IsRestSymbol(s.type) && s.score < 100 && s.left > edge; });
  }
}

// 15. What stands between two digits of one time signature that the list
// holds apart goes; a bar line there moves before the digits.
void ClearTimeSignatureColumns(Work& w) {
  for (uint32_t i = 0; i < w.symbolCount; ++i) {
    const SymbolRecord a = w.symbols[i];
    const GroupStave* g = w.Of(a.stave);
    if (!g || !IsTimeDigitSymbol(a.type)) continue;
    for (uint32_t j = i + 2; j < w.symbolCount; ++j) {
      const SymbolRecord& b = w.symbols[j];
      if (b.stave != a.stave || !IsTimeDigitSymbol(b.type)) continue;
      if (a.left > b.right + g->S || b.left > a.right + g->S) continue;
      const int32_t digitsLeft = std::min(a.left, b.left);
      for (uint32_t k = i + 1; k < j;) {
        SymbolRecord& m = w.symbols[k];
        if (IsBarlineSymbol(m.type)) {
          const int32_t width = m.right - m.left;
          m.right = static_cast<int16_t>(digitsLeft - 1);
          m.left = static_cast<int16_t>(m.right - width);
          ++k;
        } else if (m.score < 100 && !IsTimeDigitSymbol(m.type) && !IsKeySignatureSymbol(m.type)) {
          DeleteSymbolRecord(w.symbols, w.symbolCount, k);
          --j;
        } else {
          ++k;
        }
      }
      break;
    }
  }
}

// 21. Between a clef and its key and time signatures stands nothing else.
void ClearClefRegions(Work& w) {
  for (uint32_t i = 0; i < w.symbolCount; ++i) {
    const SymbolRecord clef = w.symbols[i];
    const GroupStave* g = w.Of(clef.stave);
    if (!g || clef.type < 1 || clef.type > 8 || clef.quality > 5) continue;
    int32_t end = clef.right + clef.space / 2;
    for (uint32_t j = 0; j < w.symbolCount; ++j) {
      const SymbolRecord& s = w.symbols[j];
      if (s.stave == clef.stave && (IsKeySignatureSymbol(s.type) || IsTimeSignatureSymbol(s.type)) &&
          std::abs(s.left - clef.left) <= 8 * g->S)
        end = std::max<int32_t>(end, s.right);
    }
    const int32_t from = clef.right;
    w.DeleteSymbolsIf([&](const SymbolRecord& s) {
      if (s.stave != clef.stave || IsKeySignatureSymbol(s.type) || IsTimeSignatureSymbol(s.type) ||
          IsBarlineSymbol(s.type) || (s.type >= 1 && s.type <= 8))
        return false;
      return s.right > from && s.left < end;
    });
    w.DeleteNotesIf([&](const NoteRecord& n) { return n.stave == clef.stave && n.right > from && n.left < end; });
    // The list changed under i: the clef keeps its place or moved down.
    while (i > 0 && (i >= w.symbolCount || w.symbols[i].left != clef.left || w.symbols[i].type != clef.type)) --i;
  }
}

// The x of a note's stem: the first stem slot it has (up-left, up-right,
// down-left, down-right), its offset measured in from that edge of the
// head; the head's left edge for notes without a stem and long notes.
int32_t NoteStemX(const NoteRecord& n) {
  if (n.kind >= kNoteSemibreve) return n.left;
  for (int slot = 0; slot < 4; ++slot) {
    if (n.stemLength[slot] < 1) continue;
    const int32_t offset = n.stemOffset[slot] & 0xFF;
    return slot % 2 == 0 ? n.left + offset : n.right - offset;
  }
  return n.left;
}

// 19. A stem taken for a bar line: a double or heavy bar line a searched
// note runs into is cut back to a single one beside the note; any other bar
// line it runs into costs the note.
void SettleStemsOnBarlines(Work& w, int32_t smallUnit) {
  for (uint32_t i = 0; i < w.noteCount;) {
    const NoteRecord& n = w.notes[i];
    if (!LiveNote(n) || n.origin >= 100 || (n.kind <= kNoteCrotchet && n.quality < 1)) {
      ++i;
      continue;
    }
    const int32_t x = NoteStemX(n);
    bool drop = false;
    for (uint32_t j = 0; j < w.symbolCount && !drop; ++j) {
      SymbolRecord& bar = w.symbols[j];
      if (bar.stave != n.stave || !IsBarlineSymbol(bar.type)) continue;
      const bool stemIn = x >= bar.left - smallUnit && x <= bar.right + smallUnit;
      const bool headIn = XOverlap(n.left, n.right, bar.left - smallUnit, bar.right + smallUnit);
      if (!stemIn && !headIn) continue;
      const int32_t middle = (bar.left + bar.right) / 2;
      if ((bar.type == 54 || bar.type == 56) && x != middle) {
        // Cut clear of the note's head, widening included, so that the pass
        // run again does not take the same note for a conflict.
        bar.type = kSymbolBarline;
        if (x < middle) bar.left = static_cast<int16_t>(n.right + 1 + smallUnit);
        else bar.right = static_cast<int16_t>(n.left - 1 - smallUnit);
      } else {
        drop = true;
      }
    }
    if (drop) DeleteNoteRecord(w.notes, w.noteCount, i);
    else ++i;
  }
}

// 22. Every empty bar of at least three spaces gets a one-bar rest.
void FillEmptyBars(Work& w) {
  SortSymbolsByStave(w.symbols, w.symbolCount);
  const uint32_t end = w.symbolCount;
  for (uint32_t i = 0; i < end && !w.Full(); ++i) {
    const SymbolRecord bar = w.symbols[i];
    const GroupStave* g = w.Of(bar.stave);
    if (!g || w.Row(*g).kind == 1 || !IsBarlineSymbol(bar.type) || bar.quality > 5) continue;
    int32_t open = w.Row(*g).left;  // the stave's start counts as a bar line
    if (i > 0 && w.symbols[i - 1].stave == bar.stave) {
      const SymbolRecord& before = w.symbols[i - 1];
      const bool opens = IsBarlineSymbol(before.type) || IsClefSymbol(before.type) || IsTimeSignatureSymbol(before.type) ||
                         IsKeySignatureSymbol(before.type);
      if (!opens) continue;
      open = before.right;
    }
    if (bar.left - open < 3 * g->S) continue;
    bool notes = false;
    for (uint32_t k = 0; k < w.noteCount && !notes; ++k) {
      const NoteRecord& n = w.notes[k];
      notes = LiveNote(n) && n.stave == bar.stave && n.right > open && n.left < bar.left;
    }
    if (notes) continue;
    const int32_t middle = (open + bar.left) / 2;
    SymbolRecord& rest = w.Add(*g, kSymbolMultiBarRest, middle - 5, middle + 5, 6, 10, -5);
    rest.count = 1;
  }
}

// 23. Nothing but bar lines stands in the gap between two joined pieces.
void ClearJoinGaps(Work& w) {
  for (const GroupStave& g : w.staves) {
    const StaveRow& row = w.Row(g);
    if (row.joinLeftEnd == kNotJoined || row.joinRightStart == kNotJoined) continue;
    const int32_t a = row.joinLeftEnd, b = row.joinRightStart;
    w.DeleteSymbolsIf([&](const SymbolRecord& s) {
      return s.stave == g.number && !IsBarlineSymbol(s.type) && s.left > a && s.right < b;
    });
    w.DeleteNotesIf([&](const NoteRecord& n) { return n.stave == g.number && n.left > a && n.right < b; });
  }
}

}  // namespace

const uint8_t* InsertedClefSample(const ShapeDatabase& db) {
  const size_t third = 2 * kSampleGroupRecords;
  if (db.RecordCount(ZoneGrid::k8x16) < third + 1) return nullptr;
  return db.Record(ZoneGrid::k8x16, third);
}

void ReadArticulation(const ArticulationPage& page, SymbolRecord* symbols, uint32_t& symbolCount, NoteRecord* notes,
                      uint32_t& noteCount, const ShapeDatabase& db) {
  if (page.rowCount <= 0 || page.firstRow < 0 || page.firstRow >= page.rowCount) return;
  Work w{page, {}, symbols, symbolCount, notes, noteCount, db};
  const int group = page.rows[page.firstRow].group;
  for (int r = page.firstRow; r < page.rowCount && page.rows[r].group == group; ++r)
    w.staves.push_back(GroupStave{r, static_cast<int16_t>(page.rows[r].number - 1),
                                  InterlineSpacing(page.rows, page.rowCount, r, *page.geometry)});
  SetStaveUnits(page.rows, page.firstRow, page.geometry->resolution);

  MarkJoins(w);
  InsertMissingClefs(w);
  DropContradicted(w);
  VoteKeySignatures(w);
  MarkMissingKeys(w);
  ClearBeforeClefs(w);
  SettleTimeSignatureBars(w);
  VoteTimeSignatures(w);
  VoteBarlines(w);
  SortSymbolsByStave(symbols, symbolCount);
  ClearTimeSignatureColumns(w);
  DropAroundSigns(w);
  const int32_t smallUnit = std::max(1, CurrentStaveUnits().smallStaveUnit);
  SettleStemsOnBarlines(w, smallUnit);
  SortSymbolsByStave(symbols, symbolCount);
  SettleStemsOnBarlines(w, smallUnit);
  ClearClefRegions(w);
  FillEmptyBars(w);
  ClearJoinGaps(w);
  SortSymbolsByStave(symbols, symbolCount);
}

int ArticulationStage(StageContext& context) {
  const LoadedClassifier* classifier = Classifier();
  if (!classifier || !context.image || !context.lists) return 1;
  StavePage geometry = StageStavePage(context);
  ArticulationPage page;
  page.ink = InkPage{context.image, static_cast<int>(context.strideWords) - 1, static_cast<int>(context.page->width),
                     static_cast<int>(context.page->height)};
  page.rows = context.rows;
  page.rowCount = context.staveCount;
  page.firstRow = context.firstStave;
  page.geometry = &geometry;
  // In a transposing score the staves of a group carry different keys.
  page.keepUncontradictedKeys = Unsaved().transposingScores;
  ReadingWorkLists& lists = *context.lists;
  // The step works on copies of the lists and writes them back whole, so a
  // failed allocation changes nothing.
  try {
    std::vector<SymbolRecord> symbols(kSymbolListCapacity);
    std::vector<NoteRecord> notes(kNoteListCapacity);
    uint32_t symbolCount = std::min<uint32_t>(lists.symbolCount, kSymbolListCapacity);
    uint32_t noteCount = std::min<uint32_t>(lists.noteCount, kNoteListCapacity);
    std::copy(lists.symbols, lists.symbols + symbolCount, symbols.begin());
    std::copy(lists.notes, lists.notes + noteCount, notes.begin());
    ReadArticulation(page, symbols.data(), symbolCount, notes.data(), noteCount, classifier->shapes);
    // Where a searched head and a symbol now share a place, the worse goes.
    ResolveSymbolNoteConflicts(notes.data(), noteCount, symbols.data(), symbolCount, context.rows, context.staveCount,
                               context.firstStave, CountStavesInGroup(context.rows, context.staveCount, context.firstStave),
                               geometry, SymbolContextScore);
    std::copy(symbols.begin(), symbols.begin() + symbolCount, lists.symbols);
    std::copy(notes.begin(), notes.begin() + noteCount, lists.notes);
    lists.symbolCount = symbolCount;
    lists.noteCount = noteCount;
  } catch (const std::bad_alloc&) {
    QueueReadingNotice(NoticeKind::kErrorText, kTextNoMemoryToReadPage);
  }
  return 1;
}
