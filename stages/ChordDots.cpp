#include "stages/ChordDots.h"

#include <climits>

#include "reading/ReadingThread.h"
#include "reading/StaveSpacing.h"
#include "stages/StemCandidates.h"
#include "stages/SymbolRecords.h"
#include "stages/TabNumbers.h"

namespace {

bool Live(const NoteRecord& n) { return n.quality < kRejectedQuality; }

bool ChordMates(const NoteRecord& a, const NoteRecord& b) {
  return Live(b) && a.stave == b.stave && a.kind == b.kind && a.stemDown == b.stemDown;
}

bool IsBarline(int type) { return type >= 48 && type <= 57; }
// A bar line, clef, time or key signature: what bounds a bar.
bool BoundsBar(int type) {
  return IsBarline(type) || (type >= 1 && type <= 15) || (type >= 32 && type <= 43) || type == kSymbolFlatKey ||
         type == kSymbolSharpKey;
}
bool IsRest(int type) { return type >= kSymbolRestBase && type <= kSymbolMultiBarRest; }

constexpr int kBreveRest = 72;
constexpr int kSemibreveRest = 71;
constexpr int kMinimRest = 70;

// The record before / after index on its stave, -1 when none.
int PreviousOnStave(const SymbolRecord* s, uint32_t index) {
  return index > 0 && s[index - 1].stave == s[index].stave ? static_cast<int>(index) - 1 : -1;
}
int NextOnStave(const SymbolRecord* s, uint32_t count, uint32_t index) {
  return index + 1 < count && s[index + 1].stave == s[index].stave ? static_cast<int>(index) + 1 : -1;
}

bool NoNoteBetween(const NoteRecord* notes, uint32_t noteCount, int stave, int fromX, int toX) {
  return !HasNoteBetween(notes, noteCount, stave, fromX, toX);
}

// Deletes the record after index when it is of type on the same stave with
// no note between; true when it did.
bool DeleteFollowing(SymbolRecord* s, uint32_t& count, uint32_t index, int type, const NoteRecord* notes,
                     uint32_t noteCount) {
  const int next = NextOnStave(s, count, index);
  if (next < 0 || s[next].type != type) return false;
  if (!NoNoteBetween(notes, noteCount, s[index].stave, s[index].right, s[next].left)) return false;
  DeleteSymbolRecord(s, count, static_cast<uint32_t>(next));
  return true;
}

// A multi-bar rest stands when what comes before it (the stave's start counts
// as a bar line) bounds a bar, a bar line follows it and no note of the stave
// lies in its bar.
bool RestStandsInBar(const SymbolRecord* s, uint32_t count, uint32_t index, const NoteRecord* notes,
                     uint32_t noteCount) {
  const SymbolRecord& r = s[index];
  const int prev = PreviousOnStave(s, index), next = NextOnStave(s, count, index);
  if (prev >= 0 && !BoundsBar(s[prev].type)) return false;
  if (next < 0 || !IsBarline(s[next].type)) return false;
  const int from = prev >= 0 ? s[prev].right : INT_MIN;
  if (HasNoteBetween(notes, noteCount, r.stave, from, r.left)) return false;
  return !HasNoteBetween(notes, noteCount, r.stave, r.right, s[next].left);
}

// The stem candidate passes' neighbour test on two records of the list.
int RelateListedStems(const NoteRecord* notes, uint32_t i, uint32_t j, int unit) {
  return RelateStemNeighbours(notes[i], notes[j], unit);
}

}  // namespace

int OuterNotesStage(StageContext& c) {
  MarkOuterNotes(c.lists->notes, c.lists->noteCount, 0);
  return 1;
}

int DotCountsStage(StageContext& c) {
  HarmoniseDotCounts(c.lists->notes, c.lists->noteCount, c.rows, c.staveCount, c.firstStave,
                     c.page && c.page->resolution > 0 ? c.page->resolution : 300, RelateListedStems);
  return 1;
}

int FinishGroupStage(StageContext& c) {
  ReadingWorkLists& l = *c.lists;
  const int resolution = c.page && c.page->resolution > 0 ? c.page->resolution : 300;
  CopyNoteValuesToTabNotes(c.rows, c.staveCount, l.notes, l.noteCount, c.firstStave);
  CopySymbolsToTabStaves(c.rows, c.staveCount, l.notes, l.noteCount, l.symbols, l.symbolCount, c.firstStave,
                         resolution);
  FinishStaveGroupStep(c.rows, c.staveCount, c.firstStave, c.lists->symbols, c.lists->symbolCount, c.lists->notes,
                       c.lists->noteCount);
  return 1;
}

