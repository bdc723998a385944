#include "stages/NoteheadStep.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/Messages.h"
#include "reading/ObjectSearch.h"
#include "reading/StaveSpacing.h"
#include "stages/NoteRecords.h"

namespace {

constexpr uint32_t kThinningCount = kNoteListLimit - 1;
constexpr int kMaxLedgerLines = 6;

struct StaveSearch {
  const HeadImage& image;
  const StaveRow* rows;
  int count;
  int s;
  StavePage& page;
  NoteRecord* notes;
  uint32_t& noteCount;
  uint32_t first;     // M: the first record of the stave's own search
  int16_t stave;
  double S;
  int32_t u;
  int32_t upperLimit;
  int32_t lowerLimit;
  bool aborted = false;
  bool full = false;

  const StaveRow& row() const { return rows[s]; }
  int32_t PositionY(int32_t x, int p) { return StaveNotePositionY(rows, count, s, x, p, page); }
  int32_t TopLineY(int32_t x) { return StaveTopLineY(rows, s, x, page) + rows[s].top; }
  int32_t LineY(int32_t x, int k) { return StaveLineY(rows, s, k, x, page) + rows[s].top; }
  bool Poll() {
    if (!aborted && !PollUserAbort(1)) aborted = true;
    return !aborted;
  }
};

void ClearTable(HeadCandidate* table) {
  for (int i = 0; i < kCandidateEntries; ++i) table[i] = HeadCandidate{0, 0, 0, 0, 0, 0};
}

int BestScore(const HeadCandidate* table) {
  int best = 0;
  for (int i = 0; i < kCandidateEntries; ++i) best = std::max(best, table[i].score);
  return best;
}

// A record of the stave's own search from table entry c.
void MakeRecord(StaveSearch& ss, const HeadCandidate& e, int c, int32_t step, bool ledger) {
  if (ss.full) return;
  NoteRecord& r = ss.notes[std::min<uint32_t>(ss.noteCount, kNoteListLimit - 1)];
  r = NoteRecord{};
  r.confidence = static_cast<int16_t>(e.score);
  r.left = static_cast<int16_t>(e.left);
  r.right = static_cast<int16_t>(e.right);
  r.top = static_cast<int16_t>(e.top);
  r.bottom = static_cast<int16_t>(e.bottom);
  r.step = static_cast<int16_t>(step);
  r.kind = static_cast<uint32_t>(kNoteCrotchet + c);
  r.stave = ss.stave;
  r.origin = kSearchOrigin;
  r.ledgerCount = ledger ? 1 : 0;
  r.staveTopY = static_cast<int16_t>(ss.TopLineY(e.left));
  r.space = static_cast<int16_t>(ss.S);
  r.uncertain = r.uncertain2 = static_cast<uint32_t>(e.flag);
  if (ss.noteCount < static_cast<uint32_t>(kNoteListLimit)) ++ss.noteCount;
  if (ss.noteCount >= kThinningCount && !ThinNoteRecords(ss.notes, ss.noteCount, ss.first)) ss.full = true;
}

int MakeRecords(StaveSearch& ss, const HeadCandidate* table, int32_t step, bool ledger) {
  int made = 0;
  for (int c = 0; c < 3; ++c)
    if (table[c].score >= kAcceptedHeadScore) {
      MakeRecord(ss, table[c], c, step, ledger);
      ++made;
    }
  return made;
}

int32_t Match(StaveSearch& ss, int32_t x, int32_t top, int32_t bottom, int p, bool leftOfX, HeadCandidate* table) {
  return MatchNoteheadShape(ss.image, x, top, bottom, ss.u, ss.row().lineThickness, p, leftOfX, table, ss.rows,
                            ss.count, ss.s, 0, ss.row().kind == 2);
}

// One pass over the line and space positions of the stave.
void PositionPass(StaveSearch& ss) {
  const StaveRow& row = ss.row();
  const StaveUnits units = CurrentStaveUnits();
  const int32_t su = std::max(1, units.staveUnit), small = std::max(1, units.smallStaveUnit);
  const int32_t lt = std::max<int32_t>(1, row.lineThickness);
  const int lastP = 11 + 2 * (row.lineCount - 1);
  const int32_t stepBase = row.lineCount + 25;
  HeadCandidate table[kCandidateEntries];
  for (int p = 9; p <= lastP && !ss.aborted && !ss.full; ++p) {
    const double T = (p >= 10 && p <= lastP - 1) ? lt + ((lt + 1) & ~1) / 2.0 : 1.5 * lt;
    for (int32_t x = row.left + ss.u; x < row.right - ss.u && !ss.full;) {
      if (x < 0 || x >= ss.image.width) {
        x += small;
        continue;
      }
      if (!ss.Poll()) return;
      const bool odd = (p & 1) != 0;
      int32_t ya = ss.PositionY(x, odd ? p : p + 1);
      int32_t yb = ss.PositionY(x, odd ? p + 2 : p + 3);
      if (yb >= ss.image.height || ya < 0) break;
      // An empty column: a white run as long as the stretch less the lines.
      int32_t run = 0, longest = 0;
      for (int32_t y = ya; y <= yb; y += su) {
        run = ss.image.Ink(x, y) ? 0 : run + su;
        longest = std::max(longest, run);
      }
      int b = 0;
      ClearTable(table);
      if (longest < yb - ya - T) {
        if (!odd) {
          ya = ss.PositionY(x, p);
          yb = ss.PositionY(x, p + 2);
        }
        const int32_t e = IsSpaceStep(p, row) ? 2 * small : 0;
        int reported = Match(ss, x - e, ya, yb, p, false, table);
        if (!reported && e > 0) reported = Match(ss, x, ya, yb, p, false, table);
        if (reported) {
          b = BestScore(table);
          if (b < 100)
            for (int32_t d = small - e; d < ss.S / 2; d += small) Match(ss, x + d, ya, yb, p, d < 0, table);
          b = BestScore(table);
          MakeRecords(ss, table, stepBase - p, false);
        }
      }
      if (b >= 100) x += static_cast<int32_t>(ss.S / 2);
      else if (IsSpaceStep(p, row)) x += small;
      if (table[0].score >= 100) x = std::max(x, table[0].right - small);
      x += small;
    }
  }
}

// The row within the band of the longest dark run starting at x (single
// white pixels bridged, up to bridges times); its length in *longest.
int32_t LongestRunRow(const HeadImage& img, int32_t x, int32_t y0, int32_t y1, int32_t bridges, int32_t limit,
                      int32_t* longest) {
  int32_t bestRow = -1;
  *longest = 0;
  for (int32_t y = std::max(0, y0); y <= y1 && y < img.height; ++y) {
    int32_t len = 0, used = 0;
    for (int32_t c = x; c < x + limit && c < img.width; ++c) {
      if (img.Ink(c, y)) {
        len = c - x + 1;
      } else if (used < bridges && img.Ink(c + 1, y)) {
        ++used;
      } else {
        break;
      }
    }
    if (len > *longest) {
      *longest = len;
      bestRow = y;
    }
  }
  return bestRow;
}

// The band of a line found at row y: its centre and thickness.
void LineBand(const StaveSearch& ss, int32_t x, int32_t y, int32_t* centre, int32_t* thickness) {
  const StaveUnits units = CurrentStaveUnits();
  const int32_t su = std::max(1, units.staveUnit), small = std::max(1, units.smallStaveUnit);
  for (int attempt = 0; attempt < 2; ++attempt) {
    const int32_t stretch = static_cast<int32_t>((attempt == 0 ? 1.5 : 2.0) * ss.S);
    int32_t lo = -1, hi = -1;
    for (int32_t yy = y - su; yy <= y + su; ++yy) {
      int n = 0, dark = 0;
      for (int32_t c = x; c < x + stretch; c += small, ++n) dark += ss.image.Ink(c, yy) ? 1 : 0;
      if (n && dark * 10 > n * 9) {
        if (lo < 0) lo = yy;
        hi = yy;
      }
    }
    if (lo >= 0) {
      *centre = (lo + hi) / 2;
      *thickness = hi - lo + 1;
      return;
    }
  }
  *centre = y;
  *thickness = std::max<int32_t>(1, ss.row().lineThickness);
}

// Ledger lines above (dir -1) or below (dir +1) the stave, column by column.
void LedgerSearch(StaveSearch& ss, int dir) {
  const StaveRow& row = ss.row();
  const StaveUnits units = CurrentStaveUnits();
  const int32_t su = std::max(1, units.staveUnit), small = std::max(1, units.smallStaveUnit);
  const int32_t L = std::max(1, static_cast<int32_t>(1.5 * su));
  const int32_t W = CurrentHeadSearch().headWidth;
  const int32_t half = static_cast<int32_t>(ss.S / 2);
  const int32_t iS = static_cast<int32_t>(ss.S);
  const int32_t stepBase = row.lineCount + 25;
  const int firstLedgerP = dir < 0 ? 8 : 10 + 2 * row.lineCount;
  HeadCandidate table[kCandidateEntries];
  for (int32_t x = row.left + ss.u; x < row.right - ss.u && !ss.full; x += small) {
    if (!ss.Poll()) return;
    int32_t nearer = dir < 0 ? ss.TopLineY(x) : ss.LineY(x, row.lineCount - 1);
    int32_t firstRight = -1;
    for (int k = 0; k < kMaxLedgerLines; ++k) {
      const int32_t expected = nearer + dir * iS;
      const int32_t y0 = expected - L, y1 = expected + L;
      if (y0 < 0 || y1 >= ss.image.height) break;
      if (dir < 0 && y0 < ss.upperLimit) break;
      if (dir > 0 && y1 > ss.lowerLimit) break;
      int32_t longest = 0;
      const int32_t found = LongestRunRow(ss.image, x, y0, y1, su, 3 * iS, &longest);
      if (found < 0 || longest < 1.25 * ss.S) break;
      int32_t centre = 0, thickness = 0;
      LineBand(ss, x, found, &centre, &thickness);
      for (int window = 0; window < 2; ++window) {
        // Window 0 on the ledger line, window 1 on the space beyond it.
        const int32_t mid = centre + dir * window * half;
        const int32_t top = mid - half - thickness / 2;
        const int32_t bottom = mid + half + thickness / 2;
        if (top < 0 || bottom >= ss.image.height) break;
        const int p = dir < 0 ? firstLedgerP - 2 * k - window : firstLedgerP + 2 * k + window;
        // The best window of each class over the columns near x.
        ClearTable(table);
        bool any = false;
        for (int32_t cx = x - small; cx <= x + W; cx += small) {
          int n = 0, dark = 0;
          for (int32_t y = top; y < bottom; y += su)
            for (int32_t c = cx; c < cx + W; c += su, ++n) dark += ss.image.Ink(c, y) ? 1 : 0;
          if (n == 0 || dark * 10 < n) continue;
          if (Match(ss, cx, top, bottom, p, false, table)) any = true;
        }
        if (!any) continue;
        const uint32_t before = ss.noteCount;
        if (MakeRecords(ss, table, stepBase - p, true) > 0 && ss.noteCount > before)
          firstRight = std::max(firstRight, static_cast<int32_t>(ss.notes[before].right));
      }
      nearer = centre;
    }
    // A head found: the next column starts past it.
    if (firstRight > x) x = firstRight;
  }
}

// The expected head width of the second round from the first round's
// confident solid and hollow heads.
int32_t SecondRoundWidth(const StaveSearch& ss) {
  const StaveUnits units = CurrentStaveUnits();
  const int32_t tolerance = static_cast<int32_t>(ss.S / 5);
  int bestMembers = 0;
  double bestMean = 0;
  for (uint32_t i = ss.first; i < ss.noteCount; ++i) {
    const NoteRecord& a = ss.notes[i];
    if (a.confidence < 98 || (a.kind != kNoteCrotchet && a.kind != kNoteMinim)) continue;
    int members = 0;
    double sum = 0;
    for (uint32_t j = ss.first; j < ss.noteCount; ++j) {
      const NoteRecord& b = ss.notes[j];
      if (b.confidence < 98 || (b.kind != kNoteCrotchet && b.kind != kNoteMinim)) continue;
      if (std::abs((b.right - b.left) - (a.right - a.left)) > tolerance) continue;
      ++members;
      sum += b.right - b.left;
    }
    if (members > bestMembers) {
      bestMembers = members;
      bestMean = sum / members;
    }
  }
  if (bestMembers == 0) return ss.u;
  return static_cast<int32_t>(std::max(units.smallStaveUnit + std::min(bestMean, 1.25 * ss.S), 0.8 * ss.S));
}

}  // namespace

