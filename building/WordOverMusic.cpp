// The word pass on texts lying over notes, marks, symbols, curves and stems:
// read from music rather than text, they are discarded or the music under
// them is.
#include "building/WordPassSteps.h"

#include "reading/StaveSpacing.h"
#include "stages/NoteRecords.h"
#include "stages/SymbolRecords.h"

namespace wordpass {

namespace {

struct Band {
  int32_t left, right, low, high;
  bool Meets(int32_t l, int32_t r, int32_t t, int32_t b) const { return r >= left && l <= right && t <= high && b >= low; }
};

void JudgeTextOverMusic(WordPass& pass, TextRecordRef t) {
  PageLists& l = pass.Lists();
  const bool sign = IsSignRecord(t);
  int shape = WordShape(t.text);
  if (*t.kind == kTextKindChordSymbol || sign) shape = 0;
  const uint16_t k = *t.kind;
  bool symbolLike = sign || k == 6 || k == 7 || k == 8 || k == kTextKindChordSymbol;
  if (shape == 2 && !sign) symbolLike = false;
  const int alnum = CountIf(t.text, IsAlnum);
  int units = 0;
  for (const char16_t* p = t.text; *p; ++p) units += IsControl(*p) ? 0 : 1;
  if (!symbolLike && (alnum == 0 || alnum * 100 / std::max(1, units) < 33)) {
    *t.kind = kTextConsumed;
    return;
  }
  const int32_t h = t.Height();
  const Band band{*t.left, *t.right, *t.top + h / 4, *t.bottom - (h / 4) / 2};
  auto discard = [&]() { *t.kind = kTextConsumed; };
  // Notes under the text.
  for (uint32_t i = 0; i < *l.noteCount;) {
    const NoteRecord& n = l.notes[i];
    if (!LiveNote(n) || !band.Meets(n.left, n.right, n.top, n.top + (n.bottom - n.top))) {
      ++i;
      continue;
    }
    const int row = FindStaveInGroup(l.rows, l.staveCount, pass.firstStave, n.stave);
    const bool manyLines = row >= 0 && pass.Row(row).lineCount >= 4;
    if (n.confidence >= 100 || (shape >= 2 && !n.uncertain) ||
        (!symbolLike && n.kind < kNoteMinim && manyLines && n.quality != 5 && !n.uncertain)) {
      discard();
      return;
    }
    if (shape == 0 || n.uncertain || n.kind >= kNoteMinim) {
      DeleteNoteRecord(l.notes, *l.noteCount, i);
      continue;
    }
    ++i;
  }
  if (alnum >= 2) return;
  // Marks on notes.
  for (uint32_t i = 0; i < *l.noteCount; ++i) {
    NoteRecord& n = l.notes[i];
    if (!LiveNote(n)) continue;
    for (int a = 0; a < n.appenditureCount && a < kMaxAppenditures;) {
      const Appenditure& s = n.appenditures[a];
      if (s.kind < 144 || s.kind > 159 || !band.Meets(s.left, s.right, s.top, s.bottom)) {
        ++a;
        continue;
      }
      if (s.kind == 144 || s.kind == 145 || shape >= 2 || (!symbolLike && units < 2 && s.score < 1)) {
        discard();
        return;
      }
      if (shape == 0) {
        std::copy(n.appenditures + a + 1, n.appenditures + n.appenditureCount, n.appenditures + a);
        --n.appenditureCount;
        continue;
      }
      ++a;
    }
  }
  // Symbols under the text.
  for (uint32_t i = 0; i < *l.symbolCount;) {
    const SymbolRecord& s = l.symbols[i];
    const int row = s.quality < kRejectedQuality ? FindStaveInGroup(l.rows, l.staveCount, pass.firstStave, s.stave) : -1;
    if (row < 0) {
      ++i;
      continue;
    }
    const int32_t y0 = StavePositionY(l.rows, l.staveCount, row, s.left, s.stepTop, pass.geometry);
    const int32_t y1 = StavePositionY(l.rows, l.staveCount, row, s.left, s.stepBottom, pass.geometry);
    if (!band.Meets(s.left, s.right, std::min(y0, y1), std::max(y0, y1))) {
      ++i;
      continue;
    }
    if (s.confidence >= 100 || shape >= 2 || !symbolLike) {
      discard();
      return;
    }
    if (shape == 0) {
      DeleteSymbolRecord(l.symbols, *l.symbolCount, i);
      continue;
    }
    ++i;
  }
  if (symbolLike) return;
  // Slurs, ties and hairpins.
  for (uint32_t i = 0; i < l.curveCount; ++i) {
    const CurveItem& c = l.curves[i];
    if (c.apexPos == kCurveDiscarded) continue;
    const int32_t mid = (c.y0 + c.y1) / 2;
    const int32_t bulge = (c.bulge & 127) * (c.x1 - c.x0) / 127;
    const int32_t far = (c.bulge & 128) ? mid - bulge : mid + bulge;
    if (band.Meets(std::min(c.x0, c.x1), std::max(c.x0, c.x1), std::min<int32_t>(far, c.y0), std::max<int32_t>(far, c.y1))) {
      discard();
      return;
    }
  }
  for (uint32_t i = 0; i < l.lineCount; ++i) {
    const LineItem& h = l.lines[i];
    if ((h.lineFlags & 1) &&
        band.Meets(std::min(h.x0, h.x1), std::max(h.x0, h.x1), std::min(h.y0, h.y1), std::max(h.y0, h.y1))) {
      discard();
      return;
    }
  }
  // Stems and flags of solid heads.
  const int32_t cy = CentreY(t);
  for (uint32_t i = 0; i < *l.noteCount; ++i) {
    const NoteRecord& n = l.notes[i];
    if (n.quality > 5 || n.kind > kNoteCrotchet) continue;
    const int row = FindStaveInGroup(l.rows, l.staveCount, pass.firstStave, n.stave);
    if (row < 0) continue;
    const int32_t s = pass.StaveSpace(row);
    // The stem offset correction: the scale times the stave's fine unit
    // (about 2 per cent of its height).
    const int32_t g = pass.stemOffsetScale * std::max(1, (pass.Row(row).bottom - pass.Row(row).top + 25) / 50);
    const int slot = (n.stemDown ? 2 : 0) + (n.stemRight ? 1 : 0);
    const int32_t offset = n.stemOffset[slot] & 0xFF;
    const int32_t length = n.stemLength[slot];
    const int32_t stemX = n.stemRight ? n.right + g - offset : n.left + offset - g;
    int32_t a0, a1;
    if (n.stemRight)
      n.countRight ? (a0 = stemX - s / 2, a1 = stemX + 2 * s) : (a0 = stemX - 2 * s - s / 2, a1 = stemX);
    else
      n.countRight ? (a0 = stemX, a1 = stemX + s / 2 + 2 * s) : (a0 = stemX - 2 * s, a1 = stemX + s / 2);
    int32_t yA = n.top, yB = n.top + s;
    if (n.stemDown)
      yB += (length - 1) * s;
    else
      yA -= (length - 1) * s;
    const int32_t f0 = std::min(n.stemEndTop, n.stemEndBottom), f1 = std::max(n.stemEndTop, n.stemEndBottom);
    if ((*t.right > a0 && *t.left < a1 && cy > f0 && cy < f1) ||
        (*t.right >= stemX && stemX >= *t.left && cy > yA && cy < yB)) {
      discard();
      return;
    }
  }
}

}  // namespace

void DiscardTextOverMusic(WordPass& pass) {
  ForEachTextRecord(pass, [&](TextRecordRef t) {
    if (*t.kind != kTextConsumed && *t.kind != 0) JudgeTextOverMusic(pass, t);
  });
}

// Records lying on the top or bottom edge of a tuplet digit are parts of its
// bracket read as text.
void DiscardTupletDigitEdges(WordPass& pass) {
  PageLists& l = pass.Lists();
  const int32_t reach = pass.dpi / 16;
  for (uint32_t i = 0; i < pass.CharCount(); ++i) {
    const CharRecord& digit = l.chars[i];
    if (digit.kind != kTextKindTupletDigit) continue;
    auto judge = [&](TextRecordRef t) {
      if (*t.kind == kTextConsumed || *t.kind == 0) return;
      if (!(*t.left < digit.right && *t.right > digit.left)) return;
      const int32_t c = CentreY(t);
      if (std::abs(c - digit.top) <= reach || std::abs(c - digit.bottom) <= reach) *t.kind = kTextConsumed;
    };
    for (uint32_t j = 0; j < pass.CharCount(); ++j)
      if (j != i) judge(CharRef(l.chars[j], j));
    // Each word is judged by its own kind (the tempo, dynamic and technique
    // words given before the pass stay).
    for (uint32_t j = 0; j < pass.WordCount(); ++j) {
      const uint16_t k = l.words[j].kind;
      if (k != 6 && k != 7 && k != 8) judge(WordRef(l.words[j], j));
    }
  }
}

}  // namespace wordpass
