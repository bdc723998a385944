// The word pass on sung text: words below a stave as lyrics, text below the
// last stave, the baselines of the engine's text lines, and the texts the
// engine placed attached to their notes.
#include "building/WordPassSteps.h"

namespace wordpass {

int ClassifyBelowStaveText(WordPass& pass, TextRecordRef& r) {
  if (r.Alternative() || !pass.switches.lyrics) return 0;
  if (TextLength(r.text) < 3 || CountIf(r.text, IsAlnum) < 1) return 0;
  const int row = NearestRowByCentre(pass, r, nullptr);
  if (row < 0 || !RowInGroup(pass, row)) return 0;
  PageLists& l = pass.Lists();
  const int16_t staveIndex = static_cast<int16_t>(pass.Row(row).number - 1);
  int chosen = -1;
  int32_t best = 0;
  for (uint32_t i = 0; i < *l.noteCount; ++i) {
    const NoteRecord& n = l.notes[i];
    if (!LiveNote(n) || n.stave != staveIndex || !HasRoom(n.appenditureCount)) continue;
    const int32_t d = std::abs((n.left + n.right) / 2 - CentreX(r));
    if (chosen < 0 || d < best) {
      chosen = static_cast<int>(i);
      best = d;
    }
  }
  if (chosen < 0) return 0;
  AttachText(pass, NoteChoice{false, chosen}, kAttachLyric, r, false);
  *r.kind = kTextKindLyricWord;
  return 1;
}

void MarkBelowLastStave(WordPass& pass) {
  const int32_t bottom = LastStave(pass).bottom;
  ForEachTextRecord(pass, [&](TextRecordRef t) {
    if ((*t.kind == 0 || *t.kind == kTextKindLyricWord) && !t.Alternative() && *t.top > bottom)
      *t.kind = pass.switches.lyrics ? kTextKindBelowLastStave : kTextConsumed;
  });
  bool any = false;
  int32_t top = 0;
  ForEachTextRecord(pass, [&](TextRecordRef t) {
    if (*t.kind == kTextKindBelowLastStave && (!any || *t.top < top)) {
      top = *t.top;
      any = true;
    }
  });
  if (!any) return;
  ForEachTextRecord(pass, [&](TextRecordRef t) {
    if (*t.kind == kTextKindTextLine && *t.top >= top)
      *t.kind = t.Alternative() ? kTextConsumed : kTextKindBelowLastStave;
  });
}

// The words that the engine's reader already placed (sung lines, tempo,
// dynamic and technique words) go to the nearest note of their stave.
void AttachEngineTexts(WordPass& pass) {
  ForEachTextRecord(pass, [&](TextRecordRef t) {
    const uint16_t k = *t.kind;
    uint16_t code = 0;
    if (k == kTextKindTextLine && pass.switches.lyrics) code = kAttachTextLine;
    if (k == kTextKindDynamicWord || k == kTextKindTechniqueWord || k == kTextKindTempoWord) code = 14 + k;
    if (!code) return;
    const int row = NearestRowByCentre(pass, t, nullptr);
    if (row < 0 || !RowInGroup(pass, row)) return;
    PageLists& l = pass.Lists();
    const int16_t staveIndex = static_cast<int16_t>(pass.Row(row).number - 1);
    for (uint32_t i = 0; i < *l.noteCount; ++i)
      for (int a = 0; a < l.notes[i].appenditureCount && a < kMaxAppenditures; ++a)
        if (l.notes[i].appenditures[a].markIndex == t.id && l.notes[i].appenditures[a].kind >= 16 &&
            l.notes[i].appenditures[a].kind <= 31)
          return;  // already attached
    int chosen = -1;
    int32_t best = 0;
    for (uint32_t i = 0; i < *l.noteCount; ++i) {
      const NoteRecord& n = l.notes[i];
      if (!LiveNote(n) || n.stave != staveIndex || !HasRoom(n.appenditureCount)) continue;
      const int32_t d = k == kTextKindTextLine ? std::abs((n.left + n.right) / 2 - CentreX(t)) : std::abs(n.left - *t.left);
      if (chosen < 0 || d < best) {
        chosen = static_cast<int>(i);
        best = d;
      }
    }
    if (chosen >= 0) AttachText(pass, NoteChoice{false, chosen}, code, t, false);
  });
}

}  // namespace wordpass

using namespace wordpass;

void AlignTextLines(WordPass& pass) {
  constexpr int kMaxLines = 128;
  const int32_t reach = std::max(1, pass.dpi / 24);
  int32_t bands[kMaxLines];
  int bandCount = 0;
  auto inBand = [&](int32_t y) {
    for (int b = 0; b < bandCount; ++b)
      if (std::abs(y - bands[b]) <= reach) return true;
    return false;
  };
  while (bandCount < kMaxLines) {
    int bestCount = 0;
    int32_t bestSum = 0, bestN = 0;
    ForEachTextRecord(pass, [&](TextRecordRef seed) {
      if (*seed.kind != kTextKindTextLine || inBand(*seed.baseline)) return;
      int n = 0;
      int64_t sum = 0;
      ForEachTextRecord(pass, [&](TextRecordRef o) {
        if (*o.kind == kTextKindTextLine && std::abs(*o.baseline - *seed.baseline) < reach) {
          ++n;
          sum += *o.baseline;
        }
      });
      if (n > bestCount) {
        bestCount = n;
        bestSum = static_cast<int32_t>(sum);
        bestN = n;
      }
    });
    if (bestCount == 0) return;
    const int32_t mean = bestSum / bestN;
    int members = 0, with13 = 0, with15 = 0;
    ForEachTextRecord(pass, [&](TextRecordRef o) {
      if ((*o.kind != kTextKindTextLine && *o.kind != kTextKindLyricWord) || std::abs(*o.baseline - mean) >= reach) return;
      bool m13, m15;
      ReadLeadingStyleMarks(o.text, &m13, &m15);
      ++members;
      with13 += m13 ? 1 : 0;
      with15 += m15 ? 1 : 0;
    });
    ForEachTextRecord(pass, [&](TextRecordRef o) {
      if (*o.kind != kTextKindTextLine || std::abs(*o.baseline - mean) >= reach) return;
      *o.baseline = static_cast<int16_t>(mean);
      int n = 0;
      for (int i = 0; o.text[i]; ++i)
        if (o.text[i] < 13 || o.text[i] > 18) o.text[n++] = o.text[i];
      o.text[n] = 0;
      // Marks go in front only while the text stays below the record's limit.
      const int limit = o.word ? kWordTextLimit : kCharTextLimit;
      auto prepend = [&](char16_t mark) {
        if (TextLength(o.text) + 1 >= limit) return;
        for (int i = TextLength(o.text); i >= 0; --i) o.text[i + 1] = o.text[i];
        o.text[0] = mark;
      };
      if (2 * with13 > members) prepend(13);
      if (2 * with15 > members) prepend(15);
    });
    bands[bandCount++] = mean;
  }
}