bool ThinNoteRecords(NoteRecord* notes, uint32_t& count, uint32_t first) {
  for (uint32_t i = first; i < count;) {
    bool deletedI = false;
    for (uint32_t j = i + 1; j < count;) {
      NoteRecord& a = notes[i];
      NoteRecord& b = notes[j];
      if (a.quality >= kRejectedQuality || b.quality >= kRejectedQuality || a.stave != b.stave || a.step != b.step) {
        ++j;
        continue;
      }
      const int32_t q = 3 * std::min(a.right - a.left, b.right - b.left) / 4;
      if (!(a.left < b.right - q && a.right > b.left + q)) {
        ++j;
        continue;
      }
      bool removeA;
      if (a.kind >= kNoteSemibreve && b.kind < kNoteMinim) removeA = true;
      else if (a.kind <= kNoteCrotchet && b.kind >= kNoteSemibreve) removeA = false;
      else removeA = a.confidence < b.confidence || (a.confidence == b.confidence && a.right - a.left <= b.right - b.left);
      if (removeA) {
        DeleteNoteRecord(notes, count, i);
        deletedI = true;
        break;
      }
      DeleteNoteRecord(notes, count, j);
    }
    if (!deletedI) ++i;
  }
  return count < kThinningCount;
}

void GradeFoundNoteheads(NoteRecord* notes, uint32_t first, uint32_t& count, int lo, int hi) {
  for (uint32_t i = first; i < count;) {
    NoteRecord& r = notes[i];
    if (r.kind >= kNoteCrotchet && r.kind <= kNoteSemibreve) {
      lo = 92;
      hi = 96;
    }
    if (r.confidence < lo) {
      DeleteNoteRecord(notes, count, i);
      continue;
    }
    int q = std::min((hi - r.confidence) * 5 / std::max(1, hi - lo), 5);
    if (r.kind == kNoteSemibreve) q = std::max(q, 5);
    r.quality = static_cast<int16_t>(q);
    ++i;
  }
}

