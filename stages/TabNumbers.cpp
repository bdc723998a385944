#include "stages/TabNumbers.h"

#include <cmath>
#include <memory>
#include <vector>

#include "platform/Messages.h"
#include "reading/PreparationStrings.h"
#include "reading/ReadingThread.h"
#include "reading/StavePageData.h"
#include "reading/StaveSpacing.h"
#include "stages/StageDebugDrawing.h"
#include "stages/SymbolRecords.h"

namespace {

bool Live(const NoteRecord& n) { return n.quality < kRejectedQuality; }
bool LiveSymbol(const SymbolRecord& s) { return s.quality <= 5; }
bool IsRhythmSymbol(int type) { return type >= kSymbolRestBase && type <= kSymbolMultiBarRest; }

int Round(double v) { return static_cast<int>(std::floor(v + 0.5)); }

bool Ink(const TabPage& p, int x, int y) {
  if (x < 0 || y < 0 || x >= p.width || y >= p.height) return false;
  return (p.bits[size_t(y) * p.strideWords * 4 + x / 8] >> (x & 7)) & 1;
}

// Ink in column x between yTop and yBottom outside the line's band.
bool ColumnHasInk(const TabPage& p, int x, int yTop, int yBottom, int lineTop, int lineBottom) {
  for (int y = yTop; y <= yBottom; ++y)
    if ((y < lineTop || y > lineBottom) && Ink(p, x, y)) return true;
  return false;
}

// One character: its columns from near x, its cell copied with the line
// cleared where nothing of the character crosses it, and the best match.
struct CharRead {
  char c = 0;
  int score = 0;
  int left = 0, top = 0, right = 0, bottom = 0;
};

// Ink in column x within the line's band only.
bool BandOnly(const TabPage& p, int x, int lineTop, int lineBottom) {
  for (int y = lineTop; y <= lineBottom; ++y)
    if (Ink(p, x, y)) return true;
  return false;
}

bool ReadOneChar(const TabPage& p, const TextCharTable& table, TextMatchScratch& scratch, int x, int searchTo,
                 int yTop, int yBottom, int lineTop, int lineBottom, double halfSpace, bool onlyX, CharRead* out) {
  int first = -1;
  for (int c = x; c <= searchTo && first < 0; ++c)
    if (ColumnHasInk(p, c, yTop, yBottom, lineTop, lineBottom)) first = c;
  if (first < 0) return false;
  // Its first columns may lie left of where the search met it.
  while (first - 1 >= 0 && first - 1 > x - 2 * halfSpace && ColumnHasInk(p, first - 1, yTop, yBottom, lineTop, lineBottom))
    --first;
  // The character goes on through columns with ink outside the line's band,
  // and through a few with ink only on the line when more of it follows (a
  // stroke that crosses the line, as in an x).
  const int bridge = 2 * (lineBottom - lineTop) + 2;
  int last = first;
  for (int c = first + 1; c < p.width; ++c) {
    bool part = ColumnHasInk(p, c, yTop, yBottom, lineTop, lineBottom);
    if (!part && BandOnly(p, c, lineTop, lineBottom))
      for (int k = c + 1; k <= c + bridge && k < p.width && !part; ++k) {
        if (!BandOnly(p, k, lineTop, lineBottom) && !ColumnHasInk(p, k, yTop, yBottom, lineTop, lineBottom)) break;
        part = ColumnHasInk(p, k, yTop, yBottom, lineTop, lineBottom);
      }
    if (!part) break;
    last = c;
    if (last - first + 1 >= 2 * halfSpace) {  // too wide for one character
      out->right = last;
      return false;
    }
  }
  out->left = first;
  out->right = last;
  // A column of ink unbroken from the cell's top or bottom row into the line
  // is a bar line or a stem on the line, not a character.
  for (int c = first; c <= last; ++c) {
    int y = yTop;
    while (y < lineTop && Ink(p, c, y)) ++y;
    if (y == lineTop && y > yTop) return false;
    y = yBottom;
    while (y > lineBottom && Ink(p, c, y)) --y;
    if (y == lineBottom && y < yBottom) return false;
  }
  const int w = last - first + 1, h = yBottom - yTop + 1;
  if (w <= 0 || h <= 2) return false;
  const int strideWords = (w + 31) / 32;
  std::vector<uint8_t> cell;
  try {
    cell.assign(size_t(strideWords) * 4 * h, 0);
  } catch (const std::bad_alloc&) {
    MessageById(nullptr, kStrMemoryToReadPage);
    return false;
  }
  for (int y = 0; y < h; ++y)
    for (int cx = 0; cx < w; ++cx)
      if (Ink(p, first + cx, yTop + y)) cell[size_t(y) * strideWords * 4 + cx / 8] |= uint8_t(1u << (cx & 7));
  // The stave line where it runs into the cell from either side: its pixels
  // go while nothing of the character lies just above and below them.
  bool lineMet = false;
  auto lineOnly = [&](int cx) { return !Ink(p, first + cx, lineTop - 1) && !Ink(p, first + cx, lineBottom + 1); };
  for (int y = lineTop; y <= lineBottom; ++y) {
    if (y < yTop || y > yBottom) continue;
    uint8_t* row = &cell[size_t(y - yTop) * strideWords * 4];
    auto clear = [&](int cx) {
      if (!((row[cx / 8] >> (cx & 7)) & 1) || !lineOnly(cx)) return false;
      row[cx / 8] &= uint8_t(~(1u << (cx & 7)));
      lineMet = true;
      return true;
    };
    for (int cx = 0; cx < w && clear(cx); ++cx) {
    }
    for (int cx = w - 1; cx >= 0 && clear(cx); --cx) {
    }
  }
  // The box of the character's own ink within rows 1 .. h - 1 of the cell.
  int top = -1, bottom = -1;
  for (int y = 1; y < h - 1; ++y)
    for (int cx = 0; cx < w; ++cx)
      if ((cell[size_t(y) * strideWords * 4 + cx / 8] >> (cx & 7)) & 1) {
        if (top < 0) top = y;
        bottom = y;
      }
  if (top < 0) return false;
  const TextImage image{cell.data(), strideWords - 1, h};
  char result[2];
  out->score = MatchTextChar(table, scratch, image, 0, top, w, bottom + 1, result, !lineMet, onlyX);
  out->c = result[0];
  out->top = yTop + top;
  out->bottom = yTop + bottom;
  return true;
}

// The character's digit value, or -1 when it is no digit ("I" is 1).
int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c == 'I') return 1;
  return -1;
}