void HarmoniseDotCounts(NoteRecord* notes, uint32_t count, const StaveRow* rows, int staveCount, int firstStave,
                        int resolution, StemNeighbourRelation relate) {
  if (!relate) return;
  int unitStave = -1;
  for (uint32_t i = 0; i < count; ++i) {
    if (!Live(notes[i])) continue;
    const int s = FindStaveInGroup(rows, staveCount, firstStave, notes[i].stave);
    if (s != unitStave && s >= 0) {
      SetStaveUnits(rows, s, resolution);
      unitStave = s;
    }
    const int unit = CurrentStaveUnits().staveUnit;
    int sum = notes[i].dots, n = 1;
    for (uint32_t j = 0; j < count; ++j)
      if (j != i && ChordMates(notes[i], notes[j]) && relate(notes, i, j, unit)) {
        sum += notes[j].dots;
        ++n;
      }
    const double mean = double(sum) / n;
    const int16_t dots = mean > 2.5 ? 3 : mean > 1.5 ? 2 : mean > 0.4 ? 1 : 0;
    notes[i].dots = dots;
    for (uint32_t j = 0; j < count; ++j)
      if (j != i && ChordMates(notes[i], notes[j]) && relate(notes, i, j, unit)) notes[j].dots = dots;
  }
}

void MarkOuterNotes(NoteRecord* notes, uint32_t count, uint32_t first) {
  for (uint32_t i = first; i < count; ++i) {
    NoteRecord& n = notes[i];
    if (!Live(n)) continue;
    n.chordTop = n.chordBottom = 1;
    for (uint32_t j = 0; j < count && (n.chordTop || n.chordBottom); ++j) {
      if (j == i || !ChordMates(n, notes[j])) continue;
      const NoteRecord& m = notes[j];
      if (!(m.left < n.right && m.right > n.left)) continue;
      if (m.step > n.step) n.chordTop = 0;
      if (m.step < n.step) n.chordBottom = 0;
    }
  }
}

int HasNoteBetween(const NoteRecord* notes, uint32_t count, int stave, int fromX, int toX) {
  for (uint32_t i = 0; i < count; ++i)
    if (Live(notes[i]) && notes[i].stave == stave && notes[i].left >= fromX && notes[i].right <= toX) return 1;
  return 0;
}

void FinishStaveGroupStep(const StaveRow* rows, int staveCount, int firstStave, SymbolRecord* s, uint32_t& count,
                          const NoteRecord* notes, uint32_t noteCount) {
  // First pass, in list order.
  for (uint32_t i = 0; i < count;) {
    SymbolRecord& r = s[i];
    if (r.type == kSymbolMultiBarRest) {
      while (DeleteFollowing(s, count, i, kSymbolMultiBarRest, notes, noteCount)) {
      }
      DeleteFollowing(s, count, i, kBreveRest, notes, noteCount);
      DeleteFollowing(s, count, i, kSemibreveRest, notes, noteCount);
      if (!RestStandsInBar(s, count, i, notes, noteCount)) {
        DeleteSymbolRecord(s, count, i);
        continue;
      }
      r.count = 1;
    } else if (r.type == kBreveRest) {
      r.type = kSymbolMultiBarRest;
      r.count = DeleteFollowing(s, count, i, kSemibreveRest, notes, noteCount) ? 3 : 2;
    } else if (r.type == kSemibreveRest || r.type == kMinimRest) {
      int from = INT_MIN, to = INT_MAX;
      uint32_t lo = i, hi = i;
      while (lo > 0 && s[lo - 1].stave == r.stave && !BoundsBar(s[lo - 1].type)) --lo;
      while (hi + 1 < count && s[hi + 1].stave == r.stave && !BoundsBar(s[hi + 1].type)) ++hi;
      if (lo > 0 && s[lo - 1].stave == r.stave) from = s[lo - 1].right;
      if (hi + 1 < count && s[hi + 1].stave == r.stave) to = s[hi + 1].left;
      bool otherRest = false;
      for (uint32_t k = lo; k <= hi; ++k)
        if (k != i && IsRest(s[k].type)) otherRest = true;
      if (!otherRest && !HasNoteBetween(notes, noteCount, r.stave, from, to)) {
        r.type = kSymbolMultiBarRest;
        r.count = 1;
      }
    }
    ++i;
  }
  // Second pass: long rests that do not fill a bar of their own go.
  for (uint32_t i = 0; i < count;) {
    const SymbolRecord& r = s[i];
    const int row = FindStaveInGroup(rows, staveCount, firstStave, r.stave);
    const bool tab = row >= 0 && rows[row].kind == kTablatureStaveKind;
    const bool longRest = (r.type == kSymbolMultiBarRest && r.count >= 2) || r.type == kBreveRest;
    if (r.quality <= 5 && !tab && longRest && !RestStandsInBar(s, count, i, notes, noteCount)) {
      DeleteSymbolRecord(s, count, i);
      continue;
    }
    ++i;
  }
}