void ClearNoteAux(NoteRecord* notes, uint32_t first, uint32_t count) {
  for (uint32_t i = first; i < count; ++i) notes[i].aux = 0;
}

int FindNoteheads(const HeadImage& image, const StaveRow* rows, int count, int s, NoteRecord* notes,
                  uint32_t& noteCount, int16_t staveNumber, int groupStart, StavePage& page) {
  if (!rows || s < 0 || s >= count) return 1;
  const StaveRow& row = rows[s];
  if (row.kind != 0 && row.kind != 2) return 1;

  // Engine heads.
  SetStaveUnits(rows, s, page.resolution);
  const double S = InterlineSpacing(rows, count, s, page);
  CurrentHeadSearch().space = S;
  const uint32_t importedFrom = noteCount;
  const int imported =
      ImportEngineNotes(rows, count, s, StaveIndexInGroup(rows, count, s), notes, noteCount, staveNumber);
  MeasureStems(image, notes, noteCount, rows, count, groupStart, importedFrom, page);
  SetStaveUnits(rows, s, page.resolution);
  if (row.kind == 2) return imported;

  // The page description does not change during the search: its note events are read once.
  ObjectSearchCache engineObjects;
  StaveSearch ss{image, rows, count, s, page, notes, noteCount, noteCount, staveNumber, S,
                 static_cast<int32_t>(S), 0, 65536};
  // Ledger limits: half-way is a space and a half from the next stave.
  const int32_t margin = static_cast<int32_t>(1.5 * S);
  if (s > 0) {
    const StaveRow& above = rows[s - 1];
    ss.upperLimit = std::max({above.top, above.midTop, above.rightTop}) + (above.bottom - above.top) + margin;
  }
  if (s + 1 < count) {
    const StaveRow& below = rows[s + 1];
    ss.lowerLimit = std::min({below.top, below.midTop, below.rightTop}) - margin;
  }

  for (int round = 0; round < 2 && !ss.aborted && !ss.full; ++round) {
    int32_t W = static_cast<int32_t>(0.8 * S);
    if (round == 1) W = SecondRoundWidth(ss);
    noteCount = ss.first;
    CurrentHeadSearch().headWidth = std::max<int32_t>(W, 2);
    LedgerSearch(ss, -1);
    if (!ss.aborted) LedgerSearch(ss, 1);
    if (!ss.aborted) PositionPass(ss);
  }
  if (!ss.aborted) {
    GradeFoundNoteheads(notes, ss.first, noteCount, 86, 90);
    ClearNoteAux(notes, ss.first, noteCount);
  }
  CleanFoundNoteheads(image, notes, noteCount, rows, count, groupStart, S / 2, ss.first, page);
  SetStaveUnits(rows, s, page.resolution);
  OnReadingProgress(static_cast<unsigned>(-1));
  return ss.aborted ? 0 : 1;
}