TextMatchScratch* ScratchFor(std::unique_ptr<TextMatchScratch, void (*)(TextMatchScratch*)>& owned) {
  if (!owned) owned.reset(NewTextMatchScratch());
  return owned.get();
}

}  // namespace

int ReadTabDigits(const TabPage& p, const TextCharTable& table, TextMatchScratch& scratch, int x, int yTop, int yBottom,
                  int lineTop, int lineBottom, double halfSpace, int step, bool singleChar, TabDigits* out) {
  *out = TabDigits{};
  constexpr int kAccept = 90;
  int number = 0, chars = 0;
  int from = x, searchTo = x + step;
  int examined = 0;  // the right edge of the last character looked at
  for (int k = 0; k < (singleChar ? 1 : 2); ++k) {
    CharRead read;
    const bool found =
        ReadOneChar(p, table, scratch, from, searchTo, yTop, yBottom, lineTop, lineBottom, halfSpace, true, &read);
    if (read.right > examined) examined = read.right;
    if (!found) break;
    if (read.score < kAccept && !singleChar) {
      CharRead all = read;
      ReadOneChar(p, table, scratch, from, searchTo, yTop, yBottom, lineTop, lineBottom, halfSpace, false, &all);
      read = all;
    }
    if (read.score < kAccept) break;
    if (read.c == 'x') {
      if (chars == 0) {
        out->left = read.left, out->top = read.top, out->right = read.right, out->bottom = read.bottom;
        out->confidence = 100;
        return kTabCross;
      }
      break;  // an x after a digit is dropped
    }
    const int digit = DigitValue(read.c);
    if (digit < 0 || singleChar) break;  // anything else ends the number
    if (chars == 0) {
      out->left = read.left, out->top = read.top, out->right = read.right, out->bottom = read.bottom;
    } else {
      out->right = read.right;
      if (read.top < out->top) out->top = read.top;
      if (read.bottom > out->bottom) out->bottom = read.bottom;
    }
    number = number * 10 + digit;
    ++chars;
    if (number < 1 || number > 3) break;  // only 1, 2 and 3 begin a two-digit fret
    from = read.right + 1;
    searchTo = read.right + Round(halfSpace);
  }
  if (chars == 0 || number >= kTabFretLimit) {
    *out = TabDigits{};
    out->right = examined;  // where the search goes on
    return 0;
  }
  out->confidence = 100;
  return number;
}

