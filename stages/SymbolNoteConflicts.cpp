#include "stages/SymbolNoteConflicts.h"

#include "reading/StaveSpacing.h"
#include "stages/NoteRecords.h"
#include "stages/StemCandidates.h"
#include "stages/SymbolRecords.h"

namespace {

constexpr int16_t kCrotchetRestType = kSymbolRestBase + kNoteCrotchet;  // 69
constexpr int16_t kMinimRestType = kSymbolRestBase + kNoteMinim;        // 70
constexpr int16_t kSemibreveRestType = kSymbolRestBase + kNoteSemibreve; // 71
constexpr int16_t kBreveRestType = kSymbolRestBase + kNoteBreve;        // 72
constexpr int16_t kDigitNine = kSymbolDigitZero + 9;
constexpr int16_t kConfirmedDigitQuality = -64;

bool TakesPart(const SymbolRecord& s) {
  if (s.type == kSymbolBarline || s.type == kMinimRestType || s.type == kSemibreveRestType ||
      s.type == kSymbolMultiBarRest)
    return false;
  return s.score < 100 || s.type == kBreveRestType || s.type == kSymbolFlatKey || s.type == kSymbolSharpKey;
}

bool IsRestSymbol(const SymbolRecord& s) { return s.type >= kSymbolRestBase && s.type <= kBreveRestType; }

// Whether the stem of a certain head shorter than a semibreve crosses the box.
bool StemCrosses(const NoteRecord& n, int32_t left, int32_t right, int32_t top, int32_t bottom) {
  const int slot = n.stemDown ? (n.stemRight ? 3 : 2) : (n.stemRight ? 1 : 0);
  const int32_t length = n.stemLength[slot];
  if (length <= 0) return false;
  const int32_t u = CurrentStaveUnits().staveUnit * kStemUnitFactor;
  const int32_t offset = n.stemOffset[slot] & 0xFF;
  const bool leftEdge = slot == 0 || slot == 2;
  const int32_t x = leftEdge ? n.left + offset - u : n.right + u - offset;
  if (x < left || x > right) return false;
  const int32_t reach = length * n.space;
  const int32_t y0 = n.stemDown ? n.bottom : n.top - reach;
  const int32_t y1 = n.stemDown ? n.bottom + reach : n.top;
  return y0 < bottom && y1 > top;
}

}  // namespace

bool StemPartnerLink(const NoteRecord* notes, uint32_t, uint32_t a, uint32_t b, void*) {
  return AreStemPartners(notes, a, b);
}

void ResolveSymbolNoteConflicts(NoteRecord* notes, uint32_t& noteCount, SymbolRecord* symbols,
                                uint32_t& symbolCount, const StaveRow* rows, int rowCount, int groupStart,
                                int groupLength, StavePage& page, SymbolScoreFunction contextScore) {
  (void)groupLength;
  if (noteCount == 0 || symbolCount == 0) return;
  for (uint32_t s = 0; s < symbolCount;) {
    const SymbolRecord& sym = symbols[s];
    const int row = TakesPart(sym) ? FindStaveInGroup(rows, rowCount, groupStart, sym.stave) : -1;
    if (row < 0) {
      ++s;
      continue;
    }
    const int32_t sp = RoundedInterlineSpacing(rows, rowCount, row, page);
    const int32_t top = StavePositionY(rows, rowCount, row, sym.left, sym.stepTop, page);
    const int32_t bottom = StavePositionY(rows, rowCount, row, sym.left, sym.stepBottom, page);
    // A dead symbol (quality 6 or more) and a breve rest never beat a head.
    const int32_t symbolBadness = sym.quality >= kRejectedQuality || sym.type == kBreveRestType
                                      ? kDeadBadness
                                      : sym.quality - (contextScore ? contextScore(symbols, symbolCount, s) : 0);
    bool symbolDeleted = false;
    for (uint32_t n = 0; n < noteCount && !symbolDeleted;) {
      const NoteRecord& note = notes[n];
      if (note.quality >= kRejectedQuality || note.origin >= kEngineOrigin || note.stave != sym.stave) {
        ++n;
        continue;
      }
      const bool certain = note.uncertain == 0;
      const bool overlaps = note.right > sym.left && note.left < sym.right && note.top + sp > top && note.top < bottom;
      if (sym.type == kCrotchetRestType && note.kind < kNoteSemibreve && certain &&
          (overlaps || StemCrosses(note, sym.left, sym.right, top, bottom))) {
        DeleteSymbolRecord(symbols, symbolCount, s);
        symbolDeleted = true;
        break;
      }
      if (sym.type >= kSymbolDigitZero && sym.type <= kDigitNine && sym.quality <= kConfirmedDigitQuality) {
        ++n;
        continue;
      }
      if (!overlaps) {
        ++n;
        continue;
      }
      const int32_t noteBadness = note.quality - LinkedNoteScore(notes, noteCount, n, StemPartnerLink, nullptr);
      if (noteBadness < symbolBadness && certain) {
        if (IsRestSymbol(sym)) {
          DeleteSymbolRecord(symbols, symbolCount, s);
          symbolDeleted = true;
          break;
        }
        ++n;  // any other symbol stays beside the head
        continue;
      }
      DeleteNoteRecord(notes, noteCount, n);
    }
    if (!symbolDeleted) ++s;
  }
}