namespace {

int GroupStartOf(const StaveRow* rows, int s) {
  while (s > 0 && rows[s - 1].group == rows[s].group) --s;
  return s;
}

}  // namespace

int NoteheadsStage(StageContext& context) {
  if (!context.page || !context.image || !context.lists || !context.lists->notes) return 1;
  HeadImage image;
  image.bits = context.image;
  image.width = static_cast<int32_t>(context.page->width);
  image.height = static_cast<int32_t>(context.page->height);
  image.rowBytes = static_cast<size_t>(context.strideWords) * 4;
  StavePage page = PageGeometry(*context.page, context.image, context.strideWords);
  const int s = context.stave;
  return FindNoteheads(image, context.rows, context.staveCount, s, context.lists->notes, context.lists->noteCount,
                       static_cast<int16_t>(context.rows[s].number - 1), GroupStartOf(context.rows, s), page);
}

int ConvertNoteRecordsStage(StageContext& context) {
  if (!context.page || !context.lists || !context.lists->notes || !context.lists->symbols) return 1;
  StavePage page = PageGeometry(*context.page, context.image, context.strideWords);
  const int groupLength = CountStavesInGroup(context.rows, context.staveCount, context.firstStave);
  ConvertNoteRecordsToSymbols(context.rows, context.staveCount, groupLength, context.firstStave,
                              context.lists->notes, context.lists->noteCount, context.lists->symbols,
                              context.lists->symbolCount, page);
  return 1;
}