int ReadTabNumbers(const TabPage& p, const TextCharTable& table, const StaveRow* rows, int staveCount, int s,
                   NoteRecord* notes, uint32_t& noteCount, int staveNumber) {
  const StaveRow& row = rows[s];
  SetStaveUnits(rows, s, p.geometry->resolution);
  const double spacing = InterlineSpacing(rows, staveCount, s, *p.geometry);
  const double halfSpace = spacing / 2;
  const int step = CurrentStaveUnits().smallStaveUnit > 0 ? CurrentStaveUnits().smallStaveUnit : 1;
  std::unique_ptr<TextMatchScratch, void (*)(TextMatchScratch*)> owned(nullptr, DeleteTextMatchScratch);
  TextMatchScratch* scratch = ScratchFor(owned);
  if (!scratch) {
    MessageById(nullptr, kStrMemoryToReadPage);
    OnReadingProgress(static_cast<unsigned>(-1));
    return 1;
  }
  for (int l = 0; l < row.lineCount; ++l) {
    for (int x = row.left; x < row.right; x += step) {
      if (!PollUserAbort(1)) {
        OnReadingProgress(static_cast<unsigned>(-1));
        return 0;
      }
      if (x < 0 || x >= p.width) continue;
      const double lineY = StaveLineY(rows, s, l, x, *p.geometry) + row.top;
      const int yTop = Round(lineY - halfSpace), yBottom = Round(lineY + halfSpace);
      if (yBottom >= p.height || yTop < 0) break;
      const int lineTop = static_cast<int>(lineY - row.lineThickness);
      const int lineBottom = static_cast<int>(lineY + row.lineThickness);
      bool ink = false;
      for (int y = yTop; y <= yBottom && !ink; y += step)
        if ((y < lineTop || y > lineBottom) && Ink(p, x, y)) ink = true;
      if (!ink) continue;
      TabDigits read;
      const int number =
          ReadTabDigits(p, table, *scratch, x - step + 1, yTop, yBottom, lineTop, lineBottom, halfSpace, step, false,
                        &read);
      if (read.confidence == 100 && number != kTabCross) {
        const uint32_t slot = noteCount < kNoteListLimit ? noteCount++ : kNoteListLimit - 1;
        NoteRecord& n = notes[slot];
        n = NoteRecord{};
        n.left = static_cast<int16_t>(read.left);
        n.right = static_cast<int16_t>(read.right);
        n.top = static_cast<int16_t>(read.top);
        n.bottom = static_cast<int16_t>(read.bottom);
        n.aux = 2;
        n.step = static_cast<int16_t>(row.lineCount - 1 - l);
        n.kind = kNoteTabNumber;
        n.stave = static_cast<int16_t>(staveNumber);
        n.confidence = 100;
        n.origin = 6;
        n.staveTopY = static_cast<int16_t>(row.top + StaveLineY(rows, s, 0, read.left, *p.geometry));
        n.space = static_cast<int16_t>(Round(spacing));
        n.fret = static_cast<uint8_t>(number);
        DrawDebugBoxes(DebugSurface::kPagesPane,
                       {DebugBox{n.left, n.top, n.right, n.bottom, DebugColourOfConfidence(n.confidence)}});
      }
      if (read.confidence == 100)
        x = read.right + Round(halfSpace);
      else if (read.right > x)
        x = read.right + 1;
    }
  }
  OnReadingProgress(static_cast<unsigned>(-1));
  return 1;
}

void CopyNoteValuesToTabNotes(const StaveRow* rows, int staveCount, NoteRecord* notes, uint32_t noteCount,
                              int firstStave) {
  auto rowOf = [&](const NoteRecord& n) { return FindStaveInGroup(rows, staveCount, firstStave, n.stave); };
  auto onTab = [&](int row) { return row >= 0 && rows[row].kind == kTablatureStaveKind; };
  for (uint32_t i = 0; i < noteCount; ++i) {
    NoteRecord& t = notes[i];
    const int tabRow = rowOf(t);
    if (!Live(t) || t.kind != kNoteTabNumber || !onTab(tabRow)) continue;
    t.kind = kNoteQuaver;
    t.stemDown = 0;
    t.beamed = 0;
    t.countRight = 1;
    int best = -1, bestDistance = 0, bestRow = 0;
    for (uint32_t j = 0; j < noteCount; ++j) {
      const NoteRecord& n = notes[j];
      if (n.quality > 5 || n.kind == kNoteTabNumber) continue;
      const int row = rowOf(n);
      if (row < 0 || onTab(row) || !(n.left < t.right && n.right > t.left)) continue;
      const int distance = row > tabRow ? row - tabRow : tabRow - row;
      if (best < 0 || distance < bestDistance || (distance == bestDistance && row < bestRow)) {
        best = static_cast<int>(j);
        bestDistance = distance;
        bestRow = row;
      }
    }
    if (best < 0) continue;
    const NoteRecord& n = notes[best];
    t.kind = n.kind;
    t.beamed = n.beamed;
    t.stemRight = n.stemRight;
    t.countRight = n.countRight;
    t.dots = n.dots;
  }
}

void CopySymbolsToTabStaves(const StaveRow* rows, int staveCount, NoteRecord* notes, uint32_t noteCount,
                            SymbolRecord* symbols, uint32_t& symbolCount, int firstStave, int resolution) {
  if (firstStave >= 0 && firstStave < staveCount) {
    for (int t = firstStave + 1; t < staveCount && rows[t].group == rows[firstStave].group; ++t) {
      if (rows[t].kind != kTablatureStaveKind) continue;
      const int s = t - 1;
      const int tStave = rows[t].number - 1, sStave = rows[s].number - 1;
      bool hasRhythm = false;
      for (uint32_t k = 0; k < symbolCount; ++k)
        if (symbols[k].stave == tStave && LiveSymbol(symbols[k]) && IsRhythmSymbol(symbols[k].type)) hasRhythm = true;
      if (hasRhythm) continue;
      SetStaveUnits(rows, t, resolution);
      const int unit = CurrentStaveUnits().staveUnit;
      const int16_t topY = static_cast<int16_t>(rows[t].top + unit);
      StavePage geometry;
      geometry.resolution = resolution;
      const int16_t space = static_cast<int16_t>(RoundedInterlineSpacing(rows, staveCount, t, geometry));
      auto tNoteOverlaps = [&](int left, int right) {
        for (uint32_t j = 0; j < noteCount; ++j)
          if (Live(notes[j]) && notes[j].stave == tStave && notes[j].left < right && notes[j].right > left) return true;
        return false;
      };
      const uint32_t before = symbolCount;
      for (uint32_t k = 0; k < before; ++k) {
        const SymbolRecord r = symbols[k];
        if (r.stave != sStave || !LiveSymbol(r) || !IsRhythmSymbol(r.type)) continue;
        if (tNoteOverlaps(r.left - unit, r.right + unit) || symbolCount >= kSymbolListLimit) continue;
        SymbolRecord& copy = symbols[symbolCount++];
        copy = r;
        copy.stave = static_cast<int16_t>(tStave);
        copy.staveTopY = topY;
        copy.space = space;
      }
      for (uint32_t j = 0; j < noteCount; ++j) {
        const NoteRecord& n = notes[j];
        if (!Live(n) || n.stave != sStave || n.uncertain != 0 || n.kind > kNoteBreve) continue;
        int left = n.left, right = n.right;
        if (n.stemLength[0] >= 1 || n.stemLength[2] >= 1) right += n.right - n.left;  // stem on the left
        if (tNoteOverlaps(left, right)) continue;
        bool symbolThere = false;
        for (uint32_t k = 0; k < symbolCount; ++k)
          if (symbols[k].stave == tStave && IsRhythmSymbol(symbols[k].type) && symbols[k].left < right &&
              symbols[k].right > left)
            symbolThere = true;
        if (symbolThere || symbolCount >= kSymbolListLimit) continue;
        SymbolRecord& r = symbols[symbolCount++];
        r = SymbolRecord{};
        r.type = static_cast<int16_t>(kSymbolRestBase + n.kind);
        r.count = static_cast<uint32_t>(n.dots);
        r.left = n.left;
        r.right = n.right;
        r.stepTop = 6;
        r.stepBottom = 10;
        r.quality = -5;
        r.confidence = 100;
        r.stave = static_cast<int16_t>(tStave);
        r.staveTopY = topY;
        r.space = space;
        int next = -1;
        for (uint32_t m = 0; m < noteCount; ++m)
          if (Live(notes[m]) && notes[m].stave == tStave && notes[m].left >= n.right &&
              (next < 0 || notes[m].left < notes[next].left))
            next = static_cast<int>(m);
        if (next >= 0 && notes[next].countRight == 0) notes[next].countRight = 1;
      }
    }
  }
  SortSymbolsByStave(symbols, symbolCount);
}

namespace {

int TabNumbersStage(StageContext& c) {
  StavePage geometry = StavePageFor(*c.page);
  TabPage page;
  page.bits = c.image;
  page.strideWords = static_cast<int>(c.strideWords);
  page.width = static_cast<int>(c.page->width);
  page.height = static_cast<int>(c.page->height);
  page.geometry = &geometry;
  return ReadTabNumbers(page, LoadedTextChars(), c.rows, c.staveCount, c.stave, c.lists->notes, c.lists->noteCount,
                        c.rows[c.stave].number - 1);
}

}  // namespace

void InstallTabNumberStages() { SetReadingStage(ReadingStage::kTabNumbers, TabNumbersStage); }
